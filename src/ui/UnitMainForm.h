#pragma once

#include "document/DiaryPrefetch.h"
#include "document/FileFingerprint.h"
#include "document/RecoveryStore.h"
#include "document/ksFileUtils.h"
#include "model/FilledDayNavigation.h"
#include "model/Records.h"
#include "ui/Dialogs.h"
#include "ui/MainFormOptions.h"
#include "ui/pages/DayPages.h"
#include "util/RegionalSettings.h"

#include <QMainWindow>

#include <chrono>
#include <memory>
#include <vector>

class QAction;
class QDateEdit;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QToolButton;
class TFindPanel;
struct TSearchHit;
class TNumberEdit;

// The one main window, a shell around the day's pages. It owns the menus, the tool bar, the day
// row (date picker and filled-day buttons), the tab control PageControlAll and the open diary with
// its document state; each tab is a page (ui/pages, TDayPages) that owns its controls and their
// state. The window keeps the handler names of the program as entry points: each holds the busy
// guard and hands over to a page or to the document code. It calls the pages only through their
// own interfaces, never their controls. Its bodies are split by concern: MainFormLayout (the shell's
// controls and wiring), MainFormDayPage (showing, checking and committing the page), MainFormNumeric
// (number edits), MainFormItemLists, MainFormPicture, MainFormCharts, MainFormNavigation,
// MainFormExchange, MainFormFind, MainFormHealthReport, MainFormDocument, MainFormRecovery and
// MainFormExternalChange.
class TmainForm : public QMainWindow {
    Q_OBJECT
public:
    using TOptions = TmainFormOptions;

    // Runs FormCreate before it returns; every dialog and message goes through aDialogs.
    TmainForm(std::unique_ptr<TDialogs> aDialogs, TRegionalSettings aSettings, TOptions aOptions = {},
              QWidget* aParent = nullptr);
    ~TmainForm() override;

    // For tests and benchmarks: read-only views of the document state.
    const TDiary* Diary() const { return fDiary.get(); }
    const TDay* Day() const { return fDay; }
    const QString& FileName() const { return fFileName; }
    bool IsDialogUpdated() const { return fDialogUpdated; }
    bool IsBusy() const { return fBusy; }
    TDialogs& Dialogs() { return *fDialogs; }
    const TRegionalSettings& Settings() const { return fSettings; }
    // Every tab page shows the day now, as it would once brought up; pages show it late otherwise.
    void ShowDayOnEveryPage() { fPages.CatchUp(); }

    // Event handlers, each wired to its control's event. Document commands (MainFormDocument.cpp):
    void FormCreate();
    void FormClose();
    void MenuItemNewClick();
    void MenuItemOpenFileClick();
    void MenuItemRecentFile1Click();
    void MenuItemRecentFile2Click();
    void MenuItemRecentFile3Click();
    void MenuItemRecentFile4Click();
    void MenuItemRecentFile5Click();
    void MenuItemRecentFile6Click();
    void MenuItemSaveClick();
    void MenuItemSaveAsClick();
    void MenuItemExitClick();
    void MenuItemAboutClick();
    void ToolButtonExitClick() { MenuItemExitClick(); }
    void ToolButtonOpenNewFileClick() { MenuItemNewClick(); }
    void ToolButtonOpenFileClick() { MenuItemOpenFileClick(); }
    void ToolButtonSaveFileClick() { MenuItemSaveClick(); }
    void ToolButtonSaveFileAsClick() { MenuItemSaveAsClick(); }

    // The day page (MainFormDayPage.cpp, MainFormNumeric.cpp).
    void DateTimePicker1Change();
    void CheckOnChange();
    void RichEditKeyUp();
    void CheckKeyPressForFloatingPointNumbers(TNumberEdit* aSender, QChar& aKey);
    void CheckKeyPressForIntegerNumbers(TNumberEdit* aSender, QChar& aKey);
    void CheckKeyPressForIntegerNumbersAndMinusSign(TNumberEdit* aSender, QChar& aKey);
    // The commit step when a number edit is left (aSender: that edit), as its own command. Every
    // other command commits the page with CommitPage, inside the busy section it holds.
    void CatchEmptyNumberFieldsOnExit(TNumberEdit* aSender);
    // The commit step itself: empty number edits get "0", the change check runs, the page is
    // stored into the day shown and the charts follow. Throws EConvertError for an edit that holds
    // no number; the caller holds fBusy.
    void CommitPage();

