#pragma once
// legwise-check --airports FILE --zones [--date YYYY-MM-DD]: the zone of every airport entry and the
// offsets it keeps in the date's year, one line per entry in file order, for the user to review the
// file with the very lookup the check uses. Core, no Qt.

#include "planfile/CheckCommand.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

// Whether the arguments ask for the listing (--zones among them).
bool AsksForZoneListing(const std::vector<CommandArgument>& arguments);

// Exit status 0 when every entry is placed, 1 when any is not, 2 for an unreadable file or wrong
// arguments. Without --date, today (UT) is the date.
int RunZoneListing(const std::vector<CommandArgument>& arguments, std::FILE* out, std::FILE* err);

// "+1, +2 summer", "+5:30", "-3:30, -2:30 summer": the offsets `zone` keeps in `year`, standard ones
// first, each once; empty for a zone the offset table lacks.
std::string YearOffsetsText(std::string_view zone, int year);
