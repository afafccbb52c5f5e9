#include "ui/pages/HealthPage.h"

#include "exchange/DiarySearch.h"
#include "ui/Widgets.h"
#include "ui/pages/PageControls.h"
#include "ui/pages/WhenShown.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QTabWidget>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int HealthEditWidth = 91;
} // namespace

THealthPage::THealthPage(const TRegionalSettings& aSettings, QWidget* aParent) : TDayPage(aSettings, aParent) {}

void THealthPage::Build()
{
    // Before any control is made: a library that cannot be loaded leaves the page unmade.
    fCharts = &fLateLibrary();
    QWidget* page = this;
    // One group per time of day, a row per column of the records' health table: the reading's
    // label and edit, named after the reading and the time of day, or the arrhythmia check box.
    static const std::array<const char16_t*, TimeOfDayCount> groupNames{u"GroupBoxAtMorning", u"GroupBoxAtLunch",
                                                                        u"GroupBoxAtEvening"};
    static const std::array<const char16_t*, TimeOfDayCount> groupCaptions{u"Morning", u"Afternoon", u"Evening"};
    for (int time = 0; time < TimeOfDayCount; ++time) {
        const QString index = QString::number(time + 1);
        auto* box = Named(new QGroupBox(QString::fromUtf16(groupCaptions[size_t(time)]), page),
                          QString::fromUtf16(groupNames[size_t(time)]));
        box->setFixedSize(246, 244);
        auto* grid = new QGridLayout(box);
        // Tight spacing: the longest label and a 91-pixel edit share 246 pixels.
        grid->setContentsMargins(4, 4, 4, 4);
        grid->setHorizontalSpacing(2);
        int line = 0;
        for (const THealthColumn& column : HealthColumns) {
            if (!column.Reading) {
                auto* check = Named(new QCheckBox(u"Heart arrhythmia symbol appears"_s, box),
                                    u"CheckBoxHeartArrhythmiaSymbolAppears"_s + index);
                check->setLayoutDirection(Qt::RightToLeft); // the caption stands left of the box
                grid->addWidget(check, line++, 0, 1, 2, Qt::AlignLeft);
                continue;
            }
            const THealthReadingField& reading = HealthReadingField(*column.Reading);
            const QString suffix = QString::fromLatin1(reading.ControlStem) + index;
            grid->addWidget(MakeLabel(box, u"Label"_s + suffix, QString::fromUtf16(reading.Name) + u':'), line, 0);
            grid->addWidget(MakeNumberEdit(box, u"Edit"_s + suffix, HealthEditWidth, u"0"_s), line, 1);
            ++line;
        }
        fTimeOfDayBoxes[size_t(time)] = box;
    }

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
        fCharts->MakeChart(TabSheetHealthChart, u"ChartHealthValue"_s, u"Health value:"_s,
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
    for (QGroupBox* box : fTimeOfDayBoxes)
        boxes->addWidget(box);
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
    fChartFill->Outdate(); // nothing drawn yet
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
    if (fChartFill) // a page not made yet draws its chart as it is first shown
        fChartFill->Outdate();
}

void THealthPage::FillChart(const TDayWindow& aDays)
{
    EnsureBuilt();
    fChartFill->MarkDone();
    fCharts->ShowChartData(
        *ChartHealthValue, {Series1, Series2, Series3},
        HealthChartData(aDays, RadioGroupChartTypeButtons->checkedId(), ComboBoxHealthValue->currentIndex()));
}

// A page not made yet starts with its first tab and reading anyway.

void THealthPage::ShowFirstTab()
{
    if (IsBuilt())
        PageControlHealth->setCurrentIndex(0);
}

void THealthPage::StartOver()
{
    if (!IsBuilt())
        return;
    PageControlHealth->setCurrentIndex(0);
    ComboBoxHealthValue->setCurrentIndex(0);
}

void THealthPage::Reveal(TSearchSection aSection)
{
    EnsureBuilt();
    if (aSection == TSearchSection::HealthCondition)
        PageControlHealth->setCurrentWidget(TabSheetHealthCondition);
}
