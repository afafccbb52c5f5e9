// Each page of the window built alone, without the window: it shows a day, takes the user's edits,
// stores them into a day and tells whether it differs from one; and the pages together bind every
// field of the day exactly once, in the order a commit stores them.

#include "support/JpegFixture.h"
#include "support/ScriptedDialogs.h"

#include "model/DayFields.h"
#include "ui/Widgets.h"
#include "ui/pages/DayPages.h"
#include "util/Errors.h"
#include "util/ksDateUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDate March12(2026, 3, 12);

std::unique_ptr<TDayPage> MakeUnbuiltPage(const QString& aKind, const TRegionalSettings& aSettings, TDialogs& aDialogs)
{
    if (aKind == u"tasks")
        return std::make_unique<TTasksPage>(aSettings);
    if (aKind == u"conversations")
        return std::make_unique<TConversationsPage>(aSettings);
    if (aKind == u"shopping")
        return std::make_unique<TShoppingPage>(aSettings);
    if (aKind == u"meals")
        return std::make_unique<TMealsPage>(aSettings);
    if (aKind == u"health")
        return std::make_unique<THealthPage>(aSettings);
    if (aKind == u"weather")
        return std::make_unique<TWeatherPage>(aSettings);
    if (aKind == u"thoughts")
        return std::make_unique<TThoughtsPage>(aSettings);
    return std::make_unique<TPicturePage>(aSettings, aDialogs);
}

// A page with its controls made, as the window makes them when the page is first needed.
std::unique_ptr<TDayPage> MakePage(const QString& aKind, const TRegionalSettings& aSettings, TDialogs& aDialogs)
{
    std::unique_ptr<TDayPage> page = MakeUnbuiltPage(aKind, aSettings, aDialogs);
    page->EnsureBuilt();
    return page;
}

// The day's value that the control of that name shows, as a double (numbers) or a text.
const TDayField& FieldOf(const QString& aControl)
{
    for (const TDayField& field : DayFields())
        if (field.Control && aControl == QLatin1String(field.Control))
            return field;
    qFatal("no field for %s", qPrintable(aControl));
}

double NumberOf(const TDay& aDay, const QString& aControl)
{
    return std::visit(
        [&aDay](auto aMember) -> double {
            using T = std::remove_cvref_t<decltype(aDay.*aMember)>;
            if constexpr (std::is_same_v<T, double> || std::is_same_v<T, qint32>)
                return double(aDay.*aMember);
            else
                return qQNaN();
        },
        FieldOf(aControl).Member);
}

QString TextOf(const TDay& aDay, const QString& aControl)
{
    return std::visit(
        [&aDay](auto aMember) -> QString {
            if constexpr (std::is_same_v<std::remove_cvref_t<decltype(aDay.*aMember)>, QString>)
                return aDay.*aMember;
            else
                return QString();
        },
        FieldOf(aControl).Member);
}

template <typename TEntry> TEntry& AddEntry(TOwningList<TEntry>& aList, qint64 aID, double aFromHour)
{
    auto entry = std::make_unique<TEntry>();
    entry->ID = aID;
    entry->FromTime = aFromHour / 24.0;
    entry->ToTime = (aFromHour + 1) / 24.0;
    aList.push_back(std::move(entry));
    return *aList.back();
}

} // namespace

class TestPages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void pagesBindEveryFieldOnceInTheOrderOfACommit();
    void textFields_data();
    void textFields();
    void numberFields_data();
    void numberFields();
    void aNumberThatDoesNotConvertStopsTheStoreThere();
    void itemPages_data();
    void itemPages();
    void shoppingAmount();
    void picturePage();

private:
    TRegionalSettings fSettings;
    TScriptedDialogs fDialogs;
};

void TestPages::pagesBindEveryFieldOnceInTheOrderOfACommit()
{
    // A field no page binds would never be shown or stored; one bound twice would be stored twice
    // with different texts. The commit walks the pages in their order, and must meet the fields in
    // the order of the day's fields.
    QTabWidget tabs;
    TDayPages pages;
    pages.Create(tabs, fSettings, fDialogs);
    QCOMPARE(tabs.count(), 8);
    // Made one at a time as each is needed; until then a page has no controls.
    for (const TDayPage* page : pages.All())
        QVERIFY(!page->IsBuilt() && page->Fields().Bindings().empty());
    QVERIFY(!tabs.findChild<QWidget*>(u"ChartHealthValue"_s));
    int made = 0;
    while (pages.BuildNext())
        ++made;
    QCOMPARE(made, 8);

    QStringList bound;
    for (const TDayPage* page : pages.All()) {
        for (const TPageBinding& binding : page->Fields().Bindings())
            bound << std::visit([](const auto& b) { return b.Control->objectName(); }, binding);
    }
    QStringList expected;
    for (const TDayField& field : DayFields())
        if (field.Control)
            expected << QString::fromLatin1(field.Control);
    QCOMPARE(bound, expected);
}

