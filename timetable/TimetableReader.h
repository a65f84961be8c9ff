#pragma once
// Reading an airline timetable: a text table with a header row, its columns separated by commas,
// semicolons or tabs (whichever the header holds most of), named in any letter case and order,
// fields optionally in double quotes. Each row is one flight number on its days of the week. A row
// that cannot be read is refused with its line number and the reason; the rest is still read. Bytes
// are kept as they are. Core, no Qt.

#include "planfile/PlanFileReader.h"

#include <climits>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Where a text of a row lies in the timetable's pool of bytes.
struct PoolText {
    std::uint32_t at = 0;
    std::uint32_t size = 0;
};

// "1234567", "1.3.5..", "135", "-2-4---": bit d-1 for each day d present (Monday = 1 to Sunday = 7);
// nothing for any other byte or when no day is present.
std::optional<std::uint8_t> DaysFromText(std::string_view text);

// "HH:MM" (or "H:MM") as minutes after midnight, 0 to 1439; -1 for anything else.
int MinutesFromText(std::string_view text);

// A local arrival: "HH:MM", optionally followed by "+1", "+2" or "-1" when it falls on another day.
struct LocalArrival {
    std::int16_t minutes = 0;
    std::int8_t dayShift = 0;
};
std::optional<LocalArrival> ArrivalFromText(std::string_view text);

// The fields of one line of the table: separated by `separator`, each without the blanks around it;
// a field in double quotes keeps its bytes ("" inside stands for one quote). False when a quote is
// still open at the end of `line` (the field goes on in the next line).
bool SplitTableLine(std::string_view line, char separator, std::vector<std::string>& fields);

struct TimetableAirport {
    std::string code;
    const AirportPlace* place = nullptr; // never null, always with a position
};

struct TimetableAircraft {
    std::string key;
    AircraftEntry speed; // always listed
};

// A row in 40 bytes: a timetable of millions of rows is held whole.
struct TimetableRow {
    int line = 0; // of the row's first byte
    PoolText flight;
    std::uint32_t registrationSize = 0; // in the pool after the flight number; 0 when the table gives none
    std::uint32_t from = 0;             // into Timetable::airports
    std::uint32_t to = 0;
    std::uint32_t aircraft = 0;         // into Timetable::aircraft
    std::int16_t departs = 0;           // local minutes after midnight
    std::int16_t arrives = -1;          // local minutes after midnight at `to`; -1 when the table gives none
    std::int8_t arrivesDayShift = 0;    // +1, +2 or -1 when the arrival falls on another day
    std::uint8_t days = 0;              // DaysFromText
    std::uint8_t levelSize = 0;         // in the pool after the registration: digits, none when the table gives none
    std::int16_t validFrom = INT16_MIN; // days since 1970-01-01, inclusive (dates of 2000 to 2050 fit)
    std::int16_t validTo = INT16_MAX;

    bool HasArrival() const { return arrives >= 0; }
};

struct RowProblem {
    int line = 0;
    std::string text;
};

struct Timetable {
    std::string error; // why the file cannot be read at all (unreadable, no header, a column missing)
    std::string pool;  // the bytes of the rows' texts
    std::vector<TimetableRow> rows;
    std::vector<TimetableAirport> airports;
    std::vector<TimetableAircraft> aircraft;
    std::vector<RowProblem> refused;
    long long rowsRead = 0; // every row that is not blank, refused ones included

    std::string_view Text(PoolText text) const { return std::string_view(pool).substr(text.at, text.size); }
    std::string_view Registration(const TimetableRow& row) const
    {
        return std::string_view(pool).substr(row.flight.at + row.flight.size, row.registrationSize);
    }
    std::string_view Level(const TimetableRow& row) const
    {
        return std::string_view(pool).substr(row.flight.at + row.flight.size + row.registrationSize, row.levelSize);
    }
};

// Reads the table in `bytes` (text-mode bytes, lines ending in LF) against the airport and aircraft files.
Timetable ReadTimetableText(std::string_view bytes, const ReferenceData& data);
// Reads the file at `path`; a missing file is reported, never created.
Timetable ReadTimetableFile(const std::filesystem::path& path, const ReferenceData& data);
