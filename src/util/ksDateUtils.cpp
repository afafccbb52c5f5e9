#include "util/ksDateUtils.h"

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {
const QDate kEpoch(1899, 12, 30);
constexpr qint64 kMillisecondsPerDay = 86400000;
} // namespace

qint64 DatePart(TDateTime aValue)
{
    if (std::isnan(aValue))
        return 0;
    // Clamp far outside any calendar so the cast is defined; such values are never a real date.
    if (aValue > 1e15)
        return qint64(1e15);
    if (aValue < -1e15)
        return qint64(-1e15);
    return static_cast<qint64>(std::trunc(aValue));
}

bool SameDate(TDateTime aA, TDateTime aB)
{
    return DatePart(aA) == DatePart(aB);
}

int CompareDate(TDateTime aA, TDateTime aB)
{
    const qint64 a = DatePart(aA);
    const qint64 b = DatePart(aB);
    if (a == b)
        return 0;
    return a < b ? -1 : 1;
}

QDate DateOfDateTime(TDateTime aValue)
{
    return kEpoch.addDays(DatePart(aValue));
}

QTime TimeOfDateTime(TDateTime aValue)
{
    if (!std::isfinite(aValue))
        return QTime(0, 0);
    const double fraction = std::fabs(aValue - std::trunc(aValue));
    qint64 ms = std::llround(fraction * double(kMillisecondsPerDay));
    if (ms >= kMillisecondsPerDay)
        ms = kMillisecondsPerDay - 1;
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

TDateTime EncodeDate(const QDate& aDate)
{
    return double(kEpoch.daysTo(aDate));
}

TDateTime EncodeTime(const QTime& aTime)
{
    return double(aTime.msecsSinceStartOfDay()) / double(kMillisecondsPerDay);
}

TDateTime EncodeDateTime(const QDateTime& aDateTime)
{
    // Before the epoch the integer part counts backwards but the fraction still counts forwards
    // from midnight, so the time is subtracted there: -1.25 is 29 Dec 1899, 06:00.
    const TDateTime date = EncodeDate(aDateTime.date());
    const TDateTime time = EncodeTime(aDateTime.time());
    return date < 0 ? date - time : date + time;
}

TDateTime Now()
{
    return EncodeDateTime(QDateTime::currentDateTime());
}

QString EnglishWeekdayName(TDateTime aValue)
{
    static const QString names[] = {u"Monday"_s, u"Tuesday"_s,  u"Wednesday"_s, u"Thursday"_s,
                                    u"Friday"_s, u"Saturday"_s, u"Sunday"_s};
    const int dayOfWeek = DateOfDateTime(aValue).dayOfWeek(); // 1 = Monday
    return dayOfWeek >= 1 && dayOfWeek <= 7 ? names[dayOfWeek - 1] : QString();
}

QString TKSDateUtils::ToYearMonthStr(TDateTime aValue)
{
    const QDate date = DateOfDateTime(aValue);
    return u"%1-%2"_s.arg(date.year()).arg(date.month(), 2, 10, QChar(u'0'));
}

QString TKSDateUtils::ToYearMonthDayStr(TDateTime aValue)
{
    const QDate date = DateOfDateTime(aValue);
    return u"%1-%2"_s.arg(ToYearMonthStr(aValue)).arg(date.day(), 2, 10, QChar(u'0'));
}

QString TKSDateUtils::ToYearMonthDayWeekdayStr(TDateTime aValue)
{
    return ToYearMonthDayStr(aValue) + u' ' + EnglishWeekdayName(aValue);
}