void TestPages::textFields_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("control");
    QTest::newRow("what happened") << u"tasks"_s << u"RichEditWhatHappenedAdditionalyToTheTasks"_s;
    QTest::newRow("breakfast") << u"meals"_s << u"RichEditBreakfast"_s;
    QTest::newRow("dinner") << u"meals"_s << u"RichEditDinner"_s;
    QTest::newRow("health condition") << u"health"_s << u"RichEditlHealthCondition"_s;
    QTest::newRow("weather today") << u"weather"_s << u"RichEditWeatherToday"_s;
    QTest::newRow("thoughts") << u"thoughts"_s << u"RichEditThoughts"_s;
}

void TestPages::textFields()
{
    QFETCH(QString, page);
    QFETCH(QString, control);
    const std::unique_ptr<TDayPage> shown = MakePage(page, fSettings, fDialogs);
    TDiary diary;
    TDay& day = *diary.GetDay(EncodeDate(March12) + 0.5);
    std::visit(
        [&day](auto aMember) {
            if constexpr (std::is_same_v<std::remove_reference_t<decltype(day.*aMember)>, QString>)
                day.*aMember = u"first line\r\nsecond line"_s;
        },
        FieldOf(control).Member);

    shown->ShowDay(day);
    auto* edit = shown->findChild<TRichEdit*>(control);
    QVERIFY(edit);
    QCOMPARE(edit->Text(), u"first line\r\nsecond line"_s);
    QVERIFY(!shown->HasChanged(day));

    QSignalSpy edited(shown.get(), &TDayPage::TextEdited);
    edit->moveCursor(QTextCursor::End);
    QTest::keyClicks(edit, u" and more"_s);
    QVERIFY(edited.count() > 0);
    QVERIFY(shown->HasChanged(day));
    TDay copy(day.Date);
    shown->CopyInto(copy);
    QCOMPARE(TextOf(copy, control), u"first line\r\nsecond line and more"_s);

    shown->StoreInto(day);
    QCOMPARE(TextOf(day, control), u"first line\r\nsecond line and more"_s);
    QVERIFY(!shown->HasChanged(day));
}

void TestPages::numberFields_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<double>("stored");
    QTest::newRow("temperature") << u"health"_s << u"EditTemperature1"_s << u"37.5"_s << 37.5;
    QTest::newRow("pulse, a whole number kept as a decimal") << u"health"_s << u"EditPuls2"_s << u"72"_s << 72.0;
    QTest::newRow("weight, emptied") << u"health"_s << u"EditWeight3"_s << QString() << 0.0;
    QTest::newRow("weather temperature, negative")
        << u"weather"_s << u"EditWeatherTemperatureMorning"_s << u"-4"_s << -4.0;
    QTest::newRow("weather temperature, a lone minus")
        << u"weather"_s << u"EditWeatherTemperatureEvening"_s << u"-"_s << 0.0;
    QTest::newRow("pressure") << u"weather"_s << u"EditWeatherPressure"_s << u"1013.25"_s << 1013.25;
}

void TestPages::numberFields()
{
    QFETCH(QString, page);
    QFETCH(QString, control);
    QFETCH(QString, typed);
    QFETCH(double, stored);
    const std::unique_ptr<TDayPage> shown = MakePage(page, fSettings, fDialogs);
    TDiary diary;
    TDay& day = *diary.GetDay(EncodeDate(March12) + 0.5);
    // Every number of the day differs from what the rows type.
    for (const TDayField& field : DayFields()) {
        if (const auto* decimal = std::get_if<double TDay::*>(&field.Member); decimal && field.Control)
            day.** decimal = 11.5;
        if (const auto* whole = std::get_if<qint32 TDay::*>(&field.Member))
            day.** whole = 11;
    }

    shown->ShowDay(day);
    auto* edit = shown->findChild<TNumberEdit*>(control);
    QVERIFY(edit);
    QCOMPARE(edit->text().toDouble(), NumberOf(day, control));
    QVERIFY(!shown->HasChanged(day));

    edit->setText(typed);
    shown->FillEmptyNumberEdits();
    QVERIFY(!edit->text().isEmpty() && edit->text() != u"-");
    QVERIFY(shown->HasChanged(day));
    QVERIFY(!shown->FirstNumberEditThatDoesNotConvert());
    shown->StoreInto(day);
    QCOMPARE(NumberOf(day, control), stored);
    QVERIFY(!shown->HasChanged(day));
}

