#include "ui/UnitMainForm.h"

#include "model/DayFields.h"
#include "ui/DesignFont.h"
#include "ui/MainFormPageFields.h" // the window owns the page's binding table

#include "ui/Widgets.h"
#include "charts/ValueChart.h"

#include <QAction>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <initializer_list>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int ClientWidth = 788;
constexpr int ClientHeight = 542;
constexpr int ToolBarHeight = 29;
constexpr int HealthEditWidth = 91;
constexpr int WeatherEditWidth = 57;
constexpr int PurchaseAmountEditWidth = 79;
constexpr int DatePickerWidth = 80;

template <typename TWidget> TWidget* Named(TWidget* aWidget, const QString& aName)
{
    aWidget->setObjectName(aName);
    return aWidget;
}

QLabel* MakeLabel(QWidget* aParent, const QString& aName, const QString& aCaption)
{
    return Named(new QLabel(aCaption, aParent), aName);
}

TNumberEdit* MakeNumberEdit(QWidget* aParent, const QString& aName, int aWidth, const QString& aDesignText)
{
    auto* edit = Named(new TNumberEdit(aParent), aName);
    edit->setFixedWidth(aWidth);
    edit->setText(aDesignText);
    return edit;
}

TRichEdit* MakeRichEdit(QWidget* aParent, const QString& aName)
{
    auto* edit = Named(new TRichEdit(aParent), aName);
    edit->setFont(DesignFont(8));
    return edit;
}

QTimeEdit* MakeTimePicker(QWidget* aParent, const QString& aName, const TRegionalSettings& aSettings)
{
    auto* picker = Named(new QTimeEdit(aParent), aName);
    picker->setDisplayFormat(aSettings.LongTimeFormat());
    return picker;
}

// A report view: whole rows selected, nothing edited in place, the order the program gives.
QTreeWidget* MakeListView(QWidget* aParent, const QString& aName,
                          std::initializer_list<std::pair<QString, int>> aColumns)
{
    auto* list = Named(new QTreeWidget(aParent), aName);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setAllColumnsShowFocus(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setSortingEnabled(false);
    list->header()->setSectionsClickable(false);
    list->header()->setSortIndicatorShown(false);
    list->header()->setStretchLastSection(false);

    QStringList captions;
    QList<int> widths;
    for (const auto& [caption, width] : aColumns) {
        captions << caption;
        widths << width;
    }
    list->setHeaderLabels(captions);
    int smallest = widths.isEmpty() ? 0 : widths.first();
    for (int i = 0; i < widths.size(); ++i) {
        list->setColumnWidth(i, widths.at(i));
        smallest = qMin(smallest, widths.at(i));
    }
    // A column may be widened but never made narrower than its design width; the header knows only
    // one minimum for all columns, so the others are held at theirs here.
    list->header()->setMinimumSectionSize(smallest);
    QHeaderView* header = list->header();
    QObject::connect(header, &QHeaderView::sectionResized, header, [header, widths](int aIndex, int, int aNewSize) {
        if (aIndex < widths.size() && aNewSize < widths.at(aIndex))
            header->resizeSection(aIndex, widths.at(aIndex));
    });
    return list;
}

QComboBox* MakeComboBox(QWidget* aParent, const QString& aName, bool aEditable, const QStringList& aItems)
{
    auto* combo = Named(new QComboBox(aParent), aName);
    combo->setEditable(aEditable);
    if (aEditable)
    {
        combo->setInsertPolicy(QComboBox::NoInsert); // a typed text is stored, never added to the items
        combo->setCompleter(nullptr);                // and stored as typed: "north" stays "north"
    }
    combo->addItems(aItems);
    combo->setCurrentIndex(0);
    return combo;
}

QPushButton* MakeButton(QWidget* aParent, const QString& aName, const QString& aCaption)
{
    return Named(new QPushButton(aCaption, aParent), aName);
}

// The tool-bar icons are drawn here, so the program looks the same with or without an icon theme
// and carries no picture files.
enum class TIconKind { Exit, NewFile, OpenFile, SaveFile, SaveFileAs };

QPixmap DrawIcon(TIconKind aKind, int aSize)
{
    QPixmap pixmap(aSize, aSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(aSize / 16.0, aSize / 16.0);
    const QColor ink(0x33, 0x33, 0x33);
    painter.setPen(QPen(ink, 1.0));

    const auto page = [&painter](const QColor& aFill) {
        QPainterPath path;
        path.moveTo(3.5, 1.5);
        path.lineTo(9.5, 1.5);
        path.lineTo(12.5, 4.5);
        path.lineTo(12.5, 14.5);
        path.lineTo(3.5, 14.5);
        path.closeSubpath();
        painter.setBrush(aFill);
        painter.drawPath(path);
        painter.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 4.5));
        painter.drawLine(QPointF(9.5, 4.5), QPointF(12.5, 4.5));
    };
    const auto disk = [&painter, &ink] {
        painter.setBrush(QColor(0x3a, 0x6e, 0xc8));
        painter.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        painter.setBrush(Qt::white);
        painter.drawRect(QRectF(4.5, 1.5, 7, 5));
        painter.setBrush(ink);
        painter.drawRect(QRectF(4.5, 9.5, 7, 5));
    };

    switch (aKind) {
    case TIconKind::Exit:
        painter.setBrush(QColor(0xb0, 0x7a, 0x45));
        painter.drawRect(QRectF(2.5, 1.5, 7, 13));
        painter.setPen(QPen(QColor(0xc0, 0x20, 0x20), 2.0));
        painter.drawLine(QPointF(7.0, 8.0), QPointF(14.0, 8.0));
        painter.drawLine(QPointF(11.0, 5.0), QPointF(14.0, 8.0));
        painter.drawLine(QPointF(11.0, 11.0), QPointF(14.0, 8.0));
        break;
    case TIconKind::NewFile:
        page(Qt::white);
        painter.setPen(QPen(QColor(0xe0, 0xa0, 0x00), 1.5));
        painter.drawLine(QPointF(8.0, 8.0), QPointF(8.0, 13.0));
        painter.drawLine(QPointF(5.5, 10.5), QPointF(10.5, 10.5));
        break;
    case TIconKind::OpenFile:
        painter.setBrush(QColor(0xe8, 0xc0, 0x50));
        painter.drawRect(QRectF(1.5, 3.5, 12, 10));
        painter.setBrush(QColor(0xf4, 0xd8, 0x78));
        {
            QPainterPath flap;
            flap.moveTo(3.5, 7.5);
            flap.lineTo(15.0, 7.5);
            flap.lineTo(13.5, 13.5);
            flap.lineTo(1.5, 13.5);
            flap.closeSubpath();
            painter.drawPath(flap);
        }
        break;
    case TIconKind::SaveFile:
        disk();
        break;
    case TIconKind::SaveFileAs:
        disk();
        painter.setPen(QPen(QColor(0xe0, 0xa0, 0x00), 2.0));
        painter.drawLine(QPointF(9.0, 14.0), QPointF(15.0, 8.0));
        break;
    }
    return pixmap;
}

