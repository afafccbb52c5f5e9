// The password of an encrypted diary driven through the real window: set, changed and removed
// (each saved at once), asked for on every way a diary is opened, with a wrong one said and asked
// again and a cancel that changes nothing; and nothing readable of the diary beside it on disk, in
// the recovery copies or the backups.

#include "support/WindowFixture.h"

#include "document/RecoveryStore.h"
#include "model/DiaryCrypto.h"
#include "model/DiaryFile.h"
#include "ui/Widgets.h"
#include "util/ksDateUtils.h"

#include <QAction>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

using namespace Qt::Literals::StringLiterals;
using TKind = TScriptedDialogs::TKind;

namespace {

const QString Marker = u"marker-51c9 nobody reads this"_s;

TKeyDerivation Cheap()
{
    TKeyDerivation derivation = TKeyDerivation::New();
    derivation.Passes = 1;
    derivation.MemoryBytes = 8192;
    return derivation;
}

TPasswordPrompt Gives(const QString& aPassword)
{
    return [aPassword](const QString&, int aAttempt) -> std::optional<TSecret> {
        if (aAttempt > 1)
            return std::nullopt;
        return TSecret::FromText(aPassword);
    };
}

// The diary as aPassword opens it; null when it does not.
std::unique_ptr<TDiary> OpenWith(const QString& aFile, const QString& aPassword)
{
    try {
        return ReadDiaryFileWithPassword(aFile, Gives(aPassword)).Diary;
    } catch (const EKestrovaError&) {
        return nullptr;
    }
}

QString ThoughtsOfToday(const TDiary& aDiary)
{
    for (const auto& day : aDiary.DB)
        if (DateOfDateTime(day->Date) == QDate::currentDate())
            return day->Thoughts;
    return u"<no page>"_s;
}

bool HoldsText(const QByteArray& aBytes, const QString& aText)
{
    const QByteArray utf16(reinterpret_cast<const char*>(aText.utf16()), aText.size() * 2);
    return aBytes.contains(utf16) || aBytes.contains(aText.toUtf8());
}

} // namespace

class TestPassword : public QObject {
    Q_OBJECT

    std::unique_ptr<TWindowFixture> f;

    QString DiaryPath() const { return f->Path(u"d.Kestrova"_s); }
    QString RecoveryFolder() const { return f->Path(u"recovery"_s); }

    TmainForm::TOptions Options(const QString& aStartFile = {}) const
    {
        TmainForm::TOptions options(aStartFile);
        options.RecoveryFolder = RecoveryFolder();
        options.RecoveryInterval = std::chrono::milliseconds(20);
        options.NewKeyDerivation = Cheap;
        return options;
    }

    // The diary of the tests, today's thoughts aThoughts; encrypted under aPassword when given.
    void WriteTheDiary(const QString& aThoughts, const QString& aPassword = {})
    {
        TDiary diary;
        diary.GetDay(Now())->Thoughts = aThoughts;
        if (aPassword.isEmpty()) {
            WriteDiaryFile(diary, DiaryPath());
            return;
        }
        const TDiaryKey key = TDiaryKey::Derive(TSecret::FromText(aPassword), Cheap());
        WriteDiaryFile(diary, DiaryPath(), {}, {}, &key);
    }

    void TypeThoughts(const QString& aText)
    {
        auto* edit = f->Find<TRichEdit>(u"RichEditThoughts"_s);
        auto* pages = f->Find<QTabWidget>(u"PageControlAll"_s);
        for (QWidget* page = edit; page; page = page->parentWidget())
            if (pages->indexOf(page) >= 0)
                pages->setCurrentWidget(page);
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClicks(edit, aText);
    }

    bool MarkedEncrypted() const
    {
        const auto* label = f->Find<QLabel>(u"LabelEncrypted"_s);
        return label && label->isVisibleTo(&f->Window());
    }

