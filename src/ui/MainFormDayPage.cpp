#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QDateEdit>
#include <QLabel>
#include <QScopeGuard>
#include <QTimer>

#include <exception>

// The day page as a whole is the pages of PageControlAll; the steps below walk them in the order
// of a commit (TDayPages).

void TmainForm::ShowDay()
{
    LabelDayOfWeek->setText(EnglishWeekdayName(fDay->Date));
    fPages.ShowDay(*fDay);
    FillCharts();
}

void TmainForm::DialogToDay()
{
    const auto markWhenDone = qScopeGuard([this] { MarkFilledDay(*fDay); }); // also after a partial store
    // A text that does not convert stops the walk with the conversion error; the fields before it
    // are stored by then, the rest, the picture and the entries are not.
    fPages.StoreInto(*fDay);
}

bool TmainForm::CheckDialogChanged()
{
    PictureToBytes();
    const bool changed = fPages.HasChanged(*fDay);
    if (changed)
        SetDialogUpdated(true);
    return changed;
}

void TmainForm::PictureToBytes()
{
    fPages.Picture->PictureToBytes();
}

void TmainForm::DateTimePicker1Change()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        // Last step, however the handler ends: when the commit fails the switch does not happen,
        // and the picker goes back to the day still shown, so it never names another day than the
        // one being edited. Run while fBusy is held, so the picker's own change event does nothing.
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        CommitPage();
        TDay* const day = fDocument.Diary()->GetDay(EncodeDate(DateTimePicker1->date()));
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
    // Typing a date digit by digit passes through dates nobody meant to visit; the picker reports
    // a date only when the choice is complete: a calendar pick, a step, Enter or leaving it.
    DateTimePicker1->setKeyboardTracking(false);
    connect(DateTimePicker1, &QDateEdit::dateChanged, this, [this] { DateTimePicker1Change(); });

    for (TDayPage* page : fPages.All()) {
        // A page shows the day late as the user brings it up, outside any command: its writes
        // into its controls must reach no handler, as inside every command.
        page->SetShowGuard([this](const std::function<void()>& aShow) {
            if (fBusy) {
                aShow();
                return;
            }
            TBusySection section(*this, TCursor::Keep);
            aShow();
        });
        // Shown once the page's show event is over: a box opened inside it would run its event
        // loop while the tab control is half-way through the switch.
        page->SetShowFailure([this](std::exception_ptr aError) {
            QTimer::singleShot(0, this, [this, aError] {
                try {
                    std::rethrow_exception(aError);
                } catch (...) {
                    ShowCurrentException();
                }
            });
        });
        connect(page, &TDayPage::TextEdited, this, &TmainForm::RichEditKeyUp);
        connect(page, &TDayPage::ChoiceChanged, this, &TmainForm::CheckOnChange);
        connect(page, &TDayPage::NumberEditLeft, this, &TmainForm::CatchEmptyNumberFieldsOnExit);
        page->SetNumberKeyFilter([this](TNumberEdit* aEdit, TNumberTyping aTyping, QChar& aKey) {
            switch (aTyping) {
            case TNumberTyping::Decimal:
                CheckKeyPressForFloatingPointNumbers(aEdit, aKey);
                break;
            case TNumberTyping::Whole:
                CheckKeyPressForIntegerNumbers(aEdit, aKey);
                break;
            case TNumberTyping::SignedWhole:
                CheckKeyPressForIntegerNumbersAndMinusSign(aEdit, aKey);
                break;
            case TNumberTyping::None:
                break;
            }
        });
    }

    fPages.Health->SetLateLibrary(fOptions.LateLibrary);
    fPages.Weather->SetLateLibrary(fOptions.LateLibrary);
    const auto chartDays = [this] { return SearchLast30Days(); };
    fPages.Health->SetChartDays(chartDays);
    fPages.Weather->SetChartDays(chartDays);
    connect(fPages.Picture, &TPicturePage::LoadClicked, this, &TmainForm::ButtonLoadPictureFromFileClick);
    connect(fPages.Picture, &TPicturePage::DeleteClicked, this, &TmainForm::ButtonDeleteJpgClick);
    connect(fPages.Health, &THealthPage::ChartValueChosen, this, &TmainForm::ComboBoxHealthValueChange);
    connect(fPages.Health, &THealthPage::ChartTypeClicked, this, &TmainForm::RadioGroupChartTypeClick);
    connect(fPages.Weather, &TWeatherPage::ChartValueChosen, this, &TmainForm::ComboBoxWeatherValueChange);
}
