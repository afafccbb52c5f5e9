#pragma once

#include "util/RegionalSettings.h"

#include <QString>

#include <optional>

// The general number format: at most 15 significant digits, the regional separator, no thousands
// separator, fixed notation from 1E-4 up to 15 integer digits, exponent notation (1.5E-5, 1E15)
// beyond.
QString FloatToStr(double aValue, QChar aDecimalSeparator);
inline QString FloatToStr(double aValue, const TRegionalSettings& aSettings)
{
    return FloatToStr(aValue, aSettings.DecimalSeparator());
}

inline QString IntToStr(qint64 aValue) { return QString::number(aValue); }

// Blanks around, an optional sign, digits with at most one separator and at least one digit, an
// optional exponent. Anything else, a lone separator included, is no number.
std::optional<double> TryStrToFloat(const QString& aText, QChar aDecimalSeparator);
// A 32-bit signed decimal integer with an optional sign and blanks around it.
std::optional<qint32> TryStrToInt(const QString& aText);

// As above, throwing EConvertError with the runtime's texts
// "'%s' ist kein gültiger Gleitkommawert" and "'%s' ist kein gültiger Integerwert".
double StrToFloat(const QString& aText, QChar aDecimalSeparator);
inline double StrToFloat(const QString& aText, const TRegionalSettings& aSettings)
{
    return StrToFloat(aText, aSettings.DecimalSeparator());
}
qint32 StrToInt(const QString& aText);

QString FloatConvertErrorText(const QString& aText);
QString IntConvertErrorText(const QString& aText);

// Reads back a decimal that FloatToStr wrote into an edit: what StrToFloat reads, and also the
// texts NAN, INF and -INF that FloatToStr writes for values that are no number. A stored value of
// that kind (a damaged file, another program's file) would otherwise fail every check and commit
// until the user retyped it. Anything else throws as StrToFloat does.
double ReadBackFloat(const QString& aText, QChar aDecimalSeparator);