    // Filled-day navigation, import and exports, picture, charts, find and the day keys, the
    // health report.
    void ButtonGoToFirstFilledDayClick();
    void ButtonGoToPreviousFilledDayClick();
    void ButtonGoToNextFilledDayClick();
    void ButtonGoToLastFilledDayClick();
    void MenuItemExportSelectedMonthAsTextfileClick();
    void MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1Click();
    void MenuItemImportTasksFromACSVFileClick();
    void ButtonLoadPictureFromFileClick();
    void ButtonDeleteJpgClick();
    void ComboBoxHealthValueChange();
    void RadioGroupChartTypeClick();
    void ComboBoxWeatherValueChange();
    void MenuItemFindInDiaryClick();
    void MenuItemPreviousDayClick();
    void MenuItemNextDayClick();
    void MenuItemPreviousFilledDayClick();
    void MenuItemNextFilledDayClick();
    void MenuItemHealthReportClick();

    // The day's item lists (MainFormItemLists.cpp, pages/ItemPages.h).
    void ButtonAddTaskClick();
    void ButtonDeleteTaskClick();
    void ListViewTasksClick();
    void EditTaskChange();
    void DateTimePickerTaskFromChange();
    void DateTimePickerTaskToChange();
    void ButtonAddConversationClick();
    void ButtonDeleteConversationClick();
    void ListViewConversationsClick();
    void EditConversationTitleChange();
    void DateTimePickerFromChange();
    void DateTimePickerToChange();
    void ButtonAddShoppingClick();
    void ButtonDeleteShoppingClick();
    void ListViewShoppingsClick();
    void EditShopChange();
    void EditTotalPurchaseAmountChange();
    void DateTimePickerShoppingFromChange();
    void DateTimePickerShoppingToChange();
    // For other window code, inside a handler's busy section or outside one: the day's entry aID
    // becomes the list's current entry as a click on its row makes it (the editor is stored into
    // the entry left, which may throw EConvertError for a shopping amount), and its row is
    // selected. False, with nothing changed, when the day shown has no such entry.
    bool SelectTaskInList(qint64 aID);
    bool SelectConversationInList(qint64 aID);
    bool SelectShoppingInList(qint64 aID);

protected:
    void closeEvent(QCloseEvent* aEvent) override;

private:
    // The shell's controls and their wiring (MainFormLayout.cpp); each page wires its own.
    void CreateControls();
    void CreateMenus();
    void CreateToolBar();
    void CreateDayRow();
    void CreateFindAndDayKeys();
    void WireEvents();
    void WireDayPageEvents();
    void WireItemListEvents();
    // The item pages' handlers, alike for the three (MainFormItemLists.cpp).
    template <typename TPage> void AddEntry(TPage& aPage);
    template <typename TPage> void DeleteEntry(TPage& aPage);
    template <typename TPage> void SwitchToSelectedEntry(TPage& aPage);
    template <typename TPage> void EntryEditorChanged(TPage& aPage);
    template <typename TPage> bool SelectEntry(TPage& aPage, qint64 aID);

    // Document commands (MainFormDocument.cpp)
    void AskToSaveChanges();
    void SetDialogUpdated(bool aFlag);
    void NewDiary();
    bool LoadDiary();
    // Today's page of a diary just read or restored, on the first tabs, with the charts following it.
    void ShowTodayOfOpenedDiary();
    void SaveDiary();
    void OpenRecentFile(const QString& aFileName);
    // Open and Open recent once the file is found: read it, or report it and start a new diary.
    void OpenExistingFile(const QString& aFileName);
    void UpdateRecentFilesMenu();
    // The bodies of Save and Save As without the guard's catch: run by their handlers inside
    // GuardShowingErrors, and by the save question, whose caller must stop when the save fails.
    void SaveCommand();
    bool SaveAsCommand(); // false: the dialog was cancelled and nothing saved
    void OpenFileCommand();
    void ReplaceDiaryAfterFailedRead();
    void ShowFirstPages();

