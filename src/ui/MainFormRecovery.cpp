#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"
#include "ui/Widgets.h"
#include "util/Errors.h"
#include "util/FileAccess.h"
#include "util/NumberFormat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include <new>
#include <variant>

using namespace Qt::Literals::StringLiterals;

void TmainForm::WireRecovery()
{
    TRecoveryKeeper::TWindow window;
    window.Busy = [this] { return fBusy; };
    window.DayShown = [this] { return static_cast<const TDay*>(fDay); };
    window.PageIntoCopy = [this](TDay& aDay) { fPages.CopyInto(aDay, *fDay); };
    window.HasUnsavedChanges = [this] { return fDialogUpdated; };
    window.ShowProblem = [this](const QString& aText) {
        if (aText.isEmpty())
            statusBar()->clearMessage();
        else
            statusBar()->showMessage(aText);
    };
    fRecovery = std::make_unique<TRecoveryKeeper>(
        this, fDocument, std::move(window),
        TRecoveryKeeper::TOptions{fOptions.RecoveryFolder, fOptions.RecoveryInterval, fOptions.RecoveryThread});

    // The user turning to another program is the moment a machine is most often left alone, or a
    // session ended; whatever is unsaved goes into the copy then, not a minute later.
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState aState) {
        if (aState != Qt::ApplicationActive && !fClosed)
            fRecovery->WriteWhenDue();
    });

    // Typing in a numeric edit reaches the change check only when the edit is left, but it is a
    // change all the same, and the copy takes the edit's text.
    for (TDayPage* page : fPages.All())
        page->SetUpNumberEdits([this](const TTypedNumberEdit& aEdit) {
            connect(aEdit.Edit, &QLineEdit::textEdited, this, [this] { fRecovery->MarkDue(); });
        });
}

void TmainForm::OfferRecoveryCopies(const QString& aDiaryPath, bool aFileRead, bool aAlsoNewDiaries)
{
    QList<TRecoveryCopy> copies;
    if (!aDiaryPath.isEmpty())
        copies = fRecovery->Store().CopiesToOffer(aDiaryPath);
    if (aAlsoNewDiaries)
        copies += fRecovery->Store().CopiesToOffer(QString());
    if (copies.isEmpty())
        return; // and the diary being read at start goes on in the background
    // The diary as its file holds it, just read and not yet changed; none when the file is missing
    // or could not be read.
    const TDiary* const fileDiary = aFileRead ? fDocument.Diary() : nullptr;
    TFileFingerprint fileFingerprint = aFileRead ? fDocument.Fingerprint() : TFileFingerprint{};
    if (!aFileRead && !aDiaryPath.isEmpty() && FileExists(aDiaryPath)) {
        // A file that cannot be read as a diary is still a version the changes were not made on.
        try {
            fileFingerprint = FingerprintOfFile(aDiaryPath);
        } catch (const EKestrovaError&) {
        }
    }

    const QLocale& locale = fSettings.Locale();
    for (const TRecoveryCopy& copy : copies) {
        const QString name = copy.DiaryPath.isEmpty() ? u"NewFile.Kestrova"_s : QFileInfo(copy.DiaryPath).fileName();
        const QDateTime written = copy.Written.toLocalTime();
        const QString when = locale.toString(written.date(), fSettings.ShortDateFormat()) + u' ' +
                             locale.toString(written.time(), fSettings.LongTimeFormat());
        // Read before asking: a copy that cannot be restored is not offered, and one that was
        // offered restores whole.
        TRecoveryRead read;
        {
            THourglass hourglass; // an encrypted copy's key takes a moment
            read = fRecovery->Store().Read(copy, fDocument.Key().get(), CopyPasswordPrompt(name));
        }
        if (read.Locked)
            continue; // without its password the copy stays as it is, for a later offer
        if (!read.Diary) {
            const QString kept = read.KeptAs.isEmpty()
                                     ? u"It stays at %1."_s.arg(QDir::toNativeSeparators(copy.File))
                                     : u"It is kept as %1."_s.arg(QDir::toNativeSeparators(read.KeptAs));
            fDialogs->ShowMessage(this, u"Kestrova found changes to %1 that were not saved (from %2), but they can "
                                        u"not be read (%3). %4"_s.arg(name, when, read.Problem, kept));
            continue;
        }
        const TRecoveryOffer offer =
            DecideRecoveryOffer(copy, *read.Diary, copy.DiaryPath.isEmpty() ? nullptr : fileDiary, fileFingerprint);
        if (offer == TRecoveryOffer::NothingNew) {
            fRecovery->Store().Remove(copy.File); // everything it holds is in the file
            continue;
        }
        QString text = u"Kestrova found changes to %1 that were not saved (from %2)."_s.arg(name, when);
        if (offer == TRecoveryOffer::OfferChangedElsewhere)
            text += u" %1 was also changed elsewhere since these changes were made."_s.arg(name);
        text += u" Restore them?"_s;
        const int choice = fDialogs->AskChoice(this, text, {u"&Restore"_s, u"&Discard"_s, u"&Later"_s});
        if (choice == 0) {
            RestoreRecoveryCopy(copy, std::move(read.Diary), std::move(read.Key));
            return; // one document at a time: the other copies wait for their next offer
        }
        if (choice == 1)
            fRecovery->Store().Remove(copy.File);
        // Later: the copy stays, and is offered again at the next start or opening of the diary.
    }
}

void TmainForm::RestoreRecoveryCopy(const TRecoveryCopy& aCopy, std::unique_ptr<TDiary> aDiary,
                                    std::optional<TDiaryKey> aKey)
{
    THourglass hourglass;
    ReplaceDiary(nullptr);
    // The diary keeps its own name, so a save goes where the user expects it, but nothing is
    // written there until the user saves. A copy that was encrypted is saved under its key.
    fDocument.Restore(std::move(aDiary), aCopy.DiaryPath, aCopy.Base, std::move(aKey));
    ShowEncryption();
    setWindowTitle(fDocument.HasFileName() ? u"Kestrova: "_s + fDocument.FileName() : u"Kestrova: NewFile.Kestrova"_s);
    ShowTodayOfOpenedDiary(Now());
    SetDialogUpdated(true);
    fRecovery->Adopt(aCopy);
}
