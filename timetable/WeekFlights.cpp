#include "timetable/WeekFlights.h"

#include "check/Calendar.h"
#include "check/Geo.h"
#include "check/TimeZones.h"
#include "planfile/Prefetch.h"

#include <array>
#include <bit>
#include <unordered_map>

namespace {
constexpr int NoOffset = INT_MIN;
constexpr int NotYet = INT_MIN + 1; // not worked out yet
// Offsets are kept from two days before the Monday (an arrival "-1" on Monday) to two after the Sunday.
constexpr int FirstDay = -2;
constexpr int Days = 11;

class AirportOffsets {
public:
    AirportOffsets(const Timetable& table, std::int64_t monday)
        : m_table(table),
          m_monday(monday),
          m_offsets(table.airports.size())
    {}

    // The offset in minutes of `airport` at 12:00 UT of `day`; NoOffset when its zone has none.
    int At(std::uint32_t airport, std::int64_t day)
    {
        Offsets& offsets = m_offsets[airport];
        if (!offsets.known) {
            offsets.known = true;
            offsets.zone = AirlineZoneAt(m_table.airports[airport].place->position);
            // Airports of one zone share its offsets: a zone's are worked out once.
            const auto [zone, added] = m_zones.try_emplace(offsets.zone);
            if (added)
                zone->second.fill(NotYet);
            offsets.minutes = &zone->second;
        }
        int& minutes = (*offsets.minutes)[static_cast<size_t>(day - m_monday - FirstDay)];
        if (minutes == NotYet) {
            const std::optional<ZoneOffset> offset = UtcOffset(offsets.zone, day * SecondsPerDay + SecondsPerDay / 2);
            minutes = offset ? offset->minutes : NoOffset;
        }
        return minutes;
    }

    // Asks for what At(airport, ...) reads: first the airport's entry, some rows later the zone's
    // offsets it leads to, once the entry is near.
    void PrefetchEntry(std::uint32_t airport) const { ::Prefetch(&m_offsets[airport]); }
    void PrefetchZone(std::uint32_t airport) const
    {
        if (const Offsets& offsets = m_offsets[airport]; offsets.known)
            ::Prefetch(offsets.minutes);
    }

    // Each airport used whose offset at noon changes from Monday to Sunday, at its first change.
    std::vector<WeekOffsetChange> Changes()
    {
        std::vector<WeekOffsetChange> changes;
        for (std::uint32_t airport = 0; airport < m_offsets.size(); ++airport) {
            const Offsets& offsets = m_offsets[airport];
            for (int i = -FirstDay + 1; offsets.known && i < -FirstDay + 7; ++i) {
                const int before = At(airport, m_monday + FirstDay + i - 1);
                const int after = At(airport, m_monday + FirstDay + i);
                if (before != after && before != NoOffset && after != NoOffset) {
                    changes.push_back({airport, std::string(offsets.zone), before, after, m_monday + FirstDay + i});
                    break;
                }
            }
        }
        return changes;
    }

private:
    struct Offsets {
        bool known = false;
        std::string_view zone;
        std::array<int, Days>* minutes = nullptr; // the zone's, in m_zones
    };
    const Timetable& m_table;
    std::int64_t m_monday;
    std::vector<Offsets> m_offsets;
    std::unordered_map<std::string_view, std::array<int, Days>> m_zones;
};
// The cruise minutes and the level by distance of the routes met lately: a route flown on several
// days, or by one aircraft and back, is worked out once.
class RecentRoutes {
public:
    struct Route {
        int minutes = 0; // at the aircraft's cruise speed; 0 when it has none
        std::uint8_t level = 0;
    };

    Route Of(const Timetable& table, const TimetableRow& row)
    {
        Slot& slot = SlotOf(row);
        if (!Holds(slot, row)) {
            const AirportPlace& from = *table.airports[row.from].place;
            const AirportPlace& to = *table.airports[row.to].place;
            const double nm =
                GreatCircleNm(GeoPoint{from.position, from.cosLatitude}, GeoPoint{to.position, to.cosLatitude});
            const AircraftSpeed* speed = table.aircraft[row.aircraft].speed.known;
            slot = {
                row.from, row.to, row.aircraft, true, {speed ? FlightMinutes(nm, speed->knots) : 0, DistanceLevel(nm)}};
        }
        return slot.route;
    }

