#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"
#include "ui/MainFormPageFields.h"
#include "ui/Widgets.h"
#include "util/Errors.h"
#include "util/NumberFormat.h"
#include "util/ksByteUtils.h"
#include "util/ksDateUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QScopeGuard>

#include <initializer_list>
#include <variant>

std::vector<TmainForm::TPageField> TmainForm::BuildPageFields() const
{
    // Fields 1 to 43 of the page in the order the three walks share: the change check stops at the
    // first difference, and a field that does not convert stops a commit there. Built once the
    // controls exist; every key release walks it.
    // Pulse, blood pressure and oxygen saturation are typed as whole numbers but are decimals in
    // the record, so they are shown and read back as decimals.
    return {
        {TTextBinding{RichEditWhatHappenedAdditionalyToTheTasks, &TDay::WhatHappenedAdditionalyToTheTasks}},
        {TTextBinding{RichEditBreakfast, &TDay::Breakfast}},
        {TTextBinding{RichEditLunch, &TDay::Lunch}},
        {TTextBinding{RichEditBrunch, &TDay::Brunch}},
        {TTextBinding{RichEditTeeCoffeeTime, &TDay::TeeCoffeeTime}},
        {TTextBinding{RichEditDinner, &TDay::Dinner}},

        {TDecimalBinding{EditTemperature1, &TDay::TemperatureAtMorning}},
        {TDecimalBinding{EditPuls1, &TDay::PulseAtMorning}},
        {TCheckBinding{CheckBoxHeartArrhythmiaSymbolAppears1, &TDay::HeartArrhythmiaSymbolAppearsAtMorning}},
        {TDecimalBinding{EditBloodPressureSys1, &TDay::BloodPressureSysAtMorning}},
        {TDecimalBinding{EditBloodPressureDia1, &TDay::BloodPressureDiaAtMorning}},
        {TDecimalBinding{EditOxygenSaturation1, &TDay::OxygenSaturationAtMorning}},
        {TDecimalBinding{EditGlucoseLevel1, &TDay::GlucoseLevelAtMorning}},
        {TDecimalBinding{EditWeight1, &TDay::WeightAtMorning}},

        {TDecimalBinding{EditTemperature2, &TDay::TemperatureAtLunch}},
        {TDecimalBinding{EditPuls2, &TDay::PulseAtLunch}},
        {TCheckBinding{CheckBoxHeartArrhythmiaSymbolAppears2, &TDay::HeartArrhythmiaSymbolAppearsAtLunch}},
        {TDecimalBinding{EditBloodPressureSys2, &TDay::BloodPressureSysAtLunch}},
        {TDecimalBinding{EditBloodPressureDia2, &TDay::BloodPressureDiaAtLunch}},
        {TDecimalBinding{EditOxygenSaturation2, &TDay::OxygenSaturationAtLunch}},
        {TDecimalBinding{EditGlucoseLevel2, &TDay::GlucoseLevelAtLunch}},
        {TDecimalBinding{EditWeight2, &TDay::WeightAtLunch}},

        {TDecimalBinding{EditTemperature3, &TDay::TemperatureAtEvening}},
        {TDecimalBinding{EditPuls3, &TDay::PulseAtEvening}},
        {TCheckBinding{CheckBoxHeartArrhythmiaSymbolAppears3, &TDay::HeartArrhythmiaSymbolAppearsAtEvening}},
        {TDecimalBinding{EditBloodPressureSys3, &TDay::BloodPressureSysAtEvening}},
        {TDecimalBinding{EditBloodPressureDia3, &TDay::BloodPressureDiaAtEvening}},
        {TDecimalBinding{EditOxygenSaturation3, &TDay::OxygenSaturationAtEvening}},
        {TDecimalBinding{EditGlucoseLevel3, &TDay::GlucoseLevelAtEvening}},
        {TDecimalBinding{EditWeight3, &TDay::WeightAtEvening}},

        {TTextBinding{RichEditlHealthCondition, &TDay::HealthCondition}},
        {TWholeBinding{EditWeatherHumidity, &TDay::WeatherHumidity}},
        {TComboBinding{ComboBoxWeatherMoonPhase, &TDay::WeatherMoonPhase}},
        {TDecimalBinding{EditWeatherPressure, &TDay::WeatherPressure}},
        {TWholeBinding{EditWeatherTemperatureAfternoon, &TDay::WeatherTemperatureAfternoon}},
        {TWholeBinding{EditWeatherTemperatureEvening, &TDay::WeatherTemperatureEvening}},
        {TWholeBinding{EditWeatherTemperatureMorning, &TDay::WeatherTemperatureMorning}},
        {TWholeBinding{EditWeatherTemperatureOvernight, &TDay::WeatherTemperatureOvernight}},
        {TWholeBinding{EditWeatherUVIndex, &TDay::WeatherUVIndex}},
        {TComboBinding{ComboBoxWeatherWindDirection, &TDay::WeatherWindDirection}},
        {TWholeBinding{EditWeatherWindSpeed, &TDay::WeatherWindSpeed}},
        {TTextBinding{RichEditWeatherToday, &TDay::Weather}},
        {TTextBinding{RichEditThoughts, &TDay::Thoughts}},
    };
}

