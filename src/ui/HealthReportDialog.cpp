#include "ui/HealthReportDialog.h"

#include "ui/DesignFont.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

template <typename T> T* Named(T* aWidget, const QString& aName)
{
    aWidget->setObjectName(aName);
    return aWidget;
}

// Object names of the readings' check boxes, by THealthReading.
const std::array<QString, HealthReadingCount> kReadingBoxNames{u"CheckBoxReportTemperature"_s,
                                                               u"CheckBoxReportPulse"_s,
                                                               u"CheckBoxReportBloodPressureSys"_s,
                                                               u"CheckBoxReportBloodPressureDia"_s,
                                                               u"CheckBoxReportOxygenSaturation"_s,
                                                               u"CheckBoxReportGlucoseLevel"_s,
                                                               u"CheckBoxReportWeight"_s};

} // namespace

THealthReportDialog::THealthReportDialog(const QDate& aShownDate, const TRegionalSettings& aSettings, QWidget* aParent)
    : QDialog(aParent), fShownDate(aShownDate)
{
    setObjectName(u"FormHealthReport"_s);
    setWindowTitle(u"Health report"_s);
    setFont(DesignFont());

    LabelReportRange = Named(new QLabel(u"&Range:"_s, this), u"LabelReportRange"_s);
    ComboBoxReportRange = Named(new QComboBox(this), u"ComboBoxReportRange"_s);
    ComboBoxReportRange->addItems(
        {u"Last 7 days"_s, u"Last 30 days"_s, u"Last 90 days"_s, u"This month"_s, u"Custom range"_s});
    LabelReportRange->setBuddy(ComboBoxReportRange);
    LabelReportFrom = Named(new QLabel(u"&From:"_s, this), u"LabelReportFrom"_s);
    DateTimePickerReportFrom = Named(new QDateEdit(this), u"DateTimePickerReportFrom"_s);
    LabelReportFrom->setBuddy(DateTimePickerReportFrom);
    LabelReportTo = Named(new QLabel(u"&To:"_s, this), u"LabelReportTo"_s);
    DateTimePickerReportTo = Named(new QDateEdit(this), u"DateTimePickerReportTo"_s);
    LabelReportTo->setBuddy(DateTimePickerReportTo);
    for (QDateEdit* picker : {DateTimePickerReportFrom, DateTimePickerReportTo}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(aSettings.ShortDateFormat());
    }

    auto* readings = Named(new QGroupBox(u"Readings"_s, this), u"GroupBoxReportReadings"_s);
    auto* readingsLayout = new QGridLayout(readings);
    for (int i = 0; i < HealthReadingCount; ++i) {
        auto* box = Named(new QCheckBox(HealthReadingName(THealthReading(i)), readings), kReadingBoxNames[size_t(i)]);
        box->setChecked(true);
        readingsLayout->addWidget(box, i % 4, i / 4);
        CheckBoxReportReadings[size_t(i)] = box;
    }

    ButtonReportSaveAsPdf = Named(new QPushButton(u"&Save as PDF..."_s, this), u"ButtonReportSaveAsPdf"_s);
    ButtonReportSaveAsPdf->setDefault(true);
    ButtonReportPrint = Named(new QPushButton(u"&Print..."_s, this), u"ButtonReportPrint"_s);
    ButtonReportCancel = Named(new QPushButton(u"Cancel"_s, this), u"ButtonReportCancel"_s);

    auto* range = new QHBoxLayout;
    range->addWidget(LabelReportRange);
    range->addWidget(ComboBoxReportRange, 1);
    range->addSpacing(12);
    range->addWidget(LabelReportFrom);
    range->addWidget(DateTimePickerReportFrom);
    range->addWidget(LabelReportTo);
    range->addWidget(DateTimePickerReportTo);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonReportSaveAsPdf);
    buttons->addWidget(ButtonReportPrint);
    buttons->addWidget(ButtonReportCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(range);
    layout->addWidget(readings);
    layout->addLayout(buttons);

    connect(ComboBoxReportRange, &QComboBox::currentIndexChanged, this,
            &THealthReportDialog::ComboBoxReportRangeChange);
    connect(DateTimePickerReportFrom, &QDateEdit::dateChanged, this, &THealthReportDialog::DateTimePickerReportChange);
    connect(DateTimePickerReportTo, &QDateEdit::dateChanged, this, &THealthReportDialog::DateTimePickerReportChange);
    connect(ButtonReportSaveAsPdf, &QPushButton::clicked, this, &THealthReportDialog::ButtonReportSaveAsPdfClick);
    connect(ButtonReportPrint, &QPushButton::clicked, this, &THealthReportDialog::ButtonReportPrintClick);
    connect(ButtonReportCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The month a doctor usually asks about: the 30 days up to the day shown.
    ComboBoxReportRange->setCurrentIndex(Last30Days);
    ComboBoxReportRangeChange();
}

QDate THealthReportDialog::From() const
{
    return DateTimePickerReportFrom->date();
}

QDate THealthReportDialog::To() const
{
    return DateTimePickerReportTo->date();
}

std::array<bool, HealthReadingCount> THealthReportDialog::Readings() const
{
    std::array<bool, HealthReadingCount> chosen{};
    for (size_t i = 0; i < chosen.size(); ++i)
        chosen[i] = CheckBoxReportReadings[i]->isChecked();
    return chosen;
}

void THealthReportDialog::ComboBoxReportRangeChange()
{
    QDate from;
    QDate to = fShownDate;
    switch (ComboBoxReportRange->currentIndex()) {
    case Last7Days:
        from = fShownDate.addDays(-6);
        break;
    case Last30Days:
        from = fShownDate.addDays(-29);
        break;
    case Last90Days:
        from = fShownDate.addDays(-89);
        break;
    case ThisMonth:
        from = QDate(fShownDate.year(), fShownDate.month(), 1);
        to = from.addMonths(1).addDays(-1);
        break;
    default:
        // A custom range keeps the dates as they are, for the user to change.
        EnableButtons();
        return;
    }
    fSettingRange = true;
    DateTimePickerReportFrom->setDate(from);
    DateTimePickerReportTo->setDate(to);
    fSettingRange = false;
    EnableButtons();
}

void THealthReportDialog::DateTimePickerReportChange()
{
    if (fSettingRange)
        return;
    // A date changed by hand no longer matches a preset.
    ComboBoxReportRange->setCurrentIndex(CustomRange);
    EnableButtons();
}

void THealthReportDialog::EnableButtons()
{
    const bool valid = From() <= To();
    ButtonReportSaveAsPdf->setEnabled(valid);
    ButtonReportPrint->setEnabled(valid);
}
