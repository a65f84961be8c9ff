#include "timetable/TimetableCommand.h"

#include "check/Calendar.h"
#include "planfile/PlanFindings.h"
#include "planfile/SeasonShift.h"
#include "timetable/TimetableRun.h"

#include <algorithm>
#include <chrono>
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
    const std::string& name = options.timetable->text;
    const TimetableOutcome outcome =
        BuildTimetablePlans({options.airports->path, options.aircraft->path, options.timetable->path, options.out->path,
                             name, options.day, options.writing});
    if (outcome.errorFile == "airports" || outcome.errorFile == "aircraft") {
        const CommandArgument& file = outcome.errorFile == "airports" ? *options.airports : *options.aircraft;
        std::fprintf(out, "%s: error: cannot be read: %s\n", file.text.c_str(), outcome.error.c_str());
        return 2;
    }
    if (!outcome.error.empty()) {
        std::fprintf(out, "%s: error: %s\nlegwise-check: nothing written\n", name.c_str(), outcome.error.c_str());
        return 2;
    }
    const Timetable& table = outcome.table;
    const TimetableWeek& week = outcome.week;
    const Fleet& fleet = outcome.fleet;
    const WrittenPlans& written = outcome.written;
    const std::vector<RowProblem>& refused = outcome.refused;
    for (const RowProblem& row : refused)
        std::fprintf(out, "%s:%d: error: %s\n", name.c_str(), row.line, row.text.c_str());
    for (const LeftOutRow& row : outcome.leftOut)
        std::fprintf(out, "%s:%d: error: flight %s left out on day%s %s: %s\n", name.c_str(), row.line,
                     row.flight.c_str(), row.days.size() == 1 ? "" : "s", row.days.c_str(), row.reason.c_str());
    for (const std::string& plan : written.leftOut)
        std::fprintf(out, "%s: error: %s\n", name.c_str(), plan.c_str());
    for (const std::string& warning : written.warnings)
        std::fprintf(out, "%s: warning: %s\n", options.out->text.c_str(), warning.c_str());

    const std::string sunday = DayText(week.monday + 6);
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
    std::fprintf(out, "  built lines: %s\n", FleetSizeText(fleet).c_str());
    if (!written.error.empty()) {
        std::fprintf(out, "legwise-check: nothing written: %s\n", written.error.c_str());
        return 2;
    }
    std::fprintf(out, "legwise-check: %lld plan%s with %lld flight%s written to %s\n", written.plans,
                 Plural(written.plans), written.flights, Plural(written.flights), options.out->text.c_str());
    return refused.empty() && fleet.leftOut.empty() && written.leftOut.empty() ? 0 : 1;
}
