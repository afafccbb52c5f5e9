// The health summary over a range of days: what counts as entered, the extremes and their dates,
// the means, the blood pressure pairs, the arrhythmia days and the notes, through the text and the
// CSV the command-line tool prints.

#include "exchange/HealthSummary.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// A page per date, appended in the order the lines name them (a file's order, not the calendar's),
// each dated at 18:00 so that only the date part may count. A line is one of
//   "YYYY-MM-DD <reading> <time of day> <value>"   reading: Temperature, Pulse, Sys, Dia, Oxygen,
//                                                  Glucose, Weight; value "nan" for a damaged one
//   "YYYY-MM-DD Arrhythmia <time of day>"
//   "YYYY-MM-DD Condition <text>"                  "|" in the text stands for a line break
//   "YYYY-MM-DD Thoughts <text>"                   a page with content but no health entry
std::unique_ptr<TDiary> MakeDiary(const QStringList& aLines)
{
    auto diary = std::make_unique<TDiary>();
    const QStringList readings{u"Temperature"_s, u"Pulse"_s,   u"Sys"_s,   u"Dia"_s,
                               u"Oxygen"_s,      u"Glucose"_s, u"Weight"_s};
    const QStringList times{u"Morning"_s, u"Afternoon"_s, u"Evening"_s};
    for (const QString& line : aLines) {
        const QStringList parts = line.split(u' ');
        const QDate date = QDate::fromString(parts.at(0), u"yyyy-MM-dd"_s);
        TDay* day = nullptr;
        for (const auto& page : diary->DB)
            if (DateOfDateTime(page->Date) == date)
                day = page.get();
        if (!day) {
            diary->DB.push_back(std::make_unique<TDay>(EncodeDate(date) + 0.75));
            day = diary->DB.back().get();
        }
        const QString kind = parts.at(1);
        const QString rest = parts.mid(2).join(u' ');
        if (kind == u"Condition"_s) {
            day->HealthCondition = QString(rest).replace(u'|', u"\r\n"_s);
        } else if (kind == u"Thoughts"_s) {
            day->Thoughts = rest;
        } else if (kind == u"Arrhythmia"_s) {
            const int time = int(times.indexOf(parts.at(2)));
            (time == 0   ? day->HeartArrhythmiaSymbolAppearsAtMorning
             : time == 1 ? day->HeartArrhythmiaSymbolAppearsAtLunch
                         : day->HeartArrhythmiaSymbolAppearsAtEvening) = true;
        } else {
            const auto reading = THealthReading(readings.indexOf(kind));
            const auto time = TTimeOfDay(times.indexOf(parts.at(2)));
            const double value =
                parts.at(3) == u"nan"_s ? std::numeric_limits<double>::quiet_NaN() : parts.at(3).toDouble();
            // The one place that knows the field of a reading is the code under test; the test
            // sets the fields by name so that a wrong mapping there shows.
            static const std::array<std::array<double TDay::*, 3>, HealthReadingCount> fields{{
                {&TDay::TemperatureAtMorning, &TDay::TemperatureAtLunch, &TDay::TemperatureAtEvening},
                {&TDay::PulseAtMorning, &TDay::PulseAtLunch, &TDay::PulseAtEvening},
                {&TDay::BloodPressureSysAtMorning, &TDay::BloodPressureSysAtLunch, &TDay::BloodPressureSysAtEvening},
                {&TDay::BloodPressureDiaAtMorning, &TDay::BloodPressureDiaAtLunch, &TDay::BloodPressureDiaAtEvening},
                {&TDay::OxygenSaturationAtMorning, &TDay::OxygenSaturationAtLunch, &TDay::OxygenSaturationAtEvening},
                {&TDay::GlucoseLevelAtMorning, &TDay::GlucoseLevelAtLunch, &TDay::GlucoseLevelAtEvening},
                {&TDay::WeightAtMorning, &TDay::WeightAtLunch, &TDay::WeightAtEvening},
            }};
            (*day).*fields[size_t(reading)][size_t(time)] = value;
        }
    }
    return diary;
}

QStringList DatesOf(const std::vector<THealthDayRow>& aRows)
{
    QStringList dates;
    for (const THealthDayRow& row : aRows)
        dates << TKSDateUtils::ToYearMonthDayStr(row.Date);
    return dates;
}

