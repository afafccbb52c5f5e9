#include "ui/pages/ItemPages.h"

#include "ui/Widgets.h"
#include "util/Errors.h"
#include "util/NumberFormat.h"
#include "ui/pages/PageControls.h"

#include <QBoxLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>

#include <type_traits>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int PurchaseAmountEditWidth = 79;

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

// The entry of aCopy's list that stands where aEntry stands in aLive's: a copied day keeps the order
// of its entries.
template <typename TEntry>
TEntry* Counterpart(const TOwningList<TEntry>& aLive, const TOwningList<TEntry>& aCopy, const TEntry* aEntry)
{
    for (size_t i = 0; i < aLive.size() && i < aCopy.size(); ++i) {
        if (aLive[i].get() == aEntry)
            return aCopy[i].get();
    }
    return nullptr;
}

} // namespace

TItemPageBase::~TItemPageBase()
{
    DeleteControls();
}

void TItemPageBase::WireEditor(const TEditorControls& aControls)
{
    connect(aControls.Add, &QPushButton::clicked, this, &TItemPageBase::AddClicked);
    connect(aControls.Delete, &QPushButton::clicked, this, &TItemPageBase::DeleteClicked);
    connect(aControls.Title, &QLineEdit::textChanged, this, &TItemPageBase::TitleEdited);
    connect(aControls.From, &QTimeEdit::timeChanged, this, &TItemPageBase::FromEdited);
    connect(aControls.To, &QTimeEdit::timeChanged, this, &TItemPageBase::ToEdited);
    WireTextBox(aControls.Notes);
    // A click switches the current entry, and so does moving the selection with the keyboard:
    // the editor then always shows the entry of the selected row, and Delete removes the entry the
    // user sees. The click also covers the current row, whose click stores the editor. The
    // program's own selections happen while the window is busy and reach nothing.
    connect(aControls.List, &QTreeWidget::itemClicked, this, &TItemPageBase::RowChosen);
    connect(aControls.List, &QTreeWidget::itemSelectionChanged, this, &TItemPageBase::RowChosen);
}

template <typename TEntry>
void TItemPage<TEntry>::BindList(const TItemListFields<TEntry>& aFields, const TItemListControls& aControls)
{
    fList = std::make_unique<TItemList<TEntry>>(aFields, aControls, fCurrent, fSettings);
}

template <typename TEntry> void TItemPage<TEntry>::ShowDay(TDay& aDay)
{
    TItemPageBase::ShowDay(aDay);
    fList->ShowFirstOf(aDay);
}

template <typename TEntry> void TItemPage<TEntry>::StoreEntry()
{
    fList->Store();
}

template <typename TEntry> bool TItemPage<TEntry>::EntryChanged() const
{
    return fList->EditorDiffers();
}

template <typename TEntry> void TItemPage<TEntry>::CopyEntryInto(TDay& aCopy, const TDay& aShown) const
{
    constexpr auto entries = [] {
        if constexpr (std::is_same_v<TEntry, TTask>)
            return &TDay::Tasks;
        else if constexpr (std::is_same_v<TEntry, TConversation>)
            return &TDay::Conversations;
        else
            return &TDay::Shoppings;
    }();
    if (TEntry* entry = Counterpart(aShown.*entries, aCopy.*entries, fCurrent))
        fList->StoreInto(*entry);
}

template <typename TEntry> void TItemPage<TEntry>::Add(TDay& aDay)
{
    fList->Add(aDay);
}

template <typename TEntry> bool TItemPage<TEntry>::DeleteSelected(TDay& aDay)
{
    return fList->DeleteSelected(aDay);
}

template <typename TEntry> void TItemPage<TEntry>::SwitchToSelected(TDay& aDay)
{
    fList->SwitchToSelected(aDay);
}

template <typename TEntry> bool TItemPage<TEntry>::SwitchTo(TDay& aDay, qint64 aID)
{
    return fList->SwitchTo(aDay, aID);
}

template <typename TEntry> void TItemPage<TEntry>::StoreEditorAndRefill(TDay& aDay)
{
    fList->Store();
    fList->Fill(aDay);
    fList->Select();
}

template class TItemPage<TTask>;
template class TItemPage<TConversation>;
template class TItemPage<TShopping>;

TTasksPage::TTasksPage(const TRegionalSettings& aSettings, QWidget* aParent) : TItemPage(aSettings, aParent) {}

