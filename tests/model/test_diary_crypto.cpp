// The encrypted container: a fixed test vector that pins the format, the round trip, and every way
// a container can be wrong (password, cut, flipped, reordered, crafted, from the future), each
// refused with the file named and nothing returned.

#include "DiaryGenerator.h"
#include "model/DiaryCrypto.h"
#include "model/DiaryFile.h"
#include "support/DiaryFixture.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// A diary sealed once by this program with the password "correct horse", the salt 00 01 ... 0F and
// the cheapest costs (1 pass, 8 KiB): any change to the container's layout fails to read it.
const QByteArray VectorContainer = QByteArray::fromHex(
    "4b455354524f5641010000000200000001000000000000000020000000000000000102030405060708090a0b0c0d0e0f"
    "d7fbe88f8abb2fd85ff4024d804df34c000001004244fc2c8181c11ba9194cbe5abe3d8f6b28184a54d15d7567b59d39"
    "296591cb3801e47b55bfd6e42c9822b9602132d7312fdc28ba849972ecee46382e916c259cf1e5ff5aed4cc9878ca6e5"
    "2ed77183bb0015d7467c3203b7e70160da58b7c6ac7e1cf7eb1fe469a1a43269410370c2488b5fb094cf2ae288610c0c"
    "01084919b4573afeec3b04d28198793aedabfa4ce9b297048fa360e30f11fdd951e4c42043423dfc122200f08d3ada38"
    "01b60f446cfcb6ec231fac50407e2968a7c1632a0f9f04a128465dd28f859bd27097a0975f565c8244c9848b4fd103d6"
    "75500c2c6eae99bd9106265d96e474e5878a29c6e109f2a35b9d9e39360a20e20e33e4ec0db6f219674d53c632373f78"
    "23e6729a2df2eb930c791408b94f00d4e9134e69fbfd45f1158212dd2f5be1db16715ab8f0072ae23ca1a7179f416f90"
    "58975ba425371c540805c7721f24a505cbe8d03474dc023f64f75bdfb2639018ab623c592147003a6400ce7d29e8959f"
    "6f8a1962078926770f355886a7321e4b07e0fe34eec26d8991d8965fc3e3dea362e34b82724cb9d4fb63f113b8552d29"
    "6d5c52c78c649f944925b9b02849c14209867d145ba36876d343be3c");
const QString VectorPassword = u"correct horse"_s;

// The cheapest costs: the tests are about the container, not the key derivation's cost.
TKeyDerivation Cheap()
{
    TKeyDerivation derivation = TKeyDerivation::New();
    derivation.Passes = 1;
    derivation.MemoryBytes = 8192;
    return derivation;
}

TDiaryKey KeyOf(const QString& aPassword, const TKeyDerivation& aDerivation)
{
    return TDiaryKey::Derive(TSecret::FromText(aPassword), aDerivation);
}

QByteArray Seal(const QByteArray& aPlain, const TDiaryKey& aKey)
{
    QByteArray sealed;
    QBuffer buffer(&sealed);
    buffer.open(QIODevice::WriteOnly);
    EncryptDiary(aPlain, aKey, buffer);
    return sealed;
}

QByteArray Open(const QByteArray& aSealed, const TDiaryKey& aKey)
{
    QByteArray copy = aSealed;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return DecryptDiary(buffer, aKey, u"d.Kestrova"_s);
}

// The error of opening aSealed with aKey; empty when it opened.
QString OpenError(const QByteArray& aSealed, const TDiaryKey& aKey)
{
    try {
        Open(aSealed, aKey);
    } catch (const EWrongPassword& error) {
        return u"wrong: "_s + error.Message();
    } catch (const EFileError& error) {
        return error.Message();
    }
    return {};
}

constexpr qsizetype HeaderSize = 92;
constexpr qsizetype SealedChunk = 64 * 1024 + 17;

} // namespace