const QString kTitle = u"Health summary from 2026-03-01 to 2026-03-31\n\n"_s;
const QString kHeader = u"Reading"_s;

} // namespace

class TestHealthSummary : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void summaryText_data();
    void summaryText();
    void csvListsEveryRowAndQuotesNotes();
    void meansAreRoundedToTwoDecimals_data();
    void meansAreRoundedToTwoDecimals();
};

void TestHealthSummary::summaryText_data()
{
    QTest::addColumn<QStringList>("diary");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("text"); // after the title line and its empty line
    QTest::addColumn<QStringList>("dailyRows");

    QTest::newRow("empty range") << QStringList{u"2026-02-28 Pulse Morning 70"_s, u"2026-04-01 Pulse Morning 71"_s,
                                                u"2026-03-05 Thoughts only thoughts"_s}
                                 << QChar(u'.') << u"No health readings were entered in this range.\n"_s
                                 << QStringList{};

    QTest::newRow("a single day")
        << QStringList{u"2026-03-12 Temperature Morning 36.6"_s, u"2026-03-12 Sys Morning 128"_s,
                       u"2026-03-12 Dia Morning 84"_s, u"2026-03-12 Weight Afternoon 81.3"_s}
        << QChar(u'.')
        << u"Reading                 Time of day  Days  Minimum  Date of minimum  Maximum  Date of maximum    Mean\n"
           "Temperature             Morning         1     36.6  2026-03-12          36.6  2026-03-12         36.6\n"
           "Blood pressure Sys      Morning         1      128  2026-03-12           128  2026-03-12          128\n"
           "Blood pressure Dia      Morning         1       84  2026-03-12            84  2026-03-12           84\n"
           "Weight                  Afternoon       1     81.3  2026-03-12          81.3  2026-03-12         81.3\n"
           "Blood pressure Sys/Dia  Morning         1   128/84  2026-03-12        128/84  2026-03-12       128/84\n"_s
        << QStringList{u"2026-03-12"_s};

    // 0 is what an empty field stores, NaN what only a damaged file holds: neither is a reading,
    // and a page whose readings are all such is no daily row. A systolic value without its
    // diastolic one makes no pair.
    QTest::newRow("zeros and NaN not entered")
        << QStringList{u"2026-03-02 Pulse Evening 0"_s,  u"2026-03-02 Thoughts tired"_s,
                       u"2026-03-03 Pulse Evening 64"_s, u"2026-03-04 Pulse Evening nan"_s,
                       u"2026-03-05 Pulse Evening 70"_s, u"2026-03-05 Sys Evening 120"_s}
        << QChar(u'.')
        << u"Reading             Time of day  Days  Minimum  Date of minimum  Maximum  Date of maximum  Mean\n"
           "Pulse               Evening         2       64  2026-03-03            70  2026-03-05         67\n"
           "Blood pressure Sys  Evening         1      120  2026-03-05           120  2026-03-05        120\n"_s
        << QStringList{u"2026-03-03"_s, u"2026-03-05"_s};

    // The file lists the pages out of calendar order; a tie of an extreme names its first date.
    // Pairs rank by the systolic value first: 140/80 is above 135/95.
    QTest::newRow("min and max dates")
        << QStringList{u"2026-03-09 Temperature Morning 37.2"_s, u"2026-03-02 Temperature Morning 36.5"_s,
                       u"2026-03-07 Temperature Morning 36.5"_s, u"2026-03-05 Temperature Morning 37.2"_s,
                       u"2026-03-05 Sys Morning 135"_s,          u"2026-03-05 Dia Morning 95"_s,
                       u"2026-03-07 Sys Morning 140"_s,          u"2026-03-07 Dia Morning 80"_s,
                       u"2026-03-09 Sys Morning 120"_s,          u"2026-03-09 Dia Morning 70"_s}
        << QChar(u'.')
        << u"Reading                 Time of day  Days  Minimum  Date of minimum  Maximum  Date of maximum          "
           u"Mean\n"
           "Temperature             Morning         4     36.5  2026-03-02          37.2  2026-03-05              "
           "36.85\n"
           "Blood pressure Sys      Morning         3      120  2026-03-09           140  2026-03-07             "
           "131.67\n"
           "Blood pressure Dia      Morning         3       70  2026-03-09            95  2026-03-05              "
           "81.67\n"
           "Blood pressure Sys/Dia  Morning         3   120/70  2026-03-09        140/80  2026-03-07       131.67/81.67\n"_s
        << QStringList{u"2026-03-02"_s, u"2026-03-05"_s, u"2026-03-07"_s, u"2026-03-09"_s};

    // A day whose only health entry is the arrhythmia symbol is a daily row too.
    QTest::newRow("arrhythmia days")
        << QStringList{u"2026-03-20 Arrhythmia Evening"_s, u"2026-03-08 Arrhythmia Morning"_s,
                       u"2026-03-08 Arrhythmia Evening"_s, u"2026-03-08 Pulse Morning 88"_s}
        << QChar(u'.')
        << u"Reading                  Time of day  Days  Minimum  Date of minimum  Maximum  Date of maximum  Mean\n"
           "Pulse                    Morning         1       88  2026-03-08            88  2026-03-08         88\n"
           "Heart arrhythmia symbol  Morning         1\n"
           "Heart arrhythmia symbol  Evening         2\n"
           "\n"
           "Heart arrhythmia symbol\n"
           "2026-03-08  Morning, Evening\n"
           "2026-03-20  Evening\n"_s
        << QStringList{u"2026-03-08"_s, u"2026-03-20"_s};

    QTest::newRow("comma locale")
        << QStringList{u"2026-03-10 Glucose Morning 5.4"_s, u"2026-03-11 Glucose Morning 5.25"_s,
                       u"2026-03-10 Sys Afternoon 128.5"_s, u"2026-03-10 Dia Afternoon 84"_s}
        << QChar(u',')
        << u"Reading                 Time of day  Days   Minimum  Date of minimum   Maximum  Date of maximum      "
           u"Mean\n"
           "Blood pressure Sys      Afternoon       1     128,5  2026-03-10          128,5  2026-03-10          128,5\n"
           "Blood pressure Dia      Afternoon       1        84  2026-03-10             84  2026-03-10             84\n"
           "Glucose level           Morning         2      5,25  2026-03-11            5,4  2026-03-10           5,33\n"
           "Blood pressure Sys/Dia  Afternoon       1  128,5/84  2026-03-10       128,5/84  2026-03-10       128,5/84\n"_s
        << QStringList{u"2026-03-10"_s, u"2026-03-11"_s};

    // Only notes with more than blanks; a note keeps its lines, the later ones under the first.
    QTest::newRow("range bounds and notes")
        << QStringList{u"2026-02-28 Oxygen Morning 90"_s,
                       u"2026-03-01 Oxygen Morning 97"_s,
                       u"2026-03-31 Oxygen Morning 95"_s,
                       u"2026-04-01 Oxygen Morning 91"_s,
                       u"2026-03-31 Condition dizzy; \"bad\" night|better by noon"_s,
                       u"2026-03-15 Condition   "_s,
                       u"2026-04-01 Condition outside"_s}
        << QChar(u'.')
        << u"Reading                 Time of day  Days  Minimum  Date of minimum  Maximum  Date of maximum  Mean\n"
           "Oxygen saturation in %  Morning         2       95  2026-03-31            97  2026-03-01         96\n"
           "\n"
           "Health condition\n"
           "2026-03-31  dizzy; \"bad\" night\n"
           "            better by noon\n"_s
        << QStringList{u"2026-03-01"_s, u"2026-03-31"_s};
}

