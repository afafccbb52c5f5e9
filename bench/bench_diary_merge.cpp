// The three-way merge of two versions of the ten-year diary against its floor, reading the three
// files it is made from (page cache warm): kestrova-cli merge reads them anyway, so the merge should
// add no more than that again (target "ratio" at most 2). Each side changed 30 days: 20 of its own
// and 10 that the other side changed too, half of them in other fields and half in the same ones
// (conflicts, resolved by keeping both). Merge and floor alternate in each iteration, so both see
// the same machine load; "ratio" is mean over mean, "ratio_best" best over best.

#include "DiaryGenerator.h"
#include "model/DiaryCopy.h"
#include "model/DiaryFile.h"
#include "model/DiaryMerge.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <numeric>

using namespace Qt::Literals::StringLiterals;

namespace {

using TClock = std::chrono::steady_clock;

double SecondsSince(TClock::time_point aStart)
{
    return std::chrono::duration<double>(TClock::now() - aStart).count();
}

// A change as the window makes one: a text edited, a reading entered, a task added with the day's
// counter, a shopping trip's amount corrected.
void ChangeDay(TDay& aDay, int aVariant, const QString& aSide)
{
    switch (aVariant % 4) {
    case 0:
        aDay.Thoughts += u" Changed on the "_s + aSide + u" machine."_s;
        break;
    case 1:
        aDay.PulseAtEvening += aSide.size();
        aDay.Dinner = u"Dinner from the "_s + aSide + u" machine"_s;
        break;
    case 2: {
        auto task = std::make_unique<TTask>();
        task->ID = ++aDay.LastTaskID;
        task->Task = u"Added on the "_s + aSide + u" machine"_s;
        aDay.Tasks.push_back(std::move(task));
        break;
    }
    default:
        if (!aDay.Shoppings.empty())
            aDay.Shoppings.front()->TotalPurchaseAmount += aSide.size();
        aDay.WeatherHumidity += 1;
    }
}

class TFixture {
public:
    static TFixture& Get()
    {
        static TFixture fixture;
        return fixture;
    }

    std::unique_ptr<TDiary> Base, Ours, Theirs;
    std::array<QString, 3> Paths;
    qint64 Bytes = 0;

private:
    TFixture()
    {
        Base = MakeTenYearDiary();
        Ours = CopyDiary(*Base);
        Theirs = CopyDiary(*Base);
        // 50 distinct days: 20 for each side alone, 10 for both.
        std::vector<size_t> days(Base->DB.size());
        std::iota(days.begin(), days.end(), size_t(0));
        QRandomGenerator random(24);
        std::shuffle(days.begin(), days.end(), random);
        for (int i = 0; i < 50; ++i) {
            const size_t day = days[size_t(i)];
            if (i < 20 || i >= 40)
                ChangeDay(*Ours->DB[day], i, u"ours"_s);
            if (i >= 20)
                // The shared ten: half the same kind of change (a conflict), half another kind.
                ChangeDay(*Theirs->DB[day], i >= 45 ? i : i + 1, u"theirs"_s);
        }
        const char* const names[] = {"base.Kestrova", "ours.Kestrova", "theirs.Kestrova"};
        const TDiary* const diaries[] = {Base.get(), Ours.get(), Theirs.get()};
        for (int i = 0; i < 3; ++i) {
            Paths[size_t(i)] = fFolder.filePath(QString::fromLatin1(names[i]));
            WriteDiaryFile(*diaries[i], Paths[size_t(i)]);
            Bytes += QFileInfo(Paths[size_t(i)]).size();
        }
    }

    QTemporaryDir fFolder;
};

double ReadThree()
{
    const auto start = TClock::now();
    for (const QString& path : TFixture::Get().Paths) {
        auto diary = ReadDiaryFile(path);
        benchmark::DoNotOptimize(diary.get());
    }
    return SecondsSince(start);
}

// As kestrova-cli merge --keep-both does it: once to find the conflicts, once with the picks.
double MergeOnce(size_t& aConflicts)
{
    TFixture& fixture = TFixture::Get();
    const auto start = TClock::now();
    TMergeResult result = MergeDiaries(*fixture.Base, *fixture.Ours, *fixture.Theirs);
    if (!result.Conflicts.empty())
        result = MergeDiaries(*fixture.Base, *fixture.Ours, *fixture.Theirs, {KeepBothPicks(result.Conflicts)});
    const double seconds = SecondsSince(start);
    if (result.Open() != 0)
        std::abort();
    aConflicts = result.Conflicts.size();
    benchmark::DoNotOptimize(result.Diary.get());
    return seconds; // the merged diary is freed outside the measured time, as a loaded one is
}

void Merge(benchmark::State& aState)
{
    TFixture::Get();
    double merge = 0, floor = 0;
    double bestMerge = std::numeric_limits<double>::max(), bestFloor = std::numeric_limits<double>::max();
    size_t conflicts = 0;
    bool floorFirst = true;
    for (auto _ : aState) {
        const double floor1 = floorFirst ? ReadThree() : 0;
        const double once = MergeOnce(conflicts);
        const double floor2 = floorFirst ? 0 : ReadThree();
        merge += once;
        floor += floor1 + floor2;
        bestMerge = std::min(bestMerge, once);
        bestFloor = std::min(bestFloor, floor1 + floor2);
        aState.SetIterationTime(once);
        floorFirst = !floorFirst;
    }
    const double n = double(aState.iterations());
    aState.counters["ms"] = 1000 * merge / n;
    aState.counters["floor_ms"] = 1000 * floor / n;
    aState.counters["ratio"] = merge / floor;
    aState.counters["ratio_best"] = bestMerge / bestFloor;
    aState.counters["conflicts"] = double(conflicts);
    aState.counters["MB"] = double(TFixture::Get().Bytes) / 1e6;
}

} // namespace

BENCHMARK(Merge)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
