#pragma once
// The plans of one file as rows of a table, for the window of legwise-check: each plan line and each
// line that is no plan, with its registration, aircraft, period, legs and how many errors and
// warnings the check finds in it. Kept compact (a row holds offsets, its texts share one block), so
// a file of millions of plans fits; a row's legs and findings are read again from the file when
// asked for. Core, no Qt.

#include "planfile/LoopWalk.h"
#include "planfile/PlanFileReader.h"
#include "planfile/PlanFindings.h"
#include "planfile/SeasonShift.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct PlanRow {
    std::int64_t line = 0;
    std::uint64_t offset = 0; // of the line in the file
    std::uint32_t textAt = 0; // aircraft, registration and period, one after the other in PlanTable::text
    std::uint8_t aircraftSize = 0;
    std::uint8_t registrationSize = 0;
    std::uint8_t periodSize = 0;
    bool plan = false; // false: a line that is no plan
    std::uint32_t legs = 0;
    std::uint32_t errors = 0;
    std::uint32_t warnings = 0;
};

struct PlanTable {
    std::vector<PlanRow> rows; // in the order of the lines
    std::string text;
    std::vector<std::pair<std::int64_t, std::string>> shared; // line: the warning on its shared registration
    std::vector<std::uint32_t> unplaced;                      // rows of plans with an airport that has no place
    std::string error;                                        // why the file could not be read
    // Notes on the file's bytes: the first lone CRs, and a 0x1A that ends the text early; how many more.
    std::vector<TextNote> notes;
    std::int64_t notesLeftOut = 0;
    std::int64_t notesOffRows = 0; // the notes on lines without a row, which no row counts as its warning
    bool cancelled = false;

    std::string_view Aircraft(const PlanRow& row) const { return {text.data() + row.textAt, row.aircraftSize}; }
    std::string_view Registration(const PlanRow& row) const
    {
        return {text.data() + row.textAt + row.aircraftSize, row.registrationSize};
    }
    std::string_view Period(const PlanRow& row) const
    {
        return {text.data() + row.textAt + row.aircraftSize + row.registrationSize, row.periodSize};
    }
};

// Reads and checks every line of `path`; `progress` is called now and then and cancels with false.
PlanTable ReadPlanTable(const std::filesystem::path& path, const ReferenceData& data, int turnaround,
                        const ShiftProgress& progress = {});

// One row read again: its line, the plan and its loop, and every finding, the shared registration's
// included. Not to be copied: the plan points into the line.
struct PlanDetail {
    PlanDetail() = default;
    PlanDetail(const PlanDetail&) = delete;
    PlanDetail& operator=(const PlanDetail&) = delete;

    std::string line;
    bool plan = false;
    PlanLine parsed;
    WalkedLoop loop;
    std::vector<Finding> findings;
};

// False with the reason when the line cannot be read again.
bool ReadPlanDetail(const std::filesystem::path& path, const PlanTable& table, const PlanRow& row,
                    const ReferenceData& data, int turnaround, PlanDetail& detail, std::string& error);

// The plans of `table` that the season shift from `fromDay` to `toDay` cannot move, as an airport of
// theirs cannot be placed: at most `limit`, in the order of their lines, each with the airports it
// names. A line that cannot be read again is left out.
std::vector<LineProblem> UnplacedPlans(const std::filesystem::path& path, const PlanTable& table,
                                       const ReferenceData& data, std::int64_t fromDay, std::int64_t toDay,
                                       size_t limit);
