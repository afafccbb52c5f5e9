#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// Date-time values are days since 1899-12-30 as a double: the integer part is the date, the
// fraction the time of day. The diary file stores them this way, so the program keeps them so.
using TDateTime = double;
using TTime = double;

// Day number of a value: its integer part, truncated toward zero.
qint64 DatePart(TDateTime aValue);

// True when both values lie on the same calendar date.
bool SameDate(TDateTime aA, TDateTime aB);

// 0 for the same date, -1 when aA's date is earlier, +1 otherwise.
int CompareDate(TDateTime aA, TDateTime aB);

QDate DateOfDateTime(TDateTime aValue);
QTime TimeOfDateTime(TDateTime aValue); // the fraction, to the nearest millisecond
TDateTime EncodeDate(const QDate& aDate);
TDateTime EncodeTime(const QTime& aTime);
TDateTime EncodeDateTime(const QDateTime& aDateTime); // local wall-clock date and time
TDateTime Now();

// The English weekday name of a date, whatever the locale: "Sunday" to "Saturday".
QString EnglishWeekdayName(TDateTime aValue);

class TKSDateUtils {
public:
    TKSDateUtils() = delete;
    static QString ToYearMonthStr(TDateTime aValue);           // 2026-03
    static QString ToYearMonthDayStr(TDateTime aValue);        // 2026-03-12
    static QString ToYearMonthDayWeekdayStr(TDateTime aValue); // 2026-03-12 Thursday
};
