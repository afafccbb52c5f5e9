#include "support/DiaryFixture.h"

#include "exchange/HealthSummary.h"
#include "exchange/HealthValuesExport.h"
#include "exchange/MonthExport.h"
#include "model/DiaryCopy.h"
#include "model/DiaryFile.h"
#include "model/DiaryMerge.h"
#include "util/RegionalSettings.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

struct TRun {
    int ExitCode = -1;
    QString Out;
    QString Err;
};

// The worked example of the task import: two rows of 12 March 2026, one with a continuation line.
const QByteArray kTasksCsv = "Task; Start date and time; End date and time; Note\r\n"
                             "New Task;2026-03-12 08:00:00;2026-03-12 09:15:00;a\r\n"
                             "b\r\n"
                             "New Task;2026-03-12 07:30:00;2026-03-13 01:00:00;\r\n";

void WriteBytes(const QString& aPath, const QByteArray& aBytes)
{
    QFile file(aPath);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(aPath));
    QCOMPARE(file.write(aBytes), aBytes.size());
}

QByteArray ReadBytes(const QString& aPath)
{
    QFile file(aPath);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

// Every file of the folder with its bytes: a failed command must leave this exactly as it was.
QMap<QString, QByteArray> Snapshot(const QString& aFolder)
{
    QMap<QString, QByteArray> result;
    const QStringList names = QDir(aFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names)
        result.insert(name, ReadBytes(aFolder + u'/' + name));
    return result;
}

TDay* AddDay(TDiary& aDiary, const QDate& aDate)
{
    // Appended as they come, not through GetDay: the file order is what convert must keep.
    aDiary.DB.push_back(std::make_unique<TDay>(EncodeDate(aDate) + 0.5));
    return aDiary.DB.back().get();
}

// March 2026 with readings that show the decimal separator, a task with times, an empty page (a
// save by the program would drop it; the tool never does) and pages outside the month, out of
// calendar order.
std::unique_ptr<TDiary> SampleDiary()
{
    auto diary = std::make_unique<TDiary>();
    diary->Copyright = u"Sample notice"_s;
    TDay* day = AddDay(*diary, QDate(2026, 3, 12));
    day->TemperatureAtMorning = 36.6;
    day->WeightAtEvening = 72.25;
    day->Thoughts = u"Grüße; \"quoted\""_s;
    day->LastTaskID = 3;
    auto task = std::make_unique<TTask>();
    task->ID = 3;
    task->FromTime = EncodeTime(QTime(14, 5, 9));
    task->ToTime = EncodeTime(QTime(15, 0));
    task->Task = u"Existing"_s;
    day->Tasks.push_back(std::move(task));
    AddDay(*diary, QDate(2026, 4, 1))->Picture = QByteArray("\xff\xd8\xff\xd9", 4);
    AddDay(*diary, QDate(2026, 3, 2)); // empty
    AddDay(*diary, QDate(2026, 2, 28))->Breakfast = u"Porridge"_s;
    day = AddDay(*diary, QDate(2026, 3, 31));
    day->PulseAtLunch = 61;
    auto conversation = std::make_unique<TConversation>();
    day->Conversations.push_back(std::move(conversation));
    auto shopping = std::make_unique<TShopping>();
    shopping->TotalPurchaseAmount = 12.5;
    day->Shoppings.push_back(std::move(shopping));
    return diary;
}

QTime TimeOf(double aValue)
{
    return TimeOfDateTime(aValue);
}

TDay& PageOf(TDiary& aDiary, const QDate& aDate)
{
    for (const auto& day : aDiary.DB)
        if (SameDate(day->Date, EncodeDate(aDate)))
            return *day;
    qFatal("no page");
}

// Two versions of the sample diary changed apart. Apart from changes of one side only, both
// changed the thoughts and the morning temperature of 12 March differently, and theirs dropped
// the page of 28 February, whose breakfast ours changed.
void WriteConflictingVersions(const QString& aOurs, const QString& aTheirs)
{
    const auto ours = SampleDiary();
    PageOf(*ours, QDate(2026, 3, 12)).Thoughts = u"ours\tline\nsecond"_s;
    PageOf(*ours, QDate(2026, 3, 12)).TemperatureAtMorning = 37.2;
    PageOf(*ours, QDate(2026, 2, 28)).Breakfast = u"Muesli"_s;
    PageOf(*ours, QDate(2026, 3, 31)).Lunch = u"ours only"_s;
    WriteDiaryFile(*ours, aOurs);
    const auto theirs = SampleDiary();
    PageOf(*theirs, QDate(2026, 3, 12)).Thoughts = u"theirs"_s;
    PageOf(*theirs, QDate(2026, 3, 12)).TemperatureAtMorning = 36.9;
    std::erase_if(theirs->DB, [](const auto& aDay) { return SameDate(aDay->Date, EncodeDate(QDate(2026, 2, 28))); });
    PageOf(*theirs, QDate(2026, 4, 1)).Dinner = u"theirs only"_s;
    WriteDiaryFile(*theirs, aTheirs);
}

} // namespace

class TestKestrovaCli : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void helpAndVersion();
    void usageErrors_data();
    void usageErrors();
    void failuresWriteNothing_data();
    void failuresWriteNothing();

    void convertKeepsEveryDayInFileOrder();
    void convertWritesOlderVersionsAsTen_data();
    void convertWritesOlderVersionsAsTen();
    void exportsMatchTheProgramInEachLocale_data();
    void exportsMatchTheProgramInEachLocale();
    void importTasksToOutput_data();
    void importTasksToOutput();
    void importTasksInPlaceMakesDatedBackup();
    void info();
    void encryptedDiaries();
    void search_data();
    void search();
    void healthSummary_data();
    void healthSummary();
    void mergeWithoutConflicts();
    void mergeConflicts_data();
    void mergeConflicts();
    void mergeOntoOursKeepsBackupAndEncryption();
    void diff();

