#include "exchange/DiarySearch.h"

#include <QtTest>

using namespace Qt::Literals::StringLiterals;

Q_DECLARE_METATYPE(TSearchSection)

namespace {

TDateTime Date(int aYear, int aMonth, int aDay)
{
    return EncodeDate(QDate(aYear, aMonth, aDay)) + 0.25;
}

// U+10400 DESERET CAPITAL LETTER LONG I) and its case-folded small letter U+10428: a
// letter outside the Basic Multilingual Plane, two UTF-16 code units each.
const QString kDeseretCapital = QString::fromUcs4(U"\U00010400");
const QString kDeseretSmall = QString::fromUcs4(U"\U00010428");

QString HitsText(const std::vector<TSearchHit>& aHits)
{
    QStringList lines;
    for (const TSearchHit& hit : aHits)
        lines << TKSDateUtils::ToYearMonthDayStr(hit.Date) + u' ' + SearchSectionName(hit.Section) + u' ' +
                     QString::number(hit.EntryID);
    return lines.join(u" | "_s);
}

} // namespace

class TestDiarySearch : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void findInText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("query");
        QTest::addColumn<bool>("matchCase");
        QTest::addColumn<bool>("wholeWords");
        QTest::addColumn<int>("position");

        QTest::newRow("umlauts folded") << u"Die Überweisung kam"_s << u"ÜBERWEISUNG"_s << false << false << 4;
        QTest::newRow("umlauts, match case") << u"Die Überweisung kam"_s << u"ÜBERWEISUNG"_s << true << false << -1;
        QTest::newRow("exact case found") << u"Die Überweisung kam"_s << u"Überweisung"_s << true << false << 4;
        QTest::newRow("outside the BMP folded")
            << u"ab "_s + kDeseretCapital + u"x"_s << kDeseretSmall + u"X"_s << false << false << 3;
        QTest::newRow("outside the BMP, match case")
            << u"ab "_s + kDeseretCapital + u"x"_s << kDeseretSmall + u"x"_s << true << false << -1;
        QTest::newRow("inside a word") << u"walking home"_s << u"walk"_s << false << false << 0;
        QTest::newRow("whole word: not inside one") << u"walking home"_s << u"walk"_s << false << true << -1;
        QTest::newRow("whole word: later occurrence") << u"walking, a walk."_s << u"walk"_s << false << true << 11;
        QTest::newRow("whole word: digits and underscore join words")
            << u"walk2 _walk walk"_s << u"walk"_s << false << true << 12;
        QTest::newRow("whole word: letter outside the BMP joins")
            << u"walk"_s + kDeseretCapital + u" walk"_s << u"walk"_s << false << true << 7;
        QTest::newRow("whole word: a query edge that is no word character")
            << u"see (walk)ing"_s << u"(walk)"_s << false << true << 4;
        QTest::newRow("whole word: at both ends of the text") << u"walk"_s << u"WALK"_s << false << true << 0;
        QTest::newRow("no match across CR LF") << u"the end\r\nstart"_s << u"end start"_s << false << false << -1;
        QTest::newRow("no match across CR LF with LF")
            << u"the end\r\nstart"_s << u"end\nstart"_s << false << false << -1;
        QTest::newRow("CR LF in the query") << u"the end\r\nstart"_s << u"END\r\nstart"_s << false << false << 4;
        QTest::newRow("empty query") << u"anything"_s << QString() << false << false << -1;
        QTest::newRow("empty text") << QString() << u"a"_s << false << false << -1;
    }

    void findInText()
    {
        QFETCH(QString, text);
        QFETCH(QString, query);
        QFETCH(bool, matchCase);
        QFETCH(bool, wholeWords);
        QFETCH(int, position);
        QCOMPARE(FindInText(text, query, TSearchOptions{matchCase, wholeWords}), qsizetype(position));
    }

    void everySectionAndEntryKindInPageOrder()
    {
        TDiary diary;
        TDay* day = diary.GetDay(Date(2026, 3, 12));
        const QString word = u"Quince"_s;
        day->WhatHappenedAdditionalyToTheTasks = word;
        day->Breakfast = word;
        day->Lunch = word;
        day->Brunch = word;
        day->TeeCoffeeTime = word;
        day->Dinner = word;
        day->HealthCondition = word;
        day->WeatherMoonPhase = word;
        day->WeatherWindDirection = word;
        day->Weather = word;
        day->Thoughts = word;
        for (qint64 id : {4, 7}) {
            auto task = std::make_unique<TTask>();
            task->ID = id;
            task->Task = word;
            task->Notes = id == 7 ? word : u"none"_s;
            day->Tasks.push_back(std::move(task));
        }
        auto conversation = std::make_unique<TConversation>();
        conversation->ID = 2;
        conversation->Title = word;
        conversation->Conversation = word;
        day->Conversations.push_back(std::move(conversation));
        auto shopping = std::make_unique<TShopping>();
        shopping->ID = 9;
        shopping->Shop = word;
        shopping->ShoppingList = word;
        day->Shoppings.push_back(std::move(shopping));

        const std::vector<TSearchHit> hits = SearchDiary(diary, u"quince", {});
        QCOMPARE(HitsText(hits),
                 u"2026-03-12 Task 4 | 2026-03-12 Task 7 | 2026-03-12 Task notes 7 | "
                 "2026-03-12 What else happened 0 | 2026-03-12 Conversation title 2 | 2026-03-12 Conversation 2 | "
                 "2026-03-12 Shop 9 | 2026-03-12 Shopping list 9 | 2026-03-12 Breakfast 0 | 2026-03-12 Lunch 0 | "
                 "2026-03-12 Brunch 0 | 2026-03-12 Afternoon snack/Tee 0 | 2026-03-12 Dinner 0 | "
                 "2026-03-12 Health condition 0 | 2026-03-12 Wind direction 0 | 2026-03-12 Moon phase 0 | "
                 "2026-03-12 Weather condition 0 | 2026-03-12 Thoughts 0"_s);
        for (const TSearchHit& hit : hits) {
            QCOMPARE(hit.Date, Date(2026, 3, 12));
            QCOMPARE(hit.Position, 0);
            QCOMPARE(hit.Length, 6);
            QCOMPARE(IsEntrySection(hit.Section), hit.EntryID != 0);
        }
        QVERIFY(SearchDiary(diary, QString(), {}).empty());
        QVERIFY(SearchDiary(diary, u"quince"_s, TSearchOptions{true, false}).empty());
    }

    void snippetIsOneLineAroundTheFirstMatch()
    {
        TDiary diary;
        const QString before = QString(40, u'a') + u"\r\nb\tc\n"_s;
        diary.GetDay(Date(2026, 1, 1))->Thoughts = before + u"Fig and fig"_s + QString(200, u'z');
        diary.GetDay(Date(2026, 1, 2))->Thoughts = u"a fig\r\n"_s;
        const std::vector<TSearchHit> hits = SearchDiary(diary, u"FIG", {});
        QCOMPARE(hits.size(), size_t(2));
        QCOMPARE(hits[0].Snippet, u"a fig "_s);
        QCOMPARE(hits[1].Position, before.size());
        const QString& snippet = hits[1].Snippet;
        QVERIFY2(snippet.startsWith(u"…"_s) && snippet.endsWith(u"…"_s), qPrintable(snippet));
        QVERIFY2(snippet.contains(u"a b c Fig and fig"_s), qPrintable(snippet));
        QVERIFY(!snippet.contains(u'\r') && !snippet.contains(u'\n') && !snippet.contains(u'\t'));
        QVERIFY(snippet.size() <= 104);
    }

    void snippetKeepsSurrogatePairsWhole()
    {
        // The cut before the match would fall between the halves of the letter 30 units back.
        TDiary diary;
        diary.GetDay(Date(2026, 1, 1))->Thoughts = u"x"_s + kDeseretCapital + QString(29, u'y') + u"kiwi"_s;
        const std::vector<TSearchHit> hits = SearchDiary(diary, u"kiwi", {});
        QCOMPARE(hits.size(), size_t(1));
        QCOMPARE(hits[0].Snippet, u"…"_s + kDeseretCapital + QString(29, u'y') + u"kiwi"_s);
    }

    void tenYearsNewestFirst()
    {
        // 3,650 pages appended in calendar order, as a file holds them; the word on every 73rd day.
        TDiary diary;
        const QDate first(2016, 1, 1);
        for (int i = 0; i < 3650; ++i) {
            auto day = std::make_unique<TDay>(EncodeDate(first.addDays(i)));
            day->Thoughts = u"a quiet day by the river"_s;
            day->Dinner = i % 73 == 0 ? u"soup with a Parsnip"_s : u"soup"_s;
            diary.DB.push_back(std::move(day));
        }
        std::swap(diary.DB[0], diary.DB[100]); // a file need not be in calendar order

        const std::vector<TSearchHit> hits = SearchDiary(diary, u"parsnip", TSearchOptions{false, true});
        QCOMPARE(hits.size(), size_t(50));
        for (size_t k = 0; k < hits.size(); ++k) {
            QCOMPARE(DateOfDateTime(hits[k].Date), first.addDays(qint64(49 - k) * 73));
            QCOMPARE(hits[k].Section, TSearchSection::Dinner);
        }
        QCOMPARE(SearchDiary(diary, u"river", {}).size(), size_t(3650));
    }
};

QTEST_GUILESS_MAIN(TestDiarySearch)
#include "test_diary_search.moc"
