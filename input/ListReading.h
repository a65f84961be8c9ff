#pragma once
// Reading the two TTools input files into ordered lists: aircraft entries and airport codes.
// Each physical line is one line, whatever its length; a NUL ends a line's text, a byte 0x1A ends
// the file, CR LF counts as one line end.

#include "input/EntryList.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The aircraft entry of one line: nothing for a line that is blank throughout; otherwise the line,
// trimmed, up to and including its second double quote (an empty entry when it has fewer than two).
std::optional<std::string> AircraftEntryFromLine(std::string_view line);

// The airport code of one line: the text before the first comma, trimmed; nothing when that is empty.
std::optional<std::string> AirportCodeFromLine(std::string_view line);

struct ListReadResult {
    EntryList entries; // in file order, duplicates kept
    bool ok = true;    // false when the file could not be opened or read
    std::string error; // the reason, for the user, when !ok
};

// A missing file whose folder exists is created empty and reads as an empty list (ok).
ListReadResult ReadAircraftEntries(const std::filesystem::path& path);
ListReadResult ReadAirportCodes(const std::filesystem::path& path);
