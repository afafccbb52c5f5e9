#include "model/DiaryCopy.h"
#include "model/DayFields.h"
#include "model/EntryFields.h"

#include "util/ksDateUtils.h"

#include <algorithm>
#include <cstring>

namespace {

template <typename TA, typename TB, typename TVisit> void ForEachEntryValue(TA& aA, TB& aB, TVisit&& aVisit)
{
    using TEntry = std::remove_const_t<TA>;
    ForEachEntryMember<TEntry>([&](const TEntryField&, auto aMember) { aVisit(aA.*aMember, aB.*aMember); });
}

template <typename TEntry> void CopyEntries(const TOwningList<TEntry>& aFrom, TOwningList<TEntry>& aTo);
template <typename TCompare, typename TEntry>
bool EntriesAlike(const TOwningList<TEntry>& aA, const TOwningList<TEntry>& aB);

// The visitors of ForEachDayValue, which walks every member of a day from DayFields, the item
// lists included: a member cannot be copied without being compared or the other way round.

struct TAssign {
    template <typename T> void operator()(T& aTo, const T& aFrom) const { aTo = aFrom; }
    template <typename TEntry> void operator()(TOwningList<TEntry>& aTo, const TOwningList<TEntry>& aFrom) const
    {
        CopyEntries(aFrom, aTo);
    }
};

// True while every value visited is unchanged: texts and bytes by their shared data, numbers by
// their bits (a NaN is unchanged when it stays the same NaN).
struct TUnchanged {
    bool Same = true;
    void operator()(const QString& aA, const QString& aB)
    {
        Same = Same && aA.constData() == aB.constData() && aA.size() == aB.size();
    }
    void operator()(const QByteArray& aA, const QByteArray& aB)
    {
        Same = Same && aA.constData() == aB.constData() && aA.size() == aB.size();
    }
    void operator()(const double& aA, const double& aB) { Same = Same && std::memcmp(&aA, &aB, sizeof aA) == 0; }
    template <typename TEntry> void operator()(const TOwningList<TEntry>& aA, const TOwningList<TEntry>& aB)
    {
        Same = Same && EntriesAlike<TUnchanged>(aA, aB);
    }
    template <typename T> void operator()(const T& aA, const T& aB) { Same = Same && aA == aB; }
};

// True while every value visited is equal: texts and bytes by their content, numbers by their bits,
// so a value read back from a file equals the value that was written.
struct TEqualValues {
    bool Same = true;
    void operator()(const double& aA, const double& aB) { Same = Same && std::memcmp(&aA, &aB, sizeof aA) == 0; }
    template <typename TEntry> void operator()(const TOwningList<TEntry>& aA, const TOwningList<TEntry>& aB)
    {
        Same = Same && EntriesAlike<TEqualValues>(aA, aB);
    }
    template <typename T> void operator()(const T& aA, const T& aB) { Same = Same && aA == aB; }
};

template <typename TEntry> void CopyEntries(const TOwningList<TEntry>& aFrom, TOwningList<TEntry>& aTo)
{
    aTo.clear();
    aTo.reserve(aFrom.size());
    for (const std::unique_ptr<TEntry>& entry : aFrom) {
        auto copy = std::make_unique<TEntry>();
        ForEachEntryValue(*copy, std::as_const(*entry), TAssign{});
        aTo.push_back(std::move(copy));
    }
}

// Whether two entry lists are alike entry by entry, as aCompare (TUnchanged or TEqualValues) tells.
template <typename TCompare, typename TEntry>
bool EntriesAlike(const TOwningList<TEntry>& aA, const TOwningList<TEntry>& aB)
{
    if (aA.size() != aB.size())
        return false;
    TCompare compare;
    for (size_t i = 0; i < aA.size() && compare.Same; ++i)
        ForEachEntryValue(std::as_const(*aA[i]), std::as_const(*aB[i]), compare);
    return compare.Same;
}

template <typename TCompare> bool DaysAlike(const TDay& aA, const TDay& aB)
{
    TCompare compare;
    ForEachDayValue(aA, aB, compare);
    return compare.Same;
}

bool Unchanged(const TDay& aLive, const TDay& aCopy)
{
    return DaysAlike<TUnchanged>(aLive, aCopy);
}

// Walking thousands of days that the caches have long forgotten is a chain of waits: the day,
// its entry lists, their entries. Asking for the days a few steps ahead lets the waits overlap.
inline void Prefetch(const void* aAddress)
{
#if defined(__GNUC__)
    __builtin_prefetch(aAddress);
#else
    Q_UNUSED(aAddress);
#endif
}

void PrefetchDay(const TDay& aDay)
{
    // From a little before the day: a copy's reference count sits just in front of it.
    const char* const start = reinterpret_cast<const char*>(&aDay) - 32;
    for (size_t offset = 0; offset < sizeof(TDay) + 32; offset += 64)
        Prefetch(start + offset);
}

void PrefetchEntryLists(const TDay& aDay)
{
    Prefetch(aDay.Tasks.data());
    Prefetch(aDay.Conversations.data());
    Prefetch(aDay.Shoppings.data());
}

template <typename TEntry> void PrefetchEntries(const TOwningList<TEntry>& aEntries)
{
    for (const auto& entry : aEntries)
        Prefetch(entry.get());
}

void PrefetchEntries(const TDay& aDay)
{
    PrefetchEntries(aDay.Tasks);
    PrefetchEntries(aDay.Conversations);
    PrefetchEntries(aDay.Shoppings);
}

} // namespace

