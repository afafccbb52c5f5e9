#include "model/DiaryFile.h"

#include "model/BufferedStreams.h"
#include "model/DiaryLayout.h"
#include "util/Errors.h"
#include "util/FileAccess.h"
#include "util/ksDateUtils.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

using namespace DiaryLayout;

namespace {

// Reads any version of the file, checking every count and size against what the rest of the
// file can hold before anything is allocated for it.

const QString ImportedTaskTitle = QStringLiteral("Imported Task");
constexpr TTime ImportedTaskEnd = 86399.0 / 86400.0; // 23:59:59

class TDiaryReader {
public:
    explicit TDiaryReader(QIODevice& aDevice) : fIn(aDevice) {}

    std::unique_ptr<TDiary> Read() { return ReadAll(std::nullopt, nullptr); }

    // Every page is stepped over, with every check a whole read makes, except the first one dated
    // on aDate's calendar date, which is read whole into *aFound (left null when there is none).
    // What returns is the diary's version and notice without any page.
    std::unique_ptr<TDiary> ReadOneDay(TDateTime aDate, std::unique_ptr<TDay>& aFound)
    {
        return ReadAll(aDate, &aFound);
    }

    // The head, then the page that begins at aStart, read whole as the file's last one: it must
    // end where the file does, and the head must count aDayCount pages. Null when they do not.
    std::unique_ptr<TDiary> ReadHeadAndLastDay(qint64 aStart, qint64 aDayCount, std::unique_ptr<TDay>& aFound)
    {
        auto diary = std::make_unique<TDiary>();
        const qint64 count = ReadHead(*diary);
        if (count != aDayCount || count == 0 || !fIn.SeekTo(aStart))
            return nullptr;
        fDay = count;
        fLastDay = true;
        fField = "Date";
        auto day = std::make_unique<TDay>(ReadFloat());
        ReadDay(*day, LayoutOf(fVersion));
        if (fIn.Remaining() != 0)
            return nullptr;
        aFound = std::move(day);
        return diary;
    }

private:
    // The version, the notice and the day count; returns the count, checked against what the rest
    // of the file can hold.
    qint64 ReadHead(TDiary& aDiary)
    {
        fField = "version";
        aDiary.Version = ReadInt32();
        // A version above the newest holds fields this program does not know: read as the newest,
        // they would be taken for others, and the next save would write the mix back. Versions
        // below the oldest read like the oldest, as they always have.
        if (aDiary.Version > CurrentVersion)
            Fail(QStringLiteral("the version %1 is newer than any this program reads").arg(aDiary.Version));
        fVersion = std::max(aDiary.Version, OldestVersion);

        fField = "notice";
        aDiary.Copyright = ReadString();

        fField = "day count";
        const qint64 count = DayCountWidth(fVersion) == 8 ? ReadInt64() : ReadInt32();
        // Read as no days, a damaged count would open as an empty diary, and the next save would
        // replace the file's days with nothing.
        if (count < 0)
            Fail(QStringLiteral("the day count %1 is negative").arg(count));
        if (count > 0)
            CheckCount(count, LayoutOf(fVersion).MinimumDaySize);
        return count;
    }

    std::unique_ptr<TDiary> ReadAll(std::optional<TDateTime> aOnly, std::unique_ptr<TDay>* aFound)
    {
        auto diary = std::make_unique<TDiary>();
        const qint64 count = ReadHead(*diary);
        const TVersionLayout& layout = LayoutOf(fVersion);
        // Only a file of known size bounds the count; from a pipe the list grows as days arrive.
        if (count > 0 && fIn.SizeKnown() && !aOnly)
            diary->DB.reserve(size_t(count));
        for (qint64 i = 0; i < count; ++i) {
            fDay = i + 1;
            fLastDay = i + 1 == count;
            fField = "Date";
            auto day = std::make_unique<TDay>(ReadFloat());
            if (aOnly) {
                fSkipping = *aFound || !SameDate(day->Date, *aOnly);
                ReadDay(*day, layout);
                if (!fSkipping)
                    *aFound = std::move(day);
            } else {
                ReadDay(*day, layout);
                diary->DB.push_back(std::move(day));
            }
        }
        fSkipping = false;
        return diary;
    }

    void ReadDay(TDay& aDay, const TVersionLayout& aLayout)
    {
        for (const TField* field : aLayout.Fields) {
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
    void ReadList(qint64& aLastId, TOwningList<TEntry>& aList, const TField& aField, const char* aEntryName)
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
        if (fIn.SizeKnown() && !fSkipping)
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
            if (!fSkipping)
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

        if (fSkipping) {
            if (fIn.Skip(byteCount) < byteCount)
                FailEnd();
            return QString();
        }

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
        if (fSkipping) {
            // The same rule as below for a picture cut short.
            if (fIn.Skip(wanted) < length && (!aLastFieldOfFile || fIn.DeviceFailed()))
                FailEnd();
            return QByteArray();
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
    bool fSkipping = false; // texts and pictures are stepped over, entries dropped once read
};
} // namespace

TDiaryDayRead ReadDiaryDay(QIODevice& aDevice, TDateTime aDate)
{
    try {
        TDiaryDayRead result;
        result.Head = TDiaryReader(aDevice).ReadOneDay(aDate, result.Day);
        return result;
    } catch (const std::bad_alloc&) {
        throw EFileError(QStringLiteral("The diary file is too large for the memory available."));
    }
}

std::optional<TDiaryDayRead> ReadDiaryLastDay(QIODevice& aDevice, qint64 aLastDayStart, qint64 aDayCount)
{
    try {
        TDiaryDayRead result;
        result.Head = TDiaryReader(aDevice).ReadHeadAndLastDay(aLastDayStart, aDayCount, result.Day);
        if (!result.Head)
            return std::nullopt;
        return result;
    } catch (const EFileError&) {
        return std::nullopt;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

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
