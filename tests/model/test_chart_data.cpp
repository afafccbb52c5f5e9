#include "model/ChartData.h"

#include <QTest>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {
TDateTime At(const QDate& aDate, int aHour = 0, int aMinute = 0)
{
    return EncodeDate(aDate) + EncodeTime(QTime(aHour, aMinute));
}

const QDate Shown(2026, 3, 12);

TDay& AddDay(TDiary& aDiary, TDateTime aDate)
{
    aDiary.DB.push_back(std::make_unique<TDay>(aDate));
    return *aDiary.DB.back();
}

TDayWindow Window(const TDiary& aDiary, const TDay& aShown)
{
    TDayWindow days;
    SearchLast30Days(aDiary, aShown, days);
    return days;
}

// Every chartable reading of the day a value of its own: health value i at time of day t (0 to 2,
// the afternoon being the lunch fields) holds 10 * i + t + 1.
void FillHealth(TDay& aDay)
{
    aDay.TemperatureAtMorning = 1;
    aDay.TemperatureAtLunch = 2;
    aDay.TemperatureAtEvening = 3;
    aDay.PulseAtMorning = 11;
    aDay.PulseAtLunch = 12;
    aDay.PulseAtEvening = 13;
    aDay.BloodPressureSysAtMorning = 21;
    aDay.BloodPressureSysAtLunch = 22;
    aDay.BloodPressureSysAtEvening = 23;
    aDay.BloodPressureDiaAtMorning = 31;
    aDay.BloodPressureDiaAtLunch = 32;
    aDay.BloodPressureDiaAtEvening = 33;
    aDay.OxygenSaturationAtMorning = 41;
    aDay.OxygenSaturationAtLunch = 42;
    aDay.OxygenSaturationAtEvening = 43;
    aDay.GlucoseLevelAtMorning = 51;
    aDay.GlucoseLevelAtLunch = 52;
    aDay.GlucoseLevelAtEvening = 53;
    aDay.WeightAtMorning = 61;
    aDay.WeightAtLunch = 62;
    aDay.WeightAtEvening = 63;
}

QList<double> Ys(const TChartLine& aLine)
{
    QList<double> ys;
    for (const TChartPoint& point : aLine.Points)
        ys << point.Y;
    return ys;
}
} // namespace

