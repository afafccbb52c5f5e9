#include "model/FilledDayNavigation.h"

#include <algorithm>

namespace {
bool EarlierDate(const std::unique_ptr<TDay>& aA, const std::unique_ptr<TDay>& aB)
{
    return CompareDate(aA->Date, aB->Date) < 0;
}
} // namespace

void SortDaysByDate(TDiary& aDiary)
{
    TOwningList<TDay>& days = aDiary.DB;
    if (!std::is_sorted(days.begin(), days.end(), EarlierDate))
        std::stable_sort(days.begin(), days.end(), EarlierDate);
}

TDay* FindFilledDay(const TOwningList<TDay>& aDays, TDay* aShown, TFilledDayMove aMove)
{
    const auto filled = [](const std::unique_ptr<TDay>& aDay) { return IsFilledDay(*aDay); };
    const auto firstFilled = [&](auto aBegin, auto aEnd) -> TDay* {
        const auto found = std::find_if(aBegin, aEnd, filled);
        return found == aEnd ? aShown : found->get();
    };

    switch (aMove) {
    case TFilledDayMove::First:
        return firstFilled(aDays.begin(), aDays.end());
    case TFilledDayMove::Last:
        return firstFilled(aDays.rbegin(), aDays.rend());
    case TFilledDayMove::Next:
    case TFilledDayMove::Previous:
        break;
    }

    const auto shown = std::find_if(aDays.begin(), aDays.end(),
                                    [aShown](const std::unique_ptr<TDay>& aDay) { return aDay.get() == aShown; });
    if (shown == aDays.end())
        return aShown;

    if (aMove == TFilledDayMove::Next) {
        // From the last page there is nothing later to go to; the move then goes back to the
        // latest page worth reading instead of leaving the user on an empty one.
        if (shown + 1 == aDays.end())
            return firstFilled(aDays.rbegin(), aDays.rend());
        return firstFilled(shown + 1, aDays.end());
    }

    // Earlier positions hold earlier or same dates; the same-date pages (a file may hold more than
    // one page of a date) are not "before" the page shown.
    for (auto day = std::make_reverse_iterator(shown + 1); day != aDays.rend(); ++day)
        if (CompareDate((*day)->Date, aShown->Date) != 0 && IsFilledDay(**day))
            return day->get();
    return aShown;
}
