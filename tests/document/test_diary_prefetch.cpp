#include "document/DiaryPrefetch.h"
#include "model/DiaryFile.h"
#include "util/Errors.h"

#include <QTemporaryDir>
#include <QTest>

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
};

QTEST_GUILESS_MAIN(TestDiaryPrefetch)
#include "test_diary_prefetch.moc"
