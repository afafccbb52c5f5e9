#pragma once

#include "document/DiaryPrefetch.h"
#include "document/FileFingerprint.h"
#include "document/RecoveryStore.h"
#include "document/ksFileUtils.h"
#include "model/FilledDayNavigation.h"
#include "model/Records.h"
#include "ui/Dialogs.h"
#include "ui/ItemList.h"
#include "util/RegionalSettings.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>

#include <chrono>
#include <memory>
#include <vector>

class QAction;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QMenuBar;
class QPushButton;
class QTabWidget;
class QTimer;
class QTimeEdit;
class QToolBar;
class QToolButton;
class QTreeWidget;
class QChartView;
class QLineSeries;
class TImageBox;
class TFindPanel;
struct TSearchHit;
enum class TSearchSection;
class TNumberEdit;
class TRichEdit;

// What the main window takes from outside besides its dialogs and regional settings
// (TmainForm::TOptions). The program sets StartFile at most; tests fix the clock of the backups
// and reach the other seams through it.
struct TmainFormOptions {
    TmainFormOptions() = default;
    TmainFormOptions(QString aStartFile) : StartFile(std::move(aStartFile)) {} // {file} names the start file

    QString StartFile;     // a diary named on the command line, opened instead of the last file
    TBackupOptions Backup; // the date of the backups and the wait after each
    QSettings::Format SettingsFormat = QSettings::NativeFormat; // the settings store's format
    TDiaryPrefetch::TLauncher StartThread; // runs the start-up read beside the building of the window
    // Recovery copies of unsaved changes (MainFormRecovery.cpp): where they go, how often they are
    // written at most, and the thread that writes them.
    QString RecoveryFolder; // empty: TRecoveryStore::DefaultFolder()
    std::chrono::milliseconds RecoveryInterval{60000};
    TRecoveryWriter::TLauncher RecoveryThread;
};

// The one main window. It owns the open diary and ties the day page, the document commands, the
// item lists, the charts and the exchange commands together. The class is split over several .cpp
// files by concern: MainFormLayout (controls and wiring), MainFormDocument (document commands),
// MainFormDayPage (showing, checking and committing the page), MainFormNumeric (numeric edits),
// MainFormItemLists (tasks, conversations, shopping trips), MainFormPicture (picture of the day),
// MainFormNavigation (filled-day buttons), MainFormCharts (value charts), MainFormExchange (import
// and exports), MainFormFind (find in diary, calendar marks, day keys).
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

    // Event handlers, each wired to its control's event.
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

    void DateTimePicker1Change();
    void CheckOnChange();
    void RichEditKeyUp();
    void CheckKeyPressForFloatingPointNumbers(TNumberEdit* aSender, QChar& aKey);
    void CheckKeyPressForIntegerNumbers(TNumberEdit* aSender, QChar& aKey);
    void CheckKeyPressForIntegerNumbersAndMinusSign(TNumberEdit* aSender, QChar& aKey);
    // The commit step when a number edit is left (aSender: that edit), as its own command. Every
    // other command commits the page with CommitPage, inside the busy section it holds.
    void CatchEmptyNumberFieldsOnExit(QObject* aSender);
    // The commit step itself: empty number edits get "0", the change check runs, the page is
    // stored into the day shown and the charts follow. Throws EConvertError for an edit that holds
    // no number; the caller holds fBusy.
    void CommitPage();

    // Filled-day navigation (MainFormNavigation.cpp) and the import and export commands
    // (MainFormExchange.cpp).
    void ButtonGoToFirstFilledDayClick();
    void ButtonGoToPreviousFilledDayClick();
    void ButtonGoToNextFilledDayClick();
    void ButtonGoToLastFilledDayClick();
    void MenuItemExportSelectedMonthAsTextfileClick();
    void MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1Click();
    void MenuItemImportTasksFromACSVFileClick();

