#include "ui/UnitMainForm.h"

#include "ui/DesignFont.h"
#include "ui/FirstPaint.h"
#include "ui/OnDemandIcon.h"
#include "ui/pages/PageControls.h"

#include <QAction>
#include <QDateEdit>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int ClientWidth = 788;
constexpr int ClientHeight = 542;
constexpr int ToolBarHeight = 29;
constexpr int DatePickerWidth = 80;

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

// Drawn at the size the bar shows it, when it is first shown.
QIcon MakeIcon(TIconKind aKind)
{
    return OnDemandIcon([aKind](int aSide) { return DrawIcon(aKind, aSide); });
}

// The icon theme's icon of that name takes the drawn one's place where the desktop has one. The
// theme is looked up after the first paint: the first lookup reads the theme's index, which
// would otherwise be the largest single cost of putting the window up.
const char* const ThemeIconProperty = "kestrovaThemeIcon";

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

} // namespace

TmainForm::TmainForm(std::unique_ptr<TDialogs> aDialogs, TRegionalSettings aSettings, TOptions aOptions,
                     QWidget* aParent)
    : QMainWindow(aParent), fDialogs(std::move(aDialogs)), fSettings(std::move(aSettings)),
      fOptions(std::move(aOptions)), fDocument({fOptions.Backup, fOptions.SettingsFormat}, fOptions.StartThread)
{
    if (!fOptions.LateLibrary)
        fOptions.LateLibrary = LateLibrary;
    setObjectName(u"mainForm"_s);
    setWindowTitle(u"Kestrova"_s);
    setFont(DesignFont(8));
    // Reading a large diary takes about as long as building the controls; do both at once. Only
    // the page shown first is waited for; the rest is read once the window is on the screen.
    if (const QString startFile = StartFileName(); !startFile.isEmpty()) {
        fDocument.StartRead().Start(startFile, Now(), fDocument.LastPageHint());
        fDocument.StartRead().SetWhenRead(
            [this] { QMetaObject::invokeMethod(this, &TmainForm::WholeDiaryRead, Qt::QueuedConnection); });
    }
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

void TmainForm::showEvent(QShowEvent* aEvent)
{
    QMainWindow::showEvent(aEvent);
    if (!fFirstShown && windowHandle()) {
        fFirstShown = true;
        // Queued once more: whatever else waited for the first paint goes first, this work being
        // the window's own catching up.
        windowHandle()->installEventFilter(new TAfterFirstPaint(*this, [this] {
            QTimer::singleShot(0, this, [this] { AfterFirstPaint(); });
        }));
    }
}

void TmainForm::AfterFirstPaint()
{
    fDocument.StartRead().Continue();
    fRecovery->Store().BeginSession();
    for (QToolButton* button : findChildren<QToolButton*>()) {
        const QString theme = button->property(ThemeIconProperty).toString();
        if (!theme.isEmpty())
            button->setIcon(QIcon::fromTheme(theme, button->icon()));
    }
    // The pages nobody has looked at yet are made one at a time while the window has nothing else
    // to do, so that the first switch to each is as quick as the later ones. Making the health page
    // loads the late library (LateLibrary.h), so that the first look at a chart waits for that
    // neither.
    auto* idle = new QTimer(this);
    connect(idle, &QTimer::timeout, this, [this, idle] {
        // Not inside a command (a dialog may be open): the next try waits a little.
        idle->setInterval(fBusy ? 50 : 0);
        if (fBusy)
            return;
        try {
            if (fPages.BuildNext())
                return;
        } catch (...) {
            // A page that cannot be made (its library is missing) would fail at every tick: the
            // error is shown once, and the pages left are made as each is first needed. Stopped
            // before the box, whose event loop would run the timer on.
            idle->stop();
            idle->deleteLater();
            ShowCurrentException();
            return;
        }
        idle->deleteLater();
    });
    idle->start(0);
}

void TmainForm::CreateControls()
{
    CreateMenus();
    CreateToolBar();

    auto* central = Named(new QWidget(this), u"ClientArea"_s);
    setCentralWidget(central);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 4, 4, 4);
    CreateDayRow();

    PageControlAll = Named(new QTabWidget(central), u"PageControlAll"_s);
    fPages.Create(*PageControlAll, fSettings, *fDialogs);
    layout->addWidget(PageControlAll, 1);

    CreateFindAndDayKeys();
}

