#include "timetable/LineBuilding.h"

#include "planfile/Prefetch.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <functional>
#include <iterator>
#include <string_view>
#include <tuple>
#include <utility>

namespace {
constexpr std::uint32_t None = UINT32_MAX;

// When a leg's aircraft is ready within the period: `ready` is less than two periods, so one
// subtraction does what a division would.
int WithinPeriod(int ready, int period) { return ready >= period ? ready - period : ready; }

struct Event {
    std::uint64_t key = 0; // the airport, the time, then 0 for an arrival and 1 for a departure
    std::uint32_t leg = 0;

    std::uint32_t Airport() const { return static_cast<std::uint32_t>(key >> 32); }
    bool Departure() const { return (key & 1) != 0; }
    friend bool operator<(const Event& a, const Event& b) { return a.key != b.key ? a.key < b.key : a.leg < b.leg; }
};

// Sorts `values`, whose bits above `bits` are 0 and which are in order already by their bits below
// `sorted`, eleven bits at a time from there: in a few passes over them, where a sort by comparisons
// takes many. Each pass keeps the order of equal digits, so the order below `sorted` stays.
template <typename Number>
void SortNumbers(std::vector<Number>& values, int sorted, int bits)
{
    constexpr int Step = 11;
    std::vector<Number> other(values.size());
    std::vector<std::uint32_t> counts(size_t{1} << Step);
    for (int shift = sorted; shift < bits; shift += Step) {
        std::fill(counts.begin(), counts.end(), 0);
        for (const Number value : values)
            ++counts[value >> shift & (counts.size() - 1)];
        std::uint32_t at = 0;
        for (std::uint32_t& count : counts)
            at += std::exchange(count, at);
        for (const Number value : values)
            other[counts[value >> shift & (counts.size() - 1)]++] = value;
        values.swap(other);
    }
}

// Arrivals (when ready, within the period) and departures of every leg, by airport and time; at the
// same minute arrivals first, so that a ready aircraft may leave at once.
std::vector<Event> SortedEvents(std::span<const ChainLeg> legs, int period)
{
    std::vector<Event> events;
    events.reserve(legs.size() * 2);
    auto key = [](std::uint32_t airport, int time, bool departure) {
        return std::uint64_t{airport} << 32 | static_cast<std::uint64_t>(time) << 1 | (departure ? 1u : 0u);
    };
    for (std::uint32_t i = 0; i < legs.size(); ++i) {
        events.push_back({key(legs[i].to, WithinPeriod(legs[i].ready, period), false), i});
        events.push_back({key(legs[i].from, legs[i].departs, true), i});
    }
    // Sorted as single numbers, the airport, time, kind and leg side by side, when they fit in 64 bits.
    std::uint32_t airports = 0;
    for (const ChainLeg& leg : legs)
        airports = std::max({airports, leg.from, leg.to});
    const int legBits = std::bit_width(legs.size());
    const int timeBits = std::bit_width(static_cast<unsigned>(period)) + 1; // the time and the kind
    const int bits = std::bit_width(airports) + timeBits + legBits;
    if (bits > 64) {
        std::sort(events.begin(), events.end());
        return events;
    }
    std::vector<std::uint64_t> packed;
    packed.reserve(events.size());
    for (const Event& event : events)
        packed.push_back(((event.key >> 32) << timeBits | (event.key & 0xffffffffu)) << legBits | event.leg);
    // The legs' numbers, the lowest bits, rise already in the order the events were made.
    SortNumbers(packed, legBits, bits);
    const std::uint64_t legMask = (std::uint64_t{1} << legBits) - 1;
    for (size_t i = 0; i < packed.size(); ++i) {
        const std::uint64_t rest = packed[i] >> legBits;
        events[i] = {(rest >> timeBits) << 32 | (rest & ((std::uint64_t{1} << timeBits) - 1)),
                     static_cast<std::uint32_t>(packed[i] & legMask)};
    }
    return events;
}

class Chainer {
public:
    Chainer(std::span<const ChainLeg> legs, int period)
        : m_legs(legs),
          m_period(period),
          m_next(legs.size(), None)
    {}

