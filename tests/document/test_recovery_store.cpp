// The recovery copies on disk: one file per diary and session, which copies are offered, what
// happens to a copy that cannot be read, and the writing beside the caller.
#include "document/RecoveryStore.h"
#include "model/DiaryFile.h"
#include "support/DiaryFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <system_error>

using namespace Qt::Literals::StringLiterals;

namespace {

std::unique_ptr<TDiary> DiaryWithThoughts(const QString& aThoughts)
{
    auto diary = std::make_unique<TDiary>();
    diary->GetDay(45000.5)->Thoughts = aThoughts;
    return diary;
}

std::shared_ptr<const TDiarySnapshot> SnapshotWithThoughts(const QString& aThoughts)
{
    return TDiarySnapshotter().Take(*DiaryWithThoughts(aThoughts));
}

QString ThoughtsOf(const TDiary& aDiary)
{
    return aDiary.DB.empty() ? QString() : aDiary.DB.front()->Thoughts;
}

QByteArray Bytes(const QString& aFile)
{
    QFile file(aFile);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QStringList Files(const QList<TRecoveryCopy>& aCopies)
{
    QStringList files;
    for (const TRecoveryCopy& copy : aCopies)
        files << copy.File;
    return files;
}

// A diary file whose last modification lies at aModified.
QString DiaryFileModifiedAt(const QString& aFile, const QDateTime& aModified)
{
    WriteDiaryFile(*DiaryWithThoughts(u"as saved"_s), aFile);
    QFile file(aFile);
    if (!file.open(QIODevice::ReadWrite) || !file.setFileTime(aModified, QFileDevice::FileModificationTime))
        qFatal("cannot date the diary file");
    return aFile;
}

// The copy a session wrote before it ended, as a run that died leaves it.
QString CopyOfEndedSession(const QString& aFolder, const QString& aDiaryPath, const QString& aThoughts,
                           const QDateTime& aTaken)
{
    TRecoveryStore ended(aFolder);
    return ended.Write(*DiaryWithThoughts(aThoughts), aDiaryPath, aTaken).File;
}

} // namespace

class TestRecoveryStore : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        fDir = std::make_unique<QTemporaryDir>();
        QVERIFY(fDir->isValid());
        fFolder = fDir->filePath(u"recovery"_s);
    }

    void writtenCopyReadsBackWithItsRecord()
    {
        TRecoveryStore store(fFolder);
        const QString diaryPath = fDir->filePath(u"sub/../d.Kestrova"_s);
        const QDateTime taken = QDateTime::currentDateTimeUtc();
        const std::unique_ptr<TDiary> sample = MakeSampleDiary();

        const TRecoveryCopy copy = store.Write(*sample, diaryPath, taken);

        QCOMPARE(copy.File, store.OwnCopyFile(diaryPath));
        QCOMPARE(copy.DiaryPath, fDir->filePath(u"d.Kestrova"_s));
        QCOMPARE(QFileInfo(copy.File).absolutePath(), QFileInfo(fFolder).absoluteFilePath());
        TRecoveryRead read = store.Read(copy);
        QVERIFY(read.Diary);
        QCOMPARE(WrittenDiary(*read.Diary), WrittenDiary(*sample));

        QFile record(copy.File.chopped(9) + u".json"_s);
        QVERIFY(record.open(QIODevice::ReadOnly));
        const QJsonObject fields = QJsonDocument::fromJson(record.readAll()).object();
        QCOMPARE(fields.value(u"diary"_s).toString(), copy.DiaryPath);
        QCOMPARE(QDateTime::fromString(fields.value(u"written"_s).toString(), Qt::ISODateWithMs), taken);

        // Nothing but the copy, its record and the session's lock: the temporary file is gone.
        QCOMPARE(QDir(fFolder).entryList(QDir::Files | QDir::Hidden).size(), 3);
        store.Remove(copy.File);
        QCOMPARE(QDir(fFolder).entryList(QDir::Files | QDir::Hidden), QStringList{store.Session() + u".lock"_s});
    }

    void offersCopiesOfEndedRunsNewerThanTheFile()
    {
        const QDateTime saved = QDateTime::currentDateTimeUtc().addSecs(-3600);
        const QString diary = DiaryFileModifiedAt(fDir->filePath(u"d.Kestrova"_s), saved);
        const QString other = DiaryFileModifiedAt(fDir->filePath(u"other.Kestrova"_s), saved);

        const QString older = CopyOfEndedSession(fFolder, diary, u"older"_s, saved.addSecs(60));
        const QString newer = CopyOfEndedSession(fFolder, diary, u"newer"_s, saved.addSecs(120));
        CopyOfEndedSession(fFolder, diary, u"before the save"_s, saved.addSecs(-60));
        const QString ofOther = CopyOfEndedSession(fFolder, other, u"other"_s, saved.addSecs(60));
        const QString neverSaved = CopyOfEndedSession(fFolder, QString(), u"new"_s, saved.addSecs(60));

        TRecoveryStore running(fFolder); // another window still working on the diary
        running.Write(*DiaryWithThoughts(u"live"_s), diary, saved.addSecs(180));

        TRecoveryStore store(fFolder);
        store.Write(*DiaryWithThoughts(u"own"_s), diary, saved.addSecs(240));

        QCOMPARE(Files(store.CopiesToOffer(diary)), (QStringList{newer, older}));
        QCOMPARE(Files(store.CopiesToOffer(other)), QStringList{ofOther});
        QCOMPARE(Files(store.CopiesToOffer(QString())), QStringList{neverSaved});
        const TRecoveryCopy offered = store.CopiesToOffer(diary).constFirst();
        QCOMPARE(offered.DiaryPath, diary);
        QCOMPARE(offered.Written, saved.addSecs(120));
    }

    void copyWithoutRecordIsStillOffered()
    {
        // A run that died between writing the copy and its record.
        const QString diary =
            DiaryFileModifiedAt(fDir->filePath(u"d.Kestrova"_s), QDateTime::currentDateTimeUtc().addSecs(-3600));
        const QString copy = CopyOfEndedSession(fFolder, diary, u"unsaved"_s, QDateTime::currentDateTimeUtc());
        QVERIFY(QFile::remove(copy.chopped(9) + u".json"_s));

        TRecoveryStore store(fFolder);
        const QList<TRecoveryCopy> offered = store.CopiesToOffer(diary);
        QCOMPARE(Files(offered), QStringList{copy});
        QCOMPARE(offered.constFirst().DiaryPath, diary);
    }

    void copyKeptForLaterIsNeverOverwritten()
    {
        const QString diary = fDir->filePath(u"d.Kestrova"_s);
        const QString kept = CopyOfEndedSession(fFolder, diary, u"kept for later"_s, QDateTime::currentDateTimeUtc());
        const QByteArray keptBytes = Bytes(kept);

        TRecoveryStore store(fFolder);
        const TRecoveryCopy own =
            store.Write(*DiaryWithThoughts(u"this run"_s), diary, QDateTime::currentDateTimeUtc());
        store.Write(*DiaryWithThoughts(u"this run, later"_s), diary, QDateTime::currentDateTimeUtc());

        QVERIFY(own.File != kept);
        QCOMPARE(Bytes(kept), keptBytes);
        QCOMPARE(ThoughtsOf(*store.Read(own).Diary), u"this run, later"_s);
    }

    void adoptedCopyBecomesTheRunsOwn()
    {
        const QString diary =
            DiaryFileModifiedAt(fDir->filePath(u"d.Kestrova"_s), QDateTime::currentDateTimeUtc().addSecs(-3600));
        const QDateTime taken = QDateTime::currentDateTimeUtc();
        const QString left = CopyOfEndedSession(fFolder, diary, u"restored"_s, taken);
        {
            TRecoveryStore store(fFolder);
            const TRecoveryCopy adopted = store.Adopt(store.CopiesToOffer(diary).constFirst());

            QCOMPARE(adopted.File, store.OwnCopyFile(diary));
            QVERIFY(!QFile::exists(left));
            QVERIFY(!QFile::exists(left.chopped(9) + u".json"_s));
            QCOMPARE(ThoughtsOf(*store.Read(adopted).Diary), u"restored"_s);
            QVERIFY(store.CopiesToOffer(diary).isEmpty()); // this run's own now
        }
        // Should this run end without a save, the next one is offered the copy, dated as before.
        TRecoveryStore next(fFolder);
        const QList<TRecoveryCopy> again = next.CopiesToOffer(diary);
        QCOMPARE(again.size(), 1);
        QCOMPARE(again.constFirst().DiaryPath, diary);
        QCOMPARE(again.constFirst().Written, taken);
    }

    void damagedCopyIsKeptAside_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not a diary") << QByteArray("these are not the bytes of a diary");
        QTest::newRow("cut short") << WrittenDiary(*MakeSampleDiary()).left(300);
    }

    void damagedCopyIsKeptAside()
    {
        QFETCH(QByteArray, bytes);
        const QString diary = fDir->filePath(u"d.Kestrova"_s);
        const QString copy = CopyOfEndedSession(fFolder, diary, u"lost"_s, QDateTime::currentDateTimeUtc());
        {
            QFile file(copy);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            QCOMPARE(file.write(bytes), bytes.size());
        }
        TRecoveryStore store(fFolder);
        const QList<TRecoveryCopy> offered = store.CopiesToOffer(diary);
        QCOMPARE(offered.size(), 1);

        // What an earlier damage left under the same name stays as it is.
        const QString earlier = copy + u".damaged"_s;
        {
            QFile file(earlier);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("earlier");
        }

        const TRecoveryRead read = store.Read(offered.constFirst());

        QVERIFY(!read.Diary);
        QVERIFY(!read.Problem.isEmpty());
        QCOMPARE(read.KeptAs, copy + u".damaged-2"_s);
        QCOMPARE(Bytes(read.KeptAs), bytes);
        QCOMPARE(Bytes(earlier), QByteArray("earlier"));
        QVERIFY(!QFile::exists(copy));
        QVERIFY(store.CopiesToOffer(diary).isEmpty());
    }

    void writerWritesBesideTheCaller()
    {
        TRecoveryStore store(fFolder);
        const QString diary = fDir->filePath(u"d.Kestrova"_s);
        TRecoveryWriter writer;
        QVERIFY(writer.Start(store, SnapshotWithThoughts(u"beside"_s), diary, QDateTime::currentDateTimeUtc()));
        QVERIFY(writer.Wait());
        QVERIFY(!writer.Running());
        QCOMPARE(ThoughtsOf(*ReadDiaryFile(store.OwnCopyFile(diary))), u"beside"_s);
    }

    void writerWithoutAThreadWritesInPlace()
    {
        TRecoveryStore store(fFolder);
        const QString diary = fDir->filePath(u"d.Kestrova"_s);
        TRecoveryWriter writer([](TRecoveryWriter::TWrite) -> std::future<void> {
            throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
        });
        QVERIFY(writer.Start(store, SnapshotWithThoughts(u"in place"_s), diary, QDateTime::currentDateTimeUtc()));
        QVERIFY(!writer.Running());
        QVERIFY(writer.Wait());
        QCOMPARE(ThoughtsOf(*ReadDiaryFile(store.OwnCopyFile(diary))), u"in place"_s);
    }

    void failedWriteIsReportedAndTheNextOneSucceeds()
    {
        TRecoveryStore store(fFolder);
        const QString diary = fDir->filePath(u"d.Kestrova"_s);
        // A folder where the copy should go: the atomic replace cannot put the file there.
        QVERIFY(QDir().mkpath(store.OwnCopyFile(diary)));
        TRecoveryWriter writer;
        QVERIFY(writer.Start(store, SnapshotWithThoughts(u"fails"_s), diary, QDateTime::currentDateTimeUtc()));
        QVERIFY(!writer.Wait());
        QVERIFY(!writer.Wait()); // stays reported until the next write

        QVERIFY(QDir(store.OwnCopyFile(diary)).removeRecursively());
        QVERIFY(writer.Start(store, SnapshotWithThoughts(u"succeeds"_s), diary, QDateTime::currentDateTimeUtc()));
        QVERIFY(writer.Wait());
        // The failed write left no temporary file behind.
        QCOMPARE(QDir(fFolder).entryList({u"*.Kestrova*"_s}, QDir::Files | QDir::Hidden).size(), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> fDir;
    QString fFolder;
};

QTEST_GUILESS_MAIN(TestRecoveryStore)
#include "test_recovery_store.moc"
