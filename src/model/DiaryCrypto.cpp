#include "model/DiaryCrypto.h"

#include <QFile>
#include <QIODevice>

#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <new>

using namespace Qt::Literals::StringLiterals;

namespace {

// The container's fixed header, all numbers little-endian (DiaryCrypto.md).
constexpr char Magic[8] = {'K', 'E', 'S', 'T', 'R', 'O', 'V', 'A'};
constexpr quint32 ContainerVersion = 1;
constexpr quint32 Argon2id13 = crypto_pwhash_ALG_ARGON2ID13;
constexpr size_t CheckSize = 16;
constexpr size_t StreamHeaderSize = crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr size_t ChunkOverhead = crypto_secretstream_xchacha20poly1305_ABYTES;
constexpr size_t HeaderSize = 8 + 4 + 4 + 8 + 8 + TKeyDerivation::SaltSize + CheckSize + 4 + StreamHeaderSize;
constexpr quint32 ChunkSize = 64 * 1024;

// What this program derives keys with, and the most it lets a file ask for: a crafted header may
// not make it allocate more than a desktop can spare or work for minutes.
constexpr quint64 DefaultPasses = 2;
constexpr quint64 DefaultMemory = 256ull * 1024 * 1024;
constexpr quint64 MaxPasses = 32;
constexpr quint64 MaxMemory = 1024ull * 1024 * 1024;
constexpr quint32 MinChunk = 1024;
constexpr quint32 MaxChunk = 16 * 1024 * 1024;

const QByteArray CheckContext = QByteArrayLiteral("Kestrova key check");

void EnsureSodium()
{
    // Thread-safe and idempotent; it fails only when the system has no source of randomness.
    if (sodium_init() < 0)
        throw EFileError(u"The encryption library cannot be started (no source of random numbers)."_s);
}

template <typename T> void PutLE(unsigned char* aOut, T aValue)
{
    for (size_t i = 0; i < sizeof(T); ++i)
        aOut[i] = static_cast<unsigned char>(quint64(aValue) >> (8 * i));
}

template <typename T> T GetLE(const unsigned char* aIn)
{
    quint64 value = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        value |= quint64(aIn[i]) << (8 * i);
    return static_cast<T>(value);
}

struct THeader {
    quint32 Version = 0;
    quint32 Algorithm = 0;
    TKeyDerivation Derivation;
    std::array<unsigned char, CheckSize> Check{};
    quint32 Chunk = 0;
    std::array<unsigned char, StreamHeaderSize> Stream{};
};

std::array<unsigned char, HeaderSize> EncodeHeader(const THeader& aHeader)
{
    std::array<unsigned char, HeaderSize> bytes{};
    unsigned char* p = bytes.data();
    std::memcpy(p, Magic, sizeof Magic);
    p += sizeof Magic;
    PutLE(p, aHeader.Version);
    p += 4;
    PutLE(p, aHeader.Algorithm);
    p += 4;
    PutLE(p, aHeader.Derivation.Passes);
    p += 8;
    PutLE(p, aHeader.Derivation.MemoryBytes);
    p += 8;
    std::memcpy(p, aHeader.Derivation.Salt.data(), TKeyDerivation::SaltSize);
    p += TKeyDerivation::SaltSize;
    std::memcpy(p, aHeader.Check.data(), CheckSize);
    p += CheckSize;
    PutLE(p, aHeader.Chunk);
    p += 4;
    std::memcpy(p, aHeader.Stream.data(), StreamHeaderSize);
    return bytes;
}

[[noreturn]] void Damaged(const QString& aFileName, const QString& aProblem)
{
    throw EFileError(u"The encrypted diary file %1 is damaged: %2."_s.arg(aFileName, aProblem));
}

// Reads exactly aSize bytes; fewer only at the end of the data.
qint64 ReadFully(QIODevice& aIn, unsigned char* aOut, qint64 aSize)
{
    qint64 total = 0;
    while (total < aSize) {
        const qint64 got = aIn.read(reinterpret_cast<char*>(aOut) + total, aSize - total);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        total += got;
    }
    return total;
}

// The header as read and checked, and its bytes, which the first chunk authenticates.
THeader ReadHeader(QIODevice& aIn, const QString& aFileName, std::array<unsigned char, HeaderSize>& aBytes)
{
    const qint64 got = ReadFully(aIn, aBytes.data(), qint64(HeaderSize));
    if (got < 0)
        throw EFileError(u"The encrypted diary file %1 cannot be read (%2)."_s.arg(aFileName, aIn.errorString()));
    if (got < qint64(sizeof Magic) || std::memcmp(aBytes.data(), Magic, sizeof Magic) != 0)
        Damaged(aFileName, u"it does not start as an encrypted diary"_s);
    THeader header;
    const unsigned char* p = aBytes.data() + sizeof Magic;
    if (got >= qint64(sizeof Magic + 4)) {
        header.Version = GetLE<quint32>(p);
        // A newer program's container may lay out everything after the version otherwise.
        if (header.Version != ContainerVersion)
            Damaged(aFileName, header.Version > ContainerVersion
                                   ? u"its container version %1 is newer than this program reads"_s.arg(header.Version)
                                   : u"its container version %1 is unknown"_s.arg(header.Version));
    }
    if (got < qint64(HeaderSize))
        Damaged(aFileName, u"it ends within its header"_s);
    p += 4;
    header.Algorithm = GetLE<quint32>(p);
    p += 4;
    header.Derivation.Passes = GetLE<quint64>(p);
    p += 8;
    header.Derivation.MemoryBytes = GetLE<quint64>(p);
    p += 8;
    std::memcpy(header.Derivation.Salt.data(), p, TKeyDerivation::SaltSize);
    p += TKeyDerivation::SaltSize;
    std::memcpy(header.Check.data(), p, CheckSize);
    p += CheckSize;
    header.Chunk = GetLE<quint32>(p);
    p += 4;
    std::memcpy(header.Stream.data(), p, StreamHeaderSize);

    if (header.Algorithm != Argon2id13)
        Damaged(aFileName, u"its key derivation %1 is unknown"_s.arg(header.Algorithm));
    if (header.Derivation.Passes < crypto_pwhash_OPSLIMIT_MIN || header.Derivation.Passes > MaxPasses)
        Damaged(aFileName, u"its key derivation asks for %1 passes (allowed: %2 to %3)"_s.arg(header.Derivation.Passes)
                               .arg(crypto_pwhash_OPSLIMIT_MIN)
                               .arg(MaxPasses));
    if (header.Derivation.MemoryBytes < crypto_pwhash_MEMLIMIT_MIN || header.Derivation.MemoryBytes > MaxMemory)
        Damaged(aFileName, u"its key derivation asks for %1 bytes of memory (allowed: %2 to %3)"_s
                               .arg(header.Derivation.MemoryBytes)
                               .arg(crypto_pwhash_MEMLIMIT_MIN)
                               .arg(MaxMemory));
    if (header.Chunk < MinChunk || header.Chunk > MaxChunk)
        Damaged(aFileName, u"its chunk size %1 is out of range"_s.arg(header.Chunk));
    return header;
}

// The secret stream's state holds key material too.
class TStreamState {
public:
    TStreamState() { sodium_mlock(&fState, sizeof fState); }
    ~TStreamState()
    {
        sodium_munlock(&fState, sizeof fState); // zeroes it as well
    }
    TStreamState(const TStreamState&) = delete;
    TStreamState& operator=(const TStreamState&) = delete;
    crypto_secretstream_xchacha20poly1305_state* Get() { return &fState; }

private:
    crypto_secretstream_xchacha20poly1305_state fState{};
};

} // namespace