void TestPages::aNumberThatDoesNotConvertStopsTheStoreThere()
{
    THealthPage page(fSettings);
    page.EnsureBuilt();
    TDiary diary;
    TDay& day = *diary.GetDay(EncodeDate(March12) + 0.5);
    page.ShowDay(day);
    auto* before = page.findChild<TNumberEdit*>(u"EditTemperature1"_s);
    auto* failing = page.findChild<TNumberEdit*>(u"EditPuls1"_s);
    auto* after = page.findChild<TNumberEdit*>(u"EditWeight3"_s);
    auto* check = page.findChild<QCheckBox*>(u"CheckBoxHeartArrhythmiaSymbolAppears2"_s);
    before->setText(u"36.6"_s);
    failing->setText(u"7.2.1"_s);
    after->setText(u"80"_s);
    check->setChecked(true);

    QCOMPARE(page.FirstNumberEditThatDoesNotConvert(), failing);
    QCOMPARE(page.CaptionOf(*failing), uR"("Pulse" (Morning))"_s);
    QVERIFY(page.HasChanged(day)); // the first difference ends the check before the text that is no number
    QVERIFY_THROWS_EXCEPTION(EConvertError, page.StoreInto(day));
    QCOMPARE(day.TemperatureAtMorning, 36.6);
    QCOMPARE(day.WeightAtEvening, 0.0);
    QVERIFY(!day.HeartArrhythmiaSymbolAppearsAtLunch);

    // The copy of a recovery takes what converts and leaves the rest as the day holds it.
    TDay copy(day.Date);
    copy.PulseAtMorning = 64;
    page.CopyInto(copy);
    QCOMPARE(copy.PulseAtMorning, 64.0);
    QCOMPARE(copy.WeightAtEvening, 80.0);
    QVERIFY(copy.HeartArrhythmiaSymbolAppearsAtLunch);
}

void TestPages::itemPages_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("title");
    QTest::newRow("tasks") << u"tasks"_s << u"ListViewTasks"_s << u"EditTask"_s;
    QTest::newRow("conversations") << u"conversations"_s << u"ListViewConversations"_s << u"EditConversationTitle"_s;
    QTest::newRow("shopping") << u"shopping"_s << u"ListViewShoppings"_s << u"EditShop"_s;
}

void TestPages::itemPages()
{
    QFETCH(QString, page);
    QFETCH(QString, list);
    QFETCH(QString, title);
    const std::unique_ptr<TDayPage> shown = MakePage(page, fSettings, fDialogs);
    auto& items = *static_cast<TItemPageBase*>(shown.get());
    TDiary diary;
    TDay& day = *diary.GetDay(EncodeDate(March12) + 0.5);
    // The title of the entry of that ID, and the operations of the page's list. The entry stored
    // first starts later than the second, so the list shows it second.
    std::function<QString(qint64)> titleOf;
    QString newTitle;
    std::function<void()> storeEntry, add;
    std::function<bool()> entryChanged;
    const auto bind = [&](auto& aPage, auto& aEntries, auto aTitle) {
        AddEntry(aEntries, 1, 9).*aTitle = u"first"_s;
        AddEntry(aEntries, 2, 8).*aTitle = u"second"_s;
        titleOf = [&aEntries, aTitle](qint64 aID) {
            for (const auto& entry : aEntries)
                if (entry->ID == aID)
                    return (*entry).*aTitle;
            return QString();
        };
        newTitle = std::remove_cvref_t<decltype(*aEntries.front())>().*aTitle;
        storeEntry = [&aPage] { aPage.StoreEntry(); };
        entryChanged = [&aPage] { return aPage.EntryChanged(); };
        add = [&aPage, &day] { aPage.Add(day); };
    };
    if (auto* tasks = dynamic_cast<TTasksPage*>(shown.get()))
        bind(*tasks, day.Tasks, &TTask::Task);
    else if (auto* conversations = dynamic_cast<TConversationsPage*>(shown.get()))
        bind(*conversations, day.Conversations, &TConversation::Title);
    else
        bind(*dynamic_cast<TShoppingPage*>(shown.get()), day.Shoppings, &TShopping::Shop);

    shown->ShowDay(day);
    auto* rows = shown->findChild<QTreeWidget*>(list);
    auto* edit = shown->findChild<QLineEdit*>(title);
    QVERIFY(rows && edit);
    QCOMPARE(rows->topLevelItemCount(), 2);
    QCOMPARE(rows->topLevelItem(0)->text(2), u"second"_s);
    QCOMPARE(rows->topLevelItem(1)->text(2), u"first"_s);
    QCOMPARE(edit->text(), u"first"_s); // the first entry as stored is current
    QVERIFY(!entryChanged() && !shown->HasChanged(day));

    QSignalSpy edited(&items, &TItemPageBase::TitleEdited);
    edit->setText(u"Changed"_s);
    QCOMPARE(edited.count(), 1);
    QVERIFY(entryChanged());
    storeEntry();
    QCOMPARE(titleOf(1), u"Changed"_s);
    QCOMPARE(titleOf(2), u"second"_s);
    QVERIFY(!entryChanged());

    add();
    QCOMPARE(rows->topLevelItemCount(), 3);
    QCOMPARE(edit->text(), newTitle); // the new entry is current
}

