#include "exchange/ExportWriter.h"
#include "exchange/HealthValuesExport.h"
#include "exchange/MonthExport.h"
#include "util/Errors.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {
const QByteArray kBom("\xEF\xBB\xBF");

TDateTime Date(int aYear, int aMonth, int aDay, int aHour = 0, int aMinute = 0)
{
    return EncodeDate(QDate(aYear, aMonth, aDay)) + EncodeTime(QTime(aHour, aMinute));
}

TTime Time(int aHour, int aMinute)
{
    return EncodeTime(QTime(aHour, aMinute));
}

// UTF-8 with the mark, CR LF after every line; line breaks inside an entry stay as they are.
QByteArray ExportBytes(const QStringList& aLines)
{
    QByteArray bytes = kBom;
    for (const QString& line : aLines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

QByteArray MonthText(const std::vector<TDay*>& aDays, const TRegionalSettings& aSettings)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteMonthText(buffer, aDays, aSettings);
    return buffer.data();
}

QByteArray HealthCsv(const std::vector<TDay*>& aDays, const TRegionalSettings& aSettings)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteHealthValuesCsv(buffer, aDays, aSettings);
    return buffer.data();
}

// The day of the worked example: one task and one shopping trip as the list commands create them.
void AddNewEntries(TDay& aDay)
{
    aDay.Tasks.push_back(std::make_unique<TTask>());
    aDay.Shoppings.push_back(std::make_unique<TShopping>());
}

// Every field of a page set to a value of its own, so a field written in the wrong place shows.
void FillEveryField(TDay& aDay)
{
    auto task = std::make_unique<TTask>();
    task->FromTime = Time(8, 5);
    task->ToTime = Time(9, 30);
    task->Task = u"Write report"_s;
    task->Notes = u"line one\nline two"_s;
    aDay.Tasks.push_back(std::move(task));
    task = std::make_unique<TTask>();
    task->FromTime = Time(13, 0);
    task->ToTime = Time(13, 45);
    task->Task = u"Call"_s;
    aDay.Tasks.push_back(std::move(task));

    auto conversation = std::make_unique<TConversation>();
    conversation->FromTime = Time(10, 0);
    conversation->ToTime = Time(10, 15);
    conversation->Title = u"Anna"_s;
    conversation->Conversation = u"About the garden"_s;
    aDay.Conversations.push_back(std::move(conversation));

    auto shopping = std::make_unique<TShopping>();
    shopping->FromTime = Time(17, 0);
    shopping->ToTime = Time(17, 30);
    shopping->Shop = u"Market"_s;
    shopping->ShoppingList = u"Apples"_s;
    shopping->TotalPurchaseAmount = 12.5;
    aDay.Shoppings.push_back(std::move(shopping));
    shopping = std::make_unique<TShopping>();
    shopping->FromTime = Time(18, 0);
    shopping->ToTime = Time(18, 5);
    shopping->Shop = u"Kiosk"_s;
    aDay.Shoppings.push_back(std::move(shopping));

    aDay.WhatHappenedAdditionalyToTheTasks = u"Walked"_s;
    aDay.Breakfast = u"Bread"_s;
    aDay.Lunch = u"Soup"_s;
    aDay.Brunch = u"Eggs"_s;
    aDay.TeeCoffeeTime = u"Cake"_s;
    aDay.Dinner = u"Rice"_s;

    aDay.TemperatureAtMorning = 36.6;
    aDay.PulseAtMorning = 72;
    aDay.HeartArrhythmiaSymbolAppearsAtMorning = true;
    aDay.BloodPressureSysAtMorning = 128;
    aDay.BloodPressureDiaAtMorning = 84;
    aDay.OxygenSaturationAtMorning = 97;
    aDay.GlucoseLevelAtMorning = 5.4;
    aDay.WeightAtMorning = 81.3;
    aDay.TemperatureAtLunch = 36.7;
    aDay.PulseAtLunch = 73;
    aDay.BloodPressureSysAtLunch = 129;
    aDay.BloodPressureDiaAtLunch = 85;
    aDay.OxygenSaturationAtLunch = 98;
    aDay.GlucoseLevelAtLunch = 5.5;
    aDay.WeightAtLunch = 81.2;
    aDay.TemperatureAtEvening = 36.8;
    aDay.PulseAtEvening = 74;
    aDay.HeartArrhythmiaSymbolAppearsAtEvening = true;
    aDay.BloodPressureSysAtEvening = 130;
    aDay.BloodPressureDiaAtEvening = 86;
    aDay.OxygenSaturationAtEvening = 99;
    aDay.GlucoseLevelAtEvening = 5.6;
    aDay.WeightAtEvening = 81.1;
    aDay.HealthCondition = u"Fine"_s;

    aDay.WeatherTemperatureMorning = 3;
    aDay.WeatherTemperatureAfternoon = 11;
    aDay.WeatherTemperatureEvening = 7;
    aDay.WeatherTemperatureOvernight = -2;
    aDay.WeatherHumidity = 65;
    aDay.WeatherPressure = 1013.25;
    aDay.WeatherWindDirection = u"NW"_s;
    aDay.WeatherWindSpeed = 12;
    aDay.WeatherUVIndex = 4;
    aDay.WeatherMoonPhase = u"Full moon"_s;
    aDay.Weather = u"Sunny"_s;
    aDay.Thoughts = u"Good day"_s;
}

