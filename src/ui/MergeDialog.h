#pragma once

#include "model/DiaryMerge.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QComboBox;
class QDialogButtonBox;
class QTableWidget;

// The conflicts of a merge with the file changed elsewhere, one row each: date, section, field,
// the window's value (ours), the file's value (theirs), and what the diary keeps. Texts, entries
// and days start at "Both", numbers, flags and pictures at no pick: OK waits until every row has
// one, so nothing is written on a guess.
class TMergeDialog : public QDialog {
    Q_OBJECT
public:
    TMergeDialog(const std::vector<TMergeConflict>& aConflicts, const QStringList& aDates, QWidget* aParent = nullptr);

    // One per conflict, in their order; None for a row still without a pick.
    std::vector<TMergePick> Picks() const;
    // The row's pick, as the user makes it; false when the row does not offer it.
    bool Pick(int aRow, TMergePick aPick);
    // Every row that offers it takes aPick (the buttons "All ours" and "All theirs").
    void PickAll(TMergePick aPick);

private:
    void FollowPicks();

    QTableWidget* TableConflicts{};
    std::vector<QComboBox*> fPickBoxes; // the last column, one per row
    QDialogButtonBox* ButtonBox{};
};
