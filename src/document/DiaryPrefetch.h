#pragma once

#include "document/FileFingerprint.h"
#include "document/LastPageHint.h"
#include "model/DiaryFile.h"
#include "model/Records.h"

#include <QString>

#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <optional>

// Reads a diary file on a second thread while the caller does other work, and hands the result
// over on the caller's thread. The program starts this for the file it is about to open, so that
// reading a large diary and building the window overlap instead of adding up; nothing else of the
// program runs off the user-interface thread, and the diary is owned by one thread at a time.
//
// Given the day the window shows first, the read has two stages. The first reads that one page
// (stepping over the others, or going straight to the last one where a hint says it begins) and
// hands it over at once (TakeDay), so that the window can be shown before the rest of the diary
// exists. The second reads the whole diary from the same open file,
// so both stages see the same bytes even when the file is replaced meanwhile; it waits for
// Continue (the window is on the screen) so as not to take the processor from the first paint,
// and is asked for by Take.
class TDiaryPrefetch {
public:
    using TRead = std::function<std::unique_ptr<TDiary>()>;
    // Runs a read on a thread of its own; throws std::system_error when no thread can be had.
    // The default is std::async; tests give one that fails.
    using TLauncher = std::function<std::future<std::unique_ptr<TDiary>>(TRead)>;

    explicit TDiaryPrefetch(TLauncher aLauncher = {});
    ~TDiaryPrefetch(); // waits for a read still running
    TDiaryPrefetch(const TDiaryPrefetch&) = delete;
    TDiaryPrefetch& operator=(const TDiaryPrefetch&) = delete;

    // Starts reading aFileName, with aFirstDay in two stages; an earlier read still pending is
    // dropped. False when no thread could be had: nothing is pending then, and Take leaves the
    // reading to the caller. aHint, when it is one for aFileName, lets the first stage go
    // straight to the last page.
    bool Start(const QString& aFileName, std::optional<TDateTime> aFirstDay = std::nullopt,
               std::optional<TLastPageHint> aHint = std::nullopt);

    // The first stage of a read of exactly aFileName started with aFirstDay's calendar date, waiting
    // for it: the file's version and notice, and its page of that date (null when it has none).
    // nullopt when there is no such read, and the caller takes the whole diary instead. A read
    // error is rethrown here, and then again by Take.
    std::optional<TDiaryDayRead> TakeDay(const QString& aFileName, TDateTime aFirstDay);
    // The second stage may run now.
    void Continue();
    // aWhenRead runs on the reading thread once the whole diary is read or its read failed, so
    // that the caller can post itself a reminder to Take it; not for a read already done.
    void SetWhenRead(std::function<void()> aWhenRead);

    // The diary read from aFileName, or the read's error rethrown, when a read of exactly that name
    // was started and not yet taken; nullptr otherwise, and the caller reads the file itself.
    // With a diary, *aFingerprint (when given) becomes the fingerprint of the bytes read, *aBase
    // (when given) a copy of the diary made on the reading thread, sharing its texts, and *aStamp
    // (when given) the file's stamp if nothing wrote the file while it was read.
    std::unique_ptr<TDiary> Take(const QString& aFileName, TFileFingerprint* aFingerprint = nullptr,
                                 std::shared_ptr<const TDiary>* aBase = nullptr,
                                 std::optional<TFileStamp>* aStamp = nullptr);
    // A read of aFileName was started and not yet taken.
    bool IsPending(const QString& aFileName) const { return fResult.valid() && aFileName == fFileName; }

    // Drops a read that was not taken, so its diary does not stay in memory.
    void Discard();

private:
    // What the two threads share: written by the reading thread before the result's future is
    // ready (the fingerprint, the copy) or under the mutex (the go-ahead, the reminder).
    struct TShared {
        std::mutex Mutex;
        std::condition_variable Woken;
        bool Go = false;
        bool Dropped = false;
        std::function<void()> WhenRead;
        std::promise<TDiaryDayRead> Day;
        TFileFingerprint Fingerprint;
        std::optional<TFileStamp> Stamp;
        std::shared_ptr<const TDiary> Base;
    };
    static std::unique_ptr<TDiary> ReadInStages(const QString& aFileName, std::optional<TDateTime> aFirstDay,
                                                const std::optional<TLastPageHint>& aHint, TShared& aShared);
    void Forget();

    TLauncher fLauncher;
    QString fFileName; // the name of the read pending in fResult, set only once it runs
    std::optional<TDateTime> fFirstDay;
    std::future<std::unique_ptr<TDiary>> fResult;
    std::future<TDiaryDayRead> fDay;
    std::shared_ptr<TShared> fShared;
};
