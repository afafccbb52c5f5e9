#include "model/DiaryMerge.h"

#include "model/DayFields.h"
#include "model/DiaryCopy.h"
#include "model/EntryFields.h"
#include "util/NumberFormat.h"
#include "util/ksDateUtils.h"

#include <QStringList>
#include <QTime>

#include <array>
#include <optional>

#include <algorithm>
#include <cstring>
#include <limits>
#include <map>
#include <type_traits>
#include <utility>

using namespace Qt::Literals::StringLiterals;

const QString MergeMarkerLine = u"----- changed elsewhere -----"_s;

qsizetype TMergeResult::Open() const
{
    return std::count_if(Conflicts.begin(), Conflicts.end(),
                         [](const TMergeConflict& aConflict) { return aConflict.Resolution == TMergePick::None; });
}

std::vector<TMergePick> KeepBothPicks(const std::vector<TMergeConflict>& aConflicts)
{
    std::vector<TMergePick> picks;
    picks.reserve(aConflicts.size());
    for (const TMergeConflict& conflict : aConflicts)
        picks.push_back(conflict.CanKeepBoth() ? TMergePick::Both : TMergePick::Ours);
    return picks;
}

namespace {

template <typename T> constexpr bool IsEntryList = false;
template <typename TEntry> constexpr bool IsEntryList<TOwningList<TEntry>> = true;

// The values a merge joins one by one: every content value of DayFields. The date and the counters
// follow rules of their own, and the item lists are joined entry by entry with their counters
// (ForEachEntryList), should the table ever list them too.
template <typename TVisit> void ForEachContentMember(TVisit&& aVisit)
{
    for (const TDayField& field : DayFields()) {
        if (!field.IsContent())
            continue;
        std::visit(
            [&](auto aMember) {
                using T = std::remove_reference_t<decltype(std::declval<TDay&>().*aMember)>;
                if constexpr (!IsEntryList<T>)
                    aVisit(field, aMember);
            },
            field.Member);
    }
}

// Values compare by content, floats by their bits, as SameDayContent does: a value read back from
// a file equals the one written, and a NaN is unchanged while it stays the same NaN.
template <typename T> bool SameValue(const T& aA, const T& aB)
{
    if constexpr (std::is_same_v<T, double>)
        return std::memcmp(&aA, &aB, sizeof aA) == 0;
    else
        return aA == aB;
}

template <typename TEntry> bool SameEntry(const TEntry& aA, const TEntry& aB)
{
    bool same = true;
    ForEachEntryMember<TEntry>(
        [&](const TEntryField&, auto aMember) { same = same && SameValue(aA.*aMember, aB.*aMember); });
    return same;
}

template <typename TEntry> bool SameEntries(const TOwningList<TEntry>& aA, const TOwningList<TEntry>& aB)
{
    if (aA.size() != aB.size())
        return false;
    for (size_t i = 0; i < aA.size(); ++i)
        if (!SameEntry(*aA[i], *aB[i]))
            return false;
    return true;
}

// Whether two days hold the same content: what a page shows, without the date's time of day and
// the counters, which are no change of their own.
bool SameContent(const TDay& aA, const TDay& aB)
{
    bool same = true;
    ForEachContentMember([&](const TDayField&, auto aMember) { same = same && SameValue(aA.*aMember, aB.*aMember); });
    ForEachEntryList([&](const TEntryList&, auto aList, auto) { same = same && SameEntries(aA.*aList, aB.*aList); });
    return same;
}

// What a missing page counts as: a save leaves empty pages out, so a page that is not there and an
// empty one are the same thing to a merge.
const TDay& EmptyDay()
{
    static const TDay day(0.0);
    return day;
}

const TDay& OrEmpty(const TDay* aDay)
{
    return aDay ? *aDay : EmptyDay();
}

// Entries are matched by id; should a list hold an id twice (another program's file), the n-th of
// one side is matched with the n-th of the other rather than any being lost.
struct TEntryKey {
    qint64 ID = 0;
    int Occurrence = 0;
    auto operator<=>(const TEntryKey&) const = default;
};

template <typename TEntry> std::vector<TEntryKey> EntryKeys(const TOwningList<TEntry>& aList)
{
    std::vector<TEntryKey> keys;
    keys.reserve(aList.size());
    std::map<qint64, int> seen;
    for (const auto& entry : aList)
        keys.push_back({entry->ID, seen[entry->ID]++});
    return keys;
}

template <typename TEntry> struct TKeyedEntries {
    std::vector<TEntryKey> Keys; // in list order
    std::map<TEntryKey, const TEntry*> ByKey;

    explicit TKeyedEntries(const TOwningList<TEntry>& aList) : Keys(EntryKeys(aList))
    {
        for (size_t i = 0; i < aList.size(); ++i)
            ByKey.emplace(Keys[i], aList[i].get());
    }
    const TEntry* Find(const TEntryKey& aKey) const
    {
        const auto found = ByKey.find(aKey);
        return found == ByKey.end() ? nullptr : found->second;
    }
};

// The entry's first text (task, title, shop), by which the user knows it.
template <typename TEntry> QString EntryTitle(const TEntry& aEntry)
{
    QString title;
    bool found = false;
    ForEachEntryMember<TEntry>([&](const TEntryField& aField, auto aMember) {
        if constexpr (std::is_same_v<std::remove_cvref_t<decltype(aEntry.*aMember)>, QString>) {
            if (!found && aField.Kind == TEntryFieldKind::Text) {
                title = aEntry.*aMember;
                found = true;
            }
        }
    });
    return title;
}

QString EntrySection(const TEntryList& aList, qint64 aID)
{
    return QString::fromLatin1(aList.EntryName) + u' ' + QString::number(aID);
}

// The fields of aB that differ from aA, for the diff and for telling the user what a side changed
// on a day the other side emptied.
std::vector<TFieldChange> ChangedFields(const TDay& aA, const TDay& aB)
{
    std::vector<TFieldChange> changes;
    ForEachContentMember([&](const TDayField& aField, auto aMember) {
        if (!SameValue(aA.*aMember, aB.*aMember))
            changes.push_back({u"Day"_s, QString::fromLatin1(aField.Name), TChange::Changed});
    });
    ForEachEntryList([&](const TEntryList& aList, auto aListMember, auto) {
        using TEntry = typename std::remove_reference_t<decltype(aA.*aListMember)>::value_type::element_type;
        const TKeyedEntries<TEntry> a(aA.*aListMember);
        const TKeyedEntries<TEntry> b(aB.*aListMember);
        const size_t before = changes.size();
        for (const TEntryKey& key : a.Keys)
            if (!b.Find(key))
                changes.push_back({EntrySection(aList, key.ID), QString(), TChange::Removed});
        for (const TEntryKey& key : b.Keys) {
            const TEntry* old = a.Find(key);
            const TEntry* now = b.Find(key);
            if (!old) {
                changes.push_back({EntrySection(aList, key.ID), QString(), TChange::Added});
                continue;
            }
            ForEachEntryMember<TEntry>([&](const TEntryField& aField, auto aMember) {
                if (!SameValue(old->*aMember, now->*aMember))
                    changes.push_back(
                        {EntrySection(aList, key.ID), QString::fromLatin1(aField.Name), TChange::Changed});
            });
        }
        if (changes.size() == before && !SameEntries(aA.*aListMember, aB.*aListMember))
            changes.push_back({QString::fromLatin1(aList.Name), u"order"_s, TChange::Changed});
    });
    return changes;
}

// The days of a diary by date, in date order; pages of one date (another program's file) are
// numbered in their list order so that each is matched with its namesake on the other side.
struct TDayKey {
    qint64 Date = 0;
    int Occurrence = 0;
    auto operator<=>(const TDayKey&) const = default;
};

std::vector<std::pair<TDayKey, const TDay*>> DaysByDate(const TDiary& aDiary)
{
    std::vector<std::pair<TDayKey, const TDay*>> days;
    days.reserve(aDiary.DB.size());
    for (const auto& day : aDiary.DB)
        days.push_back({{DatePart(day->Date), 0}, day.get()});
    std::stable_sort(days.begin(), days.end(),
                     [](const auto& aA, const auto& aB) { return aA.first.Date < aB.first.Date; });
    for (size_t i = 1; i < days.size(); ++i)
        if (days[i].first.Date == days[i - 1].first.Date)
            days[i].first.Occurrence = days[i - 1].first.Occurrence + 1;
    return days;
}

// Walks the days of several diaries side by side in date order: aVisit(pages) with one page (or
// null) per diary for every date any of them has.
template <size_t N, typename TVisit> void JoinDays(const std::array<const TDiary*, N>& aDiaries, TVisit&& aVisit)
{
    std::array<std::vector<std::pair<TDayKey, const TDay*>>, N> days;
    std::array<size_t, N> at{};
    for (size_t i = 0; i < N; ++i)
        days[i] = DaysByDate(*aDiaries[i]);
    for (;;) {
        std::optional<TDayKey> next;
        for (size_t i = 0; i < N; ++i)
            if (at[i] < days[i].size() && (!next || days[i][at[i]].first < *next))
                next = days[i][at[i]].first;
        if (!next)
            return;
        std::array<const TDay*, N> pages{};
        for (size_t i = 0; i < N; ++i)
            if (at[i] < days[i].size() && days[i][at[i]].first == *next)
                pages[i] = days[i][at[i]++].second;
        aVisit(pages);
    }
}

template <typename T> TMergeKind KindOf()
{
    if constexpr (std::is_same_v<T, QString>)
        return TMergeKind::Text;
    else if constexpr (std::is_same_v<T, bool>)
        return TMergeKind::Flag;
    else if constexpr (std::is_same_v<T, QByteArray>)
        return TMergeKind::Picture;
    else
        return TMergeKind::Number;
}

class TMerger {
public:
    explicit TMerger(const TMergeOptions& aOptions) : fOptions(aOptions) {}

