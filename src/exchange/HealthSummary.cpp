#include "exchange/HealthSummary.h"

#include "util/NumberFormat.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

bool PairLess(const TBloodPressurePair& aA, const TBloodPressurePair& aB)
{
    return aA.Sys != aB.Sys ? aA.Sys < aB.Sys : aA.Dia < aB.Dia;
}

// Running sums of one reading at one time of day; the first date wins a tie of the extremes.
struct TReadingAccumulator {
    double Sum = 0.0;
    void Add(TReadingStatistics& aStatistics, double aValue, TDateTime aDate)
    {
        if (aStatistics.DaysEntered == 0 || aValue < aStatistics.Minimum) {
            aStatistics.Minimum = aValue;
            aStatistics.MinimumDate = aDate;
        }
        if (aStatistics.DaysEntered == 0 || aValue > aStatistics.Maximum) {
            aStatistics.Maximum = aValue;
            aStatistics.MaximumDate = aDate;
        }
        ++aStatistics.DaysEntered;
        Sum += aValue;
    }
};

struct TPairAccumulator {
    double SysSum = 0.0;
    double DiaSum = 0.0;
    void Add(TBloodPressureStatistics& aStatistics, const TBloodPressurePair& aPair, TDateTime aDate)
    {
        if (aStatistics.DaysEntered == 0 || PairLess(aPair, aStatistics.Lowest)) {
            aStatistics.Lowest = aPair;
            aStatistics.LowestDate = aDate;
        }
        if (aStatistics.DaysEntered == 0 || PairLess(aStatistics.Highest, aPair)) {
            aStatistics.Highest = aPair;
            aStatistics.HighestDate = aDate;
        }
        ++aStatistics.DaysEntered;
        SysSum += aPair.Sys;
        DiaSum += aPair.Dia;
    }
};

QString DateText(TDateTime aDate)
{
    return TKSDateUtils::ToYearMonthDayStr(aDate);
}

// Line breaks of any kind as "\n", so a note reads the same whichever system typed it.
QStringList NoteLines(const QString& aText)
{
    QString text = aText;
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text.split(u'\n');
}

QString TimesOfDay(const std::array<bool, TimeOfDayCount>& aFlags)
{
    QStringList names;
    for (TTimeOfDay time : AllTimesOfDay)
        if (aFlags[size_t(time)])
            names << TimeOfDayName(time);
    return names.join(u", "_s);
}

// Columns padded to their widest cell and joined by two blanks; numbers stand right-aligned.
class TAlignedTable {
public:
    explicit TAlignedTable(std::vector<bool> aRightAligned) : fRight(std::move(aRightAligned)) {}
    void Add(QStringList aCells) { fRows.push_back(std::move(aCells)); }
    QString Text() const
    {
        std::vector<qsizetype> widths(fRight.size(), 0);
        for (const QStringList& row : fRows)
            for (qsizetype i = 0; i < row.size(); ++i)
                widths[size_t(i)] = std::max(widths[size_t(i)], row.at(i).size());
        QString text;
        for (const QStringList& row : fRows) {
            QString line;
            for (qsizetype i = 0; i < row.size(); ++i) {
                if (i > 0)
                    line += u"  "_s;
                const qsizetype width = widths[size_t(i)];
                line += fRight[size_t(i)] ? row.at(i).rightJustified(width) : row.at(i).leftJustified(width);
            }
            // Empty cells at the end of a row leave no trailing blanks.
            while (line.endsWith(u' '))
                line.chop(1);
            text += line + u'\n';
        }
        return text;
    }

private:
    std::vector<bool> fRight;
    std::vector<QStringList> fRows;
};

QString CsvField(const QString& aText)
{
    if (!aText.contains(u';') && !aText.contains(u'"') && !aText.contains(u'\n') && !aText.contains(u'\r'))
        return aText;
    QString quoted = aText;
    quoted.replace(u"\""_s, u"\"\""_s);
    return u'"' + quoted + u'"';
}

QString CsvLine(const QStringList& aFields)
{
    QStringList fields;
    for (const QString& field : aFields)
        fields << CsvField(field);
    return fields.join(u';') + u'\n';
}

const QString kPairName = QString::fromUtf16(BloodPressurePairName);
const QString kArrhythmiaName = QString::fromUtf16(HeartArrhythmiaName);

} // namespace

QString HealthReadingName(THealthReading aReading)
{
    return QString::fromUtf16(HealthReadingField(aReading).Name);
}

bool IsEnteredReading(double aValue)
{
    return aValue != 0.0 && std::isfinite(aValue);
}

bool THealthDayRow::HasReading(THealthReading aReading) const
{
    const auto& values = Readings[size_t(aReading)];
    return IsEnteredReading(values[0]) || IsEnteredReading(values[1]) || IsEnteredReading(values[2]);
}