    // Every file under the test's folder whose bytes hold aText, the recovery copies and the
    // backups included.
    QStringList FilesHolding(const QString& aText) const
    {
        QStringList found;
        QDirIterator files(f->Path(QString()), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString file = files.next();
            if (!file.contains(u"/settings/"_s) && HoldsText(f->ReadFile(file), aText))
                found << file;
        }
        return found;
    }

private Q_SLOTS:
    void init() { f = std::make_unique<TWindowFixture>(); }
    void cleanup()
    {
        const QStringList problems = f->Problems();
        f.reset();
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u"; "_s)));
    }

    void setChangeAndRemoveEachSaveAtOnce()
    {
        WriteTheDiary(Marker);
        // Backups of earlier saves and a version kept aside, plain like the diary was then.
        for (const QString& name : {u"2025-03-10--d.Kestrova"_s, u"2025-03-11_09-30-00--d.Kestrova"_s})
            QVERIFY(QFile::copy(DiaryPath(), f->Path(name)));
        f->Start(Options(DiaryPath()));
        QVERIFY(!MarkedEncrypted());
        QVERIFY(!f->Find<QAction>(u"MenuItemChangePassword"_s)->isEnabled());

        f->Dialogs().AnswerPassword(u"first"_s);
        f->Trigger(u"MenuItemSetPassword"_s);
        QVERIFY(IsEncryptedDiaryFile(DiaryPath()));
        QCOMPARE(ThoughtsOfToday(*OpenWith(DiaryPath(), u"first"_s)), Marker);
        QVERIFY(MarkedEncrypted());
        QVERIFY(!f->Window().IsDialogUpdated());
        QVERIFY(!f->Find<QAction>(u"MenuItemSetPassword"_s)->isEnabled());
        QCOMPARE(f->Dialogs().Texts(TKind::NewPassword).size(), 1);
        // Nothing beside it is readable any more: the backups, the one this save made too, are
        // encrypted under the same password.
        QCOMPARE(FilesHolding(Marker), QStringList());
        for (const QString& name : {u"2025-03-10--d.Kestrova"_s, u"2025-03-11_09-30-00--d.Kestrova"_s,
                                    u"2025-03-12--d.Kestrova"_s})
            QCOMPARE(ThoughtsOfToday(*OpenWith(f->Path(name), u"first"_s)), Marker);

        f->Dialogs().AnswerPassword(u"second"_s);
        f->Trigger(u"MenuItemChangePassword"_s);
        QVERIFY(!OpenWith(DiaryPath(), u"first"_s));
        QCOMPARE(ThoughtsOfToday(*OpenWith(DiaryPath(), u"second"_s)), Marker);

        // A cancelled change keeps the password; No to the removal keeps it too.
        f->Dialogs().AnswerCancel();
        f->Trigger(u"MenuItemChangePassword"_s);
        f->Dialogs().AnswerNo();
        f->Trigger(u"MenuItemRemovePassword"_s);
        QVERIFY(OpenWith(DiaryPath(), u"second"_s));
        QVERIFY(MarkedEncrypted());

        f->Dialogs().AnswerYes();
        f->Trigger(u"MenuItemRemovePassword"_s);
        QVERIFY(!IsEncryptedDiaryFile(DiaryPath()));
        QCOMPARE(ThoughtsOfToday(*ReadDiaryFile(DiaryPath())), Marker);
        QVERIFY(!MarkedEncrypted());
        QVERIFY(f->Find<QAction>(u"MenuItemSetPassword"_s)->isEnabled());

        // The settings store never sees a password.
        f->Window().close();
        for (const QString& name : f->SettingNames()) {
            const QString value = f->Setting(name).toString();
            QVERIFY2(!value.contains(u"first"_s) && !value.contains(u"second"_s), qPrintable(name));
        }
    }

    void newDiaryGetsItsPasswordWithItsFirstSave()
    {
        f->Start(Options());
        f->Dialogs().AnswerPassword(u"pass"_s);
        f->Trigger(u"MenuItemSetPassword"_s);
        QVERIFY(MarkedEncrypted());
        QVERIFY(f->Window().IsDialogUpdated()); // nothing to save into yet: the save carries it

        TypeThoughts(Marker);
        const QString file = f->Path(u"n.Kestrova"_s);
        f->Dialogs().AnswerFile(file);
        f->Trigger(u"MenuItemSave"_s);
        QVERIFY(IsEncryptedDiaryFile(file));
        QCOMPARE(ThoughtsOfToday(*OpenWith(file, u"pass"_s)), Marker);
    }

    void opensWithTheRightPasswordAfterAWrongOne_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QStringList>("passwords"); // typed in turn; an empty one cancels
        QTest::addColumn<bool>("opened");
        QTest::newRow("at start") << u"start"_s << QStringList{u"wrong"_s, u"right"_s} << true;
        QTest::newRow("at start, cancelled") << u"start"_s << QStringList{u"wrong"_s, QString()} << false;
        QTest::newRow("File > Open") << u"open"_s << QStringList{u"wrong"_s, u"right"_s} << true;
        QTest::newRow("File > Open, cancelled") << u"open"_s << QStringList{u"wrong"_s, QString()} << false;
        QTest::newRow("recent file") << u"recent"_s << QStringList{u"wrong"_s, u"right"_s} << true;
    }
    void opensWithTheRightPasswordAfterAWrongOne()
    {
        QFETCH(QString, how);
        QFETCH(QStringList, passwords);
        QFETCH(bool, opened);
        WriteTheDiary(u"sealed"_s, u"right"_s);
        const QByteArray onDisk = f->ReadFile(DiaryPath());
        const QString other = f->Path(u"other.Kestrova"_s);
        {
            TDiary diary;
            diary.GetDay(Now())->Thoughts = u"other"_s;
            WriteDiaryFile(diary, other);
        }
        f->SetSetting(u"RecentFile1"_s, DiaryPath());
        f->SetSetting(u"LastFilename"_s, how == u"start"_s ? DiaryPath() : other);

        const auto answer = [this, &how, &passwords] {
            TScriptedDialogs& script = how == u"start"_s ? f->Script() : f->Dialogs();
            for (const QString& password : passwords)
                password.isEmpty() ? script.AnswerCancel() : script.AnswerPassword(password);
        };
        if (how == u"start"_s) {
            answer();
            f->Start(Options());
        } else {
            f->Start(Options());
            QCOMPARE(f->Window().FileName(), other);
            if (how == u"open"_s) {
                f->Dialogs().AnswerFile(DiaryPath());
                answer();
                f->Trigger(u"MenuItemOpenFile"_s);
            } else {
                answer();
                f->Trigger(u"MenuItemRecentFile2"_s); // the other diary took the first place
            }
        }

        const QStringList asked = f->Dialogs().Texts(TKind::Password);
        QCOMPARE(asked.size(), 2);
        QVERIFY2(asked.at(1).contains(u"wrong"_s), qPrintable(asked.at(1)));
        QVERIFY(f->Dialogs().Texts(TKind::Message).isEmpty()); // a cancel is no error
        QCOMPARE(f->ReadFile(DiaryPath()), onDisk);           // nothing written to the file
        if (opened) {
            QCOMPARE(f->Window().FileName(), DiaryPath());
            QCOMPARE(ThoughtsOfToday(*f->Window().Diary()), u"sealed"_s);
            QVERIFY(MarkedEncrypted());
        } else if (how == u"start"_s) {
            // An empty diary meanwhile; the file stays the last and a recent one.
            QVERIFY(f->Window().FileName().isEmpty());
            QVERIFY(f->Window().Diary()->DB.size() <= 1);
            QVERIFY(f->Find<QAction>(u"MenuItemRecentFile1"_s)->text().contains(u"d.Kestrova"_s));
            f->Window().close();
            QCOMPARE(f->Setting(u"LastFilename"_s).toString(), DiaryPath());
            QCOMPARE(f->Setting(u"RecentFile1"_s).toString(), DiaryPath());
        } else {
            // The diary that was open stays, as after a cancelled file dialog.
            QCOMPARE(f->Window().FileName(), other);
            QCOMPARE(ThoughtsOfToday(*f->Window().Diary()), u"other"_s);
            QVERIFY(!MarkedEncrypted());
        }
    }

    void nothingReadableInCopiesOrBackups()
    {
        WriteTheDiary(u"sealed"_s, u"right"_s);
        f->Script().AnswerPassword(u"right"_s);
        TmainForm& window = f->Start(Options(DiaryPath()));

        TypeThoughts(Marker);
        QTRY_VERIFY(!window.RecoveryCopyFile().isEmpty() && QFile::exists(window.RecoveryCopyFile()));
        window.WaitForRecoveryWrite();
        QVERIFY(IsEncryptedDiaryFile(window.RecoveryCopyFile()));
        QCOMPARE(FilesHolding(Marker), QStringList());

        // The save keeps the diary encrypted, under the same password; its backup is the
        // encrypted file it replaced.
        f->Trigger(u"MenuItemSave"_s);
        QVERIFY(IsEncryptedDiaryFile(DiaryPath()));
        QCOMPARE(ThoughtsOfToday(*OpenWith(DiaryPath(), u"right"_s)), u"sealed"_s + Marker);
        QVERIFY(IsEncryptedDiaryFile(f->Path(u"2025-03-12--d.Kestrova"_s)));

        // Changes of a run that died: the copy is encrypted, and offered and restored with the
        // diary's password, without asking twice.
        TypeThoughts(u" more"_s);
        QTRY_VERIFY(!window.RecoveryCopyFile().isEmpty() && QFile::exists(window.RecoveryCopyFile()));
        window.WaitForRecoveryWrite();
        QCOMPARE(FilesHolding(Marker), QStringList());
        const QString copy = window.RecoveryCopyFile();
        const QString kept = f->Path(u"kept-copy"_s);
        QVERIFY(QFile::copy(copy, kept));
        f->Dialogs().AnswerNo();
        window.close();
        QVERIFY(!QFile::exists(copy));
        // Back under the name of a run that ended, as a crash leaves it.
        const QString ended = RecoveryFolder() + u'/' + QFileInfo(copy).fileName().section(u'.', 0, 0) +
                              u".00000000000000aa.Kestrova"_s;
        QVERIFY(QFile::rename(kept, ended));

        f->Script().AnswerPassword(u"right"_s);
        f->Script().AnswerChoice(0); // Restore
        TmainForm& again = f->Start(Options(DiaryPath()));
        QCOMPARE(f->Dialogs().Texts(TKind::Password).size(), 1);
        QCOMPARE(ThoughtsOfToday(*again.Diary()), u"sealed"_s + Marker + u" more"_s);
        QVERIFY(MarkedEncrypted());
        QVERIFY(again.IsDialogUpdated());
        f->Trigger(u"MenuItemSave"_s);
        QCOMPARE(ThoughtsOfToday(*OpenWith(DiaryPath(), u"right"_s)), u"sealed"_s + Marker + u" more"_s);
        QCOMPARE(FilesHolding(Marker), QStringList());
    }

    // A diary encrypted and changed on another machine under the same password: Merge reads that
    // version with the diary's key, joins it, and the save writes the result encrypted.
    void anEncryptedDiaryChangedElsewhereMerges()
    {
        WriteTheDiary(u"start"_s, u"right"_s);
        f->Script().AnswerPassword(u"right"_s);
        TmainForm& window = f->Start(Options(DiaryPath()));
        TypeThoughts(Marker);

        TOpenedDiary other = ReadDiaryFileWithPassword(DiaryPath(), Gives(u"right"_s));
        other.Diary->GetDay(EncodeDate(QDate(2025, 1, 2)))->Thoughts = u"theirs"_s;
        WriteDiaryFile(*other.Diary, DiaryPath(), {}, {}, &*other.Key);

        f->Dialogs().AnswerChoice(0); // Merge
        f->Trigger(u"MenuItemSave"_s);
        QCOMPARE(f->Dialogs().Texts(TKind::Error), QStringList());
        QCOMPARE(f->Dialogs().Texts(TKind::Password).size(), 1); // only the one at the start
        QVERIFY(window.IsDialogUpdated());
        f->Trigger(u"MenuItemSave"_s);

        QVERIFY(IsEncryptedDiaryFile(DiaryPath()));
        const std::unique_ptr<TDiary> saved = OpenWith(DiaryPath(), u"right"_s);
        QVERIFY(saved);
        QCOMPARE(ThoughtsOfToday(*saved), u"start"_s + Marker);
        QCOMPARE(saved->GetDay(EncodeDate(QDate(2025, 1, 2)))->Thoughts, u"theirs"_s);
        QCOMPARE(FilesHolding(Marker), QStringList());
    }
};

QTEST_MAIN(TestPassword)
#include "test_password.moc"
