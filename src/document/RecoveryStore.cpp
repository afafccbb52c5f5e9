#include "document/RecoveryStore.h"

#include "model/DiaryFile.h"
#include "util/Errors.h"

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
    TRecoveryCopy copy{aCopyFile, aDiaryByName, QFileInfo(aCopyFile).lastModified().toUTC()};
    QFile file(RecordOf(aCopyFile));
    if (!file.open(QIODevice::ReadOnly))
        return copy;
    const QJsonObject record = QJsonDocument::fromJson(file.readAll()).object();
    const QDateTime written = QDateTime::fromString(record.value(u"written"_s).toString(), Qt::ISODateWithMs);
    if (written.isValid())
        copy.Written = written.toUTC();
    if (record.contains(u"diary"_s))
        copy.DiaryPath = record.value(u"diary"_s).toString();
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

} // namespace

QString TRecoveryStore::DefaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + u"/recovery"_s;
}

TRecoveryStore::TRecoveryStore(const QString& aFolder)
    : fFolder(QDir::cleanPath(aFolder.isEmpty() ? DefaultFolder() : QFileInfo(aFolder).absoluteFilePath()))
{
    fSession = NewSessionId();
    // The copies hold the diary's whole content: a folder of its own that only the user may enter.
    if (!QFileInfo::exists(fFolder) && QDir().mkpath(fFolder))
        QFile::setPermissions(fFolder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    fLock = std::make_unique<QLockFile>(fFolder + u'/' + fSession + LockSuffix);
    fLock->setStaleLockTime(0); // a live session's lock never grows stale with age
    fLock->tryLock(0);          // without it, other runs take this one's copies for left over
    {
        const QMutexLocker locker(&LiveSessionsMutex);
        LiveSessions().insert(fSession);
    }
    // A run that died left its lock behind; asking whether it runs takes such a lock away. (The
    // copies it may have left are told by their names, not by the lock.)
    for (const QString& name : QDir(fFolder).entryList({u"*"_s + LockSuffix}, QDir::Files)) {
        const QString session = name.chopped(LockSuffix.size());
        if (IsSessionId(session))
            SessionRuns(session);
    }
}

TRecoveryStore::~TRecoveryStore()
{
    {
        const QMutexLocker locker(&LiveSessionsMutex);
        LiveSessions().remove(fSession);
    }
    fLock->unlock();
}

QString TRecoveryStore::OwnCopyFile(const QString& aDiaryPath) const
{
    return fFolder + u'/' + KeyOf(AbsolutePath(aDiaryPath)) + u'.' + fSession + CopySuffix;
}

TRecoveryCopy TRecoveryStore::Write(const TDiarySnapshot& aDiary, const QString& aDiaryPath,
                                    const QDateTime& aTaken) const
{
    return Write(aDiary.Copyright, aDiary.DayList(), aDiaryPath, aTaken);
}

TRecoveryCopy TRecoveryStore::Write(const TDiary& aDiary, const QString& aDiaryPath, const QDateTime& aTaken) const
{
    std::vector<const TDay*> days;
    for (const auto& day : aDiary.DB)
        days.push_back(day.get());
    return Write(aDiary.Copyright, days, aDiaryPath, aTaken);
}

TRecoveryCopy TRecoveryStore::Write(const QString& aCopyright, const std::vector<const TDay*>& aDays,
                                    const QString& aDiaryPath, const QDateTime& aTaken) const
{
    const QString diary = AbsolutePath(aDiaryPath);
    const TRecoveryCopy copy{OwnCopyFile(diary), diary, aTaken.toUTC()};
    QDir().mkpath(fFolder);
    // As the diary file itself: a temporary file beside, put in place only when complete.
    QSaveFile file(copy.File);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        throw CannotCreateFileError(copy.File, file.errorString());
    try {
        WriteDiary(aCopyright, aDays, file);
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    if (!file.commit())
        throw CannotCreateFileError(copy.File, file.errorString());
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
    const QDateTime saved = diary.isEmpty() ? QDateTime() : QFileInfo(diary).lastModified().toUTC();

    QList<TRecoveryCopy> copies;
    const QStringList names = QDir(fFolder).entryList({key + u".*"_s + CopySuffix}, QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QStringView session =
            QStringView(name).mid(key.size() + 1, name.size() - key.size() - 1 - CopySuffix.size());
        if (!IsSessionId(session) || SessionRuns(session.toString()))
            continue;
        const TRecoveryCopy copy = Describe(fFolder + u'/' + name, diary);
        if (copy.DiaryPath != diary) // another path with the same hash
            continue;
        if (saved.isValid() && copy.Written <= saved)
            continue;
        copies.append(copy);
    }
    std::sort(copies.begin(), copies.end(),
              [](const TRecoveryCopy& a, const TRecoveryCopy& b) { return a.Written > b.Written; });
    return copies;
}

TRecoveryRead TRecoveryStore::Read(const TRecoveryCopy& aCopy) const
{
    TRecoveryRead result;
    try {
        result.Diary = ReadDiaryFile(aCopy.File);
        return result;
    } catch (const EKestrovaError& error) {
        result.Problem = error.Message();
    } catch (const std::exception& error) {
        result.Problem = QString::fromLocal8Bit(error.what());
    }
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

TRecoveryWriter::TRecoveryWriter(TLauncher aLauncher) : fLauncher(std::move(aLauncher))
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
                            const QString& aDiaryPath, const QDateTime& aTaken)
{
    if (Running())
        return false;
    Wait(); // collects the previous result
    fFailed = false;
    TWrite write = [&aStore, snapshot = std::move(aSnapshot), aDiaryPath, aTaken]() mutable {
        // The snapshot is let go here, by the thread that wrote it, not when the result is taken.
        const std::shared_ptr<const TDiarySnapshot> held = std::move(snapshot);
        aStore.Write(*held, aDiaryPath, aTaken);
    };
    try {
        fResult = fLauncher(write);
    } catch (const std::system_error&) {
        // Under tight limits a process may get no second thread; the copy is then written here,
        // which only takes longer.
        try {
            write();
        } catch (...) {
            fFailed = true;
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
        } catch (...) {
            fFailed = true;
        }
        fResult = {};
    }
    return !fFailed;
}