TSecret::TSecret(size_t aSize)
{
    EnsureSodium();
    if (aSize == 0)
        return;
    // Guarded, locked pages: never swapped out, zeroed by sodium_free.
    fData = static_cast<unsigned char*>(sodium_malloc(aSize));
    if (!fData)
        throw std::bad_alloc();
    sodium_memzero(fData, aSize);
    fSize = aSize;
}

TSecret TSecret::FromText(const QString& aText)
{
    QByteArray utf8 = aText.toUtf8();
    TSecret secret(size_t(utf8.size()));
    if (!utf8.isEmpty())
        std::memcpy(secret.fData, utf8.constData(), size_t(utf8.size()));
    WipeBytes(utf8);
    return secret;
}

TSecret::~TSecret()
{
    if (fData)
        sodium_free(fData);
}

TSecret::TSecret(TSecret&& aOther) noexcept : fData(aOther.fData), fSize(aOther.fSize)
{
    aOther.fData = nullptr;
    aOther.fSize = 0;
}

TSecret& TSecret::operator=(TSecret&& aOther) noexcept
{
    if (this != &aOther) {
        if (fData)
            sodium_free(fData);
        fData = std::exchange(aOther.fData, nullptr);
        fSize = std::exchange(aOther.fSize, 0);
    }
    return *this;
}

