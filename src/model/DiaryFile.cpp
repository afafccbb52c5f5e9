#include "model/DiaryFile.h"

#include "model/BufferedStreams.h"
#include "model/DiaryCrypto.h"
#include "util/Errors.h"
#include "util/FileAccess.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <array>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr qint32 CurrentVersion = 10;
constexpr qint32 OldestVersion = 1;

// ---------------------------------------------------------------------------------------------
// The layout of a day record. The file format grew field by field over ten versions; this one
// table says where each field sits, from which version on it exists, and how wide it is, and both
// the reader (any version) and the writer (the current one) walk it, so they cannot drift apart.
// The date (always first, and needed to construct the day) is not in the table.

enum class TKind : quint8 {
    Float,         // 8-byte IEEE double
    Flag,          // 1 byte
    Int32,         // 4 bytes
    String,        // LEB128 byte count, then UTF-16LE
    Picture,       // int32 byte count, then the bytes
    LegacyTask,    // the one task text per day of versions before the task list
    Tasks,         // last id, count, entries
    Conversations, // last id (int32 in versions 6 to 8), count, entries
    Shoppings      // last id, count, entries
};

struct TDayField {
    const char* Name;
    TKind Kind;
    qint32 From = OldestVersion;
    qint32 Until = CurrentVersion;
    qint32 WideIdFrom = 0; // lists: the version from which the last id is int64 rather than int32
    double TDay::*FloatMember = nullptr;
    bool TDay::*FlagMember = nullptr;
    qint32 TDay::*Int32Member = nullptr;
    QString TDay::*StringMember = nullptr;
    qint64 TDay::*IdMember = nullptr;

    bool In(qint32 aVersion) const { return From <= aVersion && aVersion <= Until; }
};

constexpr TDayField Float(const char* aName, double TDay::*aMember, qint32 aFrom = OldestVersion)
{
    TDayField f{aName, TKind::Float, aFrom};
    f.FloatMember = aMember;
    return f;
}
constexpr TDayField Flag(const char* aName, bool TDay::*aMember, qint32 aFrom)
{
    TDayField f{aName, TKind::Flag, aFrom};
    f.FlagMember = aMember;
    return f;
}
constexpr TDayField Int32(const char* aName, qint32 TDay::*aMember, qint32 aFrom)
{
    TDayField f{aName, TKind::Int32, aFrom};
    f.Int32Member = aMember;
    return f;
}
constexpr TDayField Text(const char* aName, QString TDay::*aMember, qint32 aFrom = OldestVersion)
{
    TDayField f{aName, TKind::String, aFrom};
    f.StringMember = aMember;
    return f;
}
constexpr TDayField List(const char* aName, TKind aKind, qint64 TDay::*aLastId, qint32 aFrom, qint32 aWideIdFrom)
{
    TDayField f{aName, aKind, aFrom};
    f.IdMember = aLastId;
    f.WideIdFrom = aWideIdFrom;
    return f;
}

