#include "timetable/TimetableCommand.h"

#include "check/Calendar.h"
#include "planfile/PlanFindings.h"
#include "planfile/SeasonShift.h"
#include "timetable/TimetablePlans.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <optional>
#include <string>

namespace {
namespace fs = std::filesystem;

struct TimetableArguments {
    std::optional<CommandArgument> airports;
    std::optional<CommandArgument> aircraft;
    std::optional<CommandArgument> timetable;
    std::optional<CommandArgument> out;
    std::int64_t day = 0;
    PlanWriting writing;
};

int WholeNumber(std::string_view text, int low, int high)
{
    if (text.empty() || text.size() > 6
        || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    const int value = std::stoi(std::string(text));
    return value >= low && value <= high ? value : -1;
}

std::string ReadTimetableArguments(const std::vector<CommandArgument>& arguments, TimetableArguments& options)
{
    options.day = std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()).time_since_epoch().count();
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& text = arguments[i].text;
        if (text.rfind("--", 0) != 0)
            return "--timetable takes no plan file: \"" + text + "\"";
        // "--option value", or "--option=value": a file name keeps its path as the system gave it.
        const size_t equals = text.find('=');
        const std::string name = text.substr(0, equals);
        if (equals == std::string::npos && i + 1 >= arguments.size())
            return name + " needs a value";
        const CommandArgument value = equals == std::string::npos ? arguments[++i] : Split(arguments[i], equals, true);
        std::optional<CommandArgument>* file = name == "--airports"    ? &options.airports
                                               : name == "--aircraft"  ? &options.aircraft
                                               : name == "--timetable" ? &options.timetable
                                               : name == "--out"       ? &options.out
                                                                       : nullptr;
        if (file) {
            *file = value;
        } else if (name == "--week") {
            const std::optional<std::int64_t> day = ShiftDayFromText(value.text);
            if (!day)
                return "--week needs a date YYYY-MM-DD from 2000 to 2050, not \"" + value.text + "\"";
            options.day = *day;
        } else if (name == "--turnaround") {
            options.writing.turnaround = WholeNumber(value.text, 0, 24 * 60);
            if (options.writing.turnaround < 0)
                return "--turnaround needs a number of minutes from 0 to 1440, not \"" + value.text + "\"";
        } else if (name == "--percent") {
            options.writing.percent = WholeNumber(value.text, 1, 100);
            if (options.writing.percent < 0)
                return "--percent needs a number from 1 to 100, not \"" + value.text + "\"";
        } else if (name == "--registrations") {
            options.writing.registrationPrefix = value.text;
            if (value.text.empty() || value.text.find_first_of(",\r\n") != std::string::npos)
                return "--registrations needs a prefix without commas, not \"" + value.text + "\"";
        } else {
            return "unknown option " + name + " with --timetable";
        }
    }
    if (!options.airports)
        return "--airports FILE is missing";
    if (!options.aircraft)
        return "--aircraft FILE is missing";
    if (!options.out)
        return "--timetable needs --out NEWFILE, the file to write";
    return {};
}

const char* Plural(long long count) { return count == 1 ? "" : "s"; }

// Each left-out flight's row once per reason, with the local days it was left out on.
void ReportLeftOut(const std::string& name, const Timetable& table, const TimetableWeek& week, const Fleet& fleet,
                   std::FILE* out)
{
    std::map<std::pair<std::uint32_t, std::string>, std::string> rows; // by row and reason: the days
    for (const LeftOutFlight& left : fleet.leftOut) {
        const WeekFlight& flight = week.flights[left.flight];
        std::string& days = rows[{flight.row, left.reason}];
        if (days.find(static_cast<char>('0' + flight.day)) == std::string::npos)
            days += static_cast<char>('0' + flight.day);
    }
    for (auto& [key, days] : rows) {
        std::sort(days.begin(), days.end());
        const TimetableRow& row = table.rows[key.first];
        std::fprintf(out, "%s:%d: error: flight %s left out on day%s %s: %s\n", name.c_str(), row.line,
                     std::string(table.Text(row.flight)).c_str(), days.size() == 1 ? "" : "s", days.c_str(),
                     key.second.c_str());
    }
}
} // namespace

bool AsksForTimetable(const std::vector<CommandArgument>& arguments)
{
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const CommandArgument& argument) { return argument.text == "--timetable"; });
}

