#include "ui/UnitMainForm.h"

#include "document/DiarySave.h"
#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"
#include "ui/MainFormGuard.h"
#include "ui/UnitAbout.h"
#include "util/FileAccess.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString KestrovaFilter = u"Kestrova- Files (*.Kestrova)|*.Kestrova"_s;
const QString KestrovaExtension = u".Kestrova"_s;

QString CanNotBeOpenedText(const QString& aFileName)
{
    return u"File "_s + aFileName + u" can not be opened! A new file will be opened!"_s;
}

// The menu shows the name alone: the text after the last path separator (or drive colon, where
// paths have drives). A "&" in it is doubled, or the menu would take it as an accelerator.
QString FileNamePart(const QString& aPath)
{
    qsizetype cut = aPath.lastIndexOf(u'/');
#ifdef Q_OS_WIN
    cut = qMax(cut, qMax(aPath.lastIndexOf(u'\\'), aPath.lastIndexOf(u':')));
#endif
    return aPath.mid(cut + 1).replace(u'&', u"&&"_s);
}

// Sets a flag back when a scope ends, however it ends.
class TSetOnExit {
public:
    TSetOnExit(bool& aFlag, bool aValue) : fFlag(aFlag), fValue(aValue) {}
    ~TSetOnExit() { fFlag = fValue; }
    TSetOnExit(const TSetOnExit&) = delete;
    TSetOnExit& operator=(const TSetOnExit&) = delete;

private:
    bool& fFlag;
    bool fValue;
};

} // namespace

QString TmainForm::StartFileName() const
{
    // The file FormCreate is going to open, by the same rules, without reporting anything.
    const QString fileName =
        fOptions.StartFile.isEmpty()
            ? TKSFileUtils::ReadLastFilenameFromRegistry(KestrovaRegistryKey, fOptions.SettingsFormat)
            : QFileInfo(fOptions.StartFile).absoluteFilePath();
    return FileExists(fileName) ? fileName : QString();
}

void TmainForm::FormCreate()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        // Last step of every command that shows another day or a dialog, however it ends: a date
        // typed into the picker is dropped while the command holds fBusy, and the picker must name
        // the day shown again.
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        fDocument.ReadSettings();
        // Without this the six items would stay visible and captionless until the first load.
        UpdateRecentFilesMenu();

        if (!fOptions.StartFile.isEmpty()) {
            // A file the user named explicitly deserves a word when it is missing; the last file
            // of the settings store vanishes silently.
            fDocument.SetFileName(QFileInfo(fOptions.StartFile).absoluteFilePath());
            if (!FileExists(fDocument.FileName()))
                fDialogs->ShowMessage(this, DoesNotExistText(fOptions.StartFile));
        }
        // A diary that vanished, or cannot be read, may still have unsaved changes in a copy.
        QString unread;
        if (!FileExists(fDocument.FileName())) {
            unread = fDocument.HasFileName() ? QFileInfo(fDocument.FileName()).absoluteFilePath() : QString();
            fDocument.SetFileName(QString());
        }

        bool read = false;
        bool locked = false;
        if (fDocument.HasFileName()) {
            try {
                read = LoadDiary();
            } catch (const EPasswordCancelled&) {
                locked = true;
            }
        }
        if (!fDocument.HasFileName()) {
            NewDiary();
        } else if (locked) {
            // No password, no diary: the user starts on an empty one, and the file stays the last
            // and a recent one, to be opened once the password is at hand. Its recovery copies
            // wait for that too.
            ReplaceDiaryAfterFailedRead();
        } else if (!read) {
            fDialogs->ShowMessage(this, CanNotBeOpenedText(fDocument.FileName()));
            unread = fDocument.FileName();
            ReplaceDiaryAfterFailedRead();
        }
        ShowFirstPages();
        SetDialogUpdated(false);
        OfferRecoveryCopies(read ? fDocument.FileName() : unread, read, true);
    });
    // A read not taken is dropped; one still arriving goes on once the window is on the screen.
    if (!fDocument.IsArriving())
        fDocument.StartRead().Discard();
    // Every later command relies on an open diary; should start-up have failed before one existed,
    // the user still gets an empty one.
    if (!fDocument.HasDiary())
        GuardShowingErrors(TCursor::Keep, [this] { NewDiary(); });
}