const TDayField DayLayout[] = {
    {"legacy task text", TKind::LegacyTask, 1, 9},
    Text("WhatHappenedAdditionalyToTheTasks", &TDay::WhatHappenedAdditionalyToTheTasks),
    Text("Breakfast", &TDay::Breakfast),
    Text("Lunch", &TDay::Lunch),
    Text("Brunch", &TDay::Brunch, 8),
    Text("TeeCoffeeTime", &TDay::TeeCoffeeTime, 7),
    Text("Dinner", &TDay::Dinner),

    Float("TemperatureAtMorning", &TDay::TemperatureAtMorning),
    Float("PulseAtMorning", &TDay::PulseAtMorning),
    Flag("HeartArrhythmiaSymbolAppearsAtMorning", &TDay::HeartArrhythmiaSymbolAppearsAtMorning, 2),
    Float("BloodPressureSysAtMorning", &TDay::BloodPressureSysAtMorning),
    Float("BloodPressureDiaAtMorning", &TDay::BloodPressureDiaAtMorning),
    Float("OxygenSaturationAtMorning", &TDay::OxygenSaturationAtMorning),
    Float("GlucoseLevelAtMorning", &TDay::GlucoseLevelAtMorning, 2),
    Float("WeightAtMorning", &TDay::WeightAtMorning),

    Float("TemperatureAtLunch", &TDay::TemperatureAtLunch),
    Float("PulseAtLunch", &TDay::PulseAtLunch),
    Flag("HeartArrhythmiaSymbolAppearsAtLunch", &TDay::HeartArrhythmiaSymbolAppearsAtLunch, 2),
    Float("BloodPressureSysAtLunch", &TDay::BloodPressureSysAtLunch),
    Float("BloodPressureDiaAtLunch", &TDay::BloodPressureDiaAtLunch),
    Float("OxygenSaturationAtLunch", &TDay::OxygenSaturationAtLunch),
    Float("GlucoseLevelAtLunch", &TDay::GlucoseLevelAtLunch, 2),
    Float("WeightAtLunch", &TDay::WeightAtLunch),

    Float("TemperatureAtEvening", &TDay::TemperatureAtEvening),
    Float("PulseAtEvening", &TDay::PulseAtEvening),
    Flag("HeartArrhythmiaSymbolAppearsAtEvening", &TDay::HeartArrhythmiaSymbolAppearsAtEvening, 2),
    Float("BloodPressureSysAtEvening", &TDay::BloodPressureSysAtEvening),
    Float("BloodPressureDiaAtEvening", &TDay::BloodPressureDiaAtEvening),
    Float("OxygenSaturationAtEvening", &TDay::OxygenSaturationAtEvening),
    Float("GlucoseLevelAtEvening", &TDay::GlucoseLevelAtEvening, 2),
    Float("WeightAtEvening", &TDay::WeightAtEvening),

    Text("HealthCondition", &TDay::HealthCondition),
    Int32("WeatherHumidity", &TDay::WeatherHumidity, 3),
    Text("WeatherMoonPhase", &TDay::WeatherMoonPhase, 5),
    Float("WeatherPressure", &TDay::WeatherPressure, 3),
    Int32("WeatherTemperatureAfternoon", &TDay::WeatherTemperatureAfternoon, 3),
    Int32("WeatherTemperatureEvening", &TDay::WeatherTemperatureEvening, 3),
    Int32("WeatherTemperatureMorning", &TDay::WeatherTemperatureMorning, 3),
    Int32("WeatherTemperatureOvernight", &TDay::WeatherTemperatureOvernight, 3),
    Int32("WeatherUVIndex", &TDay::WeatherUVIndex, 3),
    Text("WeatherWindDirection", &TDay::WeatherWindDirection, 3),
    Int32("WeatherWindSpeed", &TDay::WeatherWindSpeed, 3),
    Text("Weather", &TDay::Weather),
    Text("Thoughts", &TDay::Thoughts),
    {"Picture", TKind::Picture, 4},
    List("Tasks", TKind::Tasks, &TDay::LastTaskID, 10, 10),
    List("Conversations", TKind::Conversations, &TDay::LastConversationID, 6, 9),
    List("Shoppings", TKind::Shoppings, &TDay::LastShoppingID, 9, 9),
};

// The day count is int32 before version 6.
qint32 DayCountWidth(qint32 aVersion)
{
    return aVersion >= 6 ? 8 : 4;
}

// The entries of the three lists, field by field in file order. One description serves reading
// (aVisit gets references it may assign) and writing (const references).
template <typename TEntry, typename TVisit> void VisitEntry(TEntry& aEntry, TVisit&& aVisit)
{
    aVisit("ID", aEntry.ID);
    aVisit("FromTime", aEntry.FromTime);
    aVisit("ToTime", aEntry.ToTime);
    using TPlain = std::remove_const_t<TEntry>;
    if constexpr (std::is_same_v<TPlain, TTask>) {
        aVisit("Task", aEntry.Task);
        aVisit("Notes", aEntry.Notes);
    } else if constexpr (std::is_same_v<TPlain, TConversation>) {
        aVisit("Title", aEntry.Title);
        aVisit("Conversation", aEntry.Conversation);
    } else {
        aVisit("Shop", aEntry.Shop);
        aVisit("ShoppingList", aEntry.ShoppingList);
        aVisit("TotalPurchaseAmount", aEntry.TotalPurchaseAmount);
    }
}

