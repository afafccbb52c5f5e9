#include "document/DiarySave.h"

#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"
#include "util/FileAccess.h"

TSaveResult SaveDiaryWithBackup(const TDiary& aDiary, const QString& aFileName, const TBackupOptions& aOptions,
                                const TSaveStepHook& aStepHook, const TDiaryKey* aKey)
{
    const auto step = [&aStepHook](TSaveStep aStep) {
        if (aStepHook)
            aStepHook(aStep);
    };
    const QString file = FileBehindLink(aFileName);
    TSaveResult result;
    TFingerprintHash written;
    bool writing = false;
    const auto tap = [&](QByteArrayView aBytes) {
        written.Add(aBytes);
        if (!writing) {
            writing = true;
            step(TSaveStep::Writing);
        }
    };
    // The backup first: the diary keeps its name meanwhile, and the file system frees the backup it
    // replaces while the new file is being made.
    const bool existed = FileExists(file);
    const bool backedUp = TKSFileUtils::MakeBackup(file, KestrovaMaxBackup, aOptions);
    result.AddToRecentFiles = !existed || backedUp;
    step(TSaveStep::BackedUp);
    WriteDiaryFile(aDiary, file, [&step] { step(TSaveStep::Written); }, tap, aKey);
    step(TSaveStep::Replaced);
    result.Written = {aFileName, written.Size(), written.Value()};
    return result;
}
