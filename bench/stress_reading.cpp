// The stress run: large and hostile input files, each read with ReadAirportCodes and
// ReadAircraftEntries and copied with CopyToPersonalFile, at half and at full size. Prints per step the
// time, the rate, the entries and the memory the step took beyond what the process held before it, so
// that time linear in the size and memory within a small multiple of it can be seen.
//
// Usage: stress_reading [folder] [--scale factor]
//   folder: where the files are made (default: the temporary folder); they are deleted at the end.
//   --scale: sizes times this factor (default 1: files of 200, 200, 50, 100 and 100 MB).
// Each step runs in a process of its own, so its peak memory is its own.

#include "input/ListReading.h"
#include "input/PersonalCopy.h"
#include "support/ChildProcess.h"
#include "support/GeneratedFiles.h"

#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr double MB = 1024.0 * 1024.0;

// Writes `size` bytes made by `fill`, one block at a time.
void WriteGenerated(const fs::path& path, std::uint64_t size, const std::function<void(std::string&)>& fill)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string block;
    for (std::uint64_t written = 0; written < size;) {
        block.clear();
        fill(block);
        const std::uint64_t n = std::min<std::uint64_t>(block.size(), size - written);
        out.write(block.data(), static_cast<std::streamsize>(n));
        written += n;
    }
}

// Airport lines of the usual shape, as many as fill `size` bytes, give or take a line.
void WriteAirports(const fs::path& path, std::uint64_t size)
{
    WriteAirportFile(path, 10000);
    const double perLine = static_cast<double>(fs::file_size(path)) / 10000.0;
    WriteAirportFile(path, static_cast<int>(static_cast<double>(size) / perLine));
}

// Random bytes, every one of them but 0x1A, which would end the reading at its first appearance.
void WriteRandom(const fs::path& path, std::uint64_t size)
{
    std::mt19937_64 random(20240601);
    WriteGenerated(path, size, [&](std::string& block) {
        block.resize(1 << 20);
        for (size_t i = 0; i < block.size(); i += 8) {
            std::uint64_t bits = random();
            std::memcpy(block.data() + i, &bits, 8);
        }
        for (char& c : block) {
            if (c == 0x1A)
                c = 0x1B;
        }
    });
}

// One line without a line feed, a comma or a double quote: both readers keep all of it until its end.
void WriteOneLine(const fs::path& path, std::uint64_t size)
{
    WriteGenerated(path, size, [](std::string& block) {
        for (int i = 0; i < 65536; ++i)
            block += "EDDF N50* 2.00' ";
    });
}

// Airport and aircraft lines with a NUL in every line, at varying places; no 0x1A, so all is read.
void WriteNulEverywhere(const fs::path& path, std::uint64_t size)
{
    std::mt19937 random(7);
    WriteGenerated(path, size, [&](std::string& block) {
        for (int i = 0; i < 16384; ++i) {
            std::string line = (i % 2) ? "EDDF,N50* 2.00',E8* 34.00',364" : "AC#12,450,\"Some Airline 737\"";
            line[random() % line.size()] = '\0';
            block += line;
            block += (i % 3) ? "\r\n" : "\n";
        }
    });
}

// 0x1A and NUL everywhere between short lines: the reading ends at the first 0x1A.
void WriteCtrlZAndNul(const fs::path& path, std::uint64_t size)
{
    WriteGenerated(path, size, [](std::string& block) {
        for (int i = 0; i < 65536; ++i)
            block += std::string("ED\0DF,x\r\n\x1A\0AC,\"t\"\x1A\n", 19);
    });
}

struct Input {
    const char* name;
    std::uint64_t size;
    void (*write)(const fs::path&, std::uint64_t);
};

struct StepFigures {
    double seconds = 0;
    long long count = 0;      // entries, or the bytes of the copy
    long long startRssKb = 0; // what the process held before the step
};

struct StepResult {
    bool ok = false;
    StepFigures figures;
    long long peakRssKb = 0;
};

// Runs `step` in a child process and measures it there: its time, its count, and the peak of its
// resident memory beyond what it held when it began.
StepResult Measure(const std::function<long long()>& step)
{
    StepResult result;
    result.ok = RunInChildProcess(
        [&step] {
            rusage usage{};
            getrusage(RUSAGE_SELF, &usage);
            StepFigures figures;
            figures.startRssKb = usage.ru_maxrss;
            const auto start = std::chrono::steady_clock::now();
            figures.count = step();
            figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            return figures;
        },
        result.figures, &result.peakRssKb);
    return result;
}

struct Step {
    const char* name;
    std::function<long long(const fs::path& file, const fs::path& folder)> run;
};

