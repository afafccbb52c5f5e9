#include "model/DiaryFile.h"

#include "model/BufferedStreams.h"
#include "model/DiaryLayout.h"
#include "util/Errors.h"
#include "util/FileAccess.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

using namespace DiaryLayout;

namespace {

// Writes the current version.

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

    void WritePage(const TDay& aDay)
    {
        WriteDay(aDay, LayoutOf(CurrentVersion));
        fOut.Flush();
    }

private:
    void WriteDay(const TDay& aDay, const TVersionLayout& aLayout)
    {
        WriteFloat(aDay.Date);
        for (const TField* field : aLayout.Fields) {
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

// Counts what is written to it and keeps none of it.
class TCountingDevice final : public QIODevice {
public:
    TCountingDevice() { open(QIODevice::WriteOnly); }
    qint64 Count() const { return fCount; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char*, qint64 aSize) override
    {
        fCount += aSize;
        return aSize;
    }

private:
    qint64 fCount = 0;
};

} // namespace

qint64 WrittenDaySize(const TDay& aDay)
{
    TCountingDevice counter;
    TDiaryWriter(counter).WritePage(aDay);
    return counter.Count();
}

void WriteDiary(const TDiary& aDiary, QIODevice& aDevice)
{
    TDiaryWriter(aDevice).Write(aDiary.Copyright, aDiary.DB);
}

void WriteDiary(const QString& aCopyright, const std::vector<const TDay*>& aDays, QIODevice& aDevice)
{
    TDiaryWriter(aDevice).Write(aCopyright, aDays);
}