// The fewest bytes an entry can take: a count that the rest of the file cannot hold at this size
// is corrupt, and is refused before anything is allocated for it.
template <typename TEntry> qint64 MinimumEntrySize()
{
    qint64 size = 0;
    TEntry entry;
    VisitEntry(entry, [&size](const char*, const auto& aValue) {
        using TValue = std::decay_t<decltype(aValue)>;
        size += std::is_same_v<TValue, QString> ? 1 : qint64(sizeof(TValue));
    });
    return size;
}

qint64 IdWidth(const TDayField& aField, qint32 aVersion)
{
    return aVersion >= aField.WideIdFrom ? 8 : 4;
}

qint64 MinimumFieldSize(const TDayField& aField, qint32 aVersion)
{
    switch (aField.Kind) {
    case TKind::Float:
        return 8;
    case TKind::Flag:
        return 1;
    case TKind::Int32:
    case TKind::Picture:
        return 4;
    case TKind::String:
    case TKind::LegacyTask:
        return 1;
    case TKind::Tasks:
    case TKind::Conversations:
    case TKind::Shoppings:
        return IdWidth(aField, aVersion) + 8;
    }
    return 0;
}

// The fields of one version in file order, with the smallest size a day record of it can have.
struct TVersionLayout {
    std::vector<const TDayField*> Fields;
    qint64 MinimumDaySize = 8; // the date
};

const TVersionLayout& LayoutOf(qint32 aVersion)
{
    static const auto layouts = [] {
        std::array<TVersionLayout, CurrentVersion + 1> result;
        for (qint32 version = OldestVersion; version <= CurrentVersion; ++version)
            for (const TDayField& field : DayLayout)
                if (field.In(version)) {
                    result[size_t(version)].Fields.push_back(&field);
                    result[size_t(version)].MinimumDaySize += MinimumFieldSize(field, version);
                }
        return result;
    }();
    return layouts[size_t(aVersion)];
}

// ---------------------------------------------------------------------------------------------
// Reading

const QString ImportedTaskTitle = QStringLiteral("Imported Task");
constexpr TTime ImportedTaskEnd = 86399.0 / 86400.0; // 23:59:59

class TDiaryReader {
public:
    explicit TDiaryReader(QIODevice& aDevice) : fIn(aDevice) {}

    std::unique_ptr<TDiary> Read()
    {
        auto diary = std::make_unique<TDiary>();
        fField = "version";
        diary->Version = ReadInt32();
        // A version above the newest holds fields this program does not know: read as the newest,
        // they would be taken for others, and the next save would write the mix back. Versions
        // below the oldest read like the oldest, as they always have.
        if (diary->Version > CurrentVersion)
            Fail(QStringLiteral("the version %1 is newer than any this program reads").arg(diary->Version));
        fVersion = std::max(diary->Version, OldestVersion);
        const TVersionLayout& layout = LayoutOf(fVersion);

        fField = "notice";
        diary->Copyright = ReadString();

        fField = "day count";
        const qint64 count = DayCountWidth(fVersion) == 8 ? ReadInt64() : ReadInt32();
        // Read as no days, a damaged count would open as an empty diary, and the next save would
        // replace the file's days with nothing.
        if (count < 0)
            Fail(QStringLiteral("the day count %1 is negative").arg(count));
        if (count > 0) {
            CheckCount(count, layout.MinimumDaySize);
            // Only a file of known size bounds the count; from a pipe the list grows as days arrive.
            if (fIn.SizeKnown())
                diary->DB.reserve(size_t(count));
        }
        for (qint64 i = 0; i < count; ++i) {
            fDay = i + 1;
            fLastDay = i + 1 == count;
            fField = "Date";
            diary->DB.push_back(std::make_unique<TDay>(ReadFloat()));
            ReadDay(*diary->DB.back(), layout);
        }
        return diary;
    }

private:
    void ReadDay(TDay& aDay, const TVersionLayout& aLayout)
    {
        for (const TDayField* field : aLayout.Fields) {
            fField = field->Name;
            switch (field->Kind) {
            case TKind::Float:
                aDay.*field->FloatMember = ReadFloat();
                break;
            case TKind::Flag:
                aDay.*field->FlagMember = ReadFlag();
                break;
            case TKind::Int32:
                aDay.*field->Int32Member = ReadInt32();
                break;
            case TKind::String:
                aDay.*field->StringMember = ReadString();
                break;
            case TKind::Picture:
                aDay.Picture = ReadPicture(field == aLayout.Fields.back() && fLastDay);
                break;
            case TKind::LegacyTask: {
                // Old files held one text per day where the task list is now; it becomes the
                // day's only task, also when empty, so that nothing stored is lost on upgrade.
                auto task = std::make_unique<TTask>();
                task->ID = 1;
                task->FromTime = 0.0;
                task->ToTime = ImportedTaskEnd;
                task->Task = ImportedTaskTitle;
                task->Notes = ReadString();
                aDay.Tasks.push_back(std::move(task));
                aDay.LastTaskID = 1;
                break;
            }
            case TKind::Tasks:
                ReadList(aDay.*field->IdMember, aDay.Tasks, *field, "task");
                break;
            case TKind::Conversations:
                ReadList(aDay.*field->IdMember, aDay.Conversations, *field, "conversation");
                break;
            case TKind::Shoppings:
                ReadList(aDay.*field->IdMember, aDay.Shoppings, *field, "shopping trip");
                break;
            }
        }
    }

