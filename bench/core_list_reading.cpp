// How fast the aircraft and airport lists are read, against a plain byte scan of the same files,
// and how much memory a read takes. At the end it prints each reader's time as a multiple of the scan.

#include "input/ListReading.h"
#include "input/TextFile.h"
#include "support/BestTimes.h"
#include "support/GeneratedFiles.h"
#include "support/ProcessFigures.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#endif
#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace fs = std::filesystem;

namespace {
constexpr size_t ChunkSize = 64 * 1024;
constexpr size_t HugeSize = 100 * 1000 * 1000;

// The generated files live in one temporary folder, removed at exit; the 100 MB ones are written
// only when a benchmark asks for them.
struct BenchFiles {
    fs::path folder;
    fs::path airports; // 50,000 airport lines
    fs::path aircraft; // 10,000 aircraft lines
    fs::path crLines;  // 100 MB of aircraft lines ended by a bare CR: one line, decided early
    fs::path noBreak;  // 100 MB without line feed, comma or double quote: one line, never decided
};
BenchFiles* g_files = nullptr;

// 100 MB of `unit` repeated, without a single line feed.
void WriteRepeated(const fs::path& path, const std::string& unit)
{
    std::string block;
    while (block.size() < 1024 * 1024)
        block += unit;
    std::ofstream out(path, std::ios::binary);
    for (size_t written = 0; written < HugeSize; written += block.size())
        out.write(block.data(), static_cast<std::streamsize>(std::min(block.size(), HugeSize - written)));
}

// The peak resident memory (ru_maxrss), in MiB. Linux lets a process reset it, so each benchmark
// reports its own peak; elsewhere it is the peak since the start.
void ResetPeakMemory()
{
#ifdef __linux__
    if (std::FILE* file = std::fopen("/proc/self/clear_refs", "w")) {
        std::fputs("5", file);
        std::fclose(file);
    }
#endif
}

double PeakMemoryMiB()
{
#ifdef _WIN32
    return 0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
#ifdef __APPLE__
    return static_cast<double>(usage.ru_maxrss) / (1024.0 * 1024.0);
#else
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
#endif
#endif
}

const fs::path& FileOf(const std::string& which)
{
    if (which == "airports")
        return g_files->airports;
    if (which == "aircraft")
        return g_files->aircraft;
    fs::path& huge = which == "100MB_cr_lines" ? g_files->crLines : g_files->noBreak;
    if (huge.empty()) {
        huge = g_files->folder / (which + ".txt");
        if (which == "100MB_cr_lines")
            WriteRepeated(huge, "AC#123,450,\"Some Airline Boeing 737-800\"\r");
        else
            WriteRepeated(huge, "EDDF N50* 2.00' E8* 34.00' 364 ");
    }
    return huge;
}

// Reads the file in 64 KiB chunks and counts its line feeds: the least any reader has to do.
size_t CountLineFeeds(const fs::path& path)
{
    std::FILE* file = OpenFile(path, "rb");
    if (!file)
        return 0;
    const auto buffer = std::make_unique<char[]>(ChunkSize);
    size_t lineFeeds = 0;
    while (const size_t got = std::fread(buffer.get(), 1, ChunkSize, file)) {
        const char* p = buffer.get();
        const char* const end = p + got;
        while (const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p))) {
            ++lineFeeds;
            p = static_cast<const char*>(lf) + 1;
        }
    }
    std::fclose(file);
    return lineFeeds;
}