void TmainForm::FormClose()
{
    // Runs once: afterwards there is no diary to ask about or to commit the page into.
    if (fClosed)
        return;
    // Closing is not refused while a command runs; the flag is held so that no handler runs on
    // the controls while the diary goes away, and it stays set: the window has no diary any more.
    const bool wasBusy = fBusy;
    fBusy = true;
    try {
        AskToSaveChanges();
        // Changes the user did not give up, and could not save, go into a copy for the next start.
        ReplaceDiary(nullptr);
        fDocument.SetKey(std::nullopt); // zeroed now, not when the window is destroyed
    } catch (...) {
        KeepDatePickerOnShownDay(); // the window stays: its picker names the day shown
        fBusy = wasBusy;
        throw;
    }
    fClosed = true;
    fRecovery->Stop();
    fDocument.WriteSettings();
}

void TmainForm::closeEvent(QCloseEvent* aEvent)
{
    try {
        FormClose();
    } catch (...) {
        // The save question ended in a failed save, or a numeric edit holds no number: closing now
        // would throw the unsaved changes away, so the window stays and the user can save
        // elsewhere or correct the edit.
        ShowCloseRefused();
        aEvent->ignore();
        return;
    }
    aEvent->accept();
}

void TmainForm::AskToSaveChanges()
{
    CommitPage();
    if (!IsDialogUpdated())
        return;
    if (fDialogs->AskYesNo(this, u"Do you want to save the file?"_s)) {
        if (fDocument.HasFileName()) {
            PictureToBytes();
            SaveDiary();
        } else {
            // Save As is a command of its own and refuses to run while fBusy is set; the caller's
            // flag is handed over for its run and taken back afterwards. A failed save ends the
            // caller too, so a New or an Open cannot discard what was not saved.
            fBusy = false;
            bool saved = false;
            {
                TSetOnExit takeBack(fBusy, true);
                GuardPassingErrorsOn(TCursor::Keep, [this, &saved] { saved = SaveAsCommand(); });
            }
            // The command goes on; should it replace the diary, the changes go into a copy.
            if (!saved)
                fRecovery->KeepUnsavedChanges();
        }
    } else {
        CommitPage();
        // Given up, but only once the diary really goes: a cancelled Open or the import keeps it,
        // and its copy with it.
        fRecovery->GiveUpUnsavedChanges();
    }
}

void TmainForm::SetDialogUpdated(bool aFlag)
{
    fDialogUpdated = aFlag;
    ToolButtonSaveFile->setEnabled(aFlag);
    MenuItemSave->setEnabled(aFlag);
    fRecovery->FollowUnsavedChanges(aFlag);
}

void TmainForm::ReplaceDiary(std::unique_ptr<TDiary> aDiary)
{
    fRecovery->LetGo();
    // Every reference into the old diary goes before the diary itself, so none can outlive it.
    fDay = nullptr;
    fPages.ForgetEntries();
    fDocument.Replace(std::move(aDiary));
}

void TmainForm::ShowFirstPages()
{
    PageControlAll->setCurrentIndex(0);
    fPages.ShowFirstTabs();
}

void TmainForm::NewDiary()
{
    THourglass hourglass;
    ReplaceDiary(nullptr);
    fDocument.New();
    SetDialogUpdated(false);
    setWindowTitle(u"Kestrova: NewFile.Kestrova"_s);
    ShowEncryption();
    fDay = fDocument.Diary()->GetDay(Now());
    ShowFirstPages();
    DateTimePicker1->setDate(DateOfDateTime(fDay->Date));
    ShowDay();
    FollowWholeDiary();
}

bool TmainForm::LoadDiary(std::optional<TDiaryKey> aKey)
{
    THourglass hourglass;
    ReplaceDiary(nullptr); // every reference into the old diary goes before the read replaces it
    const TDateTime today = Now();
    if (!fDocument.Read(DiaryPasswordPrompt(), std::move(aKey), today))
        return false;
    SetDialogUpdated(false);
    setWindowTitle(u"Kestrova: "_s + fDocument.FileName());
    ShowEncryption();
    UpdateRecentFilesMenu();
    ShowTodayOfOpenedDiary(today);
    return true;
}