private:
    void WireNavigationAndExchangeEvents();
    void GoToFilledDay(TFilledDayMove aMove);
    // The course both exports share: aProposedName names the file of a month, aWrite writes the
    // month's pages into the chosen file.
    using TProposedName = QString (*)(TDateTime);
    using TMonthWriter = void (*)(const QString&, const std::vector<TDay*>&, const TRegionalSettings&);
    void ExportSelectedMonth(TProposedName aProposedName, const QString& aExtension, const QString& aFilter,
                             TMonthWriter aWrite);

public:
    // Picture of the day (MainFormPicture.cpp)
    void ButtonLoadPictureFromFileClick();
    void ButtonDeleteJpgClick();

private:
    // ShowDay's picture step: the stored bytes decoded into the image box.
    void ShowStoredPicture();

protected:
    void closeEvent(QCloseEvent* aEvent) override;

private:
    // Layout (MainFormLayout.cpp)
    void CreateControls();
    void CreateMenus();
    void CreateToolBar();
    void CreateDayRow();
    void CreateTasksPage();
    void CreateConversationsPage();
    void CreateShoppingPage();
    void CreateMealsPage();
    void CreateHealthPage();
    void CreateWeatherPage();
    void CreateThoughtsPage();
    void CreatePicturePage();
    void WireEvents();
    void WireDayPageEvents(); // the day page's own handlers (MainFormDayPage.cpp)

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
    // Guarded, and by the save question, whose caller must stop when the save fails.
    void SaveCommand();
    bool SaveAsCommand(); // false: the dialog was cancelled and nothing saved
    void OpenFileCommand();
    void ReplaceDiaryAfterFailedRead();
    void ShowFirstPages();

    // Day page (MainFormDayPage.cpp)
    void ShowDay();
    void DialogToDay();
    void CheckDialogChanged();
    void PictureToBytes();
    // Day page helpers (MainFormDayPage.cpp, MainFormNumeric.cpp): the one binding table of
    // fields 1 to 43 that ShowDay, DialogToDay and CheckDialogChanged walk.
    struct TPageField;
    void RejectKey(QChar& aKey, const QString& aMessage);
    // The picker names the page shown again, whatever was typed into it meanwhile: the last step of
    // every handler that shows another day or a dialog, during which a typed date is dropped.
    void KeepDatePickerOnShownDay() noexcept;
    // Charts (MainFormCharts.cpp): both are rebuilt from the stored days of the thirty days up to
    // the day shown, never from the controls.
    std::vector<const TDay*> SearchLast30Days() const;
    void FillHealthChart();
    void FillWeatherChart();
    // Both, over one search of the thirty days: what showing and committing a page run.
    void FillCharts();
    void FillHealthChart(const std::vector<const TDay*>& aDays);
    void FillWeatherChart(const std::vector<const TDay*>& aDays);
    void WireChartEvents();

public:
    void ComboBoxHealthValueChange();
    void RadioGroupChartTypeClick();
    void ComboBoxWeatherValueChange();

    // ---- Day item lists: tasks, conversations, shopping trips (MainFormItemLists.cpp, ItemList.h) ----
public:
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

