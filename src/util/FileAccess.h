#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QFile;
class QFileDevice;

// The platform's existence test: true for a file or a link to one, false for a folder and for an
// empty name.
bool FileExists(const QString& aFileName);

// The message for a chosen file that is not there: "File " + name + " does not exist."
QString DoesNotExistText(const QString& aFileName);

// The whole content of a file the user chose (a picture, a task file). A file that cannot be opened
// or read throws EFileError with the runtime's text, naming the file by its full path.
QByteArray ReadWholeFile(const QString& aFileName);

// The same for a file whose reader looks at its start, or its size, before it is worth reading
// whole: aFile is opened here (same error), then handed over positioned at its start.
void OpenForReading(QFile& aFile);
// Reads what is left of aFile, opened by OpenForReading; the same error when reading fails.
QByteArray ReadRest(QFile& aFile);

// The file a save of aFileName writes: through a symbolic link, the file it leads to, so that the
// link stays and the file's own previous content is what its backups keep; aFileName itself
// otherwise, and for a link that leads nowhere (which is then replaced like a missing file).
QString FileBehindLink(const QString& aFileName);

// Removes the file aFileName names, as QFile::remove does, but leaves the freeing of its space to
// another thread: the file system frees the blocks of a file when its last name and its last open
// handle go, which takes milliseconds for every ten megabytes, and nobody need wait for that. True
// when the name is gone (or was never there).
bool RemoveFileFreeingLater(const QString& aFileName);

// Makes aTarget a second name of aSource's file (a hard link), or, where the file system has no
// links or refuses one, a copy of it. aTarget must not exist. False when neither worked; aSource is
// never touched either way.
bool LinkOrCopyFile(const QString& aSource, const QString& aTarget);

// Asks the system to start writing aLength bytes of aFile from aOffset to the disk now, without
// waiting for them: a large file written piece by piece then reaches the disk while the next pieces
// are still being made, and the flush at its end has little left to wait for. Nothing where the
// platform has no such request.
void StartWriteback(QFileDevice& aFile, qint64 aOffset, qint64 aLength);

// Sends a file that is being written to the disk while it is still being made: the bytes handed
// on start their way at once, and every few megabytes another thread flushes what has been written
// so far. A save's final flush, which must wait for the disk, then has only the last piece left,
// and the time the disk takes is spent while the writer is still at work (making, or encrypting,
// the rest) rather than after it. Nothing here replaces that final flush: the file is complete on
// the disk only once its writer has flushed it after End.
class TProgressiveFlush {
public:
    explicit TProgressiveFlush(QFileDevice& aFile);
    // Ends as End does.
    ~TProgressiveFlush();
    TProgressiveFlush(const TProgressiveFlush&) = delete;
    TProgressiveFlush& operator=(const TProgressiveFlush&) = delete;

    // aBytes more were written to the end of the file.
    void Written(qint64 aBytes);
    // Waits for a flush under way and starts none after it; the file may then be closed.
    void End();

private:
    struct TState;
    std::unique_ptr<TState> fState;
};

// Flushes the folder holding aFileName to the disk, so that a rename or a new name in it survives a
// power cut as the file's own bytes do (POSIX asks for an fsync of the folder for that). False when
// the folder could not be flushed; where the platform has no such step, true.
bool SyncFolderOf(const QString& aFileName);

// What the file system tells of a file's bytes without reading them: which file it is (device and
// inode), its size, and when it was last written and last changed in any way. No program can set
// the change time, so a file whose stamp is the same as before has not been written since.
struct TFileStamp {
    quint64 Device = 0;
    quint64 Inode = 0;
    qint64 Size = -1;
    qint64 ModifiedNs = 0;
    qint64 ChangedNs = 0;

    bool operator==(const TFileStamp&) const = default;
    // As one line of text and back, to be kept in the settings; nullopt for a text that is none.
    QString ToText() const;
    static std::optional<TFileStamp> FromText(const QString& aText);
};

// The stamp of the file open as aFile, or of the file aFileName names (through links); nullopt
// where it cannot be had, or the platform has none.
std::optional<TFileStamp> StampOf(const QFileDevice& aFile);
std::optional<TFileStamp> StampOf(const QString& aFileName);
