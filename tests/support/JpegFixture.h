#pragma once

#include <QByteArray>

#include <cstdint>

// Small JPEG files made with libjpeg for the tests: a picture of one colour, in the encodings the
// decoder has to handle, and the damaged forms it has to refuse.
class TJpegFixture {
public:
    enum class TKind { Baseline, Progressive, Grayscale, AdobeCmyk };

    // aRgb is 0xRRGGBB; a grayscale picture takes its green part.
    static QByteArray Make(int aWidth, int aHeight, std::uint32_t aRgb = 0xC02850, TKind aKind = TKind::Baseline);
    // The same bytes with the frame header declaring another size; the data stays that of the
    // original, so decoding runs out of it.
    static QByteArray WithDeclaredSize(QByteArray aJpeg, int aWidth, int aHeight);
    // The bytes up to the first Huffman table: the header ends before the picture starts.
    static QByteArray CutInHeader(const QByteArray& aJpeg);
};
