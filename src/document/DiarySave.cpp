#include "document/DiarySave.h"

#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"

#include <QFileInfo>

namespace {

bool FileExists(const QString& aPath)
{
    const QFileInfo info(aPath);
    return info.exists() && !info.isDir();
}

} // namespace

void SaveDiaryWithBackup(const TDiary& aDiary, const QString& aFileName, bool* aNoFileBeforeReplace)
{
    bool backupRan = false;
    try {
        WriteDiaryFile(aDiary, aFileName, [&] {
            TKSFileUtils::MakeBackup(aFileName, KestrovaMaxBackup);
            backupRan = true;
            if (aNoFileBeforeReplace)
                *aNoFileBeforeReplace = !FileExists(aFileName);
        });
    } catch (...) {
        // The write failed before the backup step, so nothing was moved: the answer is whether a
        // file lies there now.
        if (!backupRan && aNoFileBeforeReplace)
            *aNoFileBeforeReplace = !FileExists(aFileName);
        throw;
    }
}
