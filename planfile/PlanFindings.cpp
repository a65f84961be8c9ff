#include "planfile/PlanFindings.h"

#include <cstdio>
#include <cstdlib>
#include <unordered_set>

namespace {
std::string LegName(size_t index) { return "leg " + std::to_string(index + 1); }

void Add(const FindingSink& found, FindingLevel level, std::string text) { found(level, std::move(text)); }

// Each airport that cannot be placed is named once per plan, however many legs touch it.
void CheckAirport(const WalkedLeg& walked, std::unordered_set<std::string_view>& named, const FindingSink& findings)
{
    if (!walked.airport.Listed() || walked.airport.known || !named.insert(walked.to).second)
        return;
    Add(findings, FindingLevel::Warning,
        "airport " + std::string(walked.to) + " cannot be placed: line " + std::to_string(walked.airport.line)
            + " of the airport file gives no position");
}

void CheckFixedArrival(size_t index, const PlanLeg& leg, const WalkedLeg& walked, bool week,
                       const FindingSink& findings)
{
    if (!walked.fixedArrival || !walked.cruiseSeconds)
        return;
    const long long late = *walked.givenSeconds - *walked.cruiseSeconds;
    const std::string fixed = "the fixed arrival @" + PlanTimeText(*leg.arrival);
    const std::string atCruise = ClockText(
        static_cast<int>((walked.departureClock + *walked.cruiseSeconds) % (week ? SecondsPerWeek : SecondsPerDay)),
        week);
    if (late < 0) {
        char distance[32];
        std::snprintf(distance, sizeof distance, "%.0f nm", *walked.distanceNm);
        Add(findings, FindingLevel::Error,
            LegName(index) + ": " + fixed + " comes " + DurationText(late) + " earlier than cruise speed allows ("
                + atCruise + ", " + distance + " from " + std::string(walked.from) + ")");
    } else if (late > LateFixedArrivalMinutes * 60LL) {
        Add(findings, FindingLevel::Warning,
            LegName(index) + ": " + fixed + " comes " + DurationText(late) + " after the arrival at cruise speed ("
                + atCruise + "); more than " + std::to_string(LateFixedArrivalMinutes)
                + " min late, the simulator puts the aircraft at the gate instead of landing it");
    }
}
} // namespace

std::string DurationText(long long seconds)
{
    seconds = std::llabs(seconds);
    const long long hours = seconds / 3600;
    const long long minutes = seconds / 60 % 60;
    std::string text;
    if (hours > 0)
        text = std::to_string(hours) + " h " + (minutes < 10 ? "0" : "");
    text += std::to_string(minutes) + " min";
    if (seconds % 60 != 0)
        text += " " + std::to_string(seconds % 60) + " s";
    return text;
}

std::string CountText(long long count, const char* word)
{
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

std::string ClockText(int clock, bool week)
{
    return PlanTimeText(PlanTime{week ? clock / SecondsPerDay : -1, clock % SecondsPerDay});
}

void CheckPlan(const PlanLine& plan, const WalkedLoop& loop, int turnaroundMinutes, std::vector<Finding>& findings)
{
    CheckPlan(plan, loop, turnaroundMinutes, [&](FindingLevel level, std::string&& text) {
        findings.push_back(Finding{level, std::move(text)});
    });
}

void CheckPlanHeader(const PlanLine& plan, const AircraftEntry& aircraft, long long loopSeconds,
                     const FindingSink& findings)
{
    const std::string key(plan.aircraftKey);
    if (!aircraft.Listed())
        Add(findings, FindingLevel::Error, "aircraft " + key + " is not in the aircraft file");
    else if (!aircraft.known)
        Add(findings, FindingLevel::Warning,
            "aircraft " + key + " cannot be timed: line " + std::to_string(aircraft.line)
                + " of the aircraft file gives no cruise speed");

    if (loopSeconds > plan.periodSeconds)
        Add(findings, FindingLevel::Error,
            "the legs need more than the period of " + std::string(plan.period)
                + ": in the order of their departures they come round to leg 1 only after "
                + DurationText(loopSeconds));
}

void CheckLeg(const LegInLoop& at, int turnaroundMinutes, std::unordered_set<std::string_view>& named,
              const FindingSink& findings)
{
    const WalkedLeg& walked = at.walked;
    if (!walked.airport.Listed())
        Add(findings, FindingLevel::Error,
            LegName(at.index) + ": the destination " + std::string(walked.to) + " is not in the airport file");
    CheckAirport(walked, named, findings);
    CheckFixedArrival(at.index, at.leg, walked, at.week, findings);
    if (!walked.groundSeconds || *walked.groundSeconds >= turnaroundMinutes * 60LL)
        return;
    const std::string departs = LegName(at.nextIndex) + " departs from " + std::string(walked.to) + " at "
                                + PlanTimeText(at.nextDeparture) + ", " + DurationText(*walked.groundSeconds);
    const std::string arrival = ClockText(*walked.ArrivalClock(at.week), at.week);
    std::string text = departs;
    if (*walked.groundSeconds < 0) {
        text += " before its aircraft arrives there at " + arrival + " (" + LegName(at.index) + ")";
        Add(findings, FindingLevel::Error, std::move(text));
    } else {
        text += " after its aircraft arrives at " + arrival + " (" + LegName(at.index)
                + "): less than the turnaround of " + std::to_string(turnaroundMinutes) + " min";
        Add(findings, FindingLevel::Warning, std::move(text));
    }
}

void CheckPlan(const PlanLine& plan, const WalkedLoop& loop, int turnaroundMinutes, const FindingSink& findings)
{
    CheckPlanHeader(plan, loop.aircraft, loop.loopSeconds, findings);
    std::unordered_set<std::string_view> named; // a plan may have many thousands of legs
    const size_t count = plan.legs.size();
    for (size_t i = 0; i < count; ++i) {
        const size_t next = (i + 1) % count;
        CheckLeg(LegInLoop{i, plan.legs[i], loop.legs[i], next, plan.legs[next].departure, plan.week},
                 turnaroundMinutes, named, findings);
    }
}
