// legwise-check's window beside legwise-check itself, on the same files: a 100 MB plan file of 500,000
// daily plans of seven legs, or of 1,250,000 of two legs, an airport file of 1,000,000 lines and an
// aircraft file of 10,000 lines. Each case runs
// in a process of its own, so its peak memory is its own. Printed: how long the check takes and how long
// the window takes from Read until its table and the first plan's legs are shown (medians of several
// rounds), and the peak memory of the check, of the window reading the file once and reading it three
// times over, each against the plan file's size; beside them the peak of a window that has read the
// same airport and aircraft files with a plan file of one line.
//
// Usage: check_window [folder]   (default: the temporary folder; the files are deleted at the end)

#include "planfile/CheckCommand.h"
#include "planfile/gui/CheckWindow.h"
#include "support/ChildProcess.h"
#include "support/GeneratedFiles.h"
#include "support/Timing.h"

#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr double MB = 1024.0 * 1024.0;
constexpr int Rounds = 3;
constexpr int AirportLines = 1'000'000;
constexpr int AircraftLines = 10'000;

struct Files {
    fs::path airports, aircraft, plans, onePlan;
};

struct Times {
    double ms = 0;
};

// The check as the console runs it, its report thrown away.
double Check(const Files& files)
{
    const std::vector<CommandArgument> arguments = {{"--airports", files.airports},
                                                    {files.airports.string(), files.airports},
                                                    {"--aircraft", files.aircraft},
                                                    {files.aircraft.string(), files.aircraft},
                                                    {files.plans.string(), files.plans}};
    std::FILE* sink = std::fopen("/dev/null", "w");
    const double ms = Milliseconds([&] { RunPlanCheck(arguments, sink, stderr); });
    std::fclose(sink);
    return ms;
}

// In the child: a window that reads `plans` `reads` times; the median time of a read, until the
// window has painted what it read.
double ReadInWindow(const Files& files, const fs::path& plans, int reads)
{
    static int argc = 1;
    static char name[] = "check_window";
    static char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    CheckWindow window;
    const std::pair<const char*, const fs::path*> named[] = {
        {"PlanFile", &plans}, {"AirportFile", &files.airports}, {"AircraftFile", &files.aircraft}};
    for (const auto& [control, path] : named)
        window.findChild<QLineEdit*>(QLatin1String(control))->setText(QString::fromStdString(path->string()));
    window.show();
    QApplication::processEvents();
    std::vector<double> times;
    for (int read = 0; read < reads; ++read) {
        QEventLoop finished;
        QObject::connect(&window, &CheckWindow::WorkFinished, &finished, &QEventLoop::quit);
        times.push_back(Milliseconds([&] {
            window.Read();
            finished.exec();
            window.repaint();
        }));
    }
    return Median(times);
}

bool Measure(const Files& files)
{
    const double planMb = static_cast<double>(fs::file_size(files.plans)) / MB;
    Times check, once, thrice, small;
    long long checkKb = 0, onceKb = 0, thriceKb = 0, smallKb = 0;
    bool ok = RunInChildProcess(
        [&] {
            std::vector<double> times;
            for (int round = 0; round < Rounds; ++round)
                times.push_back(Check(files));
            return Times{Median(times)};
        },
        check, &checkKb);
    ok = ok && RunInChildProcess([&] { return Times{ReadInWindow(files, files.onePlan, 1)}; }, small, &smallKb);
    ok = ok && RunInChildProcess([&] { return Times{ReadInWindow(files, files.plans, 1)}; }, once, &onceKb);
    ok = ok && RunInChildProcess([&] { return Times{ReadInWindow(files, files.plans, Rounds)}; }, thrice, &thriceKb);
    if (!ok) {
        std::printf("FAILED: a measuring process did not finish\n");
        return false;
    }
    const auto mb = [](long long kb) { return static_cast<double>(kb) / 1024.0; };
    std::printf("  legwise-check                          %8.1f ms  peak %7.1f MB (%.2f x the plan file)\n", check.ms,
                mb(checkKb), mb(checkKb) / planMb);
    std::printf("  the window, read once                  %8.1f ms  peak %7.1f MB (%.2f x the plan file)\n", once.ms,
                mb(onceKb), mb(onceKb) / planMb);
    std::printf("  the window, read %d times              %8.1f ms  peak %7.1f MB (%.2f x the plan file)\n", Rounds,
                thrice.ms, mb(thriceKb), mb(thriceKb) / planMb);
    std::printf("  the window on a plan file of one line  %8.1f ms  peak %7.1f MB\n", small.ms, mb(smallKb));
    std::printf(
        "  the window's read against the check: %.2f x (target at most 1.5 x); its peak above the small file: "
        "%.2f x the plan file (once), %.2f x (%d times)\n",
        thrice.ms / check.ms, mb(onceKb - smallKb) / planMb, mb(thriceKb - smallKb) / planMb, Rounds);
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const fs::path where = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path();
    const fs::path folder = where / ("legwise-check-window-" + std::to_string(getpid()));
    fs::create_directories(folder);
    const Files files{folder / "airports.txt", folder / "aircraft.txt", folder / "plans.txt", folder / "one.txt"};
    WriteEuropeAirportFile(files.airports, AirportLines);
    WriteFastAircraftFile(files.aircraft, AircraftLines);
    WriteDailyPlanFile(files.onePlan, 1, 20'000, AircraftLines);
    std::printf(
        "airport file %.1f MB (%d lines), aircraft file %.1f MB (%d lines); medians of %d rounds\n"
        "targets: the window's read at most 1.5 x the check's time, its peak at most 3 x the plan file\n",
        static_cast<double>(fs::file_size(files.airports)) / MB, AirportLines,
        static_cast<double>(fs::file_size(files.aircraft)) / MB, AircraftLines, Rounds);
    bool ok = true;
    // Plans of seven legs as the check's benchmark has them, and as many again of two legs: more rows
    // for the window to hold in a file of the same size.
    for (const auto& [plans, legs, airports] : {std::tuple{500'000, 7, 20'000}, std::tuple{1'250'000, 2, 400'000}}) {
        WriteDailyPlanFile(files.plans, plans, airports, AircraftLines, legs);
        std::printf("\nplan file %.1f MB, %d plans of %d legs, destinations among %d airports\n",
                    static_cast<double>(fs::file_size(files.plans)) / MB, plans, legs, airports);
        ok = Measure(files) && ok;
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
    return ok ? 0 : 1;
}
