#pragma once

#include "model/Records.h"

#include <QString>

#include <memory>
#include <vector>

// Joining two versions of one diary that were changed apart (two machines sharing a synchronised
// folder, a window and the file changed elsewhere) against the version both started from.
//
// Days are matched by their date, entries of the item lists by their id; a value changed on one
// side only takes that side, changed alike on both sides is no conflict, changed differently is
// one. A day added on one side is kept. Entries added on both sides under the same new id are both
// kept: theirs gets a new id from the day's counter. The counters never go back: each is the
// highest of the three versions, and where both sides' entries were joined, above every id of the
// list, so the next entry added gets a fresh one. A page keeps the date (its time of day included)
// of the side it is taken from, ours where both sides are joined: the time of day is no content.

// What a conflict is about; it decides whether the two values can be kept together.
enum class TMergeKind {
    Text,    // both: ours, then a line MergeMarkerLine, then theirs
    Choice,  // a value picked from a list (wind direction, moon phase): one line, so no both
    Number,  // a reading, a weather value, an entry's time or amount: no both, a pick is needed
    Flag,    // the arrhythmia symbol: no both
    Picture, // no both
    Entry,   // an entry deleted on one side and changed on the other; both: the entry is kept as changed
    Day,     // a day emptied (or dropped) on one side and changed on the other; both: kept as changed
};

enum class TMergePick {
    None, // no pick: texts, entries and days keep both, the rest stays open
    Ours,
    Theirs,
    Both, // only where CanKeepBoth; elsewhere it counts as no pick
};

// The line between ours and theirs in a text that both sides changed. Found again by the user in
// the text, so it reads as what happened rather than as markup.
extern const QString MergeMarkerLine;

struct TMergeConflict {
    TDateTime Date = 0.0; // the day's date as ours keeps it (as theirs does where ours has no page)
    QString Section;      // "Day", or the entry: "Task 3", "Conversation 1", "Shopping trip 2"
    QString Field;        // the member ("Thoughts", "PulseAtMorning", "Notes"); empty for Entry and Day
    TMergeKind Kind = TMergeKind::Text;
    QString Ours;   // the two values as text for the user: numbers in the general number format,
    QString Theirs; // times as hh:mm:ss, "yes"/"no", "picture of N bytes", "(deleted)", "(emptied)"
    // What the merged diary holds: the pick, or the default of the kind. None: still open, and the
    // merged diary holds ours in its place.
    TMergePick Resolution = TMergePick::None;

    bool CanKeepBoth() const
    {
        return Kind == TMergeKind::Text || Kind == TMergeKind::Entry || Kind == TMergeKind::Day;
    }
};

struct TMergeOptions {
    // One per conflict, in the order of TMergeResult::Conflicts of a merge of the same three
    // diaries; conflicts beyond the end get None.
    std::vector<TMergePick> Picks;
    QChar DecimalSeparator = u'.'; // for the numbers of TMergeConflict::Ours and Theirs
};

struct TMergeResult {
    // Days in date order, version 10, the notice as ours has it unless only theirs changed it.
    std::unique_ptr<TDiary> Diary;
    std::vector<TMergeConflict> Conflicts; // in date order, within a day in the order of its fields
    // The conflicts that neither a pick nor a default resolved: while any is left, Diary must not
    // be written.
    qsizetype Open() const;
};

// The three-way merge. It finds the conflicts and resolves them by aOptions.Picks in one walk: run
// it once to learn the conflicts, then, with the same three diaries, again with a pick for each.
TMergeResult MergeDiaries(const TDiary& aBase, const TDiary& aOurs, const TDiary& aTheirs,
                          const TMergeOptions& aOptions = {});

// Both where the kind allows it, ours elsewhere: the rule of kestrova-cli merge --keep-both.
std::vector<TMergePick> KeepBothPicks(const std::vector<TMergeConflict>& aConflicts);

// What changed from one version of a diary to another. Days without content (IsFilledDay) count as
// absent, as a save leaves them out; the date's time of day and the id counters are no content.
enum class TChange { Added, Removed, Changed };

struct TFieldChange {
    QString Section; // "Day", an entry ("Task 3"), or a list ("Tasks") whose order alone changed
    QString Field;   // the member; empty where a whole entry was added or removed, "order" for a list
    TChange Change = TChange::Changed;
};

struct TDayDiff {
    TDateTime Date = 0.0; // as the newer version keeps it (the older one for a removed day)
    TChange Change = TChange::Changed;
    std::vector<TFieldChange> Fields; // for a changed day, in the order of its fields
};

// The days of aB that differ from aA, in date order.
std::vector<TDayDiff> DiffDiaries(const TDiary& aA, const TDiary& aB);
