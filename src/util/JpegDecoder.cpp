#include "util/JpegDecoder.h"

#include "util/FileAccess.h"

#include <QFile>
#include <QString>
#include <QSysInfo>

#include <algorithm>
#include <climits>
#include <limits>
#include <cmath>
#include <csetjmp>
#include <cstdio> // jpeglib.h uses FILE and size_t without including their headers

#include <jerror.h>
#include <jpeglib.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// libjpeg reports an error by calling error_exit, which must not return. It longjmps back into the
// step that called the library; every step is a plain function whose frame holds no object with a
// destructor, and everything the steps share lives in TJob, outside those frames, so nothing is
// skipped or left in a register by the jump.
struct TErrorManager {
    jpeg_error_mgr Public; // first member: the library sees only this part
    std::jmp_buf Jump;
    int Code = 0;
    bool TooManyScans = false;
};

struct TScanCounter {
    jpeg_progress_mgr Public; // first member, as above
    int MaxScans = 0;
};

struct TJob {
    jpeg_decompress_struct Info{};
    TErrorManager Error{};
    TScanCounter Scans{};

    TJob() = default;
    TJob(const TJob&) = delete;
    TJob& operator=(const TJob&) = delete;
    // Safe also when creation failed half-way: the library frees only what it allocated.
    ~TJob() { jpeg_destroy_decompress(&Info); }
};

[[noreturn]] void ErrorExit(j_common_ptr aInfo)
{
    auto* error = reinterpret_cast<TErrorManager*>(aInfo->err);
    error->Code = aInfo->err->msg_code;
    std::longjmp(error->Jump, 1);
}

// Warnings (data cut short, a damaged block) are not errors: the picture is decoded as far as it
// goes. Nothing is ever printed.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

void CountScans(j_common_ptr aInfo)
{
    auto* info = reinterpret_cast<j_decompress_ptr>(aInfo);
    auto* scans = reinterpret_cast<TScanCounter*>(aInfo->progress);
    if (info->input_scan_number > scans->MaxScans) {
        auto* error = reinterpret_cast<TErrorManager*>(aInfo->err);
        error->TooManyScans = true;
        std::longjmp(error->Jump, 1);
    }
}

// The pixel layout of TDecodedPicture: the word 0xFFRRGGBB in the machine's byte order.
constexpr J_COLOR_SPACE NativeWordLayout = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;

// Each step returns false when the library stopped with an error.

bool ReadHeader(TJob* aJob, const unsigned char* aData, unsigned long aSize, long aMaxMemory)
{
    if (setjmp(aJob->Error.Jump))
        return false;
    jpeg_create_decompress(&aJob->Info);
    aJob->Info.mem->max_memory_to_use = aMaxMemory;
    aJob->Info.progress = &aJob->Scans.Public;
    jpeg_mem_src(&aJob->Info, aData, aSize);
    jpeg_read_header(&aJob->Info, TRUE);
    return true;
}

bool ChooseScale(TJob* aJob, unsigned aMinWidth, unsigned aMinHeight)
{
    if (setjmp(aJob->Error.Jump))
        return false;
    jpeg_decompress_struct& info = aJob->Info;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : NativeWordLayout;
    info.scale_denom = 8;
    for (unsigned n = 1; n <= 8; ++n) {
        info.scale_num = n;
        jpeg_calc_output_dimensions(&info);
        if (info.output_width >= aMinWidth && info.output_height >= aMinHeight)
            break;
    }
    return true;
}

bool ReadPixels(TJob* aJob, std::uint32_t* aPixels)
{
    if (setjmp(aJob->Error.Jump))
        return false;
    jpeg_decompress_struct& info = aJob->Info;
    jpeg_start_decompress(&info);
    // The size was fixed by ChooseScale and the buffer allocated for it.
    if (info.output_components != 4)
        ERREXIT(&info, JERR_CONVERSION_NOTIMPL);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[8];
        const JDIMENSION count = std::min<JDIMENSION>(8, info.output_height - info.output_scanline);
        for (JDIMENSION i = 0; i < count; ++i)
            rows[i] = reinterpret_cast<JSAMPROW>(aPixels + size_t(info.output_scanline + i) * info.output_width);
        jpeg_read_scanlines(&info, rows, count);
    }
    return true;
}

