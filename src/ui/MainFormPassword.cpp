#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

using namespace Qt::Literals::StringLiterals;

namespace {

QAction* MakePasswordItem(QMenu* aMenu, const QString& aName, const QString& aCaption)
{
    QAction* action = aMenu->addAction(aCaption);
    action->setObjectName(aName);
    return action;
}

} // namespace

void TmainForm::CreatePasswordMenuItems(QMenu* aFileMenu)
{
    aFileMenu->addSeparator()->setObjectName(u"N3"_s);
    MenuItemSetPassword = MakePasswordItem(aFileMenu, u"MenuItemSetPassword"_s, u"Set &password..."_s);
    MenuItemChangePassword = MakePasswordItem(aFileMenu, u"MenuItemChangePassword"_s, u"C&hange password..."_s);
    MenuItemRemovePassword = MakePasswordItem(aFileMenu, u"MenuItemRemovePassword"_s, u"Re&move password"_s);
    connect(MenuItemSetPassword, &QAction::triggered, this, &TmainForm::MenuItemSetPasswordClick);
    connect(MenuItemChangePassword, &QAction::triggered, this, &TmainForm::MenuItemChangePasswordClick);
    connect(MenuItemRemovePassword, &QAction::triggered, this, &TmainForm::MenuItemRemovePasswordClick);
    MenuItemChangePassword->setEnabled(false);
    MenuItemRemovePassword->setEnabled(false);
}

void TmainForm::ShowEncryption()
{
    const bool encrypted = fDocument.IsEncrypted();
    MenuItemSetPassword->setEnabled(!encrypted);
    MenuItemChangePassword->setEnabled(encrypted);
    MenuItemRemovePassword->setEnabled(encrypted);
    // The status bar is made only once a diary needs the mark: plain diaries keep the window's
    // design as it always was.
    if (!LabelEncrypted) {
        if (!encrypted)
            return;
        LabelEncrypted = new QLabel(u"Encrypted"_s, this);
        LabelEncrypted->setObjectName(u"LabelEncrypted"_s);
        LabelEncrypted->setToolTip(u"This diary is saved encrypted: it opens only with its password."_s);
        statusBar()->addPermanentWidget(LabelEncrypted);
        statusBar()->show(); // at once, not once the window's layout gets round to it
    }
    LabelEncrypted->setVisible(encrypted);
}

TPasswordPrompt TmainForm::DiaryPasswordPrompt()
{
    return [this](const QString& aFileName, int aAttempt) {
        const QString name = QDir::toNativeSeparators(aFileName);
        return fDialogs->AskPassword(
            this, aAttempt > 1 ? u"The password is wrong. Enter the password of %1 again, or cancel."_s.arg(name)
                               : u"%1 is encrypted. Enter its password."_s.arg(name));
    };
}

TPasswordPrompt TmainForm::CopyPasswordPrompt(const QString& aDiaryName)
{
    return [this, aDiaryName](const QString&, int aAttempt) {
        return fDialogs->AskPassword(
            this, aAttempt > 1
                      ? u"The password is wrong. Enter the password of the unsaved changes to %1 again, or cancel."_s.arg(
                            aDiaryName)
                      : u"Kestrova found changes to %1 that were not saved. They are encrypted: enter the password "
                        u"they were made with."_s.arg(aDiaryName));
    };
}

std::optional<TDiaryKey> TmainForm::UnlockBeforeOpening(const QString& aFileName)
{
    THourglass hourglass; // deriving the key takes a moment; the prompt itself shows the pointer
    try {
        return UnlockDiaryFile(aFileName, DiaryPasswordPrompt());
    } catch (const EPasswordCancelled&) {
        throw;
    } catch (const EKestrovaError&) {
        // The read that follows meets the same problem and reports it as for any unreadable file.
        return std::nullopt;
    }
}

void TmainForm::ReplacePassword(bool aNewPassword, const QString& aQuestion)
{
    // A number edit that holds no number stops the command before anything is asked.
    CommitPage();
    std::optional<TDiaryKey> key;
    if (aNewPassword) {
        std::optional<TSecret> password = fDialogs->AskNewPassword(this, aQuestion);
        if (!password || password->IsEmpty())
            return;
        THourglass hourglass;
        key = TDiaryKey::Derive(*password, fOptions.NewKeyDerivation ? fOptions.NewKeyDerivation()
                                                                     : TKeyDerivation::New());
    } else if (!fDialogs->AskYesNo(this, aQuestion)) {
        return;
    }
    fDocument.SetKey(std::move(key));
    ShowEncryption();
    // Saved at once: the user asked for the file to be protected (or not) now, and a diary left
    // changed until the next save stays readable on the disk meanwhile, or is lost to a "No" at
    // close. A diary never saved gets the key for its first save.
    SetDialogUpdated(true);
    if (fDocument.HasFileName()) {
        PictureToBytes();
        SaveDiary();
    }
}

namespace {

QString DiaryName(const TDiaryDocument& aDocument)
{
    return aDocument.HasFileName() ? QFileInfo(aDocument.FileName()).fileName() : u"NewFile.Kestrova"_s;
}

} // namespace

void TmainForm::MenuItemSetPasswordClick()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        if (fDocument.IsEncrypted())
            return;
        ReplacePassword(true, u"Enter a password for %1. The diary is then saved encrypted: nobody can read it "
                              u"without the password."_s.arg(DiaryName(fDocument)));
    });
}

void TmainForm::MenuItemChangePasswordClick()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        if (!fDocument.IsEncrypted())
            return;
        ReplacePassword(true, u"Enter the new password for %1."_s.arg(DiaryName(fDocument)));
    });
}

void TmainForm::MenuItemRemovePasswordClick()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        if (!fDocument.IsEncrypted())
            return;
        ReplacePassword(false, u"Remove the password of %1? The diary is then saved unencrypted: anyone who can "
                               u"read the file can read the diary."_s.arg(DiaryName(fDocument)));
    });
}
