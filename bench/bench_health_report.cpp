// The health report of ten years (3,650 days, every reading set) written as a PDF file, against
// writing the month text export of the same 3,650 days into a file, measured in the same run
// (target: at most 20x). The report is timed whole: the summary of the diary, the layout of its
// pages, the drawing and the file. Reports "ratio" (the mean report over the floor's median),
// the floor itself and the report's page count.
#include "BenchMain.h"
#include "BenchTiming.h"
#include "DiaryGenerator.h"

#include "exchange/HealthSummary.h"
#include "exchange/MonthExport.h"
#include "report/HealthReport.h"

#include <benchmark/benchmark.h>

#include <QDate>
#include <QTemporaryDir>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kDays = 3650;
const QDate kFirstDate = QDate::currentDate().addDays(1 - kDays); // the first day of the shared 10-year diary

void BM_HealthReport(benchmark::State& aState)
{
    QTemporaryDir dir;
    const QString textFile = dir.filePath(u"ten-years.txt"_s);
    const QString pdfFile = dir.filePath(u"ten-years.pdf"_s);
    const std::unique_ptr<TDiary> diary = MakeTenYearDiary(kDays);
    const TRegionalSettings settings;
    std::vector<TDay*> days;
    for (const auto& day : diary->DB)
        days.push_back(day.get());

    const double floor = MedianSeconds([&] { WriteMonthTextFile(textFile, days, settings); });

    THealthReportOptions options;
    options.DiaryName = u"ten-years.Kestrova"_s;
    const QDate last = kFirstDate.addDays(kDays - 1);
    int pages = 0;
    const auto report = [&] {
        const THealthSummary summary = SummarizeHealth(*diary, kFirstDate, last);
        if (summary.Days.size() != size_t(kDays))
            qFatal("the summary lost days");
        pages = WriteHealthReportPdfFile(pdfFile, summary, options, settings);
    };
    report(); // the first run loads the fonts, which no later report pays for again
    double total = 0;
    for (auto _ : aState) {
        const double seconds = Seconds(report);
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    ReportRatio(aState, total / double(aState.iterations()), floor);
    aState.counters["pages"] = pages;
}
} // namespace

// A report takes seconds; three runs steady the mean without a long benchmark.
BENCHMARK(BM_HealthReport)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}