    ChainResult Run()
    {
        Link();
        ChainResult result;
        // Legs on a path from a leg no aircraft reaches to one whose aircraft goes nowhere lie on no loop.
        std::vector<bool> done(m_legs.size(), false);
        std::vector<bool> reached(m_legs.size(), false);
        for (const std::uint32_t next : m_next) {
            if (next != None)
                reached[next] = true;
        }
        for (std::uint32_t i = 0; i < m_legs.size(); ++i) {
            for (std::uint32_t leg = i; !reached[i] && leg != None && !done[leg]; leg = m_next[leg]) {
                done[leg] = true;
                result.unmatched.push_back(leg);
            }
        }
        std::vector<std::uint32_t> work;
        for (std::uint32_t i = 0; i < m_legs.size(); ++i) {
            if (done[i])
                continue;
            for (std::uint32_t leg = i; !done[leg]; leg = m_next[leg])
                done[leg] = true;
            work.push_back(i);
        }
        std::vector<std::uint32_t> cycle;
        while (!work.empty()) {
            const std::uint32_t start = work.back();
            work.pop_back();
            const long long periods = Walk(start, cycle);
            if (periods == 1) {
                const auto first = std::min_element(cycle.begin(), cycle.end(), [&](std::uint32_t a, std::uint32_t b) {
                    return m_legs[a].departs < m_legs[b].departs;
                });
                std::rotate(cycle.begin(), first, cycle.end());
                result.lines.push_back(cycle);
            } else if (const std::uint32_t other = SplitPartner(cycle); other != None) {
                std::swap(m_next[m_split], m_next[other]);
                work.push_back(m_split);
                work.push_back(other);
            } else {
                result.longer.insert(result.longer.end(), cycle.begin(), cycle.end());
            }
        }
        return result;
    }

private:
    // At each airport, in time order: a departure takes the aircraft that came in last and is ready,
    // else one that stays over the period's end (the aircraft left over when the period is through).
    void Link()
    {
        const std::vector<Event> events = SortedEvents(m_legs, m_period);
        std::vector<std::uint32_t> ready;
        std::vector<std::uint32_t> waiting;
        for (size_t begin = 0; begin < events.size();) {
            size_t end = begin;
            ready.clear();
            waiting.clear();
            for (; end < events.size() && events[end].Airport() == events[begin].Airport(); ++end) {
                const Event& event = events[end];
                if (!event.Departure()) {
                    ready.push_back(event.leg);
                } else if (!ready.empty()) {
                    m_next[ready.back()] = event.leg;
                    ready.pop_back();
                } else {
                    waiting.push_back(event.leg);
                }
            }
            for (size_t k = 0; k < std::min(ready.size(), waiting.size()); ++k)
                m_next[ready[k]] = waiting[k];
            begin = end;
        }
    }

    int ReadyTime(std::uint32_t leg) const { return WithinPeriod(m_legs[leg].ready, m_period); }
    // Minutes on the ground from the aircraft's being ready after `leg` to its next departure.
    int Ground(std::uint32_t leg) const
    {
        const int ground = m_legs[m_next[leg]].departs - ReadyTime(leg); // both within the period
        return ground < 0 ? ground + m_period : ground;
    }

    // The legs of the loop through `start` into `cycle`, in order; the periods it takes to come round.
    long long Walk(std::uint32_t start, std::vector<std::uint32_t>& cycle) const
    {
        cycle.clear();
        long long minutes = 0;
        std::uint32_t leg = start;
        do {
            cycle.push_back(leg);
            minutes += m_legs[leg].ready - m_legs[leg].departs + Ground(leg);
            leg = m_next[leg];
        } while (leg != start);
        return minutes / m_period;
    }

    // Two legs of `cycle` after which their aircraft stand at one airport at one moment: exchanging
    // their next legs splits the loop in two, each still round a whole number of periods. The first
    // is left in m_split; None when there are none.
    std::uint32_t SplitPartner(const std::vector<std::uint32_t>& cycle)
    {
        m_stays.clear();
        for (const std::uint32_t leg : cycle)
            m_stays.push_back({m_legs[leg].to, ReadyTime(leg), ReadyTime(leg) + Ground(leg), leg});
        std::sort(m_stays.begin(), m_stays.end(), [](const auto& a, const auto& b) {
            return std::tie(a.airport, a.from) < std::tie(b.airport, b.from);
        });
        for (size_t begin = 0; begin < m_stays.size();) {
            size_t latest = begin; // the stay that reaches furthest so far
            size_t at = begin + 1;
            for (; at < m_stays.size() && m_stays[at].airport == m_stays[begin].airport; ++at) {
                if (m_stays[at].from <= m_stays[latest].until) {
                    m_split = m_stays[latest].leg;
                    return m_stays[at].leg;
                }
                if (m_stays[at].until > m_stays[latest].until)
                    latest = at;
            }
            // A stay over the period's end meets the first stay of the next period.
            if (latest != begin && m_stays[latest].until >= m_stays[begin].from + m_period) {
                m_split = m_stays[latest].leg;
                return m_stays[begin].leg;
            }
            begin = at;
        }
        return None;
    }

