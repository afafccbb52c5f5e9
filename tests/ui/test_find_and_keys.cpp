// Finding text from the window, the calendar's marks of the filled days and the day-stepping keys,
// on the real window with its own diary.

#include "ui/support/DayPageWindow.h"

#include "ui/FindPanel.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;

namespace {
const QDate March10(2026, 3, 10);
const QDate March12(2026, 3, 12);
const QDate March15(2026, 3, 15);

// March 12 and 15 hold a word in several sections; March 10 is an empty page.
std::unique_ptr<TDiary> SampleDiary()
{
    auto diary = MakeDiary({March10, March12, March15});
    TDay& twelfth = DayOf(*diary, March12);
    twelfth.Thoughts = u"Quince jam again"_s;
    twelfth.HealthCondition = u"a cold from the quince tree"_s;
    // The found task is not the one a shown day makes current (the first stored), so the jump must select it.
    auto other = std::make_unique<TTask>();
    other->ID = 2;
    other->Task = u"Water the roses"_s;
    twelfth.Tasks.push_back(std::move(other));
    auto task = std::make_unique<TTask>();
    task->ID = 4;
    task->Task = u"Pick quinces"_s;
    twelfth.Tasks.push_back(std::move(task));
    twelfth.LastTaskID = 4;
    TDay& fifteenth = DayOf(*diary, March15);
    fifteenth.Weather = u"Rain over the QUINCE orchard"_s;
    fifteenth.Dinner = u"quince cake"_s;
    return diary;
}

QDate ShownDate(TDayPageWindow& aWindow)
{
    return DateOfDateTime(aWindow.Day().Date);
}

bool IsMarked(TDayPageWindow& aWindow, const QDate& aDate)
{
    return aWindow.Picker()->calendarWidget()->dateTextFormat(aDate).fontWeight() == QFont::Bold;
}

} // namespace

class TestFindAndKeys : public QObject {
    Q_OBJECT

    // Ctrl+F from wherever the focus is, then the query typed into the panel; the panel's results
    // come after the pause in typing.
    TFindPanel* Find(TDayPageWindow& aWindow, const QString& aQuery)
    {
        QWidget* focused = QApplication::focusWidget() ? QApplication::focusWidget() : &aWindow.Form();
        QTest::keyClick(focused, Qt::Key_F, Qt::ControlModifier);
        auto* panel = aWindow.Form().findChild<TFindPanel*>(u"FindPanel"_s);
        if (!panel || !panel->isVisible())
            return nullptr;
        auto* edit = panel->findChild<QLineEdit*>(u"EditFindText"_s);
        edit->selectAll();
        QTest::keyClicks(edit, aQuery);
        if (!QTest::qWaitFor([&] { return !panel->Hits().empty(); }))
            qWarning("no results");
        return panel;
    }

    // The user picks the result in row aRow and presses Enter.
    void Activate(TFindPanel* aPanel, int aRow)
    {
        auto* view = aPanel->findChild<QTreeView*>(u"ListViewFindResults"_s);
        view->setCurrentIndex(view->model()->index(aRow, 0));
        QTest::keyClick(view, Qt::Key_Return);
    }

    QString CurrentPage(TDayPageWindow& aWindow, const QString& aTabs)
    {
        return aWindow.Find<QTabWidget>(aTabs)->currentWidget()->objectName();
    }

private Q_SLOTS:
    void resultShowsItsDayAndPage_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("innerPage"); // of the page's own page control, if it has one

