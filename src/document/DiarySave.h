#pragma once

#include "document/FileFingerprint.h"
#include "document/ksFileUtils.h"
#include "model/Records.h"

#include <QString>

#include <functional>

// How many days a dated backup is kept before a save deletes it.
inline constexpr qint32 KestrovaMaxBackup = 5;

struct TSaveResult {
    // No file of the diary's name existed once the backup step had run. A normal save moves the
    // previous file away, so this is normally true, and the window then puts the name at the head
    // of the recent-files list.
    bool NoFileBeforeReplace = false;
    // The file as this save wrote it (under aFileName), from the bytes written.
    TFileFingerprint Written;
};

// The one way a diary is saved, shared by the window and the command-line tool: the whole diary
// is written to a temporary file beside aFileName; only when that succeeded is the previous file
// moved to today's backup (TKSFileUtils::MakeBackup with aOptions) and the new one moved into its
// place. A failure throws EFileError and leaves the previous file where it was: should the replace
// fail after the backup step moved it away, it is moved back to its name.
//
// Through a symbolic link the file it leads to is written and backed up.
// aBackupStep replaces the backup step (MakeBackup(file, KestrovaMaxBackup, aOptions)), for tests.
using TBackupStep = std::function<void(const QString& aFile)>;
TSaveResult SaveDiaryWithBackup(const TDiary& aDiary, const QString& aFileName, const TBackupOptions& aOptions = {},
                                const TBackupStep& aBackupStep = {});
