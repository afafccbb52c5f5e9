// The two value charts on the real window: what the selection controls show, which refills reach
// which chart, when a typed reading gets in, and that the chart pages fit the window as it is.

#include "ui/support/DayPageWindow.h"

#include "late/ValueChart.h"
#include "util/ksDateUtils.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QDateTimeAxis>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QValueAxis>

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {
const QDate March10(2026, 3, 10);
const QDate March11(2026, 3, 11);
const QDate March12(2026, 3, 12);

// Three days with distinct readings at each time of day; March 11 exists but holds nothing.
std::unique_ptr<TDiary> ThreeDays()
{
    std::unique_ptr<TDiary> diary = MakeDiary({March10, March11, March12});
    TDay& first = DayOf(*diary, March10);
    first.TemperatureAtMorning = 36.5;
    first.TemperatureAtLunch = 36.9;
    first.TemperatureAtEvening = 37.1;
    first.WeatherTemperatureMorning = -3;
    TDay& last = DayOf(*diary, March12);
    last.TemperatureAtMorning = 36.6;
    last.TemperatureAtLunch = 37.0;
    last.TemperatureAtEvening = 37.4;
    last.WeatherTemperatureMorning = 4;
    last.WeatherPressure = 1013.5;
    return diary;
}

QList<QPointF> Expected(std::initializer_list<double> aYs)
{
    const QDate dates[] = {March10, March11, March12};
    QList<QPointF> points;
    int i = 0;
    for (double y : aYs) {
        points << QPointF(ChartX(EncodeDate(dates[i]) + 0.5), y);
        ++i;
    }
    return points;
}

class TChartWindow : public TDayPageWindow {
public:
    explicit TChartWindow(const TDiary& aDiary) : TDayPageWindow(&aDiary, TRegionalSettings::WithSeparator(u','))
    {
        PickDate(March12);
    }
    // A chart is drawn when it is shown: each is read as the user sees it, its page in front.
    QChart* Chart(const QString& aName) const
    {
        auto* view = Find<QChartView>(aName);
        Reveal(view);
        return view->chart();
    }
    QLineSeries* Series(const QString& aName) const
    {
        for (const QString& chart : {u"ChartHealthValue"_s, u"ChartWeatherValue"_s})
            for (QAbstractSeries* series : Find<QChartView>(chart)->chart()->series())
                if (series->objectName() == aName) {
                    Reveal(Find<QChartView>(chart));
                    return static_cast<QLineSeries*>(series);
                }
        return nullptr;
    }
    // Brings the tabs that hold aWidget to the front, without moving the focus.
    static void Reveal(QWidget* aWidget)
    {
        for (QWidget* page = aWidget; page && page->parentWidget(); page = page->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(page->parentWidget() ? page->parentWidget()->parentWidget()
                                                                           : nullptr);
                tabs && tabs->indexOf(page) >= 0)
                tabs->setCurrentWidget(page);
    }
    // Brings the page to the front and clicks the radio button of that item.
    void ChooseChartType(const QString& aItem)
    {
        auto* radio = Find<QRadioButton>(u"RadioGroupChartType"_s + aItem);
        Focus(radio);
        QTest::mouseClick(radio, Qt::LeftButton);
    }
};
} // namespace

