#include "exchange/TaskImport.h"
#include "util/Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString kHeader = u"Task; Start date and time; End date and time; Note"_s;

TDateTime Date(int aYear, int aMonth, int aDay, int aHour = 0, int aMinute = 0)
{
    return EncodeDate(QDate(aYear, aMonth, aDay)) + EncodeTime(QTime(aHour, aMinute));
}

QString HourMinute(TTime aTime)
{
    return TimeOfDateTime(aTime).toString(u"HH:mm"_s);
}

// The tasks of every page in list order, one line each: "date id from-to task|notes".
QStringList Tasks(const TDiary& aDiary)
{
    QStringList lines;
    for (const auto& day : aDiary.DB)
        for (const auto& task : day->Tasks)
            lines << u"%1 #%2 %3-%4 %5|%6"_s.arg(TKSDateUtils::ToYearMonthDayStr(day->Date))
                         .arg(task->ID)
                         .arg(HourMinute(task->FromTime), HourMinute(task->ToTime), task->Task, task->Notes);
    return lines;
}

// Everything of the diary the import may touch, exactly: page order, dates, counters, tasks.
QStringList Snapshot(const TDiary& aDiary)
{
    QStringList lines;
    for (const auto& day : aDiary.DB) {
        lines << u"page %1 last=%2"_s.arg(day->Date, 0, 'g', 17).arg(day->LastTaskID);
        for (const auto& task : day->Tasks)
            lines << u"  %1 %2 %3 %4|%5"_s.arg(task->ID)
                         .arg(task->FromTime, 0, 'g', 17)
                         .arg(task->ToTime, 0, 'g', 17)
                         .arg(task->Task, task->Notes);
    }
    return lines;
}

QByteArray File(const QStringList& aLines, const char* aLineEnd = "\r\n")
{
    QByteArray bytes;
    for (const QString& line : aLines)
        bytes += line.toUtf8() + aLineEnd;
    return bytes;
}

// A diary that already holds the 12 March page with one task, as the list commands made it.
std::unique_ptr<TDiary> DiaryWithOneTask()
{
    auto diary = std::make_unique<TDiary>();
    TDay* day = diary->GetDay(Date(2026, 3, 12, 20, 15));
    auto task = std::make_unique<TTask>();
    task->ID = 5;
    day->LastTaskID = 5;
    day->Tasks.push_back(std::move(task));
    return diary;
}
} // namespace

class TestTaskImport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void workedExample_data();
    void workedExample();
    void rows_data();
    void rows();
    void lineEnds_data();
    void lineEnds();
    void conversionErrorsChangeNothing_data();
    void conversionErrorsChangeNothing();
    void invalidUtf8();
    void anyInputEndsCleanly();
    void pagesAsGetDayWouldChoose();
    void datesBefore1900();
    void importingTwiceAddsTwice();
    void fromFile();
};

void TestTaskImport::workedExample_data()
{
    QTest::addColumn<bool>("endOnly");
    QTest::addColumn<QStringList>("tasks");

    QTest::newRow("No") << false
                        << QStringList{u"2026-03-12 #5 00:00-00:01 New Task|"_s,
                                       u"2026-03-12 #6 07:30-01:00 New Task|"_s,
                                       u"2026-03-12 #7 08:00-09:15 New Task|a b"_s};
    QTest::newRow("Yes") << true
                         << QStringList{u"2026-03-12 #5 00:00-00:01 New Task|"_s,
                                        u"2026-03-12 #6 01:00-01:00 New Task|"_s,
                                        u"2026-03-12 #7 09:15-09:15 New Task|a b"_s};
}

void TestTaskImport::workedExample()
{
    QFETCH(bool, endOnly);
    QFETCH(QStringList, tasks);

    const QByteArray file = File({kHeader, u"New Task;2026-03-12 08:00:00;2026-03-12 09:15:00;a"_s, u"b"_s,
                                  u"New Task;2026-03-12 07:30:00;2026-03-13 01:00:00;"_s});
    auto diary = DiaryWithOneTask();
    const TTaskImportResult result = ImportTasks(*diary, file, endOnly);
    QCOMPARE(Tasks(*diary), tasks);
    QCOMPARE(diary->DB.size(), size_t(1)); // the end date never chooses a page
    QCOMPARE(diary->DB[0]->LastTaskID, 7);
    QCOMPARE(result.TasksAdded, 2);
    QCOMPARE(result.DaysCreated, 0);
    QVERIFY(result.DiaryChanged());
}

