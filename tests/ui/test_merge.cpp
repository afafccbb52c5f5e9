// Merge, the first answer when a save finds the diary file changed elsewhere: the window joins the
// file with its own diary against the version both started from, lets the user settle what both
// changed, and shows the result unsaved; the user's next save writes it without asking again.

#include "support/DiaryFixture.h"
#include "support/WindowFixture.h"

#include "document/FileFingerprint.h"
#include "document/RecoveryStore.h"
#include "document/ksFileUtils.h"
#include "model/DiaryFile.h"
#include "model/DiaryMerge.h"
#include "ui/MergeDialog.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using TKind = TScriptedDialogs::TKind;

namespace {

const QDate OtherDay(2025, 1, 2);
const QDate ThirdDay(2025, 1, 3);
constexpr int Merge = 0;
constexpr int Cancel = 3;

const TDay* PageOf(const TDiary& aDiary, const QDate& aDate)
{
    for (const auto& day : aDiary.DB)
        if (DateOfDateTime(day->Date) == aDate)
            return day.get();
    return nullptr;
}

double PulseOf(const TDiary& aDiary, const QDate& aDate)
{
    const TDay* day = PageOf(aDiary, aDate);
    return day ? day->PulseAtMorning : -1.0;
}

// A diary with thoughts on some days and, on aPulseDay, a morning pulse.
std::unique_ptr<TDiary> DiaryOf(std::initializer_list<std::pair<QDate, QString>> aThoughts,
                                const QDate& aPulseDay = {}, double aPulse = 0.0)
{
    auto diary = std::make_unique<TDiary>();
    for (const auto& [date, thoughts] : aThoughts)
        diary->GetDay(EncodeDate(date))->Thoughts = thoughts;
    if (aPulseDay.isValid())
        diary->GetDay(EncodeDate(aPulseDay))->PulseAtMorning = aPulse;
    return diary;
}

QString Both(const QString& aOurs, const QString& aTheirs)
{
    return aOurs + u'\n' + MergeMarkerLine + u'\n' + aTheirs;
}

} // namespace

class TestMerge : public QObject {
    Q_OBJECT

    std::unique_ptr<TWindowFixture> f;
    QString fPath;

    QString Folder() const { return QFileInfo(fPath).absolutePath(); }
    QStringList KeptVersions() const
    {
        return QDir(Folder()).entryList({u"*_*--diary.Kestrova"_s}, QDir::Files);
    }
    std::unique_ptr<TDiary> FileDiary() const { return ReadDiaryFile(fPath); }

    void TypeThoughts(const QString& aText)
    {
        f->Find<QTabWidget>(u"PageControlAll"_s)->setCurrentIndex(6);
        auto* edit = f->Find<TRichEdit>(u"RichEditThoughts"_s);
        edit->setFocus();
        QTest::keyClicks(edit, aText);
    }

    // The merge's result as the window holds it and shows it, unsaved, with the file untouched
    // and the other version kept under a name of its own; then the next save writes it unasked.
    void CheckMergedThenSaved(const QByteArray& aTheirs, const QString& aToday, const QString& aOther)
    {
        const QDate today = QDate::currentDate();
        TmainForm& window = f->Window();
        QCOMPARE(ThoughtsOf(*window.Diary(), today), aToday);
        QCOMPARE(ThoughtsOf(*window.Diary(), OtherDay), aOther);
        QCOMPARE(DateOfDateTime(window.Day()->Date), today);
        QCOMPARE(f->Find<TRichEdit>(u"RichEditThoughts"_s)->toPlainText(), aToday);
        QVERIFY(window.IsDialogUpdated());
        QCOMPARE(f->ReadFile(fPath), aTheirs);
        const QStringList kept = KeptVersions();
        QCOMPARE(kept.size(), 1);
        QCOMPARE(f->ReadFile(Folder() + u'/' + kept.first()), aTheirs);
        QVERIFY2(window.statusBar()->currentMessage().contains(kept.first()),
                 qPrintable(window.statusBar()->currentMessage()));
        QCOMPARE(f->Dialogs().Texts(TKind::Error), QStringList());

        const qsizetype asked = f->Dialogs().Texts(TKind::Choice).size();
        f->Trigger(u"MenuItemSave"_s);
        QCOMPARE(f->Dialogs().Texts(TKind::Choice).size(), asked);
        QVERIFY(!window.IsDialogUpdated());
        QCOMPARE(ThoughtsOf(*FileDiary(), today), aToday);
        QCOMPARE(ThoughtsOf(*FileDiary(), OtherDay), aOther);
        QCOMPARE(f->ReadFile(TKSFileUtils::BackupFileName(fPath, TWindowFixture::Today)), aTheirs);
    }

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