    // Asks for the airports' places when the route is not among those met lately.
    void Prefetch(const Timetable& table, const TimetableRow& row)
    {
        if (!Holds(SlotOf(row), row)) {
            ::Prefetch(table.airports[row.from].place);
            ::Prefetch(table.airports[row.to].place);
        }
    }

private:
    struct Slot {
        std::uint32_t from = 0;
        std::uint32_t to = 0;
        std::uint32_t aircraft = 0;
        bool full = false;
        Route route;
    };
    Slot& SlotOf(const TimetableRow& row)
    {
        return m_slots[static_cast<size_t>(
            ((std::uint64_t{row.from} << 40 ^ std::uint64_t{row.to} << 20 ^ row.aircraft) * 0x9e3779b97f4a7c15ull)
            >> (64 - Bits))];
    }
    static bool Holds(const Slot& slot, const TimetableRow& row)
    {
        return slot.full && slot.from == row.from && slot.to == row.to && slot.aircraft == row.aircraft;
    }
    static constexpr int Bits = 12;
    std::vector<Slot> m_slots = std::vector<Slot>(size_t{1} << Bits);
};
} // namespace

std::uint8_t DistanceLevel(double nm) { return nm < 100 ? 0 : nm < 250 ? 1 : nm < 500 ? 2 : 3; }

std::string_view LevelForDistance(double nm) { return DistanceLevels[DistanceLevel(nm)]; }

std::int64_t MondayOfWeek(std::int64_t day) { return day - (WeekdayOfDays(day) + 6) % 7; }

TimetableWeek FlightsOfWeek(const Timetable& table, std::int64_t day)
{
    TimetableWeek week;
    week.monday = MondayOfWeek(day);
    AirportOffsets offsets(table, week.monday);
    RecentRoutes routes;
    week.flights.reserve(table.rows.size()); // most rows fly once a week or more
    // The rows name airports all over the file: what a row will read is asked for some rows ahead, its
    // airports and their offsets' entries first, their places and zones later.
    constexpr size_t Ahead = 8;
    for (std::uint32_t index = 0; index < table.rows.size(); ++index) {
        if (index + 2 * Ahead < table.rows.size()) {
            const TimetableRow& later = table.rows[index + 2 * Ahead];
            Prefetch(&table.airports[later.from]);
            Prefetch(&table.airports[later.to]);
            offsets.PrefetchEntry(later.from);
            if (later.HasArrival())
                offsets.PrefetchEntry(later.to);
        }
        if (index + Ahead < table.rows.size()) {
            const TimetableRow& next = table.rows[index + Ahead];
            offsets.PrefetchZone(next.from);
            if (next.HasArrival())
                offsets.PrefetchZone(next.to);
            if (!next.HasArrival() || next.levelSize == 0)
                routes.Prefetch(table, next);
        }
        const TimetableRow& row = table.rows[index];
        // The distance gives the flight time without an arrival, and the level without one in the row.
        const RecentRoutes::Route route =
            !row.HasArrival() || row.levelSize == 0 ? routes.Of(table, row) : RecentRoutes::Route{};
        bool inWeek = false;
        const size_t first = week.flights.size();
        std::string problem;
        // The row's days only, Monday first: most rows fly on one day or a few.
        for (unsigned days = row.days; days != 0; days &= days - 1) {
            const int weekday = std::countr_zero(days) + 1;
            const std::int64_t date = week.monday + weekday - 1;
            if (date < row.validFrom || date > row.validTo)
                continue;
            inWeek = true;
            const int offset = offsets.At(row.from, date);
            if (offset == NoOffset) {
                problem = "airport " + table.airports[row.from].code + " lies in a zone whose offset is not known";
                break;
            }
            const std::int64_t departs = date * MinutesPerDay + row.departs - offset;
            int minutes = route.minutes;
            if (row.HasArrival()) {
                const std::int64_t arrivalDate = date + row.arrivesDayShift;
                const int arrivalOffset = offsets.At(row.to, arrivalDate);
                if (arrivalOffset == NoOffset) {
                    problem = "airport " + table.airports[row.to].code + " lies in a zone whose offset is not known";
                    break;
                }
                const std::int64_t arrives = arrivalDate * MinutesPerDay + row.arrives - arrivalOffset;
                if (arrives <= departs) {
                    problem = "the flight arrives before it departs, in universal time";
                    break;
                }
                minutes = static_cast<int>(arrives - departs);
            }
            // Minutes since 1970-01-01 00:00, a Thursday: Sunday 00:00 was 4 days before.
            const auto sinceSunday =
                static_cast<int>(((departs + 4 * MinutesPerDay) % MinutesPerWeek + MinutesPerWeek) % MinutesPerWeek);
            week.flights.push_back({index, static_cast<std::uint16_t>(sinceSunday), static_cast<std::uint8_t>(weekday),
                                    route.level, minutes});
        }
        // A row refused on one of its days flies on none.
        if (!problem.empty()) {
            week.flights.resize(first);
            week.refused.push_back({row.line, std::move(problem)});
        }
        week.rowsOutsideWeek += !inWeek;
    }
    week.changes = offsets.Changes();
    return week;
}
