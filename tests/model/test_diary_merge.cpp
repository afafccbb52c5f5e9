// The three-way merge of diaries and the diff: a table of cases for every kind of value, entry and
// day, the picks, and properties over generated diaries.
#include "model/DiaryCopy.h"
#include "model/DiaryMerge.h"
#include "support/DiaryFixture.h"

#include <QRandomGenerator>
#include <QTest>

#include <functional>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

// 2026-03-12 06:00 and 2026-03-14 12:00 (as numbers: a constant may not wait for the date helpers'
// own constants).
constexpr TDateTime kDate = 46093.25;
constexpr TDateTime kOtherDate = 46095.5;

using TEdit = std::function<void(TDiary&)>;

TDay& Page(TDiary& aDiary, TDateTime aDate = kDate)
{
    return *aDiary.GetDay(aDate);
}

template <typename TEntry> TEntry& Entry(TOwningList<TEntry>& aList, qint64 aID)
{
    for (auto& entry : aList)
        if (entry->ID == aID)
            return *entry;
    qFatal("no entry %lld", static_cast<long long>(aID));
}

template <typename TEntry> void Remove(TOwningList<TEntry>& aList, qint64 aID)
{
    std::erase_if(aList, [aID](const std::unique_ptr<TEntry>& aEntry) { return aEntry->ID == aID; });
}

TTask& AddTask(TDay& aDay, const QString& aTitle)
{
    aDay.Tasks.push_back(std::make_unique<TTask>());
    TTask& task = *aDay.Tasks.back();
    task.ID = ++aDay.LastTaskID;
    task.Task = aTitle;
    return task;
}

// The diary every case starts from: one page with a value of every kind and entries in all three
// lists, and a second page that only some cases touch.
std::unique_ptr<TDiary> BaseDiary()
{
    auto diary = std::make_unique<TDiary>();
    TDay& day = Page(*diary);
    day.Thoughts = u"base thoughts"_s;
    day.PulseAtMorning = 70;
    day.WeatherHumidity = 50;
    day.WeatherPressure = 1013.25;
    day.Picture = QByteArray("\xFF\xD8 base", 7);
    AddTask(day, u"first"_s).FromTime = 0.25;
    AddTask(day, u"second"_s).Notes = u"second notes"_s;
    day.Conversations.push_back(std::make_unique<TConversation>());
    day.Conversations.back()->ID = day.LastConversationID = 1;
    day.Conversations.back()->Title = u"call"_s;
    day.Shoppings.push_back(std::make_unique<TShopping>());
    day.Shoppings.back()->ID = day.LastShoppingID = 1;
    day.Shoppings.back()->TotalPurchaseAmount = 12.5;
    Page(*diary, kOtherDate).Breakfast = u"porridge"_s;
    return diary;
}

std::unique_ptr<TDiary> Edited(const TDiary& aDiary, const TEdit& aEdit)
{
    std::unique_ptr<TDiary> copy = CopyDiary(aDiary);
    if (aEdit)
        aEdit(*copy);
    return copy;
}

QString KindName(TMergeKind aKind)
{
    static const char* const names[] = {"text", "choice", "number", "flag", "picture", "entry", "day"};
    return QString::fromLatin1(names[int(aKind)]);
}

QString PickName(TMergePick aPick)
{
    static const char* const names[] = {"open", "ours", "theirs", "both"};
    return QString::fromLatin1(names[int(aPick)]);
}

// "Section Field kind resolution", for comparing lists of conflicts in a failure message.
QStringList Described(const std::vector<TMergeConflict>& aConflicts)
{
    QStringList result;
    for (const TMergeConflict& conflict : aConflicts)
        result << (conflict.Section + u' ' + (conflict.Field.isEmpty() ? u"-"_s : conflict.Field) + u' ' +
                   KindName(conflict.Kind) + u' ' + PickName(conflict.Resolution));
    return result;
}

QString Both(const QString& aOurs, const QString& aTheirs)
{
    return aOurs + u'\n' + MergeMarkerLine + u'\n' + aTheirs;
}

struct TCase {
    QString Name;
    TEdit Ours, Theirs;
    TEdit Expected; // applied to the base
    QStringList Conflicts;
};

