#include "model/BufferedStreams.h"
#include "model/DiaryCopy.h"
#include "model/DiaryCrypto.h"
#include "model/DiaryFile.h"
#include "util/Errors.h"
#include "util/ksDateUtils.h"

#include "support/DiaryFixture.h"
#include "support/TestDevices.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <limits>
#include <mutex>
#include <optional>
#include <sched.h>
#include <set>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr qint64 DefaultDaySize = 278;
const QString ImportedTask = QStringLiteral("Imported Task");

// The diary that reading aSource written as aFileVersion must give: fields the version lacks at
// their defaults, the legacy task text as the one imported task, ids narrowed where the version
// stored them as int32.
std::unique_ptr<TDiary> ExpectedAfterReading(const TDiary& aSource, qint32 aFileVersion)
{
    const qint32 v = std::clamp(aFileVersion, 1, 10);
    auto diary = std::make_unique<TDiary>();
    diary->Version = aFileVersion;
    diary->Copyright = aSource.Copyright;
    for (const auto& source : aSource.DB) {
        const TDay& s = *source;
        auto day = std::make_unique<TDay>(s.Date);
        TDay& d = *day;
        d.WhatHappenedAdditionalyToTheTasks = s.WhatHappenedAdditionalyToTheTasks;
        d.Breakfast = s.Breakfast;
        d.Lunch = s.Lunch;
        d.Dinner = s.Dinner;
        d.TemperatureAtMorning = s.TemperatureAtMorning;
        d.PulseAtMorning = s.PulseAtMorning;
        d.BloodPressureSysAtMorning = s.BloodPressureSysAtMorning;
        d.BloodPressureDiaAtMorning = s.BloodPressureDiaAtMorning;
        d.OxygenSaturationAtMorning = s.OxygenSaturationAtMorning;
        d.WeightAtMorning = s.WeightAtMorning;
        d.TemperatureAtLunch = s.TemperatureAtLunch;
        d.PulseAtLunch = s.PulseAtLunch;
        d.BloodPressureSysAtLunch = s.BloodPressureSysAtLunch;
        d.BloodPressureDiaAtLunch = s.BloodPressureDiaAtLunch;
        d.OxygenSaturationAtLunch = s.OxygenSaturationAtLunch;
        d.WeightAtLunch = s.WeightAtLunch;
        d.TemperatureAtEvening = s.TemperatureAtEvening;
        d.PulseAtEvening = s.PulseAtEvening;
        d.BloodPressureSysAtEvening = s.BloodPressureSysAtEvening;
        d.BloodPressureDiaAtEvening = s.BloodPressureDiaAtEvening;
        d.OxygenSaturationAtEvening = s.OxygenSaturationAtEvening;
        d.WeightAtEvening = s.WeightAtEvening;
        d.HealthCondition = s.HealthCondition;
        d.Weather = s.Weather;
        d.Thoughts = s.Thoughts;
        if (v >= 2) {
            d.HeartArrhythmiaSymbolAppearsAtMorning = s.HeartArrhythmiaSymbolAppearsAtMorning;
            d.HeartArrhythmiaSymbolAppearsAtLunch = s.HeartArrhythmiaSymbolAppearsAtLunch;
            d.HeartArrhythmiaSymbolAppearsAtEvening = s.HeartArrhythmiaSymbolAppearsAtEvening;
            d.GlucoseLevelAtMorning = s.GlucoseLevelAtMorning;
            d.GlucoseLevelAtLunch = s.GlucoseLevelAtLunch;
            d.GlucoseLevelAtEvening = s.GlucoseLevelAtEvening;
        }
        if (v >= 3) {
            d.WeatherHumidity = s.WeatherHumidity;
            d.WeatherPressure = s.WeatherPressure;
            d.WeatherTemperatureAfternoon = s.WeatherTemperatureAfternoon;
            d.WeatherTemperatureEvening = s.WeatherTemperatureEvening;
            d.WeatherTemperatureMorning = s.WeatherTemperatureMorning;
            d.WeatherTemperatureOvernight = s.WeatherTemperatureOvernight;
            d.WeatherUVIndex = s.WeatherUVIndex;
            d.WeatherWindDirection = s.WeatherWindDirection;
            d.WeatherWindSpeed = s.WeatherWindSpeed;
        }
        if (v >= 4)
            d.Picture = s.Picture;
        if (v >= 5)
            d.WeatherMoonPhase = s.WeatherMoonPhase;
        if (v >= 7)
            d.TeeCoffeeTime = s.TeeCoffeeTime;
        if (v >= 8)
            d.Brunch = s.Brunch;
        if (v >= 10) {
            d.LastTaskID = s.LastTaskID;
            for (const auto& t : s.Tasks)
                d.Tasks.push_back(std::make_unique<TTask>(*t));
        } else {
            auto task = std::make_unique<TTask>();
            task->ID = 1;
            task->FromTime = 0.0;
            task->ToTime = 86399.0 / 86400.0;
            task->Task = ImportedTask;
            task->Notes = s.Tasks.empty() ? QString() : s.Tasks.front()->Notes;
            d.Tasks.push_back(std::move(task));
            d.LastTaskID = 1;
        }
        if (v >= 6) {
            d.LastConversationID = v >= 9 ? s.LastConversationID : qint32(s.LastConversationID);
            for (const auto& c : s.Conversations)
                d.Conversations.push_back(std::make_unique<TConversation>(*c));
        }
        if (v >= 9) {
            d.LastShoppingID = s.LastShoppingID;
            for (const auto& p : s.Shoppings)
                d.Shoppings.push_back(std::make_unique<TShopping>(*p));
        }
        diary->DB.push_back(std::move(day));
    }
    return diary;
}

// The one page of aDate read from aBytes, as a diary of that page alone (none when there is no such
// page), with the version and notice read beside it.
std::unique_ptr<TDiary> ReadOneDayBytes(const QByteArray& aBytes, TDateTime aDate)
{
    QBuffer buffer;
    buffer.setData(aBytes);
    buffer.open(QIODevice::ReadOnly);
    TDiaryDayRead read = ReadDiaryDay(buffer, aDate);
    if (read.Day)
        read.Head->DB.push_back(std::move(read.Day));
    return std::move(read.Head);
}

// The text of the EFileError that reading aBytes throws; a null text when it reads. With aDate,
// the read of that one page.
QString ReadError(const QByteArray& aBytes, bool aSequential = false, std::optional<TDateTime> aDate = {})
{
    try {
        if (aSequential) {
            TSequentialDevice device(aBytes, 777);
            if (aDate)
                ReadDiaryDay(device, *aDate);
            else
                ReadDiary(device);
        } else if (aDate) {
            ReadOneDayBytes(aBytes, *aDate);
        } else {
            ReadDiaryBytes(aBytes);
        }
    } catch (const EFileError& error) {
        return error.Message().isEmpty() ? QStringLiteral("(empty error text)") : error.Message();
    }
    return QString();
}