    // The base is the file as the window last read or wrote it: after a save of our own, what
    // that save wrote is no change of theirs to set against ours.
    void changesOnDifferentDaysMergeWithoutAQuestion_data()
    {
        QTest::addColumn<bool>("savedFirst");
        QTest::newRow("as opened") << false;
        QTest::newRow("after a save of our own") << true;
    }
    void changesOnDifferentDaysMergeWithoutAQuestion()
    {
        QFETCH(bool, savedFirst);
        const QDate today = QDate::currentDate();
        WriteDiaryFile(*DiaryOf({{OtherDay, u"before"_s}}), fPath);
        f->Start({fPath});
        TypeThoughts(u"ours"_s);
        if (savedFirst) {
            f->Trigger(u"MenuItemSave"_s);
            TypeThoughts(u" again"_s);
        }
        const QString ours = savedFirst ? u"ours again"_s : u"ours"_s;
        // Their version started from the file as this window last left it.
        WriteDiaryFile(*DiaryOf({{OtherDay, u"theirs"_s}, {today, savedFirst ? u"ours"_s : QString()}}), fPath);
        const QByteArray theirs = f->ReadFile(fPath);

        f->Dialogs().AnswerChoice(Merge);
        f->Trigger(u"MenuItemSave"_s);

        QCOMPARE(f->Dialogs().Texts(TKind::Choice).size(), 1);
        QVERIFY(f->Dialogs().Texts(TKind::Choice).first().contains(u"Merge"_s));
        QCOMPARE(f->Dialogs().Texts(TKind::Merge), QStringList());
        CheckMergedThenSaved(theirs, ours, u"theirs"_s);
    }

    // Both sides changed today's thoughts and morning pulse: the dialog lists both conflicts, and
    // each pick decides what the diary keeps.
    void eachPickKeepsWhatItSays_data()
    {
        QTest::addColumn<int>("textPick");
        QTest::addColumn<int>("numberPick");
        QTest::addColumn<QString>("thoughts");
        QTest::addColumn<double>("pulse");
        QTest::newRow("text ours, number theirs")
            << int(TMergePick::Ours) << int(TMergePick::Theirs) << u"ours"_s << 80.0;
        QTest::newRow("text theirs, number ours")
            << int(TMergePick::Theirs) << int(TMergePick::Ours) << u"theirs"_s << 70.0;
        QTest::newRow("text both") << int(TMergePick::Both) << int(TMergePick::Theirs) << Both(u"ours"_s, u"theirs"_s)
                                   << 80.0;
    }
    void eachPickKeepsWhatItSays()
    {
        QFETCH(int, textPick);
        QFETCH(int, numberPick);
        QFETCH(QString, thoughts);
        QFETCH(double, pulse);
        const QDate today = QDate::currentDate();
        WriteDiaryFile(*DiaryOf({{OtherDay, u"untouched"_s}}, today, 60), fPath);
        f->Start({fPath});
        f->Find<TNumberEdit>(u"EditPuls1"_s)->setText(u"70"_s);
        TypeThoughts(u"ours"_s);
        WriteDiaryFile(*DiaryOf({{OtherDay, u"untouched"_s}, {today, u"theirs"_s}}, today, 80), fPath);
        const QByteArray theirs = f->ReadFile(fPath);

        f->Dialogs().AnswerChoice(Merge);
        // The conflicts come in the order of the day's fields: the health readings before the thoughts.
        f->Dialogs().AnswerPicks({TMergePick(numberPick), TMergePick(textPick)});
        f->Trigger(u"MenuItemSave"_s);

        const std::vector<TMergeConflict>& conflicts = f->Dialogs().LastConflicts();
        QCOMPARE(conflicts.size(), size_t(2));
        const TMergeConflict& number = conflicts[0];
        const TMergeConflict& text = conflicts[1];
        QCOMPARE(number.Field, u"PulseAtMorning"_s);
        QCOMPARE(number.Kind, TMergeKind::Number);
        QCOMPARE(QStringList({number.Ours, number.Theirs}), QStringList({u"70"_s, u"80"_s}));
        QCOMPARE(text.Field, u"Thoughts"_s);
        QCOMPARE(QStringList({text.Ours, text.Theirs}), QStringList({u"ours"_s, u"theirs"_s}));
        QCOMPARE(text.Section, u"Day"_s);
        QCOMPARE(f->Dialogs().LastConflictDates(), QStringList(2, today.toString(u"yyyy-MM-dd"_s)));

        QCOMPARE(PulseOf(*f->Window().Diary(), today), pulse);
        QCOMPARE(f->Find<TNumberEdit>(u"EditPuls1"_s)->text(), QString::number(pulse));
        CheckMergedThenSaved(theirs, thoughts, u"untouched"_s);
        QCOMPARE(PulseOf(*FileDiary(), today), pulse);
    }

