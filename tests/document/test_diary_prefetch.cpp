#include "document/DiaryPrefetch.h"
#include "document/LastPageHint.h"
#include "model/DiaryFile.h"
#include "util/Errors.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <system_error>

namespace {

void WriteDiaryWithThoughts(const QString& aFileName, const QString& aThoughts, const QString& aNextDay = {})
{
    TDiary diary;
    diary.GetDay(45000.5)->Thoughts = aThoughts;
    if (!aNextDay.isEmpty())
        diary.GetDay(45001.5)->Thoughts = aNextDay;
    WriteDiaryFile(diary, aFileName);
}

} // namespace

class TestDiaryPrefetch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void handsOverTheDiaryOfThatNameOnce()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.Kestrova"));
        TDiary diary;
        diary.GetDay(45000.5)->Thoughts = QStringLiteral("read on the side");
        WriteDiaryFile(diary, file);

        TDiaryPrefetch prefetch;
        prefetch.Start(file);
        QVERIFY(!prefetch.Take(dir.filePath(QStringLiteral("other.Kestrova"))));
        const std::unique_ptr<TDiary> read = prefetch.Take(file);
        QVERIFY(read);
        QCOMPARE(read->DB.at(0)->Thoughts, QStringLiteral("read on the side"));
        QVERIFY(!prefetch.Take(file)); // taken: the next open reads the file again
    }

    void rethrowsTheReadErrorToTheTaker()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("broken.Kestrova"));
        QFile broken(file);
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("\x0A\x00\x00", 3);
        broken.close();

        TDiaryPrefetch prefetch;
        prefetch.Start(file);
        QVERIFY_THROWS_EXCEPTION(EFileError, prefetch.Take(file));

        prefetch.Start(file);
        prefetch.Discard();
        QVERIFY(!prefetch.Take(file));
    }

    void withoutAThreadTheCallerReads()
    {
        QTemporaryDir dir;
        const QString first = dir.filePath(QStringLiteral("first.Kestrova"));
        const QString second = dir.filePath(QStringLiteral("second.Kestrova"));
        WriteDiaryWithThoughts(first, QStringLiteral("first"));
        WriteDiaryWithThoughts(second, QStringLiteral("second"));

        // The first read gets its thread, the second finds none left.
        int launches = 0;
        TDiaryPrefetch prefetch([&launches](TDiaryPrefetch::TRead aRead) {
            if (++launches > 1)
                throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
            return std::async(std::launch::async, std::move(aRead));
        });
        QVERIFY(prefetch.Start(first));
        QVERIFY(!prefetch.Start(second));

        // Nothing is pending for either name: in particular the first file's diary is not handed
        // over as the second's, and the caller reads the second itself.
        QVERIFY(!prefetch.Take(second));
        QVERIFY(!prefetch.Take(first));
        QCOMPARE(launches, 2);
    }

    void firstThePageShownThenTheWholeDiaryOfTheSameBytes()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.Kestrova"));
        WriteDiaryWithThoughts(file, QStringLiteral("an earlier day"), QStringLiteral("the day shown"));
        const TFileFingerprint written = FingerprintOfFile(file);

        TDiaryPrefetch prefetch;
        QVERIFY(prefetch.Start(file, 45001.25));
        QVERIFY(!prefetch.TakeDay(file, 45000.5)); // read ahead for another date
        std::optional<TDiaryDayRead> first = prefetch.TakeDay(file, 45001.75);
        QVERIFY(first && first->Day);
        QCOMPARE(first->Day->Thoughts, QStringLiteral("the day shown"));
        QVERIFY(first->Head->DB.empty());

        // Replaced by another program meanwhile: the whole read comes from the file the page came
        // from, so the page and the rest are of one version.
        const QString other = dir.filePath(QStringLiteral("other.Kestrova"));
        WriteDiaryWithThoughts(other, QStringLiteral("a newer version"));
        QVERIFY(QFile::remove(file) && QFile::rename(other, file));

        bool reminded = false;
        prefetch.SetWhenRead([&reminded] { reminded = true; });
        TFileFingerprint fingerprint;
        std::shared_ptr<const TDiary> base;
        const std::unique_ptr<TDiary> whole = prefetch.Take(file, &fingerprint, &base);
        QVERIFY(whole);
        QVERIFY(reminded);
        QCOMPARE(whole->DB.size(), size_t(2));
        QCOMPARE(whole->DB.at(1)->Thoughts, QStringLiteral("the day shown"));
        QCOMPARE(fingerprint.Hash, written.Hash);
        QVERIFY(base && base.get() != whole.get());
        QCOMPARE(base->DB.at(0)->Thoughts, QStringLiteral("an earlier day"));
    }

    // With a hint of where the last page begins, the first stage reads that page alone: a file
    // damaged before it (and hinted after the damage) still shows it, which only a read that
    // never looked at the earlier pages can do. Any other date, or a file written since, is read
    // the long way.
    void theLastPageIsReadWhereTheHintSaysItBegins()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.Kestrova"));
        TDiary diary;
        diary.GetDay(45000.5)->Thoughts = QStringLiteral("early");
        diary.GetDay(45001.5)->Thoughts = QStringLiteral("middle");
        diary.GetDay(45002.5)->Thoughts = QStringLiteral("the last page");
        // An odd length for the first page's text: the long way refuses the file there.
        const auto writeDamaged = [&diary, &file] {
            WriteDiaryFile(diary, file);
            QFile damaged(file);
            QVERIFY(damaged.open(QIODevice::ReadWrite));
            QByteArray bytes = damaged.readAll();
            const qsizetype text = bytes.indexOf(QByteArray("e\0a\0r\0l\0y\0", 10));
            QVERIFY(text > 0 && bytes[text - 1] == 10);
            bytes[text - 1] = 11;
            QVERIFY(damaged.seek(0) && damaged.write(bytes) == bytes.size());
        };
        writeDamaged();
        QVERIFY_THROWS_EXCEPTION(EFileError, ReadDiaryFile(file));
        const std::optional<TFileStamp> stamp = StampOf(file);
        QVERIFY(stamp);
        const std::optional<TLastPageHint> hint = LastPageHintOf(file, *stamp, diary);
        QVERIFY(hint);
        QCOMPARE(TLastPageHint::FromText(hint->ToText()), hint);

        TDiaryPrefetch prefetch;
        QVERIFY(prefetch.Start(file, 45002.75, hint));
        std::optional<TDiaryDayRead> last = prefetch.TakeDay(file, 45002.75);
        QVERIFY(last && last->Day);
        QCOMPARE(last->Day->Thoughts, QStringLiteral("the last page"));
        QVERIFY(last->Head->DB.empty());
        prefetch.Discard();

        QVERIFY(prefetch.Start(file, 45003.5, hint)); // after the last page: the file has none
        last = prefetch.TakeDay(file, 45003.5);
        QVERIFY(last && !last->Day);
        prefetch.Discard();

        QVERIFY(prefetch.Start(file, 45001.5, hint)); // before it: only the long way can tell
        QVERIFY_THROWS_EXCEPTION(EFileError, prefetch.TakeDay(file, 45001.5));
        prefetch.Discard();

        // Written since, even with the very same bytes: the hint is for the file it was made from.
        writeDamaged();
        QVERIFY(StampOf(file) != stamp);
        QVERIFY(prefetch.Start(file, 45002.75, hint));
        QVERIFY_THROWS_EXCEPTION(EFileError, prefetch.TakeDay(file, 45002.75));
        prefetch.Discard();

        // Pages out of date order give no hint: another page may share the last one's date.
        TDiary unordered;
        unordered.DB.push_back(std::make_unique<TDay>(45002.5));
        unordered.DB.push_back(std::make_unique<TDay>(45001.5));
        QVERIFY(!LastPageHintOf(file, *stamp, unordered));
        QVERIFY(!LastPageHintOf(file, *stamp, TDiary()));
    }

    void aDamagedFileFailsAtTheFirstPage()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("cut.Kestrova"));
        WriteDiaryWithThoughts(file, QStringLiteral("the day shown"), QStringLiteral("a later day, cut off"));
        QVERIFY(QFile::resize(file, QFileInfo(file).size() - 3));

        TDiaryPrefetch prefetch;
        prefetch.Start(file, 45000.5);
        // The page is whole, but the file is not: it is refused before the window shows anything.
        QVERIFY_THROWS_EXCEPTION(EFileError, prefetch.TakeDay(file, 45000.5));
        QVERIFY_THROWS_EXCEPTION(EFileError, prefetch.Take(file));
    }

    void aReadLeftWaitingIsDroppedWithoutHanging()
    {
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("a.Kestrova"));
        WriteDiaryWithThoughts(file, QStringLiteral("never taken whole"));
        {
            TDiaryPrefetch prefetch;
            prefetch.Start(file, 45000.5);
            QVERIFY(prefetch.TakeDay(file, 45000.5));
            // The second stage waits for the go-ahead that never comes; dropping the read ends it.
        }
        TDiaryPrefetch prefetch;
        prefetch.Start(file, 45000.5);
        prefetch.Discard();
        QVERIFY(!prefetch.Take(file));
    }
};

QTEST_GUILESS_MAIN(TestDiaryPrefetch)
#include "test_diary_prefetch.moc"
