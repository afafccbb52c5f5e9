#pragma once

#include "ui/pages/PageFields.h"
#include "util/RegionalSettings.h"

#include <QWidget>

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
};
