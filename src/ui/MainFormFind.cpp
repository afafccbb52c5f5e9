#include "ui/UnitMainForm.h"

#include "exchange/DiarySearch.h"
#include "ui/FindPanel.h"
#include "ui/MainFormGuard.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextCharFormat>

using namespace Qt::Literals::StringLiterals;

namespace {

// A numeric edit claims every key that types a character, Ctrl+letters included, for its key
// filter. The window's own shortcuts come first: for those keys the edit is told the key is not
// its business, and every other Ctrl+letter still reaches the filter and its message.
class TWindowShortcutsFirst : public QObject {
public:
    TWindowShortcutsFirst(QWidget* aWindow) : QObject(aWindow), fWindow(aWindow) {}

    bool eventFilter(QObject* aWatched, QEvent* aEvent) override
    {
        if (aEvent->type() != QEvent::ShortcutOverride)
            return QObject::eventFilter(aWatched, aEvent);
        auto* key = static_cast<QKeyEvent*>(aEvent);
        if (!(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return false;
        const QKeySequence pressed(key->keyCombination());
        for (const QAction* action : fWindow->findChildren<QAction*>()) {
            if (action->isEnabled() && action->shortcuts().contains(pressed)) {
                key->ignore();
                return true;
            }
        }
        return false;
    }

private:
    QWidget* fWindow;
};

QTextCharFormat FilledDayFormat()
{
    QTextCharFormat format;
    format.setFontWeight(QFont::Bold);
    return format;
}

QString WithKey(const QString& aText, const QAction* aAction)
{
    return aText + u" ("_s + aAction->shortcut().toString(QKeySequence::NativeText) + u')';
}

} // namespace

void TmainForm::CreateFindAndDayKeys()
{
    auto* search = new QMenu(u"&Search"_s, MainMenu);
    search->setObjectName(u"MainMenuSearch"_s);
    MainMenu->insertMenu(MainMenu->actions().constLast(), search); // the Help menu stays last
    const auto item = [this, search](const QString& aName, const QString& aCaption, const QKeySequence& aKey,
                                     void (TmainForm::*aClick)()) {
        auto* action = new QAction(aCaption, search);
        action->setObjectName(aName);
        action->setShortcut(aKey);
        // Also from the find panel, which may float in a window of its own.
        action->setShortcutContext(Qt::ApplicationShortcut);
        search->addAction(action);
        connect(action, &QAction::triggered, this, aClick);
        return action;
    };
    // Keys that type no character, so no text box loses one. Ctrl+Page Up/Down is the usual "previous
    // / next" of a document's pages; the page control keeps Ctrl+Tab for its tabs.
    item(u"MenuItemFindInDiary"_s, u"&Find in diary..."_s, QKeySequence::Find, &TmainForm::MenuItemFindInDiaryClick);
    search->addSeparator()->setObjectName(u"N3"_s);
    const QAction* previousDay = item(u"MenuItemPreviousDay"_s, u"&Previous day"_s,
                                      QKeySequence(Qt::CTRL | Qt::Key_PageUp), &TmainForm::MenuItemPreviousDayClick);
    const QAction* nextDay = item(u"MenuItemNextDay"_s, u"&Next day"_s, QKeySequence(Qt::CTRL | Qt::Key_PageDown),
                                  &TmainForm::MenuItemNextDayClick);
    const QAction* previousFilled =
        item(u"MenuItemPreviousFilledDay"_s, u"Pre&vious filled day"_s, QKeySequence(Qt::ALT | Qt::Key_PageUp),
             &TmainForm::MenuItemPreviousFilledDayClick);
    const QAction* nextFilled = item(u"MenuItemNextFilledDay"_s, u"Ne&xt filled day"_s,
                                     QKeySequence(Qt::ALT | Qt::Key_PageDown), &TmainForm::MenuItemNextFilledDayClick);

    ButtonGoToPreviousFilledDay->setToolTip(WithKey(u"Go to previous filled day"_s, previousFilled));
    ButtonGoToNextFilledDay->setToolTip(WithKey(u"Go to next filled day"_s, nextFilled));
    DateTimePicker1->setToolTip(
        u"Previous day: %1, next day: %2"_s.arg(previousDay->shortcut().toString(QKeySequence::NativeText),
                                                nextDay->shortcut().toString(QKeySequence::NativeText)));

    auto* shortcutsFirst = new TWindowShortcutsFirst(this);
    for (TDayPage* page : fPages.All())
        page->SetUpNumberEdits(
            [shortcutsFirst](const TTypedNumberEdit& aEdit) { aEdit.Edit->installEventFilter(shortcutsFirst); });
}

void TmainForm::MenuItemFindInDiaryClick()
{
    if (fBusy)
        return;
    if (!FindPanel) {
        FindPanel = new TFindPanel([this] { return static_cast<const TDiary*>(fDocument.Diary()); }, this);
        addDockWidget(Qt::BottomDockWidgetArea, FindPanel);
        // Floating, it leaves the page its size; docked at the bottom, it takes height only.
        FindPanel->setFloating(true);
        FindPanel->resize(620, 360);
        FindPanel->move(geometry().topRight() + QPoint(-FindPanel->width() + 40, 40));
        connect(FindPanel, &TFindPanel::HitActivated, this, &TmainForm::ShowFoundHit);
    }
    FindPanel->Start();
}

void TmainForm::MenuItemPreviousDayClick()
{
    StepCalendarDay(-1);
}

void TmainForm::MenuItemNextDayClick()
{
    StepCalendarDay(1);
}

void TmainForm::MenuItemPreviousFilledDayClick()
{
    ButtonGoToPreviousFilledDay->click();
}

void TmainForm::MenuItemNextFilledDayClick()
{
    ButtonGoToNextFilledDay->click();
}

void TmainForm::StepCalendarDay(int aDays)
{
    if (fBusy || !fDay)
        return;
    // Through the picker, so that a step is a picked date: the page is committed first, and a value
    // that does not convert keeps the user on the day.
    DateTimePicker1->setDate(DateOfDateTime(fDay->Date).addDays(aDays));
}

void TmainForm::ShowFoundHit(const TSearchHit& aHit)
{
    if (fBusy || !fDay)
        return;
    const QDate date = DateOfDateTime(aHit.Date);
    if (DateOfDateTime(fDay->Date) != date) {
        DateTimePicker1->setDate(date); // the road of a picked date
        if (!fDay || DateOfDateTime(fDay->Date) != date)
            return; // the commit failed and the error box said why
    }
    GuardShowingErrors(TCursor::Keep, [this, &aHit] {
        TDayPage* const page = fPages.PageOf(aHit.Section);
        PageControlAll->setCurrentWidget(page);
        page->Reveal(aHit.Section);
        // As a click on the entry's row: the editor left is stored, the found entry is shown in it.
        if (IsEntrySection(aHit.Section)) {
            if (page == fPages.Tasks)
                SelectTaskInList(aHit.EntryID);
            else if (page == fPages.Conversations)
                SelectConversationInList(aHit.EntryID);
            else if (page == fPages.Shopping)
                SelectShoppingInList(aHit.EntryID);
        }
        KeepDatePickerOnShownDay();
    });
}

// The calendar shows aDay's date in bold while the day is filled; run as a commit ends.
void TmainForm::MarkFilledDay(const TDay& aDay)
{
    // The picker has a calendar only while its format shows a date; a regional format without one
    // leaves nothing to mark.
    if (QCalendarWidget* calendar = DateTimePicker1->calendarWidget())
        calendar->setDateTextFormat(DateOfDateTime(aDay.Date),
                                    IsFilledDay(aDay) ? FilledDayFormat() : QTextCharFormat());
}

// The calendar marks and the find results follow the diary as a whole: run when a diary is opened
// or started, and after a change to many days at once.
void TmainForm::FollowWholeDiary()
{
    QCalendarWidget* calendar = DateTimePicker1->calendarWidget();
    if (calendar)
        calendar->setDateTextFormat(QDate(), QTextCharFormat()); // every mark of the previous diary goes
    if (calendar && fDocument.Diary()) {
        const QTextCharFormat filled = FilledDayFormat();
        for (const auto& day : fDocument.Diary()->DB)
            if (IsFilledDay(*day))
                calendar->setDateTextFormat(DateOfDateTime(day->Date), filled);
    }
    // A hidden panel searches again when it is shown.
    if (FindPanel && FindPanel->isVisible())
        FindPanel->Refresh();
}
