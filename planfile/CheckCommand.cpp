#include "planfile/CheckCommand.h"

#include "planfile/BatchLookup.h"
#include "planfile/LineBatches.h"
#include "planfile/LongPlanCheck.h"
#include "planfile/LoopWalk.h"
#include "planfile/PlanFileReader.h"
#include "planfile/PlanFindings.h"
#include "planfile/Registrations.h"
#include "planfile/SeasonShift.h"
#include "planfile/ZoneListing.h"
#include "timetable/TimetableCommand.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

const char* const PlanCheckUsage =
    R"(Usage: legwise-check --airports FILE --aircraft FILE [--turnaround MINUTES] PLANFILE...
       legwise-check --airports FILE --aircraft FILE --explain PLANFILE:LINE [PLANFILE...]
       legwise-check --airports FILE --aircraft FILE --shift FROM TO --out NEWFILE PLANFILE
       legwise-check --airports FILE --zones [--date YYYY-MM-DD]
       legwise-check --airports FILE --aircraft FILE --timetable FILE [--week DATE] [--turnaround MIN]
                     [--registrations PREFIX] [--percent N] --out NEWFILE
       legwise-check                                    (opens the window)
Checks TTools plan files against an airport file (positions) and an aircraft file (cruise speeds),
and reports each finding on a line of its own, as compilers do:
  FILE:LINE: error: TEXT     a fault the simulator will not fly as planned
  FILE:LINE: warning: TEXT   something to look at
then one summary line. The files are only read, never changed.

Errors: a line that is no plan the check knows (comments begin with ; or //); an aircraft key missing
from the aircraft file; a destination missing from the airport file; a leg that departs before its
aircraft has arrived; legs that need more than the plan's period; a fixed arrival (@HH:MM) earlier
than cruise speed allows.
Warnings: a fixed arrival more than 37 min later than at cruise speed (the simulator then puts the
aircraft at the gate instead of landing it); less ground time than the turnaround; a registration
used by more than one plan; an airport or aircraft that cannot be placed or timed.

Plan files hold universal times. Each departure is the first moment at or after the one before it
(times count modulo the period); leg 1 departs from the last leg's destination. A leg's arrival
time, when it has one, takes the place of the estimate at cruise speed.

The period (1Hr to 24Hr, WEEK), IFR or VFR and F or R are read in any letter case. Positions are
degrees and minutes behind a hemisphere letter (N50* 2.00') or decimal degrees (50.0333, N50.0333,
-8.25); degrees and minutes without their letter are refused. A cruise speed with decimals (450.5)
is rounded to whole knots. A code or key alone on its line, or with nothing after its comma, cannot
be placed or timed.

Options:
  --airports FILE         the airport file: code, latitude, longitude on each line
  --aircraft FILE         the aircraft file: key, cruise speed in knots, "title" on each line
  --turnaround MINUTES    the shortest ground time that draws no warning (default 30)
  --explain PLANFILE:LINE print that plan's legs as a table: airports, times, distance, flight
                          and ground times, then every finding of that line; registrations
                          count over that file and the plan files named after it
  --shift FROM TO         moves the plan file from one season to another (dates YYYY-MM-DD,
                          2000 to 2050): each departure keeps its local time at its airport, so
                          its universal time moves by that airport's change of UTC offset between
                          12:00 UT of FROM and of TO; an arrival time moves by its destination's
                          change. Every other byte stays, and a time keeps its form: a one-digit
                          hour while the new hour has one digit. Shifting back gives the original
                          bytes, except that such an hour moved to two digits keeps them (9:30 to
                          10:30 comes back as 09:30). Nothing is written when an airport of a plan
                          cannot be placed.
  --out NEWFILE           the new file the shift writes; an existing file is never written over
  --zones                 lists each airport entry in file order: its code, its time zone and the
                          offsets it keeps in the year of --date (default today, UT), or "-" and
                          why it cannot be placed. Exit status 1 when any entry cannot be placed.
  --timetable FILE        writes plans for an airline timetable: a table with a header row naming
                          the columns flight, from, to, departs (local HH:MM), days (1234567,
                          1.3.5.., Monday = 1) and aircraft, and optionally arrives (local HH:MM,
                          +1, +2 or -1 for another day), registration, level, valid_from and
                          valid_to (YYYY-MM-DD), separated by commas, semicolons or tabs.
                          Local times become universal with each airport's offset at 12:00 UT of
                          the flight's date. Rows with a registration are that aircraft's line;
                          the others are chained per aircraft type into lines of a day (24Hr) or
                          a week (WEEK) with as few aircraft as the chaining reaches. Every plan is
                          checked before it is written; one with an error is left out. Flight
                          levels come from the level column, else from the distance: 100 under
                          100 nm, 200 under 250 nm, 300 under 500 nm, else 350.
  --week DATE             the week of the timetable, any day of it (default: this week)
  --registrations PREFIX  built lines are registered PREFIX0001, PREFIX0002, ... (default LW)
  --percent N             the traffic percentage of every plan (default 100)
  --help                  this text
Exit status: 0 no errors, 1 errors found, 2 a file could not be read or the arguments are wrong.
)";