    std::span<const ChainLeg> m_legs;
    int m_period;
    std::vector<std::uint32_t> m_next;
    // An aircraft on the ground after a leg of the loop being split.
    struct Stay {
        std::uint32_t airport;
        int from;  // ready, within the period
        int until; // the next departure, past the period's end when it is the next period's
        std::uint32_t leg;
    };
    std::vector<Stay> m_stays;
    std::uint32_t m_split = None;
};
} // namespace

ChainResult ChainLegs(std::span<const ChainLeg> legs, int period) { return Chainer(legs, period).Run(); }

namespace {
// The aircraft the excesses of departures over arrivals ask for, from the events of every airport in
// time order, each an airport, a time and 1 for a departure in one number.
template <typename Number>
long long LargestExcesses(std::span<const ChainLeg> legs, int period, int timeBits, int bits)
{
    std::vector<Number> events;
    events.reserve(legs.size() * 2);
    for (const ChainLeg& leg : legs) {
        events.push_back(static_cast<Number>(Number{leg.to} << timeBits
                                             | static_cast<Number>(WithinPeriod(leg.ready, period)) << 1));
        events.push_back(static_cast<Number>(Number{leg.from} << timeBits | static_cast<Number>(leg.departs) << 1 | 1));
    }
    SortNumbers(events, 0, bits);
    long long aircraft = 0;
    long long excess = 0;
    long long largest = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        excess += (events[i] & 1) != 0 ? 1 : -1;
        largest = std::max(largest, excess);
        if (i + 1 == events.size() || events[i + 1] >> timeBits != events[i] >> timeBits) {
            aircraft += largest;
            excess = 0;
            largest = 0;
        }
    }
    return aircraft;
}
} // namespace

long long FewestAircraft(std::span<const ChainLeg> legs, int period)
{
    long long aircraft = 0;
    std::uint32_t airports = 0;
    for (const ChainLeg& leg : legs) {
        aircraft += leg.ready >= period;
        airports = std::max({airports, leg.from, leg.to});
    }
    // Which leg an event belongs to does not count here: the events sort as numbers of 32 bits when
    // they fit, in fewer passes over less memory than the linking's.
    const int timeBits = std::bit_width(static_cast<unsigned>(period)) + 1; // the time and the kind
    const int bits = std::bit_width(airports) + timeBits;
    return aircraft
           + (bits <= 32 ? LargestExcesses<std::uint32_t>(legs, period, timeBits, bits)
                         : LargestExcesses<std::uint64_t>(legs, period, timeBits, bits));
}

namespace {
class FleetBuilder {
public:
    FleetBuilder(const Timetable& table, const TimetableWeek& week, int turnaround, int dailyHashBits)
        : m_table(table),
          m_week(week),
          m_turnaround(turnaround),
          m_excess(table.airports.size(), 0),
          m_met(table.airports.size(), false),
          m_hashMask(dailyHashBits >= 53 ? (1ull << 53) - 1 : (1ull << std::max(dailyHashBits, 0)) - 1)
    {}