void TestTaskImport::rows_data()
{
    QTest::addColumn<QStringList>("lines"); // the whole file, header included
    QTest::addColumn<QStringList>("tasks");

    const QString start = u"2026-03-12 08:00:00"_s;
    const QString end = u"2026-03-12 09:00:00"_s;
    const QString row = u"T;%1;%2;"_s.arg(start, end);

    QTest::newRow("empty file") << QStringList{} << QStringList{};
    QTest::newRow("header only") << QStringList{kHeader} << QStringList{};
    QTest::newRow("first line skipped even as a row")
        << QStringList{row + u"first"_s, row + u"second"_s} << QStringList{u"2026-03-12 #1 08:00-09:00 T|second"_s};
    QTest::newRow("empty task text and note")
        << QStringList{kHeader, u";%1;%2;"_s.arg(start, end)} << QStringList{u"2026-03-12 #1 08:00-09:00 |"_s};
    QTest::newRow("note keeps its semicolons")
        << QStringList{kHeader, row + u"a;b; c"_s} << QStringList{u"2026-03-12 #1 08:00-09:00 T|a;b; c"_s};
    QTest::newRow("blanks after separators as the hint writes them")
        << QStringList{kHeader, u"T; %1; %2; note"_s.arg(start, end)}
        << QStringList{u"2026-03-12 #1 08:00-09:00 T| note"_s};
    QTest::newRow("quotes are plain characters")
        << QStringList{kHeader, u"\"Call; Anna\";%1;%2;\"x\""_s.arg(start, end)} << QStringList{};
    QTest::newRow("quotes kept") << QStringList{kHeader, u"\"Call\";%1;%2;\"x\""_s.arg(start, end)}
                                 << QStringList{u"2026-03-12 #1 08:00-09:00 \"Call\"|\"x\""_s};
    QTest::newRow("short pieces, seconds never read")
        << QStringList{kHeader, u"T;2026-3-12 8:05:59;+2026-03-12 08:07:;"_s}
        << QStringList{u"2026-03-12 #1 08:05-08:07 T|"_s};
    QTest::newRow("without the third semicolon") << QStringList{kHeader, u"T;%1;%2"_s.arg(start, end)} << QStringList{};
    QTest::newRow("without the second semicolon") << QStringList{kHeader, u"T;%1"_s.arg(start)} << QStringList{};
    QTest::newRow("start without a dash")
        << QStringList{kHeader, u"T;12.03.2026 08:00:00;%1;x"_s.arg(end)} << QStringList{};
    QTest::newRow("start beginning with a dash")
        << QStringList{kHeader, u"T;-2026-03-12 08:00:00;%1;x"_s.arg(end)} << QStringList{};
    QTest::newRow("end without a dash") << QStringList{kHeader, u"T;%1;09:00:00;x"_s.arg(start)} << QStringList{};
    // The start field decides first: the broken end field behind a dropped start is never read.
    QTest::newRow("dropped before the end is read")
        << QStringList{kHeader, u"T;x;2026-13-45 99:99;n"_s} << QStringList{};
    QTest::newRow("continuation lines joined by a blank")
        << QStringList{kHeader, row + u"a"_s, u"b"_s, QString(), u" c "_s}
        << QStringList{u"2026-03-12 #1 08:00-09:00 T|a b  c "_s};
    QTest::newRow("continuation of an empty note")
        << QStringList{kHeader, row, u"b"_s} << QStringList{u"2026-03-12 #1 08:00-09:00 T| b"_s};
    QTest::newRow("continuation without a row")
        << QStringList{kHeader, u"orphan"_s, row + u"a"_s} << QStringList{u"2026-03-12 #1 08:00-09:00 T|a"_s};
    QTest::newRow("continuation of a dropped row")
        << QStringList{kHeader, row + u"a"_s, u"T;no date;;x"_s, u"lost"_s, row + u"b"_s}
        << QStringList{u"2026-03-12 #1 08:00-09:00 T|a"_s, u"2026-03-12 #2 08:00-09:00 T|b"_s};
    QTest::newRow("days in any order, each sorted by start time")
        << QStringList{kHeader, u"c;2026-03-14 10:00:00;2026-03-14 10:30:00;"_s,
                       u"b;2026-03-12 09:00:00;2026-03-12 09:30:00;"_s, u"d;2026-03-14 08:00:00;2026-03-14 08:30:00;"_s,
                       u"a;2026-03-12 07:00:00;2026-03-12 07:30:00;"_s}
        << QStringList{u"2026-03-12 #1 07:00-07:30 a|"_s, u"2026-03-12 #2 09:00-09:30 b|"_s,
                       u"2026-03-14 #1 08:00-08:30 d|"_s, u"2026-03-14 #2 10:00-10:30 c|"_s};
    QTest::newRow("first and last dates a row can carry, same date and time in file order")
        << QStringList{kHeader, u"z;9999-12-31 23:59:00;9999-12-31 23:59:00;"_s,
                       u"b;0001-01-01 23:59:00;0001-01-01 23:59:00;"_s, u"a;0001-01-01 00:00:00;0001-01-01 00:01:00;"_s,
                       u"y;9999-12-31 23:59:00;9999-12-31 23:59:00;"_s}
        << QStringList{u"1-01-01 #1 00:00-00:01 a|"_s, u"1-01-01 #2 23:59-23:59 b|"_s,
                       u"9999-12-31 #1 23:59-23:59 z|"_s, u"9999-12-31 #2 23:59-23:59 y|"_s};
    QTest::newRow("ending on a later date stays on its start day")
        << QStringList{kHeader, u"T;2026-03-12 23:00:00;2026-03-13 01:00:00;"_s}
        << QStringList{u"2026-03-12 #1 23:00-01:00 T|"_s};
}