const QString kLong = QString(90, u'-');
const QString kShort = QString(39, u'-');

QStringList HealthGroupLines(const QString& aCaption, const QString& aValue, const QString& aFlag)
{
    return {aCaption,
            u"Temperature: "_s + aValue,
            u"Puls: "_s + aValue,
            u"Heart arrhythmia symbol appears: "_s + aFlag,
            u"Blood pressure Sys: "_s + aValue,
            u"Blood pressure Dia: "_s + aValue,
            u"Oxygen saturation: "_s + aValue,
            u"Glucose level: "_s + aValue,
            u"Weight: "_s + aValue};
}

// The 83 lines of the worked example for a day of 12 March 2026.
QStringList WorkedExampleLines()
{
    QStringList lines = {kLong,
                         u"2026-03-12 Thursday"_s,
                         kLong,
                         u"Tasks"_s,
                         kShort,
                         u"00:00:00 00:01:00 New Task"_s,
                         kShort,
                         u"What else happened besides the tasks"_s,
                         kShort,
                         QString(),
                         kShort,
                         u"Conversations"_s,
                         kShort,
                         kShort,
                         u"Shopping"_s,
                         kShort,
                         u"00:00:00 00:01:00 New Shop"_s,
                         u"Total Purchase Amount: 0"_s,
                         kShort,
                         u"Meals"_s,
                         kShort,
                         u"Breakfast:"_s,
                         QString(),
                         u"Lunch:"_s,
                         QString(),
                         u"Brunch:"_s,
                         QString(),
                         u"Tee Coffee Time:"_s,
                         QString(),
                         u"Dinner:"_s,
                         QString(),
                         kShort,
                         u"Health"_s,
                         kShort};
    lines += HealthGroupLines(u"Morning"_s, u"0"_s, u"No"_s);
    lines += HealthGroupLines(u"Afternoon"_s, u"0"_s, u"No"_s);
    lines += HealthGroupLines(u"Evening"_s, u"0"_s, u"No"_s);
    lines += {u"Health condition:"_s,
              QString(),
              kShort,
              u"Weather Today"_s,
              kShort,
              u"Temperature at morning: 0"_s,
              u"Temperature at afternoon: 0"_s,
              u"Temperature at evening: 0"_s,
              u"Temperature at overnight: 0"_s,
              u"Humidity: 0"_s,
              u"Pressure: 0"_s,
              u"Wind direction: "_s,
              u"Wind speed: 0"_s,
              u"UVIndex: 0"_s,
              u"Moon phase: "_s,
              u"Weather condition:"_s,
              QString(),
              kShort,
              u"Thoughts"_s,
              kShort,
              QString(),
              QString()};
    return lines;
}

// A device that accepts aLimit bytes and then fails, like a disk that fills up.
class TFailingDevice : public QIODevice {
public:
    explicit TFailingDevice(qint64 aLimit) : fLimit(aLimit) { open(QIODevice::WriteOnly); }
    QByteArray Written;

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* aData, qint64 aSize) override
    {
        const qint64 n = qMin(aSize, fLimit - Written.size());
        if (n <= 0)
            return -1;
        Written.append(aData, n);
        return n;
    }

