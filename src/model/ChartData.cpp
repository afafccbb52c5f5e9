#include "model/ChartData.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

std::vector<TChartPoint> Points(const TDayWindow& aDays, double TDay::*aReading)
{
    std::vector<TChartPoint> points;
    points.reserve(aDays.size());
    for (const TDay* day : aDays)
        points.push_back({day->Date, day->*aReading});
    return points;
}

} // namespace

void SearchLast30Days(const TDiary& aDiary, const TDay& aShownDay, TDayWindow& aDays)
{
    // The full date-time values are compared: a day thirty dates back belongs to the window only
    // when its time of day is not earlier than the shown day's.
    const TDateTime last = aShownDay.Date;
    const TDateTime first = last - 30.0;
    for (const auto& day : aDiary.DB) {
        if (first <= day->Date && day->Date <= last)
            aDays.push_back(day.get());
    }
    std::stable_sort(aDays.begin(), aDays.end(),
                     [](const TDay* aA, const TDay* aB) { return DatePart(aA->Date) < DatePart(aB->Date); });
}

TChartData HealthChartData(const TDayWindow& aDays, int aChartType, int aHealthValue)
{
    TChartData chart;
    chart.LegendVisible = false;
    chart.Lines = {{TimeOfDayName(TTimeOfDay::Morning), true, {}},
                   {TimeOfDayName(TTimeOfDay::Afternoon), false, {}},
                   {TimeOfDayName(TTimeOfDay::Evening), false, {}}};
    const bool knownValue = aHealthValue >= 0 && aHealthValue < HealthValueCount;

    if (aChartType >= HealthChartMorning && aChartType <= HealthChartEvening) {
        chart.Lines[0].Title = TimeOfDayName(TTimeOfDay(aChartType));
        if (knownValue) {
            const THealthReadingField& value = HealthReadingField(THealthReading(aHealthValue));
            chart.Title = QString::fromUtf16(value.ChartTitle);
            chart.Lines[0].Points = Points(aDays, value.At[size_t(aChartType)]);
        }
    } else if (aChartType == HealthChartAll) {
        chart.LegendVisible = true;
        chart.Lines[1].Active = true;
        chart.Lines[2].Active = true;
        if (knownValue) {
            const THealthReadingField& value = HealthReadingField(THealthReading(aHealthValue));
            chart.Title = QString::fromUtf16(value.ChartTitle);
            for (int time = 0; time < TimeOfDayCount; ++time)
                chart.Lines[size_t(time)].Points = Points(aDays, value.At[size_t(time)]);
        }
    }
    return chart;
}

TChartData WeatherChartData(const TDayWindow& aDays, int aWeatherValue)
{
    TChartData chart;
    chart.Lines = {{u"Value"_s, true, {}}};
    if (aWeatherValue < 0 || aWeatherValue >= WeatherValueCount)
        return chart;
    const TWeatherValueField& value = WeatherValueFields[size_t(aWeatherValue)];
    chart.Title = QString::fromUtf16(value.ChartTitle);
    std::vector<TChartPoint>& points = chart.Lines[0].Points;
    points.reserve(aDays.size());
    for (const TDay* day : aDays)
        points.push_back({day->Date, value.Of(*day)});
    return chart;
}
