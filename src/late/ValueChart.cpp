#include "late/ValueChart.h"

#include "ui/DesignFont.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFont>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QHash>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QRegularExpression>
#include <QValueAxis>
#include <QVariant>

#include <algorithm>
#include <cstring>
#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// At most this many gaps between date labels: at the window's default width each label then
// keeps about 80 pixels, enough for any day-and-month format.
constexpr qint64 MaxDateIntervals = 8;

QDateTimeAxis* DateAxis(const QChart& aChart)
{
    const QList<QAbstractAxis*> axes = aChart.axes(Qt::Horizontal);
    return axes.isEmpty() ? nullptr : qobject_cast<QDateTimeAxis*>(axes.first());
}

QValueAxis* ValueAxis(const QChart& aChart)
{
    const QList<QAbstractAxis*> axes = aChart.axes(Qt::Vertical);
    return axes.isEmpty() ? nullptr : qobject_cast<QValueAxis*>(axes.first());
}

// The short date format without its year: thirty days need no year, and the room is small.
QString DayAndMonthFormat(const QString& aShortDateFormat)
{
    static const QRegularExpression year(u"^y+[^dMy]*|[^dMy]*y+"_s);
    QString format = aShortDateFormat;
    format.remove(year);
    if (!format.contains(u'd') || !format.contains(u'M'))
        return u"dd.MM."_s;
    return format;
}

QDateTime LocalNoon(qint64 aDatePart)
{
    return QDateTime(DateOfDateTime(double(aDatePart)), QTime(12, 0));
}

// The dates run from the noon before the first day to the noon after the last, so every point
// lies inside with room on both sides, and the ticks fall on noons a whole number of days apart.
// A point then lies nearer to its own date's label than to any other, and the hour that summer
// time adds or takes never moves a tick onto another date.
void FitDateAxis(QDateTimeAxis& aAxis, qint64 aFirstDate, qint64 aLastDate)
{
    qint64 days = aLastDate - aFirstDate + 2;
    const qint64 step = std::max<qint64>(1, (days + MaxDateIntervals - 1) / MaxDateIntervals);
    const qint64 intervals = (days + step - 1) / step;
    days = intervals * step;
    const qint64 last = aLastDate + 1;
    aAxis.setRange(LocalNoon(last - days), LocalNoon(last));
    aAxis.setTickCount(int(intervals) + 1);
}

// The value labels stand one above the other at the ticks: each needs its line and half a line
// between it and the next, or the chart elides them all. The plot area's height, not a fixed
// count, decides how many ticks there are, so every label stays readable in a small window.
int ValueTicksThatFit(const QChart& aChart, const QValueAxis& aAxis)
{
    constexpr int MostTicks = 5;
    const qreal height = aChart.plotArea().height();
    const qreal line = QFontMetricsF(aAxis.labelsFont()).height();
    if (!(height > 0) || !(line > 0))
        return MostTicks;
    return std::clamp(int(height / (line * 1.5)) + 1, 2, MostTicks);
}

// Round ticks (1, 2, 2.5 or 5 times a power of ten apart) over low to high, at most aTicks of them.
void SetRoundTicks(QValueAxis& aAxis, double aLow, double aHigh, int aTicks)
{
    const int intervals = std::max(1, aTicks - 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10((aHigh - aLow) / intervals)));
    double step = 10.0 * magnitude;
    for (const double factor : {1.0, 2.0, 2.5, 5.0}) {
        const double candidate = factor * magnitude;
        if (std::ceil(aHigh / candidate) - std::floor(aLow / candidate) <= intervals) {
            step = candidate;
            break;
        }
    }
    const double first = std::floor(aLow / step) * step;
    const double last = std::ceil(aHigh / step) * step;
    const int used = int(std::lround((last - first) / step));
    if (!std::isfinite(first) || !std::isfinite(last) || !(first < last) || used < 1 || used > intervals) {
        aAxis.setRange(aLow, aHigh);
        aAxis.setTickCount(aTicks);
        return;
    }
    aAxis.setRange(first, last);
    aAxis.setTickCount(used + 1);
}

// The range the readings asked for, kept on the axis so that a change of the plot's height can
// place the ticks again.
const char* const ReadingsLow = "readingsLow";
const char* const ReadingsHigh = "readingsHigh";
const char* const TicksPlaced = "ticksPlaced";

void PlaceValueTicks(const QChart& aChart, QValueAxis& aAxis)
{
    const QVariant low = aAxis.property(ReadingsLow);
    const QVariant high = aAxis.property(ReadingsHigh);
    const int ticks = ValueTicksThatFit(aChart, aAxis);
    aAxis.setProperty(TicksPlaced, ticks);
    if (low.isValid() && high.isValid())
        SetRoundTicks(aAxis, low.toDouble(), high.toDouble(), ticks);
}

// A little room above and below the readings, then round ticks. Readings that are no finite
// number are drawn where they fall but do not stretch the axis.
void FitValueAxis(const QChart& aChart, QValueAxis& aAxis, double aLow, double aHigh)
{
    if (!(aLow <= aHigh)) {
        aLow = 0.0;
        aHigh = 1.0;
    }
    const double span = aHigh - aLow;
    const double margin = span > 0.0 ? span * 0.05 : std::max(1.0, std::fabs(aLow) * 0.05);
    const double low = aLow - margin;
    const double high = aHigh + margin;
    if (!std::isfinite(low) || !std::isfinite(high)) {
        aAxis.setProperty(ReadingsLow, QVariant());
        aAxis.setProperty(ReadingsHigh, QVariant());
        aAxis.setRange(aLow, aHigh);
        return;
    }
    aAxis.setProperty(ReadingsLow, low);
    aAxis.setProperty(ReadingsHigh, high);
    PlaceValueTicks(aChart, aAxis);
}

} // namespace

