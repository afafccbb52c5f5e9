#include "document/DiaryPrefetch.h"
#include "model/DiaryFile.h"
#include "util/Errors.h"

#include <QTemporaryDir>
#include <QTest>

#include <system_error>

namespace {

void WriteDiaryWithThoughts(const QString& aFileName, const QString& aThoughts)
{
    TDiary diary;
    diary.GetDay(45000.5)->Thoughts = aThoughts;
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
};

QTEST_GUILESS_MAIN(TestDiaryPrefetch)
#include "test_diary_prefetch.moc"
