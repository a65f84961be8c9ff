// legwise-check on a 100 MB plan file of 500,000 plans, an airport file of 1,000,000 lines and an
// aircraft file of 10,000 lines, twice: with destinations drawn from 20,000 of the airports (a large
// fleet's network) and from all 400,000 codes (every lookup far from the last). Each case runs in a process of its own,
// so its peak memory is its own. Printed: the check's time as a multiple of reading the three files alone with our
// readers (the airport and aircraft list readers and the plan-file reader, which reads each plan line into its
// fields), and, stricter, of reading the three files with the plan file's lines left whole (medians of several
// rounds); and its peak memory above a process that reads the airport and aircraft files alone, against the size of
// the plan file.
//
// Usage: plan_file_check [folder]   (default: the temporary folder; the files are deleted at the end)

#include "input/ListReading.h"
#include "input/TextFile.h"
#include "planfile/CheckCommand.h"
#include "planfile/PlanFileReader.h"
#include "support/ChildProcess.h"
#include "support/GeneratedFiles.h"
#include "support/Timing.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr double MB = 1024.0 * 1024.0;
constexpr int Rounds = 3;
constexpr int AirportLines = 1'000'000;
constexpr int AircraftLines = 10'000;
constexpr int Plans = 500'000;

struct Files {
    fs::path airports, aircraft, plans;
};

void ReadReferenceLists(const Files& files)
{
    const ListReadResult airports = ReadAirportCodes(files.airports);
    const ListReadResult aircraft = ReadAircraftEntries(files.aircraft);
    if (airports.entries.empty() || aircraft.entries.empty())
        std::abort();
}

void ReadWithOurReaders(const Files& files)
{
    ReadReferenceLists(files);
    PlanFileReader reader(files.plans);
    size_t plans = 0;
    while (reader.Next())
        plans += reader.Kind() == PlanLineKind::Plan ? 1 : 0;
    if (plans == 0)
        std::abort();
}

void ReadAllThree(const Files& files)
{
    ReadReferenceLists(files);
    TextFileReader reader(files.plans);
    std::string line;
    size_t lines = 0;
    while (reader.ReadLine(line))
        ++lines;
    if (lines == 0)
        std::abort();
}

int Check(const Files& files, std::FILE* sink)
{
    const std::vector<CommandArgument> arguments = {{"--airports", "--airports"},
                                                    {files.airports.string(), files.airports},
                                                    {"--aircraft", "--aircraft"},
                                                    {files.aircraft.string(), files.aircraft},
                                                    {files.plans.string(), files.plans}};
    return RunPlanCheck(arguments, sink, stderr);
}

struct Times {
    double ourReadersMs = 0;
    double readMs = 0;
    double checkMs = 0;
    int status = 0;
};
struct Nothing {
    int unused = 0;
};
} // namespace

namespace {
bool Measure(const Files& files, const fs::path& folder)
{
    const double planMb = static_cast<double>(fs::file_size(files.plans)) / MB;
    Times times;
    bool ok = RunInChildProcess(
        [&] {
            Times t;
            std::FILE* sink = std::fopen("/dev/null", "w");
            std::vector<double> ourReaders, reading, checking;
            for (int round = 0; round < Rounds; ++round) {
                ourReaders.push_back(Milliseconds([&] { ReadWithOurReaders(files); }));
                reading.push_back(Milliseconds([&] { ReadAllThree(files); }));
                checking.push_back(Milliseconds([&] { t.status = Check(files, sink); }));
            }
            std::fclose(sink);
            t.ourReadersMs = Median(ourReaders);
            t.readMs = Median(reading);
            t.checkMs = Median(checking);
            return t;
        },
        times);
    long long referenceKb = 0, checkKb = 0, readAllKb = 0;
    Nothing nothing;
    ok = ok && RunInChildProcess([&] { return ReadReferenceLists(files), Nothing{}; }, nothing, &referenceKb);
    ok = ok && RunInChildProcess([&] { return ReadAllThree(files), Nothing{}; }, nothing, &readAllKb);
    ok = ok
         && RunInChildProcess(
             [&] {
                 std::FILE* sink = std::fopen("/dev/null", "w");
                 Check(files, sink);
                 std::fclose(sink);
                 return Nothing{};
             },
             nothing, &checkKb);
    if (!ok) {
        std::printf("FAILED: a measuring process did not finish\n");
        return false;
    }
    // The report of one round, for a look at what the check found.
    std::FILE* report = std::fopen((folder / "report.txt").c_str(), "w");
    Check(files, report);
    std::fclose(report);
    std::ifstream findings(folder / "report.txt");
    std::string line, last;
    long long reportLines = 0;
    while (std::getline(findings, line)) {
        last = line;
        ++reportLines;
    }
    const double aboveMb = static_cast<double>(checkKb - referenceKb) / 1024.0;
    std::printf("  reading the three files with our readers           %8.1f ms\n", times.ourReadersMs);
    std::printf("  reading them with the plan lines left whole        %8.1f ms\n", times.readMs);
    std::printf(
        "  legwise-check                                      %8.1f ms  (%.2f x our readers, %.2f x the lines "
        "left whole; exit status %d)\n",
        times.checkMs, times.checkMs / times.ourReadersMs, times.checkMs / times.readMs, times.status);
    std::printf("  peak memory, reading airports and aircraft alone  %7.1f MB\n", referenceKb / 1024.0);
    std::printf("  peak memory, reading all three files alone        %7.1f MB\n", readAllKb / 1024.0);
    std::printf(
        "  peak memory, legwise-check                        %7.1f MB  (%.1f MB above the first: %.2f x the "
        "plan file)\n",
        checkKb / 1024.0, aboveMb, aboveMb / planMb);
    std::printf("  report: %lld lines, the last: %s\n", reportLines, last.c_str());
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    const fs::path where = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path folder = where / ("legwise-plan-check-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const Files files{folder / "airports.txt", folder / "aircraft.txt", folder / "plans.txt"};
    WriteEuropeAirportFile(files.airports, AirportLines);
    WriteFastAircraftFile(files.aircraft, AircraftLines);
    std::printf(
        "airport file %.1f MB (%d lines), aircraft file %.1f MB (%d lines); medians of %d rounds\n"
        "targets: the check at most 3 x the reading with our readers, its memory at most 2 x the plan file\n",
        static_cast<double>(fs::file_size(files.airports)) / MB, AirportLines,
        static_cast<double>(fs::file_size(files.aircraft)) / MB, AircraftLines, Rounds);
    bool ok = true;
    for (const int airports : {20'000, 400'000}) {
        WriteDailyPlanFile(files.plans, Plans, airports, AircraftLines);
        std::printf("\nplan file %.1f MB, %d plans, destinations among %d airports\n",
                    static_cast<double>(fs::file_size(files.plans)) / MB, Plans, airports);
        ok = Measure(files, folder) && ok;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return ok ? 0 : 1;
}
