// The open diary and its file without a window: reading, saving with its backup, the recent list,
// the check for changes made elsewhere, and a restored copy's base.

#include "document/DiaryDocument.h"

#include "model/DiaryFile.h"
#include "util/Errors.h"
#include "util/ksDateUtils.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

const QDate kToday(2025, 3, 12);

TDiaryDocument::TOptions FixedClock()
{
    TDiaryDocument::TOptions options;
    options.Backup = TBackupOptions{[] { return kToday; }, 0};
    return options;
}

TDiaryKey CheapKey(const QString& aPassword)
{
    TKeyDerivation derivation = TKeyDerivation::New();
    derivation.Passes = 1;
    derivation.MemoryBytes = 8192;
    return TDiaryKey::Derive(TSecret::FromText(aPassword), derivation);
}

TPasswordPrompt Gives(std::optional<QString> aPassword)
{
    return [aPassword](const QString&, int aAttempt) -> std::optional<TSecret> {
        if (!aPassword || aAttempt > 1)
            return std::nullopt;
        return TSecret::FromText(*aPassword);
    };
}

} // namespace

class TestDiaryDocument : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> fDir;
    QString Path(const QString& aName) const { return fDir->filePath(aName); }

    void WriteDiary(const QString& aFile, const QString& aThoughts) const
    {
        TDiary diary;
        diary.GetDay(EncodeDate(kToday))->Thoughts = aThoughts;
        WriteDiaryFile(diary, aFile);
    }

