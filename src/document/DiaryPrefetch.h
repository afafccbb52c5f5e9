#pragma once

#include "model/Records.h"

#include <QString>

#include <future>
#include <memory>

// Reads a diary file on a second thread while the caller does other work, and hands the result
// over on the caller's thread. The program starts this for the file it is about to open, so that
// reading a large diary and building the window overlap instead of adding up; nothing else of the
// program runs off the user-interface thread, and the diary is owned by one thread at a time.
class TDiaryPrefetch {
public:
    TDiaryPrefetch() = default;
    ~TDiaryPrefetch(); // waits for a read still running
    TDiaryPrefetch(const TDiaryPrefetch&) = delete;
    TDiaryPrefetch& operator=(const TDiaryPrefetch&) = delete;

    // Starts reading aFileName; an earlier read still pending is dropped.
    void Start(const QString& aFileName);

    // The diary read from aFileName, or the read's error rethrown, when a read of exactly that name
    // was started and not yet taken; nullptr otherwise, and the caller reads the file itself.
    std::unique_ptr<TDiary> Take(const QString& aFileName);

    // Drops a read that was not taken, so its diary does not stay in memory.
    void Discard();

private:
    QString fFileName;
    std::future<std::unique_ptr<TDiary>> fResult;
};
