#include "util/FileAccess.h"

#include "util/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThreadPool>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

EFileError CannotOpenError(const QFile& aFile)
{
    return CannotOpenFileError(aFile.fileName(), aFile.errorString());
}

} // namespace

bool FileExists(const QString& aFileName)
{
    if (aFileName.isEmpty())
        return false;
    const QFileInfo info(aFileName);
    return info.exists() && !info.isDir();
}

QString DoesNotExistText(const QString& aFileName)
{
    return u"File "_s + aFileName + u" does not exist."_s;
}

void OpenForReading(QFile& aFile)
{
    if (!aFile.open(QIODevice::ReadOnly))
        throw CannotOpenError(aFile);
}

QByteArray ReadRest(QFile& aFile)
{
    QByteArray bytes = aFile.readAll();
    if (aFile.error() != QFileDevice::NoError)
        throw CannotOpenError(aFile);
    return bytes;
}

QByteArray ReadWholeFile(const QString& aFileName)
{
    QFile file(aFileName);
    OpenForReading(file);
    return ReadRest(file);
}

QString FileBehindLink(const QString& aFileName)
{
    const QFileInfo info(aFileName);
    if (!info.isSymLink())
        return aFileName;
    const QString target = info.canonicalFilePath();
    return target.isEmpty() ? aFileName : target;
}