private:
    // aDetached: the program runs without a controlling terminal, so it cannot ask for a password.
    TRun Run(const QStringList& aArgs, const QString& aLocale = u"C"_s, bool aDetached = true);
    QString Path(const QString& aName) const { return fFolder + u'/' + aName; }
    QStringList Expand(const QStringList& aArgs) const;

    QString fCli;
    std::unique_ptr<QTemporaryDir> fDir;
    QString fFolder;
};

void TestKestrovaCli::initTestCase()
{
    fCli = qEnvironmentVariable("KESTROVA_CLI");
    QVERIFY2(!fCli.isEmpty() && QFileInfo(fCli).isExecutable(), "KESTROVA_CLI must name the built kestrova-cli");
}

void TestKestrovaCli::init()
{
    fDir = std::make_unique<QTemporaryDir>();
    QVERIFY(fDir->isValid());
    fFolder = fDir->path();
    WriteDiaryFile(*SampleDiary(), Path(u"diary.Kestrova"_s));
    WriteBytes(Path(u"corrupt.Kestrova"_s), "this is no diary at all");
    WriteBytes(Path(u"tasks.csv"_s), kTasksCsv);
    WriteBytes(Path(u"old.txt"_s), "an older export");
}

void TestKestrovaCli::cleanup()
{
    fDir.reset();
}

TRun TestKestrovaCli::Run(const QStringList& aArgs, const QString& aLocale, bool aDetached)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString& name : env.keys())
        if (name.startsWith(u"LC_"_s) || name == u"LANG"_s || name == u"LANGUAGE"_s)
            env.remove(name);
    env.insert(u"LC_ALL"_s, aLocale);

    QProcess process;
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(fFolder);
#ifdef Q_OS_UNIX
    // A test run from a terminal must not wait for a password typed there.
    if (aDetached)
        process.setChildProcessModifier([] { ::setsid(); });
#endif
    process.start(fCli, aArgs);
    TRun result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        result.Err = u"<did not finish normally>"_s;
        return result;
    }
    result.ExitCode = process.exitCode();
    result.Out = QString::fromUtf8(process.readAllStandardOutput());
    result.Err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// "@name" stands for a file of the test folder.
QStringList TestKestrovaCli::Expand(const QStringList& aArgs) const
{
    QStringList result;
    for (const QString& arg : aArgs)
        result << (arg.startsWith(u'@') ? Path(arg.mid(1)) : arg);
    return result;
}

void TestKestrovaCli::helpAndVersion()
{
    const TRun help = Run({u"--help"_s});
    QCOMPARE(help.ExitCode, 0);
    QVERIFY(help.Out.contains(u"import-tasks DIARY CSV [--end-only] [--output OUT]"_s));
    QVERIFY(help.Out.contains(u"health-summary DIARY FROM TO [--csv]"_s));
    QVERIFY(help.Out.contains(u"merge BASE OURS THEIRS -o OUT [--keep-both]"_s));
    QVERIFY(help.Out.contains(u"diff A B"_s));
    QVERIFY(help.Err.isEmpty());

    const TRun version = Run({u"--version"_s});
    QCOMPARE(version.ExitCode, 0);
    QCOMPARE(version.Out, u"kestrova-cli 1.30.1.67\n"_s);
}

void TestKestrovaCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");

    QTest::newRow("no command") << QStringList{};
    QTest::newRow("unknown command") << QStringList{u"export"_s, u"@diary.Kestrova"_s};
    QTest::newRow("convert without OUT") << QStringList{u"convert"_s, u"@diary.Kestrova"_s};
    QTest::newRow("convert with extra argument")
        << QStringList{u"convert"_s, u"@diary.Kestrova"_s, u"@out"_s, u"@more"_s};
    QTest::newRow("info with an option") << QStringList{u"info"_s, u"@diary.Kestrova"_s, u"--verbose"_s};
    QTest::newRow("export-health without OUT") << QStringList{u"export-health"_s, u"@diary.Kestrova"_s, u"2026-03"_s};
    QTest::newRow("import-tasks without CSV") << QStringList{u"import-tasks"_s, u"@diary.Kestrova"_s};
    QTest::newRow("--output without a name")
        << QStringList{u"import-tasks"_s, u"@diary.Kestrova"_s, u"@tasks.csv"_s, u"--output"_s};
    QTest::newRow("--output twice") << QStringList{
        u"import-tasks"_s, u"@diary.Kestrova"_s, u"@tasks.csv"_s, u"--output"_s, u"@a"_s, u"--output"_s, u"@b"_s};
    QTest::newRow("search without QUERY") << QStringList{u"search"_s, u"@diary.Kestrova"_s};
    QTest::newRow("search with an empty QUERY") << QStringList{u"search"_s, u"@diary.Kestrova"_s, QString()};
    QTest::newRow("unknown search option") << QStringList{u"search"_s, u"@diary.Kestrova"_s, u"new"_s, u"--regex"_s};
    QTest::newRow("health-summary without TO")
        << QStringList{u"health-summary"_s, u"@diary.Kestrova"_s, u"2026-03-01"_s};
    QTest::newRow("health-summary, FROM after TO")
        << QStringList{u"health-summary"_s, u"@diary.Kestrova"_s, u"2026-03-02"_s, u"2026-03-01"_s};
    QTest::newRow("unknown health-summary option")
        << QStringList{u"health-summary"_s, u"@diary.Kestrova"_s, u"2026-03-01"_s, u"2026-03-31"_s, u"--tsv"_s};
    for (const QString& date : {u"2026-02-30"_s, u"2026-3-01"_s, u"2026-03"_s, u"12.03.2026"_s})
        QTest::addRow("date '%s'", qPrintable(date))
            << QStringList{u"health-summary"_s, u"@missing.Kestrova"_s, date, u"2026-03-31"_s};
    QTest::newRow("merge without -o") << QStringList{u"merge"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s,
                                                     u"@diary.Kestrova"_s};
    QTest::newRow("merge without THEIRS")
        << QStringList{u"merge"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s, u"-o"_s, u"@out.Kestrova"_s};
    QTest::newRow("merge, -o twice") << QStringList{
        u"merge"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s, u"-o"_s, u"@a"_s, u"-o"_s,
        u"@b"_s};
    QTest::newRow("merge, -o without a name")
        << QStringList{u"merge"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s, u"-o"_s};
    QTest::newRow("unknown merge option")
        << QStringList{u"merge"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s,
                       u"-o"_s,    u"@out.Kestrova"_s,   u"--theirs"_s};
    QTest::newRow("diff with one diary") << QStringList{u"diff"_s, u"@diary.Kestrova"_s};
    QTest::newRow("diff with an option") << QStringList{u"diff"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s,
                                                        u"--keep-both"_s};
    QTest::newRow("unknown import option")
        << QStringList{u"import-tasks"_s, u"@diary.Kestrova"_s, u"@tasks.csv"_s, u"--start-only"_s};
    // A bad month is a usage error even when the diary is missing: nothing is read.
    for (const QString& month : {u"2026-13"_s, u"2026-00"_s, u"2026-3"_s, u"26-03"_s, u"2026-03-01"_s, u"2026/03"_s,
                                 u"0000-03"_s, u" 2026-03"_s, u"März"_s})
        QTest::addRow("month '%s'", qPrintable(month))
            << QStringList{u"export-text"_s, u"@missing.Kestrova"_s, month, u"@out.txt"_s};
}