QByteArray Utf16(const char* aLatin1)
{
    const QString text = QString::fromLatin1(aLatin1);
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

QByteArray Int64Bytes(qint64 aValue)
{
    return TByteBuilder().Int64(aValue).Bytes();
}
QByteArray Int32Bytes(qint32 aValue)
{
    return TByteBuilder().Int32(aValue).Bytes();
}

QByteArray Replaced(QByteArray aBytes, const QByteArray& aOld, const QByteArray& aNew)
{
    const qsizetype at = aBytes.indexOf(aOld);
    Q_ASSERT(at >= 0 && aBytes.indexOf(aOld, at + 1) < 0);
    return aBytes.replace(at, aOld.size(), aNew);
}

QByteArray FileContents(const QString& aPath)
{
    QFile file(aPath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

void WriteFileContents(const QString& aPath, const QByteArray& aBytes)
{
    QFile file(aPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(aBytes), aBytes.size());
}

// The bytes of the file being written in aFolder in place of aTarget: a named temporary file, or
// an unnamed one (O_TMPFILE, what Qt uses on Linux), found through the process's open files.
QByteArray PendingFileContents(const QString& aFolder, const QString& aTarget)
{
    const QDir folder(aFolder);
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        if (folder.filePath(name) != aTarget)
            return FileContents(folder.filePath(name));
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    for (const QString& fd : descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
        const QString linked = QFileInfo(descriptors.filePath(fd)).symLinkTarget();
        if (linked.startsWith(aFolder + QLatin1Char('/')) && linked != aTarget)
            return FileContents(descriptors.filePath(fd));
    }
    return "(no file pending)";
}

QStringList FolderEntries(const QString& aFolder)
{
    return QDir(aFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// A small diary with one entry in each list and a short picture: the fuzz seeds and the cut test.
std::unique_ptr<TDiary> MakeSmallDiary()
{
    auto diary = std::make_unique<TDiary>();
    diary->Copyright = QStringLiteral("Seed");
    auto day = std::make_unique<TDay>(45000.5);
    day->Breakfast = QStringLiteral("Eggs");
    day->TemperatureAtMorning = 36.6;
    day->HeartArrhythmiaSymbolAppearsAtLunch = true;
    day->WeatherHumidity = 55;
    day->WeatherMoonPhase = QStringLiteral("Full");
    day->Thoughts = QStringLiteral("Fine");
    day->Picture = QByteArray("\xFF\xD8\xFF\xE0JPEG\xFF\xD9", 10);
    auto task = std::make_unique<TTask>();
    task->ID = 1;
    task->Notes = QStringLiteral("Old task text");
    day->Tasks.push_back(std::move(task));
    day->LastTaskID = 1;
    auto conversation = std::make_unique<TConversation>();
    conversation->ID = 1;
    conversation->Conversation = QStringLiteral("Hello");
    day->Conversations.push_back(std::move(conversation));
    day->LastConversationID = 1;
    auto shopping = std::make_unique<TShopping>();
    shopping->ID = 1;
    shopping->TotalPurchaseAmount = 9.99;
    day->Shoppings.push_back(std::move(shopping));
    day->LastShoppingID = 1;
    diary->DB.push_back(std::move(day));
    diary->DB.push_back(std::make_unique<TDay>(45001.0));
    return diary;
}


// A write-only device as a disk behind the write-behind stage looks to it: it keeps what it is
// given and which threads gave it, takes aLimit bytes and then fails every write, and takes
// aDelay over each write, as a slow disk does, so that the writer runs ahead of it.
class TWatchedDevice : public QIODevice {
public:
    static inline const QString ErrorText = QStringLiteral("Auf dem Gerät ist kein Speicherplatz mehr verfügbar");

    TWatchedDevice(qint64 aLimit, std::chrono::milliseconds aDelay) : fLimit(aLimit), fDelay(aDelay)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }
    // Asked once the stage is gone; read under the lock all the same, so a stage that left a write
    // running is a failed comparison rather than a race.
    QByteArray Written() const
    {
        std::lock_guard lock(fLock);
        return fWritten;
    }
    int Calls() const
    {
        std::lock_guard lock(fLock);
        return fCalls;
    }
    std::set<std::thread::id> Threads() const
    {
        std::lock_guard lock(fLock);
        return fThreads;
    }
    bool Busy() const { return fBusy; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* aData, qint64 aCount) override
    {
        fBusy = true;
        std::this_thread::sleep_for(fDelay);
        std::lock_guard lock(fLock);
        ++fCalls;
        fThreads.insert(std::this_thread::get_id());
        const bool full = fWritten.size() + aCount > fLimit;
        if (full)
            setErrorString(ErrorText);
        else
            fWritten.append(aData, aCount);
        fBusy = false;
        return full ? -1 : aCount;
    }

private:
    const qint64 fLimit;
    const std::chrono::milliseconds fDelay;
    mutable std::mutex fLock;
    QByteArray fWritten;
    int fCalls = 0;
    std::set<std::thread::id> fThreads;
    std::atomic<bool> fBusy = false;
};

// Bytes whose every slot-sized piece differs from the others, so that a slot written twice, or
// out of its turn, shows.
QByteArray CountingBytes(qint64 aSize)
{
    QByteArray bytes(qsizetype(aSize), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7 + i / 251);
    return bytes;
}

// Hands aBytes to aStage the way aWay names: "writes" in pieces through write(), "diary writer"
// through the buffered writer in small and large pieces (which fills the lent room), "sealer" as
// the encrypting device does (a sealed chunk at a time, straight into the lent room, which must
// always hold one whole).
void FeedStage(TWriteBehind& aStage, const QByteArray& aBytes, const QString& aWay)
{
    const char* data = aBytes.constData();
    const qint64 size = aBytes.size();
    if (aWay == QLatin1String("writes")) {
        for (qint64 done = 0; done < size; done += 1000) {
            const qint64 step = std::min<qint64>(1000, size - done);
            if (aStage.write(data + done, step) != step)
                throw EFileError(aStage.errorString());
        }
    } else if (aWay == QLatin1String("diary writer")) {
        TBufferedWriter writer(aStage);
        for (qint64 done = 0, turn = 0; done < size; ++turn) {
            const qint64 step = std::min<qint64>(turn % 3 == 2 ? 100000 : 7, size - done);
            writer.Write(data + done, step);
            done += step;
        }
        writer.Flush();
    } else {
        constexpr qint64 SealedChunk = 64 * 1024 + 17;
        for (qint64 done = 0; done < size;) {
            qint64 room = 0;
            char* into = aStage.Room(room);
            if (room < TWriteBehind::LeastRoom)
                throw std::logic_error("less room lent than promised");
            const qint64 step = std::min(SealedChunk, size - done);
            std::memcpy(into, data + done, size_t(step));
            aStage.Used(step);
            done += step;
        }
    }
}

// Pins the calling thread (the process's only thread in these tests) to its first CPU while it lives.
class TOneCpu {
public:
    TOneCpu()
    {
        sched_getaffinity(0, sizeof fAll, &fAll);
        cpu_set_t one;
        CPU_ZERO(&one);
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
            if (CPU_ISSET(cpu, &fAll)) {
                CPU_SET(cpu, &one);
                break;
            }
        fPinned = sched_setaffinity(0, sizeof one, &one) == 0;
    }
    ~TOneCpu() { sched_setaffinity(0, sizeof fAll, &fAll); }
    bool Pinned() const { return fPinned; }

private:
    cpu_set_t fAll{};
    bool fPinned = false;
};

} // namespace

class TestDiaryFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writesTheDocumentedBytes_data();
    void writesTheDocumentedBytes();
    void readsEveryVersion_data();
    void readsEveryVersion();
    void readsVersionOneLayoutWrittenByHand();
    void dayCountsAndTrailingBytes_data();
    void dayCountsAndTrailingBytes();
    void roundTripIsBitExact_data();
    void roundTripIsBitExact();
    void cutAtEveryOffsetFails();
    void readsOnePageAsTheWholeReadHasIt_data();
    void readsOnePageAsTheWholeReadHasIt();
    void readsTheLastPageWhereItBegins_data();
    void readsTheLastPageWhereItBegins();
    void cutPictureOfOldVersions_data();
    void cutPictureOfOldVersions();
    void damagedHeaderIsRefused_data();
    void damagedHeaderIsRefused();
    void corruptLengthsFailBeforeAllocating_data();
    void corruptLengthsFailBeforeAllocating();
    void failedWriteReportsDeviceText_data();
    void failedWriteReportsDeviceText();
    void writeFileReplacesOnlyWhenComplete_data();
    void writeFileReplacesOnlyWhenComplete();
    void writeFileFailureLeavesTargetUntouched_data();
    void writeFileFailureLeavesTargetUntouched();
    void readFileThatCannotBeOpened_data();
    void readFileThatCannotBeOpened();
    void failedReadReportsStreamReadError_data();
    void failedReadReportsStreamReadError();
    void writeBehindKeepsEveryByte_data();
    void writeBehindKeepsEveryByte();
    void writeBehindReportsFailedWrite_data();
    void writeBehindReportsFailedWrite();
    void oneCpuSavesTheSameFile();
    void fuzzSeedsAreCurrent();
};

void TestDiaryFile::writesTheDocumentedBytes_data()
{
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArray>("expected");

    const auto diaryWithNotice = [](const QString& aNotice) {
        TDiary diary;
        diary.Copyright = aNotice;
        return WrittenDiary(diary);
    };
    QTest::newRow("empty diary, notice \"abc\"") << diaryWithNotice(QStringLiteral("abc"))
                                                 << QByteArray::fromHex("0A000000"
                                                                        "06610062006300"
                                                                        "0000000000000000");
    QTest::newRow("empty notice is one zero byte") << diaryWithNotice(QString())
                                                   << QByteArray::fromHex("0A000000"
                                                                          "00"
                                                                          "0000000000000000");
    QTest::newRow("63 code units: prefix 7E")
        << diaryWithNotice(QString(63, u'a')).mid(4, 2) << QByteArray::fromHex("7E61");
    QTest::newRow("64 code units: prefix 80 01")
        << diaryWithNotice(QString(64, u'a')).mid(4, 3) << QByteArray::fromHex("800161");
    QTest::newRow("100 code units: prefix C8 01")
        << diaryWithNotice(QString(100, u'a')).mid(4, 3) << QByteArray::fromHex("C80161");
    QTest::newRow("8192 code units: prefix 80 80 01")
        << diaryWithNotice(QString(8192, u'a')).mid(4, 4) << QByteArray::fromHex("80800161");

    // A day at its defaults is its date and 270 zero bytes: every text, number, flag, picture
    // length, counter and count is zero.
    TDiary withDefaultDay;
    withDefaultDay.Copyright = QString();
    withDefaultDay.DB.push_back(std::make_unique<TDay>(1.5));
    const QByteArray dayBytes = TByteBuilder().Float(1.5).Raw(QByteArray(DefaultDaySize - 8, '\0')).Bytes();
    QTest::newRow("default day: 278 bytes")
        << WrittenDiary(withDefaultDay) << TByteBuilder().Hex("0A000000 00").Int64(1).Raw(dayBytes).Bytes();

    // The saved version is 10 whatever the diary was read as: the layout written is version 10's.
    TDiary readAsThree;
    readAsThree.Version = 3;
    readAsThree.Copyright = QString();
    QTest::newRow("version 3 in memory is saved as 10") << WrittenDiary(readAsThree)
                                                        << QByteArray::fromHex("0A000000"
                                                                               "00"
                                                                               "0000000000000000");
}

void TestDiaryFile::writesTheDocumentedBytes()
{
    QFETCH(QByteArray, written);
    QFETCH(QByteArray, expected);
    QCOMPARE(written.toHex(' '), expected.toHex(' '));
}

void TestDiaryFile::readsEveryVersion_data()
{
    QTest::addColumn<qint32>("version");
    for (qint32 version = 0; version <= 10; ++version)
        QTest::newRow(qPrintable(QStringLiteral("version %1").arg(version))) << version;
}

void TestDiaryFile::readsEveryVersion()
{
    QFETCH(qint32, version);
    const auto source = MakeSampleDiary();
    const QByteArray bytes = DiaryFixture(*source, version);
    const auto expected = ExpectedAfterReading(*source, version);

    const auto diary = ReadDiaryBytes(bytes);
    QCOMPARE(DiaryDifference(*expected, *diary), QString());

    const qint32 layout = std::clamp(version, 1, 10);
    for (const auto& day : diary->DB) {
        if (layout < 10) {
            QCOMPARE(day->Tasks.size(), size_t(1));
            QCOMPARE(day->Tasks[0]->Task, ImportedTask);
            QCOMPARE(day->Tasks[0]->ID, qint64(1));
            QCOMPARE(day->Tasks[0]->FromTime, 0.0);
            QCOMPARE(day->Tasks[0]->ToTime, 86399.0 / 86400.0);
            QCOMPARE(day->LastTaskID, qint64(1));
        }
        if (layout < 6)
            QVERIFY(day->Conversations.empty());
        if (layout < 9)
            QVERIFY(day->Shoppings.empty());
    }
    if (layout >= 6 && layout <= 8)
        QCOMPARE(diary->DB[0]->LastConversationID, qint64(-5)); // stored as int32, widened when read

    // Saved again it is a version 10 file with every field, which reads back the same.
    const QByteArray saved = WrittenDiary(*diary);
    QCOMPARE(saved.left(4), QByteArray::fromHex("0A000000"));
    expected->Version = 10;
    QCOMPARE(DiaryDifference(*expected, *ReadDiaryBytes(saved)), QString());
}

void TestDiaryFile::readsVersionOneLayoutWrittenByHand()
{
    // The version 1 day as the format's history lists it: date, legacy task text, four texts,
    // six readings for each time of day, then health condition, weather and thoughts.
    TByteBuilder b;
    b.Int32(1).String(QStringLiteral("Old")).Int32(1);
    b.Float(40000.25).String(QStringLiteral("legacy")).String(QStringLiteral("what"));
    b.String(QStringLiteral("breakfast")).String(QStringLiteral("lunch")).String(QStringLiteral("dinner"));
    for (int i = 1; i <= 18; ++i)
        b.Float(i);
    b.String(QStringLiteral("health")).String(QStringLiteral("weather")).String(QStringLiteral("thoughts"));

    TDiary expected;
    expected.Version = 1;
    expected.Copyright = QStringLiteral("Old");
    auto day = std::make_unique<TDay>(40000.25);
    day->WhatHappenedAdditionalyToTheTasks = QStringLiteral("what");
    day->Breakfast = QStringLiteral("breakfast");
    day->Lunch = QStringLiteral("lunch");
    day->Dinner = QStringLiteral("dinner");
    double TDay::*const readings[] = {&TDay::TemperatureAtMorning,      &TDay::PulseAtMorning,
                                      &TDay::BloodPressureSysAtMorning, &TDay::BloodPressureDiaAtMorning,
                                      &TDay::OxygenSaturationAtMorning, &TDay::WeightAtMorning,
                                      &TDay::TemperatureAtLunch,        &TDay::PulseAtLunch,
                                      &TDay::BloodPressureSysAtLunch,   &TDay::BloodPressureDiaAtLunch,
                                      &TDay::OxygenSaturationAtLunch,   &TDay::WeightAtLunch,
                                      &TDay::TemperatureAtEvening,      &TDay::PulseAtEvening,
                                      &TDay::BloodPressureSysAtEvening, &TDay::BloodPressureDiaAtEvening,
                                      &TDay::OxygenSaturationAtEvening, &TDay::WeightAtEvening};
    for (int i = 0; i < 18; ++i)
        (*day).*readings[i] = i + 1;
    day->HealthCondition = QStringLiteral("health");
    day->Weather = QStringLiteral("weather");
    day->Thoughts = QStringLiteral("thoughts");
    auto task = std::make_unique<TTask>();
    task->ID = 1;
    task->ToTime = 86399.0 / 86400.0;
    task->Task = ImportedTask;
    task->Notes = QStringLiteral("legacy");
    day->Tasks.push_back(std::move(task));
    day->LastTaskID = 1;
    expected.DB.push_back(std::move(day));

    QCOMPARE(DiaryDifference(expected, *ReadDiaryBytes(b.Bytes())), QString());
}

void TestDiaryFile::dayCountsAndTrailingBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("days");

    const QByteArray trailing = QByteArray::fromHex("DEADBEEF");
    const auto header = [](qint32 aVersion) { return TByteBuilder().Int32(aVersion).String(QStringLiteral("n")); };
    QTest::newRow("version 10, count 0") << header(10).Int64(0).Raw(trailing).Bytes() << 0;
    // As int32 these four bytes are 0; read as int64 they would take four bytes of what follows.
    QTest::newRow("version 5, int32 count 0") << header(5).Int32(0).Raw(trailing).Bytes() << 0;

    // Days at their defaults are as small as a day can be: the count check must still let them in.
    TDiary smallest;
    for (int i = 0; i < 3; ++i)
        smallest.DB.push_back(std::make_unique<TDay>(i));
    for (const qint32 version : {1, 2, 3, 4, 5, 6, 8, 9, 10})
        QTest::newRow(qPrintable(QStringLiteral("version %1, three days of the smallest size").arg(version)))
            << DiaryFixture(smallest, version) << 3;

    const auto sample = MakeSampleDiary();
    for (const qint32 version : {5, 10})
        QTest::newRow(qPrintable(QStringLiteral("version %1, bytes after the last day").arg(version)))
            << DiaryFixture(*sample, version) + trailing << int(sample->DB.size());
}

void TestDiaryFile::dayCountsAndTrailingBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, days);
    const auto diary = ReadDiaryBytes(bytes);
    QCOMPARE(int(diary->DB.size()), days);
    // The trailing bytes are not part of the diary: they are gone from the next save.
    QVERIFY(!WrittenDiary(*diary).contains(QByteArray::fromHex("DEADBEEF")));
}

