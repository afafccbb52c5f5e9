#include "ui/FindPanel.h"

#include "util/ksDateUtils.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {
// Long enough that a word typed at normal speed is searched once, short enough to feel immediate.
constexpr int kTypingPauseMilliseconds = 200;
} // namespace

// The hits as rows. A view asks only for the rows it shows, so ten thousand hits cost no more to
// show than a screenful.
class TFindResults : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetHits(std::vector<TSearchHit> aHits)
    {
        beginResetModel();
        fHits = std::move(aHits);
        endResetModel();
    }
    const std::vector<TSearchHit>& Hits() const { return fHits; }

    int rowCount(const QModelIndex& aParent) const override { return aParent.isValid() ? 0 : int(fHits.size()); }
    int columnCount(const QModelIndex& aParent) const override { return aParent.isValid() ? 0 : 3; }

    QVariant data(const QModelIndex& aIndex, int aRole) const override
    {
        if (aRole != Qt::DisplayRole || !aIndex.isValid() || size_t(aIndex.row()) >= fHits.size())
            return {};
        const TSearchHit& hit = fHits[size_t(aIndex.row())];
        switch (aIndex.column()) {
        case 0:
            return TKSDateUtils::ToYearMonthDayWeekdayStr(hit.Date);
        case 1:
            return SearchSectionName(hit.Section);
        default:
            return hit.Snippet;
        }
    }

    QVariant headerData(int aSection, Qt::Orientation aOrientation, int aRole) const override
    {
        if (aOrientation != Qt::Horizontal || aRole != Qt::DisplayRole)
            return {};
        static const QString captions[] = {u"Date"_s, u"Section"_s, u"Text"_s};
        return aSection >= 0 && aSection < 3 ? captions[aSection] : QVariant();
    }

private:
    std::vector<TSearchHit> fHits;
};

TFindPanel::TFindPanel(std::function<const TDiary*()> aDiary, QWidget* aParent)
    : QDockWidget(u"Find in diary"_s, aParent), fDiary(std::move(aDiary))
{
    setObjectName(u"FindPanel"_s);
    auto* body = new QWidget(this);
    EditFindText = new QLineEdit(body);
    EditFindText->setObjectName(u"EditFindText"_s);
    EditFindText->setPlaceholderText(u"Text to find"_s);
    EditFindText->setClearButtonEnabled(true);
    CheckBoxMatchCase = new QCheckBox(u"Match &case"_s, body);
    CheckBoxMatchCase->setObjectName(u"CheckBoxMatchCase"_s);
    CheckBoxWholeWords = new QCheckBox(u"Whole &words"_s, body);
    CheckBoxWholeWords->setObjectName(u"CheckBoxWholeWords"_s);
    LabelFindResult = new QLabel(body);
    LabelFindResult->setObjectName(u"LabelFindResult"_s);

    fResults = new TFindResults(this);
    ListViewFindResults = new QTreeView(body);
    ListViewFindResults->setObjectName(u"ListViewFindResults"_s);
    ListViewFindResults->setModel(fResults);
    ListViewFindResults->setRootIsDecorated(false);
    ListViewFindResults->setUniformRowHeights(true); // rows are measured once, not one by one
    ListViewFindResults->setAllColumnsShowFocus(true);
    ListViewFindResults->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListViewFindResults->setSelectionMode(QAbstractItemView::SingleSelection);
    ListViewFindResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListViewFindResults->header()->setStretchLastSection(true);
    // The date and section columns hold texts of a known widest form: sized to those in the view's
    // own font, with the room the style gives a cell around its text, so no date is ever cut, and
    // without measuring every row of a long result list.
    const QFontMetrics metrics(ListViewFindResults->font());
    const int cellMargin =
        2 * (ListViewFindResults->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, ListViewFindResults) +
             1) +
        ListViewFindResults->style()->pixelMetric(QStyle::PM_HeaderMargin) * 2;
    int dateWidth = 0;
    for (const QString& weekday :
         {u"Sunday"_s, u"Monday"_s, u"Tuesday"_s, u"Wednesday"_s, u"Thursday"_s, u"Friday"_s, u"Saturday"_s})
        for (const QString& digits : {u"0000-00-00 "_s, u"8888-88-88 "_s})
            dateWidth = std::max(dateWidth, metrics.horizontalAdvance(digits + weekday));
    int sectionWidth = 0;
    for (int section = int(TSearchSection::Task); section <= int(TSearchSection::Thoughts); ++section)
        sectionWidth = std::max(sectionWidth, metrics.horizontalAdvance(SearchSectionName(TSearchSection(section))));
    ListViewFindResults->setColumnWidth(0, dateWidth + cellMargin);
    ListViewFindResults->setColumnWidth(1, sectionWidth + cellMargin);

    auto* options = new QHBoxLayout();
    options->addWidget(CheckBoxMatchCase);
    options->addWidget(CheckBoxWholeWords);
    options->addStretch(1);
    options->addWidget(LabelFindResult);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(EditFindText);
    layout->addLayout(options);
    layout->addWidget(ListViewFindResults, 1);
    setWidget(body);

    fDelay = new QTimer(this);
    fDelay->setSingleShot(true);
    fDelay->setInterval(kTypingPauseMilliseconds);
    connect(fDelay, &QTimer::timeout, this, &TFindPanel::Refresh);
    connect(EditFindText, &QLineEdit::textChanged, fDelay, qOverload<>(&QTimer::start));
    connect(EditFindText, &QLineEdit::returnPressed, this, &TFindPanel::Refresh);
    connect(CheckBoxMatchCase, &QCheckBox::toggled, this, &TFindPanel::Refresh);
    connect(CheckBoxWholeWords, &QCheckBox::toggled, this, &TFindPanel::Refresh);
    connect(ListViewFindResults, &QTreeView::activated, this,
            [this](const QModelIndex& aIndex) { ActivateHit(aIndex.row()); });
}