// Today's page of a diary just read or restored, on the first tabs, with the charts following it.
// Of a diary still being read only today's page is there: what follows the whole diary waits for
// the rest (WholeDiaryRead).
void TmainForm::ShowTodayOfOpenedDiary(TDateTime aToday)
{
    fDay = fDocument.FirstDay(aToday);
    PageControlAll->setCurrentIndex(0);
    fPages.Health->StartOver(); // the weather keeps its page
    DateTimePicker1->setDate(DateOfDateTime(fDay->Date));
    ShowDay();
    fWholeDiaryToFollow = fDocument.IsArriving();
    if (!fWholeDiaryToFollow)
        FollowWholeDiary();
}

void TmainForm::WholeDiaryRead()
{
    if (!fWholeDiaryToFollow || fClosed)
        return;
    if (fBusy) {
        // A command is running (a dialog may be open); the marks follow once it is done.
        QTimer::singleShot(50, this, &TmainForm::WholeDiaryRead);
        return;
    }
    GuardShowingErrors(TCursor::Keep, [this] {
        fWholeDiaryToFollow = false;
        fDocument.Diary(); // taken now, unless whatever needed it first took it already
        FollowWholeDiary();
        const QString failed = fDocument.TakeArrivalFailure();
        if (!failed.isEmpty()) {
            // The page shown stays, in a diary without a name: nothing replaces the file unasked.
            setWindowTitle(u"Kestrova"_s);
            fDialogs->ShowMessage(this, CanNotBeOpenedText(failed));
        }
    });
}

void TmainForm::ReplaceDiaryAfterFailedRead()
{
    // The partly read diary is gone already; the name stays in the recent list, as the user may
    // want to try it again once the file is repaired.
    fDocument.SetFileName(QString());
    NewDiary();
}

void TmainForm::SaveDiary()
{
    // Another program's version of the file is not replaced unasked (MainFormExternalChange.cpp).
    if (!ConfirmReplaceOfDiaryFile())
        return;
    THourglass hourglass;
    CommitPage();
    fDocument.Save(*fDay);
    SetDialogUpdated(false);
    UpdateRecentFilesMenu();
    const QStringList readable = fDocument.SealPlainBackups();
    if (!readable.isEmpty())
        fDialogs->ShowMessage(this, u"These backups of the diary could not be encrypted and can be read without "
                                    u"the password:\n"_s +
                                        readable.join(u'\n'));
}

void TmainForm::OpenRecentFile(const QString& aFileName)
{
    GuardShowingErrors(TCursor::Hourglass, [this, aFileName] {
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        AskToSaveChanges();
        if (FileExists(aFileName)) {
            OpenExistingFile(aFileName);
        } else {
            fDocument.ForgetRecentFile(aFileName);
            UpdateRecentFilesMenu();
            fDialogs->ShowMessage(this, DoesNotExistText(aFileName));
            OfferRecoveryCopies(aFileName, false, false);
        }
    });
}

void TmainForm::UpdateRecentFilesMenu()
{
    static const std::array<QString, TKSFileUtils::RecentFileCount> prefixes = {u"&A "_s, u"&B "_s, u"&C "_s,
                                                                                u"&D "_s, u"&E "_s, u"&F "_s};
    const auto& items = MenuItemRecentFiles;
    for (size_t k = 0; k < items.size(); ++k) {
        const QString& name = fDocument.RecentFileNames()[k];
        if (name.isEmpty()) {
            items[k]->setText(QString());
            items[k]->setVisible(false);
        } else {
            items[k]->setText(prefixes[k] + FileNamePart(name));
            items[k]->setVisible(true);
        }
    }
}

void TmainForm::MenuItemNewClick()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        AskToSaveChanges();
        THourglass hourglass;
        ReplaceDiary(nullptr);
        NewDiary();
    });
}

void TmainForm::MenuItemOpenFileClick()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        OpenFileCommand();
    });
}

void TmainForm::OpenFileCommand()
{
    AskToSaveChanges();
    // Only the name and the filter are set: the folder and the filter index are what the last
    // use of the shared dialog left.
    OpenDialog1.FileName = fDocument.FileName();
    OpenDialog1.Filter = KestrovaFilter;
    const std::optional<QString> chosen = fDialogs->ExecuteOpen(this, OpenDialog1);
    if (!chosen)
        return;
    if (!FileExists(*chosen)) {
        fDialogs->ShowMessage(this, DoesNotExistText(*chosen));
        OfferRecoveryCopies(*chosen, false, false);
        return;
    }
    OpenExistingFile(*chosen);
}

