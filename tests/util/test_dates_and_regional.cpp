#include "util/RegionalSettings.h"
#include "util/ksDateUtils.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

class TestDatesAndRegional : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dateText_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("yearMonth");
        QTest::addColumn<QString>("withWeekday");
        QTest::newRow("thursday") << QDate(2026, 3, 12) << u"2026-03"_s << u"2026-03-12 Thursday"_s;
        QTest::newRow("sunday") << QDate(2024, 5, 5) << u"2024-05"_s << u"2024-05-05 Sunday"_s;
        QTest::newRow("epoch") << QDate(1899, 12, 30) << u"1899-12"_s << u"1899-12-30 Saturday"_s;
        QTest::newRow("leap day") << QDate(2024, 2, 29) << u"2024-02"_s << u"2024-02-29 Thursday"_s;
    }
    void dateText()
    {
        QFETCH(QDate, date);
        QFETCH(QString, yearMonth);
        QFETCH(QString, withWeekday);
        // An afternoon time must not move the date.
        const TDateTime value = EncodeDate(date) + 0.75;
        QCOMPARE(TKSDateUtils::ToYearMonthStr(value), yearMonth);
        QCOMPARE(TKSDateUtils::ToYearMonthDayWeekdayStr(value), withWeekday);
        QCOMPARE(TKSDateUtils::ToYearMonthDayStr(value), withWeekday.left(10));
        QCOMPARE(DateOfDateTime(value), date);
    }

    void sameAndCompareDate_data()
    {
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<int>("compare");
        QTest::newRow("same date, other time") << 45000.25 << 45000.99 << 0;
        QTest::newRow("earlier") << 44999.9 << 45000.1 << -1;
        QTest::newRow("later") << 45001.0 << 45000.5 << 1;
        // Truncation toward zero: -0.5 and 0.5 both belong to day 0.
        QTest::newRow("around the epoch") << -0.5 << 0.5 << 0;
        QTest::newRow("before the epoch") << -1.5 << -0.5 << -1;
    }
    void sameAndCompareDate()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(int, compare);
        QCOMPARE(CompareDate(a, b), compare);
        QCOMPARE(CompareDate(b, a), -compare);
        QCOMPARE(SameDate(a, b), compare == 0);
    }

    void timeOfDay()
    {
        QCOMPARE(TimeOfDateTime(45000.5), QTime(12, 0));
        QCOMPARE(TimeOfDateTime(86399.0 / 86400.0), QTime(23, 59, 59));
        QCOMPARE(TimeOfDateTime(1.0 / 1440.0), QTime(0, 1));
        QCOMPARE(EncodeTime(QTime(23, 59, 59)), 86399.0 / 86400.0);
    }

    void dateTimeRoundTripAcrossTheEpoch_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::newRow("after") << QDateTime(QDate(2026, 3, 12), QTime(18, 0));
        QTest::newRow("epoch day") << QDateTime(QDate(1899, 12, 30), QTime(6, 0));
        QTest::newRow("day before") << QDateTime(QDate(1899, 12, 29), QTime(6, 0));
        QTest::newRow("long before") << QDateTime(QDate(1850, 6, 3), QTime(18, 0));
    }
    void dateTimeRoundTripAcrossTheEpoch()
    {
        QFETCH(QDateTime, value);
        const TDateTime encoded = EncodeDateTime(value);
        QCOMPARE(DateOfDateTime(encoded), value.date());
        QCOMPARE(TimeOfDateTime(encoded), value.time());
    }

    void regionalSettingsFromLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QString>("time");
        QTest::newRow("german") << u"de_DE"_s << QChar(u',') << u"14:05:09"_s;
        QTest::newRow("british") << u"en_GB"_s << QChar(u'.') << u"14:05:09"_s;
        QTest::newRow("american") << u"en_US"_s << QChar(u'.') << u"2:05:09\u202FPM"_s;
    }
    void regionalSettingsFromLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QChar, separator);
        QFETCH(QString, time);
        const TRegionalSettings settings = TRegionalSettings::FromLocale(QLocale(locale));
        QCOMPARE(settings.DecimalSeparator(), separator);
        QVERIFY2(!settings.LongTimeFormat().contains(u't'), qPrintable(settings.LongTimeFormat()));
        QVERIFY(!settings.ShortDateFormat().isEmpty());
        // Qt's data may use a plain or a narrow no-break space before AM/PM; compare on that blank.
        QString shown = settings.FormatTime(EncodeTime(QTime(14, 5, 9)));
        shown.replace(u' ', u'\u202F');
        QCOMPARE(shown, time);
    }

    void withoutTimeZone_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zone at the end") << u"HH:mm:ss t"_s << u"HH:mm:ss"_s;
        QTest::newRow("zone in front") << u"t HH:mm:ss"_s << u"HH:mm:ss"_s;
        QTest::newRow("long zone") << u"h:mm:ss AP tttt"_s << u"h:mm:ss AP"_s;
        QTest::newRow("zone in brackets") << u"HH:mm:ss (t)"_s << u"HH:mm:ss"_s;
        QTest::newRow("quoted t kept") << u"HH 'o''clock' t"_s << u"HH 'o''clock'"_s;
        QTest::newRow("no zone") << u"HH.mm.ss"_s << u"HH.mm.ss"_s;
    }
    void withoutTimeZone()
    {
        QFETCH(QString, format);
        QFETCH(QString, expected);
        QCOMPARE(TRegionalSettings::WithoutTimeZone(format), expected);
    }
};

QTEST_GUILESS_MAIN(TestDatesAndRegional)
#include "test_dates_and_regional.moc"
