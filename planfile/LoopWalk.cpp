#include "planfile/LoopWalk.h"

#include <cmath>
#include <numbers>

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

namespace {
// Whether `to` lies at most `nm` from `from`. Since sin y <= y, the haversine term is at most
// (dLat/2)^2 + cos(lat1) cos(lat2) (dLon/2)^2; and since sin x >= x - x^3/6, a term up to
// (x - x^3/6)^2 with x = nm / 2R keeps the distance 2R asin(sqrt(term)) within `nm`.
bool SurelyWithin(const AirportPlace& from, const AirportPlace& to, double nm)
{
    const double x = nm / (2 * EarthRadiusNm);
    if (x >= std::numbers::pi / 2)
        return true;
    constexpr double radians = std::numbers::pi / 180;
    const double halfLat = (to.position->latitude - from.position->latitude) * radians / 2;
    double lon = std::fabs(to.position->longitude - from.position->longitude);
    if (lon > 180)
        lon = 360 - lon;
    const double halfLon = lon * radians / 2;
    const double term = halfLat * halfLat + from.cosLatitude * to.cosLatitude * halfLon * halfLon;
    const double bound = x - x * x * x / 6;
    return term <= bound * bound;
}
} // namespace

bool SurelyWithoutFindings(const PlanLine& plan, const AircraftSpeed* aircraft,
                           std::span<const AirportPlace* const> places, int turnaroundMinutes)
{
    if (!aircraft || !aircraft->knots || *aircraft->knots <= 0)
        return false;
    const size_t count = plan.legs.size();
    for (size_t i = 0; i < count; ++i) {
        if (!places[i] || !places[i]->position || plan.legs[i].fixedArrival)
            return false;
    }
    const double knots = *aircraft->knots;
    long long departure = 0;
    for (size_t i = 0; i < count; ++i) {
        const PlanLeg& leg = plan.legs[i];
        const int clock = leg.departure.Clock();
        long long next = 0;
        if (i + 1 < count) {
            next = departure + Modulo(plan.legs[i + 1].departure.Clock() - clock, plan.periodSeconds);
        } else {
            next = departure + Modulo(plan.legs.front().departure.Clock() - clock, plan.periodSeconds);
            if (next == 0)
                next = plan.periodSeconds;
            if (next > plan.periodSeconds)
                return false;
        }
        // The longest flight that leaves the turnaround on the ground.
        const long long longest = next - departure - turnaroundMinutes * 60LL;
        if (leg.arrival) {
            if (Modulo(leg.arrival->Clock() - clock, ClockCycle(plan.week)) > longest)
                return false;
        } else {
            // At cruise speed the flight takes the distance's minutes rounded, so at most half a minute
            // more than exact; one more minute covers every rounding of the distance itself.
            const double minutes = static_cast<double>(longest) / 60 - 1.5;
            if (minutes < 0 || !SurelyWithin(*places[(i + count - 1) % count], *places[i], minutes * knots / 60))
                return false;
        }
        departure = next;
    }
    return true;
}
