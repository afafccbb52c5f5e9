#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"
#include "ui/Widgets.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>

// The three item lists of the day page. TItemList does the work once; the handlers and operations
// below give each list its own names and hold the busy flag around it.

void TmainForm::WireItemListEvents()
{
    fTaskList = std::make_unique<TItemList<TTask>>(
        TItemListFields<TTask>{&TDay::Tasks, &TDay::LastTaskID, &TTask::Task, &TTask::Notes},
        TItemListControls{ListViewTasks, ButtonDeleteTask, DateTimePickerTaskFrom, DateTimePickerTaskTo, EditTask,
                          RichEditNotes},
        fTask, fSettings);
    fConversationList = std::make_unique<TItemList<TConversation>>(
        TItemListFields<TConversation>{&TDay::Conversations, &TDay::LastConversationID, &TConversation::Title,
                                       &TConversation::Conversation},
        TItemListControls{ListViewConversations, ButtonDeleteConversation, DateTimePickerFrom, DateTimePickerTo,
                          EditConversationTitle, RichEditConversation},
        fConversation, fSettings);
    fShoppingList = std::make_unique<TItemList<TShopping>>(
        TItemListFields<TShopping>{&TDay::Shoppings, &TDay::LastShoppingID, &TShopping::Shop, &TShopping::ShoppingList,
                                   &TShopping::TotalPurchaseAmount},
        TItemListControls{ListViewShoppings, ButtonDeleteShopping, DateTimePickerShoppingFrom, DateTimePickerShoppingTo,
                          EditShop, RichEditShoppingList, EditTotalPurchaseAmount, LabelTotalAmountOfPurchaes2},
        fShopping, fSettings);

    connect(ButtonAddTask, &QPushButton::clicked, this, [this] { ButtonAddTaskClick(); });
    connect(ButtonDeleteTask, &QPushButton::clicked, this, [this] { ButtonDeleteTaskClick(); });
    connect(EditTask, &QLineEdit::textChanged, this, [this] { EditTaskChange(); });
    connect(DateTimePickerTaskFrom, &QTimeEdit::timeChanged, this, [this] { DateTimePickerTaskFromChange(); });
    connect(DateTimePickerTaskTo, &QTimeEdit::timeChanged, this, [this] { DateTimePickerTaskToChange(); });

    connect(ButtonAddConversation, &QPushButton::clicked, this, [this] { ButtonAddConversationClick(); });
    connect(ButtonDeleteConversation, &QPushButton::clicked, this, [this] { ButtonDeleteConversationClick(); });
    connect(EditConversationTitle, &QLineEdit::textChanged, this, [this] { EditConversationTitleChange(); });
    connect(DateTimePickerFrom, &QTimeEdit::timeChanged, this, [this] { DateTimePickerFromChange(); });
    connect(DateTimePickerTo, &QTimeEdit::timeChanged, this, [this] { DateTimePickerToChange(); });

    connect(ButtonAddShopping, &QPushButton::clicked, this, [this] { ButtonAddShoppingClick(); });
    connect(ButtonDeleteShopping, &QPushButton::clicked, this, [this] { ButtonDeleteShoppingClick(); });
    connect(EditShop, &QLineEdit::textChanged, this, [this] { EditShopChange(); });
    connect(EditTotalPurchaseAmount, &QLineEdit::textChanged, this, [this] { EditTotalPurchaseAmountChange(); });
    connect(DateTimePickerShoppingFrom, &QTimeEdit::timeChanged, this, [this] { DateTimePickerShoppingFromChange(); });
    connect(DateTimePickerShoppingTo, &QTimeEdit::timeChanged, this, [this] { DateTimePickerShoppingToChange(); });

    // A click switches the current entry, and so does moving the selection with the keyboard:
    // the editor then always shows the entry of the selected row, and Delete removes the entry the
    // user sees. The click also covers the current row, whose click stores the editor. The
    // program's own selections run inside busy sections and reach nothing.
    const auto wireList = [this](QTreeWidget* aList, void (TmainForm::*aClick)()) {
        connect(aList, &QTreeWidget::itemClicked, this, [this, aClick] { (this->*aClick)(); });
        connect(aList, &QTreeWidget::itemSelectionChanged, this, [this, aClick] { (this->*aClick)(); });
    };
    wireList(ListViewTasks, &TmainForm::ListViewTasksClick);
    wireList(ListViewConversations, &TmainForm::ListViewConversationsClick);
    wireList(ListViewShoppings, &TmainForm::ListViewShoppingsClick);
}

void TmainForm::ShowItemLists()
{
    fTaskList->ShowFirstOf(*fDay);
    fConversationList->ShowFirstOf(*fDay);
    fShoppingList->ShowFirstOf(*fDay);
}

bool TmainForm::ItemEditorsChanged() const
{
    return fTaskList->EditorDiffers() || fConversationList->EditorDiffers() || fShoppingList->EditorDiffers();
}

// Tasks

void TmainForm::ButtonAddTaskClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        fTaskList->Add(*fDay);
        SetDialogUpdated(true);
    });
}

void TmainForm::ButtonDeleteTaskClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        if (fTaskList->DeleteSelected(*fDay))
            SetDialogUpdated(true);
    });
}

