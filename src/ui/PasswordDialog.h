#pragma once

#include "model/DiaryCrypto.h"

#include <QDialog>
#include <QString>
#include <QStringView>

#include <optional>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

// How hard a password is to guess, roughly: from its length and the kinds of characters it draws
// on, less for repeats, runs and the passwords everybody tries first. A hint for the user, not a
// guarantee.
enum class TPasswordStrength { Weak, Fair, Good, Strong };
TPasswordStrength RatePassword(QStringView aPassword);
QString StrengthText(TPasswordStrength aStrength);

// The password dialog of the running program: Enter asks for the password of an encrypted diary,
// New for a new one, typed twice, with its strength shown as it is typed and the warning that a
// lost password cannot be recovered.
class TPasswordDialog : public QDialog {
public:
    enum class TMode { Enter, New };
    TPasswordDialog(TMode aMode, const QString& aText, QWidget* aParent = nullptr);
    ~TPasswordDialog() override;

    // Shows the dialog; the password typed, or std::nullopt when cancelled. The fields are emptied
    // before it returns either way.
    std::optional<TSecret> Run();

private:
    void Follow();
    void Clear();

    TMode fMode;
    QLineEdit* fPassword{};
    QLineEdit* fAgain{};
    QLabel* fStrength{};
    QDialogButtonBox* fButtons{};
};
