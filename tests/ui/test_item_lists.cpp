// The day's three item lists on the real window: adding, deleting, switching by click and by
// keyboard, storing the editor, the order of the rows and of the day's own lists, the shopping
// amounts and total, and the busy flag.

#include "ui/support/DayPageWindow.h"

#include "exchange/TaskImport.h"
#include "model/DiaryFile.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimeEdit>
#include <QTreeWidget>

#include <bit>
#include <functional>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {
const QDate March12(2026, 3, 12);
const QDate March13(2026, 3, 13);

TTime At(int aHour, int aMinute, int aSecond = 0, int aMilliseconds = 0)
{
    return EncodeTime(QTime(aHour, aMinute, aSecond, aMilliseconds));
}

// One of the three lists as the tests reach it: its controls by name and its entries in a day,
// so that every behaviour is checked on all three.
struct TListUnderTest {
    QString List, Add, Delete, From, To, Text, Notes, NewText;
    qint64 TDay::*LastID;
    std::function<int(const TDay&)> Count;
    std::function<QString(const TDay&, int)> TextAt;
    std::function<qint64(const TDay&, int)> IDAt;
    std::function<std::pair<TTime, TTime>(const TDay&, int)> TimesAt;
    // Appends an entry as a file would hold it.
    std::function<void(TDay&, qint64 aID, TTime aFrom, TTime aTo, const QString& aText, double aAmount)> Append;
};

template <typename TEntry>
TListUnderTest Describe(const QStringList& aNames, const QString& aNewText, TOwningList<TEntry> TDay::*aEntries,
                        qint64 TDay::*aLastID, QString TEntry::*aText, double TEntry::*aAmount = nullptr)
{
    TListUnderTest list{aNames[0], aNames[1], aNames[2], aNames[3], aNames[4], aNames[5], aNames[6],
                        aNewText,  aLastID,   {},        {},        {},        {},        {}};
    list.Count = [aEntries](const TDay& aDay) { return int((aDay.*aEntries).size()); };
    list.TextAt = [aEntries, aText](const TDay& aDay, int aIndex) { return (*(aDay.*aEntries)[aIndex]).*aText; };
    list.IDAt = [aEntries](const TDay& aDay, int aIndex) { return (aDay.*aEntries)[aIndex]->ID; };
    list.TimesAt = [aEntries](const TDay& aDay, int aIndex) {
        return std::pair((aDay.*aEntries)[aIndex]->FromTime, (aDay.*aEntries)[aIndex]->ToTime);
    };
    list.Append = [=](TDay& aDay, qint64 aID, TTime aFrom, TTime aTo, const QString& aValue, double aMoney) {
        auto entry = std::make_unique<TEntry>();
        entry->ID = aID;
        entry->FromTime = aFrom;
        entry->ToTime = aTo;
        (*entry).*aText = aValue;
        if (aAmount)
            (*entry).*aAmount = aMoney;
        (aDay.*aEntries).push_back(std::move(entry));
    };
    return list;
}

const TListUnderTest& ListUnderTest(int aIndex)
{
    static const TListUnderTest lists[] = {
        Describe({u"ListViewTasks"_s, u"ButtonAddTask"_s, u"ButtonDeleteTask"_s, u"DateTimePickerTaskFrom"_s,
                  u"DateTimePickerTaskTo"_s, u"EditTask"_s, u"RichEditNotes"_s},
                 u"New Task"_s, &TDay::Tasks, &TDay::LastTaskID, &TTask::Task),
        Describe({u"ListViewConversations"_s, u"ButtonAddConversation"_s, u"ButtonDeleteConversation"_s,
                  u"DateTimePickerFrom"_s, u"DateTimePickerTo"_s, u"EditConversationTitle"_s,
                  u"RichEditConversation"_s},
                 u"New Conversation"_s, &TDay::Conversations, &TDay::LastConversationID, &TConversation::Title),
        Describe(
            {u"ListViewShoppings"_s, u"ButtonAddShopping"_s, u"ButtonDeleteShopping"_s, u"DateTimePickerShoppingFrom"_s,
             u"DateTimePickerShoppingTo"_s, u"EditShop"_s, u"RichEditShoppingList"_s},
            u"New Shop"_s, &TDay::Shoppings, &TDay::LastShoppingID, &TShopping::Shop, &TShopping::TotalPurchaseAmount),
    };
    return lists[aIndex];
}

// The rows as the user reads them: "from to text", and the amount for shopping trips.
QStringList Rows(const QTreeWidget* aList)
{
    QStringList rows;
    for (int i = 0; i < aList->topLevelItemCount(); ++i) {
        QStringList columns;
        for (int c = 0; c < aList->columnCount(); ++c)
            columns << aList->topLevelItem(i)->text(c);
        rows << columns.join(u' ');
    }
    return rows;
}

QList<qint64> RowIDs(const QTreeWidget* aList)
{
    QList<qint64> ids;
    for (int i = 0; i < aList->topLevelItemCount(); ++i)
        ids << aList->topLevelItem(i)->data(0, Qt::UserRole).toLongLong();
    return ids;
}

int SelectedRow(const QTreeWidget* aList)
{
    const QList<QTreeWidgetItem*> selected = aList->selectedItems();
    return selected.size() == 1 ? aList->indexOfTopLevelItem(selected.first()) : -1;
}