private:
    qint64 fLimit;
};
} // namespace

class TestExports : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void searchActualMonth_data();
    void searchActualMonth();
    void monthTextWorkedExample();
    void monthTextEveryField();
    void monthTextBlocksFollowEachOther();
    void healthCsv_data();
    void healthCsv();
    void healthCsvEveryColumn();
    void emptyMonthFiles();
    void exportFileErrors();
    void failedWriteIsReported_data();
    void failedWriteIsReported();
    void failedExportLeavesNoHalfFile();
    void fileNames_data();
    void fileNames();
};

void TestExports::searchActualMonth_data()
{
    QTest::addColumn<QList<double>>("pageDates");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<QList<int>>("expected"); // indexes into pageDates, in the expected order

    QTest::newRow("unsorted list, times of day ignored")
        << QList<double>{Date(2026, 3, 20, 7), Date(2026, 3, 2, 23, 59), Date(2026, 3, 11, 12)} << 2026 << 3
        << QList<int>{1, 2, 0};
    QTest::newRow("first and last day in, neighbours out")
        << QList<double>{Date(2026, 2, 28, 23, 59), Date(2026, 3, 1), Date(2026, 3, 31, 23, 59), Date(2026, 4, 1)}
        << 2026 << 3 << QList<int>{1, 2};
    QTest::newRow("December, not the next January")
        << QList<double>{Date(2026, 1, 5), Date(2025, 12, 31, 18), Date(2025, 12, 1)} << 2025 << 12 << QList<int>{2, 1};
    QTest::newRow("same month of another year") << QList<double>{Date(2025, 3, 12)} << 2026 << 3 << QList<int>{};
    QTest::newRow("same date twice keeps list order")
        << QList<double>{Date(2026, 3, 12, 18), Date(2026, 3, 1), Date(2026, 3, 12, 6)} << 2026 << 3
        << QList<int>{1, 0, 2};
    QTest::newRow("before 1899-12-30") << QList<double>{Date(1850, 6, 3), Date(1850, 6, 30), Date(1850, 7, 1)} << 1850
                                       << 6 << QList<int>{0, 1};
    QTest::newRow("month 13 selects nothing")
        << QList<double>{Date(2026, 12, 1), Date(2027, 1, 1)} << 2026 << 13 << QList<int>{};
    QTest::newRow("month 0 selects nothing") << QList<double>{Date(2026, 1, 1)} << 2026 << 0 << QList<int>{};
}

void TestExports::searchActualMonth()
{
    QFETCH(QList<double>, pageDates);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(QList<int>, expected);

    // Pages appended as a file would bring them, not through GetDay, so the list may be unsorted.
    TDiary diary;
    for (const double date : pageDates)
        diary.DB.push_back(std::make_unique<TDay>(date));

    std::vector<TDay*> list;
    SearchActualMonth(diary, list, quint16(year), quint8(month));

    QList<int> actual;
    for (const TDay* day : list)
        for (size_t i = 0; i < diary.DB.size(); ++i)
            if (diary.DB[i].get() == day)
                actual << int(i);
    QCOMPARE(actual, expected);
    QCOMPARE(diary.DB.size(), size_t(pageDates.size())); // the selection never changes the diary
}

void TestExports::monthTextWorkedExample()
{
    TDay day(Date(2026, 3, 12));
    AddNewEntries(day);
    const QStringList lines = WorkedExampleLines();
    QCOMPARE(lines.size(), 83);
    QCOMPARE(MonthText({&day}, TRegionalSettings()), ExportBytes(lines));
}

