#include "model/Records.h"

#include <QTest>

#include <cmath>
#include <functional>
#include <limits>

namespace {
TDateTime At(int aYear, int aMonth, int aDay, int aHour = 0, int aMinute = 0)
{
    return EncodeDate(QDate(aYear, aMonth, aDay)) + EncodeTime(QTime(aHour, aMinute));
}
} // namespace

using TDayChange = std::function<void(TDay&)>;
Q_DECLARE_METATYPE(TDayChange)

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void defaults()
    {
        const TTask task;
        QCOMPARE(task.ID, 0);
        QCOMPARE(task.ToTime, 1.0 / 1440.0);
        QCOMPARE(task.Task, QStringLiteral("New Task"));
        QCOMPARE(TConversation().Title, QStringLiteral("New Conversation"));
        QCOMPARE(TShopping().Shop, QStringLiteral("New Shop"));
        const TDiary diary;
        QCOMPARE(diary.Version, 10);
        QVERIFY(!diary.Copyright.isEmpty());
        QVERIFY(!diary.Copyright.contains(QLatin1Char('\n')));
    }

    void getDayFindsOrCreatesAndKeepsOrder()
    {
        TDiary diary;
        TDay* const may1 = diary.GetDay(At(2024, 5, 1, 8, 0));
        QCOMPARE(diary.DB.size(), size_t(1));

        // Same date, other time: the existing page, with its own time of day untouched.
        QCOMPARE(diary.GetDay(At(2024, 5, 1, 18, 30)), may1);
        QCOMPARE(may1->Date, At(2024, 5, 1, 8, 0));

        TDay* const april = diary.GetDay(At(2024, 4, 30, 23, 59));
        TDay* const june = diary.GetDay(At(2024, 6, 1));
        TDay* const may15 = diary.GetDay(At(2024, 5, 15, 12, 0));
        QCOMPARE(diary.DB.size(), size_t(4));
        QCOMPARE(diary.DB[0].get(), april);
        QCOMPARE(diary.DB[1].get(), may1);
        QCOMPARE(diary.DB[2].get(), may15);
        QCOMPARE(diary.DB[3].get(), june);
        QCOMPARE(may15->Date, At(2024, 5, 15, 12, 0));
    }

    void getDayOnAnUnsortedListSortsIt()
    {
        // A file's days come in the file's order; the next new page sorts the whole list, and the
        // first of two same-date pages is the one found.
        TDiary diary;
        for (const TDateTime date : {At(2024, 5, 3), At(2024, 5, 1), At(2024, 5, 3, 12, 0)})
            diary.DB.push_back(std::make_unique<TDay>(date));
        TDay* const firstMay3 = diary.DB[0].get();
        TDay* const secondMay3 = diary.DB[2].get();
        QCOMPARE(diary.GetDay(At(2024, 5, 3, 20, 0)), firstMay3);
        QCOMPARE(diary.DB.size(), size_t(3));

        TDay* const may2 = diary.GetDay(At(2024, 5, 2));
        QCOMPARE(diary.DB.size(), size_t(4));
        QCOMPARE(diary.DB[1].get(), may2);
        QCOMPARE(diary.DB[2].get(), firstMay3);
        QCOMPARE(diary.DB[3].get(), secondMay3);
    }

    void isFilledDay_data()
    {
        QTest::addColumn<TDayChange>("change");
        QTest::addColumn<bool>("filled");
        QTest::newRow("fresh day") << TDayChange([](TDay&) {}) << false;
        QTest::newRow("only id counters") << TDayChange([](TDay& d) {
            d.LastTaskID = 5;
            d.LastConversationID = 2;
            d.LastShoppingID = 7;
        }) << false;
        QTest::newRow("overnight temperature -1")
            << TDayChange([](TDay& d) { d.WeatherTemperatureOvernight = -1; }) << true;
        QTest::newRow("thoughts") << TDayChange([](TDay& d) { d.Thoughts = QStringLiteral(" "); }) << true;
        QTest::newRow("moon phase") << TDayChange([](TDay& d) { d.WeatherMoonPhase = QStringLiteral("Full Moon"); })
                                    << true;
        QTest::newRow("evening weight") << TDayChange([](TDay& d) { d.WeightAtEvening = 80.5; }) << true;
        QTest::newRow("pressure NaN")
            << TDayChange([](TDay& d) { d.WeatherPressure = std::numeric_limits<double>::quiet_NaN(); }) << true;
        QTest::newRow("negative zero reading") << TDayChange([](TDay& d) { d.PulseAtLunch = -0.0; }) << false;
        QTest::newRow("arrhythmia flag")
            << TDayChange([](TDay& d) { d.HeartArrhythmiaSymbolAppearsAtLunch = true; }) << true;
        QTest::newRow("UV index") << TDayChange([](TDay& d) { d.WeatherUVIndex = 3; }) << true;
        QTest::newRow("one-byte picture") << TDayChange([](TDay& d) { d.Picture = QByteArray(1, '\xFF'); }) << true;
        QTest::newRow("empty task") << TDayChange([](TDay& d) {
            auto task = std::make_unique<TTask>();
            task->Task.clear();
            task->ToTime = 0.0;
            d.Tasks.push_back(std::move(task));
        }) << true;
        QTest::newRow("conversation") << TDayChange([](TDay& d) { d.Conversations.push_back(std::make_unique<TConversation>()); })
                                      << true;
        QTest::newRow("shopping") << TDayChange([](TDay& d) { d.Shoppings.push_back(std::make_unique<TShopping>()); })
                                  << true;
    }
    void isFilledDay()
    {
        QFETCH(TDayChange, change);
        QFETCH(bool, filled);
        TDay day(At(2025, 1, 1, 9, 0));
        change(day);
        QCOMPARE(IsFilledDay(day), filled);
    }

    void setEmptyPicture()
    {
        TDay day(0.0);
        day.Picture = QByteArray("\xFF\xD8", 2);
        day.SetEmptyPicture();
        QVERIFY(day.Picture.isEmpty());
        QVERIFY(!IsFilledDay(day));
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "test_records.moc"
