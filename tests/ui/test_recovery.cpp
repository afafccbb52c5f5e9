// The recovery copy driven through the real window: written while changes are unsaved, from the
// page as the controls show it but without touching them; removed by a save, a "No" or a close;
// offered at start and on opening, with each answer doing what it says.

#include "support/WindowFixture.h"

#include "document/FileFingerprint.h"
#include "document/RecoveryStore.h"
#include "model/DiaryFile.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QStatusBar>
#include <QFileInfo>
#include <QTabWidget>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using TKind = TScriptedDialogs::TKind;

namespace {

constexpr std::chrono::milliseconds TinyInterval{20};
const QDate OtherDay(2025, 1, 2);

const TDay* PageOf(const TDiary& aDiary, const QDate& aDate)
{
    for (const auto& day : aDiary.DB)
        if (DateOfDateTime(day->Date) == aDate)
            return day.get();
    return nullptr;
}

QString ThoughtsOf(const TDiary& aDiary, const QDate& aDate)
{
    const TDay* day = PageOf(aDiary, aDate);
    return day ? day->Thoughts : u"<no page>"_s;
}

std::unique_ptr<TDiary> DiaryWithThoughts(const QString& aThoughts)
{
    auto diary = std::make_unique<TDiary>();
    diary->GetDay(EncodeDate(OtherDay))->Thoughts = aThoughts;
    return diary;
}

QString OfferText(const QString& aName, const QDateTime& aTaken, bool aChangedElsewhere = false)
{
    // The test's regional settings: yyyy-MM-dd and HH:mm:ss.
    return u"Kestrova found changes to %1 that were not saved (from %2).%3 Restore them?"_s.arg(
        aName, aTaken.toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s),
        aChangedElsewhere ? u" %1 was also changed elsewhere since these changes were made."_s.arg(aName) : QString());
}

} // namespace

class TestRecovery : public QObject {
    Q_OBJECT

    std::unique_ptr<TWindowFixture> f;

    QString RecoveryFolder() const { return f->Path(u"recovery"_s); }
    QString DiaryPath() const { return f->Path(u"d.Kestrova"_s); }

    TmainForm::TOptions Options(const QString& aStartFile = {}) const
    {
        TmainForm::TOptions options(aStartFile);
        options.RecoveryFolder = RecoveryFolder();
        options.RecoveryInterval = TinyInterval;
        return options;
    }

    // The diary file of the tests, last saved an hour ago, with a page for today that holds a
    // temperature and a task, and a page of another day.
    void WriteTheDiary(const QString& aThoughts = u"as saved"_s)
    {
        std::unique_ptr<TDiary> diary = DiaryWithThoughts(aThoughts);
        TDay* today = diary->GetDay(Now());
        today->TemperatureAtMorning = 36.6;
        today->Tasks.push_back(std::make_unique<TTask>());
        today->Tasks.back()->ID = ++today->LastTaskID;
        today->Tasks.back()->Notes = u"notes"_s;
        WriteDiaryFile(*diary, DiaryPath());
        QFile file(DiaryPath());
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    }

    // A copy left by a run of the program that died, made from aBase.
    QString LeaveCopy(const QString& aDiaryPath, const QString& aThoughts, const QDateTime& aTaken,
                      const TFileFingerprint& aBase = {})
    {
        const TRecoveryStore ended(RecoveryFolder());
        return ended.Write(*DiaryWithThoughts(aThoughts), aDiaryPath, aTaken, aBase).File;
    }

    QStringList CopiesLeft() const
    {
        return QDir(RecoveryFolder()).entryList({u"*.Kestrova"_s}, QDir::Files);
    }

    // The window's copy as it stands once its write has ended; null while there is none.
    std::unique_ptr<TDiary> WindowsCopy()
    {
        f->Window().WaitForRecoveryWrite();
        const QString file = f->Window().RecoveryCopyFile();
        if (file.isEmpty() || !QFile::exists(file))
            return nullptr;
        return ReadDiaryFile(file);
    }

    template <typename T> T* Show(const QString& aName)
    {
        auto* control = f->Find<T>(aName);
        auto* pages = f->Find<QTabWidget>(u"PageControlAll"_s);
        for (QWidget* page = control; page; page = page->parentWidget())
            if (pages->indexOf(page) >= 0)
                pages->setCurrentWidget(page);
        control->setFocus();
        return control;
    }