    Fleet Run()
    {
        // One pass over the rows: each flight's daily key and the type it is built with (None: its
        // registration's line), each type's flights counted so that its list is made at its size.
        const auto flights = static_cast<std::uint32_t>(m_week.flights.size());
        m_dailyKeys.reserve(flights);
        std::vector<std::uint32_t> types(flights);
        std::vector<std::uint32_t> counts(m_table.aircraft.size(), 0);
        for (std::uint32_t i = 0; i < flights; ++i) {
            const TimetableRow& row = Row(i);
            m_dailyKeys.push_back(MakeDailyKey(i));
            types[i] = row.registrationSize > 0 ? None : row.aircraft;
            if (types[i] != None)
                ++counts[types[i]];
        }
        std::vector<std::uint32_t> registered;
        std::vector<std::vector<std::uint32_t>> byType(m_table.aircraft.size());
        for (size_t type = 0; type < counts.size(); ++type) {
            byType[type].resize(counts[type]);
            counts[type] = 0; // from here, how many are in place
        }
        for (std::uint32_t i = 0; i < flights; ++i) {
            if (types[i] == None)
                registered.push_back(i);
            else
                byType[types[i]][counts[types[i]]++] = i;
        }
        types = {};
        RegisteredLines(registered);
        for (std::vector<std::uint32_t>& flights : byType)
            BuiltLines(flights);
        std::stable_sort(m_fleet.leftOut.begin(), m_fleet.leftOut.end(),
                         [](const LeftOutFlight& a, const LeftOutFlight& b) { return a.flight < b.flight; });
        return std::move(m_fleet);
    }

private:
    const TimetableRow& Row(std::uint32_t flight) const { return m_table.rows[m_week.flights[flight].row]; }
    std::string_view Text(PoolText text) const { return m_table.Text(text); }
    std::string FlightName(std::uint32_t flight) const
    {
        return "flight " + std::string(Text(Row(flight).flight)) + " (line " + std::to_string(Row(flight).line) + ")";
    }
    void LeaveOut(std::span<const std::uint32_t> flights, const std::string& reason)
    {
        for (const std::uint32_t flight : flights)
            m_fleet.leftOut.push_back({flight, reason});
    }

    std::uint32_t From(std::uint32_t flight) const { return Row(flight).from; }
    std::uint32_t To(std::uint32_t flight) const { return Row(flight).to; }

    // The same flight every day at the same universal time: same flight number, level and airports,
    // same minutes. The key holds the time of day in the high bits, so that flights sorted by their keys
    // are in the order of the day, and a hash of the rest below: equal keys are compared in full.
    std::uint64_t DailyKey(std::uint32_t flight) const { return m_dailyKeys[flight]; }
    std::uint64_t MakeDailyKey(std::uint32_t flight) const
    {
        const WeekFlight& f = m_week.flights[flight];
        const TimetableRow& row = Row(flight);
        std::uint64_t hash = std::hash<std::string_view>()(Text(row.flight));
        // Most rows give no level: the hash of none is worked out once.
        static const std::uint64_t noLevel = std::hash<std::string_view>()(std::string_view());
        for (const std::uint64_t part :
             {std::uint64_t{row.from}, std::uint64_t{row.to}, static_cast<std::uint64_t>(f.minutes),
              row.levelSize == 0 ? noLevel : std::hash<std::string_view>()(m_table.Level(row))})
            hash = (hash ^ part) * 0x9e3779b97f4a7c15ull;
        hash ^= hash >> 29;
        return static_cast<std::uint64_t>(f.departs % MinutesPerDay) << 53 | (hash & m_hashMask);
    }
    // Whether two flights of one key are one daily flight; as CompareDaily(a, b) == 0, sooner.
    bool SameDaily(std::uint32_t a, std::uint32_t b) const
    {
        const WeekFlight& x = m_week.flights[a];
        const WeekFlight& y = m_week.flights[b];
        if (x.minutes != y.minutes) // the time of day is the key's
            return false;
        if (x.row == y.row)
            return true;
        const TimetableRow& r = Row(a);
        const TimetableRow& s = Row(b);
        // The flight numbers and levels compared as bytes of the pool, without building their texts.
        const char* pool = m_table.pool.data();
        return r.from == s.from && r.to == s.to && r.flight.size == s.flight.size && r.levelSize == s.levelSize
               && std::memcmp(pool + r.flight.at, pool + s.flight.at, r.flight.size) == 0
               && std::memcmp(pool + r.flight.at + r.flight.size + r.registrationSize,
                              pool + s.flight.at + s.flight.size + s.registrationSize, r.levelSize)
                      == 0;
    }
    // The order of flights by what makes them one daily flight; 0 when they are one.
    int CompareDaily(std::uint32_t a, std::uint32_t b) const
    {
        const TimetableRow& x = Row(a);
        const TimetableRow& y = Row(b);
        if (&x != &y) {
            if (const int texts = Text(x.flight).compare(Text(y.flight)))
                return texts;
            if (const int levels = m_table.Level(x).compare(m_table.Level(y)))
                return levels;
            if (x.from != y.from || x.to != y.to)
                return std::tie(x.from, x.to) < std::tie(y.from, y.to) ? -1 : 1;
        }
        const int minutes = m_week.flights[a].minutes - m_week.flights[b].minutes;
        const int departs = m_week.flights[a].departs % MinutesPerDay - m_week.flights[b].departs % MinutesPerDay;
        return minutes != 0 ? minutes : departs;
    }

