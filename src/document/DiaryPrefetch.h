#pragma once

#include "document/FileFingerprint.h"
#include "model/Records.h"

#include <QString>

#include <functional>
#include <future>
#include <memory>

// Reads a diary file on a second thread while the caller does other work, and hands the result
// over on the caller's thread. The program starts this for the file it is about to open, so that
// reading a large diary and building the window overlap instead of adding up; nothing else of the
// program runs off the user-interface thread, and the diary is owned by one thread at a time.
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

    // Starts reading aFileName; an earlier read still pending is dropped. False when no thread
    // could be had: nothing is pending then, and Take leaves the reading to the caller.
    bool Start(const QString& aFileName);

    // The diary read from aFileName, or the read's error rethrown, when a read of exactly that name
    // was started and not yet taken; nullptr otherwise, and the caller reads the file itself.
    // With a diary, *aFingerprint (when given) becomes the fingerprint of the bytes read.
    std::unique_ptr<TDiary> Take(const QString& aFileName, TFileFingerprint* aFingerprint = nullptr);

    // Drops a read that was not taken, so its diary does not stay in memory.
    void Discard();

private:
    TLauncher fLauncher;
    QString fFileName; // the name of the read pending in fResult, set only once it runs
    std::future<std::unique_ptr<TDiary>> fResult;
    TFileFingerprint fFingerprint; // written by the reading thread, read after fResult is taken
};