QIcon MakeIcon(const QString& aThemeName, TIconKind aKind)
{
    QIcon drawn;
    for (int size : {16, 24, 32})
        drawn.addPixmap(DrawIcon(aKind, size));
    return QIcon::fromTheme(aThemeName, drawn);
}

QToolButton* MakeToolButton(QToolBar* aBar, const QString& aName, const QIcon& aIcon, const QString& aHint)
{
    auto* button = Named(new QToolButton(aBar), aName);
    button->setIcon(aIcon);
    button->setToolTip(aHint);
    button->setAutoRaise(true);
    aBar->addWidget(button);
    return button;
}

QAction* MakeMenuItem(QMenu* aMenu, const QString& aName, const QString& aCaption)
{
    QAction* action = aMenu->addAction(aCaption);
    action->setObjectName(aName);
    return action;
}

QAction* MakeSeparator(QMenu* aMenu, const QString& aName)
{
    QAction* action = aMenu->addSeparator();
    action->setObjectName(aName);
    return action;
}

QChartView* MakeChart(QWidget* aParent, const QString& aName, const QString& aTitle,
                      std::initializer_list<std::pair<QLineSeries**, QString>> aSeries,
                      const TRegionalSettings& aSettings)
{
    auto* chart = new QChart();
    chart->setObjectName(aName + u"Chart"_s);
    chart->setTitle(aTitle);
    chart->legend()->setAlignment(Qt::AlignRight);
    auto* xAxis = new QDateTimeAxis(chart);
    auto* yAxis = new QValueAxis(chart);
    chart->addAxis(xAxis, Qt::AlignBottom);
    chart->addAxis(yAxis, Qt::AlignLeft);
    for (const auto& [member, name] : aSeries) {
        auto* series = new QLineSeries(chart);
        series->setObjectName(name);
        series->setName(name);
        chart->addSeries(series);
        series->attachAxis(xAxis);
        series->attachAxis(yAxis);
        *member = series;
    }
    SetUpValueChart(*chart, aSettings, DesignFont(8));
    auto* view = Named(new QChartView(chart, aParent), aName);
    view->setRenderHint(QPainter::Antialiasing);
    return view;
}

QWidget* AddPage(QTabWidget* aTabs, const QString& aName, const QString& aCaption)
{
    auto* page = Named(new QWidget(aTabs), aName);
    aTabs->addTab(page, aCaption);
    return page;
}

// The three item pages share one arrangement: the list, with the buttons below it, on the left;
// the editor on the right, from and to times, the one-line edit, then the text box growing with
// the page. aBelowList and aBelowEditor are the shopping page's extra rows.
struct TItemPageParts {
    QTreeWidget* List;
    QPushButton* Add;
    QPushButton* Delete;
    QLabel* FromLabel;
    QTimeEdit* From;
    QLabel* ToLabel;
    QTimeEdit* To;
    QLabel* TitleLabel;
    QLineEdit* Title;
    QLabel* TextLabel;
    TRichEdit* Text;
};

QHBoxLayout* ArrangeItemPage(const TItemPageParts& aParts, QLayout* aBelowList = nullptr,
                             QLayout* aBelowEditor = nullptr)
{
    auto* left = new QVBoxLayout();
    aParts.List->setFixedWidth(450);
    left->addWidget(aParts.List, 1);
    if (aBelowList)
        left->addLayout(aBelowList);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(aParts.Add);
    buttons->addWidget(aParts.Delete);
    buttons->addStretch(1);
    left->addLayout(buttons);

    auto* right = new QGridLayout();
    auto* times = new QHBoxLayout();
    times->addWidget(aParts.From);
    times->addWidget(aParts.ToLabel);
    times->addWidget(aParts.To);
    times->addStretch(1);
    right->addWidget(aParts.FromLabel, 0, 0);
    right->addLayout(times, 0, 1);
    right->addWidget(aParts.TitleLabel, 1, 0);
    right->addWidget(aParts.Title, 1, 1);
    right->addWidget(aParts.TextLabel, 2, 0, 1, 2);
    right->addWidget(aParts.Text, 3, 0, 1, 2);
    right->setRowStretch(3, 1);
    if (aBelowEditor)
        right->addLayout(aBelowEditor, 4, 0, 1, 2);

    auto* row = new QHBoxLayout();
    row->addLayout(left);
    row->addLayout(right, 1);
    return row;
}

} // namespace

TmainForm::TmainForm(std::unique_ptr<TDialogs> aDialogs, TRegionalSettings aSettings, TOptions aOptions,
                     QWidget* aParent)
    : QMainWindow(aParent), fDialogs(std::move(aDialogs)), fSettings(std::move(aSettings)),
      fOptions(std::move(aOptions)), fStartRead(fOptions.StartThread)
{
    setObjectName(u"mainForm"_s);
    setWindowTitle(u"Kestrova"_s);
    setFont(DesignFont(8));
    // Reading a large diary takes about as long as building the controls; do both at once.
    if (const QString startFile = StartFileName(); !startFile.isEmpty())
        fStartRead.Start(startFile);
    CreateControls();
    WireEvents();

    // The size given is that of the client area, below the menu bar.
    resize(ClientWidth, ClientHeight + MainMenu->sizeHint().height());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    FormCreate();
}