// What the editor shows, as "from to text | notes".
QString Editor(TDayPageWindow& aWindow, const TListUnderTest& aList)
{
    return u"%1 %2 %3 | %4"_s.arg(aWindow.Find<QTimeEdit>(aList.From)->time().toString(u"HH:mm:ss"_s),
                                  aWindow.Find<QTimeEdit>(aList.To)->time().toString(u"HH:mm:ss"_s),
                                  aWindow.Find<QLineEdit>(aList.Text)->text(),
                                  aWindow.Find<TRichEdit>(aList.Notes)->Text());
}

bool EditorEnabled(TDayPageWindow& aWindow, const TListUnderTest& aList)
{
    return aWindow.Widget(aList.From)->isEnabled() && aWindow.Widget(aList.To)->isEnabled() &&
           aWindow.Widget(aList.Text)->isEnabled() && aWindow.Widget(aList.Notes)->isEnabled() &&
           aWindow.Widget(aList.Delete)->isEnabled();
}

void ClickRow(TDayPageWindow& aWindow, QTreeWidget* aList, int aRow)
{
    aWindow.Focus(aList);
    const QRect rect = aList->visualItemRect(aList->topLevelItem(aRow));
    QVERIFY(!rect.isEmpty());
    QTest::mouseClick(aList->viewport(), Qt::LeftButton, {}, rect.center());
}

void ClickButton(TDayPageWindow& aWindow, const QString& aName)
{
    auto* button = aWindow.Find<QPushButton>(aName);
    aWindow.Focus(button);
    QTest::mouseClick(button, Qt::LeftButton);
}

// Types into the edit as the user does: each keystroke is one change of the edit.
void Type(TDayPageWindow& aWindow, QLineEdit* aEdit, const QString& aText, bool aReplace = false)
{
    aWindow.Focus(aEdit);
    if (aReplace)
        aEdit->selectAll();
    else
        aEdit->end(false);
    QTest::keyClicks(aEdit, aText);
}

// Lowers the unsaved-changes flag the way the user does: by saving.
void Save(TDayPageWindow& aWindow)
{
    aWindow.Form().MenuItemSaveClick();
    QVERIFY(!aWindow.Form().IsDialogUpdated());
}

struct TEntrySpec {
    TTime From;
    TTime To;
    QString Text;
    double Amount;
};
} // namespace

Q_DECLARE_METATYPE(QList<TEntrySpec>)

class TestItemLists : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void addAndDeleteFromAnEmptyDay_data();
    void addAndDeleteFromAnEmptyDay();
    void loadedCounterNumbersTheNextEntry();
    void rowsAndTheDaysListAreSorted_data();
    void rowsAndTheDaysListAreSorted();
    void deletingAnEntryWhileOthersRemainShowsTheFirstRow();
    void switchingDaysShowsEachDaysOwnRows();
    void clickingRowsStoresTheEditorIntoTheEntryLeft();
    void keyboardMovesTheCurrentEntryWithTheSelection();
    void entriesSharingAnIdAreToldApart();
    void everyEditorChangeIsCheckedStoredAndResorted_data();
    void everyEditorChangeIsCheckedStoredAndResorted();
    void storedTimesTheEditorsShowAreNoChange_data();
    void storedTimesTheEditorsShowAreNoChange();
    void amountsAndTotalUseTheRegionalSeparator_data();
    void amountsAndTotalUseTheRegionalSeparator();
    void loneSeparatorInTheAmountIsReportedAndADigitRecovers_data();
    void loneSeparatorInTheAmountIsReportedAndADigitRecovers();
    void amountThatIsNoNumberDoesNotLockTheDay();
    void busyFlagMakesEveryHandlerDoNothing();
    void otherWindowCodeSelectsAnEntryById();
    void programSelectionLeavesTheViewWhereItWas();
    void importedTasksShowSorted();
    void saveAndReopenKeepsEntriesIdsAndOrder();
};

void TestItemLists::addAndDeleteFromAnEmptyDay_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("counter");
    for (int list = 0; list < 3; ++list) {
        const QString name = ListUnderTest(list).List;
        QTest::addRow("%s, counter 0", qPrintable(name)) << list << 0;
        QTest::addRow("%s, counter 5", qPrintable(name)) << list << 5;
    }
}

