#pragma once
// Where an airport lies and how fast an aircraft cruises, read from the lines of the two input files,
// and what follows from them: the great-circle distance and the time at cruise speed. Core, no Qt.

#include <optional>
#include <string_view>

// Degrees, north and east positive.
struct GeoPosition {
    double latitude = 0;
    double longitude = 0;
};

// The position an airport line carries after its code: "EDDF,N50* 2.00',E8* 34.00',364" (degrees
// and decimal minutes behind a hemisphere letter) or decimal degrees ("EDDF,50.0333,8.5706,364",
// also "N50.0333"). Nothing for a line without a readable position, never a guess.
std::optional<GeoPosition> PositionFromAirportLine(std::string_view line);

// The cruise speed in knots an aircraft entry carries after its key ("JET7,450,\"Title\"").
// A decimal speed is rounded to whole knots (450.5 gives 451). Nothing when it is missing, zero or
// not a number.
std::optional<int> CruiseSpeedFromAircraftEntry(std::string_view entry);

inline constexpr double EarthRadiusNm = 3440.065;

// Nautical miles along the great circle of a sphere of radius EarthRadiusNm.
double GreatCircleNm(GeoPosition from, GeoPosition to);

// A position with the cosine of its latitude worked out once, for the many distances from one airport.
struct GeoPoint {
    GeoPosition position;
    double cosLatitude = 1;
};
GeoPoint PointAt(GeoPosition position);
// The same distance as above, to the last bit.
double GreatCircleNm(const GeoPoint& from, const GeoPoint& to);

// Whole minutes (rounded) to fly `distanceNm` at `knots`: the simulator's estimate for a leg
// without an arrival time.
int FlightMinutes(double distanceNm, int knots);