private Q_SLOTS:
    void init()
    {
        fDir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, fDir->filePath(u"settings"_s));
    }

    void readSaveAndTheRecentList()
    {
        const QString file = Path(u"d.Kestrova"_s);
        WriteDiary(file, u"on disk"_s);
        TDiaryDocument document(FixedClock(), {});
        document.SetFileName(file);
        QVERIFY(document.Read());
        QCOMPARE(document.Diary()->Version, 10); // written back in the newest layout
        QCOMPARE(document.RecentFileNames()[0], file);
        QVERIFY(!document.ChangedElsewhere());
        QVERIFY(document.Base().IsKnown());

        // Empty pages go with a save, except the one kept for the window.
        TDay* shown = document.Diary()->GetDay(EncodeDate(kToday.addDays(1)));
        document.Diary()->GetDay(EncodeDate(kToday.addDays(2)));
        document.Diary()->GetDay(EncodeDate(kToday))->Thoughts = u"saved"_s;
        document.Save(*shown);
        QCOMPARE(document.Diary()->DB.size(), size_t(2));
        QCOMPARE(ReadDiaryFile(file)->GetDay(EncodeDate(kToday))->Thoughts, u"saved"_s);
        QVERIFY(QFile::exists(TKSFileUtils::BackupFileName(file, kToday)));
        QVERIFY(!document.ChangedElsewhere()); // the save is the version it knows now

        // The settings keep the name and the list for the next start.
        document.WriteSettings();
        TDiaryDocument next(FixedClock(), {});
        next.ReadSettings();
        QCOMPARE(next.FileName(), file);
        QCOMPARE(next.RecentFileNames()[0], file);
    }

    // The next start finds the last page where this run last saw it begin, as long as the file
    // holds what this run read or wrote; a file written by anyone else since leaves no hint.
    void theLastPageIsRememberedWhileTheFileIsAsKnown()
    {
        const QString file = Path(u"d.Kestrova"_s);
        TDiary written;
        written.GetDay(EncodeDate(kToday.addDays(-1)))->Thoughts = u"yesterday"_s;
        written.GetDay(EncodeDate(kToday))->Thoughts = u"today"_s;
        WriteDiaryFile(written, file);
        const auto pageByHint = [&file](const TLastPageHint& aHint, QDate aDate) {
            QFile opened(file);
            return opened.open(QIODevice::ReadOnly) ? ReadDayWithHint(opened, EncodeDate(aDate) + 0.5, aHint)
                                                    : std::nullopt;
        };

        TDiaryDocument document(FixedClock(), {});
        document.SetFileName(file);
        QVERIFY(document.Read());
        document.WriteSettings();
        std::optional<TLastPageHint> hint = document.LastPageHint();
        QVERIFY(hint);
        QCOMPARE(hint->FileName, file);
        QCOMPARE(hint->DayCount, 2);
        std::optional<TDiaryDayRead> page = pageByHint(*hint, kToday);
        QVERIFY(page && page->Day);
        QCOMPARE(page->Day->Thoughts, u"today"_s);

        // Saved with a page more: the hint is the saved file's.
        TDay* tomorrow = document.Diary()->GetDay(EncodeDate(kToday.addDays(1)));
        tomorrow->Thoughts = u"tomorrow"_s;
        document.Save(*tomorrow);
        document.WriteSettings();
        hint = document.LastPageHint();
        QVERIFY(hint);
        QCOMPARE(hint->DayCount, 3);
        page = pageByHint(*hint, kToday.addDays(1));
        QVERIFY(page && page->Day);
        QCOMPARE(page->Day->Thoughts, u"tomorrow"_s);

        // Written by another program since: nothing is remembered.
        WriteDiaryFile(written, file);
        document.WriteSettings();
        QVERIFY(!document.LastPageHint());
    }

    void aDiaryReadAheadShowsItsFirstPageBeforeTheRest_data()
    {
        QTest::addColumn<QDate>("first");
        QTest::newRow("the file has that page") << kToday;
        QTest::newRow("a page the window makes") << kToday.addDays(-1);
    }

    void aDiaryReadAheadShowsItsFirstPageBeforeTheRest()
    {
        QFETCH(QDate, first);
        const QString file = Path(u"d.Kestrova"_s);
        TDiary written;
        written.GetDay(EncodeDate(kToday.addDays(-2)))->Thoughts = u"before"_s;
        written.GetDay(EncodeDate(kToday))->Thoughts = u"today"_s;
        WriteDiaryFile(written, file);

        TDiaryDocument document(FixedClock(), {});
        document.SetFileName(file);
        QVERIFY(document.StartRead().Start(file, EncodeDate(first)));
        QVERIFY(document.Read({}, {}, EncodeDate(first) + 0.5));
        QVERIFY(document.IsArriving());
        TDay* shown = document.FirstDay(EncodeDate(first) + 0.5);
        QVERIFY(document.IsArriving()); // the page alone did not wait for the rest
        QCOMPARE(shown->Thoughts, first == kToday ? u"today"_s : QString());

        // Whatever asks for the whole diary takes it, with the page shown in its place.
        QCOMPARE(document.Diary()->DB.size(), size_t(first == kToday ? 2 : 3));
        QVERIFY(!document.IsArriving());
        QCOMPARE(document.Diary()->GetDay(EncodeDate(first)), shown);
        QVERIFY(std::is_sorted(document.Diary()->DB.begin(), document.Diary()->DB.end(),
                               [](const auto& a, const auto& b) { return a->Date < b->Date; }));
        QVERIFY(document.Base().IsKnown());
        QVERIFY(!document.ChangedElsewhere());
        QVERIFY(document.TakeArrivalFailure().isEmpty());
        document.WriteSettings();
        QVERIFY(document.LastPageHint()); // the whole read in the background leaves one as well

        // And it is saved whole.
        shown->Thoughts = u"saved"_s;
        document.Save(*shown);
        const auto saved = ReadDiaryFile(file);
        QCOMPARE(saved->GetDay(EncodeDate(kToday.addDays(-2)))->Thoughts, u"before"_s);
        QCOMPARE(saved->GetDay(EncodeDate(first))->Thoughts, u"saved"_s);
    }

    void aFileThatCannotBeReadLeavesTheDiary()
    {
        const QString file = Path(u"bad.Kestrova"_s);
        QFile bad(file);
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a diary");
        bad.close();
        TDiaryDocument document(FixedClock(), {});
        document.New();
        const TDiary* before = document.Diary();
        document.SetFileName(file);
        QVERIFY(!document.Read());
        QCOMPARE(document.Diary(), before);
        QVERIFY(document.RecentFileNames()[0].isEmpty());
    }

    // The fingerprint decides whether a save asks first: only for the name it was taken of.
    void encryptedDiaryKeepsItsKeyUntilAnotherDiary()
    {
        const QString file = Path(u"e.Kestrova"_s);
        {
            TDiary diary;
            diary.GetDay(EncodeDate(kToday))->Thoughts = u"sealed"_s;
            const TDiaryKey key = CheapKey(u"pass"_s);
            WriteDiaryFile(diary, file, {}, {}, &key);
        }
        TDiaryDocument document(FixedClock(), {});
        document.New();
        document.SetFileName(file);

        // A cancelled password changes nothing.
        QVERIFY_THROWS_EXCEPTION(EPasswordCancelled, document.Read(Gives(std::nullopt)));
        QVERIFY(document.Diary()->DB.empty());
        QVERIFY(!document.IsEncrypted());

        QVERIFY(document.Read(Gives(u"pass"_s)));
        QVERIFY(document.IsEncrypted());
        QCOMPARE(document.Diary()->DB.front()->Thoughts, u"sealed"_s);
        QVERIFY(!document.ChangedElsewhere()); // the fingerprint is of the bytes on disk

        // Saved encrypted under the same key; the backup is the encrypted file it replaced.
        document.Diary()->DB.front()->Thoughts = u"sealed again"_s;
        document.Save(*document.Diary()->DB.front());
        QVERIFY(IsEncryptedDiaryFile(file));
        QVERIFY(IsEncryptedDiaryFile(Path(u"2025-03-12--e.Kestrova"_s)));
        QVERIFY(!document.ChangedElsewhere());
        QCOMPARE(ReadDiaryFileWithKey(file, *document.Key())->DB.front()->Thoughts, u"sealed again"_s);

        // A plain file read, or a new diary, leaves no key behind.
        const QString plain = Path(u"p.Kestrova"_s);
        WriteDiary(plain, u"plain"_s);
        document.SetFileName(plain);
        QVERIFY(document.Read(Gives(u"pass"_s)));
        QVERIFY(!document.IsEncrypted());
        document.SetKey(CheapKey(u"pass"_s));
        document.New();
        QVERIFY(!document.IsEncrypted());
    }

    void changedElsewhere()
    {
        const QString file = Path(u"d.Kestrova"_s);
        WriteDiary(file, u"first"_s);
        TDiaryDocument document(FixedClock(), {});
        document.SetFileName(file);
        QVERIFY(document.Read());
        WriteDiary(file, u"changed by another program"_s);
        QVERIFY(document.ChangedElsewhere());
        const QString kept = document.KeepOtherVersion(QDateTime(kToday, QTime(10, 11, 12)));
        QCOMPARE(ReadDiaryFile(kept)->GetDay(EncodeDate(kToday))->Thoughts, u"changed by another program"_s);

        // A Save As goes to a name the document never read: nothing to ask there.
        document.SetFileName(Path(u"other.Kestrova"_s));
        QVERIFY(!document.ChangedElsewhere());
        QVERIFY(!document.Base().IsKnown());

        // A new diary knows no file.
        document.New();
        QVERIFY(!document.HasFileName());
        QVERIFY(!document.Base().IsKnown());
    }

    // A restored copy carries the version of the file its changes were made on: a save then asks
    // when the file changed since, even though this run never read it.
    void restoredCopyKeepsItsBase()
    {
        const QString file = Path(u"d.Kestrova"_s);
        WriteDiary(file, u"base"_s);
        const TFileFingerprint base = FingerprintOfFile(file);

        TDiaryDocument document(FixedClock(), {});
        document.Restore(std::make_unique<TDiary>(), file, base);
        QCOMPARE(document.FileName(), file);
        QVERIFY(!document.ChangedElsewhere());
        WriteDiary(file, u"changed since"_s);
        QVERIFY(document.ChangedElsewhere());

        // A copy that knew no base asks nothing.
        TDiaryDocument unknown(FixedClock(), {});
        unknown.Restore(std::make_unique<TDiary>(), file, {});
        QVERIFY(!unknown.ChangedElsewhere());
    }
};

QTEST_GUILESS_MAIN(TestDiaryDocument)
#include "test_diary_document.moc"
