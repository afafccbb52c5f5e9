#include "ui/UnitMainForm.h"

#include "charts/ValueChart.h"
#include "model/ChartData.h"
#include "ui/MainFormGuard.h"

#include <QButtonGroup>
#include <QChartView>
#include <QComboBox>

void TmainForm::SearchLast30Days(std::vector<const TDay*>& aDays) const
{
    if (fDiary && fDay)
        ::SearchLast30Days(*fDiary, *fDay, aDays);
}

void TmainForm::FillHealthChart()
{
    TDayWindow days;
    SearchLast30Days(days);
    ShowChartData(*ChartHealthValue->chart(), {Series1, Series2, Series3},
                  HealthChartData(days, RadioGroupChartTypeButtons->checkedId(), ComboBoxHealthValue->currentIndex()));
}

void TmainForm::FillWeatherChart()
{
    TDayWindow days;
    SearchLast30Days(days);
    ShowChartData(*ChartWeatherValue->chart(), {LineSeries1},
                  WeatherChartData(days, ComboBoxWeatherValue->currentIndex()));
}

// The selection controls redraw from the stored days only; what is typed on the page but not yet
// committed stays out of the charts until its field is left.
void TmainForm::ComboBoxHealthValueChange()
{
    Guarded(TCursor::Hourglass, [this] { FillHealthChart(); });
}

void TmainForm::RadioGroupChartTypeClick()
{
    Guarded(TCursor::Hourglass, [this] { FillHealthChart(); });
}

void TmainForm::ComboBoxWeatherValueChange()
{
    Guarded(TCursor::Hourglass, [this] { FillWeatherChart(); });
}

void TmainForm::WireChartEvents()
{
    connect(ComboBoxHealthValue, &QComboBox::currentIndexChanged, this, &TmainForm::ComboBoxHealthValueChange);
    connect(RadioGroupChartTypeButtons, &QButtonGroup::idClicked, this, &TmainForm::RadioGroupChartTypeClick);
    connect(ComboBoxWeatherValue, &QComboBox::currentIndexChanged, this, &TmainForm::ComboBoxWeatherValueChange);
}
