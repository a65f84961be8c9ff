#pragma once
// The one walk of a plan's loop that every check takes: the aircraft flies the legs in order, leg 1
// departing from the last leg's destination, and starts again with leg 1. Each departure is the first
// moment at or after the one before it at which its time comes round; times count modulo the period
// (n hours, or the week with its days), and so does a written arrival. Any one unit of time will do
// (seconds, minutes), as long as the times and the period share it. Core, no Qt.

#include <cstddef>

// `value` modulo `period`, from 0 to period - 1 whatever the sign of `value`.
constexpr long long LoopModulo(long long value, long long period)
{
    const long long rest = value % period;
    return rest < 0 ? rest + period : rest;
}

// How long a flight takes that departs at the time `departureClock` and arrives at the written time
// `arrivalClock`: up to the first moment at or after the departure at which the arrival's time comes
// round in the period. In a 2Hr plan, 06:00 to 08:10 is 10 minutes.
constexpr long long GivenFlight(long long departureClock, long long arrivalClock, long long period)
{
    return LoopModulo(arrivalClock - departureClock, period);
}

// The departures of a loop walked one leg at a time, for a plan too long to hold: Start with leg 1's
// time as written, Next with each later leg's (its moment after leg 1's departure), and End for the
// moment leg 1 departs again. WalkDepartures below walks with it.
class DepartureWalk {
public:
    explicit DepartureWalk(long long period)
        : m_period(period)
    {}
    void Start(long long firstClock) { m_first = m_before = firstClock; }
    long long Next(long long clock)
    {
        m_moment += LoopModulo(clock - m_before, m_period);
        m_before = clock;
        return m_moment;
    }
    // The loop's length, a multiple of the period, and at least one period even when every leg departs
    // at the same time.
    long long End() const
    {
        const long long loop = m_moment + LoopModulo(m_first - m_before, m_period);
        return loop == 0 ? m_period : loop;
    }

private:
    long long m_period;
    long long m_first = 0;
    long long m_before = 0;
    long long m_moment = 0;
};

// Walks the departures of `count` legs (at least one) whose times as written are `clockAt(i)`, in a
// plan of period `period`. Calls `atDeparture(i, moment)` for each leg in order, with the moment it
// departs after leg 1's departure, and returns the moment leg 1 departs again: the loop's length, a
// multiple of the period, and at least one period even when every leg departs at the same time.
template <typename ClockAt, typename AtDeparture>
long long WalkDepartures(size_t count, long long period, ClockAt clockAt, AtDeparture atDeparture)
{
    DepartureWalk walk(period);
    walk.Start(clockAt(size_t{0}));
    atDeparture(size_t{0}, 0LL);
    for (size_t i = 1; i < count; ++i)
        atDeparture(i, walk.Next(clockAt(i)));
    return walk.End();
}