    // One flight of each group of seven that fly daily, sorted by time of day; empty unless all do.
    // `flights` is left sorted by the groups, each in the order of the week, so that the group of the
    // daily flight i begins at flights[(*starts)[i]] when `starts` is given. `rest` gets the flights
    // that do not fly daily.
    std::vector<std::uint32_t> DailyFlights(std::vector<std::uint32_t>& flights, std::vector<std::uint32_t>& rest,
                                            std::vector<std::uint32_t>* starts = nullptr) const
    {
        struct Keyed { // sorted in one block of memory, by key, departure, then flight
            std::uint64_t key;
            std::uint64_t departsAndFlight;
        };
        auto before = [](const Keyed& a, const Keyed& b) {
            return a.key != b.key ? a.key < b.key : a.departsAndFlight < b.departsAndFlight;
        };
        // Each flight's key and departure taken once, in the order given: they lie all over memory.
        std::vector<Keyed> keyed(flights.size());
        for (size_t i = 0; i < flights.size(); ++i) {
            const std::uint32_t flight = flights[i];
            keyed[i] = {DailyKey(flight), static_cast<std::uint64_t>(m_week.flights[flight].departs) << 32 | flight};
            // Flights of one key are compared below in the order of their keys, all over the rows: their
            // rows are asked for now, in the order they lie in.
            Prefetch(&Row(flight));
        }
        if (flights.size() < MinutesPerDay) { // the flights of a line: sorted at once
            std::sort(keyed.begin(), keyed.end(), before);
        } else { // first into the minute of the day the keys begin with, then each minute's few sorted
            std::vector<std::uint32_t> minutes(MinutesPerDay + 1, 0);
            for (const Keyed& k : keyed)
                ++minutes[(k.key >> 53) + 1];
            for (size_t minute = 1; minute < minutes.size(); ++minute)
                minutes[minute] += minutes[minute - 1];
            std::vector<std::uint32_t> at(minutes.begin(), minutes.end() - 1);
            std::vector<Keyed> byMinute(keyed.size());
            for (const Keyed& k : keyed)
                byMinute[at[k.key >> 53]++] = k;
            keyed.swap(byMinute);
            for (size_t minute = 0; minute + 1 < minutes.size(); ++minute)
                std::sort(keyed.begin() + minutes[minute], keyed.begin() + minutes[minute + 1], before);
        }
        for (size_t i = 0; i < flights.size(); ++i)
            flights[i] = static_cast<std::uint32_t>(keyed[i].departsAndFlight);
        std::vector<std::uint32_t> daily;
        for (size_t begin = 0; begin < flights.size();) {
            size_t end = begin + 1;
            while (end < flights.size() && keyed[end].key == keyed[begin].key)
                ++end;
            // Fewer than seven are no daily flight, however they are grouped.
            bool same = true;
            for (size_t i = begin + 1; same && end - begin >= 7 && i < end; ++i)
                same = SameDaily(flights[i], flights[begin]);
            const auto first = flights.begin() + static_cast<long>(begin);
            const auto last = flights.begin() + static_cast<long>(end);
            // Flights that share a key but differ: each group on its own, still in the order of the week.
            if (!same)
                std::stable_sort(first, last, [&](std::uint32_t a, std::uint32_t b) { return CompareDaily(a, b) < 0; });
            for (auto group = first; group != last;) {
                const auto groupEnd =
                    same ? last : std::find_if(group, last, [&](std::uint32_t f) { return CompareDaily(f, *group); });
                bool everyDay = groupEnd - group == 7;
                for (auto i = group + 1; everyDay && i != groupEnd; ++i)
                    everyDay =
                        m_week.flights[*i].departs / MinutesPerDay != m_week.flights[*(i - 1)].departs / MinutesPerDay;
                if (everyDay) {
                    daily.push_back(*group);
                    if (starts)
                        starts->push_back(static_cast<std::uint32_t>(group - flights.begin()));
                } else {
                    rest.insert(rest.end(), group, groupEnd);
                }
                group = groupEnd;
            }
            begin = end;
        }
        return daily;
    }

