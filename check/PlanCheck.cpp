#include "check/PlanCheck.h"

#include "check/TimeZones.h"
#include "input/Text.h"
#include "plan/Composition.h"
#include "planfile/LoopDepartures.h"
#include "planfile/PlanFindings.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace {
constexpr int DayMinutes = 24 * 60;
constexpr int WeekMinutes = 7 * DayMinutes;
constexpr std::int64_t DaySeconds = 24 * 60 * 60;

int FloorModulo(std::int64_t value, std::int64_t modulus)
{
    return static_cast<int>(((value % modulus) + modulus) % modulus);
}

// The whole hours of the list that write the right universal time for `offset` once the local
// time is moved to make up the rest: the offset itself when the list holds it, else the hours on
// either side of it, kept within the list.
bool DifferenceSuits(int difference, int offset)
{
    const int below = std::clamp(static_cast<int>((offset - FloorModulo(offset, 60)) / 60), LowestListedDifference,
                                 HighestListedDifference);
    const int above = std::clamp(below + (offset % 60 != 0 ? 1 : 0), LowestListedDifference, HighestListedDifference);
    return difference == below || difference == above;
}

bool ListHolds(int offset)
{
    return offset % 60 == 0 && offset / 60 >= LowestListedDifference && offset / 60 <= HighestListedDifference;
}

// The whole hour of the list nearest to `offset`; a tie goes toward zero (+5:30 gives +5).
int NearestListedHour(int offset)
{
    const int below = (offset - FloorModulo(offset, 60)) / 60;
    const int rest = FloorModulo(offset, 60);
    const int nearest = rest > 30 || (rest == 30 && below < 0) ? below + 1 : below;
    return std::clamp(nearest, LowestListedDifference, HighestListedDifference);
}

std::string LegName(int leg) { return "Leg " + std::to_string(leg); }

std::string DifferenceText(int hours) { return hours > 0 ? "+" + std::to_string(hours) : std::to_string(hours); }

// The offset in force at `moment` among `periods` (ordered, the first holding from the start).
std::optional<int> OffsetAt(const std::vector<OffsetPeriod>& periods, UnixSeconds moment)
{
    std::optional<int> offset;
    for (const OffsetPeriod& period : periods) {
        if (period.from > moment)
            break;
        offset = period.offset.minutes;
    }
    return offset;
}

std::string RangesText(const std::vector<DayRange>& ranges)
{
    std::string text;
    for (size_t i = 0; i < ranges.size(); ++i) {
        text += i == 0 ? "" : i + 1 == ranges.size() ? " and " : ", ";
        text += "from " + DayText(ranges[i].first) + " to " + DayText(ranges[i].last);
    }
    return text;
}

std::vector<DayRange> RangesOf(const std::vector<bool>& right, std::int64_t firstDay)
{
    std::vector<DayRange> ranges;
    for (size_t day = 0; day < right.size(); ++day) {
        if (!right[day])
            continue;
        const std::int64_t date = firstDay + static_cast<std::int64_t>(day);
        if (!ranges.empty() && ranges.back().last == date - 1)
            ranges.back().last = date;
        else
            ranges.push_back({date, date});
    }
    return ranges;
}

// What a leg's departure airport keeps in the twelve months checked.
struct ZoneYear {
    std::vector<OffsetPeriod> periods;
    std::vector<int> offsets; // each once, in the order met
};

class PlanChecker {
public:
    explicit PlanChecker(const PlanChoices& plan)
        : m_plan(plan),
          m_period(plan.weekly ? WeekMinutes : plan.periodMinutes)
    {
        const CivilDate start = CivilFromDays(plan.startDay);
        // Twelve months: up to the day before the same date a year later (28 February for a 29th).
        const int lastDay = start.month == 2 && start.day == 29 ? 28 : start.day;
        m_dayCount = static_cast<int>(DaysFromCivil({start.year + 1, start.month, lastDay}) - plan.startDay);
    }

    PlanReport Run()
    {
        const size_t count = m_plan.legs.size();
        if (count == 0 || m_period <= 0)
            return {};
        if (!m_plan.cruiseKnots)
            Add(CheckLevel::Warning, 0,
                "The aircraft " + m_plan.aircraftKey + " cannot be timed: its entry gives no cruise speed.");
        for (size_t i = 0; i < count; ++i)
            m_report.legs.push_back(Leg(i));
        CheckLoop();
        CheckPlanEnd();
        CheckDays();
        std::stable_sort(m_report.findings.begin(), m_report.findings.end(),
                         [](const CheckFinding& a, const CheckFinding& b) {
                             return a.level != b.level ? a.level < b.level : a.leg < b.leg;
                         });
        return std::move(m_report);
    }

private:
    void Add(CheckLevel level, int leg, std::string text)
    {
        m_report.findings.push_back({level, leg, std::move(text)});
    }