// Open and Open recent once the file is found: read it, or report it and start a new diary.
void TmainForm::OpenExistingFile(const QString& aFileName)
{
    // An encrypted diary is unlocked while the open one is still there: a password not given
    // changes nothing, as a cancelled file dialog does.
    std::optional<TDiaryKey> key;
    try {
        key = UnlockBeforeOpening(aFileName);
    } catch (const EPasswordCancelled&) {
        return;
    }
    // The diary goes first, under its own name: changes kept in a copy belong to that name.
    ReplaceDiary(nullptr);
    fDocument.SetFileName(aFileName);
    if (LoadDiary(std::move(key))) {
        OfferRecoveryCopies(aFileName, true, false);
        return;
    }
    fDialogs->ShowMessage(this, CanNotBeOpenedText(aFileName));
    const QString unread = aFileName;
    ReplaceDiaryAfterFailedRead();
    OfferRecoveryCopies(unread, false, false);
}

void TmainForm::MenuItemRecentFile1Click()
{
    OpenRecentFile(fDocument.RecentFileNames()[0]);
}

void TmainForm::MenuItemRecentFile2Click()
{
    OpenRecentFile(fDocument.RecentFileNames()[1]);
}

void TmainForm::MenuItemRecentFile3Click()
{
    OpenRecentFile(fDocument.RecentFileNames()[2]);
}

void TmainForm::MenuItemRecentFile4Click()
{
    OpenRecentFile(fDocument.RecentFileNames()[3]);
}

void TmainForm::MenuItemRecentFile5Click()
{
    OpenRecentFile(fDocument.RecentFileNames()[4]);
}

void TmainForm::MenuItemRecentFile6Click()
{
    OpenRecentFile(fDocument.RecentFileNames()[5]);
}

void TmainForm::MenuItemSaveClick()
{
    // An unnamed diary goes to Save As before the flag is tested; Save As tests it itself.
    if (!fDocument.HasFileName()) {
        MenuItemSaveAsClick();
        return;
    }
    GuardShowingErrors(TCursor::Keep, [this] {
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        SaveCommand();
    });
}

// The bodies of Save and Save As without the guard's catch: run by their handlers inside
// GuardShowingErrors, and by the save question, whose caller must stop when the save fails.
void TmainForm::SaveCommand()
{
    PictureToBytes();
    SaveDiary();
}

void TmainForm::MenuItemSaveAsClick()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        SaveAsCommand();
    });
}

bool TmainForm::SaveAsCommand()
{
    const QString remembered = fDocument.FileName();
    if (fDocument.HasFileName()) {
        const QFileInfo current(remembered);
        SaveDialog1.FileName = current.fileName();
        SaveDialog1.InitialDir = current.absolutePath();
    } else {
        SaveDialog1.FileName = QString::number(DateTimePicker1->date().year()) + u"-Diary.Kestrova"_s;
        SaveDialog1.InitialDir = QDir::currentPath();
    }
    SaveDialog1.OverwritePrompt = true;
    SaveDialog1.DefaultExt = u"Kestrova"_s;
    SaveDialog1.Filter = KestrovaFilter;
    SaveDialog1.FilterIndex = 1;

    const std::optional<QString> chosen = fDialogs->ExecuteSave(this, SaveDialog1);
    if (!chosen)
        return false;
    QString fileName = *chosen;
    // Any occurrence counts, so a name such as a.Kestrova.old is taken as the user typed it.
    if (!fileName.contains(KestrovaExtension))
        fileName += KestrovaExtension;

    fDocument.SetFileName(fileName);
    try {
        PictureToBytes();
        SaveDiary();
    } catch (...) {
        // Nothing was written under the new name: the diary stays bound to the file the title
        // names, so the next Save does not aim at a place that just failed.
        fDocument.SetFileName(remembered);
        throw;
    }
    setWindowTitle(u"Kestrova: "_s + fileName);
    fDocument.PutRecentFileFirst(fileName);
    UpdateRecentFilesMenu();
    return true;
}

void TmainForm::MenuItemExitClick()
{
    close();
}

void TmainForm::MenuItemAboutClick()
{
    GuardShowingErrors(TCursor::Keep, [this] {
        const auto pickerLast = qScopeGuard([this] { KeepDatePickerOnShownDay(); });
        TFormAbout about(this);
        fDialogs->ExecuteModal(about);
    });
}
