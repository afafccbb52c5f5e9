// The JPEG decoder: the size a picture is drawn at, the scale it is decoded at, the colours it
// gives, and how it refuses what it cannot or must not decode.

#include "support/JpegFixture.h"
#include "util/JpegDecoder.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>

#include <cstdio>
#include <limits>
#include <optional>
#include <random>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;
using TKind = TJpegFixture::TKind;

Q_DECLARE_METATYPE(TJpegFixture::TKind)
Q_DECLARE_METATYPE(TJpegLimits)

namespace {
const QSize Box(760, 406);

std::uint32_t PixelAt(const TDecodedPicture& aPicture, int aX, int aY)
{
    return aPicture.Pixels[size_t(aY) * size_t(aPicture.Size.width()) + size_t(aX)];
}

// Within what JPEG's rounding leaves of a single colour, alpha always opaque.
bool Near(std::uint32_t aActual, std::uint32_t aExpected)
{
    if ((aActual >> 24) != 0xFF)
        return false;
    for (int shift : {0, 8, 16}) {
        const int a = int((aActual >> shift) & 0xFF), e = int((aExpected >> shift) & 0xFF);
        if (std::abs(a - e) > 4)
            return false;
    }
    return true;
}

// Whatever the library writes to stderr while aWork runs.
QByteArray StandardErrorOf(const std::function<void()>& aWork)
{
    QTemporaryFile capture;
    if (!capture.open())
        return "cannot capture";
    std::fflush(stderr);
    const int saved = dup(2);
    dup2(capture.handle(), 2);
    aWork();
    std::fflush(stderr);
    dup2(saved, 2);
    close(saved);
    capture.seek(0);
    return capture.readAll();
}
} // namespace