void TestExports::monthTextEveryField()
{
    TDay day(Date(2026, 3, 13, 18));
    FillEveryField(day);
    TRegionalSettings settings = TRegionalSettings::WithSeparator(u',');
    settings.SetLongTimeFormat(u"h:mm:ss AP"_s);

    QStringList expected = {kLong,
                            u"2026-03-13 Friday"_s,
                            kLong,
                            u"Tasks"_s,
                            kShort,
                            u"8:05:00 AM 9:30:00 AM Write report"_s,
                            u"line one\nline two"_s, // as stored: the inner break is not made CR LF
                            u"1:00:00 PM 1:45:00 PM Call"_s,
                            kShort,
                            u"What else happened besides the tasks"_s,
                            kShort,
                            u"Walked"_s,
                            kShort,
                            u"Conversations"_s,
                            kShort,
                            u"10:00:00 AM 10:15:00 AM Anna"_s,
                            u"About the garden"_s,
                            kShort,
                            u"Shopping"_s,
                            kShort,
                            u"5:00:00 PM 5:30:00 PM Market"_s,
                            u"Apples"_s,
                            u"Total Purchase Amount: 12,5"_s,
                            u"6:00:00 PM 6:05:00 PM Kiosk"_s,
                            u"Total Purchase Amount: 0"_s,
                            kShort,
                            u"Meals"_s,
                            kShort,
                            u"Breakfast:"_s,
                            u"Bread"_s,
                            u"Lunch:"_s,
                            u"Soup"_s,
                            u"Brunch:"_s,
                            u"Eggs"_s,
                            u"Tee Coffee Time:"_s,
                            u"Cake"_s,
                            u"Dinner:"_s,
                            u"Rice"_s,
                            kShort,
                            u"Health"_s,
                            kShort,
                            u"Morning"_s,
                            u"Temperature: 36,6"_s,
                            u"Puls: 72"_s,
                            u"Heart arrhythmia symbol appears: Yes"_s,
                            u"Blood pressure Sys: 128"_s,
                            u"Blood pressure Dia: 84"_s,
                            u"Oxygen saturation: 97"_s,
                            u"Glucose level: 5,4"_s,
                            u"Weight: 81,3"_s,
                            u"Afternoon"_s,
                            u"Temperature: 36,7"_s,
                            u"Puls: 73"_s,
                            u"Heart arrhythmia symbol appears: No"_s,
                            u"Blood pressure Sys: 129"_s,
                            u"Blood pressure Dia: 85"_s,
                            u"Oxygen saturation: 98"_s,
                            u"Glucose level: 5,5"_s,
                            u"Weight: 81,2"_s,
                            u"Evening"_s,
                            u"Temperature: 36,8"_s,
                            u"Puls: 74"_s,
                            u"Heart arrhythmia symbol appears: Yes"_s,
                            u"Blood pressure Sys: 130"_s,
                            u"Blood pressure Dia: 86"_s,
                            u"Oxygen saturation: 99"_s,
                            u"Glucose level: 5,6"_s,
                            u"Weight: 81,1"_s,
                            u"Health condition:"_s,
                            u"Fine"_s,
                            kShort,
                            u"Weather Today"_s,
                            kShort,
                            u"Temperature at morning: 3"_s,
                            u"Temperature at afternoon: 11"_s,
                            u"Temperature at evening: 7"_s,
                            u"Temperature at overnight: -2"_s,
                            u"Humidity: 65"_s,
                            u"Pressure: 1013,25"_s,
                            u"Wind direction: NW"_s,
                            u"Wind speed: 12"_s,
                            u"UVIndex: 4"_s,
                            u"Moon phase: Full moon"_s,
                            u"Weather condition:"_s,
                            u"Sunny"_s,
                            kShort,
                            u"Thoughts"_s,
                            kShort,
                            u"Good day"_s,
                            QString()};
    QCOMPARE(MonthText({&day}, settings), ExportBytes(expected));
}

void TestExports::monthTextBlocksFollowEachOther()
{
    // Two empty days: the second block starts right after the first one's closing empty line, and
    // the list order is the file order (the caller's selection decides it, not the writer).
    TDay first(Date(2026, 3, 12));
    TDay second(Date(2026, 3, 2));
    QStringList expected;
    for (TDay* day : {&first, &second}) {
        QStringList lines = WorkedExampleLines();
        lines[1] = TKSDateUtils::ToYearMonthDayWeekdayStr(day->Date);
        lines.removeAt(17); // "Total Purchase Amount: 0"
        lines.removeAt(16); // the shopping trip
        lines.removeAt(5);  // the task
        expected += lines;
    }
    QCOMPARE(MonthText({&first, &second}, TRegionalSettings()), ExportBytes(expected));
}

