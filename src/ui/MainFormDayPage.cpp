#include "ui/UnitMainForm.h"

#include "model/DayFields.h"

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
    // The page's fields in the order of the day's fields, which the three walks (show, commit,
    // check) share: the change check stops at the first difference, and a field that does not
    // convert stops a commit there. Built once the controls exist; every key release walks it.
    // Pulse, blood pressure and oxygen saturation are typed as whole numbers but are decimals in
    // the record, so they are shown and read back as decimals: the record's type decides.
    std::vector<TPageField> fields;
    for (const TDayField& field : DayFields()) {
        if (!field.Control)
            continue;
        QWidget* const control = findChild<QWidget*>(QString::fromLatin1(field.Control));
        Q_ASSERT_X(control, "BuildPageFields", field.Control);
        std::visit(
            [&](auto aMember) {
                using T = std::remove_reference_t<decltype(std::declval<TDay&>().*aMember)>;
                if constexpr (std::is_same_v<T, QString>) {
                    if (auto* text = qobject_cast<TRichEdit*>(control))
                        fields.push_back({TTextBinding{text, aMember}});
                    else if (auto* combo = qobject_cast<QComboBox*>(control))
                        fields.push_back({TComboBinding{combo, aMember}});
                } else if constexpr (std::is_same_v<T, double>) {
                    if (auto* edit = qobject_cast<TNumberEdit*>(control))
                        fields.push_back({TDecimalBinding{edit, aMember, field.Typing}});
                } else if constexpr (std::is_same_v<T, qint32>) {
                    if (auto* edit = qobject_cast<TNumberEdit*>(control))
                        fields.push_back({TWholeBinding{edit, aMember, field.Typing}});
                } else if constexpr (std::is_same_v<T, bool>) {
                    if (auto* box = qobject_cast<QCheckBox*>(control))
                        fields.push_back({TCheckBinding{box, aMember}});
                }
            },
            field.Member);
    }
    return fields;
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
    GuardShowingErrors(TCursor::Hourglass, [this] {
        // Last step, however the handler ends: when the commit fails the switch does not happen,
        // and the picker goes back to the day still shown, so it never names another day than the
        // one being edited. Run while fBusy is held, so the picker's own change event does nothing.
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        CommitPage();
        TDay* const day = fDiary->GetDay(EncodeDate(DateTimePicker1->date()));
        if (CompareDate(day->Date, fDay->Date) != 0) {
            fDay = day;
            ShowDay();
        }
    });
}

void TmainForm::CheckOnChange()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { CheckDialogChanged(); });
}

void TmainForm::RichEditKeyUp()
{
    GuardShowingErrors(TCursor::Keep, [this] { CheckDialogChanged(); });
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
    // The page's number edits are typed as their fields say; the shopping amount is a decimal.
    for (const TPageField& field : fPageFields) {
        const auto [edit, typing] = NumberEditOf(field.Binding);
        if (!edit)
            continue;
        switch (typing) {
        case TNumberTyping::Decimal:
            wire({edit}, &TmainForm::CheckKeyPressForFloatingPointNumbers);
            break;
        case TNumberTyping::Whole:
            wire({edit}, &TmainForm::CheckKeyPressForIntegerNumbers);
            break;
        case TNumberTyping::SignedWhole:
            wire({edit}, &TmainForm::CheckKeyPressForIntegerNumbersAndMinusSign);
            break;
        case TNumberTyping::None:
            break;
        }
    }
    wire({EditTotalPurchaseAmount}, &TmainForm::CheckKeyPressForFloatingPointNumbers);
}