void TestKestrovaCli::usageErrors()
{
    QFETCH(QStringList, args);
    const auto before = Snapshot(fFolder);

    const TRun run = Run(Expand(args));

    QCOMPARE(run.ExitCode, 2);
    QVERIFY2(run.Err.contains(u"Usage:"_s), qPrintable(run.Err));
    QVERIFY(run.Out.isEmpty());
    QCOMPARE(Snapshot(fFolder), before);
}

void TestKestrovaCli::failuresWriteNothing_data()
{
    QTest::addColumn<QStringList>("args");
    // The start of the one line on stderr; "@name" stands for the path, "*" for any text.
    QTest::addColumn<QString>("message");

    const QString missing = u"File @missing.Kestrova does not exist."_s;
    const QString corrupt = u"File @corrupt.Kestrova can not be opened! "_s;

    QTest::newRow("convert, missing diary")
        << QStringList{u"convert"_s, u"@missing.Kestrova"_s, u"@out.Kestrova"_s} << missing;
    QTest::newRow("convert, corrupt diary")
        << QStringList{u"convert"_s, u"@corrupt.Kestrova"_s, u"@out.Kestrova"_s} << corrupt;
    QTest::newRow("convert, a folder as diary")
        << QStringList{u"convert"_s, u"@"_s, u"@out.Kestrova"_s} << u"File @ does not exist."_s;
    QTest::newRow("export-text, missing diary")
        << QStringList{u"export-text"_s, u"@missing.Kestrova"_s, u"2026-03"_s, u"@out.txt"_s} << missing;
    QTest::newRow("export-text, corrupt diary over an older export")
        << QStringList{u"export-text"_s, u"@corrupt.Kestrova"_s, u"2026-03"_s, u"@old.txt"_s} << corrupt;
    QTest::newRow("export-health, corrupt diary")
        << QStringList{u"export-health"_s, u"@corrupt.Kestrova"_s, u"2026-03"_s, u"@out.csv"_s} << corrupt;
    QTest::newRow("export-health, OUT in a missing folder")
        << QStringList{u"export-health"_s, u"@diary.Kestrova"_s, u"2026-03"_s, u"@nofolder/out.csv"_s}
        << u"Datei \"@nofolder/out.csv\" kann nicht erstellt werden."_s;
    QTest::newRow("health-summary, corrupt diary")
        << QStringList{u"health-summary"_s, u"@corrupt.Kestrova"_s, u"2026-03-01"_s, u"2026-03-31"_s, u"--csv"_s}
        << corrupt;
    QTest::newRow("search, missing diary") << QStringList{u"search"_s, u"@missing.Kestrova"_s, u"new"_s} << missing;
    QTest::newRow("search, corrupt diary")
        << QStringList{u"search"_s, u"@corrupt.Kestrova"_s, u"new"_s, u"--case"_s} << corrupt;
    QTest::newRow("merge, missing THEIRS")
        << QStringList{u"merge"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s, u"@missing.Kestrova"_s,
                       u"-o"_s,    u"@out.Kestrova"_s}
        << missing;
    QTest::newRow("merge, corrupt BASE onto OURS")
        << QStringList{u"merge"_s, u"@corrupt.Kestrova"_s, u"@diary.Kestrova"_s, u"@diary.Kestrova"_s,
                       u"-o"_s,    u"@diary.Kestrova"_s}
        << corrupt;
    QTest::newRow("merge, OUT in a missing folder")
        << QStringList{u"merge"_s, u"@diary.Kestrova"_s,       u"@diary.Kestrova"_s, u"@diary.Kestrova"_s,
                       u"-o"_s,    u"@nofolder/out.Kestrova"_s}
        << u"Datei \"@nofolder/out.Kestrova\" kann nicht erstellt werden."_s;
    QTest::newRow("diff, corrupt B") << QStringList{u"diff"_s, u"@diary.Kestrova"_s, u"@corrupt.Kestrova"_s} << corrupt;
    QTest::newRow("import, missing diary")
        << QStringList{u"import-tasks"_s, u"@missing.Kestrova"_s, u"@tasks.csv"_s} << missing;
    QTest::newRow("import, missing CSV") << QStringList{u"import-tasks"_s, u"@diary.Kestrova"_s, u"@nothere.csv"_s}
                                         << u"File @nothere.csv does not exist."_s;
    QTest::newRow("import in place, integer error after a good row")
        << QStringList{u"import-tasks"_s, u"@diary.Kestrova"_s, u"@badint.csv"_s}
        << u"@badint.csv: '08h' ist kein gültiger Integerwert"_s;
    QTest::newRow("import to OUT, date that does not exist")
        << QStringList{u"import-tasks"_s, u"@diary.Kestrova"_s, u"@baddate.csv"_s,
                       u"--end-only"_s,   u"--output"_s,        u"@out.Kestrova"_s}
        << u"@baddate.csv: '*' ist keine gültige Datums- und Uhrzeitangabe"_s;
    QTest::newRow("import to OUT over an existing file, integer error")
        << QStringList{u"import-tasks"_s, u"@diary.Kestrova"_s, u"@badint.csv"_s, u"--output"_s, u"@old.txt"_s}
        << u"@badint.csv: '08h' ist kein gültiger Integerwert"_s;
}

