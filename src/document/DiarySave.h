#pragma once

#include "document/FileFingerprint.h"
#include "document/ksFileUtils.h"
#include "model/Records.h"

#include <QString>

#include <functional>

class TDiaryKey;

// How many days a dated backup is kept before a save deletes it.
inline constexpr qint32 KestrovaMaxBackup = 5;

struct TSaveResult {
    // The save took the place of no file, or made today's backup of the one it replaced: the window
    // then puts the name at the head of the recent-files list (a save whose backup failed, and
    // which so wrote over the file without keeping it, does not).
    bool AddToRecentFiles = false;
    // The file as this save wrote it (under aFileName), from the bytes written.
    TFileFingerprint Written;
};

// The moments of a save, in their order, at which tests stop it (by throwing, or by ending the
// process there) to see that the diary's name holds a complete diary at every one of them.
enum class TSaveStep {
    BackedUp, // today's backup is made beside the diary, the wait after it is over
    Writing,  // part of the new file is in the temporary file (told on the thread that writes the file;
              // a hook may end the process here, not throw)
    Written,  // the new file is complete (and on the disk) beside the diary, under a temporary name
    Replaced, // the new file has the diary's name
};
using TSaveStepHook = std::function<void(TSaveStep)>;

// The one way a diary is saved, shared by the window and the command-line tool. The diary's name
// holds a complete diary at every instant, the previous one until the new one is complete:
// 1. today's backup of the previous file is made beside it, as a second name of the same file (a
//    copy where links are impossible), and the backup dated KestrovaMaxBackup days back is deleted
//    (TKSFileUtils::MakeBackup with aOptions, which also waits);
// 2. the whole diary is written to a temporary file beside aFileName and flushed to the disk;
// 3. the new file takes aFileName's place in one atomic rename, and the folder is flushed.
// A failure throws EFileError and leaves aFileName as it was (a failure of the folder flush comes
// after the rename: the new file is then in place but may not survive a power cut).
//
// Through a symbolic link the file it leads to is written and backed up.
// With aKey the diary is saved encrypted under that key (its backup is a copy of the encrypted
// file it replaces, so nothing readable is left beside it).
TSaveResult SaveDiaryWithBackup(const TDiary& aDiary, const QString& aFileName, const TBackupOptions& aOptions = {},
                                const TSaveStepHook& aStepHook = {}, const TDiaryKey* aKey = nullptr);