    // Times are written within the day, or within the week in a weekly plan.
    int Clock() const { return m_plan.weekly ? WeekMinutes : DayMinutes; }
    // Where a time lies within the plan's period, which repeats: 07:20 is 01:20 of a 6Hr period.
    int InPeriod(int minutes) const { return FloorModulo(minutes, m_period); }

    // Leg 1 departs from the airport the user named, else from the last leg's destination: not from
    // its own destination while it is the only leg, since nobody knows yet where the plan ends.
    const CheckedAirport* DepartureAirport(size_t i) const
    {
        const size_t count = m_plan.legs.size();
        if (i == 0 && m_plan.firstDeparture)
            return &*m_plan.firstDeparture;
        if (i == 0 && count < 2)
            return nullptr;
        return &m_plan.legs[(i + count - 1) % count].destination;
    }

    // Where leg 1 departs from an airport of the user's choice, the plan must end there; until the
    // last leg is accepted, that is a reminder, not a fault.
    void CheckPlanEnd()
    {
        const size_t accepted = m_plan.legs.size() - (m_plan.composing ? 1 : 0);
        if (!m_plan.firstDeparture || accepted == 0)
            return;
        const std::string& start = m_plan.firstDeparture->code;
        const std::string& end = m_plan.legs[accepted - 1].destination.code;
        if (end.size() == start.size() && CompareNoCase(end, start) == 0)
            return;
        Add(CheckLevel::Note, 0,
            "The plan ends at " + end + ", but leg 1 departs from " + start + ": add a leg to " + start
                + ", or the simulator flies leg 1 from " + end + " to " + m_plan.legs[0].destination.code
                + " instead.");
    }

    LegReport Leg(size_t i)
    {
        const LegChoice& choice = m_plan.legs[i];
        const CheckedAirport* const departure = DepartureAirport(i);
        const int leg = static_cast<int>(i) + 1;
        LegReport report;
        report.to = choice.destination.code;
        report.localMinutes = choice.localMinutes;
        report.timeDifference = choice.timeDifference;
        report.dayIndex = choice.dayIndex;
        const int day = m_plan.weekly ? std::max(choice.dayIndex, 0) : 0;
        report.universalMinutes =
            FloorModulo(std::int64_t{day} * DayMinutes + choice.localMinutes - choice.timeDifference * 60, Clock());
        if (!departure) {
            m_zones.emplace_back();
            return report;
        }
        const CheckedAirport& from = *departure;
        report.from = from.code;
        if (from.position && choice.destination.position)
            report.distanceNm = GreatCircleNm(*from.position, *choice.destination.position);
        if (report.distanceNm && m_plan.cruiseKnots) {
            report.flightMinutes = FlightMinutes(*report.distanceNm, *m_plan.cruiseKnots);
            report.arrivalMinutes = FloorModulo(report.universalMinutes + *report.flightMinutes, Clock());
        }
        if (!from.position) {
            Add(CheckLevel::Warning, leg,
                LegName(leg) + " departs from " + from.code
                    + (from.listed ? ", which cannot be placed: its airport line gives no position."
                                   : ", which is not in the airport file, so it cannot be placed."));
            m_zones.emplace_back();
            return report;
        }
        report.zone = AirlineZoneAt(*from.position);
        ZoneYear year;
        year.periods =
            OffsetPeriods(report.zone, m_plan.startDay * DaySeconds, (m_plan.startDay + m_dayCount) * DaySeconds);
        for (const OffsetPeriod& period : year.periods) {
            if (std::find(year.offsets.begin(), year.offsets.end(), period.offset.minutes) == year.offsets.end())
                year.offsets.push_back(period.offset.minutes);
            (period.offset.daylight ? report.daylightOffset : report.standardOffset) = period.offset.minutes;
        }
        if (year.periods.empty()) {
            Add(CheckLevel::Warning, leg,
                LegName(leg) + " departs from " + from.code + ", whose time zone " + report.zone + " is not known.");
        } else {
            CheckDifference(leg, from, report, year.offsets);
        }
        if (!std::all_of(year.offsets.begin(), year.offsets.end(), ListHolds)) {
            for (const int offset : year.offsets)
                report.localTimes.push_back({FloorModulo(report.universalMinutes + offset, Clock()), offset});
        }
        m_zones.push_back(std::move(year));
        return report;
    }

    std::string OffsetsText(const LegReport& report) const
    {
        std::string text = report.zone + " keeps ";
        if (report.standardOffset)
            text += OffsetText(*report.standardOffset);
        if (report.daylightOffset)
            text += (report.standardOffset ? ", and " : "") + OffsetText(*report.daylightOffset)
                    + " with daylight saving time";
        return text;
    }