void TestHealthSummary::summaryText()
{
    QFETCH(QStringList, diary);
    QFETCH(QChar, separator);
    QFETCH(QString, text);
    QFETCH(QStringList, dailyRows);

    const THealthSummary summary = SummarizeHealth(*MakeDiary(diary), QDate(2026, 3, 1), QDate(2026, 3, 31));
    QCOMPARE(HealthSummaryText(summary, TRegionalSettings::WithSeparator(separator)), kTitle + text);
    QCOMPARE(DatesOf(summary.Days), dailyRows);
    QCOMPARE(summary.RangeDays(), 31);
}

void TestHealthSummary::csvListsEveryRowAndQuotesNotes()
{
    const auto diary = MakeDiary(
        {u"2026-03-08 Temperature Evening 37.25"_s, u"2026-03-09 Temperature Evening 36.8"_s,
         u"2026-03-08 Sys Morning 131"_s, u"2026-03-08 Dia Morning 86.5"_s, u"2026-03-09 Arrhythmia Afternoon"_s,
         u"2026-03-09 Condition dizzy; \"bad\" night|better by noon"_s, u"2026-03-10 Condition fine"_s});
    const THealthSummary summary = SummarizeHealth(*diary, QDate(2026, 3, 8), QDate(2026, 3, 10));

    const QString expected =
        u"Section;Reading;Time of day;Days;Minimum;Date of minimum;Maximum;Date of maximum;Mean;Date;Text\n"
        "Reading;Temperature;Morning;0;;;;;;;\n"
        "Reading;Temperature;Afternoon;0;;;;;;;\n"
        "Reading;Temperature;Evening;2;36,8;2026-03-09;37,25;2026-03-08;37,03;;\n"
        "Reading;Pulse;Morning;0;;;;;;;\n"
        "Reading;Pulse;Afternoon;0;;;;;;;\n"
        "Reading;Pulse;Evening;0;;;;;;;\n"
        "Reading;Blood pressure Sys;Morning;1;131;2026-03-08;131;2026-03-08;131;;\n"
        "Reading;Blood pressure Sys;Afternoon;0;;;;;;;\n"
        "Reading;Blood pressure Sys;Evening;0;;;;;;;\n"
        "Reading;Blood pressure Dia;Morning;1;86,5;2026-03-08;86,5;2026-03-08;86,5;;\n"
        "Reading;Blood pressure Dia;Afternoon;0;;;;;;;\n"
        "Reading;Blood pressure Dia;Evening;0;;;;;;;\n"
        "Reading;Oxygen saturation in %;Morning;0;;;;;;;\n"
        "Reading;Oxygen saturation in %;Afternoon;0;;;;;;;\n"
        "Reading;Oxygen saturation in %;Evening;0;;;;;;;\n"
        "Reading;Glucose level;Morning;0;;;;;;;\n"
        "Reading;Glucose level;Afternoon;0;;;;;;;\n"
        "Reading;Glucose level;Evening;0;;;;;;;\n"
        "Reading;Weight;Morning;0;;;;;;;\n"
        "Reading;Weight;Afternoon;0;;;;;;;\n"
        "Reading;Weight;Evening;0;;;;;;;\n"
        "Blood pressure;Blood pressure Sys/Dia;Morning;1;131/86,5;2026-03-08;131/86,5;2026-03-08;131/86,5;;\n"
        "Blood pressure;Blood pressure Sys/Dia;Afternoon;0;;;;;;;\n"
        "Blood pressure;Blood pressure Sys/Dia;Evening;0;;;;;;;\n"
        "Arrhythmia;Heart arrhythmia symbol;Afternoon;;;;;;;2026-03-09;\n"
        "Health condition;;;;;;;;;2026-03-09;\"dizzy; \"\"bad\"\" night\nbetter by noon\"\n"
        "Health condition;;;;;;;;;2026-03-10;fine\n"_s;
    QCOMPARE(HealthSummaryCsv(summary, TRegionalSettings::WithSeparator(u',')), expected);
    // Every line of the fixed shape has the header's 11 fields.
    QCOMPARE(HealthSummaryCsvHeader.count(u';'), 10);
}

void TestHealthSummary::meansAreRoundedToTwoDecimals_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");

    QTest::newRow("a third") << 72.0 + 1.0 / 3.0 << u"72.33"_s;
    QTest::newRow("half up") << 36.125 << u"36.13"_s; // exactly representable
    QTest::newRow("whole") << 128.0 << u"128"_s;
    QTest::newRow("negative") << -2.5 / 3.0 << u"-0.83"_s;
    QTest::newRow("beyond rounding") << 1e300 << u"1E300"_s;
}

void TestHealthSummary::meansAreRoundedToTwoDecimals()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(FormatMean(value, TRegionalSettings()), text);
}

QTEST_GUILESS_MAIN(TestHealthSummary)
#include "test_health_summary.moc"
