// Export > Health report... on the real window, driven through the scripted dialogs: the page is
// committed first, the dialog's choice reaches the PDF file or the printer, and a cancel or a
// failure leaves no file and no word of success.

#include "ui/support/DayPageWindow.h"

#include "ui/HealthReportDialog.h"
#include "ui/Widgets.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using TKind = TScriptedDialogs::TKind;

namespace {
const QDate March12(2020, 3, 12);

QString PdfText(const QString& aFile)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(u"pdftotext"_s), {u"-layout"_s, aFile, u"-"_s});
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        return u"<pdftotext failed>"_s;
    return QString::fromUtf8(process.readAllStandardOutput());
}
} // namespace

class TestHealthReportCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void reportGoesWhereTheUserChose_data();
    void reportGoesWhereTheUserChose();
};

void TestHealthReportCommand::initTestCase()
{
    // The set-up installs poppler-utils; only a machine without it may skip.
    if (QStandardPaths::findExecutable(u"pdftotext"_s).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
}

void TestHealthReportCommand::reportGoesWhereTheUserChose_data()
{
    QTest::addColumn<QString>("button");  // pressed in the report dialog; empty: closed without one
    QTest::addColumn<QString>("answer");  // the file or printer answer; "cancel", or empty when not asked
    QTest::addColumn<QString>("written"); // the file that must hold the report; empty: none
    QTest::addColumn<QStringList>("messages");

    const QString dialog = u"dialog: Health report"_s;
    QTest::newRow("save as PDF, no extension")
        << u"ButtonReportSaveAsPdf"_s << u"report"_s << u"report.pdf"_s << QStringList{dialog, u"dialog: "_s};
    QTest::newRow("print into a PDF") << u"ButtonReportPrint"_s << u"printed.pdf"_s << u"printed.pdf"_s
                                      << QStringList{dialog, u"dialog: A4"_s};
    QTest::newRow("report dialog cancelled")
        << u"ButtonReportCancel"_s << QString() << QString() << QStringList{dialog};
    QTest::newRow("report dialog closed") << QString() << QString() << QString() << QStringList{dialog};
    QTest::newRow("save dialog cancelled")
        << u"ButtonReportSaveAsPdf"_s << u"cancel"_s << QString() << QStringList{dialog, u"dialog: "_s};
    QTest::newRow("print dialog cancelled")
        << u"ButtonReportPrint"_s << u"cancel"_s << QString() << QStringList{dialog, u"dialog: A4"_s};
    // The printer's error is thrown inside the late library and reaches the error box with its text.
    QTest::newRow("printer that cannot print")
        << u"ButtonReportPrint"_s << u"no such folder/printed.pdf"_s << QString()
        << QStringList{dialog, u"dialog: A4"_s, u"error: The health report could not be printed."_s};
    QTest::newRow("file that cannot be created")
        << u"ButtonReportSaveAsPdf"_s << u"no such folder/report.pdf"_s << QString()
        << QStringList{dialog, u"dialog: "_s,
                       u"error: Datei \"@/no such folder/report.pdf\" kann nicht erstellt werden. "_s};
}

void TestHealthReportCommand::reportGoesWhereTheUserChose()
{
    QFETCH(QString, button);
    QFETCH(QString, answer);
    QFETCH(QString, written);
    QFETCH(QStringList, messages);

    auto diary = MakeDiary({QDate(2020, 2, 20), QDate(2020, 3, 1), March12, QDate(2020, 3, 20)});
    DayOf(*diary, QDate(2020, 2, 20)).PulseAtMorning = 199;
    DayOf(*diary, QDate(2020, 3, 1)).PulseAtMorning = 71;
    DayOf(*diary, QDate(2020, 3, 1)).WeightAtMorning = 81.5;
    DayOf(*diary, QDate(2020, 3, 20)).PulseAtMorning = 198; // after the range
    TDayPageWindow window(diary.get());
    window.PickDate(March12);
    // A reading typed but not yet stored belongs in the report.
    auto* temperature = window.Find<TNumberEdit>(u"EditTemperature1"_s);
    window.Focus(temperature);
    temperature->selectAll();
    QTest::keyClicks(temperature, u"36.6"_s);

    const QString folder = QFileInfo(window.DiaryPath()).absolutePath();
    const QStringList filesBefore = QDir(folder).entryList(QDir::Files);
    bool defaultsSeen = false;
    window.Dialogs().OnModal = [&](QDialog& aDialog) {
        auto* from = aDialog.findChild<QDateEdit*>(u"DateTimePickerReportFrom"_s);
        auto* to = aDialog.findChild<QDateEdit*>(u"DateTimePickerReportTo"_s);
        auto* range = aDialog.findChild<QComboBox*>(u"ComboBoxReportRange"_s);
        QVERIFY(from && to && range);
        // The 30 days up to the day shown.
        QCOMPARE(range->currentIndex(), int(THealthReportDialog::Last30Days));
        QCOMPARE(from->date(), QDate(2020, 2, 12));
        QCOMPARE(to->date(), March12);
        // Dates typed by hand make the range a custom one.
        from->setDate(QDate(2020, 2, 25));
        QCOMPARE(range->currentIndex(), int(THealthReportDialog::CustomRange));
        aDialog.findChild<QCheckBox*>(u"CheckBoxReportWeight"_s)->setChecked(false);
        defaultsSeen = true;
        if (!button.isEmpty())
            aDialog.findChild<QPushButton*>(button)->click();
    };
    if (answer == u"cancel"_s)
        window.Dialogs().AnswerCancel();
    else if (button == u"ButtonReportSaveAsPdf"_s)
        window.Dialogs().AnswerFile(folder + u'/' + answer);
    else if (button == u"ButtonReportPrint"_s)
        window.Dialogs().AnswerPrint(folder + u'/' + answer);

    auto* item = window.Find<QAction>(u"MenuItemHealthReport"_s);
    QVERIFY(item && item->isEnabled());
    QCOMPARE(item->text(), u"Health &report..."_s);
    item->trigger();

    QVERIFY(defaultsSeen);
    QCOMPARE(window.Day().TemperatureAtMorning, 36.6); // committed before the dialog, also when cancelled
    QVERIFY(window.Form().IsDialogUpdated());
    if (button == u"ButtonReportSaveAsPdf"_s) {
        const TFileDialog save = window.Dialogs().LastDialog(TKind::Save);
        QCOMPARE(save.FileName, u"2020-02-25-2020-03-12-HealthReport.pdf"_s);
        QCOMPARE(save.InitialDir, QDir::toNativeSeparators(folder + u'/'));
        QCOMPARE(save.DefaultExt, u"pdf"_s);
        QCOMPARE(save.Filter, u"PDF- Files (*.pdf)|*.pdf"_s);
        QVERIFY(save.OverwritePrompt);
    }
    for (QString& message : messages)
        message.replace(u'@', folder);
    const QStringList shown = window.TakeMessages();
    QCOMPARE(shown.size(), messages.size());
    for (qsizetype i = 0; i < shown.size(); ++i)
        QVERIFY2(shown.at(i).startsWith(messages.at(i)), qPrintable(shown.at(i)));

    QStringList filesAfter = QDir(folder).entryList(QDir::Files);
    if (written.isEmpty()) {
        QCOMPARE(filesAfter, filesBefore);
    } else {
        filesAfter.removeOne(written);
        QCOMPARE(filesAfter, filesBefore);
        const QString text = PdfText(folder + u'/' + written);
        QVERIFY2(text.contains(u"From 2020-02-25 to 2020-03-12 (17 days)"_s), qPrintable(text));
        QVERIFY(text.contains(u"Diary: "_s + QFileInfo(window.DiaryPath()).fileName()));
        QVERIFY(text.contains(QRegularExpression(u"2020-03-12 +Temperature +36.6\\n"_s)));
        QVERIFY(text.contains(QRegularExpression(u"2020-03-01 +Pulse +71\\n"_s)));
        QVERIFY(!text.contains(u"81.5"_s));                            // weight was not chosen
        QVERIFY(!text.contains(u"199"_s) && !text.contains(u"198"_s)); // outside the range
    }
    QCOMPARE(window.Picker()->date(), March12);
    QVERIFY(!window.Form().IsBusy());
}

QTEST_MAIN(TestHealthReportCommand)
#include "test_health_report_command.moc"