void TmainForm::ShowDay()
{
    LabelDayOfWeek->setText(EnglishWeekdayName(fDay->Date));

    const QChar separator = fSettings.DecimalSeparator();
    for (const TPageField& field : fPageFields) {
        std::visit(
            [&](const auto& b) {
                using T = std::decay_t<decltype(b)>;
                if constexpr (std::is_same_v<T, TTextBinding>)
                    b.Control->SetText(fDay->*b.Field);
                else if constexpr (std::is_same_v<T, TComboBinding>)
                    b.Control->setEditText(fDay->*b.Field);
                else if constexpr (std::is_same_v<T, TDecimalBinding>)
                    b.Control->setText(FloatToStr(fDay->*b.Field, separator));
                else if constexpr (std::is_same_v<T, TWholeBinding>)
                    b.Control->setText(IntToStr(fDay->*b.Field));
                else
                    b.Control->setChecked(fDay->*b.Field);
            },
            field.Binding);
    }

    ShowStoredPicture();

    ShowItemLists();

    FillCharts();
}

void TmainForm::DialogToDay()
{
    const auto markWhenDone = qScopeGuard([this] { MarkFilledDay(*fDay); }); // also after a partial store
    // A text that does not convert stops the walk with the conversion error; the fields before it
    // are stored by then, the rest and the picture are not.
    const QChar separator = fSettings.DecimalSeparator();
    for (const TPageField& field : fPageFields) {
        std::visit(
            [&](const auto& b) {
                using T = std::decay_t<decltype(b)>;
                if constexpr (std::is_same_v<T, TTextBinding>)
                    fDay->*b.Field = b.Control->Text();
                else if constexpr (std::is_same_v<T, TComboBinding>)
                    fDay->*b.Field = b.Control->currentText();
                else if constexpr (std::is_same_v<T, TDecimalBinding>)
                    fDay->*b.Field = ReadBackFloat(b.Control->text(), separator);
                else if constexpr (std::is_same_v<T, TWholeBinding>)
                    fDay->*b.Field = StrToInt(b.Control->text());
                else
                    fDay->*b.Field = b.Control->isChecked();
            },
            field.Binding);
    }

    if (fBytes.isEmpty())
        fDay->SetEmptyPicture();
    else
        fDay->Picture = fBytes;
    fBytes.clear();

    StoreTask();
    StoreConversation();
    StoreShopping();
}

void TmainForm::CheckDialogChanged()
{
    PictureToBytes();

    const QChar separator = fSettings.DecimalSeparator();
    bool changed = false;
    for (const TPageField& field : fPageFields) {
        // Numbers are compared as values: 36.60 and 036.6 are the stored 36.6. A NaN differs from
        // everything, itself included.
        changed = std::visit(
            [&](const auto& b) -> bool {
                using T = std::decay_t<decltype(b)>;
                if constexpr (std::is_same_v<T, TTextBinding>)
                    return b.Control->Text() != fDay->*b.Field;
                else if constexpr (std::is_same_v<T, TComboBinding>)
                    return b.Control->currentText() != fDay->*b.Field;
                else if constexpr (std::is_same_v<T, TDecimalBinding>)
                    return !(ReadBackFloat(b.Control->text(), separator) == fDay->*b.Field);
                else if constexpr (std::is_same_v<T, TWholeBinding>)
                    return StrToInt(b.Control->text()) != fDay->*b.Field;
                else
                    return b.Control->isChecked() != fDay->*b.Field;
            },
            field.Binding);
        if (changed)
            break;
    }
    if (!changed)
        changed = !TKSByteUtils::SameByteArray(fDay->Picture, fBytes);
    if (!changed)
        changed = ItemEditorsChanged();

    if (changed)
        SetDialogUpdated(true);
}

TNumberEdit* TmainForm::FirstNumberEditThatDoesNotConvert() const
{
    // The same conversions as the walks, so the edit found is the one a commit stops at.
    const auto converts = [](const auto& aConvert) {
        try {
            aConvert();
            return true;
        } catch (const EConvertError&) {
            return false;
        }
    };
    const QChar separator = fSettings.DecimalSeparator();
    for (const TPageField& field : fPageFields) {
        if (const auto* decimal = std::get_if<TDecimalBinding>(&field.Binding)) {
            if (!converts([&] { ReadBackFloat(decimal->Control->text(), separator); }))
                return decimal->Control;
        } else if (const auto* whole = std::get_if<TWholeBinding>(&field.Binding)) {
            if (!converts([&] { StrToInt(whole->Control->text()); }))
                return whole->Control;
        }
    }
    // The shopping amount goes with the shopping entry, after the page; empty, it counts as 0.
    const QString amount = EditTotalPurchaseAmount->text();
    if (!amount.isEmpty() && !converts([&] { ReadBackFloat(amount, separator); }))
        return EditTotalPurchaseAmount;
    return nullptr;
}