    void TypeThoughts(const QString& aText) { QTest::keyClicks(Show<TRichEdit>(u"RichEditThoughts"_s), aText); }

private Q_SLOTS:
    void init() { f = std::make_unique<TWindowFixture>(); }
    void cleanup()
    {
        const QStringList problems = f->Problems();
        f.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
    }

    void copyHoldsThePageAsShownWithoutTouchingIt()
    {
        WriteTheDiary();
        TmainForm& window = f->Start(Options(DiaryPath()));
        QVERIFY(QTest::qWaitForWindowActive(&window)); // so that leaving an edit is real

        // A number typed and not yet left is no commit, but it is not to be lost either.
        auto* pulse = Show<TNumberEdit>(u"EditPuls1"_s);
        pulse->selectAll();
        QTest::keyClicks(pulse, u"88"_s);
        QTRY_VERIFY(WindowsCopy() && PageOf(*WindowsCopy(), QDate::currentDate())->PulseAtMorning == 88.0);
        QCOMPARE(window.Day()->PulseAtMorning, 0.0);
        QVERIFY(!window.IsDialogUpdated()); // the copy raised nothing the user sees
        QVERIFY(!f->Find<QAction>(u"MenuItemSave"_s)->isEnabled());

        // Text typed (leaving the pulse commits it), a numeric edit emptied through its menu, and
        // notes typed into the task editor.
        TypeThoughts(u" and more"_s);
        auto* temperature = f->Find<TNumberEdit>(u"EditTemperature1"_s);
        temperature->setText(QString());
        auto* notes = Show<TRichEdit>(u"RichEditNotes"_s);
        QTest::keyClick(notes, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(notes, u" typed"_s);

        QTRY_VERIFY(WindowsCopy() &&
                    PageOf(*WindowsCopy(), QDate::currentDate())->Tasks.front()->Notes == u"notes typed"_s);
        const std::unique_ptr<TDiary> copy = WindowsCopy();
        const TDay* page = PageOf(*copy, QDate::currentDate());
        QCOMPARE(page->Thoughts, u" and more"_s);
        QCOMPARE(page->PulseAtMorning, 88.0);
        QCOMPARE(page->TemperatureAtMorning, 36.6); // the empty edit keeps what the record holds
        QCOMPARE(ThoughtsOf(*copy, OtherDay), u"as saved"_s);

        // The page and the records are as the user left them: no "0" filled in, nothing committed.
        QCOMPARE(temperature->text(), QString());
        QCOMPARE(QApplication::focusWidget(), notes);
        QCOMPARE(window.Day()->TemperatureAtMorning, 36.6);
        QCOMPARE(window.Day()->Thoughts, QString());
        QCOMPARE(window.Day()->Tasks.front()->Notes, u"notes"_s);
        QVERIFY(window.IsDialogUpdated());
    }

    void copyGoesWithTheChanges_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("kept");
        QTest::newRow("saved") << u"save"_s << false;
        QTest::newRow("No to the save question") << u"new, No"_s << false;
        QTest::newRow("closed after No") << u"close, No"_s << false;
        QTest::newRow("close refused") << u"close refused"_s << true;
    }
    void copyGoesWithTheChanges()
    {
        QFETCH(QString, how);
        QFETCH(bool, kept);
        WriteTheDiary();
        TmainForm& window = f->Start(Options(DiaryPath()));
        TypeThoughts(u"typed"_s);
        QTRY_VERIFY(WindowsCopy());
        const QString copy = window.RecoveryCopyFile();

        if (how == u"save") {
            f->Trigger(u"MenuItemSave"_s);
            QCOMPARE(ThoughtsOf(*ReadDiaryFile(DiaryPath()), QDate::currentDate()), u"typed"_s);
        } else if (how == u"new, No") {
            f->Dialogs().AnswerNo();
            f->Trigger(u"MenuItemNew"_s);
        } else if (how == u"close, No") {
            f->Dialogs().AnswerNo();
            QVERIFY(window.close());
        } else {
            // A numeric edit holding no number stops the close, and what was typed stays.
            f->Find<TNumberEdit>(u"EditTemperature1"_s)->setText(u"."_s);
            QVERIFY(!window.close());
            QCOMPARE(f->Dialogs().Texts(TKind::Error).size(), 1);
        }

        QCOMPARE(QFile::exists(copy), kept);
        // Nothing brings it back while the window is idle afterwards.
        QTest::qWait(10 * TinyInterval.count());
        QCOMPARE(QFile::exists(copy), kept);
        QCOMPARE(window.RecoveryStore().CopiesToOffer(DiaryPath()).size(), 0);
    }

