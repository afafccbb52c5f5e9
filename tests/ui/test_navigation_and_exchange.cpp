// The four filled-day buttons and the import and export menu commands on the real window, driven
// through the scripted dialogs: what they ask, what they write and what they leave in the diary.

#include "ui/support/DayPageWindow.h"

#include "exchange/HealthValuesExport.h"
#include "support/JpegFixture.h"
#include "exchange/MonthExport.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QAction>
#include <QBuffer>
#include <QTreeWidget>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using TKind = TScriptedDialogs::TKind;

namespace {
// Long before the page of today that the window adds at start, which is always the latest page.
const QDate March10(2020, 3, 10);
const QDate March12(2020, 3, 12); // a Thursday
const QDate March14(2020, 3, 14);
const QDate March16(2020, 3, 16);
const QDate March20(2020, 3, 20);
const QDate April2(2020, 4, 2);

const QString InformationText = u"The CSV file must be structured as follows: Task; Start date and time; End date "
                                u"and time; Note. First line is not read because it is the header!"_s;
const QString EndOnlyQuestion = u"Should only the end date time be taken into account and start date time ignored?"_s;
const QString SaveQuestion = u"Do you want to save the file?"_s;

QList<QDate> DatesOf(const TDiary& aDiary)
{
    QList<QDate> dates;
    for (const auto& day : aDiary.DB)
        dates << DateOfDateTime(day->Date);
    return dates;
}

const TDay* PageOf(const TDiary& aDiary, const QDate& aDate)
{
    for (const auto& day : aDiary.DB)
        if (DateOfDateTime(day->Date) == aDate)
            return day.get();
    return nullptr;
}

// The tasks of a page as "id from-to task|notes", in list order.
QStringList TasksOf(const TDiary& aDiary, const QDate& aDate)
{
    QStringList tasks;
    if (const TDay* day = PageOf(aDiary, aDate))
        for (const auto& task : day->Tasks)
            tasks << u"%1 %2-%3 %4|%5"_s.arg(task->ID).arg(TimeOfDateTime(task->FromTime).toString(u"HH:mm"_s),
                                                           TimeOfDateTime(task->ToTime).toString(u"HH:mm"_s),
                                                           task->Task, task->Notes);
    return tasks;
}

void WriteBytes(const QString& aPath, const QByteArray& aBytes)
{
    QFile file(aPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(aBytes), aBytes.size());
}

QByteArray ReadBytes(const QString& aPath)
{
    QFile file(aPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
}

// Pages of March 2020 in the order a file may bring them (not by date), and the page of today
// first, so that opening the file finds today's page instead of adding one and sorting the list.
std::unique_ptr<TDiary> UnsortedMarch()
{
    auto diary = std::make_unique<TDiary>();
    const auto add = [&diary](const QDate& aDate) -> TDay& {
        diary->DB.push_back(std::make_unique<TDay>(EncodeDate(aDate) + 0.5));
        return *diary->DB.back();
    };
    add(QDate::currentDate());
    add(March16).Picture = TJpegFixture::Make(16, 8);
    add(March12);
    add(March10).Thoughts = u"filled"_s;
    add(March14).WeatherMoonPhase = u"Full Moon"_s;
    return diary;
}
} // namespace

class TestNavigationAndExchange : public QObject {
    Q_OBJECT

    void ClickButton(TDayPageWindow& aWindow, const QString& aName)
    {
        auto* button = aWindow.Find<QPushButton>(aName);
        QVERIFY(button);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    void TriggerMenu(TDayPageWindow& aWindow, const QString& aName)
    {
        auto* item = aWindow.Find<QAction>(aName);
        QVERIFY(item && item->isEnabled());
        item->trigger();
        aWindow.Form().ShowDayOnEveryPage(); // as the user finds each page once brought up
    }

    QString FolderOf(const TDayPageWindow& aWindow) const { return QFileInfo(aWindow.DiaryPath()).absolutePath(); }

private Q_SLOTS:
    void buttonsGoToTheFilledDayAndSortTheList_data();
    void buttonsGoToTheFilledDayAndSortTheList();
    void textTypedIntoAnEmptyDayIsCommittedBeforeTheMove();
    void aPageThatDoesNotConvertStopsTheCommand_data();
    void aPageThatDoesNotConvertStopsTheCommand();
    void exportsWriteWhatTheCoreWrites_data();
    void exportsWriteWhatTheCoreWrites();
    void exportThatCannotCreateItsFileShowsTheError();
    void importAddsTheFileTasksToTheirStartDays_data();
    void importAddsTheFileTasksToTheirStartDays();
    void importThatEndsEarlyOrFails_data();
    void importThatEndsEarlyOrFails();
};

void TestNavigationAndExchange::buttonsGoToTheFilledDayAndSortTheList_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QDate>("target");