THealthSummary SummarizeHealth(const TDiary& aDiary, const QDate& aFrom, const QDate& aTo)
{
    THealthSummary summary;
    summary.From = EncodeDate(aFrom);
    summary.To = EncodeDate(aTo);
    const qint64 from = DatePart(summary.From);
    const qint64 to = DatePart(summary.To);

    // The file keeps its own order; the summary's lists and the "first date" of a tie follow the
    // calendar.
    std::vector<const TDay*> days;
    for (const auto& day : aDiary.DB) {
        const qint64 date = DatePart(day->Date);
        if (date >= from && date <= to)
            days.push_back(day.get());
    }
    std::stable_sort(days.begin(), days.end(),
                     [](const TDay* a, const TDay* b) { return CompareDate(a->Date, b->Date) < 0; });

    std::array<std::array<TReadingAccumulator, TimeOfDayCount>, HealthReadingCount> sums{};
    std::array<TPairAccumulator, TimeOfDayCount> pairSums{};
    for (const TDay* day : days) {
        THealthDayRow row;
        row.Date = TDateTime(DatePart(day->Date));
        bool any = false;
        for (THealthReading reading : AllHealthReadings) {
            for (TTimeOfDay time : AllTimesOfDay) {
                const double value = HealthReadingOf(*day, reading, time);
                row.Readings[size_t(reading)][size_t(time)] = value;
                if (IsEnteredReading(value)) {
                    sums[size_t(reading)][size_t(time)].Add(summary.Readings[size_t(reading)][size_t(time)], value,
                                                            row.Date);
                    any = true;
                }
            }
        }
        for (TTimeOfDay time : AllTimesOfDay) {
            const TBloodPressurePair pair{row.Reading(THealthReading::BloodPressureSys, time),
                                          row.Reading(THealthReading::BloodPressureDia, time)};
            if (IsEnteredReading(pair.Sys) && IsEnteredReading(pair.Dia))
                pairSums[size_t(time)].Add(summary.BloodPressure[size_t(time)], pair, row.Date);
            const bool arrhythmia = HeartArrhythmiaSymbolAppearsAt(*day, time);
            row.Arrhythmia[size_t(time)] = arrhythmia;
            if (arrhythmia) {
                ++summary.ArrhythmiaDays[size_t(time)];
                any = true;
            }
        }
        if (any)
            summary.Days.push_back(row);
        if (!day->HealthCondition.trimmed().isEmpty())
            summary.HealthConditions.push_back({row.Date, day->HealthCondition});
    }

    for (THealthReading reading : AllHealthReadings)
        for (TTimeOfDay time : AllTimesOfDay) {
            TReadingStatistics& statistics = summary.Readings[size_t(reading)][size_t(time)];
            if (statistics.DaysEntered > 0)
                statistics.Mean = sums[size_t(reading)][size_t(time)].Sum / statistics.DaysEntered;
        }
    for (TTimeOfDay time : AllTimesOfDay) {
        TBloodPressureStatistics& statistics = summary.BloodPressure[size_t(time)];
        if (statistics.DaysEntered > 0)
            statistics.Mean = {pairSums[size_t(time)].SysSum / statistics.DaysEntered,
                               pairSums[size_t(time)].DiaSum / statistics.DaysEntered};
    }
    return summary;
}

QString FormatReading(double aValue, const TRegionalSettings& aSettings)
{
    return FloatToStr(aValue, aSettings);
}

QString FormatMean(double aValue, const TRegionalSettings& aSettings)
{
    const double scaled = aValue * 100.0;
    // Far beyond any reading the rounding could overflow; such a value is shown as it is.
    const double rounded = std::isfinite(scaled) && std::fabs(scaled) < 1e15 ? std::round(scaled) / 100.0 : aValue;
    return FloatToStr(rounded, aSettings);
}

QString FormatBloodPressurePair(const TBloodPressurePair& aPair, const TRegionalSettings& aSettings, bool aRoundAsMean)
{
    if (aRoundAsMean)
        return FormatMean(aPair.Sys, aSettings) + u'/' + FormatMean(aPair.Dia, aSettings);
    return FormatReading(aPair.Sys, aSettings) + u'/' + FormatReading(aPair.Dia, aSettings);
}