    void CheckDifference(int leg, const CheckedAirport& from, const LegReport& report, const std::vector<int>& offsets)
    {
        const bool suits = std::any_of(offsets.begin(), offsets.end(),
                                       [&](int offset) { return DifferenceSuits(report.timeDifference, offset); });
        if (!suits)
            Add(CheckLevel::Error, leg,
                LegName(leg) + ": the time difference " + DifferenceText(report.timeDifference) + " is no offset of "
                    + from.code + " (" + OffsetsText(report) + ").");
        // The difference the advice names says the advice was followed: its local time was moved
        // already, and moving it again would write another universal time. The row shows what the
        // written time is locally.
        const bool followed = std::any_of(offsets.begin(), offsets.end(), [&](int offset) {
            return !ListHolds(offset) && NearestListedHour(offset) == report.timeDifference;
        });
        if (followed)
            return;
        for (const int offset : offsets) {
            if (ListHolds(offset))
                continue;
            const int hour = NearestListedHour(offset);
            const int local = report.localMinutes;
            std::string text = LegName(leg) + ": " + from.code + " keeps " + OffsetText(offset) + " (" + report.zone
                               + "), which the list cannot express.";
            if (DifferenceSuits(report.timeDifference, offset))
                text += " " + ChosenTimeText(report.dayIndex, local) + " at " + DifferenceText(report.timeDifference)
                        + " departs at " + ChosenTimeText(report.dayIndex, local - report.timeDifference * 60 + offset)
                        + " local time.";
            const int chosen = local - offset + hour * 60;
            text += " To depart at " + ChosenTimeText(report.dayIndex, local) + " local time, choose "
                    + ChosenTimeText(report.dayIndex, chosen) + " at " + DifferenceText(hour) + ".";
            const int minuteOfDay = FloorModulo(chosen, DayMinutes);
            if (!DepartureHourOffered(m_plan.firstHour, m_plan.endHour, minuteOfDay / 60))
                text += " The departure list does not offer that time: change the hours without departures.";
            Add(CheckLevel::Warning, leg, std::move(text));
        }
    }

    // A local time the user picks, with its day in a weekly plan.
    std::string ChosenTimeText(int dayIndex, int minutes) const
    {
        return PeriodTimeText(
            FloorModulo(std::int64_t{m_plan.weekly ? std::max(dayIndex, 0) : 0} * DayMinutes + minutes,
                        m_plan.weekly ? WeekMinutes : DayMinutes),
            m_plan.weekly);
    }

    void CheckLoop()
    {
        std::vector<LegReport>& legs = m_report.legs;
        const size_t count = legs.size();
        std::vector<long long> departures(count);
        const long long loop = WalkDepartures(
            count, m_period, [&](size_t i) { return legs[i].universalMinutes; },
            [&](size_t i, long long moment) { departures[i] = moment; });
        const auto periods = static_cast<int>(loop / m_period);
        std::vector<int> wraps; // the legs after which the plan passes the start of its period
        for (size_t i = 0; i < count; ++i) {
            const LegReport& leg = legs[i];
            const size_t nextIndex = (i + 1) % count;
            const LegReport& next = legs[nextIndex];
            const auto step = static_cast<int>((nextIndex == 0 ? loop : departures[nextIndex]) - departures[i]);
            if (InPeriod(next.universalMinutes) < InPeriod(leg.universalMinutes))
                wraps.push_back(static_cast<int>(i) + 1);
            if (!leg.flightMinutes)
                continue;
            const int ground = step - *leg.flightMinutes;
            legs[i].groundMinutes = ground;
            const int nextLeg = static_cast<int>(nextIndex) + 1;
            const std::string at = leg.to;
            if (ground < 0)
                Add(CheckLevel::Error, nextLeg,
                    LegName(nextLeg) + " departs from " + at + " at "
                        + PeriodTimeText(next.universalMinutes, m_plan.weekly) + " UT, " + CountText(-ground, "minute")
                        + " before its aircraft arrives there (leg " + std::to_string(i + 1) + " arrives at "
                        + PeriodTimeText(FloorModulo(next.universalMinutes - ground, Clock()), m_plan.weekly)
                        + " UT).");
            else if (ground < m_plan.minimumTurnaround)
                Add(CheckLevel::Warning, nextLeg,
                    LegName(nextLeg) + ": " + CountText(ground, "minute") + " on the ground at " + at
                        + " before it departs, less than the minimum turnaround of "
                        + CountText(m_plan.minimumTurnaround, "minute") + ".");
        }
        if (periods > 1) {
            std::string after;
            for (size_t i = 0; i < wraps.size(); ++i)
                after += (i == 0 ? "" : i + 1 == wraps.size() ? " and " : ", ") + std::to_string(wraps[i]);
            Add(CheckLevel::Error, 0,
                "The legs need " + std::to_string(periods)
                    + " periods, not one: the plan passes the start of its period after legs " + after
                    + ". The aircraft cannot fly them in one period.");
        }
    }