namespace {
void CopyInto(TDay& aCopy, const TDay& aDay)
{
    ForEachDayValue(aCopy, aDay, TAssign{});
}

// One allocation for the day and its reference count, so that sharing it costs no extra miss.
std::shared_ptr<TDay> SharedCopy(const TDay& aDay)
{
    auto copy = std::make_shared<TDay>(aDay.Date);
    CopyInto(*copy, aDay);
    return copy;
}
} // namespace

std::unique_ptr<TDay> CopyDay(const TDay& aDay)
{
    auto copy = std::make_unique<TDay>(aDay.Date);
    CopyInto(*copy, aDay);
    return copy;
}

std::unique_ptr<TDiary> CopyDiary(const TDiary& aDiary, const TDay* aDay, TDay** aDayCopy)
{
    auto copy = std::make_unique<TDiary>();
    copy->Copyright = aDiary.Copyright;
    copy->Version = aDiary.Version;
    copy->DB.reserve(aDiary.DB.size());
    if (aDayCopy)
        *aDayCopy = nullptr;
    for (const std::unique_ptr<TDay>& day : aDiary.DB) {
        copy->DB.push_back(CopyDay(*day));
        if (day.get() == aDay && aDayCopy)
            *aDayCopy = copy->DB.back().get();
    }
    return copy;
}

std::vector<const TDay*> TDiarySnapshot::DayList() const
{
    std::vector<const TDay*> days;
    days.reserve(Days.size());
    for (const std::shared_ptr<const TDay>& day : Days)
        days.push_back(day.get());
    return days;
}

TDiarySnapshotter::TKept* TDiarySnapshotter::Candidate(size_t aIndex, size_t& aByDate, const TDay& aDay)
{
    // Mostly each day stands where it stood; a day added or removed shifts the rest, which are
    // then found by their date (the list is kept in date order). Whatever is found is only a
    // candidate: the comparison decides.
    if (aIndex < fKept.size() && fKept[aIndex].Live == &aDay)
        return &fKept[aIndex];
    while (aByDate < fKept.size() && CompareDate(fKept[aByDate].Date, aDay.Date) < 0)
        ++aByDate;
    if (aByDate < fKept.size() && CompareDate(fKept[aByDate].Date, aDay.Date) == 0)
        return &fKept[aByDate];
    return nullptr;
}

