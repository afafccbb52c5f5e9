#include "document/DiaryDocument.h"

#include "model/DiaryCopy.h"
#include "model/DiaryFile.h"
#include "util/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include "model/FilledDayNavigation.h"
#include "util/Errors.h"
#include "util/ksDateUtils.h"

using namespace Qt::Literals::StringLiterals;

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
    if (fFileName.isEmpty())
        return;
    std::optional<TLastPageHint> hint;
    // Only the bytes the base diary came from, and only a plain file: an encrypted one is read whole.
    if (!fKey && !fArriving && fBaseDiary && fStampOfBase && fStampOfBase->Fingerprint == fFingerprint &&
        fFingerprint.Describes(fFileName) && StampOf(fFileName) == fStampOfBase->Stamp)
        hint = LastPageHintOf(fFileName, fStampOfBase->Stamp, *fBaseDiary);
    TKSFileUtils::WriteLastFilenameAndRecentFilesIntoRegistry(fFileName, fRecentFileNames, KestrovaRegistryKey,
                                                              fOptions.SettingsFormat,
                                                              hint ? hint->ToText() : QString());
}

std::optional<TLastPageHint> TDiaryDocument::LastPageHint() const
{
    return TLastPageHint::FromText(
        TKSFileUtils::ReadLastPageFromRegistry(KestrovaRegistryKey, fOptions.SettingsFormat));
}

void TDiaryDocument::KeepStampOfBase(std::optional<TFileStamp> aStamp, int aVersionRead)
{
    // A file of an older version holds its pages in another layout than the one measured; a file
    // of another size is not the one described.
    if (aStamp && aVersionRead == CurrentVersion && aStamp->Size == fFingerprint.Size)
        fStampOfBase = TStampOfBase{fFingerprint, *aStamp};
    else
        fStampOfBase.reset();
}

void TDiaryDocument::ForgetRecentFile(const QString& aFileName)
{
    TKSFileUtils::RemoveRecentFile(fRecentFileNames, aFileName);
}

void TDiaryDocument::PutRecentFileFirst(const QString& aFileName)
{
    TKSFileUtils::SaveRecentFile(fRecentFileNames, aFileName);
}

void TDiaryDocument::SetKey(std::optional<TDiaryKey> aKey)
{
    fKey = aKey ? std::make_shared<const TDiaryKey>(std::move(*aKey)) : nullptr;
}

void TDiaryDocument::New()
{
    DropArrival();
    fFileName.clear();
    fFingerprint = {};
    fKey.reset();
    fBaseDiary.reset();
    fDiary = std::make_unique<TDiary>();
}

bool TDiaryDocument::Read(const TPasswordPrompt& aPrompt, std::optional<TDiaryKey> aKey,
                          std::optional<TDateTime> aFirstDay)
{
    DropArrival();
    std::unique_ptr<TDiary> diary;
    TFileFingerprint fingerprint;
    std::shared_ptr<const TDiary> base;
    std::optional<TFileStamp> stamp;
    try {
        if (aFirstDay && !IsEncryptedDiaryFile(fFileName)) {
            if (std::optional<TDiaryDayRead> first = fStartRead.TakeDay(fFileName, *aFirstDay)) {
                fDiary = std::move(first->Head);
                if (first->Day)
                    fDiary->DB.push_back(std::move(first->Day));
                fDiary->Version = CurrentVersion;
                fFingerprint = {};
                fBaseDiary.reset();
                SetKey(std::nullopt);
                fArriving = true;
                fFirstDate = *aFirstDay;
                PutRecentFileFirst(fFileName);
                return true;
            }
        }
        if (IsEncryptedDiaryFile(fFileName)) {
            // The read started ahead knows no password; it has refused the file already.
            fStartRead.Discard();
            if (aKey) {
                QFile file(fFileName);
                if (!file.open(QIODevice::ReadOnly))
                    return false;
                try {
                    CheckDiaryKey(file, *aKey, fFileName);
                } catch (const EWrongPassword&) {
                    aKey.reset(); // the file was replaced since it was unlocked
                }
            }
            if (!aKey)
                aKey = UnlockDiaryFile(fFileName, aPrompt);
            TFingerprintHash hash;
            diary = ReadDiaryFileWithKey(fFileName, *aKey, [&hash](QByteArrayView aBytes) { hash.Add(aBytes); });
            fingerprint = {fFileName, hash.Size(), hash.Value()};
        } else {
            aKey.reset();
            diary = fStartRead.Take(fFileName, &fingerprint, &base, &stamp);
            if (!diary)
                diary = ReadDiaryFileWithFingerprint(fFileName, fingerprint, &stamp);
        }
    } catch (const EPasswordCancelled&) {
        throw;
    } catch (const std::exception&) {
        return false;
    }
    const int versionRead = diary->Version;
    fDiary = std::move(diary);
    fDiary->Version = CurrentVersion;
    fFingerprint = fingerprint;
    KeepStampOfBase(stamp, versionRead);
    SetKey(std::move(aKey));
    // Shares every text and picture with the diary read, so it costs the numbers alone.
    fBaseDiary = base ? std::move(base) : CopyDiary(*fDiary);
    PutRecentFileFirst(fFileName);
    return true;
}

