// legwise-check, run as the program, on files of every shape. The speed cases: a 100 MB plan file of
// 500,000 plans and an aircraft file of 10,000 lines, with an airport file of 1,000,000 lines and the
// destinations drawn from 20,000 of its airports (a large fleet's network) or from all 400,000 codes
// (every lookup far from the last), and with an airport file of 50,000 airports (the world's). Each
// prints the check's time on one thread and on every processor, as a multiple of reading the three
// files with the plan lines left whole (and of reading them with our readers, the plan lines into
// their fields), medians of several rounds in one process; beside each, the processor time, which a
// machine busy with other work changes less. The memory cases: one line of millions of
// legs, long lines whose every leg draws a finding, ten files sharing their registrations, and an
// airport file of 10,000,000 short codes. Every case prints the check's peak memory above the same
// program reading the airport and aircraft files alone (explaining a one-line plan file), against the
// plan files' size; the short codes case prints the airport table's memory per entry and against its
// file.
//
// Usage: plan_file_check [--program PATH] [--files-only] [folder]
//   --program PATH  measures that legwise-check (default: the one built beside this benchmark), so that
//                   two builds can be compared on the same files; LEGWISE_THREADS sets its threads
//   --files-only    writes the files into the folder and keeps them (bench/compare-check-outputs)
//   folder          where the files go (default: the temporary folder; deleted at the end)

#include "input/ListReading.h"
#include "input/TextFile.h"
#include "planfile/PlanFileReader.h"
#include "support/ChildProcess.h"
#include "support/GeneratedFiles.h"
#include "support/Timing.h"

#include <fcntl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr double MB = 1024.0 * 1024.0;
constexpr int Rounds = 3;
constexpr int Plans = 500'000;
constexpr int AircraftLines = 10'000;

std::string g_program = LEGWISE_CHECK_PROGRAM;

// A run of the program: its time, peak memory and exit status.
struct Run {
    double ms = 0;
    double cpuMs = 0; // processor time, all threads together
    long long peakKb = 0;
    int status = -1;
};

