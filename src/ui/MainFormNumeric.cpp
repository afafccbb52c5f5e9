#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"
#include "ui/Widgets.h"
#include "util/Errors.h"

#include <QTabWidget>

using namespace Qt::Literals::StringLiterals;

namespace {
bool IsBackspaceOrDigit(QChar aKey)
{
    return aKey == QChar(8) || (aKey >= u'0' && aKey <= u'9');
}
} // namespace

// The error box of a close refused by an error; where that error is a numeric edit holding no
// number, the box says which edit and that the window stays open until it holds one.
void TmainForm::ShowCloseRefused()
{
    // Only called from a catch block. Refusing the close keeps what the user typed; the box must
    // then say what to correct, or the window seems impossible to close.
    const TDayPages::TFailingEdit failing =
        fDay ? fPages.FirstNumberEditThatDoesNotConvert() : TDayPages::TFailingEdit{};
    QString text;
    try {
        throw;
    } catch (const EConvertError& error) {
        if (failing.Edit)
            text = error.Message();
    } catch (...) {
    }
    if (text.isEmpty()) {
        ShowCurrentException();
        return;
    }
    if (!text.endsWith(u'.'))
        text += u'.';
    const int tab = PageControlAll->indexOf(failing.Page);
    text += u" The window stays open until "_s + failing.Page->CaptionOf(*failing.Edit) + u" on the "_s +
            PageControlAll->tabText(tab).remove(u'&') + u" page holds a number."_s;
    // The edit is brought into view under fBusy: the focus moving there is no commit point, and a
    // date typed into the picker it leaves is dropped.
    GuardShowingErrors(TCursor::Keep, [this, &failing, tab] {
        PageControlAll->setCurrentIndex(tab);
        failing.Edit->setFocus(Qt::OtherFocusReason);
        KeepDatePickerOnShownDay();
    });
    ShowErrorBox(text);
}

void TmainForm::RejectKey(QChar& aKey, const QString& aMessage)
{
    fDialogs->ShowError(this, aMessage);
    aKey = QChar(27); // the edit drops Escape, so the text stays as it was
}

void TmainForm::CheckKeyPressForFloatingPointNumbers(TNumberEdit* aSender, QChar& aKey)
{
    if (IsBackspaceOrDigit(aKey))
        return;
    // The whole text counts, a selected separator included: the filter sees the key alone, not
    // what the edit would make of it.
    const QChar separator = fSettings.DecimalSeparator();
    if (aKey == separator && !(aSender && aSender->text().contains(separator)))
        return;
    RejectKey(aKey, QStringLiteral("Only floating point numbers are allowed!"));
}

void TmainForm::CheckKeyPressForIntegerNumbers(TNumberEdit*, QChar& aKey)
{
    if (IsBackspaceOrDigit(aKey))
        return;
    RejectKey(aKey, QStringLiteral("Only integers are allowed!"));
}

void TmainForm::CheckKeyPressForIntegerNumbersAndMinusSign(TNumberEdit*, QChar& aKey)
{
    // A minus sign is accepted anywhere and any number of times; a misplaced one fails to convert
    // at the next commit.
    if (IsBackspaceOrDigit(aKey) || aKey == u'-')
        return;
    RejectKey(aKey, QStringLiteral("Only integers are allowed!"));
}

void TmainForm::CatchEmptyNumberFieldsOnExit(TNumberEdit*)
{
    GuardShowingErrors(TCursor::Hourglass, [this] { CommitPage(); });
}

void TmainForm::CommitPage()
{
    // Every numeric edit is examined, not only the one left.
    fPages.FillEmptyNumberEdits();
    // A page that holds what is stored leaves the stored days, and so the charts, as they are.
    const bool changed = CheckDialogChanged();
    DialogToDay();
    if (changed)
        FillCharts();
}