TDay* TDiaryDocument::FirstDay(TDateTime aDate)
{
    if (fArriving && SameDate(aDate, fFirstDate))
        return fDiary->GetDay(aDate);
    return Diary()->GetDay(aDate);
}

void TDiaryDocument::TakeWholeDiary()
{
    fArriving = false;
    TFileFingerprint fingerprint;
    std::shared_ptr<const TDiary> base;
    std::unique_ptr<TDiary> whole;
    std::optional<TFileStamp> stamp;
    try {
        whole = fStartRead.Take(fFileName, &fingerprint, &base, &stamp);
    } catch (const std::exception&) {
    }
    if (!whole) {
        // Only reading itself can fail here (the first stage checked the whole file's structure,
        // or found the file as this program last read or wrote it whole): a device error, or too
        // little memory.
        fArrivalFailure = fFileName;
        fFileName.clear();
        return;
    }
    // The first page was read from the same bytes; it is the one the window holds, so it stays.
    // A page the window made (the file had none of that date) goes where GetDay would put it.
    for (std::unique_ptr<TDay>& day : fDiary->DB)
        whole->PutDay(std::move(day));
    const int versionRead = whole->Version;
    whole->Version = CurrentVersion;
    fDiary = std::move(whole);
    fFingerprint = fingerprint;
    KeepStampOfBase(stamp, versionRead);
    fBaseDiary = std::move(base);
}

QString TDiaryDocument::TakeArrivalFailure()
{
    return std::exchange(fArrivalFailure, QString());
}

void TDiaryDocument::DropArrival()
{
    if (!fArriving)
        return;
    fArriving = false;
    fStartRead.Discard();
}

void TDiaryDocument::Restore(std::unique_ptr<TDiary> aDiary, const QString& aFileName, const TFileFingerprint& aBase,
                             std::optional<TDiaryKey> aKey)
{
    DropArrival();
    fDiary = std::move(aDiary);
    fDiary->Version = CurrentVersion;
    fFileName = aFileName;
    SetKey(std::move(aKey));
    // The changes were made on the file as the copy's window knew it: a save asks before it
    // replaces a file changed since, as it would have asked that window.
    if (aBase.IsKnown()) {
        const bool readThatVersion = fBaseDiary && fFingerprint.Describes(aBase.FileName) &&
                                     fFingerprint.Size == aBase.Size && fFingerprint.Hash == aBase.Hash;
        if (!readThatVersion)
            fBaseDiary = ReadVersion(aBase);
        fFingerprint = aBase;
    }
}

void TDiaryDocument::Save(const TDay& aKeep)
{
    Arrive();
    // Empty pages are dropped from the diary itself, not only from the file.
    TOwningList<TDay>& days = fDiary->DB;
    for (qsizetype i = qsizetype(days.size()) - 1; i >= 0; --i) {
        const TDay& day = *days[size_t(i)];
        if (!IsFilledDay(day) && CompareDate(day.Date, aKeep.Date) != 0)
            days.erase(days.begin() + i);
    }

    const TSaveResult saved = SaveDiaryWithBackup(*fDiary, fFileName, fOptions.Backup, {}, fKey.get());
    fFingerprint = saved.Written;
    fBaseDiary = CopyDiary(*fDiary);
    // Taken after the save: its last step (the rename) is itself a change of the file. Should
    // another program replace the file in between, the stamp is that file's, and the page the
    // next start looks for where this diary's last page began does not check out there.
    KeepStampOfBase(saved.Written.IsKnown() ? StampOf(fFileName) : std::nullopt, CurrentVersion);
    // A save that failed wrote nothing, and a name without a file is not listed.
    if (saved.AddToRecentFiles)
        PutRecentFileFirst(fFileName);
}

