#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"
#include "util/ksDateUtils.h"

#include <QDateEdit>
#include <QPushButton>

void TmainForm::ButtonGoToFirstFilledDayClick()
{
    GoToFilledDay(TFilledDayMove::First);
}

void TmainForm::ButtonGoToPreviousFilledDayClick()
{
    GoToFilledDay(TFilledDayMove::Previous);
}

void TmainForm::ButtonGoToNextFilledDayClick()
{
    GoToFilledDay(TFilledDayMove::Next);
}

void TmainForm::ButtonGoToLastFilledDayClick()
{
    GoToFilledDay(TFilledDayMove::Last);
}

void TmainForm::GoToFilledDay(TFilledDayMove aMove)
{
    GuardShowingErrors(TCursor::Hourglass, [this, aMove] {
        // Edits just made count: a page that became filled by them is a page to stop at. A page
        // that does not convert stops the move here, before anything is sorted or shown.
        CommitPage();
        if (fDocument.Diary()->DB.empty())
            return;
        SortDaysByDate(*fDocument.Diary());
        // Shown again even when the target is the page shown: the item editors start over at the
        // first entry of each list. The picker's change event finds fBusy set and does nothing.
        fDay = FindFilledDay(fDocument.Diary()->DB, fDay, aMove);
        DateTimePicker1->setDate(DateOfDateTime(fDay->Date));
        ShowDay();
    });
}