void TestTaskImport::rows()
{
    QFETCH(QStringList, lines);
    QFETCH(QStringList, tasks);

    TDiary diary;
    const TTaskImportResult result = ImportTasks(diary, File(lines), false);
    QCOMPARE(Tasks(diary), tasks);
    QCOMPARE(result.TasksAdded, tasks.size());
    QCOMPARE(result.DiaryChanged(), !tasks.isEmpty());
    QCOMPARE(qsizetype(diary.DB.size()), result.DaysCreated);
}

void TestTaskImport::lineEnds_data()
{
    QTest::addColumn<QByteArray>("file");

    const QStringList lines = {kHeader, u"T;2026-03-12 08:00:00;2026-03-12 09:00:00;a"_s, u"b"_s,
                               u"U;2026-03-13 08:00:00;2026-03-13 09:00:00;c"_s};
    QTest::newRow("CR LF") << File(lines, "\r\n");
    QTest::newRow("LF") << File(lines, "\n");
    QTest::newRow("CR") << File(lines, "\r");
    QTest::newRow("no break after the last line") << File(lines, "\r\n").chopped(2);
    QTest::newRow("mixed") << (kHeader + u"\rT;2026-03-12 08:00:00;2026-03-12 09:00:00;a\n\r\nb\r"
                                         u"U;2026-03-13 08:00:00;2026-03-13 09:00:00;c\n"_s)
                                  .toUtf8();
    QTest::newRow("byte-order mark") << "\xEF\xBB\xBF" + File(lines);
    // A second mark is no mark: it makes the header line longer but the header is skipped anyway.
    QTest::newRow("two marks") << "\xEF\xBB\xBF\xEF\xBB\xBF" + File(lines);
}