void TmainForm::DateTimePicker1Change()
{
    Guarded(TCursor::Hourglass, [this] {
        // Last step, however the handler ends: when the commit fails the switch does not happen,
        // and the picker goes back to the day still shown, so it never names another day than the
        // one being edited. Run while fBusy is held, so the picker's own change event does nothing.
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        CatchEmptyNumberFieldsOnExit(nullptr);
        TDay* const day = fDiary->GetDay(EncodeDate(DateTimePicker1->date()));
        if (CompareDate(day->Date, fDay->Date) != 0) {
            fDay = day;
            ShowDay();
        }
    });
}

void TmainForm::CheckOnChange()
{
    Guarded(TCursor::Hourglass, [this] { CheckDialogChanged(); });
}

void TmainForm::RichEditKeyUp()
{
    Guarded(TCursor::Keep, [this] { CheckDialogChanged(); });
}


void TmainForm::KeepDatePickerOnShownDay() noexcept
{
    // A date typed into the picker is taken up when the picker loses the focus; a command's dialog
    // can take it while the command holds fBusy, and the date is then dropped. Left in the picker,
    // it would name another day than the page being edited.
    if (!fDay || !DateTimePicker1)
        return;
    const QDate shown = DateOfDateTime(fDay->Date);
    if (DateTimePicker1->date() != shown)
        DateTimePicker1->setDate(shown);
}

void TmainForm::WireDayPageEvents()
{
    fPageFields = BuildPageFields();

    // Typing a date digit by digit passes through dates nobody meant to visit; the picker reports
    // a date only when the choice is complete: a calendar pick, a step, Enter or leaving it.
    DateTimePicker1->setKeyboardTracking(false);
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] { DateTimePicker1Change(); });

    // clicked, unlike toggled, comes from the user only: ShowDay's writes raise nothing here.
    for (QCheckBox* box : {CheckBoxHeartArrhythmiaSymbolAppears1, CheckBoxHeartArrhythmiaSymbolAppears2,
                           CheckBoxHeartArrhythmiaSymbolAppears3})
        connect(box, &QCheckBox::clicked, this, [this] { CheckOnChange(); });
    for (QComboBox* box : {ComboBoxWeatherWindDirection, ComboBoxWeatherMoonPhase})
        connect(box, &QComboBox::editTextChanged, this, [this] { CheckOnChange(); });

    for (TRichEdit* edit :
         {RichEditWhatHappenedAdditionalyToTheTasks, RichEditNotes, RichEditConversation, RichEditShoppingList,
          RichEditBreakfast, RichEditLunch, RichEditBrunch, RichEditTeeCoffeeTime, RichEditDinner,
          RichEditlHealthCondition, RichEditWeatherToday, RichEditThoughts}) {
        // Every change of the text, typed or not (paste, cut, delete and undo from the context menu,
        // a drop, a middle-click paste), runs the check once; the program's own writes find fBusy set.
        connect(edit, &QPlainTextEdit::textChanged, this, [this] { RichEditKeyUp(); });
    }

    using TFilter = void (TmainForm::*)(TNumberEdit*, QChar&);
    const auto wire = [this](std::initializer_list<TNumberEdit*> aEdits, TFilter aFilter) {
        for (TNumberEdit* edit : aEdits) {
            edit->SetKeyFilter([this, aFilter](TNumberEdit* aSender, QChar& aKey) { (this->*aFilter)(aSender, aKey); });
            connect(edit, &TNumberEdit::Exited, this,
                    [this](TNumberEdit* aSender) { CatchEmptyNumberFieldsOnExit(aSender); });
        }
    };
    wire({EditTemperature1, EditTemperature2, EditTemperature3, EditGlucoseLevel1, EditGlucoseLevel2, EditGlucoseLevel3,
          EditWeight1, EditWeight2, EditWeight3, EditWeatherPressure, EditTotalPurchaseAmount},
         &TmainForm::CheckKeyPressForFloatingPointNumbers);
    wire({EditPuls1, EditPuls2, EditPuls3, EditBloodPressureSys1, EditBloodPressureSys2, EditBloodPressureSys3,
          EditBloodPressureDia1, EditBloodPressureDia2, EditBloodPressureDia3, EditOxygenSaturation1,
          EditOxygenSaturation2, EditOxygenSaturation3, EditWeatherHumidity, EditWeatherUVIndex, EditWeatherWindSpeed},
         &TmainForm::CheckKeyPressForIntegerNumbers);
    wire({EditWeatherTemperatureMorning, EditWeatherTemperatureAfternoon, EditWeatherTemperatureEvening,
          EditWeatherTemperatureOvernight},
         &TmainForm::CheckKeyPressForIntegerNumbersAndMinusSign);
}