void TmainForm::CreateMenus()
{
    // The items are wired as they are made; the window keeps only those other code changes.
    const auto item = [this](QMenu* aMenu, const QString& aName, const QString& aCaption, void (TmainForm::*aClick)()) {
        QAction* action = MakeMenuItem(aMenu, aName, aCaption);
        connect(action, &QAction::triggered, this, aClick);
        return action;
    };
    MainMenu = menuBar();
    MainMenu->setObjectName(u"MainMenu"_s);

    QMenu* file = Named(MainMenu->addMenu(u"&File"_s), u"MainMenuFile"_s);
    QMenu* recent = Named(file->addMenu(u"&Recent Files"_s), u"MenuItemRecentFiles"_s);
    MenuItemRecentFiles[0] = item(recent, u"MenuItemRecentFile1"_s, QString(), &TmainForm::MenuItemRecentFile1Click);
    MenuItemRecentFiles[1] = item(recent, u"MenuItemRecentFile2"_s, QString(), &TmainForm::MenuItemRecentFile2Click);
    MenuItemRecentFiles[2] = item(recent, u"MenuItemRecentFile3"_s, QString(), &TmainForm::MenuItemRecentFile3Click);
    MenuItemRecentFiles[3] = item(recent, u"MenuItemRecentFile4"_s, QString(), &TmainForm::MenuItemRecentFile4Click);
    MenuItemRecentFiles[4] = item(recent, u"MenuItemRecentFile5"_s, QString(), &TmainForm::MenuItemRecentFile5Click);
    MenuItemRecentFiles[5] = item(recent, u"MenuItemRecentFile6"_s, QString(), &TmainForm::MenuItemRecentFile6Click);
    MakeSeparator(file, u"N2"_s);
    item(file, u"MenuItemNew"_s, u"&New"_s, &TmainForm::MenuItemNewClick);
    item(file, u"MenuItemOpenFile"_s, u"&Open"_s, &TmainForm::MenuItemOpenFileClick);
    MenuItemSave = item(file, u"MenuItemSave"_s, u"&Save"_s, &TmainForm::MenuItemSaveClick);
    item(file, u"MenuItemSaveAs"_s, u"Save &As..."_s, &TmainForm::MenuItemSaveAsClick);
    CreatePasswordMenuItems(file);
    MakeSeparator(file, u"N1"_s);
    item(file, u"MenuItemExit"_s, u"&Exit"_s, &TmainForm::MenuItemExitClick);

    QMenu* import = Named(MainMenu->addMenu(u"&Import"_s), u"MainMenuImport"_s);
    item(import, u"MenuItemImportTasksFromACSVFile"_s, u"Import &tasks from a CSV file"_s,
         &TmainForm::MenuItemImportTasksFromACSVFileClick);

    QMenu* exports = Named(MainMenu->addMenu(u"&Export"_s), u"MainMenuExport"_s);
    item(exports, u"MenuItemExportSelectedMonthAsTextfile"_s, u"Export selected mo&nth as Textfile..."_s,
         &TmainForm::MenuItemExportSelectedMonthAsTextfileClick);
    item(exports, u"MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1"_s,
         u"Export health values of the selected month as a &CSV file..."_s,
         &TmainForm::MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1Click);
    item(exports, u"MenuItemHealthReport"_s, u"Health &report..."_s, &TmainForm::MenuItemHealthReportClick);

    QMenu* help = Named(MainMenu->addMenu(u"&Help"_s), u"MainMenuHelp"_s);
    item(help, u"MenuItemAbout"_s, u"A&bout"_s, &TmainForm::MenuItemAboutClick);
}