void TestDiaryFile::roundTripIsBitExact_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const auto sample = MakeSampleDiary();
    QTest::newRow("sample diary") << WrittenDiary(*sample);

    TDiary picture;
    auto day = std::make_unique<TDay>(45678.125);
    day->Picture.resize(1024 * 1024);
    for (qsizetype i = 0; i < day->Picture.size(); ++i)
        day->Picture[i] = char((i * 131) >> 3);
    day->Thoughts = QString(300000, QChar(0xDBFF)); // a long text of lone high surrogates
    picture.DB.push_back(std::move(day));
    QTest::newRow("1 MiB picture, long text") << WrittenDiary(picture);

    TDiary empty;
    empty.Copyright = QString();
    QTest::newRow("empty diary, empty notice") << WrittenDiary(empty);
}

void TestDiaryFile::roundTripIsBitExact()
{
    QFETCH(QByteArray, bytes);
    const auto viaBuffer = ReadDiaryBytes(bytes);
    QCOMPARE(WrittenDiary(*viaBuffer), bytes);

    // A device that cannot tell its size (a pipe) gives the same diary.
    TSequentialDevice device(bytes, 5000);
    const auto viaPipe = ReadDiary(device);
    QCOMPARE(DiaryDifference(*viaBuffer, *viaPipe), QString());

    // And the sample's awkward values survive as themselves, not just as the same bytes.
    if (qstrcmp(QTest::currentDataTag(), "sample diary") == 0)
        QCOMPARE(DiaryDifference(*MakeSampleDiary(), *viaBuffer), QString());
}