    // The day page as a whole (MainFormDayPage.cpp): the pages' steps in the order of a commit.
    void ShowDay();
    void DialogToDay();
    bool CheckDialogChanged(); // true when the page differs from the day shown
    void PictureToBytes();
    void RejectKey(QChar& aKey, const QString& aMessage);
    // The picker names the page shown again, whatever was typed into it meanwhile: the last step of
    // every handler that shows another day or a dialog, during which a typed date is dropped.
    void KeepDatePickerOnShownDay() noexcept;
    // The error box of a close refused by an error; where that error is a numeric edit holding no
    // number, the box says which edit and that the window stays open until it holds one.
    void ShowCloseRefused();
    // Both charts are drawn from the stored days of the thirty days up to the day shown, never from
    // the controls (MainFormCharts.cpp).
    std::vector<const TDay*> SearchLast30Days() const;
    void FillCharts();

    void GoToFilledDay(TFilledDayMove aMove);
    // The course both exports share: aProposedName names the file of a month, aWrite writes the
    // month's pages into the chosen file.
    using TProposedName = QString (*)(TDateTime);
    using TMonthWriter = void (*)(const QString&, const std::vector<TDay*>&, const TRegionalSettings&);
    void ExportSelectedMonth(TProposedName aProposedName, const QString& aExtension, const QString& aFilter,
                             TMonthWriter aWrite);
    // The calendar marks and the find results follow the diary as a whole: run when a diary is opened
    // or started, and after a change to many days at once.
    void FollowWholeDiary();
    // The calendar shows aDay's date in bold while the day is filled; run as a commit ends.
    void MarkFilledDay(const TDay& aDay);
    void StepCalendarDay(int aDays);
    void ShowFoundHit(const TSearchHit& aHit);

    // ---- Changes made to the diary file outside this window (MainFormExternalChange.cpp) ----
    // The diary file as this window last read or wrote it (LoadDiary, SaveDiary); it describes no
    // file for a new diary (NewDiary).
    TFileFingerprint fFileFingerprint;
    // Ends a command as a failed save ends it, so nothing unsaved is discarded, but quietly: the
    // user cancelled a save the command needed. No std::exception, so no handler takes it for an
    // error; the busy guard's error box passes it over.
    struct TSaveCancelled {};
    // Run by SaveDiary before it replaces fFileName. When someone else changed the file since this
    // window read or wrote it, asks whether to overwrite it, save under another name or cancel.
    // True: go on and write fFileName. False: the diary was saved under another name instead.
    // Throws TSaveCancelled for Cancel and for a cancelled Save As.
    bool ConfirmReplaceOfDiaryFile();
    // ---- end of the changes made outside ----

    // The one busy guard of every handler (MainFormGuard.h): nothing when fBusy is set; otherwise
    // fBusy (and the hourglass when asked) for the body's run, released also when it throws, and an
    // escaping error shown in the application's error box after the release. No exception leaves.
    enum class TCursor { Keep, Hourglass };
    template <typename TBody> void GuardShowingErrors(TCursor aCursor, TBody&& aBody);
    // The same without the catch: an error ends the caller too.
    template <typename TBody> void GuardPassingErrorsOn(TCursor aCursor, TBody&& aBody);
    // The application's error box: stop icon, the program's name as title, the text with a full stop.
    void ShowErrorBox(const QString& aText);
    void ShowCurrentException();
    friend class TBusySection;

    // State
    std::unique_ptr<TDialogs> fDialogs;
    TRegionalSettings fSettings;
    TOptions fOptions;
    TDiaryPrefetch fStartRead; // the diary start-up will open, read while the controls are built
    QString StartFileName() const;

    // Document state kept by the document commands (MainFormDocument.cpp): the run's recent-files
    // list, and the one way the diary is replaced, which first forgets every reference into the
    // old one (aDiary null: the diary is only destroyed).
    TRecentFileNames fRecentFileNames;
    void ReplaceDiary(std::unique_ptr<TDiary> aDiary);
    std::unique_ptr<TDiary> fDiary;
    TDay* fDay = nullptr;
    QString fFileName;
    bool fDialogUpdated = false;
    bool fBusy = false;
    bool fClosed = false; // FormClose ran: the close cannot be refused, and runs once

    TFileDialog OpenDialog1; // shared by every command that opens a file: it keeps its last folder
    TFileDialog SaveDialog1;

