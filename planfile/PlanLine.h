#pragma once
// One line of a plan file read into its fields. A plan line is a header of five fields (aircraft
// key, registration, traffic limit "NN%", period, IFR or VFR) and then legs of six fields each:
// departure time, arrival time (may be empty), flight level, F or R, flight number, destination.
// Comment lines begin with ";" or "//". Core, no Qt.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr int SecondsPerDay = 24 * 60 * 60;
inline constexpr int SecondsPerWeek = 7 * SecondsPerDay;

// A time of a plan as written: HH:MM or HH:MM:SS, with a day D/ in front in WEEK plans.
struct PlanTime {
    int day = -1;    // 0 (Sunday) to 6; -1 without a day
    int seconds = 0; // since midnight, 0 to 86399

    // Seconds since Sunday midnight for a time with a day, since midnight otherwise.
    int Clock() const { return (day < 0 ? 0 : day * SecondsPerDay) + seconds; }
};

// The text views point into the line that was read.
struct PlanLeg {
    PlanTime departure;
    std::optional<PlanTime> arrival; // the second field, when it holds a time
    bool fixedArrival = false;       // that time was written with "@" in front
    std::string_view flightLevel;
    char flightRules = 'F'; // as found: F or R, in either case
    std::string_view flightNumber;
    std::string_view destination;
};

struct PlanLine {
    std::string_view aircraftKey;
    std::string_view registration;
    int trafficLimit = 0;        // percent
    std::string_view period;     // as found, "24hr" or "WEEK"
    int periodSeconds = 0;       // n hours for "nHr", seven days for "WEEK"
    bool week = false;           // times carry their day
    std::string_view flightRule; // IFR or VFR, as found
    std::vector<PlanLeg> legs;
};

enum class PlanLineKind { Blank, Comment, Plan, Refused };

// Reads one physical line (without its line end). For a plan, `plan` gets its fields, as views into
// `line`; for a line that is no plan the reader knows, `reason` says why, for the user. Fields are
// taken without the blanks around them; nothing is guessed.
PlanLineKind ReadPlanLine(std::string_view line, PlanLine& plan, std::string& reason);
// The same for a line too long to hold all its legs: each leg is handed to `each` as it is read, and
// `plan` gets the header alone. A line refused for a leg has had the legs before it handed on.
PlanLineKind ReadPlanLineLegs(std::string_view line, PlanLine& plan, std::string& reason,
                              const std::function<void(const PlanLeg&)>& each);

// "HH:MM" or "HH:MM:SS", with "D/" in front when the time has a day.
std::string PlanTimeText(PlanTime time);