QStringList TDiaryDocument::SealPlainBackups() const
{
    QStringList failed;
    if (!fKey || fFileName.isEmpty())
        return failed;
    const QFileInfo diary(FileBehindLink(fFileName));
    // "2025-03-12--name" and "2025-03-12_14-05-09[-2]--name": the names a save and a kept other
    // version give; anything else beside the diary is the user's own.
    const QRegularExpression stamp(u"^\\d{4}-\\d{2}-\\d{2}(_\\d{2}-\\d{2}-\\d{2}(-\\d+)?)?--"_s +
                                   QRegularExpression::escape(diary.fileName()) + u'$');
    const QDir folder = diary.absoluteDir();
    for (const QString& name : folder.entryList({u"*--"_s + diary.fileName()}, QDir::Files)) {
        const QString file = folder.filePath(name);
        if (!stamp.match(name).hasMatch() || IsEncryptedDiaryFile(file))
            continue;
        try {
            const std::unique_ptr<TDiary> backup = ReadDiaryFile(file);
            WriteDiaryFile(*backup, file, {}, {}, fKey.get());
        } catch (const std::exception&) {
            failed << file;
        }
    }
    return failed;
}

bool TDiaryDocument::ChangedElsewhere() const
{
    Arrive();
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
    Arrive();
    return fFingerprint.Describes(fFileName) ? fFingerprint : TFileFingerprint{};
}

const TDiary* TDiaryDocument::BaseDiary() const
{
    Arrive();
    return fFingerprint.Describes(fFileName) ? fBaseDiary.get() : nullptr;
}

std::unique_ptr<TDiary> TDiaryDocument::ReadFileNow(TFileFingerprint& aFingerprint) const
{
    return ReadWithFingerprint(fFileName, aFingerprint);
}

std::unique_ptr<TDiary> TDiaryDocument::ReadWithFingerprint(const QString& aFileName,
                                                            TFileFingerprint& aFingerprint) const
{
    if (!IsEncryptedDiaryFile(aFileName))
        return ReadDiaryFileWithFingerprint(aFileName, aFingerprint);
    // Another version of an encrypted diary (the file changed elsewhere, a backup) opens with the
    // diary's key; one under another password throws EWrongPassword.
    if (!fKey)
        throw EWrongPassword(u"The password for %1 is wrong."_s.arg(aFileName));
    TFingerprintHash hash;
    std::unique_ptr<TDiary> diary =
        ReadDiaryFileWithKey(aFileName, *fKey, [&hash](QByteArrayView aBytes) { hash.Add(aBytes); });
    aFingerprint = {aFileName, hash.Size(), hash.Value()};
    return diary;
}

void TDiaryDocument::TakeMerged(std::unique_ptr<TDiary> aMerged, std::unique_ptr<TDiary> aFile,
                                const TFileFingerprint& aFingerprint)
{
    DropArrival();
    fDiary = std::move(aMerged);
    fDiary->Version = CurrentVersion;
    fBaseDiary = std::move(aFile);
    fFingerprint = aFingerprint;
}

std::unique_ptr<TDiary> TDiaryDocument::ReadVersion(const TFileFingerprint& aVersion) const
{
    // The file itself first, then its backups and kept versions ("<date>--<name>" and
    // "<date>_<time>--<name>"), newest first: the version a copy was made on is most often the
    // one before the last save of the day.
    const QFileInfo file(aVersion.FileName);
    QStringList candidates{file.absoluteFilePath()};
    const QDir folder = file.absoluteDir();
    // Matched by hand: a name pattern would read brackets in the diary's name as a pattern.
    const QString suffix = u"--"_s + file.fileName();
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name | QDir::Reversed))
        if (name.endsWith(suffix))
            candidates << folder.absoluteFilePath(name);
    for (const QString& candidate : candidates) {
        // The size alone rules out nearly every other version without reading it.
        if (QFileInfo(candidate).size() != aVersion.Size)
            continue;
        try {
            TFileFingerprint found;
            std::unique_ptr<TDiary> diary = ReadWithFingerprint(candidate, found);
            if (found.Hash == aVersion.Hash)
                return diary;
        } catch (const std::exception&) {
            // A damaged backup is not the version looked for; the next one may be.
        }
    }
    return nullptr;
}
