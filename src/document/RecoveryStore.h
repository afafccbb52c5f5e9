#pragma once

#include "document/FileFingerprint.h"
#include "model/DiaryCopy.h"
#include "model/DiaryCrypto.h"
#include "model/Records.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>
#include <future>
#include <memory>
#include <mutex>

class QLockFile;

// One recovery copy: the whole diary as it stood in a window with unsaved changes, written in the
// diary file format, so that a crash, a power cut or a killed session loses at most the changes
// made since it was written.
struct TRecoveryCopy {
    QString File;      // the copy itself, a diary file (version 10)
    QString DiaryPath; // the diary's absolute path; empty for a diary that was never saved
    QDateTime Written; // when its content was taken from the window (UTC)
    // The version of the diary file the window's diary came from: the file as that window last read
    // or wrote it. Unknown for a diary never saved, and for copies of older runs that did not say.
    TFileFingerprint Base;
};

// A copy read back; Diary is null when the copy could not be read. Such a copy has been moved
// aside to KeptAs (empty when even that failed), so it is neither offered again nor lost. A copy
// whose password was not given is left as it is (Locked), to be offered again.
struct TRecoveryRead {
    std::unique_ptr<TDiary> Diary;
    std::optional<TDiaryKey> Key; // an encrypted copy's key, for the diary restored from it
    bool Locked = false;
    QString Problem; // the reader's text
    QString KeptAs;
};

// The recovery folder of one run of the window (a session). Each session writes its own files:
// "<key>.<session>.Kestrova" with "<key>.<session>.json" beside it (the diary's path and the time
// written), the key being a hash of the diary's absolute path, or "new" for a diary never saved.
// So one diary has one copy per session, and a copy that the user chose to keep for later (it
// belongs to an earlier session) is never overwritten by this session's writes.
//
// A session holds a lock file ("<session>.lock") from BeginSession on while its store exists.
// Copies of sessions that still run (another window on the same diary, another start of the
// program) are never offered; a session whose process died leaves a stale lock, and its copies
// are offered.
//
// Write may run on another thread while the owner thread uses the rest: Write only touches this
// session's own files, which the owner removes only after the write has ended.
class TRecoveryStore {
public:
    // The per-user data folder of the application, subfolder "recovery".
    static QString DefaultFolder();

    explicit TRecoveryStore(const QString& aFolder = {}); // empty: DefaultFolder()
    ~TRecoveryStore();                                    // ends the session; its copies stay
    TRecoveryStore(const TRecoveryStore&) = delete;
    TRecoveryStore& operator=(const TRecoveryStore&) = delete;

    // Takes the session's lock and clears the locks that ended runs left behind: once, and not in
    // the constructor, so that the window is on the screen before the lock file's flush to disk.
    // A copy written or adopted before the window calls it takes it first; copies are only ever
    // written under the lock. Safe to call from the writing thread as well.
    void BeginSession() const;

    const QString& Folder() const { return fFolder; }
    const QString& Session() const { return fSession; }

    // The file this session writes for aDiaryPath (empty: the diary never saved).
    QString OwnCopyFile(const QString& aDiaryPath) const;

    // Writes aDiary as this session's copy of aDiaryPath, taken at aTaken, through a temporary file
    // and an atomic replace: the copy is either the previous one or the new one, never half.
    // Throws EFileError.
    // aBase is the diary file's version the window's diary came from (TRecoveryCopy::Base).
    // With aKey (an encrypted diary's) the copy is encrypted under it: no plain byte reaches the disk.
    TRecoveryCopy Write(const TDiarySnapshot& aDiary, const QString& aDiaryPath, const QDateTime& aTaken,
                        const TFileFingerprint& aBase = {}, const TDiaryKey* aKey = nullptr) const;
    TRecoveryCopy Write(const TDiary& aDiary, const QString& aDiaryPath, const QDateTime& aTaken,
                        const TFileFingerprint& aBase = {}, const TDiaryKey* aKey = nullptr) const;

    // The copies left by sessions that no longer run, newest first: of the diary at aDiaryPath, or
    // for an empty path of diaries never saved. Which of them hold anything new is for
    // DecideRecoveryOffer to tell, by their content: the file's modification time tells nothing.
    QList<TRecoveryCopy> CopiesToOffer(const QString& aDiaryPath) const;

