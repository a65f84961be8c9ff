// The plan dialog on huge lists: set up on a 100 MB airport file of 3,000,000 random four-letter
// codes (each code some six times over), and on an aircraft file of 1,000,000 lines. Each case runs in
// a process of its own, so its peak memory is its own. Printed per case: the set-up time as a multiple
// of reading the same two files alone (medians of several rounds), the peak memory above the idle
// process (the program with a plan dialog opened and closed once on small files) against the size of
// the large file, and what stays after the dialog closed; and how long the plan check takes to follow
// a change of the leg being composed, with four legs accepted.
//
// Usage: huge_lists [folder]   (default: the temporary folder; the files are deleted at the end)

#include "app/Controls.h"
#include "app/HeapTuning.h"
#include "app/PlannerState.h"
#include "input/ListReading.h"
#include "plan/PlanDialog.h"
#include "support/ChildProcess.h"
#include "support/GeneratedFiles.h"
#include "support/Timing.h"

#include <QApplication>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr double MB = 1024.0 * 1024.0;
constexpr int Rounds = 5;

// `lines` airport lines whose codes are four capitals drawn at random: with 456,976 possible codes,
// 3,000,000 lines hold each code about six times.
void WriteRandomCodeAirports(const fs::path& path, int lines)
{
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(20240611);
    std::string line;
    for (int i = 0; i < lines; ++i) {
        line.clear();
        for (int k = 0; k < 4; ++k)
            line += static_cast<char>('A' + random() % 26);
        line += ",N" + std::to_string(i % 90) + "* " + std::to_string(i % 60) + ".00',E" + std::to_string(i % 180)
                + "* " + std::to_string(i % 60) + ".00'," + std::to_string(i % 3000) + "\r\n";
        out << line;
    }
}

double ResidentMb()
{
    long pages = 0;
    long resident = 0;
    if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / MB;
}

double PeakMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0; // kilobytes on Linux
}

struct Case {
    const char* name;
    fs::path airports;
    fs::path aircraft;
    fs::path large; // the one whose size the memory is measured against
    const char* target;
};

struct Figures {
    double readMs = 0;
    double setUpMs = 0;
    double firstSetUpMs = 0;
    double showMs = 0;
    double idleMb = 0;
    double peakMb = 0;
    double afterCloseMb = 0;
    double checkMs = 0;    // median update of the plan check
    double checkMaxMs = 0; // the slowest
};

std::unique_ptr<CPlanDialog> OpenDialog(const fs::path& airports, const fs::path& aircraft)
{
    ResetState();
    State().airportChosenPath = airports;
    State().aircraftChosenPath = aircraft;
    auto dialog = std::make_unique<CPlanDialog>(nullptr);
    dialog->OnInitDialog();
    if (!dialog->ReadProblem().isEmpty())
        std::abort();
    return dialog;
}

