// A diary file changed on disk by someone else while the window holds it: a save asks before it
// replaces that version, each answer does what it says, and a file nobody else touched is saved
// as before, without a question.

#include "support/DiaryFixture.h"
#include "support/WindowFixture.h"

#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"
#include "ui/Widgets.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using TKind = TScriptedDialogs::TKind;

namespace {

const QDate OtherDay(2025, 1, 2);

QString ChangedText(const QString& aName)
{
    return aName + u" was changed outside Kestrova since it was opened. Merge both versions, overwrite it, save "
                   u"under another name, or cancel?"_s;
}

QString ThoughtsOfFile(const QString& aPath, const QDate& aDate)
{
    return ThoughtsOf(*ReadDiaryFile(aPath), aDate);
}

} // namespace

class TestExternalChange : public QObject {
    Q_OBJECT

    std::unique_ptr<TWindowFixture> f;
    QString fPath;

    // An edit the way the user makes one, on today's page: a key typed into the thoughts box.
    void TypeThoughts(const QString& aText)
    {
        f->Find<QTabWidget>(u"PageControlAll"_s)->setCurrentIndex(6);
        auto* edit = f->Find<TRichEdit>(u"RichEditThoughts"_s);
        edit->setFocus();
        QTest::keyClicks(edit, aText);
    }

    // The window holds fPath with "ours" typed into today's page; meanwhile someone else saved
    // their version of the file.
    TmainForm& OpenTypeAndLetThemChangeIt()
    {
        WriteDiaryWithThoughts(fPath, OtherDay, u"mine before"_s);
        TmainForm& window = f->Start({fPath});
        TypeThoughts(u"ours"_s);
        WriteDiaryWithThoughts(fPath, OtherDay, u"theirs, written elsewhere"_s);
        return window;
    }

    QStringList Choices() const { return f->Dialogs().Texts(TKind::Choice); }

private Q_SLOTS:
    void init()
    {
        f = std::make_unique<TWindowFixture>();
        fPath = f->Path(u"diary.Kestrova"_s);
    }
    void cleanup()
    {
        const QStringList problems = f->Problems();
        f.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
    }

    // However the window came to know the file, a save asks exactly when the content on disk is
    // not what the window last read or wrote.
    void aSaveAsksOnlyWhenTheContentChanged_data()
    {
        QTest::addColumn<QString>("opened"); // "start", "open", "recent", "own save"
        QTest::addColumn<QString>("change"); // "none", "touch", "content"
        QTest::newRow("start-up, untouched") << u"start"_s << u"none"_s;
        QTest::newRow("start-up, touched only") << u"start"_s << u"touch"_s;
        QTest::newRow("start-up, changed") << u"start"_s << u"content"_s;
        QTest::newRow("Open, untouched") << u"open"_s << u"none"_s;
        QTest::newRow("Open, changed") << u"open"_s << u"content"_s;
        QTest::newRow("recent file, changed") << u"recent"_s << u"content"_s;
        QTest::newRow("after our own save, untouched") << u"own save"_s << u"none"_s;
        QTest::newRow("after our own save, changed") << u"own save"_s << u"content"_s;
    }

    void aSaveAsksOnlyWhenTheContentChanged()
    {
        QFETCH(QString, opened);
        QFETCH(QString, change);
        WriteDiaryWithThoughts(fPath, OtherDay, u"mine before"_s);
        if (opened == u"start"_s || opened == u"own save"_s) {
            f->Start({fPath});
        } else if (opened == u"open"_s) {
            f->Start();
            f->Dialogs().AnswerFile(fPath);
            f->Trigger(u"MenuItemOpenFile"_s);
        } else {
            f->SetSetting(u"RecentFile1"_s, fPath);
            f->Start();
            f->Trigger(u"MenuItemRecentFile1"_s);
        }
        QCOMPARE(f->Window().FileName(), fPath);
        if (opened == u"own save"_s) {
            TypeThoughts(u"first"_s);
            f->Trigger(u"MenuItemSave"_s);
            QVERIFY(!f->Window().IsDialogUpdated());
        }
        TypeThoughts(u"ours"_s);

        if (change == u"touch"_s) {
            QFile file(fPath);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(file.fileTime(QFileDevice::FileModificationTime).addSecs(-3600),
                                     QFileDevice::FileModificationTime));
        } else if (change == u"content"_s) {
            WriteDiaryWithThoughts(fPath, OtherDay, u"theirs"_s);
            f->Dialogs().AnswerChoice(1);
        }
        f->Trigger(u"MenuItemSave"_s);