    // Whether `flights`, one of each daily flight in order of the time of day, are flown within a day.
    bool ComesRoundInADay(std::span<const std::uint32_t> flights) const
    {
        for (size_t i = 0; i < flights.size(); ++i) {
            const WeekFlight& flight = m_week.flights[flights[i]];
            const WeekFlight& next = m_week.flights[flights[(i + 1) % flights.size()]];
            const int gap = ((next.departs - flight.departs) % MinutesPerDay + MinutesPerDay) % MinutesPerDay;
            if ((gap == 0 ? MinutesPerDay : gap) < flight.minutes)
                return false;
        }
        return true;
    }

    void RegisteredLines(std::vector<std::uint32_t>& flights)
    {
        std::sort(flights.begin(), flights.end(), [&](std::uint32_t a, std::uint32_t b) {
            return std::make_tuple(m_table.Registration(Row(a)), m_week.flights[a].departs, a)
                   < std::make_tuple(m_table.Registration(Row(b)), m_week.flights[b].departs, b);
        });
        for (size_t begin = 0; begin < flights.size();) {
            const std::string_view registration = m_table.Registration(Row(flights[begin]));
            size_t end = begin + 1;
            while (end < flights.size() && m_table.Registration(Row(flights[end])) == registration)
                ++end;
            const std::span<const std::uint32_t> line(flights.data() + begin, end - begin);
            begin = end;
            std::string problem;
            for (size_t i = 0; i < line.size() && problem.empty(); ++i) {
                const std::uint32_t flight = line[i];
                const std::uint32_t next = line[(i + 1) % line.size()];
                if (Row(next).aircraft != Row(flight).aircraft)
                    problem = "registration " + std::string(registration) + " flies two aircraft types: "
                              + FlightName(flight) + " a " + m_table.aircraft[Row(flight).aircraft].key + ", "
                              + FlightName(next) + " a " + m_table.aircraft[Row(next).aircraft].key;
                else if (From(next) != To(flight))
                    problem = "the line of registration " + std::string(registration) + " breaks: " + FlightName(flight)
                              + " arrives at " + m_table.airports[To(flight)].code + ", the next, " + FlightName(next)
                              + ", departs from " + m_table.airports[From(next)].code;
            }
            if (!problem.empty()) {
                LeaveOut(line, problem);
                continue;
            }
            std::vector<std::uint32_t> all(line.begin(), line.end());
            std::vector<std::uint32_t> rest;
            FleetLine fleetLine;
            fleetLine.registration = std::string(registration);
            fleetLine.flights = DailyFlights(all, rest);
            fleetLine.daily = rest.empty() && ComesRoundInADay(fleetLine.flights);
            if (!fleetLine.daily)
                fleetLine.flights.assign(line.begin(), line.end());
            m_fleet.lines.push_back(std::move(fleetLine));
        }
    }

    ChainLeg LegOf(std::uint32_t flight, int period) const
    {
        const WeekFlight& f = m_week.flights[flight];
        const int departs = f.departs % period;
        return {From(flight), To(flight), departs, departs + f.minutes + m_turnaround};
    }

