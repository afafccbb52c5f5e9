// The recovery copies on disk: one file per diary and session, which copies are offered, what
// happens to a copy that cannot be read, and the writing beside the caller.
#include "document/RecoveryStore.h"
#include "model/DiaryFile.h"
#include "support/DiaryFixture.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <mutex>
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

// Argon2id at its lowest costs: the tests need keys, not their strength.
TDiaryKey CheapKey(const QString& aPassword)
{
    TKeyDerivation derivation = TKeyDerivation::New();
    derivation.Passes = 1;
    derivation.MemoryBytes = 8192;
    return TDiaryKey::Derive(TSecret::FromText(aPassword), derivation);
}

// Whether aBytes hold aText as the diary file stores texts (UTF-16LE) or as UTF-8.
bool HoldsText(const QByteArray& aBytes, const QString& aText)
{
    const QByteArray utf16(reinterpret_cast<const char*>(aText.utf16()), aText.size() * 2);
    return aBytes.contains(utf16) || aBytes.contains(aText.toUtf8());
}

// A prompt that gives the passwords in turn, then gives up; it counts how often it was asked.
TPasswordPrompt Answers(QStringList aPasswords, int* aAsked)
{
    return [aPasswords, aAsked](const QString&, int aAttempt) -> std::optional<TSecret> {
        ++*aAsked;
        if (aAttempt > aPasswords.size())
            return std::nullopt;
        return TSecret::FromText(aPasswords.at(aAttempt - 1));
    };
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

    void encryptedCopyHoldsNoPlainText()
    {
        const QString marker = u"marker-7f3a secret thought"_s;
        const TDiaryKey key = CheapKey(u"pass"_s);
        TRecoveryStore store(fFolder);
        const QString diary = fDir->filePath(u"d.Kestrova"_s);
        // Both ways a copy is written: at once, and by the writing thread from a snapshot.
        const TRecoveryCopy now = store.Write(*DiaryWithThoughts(marker), diary, QDateTime::currentDateTimeUtc(), {},
                                              &key);
        QVERIFY(IsEncryptedDiaryFile(now.File));
        QVERIFY(!HoldsText(Bytes(now.File), marker));
        QCOMPARE(ThoughtsOf(*store.Read(now, &key).Diary), marker);

        TRecoveryWriter writer;
        QVERIFY(writer.Start(store, SnapshotWithThoughts(marker + u" later"_s), u"elsewhere.Kestrova"_s,
                             QDateTime::currentDateTimeUtc(), {}, std::make_shared<const TDiaryKey>(key.Copy())));
        QVERIFY(writer.Wait());
        for (const QString& name : QDir(fFolder).entryList(QDir::Files | QDir::Hidden))
            QVERIFY2(!HoldsText(Bytes(fFolder + u'/' + name), marker), qPrintable(name));
    }

    void encryptedCopyOpensWithTheKeyOrItsPassword_data()
    {
        QTest::addColumn<bool>("diaryKey");        // the key of the diary open now is the copy's
        QTest::addColumn<QStringList>("passwords"); // what the prompt gives, in turn
        QTest::addColumn<int>("asked");
        QTest::addColumn<bool>("read");
        QTest::newRow("the diary's key") << true << QStringList{} << 0 << true;
        QTest::newRow("another key, then its password") << false << QStringList{u"pass"_s} << 1 << true;
        QTest::newRow("a wrong password, then the right one") << false << QStringList{u"no"_s, u"pass"_s} << 2 << true;
        QTest::newRow("cancelled") << false << QStringList{} << 1 << false;
        QTest::newRow("a wrong password, then cancelled") << false << QStringList{u"no"_s} << 2 << false;
    }
    void encryptedCopyOpensWithTheKeyOrItsPassword()
    {
        QFETCH(bool, diaryKey);
        QFETCH(QStringList, passwords);
        QFETCH(int, asked);
        QFETCH(bool, read);
        const TDiaryKey key = CheapKey(u"pass"_s);
        const TDiaryKey other = CheapKey(u"pass"_s); // same password, another salt: another key
        TRecoveryStore store(fFolder);
        const TRecoveryCopy copy =
            store.Write(*DiaryWithThoughts(u"kept"_s), {}, QDateTime::currentDateTimeUtc(), {}, &key);

        int prompted = 0;
        TRecoveryRead result = store.Read(copy, diaryKey ? &key : &other, Answers(passwords, &prompted));
        QCOMPARE(prompted, asked);
        QCOMPARE(bool(result.Diary), read);
        QCOMPARE(result.Locked, !read);
        // A copy without its password is no damaged copy: it stays where it is, to be offered again.
        QVERIFY(result.KeptAs.isEmpty());
        QVERIFY(QFile::exists(copy.File));
        if (read) {
            QCOMPARE(ThoughtsOf(*result.Diary), u"kept"_s);
            QVERIFY(result.Key);
            QVERIFY(result.Key->Derivation() == key.Derivation()); // the restored diary saves under it
        }
    }

    void offersCopiesOfEndedRunsWhateverTheirTime()
    {
        const QDateTime saved = QDateTime::currentDateTimeUtc().addSecs(-3600);
        const QString diary = DiaryFileModifiedAt(fDir->filePath(u"d.Kestrova"_s), saved);
        const QString other = DiaryFileModifiedAt(fDir->filePath(u"other.Kestrova"_s), saved);

        const QString older = CopyOfEndedSession(fFolder, diary, u"older"_s, saved.addSecs(60));
        const QString newer = CopyOfEndedSession(fFolder, diary, u"newer"_s, saved.addSecs(120));
        // Older than the file's time: the time decides nothing (a sync tool touching the file, a
        // save after "Later"), so it is listed too, and its content decides.
        const QString beforeSave = CopyOfEndedSession(fFolder, diary, u"before the save"_s, saved.addSecs(-60));
        const QString ofOther = CopyOfEndedSession(fFolder, other, u"other"_s, saved.addSecs(60));
        const QString neverSaved = CopyOfEndedSession(fFolder, QString(), u"new"_s, saved.addSecs(60));

        TRecoveryStore running(fFolder); // another window still working on the diary
        running.Write(*DiaryWithThoughts(u"live"_s), diary, saved.addSecs(180));

        TRecoveryStore store(fFolder);
        store.Write(*DiaryWithThoughts(u"own"_s), diary, saved.addSecs(240));

        QCOMPARE(Files(store.CopiesToOffer(diary)), (QStringList{newer, older, beforeSave}));
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

    // The session's lock waits until the window is up, but never past the session's first copy:
    // a copy without a live lock beside it is offered to the next run as left over.
    void sessionIsLockedBeforeItsFirstCopy_data()
    {
        QTest::addColumn<QString>("firstAct");
        QTest::addColumn<bool>("locked");
        QTest::newRow("nothing yet") << u"none"_s << false;
        QTest::newRow("the window is up") << u"begin"_s << true;
        QTest::newRow("a copy written") << u"write"_s << true;
        QTest::newRow("a copy adopted") << u"adopt"_s << true;
    }

    void sessionIsLockedBeforeItsFirstCopy()
    {
        QFETCH(QString, firstAct);
        QFETCH(bool, locked);
        const QString diary = fDir->filePath(u"d.Kestrova"_s);
        const QString left = CopyOfEndedSession(fFolder, diary, u"left over"_s, QDateTime::currentDateTimeUtc());

        TRecoveryStore store(fFolder);
        const QString lock = fFolder + u'/' + store.Session() + u".lock"_s;
        QVERIFY(!QFile::exists(lock));
        if (firstAct == u"begin"_s) {
            store.BeginSession();
            store.BeginSession(); // once is enough, twice does no harm
        } else if (firstAct == u"write"_s) {
            store.Write(*DiaryWithThoughts(u"own"_s), diary, QDateTime::currentDateTimeUtc());
        } else if (firstAct == u"adopt"_s) {
            store.Adopt(store.CopiesToOffer(diary).constFirst());
        }
        QCOMPARE(QFile::exists(lock), locked);
        if (locked) {
            QLockFile held(lock);
            QVERIFY(!held.tryLock(0)); // held, not just lying there
        }
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

    void copyRecordsTheVersionItWasMadeFrom()
    {
        const QString diary = fDir->filePath(u"d.Kestrova"_s);
        // Values beyond what a JSON number holds exactly.
        const TFileFingerprint base{diary, 0x7fffffffffffLL, 0xfedcba9876543210ULL};
        {
            TRecoveryStore ended(fFolder);
            ended.Write(*DiaryWithThoughts(u"typed"_s), diary, QDateTime::currentDateTimeUtc(), base);
            ended.Write(*DiaryWithThoughts(u"never saved"_s), QString(), QDateTime::currentDateTimeUtc(), base);
        }
        TRecoveryStore store(fFolder);
        const TRecoveryCopy offered = store.CopiesToOffer(diary).constFirst();
        QCOMPARE(offered.Base.Size, base.Size);
        QCOMPARE(offered.Base.Hash, base.Hash);
        QVERIFY(offered.Base.Describes(diary));
        // A copy moved to this run keeps what it was made from.
        QCOMPARE(store.Adopt(offered).Base.Hash, base.Hash);
        QCOMPARE(store.CopiesToOffer(diary).size(), 0);
        QVERIFY(!store.CopiesToOffer(QString()).constFirst().Base.IsKnown()); // no file, no version
    }

    void decidesByContent_data()
    {
        QTest::addColumn<QString>("copyThoughts"); // empty: the copy's day holds nothing
        QTest::addColumn<QString>("fileThoughts"); // "<missing>": no file could be read
        QTest::addColumn<bool>("baseIsFile");      // the copy was made from the file as it is now
        QTest::addColumn<bool>("baseKnown");
        QTest::addColumn<bool>("neverSaved");
        QTest::addColumn<int>("offer");

        const int nothing = int(TRecoveryOffer::NothingNew), offer = int(TRecoveryOffer::Offer),
                  elsewhere = int(TRecoveryOffer::OfferChangedElsewhere);
        QTest::newRow("same days as the file it came from") << u"a"_s << u"a"_s << true << true << false << nothing;
        // Window B saved what window A also had: nothing is lost, whatever the version.
        QTest::newRow("same days, file changed since") << u"a"_s << u"a"_s << false << true << false << nothing;
        QTest::newRow("changes to the file as it is") << u"typed"_s << u"a"_s << true << true << false << offer;
        // A second window saved, or the user saved after "Later", or a sync tool brought another version.
        QTest::newRow("changes, file changed since") << u"typed"_s << u"b"_s << false << true << false << elsewhere;
        QTest::newRow("a day emptied is a change") << QString() << u"a"_s << true << true << false << offer;
        QTest::newRow("file missing") << u"typed"_s << u"<missing>"_s << false << true << false << offer;
        QTest::newRow("file damaged since") << u"typed"_s << u"<damaged>"_s << false << true << false << elsewhere;
        QTest::newRow("copy of an older run") << u"typed"_s << u"b"_s << false << false << false << offer;
        QTest::newRow("diary never saved") << u"typed"_s << u"a"_s << false << false << true << offer;
    }

    void decidesByContent()
    {
        QFETCH(QString, copyThoughts);
        QFETCH(QString, fileThoughts);
        QFETCH(bool, baseIsFile);
        QFETCH(bool, baseKnown);
        QFETCH(bool, neverSaved);
        QFETCH(int, offer);

        const QString path = fDir->filePath(u"d.Kestrova"_s);
        const auto copyDiary = DiaryWithThoughts(copyThoughts);
        copyDiary->GetDay(45010.0); // a page shown but empty, as a window's copy holds it
        const bool unread = fileThoughts.startsWith(u'<');
        const std::unique_ptr<TDiary> fileDiary = unread ? nullptr : DiaryWithThoughts(fileThoughts);
        TFileFingerprint file{path, 100, 0x1234};
        if (fileThoughts == u"<missing>"_s)
            file = {};
        TRecoveryCopy copy{fDir->filePath(u"copy.Kestrova"_s), neverSaved ? QString() : path,
                           QDateTime::currentDateTimeUtc(), {}};
        if (baseKnown)
            copy.Base = {path, 100, baseIsFile ? 0x1234u : 0x9999u};

        QCOMPARE(int(DecideRecoveryOffer(copy, *copyDiary, fileDiary.get(), file)), offer);
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
        QStringList told; // what the writing thread said as each write ended
        std::mutex toldMutex;
        TRecoveryWriter writer({}, [&](const QString& aProblem) {
            const std::lock_guard lock(toldMutex);
            told << aProblem;
        });
        QVERIFY(writer.Start(store, SnapshotWithThoughts(u"fails"_s), diary, QDateTime::currentDateTimeUtc()));
        QVERIFY(!writer.Wait());
        QVERIFY(!writer.Wait()); // stays reported until the next write
        QVERIFY2(writer.Problem().contains(store.OwnCopyFile(diary)), qPrintable(writer.Problem()));
        QCOMPARE(told, QStringList{writer.Problem()});

        QVERIFY(QDir(store.OwnCopyFile(diary)).removeRecursively());
        QVERIFY(writer.Start(store, SnapshotWithThoughts(u"succeeds"_s), diary, QDateTime::currentDateTimeUtc()));
        QVERIFY(writer.Wait());
        QVERIFY(writer.Problem().isEmpty());
        QCOMPARE(told.size(), 2);
        QVERIFY(told.last().isEmpty());
        // The failed write left no temporary file behind.
        QCOMPARE(QDir(fFolder).entryList({u"*.Kestrova*"_s}, QDir::Files | QDir::Hidden).size(), 1);
    }

private:
    std::unique_ptr<QTemporaryDir> fDir;
    QString fFolder;
};

QTEST_GUILESS_MAIN(TestRecoveryStore)
#include "test_recovery_store.moc"
