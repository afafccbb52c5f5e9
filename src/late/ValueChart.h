#pragma once

#include "late/LateFunctions.h"
#include "model/ChartData.h"
#include "util/RegionalSettings.h"

#include <QFont>
#include <QList>

#include <initializer_list>
#include <utility>

class QChart;
class QChartView;
class QLineSeries;
class QWidget;

// The chart widgets' side of the value charts: making them, their look, and putting computed chart
// data into their line series. Part of the late library: the window reaches these through
// TLateFunctions.

// A value chart over dates with one line series per entry of aSeries, each stored where its
// pointer points, set up by SetUpValueChart in the window's font.
KESTROVA_LATE_API QChartView* MakeChart(QWidget* aParent, const QString& aName, const QString& aTitle,
                                        std::initializer_list<std::pair<QLineSeries**, QString>> aSeries,
                                        const TRegionalSettings& aSettings);
// No legend, and no marker of any line in it, should it be shown again.
KESTROVA_LATE_API void HideLegend(QChart& aChart);

// Compact margins, title and legend, dates as day and month in the user's order, numbers with the
// user's separator, and visible point markers, so that the chart still has a plot area worth
// reading when the window is at its smallest. Texts are set in aFont, the window's own.
KESTROVA_LATE_API void SetUpValueChart(QChart& aChart, const TRegionalSettings& aSettings, const QFont& aFont);

// Shows aData in aChart: title, legend (unless left alone), and for each line its series' title,
// visibility and points. Both axes are fitted to the points of the visible lines.
KESTROVA_LATE_API void ShowChartData(QChart& aChart, const QList<QLineSeries*>& aSeries, const TChartData& aData);

// A date-time value as the chart's date-time axis counts: milliseconds since 1970 in local time.
KESTROVA_LATE_API qreal ChartX(TDateTime aValue);
