#include "ui/UnitMainForm.h"
#include "ui/MainFormPageFields.h"

#include "ui/MainFormGuard.h"
#include "ui/Widgets.h"
#include "util/Errors.h"

#include <QGroupBox>
#include <QLabel>
#include <QTabWidget>

using namespace Qt::Literals::StringLiterals;

namespace {
bool IsBackspaceOrDigit(QChar aKey)
{
    return aKey == QChar(8) || (aKey >= u'0' && aKey <= u'9');
}

// The page of aPages that holds aWidget; -1 if none does.
int PageOf(const QWidget& aWidget, const QTabWidget& aPages)
{
    for (const QWidget* widget = &aWidget; widget; widget = widget->parentWidget()) {
        if (const int page = aPages.indexOf(widget); page >= 0)
            return page;
    }
    return -1;
}

// A numeric edit as the user finds it: its label's caption, the group it stands in and its page,
// for instance "Temperature" (Morning) on the Health page.
QString NumberEditCaption(const TNumberEdit& aEdit, const QTabWidget& aPages)
{
    // Each edit's label carries the edit's name with "Label" for "Edit"; the weather edits' labels
    // leave out "Weather".
    const QString name = aEdit.objectName().mid(4);
    const QLabel* label = aEdit.window()->findChild<QLabel*>(u"Label"_s + name);
    if (!label && name.startsWith(u"Weather"))
        label = aEdit.window()->findChild<QLabel*>(u"Label"_s + name.mid(7));
    QString caption = label ? label->text().trimmed() : name;
    if (caption.endsWith(u':'))
        caption.chop(1);
    caption = u'"' + caption + u'"';
    if (const auto* group = qobject_cast<const QGroupBox*>(aEdit.parentWidget()))
        caption += u" ("_s + group->title() + u')';
    if (const int page = PageOf(aEdit, aPages); page >= 0)
        caption += u" on the "_s + aPages.tabText(page).remove(u'&') + u" page"_s;
    return caption;
}
} // namespace

void TmainForm::ShowCloseRefused()
{
    // Only called from a catch block. Refusing the close keeps what the user typed; the box must
    // then say what to correct, or the window seems impossible to close.
    TNumberEdit* const edit = fDay ? FirstNumberEditThatDoesNotConvert() : nullptr;
    QString text;
    try {
        throw;
    } catch (const EConvertError& error) {
        if (edit)
            text = error.Message();
    } catch (...) {
    }
    if (text.isEmpty()) {
        ShowCurrentException();
        return;
    }
    if (!text.endsWith(u'.'))
        text += u'.';
    text += u" The window stays open until "_s + NumberEditCaption(*edit, *PageControlAll) + u" holds a number."_s;
    // The edit is brought into view under fBusy: the focus moving there is no commit point, and a
    // date typed into the picker it leaves is dropped.
    GuardShowingErrors(TCursor::Keep, [this, edit] {
        PageControlAll->setCurrentIndex(PageOf(*edit, *PageControlAll));
        edit->setFocus(Qt::OtherFocusReason);
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

void TmainForm::CatchEmptyNumberFieldsOnExit(QObject* aSender)
{
    // Without a sender the step belongs to a command that is running; kept for that form's callers.
    if (!aSender) {
        CommitPage();
        return;
    }
    GuardShowingErrors(TCursor::Hourglass, [this] { CommitPage(); });
}

void TmainForm::CommitPage()
{
    // Every numeric edit is examined, not only the one left: an empty one means 0, and so does a
    // lone minus sign in a weather temperature, the only edits where one can be typed.
    const auto fill = [](TNumberEdit* aEdit, TNumberTyping aTyping) {
        if (aEdit->text().isEmpty() || (aTyping == TNumberTyping::SignedWhole && aEdit->text() == u"-"))
            aEdit->setText(QStringLiteral("0"));
    };
    for (const TPageField& field : fPageFields) {
        const auto [edit, typing] = NumberEditOf(field.Binding);
        if (edit)
            fill(edit, typing);
    }
    fill(EditTotalPurchaseAmount, TNumberTyping::Decimal);

    CheckDialogChanged();
    DialogToDay();
    FillCharts();
}