void TestKestrovaCli::failuresWriteNothing()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    WriteBytes(Path(u"badint.csv"_s), "header\n"
                                      "Good;2026-03-12 08:00:00;2026-03-12 09:00:00;kept out\n"
                                      "Bad;2026-03-12 08h:00:00;2026-03-12 09:00:00;\n");
    WriteBytes(Path(u"baddate.csv"_s), "header\n"
                                       "Good;2026-03-12 08:00:00;2026-03-12 09:00:00;\n"
                                       "Bad;2026-02-30 08:00:00;2026-03-12 09:00:00;\n");
    const auto before = Snapshot(fFolder);

    const TRun run = Run(Expand(args));

    QCOMPARE(run.ExitCode, 1);
    QVERIFY(run.Out.isEmpty());
    QStringList parts = message.split(u'*');
    for (QString& part : parts)
        part = QRegularExpression::escape(part.replace(u'@', fFolder + u'/'));
    const QRegularExpression expected(u"^"_s + parts.join(u".*"_s));
    QVERIFY2(expected.match(run.Err).hasMatch(), qPrintable(run.Err));
    QVERIFY2(run.Err.endsWith(u'\n') && run.Err.count(u'\n') == 1, qPrintable(run.Err));
    QCOMPARE(Snapshot(fFolder), before);
}

void TestKestrovaCli::convertKeepsEveryDayInFileOrder()
{
    const TRun run = Run({u"convert"_s, Path(u"diary.Kestrova"_s), Path(u"copy.Kestrova"_s)});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));

    // A version 10 file comes back byte for byte: nothing dropped, sorted or changed.
    QCOMPARE(ReadBytes(Path(u"copy.Kestrova"_s)), ReadBytes(Path(u"diary.Kestrova"_s)));
    const auto copy = ReadDiaryFile(Path(u"copy.Kestrova"_s));
    QCOMPARE(copy->DB.size(), size_t(5));
    QCOMPARE(DateOfDateTime(copy->DB.at(1)->Date), QDate(2026, 4, 1));
    QCOMPARE(DateOfDateTime(copy->DB.at(2)->Date), QDate(2026, 3, 2));
    QVERIFY(!IsFilledDay(*copy->DB.at(2)));
}

void TestKestrovaCli::convertWritesOlderVersionsAsTen_data()
{
    QTest::addColumn<int>("version");
    for (int version = 1; version <= 10; ++version)
        QTest::addRow("version %d", version) << version;
}

void TestKestrovaCli::convertWritesOlderVersionsAsTen()
{
    QFETCH(int, version);
    const QByteArray old = DiaryFixture(*MakeSampleDiary(), version);
    WriteBytes(Path(u"old.Kestrova"_s), old);

    const TRun run = Run({u"convert"_s, Path(u"old.Kestrova"_s), Path(u"new.Kestrova"_s)});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));

    // The tool's result is the program's own reading of the file, written as version 10.
    const auto expected = ReadDiaryBytes(old);
    QCOMPARE(expected->Version, version);
    QCOMPARE(ReadBytes(Path(u"new.Kestrova"_s)), WrittenDiary(*expected));
    QCOMPARE(ReadDiaryFile(Path(u"new.Kestrova"_s))->Version, 10);
    QCOMPARE(ReadBytes(Path(u"old.Kestrova"_s)), old);

    const TRun info = Run({u"info"_s, Path(u"old.Kestrova"_s)});
    QCOMPARE(info.ExitCode, 0);
    QVERIFY2(info.Out.contains(u"\nVersion read: "_s + QString::number(version) + u'\n'), qPrintable(info.Out));
}

void TestKestrovaCli::exportsMatchTheProgramInEachLocale_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("markers"); // how 36.6 and (in the text) 14:05:09 must appear

    QTest::newRow("export-text, C") << u"export-text"_s << u"C"_s << QStringList{u"36.6"_s, u"14:05:09"_s};
    QTest::newRow("export-text, de_DE") << u"export-text"_s << u"de_DE.UTF-8"_s
                                        << QStringList{u"36,6"_s, u"72,25"_s, u"14:05:09"_s};
    QTest::newRow("export-text, en_US") << u"export-text"_s << u"en_US.UTF-8"_s
                                        << QStringList{u"36.6"_s, u"\r\n2:05:09"_s, u"PM"_s};
    QTest::newRow("export-health, C") << u"export-health"_s << u"C"_s << QStringList{u"36.6;"_s};
    QTest::newRow("export-health, de_DE") << u"export-health"_s << u"de_DE.UTF-8"_s << QStringList{u"36,6;"_s};
    QTest::newRow("export-health, en_US") << u"export-health"_s << u"en_US.UTF-8"_s << QStringList{u"36.6;"_s};
}