QString HealthSummaryText(const THealthSummary& aSummary, const TRegionalSettings& aSettings)
{
    QString text = u"Health summary from "_s + DateText(aSummary.From) + u" to "_s + DateText(aSummary.To) + u"\n\n"_s;

    TAlignedTable table({false, false, true, true, false, true, false, true});
    table.Add({u"Reading"_s, u"Time of day"_s, u"Days"_s, u"Minimum"_s, u"Date of minimum"_s, u"Maximum"_s,
               u"Date of maximum"_s, u"Mean"_s});
    bool anyRow = false;
    for (THealthReading reading : AllHealthReadings)
        for (TTimeOfDay time : AllTimesOfDay) {
            const TReadingStatistics& s = aSummary.Statistics(reading, time);
            if (s.DaysEntered == 0)
                continue;
            table.Add({HealthReadingName(reading), TimeOfDayName(time), QString::number(s.DaysEntered),
                       FormatReading(s.Minimum, aSettings), DateText(s.MinimumDate),
                       FormatReading(s.Maximum, aSettings), DateText(s.MaximumDate), FormatMean(s.Mean, aSettings)});
            anyRow = true;
        }
    for (TTimeOfDay time : AllTimesOfDay) {
        const TBloodPressureStatistics& s = aSummary.BloodPressure[size_t(time)];
        if (s.DaysEntered == 0)
            continue;
        table.Add({kPairName, TimeOfDayName(time), QString::number(s.DaysEntered),
                   FormatBloodPressurePair(s.Lowest, aSettings), DateText(s.LowestDate),
                   FormatBloodPressurePair(s.Highest, aSettings), DateText(s.HighestDate),
                   FormatBloodPressurePair(s.Mean, aSettings, true)});
    }
    for (TTimeOfDay time : AllTimesOfDay) {
        if (aSummary.ArrhythmiaDays[size_t(time)] == 0)
            continue;
        table.Add({kArrhythmiaName, TimeOfDayName(time), QString::number(aSummary.ArrhythmiaDays[size_t(time)])});
        anyRow = true;
    }
    if (anyRow)
        text += table.Text();
    else
        text += u"No health readings were entered in this range.\n"_s;

    if (aSummary.ArrhythmiaDays != std::array<int, TimeOfDayCount>{}) {
        text += u'\n' + kArrhythmiaName + u'\n';
        for (const THealthDayRow& day : aSummary.Days)
            if (day.HasArrhythmia())
                text += DateText(day.Date) + u"  "_s + TimesOfDay(day.Arrhythmia) + u'\n';
    }
    if (!aSummary.HealthConditions.empty()) {
        text += u"\nHealth condition\n"_s;
        for (const THealthConditionNote& note : aSummary.HealthConditions) {
            // Continuation lines stand under the note's first line, clear of the dates.
            const QString date = DateText(note.Date);
            const QStringList lines = NoteLines(note.Text);
            for (qsizetype i = 0; i < lines.size(); ++i) {
                QString line = (i == 0 ? date + u"  "_s : QString(date.size() + 2, u' ')) + lines.at(i);
                while (line.endsWith(u' '))
                    line.chop(1);
                text += line + u'\n';
            }
        }
    }
    return text;
}

const QString HealthSummaryCsvHeader = u"Section;Reading;Time of day;Days;Minimum;Date of minimum;Maximum;"
                                       u"Date of maximum;Mean;Date;Text"_s;

QString HealthSummaryCsv(const THealthSummary& aSummary, const TRegionalSettings& aSettings)
{
    QString csv = HealthSummaryCsvHeader + u'\n';
    for (THealthReading reading : AllHealthReadings)
        for (TTimeOfDay time : AllTimesOfDay) {
            const TReadingStatistics& s = aSummary.Statistics(reading, time);
            if (s.DaysEntered == 0)
                csv += CsvLine({u"Reading"_s,
                                HealthReadingName(reading),
                                TimeOfDayName(time),
                                u"0"_s,
                                {},
                                {},
                                {},
                                {},
                                {},
                                {},
                                {}});
            else
                csv += CsvLine({u"Reading"_s,
                                HealthReadingName(reading),
                                TimeOfDayName(time),
                                QString::number(s.DaysEntered),
                                FormatReading(s.Minimum, aSettings),
                                DateText(s.MinimumDate),
                                FormatReading(s.Maximum, aSettings),
                                DateText(s.MaximumDate),
                                FormatMean(s.Mean, aSettings),
                                {},
                                {}});
        }
    for (TTimeOfDay time : AllTimesOfDay) {
        const TBloodPressureStatistics& s = aSummary.BloodPressure[size_t(time)];
        if (s.DaysEntered == 0)
            csv += CsvLine({u"Blood pressure"_s, kPairName, TimeOfDayName(time), u"0"_s, {}, {}, {}, {}, {}, {}, {}});
        else
            csv += CsvLine({u"Blood pressure"_s,
                            kPairName,
                            TimeOfDayName(time),
                            QString::number(s.DaysEntered),
                            FormatBloodPressurePair(s.Lowest, aSettings),
                            DateText(s.LowestDate),
                            FormatBloodPressurePair(s.Highest, aSettings),
                            DateText(s.HighestDate),
                            FormatBloodPressurePair(s.Mean, aSettings, true),
                            {},
                            {}});
    }
    for (const THealthDayRow& day : aSummary.Days)
        for (TTimeOfDay time : AllTimesOfDay)
            if (day.Arrhythmia[size_t(time)])
                csv += CsvLine({u"Arrhythmia"_s,
                                kArrhythmiaName,
                                TimeOfDayName(time),
                                {},
                                {},
                                {},
                                {},
                                {},
                                {},
                                DateText(day.Date),
                                {}});
    for (const THealthConditionNote& note : aSummary.HealthConditions)
        csv += CsvLine({u"Health condition"_s,
                        {},
                        {},
                        {},
                        {},
                        {},
                        {},
                        {},
                        {},
                        DateText(note.Date),
                        NoteLines(note.Text).join(u'\n')});
    return csv;
}