TmainForm::~TmainForm()
{
    // Widgets that lose the focus while being destroyed would report it to handlers that read the
    // diary; the controls go first, while the diary and the flags still exist, and find fBusy set.
    fBusy = true;
    delete takeCentralWidget();
}

void TmainForm::CreateControls()
{
    ImageList1 = {MakeIcon(u"application-exit"_s, TIconKind::Exit), MakeIcon(u"document-new"_s, TIconKind::NewFile),
                  MakeIcon(u"document-open"_s, TIconKind::OpenFile), MakeIcon(u"document-save"_s, TIconKind::SaveFile),
                  MakeIcon(u"document-save-as"_s, TIconKind::SaveFileAs)};
    CreateMenus();
    CreateToolBar();

    auto* central = Named(new QWidget(this), u"ClientArea"_s);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    CreateDayRow();

    PageControlAll = Named(new QTabWidget(central), u"PageControlAll"_s);
    TabSheetTasks = AddPage(PageControlAll, u"TabSheetTasks"_s, u"&Tasks"_s);
    TabSheetConversations = AddPage(PageControlAll, u"TabSheetConversations"_s, u"&Conversations"_s);
    TabSheetShopping = AddPage(PageControlAll, u"TabSheetShopping"_s, u"Sh&opping"_s);
    TabSheetMeals = AddPage(PageControlAll, u"TabSheetMeals"_s, u"&Meals"_s);
    TabSheetHealth = AddPage(PageControlAll, u"TabSheetHealth"_s, u"&Health"_s);
    TabSheetWeather = AddPage(PageControlAll, u"TabSheetWeather"_s, u"&Weather"_s);
    TabSheetThoughts = AddPage(PageControlAll, u"TabSheetThoughts"_s, u"Th&oughts"_s);
    TabSheetPicture = AddPage(PageControlAll, u"TabSheetPicture"_s, u"&Picture of the day"_s);
    layout->addWidget(PageControlAll, 1);

    CreateTasksPage();
    CreateConversationsPage();
    CreateShoppingPage();
    CreateMealsPage();
    CreateHealthPage();
    CreateWeatherPage();
    CreateThoughtsPage();
    CreatePicturePage();
    CreateFindAndDayKeys();

    // Narrow page margins: the picture box and the three health group boxes need nearly the whole
    // width of the design size.
    for (QTabWidget* tabs : {PageControlAll, PageControlHealth, PageControlWeather})
        for (int i = 0; i < tabs->count(); ++i)
            tabs->widget(i)->layout()->setContentsMargins(4, 4, 4, 4);
}

void TmainForm::CreateMenus()
{
    MainMenu = menuBar();
    MainMenu->setObjectName(u"MainMenu"_s);

    MainMenuFile = Named(MainMenu->addMenu(u"&File"_s), u"MainMenuFile"_s);
    MenuItemRecentFiles = Named(MainMenuFile->addMenu(u"&Recent Files"_s), u"MenuItemRecentFiles"_s);
    MenuItemRecentFile1 = MakeMenuItem(MenuItemRecentFiles, u"MenuItemRecentFile1"_s, QString());
    MenuItemRecentFile2 = MakeMenuItem(MenuItemRecentFiles, u"MenuItemRecentFile2"_s, QString());
    MenuItemRecentFile3 = MakeMenuItem(MenuItemRecentFiles, u"MenuItemRecentFile3"_s, QString());
    MenuItemRecentFile4 = MakeMenuItem(MenuItemRecentFiles, u"MenuItemRecentFile4"_s, QString());
    MenuItemRecentFile5 = MakeMenuItem(MenuItemRecentFiles, u"MenuItemRecentFile5"_s, QString());
    MenuItemRecentFile6 = MakeMenuItem(MenuItemRecentFiles, u"MenuItemRecentFile6"_s, QString());
    N2 = MakeSeparator(MainMenuFile, u"N2"_s);
    MenuItemNew = MakeMenuItem(MainMenuFile, u"MenuItemNew"_s, u"&New"_s);
    MenuItemOpenFile = MakeMenuItem(MainMenuFile, u"MenuItemOpenFile"_s, u"&Open"_s);
    MenuItemSave = MakeMenuItem(MainMenuFile, u"MenuItemSave"_s, u"&Save"_s);
    MenuItemSaveAs = MakeMenuItem(MainMenuFile, u"MenuItemSaveAs"_s, u"Save &As..."_s);
    N1 = MakeSeparator(MainMenuFile, u"N1"_s);
    MenuItemExit = MakeMenuItem(MainMenuFile, u"MenuItemExit"_s, u"&Exit"_s);

    MainMenuImport = Named(MainMenu->addMenu(u"&Import"_s), u"MainMenuImport"_s);
    MenuItemImportTasksFromACSVFile =
        MakeMenuItem(MainMenuImport, u"MenuItemImportTasksFromACSVFile"_s, u"Import &tasks from a CSV file"_s);

    MainMenuExport = Named(MainMenu->addMenu(u"&Export"_s), u"MainMenuExport"_s);
    MenuItemExportSelectedMonthAsTextfile = MakeMenuItem(MainMenuExport, u"MenuItemExportSelectedMonthAsTextfile"_s,
                                                         u"Export selected mo&nth as Textfile..."_s);
    MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1 =
        MakeMenuItem(MainMenuExport, u"MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1"_s,
                     u"Export health values of the selected month as a &CSV file..."_s);
    MenuItemHealthReport = MakeMenuItem(MainMenuExport, u"MenuItemHealthReport"_s, u"Health &report..."_s);

    MainMenuHelp = Named(MainMenu->addMenu(u"&Help"_s), u"MainMenuHelp"_s);
    MenuItemAbout = MakeMenuItem(MainMenuHelp, u"MenuItemAbout"_s, u"A&bout"_s);
}

