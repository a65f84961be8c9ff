#pragma once
// Reading a plan file line by line, in text mode, without ever holding more than one line, and the
// two files the checks need beside it: airport positions and aircraft cruise speeds. Nothing is
// written, and a missing file is reported, never created. Core, no Qt.

#include "check/Geo.h"
#include "input/TextFile.h"
#include "planfile/ListedCodes.h"
#include "planfile/PlanLine.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The file a reader of the check opened last: what it was reading when memory ran out.
std::filesystem::path FileBeingRead();
void NoteFileBeingRead(const std::filesystem::path& path);

// Why `path` cannot be read: it is missing, a folder, a pipe or unreadable. Empty when it can.
std::string UnreadableReason(const std::filesystem::path& path);

// A line's note on the bytes of its file, which changes no finding: "warning: TEXT".
struct TextNote {
    std::int64_t line = 0;
    std::string text;
};
// The note for a line that holds a CR that no LF follows; nothing when it holds none.
std::optional<TextNote> LoneCrNote(std::string_view line, std::int64_t lineNumber);
// The note for a 0x1A that ended the text with bytes after it; nothing when none did.
std::optional<TextNote> TextStopNote(const TextStop& stop);

// Reads `path` as the check reads a file, handing each line and its number to `add` until it returns
// false, and each note on the file's bytes (a lone CR, a 0x1A that ends the text early) to `note`.
// False, with the reason in `error`, when the file cannot be opened or read to its end.
bool ReadNotedLines(const std::filesystem::path& path, std::string& error,
                    const std::function<bool(std::string_view, std::int64_t)>& add,
                    const std::function<void(TextNote&&)>& note);

// Reads a plan file, or the airport or aircraft file: only a file that exists, a UTF-8 byte-order mark
// at its start skipped, UTF-16 text refused.
class PlanFileReader {
public:
    // `firstLine`: the number the first line gets.
    explicit PlanFileReader(const std::filesystem::path& path, std::int64_t firstLine = 1);

    // Empty when the file is open; otherwise why it is not.
    const std::string& OpenError() const { return m_openError; }
    bool HadReadError() const { return m_reader && m_reader->HadReadError(); }

    // Reads the next physical line; false at the end of the file.
    bool Next();
    std::int64_t LineNumber() const { return m_lineNumber; } // 1 for the first line
    // Once the last line is read: where a 0x1A ended the text before the file's end.
    TextStop Stop() const { return m_reader ? m_reader->Stop() : TextStop{}; }
    PlanLineKind Kind() const { return m_kind; }
    const PlanLine& Plan() const { return m_plan; } // valid for a Plan line until the next call
    const std::string& Reason() const { return m_reason; }
    const std::string& Text() const { return m_line; }

    // Reads the next physical line into `line` alone, for a caller that reads it with ReadPlanLine
    // itself (to hold several lines at once); Kind, Plan, Reason and Text stay as they were.
    bool NextLine(std::string& line);

private:
    std::optional<TextFileReader> m_reader;
    std::string m_openError;
    std::string m_line;
    std::int64_t m_lineNumber = 0;
    PlanLineKind m_kind = PlanLineKind::Blank;
    PlanLine m_plan;
    std::string m_reason;
};

// Where a line of the airport file places a code, with what the distances from there need.
struct AirportPlace {
    GeoPosition position;
    double cosLatitude = 1; // worked out once for all the distances from here
};

// An aircraft key's cruise speed.
struct AircraftSpeed {
    int knots = 0;
};

using AirportEntry = ListedCode<AirportPlace>;
using AircraftEntry = ListedCode<AircraftSpeed>;

struct ReferenceData {
    ListedCodes<AirportPlace> airports;
    ListedCodes<AircraftSpeed> aircraft;
    std::vector<TextNote> airportNotes; // on the bytes of the airport file
    std::vector<TextNote> aircraftNotes;
};

// One line of the airport file: its code (before the first comma, trimmed) and position. A code that
// comes again keeps its first line that has a readable position: files grow by appending copies of
// other files, so the first line is the one the user wrote or chose, and the one a search from the
// top finds. A later line is used only while no earlier one could be placed.
void AddAirportLine(ReferenceData& data, std::string_view line, std::int64_t lineNumber);
// One line of the aircraft file: its key (before the first comma, trimmed) and cruise speed, with the
// same rule for keys that come again.
void AddAircraftLine(ReferenceData& data, std::string_view line, std::int64_t lineNumber);

// Reads a whole airport or aircraft file into `data`; false with the reason when it cannot be read.
bool ReadAirportFile(const std::filesystem::path& path, ReferenceData& data, std::string& error);
bool ReadAircraftFile(const std::filesystem::path& path, ReferenceData& data, std::string& error);
