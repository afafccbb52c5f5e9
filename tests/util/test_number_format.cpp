#include "util/Errors.h"
#include "util/NumberFormat.h"

#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

class TestNumberFormat : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void floatToStr_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("withPoint");
        QTest::addColumn<QString>("withComma");
        QTest::newRow("fraction") << 36.6 << u"36.6"_s << u"36,6"_s;
        QTest::newRow("whole") << 72.0 << u"72"_s << u"72"_s;
        QTest::newRow("zero") << 0.0 << u"0"_s << u"0"_s;
        QTest::newRow("negative zero") << -0.0 << u"0"_s << u"0"_s;
        QTest::newRow("negative") << -12.25 << u"-12.25"_s << u"-12,25"_s;
        QTest::newRow("fixed down to 1E-4") << 0.0001 << u"0.0001"_s << u"0,0001"_s;
        QTest::newRow("exponent below") << 0.000015 << u"1.5E-5"_s << u"1,5E-5"_s;
        QTest::newRow("negative exponent") << -0.000015 << u"-1.5E-5"_s << u"-1,5E-5"_s;
        QTest::newRow("15 integer digits") << 999999999999999.0 << u"999999999999999"_s << u"999999999999999"_s;
        QTest::newRow("1E15") << 1e15 << u"1E15"_s << u"1E15"_s;
        QTest::newRow("exponent with digits") << 1.25e20 << u"1.25E20"_s << u"1,25E20"_s;
        QTest::newRow("15 significant digits") << 0.1 + 0.2 << u"0.3"_s << u"0,3"_s;
        QTest::newRow("rounding carries") << 9.9999999999999999 << u"10"_s << u"10"_s;
        QTest::newRow("rounds to 15 digits") << 1.23456789012345678 << u"1.23456789012346"_s
                                             << u"1,23456789012346"_s;
        QTest::newRow("tiny") << 5e-324 << u"4.94065645841247E-324"_s << u"4,94065645841247E-324"_s;
        QTest::newRow("nan") << std::numeric_limits<double>::quiet_NaN() << u"NAN"_s << u"NAN"_s;
        QTest::newRow("-inf") << -std::numeric_limits<double>::infinity() << u"-INF"_s << u"-INF"_s;
    }
    void floatToStr()
    {
        QFETCH(double, value);
        QFETCH(QString, withPoint);
        QFETCH(QString, withComma);
        QCOMPARE(FloatToStr(value, u'.'), withPoint);
        QCOMPARE(FloatToStr(value, u','), withComma);
    }

    void strToFloat_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("point") << u"36.6"_s << QChar(u'.') << true << 36.6;
        QTest::newRow("comma") << u"36,6"_s << QChar(u',') << true << 36.6;
        QTest::newRow("point in comma locale") << u"36.6"_s << QChar(u',') << false << 0.0;
        QTest::newRow("comma in point locale") << u"36,6"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("trailing zero") << u"36.60"_s << QChar(u'.') << true << 36.6;
        QTest::newRow("leading zero") << u"036.6"_s << QChar(u'.') << true << 36.6;
        QTest::newRow("blanks around") << u"  7.5 "_s << QChar(u'.') << true << 7.5;
        QTest::newRow("sign") << u"-2.5"_s << QChar(u'.') << true << -2.5;
        QTest::newRow("plus sign") << u"+2"_s << QChar(u'.') << true << 2.0;
        QTest::newRow("separator first") << u".5"_s << QChar(u'.') << true << 0.5;
        QTest::newRow("separator last") << u"5."_s << QChar(u'.') << true << 5.0;
        QTest::newRow("exponent") << u"1E15"_s << QChar(u'.') << true << 1e15;
        QTest::newRow("small exponent") << u"1.5E-5"_s << QChar(u'.') << true << 1.5e-5;
        QTest::newRow("lower e, plus") << u"2e+3"_s << QChar(u'.') << true << 2000.0;
        QTest::newRow("underflow is zero") << u"1E-400"_s << QChar(u'.') << true << 0.0;
        QTest::newRow("lone separator") << u"."_s << QChar(u'.') << false << 0.0;
        QTest::newRow("lone comma") << u","_s << QChar(u',') << false << 0.0;
        QTest::newRow("empty") << QString() << QChar(u'.') << false << 0.0;
        QTest::newRow("blank") << u"  "_s << QChar(u'.') << false << 0.0;
        QTest::newRow("two separators") << u"1.2.3"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("minus after digit") << u"5-"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("double minus") << u"--5"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("exponent without digits") << u"1E"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("overflow") << u"1E400"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("overflow written small") << u"0.5E400"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("negative overflow") << u"-0,5e400"_s << QChar(u',') << false << 0.0;
        QTest::newRow("underflow written large") << (QString(400, u'9') + u"E-800"_s) << QChar(u'.') << true << 0.0;
        QTest::newRow("overflow in digits") << (u"1"_s + QString(400, u'0')) << QChar(u'.') << false << 0.0;
        QTest::newRow("huge exponent") << u"1E99999999999999999999"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("tiny exponent") << u"1E-99999999999999999999"_s << QChar(u'.') << true << 0.0;
        QTest::newRow("thousands separator") << u"1,000.5"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("letters") << u"abc"_s << QChar(u'.') << false << 0.0;
        QTest::newRow("arabic digits") << u"\u0661"_s << QChar(u'.') << false << 0.0;
    }
    void strToFloat()
    {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const std::optional<double> parsed = TryStrToFloat(text, separator);
        QCOMPARE(parsed.has_value(), ok);
        if (ok) {
            QCOMPARE(*parsed, value);
            QCOMPARE(StrToFloat(text, separator), value);
        } else {
            try {
                StrToFloat(text, separator);
                QFAIL("no error");
            } catch (const EConvertError& e) {
                QCOMPARE(e.Message(), u"'%1' ist kein gültiger Gleitkommawert"_s.arg(text));
            }
        }
    }

    void strToInt_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << u"72"_s << true << 72;
        QTest::newRow("negative") << u"-5"_s << true << -5;
        QTest::newRow("plus") << u"+5"_s << true << 5;
        QTest::newRow("blanks") << u" 12 "_s << true << 12;
        QTest::newRow("max") << u"2147483647"_s << true << 2147483647;
        QTest::newRow("min") << u"-2147483648"_s << true << int(-2147483647 - 1);
        QTest::newRow("above max") << u"2147483648"_s << false << 0;
        QTest::newRow("below min") << u"-2147483649"_s << false << 0;
        QTest::newRow("far beyond 32 bits") << u"99999999999999999999999"_s << false << 0;
        QTest::newRow("empty") << QString() << false << 0;
        QTest::newRow("lone minus") << u"-"_s << false << 0;
        QTest::newRow("minus after digit") << u"5-"_s << false << 0;
        QTest::newRow("double minus") << u"--5"_s << false << 0;
        QTest::newRow("decimal") << u"1.5"_s << false << 0;
        QTest::newRow("hex") << u"$FF"_s << false << 0;
    }
    void strToInt()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const std::optional<qint32> parsed = TryStrToInt(text);
        QCOMPARE(parsed.has_value(), ok);
        if (ok) {
            QCOMPARE(*parsed, value);
        } else {
            try {
                StrToInt(text);
                QFAIL("no error");
            } catch (const EConvertError& e) {
                QCOMPARE(e.Message(), u"'%1' ist kein gültiger Integerwert"_s.arg(text));
            }
        }
    }

    // Whatever the format writes, the parser must read back as the same value (up to the 15 digits
    // the format keeps), with either separator; otherwise a shown reading would not survive a commit.
    void formatThenParse()
    {
        const double values[] = {36.6, -0.000123456789, 1e15, 123456789012345.0, 2.5e-300, 98.76543210123};
        for (const QChar separator : {QChar(u'.'), QChar(u',')}) {
            for (const double value : values) {
                const QString text = FloatToStr(value, separator);
                const std::optional<double> back = TryStrToFloat(text, separator);
                QVERIFY2(back.has_value(), qPrintable(text));
                QCOMPARE(FloatToStr(*back, separator), text);
            }
        }
    }

    // The values that are no number come back as what they were written from; every other text
    // that is no number still fails.
    void readBackFloat()
    {
        const double specials[] = {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                   -std::numeric_limits<double>::infinity(), 12.5};
        for (const double value : specials) {
            const double back = ReadBackFloat(FloatToStr(value, u','), u',');
            QVERIFY(std::isnan(value) ? std::isnan(back) : back == value);
        }
        for (const QString& text : {QStringLiteral("nan"), QStringLiteral("."), QStringLiteral("INFINITY")})
            QVERIFY_THROWS_EXCEPTION(EConvertError, ReadBackFloat(text, u'.'));
    }
};

QTEST_GUILESS_MAIN(TestNumberFormat)
#include "test_number_format.moc"