void TestDiaryFile::cutAtEveryOffsetFails()
{
    const auto small = MakeSmallDiary();
    const QByteArray bytes = WrittenDiary(*small);
    QVERIFY(ReadError(bytes).isNull());
    // Reading one page steps over the others with the same checks: a file it reads, a whole read
    // reads too. Both for the last page and for the first, whose read steps over all the rest.
    const TDateTime first = small->DB.front()->Date;
    const TDateTime last = small->DB.back()->Date;
    for (qsizetype length = 0; length < bytes.size(); ++length) {
        for (const auto& [sequential, date] : {std::pair<bool, std::optional<TDateTime>>{false, {}},
                                               {true, {}},
                                               {false, first},
                                               {true, first},
                                               {false, last}}) {
            const QString error = ReadError(bytes.left(length), sequential, date);
            QVERIFY2(error.startsWith(QLatin1String("The diary file is damaged: ")),
                     qPrintable(QStringLiteral("cut at %1 of %2 (%3): %4")
                                    .arg(length)
                                    .arg(bytes.size())
                                    .arg(sequential ? QStringLiteral("pipe") : QStringLiteral("buffer"))
                                    .arg(error.isNull() ? QStringLiteral("read without error") : error)));
        }
    }
}

void TestDiaryFile::readsOnePageAsTheWholeReadHasIt_data()
{
    QTest::addColumn<qint32>("version");
    for (qint32 version : {1, 4, 5, 6, 9, 10})
        QTest::newRow(qPrintable(QStringLiteral("version %1").arg(version))) << version;
}

