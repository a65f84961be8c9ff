// How long the plan dialog takes to open on a world-sized airport list (50,000 codes) and a large
// fleet (10,000 aircraft), against reading the two files alone. Both files are read afresh at every
// opening. At the end it prints the medians and the set-up time as a multiple of the reading.

#include "app/Controls.h"
#include "app/HeapTuning.h"
#include "app/PlannerState.h"
#include "input/ListReading.h"
#include "plan/PlanDialog.h"
#include "support/GeneratedFiles.h"
#include "support/ProcessFigures.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#ifdef __GLIBC__
#include <malloc.h>
#endif
#ifndef _WIN32
#include <sys/resource.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr int AirportCount = 50'000;
constexpr int AircraftCount = 10'000;

struct Files {
    fs::path airports;
    fs::path aircraft;
};
Files g_files;

void ReadBoth()
{
    const ListReadResult airports = ReadAirportCodes(g_files.airports);
    const ListReadResult aircraft = ReadAircraftEntries(g_files.aircraft);
    if (airports.entries.size() != AirportCount || aircraft.entries.size() != AircraftCount)
        std::abort();
    benchmark::DoNotOptimize(airports.entries);
    benchmark::DoNotOptimize(aircraft.entries);
}

// A fresh run's state pointing at the generated files, as after the file choices of Start.
void PrepareState()
{
    ResetState();
    State().airportChosenPath = g_files.airports;
    State().aircraftChosenPath = g_files.aircraft;
}

std::unique_ptr<CPlanDialog> OpenDialog()
{
    auto dialog = std::make_unique<CPlanDialog>(nullptr);
    dialog->OnInitDialog();
    if (!dialog->ReadProblem().isEmpty())
        std::abort();
    return dialog;
}

void BM_ReadBothFilesAlone(benchmark::State& state)
{
    for (auto _ : state)
        ReadBoth();
}
BENCHMARK(BM_ReadBothFilesAlone)->Unit(benchmark::kMillisecond);

void BM_PlanDialogSetUp(benchmark::State& state)
{
    PrepareState();
    for (auto _ : state) {
        std::unique_ptr<CPlanDialog> dialog = OpenDialog();
        state.PauseTiming();
        dialog.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlanDialogSetUp)->Unit(benchmark::kMillisecond);

// The same two on a heap that has given its free memory back to the system, as after a plan
// dialog was closed: every page they use is fresh. Reading alone warm reuses the same pages at every
// iteration, which the dialog, keeping the lists until it closes, cannot.
#ifdef __GLIBC__
void BM_ReadBothFilesAloneColdHeap(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        state.ResumeTiming();
        ReadBoth();
    }
}
BENCHMARK(BM_ReadBothFilesAloneColdHeap)->Unit(benchmark::kMillisecond);

