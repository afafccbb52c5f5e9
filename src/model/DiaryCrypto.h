#pragma once

#include "model/BufferedStreams.h"
#include "model/DiaryFile.h"
#include "model/Records.h"
#include "util/Errors.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QString>

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>


// A diary only its owner can read: the diary file (version 10) sealed in a container of its own,
// its key derived from a password with Argon2id and the bytes encrypted and authenticated with
// XChaCha20-Poly1305 in libsodium's secret stream, chunk by chunk, so that any change, cut or
// reordering of the file is found. DiaryCrypto.md beside this file describes the container.

// Bytes that must not linger: in memory that is locked against swapping, zeroed when freed.
class TSecret {
public:
    TSecret() = default;
    explicit TSecret(size_t aSize); // zero-filled
    // Takes the UTF-8 of aText; the caller clears its own copy of the text as soon as it can.
    static TSecret FromText(const QString& aText);
    ~TSecret();
    TSecret(TSecret&& aOther) noexcept;
    TSecret& operator=(TSecret&& aOther) noexcept;
    TSecret(const TSecret&) = delete;
    TSecret& operator=(const TSecret&) = delete;

    unsigned char* Data() { return fData; }
    const unsigned char* Data() const { return fData; }
    size_t Size() const { return fSize; }
    bool IsEmpty() const { return fSize == 0; }

private:
    unsigned char* fData = nullptr;
    size_t fSize = 0;
};

// Zeroes a buffer that held plain or secret bytes before it is let go.
void WipeBytes(QByteArray& aBytes);
void WipeText(QString& aText);

// How hard the password is made to guess: Argon2id's passes and memory, and the salt.
struct TKeyDerivation {
    static constexpr size_t SaltSize = 16;
    quint64 Passes = 0;
    quint64 MemoryBytes = 0;
    std::array<unsigned char, SaltSize> Salt{};

    // A fresh random salt with the costs of this program: about half a second on a desktop.
    static TKeyDerivation New();
    bool operator==(const TKeyDerivation&) const = default;
};

// The key of one encrypted diary, derived from its password, locked in memory and zeroed when it
// goes. It remembers how it was derived, so saves and recovery copies use the same salt and costs.
class TDiaryKey {
public:
    static constexpr size_t Size = 32;
    // Costs seconds by design. Throws EFileError when the system refuses the memory it needs.
    static TDiaryKey Derive(const TSecret& aPassword, const TKeyDerivation& aDerivation);
    // A second key of its own (locked and zeroed as this one), for a holder that outlives this one.
    TDiaryKey Copy() const;

    const TKeyDerivation& Derivation() const { return fDerivation; }
    const unsigned char* Bytes() const { return fKey.Data(); }
    // A short check value of the key, stored in the container, by which a wrong password is told
    // apart from a damaged file before any content is decrypted.
    std::array<unsigned char, 16> Check() const;

private:
    TDiaryKey() = default;
    TSecret fKey;
    TKeyDerivation fDerivation;
};

// A wrong password: the key it gives does not match the container's.
class EWrongPassword : public EFileError {
public:
    using EFileError::EFileError;
};

// The start of every encrypted diary: no plain diary can start so (a plain diary starts with its
// version, an int32 from 1 to 10).
bool IsEncryptedDiary(QByteArrayView aStart);
bool IsEncryptedDiaryFile(const QString& aFileName); // false for a file that cannot be read

// The key derivation of a container, read and checked from its header: a version this program does
// not know, or costs beyond what it allows (a crafted header must not make it allocate gigabytes
// or work for hours), throw EFileError naming aFileName, before anything is derived or allocated.
TKeyDerivation ReadKeyDerivation(QIODevice& aIn, const QString& aFileName);

// Throws EWrongPassword when aKey is not the key of the container read from aIn (positioned at its
// start), and the header's errors as ReadKeyDerivation does.
void CheckDiaryKey(QIODevice& aIn, const TDiaryKey& aKey, const QString& aFileName);

