#include "ui/PasswordDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

#include <cmath>

using namespace Qt::Literals::StringLiterals;

namespace {

// The first passwords any guesser tries, lower-cased; a password that is one of them, or one of
// them with a few digits or marks added, is weak however long.
bool IsCommonPassword(const QString& aLower)
{
    static const QStringList common = {
        u"password"_s, u"passwort"_s, u"123456"_s,  u"12345678"_s, u"123456789"_s, u"qwerty"_s,    u"qwertz"_s,
        u"azerty"_s,   u"letmein"_s,  u"welcome"_s, u"iloveyou"_s, u"admin"_s,     u"monkey"_s,    u"dragon"_s,
        u"abc123"_s,   u"secret"_s,   u"diary"_s,   u"kestrova"_s, u"sunshine"_s,  u"football"_s,  u"master"_s};
    QString core = aLower;
    while (!core.isEmpty() && !core.back().isLetter())
        core.chop(1);
    return common.contains(aLower) || (core.size() >= 5 && common.contains(core));
}

} // namespace

TPasswordStrength RatePassword(QStringView aPassword)
{
    const QString text = aPassword.toString();
    if (text.isEmpty() || IsCommonPassword(text.toLower()))
        return TPasswordStrength::Weak;
    bool lower = false, upper = false, digit = false, mark = false, other = false;
    QSet<QChar> distinct;
    // Each character counts for what it adds: a repeat or the next of a run (abc, 321) little.
    double characters = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() > 127)
            other = true;
        else if (c.isLower())
            lower = true;
        else if (c.isUpper())
            upper = true;
        else if (c.isDigit())
            digit = true;
        else
            mark = true;
        const bool repeat = distinct.contains(c);
        const bool run = i > 0 && std::abs(int(c.unicode()) - int(text.at(i - 1).unicode())) == 1;
        characters += repeat || run ? 0.25 : 1.0;
        distinct.insert(c);
    }
    const int pool = (lower ? 26 : 0) + (upper ? 26 : 0) + (digit ? 10 : 0) + (mark ? 32 : 0) + (other ? 100 : 0);
    const double bits = characters * std::log2(double(pool));
    if (bits < 36)
        return TPasswordStrength::Weak;
    if (bits < 56)
        return TPasswordStrength::Fair;
    if (bits < 76)
        return TPasswordStrength::Good;
    return TPasswordStrength::Strong;
}

QString StrengthText(TPasswordStrength aStrength)
{
    switch (aStrength) {
    case TPasswordStrength::Weak:
        return u"Strength: weak. This password is easy to guess."_s;
    case TPasswordStrength::Fair:
        return u"Strength: fair. A longer password would be safer."_s;
    case TPasswordStrength::Good:
        return u"Strength: good."_s;
    case TPasswordStrength::Strong:
        return u"Strength: strong."_s;
    }
    return {};
}

TPasswordDialog::TPasswordDialog(TMode aMode, const QString& aText, QWidget* aParent) : QDialog(aParent), fMode(aMode)
{
    setObjectName(u"PasswordDialog"_s);
    setWindowTitle(aMode == TMode::New ? u"New password"_s : u"Password"_s);
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(aText, this);
    text->setTextFormat(Qt::PlainText); // a file name is shown as it is
    text->setWordWrap(true);
    layout->addWidget(text);

    auto* form = new QFormLayout();
    layout->addLayout(form);
    fPassword = new QLineEdit(this);
    fPassword->setObjectName(u"EditPassword"_s);
    fPassword->setEchoMode(QLineEdit::Password);
    form->addRow(u"&Password:"_s, fPassword);
    if (aMode == TMode::New) {
        fAgain = new QLineEdit(this);
        fAgain->setObjectName(u"EditPasswordAgain"_s);
        fAgain->setEchoMode(QLineEdit::Password);
        form->addRow(u"&Again:"_s, fAgain);
        fStrength = new QLabel(this);
        fStrength->setObjectName(u"LabelPasswordStrength"_s);
        layout->addWidget(fStrength);
        auto* warning = new QLabel(u"Keep the password safe: if it is lost, the diary cannot be opened any more. "
                                   u"Nobody can recover it, and the program cannot either."_s,
                                   this);
        warning->setWordWrap(true);
        layout->addWidget(warning);
        connect(fAgain, &QLineEdit::textChanged, this, [this] { Follow(); });
    }
    connect(fPassword, &QLineEdit::textChanged, this, [this] { Follow(); });

    fButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(fButtons);
    connect(fButtons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(fButtons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    Follow();
}

TPasswordDialog::~TPasswordDialog()
{
    Clear();
}

void TPasswordDialog::Follow()
{
    const QString password = fPassword->text();
    bool acceptable = !password.isEmpty();
    if (fMode == TMode::New) {
        const bool same = password == fAgain->text();
        acceptable = acceptable && same;
        if (password.isEmpty())
            fStrength->clear();
        else if (!fAgain->text().isEmpty() && !same)
            fStrength->setText(StrengthText(RatePassword(password)) + u" The two passwords differ."_s);
        else
            fStrength->setText(StrengthText(RatePassword(password)));
    }
    fButtons->button(QDialogButtonBox::Ok)->setEnabled(acceptable);
}

void TPasswordDialog::Clear()
{
    // Best the widgets allow: their texts are replaced, and the copy read here is zeroed.
    for (QLineEdit* edit : {fPassword, fAgain})
        if (edit) {
            QString text = edit->text();
            edit->setText(QString(text.size(), u' '));
            edit->clear();
            WipeText(text);
        }
}

std::optional<TSecret> TPasswordDialog::Run()
{
    // A command that shows the hourglass may ask: typing wants the normal pointer.
    const bool hourglass = QApplication::overrideCursor() != nullptr;
    if (hourglass)
        QApplication::setOverrideCursor(QCursor(Qt::ArrowCursor));
    const int result = exec();
    if (hourglass)
        QApplication::restoreOverrideCursor();
    std::optional<TSecret> password;
    if (result == QDialog::Accepted && !fPassword->text().isEmpty()) {
        QString text = fPassword->text();
        password = TSecret::FromText(text);
        WipeText(text);
    }
    Clear();
    return password;
}
