#include "ui/pages/PageFields.h"

#include "ui/Widgets.h"
#include "util/Errors.h"
#include "util/NumberFormat.h"

#include <QCheckBox>
#include <QComboBox>

#include <type_traits>

TPageFields::TPageFields(const QWidget& aPage)
{
    // Pulse, blood pressure and oxygen saturation are typed as whole numbers but are decimals in
    // the record, so they are shown and read back as decimals: the record's type decides.
    for (const TDayField& field : DayFields()) {
        if (!field.Control)
            continue;
        QWidget* const control = aPage.findChild<QWidget*>(QString::fromLatin1(field.Control));
        if (!control)
            continue; // another page's field
        std::visit(
            [&](auto aMember) {
                using T = std::remove_reference_t<decltype(std::declval<TDay&>().*aMember)>;
                if constexpr (std::is_same_v<T, QString>) {
                    if (auto* text = qobject_cast<TRichEdit*>(control))
                        fBindings.push_back(TTextBinding{text, aMember});
                    else if (auto* combo = qobject_cast<QComboBox*>(control))
                        fBindings.push_back(TComboBinding{combo, aMember});
                } else if constexpr (std::is_same_v<T, double>) {
                    if (auto* edit = qobject_cast<TNumberEdit*>(control))
                        fBindings.push_back(TDecimalBinding{edit, aMember, field.Typing});
                } else if constexpr (std::is_same_v<T, qint32>) {
                    if (auto* edit = qobject_cast<TNumberEdit*>(control))
                        fBindings.push_back(TWholeBinding{edit, aMember, field.Typing});
                } else if constexpr (std::is_same_v<T, bool>) {
                    if (auto* box = qobject_cast<QCheckBox*>(control))
                        fBindings.push_back(TCheckBinding{box, aMember});
                }
            },
            field.Member);
    }
}

std::vector<TTypedNumberEdit> TPageFields::NumberEdits() const
{
    std::vector<TTypedNumberEdit> edits;
    for (const TPageBinding& binding : fBindings) {
        if (const auto* decimal = std::get_if<TDecimalBinding>(&binding))
            edits.push_back({decimal->Control, decimal->Typing});
        else if (const auto* whole = std::get_if<TWholeBinding>(&binding))
            edits.push_back({whole->Control, whole->Typing});
    }
    return edits;
}

void TPageFields::Show(const TDay& aDay, QChar aSeparator) const
{
    for (const TPageBinding& binding : fBindings) {
        std::visit(
            [&](const auto& b) {
                using T = std::decay_t<decltype(b)>;
                if constexpr (std::is_same_v<T, TTextBinding>)
                    b.Control->SetText(aDay.*b.Field);
                else if constexpr (std::is_same_v<T, TComboBinding>)
                    b.Control->setEditText(aDay.*b.Field);
                else if constexpr (std::is_same_v<T, TDecimalBinding>)
                    b.Control->setText(FloatToStr(aDay.*b.Field, aSeparator));
                else if constexpr (std::is_same_v<T, TWholeBinding>)
                    b.Control->setText(IntToStr(aDay.*b.Field));
                else
                    b.Control->setChecked(aDay.*b.Field);
            },
            binding);
    }
}

void TPageFields::Store(TDay& aDay, QChar aSeparator) const
{
    for (const TPageBinding& binding : fBindings) {
        std::visit(
            [&](const auto& b) {
                using T = std::decay_t<decltype(b)>;
                if constexpr (std::is_same_v<T, TTextBinding>)
                    aDay.*b.Field = b.Control->Text();
                else if constexpr (std::is_same_v<T, TComboBinding>)
                    aDay.*b.Field = b.Control->currentText();
                else if constexpr (std::is_same_v<T, TDecimalBinding>)
                    aDay.*b.Field = ReadBackFloat(b.Control->text(), aSeparator);
                else if constexpr (std::is_same_v<T, TWholeBinding>)
                    aDay.*b.Field = StrToInt(b.Control->text());
                else
                    aDay.*b.Field = b.Control->isChecked();
            },
            binding);
    }
}

bool TPageFields::Differ(const TDay& aDay, QChar aSeparator) const
{
    for (const TPageBinding& binding : fBindings) {
        // 36.60 and 036.6 are the stored 36.6. A NaN differs from everything, itself included.
        const bool differs = std::visit(
            [&](const auto& b) -> bool {
                using T = std::decay_t<decltype(b)>;
                if constexpr (std::is_same_v<T, TTextBinding>)
                    return b.Control->Text() != aDay.*b.Field;
                else if constexpr (std::is_same_v<T, TComboBinding>)
                    return b.Control->currentText() != aDay.*b.Field;
                else if constexpr (std::is_same_v<T, TDecimalBinding>)
                    return !(ReadBackFloat(b.Control->text(), aSeparator) == aDay.*b.Field);
                else if constexpr (std::is_same_v<T, TWholeBinding>)
                    return StrToInt(b.Control->text()) != aDay.*b.Field;
                else
                    return b.Control->isChecked() != aDay.*b.Field;
            },
            binding);
        if (differs)
            return true;
    }
    return false;
}

void TPageFields::CopyInto(TDay& aCopy, QChar aSeparator) const
{
    for (const TPageBinding& binding : fBindings) {
        std::visit(
            [&](const auto& b) {
                using T = std::decay_t<decltype(b)>;
                if constexpr (std::is_same_v<T, TTextBinding>) {
                    aCopy.*b.Field = b.Control->Text();
                } else if constexpr (std::is_same_v<T, TComboBinding>) {
                    aCopy.*b.Field = b.Control->currentText();
                } else if constexpr (std::is_same_v<T, TDecimalBinding>) {
                    if (!b.Control->text().isEmpty()) {
                        try {
                            aCopy.*b.Field = ReadBackFloat(b.Control->text(), aSeparator);
                        } catch (const EConvertError&) {
                        }
                    }
                } else if constexpr (std::is_same_v<T, TWholeBinding>) {
                    if (const std::optional<qint32> value = TryStrToInt(b.Control->text()))
                        aCopy.*b.Field = *value;
                } else {
                    aCopy.*b.Field = b.Control->isChecked();
                }
            },
            binding);
    }
}

TNumberEdit* TPageFields::FirstThatDoesNotConvert(QChar aSeparator) const
{
    // The same conversions as Store, so the edit found is the one a store stops at.
    const auto converts = [](const auto& aConvert) {
        try {
            aConvert();
            return true;
        } catch (const EConvertError&) {
            return false;
        }
    };
    for (const TPageBinding& binding : fBindings) {
        if (const auto* decimal = std::get_if<TDecimalBinding>(&binding)) {
            if (!converts([&] { ReadBackFloat(decimal->Control->text(), aSeparator); }))
                return decimal->Control;
        } else if (const auto* whole = std::get_if<TWholeBinding>(&binding)) {
            if (!converts([&] { StrToInt(whole->Control->text()); }))
                return whole->Control;
        }
    }
    return nullptr;
}
