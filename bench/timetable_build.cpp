// legwise-check --timetable on a timetable of 1,000,000 flights (one row per flight and day, a whole
// world's week) over 40,000 airports and 200 aircraft types, generated here: 35,715 aircraft, each
// flying out and back from its hub to two places near it, the same every day or a different line at
// the weekend. Printed: the time to read the timetable, build its lines, check and write its plans,
// as a multiple of reading the timetable, airport and aircraft files with the check's readers; and
// the peak memory of that run above a process that reads the airport and aircraft files alone,
// against the size of the timetable. Each in a process of its own.
//
// Usage: timetable_build [folder [keep]]   (default: the temporary folder; the files are deleted at the
// end unless "keep" is given)

#include "check/Geo.h"
#include "check/TimeZones.h"
#include "planfile/CheckCommand.h"
#include "planfile/PlanFileReader.h"
#include "support/ChildProcess.h"
#include "support/Timing.h"
#include "timetable/WeekFlights.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr int Airports = 40'000;
constexpr int Types = 200;
constexpr int Flights = 1'000'000;
constexpr int LegsPerDay = 4;
constexpr int Turnaround = 30;
const std::int64_t Monday = DaysFromCivil({2025, 6, 16});

std::string CodeFor(int n)
{
    std::string code(4, 'A');
    for (int i = 3; i >= 0; --i, n /= 26)
        code[static_cast<size_t>(i)] = static_cast<char>('A' + n % 26);
    return code;
}

struct Place {
    GeoPosition position;
    int offset = 0; // minutes, at noon of the week's Wednesday
};

std::string Clock(int minutes)
{
    minutes = (minutes % MinutesPerDay + MinutesPerDay) % MinutesPerDay;
    char text[8];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

struct Files {
    fs::path airports;
    fs::path aircraft;
    fs::path timetable;
    fs::path out;
};

void WriteFiles(const Files& files)
{
    std::mt19937 random(30);
    std::vector<Place> places(Airports);
    std::ofstream airports(files.airports, std::ios::binary);
    const UnixSeconds wednesday = (Monday + 2) * 86400 + 43200;
    for (int i = 0; i < Airports; ++i) {
        Place& place = places[static_cast<size_t>(i)];
        // Land-ish latitudes, any longitude; every airport's neighbours lie within a few degrees.
        place.position = {-40.0 + (random() % 10000) * 0.0095, -180.0 + (random() % 36000) * 0.01};
        place.offset = UtcOffset(AirlineZoneAt(place.position), wednesday).value_or(ZoneOffset{}).minutes;
        airports << CodeFor(i) << "," << place.position.latitude << "," << place.position.longitude << ",100\r\n";
    }
    std::ofstream aircraft(files.aircraft, std::ios::binary);
    for (int i = 0; i < Types; ++i)
        aircraft << "T" << i << "," << 300 + i % 200 << ",\"Generated type " << i << "\"\r\n";
    std::ofstream table(files.timetable, std::ios::binary);
    table << "Flight;From;To;Departs;Days;Aircraft\r\n";
    auto nearby = [&](int hub) {
        for (;;) {
            const int other = static_cast<int>(random() % Airports);
            const GeoPosition& a = places[static_cast<size_t>(hub)].position;
            const GeoPosition& b = places[static_cast<size_t>(other)].position;
            if (other != hub && std::abs(a.latitude - b.latitude) < 6 && std::abs(a.longitude - b.longitude) < 6)
                return other;
        }
    };
    int flight = 0;
    int number = 0;
    for (int plane = 0; flight < Flights; ++plane, number += 2 * LegsPerDay) {
        const int type = plane % Types;
        const int knots = 300 + type % 200;
        const int hub = static_cast<int>(random() % 2000) * (Airports / 2000);
        const int weekday[2] = {nearby(hub), nearby(hub)};
        const int weekend[2] = {nearby(hub), nearby(hub)};
        const bool sameEveryDay = plane % 10 != 0;
        const int start = 5 * 60 + static_cast<int>(random() % 120) - places[static_cast<size_t>(hub)].offset;
        int gaps[LegsPerDay];
        for (int& gap : gaps)
            gap = Turnaround + static_cast<int>(random() % 60);
        for (int day = 1; day <= 7 && flight < Flights; ++day) {
            const int* spokes = sameEveryDay || day <= 5 ? weekday : weekend;
            int universal = start; // minutes of the day, universal time
            for (int leg = 0; leg < LegsPerDay && flight < Flights; ++leg, ++flight) {
                const int from = leg % 2 == 0 ? hub : spokes[leg / 2];
                const int to = leg % 2 == 0 ? spokes[leg / 2] : hub;
                const Place& a = places[static_cast<size_t>(from)];
                const int minutes =
                    FlightMinutes(GreatCircleNm(a.position, places[static_cast<size_t>(to)].position), knots);
                // The local day of departure: the hub's first departure's day, moved when the local time crosses
                // midnight.
                const int local = universal + a.offset;
                const int localDay = ((day - 1 + (local < 0 ? -1 : local / MinutesPerDay)) % 7 + 7) % 7 + 1;
                std::string days = ".......";
                days[static_cast<size_t>(localDay - 1)] = static_cast<char>('0' + localDay);
                // A line flown every day keeps its flight numbers; the weekend's are others.
                const int flightNumber = number + leg + (spokes == weekend ? LegsPerDay : 0);
                table << "XX" << flightNumber << ";" << CodeFor(from) << ";" << CodeFor(to) << ";" << Clock(local)
                      << ";" << days << ";T" << type << "\r\n";
                universal += minutes + gaps[leg];
            }
        }
    }
}

struct Times {
    double readMs = 0;
    double buildMs = 0;
    double readCpuMs = 0; // processor time, which other programs on the machine take less from
    double buildCpuMs = 0;
};

double CpuMilliseconds(const std::function<void()>& timed)
{
    const std::clock_t start = std::clock();
    timed();
    return static_cast<double>(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC;
}
struct Nothing {};

void ReadWithCheckReaders(const Files& files)
{
    ReferenceData data;
    std::string error;
    ReadAirportFile(files.airports, data, error);
    ReadAircraftFile(files.aircraft, data, error);
    PlanFileReader reader(files.timetable);
    while (reader.Next()) {
    }
}

std::string Build(const Files& files)
{
    std::error_code ignored;
    fs::remove(files.out, ignored);
    std::vector<CommandArgument> arguments;
    for (const std::string& word :
         {std::string("--airports"), files.airports.string(), std::string("--aircraft"), files.aircraft.string(),
          std::string("--timetable"), files.timetable.string(), std::string("--week"), std::string("2025-06-18"),
          std::string("--out"), files.out.string()})
        arguments.push_back({word, word});
    std::FILE* out = std::tmpfile();
    RunPlanCheck(arguments, out, out);
    std::rewind(out);
    std::string printed;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, out))
        printed.append(buffer, n);
    std::fclose(out);
    return printed;
}
} // namespace

