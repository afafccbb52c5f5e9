// The time a recovery copy holds the user-interface thread (the snapshot of the diary with the page
// as shown, and handing it to the writing thread) with the 10-year diary open and a change made,
// against one day switch on the same diary, measured in the same run (target: at most 1x, so that
// a copy never stalls typing longer than picking another day does). The writing itself runs beside
// and is waited for outside the measurement, so each snapshot starts with the caches as the write
// left them. Reports "ratio" (the mean snapshot over the median switch), "first_ratio" (the first
// snapshot after the diary was opened and the window had a moment to prepare) and the floor.
#include "BenchMain.h"
#include "BenchTiming.h"
#include "BenchWindow.h"
#include "DiaryGenerator.h"

#include "ui/UnitMainForm.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTabWidget>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kSwitchesPerRun = 40;
constexpr int kDayIndex = 1825; // a page from the middle of the ten years

class TRecoveryWindow : public TBenchWindow {
public:
    using TBenchWindow::TBenchWindow;

    void SwitchBackAndForth(const QDate& aFirst, const QDate& aSecond)
    {
        for (int i = 0; i < kSwitchesPerRun / 2; ++i) {
            Switch(aFirst);
            Switch(aSecond);
        }
    }

    // A key typed into the thoughts: the change check runs, and a copy is due.
    void Type()
    {
        // Typed where the user types it: on the thoughts page, brought to the front.
        if (auto* tabs = fForm->findChild<QTabWidget*>(u"PageControlAll"_s))
            tabs->setCurrentWidget(fForm->findChild<QWidget*>(u"TabSheetThoughts"_s));
        auto* thoughts = fForm->findChild<TRichEdit*>(u"RichEditThoughts"_s);
        if (!thoughts)
            qFatal("no thoughts box");
        thoughts->insertPlainText(u"x"_s);
        if (!fForm->IsDialogUpdated())
            qFatal("the change was not noticed");
    }

    // What the program does when the user turns to another program: the copy is taken here, and
    // written beside.
    void LoseFocus() { Q_EMIT qGuiApp->applicationStateChanged(Qt::ApplicationInactive); }

    // The window copies the days ahead in slices while it waits for the user.
    void WaitUntilPrepared()
    {
        const QDeadlineTimer deadline(30000);
        while (!fForm->IsRecoveryPrepared() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (!fForm->IsRecoveryPrepared())
            qFatal("the window did not prepare its copies");
    }

    void WaitForCopy()
    {
        fForm->WaitForRecoveryWrite();
        if (fForm->RecoveryCopyFile().isEmpty() || !QFile::exists(fForm->RecoveryCopyFile()))
            qFatal("no recovery copy was written");
    }
};

void BM_RecoveryCopy(benchmark::State& aState)
{
    const std::unique_ptr<TDiary> tenYears = MakeTenYearDiary();
    const QDate first = DateOfDateTime(tenYears->DB[kDayIndex]->Date);
    const QDate second = DateOfDateTime(tenYears->DB[kDayIndex + 1]->Date);
    TRecoveryWindow window(*tenYears);
    // Both figures in the window as the user has it: shown, its events processed, and its days
    // copied ahead, which it does while it waits. (A window that never ran its event loop, as in
    // the day-switch benchmark, switches days several times faster than this one.)
    window.WaitUntilPrepared();

    // The floor: a day switch between two pages of the same diary.
    window.SwitchBackAndForth(first, second); // warm up
    const double floor = MedianSeconds([&] { window.SwitchBackAndForth(first, second); }) / kSwitchesPerRun;

    window.Type();
    const double firstSnapshot = Seconds([&] { window.LoseFocus(); });
    window.WaitForCopy();
    double total = 0;
    for (auto _ : aState) {
        window.Type();
        const double seconds = Seconds([&] { window.LoseFocus(); });
        window.WaitForCopy();
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    ReportRatio(aState, total / double(aState.iterations()), floor);
    aState.counters["first_ratio"] = firstSnapshot / floor;
}
} // namespace

BENCHMARK(BM_RecoveryCopy)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}
