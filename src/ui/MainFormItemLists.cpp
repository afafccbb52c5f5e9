#include "ui/UnitMainForm.h"

#include "ui/MainFormGuard.h"

// The handlers of the three item pages (pages/ItemPages.h). Each holds the busy flag around the
// page's operation, so that the change events its writes raise find it set, and raises the
// document's changed flag where the operation changes the day. An amount that is no number (a lone
// separator, pasted text) stops an editor change in the check or the store, and the error box names
// it; the next keystroke that makes it a number stores it all.

void TmainForm::WireItemListEvents()
{
    const auto wire = [this](TItemPageBase* aPage, void (TmainForm::*aAdd)(), void (TmainForm::*aDelete)(),
                             void (TmainForm::*aRow)(), void (TmainForm::*aTitle)(), void (TmainForm::*aFrom)(),
                             void (TmainForm::*aTo)()) {
        connect(aPage, &TItemPageBase::AddClicked, this, aAdd);
        connect(aPage, &TItemPageBase::DeleteClicked, this, aDelete);
        connect(aPage, &TItemPageBase::RowChosen, this, aRow);
        connect(aPage, &TItemPageBase::TitleEdited, this, aTitle);
        connect(aPage, &TItemPageBase::FromEdited, this, aFrom);
        connect(aPage, &TItemPageBase::ToEdited, this, aTo);
    };
    wire(fPages.Tasks, &TmainForm::ButtonAddTaskClick, &TmainForm::ButtonDeleteTaskClick,
         &TmainForm::ListViewTasksClick, &TmainForm::EditTaskChange, &TmainForm::DateTimePickerTaskFromChange,
         &TmainForm::DateTimePickerTaskToChange);
    wire(fPages.Conversations, &TmainForm::ButtonAddConversationClick, &TmainForm::ButtonDeleteConversationClick,
         &TmainForm::ListViewConversationsClick, &TmainForm::EditConversationTitleChange,
         &TmainForm::DateTimePickerFromChange, &TmainForm::DateTimePickerToChange);
    wire(fPages.Shopping, &TmainForm::ButtonAddShoppingClick, &TmainForm::ButtonDeleteShoppingClick,
         &TmainForm::ListViewShoppingsClick, &TmainForm::EditShopChange, &TmainForm::DateTimePickerShoppingFromChange,
         &TmainForm::DateTimePickerShoppingToChange);
    connect(fPages.Shopping, &TItemPageBase::AmountEdited, this, &TmainForm::EditTotalPurchaseAmountChange);
}

template <typename TPage> void TmainForm::AddEntry(TPage& aPage)
{
    GuardShowingErrors(TCursor::Hourglass, [this, &aPage] {
        aPage.Add(*fDay);
        SetDialogUpdated(true);
    });
}

template <typename TPage> void TmainForm::DeleteEntry(TPage& aPage)
{
    GuardShowingErrors(TCursor::Hourglass, [this, &aPage] {
        if (aPage.DeleteSelected(*fDay))
            SetDialogUpdated(true);
    });
}

template <typename TPage> void TmainForm::SwitchToSelectedEntry(TPage& aPage)
{
    GuardShowingErrors(TCursor::Hourglass, [this, &aPage] { aPage.SwitchToSelected(*fDay); });
}

template <typename TPage> void TmainForm::EntryEditorChanged(TPage& aPage)
{
    GuardShowingErrors(TCursor::Hourglass, [this, &aPage] {
        CheckDialogChanged(); // before the store, so that it sees the entry's old values
        aPage.StoreEditorAndRefill(*fDay);
    });
}

template <typename TPage> bool TmainForm::SelectEntry(TPage& aPage, qint64 aID)
{
    aPage.CatchUp(); // its entries are those of the day shown
    // The switch writes into the editor, whose change events would otherwise store the half-written
    // editor into the new entry.
    if (fBusy)
        return aPage.SwitchTo(*fDay, aID);
    TBusySection section(*this, TCursor::Keep);
    return aPage.SwitchTo(*fDay, aID);
}

// Tasks

void TmainForm::ButtonAddTaskClick()
{
    AddEntry(*fPages.Tasks);
}
void TmainForm::ButtonDeleteTaskClick()
{
    DeleteEntry(*fPages.Tasks);
}
void TmainForm::ListViewTasksClick()
{
    SwitchToSelectedEntry(*fPages.Tasks);
}
void TmainForm::EditTaskChange()
{
    EntryEditorChanged(*fPages.Tasks);
}
void TmainForm::DateTimePickerTaskFromChange()
{
    EntryEditorChanged(*fPages.Tasks);
}
void TmainForm::DateTimePickerTaskToChange()
{
    EntryEditorChanged(*fPages.Tasks);
}
bool TmainForm::SelectTaskInList(qint64 aID)
{
    return SelectEntry(*fPages.Tasks, aID);
}

// Conversations

void TmainForm::ButtonAddConversationClick()
{
    AddEntry(*fPages.Conversations);
}
void TmainForm::ButtonDeleteConversationClick()
{
    DeleteEntry(*fPages.Conversations);
}
void TmainForm::ListViewConversationsClick()
{
    SwitchToSelectedEntry(*fPages.Conversations);
}
void TmainForm::EditConversationTitleChange()
{
    EntryEditorChanged(*fPages.Conversations);
}
void TmainForm::DateTimePickerFromChange()
{
    EntryEditorChanged(*fPages.Conversations);
}
void TmainForm::DateTimePickerToChange()
{
    EntryEditorChanged(*fPages.Conversations);
}
bool TmainForm::SelectConversationInList(qint64 aID)
{
    return SelectEntry(*fPages.Conversations, aID);
}

// Shopping trips

void TmainForm::ButtonAddShoppingClick()
{
    AddEntry(*fPages.Shopping);
}
void TmainForm::ButtonDeleteShoppingClick()
{
    DeleteEntry(*fPages.Shopping);
}
void TmainForm::ListViewShoppingsClick()
{
    SwitchToSelectedEntry(*fPages.Shopping);
}
void TmainForm::EditShopChange()
{
    EntryEditorChanged(*fPages.Shopping);
}
void TmainForm::EditTotalPurchaseAmountChange()
{
    EntryEditorChanged(*fPages.Shopping);
}
void TmainForm::DateTimePickerShoppingFromChange()
{
    EntryEditorChanged(*fPages.Shopping);
}
void TmainForm::DateTimePickerShoppingToChange()
{
    EntryEditorChanged(*fPages.Shopping);
}
bool TmainForm::SelectShoppingInList(qint64 aID)
{
    return SelectEntry(*fPages.Shopping, aID);
}
