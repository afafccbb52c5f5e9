#include "document/DiarySave.h"

#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"
#include "util/FileAccess.h"

#include <QFile>
#include <QFileInfo>

namespace {

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

TSaveResult SaveDiaryWithBackup(const TDiary& aDiary, const QString& aFileName, const TBackupOptions& aOptions,
                                const TBackupStep& aBackupStep)
{
    const QString file = SavedFile(aFileName);
    TSaveResult result;
    bool existed = false;
    QString backup; // set once the backup step is about to run
    TFingerprintHash written;
    try {
        const auto backupStep = [&] {
            existed = FileExists(file);
            backup = TKSFileUtils::BackupFileName(file, aOptions.Date());
            if (aBackupStep)
                aBackupStep(file);
            else
                TKSFileUtils::MakeBackup(file, KestrovaMaxBackup, aOptions);
            result.NoFileBeforeReplace = !FileExists(file);
        };
        WriteDiaryFile(aDiary, file, backupStep, [&written](QByteArrayView aBytes) { written.Add(aBytes); });
    } catch (...) {
        // Failing once the backup step has moved the previous file (in the final replace) must not
        // leave the diary's own name empty with the file only under its backup name: move it back.
        if (existed && !FileExists(file) && FileExists(backup))
            QFile::rename(backup, file);
        throw;
    }
    result.Written = {aFileName, written.Size(), written.Value()};
    return result;
}
