// Fuzzes the encrypted diary container's reader: any bytes must either open under the key or be
// refused with EFileError (wrong key, damaged, cut, crafted), without a crash, a hang, undefined
// behaviour or an allocation a crafted header asked for.
//
// The key is the test vector's ("correct horse", salt 00 01 ... 0F, 1 pass, 8 KiB), derived once;
// the seed is the test vector itself, so mutations reach the chunks and not only the header.
//   ./build-fuzz/fuzz/fuzz_diary_container -max_total_time=N -rss_limit_mb=2048 build-fuzz/container-corpus fuzz/container-corpus

#include "model/DiaryCrypto.h"
#include "model/DiaryFile.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

const TDiaryKey& VectorKey()
{
    static const TDiaryKey key = [] {
        TKeyDerivation derivation;
        derivation.Passes = 1;
        derivation.MemoryBytes = 8192;
        for (size_t i = 0; i < derivation.Salt.size(); ++i)
            derivation.Salt[i] = static_cast<unsigned char>(i);
        return TDiaryKey::Derive(TSecret::FromText(QStringLiteral("correct horse")), derivation);
    }();
    return key;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    QByteArray bytes(reinterpret_cast<const char*>(aData), qsizetype(aSize));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        ReadKeyDerivation(buffer, QStringLiteral("fuzz"));
        buffer.seek(0);
        const QByteArray plain = DecryptDiary(buffer, VectorKey(), QStringLiteral("fuzz"));
        // What opens is a diary file to the reader, which has its own fuzzer; it must not crash.
        QByteArray copy = plain;
        QBuffer diary(&copy);
        diary.open(QIODevice::ReadOnly);
        ReadDiary(diary);
    } catch (const EFileError&) {
    }
    return 0;
}
