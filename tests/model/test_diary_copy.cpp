// Copies of the diary for another thread: complete and independent, and taken again and again
// with only the days that changed copied anew, without ever missing a change.
#include "model/DiaryCopy.h"
#include "model/DiaryFile.h"
#include "support/DiaryFixture.h"

#include <QBuffer>
#include <QTest>

#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

QByteArray Written(const TDiarySnapshot& aSnapshot)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    WriteDiary(aSnapshot.Copyright, aSnapshot.DayList(), buffer);
    return buffer.data();
}

// The sample diary (one day with every field set and entries of all three kinds, dated 46000.75)
// and 27 more days with a text and a task each, dated from 47000 on.
std::unique_ptr<TDiary> MonthDiary()
{
    std::unique_ptr<TDiary> diary = MakeSampleDiary();
    for (int i = 0; i < 27; ++i) {
        TDay* day = diary->GetDay(47000.0 + i);
        day->Thoughts = u"day %1"_s.arg(i);
        day->Tasks.push_back(std::make_unique<TTask>());
        day->Tasks.back()->Notes = u"notes %1"_s.arg(i);
    }
    return diary;
}

size_t SharedDays(const TDiarySnapshot& aA, const TDiarySnapshot& aB)
{
    std::set<const TDay*> days;
    for (const auto& day : aA.Days)
        days.insert(day.get());
    size_t shared = 0;
    for (const auto& day : aB.Days)
        shared += days.count(day.get());
    return shared;
}

} // namespace

