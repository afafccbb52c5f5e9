#include "report/HealthReportChart.h"

#include "util/NumberFormat.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// Beyond this many points per line the markers would merge into a smear; the dashes still tell
// the lines apart.
constexpr size_t kMostMarkedPoints = 62;

Qt::PenStyle LineStyle(TTimeOfDay aTime)
{
    switch (aTime) {
    case TTimeOfDay::Morning:
        return Qt::SolidLine;
    case TTimeOfDay::Afternoon:
        return Qt::DashLine;
    case TTimeOfDay::Evening:
        return Qt::DotLine;
    }
    return Qt::SolidLine;
}

// Morning a circle, afternoon a square, evening a triangle; hollow, so crossing lines stay visible.
void DrawMarker(QPainter& aPainter, TTimeOfDay aTime, const QPointF& aAt, double aSize)
{
    const double r = aSize / 2.0;
    switch (aTime) {
    case TTimeOfDay::Morning:
        aPainter.drawEllipse(aAt, r, r);
        break;
    case TTimeOfDay::Afternoon:
        aPainter.drawRect(QRectF(aAt.x() - r, aAt.y() - r, aSize, aSize));
        break;
    case TTimeOfDay::Evening:
        aPainter.drawPolygon(QPolygonF{QPointF(aAt.x(), aAt.y() - r * 1.15), QPointF(aAt.x() + r * 1.1, aAt.y() + r),
                                       QPointF(aAt.x() - r * 1.1, aAt.y() + r)});
        break;
    }
}

QPen LinePen(TTimeOfDay aTime, double aMillimetre)
{
    QPen pen(Qt::black, 0.3 * aMillimetre, LineStyle(aTime), Qt::FlatCap, Qt::RoundJoin);
    return pen;
}

} // namespace

double NiceAxisStep(double aMinimum, double aMaximum, int aCount)
{
    const double span = aMaximum - aMinimum;
    if (!(span > 0.0) || !std::isfinite(span) || aCount < 1)
        return 1.0;
    const double raw = span / aCount;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0})
        if (raw <= factor * power)
            return factor * power;
    return 10.0 * power;
}