void TmainForm::CreateToolBar()
{
    auto* bar = Named(new QToolBar(this), u"ToolBar1"_s);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    bar->setFixedHeight(ToolBarHeight);
    bar->setIconSize(QSize(16, 16));
    addToolBar(Qt::TopToolBarArea, bar);

    const auto button = [this, bar](const QString& aName, const QString& aTheme, TIconKind aIcon, const QString& aHint,
                                    void (TmainForm::*aClick)()) {
        QToolButton* made = MakeToolButton(bar, aName, MakeIcon(aIcon), aHint);
        made->setProperty(ThemeIconProperty, aTheme);
        connect(made, &QToolButton::clicked, this, aClick);
        return made;
    };
    button(u"ToolButtonExit"_s, u"application-exit"_s, TIconKind::Exit, u"Exit application"_s,
           &TmainForm::ToolButtonExitClick);
    auto* gap = Named(new QFrame(bar), u"ToolButton6Line"_s);
    gap->setFrameShape(QFrame::VLine);
    gap->setFrameShadow(QFrame::Sunken);
    gap->setFixedWidth(8);
    bar->addWidget(gap)->setObjectName(u"ToolButton6"_s);
    button(u"ToolButtonOpenNewFile"_s, u"document-new"_s, TIconKind::NewFile, u"Open new file"_s,
           &TmainForm::ToolButtonOpenNewFileClick);
    button(u"ToolButtonOpenFile"_s, u"document-open"_s, TIconKind::OpenFile, u"Open file"_s,
           &TmainForm::ToolButtonOpenFileClick);
    ToolButtonSaveFile = button(u"ToolButtonSaveFile"_s, u"document-save"_s, TIconKind::SaveFile, u"Save file"_s,
                                &TmainForm::ToolButtonSaveFileClick);
    button(u"ToolButtonSaveFileAs"_s, u"document-save-as"_s, TIconKind::SaveFileAs, u"Save file as..."_s,
           &TmainForm::ToolButtonSaveFileAsClick);
}

void TmainForm::CreateDayRow()
{
    QWidget* central = centralWidget();
    auto* row = new QHBoxLayout();
    QLabel* label = MakeLabel(central, u"LabelDate"_s, u"Date:"_s);
    DateTimePicker1 = Named(new QDateEdit(central), u"DateTimePicker1"_s);
    DateTimePicker1->setCalendarPopup(true);
    DateTimePicker1->setDisplayFormat(fSettings.ShortDateFormat());
    // 80 pixels clip a four-digit year with the popup button beside it in most styles; the picker
    // keeps the design width where the text fits and widens only as far as the text needs.
    DateTimePicker1->setFixedWidth(qMax(DatePickerWidth, DateTimePicker1->sizeHint().width()));
    LabelDayOfWeek = MakeLabel(central, u"LabelDayOfWeek"_s, u"Wednesday"_s);
    LabelDayOfWeek->setMinimumWidth(LabelDayOfWeek->fontMetrics().horizontalAdvance(u"Wednesday"_s) + 8);
    const auto button = [this, central](const QString& aName, const QString& aCaption, void (TmainForm::*aClick)()) {
        QPushButton* made = MakeButton(central, aName, aCaption);
        connect(made, &QPushButton::clicked, this, aClick);
        return made;
    };
    QPushButton* first =
        button(u"ButtonGoToFirstFilledDay"_s, u"G&o to first filled day"_s, &TmainForm::ButtonGoToFirstFilledDayClick);
    ButtonGoToPreviousFilledDay = button(u"ButtonGoToPreviousFilledDay"_s, u"Go to &previous filled day"_s,
                                         &TmainForm::ButtonGoToPreviousFilledDayClick);
    ButtonGoToNextFilledDay =
        button(u"ButtonGoToNextFilledDay"_s, u"Go to &next filled day"_s, &TmainForm::ButtonGoToNextFilledDayClick);
    QPushButton* last =
        button(u"ButtonGoToLastFilledDay"_s, u"&Go to last filled day"_s, &TmainForm::ButtonGoToLastFilledDayClick);
    row->addWidget(label);
    row->addWidget(DateTimePicker1);
    row->addWidget(LabelDayOfWeek);
    row->addWidget(first);
    row->addWidget(ButtonGoToPreviousFilledDay);
    row->addWidget(ButtonGoToNextFilledDay);
    row->addWidget(last);
    row->addStretch(1);
    static_cast<QVBoxLayout*>(central->layout())->addLayout(row);
}

void TmainForm::WireEvents()
{
    WireDayPageEvents();
    WireItemListEvents();
    WireRecovery();
}
