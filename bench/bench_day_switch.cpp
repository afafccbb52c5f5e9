// Switching the day shown (the date picker's change: commit of the page left, the page fetched,
// every control refilled; the charts and the picture follow only on their own pages, which
// bench_page_switch measures) with the
// 10-year diary open, against the same switch between the same two pages in a diary that holds
// only the 31 days up to the later one, measured in the same run (target: at most 2x). The health
// chart shows all three times of day, its largest fill. Reports "ratio" (the mean switch over the
// floor's median switch) and the floor itself.
#include "BenchMain.h"
#include "BenchWindow.h"
#include "BenchTiming.h"
#include "DiaryGenerator.h"

#include "ui/UnitMainForm.h"
#include "util/ksDateUtils.h"

#include <benchmark/benchmark.h>

#include <QAbstractButton>
#include <QApplication>

#include <algorithm>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kSwitchesPerRun = 40;

// The window with aDiary opened at start, as the program opens a file named on its command line.
class TSwitchWindow : public TBenchWindow {
public:
    explicit TSwitchWindow(const TDiary& aDiary) : TBenchWindow(aDiary)
    {
        MakeEveryPage();
        auto* all = fForm->findChild<QAbstractButton*>(u"RadioGroupChartTypeAll"_s);
        if (!all)
            qFatal("no chart type");
        all->click();
    }

    void SwitchBackAndForth(const QDate& aFirst, const QDate& aSecond, int aSwitches)
    {
        for (int i = 0; i < aSwitches / 2; ++i) {
            Switch(aFirst);
            Switch(aSecond);
        }
    }
};

// Two neighbouring pages from the middle of the ten years, so that finding them walks half the list.
constexpr int kFirstIndex = 1825;
constexpr int kChartDays = 31; // the shown day and the thirty before it

void BM_DaySwitch(benchmark::State& aState)
{
    const std::unique_ptr<TDiary> tenYears = MakeTenYearDiary();
    const QDate first = DateOfDateTime(tenYears->DB[kFirstIndex]->Date);
    const QDate second = DateOfDateTime(tenYears->DB[kFirstIndex + 1]->Date);

    // The floor: the very same two pages with the days their charts show, alone in their diary.
    double floor = 0;
    {
        std::unique_ptr<TDiary> source = MakeTenYearDiary();
        TDiary month;
        for (int i = kFirstIndex + 1 - kChartDays + 1; i <= kFirstIndex + 1; ++i)
            month.DB.push_back(std::move(source->DB[i]));
        TSwitchWindow window(month);
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
    ReportRatio(aState, mean, floor);
}
} // namespace

BENCHMARK(BM_DaySwitch)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}
