#include "document/DiaryPrefetch.h"
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
