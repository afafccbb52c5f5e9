#pragma once

#include "model/DayFields.h"
#include "model/Records.h"

#include <QString>

#include <optional>
#include <vector>

// What the two value charts show, worked out from the stored day records alone, so the window
// only has to hand the result to its chart widgets.

// The days the charts look at: the day shown and the diary's days of the thirty days before it.
// The diary owns the days; the list only points at them.
using TDayWindow = std::vector<const TDay*>;

// Appends every day of aDiary whose date-time lies between aShownDay's date-time minus thirty days
// and aShownDay's date-time (both included, time of day counted), then sorts the whole list by
// date, earliest first. Days on the same date keep their order in the diary.
void SearchLast30Days(const TDiary& aDiary, const TDay& aShownDay, TDayWindow& aDays);

struct TChartPoint {
    TDateTime X; // the day's date-time as stored
    double Y;
};

struct TChartLine {
    QString Title; // the legend text
    bool Active = true;
    std::vector<TChartPoint> Points;
};

struct TChartData {
    QString Title;                     // empty: the chart has no title line
    std::optional<bool> LegendVisible; // none: the legend stays as it is
    std::vector<TChartLine> Lines;
};

// Chart types of the health chart, as the radio group orders them.
enum THealthChartType { HealthChartMorning = 0, HealthChartAfternoon = 1, HealthChartEvening = 2, HealthChartAll = 3 };

// The health values are the readings of DayFields.h, the weather values its WeatherValueFields.
constexpr int HealthValueCount = HealthReadingCount;

// The health chart for a chart type (0 to 3) and a health value (0 to 6): always three lines
// "Morning", "Afternoon", "Evening". One time of day fills the first line with that time's readings
// and hides the other two; "All" shows the legend and all three. An index out of range leaves
// the chart without a title and without points.
TChartData HealthChartData(const TDayWindow& aDays, int aChartType, int aHealthValue);

// The weather chart for a weather value (0 to 7): one line "Value", never in the legend.
TChartData WeatherChartData(const TDayWindow& aDays, int aWeatherValue);