const std::vector<Step>& Steps()
{
    static const std::vector<Step> steps = {
        {"ReadAirportCodes",
         [](const fs::path& file, const fs::path&) {
             const ListReadResult read = ReadAirportCodes(file);
             return read.ok ? static_cast<long long>(read.entries.size()) : -1LL;
         }},
        {"ReadAircraftEntries",
         [](const fs::path& file, const fs::path&) {
             const ListReadResult read = ReadAircraftEntries(file);
             return read.ok ? static_cast<long long>(read.entries.size()) : -1LL;
         }},
        {"CopyToPersonalFile",
         [](const fs::path& file, const fs::path& folder) {
             const fs::path copy = folder / "AirportsPersonal.txt";
             if (CopyToPersonalFile(file, copy) != CopyOutcome::Copied)
                 return -1LL;
             const auto bytes = static_cast<long long>(fs::file_size(copy));
             fs::remove(copy);
             return bytes;
         }},
    };
    return steps;
}
} // namespace

int main(int argc, char** argv)
{
    fs::path where = fs::temp_directory_path();
    double scale = 1.0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--scale" && i + 1 < argc)
            scale = std::atof(argv[++i]);
        else if (!arg.empty() && arg[0] != '-')
            where = arg;
        else {
            std::fprintf(stderr, "usage: stress_reading [folder] [--scale factor]\n");
            return 2;
        }
    }
    if (!(scale > 0)) {
        std::fprintf(stderr, "the scale must be above 0\n");
        return 2;
    }
    const auto scaled = [scale](double mb) { return static_cast<std::uint64_t>(mb * MB * scale); };
    const std::vector<Input> inputs = {
        {"airports", scaled(200), WriteAirports},        {"random bytes", scaled(200), WriteRandom},
        {"one line", scaled(50), WriteOneLine},          {"NUL everywhere", scaled(100), WriteNulEverywhere},
        {"0x1A and NUL", scaled(100), WriteCtrlZAndNul},
    };

    // The largest file and its copy lie on the disk at the same time; ask for room for both and more.
    const fs::path folder = where / ("legwise-stress-" + std::to_string(getpid()));
    std::error_code ec;
    const fs::space_info space = fs::space(where, ec);
    const std::uint64_t needed = scaled(200) * 3;
    if (ec || space.available < needed) {
        std::fprintf(stderr, "%s has %.0f MB free; the stress run needs %.0f MB\n", where.c_str(),
                     static_cast<double>(space.available) / MB, static_cast<double>(needed) / MB);
        return 2;
    }
    fs::create_directories(folder);
    std::printf("stress run in %s (%.0f MB free), one process per step\n", folder.c_str(),
                static_cast<double>(space.available) / MB);
    std::printf("%-15s %-5s %9s  %-20s %8s %9s %12s %10s %8s %8s\n", "file", "part", "size MB", "step", "time s",
                "MB/s", "entries", "memory MB", "mem/size", "t/t_half");

    bool allOk = true;
    for (const Input& input : inputs) {
        std::vector<double> halfTimes(Steps().size(), 0.0);
        for (const bool half : {true, false}) {
            const fs::path file = folder / "input.txt";
            input.write(file, half ? input.size / 2 : input.size);
            const double sizeMb = static_cast<double>(fs::file_size(file)) / MB;
            for (size_t s = 0; s < Steps().size(); ++s) {
                const Step& step = Steps()[s];
                const StepResult result = Measure([&] { return step.run(file, folder); });
                if (!result.ok || result.figures.count < 0) {
                    std::printf("%-15s %-5s %9.1f  %-20s FAILED\n", input.name, half ? "half" : "full", sizeMb,
                                step.name);
                    allOk = false;
                    continue;
                }
                const double seconds = result.figures.seconds;
                const double memoryMb = static_cast<double>(result.peakRssKb - result.figures.startRssKb) / 1024.0;
                std::printf("%-15s %-5s %9.1f  %-20s %8.3f %9.0f %12lld %10.1f %8.2f", input.name,
                            half ? "half" : "full", sizeMb, step.name, seconds, seconds > 0 ? sizeMb / seconds : 0.0,
                            result.figures.count, memoryMb, sizeMb > 0 ? memoryMb / sizeMb : 0.0);
                if (half)
                    halfTimes[s] = seconds;
                else if (halfTimes[s] >= 0.005) // shorter times say more about the clock than the step
                    std::printf(" %8.2f", seconds / halfTimes[s]);
                else
                    std::printf(" %8s", "-");
                std::printf("\n");
                std::fflush(stdout);
            }
            fs::remove(file);
        }
    }
    fs::remove_all(folder, ec);
    std::printf(
        "entries: list entries read, or for the copy the bytes written; memory: peak resident memory "
        "of the step beyond the process's own before it; t/t_half near 2 is linear time\n");
    return allOk ? 0 : 1;
}