// In the child process: the program as it stands before a Start, then the case.
Figures RunCase(const Case& c, const fs::path& smallAirports, const fs::path& smallAircraft)
{
    Figures figures;
    {
        std::unique_ptr<CPlanDialog> small = OpenDialog(smallAirports, smallAircraft);
        small->show();
        QApplication::processEvents();
    }
    QApplication::processEvents();
    figures.idleMb = ResidentMb();

    std::unique_ptr<CPlanDialog> dialog;
    figures.firstSetUpMs = Milliseconds([&] { dialog = OpenDialog(c.airports, c.aircraft); });
    figures.showMs = Milliseconds([&] {
        dialog->show();
        QApplication::processEvents();
    });
    figures.peakMb = PeakMb() - figures.idleMb;
    dialog.reset();
    QApplication::processEvents();
    figures.afterCloseMb = ResidentMb() - figures.idleMb;

    std::vector<double> reading, setUp;
    for (int round = 0; round < Rounds; ++round) {
        reading.push_back(Milliseconds([&] {
            const ListReadResult airports = ReadAirportCodes(c.airports);
            const ListReadResult aircraft = ReadAircraftEntries(c.aircraft);
            if (airports.entries.empty() && aircraft.entries.empty())
                std::abort();
        }));
        setUp.push_back(Milliseconds([&] { dialog = OpenDialog(c.airports, c.aircraft); }));
        dialog.reset();
    }
    figures.readMs = Median(reading);
    figures.setUpMs = Median(setUp);

    // The check after each change of the composing leg's destination, to a code never looked up before.
    dialog = OpenDialog(c.airports, c.aircraft);
    dialog->show();
    QApplication::processEvents();
    dialog->OnAcceptHeader();
    auto* destination = dialog->findChild<DestinationBox*>(QStringLiteral("IDC_DESTINATION"));
    const int count = destination->Count();
    for (int leg = 1; leg <= 4; ++leg) {
        destination->SetCurSel(count / 5 * leg);
        dialog->OnAcceptLeg();
    }
    std::vector<double> updates;
    for (int round = 0; round < 50; ++round)
        updates.push_back(Milliseconds([&] { destination->SetCurSel((round * 7919 + 13) % count); }));
    figures.checkMs = Median(updates);
    figures.checkMaxMs = *std::max_element(updates.begin(), updates.end());
    return figures;
}

bool Measure(const Case& c, const fs::path& smallAirports, const fs::path& smallAircraft, int argc, char** argv,
             Figures& figures)
{
    return RunInChildProcess(
        [&] {
            KeepFreedMemory(); // as the program itself does
            QApplication app(argc, argv);
            return RunCase(c, smallAirports, smallAircraft);
        },
        figures);
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const fs::path where = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path folder = where / ("legwise-huge-lists-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path smallAirports = folder / "small-airports.txt";
    const fs::path smallAircraft = folder / "small-aircraft.txt";
    WriteAirportFile(smallAirports, 100);
    WriteAircraftFile(smallAircraft, 100);
    const fs::path randomAirports = folder / "random-airports.txt";
    const fs::path manyAircraft = folder / "many-aircraft.txt";
    WriteRandomCodeAirports(randomAirports, 3'000'000);
    WriteAircraftFile(manyAircraft, 1'000'000);

    const Case cases[] = {
        {"3,000,000 airports, random codes", randomAirports, smallAircraft, randomAirports,
         "set-up at most 3 x the reading and under 1 s"},
        {"1,000,000 aircraft", smallAirports, manyAircraft, manyAircraft, "peak memory at most 2 x the file"},
    };
    bool allOk = true;
    for (const Case& c : cases) {
        Figures f;
        if (!Measure(c, smallAirports, smallAircraft, argc, argv, f)) {
            std::printf("%s: FAILED\n", c.name);
            allOk = false;
            continue;
        }
        const double sizeMb = static_cast<double>(fs::file_size(c.large)) / MB;
        std::printf("\n%s (%.1f MB file), medians of %d rounds; target: %s\n", c.name, sizeMb, Rounds, c.target);
        std::printf("  reading both files alone   %7.1f ms\n", f.readMs);
        std::printf("  plan dialog set-up         %7.1f ms  (%.2f x the reading; first opening %.1f ms)\n", f.setUpMs,
                    f.setUpMs / f.readMs, f.firstSetUpMs);
        std::printf("  showing it afterwards      %7.1f ms\n", f.showMs);
        std::printf("  peak memory above idle     %7.1f MB  (%.2f x the file; idle %.1f MB)\n", f.peakMb,
                    f.peakMb / sizeMb, f.idleMb);
        std::printf("  kept after it closed       %7.1f MB\n", f.afterCloseMb);
        std::printf("  plan check update          %7.2f ms  (median of 50, slowest %.2f ms; target under 20 ms)\n",
                    f.checkMs, f.checkMaxMs);
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return allOk ? 0 : 1;
}