    // Cancel in the conflicts changes nothing: the window keeps its diary unsaved, nothing is
    // kept or written, and the next save asks again.
    void cancelledConflictsChangeNothing()
    {
        const QDate today = QDate::currentDate();
        WriteDiaryFile(*DiaryOf({}), fPath);
        TmainForm& window = f->Start({fPath});
        TypeThoughts(u"ours"_s);
        WriteDiaryFile(*DiaryOf({{today, u"theirs"_s}}), fPath);
        const QByteArray theirs = f->ReadFile(fPath);

        f->Dialogs().AnswerChoice(Merge);
        f->Dialogs().AnswerCancel();
        f->Trigger(u"MenuItemSave"_s);

        QCOMPARE(f->Dialogs().Texts(TKind::Merge).size(), 1);
        QCOMPARE(ThoughtsOf(*window.Diary(), today), u"ours"_s);
        QVERIFY(window.IsDialogUpdated());
        QCOMPARE(f->ReadFile(fPath), theirs);
        QCOMPARE(KeptVersions(), QStringList());
        QCOMPARE(f->Dialogs().Texts(TKind::Error), QStringList());
        QVERIFY(!window.IsBusy());

        f->Dialogs().AnswerChoice(Cancel);
        f->Trigger(u"MenuItemSave"_s);
        QCOMPARE(f->Dialogs().Texts(TKind::Choice).size(), 2);
    }

    // A recovery copy restored onto a file that another window saved since: the save merges it
    // against the version the copy was made on, found among the backups beside the file. Without
    // that version every difference is the user's to settle, and nothing either side holds is lost.
    void restoredCopyMergesAgainstItsVersion_data()
    {
        QTest::addColumn<bool>("versionKept");
        QTest::newRow("its version is today's backup") << true;
        QTest::newRow("its version is gone") << false;
    }
    void restoredCopyMergesAgainstItsVersion()
    {
        QFETCH(bool, versionKept);
        WriteDiaryFile(*DiaryOf({{OtherDay, u"before"_s}}), fPath);
        const TFileFingerprint version = FingerprintOfFile(fPath);
        if (versionKept)
            QVERIFY(QFile::copy(fPath, TKSFileUtils::BackupFileName(fPath, TWindowFixture::Today)));
        const QString recovery = f->Path(u"recovery"_s);
        TRecoveryStore(recovery).Write(*DiaryOf({{OtherDay, u"before"_s}, {ThirdDay, u"not saved"_s}}), fPath,
                                       QDateTime::currentDateTimeUtc().addSecs(-60), version);
        WriteDiaryFile(*DiaryOf({{OtherDay, u"theirs"_s}}), fPath);
        const QByteArray theirs = f->ReadFile(fPath);

        f->Script().AnswerChoice(0); // Restore
        TmainForm::TOptions options(fPath);
        options.RecoveryFolder = recovery;
        TmainForm& window = f->Start(options);
        QCOMPARE(ThoughtsOf(*window.Diary(), ThirdDay), u"not saved"_s);

        f->Dialogs().AnswerChoice(Merge);
        if (!versionKept)
            f->Dialogs().AnswerPicks({TMergePick::Both});
        f->Trigger(u"MenuItemSave"_s);

        QCOMPARE(f->Dialogs().Texts(TKind::Merge).size(), versionKept ? 0 : 1);
        QCOMPARE(ThoughtsOf(*window.Diary(), ThirdDay), u"not saved"_s);
        QCOMPARE(ThoughtsOf(*window.Diary(), OtherDay), versionKept ? u"theirs"_s : Both(u"before"_s, u"theirs"_s));
        QVERIFY(window.IsDialogUpdated());
        QCOMPARE(f->ReadFile(fPath), theirs);
        QCOMPARE(window.statusBar()->currentMessage().contains(u"not found"_s), !versionKept);
    }

    // The dialog itself: a number offers no "both" and OK waits for its pick; a text starts at both.
    void theDialogWaitsForEveryNumberToBePicked()
    {
        std::vector<TMergeConflict> conflicts(2);
        conflicts[0].Section = u"Day"_s;
        conflicts[0].Field = u"Thoughts"_s;
        conflicts[0].Kind = TMergeKind::Text;
        conflicts[1].Section = u"Day"_s;
        conflicts[1].Field = u"PulseAtMorning"_s;
        conflicts[1].Kind = TMergeKind::Number;
        TMergeDialog dialog(conflicts, {u"2025-01-02"_s, u"2025-01-02"_s});
        QPushButton* ok = dialog.findChild<QDialogButtonBox*>(u"ButtonBox"_s)->button(QDialogButtonBox::Ok);

        QCOMPARE(dialog.Picks(), (std::vector<TMergePick>{TMergePick::Both, TMergePick::None}));
        QVERIFY(!ok->isEnabled());
        QVERIFY(!dialog.Pick(1, TMergePick::Both));
        QVERIFY(!ok->isEnabled());
        QVERIFY(dialog.Pick(1, TMergePick::Theirs));
        QVERIFY(ok->isEnabled());
        QCOMPARE(dialog.Picks(), (std::vector<TMergePick>{TMergePick::Both, TMergePick::Theirs}));

        dialog.findChild<QPushButton*>(u"ButtonAllOurs"_s)->click();
        QCOMPARE(dialog.Picks(), (std::vector<TMergePick>{TMergePick::Ours, TMergePick::Ours}));
        QVERIFY(ok->isEnabled());
    }
};

QTEST_MAIN(TestMerge)
#include "test_merge.moc"
