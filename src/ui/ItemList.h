#pragma once

#include "model/Records.h"
#include "util/RegionalSettings.h"

#include <QString>

#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class QTreeWidget;
class TNumberEdit;
class TRichEdit;

// Where the entries of one of the day's item lists live, in the day and in the entry.
template <typename TEntry> struct TItemListFields {
    TOwningList<TEntry> TDay::*Entries;
    qint64 TDay::*LastID;
    QString TEntry::*Text;    // the one-line text, the list's third column
    QString TEntry::*Notes;   // the rich text, not shown in the list
    double TEntry::*Amount{}; // shopping trips only
};

// The controls of one item list and its editor.
struct TItemListControls {
    QTreeWidget* List{};
    QPushButton* Delete{};
    QTimeEdit* From{};
    QTimeEdit* To{};
    QLineEdit* Text{};
    TRichEdit* Notes{};
    TNumberEdit* Amount{}; // shopping trips only, as the total below
    QLabel* Total{};
};

// One of the day's three item lists (tasks, conversations, shopping trips) with its editor, which
// shows the list's current entry. The three behave alike; they differ only in the fields and
// controls they are given. Nothing here tests the window's busy flag: the window's handlers hold it
// around every call, so the change events raised by the writes below find it set.
template <typename TEntry> class TItemList {
public:
    // aCurrent is the page's reference to the entry in the editor; it is read and set here.
    TItemList(const TItemListFields<TEntry>& aFields, const TItemListControls& aControls, TEntry*& aCurrent,
              const TRegionalSettings& aSettings);

    // Enables or disables the editor and the Delete button; disabling also clears the editor, its
    // pickers to the time of day it is cleared at.
    void Enable(bool aEnabled);
    // Writes the current entry into the editor.
    void Show();
    // Writes the editor into the current entry, if there is one, without validating anything. An
    // amount that is no number throws EConvertError with everything before it already stored.
    void Store();
    // Writes the editor into aEntry, a copy of the current entry, as Store would write it into the
    // entry itself; nothing else changes. An amount that is empty or no number keeps aEntry's.
    void StoreInto(TEntry& aEntry) const;
    // Sorts the day's list in place and makes the rows show it, one row per entry in list order;
    // no row is selected afterwards. The purchase total, if the list has one, is refreshed.
    void Fill(TDay& aDay);
    // Selects the row of the current entry without scrolling it into view or focusing the list.
    void Select();
    // Whether the editor differs from the current entry; false without one. The amount is read
    // first and throws EConvertError when it is no number.
    bool EditorDiffers() const;

    // The day's first entry, in the order stored, becomes current; then the list is refilled.
    void ShowFirstOf(TDay& aDay);
    // Stores the editor and appends a new entry numbered from the day's counter, which becomes current.
    void Add(TDay& aDay);
    // Removes the entry of the selected row; the first row becomes current. False, and nothing done,
    // when no row is selected.
    bool DeleteSelected(TDay& aDay);
    // The entry of the selected row becomes current after the editor is stored into the one left.
    void SwitchToSelected(TDay& aDay);
    // The day's entry aID becomes current as if its row were clicked, and its row is selected.
    bool SwitchTo(TDay& aDay, qint64 aID);

private:
    // What one row shows, so that a refill rewrites only the rows whose entry moved or changed.
    struct TRow {
        const TEntry* Entry;
        qint64 ID;
        TTime From;
        TTime To;
        QString Text;
        double Amount;
    };
    TEntry* SelectedEntry(TDay& aDay) const;
    void SelectRow(int aRow);
    double EditedAmount() const;

    TItemListFields<TEntry> fFields;
    TItemListControls fControls;
    TEntry*& fCurrent;
    const TRegionalSettings& fSettings;
    std::vector<TRow> fRows;
};