    void startOffersTheCopy_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("Restore") << 0;
        QTest::newRow("Discard") << 1;
        QTest::newRow("Later") << 2;
    }
    void startOffersTheCopy()
    {
        QFETCH(int, answer);
        WriteTheDiary();
        const QByteArray saved = f->ReadFile(DiaryPath());
        const QDateTime taken = QDateTime::currentDateTime().addSecs(-600);
        const QString left = LeaveCopy(DiaryPath(), u"not saved"_s, taken);
        const QByteArray leftBytes = f->ReadFile(left);

        f->Script().AnswerChoice(answer);
        TmainForm& window = f->Start(Options(DiaryPath()));

        QCOMPARE(f->Dialogs().Texts(TKind::Choice), QStringList{OfferText(u"d.Kestrova"_s, taken)});
        QCOMPARE(window.FileName(), DiaryPath());
        QCOMPARE(window.windowTitle(), u"Kestrova: "_s + DiaryPath());
        QCOMPARE(f->ReadFile(DiaryPath()), saved); // nothing is written to the diary unasked
        if (answer == 0) {
            QCOMPARE(ThoughtsOf(*window.Diary(), OtherDay), u"not saved"_s);
            QVERIFY(window.IsDialogUpdated());
            QVERIFY(f->Find<QAction>(u"MenuItemSave"_s)->isEnabled());
            // The copy is the window's own now, until the user saves.
            QVERIFY(!QFile::exists(left));
            QCOMPARE(f->ReadFile(window.RecoveryCopyFile()), leftBytes);
            f->Trigger(u"MenuItemSave"_s);
            QCOMPARE(ThoughtsOf(*ReadDiaryFile(DiaryPath()), OtherDay), u"not saved"_s);
            QVERIFY(!QFile::exists(window.RecoveryCopyFile()));
            return;
        }
        QCOMPARE(ThoughtsOf(*window.Diary(), OtherDay), u"as saved"_s);
        QVERIFY(!window.IsDialogUpdated());
        if (answer == 1) {
            QVERIFY(!QFile::exists(left));
            return;
        }
        // Later: the copy stays as it was, also while this window writes copies of its own.
        TypeThoughts(u"this run"_s);
        QTRY_VERIFY(WindowsCopy());
        QVERIFY(window.RecoveryCopyFile() != left);
        QCOMPARE(f->ReadFile(left), leftBytes);
        // And the next start offers it again.
        f->Dialogs().AnswerNo();
        QVERIFY(window.close());
        f->Script().AnswerChoice(1);
        f->Start(Options(DiaryPath()));
        QCOMPARE(f->Dialogs().Texts(TKind::Choice), QStringList{OfferText(u"d.Kestrova"_s, taken)});
        QVERIFY(!QFile::exists(left));
    }

    void copyOfANeverSavedDiaryIsOfferedAtStart()
    {
        const QDateTime taken = QDateTime::currentDateTime().addSecs(-60);
        LeaveCopy(QString(), u"never saved"_s, taken);
        f->Script().AnswerChoice(0);
        TmainForm& window = f->Start(Options());

        QCOMPARE(f->Dialogs().Texts(TKind::Choice), QStringList{OfferText(u"NewFile.Kestrova"_s, taken)});
        QCOMPARE(window.FileName(), QString());
        QCOMPARE(window.windowTitle(), u"Kestrova: NewFile.Kestrova"_s);
        QCOMPARE(ThoughtsOf(*window.Diary(), OtherDay), u"never saved"_s);
        QVERIFY(window.IsDialogUpdated());
    }

    void cancelledSaveAsAtTheQuestionKeepsTheChangesForTheNextStart_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("close") << u"close"_s;
        QTest::newRow("New") << u"new"_s;
    }
    void cancelledSaveAsAtTheQuestionKeepsTheChangesForTheNextStart()
    {
        // Yes to the save question of a diary never saved, then the file dialog cancelled: the
        // command goes on as always, but the changes must not vanish with the window's copy.
        QFETCH(QString, how);
        TmainForm& window = f->Start(Options());
        TypeThoughts(u"never saved, not given up"_s);
        f->Dialogs().AnswerYes();
        f->Dialogs().AnswerCancel();
        if (how == u"close"_s) {
            QVERIFY(window.close());
        } else {
            f->Trigger(u"MenuItemNew"_s);
            // This window's own copies of its next diary never replace the one kept.
            TypeThoughts(u"the next diary"_s);
            QTRY_VERIFY(WindowsCopy());
            f->Dialogs().AnswerNo();
            QVERIFY(window.close());
        }
        f->Script().AnswerChoice(0);
        TmainForm& next = f->Start(Options());
        QCOMPARE(f->Dialogs().Texts(TKind::Choice).size(), 1);
        QCOMPARE(ThoughtsOf(*next.Diary(), QDate::currentDate()), u"never saved, not given up"_s);
        QVERIFY(next.IsDialogUpdated());
    }

    void openingADiaryOffersItsCopy()
    {
        WriteTheDiary();
        const QDateTime taken = QDateTime::currentDateTime();
        LeaveCopy(DiaryPath(), u"not saved"_s, taken);
        LeaveCopy(f->Path(u"other.Kestrova"_s), u"another diary"_s, taken);
        TmainForm& window = f->Start(Options());
        QVERIFY(f->Dialogs().Texts(TKind::Choice).isEmpty()); // a new diary, and no copy of one

        f->Dialogs().AnswerFile(DiaryPath());
        f->Dialogs().AnswerChoice(0);
        f->Trigger(u"MenuItemOpenFile"_s);

        QCOMPARE(f->Dialogs().Texts(TKind::Choice), QStringList{OfferText(u"d.Kestrova"_s, taken)});
        QCOMPARE(window.FileName(), DiaryPath());
        QCOMPARE(ThoughtsOf(*window.Diary(), OtherDay), u"not saved"_s);
        QVERIFY(window.IsDialogUpdated());
    }

    void damagedCopyIsReportedAndKeptAside()
    {
        WriteTheDiary();
        const QDateTime taken = QDateTime::currentDateTime();
        const QString left = LeaveCopy(DiaryPath(), u"lost"_s, taken);
        const QByteArray damaged = f->ReadFile(left).left(100);
        {
            QFile file(left);
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(damaged);
        }

        TmainForm& window = f->Start(Options(DiaryPath()));

        const QStringList messages = f->Dialogs().Texts(TKind::Message);
        QCOMPARE(messages.size(), 1);
        const QString when = taken.toString(u"yyyy-MM-dd HH:mm:ss"_s);
        QVERIFY2(
            messages[0].startsWith(
                u"Kestrova found changes to d.Kestrova that were not saved (from %1), but they can not be read ("_s.arg(
                    when)),
            qPrintable(messages[0]));
        QVERIFY2(messages[0].endsWith(u"). It is kept as %1.damaged."_s.arg(left)), qPrintable(messages[0]));
        QVERIFY(f->Dialogs().Texts(TKind::Choice).isEmpty());
        QCOMPARE(f->ReadFile(left + u".damaged"_s), damaged);
        QVERIFY(!QFile::exists(left));
        QCOMPARE(ThoughtsOf(*window.Diary(), OtherDay), u"as saved"_s);
        QVERIFY(!window.IsDialogUpdated());
    }

    // Which copies a start offers, by what they hold and what the file holds now; each row is one
    // history of the diary after a run that left a copy died.
    void startDecidesByContent_data()
    {
        QTest::addColumn<QString>("history");
        QTest::addColumn<QString>("offered"); // "", "offer" or "changed elsewhere"
        QTest::newRow("nothing happened since") << u"none"_s << u"offer"_s;
        QTest::newRow("a second window saved since") << u"other save"_s << u"changed elsewhere"_s;
        QTest::newRow("a sync tool rewrote the same bytes") << u"touched"_s << u"offer"_s;
        QTest::newRow("the changes are in the file already") << u"saved the same"_s << QString();
        QTest::newRow("the file is gone") << u"deleted"_s << u"offer"_s;
        QTest::newRow("the file was damaged since") << u"damaged"_s << u"changed elsewhere"_s;
    }
    void startDecidesByContent()
    {
        QFETCH(QString, history);
        QFETCH(QString, offered);
        WriteTheDiary();
        const QDateTime taken = QDateTime::currentDateTime().addSecs(-60);
        const QString left = LeaveCopy(DiaryPath(), u"not saved"_s, taken, FingerprintOfFile(DiaryPath()));
        if (history == u"other save"_s) {
            WriteTheDiary(u"saved by another window"_s);
        } else if (history == u"touched"_s) {
            QFile file(DiaryPath());
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime));
        } else if (history == u"saved the same"_s) {
            QVERIFY(QFile::remove(DiaryPath()));
            QVERIFY(QFile::copy(left, DiaryPath()));
        } else if (history == u"deleted"_s) {
            QVERIFY(QFile::remove(DiaryPath()));
        } else if (history == u"damaged"_s) {
            f->WriteFile(u"d.Kestrova"_s, QByteArray::fromHex("0B000000"));
        }
        // As the program starts after a crash: the last file of the settings, no message for a
        // file that vanished.
        f->SetSetting(u"LastFilename"_s, DiaryPath());
        if (history == u"damaged"_s)
            f->Script(); // the "can not be opened" message needs no answer
        if (!offered.isEmpty())
            f->Script().AnswerChoice(0);
        TmainForm& window = f->Start(Options());

        if (offered.isEmpty()) {
            QVERIFY(f->Dialogs().Texts(TKind::Choice).isEmpty());
            QVERIFY(CopiesLeft().isEmpty()); // it held nothing the file lacks
            return;
        }
        QCOMPARE(f->Dialogs().Texts(TKind::Choice),
                 QStringList{OfferText(u"d.Kestrova"_s, taken, offered == u"changed elsewhere"_s)});
        QCOMPARE(window.FileName(), DiaryPath());
        QCOMPARE(ThoughtsOf(*window.Diary(), OtherDay), u"not saved"_s);
        QVERIFY(window.IsDialogUpdated());
        const QByteArray onDisk = f->ReadFile(DiaryPath());
        if (offered == u"changed elsewhere"_s) {
            // The other version is not overwritten unasked: the save asks first.
            f->Dialogs().AnswerChoice(3); // Cancel
            f->Trigger(u"MenuItemSave"_s);
            QCOMPARE(f->Dialogs().Texts(TKind::Choice).size(), 2);
            QVERIFY(f->Dialogs().Texts(TKind::Choice).last().startsWith(u"d.Kestrova was changed outside"_s));
            QCOMPARE(f->ReadFile(DiaryPath()), onDisk);
            QVERIFY(window.IsDialogUpdated());
            return;
        }
        f->Trigger(u"MenuItemSave"_s);
        QCOMPARE(ThoughtsOf(*ReadDiaryFile(DiaryPath()), OtherDay), u"not saved"_s);
        QVERIFY(CopiesLeft().isEmpty());
    }

    void copyKeptForLaterIsOfferedAfterASave()
    {
        // "Later", then a save of the diary: the copy's changes are still in no file.
        WriteTheDiary();
        const QDateTime taken = QDateTime::currentDateTime().addSecs(-60);
        LeaveCopy(DiaryPath(), u"not saved"_s, taken, FingerprintOfFile(DiaryPath()));
        f->Script().AnswerChoice(2);
        f->Start(Options(DiaryPath()));
        TypeThoughts(u"typed this run"_s);
        f->Trigger(u"MenuItemSave"_s);
        QVERIFY(f->Window().close());

        f->Script().AnswerChoice(1);
        f->Start(Options(DiaryPath()));
        QCOMPARE(f->Dialogs().Texts(TKind::Choice), QStringList{OfferText(u"d.Kestrova"_s, taken, true)});
        QVERIFY(CopiesLeft().isEmpty()); // discarded
    }

    void givenUpChangesStayInTheCopyWhileTheDiaryStays_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("No, then Open cancelled") << u"open"_s;
        QTest::newRow("No, then a vanished recent file") << u"recent"_s;
        QTest::newRow("No, then the import") << u"import"_s;
    }
    void givenUpChangesStayInTheCopyWhileTheDiaryStays()
    {
        QFETCH(QString, how);
        WriteTheDiary();
        f->SetSetting(u"RecentFile1"_s, f->Path(u"gone.Kestrova"_s));
        TmainForm& window = f->Start(Options(DiaryPath()));
        TypeThoughts(u"still here"_s);
        QTRY_VERIFY(WindowsCopy());
        f->Dialogs().AnswerNo();
        if (how == u"open"_s) {
            f->Dialogs().AnswerCancel();
            f->Trigger(u"MenuItemOpenFile"_s);
        } else if (how == u"recent"_s) {
            f->Trigger(u"MenuItemRecentFile2"_s); // the diary opened is the first

            QCOMPARE(f->Dialogs().Texts(TKind::Message).size(), 1);
        } else {
            f->WriteFile(u"tasks.csv"_s, "Task;Start;End;Note\r\nmow;2025-01-02 10:00:00;2025-01-02 11:00:00;\r\n");
            f->Dialogs().AnswerFile(f->Path(u"tasks.csv"_s));
            f->Dialogs().AnswerNo();
            f->Trigger(u"MenuItemImportTasksFromACSVFile"_s);
        }
        // The diary and its changes stay in the window, and so in its copy: a crash now loses nothing.
        QVERIFY(window.IsDialogUpdated());
        QTRY_VERIFY(WindowsCopy() && ThoughtsOf(*WindowsCopy(), QDate::currentDate()) == u"still here"_s);

        f->Script().AnswerChoice(0);
        TmainForm& next = f->Start(Options(DiaryPath())); // the window died without closing
        QCOMPARE(f->Dialogs().Texts(TKind::Choice).size(), 1);
        QCOMPARE(ThoughtsOf(*next.Diary(), QDate::currentDate()), u"still here"_s);
    }

    void changesKeptAtACancelledSaveAsLeaveNoStaleCopy()
    {
        // Yes, the Save As cancelled, and the import goes on with the same diary, which is later
        // saved: no copy may outlive that save.
        TmainForm& window = f->Start(Options());
        TypeThoughts(u"typed"_s);
        f->WriteFile(u"tasks.csv"_s, "Task;Start;End;Note\r\nmow;2025-01-02 10:00:00;2025-01-02 11:00:00;\r\n");
        f->Dialogs().AnswerYes();
        f->Dialogs().AnswerCancel();
        f->Dialogs().AnswerFile(f->Path(u"tasks.csv"_s));
        f->Dialogs().AnswerNo();
        f->Trigger(u"MenuItemImportTasksFromACSVFile"_s);
        QTRY_VERIFY(WindowsCopy());

        f->Dialogs().AnswerFile(DiaryPath());
        f->Trigger(u"MenuItemSave"_s);
        QVERIFY(!window.IsDialogUpdated());
        QVERIFY(window.close());
        QVERIFY(CopiesLeft().isEmpty());
    }

    void failingCopiesAreToldWithoutABox()
    {
        TmainForm& window = f->Start(Options());
        // A folder where the copy should go: every write of it fails, even for root.
        QVERIFY(QDir().mkpath(window.RecoveryStore().OwnCopyFile(QString())));
        TypeThoughts(u"typed"_s);
        QTRY_VERIFY(window.statusBar()->currentMessage().startsWith(u"Changes cannot be kept safe: "_s));
        QVERIFY(f->Dialogs().Shown().isEmpty());

        // Closing now must not drop the changes silently: Yes, Save As cancelled, and the copy that
        // would keep them cannot be written: the window stays, and says why.
        f->Dialogs().AnswerYes();
        f->Dialogs().AnswerCancel();
        QVERIFY(!window.close());
        const QStringList errors = f->Dialogs().Texts(TKind::Error);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors[0].startsWith(u"Changes cannot be kept safe: "_s), qPrintable(errors[0]));
        QVERIFY(window.IsDialogUpdated());

        // Once the folder takes copies again, the next one is written and the warning goes.
        QVERIFY(QDir(window.RecoveryStore().OwnCopyFile(QString())).removeRecursively());
        TypeThoughts(u" more"_s);
        QTRY_VERIFY(window.statusBar()->currentMessage().isEmpty());
        QTRY_VERIFY(WindowsCopy() && ThoughtsOf(*WindowsCopy(), QDate::currentDate()) == u"typed more"_s);
    }

    void writeWaitsWhileACommandRuns()
    {
        TmainForm& window = f->Start(Options());
        TypeThoughts(u"typed"_s);
        bool busyMeanwhile = false;
        bool copyMeanwhile = true;
        f->Dialogs().OnModal = [&](QDialog&) {
            QTest::qWait(10 * TinyInterval.count()); // the timer runs, the window is held
            busyMeanwhile = window.IsBusy();
            copyMeanwhile = !window.RecoveryCopyFile().isEmpty();
        };
        f->Trigger(u"MenuItemAbout"_s);

        QVERIFY(busyMeanwhile);
        QVERIFY(!copyMeanwhile);
        QTRY_VERIFY(WindowsCopy() && ThoughtsOf(*WindowsCopy(), QDate::currentDate()) == u"typed"_s);
    }
};

QTEST_MAIN(TestRecovery)
#include "test_recovery.moc"
