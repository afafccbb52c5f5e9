// The task import and the month exports against floors measured in the same run:
// - the import of 100,000 rows over 3,650 dates into a 10-year diary, against reading that CSV
//   and splitting it into lines (target: at most 10x);
// - the export of one month of that diary, against loading the diary (target: at most 1.5x).
// Every benchmark reports "ratio" (its mean time over the floor's median) and the floor itself.
#include "exchange/HealthValuesExport.h"
#include "exchange/MonthExport.h"
#include "exchange/TaskImport.h"
#include "model/DiaryFile.h"

#include "BenchTiming.h"
#include "DiaryGenerator.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kDays = 3650;
constexpr int kRows = 100000;
const QDate kFirstDate = QDate::currentDate().addDays(1 - kDays); // the first day of the shared 10-year diary

// 100,000 rows spread over the diary's 3,650 dates in a shuffled order, with notes and some
// continuation lines, as an export from another program might look.
QByteArray TaskCsv()
{
    QByteArray csv = "Task; Start date and time; End date and time; Note\r\n";
    quint32 state = 12345;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return state >> 8;
    };
    for (int r = 0; r < kRows; ++r) {
        const QDate date = kFirstDate.addDays(next() % kDays);
        const int hour = int(next() % 23);
        const int minute = int(next() % 60);
        csv += u"Task %1;%2 %3:%4:00;%2 %5:%4:00;note of row %1 with a few words"_s.arg(r)
                   .arg(date.toString(u"yyyy-MM-dd"_s))
                   .arg(hour, 2, 10, QChar(u'0'))
                   .arg(minute, 2, 10, QChar(u'0'))
                   .arg(hour + 1, 2, 10, QChar(u'0'))
                   .toUtf8();
        csv += "\r\n";
        if (r % 10 == 0)
            csv += "and a continuation line\r\n";
    }
    return csv;
}

struct TFixture {
    QTemporaryDir Dir;
    QString DiaryFile;
    QString CsvFile;
    QString OutFile;

    TFixture()
    {
        DiaryFile = Dir.filePath(u"ten-years.Kestrova"_s);
        CsvFile = Dir.filePath(u"tasks.csv"_s);
        OutFile = Dir.filePath(u"month-out"_s);
        WriteDiaryFile(*MakeTenYearDiary(kDays), DiaryFile);
        QFile csv(CsvFile);
        if (!csv.open(QIODevice::WriteOnly) || csv.write(TaskCsv()) < 0)
            qFatal("cannot write the benchmark's CSV");
    }
};

TFixture& Fixture()
{
    static TFixture fixture;
    return fixture;
}

// The floor of the import: the file's bytes into memory, decoded, cut into lines.
qsizetype ReadAndSplit(const QString& aFileName)
{
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the benchmark's CSV");
    const QString text = QString::fromUtf8(file.readAll());
    std::vector<QStringView> lines;
    const QStringView all(text);
    qsizetype start = 0;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QChar c = all[i];
        if (c == u'\r' || c == u'\n') {
            lines.push_back(all.sliced(start, i - start));
            if (c == u'\r' && i + 1 < all.size() && all[i + 1] == u'\n')
                ++i;
            start = i + 1;
        }
    }
    if (start < all.size())
        lines.push_back(all.sliced(start));
    benchmark::DoNotOptimize(lines.data());
    return qsizetype(lines.size());
}

void ReportRatio(benchmark::State& aState, double aTotalSeconds, double aFloorSeconds)
{
    const double mean = aTotalSeconds / double(aState.iterations());
    aState.counters["floor_ms"] = aFloorSeconds * 1e3;
    aState.counters["ratio"] = mean / aFloorSeconds;
}

void BM_TaskImport(benchmark::State& aState, bool aEndOnly)
{
    TFixture& fixture = Fixture();
    const double floor = MedianSeconds([&] { ReadAndSplit(fixture.CsvFile); });
    // The floor is a median of runs after the first, so the import is timed from its second run
    // on too: the first run of a process pays for the fresh memory of its hundred thousand tasks
    // (several times the import's own work on a virtual machine), which no later run does.
    ImportTasksFromFile(*ReadDiaryFile(fixture.DiaryFile), fixture.CsvFile, aEndOnly);
    double total = 0;
    for (auto _ : aState) {
        std::unique_ptr<TDiary> diary = ReadDiaryFile(fixture.DiaryFile);
        const double seconds = Seconds([&] {
            const TTaskImportResult result = ImportTasksFromFile(*diary, fixture.CsvFile, aEndOnly);
            if (result.TasksAdded != kRows)
                qFatal("the import lost rows");
        });
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    ReportRatio(aState, total, floor);
}

void BM_MonthExport(benchmark::State& aState, bool aHealthValues)
{
    TFixture& fixture = Fixture();
    const double floor = MedianSeconds([&] { benchmark::DoNotOptimize(ReadDiaryFile(fixture.DiaryFile)); });
    const std::unique_ptr<TDiary> diary = ReadDiaryFile(fixture.DiaryFile);
    const TRegionalSettings settings;
    double total = 0;
    for (auto _ : aState) {
        const double seconds = Seconds([&] {
            if (aHealthValues)
                ExportHealthValuesAsCsvFile(*diary, 2020, 6, fixture.OutFile, settings);
            else
                ExportMonthAsTextFile(*diary, 2020, 6, fixture.OutFile, settings);
        });
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    ReportRatio(aState, total, floor);
}
} // namespace

BENCHMARK_CAPTURE(BM_TaskImport, start_times, false)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_TaskImport, end_only, true)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MonthExport, text, false)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_MonthExport, health_values, true)->UseManualTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