void TestKestrovaCli::exportsMatchTheProgramInEachLocale()
{
    QFETCH(QString, command);
    QFETCH(QString, locale);
    QFETCH(QStringList, markers);

    // No extension: the tool writes exactly the path it was given.
    const QString out = Path(u"march"_s);
    const TRun run = Run({command, Path(u"diary.Kestrova"_s), u"2026-03"_s, out}, locale);
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));

    const QString expectedFile = Path(u"expected"_s);
    const TRegionalSettings settings = TRegionalSettings::FromLocale(QLocale(locale.section(u'.', 0, 0)));
    const auto diary = ReadDiaryFile(Path(u"diary.Kestrova"_s));
    if (command == u"export-text"_s)
        ExportMonthAsTextFile(*diary, 2026, 3, expectedFile, settings);
    else
        ExportHealthValuesAsCsvFile(*diary, 2026, 3, expectedFile, settings);

    const QByteArray bytes = ReadBytes(out);
    QCOMPARE(bytes, ReadBytes(expectedFile));
    QVERIFY(bytes.startsWith("\xEF\xBB\xBF"));
    for (const QString& marker : markers)
        QVERIFY2(QString::fromUtf8(bytes).contains(marker), qPrintable(marker));
    QVERIFY(!QFileInfo::exists(out + u".txt"_s) && !QFileInfo::exists(out + u".csv"_s));

    // An existing file of that name is replaced.
    const TRun again = Run({command, Path(u"diary.Kestrova"_s), u"2026-03"_s, Path(u"old.txt"_s)}, locale);
    QCOMPARE(again.ExitCode, 0);
    QCOMPARE(ReadBytes(Path(u"old.txt"_s)), bytes);
}

void TestKestrovaCli::importTasksToOutput_data()
{
    QTest::addColumn<bool>("endOnly");
    QTest::addColumn<QList<QTime>>("times"); // from, to of each new task in list order
    QTest::addColumn<QStringList>("notes");

    QTest::newRow("answer No") << false << QList<QTime>{QTime(7, 30), QTime(1, 0), QTime(8, 0), QTime(9, 15)}
                               << QStringList{QString(), u"a b"_s};
    QTest::newRow("answer Yes") << true << QList<QTime>{QTime(1, 0), QTime(1, 0), QTime(9, 15), QTime(9, 15)}
                                << QStringList{QString(), u"a b"_s};
}

void TestKestrovaCli::importTasksToOutput()
{
    QFETCH(bool, endOnly);
    QFETCH(QList<QTime>, times);
    QFETCH(QStringList, notes);

    const QByteArray diaryBefore = ReadBytes(Path(u"diary.Kestrova"_s));
    QStringList args{u"import-tasks"_s, Path(u"diary.Kestrova"_s), Path(u"tasks.csv"_s)};
    if (endOnly)
        args << u"--end-only"_s;
    args << u"--output"_s << Path(u"out.Kestrova"_s);

    const TRun run = Run(args);
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
    QCOMPARE(ReadBytes(Path(u"diary.Kestrova"_s)), diaryBefore);

    const auto out = ReadDiaryFile(Path(u"out.Kestrova"_s));
    QCOMPARE(out->DB.size(), size_t(5)); // nothing dropped, no page created
    const TDay* day = out->DB.at(0).get();
    QCOMPARE(DateOfDateTime(day->Date), QDate(2026, 3, 12));
    QCOMPARE(day->Tasks.size(), size_t(3));
    QCOMPARE(day->Tasks.at(0)->Task, u"Existing"_s);
    QCOMPARE(day->LastTaskID, qint64(5));
    for (int i = 0; i < 2; ++i) {
        const TTask& task = *day->Tasks.at(i + 1);
        QCOMPARE(task.ID, qint64(4 + i));
        QCOMPARE(task.Task, u"New Task"_s);
        QCOMPARE(TimeOf(task.FromTime), times.at(2 * i));
        QCOMPARE(TimeOf(task.ToTime), times.at(2 * i + 1));
        QCOMPARE(task.Notes, notes.at(i));
    }
}

void TestKestrovaCli::importTasksInPlaceMakesDatedBackup()
{
    const QByteArray diaryBefore = ReadBytes(Path(u"diary.Kestrova"_s));
    const QDate dayBefore = QDate::currentDate();
    const TRun run = Run({u"import-tasks"_s, Path(u"diary.Kestrova"_s), Path(u"tasks.csv"_s)});
    const QDate dayAfter = QDate::currentDate();
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));

    QString backup = Path(dayAfter.toString(u"yyyy-MM-dd"_s) + u"--diary.Kestrova"_s);
    if (!QFileInfo::exists(backup))
        backup = Path(dayBefore.toString(u"yyyy-MM-dd"_s) + u"--diary.Kestrova"_s);
    QCOMPARE(ReadBytes(backup), diaryBefore);

    // Only the backup is new: no temporary file is left beside the diary.
    QStringList expected{QFileInfo(backup).fileName(), u"corrupt.Kestrova"_s, u"diary.Kestrova"_s, u"old.txt"_s,
                         u"tasks.csv"_s};
    expected.sort();
    QCOMPARE(QDir(fFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name), expected);

    const auto saved = ReadDiaryFile(Path(u"diary.Kestrova"_s));
    QCOMPARE(saved->Version, 10);
    QCOMPARE(saved->DB.size(), size_t(5)); // the empty page of 2 March stays
    QCOMPARE(saved->DB.at(0)->Tasks.size(), size_t(3));
}

