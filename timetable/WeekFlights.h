#pragma once
// A timetable's flights in one chosen week, in universal time: each row on each of its days inside
// the week and its validity, its local departure turned into universal time with its airport's UTC
// offset at 12:00 UT of that local date (the arrival with its destination's offset on the arrival's
// date). Times count from Sunday 00:00 UT, as the days of a plan file do (Sunday = 0), while the
// timetable's days count Monday = 1 to Sunday = 7. Core, no Qt.

#include "timetable/TimetableReader.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int MinutesPerDay = 24 * 60;
inline constexpr int MinutesPerWeek = 7 * MinutesPerDay;

// The flight level written for a leg without one in the timetable: 100 under 100 nm, 200 under
// 250 nm, 300 under 500 nm, else 350. DistanceLevels[DistanceLevel(nm)] is LevelForDistance(nm).
inline constexpr std::array<std::string_view, 4> DistanceLevels = {"100", "200", "300", "350"};
std::uint8_t DistanceLevel(double nm);
std::string_view LevelForDistance(double nm);

// A flight in 12 bytes: a week of a million flights is held whole.
struct WeekFlight {
    std::uint32_t row = 0;     // into Timetable::rows
    std::uint16_t departs = 0; // universal minutes after Sunday 00:00, 0 to 10079
    std::uint8_t day = 1;      // the local day of departure, Monday = 1 to Sunday = 7
    std::uint8_t level = 0;    // DistanceLevel of the route when the row gives no level, found with its distance
    std::int32_t minutes = 0;  // flight time: to the timetable's arrival, else at cruise speed
};

// An airport whose offset changes within the week.
struct WeekOffsetChange {
    std::uint32_t airport = 0; // into Timetable::airports
    std::string zone;
    int beforeMinutes = 0;
    int afterMinutes = 0;
    std::int64_t day = 0; // the first date (days since 1970-01-01) with the new offset at 12:00 UT
};

struct TimetableWeek {
    std::int64_t monday = 0; // days since 1970-01-01
    std::vector<WeekFlight> flights;
    long long rowsOutsideWeek = 0; // rows whose validity misses the week
    std::vector<RowProblem> refused;
    std::vector<WeekOffsetChange> changes; // of the airports the flights use, in the order of the file
};

// The Monday of the week that holds `day` (Monday to Sunday).
std::int64_t MondayOfWeek(std::int64_t day);

// The flights of `table` in the week that holds `day`.
TimetableWeek FlightsOfWeek(const Timetable& table, std::int64_t day);