void TestTaskImport::lineEnds()
{
    QFETCH(QByteArray, file);
    TDiary diary;
    ImportTasks(diary, file, false);
    QCOMPARE(Tasks(diary), (QStringList{u"2026-03-12 #1 08:00-09:00 T|a b"_s, u"2026-03-13 #1 08:00-09:00 U|c"_s}));
}

void TestTaskImport::conversionErrorsChangeNothing_data()
{
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("message");

    const QString end = u"2026-03-12 09:00:00"_s;
    const auto intError = [](const QString& aPiece) { return u"'%1' ist kein gültiger Integerwert"_s.arg(aPiece); };
    const auto dateError = [](const QString& aField) {
        return u"'%1' ist keine gültige Datums- und Uhrzeitangabe"_s.arg(aField);
    };

    QTest::newRow("T between date and time") << u"T;2026-03-12T08:00:00;%1;"_s.arg(end) << intError(QString());
    QTest::newRow("no second colon") << u"T;2026-03-12 08:00;%1;"_s.arg(end) << intError(QString());
    QTest::newRow("no second dash") << u"T;2026-03 08:00:00;%1;"_s.arg(end) << intError(QString());
    QTest::newRow("empty month") << u"T;2026--12 08:00:00;%1;"_s.arg(end) << intError(QString());
    QTest::newRow("letter in a piece") << u"T;2026-0a-12 08:00:00;%1;"_s.arg(end) << intError(u"0a"_s);
    QTest::newRow("trailing blank") << u"T;2026-03-12 08 :00:00;%1;"_s.arg(end) << intError(u"08 "_s);
    QTest::newRow("blank year") << u"T; -03-12 08:00:00;%1;"_s.arg(end) << intError(u" "_s);
    QTest::newRow("beyond 32 bits") << u"T;2026-03-12 4294967304:00:00;%1;"_s.arg(end) << intError(u"4294967304"_s);
    QTest::newRow("month 13") << u"T;2026-13-12 08:00:00;%1;"_s.arg(end) << dateError(u"2026-13-12 08:00:00"_s);
    QTest::newRow("31 April") << u"T;2026-04-31 08:00:00;%1;"_s.arg(end) << dateError(u"2026-04-31 08:00:00"_s);
    QTest::newRow("29 February of a common year")
        << u"T;2026-02-29 08:00:00;%1;"_s.arg(end) << dateError(u"2026-02-29 08:00:00"_s);
    QTest::newRow("hour 24") << u"T;2026-03-12 24:00:00;%1;"_s.arg(end) << dateError(u"2026-03-12 24:00:00"_s);
    QTest::newRow("minute 60") << u"T;2026-03-12 08:60:00;%1;"_s.arg(end) << dateError(u"2026-03-12 08:60:00"_s);
    QTest::newRow("negative hour") << u"T;2026-03-12 -1:00:00;%1;"_s.arg(end) << dateError(u"2026-03-12 -1:00:00"_s);
    QTest::newRow("year 0") << u"T;0-03-12 08:00:00;%1;"_s.arg(end) << dateError(u"0-03-12 08:00:00"_s);
    QTest::newRow("year 10000") << u"T;10000-03-12 08:00:00;%1;"_s.arg(end) << dateError(u"10000-03-12 08:00:00"_s);
    QTest::newRow("in the end field") << u"T;2026-03-12 08:00:00;2026-02-30 09:00:00;"_s
                                      << dateError(u"2026-02-30 09:00:00"_s);
}

void TestTaskImport::conversionErrorsChangeNothing()
{
    QFETCH(QString, row);
    QFETCH(QString, message);

    // Good rows before and after the faulty one, for an existing and for a new page.
    const QByteArray file = File({kHeader, u"ok;2026-03-12 07:00:00;2026-03-12 07:30:00;"_s,
                                  u"new;2026-05-01 07:00:00;2026-05-01 07:30:00;"_s, row,
                                  u"later;2026-03-12 10:00:00;2026-03-12 10:30:00;"_s});
    auto diary = DiaryWithOneTask();
    const QStringList before = Snapshot(*diary);
    try {
        ImportTasks(*diary, file, false);
        QFAIL("the import reported success");
    } catch (const EConvertError& error) {
        QCOMPARE(error.Message(), message);
    }
    QCOMPARE(Snapshot(*diary), before);
}

