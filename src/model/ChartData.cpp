#include "model/ChartData.h"

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// The readings of one health value, in the order morning, afternoon, evening. The afternoon
// readings are the ones the records keep under lunch.
struct THealthValue {
    QString Title;
    double TDay::*Readings[3];
};

const THealthValue& HealthValue(int aIndex)
{
    static const THealthValue values[HealthValueCount] = {
        {u"Health value: Temperature"_s,
         {&TDay::TemperatureAtMorning, &TDay::TemperatureAtLunch, &TDay::TemperatureAtEvening}},
        {u"Health value: Pulse"_s, {&TDay::PulseAtMorning, &TDay::PulseAtLunch, &TDay::PulseAtEvening}},
        {u"Health value: Blood pressure Sys"_s,
         {&TDay::BloodPressureSysAtMorning, &TDay::BloodPressureSysAtLunch, &TDay::BloodPressureSysAtEvening}},
        {u"Health value: Blood pressure Dia"_s,
         {&TDay::BloodPressureDiaAtMorning, &TDay::BloodPressureDiaAtLunch, &TDay::BloodPressureDiaAtEvening}},
        {u"Health value: Oxygen saturation in %"_s,
         {&TDay::OxygenSaturationAtMorning, &TDay::OxygenSaturationAtLunch, &TDay::OxygenSaturationAtEvening}},
        {u"Health value: Glucose level"_s,
         {&TDay::GlucoseLevelAtMorning, &TDay::GlucoseLevelAtLunch, &TDay::GlucoseLevelAtEvening}},
        {u"Health value: Weight"_s, {&TDay::WeightAtMorning, &TDay::WeightAtLunch, &TDay::WeightAtEvening}},
    };
    return values[aIndex];
}

struct TWeatherValue {
    QString Title;
    double (*Read)(const TDay&);
};

const TWeatherValue& WeatherValue(int aIndex)
{
    // The combo box item of the evening temperature ends in a blank; its title does not.
    static const TWeatherValue values[WeatherValueCount] = {
        {u"Weather value: Temperature morning"_s, [](const TDay& d) { return double(d.WeatherTemperatureMorning); }},
        {u"Weather value: Temperature afternoon"_s,
         [](const TDay& d) { return double(d.WeatherTemperatureAfternoon); }},
        {u"Weather value: Temperature evening"_s, [](const TDay& d) { return double(d.WeatherTemperatureEvening); }},
        {u"Weather value: Temperature overnight"_s,
         [](const TDay& d) { return double(d.WeatherTemperatureOvernight); }},
        {u"Weather value: Humidity %"_s, [](const TDay& d) { return double(d.WeatherHumidity); }},
        {u"Weather value: Pressure hPa"_s, [](const TDay& d) { return d.WeatherPressure; }},
        {u"Weather value: Wind speed km/h"_s, [](const TDay& d) { return double(d.WeatherWindSpeed); }},
        {u"Weather value: UV Index"_s, [](const TDay& d) { return double(d.WeatherUVIndex); }},
    };
    return values[aIndex];
}

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
    chart.Lines = {{u"Morning"_s, true, {}}, {u"Afternoon"_s, false, {}}, {u"Evening"_s, false, {}}};
    const bool knownValue = aHealthValue >= 0 && aHealthValue < HealthValueCount;

    if (aChartType >= HealthChartMorning && aChartType <= HealthChartEvening) {
        static const QString times[3] = {u"Morning"_s, u"Afternoon"_s, u"Evening"_s};
        chart.Lines[0].Title = times[aChartType];
        if (knownValue) {
            const THealthValue& value = HealthValue(aHealthValue);
            chart.Title = value.Title;
            chart.Lines[0].Points = Points(aDays, value.Readings[aChartType]);
        }
    } else if (aChartType == HealthChartAll) {
        chart.LegendVisible = true;
        chart.Lines[1].Active = true;
        chart.Lines[2].Active = true;
        if (knownValue) {
            const THealthValue& value = HealthValue(aHealthValue);
            chart.Title = value.Title;
            for (int time = 0; time < 3; ++time)
                chart.Lines[time].Points = Points(aDays, value.Readings[time]);
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
    const TWeatherValue& value = WeatherValue(aWeatherValue);
    chart.Title = value.Title;
    std::vector<TChartPoint>& points = chart.Lines[0].Points;
    points.reserve(aDays.size());
    for (const TDay* day : aDays)
        points.push_back({day->Date, value.Read(*day)});
    return chart;
}
