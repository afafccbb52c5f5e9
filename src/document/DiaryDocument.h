#pragma once

#include "document/DiaryPrefetch.h"
#include "document/DiarySave.h"
#include "document/FileFingerprint.h"
#include "document/LastPageHint.h"
#include "document/ksFileUtils.h"
#include "model/DiaryCrypto.h"
#include "model/Records.h"

#include <QDateTime>
#include <QSettings>
#include <QString>

#include <memory>
#include <optional>

// The open diary and its file, without a window: the diary's records, the name it is saved under
// (empty for a new diary), the file as this program last read or wrote it, the recent-files list
// and the last file of the settings store. The window holds one and asks it to start, read, save
// and replace; what the user sees of it (title, menu, questions) stays the window's.
//
// Owns the diary. References into it (a day shown, an entry selected) belong to the caller, who
// must drop them before Replace, New, Read, Restore or TakeMerged take the diary away.
class TDiaryDocument {
public:
    struct TOptions {
        TBackupOptions Backup; // the date of the backups and the wait after each
        QSettings::Format SettingsFormat = QSettings::NativeFormat;
    };

    TDiaryDocument(TOptions aOptions, TDiaryPrefetch::TLauncher aStartThread);

    // The whole diary; one still being read is waited for.
    TDiary* Diary()
    {
        Arrive();
        return fDiary.get();
    }
    const TDiary* Diary() const
    {
        Arrive();
        return fDiary.get();
    }
    // There is a diary, whole or still being read.
    bool HasDiary() const { return fDiary != nullptr; }
    // The page of aDate, as Diary()->GetDay(aDate) gives it, but without waiting for a diary still
    // being read when the page is the one read ahead of it: the window shows that page first.
    TDay* FirstDay(TDateTime aDate);
    // The read of a diary goes on in the background (Read took only its first page so far).
    bool IsArriving() const { return fArriving; }
    // A diary whose first page was read but whose whole read failed later is no diary of that
    // file: it keeps what the window shows but loses the name, so that no save replaces the file
    // with it. This returns the file's name then, once; empty otherwise.
    QString TakeArrivalFailure();
    const QString& FileName() const { return fFileName; }
    void SetFileName(const QString& aFileName)
    {
        Arrive(); // the diary being read belongs to the file of the old name
        fFileName = aFileName;
    }
    bool HasFileName() const { return !fFileName.isEmpty(); }
    const TRecentFileNames& RecentFileNames() const { return fRecentFileNames; }
    TDiaryPrefetch& StartRead() { return fStartRead; }

    // The key of an encrypted diary (null for a plain one): every save and recovery copy of the
    // diary is encrypted under it. Shared, so a copy being written keeps the key it started with;
    // the last holder zeroes it.
    const std::shared_ptr<const TDiaryKey>& Key() const { return fKey; }
    bool IsEncrypted() const { return fKey != nullptr; }
    // From the next save on the diary is encrypted under aKey, or plain without one.
    void SetKey(std::optional<TDiaryKey> aKey);

    // The recent list and the last file from the settings store; the last file becomes the name.
    void ReadSettings();
    // The name and the recent list into the settings store, for the next start, with where the
    // file's last page begins while the file holds what this program last read or wrote; nothing
    // for a diary that was never saved.
    void WriteSettings() const;
    // Where the last file's last page begins, as the last run left it, for the read at start.
    std::optional<TLastPageHint> LastPageHint() const;
    void ForgetRecentFile(const QString& aFileName);
    void PutRecentFileFirst(const QString& aFileName);

    // The diary goes (aDiary null) or gives way to aDiary; name and fingerprint stay.
    void Replace(std::unique_ptr<TDiary> aDiary)
    {
        DropArrival();
        fDiary = std::move(aDiary);
    }
    // An empty diary without a name or a file behind it, and without a key.
    void New();
    // Reads the file named by FileName() (taking a read started ahead for it) and puts it at the
    // head of the recent list. An encrypted file is read with aKey when it is the file's key (the
    // caller unlocked it beforehand), else with the password aPrompt gives; the diary then keeps
    // the key. False when it cannot be read: the diary and the key are then unchanged.
    // EPasswordCancelled passes through when the prompt gives up.
    // With aFirstDay, and a read of the file started ahead in two stages for that date, only its
    // page of that date is waited for: the rest is read in the background and taken when anything
    // asks for the whole diary (IsArriving).
    bool Read(const TPasswordPrompt& aPrompt = {}, std::optional<TDiaryKey> aKey = {},
              std::optional<TDateTime> aFirstDay = std::nullopt);
    // Takes a diary restored from a recovery copy: its name, the version of the file its changes
    // were made on (when the copy knew it), and the key of an encrypted copy. That version's
    // diary, the base of a merge with the file, is the one just read when the file is still that
    // version, else a backup or kept version beside it with the same bytes.
    void Restore(std::unique_ptr<TDiary> aDiary, const QString& aFileName, const TFileFingerprint& aBase,
                 std::optional<TDiaryKey> aKey = {});