    std::unique_ptr<TDay> MergeDay(const TDay* aBase, const TDay* aOurs, const TDay* aTheirs);

    std::vector<TMergeConflict> Conflicts;

private:
    // Records a conflict and answers how it is resolved: the caller's pick, or the kind's default.
    TMergePick Conflict(TMergeConflict aConflict)
    {
        const size_t index = Conflicts.size();
        TMergePick pick = index < fOptions.Picks.size() ? fOptions.Picks[index] : TMergePick::None;
        if (pick == TMergePick::Both && !aConflict.CanKeepBoth())
            pick = TMergePick::None;
        if (pick == TMergePick::None && aConflict.CanKeepBoth())
            pick = TMergePick::Both;
        aConflict.Resolution = pick;
        Conflicts.push_back(std::move(aConflict));
        return pick;
    }

    template <typename T> QString Display(const T& aValue, bool aTime = false) const
    {
        if constexpr (std::is_same_v<T, QString>)
            return aValue;
        else if constexpr (std::is_same_v<T, bool>)
            return aValue ? u"yes"_s : u"no"_s;
        else if constexpr (std::is_same_v<T, QByteArray>)
            return aValue.isEmpty() ? u"no picture"_s : u"picture of %1 bytes"_s.arg(aValue.size());
        else if constexpr (std::is_same_v<T, double>)
            return aTime ? TimeOfDateTime(aValue).toString(u"HH:mm:ss"_s)
                         : FloatToStr(aValue, fOptions.DecimalSeparator);
        else
            return QString::number(aValue);
    }

