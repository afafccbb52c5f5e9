#include "exchange/TaskImport.h"

#include "util/Errors.h"
#include "util/FileAccess.h"
#include "util/NumberFormat.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <limits>
#include <optional>
#include <unordered_map>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr double kMinutesPerDay = 1440.0;

// A parsed row with the keys that sorting and placing it need, taken from the pieces themselves
// rather than recovered from the date-time values, where the fraction may be off in the last bit.
// It holds the row's fields itself: a TTaskOfTheDay made empty and filled later would read the
// clock twice for its defaults, which for a large file costs more than all of the parsing.
struct TParsedRow {
    TDateTime StartDateTime = 0.0;
    TDateTime EndDateTime = 0.0;
    QString Task;
    QString Notice;
    qint64 StartDay = 0;
    int StartMinute = 0;
    int EndMinute = 0;
};

struct TParsedDateTime {
    TDateTime Value = 0.0;
    qint64 Day = 0;
    int Minute = 0;
};

bool IsBlank(QChar aChar)
{
    return aChar == u' ' || aChar == u'\t';
}

// Stricter than StrToInt: blanks and a sign may precede the digits, but nothing may follow them,
// so "08 " is as wrong as "08x".
qint32 PieceToInt(QStringView aPiece)
{
    qsizetype i = 0;
    while (i < aPiece.size() && IsBlank(aPiece[i]))
        ++i;
    bool negative = false;
    if (i < aPiece.size() && (aPiece[i] == u'+' || aPiece[i] == u'-')) {
        negative = aPiece[i] == u'-';
        ++i;
    }
    qint64 value = 0;
    const qsizetype firstDigit = i;
    for (; i < aPiece.size(); ++i) {
        const QChar c = aPiece[i];
        if (c < u'0' || c > u'9')
            throw EConvertError(IntConvertErrorText(aPiece.toString()));
        value = value * 10 + (c.unicode() - u'0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            throw EConvertError(IntConvertErrorText(aPiece.toString()));
    }
    if (i == firstDigit)
        throw EConvertError(IntConvertErrorText(aPiece.toString()));
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max())
        throw EConvertError(IntConvertErrorText(aPiece.toString()));
    return qint32(value);
}

// Where aChar first stands in aText, or -1. Rows are short, so a plain walk beats the general
// search, whose set-up costs more than the few characters it would skip.
qsizetype Find(QStringView aText, char16_t aChar)
{
    const char16_t* const begin = aText.utf16();
    const char16_t* const end = begin + aText.size();
    const char16_t* const at = std::find(begin, end, aChar);
    return at == end ? -1 : at - begin;
}

// The text up to the next aDelimiter, leaving the rest after it in aRest. A missing delimiter gives
// an empty piece, which then fails as an integer.
QStringView CutPiece(QStringView& aRest, char16_t aDelimiter)
{
    const qsizetype at = Find(aRest, aDelimiter);
    if (at < 0) {
        aRest = QStringView();
        return QStringView();
    }
    const QStringView piece = aRest.left(at);
    aRest = aRest.mid(at + 1);
    return piece;
}

// std::nullopt when the field has an empty year piece (no "-" at all, or one at its start): such a
// row is dropped without a word, unlike a field whose pieces are wrong.
std::optional<TParsedDateTime> ParseDateTimeField(QStringView aField)
{
    QStringView rest = aField;
    const QStringView yearPiece = CutPiece(rest, u'-');
    if (yearPiece.isEmpty())
        return std::nullopt;
    const QStringView monthPiece = CutPiece(rest, u'-');
    const QStringView dayPiece = CutPiece(rest, u' ');
    const QStringView hourPiece = CutPiece(rest, u':');
    const QStringView minutePiece = CutPiece(rest, u':');
    // Whatever follows the second ":" (seconds, milliseconds) is never read.

    const qint32 year = PieceToInt(yearPiece);
    const qint32 month = PieceToInt(monthPiece);
    const qint32 day = PieceToInt(dayPiece);
    const qint32 hour = PieceToInt(hourPiece);
    const qint32 minute = PieceToInt(minutePiece);

    const bool valid = year >= 1 && year <= 9999 && QDate::isValid(year, month, day) && hour >= 0 && hour <= 23 &&
                       minute >= 0 && minute <= 59;
    if (!valid)
        throw EConvertError(u"'%1' ist keine gültige Datums- und Uhrzeitangabe"_s.arg(aField.toString()));

    TParsedDateTime result;
    result.Day = DatePart(EncodeDate(QDate(year, month, day)));
    result.Minute = hour * 60 + minute;
    const double date = double(result.Day);
    const double time = result.Minute / kMinutesPerDay;
    // Before 1899-12-30 the date part is negative and the time of day counts away from zero, so
    // that truncating still gives the date and the fraction's magnitude the time.
    result.Value = date >= 0 ? date + time : date - time;
    return result;
}