void TestExports::healthCsv_data()
{
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("firstDataLine");

    QTest::newRow("decimal point") << QChar(u'.')
                                   << u"2026-03-12;Morning;36.6;72;Yes;128;84;97;5.4;81.3;Afternoon;0;0;No;0;0;0;0;0;"
                                      u"Evening;0;0;No;0;0;0;0;0"_s;
    QTest::newRow("decimal comma") << QChar(u',')
                                   << u"2026-03-12;Morning;36,6;72;Yes;128;84;97;5,4;81,3;Afternoon;0;0;No;0;0;0;0;0;"
                                      u"Evening;0;0;No;0;0;0;0;0"_s;
}

void TestExports::healthCsv()
{
    QFETCH(QChar, separator);
    QFETCH(QString, firstDataLine);

    TDay first(Date(2026, 3, 12, 9, 30));
    first.TemperatureAtMorning = 36.6;
    first.PulseAtMorning = 72;
    first.HeartArrhythmiaSymbolAppearsAtMorning = true;
    first.BloodPressureSysAtMorning = 128;
    first.BloodPressureDiaAtMorning = 84;
    first.OxygenSaturationAtMorning = 97;
    first.GlucoseLevelAtMorning = 5.4;
    first.WeightAtMorning = 81.3;
    TDay second(Date(2026, 3, 13));

    const QString header = HealthValuesCsvHeader;
    QCOMPARE(header.size(), 409);
    QCOMPARE(header.split(u';').size(), 29);
    QCOMPARE(header.split(u';').last(), QString());
    QCOMPARE(firstDataLine.split(u';').size(), 28);

    const QByteArray expected =
        ExportBytes({header, firstDataLine,
                     u"2026-03-13;Morning;0;0;No;0;0;0;0;0;Afternoon;0;0;No;0;0;0;0;0;Evening;0;0;No;0;0;0;0;0"_s});
    QCOMPARE(HealthCsv({&first, &second}, TRegionalSettings::WithSeparator(separator)), expected);
}

void TestExports::healthCsvEveryColumn()
{
    TDay day(Date(2026, 3, 13));
    FillEveryField(day);
    const QByteArray bytes = HealthCsv({&day}, TRegionalSettings());
    const QList<QByteArray> lines = bytes.mid(kBom.size()).split('\n');
    QCOMPARE(lines.size(), 3); // header, one day, and nothing after the last CR LF
    QCOMPARE(lines[1], QByteArray("2026-03-13;Morning;36.6;72;Yes;128;84;97;5.4;81.3;"
                                  "Afternoon;36.7;73;No;129;85;98;5.5;81.2;"
                                  "Evening;36.8;74;Yes;130;86;99;5.6;81.1\r"));
}

void TestExports::emptyMonthFiles()
{
    QTemporaryDir dir;
    const QString text = dir.filePath(u"2026-03-Diary.txt"_s);
    const QString csv = dir.filePath(u"values"_s);
    // Existing files are replaced entirely, not appended to.
    for (const QString& name : {text, csv}) {
        QFile file(name);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(5000, 'x'));
    }

    TDiary diary;
    diary.DB.push_back(std::make_unique<TDay>(Date(2026, 2, 28)));
    ExportMonthAsTextFile(diary, 2026, 3, text, TRegionalSettings());
    ExportHealthValuesAsCsvFile(diary, 2026, 3, csv, TRegionalSettings());

    QFile textFile(text);
    QVERIFY(textFile.open(QIODevice::ReadOnly));
    QCOMPARE(textFile.readAll(), kBom);
    QFile csvFile(csv); // exactly the name given: no extension added
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    QCOMPARE(csvFile.readAll(), ExportBytes({HealthValuesCsvHeader}));
}

void TestExports::exportFileErrors()
{
    QTemporaryDir dir;
    const QString missingFolder = dir.filePath(u"no such folder/out.txt"_s);
    TDiary diary;
    diary.DB.push_back(std::make_unique<TDay>(Date(2026, 3, 1)));

    const std::function<void()> exports[] = {
        [&] { ExportMonthAsTextFile(diary, 2026, 3, missingFolder, TRegionalSettings()); },
        [&] { ExportHealthValuesAsCsvFile(diary, 2026, 3, missingFolder, TRegionalSettings()); }};
    for (const auto& run : exports) {
        try {
            run();
            QFAIL("the export reported success");
        } catch (const EFileError& error) {
            const QString prefix = u"Datei \"%1\" kann nicht erstellt werden. "_s.arg(missingFolder);
            QVERIFY2(error.Message().startsWith(prefix), qPrintable(error.Message()));
            QVERIFY(error.Message().size() > prefix.size()); // the system's reason follows
        }
    }
    QVERIFY(!QFile::exists(missingFolder));
}