void DrawHealthChart(QPainter& aPainter, const QRectF& aArea, const THealthSummary& aSummary, THealthReading aReading,
                     const TRegionalSettings& aSettings, const THealthChartStyle& aStyle)
{
    const double mm = aStyle.Millimetre;
    const QFontMetricsF titleMetrics(aStyle.TitleFont, aPainter.device());
    const QFontMetricsF labelMetrics(aStyle.LabelFont, aPainter.device());
    aPainter.save();

    // The title, and the legend on the same line at the right.
    aPainter.setFont(aStyle.TitleFont);
    aPainter.setPen(Qt::black);
    aPainter.drawText(QPointF(aArea.left(), aArea.top() + titleMetrics.ascent()), HealthReadingName(aReading));
    aPainter.setFont(aStyle.LabelFont);
    const double sample = 9.0 * mm;
    double legendX = aArea.right();
    const double legendY = aArea.top() + titleMetrics.height() / 2.0;
    for (auto it = AllTimesOfDay.rbegin(); it != AllTimesOfDay.rend(); ++it) {
        const QString name = TimeOfDayName(*it);
        legendX -= labelMetrics.horizontalAdvance(name);
        aPainter.setPen(Qt::black);
        aPainter.drawText(QPointF(legendX, legendY + labelMetrics.ascent() / 2.0 - mm * 0.2), name);
        legendX -= 1.5 * mm + sample;
        aPainter.setPen(LinePen(*it, mm));
        aPainter.drawLine(QPointF(legendX, legendY), QPointF(legendX + sample, legendY));
        aPainter.setPen(QPen(Qt::black, 0.25 * mm));
        aPainter.setBrush(Qt::white);
        DrawMarker(aPainter, *it, QPointF(legendX + sample / 2.0, legendY), 1.6 * mm);
        aPainter.setBrush(Qt::NoBrush);
        legendX -= 5.0 * mm;
    }

    // The value range of all three lines, so they share one axis.
    double low = 0.0, high = 0.0;
    bool any = false;
    for (const THealthDayRow& day : aSummary.Days)
        for (TTimeOfDay time : AllTimesOfDay) {
            const double value = day.Reading(aReading, time);
            if (!IsEnteredReading(value))
                continue;
            low = any ? std::min(low, value) : value;
            high = any ? std::max(high, value) : value;
            any = true;
        }
    if (!any) {
        aPainter.drawText(QPointF(aArea.left(), aArea.top() + titleMetrics.height() + labelMetrics.height() * 1.5),
                          u"No values were entered in this range."_s);
        aPainter.restore();
        return;
    }
    if (high - low < 1e-9 * std::max(1.0, std::fabs(high))) {
        // One value only: a band around it, so the line runs through the middle.
        const double pad = std::max(1.0, std::fabs(high) * 0.05);
        low -= pad;
        high += pad;
    }
    // A little room beyond the extremes, so no point sits on the frame.
    const double margin = (high - low) * 0.03;
    low -= margin;
    high += margin;
    const double step = NiceAxisStep(low, high, 5);
    const double axisLow = std::floor(low / step) * step;
    const double axisHigh = std::ceil(high / step) * step;
    // Only a damaged file holds values whose span overflows; an axis over them would have no
    // steps to count, so the chart says so instead of drawing.
    if (!std::isfinite(axisHigh - axisLow) || (axisHigh - axisLow) / step > 100.0) {
        aPainter.drawText(QPointF(aArea.left(), aArea.top() + titleMetrics.height() + labelMetrics.height() * 1.5),
                          u"The values are too far apart to be drawn."_s);
        aPainter.restore();
        return;
    }

    // The y labels decide the left margin; the x labels take one line at the bottom.
    std::vector<std::pair<double, QString>> yTicks;
    double labelWidth = 0.0;
    for (int i = 0; axisLow + i * step <= axisHigh + step * 1e-6; ++i) {
        const double value = axisLow + i * step;
        // The general number format's 15 digits drop the noise of the multiplication.
        const QString text = FloatToStr(std::fabs(value) < step * 1e-9 ? 0.0 : value, aSettings);
        yTicks.emplace_back(value, text);
        labelWidth = std::max(labelWidth, labelMetrics.horizontalAdvance(text));
    }
    const QRectF plot(aArea.left() + labelWidth + 2.0 * mm, aArea.top() + titleMetrics.height() + 3.0 * mm,
                      aArea.width() - labelWidth - 4.0 * mm,
                      aArea.height() - titleMetrics.height() - 3.0 * mm - labelMetrics.height() - 2.0 * mm);
    const auto yOf = [&](double aValue) {
        return plot.bottom() - (aValue - axisLow) / (axisHigh - axisLow) * plot.height();
    };
    const qint64 firstDay = DatePart(aSummary.From);
    const int days = std::max(1, aSummary.RangeDays());
    // Each day owns a slot of the width and its point stands in the slot's middle, so a one-day
    // report still has a place for its point.
    const auto xOf = [&](qint64 aDay) { return plot.left() + (double(aDay - firstDay) + 0.5) / days * plot.width(); };

    aPainter.setPen(QPen(QColor(190, 190, 190), 0.15 * mm));
    for (const auto& [value, text] : yTicks)
        aPainter.drawLine(QPointF(plot.left(), yOf(value)), QPointF(plot.right(), yOf(value)));
    aPainter.setPen(QPen(Qt::black, 0.2 * mm));
    aPainter.drawRect(plot);
    for (const auto& [value, text] : yTicks)
        aPainter.drawText(
            QRectF(aArea.left(), yOf(value) - labelMetrics.height() / 2.0, labelWidth, labelMetrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, text);

    // Dates at even spacing, as many as fit side by side with room between them.
    const double dateWidth = labelMetrics.horizontalAdvance(u"0000-00-00"_s) + 6.0 * mm;
    const int labels = std::clamp(int(plot.width() / dateWidth), 1, days);
    for (int i = 0; i < labels; ++i) {
        const qint64 day = labels == 1 ? firstDay + (days - 1) / 2
                                       : firstDay + qint64(std::llround(double(i) * (days - 1) / (labels - 1)));
        const double x = xOf(day);
        aPainter.drawLine(QPointF(x, plot.bottom()), QPointF(x, plot.bottom() + 1.0 * mm));
        const QString text = TKSDateUtils::ToYearMonthDayStr(TDateTime(day));
        const double width = labelMetrics.horizontalAdvance(text);
        const double left = std::clamp(x - width / 2.0, aArea.left(), aArea.right() - width);
        aPainter.drawText(QPointF(left, plot.bottom() + 1.5 * mm + labelMetrics.ascent()), text);
    }

    // The lines join the entered values; a day without one is passed over, as in the window's chart.
    aPainter.setRenderHint(QPainter::Antialiasing, true);
    aPainter.setClipRect(plot.adjusted(-mm, -mm, mm, mm));
    for (TTimeOfDay time : AllTimesOfDay) {
        QPolygonF points;
        for (const THealthDayRow& day : aSummary.Days) {
            const double value = day.Reading(aReading, time);
            if (IsEnteredReading(value))
                points << QPointF(xOf(DatePart(day.Date)), yOf(value));
        }
        if (points.isEmpty())
            continue;
        aPainter.setPen(LinePen(time, mm));
        aPainter.setBrush(Qt::NoBrush);
        if (points.size() > 1)
            aPainter.drawPolyline(points);
        if (size_t(points.size()) <= kMostMarkedPoints) {
            aPainter.setPen(QPen(Qt::black, 0.25 * mm));
            aPainter.setBrush(Qt::white);
            for (const QPointF& point : points)
                DrawMarker(aPainter, time, point, 1.6 * mm);
        }
    }
    aPainter.restore();
}
