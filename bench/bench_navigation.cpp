// "Next filled day" with the 10-year diary open, against the same click in a diary of 31 days,
// measured in the same run (target: at most 3x). Every click sorts the page list and searches it
// by position, so the larger diary may cost more only by those walks over an ordered list.
// Reports "ratio" (the mean click over the floor's median click) and the floor itself.
#include "BenchMain.h"
#include "BenchWindow.h"
#include "BenchTiming.h"
#include "DiaryGenerator.h"

#include "ui/UnitMainForm.h"
#include "util/ksDateUtils.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <algorithm>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kClicksPerRun = 20;

// The window with aDiary opened at start, as the program opens a file named on its command line.
class TNavigationWindow : public TBenchWindow {
public:
    using TBenchWindow::TBenchWindow;

    // One click; every page of the generated diaries is filled, so it moves one day on.
    void Next()
    {
        const TDateTime before = fForm->Day()->Date;
        fForm->ButtonGoToNextFilledDayClick();
        if (DatePart(fForm->Day()->Date) != DatePart(before) + 1)
            qFatal("the click did not move to the next day");
    }

    // The time of aClicks clicks from aStart; the way to the start is not counted.
    double Clicks(const QDate& aStart, int aClicks)
    {
        Switch(aStart);
        double seconds = 0;
        for (int i = 0; i < aClicks; ++i)
            seconds += Seconds([this] { Next(); });
        return seconds;
    }
};

void BM_NextFilledDay(benchmark::State& aState)
{
    // The floor: a month of the same kind of pages, clicked through from its first day.
    double floor = 0;
    {
        const std::unique_ptr<TDiary> month = MakeTenYearDiary(31);
        const QDate start = DateOfDateTime(month->DB.front()->Date);
        TNavigationWindow window(*month);
        window.Clicks(start, kClicksPerRun); // warm up
        std::vector<double> runs;
        for (int i = 0; i < 7; ++i)
            runs.push_back(window.Clicks(start, kClicksPerRun));
        std::sort(runs.begin(), runs.end());
        floor = runs[runs.size() / 2] / kClicksPerRun;
    }

    // Near the end of the ten years, so that finding the page shown walks nearly the whole list.
    const std::unique_ptr<TDiary> tenYears = MakeTenYearDiary();
    const QDate start = DateOfDateTime(tenYears->DB[tenYears->DB.size() - kClicksPerRun - 5]->Date);
    TNavigationWindow window(*tenYears);
    window.Clicks(start, kClicksPerRun);
    double total = 0;
    int inRun = kClicksPerRun;
    for (auto _ : aState) {
        if (inRun == kClicksPerRun) {
            window.Switch(start);
            inRun = 0;
        }
        ++inRun;
        const double seconds = Seconds([&] { window.Next(); });
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = total / double(aState.iterations());
    ReportRatio(aState, mean, floor);
}
} // namespace

BENCHMARK(BM_NextFilledDay)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}
