#include "ui/UnitMainForm.h"

#include "model/ChartData.h"
#include "ui/MainFormGuard.h"

TDayWindow TmainForm::SearchLast30Days() const
{
    TDayWindow days;
    if (fDocument.Diary() && fDay)
        ::SearchLast30Days(*fDocument.Diary(), *fDay, days);
    return days;
}

void TmainForm::FillCharts()
{
    const TDayWindow days = SearchLast30Days();
    fPages.Health->FillChart(days);
    fPages.Weather->FillChart(days);
}

// The selection controls redraw from the stored days only; what is typed on the page but not yet
// committed stays out of the charts until its field is left.
void TmainForm::ComboBoxHealthValueChange()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { fPages.Health->FillChart(SearchLast30Days()); });
}

void TmainForm::RadioGroupChartTypeClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { fPages.Health->FillChart(SearchLast30Days()); });
}

void TmainForm::ComboBoxWeatherValueChange()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { fPages.Weather->FillChart(SearchLast30Days()); });
}
