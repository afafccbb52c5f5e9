#include "JpegFixture.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

QByteArray TJpegFixture::Make(int aWidth, int aHeight, std::uint32_t aRgb, TKind aKind)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr error{};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);

    const unsigned char r = (aRgb >> 16) & 0xFF, g = (aRgb >> 8) & 0xFF, b = aRgb & 0xFF;
    std::vector<unsigned char> pixel;
    switch (aKind) {
    case TKind::Grayscale:
        info.in_color_space = JCS_GRAYSCALE;
        pixel = {g};
        break;
    case TKind::AdobeCmyk:
        // Stored inverted, as Photoshop does: 255 is no ink.
        info.in_color_space = JCS_CMYK;
        pixel = {r, g, b, 255};
        break;
    default:
        info.in_color_space = JCS_RGB;
        pixel = {r, g, b};
        break;
    }
    info.input_components = int(pixel.size());
    info.image_width = JDIMENSION(aWidth);
    info.image_height = JDIMENSION(aHeight);
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (aKind == TKind::Progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t(aWidth) * pixel.size());
    for (size_t i = 0; i < row.size(); ++i)
        row[i] = pixel[i % pixel.size()];
    JSAMPROW rows[1] = {row.data()};
    while (info.next_scanline < info.image_height)
        jpeg_write_scanlines(&info, rows, 1);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    QByteArray bytes(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return bytes;
}

QByteArray TJpegFixture::WithDeclaredSize(QByteArray aJpeg, int aWidth, int aHeight)
{
    // SOF0 (baseline) or SOF2 (progressive): length, precision, height, width.
    qsizetype at = aJpeg.indexOf(QByteArray("\xFF\xC0", 2));
    if (at < 0)
        at = aJpeg.indexOf(QByteArray("\xFF\xC2", 2));
    if (at < 0)
        return {};
    aJpeg[at + 5] = char(aHeight >> 8);
    aJpeg[at + 6] = char(aHeight & 0xFF);
    aJpeg[at + 7] = char(aWidth >> 8);
    aJpeg[at + 8] = char(aWidth & 0xFF);
    return aJpeg;
}

QByteArray TJpegFixture::CutInHeader(const QByteArray& aJpeg)
{
    return aJpeg.left(aJpeg.indexOf(QByteArray("\xFF\xC4", 2)));
}
