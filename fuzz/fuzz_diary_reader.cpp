// Fuzzes the diary file reader: any input must either read or fail with EFileError, without a
// crash, a hang, undefined behaviour or a large allocation. An input that reads must also survive
// a save and a second read unchanged, which catches a reader and writer that disagree.
//
// Run for N seconds (seeds in fuzz/corpus, findings kept in build-fuzz/corpus):
//   bash scripts/kestrova.sh fuzz N
// or by hand, after building with clang:
//   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKESTROVA_BUILD_FUZZ=ON \
//       -DKESTROVA_BUILD_TESTS=OFF -DKESTROVA_BUILD_BENCH=OFF -DKESTROVA_BUILD_GUI=OFF
//   ninja -C build-fuzz && mkdir -p build-fuzz/corpus
//   ./build-fuzz/fuzz/fuzz_diary_reader -max_total_time=N -rss_limit_mb=2048 build-fuzz/corpus fuzz/corpus

#include "FuzzSupport.h"
#include "model/DiaryCopy.h"
#include "model/DiaryFile.h"
#include "util/Errors.h"

#include <QBuffer>

#include <cstdint>
#include <cstdlib>

namespace {

std::unique_ptr<TDiary> Read(const QByteArray& aBytes)
{
    QBuffer buffer;
    buffer.setData(aBytes);
    buffer.open(QIODevice::ReadOnly);
    return ReadDiary(buffer);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char*>(aData), qsizetype(aSize));
    {
        // Told a wrong place, or a file that is no diary, the read of the last page alone says so
        // rather than failing in any other way.
        QBuffer buffer;
        buffer.setData(input);
        buffer.open(QIODevice::ReadOnly);
        const qint64 start = aSize < 4 ? 0 : qint64(aData[aSize - 1]) << 8 | aData[aSize - 2];
        ReadDiaryLastDay(buffer, start, aSize < 4 ? 1 : aData[aSize - 3] % 8 + 1);
    }
    std::unique_ptr<TDiary> diary;
    try {
        diary = Read(input);
    } catch (const EFileError&) {
        return 0;
    }
    const QByteArray once = SavedBytes(*diary);
    std::unique_ptr<TDiary> again;
    try {
        again = Read(once);
    } catch (const EFileError&) {
        std::abort(); // a diary that was read must stay readable once saved
    }
    if (SavedBytes(*again) != once)
        std::abort();

    // A later start reads the last page alone, where its written size says it begins: it must be
    // the last page of the whole read.
    if (!again->DB.empty()) {
        QBuffer saved;
        saved.setData(once);
        saved.open(QIODevice::ReadOnly);
        const qint64 start = once.size() - WrittenDaySize(*again->DB.back());
        std::optional<TDiaryDayRead> last = ReadDiaryLastDay(saved, start, qint64(again->DB.size()));
        if (!last || !last->Head->DB.empty())
            std::abort();
        last->Head->DB.push_back(std::move(last->Day));
        TDiary expected;
        expected.Copyright = again->Copyright;
        expected.DB.push_back(CopyDay(*again->DB.back()));
        if (SavedBytes(*last->Head) != SavedBytes(expected))
            std::abort();
    }
    return 0;
}
