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
    // A chart is drawn when its page is on the screen, now or when it is next shown; until the
    // stored days, the day or its selection change again, it is not drawn again.
    fPages.Health->ChartDaysChanged();
    fPages.Weather->ChartDaysChanged();
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
