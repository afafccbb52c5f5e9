#pragma once

#include "ui/ItemList.h"
#include "ui/pages/DayPage.h"

#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class QTreeWidget;

// The pages of the day's three item lists: tasks, conversations and shopping trips. Each owns its
// list, its editor and the entry the editor shows; TItemList (ItemList.h) does the work for all
// three. The buttons, the list and the editor report what the user did; the window answers with the
// operations below, inside its busy guard. Besides the steps of every page, an item page stores its
// editor into the current entry (StoreEntry) and compares them (EntryChanged): a commit does that
// for the three lists after every page has stored its fields.
class TItemPageBase : public TDayPage {
    Q_OBJECT
public:
    using TDayPage::TDayPage;
    ~TItemPageBase() override;

Q_SIGNALS:
    void AddClicked();
    void DeleteClicked();
    void RowChosen(); // a click on a row, or the selection moved with the keyboard
    void TitleEdited();
    void FromEdited();
    void ToEdited();
    void AmountEdited();

protected:
    // The controls every item page has, wired to the signals above.
    struct TEditorControls {
        QTreeWidget* List;
        QPushButton* Add;
        QPushButton* Delete;
        QTimeEdit* From;
        QTimeEdit* To;
        QLineEdit* Title;
        TRichEdit* Notes;
    };
    void WireEditor(const TEditorControls& aControls);
};

template <typename TEntry> class TItemPage : public TItemPageBase {
public:
    using TItemPageBase::TItemPageBase;

    // Also makes the day's first entry current and fills the list.
    void ShowDay(TDay& aDay) override;
    void StoreEntry();
    bool EntryChanged() const;
    // The editor into aCopy's counterpart of the current entry of aShown, the day the page shows.
    void CopyEntryInto(TDay& aCopy, const TDay& aShown) const;
    // The diary goes: no entry of it may stay current.
    void ForgetEntry() { fCurrent = nullptr; }
    TEntry* CurrentEntry() const { return fCurrent; }

    // Stores the editor and appends a new entry, which becomes current.
    void Add(TDay& aDay);
    // False, and nothing done, when no row is selected.
    bool DeleteSelected(TDay& aDay);
    void SwitchToSelected(TDay& aDay);
    // False, with nothing changed, when aDay has no entry aID.
    bool SwitchTo(TDay& aDay, qint64 aID);
    // The editor changed: stored into the entry, which the list then shows where it now sorts.
    void StoreEditorAndRefill(TDay& aDay);

protected:
    void BindList(const TItemListFields<TEntry>& aFields, const TItemListControls& aControls);

private:
    TEntry* fCurrent = nullptr;
    std::unique_ptr<TItemList<TEntry>> fList;
};

class TTasksPage : public TItemPage<TTask> {
public:
    explicit TTasksPage(const TRegionalSettings& aSettings, QWidget* aParent = nullptr);

private:
    void Build() override;
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
};

class TConversationsPage : public TItemPage<TConversation> {
public:
    explicit TConversationsPage(const TRegionalSettings& aSettings, QWidget* aParent = nullptr);

private:
    void Build() override;
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
};

// The shopping page adds the purchase amount of each trip and the day's total.
class TShoppingPage : public TItemPage<TShopping> {
public:
    explicit TShoppingPage(const TRegionalSettings& aSettings, QWidget* aParent = nullptr);

    // The amount too: it is typed as a decimal and filled as the day's number edits are.
    std::vector<TTypedNumberEdit> NumberEdits() const override;
    // The amount goes with the entry, after every page's fields; empty, it counts as 0.
    TNumberEdit* FirstNumberEditThatDoesNotConvert() const override;

private:
    void Build() override;
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
};

extern template class TItemPage<TTask>;
extern template class TItemPage<TConversation>;
extern template class TItemPage<TShopping>;