// A value of each kind set on one side, on both alike, on both differently.
template <typename T>
void AddValueCases(std::vector<TCase>& aCases, const QString& aKind, const QString& aField, T TDay::*aMember, T aOurs,
                   T aTheirs, const T& aBothDifferent, const QString& aConflict)
{
    const auto set = [aMember](T aValue) {
        return [aMember, aValue](TDiary& aDiary) { Page(aDiary).*aMember = aValue; };
    };
    aCases.push_back({aKind + u", ours only"_s, set(aOurs), {}, set(aOurs), {}});
    aCases.push_back({aKind + u", theirs only"_s, {}, set(aTheirs), set(aTheirs), {}});
    aCases.push_back({aKind + u", both alike"_s, set(aOurs), set(aOurs), set(aOurs), {}});
    aCases.push_back({aKind + u", both differently"_s,
                      set(aOurs),
                      set(aTheirs),
                      set(aBothDifferent),
                      {u"Day "_s + aField + u' ' + aConflict}});
}

std::vector<TCase> Cases()
{
    std::vector<TCase> cases;
    AddValueCases(cases, u"text"_s, u"Thoughts"_s, &TDay::Thoughts, u"ours"_s, u"theirs"_s,
                  Both(u"ours"_s, u"theirs"_s), u"text both"_s);
    // A text both sides cleared from another value stays cleared; one cleared and one changed keeps both.
    AddValueCases(cases, u"text cleared"_s, u"Thoughts"_s, &TDay::Thoughts, QString(), u"theirs"_s,
                  Both(QString(), u"theirs"_s), u"text both"_s);
    // Choices, numbers, flags and pictures stay open, with ours in the merged diary until a pick is made.
    AddValueCases(cases, u"reading"_s, u"PulseAtMorning"_s, &TDay::PulseAtMorning, 71.0, 72.0, 71.0, u"number open"_s);
    AddValueCases(cases, u"weather whole"_s, u"WeatherHumidity"_s, &TDay::WeatherHumidity, 60, 40, 60,
                  u"number open"_s);
    // A value picked from a list is one line, which two values with a marker between would not be.
    AddValueCases(cases, u"weather choice"_s, u"WeatherMoonPhase"_s, &TDay::WeatherMoonPhase, u"Full Moon"_s,
                  u"New Moon"_s, u"Full Moon"_s, u"choice open"_s);
    AddValueCases(cases, u"weather decimal"_s, u"WeatherPressure"_s, &TDay::WeatherPressure, 1000.0, 990.5, 1000.0,
                  u"number open"_s);
    // A flag has two values, so both sides can only change it alike: flags never conflict.
    AddValueCases(cases, u"flag"_s, u"HeartArrhythmiaSymbolAppearsAtEvening"_s,
                  &TDay::HeartArrhythmiaSymbolAppearsAtEvening, true, true, true, QString());
    cases.pop_back();
    AddValueCases(cases, u"picture"_s, u"Picture"_s, &TDay::Picture, QByteArray("ours"), QByteArray("theirs"),
                  QByteArray("ours"), u"picture open"_s);
    cases.push_back({u"flags, each side its own"_s,
                     [](TDiary& d) { Page(d).HeartArrhythmiaSymbolAppearsAtMorning = true; },
                     [](TDiary& d) { Page(d).HeartArrhythmiaSymbolAppearsAtEvening = true; },
                     [](TDiary& d) {
                         Page(d).HeartArrhythmiaSymbolAppearsAtMorning = true;
                         Page(d).HeartArrhythmiaSymbolAppearsAtEvening = true;
                     },
                     {}});
    // -0.0 is another value than 0.0 (its bits), and a NaN stays what it was.
    cases.push_back({u"reading -0.0 against 0.0"_s,
                     [](TDiary& d) { Page(d).PulseAtMorning = 0.0; },
                     [](TDiary& d) { Page(d).PulseAtMorning = -0.0; },
                     [](TDiary& d) { Page(d).PulseAtMorning = 0.0; },
                     {u"Day PulseAtMorning number open"_s}});
    cases.push_back({u"different fields on both sides"_s,
                     [](TDiary& d) {
                         Page(d).Thoughts = u"ours"_s;
                         Page(d).WeightAtEvening = 80;
                     },
                     [](TDiary& d) {
                         Page(d).Dinner = u"theirs"_s;
                         Page(d).PulseAtMorning = 60;
                     },
                     [](TDiary& d) {
                         Page(d).Thoughts = u"ours"_s;
                         Page(d).WeightAtEvening = 80;
                         Page(d).Dinner = u"theirs"_s;
                         Page(d).PulseAtMorning = 60;
                     },
                     {}});
    // The time of day of a page's date is no content: the page keeps ours.
    cases.push_back(
        {u"the time of day of the date alone"_s, {}, [](TDiary& d) { Page(d).Date = kDate + 0.5; }, {}, {}});

    // The item lists, by id.
    cases.push_back({u"task added by ours"_s,
                     [](TDiary& d) { AddTask(Page(d), u"new"_s); },
                     {},
                     [](TDiary& d) { AddTask(Page(d), u"new"_s); },
                     {}});
    cases.push_back({u"task added by theirs, beside ours' change"_s,
                     [](TDiary& d) { Page(d).Thoughts = u"ours"_s; },
                     [](TDiary& d) { AddTask(Page(d), u"new"_s); },
                     [](TDiary& d) {
                         Page(d).Thoughts = u"ours"_s;
                         AddTask(Page(d), u"new"_s);
                     },
                     {}});
    cases.push_back({u"task changed by ours"_s,
                     [](TDiary& d) { Entry(Page(d).Tasks, 2).Notes = u"ours"_s; },
                     {},
                     [](TDiary& d) { Entry(Page(d).Tasks, 2).Notes = u"ours"_s; },
                     {}});
    cases.push_back({u"task changed in different fields on both sides"_s,
                     [](TDiary& d) {
                         Entry(Page(d).Tasks, 2).Notes = u"ours"_s;
                         Page(d).Thoughts = u"o"_s;
                     },
                     [](TDiary& d) { Entry(Page(d).Tasks, 2).ToTime = 0.5; },
                     [](TDiary& d) {
                         Entry(Page(d).Tasks, 2).Notes = u"ours"_s;
                         Entry(Page(d).Tasks, 2).ToTime = 0.5;
                         Page(d).Thoughts = u"o"_s;
                     },
                     {}});
    cases.push_back({u"task text changed differently"_s,
                     [](TDiary& d) { Entry(Page(d).Tasks, 1).Task = u"o"_s; },
                     [](TDiary& d) { Entry(Page(d).Tasks, 1).Task = u"t"_s; },
                     [](TDiary& d) { Entry(Page(d).Tasks, 1).Task = Both(u"o"_s, u"t"_s); },
                     {u"Task 1 Task text both"_s}});
    cases.push_back({u"task time changed differently"_s,
                     [](TDiary& d) { Entry(Page(d).Tasks, 1).FromTime = 0.3; },
                     [](TDiary& d) { Entry(Page(d).Tasks, 1).FromTime = 0.4; },
                     [](TDiary& d) { Entry(Page(d).Tasks, 1).FromTime = 0.3; },
                     {u"Task 1 FromTime number open"_s}});
    cases.push_back({u"task deleted by ours"_s,
                     [](TDiary& d) { Remove(Page(d).Tasks, 1); },
                     {},
                     [](TDiary& d) { Remove(Page(d).Tasks, 1); },
                     {}});
    cases.push_back({u"task deleted by theirs, another changed by ours"_s,
                     [](TDiary& d) { Entry(Page(d).Tasks, 2).Notes = u"ours"_s; },
                     [](TDiary& d) { Remove(Page(d).Tasks, 1); },
                     [](TDiary& d) {
                         Remove(Page(d).Tasks, 1);
                         Entry(Page(d).Tasks, 2).Notes = u"ours"_s;
                     },
                     {}});
    cases.push_back({u"task deleted on both sides"_s,
                     [](TDiary& d) { Remove(Page(d).Tasks, 2); },
                     [](TDiary& d) { Remove(Page(d).Tasks, 2); },
                     [](TDiary& d) { Remove(Page(d).Tasks, 2); },
                     {}});
    cases.push_back({u"task deleted by theirs and changed by ours"_s,
                     [](TDiary& d) { Entry(Page(d).Tasks, 2).Notes = u"ours"_s; },
                     [](TDiary& d) { Remove(Page(d).Tasks, 2); },
                     [](TDiary& d) { Entry(Page(d).Tasks, 2).Notes = u"ours"_s; },
                     {u"Task 2 - entry both"_s}});
    cases.push_back({u"task deleted by ours and changed by theirs"_s,
                     [](TDiary& d) { Remove(Page(d).Tasks, 1); },
                     [](TDiary& d) { Entry(Page(d).Tasks, 1).ToTime = 0.75; },
                     [](TDiary& d) { Entry(Page(d).Tasks, 1).ToTime = 0.75; },
                     {u"Task 1 - entry both"_s}});
    // The same new id on both sides: theirs follows ours with the next id, the counter covers both.
    cases.push_back({u"same new task id on both sides"_s,
                     [](TDiary& d) { AddTask(Page(d), u"ours new"_s); },
                     [](TDiary& d) { AddTask(Page(d), u"theirs new"_s).Notes = u"t"_s; },
                     [](TDiary& d) {
                         AddTask(Page(d), u"ours new"_s);
                         AddTask(Page(d), u"theirs new"_s).Notes = u"t"_s;
                     },
                     {}});
    cases.push_back({u"same new task on both sides"_s,
                     [](TDiary& d) { AddTask(Page(d), u"same"_s); },
                     [](TDiary& d) { AddTask(Page(d), u"same"_s); },
                     [](TDiary& d) { AddTask(Page(d), u"same"_s); },
                     {}});
    // Ours added two and deleted them again (its counter is ahead), theirs added one under id 3:
    // the id stays, the counter keeps ours' height so that 3 and 4 are never given again.
    cases.push_back({u"counter ahead on one side"_s,
                     [](TDiary& d) { Page(d).LastTaskID = 4; },
                     [](TDiary& d) { AddTask(Page(d), u"theirs"_s); },
                     [](TDiary& d) {
                         AddTask(Page(d), u"theirs"_s);
                         Page(d).LastTaskID = 4;
                     },
                     {}});
    // The order of the side that changed it; the other side's new entry after the one it follows.
    const auto swapTasks = [](TDiary& d) { std::swap(Page(d).Tasks[0], Page(d).Tasks[1]); };
    cases.push_back({u"tasks reordered by theirs"_s,
                     [](TDiary& d) { Page(d).Thoughts = u"ours"_s; },
                     swapTasks,
                     [swapTasks](TDiary& d) {
                         Page(d).Thoughts = u"ours"_s;
                         swapTasks(d);
                     },
                     {}});
    const auto newTaskFirst = [](TDiary& d) {
        AddTask(Page(d), u"new"_s);
        std::rotate(Page(d).Tasks.begin(), Page(d).Tasks.end() - 1, Page(d).Tasks.end());
    };
    cases.push_back({u"tasks reordered by ours, one put first by theirs"_s,
                     swapTasks,
                     newTaskFirst,
                     [swapTasks, newTaskFirst](TDiary& d) {
                         swapTasks(d);
                         newTaskFirst(d);
                     },
                     {}});
    cases.push_back({u"conversation text changed differently"_s,
                     [](TDiary& d) { Entry(Page(d).Conversations, 1).Conversation = u"o"_s; },
                     [](TDiary& d) { Entry(Page(d).Conversations, 1).Conversation = u"t"_s; },
                     [](TDiary& d) { Entry(Page(d).Conversations, 1).Conversation = Both(u"o"_s, u"t"_s); },
                     {u"Conversation 1 Conversation text both"_s}});
    cases.push_back({u"shopping amount changed differently"_s,
                     [](TDiary& d) { Entry(Page(d).Shoppings, 1).TotalPurchaseAmount = 13; },
                     [](TDiary& d) { Entry(Page(d).Shoppings, 1).TotalPurchaseAmount = 14; },
                     [](TDiary& d) { Entry(Page(d).Shoppings, 1).TotalPurchaseAmount = 13; },
                     {u"Shopping trip 1 TotalPurchaseAmount number open"_s}});
    cases.push_back({u"same new shopping id on both sides"_s,
                     [](TDiary& d) {
                         d.GetDay(kDate)->Shoppings.push_back(std::make_unique<TShopping>());
                         d.GetDay(kDate)->Shoppings.back()->ID = d.GetDay(kDate)->LastShoppingID = 2;
                     },
                     [](TDiary& d) {
                         d.GetDay(kDate)->Shoppings.push_back(std::make_unique<TShopping>());
                         d.GetDay(kDate)->Shoppings.back()->ID = d.GetDay(kDate)->LastShoppingID = 2;
                         d.GetDay(kDate)->Shoppings.back()->Shop = u"theirs"_s;
                     },
                     [](TDiary& d) {
                         for (int id : {2, 3}) {
                             d.GetDay(kDate)->Shoppings.push_back(std::make_unique<TShopping>());
                             d.GetDay(kDate)->Shoppings.back()->ID = d.GetDay(kDate)->LastShoppingID = id;
                         }
                         d.GetDay(kDate)->Shoppings.back()->Shop = u"theirs"_s;
                     },
                     {}});

    // Whole days.
    const TDateTime newDate = EncodeDate(QDate(2026, 3, 13)) + 0.1;
    cases.push_back({u"day added by ours"_s,
                     [newDate](TDiary& d) { Page(d, newDate).Lunch = u"soup"_s; },
                     {},
                     [newDate](TDiary& d) { Page(d, newDate).Lunch = u"soup"_s; },
                     {}});
    cases.push_back({u"day added by theirs"_s,
                     {},
                     [newDate](TDiary& d) { Page(d, newDate).Lunch = u"soup"_s; },
                     [newDate](TDiary& d) { Page(d, newDate).Lunch = u"soup"_s; },
                     {}});
    cases.push_back({u"day added on both sides"_s,
                     [newDate](TDiary& d) {
                         Page(d, newDate).Lunch = u"soup"_s;
                         Page(d, newDate).PulseAtLunch = 60;
                     },
                     [newDate](TDiary& d) {
                         Page(d, newDate + 0.2).Lunch = u"salad"_s;
                         Page(d, newDate).Dinner = u"x"_s;
                     },
                     [newDate](TDiary& d) {
                         Page(d, newDate).Lunch = Both(u"soup"_s, u"salad"_s);
                         Page(d, newDate).PulseAtLunch = 60;
                         Page(d, newDate).Dinner = u"x"_s;
                     },
                     {u"Day Lunch text both"_s}});
    const auto dropOther = [](TDiary& d) {
        std::erase_if(d.DB, [](const auto& aDay) { return SameDate(aDay->Date, kOtherDate); });
    };
    const auto emptyOther = [](TDiary& d) { Page(d, kOtherDate).Breakfast.clear(); };
    const auto changeOther = [](TDiary& d) { Page(d, kOtherDate).Dinner = u"dinner"_s; };
    cases.push_back({u"day dropped by ours"_s, dropOther, {}, dropOther, {}});
    cases.push_back({u"day emptied by theirs"_s, {}, emptyOther, emptyOther, {}});
    cases.push_back({u"day dropped on both sides"_s, dropOther, dropOther, dropOther, {}});
    cases.push_back(
        {u"day dropped by ours and changed by theirs"_s, dropOther, changeOther, changeOther, {u"Day - day both"_s}});
    cases.push_back(
        {u"day emptied by theirs and changed by ours"_s, changeOther, emptyOther, changeOther, {u"Day - day both"_s}});
    return cases;
}

