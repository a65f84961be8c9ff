#include "planfile/LoopWalk.h"

#include <cmath>
#include <numbers>

namespace {
// The length of the cycle that clock times repeat in: the week for times with a day, the day else.
int ClockCycle(bool week) { return week ? SecondsPerWeek : SecondsPerDay; }

std::optional<GeoPoint> PointOf(const AirportEntry& airport)
{
    if (!airport.known)
        return std::nullopt;
    return GeoPoint{airport.known->position, airport.known->cosLatitude};
}
} // namespace

std::optional<int> WalkedLeg::ArrivalClock(bool week) const
{
    if (!flightSeconds)
        return std::nullopt;
    return static_cast<int>(LoopModulo(departureClock + *flightSeconds, ClockCycle(week)));
}

void WalkLoop(const PlanLine& plan, const ReferenceData& data, WalkedLoop& loop)
{
    std::vector<AirportEntry> places;
    places.reserve(plan.legs.size());
    for (const PlanLeg& leg : plan.legs)
        places.push_back(data.airports.Find(leg.destination));
    WalkLoop(plan, data.aircraft.Find(plan.aircraftKey), places, loop);
}

void WalkLeg(const PlanLeg& leg, int periodSeconds, int knots, std::string_view from, const AirportEntry& fromPlace,
             const AirportEntry& place, WalkedLeg& walked)
{
    walked = WalkedLeg{};
    walked.airport = place;
    walked.from = from;
    walked.to = leg.destination;
    walked.departureClock = leg.departure.Clock();
    const std::optional<GeoPoint> fromPoint = PointOf(fromPlace);
    const std::optional<GeoPoint> toPoint = PointOf(place);
    if (fromPoint && toPoint) {
        walked.distanceNm = GreatCircleNm(*fromPoint, *toPoint);
        if (knots > 0)
            walked.cruiseSeconds = FlightMinutes(*walked.distanceNm, knots) * 60LL;
    }
    if (leg.arrival) {
        walked.givenSeconds = GivenFlight(walked.departureClock, leg.arrival->Clock(), periodSeconds);
        walked.fixedArrival = leg.fixedArrival;
    }
    walked.flightSeconds = walked.givenSeconds ? walked.givenSeconds : walked.cruiseSeconds;
}

int CruiseKnots(const AircraftEntry& aircraft) { return aircraft.known ? aircraft.known->knots : 0; }

void WalkLoop(const PlanLine& plan, const AircraftEntry& aircraft, std::span<const AirportEntry> places,
              WalkedLoop& loop)
{
    loop.periodSeconds = plan.periodSeconds;
    loop.week = plan.week;
    loop.legs.resize(plan.legs.size());
    loop.aircraft = aircraft;
    const int knots = CruiseKnots(aircraft);
    const size_t count = plan.legs.size();
    // Each airport is looked up once, as a destination; it is the next leg's departure airport.
    for (size_t i = 0; i < count; ++i) {
        const size_t before = (i + count - 1) % count;
        WalkLeg(plan.legs[i], plan.periodSeconds, knots, plan.legs[before].destination, places[before], places[i],
                loop.legs[i]);
    }
    loop.loopSeconds = WalkDepartures(
        count, plan.periodSeconds, [&](size_t i) { return loop.legs[i].departureClock; },
        [&](size_t i, long long moment) { loop.legs[i].departure = moment; });
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
    const double halfLat = (to.position.latitude - from.position.latitude) * radians / 2;
    double lon = std::fabs(to.position.longitude - from.position.longitude);
    if (lon > 180)
        lon = 360 - lon;
    const double halfLon = lon * radians / 2;
    const double term = halfLat * halfLat + from.cosLatitude * to.cosLatitude * halfLon * halfLon;
    const double bound = x - x * x * x / 6;
    return term <= bound * bound;
}
} // namespace

bool SurelyWithoutFindings(const PlanLine& plan, const AircraftEntry& aircraft, std::span<const AirportEntry> places,
                           int turnaroundMinutes)
{
    if (CruiseKnots(aircraft) <= 0)
        return false;
    const size_t count = plan.legs.size();
    for (size_t i = 0; i < count; ++i) {
        if (!places[i].known || plan.legs[i].fixedArrival)
            return false;
    }
    const double knots = CruiseKnots(aircraft);
    // Whether leg `i`, departing at `departure`, surely leaves the turnaround before the next departs at `next`.
    auto fits = [&](size_t i, long long departure, long long next) {
        const PlanLeg& leg = plan.legs[i];
        // The longest flight that leaves the turnaround on the ground.
        const long long longest = next - departure - turnaroundMinutes * 60LL;
        if (leg.arrival)
            return GivenFlight(leg.departure.Clock(), leg.arrival->Clock(), plan.periodSeconds) <= longest;
        // At cruise speed the flight takes the distance's minutes rounded, so at most half a minute
        // more than exact; one more minute covers every rounding of the distance itself.
        const double minutes = static_cast<double>(longest) / 60 - 1.5;
        return minutes >= 0
               && SurelyWithin(*places[(i + count - 1) % count].known, *places[i].known, minutes * knots / 60);
    };
    bool fit = true;
    long long before = 0;
    const long long loop = WalkDepartures(
        count, plan.periodSeconds, [&](size_t i) { return plan.legs[i].departure.Clock(); },
        [&](size_t i, long long moment) {
            if (i > 0 && fit)
                fit = fits(i - 1, before, moment);
            before = moment;
        });
    if (!fit || loop > plan.periodSeconds)
        return false;
    return fits(count - 1, before, loop);
}