    // The three-way rule for one value; aOut holds ours on entry.
    template <typename T>
    void MergeValue(const T& aBase, const T& aOurs, const T& aTheirs, T& aOut, const QString& aSection,
                    const char* aField, bool aTime = false, TMergeKind aKind = KindOf<T>())
    {
        if (SameValue(aOurs, aTheirs) || SameValue(aBase, aTheirs))
            return;
        if (SameValue(aBase, aOurs)) {
            aOut = aTheirs;
            return;
        }
        const TMergePick pick = Conflict({fDate, aSection, QString::fromLatin1(aField), aKind,
                                          Display(aOurs, aTime), Display(aTheirs, aTime)});
        if (pick == TMergePick::Theirs) {
            aOut = aTheirs;
        } else if (pick == TMergePick::Both) {
            if constexpr (std::is_same_v<T, QString>) {
                // The line breaks the texts already use, so that the marker stands on a line of its own.
                const QString lineBreak =
                    aOurs.contains(u"\r\n"_s) || aTheirs.contains(u"\r\n"_s) ? u"\r\n"_s : u"\n"_s;
                aOut = aOurs + lineBreak + MergeMarkerLine + lineBreak + aTheirs;
            }
        }
    }

    template <typename TEntry>
    void MergeEntries(const TEntryList& aList, const TOwningList<TEntry>& aBase, const TOwningList<TEntry>& aOurs,
                      const TOwningList<TEntry>& aTheirs, TOwningList<TEntry>& aOut, qint64& aCounter);