bool RemoveFileFreeingLater(const QString& aFileName)
{
    if (!QFileInfo::exists(aFileName) && !QFileInfo(aFileName).isSymLink())
        return true;
#ifdef Q_OS_UNIX
    // A handle kept open past the removal holds the blocks; closing it is what frees them.
    const int fd = ::open(QFile::encodeName(aFileName).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    const bool removed = QFile::remove(aFileName);
    if (fd >= 0) {
        if (removed && QThreadPool::globalInstance()->tryStart([fd] { ::close(fd); }))
            return true;
        ::close(fd);
    }
    return removed;
#else
    return QFile::remove(aFileName);
#endif
}

bool LinkOrCopyFile(const QString& aSource, const QString& aTarget)
{
#ifdef Q_OS_UNIX
    // A second name costs nothing however large the diary is, and it holds the very bytes that were
    // saved: the save that follows puts a new file under the diary's name and leaves this one be.
    if (::link(QFile::encodeName(aSource).constData(), QFile::encodeName(aTarget).constData()) == 0)
        return true;
#endif
    // QFile::copy writes a temporary file and renames it: a backup is never seen half written.
    return QFile::copy(aSource, aTarget);
}

void StartWriteback(QFileDevice& aFile, qint64 aOffset, qint64 aLength)
{
#ifdef Q_OS_LINUX
    const int fd = aFile.handle();
    if (fd >= 0)
        ::sync_file_range(fd, aOffset, aLength, SYNC_FILE_RANGE_WRITE); // a hint: its failure changes nothing
#else
    Q_UNUSED(aFile);
    Q_UNUSED(aOffset);
    Q_UNUSED(aLength);
#endif
}

struct TProgressiveFlush::TState {
    QFileDevice& File;
    qint64 Written = 0;
    qint64 Sent = 0;    // handed to the system's writeback
    qint64 Flushed = 0; // when the last flush was asked for
#ifdef Q_OS_LINUX
    int Handle = -1; // the flusher's own handle: the file's may be closed under it
    bool Failed = false;
    std::mutex Lock;
    std::condition_variable Wake;
    bool Wanted = false;
    bool Ending = false;
    std::thread Flusher;

    // A small file is done before any flush would be worth a thread: it is started with the first.
    bool Start()
    {
        if (Flusher.joinable())
            return true;
        if (Failed)
            return false;
        const int fd = File.handle();
        Handle = fd >= 0 ? ::fcntl(fd, F_DUPFD_CLOEXEC, 0) : -1;
        Failed = Handle < 0;
        if (Failed)
            return false; // nothing flushed ahead: the final flush does it all
        Flusher = std::thread([this] {
            std::unique_lock lock(Lock);
            for (;;) {
                Wake.wait(lock, [this] { return Wanted || Ending; });
                if (Ending)
                    return;
                Wanted = false;
                lock.unlock();
                // A failure here is met again, and reported, by the writer's own final flush.
                ::fdatasync(Handle);
                lock.lock();
            }
        });
        return true;
    }
#endif
    explicit TState(QFileDevice& aFile) : File(aFile) {}
};

TProgressiveFlush::TProgressiveFlush(QFileDevice& aFile) : fState(std::make_unique<TState>(aFile)) {}

TProgressiveFlush::~TProgressiveFlush()
{
    End();
}

void TProgressiveFlush::Written(qint64 aBytes)
{
    // The slices: small enough that the disk is never idle long while the writer goes on, large
    // enough that the requests cost nothing beside the bytes. A flush costs the disk a fixed
    // amount each time, so those come less often.
    constexpr qint64 WritebackSlice = 1024 * 1024;
    constexpr qint64 FlushSlice = 2 * 1024 * 1024;
    TState& s = *fState;
    s.Written += aBytes;
    if (s.Written - s.Sent < WritebackSlice)
        return;
    StartWriteback(s.File, s.Sent, s.Written - s.Sent);
    s.Sent = s.Written;
#ifdef Q_OS_LINUX
    if (s.Written - s.Flushed < FlushSlice || !s.Start())
        return;
    std::lock_guard lock(s.Lock);
    // One flush at a time: one asked for meanwhile runs when the one under way is over, so the
    // disk always has the newest bytes to take.
    s.Wanted = true;
    s.Flushed = s.Written;
    s.Wake.notify_one();
#endif
}

void TProgressiveFlush::End()
{
#ifdef Q_OS_LINUX
    TState& s = *fState;
    if (s.Flusher.joinable()) {
        {
            std::lock_guard lock(s.Lock);
            s.Ending = true;
        }
        s.Wake.notify_one();
        s.Flusher.join();
    }
    if (s.Handle >= 0) {
        ::close(s.Handle);
        s.Handle = -1;
    }
    s.Failed = true; // no flush after the end
#endif
}

bool SyncFolderOf(const QString& aFileName)
{
#ifdef Q_OS_UNIX
    const QByteArray folder = QFile::encodeName(QFileInfo(aFileName).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int result;
    do
        result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    // Some file systems (and some network shares) cannot flush a folder at all; that is no failure
    // of the save, only a promise the file system does not make.
    const int error = errno;
    const bool synced = result == 0 || error == EINVAL || error == ENOTSUP;
    ::close(fd);
    errno = error; // for the caller's message
    return synced;
#else
    Q_UNUSED(aFileName);
    return true;
#endif
}

#ifdef Q_OS_UNIX
namespace {
TFileStamp StampFromStat(const struct stat& aInfo)
{
    const auto ns = [](const timespec& aTime) { return qint64(aTime.tv_sec) * 1000000000 + aTime.tv_nsec; };
    return {quint64(aInfo.st_dev), quint64(aInfo.st_ino), qint64(aInfo.st_size), ns(aInfo.st_mtim),
            ns(aInfo.st_ctim)};
}
} // namespace
#endif

std::optional<TFileStamp> StampOf(const QFileDevice& aFile)
{
#ifdef Q_OS_UNIX
    struct stat info {};
    if (aFile.handle() >= 0 && ::fstat(aFile.handle(), &info) == 0 && S_ISREG(info.st_mode))
        return StampFromStat(info);
#else
    Q_UNUSED(aFile);
#endif
    return std::nullopt;
}

std::optional<TFileStamp> StampOf(const QString& aFileName)
{
#ifdef Q_OS_UNIX
    struct stat info {};
    if (!aFileName.isEmpty() && ::stat(QFile::encodeName(aFileName).constData(), &info) == 0 && S_ISREG(info.st_mode))
        return StampFromStat(info);
#else
    Q_UNUSED(aFileName);
#endif
    return std::nullopt;
}

QString TFileStamp::ToText() const
{
    return QStringLiteral("%1 %2 %3 %4 %5").arg(Device).arg(Inode).arg(Size).arg(ModifiedNs).arg(ChangedNs);
}

std::optional<TFileStamp> TFileStamp::FromText(const QString& aText)
{
    const QStringList parts = aText.split(u' ');
    if (parts.size() != 5)
        return std::nullopt;
    bool ok[5] = {};
    TFileStamp stamp{parts[0].toULongLong(&ok[0]), parts[1].toULongLong(&ok[1]), parts[2].toLongLong(&ok[2]),
                     parts[3].toLongLong(&ok[3]), parts[4].toLongLong(&ok[4])};
    if (!std::all_of(std::begin(ok), std::end(ok), [](bool aOk) { return aOk; }) || stamp.Size < 0)
        return std::nullopt;
    return stamp;
}