// Diaries whose pages carry a little of everything, and edits of them as a user makes them: values
// set and cleared, entries added (with the day's counter), changed and deleted, pages added and
// emptied. Counters only ever grow, as the program keeps them.
class TDiaryGenerator {
public:
    explicit TDiaryGenerator(quint32 aSeed) : fRandom(aSeed) {}

    std::unique_ptr<TDiary> Diary(int aDays)
    {
        auto diary = std::make_unique<TDiary>();
        for (int i = 0; i < aDays; ++i)
            if (Chance(80))
                FillDay(Page(*diary, kDate + 2 * i + Fraction()));
        return diary;
    }

    std::unique_ptr<TDiary> Edit(const TDiary& aDiary, int aDays)
    {
        std::unique_ptr<TDiary> diary = CopyDiary(aDiary);
        const int edits = 1 + int(fRandom.bounded(8));
        std::set<qint64> dropped;
        for (int i = 0; i < edits; ++i) {
            // Some of the dates no page has yet: every other day, and beyond the end.
            const TDateTime date = kDate + fRandom.bounded(2 * aDays + 4) + Fraction();
            if (dropped.count(DatePart(date)))
                continue;
            switch (fRandom.bounded(4)) {
            case 0:
                FillDay(Page(*diary, date));
                break;
            case 1:
                EditDay(Page(*diary, date));
                break;
            case 2: // emptied: every value and entry deleted, the counters kept
                for (auto& day : diary->DB) {
                    if (SameDate(day->Date, date)) {
                        auto empty = std::make_unique<TDay>(day->Date);
                        empty->LastTaskID = day->LastTaskID;
                        empty->LastConversationID = day->LastConversationID;
                        empty->LastShoppingID = day->LastShoppingID;
                        day = std::move(empty);
                    }
                }
                break;
            default:
                // Dropped, as a save drops an empty page. Such a date is left alone from then on: a
                // page made again would start its counters afresh, below the base's.
                std::erase_if(diary->DB, [&](const auto& aDay) { return SameDate(aDay->Date, date); });
                dropped.insert(DatePart(date));
            }
        }
        return diary;
    }

private:
    bool Chance(int aPercent) { return int(fRandom.bounded(100)) < aPercent; }
    double Fraction() { return fRandom.bounded(1000) / 1000.0; }
    QString Text() { return u"text %1"_s.arg(fRandom.bounded(1000)); }