void TestTaskImport::invalidUtf8()
{
    // Latin-1 text, a stray continuation byte and a sequence cut off by the end of the file.
    const QByteArray file = "Caf\xE9 header\r\n"
                            "T\xC3;2026-03-12 08:00:00;2026-03-12 09:00:00;n\x80\r\n"
                            "end\xE2\x82";
    TDiary diary;
    ImportTasks(diary, file, false);
    const QStringList tasks = Tasks(diary);
    QCOMPARE(tasks.size(), 1);
    // How many replacement characters a cut-off sequence gives is the decoder's business.
    const QString expected = u"2026-03-12 #1 08:00-09:00 T\uFFFD|n\uFFFD end\uFFFD"_s;
    QVERIFY2(tasks[0].startsWith(expected), qPrintable(tasks[0]));
    QCOMPARE(tasks[0].mid(expected.size()), QString(tasks[0].size() - expected.size(), QChar(0xFFFD)));

    TDiary untouched;
    try {
        ImportTasks(untouched, "h\nT;2026-0\xFF-12 08:00:00;2026-03-12 09:00:00;", false);
        QFAIL("the import reported success");
    } catch (const EConvertError& error) {
        QCOMPARE(error.Message(), u"'0\uFFFD' ist kein gültiger Integerwert"_s);
    }
    QVERIFY(untouched.DB.empty());
}

void TestTaskImport::anyInputEndsCleanly()
{
    // Random files over the characters the parser looks at: every one either imports or throws the
    // conversion error, and an error leaves the diary as it was.
    static const char alphabet[] = "0123456789 -:;;;\r\n\n\xEF\xBB\xBF\xFF\xC3\x80Tx+";
    QRandomGenerator random(20260312);
    for (int round = 0; round < 3000; ++round) {
        QByteArray file = "header\n";
        const int length = random.bounded(120);
        for (int i = 0; i < length; ++i)
            file += alphabet[random.bounded(int(sizeof alphabet - 1))];
        if (round % 3 == 0)
            file += "\nT;2026-03-12 08:00:00;2026-03-12 09:00:00;";
        auto diary = DiaryWithOneTask();
        const QStringList before = Snapshot(*diary);
        try {
            const TTaskImportResult result = ImportTasks(*diary, file, round % 2 == 0);
            QCOMPARE(Snapshot(*diary) == before, !result.DiaryChanged());
        } catch (const EConvertError&) {
            QCOMPARE(Snapshot(*diary), before);
        }
    }
}

void TestTaskImport::pagesAsGetDayWouldChoose()
{
    // A diary as a file may bring it: unsorted, with two pages of one date. The import must give
    // exactly what asking GetDay once per row gives: same pages, same order, same new dates.
    const auto makeDiary = [] {
        auto diary = std::make_unique<TDiary>();
        for (const double date : {Date(2026, 3, 20), Date(2026, 3, 12, 18), Date(2026, 3, 2), Date(2026, 3, 12, 6)})
            diary->DB.push_back(std::make_unique<TDay>(date));
        diary->DB[1]->LastTaskID = 3;
        return diary;
    };
    QStringList lines = {kHeader};
    QRandomGenerator random(7);
    for (int i = 0; i < 300; ++i) {
        const int day = 1 + random.bounded(31);
        const int hour = random.bounded(24);
        lines << u"r%1;2026-03-%2 %3:%4:00;2026-03-%2 23:59:00;"_s.arg(i).arg(day).arg(hour).arg(random.bounded(60));
    }
    const QByteArray file = File(lines);

    for (const bool endOnly : {false, true}) {
        auto imported = makeDiary();
        const TTaskImportResult result = ImportTasks(*imported, file, endOnly);

        auto expected = makeDiary();
        for (const TTaskOfTheDay& row : ParseTaskRows(file, endOnly)) {
            TDay* day = expected->GetDay(row.StartDateTime);
            auto task = std::make_unique<TTask>();
            task->ID = ++day->LastTaskID;
            task->FromTime = EncodeTime(TimeOfDateTime(endOnly ? row.EndDateTime : row.StartDateTime));
            task->ToTime = EncodeTime(TimeOfDateTime(row.EndDateTime));
            task->Task = row.Task;
            task->Notes = row.Notice;
            day->Tasks.push_back(std::move(task));
        }
        QCOMPARE(Snapshot(*imported), Snapshot(*expected));
        QCOMPARE(result.TasksAdded, 300);
        QCOMPARE(result.DaysCreated, qsizetype(expected->DB.size()) - 4);
        for (const auto& day : imported->DB)
            if (day->Date == Date(2026, 3, 12, 6))
                QVERIFY(day->Tasks.empty()); // the second page of 12 March is never chosen
    }
}

