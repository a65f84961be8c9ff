#pragma once
// The console output, and beside it each benchmark's best time per iteration over its repetitions,
// by name, so that a summary at the end can set one figure against another. The best of the runs,
// so that other work on a shared machine blurs the figures less.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

class BestTimeReporter : public benchmark::ConsoleReporter {
public:
    enum class Clock { Cpu, Wall };
    explicit BestTimeReporter(Clock clock)
        : m_clock(clock)
    {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0)
                continue;
            const double total = m_clock == Clock::Cpu ? run.cpu_accumulated_time : run.real_accumulated_time;
            const double seconds = total / static_cast<double>(run.iterations);
            const auto [it, added] = m_seconds.try_emplace(run.run_name.function_name, seconds);
            if (!added)
                it->second = std::min(it->second, seconds);
        }
    }

protected:
    std::map<std::string, double> m_seconds; // seconds per iteration, by the name the benchmark was given

private:
    Clock m_clock;
};
