#include "document/RecoveryStore.h"

#include "model/DiaryFile.h"
#include "util/Errors.h"
#include "util/FileAccess.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QMutex>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QSysInfo>

#include <algorithm>
#include <cerrno>
#include <system_error>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString CopySuffix = u".Kestrova"_s; // a copy is a diary file: it can be opened by hand too
const QString RecordSuffix = u".json"_s;
const QString LockSuffix = u".lock"_s;
const QString DamagedSuffix = u".damaged"_s;
const QString NewDiaryKey = u"new"_s;
constexpr qsizetype SessionLength = 16;

QString AbsolutePath(const QString& aPath)
{
    return aPath.isEmpty() ? QString() : QDir::cleanPath(QFileInfo(aPath).absoluteFilePath());
}

// Paths may be longer than a file name may be, so the name carries a hash of the path and the
// record beside it the path itself.
QString KeyOf(const QString& aAbsolutePath)
{
    if (aAbsolutePath.isEmpty())
        return NewDiaryKey;
    const QByteArray hash = QCryptographicHash::hash(aAbsolutePath.toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(hash.toHex().left(16));
}

QString RecordOf(const QString& aCopyFile)
{
    return aCopyFile.chopped(CopySuffix.size()) + RecordSuffix;
}

bool IsSessionId(QStringView aText)
{
    return aText.size() == SessionLength &&
           std::all_of(aText.begin(), aText.end(), [](QChar c) { return c.isDigit() || (c >= u'a' && c <= u'f'); });
}

// The sessions of this process that are still running. A lock file naming this process's id but
// none of these sessions is left by an earlier run whose id the system gave to this one (in a
// container every start may get the same id), so that run is over.
QMutex LiveSessionsMutex;
QSet<QString>& LiveSessions()
{
    static QSet<QString> sessions;
    return sessions;
}

void WriteRecord(const TRecoveryCopy& aCopy)
{
    QJsonObject record;
    record.insert(u"diary"_s, aCopy.DiaryPath);
    record.insert(u"written"_s, aCopy.Written.toUTC().toString(Qt::ISODateWithMs));
    if (aCopy.Base.IsKnown()) {
        // As text: a JSON number holds no 64-bit value exactly.
        record.insert(u"baseSize"_s, QString::number(aCopy.Base.Size));
        record.insert(u"baseHash"_s, QString::number(aCopy.Base.Hash, 16));
    }
    const QString name = RecordOf(aCopy.File);
    QSaveFile file(name);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw CannotCreateFileError(name, file.errorString());
    const QByteArray bytes = QJsonDocument(record).toJson(QJsonDocument::Compact);
    if (file.write(bytes) != bytes.size() || !file.commit())
        throw CannotCreateFileError(name, file.errorString());
}

// The copy as its record describes it; without a readable record (a write that ended between the
// copy and its record, a damaged record), the file's own time and the diary the name points to.
TRecoveryCopy Describe(const QString& aCopyFile, const QString& aDiaryByName)
{
    TRecoveryCopy copy{aCopyFile, aDiaryByName, QFileInfo(aCopyFile).lastModified().toUTC(), {}};
    QFile file(RecordOf(aCopyFile));
    if (!file.open(QIODevice::ReadOnly))
        return copy;
    // A record is a line of JSON; whatever else lies under its name is not read whole.
    constexpr qint64 MaxRecordBytes = 64 * 1024;
    const QJsonObject record = QJsonDocument::fromJson(file.read(MaxRecordBytes)).object();
    const QDateTime written = QDateTime::fromString(record.value(u"written"_s).toString(), Qt::ISODateWithMs);
    if (written.isValid())
        copy.Written = written.toUTC();
    if (record.contains(u"diary"_s))
        copy.DiaryPath = record.value(u"diary"_s).toString();
    bool sizeRead = false;
    bool hashRead = false;
    const qint64 size = record.value(u"baseSize"_s).toString().toLongLong(&sizeRead);
    const quint64 hash = record.value(u"baseHash"_s).toString().toULongLong(&hashRead, 16);
    if (sizeRead && hashRead && !copy.DiaryPath.isEmpty())
        copy.Base = {copy.DiaryPath, size, hash};
    return copy;
}

QString NewSessionId()
{
    return QString::number(QRandomGenerator::system()->generate64(), 16).rightJustified(SessionLength, u'0');
}

// Renames aFile to the first free name of aFile + aSuffix, aFile + aSuffix + "-2", ...; the new name,
// or empty when the rename failed.
QString RenameAside(const QString& aFile, const QString& aSuffix)
{
    QString target = aFile + aSuffix;
    for (int n = 2; QFileInfo::exists(target) && n < 1000; ++n)
        target = aFile + aSuffix + u'-' + QString::number(n);
    return QFile::rename(aFile, target) ? target : QString();
}

// The names of the files in aFolder. Matched by hand rather than by a name filter: a filter is a
// pattern compiled anew for every listing, which costs more than the listing at start-up.
QStringList FilesIn(const QString& aFolder)
{
    return QDir(aFolder).entryList(QDir::Files);
}

} // namespace

