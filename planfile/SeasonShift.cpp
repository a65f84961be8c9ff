#include "planfile/SeasonShift.h"

#include "check/PlanCheck.h"
#include "check/TimeZones.h"
#include "input/Text.h"
#include "input/TextFile.h"
#include "planfile/PlanFindings.h"
#include "planfile/RawLines.h"

#include <algorithm>
#include <array>
#include <optional>
#include <unordered_set>

namespace {
namespace fs = std::filesystem;

constexpr std::int64_t Noon = 12 * 60 * 60;

// Where a field lies in its line, without the blanks around it.
struct Span {
    size_t begin = 0;
    size_t end = 0;
};

void FieldSpans(std::string_view line, std::vector<Span>& spans)
{
    spans.clear();
    for (size_t begin = 0;;) {
        const size_t comma = line.find(',', begin);
        size_t end = comma == std::string_view::npos ? line.size() : comma;
        size_t first = begin;
        while (first < end && IsBlank(static_cast<unsigned char>(line[first])))
            ++first;
        while (end > first && IsBlank(static_cast<unsigned char>(line[end - 1])))
            --end;
        spans.push_back({first, end});
        if (comma == std::string_view::npos)
            return;
        begin = comma + 1;
    }
}

// A time written anew in the form it was found in: its day in WEEK plans, one digit for the hour
// where it had one and the new hour fits, seconds where it had them.
std::string TimeInForm(std::string_view found, int clock, bool week)
{
    std::string_view time = found;
    std::string text;
    if (week) {
        time.remove_prefix(2);
        text = std::to_string(clock / SecondsPerDay) + "/";
        clock %= SecondsPerDay;
    }
    const size_t colon = time.find(':');
    auto two = [](int value) {
        return std::string{static_cast<char>('0' + value / 10), static_cast<char>('0' + value % 10)};
    };
    const int hours = clock / 3600;
    text += colon == 1 && hours < 10 ? std::to_string(hours) : two(hours);
    text += ":" + two(clock / 60 % 60);
    if (time.size() > colon + 3)
        text += ":" + two(clock % 60);
    return text;
}

int Moved(int clock, int seconds, bool week)
{
    const int period = week ? SecondsPerWeek : SecondsPerDay;
    return ((clock + seconds) % period + period) % period;
}
} // namespace

std::optional<std::int64_t> ShiftDayFromText(std::string_view text)
{
    auto number = [&](size_t at, size_t count) {
        int value = 0;
        for (size_t i = at; i < at + count; ++i) {
            if (text[i] < '0' || text[i] > '9')
                return -1;
            value = value * 10 + (text[i] - '0');
        }
        return value;
    };
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    const CivilDate date{number(0, 4), number(5, 2), number(8, 2)};
    if (date.year < 2000 || date.year > 2050 || date.month < 1 || date.month > 12 || date.day < 1)
        return std::nullopt;
    const std::int64_t days = DaysFromCivil(date);
    if (CivilFromDays(days).day != date.day) // the 31st of a short month
        return std::nullopt;
    return days;
}

SeasonShift::SeasonShift(const ReferenceData& data, std::int64_t fromDay, std::int64_t toDay)
    : m_data(data),
      m_fromMoment(fromDay * SecondsPerDay + Noon),
      m_toMoment(toDay * SecondsPerDay + Noon)
{}

const SeasonShift::Airport& SeasonShift::Lookup(std::string_view code)
{
    auto [entry, added] = m_airports.try_emplace(std::string(code));
    Airport& airport = entry->second;
    if (!added)
        return airport;
    const std::string name = "airport " + std::string(code);
    const AirportEntry found = m_data.airports.Find(code);
    if (!found.Listed()) {
        airport.problem = name + " is not in the airport file";
    } else if (!found.known) {
        airport.problem =
            name + " cannot be placed: line " + std::to_string(found.line) + " of the airport file gives no position";
    } else {
        const std::string_view zone = AirlineZoneAt(found.known->position);
        const std::optional<ZoneOffset> from = UtcOffset(zone, m_fromMoment);
        const std::optional<ZoneOffset> to = UtcOffset(zone, m_toMoment);
        if (!from || !to) {
            airport.problem = name + " lies in the zone " + std::string(zone) + ", which the offset table lacks";
        } else {
            airport.seconds = (from->minutes - to->minutes) * 60;
            airport.change = {std::string(code), std::string(zone), from->minutes, to->minutes};
        }
    }
    return airport;
}

