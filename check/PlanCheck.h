#pragma once
// Whether a plan is right: where each leg departs from, when it departs in universal time, when its
// aircraft arrives, how long it stays on the ground, and whether each time difference is one its
// departure airport keeps. Core, no Qt: the plan dialog and the check window only show the answer.

#include "check/Calendar.h"
#include "check/Geo.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The minutes of one period of a plan: n hours for "nHr", 24 hours, or the week for "WEEK" (any
// letter case); nothing for any other text.
std::optional<int> PeriodMinutes(std::string_view periodText);

// An airport as the check knows it: its code and, when its line gives one, its position.
struct CheckedAirport {
    std::string code;
    std::optional<GeoPosition> position;
    bool listed = true; // false: no line of the airport file has this code
};

// One leg as the user chose it.
struct LegChoice {
    int localMinutes = 0;   // local departure, minutes after midnight
    int timeDifference = 0; // hours, as chosen: local time minus universal time
    int dayIndex = -1;      // 0 (Sunday) to 6; -1 when the plan is not weekly
    CheckedAirport destination;
};

struct PlanChoices {
    std::string aircraftKey;
    std::optional<int> cruiseKnots;
    int periodMinutes = 1440;
    bool weekly = false;
    std::vector<LegChoice> legs;
    int minimumTurnaround = 30; // minutes
    std::int64_t startDay = 0;  // days since 1970-01-01: the twelve months checked begin here
    int firstHour = 0;          // the departure list offers times from this hour
    int endHour = 24;           // ... up to, not including, this one, round midnight too
    // Where leg 1 departs from when the user has said so. Else it is the last leg's destination,
    // which is known only once a later leg is there.
    std::optional<CheckedAirport> firstDeparture;
    bool composing = false; // the last leg is being composed, not yet accepted
};

// The list of time differences holds whole hours from -12 to 12.
inline constexpr int LowestListedDifference = -12;
inline constexpr int HighestListedDifference = 12;

// The local time at the departure airport that a written universal time is at one of its offsets.
struct LocalAtOffset {
    int minutes = 0; // within the day, or the week from Sunday 00:00
    int offset = 0;  // minutes
};

// What the check found out about one leg.
struct LegReport {
    // The departure airport: the previous leg's destination (leg 1: the last leg's, or the one the
    // user named); empty while nobody knows it.
    std::string from;
    std::string to;
    int localMinutes = 0;
    int timeDifference = 0;
    int dayIndex = -1;
    std::string zone;                  // the departure airport's zone; empty when it cannot be placed
    std::optional<int> standardOffset; // minutes, in the twelve months checked
    std::optional<int> daylightOffset; // minutes, when the zone keeps daylight saving time then
    int universalMinutes = 0;          // as written: within the day, or the week from Sunday 00:00
    std::optional<double> distanceNm;
    std::optional<int> flightMinutes;
    std::optional<int> arrivalMinutes; // universal, within the day or the week
    std::optional<int> groundMinutes;  // before the next leg departs; negative when it departs first
    // Where the airport keeps an offset the list cannot express: the local time of the written
    // universal time at each offset it keeps.
    std::vector<LocalAtOffset> localTimes;
};

enum class CheckLevel { Error, Warning, Note };

struct CheckFinding {
    CheckLevel level = CheckLevel::Note;
    int leg = 0; // 1 for the first leg; 0 for the plan as a whole
    std::string text;
};

struct DayRange {
    std::int64_t first = 0; // days since 1970-01-01
    std::int64_t last = 0;  // included
};

struct PlanReport {
    std::vector<LegReport> legs;
    std::vector<CheckFinding> findings; // errors first, then warnings, then notes; by leg within each
    std::vector<DayRange> rightOn;      // the days of the twelve months on which every time difference holds
};

PlanReport CheckComposedPlan(const PlanChoices& plan);

// "HH:MM", with the day's name in front for a weekly plan ("Tuesday 04:30", or "Tue 04:30" short).
std::string PeriodTimeText(int minutes, bool weekly, bool shortDay = false);
// A flight or ground time: "0:47", "-0:10", "6 d 21:08".
std::string ClockDurationText(int minutes);
// "+5", "-3:30", "0".
std::string OffsetText(int minutes);
