#pragma once

#include "exchange/DiarySearch.h"

#include <QDockWidget>

#include <functional>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;
class QTreeView;
class TFindResults;

// The non-modal find panel: a query, two options and the hits of the diary, newest first, updated
// shortly after the user stops typing. It holds copies of the hits, never references into the
// diary, which may change or be replaced while the panel stays open; activating a hit hands its
// copy to whoever listens.
class TFindPanel : public QDockWidget {
    Q_OBJECT
public:
    // aDiary gives the diary to search at the moment of the search; it may give none.
    TFindPanel(std::function<const TDiary*()> aDiary, QWidget* aParent);

    // Shows the panel with the query selected, ready for typing.
    void Start();
    // Searches now with the query and options shown, also after the diary was replaced.
    void Refresh();
    const std::vector<TSearchHit>& Hits() const;
    void ActivateHit(int aRow);

Q_SIGNALS:
    void HitActivated(const TSearchHit& aHit);

private:
    std::function<const TDiary*()> fDiary;
    QLineEdit* EditFindText{};
    QCheckBox* CheckBoxMatchCase{};
    QCheckBox* CheckBoxWholeWords{};
    QLabel* LabelFindResult{};
    QTreeView* ListViewFindResults{};
    TFindResults* fResults{};
    QTimer* fDelay{};
};
