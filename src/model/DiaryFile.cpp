#include "model/DiaryFile.h"

#include "model/BufferedStreams.h"
#include "model/DiaryCrypto.h"
#include "util/Errors.h"
#include "util/FileAccess.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <array>
#include <limits>
#include <optional>
#include <vector>

namespace {

// A file seen through a tap: reads and writes pass straight through to the file, and the bytes
// that moved are shown to the tap. Unbuffered like the file, so no byte is copied once more; the
// diary's own streams keep the buffering.

class TTappedDevice : public QIODevice {
public:
    TTappedDevice(QIODevice& aFile, const TFileBytesTap& aTap) : fFile(aFile), fTap(aTap)
    {
        open(aFile.openMode() | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return fFile.isSequential(); }
    qint64 size() const override { return fFile.size(); }

protected:
    qint64 readData(char* aData, qint64 aMaxSize) override
    {
        const qint64 got = fFile.read(aData, aMaxSize);
        if (got > 0)
            fTap(QByteArrayView(aData, got));
        else if (got < 0)
            setErrorString(fFile.errorString());
        return got;
    }
    qint64 writeData(const char* aData, qint64 aSize) override
    {
        const qint64 written = fFile.write(aData, aSize);
        if (written > 0)
            fTap(QByteArrayView(aData, written));
        else if (written < 0)
            setErrorString(fFile.errorString());
        return written;
    }

private:
    QIODevice& fFile;
    const TFileBytesTap& fTap;
};

} // namespace

void OpenDiaryFile(QFile& aFile)
{
    if (!aFile.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw CannotOpenFileError(aFile.fileName(), aFile.errorString());
}

std::unique_ptr<TDiary> ReadDiaryFile(const QString& aFileName, const TFileBytesTap& aTap)
{
    QFile file(aFileName);
    OpenDiaryFile(file);
    return ReadDiaryFile(file, aTap);
}

std::unique_ptr<TDiary> ReadDiaryFile(QFile& aFile, const TFileBytesTap& aTap)
{
    if (!aTap)
        return ReadDiary(aFile);

    TTappedDevice tapped(aFile, aTap);
    std::unique_ptr<TDiary> diary = ReadDiary(tapped);
    // Whatever follows the last day goes through the tap too: the tap stands for the whole file.
    QByteArray rest(TBufferedReader::ChunkSize, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = tapped.read(rest.data(), rest.size())) > 0) {
    }
    if (got < 0)
        throw StreamReadError();
    return diary;
}

void WriteDiaryFile(const TDiary& aDiary, const QString& aFileName, const std::function<void()>& aBeforeReplace,
                    const TFileBytesTap& aTap, const TDiaryKey* aKey)
{
    // The runtime's texts, as the exports give them: a file that cannot be made names itself with
    // its full path and the platform's reason; a failed write is a stream write error.
    QSaveFile file(aFileName);
    // Never fall back to writing over the target in place: that is what leaves half a file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw CannotCreateFileError(aFileName, file.errorString());
    try {
        // The bytes written so far go on to the disk while the rest of the diary is being made, so
        // that the flush before the rename waits for little more than the last slice. Ended (and
        // its thread gone) before the file is committed or cancelled: it leaves this block first.
        TProgressiveFlush flush(file);
        const TFileBytesTap tap = [&](QByteArrayView aBytes) {
            if (aTap)
                aTap(aBytes);
            flush.Written(aBytes.size());
        };
        TTappedDevice tapped(file, tap);
        // The file's writes (the tap's work with them) overlap the making of the next bytes. Ended
        // before anything below it is touched here again, and its thread gone before the file is
        // committed or cancelled: it leaves this block before the tap and the flush do.
        TWriteBehind behind(tapped);
        if (aKey) {
            // Sealed chunk by chunk on the way to the file: no plain byte reaches the disk.
            TEncryptingDevice sealed(behind, *aKey);
            WriteDiary(aDiary, sealed);
            sealed.Finish();
        } else {
            WriteDiary(aDiary, behind);
        }
        behind.Finish();
        if (!file.flush())
            throw EFileError(file.errorString());
        flush.End();
    } catch (const EFileError&) {
        // A text or picture too long to be stored is reported as such; everything else that stops
        // the writing is the device failing. (Cancelling sets an error of its own: ask first.)
        const bool deviceFailed = file.error() != QFileDevice::NoError;
        file.cancelWriting();
        if (!deviceFailed)
            throw;
        throw StreamWriteError();
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    // Only now, with the complete new file on disk, does the backup step run; an error there
    // (reported with its own text) leaves the target as it was.
    if (aBeforeReplace) {
        try {
            aBeforeReplace();
        } catch (...) {
            file.cancelWriting();
            throw;
        }
    }
    // What fails here is putting the file under its name, or the bytes reaching the disk, which
    // QSaveFile waits for before the rename (else a power cut right after it could leave the name
    // on an empty file): the file of that name could not be made.
    if (!file.commit())
        throw CannotCreateFileError(aFileName, file.errorString());
    // The rename itself lives in the folder: flushed too, so the new name survives a power cut.
    if (!SyncFolderOf(aFileName))
        throw CannotCreateFileError(aFileName, qt_error_string(errno));
}

std::unique_ptr<TDiary> ReadDiaryFileWithKey(const QString& aFileName, const TDiaryKey& aKey, const TFileBytesTap& aTap)
{
    QFile file(aFileName);
    OpenDiaryFile(file);
    std::optional<TTappedDevice> tapped;
    if (aTap)
        tapped.emplace(file, aTap);
    TDecryptingDevice plain(tapped ? static_cast<QIODevice&>(*tapped) : file, aKey, aFileName);
    std::unique_ptr<TDiary> diary;
    try {
        diary = ReadDiary(plain);
    } catch (const EFileError&) {
        // A chunk that failed its check reads to the reader as a device that failed: the
        // container's own words say what is wrong.
        if (!plain.Problem().isEmpty())
            throw EFileError(plain.Problem());
        throw;
    }
    // The reader stops at the diary's end; the rest of the container is checked all the same, up
    // to its last chunk, so a cut or an addition is never let through.
    plain.Finish();
    if (aTap) {
        char rest[4096];
        while (tapped->read(rest, sizeof rest) > 0) {
        }
    }
    return diary;
}

std::optional<TDiaryKey> UnlockDiaryFile(const QString& aFileName, const TPasswordPrompt& aPrompt)
{
    if (!IsEncryptedDiaryFile(aFileName))
        return std::nullopt;
    for (int attempt = 1;; ++attempt) {
        QFile file(aFileName);
        OpenDiaryFile(file);
        // The header is checked before a password is asked for: a container this program cannot
        // open is reported as such, not as a wrong password.
        const TKeyDerivation derivation = ReadKeyDerivation(file, aFileName);
        std::optional<TSecret> password = aPrompt ? aPrompt(aFileName, attempt) : std::nullopt;
        if (!password)
            throw EPasswordCancelled();
        TDiaryKey key = TDiaryKey::Derive(*password, derivation);
        password.reset();
        try {
            file.seek(0);
            CheckDiaryKey(file, key, aFileName);
        } catch (const EWrongPassword&) {
            continue;
        }
        return key;
    }
}

TOpenedDiary ReadDiaryFileWithPassword(const QString& aFileName, const TPasswordPrompt& aPrompt,
                                       const TFileBytesTap& aTap)
{
    std::optional<TDiaryKey> key = UnlockDiaryFile(aFileName, aPrompt);
    if (!key)
        return {ReadDiaryFile(aFileName, aTap), std::nullopt};
    std::unique_ptr<TDiary> diary = ReadDiaryFileWithKey(aFileName, *key, aTap);
    return {std::move(diary), std::move(key)};
}
