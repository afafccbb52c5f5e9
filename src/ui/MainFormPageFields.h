#pragma once

#include "model/DayFields.h"
#include "ui/UnitMainForm.h"

#include <variant>

class QCheckBox;
class QComboBox;
class TNumberEdit;
class TRichEdit;

// One field of the day page: a control and the TDay field it shows, of one of the kinds the three
// walks (show, commit, check) treat alike.
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

struct TmainForm::TPageField {
    TPageBinding Binding;
};

// The number edit of a field of the page, and how it is typed; null for the other kinds.
inline std::pair<TNumberEdit*, TNumberTyping> NumberEditOf(const TPageBinding& aBinding)
{
    if (const auto* decimal = std::get_if<TDecimalBinding>(&aBinding))
        return {decimal->Control, decimal->Typing};
    if (const auto* whole = std::get_if<TWholeBinding>(&aBinding))
        return {whole->Control, whole->Typing};
    return {nullptr, TNumberTyping::None};
}