QString TRecoveryStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u"/recovery"_s;
}

TRecoveryStore::TRecoveryStore(const QString& aFolder)
    : fFolder(QDir::cleanPath(aFolder.isEmpty() ? DefaultFolder() : QFileInfo(aFolder).absoluteFilePath()))
{
    fSession = NewSessionId();
    const QMutexLocker locker(&LiveSessionsMutex);
    LiveSessions().insert(fSession);
}

void TRecoveryStore::BeginSession() const
{
    std::call_once(fBegun, [this] {
        // The copies hold the diary's whole content: a folder of its own that only the user may enter.
        if (!QFileInfo::exists(fFolder) && QDir().mkpath(fFolder))
            QFile::setPermissions(fFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        fLock = std::make_unique<QLockFile>(fFolder + u'/' + fSession + LockSuffix);
        fLock->setStaleLockTime(0); // a live session's lock never grows stale with age
        fLock->tryLock(0);          // without it, other runs take this one's copies for left over
        // A run that died left its lock behind; asking whether it runs takes such a lock away. (The
        // copies it may have left are told by their names, not by the lock.)
        for (const QString& name : FilesIn(fFolder)) {
            if (name.endsWith(LockSuffix) && IsSessionId(QStringView(name).chopped(LockSuffix.size())))
                SessionRuns(name.chopped(LockSuffix.size()));
        }
    });
}

TRecoveryStore::~TRecoveryStore()
{
    {
        const QMutexLocker locker(&LiveSessionsMutex);
        LiveSessions().remove(fSession);
    }
    if (fLock)
        fLock->unlock();
}

QString TRecoveryStore::OwnCopyFile(const QString& aDiaryPath) const
{
    return fFolder + u'/' + KeyOf(AbsolutePath(aDiaryPath)) + u'.' + fSession + CopySuffix;
}

TRecoveryCopy TRecoveryStore::Write(const TDiarySnapshot& aDiary, const QString& aDiaryPath, const QDateTime& aTaken,
                                    const TFileFingerprint& aBase, const TDiaryKey* aKey) const
{
    return Write(aDiary.Copyright, aDiary.DayList(), aDiaryPath, aTaken, aBase, aKey);
}

TRecoveryCopy TRecoveryStore::Write(const TDiary& aDiary, const QString& aDiaryPath, const QDateTime& aTaken,
                                    const TFileFingerprint& aBase, const TDiaryKey* aKey) const
{
    std::vector<const TDay*> days;
    for (const auto& day : aDiary.DB)
        days.push_back(day.get());
    return Write(aDiary.Copyright, days, aDiaryPath, aTaken, aBase, aKey);
}

TRecoveryCopy TRecoveryStore::Write(const QString& aCopyright, const std::vector<const TDay*>& aDays,
                                    const QString& aDiaryPath, const QDateTime& aTaken,
                                    const TFileFingerprint& aBase, const TDiaryKey* aKey) const
{
    BeginSession(); // no copy of this session's exists before its lock does
    const QString diary = AbsolutePath(aDiaryPath);
    TRecoveryCopy copy{OwnCopyFile(diary), diary, aTaken.toUTC(), {}};
    if (aBase.IsKnown() && !diary.isEmpty())
        copy.Base = {diary, aBase.Size, aBase.Hash};
    QDir().mkpath(fFolder);
    // As the diary file itself: a temporary file beside, put in place only when complete.
    QSaveFile file(copy.File);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw CannotCreateFileError(copy.File, file.errorString());
    try {
        if (aKey) {
            // The plain bytes pass through memory only, a chunk at a time, into the container.
            TEncryptingDevice sealed(file, *aKey);
            WriteDiary(aCopyright, aDays, sealed);
            sealed.Finish();
        } else {
            WriteDiary(aCopyright, aDays, file);
        }
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    // QSaveFile puts the bytes on the disk before the rename; the rename itself is made lasting by
    // flushing the folder: the copy is what a power cut must not take.
    if (!file.commit())
        throw CannotCreateFileError(copy.File, file.errorString());
    if (!SyncFolderOf(copy.File))
        throw CannotCreateFileError(copy.File, qt_error_string(errno));
    WriteRecord(copy);
    return copy;
}

bool TRecoveryStore::SessionRuns(const QString& aSession) const
{
    if (aSession == fSession)
        return true;
    {
        const QMutexLocker locker(&LiveSessionsMutex);
        if (LiveSessions().contains(aSession))
            return true;
    }
    const QString lockFile = fFolder + u'/' + aSession + LockSuffix;
    QLockFile lock(lockFile);
    lock.setStaleLockTime(0);
    qint64 pid = 0;
    QString host;
    QString application;
    if (!lock.getLockInfo(&pid, &host, &application))
        return false; // no lock: the session ended, or never got one
    if (pid == QCoreApplication::applicationPid() && host == QSysInfo::machineHostName()) {
        QFile::remove(lockFile);
        return false;
    }
    // Qt takes over a lock whose process is gone; a lock it cannot take belongs to a live run.
    if (lock.tryLock(0)) {
        lock.unlock();
        return false;
    }
    return lock.error() == QLockFile::LockFailedError;
}

QList<TRecoveryCopy> TRecoveryStore::CopiesToOffer(const QString& aDiaryPath) const
{
    const QString diary = AbsolutePath(aDiaryPath);
    const QString key = KeyOf(diary);

    QList<TRecoveryCopy> copies;
    for (const QString& name : FilesIn(fFolder)) {
        if (!name.startsWith(key + u'.') || !name.endsWith(CopySuffix))
            continue;
        const QStringView session =
            QStringView(name).mid(key.size() + 1, name.size() - key.size() - 1 - CopySuffix.size());
        if (!IsSessionId(session) || SessionRuns(session.toString()))
            continue;
        const TRecoveryCopy copy = Describe(fFolder + u'/' + name, diary);
        if (copy.DiaryPath != diary) // another path with the same hash
            continue;
        copies.append(copy);
    }
    std::sort(copies.begin(), copies.end(),
              [](const TRecoveryCopy& a, const TRecoveryCopy& b) { return a.Written > b.Written; });
    return copies;
}

TRecoveryRead TRecoveryStore::Read(const TRecoveryCopy& aCopy, const TDiaryKey* aKey,
                                   const TPasswordPrompt& aPrompt) const
{
    TRecoveryRead result;
    try {
        if (!IsEncryptedDiaryFile(aCopy.File)) {
            result.Diary = ReadDiaryFile(aCopy.File);
            return result;
        }
        // A copy made under the diary's present key needs no password; one made before the
        // password changed, or of a diary not open now, asks for the password it was made with.
        if (aKey) {
            QFile file(aCopy.File);
            if (file.open(QIODevice::ReadOnly)) {
                try {
                    CheckDiaryKey(file, *aKey, aCopy.File);
                    result.Key = aKey->Copy();
                } catch (const EWrongPassword&) {
                }
            }
        }
        if (!result.Key) {
            try {
                result.Key = UnlockDiaryFile(aCopy.File, aPrompt);
            } catch (const EWrongPassword&) {
                result.Locked = true;
            } catch (const EPasswordCancelled&) {
                result.Locked = true;
            }
            if (result.Locked)
                return result; // not damaged: only closed to this run, until the password is given
        }
        result.Diary = ReadDiaryFileWithKey(aCopy.File, *result.Key);
        return result;
    } catch (const EKestrovaError& error) {
        result.Problem = error.Message();
    } catch (const std::exception& error) {
        result.Problem = QString::fromLocal8Bit(error.what());
    }
    result.Key.reset();
    result.KeptAs = RenameAside(aCopy.File, DamagedSuffix);
    if (!result.KeptAs.isEmpty() && QFileInfo::exists(RecordOf(aCopy.File)))
        RenameAside(RecordOf(aCopy.File), DamagedSuffix);
    return result;
}

TRecoveryCopy TRecoveryStore::MoveCopy(const TRecoveryCopy& aCopy, const QString& aTarget) const
{
    if (aTarget == aCopy.File)
        return aCopy;
    TRecoveryCopy moved = aCopy;
    moved.File = aTarget;
    Remove(moved.File);
    if (!QFile::rename(aCopy.File, moved.File))
        return aCopy;
    QFile::remove(RecordOf(aCopy.File));
    try {
        WriteRecord(moved);
    } catch (const EFileError&) {
        // The copy reads without its record: its name and its file time stand in.
    }
    return moved;
}

TRecoveryCopy TRecoveryStore::Adopt(const TRecoveryCopy& aCopy) const
{
    BeginSession();
    return MoveCopy(aCopy, OwnCopyFile(aCopy.DiaryPath));
}

TRecoveryCopy TRecoveryStore::Release(const TRecoveryCopy& aCopy) const
{
    // A session id of its own that no run holds a lock for.
    QString session;
    do
        session = NewSessionId();
    while (session == fSession);
    return MoveCopy(aCopy, fFolder + u'/' + KeyOf(AbsolutePath(aCopy.DiaryPath)) + u'.' + session + CopySuffix);
}

void TRecoveryStore::Remove(const QString& aCopyFile) const
{
    QFile::remove(aCopyFile);
    QFile::remove(RecordOf(aCopyFile));
}

namespace {

// The program's own text for one of its errors, the runtime's for any other.
QString ProblemText(const std::exception& aError)
{
    if (const auto* own = dynamic_cast<const EKestrovaError*>(&aError))
        return own->Message();
    return QString::fromLocal8Bit(aError.what());
}

} // namespace

TRecoveryWriter::TRecoveryWriter(TLauncher aLauncher, TFinished aFinished)
    : fLauncher(std::move(aLauncher)), fFinished(std::move(aFinished))
{
    if (!fLauncher)
        fLauncher = [](TWrite aWrite) { return std::async(std::launch::async, std::move(aWrite)); };
}

TRecoveryWriter::~TRecoveryWriter()
{
    if (fResult.valid())
        fResult.wait();
}

bool TRecoveryWriter::Start(const TRecoveryStore& aStore, std::shared_ptr<const TDiarySnapshot> aSnapshot,
                            const QString& aDiaryPath, const QDateTime& aTaken, const TFileFingerprint& aBase,
                            std::shared_ptr<const TDiaryKey> aKey)
{
    if (Running())
        return false;
    Wait(); // collects the previous result
    fFailed = false;
    fProblem.clear();
    // The write holds its own share of the key: the document may drop or change it meanwhile.
    TWrite write = [&aStore, snapshot = std::move(aSnapshot), aDiaryPath, aTaken, aBase, key = std::move(aKey),
                    finished = fFinished]() mutable {
        QString problem;
        try {
            // The snapshot is let go here, by the thread that wrote it, not when the result is taken.
            const std::shared_ptr<const TDiarySnapshot> held = std::move(snapshot);
            aStore.Write(*held, aDiaryPath, aTaken, aBase, key.get());
        } catch (const std::exception& error) {
            problem = ProblemText(error);
        }
        if (finished)
            finished(problem);
        if (!problem.isEmpty())
            throw EFileError(problem);
    };
    try {
        fResult = fLauncher(write);
    } catch (const std::system_error&) {
        // Under tight limits a process may get no second thread; the copy is then written here,
        // which only takes longer.
        try {
            write();
        } catch (const std::exception& error) {
            fFailed = true;
            fProblem = ProblemText(error);
        }
    }
    return true;
}

bool TRecoveryWriter::Running() const
{
    return fResult.valid() && fResult.wait_for(std::chrono::seconds(0)) != std::future_status::ready;
}

bool TRecoveryWriter::Wait()
{
    if (fResult.valid()) {
        try {
            fResult.get();
        } catch (const std::exception& error) {
            fFailed = true;
            fProblem = ProblemText(error);
        }
        fResult = {};
    }
    return !fFailed;
}

TRecoveryOffer DecideRecoveryOffer(const TRecoveryCopy& aCopy, const TDiary& aCopyDiary, const TDiary* aFileDiary,
                                   const TFileFingerprint& aFileFingerprint)
{
    if (aCopy.DiaryPath.isEmpty())
        return TRecoveryOffer::Offer;
    // Whatever the file's history, a copy that holds exactly what the file holds has nothing to give.
    if (aFileDiary && SameFilledDays(aCopyDiary, *aFileDiary))
        return TRecoveryOffer::NothingNew;
    // A missing file has nothing that the changes could overwrite; a copy of an older run that did
    // not say what it came from is offered as it always was.
    if (!aFileFingerprint.IsKnown() || !aCopy.Base.IsKnown())
        return TRecoveryOffer::Offer;
    const bool sameVersion = aCopy.Base.Size == aFileFingerprint.Size && aCopy.Base.Hash == aFileFingerprint.Hash;
    return sameVersion ? TRecoveryOffer::Offer : TRecoveryOffer::OfferChangedElsewhere;
}
