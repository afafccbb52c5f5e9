// Start-up as the user waits for it: the whole program, launched until its window is shown
// (`kestrova --close-when-shown` reports that moment, then closes it the normal way), with the 10-year diary named
// on its command line, against the same launch with no diary (a new one), the two in turn in one
// run (target: at most 1.15x). Reports "ratio" (the median over the pairs of the launch with the
// diary over the launch without) and the floor (the median launch without a diary).
//
// The launches need an X server to be shown on: scripts/kestrova.sh starts Xvfb when there is no
// display. Without one they fall back to the offscreen platform, and the label says so. Each side
// keeps its settings store in a folder of its own, in memory where the system has such a folder:
// closing with a diary writes the store, and the disk's flush is no part of starting.
//
// BM_StartUpVsMinimalWindow times the same launch with the diary against a Qt Widgets program that
// shows one empty window and nothing else (bench/MinimalWindow.cpp), to its first paint, in turn
// in one run (target: at most 1.5x): as every start after a normal one (last_page_remembered:1),
// and as the first start after another program wrote the diary (0).
#include "DiaryGenerator.h"

#include "model/DiaryFile.h"

#include <benchmark/benchmark.h>

#include <QByteArray>
#include <QDir>
#include <QTemporaryDir>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

extern char** environ;

namespace {

struct TLaunch {
    std::vector<std::string> Arguments;
    std::vector<std::string> Environment;
    std::function<void()> Before; // untimed, before every launch
};

// The environment of this process with XDG_CONFIG_HOME replaced, and the offscreen platform
// when there is no display.
std::vector<std::string> ChildEnvironment(const QString& aConfigFolder)
{
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry)
        if (std::string(*entry).rfind("XDG_CONFIG_HOME=", 0) != 0)
            result.emplace_back(*entry);
    result.push_back("XDG_CONFIG_HOME=" + aConfigFolder.toStdString());
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        result.emplace_back("QT_QPA_PLATFORM=offscreen");
    return result;
}

// The wall-clock seconds from starting the program to the moment it reports its window shown. Its
// closing and the diary's teardown follow and are waited for, but not timed: the user is not
// waiting for them at start.
double Run(const TLaunch& aLaunch)
{
    if (aLaunch.Before)
        aLaunch.Before();
    std::vector<char*> argv;
    for (const std::string& argument : aLaunch.Arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& entry : aLaunch.Environment)
        envp.push_back(const_cast<char*>(entry.c_str()));
    envp.push_back(nullptr);

    int out[2];
    if (pipe(out) != 0)
        qFatal("no pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);

    const auto start = std::chrono::steady_clock::now();
    pid_t child = 0;
    if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        qFatal("cannot start %s", argv[0]);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string said;
    char buffer[64];
    while (said.find('\n') == std::string::npos) {
        const ssize_t got = read(out[0], buffer, sizeof buffer);
        if (got <= 0)
            break;
        said.append(buffer, size_t(got));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    close(out[0]);
    int status = 0;
    if (said.rfind("shown\n", 0) != 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        qFatal("%s did not show its window and end cleanly", argv[0]);
    return seconds;
}

double Median(std::vector<double> aValues)
{
    std::sort(aValues.begin(), aValues.end());
    return aValues[aValues.size() / 2];
}

// Times aTimed and aFloor in turn, the timed launch as the iteration's time; reports the median
// of their ratios and the floor's median. Fonts, the X connection and the file's pages in the cache:
// the first launch of each pays, untimed.
void TimeInTurn(benchmark::State& aState, const TLaunch& aTimed, const TLaunch& aFloor)
{
    Run(aTimed);
    Run(aFloor);
    std::vector<double> ratios;
    std::vector<double> floors;
    for (auto _ : aState) {
        const double seconds = Run(aTimed);
        const double floor = Run(aFloor);
        aState.SetIterationTime(seconds);
        ratios.push_back(seconds / floor);
        floors.push_back(floor);
    }
    aState.counters["floor_ms"] = Median(floors) * 1e3;
    aState.counters["ratio"] = Median(ratios);
    aState.SetLabel(qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen, no display" : "X display");
}

void BM_StartUpProcess(benchmark::State& aState)
{
    // A folder in memory keeps the settings store's flush at close out of the figure.
    const QString base = QDir(u"/dev/shm"_s).exists() ? u"/dev/shm"_s : QDir::tempPath();
    QTemporaryDir dir(base + u"/kestrova-bench-XXXXXX"_s);
    if (!dir.isValid())
        qFatal("no temporary folder");
    const QString diary = dir.filePath(u"ten-years.Kestrova"_s);
    WriteDiaryFile(*MakeTenYearDiary(), diary);

    const std::string program = KESTROVA_APP;
    const TLaunch withDiary{{program, "--close-when-shown", diary.toStdString()},
                            ChildEnvironment(dir.filePath(u"config-diary"_s)), {}};
    const TLaunch without{{program, "--close-when-shown"}, ChildEnvironment(dir.filePath(u"config-new"_s)), {}};

    TimeInTurn(aState, withDiary, without);
}

void BM_StartUpVsMinimalWindow(benchmark::State& aState)
{
    const QString base = QDir(u"/dev/shm"_s).exists() ? u"/dev/shm"_s : QDir::tempPath();
    QTemporaryDir dir(base + u"/kestrova-bench-XXXXXX"_s);
    if (!dir.isValid())
        qFatal("no temporary folder");
    const QString diary = dir.filePath(u"ten-years.Kestrova"_s);
    WriteDiaryFile(*MakeTenYearDiary(), diary);

    // A start after one that ended normally finds the diary's last page where that run left it;
    // the first start after another program wrote the file (here: with no settings at all) reads
    // its way there through the whole file.
    const bool remembered = aState.range(0) == 1;
    const QString config = dir.filePath(u"config-diary"_s);
    TLaunch withDiary{{KESTROVA_APP, "--close-when-shown", diary.toStdString()}, ChildEnvironment(config), {}};
    if (!remembered)
        withDiary.Before = [config] { QDir(config).removeRecursively(); };
    const TLaunch minimal{{KESTROVA_MINIMAL_WINDOW}, ChildEnvironment(dir.filePath(u"config-minimal"_s)), {}};
    TimeInTurn(aState, withDiary, minimal);
}

} // namespace

BENCHMARK(BM_StartUpVsMinimalWindow)
    ->ArgName("last_page_remembered")
    ->Arg(1)
    ->Arg(0)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(15);
BENCHMARK(BM_StartUpProcess)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(15);

BENCHMARK_MAIN();
