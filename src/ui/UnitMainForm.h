#pragma once

#include "document/DiaryDocument.h"
#include "document/RecoveryKeeper.h"
#include "model/FilledDayNavigation.h"
#include "model/Records.h"
#include "ui/Dialogs.h"
#include "ui/MainFormOptions.h"
#include "ui/pages/DayPages.h"
#include "util/RegionalSettings.h"

#include <QMainWindow>

#include <array>
#include <memory>
#include <vector>

class QAction;
class QDateEdit;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QToolButton;
class TFindPanel;
struct TSearchHit;
class TNumberEdit;

// The one main window, a shell. It owns the menus, the tool bar, the day row (date picker and
// filled-day buttons), the tab control PageControlAll, the day shown and the busy flag. The open
// diary and its file are the document's (TDiaryDocument), its recovery copies the keeper's
// (TRecoveryKeeper); each tab is a page (ui/pages, TDayPages) that owns its controls and their
// state. The window keeps the handler names of the program as entry points: each holds the busy
// guard (MainFormGuard.h) and hands over to a page or to the document. It calls the pages only
// through their own interfaces, never their controls. Its bodies are split by concern:
// MainFormLayout (the shell's controls and wiring), MainFormDayPage (showing, checking and
// committing the page), MainFormNumeric, MainFormItemLists, MainFormPicture, MainFormCharts,
// MainFormNavigation, MainFormExchange, MainFormFind, MainFormHealthReport, MainFormDocument,
// MainFormRecovery (the offer and restore of copies), MainFormExternalChange, MainFormMerge and
// MainFormPassword (the password of an encrypted diary).
class TmainForm : public QMainWindow {
    Q_OBJECT
public:
    using TOptions = TmainFormOptions;

    // Runs FormCreate before it returns; every dialog and message goes through aDialogs.
    TmainForm(std::unique_ptr<TDialogs> aDialogs, TRegionalSettings aSettings, TOptions aOptions = {},
              QWidget* aParent = nullptr);
    ~TmainForm() override;

    // For tests and benchmarks: read-only views of the document state.
    const TDiary* Diary() const { return fDocument.Diary(); }
    const TDay* Day() const { return fDay; }
    const QString& FileName() const { return fDocument.FileName(); }
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
    // The password of the diary (MainFormPassword.cpp).
    void MenuItemSetPasswordClick();
    void MenuItemChangePasswordClick();
    void MenuItemRemovePasswordClick();

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
    void showEvent(QShowEvent* aEvent) override;

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

    // Document commands (MainFormDocument.cpp; the bodies say what each step is for).
    void AskToSaveChanges();
    void SetDialogUpdated(bool aFlag);
    void NewDiary();
    // Reads the file the document names, with aKey when the caller unlocked it already, else asking
    // for its password; EPasswordCancelled passes through.
    bool LoadDiary(std::optional<TDiaryKey> aKey = {});
    void ShowTodayOfOpenedDiary(TDateTime aToday);
    // The diary read at start in the background is complete: what follows the whole diary
    // catches up.
    void WholeDiaryRead();
    // The window is on the screen: the work start-up left for later runs now.
    void AfterFirstPaint();
    void SaveDiary();
    void OpenRecentFile(const QString& aFileName);
    void OpenExistingFile(const QString& aFileName);
    void UpdateRecentFilesMenu();
    void SaveCommand();
    bool SaveAsCommand(); // false: the dialog was cancelled and nothing saved
    void OpenFileCommand();
    void ReplaceDiaryAfterFailedRead();
    void ShowFirstPages();

    // The password of an encrypted diary (MainFormPassword.cpp).
    void CreatePasswordMenuItems(QMenu* aFileMenu);
    // The status bar's mark and the menu items follow whether the diary is encrypted.
    void ShowEncryption();
    // Asks for the password of the diary file named, and again after a wrong one.
    TPasswordPrompt DiaryPasswordPrompt();
    // Asks for the password of the unsaved changes to aDiaryName kept in a recovery copy.
    TPasswordPrompt CopyPasswordPrompt(const QString& aDiaryName);
    // The key of an encrypted file to open, asked for before anything of the open diary changes;
    // nothing for a plain file, or one whose header cannot be read (the read then reports it).
    // EPasswordCancelled passes through.
    std::optional<TDiaryKey> UnlockBeforeOpening(const QString& aFileName);
    // A new password becomes the diary's key, or the key goes (aNewPassword false).
    void ReplacePassword(bool aNewPassword, const QString& aQuestion);
    // The day page as a whole (MainFormDayPage.cpp): the pages' steps in the order of a commit.
    void ShowDay();
    void DialogToDay();
    bool CheckDialogChanged(); // true when the page differs from the day shown
    void PictureToBytes();
    void RejectKey(QChar& aKey, const QString& aMessage);
    // The last step of every handler that shows another day or a dialog: a date typed into the
    // picker meanwhile was dropped, and the picker names the page shown again.
    void KeepDatePickerOnShownDay() noexcept;
    void ShowCloseRefused();
    // Both charts from the stored days of the thirty days up to the day shown (MainFormCharts.cpp).
    std::vector<const TDay*> SearchLast30Days() const;
    void FillCharts();

