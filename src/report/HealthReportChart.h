#pragma once

#include "exchange/HealthSummary.h"

#include <QFont>
#include <QRectF>

class QPainter;

// One line chart of the health report: a reading over the report's range, the three times of day
// as three black lines told apart by their dash pattern (and, while the points are few enough to
// see, by their marker), so a black-and-white copy reads as well as the screen.
struct THealthChartStyle {
    QFont TitleFont;
    QFont LabelFont;
    double Millimetre = 1.0; // device pixels per millimetre
};

void DrawHealthChart(QPainter& aPainter, const QRectF& aArea, const THealthSummary& aSummary, THealthReading aReading,
                     const TRegionalSettings& aSettings, const THealthChartStyle& aStyle);

// Round steps for an axis from aMinimum to aMaximum with about aCount steps: 1, 2 or 5 times a
// power of ten. Exposed for the tests.
double NiceAxisStep(double aMinimum, double aMaximum, int aCount);