void TTasksPage::Build()
{
    QWidget* page = this;
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
    layout->addLayout(
        ArrangeItemPage({ListViewTasks, ButtonAddTask, ButtonDeleteTask, LabelTaskFrom, DateTimePickerTaskFrom,
                         LabelTaskTo, DateTimePickerTaskTo, LabelTask, EditTask, LabelNotes, RichEditNotes}),
        1);
    layout->addWidget(LabelWhatHappenedAdditionalyToTheTasks);
    layout->addWidget(RichEditWhatHappenedAdditionalyToTheTasks);
    SetPageMargins(*this);

    BindFields();
    BindList(TItemListFields<TTask>{&TDay::Tasks, &TDay::LastTaskID, &TTask::Task, &TTask::Notes},
             TItemListControls{ListViewTasks, ButtonDeleteTask, DateTimePickerTaskFrom, DateTimePickerTaskTo, EditTask,
                               RichEditNotes});
    WireEditor({ListViewTasks, ButtonAddTask, ButtonDeleteTask, DateTimePickerTaskFrom, DateTimePickerTaskTo, EditTask,
                RichEditNotes});
}

TConversationsPage::TConversationsPage(const TRegionalSettings& aSettings, QWidget* aParent)
    : TItemPage(aSettings, aParent)
{
}

void TConversationsPage::Build()
{
    QWidget* page = this;
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

    page->setLayout(
        ArrangeItemPage({ListViewConversations, ButtonAddConversation, ButtonDeleteConversation, LabelFromTime,
                         DateTimePickerFrom, LabelToTime, DateTimePickerTo, LabelConversationTitle,
                         EditConversationTitle, LabelConversation, RichEditConversation}));
    SetPageMargins(*this);

    BindFields();
    BindList(TItemListFields<TConversation>{&TDay::Conversations, &TDay::LastConversationID, &TConversation::Title,
                                            &TConversation::Conversation},
             TItemListControls{ListViewConversations, ButtonDeleteConversation, DateTimePickerFrom, DateTimePickerTo,
                               EditConversationTitle, RichEditConversation});
    WireEditor({ListViewConversations, ButtonAddConversation, ButtonDeleteConversation, DateTimePickerFrom,
                DateTimePickerTo, EditConversationTitle, RichEditConversation});
}

TShoppingPage::TShoppingPage(const TRegionalSettings& aSettings, QWidget* aParent) : TItemPage(aSettings, aParent) {}

void TShoppingPage::Build()
{
    QWidget* page = this;
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
    SetPageMargins(*this);

    BindFields();
    BindList(TItemListFields<TShopping>{&TDay::Shoppings, &TDay::LastShoppingID, &TShopping::Shop,
                                        &TShopping::ShoppingList, &TShopping::TotalPurchaseAmount},
             TItemListControls{ListViewShoppings, ButtonDeleteShopping, DateTimePickerShoppingFrom,
                               DateTimePickerShoppingTo, EditShop, RichEditShoppingList, EditTotalPurchaseAmount,
                               LabelTotalAmountOfPurchaes2});
    WireEditor({ListViewShoppings, ButtonAddShopping, ButtonDeleteShopping, DateTimePickerShoppingFrom,
                DateTimePickerShoppingTo, EditShop, RichEditShoppingList});
    connect(EditTotalPurchaseAmount, &QLineEdit::textChanged, this, &TItemPageBase::AmountEdited);
    WireNumberEdit(EditTotalPurchaseAmount);
}

std::vector<TTypedNumberEdit> TShoppingPage::NumberEdits() const
{
    std::vector<TTypedNumberEdit> edits = TItemPage::NumberEdits();
    edits.push_back({EditTotalPurchaseAmount, TNumberTyping::Decimal});
    return edits;
}

TNumberEdit* TShoppingPage::FirstNumberEditThatDoesNotConvert() const
{
    if (TNumberEdit* edit = TItemPage::FirstNumberEditThatDoesNotConvert())
        return edit;
    const QString amount = EditTotalPurchaseAmount->text();
    if (amount.isEmpty())
        return nullptr;
    try {
        ReadBackFloat(amount, fSettings.DecimalSeparator());
        return nullptr;
    } catch (const EConvertError&) {
        return EditTotalPurchaseAmount;
    }
}