    void GoToFilledDay(TFilledDayMove aMove);
    // The course both exports share (MainFormExchange.cpp).
    using TProposedName = QString (*)(TDateTime);
    using TMonthWriter = void (*)(const QString&, const std::vector<TDay*>&, const TRegionalSettings&);
    void ExportSelectedMonth(TProposedName aProposedName, const QString& aExtension, const QString& aFilter,
                             TMonthWriter aWrite);
    // The calendar's bold filled days and the find results (MainFormFind.cpp).
    void FollowWholeDiary();
    void MarkFilledDay(const TDay& aDay);
    void StepCalendarDay(int aDays);
    void ShowFoundHit(const TSearchHit& aHit);

    // Ends a command as a failed save ends it, so nothing unsaved is discarded, but quietly: the
    // user cancelled a save the command needed. No std::exception, so the guard's box passes it over.
    struct TSaveCancelled {};
    // Run by SaveDiary (MainFormExternalChange.cpp): when someone else changed the file since it was
    // read or written, asks whether to merge both versions, overwrite it, save under another name
    // or cancel. True: go on and write the file. False: saved under another name instead. Throws
    // TSaveCancelled for Cancel, and after a merge, which leaves its result unsaved.
    bool ConfirmReplaceOfDiaryFile();
    // Joins the file as it is now with the diary (page committed) against the version both started
    // from, asks the user to settle the conflicts, and shows the result unsaved (MainFormMerge.cpp).
    // Throws TSaveCancelled when the user cancels the conflicts, with nothing changed.
    void MergeWithChangedFile();

    // The one busy guard of every handler (MainFormGuard.h): fBusy (and the hourglass when asked)
    // for the body's run; an escaping error shown in the application's error box, or passed on.
    enum class TCursor { Keep, Hourglass };
    template <typename TBody> void GuardShowingErrors(TCursor aCursor, TBody&& aBody);
    template <typename TBody> void GuardPassingErrorsOn(TCursor aCursor, TBody&& aBody);
    void ShowErrorBox(const QString& aText);
    void ShowCurrentException();
    friend class TBusySection;

    // State
    std::unique_ptr<TDialogs> fDialogs;
    TRegionalSettings fSettings;
    TOptions fOptions;
    QString StartFileName() const;

    // The one way the diary is replaced, which first keeps or drops its unsaved changes and forgets
    // every reference into it (aDiary null: the diary is only destroyed).
    void ReplaceDiary(std::unique_ptr<TDiary> aDiary);
    TDiaryDocument fDocument;
    TDay* fDay = nullptr; // the page shown, one of the document's days
    bool fDialogUpdated = false;
    bool fBusy = false;
    bool fClosed = false; // FormClose ran: the close cannot be refused, and runs once
    bool fFirstShown = false;
    bool fWholeDiaryToFollow = false; // a diary opened while still being read waits for WholeDiaryRead

    TFileDialog OpenDialog1; // shared by every command that opens a file: it keeps its last folder
    TFileDialog SaveDialog1;

    // The shell's controls that other code than the layout reads or changes.
    QMenuBar* MainMenu{};
    std::array<QAction*, TKSFileUtils::RecentFileCount> MenuItemRecentFiles{}; // MenuItemRecentFile1..6
    QAction* MenuItemSave{};
    QAction* MenuItemSetPassword{};
    QAction* MenuItemChangePassword{};
    QAction* MenuItemRemovePassword{};
    QLabel* LabelEncrypted{}; // in the status bar while the diary is encrypted
    QToolButton* ToolButtonSaveFile{};
    QDateEdit* DateTimePicker1{};
    QLabel* LabelDayOfWeek{};
    QPushButton* ButtonGoToPreviousFilledDay{};
    QPushButton* ButtonGoToNextFilledDay{};
    QTabWidget* PageControlAll{};
    TDayPages fPages;        // the tabs of PageControlAll
    TFindPanel* FindPanel{}; // made at its first use

    // Recovery copies of unsaved changes: written by the keeper; offered and restored here
    // (MainFormRecovery.cpp).
    std::unique_ptr<TRecoveryKeeper> fRecovery;
    void WireRecovery();
    // Offers the copies left for aDiaryPath (aFileRead: the diary was just read from it; otherwise
    // the file is missing or could not be read), and at start those of diaries never saved. A copy
    // that holds nothing the file lacks is removed unasked. Runs inside the command that opened it.
    void OfferRecoveryCopies(const QString& aDiaryPath, bool aFileRead, bool aAlsoNewDiaries);
    void RestoreRecoveryCopy(const TRecoveryCopy& aCopy, std::unique_ptr<TDiary> aDiary, std::optional<TDiaryKey> aKey);

public:
    // For tests and benchmarks: the folder and session of the copies, the copy kept now (empty when
    // none), a wait for a write still running, and whether the days are copied ahead yet.
    const TRecoveryStore& RecoveryStore() const { return fRecovery->Store(); }
    const QString& RecoveryCopyFile() const { return fRecovery->CopyFile(); }
    void WaitForRecoveryWrite() { fRecovery->WaitForWrite(); }
    bool IsRecoveryPrepared() const { return fRecovery->IsPrepared(); }
};
