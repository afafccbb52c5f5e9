#pragma once

#include "model/Records.h"

#include <memory>

// Deep copies of the records, for a copy that another thread reads while the original is edited.
// Texts and picture bytes are shared with the original until either side changes them (Qt's
// implicit sharing counts its references atomically), so a copy of a large diary costs a few
// allocations per day and no copying of characters or bytes.

std::unique_ptr<TDay> CopyDay(const TDay& aDay);

// The whole diary; when aDay is one of its days, *aDayCopy is set to that day's copy (null
// otherwise), so a caller can change the copy of the page it is editing.
std::unique_ptr<TDiary> CopyDiary(const TDiary& aDiary, const TDay* aDay = nullptr, TDay** aDayCopy = nullptr);