class TestDiaryCrypto : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void vectorOpensToItsDiary()
    {
        QVERIFY(IsEncryptedDiary(VectorContainer));
        QBuffer buffer;
        buffer.setData(VectorContainer);
        buffer.open(QIODevice::ReadOnly);
        const TKeyDerivation derivation = ReadKeyDerivation(buffer, u"vector"_s);
        QCOMPARE(derivation.Passes, quint64(1));
        QCOMPARE(derivation.MemoryBytes, quint64(8192));
        const TDiaryKey key = KeyOf(VectorPassword, derivation);
        const auto diary = ReadDiaryBytes(Open(VectorContainer, key));
        QCOMPARE(diary->Copyright, u"Kestrova test vector"_s);
        QCOMPARE(diary->DB.size(), size_t(1));
        QCOMPARE(diary->DB[0]->Date, 46000.25);
        QCOMPARE(diary->DB[0]->Thoughts, u"Kestrels hover before they strike."_s);
        QCOMPARE(diary->DB[0]->PulseAtMorning, 64.0);
    }

    void plainDiariesAreNeverTakenForContainers()
    {
        for (qint32 version = 1; version <= 10; ++version)
            QVERIFY(!IsEncryptedDiary(DiaryFixture(*MakeSampleDiary(), version)));
    }

    void roundTripKeepsEveryByte_data()
    {
        QTest::addColumn<QByteArray>("plain");
        const QByteArray sample = WrittenDiary(*MakeSampleDiary());
        QTest::newRow("a sample diary") << sample;
        QTest::newRow("ten years") << WrittenDiary(*MakeTenYearDiary());
        // Sizes around the chunk size: the last chunk full, one byte over, one byte short.
        for (const qsizetype size : std::initializer_list<qsizetype>{0, 1, 64 * 1024 - 1, 64 * 1024, 64 * 1024 + 1, 3 * 64 * 1024})
            QTest::newRow(qPrintable(u"%1 bytes"_s.arg(size))) << sample.repeated(size / sample.size() + 1).left(size);
    }
    void roundTripKeepsEveryByte()
    {
        QFETCH(QByteArray, plain);
        const TDiaryKey key = KeyOf(u"pass"_s, Cheap());
        const QByteArray sealed = Seal(plain, key);
        QCOMPARE(Open(sealed, key), plain);
        // Sealed afresh every time: the same diary never gives the same bytes twice.
        QVERIFY(Seal(plain, key) != sealed);
    }

    // The diary's writer fills the sealer's chunk in place and the reader takes whole chunks
    // decrypted into its own buffer; a picture longer than a chunk passes both ways in pieces that
    // do not line up with the chunks. Whatever the size, the file is the container EncryptDiary
    // makes of the same bytes: a last chunk that is full is the last one (no empty chunk after it),
    // as files written before expect.
    void diaryFilesSealedInPlaceReadBack_data()
    {
        QTest::addColumn<qint64>("fileSize"); // the plain diary file's size; 0: a picture of 200 000 bytes
        QTest::newRow("a picture across chunks") << qint64(0);
        for (const qint64 size : {3 * 64 * 1024 - 1, 3 * 64 * 1024, 3 * 64 * 1024 + 1, 5 * 64 * 1024, 5 * 64 * 1024 + 7})
            QTest::newRow(qPrintable(u"%1 bytes"_s.arg(size))) << size;
    }
    void diaryFilesSealedInPlaceReadBack()
    {
        QFETCH(qint64, fileSize);
        auto diary = MakeSampleDiary();
        TDay* day = diary->DB.front().get();
        day->Picture = QByteArray(200000, 'p');
        if (fileSize > 0) {
            const qint64 other = WrittenDiary(*diary).size() - day->Picture.size();
            QVERIFY(fileSize > other);
            day->Picture = QByteArray(qsizetype(fileSize - other), 'p');
        }
        for (qsizetype i = 0; i < day->Picture.size(); i += 4093)
            day->Picture[i] = char(i / 4093); // no two chunks alike
        const QByteArray plain = WrittenDiary(*diary);
        QVERIFY(fileSize == 0 || plain.size() == fileSize);

        const TDiaryKey key = KeyOf(u"pass"_s, Cheap());
        QTemporaryDir folder;
        const QString file = folder.filePath(u"d.Kestrova"_s);
        WriteDiaryFile(*diary, file, {}, {}, &key);
        QFile sealed(file);
        QVERIFY(sealed.open(QIODevice::ReadOnly));
        QCOMPARE(sealed.size(), Seal(plain, key).size());
        QCOMPARE(DecryptDiary(sealed, key, file), plain);
        QCOMPARE(WrittenDiary(*ReadDiaryFileWithKey(file, key)), plain);
    }

    // Reads of any size, smaller and larger than a chunk and mixed, hand on every byte once.
    void readsOfAnySizeGetEveryByte_data()
    {
        QTest::addColumn<QList<qint64>>("sizes"); // taken in turn until the end
        QTest::newRow("a byte at a time, then whole chunks") << QList<qint64>{1, 64 * 1024};
        QTest::newRow("odd pieces around a chunk") << QList<qint64>{1000, 64 * 1024 + 3, 7, 200000};
        QTest::newRow("more than the whole") << QList<qint64>{1 << 20};
    }
    void readsOfAnySizeGetEveryByte()
    {
        QFETCH(QList<qint64>, sizes);
        const TDiaryKey key = KeyOf(u"pass"_s, Cheap());
        QByteArray plain(5 * 64 * 1024 + 321, Qt::Uninitialized);
        for (qsizetype i = 0; i < plain.size(); ++i)
            plain[i] = char((i * 7919) >> 5);
        QByteArray sealed = Seal(plain, key);
        QBuffer buffer(&sealed);
        buffer.open(QIODevice::ReadOnly);
        TDecryptingDevice device(buffer, key, u"d.Kestrova"_s);
        QCOMPARE(device.size(), qint64(plain.size()));
        QByteArray read;
        QByteArray piece;
        for (qsizetype turn = 0;; ++turn) {
            piece.resize(qsizetype(sizes[turn % sizes.size()]));
            const qint64 got = device.read(piece.data(), piece.size());
            QVERIFY2(got >= 0, qPrintable(device.Problem()));
            if (got == 0)
                break;
            read.append(piece.constData(), qsizetype(got));
        }
        device.Finish();
        QCOMPARE(read.size(), plain.size());
        QVERIFY(read == plain);
    }

    void wrongPasswordIsToldApart()
    {
        const TKeyDerivation derivation = Cheap();
        const QByteArray sealed = Seal(WrittenDiary(*MakeSampleDiary()), KeyOf(u"right"_s, derivation));
        QCOMPARE(OpenError(sealed, KeyOf(u"wrong"_s, derivation)), u"wrong: The password for d.Kestrova is wrong."_s);
        QCOMPARE(OpenError(sealed, KeyOf(u"right"_s, Cheap())), u"wrong: The password for d.Kestrova is wrong."_s);
    }

    void damagedContainersAreRefused_data()
    {
        QTest::addColumn<QByteArray>("sealed");
        QTest::addColumn<QString>("problem");

        const TKeyDerivation derivation = Cheap();
        const TDiaryKey key = KeyOf(u"pass"_s, derivation);
        // Three full chunks and a short last one.
        const QByteArray plain = WrittenDiary(*MakeSampleDiary()).repeated(100).left(3 * 64 * 1024 + 500);
        const QByteArray sealed = Seal(plain, key);
        QCOMPARE(sealed.size(), HeaderSize + 3 * SealedChunk + 500 + 17);

        for (int chunks = 0; chunks <= 3; ++chunks)
            QTest::newRow(qPrintable(u"cut after %1 chunks"_s.arg(chunks)))
                << sealed.left(HeaderSize + chunks * SealedChunk)
                << u"it was cut short after %1 chunks"_s.arg(chunks);
        QTest::newRow("cut inside the first chunk") << sealed.left(HeaderSize + 1000) << u"chunk 1 fails its check"_s;
        QTest::newRow("cut inside the last chunk") << sealed.chopped(1) << u"chunk 4 fails its check"_s;
        QTest::newRow("cut within the header") << sealed.left(50) << u"it ends within its header"_s;
        // Read with the last chunk, a byte after the end breaks that chunk; after a full last chunk it
        // is found on its own.
        QTest::newRow("a byte after a short last chunk") << sealed + "x" << u"chunk 4 fails its check"_s;
        QTest::newRow("a byte after a full last chunk")
            << Seal(plain.left(2 * 64 * 1024), key) + "x" << u"it goes on after its last chunk"_s;

        QByteArray swapped = sealed;
        swapped.replace(HeaderSize, SealedChunk, sealed.mid(HeaderSize + SealedChunk, SealedChunk));
        swapped.replace(HeaderSize + SealedChunk, SealedChunk, sealed.mid(HeaderSize, SealedChunk));
        QTest::newRow("first two chunks swapped") << swapped << u"chunk 1 fails its check"_s;
        QByteArray dropped = sealed;
        dropped.remove(HeaderSize + SealedChunk, SealedChunk);
        QTest::newRow("a chunk left out") << dropped << u"chunk 2 fails its check"_s;

        // A flipped bit in the stream header, each chunk's start, middle and tag.
        const auto flipped = [&sealed](qsizetype aAt) {
            QByteArray copy = sealed;
            copy[aAt] = char(copy[aAt] ^ 0x10);
            return copy;
        };
        QTest::newRow("bit flipped in the stream header") << flipped(HeaderSize - 1) << u"chunk 1 fails its check"_s;
        for (int chunk = 0; chunk < 4; ++chunk) {
            const qsizetype start = HeaderSize + chunk * SealedChunk;
            const qsizetype end = chunk < 3 ? start + SealedChunk : sealed.size();
            for (const qsizetype at : {start, (start + end) / 2, end - 1})
                QTest::newRow(qPrintable(u"bit flipped at byte %1"_s.arg(at)))
                    << flipped(at) << u"chunk %1 fails its check"_s.arg(chunk + 1);
        }
        // The header is authenticated with the first chunk: a chunk size still in range is caught there.
        QTest::newRow("bit flipped in the chunk size") << flipped(64) << u"chunk 1 fails its check"_s;
    }
    void damagedContainersAreRefused()
    {
        QFETCH(QByteArray, sealed);
        QFETCH(QString, problem);
        QBuffer buffer;
        buffer.setData(sealed);
        buffer.open(QIODevice::ReadOnly);
        // The key the container was sealed with, derived again from its own header.
        TKeyDerivation own;
        try {
            own = ReadKeyDerivation(buffer, u"d.Kestrova"_s);
        } catch (const EFileError& error) {
            QVERIFY2(error.Message().contains(problem), qPrintable(error.Message()));
            return;
        }
        const QString error = OpenError(sealed, KeyOf(u"pass"_s, own));
        QVERIFY2(error.startsWith(u"The encrypted diary file d.Kestrova is damaged: "_s) && error.contains(problem),
                 qPrintable(error));
    }

    void craftedHeadersAreRefusedBeforeAnythingIsDerived_data()
    {
        QTest::addColumn<qsizetype>("at");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("problem");
        const auto le = [](quint64 aValue, int aBytes) {
            QByteArray bytes;
            for (int i = 0; i < aBytes; ++i)
                bytes += char(aValue >> (8 * i));
            return bytes;
        };
        QTest::newRow("a container of a future version")
            << qsizetype(8) << le(2, 4) << u"its container version 2 is newer than this program reads"_s;
        QTest::newRow("an unknown key derivation") << qsizetype(12) << le(1, 4) << u"its key derivation 1 is unknown"_s;
        QTest::newRow("absurd passes") << qsizetype(16) << le(quint64(1) << 40, 8) << u"passes"_s;
        QTest::newRow("no passes") << qsizetype(16) << le(0, 8) << u"asks for 0 passes"_s;
        QTest::newRow("absurd memory") << qsizetype(24) << le(quint64(1) << 45, 8) << u"bytes of memory"_s;
        QTest::newRow("chunk size 0") << qsizetype(64) << le(0, 4) << u"its chunk size 0 is out of range"_s;
    }
    void craftedHeadersAreRefusedBeforeAnythingIsDerived()
    {
        QFETCH(qsizetype, at);
        QFETCH(QByteArray, value);
        QFETCH(QString, problem);
        QByteArray crafted = VectorContainer;
        crafted.replace(at, value.size(), value);
        QBuffer buffer(&crafted);
        buffer.open(QIODevice::ReadOnly);
        QElapsedTimer timer;
        timer.start();
        try {
            ReadKeyDerivation(buffer, u"d.Kestrova"_s);
            QFAIL("the crafted header was accepted");
        } catch (const EFileError& error) {
            QVERIFY2(error.Message().startsWith(u"The encrypted diary file d.Kestrova is damaged: "_s) &&
                         error.Message().contains(problem),
                     qPrintable(error.Message()));
        }
        QVERIFY(timer.elapsed() < 1000);
    }
};

QTEST_GUILESS_MAIN(TestDiaryCrypto)
#include "test_diary_crypto.moc"