void TestDiaryFile::readsOnePageAsTheWholeReadHasIt()
{
    QFETCH(qint32, version);
    // Pages out of date order, a date twice, and a date with no page: one page's read finds the
    // page TDiary::GetDay finds in the whole read, or none.
    auto source = MakeSampleDiary();
    QVERIFY(source->DB.size() >= 2);
    auto twice = std::make_unique<TDay>(source->DB.front()->Date + 0.25);
    twice->Thoughts = QStringLiteral("the second page of that date");
    source->DB.push_back(std::move(twice));
    std::reverse(source->DB.begin(), source->DB.end());
    const QByteArray bytes = DiaryFixture(*source, version);
    const auto whole = ReadDiaryBytes(bytes);

    std::vector<TDateTime> dates{45999.5};
    for (const auto& day : whole->DB)
        dates.push_back(day->Date);
    for (const TDateTime date : dates) {
        const auto one = ReadOneDayBytes(bytes, date);
        QCOMPARE(one->Version, whole->Version);
        QCOMPARE(one->Copyright, whole->Copyright);
        auto expected = std::make_unique<TDiary>();
        expected->Version = whole->Version;
        expected->Copyright = whole->Copyright;
        const auto found = std::find_if(whole->DB.begin(), whole->DB.end(),
                                        [date](const auto& aDay) { return SameDate(aDay->Date, date); });
        if (found != whole->DB.end())
            expected->DB.push_back(CopyDay(**found));
        QCOMPARE(DiaryDifference(*expected, *one), QString());

        // From a file the pictures of the pages stepped over are sought past, not read.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("d.Kestrova"));
        WriteFileContents(path, bytes);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        TDiaryDayRead fromFile = ReadDiaryDay(file, date);
        if (fromFile.Day)
            fromFile.Head->DB.push_back(std::move(fromFile.Day));
        QCOMPARE(DiaryDifference(*expected, *fromFile.Head), QString());
    }
}

void TestDiaryFile::readsTheLastPageWhereItBegins_data()
{
    // Where the last page begins is known from its written size alone; every other place, count
    // or file must be refused (for the caller to read the file the long way), never misread.
    QTest::addColumn<qint64>("startShift");
    QTest::addColumn<qint64>("countShift");
    QTest::addColumn<QByteArray>("trailing");
    QTest::addColumn<bool>("read");
    QTest::newRow("where it begins") << qint64(0) << qint64(0) << QByteArray() << true;
    QTest::newRow("a byte early") << qint64(-1) << qint64(0) << QByteArray() << false;
    QTest::newRow("a byte late") << qint64(1) << qint64(0) << QByteArray() << false;
    QTest::newRow("a page's worth early") << qint64(-8) << qint64(0) << QByteArray() << false;
    QTest::newRow("another count") << qint64(0) << qint64(1) << QByteArray() << false;
    QTest::newRow("bytes after the last page") << qint64(0) << qint64(0) << QByteArray("x") << false;
}

void TestDiaryFile::readsTheLastPageWhereItBegins()
{
    QFETCH(qint64, startShift);
    QFETCH(qint64, countShift);
    QFETCH(QByteArray, trailing);
    QFETCH(bool, read);
    // The sample's last page holds a little of everything; a picture ends it here as in a user's.
    auto source = MakeSampleDiary();
    source->DB.back()->Picture = QByteArray(70000, '\x5a');
    const QByteArray written = WrittenDiary(*source);
    const QByteArray bytes = written + trailing;
    const qint64 start = written.size() - WrittenDaySize(*source->DB.back()) + startShift;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("d.Kestrova"));
    WriteFileContents(path, bytes);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
    std::optional<TDiaryDayRead> last = ReadDiaryLastDay(file, start, qint64(source->DB.size()) + countShift);
    QCOMPARE(last.has_value(), read);
    if (!read)
        return;
    QVERIFY(last->Head->DB.empty());
    last->Head->DB.push_back(std::move(last->Day));
    auto expected = std::make_unique<TDiary>();
    expected->Version = 10;
    expected->Copyright = source->Copyright;
    expected->DB.push_back(CopyDay(*source->DB.back()));
    QCOMPARE(DiaryDifference(*expected, *last->Head), QString());
}

void TestDiaryFile::cutPictureOfOldVersions_data()
{
    QTest::addColumn<qint32>("version");
    QTest::addColumn<bool>("loads");
    // In versions 4 and 5 the picture is the last field of a day, so a file whose end cuts into
    // the last day's picture still holds everything else. From version 6 on more fields follow.
    QTest::newRow("version 4") << 4 << true;
    QTest::newRow("version 5") << 5 << true;
    QTest::newRow("version 6") << 6 << false;
    QTest::newRow("version 10") << 10 << false;
}

void TestDiaryFile::cutPictureOfOldVersions()
{
    QFETCH(qint32, version);
    QFETCH(bool, loads);

    auto source = MakeSmallDiary();
    QByteArray picture;
    for (int i = 0; i < 100; ++i)
        picture.append(char(0xA0 + i % 7));
    source->DB.back()->Picture = picture;
    const QByteArray bytes = DiaryFixture(*source, version);
    const qsizetype start = bytes.indexOf(picture);
    QVERIFY(start > 0);

    // Inside the length field: always an error.
    QVERIFY(!ReadError(bytes.left(start - 2)).isNull());

    for (qsizetype kept = 0; kept < picture.size(); ++kept) {
        for (const bool sequential : {false, true}) {
            const QString error = ReadError(bytes.left(start + kept), sequential);
            QVERIFY2(error.isNull() == loads,
                     qPrintable(QStringLiteral("%1 picture bytes kept: %2").arg(kept).arg(error)));
        }
        if (loads) {
            auto expected = ExpectedAfterReading(*source, version);
            expected->DB.back()->Picture = picture.left(kept);
            QCOMPARE(DiaryDifference(*expected, *ReadDiaryBytes(bytes.left(start + kept))), QString());
        }
    }
    // A cut short picture on any day but the last leaves too few bytes for the days after it.
    source->DB.front()->Picture = picture;
    source->DB.back()->Picture.clear();
    const QByteArray earlier = DiaryFixture(*source, version);
    QVERIFY(!ReadError(earlier.left(earlier.indexOf(picture) + 50)).isNull());
}

void TestDiaryFile::damagedHeaderIsRefused_data()
{
    // Read as an empty diary or as the newest version, such a file would open without a word, and
    // the next save would replace its days with nothing or with a mix of misread fields.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expectedError");
    const auto header = [](qint32 aVersion) { return TByteBuilder().Int32(aVersion).String(QStringLiteral("n")); };
    const QByteArray days(600, '\0'); // room for a day, so no count is refused for the size alone

    QTest::newRow("version 10, count -1")
        << header(10).Int64(-1).Raw(days).Bytes() << QStringLiteral("the day count -1 is negative (header, day count");
    QTest::newRow("version 10, lowest count")
        << header(10).Int64(std::numeric_limits<qint64>::min()).Raw(days).Bytes()
        << QStringLiteral("the day count %1 is negative").arg(std::numeric_limits<qint64>::min());
    QTest::newRow("version 5, int32 count -1")
        << header(5).Int32(-1).Raw(days).Bytes() << QStringLiteral("the day count -1 is negative");
    QTest::newRow("version 11") << header(11).Int64(1).Raw(days).Bytes()
                                << QStringLiteral(
                                       "the version 11 is newer than any this program reads (header, version");
    QTest::newRow("highest version") << header(std::numeric_limits<qint32>::max()).Int64(0).Bytes()
                                     << QStringLiteral("the version %1 is newer than any this program reads")
                                            .arg(std::numeric_limits<qint32>::max());
}