        const QStringList expected =
            change == u"content"_s ? QStringList{ChangedText(u"diary.Kestrova"_s)} : QStringList();
        QCOMPARE(Choices(), expected);
        QVERIFY(!f->Window().IsDialogUpdated());
        QVERIFY(ThoughtsOfFile(fPath, QDate::currentDate()).contains(u"ours"_s));
    }

    void overwriteSavesOursAndKeepsTheirsInTheBackup()
    {
        TmainForm& window = OpenTypeAndLetThemChangeIt();
        const QByteArray theirs = f->ReadFile(fPath);
        f->Dialogs().AnswerChoice(1);
        f->Trigger(u"ToolButtonSaveFile"_s);

        QCOMPARE(Choices().size(), 1);
        QCOMPARE(ThoughtsOfFile(fPath, QDate::currentDate()), u"ours"_s);
        QCOMPARE(f->ReadFile(TKSFileUtils::BackupFileName(fPath, TWindowFixture::Today)), theirs);
        QVERIFY(!window.IsDialogUpdated());

        // The file now holds what this window wrote: the next save has nothing to ask.
        TypeThoughts(u" again"_s);
        f->Trigger(u"MenuItemSave"_s);
        QCOMPARE(Choices().size(), 1);
        QCOMPARE(ThoughtsOfFile(fPath, QDate::currentDate()), u"ours again"_s);

        // That save replaced today's backup; their version is still kept, under a name of its own
        // that the status bar names.
        QVERIFY(f->ReadFile(TKSFileUtils::BackupFileName(fPath, TWindowFixture::Today)) != theirs);
        const QStringList kept =
            QDir(QFileInfo(fPath).absolutePath()).entryList({u"*_*--diary.Kestrova"_s}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        const QString keptPath = QFileInfo(fPath).absolutePath() + u'/' + kept.first();
        QCOMPARE(f->ReadFile(keptPath), theirs);
        QCOMPARE(window.statusBar()->currentMessage(),
                 u"The other version of diary.Kestrova is kept as %1."_s.arg(QDir::toNativeSeparators(keptPath)));
    }

    void overwriteThatCannotKeepTheirsSavesNothing()
    {
        TmainForm& window = OpenTypeAndLetThemChangeIt();
        const QByteArray theirs = f->ReadFile(fPath);
        // Every name the other version could be kept under in the next two seconds is taken by a
        // folder (root may write anywhere, so permissions cannot stop it).
        const QString folder = QFileInfo(fPath).absolutePath();
        for (const QDateTime& when : {QDateTime::currentDateTime(), QDateTime::currentDateTime().addSecs(1)})
            for (int n = 1; n < 1000; ++n)
                QVERIFY(QDir().mkpath(folder + u'/' + when.toString(u"yyyy-MM-dd_HH-mm-ss"_s) +
                                      (n > 1 ? u'-' + QString::number(n) : QString()) + u"--diary.Kestrova"_s));
        f->Dialogs().AnswerChoice(1);
        f->Trigger(u"MenuItemSave"_s);

        QCOMPARE(f->Dialogs().Texts(TKind::Error).size(), 1);
        QCOMPARE(f->ReadFile(fPath), theirs);
        QVERIFY(window.IsDialogUpdated());
    }

    void saveAsSavesOursElsewhereAndLeavesTheirsAlone()
    {
        TmainForm& window = OpenTypeAndLetThemChangeIt();
        const QByteArray theirs = f->ReadFile(fPath);
        const QString other = f->Path(u"mine.Kestrova"_s);
        f->Dialogs().AnswerChoice(2);
        f->Dialogs().AnswerFile(other);
        f->Trigger(u"MenuItemSave"_s);

        QCOMPARE(f->ReadFile(fPath), theirs);
        QVERIFY(!QFile::exists(TKSFileUtils::BackupFileName(fPath, TWindowFixture::Today)));
        QCOMPARE(ThoughtsOfFile(other, QDate::currentDate()), u"ours"_s);
        QCOMPARE(window.FileName(), other);
        QCOMPARE(window.windowTitle(), u"Kestrova: "_s + other);
        QVERIFY(!window.IsDialogUpdated());
        // The save dialog started from the file the window held.
        QCOMPARE(f->Dialogs().LastDialog(TKind::Save).FileName, u"diary.Kestrova"_s);
    }

    // Cancel, and a Save As cancelled after choosing it, write nothing and keep the changes unsaved,
    // without an error box: the user stopped the save.
    void cancelWritesNothing_data()
    {
        QTest::addColumn<bool>("throughSaveAs");
        QTest::newRow("Cancel") << false;
        QTest::newRow("Save As, then cancelled") << true;
    }

    void cancelWritesNothing()
    {
        QFETCH(bool, throughSaveAs);
        TmainForm& window = OpenTypeAndLetThemChangeIt();
        const QByteArray theirs = f->ReadFile(fPath);
        if (throughSaveAs) {
            f->Dialogs().AnswerChoice(2);
            f->Dialogs().AnswerCancel();
        } else {
            f->Dialogs().AnswerChoice(3);
        }
        f->Trigger(u"MenuItemSave"_s);

        QCOMPARE(Choices().size(), 1);
        QCOMPARE(f->ReadFile(fPath), theirs);
        QVERIFY(!QFile::exists(TKSFileUtils::BackupFileName(fPath, TWindowFixture::Today)));
        QVERIFY(window.IsDialogUpdated());
        QCOMPARE(window.FileName(), fPath);
        QCOMPARE(f->Find<TRichEdit>(u"RichEditThoughts"_s)->toPlainText(), u"ours"_s);
        QCOMPARE(f->Dialogs().Texts(TKind::Error), QStringList());
        QVERIFY(!window.IsBusy());
    }

    void saveAsUnderTheSameNameAsksToo()
    {
        TmainForm& window = OpenTypeAndLetThemChangeIt();
        const QByteArray theirs = f->ReadFile(fPath);
        f->Dialogs().AnswerFile(fPath);
        f->Dialogs().AnswerChoice(3);
        f->Trigger(u"MenuItemSaveAs"_s);

        QCOMPARE(Choices(), QStringList{ChangedText(u"diary.Kestrova"_s)});
        QCOMPARE(f->ReadFile(fPath), theirs);
        QVERIFY(window.IsDialogUpdated());
        QCOMPARE(window.FileName(), fPath);
        QCOMPARE(f->Dialogs().Texts(TKind::Error), QStringList());
    }

    // A command that saves on its way (Yes to the save question) and meets Cancel stops as after a
    // failed save: nothing unsaved is discarded, and the window does not close.
    void aCommandSavingOnItsWayStopsAtCancel_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("New") << u"MenuItemNew"_s;
        QTest::newRow("Open") << u"MenuItemOpenFile"_s;
        QTest::newRow("recent file") << u"MenuItemRecentFile1"_s;
        QTest::newRow("closing the window") << u"close"_s;
    }

    void aCommandSavingOnItsWayStopsAtCancel()
    {
        QFETCH(QString, command);
        TmainForm& window = OpenTypeAndLetThemChangeIt();
        const QByteArray theirs = f->ReadFile(fPath);
        f->Dialogs().AnswerYes();
        f->Dialogs().AnswerChoice(3);
        if (command == u"close"_s)
            QVERIFY(!window.close());
        else
            f->Trigger(command);

        QCOMPARE(f->Dialogs().Texts(TKind::Question), QStringList{u"Do you want to save the file?"_s});
        QCOMPARE(Choices().size(), 1);
        QCOMPARE(f->ReadFile(fPath), theirs);
        QVERIFY(window.Diary());
        QCOMPARE(window.FileName(), fPath);
        QCOMPARE(ThoughtsOf(*window.Diary(), QDate::currentDate()), u"ours"_s);
        QVERIFY(window.IsDialogUpdated());
        QCOMPARE(f->Dialogs().Texts(TKind::Error), QStringList());
        QCOMPARE(f->Dialogs().Texts(TKind::Message), QStringList());
        QVERIFY(!window.IsBusy());
    }
};

QTEST_MAIN(TestExternalChange)
#include "test_external_change.moc"
