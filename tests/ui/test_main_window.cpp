// The window as built: every control under its name, the captions, items and sizes, what grows with
// the window and what keeps its size, menus, tool bar, lists, charts and the keyboard order.

#include "support/WindowFixture.h"

#include "ui/Widgets.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTimeAxis>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>
#include <QTest>
#include <QTimeEdit>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;

namespace {

struct TNamedKind {
    const char* ClassName;
    const char* Names; // blank-separated
};

const TNamedKind Controls[] = {
    {"QMenuBar", "MainMenu "},
    {"QMenu", "MainMenuFile MenuItemRecentFiles MainMenuImport MainMenuExport MainMenuHelp "},
    {"QAction", "MenuItemRecentFile1 MenuItemRecentFile2 MenuItemRecentFile3 MenuItemRecentFile4 "
                "MenuItemRecentFile5 MenuItemRecentFile6 N2 MenuItemNew MenuItemOpenFile MenuItemSave "
                "MenuItemSaveAs N1 MenuItemExit MenuItemImportTasksFromACSVFile "
                "MenuItemExportSelectedMonthAsTextfile "
                "MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1 MenuItemAbout ToolButton6 "},
    {"QToolBar", "ToolBar1 "},
    {"QToolButton", "ToolButtonExit ToolButtonOpenNewFile ToolButtonOpenFile ToolButtonSaveFile "
                    "ToolButtonSaveFileAs "},
    {"QLabel", "LabelDate LabelDayOfWeek LabelTaskFrom LabelTaskTo LabelTask LabelNotes "
               "LabelWhatHappenedAdditionalyToTheTasks LabelFromTime LabelToTime LabelConversationTitle "
               "LabelConversation LabelTotalAmountOfPurchaes1 LabelTotalAmountOfPurchaes2 "
               "LabelShoppingFrom LabelShoppingTo LabelShop LabelShoppingList LabelTotalPurchaseAmount "
               "LabelBreakfast LabelLunch LabelBrunch LabelTeeCoffeeTime LabelDinner LabelTemperature1 "
               "LabelPuls1 LabelBloodPressureSys1 LabelBloodPressureDia1 LabelOxygenSaturation1 "
               "LabelGlucoseLevel1 LabelWeight1 LabelTemperature2 LabelPuls2 LabelBloodPressureSys2 "
               "LabelBloodPressureDia2 LabelOxygenSaturation2 LabelGlucoseLevel2 LabelWeight2 "
               "LabelTemperature3 LabelPuls3 LabelBloodPressureSys3 LabelBloodPressureDia3 "
               "LabelOxygenSaturation3 LabelGlucoseLevel3 LabelWeight3 LabelHealthValue "
               "LabelTemperatureMorning LabelTemperatureAfternoon LabelTemperatureEvening "
               "LabelTemperatureOvernight LabelHumidity LabelPressure LabelWindDirection LabelWindSpeed "
               "LabelUVIndex LabelWeatherMoonPhase LabelWeatherValue "},
    {"QDateEdit", "DateTimePicker1 "},
    {"QPushButton", "ButtonGoToFirstFilledDay ButtonGoToPreviousFilledDay ButtonGoToNextFilledDay "
                    "ButtonGoToLastFilledDay ButtonAddTask ButtonDeleteTask ButtonAddConversation "
                    "ButtonDeleteConversation ButtonAddShopping ButtonDeleteShopping ButtonLoadPictureFromFile "
                    "ButtonDeleteJpg "},
    {"QTabWidget", "PageControlAll PageControlHealth PageControlWeather "},
    {"QWidget", "TabSheetTasks TabSheetConversations TabSheetShopping TabSheetMeals TabSheetHealth "
                "TabSheetWeather TabSheetThoughts TabSheetPicture TabSheetHealthCondition "
                "TabSheetHealthChart RadioGroupChartType TabSheet1 TabSheet2 "},
    {"QTreeWidget", "ListViewTasks ListViewConversations ListViewShoppings "},
    {"QTimeEdit", "DateTimePickerTaskFrom DateTimePickerTaskTo DateTimePickerFrom DateTimePickerTo "
                  "DateTimePickerShoppingFrom DateTimePickerShoppingTo "},
    {"QLineEdit", "EditTask EditConversationTitle EditShop "},
    {"TRichEdit", "RichEditNotes RichEditWhatHappenedAdditionalyToTheTasks RichEditConversation "
                  "RichEditShoppingList RichEditBreakfast RichEditLunch RichEditBrunch RichEditTeeCoffeeTime "
                  "RichEditDinner RichEditlHealthCondition RichEditWeatherToday RichEditThoughts "},
    {"TNumberEdit", "EditTotalPurchaseAmount EditTemperature1 EditPuls1 EditBloodPressureSys1 "
                    "EditBloodPressureDia1 EditOxygenSaturation1 EditGlucoseLevel1 EditWeight1 EditTemperature2 "
                    "EditPuls2 EditBloodPressureSys2 EditBloodPressureDia2 EditOxygenSaturation2 "
                    "EditGlucoseLevel2 EditWeight2 EditTemperature3 EditPuls3 EditBloodPressureSys3 "
                    "EditBloodPressureDia3 EditOxygenSaturation3 EditGlucoseLevel3 EditWeight3 "
                    "EditWeatherTemperatureMorning EditWeatherTemperatureAfternoon "
                    "EditWeatherTemperatureEvening EditWeatherTemperatureOvernight EditWeatherHumidity "
                    "EditWeatherPressure EditWeatherWindSpeed EditWeatherUVIndex "},
    {"QGroupBox", "GroupBoxAtMorning GroupBoxAtLunch GroupBoxAtEvening GroupBoxTemperatureMorning "
                  "GroupBoxTemperatureAfternoon GroupBoxTemperatureEvening GroupBoxTemperatureOvernight "
                  "GroupBoxAfternoon "},
    {"QCheckBox", "CheckBoxHeartArrhythmiaSymbolAppears1 CheckBoxHeartArrhythmiaSymbolAppears2 "
                  "CheckBoxHeartArrhythmiaSymbolAppears3 "},
    {"QComboBox", "ComboBoxHealthValue ComboBoxWeatherWindDirection ComboBoxWeatherMoonPhase "
                  "ComboBoxWeatherValue "},
    {"QButtonGroup", "RadioGroupChartTypeButtons "},
    {"QChartView", "ChartHealthValue ChartWeatherValue "},
    {"TImageBox", "ImageOfTheDay "},
};

// The caption a user reads on a control, whatever its kind.
QString CaptionOf(QObject* aObject)
{
    if (auto* action = qobject_cast<QAction*>(aObject))
        return action->text();
    if (auto* menu = qobject_cast<QMenu*>(aObject))
        return menu->title();
    if (auto* box = qobject_cast<QGroupBox*>(aObject))
        return box->title();
    if (auto* button = qobject_cast<QAbstractButton*>(aObject))
        return button->text();
    if (auto* label = qobject_cast<QLabel*>(aObject))
        return label->text();
    if (auto* edit = qobject_cast<QLineEdit*>(aObject))
        return edit->text();
    if (auto* widget = qobject_cast<QWidget*>(aObject)) {
        // A page: the caption is its tab's.
        for (QWidget* parent = widget->parentWidget(); parent; parent = parent->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(parent))
                return tabs->tabText(tabs->indexOf(widget));
    }
    return u"<no caption>"_s;
}

QStringList ItemsOf(const QComboBox* aBox)
{
    QStringList items;
    for (int i = 0; i < aBox->count(); ++i)
        items << aBox->itemText(i);
    return items;
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<TWindowFixture> f;

    template <typename T> T* Get(const QString& aName)
    {
        T* object = f->Find<T>(aName);
        if (!object)
            QTest::qFail(qPrintable(u"no "_s + aName), __FILE__, __LINE__);
        return object;
    }

    // Lays out a page of PageControlAll the way showing it does.
    void ShowPage(const QString& aPage)
    {
        auto* tabs = Get<QTabWidget>(u"PageControlAll"_s);
        tabs->setCurrentWidget(Get<QWidget>(aPage));
        QCoreApplication::sendPostedEvents();
        QApplication::processEvents();
    }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<TWindowFixture>();
        f->Start();
    }
    void cleanup()
    {
        const QStringList problems = f->Problems();
        f.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
    }