void TestDiaryFile::damagedHeaderIsRefused()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expectedError);
    for (const bool sequential : {false, true}) {
        const QString error = ReadError(bytes, sequential);
        QVERIFY2(error.contains(expectedError), qPrintable(error));
    }
}

void TestDiaryFile::corruptLengthsFailBeforeAllocating_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expectedError");

    // A day whose fields carry markers, so each length can be found and damaged in place.
    TDiary diary;
    diary.Copyright = QStringLiteral("n");
    auto day = std::make_unique<TDay>(45000.0);
    day->Thoughts = QStringLiteral("THOUGHTS");
    day->Picture = QByteArray("PICTURE!");
    day->LastTaskID = 0x1111111111111111;
    day->Tasks.push_back(std::make_unique<TTask>());
    day->LastConversationID = 0x2222222222222222;
    day->Conversations.push_back(std::make_unique<TConversation>());
    day->LastShoppingID = 0x3333333333333333;
    day->Shoppings.push_back(std::make_unique<TShopping>());
    diary.DB.push_back(std::move(day));
    const QByteArray good = WrittenDiary(diary);
    QVERIFY(ReadError(good).isNull());

    const QByteArray notice = QByteArray::fromHex("02") + Utf16("n");
    const QByteArray afterNotice = good.mid(4 + notice.size());
    const auto withNotice = [&](const char* aPrefixHex) {
        return Int32Bytes(10) + QByteArray::fromHex(aPrefixHex) + Utf16("n") + afterNotice;
    };
    QTest::newRow("text length beyond the file")
        << withNotice("FEFFFFFF07")
        << QStringLiteral("the text length 2147483646 is more than the rest of the file (header, notice");
    QTest::newRow("text length prefix of six bytes")
        << withNotice("808080808001")
        << QStringLiteral("the text length prefix is longer than five bytes (header, notice");
    QTest::newRow("negative text length")
        << withNotice("FFFFFFFF0F") << QStringLiteral("the text length -1 is negative (header, notice");
    QTest::newRow("odd text length") << withNotice("03") << QStringLiteral("the text length 3 is odd (header, notice");

    const QByteArray thoughts = QByteArray::fromHex("10") + Utf16("THOUGHTS");
    QTest::newRow("day text length beyond the file")
        << Replaced(good, thoughts, QByteArray::fromHex("F0FFFF0F") + Utf16("THOUGHTS"))
        << QStringLiteral("the text length 33554416 is more than the rest of the file (day 1, Thoughts");

    const QByteArray picture = Int32Bytes(8) + "PICTURE!";
    QTest::newRow("negative picture length") << Replaced(good, picture, Int32Bytes(-8) + "PICTURE!")
                                             << QStringLiteral("the picture length -8 is negative (day 1, Picture");
    QTest::newRow("picture length beyond the file")
        << Replaced(good, picture, Int32Bytes(std::numeric_limits<qint32>::max()) + "PICTURE!")
        << QStringLiteral("the picture length 2147483647 is more than the rest of the file (day 1, Picture");

    const qint64 huge = std::numeric_limits<qint64>::max();
    QTest::newRow("day count beyond the file")
        << Int32Bytes(10) + notice + Int64Bytes(huge) + good.mid(4 + notice.size() + 8)
        << QStringLiteral("the count %1 is more than the rest of the file can hold (header, day count").arg(huge);
    // Two days need at least 2 x 278 bytes; the file holds one.
    QTest::newRow("day count one too many for the bytes left")
        << Int32Bytes(10) + notice + Int64Bytes(2) + good.mid(4 + notice.size() + 8)
        << QStringLiteral("the count 2 is more than the rest of the file can hold (header, day count");
    // From a pipe nothing bounds such a count in advance: the reader must not reserve room for it.
    QTest::newRow("day count 2^40 beyond the file")
        << Int32Bytes(10) + notice + Int64Bytes(qint64(1) << 40) + good.mid(4 + notice.size() + 8)
        << QStringLiteral("the count 1099511627776 is more than the rest of the file can hold (header, day count");
    QTest::newRow("version 5 day count beyond the file")
        << Int32Bytes(5) + notice + Int32Bytes(std::numeric_limits<qint32>::max())
        << QStringLiteral("the count 2147483647 is more than the rest of the file can hold (header, day count");

    const std::pair<const char*, qint64> lists[] = {
        {"Tasks", 0x1111111111111111}, {"Conversations", 0x2222222222222222}, {"Shoppings", 0x3333333333333333}};
    for (const auto& [name, marker] : lists)
        QTest::newRow(qPrintable(QStringLiteral("%1 count beyond the file").arg(QLatin1String(name))))
            << Replaced(good, Int64Bytes(marker) + Int64Bytes(1), Int64Bytes(marker) + Int64Bytes(huge / 3))
            << QStringLiteral("the count %1 is more than the rest of the file can hold (day 1, %2")
                   .arg(huge / 3)
                   .arg(QLatin1String(name));
}

void TestDiaryFile::corruptLengthsFailBeforeAllocating()
{
    // The error names the length check, which runs before anything is allocated for the length;
    // a reader that allocated first would fail later, with "ends too early" or out of memory.
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expectedError);
    for (const bool sequential : {false, true}) {
        const QString error = ReadError(bytes, sequential);
        QVERIFY2(!error.isNull(), "read without error");
        if (!sequential) // a pipe cannot tell how much is left, so it fails on the data instead
            QVERIFY2(error.contains(expectedError), qPrintable(error));
    }
}

void TestDiaryFile::failedWriteReportsDeviceText_data()
{
    QTest::addColumn<qint64>("limit");
    const qint64 size = WrittenDiary(*MakeSampleDiary()).size();
    QVERIFY(size > 2 * 65536);
    for (const qint64 limit : {qint64(0), qint64(3), qint64(65535), qint64(65536), qint64(65537), size - 1})
        QTest::newRow(qPrintable(QStringLiteral("fails after %1 of %2 bytes").arg(limit).arg(size))) << limit;
}

void TestDiaryFile::failedWriteReportsDeviceText()
{
    QFETCH(qint64, limit);
    const auto diary = MakeSampleDiary();
    const QString text = QStringLiteral("Auf dem Gerät ist kein Speicherplatz mehr verfügbar");
    TFailingDevice device(limit, text);
    try {
        WriteDiary(*diary, device);
        QFAIL("the write succeeded");
    } catch (const EFileError& error) {
        QCOMPARE(error.Message(), text);
    }
    // What did reach the device is the start of the right bytes.
    QVERIFY(WrittenDiary(*diary).startsWith(device.Written()));

    TFailingDevice roomy(WrittenDiary(*diary).size(), text);
    WriteDiary(*diary, roomy);
    QCOMPARE(roomy.Written(), WrittenDiary(*diary));
}

void TestDiaryFile::writeFileReplacesOnlyWhenComplete_data()
{
    QTest::addColumn<bool>("targetExists");
    QTest::newRow("replaces an existing file") << true;
    QTest::newRow("creates a new file") << false;
}