void TmainForm::ListViewTasksClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { fTaskList->SwitchToSelected(*fDay); });
}

void TmainForm::EditTaskChange()
{
    TaskEditorChanged();
}

void TmainForm::DateTimePickerTaskFromChange()
{
    TaskEditorChanged();
}

void TmainForm::DateTimePickerTaskToChange()
{
    TaskEditorChanged();
}

void TmainForm::TaskEditorChanged()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        CheckDialogChanged(); // before the store, so that it sees the entry's old values
        StoreTask();
        FillListViewTasks();
        SelectTaskInList();
    });
}

void TmainForm::EnableTaskEditor(bool aEnabled)
{
    fTaskList->Enable(aEnabled);
}

void TmainForm::ShowTask()
{
    fTaskList->Show();
}

void TmainForm::StoreTask()
{
    fTaskList->Store();
}

void TmainForm::FillListViewTasks()
{
    fTaskList->Fill(*fDay);
}

void TmainForm::SelectTaskInList()
{
    fTaskList->Select();
}

bool TmainForm::SelectTaskInList(qint64 aID)
{
    // The switch writes into the editor, whose change events would otherwise store the half-written
    // editor into the new entry.
    if (fBusy)
        return fTaskList->SwitchTo(*fDay, aID);
    TBusySection section(*this, TCursor::Keep);
    return fTaskList->SwitchTo(*fDay, aID);
}

// Conversations

void TmainForm::ButtonAddConversationClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        fConversationList->Add(*fDay);
        SetDialogUpdated(true);
    });
}

void TmainForm::ButtonDeleteConversationClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        if (fConversationList->DeleteSelected(*fDay))
            SetDialogUpdated(true);
    });
}

void TmainForm::ListViewConversationsClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { fConversationList->SwitchToSelected(*fDay); });
}

void TmainForm::EditConversationTitleChange()
{
    ConversationEditorChanged();
}

void TmainForm::DateTimePickerFromChange()
{
    ConversationEditorChanged();
}

void TmainForm::DateTimePickerToChange()
{
    ConversationEditorChanged();
}

void TmainForm::ConversationEditorChanged()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        CheckDialogChanged();
        StoreConversation();
        FillListViewConversations();
        SelectConversationInList();
    });
}

void TmainForm::EnableConversationEditor(bool aEnabled)
{
    fConversationList->Enable(aEnabled);
}

void TmainForm::ShowConversation()
{
    fConversationList->Show();
}

void TmainForm::StoreConversation()
{
    fConversationList->Store();
}

void TmainForm::FillListViewConversations()
{
    fConversationList->Fill(*fDay);
}

void TmainForm::SelectConversationInList()
{
    fConversationList->Select();
}

bool TmainForm::SelectConversationInList(qint64 aID)
{
    // The switch writes into the editor, whose change events would otherwise store the half-written
    // editor into the new entry.
    if (fBusy)
        return fConversationList->SwitchTo(*fDay, aID);
    TBusySection section(*this, TCursor::Keep);
    return fConversationList->SwitchTo(*fDay, aID);
}

// Shopping trips

void TmainForm::ButtonAddShoppingClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        fShoppingList->Add(*fDay);
        SetDialogUpdated(true);
    });
}

void TmainForm::ButtonDeleteShoppingClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] {
        if (fShoppingList->DeleteSelected(*fDay))
            SetDialogUpdated(true);
    });
}

void TmainForm::ListViewShoppingsClick()
{
    GuardShowingErrors(TCursor::Hourglass, [this] { fShoppingList->SwitchToSelected(*fDay); });
}

void TmainForm::EditShopChange()
{
    ShoppingEditorChanged();
}

void TmainForm::EditTotalPurchaseAmountChange()
{
    ShoppingEditorChanged();
}

void TmainForm::DateTimePickerShoppingFromChange()
{
    ShoppingEditorChanged();
}

void TmainForm::DateTimePickerShoppingToChange()
{
    ShoppingEditorChanged();
}

void TmainForm::ShoppingEditorChanged()
{
    // An amount that is no number (a lone separator, pasted text) stops this in the check or the
    // store, and the error box names it; the next keystroke that makes it a number stores it all.
    GuardShowingErrors(TCursor::Hourglass, [this] {
        CheckDialogChanged();
        StoreShopping();
        FillListViewShoppings();
        SelectShoppingInList();
    });
}

void TmainForm::EnableShoppingEditor(bool aEnabled)
{
    fShoppingList->Enable(aEnabled);
}

void TmainForm::ShowShopping()
{
    fShoppingList->Show();
}

void TmainForm::StoreShopping()
{
    fShoppingList->Store();
}

void TmainForm::FillListViewShoppings()
{
    fShoppingList->Fill(*fDay);
}

void TmainForm::SelectShoppingInList()
{
    fShoppingList->Select();
}

bool TmainForm::SelectShoppingInList(qint64 aID)
{
    // The switch writes into the editor, whose change events would otherwise store the half-written
    // editor into the new entry.
    if (fBusy)
        return fShoppingList->SwitchTo(*fDay, aID);
    TBusySection section(*this, TCursor::Keep);
    return fShoppingList->SwitchTo(*fDay, aID);
}
