#pragma once
// Moving a plan file to another season: each departure keeps its local time at its departure airport
// while the airport's UTC offset changes between two dates, so its universal time moves by that
// change; an arrival time moves by its destination's change. Times that cross midnight wrap within
// the day (nHr, 24Hr) or change the day (WEEK, round the week's end). Every other byte of the file
// stays as it was. Core, no Qt.

#include "planfile/CheckCommand.h"
#include "planfile/PlanFileReader.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A date "YYYY-MM-DD" as days since 1970-01-01; nothing unless it is a real date from 2000 to 2050,
// the years the offset table holds.
std::optional<std::int64_t> ShiftDayFromText(std::string_view text);

// An airport whose offset differs between the two dates.
struct AirportChange {
    std::string code;
    std::string zone;
    int fromMinutes = 0; // UTC offsets at 12:00 UT of each date
    int toMinutes = 0;
};

// "+1 -> +2: universal times 1 h 00 min earlier".
std::string AirportChangeText(const AirportChange& change);

class SeasonShift {
public:
    SeasonShift(const ReferenceData& data, std::int64_t fromDay, std::int64_t toDay);

    // NoLine: a blank line or a comment; NoPlan: a line that is no plan the check knows.
    enum class Outcome { NoLine, Unchanged, Shifted, NoPlan, Unplaced };
    // Writes `line` (a line without its line end) shifted into `out`. NoPlan: `problem` says why the
    // line is no plan, and it is copied; Unplaced: an airport of the plan cannot be placed (`problem`
    // names each), and `out` holds the line unchanged.
    Outcome ShiftLine(std::string_view line, std::string& out, std::string& problem);

    long long TimesMoved() const { return m_timesMoved; }
    // Every airport met whose offset changes, by code.
    std::vector<AirportChange> Changes() const;

private:
    struct Airport {
        std::optional<int> seconds; // universal times move by this; nothing when it cannot be placed
        std::string problem;
        AirportChange change;
    };
    const Airport& Lookup(std::string_view code);

    const ReferenceData& m_data;
    std::int64_t m_fromMoment;
    std::int64_t m_toMoment;
    std::unordered_map<std::string, Airport> m_airports;
    PlanLine m_plan;
    long long m_timesMoved = 0;
};

struct LineProblem {
    std::int64_t line = 0;
    std::string text;
};

struct ShiftReport {
    std::string error;                 // why the files could not be read or the new one written
    std::vector<LineProblem> unplaced; // plans with an airport that cannot be placed: nothing written
    std::vector<LineProblem> noPlans;  // lines that are no plan, copied as they are
    std::vector<TextNote> notes;       // on the file's bytes: a lone CR, a Ctrl-Z before the end
    long long plans = 0;
    long long timesMoved = 0;
    std::vector<AirportChange> changes;
    bool cancelled = false;
    bool Written() const { return error.empty() && unplaced.empty() && !cancelled; }
};

// Called now and then with the bytes done of all to do; false cancels the shift.
using ShiftProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// Shifts `input` into `output`, a new file: a name that exists is refused, as is `input` itself.
// Nothing is written unless every airport can be placed. The input is read twice, through one handle,
// and written only when both reads gave the same bytes. The new file is written beside `output` and
// takes that name only when complete; a shift that fails or is cancelled midway leaves nothing.
ShiftReport ShiftPlanFile(const std::filesystem::path& input, const std::filesystem::path& output,
                          const ReferenceData& data, std::int64_t fromDay, std::int64_t toDay,
                          const ShiftProgress& progress = {});

// legwise-check --shift: shifts `plan` into `output` and reports, as the check reports, each plan with
// an airport that cannot be placed and each line that is no plan, then what was written and how
// each airport's offset changed. 0 when the file was written, 2 when it was not.
int RunSeasonShift(const CommandArgument& plan, const CommandArgument& output, std::int64_t fromDay, std::int64_t toDay,
                   const ReferenceData& data, std::FILE* out);