SeasonShift::Outcome SeasonShift::ShiftLine(std::string_view line, std::string& out, std::string& problem)
{
    problem.clear();
    out.assign(line);
    const PlanLineKind kind = ReadPlanLine(line, m_plan, problem);
    if (kind != PlanLineKind::Plan)
        return kind == PlanLineKind::Refused ? Outcome::NoPlan : Outcome::NoLine;
    const std::vector<PlanLeg>& legs = m_plan.legs;
    std::vector<const Airport*> destinations;
    std::unordered_set<const Airport*> named; // a plan may have many thousands of legs
    for (const PlanLeg& leg : legs) {
        const Airport& airport = Lookup(leg.destination);
        destinations.push_back(&airport);
        // Each airport that cannot be placed is named once per plan.
        if (!airport.seconds && named.insert(&airport).second)
            problem += (problem.empty() ? "" : "; ") + airport.problem;
    }
    if (!problem.empty())
        return Outcome::Unplaced;

    std::vector<Span> spans;
    FieldSpans(line, spans);
    // Written from the end, so the places of the earlier fields stay as they were.
    const size_t count = legs.size();
    bool changed = false;
    for (size_t k = count; k-- > 0;) {
        const PlanLeg& leg = legs[k];
        if (leg.arrival) {
            Span span = spans[6 + 6 * k];
            if (leg.fixedArrival)
                span.begin = span.end - TrimLeftView(line.substr(span.begin + 1, span.end - span.begin - 1)).size();
            if (const int seconds = *destinations[k]->seconds; seconds != 0) {
                const std::string_view found = line.substr(span.begin, span.end - span.begin);
                out.replace(span.begin, span.end - span.begin,
                            TimeInForm(found, Moved(leg.arrival->Clock(), seconds, m_plan.week), m_plan.week));
                ++m_timesMoved;
                changed = true;
            }
        }
        // Leg 1 departs from the last leg's destination.
        const Span span = spans[5 + 6 * k];
        if (const int seconds = *destinations[(k + count - 1) % count]->seconds; seconds != 0) {
            const std::string_view found = line.substr(span.begin, span.end - span.begin);
            out.replace(span.begin, span.end - span.begin,
                        TimeInForm(found, Moved(leg.departure.Clock(), seconds, m_plan.week), m_plan.week));
            ++m_timesMoved;
            changed = true;
        }
    }
    return changed ? Outcome::Shifted : Outcome::Unchanged;
}

std::vector<AirportChange> SeasonShift::Changes() const
{
    std::vector<AirportChange> changes;
    for (const auto& [code, airport] : m_airports) {
        if (airport.seconds && airport.change.fromMinutes != airport.change.toMinutes)
            changes.push_back(airport.change);
    }
    std::sort(changes.begin(), changes.end(),
              [](const AirportChange& a, const AirportChange& b) { return a.code < b.code; });
    return changes;
}

namespace {
// The bytes of one pass over the plan file, to tell whether a second pass met the same.
class PassPrint {
public:
    void Add(std::string_view bytes)
    {
        m_hash = (m_hash ^ std::hash<std::string_view>()(bytes)) * 0x100000001b3ULL + bytes.size();
        m_size += bytes.size();
    }
    bool operator==(const PassPrint&) const = default;

private:
    std::uint64_t m_hash = 0;
    std::uint64_t m_size = 0;
};
} // namespace

