// The fingerprint of a diary file: taken from the bytes as they are read or written, equal to one
// taken from the file afterwards, and telling a change of content from a change of time alone.

#include "document/DiaryPrefetch.h"
#include "document/DiarySave.h"
#include "document/FileFingerprint.h"
#include "model/DiaryFile.h"
#include "support/DiaryFixture.h"
#include "util/Errors.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray Bytes771()
{
    QByteArray bytes;
    for (int i = 0; i < 3; ++i)
        for (int b = 0; b < 256; ++b)
            bytes.append(char(b));
    return bytes + "xyz";
}

bool WriteBytes(const QString& aPath, const QByteArray& aBytes)
{
    QFile file(aPath);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(aBytes) == aBytes.size();
}

QByteArray ReadBytes(const QString& aPath)
{
    QFile file(aPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool SetModified(const QString& aPath, const QDateTime& aTime)
{
    QFile file(aPath);
    return file.open(QIODevice::ReadWrite) && file.setFileTime(aTime, QFileDevice::FileModificationTime);
}

QDateTime Modified(const QString& aPath)
{
    QFile file(aPath);
    return file.fileTime(QFileDevice::FileModificationTime);
}

// A diary whose bytes take every way through the reader: a text longer than a read chunk, a
// picture read straight into its own memory, and bytes after the last day that the reader ignores.
QByteArray AwkwardDiaryFile()
{
    std::unique_ptr<TDiary> diary = MakeSampleDiary();
    diary->DB.back()->Picture = QByteArray(200 * 1024 + 7, 'p');
    return DiaryFixture(*diary, 10) + "trailing bytes";
}

} // namespace

class TestFileFingerprint : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void hashIsXxh64HoweverTheBytesAreSplit_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<quint64>("expected");
        QTest::addRow("empty") << QByteArray() << quint64(0xEF46DB3751D8E999ull);
        QTest::addRow("one byte") << QByteArray("a") << quint64(0xD24EC4F1A98C6E5Bull);
        QTest::addRow("three bytes") << QByteArray("abc") << quint64(0x44BC2CF5AD770999ull);
        QTest::addRow("eight bytes") << QByteArray("Kestrova") << quint64(0x7AF7C6DA0121C63Cull);
        QTest::addRow("stripes and a tail") << Bytes771() << quint64(0xE921A1B45BD779F8ull);
    }

    void hashIsXxh64HoweverTheBytesAreSplit()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(quint64, expected);
        for (const qsizetype piece : {qsizetype(1000), qsizetype(1), qsizetype(7), qsizetype(31), qsizetype(33)}) {
            TFingerprintHash hash;
            for (qsizetype at = 0; at < bytes.size(); at += piece)
                hash.Add(QByteArrayView(bytes.constData() + at, qMin(piece, bytes.size() - at)));
            QCOMPARE(hash.Size(), bytes.size());
            QCOMPARE(hash.Value(), expected);
        }
    }

    // Each way this program gets to know the file gives the fingerprint of the whole file as it
    // lies on disk afterwards, so an untouched file never looks changed.
    void readAndWrittenFingerprintsDescribeTheFile_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("read") << u"read"_s;
        QTest::newRow("read on a second thread") << u"prefetch"_s;
        QTest::newRow("saved") << u"save"_s;
    }

    void readAndWrittenFingerprintsDescribeTheFile()
    {
        QFETCH(QString, way);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"diary.Kestrova"_s);
        QVERIFY(WriteBytes(path, AwkwardDiaryFile()));

        TFileFingerprint fingerprint;
        if (way == u"read"_s) {
            QVERIFY(ReadDiaryFileWithFingerprint(path, fingerprint));
        } else if (way == u"prefetch"_s) {
            TDiaryPrefetch prefetch;
            QVERIFY(prefetch.Start(path));
            QVERIFY(prefetch.Take(path, &fingerprint));
        } else {
            const std::unique_ptr<TDiary> diary = ReadDiaryFile(path);
            fingerprint = SaveDiaryWithBackup(*diary, path, {[] { return QDate(2025, 3, 12); }, 0}).Written;
        }

        QCOMPARE(fingerprint, FingerprintOfFile(path));
        QCOMPARE(fingerprint.Size, QFileInfo(path).size());
        QVERIFY(!FileChangedSince(fingerprint));
    }

    void changesOnDisk_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("changed");
        QTest::newRow("untouched") << u"none"_s << false;
        QTest::newRow("touched, the same bytes") << u"touch"_s << false;
        QTest::newRow("replaced by an equal copy") << u"copy"_s << false;
        QTest::newRow("other bytes of the same size, time kept") << u"same size"_s << true;
        QTest::newRow("grown") << u"grow"_s << true;
        QTest::newRow("deleted") << u"delete"_s << false;
    }

    void changesOnDisk()
    {
        QFETCH(QString, change);
        QFETCH(bool, changed);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"diary.Kestrova"_s);
        QByteArray bytes = AwkwardDiaryFile();
        QVERIFY(WriteBytes(path, bytes));
        TFileFingerprint fingerprint;
        QVERIFY(ReadDiaryFileWithFingerprint(path, fingerprint));
        const QDateTime time = Modified(path);

        if (change == u"touch"_s) {
            QVERIFY(SetModified(path, time.addSecs(3600)));
        } else if (change == u"copy"_s) {
            const QString copy = dir.filePath(u"copy"_s);
            QVERIFY(WriteBytes(copy, bytes));
            QVERIFY(QFile::remove(path));
            QVERIFY(QFile::rename(copy, path));
        } else if (change == u"same size"_s) {
            bytes[bytes.size() / 2] = char(bytes[bytes.size() / 2] ^ 1);
            QVERIFY(WriteBytes(path, bytes));
            QVERIFY(SetModified(path, time));
            QCOMPARE(Modified(path), time);
        } else if (change == u"grow"_s) {
            QVERIFY(WriteBytes(path, bytes + "x"));
        } else if (change == u"delete"_s) {
            QVERIFY(QFile::remove(path));
        }

        QCOMPARE(FileChangedSince(fingerprint), changed);
    }

    void describesTheSameFileUnderAnyPath()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"diary.Kestrova"_s);
        QVERIFY(WriteBytes(path, AwkwardDiaryFile()));
        const TFileFingerprint fingerprint = FingerprintOfFile(path);

        QVERIFY(fingerprint.Describes(dir.path() + u"/./diary.Kestrova"_s));
        const QString link = dir.filePath(u"link.Kestrova"_s);
        QVERIFY(QFile::link(path, link));
        QVERIFY(fingerprint.Describes(link));
        QVERIFY(!fingerprint.Describes(dir.filePath(u"other.Kestrova"_s)));
        QVERIFY(!TFileFingerprint().Describes(path)); // a new diary describes no file
        QVERIFY(!FileChangedSince(TFileFingerprint()));
    }

    void aSaveOverALinkFingerprintsTheFileBehindIt()
    {
        // Saving through a link writes the file it leads to; reading through the link must then
        // find the bytes just written.
        QTemporaryDir dir;
        const QString target = dir.filePath(u"target.Kestrova"_s);
        const QString link = dir.filePath(u"link.Kestrova"_s);
        QVERIFY(WriteBytes(target, AwkwardDiaryFile()));
        QVERIFY(QFile::link(target, link));
        const std::unique_ptr<TDiary> diary = ReadDiaryFile(link);
        diary->DB.front()->Thoughts = u"changed"_s;

        const TFileFingerprint written =
            SaveDiaryWithBackup(*diary, link, {[] { return QDate(2025, 3, 12); }, 0}).Written;
        QCOMPARE(written.FileName, link);
        QVERIFY(!FileChangedSince(written));
        QByteArray other = ReadBytes(target);
        other[other.size() / 3] = char(other[other.size() / 3] ^ 1);
        QVERIFY(WriteBytes(target, other));
        QVERIFY(FileChangedSince(written));
    }

    void aFileThatCannotBeOpenedIsReportedAsTheReaderReportsIt()
    {
        QTemporaryDir dir;
        const auto failure = [](const auto& aRead) {
            try {
                aRead();
            } catch (const EFileError& error) {
                return error.Message();
            }
            return QString();
        };
        for (const QString& name : {u"missing.Kestrova"_s, u"folder.Kestrova"_s}) {
            QVERIFY(QDir(dir.path()).mkpath(u"folder.Kestrova"_s));
            const QString path = dir.filePath(name);
            const QString fingerprinting = failure([&] { FingerprintOfFile(path); });
            QVERIFY2(fingerprinting.startsWith(u"Datei %1 kann nicht geöffnet werden. "_s.arg(path)),
                     qPrintable(fingerprinting));
            QCOMPARE(fingerprinting, failure([&] { ReadDiaryFile(path); }));
        }
    }
};

QTEST_GUILESS_MAIN(TestFileFingerprint)
#include "test_file_fingerprint.moc"
