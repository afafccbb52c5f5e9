// Finding text in the 10-year diary against the floor of a plain QStringView::indexOf pass over the
// same texts with the same case setting, measured in the same run (target: at most 2x for both case
// settings). The rare word stands on 1% of the days; the common word on nearly every text, so that
// run measures the hits and their snippets too. The find panel's runs add what the user waits for
// while typing: the search, the result list and the painting of its first screenful.
// Every benchmark reports "ratio" (its mean time over the floor's median) and the floor itself.
#include "exchange/DiarySearch.h"
#include "ui/FindPanel.h"

#include "BenchMain.h"
#include "BenchTiming.h"
#include "DiaryGenerator.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString kRareWord = u"Überweisung"_s;

const TDiary& Diary()
{
    static const std::unique_ptr<TDiary> diary = [] {
        std::unique_ptr<TDiary> made = MakeTenYearDiary(3650);
        // The generator's words are all common; the rare one goes into the thoughts of every
        // hundredth day, in the middle of the text.
        for (size_t i = 0; i < made->DB.size(); i += 100) {
            QString& thoughts = made->DB[i]->Thoughts;
            thoughts.insert(thoughts.size() / 2, u' ' + kRareWord + u' ');
        }
        return made;
    }();
    return *diary;
}

// Every text the search looks at, in one plain pass: the first occurrence in each.
qsizetype IndexOfPass(const TDiary& aDiary, QStringView aQuery, Qt::CaseSensitivity aCase)
{
    qsizetype found = 0;
    const auto look = [&](const QString& aText) {
        if (QStringView(aText).indexOf(aQuery, 0, aCase) >= 0)
            ++found;
    };
    for (const auto& day : aDiary.DB) {
        for (const auto& task : day->Tasks) {
            look(task->Task);
            look(task->Notes);
        }
        look(day->WhatHappenedAdditionalyToTheTasks);
        for (const auto& conversation : day->Conversations) {
            look(conversation->Title);
            look(conversation->Conversation);
        }
        for (const auto& shopping : day->Shoppings) {
            look(shopping->Shop);
            look(shopping->ShoppingList);
        }
        for (const QString* text :
             {&day->Breakfast, &day->Lunch, &day->Brunch, &day->TeeCoffeeTime, &day->Dinner, &day->HealthCondition,
              &day->WeatherWindDirection, &day->WeatherMoonPhase, &day->Weather, &day->Thoughts})
            look(*text);
    }
    return found;
}

void BM_Search(benchmark::State& aState, QString aQuery, TSearchOptions aOptions)
{
    const TDiary& diary = Diary();
    const Qt::CaseSensitivity cs = aOptions.MatchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    qsizetype floorHits = 0;
    const double floor = MedianSeconds([&] { floorHits = IndexOfPass(diary, aQuery, cs); });
    double total = 0;
    size_t hits = 0;
    for (auto _ : aState) {
        const double seconds = Seconds([&] {
            const std::vector<TSearchHit> found = SearchDiary(diary, aQuery, aOptions);
            hits = found.size();
            benchmark::DoNotOptimize(found.data());
        });
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    if (!aOptions.WholeWords && qsizetype(hits) != floorHits)
        aState.SkipWithError("the search and its floor disagree");
    aState.counters["hits"] = double(hits);
    ReportRatio(aState, total / double(aState.iterations()), floor);
}

void BM_FindPanel(benchmark::State& aState, QString aQuery)
{
    const TDiary& diary = Diary();
    const double floor =
        MedianSeconds([&] { benchmark::DoNotOptimize(IndexOfPass(diary, aQuery, Qt::CaseInsensitive)); });
    TFindPanel panel([&diary] { return &diary; }, nullptr);
    panel.resize(620, 360);
    panel.Start();
    auto* edit = panel.findChild<QLineEdit*>(u"EditFindText"_s);
    double total = 0;
    for (auto _ : aState) {
        edit->clear();
        panel.Refresh();
        const double seconds = Seconds([&] {
            edit->setText(aQuery);
            panel.Refresh();
            benchmark::DoNotOptimize(panel.grab()); // the first screenful, painted
        });
        aState.SetIterationTime(seconds);
        total += seconds;
    }
    aState.counters["hits"] = double(panel.Hits().size());
    ReportRatio(aState, total / double(aState.iterations()), floor);
}

} // namespace

BENCHMARK_CAPTURE(BM_Search, rare_ignore_case, u"ÜBERWEISUNG"_s, TSearchOptions{false, false})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, rare_match_case, kRareWord, TSearchOptions{true, false})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, rare_whole_words, u"überweisung"_s, TSearchOptions{false, true})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Search, common_ignore_case, u"coffee"_s, TSearchOptions{false, false})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

BENCHMARK_CAPTURE(BM_FindPanel, rare, kRareWord)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindPanel, common, u"coffee"_s)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    return RunWindowBenchmarks(argc, argv);
}