void WipeBytes(QByteArray& aBytes)
{
    // Only a buffer of its own may be zeroed: a shared one belongs to others as well.
    if (!aBytes.isEmpty() && !aBytes.isDetached())
        aBytes.detach();
    if (!aBytes.isEmpty())
        sodium_memzero(aBytes.data(), size_t(aBytes.size()));
    aBytes.clear();
}

void WipeText(QString& aText)
{
    if (!aText.isEmpty() && !aText.isDetached())
        aText.detach();
    if (!aText.isEmpty())
        sodium_memzero(aText.data(), size_t(aText.size()) * sizeof(QChar));
    aText.clear();
}

TKeyDerivation TKeyDerivation::New()
{
    EnsureSodium();
    TKeyDerivation derivation;
    derivation.Passes = DefaultPasses;
    derivation.MemoryBytes = DefaultMemory;
    randombytes_buf(derivation.Salt.data(), derivation.Salt.size());
    return derivation;
}

TDiaryKey TDiaryKey::Derive(const TSecret& aPassword, const TKeyDerivation& aDerivation)
{
    TDiaryKey key;
    key.fKey = TSecret(Size);
    key.fDerivation = aDerivation;
    static const unsigned char none = 0;
    const char* password = aPassword.IsEmpty() ? reinterpret_cast<const char*>(&none)
                                               : reinterpret_cast<const char*>(aPassword.Data());
    if (crypto_pwhash(key.fKey.Data(), Size, password, aPassword.Size(), aDerivation.Salt.data(),
                      aDerivation.Passes, size_t(aDerivation.MemoryBytes), crypto_pwhash_ALG_ARGON2ID13) != 0)
        throw EFileError(u"The key of the diary cannot be derived: the system refused the %1 MB it needs."_s.arg(
            aDerivation.MemoryBytes / (1024 * 1024)));
    return key;
}

TDiaryKey TDiaryKey::Copy() const
{
    TDiaryKey key;
    key.fKey = TSecret(Size);
    std::memcpy(key.fKey.Data(), fKey.Data(), Size);
    key.fDerivation = fDerivation;
    return key;
}

std::array<unsigned char, 16> TDiaryKey::Check() const
{
    std::array<unsigned char, 16> check{};
    crypto_generichash(check.data(), check.size(), reinterpret_cast<const unsigned char*>(CheckContext.constData()),
                       size_t(CheckContext.size()), fKey.Data(), Size);
    return check;
}

bool IsEncryptedDiary(QByteArrayView aStart)
{
    return aStart.size() >= qsizetype(sizeof Magic) && std::memcmp(aStart.data(), Magic, sizeof Magic) == 0;
}

bool IsEncryptedDiaryFile(const QString& aFileName)
{
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return IsEncryptedDiary(file.read(sizeof Magic));
}

