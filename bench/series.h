#pragma once

// What the benchmark programs share: milliseconds between two instants, and one line per series
// of measurements for bench/run.sh to read: "name count min median p99 max last".

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <vector>

using SteadyClock = std::chrono::steady_clock;

inline double msSince(SteadyClock::time_point from, SteadyClock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

inline void printSeries(const char* name, std::vector<double> values)
{
    if (values.empty()) {
        std::printf("%s 0\n", name);
        return;
    }
    const double last = values.back();
    std::sort(values.begin(), values.end());
    // Nearest-rank percentiles.
    const auto rank = [&](double fraction) {
        const auto index = static_cast<std::size_t>(std::ceil(fraction * values.size()));
        return values[std::clamp<std::size_t>(index, 1, values.size()) - 1];
    };
    std::printf("%s %zu %.3f %.3f %.3f %.3f %.3f\n", name, values.size(), values.front(), rank(0.5),
                rank(0.99), values.back(), last);
    std::fflush(stdout);
}