void TestExports::failedWriteIsReported_data()
{
    QTest::addColumn<bool>("csv");
    QTest::addColumn<int>("limit");

    QTest::newRow("text, mark fails") << false << 0;
    QTest::newRow("text, later block fails") << false << 5000;
    QTest::newRow("csv, header fails") << true << 3;
    QTest::newRow("csv, last line fails") << true << 3 + 411 + 80;
}

void TestExports::failedWriteIsReported()
{
    QFETCH(bool, csv);
    QFETCH(int, limit);

    std::vector<std::unique_ptr<TDay>> days;
    std::vector<TDay*> list;
    for (int d = 1; d <= 31; ++d) {
        days.push_back(std::make_unique<TDay>(Date(2026, 3, d)));
        list.push_back(days.back().get());
    }
    TFailingDevice device(limit);
    try {
        if (csv)
            WriteHealthValuesCsv(device, list, TRegionalSettings());
        else
            WriteMonthText(device, list, TRegionalSettings());
        QFAIL("a failed write was reported as success");
    } catch (const EFileError& error) {
        QCOMPARE(error.Message(), u"Stream-Schreibfehler"_s);
    }
    QCOMPARE(device.Written.size(), qsizetype(limit)); // what went out before stays
}

void TestExports::failedExportLeavesNoHalfFile()
{
    // A write that fails part-way (a full disk) must not leave a torn export behind, nor destroy
    // the complete one that the user agreed to replace.
    QTemporaryDir dir;
    const QString existing = dir.filePath(u"2026-03-Diary.txt"_s);
    const QString fresh = dir.filePath(u"2026-04-Diary.txt"_s);
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("the complete export of last week");
    }
    for (const QString& name : {existing, fresh}) {
        try {
            WriteExportFile(name, [](QIODevice& aFile) {
                TExportWriter writer(aFile);
                writer.WriteByteOrderMark();
                writer.WriteLine(QString(5000, u'x'));
                throw EFileError(u"Stream-Schreibfehler"_s);
            });
            QFAIL("the failed write was reported as success");
        } catch (const EFileError& error) {
            QCOMPARE(error.Message(), u"Stream-Schreibfehler"_s);
        }
    }
    QFile file(existing);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("the complete export of last week"));
    QVERIFY(!QFile::exists(fresh));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{u"2026-03-Diary.txt"_s}); // no temporary left
}

void TestExports::fileNames_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("used");

    QTest::newRow("no extension") << u"/tmp/report"_s << u".txt"_s << u"/tmp/report.txt"_s;
    QTest::newRow("has it") << u"report.txt"_s << u".txt"_s << u"report.txt"_s;
    QTest::newRow("upper case is not it") << u"report.TXT"_s << u".txt"_s << u"report.TXT.txt"_s;
    QTest::newRow("anywhere in the name") << u"notes.txt.old"_s << u".txt"_s << u"notes.txt.old"_s;
    QTest::newRow("even in the folder") << u"/a.txt/b"_s << u".txt"_s << u"/a.txt/b"_s;
    QTest::newRow("csv upper case") << u"values.CSV"_s << u".csv"_s << u"values.CSV.csv"_s;
    QTest::newRow("csv") << u"values"_s << u".csv"_s << u"values.csv"_s;
}

void TestExports::fileNames()
{
    QFETCH(QString, chosen);
    QFETCH(QString, extension);
    QFETCH(QString, used);
    QCOMPARE(WithExportExtension(chosen, extension), used);

    QCOMPARE(ProposedMonthTextFileName(Date(2026, 3, 12, 15)), u"2026-03-Diary.txt"_s);
    QCOMPARE(ProposedHealthValuesFileName(Date(2026, 11, 30)), u"2026-11-HealthValues.csv"_s);
}

QTEST_GUILESS_MAIN(TestExports)
#include "test_exports.moc"