private:
    void WireItemListEvents();       // builds the three lists on their controls and wires their events
    void ShowItemLists();            // ShowDay's part: each list's first entry current, lists refilled
    bool ItemEditorsChanged() const; // the change check's part; false without current entries
    void EnableTaskEditor(bool aEnabled);
    void ShowTask();
    void StoreTask();
    void FillListViewTasks();
    void SelectTaskInList();
    void TaskEditorChanged();
    void EnableConversationEditor(bool aEnabled);
    void ShowConversation();
    void StoreConversation();
    void FillListViewConversations();
    void SelectConversationInList();
    void ConversationEditorChanged();
    void EnableShoppingEditor(bool aEnabled);
    void ShowShopping();
    void StoreShopping();
    void FillListViewShoppings();
    void SelectShoppingInList();
    void ShoppingEditorChanged();
    std::unique_ptr<TItemList<TTask>> fTaskList;
    std::unique_ptr<TItemList<TConversation>> fConversationList;
    std::unique_ptr<TItemList<TShopping>> fShoppingList;
    // ---- end of the day item lists ----

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
    TTask* fTask = nullptr;
    TConversation* fConversation = nullptr;
    TShopping* fShopping = nullptr;
    QString fFileName;
    QByteArray fBytes;
    bool fDialogUpdated = false;
    bool fBusy = false;
    bool fClosed = false; // FormClose ran: the close cannot be refused, and runs once

    TFileDialog OpenDialog1;
    TFileDialog SaveDialog1;

    // Menus and tool bar
    QMenuBar* MainMenu{};
    QList<QIcon> ImageList1; // exit, new file, open file, save file, save file as
    QMenu* MainMenuFile{};
    QMenu* MenuItemRecentFiles{};
    QAction* MenuItemRecentFile1{};
    QAction* MenuItemRecentFile2{};
    QAction* MenuItemRecentFile3{};
    QAction* MenuItemRecentFile4{};
    QAction* MenuItemRecentFile5{};
    QAction* MenuItemRecentFile6{};
    QAction* N2{};
    QAction* MenuItemNew{};
    QAction* MenuItemOpenFile{};
    QAction* MenuItemSave{};
    QAction* MenuItemSaveAs{};
    QAction* N1{};
    QAction* MenuItemExit{};
    QMenu* MainMenuImport{};
    QAction* MenuItemImportTasksFromACSVFile{};
    QMenu* MainMenuExport{};
    QAction* MenuItemExportSelectedMonthAsTextfile{};
    QAction* MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1{};
    QMenu* MainMenuHelp{};
    QAction* MenuItemAbout{};
    QToolBar* ToolBar1{};
    QToolButton* ToolButtonExit{};
    QAction* ToolButton6{};
    QToolButton* ToolButtonOpenNewFile{};
    QToolButton* ToolButtonOpenFile{};
    QToolButton* ToolButtonSaveFile{};
    QToolButton* ToolButtonSaveFileAs{};

    // Day row
    QLabel* LabelDate{};
    QDateEdit* DateTimePicker1{};
    QLabel* LabelDayOfWeek{};
    QPushButton* ButtonGoToFirstFilledDay{};
    QPushButton* ButtonGoToPreviousFilledDay{};
    QPushButton* ButtonGoToNextFilledDay{};
    QPushButton* ButtonGoToLastFilledDay{};

    QTabWidget* PageControlAll{};
    QWidget* TabSheetTasks{};
    QWidget* TabSheetConversations{};
    QWidget* TabSheetShopping{};
    QWidget* TabSheetMeals{};
    QWidget* TabSheetHealth{};
    QWidget* TabSheetWeather{};
    QWidget* TabSheetThoughts{};
    QWidget* TabSheetPicture{};

    // Tasks page
    QTreeWidget* ListViewTasks{};
    QPushButton* ButtonAddTask{};
    QPushButton* ButtonDeleteTask{};
    QLabel* LabelTaskFrom{};
    QTimeEdit* DateTimePickerTaskFrom{};
    QLabel* LabelTaskTo{};
    QTimeEdit* DateTimePickerTaskTo{};
    QLabel* LabelTask{};
    QLineEdit* EditTask{};
    QLabel* LabelNotes{};
    TRichEdit* RichEditNotes{};
    QLabel* LabelWhatHappenedAdditionalyToTheTasks{};
    TRichEdit* RichEditWhatHappenedAdditionalyToTheTasks{};

    // Conversations page
    QTreeWidget* ListViewConversations{};
    QPushButton* ButtonAddConversation{};
    QPushButton* ButtonDeleteConversation{};
    QLabel* LabelFromTime{};
    QTimeEdit* DateTimePickerFrom{};
    QLabel* LabelToTime{};
    QTimeEdit* DateTimePickerTo{};
    QLabel* LabelConversationTitle{};
    QLineEdit* EditConversationTitle{};
    QLabel* LabelConversation{};
    TRichEdit* RichEditConversation{};

    // Shopping page
    QTreeWidget* ListViewShoppings{};
    QLabel* LabelTotalAmountOfPurchaes1{};
    QLabel* LabelTotalAmountOfPurchaes2{};
    QPushButton* ButtonAddShopping{};
    QPushButton* ButtonDeleteShopping{};
    QLabel* LabelShoppingFrom{};
    QTimeEdit* DateTimePickerShoppingFrom{};
    QLabel* LabelShoppingTo{};
    QTimeEdit* DateTimePickerShoppingTo{};
    QLabel* LabelShop{};
    QLineEdit* EditShop{};
    QLabel* LabelShoppingList{};
    TRichEdit* RichEditShoppingList{};
    QLabel* LabelTotalPurchaseAmount{};
    TNumberEdit* EditTotalPurchaseAmount{};

    // Meals page
    QLabel* LabelBreakfast{};
    TRichEdit* RichEditBreakfast{};
    QLabel* LabelLunch{};
    TRichEdit* RichEditLunch{};
    QLabel* LabelBrunch{};
    TRichEdit* RichEditBrunch{};
    QLabel* LabelTeeCoffeeTime{};
    TRichEdit* RichEditTeeCoffeeTime{};
    QLabel* LabelDinner{};
    TRichEdit* RichEditDinner{};

    // Health page
    QGroupBox* GroupBoxAtMorning{};
    QGroupBox* GroupBoxAtLunch{};
    QGroupBox* GroupBoxAtEvening{};
    QLabel* LabelTemperature1{};
    TNumberEdit* EditTemperature1{};
    QLabel* LabelPuls1{};
    TNumberEdit* EditPuls1{};
    QCheckBox* CheckBoxHeartArrhythmiaSymbolAppears1{};
    QLabel* LabelBloodPressureSys1{};
    TNumberEdit* EditBloodPressureSys1{};
    QLabel* LabelBloodPressureDia1{};
    TNumberEdit* EditBloodPressureDia1{};
    QLabel* LabelOxygenSaturation1{};
    TNumberEdit* EditOxygenSaturation1{};
    QLabel* LabelGlucoseLevel1{};
    TNumberEdit* EditGlucoseLevel1{};
    QLabel* LabelWeight1{};
    TNumberEdit* EditWeight1{};
    QLabel* LabelTemperature2{};
    TNumberEdit* EditTemperature2{};
    QLabel* LabelPuls2{};
    TNumberEdit* EditPuls2{};
    QCheckBox* CheckBoxHeartArrhythmiaSymbolAppears2{};
    QLabel* LabelBloodPressureSys2{};
    TNumberEdit* EditBloodPressureSys2{};
    QLabel* LabelBloodPressureDia2{};
    TNumberEdit* EditBloodPressureDia2{};
    QLabel* LabelOxygenSaturation2{};
    TNumberEdit* EditOxygenSaturation2{};
    QLabel* LabelGlucoseLevel2{};
    TNumberEdit* EditGlucoseLevel2{};
    QLabel* LabelWeight2{};
    TNumberEdit* EditWeight2{};
    QLabel* LabelTemperature3{};
    TNumberEdit* EditTemperature3{};
    QLabel* LabelPuls3{};
    TNumberEdit* EditPuls3{};
    QCheckBox* CheckBoxHeartArrhythmiaSymbolAppears3{};
    QLabel* LabelBloodPressureSys3{};
    TNumberEdit* EditBloodPressureSys3{};
    QLabel* LabelBloodPressureDia3{};
    TNumberEdit* EditBloodPressureDia3{};
    QLabel* LabelOxygenSaturation3{};
    TNumberEdit* EditOxygenSaturation3{};
    QLabel* LabelGlucoseLevel3{};
    TNumberEdit* EditGlucoseLevel3{};
    QLabel* LabelWeight3{};
    TNumberEdit* EditWeight3{};
    QTabWidget* PageControlHealth{};
    QWidget* TabSheetHealthCondition{};
    TRichEdit* RichEditlHealthCondition{};
    QWidget* TabSheetHealthChart{};
    QLabel* LabelHealthValue{};
    QComboBox* ComboBoxHealthValue{};
    QWidget* RadioGroupChartType{};
    QButtonGroup* RadioGroupChartTypeButtons{}; // ids 0..3: Morning, Afternoon, Evening, All
    QChartView* ChartHealthValue{};
    QLineSeries* Series1{};
    QLineSeries* Series2{};
    QLineSeries* Series3{};

    // Weather page
    QGroupBox* GroupBoxTemperatureMorning{};
    QLabel* LabelTemperatureMorning{};
    TNumberEdit* EditWeatherTemperatureMorning{};
    QGroupBox* GroupBoxTemperatureAfternoon{};
    QLabel* LabelTemperatureAfternoon{};
    TNumberEdit* EditWeatherTemperatureAfternoon{};
    QGroupBox* GroupBoxTemperatureEvening{};
    QLabel* LabelTemperatureEvening{};
    TNumberEdit* EditWeatherTemperatureEvening{};
    QGroupBox* GroupBoxTemperatureOvernight{};
    QLabel* LabelTemperatureOvernight{};
    TNumberEdit* EditWeatherTemperatureOvernight{};
    QGroupBox* GroupBoxAfternoon{};
    QLabel* LabelHumidity{};
    TNumberEdit* EditWeatherHumidity{};
    QLabel* LabelPressure{};
    TNumberEdit* EditWeatherPressure{};
    QLabel* LabelWindDirection{};
    QComboBox* ComboBoxWeatherWindDirection{};
    QLabel* LabelWindSpeed{};
    TNumberEdit* EditWeatherWindSpeed{};
    QLabel* LabelUVIndex{};
    TNumberEdit* EditWeatherUVIndex{};
    QLabel* LabelWeatherMoonPhase{};
    QComboBox* ComboBoxWeatherMoonPhase{};
    QTabWidget* PageControlWeather{};
    QWidget* TabSheet1{};
    TRichEdit* RichEditWeatherToday{};
    QWidget* TabSheet2{};
    QLabel* LabelWeatherValue{};
    QComboBox* ComboBoxWeatherValue{};
    QChartView* ChartWeatherValue{};
    QLineSeries* LineSeries1{};

    // Thoughts and picture pages
    TRichEdit* RichEditThoughts{};
    TImageBox* ImageOfTheDay{};
    QPushButton* ButtonLoadPictureFromFile{};
    QPushButton* ButtonDeleteJpg{};

    // The closing note and the binding table built once
    // (MainFormDayPage.cpp, MainFormNumeric.cpp).
    std::vector<TPageField> fPageFields; // built once the controls exist, walked by every check
    std::vector<TPageField> BuildPageFields() const;
    // The first numeric edit, in the order of the commit, whose text does not convert; null if none.
    TNumberEdit* FirstNumberEditThatDoesNotConvert() const;
    // The error box of a close refused by an error; where that error is a numeric edit holding no
    // number, the box says which edit and that the window stays open until it holds one.
    void ShowCloseRefused();

    // Find in diary, calendar marks of the filled days and the day-stepping keys (MainFormFind.cpp)