namespace {
namespace fs = std::filesystem;

struct Options {
    std::optional<CommandArgument> airports;
    std::optional<CommandArgument> aircraft;
    std::optional<CommandArgument> explain;
    int explainLine = 0;
    int turnaround = DefaultTurnaroundMinutes;
    std::vector<CommandArgument> planFiles;
    bool help = false;
    std::optional<CommandArgument> shiftFrom;
    std::optional<CommandArgument> shiftTo;
    std::optional<CommandArgument> out;
};

} // namespace

CommandArgument Split(const CommandArgument& argument, size_t textAt, bool after)
{
    const fs::path::string_type& native = argument.path.native();
    const auto mark = static_cast<fs::path::value_type>(argument.text[textAt]);
    const size_t nativeAt = after ? native.find(mark) : native.rfind(mark);
    if (after)
        return {argument.text.substr(textAt + 1), fs::path(native.substr(nativeAt + 1))};
    return {argument.text.substr(0, textAt), fs::path(native.substr(0, nativeAt))};
}

namespace {

// A whole number from 0 to `limit` (at most 99,999,999), written in decimal digits alone; -1 otherwise.
int SmallNumber(std::string_view text, int limit)
{
    if (text.empty() || text.size() > 8)
        return -1;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value <= limit ? value : -1;
}

std::string ShiftArgumentsProblem(const Options& options)
{
    if (!options.shiftFrom)
        return "--out is for --shift FROM TO";
    if (!options.out)
        return "--shift needs --out NEWFILE, the file to write";
    for (const CommandArgument* date : {&*options.shiftFrom, &*options.shiftTo}) {
        if (!ShiftDayFromText(date->text))
            return "--shift needs dates YYYY-MM-DD from 2000 to 2050, not \"" + date->text + "\"";
    }
    if (options.explain || options.planFiles.size() != 1)
        return "--shift takes one plan file";
    return {};
}

// Reads the arguments into `options`; the reason when they are wrong.
std::string ReadArguments(const std::vector<CommandArgument>& arguments, Options& options)
{
    bool optionsEnded = false;
    std::vector<std::string> given; // the options met so far: each is given once
    for (size_t i = 0; i < arguments.size(); ++i) {
        const CommandArgument& argument = arguments[i];
        const std::string& text = argument.text;
        if (optionsEnded || text.size() < 2 || text[0] != '-') {
            options.planFiles.push_back(argument);
            continue;
        }
        if (text == "--") {
            optionsEnded = true;
            continue;
        }
        if (text == "--help" || text == "-h") {
            options.help = true;
            continue;
        }
        const std::string name = text.substr(0, text.find('='));
        if (std::find(given.begin(), given.end(), name) != given.end())
            return name + " is given twice";
        given.push_back(name);
        if (text == "--shift") {
            if (i + 2 >= arguments.size())
                return "--shift needs two dates, FROM and TO";
            options.shiftFrom = arguments[++i];
            options.shiftTo = arguments[++i];
            continue;
        }
        const size_t equals = text.find('=');
        std::optional<CommandArgument>* file = name == "--airports"   ? &options.airports
                                               : name == "--aircraft" ? &options.aircraft
                                               : name == "--explain"  ? &options.explain
                                               : name == "--out"      ? &options.out
                                                                      : nullptr;
        if (!file && name != "--turnaround")
            return "unknown option " + name;
        CommandArgument value;
        if (equals != std::string::npos)
            value = Split(argument, equals, true);
        else if (i + 1 < arguments.size())
            value = arguments[++i];
        else
            return name + " needs a value";
        if (file) {
            *file = value;
            continue;
        }
        options.turnaround = SmallNumber(value.text, 24 * 60);
        if (options.turnaround < 0)
            return "--turnaround needs a number of minutes from 0 to 1440, not \"" + value.text + "\"";
    }
    if (options.help)
        return {};
    if (!options.airports)
        return "--airports FILE is missing";
    if (!options.aircraft)
        return "--aircraft FILE is missing";
    if (options.shiftFrom || options.out)
        return ShiftArgumentsProblem(options);
    if (options.explain) {
        const std::string& text = options.explain->text;
        const size_t colon = text.rfind(':');
        options.explainLine = colon == std::string::npos ? -1 : SmallNumber(text.substr(colon + 1), 99999999);
        // FILE:LINE:LINE is a typing error, never a file named FILE:LINE.
        const size_t before = colon == std::string::npos || colon == 0 ? std::string::npos : text.rfind(':', colon - 1);
        const bool twoLines =
            before != std::string::npos && SmallNumber(text.substr(before + 1, colon - before - 1), 99999999) >= 0;
        if (options.explainLine < 1 || twoLines)
            return "--explain needs FILE:LINE, a plan file and a line number, not \"" + options.explain->text + "\"";
        options.explain = Split(*options.explain, colon, false);
    } else if (options.planFiles.empty()) {
        return "no plan file given";
    }
    return {};
}

const char* LevelText(FindingLevel level) { return level == FindingLevel::Error ? "error" : "warning"; }

// Appends a line of the report, "FILE:LINE: error: TEXT", to `to`.
void AppendReportLine(std::string& to, const std::string& file, std::int64_t line, FindingLevel level,
                      const std::string& text)
{
    // Up to a zero byte, as printf's %s writes a text.
    auto upToZero = [](const std::string& text) { return std::string_view(text).substr(0, text.find('\0')); };
    to += upToZero(file);
    to += ':';
    to += std::to_string(line);
    to += ": ";
    to += LevelText(level);
    to += ": ";
    to += upToZero(text);
    to += '\n';
}

class Report {
public:
    explicit Report(std::FILE* out)
        : m_out(out)
    {}

