#include "planfile/LongPlanCheck.h"

#include "planfile/LoopDepartures.h"
#include "planfile/LoopWalk.h"

#include <cstdint>
#include <optional>
#include <unordered_set>
#include <vector>

namespace {
// Legs looked up together and walked before the next are read.
constexpr size_t StretchLegs = 4096;

// What the first reading finds out about the whole plan.
struct WholePlan {
    size_t legs = 0;
    long long loopSeconds = 0;
    std::string_view lastDestination; // leg 1 departs from there
    PlanTime firstDeparture;          // the last leg's next departure
};

// Walks and checks a plan a stretch of legs at a time; each leg handed to Add comes with its departure
// moment, and a stretch is checked once the leg after its last is known.
class Stretches {
public:
    Stretches(const PlanLine& plan, const WholePlan& whole, const ReferenceData& data, int turnaroundMinutes,
              const FindingSink& found)
        : m_plan(plan),
          m_whole(whole),
          m_data(data),
          m_turnaround(turnaroundMinutes),
          m_found(found),
          m_knots(CruiseKnots(data.aircraft.Find(plan.aircraftKey))),
          m_from(whole.lastDestination),
          m_fromPlace(data.airports.Find(whole.lastDestination)),
          m_departures(plan.periodSeconds)
    {
        m_legs.reserve(StretchLegs + 1);
        m_moments.reserve(StretchLegs + 1);
    }

    void Add(const PlanLeg& leg)
    {
        const int clock = leg.departure.Clock();
        long long moment = 0;
        if (m_read++ == 0)
            m_departures.Start(clock);
        else
            moment = m_departures.Next(clock);
        m_legs.push_back(leg);
        m_moments.push_back(moment);
        if (m_legs.size() <= StretchLegs)
            return;
        // All but the last, which is the next stretch's first.
        Check(m_legs.size() - 1);
        m_legs.erase(m_legs.begin(), m_legs.end() - 1);
        m_moments.erase(m_moments.begin(), m_moments.end() - 1);
    }
    // The last stretch, whose last leg leg 1 follows.
    void Finish() { Check(m_legs.size()); }

private:
    // Checks the first `count` legs of the stretch; the leg after them is the stretch's next, or leg 1.
    void Check(size_t count)
    {
        m_destinations.clear();
        for (size_t i = 0; i < count; ++i)
            m_destinations.push_back(m_legs[i].destination);
        m_data.airports.FindMany(m_destinations, m_hashes, m_places);
        for (size_t i = 0; i < count; ++i) {
            const PlanLeg& leg = m_legs[i];
            WalkLeg(leg, m_plan.periodSeconds, m_knots, m_from, m_fromPlace, m_places[i], m_walked);
            m_walked.departure = m_moments[i];
            const bool nextHere = i + 1 < m_legs.size();
            const long long next = nextHere ? m_moments[i + 1] : m_whole.loopSeconds;
            if (m_walked.flightSeconds)
                m_walked.groundSeconds = next - m_walked.departure - *m_walked.flightSeconds;
            const size_t index = m_first + i;
            CheckLeg(LegInLoop{index, leg, m_walked, (index + 1) % m_whole.legs,
                               nextHere ? m_legs[i + 1].departure : m_whole.firstDeparture, m_plan.week},
                     m_turnaround, m_named, m_found);
            m_from = leg.destination;
            m_fromPlace = m_places[i];
        }
        m_first += count;
    }

    const PlanLine& m_plan;
    const WholePlan& m_whole;
    const ReferenceData& m_data;
    const int m_turnaround;
    const FindingSink& m_found;
    const int m_knots;
    std::string_view m_from; // the leg before the stretch: its destination and place
    AirportEntry m_fromPlace;
    DepartureWalk m_departures;
    size_t m_read = 0;  // legs handed to Add
    size_t m_first = 0; // the index of the stretch's first leg
    std::vector<PlanLeg> m_legs;
    std::vector<long long> m_moments;
    std::vector<std::string_view> m_destinations;
    std::vector<std::uint64_t> m_hashes;
    std::vector<AirportEntry> m_places;
    WalkedLeg m_walked;
    std::unordered_set<std::string_view> m_named; // airports named as not placed
};
} // namespace

PlanLineKind CheckLongPlanLine(std::string_view line, const ReferenceData& data, int turnaroundMinutes, PlanLine& plan,
                               std::string& reason, const FindingSink& found)
{
    WholePlan whole;
    std::optional<DepartureWalk> departures;
    const PlanLineKind kind = ReadPlanLineLegs(line, plan, reason, [&](const PlanLeg& leg) {
        if (whole.legs++ == 0) {
            departures.emplace(plan.periodSeconds);
            departures->Start(leg.departure.Clock());
            whole.firstDeparture = leg.departure;
        } else {
            departures->Next(leg.departure.Clock());
        }
        whole.lastDestination = leg.destination;
    });
    if (kind != PlanLineKind::Plan)
        return kind;
    whole.loopSeconds = departures->End();
    CheckPlanHeader(plan, data.aircraft.Find(plan.aircraftKey), whole.loopSeconds, found);
    Stretches stretches(plan, whole, data, turnaroundMinutes, found);
    ReadPlanLineLegs(line, plan, reason, [&](const PlanLeg& leg) { stretches.Add(leg); });
    stretches.Finish();
    return kind;
}
