#pragma once
// legwise-check --timetable: reads an airline timetable, turns a week of it into universal time,
// builds the lines of flying and writes them as plans to a new file, then reports what it read, what
// it left out and why, the aircraft the lines need against the fewest possible, and the plans written.
// Core, no Qt.

#include "planfile/CheckCommand.h"

#include <cstdio>
#include <vector>

// True when the arguments ask for a timetable's plans.
bool AsksForTimetable(const std::vector<CommandArgument>& arguments);

// Exit status 0 when the plans were written and nothing was left out, 1 when rows were refused or
// flights or plans left out, 2 when nothing was written.
int RunTimetable(const std::vector<CommandArgument>& arguments, std::FILE* out, std::FILE* err);