    // Drops the empty pages except aKeep's (the page shown stays, as the window is bound to it),
    // then saves under FileName() with today's backup. A save that replaced the previous file
    // safely puts the name at the head of the recent list; an error throws EFileError and changes
    // nothing of the document.
    void Save(const TDay& aKeep);

    // For an encrypted diary: the backups beside its file (dated, or other versions kept) that are
    // still plain diaries, made before it had its key, are encrypted under the key, each replaced
    // whole as a save replaces the diary, so that no earlier version stays readable beside it.
    // Returns those that could not be (they stay as they were).
    QStringList SealPlainBackups() const;

    // The file was changed by someone else since this document read or wrote it. False for a
    // name this document never read or wrote (a new name of a Save As).
    bool ChangedElsewhere() const;
    // Keeps the file now under the name beside it that a save would replace, and returns where.
    QString KeepOtherVersion(const QDateTime& aNow) const;
    // The file as this document last read or wrote it under its present name; unknown otherwise.
    TFileFingerprint Base() const;
    // The file as last read or written, whatever its name; only for the recovery offer, which
    // compares a copy with the file just read.
    const TFileFingerprint& Fingerprint() const
    {
        Arrive();
        return fFingerprint;
    }

    // The diary as Base() holds it: the version both this document's changes and any change made
    // elsewhere started from, which a merge with the file needs. Its texts and pictures are shared
    // with the open diary until either side changes them. Null where Base() is unknown, and for a
    // restored copy whose version is no longer beside the file.
    const TDiary* BaseDiary() const;
    // The file under FileName() as it is now, for a merge with it, and that version's fingerprint.
    // Throws EKestrovaError when it cannot be read.
    std::unique_ptr<TDiary> ReadFileNow(TFileFingerprint& aFingerprint) const;
    // Takes the result of a merge with aFile, the file as ReadFileNow read it with aFingerprint:
    // the merged diary is the open one, and that version of the file is the one this document
    // knows, so the next save asks only if the file changes once more.
    void TakeMerged(std::unique_ptr<TDiary> aMerged, std::unique_ptr<TDiary> aFile,
                    const TFileFingerprint& aFingerprint);

private:
    // Takes the whole diary of a read that is still arriving; the pages handed out meanwhile stay
    // what they are. Logically const: the diary was read already, only not yet taken.
    void Arrive() const
    {
        if (fArriving)
            const_cast<TDiaryDocument*>(this)->TakeWholeDiary();
    }
    void TakeWholeDiary();
    // The diary is replaced: a read still arriving is of no use any more.
    void DropArrival();
    // aStamp, taken with the bytes fFingerprint describes, which were in version aVersionRead.
    void KeepStampOfBase(std::optional<TFileStamp> aStamp, int aVersionRead);
    // The version aVersion describes, from the file itself or a backup or kept version beside it
    // that holds the same bytes; null when none does.
    std::unique_ptr<TDiary> ReadVersion(const TFileFingerprint& aVersion) const;
    // A plain diary file, or an encrypted one under this document's key, with the fingerprint of
    // its bytes.
    std::unique_ptr<TDiary> ReadWithFingerprint(const QString& aFileName, TFileFingerprint& aFingerprint) const;

    TOptions fOptions;
    TDiaryPrefetch fStartRead; // the diary start-up opens, read while the window is built
    std::unique_ptr<TDiary> fDiary;
    QString fFileName;
    TFileFingerprint fFingerprint;
    std::shared_ptr<const TDiary> fBaseDiary; // the diary fFingerprint describes, as read or written
    // The file's stamp when it held fBaseDiary in the current version, as read or written, with the
    // fingerprint it was taken with: one that no longer matches fFingerprint says nothing.
    struct TStampOfBase {
        TFileFingerprint Fingerprint;
        TFileStamp Stamp;
    };
    std::optional<TStampOfBase> fStampOfBase;
    TRecentFileNames fRecentFileNames;
    std::shared_ptr<const TDiaryKey> fKey;
    bool fArriving = false;   // fDiary holds the first page only; the rest is being read
    TDateTime fFirstDate = 0; // the date of that page
    QString fArrivalFailure;
};