// Writes a container to aOut chunk by chunk as the plain diary file's bytes are written to it:
// nothing but one chunk is held in memory (wiped when the device goes), and no plain byte reaches
// aOut. The diary's writer (TBufferedWriter) writes straight into that chunk, lent to it, so the
// plain bytes are never copied on their way to the cipher. Where aOut lends room in turn (TWriteBehind)
// each chunk is sealed straight into it, so the sealed bytes are not copied either.
// Finish seals the last chunk; without it the container is incomplete (and refused when read).
class TEncryptingDevice : public TLendingDevice {
public:
    TEncryptingDevice(QIODevice& aOut, const TDiaryKey& aKey); // writes the header; EFileError
    ~TEncryptingDevice() override;
    void Finish(); // throws EFileError with aOut's text when a write fails

    char* Room(qint64& aSize) override;
    void Used(qint64 aCount) override;

private:
    bool Push(bool aLast);
    struct TState;
    std::unique_ptr<TState> fState;
};

// Reads a container from aIn (positioned at its start) as the plain diary file's bytes, chunk by
// chunk, each checked before a byte of it is handed on. Its size is the plain size the container's
// length implies, so that a reader can bound what it reads by it. A read that finds the container
// damaged fails (-1) and Problem() says why; Finish reads and checks what the reader left, up to
// the last chunk and the file's end.
class TDecryptingDevice : public QIODevice {
public:
    // Reads and checks the header; EWrongPassword for another key, EFileError for a damaged header.
    TDecryptingDevice(QIODevice& aIn, const TDiaryKey& aKey, const QString& aFileName);
    ~TDecryptingDevice() override;
    bool isSequential() const override { return false; }
    qint64 size() const override;
    const QString& Problem() const;
    void Finish(); // throws EFileError with Problem()

protected:
    qint64 readData(char* aData, qint64 aMaxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    // Reads, checks and decrypts the next chunk into aInto (room for a whole chunk), or into the
    // device's own buffer when null.
    bool NextChunk(unsigned char* aInto);
    struct TState;
    std::unique_ptr<TState> fState;
};

// The same for whole buffers, as tests and small files need them.
void EncryptDiary(QByteArrayView aPlain, const TDiaryKey& aKey, QIODevice& aOut);
// Throws EWrongPassword when aKey is not the container's, EFileError naming aFileName when the
// container is damaged, cut, reordered, or goes on after its end. Nothing partly decrypted is
// returned.
QByteArray DecryptDiary(QIODevice& aIn, const TDiaryKey& aKey, const QString& aFileName);

// Asks for the password of an encrypted diary: aAttempt counts from 1, and is above 1 after a wrong
// password. An empty optional gives up.
using TPasswordPrompt = std::function<std::optional<TSecret>(const QString& aFileName, int aAttempt)>;

// The user gave up entering the password: no error to report.
class EPasswordCancelled : public EKestrovaError {
public:
    EPasswordCancelled() : EKestrovaError(QStringLiteral("Cancelled")) {}
};

// A diary read from a file of either kind; an encrypted one comes with its key, for its saves.
struct TOpenedDiary {
    std::unique_ptr<TDiary> Diary;
    std::optional<TDiaryKey> Key;
};

// The key of the encrypted diary file aFileName, from the password aPrompt gives, asked again after
// a wrong one; nothing for a plain file. Throws EPasswordCancelled when aPrompt gives up, EFileError
// for a file that cannot be opened or a header this program cannot read (before asking).
std::optional<TDiaryKey> UnlockDiaryFile(const QString& aFileName, const TPasswordPrompt& aPrompt);

// Reads a plain diary file as ReadDiaryFile does, or an encrypted one with the password aPrompt
// gives, asking again after a wrong one; throws EPasswordCancelled when aPrompt gives up, and the
// reader's errors as ReadDiaryFile does. aTap sees the file's bytes as they are read (for an
// encrypted file, the bytes on disk).
TOpenedDiary ReadDiaryFileWithPassword(const QString& aFileName, const TPasswordPrompt& aPrompt,
                                       const TFileBytesTap& aTap = {});
// Reads an encrypted diary file with a key already derived (a diary saved or read before, its
// recovery copies); EWrongPassword when it is not the file's key.
std::unique_ptr<TDiary> ReadDiaryFileWithKey(const QString& aFileName, const TDiaryKey& aKey,
                                             const TFileBytesTap& aTap = {});
