#pragma once
// Reading the two TTools input files into ordered lists: aircraft entries and airport codes.
// Each physical line is one line, whatever its length; a NUL ends a line's text, a byte 0x1A ends
// the file, CR LF counts as one line end.

#include "input/EntryList.h"

#include <cstdint>
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

// Where to start reading to find an entry's line again: the entries before `fileOffset`'s line.
struct EntryMark {
    std::uint64_t fileOffset = 0;
    size_t entriesBefore = 0;
};

struct ListReadResult {
    EntryList entries; // in file order, duplicates kept
    // For the airport file, one mark per 64 KiB read: a few bytes per thousand lines, so an entry's
    // own line is found again without reading the file once more.
    std::vector<EntryMark> marks;
    bool ok = true;    // false when the file could not be opened or read
    std::string error; // the reason, for the user, when !ok
};

// A missing file whose folder exists is created empty and reads as an empty list (ok).
ListReadResult ReadAircraftEntries(const std::filesystem::path& path);
ListReadResult ReadAirportCodes(const std::filesystem::path& path);

// The whole line that gave airport entry `entryIndex`, `code`, of a reading that noted `marks`, as
// the line stands in the file now; nothing when the file can no longer be read or no longer gives
// that code there.
std::optional<std::string> AirportLineOfEntry(const std::filesystem::path& path, const std::vector<EntryMark>& marks,
                                              size_t entryIndex, std::string_view code);
