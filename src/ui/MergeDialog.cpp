#include "ui/MergeDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

enum TColumn { ColumnDate, ColumnSection, ColumnField, ColumnOurs, ColumnTheirs, ColumnPick, ColumnCount };

// A cell shows a value on one line; the whole of a long or many-lined text is in its tooltip.
QTableWidgetItem* ValueItem(const QString& aValue)
{
    QString line = aValue;
    line.replace(u"\r\n"_s, u" "_s).replace(u'\n', u' ').replace(u'\r', u' ');
    auto* item = new QTableWidgetItem(line);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    if (line != aValue || aValue.size() > 40)
        item->setToolTip(aValue);
    return item;
}

QString KindText(TMergeKind aKind)
{
    switch (aKind) {
    case TMergeKind::Entry:
        return u"(whole entry)"_s;
    case TMergeKind::Day:
        return u"(whole day)"_s;
    default:
        return QString();
    }
}

} // namespace

TMergeDialog::TMergeDialog(const std::vector<TMergeConflict>& aConflicts, const QStringList& aDates, QWidget* aParent)
    : QDialog(aParent)
{
    setObjectName(u"FormMergeConflicts"_s);
    setWindowTitle(u"Kestrova: changed here and elsewhere"_s);

    auto* label = new QLabel(
        u"These values were changed both in this window (ours) and in the file (theirs). Pick what the diary keeps "
        u"for each. Both keeps ours, then a line \"%1\", then theirs; a number, a flag or a picture needs a "
        u"pick of ours or theirs. Nothing is saved until you save."_s.arg(MergeMarkerLine),
        this);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);

    TableConflicts = new QTableWidget(int(aConflicts.size()), ColumnCount, this);
    TableConflicts->setObjectName(u"TableConflicts"_s);
    TableConflicts->setHorizontalHeaderLabels({u"Date"_s, u"Section"_s, u"Field"_s, u"Ours"_s, u"Theirs"_s, u"Keep"_s});
    TableConflicts->verticalHeader()->setVisible(false);
    TableConflicts->setSelectionBehavior(QAbstractItemView::SelectRows);
    TableConflicts->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int row = 0; row < int(aConflicts.size()); ++row) {
        const TMergeConflict& conflict = aConflicts[size_t(row)];
        TableConflicts->setItem(row, ColumnDate, ValueItem(aDates.value(row)));
        TableConflicts->setItem(row, ColumnSection, ValueItem(conflict.Section));
        TableConflicts->setItem(row, ColumnField,
                                ValueItem(conflict.Field.isEmpty() ? KindText(conflict.Kind) : conflict.Field));
        TableConflicts->setItem(row, ColumnOurs, ValueItem(conflict.Ours));
        TableConflicts->setItem(row, ColumnTheirs, ValueItem(conflict.Theirs));

        auto* box = new QComboBox(TableConflicts);
        box->setObjectName(u"ComboBoxPick%1"_s.arg(row + 1));
        if (conflict.CanKeepBoth())
            box->addItem(u"Both"_s, int(TMergePick::Both));
        else
            box->addItem(u"(pick)"_s, int(TMergePick::None));
        box->addItem(u"Ours"_s, int(TMergePick::Ours));
        box->addItem(u"Theirs"_s, int(TMergePick::Theirs));
        connect(box, &QComboBox::currentIndexChanged, this, &TMergeDialog::FollowPicks);
        TableConflicts->setCellWidget(row, ColumnPick, box);
        fPickBoxes.push_back(box);
    }
    TableConflicts->resizeColumnsToContents();
    for (int column : {ColumnOurs, ColumnTheirs})
        TableConflicts->setColumnWidth(column, qMin(TableConflicts->columnWidth(column), 260));

    auto* allOurs = new QPushButton(u"All &ours"_s, this);
    allOurs->setObjectName(u"ButtonAllOurs"_s);
    connect(allOurs, &QPushButton::clicked, this, [this] { PickAll(TMergePick::Ours); });
    auto* allTheirs = new QPushButton(u"All &theirs"_s, this);
    allTheirs->setObjectName(u"ButtonAllTheirs"_s);
    connect(allTheirs, &QPushButton::clicked, this, [this] { PickAll(TMergePick::Theirs); });

    ButtonBox = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonBox->setObjectName(u"ButtonBox"_s);
    connect(ButtonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(allOurs);
    buttons->addWidget(allTheirs);
    buttons->addStretch();
    buttons->addWidget(ButtonBox);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(TableConflicts, 1);
    layout->addLayout(buttons);
    resize(900, 420);
    FollowPicks();
}

std::vector<TMergePick> TMergeDialog::Picks() const
{
    std::vector<TMergePick> picks;
    picks.reserve(fPickBoxes.size());
    for (const QComboBox* box : fPickBoxes)
        picks.push_back(TMergePick(box->currentData().toInt()));
    return picks;
}

bool TMergeDialog::Pick(int aRow, TMergePick aPick)
{
    if (aRow < 0 || aRow >= int(fPickBoxes.size()) || aPick == TMergePick::None)
        return false;
    QComboBox* box = fPickBoxes[size_t(aRow)];
    const int index = box->findData(int(aPick));
    if (index < 0)
        return false;
    box->setCurrentIndex(index);
    return true;
}

void TMergeDialog::PickAll(TMergePick aPick)
{
    for (int row = 0; row < int(fPickBoxes.size()); ++row)
        Pick(row, aPick);
}

void TMergeDialog::FollowPicks()
{
    const std::vector<TMergePick> picks = Picks();
    const bool complete = std::find(picks.begin(), picks.end(), TMergePick::None) == picks.end();
    ButtonBox->button(QDialogButtonBox::Ok)->setEnabled(complete);
}