ShiftReport ShiftPlanFile(const fs::path& input, const fs::path& output, const ReferenceData& data,
                          std::int64_t fromDay, std::int64_t toDay, const ShiftProgress& progress)
{
    ShiftReport report;
    std::error_code ec;
    if (fs::equivalent(input, output, ec)) {
        report.error = "the new file would be the plan file itself; choose another name";
        return report;
    }
    if (fs::exists(fs::symlink_status(output, ec))) {
        report.error = "the new file cannot be created: " + std::make_error_code(std::errc::file_exists).message();
        return report;
    }
    RawLineReader reader(input);
    if (!reader.OpenError().empty()) {
        report.error = "the plan file cannot be read: " + reader.OpenError();
        return report;
    }
    SeasonShift shift(data, fromDay, toDay);
    std::string shifted;
    std::string problem;
    // Once to learn whether every airport can be placed, then again to write: nothing is held whole.
    std::array<PassPrint, 2> prints;
    std::optional<WholeFileWriter> writer;
    const std::uint64_t total = 2 * reader.Size();
    for (int pass = 0; pass < 2; ++pass) {
        PassPrint& print = prints[static_cast<size_t>(pass)];
        if (pass == 1) {
            writer.emplace(output);
            if (!writer->File()) {
                report.error = "the new file cannot be created: " + writer->Error();
                return report;
            }
            writer->Write(reader.Prefix());
            if (!reader.Seek(reader.Prefix().size(), 1)) {
                report.error = "the plan file could not be read again";
                return report;
            }
        }
        while (reader.Next()) {
            print.Add(reader.Line());
            print.Add(reader.Ending());
            const SeasonShift::Outcome outcome = shift.ShiftLine(reader.Line(), shifted, problem);
            if (pass == 0) {
                report.plans += outcome != SeasonShift::Outcome::NoLine && outcome != SeasonShift::Outcome::NoPlan;
                if (outcome == SeasonShift::Outcome::Unplaced)
                    report.unplaced.push_back({reader.LineNumber(), problem});
                else if (outcome == SeasonShift::Outcome::NoPlan)
                    report.noPlans.push_back({reader.LineNumber(), problem});
                if (std::optional<TextNote> note = LoneCrNote(reader.Line(), reader.LineNumber()))
                    report.notes.push_back(std::move(*note));
            } else {
                shifted += reader.Ending();
                if (!writer->Write(shifted)) {
                    report.error = "the new file could not be written whole (is the disk full?)";
                    return report;
                }
            }
            if (progress && reader.LineNumber() % 4096 == 0
                && !progress(reader.Offset() + static_cast<std::uint64_t>(pass) * reader.Size(), total)) {
                report.cancelled = true;
                return report;
            }
        }
        print.Add(reader.Tail());
        if (reader.HadReadError()) {
            report.error = "the plan file could not be read to its end";
            return report;
        }
        if (pass == 0) {
            if (std::optional<TextNote> note = TextStopNote(reader.Stop()))
                report.notes.push_back(std::move(*note));
            report.timesMoved = shift.TimesMoved();
            if (!report.unplaced.empty())
                return report;
            if (progress && !progress(reader.Size(), total)) {
                report.cancelled = true;
                return report;
            }
        }
    }
    writer->Write(reader.Tail());
    if (prints[0] != prints[1]) {
        report.error = "the plan file changed while it was shifted (a plan added or removed?); shift it again";
        return report;
    }
    if (!writer->Commit(WholeFileWriter::Naming::NoReplace, ec)) {
        report.error = ec == std::errc::file_exists ? "the new file cannot be created: " + ec.message()
                                                    : "the new file could not be written: " + writer->Error();
        return report;
    }
    report.changes = shift.Changes();
    return report;
}

std::string AirportChangeText(const AirportChange& change)
{
    const int seconds = (change.toMinutes - change.fromMinutes) * 60;
    return OffsetText(change.fromMinutes) + " -> " + OffsetText(change.toMinutes) + ": universal times "
           + DurationText(seconds) + (seconds > 0 ? " earlier" : " later");
}

int RunSeasonShift(const CommandArgument& plan, const CommandArgument& output, std::int64_t fromDay, std::int64_t toDay,
                   const ReferenceData& data, std::FILE* out)
{
    const ShiftReport report = ShiftPlanFile(plan.path, output.path, data, fromDay, toDay);
    for (const LineProblem& problem : report.unplaced)
        std::fprintf(out, "%s:%lld: error: %s\n", plan.text.c_str(), static_cast<long long>(problem.line),
                     problem.text.c_str());
    for (const LineProblem& problem : report.noPlans)
        std::fprintf(out, "%s:%lld: warning: copied as it is, no plan: %s\n", plan.text.c_str(),
                     static_cast<long long>(problem.line), problem.text.c_str());
    for (const TextNote& note : report.notes)
        std::fprintf(out, "%s:%lld: warning: %s\n", plan.text.c_str(), static_cast<long long>(note.line),
                     note.text.c_str());
    if (!report.error.empty()) {
        std::fprintf(out, "legwise-check: nothing written: %s\n", report.error.c_str());
        return 2;
    }
    if (!report.unplaced.empty()) {
        std::fprintf(out, "legwise-check: nothing written: %zu plan%s with an airport that cannot be placed\n",
                     report.unplaced.size(), report.unplaced.size() == 1 ? "" : "s");
        return 2;
    }
    std::fprintf(out, "legwise-check: %s from %s to %s: %lld plan%s, %lld time%s moved, written to %s\n",
                 plan.text.c_str(), DayText(fromDay).c_str(), DayText(toDay).c_str(), report.plans,
                 report.plans == 1 ? "" : "s", report.timesMoved, report.timesMoved == 1 ? "" : "s",
                 output.text.c_str());
    for (const AirportChange& change : report.changes)
        std::fprintf(out, "  %-6s %-22s %s\n", change.code.c_str(), change.zone.c_str(),
                     AirportChangeText(change).c_str());
    return 0;
}