    void Line(const std::string& file, std::int64_t line, FindingLevel level, const std::string& text)
    {
        m_line.clear();
        AppendReportLine(m_line, file, line, level, text);
        Lines(m_line, level == FindingLevel::Error ? 1 : 0, level == FindingLevel::Error ? 0 : 1);
    }
    // Report lines written ahead, with the errors and warnings among them.
    void Lines(const std::string& text, int errors, int warnings)
    {
        if (!text.empty())
            std::fwrite(text.data(), 1, text.size(), m_out);
        m_errors += errors;
        m_warnings += warnings;
    }
    void Unreadable(const std::string& file, const std::string& reason)
    {
        std::fprintf(m_out, "%s: error: cannot be read: %s\n", file.c_str(), reason.c_str());
        ++m_unreadable;
    }
    // An airport or aircraft file, named as such.
    void UnreadableList(const char* list, const std::string& file, const std::string& reason)
    {
        std::fprintf(m_out, "legwise-check: the %s file %s cannot be read: %s\n", list, file.c_str(), reason.c_str());
        ++m_unreadable;
    }
    void FileWarning(const std::string& file, const std::string& text)
    {
        std::fprintf(m_out, "%s: warning: %s\n", file.c_str(), text.c_str());
        ++m_warnings;
    }
    int Errors() const { return m_errors; }
    int Warnings() const { return m_warnings; }
    bool AnyUnreadable() const { return m_unreadable > 0; }
    // ", 1 file could not be read" when one could not; empty when every file was read.
    std::string UnreadableText() const
    {
        return m_unreadable == 0 ? "" : ", " + CountText(m_unreadable, "file") + " could not be read";
    }

private:
    std::FILE* m_out;
    std::string m_line; // room for one line
    int m_errors = 0;
    int m_warnings = 0;
    int m_unreadable = 0;
};

bool ReadReferenceFiles(const Options& options, ReferenceData& data, Report& report)
{
    std::string error;
    if (!ReadAirportFile(options.airports->path, data, error))
        report.UnreadableList("airport", options.airports->text, error);
    if (!ReadAircraftFile(options.aircraft->path, data, error))
        report.UnreadableList("aircraft", options.aircraft->text, error);
    for (const TextNote& note : data.airportNotes)
        report.Line(options.airports->text, note.line, FindingLevel::Warning, note.text);
    for (const TextNote& note : data.aircraftNotes)
        report.Line(options.aircraft->text, note.line, FindingLevel::Warning, note.text);
    return !report.AnyUnreadable();
}

std::string PlanHeaderText(const PlanLine& plan)
{
    return std::string(plan.aircraftKey) + "," + std::string(plan.registration) + ","
           + std::to_string(plan.trafficLimit) + "%," + std::string(plan.period) + "," + std::string(plan.flightRule);
}

void PrintLegTable(const PlanLine& plan, const WalkedLoop& loop, std::FILE* out)
{
    std::fprintf(out, "%-4s %-6s %-6s %-10s %-11s %9s  %-12s %s\n", "leg", "from", "to", "departs", "arrives",
                 "distance", "flight", "ground");
    for (size_t i = 0; i < loop.legs.size(); ++i) {
        const WalkedLeg& leg = loop.legs[i];
        const PlanLeg& written = plan.legs[i];
        std::string arrives = "?";
        if (written.arrival)
            arrives = (written.fixedArrival ? "@" : "") + PlanTimeText(*written.arrival);
        else if (leg.flightSeconds)
            arrives = ClockText(*leg.ArrivalClock(loop.week), loop.week) + " ~";
        char distance[32] = "?";
        if (leg.distanceNm)
            std::snprintf(distance, sizeof distance, "%.0f nm", *leg.distanceNm);
        const std::string flight = leg.flightSeconds ? DurationText(*leg.flightSeconds) : "?";
        const std::string ground = !leg.groundSeconds       ? "?"
                                   : *leg.groundSeconds < 0 ? "-" + DurationText(*leg.groundSeconds)
                                                            : DurationText(*leg.groundSeconds);
        std::fprintf(out, "%-4zu %-6s %-6s %-10s %-11s %9s  %-12s %s\n", i + 1, std::string(leg.from).c_str(),
                     std::string(leg.to).c_str(), PlanTimeText(written.departure).c_str(), arrives.c_str(), distance,
                     flight.c_str(), ground.c_str());
    }
    std::fprintf(out, "(~ at cruise speed; @ a fixed arrival; ground: until the next leg departs)\n");
}

// The files named, each once: one named again, by another spelling or through a link, is said so
// and left out, so that its plans are not counted twice.
std::vector<CommandArgument> DistinctFiles(const std::vector<CommandArgument>& files, Report& report)
{
    std::vector<CommandArgument> distinct;
    for (const CommandArgument& file : files) {
        const auto same = std::find_if(distinct.begin(), distinct.end(), [&](const CommandArgument& earlier) {
            std::error_code ec;
            return earlier.path == file.path || fs::equivalent(earlier.path, file.path, ec);
        });
        if (same == distinct.end())
            distinct.push_back(file);
        else
            report.FileWarning(file.text, "the same file as " + same->text + "; it is read once");
    }
    return distinct;
}

// The warning on a line whose registration other plans use as well; `files` names the files by number.
std::string SharedUseText(const Registrations::SharedUse& use, const std::vector<CommandArgument>& files)
{
    return "registration " + use.registration + " is used by " + CountText(use.plans, "plan") + " (also "
           + files[static_cast<size_t>(use.otherFile)].text + ":" + std::to_string(use.otherLine) + ")";
}

// Adds the registrations of every plan of `file` (number `number`); false when it cannot be read to its end.
bool AddRegistrations(const CommandArgument& file, int number, Registrations& registrations, Report& report)
{
    PlanFileReader reader(file.path);
    if (!reader.OpenError().empty()) {
        report.Unreadable(file.text, reader.OpenError());
        return false;
    }
    while (reader.Next()) {
        if (reader.Kind() == PlanLineKind::Plan)
            registrations.Add(reader.Plan().registration, number, reader.LineNumber());
    }
    if (reader.HadReadError()) {
        report.Unreadable(file.text, "the file could not be read to its end");
        return false;
    }
    return true;
}

int Explain(const Options& options, const ReferenceData& data, Report& report, std::FILE* out, std::FILE* err)
{
    std::vector<CommandArgument> files = {*options.explain};
    files.insert(files.end(), options.planFiles.begin(), options.planFiles.end());
    files = DistinctFiles(files, report);
    const CommandArgument& file = files.front();
    // The whole file is read, for the registrations its other plans use.
    PlanFileReader reader(file.path);
    if (!reader.OpenError().empty()) {
        report.Unreadable(file.text, reader.OpenError());
        return 2;
    }
    Registrations registrations;
    std::string line;
    std::optional<TextNote> crNote;
    while (reader.Next()) {
        if (reader.LineNumber() == options.explainLine) {
            line = reader.Text();
            crNote = LoneCrNote(line, options.explainLine);
        }
        if (reader.Kind() == PlanLineKind::Plan)
            registrations.Add(reader.Plan().registration, 0, reader.LineNumber());
    }
    if (reader.HadReadError()) {
        report.Unreadable(file.text, "the file could not be read to its end");
        return 2;
    }
    std::optional<TextNote> stopNote = TextStopNote(reader.Stop());
    if (stopNote && stopNote->line != options.explainLine)
        stopNote.reset();
    if (reader.LineNumber() < options.explainLine && !stopNote) {
        std::fprintf(err, "legwise-check: %s has %s, no line %d\n", file.text.c_str(),
                     CountText(reader.LineNumber(), "line").c_str(), options.explainLine);
        return 2;
    }
    bool allRead = true;
    for (size_t i = 1; i < files.size(); ++i)
        allRead = AddRegistrations(files[i], static_cast<int>(i), registrations, report) && allRead;
    PlanLine plan;
    std::string reason;
    // The notes on the line's bytes first, as the report gives them on this line.
    for (const std::optional<TextNote>& note : {crNote, stopNote}) {
        if (note)
            report.Line(file.text, note->line, FindingLevel::Warning, note->text);
    }
    const PlanLineKind kind = ReadPlanLine(line, plan, reason);
    if (kind == PlanLineKind::Refused) {
        report.Line(file.text, options.explainLine, FindingLevel::Error, reason);
        return allRead ? 1 : 2;
    }
    if (kind != PlanLineKind::Plan) {
        std::fprintf(err, "legwise-check: line %d of %s holds no plan (%s)\n", options.explainLine, file.text.c_str(),
                     kind == PlanLineKind::Comment               ? "a comment"
                     : reader.LineNumber() < options.explainLine ? "the text ends there"
                                                                 : "a blank line");
        return 2;
    }
    WalkedLoop loop;
    WalkLoop(plan, data, loop);
    std::string speed = "no cruise speed";
    if (loop.aircraft.known)
        speed = std::to_string(loop.aircraft.known->knots) + " kn";
    std::fprintf(out, "%s:%d: %s (%s; %s, around in %s)\n", file.text.c_str(), options.explainLine,
                 PlanHeaderText(plan).c_str(), speed.c_str(),
                 CountText(static_cast<long long>(plan.legs.size()), "leg").c_str(),
                 DurationText(loop.loopSeconds).c_str());
    PrintLegTable(plan, loop, out);
    std::vector<Finding> findings;
    CheckPlan(plan, loop, options.turnaround, findings);
    for (const Finding& finding : findings)
        report.Line(file.text, options.explainLine, finding.level, finding.text);
    for (const Registrations::SharedUse& use : registrations.SharedUses()) {
        if (use.file == 0 && use.line == options.explainLine)
            report.Line(file.text, use.line, FindingLevel::Warning, SharedUseText(use, files));
    }
    if (!allRead)
        return 2;
    return report.Errors() > 0 ? 1 : 0;
}

// A line of a plan file, taken apart and checked in its batch, its lines of the report written beside it.
struct PendingLine {
    std::string text;
    std::int64_t number = 0;
    PlanLineKind kind = PlanLineKind::Blank;
    PlanLine plan; // views into `text`
    std::string reason;
    // Longer than LongestBatchedLine: taken apart and checked by the caller in its turn, each finding
    // written as it is found, since its findings could take many times its size.
    bool alone = false;
    std::string report; // its lines of the report
    int errors = 0;
    int warnings = 0;
};

// The longest line checked in its batch: a few thousand legs.
constexpr size_t LongestBatchedLine = 64 * 1024;

// Appends the note on a lone CR in `line` to its report.
void NoteLoneCr(const std::string& file, const PendingLine& line, Report& report)
{
    if (const std::optional<TextNote> note = LoneCrNote(line.text, line.number))
        report.Line(file, note->line, FindingLevel::Warning, note->text);
}

// Takes apart and checks the lines of `batch` of the file named `file`, writing each line's lines of
// the report beside it; a plan that surely has no findings is not walked. Lines longer than
// LongestBatchedLine are left to the caller.
void CheckBatch(LineBatch<PendingLine>& batch, const std::string& file, const ReferenceData& data, int turnaround,
                LookupRoom& room)
{
    const auto lines = std::span(batch.lines).first(batch.count);
    for (PendingLine& line : lines) {
        line.report.clear();
        line.errors = 0;
        line.warnings = 0;
        line.alone = line.text.size() > LongestBatchedLine;
        if (const std::optional<TextNote> note = LoneCrNote(line.text, line.number); note && !line.alone) {
            AppendReportLine(line.report, file, note->line, FindingLevel::Warning, note->text);
            ++line.warnings;
        }
    }
    auto found = [&](PendingLine& line) {
        return [&](FindingLevel level, std::string&& text) {
            AppendReportLine(line.report, file, line.number, level, text);
            ++(level == FindingLevel::Error ? line.errors : line.warnings);
        };
    };
    for (size_t begin = 0, end = 0; begin < lines.size(); begin = end + 1) {
        for (end = begin; end < lines.size() && !lines[end].alone;)
            ++end;
        LookUpPlans(lines.subspan(begin, end - begin), data, room,
                    [&](PendingLine& line, const AircraftEntry& aircraft, auto places) {
                        if (SurelyWithoutFindings(line.plan, aircraft, places, turnaround))
                            return;
                        WalkLoop(line.plan, aircraft, places, room.loop);
                        CheckPlan(line.plan, room.loop, turnaround, found(line));
                    });
        for (PendingLine& line : lines.subspan(begin, end - begin)) {
            if (line.kind == PlanLineKind::Refused)
                found(line)(FindingLevel::Error, std::move(line.reason));
        }
    }
}

// Takes apart and checks a line too long for its batch, writing each finding as it is found.
void CheckAlone(PendingLine& line, const std::string& file, const ReferenceData& data, int turnaround, Report& report)
{
    NoteLoneCr(file, line, report);
    line.kind =
        CheckLongPlanLine(line.text, data, turnaround, line.plan, line.reason,
                          [&](FindingLevel level, std::string&& text) { report.Line(file, line.number, level, text); });
    if (line.kind == PlanLineKind::Refused)
        report.Line(file, line.number, FindingLevel::Error, line.reason);
}

void CheckFiles(const Options& options, const ReferenceData& data, Report& report, std::FILE* out)
{
    Registrations registrations;
    long long plans = 0;
    const std::vector<CommandArgument> files = DistinctFiles(options.planFiles, report);
    std::vector<std::filesystem::path> paths;
    paths.reserve(files.size());
    for (const CommandArgument& file : files)
        paths.push_back(file.path);
    const unsigned threads = ProcessorsToUse();
    std::vector<LookupRoom> rooms(threads);
    LineBatches<PendingLine> batches(
        std::move(paths),
        [&](LineBatch<PendingLine>& batch, int worker) {
            CheckBatch(batch, files[batch.file].text, data, options.turnaround, rooms[static_cast<size_t>(worker)]);
        },
        threads);
    while (LineBatch<PendingLine>* batch = batches.Take()) {
        const std::string& file = files[batch->file].text;
        if (!batch->openError.empty())
            report.Unreadable(file, batch->openError);
        for (PendingLine& line : std::span(batch->lines).first(batch->count)) {
            if (line.alone)
                CheckAlone(line, file, data, options.turnaround, report);
            report.Lines(line.report, line.errors, line.warnings);
            if (line.report.capacity() > LongestBatchedLine)
                std::string().swap(line.report); // a line of many findings leaves no large room behind
            if (line.kind != PlanLineKind::Plan)
                continue;
            ++plans;
            registrations.Add(line.plan.registration, static_cast<int>(batch->file), line.number);
        }
        if (const std::optional<TextNote> note = TextStopNote(batch->stop))
            report.Line(file, note->line, FindingLevel::Warning, note->text);
        if (batch->readError)
            report.Unreadable(file, "the file could not be read to its end");
        batches.Return(batch);
    }
    registrations.ForEachSharedUse([&](const Registrations::SharedUse& use) {
        report.Line(files[static_cast<size_t>(use.file)].text, use.line, FindingLevel::Warning,
                    SharedUseText(use, files));
    });
    std::fprintf(out, "legwise-check: %s in %s: %s, %s%s\n", CountText(plans, "plan").c_str(),
                 CountText(static_cast<long long>(files.size()), "file").c_str(),
                 CountText(report.Errors(), "error").c_str(), CountText(report.Warnings(), "warning").c_str(),
                 report.UnreadableText().c_str());
}
} // namespace

int RunPlanCheck(const std::vector<CommandArgument>& arguments, std::FILE* out, std::FILE* err)
{
    if (AsksForZoneListing(arguments))
        return RunZoneListing(arguments, out, err);
    if (AsksForTimetable(arguments))
        return RunTimetable(arguments, out, err);
    Options options;
    const std::string problem = ReadArguments(arguments, options);
    if (!problem.empty()) {
        std::fprintf(err, "legwise-check: %s (see legwise-check --help)\n", problem.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(PlanCheckUsage, out);
        return 0;
    }
    Report report(out);
    ReferenceData data;
    if (!ReadReferenceFiles(options, data, report)) {
        if (!options.explain && !options.shiftFrom)
            std::fprintf(out, "legwise-check: no plan checked%s\n", report.UnreadableText().c_str());
        return 2;
    }
    if (options.explain)
        return Explain(options, data, report, out, err);
    if (options.shiftFrom)
        return RunSeasonShift(options.planFiles.front(), *options.out, *ShiftDayFromText(options.shiftFrom->text),
                              *ShiftDayFromText(options.shiftTo->text), data, out);
    CheckFiles(options, data, report, out);
    if (report.AnyUnreadable())
        return 2;
    return report.Errors() > 0 ? 1 : 0;
}