    template <typename TEntry>
    void ReadList(qint64& aLastId, TOwningList<TEntry>& aList, const TDayField& aField, const char* aEntryName)
    {
        fField = aField.IdMember == &TDay::LastTaskID           ? "LastTaskID"
                 : aField.IdMember == &TDay::LastConversationID ? "LastConversationID"
                                                                : "LastShoppingID";
        aLastId = IdWidth(aField, fVersion) == 8 ? ReadInt64() : ReadInt32();
        fField = aField.Name;
        fEntryName = aEntryName;
        const qint64 count = ReadInt64();
        // A count of 0 or below means an empty list, as it always has.
        if (count <= 0)
            return;
        static const qint64 minimumSize = MinimumEntrySize<TEntry>();
        CheckCount(count, minimumSize);
        if (fIn.SizeKnown())
            aList.reserve(aList.size() + size_t(count));
        for (qint64 i = 0; i < count; ++i) {
            fEntry = i + 1;
            auto entry = std::make_unique<TEntry>();
            VisitEntry(*entry, [this](const char* aName, auto& aValue) {
                fField = aName;
                using TValue = std::decay_t<decltype(aValue)>;
                if constexpr (std::is_same_v<TValue, QString>)
                    aValue = ReadString();
                else if constexpr (std::is_same_v<TValue, double>)
                    aValue = ReadFloat();
                else
                    aValue = ReadInt64();
            });
            aList.push_back(std::move(entry));
        }
        fEntry = 0;
        fEntryName = nullptr;
    }

    [[noreturn]] void Fail(const QString& aProblem) const
    {
        // The device failing is no damage to name: the runtime's text, as for a failed write.
        if (fIn.DeviceFailed())
            throw StreamReadError();
        throw EFileError(
            QStringLiteral("The diary file is damaged: %1 (%2, byte %3).").arg(aProblem, Where()).arg(fIn.Offset()));
    }
    [[noreturn]] void FailEnd() const { Fail(QStringLiteral("it ends too early")); }

    QString Where() const
    {
        const QString field = QString::fromLatin1(fField);
        if (fDay == 0)
            return QStringLiteral("header, %1").arg(field);
        if (fEntry > 0)
            return QStringLiteral("day %1, %2 %3, %4")
                .arg(fDay)
                .arg(QString::fromLatin1(fEntryName))
                .arg(fEntry)
                .arg(field);
        return QStringLiteral("day %1, %2").arg(fDay).arg(field);
    }

    void CheckCount(qint64 aCount, qint64 aMinimumSize) const
    {
        if (aCount > fIn.Remaining() / aMinimumSize)
            Fail(QStringLiteral("the count %1 is more than the rest of the file can hold").arg(aCount));
    }

