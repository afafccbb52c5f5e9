// One keystroke in EditTask (change check, store, re-sort, refill, select) on a day with 500 tasks,
// against the same keystroke on a day with 5 tasks, measured in the same run (target: at most 20x
// for the 100 times as many rows). Reports "ratio" (the mean keystroke over the floor's median
// keystroke), the floor and the mean keystroke itself.
#include "BenchMain.h"
#include "BenchWindow.h"
#include "BenchTiming.h"

#include "ui/UnitMainForm.h"
#include "util/ksDateUtils.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int kKeystrokesPerRun = 50;

// A day of aTasks tasks through the day, two minutes apart, each half an hour long, as a busy
// user's day would hold them, opened at start and shown.
const QDate TypingDate(2026, 3, 12);

std::unique_ptr<TDiary> DayOfTasks(int aTasks)
{
    auto diary = std::make_unique<TDiary>();
    TDay* day = diary->GetDay(EncodeDate(TypingDate) + 0.5);
    for (int i = 0; i < aTasks; ++i) {
        auto task = std::make_unique<TTask>();
        task->ID = ++day->LastTaskID;
        task->FromTime = (6 * 60 + 2 * (i % 480)) / 1440.0;
        task->ToTime = task->FromTime + 30 / 1440.0;
        task->Task = u"Task number %1 of the day"_s.arg(i);
        task->Notes = u"Some notes that the list does not show."_s;
        day->Tasks.push_back(std::move(task));
    }
    return diary;
}

class TTypingWindow : public TBenchWindow {
public:
    explicit TTypingWindow(int aTasks) : TBenchWindow(*DayOfTasks(aTasks))
    {
        Switch(TypingDate);
        fEdit = fForm->findChild<QLineEdit*>(u"EditTask"_s);
        fList = fForm->findChild<QTreeWidget*>(u"ListViewTasks"_s);
        if (!fEdit || !fList || fList->topLevelItemCount() != aTasks || !fEdit->isEnabled())
            qFatal("the day's tasks are not shown");
        fEdit->setFocus();
        fEdit->end(false);
    }

    // One key typed into EditTask: a letter, then a backspace, so the text stays as long.
    void Keystroke()
    {
        QKeyEvent press(QEvent::KeyPress, fLetter ? Qt::Key_A : Qt::Key_Backspace, Qt::NoModifier,
                        fLetter ? u"a"_s : u"\b"_s);
        QKeyEvent release(QEvent::KeyRelease, press.key(), Qt::NoModifier, press.text());
        QApplication::sendEvent(fEdit, &press);
        QApplication::sendEvent(fEdit, &release);
        fLetter = !fLetter;
    }

    void Type(int aKeystrokes)
    {
        for (int i = 0; i < aKeystrokes; ++i)
            Keystroke();
        if (fForm->Day()->Tasks.front()->Task != fEdit->text())
            qFatal("the keystrokes were not stored");
    }

private:
    QLineEdit* fEdit = nullptr;
    QTreeWidget* fList = nullptr;
    bool fLetter = true;
};

void BM_TaskKeystroke(benchmark::State& aState)
{
    double floor = 0;
    {
        TTypingWindow few(5);
        few.Type(kKeystrokesPerRun); // warm up
        floor = MedianSeconds([&] { few.Type(kKeystrokesPerRun); }) / kKeystrokesPerRun;
    }

    TTypingWindow many(500);
    many.Type(kKeystrokesPerRun);
    double total = 0;
    for (auto _ : aState) {
        const double seconds = Seconds([&] { many.Keystroke(); });
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    const double mean = total / double(aState.iterations());
    aState.counters["floor_us"] = floor * 1e6;
    aState.counters["keystroke_us"] = mean * 1e6;
    aState.counters["ratio"] = mean / floor;
}
} // namespace

BENCHMARK(BM_TaskKeystroke)->UseManualTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}