    // Leaves out departures from airports the type leaves more often than it reaches, each from the
    // airport with the excess, preferring one to an airport reached more often than left.
    void Balance(std::vector<std::uint32_t>& flights)
    {
        // Most types leave each airport as often as they reach it: that is found first, each airport
        // noted once. Only a type that does not is counted again, its airports in the order met.
        m_airportsMet.clear();
        for (const std::uint32_t flight : flights) {
            for (const std::uint32_t airport : {From(flight), To(flight)}) {
                if (!m_met[airport]) {
                    m_met[airport] = true;
                    m_airportsMet.push_back(airport);
                }
            }
            ++m_excess[From(flight)];
            --m_excess[To(flight)];
        }
        const bool balanced = std::all_of(m_airportsMet.begin(), m_airportsMet.end(),
                                          [&](std::uint32_t airport) { return m_excess[airport] == 0; });
        for (const std::uint32_t airport : m_airportsMet) {
            m_excess[airport] = 0;
            m_met[airport] = false;
        }
        if (balanced)
            return;
        std::vector<std::uint32_t> touched;
        for (const std::uint32_t flight : flights) {
            for (const std::uint32_t airport : {From(flight), To(flight)})
                if (m_excess[airport] == 0)
                    touched.push_back(airport);
            ++m_excess[From(flight)];
            --m_excess[To(flight)];
        }
        std::vector<std::uint32_t> work;
        for (const std::uint32_t airport : touched) {
            if (m_excess[airport] > 0)
                work.push_back(airport);
        }
        if (work.empty()) { // as it should be
            for (const std::uint32_t airport : touched)
                m_excess[airport] = 0;
            return;
        }
        std::sort(flights.begin(), flights.end(), [&](std::uint32_t a, std::uint32_t b) {
            return std::make_tuple(From(a), m_week.flights[a].departs, a)
                   < std::make_tuple(From(b), m_week.flights[b].departs, b);
        });
        std::vector<bool> removed(flights.size(), false);
        const std::string& key = m_table.aircraft[flights.empty() ? 0 : Row(flights[0]).aircraft].key;
        while (!work.empty()) {
            const std::uint32_t airport = work.back();
            if (m_excess[airport] <= 0) {
                work.pop_back();
                continue;
            }
            const auto first = std::lower_bound(flights.begin(), flights.end(), airport,
                                                [&](std::uint32_t f, std::uint32_t a) { return From(f) < a; });
            size_t pick = flights.size();
            for (auto at = first; at != flights.end() && From(*at) == airport; ++at) {
                const auto index = static_cast<size_t>(at - flights.begin());
                if (removed[index])
                    continue;
                pick = index;
                if (m_excess[To(*at)] < 0)
                    break;
            }
            removed[pick] = true;
            const std::uint32_t flight = flights[pick];
            LeaveOut(std::span(&flight, 1),
                     key + " leaves " + m_table.airports[airport].code + " more often than it reaches it in the week");
            --m_excess[airport];
            if (++m_excess[To(flight)] > 0)
                work.push_back(To(flight));
        }
        for (const std::uint32_t airport : touched)
            m_excess[airport] = 0;
        size_t kept = 0;
        for (size_t i = 0; i < flights.size(); ++i) {
            if (!removed[i])
                flights[kept++] = flights[i];
        }
        flights.resize(kept);
    }

    void BuiltLines(std::vector<std::uint32_t>& flights)
    {
        std::vector<std::uint32_t> kept(flights.size());
        size_t keptCount = 0;
        for (const std::uint32_t flight : flights) {
            if (m_week.flights[flight].minutes + m_turnaround < MinutesPerWeek)
                kept[keptCount++] = flight;
            else
                LeaveOut(std::span(&flight, 1), "its flight time and the turnaround take a week or more");
        }
        kept.resize(keptCount);
        Balance(kept);
        std::vector<ChainLeg> legs;
        legs.reserve(kept.size());
        for (const std::uint32_t flight : kept)
            legs.push_back(LegOf(flight, MinutesPerWeek));
        const long long fewest = FewestAircraft(legs, MinutesPerWeek);
        m_fleet.fewest += fewest;

        // First the flights that fly every day at the same time, in lines that come round within a day,
        // then the rest in lines of a week. When lines of a week for all of them need fewer aircraft or
        // leave fewer flights out, those are taken, each that repeats daily as a line of a day.
        Choice chosen = DailyThenWeekly(kept);
        if (static_cast<long long>(chosen.lines.size()) > fewest || !chosen.leftOut.empty()) {
            Choice week = WeekLines(kept);
            if (week.leftOut.size() < chosen.leftOut.size()
                || (week.leftOut.size() == chosen.leftOut.size() && week.lines.size() < chosen.lines.size()))
                chosen = std::move(week);
        }
        m_fleet.builtLines += static_cast<long long>(chosen.lines.size());
        std::move(chosen.lines.begin(), chosen.lines.end(), std::back_inserter(m_fleet.lines));
        std::move(chosen.leftOut.begin(), chosen.leftOut.end(), std::back_inserter(m_fleet.leftOut));
    }

    struct Choice {
        std::vector<FleetLine> lines;
        std::vector<LeftOutFlight> leftOut;
    };