    // The days on which every leg's time difference is right at once.
    void CheckDays()
    {
        std::vector<bool> all(static_cast<size_t>(m_dayCount), true);
        std::vector<std::pair<int, std::vector<DayRange>>> legRanges;
        bool any = false;
        for (size_t i = 0; i < m_zones.size(); ++i) {
            const ZoneYear& year = m_zones[i];
            if (year.periods.empty())
                continue;
            any = true;
            const LegReport& leg = m_report.legs[i];
            std::vector<bool> right(all.size());
            for (size_t day = 0; day < right.size(); ++day) {
                const UnixSeconds moment = (m_plan.startDay + static_cast<std::int64_t>(day)) * DaySeconds
                                           + (leg.universalMinutes % DayMinutes) * 60;
                const std::optional<int> offset = OffsetAt(year.periods, moment);
                right[day] = offset && DifferenceSuits(leg.timeDifference, *offset);
                all[day] = all[day] && right[day];
            }
            legRanges.emplace_back(static_cast<int>(i) + 1, RangesOf(right, m_plan.startDay));
        }
        if (!any)
            return;
        m_report.rightOn = RangesOf(all, m_plan.startDay);
        const std::string window = "the twelve months from " + DayText(m_plan.startDay);
        if (m_report.rightOn.empty()) {
            std::string why;
            for (const auto& [leg, ranges] : legRanges) {
                const LegReport& report = m_report.legs[static_cast<size_t>(leg) - 1];
                why += "; leg " + std::to_string(leg) + " (" + report.from + " at "
                       + DifferenceText(report.timeDifference) + ") holds "
                       + (ranges.empty() ? std::string("on no day") : RangesText(ranges));
            }
            Add(CheckLevel::Error, 0, "No day of " + window + " suits every time difference" + why + ".");
            return;
        }
        const bool wholeYear = m_report.rightOn.size() == 1 && m_report.rightOn[0].first == m_plan.startDay
                               && m_report.rightOn[0].last == m_plan.startDay + m_dayCount - 1;
        Add(CheckLevel::Note, 0,
            wholeYear ? "The time differences hold on every day of " + window + "."
                      : "The time differences hold " + RangesText(m_report.rightOn) + " only.");
    }

    const PlanChoices& m_plan;
    const int m_period;
    int m_dayCount = 365;
    PlanReport m_report;
    std::vector<ZoneYear> m_zones; // one per leg, empty where the departure airport has no zone
};
} // namespace

std::optional<int> PeriodMinutes(std::string_view periodText)
{
    static constexpr std::pair<std::string_view, int> Periods[] = {
        {"1Hr", 60},  {"2Hr", 120},  {"4Hr", 240},   {"6Hr", 360},
        {"8Hr", 480}, {"12Hr", 720}, {"24Hr", 1440}, {"WEEK", WeekMinutes},
    };
    for (const auto& [name, minutes] : Periods) {
        if (name.size() == periodText.size() && CompareNoCase(name, periodText) == 0)
            return minutes;
    }
    return std::nullopt;
}

PlanReport CheckComposedPlan(const PlanChoices& plan) { return PlanChecker(plan).Run(); }

std::string PeriodTimeText(int minutes, bool weekly, bool shortDay)
{
    static constexpr const char* Days[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes % DayMinutes / 60, minutes % 60);
    if (!weekly)
        return text;
    const std::string day = Days[minutes / DayMinutes % 7];
    return (shortDay ? day.substr(0, 3) : day) + " " + text;
}

std::string ClockDurationText(int minutes)
{
    const int size = minutes < 0 ? -minutes : minutes;
    char text[40];
    if (size < DayMinutes)
        std::snprintf(text, sizeof text, "%s%d:%02d", minutes < 0 ? "-" : "", size / 60, size % 60);
    else
        std::snprintf(text, sizeof text, "%s%d d %02d:%02d", minutes < 0 ? "-" : "", size / DayMinutes,
                      size % DayMinutes / 60, size % 60);
    return text;
}

std::string OffsetText(int minutes)
{
    if (minutes == 0)
        return "0";
    const int size = minutes < 0 ? -minutes : minutes;
    std::string text = (minutes < 0 ? "-" : "+") + std::to_string(size / 60);
    if (size % 60 != 0) {
        char rest[8];
        std::snprintf(rest, sizeof rest, ":%02d", size % 60);
        text += rest;
    }
    return text;
}