class TestCharts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void allShowsThreeLinesAndOneTimeOfDayHidesTwo()
    {
        const std::unique_ptr<TDiary> diary = ThreeDays();
        TChartWindow window(*diary);
        QChart* chart = window.Chart(u"ChartHealthValue"_s);
        QLineSeries* series1 = window.Series(u"Series1"_s);
        QLineSeries* series2 = window.Series(u"Series2"_s);
        QLineSeries* series3 = window.Series(u"Series3"_s);

        window.ChooseChartType(u"All"_s);
        QCOMPARE(chart->title(), u"Health value: Temperature"_s);
        QVERIFY(chart->legend()->isVisible());
        QCOMPARE(series1->points(), Expected({36.5, 0, 36.6}));
        QCOMPARE(series2->points(), Expected({36.9, 0, 37.0}));
        QCOMPARE(series3->points(), Expected({37.1, 0, 37.4}));
        QStringList legend;
        for (QLineSeries* series : {series1, series2, series3}) {
            QVERIFY(series->isVisible());
            QVERIFY(chart->legend()->markers(series).first()->isVisible());
            legend << chart->legend()->markers(series).first()->label();
        }
        QCOMPARE(legend, (QStringList{u"Morning"_s, u"Afternoon"_s, u"Evening"_s}));

        window.ChooseChartType(u"Afternoon"_s);
        QVERIFY(!chart->legend()->isVisible());
        QVERIFY(series1->isVisible());
        QVERIFY(!series2->isVisible());
        QVERIFY(!series3->isVisible());
        QCOMPARE(series1->name(), u"Afternoon"_s);
        QCOMPARE(series1->points(), Expected({36.9, 0, 37.0}));

        auto* values = window.Find<QComboBox>(u"ComboBoxHealthValue"_s);
        values->setCurrentIndex(6);
        QCOMPARE(chart->title(), u"Health value: Weight"_s);
        QCOMPARE(series1->points(), Expected({0, 0, 0}));
        QCOMPARE(window.TakeMessages(), QStringList());
        QVERIFY(!window.Form().IsBusy());
    }

    void theRadioGroupLeavesTheWeatherChartAlone()
    {
        const std::unique_ptr<TDiary> diary = ThreeDays();
        TChartWindow window(*diary);
        QChart* weather = window.Chart(u"ChartWeatherValue"_s);
        QLineSeries* line = window.Series(u"LineSeries1"_s);
        QCOMPARE(line->points(), Expected({-3, 0, 4}));
        QSignalSpy refills(line, &QXYSeries::pointsReplaced);

        window.ChooseChartType(u"Evening"_s);
        window.ChooseChartType(u"All"_s);
        QCOMPARE(window.Series(u"Series1"_s)->points().size(), 3);
        QCOMPARE(refills.count(), 0);

        window.Find<QComboBox>(u"ComboBoxWeatherValue"_s)->setCurrentIndex(5);
        QCOMPARE(refills.count(), 1);
        QCOMPARE(weather->title(), u"Weather value: Pressure hPa"_s);
        QCOMPARE(line->points(), Expected({0, 0, 1013.5}));
    }

    void aReadingReachesItsChartWhenTheFieldIsLeft_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("series");
        QTest::addColumn<double>("before");
        QTest::addColumn<double>("after");
        QTest::newRow("health") << u"EditTemperature1"_s << u"38,2"_s << u"Series1"_s << 36.6 << 38.2;
        QTest::newRow("weather") << u"EditWeatherTemperatureMorning"_s << u"-7"_s << u"LineSeries1"_s << 4.0 << -7.0;
    }
    void aReadingReachesItsChartWhenTheFieldIsLeft()
    {
        QFETCH(QString, edit);
        QFETCH(QString, typed);
        QFETCH(QString, series);
        QFETCH(double, before);
        QFETCH(double, after);
        const std::unique_ptr<TDiary> diary = ThreeDays();
        TChartWindow window(*diary);
        QLineSeries* line = window.Series(series);

        QWidget* field = window.Widget(edit);
        window.Focus(field);
        static_cast<QLineEdit*>(field)->selectAll();
        QTest::keyClicks(field, typed);
        QCOMPARE(static_cast<QLineEdit*>(field)->text(), typed);
        QCOMPARE(line->points().last().y(), before);

        window.Focus(window.Widget(u"EditGlucoseLevel3"_s));
        QCOMPARE(window.Series(series)->points().last().y(), after);
        QCOMPARE(window.TakeMessages(), QStringList());
    }

    void aSingleDayIsOneVisiblePoint()
    {
        const std::unique_ptr<TDiary> diary = MakeDiary({March12});
        DayOf(*diary, March12).WeatherHumidity = 60;
        TChartWindow window(*diary);
        for (const QString& name : {u"Series1"_s, u"LineSeries1"_s}) {
            QLineSeries* series = window.Series(name);
            QCOMPARE(series->count(), 1);
            QVERIFY(series->pointsVisible());
            const QPointF point = series->at(0);
            auto* dates = static_cast<QDateTimeAxis*>(series->attachedAxes().at(0));
            auto* values = static_cast<QValueAxis*>(series->attachedAxes().at(1));
            QVERIFY(dates->min().toMSecsSinceEpoch() < point.x() && point.x() < dates->max().toMSecsSinceEpoch());
            QVERIFY(values->min() < point.y() && point.y() < values->max());
        }
    }

    void readingsThatAreNoNumberKeepTheAxesFinite_data()
    {
        QTest::addColumn<QList<double>>("ys");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        QTest::newRow("only NaN") << QList<double>{nan, nan};
        QTest::newRow("infinities") << QList<double>{-inf, 36.6, inf};
        QTest::newRow("extremes") << QList<double>{-1e308, 1e308};
        QTest::newRow("tiny span") << QList<double>{1e-300, 2e-300};
    }
    void readingsThatAreNoNumberKeepTheAxesFinite()
    {
        // A diary file may hold any 64-bit pattern in a reading.
        QFETCH(QList<double>, ys);
        QChart chart;
        auto* dates = new QDateTimeAxis(&chart);
        auto* values = new QValueAxis(&chart);
        chart.addAxis(dates, Qt::AlignBottom);
        chart.addAxis(values, Qt::AlignLeft);
        auto* series = new QLineSeries(&chart);
        chart.addSeries(series);
        series->attachAxis(dates);
        series->attachAxis(values);

        TChartData data;
        data.Lines.push_back({u"Value"_s, true, {}});
        TDateTime x = EncodeDate(March10) + 0.5;
        for (double y : ys)
            data.Lines[0].Points.push_back({x++, y});
        ShowChartData(chart, {series}, data);
        QCOMPARE(series->count(), ys.size());
        QVERIFY(std::isfinite(values->min()) && std::isfinite(values->max()));
        QVERIFY(values->min() < values->max());
        QVERIFY(dates->min() < dates->max());
    }

    void everyAxisLabelIsReadable_data()
    {
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("default size, full stop") << QChar(u'.') << false;
        QTest::newRow("default size, comma") << QChar(u',') << false;
        QTest::newRow("maximised, comma") << QChar(u',') << true;
    }
    void everyAxisLabelIsReadable()
    {
        // Thirty days of a real user's readings; every item of both charts is looked at as drawn.
        QFETCH(QChar, separator);
        QFETCH(bool, maximised);
        TDiary diary;
        for (int i = 0; i < 31; ++i) {
            TDay& day = *diary.GetDay(EncodeDate(March12.addDays(i - 30)) + 0.5);
            for (double* temperature : {&day.TemperatureAtMorning, &day.TemperatureAtLunch, &day.TemperatureAtEvening})
                *temperature = 36.2 + 0.04 * ((i * 7) % 31);
            day.PulseAtMorning = 55 + (i * 11) % 40;
            day.BloodPressureSysAtMorning = 105 + (i * 13) % 45;
            day.BloodPressureDiaAtMorning = 65 + (i * 5) % 30;
            day.OxygenSaturationAtMorning = 94 + i % 6;
            day.GlucoseLevelAtMorning = 4.0 + 0.1 * ((i * 9) % 35);
            day.WeightAtMorning = 78.0 + 0.2 * ((i * 3) % 30);
            day.WeatherTemperatureMorning = -10 + (i * 7) % 30;
            day.WeatherPressure = 990.0 + 1.5 * ((i * 7) % 30);
            day.WeatherHumidity = 30 + (i * 13) % 65;
        }
        TDayPageWindow window(&diary, TRegionalSettings::WithSeparator(separator));
        window.PickDate(March12);
        if (maximised)
            window.Form().showMaximized();
        const auto settle = [] { QTest::qWait(30); };
        settle();

        const auto check = [&](const QString& aChart, const QString& aCombo) {
            auto* view = window.Find<QChartView>(aChart);
            TChartWindow::Reveal(view);
            auto* values = window.Find<QComboBox>(aCombo);
            for (int item = 0; item < values->count(); ++item) {
                values->setCurrentIndex(item);
                settle();
                const QString where = aChart + u": "_s + values->itemText(item);
                int numbers = 0;
                for (QGraphicsItem* graphic : view->scene()->items()) {
                    auto* text = dynamic_cast<QGraphicsTextItem*>(graphic);
                    if (!text || !text->isVisible() || text->toPlainText().isEmpty())
                        continue;
                    const QString label = text->toPlainText();
                    QVERIFY2(!label.contains(u"..."_s) && !label.contains(QChar(0x2026)),
                             qPrintable(where + u" shows "_s + label));
                    bool number = false;
                    QLocale::c().toDouble(QString(label).replace(separator, u'.'), &number);
                    numbers += number ? 1 : 0;
                }
                QVERIFY2(numbers >= 3, qPrintable(where));
            }
        };
        auto* all = window.Find<QRadioButton>(u"RadioGroupChartTypeAll"_s);
        TChartWindow::Reveal(all);
        QTest::mouseClick(all, Qt::LeftButton);
        check(u"ChartHealthValue"_s, u"ComboBoxHealthValue"_s);
        check(u"ChartWeatherValue"_s, u"ComboBoxWeatherValue"_s);
        QCOMPARE(window.TakeMessages(), QStringList());
    }

    void openingAnyPageKeepsTheWindowSize()
    {
        const std::unique_ptr<TDiary> diary = ThreeDays();
        TChartWindow window(*diary);
        const QSize size = window.Form().size();
        QCOMPARE(size.height() - window.Widget(u"MainMenu"_s)->height(), 542);
        window.ChooseChartType(u"All"_s); // the tallest legend
        QTabWidget* all = window.Find<QTabWidget>(u"PageControlAll"_s);
        // A page's layout settles over several rounds of posted events, the charts' last.
        const auto settle = [] { QTest::qWait(30); };
        for (int page = 0; page < all->count(); ++page) {
            all->setCurrentIndex(page);
            settle();
            QVERIFY2(window.Form().size() == size, qPrintable(all->widget(page)->objectName()));
            for (QTabWidget* inner : all->widget(page)->findChildren<QTabWidget*>()) {
                for (int sub = 0; sub < inner->count(); ++sub) {
                    inner->setCurrentIndex(sub);
                    settle();
                    QVERIFY2(window.Form().size() == size, qPrintable(inner->widget(sub)->objectName()));
                }
            }
        }

        // At that size the charts keep a plot area worth reading.
        for (const QString& chart : {u"ChartHealthValue"_s, u"ChartWeatherValue"_s})
            QVERIFY2(window.Chart(chart)->plotArea().height() >= 60, qPrintable(chart));
    }
};

QTEST_MAIN(TestCharts)
#include "test_charts.moc"