    // Filled: the 10th (thoughts), the 14th (moon phase only), the 16th (picture only); empty: the
    // 12th and today, the latest page.
    const QDate today = QDate::currentDate();
    QTest::newRow("first") << u"ButtonGoToFirstFilledDay"_s << March14 << March10;
    QTest::newRow("last") << u"ButtonGoToLastFilledDay"_s << March10 << March16;
    QTest::newRow("next to a moon phase") << u"ButtonGoToNextFilledDay"_s << March12 << March14;
    QTest::newRow("next from the latest, empty page") << u"ButtonGoToNextFilledDay"_s << today << March16;
    QTest::newRow("next with only empty pages after") << u"ButtonGoToNextFilledDay"_s << March16 << March16;
    QTest::newRow("previous to a picture") << u"ButtonGoToPreviousFilledDay"_s << today << March16;
    QTest::newRow("previous from between two") << u"ButtonGoToPreviousFilledDay"_s << March12 << March10;
    QTest::newRow("previous from the earliest") << u"ButtonGoToPreviousFilledDay"_s << March10 << March10;
}

void TestNavigationAndExchange::buttonsGoToTheFilledDayAndSortTheList()
{
    QFETCH(QString, button);
    QFETCH(QDate, shown);
    QFETCH(QDate, target);
    auto diary = UnsortedMarch();
    TDayPageWindow window(diary.get());
    window.PickDate(shown);
    QCOMPARE(DateOfDateTime(window.Day().Date), shown);
    const QList<QDate> before = DatesOf(*window.Form().Diary());
    QVERIFY(!std::is_sorted(before.begin(), before.end()));

    ClickButton(window, button);
    QCOMPARE(DateOfDateTime(window.Day().Date), target);
    QCOMPARE(window.Picker()->date(), target);
    QCOMPARE(window.Find<QLabel>(u"LabelDayOfWeek"_s)->text(), EnglishWeekdayName(EncodeDate(target)));
    const QList<QDate> dates = DatesOf(*window.Form().Diary());
    QVERIFY(std::is_sorted(dates.begin(), dates.end()));
    QCOMPARE(dates.size(), 5);
    QVERIFY(!window.Form().IsDialogUpdated()); // a move alone changes nothing
    QVERIFY(!window.Form().IsBusy());
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestNavigationAndExchange::textTypedIntoAnEmptyDayIsCommittedBeforeTheMove()
{
    auto diary = MakeDiary({March10, March12});
    DayOf(*diary, March10).Thoughts = u"filled"_s;
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* thoughts = window.Find<TRichEdit>(u"RichEditThoughts"_s);
    window.Focus(thoughts);
    QTest::keyClicks(thoughts, u"just typed"_s);

    // Only empty pages follow, so the page stays and is shown again from its record: the text
    // survives only because the click stored it first.
    ClickButton(window, u"ButtonGoToNextFilledDay"_s);
    QCOMPARE(DateOfDateTime(window.Day().Date), March12);
    QCOMPARE(window.Day().Thoughts, u"just typed"_s);
    QCOMPARE(thoughts->Text(), u"just typed"_s);
    QVERIFY(window.Form().IsDialogUpdated());

    // The page it left empty a moment ago is now one to stop at.
    window.PickDate(March10);
    ClickButton(window, u"ButtonGoToNextFilledDay"_s);
    QCOMPARE(DateOfDateTime(window.Day().Date), March12);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestNavigationAndExchange::aPageThatDoesNotConvertStopsTheCommand_data()
{
    QTest::addColumn<QString>("control");
    QTest::newRow("first filled day") << u"ButtonGoToFirstFilledDay"_s;
    QTest::newRow("next filled day") << u"ButtonGoToNextFilledDay"_s;
    QTest::newRow("month text export") << u"MenuItemExportSelectedMonthAsTextfile"_s;
    QTest::newRow("health values export") << u"MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1"_s;
}

void TestNavigationAndExchange::aPageThatDoesNotConvertStopsTheCommand()
{
    QFETCH(QString, control);
    auto diary = UnsortedMarch();
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    const QList<QDate> before = DatesOf(*window.Form().Diary());
    window.Find<TNumberEdit>(u"EditTemperature1"_s)->setText(u"."_s);

    if (control.startsWith(u"Button"_s))
        ClickButton(window, control);
    else
        TriggerMenu(window, control);
    // The error alone: no dialog, no move, not even the sorting.
    QCOMPARE(window.TakeMessages(), QStringList{u"error: '.' ist kein gültiger Gleitkommawert."_s});
    QCOMPARE(DateOfDateTime(window.Day().Date), March12);
    QCOMPARE(window.Picker()->date(), March12);
    QCOMPARE(DatesOf(*window.Form().Diary()), before);
    QVERIFY(!window.Form().IsBusy());
}

void TestNavigationAndExchange::exportsWriteWhatTheCoreWrites_data()
{
    QTest::addColumn<bool>("csv");
    QTest::addColumn<QString>("answer"); // the name chosen in the dialog; empty: cancelled
    QTest::addColumn<QString>("written");

    QTest::newRow("text, proposed name") << false << u"2020-03-Diary.txt"_s << u"2020-03-Diary.txt"_s;
    QTest::newRow("text, no extension") << false << u"report"_s << u"report.txt"_s;
    QTest::newRow("text, cancelled") << false << QString() << QString();
    QTest::newRow("csv, proposed name") << true << u"2020-03-HealthValues.csv"_s << u"2020-03-HealthValues.csv"_s;
    QTest::newRow("csv, no extension") << true << u"values"_s << u"values.csv"_s;
    QTest::newRow("csv, cancelled") << true << QString() << QString();
}

void TestNavigationAndExchange::exportsWriteWhatTheCoreWrites()
{
    QFETCH(bool, csv);
    QFETCH(QString, answer);
    QFETCH(QString, written);

    auto diary = MakeDiary({March20, April2, March10, March12});
    DayOf(*diary, March10).Thoughts = u"ten"_s;
    DayOf(*diary, April2).TemperatureAtMorning = 38.5; // another month: not in the file
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    // A reading typed but not yet stored belongs in the export.
    auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
    window.Focus(temperature);
    temperature->selectAll();
    QTest::keyClicks(temperature, u"36.6"_s);

    const QString folder = FolderOf(window);
    const QStringList filesBefore = QDir(folder).entryList(QDir::Files);
    if (answer.isEmpty())
        window.Dialogs().AnswerCancel();
    else
        window.Dialogs().AnswerFile(folder + u'/' + answer);
    TriggerMenu(window, csv ? u"MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1"_s
                            : u"MenuItemExportSelectedMonthAsTextfile"_s);

    const TFileDialog dialog = window.Dialogs().LastDialog(TKind::Save);
    QCOMPARE(dialog.FileName, csv ? u"2020-03-HealthValues.csv"_s : u"2020-03-Diary.txt"_s);
    QCOMPARE(dialog.InitialDir, QDir::toNativeSeparators(folder + u'/'));
    QCOMPARE(dialog.DefaultExt, csv ? u"csv"_s : u"txt"_s);
    QCOMPARE(dialog.Filter, csv ? u"CSV- Files (*.csv)|*.csv"_s : u"Text- Files (*.txt)|*.txt"_s);
    QCOMPARE(dialog.FilterIndex, 1);
    QVERIFY(dialog.OverwritePrompt);
    QCOMPARE(window.Day().TemperatureAtMorning, 36.6); // committed before the dialog, also when cancelled
    QVERIFY(window.Form().IsDialogUpdated());

    if (written.isEmpty()) {
        QCOMPARE(QDir(folder).entryList(QDir::Files), filesBefore);
    } else {
        std::vector<TDay*> days;
        SearchActualMonth(*window.Form().Diary(), days, 2020, 3);
        QCOMPARE(days.size(), size_t(3));
        QBuffer expected;
        expected.open(QIODevice::WriteOnly);
        if (csv)
            WriteHealthValuesCsv(expected, days, TRegionalSettings());
        else
            WriteMonthText(expected, days, TRegionalSettings());
        QVERIFY(expected.data().contains(csv ? "2020-03-12;Morning;36.6;" : "Temperature: 36.6\r\n"));
        QCOMPARE(ReadBytes(folder + u'/' + written), expected.data());
    }
    QCOMPARE(window.Picker()->date(), March12);
    QVERIFY(!window.Form().IsBusy());
    QCOMPARE(window.TakeMessages(), QStringList{u"dialog: "_s}); // the save dialog, nothing else
}

void TestNavigationAndExchange::exportThatCannotCreateItsFileShowsTheError()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    const QString target = FolderOf(window) + u"/no such folder/2020-03-Diary.txt"_s;
    window.Dialogs().AnswerFile(target);
    TriggerMenu(window, u"MenuItemExportSelectedMonthAsTextfile"_s);

    const QStringList messages = window.TakeMessages();
    QCOMPARE(messages.size(), 2);
    QCOMPARE(messages[0], u"dialog: "_s);
    QVERIFY2(messages[1].startsWith(u"error: Datei \"%1\" kann nicht erstellt werden. "_s.arg(target)),
             qPrintable(messages[1]));
    QVERIFY(!QFileInfo::exists(target));
    QVERIFY(!window.Form().IsBusy());
}

void TestNavigationAndExchange::importAddsTheFileTasksToTheirStartDays_data()
{
    QTest::addColumn<bool>("endOnly");
    QTest::addColumn<bool>("unsavedEdit"); // the save question comes first and is answered No
    QTest::addColumn<QStringList>("tasks");

    // The page shown again lists the day's tasks, and listing them sorts the day's own list by time.
    QTest::newRow("start and end, after the save question")
        << false << true
        << QStringList{u"5 07:30-01:00 New Task|"_s, u"6 08:00-09:15 New Task|a b"_s, u"4 09:00-09:30 Kept|"_s};
    QTest::newRow("end only") << true << false
                              << QStringList{u"5 01:00-01:00 New Task|"_s, u"4 09:00-09:30 Kept|"_s,
                                             u"6 09:15-09:15 New Task|a b"_s};
}

void TestNavigationAndExchange::importAddsTheFileTasksToTheirStartDays()
{
    QFETCH(bool, endOnly);
    QFETCH(bool, unsavedEdit);
    QFETCH(QStringList, tasks);

    auto diary = MakeDiary({March12});
    TDay& march12 = DayOf(*diary, March12);
    auto kept = std::make_unique<TTask>();
    kept->ID = 4;
    kept->FromTime = EncodeTime(QTime(9, 0));
    kept->ToTime = EncodeTime(QTime(9, 30));
    kept->Task = u"Kept"_s;
    march12.Tasks.push_back(std::move(kept));
    march12.LastTaskID = 4;
    TDayPageWindow window(diary.get());
    window.PickDate(March12);

    const QString file = FolderOf(window) + u"/tasks.csv"_s;
    WriteBytes(file, "Task; Start date and time; End date and time; Note\r\n"
                     "New Task;2020-03-12 08:00:00;2020-03-12 09:15:00;a\r\n"
                     "b\r\n"
                     "New Task;2020-03-12 07:30:00;2020-03-13 01:00:00;\r\n"
                     "Elsewhere;2020-03-20 10:00:00;2020-03-20 11:00:00;x\r\n");
    if (unsavedEdit) {
        auto* thoughts = window.Find<TRichEdit>(u"RichEditThoughts"_s);
        window.Focus(thoughts);
        QTest::keyClicks(thoughts, u"typed"_s);
        window.Dialogs().AnswerNo();
    }
    window.Dialogs().AnswerFile(file);
    if (endOnly)
        window.Dialogs().AnswerYes();
    else
        window.Dialogs().AnswerNo();
    QSignalSpy shownAgain(window.Find<TRichEdit>(u"RichEditThoughts"_s), &TRichEdit::textChanged);

    TriggerMenu(window, u"MenuItemImportTasksFromACSVFile"_s);

    QStringList asked;
    for (const TScriptedDialogs::TShown& shown : window.Dialogs().Shown())
        asked << (shown.Kind == TKind::Open ? u"open: "_s + shown.Dialog.Filter : shown.Text);
    QStringList expectedAsked{InformationText, u"open: CSV- Files (*.csv)|*.csv"_s, EndOnlyQuestion};
    if (unsavedEdit)
        expectedAsked.prepend(SaveQuestion);
    QCOMPARE(asked, expectedAsked);
    window.Dialogs().ClearShown();

    const TDiary& result = *window.Form().Diary();
    QCOMPARE(TasksOf(result, March12), tasks);
    QCOMPARE(TasksOf(result, March20),
             QStringList{endOnly ? u"1 11:00-11:00 Elsewhere|x"_s : u"1 10:00-11:00 Elsewhere|x"_s});
    QCOMPARE(PageOf(result, March12)->LastTaskID, 6);
    if (unsavedEdit)
        QCOMPARE(PageOf(result, March12)->Thoughts, u"typed"_s);
    QVERIFY(window.Form().IsDialogUpdated());
    QVERIFY(shownAgain.count() > 0);
    // The imported tasks are listed at once, in the order of the day's list.
    const auto* list = window.Find<QTreeWidget>(u"ListViewTasks"_s);
    QCOMPARE(list->topLevelItemCount(), tasks.size());
    for (int row = 0; row < tasks.size(); ++row)
        QCOMPARE(list->topLevelItem(row)->data(0, Qt::UserRole).toLongLong(), tasks[row].section(u' ', 0, 0).toLongLong());
    QCOMPARE(DateOfDateTime(window.Day().Date), March12);
    QCOMPARE(window.Picker()->date(), March12);
    QVERIFY(!window.Form().IsBusy());
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestNavigationAndExchange::importThatEndsEarlyOrFails_data()
{
    QTest::addColumn<QString>("chosen"); // "" cancels the dialog
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("messages"); // after the information message
    QTest::addColumn<bool>("changed");         // the flag raised and the page shown again

    QTest::newRow("cancelled") << QString() << QByteArray() << QStringList() << false;
    QTest::newRow("missing file") << u"missing.csv"_s << QByteArray()
                                  << QStringList{u"message: File <folder>/missing.csv does not exist."_s} << false;
    QTest::newRow("header only") << u"header.csv"_s << QByteArray("Task;Start;End;Note\r\n") << QStringList() << true;
    QTest::newRow("a bad row after a good one")
        << u"bad.csv"_s
        << QByteArray("Task;Start;End;Note\r\n"
                      "Good;2020-03-12 08:00:00;2020-03-12 09:00:00;\r\n"
                      "Bad;2020-13-01 08:00:00;2020-13-01 09:00:00;\r\n")
        << QStringList{u"error: '2020-13-01 08:00:00' ist keine gültige Datums- und Uhrzeitangabe."_s} << true;
}

void TestNavigationAndExchange::importThatEndsEarlyOrFails()
{
    QFETCH(QString, chosen);
    QFETCH(QByteArray, content);
    QFETCH(QStringList, messages);
    QFETCH(bool, changed);

    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    const QString folder = FolderOf(window);
    const size_t pages = window.Form().Diary()->DB.size();
    if (chosen.isEmpty()) {
        window.Dialogs().AnswerCancel();
    } else {
        window.Dialogs().AnswerFile(folder + u'/' + chosen);
        if (!content.isNull()) {
            WriteBytes(folder + u'/' + chosen, content);
            window.Dialogs().AnswerNo(); // the end-only question, asked only for a file that exists
        }
    }
    QSignalSpy shownAgain(window.Find<TRichEdit>(u"RichEditThoughts"_s), &TRichEdit::textChanged);

    TriggerMenu(window, u"MenuItemImportTasksFromACSVFile"_s);

    QStringList expected{u"message: "_s + InformationText};
    for (const QString& message : messages)
        expected << QString(message).replace(u"<folder>"_s, folder);
    QStringList shown = window.TakeMessages();
    shown.removeAll(u"dialog: "_s); // the open dialog and the question carry no message text
    shown.removeAll(u"dialog: "_s + EndOnlyQuestion);
    QCOMPARE(shown, expected);

    QCOMPARE(TasksOf(*window.Form().Diary(), March12), QStringList());
    QCOMPARE(window.Form().Diary()->DB.size(), pages);
    QCOMPARE(window.Form().IsDialogUpdated(), changed);
    QCOMPARE(shownAgain.count() > 0, changed);
    QCOMPARE(DateOfDateTime(window.Day().Date), March12);
    QVERIFY(!window.Form().IsBusy());
}

QTEST_MAIN(TestNavigationAndExchange)
#include "test_navigation_and_exchange.moc"
