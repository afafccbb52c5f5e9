#pragma once

#include "model/Records.h"

// The four moves of the day row to a day that holds something (IsFilledDay).
enum class TFilledDayMove { First, Previous, Next, Last };

// Puts the diary's pages in ascending date order, the time of day ignored. The moves search by
// position, so they sort first; a list that is in order already (the usual case, since GetDay
// keeps it so) costs one walk and is left untouched. Pages of the same date keep their order.
void SortDaysByDate(TDiary& aDiary);

// The page that aMove reaches from aShown in aDays, which must be in date order:
// - First and Last: the earliest or the latest filled page;
// - Next: the first filled page after aShown; from the last position, the latest filled page of
//   the diary, which may lie before aShown;
// - Previous: the latest filled page dated before aShown's date.
// aShown is found by identity. Where no page qualifies, aShown itself: the page stays (and is
// shown again), also when no page of the diary is filled.
TDay* FindFilledDay(const TOwningList<TDay>& aDays, TDay* aShown, TFilledDayMove aMove);
