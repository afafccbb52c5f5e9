#include "document/DiarySave.h"

#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool FileExists(const QString& aPath)
{
    const QFileInfo info(aPath);
    return info.exists() && !info.isDir();
}

// The file a save writes. Through a symbolic link it is the file the link leads to: writing
// replaces that file while the link stays, and its backup must then hold that file's previous
// contents, not the link (renaming the link would take away the user's path and leave a
// "backup" that leads to the new contents).
QString SavedFile(const QString& aFileName)
{
    const QFileInfo info(aFileName);
    if (!info.isSymLink())
        return aFileName;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? aFileName : target; // a dangling link is replaced like a missing file
}

} // namespace

void SaveDiaryWithBackup(const TDiary& aDiary, const QString& aFileName, bool* aNoFileBeforeReplace,
                         const TBackupStep& aBackupStep)
{
    const QString file = SavedFile(aFileName);
    bool backupStarted = false;
    bool existed = false;
    QString backup;
    try {
        WriteDiaryFile(aDiary, file, [&] {
            existed = FileExists(file);
            backup = TKSFileUtils::BackupFileName(file, TKSFileUtils::Today());
            backupStarted = true;
            if (aBackupStep)
                aBackupStep(file);
            else
                TKSFileUtils::MakeBackup(file, KestrovaMaxBackup);
            if (aNoFileBeforeReplace)
                *aNoFileBeforeReplace = !FileExists(file);
        });
    } catch (...) {
        // The write failed before the backup step, so nothing was moved: the answer is whether a
        // file lies there now.
        if (!backupStarted && aNoFileBeforeReplace)
            *aNoFileBeforeReplace = !FileExists(file);
        // Failing once the backup step has moved the previous file (in the final replace) must not
        // leave the diary's own name empty with the file only under its backup name: move it back.
        if (backupStarted && existed && !FileExists(file) && FileExists(backup))
            QFile::rename(backup, file);
        throw;
    }
}