    const TMergeOptions& fOptions;
    TDateTime fDate = 0.0; // of the day being merged
};

template <typename TEntry> std::unique_ptr<TEntry> CopyEntry(const TEntry& aEntry)
{
    auto copy = std::make_unique<TEntry>();
    ForEachEntryMember<TEntry>([&](const TEntryField&, auto aMember) { (*copy).*aMember = aEntry.*aMember; });
    return copy;
}

template <typename TEntry>
void TMerger::MergeEntries(const TEntryList& aList, const TOwningList<TEntry>& aBase, const TOwningList<TEntry>& aOurs,
                           const TOwningList<TEntry>& aTheirs, TOwningList<TEntry>& aOut, qint64& aCounter)
{
    const TKeyedEntries<TEntry> base(aBase), ours(aOurs), theirs(aTheirs);

    struct TSlot {
        TEntryKey Key;
        std::unique_ptr<TEntry> Entry;
        bool NewID = false; // theirs, added under an id that ours added too
    };
    // The merged entries of one id: none, one, or ours and theirs when both added it.
    const auto decide = [&](const TEntryKey& aKey) {
        std::vector<TSlot> slots;
        const TEntry* b = base.Find(aKey);
        const TEntry* o = ours.Find(aKey);
        const TEntry* t = theirs.Find(aKey);
        const QString section = EntrySection(aList, aKey.ID);
        const auto keep = [&](const TEntry* aEntry, bool aNewID = false) {
            slots.push_back({aKey, CopyEntry(*aEntry), aNewID});
        };
        if (o && t) {
            if (SameEntry(*o, *t) || (b && SameEntry(*b, *t))) {
                keep(o);
            } else if (b && SameEntry(*b, *o)) {
                keep(t);
            } else if (b) {
                keep(o);
                TEntry& merged = *slots.back().Entry;
                ForEachEntryMember<TEntry>([&](const TEntryField& aField, auto aMember) {
                    if (aField.Kind != TEntryFieldKind::ID)
                        MergeValue(b->*aMember, o->*aMember, t->*aMember, merged.*aMember, section, aField.Name,
                                   aField.Kind == TEntryFieldKind::Time);
                });
            } else {
                keep(o);
                keep(t, true);
            }
        } else if (o || t) {
            const TEntry* kept = o ? o : t;
            if (!b) {
                keep(kept); // added on one side
            } else if (!SameEntry(*b, *kept)) {
                // Deleted on one side, changed on the other: both keeps it, as nothing is lost then.
                const QString changed = u"(changed) "_s + EntryTitle(*kept);
                const TMergePick pick = Conflict({fDate, section, QString(), TMergeKind::Entry,
                                                  o ? changed : u"(deleted)"_s, o ? u"(deleted)"_s : changed});
                if (pick == TMergePick::Both || pick == (o ? TMergePick::Ours : TMergePick::Theirs))
                    keep(kept);
            } // else deleted on one side and unchanged on the other
        }     // else deleted on both sides

        return slots;
    };

    // The order of the side that changed it (ours when both did); the other side's new entries go
    // after the entry they follow there.
    const bool oursOrder = ours.Keys != base.Keys;
    const TKeyedEntries<TEntry>& first = oursOrder ? ours : theirs;
    const TKeyedEntries<TEntry>& second = oursOrder ? theirs : ours;
    std::vector<TSlot> merged;
    std::map<TEntryKey, bool> done;
    for (const TEntryKey& key : first.Keys) {
        for (TSlot& slot : decide(key))
            merged.push_back(std::move(slot));
        done[key] = true;
    }
    size_t cursor = 0;
    for (const TEntryKey& key : second.Keys) {
        if (done[key]) {
            for (size_t i = 0; i < merged.size(); ++i)
                if (merged[i].Key == key)
                    cursor = i + 1;
            continue;
        }
        done[key] = true;
        for (TSlot& slot : decide(key))
            merged.insert(merged.begin() + qsizetype(cursor++), std::move(slot));
    }

    for (const TSlot& slot : merged)
        if (!slot.NewID)
            aCounter = std::max(aCounter, slot.Entry->ID);
    for (TSlot& slot : merged) {
        if (!slot.NewID)
            continue;
        if (aCounter < std::numeric_limits<qint64>::max()) {
            slot.Entry->ID = ++aCounter;
        } else {
            // A counter at its end (a damaged or crafted file): the smallest positive id still free.
            qint64 id = 1;
            while (std::any_of(merged.begin(), merged.end(),
                               [&](const TSlot& aOther) { return &aOther != &slot && aOther.Entry->ID == id; }))
                ++id;
            slot.Entry->ID = id;
        }
        slot.NewID = false;
    }
    aOut.clear();
    aOut.reserve(merged.size());
    for (TSlot& slot : merged)
        aOut.push_back(std::move(slot.Entry));
}

// The counters of a day taken whole from one side: the highest of the three, so an id the other
// side gave out is never given again.
void RaiseCounters(TDay& aDay, const TDay* aBase, const TDay* aOurs, const TDay* aTheirs)
{
    ForEachEntryList([&](const TEntryList&, auto, auto aCounter) {
        for (const TDay* day : {aBase, aOurs, aTheirs})
            if (day)
                aDay.*aCounter = std::max(aDay.*aCounter, day->*aCounter);
    });
}

std::unique_ptr<TDay> TakeWhole(const TDay* aSide, const TDay* aBase, const TDay* aOurs, const TDay* aTheirs)
{
    if (!aSide)
        return nullptr;
    std::unique_ptr<TDay> day = CopyDay(*aSide);
    RaiseCounters(*day, aBase, aOurs, aTheirs);
    return day;
}

std::unique_ptr<TDay> TMerger::MergeDay(const TDay* aBase, const TDay* aOurs, const TDay* aTheirs)
{
    const TDay& base = OrEmpty(aBase);
    const TDay& ours = OrEmpty(aOurs);
    const TDay& theirs = OrEmpty(aTheirs);
    // Mostly nobody touched the day, or one side only.
    if (SameContent(ours, theirs))
        return TakeWhole(aOurs ? aOurs : aTheirs, aBase, aOurs, aTheirs);
    if (SameContent(base, ours))
        return TakeWhole(aTheirs, aBase, aOurs, aTheirs);
    if (SameContent(base, theirs))
        return TakeWhole(aOurs, aBase, aOurs, aTheirs);

    fDate = (aOurs ? aOurs : aTheirs)->Date;
    const bool oursFilled = IsFilledDay(ours);
    const bool theirsFilled = IsFilledDay(theirs);
    if (!oursFilled || !theirsFilled) {
        const bool baseFilled = IsFilledDay(base);
        if (!oursFilled && (!theirsFilled || !baseFilled))
            return TakeWhole(theirsFilled ? aTheirs : aOurs, aBase, aOurs, aTheirs);
        if (!theirsFilled && !baseFilled)
            return TakeWhole(aOurs, aBase, aOurs, aTheirs);
        // Emptied on one side and changed on the other.
        const TDay& changed = oursFilled ? ours : theirs;
        QStringList fields;
        for (const TFieldChange& change : ChangedFields(base, changed))
            fields << (change.Field.isEmpty()       ? change.Section
                       : change.Section == u"Day"_s ? change.Field
                                                    : change.Section + u' ' + change.Field);
        fields.removeDuplicates();
        const QString changedText = u"(changed) "_s + fields.join(u", "_s);
        const TMergePick pick =
            Conflict({fDate, u"Day"_s, QString(), TMergeKind::Day, oursFilled ? changedText : u"(emptied)"_s,
                      oursFilled ? u"(emptied)"_s : changedText});
        const TDay* side = pick == TMergePick::Theirs ? aTheirs
                           : pick == TMergePick::Both ? (oursFilled ? aOurs : aTheirs)
                                                      : aOurs;
        return TakeWhole(side, aBase, aOurs, aTheirs);
    }

    // Changed on both sides, each still a page with content: value by value.
    std::unique_ptr<TDay> day = CopyDay(ours);
    ForEachContentMember([&](const TDayField& aField, auto aMember) {
        // A choice keeps one line: both values with a marker between them would be no choice the
        // page's list can show, and the next edit there would keep only part of it.
        const TMergeKind kind = aField.Kind == TFieldKind::WeatherChoice
                                    ? TMergeKind::Choice
                                    : KindOf<std::decay_t<decltype(ours.*aMember)>>();
        MergeValue(base.*aMember, ours.*aMember, theirs.*aMember, (*day).*aMember, u"Day"_s, aField.Name, false,
                   kind);
    });
    ForEachEntryList([&](const TEntryList& aList, auto aListMember, auto aCounter) {
        qint64 counter = std::max({base.*aCounter, ours.*aCounter, theirs.*aCounter});
        MergeEntries(aList, base.*aListMember, ours.*aListMember, theirs.*aListMember, (*day).*aListMember, counter);
        (*day).*aCounter = counter;
    });
    return day;
}

} // namespace

