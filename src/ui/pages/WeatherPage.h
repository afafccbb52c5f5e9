#pragma once

#include "model/ChartData.h"
#include "ui/LateLibrary.h"
#include "ui/pages/DayPage.h"

#include <functional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineSeries;
class QTabWidget;
class TWhenShown;

// The weather page: the four temperatures and the afternoon's values, and below them two tabs, the
// weather of the day and the chart of one value over the thirty days up to the day shown. The chart
// is drawn from days it is given, never from the controls; the value it shows is the page's own
// state, kept in its combo box.
class TWeatherPage : public TDayPage {
    Q_OBJECT
public:
    explicit TWeatherPage(const TRegionalSettings& aSettings, QWidget* aParent = nullptr);
    ~TWeatherPage() override;

    // The library the chart comes from, asked for as the page is made; LateLibrary unless set.
    void SetLateLibrary(TLateLibrary aLibrary) { fLateLibrary = std::move(aLibrary); }
    // The chart is drawn from the days aDays gives, asked for only when the chart is to be drawn.
    void SetChartDays(std::function<TDayWindow()> aDays);
    // The stored days or the day shown changed: the chart follows at once while it is on the
    // screen, otherwise when it is next shown.
    void ChartDaysChanged();
    // Draws the chart now, from aDays (a change of the selection, which the user makes on the chart).
    void FillChart(const TDayWindow& aDays);
    // The weather of the day in front.
    void ShowFirstTab();
    void Reveal(TSearchSection aSection) override;

Q_SIGNALS:
    void ChartValueChosen();

private:
    void Build() override;
    QGroupBox* GroupBoxTemperatureMorning{};
    QLabel* LabelTemperatureMorning{};
    TNumberEdit* EditWeatherTemperatureMorning{};
    QGroupBox* GroupBoxTemperatureAfternoon{};
    QLabel* LabelTemperatureAfternoon{};
    TNumberEdit* EditWeatherTemperatureAfternoon{};
    QGroupBox* GroupBoxTemperatureEvening{};
    QLabel* LabelTemperatureEvening{};
    TNumberEdit* EditWeatherTemperatureEvening{};
    QGroupBox* GroupBoxTemperatureOvernight{};
    QLabel* LabelTemperatureOvernight{};
    TNumberEdit* EditWeatherTemperatureOvernight{};
    QGroupBox* GroupBoxAfternoon{};
    QLabel* LabelHumidity{};
    TNumberEdit* EditWeatherHumidity{};
    QLabel* LabelPressure{};
    TNumberEdit* EditWeatherPressure{};
    QLabel* LabelWindDirection{};
    QComboBox* ComboBoxWeatherWindDirection{};
    QLabel* LabelWindSpeed{};
    TNumberEdit* EditWeatherWindSpeed{};
    QLabel* LabelUVIndex{};
    TNumberEdit* EditWeatherUVIndex{};
    QLabel* LabelWeatherMoonPhase{};
    QComboBox* ComboBoxWeatherMoonPhase{};
    QTabWidget* PageControlWeather{};
    QWidget* TabSheet1{};
    TRichEdit* RichEditWeatherToday{};
    QWidget* TabSheet2{};
    QLabel* LabelWeatherValue{};
    QComboBox* ComboBoxWeatherValue{};
    QWidget* ChartWeatherValue{}; // a QChartView, made by the late library
    QLineSeries* LineSeries1{};
    std::function<TDayWindow()> fChartDays;
    TWhenShown* fChartFill{};
    TLateLibrary fLateLibrary = LateLibrary;
    const TLateFunctions* fCharts{}; // from the page's making on
};
