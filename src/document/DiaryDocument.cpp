#include "document/DiaryDocument.h"

#include "model/DiaryFile.h"
#include "model/FilledDayNavigation.h"
#include "util/ksDateUtils.h"

// A diary read or restored is written back in the newest layout.
static constexpr int CurrentVersion = 10;

TDiaryDocument::TDiaryDocument(TOptions aOptions, TDiaryPrefetch::TLauncher aStartThread)
    : fOptions(std::move(aOptions)), fStartRead(std::move(aStartThread))
{
}

void TDiaryDocument::ReadSettings()
{
    fFileName = TKSFileUtils::ReadLastFilenameFromRegistry(KestrovaRegistryKey, fOptions.SettingsFormat);
    TKSFileUtils::ReadRecentFilesFromRegistry(fRecentFileNames, KestrovaRegistryKey, fOptions.SettingsFormat);
}

void TDiaryDocument::WriteSettings() const
{
    if (!fFileName.isEmpty())
        TKSFileUtils::WriteLastFilenameAndRecentFilesIntoRegistry(fFileName, fRecentFileNames, KestrovaRegistryKey,
                                                                  fOptions.SettingsFormat);
}

void TDiaryDocument::ForgetRecentFile(const QString& aFileName)
{
    TKSFileUtils::RemoveRecentFile(fRecentFileNames, aFileName);
}

void TDiaryDocument::PutRecentFileFirst(const QString& aFileName)
{
    TKSFileUtils::SaveRecentFile(fRecentFileNames, aFileName);
}

void TDiaryDocument::New()
{
    fFileName.clear();
    fFingerprint = {};
    fDiary = std::make_unique<TDiary>();
}

bool TDiaryDocument::Read()
{
    std::unique_ptr<TDiary> diary;
    TFileFingerprint fingerprint;
    try {
        diary = fStartRead.Take(fFileName, &fingerprint);
        if (!diary)
            diary = ReadDiaryFileWithFingerprint(fFileName, fingerprint);
    } catch (const std::exception&) {
        return false;
    }
    fDiary = std::move(diary);
    fDiary->Version = CurrentVersion;
    fFingerprint = fingerprint;
    PutRecentFileFirst(fFileName);
    return true;
}

void TDiaryDocument::Restore(std::unique_ptr<TDiary> aDiary, const QString& aFileName, const TFileFingerprint& aBase)
{
    fDiary = std::move(aDiary);
    fDiary->Version = CurrentVersion;
    fFileName = aFileName;
    // The changes were made on the file as the copy's window knew it: a save asks before it
    // replaces a file changed since, as it would have asked that window.
    if (aBase.IsKnown())
        fFingerprint = aBase;
}

void TDiaryDocument::Save(const TDay& aKeep)
{
    // Empty pages are dropped from the diary itself, not only from the file.
    TOwningList<TDay>& days = fDiary->DB;
    for (qsizetype i = qsizetype(days.size()) - 1; i >= 0; --i) {
        const TDay& day = *days[size_t(i)];
        if (!IsFilledDay(day) && CompareDate(day.Date, aKeep.Date) != 0)
            days.erase(days.begin() + i);
    }

    const TSaveResult saved = SaveDiaryWithBackup(*fDiary, fFileName, fOptions.Backup);
    fFingerprint = saved.Written;
    // A save that failed wrote nothing, and a name without a file is not listed.
    if (saved.AddToRecentFiles)
        PutRecentFileFirst(fFileName);
}

bool TDiaryDocument::ChangedElsewhere() const
{
    // A save under another name goes to a file this document never read; the save dialog has
    // asked about replacing that one.
    return fFingerprint.Describes(fFileName) && FileChangedSince(fFingerprint);
}

QString TDiaryDocument::KeepOtherVersion(const QDateTime& aNow) const
{
    return TKSFileUtils::KeepOtherVersion(fFileName, aNow);
}

TFileFingerprint TDiaryDocument::Base() const
{
    return fFingerprint.Describes(fFileName) ? fFingerprint : TFileFingerprint{};
}