    // The shell's controls that other code than the layout reads or changes.
    QMenuBar* MainMenu{};
    QAction* MenuItemRecentFile1{};
    QAction* MenuItemRecentFile2{};
    QAction* MenuItemRecentFile3{};
    QAction* MenuItemRecentFile4{};
    QAction* MenuItemRecentFile5{};
    QAction* MenuItemRecentFile6{};
    QAction* MenuItemSave{};
    QToolButton* ToolButtonSaveFile{};
    QDateEdit* DateTimePicker1{};
    QLabel* LabelDayOfWeek{};
    QPushButton* ButtonGoToPreviousFilledDay{};
    QPushButton* ButtonGoToNextFilledDay{};
    QTabWidget* PageControlAll{};
    TDayPages fPages;        // the tabs of PageControlAll
    TFindPanel* FindPanel{}; // made at its first use

    // ---- Recovery copy of unsaved changes (MainFormRecovery.cpp) ----
public:
    // For tests and benchmarks: the folder and session of this window's copies, the copy it keeps
    // now (empty when none), and a wait for a write still running.
    const TRecoveryStore& RecoveryStore() const { return *fRecovery; }
    const QString& RecoveryCopyFile() const { return fRecoveryFile; }
    void WaitForRecoveryWrite() { fRecoveryWriter->Wait(); }
    bool IsRecoveryPrepared() const; // the days of the diary are copied ahead of the first copy

private:
    void WireRecovery();
    // Writes a copy when something changed since the last one, unless a command runs: then it
    // tries again shortly, until the window is idle.
    void WriteRecoveryCopyWhenDue();
    // The diary with the page as the controls show it, without touching the controls or the records.
    std::shared_ptr<const TDiarySnapshot> RecoverySnapshot();
    void PageIntoCopy(TDay& aDay) const;
    // Follows SetDialogUpdated: a change makes a copy due; a document that matches its file (or
    // is new) needs none.
    void RecoveryFollowsDialogUpdated(bool aFlag);
    void DeleteRecoveryCopy();
    // What becomes of unsaved changes when their diary goes (replaced or closed), as the last save
    // question was answered: No gives them up; Yes that did not save (a cancelled Save As) keeps
    // them. Until the diary goes, its copy stays and follows every change: the command that asked
    // may still keep the diary (a cancelled Open, the import).
    enum class TUnsavedFate { Keep, Discard };
    TUnsavedFate fUnsavedFate = TUnsavedFate::Keep;
    // Run by ReplaceDiary before the diary goes: a copy of changes to keep is written now and left
    // for the next start to offer; otherwise the copy is removed. Throws EFileError when changes to
    // keep cannot be written: the diary must then stay.
    void LetGoOfUnsavedChanges();
    void KeepRecoveryCopyOfUnsavedChanges();
    static QString CannotBeKeptSafeText(const QString& aReason);
    // The version of the file the diary came from, recorded with every copy.
    TFileFingerprint RecoveryBase() const;
    // A write ended (on the window's thread): a failure makes the copy due again and is retried
    // soon; when it fails again, the status bar says so until a write succeeds.
    void RecoveryWriteEnded(const QString& aProblem);
    void ShowRecoveryProblem(const QString& aProblem); // empty: clears it
    int fRecoveryFailures = 0;
    QString fRecoveryProblem;
    // Offers the copies left for aDiaryPath (aFileRead: the diary was just read from it and is
    // fDiary; otherwise the file is missing or could not be read), and at start those of diaries
    // never saved. A copy that holds nothing the file lacks is removed unasked. Runs inside the
    // command that opened the diary.
    void OfferRecoveryCopies(const QString& aDiaryPath, bool aFileRead, bool aAlsoNewDiaries);
    void RestoreRecoveryCopy(const TRecoveryCopy& aCopy, std::unique_ptr<TDiary> aDiary);
    std::unique_ptr<TRecoveryStore> fRecovery;        // before the writer, which writes through it
    std::unique_ptr<TRecoveryWriter> fRecoveryWriter; // goes first, waiting for its write
    // Keeps the last copy of each day, so that a snapshot shares what did not change.
    TDiarySnapshotter fRecoverySnapshots;
    QTimer* fRecoveryTimer{};
    QTimer* fRecoveryRetry{};   // while a command runs
    QTimer* fRecoveryPrepare{}; // copies the days of a diary just opened, a slice at a time
    void PrepareRecoverySlice();
    bool fRecoveryDue = false;
    QString fRecoveryFile; // the copy this window wrote or restored for the open document
    // ---- end of the recovery copy ----
};
