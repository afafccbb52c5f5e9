#pragma once

#include "model/ChartData.h"
#include "util/RegionalSettings.h"

#include <QFont>
#include <QList>

class QChart;
class QLineSeries;

// The chart widgets' side of the value charts: their look, and putting computed chart data into
// their line series.

// Compact margins, title and legend, dates as day and month in the user's order, numbers with the
// user's separator, and visible point markers, so that the chart still has a plot area worth
// reading when the window is at its smallest. Texts are set in aFont, the window's own.
void SetUpValueChart(QChart& aChart, const TRegionalSettings& aSettings, const QFont& aFont);

// Shows aData in aChart: title, legend (unless left alone), and for each line its series' title,
// visibility and points. Both axes are fitted to the points of the visible lines.
void ShowChartData(QChart& aChart, const QList<QLineSeries*>& aSeries, const TChartData& aData);

// A date-time value as the chart's date-time axis counts: milliseconds since 1970 in local time.
qreal ChartX(TDateTime aValue);
