// Switching the day shown (the date picker's change: commit of the page left, the page fetched,
// every control refilled) with the 10-year diary open, against the same switch between the same
// two pages in a diary that holds only them, measured in the same run (target: at most 2x).
// Reports "ratio" (the mean switch over the floor's median switch) and the floor itself.
#include "BenchTiming.h"
#include "DiaryGenerator.h"
#include "SilentDialogs.h"

#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"
#include "ui/UnitMainForm.h"
#include "util/ksDateUtils.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDateEdit>
#include <QSettings>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kSwitchesPerRun = 40;

// The window with aDiary opened at start, as the program opens a file named on its command line.
class TSwitchWindow {
public:
    explicit TSwitchWindow(const TDiary& aDiary)
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fDir.filePath(u"settings"_s));
        const QString file = fDir.filePath(u"bench.Kestrova"_s);
        WriteDiaryFile(aDiary, file);
        fForm = std::make_unique<TmainForm>(std::make_unique<TSilentDialogs>(), TRegionalSettings(),
                                            TmainForm::TOptions{file});
        fForm->show();
        fPicker = fForm->findChild<QDateEdit*>(u"DateTimePicker1"_s);
        if (!fPicker)
            qFatal("no date picker");
    }

    // The user picks aDate; the picker reports it and the window switches.
    void Switch(const QDate& aDate)
    {
        fPicker->setDate(aDate);
        if (DateOfDateTime(fForm->Day()->Date) != aDate)
            qFatal("the switch did not happen");
    }

    void SwitchBackAndForth(const QDate& aFirst, const QDate& aSecond, int aSwitches)
    {
        for (int i = 0; i < aSwitches / 2; ++i) {
            Switch(aFirst);
            Switch(aSecond);
        }
    }

private:
    QTemporaryDir fDir;
    std::unique_ptr<TmainForm> fForm;
    QDateEdit* fPicker = nullptr;
};

// Two neighbouring pages from the middle of the ten years, so that finding them walks half the list.
constexpr int kFirstIndex = 1825;

void BM_DaySwitch(benchmark::State& aState)
{
    const std::unique_ptr<TDiary> tenYears = MakeTenYearDiary();
    const QDate first = DateOfDateTime(tenYears->DB[kFirstIndex]->Date);
    const QDate second = DateOfDateTime(tenYears->DB[kFirstIndex + 1]->Date);

    // The floor: the very same two pages, alone in their diary.
    double floor = 0;
    {
        std::unique_ptr<TDiary> source = MakeTenYearDiary();
        TDiary twoPages;
        twoPages.DB.push_back(std::move(source->DB[kFirstIndex]));
        twoPages.DB.push_back(std::move(source->DB[kFirstIndex + 1]));
        TSwitchWindow window(twoPages);
        window.SwitchBackAndForth(first, second, kSwitchesPerRun); // warm up
        floor = MedianSeconds([&] { window.SwitchBackAndForth(first, second, kSwitchesPerRun); }) / kSwitchesPerRun;
    }

    TSwitchWindow window(*tenYears);
    window.SwitchBackAndForth(first, second, kSwitchesPerRun);
    double total = 0;
    bool toFirst = true;
    for (auto _ : aState) {
        const QDate target = toFirst ? first : second;
        toFirst = !toFirst;
        const double seconds = Seconds([&] { window.Switch(target); });
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = total / double(aState.iterations());
    aState.counters["floor_ms"] = floor * 1e3;
    aState.counters["ratio"] = mean / floor;
}
} // namespace

BENCHMARK(BM_DaySwitch)->UseManualTime()->Unit(benchmark::kMicrosecond);

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