void TestDiaryFile::writeFileReplacesOnlyWhenComplete()
{
    QFETCH(bool, targetExists);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString target = folder.filePath(QStringLiteral("My diary.Kestrova"));
    const QByteArray old("old contents");
    if (targetExists)
        WriteFileContents(target, old);

    const auto diary = MakeSampleDiary();
    const QByteArray expected = WrittenDiary(*diary);
    bool hookRan = false;
    WriteDiaryFile(*diary, target, [&] {
        hookRan = true;
        // Every byte is on disk beside the target, and the target has not been touched yet.
        if (targetExists)
            QCOMPARE(FileContents(target), old);
        QCOMPARE(PendingFileContents(folder.path(), target), expected);
    });
    QVERIFY(hookRan);
    QCOMPARE(FileContents(target), expected);
    QCOMPARE(FolderEntries(folder.path()), QStringList{QStringLiteral("My diary.Kestrova")});
}

void TestDiaryFile::writeFileFailureLeavesTargetUntouched_data()
{
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("expectedError");
    QTest::newRow("the step before the replace fails") << QStringLiteral("hook") << QStringLiteral("backup failed");
    // The runtime's German texts, as the exports give them.
    const QString cannotCreate = QStringLiteral("Datei \"%1\" kann nicht erstellt werden. ");
    QTest::newRow("the disk takes only part of the file")
        << QStringLiteral("size limit") << QStringLiteral("Stream-Schreibfehler");
    QTest::newRow("the folder is read-only") << QStringLiteral("read-only") << cannotCreate;
    QTest::newRow("the target is a folder") << QStringLiteral("folder") << cannotCreate;
    QTest::newRow("the folder does not exist") << QStringLiteral("no folder") << cannotCreate;
}

void TestDiaryFile::writeFileFailureLeavesTargetUntouched()
{
    QFETCH(QString, failure);
    QFETCH(QString, expectedError);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    QString target = folder.filePath(QStringLiteral("diary.Kestrova"));
    const QByteArray old("old contents");
    const auto diary = MakeSampleDiary();

    std::function<void()> hook;
    rlimit savedLimit{};
    if (failure == QLatin1String("hook")) {
        hook = [] { throw EFileError(QStringLiteral("backup failed")); };
    } else if (failure == QLatin1String("size limit")) {
        // The process may write files of 4 KiB at most: the write fails part-way, as on a full disk.
        std::signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &savedLimit), 0);
        rlimit small = savedLimit;
        small.rlim_cur = 4096;
        WriteFileContents(target, old);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    } else if (failure == QLatin1String("read-only")) {
        QVERIFY(QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner));
        QFile probe(folder.filePath(QStringLiteral("probe")));
        if (probe.open(QIODevice::WriteOnly)) {
            probe.remove();
            QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            QSKIP("folder permissions do not bind this user (root)");
        }
    } else if (failure == QLatin1String("folder")) {
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("diary.Kestrova")));
    } else {
        target = folder.filePath(QStringLiteral("missing/diary.Kestrova"));
    }
    if (failure != QLatin1String("folder") && failure != QLatin1String("no folder") &&
        failure != QLatin1String("size limit")) {
        QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        WriteFileContents(target, old);
        if (failure == QLatin1String("read-only"))
            QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    }
    const QStringList before = FolderEntries(folder.path());

    QString error;
    try {
        WriteDiaryFile(*diary, target, hook);
    } catch (const EFileError& e) {
        error = e.Message();
    }
    if (failure == QLatin1String("size limit"))
        setrlimit(RLIMIT_FSIZE, &savedLimit);
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    if (expectedError.contains(QLatin1String("%1")))
        expectedError = expectedError.arg(QFileInfo(target).absoluteFilePath());
    if (failure == QLatin1String("size limit") || failure == QLatin1String("hook"))
        QCOMPARE(error, expectedError);
    else // the platform's reason follows
        QVERIFY2(error.startsWith(expectedError) && error.size() > expectedError.size(),
                 qPrintable(error.isNull() ? QStringLiteral("no error") : error));
    QCOMPARE(FolderEntries(folder.path()), before); // no temporary file left behind
    if (QFileInfo(target).isFile())
        QCOMPARE(FileContents(target), old);
}

void TestDiaryFile::readFileThatCannotBeOpened_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing file") << QStringLiteral("missing.Kestrova");
    QTest::newRow("a folder") << QStringLiteral("folder.Kestrova");
}

void TestDiaryFile::readFileThatCannotBeOpened()
{
    QFETCH(QString, name);
    QTemporaryDir folder;
    QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("folder.Kestrova")));
    try {
        ReadDiaryFile(folder.filePath(name));
        QFAIL("read without error");
    } catch (const EFileError& error) {
        // The runtime's text, as every other file this program cannot open gives it.
        const QString expected = QStringLiteral("Datei %1 kann nicht geöffnet werden. ")
                                     .arg(QFileInfo(folder.filePath(name)).absoluteFilePath());
        QVERIFY2(error.Message().startsWith(expected), qPrintable(error.Message()));
    }
}

void TestDiaryFile::failedReadReportsStreamReadError_data()
{
    // A device that fails is no damage of the file: the runtime's text, wherever it happens. The
    // last field of an old version's file, its picture, may be cut short by the end of the file;
    // cut short by a failing device it would be kept cut, and saved so at the next save.
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint64>("failAt");
    QByteArray picture;
    for (int i = 0; i < 100; ++i)
        picture.append(char(0xB0 + i % 5));
    auto diary = MakeSmallDiary();
    diary->DB.back()->Picture = picture;
    const QByteArray current = WrittenDiary(*diary);
    const QByteArray version5 = DiaryFixture(*diary, 5);
    QTest::newRow("in the header") << current << qint64(2);
    QTest::newRow("in a day") << current << qint64(current.size() / 2);
    QTest::newRow("in the last day's picture of a version 10 file") << current << qint64(current.indexOf(picture) + 50);
    QTest::newRow("in the last day's picture of a version 5 file")
        << version5 << qint64(version5.indexOf(picture) + 50);
}

void TestDiaryFile::failedReadReportsStreamReadError()
{
    QFETCH(QByteArray, bytes);
    QFETCH(qint64, failAt);
    QVERIFY(ReadError(bytes).isNull());
    TFailingReadDevice device(bytes, failAt);
    try {
        ReadDiary(device);
        QFAIL("read without error");
    } catch (const EFileError& error) {
        QCOMPARE(error.Message(), QStringLiteral("Stream-Lesefehler"));
    }
}

void TestDiaryFile::writeBehindKeepsEveryByte_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("behind");
    constexpr qint64 Slot = TWriteBehind::SlotSize;
    constexpr qint64 Least = TWriteBehind::LeastRoom;
    // Around the slot's size and the room it must keep, and more slots than the ring holds.
    const qint64 sizes[] = {0, 1, Least - 1, Slot - Least, Slot - Least + 1, Slot - 1, Slot, Slot + 1,
                            TWriteBehind::SlotCount * Slot, (TWriteBehind::SlotCount + 3) * Slot + 4321};
    for (const bool behind : {true, false})
        for (const char* way : {"writes", "diary writer", "sealer"})
            for (const qint64 size : sizes)
                QTest::newRow(qPrintable(QStringLiteral("%1, %2 bytes, %3")
                                             .arg(QLatin1String(way))
                                             .arg(size)
                                             .arg(behind ? QStringLiteral("on a thread") : QStringLiteral("inline"))))
                    << size << QString::fromLatin1(way) << behind;
}

