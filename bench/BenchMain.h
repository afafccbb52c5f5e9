#pragma once

#include <QApplication>
#include <QtGlobal>

#include <benchmark/benchmark.h>

// Every figure a benchmark reports is its mean against a floor measured in the same run, so the
// numbers mean the same on any machine, busy or not.
inline void ReportRatio(benchmark::State& aState, double aMeanSeconds, double aFloorSeconds)
{
    aState.counters["floor_ms"] = aFloorSeconds * 1e3;
    aState.counters["ratio"] = aMeanSeconds / aFloorSeconds;
}

// The main of the benchmarks that drive a real window: offscreen unless a display is chosen.
inline int RunWindowBenchmarks(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
