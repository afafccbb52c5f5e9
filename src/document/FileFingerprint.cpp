#include "document/FileFingerprint.h"

#include "model/DiaryFile.h"
#include "util/Errors.h"
#include "util/FileAccess.h"

#include <QFile>
#include <QFileInfo>

#include <new>

namespace {

// Equal when both name the same existing file; otherwise when the absolute paths are equal.
bool SameFile(const QString& aOne, const QString& aOther)
{
    const QFileInfo one(aOne);
    const QFileInfo other(aOther);
    const QString canonicalOne = one.canonicalFilePath();
    const QString canonicalOther = other.canonicalFilePath();
    if (!canonicalOne.isEmpty() && !canonicalOther.isEmpty())
        return canonicalOne == canonicalOther;
    return one.absoluteFilePath() == other.absoluteFilePath();
}

} // namespace

// XXH64 with seed 0 from libxxhash: its streaming state gives the same value however the bytes
// are split, which the reader's chunks and pictures rely on.
TFingerprintHash::TFingerprintHash() : fState(XXH64_createState())
{
    if (!fState)
        throw std::bad_alloc();
    XXH64_reset(fState.get(), 0);
}

TFingerprintHash::~TFingerprintHash() = default;
TFingerprintHash::TFingerprintHash(TFingerprintHash&&) noexcept = default;
TFingerprintHash& TFingerprintHash::operator=(TFingerprintHash&&) noexcept = default;

void TFingerprintHash::Add(QByteArrayView aBytes)
{
    if (aBytes.isEmpty())
        return;
    XXH64_update(fState.get(), aBytes.data(), size_t(aBytes.size()));
    fTotal += aBytes.size();
}

quint64 TFingerprintHash::Value() const
{
    return XXH64_digest(fState.get());
}

bool TFileFingerprint::Describes(const QString& aFileName) const
{
    return IsKnown() && !aFileName.isEmpty() && SameFile(FileName, aFileName);
}

std::unique_ptr<TDiary> ReadDiaryFileWithFingerprint(const QString& aFileName, TFileFingerprint& aFingerprint,
                                                     std::optional<TFileStamp>* aStamp)
{
    QFile file(aFileName);
    OpenDiaryFile(file);
    return ReadDiaryFileWithFingerprint(file, aFileName, aFingerprint, aStamp);
}

std::unique_ptr<TDiary> ReadDiaryFileWithFingerprint(QFile& aFile, const QString& aFileName,
                                                     TFileFingerprint& aFingerprint, std::optional<TFileStamp>* aStamp)
{
    const std::optional<TFileStamp> before = aStamp ? StampOf(aFile) : std::nullopt;
    TFingerprintHash hash;
    std::unique_ptr<TDiary> diary = ReadDiaryFile(aFile, [&hash](QByteArrayView aBytes) { hash.Add(aBytes); });
    aFingerprint = {aFileName, hash.Size(), hash.Value()};
    if (aStamp) {
        // Written meanwhile, the file may hold bytes other than those read; then there is no stamp.
        const std::optional<TFileStamp> after = StampOf(aFile);
        *aStamp = before && after == before && before->Size == aFingerprint.Size ? before : std::nullopt;
    }
    return diary;
}

TFileFingerprint FingerprintOfFile(const QString& aFileName)
{
    // The runtime's texts, as the diary reader gives them for the same file.
    QFile file(aFileName);
    OpenDiaryFile(file);
    TFingerprintHash hash;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = file.read(chunk.data(), chunk.size())) > 0)
        hash.Add(QByteArrayView(chunk.constData(), got));
    if (got < 0)
        throw StreamReadError();
    return {aFileName, hash.Size(), hash.Value()};
}

bool FileChangedSince(const TFileFingerprint& aFingerprint)
{
    if (!aFingerprint.IsKnown() || !FileExists(aFingerprint.FileName))
        return false;
    // The size needs no read; only a file of the same size is read and hashed.
    if (QFileInfo(aFingerprint.FileName).size() != aFingerprint.Size)
        return true;
    try {
        const TFileFingerprint now = FingerprintOfFile(aFingerprint.FileName);
        return now.Size != aFingerprint.Size || now.Hash != aFingerprint.Hash;
    } catch (const EFileError&) {
        return true;
    }
}
