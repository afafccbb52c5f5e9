#include "ui/ItemList.h"

#include "model/ItemOrder.h"
#include "ui/Widgets.h"
#include "util/Errors.h"
#include "util/NumberFormat.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QTreeWidget>

#include <algorithm>
#include <bit>
#include <cmath>

namespace {
enum TColumn { ColumnFrom, ColumnTo, ColumnText, ColumnAmount };

// Bit for bit, so that a value that is no number equals itself and a row showing it is kept.
bool SameValue(double aA, double aB)
{
    return std::bit_cast<quint64>(aA) == std::bit_cast<quint64>(aB);
}

// A time editor holds a time of day to the millisecond; another program (or an older file's
// import) may have stored a time between two milliseconds. The editor then shows the stored value
// as well as it can, and only a time the user set differs from it. A value that is no number
// differs from everything, as everywhere on the page.
bool EditorShows(const QTimeEdit& aEditor, TTime aStored)
{
    return std::isfinite(aStored) && aEditor.time() == TimeOfDateTime(aStored);
}

// What a store writes: the stored value as it is while the editor still shows it.
TTime EditedTime(const QTimeEdit& aEditor, TTime aStored)
{
    return EditorShows(aEditor, aStored) ? aStored : EncodeTime(aEditor.time());
}
} // namespace

template <typename TEntry>
TItemList<TEntry>::TItemList(const TItemListFields<TEntry>& aFields, const TItemListControls& aControls,
                             TEntry*& aCurrent, const TRegionalSettings& aSettings)
    : fFields(aFields), fControls(aControls), fCurrent(aCurrent), fSettings(aSettings)
{
}

template <typename TEntry> void TItemList<TEntry>::Enable(bool aEnabled)
{
    fControls.From->setEnabled(aEnabled);
    fControls.To->setEnabled(aEnabled);
    fControls.Text->setEnabled(aEnabled);
    fControls.Notes->setEnabled(aEnabled);
    fControls.Delete->setEnabled(aEnabled);
    if (fControls.Amount)
        fControls.Amount->setEnabled(aEnabled);
    if (aEnabled)
        return;
    const QTime now = QTime::currentTime();
    fControls.From->setTime(now);
    fControls.To->setTime(now);
    fControls.Text->clear();
    fControls.Notes->SetText(QString());
    if (fControls.Amount)
        fControls.Amount->setText(QStringLiteral("0"));
}

template <typename TEntry> void TItemList<TEntry>::Show()
{
    const TEntry& entry = *fCurrent;
    fControls.From->setTime(TimeOfDateTime(entry.FromTime));
    fControls.To->setTime(TimeOfDateTime(entry.ToTime));
    fControls.Text->setText(entry.*fFields.Text);
    fControls.Notes->SetText(entry.*fFields.Notes);
    if (fControls.Amount)
        fControls.Amount->setText(FloatToStr(entry.*fFields.Amount, fSettings));
}

template <typename TEntry> double TItemList<TEntry>::EditedAmount() const
{
    const QString text = fControls.Amount->text();
    return text.isEmpty() ? 0.0 : ReadBackFloat(text, fSettings.DecimalSeparator());
}

template <typename TEntry> void TItemList<TEntry>::Store()
{
    if (!fCurrent)
        return;
    TEntry& entry = *fCurrent;
    entry.FromTime = EditedTime(*fControls.From, entry.FromTime);
    entry.ToTime = EditedTime(*fControls.To, entry.ToTime);
    entry.*fFields.Text = fControls.Text->text();
    entry.*fFields.Notes = fControls.Notes->Text();
    if (fControls.Amount)
        entry.*fFields.Amount = EditedAmount();
}