    qint32 ReadInt32()
    {
        qint32 value;
        if (!fIn.ReadLE(value))
            FailEnd();
        return value;
    }
    qint64 ReadInt64()
    {
        qint64 value;
        if (!fIn.ReadLE(value))
            FailEnd();
        return value;
    }
    double ReadFloat()
    {
        // Through the bit pattern, so every NaN payload and -0.0 survive unchanged.
        const quint64 bits = quint64(ReadInt64());
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    bool ReadFlag()
    {
        quint8 value;
        if (!fIn.ReadByte(value))
            FailEnd();
        // Any byte but 0 is true, as it always was.
        return value != 0;
    }

    QString ReadString()
    {
        // The byte count is LEB128 gathered into a signed 32-bit value, at most five bytes; bits
        // beyond the 32nd fall away, and a count that ends up negative is corrupt.
        quint32 accumulated = 0;
        int shift = 0;
        for (;;) {
            quint8 byte;
            if (!fIn.ReadByte(byte))
                FailEnd();
            if (shift == 28 && (byte & 0x80))
                Fail(QStringLiteral("the text length prefix is longer than five bytes"));
            accumulated |= quint32(byte & 0x7F) << shift;
            if (!(byte & 0x80))
                break;
            shift += 7;
        }
        const qint32 byteCount = qint32(accumulated);
        if (byteCount < 0)
            Fail(QStringLiteral("the text length %1 is negative").arg(byteCount));
        if (byteCount == 0)
            return QString();
        if (byteCount % 2 != 0)
            Fail(QStringLiteral("the text length %1 is odd").arg(byteCount));
        if (byteCount > fIn.Remaining())
            Fail(QStringLiteral("the text length %1 is more than the rest of the file").arg(byteCount));

        const qsizetype units = byteCount / 2;
        QString text;
        if (fIn.SizeKnown()) {
            // Allocated at its exact size: resize() would round up for growth, and the diary
            // would take up to twice the memory of its texts.
            text = QString(units, Qt::Uninitialized);
            if (!fIn.Read(text.data(), byteCount))
                FailEnd();
        } else {
            // Without a known size, memory grows only with bytes that actually arrived.
            qsizetype done = 0;
            while (done < units) {
                const qsizetype step = std::min<qsizetype>(units - done, std::max<qsizetype>(done, 32 * 1024));
                text.resize(done + step);
                if (!fIn.Read(text.data() + done, step * 2))
                    FailEnd();
                done += step;
            }
            text.squeeze();
        }
        if constexpr (Q_BYTE_ORDER == Q_BIG_ENDIAN)
            qFromLittleEndian<char16_t>(text.constData(), units, text.data());
        return text;
    }

    QByteArray ReadPicture(bool aLastFieldOfFile)
    {
        const qint32 length = ReadInt32();
        if (length < 0)
            Fail(QStringLiteral("the picture length %1 is negative").arg(length));
        if (length == 0)
            return QByteArray();
        qint64 wanted = length;
        if (wanted > fIn.Remaining()) {
            // A picture cut short by the end of the file is kept as far as it goes; this happens
            // to old files whose last field is the picture. Anywhere else more fields must follow,
            // and they cannot, so the file is refused without reading the rest.
            if (!aLastFieldOfFile)
                Fail(QStringLiteral("the picture length %1 is more than the rest of the file").arg(length));
            wanted = fIn.Remaining();
        }
        QByteArray picture;
        if (fIn.SizeKnown()) {
            picture = QByteArray(wanted, Qt::Uninitialized);
            picture.resize(fIn.ReadUpTo(picture.data(), wanted));
        } else {
            qint64 done = 0;
            while (done < wanted) {
                const qint64 step = std::min<qint64>(wanted - done, std::max<qint64>(done, 64 * 1024));
                picture.resize(done + step);
                const qint64 got = fIn.ReadUpTo(picture.data() + done, step);
                done += got;
                if (got < step)
                    break;
            }
            picture.resize(done);
            picture.squeeze();
        }
        // Only the end of the file may cut the last picture short; a device that fails is no end.
        if (picture.size() < length && (!aLastFieldOfFile || fIn.DeviceFailed()))
            FailEnd();
        return picture;
    }

    TBufferedReader fIn;
    qint32 fVersion = CurrentVersion;
    // Where the reader is, for the error text.
    const char* fField = "";
    const char* fEntryName = nullptr;
    qint64 fDay = 0;
    qint64 fEntry = 0;
    bool fLastDay = false;
};

// ---------------------------------------------------------------------------------------------
// Writing

class TDiaryWriter {
public:
    explicit TDiaryWriter(QIODevice& aDevice) : fOut(aDevice) {}

