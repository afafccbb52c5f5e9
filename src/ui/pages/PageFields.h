#pragma once

#include "model/DayFields.h"

#include <variant>
#include <vector>

class QCheckBox;
class QComboBox;
class QWidget;
class TNumberEdit;
class TRichEdit;

// One field of a page: a control and the TDay field it shows, of one of the kinds that showing,
// storing, checking and copying treat alike.
struct TTextBinding {
    TRichEdit* Control;
    QString TDay::*Field;
};
struct TComboBinding {
    QComboBox* Control; // its text, whether it is one of the items or not
    QString TDay::*Field;
};
struct TDecimalBinding {
    TNumberEdit* Control;
    double TDay::*Field;
    TNumberTyping Typing; // a decimal, or a whole number kept as a decimal
};
struct TWholeBinding {
    TNumberEdit* Control;
    qint32 TDay::*Field;
    TNumberTyping Typing;
};
struct TCheckBinding {
    QCheckBox* Control;
    bool TDay::*Field;
};
using TPageBinding = std::variant<TTextBinding, TComboBinding, TDecimalBinding, TWholeBinding, TCheckBinding>;

// A number edit and what its key filter lets through.
struct TTypedNumberEdit {
    TNumberEdit* Edit;
    TNumberTyping Typing;
};

// The day's fields a page shows, bound to its controls. The fields and their controls are those of
// DayFields(), the one list of them; a page binds the ones whose control it holds, in that list's
// order, which is the order a commit stores them in: a change check stops at the first difference,
// and a text that does not convert stops a store there.
class TPageFields {
public:
    TPageFields() = default;
    explicit TPageFields(const QWidget& aPage);

    const std::vector<TPageBinding>& Bindings() const { return fBindings; }
    std::vector<TTypedNumberEdit> NumberEdits() const;

    void Show(const TDay& aDay, QChar aSeparator) const;
    // Throws EConvertError at the first number edit whose text does not convert; the fields before
    // it are stored by then.
    void Store(TDay& aDay, QChar aSeparator) const;
    // Numbers are compared as values. Throws EConvertError as Store does.
    bool Differ(const TDay& aDay, QChar aSeparator) const;
    // What Store would store, without failing: an empty number edit, or one that is no number
    // (yet), leaves the value aCopy holds.
    void CopyInto(TDay& aCopy, QChar aSeparator) const;
    // The first number edit, in the order of a store, whose text does not convert; null if none.
    TNumberEdit* FirstThatDoesNotConvert(QChar aSeparator) const;

private:
    std::vector<TPageBinding> fBindings;
};