void TestKestrovaCli::encryptedDiaries()
{
    WriteBytes(Path(u"pw"_s), "correct horse\n");
    WriteBytes(Path(u"bad"_s), "incorrect horse\n");
    const QString plain = Path(u"diary.Kestrova"_s);
    const QString sealed = Path(u"sealed.Kestrova"_s);
    const QStringList password{u"--password-file"_s, Path(u"pw"_s)};

    TRun run = Run(QStringList{u"encrypt"_s, plain, sealed} + password);
    QCOMPARE(run.ExitCode, 0);
    const QByteArray sealedBytes = ReadBytes(sealed);
    QVERIFY(sealedBytes.startsWith("KESTROVA"));
    const QString breakfast = u"Porridge"_s; // stored as UTF-16 in a plain diary
    QVERIFY(ReadBytes(plain).contains(QByteArrayView(reinterpret_cast<const char*>(breakfast.utf16()), 16)));
    QVERIFY(!sealedBytes.contains(QByteArrayView(reinterpret_cast<const char*>(breakfast.utf16()), 16)));

    // Every command reads it with the password, and tells a wrong or a missing one.
    const TRun plainInfo = Run({u"info"_s, plain});
    run = Run(QStringList{u"info"_s, sealed} + password);
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.Out.section(u'\n', 1), plainInfo.Out.section(u'\n', 1)); // all but the "File:" line
    run = Run({u"info"_s, sealed, u"--password-file"_s, Path(u"bad"_s)});
    QCOMPARE(run.ExitCode, 1);
    QCOMPARE(run.Err, u"The password for %1 is wrong.\n"_s.arg(sealed));
    run = Run({u"info"_s, sealed});
    QCOMPARE(run.ExitCode, 1);
    QVERIFY2(run.Err.contains(u"give its password with --password-file FILE or on a terminal"_s), qPrintable(run.Err));
    run = Run(QStringList{u"encrypt"_s, sealed, Path(u"twice.Kestrova"_s)} + password);
    QCOMPARE(run.ExitCode, 1);
    QVERIFY(!QFileInfo::exists(Path(u"twice.Kestrova"_s)));

    // Decrypted, it is the plain diary file byte for byte.
    run = Run(QStringList{u"decrypt"_s, sealed, Path(u"open.Kestrova"_s)} + password);
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(ReadBytes(Path(u"open.Kestrova"_s)), ReadBytes(plain));

    // A change saved back keeps it encrypted, and its backup is the encrypted file it replaced.
    run = Run(QStringList{u"import-tasks"_s, sealed, Path(u"tasks.csv"_s)} + password);
    QCOMPARE(run.ExitCode, 0);
    QVERIFY(ReadBytes(sealed).startsWith("KESTROVA"));
    QCOMPARE(ReadBytes(Path(QDate::currentDate().toString(u"yyyy-MM-dd"_s) + u"--sealed.Kestrova"_s)), sealedBytes);
    run = Run(QStringList{u"convert"_s, sealed, Path(u"converted.Kestrova"_s)} + password);
    QCOMPARE(run.ExitCode, 0);
    QVERIFY(ReadBytes(Path(u"converted.Kestrova"_s)).startsWith("KESTROVA"));
    run = Run(QStringList{u"decrypt"_s, Path(u"converted.Kestrova"_s), Path(u"after.Kestrova"_s)} + password);
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(ReadDiaryFile(Path(u"after.Kestrova"_s))->DB.at(0)->Tasks.size(), size_t(3));
}

void TestKestrovaCli::info()
{
    const TRun run = Run({u"info"_s, Path(u"diary.Kestrova"_s)});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
    const QString expected = u"File: "_s + Path(u"diary.Kestrova"_s) +
                             u"\n"
                             "Version read: 10\n"
                             "Notice: Sample notice\n"
                             "Days: 5\n"
                             "Filled days: 4\n"
                             "First date: 2026-02-28\n"
                             "Last date: 2026-04-01\n"
                             "Tasks: 1\n"
                             "Conversations: 1\n"
                             "Shopping trips: 1\n"
                             "Pictures: 1\n"_s;
    QCOMPARE(run.Out, expected);
}

void TestKestrovaCli::search_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("out");

    QTest::newRow("case ignored, newest first")
        << QStringList{u"NEW"_s} << u"2026-03-31\tConversation title\tNew Conversation\n2026-03-31\tShop\tNew Shop\n"_s;
    QTest::newRow("umlauts folded") << QStringList{u"GRÜßE"_s} << u"2026-03-12\tThoughts\tGrüße; \"quoted\"\n"_s;
    QTest::newRow("--case, nothing found") << QStringList{u"new"_s, u"--case"_s} << QString();
    QTest::newRow("--case") << QStringList{u"--case"_s, u"Porridge"_s} << u"2026-02-28\tBreakfast\tPorridge\n"_s;
    QTest::newRow("part of a word") << QStringList{u"exist"_s} << u"2026-03-12\tTask\tExisting\n"_s;
    QTest::newRow("--words") << QStringList{u"exist"_s, u"--words"_s} << QString();
    QTest::newRow("after -- an option is text") << QStringList{u"--"_s, u"--case"_s} << QString();
}

