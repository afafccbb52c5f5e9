// The password dialog of the running program: a new password is taken only when typed twice alike,
// its strength is shown as it is typed, and what the dialog hands back is what was typed.

#include "ui/PasswordDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs aCheck on the password dialog as soon as it is shown; aCheck closes it.
void WhenShown(std::function<void(TPasswordDialog&)> aCheck)
{
    auto* timer = new QTimer();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, aCheck] {
        if (auto* dialog = dynamic_cast<TPasswordDialog*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            aCheck(*dialog);
        }
    });
    timer->start();
}

QString Text(const std::optional<TSecret>& aSecret)
{
    return aSecret ? QString::fromUtf8(reinterpret_cast<const char*>(aSecret->Data()), qsizetype(aSecret->Size()))
                   : u"<none>"_s;
}

} // namespace

class TestPasswordDialog : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void rating_data()
    {
        QTest::addColumn<QString>("password");
        QTest::addColumn<int>("strength");
        QTest::newRow("empty") << QString() << int(TPasswordStrength::Weak);
        QTest::newRow("short") << u"k7#a"_s << int(TPasswordStrength::Weak);
        QTest::newRow("everybody's first guess") << u"Password123!"_s << int(TPasswordStrength::Weak);
        QTest::newRow("one key held down") << u"aaaaaaaaaaaaaaaaaaaa"_s << int(TPasswordStrength::Weak);
        QTest::newRow("a run of keys") << u"abcdefghijklmnop"_s << int(TPasswordStrength::Weak);
        QTest::newRow("eight small letters") << u"kqzmwtrv"_s << int(TPasswordStrength::Fair);
        QTest::newRow("mixed, twelve") << u"Tq7#vLm2pXw9"_s << int(TPasswordStrength::Strong);
        QTest::newRow("a sentence") << u"horses eat yellow turnips at noon"_s << int(TPasswordStrength::Strong);
    }
    void rating()
    {
        QFETCH(QString, password);
        QFETCH(int, strength);
        QCOMPARE(int(RatePassword(password)), strength);
    }

    void newPasswordIsTakenOnlyWhenTypedTwiceAlike()
    {
        QString seenStrength;
        bool okBeforeSecond = true;
        bool okWhenDiffering = true;
        WhenShown([&](TPasswordDialog& aDialog) {
            auto* first = aDialog.findChild<QLineEdit*>(u"EditPassword"_s);
            auto* again = aDialog.findChild<QLineEdit*>(u"EditPasswordAgain"_s);
            QPushButton* ok = aDialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
            QCOMPARE(first->echoMode(), QLineEdit::Password);
            QCOMPARE(again->echoMode(), QLineEdit::Password);
            QTest::keyClicks(first, u"Tq7#vLm2pXw9"_s);
            okBeforeSecond = ok->isEnabled();
            QTest::keyClicks(again, u"Tq7#vLm2pXw"_s);
            okWhenDiffering = ok->isEnabled();
            QTest::keyClicks(again, u"9"_s);
            seenStrength = aDialog.findChild<QLabel*>(u"LabelPasswordStrength"_s)->text();
            QVERIFY(ok->isEnabled());
            ok->click();
        });
        TPasswordDialog dialog(TPasswordDialog::TMode::New, u"A new password"_s);
        const std::optional<TSecret> password = dialog.Run();
        QVERIFY(!okBeforeSecond);
        QVERIFY(!okWhenDiffering);
        QCOMPARE(seenStrength, StrengthText(TPasswordStrength::Strong));
        QCOMPARE(Text(password), u"Tq7#vLm2pXw9"_s);
        // Nothing of it stays in the dialog's fields.
        QVERIFY(dialog.findChild<QLineEdit*>(u"EditPassword"_s)->text().isEmpty());

        WhenShown([](TPasswordDialog& aDialog) {
            QTest::keyClicks(aDialog.findChild<QLineEdit*>(u"EditPassword"_s), u"typed"_s);
            aDialog.reject();
        });
        TPasswordDialog cancelled(TPasswordDialog::TMode::Enter, u"The password"_s);
        QCOMPARE(Text(cancelled.Run()), u"<none>"_s);
    }
};

QTEST_MAIN(TestPasswordDialog)
#include "test_password_dialog.moc"