std::shared_ptr<const TDiarySnapshot> TDiarySnapshotter::Take(const TDiary& aDiary, const TDay* aPage,
                                                              const TPageEdit& aEditPage)
{
    auto snapshot = std::make_shared<TDiarySnapshot>();
    snapshot->Copyright = aDiary.Copyright;
    snapshot->Days.reserve(aDiary.DB.size());
    std::vector<TKept> kept;
    kept.reserve(aDiary.DB.size());
    size_t byDate = 0;
    const size_t count = aDiary.DB.size();
    for (size_t i = 0; i < count; ++i) {
        // Three stages, each on a day whose earlier stage was asked for a few steps before.
        if (i + 12 < count) {
            PrefetchDay(*aDiary.DB[i + 12]);
            if (i + 12 < fKept.size() && fKept[i + 12].Copy)
                PrefetchDay(*fKept[i + 12].Copy);
        }
        if (i + 6 < count) {
            PrefetchEntryLists(*aDiary.DB[i + 6]);
            if (i + 6 < fKept.size() && fKept[i + 6].Copy)
                PrefetchEntryLists(*fKept[i + 6].Copy);
        }
        if (i + 3 < count) {
            PrefetchEntries(*aDiary.DB[i + 3]);
            if (i + 3 < fKept.size() && fKept[i + 3].Copy)
                PrefetchEntries(*fKept[i + 3].Copy);
        }
        const TDay& day = *aDiary.DB[i];
        if (&day == aPage) {
            std::shared_ptr<TDay> page = SharedCopy(day);
            if (aEditPage)
                aEditPage(*page);
            snapshot->Days.push_back(std::move(page));
            kept.push_back({&day, day.Date, nullptr});
            continue;
        }
        // A copy kept is handed on, not shared again: one change of a reference count per day.
        TKept* candidate = Candidate(i, byDate, day);
        std::shared_ptr<const TDay> copy = candidate && candidate->Copy && Unchanged(day, *candidate->Copy)
                                               ? std::move(candidate->Copy)
                                               : SharedCopy(day);
        snapshot->Days.push_back(copy);
        kept.push_back({&day, day.Date, std::move(copy)});
    }
    fKept = std::move(kept);
    fDiary = &aDiary;
    return snapshot;
}

bool TDiarySnapshotter::Prepare(const TDiary& aDiary, size_t aDays)
{
    if (fDiary != &aDiary) {
        Clear();
        fDiary = &aDiary;
    }
    // Days added or removed meanwhile only make some copies useless: each is still compared before
    // it is shared.
    const size_t end = std::min(aDiary.DB.size(), fKept.size() + aDays);
    fKept.reserve(aDiary.DB.size());
    for (size_t i = fKept.size(); i < end; ++i) {
        const TDay& day = *aDiary.DB[i];
        fKept.push_back({&day, day.Date, SharedCopy(day)});
    }
    return fKept.size() >= aDiary.DB.size();
}

void TDiarySnapshotter::Clear()
{
    fKept.clear();
    fKept.shrink_to_fit();
    fDiary = nullptr;
}

bool SameDayContent(const TDay& aA, const TDay& aB)
{
    return DaysAlike<TEqualValues>(aA, aB);
}

bool SameFilledDays(const TDiary& aA, const TDiary& aB)
{
    if (aA.Copyright != aB.Copyright)
        return false;
    std::vector<const TDay*> filledA;
    std::vector<const TDay*> filledB;
    for (const auto& day : aA.DB)
        if (IsFilledDay(*day))
            filledA.push_back(day.get());
    for (const auto& day : aB.DB)
        if (IsFilledDay(*day))
            filledB.push_back(day.get());
    if (filledA.size() != filledB.size())
        return false;
    // A file written by another tool need not keep its days in order; by date they pair up.
    const auto byDate = [](const TDay* aX, const TDay* aY) { return CompareDate(aX->Date, aY->Date) < 0; };
    std::stable_sort(filledA.begin(), filledA.end(), byDate);
    std::stable_sort(filledB.begin(), filledB.end(), byDate);
    for (size_t i = 0; i < filledA.size(); ++i)
        if (!SameDayContent(*filledA[i], *filledB[i]))
            return false;
    return true;
}
