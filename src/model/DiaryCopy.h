#pragma once

#include "model/Records.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

// Deep copies of the records, for copies that another thread reads while the original is edited.
// Texts and picture bytes are shared with the original until either side changes them (Qt's
// implicit sharing counts its references atomically), so no characters or bytes are copied.

std::unique_ptr<TDay> CopyDay(const TDay& aDay);

// The whole diary; when aDay is one of its days, *aDayCopy is set to that day's copy (null
// otherwise).
std::unique_ptr<TDiary> CopyDiary(const TDiary& aDiary, const TDay* aDay = nullptr, TDay** aDayCopy = nullptr);

// Whether two days hold the same values, every field and every entry compared by content.
bool SameDayContent(const TDay& aA, const TDay& aB);
// Whether two diaries hold the same content: the same notice and the same days with content
// (IsFilledDay), each equal to its counterpart. Days without content count as absent, as a save
// leaves them out of the file.
bool SameFilledDays(const TDiary& aA, const TDiary& aB);

// A diary as it stood at one moment, which nobody changes any more: safe to read on any thread.
// Its days may be shared with other snapshots.
struct TDiarySnapshot {
    QString Copyright;
    std::vector<std::shared_ptr<const TDay>> Days;

    std::vector<const TDay*> DayList() const; // in order, for the writer
};

// Takes snapshots of a diary again and again, cheaply: a day that did not change since the last
// snapshot is shared with it instead of copied. A field counts as unchanged when its value is the
// same or, for texts and bytes, when it still shares its data with the last copy (changing a
// shared text gives it data of its own), so comparing costs no more than a pointer per text.
// Use on the thread that owns the diary.
class TDiarySnapshotter {
public:
    using TPageEdit = std::function<void(TDay&)>;

    // aPage (one of aDiary's days, or null) is always copied afresh and handed to aEditPage before
    // the snapshot is shared: the page being edited goes in as the controls show it, while the
    // next snapshot still compares with the record.
    std::shared_ptr<const TDiarySnapshot> Take(const TDiary& aDiary, const TDay* aPage = nullptr,
                                               const TPageEdit& aEditPage = {});
    // Copies up to aDays more days of aDiary ahead of the first snapshot, so that not even that one
    // copies the whole diary at once; true when every day has a copy. Run a little at a time.
    bool Prepare(const TDiary& aDiary, size_t aDays);
    // The diary the last snapshot was taken of (only compared, never followed).
    const TDiary* Diary() const { return fDiary; }
    // Lets go of the copies kept for the next snapshot.
    void Clear();

private:
    struct TKept {
        const TDay* Live; // only compared, never followed
        TDateTime Date;
        std::shared_ptr<const TDay> Copy; // null for the page, which is not kept
    };
    TKept* Candidate(size_t aIndex, size_t& aByDate, const TDay& aDay);
    const TDiary* fDiary = nullptr;
    std::vector<TKept> fKept; // one per day of the last snapshot, in its order
};