// A row line: task ";" start ";" end ";" note. std::nullopt drops the line.
std::optional<TParsedRow> ParseRowLine(QStringView aLine)
{
    QStringView rest = aLine;
    const qsizetype first = Find(rest, u';');
    const QStringView task = rest.left(first);
    rest = rest.mid(first + 1);

    const qsizetype second = Find(rest, u';');
    if (second < 0)
        return std::nullopt;
    const std::optional<TParsedDateTime> start = ParseDateTimeField(rest.left(second));
    if (!start)
        return std::nullopt;
    rest = rest.mid(second + 1);

    const qsizetype third = Find(rest, u';');
    if (third < 0)
        return std::nullopt;
    const std::optional<TParsedDateTime> end = ParseDateTimeField(rest.left(third));
    if (!end)
        return std::nullopt;

    TParsedRow row;
    row.StartDateTime = start->Value;
    row.EndDateTime = end->Value;
    row.Task = task.toString();
    row.Notice = rest.mid(third + 1).toString();
    row.StartDay = start->Day;
    row.StartMinute = start->Minute;
    row.EndMinute = end->Minute;
    return row;
}

QString DecodeUtf8(const QByteArray& aBytes)
{
    QByteArrayView bytes(aBytes);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    // Qt replaces every byte that is not part of a valid UTF-8 sequence with U+FFFD.
    return QString::fromUtf8(bytes);
}

std::vector<TParsedRow> ParseRows(const QByteArray& aBytes)
{
    const QString text = DecodeUtf8(aBytes);
    const QStringView all(text);
    std::vector<TParsedRow> rows;
    // Rows are rarely shorter than thirty-two characters: reserving for that many spares moving
    // every row parsed so far each time the list grows (memory reserved and not used is never
    // touched, so it costs nothing).
    rows.reserve(size_t(all.size() / 32));
    qsizetype lastAccepted = -1; // the row that continuation lines join, if any

    qsizetype lineNumber = 0;
    qsizetype pos = 0;
    const qsizetype size = all.size();
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && all[end] != u'\r' && all[end] != u'\n')
            ++end;
        const QStringView line = all.sliced(pos, end - pos);
        if (end == size)
            pos = end; // a last line without a line break is a line too
        else if (all[end] == u'\r' && end + 1 < size && all[end + 1] == u'\n')
            pos = end + 2;
        else
            pos = end + 1;

        if (lineNumber++ == 0)
            continue; // the header, whatever it holds

        if (Find(line, u';') >= 0) {
            std::optional<TParsedRow> row = ParseRowLine(line);
            if (row) {
                rows.push_back(std::move(*row));
                lastAccepted = qsizetype(rows.size()) - 1;
            } else {
                lastAccepted = -1; // its continuation lines go with it
            }
        } else if (lastAccepted >= 0 && !line.isEmpty()) {
            QString& notes = rows[size_t(lastAccepted)].Notice;
            notes += u' ';
            notes += line;
        }
    }
    return rows;
}

// The indexes of aRows by start date, then by the time of day of the start (or of the end), rows
// of the same date and time in file order. Each key packs the date, the minute and the file
// position into one number; the keys, made in file order, are put in order by date and minute
// with a radix sort, which keeps equal keys in the order it found them and needs three passes
// over them however many there are.
std::vector<size_t> SortedOrder(const std::vector<TParsedRow>& aRows, bool aEndOnly)
{
    // Dates of the years 1 to 9999 lie within 2^22 days of the first one, the minutes of a day
    // within 2^11; the remaining 31 bits hold the row's position, more rows than any file that
    // fits into memory can have (every row takes over twenty bytes of text and a hundred parsed).
    constexpr qint64 kFirstDay = -693593; // 0001-01-01
    constexpr int kIndexBits = 31;
    constexpr int kMinuteBits = 11;
    Q_ASSERT(aRows.size() < (size_t(1) << kIndexBits));
    std::vector<quint64> keys;
    keys.reserve(aRows.size());
    for (size_t i = 0; i < aRows.size(); ++i) {
        const TParsedRow& row = aRows[i];
        const quint64 minute = quint64(aEndOnly ? row.EndMinute : row.StartMinute);
        keys.push_back((quint64(row.StartDay - kFirstDay) << (kMinuteBits + kIndexBits)) | (minute << kIndexBits) |
                       quint64(i));
    }
    constexpr int kDigitBits = 11; // three digits cover the 33 bits of date and minute
    std::vector<quint64> sorted(keys.size());
    for (int shift = kIndexBits; shift < 64; shift += kDigitBits) {
        std::array<size_t, (1 << kDigitBits) + 1> start{};
        for (const quint64 key : keys)
            ++start[((key >> shift) & ((1 << kDigitBits) - 1)) + 1];
        for (size_t digit = 1; digit < start.size(); ++digit)
            start[digit] += start[digit - 1];
        for (const quint64 key : keys)
            sorted[start[(key >> shift) & ((1 << kDigitBits) - 1)]++] = key;
        keys.swap(sorted);
    }
    std::vector<size_t> order;
    order.reserve(keys.size());
    for (const quint64 key : keys)
        order.push_back(size_t(key & ((quint64(1) << kIndexBits) - 1)));
    return order;
}
} // namespace

