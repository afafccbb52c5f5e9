#include "document/FileFingerprint.h"

#include "model/DiaryFile.h"
#include "util/Errors.h"
#include "util/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

namespace {

constexpr quint64 Prime1 = 0x9E3779B185EBCA87ull;
constexpr quint64 Prime2 = 0xC2B2AE3D27D4EB4Full;
constexpr quint64 Prime3 = 0x165667B19E3779F9ull;
constexpr quint64 Prime4 = 0x85EBCA77C2B2AE63ull;
constexpr quint64 Prime5 = 0x27D4EB2F165667C5ull;

constexpr quint64 RotateLeft(quint64 aValue, int aBits)
{
    return (aValue << aBits) | (aValue >> (64 - aBits));
}

constexpr quint64 Round(quint64 aLane, quint64 aInput)
{
    return RotateLeft(aLane + aInput * Prime2, 31) * Prime1;
}

constexpr quint64 MergeRound(quint64 aHash, quint64 aLane)
{
    return (aHash ^ Round(0, aLane)) * Prime1 + Prime4;
}

quint64 Read64(const unsigned char* aBytes)
{
    return qFromLittleEndian<quint64>(aBytes);
}

quint64 Read32(const unsigned char* aBytes)
{
    return qFromLittleEndian<quint32>(aBytes);
}

// The four lanes eat 32 bytes per step; what is left of aCount below 32 stays unread.
const unsigned char* Stripes(quint64 (&aLanes)[4], const unsigned char* aBytes, qint64 aCount)
{
    const unsigned char* const end = aBytes + (aCount - aCount % 32);
    quint64 l0 = aLanes[0], l1 = aLanes[1], l2 = aLanes[2], l3 = aLanes[3];
    for (; aBytes < end; aBytes += 32) {
        l0 = Round(l0, Read64(aBytes));
        l1 = Round(l1, Read64(aBytes + 8));
        l2 = Round(l2, Read64(aBytes + 16));
        l3 = Round(l3, Read64(aBytes + 24));
    }
    aLanes[0] = l0, aLanes[1] = l1, aLanes[2] = l2, aLanes[3] = l3;
    return end;
}

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

TFingerprintHash::TFingerprintHash() : fLanes{Prime1 + Prime2, Prime2, 0, 0 - Prime1} {}

void TFingerprintHash::Add(QByteArrayView aBytes)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(aBytes.data());
    qint64 count = aBytes.size();
    fTotal += count;
    if (fPendingSize > 0) {
        const qint64 step = qMin<qint64>(32 - fPendingSize, count);
        std::memcpy(fPending + fPendingSize, bytes, size_t(step));
        fPendingSize += step;
        bytes += step;
        count -= step;
        if (fPendingSize < 32)
            return;
        Stripes(fLanes, fPending, 32);
        fPendingSize = 0;
    }
    const unsigned char* rest = Stripes(fLanes, bytes, count);
    fPendingSize = count % 32;
    std::memcpy(fPending, rest, size_t(fPendingSize));
}

quint64 TFingerprintHash::Value() const
{
    quint64 hash;
    if (fTotal >= 32) {
        hash =
            RotateLeft(fLanes[0], 1) + RotateLeft(fLanes[1], 7) + RotateLeft(fLanes[2], 12) + RotateLeft(fLanes[3], 18);
        for (const quint64 lane : fLanes)
            hash = MergeRound(hash, lane);
    } else {
        hash = Prime5;
    }
    hash += quint64(fTotal);

    const unsigned char* bytes = fPending;
    const unsigned char* const end = fPending + fPendingSize;
    for (; bytes + 8 <= end; bytes += 8)
        hash = RotateLeft(hash ^ Round(0, Read64(bytes)), 27) * Prime1 + Prime4;
    if (bytes + 4 <= end) {
        hash = RotateLeft(hash ^ (Read32(bytes) * Prime1), 23) * Prime2 + Prime3;
        bytes += 4;
    }
    for (; bytes < end; ++bytes)
        hash = RotateLeft(hash ^ (*bytes * Prime5), 11) * Prime1;

    hash ^= hash >> 33;
    hash *= Prime2;
    hash ^= hash >> 29;
    hash *= Prime3;
    hash ^= hash >> 32;
    return hash;
}

bool TFileFingerprint::Describes(const QString& aFileName) const
{
    return IsKnown() && !aFileName.isEmpty() && SameFile(FileName, aFileName);
}

std::unique_ptr<TDiary> ReadDiaryFileWithFingerprint(const QString& aFileName, TFileFingerprint& aFingerprint)
{
    TFingerprintHash hash;
    std::unique_ptr<TDiary> diary = ReadDiaryFile(aFileName, [&hash](QByteArrayView aBytes) { hash.Add(aBytes); });
    aFingerprint = {aFileName, hash.Size(), hash.Value()};
    return diary;
}

TFileFingerprint FingerprintOfFile(const QString& aFileName)
{
    QFile file(aFileName);
    const auto readError = [&file, &aFileName] {
        return EFileError(
            QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(aFileName), file.errorString()));
    };
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw readError();
    TFingerprintHash hash;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = file.read(chunk.data(), chunk.size())) > 0)
        hash.Add(QByteArrayView(chunk.constData(), got));
    if (got < 0)
        throw readError();
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