void TFindPanel::Start()
{
    show();
    raise();
    activateWindow();
    EditFindText->setFocus(Qt::ShortcutFocusReason);
    EditFindText->selectAll();
    // The diary may have changed while the panel was away; the hits shown are those of now.
    if (!EditFindText->text().isEmpty())
        Refresh();
}

void TFindPanel::Refresh()
{
    fDelay->stop();
    const QString query = EditFindText->text();
    const TDiary* diary = fDiary ? fDiary() : nullptr;
    std::vector<TSearchHit> hits;
    if (diary)
        hits =
            SearchDiary(*diary, query, TSearchOptions{CheckBoxMatchCase->isChecked(), CheckBoxWholeWords->isChecked()});
    const size_t count = hits.size();
    fResults->SetHits(std::move(hits));
    if (query.isEmpty())
        LabelFindResult->clear();
    else if (count == 0)
        LabelFindResult->setText(u"Nothing found"_s);
    else
        LabelFindResult->setText(count == 1 ? u"1 hit"_s : QString::number(count) + u" hits"_s);
    if (count > 0)
        ListViewFindResults->setCurrentIndex(fResults->index(0, 0));
    // The cells' own measure (the delegate's margins and the style's) may ask a little more than
    // the widest text: the rows shown are measured, never all of a long list.
    QAbstractItemView* const view = ListViewFindResults;
    for (const int column : {0, 1})
        ListViewFindResults->setColumnWidth(
            column, std::max(ListViewFindResults->columnWidth(column), view->sizeHintForColumn(column)));
}

const std::vector<TSearchHit>& TFindPanel::Hits() const
{
    return fResults->Hits();
}

void TFindPanel::ActivateHit(int aRow)
{
    if (aRow < 0 || size_t(aRow) >= Hits().size())
        return;
    // A copy: the listener may refresh the panel, which replaces the hits.
    const TSearchHit hit = Hits()[size_t(aRow)];
    Q_EMIT HitActivated(hit);
}
