#include "timetable/TimetableRun.h"

#include "check/Calendar.h"

#include <algorithm>
#include <map>
#include <utility>

namespace {
// Each left-out flight's row once per reason, with the local days it was left out on.
std::vector<LeftOutRow> LeftOutRows(const Timetable& table, const TimetableWeek& week, const Fleet& fleet)
{
    std::map<std::pair<std::uint32_t, std::string>, std::string> rows; // by row and reason: the days
    for (const LeftOutFlight& left : fleet.leftOut) {
        const WeekFlight& flight = week.flights[left.flight];
        std::string& days = rows[{flight.row, left.reason}];
        if (days.find(static_cast<char>('0' + flight.day)) == std::string::npos)
            days += static_cast<char>('0' + flight.day);
    }
    std::vector<LeftOutRow> result;
    for (auto& [key, days] : rows) {
        std::sort(days.begin(), days.end());
        const TimetableRow& row = table.rows[key.first];
        result.push_back({row.line, std::string(table.Text(row.flight)), days, key.second});
    }
    return result;
}
} // namespace

TimetableOutcome BuildTimetablePlans(const TimetableJob& job, const std::function<bool(int step, int steps)>& keepGoing)
{
    constexpr int Steps = 5;
    TimetableOutcome outcome;
    auto stopped = [&](int step) {
        outcome.cancelled = keepGoing && !keepGoing(step, Steps);
        return outcome.cancelled;
    };
    if (stopped(0))
        return outcome;
    if (!ReadAirportFile(job.airports, outcome.data, outcome.error)) {
        outcome.errorFile = "airports";
        return outcome;
    }
    if (!ReadAircraftFile(job.aircraft, outcome.data, outcome.error)) {
        outcome.errorFile = "aircraft";
        return outcome;
    }
    if (stopped(1))
        return outcome;
    outcome.table = ReadTimetableFile(job.timetable, outcome.data);
    if (!outcome.table.error.empty()) {
        outcome.error = outcome.table.error;
        outcome.errorFile = "timetable";
        return outcome;
    }
    if (stopped(2))
        return outcome;
    outcome.week = FlightsOfWeek(outcome.table, job.day);
    outcome.refused = outcome.table.refused;
    outcome.refused.insert(outcome.refused.end(), outcome.week.refused.begin(), outcome.week.refused.end());
    std::sort(outcome.refused.begin(), outcome.refused.end(),
              [](const RowProblem& a, const RowProblem& b) { return a.line < b.line; });
    outcome.fleet = BuildFleet(outcome.table, outcome.week, job.writing.turnaround);
    outcome.leftOut = LeftOutRows(outcome.table, outcome.week, outcome.fleet);
    if (stopped(3))
        return outcome;
    const std::string comment = "Plans from the timetable " + job.name + ", week " + DayText(outcome.week.monday)
                                + " to " + DayText(outcome.week.monday + 6);
    outcome.written =
        WriteFleetPlans(job.out, comment, outcome.table, outcome.week, outcome.fleet, outcome.data, job.writing);
    if (keepGoing)
        keepGoing(Steps, Steps); // the file is whole by now: a Cancel comes too late to stop it
    return outcome;
}