void TestDiaryFile::writeBehindKeepsEveryByte()
{
    QFETCH(qint64, size);
    QFETCH(QString, way);
    QFETCH(bool, behind);
    const QByteArray bytes = CountingBytes(size);
    TWatchedDevice device(std::numeric_limits<qint64>::max(), std::chrono::milliseconds(0));
    {
        TWriteBehind stage(device, behind);
        FeedStage(stage, bytes, way);
        stage.Finish();
        // Finished: every byte is written, and the device is the caller's again.
        QCOMPARE(device.Written().size(), bytes.size());
    }
    QCOMPARE(device.Written(), bytes);
    const std::set<std::thread::id> threads = device.Threads();
    if (!behind) // as on one CPU: no thread of its own
        QVERIFY(threads.empty() || threads == std::set<std::thread::id>{std::this_thread::get_id()});
    else if (size > TWriteBehind::SlotSize)
        QVERIFY(threads.count(std::this_thread::get_id()) < threads.size());
}

void TestDiaryFile::writeBehindReportsFailedWrite_data()
{
    // The device's writes are whole slots, the last one the 1000 bytes over: a failure at the
    // device's first, a middle and its last write. The writer, slowed down, sees a failure on the
    // thread only while it asks for room later, or at the end.
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<int>("failingCall"); // 0: none fails, the save is given up without Finish
    QTest::addColumn<bool>("behind");
    constexpr qint64 Slot = TWriteBehind::SlotSize;
    constexpr int Calls = TWriteBehind::SlotCount + 3;
    for (const bool behind : {true, false}) {
        const QString where = behind ? QStringLiteral("on a thread") : QStringLiteral("inline");
        QTest::newRow(qPrintable(QStringLiteral("first write, %1").arg(where))) << qint64(0) << 1 << behind;
        QTest::newRow(qPrintable(QStringLiteral("middle write, %1").arg(where))) << 3 * Slot + 10 << 4 << behind;
        QTest::newRow(qPrintable(QStringLiteral("last write, %1").arg(where)))
            << (Calls - 1) * Slot + 999 << Calls << behind;
        QTest::newRow(qPrintable(QStringLiteral("given up, %1").arg(where)))
            << std::numeric_limits<qint64>::max() << 0 << behind;
    }
}

void TestDiaryFile::writeBehindReportsFailedWrite()
{
    QFETCH(qint64, limit);
    QFETCH(int, failingCall);
    QFETCH(bool, behind);
    const QByteArray bytes = CountingBytes((TWriteBehind::SlotCount + 2) * TWriteBehind::SlotSize + 1000);
    TWatchedDevice device(limit, std::chrono::milliseconds(3));
    QString error;
    {
        TWriteBehind stage(device, behind);
        try {
            FeedStage(stage, bytes, QStringLiteral("diary writer"));
            if (failingCall > 0)
                stage.Finish();
        } catch (const EFileError& e) {
            error = e.Message();
        }
    }
    // The stage has joined its thread: no write is under way, nor starts after.
    QVERIFY(!device.Busy());
    const int calls = device.Calls();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    QCOMPARE(device.Calls(), calls);
    QVERIFY(bytes.startsWith(device.Written()));
    if (failingCall == 0) {
        QVERIFY(error.isNull());
        return;
    }
    QCOMPARE(error, TWatchedDevice::ErrorText);
    // Nothing is written after the write that failed.
    QCOMPARE(calls, failingCall);
    QCOMPARE(device.Written().size(), (failingCall - 1) * TWriteBehind::SlotSize);
}

void TestDiaryFile::oneCpuSavesTheSameFile()
{
    // Where the process may use one CPU only, the file is written inline; either way it holds the
    // same bytes, and the tap sees them all, in order, whichever thread writes them.
    auto diary = MakeSampleDiary();
    diary->DB.front()->Picture = CountingBytes(3 * 1024 * 1024 + 5);
    const QByteArray plain = WrittenDiary(*diary);
    TKeyDerivation cheap = TKeyDerivation::New();
    cheap.Passes = 1;
    cheap.MemoryBytes = 8192;
    const TDiaryKey key = TDiaryKey::Derive(TSecret::FromText(QStringLiteral("pass")), cheap);
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("d.Kestrova"));

    for (const TDiaryKey* sealedWith : {static_cast<const TDiaryKey*>(nullptr), &key}) {
        for (const bool oneCpu : {true, false}) {
            QByteArray tapped;
            std::set<std::thread::id> threads;
            const auto tap = [&](QByteArrayView aBytes) {
                tapped.append(aBytes);
                threads.insert(std::this_thread::get_id());
            };
            {
                std::optional<TOneCpu> pinned;
                if (oneCpu) {
                    pinned.emplace();
                    QVERIFY(pinned->Pinned());
                    QVERIFY(!SecondCpuAvailable());
                }
                WriteDiaryFile(*diary, target, {}, tap, sealedWith);
            }
            const QByteArray file = FileContents(target);
            QCOMPARE(tapped, file);
            if (sealedWith) {
                QFile sealed(target);
                QVERIFY(sealed.open(QIODevice::ReadOnly));
                QVERIFY(DecryptDiary(sealed, key, target) == plain);
            } else {
                QVERIFY(file == plain);
            }
            if (oneCpu)
                QVERIFY(threads == std::set<std::thread::id>{std::this_thread::get_id()});
            else if (SecondCpuAvailable())
                QVERIFY(threads.count(std::this_thread::get_id()) < threads.size());
        }
    }
}

void TestDiaryFile::fuzzSeedsAreCurrent()
{
    // The fuzzer starts from one small file of each version. They are made here, so that they
    // follow the format; run with KESTROVA_WRITE_FUZZ_SEEDS=1 to write them after a change.
    const QString folder = qEnvironmentVariable("KESTROVA_SOURCE_DIR") + QStringLiteral("/fuzz/corpus");
    const bool write = qEnvironmentVariableIsSet("KESTROVA_WRITE_FUZZ_SEEDS");
    if (!write && !QDir(folder).exists())
        QSKIP("KESTROVA_SOURCE_DIR does not point at the sources");
    const auto diary = MakeSmallDiary();
    for (qint32 version = 1; version <= 10; ++version) {
        const QByteArray seed = DiaryFixture(*diary, version);
        QVERIFY(ReadError(seed).isNull());
        const QString path = QStringLiteral("%1/seed-v%2.Kestrova").arg(folder).arg(version, 2, 10, QLatin1Char('0'));
        if (write) {
            QDir().mkpath(folder);
            WriteFileContents(path, seed);
        }
        QCOMPARE(FileContents(path).toHex(' '), seed.toHex(' '));
    }
}

QTEST_GUILESS_MAIN(TestDiaryFile)
#include "test_diary_file.moc"