int main(int argc, char** argv)
{
    const fs::path folder = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "legwise-timetable-bench";
    fs::create_directories(folder);
    const Files files{folder / "airports.txt", folder / "aircraft.txt", folder / "timetable.csv", folder / "plans.txt"};
    const double writeMs = Milliseconds([&] { WriteFiles(files); });
    const double tableMb = static_cast<double>(fs::file_size(files.timetable)) / (1024.0 * 1024.0);
    std::printf("timetable of %d flights, %.1f MB, over %d airports and %d types (written in %.0f ms)\n", Flights,
                tableMb, Airports, Types, writeMs);

    if (argc > 2 && std::string(argv[2]) == "keep")
        return 0; // the files alone, for a profiler
    // The printed summary, once, outside the measurements.
    const std::string printed = Build(files);
    const size_t summary = printed.rfind("legwise-check: timetable");
    std::printf("%s", printed.substr(summary == std::string::npos ? 0 : summary).c_str());
    std::printf("plan file written: %.1f MB\n", static_cast<double>(fs::file_size(files.out)) / (1024.0 * 1024.0));

    Times times;
    long long referenceKb = 0;
    long long readKb = 0;
    long long buildKb = 0;
    Nothing nothing;
    bool ok = RunInChildProcess(
        [&] {
            std::vector<double> reading;
            std::vector<double> building;
            std::vector<double> readingCpu;
            std::vector<double> buildingCpu;
            // Five rounds, each reading then building: the medians stand when other work on the machine
            // slows a round or two.
            for (int round = 0; round < 5; ++round) {
                readingCpu.push_back(
                    CpuMilliseconds([&] { reading.push_back(Milliseconds([&] { ReadWithCheckReaders(files); })); }));
                buildingCpu.push_back(
                    CpuMilliseconds([&] { building.push_back(Milliseconds([&] { Build(files); })); }));
            }
            return Times{Median(reading), Median(building), Median(readingCpu), Median(buildingCpu)};
        },
        times);
    ok = ok
         && RunInChildProcess(
             [&] {
                 ReferenceData data;
                 std::string error;
                 ReadAirportFile(files.airports, data, error);
                 ReadAircraftFile(files.aircraft, data, error);
                 return Nothing{};
             },
             nothing, &referenceKb);
    ok = ok && RunInChildProcess([&] { return ReadWithCheckReaders(files), Nothing{}; }, nothing, &readKb);
    ok = ok && RunInChildProcess([&] { return Build(files), Nothing{}; }, nothing, &buildKb);
    if (!ok) {
        std::printf("FAILED: a measuring process did not finish\n");
        return 1;
    }
    std::printf("  reading the three files with the check's readers  %8.1f ms\n", times.readMs);
    std::printf("  building and writing the plans, reading included  %8.1f ms  (%.2f times reading)\n", times.buildMs,
                times.buildMs / times.readMs);
    std::printf("  the same in processor time: reading %.1f ms, building %.1f ms  (%.2f times reading)\n",
                times.readCpuMs, times.buildCpuMs, times.buildCpuMs / times.readCpuMs);
    std::printf("  peak memory, reading airports and aircraft alone  %8.1f MB\n", referenceKb / 1024.0);
    std::printf("  peak memory, reading the three files              %8.1f MB\n", readKb / 1024.0);
    std::printf(
        "  peak memory, building the plans                   %8.1f MB: %.1f MB above the reference files, "
        "%.2f times the timetable\n",
        buildKb / 1024.0, (buildKb - referenceKb) / 1024.0, (buildKb - referenceKb) / 1024.0 / tableMb);
    std::error_code ignored;
    for (const fs::path& path : {files.airports, files.aircraft, files.timetable, files.out})
        if (argc < 3 || std::string(argv[2]) != "keep")
            fs::remove(path, ignored);
    return 0;
}