void TmainForm::CreateToolBar()
{
    ToolBar1 = Named(new QToolBar(this), u"ToolBar1"_s);
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBar1->setFixedHeight(ToolBarHeight);
    ToolBar1->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, ToolBar1);

    ToolButtonExit = MakeToolButton(ToolBar1, u"ToolButtonExit"_s, ImageList1.at(0), u"Exit application"_s);
    auto* gap = Named(new QFrame(ToolBar1), u"ToolButton6Line"_s);
    gap->setFrameShape(QFrame::VLine);
    gap->setFrameShadow(QFrame::Sunken);
    gap->setFixedWidth(8);
    ToolButton6 = ToolBar1->addWidget(gap);
    ToolButton6->setObjectName(u"ToolButton6"_s);
    ToolButtonOpenNewFile = MakeToolButton(ToolBar1, u"ToolButtonOpenNewFile"_s, ImageList1.at(1), u"Open new file"_s);
    ToolButtonOpenFile = MakeToolButton(ToolBar1, u"ToolButtonOpenFile"_s, ImageList1.at(2), u"Open file"_s);
    ToolButtonSaveFile = MakeToolButton(ToolBar1, u"ToolButtonSaveFile"_s, ImageList1.at(3), u"Save file"_s);
    ToolButtonSaveFileAs = MakeToolButton(ToolBar1, u"ToolButtonSaveFileAs"_s, ImageList1.at(4), u"Save file as..."_s);
}

void TmainForm::CreateDayRow()
{
    QWidget* central = centralWidget();
    auto* row = new QHBoxLayout();
    LabelDate = MakeLabel(central, u"LabelDate"_s, u"Date:"_s);
    DateTimePicker1 = Named(new QDateEdit(central), u"DateTimePicker1"_s);
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(fSettings.ShortDateFormat());
    // 80 pixels clip a four-digit year with the popup button beside it in most styles; the picker
    // keeps the design width where the text fits and widens only as far as the text needs.
    DateTimePicker1->setFixedWidth(qMax(DatePickerWidth, DateTimePicker1->sizeHint().width()));
    LabelDayOfWeek = MakeLabel(central, u"LabelDayOfWeek"_s, u"Wednesday"_s);
    LabelDayOfWeek->setMinimumWidth(LabelDayOfWeek->fontMetrics().horizontalAdvance(u"Wednesday"_s) + 8);
    ButtonGoToFirstFilledDay = MakeButton(central, u"ButtonGoToFirstFilledDay"_s, u"G&o to first filled day"_s);
    ButtonGoToPreviousFilledDay =
        MakeButton(central, u"ButtonGoToPreviousFilledDay"_s, u"Go to &previous filled day"_s);
    ButtonGoToNextFilledDay = MakeButton(central, u"ButtonGoToNextFilledDay"_s, u"Go to &next filled day"_s);
    ButtonGoToLastFilledDay = MakeButton(central, u"ButtonGoToLastFilledDay"_s, u"&Go to last filled day"_s);
    row->addWidget(LabelDate);
    row->addWidget(DateTimePicker1);
    row->addWidget(LabelDayOfWeek);
    row->addWidget(ButtonGoToFirstFilledDay);
    row->addWidget(ButtonGoToPreviousFilledDay);
    row->addWidget(ButtonGoToNextFilledDay);
    row->addWidget(ButtonGoToLastFilledDay);
    row->addStretch(1);
    static_cast<QVBoxLayout*>(central->layout())->addLayout(row);
}

void TmainForm::CreateTasksPage()
{
    QWidget* page = TabSheetTasks;
    // Created in the keyboard's reading order: list, editor, buttons, then the bottom text box.
    ListViewTasks = MakeListView(page, u"ListViewTasks"_s, {{u"From"_s, 60}, {u"To"_s, 60}, {u"Task"_s, 305}});
    LabelTaskFrom = MakeLabel(page, u"LabelTaskFrom"_s, u"From:"_s);
    DateTimePickerTaskFrom = MakeTimePicker(page, u"DateTimePickerTaskFrom"_s, fSettings);
    LabelTaskTo = MakeLabel(page, u"LabelTaskTo"_s, u"To:"_s);
    DateTimePickerTaskTo = MakeTimePicker(page, u"DateTimePickerTaskTo"_s, fSettings);
    LabelTask = MakeLabel(page, u"LabelTask"_s, u"Task:"_s);
    EditTask = Named(new QLineEdit(page), u"EditTask"_s);
    LabelNotes = MakeLabel(page, u"LabelNotes"_s, u"Notes:"_s);
    RichEditNotes = MakeRichEdit(page, u"RichEditNotes"_s);
    ButtonAddTask = MakeButton(page, u"ButtonAddTask"_s, u"Add"_s);
    ButtonDeleteTask = MakeButton(page, u"ButtonDeleteTask"_s, u"Delete"_s);
    LabelWhatHappenedAdditionalyToTheTasks =
        MakeLabel(page, u"LabelWhatHappenedAdditionalyToTheTasks"_s, u"What else happened besides the tasks:"_s);
    RichEditWhatHappenedAdditionalyToTheTasks = MakeRichEdit(page, u"RichEditWhatHappenedAdditionalyToTheTasks"_s);
    RichEditWhatHappenedAdditionalyToTheTasks->setFixedHeight(90);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(ArrangeItemPage({ListViewTasks, ButtonAddTask, ButtonDeleteTask, LabelTaskFrom,
                                       DateTimePickerTaskFrom, LabelTaskTo, DateTimePickerTaskTo, LabelTask, EditTask,
                                       LabelNotes, RichEditNotes}),
                      1);
    layout->addWidget(LabelWhatHappenedAdditionalyToTheTasks);
    layout->addWidget(RichEditWhatHappenedAdditionalyToTheTasks);
}

