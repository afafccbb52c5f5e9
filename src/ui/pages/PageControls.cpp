#include "ui/pages/PageControls.h"

#include "ui/DesignFont.h"
#include "ui/Widgets.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeEdit>
#include <QTreeWidget>

using namespace Qt::Literals::StringLiterals;

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
    if (aEditable) {
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

QWidget* AddPage(QTabWidget* aTabs, const QString& aName, const QString& aCaption)
{
    auto* page = Named(new QWidget(aTabs), aName);
    aTabs->addTab(page, aCaption);
    return page;
}

void SetPageMargins(QWidget& aPage)
{
    aPage.layout()->setContentsMargins(4, 4, 4, 4);
}