    void FillDay(TDay& aDay)
    {
        aDay.Thoughts = Text();
        if (Chance(50))
            aDay.Breakfast = Text();
        aDay.PulseAtMorning = fRandom.bounded(50, 120);
        aDay.HeartArrhythmiaSymbolAppearsAtLunch = Chance(30);
        aDay.WeatherUVIndex = fRandom.bounded(12);
        if (Chance(20))
            aDay.Picture = Text().toUtf8();
        for (int i = int(fRandom.bounded(3)); i > 0; --i)
            AddTask(aDay, Text()).FromTime = Fraction();
        if (Chance(50)) {
            aDay.Conversations.push_back(std::make_unique<TConversation>());
            aDay.Conversations.back()->ID = ++aDay.LastConversationID;
        }
        if (Chance(50)) {
            aDay.Shoppings.push_back(std::make_unique<TShopping>());
            aDay.Shoppings.back()->ID = ++aDay.LastShoppingID;
            aDay.Shoppings.back()->TotalPurchaseAmount = fRandom.bounded(100);
        }
    }

    void EditDay(TDay& aDay)
    {
        switch (fRandom.bounded(6)) {
        case 0:
            aDay.Thoughts = Chance(20) ? QString() : Text();
            break;
        case 1:
            aDay.PulseAtMorning = fRandom.bounded(50, 120);
            break;
        case 2:
            aDay.HeartArrhythmiaSymbolAppearsAtLunch = !aDay.HeartArrhythmiaSymbolAppearsAtLunch;
            break;
        case 3:
            AddTask(aDay, Text());
            break;
        case 4:
            if (!aDay.Tasks.empty())
                aDay.Tasks[fRandom.bounded(quint32(aDay.Tasks.size()))]->Notes = Text();
            break;
        default:
            if (!aDay.Tasks.empty())
                aDay.Tasks.erase(aDay.Tasks.begin() + fRandom.bounded(quint32(aDay.Tasks.size())));
        }
    }

