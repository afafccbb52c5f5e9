#pragma once

#include "model/Records.h"

#include <QString>

#include <functional>

// How many days a dated backup is kept before a save deletes it.
inline constexpr qint32 KestrovaMaxBackup = 5;

// The one way a diary is saved, shared by the window and the command-line tool: the whole diary
// is written to a temporary file beside aFileName; only when that succeeded is the previous file
// moved to today's backup (TKSFileUtils::MakeBackup) and the new one moved into its place. A
// failure throws EFileError and leaves the previous file where it was.
//
// aNoFileBeforeReplace, when given, is set to whether no file named aFileName existed once the
// backup step had run (or, when the write failed before reaching it, at the moment of the failure).
// It is set before anything is thrown, so a caller that catches the error still knows whether to
// put the name at the head of the recent-files list. A normal save moves the file away, so it is
// normally true.
//
// Through a symbolic link the file it leads to is written and backed up. Should the replace fail
// after the backup step moved the previous file away, the file is moved back to its name.
// aBackupStep replaces the backup step (MakeBackup(file, KestrovaMaxBackup)), for tests.
using TBackupStep = std::function<void(const QString& aFile)>;
void SaveDiaryWithBackup(const TDiary& aDiary, const QString& aFileName, bool* aNoFileBeforeReplace = nullptr,
                         const TBackupStep& aBackupStep = {});
