// The order of a day's item lists, on records alone.

#include "model/ItemOrder.h"

#include <QTest>

#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {
constexpr double kMsPerDay = 86400000.0;

TTime At(int aHour, int aMinute, int aSecond = 0, double aMilliseconds = 0)
{
    return ((aHour * 60 + aMinute) * 60 + aSecond) * 1000.0 / kMsPerDay + aMilliseconds / kMsPerDay;
}

std::unique_ptr<TTask> Task(TTime aFrom, TTime aTo, const QString& aText, qint64 aID = 0)
{
    auto task = std::make_unique<TTask>();
    task->FromTime = aFrom;
    task->ToTime = aTo;
    task->Task = aText;
    task->ID = aID;
    return task;
}

template <typename TEntry> QStringList Order(const TOwningList<TEntry>& aEntries, QString TEntry::*aText)
{
    QStringList texts;
    for (const auto& entry : aEntries)
        texts << (*entry).*aText;
    return texts;
}
} // namespace

class TestItemOrder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sortSecondRoundsToTheMillisecondThenCuts_data()
    {
        QTest::addColumn<double>("time");
        QTest::addColumn<int>("second");
        QTest::newRow("midnight") << 0.0 << 0;
        QTest::newRow("one minute") << 1.0 / 1440.0 << 60;
        QTest::newRow("milliseconds are dropped") << At(9, 0, 0, 999) << 32400;
        QTest::newRow("a fraction of a millisecond first rounds up") << At(9, 0, 0, 999.6) << 32401;
        QTest::newRow("date part ignored") << 46000.0 + At(9, 0) << 32400;
        QTest::newRow("before the epoch") << -2.0 - At(6, 0) << 21600;
        QTest::newRow("last instant of the day") << 1.0 - 1e-12 << 86399;
        QTest::newRow("no number") << std::numeric_limits<double>::quiet_NaN() << 0;
    }
    void sortSecondRoundsToTheMillisecondThenCuts()
    {
        QFETCH(double, time);
        QFETCH(int, second);
        QCOMPARE(SortSecond(time), second);
    }

    void textsCompareByUtf16CodeUnit_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("upper case first") << u"Zoo"_s << u"apple"_s << -1;
        QTest::newRow("proper prefix first") << u"Walk"_s << u"Walk home"_s << -1;
        QTest::newRow("empty first") << QString() << u"a"_s << -1;
        QTest::newRow("equal") << u"Tea"_s << u"Tea"_s << 0;
        QTest::newRow("no locale: umlaut after z") << u"\u00e4"_s << u"z"_s << 1;
        // U+1F600 is stored as D83D DE00: before U+FF5E by code unit, after it by code point.
        QTest::newRow("surrogate before U+FF5E") << u"\U0001F600"_s << u"\uFF5E"_s << -1;
    }
    void textsCompareByUtf16CodeUnit()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, order);
        QCOMPARE(CompareOrdinal(a, b), order);
        QCOMPARE(CompareOrdinal(b, a), -order);
    }

    void amountsAscendWithNoNumberLast_data()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        QTest::addColumn<double>("a");
        QTest::addColumn<double>("b");
        QTest::addColumn<int>("order");
        QTest::newRow("lower first") << 9.99 << 10.0 << -1;
        QTest::newRow("negative zero equals zero") << -0.0 << 0.0 << 0;
        QTest::newRow("infinity before no number") << std::numeric_limits<double>::infinity() << nan << -1;
        QTest::newRow("no number equals no number") << nan << nan << 0;
    }
    void amountsAscendWithNoNumberLast()
    {
        QFETCH(double, a);
        QFETCH(double, b);
        QFETCH(int, order);
        QCOMPARE(CompareAmounts(a, b), order);
        QCOMPARE(CompareAmounts(b, a), -order);
    }

    void tasksSortByFromThenToThenText()
    {
        TOwningList<TTask> tasks;
        tasks.push_back(Task(At(9, 0), At(10, 0), u"b"_s));
        tasks.push_back(Task(At(9, 0), At(9, 30), u"z"_s));
        tasks.push_back(Task(At(9, 0), At(10, 0), u"A"_s));
        tasks.push_back(Task(At(8, 59, 59, 999), At(11, 0), u"late end"_s));
        // Equal on the from time (milliseconds dropped), so the to time decides.
        tasks.push_back(Task(At(7, 0, 0, 900), At(7, 5), u"second"_s));
        tasks.push_back(Task(At(7, 0, 0, 100), At(7, 1), u"first"_s));
        SortEntries(tasks);
        QCOMPARE(Order(tasks, &TTask::Task),
                 QStringList({u"first"_s, u"second"_s, u"late end"_s, u"z"_s, u"A"_s, u"b"_s}));
    }

    void equalEntriesKeepTheirOrder()
    {
        TOwningList<TTask> tasks;
        for (qint64 id : {3, 1, 2})
            tasks.push_back(Task(At(9, 0), At(10, 0), u"same"_s, id));
        tasks.push_back(Task(At(8, 0), At(10, 0), u"earlier"_s, 4));
        SortEntries(tasks);
        QList<qint64> ids;
        for (const auto& task : tasks)
            ids << task->ID;
        QCOMPARE(ids, QList<qint64>({4, 3, 1, 2}));
    }

    void conversationsSortByTitleAndShoppingsByShopThenAmount()
    {
        TOwningList<TConversation> conversations;
        for (const QString& title : {u"b"_s, u"B"_s, u"a"_s}) {
            conversations.push_back(std::make_unique<TConversation>());
            conversations.back()->Title = title;
            conversations.back()->Conversation = u"zzz"_s + title; // the content plays no part
        }
        SortEntries(conversations);
        QCOMPARE(Order(conversations, &TConversation::Title), QStringList({u"B"_s, u"a"_s, u"b"_s}));

        TOwningList<TShopping> shoppings;
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const std::pair<QString, double> trips[] = {
            {u"Mill"_s, 20}, {u"Mill"_s, nan}, {u"Bakery"_s, 99}, {u"Mill"_s, 12.5}, {u"Mill"_s, 12.5}};
        for (const auto& [shop, amount] : trips) {
            shoppings.push_back(std::make_unique<TShopping>());
            shoppings.back()->Shop = shop;
            shoppings.back()->TotalPurchaseAmount = amount;
        }
        SortEntries(shoppings);
        QStringList order;
        for (const auto& trip : shoppings)
            order << trip->Shop + u' ' + QString::number(trip->TotalPurchaseAmount);
        QCOMPARE(order, QStringList({u"Bakery 99"_s, u"Mill 12.5"_s, u"Mill 12.5"_s, u"Mill 20"_s, u"Mill nan"_s}));
    }
};

QTEST_GUILESS_MAIN(TestItemOrder)
#include "test_item_order.moc"