void TestPages::shoppingAmount()
{
    TShoppingPage page(fSettings);
    page.EnsureBuilt();
    TDiary diary;
    TDay& day = *diary.GetDay(EncodeDate(March12) + 0.5);
    AddEntry(day.Shoppings, 1, 10);
    page.ShowDay(day);
    auto* amount = page.findChild<TNumberEdit*>(u"EditTotalPurchaseAmount"_s);
    auto* total = page.findChild<QLabel*>(u"LabelTotalAmountOfPurchaes2"_s);

    amount->setText(QString());
    QVERIFY(!page.FirstNumberEditThatDoesNotConvert()); // empty counts as 0
    page.FillEmptyNumberEdits();
    QCOMPARE(amount->text(), u"0"_s);

    amount->setText(u"12.5"_s);
    QVERIFY(page.EntryChanged());
    page.StoreEditorAndRefill(day);
    QCOMPARE(day.Shoppings.front()->TotalPurchaseAmount, 12.5);
    QCOMPARE(total->text(), u"12.5"_s);

    amount->setText(u"1.2.3"_s);
    QCOMPARE(page.FirstNumberEditThatDoesNotConvert(), amount);
    QVERIFY_THROWS_EXCEPTION(EConvertError, page.StoreEntry());
}

void TestPages::picturePage()
{
    TPicturePage page(fSettings, fDialogs);
    page.EnsureBuilt();
    TDiary diary;
    TDay& day = *diary.GetDay(EncodeDate(March12) + 0.5);
    const QByteArray stored = TJpegFixture::Make(40, 30);
    day.Picture = stored;

    page.ShowDay(day);
    page.PictureToBytes();
    QVERIFY(!page.HasChanged(day));

    page.DeletePicture();
    page.PictureToBytes();
    QVERIFY(page.HasChanged(day));
    page.StoreInto(day);
    QVERIFY(day.Picture.isEmpty());

    QTemporaryDir folder;
    const QString file = folder.filePath(u"new.jpg"_s);
    const QByteArray loaded = TJpegFixture::Make(20, 10, 0x3070C0);
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly) && out.write(loaded) == loaded.size());
    out.close();
    page.LoadFromFile(file);
    page.PictureToBytes();
    QVERIFY(page.HasChanged(day));
    page.StoreInto(day);
    QCOMPARE(day.Picture, loaded); // the file's bytes, not a new encoding

    // Bytes that cannot be decoded are reported once, when the page is shown, and kept: nothing
    // changed, nothing lost.
    day.Picture = TJpegFixture::CutInHeader(stored);
    fDialogs.ClearShown();
    page.ShowDay(day);
    QCOMPARE(fDialogs.Texts(TScriptedDialogs::TKind::Message).size(), 0);
    page.show();
    QCoreApplication::processEvents();
    QCOMPARE(fDialogs.Texts(TScriptedDialogs::TKind::Message).size(), 1);
    page.PictureToBytes();
    QVERIFY(!page.HasChanged(day));
    page.StoreInto(day);
    QCOMPARE(day.Picture, TJpegFixture::CutInHeader(stored));
}

QTEST_MAIN(TestPages)
#include "test_pages.moc"