    // aDays: a list of days (owning or plain pointers) in the order written.
    template <typename TDays> void Write(const QString& aCopyright, const TDays& aDays)
    {
        // The layout written is always the current one, whatever version the diary was read from,
        // so the number written must be too: an older number would make the file unreadable.
        fOut.WriteLE<qint32>(CurrentVersion);
        WriteString(aCopyright, "notice");
        fOut.WriteLE<qint64>(qint64(aDays.size()));
        const TVersionLayout& layout = LayoutOf(CurrentVersion);
        for (const auto& day : aDays)
            WriteDay(*day, layout);
        fOut.Flush();
    }

private:
    void WriteDay(const TDay& aDay, const TVersionLayout& aLayout)
    {
        WriteFloat(aDay.Date);
        for (const TDayField* field : aLayout.Fields) {
            switch (field->Kind) {
            case TKind::Float:
                WriteFloat(aDay.*field->FloatMember);
                break;
            case TKind::Flag:
                fOut.WriteLE<quint8>(aDay.*field->FlagMember ? 1 : 0);
                break;
            case TKind::Int32:
                fOut.WriteLE<qint32>(aDay.*field->Int32Member);
                break;
            case TKind::String:
                WriteString(aDay.*field->StringMember, field->Name);
                break;
            case TKind::Picture:
                if (aDay.Picture.size() > std::numeric_limits<qint32>::max())
                    throw EFileError(QStringLiteral("The picture of %1 is too large to be stored.")
                                         .arg(TKSDateUtils::ToYearMonthDayStr(aDay.Date)));
                fOut.WriteLE<qint32>(qint32(aDay.Picture.size()));
                fOut.Write(aDay.Picture.constData(), aDay.Picture.size());
                break;
            case TKind::LegacyTask:
                break; // never written: the current version keeps a task list instead
            case TKind::Tasks:
                WriteList(aDay.LastTaskID, aDay.Tasks);
                break;
            case TKind::Conversations:
                WriteList(aDay.LastConversationID, aDay.Conversations);
                break;
            case TKind::Shoppings:
                WriteList(aDay.LastShoppingID, aDay.Shoppings);
                break;
            }
        }
    }

    template <typename TEntry> void WriteList(qint64 aLastId, const TOwningList<TEntry>& aList)
    {
        fOut.WriteLE<qint64>(aLastId);
        fOut.WriteLE<qint64>(qint64(aList.size()));
        for (const auto& entry : aList)
            VisitEntry(std::as_const(*entry), [this](const char* aName, const auto& aValue) {
                using TValue = std::decay_t<decltype(aValue)>;
                if constexpr (std::is_same_v<TValue, QString>)
                    WriteString(aValue, aName);
                else if constexpr (std::is_same_v<TValue, double>)
                    WriteFloat(aValue);
                else
                    fOut.WriteLE<qint64>(aValue);
            });
    }

    void WriteFloat(double aValue)
    {
        quint64 bits;
        std::memcpy(&bits, &aValue, sizeof bits);
        fOut.WriteLE<quint64>(bits);
    }

    void WriteString(const QString& aText, const char* aField)
    {
        // The reader takes the byte count as a signed 32-bit value; a longer text would be
        // written without complaint and then make the whole file unreadable.
        if (aText.size() > std::numeric_limits<qint32>::max() / 2)
            throw EFileError(
                QStringLiteral("The text of %1 is too long to be stored.").arg(QString::fromLatin1(aField)));
        quint32 byteCount = quint32(aText.size()) * 2;
        quint8 prefix[5];
        int used = 0;
        do {
            quint8 byte = byteCount & 0x7F;
            byteCount >>= 7;
            if (byteCount != 0)
                byte |= 0x80;
            prefix[used++] = byte;
        } while (byteCount != 0);
        fOut.Write(prefix, used);
        if constexpr (Q_BYTE_ORDER == Q_LITTLE_ENDIAN) {
            fOut.Write(aText.constData(), aText.size() * 2);
        } else {
            for (const QChar unit : aText)
                fOut.WriteLE<quint16>(unit.unicode());
        }
    }

