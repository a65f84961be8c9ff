#pragma once
// A timetable read, its week's lines built and their plans written, in one call: what the console
// form reports and what the window shows come from here. Core, no Qt.

#include "timetable/TimetablePlans.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

struct TimetableJob {
    std::filesystem::path airports;
    std::filesystem::path aircraft;
    std::filesystem::path timetable;
    std::filesystem::path out;
    std::string name;     // the timetable as the user named it, for the comment at the top of the file
    std::int64_t day = 0; // any day of the week wanted (days since 1970-01-01)
    PlanWriting writing;
};

// A flight left out, once per row and reason, with the local days (digits, Monday = 1) it is left out on.
struct LeftOutRow {
    int line = 0;
    std::string flight;
    std::string days;
    std::string reason;
};

struct TimetableOutcome {
    std::string error;     // why nothing could be read: the airport, aircraft or timetable file
    std::string errorFile; // which of them: "airports", "aircraft" or "timetable"
    bool cancelled = false;
    ReferenceData data;
    Timetable table;
    TimetableWeek week;
    Fleet fleet;
    std::vector<RowProblem> refused; // rows of the table or of the week, by line
    std::vector<LeftOutRow> leftOut; // by line, then reason
    WrittenPlans written;
};

// Reads, builds and writes; `keepGoing(step, steps)` is asked between the steps and stops the work
// (nothing written) when it answers false.
TimetableOutcome BuildTimetablePlans(const TimetableJob& job,
                                     const std::function<bool(int step, int steps)>& keepGoing = {});
