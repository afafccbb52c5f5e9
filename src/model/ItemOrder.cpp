#include "model/ItemOrder.h"

#include <algorithm>
#include <cmath>
#include <string_view>

namespace {
int Sign(int aValue)
{
    return (aValue > 0) - (aValue < 0);
}

int CompareTimes(TTime aA, TTime aB)
{
    const int a = SortSecond(aA);
    const int b = SortSecond(aB);
    return (a > b) - (a < b);
}

template <typename TEntry> int CompareTimesThen(const TEntry& aA, const TEntry& aB)
{
    if (const int from = CompareTimes(aA.FromTime, aB.FromTime))
        return from;
    return CompareTimes(aA.ToTime, aB.ToTime);
}

template <typename TEntry> void SortBy(TOwningList<TEntry>& aEntries, int (*aCompare)(const TEntry&, const TEntry&))
{
    // A refill after one keystroke finds the list nearly always in order already; the check is a
    // single pass, the sort would not be.
    const auto before = [aCompare](const std::unique_ptr<TEntry>& a, const std::unique_ptr<TEntry>& b) {
        return aCompare(*a, *b) < 0;
    };
    if (!std::is_sorted(aEntries.begin(), aEntries.end(), before))
        std::stable_sort(aEntries.begin(), aEntries.end(), before);
}
} // namespace

int SortSecond(TTime aTime)
{
    return TimeOfDateTime(aTime).msecsSinceStartOfDay() / 1000;
}

int CompareOrdinal(const QString& aA, const QString& aB)
{
    // char16_t compares as an unsigned code unit: a surrogate (U+D800 to U+DFFF) sorts before
    // U+E000 to U+FFFF, unlike an order by code point.
    const std::u16string_view a(reinterpret_cast<const char16_t*>(aA.utf16()), size_t(aA.size()));
    const std::u16string_view b(reinterpret_cast<const char16_t*>(aB.utf16()), size_t(aB.size()));
    return Sign(a.compare(b));
}

int CompareAmounts(double aA, double aB)
{
    const bool aIsNumber = !std::isnan(aA);
    const bool bIsNumber = !std::isnan(aB);
    if (aIsNumber != bIsNumber)
        return aIsNumber ? -1 : 1;
    if (!aIsNumber)
        return 0;
    return (aA > aB) - (aA < aB);
}

int CompareTasks(const TTask& aA, const TTask& aB)
{
    if (const int times = CompareTimesThen(aA, aB))
        return times;
    return CompareOrdinal(aA.Task, aB.Task);
}

int CompareConversations(const TConversation& aA, const TConversation& aB)
{
    if (const int times = CompareTimesThen(aA, aB))
        return times;
    return CompareOrdinal(aA.Title, aB.Title);
}

int CompareShoppings(const TShopping& aA, const TShopping& aB)
{
    if (const int times = CompareTimesThen(aA, aB))
        return times;
    if (const int shop = CompareOrdinal(aA.Shop, aB.Shop))
        return shop;
    return CompareAmounts(aA.TotalPurchaseAmount, aB.TotalPurchaseAmount);
}

void SortEntries(TOwningList<TTask>& aTasks)
{
    SortBy(aTasks, &CompareTasks);
}

void SortEntries(TOwningList<TConversation>& aConversations)
{
    SortBy(aConversations, &CompareConversations);
}

void SortEntries(TOwningList<TShopping>& aShoppings)
{
    SortBy(aShoppings, &CompareShoppings);
}