template <typename TEntry> void TItemList<TEntry>::StoreInto(TEntry& aEntry) const
{
    aEntry.FromTime = EditedTime(*fControls.From, aEntry.FromTime);
    aEntry.ToTime = EditedTime(*fControls.To, aEntry.ToTime);
    aEntry.*fFields.Text = fControls.Text->text();
    aEntry.*fFields.Notes = fControls.Notes->Text();
    if (fControls.Amount && !fControls.Amount->text().isEmpty()) {
        try {
            aEntry.*fFields.Amount = EditedAmount();
        } catch (const EConvertError&) {
            // The copy keeps what the entry holds; the user sees the error at the next commit.
        }
    }
}

template <typename TEntry> bool TItemList<TEntry>::EditorDiffers() const
{
    if (!fCurrent)
        return false;
    const TEntry& entry = *fCurrent;
    const double amount = fControls.Amount ? EditedAmount() : 0.0;
    // Times at the editors' resolution, the rest exactly, a value that is no number differing from
    // everything.
    if (!EditorShows(*fControls.From, entry.FromTime) || !EditorShows(*fControls.To, entry.ToTime))
        return true;
    if (fControls.Text->text() != entry.*fFields.Text || fControls.Notes->Text() != entry.*fFields.Notes)
        return true;
    return fControls.Amount && !(amount == entry.*fFields.Amount);
}

template <typename TEntry> void TItemList<TEntry>::Fill(TDay& aDay)
{
    QTreeWidget* const list = fControls.List;
    list->clearSelection();
    TOwningList<TEntry>& entries = aDay.*fFields.Entries;
    SortEntries(entries);

    // Every keystroke in the editor refills the list, so rows are rewritten only where what they
    // show changed: the result is the same as removing all rows and adding them again.
    if (list->topLevelItemCount() != int(fRows.size())) {
        list->clear();
        fRows.clear();
    }
    while (fRows.size() > entries.size()) {
        delete list->takeTopLevelItem(int(fRows.size()) - 1);
        fRows.pop_back();
    }
    const QChar separator = fSettings.DecimalSeparator();
    const bool hasAmount = fFields.Amount != nullptr;
    QList<QTreeWidgetItem*> added;
    double total = 0.0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const TEntry& entry = *entries[i];
        const double amount = hasAmount ? entry.*fFields.Amount : 0.0;
        total += amount;
        if (i < fRows.size()) {
            TRow& row = fRows[i];
            row.Entry = &entry;
            QTreeWidgetItem* const item = list->topLevelItem(int(i));
            if (row.ID != entry.ID) {
                row.ID = entry.ID;
                item->setData(ColumnFrom, Qt::UserRole, entry.ID);
            }
            if (!SameValue(row.From, entry.FromTime)) {
                row.From = entry.FromTime;
                item->setText(ColumnFrom, fSettings.FormatTime(entry.FromTime));
            }
            if (!SameValue(row.To, entry.ToTime)) {
                row.To = entry.ToTime;
                item->setText(ColumnTo, fSettings.FormatTime(entry.ToTime));
            }
            if (row.Text != entry.*fFields.Text) {
                row.Text = entry.*fFields.Text;
                item->setText(ColumnText, row.Text);
            }
            if (hasAmount && !SameValue(row.Amount, amount)) {
                row.Amount = amount;
                item->setText(ColumnAmount, FloatToStr(amount, separator));
            }
            continue;
        }
        auto* item = new QTreeWidgetItem();
        item->setText(ColumnFrom, fSettings.FormatTime(entry.FromTime));
        item->setText(ColumnTo, fSettings.FormatTime(entry.ToTime));
        item->setText(ColumnText, entry.*fFields.Text);
        if (hasAmount)
            item->setText(ColumnAmount, FloatToStr(amount, separator));
        item->setData(ColumnFrom, Qt::UserRole, entry.ID);
        added.append(item);
        fRows.push_back({&entry, entry.ID, entry.FromTime, entry.ToTime, entry.*fFields.Text, amount});
    }
    list->addTopLevelItems(added);
    if (fControls.Total)
        fControls.Total->setText(FloatToStr(total, separator));
}