        // Newest first; within a day in the order of the pages.
        QTest::newRow("dinner") << 0 << March15 << u"Dinner"_s << u"TabSheetMeals"_s << QString();
        QTest::newRow("weather report") << 1 << March15 << u"Weather condition"_s << u"TabSheetWeather"_s
                                        << u"TabSheet1"_s;
        QTest::newRow("task") << 2 << March12 << u"Task"_s << u"TabSheetTasks"_s << QString();
        QTest::newRow("health condition")
            << 3 << March12 << u"Health condition"_s << u"TabSheetHealth"_s << u"TabSheetHealthCondition"_s;
        QTest::newRow("thoughts") << 4 << March12 << u"Thoughts"_s << u"TabSheetThoughts"_s << QString();
    }

    void resultShowsItsDayAndPage()
    {
        QFETCH(int, row);
        QFETCH(QDate, date);
        QFETCH(QString, section);
        QFETCH(QString, page);
        QFETCH(QString, innerPage);
        const auto diary = SampleDiary();
        TDayPageWindow window(diary.get());
        // The inner page controls start elsewhere, so a jump that forgets them shows.
        window.Find<QTabWidget>(u"PageControlHealth"_s)->setCurrentIndex(1);
        window.Find<QTabWidget>(u"PageControlWeather"_s)->setCurrentIndex(1);

        TFindPanel* panel = Find(window, u"QUINCE"_s);
        QVERIFY(panel);
        QCOMPARE(panel->Hits().size(), size_t(5));
        // The date and section columns show their whole texts ("2026-12-10 Thurs..." was cut).
        auto* results = panel->findChild<QTreeView*>(u"ListViewFindResults"_s);
        for (const int column : {0, 1}) {
            const int needed = static_cast<QAbstractItemView*>(results)->sizeHintForColumn(column);
            QVERIFY2(results->columnWidth(column) >= needed,
                     qPrintable(u"column %1: %2 < %3"_s.arg(column).arg(results->columnWidth(column)).arg(needed)));
        }
        QCOMPARE(SearchSectionName(panel->Hits()[size_t(row)].Section), section);
        Activate(panel, row);

        QCOMPARE(ShownDate(window), date);
        QCOMPARE(window.Picker()->date(), date);
        QCOMPARE(CurrentPage(window, u"PageControlAll"_s), page);
        if (innerPage == u"TabSheet1")
            QCOMPARE(CurrentPage(window, u"PageControlWeather"_s), innerPage);
        if (innerPage == u"TabSheetHealthCondition")
            QCOMPARE(CurrentPage(window, u"PageControlHealth"_s), innerPage);
        if (section == u"Task") {
            // The found entry's row is selected and its editor shows it, as after a click on the row.
            const auto* list = window.Find<QTreeWidget>(u"ListViewTasks"_s);
            QVERIFY(list->currentItem());
            QCOMPARE(list->currentItem()->data(0, Qt::UserRole).toLongLong(), 4);
            QCOMPARE(window.Find<QLineEdit>(u"EditTask"_s)->text(), u"Pick quinces"_s);
        }
        QCOMPARE(window.TakeMessages(), QStringList());
    }

    void findSearchesTheStoredTextsAndFollowsANewDiary()
    {
        const auto diary = SampleDiary();
        TDayPageWindow window(diary.get());
        window.PickDate(March10);
        window.Find<TRichEdit>(u"RichEditThoughts"_s)->SetText(u"a kumquat"_s);

        TFindPanel* panel = Find(window, u"kumquat"_s);
        QVERIFY(panel);
        QVERIFY(panel->Hits().empty()); // typed, not committed

        window.PickDate(March12);                                        // commits March 10
        QTest::keyClick(&window.Form(), Qt::Key_F, Qt::ControlModifier); // finds again with the query shown
        QCOMPARE(panel->Hits().size(), size_t(1));
        QCOMPARE(DateOfDateTime(panel->Hits()[0].Date), March10);

        window.Dialogs().AnswerNo(); // the save question of the unsaved page
        window.Form().MenuItemNewClick();
        QVERIFY(panel->Hits().empty());
        QCOMPARE(window.TakeMessages(), QStringList{u"dialog: Do you want to save the file?"_s});
    }

    void pendingNumberIsCommittedBeforeTheJump()
    {
        const auto diary = SampleDiary();
        TDayPageWindow window(diary.get());
        window.PickDate(March10);
        auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
        window.Focus(temperature);
        QTest::keyClicks(temperature, u"37"_s); // after the "0" shown

        TFindPanel* panel = Find(window, u"cake"_s);
        QVERIFY(panel);
        Activate(panel, 0);

        QCOMPARE(ShownDate(window), March15);
        QCOMPARE(window.Form().Diary()->DB[0]->TemperatureAtMorning, 37.0);
        QVERIFY(window.Form().IsDialogUpdated());
        QCOMPARE(window.TakeMessages(), QStringList());
    }

    void numberThatDoesNotConvertStopsTheJump()
    {
        const auto diary = SampleDiary();
        TDayPageWindow window(diary.get());
        window.PickDate(March10);
        window.Find<QTabWidget>(u"PageControlAll"_s)->setCurrentWidget(window.Widget(u"TabSheetHealth"_s));
        window.Find<TNumberEdit>(u"EditTemperature1"_s)->setText(u"."_s); // a paste can leave this

        TFindPanel* panel = Find(window, u"cake"_s);
        QVERIFY(panel);
        Activate(panel, 0);

        QCOMPARE(window.TakeMessages(), QStringList{u"error: '.' ist kein gültiger Gleitkommawert."_s});
        QCOMPARE(ShownDate(window), March10);
        QCOMPARE(window.Picker()->date(), March10);
        QCOMPARE(CurrentPage(window, u"PageControlAll"_s), u"TabSheetHealth"_s);
    }

    void dayKeysStepFromAnyControl_data()
    {
        QTest::addColumn<QString>("control");
        for (const char* name : {"EditTemperature1", "EditWeatherTemperatureMorning", "RichEditThoughts",
                                 "DateTimePicker1", "ListViewTasks", "ComboBoxWeatherMoonPhase", "EditFindText"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }

    void dayKeysStepFromAnyControl()
    {
        QFETCH(QString, control);
        const auto diary = SampleDiary();
        TDayPageWindow window(diary.get());
        window.PickDate(March12);
        QWidget* widget = window.Widget(control);
        if (!widget) {
            QVERIFY(Find(window, u"quince"_s));
            widget = window.Form().findChild<QLineEdit*>(control);
        }
        QVERIFY(widget);
        if (widget->window() == &window.Form())
            window.Focus(widget);
        const QString page = CurrentPage(window, u"PageControlAll"_s);

        QTest::keyClick(widget, Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(ShownDate(window), March12.addDays(1));
        QTest::keyClick(widget, Qt::Key_PageUp, Qt::ControlModifier);
        QTest::keyClick(widget, Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(ShownDate(window), March12.addDays(-1));
        QCOMPARE(window.Picker()->date(), March12.addDays(-1));
        QCOMPARE(CurrentPage(window, u"PageControlAll"_s), page); // not taken as the page control's key
        QCOMPARE(window.TakeMessages(), QStringList());
    }

    void filledDayKeysPressTheButtons()
    {
        TDayPageWindow window;
        auto* previous = window.Find<QPushButton>(u"ButtonGoToPreviousFilledDay"_s);
        auto* next = window.Find<QPushButton>(u"ButtonGoToNextFilledDay"_s);
        QSignalSpy previousClicks(previous, &QPushButton::clicked);
        QSignalSpy nextClicks(next, &QPushButton::clicked);
        auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
        window.Focus(temperature);

        QTest::keyClick(temperature, Qt::Key_PageUp, Qt::AltModifier);
        QTest::keyClick(temperature, Qt::Key_PageDown, Qt::AltModifier);
        QTest::keyClick(temperature, Qt::Key_PageDown, Qt::AltModifier);
        QCOMPARE(previousClicks.size(), 1);
        QCOMPARE(nextClicks.size(), 2);

        // The keys are shown where the commands are.
        const auto key = [](const char* aText) { return QKeySequence(QString::fromLatin1(aText)); };
        const QList<std::pair<QString, QKeySequence>> items = {{u"MenuItemFindInDiary"_s, key("Ctrl+F")},
                                                               {u"MenuItemPreviousDay"_s, key("Ctrl+PgUp")},
                                                               {u"MenuItemNextDay"_s, key("Ctrl+PgDown")},
                                                               {u"MenuItemPreviousFilledDay"_s, key("Alt+PgUp")},
                                                               {u"MenuItemNextFilledDay"_s, key("Alt+PgDown")}};
        for (const auto& [name, sequence] : items)
            QCOMPARE(window.Find<QAction>(name)->shortcut(), sequence);
        QStringList captions;
        for (const QAction* action : window.Find<QMenu>(u"MainMenuSearch"_s)->actions())
            captions << action->text();
        QCOMPARE(captions, (QStringList{u"&Find in diary..."_s, QString(), u"&Previous day"_s, u"&Next day"_s,
                                        u"Pre&vious filled day"_s, u"Ne&xt filled day"_s}));
        QCOMPARE(previous->toolTip(), u"Go to previous filled day (Alt+PgUp)"_s);
        QCOMPARE(next->toolTip(), u"Go to next filled day (Alt+PgDown)"_s);
        QCOMPARE(window.TakeMessages(), QStringList());
    }

    void ctrlFReachesTheWindowFromANumericEdit()
    {
        TDayPageWindow window;
        auto* pulse = window.Find<TNumberEdit>(u"EditPuls1"_s);
        window.Focus(pulse);

        QTest::keyClick(pulse, Qt::Key_G, Qt::ControlModifier); // no window key: the filter speaks
        QCOMPARE(window.TakeMessages(), QStringList{u"error: Only integers are allowed!"_s});
        QTest::keyClick(pulse, Qt::Key_F, Qt::ControlModifier);
        auto* panel = window.Form().findChild<TFindPanel*>(u"FindPanel"_s);
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(pulse->text(), u"0"_s);
        QCOMPARE(window.TakeMessages(), QStringList());
    }

    void calendarMarksFollowTheFilledDays()
    {
        const auto diary = SampleDiary();
        TDayPageWindow window(diary.get());
        // The diary opened at start is read whole in the background once the window is up; the
        // marks follow then.
        QTRY_VERIFY(IsMarked(window, March12));
        QVERIFY(IsMarked(window, March15));
        QVERIFY(!IsMarked(window, March10));

        // A commit that fills a day, then one that empties a day.
        window.PickDate(March10);
        window.Find<QComboBox>(u"ComboBoxWeatherMoonPhase"_s)->setEditText(u"Full Moon"_s);
        window.PickDate(March15);
        QVERIFY(IsMarked(window, March10));
        for (const char* name : {"RichEditWeatherToday", "RichEditDinner"})
            window.Find<TRichEdit>(QString::fromLatin1(name))->SetText(QString());
        window.PickDate(March10);
        QVERIFY(!IsMarked(window, March15));
        QVERIFY(IsMarked(window, March12));

        window.Dialogs().AnswerNo();
        window.Form().MenuItemNewClick();
        QVERIFY(!IsMarked(window, March10));
        QVERIFY(!IsMarked(window, March12));
        QCOMPARE(window.TakeMessages(), QStringList{u"dialog: Do you want to save the file?"_s});
    }
};

QTEST_MAIN(TestFindAndKeys)
#include "test_find_and_keys.moc"
