#include "util/NumberFormat.h"

#include "util/Errors.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

using namespace Qt::Literals::StringLiterals;

QString FloatToStr(double aValue, QChar aDecimalSeparator)
{
    if (std::isnan(aValue))
        return u"NAN"_s;
    if (std::isinf(aValue))
        return aValue < 0 ? u"-INF"_s : u"INF"_s;
    if (aValue == 0.0)
        return u"0"_s; // -0.0 too: it is not a negative value

    // Round to 15 significant digits once; both notations are built from these digits, so the
    // rounding can never disagree with the choice of notation (9.99999999999999951 becomes 10).
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.14e", std::fabs(aValue));
    // buffer: d.dddddddddddddde[+-]xx
    std::string digits;
    const char* p = buffer;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            digits += *p;
    const int exponent = std::atoi(p + 1);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    QString result;
    if (aValue < 0)
        result += u'-';
    if (exponent >= -4 && exponent <= 14) {
        if (exponent < 0) {
            result += u'0';
            result += aDecimalSeparator;
            result += QString(-exponent - 1, u'0');
            result += QLatin1StringView(digits.data(), qsizetype(digits.size()));
        } else {
            const size_t integerDigits = size_t(exponent) + 1;
            if (digits.size() <= integerDigits) {
                result += QLatin1StringView(digits.data(), qsizetype(digits.size()));
                result += QString(qsizetype(integerDigits - digits.size()), u'0');
            } else {
                result += QLatin1StringView(digits.data(), qsizetype(integerDigits));
                result += aDecimalSeparator;
                result += QLatin1StringView(digits.data() + integerDigits, qsizetype(digits.size() - integerDigits));
            }
        }
    } else {
        result += QChar(QLatin1Char(digits[0]));
        if (digits.size() > 1) {
            result += aDecimalSeparator;
            result += QLatin1StringView(digits.data() + 1, qsizetype(digits.size() - 1));
        }
        result += u'E';
        result += QString::number(exponent);
    }
    return result;
}

namespace {
bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}
bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}
// The power of ten of the first significant digit of a number in C form ("-0.05e3" gives 1), so an
// out-of-range result can be told apart as too large or too small whatever way it is written.
long long DecimalMagnitude(const std::string& aPlain)
{
    const size_t e = aPlain.find('e');
    const std::string mantissa = aPlain.substr(0, e);
    long long exponent = 0;
    if (e != std::string::npos) {
        const std::string digits = aPlain.substr(e + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        const size_t first = digits.find_first_not_of("+-");
        // Beyond nine digits the exponent decides alone; clamping keeps the sum from overflowing.
        const std::string value = digits.substr(first);
        exponent = value.size() > 9 ? 1000000000LL : std::stoll(value);
        if (negative)
            exponent = -exponent;
    }
    const size_t point = mantissa.find('.');
    const size_t integerEnd = point == std::string::npos ? mantissa.size() : point;
    const size_t firstSignificant = mantissa.find_first_of("123456789");
    if (firstSignificant == std::string::npos)
        return std::numeric_limits<long long>::min(); // zero
    const long long position = firstSignificant < integerEnd ? (long long)(integerEnd - firstSignificant) - 1
                                                             : -(long long)(firstSignificant - integerEnd);
    return position + exponent;
}

} // namespace

std::optional<double> TryStrToFloat(const QString& aText, QChar aDecimalSeparator)
{
    qsizetype i = 0;
    qsizetype end = aText.size();
    while (i < end && IsBlank(aText.at(i)))
        ++i;
    while (end > i && IsBlank(aText.at(end - 1)))
        --end;

    // Rebuild the number in the C form that from_chars reads, checking the grammar on the way.
    std::string plain;
    if (i < end && (aText.at(i) == u'+' || aText.at(i) == u'-')) {
        if (aText.at(i) == u'-')
            plain += '-';
        ++i;
    }
    int mantissaDigits = 0;
    bool separatorSeen = false;
    for (; i < end; ++i) {
        const QChar c = aText.at(i);
        if (IsDigit(c)) {
            plain += char(c.unicode());
            ++mantissaDigits;
        } else if (c == aDecimalSeparator && !separatorSeen) {
            separatorSeen = true;
            plain += '.';
        } else {
            break;
        }
    }
    if (mantissaDigits == 0)
        return std::nullopt;
    if (i < end && (aText.at(i) == u'e' || aText.at(i) == u'E')) {
        plain += 'e';
        ++i;
        if (i < end && (aText.at(i) == u'+' || aText.at(i) == u'-')) {
            plain += char(aText.at(i).unicode());
            ++i;
        }
        int exponentDigits = 0;
        for (; i < end && IsDigit(aText.at(i)); ++i) {
            plain += char(aText.at(i).unicode());
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != end)
        return std::nullopt;

    double value = 0.0;
    const char* first = plain.data();
    const char* last = first + plain.size();
    // from_chars does not take a leading '+' and never looks at the C locale, unlike strtod, whose
    // separator follows setlocale() and so the user's locale once the application has started.
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ptr != last)
        return std::nullopt;
    if (ec == std::errc::result_out_of_range) {
        // Too small to represent reads as zero, as in every runtime; too large is no number.
        if (DecimalMagnitude(plain) >= 0)
            return std::nullopt;
        return plain.front() == '-' ? -0.0 : 0.0;
    }
    if (ec != std::errc())
        return std::nullopt;
    return value;
}

std::optional<qint32> TryStrToInt(const QString& aText)
{
    qsizetype i = 0;
    qsizetype end = aText.size();
    while (i < end && IsBlank(aText.at(i)))
        ++i;
    while (end > i && IsBlank(aText.at(end - 1)))
        --end;
    bool negative = false;
    if (i < end && (aText.at(i) == u'+' || aText.at(i) == u'-')) {
        negative = aText.at(i) == u'-';
        ++i;
    }
    if (i == end)
        return std::nullopt;
    qint64 value = 0;
    for (; i < end; ++i) {
        const QChar c = aText.at(i);
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > qint64(1) << 31)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value > std::numeric_limits<qint32>::max() || value < std::numeric_limits<qint32>::min())
        return std::nullopt;
    return qint32(value);
}

QString FloatConvertErrorText(const QString& aText)
{
    return u"'%1' ist kein gültiger Gleitkommawert"_s.arg(aText);
}

QString IntConvertErrorText(const QString& aText)
{
    return u"'%1' ist kein gültiger Integerwert"_s.arg(aText);
}

double StrToFloat(const QString& aText, QChar aDecimalSeparator)
{
    const std::optional<double> value = TryStrToFloat(aText, aDecimalSeparator);
    if (!value)
        throw EConvertError(FloatConvertErrorText(aText));
    return *value;
}

qint32 StrToInt(const QString& aText)
{
    const std::optional<qint32> value = TryStrToInt(aText);
    if (!value)
        throw EConvertError(IntConvertErrorText(aText));
    return *value;
}

double ReadBackFloat(const QString& aText, QChar aDecimalSeparator)
{
    if (aText == u"NAN")
        return std::numeric_limits<double>::quiet_NaN();
    if (aText == u"INF")
        return std::numeric_limits<double>::infinity();
    if (aText == u"-INF")
        return -std::numeric_limits<double>::infinity();
    return StrToFloat(aText, aDecimalSeparator);
}