template <typename TEntry> void TItemList<TEntry>::SelectRow(int aRow)
{
    // The view scrolls to a new current row on its own; the program's selection leaves the view
    // where the user put it. Keyboard moves still scroll, as the flag is back before they come.
    QTreeWidget* const list = fControls.List;
    const bool autoScroll = list->hasAutoScroll();
    list->setAutoScroll(false);
    list->setCurrentItem(list->topLevelItem(aRow));
    list->setAutoScroll(autoScroll);
}

template <typename TEntry> void TItemList<TEntry>::Select()
{
    if (!fCurrent)
        return;
    for (size_t i = 0; i < fRows.size(); ++i) {
        if (fRows[i].Entry == fCurrent) {
            SelectRow(int(i));
            return;
        }
    }
}

template <typename TEntry> TEntry* TItemList<TEntry>::SelectedEntry(TDay& aDay) const
{
    const QList<QTreeWidgetItem*> selected = fControls.List->selectedItems();
    if (selected.isEmpty())
        return nullptr;
    const int row = fControls.List->indexOfTopLevelItem(selected.first());
    if (row < 0 || size_t(row) >= fRows.size())
        return nullptr;
    // The row's own entry, looked up in the day so that a row can never lead to an entry that is
    // gone; by the entry rather than its id, which a file may give to two entries.
    for (const std::unique_ptr<TEntry>& entry : aDay.*fFields.Entries)
        if (entry.get() == fRows[size_t(row)].Entry)
            return entry.get();
    return nullptr;
}

template <typename TEntry> void TItemList<TEntry>::ShowFirstOf(TDay& aDay)
{
    const TOwningList<TEntry>& entries = aDay.*fFields.Entries;
    if (entries.empty()) {
        fCurrent = nullptr;
        Enable(false);
    } else {
        fCurrent = entries.front().get();
        Show();
        Enable(true);
    }
    Fill(aDay);
    Select();
}

template <typename TEntry> void TItemList<TEntry>::Add(TDay& aDay)
{
    Store();
    auto entry = std::make_unique<TEntry>();
    // Counted in unsigned arithmetic: a counter a file left at the largest value wraps instead of
    // overflowing.
    aDay.*fFields.LastID = qint64(quint64(aDay.*fFields.LastID) + 1);
    entry->ID = aDay.*fFields.LastID;
    fCurrent = entry.get();
    (aDay.*fFields.Entries).push_back(std::move(entry));
    Fill(aDay);
    Select();
    Show();
    Enable(true);
}

template <typename TEntry> bool TItemList<TEntry>::DeleteSelected(TDay& aDay)
{
    TEntry* const doomed = SelectedEntry(aDay);
    if (!doomed)
        return false;
    TOwningList<TEntry>& entries = aDay.*fFields.Entries;
    if (fCurrent == doomed)
        fCurrent = nullptr;
    entries.erase(std::find_if(entries.begin(), entries.end(), [doomed](const auto& e) { return e.get() == doomed; }));
    Fill(aDay);
    if (entries.empty()) {
        fCurrent = nullptr;
        Enable(false);
    } else {
        SelectRow(0);
        fCurrent = entries.front().get();
        Show();
        Enable(true);
    }
    return true;
}

template <typename TEntry> void TItemList<TEntry>::SwitchToSelected(TDay& aDay)
{
    TEntry* const selected = SelectedEntry(aDay);
    if (!selected)
        return;
    Store();
    if (selected == fCurrent)
        return;
    fCurrent = selected;
    Show();
}

template <typename TEntry> bool TItemList<TEntry>::SwitchTo(TDay& aDay, qint64 aID)
{
    const TOwningList<TEntry>& entries = aDay.*fFields.Entries;
    const auto found = std::find_if(entries.begin(), entries.end(), [aID](const auto& e) { return e->ID == aID; });
    if (found == entries.end())
        return false;
    if (found->get() != fCurrent) {
        Store();
        fCurrent = found->get();
        Show();
        Enable(true);
    }
    Select();
    return true;
}

template class TItemList<TTask>;
template class TItemList<TConversation>;
template class TItemList<TShopping>;