TKeyDerivation ReadKeyDerivation(QIODevice& aIn, const QString& aFileName)
{
    std::array<unsigned char, HeaderSize> bytes{};
    return ReadHeader(aIn, aFileName, bytes).Derivation;
}

namespace {

void CheckHeaderKey(const THeader& aHeader, const TDiaryKey& aKey, const QString& aFileName)
{
    if (!(aHeader.Derivation == aKey.Derivation()) ||
        sodium_memcmp(aHeader.Check.data(), aKey.Check().data(), CheckSize) != 0)
        throw EWrongPassword(u"The password for %1 is wrong."_s.arg(aFileName));
}

} // namespace

void CheckDiaryKey(QIODevice& aIn, const TDiaryKey& aKey, const QString& aFileName)
{
    std::array<unsigned char, HeaderSize> bytes{};
    CheckHeaderKey(ReadHeader(aIn, aFileName, bytes), aKey, aFileName);
}

struct TEncryptingDevice::TState {
    QIODevice& Out;
    // Out's own room, where it lends it (a write-behind stage): each chunk is sealed straight into
    // what Out writes, with no copy between.
    TLentBuffer* const Lender;
    std::array<unsigned char, HeaderSize> Header{};
    TStreamState Stream;
    QByteArray Plain;  // the chunk being filled, always ChunkSize long
    qsizetype Filled = 0;
    QByteArray Sealed; // a chunk as written, when Out lends no room large enough for it
    bool First = true;
    bool Finished = false;
    explicit TState(QIODevice& aOut) : Out(aOut), Lender(dynamic_cast<TLentBuffer*>(&aOut)) {}
};