    // `line` as a line of a day when it flies the same flights every day at the same times.
    void MakeDaily(FleetLine& line) const
    {
        std::vector<std::uint32_t> flights = line.flights;
        std::vector<std::uint32_t> rest;
        std::vector<std::uint32_t> daily = DailyFlights(flights, rest);
        if (!rest.empty() || daily.empty() || !ComesRoundInADay(daily))
            return;
        for (size_t i = 0; i < daily.size(); ++i) {
            if (To(daily[i]) != From(daily[(i + 1) % daily.size()]))
                return;
        }
        line.flights = std::move(daily);
        line.daily = true;
    }

    Choice WeekLines(const std::vector<std::uint32_t>& flights) const
    {
        Choice choice;
        std::vector<ChainLeg> legs;
        legs.reserve(flights.size());
        for (const std::uint32_t flight : flights)
            legs.push_back(LegOf(flight, MinutesPerWeek));
        const ChainResult week = ChainLegs(legs, MinutesPerWeek);
        for (const std::vector<std::uint32_t>& legsOfLine : week.lines) {
            FleetLine line;
            for (const std::uint32_t leg : legsOfLine)
                line.flights.push_back(flights[leg]);
            MakeDaily(line);
            choice.lines.push_back(std::move(line));
        }
        for (const std::uint32_t leg : week.longer)
            choice.leftOut.push_back({flights[leg],
                                      "no line of one week holds it: chained with its type's other "
                                      "flights it comes round only after more than a week"});
        for (const std::uint32_t leg : week.unmatched)
            choice.leftOut.push_back({flights[leg], "no line holds it: its airports are not left as often as reached"});
        return choice;
    }

    Choice DailyThenWeekly(std::vector<std::uint32_t> kept) const
    {
        std::vector<std::uint32_t> weekly;
        std::vector<std::uint32_t> starts; // of each daily flight's group in kept
        const std::vector<std::uint32_t> dailyFlights = DailyFlights(kept, weekly, &starts);
        std::vector<std::uint32_t> fitting; // into dailyFlights: those whose flight and turnaround fit a day
        std::vector<ChainLeg> legs;
        for (std::uint32_t i = 0; i < dailyFlights.size(); ++i) {
            if (m_week.flights[dailyFlights[i]].minutes + m_turnaround < MinutesPerDay) {
                fitting.push_back(i);
                legs.push_back(LegOf(dailyFlights[i], MinutesPerDay));
            }
        }
        const ChainResult days = ChainLegs(legs, MinutesPerDay);
        std::vector<FleetLine> lines;
        std::vector<bool> inDailyLine(dailyFlights.size(), false);
        for (const std::vector<std::uint32_t>& line : days.lines) {
            FleetLine fleetLine;
            fleetLine.daily = true;
            for (const std::uint32_t leg : line) {
                fleetLine.flights.push_back(dailyFlights[fitting[leg]]);
                inDailyLine[fitting[leg]] = true;
            }
            lines.push_back(std::move(fleetLine));
        }
        // The seven days of every other daily flight join the week's flights.
        for (size_t i = 0; i < dailyFlights.size(); ++i) {
            if (!inDailyLine[i])
                weekly.insert(weekly.end(), kept.begin() + starts[i], kept.begin() + starts[i] + 7);
        }
        Choice choice = WeekLines(weekly);
        choice.lines.insert(choice.lines.begin(), std::make_move_iterator(lines.begin()),
                            std::make_move_iterator(lines.end()));
        return choice;
    }

    const Timetable& m_table;
    const TimetableWeek& m_week;
    int m_turnaround;
    std::vector<int> m_excess; // by airport: departures less arrivals of the type being built
    std::vector<bool> m_met;   // by airport: met among the type's flights, in m_airportsMet
    std::vector<std::uint32_t> m_airportsMet;
    std::uint64_t m_hashMask;               // of the hash in a daily key
    std::vector<std::uint64_t> m_dailyKeys; // by flight
    Fleet m_fleet;
};
} // namespace

std::string FleetSizeText(const Fleet& fleet)
{
    const std::string used = std::to_string(fleet.builtLines) + " aircraft";
    if (fleet.builtLines >= fleet.fewest)
        return used + ", the fewest possible " + std::to_string(fleet.fewest);
    return used + " for the flights written; every flight of the week would need at least "
           + std::to_string(fleet.fewest);
}

Fleet BuildFleet(const Timetable& table, const TimetableWeek& week, int turnaround, int dailyHashBits)
{
    return FleetBuilder(table, week, turnaround, dailyHashBits).Run();
}