qreal ChartX(TDateTime aValue)
{
    // The local time's conversion looks up the time zone's rules each time, and was the larger part
    // of redrawing a chart; a day switch draws 29 of the last switch's 30 days again. The results
    // are kept by the exact value, a few hundred at most, per thread.
    thread_local QHash<quint64, qreal> known;
    quint64 key;
    std::memcpy(&key, &aValue, sizeof key);
    if (const auto found = known.constFind(key); found != known.constEnd())
        return *found;
    if (known.size() >= 1024)
        known.clear();
    const qreal x = qreal(QDateTime(DateOfDateTime(aValue), TimeOfDateTime(aValue)).toMSecsSinceEpoch());
    known.insert(key, x);
    return x;
}

void SetUpValueChart(QChart& aChart, const TRegionalSettings& aSettings, const QFont& aFont)
{
    // The view takes the chart's minimum size as its own, and the window grows to fit it; a
    // minimum of the chart's own making (title, legend and axis labels in whatever font the
    // system has) would make the window grow past its size when the chart page is first shown.
    aChart.setMinimumSize(QSizeF(200, 60));
    aChart.setBackgroundRoundness(0);
    aChart.setMargins(QMargins(2, 0, 8, 0));
    aChart.layout()->setContentsMargins(0, 0, 0, 0);
    QFont title = aFont;
    title.setBold(true);
    aChart.setTitleFont(title);
    aChart.legend()->setFont(aFont);
    // Numbers as the user writes them, and like everywhere else in the program without a
    // thousands separator (a pressure reads 1013, not 1,013).
    QLocale locale = aSettings.Locale();
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    aChart.setLocale(locale);
    aChart.setLocalizeNumbers(true);

    if (QDateTimeAxis* dates = DateAxis(aChart)) {
        dates->setFormat(DayAndMonthFormat(aSettings.ShortDateFormat()));
        dates->setLabelsFont(aFont);
    }
    if (QValueAxis* values = ValueAxis(aChart)) {
        values->setLabelsFont(aFont);
        values->setLabelFormat(u"%.6g"_s); // round ticks need no trailing zeros
        // Placed again only when the plot's new height holds another number of ticks, which
        // leaves the height as it is: no round of layouts follows.
        QObject::connect(&aChart, &QChart::plotAreaChanged, values, [&aChart, values] {
            if (ValueTicksThatFit(aChart, *values) != values->property(TicksPlaced).toInt())
                PlaceValueTicks(aChart, *values);
        });
    }
    for (QAbstractSeries* series : aChart.series()) {
        if (auto* line = qobject_cast<QLineSeries*>(series)) {
            // A single day is a single point: without a marker it would not be seen at all.
            line->setPointsVisible(true);
            line->setMarkerSize(5);
        }
    }
}

void ShowChartData(QChart& aChart, const QList<QLineSeries*>& aSeries, const TChartData& aData)
{
    // Every change below lays the chart out again; what stays as it was is left alone.
    if (aData.LegendVisible && aChart.legend()->isVisible() != *aData.LegendVisible)
        aChart.legend()->setVisible(*aData.LegendVisible);
    if (aChart.title() != aData.Title)
        aChart.setTitle(aData.Title);

    qint64 firstDate = std::numeric_limits<qint64>::max();
    qint64 lastDate = std::numeric_limits<qint64>::min();
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    const qsizetype count = std::min<qsizetype>(aSeries.size(), qsizetype(aData.Lines.size()));
    for (qsizetype i = 0; i < count; ++i) {
        const TChartLine& line = aData.Lines[size_t(i)];
        QLineSeries* series = aSeries.at(i);
        QList<QPointF> points;
        points.reserve(qsizetype(line.Points.size()));
        for (const TChartPoint& point : line.Points) {
            points.append(QPointF(ChartX(point.X), point.Y));
            if (!line.Active)
                continue;
            firstDate = std::min(firstDate, DatePart(point.X));
            lastDate = std::max(lastDate, DatePart(point.X));
            if (std::isfinite(point.Y)) {
                low = std::min(low, point.Y);
                high = std::max(high, point.Y);
            }
        }
        if (series->name() != line.Title)
            series->setName(line.Title);
        series->replace(points);
        if (series->isVisible() != line.Active)
            series->setVisible(line.Active);
    }

    if (QDateTimeAxis* dates = DateAxis(aChart); dates && firstDate <= lastDate)
        FitDateAxis(*dates, firstDate, lastDate);
    if (QValueAxis* values = ValueAxis(aChart))
        FitValueAxis(aChart, *values, low, high);
}

QChartView* MakeChart(QWidget* aParent, const QString& aName, const QString& aTitle,
                      std::initializer_list<std::pair<QLineSeries**, QString>> aSeries,
                      const TRegionalSettings& aSettings)
{
    auto* chart = new QChart();
    chart->setObjectName(aName + u"Chart"_s);
    chart->setTitle(aTitle);
    chart->legend()->setAlignment(Qt::AlignRight);
    auto* xAxis = new QDateTimeAxis(chart);
    auto* yAxis = new QValueAxis(chart);
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (const auto& [member, name] : aSeries) {
        auto* series = new QLineSeries(chart);
        series->setObjectName(name);
        series->setName(name);
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
        *member = series;
    }
    SetUpValueChart(*chart, aSettings, DesignFont(8));
    auto* view = new QChartView(chart, aParent);
    view->setObjectName(aName);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

void HideLegend(QChart& aChart)
{
    for (QAbstractSeries* series : aChart.series())
        for (QLegendMarker* marker : aChart.legend()->markers(series))
            marker->setVisible(false);
    aChart.legend()->hide();
}
