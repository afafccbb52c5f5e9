#pragma once

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

// Wall-clock timing for the benchmarks that time a piece of work and its floor by hand, so both
// are measured the same way in the same run.
inline double Seconds(const std::function<void()>& aWork)
{
    const auto start = std::chrono::steady_clock::now();
    aWork();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The median of several runs: one slow run on a shared machine does not move it.
inline double MedianSeconds(const std::function<void()>& aWork, int aRuns = 7)
{
    std::vector<double> times;
    for (int i = 0; i < aRuns; ++i)
        times.push_back(Seconds(aWork));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}