public:
    void MenuItemFindInDiaryClick();
    void MenuItemPreviousDayClick();
    void MenuItemNextDayClick();
    void MenuItemPreviousFilledDayClick();
    void MenuItemNextFilledDayClick();

private:
    void CreateFindAndDayKeys();
    // The calendar marks and the find results follow the diary as a whole: run when a diary is opened
    // or started, and after a change to many days at once.
    void FollowWholeDiary();
    // The calendar shows aDay's date in bold while the day is filled; run as a commit ends.
    void MarkFilledDay(const TDay& aDay);
    void StepCalendarDay(int aDays);
    void ShowFoundHit(const TSearchHit& aHit);
    void SelectFoundEntry(TSearchSection aSection, qint64 aID);
    QMenu* MainMenuSearch{};
    QAction* MenuItemFindInDiary{};
    QAction* N3{};
    QAction* MenuItemPreviousDay{};
    QAction* MenuItemNextDay{};
    QAction* MenuItemPreviousFilledDay{};
    QAction* MenuItemNextFilledDay{};
    TFindPanel* FindPanel{}; // made at its first use

    // ---- Health report (MainFormHealthReport.cpp, HealthReportDialog.h): the health readings of a
    // chosen range of days as a PDF file or on paper, for a doctor ----
public:
    void MenuItemHealthReportClick();

private:
    void WireHealthReportEvents();
    QAction* MenuItemHealthReport{};
    // ---- end of the health report ----

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
