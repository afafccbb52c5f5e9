#pragma once

#include "util/Errors.h"

#include <QByteArray>
#include <QSize>

#include <cstdint>
#include <memory>

// Bytes that are no picture the program can show: not JPEG data, or a picture too large to decode.
class EInvalidGraphic : public EKestrovaError {
public:
    using EKestrovaError::EKestrovaError;
};

// An error of the JPEG library itself; the text is "JPEG-Fehler #" and the library's message number.
class EJPEG : public EInvalidGraphic {
public:
    explicit EJPEG(int aCode);
    int Code() const noexcept { return fCode; }

private:
    int fCode;
};

// A decoded picture: 32-bit pixels, each a native-endian word 0xFFRRGGBB, rows without padding.
struct TDecodedPicture {
    QSize Size;       // the decoded size, at most the declared size
    QSize SourceSize; // the size the JPEG declares
    std::unique_ptr<std::uint32_t[]> Pixels;
};

// Limits that keep a small file from making the decoder allocate or work without bound.
struct TJpegLimits {
    // Refused before anything is allocated for the picture: 250 megapixels is far above any camera,
    // while a damaged header may declare 65500 x 65500.
    std::uint64_t MaxDeclaredPixels = 250'000'000;
    // The library's own working memory; a progressive picture keeps all its coefficients, three
    // to six bytes per declared pixel, however small it is decoded: this admits progressive
    // pictures of 85 to 170 megapixels.
    long MaxWorkingMemory = 512L * 1024 * 1024;
    // A progressive picture is refined scan by scan, each scan a pass over the whole picture;
    // encoders write about ten.
    int MaxScans = 100;
};

// Decodes JPEG data with libjpeg-turbo. Warnings (a file cut short, damaged data) do not stop it:
// the picture is decoded as far as its data goes. Errors become EJPEG or EInvalidGraphic; the
// library never prints and never ends the process, and it never reads past the bytes given.
class TJpegDecoder {
public:
    TJpegDecoder() = delete;

    // JPEG data starts with FF D8, then FF Ex (any APPn marker) or FF DB.
    static bool IsJpeg(const QByteArray& aBytes);

    // The bytes of a picture file the user chose, read whole only once its first bytes show JPEG
    // data and its size fits the diary (a 32-bit length): any file may be chosen, and one of
    // gigabytes would otherwise be read to be refused. Throws EInvalidGraphic for a file that is no
    // JPEG or too large, EFileError when it cannot be read.
    static QByteArray ReadPictureFile(const QString& aFileName);

    // The size a picture of aSource is drawn at in a box of aBox: its own size when it fits, never
    // enlarged; otherwise scaled down to fit, keeping its aspect ratio, with sizes truncated to
    // whole pixels (at least one).
    static QSize DrawnSize(QSize aSource, QSize aBox);

    // Decodes at the smallest of libjpeg's scales n/8 whose result is still at least the size the
    // picture is drawn at in aBox, so a large photo is never decoded at full size to be shown small.
    // An empty aBox decodes at full size.
    static TDecodedPicture Decode(const QByteArray& aBytes, QSize aBox, const TJpegLimits& aLimits = {});
};
