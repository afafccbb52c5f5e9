#pragma once

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
};
struct TWholeBinding {
    TNumberEdit* Control;
    qint32 TDay::*Field;
};
struct TCheckBinding {
    QCheckBox* Control;
    bool TDay::*Field;
};

struct TmainForm::TPageField {
    std::variant<TTextBinding, TComboBinding, TDecimalBinding, TWholeBinding, TCheckBinding> Binding;
};
