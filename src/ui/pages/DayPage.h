#pragma once

#include "ui/pages/PageFields.h"
#include "util/RegionalSettings.h"

#include <QWidget>

#include <exception>
#include <functional>
#include <vector>

class TRichEdit;
enum class TSearchSection;

// One page of the day: a tab of the window with its controls, the state behind them and the part of
// the day they show. A page owns its controls (their object names are the window's) and knows
// nothing of the window, the diary or the busy flag: it shows a day it is given, stores into one,
// says whether it differs from one, and reports what the user did through signals, which the window
// answers inside its busy guard. It may call the controls it owns, the model and the regional
// settings it is given; nothing else. QWidget::setEnabled enables or disables it as a whole.
//
// The page's own day fields are bound in BindFields (PageFields.h). Pages with entries (the item
// lists) or state of their own (the picture) add to the four steps below.
class TDayPage : public QWidget {
    Q_OBJECT
public:
    // What a key typed into one of the page's number edits becomes; Escape (27) drops it.
    using TKeyFilter = std::function<void(TNumberEdit* aEdit, TNumberTyping aTyping, QChar& aKey)>;

    TDayPage(const TRegionalSettings& aSettings, QWidget* aParent);
    ~TDayPage() override;

    // A page makes its controls when it is first needed: shown, asked to show the day now
    // (CatchUp), to bring a found section forward, or when the window has time to spare after it
    // first appeared. Until then it holds no day and costs nothing; the object names of its
    // controls exist only from then on. A page that cannot be made (its chart library cannot be
    // loaded) passes the error on and stays unmade, to be tried again when next needed.
    void EnsureBuilt();
    bool IsBuilt() const { return fBuilt; }

    // The day the page is to show, shown now while the page is on the screen, otherwise as the page
    // is next shown (or by CatchUp): a page nobody looks at costs nothing. Until then it holds
    // nothing of aDay, and the walks of the day page pass it by (HoldsDayShown). A page is hidden
    // only after a commit, so it never keeps an edit that was not stored.
    void ShowDayWhenSeen(TDay& aDay);
    void CatchUp();
    bool HoldsDayShown() const { return fBuilt && !fBehind; }
    // The diary goes: a day handed over and not shown yet is dropped, and the page holds none.
    void DropDayToShow();
    // How a late show runs: the window holds its busy flag around it, so that the change events of
    // the controls being written reach none of its handlers.
    using TShowGuard = std::function<void(const std::function<void()>& aShow)>;
    void SetShowGuard(TShowGuard aGuard) { fShowGuard = std::move(aGuard); }
    // Where an error of a page brought up goes: no error may leave a show event. Called with the
    // error; without one, the error is only logged.
    using TShowFailure = std::function<void(std::exception_ptr aError)>;
    void SetShowFailure(TShowFailure aReport) { fShowFailure = std::move(aReport); }

    // The four steps of the window's day page, each for this page's part of aDay.
    virtual void ShowDay(TDay& aDay);
    // Throws EConvertError at a number that does not convert, with the fields before it stored.
    virtual void StoreInto(TDay& aDay);
    // Throws EConvertError as StoreInto does.
    virtual bool HasChanged(const TDay& aDay) const;
    // What StoreInto would store, into a copy of the day, without failing and without changing the
    // page or the day shown.
    virtual void CopyInto(TDay& aCopy) const;

    // The page's number edits, each with its typing, in the order of a store.
    virtual std::vector<TTypedNumberEdit> NumberEdits() const;
    void SetNumberKeyFilter(const TKeyFilter& aFilter);
    // aSetUp runs for each of the page's number edits, those made later included.
    void SetUpNumberEdits(const std::function<void(const TTypedNumberEdit& aEdit)>& aSetUp);
    // An empty number edit means 0, and so does a lone minus sign where one may be typed.
    void FillEmptyNumberEdits();
    // The first number edit, in the order of a store, that holds no number; null if none.
    virtual TNumberEdit* FirstNumberEditThatDoesNotConvert() const;
    // How the user finds a number edit on this page: its label's caption and the group it stands
    // in, for instance "Temperature" (Morning).
    QString CaptionOf(const TNumberEdit& aEdit) const;
    // Brings forward the part of the page that shows a found section.
    virtual void Reveal(TSearchSection aSection);
    const TPageFields& Fields() const { return fFields; }

Q_SIGNALS:
    void TextEdited();    // a text box's text changed, typed or not (paste, cut, undo, a drop)
    void ChoiceChanged(); // a check box clicked, an editable combo box's text changed
    void NumberEditLeft(TNumberEdit* aEdit);

protected:
    // Makes the page's controls and binds its fields; runs once. It may throw only before it has
    // made anything, which leaves the page unmade.
    virtual void Build() = 0;
    void showEvent(QShowEvent* aEvent) override;
    // True while a day is shown as the page comes on the screen: work that ends in a message box
    // waits until the page is there.
    bool IsCatchingUpOnShow() const { return fCatchingUpOnShow; }

    // Binds the page's day fields; run once the page's controls exist.
    void BindFields();
    void WireTextBox(TRichEdit* aEdit);
    void WireNumberEdit(TNumberEdit* aEdit);
    // Controls report what happens to them while they are destroyed (a list's selection, a focus
    // moving on); a page's signals may only be raised while the class that declares them exists.
    // So every page class that declares signals deletes the controls in its destructor.
    void DeleteControls();

    const TRegionalSettings& fSettings;
    TPageFields fFields;

private:
    bool fBuilt = false;
    std::vector<std::function<void(const TTypedNumberEdit&)>> fNumberEditSetUps;
    TDay* fDayToShow = nullptr;
    bool fBehind = false; // the controls do not hold the day shown
    bool fCatchingUpOnShow = false;
    TShowGuard fShowGuard;
    TShowFailure fShowFailure;
};