    // Reads a copy whole, or moves it aside as "<file>.damaged" when it cannot be read. An encrypted
    // copy is read with aKey when it is the copy's key (the diary's own, the password unchanged
    // since), else with the password aPrompt gives; a password not given (or a wrong one that
    // aPrompt gives up on) leaves it Locked and where it is.
    TRecoveryRead Read(const TRecoveryCopy& aCopy, const TDiaryKey* aKey = nullptr,
                       const TPasswordPrompt& aPrompt = {}) const;

    // The copy becomes this session's own copy of its diary, so that the window that restored it
    // goes on writing into it. Returns the copy under its new name (the old one if the move failed).
    TRecoveryCopy Adopt(const TRecoveryCopy& aCopy) const;

    // The copy leaves this session: it is moved under the name of a session that does not run, so
    // this session's later writes cannot touch it, and it is offered as a copy of an ended run is.
    // Returns the copy under its new name (the old one if the move failed).
    TRecoveryCopy Release(const TRecoveryCopy& aCopy) const;

    // Removes a copy and its record.
    void Remove(const QString& aCopyFile) const;

private:
    bool SessionRuns(const QString& aSession) const;
    TRecoveryCopy MoveCopy(const TRecoveryCopy& aCopy, const QString& aTarget) const;
    TRecoveryCopy Write(const QString& aCopyright, const std::vector<const TDay*>& aDays, const QString& aDiaryPath,
                        const QDateTime& aTaken, const TFileFingerprint& aBase, const TDiaryKey* aKey) const;
    QString fFolder;
    QString fSession;
    mutable std::once_flag fBegun;
    mutable std::unique_ptr<QLockFile> fLock;
};

// Writes recovery copies on a thread of their own, from a snapshot nobody changes any more, so the
// window never waits for the disk. One write at a time.
class TRecoveryWriter {
public:
    using TWrite = std::function<void()>;
    // Runs a write on a thread of its own; throws std::system_error when no thread can be had.
    // The default is std::async; tests give one of their own.
    using TLauncher = std::function<std::future<void>(TWrite)>;

    // Told on the writing thread when a write has ended: an empty text when it succeeded, else why
    // it failed. The window passes it on to its own thread.
    using TFinished = std::function<void(const QString& aProblem)>;

    explicit TRecoveryWriter(TLauncher aLauncher = {}, TFinished aFinished = {});
    ~TRecoveryWriter(); // waits for a write still running
    TRecoveryWriter(const TRecoveryWriter&) = delete;
    TRecoveryWriter& operator=(const TRecoveryWriter&) = delete;

    // Starts writing aSnapshot through aStore (which must outlive the write), encrypted under aKey
    // when given. False, and nothing started, while the previous write still runs. Without a
    // thread the write runs here.
    bool Start(const TRecoveryStore& aStore, std::shared_ptr<const TDiarySnapshot> aSnapshot, const QString& aDiaryPath,
               const QDateTime& aTaken, const TFileFingerprint& aBase = {},
               std::shared_ptr<const TDiaryKey> aKey = {});
    bool Running() const;
    // Waits for the write started last, if it still runs; true when it succeeded (or none was started).
    bool Wait();
    // Why the write started last failed, once Wait has returned false.
    const QString& Problem() const { return fProblem; }

private:
    TLauncher fLauncher;
    TFinished fFinished;
    std::future<void> fResult;
    bool fFailed = false;
    QString fProblem;
};

// What a recovery copy left by an ended run holds for the user, told by content.
enum class TRecoveryOffer {
    NothingNew,            // the copy's days are the file's days: nothing to offer, the copy can go
    Offer,                 // changes to the very file they were made on (or to a file now missing)
    OfferChangedElsewhere, // changes, and the file was changed elsewhere since they were made
};

// aFileDiary is the diary as its file holds it now (null when the file is missing or cannot be
// read), aFileFingerprint that file's fingerprint (unknown when it is missing). A copy of a diary
// never saved is always offered.
TRecoveryOffer DecideRecoveryOffer(const TRecoveryCopy& aCopy, const TDiary& aCopyDiary, const TDiary* aFileDiary,
                                   const TFileFingerprint& aFileFingerprint);
