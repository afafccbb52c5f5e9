#pragma once

#include "model/DayFields.h"
#include "model/Records.h"
#include "util/RegionalSettings.h"

#include <QDate>
#include <QString>

#include <array>
#include <vector>

// The health readings of a stretch of days, summed up for a doctor: per reading and time of day
// how often it was entered, its lowest, highest and mean value and when the extremes were
// entered; the blood pressure as pairs; the days of the arrhythmia symbol; the notes on the state
// of health. Worked out from the stored day records alone, so the command-line tool, the printed
// report and the tests all see the same figures.

// The readings, the times of day and their fields are those of DayFields.h.
// The name the window, the summary and the report give a reading ("Blood pressure Sys").
QString HealthReadingName(THealthReading aReading);

// An empty field stores 0, so 0 means "not measured". A value that is no number (NaN, an
// infinity: only a damaged file holds one) is no measurement either; counted, it would spoil
// every minimum, maximum and mean.
bool IsEnteredReading(double aValue);

struct TReadingStatistics {
    int DaysEntered = 0; // the other members mean something only when this is above 0
    double Minimum = 0.0;
    double Maximum = 0.0;
    double Mean = 0.0;
    TDateTime MinimumDate = 0.0; // the first date on which the minimum was entered
    TDateTime MaximumDate = 0.0; // the first date on which the maximum was entered
};

struct TBloodPressurePair {
    double Sys = 0.0;
    double Dia = 0.0;
};

// Pairs are ranked by the systolic value, then by the diastolic one, as a doctor reads 140/90
// above 135/95. Only times of day with both values entered count.
struct TBloodPressureStatistics {
    int DaysEntered = 0;
    TBloodPressurePair Lowest;
    TBloodPressurePair Highest;
    TBloodPressurePair Mean;
    TDateTime LowestDate = 0.0;
    TDateTime HighestDate = 0.0;
};

// One day of the daily table: the readings as stored (0 where none was entered).
struct THealthDayRow {
    TDateTime Date = 0.0; // the date alone, without the page's time of day
    std::array<std::array<double, TimeOfDayCount>, HealthReadingCount> Readings{};
    std::array<bool, TimeOfDayCount> Arrhythmia{};

    double Reading(THealthReading aReading, TTimeOfDay aTime) const
    {
        return Readings[size_t(aReading)][size_t(aTime)];
    }
    bool HasReading(THealthReading aReading) const;
    bool HasArrhythmia() const { return Arrhythmia[0] || Arrhythmia[1] || Arrhythmia[2]; }
};

struct THealthConditionNote {
    TDateTime Date = 0.0;
    QString Text; // as stored, line breaks included
};

struct THealthSummary {
    TDateTime From = 0.0; // the first and last date of the range, both included
    TDateTime To = 0.0;
    std::array<std::array<TReadingStatistics, TimeOfDayCount>, HealthReadingCount> Readings{};
    std::array<TBloodPressureStatistics, TimeOfDayCount> BloodPressure{};
    std::array<int, TimeOfDayCount> ArrhythmiaDays{}; // days on which the symbol appeared
    // Every day of the range with an entered reading or the arrhythmia symbol, in date order.
    std::vector<THealthDayRow> Days;
    // Every health condition text of the range that holds more than blanks, in date order.
    std::vector<THealthConditionNote> HealthConditions;

    const TReadingStatistics& Statistics(THealthReading aReading, TTimeOfDay aTime) const
    {
        return Readings[size_t(aReading)][size_t(aTime)];
    }
    int RangeDays() const { return int(DatePart(To) - DatePart(From)) + 1; }
    // Nothing in the range a report could show: no reading, no arrhythmia symbol, no note.
    bool IsEmpty() const { return Days.empty() && HealthConditions.empty(); }
};

// The summary of the pages of aDiary dated from aFrom to aTo (both included; the time of day a
// page carries plays no part). A range that ends before it starts holds no day. The diary is not
// changed; pages it does not have are not invented.
THealthSummary SummarizeHealth(const TDiary& aDiary, const QDate& aFrom, const QDate& aTo);

// The ways the summary's numbers are written, shared by the text, the CSV and the printed report:
// readings in the general number format; means rounded to two decimals first, since a mean of
// readings with one decimal has no meaningful fifteenth digit; pairs as "128/84".
QString FormatReading(double aValue, const TRegionalSettings& aSettings);
QString FormatMean(double aValue, const TRegionalSettings& aSettings);
QString FormatBloodPressurePair(const TBloodPressurePair& aPair, const TRegionalSettings& aSettings,
                                bool aRoundAsMean = false);

// The summary as aligned plain text for a terminal, one "\n" after every line: a title line with
// the range, the table of readings (only rows with at least one day), the dates of the arrhythmia
// symbol and the health condition notes; a range without any of these says so.
QString HealthSummaryText(const THealthSummary& aSummary, const TRegionalSettings& aSettings);

// The fixed header of the summary CSV: 11 names joined by ";".
extern const QString HealthSummaryCsvHeader;
// The summary as CSV, one "\n" after every line: the header, 21 "Reading" rows (every reading and
// time of day, also those never entered), 3 "Blood pressure" rows, one "Arrhythmia" row per date
// and time of day the symbol appeared, one "Health condition" row per note. Fields are separated
// by ";"; a field holding ";", a quote or a line break is quoted, its quotes doubled.
QString HealthSummaryCsv(const THealthSummary& aSummary, const TRegionalSettings& aSettings);
