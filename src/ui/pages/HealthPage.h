#pragma once

#include "model/ChartData.h"
#include "model/DayFields.h"
#include "ui/LateLibrary.h"
#include "ui/pages/DayPage.h"

#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineSeries;
class QTabWidget;
class TWhenShown;

// The health page: the readings of the three times of day, and below them two tabs, the health
// condition and the chart of one reading over the thirty days up to the day shown. The chart is
// drawn from days it is given, never from the controls; which reading and which time of day it
// shows is the page's own state, kept in its combo box and radio buttons.
class THealthPage : public TDayPage {
    Q_OBJECT
public:
    explicit THealthPage(const TRegionalSettings& aSettings, QWidget* aParent = nullptr);
    ~THealthPage() override;

    // The library the chart comes from, asked for as the page is made; LateLibrary unless set.
    void SetLateLibrary(TLateLibrary aLibrary) { fLateLibrary = std::move(aLibrary); }
    // The chart is drawn from the days aDays gives, asked for only when the chart is to be drawn.
    void SetChartDays(std::function<TDayWindow()> aDays);
    // The stored days or the day shown changed: the chart follows at once while it is on the
    // screen, otherwise when it is next shown.
    void ChartDaysChanged();
    // Draws the chart now, from aDays (a change of the selection, which the user makes on the chart).
    void FillChart(const TDayWindow& aDays);
    // The condition tab in front.
    void ShowFirstTab();
    // As a diary just opened shows it: the condition tab and the first reading of the chart.
    void StartOver();
    void Reveal(TSearchSection aSection) override;

Q_SIGNALS:
    void ChartValueChosen();
    void ChartTypeClicked();

private:
    void Build() override;
    // GroupBoxAtMorning, GroupBoxAtLunch, GroupBoxAtEvening. Their labels, edits and check boxes
    // are reached by name through the page's field binding (PageFields.h).
    std::array<QGroupBox*, TimeOfDayCount> fTimeOfDayBoxes{};
    QTabWidget* PageControlHealth{};
    QWidget* TabSheetHealthCondition{};
    TRichEdit* RichEditlHealthCondition{};
    QWidget* TabSheetHealthChart{};
    QLabel* LabelHealthValue{};
    QComboBox* ComboBoxHealthValue{};
    QWidget* RadioGroupChartType{};
    QButtonGroup* RadioGroupChartTypeButtons{}; // ids 0..3: Morning, Afternoon, Evening, All
    QWidget* ChartHealthValue{};                // a QChartView, made by the late library
    QLineSeries* Series1{};
    QLineSeries* Series2{};
    QLineSeries* Series3{};
    std::function<TDayWindow()> fChartDays;
    TWhenShown* fChartFill{};
    TLateLibrary fLateLibrary = LateLibrary;
    const TLateFunctions* fCharts{}; // from the page's making on
};
