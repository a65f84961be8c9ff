// How long the personal copy of a 100 MB list takes, against a plain copy of the same file: a read
// and write in 64 KiB blocks that ends in fsync, as the personal copy itself does. At the end it
// prints each copy's time as a multiple of the plain copy (target: 2 or less).

#include "input/PersonalCopy.h"
#include "input/TextFile.h"
#include "support/BestTimes.h"
#include "support/GeneratedFiles.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr size_t ChunkSize = 64 * 1024;
constexpr int HugeLines = 2700000; // about 100 MB of airport lines

fs::path g_folder;

// The generated airport file with CR LF line ends (copied byte for byte) or with bare LF ends
// (every line gains a CR on the way).
fs::path SourceOf(const std::string& which)
{
    const fs::path crLf = g_folder / "airports_crlf.txt";
    if (!fs::exists(crLf))
        WriteAirportFile(crLf, HugeLines);
    if (which == "crlf")
        return crLf;
    const fs::path lf = g_folder / "airports_lf.txt";
    if (!fs::exists(lf)) {
        std::ifstream in(crLf, std::ios::binary);
        std::ofstream out(lf, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            line.back() = '\n'; // the CR
            out << line;
        }
    }
    return lf;
}

bool PlainCopy(const fs::path& source, const fs::path& target)
{
    std::FILE* in = OpenFile(source, "rb");
    std::FILE* out = OpenFile(target, "wb");
    bool ok = in && out;
    const auto buffer = std::make_unique<char[]>(ChunkSize);
    while (ok) {
        const size_t got = std::fread(buffer.get(), 1, ChunkSize, in);
        if (got == 0)
            break;
        ok = std::fwrite(buffer.get(), 1, got, out) == got;
    }
    ok = ok && SyncToDisk(out);
    if (in)
        std::fclose(in);
    if (out)
        ok = std::fclose(out) == 0 && ok;
    return ok;
}

void PlainCopyBench(benchmark::State& state, const char* which)
{
    const fs::path source = SourceOf(which);
    for (auto _ : state) {
        if (!PlainCopy(source, g_folder / "plain.txt")) {
            state.SkipWithError("the plain copy failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(source)));
}

void PersonalCopyBench(benchmark::State& state, const char* which)
{
    const fs::path source = SourceOf(which);
    for (auto _ : state) {
        if (CopyToPersonalFile(source, g_folder / "AirportsPersonal.txt") != CopyOutcome::Copied) {
            state.SkipWithError("the personal copy failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(source)));
}

// At the end, each copy's wall-clock time as a multiple of the plain copy of the same file.
class RatioReporter : public BestTimeReporter {
public:
    RatioReporter()
        : BestTimeReporter(Clock::Wall)
    {}

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\nWall-clock time per copy of 100 MB as a multiple of the plain copy (target: 2 or less)\n");
        for (const char* which : {"crlf", "lf"}) {
            const auto plain = m_seconds.find(std::string("PlainCopy/") + which);
            const auto personal = m_seconds.find(std::string("PersonalCopy/") + which);
            if (plain != m_seconds.end() && personal != m_seconds.end() && plain->second > 0)
                std::printf("  %-5s personal copy %8.1f ms  plain copy %8.1f ms  ratio %5.2f\n", which,
                            personal->second * 1e3, plain->second * 1e3, personal->second / plain->second);
        }
    }
};
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    g_folder = fs::temp_directory_path() / ("legwise-bench-copy-" + std::to_string(std::random_device()()));
    fs::create_directories(g_folder);

    for (const char* which : {"crlf", "lf"}) {
        // Plain and personal copy take turns, so a slower spell of the machine meets both.
        for (int turn = 0; turn < 3; ++turn) {
            benchmark::RegisterBenchmark((std::string("PlainCopy/") + which).c_str(), PlainCopyBench, which)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(2);
            benchmark::RegisterBenchmark((std::string("PersonalCopy/") + which).c_str(), PersonalCopyBench, which)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime()
                ->Iterations(2);
        }
    }

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    std::error_code ec;
    fs::remove_all(g_folder, ec);
    return 0;
}