    QRandomGenerator fRandom;
};

} // namespace

class TestDiaryMerge : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void mergeCases_data()
    {
        QTest::addColumn<int>("index");
        const std::vector<TCase> cases = Cases();
        for (size_t i = 0; i < cases.size(); ++i)
            QTest::newRow(qPrintable(cases[i].Name)) << int(i);
    }

    void mergeCases()
    {
        QFETCH(int, index);
        const TCase c = Cases()[size_t(index)];
        const auto base = BaseDiary();
        const auto ours = Edited(*base, c.Ours);
        const auto theirs = Edited(*base, c.Theirs);
        const auto expected = Edited(*base, c.Expected);

        const TMergeResult result = MergeDiaries(*base, *ours, *theirs);
        QCOMPARE(Described(result.Conflicts), c.Conflicts);
        QCOMPARE(DiaryDifference(*expected, *result.Diary), QString());

        // Whichever side is called ours, the same changes arrive: apart from conflicts, the new id
        // of theirs where both added one, and the order where both changed it, which follow ours.
        if (c.Conflicts.isEmpty()) {
            const TMergeResult swapped = MergeDiaries(*base, *theirs, *ours);
            QVERIFY(swapped.Conflicts.empty());
            if (!c.Name.startsWith(u"same new"_s) && !c.Name.contains(u"reordered by ours"_s))
                QVERIFY(DiffDiaries(*result.Diary, *swapped.Diary).empty());
        }
    }

    // A pick per conflict decides it; a second run with the same diaries finds the same conflicts.
    void picks_data()
    {
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("thoughts");
        QTest::addColumn<double>("pulse");
        QTest::addColumn<QByteArray>("picture");
        QTest::addColumn<bool>("taskKept");
        QTest::addColumn<bool>("dayKept");
        QTest::addColumn<qsizetype>("open");

        QTest::newRow("none") << int(TMergePick::None) << Both(u"o"_s, u"t"_s) << 71.0 << QByteArray("o") << true
                              << true << qsizetype(2);
        QTest::newRow("ours") << int(TMergePick::Ours) << u"o"_s << 71.0 << QByteArray("o") << true << false
                              << qsizetype(0);
        QTest::newRow("theirs") << int(TMergePick::Theirs) << u"t"_s << 72.0 << QByteArray("t") << false << true
                                << qsizetype(0);
        // Both is no answer for a number or a picture: they stay open.
        QTest::newRow("both") << int(TMergePick::Both) << Both(u"o"_s, u"t"_s) << 71.0 << QByteArray("o") << true
                              << true << qsizetype(2);
    }

    void picks()
    {
        QFETCH(int, pick);
        QFETCH(QString, thoughts);
        QFETCH(double, pulse);
        QFETCH(QByteArray, picture);
        QFETCH(bool, taskKept);
        QFETCH(bool, dayKept);
        QFETCH(qsizetype, open);

        const auto base = BaseDiary();
        const auto ours = Edited(*base, [](TDiary& d) {
            TDay& day = Page(d);
            day.Thoughts = u"o"_s;
            day.PulseAtMorning = 71;
            day.Picture = "o";
            Entry(day.Tasks, 1).Notes = u"changed"_s;
            std::erase_if(d.DB, [](const auto& aDay) { return SameDate(aDay->Date, kOtherDate); });
        });
        const auto theirs = Edited(*base, [](TDiary& d) {
            TDay& day = Page(d);
            day.Thoughts = u"t"_s;
            day.PulseAtMorning = 72;
            day.Picture = "t";
            Remove(day.Tasks, 1);
            Page(d, kOtherDate).Dinner = u"dinner"_s;
        });

        const TMergeResult first = MergeDiaries(*base, *ours, *theirs);
        QCOMPARE(Described(first.Conflicts),
                 (QStringList{u"Day PulseAtMorning number open"_s, u"Day Thoughts text both"_s,
                              u"Day Picture picture open"_s, u"Task 1 - entry both"_s, u"Day - day both"_s}));

        TMergeOptions options;
        options.Picks.assign(first.Conflicts.size(), TMergePick(pick));
        const TMergeResult second = MergeDiaries(*base, *ours, *theirs, options);
        QCOMPARE(second.Conflicts.size(), first.Conflicts.size());
        for (size_t i = 0; i < first.Conflicts.size(); ++i)
            QCOMPARE(second.Conflicts[i].Section + second.Conflicts[i].Field,
                     first.Conflicts[i].Section + first.Conflicts[i].Field);
        QCOMPARE(second.Open(), open);

        TDiary& merged = *second.Diary;
        QCOMPARE(Page(merged).Thoughts, thoughts);
        QCOMPARE(Page(merged).PulseAtMorning, pulse);
        QCOMPARE(Page(merged).Picture, picture);
        QCOMPARE(Page(merged).Tasks.size(), taskKept ? size_t(2) : size_t(1));
        if (taskKept)
            QCOMPARE(Entry(Page(merged).Tasks, 1).Notes, u"changed"_s);
        const bool hasOtherDay = std::any_of(merged.DB.begin(), merged.DB.end(),
                                             [](const auto& aDay) { return SameDate(aDay->Date, kOtherDate); });
        QCOMPARE(hasOtherDay, dayKept);
        if (dayKept)
            QCOMPARE(Page(merged, kOtherDate).Dinner, u"dinner"_s);
    }

    // The values shown to the user for each kind.
    void conflictTexts()
    {
        const auto base = BaseDiary();
        const auto ours = Edited(*base, [](TDiary& d) {
            Page(d).WeatherPressure = 1001.5;
            Page(d).Picture.clear();
            Entry(Page(d).Tasks, 1).FromTime = EncodeTime(QTime(8, 30));
            Remove(Page(d).Tasks, 2);
        });
        const auto theirs = Edited(*base, [](TDiary& d) {
            Page(d).WeatherPressure = 999;
            Page(d).Picture = "1234";
            Entry(Page(d).Tasks, 1).FromTime = EncodeTime(QTime(9, 5, 7));
            Entry(Page(d).Tasks, 2).Task = u"renamed"_s;
        });
        TMergeOptions options;
        options.DecimalSeparator = u',';
        const TMergeResult result = MergeDiaries(*base, *ours, *theirs, options);
        QStringList texts;
        for (const TMergeConflict& conflict : result.Conflicts) {
            texts << conflict.Ours + u" | "_s + conflict.Theirs;
            QCOMPARE(DateOfDateTime(conflict.Date), QDate(2026, 3, 12));
        }
        QCOMPARE(texts, (QStringList{u"1001,5 | 999"_s, u"no picture | picture of 4 bytes"_s, u"08:30:00 | 09:05:07"_s,
                                     u"(deleted) | (changed) renamed"_s}));
    }

    // Two sides agreeing need no base at all; one side unchanged hands over the other whole.
    void propertiesOverGeneratedDiaries()
    {
        for (quint32 seed = 1; seed <= 60; ++seed) {
            TDiaryGenerator generator(seed);
            const int days = 20;
            const auto base = generator.Diary(days);
            const auto x = generator.Edit(*base, days);
            const auto y = generator.Edit(*base, days);
            const QByteArray context = "seed " + QByteArray::number(seed);

            const TMergeResult ours = MergeDiaries(*base, *x, *base);
            QVERIFY2(ours.Conflicts.empty(), context.constData());
            QVERIFY2(DiaryDifference(*x, *ours.Diary).isEmpty(), qPrintable(DiaryDifference(*x, *ours.Diary)));

            const TMergeResult theirs = MergeDiaries(*base, *base, *y);
            QVERIFY2(theirs.Conflicts.empty(), context.constData());
            QVERIFY2(DiaryDifference(*y, *theirs.Diary).isEmpty(), qPrintable(DiaryDifference(*y, *theirs.Diary)));

            const TMergeResult same = MergeDiaries(*base, *x, *x);
            QVERIFY2(same.Conflicts.empty(), context.constData());
            QVERIFY2(DiaryDifference(*x, *same.Diary).isEmpty(), qPrintable(DiaryDifference(*x, *same.Diary)));

            // Both sides edited: whatever the conflicts, each side's change of a date nobody else
            // touched arrives, and the diff of the base against the merge lists no date neither
            // side changed.
            const TMergeResult both =
                MergeDiaries(*base, *x, *y, {KeepBothPicks(MergeDiaries(*base, *x, *y).Conflicts)});
            QCOMPARE(both.Open(), qsizetype(0));
            std::set<qint64> changed;
            for (const auto* side : {x.get(), y.get()})
                for (const TDayDiff& diff : DiffDiaries(*base, *side))
                    changed.insert(DatePart(diff.Date));
            for (const TDayDiff& diff : DiffDiaries(*base, *both.Diary))
                QVERIFY2(changed.count(DatePart(diff.Date)), context.constData());
            for (const auto& [side, other] : {std::pair{x.get(), y.get()}, std::pair{y.get(), x.get()}}) {
                std::set<qint64> otherChanged;
                for (const TDayDiff& diff : DiffDiaries(*base, *other))
                    otherChanged.insert(DatePart(diff.Date));
                for (const TDayDiff& diff : DiffDiaries(*base, *side)) {
                    if (otherChanged.count(DatePart(diff.Date)))
                        continue;
                    const auto sideDiffs = DiffDiaries(*side, *both.Diary);
                    QVERIFY2(std::none_of(sideDiffs.begin(), sideDiffs.end(),
                                          [&](const TDayDiff& aOther) { return SameDate(aOther.Date, diff.Date); }),
                             context.constData());
                }
            }
        }
    }

    void diff_data()
    {
        QTest::addColumn<int>("edit");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("nothing") << 0 << QStringList{};
        QTest::newRow("values and entries")
            << 1
            << QStringList{u"2026-03-12 changed: Day PulseAtMorning"_s, u"2026-03-12 changed: Day Thoughts"_s,
                           u"2026-03-12 changed: Task 1 removed"_s, u"2026-03-12 changed: Task 2 Notes"_s,
                           u"2026-03-12 changed: Task 3 added"_s};
        QTest::newRow("days added and removed, an empty page and the time of day ignored")
            << 2 << QStringList{u"2026-03-13 added"_s, u"2026-03-14 removed"_s};
        QTest::newRow("order alone") << 3 << QStringList{u"2026-03-12 changed: Tasks order"_s};
    }

    void diff()
    {
        QFETCH(int, edit);
        QFETCH(QStringList, lines);
        const auto a = BaseDiary();
        const auto b = Edited(*a, [edit](TDiary& d) {
            TDay& day = Page(d);
            if (edit == 1) {
                day.Thoughts = u"new"_s;
                day.PulseAtMorning = 1;
                Remove(day.Tasks, 1);
                Entry(day.Tasks, 2).Notes = u"n"_s;
                AddTask(day, u"third"_s);
            } else if (edit == 2) {
                Page(d, EncodeDate(QDate(2026, 3, 13))).Lunch = u"x"_s;
                Page(d, kOtherDate).Breakfast.clear();
                Page(d, EncodeDate(QDate(2026, 3, 20))).LastTaskID = 4; // no content
                day.Date += 0.5;
                day.LastConversationID = 9;
            } else if (edit == 3) {
                std::swap(day.Tasks[0], day.Tasks[1]);
            }
        });
        QStringList actual;
        for (const TDayDiff& diff : DiffDiaries(*a, *b)) {
            const QString date = TKSDateUtils::ToYearMonthDayStr(diff.Date);
            if (diff.Change == TChange::Added)
                actual << date + u" added"_s;
            else if (diff.Change == TChange::Removed)
                actual << date + u" removed"_s;
            for (const TFieldChange& field : diff.Fields)
                actual << date + u" changed: "_s + field.Section + u' ' +
                              (field.Change == TChange::Added     ? u"added"_s
                               : field.Change == TChange::Removed ? u"removed"_s
                                                                  : field.Field);
        }
        QCOMPARE(actual, lines);
    }
};

QTEST_GUILESS_MAIN(TestDiaryMerge)
#include "test_diary_merge.moc"