TEncryptingDevice::TEncryptingDevice(QIODevice& aOut, const TDiaryKey& aKey) : fState(std::make_unique<TState>(aOut))
{
    EnsureSodium();
    THeader header;
    header.Version = ContainerVersion;
    header.Algorithm = Argon2id13;
    header.Derivation = aKey.Derivation();
    header.Check = aKey.Check();
    header.Chunk = ChunkSize;
    crypto_secretstream_xchacha20poly1305_init_push(fState->Stream.Get(), header.Stream.data(), aKey.Bytes());
    fState->Header = EncodeHeader(header);
    fState->Plain.resize(ChunkSize);
    WriteAll(aOut, fState->Header.data(), qint64(fState->Header.size()));
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

TEncryptingDevice::~TEncryptingDevice()
{
    WipeBytes(fState->Plain);
}

bool TEncryptingDevice::Push(bool aLast)
{
    TState& s = *fState;
    const qint64 sealedMax = qint64(s.Filled) + qint64(ChunkOverhead);
    char* into = nullptr;
    if (s.Lender) {
        try {
            qint64 room = 0;
            char* start = s.Lender->Room(room);
            if (room >= sealedMax)
                into = start;
        } catch (const EFileError& error) {
            // Out wrote earlier chunks meanwhile, and one of those writes failed.
            setErrorString(error.Message());
            return false;
        }
    }
    const bool lent = into != nullptr;
    if (!lent) {
        if (s.Sealed.size() < sealedMax)
            s.Sealed.resize(qsizetype(ChunkSize + ChunkOverhead));
        into = s.Sealed.data();
    }
    unsigned long long sealedSize = 0;
    // The header is authenticated with the first chunk: a changed cost, salt or check fails there
    // like changed content.
    crypto_secretstream_xchacha20poly1305_push(
        s.Stream.Get(), reinterpret_cast<unsigned char*>(into), &sealedSize,
        reinterpret_cast<const unsigned char*>(s.Plain.constData()), size_t(s.Filled),
        s.First ? s.Header.data() : nullptr, s.First ? s.Header.size() : 0,
        aLast ? crypto_secretstream_xchacha20poly1305_TAG_FINAL : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
    s.First = false;
    // The next chunk writes over this one; the destructor wipes whatever is left.
    s.Filled = 0;
    if (lent) {
        s.Lender->Used(qint64(sealedSize));
        return true;
    }
    try {
        WriteAll(s.Out, into, qint64(sealedSize));
    } catch (const EFileError& error) {
        setErrorString(error.Message());
        return false;
    }
    return true;
}

char* TEncryptingDevice::Room(qint64& aSize)
{
    TState& s = *fState;
    // A full chunk waits until room for more bytes is asked for: only then is it known not to be
    // the last.
    if (s.Filled == qsizetype(ChunkSize) && !Push(false))
        throw EFileError(errorString());
    aSize = qint64(ChunkSize) - s.Filled;
    return s.Plain.data() + s.Filled;
}

void TEncryptingDevice::Used(qint64 aCount)
{
    fState->Filled += qsizetype(aCount);
}

void TEncryptingDevice::Finish()
{
    if (fState->Finished)
        return;
    fState->Finished = true;
    if (!Push(true))
        throw EFileError(errorString());
}

struct TDecryptingDevice::TState {
    QIODevice& In;
    QString FileName;
    std::array<unsigned char, HeaderSize> Header{};
    TStreamState Stream;
    quint32 Chunk = 0;
    qint64 PlainSize = 0;
    QByteArray Sealed;
    QByteArray Plain; // the chunk being handed on
    qsizetype Taken = 0;
    qint64 Opened = 0; // the plain size of the chunk last read
    qint64 ChunksRead = 0;
    bool Ended = false; // the last chunk was read
    QString Problem;
    explicit TState(QIODevice& aIn) : In(aIn) {}
};

TDecryptingDevice::TDecryptingDevice(QIODevice& aIn, const TDiaryKey& aKey, const QString& aFileName)
    : fState(std::make_unique<TState>(aIn))
{
    EnsureSodium();
    TState& s = *fState;
    s.FileName = aFileName;
    const qint64 start = aIn.isSequential() ? 0 : aIn.pos();
    const THeader header = ReadHeader(aIn, aFileName, s.Header);
    CheckHeaderKey(header, aKey, aFileName);
    if (crypto_secretstream_xchacha20poly1305_init_pull(s.Stream.Get(), header.Stream.data(), aKey.Bytes()) != 0)
        Damaged(aFileName, u"its stream header is invalid"_s);
    s.Chunk = header.Chunk;
    s.Sealed.resize(qsizetype(s.Chunk + ChunkOverhead));
    s.Plain.reserve(qsizetype(s.Chunk));
    // The plain size the container's length implies: every chunk but the last is full.
    if (!aIn.isSequential()) {
        const qint64 body = std::max<qint64>(0, aIn.size() - start - qint64(HeaderSize));
        const qint64 full = qint64(s.Chunk) + qint64(ChunkOverhead);
        const qint64 rest = body % full;
        s.PlainSize = (body / full) * qint64(s.Chunk) + std::max<qint64>(0, rest - qint64(ChunkOverhead));
    }
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

TDecryptingDevice::~TDecryptingDevice()
{
    WipeBytes(fState->Plain);
}

qint64 TDecryptingDevice::size() const
{
    return fState->PlainSize;
}

const QString& TDecryptingDevice::Problem() const
{
    return fState->Problem;
}

bool TDecryptingDevice::NextChunk(unsigned char* aInto)
{
    TState& s = *fState;
    const auto fail = [&](const QString& aProblem) {
        s.Problem = u"The encrypted diary file %1 is damaged: %2."_s.arg(s.FileName, aProblem);
        setErrorString(s.Problem);
        return false;
    };
    if (!s.Problem.isEmpty())
        return false;
    const qint64 sealedChunk = qint64(s.Sealed.size());
    const qint64 got = ReadFully(s.In, reinterpret_cast<unsigned char*>(s.Sealed.data()), sealedChunk);
    if (got < 0) {
        s.Problem = u"The encrypted diary file %1 cannot be read (%2)."_s.arg(s.FileName, s.In.errorString());
        setErrorString(s.Problem);
        return false;
    }
    ++s.ChunksRead;
    // Without the last chunk the file was cut, at a chunk's end or inside one.
    if (got < qint64(ChunkOverhead))
        return fail(u"it was cut short after %1 chunks"_s.arg(s.ChunksRead - 1));
    s.Plain.resize(aInto ? 0 : qsizetype(got - qint64(ChunkOverhead)));
    unsigned long long opened = 0;
    unsigned char tag = 0;
    const bool first = s.ChunksRead == 1;
    // The chunk's check comes before a byte of it is decrypted: a failed one leaves aInto as it was.
    if (crypto_secretstream_xchacha20poly1305_pull(s.Stream.Get(),
                                                   aInto ? aInto : reinterpret_cast<unsigned char*>(s.Plain.data()),
                                                   &opened, &tag,
                                                   reinterpret_cast<const unsigned char*>(s.Sealed.constData()),
                                                   size_t(got), first ? s.Header.data() : nullptr,
                                                   first ? s.Header.size() : 0) != 0) {
        s.Plain.resize(0);
        return fail(u"chunk %1 fails its check (changed, moved or cut)"_s.arg(s.ChunksRead));
    }
    s.Opened = qint64(opened);
    if (!aInto)
        s.Plain.resize(qsizetype(opened));
    s.Taken = 0;
    if (tag == crypto_secretstream_xchacha20poly1305_TAG_FINAL) {
        s.Ended = true;
        char extra = 0;
        if (s.In.read(&extra, 1) != 0)
            return fail(u"it goes on after its last chunk"_s);
    } else if (got < sealedChunk) {
        return fail(u"it was cut short in chunk %1"_s.arg(s.ChunksRead));
    }
    return true;
}

qint64 TDecryptingDevice::readData(char* aData, qint64 aMaxSize)
{
    TState& s = *fState;
    qint64 done = 0;
    while (done < aMaxSize) {
        if (s.Taken == s.Plain.size()) {
            if (s.Ended)
                break;
            // A reader that takes a whole chunk or more at a time gets it decrypted straight into
            // its own buffer: no second plain copy, and nothing of it left behind in this one.
            if (aMaxSize - done >= qint64(s.Chunk)) {
                if (!NextChunk(reinterpret_cast<unsigned char*>(aData + done)))
                    return done > 0 ? done : -1;
                done += s.Opened;
                continue;
            }
            if (!NextChunk(nullptr))
                return done > 0 ? done : -1;
            continue;
        }
        const qint64 step = std::min<qint64>(aMaxSize - done, s.Plain.size() - s.Taken);
        std::memcpy(aData + done, s.Plain.constData() + s.Taken, size_t(step));
        s.Taken += qsizetype(step);
        done += step;
    }
    return done;
}

void TDecryptingDevice::Finish()
{
    TState& s = *fState;
    while (s.Problem.isEmpty() && !s.Ended)
        NextChunk(nullptr);
    if (!s.Problem.isEmpty())
        throw EFileError(s.Problem);
}

void EncryptDiary(QByteArrayView aPlain, const TDiaryKey& aKey, QIODevice& aOut)
{
    TEncryptingDevice device(aOut, aKey);
    if (device.write(aPlain.data(), aPlain.size()) != aPlain.size())
        throw EFileError(device.errorString());
    device.Finish();
}

QByteArray DecryptDiary(QIODevice& aIn, const TDiaryKey& aKey, const QString& aFileName)
{
    TDecryptingDevice device(aIn, aKey, aFileName);
    QByteArray plain;
    plain.reserve(qsizetype(device.size()));
    QByteArray piece(64 * 1024, Qt::Uninitialized);
    for (;;) {
        const qint64 got = device.read(piece.data(), piece.size());
        if (got < 0) {
            WipeBytes(plain);
            throw EFileError(device.Problem());
        }
        if (got == 0)
            break;
        plain.append(piece.constData(), qsizetype(got));
    }
    WipeBytes(piece);
    try {
        device.Finish();
    } catch (...) {
        WipeBytes(plain);
        throw;
    }
    return plain;
}