// Runs legwise-check with `arguments` on `threads` threads (0: as many as it chooses), its output to
// `output` (default: thrown away).
Run RunCheck(const std::vector<std::string>& arguments, int threads, const char* output = "/dev/null")
{
    Run run;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (threads > 0)
            setenv("LEGWISE_THREADS", std::to_string(threads).c_str(), 1);
        const int out = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        std::vector<char*> argv = {g_program.data()};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv(g_program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    run.ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    run.peakKb = usage.ru_maxrss;
    auto ms = [](const timeval& time) { return static_cast<double>(time.tv_sec) * 1e3 + time.tv_usec / 1e3; };
    run.cpuMs = ms(usage.ru_utime) + ms(usage.ru_stime);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct Files {
    fs::path airports, aircraft;
    std::vector<fs::path> plans;
    fs::path tiny; // one plan line, for the program reading the airport and aircraft files alone
};

std::vector<std::string> CheckArguments(const Files& files)
{
    std::vector<std::string> arguments = {"--airports", files.airports.string(), "--aircraft", files.aircraft.string()};
    for (const fs::path& plan : files.plans)
        arguments.push_back(plan.string());
    return arguments;
}

double PlanMb(const Files& files)
{
    double size = 0;
    for (const fs::path& plan : files.plans)
        size += static_cast<double>(fs::file_size(plan));
    return size / MB;
}

// The program's peak memory reading the airport and aircraft files alone.
long long TablesKb(const Files& files)
{
    return RunCheck({"--airports", files.airports.string(), "--aircraft", files.aircraft.string(), "--explain",
                     files.tiny.string() + ":1"},
                    0)
        .peakKb;
}

// Prints the check's peak memory above the tables, against the plan files; true when within 2 times.
bool PrintMemory(const Files& files, const Run& check)
{
    const double aboveMb = static_cast<double>(check.peakKb - TablesKb(files)) / 1024.0;
    const double ratio = aboveMb / PlanMb(files);
    std::printf(
        "  peak memory %8.1f MB, %7.1f MB above reading the airport and aircraft files: %.2f x the plan "
        "files (at most 2)\n",
        static_cast<double>(check.peakKb) / 1024.0, aboveMb, ratio);
    return ratio <= 2;
}

void ReadReferenceLists(const Files& files)
{
    const ListReadResult airports = ReadAirportCodes(files.airports);
    const ListReadResult aircraft = ReadAircraftEntries(files.aircraft);
    if (airports.entries.empty() || aircraft.entries.empty())
        std::abort();
}

struct Times {
    double ourReadersMs = 0;
    double wholeMs = 0;
    double wholeCpuMs = 0;
};

// The processor time of this process so far.
double CpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto ms = [](const timeval& time) { return static_cast<double>(time.tv_sec) * 1e3 + time.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Reading the three files with our readers, and with the plan lines left whole: medians, in a process
// of its own.
Times ReadingTimes(const Files& files)
{
    Times times;
    RunInChildProcess(
        [&] {
            std::vector<double> ourReaders, whole, wholeCpu;
            for (int round = 0; round < Rounds; ++round) {
                ourReaders.push_back(Milliseconds([&] {
                    ReadReferenceLists(files);
                    PlanFileReader reader(files.plans.front());
                    size_t plans = 0;
                    while (reader.Next())
                        plans += reader.Kind() == PlanLineKind::Plan ? 1 : 0;
                    if (plans == 0)
                        std::abort();
                }));
                const double cpu = CpuMs();
                whole.push_back(Milliseconds([&] {
                    ReadReferenceLists(files);
                    TextFileReader reader(files.plans.front());
                    std::string line;
                    size_t lines = 0;
                    while (reader.ReadLine(line))
                        ++lines;
                    if (lines == 0)
                        std::abort();
                }));
                wholeCpu.push_back(CpuMs() - cpu);
            }
            return Times{Median(ourReaders), Median(whole), Median(wholeCpu)};
        },
        times);
    return times;
}

Run MedianRun(const Files& files, int threads)
{
    std::vector<double> times, cpu;
    Run run;
    for (int round = 0; round < Rounds; ++round) {
        run = RunCheck(CheckArguments(files), threads);
        times.push_back(run.ms);
        cpu.push_back(run.cpuMs);
    }
    run.ms = Median(times);
    run.cpuMs = Median(cpu);
    return run;
}

bool MeasureSpeed(const Files& files)
{
    const Times reading = ReadingTimes(files);
    const Run one = MedianRun(files, 1);
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    const Run all = MedianRun(files, static_cast<int>(processors));
    std::printf("  reading the three files with our readers %8.1f ms\n", reading.ourReadersMs);
    std::printf("  reading them with the plan lines whole   %8.1f ms  (processor %.1f ms)\n", reading.wholeMs,
                reading.wholeCpuMs);
    std::printf(
        "  legwise-check on 1 thread                %8.1f ms  %.2f x the lines whole (aim: 3), %.2f x our "
        "readers; processor %.1f ms, %.2f x; exit status %d\n",
        one.ms, one.ms / reading.wholeMs, one.ms / reading.ourReadersMs, one.cpuMs, one.cpuMs / reading.wholeCpuMs,
        one.status);
    std::printf(
        "  legwise-check on %u threads               %8.1f ms  %.2f x the lines whole, %.2f x as fast as on "
        "1; processor %.1f ms\n",
        processors, all.ms, all.ms / reading.wholeMs, one.ms / all.ms, all.cpuMs);
    return PrintMemory(files, all);
}

bool MeasureMemory(const Files& files)
{
    const Run run = RunCheck(CheckArguments(files), 0);
    std::printf("  legwise-check %8.1f ms, exit status %d\n", run.ms, run.status);
    return PrintMemory(files, run);
}

// Airport codes of six letters alone on their lines: `lines` of them, every one different.
void WriteShortCodes(const fs::path& path, int lines)
{
    std::ofstream out(path, std::ios::binary);
    std::string code = "AAAAAA\r\n";
    for (int i = 0; i < lines; ++i) {
        int n = i;
        for (int at = 5; at >= 0; --at, n /= 26)
            code[static_cast<size_t>(at)] = static_cast<char>('A' + n % 26);
        out << code;
    }
}

// A 24Hr plan of `legs` legs, every one departing at 06:00 to one of the first `airports` codes
// (letters as in the airport file) or, with `missing`, to codes the airport file lacks.
void WriteLongPlan(std::ofstream& out, int number, int legs, int airports, bool missing)
{
    out << "AC#" << number % AircraftLines << ",L-" << number << ",50%,24Hr,IFR";
    for (int leg = 0; leg < legs; ++leg) {
        int n = (leg * 7919 + number) % airports;
        std::string code(4, 'A');
        for (int at = 3; at >= 0; --at, n /= 26)
            code[static_cast<size_t>(at)] = static_cast<char>('A' + n % 26);
        out << ",06:00,,350,F," << leg % 10000 << (missing ? ",Q" : ",") << code;
    }
    out << "\r\n";
}

void WriteFiles(const fs::path& folder, Files& world, Files& europe20k, Files& europe400k, Files& oneLine,
                Files& findings, Files& tenFiles, Files& shortCodes)
{
    const fs::path aircraft = folder / "aircraft.txt";
    const fs::path tiny = folder / "tiny.txt";
    WriteFastAircraftFile(aircraft, AircraftLines);
    std::ofstream(tiny, std::ios::binary) << "AC#1,D-TINY,50%,24Hr,IFR,06:00,,350,F,1,AAAA,12:00,,350,F,2,AAAB\r\n";
    WriteEuropeAirportFile(folder / "airports.txt", 1'000'000);
    WriteEuropeAirportFile(folder / "world-airports.txt", 50'000);
    WriteDailyPlanFile(folder / "plans-20000.txt", Plans, 20'000, AircraftLines);
    WriteDailyPlanFile(folder / "plans-400000.txt", Plans, 400'000, AircraftLines);
    WriteDailyPlanFile(folder / "plans-world.txt", Plans, 50'000, AircraftLines);
    europe20k = {folder / "airports.txt", aircraft, {folder / "plans-20000.txt"}, tiny};
    europe400k = {folder / "airports.txt", aircraft, {folder / "plans-400000.txt"}, tiny};
    world = {folder / "world-airports.txt", aircraft, {folder / "plans-world.txt"}, tiny};
    {
        std::ofstream out(folder / "one-line.txt", std::ios::binary);
        WriteLongPlan(out, 1, 4'000'000, 20'000, false);
    }
    oneLine = {folder / "airports.txt", aircraft, {folder / "one-line.txt"}, tiny};
    {
        std::ofstream out(folder / "findings.txt", std::ios::binary);
        for (int line = 0; line < 400; ++line)
            WriteLongPlan(out, line, 10'000, 20'000, true);
    }
    findings = {folder / "airports.txt", aircraft, {folder / "findings.txt"}, tiny};
    tenFiles = {folder / "world-airports.txt", aircraft, {}, tiny};
    for (int file = 0; file < 10; ++file) {
        tenFiles.plans.push_back(folder / ("shared-" + std::to_string(file) + ".txt"));
        WriteDailyPlanFile(tenFiles.plans.back(), Plans / 10, 50'000, AircraftLines);
    }
    WriteShortCodes(folder / "short-codes.txt", 10'000'000);
    shortCodes = {folder / "short-codes.txt", aircraft, {folder / "plans-20000.txt"}, tiny};
}
} // namespace

int main(int argc, char** argv)
{
    fs::path where = fs::temp_directory_path();
    bool filesOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--program" && i + 1 < argc)
            g_program = argv[++i];
        else if (argument == "--files-only")
            filesOnly = true;
        else
            where = argument;
    }
    const fs::path folder = filesOnly ? where : where / ("legwise-plan-check-" + std::to_string(getpid()));
    fs::create_directories(folder);
    Files world, europe20k, europe400k, oneLine, findings, tenFiles, shortCodes;
    WriteFiles(folder, world, europe20k, europe400k, oneLine, findings, tenFiles, shortCodes);
    if (filesOnly)
        return 0;
    std::printf(
        "%s\nmedians of %d rounds; targets: on 1 thread 3 x reading with the lines whole, memory above "
        "the tables at most 2 x the plan files\n",
        g_program.c_str(), Rounds);
    bool ok = true;
    const struct {
        const char* title;
        Files* files;
        bool speed;
    } cases[] = {
        {"500,000 plans (98 MB), destinations among 20,000 of 1,000,000 airport lines", &europe20k, true},
        {"500,000 plans (98 MB), destinations among all 400,000 codes of 1,000,000 airport lines", &europe400k, true},
        {"500,000 plans (98 MB), an airport file of 50,000 airports, the world's", &world, true},
        {"one line of 4,000,000 legs", &oneLine, false},
        {"400 lines of 10,000 legs, every leg a finding", &findings, false},
        {"ten files of 50,000 plans sharing their registrations", &tenFiles, false},
    };
    for (const auto& check : cases) {
        std::printf("\n%s: plan files %.1f MB\n", check.title, PlanMb(*check.files));
        ok = (check.speed ? MeasureSpeed(*check.files) : MeasureMemory(*check.files)) && ok;
    }
    // The airport table alone: 10,000,000 short codes against 50,000 airports.
    const long long codesKb = TablesKb(shortCodes);
    const long long smallKb = TablesKb(world);
    const double tableBytes = static_cast<double>(codesKb - smallKb) * 1024.0;
    const double fileBytes = static_cast<double>(fs::file_size(shortCodes.airports));
    std::printf(
        "\nairport file of 10,000,000 short codes (%.1f MB): the table takes %.1f MB, %.1f bytes per entry, "
        "%.2f x its file (at most 32 bytes per entry or 3 x the file)\n",
        fileBytes / MB, tableBytes / MB, tableBytes / 1e7, tableBytes / fileBytes);
    ok = (tableBytes / 1e7 <= 32 || tableBytes <= 3 * fileBytes) && ok;
    std::error_code ec;
    fs::remove_all(folder, ec);
    return ok ? 0 : 1;
}
