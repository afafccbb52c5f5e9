#pragma once

#include <QChar>
#include <QLocale>
#include <QString>
#include <QTime>

// The user's regional settings as the program uses them: one decimal separator for writing and
// reading numbers, the long time format for times of day, the short date format for the picker.
// Built once from the system locale; tests build it from any locale or set the parts directly.
class TRegionalSettings {
public:
    TRegionalSettings(); // the "C"-like default: full stop, HH:mm:ss, yyyy-MM-dd
    static TRegionalSettings FromLocale(const QLocale& aLocale);
    static TRegionalSettings System() { return FromLocale(QLocale::system()); }
    static TRegionalSettings WithSeparator(QChar aDecimalSeparator);

    QChar DecimalSeparator() const { return fDecimalSeparator; }
    const QString& LongTimeFormat() const { return fLongTimeFormat; }
    const QString& ShortDateFormat() const { return fShortDateFormat; }
    const QLocale& Locale() const { return fLocale; }

    void SetDecimalSeparator(QChar aSeparator) { fDecimalSeparator = aSeparator; }
    void SetLongTimeFormat(const QString& aFormat) { fLongTimeFormat = aFormat; }
    void SetShortDateFormat(const QString& aFormat) { fShortDateFormat = aFormat; }

    // A time of day (the fraction of a date-time value) in the long time format.
    QString FormatTime(double aDateTime) const;

    // Qt's long formats end in a time-zone part; a diary's times have no zone.
    static QString WithoutTimeZone(const QString& aFormat);

private:
    QLocale fLocale;
    QChar fDecimalSeparator;
    QString fLongTimeFormat;
    QString fShortDateFormat;
};
