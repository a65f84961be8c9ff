#pragma once
// Plans from the lines of a timetable's week, in the form the plan dialog writes them: a header
// (aircraft, registration, traffic percentage, 24Hr or WEEK, IFR) and one leg per flight with its
// universal departure, its universal arrival where the timetable gives one, the flight level, F, the
// flight number and the destination. Each plan is checked as legwise-check checks plan files before
// it is written; one that draws an error is left out. Core, no Qt.

#include "timetable/LineBuilding.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct PlanWriting {
    int turnaround = 30;
    std::string registrationPrefix = "LW"; // built lines: the prefix and a running number, "LW0001"
    int percent = 100;
};

// The plan line of `line` (no line end).
std::string ComposeLinePlan(const Timetable& table, const TimetableWeek& week, const FleetLine& line,
                            std::string_view registration, int percent);

struct WrittenPlans {
    std::string error;                 // why nothing was written
    long long plans = 0;               // written
    long long flights = 0;             // in the plans written, each day of a 24Hr plan's flights counted
    std::vector<std::string> leftOut;  // plans that drew an error: why, with their flights
    std::vector<std::string> warnings; // of plans written
};

// Writes the plans of `fleet` into `output`, a new file: an existing name is refused, and the file
// appears whole or not at all (written under a name of its own beside it, synced, then given its
// name). `comment` goes into the comment block at its top.
WrittenPlans WriteFleetPlans(const std::filesystem::path& output, std::string_view comment, const Timetable& table,
                             const TimetableWeek& week, const Fleet& fleet, const ReferenceData& data,
                             const PlanWriting& writing);