void TmainForm::CreateConversationsPage()
{
    QWidget* page = TabSheetConversations;
    ListViewConversations =
        MakeListView(page, u"ListViewConversations"_s, {{u"From"_s, 60}, {u"To"_s, 60}, {u"Conversation"_s, 305}});
    LabelFromTime = MakeLabel(page, u"LabelFromTime"_s, u"From:"_s);
    DateTimePickerFrom = MakeTimePicker(page, u"DateTimePickerFrom"_s, fSettings);
    LabelToTime = MakeLabel(page, u"LabelToTime"_s, u"To:"_s);
    DateTimePickerTo = MakeTimePicker(page, u"DateTimePickerTo"_s, fSettings);
    LabelConversationTitle = MakeLabel(page, u"LabelConversationTitle"_s, u"Title:"_s);
    EditConversationTitle = Named(new QLineEdit(page), u"EditConversationTitle"_s);
    LabelConversation = MakeLabel(page, u"LabelConversation"_s, u"Content of the conversation:"_s);
    RichEditConversation = MakeRichEdit(page, u"RichEditConversation"_s);
    ButtonAddConversation = MakeButton(page, u"ButtonAddConversation"_s, u"Add"_s);
    ButtonDeleteConversation = MakeButton(page, u"ButtonDeleteConversation"_s, u"Delete"_s);

    page->setLayout(ArrangeItemPage({ListViewConversations, ButtonAddConversation, ButtonDeleteConversation,
                                     LabelFromTime, DateTimePickerFrom, LabelToTime, DateTimePickerTo,
                                     LabelConversationTitle, EditConversationTitle, LabelConversation,
                                     RichEditConversation}));
}

void TmainForm::CreateShoppingPage()
{
    QWidget* page = TabSheetShopping;
    ListViewShoppings =
        MakeListView(page, u"ListViewShoppings"_s,
                     {{u"From"_s, 60}, {u"To"_s, 60}, {u"Shop"_s, 180}, {u"Total purchase amount"_s, 125}});
    LabelShoppingFrom = MakeLabel(page, u"LabelShoppingFrom"_s, u"From:"_s);
    DateTimePickerShoppingFrom = MakeTimePicker(page, u"DateTimePickerShoppingFrom"_s, fSettings);
    LabelShoppingTo = MakeLabel(page, u"LabelShoppingTo"_s, u"To:"_s);
    DateTimePickerShoppingTo = MakeTimePicker(page, u"DateTimePickerShoppingTo"_s, fSettings);
    LabelShop = MakeLabel(page, u"LabelShop"_s, u"Shop:"_s);
    EditShop = Named(new QLineEdit(page), u"EditShop"_s);
    LabelShoppingList = MakeLabel(page, u"LabelShoppingList"_s, u"Shopping list:"_s);
    RichEditShoppingList = MakeRichEdit(page, u"RichEditShoppingList"_s);
    LabelTotalPurchaseAmount = MakeLabel(page, u"LabelTotalPurchaseAmount"_s, u"Total purchase amount:"_s);
    EditTotalPurchaseAmount = MakeNumberEdit(page, u"EditTotalPurchaseAmount"_s, PurchaseAmountEditWidth, QString());
    LabelTotalAmountOfPurchaes1 = MakeLabel(page, u"LabelTotalAmountOfPurchaes1"_s, u"Total amount of purchases:"_s);
    LabelTotalAmountOfPurchaes2 = MakeLabel(page, u"LabelTotalAmountOfPurchaes2"_s, u"0"_s);
    {
        QFont bold = LabelTotalAmountOfPurchaes2->font();
        bold.setBold(true);
        LabelTotalAmountOfPurchaes2->setFont(bold);
        QPalette red = LabelTotalAmountOfPurchaes2->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        LabelTotalAmountOfPurchaes2->setPalette(red);
    }
    ButtonAddShopping = MakeButton(page, u"ButtonAddShopping"_s, u"Add"_s);
    ButtonDeleteShopping = MakeButton(page, u"ButtonDeleteShopping"_s, u"Delete"_s);

    auto* total = new QHBoxLayout();
    total->addWidget(LabelTotalAmountOfPurchaes1);
    total->addWidget(LabelTotalAmountOfPurchaes2);
    total->addStretch(1);
    auto* amount = new QHBoxLayout();
    amount->addWidget(LabelTotalPurchaseAmount);
    amount->addWidget(EditTotalPurchaseAmount);
    amount->addStretch(1);
    page->setLayout(ArrangeItemPage({ListViewShoppings, ButtonAddShopping, ButtonDeleteShopping, LabelShoppingFrom,
                                     DateTimePickerShoppingFrom, LabelShoppingTo, DateTimePickerShoppingTo, LabelShop,
                                     EditShop, LabelShoppingList, RichEditShoppingList},
                                    total, amount));
}

void TmainForm::CreateMealsPage()
{
    QWidget* page = TabSheetMeals;
    auto* layout = new QVBoxLayout(page);
    const auto meal = [&](QLabel*& aLabel, const QString& aLabelName, const QString& aCaption, TRichEdit*& aEdit,
                          const QString& aEditName, bool aGrows) {
        aLabel = MakeLabel(page, aLabelName, aCaption);
        aEdit = MakeRichEdit(page, aEditName);
        if (!aGrows)
            aEdit->setFixedHeight(60);
        layout->addWidget(aLabel);
        layout->addWidget(aEdit, aGrows ? 1 : 0);
    };
    meal(LabelBreakfast, u"LabelBreakfast"_s, u"Breakfast:"_s, RichEditBreakfast, u"RichEditBreakfast"_s, false);
    meal(LabelLunch, u"LabelLunch"_s, u"Lunch:"_s, RichEditLunch, u"RichEditLunch"_s, false);
    meal(LabelBrunch, u"LabelBrunch"_s, u"Brunch:"_s, RichEditBrunch, u"RichEditBrunch"_s, false);
    meal(LabelTeeCoffeeTime, u"LabelTeeCoffeeTime"_s, u"Afternoon snack/Tee:"_s, RichEditTeeCoffeeTime,
         u"RichEditTeeCoffeeTime"_s, false);
    meal(LabelDinner, u"LabelDinner"_s, u"Dinner:"_s, RichEditDinner, u"RichEditDinner"_s, true);
}

