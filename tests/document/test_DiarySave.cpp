#include "document/DiarySave.h"

#include "document/ksFileUtils.h"
#include "model/DiaryCrypto.h"
#include "model/DiaryFile.h"
#include "util/Errors.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#endif
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(TSaveStep)

namespace {

const QDate kToday(2025, 3, 12);
const TBackupOptions kFixedClock{[] { return kToday; }, 0};

std::unique_ptr<TDiary> MakeDiary(const QString& aThoughts, qsizetype aPictureBytes = 0)
{
    auto diary = std::make_unique<TDiary>();
    TDay* day = diary->GetDay(EncodeDate(kToday));
    day->Thoughts = aThoughts;
    day->Picture = QByteArray(aPictureBytes, 'p');
    // An empty day is written too: saving never drops days.
    diary->GetDay(EncodeDate(kToday.addDays(-3)));
    return diary;
}

QByteArray ReadBytes(const QString& aPath)
{
    QFile file(aPath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

QStringList Entries(const QString& aFolder)
{
    return QDir(aFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

#ifdef Q_OS_LINUX
// Caps the size of files this process writes, so a write fails even for root, for whom folder
// permissions stop nothing. The cap is lifted again when the guard goes.
class TFileSizeCap {
public:
    explicit TFileSizeCap(rlim_t aBytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &fPrevious);
        rlimit capped = fPrevious;
        capped.rlim_cur = aBytes;
        fActive = setrlimit(RLIMIT_FSIZE, &capped) == 0;
    }
    ~TFileSizeCap() { setrlimit(RLIMIT_FSIZE, &fPrevious); }
    bool Active() const { return fActive; }

private:
    rlimit fPrevious{};
    bool fActive = false;
};
#endif

} // namespace

class TestDiarySave : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstSaveCreatesFileWithoutBackup();
    void savesOfOneDateKeepTheFileBeforeTheLastSave();
    void failedWriteLeavesPreviousFileWhole_data();
    void failedWriteLeavesPreviousFileWhole();
    void unwritableTarget_data();
    void unwritableTarget();
    void interruptedSave_data();
    void interruptedSave();
    void diaryReachedThroughALinkKeepsTheLinkAndBacksUpItsFile();

private:
    std::unique_ptr<QTemporaryDir> fDir;
};

void TestDiarySave::init()
{
    fDir = std::make_unique<QTemporaryDir>();
    QVERIFY(fDir->isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fDir->filePath(u"settings"_s));
}

void TestDiarySave::cleanup()
{
    fDir.reset();
}

void TestDiarySave::firstSaveCreatesFileWithoutBackup()
{
    const QString folder = fDir->filePath(u"d"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString name = folder + u"/x.Kestrova"_s;

    QVERIFY(SaveDiaryWithBackup(*MakeDiary(u"first"_s), name, kFixedClock).AddToRecentFiles);

    QCOMPARE(Entries(folder), QStringList{u"x.Kestrova"_s});
    const auto read = ReadDiaryFile(name);
    QCOMPARE(read->Version, 10);
    QCOMPARE(read->DB.size(), size_t(2));
    QCOMPARE(read->GetDay(EncodeDate(kToday))->Thoughts, u"first"_s);
}

void TestDiarySave::savesOfOneDateKeepTheFileBeforeTheLastSave()
{
    const QString folder = fDir->filePath(u"d"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString name = folder + u"/x.Kestrova"_s;
    WriteDiaryFile(*MakeDiary(u"yesterday"_s), name);
    // Backups of 5 and 6 days back: the save deletes exactly the one of 5 days back.
    QFile::copy(name, folder + u"/2025-03-07--x.Kestrova"_s);
    QFile::copy(name, folder + u"/2025-03-06--x.Kestrova"_s);

    // The backup moved the file away: the window puts the name at the list's head.
    QVERIFY(SaveDiaryWithBackup(*MakeDiary(u"first save"_s), name, kFixedClock).AddToRecentFiles);
    const QByteArray firstSave = ReadBytes(name);

    QVERIFY(SaveDiaryWithBackup(*MakeDiary(u"second save"_s), name, kFixedClock).AddToRecentFiles);

    QCOMPARE(Entries(folder), (QStringList{u"2025-03-06--x.Kestrova"_s, u"2025-03-12--x.Kestrova"_s, u"x.Kestrova"_s}));
    QCOMPARE(ReadBytes(folder + u"/2025-03-12--x.Kestrova"_s), firstSave);
    QCOMPARE(ReadDiaryFile(name)->GetDay(EncodeDate(kToday))->Thoughts, u"second save"_s);
}

void TestDiarySave::failedWriteLeavesPreviousFileWhole_data()
{
    QTest::addColumn<qint64>("limit");   // the most the file may grow to
    QTest::addColumn<qint64>("picture"); // the new diary's picture, beyond the cap
    QTest::addColumn<bool>("encrypted");

    QTest::newRow("in its first piece") << qint64(64 * 1024) << qint64(256 * 1024) << false;
    // Past the first megabytes the file is already being flushed from another thread: the failure
    // must end that before the file is dropped.
    QTest::newRow("while earlier pieces are flushed") << qint64(9 << 20) << qint64(12 << 20) << false;
    QTest::newRow("encrypted, in its first piece") << qint64(64 * 1024) << qint64(256 * 1024) << true;
    QTest::newRow("encrypted, while earlier pieces are flushed") << qint64(9 << 20) << qint64(12 << 20) << true;
}

void TestDiarySave::failedWriteLeavesPreviousFileWhole()
{
#ifndef Q_OS_LINUX
    QSKIP("needs a file size limit to make a write fail");
#else
    QFETCH(qint64, limit);
    QFETCH(qint64, picture);
    QFETCH(bool, encrypted);
    const QString folder = fDir->filePath(u"d"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString name = folder + u"/x.Kestrova"_s;
    WriteDiaryFile(*MakeDiary(u"previous"_s), name);
    const QByteArray previous = ReadBytes(name);
    TKeyDerivation cheap = TKeyDerivation::New();
    cheap.Passes = 1;
    cheap.MemoryBytes = 8192;
    const TDiaryKey key = TDiaryKey::Derive(TSecret::FromText(u"pass"_s), cheap);

    QString error;
    {
        TFileSizeCap cap{rlim_t(limit)};
        QVERIFY(cap.Active());
        try {
            SaveDiaryWithBackup(*MakeDiary(u"too big"_s, picture), name, kFixedClock, {}, encrypted ? &key : nullptr);
        } catch (const EFileError& e) {
            error = e.Message();
        }
    }

    QCOMPARE(error, u"Stream-Schreibfehler"_s); // the runtime's text, as the exports give it
    // No temporary left over; the backup made first holds the file that is still in place.
    QCOMPARE(Entries(folder), (QStringList{u"2025-03-12--x.Kestrova"_s, u"x.Kestrova"_s}));
    QCOMPARE(ReadBytes(name), previous);
    QCOMPARE(ReadBytes(folder + u"/2025-03-12--x.Kestrova"_s), previous);
#endif
}

void TestDiarySave::unwritableTarget_data()
{
    QTest::addColumn<QString>("blocker"); // what stands where the save needs a folder or a file
    QTest::addColumn<QString>("target");
    QTest::addColumn<bool>("blockerIsFolder");

    QTest::newRow("folder part is a regular file") << u"notafolder"_s << u"notafolder/x.Kestrova"_s << false;
    QTest::newRow("a folder in place of the file") << u"x.Kestrova"_s << u"x.Kestrova"_s << true;
}

void TestDiarySave::unwritableTarget()
{
    QFETCH(QString, blocker);
    QFETCH(QString, target);
    QFETCH(bool, blockerIsFolder);

    const QString folder = fDir->filePath(u"d"_s);
    QVERIFY(QDir().mkpath(folder));
    if (blockerIsFolder) {
        QVERIFY(QDir(folder).mkdir(blocker));
        QFile inner(folder + u'/' + blocker + u"/keep"_s);
        QVERIFY(inner.open(QIODevice::WriteOnly));
        inner.write("kept");
    } else {
        QFile file(folder + u'/' + blocker);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kept");
    }

    QString error;
    try {
        SaveDiaryWithBackup(*MakeDiary(u"x"_s), folder + u'/' + target, kFixedClock);
    } catch (const EFileError& e) {
        error = e.Message();
    }

    // The runtime's text, with the full path and the platform's reason.
    const QString cannotCreate = u"Datei \"%1/%2\" kann nicht erstellt werden. "_s.arg(folder, target);
    QVERIFY2(error.startsWith(cannotCreate) && error.size() > cannotCreate.size(), qPrintable(error));
    QCOMPARE(Entries(folder), QStringList{blocker});
    if (blockerIsFolder)
        QCOMPARE(ReadBytes(folder + u'/' + blocker + u"/keep"_s), QByteArray("kept"));
    else
        QCOMPARE(ReadBytes(folder + u'/' + blocker), QByteArray("kept"));
}

void TestDiarySave::interruptedSave_data()
{
    QTest::addColumn<TSaveStep>("step");
    QTest::addColumn<bool>("kill");     // the process dies there; otherwise the step fails
    QTest::addColumn<bool>("newFile");  // the diary's name then holds the new diary, else the old one
    QTest::addColumn<bool>("backedUp"); // today's backup holds the old diary

    QTest::newRow("killed after the backup") << TSaveStep::BackedUp << true << false << true;
    QTest::newRow("killed while writing") << TSaveStep::Writing << true << false << true;
    QTest::newRow("killed once written") << TSaveStep::Written << true << false << true;
    QTest::newRow("killed after the rename") << TSaveStep::Replaced << true << true << true;
    QTest::newRow("failing after the backup") << TSaveStep::BackedUp << false << false << true;
    QTest::newRow("failing once written") << TSaveStep::Written << false << false << true;
    QTest::newRow("failing after the rename") << TSaveStep::Replaced << false << true << true;
}

void TestDiarySave::interruptedSave()
{
    QFETCH(TSaveStep, step);
    QFETCH(bool, kill);
    QFETCH(bool, newFile);
    QFETCH(bool, backedUp);

    const QString folder = fDir->filePath(u"d"_s);
    QVERIFY(QDir().mkpath(folder));
    const QString name = folder + u"/x.Kestrova"_s;
    const QString backup = folder + u"/2025-03-12--x.Kestrova"_s;
    WriteDiaryFile(*MakeDiary(u"before"_s), name);
    const QByteArray before = ReadBytes(name);
    // Large enough to be written in many pieces, so that "while writing" is inside the write.
    const auto after = MakeDiary(u"after"_s, 4 << 20);
    const auto stopAt = [step, kill](TSaveStep aStep) {
        if (aStep != step)
            return;
#ifdef Q_OS_UNIX
        if (kill)
            ::kill(::getpid(), SIGKILL);
#endif
        throw EFileError(u"Stream-Schreibfehler"_s);
    };

    if (kill) {
#ifdef Q_OS_UNIX
        // A real kill, of a child that runs the save: nothing of the save's own clean-up runs.
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            try {
                SaveDiaryWithBackup(*after, name, kFixedClock, stopAt);
            } catch (...) {
            }
            ::_exit(3); // the kill did not come
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL, "the save was not killed at its step");
#else
        QSKIP("kills a forked process");
#endif
    } else {
        QVERIFY_THROWS_EXCEPTION(EFileError, SaveDiaryWithBackup(*after, name, kFixedClock, stopAt));
    }

    // At every moment the name holds a complete diary: the old one until the new one is in place.
    const auto read = ReadDiaryFile(name);
    QCOMPARE(read->GetDay(EncodeDate(kToday))->Thoughts, newFile ? u"after"_s : u"before"_s);
    if (!newFile)
        QCOMPARE(ReadBytes(name), before);
    QCOMPARE(ReadBytes(backup), backedUp ? before : QByteArray("<missing>"));
    // A failure cleans up after itself; only a killed save may leave its temporary file behind.
    if (!kill) {
        QStringList expected{u"x.Kestrova"_s};
        if (backedUp)
            expected.prepend(u"2025-03-12--x.Kestrova"_s);
        QCOMPARE(Entries(folder), expected);
    }
}

void TestDiarySave::diaryReachedThroughALinkKeepsTheLinkAndBacksUpItsFile()
{
#ifdef Q_OS_UNIX
    const QString folder = fDir->filePath(u"d"_s);
    QVERIFY(QDir().mkpath(folder + u"/real"_s));
    const QString real = folder + u"/real/x.Kestrova"_s;
    const QString link = folder + u"/x.Kestrova"_s;
    WriteDiaryFile(*MakeDiary(u"before"_s), real);
    const QByteArray before = ReadBytes(real);
    QVERIFY(QFile::link(real, link));

    QVERIFY(SaveDiaryWithBackup(*MakeDiary(u"after"_s), link, kFixedClock).AddToRecentFiles);
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(ReadDiaryFile(link)->GetDay(EncodeDate(kToday))->Thoughts, u"after"_s);
    QCOMPARE(ReadBytes(folder + u"/real/2025-03-12--x.Kestrova"_s), before);
    QCOMPARE(Entries(folder), (QStringList{u"real"_s, u"x.Kestrova"_s}));
#else
    QSKIP("symbolic links are a Unix matter here");
#endif
}

QTEST_GUILESS_MAIN(TestDiarySave)
#include "test_DiarySave.moc"