int RunTimetable(const std::vector<CommandArgument>& arguments, std::FILE* out, std::FILE* err)
{
    if (std::any_of(arguments.begin(), arguments.end(), [](const CommandArgument& argument) {
            return argument.text == "--help" || argument.text == "-h";
        })) {
        std::fputs(PlanCheckUsage, out);
        return 0;
    }
    TimetableArguments options;
    const std::string problem = ReadTimetableArguments(arguments, options);
    if (!problem.empty()) {
        std::fprintf(err, "legwise-check: %s (see legwise-check --help)\n", problem.c_str());
        return 2;
    }
    ReferenceData data;
    std::string error;
    if (!ReadAirportFile(options.airports->path, data, error)) {
        std::fprintf(out, "%s: error: cannot be read: %s\n", options.airports->text.c_str(), error.c_str());
        return 2;
    }
    if (!ReadAircraftFile(options.aircraft->path, data, error)) {
        std::fprintf(out, "%s: error: cannot be read: %s\n", options.aircraft->text.c_str(), error.c_str());
        return 2;
    }
    const std::string& name = options.timetable->text;
    const Timetable table = ReadTimetableFile(options.timetable->path, data);
    if (!table.error.empty()) {
        std::fprintf(out, "%s: error: %s\nlegwise-check: nothing written\n", name.c_str(), table.error.c_str());
        return 2;
    }
    const TimetableWeek week = FlightsOfWeek(table, options.day);
    std::vector<RowProblem> refused = table.refused;
    refused.insert(refused.end(), week.refused.begin(), week.refused.end());
    std::sort(refused.begin(), refused.end(), [](const RowProblem& a, const RowProblem& b) { return a.line < b.line; });
    for (const RowProblem& row : refused)
        std::fprintf(out, "%s:%d: error: %s\n", name.c_str(), row.line, row.text.c_str());
    const Fleet fleet = BuildFleet(table, week, options.writing.turnaround);
    ReportLeftOut(name, table, week, fleet, out);

    const std::string sunday = DayText(week.monday + 6);
    const std::string comment = "Plans from the timetable " + name + ", week " + DayText(week.monday) + " to " + sunday;
    const WrittenPlans written = WriteFleetPlans(options.out->path, comment, table, week, fleet, data, options.writing);
    for (const std::string& plan : written.leftOut)
        std::fprintf(out, "%s: error: %s\n", name.c_str(), plan.c_str());
    for (const std::string& warning : written.warnings)
        std::fprintf(out, "%s: warning: %s\n", options.out->text.c_str(), warning.c_str());

    std::fprintf(
        out, "legwise-check: %s, week %s to %s: %lld row%s read, %zu refused, %lld outside the week; %zu flight%s\n",
        name.c_str(), DayText(week.monday).c_str(), sunday.c_str(), table.rowsRead, Plural(table.rowsRead),
        refused.size(), week.rowsOutsideWeek, week.flights.size(), Plural(static_cast<long long>(week.flights.size())));
    for (const WeekOffsetChange& change : week.changes)
        std::fprintf(out, "  offset changes in the week: %-6s %-22s %s from %s\n",
                     table.airports[change.airport].code.c_str(), change.zone.c_str(),
                     AirportChangeText({"", "", change.beforeMinutes, change.afterMinutes}).c_str(),
                     DayText(change.day).c_str());
    const long long daily =
        std::count_if(fleet.lines.begin(), fleet.lines.end(), [](const FleetLine& l) { return l.daily; });
    const auto lines = static_cast<long long>(fleet.lines.size());
    std::fprintf(out, "  %zu flight%s left out; %lld line%s (%lld 24Hr, %lld WEEK), %lld from registrations\n",
                 fleet.leftOut.size(), Plural(static_cast<long long>(fleet.leftOut.size())), lines, Plural(lines),
                 daily, lines - daily, lines - fleet.builtLines);
    std::fprintf(out, "  built lines: %lld aircraft, the fewest possible %lld\n", fleet.builtLines, fleet.fewest);
    if (!written.error.empty()) {
        std::fprintf(out, "legwise-check: nothing written: %s\n", written.error.c_str());
        return 2;
    }
    std::fprintf(out, "legwise-check: %lld plan%s with %lld flight%s written to %s\n", written.plans,
                 Plural(written.plans), written.flights, Plural(written.flights), options.out->text.c_str());
    return refused.empty() && fleet.leftOut.empty() && written.leftOut.empty() ? 0 : 1;
}