void PlainScan(benchmark::State& state, const char* which)
{
    const fs::path& path = FileOf(which);
    ResetPeakMemory();
    size_t lineFeeds = 0;
    for (auto _ : state) {
        lineFeeds = CountLineFeeds(path);
        benchmark::DoNotOptimize(lineFeeds);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
    state.counters["line_feeds"] = static_cast<double>(lineFeeds);
    state.counters["peak_rss_MiB"] = PeakMemoryMiB();
}

template <ListReadResult (*Reader)(const fs::path&)>
void ReadList(benchmark::State& state, const char* which)
{
    const fs::path& path = FileOf(which);
    ResetPeakMemory();
    size_t entries = 0;
    const double faultsBefore = MinorFaults();
    for (auto _ : state) {
        const ListReadResult result = Reader(path);
        if (!result.ok) {
            state.SkipWithError(result.error.c_str());
            break;
        }
        entries = result.entries.size();
        benchmark::DoNotOptimize(result.entries);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["peak_rss_MiB"] = PeakMemoryMiB();
    state.counters["faults_per_read"] =
        (MinorFaults() - faultsBefore) / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
}

#ifdef __GLIBC__
// The same reads on a heap that keeps what is freed. glibc gives the pages of a freed list back to
// the system when they were mapped on their own or lie at the top of the heap beyond its trim
// threshold, and the next read then pays a page fault for every page of its list; both thresholds
// move with the sizes the heap has seen, so the reads above may meet either state (faults_per_read
// tells which). Here the thresholds are fixed high, as they are for the rest of the process: these
// run last.
template <ListReadResult (*Reader)(const fs::path&)>
void ReadListHeapKept(benchmark::State& state, const char* which)
{
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    ReadList<Reader>(state, which);
}
#endif

// Only the building of the list that a read returns, from entries already in memory: every entry
// appended to a list reserved for them all, as a read does, which the plain scan never has to do.
template <ListReadResult (*Reader)(const fs::path&)>
void BuildListOnly(benchmark::State& state, const char* which)
{
    const EntryList entries = Reader(FileOf(which)).entries;
    for (auto _ : state) {
        EntryList list;
        list.reserve(entries.size(), entries.ByteCount());
        for (const std::string_view entry : entries)
            list.push_back(entry);
        benchmark::DoNotOptimize(list);
    }
    state.counters["entries"] = static_cast<double>(entries.size());
}

// At the end, each reader's CPU time per read as a multiple of the plain scan of the same file; the
// wall-clock times are in the table above.
class RatioReporter : public BestTimeReporter {
public:
    RatioReporter()
        : BestTimeReporter(Clock::Cpu)
    {}

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nCPU time per read as a multiple of the plain scan of the same file (target: 4 or less)\n");
        for (const auto& [name, seconds] : m_seconds) {
            const size_t slash = name.find('/');
            if (name.rfind("PlainScan/", 0) == 0 || slash == std::string::npos)
                continue;
            const auto scan = m_seconds.find("PlainScan" + name.substr(slash));
            if (scan != m_seconds.end() && scan->second > 0)
                std::printf("  %-38s %9.3f ms  scan %8.3f ms  ratio %5.2f\n", name.c_str(), seconds * 1e3,
                            scan->second * 1e3, seconds / scan->second);
        }
    }
};
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    BenchFiles files;
    files.folder = fs::temp_directory_path() / ("legwise-bench-" + std::to_string(std::random_device()()));
    fs::create_directories(files.folder);
    files.airports = files.folder / "airports.txt";
    files.aircraft = files.folder / "aircraft.txt";
    WriteAirportFile(files.airports, 50000);
    WriteAircraftFile(files.aircraft, 10000);
    g_files = &files;

    const auto ms = benchmark::kMillisecond;
    const auto us = benchmark::kMicrosecond;
    benchmark::RegisterBenchmark("PlainScan/airports", PlainScan, "airports")->Unit(us);
    benchmark::RegisterBenchmark("ReadAirportCodes/airports", ReadList<ReadAirportCodes>, "airports")->Unit(us);
    benchmark::RegisterBenchmark("PlainScan/aircraft", PlainScan, "aircraft")->Unit(us);
    benchmark::RegisterBenchmark("ReadAircraftEntries/aircraft", ReadList<ReadAircraftEntries>, "aircraft")->Unit(us);
    benchmark::RegisterBenchmark("BuildListOnly/airports", BuildListOnly<ReadAirportCodes>, "airports")->Unit(us);
    benchmark::RegisterBenchmark("BuildListOnly/aircraft", BuildListOnly<ReadAircraftEntries>, "aircraft")->Unit(us);
    benchmark::RegisterBenchmark("PlainScan/100MB_cr_lines", PlainScan, "100MB_cr_lines")->Unit(ms);
    benchmark::RegisterBenchmark("ReadAirportCodes/100MB_cr_lines", ReadList<ReadAirportCodes>, "100MB_cr_lines")
        ->Unit(ms);
    benchmark::RegisterBenchmark("ReadAircraftEntries/100MB_cr_lines", ReadList<ReadAircraftEntries>, "100MB_cr_lines")
        ->Unit(ms);
    benchmark::RegisterBenchmark("PlainScan/100MB_no_break", PlainScan, "100MB_no_break")->Unit(ms);
    benchmark::RegisterBenchmark("ReadAirportCodes/100MB_no_break", ReadList<ReadAirportCodes>, "100MB_no_break")
        ->Unit(ms);
#ifdef __GLIBC__
    benchmark::RegisterBenchmark("ReadAirportCodesHeapKept/airports", ReadListHeapKept<ReadAirportCodes>, "airports")
        ->Unit(us);
    benchmark::RegisterBenchmark("ReadAircraftEntriesHeapKept/aircraft", ReadListHeapKept<ReadAircraftEntries>,
                                 "aircraft")
        ->Unit(us);
#endif

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::error_code ec;
    fs::remove_all(files.folder, ec);
    return 0;
}