    void everyControlHasItsName()
    {
        f->Window().ShowDayOnEveryPage(); // each page makes its controls when first needed
        int count = 0;
        for (const TNamedKind& kind : Controls) {
            for (const QString& name : QString::fromLatin1(kind.Names).split(u' ', Qt::SkipEmptyParts)) {
                const QList<QObject*> found = f->Window().findChildren<QObject*>(name);
                QVERIFY2(found.size() == 1, qPrintable(name + u": found "_s + QString::number(found.size())));
                QVERIFY2(found.first()->inherits(kind.ClassName),
                         qPrintable(name + u" is no "_s + QLatin1String(kind.ClassName)));
                ++count;
            }
        }
        QCOMPARE(count, 188);
    }

    void captions_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        const QList<std::pair<QString, QString>> rows = {
            {u"LabelDate"_s, u"Date:"_s},
            {u"ButtonGoToFirstFilledDay"_s, u"G&o to first filled day"_s},
            {u"ButtonGoToPreviousFilledDay"_s, u"Go to &previous filled day"_s},
            {u"ButtonGoToNextFilledDay"_s, u"Go to &next filled day"_s},
            {u"ButtonGoToLastFilledDay"_s, u"&Go to last filled day"_s},
            {u"TabSheetTasks"_s, u"&Tasks"_s},
            {u"TabSheetConversations"_s, u"&Conversations"_s},
            {u"TabSheetShopping"_s, u"Sh&opping"_s},
            {u"TabSheetMeals"_s, u"&Meals"_s},
            {u"TabSheetHealth"_s, u"&Health"_s},
            {u"TabSheetWeather"_s, u"&Weather"_s},
            {u"TabSheetThoughts"_s, u"Th&oughts"_s},
            {u"TabSheetPicture"_s, u"&Picture of the day"_s},
            {u"TabSheetHealthCondition"_s, u"Health condition"_s},
            {u"TabSheetHealthChart"_s, u"Chart of the health values of the last 30 days up to the selected day"_s},
            {u"TabSheet1"_s, u"Weather condition today"_s},
            {u"TabSheet2"_s, u"Chart of the weather values for the last 30 days up to the selected day"_s},
            {u"LabelWhatHappenedAdditionalyToTheTasks"_s, u"What else happened besides the tasks:"_s},
            {u"LabelConversation"_s, u"Content of the conversation:"_s},
            {u"LabelTotalAmountOfPurchaes1"_s, u"Total amount of purchases:"_s},
            {u"LabelTotalPurchaseAmount"_s, u"Total purchase amount:"_s},
            {u"LabelTeeCoffeeTime"_s, u"Afternoon snack/Tee:"_s},
            {u"GroupBoxAtMorning"_s, u"Morning"_s},
            {u"GroupBoxAtLunch"_s, u"Afternoon"_s},
            {u"GroupBoxAtEvening"_s, u"Evening"_s},
            {u"LabelOxygenSaturation2"_s, u"Oxygen saturation in %:"_s},
            {u"LabelPuls3"_s, u"Pulse:"_s},
            {u"CheckBoxHeartArrhythmiaSymbolAppears1"_s, u"Heart arrhythmia symbol appears"_s},
            {u"GroupBoxTemperatureOvernight"_s, u"Overnight"_s},
            {u"LabelTemperatureOvernight"_s, u"Temperature:"_s},
            {u"GroupBoxAfternoon"_s, u"Afternoon"_s},
            {u"LabelWindSpeed"_s, u"Wind speed km/h: "_s},
            {u"LabelUVIndex"_s, u"UV Index:"_s},
            {u"LabelWeatherMoonPhase"_s, u"Moon phase:"_s},
            {u"LabelHealthValue"_s, u"Health value:"_s},
            {u"LabelWeatherValue"_s, u"Weather value:"_s},
            {u"ButtonLoadPictureFromFile"_s, u"Load &jpg picture from file"_s},
            {u"ButtonDeleteJpg"_s, u"&Delete jpg"_s},
            {u"ButtonAddShopping"_s, u"Add"_s},
            {u"ButtonDeleteConversation"_s, u"Delete"_s},
            {u"MainMenuFile"_s, u"&File"_s},
            {u"MenuItemRecentFiles"_s, u"&Recent Files"_s},
            {u"MenuItemSaveAs"_s, u"Save &As..."_s},
            {u"MainMenuImport"_s, u"&Import"_s},
            {u"MenuItemImportTasksFromACSVFile"_s, u"Import &tasks from a CSV file"_s},
            {u"MainMenuExport"_s, u"&Export"_s},
            {u"MenuItemExportSelectedMonthAsTextfile"_s, u"Export selected mo&nth as Textfile..."_s},
            {u"MenuItemExporthealthvaluesoftheselectedmonthasaCSVfile1"_s,
             u"Export health values of the selected month as a &CSV file..."_s},
            {u"MainMenuHelp"_s, u"&Help"_s},
            {u"MenuItemAbout"_s, u"A&bout"_s},
        };
        for (const auto& [name, caption] : rows)
            QTest::newRow(qPrintable(name)) << name << caption;
    }
    void captions()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QObject* object = Get<QObject>(name);
        QVERIFY(object);
        QCOMPARE(CaptionOf(object), caption);
    }

    void menusInOrderWithoutShortcuts()
    {
        QStringList bar;
        for (QAction* action : Get<QMenuBar>(u"MainMenu"_s)->actions())
            bar << action->text();
        // The search menu is the program's own addition, before the help menu.
        QCOMPARE(bar, (QStringList{u"&File"_s, u"&Import"_s, u"&Export"_s, u"&Search"_s, u"&Help"_s}));

        QStringList file;
        for (QAction* action : Get<QMenu>(u"MainMenuFile"_s)->actions())
            file << (action->menu() ? action->menu()->objectName() : action->objectName()) +
                        (action->isSeparator() ? u" -"_s : QString());
        // The password items are the program's own addition, after Save As.
        QCOMPARE(file,
                 (QStringList{u"MenuItemRecentFiles"_s, u"N2 -"_s, u"MenuItemNew"_s, u"MenuItemOpenFile"_s,
                              u"MenuItemSave"_s, u"MenuItemSaveAs"_s, u"N3 -"_s, u"MenuItemSetPassword"_s,
                              u"MenuItemChangePassword"_s, u"MenuItemRemovePassword"_s, u"N1 -"_s, u"MenuItemExit"_s}));
        QCOMPARE(Get<QMenu>(u"MenuItemRecentFiles"_s)->actions().size(), 6);

        // Only the search menu's own items have keys.
        const QList<QAction*> searchItems = Get<QMenu>(u"MainMenuSearch"_s)->actions();
        for (QAction* action : f->Window().findChildren<QAction*>())
            if (!searchItems.contains(action))
                QVERIFY2(action->shortcut().isEmpty(), qPrintable(action->objectName()));
    }

    void toolBar()
    {
        auto* bar = Get<QToolBar>(u"ToolBar1"_s);
        QCOMPARE(bar->height(), 29);
        QStringList order;
        for (QAction* action : bar->actions()) {
            QWidget* widget = bar->widgetForAction(action);
            order << (qobject_cast<QToolButton*>(widget) ? widget->objectName() : action->objectName());
        }
        QCOMPARE(order, (QStringList{u"ToolButtonExit"_s, u"ToolButton6"_s, u"ToolButtonOpenNewFile"_s,
                                     u"ToolButtonOpenFile"_s, u"ToolButtonSaveFile"_s, u"ToolButtonSaveFileAs"_s}));
        QCOMPARE(bar->widgetForAction(Get<QAction>(u"ToolButton6"_s))->width(), 8);
        const QList<std::pair<QString, QString>> hints = {{u"ToolButtonExit"_s, u"Exit application"_s},
                                                          {u"ToolButtonOpenNewFile"_s, u"Open new file"_s},
                                                          {u"ToolButtonOpenFile"_s, u"Open file"_s},
                                                          {u"ToolButtonSaveFile"_s, u"Save file"_s},
                                                          {u"ToolButtonSaveFileAs"_s, u"Save file as..."_s}};
        for (const auto& [name, hint] : hints) {
            auto* button = Get<QToolButton>(name);
            QCOMPARE(button->toolTip(), hint);
            QVERIFY2(!button->icon().pixmap(16, 16).isNull(), qPrintable(name));
        }
    }

    void sizesAndWhatGrowsWithTheWindow()
    {
        TmainForm& window = f->Window();
        QCOMPARE(window.width(), 788);
        QCOMPARE(window.height() - Get<QMenuBar>(u"MainMenu"_s)->height(), 542);
        QVERIFY(window.minimumSize() != window.maximumSize()); // resizable

        const auto fixed = [&](const QString& aName, QSize aSize) {
            QWidget* widget = Get<QWidget>(aName);
            QCOMPARE(widget->minimumSize(), aSize);
            QCOMPARE(widget->maximumSize(), aSize);
        };
        for (const char* name : {"GroupBoxAtMorning", "GroupBoxAtLunch", "GroupBoxAtEvening"})
            fixed(QLatin1String(name), QSize(246, 244));
        for (const char* name : {"GroupBoxTemperatureMorning", "GroupBoxTemperatureAfternoon",
                                 "GroupBoxTemperatureEvening", "GroupBoxTemperatureOvernight"})
            fixed(QLatin1String(name), QSize(182, 60));
        fixed(u"ImageOfTheDay"_s, QSize(760, 406));
        for (TNumberEdit* edit : window.findChildren<TNumberEdit*>()) {
            const QString name = edit->objectName();
            const int expected = name == u"EditTotalPurchaseAmount" ? 79 : name.startsWith(u"EditWeather") ? 57 : 91;
            QCOMPARE(edit->minimumWidth(), expected);
            QCOMPARE(edit->maximumWidth(), expected);
        }

        // Enlarging: the page control, lists (in height), text boxes and charts grow.
        const auto sizes = [&](std::initializer_list<const char*> aNames) {
            QList<QSize> result;
            for (const char* name : aNames)
                result << Get<QWidget>(QLatin1String(name))->size();
            return result;
        };
        ShowPage(u"TabSheetTasks"_s);
        const QList<QSize> tasksBefore = sizes({"PageControlAll", "ListViewTasks", "RichEditNotes", "EditTask",
                                                "RichEditWhatHappenedAdditionalyToTheTasks"});
        ShowPage(u"TabSheetHealth"_s);
        const QList<QSize> healthBefore = sizes({"PageControlHealth", "GroupBoxAtMorning", "EditTemperature1"});
        window.resize(window.width() + 200, window.height() + 150);
        ShowPage(u"TabSheetTasks"_s);
        const QList<QSize> tasksAfter = sizes({"PageControlAll", "ListViewTasks", "RichEditNotes", "EditTask",
                                               "RichEditWhatHappenedAdditionalyToTheTasks"});
        ShowPage(u"TabSheetHealth"_s);
        const QList<QSize> healthAfter = sizes({"PageControlHealth", "GroupBoxAtMorning", "EditTemperature1"});

        QCOMPARE(tasksAfter[0], tasksBefore[0] + QSize(200, 150));
        QCOMPARE(tasksAfter[1].width(), tasksBefore[1].width());
        QVERIFY(tasksAfter[1].height() > tasksBefore[1].height());
        QVERIFY(tasksAfter[2].width() > tasksBefore[2].width() && tasksAfter[2].height() > tasksBefore[2].height());
        QVERIFY(tasksAfter[3].width() > tasksBefore[3].width());
        QCOMPARE(tasksAfter[4].height(), tasksBefore[4].height());
        QVERIFY(tasksAfter[4].width() > tasksBefore[4].width());
        QVERIFY(healthAfter[0].width() > healthBefore[0].width() && healthAfter[0].height() > healthBefore[0].height());
        QCOMPARE(healthAfter[1], healthBefore[1]);
        QCOMPARE(healthAfter[2], healthBefore[2]);
    }

    void pickers()
    {
        auto* picker = Get<QDateEdit>(u"DateTimePicker1"_s);
        QVERIFY(picker->calendarPopup());
        QCOMPARE(picker->displayFormat(), f->Window().Settings().ShortDateFormat());
        QVERIFY(picker->width() >= 80);
        QVERIFY2(picker->width() >= picker->sizeHint().width(), "the date is clipped");
        for (QTimeEdit* time : f->Window().findChildren<QTimeEdit*>()) {
            if (time->objectName().startsWith(u"DateTimePicker"))
                QCOMPARE(time->displayFormat(), f->Window().Settings().LongTimeFormat());
        }
    }

    void comboBoxes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("editable");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("health value") << u"ComboBoxHealthValue"_s << false << QStringList{u"Temperature"_s,
                                                                                          u"Pulse"_s,
                                                                                          u"Blood pressure Sys"_s,
                                                                                          u"Blood pressure Dia"_s,
                                                                                          u"Oxygen saturation in %"_s,
                                                                                          u"Glucose level"_s,
                                                                                          u"Weight"_s};
        QTest::newRow("weather value") << u"ComboBoxWeatherValue"_s << false
                                       << QStringList{u"Temperature morning"_s,  u"Temperature afternoon"_s,
                                                      u"Temperature evening "_s, u"Temperature overnight"_s,
                                                      u"Humidity %"_s,           u"Pressure hPa"_s,
                                                      u"Wind speed km/h"_s,      u"UV Index"_s};
        QTest::newRow("wind direction") << u"ComboBoxWeatherWindDirection"_s << true
                                        << QStringList{u"North"_s, u"NorthEast"_s, u"East"_s, u"SouthEast"_s,
                                                       u"South"_s, u"SouthWest"_s, u"West"_s, u"NorthWest"_s};
        QTest::newRow("moon phase") << u"ComboBoxWeatherMoonPhase"_s << true
                                    << QStringList{u"New Moon"_s,           u"Waxing Crescent Moon"_s,
                                                   u"First Quarter Moon"_s, u"Waxing Gibbous Moon"_s,
                                                   u"Full Moon"_s,          u"Waning Gibbous Moon"_s,
                                                   u"Last Quarter Moon"_s,  u"Waning Crescent Moon"_s};
    }
    void comboBoxes()
    {
        QFETCH(QString, name);
        QFETCH(bool, editable);
        QFETCH(QStringList, items);
        auto* box = Get<QComboBox>(name);
        QCOMPARE(box->isEditable(), editable);
        QCOMPARE(ItemsOf(box), items);
        if (!editable) {
            QCOMPARE(box->currentIndex(), 0);
            return;
        }
        // A typed text that is no item is kept as typed and does not become an item.
        ShowPage(u"TabSheetWeather"_s);
        box->setFocus();
        box->lineEdit()->selectAll();
        QTest::keyClicks(box, u"Light breeze"_s);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(box->currentText(), u"Light breeze"_s);
        QCOMPARE(ItemsOf(box), items);
    }

    void radioGroup()
    {
        QStringList captions;
        QWidget* group = Get<QWidget>(u"RadioGroupChartType"_s);
        const QList<QAbstractButton*> buttons = group->findChildren<QAbstractButton*>();
        for (QAbstractButton* button : buttons)
            captions << button->text() + (button->isChecked() ? u"*"_s : QString());
        QCOMPARE(captions, (QStringList{u"Morning*"_s, u"Afternoon"_s, u"Evening"_s, u"All"_s}));
    }

    void listViews_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("headers");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("tasks") << u"ListViewTasks"_s << QStringList{u"From"_s, u"To"_s, u"Task"_s}
                               << QList<int>{60, 60, 305};
        QTest::newRow("conversations") << u"ListViewConversations"_s
                                       << QStringList{u"From"_s, u"To"_s, u"Conversation"_s} << QList<int>{60, 60, 305};
        QTest::newRow("shopping") << u"ListViewShoppings"_s
                                  << QStringList{u"From"_s, u"To"_s, u"Shop"_s, u"Total purchase amount"_s}
                                  << QList<int>{60, 60, 180, 125};
    }
    void listViews()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, headers);
        QFETCH(QList<int>, widths);
        auto* list = Get<QTreeWidget>(name);
        QTreeWidgetItem* header = list->headerItem();
        QStringList shown;
        QList<int> shownWidths;
        for (int i = 0; i < list->columnCount(); ++i) {
            shown << header->text(i);
            shownWidths << list->columnWidth(i);
        }
        QCOMPARE(shown, headers);
        QCOMPARE(shownWidths, widths);
        QVERIFY(!list->isHeaderHidden());
        QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!list->isSortingEnabled());
        QVERIFY(!list->header()->sectionsClickable());
        // A column can be widened, not narrowed below its width.
        list->header()->resizeSection(0, 20);
        QCOMPARE(list->columnWidth(0), widths.first());
        list->header()->resizeSection(0, widths.first() + 30);
        QCOMPARE(list->columnWidth(0), widths.first() + 30);
    }

    void chartsAndTheirSeries()
    {
        // Each chart is drawn as its page is first shown.
        ShowPage(u"TabSheetWeather"_s);
        Get<QTabWidget>(u"PageControlWeather"_s)->setCurrentIndex(1);
        ShowPage(u"TabSheetHealth"_s);
        Get<QTabWidget>(u"PageControlHealth"_s)->setCurrentIndex(1);
        QApplication::processEvents();
        QChart* health = Get<QChartView>(u"ChartHealthValue"_s)->chart();
        QChart* weather = Get<QChartView>(u"ChartWeatherValue"_s)->chart();
        // Start-up has shown a day, so both charts carry the title of their first item.
        QCOMPARE(health->title(), u"Health value: Temperature"_s);
        QCOMPARE(weather->title(), u"Weather value: Temperature morning"_s);

        QStringList healthSeries;
        for (QAbstractSeries* series : health->series()) {
            QVERIFY(qobject_cast<QLineSeries*>(series));
            healthSeries << series->objectName();
            const QList<QLegendMarker*> markers = health->legend()->markers(series);
            QCOMPARE(markers.size(), 1); // shown while the chart type is "All" (tests/charts)
        }
        QCOMPARE(healthSeries, (QStringList{u"Series1"_s, u"Series2"_s, u"Series3"_s}));

        QCOMPARE(weather->series().size(), 1);
        QAbstractSeries* line = weather->series().first();
        QCOMPARE(line->objectName(), u"LineSeries1"_s);
        QVERIFY(qobject_cast<QLineSeries*>(line));
        for (QLegendMarker* marker : weather->legend()->markers(line))
            QVERIFY(!marker->isVisible());

        for (QChart* chart : {health, weather}) {
            const QList<QAbstractAxis*> bottom = chart->axes(Qt::Horizontal);
            QCOMPARE(bottom.size(), 1);
            QVERIFY(qobject_cast<QDateTimeAxis*>(bottom.first()));
            for (QAbstractSeries* series : chart->series())
                QVERIFY(series->attachedAxes().contains(bottom.first()));
        }
    }

    void keyboardOrder()
    {
        // The pages made later, in the order the user first brings them up, keep each page's own
        // order and follow the tab control.
        Get<QTabWidget>(u"PageControlAll"_s)->setCurrentIndex(2);
        f->Window().ShowDayOnEveryPage();
        // The names of the focus chain, in order, from the window round to itself.
        QStringList chain;
        QWidget* window = &f->Window();
        for (QWidget* widget = window->nextInFocusChain(); widget && widget != window;
             widget = widget->nextInFocusChain())
            if (!widget->objectName().isEmpty())
                chain << widget->objectName();
        const auto inOrder = [&](const QStringList& aNames) {
            qsizetype last = -1;
            for (const QString& name : aNames) {
                const qsizetype at = chain.indexOf(name);
                QVERIFY2(at > last, qPrintable(name + u" out of order"_s));
                last = at;
            }
        };
        inOrder({u"ToolButtonExit"_s, u"ToolButtonSaveFileAs"_s, u"DateTimePicker1"_s, u"ButtonGoToFirstFilledDay"_s,
                 u"ButtonGoToPreviousFilledDay"_s, u"ButtonGoToNextFilledDay"_s, u"ButtonGoToLastFilledDay"_s,
                 u"PageControlAll"_s, u"ListViewTasks"_s});
        inOrder({u"ListViewTasks"_s, u"DateTimePickerTaskFrom"_s, u"DateTimePickerTaskTo"_s, u"EditTask"_s,
                 u"RichEditNotes"_s, u"ButtonAddTask"_s, u"ButtonDeleteTask"_s,
                 u"RichEditWhatHappenedAdditionalyToTheTasks"_s});
        inOrder({u"ListViewShoppings"_s, u"DateTimePickerShoppingFrom"_s, u"DateTimePickerShoppingTo"_s, u"EditShop"_s,
                 u"RichEditShoppingList"_s, u"EditTotalPurchaseAmount"_s, u"ButtonAddShopping"_s,
                 u"ButtonDeleteShopping"_s});
        inOrder({u"EditTemperature2"_s, u"EditPuls2"_s, u"CheckBoxHeartArrhythmiaSymbolAppears2"_s,
                 u"EditBloodPressureSys2"_s, u"EditBloodPressureDia2"_s, u"EditOxygenSaturation2"_s,
                 u"EditGlucoseLevel2"_s, u"EditWeight2"_s});
        inOrder({u"EditWeatherHumidity"_s, u"EditWeatherPressure"_s, u"ComboBoxWeatherWindDirection"_s,
                 u"EditWeatherWindSpeed"_s, u"EditWeatherUVIndex"_s, u"ComboBoxWeatherMoonPhase"_s});
    }

    void hiddenPagesAreMadeOnceTheWindowIsUp()
    {
        // Only the page on the screen is made before the window first appears; the others follow
        // while it waits for the user, and a page brought up first is made as it is shown.
        TmainForm& window = f->Start();
        const auto made = [&window](const char* aControl) {
            return window.findChild<QWidget*>(QLatin1String(aControl)) != nullptr;
        };
        QVERIFY(made("ListViewTasks"));
        QVERIFY(!made("ChartHealthValue") && !made("ImageOfTheDay"));
        auto* tabs = window.findChild<QTabWidget*>(u"PageControlAll"_s);
        tabs->setCurrentIndex(5);
        auto* weather = window.findChild<QWidget*>(u"EditWeatherHumidity"_s);
        QVERIFY(weather && weather->isVisible() && weather->width() > 0);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_VERIFY(made("ChartHealthValue") && made("ImageOfTheDay") && made("RichEditThoughts"));
    }

    void startsOnTheFirstPages()
    {
        // Whatever page was chosen before, New shows the first page of each page control.
        Get<QTabWidget>(u"PageControlAll"_s)->setCurrentIndex(5);
        Get<QTabWidget>(u"PageControlHealth"_s)->setCurrentIndex(1);
        Get<QTabWidget>(u"PageControlWeather"_s)->setCurrentIndex(1);
        f->Trigger(u"ToolButtonOpenNewFile"_s);
        for (const char* name : {"PageControlAll", "PageControlHealth", "PageControlWeather"})
            QCOMPARE(Get<QTabWidget>(QLatin1String(name))->currentIndex(), 0);
        QCOMPARE(f->Window().windowTitle(), u"Kestrova: NewFile.Kestrova"_s);
    }

    void delphiFiltersBecomeQtNameFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("diary") << u"Kestrova- Files (*.Kestrova)|*.Kestrova"_s
                               << QStringList{u"Kestrova- Files (*.Kestrova)"_s};
        QTest::newRow("bare description") << u"Text files|*.txt"_s << QStringList{u"Text files (*.txt)"_s};
        QTest::newRow("several patterns and entries")
            << u"Pictures|*.jpg;*.jpeg|All (*.*)|*.*"_s << QStringList{u"Pictures (*.jpg *.jpeg)"_s, u"All (*.*)"_s};
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("description without pattern") << u"Lonely"_s << QStringList();
    }
    void delphiFiltersBecomeQtNameFilters()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, expected);
        QCOMPARE(ToQtNameFilters(filter), expected);
    }
};

QTEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