void TmainForm::CreateHealthPage()
{
    QWidget* page = TabSheetHealth;
    struct TRow {
        QLabel** Label;
        TNumberEdit** Edit;
        const char* Name; // the edit's name without "Edit"
        QString Caption;
    };
    const auto group = [&](QGroupBox*& aBox, const QString& aName, const QString& aCaption, int aIndex,
                           std::initializer_list<TRow> aRowsBeforeCheck, QCheckBox*& aCheck,
                           std::initializer_list<TRow> aRowsAfterCheck) {
        aBox = Named(new QGroupBox(aCaption, page), aName);
        aBox->setFixedSize(246, 244);
        auto* grid = new QGridLayout(aBox);
        // Tight spacing: the longest label and a 91-pixel edit share 246 pixels.
        grid->setContentsMargins(4, 4, 4, 4);
        grid->setHorizontalSpacing(2);
        int line = 0;
        const auto addRow = [&](const TRow& aRow) {
            const QString suffix = QString::fromLatin1(aRow.Name) + QString::number(aIndex);
            *aRow.Label = MakeLabel(aBox, u"Label"_s + suffix, aRow.Caption);
            *aRow.Edit = MakeNumberEdit(aBox, u"Edit"_s + suffix, HealthEditWidth, u"0"_s);
            grid->addWidget(*aRow.Label, line, 0);
            grid->addWidget(*aRow.Edit, line, 1);
            ++line;
        };
        for (const TRow& row : aRowsBeforeCheck)
            addRow(row);
        aCheck = Named(new QCheckBox(u"Heart arrhythmia symbol appears"_s, aBox),
                       u"CheckBoxHeartArrhythmiaSymbolAppears"_s + QString::number(aIndex));
        aCheck->setLayoutDirection(Qt::RightToLeft); // the caption stands left of the box
        grid->addWidget(aCheck, line++, 0, 1, 2, Qt::AlignLeft);
        for (const TRow& row : aRowsAfterCheck)
            addRow(row);
    };

    group(GroupBoxAtMorning, u"GroupBoxAtMorning"_s, u"Morning"_s, 1,
          {{&LabelTemperature1, &EditTemperature1, "Temperature", u"Temperature:"_s},
           {&LabelPuls1, &EditPuls1, "Puls", u"Pulse:"_s}},
          CheckBoxHeartArrhythmiaSymbolAppears1,
          {{&LabelBloodPressureSys1, &EditBloodPressureSys1, "BloodPressureSys", u"Blood pressure Sys:"_s},
           {&LabelBloodPressureDia1, &EditBloodPressureDia1, "BloodPressureDia", u"Blood pressure Dia:"_s},
           {&LabelOxygenSaturation1, &EditOxygenSaturation1, "OxygenSaturation", u"Oxygen saturation in %:"_s},
           {&LabelGlucoseLevel1, &EditGlucoseLevel1, "GlucoseLevel", u"Glucose level:"_s},
           {&LabelWeight1, &EditWeight1, "Weight", u"Weight:"_s}});
    group(GroupBoxAtLunch, u"GroupBoxAtLunch"_s, u"Afternoon"_s, 2,
          {{&LabelTemperature2, &EditTemperature2, "Temperature", u"Temperature:"_s},
           {&LabelPuls2, &EditPuls2, "Puls", u"Pulse:"_s}},
          CheckBoxHeartArrhythmiaSymbolAppears2,
          {{&LabelBloodPressureSys2, &EditBloodPressureSys2, "BloodPressureSys", u"Blood pressure Sys:"_s},
           {&LabelBloodPressureDia2, &EditBloodPressureDia2, "BloodPressureDia", u"Blood pressure Dia:"_s},
           {&LabelOxygenSaturation2, &EditOxygenSaturation2, "OxygenSaturation", u"Oxygen saturation in %:"_s},
           {&LabelGlucoseLevel2, &EditGlucoseLevel2, "GlucoseLevel", u"Glucose level:"_s},
           {&LabelWeight2, &EditWeight2, "Weight", u"Weight:"_s}});
    group(GroupBoxAtEvening, u"GroupBoxAtEvening"_s, u"Evening"_s, 3,
          {{&LabelTemperature3, &EditTemperature3, "Temperature", u"Temperature:"_s},
           {&LabelPuls3, &EditPuls3, "Puls", u"Pulse:"_s}},
          CheckBoxHeartArrhythmiaSymbolAppears3,
          {{&LabelBloodPressureSys3, &EditBloodPressureSys3, "BloodPressureSys", u"Blood pressure Sys:"_s},
           {&LabelBloodPressureDia3, &EditBloodPressureDia3, "BloodPressureDia", u"Blood pressure Dia:"_s},
           {&LabelOxygenSaturation3, &EditOxygenSaturation3, "OxygenSaturation", u"Oxygen saturation in %:"_s},
           {&LabelGlucoseLevel3, &EditGlucoseLevel3, "GlucoseLevel", u"Glucose level:"_s},
           {&LabelWeight3, &EditWeight3, "Weight", u"Weight:"_s}});

    PageControlHealth = Named(new QTabWidget(page), u"PageControlHealth"_s);
    TabSheetHealthCondition = AddPage(PageControlHealth, u"TabSheetHealthCondition"_s, u"Health condition"_s);
    RichEditlHealthCondition = MakeRichEdit(TabSheetHealthCondition, u"RichEditlHealthCondition"_s);
    auto* conditionLayout = new QVBoxLayout(TabSheetHealthCondition);
    conditionLayout->addWidget(RichEditlHealthCondition);

    TabSheetHealthChart = AddPage(PageControlHealth, u"TabSheetHealthChart"_s,
                                  u"Chart of the health values of the last 30 days up to the selected day"_s);
    LabelHealthValue = MakeLabel(TabSheetHealthChart, u"LabelHealthValue"_s, u"Health value:"_s);
    QStringList healthValues;
    for (const THealthReading reading : AllHealthReadings)
        healthValues << QString::fromUtf16(HealthReadingField(reading).Name);
    ComboBoxHealthValue = MakeComboBox(TabSheetHealthChart, u"ComboBoxHealthValue"_s, false, healthValues);
    RadioGroupChartType = Named(new QWidget(TabSheetHealthChart), u"RadioGroupChartType"_s);
    RadioGroupChartTypeButtons = new QButtonGroup(RadioGroupChartType);
    RadioGroupChartTypeButtons->setObjectName(u"RadioGroupChartTypeButtons"_s);
    auto* radioLayout = new QGridLayout(RadioGroupChartType);
    radioLayout->setContentsMargins(0, 0, 0, 0);
    int column = 0;
    for (const QString& item : {u"Morning"_s, u"Afternoon"_s, u"Evening"_s, u"All"_s}) {
        auto* radio = Named(new QRadioButton(item, RadioGroupChartType), u"RadioGroupChartType"_s + item);
        RadioGroupChartTypeButtons->addButton(radio, column);
        radioLayout->addWidget(radio, 0, column++);
    }
    RadioGroupChartTypeButtons->button(0)->setChecked(true);
    ChartHealthValue = MakeChart(TabSheetHealthChart, u"ChartHealthValue"_s, u"Health value:"_s,
                                 {{&Series1, u"Series1"_s}, {&Series2, u"Series2"_s}, {&Series3, u"Series3"_s}},
                                 fSettings);
    auto* chartTop = new QHBoxLayout();
    chartTop->addWidget(LabelHealthValue);
    chartTop->addWidget(ComboBoxHealthValue);
    chartTop->addWidget(RadioGroupChartType);
    chartTop->addStretch(1);
    auto* chartLayout = new QVBoxLayout(TabSheetHealthChart);
    chartLayout->addLayout(chartTop);
    chartLayout->addWidget(ChartHealthValue, 1);

    auto* boxes = new QHBoxLayout();
    boxes->addWidget(GroupBoxAtMorning);
    boxes->addWidget(GroupBoxAtLunch);
    boxes->addWidget(GroupBoxAtEvening);
    boxes->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(boxes);
    layout->addWidget(PageControlHealth, 1);
}

