#pragma once

#include "exchange/HealthSummary.h"
#include "util/RegionalSettings.h"

#include <QDate>
#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

// Chooses what the health report shows: a range of days (presets counted back from the day shown,
// or any from/to) and the readings. It ends with the way the report is to leave the program, as
// its result: "Save as PDF...", "Print..." or cancelled.
class THealthReportDialog : public QDialog {
    Q_OBJECT
public:
    enum TResult { Cancelled = QDialog::Rejected, SaveAsPdf = 2, Print = 3 };
    // The items of ComboBoxReportRange, in their order.
    enum TRange { Last7Days, Last30Days, Last90Days, ThisMonth, CustomRange };

    THealthReportDialog(const QDate& aShownDate, const TRegionalSettings& aSettings, QWidget* aParent = nullptr);

    QDate From() const;
    QDate To() const;
    std::array<bool, HealthReadingCount> Readings() const;

    void ComboBoxReportRangeChange();
    void DateTimePickerReportChange();
    void ButtonReportSaveAsPdfClick() { done(SaveAsPdf); }
    void ButtonReportPrintClick() { done(Print); }

private:
    // Save and print need a range that does not end before it starts.
    void EnableButtons();

    QDate fShownDate;
    bool fSettingRange = false; // a preset writes the dates; that is no custom choice
    QLabel* LabelReportRange{};
    QComboBox* ComboBoxReportRange{};
    QLabel* LabelReportFrom{};
    QDateEdit* DateTimePickerReportFrom{};
    QLabel* LabelReportTo{};
    QDateEdit* DateTimePickerReportTo{};
    std::array<QCheckBox*, HealthReadingCount> CheckBoxReportReadings{};
    QPushButton* ButtonReportSaveAsPdf{};
    QPushButton* ButtonReportPrint{};
    QPushButton* ButtonReportCancel{};
};