void TestKestrovaCli::search()
{
    QFETCH(QStringList, args);
    QFETCH(QString, out);
    const auto before = Snapshot(fFolder);

    const TRun run = Run(QStringList{u"search"_s, Path(u"diary.Kestrova"_s)} + args);

    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
    QCOMPARE(run.Out, out);
    QCOMPARE(Snapshot(fFolder), before);
}

void TestKestrovaCli::healthSummary_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("out");

    QTest::newRow("text")
        << QStringList{u"2026-03-01"_s, u"2026-03-31"_s} << u"C"_s
        << u"Health summary from 2026-03-01 to 2026-03-31\n"
           "\n"
           "Reading      Time of day  Days  Minimum  Date of minimum  Maximum  Date of maximum   Mean\n"
           "Temperature  Morning         1     36.6  2026-03-12          36.6  2026-03-12        36.6\n"
           "Pulse        Afternoon       1       61  2026-03-31            61  2026-03-31          61\n"
           "Weight       Evening         1    72.25  2026-03-12         72.25  2026-03-12       72.25\n"_s;
    QTest::newRow("text, nothing in the range") << QStringList{u"2026-03-13"_s, u"2026-03-30"_s} << u"de_DE.UTF-8"_s
                                                << u"Health summary from 2026-03-13 to 2026-03-30\n"
                                                   "\n"
                                                   "No health readings were entered in this range.\n"_s;
    // The CSV has its fixed shape whatever the range holds: 21 reading rows and 3 pair rows.
    QString csv = HealthSummaryCsvHeader + u'\n';
    for (const QString& reading : {u"Temperature"_s, u"Pulse"_s, u"Blood pressure Sys"_s, u"Blood pressure Dia"_s,
                                   u"Oxygen saturation in %"_s, u"Glucose level"_s, u"Weight"_s})
        for (const QString& time : {u"Morning"_s, u"Afternoon"_s, u"Evening"_s})
            csv += u"Reading;"_s + reading + u';' + time + u";0;;;;;;;\n"_s;
    for (const QString& time : {u"Morning"_s, u"Afternoon"_s, u"Evening"_s})
        csv += u"Blood pressure;Blood pressure Sys/Dia;"_s + time + u";0;;;;;;;\n"_s;
    csv.replace(u"Reading;Temperature;Morning;0;;;;;;;"_s,
                u"Reading;Temperature;Morning;1;36,6;2026-03-12;36,6;2026-03-12;36,6;;"_s);
    csv.replace(u"Reading;Weight;Evening;0;;;;;;;"_s,
                u"Reading;Weight;Evening;1;72,25;2026-03-12;72,25;2026-03-12;72,25;;"_s);
    QTest::newRow("csv, de_DE, option first")
        << QStringList{u"--csv"_s, u"2026-03-12"_s, u"2026-03-12"_s} << u"de_DE.UTF-8"_s << csv;
}

void TestKestrovaCli::healthSummary()
{
    QFETCH(QStringList, args);
    QFETCH(QString, locale);
    QFETCH(QString, out);
    const auto before = Snapshot(fFolder);

    QStringList all{u"health-summary"_s};
    // An option may stand anywhere after the command; the diary stays the first file.
    if (args.first().startsWith(u"--"_s))
        all << args.takeFirst();
    all << Path(u"diary.Kestrova"_s) << args;
    const TRun run = Run(all, locale);

    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
    QCOMPARE(run.Out, out);
    QCOMPARE(Snapshot(fFolder), before);
}

void TestKestrovaCli::mergeWithoutConflicts()
{
    const auto base = SampleDiary();
    const auto ours = SampleDiary();
    PageOf(*ours, QDate(2026, 3, 12)).Thoughts = u"ours"_s;
    WriteDiaryFile(*ours, Path(u"ours.Kestrova"_s));
    const auto theirs = SampleDiary();
    PageOf(*theirs, QDate(2026, 3, 31)).Lunch = u"theirs"_s;
    theirs->DB.push_back(std::make_unique<TDay>(EncodeDate(QDate(2026, 3, 20))));
    theirs->DB.back()->Thoughts = u"a new page"_s;
    WriteDiaryFile(*theirs, Path(u"theirs.Kestrova"_s));

    const TRun run = Run({u"merge"_s, Path(u"diary.Kestrova"_s), Path(u"ours.Kestrova"_s), Path(u"theirs.Kestrova"_s),
                          u"-o"_s, Path(u"out.Kestrova"_s)});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
    QVERIFY(run.Out.isEmpty());

    // The file is the core's merge, written as every save writes; the inputs are left alone.
    const TMergeResult expected = MergeDiaries(*base, *ours, *theirs);
    QCOMPARE(ReadBytes(Path(u"out.Kestrova"_s)), WrittenDiary(*expected.Diary));
    const auto out = ReadDiaryFile(Path(u"out.Kestrova"_s));
    QCOMPARE(PageOf(*out, QDate(2026, 3, 12)).Thoughts, u"ours"_s);
    QCOMPARE(PageOf(*out, QDate(2026, 3, 31)).Lunch, u"theirs"_s);
    QCOMPARE(PageOf(*out, QDate(2026, 3, 20)).Thoughts, u"a new page"_s);
    QCOMPARE(ReadBytes(Path(u"ours.Kestrova"_s)), WrittenDiary(*ours));
}

void TestKestrovaCli::mergeConflicts_data()
{
    QTest::addColumn<bool>("keepBoth");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("out");

    // Days in date order; a value on one line, its tabs and line breaks as blanks.
    const QString lines = u"2026-02-28\tDay\t-\tday\tkept\t(changed) Breakfast\t(emptied)\n"
                          "2026-03-12\tDay\tTemperatureAtMorning\tnumber\tours\t37.2\t36.9\n"
                          "2026-03-12\tDay\tThoughts\ttext\tboth\tours line second\ttheirs\n"_s;
    QTest::newRow("left") << false << u"C"_s << lines;
    QTest::newRow("left, de_DE") << false << u"de_DE.UTF-8"_s
                                 << QString(lines).replace(u"37.2\t36.9"_s, u"37,2\t36,9"_s);
    QTest::newRow("--keep-both") << true << u"C"_s << lines;
}

