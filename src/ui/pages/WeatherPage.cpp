#include "ui/pages/WeatherPage.h"

#include "exchange/DiarySearch.h"
#include "ui/Widgets.h"
#include "ui/pages/PageControls.h"
#include "ui/pages/WhenShown.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr int WeatherEditWidth = 57;
} // namespace

TWeatherPage::TWeatherPage(const TRegionalSettings& aSettings, QWidget* aParent) : TDayPage(aSettings, aParent) {}

void TWeatherPage::Build()
{
    // Before any control is made: a library that cannot be loaded leaves the page unmade.
    fCharts = &fLateLibrary();
    QWidget* page = this;
    auto* boxes = new QHBoxLayout();
    const auto temperature = [&](QGroupBox*& aBox, const QString& aBoxName, const QString& aCaption, QLabel*& aLabel,
                                 const QString& aLabelName, TNumberEdit*& aEdit, const QString& aEditName) {
        aBox = Named(new QGroupBox(aCaption, page), aBoxName);
        aBox->setFixedSize(182, 60);
        aLabel = MakeLabel(aBox, aLabelName, u"Temperature:"_s);
        aEdit = MakeNumberEdit(aBox, aEditName, WeatherEditWidth, u"0"_s);
        auto* row = new QHBoxLayout(aBox);
        row->addWidget(aLabel);
        row->addWidget(aEdit);
        row->addStretch(1);
        boxes->addWidget(aBox);
    };
    temperature(GroupBoxTemperatureMorning, u"GroupBoxTemperatureMorning"_s, u"Morning"_s, LabelTemperatureMorning,
                u"LabelTemperatureMorning"_s, EditWeatherTemperatureMorning, u"EditWeatherTemperatureMorning"_s);
    temperature(GroupBoxTemperatureAfternoon, u"GroupBoxTemperatureAfternoon"_s, u"Afternoon"_s,
                LabelTemperatureAfternoon, u"LabelTemperatureAfternoon"_s, EditWeatherTemperatureAfternoon,
                u"EditWeatherTemperatureAfternoon"_s);
    temperature(GroupBoxTemperatureEvening, u"GroupBoxTemperatureEvening"_s, u"Evening"_s, LabelTemperatureEvening,
                u"LabelTemperatureEvening"_s, EditWeatherTemperatureEvening, u"EditWeatherTemperatureEvening"_s);
    temperature(GroupBoxTemperatureOvernight, u"GroupBoxTemperatureOvernight"_s, u"Overnight"_s,
                LabelTemperatureOvernight, u"LabelTemperatureOvernight"_s, EditWeatherTemperatureOvernight,
                u"EditWeatherTemperatureOvernight"_s);
    boxes->addStretch(1);

    GroupBoxAfternoon = Named(new QGroupBox(u"Afternoon"_s, page), u"GroupBoxAfternoon"_s);
    QGroupBox* box = GroupBoxAfternoon;
    // Created in the keyboard order: humidity, pressure, wind direction, wind speed, UV index, moon.
    LabelHumidity = MakeLabel(box, u"LabelHumidity"_s, u"Humidity %:"_s);
    EditWeatherHumidity = MakeNumberEdit(box, u"EditWeatherHumidity"_s, WeatherEditWidth, u"0"_s);
    LabelPressure = MakeLabel(box, u"LabelPressure"_s, u"Pressure hPa:"_s);
    EditWeatherPressure = MakeNumberEdit(box, u"EditWeatherPressure"_s, WeatherEditWidth, u"0"_s);
    LabelWindDirection = MakeLabel(box, u"LabelWindDirection"_s, u"Wind direction:"_s);
    ComboBoxWeatherWindDirection = MakeComboBox(
        box, u"ComboBoxWeatherWindDirection"_s, true,
        {u"North"_s, u"NorthEast"_s, u"East"_s, u"SouthEast"_s, u"South"_s, u"SouthWest"_s, u"West"_s, u"NorthWest"_s});
    LabelWindSpeed = MakeLabel(box, u"LabelWindSpeed"_s, u"Wind speed km/h: "_s);
    EditWeatherWindSpeed = MakeNumberEdit(box, u"EditWeatherWindSpeed"_s, WeatherEditWidth, u"0"_s);
    LabelUVIndex = MakeLabel(box, u"LabelUVIndex"_s, u"UV Index:"_s);
    EditWeatherUVIndex = MakeNumberEdit(box, u"EditWeatherUVIndex"_s, WeatherEditWidth, u"0"_s);
    LabelWeatherMoonPhase = MakeLabel(box, u"LabelWeatherMoonPhase"_s, u"Moon phase:"_s);
    ComboBoxWeatherMoonPhase =
        MakeComboBox(box, u"ComboBoxWeatherMoonPhase"_s, true,
                     {u"New Moon"_s, u"Waxing Crescent Moon"_s, u"First Quarter Moon"_s, u"Waxing Gibbous Moon"_s,
                      u"Full Moon"_s, u"Waning Gibbous Moon"_s, u"Last Quarter Moon"_s, u"Waning Crescent Moon"_s});
    auto* grid = new QGridLayout(box);
    grid->addWidget(LabelHumidity, 0, 0);
    grid->addWidget(EditWeatherHumidity, 0, 1);
    grid->addWidget(LabelPressure, 0, 2);
    grid->addWidget(EditWeatherPressure, 0, 3);
    grid->addWidget(LabelWindDirection, 0, 4);
    grid->addWidget(ComboBoxWeatherWindDirection, 0, 5);
    grid->addWidget(LabelWindSpeed, 0, 6);
    grid->addWidget(EditWeatherWindSpeed, 0, 7);
    grid->addWidget(LabelUVIndex, 1, 0);
    grid->addWidget(EditWeatherUVIndex, 1, 1);
    grid->addWidget(LabelWeatherMoonPhase, 1, 2);
    grid->addWidget(ComboBoxWeatherMoonPhase, 1, 3, 1, 3);
    grid->setColumnStretch(8, 1);

    PageControlWeather = Named(new QTabWidget(page), u"PageControlWeather"_s);
    TabSheet1 = AddPage(PageControlWeather, u"TabSheet1"_s, u"Weather condition today"_s);
    RichEditWeatherToday = MakeRichEdit(TabSheet1, u"RichEditWeatherToday"_s);
    auto* todayLayout = new QVBoxLayout(TabSheet1);
    todayLayout->addWidget(RichEditWeatherToday);

    TabSheet2 = AddPage(PageControlWeather, u"TabSheet2"_s,
                        u"Chart of the weather values for the last 30 days up to the selected day"_s);
    LabelWeatherValue = MakeLabel(TabSheet2, u"LabelWeatherValue"_s, u"Weather value:"_s);
    QStringList weatherValues;
    for (const TWeatherValueField& value : WeatherValueFields)
        weatherValues << QString::fromUtf16(value.ChartItem);
    ComboBoxWeatherValue = MakeComboBox(TabSheet2, u"ComboBoxWeatherValue"_s, false, weatherValues);
    ChartWeatherValue = fCharts->MakeChart(TabSheet2, u"ChartWeatherValue"_s, u"Weather value:"_s,
                                           {{&LineSeries1, u"LineSeries1"_s}}, fSettings);
    // With nothing to list, the legend would only take the plot's room.
    fCharts->HideLegend(*ChartWeatherValue);
    auto* chartTop = new QHBoxLayout();
    chartTop->addWidget(LabelWeatherValue);
    chartTop->addWidget(ComboBoxWeatherValue);
    chartTop->addStretch(1);
    auto* chartLayout = new QVBoxLayout(TabSheet2);
    chartLayout->addLayout(chartTop);
    chartLayout->addWidget(ChartWeatherValue, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(boxes);
    layout->addWidget(GroupBoxAfternoon);
    layout->addWidget(PageControlWeather, 1);
    for (QWidget* tab : {page, TabSheet1, TabSheet2})
        SetPageMargins(*tab);

    fChartFill = new TWhenShown(*ChartWeatherValue, [this] {
        if (fChartDays)
            FillChart(fChartDays());
    });
    fChartFill->Outdate(); // nothing drawn yet
    BindFields();
    connect(ComboBoxWeatherValue, &QComboBox::currentIndexChanged, this, &TWeatherPage::ChartValueChosen);
}

TWeatherPage::~TWeatherPage()
{
    DeleteControls();
}

void TWeatherPage::SetChartDays(std::function<TDayWindow()> aDays)
{
    fChartDays = std::move(aDays);
}

void TWeatherPage::ChartDaysChanged()
{
    if (fChartFill) // a page not made yet draws its chart as it is first shown
        fChartFill->Outdate();
}

void TWeatherPage::FillChart(const TDayWindow& aDays)
{
    EnsureBuilt();
    fChartFill->MarkDone();
    fCharts->ShowChartData(*ChartWeatherValue, {LineSeries1},
                           WeatherChartData(aDays, ComboBoxWeatherValue->currentIndex()));
}

void TWeatherPage::ShowFirstTab()
{
    if (IsBuilt()) // a page not made yet starts with its first tab anyway
        PageControlWeather->setCurrentIndex(0);
}

void TWeatherPage::Reveal(TSearchSection aSection)
{
    EnsureBuilt();
    if (aSection == TSearchSection::Weather)
        PageControlWeather->setCurrentWidget(TabSheet1);
}
