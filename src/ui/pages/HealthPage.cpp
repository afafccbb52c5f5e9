#include "ui/pages/HealthPage.h"

#include "charts/ValueChart.h"
#include "exchange/DiarySearch.h"
#include "ui/Widgets.h"
#include "ui/pages/PageControls.h"
#include "ui/pages/WhenShown.h"

#include <QButtonGroup>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>

#include <initializer_list>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int HealthEditWidth = 91;
} // namespace

THealthPage::THealthPage(const TRegionalSettings& aSettings, QWidget* aParent) : TDayPage(aSettings, aParent)
{
    QWidget* page = this;
    struct TRow {
        QLabel** Label;
        TNumberEdit** Edit;
        const char* Name; // the edit's name without "Edit"
        QString Caption;
    };
    const auto group = [&](QGroupBox*& aBox, const QString& aName, const QString& aCaption, int aIndex,
                           std::initializer_list<TRow> aRowsBeforeCheck, QCheckBox*& aCheck,
                           std::initializer_list<TRow> aRowsAfterCheck) {
        aBox = Named(new QGroupBox(aCaption, page), aName);
        aBox->setFixedSize(246, 244);
        auto* grid = new QGridLayout(aBox);
        // Tight spacing: the longest label and a 91-pixel edit share 246 pixels.
        grid->setContentsMargins(4, 4, 4, 4);
        grid->setHorizontalSpacing(2);
        int line = 0;
        const auto addRow = [&](const TRow& aRow) {
            const QString suffix = QString::fromLatin1(aRow.Name) + QString::number(aIndex);
            *aRow.Label = MakeLabel(aBox, u"Label"_s + suffix, aRow.Caption);
            *aRow.Edit = MakeNumberEdit(aBox, u"Edit"_s + suffix, HealthEditWidth, u"0"_s);
            grid->addWidget(*aRow.Label, line, 0);
            grid->addWidget(*aRow.Edit, line, 1);
            ++line;
        };
        for (const TRow& row : aRowsBeforeCheck)
            addRow(row);
        aCheck = Named(new QCheckBox(u"Heart arrhythmia symbol appears"_s, aBox),
                       u"CheckBoxHeartArrhythmiaSymbolAppears"_s + QString::number(aIndex));
        aCheck->setLayoutDirection(Qt::RightToLeft); // the caption stands left of the box
        grid->addWidget(aCheck, line++, 0, 1, 2, Qt::AlignLeft);
        for (const TRow& row : aRowsAfterCheck)
            addRow(row);
    };

    group(GroupBoxAtMorning, u"GroupBoxAtMorning"_s, u"Morning"_s, 1,
          {{&LabelTemperature1, &EditTemperature1, "Temperature", u"Temperature:"_s},
           {&LabelPuls1, &EditPuls1, "Puls", u"Pulse:"_s}},
          CheckBoxHeartArrhythmiaSymbolAppears1,
          {{&LabelBloodPressureSys1, &EditBloodPressureSys1, "BloodPressureSys", u"Blood pressure Sys:"_s},
           {&LabelBloodPressureDia1, &EditBloodPressureDia1, "BloodPressureDia", u"Blood pressure Dia:"_s},
           {&LabelOxygenSaturation1, &EditOxygenSaturation1, "OxygenSaturation", u"Oxygen saturation in %:"_s},
           {&LabelGlucoseLevel1, &EditGlucoseLevel1, "GlucoseLevel", u"Glucose level:"_s},
           {&LabelWeight1, &EditWeight1, "Weight", u"Weight:"_s}});
    group(GroupBoxAtLunch, u"GroupBoxAtLunch"_s, u"Afternoon"_s, 2,
          {{&LabelTemperature2, &EditTemperature2, "Temperature", u"Temperature:"_s},
           {&LabelPuls2, &EditPuls2, "Puls", u"Pulse:"_s}},
          CheckBoxHeartArrhythmiaSymbolAppears2,
          {{&LabelBloodPressureSys2, &EditBloodPressureSys2, "BloodPressureSys", u"Blood pressure Sys:"_s},
           {&LabelBloodPressureDia2, &EditBloodPressureDia2, "BloodPressureDia", u"Blood pressure Dia:"_s},
           {&LabelOxygenSaturation2, &EditOxygenSaturation2, "OxygenSaturation", u"Oxygen saturation in %:"_s},
           {&LabelGlucoseLevel2, &EditGlucoseLevel2, "GlucoseLevel", u"Glucose level:"_s},
           {&LabelWeight2, &EditWeight2, "Weight", u"Weight:"_s}});
    group(GroupBoxAtEvening, u"GroupBoxAtEvening"_s, u"Evening"_s, 3,
          {{&LabelTemperature3, &EditTemperature3, "Temperature", u"Temperature:"_s},
           {&LabelPuls3, &EditPuls3, "Puls", u"Pulse:"_s}},
          CheckBoxHeartArrhythmiaSymbolAppears3,
          {{&LabelBloodPressureSys3, &EditBloodPressureSys3, "BloodPressureSys", u"Blood pressure Sys:"_s},
           {&LabelBloodPressureDia3, &EditBloodPressureDia3, "BloodPressureDia", u"Blood pressure Dia:"_s},
           {&LabelOxygenSaturation3, &EditOxygenSaturation3, "OxygenSaturation", u"Oxygen saturation in %:"_s},
           {&LabelGlucoseLevel3, &EditGlucoseLevel3, "GlucoseLevel", u"Glucose level:"_s},
           {&LabelWeight3, &EditWeight3, "Weight", u"Weight:"_s}});

    PageControlHealth = Named(new QTabWidget(page), u"PageControlHealth"_s);
    TabSheetHealthCondition = AddPage(PageControlHealth, u"TabSheetHealthCondition"_s, u"Health condition"_s);
    RichEditlHealthCondition = MakeRichEdit(TabSheetHealthCondition, u"RichEditlHealthCondition"_s);
    auto* conditionLayout = new QVBoxLayout(TabSheetHealthCondition);
    conditionLayout->addWidget(RichEditlHealthCondition);

    TabSheetHealthChart = AddPage(PageControlHealth, u"TabSheetHealthChart"_s,
                                  u"Chart of the health values of the last 30 days up to the selected day"_s);
    LabelHealthValue = MakeLabel(TabSheetHealthChart, u"LabelHealthValue"_s, u"Health value:"_s);
    QStringList healthValues;
    for (const THealthReading reading : AllHealthReadings)
        healthValues << QString::fromUtf16(HealthReadingField(reading).Name);
    ComboBoxHealthValue = MakeComboBox(TabSheetHealthChart, u"ComboBoxHealthValue"_s, false, healthValues);
    RadioGroupChartType = Named(new QWidget(TabSheetHealthChart), u"RadioGroupChartType"_s);
    RadioGroupChartTypeButtons = new QButtonGroup(RadioGroupChartType);
    RadioGroupChartTypeButtons->setObjectName(u"RadioGroupChartTypeButtons"_s);
    auto* radioLayout = new QGridLayout(RadioGroupChartType);
    radioLayout->setContentsMargins(0, 0, 0, 0);
    int column = 0;
    for (const QString& item : {u"Morning"_s, u"Afternoon"_s, u"Evening"_s, u"All"_s}) {
        auto* radio = Named(new QRadioButton(item, RadioGroupChartType), u"RadioGroupChartType"_s + item);
        RadioGroupChartTypeButtons->addButton(radio, column);
        radioLayout->addWidget(radio, 0, column++);
    }
    RadioGroupChartTypeButtons->button(0)->setChecked(true);
    ChartHealthValue =
        MakeChart(TabSheetHealthChart, u"ChartHealthValue"_s, u"Health value:"_s,
                  {{&Series1, u"Series1"_s}, {&Series2, u"Series2"_s}, {&Series3, u"Series3"_s}}, fSettings);
    auto* chartTop = new QHBoxLayout();
    chartTop->addWidget(LabelHealthValue);
    chartTop->addWidget(ComboBoxHealthValue);
    chartTop->addWidget(RadioGroupChartType);
    chartTop->addStretch(1);
    auto* chartLayout = new QVBoxLayout(TabSheetHealthChart);
    chartLayout->addLayout(chartTop);
    chartLayout->addWidget(ChartHealthValue, 1);

    auto* boxes = new QHBoxLayout();
    boxes->addWidget(GroupBoxAtMorning);
    boxes->addWidget(GroupBoxAtLunch);
    boxes->addWidget(GroupBoxAtEvening);
    boxes->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(boxes);
    layout->addWidget(PageControlHealth, 1);
    for (QWidget* tab : {page, TabSheetHealthCondition, TabSheetHealthChart})
        SetPageMargins(*tab);

    fChartFill = new TWhenShown(*ChartHealthValue, [this] {
        if (fChartDays)
            FillChart(fChartDays());
    });
    BindFields();
    connect(ComboBoxHealthValue, &QComboBox::currentIndexChanged, this, &THealthPage::ChartValueChosen);
    connect(RadioGroupChartTypeButtons, &QButtonGroup::idClicked, this, &THealthPage::ChartTypeClicked);
}

THealthPage::~THealthPage()
{
    DeleteControls();
}

void THealthPage::SetChartDays(std::function<TDayWindow()> aDays)
{
    fChartDays = std::move(aDays);
}

void THealthPage::ChartDaysChanged()
{
    fChartFill->Outdate();
}

void THealthPage::FillChart(const TDayWindow& aDays)
{
    fChartFill->MarkDone();
    ShowChartData(*ChartHealthValue->chart(), {Series1, Series2, Series3},
                  HealthChartData(aDays, RadioGroupChartTypeButtons->checkedId(), ComboBoxHealthValue->currentIndex()));
}

void THealthPage::ShowFirstTab()
{
    PageControlHealth->setCurrentIndex(0);
}

void THealthPage::StartOver()
{
    PageControlHealth->setCurrentIndex(0);
    ComboBoxHealthValue->setCurrentIndex(0);
}

void THealthPage::Reveal(TSearchSection aSection)
{
    if (aSection == TSearchSection::HealthCondition)
        PageControlHealth->setCurrentWidget(TabSheetHealthCondition);
}
