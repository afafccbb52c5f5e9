// Fuzzes the JPEG decoder: any bytes must either decode into a picture no larger than the size
// they declare, every pixel written, or fail with EInvalidGraphic, without a crash, a read past
// the bytes, a hang, undefined behaviour or output on the terminal.
//
// Run for N seconds after building as for fuzz_diary_reader (see that file):
//   ./build-fuzz/fuzz/fuzz_jpeg_decoder -max_total_time=N -rss_limit_mb=2048 build-fuzz/jpeg-corpus fuzz/jpeg-corpus

#include "util/JpegDecoder.h"

#include <QByteArray>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    // Not copied, so a read of ours past the input shows; libjpeg itself is not instrumented here.
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(aData), qsizetype(aSize));
    // Smaller than the program's limits so that every input runs quickly; the checks are the same.
    TJpegLimits limits;
    limits.MaxDeclaredPixels = 4'000'000;
    limits.MaxWorkingMemory = 64L * 1024 * 1024;
    limits.MaxScans = 100;
    const QSize box(760, 406);
    try {
        const TDecodedPicture picture = TJpegDecoder::Decode(bytes, box, limits);
        const QSize drawn = TJpegDecoder::DrawnSize(picture.SourceSize, box);
        if (picture.Size.width() > picture.SourceSize.width() || picture.Size.height() > picture.SourceSize.height() ||
            picture.Size.width() < drawn.width() || picture.Size.height() < drawn.height())
            std::abort(); // decoded larger than declared, or smaller than it is drawn
        if (drawn.width() > box.width() || drawn.height() > box.height() || drawn.isEmpty())
            std::abort();
        const size_t count = size_t(picture.Size.width()) * size_t(picture.Size.height());
        for (size_t i = 0; i < count; ++i)
            if ((picture.Pixels[i] >> 24) != 0xFF)
                std::abort(); // a pixel the decoder never wrote
    } catch (const EInvalidGraphic&) {
    }
    return 0;
}