    TBufferedWriter fOut;
};

// ---------------------------------------------------------------------------------------------
// A file seen through a tap: reads and writes pass straight through to the file, and the bytes
// that moved are shown to the tap. Unbuffered like the file, so no byte is copied once more; the
// diary's own streams keep the buffering.

class TTappedDevice : public QIODevice {
public:
    TTappedDevice(QIODevice& aFile, const TFileBytesTap& aTap) : fFile(aFile), fTap(aTap)
    {
        open(aFile.openMode() | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return fFile.isSequential(); }
    qint64 size() const override { return fFile.size(); }

protected:
    qint64 readData(char* aData, qint64 aMaxSize) override
    {
        const qint64 got = fFile.read(aData, aMaxSize);
        if (got > 0)
            fTap(QByteArrayView(aData, got));
        else if (got < 0)
            setErrorString(fFile.errorString());
        return got;
    }
    qint64 writeData(const char* aData, qint64 aSize) override
    {
        const qint64 written = fFile.write(aData, aSize);
        if (written > 0)
            fTap(QByteArrayView(aData, written));
        else if (written < 0)
            setErrorString(fFile.errorString());
        return written;
    }

private:
    QIODevice& fFile;
    const TFileBytesTap& fTap;
};

} // namespace

std::unique_ptr<TDiary> ReadDiary(QIODevice& aDevice)
{
    // Nothing but the finished diary leaves this function: on any error the partly read one is
    // destroyed by the unwinding.
    try {
        return TDiaryReader(aDevice).Read();
    } catch (const std::bad_alloc&) {
        throw EFileError(QStringLiteral("The diary file is too large for the memory available."));
    }
}

std::unique_ptr<TDiary> ReadDiaryFile(const QString& aFileName, const TFileBytesTap& aTap)
{
    QFile file(aFileName);
    // Unbuffered: the reader keeps its own buffer, and a second one would only copy the bytes.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw CannotOpenFileError(aFileName, file.errorString());
    if (!aTap)
        return ReadDiary(file);

    TTappedDevice tapped(file, aTap);
    std::unique_ptr<TDiary> diary = ReadDiary(tapped);
    // Whatever follows the last day goes through the tap too: the tap stands for the whole file.
    QByteArray rest(TBufferedReader::ChunkSize, Qt::Uninitialized);
    qint64 got = 0;
    while ((got = tapped.read(rest.data(), rest.size())) > 0) {
    }
    if (got < 0)
        throw StreamReadError();
    return diary;
}

void WriteDiary(const TDiary& aDiary, QIODevice& aDevice)
{
    TDiaryWriter(aDevice).Write(aDiary.Copyright, aDiary.DB);
}

void WriteDiary(const QString& aCopyright, const std::vector<const TDay*>& aDays, QIODevice& aDevice)
{
    TDiaryWriter(aDevice).Write(aCopyright, aDays);
}

void WriteDiaryFile(const TDiary& aDiary, const QString& aFileName, const std::function<void()>& aBeforeReplace,
                    const TFileBytesTap& aTap, const TDiaryKey* aKey)
{
    // The runtime's texts, as the exports give them: a file that cannot be made names itself with
    // its full path and the platform's reason; a failed write is a stream write error.
    QSaveFile file(aFileName);
    // Never fall back to writing over the target in place: that is what leaves half a file.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw CannotCreateFileError(aFileName, file.errorString());
    try {
        // The bytes written so far are sent on to the disk a slice at a time while the rest of the
        // diary is being made, so that the flush before the rename waits for little more than the
        // last slice.
        constexpr qint64 WritebackSlice = 1024 * 1024;
        qint64 written = 0;
        qint64 sent = 0;
        const TFileBytesTap tap = [&](QByteArrayView aBytes) {
            if (aTap)
                aTap(aBytes);
            written += aBytes.size();
            if (written - sent >= WritebackSlice) {
                StartWriteback(file, sent, written - sent);
                sent = written;
            }
        };
        TTappedDevice tapped(file, tap);
        if (aKey) {
            // Sealed chunk by chunk on the way to the file: no plain byte reaches the disk.
            TEncryptingDevice sealed(tapped, *aKey);
            WriteDiary(aDiary, sealed);
            sealed.Finish();
        } else {
            WriteDiary(aDiary, tapped);
        }
        if (!file.flush())
            throw EFileError(file.errorString());
    } catch (const EFileError&) {
        // A text or picture too long to be stored is reported as such; everything else that stops
        // the writing is the device failing. (Cancelling sets an error of its own: ask first.)
        const bool deviceFailed = file.error() != QFileDevice::NoError;
        file.cancelWriting();
        if (!deviceFailed)
            throw;
        throw StreamWriteError();
    } catch (...) {
        file.cancelWriting();
        throw;
    }
    // Only now, with the complete new file on disk, does the backup step run; an error there
    // (reported with its own text) leaves the target as it was.
    if (aBeforeReplace) {
        try {
            aBeforeReplace();
        } catch (...) {
            file.cancelWriting();
            throw;
        }
    }
    // What fails here is putting the file under its name, or the bytes reaching the disk, which
    // QSaveFile waits for before the rename (else a power cut right after it could leave the name
    // on an empty file): the file of that name could not be made.
    if (!file.commit())
        throw CannotCreateFileError(aFileName, file.errorString());
    // The rename itself lives in the folder: flushed too, so the new name survives a power cut.
    if (!SyncFolderOf(aFileName))
        throw CannotCreateFileError(aFileName, qt_error_string(errno));
}

std::unique_ptr<TDiary> ReadDiaryFileWithKey(const QString& aFileName, const TDiaryKey& aKey, const TFileBytesTap& aTap)
{
    QFile file(aFileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        throw CannotOpenFileError(aFileName, file.errorString());
    std::optional<TTappedDevice> tapped;
    if (aTap)
        tapped.emplace(file, aTap);
    TDecryptingDevice plain(tapped ? static_cast<QIODevice&>(*tapped) : file, aKey, aFileName);
    std::unique_ptr<TDiary> diary;
    try {
        diary = ReadDiary(plain);
    } catch (const EFileError&) {
        // A chunk that failed its check reads to the reader as a device that failed: the
        // container's own words say what is wrong.
        if (!plain.Problem().isEmpty())
            throw EFileError(plain.Problem());
        throw;
    }
    // The reader stops at the diary's end; the rest of the container is checked all the same, up
    // to its last chunk, so a cut or an addition is never let through.
    plain.Finish();
    if (aTap) {
        char rest[4096];
        while (tapped->read(rest, sizeof rest) > 0) {
        }
    }
    return diary;
}

TOpenedDiary ReadDiaryFileWithPassword(const QString& aFileName, const TPasswordPrompt& aPrompt,
                                       const TFileBytesTap& aTap)
{
    if (!IsEncryptedDiaryFile(aFileName))
        return {ReadDiaryFile(aFileName, aTap), std::nullopt};

    for (int attempt = 1;; ++attempt) {
        QFile file(aFileName);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw CannotOpenFileError(aFileName, file.errorString());
        // The header is checked before a password is asked for: a container this program cannot
        // open is reported as such, not as a wrong password.
        const TKeyDerivation derivation = ReadKeyDerivation(file, aFileName);
        std::optional<TSecret> password = aPrompt ? aPrompt(aFileName, attempt) : std::nullopt;
        if (!password)
            throw EPasswordCancelled();
        TDiaryKey key = TDiaryKey::Derive(*password, derivation);
        password.reset();
        try {
            file.seek(0);
            CheckDiaryKey(file, key, aFileName);
        } catch (const EWrongPassword&) {
            continue;
        }
        return {ReadDiaryFileWithKey(aFileName, key, aTap), std::move(key)};
    }
}
