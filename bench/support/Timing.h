#pragma once
// Wall-clock timing of one call, and the median of several.

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

inline double Milliseconds(const std::function<void()>& timed)
{
    const auto start = std::chrono::steady_clock::now();
    timed();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
