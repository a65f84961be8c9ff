#pragma once
// The one record that outlives a command: it lives for the whole run and is never saved.

#include <filesystem>
#include <string>

enum ScreenState : int {
    ScreenWelcome = 0,
    ScreenChooseAirports = 1,
    ScreenChooseAircraft = 2,
    ScreenFailed = 3,
    ScreenSucceeded = 4,
    ScreenOptions = 5,
    ScreenReady = 6,
};

struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct PlannerState {
    int screen = ScreenWelcome; // may hold an out-of-range value; the painter resets it
    int filesReady = 1;
    int reuseFiles = 0;
    ScreenRect screenRect; // the primary screen's size, taken once at start-up

    // Lower-cased full paths of the last confirmed choices, and beside them the paths exactly as the
    // user chose them: on a file system that tells letter case apart, only the latter open the file.
    std::string airportPath;
    std::string aircraftPath;
    std::filesystem::path airportChosenPath;
    std::filesystem::path aircraftChosenPath;

    std::string comment;
    std::string firstDestination;
    std::string quietFrom;
    std::string quietUntil;

    int firstHour = 0;
    int endHour = 0;
    int departureIndex = 0;
    int destinationIndex = 0;
    int periodIndex = 0;

    std::string headerText;
    std::string legText;
    std::string planText;
    int legCount = 0;

    const std::string lineBreak = "\n";
    const std::string planFileName = "flightplanspersonal.txt";
};

// The process-wide planner state.
PlannerState& State();

// Puts every field back to its initial value (a fresh run; tests start from here).
void ResetState();