// Photoshop, the usual source of CMYK JPEGs, stores the inks inverted and marks such files with
// its APP14 marker; a CMYK file without it stores them as they are.
void CmykToNativeWords(std::uint32_t* aPixels, size_t aCount, bool aInverted)
{
    auto* bytes = reinterpret_cast<unsigned char*>(aPixels);
    for (size_t i = 0; i < aCount; ++i) {
        const unsigned char* p = bytes + 4 * i;
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        if (!aInverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        const std::uint32_t r = c * k / 255, g = m * k / 255, b = y * k / 255;
        aPixels[i] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

[[noreturn]] void ThrowFor(const TJob& aJob, int aMaxScans)
{
    if (aJob.Error.TooManyScans)
        throw EInvalidGraphic(u"Das JPEG-Bild hat zu viele Scans (mehr als %1)"_s.arg(aMaxScans));
    throw EJPEG(aJob.Error.Code);
}

} // namespace

EJPEG::EJPEG(int aCode) : EInvalidGraphic(u"JPEG-Fehler #%1"_s.arg(aCode)), fCode(aCode) {}

bool TJpegDecoder::IsJpeg(const QByteArray& aBytes)
{
    if (aBytes.size() < 4)
        return false;
    const auto b = [&](int i) { return static_cast<unsigned char>(aBytes[i]); };
    return b(0) == 0xFF && b(1) == 0xD8 && b(2) == 0xFF && ((b(3) & 0xF0) == 0xE0 || b(3) == 0xDB);
}

QByteArray TJpegDecoder::ReadPictureFile(const QString& aFileName)
{
    QFile file(aFileName);
    OpenForReading(file);
    if (!IsJpeg(file.peek(4)))
        throw EInvalidGraphic(u"Unbekanntes Bildformat"_s);
    if (file.size() > std::numeric_limits<qint32>::max())
        throw EInvalidGraphic(u"Die Datei %1 ist zu groß für ein Bild des Tages"_s.arg(aFileName));
    return ReadRest(file);
}

QSize TJpegDecoder::DrawnSize(QSize aSource, QSize aBox)
{
    const int w = aSource.width(), h = aSource.height();
    if (w <= 0 || h <= 0 || (w <= aBox.width() && h <= aBox.height()))
        return aSource;
    const double a = double(w) / double(h);
    const double boxWidth = aBox.width(), boxHeight = aBox.height();
    double width, height;
    if (w > h) {
        width = boxWidth;
        height = std::trunc(boxWidth / a);
        if (height > boxHeight) {
            height = boxHeight;
            width = std::trunc(boxHeight * a);
        }
    } else {
        height = boxHeight;
        width = std::trunc(boxHeight * a);
        if (width > boxWidth) {
            width = boxWidth;
            height = std::trunc(boxWidth / a);
        }
    }
    // A sliver of a picture would truncate to nothing; it is drawn one pixel thick instead.
    return QSize(std::max(1, int(width)), std::max(1, int(height)));
}

TDecodedPicture TJpegDecoder::Decode(const QByteArray& aBytes, QSize aBox, const TJpegLimits& aLimits)
{
    if (!IsJpeg(aBytes))
        throw EInvalidGraphic(u"Unbekanntes Bildformat"_s);

    TJob job;
    job.Info.err = jpeg_std_error(&job.Error.Public);
    job.Error.Public.error_exit = ErrorExit;
    job.Error.Public.emit_message = EmitMessage;
    job.Error.Public.output_message = OutputMessage;
    job.Scans.Public.progress_monitor = CountScans;
    job.Scans.MaxScans = aLimits.MaxScans;

    const auto* data = reinterpret_cast<const unsigned char*>(aBytes.constData());
    if (!ReadHeader(&job, data, static_cast<unsigned long>(aBytes.size()), aLimits.MaxWorkingMemory))
        ThrowFor(job, aLimits.MaxScans);

    const std::uint64_t declaredWidth = job.Info.image_width, declaredHeight = job.Info.image_height;
    if (declaredWidth * declaredHeight > aLimits.MaxDeclaredPixels)
        throw EInvalidGraphic(u"Das Bild ist zu groß (%1 x %2 Pixel, höchstens %3 Megapixel)"_s.arg(declaredWidth)
                                  .arg(declaredHeight)
                                  .arg(aLimits.MaxDeclaredPixels / 1'000'000));

    TDecodedPicture picture;
    picture.SourceSize = QSize(int(declaredWidth), int(declaredHeight));
    const QSize drawn = aBox.isEmpty() ? picture.SourceSize : DrawnSize(picture.SourceSize, aBox);
    if (!ChooseScale(&job, unsigned(drawn.width()), unsigned(drawn.height())))
        ThrowFor(job, aLimits.MaxScans);

    picture.Size = QSize(int(job.Info.output_width), int(job.Info.output_height));
    const size_t count = size_t(job.Info.output_width) * job.Info.output_height;
    picture.Pixels = std::make_unique_for_overwrite<std::uint32_t[]>(count);
    if (!ReadPixels(&job, picture.Pixels.get()))
        ThrowFor(job, aLimits.MaxScans);
    if (job.Info.out_color_space == JCS_CMYK)
        CmykToNativeWords(picture.Pixels.get(), count, job.Info.saw_Adobe_marker);
    return picture;
}