void TestTaskImport::datesBefore1900()
{
    TDiary diary;
    ImportTasks(diary, File({kHeader, u"T;1850-06-03 18:00:00;1850-06-03 19:30:00;"_s}), false);
    QCOMPARE(diary.DB.size(), size_t(1));
    const TDay& day = *diary.DB[0];
    // The new page carries the row's start, time included, and still reads as its own date.
    QCOMPARE(DateOfDateTime(day.Date), QDate(1850, 6, 3));
    QCOMPARE(TimeOfDateTime(day.Date), QTime(18, 0));
    QCOMPARE(Tasks(diary), QStringList{u"1850-06-03 #1 18:00-19:30 T|"_s});
}

void TestTaskImport::importingTwiceAddsTwice()
{
    const QByteArray file = File({kHeader, u"T;2026-03-12 08:00:00;2026-03-12 09:00:00;"_s});
    auto diary = DiaryWithOneTask();
    ImportTasks(*diary, file, false);
    ImportTasks(*diary, file, false);
    QCOMPARE(Tasks(*diary), (QStringList{u"2026-03-12 #5 00:00-00:01 New Task|"_s, u"2026-03-12 #6 08:00-09:00 T|"_s,
                                         u"2026-03-12 #7 08:00-09:00 T|"_s}));
}

void TestTaskImport::fromFile()
{
    QTemporaryDir dir;
    const QString name = dir.filePath(u"tasks.csv"_s);
    {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(File({kHeader, u"T;2026-03-12 08:00:00;2026-03-12 09:00:00;"_s}, "\r"));
    }
    TDiary diary;
    QCOMPARE(ImportTasksFromFile(diary, name, false).TasksAdded, 1);

    const QString missing = dir.filePath(u"missing.csv"_s);
    try {
        ImportTasksFromFile(diary, missing, false);
        QFAIL("a missing file was imported");
    } catch (const EFileError& error) {
        QCOMPARE(error.Message(), u"File "_s + missing + u" does not exist."_s);
    }
    try {
        ImportTasksFromFile(diary, dir.path(), false);
        QFAIL("a folder was imported");
    } catch (const EFileError& error) {
        QCOMPARE(error.Message(), u"File "_s + dir.path() + u" does not exist."_s);
    }
    QCOMPARE(Tasks(diary).size(), 1);

    // A file beyond the bound is refused before it is read whole (a sparse file: nothing on disk).
    const QString huge = dir.filePath(u"huge.csv"_s);
    {
        QFile file(huge);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(File({kHeader, u"T;2026-03-12 08:00:00;2026-03-12 09:00:00;"_s}, "\r"));
        QVERIFY(file.resize(MaxTaskFileBytes + 1));
    }
    try {
        ImportTasksFromFile(diary, huge, false);
        QFAIL("a file beyond the bound was imported");
    } catch (const EFileError& error) {
        QCOMPARE(error.Message(),
                 u"Die Datei %1 ist zu groß für einen Aufgabenimport (mehr als 64 MB)"_s.arg(QFileInfo(huge).absoluteFilePath()));
    }
    QCOMPARE(Tasks(diary).size(), 1);
}

QTEST_GUILESS_MAIN(TestTaskImport)
#include "test_task_import.moc"