class TestDiaryCopy : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void copyOfADiaryIsCompleteAndIndependent()
    {
        const std::unique_ptr<TDiary> sample = MakeSampleDiary();
        const TDay* middle = sample->DB[1].get();
        TDay* middleCopy = nullptr;
        const std::unique_ptr<TDiary> copy = CopyDiary(*sample, middle, &middleCopy);

        QCOMPARE(DiaryDifference(*sample, *copy), QString());
        QCOMPARE(WrittenDiary(*copy), WrittenDiary(*sample)); // every stored field, entries included
        QCOMPARE(middleCopy, copy->DB[1].get());

        // Changing the copy leaves the original alone, texts, pictures and entries alike.
        const QByteArray before = WrittenDiary(*sample);
        for (const auto& day : copy->DB) {
            day->Thoughts += u"changed"_s;
            day->Picture.append('x');
            for (const auto& task : day->Tasks)
                task->Notes = u"changed"_s;
        }
        QCOMPARE(WrittenDiary(*sample), before);

        TDay stranger(45000.0);
        CopyDiary(*sample, &stranger, &middleCopy);
        QCOMPARE(middleCopy, nullptr);
    }

    void snapshotFollowsEveryChange_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("copiedAgain"); // days copied anew by the second snapshot
        QTest::newRow("nothing") << u"nothing"_s << 0;
        QTest::newRow("a text") << u"text"_s << 1;
        QTest::newRow("a text given an equal one") << u"equal text"_s << 1;
        QTest::newRow("a reading") << u"reading"_s << 1;
        QTest::newRow("a reading turned into another NaN") << u"nan"_s << 1;
        QTest::newRow("a flag") << u"flag"_s << 1;
        QTest::newRow("a weather value") << u"whole"_s << 1;
        QTest::newRow("the picture") << u"picture"_s << 1;
        QTest::newRow("an id counter") << u"counter"_s << 1;
        QTest::newRow("an entry's notes") << u"entry text"_s << 1;
        QTest::newRow("an entry's time") << u"entry time"_s << 1;
        QTest::newRow("a shopping amount") << u"amount"_s << 1;
        QTest::newRow("an entry added") << u"entry added"_s << 1;
        QTest::newRow("an entry removed") << u"entry removed"_s << 1;
        QTest::newRow("entries reordered") << u"entries reordered"_s << 1;
        QTest::newRow("a day added") << u"day added"_s << 1;
        QTest::newRow("a day removed") << u"day removed"_s << 0;
        QTest::newRow("the notice") << u"notice"_s << 0;
    }
    void snapshotFollowsEveryChange()
    {
        QFETCH(QString, change);
        QFETCH(int, copiedAgain);
        const std::unique_ptr<TDiary> diary = MonthDiary();
        TDiarySnapshotter snapshots;
        const std::shared_ptr<const TDiarySnapshot> first = snapshots.Take(*diary);
        QCOMPARE(Written(*first), WrittenDiary(*diary));

        TDay& full = *diary->GetDay(46000.0);
        TDay& later = *diary->GetDay(47007.0);
        QCOMPARE(diary->DB.size(), size_t(30)); // both were there
        if (change == u"text")
            later.Thoughts += u'!';
        else if (change == u"equal text")
            later.Thoughts = QString(later.Thoughts.constData(), later.Thoughts.size());
        else if (change == u"reading")
            full.WeightAtEvening += 0.5;
        else if (change == u"nan")
            full.TemperatureAtMorning = -std::numeric_limits<double>::quiet_NaN();
        else if (change == u"flag")
            full.HeartArrhythmiaSymbolAppearsAtLunch = !full.HeartArrhythmiaSymbolAppearsAtLunch;
        else if (change == u"whole")
            full.WeatherUVIndex += 1;
        else if (change == u"picture")
            full.Picture[0] = char(full.Picture[0] ^ 1);
        else if (change == u"counter")
            full.LastShoppingID += 1;
        else if (change == u"entry text")
            later.Tasks.front()->Notes += u'!';
        else if (change == u"entry time")
            full.Conversations.front()->ToTime += 0.01;
        else if (change == u"amount")
            full.Shoppings.front()->TotalPurchaseAmount += 1;
        else if (change == u"entry added")
            later.Tasks.push_back(std::make_unique<TTask>());
        else if (change == u"entry removed")
            later.Tasks.clear();
        else if (change == u"entries reordered")
            std::swap(full.Tasks.front(), full.Tasks.back());
        else if (change == u"day added")
            diary->GetDay(47010.5)->Thoughts = u"between"_s;
        else if (change == u"day removed")
            diary->DB.erase(diary->DB.begin() + 10);
        else if (change == u"notice")
            diary->Copyright = u"another notice"_s;

        const std::shared_ptr<const TDiarySnapshot> second = snapshots.Take(*diary);

        QCOMPARE(Written(*second), WrittenDiary(*diary));
        QCOMPARE(SharedDays(*first, *second), diary->DB.size() - size_t(copiedAgain));
        // The first snapshot is as it was taken.
        QCOMPARE(Written(*first), WrittenDiary(*MonthDiary()));
    }

    void pageGoesInAsEditedAndIsNotKept()
    {
        const std::unique_ptr<TDiary> diary = MonthDiary();
        TDay* page = diary->DB[5].get();
        TDiarySnapshotter snapshots;

        const auto edited = snapshots.Take(*diary, page, [](TDay& aPage) { aPage.Thoughts = u"as shown"_s; });
        QCOMPARE(edited->Days[5]->Thoughts, u"as shown"_s);
        QCOMPARE(page->Thoughts, u"day 2"_s);

        // The record has not changed, and the next snapshot holds what the record holds.
        const auto next = snapshots.Take(*diary);
        QCOMPARE(Written(*next), WrittenDiary(*diary));
    }

    void preparedCopiesNeverHideAChange()
    {
        const std::unique_ptr<TDiary> diary = MonthDiary();
        TDiarySnapshotter snapshots;
        QVERIFY(!snapshots.Prepare(*diary, 8));
        diary->DB[3]->Thoughts = u"changed after its copy was made"_s;
        diary->GetDay(46999.0);
        int calls = 1;
        while (++calls, !snapshots.Prepare(*diary, 8)) {
        }
        QCOMPARE(calls, 4); // 31 days, 8 at a time
        diary->DB.back()->Tasks.clear();

        QCOMPARE(Written(*snapshots.Take(*diary)), WrittenDiary(*diary));
    }
};

QTEST_GUILESS_MAIN(TestDiaryCopy)
#include "test_diary_copy.moc"