std::vector<TTaskOfTheDay> ParseTaskRows(const QByteArray& aBytes, bool aEndOnly)
{
    std::vector<TParsedRow> parsed = ParseRows(aBytes);
    std::vector<TTaskOfTheDay> rows;
    rows.reserve(parsed.size());
    for (const size_t i : SortedOrder(parsed, aEndOnly)) {
        TParsedRow& row = parsed[i];
        rows.push_back(TTaskOfTheDay{row.StartDateTime, row.EndDateTime, std::move(row.Task), std::move(row.Notice)});
    }
    return rows;
}

TTaskImportResult ImportTasks(TDiary& aDiary, const QByteArray& aBytes, bool aEndOnly)
{
    // Everything that can fail happens here, before the diary is touched.
    std::vector<TParsedRow> rows = ParseRows(aBytes);
    const std::vector<size_t> order = SortedOrder(rows, aEndOnly);

    TTaskImportResult result;
    if (rows.empty())
        return result;

    // GetDay walks the page list; asking it once per row would make a large import quadratic.
    // The map holds what GetDay would return: the first page of each date in list order. GetDay
    // keeps that page first when it inserts (its sort is stable), so the map stays true.
    std::unordered_map<qint64, TDay*> pages;
    pages.reserve(aDiary.DB.size() + rows.size() / 8);
    for (const auto& day : aDiary.DB)
        pages.try_emplace(DatePart(day->Date), day.get());

    TDay* target = nullptr;
    qint64 targetDay = 0;
    for (const size_t i : order) {
        TParsedRow& row = rows[i];
        if (!target || row.StartDay != targetDay) {
            targetDay = row.StartDay;
            const auto found = pages.find(targetDay);
            if (found != pages.end()) {
                target = found->second;
            } else {
                target = aDiary.GetDay(row.StartDateTime);
                pages.emplace(targetDay, target);
                ++result.DaysCreated;
            }
        }
        auto task = std::make_unique<TTask>();
        // Wraps instead of overflowing on a counter that a damaged file left at the maximum.
        target->LastTaskID = qint64(quint64(target->LastTaskID) + 1);
        task->ID = target->LastTaskID;
        // The start's date chose the page; with the end-only choice its time is ignored too.
        task->FromTime = (aEndOnly ? row.EndMinute : row.StartMinute) / kMinutesPerDay;
        task->ToTime = row.EndMinute / kMinutesPerDay;
        task->Task = std::move(row.Task);
        task->Notes = std::move(row.Notice);
        target->Tasks.push_back(std::move(task));
        ++result.TasksAdded;
    }
    return result;
}

TTaskImportResult ImportTasksFromFile(TDiary& aDiary, const QString& aFileName, bool aEndOnly)
{
    // A folder of that name is no file either.
    if (!FileExists(aFileName))
        throw EFileError(DoesNotExistText(aFileName));
    QFile file(aFileName);
    OpenForReading(file);
    // Read at most one byte beyond the bound, so that neither a huge file nor an endless stream
    // (a pipe, a device) is read whole to be refused.
    const QByteArray bytes = file.read(MaxTaskFileBytes + 1);
    if (file.error() != QFileDevice::NoError)
        ReadRest(file); // throws the runtime's text for the failed read
    if (bytes.size() > MaxTaskFileBytes)
        throw EFileError(u"Die Datei %1 ist zu groß für einen Aufgabenimport (mehr als %2 MB)"_s.arg(
            QFileInfo(aFileName).absoluteFilePath())
                             .arg(MaxTaskFileBytes / (1024 * 1024)));
    return ImportTasks(aDiary, bytes, aEndOnly);
}
