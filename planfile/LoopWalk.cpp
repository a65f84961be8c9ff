#include "planfile/LoopWalk.h"

namespace {
long long Modulo(long long value, long long divisor)
{
    const long long rest = value % divisor;
    return rest < 0 ? rest + divisor : rest;
}

// The length of the cycle that clock times repeat in: the week for times with a day, the day else.
int ClockCycle(bool week) { return week ? SecondsPerWeek : SecondsPerDay; }

std::optional<GeoPoint> PointOf(const AirportPlace* place)
{
    if (!place || !place->position)
        return std::nullopt;
    return GeoPoint{*place->position, place->cosLatitude};
}
} // namespace

std::optional<int> WalkedLeg::ArrivalClock(bool week) const
{
    if (!flightSeconds)
        return std::nullopt;
    return static_cast<int>(Modulo(departureClock + *flightSeconds, ClockCycle(week)));
}

void WalkLoop(const PlanLine& plan, const ReferenceData& data, WalkedLoop& loop)
{
    std::vector<const AirportPlace*> places;
    places.reserve(plan.legs.size());
    for (const PlanLeg& leg : plan.legs)
        places.push_back(data.airports.Find(leg.destination));
    WalkLoop(plan, data.aircraft.Find(plan.aircraftKey), places, loop);
}

void WalkLoop(const PlanLine& plan, const AircraftSpeed* aircraft, std::span<const AirportPlace* const> places,
              WalkedLoop& loop)
{
    loop.periodSeconds = plan.periodSeconds;
    loop.week = plan.week;
    loop.legs.resize(plan.legs.size());
    loop.aircraft = aircraft;
    // 0 when the aircraft cannot be timed.
    const int knots = loop.aircraft ? loop.aircraft->knots.value_or(0) : 0;
    const size_t count = plan.legs.size();
    long long departure = 0;
    for (size_t i = 0; i < count; ++i) {
        const PlanLeg& leg = plan.legs[i];
        WalkedLeg& walked = loop.legs[i];
        walked = WalkedLeg{};
        // Each airport is looked up once, as a destination; it is the next leg's departure airport.
        walked.place = places[i];
        walked.from = plan.legs[(i + count - 1) % count].destination;
        walked.to = leg.destination;
        walked.departureClock = leg.departure.Clock();
        if (i > 0) {
            const int before = plan.legs[i - 1].departure.Clock();
            departure += Modulo(walked.departureClock - before, plan.periodSeconds);
        }
        walked.departure = departure;
        const std::optional<GeoPoint> from = PointOf(places[(i + count - 1) % count]);
        const std::optional<GeoPoint> to = PointOf(walked.place);
        if (from && to) {
            walked.distanceNm = GreatCircleNm(*from, *to);
            if (knots > 0)
                walked.cruiseSeconds = FlightMinutes(*walked.distanceNm, knots) * 60LL;
        }
        if (leg.arrival) {
            walked.givenSeconds = Modulo(leg.arrival->Clock() - walked.departureClock, ClockCycle(plan.week));
            walked.fixedArrival = leg.fixedArrival;
        }
        walked.flightSeconds = walked.givenSeconds ? walked.givenSeconds : walked.cruiseSeconds;
    }
    // Back to leg 1: at least one period on when every leg departs at the same moment.
    const int last = plan.legs.back().departure.Clock();
    loop.loopSeconds = departure + Modulo(plan.legs.front().departure.Clock() - last, plan.periodSeconds);
    if (loop.loopSeconds == 0)
        loop.loopSeconds = plan.periodSeconds;
    for (size_t i = 0; i < count; ++i) {
        WalkedLeg& walked = loop.legs[i];
        const long long next = i + 1 < count ? loop.legs[i + 1].departure : loop.loopSeconds;
        if (walked.flightSeconds)
            walked.groundSeconds = next - walked.departure - *walked.flightSeconds;
    }
}