class TestJpegDecoder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A chosen file is checked by its first bytes and its size before it is read whole; the large
    // files are sparse, so the test costs no disk and a read of them would show as time.
    void readsAPictureFileOnlyWhenItCanBeOne()
    {
        QTemporaryDir dir;
        const QByteArray jpeg = TJpegFixture::Make(8, 8);
        const auto write = [&dir](const QString& aName, const QByteArray& aStart, qint64 aSize) {
            QFile file(dir.filePath(aName));
            if (!file.open(QIODevice::WriteOnly) || file.write(aStart) != aStart.size() || !file.resize(aSize))
                qFatal("cannot write the picture file");
            return file.fileName();
        };
        const QString small = write(u"small.jpg"_s, jpeg, jpeg.size());
        QCOMPARE(TJpegDecoder::ReadPictureFile(small), jpeg);

        const qint64 tooLarge = qint64(std::numeric_limits<qint32>::max()) + 1;
        const auto refusal = [](const QString& aFile) {
            try {
                TJpegDecoder::ReadPictureFile(aFile);
            } catch (const EInvalidGraphic& error) {
                return error.Message();
            }
            return u"<read>"_s;
        };
        QCOMPARE(refusal(write(u"notes.jpg"_s, "not a picture", tooLarge)), u"Unbekanntes Bildformat"_s);
        const QString large = write(u"large.jpg"_s, jpeg, tooLarge);
        QCOMPARE(refusal(large), u"Die Datei %1 ist zu groß für ein Bild des Tages"_s.arg(large));
        QVERIFY_THROWS_EXCEPTION(EFileError, TJpegDecoder::ReadPictureFile(dir.filePath(u"missing.jpg"_s)));
    }

    void drawnSize_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("drawn");
        QTest::newRow("fits") << QSize(100, 50) << QSize(100, 50);
        QTest::newRow("exactly the box") << QSize(760, 406) << QSize(760, 406);
        QTest::newRow("wide") << QSize(2000, 1000) << QSize(760, 380);
        QTest::newRow("tall") << QSize(1000, 2000) << QSize(203, 406);
        QTest::newRow("twice the box") << QSize(1520, 812) << QSize(760, 406);
        QTest::newRow("wide but the height limits") << QSize(4000, 3000) << QSize(541, 406);
        QTest::newRow("square") << QSize(1000, 1000) << QSize(406, 406);
        QTest::newRow("one pixel too wide") << QSize(761, 406) << QSize(760, 405);
        QTest::newRow("too high only") << QSize(300, 500) << QSize(243, 406);
        QTest::newRow("sliver") << QSize(20000, 5) << QSize(760, 1);
    }
    void drawnSize()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, drawn);
        QCOMPARE(TJpegDecoder::DrawnSize(source, Box), drawn);
    }

    void recognisesJpegByContent_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("jpeg");
        QTest::newRow("JFIF") << QByteArray::fromHex("FFD8FFE0") << true;
        QTest::newRow("Exif") << QByteArray::fromHex("FFD8FFE1") << true;
        QTest::newRow("APP15") << QByteArray::fromHex("FFD8FFEF") << true;
        QTest::newRow("tables first") << QByteArray::fromHex("FFD8FFDB") << true;
        QTest::newRow("frame first") << QByteArray::fromHex("FFD8FFC0") << false;
        QTest::newRow("too short") << QByteArray::fromHex("FFD8FF") << false;
        QTest::newRow("PNG") << QByteArray::fromHex("89504E470D0A1A0A") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void recognisesJpegByContent()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, jpeg);
        QCOMPARE(TJpegDecoder::IsJpeg(bytes), jpeg);
    }

    void decodesAtTheSmallestScaleThatCoversTheDrawnSize_data()
    {
        QTest::addColumn<QSize>("source");
        QTest::addColumn<QSize>("box");
        QTest::addColumn<TKind>("kind");
        QTest::addColumn<QSize>("decoded");
        // 3/8 of 2000 is 750, short of the 760 drawn; 4/8 is the first that covers it.
        QTest::newRow("wide") << QSize(2000, 1000) << Box << TKind::Baseline << QSize(1000, 500);
        QTest::newRow("12 megapixels") << QSize(4000, 3000) << Box << TKind::Baseline << QSize(1000, 750);
        QTest::newRow("exact half") << QSize(1520, 812) << Box << TKind::Baseline << QSize(760, 406);
        QTest::newRow("fits") << QSize(100, 50) << Box << TKind::Baseline << QSize(100, 50);
        QTest::newRow("just too wide") << QSize(761, 406) << Box << TKind::Baseline << QSize(761, 406);
        QTest::newRow("progressive") << QSize(1000, 2000) << Box << TKind::Progressive << QSize(250, 500);
        QTest::newRow("grayscale") << QSize(2000, 1000) << Box << TKind::Grayscale << QSize(1000, 500);
        QTest::newRow("CMYK") << QSize(2000, 1000) << Box << TKind::AdobeCmyk << QSize(1000, 500);
        QTest::newRow("no box: full size") << QSize(2000, 1000) << QSize() << TKind::Baseline << QSize(2000, 1000);
    }
    void decodesAtTheSmallestScaleThatCoversTheDrawnSize()
    {
        QFETCH(QSize, source);
        QFETCH(QSize, box);
        QFETCH(TKind, kind);
        QFETCH(QSize, decoded);
        const std::uint32_t colour = 0xC02850;
        const TDecodedPicture picture =
            TJpegDecoder::Decode(TJpegFixture::Make(source.width(), source.height(), colour, kind), box);
        QCOMPARE(picture.SourceSize, source);
        QCOMPARE(picture.Size, decoded);
        const std::uint32_t expected = kind == TKind::Grayscale ? 0x282828 : colour;
        for (const QPoint& at : {QPoint(0, 0), QPoint(decoded.width() - 1, decoded.height() - 1),
                                 QPoint(decoded.width() / 2, decoded.height() / 3)})
            QVERIFY2(Near(PixelAt(picture, at.x(), at.y()), expected),
                     qPrintable(QString::number(PixelAt(picture, at.x(), at.y()), 16)));
    }

    void truncatedScanDataShowsWhatWasDecoded()
    {
        const QByteArray whole = TJpegFixture::Make(640, 480);
        const TDecodedPicture picture = TJpegDecoder::Decode(whole.left(whole.size() / 2), QSize());
        QCOMPARE(picture.Size, QSize(640, 480));
        QVERIFY(Near(PixelAt(picture, 0, 0), 0xC02850));
    }

    void refusesWhatItCannotDecode_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TJpegLimits>("limits");
        QTest::addColumn<bool>("libraryError"); // EJPEG with the library's number, else our own text
        QTest::addColumn<QString>("text");      // the start of the text
        const QByteArray small = TJpegFixture::Make(64, 48);
        std::mt19937 random(7);
        QByteArray noise = QByteArray::fromHex("FFD8FFE0");
        while (noise.size() < 4096)
            noise.append(char(random()));

        QTest::newRow("not a JPEG") << QByteArray("GIF89a and so on") << TJpegLimits() << false
                                    << u"Unbekanntes Bildformat"_s;
        QTest::newRow("empty") << QByteArray() << TJpegLimits() << false << u"Unbekanntes Bildformat"_s;
        QTest::newRow("cut in the header")
            << TJpegFixture::CutInHeader(small) << TJpegLimits() << true << u"JPEG-Fehler #"_s;
        QTest::newRow("only the start marker") << small.left(4) << TJpegLimits() << true << u"JPEG-Fehler #"_s;
        QTest::newRow("random bytes after a JPEG start") << noise << TJpegLimits() << true << u"JPEG-Fehler #"_s;
        QTest::newRow("declares 60000 x 60000")
            << TJpegFixture::WithDeclaredSize(small, 60000, 60000) << TJpegLimits() << false
            << u"Das Bild ist zu groß (60000 x 60000 Pixel, höchstens 250 Megapixel)"_s;
        QTest::newRow("declared size of zero")
            << TJpegFixture::WithDeclaredSize(small, 0, 48) << TJpegLimits() << true << u"JPEG-Fehler #"_s;
        TJpegLimits fewScans;
        fewScans.MaxScans = 2;
        QTest::newRow("more scans than allowed") << TJpegFixture::Make(64, 48, 0x102030, TKind::Progressive) << fewScans
                                                 << false << u"Das JPEG-Bild hat zu viele Scans (mehr als 2)"_s;
        // A progressive picture keeps every coefficient of the declared size, however small it is
        // shown: here about 48 MB for a file of a few hundred bytes.
        TJpegLimits littleMemory;
        littleMemory.MaxWorkingMemory = 16L * 1024 * 1024;
        QTest::newRow("progressive beyond the working memory")
            << TJpegFixture::WithDeclaredSize(TJpegFixture::Make(64, 48, 0x102030, TKind::Progressive), 4000, 4000)
            << littleMemory << true << u"JPEG-Fehler #"_s;
    }
    void refusesWhatItCannotDecode()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(TJpegLimits, limits);
        QFETCH(bool, libraryError);
        QFETCH(QString, text);
        std::optional<QString> message;
        bool fromLibrary = false;
        const QByteArray printed = StandardErrorOf([&] {
            try {
                TJpegDecoder::Decode(bytes, Box, limits);
            } catch (const EJPEG& error) {
                message = error.Message();
                fromLibrary = error.Code() > 0 && error.Message() == u"JPEG-Fehler #%1"_s.arg(error.Code());
            } catch (const EInvalidGraphic& error) {
                message = error.Message();
            }
        });
        QVERIFY2(message, "decoded without an error");
        QVERIFY2(message->startsWith(text), qPrintable(*message));
        QCOMPARE(fromLibrary, libraryError);
        QCOMPARE(printed, QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestJpegDecoder)
#include "test_jpeg_decoder.moc"
