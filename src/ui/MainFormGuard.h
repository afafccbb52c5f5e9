#pragma once

#include "ui/UnitMainForm.h"

#include <QApplication>
#include <QCursor>
#include <QScopeGuard> // for the handlers' last steps that run however they end

// Holds fBusy, and the hourglass when asked, for one handler; both are restored when it ends,
// however it ends.
class TBusySection {
public:
    TBusySection(TmainForm& aForm, TmainForm::TCursor aCursor)
        : fForm(aForm), fHourglass(aCursor == TmainForm::TCursor::Hourglass)
    {
        fForm.fBusy = true;
        if (fHourglass)
            QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    ~TBusySection()
    {
        if (fHourglass)
            QApplication::restoreOverrideCursor();
        fForm.fBusy = false;
    }
    TBusySection(const TBusySection&) = delete;
    TBusySection& operator=(const TBusySection&) = delete;

private:
    TmainForm& fForm;
    bool fHourglass;
};

// Shows the hourglass for a stretch of work inside a handler that already holds fBusy.
class THourglass {
public:
    THourglass() { QApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~THourglass() { QApplication::restoreOverrideCursor(); }
    THourglass(const THourglass&) = delete;
    THourglass& operator=(const THourglass&) = delete;
};

// Nothing when fBusy is set; otherwise fBusy (and the hourglass when asked) for the body's run,
// released also when it throws, and an escaping error shown in the application's error box (stop
// icon, the program's name as title, the text with a full stop) after the release. No exception
// leaves.
template <typename TBody> void TmainForm::GuardShowingErrors(TCursor aCursor, TBody&& aBody)
{
    if (fBusy)
        return;
    try {
        TBusySection section(*this, aCursor);
        aBody();
    } catch (...) {
        ShowCurrentException();
    }
}

// The same without the catch: an error ends the caller too.
template <typename TBody> void TmainForm::GuardPassingErrorsOn(TCursor aCursor, TBody&& aBody)
{
    if (fBusy)
        return;
    TBusySection section(*this, aCursor);
    aBody();
}