TMergeResult MergeDiaries(const TDiary& aBase, const TDiary& aOurs, const TDiary& aTheirs,
                          const TMergeOptions& aOptions)
{
    TMergeResult result;
    result.Diary = std::make_unique<TDiary>();
    result.Diary->Copyright = aOurs.Copyright == aBase.Copyright ? aTheirs.Copyright : aOurs.Copyright;
    result.Diary->DB.reserve(std::max(aOurs.DB.size(), aTheirs.DB.size()));
    TMerger merger(aOptions);
    JoinDays<3>({&aBase, &aOurs, &aTheirs}, [&](const std::array<const TDay*, 3>& aDays) {
        if (std::unique_ptr<TDay> day = merger.MergeDay(aDays[0], aDays[1], aDays[2]))
            result.Diary->DB.push_back(std::move(day));
    });
    result.Conflicts = std::move(merger.Conflicts);
    return result;
}

std::vector<TDayDiff> DiffDiaries(const TDiary& aA, const TDiary& aB)
{
    std::vector<TDayDiff> diffs;
    JoinDays<2>({&aA, &aB}, [&](const std::array<const TDay*, 2>& aDays) {
        const bool aFilled = aDays[0] && IsFilledDay(*aDays[0]);
        const bool bFilled = aDays[1] && IsFilledDay(*aDays[1]);
        if (!aFilled && !bFilled)
            return;
        if (!aFilled)
            diffs.push_back({aDays[1]->Date, TChange::Added, {}});
        else if (!bFilled)
            diffs.push_back({aDays[0]->Date, TChange::Removed, {}});
        else if (!SameContent(*aDays[0], *aDays[1]))
            diffs.push_back({aDays[1]->Date, TChange::Changed, ChangedFields(*aDays[0], *aDays[1])});
    });
    return diffs;
}
