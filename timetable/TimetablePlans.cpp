#include "timetable/TimetablePlans.h"

#include "input/TextFile.h"
#include "plan/Composition.h"
#include "planfile/PlanFindings.h"
#include "planfile/Prefetch.h"

#include <algorithm>

namespace fs = std::filesystem;

std::string ComposeLinePlan(const Timetable& table, const TimetableWeek& week, const FleetLine& line,
                            std::string_view registration, int percent)
{
    const TimetableRow& first = table.rows[week.flights[line.flights.front()].row];
    std::string plan = ComposeHeader(table.aircraft[first.aircraft].key + ",", registration, std::to_string(percent),
                                     line.daily ? "24Hr" : "WEEK", "IFR");
    const int cycle = line.daily ? MinutesPerDay : MinutesPerWeek;
    auto clock = [&](int minutes) {
        minutes %= cycle;
        return PlanTimeText(PlanTime{line.daily ? -1 : minutes / MinutesPerDay, minutes % MinutesPerDay * 60});
    };
    for (const std::uint32_t index : line.flights) {
        const WeekFlight& flight = week.flights[index];
        const TimetableRow& row = table.rows[flight.row];
        std::string_view level = table.Level(row);
        if (level.empty())
            level = DistanceLevels[flight.level];
        const std::string departs = PlanTimeText(PlanTime{-1, flight.departs % MinutesPerDay * 60});
        const size_t leg = plan.size();
        AppendLeg(plan, !line.daily, flight.departs / MinutesPerDay, departs, level, table.Text(row.flight),
                  table.airports[row.to].code);
        // The arrival goes into the empty field after the departure: ",D/HH:MM," is where it begins.
        if (row.HasArrival())
            plan.insert(plan.find(',', leg + 1) + 1, clock(flight.departs + flight.minutes));
    }
    return plan;
}

namespace {
// Asks for what the plans of the next lines read, one link further along the way from a line to its
// airports for each line nearer: the lines' flights lie all over the rows, and the rows' airports all
// over the airport file.
void PrefetchLines(const Timetable& table, const TimetableWeek& week, std::span<const FleetLine> lines)
{
    if (lines.size() > 4) {
        for (const std::uint32_t flight : lines[4].flights)
            Prefetch(&week.flights[flight]);
    }
    if (lines.size() > 3) {
        for (const std::uint32_t flight : lines[3].flights)
            Prefetch(&table.rows[week.flights[flight].row]);
    }
    if (lines.size() > 2) {
        for (const std::uint32_t flight : lines[2].flights) {
            const TimetableRow& row = table.rows[week.flights[flight].row];
            Prefetch(&table.airports[row.from]);
            Prefetch(&table.airports[row.to]);
        }
    }
    if (lines.size() > 1) {
        for (const std::uint32_t flight : lines[1].flights) {
            const TimetableRow& row = table.rows[week.flights[flight].row];
            Prefetch(table.airports[row.from].place);
            Prefetch(table.airports[row.to].place);
        }
    }
}

std::string FlightsText(const Timetable& table, const TimetableWeek& week, const FleetLine& line)
{
    std::string text;
    for (const std::uint32_t index : line.flights) {
        const TimetableRow& row = table.rows[week.flights[index].row];
        text += (text.empty() ? "" : ", ") + std::string(table.Text(row.flight)) + " (line " + std::to_string(row.line)
                + ")";
    }
    return text;
}
} // namespace

WrittenPlans WriteFleetPlans(const std::filesystem::path& output, std::string_view comment, const Timetable& table,
                             const TimetableWeek& week, const Fleet& fleet, const ReferenceData& data,
                             const PlanWriting& writing)
{
    WrittenPlans written;
    std::error_code ec;
    if (fs::exists(fs::symlink_status(output, ec))) {
        written.error = "the new file cannot be created: " + std::make_error_code(std::errc::file_exists).message();
        return written;
    }
    // Written beside the new file under a name of its own, and given the new name only once whole.
    WholeFileWriter writer(output);
    if (!writer.File()) {
        written.error = "the new file cannot be created: " + writer.Error();
        return written;
    }
    bool ok = writer.Write(ToTextMode("\n" + ComposeCommentBlock(comment) + "\n"));
    PlanLine plan;
    WalkedLoop loop;
    std::vector<AirportEntry> places;
    std::vector<Finding> findings;
    std::string reason;
    long long number = 0;
    for (size_t at = 0; at < fleet.lines.size(); ++at) {
        PrefetchLines(table, week, std::span(fleet.lines).subspan(at));
        const FleetLine& line = fleet.lines[at];
        std::string registration = line.registration;
        if (registration.empty()) {
            // The running number in at least four digits, "LW0001": without a call of printf per plan.
            const std::string running = std::to_string(number + 1);
            registration =
                writing.registrationPrefix + std::string(running.size() < 4 ? 4 - running.size() : 0, '0') + running;
        }
        std::string text = ComposeLinePlan(table, week, line, registration, writing.percent);
        findings.clear();
        if (ReadPlanLine(text, plan, reason) != PlanLineKind::Plan) {
            findings.push_back({FindingLevel::Error, reason});
        } else {
            // As the check does: most plans are surely without findings, and need no walk. The places
            // and the aircraft are those the timetable's rows were read against, found once then.
            const TimetableAircraft& type = table.aircraft[table.rows[week.flights[line.flights.front()].row].aircraft];
            const AircraftEntry aircraft =
                plan.aircraftKey == type.key ? type.speed : data.aircraft.Find(plan.aircraftKey);
            places.clear();
            for (size_t i = 0; i < plan.legs.size(); ++i) {
                const std::string_view destination = plan.legs[i].destination;
                const TimetableAirport* to = i < line.flights.size()
                                                 ? &table.airports[table.rows[week.flights[line.flights[i]].row].to]
                                                 : nullptr;
                places.push_back(to && to->code == destination ? AirportEntry{to->place, 0}
                                                               : data.airports.Find(destination));
            }
            if (!SurelyWithoutFindings(plan, aircraft, places, writing.turnaround)) {
                WalkLoop(plan, aircraft, places, loop);
                CheckPlan(plan, loop, writing.turnaround, findings);
            }
        }
        const auto error = std::find_if(findings.begin(), findings.end(),
                                        [](const Finding& f) { return f.level == FindingLevel::Error; });
        if (error != findings.end()) {
            written.leftOut.push_back("the plan of " + registration + " (" + FlightsText(table, week, line)
                                      + ") is left out: " + error->text);
            continue;
        }
        for (const Finding& finding : findings)
            written.warnings.push_back("plan of " + registration + ": " + finding.text);
        number += line.registration.empty();
        ++written.plans;
        written.flights += static_cast<long long>(line.flights.size()) * (line.daily ? 7 : 1);
        text += "\r\n";
        ok = ok && writer.Write(text);
    }
    if (!ok)
        written.error = "the new file could not be written whole (is the disk full?); nothing was written";
    else if (!writer.Commit(WholeFileWriter::Naming::NoReplace, ec))
        written.error = ec == std::errc::file_exists ? "the new file cannot be created: " + ec.message()
                                                     : "the new file could not be written: " + writer.Error();
    return written;
}
