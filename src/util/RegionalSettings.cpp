#include "util/RegionalSettings.h"

#include "util/ksDateUtils.h"

using namespace Qt::Literals::StringLiterals;

TRegionalSettings::TRegionalSettings()
    : fLocale(QLocale::c()), fDecimalSeparator(u'.'), fLongTimeFormat(u"HH:mm:ss"_s), fShortDateFormat(u"yyyy-MM-dd"_s)
{
}

TRegionalSettings TRegionalSettings::FromLocale(const QLocale& aLocale)
{
    TRegionalSettings settings;
    settings.fLocale = aLocale;
    // A locale whose separator is more than one code unit does not exist among Qt's locales; the
    // first unit is what a user types.
    const QString separator = aLocale.decimalPoint();
    settings.fDecimalSeparator = separator.isEmpty() ? QChar(u'.') : separator.at(0);
    settings.fLongTimeFormat = WithoutTimeZone(aLocale.timeFormat(QLocale::LongFormat));
    settings.fShortDateFormat = aLocale.dateFormat(QLocale::ShortFormat);
    return settings;
}

TRegionalSettings TRegionalSettings::WithSeparator(QChar aDecimalSeparator)
{
    TRegionalSettings settings;
    settings.fDecimalSeparator = aDecimalSeparator;
    return settings;
}

QString TRegionalSettings::WithoutTimeZone(const QString& aFormat)
{
    // Drop every time-zone letter ("t", "tt", ...) outside quotes together with the blanks or
    // separators that joined it to the rest, so "HH:mm:ss t" becomes "HH:mm:ss" and
    // "t HH:mm:ss" becomes "HH:mm:ss".
    QString result;
    bool inQuote = false;
    for (qsizetype i = 0; i < aFormat.size(); ++i) {
        const QChar c = aFormat.at(i);
        if (c == u'\'') {
            inQuote = !inQuote;
            result += c;
            continue;
        }
        if (!inQuote && c == u't') {
            while (i + 1 < aFormat.size() && aFormat.at(i + 1) == u't')
                ++i;
            continue;
        }
        result += c;
    }
    // Blanks or a lone separator left at either end by the removed zone.
    static const QString trimmable = u" \t()[],"_s;
    qsizetype begin = 0;
    qsizetype end = result.size();
    while (begin < end && trimmable.contains(result.at(begin)))
        ++begin;
    while (end > begin && trimmable.contains(result.at(end - 1)))
        --end;
    result = result.mid(begin, end - begin);
    return result.isEmpty() ? u"HH:mm:ss"_s : result;
}

QString TRegionalSettings::FormatTime(double aDateTime) const
{
    return fLocale.toString(TimeOfDateTime(aDateTime), fLongTimeFormat);
}
