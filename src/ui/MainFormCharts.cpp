#include "ui/UnitMainForm.h"

#include "charts/ValueChart.h"
#include "model/ChartData.h"
#include "ui/MainFormGuard.h"

#include <QButtonGroup>
#include <QChartView>
#include <QComboBox>

TDayWindow TmainForm::SearchLast30Days() const
{
    TDayWindow days;
    if (fDiary && fDay)
        ::SearchLast30Days(*fDiary, *fDay, days);
    return days;
}

void TmainForm::FillHealthChart()
{
    FillHealthChart(SearchLast30Days());
}

void TmainForm::FillWeatherChart()
{
    FillWeatherChart(SearchLast30Days());
}

void TmainForm::FillCharts()
{
    const TDayWindow days = SearchLast30Days();
    FillHealthChart(days);
    FillWeatherChart(days);
}

void TmainForm::FillHealthChart(const TDayWindow& aDays)
{
    ShowChartData(*ChartHealthValue->chart(), {Series1, Series2, Series3},
                  HealthChartData(aDays, RadioGroupChartTypeButtons->checkedId(), ComboBoxHealthValue->currentIndex()));
}

void TmainForm::FillWeatherChart(const TDayWindow& aDays)
{
    ShowChartData(*ChartWeatherValue->chart(), {LineSeries1},
                  WeatherChartData(aDays, ComboBoxWeatherValue->currentIndex()));
}

// The selection controls redraw from the stored days only; what is typed on the page but not yet
// committed stays out of the charts until its field is left.
void TmainForm::ComboBoxHealthValueChange()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { FillHealthChart(); });
}

void TmainForm::RadioGroupChartTypeClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { FillHealthChart(); });
}

void TmainForm::ComboBoxWeatherValueChange()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { FillWeatherChart(); });
}

void TmainForm::WireChartEvents()
{
    connect(ComboBoxHealthValue, &QComboBox::currentIndexChanged, this, &TmainForm::ComboBoxHealthValueChange);
    connect(RadioGroupChartTypeButtons, &QButtonGroup::idClicked, this, &TmainForm::RadioGroupChartTypeClick);
    connect(ComboBoxWeatherValue, &QComboBox::currentIndexChanged, this, &TmainForm::ComboBoxWeatherValueChange);
}
