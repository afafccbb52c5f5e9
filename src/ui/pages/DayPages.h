#pragma once

#include "ui/pages/HealthPage.h"
#include "ui/pages/ItemPages.h"
#include "ui/pages/MealsPage.h"
#include "ui/pages/PicturePage.h"
#include "ui/pages/WeatherPage.h"

#include <vector>

class QTabWidget;

// The pages of the window's tab control and the walks over all of them: the day page as a whole.
// A commit walks them in its own order, which is not the order of the tabs: every page's fields in
// the order of the day's fields, then the picture, then the three item lists' entries (tasks,
// conversations, shopping trips). Where a number does not convert, the walk stops there.
class TDayPages {
public:
    // Makes every page as a tab of aTabs; the pages live as long as the tabs. Their controls are
    // made as each page is first needed (TDayPage::EnsureBuilt).
    void Create(QTabWidget& aTabs, const TRegionalSettings& aSettings, TDialogs& aDialogs);

    TTasksPage* Tasks{};
    TConversationsPage* Conversations{};
    TShoppingPage* Shopping{};
    TMealsPage* Meals{};
    THealthPage* Health{};
    TWeatherPage* Weather{};
    TThoughtsPage* Thoughts{};
    TPicturePage* Picture{};

    const std::vector<TDayPage*>& All() const { return fInCommitOrder; }
    // Makes the controls of the next page in tab order not made yet; false when none is left.
    bool BuildNext();

    // Shows aDay on the page on the screen; each other page shows it as it is next shown.
    void ShowDay(TDay& aDay);
    // Every page shows the day now (tests read controls of pages nobody looks at).
    void CatchUp();
    void StoreInto(TDay& aDay);
    bool HasChanged(const TDay& aDay) const;
    // The page as a commit would store it, into aCopy, a copy of aShown, the day shown.
    void CopyInto(TDay& aCopy, const TDay& aShown) const;
    void FillEmptyNumberEdits();
    // The number edit a commit stops at, and its page; both null when every edit converts.
    struct TFailingEdit {
        TDayPage* Page{};
        TNumberEdit* Edit{};
    };
    TFailingEdit FirstNumberEditThatDoesNotConvert() const;
    // The diary goes: no entry of it stays current in an editor.
    void ForgetEntries();
    void ShowFirstTabs();
    // The page that shows a found section.
    TDayPage* PageOf(TSearchSection aSection) const;

private:
    std::vector<TDayPage*> fInCommitOrder;
    std::vector<TDayPage*> fInTabOrder;
};