void BM_PlanDialogSetUpColdHeap(benchmark::State& state)
{
    PrepareState();
    for (auto _ : state) {
        state.PauseTiming();
        malloc_trim(0);
        state.ResumeTiming();
        std::unique_ptr<CPlanDialog> dialog = OpenDialog();
        state.PauseTiming();
        dialog.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlanDialogSetUpColdHeap)->Unit(benchmark::kMillisecond);
#endif

// The empty dialog alone, its controls built from the template: the part of the set-up that does
// not grow with the files.
void BM_PlanDialogConstructionAlone(benchmark::State& state)
{
    PrepareState();
    for (auto _ : state) {
        auto dialog = std::make_unique<CPlanDialog>(nullptr);
        state.PauseTiming();
        dialog.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlanDialogConstructionAlone)->Unit(benchmark::kMillisecond);

// The two fills that grow with the files, each alone: the sorted destination box with 50,000 codes
// and the aircraft list with 10,000 entries.
void BM_DestinationBoxFill(benchmark::State& state)
{
    const EntryList codes = ReadAirportCodes(g_files.airports).entries;
    for (auto _ : state) {
        state.PauseTiming();
        EntryList entries = codes;
        auto box = std::make_unique<DestinationBox>();
        state.ResumeTiming();
        box->SetEntries(std::move(entries));
        box->SetCurSel(0);
        state.PauseTiming();
        box.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_DestinationBoxFill)->Unit(benchmark::kMillisecond);

void BM_AircraftListFill(benchmark::State& state)
{
    const EntryList entries = ReadAircraftEntries(g_files.aircraft).entries;
    for (auto _ : state) {
        state.PauseTiming();
        auto list = std::make_unique<OneLineList>(false);
        state.ResumeTiming();
        list->AddStrings(entries);
        list->SetCurSel(0);
        state.PauseTiming();
        list.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_AircraftListFill)->Unit(benchmark::kMillisecond);

// The second opening of the same run: the first dialog is gone, its remembered indexes stay.
void BM_PlanDialogSetUpSecondOpening(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        PrepareState();
        OpenDialog().reset();
        State().destinationIndex = 25'000;
        state.ResumeTiming();
        std::unique_ptr<CPlanDialog> dialog = OpenDialog();
        state.PauseTiming();
        dialog.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlanDialogSetUpSecondOpening)->Unit(benchmark::kMillisecond);

// Set-up, then the dialog shown and painted (offscreen), as the user waits for it.
void BM_PlanDialogSetUpAndShow(benchmark::State& state)
{
    PrepareState();
    for (auto _ : state) {
        std::unique_ptr<CPlanDialog> dialog = OpenDialog();
        dialog->show();
        QApplication::processEvents();
        state.PauseTiming();
        dialog.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PlanDialogSetUpAndShow)->Unit(benchmark::kMillisecond);

// The time `timed` takes, in milliseconds; its page faults are added to `faults`.
double Milliseconds(const std::function<void()>& timed, std::vector<double>* faults = nullptr)
{
    const double faultsBefore = MinorFaults();
    const auto start = std::chrono::steady_clock::now();
    timed();
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (faults)
        faults->push_back(MinorFaults() - faultsBefore);
    return ms;
}

double Median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Reading alone, a first and a second opening, taken in turns so that all three meet the same load
// on the machine; each opening reads both files afresh. The dialogs are destroyed untimed.
void PrintSummary()
{
    constexpr int Rounds = 21;
    std::vector<double> reading, first, second;
    std::vector<double> readingFaults, firstFaults, secondFaults;
    for (int round = 0; round < Rounds; ++round) {
        reading.push_back(Milliseconds(ReadBoth, &readingFaults));
        PrepareState();
        std::unique_ptr<CPlanDialog> dialog;
        first.push_back(Milliseconds([&] { dialog = OpenDialog(); }, &firstFaults));
        dialog.reset();
        second.push_back(Milliseconds([&] { dialog = OpenDialog(); }, &secondFaults));
        dialog.reset();
    }
    const double read = Median(reading);
    std::printf("\nMedians of %d rounds, %d airports and %d aircraft:\n", Rounds, AirportCount, AircraftCount);
    std::printf("  reading both files alone        %6.1f ms  %6.0f page faults\n", read, Median(readingFaults));
    std::printf(
        "  plan dialog set-up              %6.1f ms  %6.0f page faults  (%.2f x the reading; target: at most 3 x and "
        "under 250 ms)\n",
        Median(first), Median(firstFaults), Median(first) / read);
    std::printf("  second opening, files re-read   %6.1f ms  %6.0f page faults  (%.2f x the reading)\n", Median(second),
                Median(secondFaults), Median(second) / read);
}
} // namespace

int main(int argc, char** argv)
{
    KeepFreedMemory(); // as the program itself does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    g_files.airports = fs::path(folder.path().toStdString()) / "airports.txt";
    g_files.aircraft = fs::path(folder.path().toStdString()) / "aircraft.txt";
    WriteAirportFile(g_files.airports, AirportCount);
    WriteAircraftFile(g_files.aircraft, AircraftCount);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintSummary();
    return 0;
}
