// The seam of the running program: what the window's file dialog objects become as QFileDialogs and
// what a confirmed dialog hands back, and the look of the three kinds of message box.

#include "ui/Dialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace Qt::Literals::StringLiterals;

namespace {

// Runs aCheck on the modal dialog of type T as soon as it is shown; aCheck closes it.
template <typename T> void WhenShown(std::function<void(T&)> aCheck)
{
    auto* timer = new QTimer();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, aCheck] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            aCheck(*dialog);
        }
    });
    timer->start();
}

} // namespace

class TestStandardDialogs : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void saveDialogStartsFromTheObjectAndKeepsTheChoice()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        TFileDialog dialog;
        dialog.FileName = u"2025-Diary.Kestrova"_s;
        dialog.InitialDir = folder.path();
        dialog.Filter = u"Kestrova- Files (*.Kestrova)|*.Kestrova|All|*.*"_s;
        dialog.FilterIndex = 2;
        dialog.DefaultExt = u"Kestrova"_s;
        dialog.OverwritePrompt = true;

        QString seenFolder;
        QStringList seenFilters;
        QString seenFilter;
        WhenShown<QFileDialog>([&](QFileDialog& aShown) {
            seenFolder = aShown.directory().absolutePath();
            seenFilters = aShown.nameFilters();
            seenFilter = aShown.selectedNameFilter();
            QVERIFY(!aShown.testOption(QFileDialog::DontConfirmOverwrite));
            aShown.selectNameFilter(aShown.nameFilters().first());
            aShown.selectFile(u"notes"_s);
            QMetaObject::invokeMethod(&aShown, "accept");
        });
        TStandardDialogs dialogs;
        const std::optional<QString> chosen = dialogs.ExecuteSave(nullptr, dialog);

        QCOMPARE(seenFolder, QDir(folder.path()).absolutePath());
        QCOMPARE(seenFilters, (QStringList{u"Kestrova- Files (*.Kestrova)"_s, u"All (*.*)"_s}));
        QCOMPARE(seenFilter, u"All (*.*)"_s);
        QVERIFY(chosen);
        QCOMPARE(*chosen, folder.filePath(u"notes.Kestrova"_s)); // the default extension
        QCOMPARE(dialog.FileName, *chosen);
        QCOMPARE(dialog.FilterIndex, 1);
    }

    void cancelledOpenLeavesTheObjectAlone()
    {
        TFileDialog dialog;
        dialog.FileName = QDir::temp().filePath(u"x.Kestrova"_s);
        dialog.Filter = u"Kestrova- Files (*.Kestrova)|*.Kestrova"_s;
        WhenShown<QFileDialog>([](QFileDialog& aShown) { aShown.reject(); });
        TStandardDialogs dialogs;
        QVERIFY(!dialogs.ExecuteOpen(nullptr, dialog));
        QCOMPARE(dialog.FileName, QDir::temp().filePath(u"x.Kestrova"_s));
        QCOMPARE(dialog.FilterIndex, 1);
    }

    void messageBoxes()
    {
        TStandardDialogs dialogs;
        QMessageBox::Icon icon{};
        QString title;
        QString text;
        QMessageBox::StandardButton defaultButton{};
        const auto look = [&](QMessageBox::StandardButton aAnswer) {
            WhenShown<QMessageBox>([&, aAnswer](QMessageBox& aBox) {
                icon = aBox.icon();
                title = aBox.windowTitle();
                text = aBox.text();
                defaultButton = aBox.standardButton(aBox.defaultButton());
                aBox.button(aAnswer)->click();
            });
        };

        look(QMessageBox::Ok);
        dialogs.ShowError(nullptr, u"Disk full."_s);
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(title, u"Kestrova"_s);
        QCOMPARE(text, u"Disk full."_s);

        look(QMessageBox::Ok);
        dialogs.ShowMessage(nullptr, u"File x does not exist."_s);
        QCOMPARE(icon, QMessageBox::NoIcon);
        QCOMPARE(text, u"File x does not exist."_s);

        look(QMessageBox::No);
        QVERIFY(!dialogs.AskYesNo(nullptr, u"Do you want to save the file?"_s));
        QCOMPARE(defaultButton, QMessageBox::Yes);
        look(QMessageBox::Yes);
        QVERIFY(dialogs.AskYesNo(nullptr, u"Do you want to save the file?"_s));
    }

    void choiceBoxAnswersByIndexAndEscapeIsTheLastButton()
    {
        TStandardDialogs dialogs;
        const QStringList buttons = {u"&Restore"_s, u"&Discard"_s, u"&Later"_s};
        QStringList seenButtons;
        QString seenDefault;
        const auto answer = [&](std::function<void(QMessageBox&)> aPress) {
            WhenShown<QMessageBox>([&, aPress](QMessageBox& aBox) {
                seenButtons.clear();
                for (QAbstractButton* button : aBox.buttons())
                    seenButtons << button->text();
                seenDefault = aBox.defaultButton() ? aBox.defaultButton()->text() : QString();
                aPress(aBox);
            });
        };

        answer([](QMessageBox& aBox) { aBox.buttons().at(1)->click(); });
        const int clicked = dialogs.AskChoice(nullptr, u"Restore them?"_s, buttons);
        QCOMPARE(buttons.at(clicked), seenButtons.at(1));
        QCOMPARE(seenDefault, u"&Restore"_s);
        QCOMPARE(QSet<QString>(seenButtons.cbegin(), seenButtons.cend()),
                 QSet<QString>(buttons.cbegin(), buttons.cend()));

        answer([](QMessageBox& aBox) { QTest::keyClick(&aBox, Qt::Key_Escape); });
        QCOMPARE(dialogs.AskChoice(nullptr, u"Restore them?"_s, buttons), 2);
    }

    void boxesStandCentredOnceTheirSizeIsKnown()
    {
        // A text long enough to wrap: the box gets its size only as it is shown.
        const QString text = u"File "_s + QString(u"/home/somebody/diaries/"_s).repeated(12) +
                             u"2026-Diary.Kestrova can not be opened! A new file will be opened!"_s;
        QWidget window;
        const QRect screen = window.screen()->availableGeometry();
        window.setGeometry(screen.adjusted(screen.width() / 8, screen.height() / 6, 0, 0));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        TStandardDialogs dialogs;
        QRect box;
        QString shown;
        WhenShown<QMessageBox>([&](QMessageBox& aBox) {
            box = aBox.frameGeometry();
            shown = aBox.text();
            aBox.button(QMessageBox::Ok)->click();
        });
        dialogs.ShowMessage(&window, text);
        QCOMPARE(shown, text);
        QVERIFY2(QFontMetrics(window.font()).horizontalAdvance(text) > box.width(), "the text wraps");
        QVERIFY2((box.center() - window.frameGeometry().center()).manhattanLength() <= 2,
                 qPrintable(u"box centre %1,%2"_s.arg(box.center().x()).arg(box.center().y())));

        // The save question stands in the middle of the screen, wherever the window is.
        WhenShown<QMessageBox>([&](QMessageBox& aBox) {
            box = aBox.frameGeometry();
            aBox.button(QMessageBox::No)->click();
        });
        dialogs.AskYesNo(&window, u"Do you want to save the file?"_s);
        QVERIFY((box.center() - screen.center()).manhattanLength() <= 2);
    }
};

QTEST_MAIN(TestStandardDialogs)
#include "test_standard_dialogs.moc"