class TestChartData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowEdges_data()
    {
        QTest::addColumn<int>("daysBack");
        QTest::addColumn<QTime>("time");
        QTest::addColumn<bool>("inWindow");
        // The shown day is stored at 12:00.
        QTest::newRow("day before, any time") << 1 << QTime(23, 59) << true;
        QTest::newRow("29 back at midnight") << 29 << QTime(0, 0) << true;
        QTest::newRow("30 back, same time") << 30 << QTime(12, 0) << true;
        QTest::newRow("30 back, later") << 30 << QTime(23, 59) << true;
        QTest::newRow("30 back, a minute earlier") << 30 << QTime(11, 59) << false;
        QTest::newRow("30 back at midnight") << 30 << QTime(0, 0) << false;
        QTest::newRow("31 back, late") << 31 << QTime(23, 59) << false;
        QTest::newRow("a year back") << 365 << QTime(12, 0) << false;
        QTest::newRow("day after at midnight") << -1 << QTime(0, 0) << false;
        QTest::newRow("a month after") << -30 << QTime(12, 0) << false;
    }
    void windowEdges()
    {
        QFETCH(int, daysBack);
        QFETCH(QTime, time);
        QFETCH(bool, inWindow);
        TDiary diary;
        TDay& other = AddDay(diary, EncodeDate(Shown.addDays(-daysBack)) + EncodeTime(time));
        TDay& shown = AddDay(diary, At(Shown, 12));

        const TDayWindow days = Window(diary, shown);
        QCOMPARE(days.size(), inWindow ? size_t(2) : size_t(1));
        QCOMPARE(days.back(), &shown); // the latest date allowed
        if (inWindow)
            QCOMPARE(days.front(), &other);
    }

    void windowIsSortedByDateAndAppended()
    {
        TDiary diary;
        // Out of order, as a file may hold them; the times of day do not decide the order.
        TDay& d3 = AddDay(diary, At(Shown.addDays(-3), 23, 0));
        TDay& shown = AddDay(diary, At(Shown, 8));
        AddDay(diary, At(Shown.addDays(-40), 8));
        TDay& d20 = AddDay(diary, At(Shown.addDays(-20), 1));
        TDay& d1 = AddDay(diary, At(Shown.addDays(-1), 0));
        AddDay(diary, At(Shown.addDays(2), 8));

        const TDay unrelated(At(Shown.addDays(-100)));
        TDayWindow days{&unrelated};
        SearchLast30Days(diary, shown, days);
        QCOMPARE(days, (TDayWindow{&unrelated, &d20, &d3, &d1, &shown}));
    }

    void healthData_data()
    {
        QTest::addColumn<int>("chartType");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("title");

        const QStringList titles = {u"Health value: Temperature"_s,
                                    u"Health value: Pulse"_s,
                                    u"Health value: Blood pressure Sys"_s,
                                    u"Health value: Blood pressure Dia"_s,
                                    u"Health value: Oxygen saturation in %"_s,
                                    u"Health value: Glucose level"_s,
                                    u"Health value: Weight"_s};
        const QStringList types = {u"Morning"_s, u"Afternoon"_s, u"Evening"_s, u"All"_s};
        for (int type = 0; type < types.size(); ++type)
            for (int value = 0; value < titles.size(); ++value)
                QTest::addRow("%s, %s", qPrintable(types[type]), qPrintable(titles[value]))
                    << type << value << titles[value];
    }
    void healthData()
    {
        QFETCH(int, chartType);
        QFETCH(int, value);
        QFETCH(QString, title);
        TDiary diary;
        TDay& filled = AddDay(diary, At(Shown.addDays(-2), 9));
        FillHealth(filled);
        TDay& empty = AddDay(diary, At(Shown.addDays(-1), 9)); // exists, holds nothing
        TDay& shown = AddDay(diary, At(Shown, 9));
        FillHealth(shown);

        const TChartData chart = HealthChartData(Window(diary, shown), chartType, value);
        QCOMPARE(chart.Title, title);
        QCOMPARE(chart.Lines.size(), size_t(3));
        const bool all = chartType == HealthChartAll;
        QCOMPARE(chart.LegendVisible, std::optional<bool>(all));

        const QStringList times = {u"Morning"_s, u"Afternoon"_s, u"Evening"_s};
        for (int line = 0; line < 3; ++line) {
            const TChartLine& drawn = chart.Lines[size_t(line)];
            const bool active = all || line == 0;
            QCOMPARE(drawn.Active, active);
            QCOMPARE(drawn.Title, times[all ? line : line == 0 ? chartType : line]);
            if (!active) {
                QVERIFY(drawn.Points.empty());
                continue;
            }
            const int time = all ? line : chartType;
            const double reading = 10 * value + time + 1;
            QCOMPARE(Ys(drawn), (QList<double>{reading, 0.0, reading}));
            QCOMPARE(drawn.Points[0].X, filled.Date);
            QCOMPARE(drawn.Points[1].X, empty.Date);
            QCOMPARE(drawn.Points[2].X, shown.Date);
        }
    }

    void weatherData_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("title");
        QTest::addColumn<double>("y");
        QTest::newRow("morning") << 0 << u"Weather value: Temperature morning"_s << -5.0;
        QTest::newRow("afternoon") << 1 << u"Weather value: Temperature afternoon"_s << 7.0;
        // The item ends in a blank, the title does not.
        QTest::newRow("evening") << 2 << u"Weather value: Temperature evening"_s << 3.0;
        QTest::newRow("overnight") << 3 << u"Weather value: Temperature overnight"_s << -9.0;
        QTest::newRow("humidity") << 4 << u"Weather value: Humidity %"_s << 55.0;
        QTest::newRow("pressure keeps decimals") << 5 << u"Weather value: Pressure hPa"_s << 1013.25;
        QTest::newRow("wind speed") << 6 << u"Weather value: Wind speed km/h"_s << 20.0;
        QTest::newRow("uv index") << 7 << u"Weather value: UV Index"_s << 4.0;
    }
    void weatherData()
    {
        QFETCH(int, value);
        QFETCH(QString, title);
        QFETCH(double, y);
        TDiary diary;
        TDay& empty = AddDay(diary, At(Shown.addDays(-1), 9));
        TDay& shown = AddDay(diary, At(Shown, 9));
        shown.WeatherTemperatureMorning = -5;
        shown.WeatherTemperatureAfternoon = 7;
        shown.WeatherTemperatureEvening = 3;
        shown.WeatherTemperatureOvernight = -9;
        shown.WeatherHumidity = 55;
        shown.WeatherPressure = 1013.25;
        shown.WeatherWindSpeed = 20;
        shown.WeatherUVIndex = 4;

        const TChartData chart = WeatherChartData(Window(diary, shown), value);
        QCOMPARE(chart.Title, title);
        QVERIFY(!chart.LegendVisible.has_value());
        QCOMPARE(chart.Lines.size(), size_t(1));
        QCOMPARE(chart.Lines[0].Title, u"Value"_s);
        QVERIFY(chart.Lines[0].Active);
        QCOMPARE(Ys(chart.Lines[0]), (QList<double>{0.0, y}));
        QCOMPARE(chart.Lines[0].Points[0].X, empty.Date);
        QCOMPARE(chart.Lines[0].Points[1].X, shown.Date);
    }

    void indexOutsideTheTables_data()
    {
        QTest::addColumn<bool>("health");
        QTest::addColumn<int>("chartType");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("legend");
        QTest::newRow("health value -1") << true << 0 << -1 << false;
        QTest::newRow("health value 7") << true << 1 << 7 << false;
        QTest::newRow("health value 7, all") << true << 3 << 7 << true;
        QTest::newRow("chart type -1") << true << -1 << 0 << false;
        QTest::newRow("chart type 4") << true << 4 << 0 << false;
        QTest::newRow("weather value -1") << false << 0 << -1 << false;
        QTest::newRow("weather value 8") << false << 0 << 8 << false;
    }
    void indexOutsideTheTables()
    {
        QFETCH(bool, health);
        QFETCH(int, chartType);
        QFETCH(int, value);
        QFETCH(bool, legend);
        TDiary diary;
        TDay& shown = AddDay(diary, At(Shown, 9));
        FillHealth(shown);
        const TDayWindow days = Window(diary, shown);
        const TChartData chart = health ? HealthChartData(days, chartType, value) : WeatherChartData(days, value);
        QVERIFY(chart.Title.isEmpty());
        for (const TChartLine& line : chart.Lines)
            QVERIFY(line.Points.empty());
        if (health)
            QCOMPARE(chart.LegendVisible, std::optional<bool>(legend));
    }
};

QTEST_GUILESS_MAIN(TestChartData)
#include "test_chart_data.moc"
