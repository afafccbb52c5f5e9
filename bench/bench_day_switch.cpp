// Switching the day shown (the date picker's change: commit of the page left, the page fetched,
// every control refilled) with the 10-year diary open, against the same switch between the same
// two pages in a diary that holds only them, measured in the same run (target: at most 2x).
// Reports "ratio" (the mean switch over the floor's median switch) and the floor itself.
#include "DiaryGenerator.h"

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
using TClock = std::chrono::steady_clock;

constexpr int kSwitchesPerRun = 40;

double Seconds(const std::function<void()>& aWork)
{
    const auto start = TClock::now();
    aWork();
    return std::chrono::duration<double>(TClock::now() - start).count();
}

double MedianSeconds(const std::function<void()>& aWork, int aRuns = 7)
{
    std::vector<double> times;
    for (int i = 0; i < aRuns; ++i)
        times.push_back(Seconds(aWork));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A switch shows nothing; anything the window asks or reports means the measurement is wrong.
class TSilentDialogs : public TDialogs {
public:
    void ShowMessage(QWidget*, const QString& aText) override { Fail(aText); }
    void ShowError(QWidget*, const QString& aText) override { Fail(aText); }
    bool AskYesNo(QWidget*, const QString& aText) override { return Fail(aText), false; }
    std::optional<QString> ExecuteOpen(QWidget*, TFileDialog&) override { return Fail(u"open dialog"_s), std::nullopt; }
    std::optional<QString> ExecuteSave(QWidget*, TFileDialog&) override { return Fail(u"save dialog"_s), std::nullopt; }
    void ExecuteModal(QDialog&) override { Fail(u"modal dialog"_s); }

private:
    static void Fail(const QString& aText) { qFatal("the window showed: %s", qPrintable(aText)); }
};

// The window with aDiary opened at start, as the program opens a file named on its command line.
class TSwitchWindow {
public:
    explicit TSwitchWindow(const TDiary& aDiary)
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fDir.filePath(u"settings"_s));
        TKSFileUtils::ClearRecentFiles();
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