void TmainForm::CreateWeatherPage()
{
    QWidget* page = TabSheetWeather;
    auto* boxes = new QHBoxLayout();
    const auto temperature = [&](QGroupBox*& aBox, const QString& aBoxName, const QString& aCaption, QLabel*& aLabel,
                                 const QString& aLabelName, TNumberEdit*& aEdit, const QString& aEditName) {
        aBox = Named(new QGroupBox(aCaption, page), aBoxName);
        aBox->setFixedSize(182, 60);
        aLabel = MakeLabel(aBox, aLabelName, u"Temperature:"_s);
        aEdit = MakeNumberEdit(aBox, aEditName, WeatherEditWidth, u"0"_s);
        auto* row = new QHBoxLayout(aBox);
        row->addWidget(aLabel);
        row->addWidget(aEdit);
        row->addStretch(1);
        boxes->addWidget(aBox);
    };
    temperature(GroupBoxTemperatureMorning, u"GroupBoxTemperatureMorning"_s, u"Morning"_s, LabelTemperatureMorning,
                u"LabelTemperatureMorning"_s, EditWeatherTemperatureMorning, u"EditWeatherTemperatureMorning"_s);
    temperature(GroupBoxTemperatureAfternoon, u"GroupBoxTemperatureAfternoon"_s, u"Afternoon"_s,
                LabelTemperatureAfternoon, u"LabelTemperatureAfternoon"_s, EditWeatherTemperatureAfternoon,
                u"EditWeatherTemperatureAfternoon"_s);
    temperature(GroupBoxTemperatureEvening, u"GroupBoxTemperatureEvening"_s, u"Evening"_s, LabelTemperatureEvening,
                u"LabelTemperatureEvening"_s, EditWeatherTemperatureEvening, u"EditWeatherTemperatureEvening"_s);
    temperature(GroupBoxTemperatureOvernight, u"GroupBoxTemperatureOvernight"_s, u"Overnight"_s,
                LabelTemperatureOvernight, u"LabelTemperatureOvernight"_s, EditWeatherTemperatureOvernight,
                u"EditWeatherTemperatureOvernight"_s);
    boxes->addStretch(1);

    GroupBoxAfternoon = Named(new QGroupBox(u"Afternoon"_s, page), u"GroupBoxAfternoon"_s);
    QGroupBox* box = GroupBoxAfternoon;
    // Created in the keyboard order: humidity, pressure, wind direction, wind speed, UV index, moon.
    LabelHumidity = MakeLabel(box, u"LabelHumidity"_s, u"Humidity %:"_s);
    EditWeatherHumidity = MakeNumberEdit(box, u"EditWeatherHumidity"_s, WeatherEditWidth, u"0"_s);
    LabelPressure = MakeLabel(box, u"LabelPressure"_s, u"Pressure hPa:"_s);
    EditWeatherPressure = MakeNumberEdit(box, u"EditWeatherPressure"_s, WeatherEditWidth, u"0"_s);
    LabelWindDirection = MakeLabel(box, u"LabelWindDirection"_s, u"Wind direction:"_s);
    ComboBoxWeatherWindDirection = MakeComboBox(
        box, u"ComboBoxWeatherWindDirection"_s, true,
        {u"North"_s, u"NorthEast"_s, u"East"_s, u"SouthEast"_s, u"South"_s, u"SouthWest"_s, u"West"_s, u"NorthWest"_s});
    LabelWindSpeed = MakeLabel(box, u"LabelWindSpeed"_s, u"Wind speed km/h: "_s);
    EditWeatherWindSpeed = MakeNumberEdit(box, u"EditWeatherWindSpeed"_s, WeatherEditWidth, u"0"_s);
    LabelUVIndex = MakeLabel(box, u"LabelUVIndex"_s, u"UV Index:"_s);
    EditWeatherUVIndex = MakeNumberEdit(box, u"EditWeatherUVIndex"_s, WeatherEditWidth, u"0"_s);
    LabelWeatherMoonPhase = MakeLabel(box, u"LabelWeatherMoonPhase"_s, u"Moon phase:"_s);
    ComboBoxWeatherMoonPhase =
        MakeComboBox(box, u"ComboBoxWeatherMoonPhase"_s, true,
                     {u"New Moon"_s, u"Waxing Crescent Moon"_s, u"First Quarter Moon"_s, u"Waxing Gibbous Moon"_s,
                      u"Full Moon"_s, u"Waning Gibbous Moon"_s, u"Last Quarter Moon"_s, u"Waning Crescent Moon"_s});
    auto* grid = new QGridLayout(box);
    grid->addWidget(LabelHumidity, 0, 0);
    grid->addWidget(EditWeatherHumidity, 0, 1);
    grid->addWidget(LabelPressure, 0, 2);
    grid->addWidget(EditWeatherPressure, 0, 3);
    grid->addWidget(LabelWindDirection, 0, 4);
    grid->addWidget(ComboBoxWeatherWindDirection, 0, 5);
    grid->addWidget(LabelWindSpeed, 0, 6);
    grid->addWidget(EditWeatherWindSpeed, 0, 7);
    grid->addWidget(LabelUVIndex, 1, 0);
    grid->addWidget(EditWeatherUVIndex, 1, 1);
    grid->addWidget(LabelWeatherMoonPhase, 1, 2);
    grid->addWidget(ComboBoxWeatherMoonPhase, 1, 3, 1, 3);
    grid->setColumnStretch(8, 1);

    PageControlWeather = Named(new QTabWidget(page), u"PageControlWeather"_s);
    TabSheet1 = AddPage(PageControlWeather, u"TabSheet1"_s, u"Weather condition today"_s);
    RichEditWeatherToday = MakeRichEdit(TabSheet1, u"RichEditWeatherToday"_s);
    auto* todayLayout = new QVBoxLayout(TabSheet1);
    todayLayout->addWidget(RichEditWeatherToday);

    TabSheet2 = AddPage(PageControlWeather, u"TabSheet2"_s,
                        u"Chart of the weather values for the last 30 days up to the selected day"_s);
    LabelWeatherValue = MakeLabel(TabSheet2, u"LabelWeatherValue"_s, u"Weather value:"_s);
    QStringList weatherValues;
    for (const TWeatherValueField& value : WeatherValueFields)
        weatherValues << QString::fromUtf16(value.ChartItem);
    ComboBoxWeatherValue = MakeComboBox(TabSheet2, u"ComboBoxWeatherValue"_s, false, weatherValues);
    ChartWeatherValue =
        MakeChart(TabSheet2, u"ChartWeatherValue"_s, u"Weather value:"_s, {{&LineSeries1, u"LineSeries1"_s}},
                  fSettings);
    const QList<QLegendMarker*> markers = ChartWeatherValue->chart()->legend()->markers(LineSeries1);
    for (QLegendMarker* marker : markers)
        marker->setVisible(false);
    // With nothing to list, the legend would only take the plot's room.
    ChartWeatherValue->chart()->legend()->hide();
    auto* chartTop = new QHBoxLayout();
    chartTop->addWidget(LabelWeatherValue);
    chartTop->addWidget(ComboBoxWeatherValue);
    chartTop->addStretch(1);
    auto* chartLayout = new QVBoxLayout(TabSheet2);
    chartLayout->addLayout(chartTop);
    chartLayout->addWidget(ChartWeatherValue, 1);

    auto* layout = new QVBoxLayout(page);
    layout->addLayout(boxes);
    layout->addWidget(GroupBoxAfternoon);
    layout->addWidget(PageControlWeather, 1);
}