void TestItemLists::addAndDeleteFromAnEmptyDay()
{
    QFETCH(int, list);
    QFETCH(int, counter);
    const TListUnderTest& under = ListUnderTest(list);
    auto diary = MakeDiary({March12});
    DayOf(*diary, March12).*under.LastID = counter;
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(under.List);
    auto* total = window.Find<QLabel>(u"LabelTotalAmountOfPurchaes2"_s);
    auto* amount = window.Find<TNumberEdit>(u"EditTotalPurchaseAmount"_s);

    const auto checkEmpty = [&](const QTime& aBefore) {
        QCOMPARE(view->topLevelItemCount(), 0);
        QVERIFY(!window.Widget(under.From)->isEnabled());
        QVERIFY(!window.Widget(under.Delete)->isEnabled());
        QVERIFY(window.Widget(under.Add)->isEnabled());
        QVERIFY(!window.Widget(under.Text)->isEnabled() && !window.Widget(under.Notes)->isEnabled());
        QCOMPARE(window.Find<QLineEdit>(under.Text)->text(), QString());
        QCOMPARE(window.Find<TRichEdit>(under.Notes)->Text(), QString());
        // The pickers show the time of day the editor was cleared at.
        for (const QString& picker : {under.From, under.To}) {
            const QTime shown = window.Find<QTimeEdit>(picker)->time();
            QVERIFY2(shown >= aBefore.addSecs(-1) && shown <= QTime::currentTime().addSecs(1),
                     qPrintable(shown.toString()));
        }
        if (list == 2) {
            QCOMPARE(amount->text(), u"0"_s);
            QVERIFY(!amount->isEnabled());
            QCOMPARE(total->text(), u"0"_s);
        }
    };
    checkEmpty(QTime::currentTime().addSecs(-60));
    Save(window);

    ClickButton(window, under.Add);
    const QString newRow = u"00:00:00 00:01:00 "_s + under.NewText + (list == 2 ? u" 0"_s : QString());
    QCOMPARE(Rows(view), QStringList{newRow});
    QCOMPARE(RowIDs(view), QList<qint64>{counter + 1});
    QCOMPARE(SelectedRow(view), 0);
    QCOMPARE(Editor(window, under), u"00:00:00 00:01:00 "_s + under.NewText + u" | "_s);
    QVERIFY(EditorEnabled(window, under));
    QCOMPARE(under.Count(window.Day()), 1);
    QCOMPARE(under.IDAt(window.Day(), 0), counter + 1);
    QCOMPARE(window.Day().*under.LastID, counter + 1);
    QVERIFY(window.Form().IsDialogUpdated());

    Save(window);
    const QTime beforeDelete = QTime::currentTime();
    ClickButton(window, under.Delete);
    QCOMPARE(under.Count(window.Day()), 0);
    checkEmpty(beforeDelete);
    QVERIFY(window.Form().IsDialogUpdated());
    // Typing into the cleared editor's edits reaches no entry (there is none).
    window.Find<QLineEdit>(under.Text)->setText(u"nowhere"_s);
    QCOMPARE(under.Count(window.Day()), 0);

    ClickButton(window, under.Add);
    QCOMPARE(RowIDs(view), QList<qint64>{counter + 2}); // ids are not reused
    QCOMPARE(window.Day().*under.LastID, counter + 2);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::loadedCounterNumbersTheNextEntry()
{
    // The counter decides, whatever ids the entries hold.
    const TListUnderTest& under = ListUnderTest(0);
    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    day.LastTaskID = 5;
    under.Append(day, 9, At(8, 0), At(9, 0), u"high id"_s, 0);
    under.Append(day, 1, At(7, 0), At(9, 0), u"low id"_s, 0);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    window.Form().ButtonAddTaskClick();
    QCOMPARE(RowIDs(window.Find<QTreeWidget>(under.List)), QList<qint64>({6, 1, 9}));
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::rowsAndTheDaysListAreSorted_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QList<TEntrySpec>>("stored");
    QTest::addColumn<QStringList>("rows");
    QTest::addColumn<int>("selected"); // the row of the first entry stored, which is current
    for (int list = 0; list < 3; ++list) {
        const QString amount = list == 2 ? u" 0"_s : QString();
        QTest::addRow("%s: z, A, b", qPrintable(ListUnderTest(list).List))
            << list
            << QList<TEntrySpec>{{At(9, 0), At(10, 0), u"b"_s, 0},
                                 {At(9, 0), At(9, 30), u"z"_s, 0},
                                 {At(9, 0), At(10, 0), u"A"_s, 0}}
            << QStringList{u"09:00:00 09:30:00 z"_s + amount, u"09:00:00 10:00:00 A"_s + amount,
                           u"09:00:00 10:00:00 b"_s + amount}
            << 2;
    }
    QTest::newRow("milliseconds ignored, the to time decides")
        << 0
        << QList<TEntrySpec>{{At(7, 0, 0, 900), At(7, 1), u"first"_s, 0}, {At(7, 0, 0, 100), At(7, 5), u"second"_s, 0}}
        << QStringList{u"07:00:00 07:01:00 first"_s, u"07:00:00 07:05:00 second"_s} << 0;
    QTest::newRow("shopping by amount, the lower first")
        << 2 << QList<TEntrySpec>{{At(9, 0), At(9, 30), u"Mill"_s, 20}, {At(9, 0), At(9, 30), u"Mill"_s, 12.5}}
        << QStringList{u"09:00:00 09:30:00 Mill 12.5"_s, u"09:00:00 09:30:00 Mill 20"_s} << 1;
}

void TestItemLists::rowsAndTheDaysListAreSorted()
{
    QFETCH(int, list);
    QFETCH(QList<TEntrySpec>, stored);
    QFETCH(QStringList, rows);
    QFETCH(int, selected);
    const TListUnderTest& under = ListUnderTest(list);
    auto diary = MakeDiary({March12});
    qint64 id = 0;
    for (const TEntrySpec& entry : stored)
        under.Append(DayOf(*diary, March12), ++id, entry.From, entry.To, entry.Text, entry.Amount);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);

    auto* view = window.Find<QTreeWidget>(under.List);
    QCOMPARE(Rows(view), rows);
    QCOMPARE(SelectedRow(view), selected);
    QCOMPARE(window.Find<QLineEdit>(under.Text)->text(), stored.first().Text);
    QVERIFY(EditorEnabled(window, under));
    // The day's own list is in the order shown, so a save writes it so.
    for (int i = 0; i < under.Count(window.Day()); ++i) {
        QCOMPARE(under.IDAt(window.Day(), i), RowIDs(view).at(i));
        QVERIFY(rows.at(i).contains(under.TextAt(window.Day(), i)));
    }
    // Showing the day touched no value, so nothing is reported as changed.
    window.Form().RichEditKeyUp();
    QVERIFY(!window.Form().IsDialogUpdated());
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::deletingAnEntryWhileOthersRemainShowsTheFirstRow()
{
    const TListUnderTest& under = ListUnderTest(1);
    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    under.Append(day, 1, At(8, 0), At(9, 0), u"first"_s, 0);
    under.Append(day, 2, At(9, 0), At(10, 0), u"second"_s, 0);
    under.Append(day, 3, At(10, 0), At(11, 0), u"third"_s, 0);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(under.List);

    ClickRow(window, view, 2);
    QCOMPARE(window.Find<QLineEdit>(under.Text)->text(), u"third"_s);
    ClickButton(window, under.Delete);
    QCOMPARE(RowIDs(view), QList<qint64>({1, 2}));
    QCOMPARE(SelectedRow(view), 0);
    QCOMPARE(Editor(window, under), u"08:00:00 09:00:00 first | "_s);
    QVERIFY(EditorEnabled(window, under));
    QVERIFY(window.Form().IsDialogUpdated());
    // The editor now writes into the first entry.
    Type(window, window.Find<QLineEdit>(under.Text), u"!"_s);
    QCOMPARE(under.TextAt(window.Day(), 0), u"first!"_s);
    QCOMPARE(under.TextAt(window.Day(), 1), u"second"_s);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::switchingDaysShowsEachDaysOwnRows()
{
    const TListUnderTest& under = ListUnderTest(2);
    auto diary = MakeDiary({March12, March13});
    TDay& first = DayOf(*diary, March12);
    under.Append(first, 1, At(8, 0), At(9, 0), u"x"_s, 1);
    under.Append(first, 2, At(9, 0), At(10, 0), u"y"_s, 2);
    under.Append(first, 3, At(10, 0), At(11, 0), u"z"_s, 3);
    TDay& second = DayOf(*diary, March13);
    under.Append(second, 7, At(8, 0), At(9, 0), u"x"_s, 1); // shown alike, another entry
    under.Append(second, 5, At(9, 0), At(10, 0), u"w"_s, 2.5);
    TDayPageWindow window(diary.get());
    auto* view = window.Find<QTreeWidget>(under.List);
    auto* total = window.Find<QLabel>(u"LabelTotalAmountOfPurchaes2"_s);

    for (int round = 0; round < 2; ++round) {
        window.PickDate(March12);
        QCOMPARE(Rows(view),
                 QStringList({u"08:00:00 09:00:00 x 1"_s, u"09:00:00 10:00:00 y 2"_s, u"10:00:00 11:00:00 z 3"_s}));
        QCOMPARE(RowIDs(view), QList<qint64>({1, 2, 3}));
        QCOMPARE(total->text(), u"6"_s);
        window.PickDate(March13);
        QCOMPARE(Rows(view), QStringList({u"08:00:00 09:00:00 x 1"_s, u"09:00:00 10:00:00 w 2.5"_s}));
        QCOMPARE(RowIDs(view), QList<qint64>({7, 5}));
        QCOMPARE(total->text(), u"3.5"_s);
    }
    // The row that looked alike leads to the second day's own entry.
    ClickRow(window, view, 1);
    ClickRow(window, view, 0);
    Type(window, window.Find<QLineEdit>(under.Text), u"!"_s);
    QCOMPARE(window.Day().Shoppings[0]->Shop, u"x!"_s);
    QCOMPARE(window.Day().Shoppings[0]->ID, 7);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::clickingRowsStoresTheEditorIntoTheEntryLeft()
{
    const TListUnderTest& under = ListUnderTest(0);
    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    under.Append(day, 1, At(8, 0), At(9, 0), u"walk"_s, 0);
    under.Append(day, 2, At(9, 0), At(10, 0), u"read"_s, 0);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(under.List);
    auto* notes = window.Find<TRichEdit>(under.Notes);

    // Notes reach the change check at once but the entry only when it is stored.
    window.Focus(notes);
    QTest::keyClicks(notes, u"wet"_s);
    QVERIFY(window.Form().IsDialogUpdated());
    QCOMPARE(window.Day().Tasks[0]->Notes, QString());

    // The row of the current entry: the editor is stored, nothing else changes.
    ClickRow(window, view, 0);
    QCOMPARE(window.Day().Tasks[0]->Notes, u"wet"_s);
    QCOMPARE(Editor(window, under), u"08:00:00 09:00:00 walk | wet"_s);
    QCOMPARE(SelectedRow(view), 0);

    // Another row: the notes typed go into the entry left, the editor shows the other one.
    QTest::keyClicks(notes, u" and cold"_s);
    ClickRow(window, view, 1);
    QCOMPARE(window.Day().Tasks[0]->Notes, u"wet and cold"_s);
    QCOMPARE(Editor(window, under), u"09:00:00 10:00:00 read | "_s);
    QCOMPARE(SelectedRow(view), 1);

    // The empty area below the rows: nothing changes.
    window.Focus(view);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(10, view->viewport()->height() - 5));
    QCOMPARE(Editor(window, under), u"09:00:00 10:00:00 read | "_s);
    QCOMPARE(under.Count(window.Day()), 2);

    // A list that lost its selection: Delete does nothing.
    Save(window);
    view->clearSelection();
    QCOMPARE(SelectedRow(view), -1);
    QVERIFY(window.Widget(under.Delete)->isEnabled());
    ClickButton(window, under.Delete);
    QCOMPARE(RowIDs(view), QList<qint64>({1, 2}));
    QCOMPARE(under.Count(window.Day()), 2);
    QCOMPARE(Editor(window, under), u"09:00:00 10:00:00 read | "_s);
    QVERIFY(!window.Form().IsDialogUpdated());
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::keyboardMovesTheCurrentEntryWithTheSelection()
{
    // Arrow keys switch the current entry as a click does, so the editor always shows the entry
    // of the selected row and never writes into another one.
    const TListUnderTest& under = ListUnderTest(2);
    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    under.Append(day, 1, At(8, 0), At(9, 0), u"Bakery"_s, 3);
    under.Append(day, 2, At(9, 0), At(10, 0), u"Mill"_s, 4);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(under.List);

    window.Find<TRichEdit>(under.Notes)->SetText(u"bread"_s);
    window.Focus(view);
    QTest::keyClick(view, Qt::Key_Down);
    QCOMPARE(SelectedRow(view), 1);
    QCOMPARE(window.Find<QLineEdit>(under.Text)->text(), u"Mill"_s);
    QCOMPARE(window.Day().Shoppings[0]->ShoppingList, u"bread"_s);
    QTest::keyClick(view, Qt::Key_Up);
    QCOMPARE(SelectedRow(view), 0);
    QCOMPARE(Editor(window, under), u"08:00:00 09:00:00 Bakery | bread"_s);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::entriesSharingAnIdAreToldApart()
{
    // A file may give two entries the same id; a row still leads to its own entry, for a click, a
    // store and a delete alike.
    const TListUnderTest& under = ListUnderTest(0);
    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    under.Append(day, 3, At(8, 0), At(9, 0), u"first"_s, 0);
    under.Append(day, 3, At(9, 0), At(10, 0), u"second"_s, 0);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(under.List);

    ClickRow(window, view, 1);
    QCOMPARE(window.Find<QLineEdit>(under.Text)->text(), u"second"_s);
    Type(window, window.Find<QLineEdit>(under.Text), u"!"_s);
    QCOMPARE(Rows(view), QStringList({u"08:00:00 09:00:00 first"_s, u"09:00:00 10:00:00 second!"_s}));
    QCOMPARE(SelectedRow(view), 1);
    ClickButton(window, under.Delete);
    QCOMPARE(Rows(view), QStringList({u"08:00:00 09:00:00 first"_s}));
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::everyEditorChangeIsCheckedStoredAndResorted_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QStringList>("rows");
    for (int list = 0; list < 3; ++list) {
        const TListUnderTest& under = ListUnderTest(list);
        const QString amount = list == 2 ? u" 0"_s : QString();
        const QString name = under.List;
        // The current entry is "b" 09:00 to 10:00, shown second below "a" 08:00 to 09:00.
        QTest::addRow("%s: text", qPrintable(name))
            << list << under.Text << QStringList{u"08:00:00 09:00:00 a"_s + amount, u"09:00:00 10:00:00 bx"_s + amount};
        QTest::addRow("%s: from", qPrintable(name))
            << list << under.From << QStringList{u"07:00:00 10:00:00 b"_s + amount, u"08:00:00 09:00:00 a"_s + amount};
        QTest::addRow("%s: to", qPrintable(name))
            << list << under.To << QStringList{u"08:00:00 09:00:00 a"_s + amount, u"09:00:00 11:00:00 b"_s + amount};
    }
    QTest::newRow("shopping trips: amount")
        << 2 << u"EditTotalPurchaseAmount"_s << QStringList{u"08:00:00 09:00:00 a 0"_s, u"09:00:00 10:00:00 b 75"_s};
}

void TestItemLists::everyEditorChangeIsCheckedStoredAndResorted()
{
    QFETCH(int, list);
    QFETCH(QString, control);
    QFETCH(QStringList, rows);
    const TListUnderTest& under = ListUnderTest(list);
    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    under.Append(day, 1, At(9, 0), At(10, 0), u"b"_s, 0);
    under.Append(day, 2, At(8, 0), At(9, 0), u"a"_s, 0);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(under.List);
    QCOMPARE(SelectedRow(view), 1);

    QWidget* edit = window.Widget(control);
    if (auto* picker = qobject_cast<QTimeEdit*>(edit)) {
        window.Focus(picker);
        picker->setSelectedSection(QDateTimeEdit::HourSection);
        QTest::keyClick(picker, control == under.From ? Qt::Key_Down : Qt::Key_Up);
        QTest::keyClick(picker, control == under.From ? Qt::Key_Down : Qt::Key_Up);
        if (control == under.To)
            QTest::keyClick(picker, Qt::Key_Down); // two changes, each one stored
    } else if (control == under.Text) {
        Type(window, static_cast<QLineEdit*>(edit), u"x"_s);
    } else {
        Type(window, static_cast<QLineEdit*>(edit), u"75"_s, true);
    }

    QVERIFY(window.Form().IsDialogUpdated());
    QCOMPARE(Rows(view), rows);
    // The entry's row is selected wherever it moved, and the day's list moved with it.
    const int moved = rows.first().contains(u" b"_s) ? 0 : 1;
    QCOMPARE(SelectedRow(view), moved);
    QCOMPARE(RowIDs(view).at(moved), 1);
    QCOMPARE(under.IDAt(window.Day(), moved), 1);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::storedTimesTheEditorsShowAreNoChange_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<TTime>("from");
    QTest::addColumn<TTime>("to");
    QTest::addColumn<bool>("changed");
    // Times written by another program: between two milliseconds, or with a date before the time.
    const TTime offGrid = 0.4e-9; // about 35 microseconds
    for (int list = 0; list < 3; ++list) {
        const QByteArray nameBytes = ListUnderTest(list).List.toLocal8Bit(); // kept: qPrintable's buffer dies at once
        const char* const name = nameBytes.constData();
        QTest::addRow("%s: on the millisecond grid", name) << list << At(9, 0) << At(10, 0, 0, 500) << false;
        QTest::addRow("%s: between milliseconds", name)
            << list << At(9, 0) + offGrid << At(10, 0, 0, 500) - offGrid << false;
        QTest::addRow("%s: a date before the time", name) << list << 46000 + At(9, 0) << At(10, 0) << false;
    }
    QTest::newRow("no number: differs as on the rest of the page")
        << 0 << std::numeric_limits<double>::quiet_NaN() << At(10, 0) << true;
}

void TestItemLists::storedTimesTheEditorsShowAreNoChange()
{
    // Only looking at the page and committing it raises no save question, and what is stored is
    // written back as it was; a time the user sets is stored as the editor holds it.
    QFETCH(int, list);
    QFETCH(TTime, from);
    QFETCH(TTime, to);
    QFETCH(bool, changed);
    const TListUnderTest& under = ListUnderTest(list);
    auto diary = MakeDiary({March12, March13});
    under.Append(DayOf(*diary, March12), 1, from, to, u"a"_s, 5);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    window.Focus(window.Widget(under.List));
    window.Form().DateTimePicker1Change(); // the commit, with the page as shown
    QCOMPARE(window.Form().IsDialogUpdated(), changed);
    if (!changed) {
        const auto [storedFrom, storedTo] = under.TimesAt(window.Day(), 0);
        QCOMPARE(std::bit_cast<quint64>(storedFrom), std::bit_cast<quint64>(from));
        QCOMPARE(std::bit_cast<quint64>(storedTo), std::bit_cast<quint64>(to));

        auto* picker = window.Find<QTimeEdit>(under.From);
        window.Focus(picker);
        picker->setSelectedSection(QDateTimeEdit::HourSection);
        QTest::keyClick(picker, Qt::Key_Up);
        QVERIFY(window.Form().IsDialogUpdated());
        const auto [editedFrom, keptTo] = under.TimesAt(window.Day(), 0);
        QCOMPARE(editedFrom, EncodeTime(TimeOfDateTime(from).addSecs(3600)));
        QCOMPARE(std::bit_cast<quint64>(keptTo), std::bit_cast<quint64>(to));
    }
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::amountsAndTotalUseTheRegionalSeparator_data()
{
    QTest::addColumn<QChar>("separator");
    QTest::newRow("full stop") << QChar(u'.');
    QTest::newRow("comma") << QChar(u',');
}

void TestItemLists::amountsAndTotalUseTheRegionalSeparator()
{
    QFETCH(QChar, separator);
    const TListUnderTest& under = ListUnderTest(2);
    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    under.Append(day, 1, At(8, 0), At(9, 0), u"Bakery"_s, 0.1);
    under.Append(day, 2, At(9, 0), At(10, 0), u"Mill"_s, 0.2);
    TDayPageWindow window(diary.get(), TRegionalSettings::WithSeparator(separator));
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(under.List);
    auto* total = window.Find<QLabel>(u"LabelTotalAmountOfPurchaes2"_s);
    auto* amount = window.Find<TNumberEdit>(u"EditTotalPurchaseAmount"_s);
    const auto local = [separator](const QString& aText) { return QString(aText).replace(u'.', separator); };

    QCOMPARE(total->text(), local(u"0.3"_s));
    QCOMPARE(Rows(view),
             QStringList({local(u"08:00:00 09:00:00 Bakery 0.1"_s), local(u"09:00:00 10:00:00 Mill 0.2"_s)}));
    QCOMPARE(amount->text(), local(u"0.1"_s));

    Type(window, amount, local(u"12.50"_s), true);
    QCOMPARE(window.Day().Shoppings[0]->TotalPurchaseAmount, 12.5);
    QCOMPARE(total->text(), local(u"12.7"_s));
    QCOMPARE(view->topLevelItem(0)->text(3), local(u"12.5"_s));

    // An emptied amount stores 0.
    amount->selectAll();
    QTest::keyClick(amount, Qt::Key_Backspace);
    QCOMPARE(amount->text(), QString());
    QCOMPARE(window.Day().Shoppings[0]->TotalPurchaseAmount, 0.0);
    QCOMPARE(view->topLevelItem(0)->text(3), u"0"_s);
    QCOMPARE(total->text(), local(u"0.2"_s));
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::loneSeparatorInTheAmountIsReportedAndADigitRecovers_data()
{
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<bool>("pageChangedFirst"); // the check stops before the amount; the store fails
    QTest::newRow("full stop, fails in the check") << QChar(u'.') << false;
    QTest::newRow("comma, fails in the check") << QChar(u',') << false;
    QTest::newRow("full stop, fails in the store") << QChar(u'.') << true;
}

void TestItemLists::loneSeparatorInTheAmountIsReportedAndADigitRecovers()
{
    QFETCH(QChar, separator);
    QFETCH(bool, pageChangedFirst);
    const TListUnderTest& under = ListUnderTest(2);
    auto diary = MakeDiary({March12});
    under.Append(DayOf(*diary, March12), 1, At(8, 0), At(9, 0), u"Mill"_s, 7);
    TDayPageWindow window(diary.get(), TRegionalSettings::WithSeparator(separator));
    window.PickDate(March12);
    auto* amount = window.Find<TNumberEdit>(u"EditTotalPurchaseAmount"_s);
    const TShopping& trip = *window.Day().Shoppings[0];

    // Focused first: leaving another numeric edit would commit the page.
    window.Focus(amount);
    window.Find<TRichEdit>(under.Notes)->SetText(u"flour"_s);
    if (pageChangedFirst)
        window.Find<TRichEdit>(u"RichEditThoughts"_s)->SetText(u"unchecked"_s);
    amount->selectAll();
    QTest::keyClicks(amount, QString(separator));
    QCOMPARE(amount->text(), QString(separator));
    QCOMPARE(window.TakeMessages(), QStringList{u"error: '%1' ist kein gültiger Gleitkommawert."_s.arg(separator)});
    QCOMPARE(trip.TotalPurchaseAmount, 7.0);
    // A store that fails has stored everything before the amount.
    QCOMPARE(trip.ShoppingList, pageChangedFirst ? u"flour"_s : QString());
    QVERIFY(!window.Form().IsBusy());

    QTest::keyClicks(amount, u"5"_s);
    QCOMPARE(window.TakeMessages(), QStringList());
    QCOMPARE(trip.TotalPurchaseAmount, 0.5);
    QCOMPARE(trip.ShoppingList, u"flour"_s);
    QCOMPARE(window.Find<QLabel>(u"LabelTotalAmountOfPurchaes2"_s)->text(), u"0%1"_s.arg(separator) + u'5');
}

void TestItemLists::amountThatIsNoNumberDoesNotLockTheDay()
{
    // A file may hold an amount that is no number; it is shown as written and read back as it was,
    // so neither the change check nor a commit fails on it.
    const TListUnderTest& under = ListUnderTest(2);
    auto diary = MakeDiary({March12});
    under.Append(DayOf(*diary, March12), 1, At(8, 0), At(9, 0), u"Mill"_s, std::numeric_limits<double>::quiet_NaN());
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    QCOMPARE(window.Find<TNumberEdit>(u"EditTotalPurchaseAmount"_s)->text(), u"NAN"_s);
    window.Form().RichEditKeyUp();
    window.PickDate(March13);
    QCOMPARE(DateOfDateTime(window.Day().Date), March13);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::busyFlagMakesEveryHandlerDoNothing()
{
    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    for (int list = 0; list < 3; ++list)
        ListUnderTest(list).Append(day, 1, At(8, 0), At(9, 0), u"only"_s, 1);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    Save(window);
    TmainForm& form = window.Form();

    QStringList rowsBefore;
    for (int list = 0; list < 3; ++list)
        rowsBefore << Rows(window.Find<QTreeWidget>(ListUnderTest(list).List));
    const std::function<void()> handlers[] = {
        [&] { form.ButtonAddTaskClick(); },
        [&] { form.ButtonDeleteTaskClick(); },
        [&] { form.ListViewTasksClick(); },
        [&] { form.EditTaskChange(); },
        [&] { form.DateTimePickerTaskFromChange(); },
        [&] { form.DateTimePickerTaskToChange(); },
        [&] { form.ButtonAddConversationClick(); },
        [&] { form.ButtonDeleteConversationClick(); },
        [&] { form.ListViewConversationsClick(); },
        [&] { form.EditConversationTitleChange(); },
        [&] { form.DateTimePickerFromChange(); },
        [&] { form.DateTimePickerToChange(); },
        [&] { form.ButtonAddShoppingClick(); },
        [&] { form.ButtonDeleteShoppingClick(); },
        [&] { form.ListViewShoppingsClick(); },
        [&] { form.EditShopChange(); },
        [&] { form.EditTotalPurchaseAmountChange(); },
        [&] { form.DateTimePickerShoppingFromChange(); },
        [&] { form.DateTimePickerShoppingToChange(); },
    };
    window.Dialogs().OnModal = [&](QDialog&) {
        QVERIFY(form.IsBusy());
        // Edits that every one of the handlers would store, were it to run.
        for (int list = 0; list < 3; ++list)
            window.Find<QLineEdit>(ListUnderTest(list).Text)->setText(u"typed"_s);
        window.Find<TNumberEdit>(u"EditTotalPurchaseAmount"_s)->setText(u"."_s);
        for (const auto& handler : handlers)
            handler();
    };
    form.MenuItemAboutClick();

    for (int list = 0; list < 3; ++list) {
        const TListUnderTest& under = ListUnderTest(list);
        QCOMPARE(under.Count(window.Day()), 1);
        QCOMPARE(under.TextAt(window.Day(), 0), u"only"_s);
        QCOMPARE(window.Day().*under.LastID, 0);
    }
    QStringList rowsAfter;
    for (int list = 0; list < 3; ++list)
        rowsAfter << Rows(window.Find<QTreeWidget>(ListUnderTest(list).List));
    QCOMPARE(rowsAfter, rowsBefore);
    QVERIFY(!form.IsDialogUpdated());
    QCOMPARE(window.TakeMessages(), QStringList{u"dialog: About"_s});
}

void TestItemLists::otherWindowCodeSelectsAnEntryById()
{
    const TListUnderTest& under = ListUnderTest(0);
    auto diary = MakeDiary({March12});
    TDay& day = DayOf(*diary, March12);
    under.Append(day, 4, At(8, 0), At(9, 0), u"walk"_s, 0);
    under.Append(day, 7, At(9, 0), At(10, 0), u"read"_s, 0);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(under.List);
    window.Find<TRichEdit>(under.Notes)->SetText(u"typed"_s);

    QVERIFY(!window.Form().SelectTaskInList(99));
    QCOMPARE(SelectedRow(view), 0);
    QVERIFY(window.Form().SelectTaskInList(7));
    QCOMPARE(SelectedRow(view), 1);
    QCOMPARE(Editor(window, under), u"09:00:00 10:00:00 read | "_s);
    QCOMPARE(window.Day().Tasks[0]->Notes, u"typed"_s);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::programSelectionLeavesTheViewWhereItWas()
{
    auto diary = MakeDiary({March12});
    for (int i = 0; i < 60; ++i)
        ListUnderTest(0).Append(DayOf(*diary, March12), i + 1, At(6, i), At(7, i), u"task"_s, 0);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(u"ListViewTasks"_s);
    QCOMPARE(view->verticalScrollBar()->value(), 0);

    QVERIFY(window.Form().SelectTaskInList(60));
    QCOMPARE(SelectedRow(view), 59);
    QCOMPARE(view->verticalScrollBar()->value(), 0);
    // The user's own moves still bring the row into view.
    window.Focus(view);
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_End);
    QCOMPARE(SelectedRow(view), 59);
    QCOMPARE(view->verticalScrollBar()->value(), view->verticalScrollBar()->maximum());
    QVERIFY(view->verticalScrollBar()->maximum() > 0);
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::importedTasksShowSorted()
{
    auto diary = MakeDiary({March12});
    ListUnderTest(0).Append(DayOf(*diary, March12), 1, At(10, 0), At(11, 0), u"kept"_s, 0);
    DayOf(*diary, March12).LastTaskID = 1;
    const QByteArray file = "Task;Start;End;Note\r\n"
                            "late;2026-03-12 12:00:00;2026-03-12 13:00:00;\r\n"
                            "early;2026-03-12 07:00:00;2026-03-12 08:00:00;\r\n";
    QCOMPARE(ImportTasks(*diary, file, false).TasksAdded, 2);
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    auto* view = window.Find<QTreeWidget>(u"ListViewTasks"_s);
    QCOMPARE(Rows(view),
             QStringList({u"07:00:00 08:00:00 early"_s, u"10:00:00 11:00:00 kept"_s, u"12:00:00 13:00:00 late"_s}));
    QCOMPARE(RowIDs(view), QList<qint64>({2, 1, 3}));
    QCOMPARE(SelectedRow(view), 1); // the first task stored is current
    QCOMPARE(window.TakeMessages(), QStringList());
}

void TestItemLists::saveAndReopenKeepsEntriesIdsAndOrder()
{
    auto diary = MakeDiary({March12});
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    TmainForm& form = window.Form();
    auto* from = window.Find<QTimeEdit>(u"DateTimePickerTaskFrom"_s);
    auto* text = window.Find<QLineEdit>(u"EditTask"_s);
    for (const auto& [time, name] : {std::pair{QTime(11, 0), u"third"_s}, std::pair{QTime(9, 0), u"first"_s},
                                     std::pair{QTime(10, 0), u"second"_s}, std::pair{QTime(12, 0), u"gone"_s}}) {
        form.ButtonAddTaskClick();
        from->setTime(time);
        text->setText(name);
    }
    window.Find<TRichEdit>(u"RichEditNotes"_s)->SetText(u"notes of gone"_s);
    form.ButtonDeleteTaskClick(); // the new entry's row is the one selected
    window.Find<TRichEdit>(u"RichEditNotes"_s)->SetText(u"notes of first"_s);
    form.ButtonAddShoppingClick();
    window.Find<TNumberEdit>(u"EditTotalPurchaseAmount"_s)->setText(u"9.5"_s);
    Save(window);

    const std::unique_ptr<TDiary> read = ReadDiaryFile(window.DiaryPath());
    const TDay& saved = DayOf(*read, March12);
    QStringList tasks;
    for (const auto& task : saved.Tasks)
        tasks << u"%1 #%2 %3 %4"_s.arg(TimeOfDateTime(task->FromTime).toString(u"HH:mm"_s))
                     .arg(task->ID)
                     .arg(task->Task, task->Notes);
    QCOMPARE(tasks, QStringList({u"09:00 #2 first notes of first"_s, u"10:00 #3 second "_s, u"11:00 #1 third "_s}));
    QCOMPARE(saved.LastTaskID, 4);
    QCOMPARE(saved.Shoppings.size(), size_t(1));
    QCOMPARE(saved.Shoppings[0]->TotalPurchaseAmount, 9.5);
    QCOMPARE(saved.LastShoppingID, 1);
    QCOMPARE(window.TakeMessages(), QStringList());
}

QTEST_MAIN(TestItemLists)
#include "test_item_lists.moc"