void TestKestrovaCli::mergeConflicts()
{
    QFETCH(bool, keepBoth);
    QFETCH(QString, locale);
    QFETCH(QString, out);
    WriteConflictingVersions(Path(u"ours.Kestrova"_s), Path(u"theirs.Kestrova"_s));
    const auto before = Snapshot(fFolder);

    QStringList args{u"merge"_s, Path(u"diary.Kestrova"_s), Path(u"ours.Kestrova"_s), Path(u"theirs.Kestrova"_s),
                     u"-o"_s,    Path(u"out.Kestrova"_s)};
    if (keepBoth)
        args.insert(1, u"--keep-both"_s);
    const TRun run = Run(args, locale);
    QCOMPARE(run.Out, out);

    if (!keepBoth) {
        QCOMPARE(run.ExitCode, 3);
        QCOMPARE(run.Err,
                 Path(u"out.Kestrova"_s) +
                     u" was not written: 3 conflicts (listed); --keep-both writes it with the outcome shown.\n"_s);
        QCOMPARE(Snapshot(fFolder), before);
        return;
    }
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
    const auto merged = ReadDiaryFile(Path(u"out.Kestrova"_s));
    const TDay& day = PageOf(*merged, QDate(2026, 3, 12));
    QCOMPARE(day.Thoughts, u"ours\tline\nsecond\n----- changed elsewhere -----\ntheirs"_s);
    QCOMPARE(day.TemperatureAtMorning, 37.2);
    QCOMPARE(PageOf(*merged, QDate(2026, 2, 28)).Breakfast, u"Muesli"_s);
    QCOMPARE(PageOf(*merged, QDate(2026, 3, 31)).Lunch, u"ours only"_s);
    QCOMPARE(PageOf(*merged, QDate(2026, 4, 1)).Dinner, u"theirs only"_s);
}

// The usual case: a sync tool's conflicted copy merged back into the diary itself, which keeps its
// dated backup as every save does; a diary read encrypted is written encrypted.
void TestKestrovaCli::mergeOntoOursKeepsBackupAndEncryption()
{
    WriteBytes(Path(u"pw"_s), "correct horse\n");
    const QStringList password{u"--password-file"_s, Path(u"pw"_s)};
    WriteConflictingVersions(Path(u"plain.Kestrova"_s), Path(u"theirs.Kestrova"_s));
    TRun run = Run(QStringList{u"encrypt"_s, Path(u"plain.Kestrova"_s), Path(u"ours.Kestrova"_s)} + password);
    QCOMPARE(run.ExitCode, 0);
    const QByteArray oursBefore = ReadBytes(Path(u"ours.Kestrova"_s));

    const QDate dayBefore = QDate::currentDate();
    run = Run(QStringList{u"merge"_s, Path(u"diary.Kestrova"_s), Path(u"ours.Kestrova"_s), Path(u"theirs.Kestrova"_s),
                          u"-o"_s, Path(u"ours.Kestrova"_s), u"--keep-both"_s} +
              password);
    const QDate dayAfter = QDate::currentDate();
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
    QCOMPARE(run.Out.count(u'\n'), 3);

    QString backup = Path(dayAfter.toString(u"yyyy-MM-dd"_s) + u"--ours.Kestrova"_s);
    if (!QFileInfo::exists(backup))
        backup = Path(dayBefore.toString(u"yyyy-MM-dd"_s) + u"--ours.Kestrova"_s);
    QCOMPARE(ReadBytes(backup), oursBefore);
    QVERIFY(ReadBytes(Path(u"ours.Kestrova"_s)).startsWith("KESTROVA"));

    run = Run(QStringList{u"decrypt"_s, Path(u"ours.Kestrova"_s), Path(u"open.Kestrova"_s)} + password);
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(PageOf(*ReadDiaryFile(Path(u"open.Kestrova"_s)), QDate(2026, 4, 1)).Dinner, u"theirs only"_s);
}

void TestKestrovaCli::diff()
{
    WriteConflictingVersions(Path(u"ours.Kestrova"_s), Path(u"theirs.Kestrova"_s));
    const auto before = Snapshot(fFolder);

    TRun run = Run({u"diff"_s, Path(u"diary.Kestrova"_s), Path(u"theirs.Kestrova"_s)});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY2(run.Err.isEmpty(), qPrintable(run.Err));
    QCOMPARE(run.Out, u"2026-02-28\tDay\tremoved\n"
                      "2026-03-12\tDay\tTemperatureAtMorning\n"
                      "2026-03-12\tDay\tThoughts\n"
                      "2026-04-01\tDay\tDinner\n"_s);

    // The other way round, a removed page is an added one; no difference prints nothing.
    run = Run({u"diff"_s, Path(u"theirs.Kestrova"_s), Path(u"diary.Kestrova"_s)});
    QCOMPARE(run.ExitCode, 0);
    QVERIFY(run.Out.startsWith(u"2026-02-28\tDay\tadded\n"_s));
    run = Run({u"diff"_s, Path(u"diary.Kestrova"_s), Path(u"diary.Kestrova"_s)});
    QCOMPARE(run.ExitCode, 0);
    QCOMPARE(run.Out, QString());
    QCOMPARE(Snapshot(fFolder), before);
}

QTEST_GUILESS_MAIN(TestKestrovaCli)
#include "test_kestrova_cli.moc"
