// The recovery copy driven through the real window: written while changes are unsaved, from the
// page as the controls show it but without touching them; removed by a save, a "No" or a close;
// offered at start and on opening, with each answer doing what it says.

#include "support/WindowFixture.h"

#include "document/RecoveryStore.h"
#include "model/DiaryFile.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QAction>
#include <QFile>
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

QString OfferText(const QString& aName, const QDateTime& aTaken)
{
    // The test's regional settings: yyyy-MM-dd and HH:mm:ss.
    return u"Kestrova found changes to %1 that were not saved (from %2). Restore them?"_s.arg(
        aName, aTaken.toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s));
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

    // A copy left by a run of the program that died.
    QString LeaveCopy(const QString& aDiaryPath, const QString& aThoughts, const QDateTime& aTaken)
    {
        const TRecoveryStore ended(RecoveryFolder());
        return ended.Write(*DiaryWithThoughts(aThoughts), aDiaryPath, aTaken).File;
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
