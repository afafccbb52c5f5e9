#pragma once

#include "model/Records.h"
#include "util/FileAccess.h"

#include <QByteArrayView>
#include <QFile>
#include <QString>

#include <memory>
#include <optional>

#include <xxhash.h>

// A fast 64-bit hash of a byte stream fed in pieces of any size (XXH64 with seed 0): the same
// bytes give the same value however they were split, so a file hashed while the diary reader
// pulls it in, chunk by chunk and picture by picture, compares with the same file hashed in one
// sweep. Not a defence against someone forging a file, only against an unnoticed overwrite.
class TFingerprintHash {
public:
    TFingerprintHash();
    ~TFingerprintHash();
    TFingerprintHash(TFingerprintHash&&) noexcept;
    TFingerprintHash& operator=(TFingerprintHash&&) noexcept;
    void Add(QByteArrayView aBytes);
    quint64 Value() const;
    qint64 Size() const { return fTotal; }

private:
    struct TFreeState {
        void operator()(XXH64_state_t* aState) const { XXH64_freeState(aState); }
    };
    std::unique_ptr<XXH64_state_t, TFreeState> fState;
    qint64 fTotal = 0;
};

// A diary file as this program last read or wrote it: its name, its size and a hash of its bytes.
// Kept so that a save can tell whether someone else (a synchronised folder, a second window) has
// changed the file since, before replacing it.
//
// The modification time is not part of it: it can decide nothing. A sync tool may write other
// bytes and keep the time, and a touch or a sync that rewrites the same bytes changes the time
// alone; only the size and the bytes say whether the content is another.
struct TFileFingerprint {
    QString FileName; // the name the file was read or written under; empty: no file (a new diary)
    qint64 Size = -1;
    quint64 Hash = 0;

    bool IsKnown() const { return !FileName.isEmpty(); }
    // Whether aFileName names the file this fingerprint describes, under whatever spelling of its
    // path or through whatever link.
    bool Describes(const QString& aFileName) const;
    bool operator==(const TFileFingerprint&) const = default;
};

// Reads a diary as ReadDiaryFile does (its errors included) and fingerprints the file from the
// same bytes, without a second read of the file. With aStamp, *aStamp becomes the file's stamp
// when nothing wrote the file while it was read (nullopt otherwise).
std::unique_ptr<TDiary> ReadDiaryFileWithFingerprint(const QString& aFileName, TFileFingerprint& aFingerprint,
                                                     std::optional<TFileStamp>* aStamp = nullptr);
// The same from aFile, open for reading at its start, whose name is aFileName.
std::unique_ptr<TDiary> ReadDiaryFileWithFingerprint(QFile& aFile, const QString& aFileName,
                                                     TFileFingerprint& aFingerprint,
                                                     std::optional<TFileStamp>* aStamp = nullptr);

// The fingerprint of the file as it is now, from one read of it. Throws EFileError when it cannot
// be read.
TFileFingerprint FingerprintOfFile(const QString& aFileName);

// Whether the file aFingerprint describes now holds other content than it did: a different size,
// or the same size with other bytes. A file that no longer exists is no change to protect (saving
// recreates it), and neither is an unknown fingerprint. A file that exists but cannot be read
// counts as changed: nothing shows it still holds what was read.
bool FileChangedSince(const TFileFingerprint& aFingerprint);
