// Start-up of the window, from constructing TmainForm to the window shown, with the 10-year diary
// as the last file of the settings store, against the same start with no last file (a new diary),
// measured in the same run (target: at most 1.5x). Reports "ratio" (mean start with the diary over
// the floor's median start) and the floor; "read_ratio" is the file read alone over the same floor,
// which tells how much of the start the reading takes by itself.
#include "BenchTiming.h"
#include "DiaryGenerator.h"
#include "SilentDialogs.h"

#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"
#include "ui/UnitMainForm.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {
// A settings store of its own, naming aLastFile (or nothing) as the program left it at its last close.
class TStartBench {
public:
    TStartBench()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fDir.filePath(u"settings"_s));
        fFile = fDir.filePath(u"ten-years.Kestrova"_s);
        WriteDiaryFile(*MakeTenYearDiary(), fFile);
    }
    const QString& File() const { return fFile; }

    void SetLastFile(const QString& aFileName) const
    {
        QSettings store(QSettings::NativeFormat, QSettings::UserScope, u"Orvanta"_s, u"Kestrova"_s);
        store.setValue(u"LastFilename"_s, aFileName);
    }

    // One program start: construction runs FormCreate, then the window is shown and painted once.
    // Closing and destroying it is not part of the start.
    double Start(const QString& aExpectedFile) const
    {
        TKSFileUtils::ClearRecentFiles();
        std::unique_ptr<TmainForm> form;
        const double seconds = Seconds([&] {
            form = std::make_unique<TmainForm>(std::make_unique<TSilentDialogs>(), TRegionalSettings());
            form->show();
            QApplication::processEvents();
        });
        if (form->FileName() != aExpectedFile)
            qFatal("the start opened '%s'", qPrintable(form->FileName()));
        return seconds;
    }

private:
    QTemporaryDir fDir;
    QString fFile;
};

void BM_StartUp(benchmark::State& aState)
{
    TStartBench bench;

    bench.SetLastFile(QString());
    bench.Start(QString()); // warm up: fonts, styles and chart resources are loaded once per process
    const double floor = MedianSeconds([&] { bench.Start(QString()); });
    // The read alone, as the start does it: the diary read is kept, so its destruction is not counted.
    std::vector<double> reads;
    for (int i = 0; i < 7; ++i) {
        std::unique_ptr<TDiary> diary;
        reads.push_back(Seconds([&] { diary = ReadDiaryFile(bench.File()); }));
        benchmark::DoNotOptimize(diary.get());
    }
    std::sort(reads.begin(), reads.end());
    const double read = reads[reads.size() / 2];

    bench.SetLastFile(bench.File());
    bench.Start(bench.File());
    double total = 0;
    for (auto _ : aState) {
        const double seconds = bench.Start(bench.File());
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = total / double(aState.iterations());
    aState.counters["floor_ms"] = floor * 1e3;
    aState.counters["ratio"] = mean / floor;
    aState.counters["read_ratio"] = read / floor;
}
} // namespace

BENCHMARK(BM_StartUp)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