void TmainForm::CreateThoughtsPage()
{
    RichEditThoughts = MakeRichEdit(TabSheetThoughts, u"RichEditThoughts"_s);
    auto* layout = new QVBoxLayout(TabSheetThoughts);
    layout->addWidget(RichEditThoughts);
}

void TmainForm::CreatePicturePage()
{
    QWidget* page = TabSheetPicture;
    ImageOfTheDay = Named(new TImageBox(page), u"ImageOfTheDay"_s);
    ImageOfTheDay->setFixedSize(760, 406);
    ButtonLoadPictureFromFile = MakeButton(page, u"ButtonLoadPictureFromFile"_s, u"Load &jpg picture from file"_s);
    ButtonDeleteJpg = MakeButton(page, u"ButtonDeleteJpg"_s, u"&Delete jpg"_s);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(ButtonLoadPictureFromFile);
    buttons->addWidget(ButtonDeleteJpg);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(ImageOfTheDay, 0, Qt::AlignLeft | Qt::AlignTop);
    layout->addStretch(1);
    layout->addLayout(buttons);
}

void TmainForm::WireEvents()
{
    connect(MenuItemNew, &QAction::triggered, this, &TmainForm::MenuItemNewClick);
    connect(MenuItemOpenFile, &QAction::triggered, this, &TmainForm::MenuItemOpenFileClick);
    connect(MenuItemSave, &QAction::triggered, this, &TmainForm::MenuItemSaveClick);
    connect(MenuItemSaveAs, &QAction::triggered, this, &TmainForm::MenuItemSaveAsClick);
    connect(MenuItemExit, &QAction::triggered, this, &TmainForm::MenuItemExitClick);
    connect(MenuItemAbout, &QAction::triggered, this, &TmainForm::MenuItemAboutClick);
    connect(MenuItemRecentFile1, &QAction::triggered, this, &TmainForm::MenuItemRecentFile1Click);
    connect(MenuItemRecentFile2, &QAction::triggered, this, &TmainForm::MenuItemRecentFile2Click);
    connect(MenuItemRecentFile3, &QAction::triggered, this, &TmainForm::MenuItemRecentFile3Click);
    connect(MenuItemRecentFile4, &QAction::triggered, this, &TmainForm::MenuItemRecentFile4Click);
    connect(MenuItemRecentFile5, &QAction::triggered, this, &TmainForm::MenuItemRecentFile5Click);
    connect(MenuItemRecentFile6, &QAction::triggered, this, &TmainForm::MenuItemRecentFile6Click);

    connect(ToolButtonExit, &QToolButton::clicked, this, &TmainForm::ToolButtonExitClick);
    connect(ToolButtonOpenNewFile, &QToolButton::clicked, this, &TmainForm::ToolButtonOpenNewFileClick);
    connect(ToolButtonOpenFile, &QToolButton::clicked, this, &TmainForm::ToolButtonOpenFileClick);
    connect(ToolButtonSaveFile, &QToolButton::clicked, this, &TmainForm::ToolButtonSaveFileClick);
    connect(ToolButtonSaveFileAs, &QToolButton::clicked, this, &TmainForm::ToolButtonSaveFileAsClick);

    connect(ButtonLoadPictureFromFile, &QPushButton::clicked, this, &TmainForm::ButtonLoadPictureFromFileClick);
    connect(ButtonDeleteJpg, &QPushButton::clicked, this, &TmainForm::ButtonDeleteJpgClick);

    WireDayPageEvents();
    WireItemListEvents();
    WireNavigationAndExchangeEvents();
    WireChartEvents();
    WireHealthReportEvents();
    WireRecovery();
}
