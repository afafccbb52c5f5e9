#include "model/FilledDayNavigation.h"

#include <QTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(TFilledDayMove)

namespace {
const QDate FirstDate(2026, 3, 1);

// A day list written as one letter per page, in list order, each page a day after the one before
// it unless "=" precedes its letter (then it shares the previous page's date):
// e empty, f filled with thoughts, m filled only by its moon phase, p filled only by a picture.
std::unique_ptr<TDiary> DiaryOf(const QString& aPages)
{
    auto diary = std::make_unique<TDiary>();
    QDate date = FirstDate.addDays(-1);
    bool sameDate = false;
    for (const QChar c : aPages) {
        if (c == u'=') {
            sameDate = true;
            continue;
        }
        if (!sameDate)
            date = date.addDays(1);
        sameDate = false;
        auto day = std::make_unique<TDay>(EncodeDate(date) + 0.25);
        if (c == u'f')
            day->Thoughts = u"written"_s;
        else if (c == u'm')
            day->WeatherMoonPhase = u"Full Moon"_s;
        else if (c == u'p')
            day->Picture = QByteArray("\xFF\xD8\xFF\xD9", 4);
        diary->DB.push_back(std::move(day));
    }
    return diary;
}
} // namespace

class TestFilledDayNavigation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void findFilledDay_data()
    {
        QTest::addColumn<QString>("pages");
        QTest::addColumn<int>("shown");
        QTest::addColumn<TFilledDayMove>("move");
        QTest::addColumn<int>("target");

        using enum TFilledDayMove;
        QTest::newRow("next: the following filled page") << u"fef"_s << 0 << Next << 2;
        QTest::newRow("next: empty pages are skipped") << u"feef"_s << 0 << Next << 3;
        QTest::newRow("next: later pages all empty, stays") << u"fee"_s << 0 << Next << 0;
        QTest::newRow("next: on the latest page, empty, goes back") << u"ffe"_s << 2 << Next << 1;
        QTest::newRow("next: on the latest page, filled, stays") << u"fef"_s << 2 << Next << 2;
        QTest::newRow("next: nothing filled at all, stays") << u"eee"_s << 2 << Next << 2;
        QTest::newRow("next: a moon phase alone fills") << u"eme"_s << 0 << Next << 1;
        QTest::newRow("next: a picture alone fills") << u"epe"_s << 0 << Next << 1;
        QTest::newRow("next: a same-date page counts as later") << u"e=f"_s << 0 << Next << 1;

        QTest::newRow("previous: empty page between two filled") << u"fef"_s << 1 << Previous << 0;
        QTest::newRow("previous: the latest of the earlier filled") << u"ffeef"_s << 4 << Previous << 1;
        QTest::newRow("previous: on the earliest filled page, stays") << u"eff"_s << 1 << Previous << 1;
        QTest::newRow("previous: on the first position, stays") << u"ff"_s << 0 << Previous << 0;
        QTest::newRow("previous: a filled page of the same date is skipped") << u"ff=e"_s << 2 << Previous << 0;
        QTest::newRow("previous: a picture alone fills") << u"pee"_s << 2 << Previous << 0;

        QTest::newRow("first: the earliest filled page") << u"eefe"_s << 3 << First << 2;
        QTest::newRow("first: nothing filled, stays") << u"eee"_s << 1 << First << 1;
        QTest::newRow("last: the latest filled page") << u"efee"_s << 0 << Last << 1;
        QTest::newRow("last: nothing filled, stays") << u"eee"_s << 1 << Last << 1;
    }
    void findFilledDay()
    {
        QFETCH(QString, pages);
        QFETCH(int, shown);
        QFETCH(TFilledDayMove, move);
        QFETCH(int, target);
        const std::unique_ptr<TDiary> diary = DiaryOf(pages);
        const TOwningList<TDay>& days = diary->DB;
        TDay* const result = FindFilledDay(days, days[size_t(shown)].get(), move);
        const auto at = std::find_if(days.begin(), days.end(),
                                     [result](const std::unique_ptr<TDay>& aDay) { return aDay.get() == result; });
        QCOMPARE(int(at - days.begin()), target);
    }

    void sortDaysByDate()
    {
        // Out of order as a file may bring its pages, with times of day that must not count: the
        // evening of the 2nd is earlier than the morning of the 3rd, and the two pages of the 5th
        // keep their order.
        TDiary diary;
        const auto add = [&diary](int aDay, double aTime, const QString& aThoughts) {
            diary.DB.push_back(std::make_unique<TDay>(EncodeDate(QDate(2026, 3, aDay)) + aTime));
            diary.DB.back()->Thoughts = aThoughts;
        };
        add(5, 0.9, u"5a"_s);
        add(3, 0.1, u"3"_s);
        add(5, 0.1, u"5b"_s);
        add(2, 0.9, u"2"_s);
        SortDaysByDate(diary);
        QStringList order;
        for (const auto& day : diary.DB)
            order << day->Thoughts;
        QCOMPARE(order, (QStringList{u"2"_s, u"3"_s, u"5a"_s, u"5b"_s}));

        // A list in order stays as it is, pages and all.
        std::vector<TDay*> before;
        for (const auto& day : diary.DB)
            before.push_back(day.get());
        SortDaysByDate(diary);
        for (size_t i = 0; i < before.size(); ++i)
            QCOMPARE(diary.DB[i].get(), before[i]);
    }
};

QTEST_GUILESS_MAIN(TestFilledDayNavigation)
#include "test_filled_day_navigation.moc"
