#pragma once
// What the check finds in one plan: aircraft and airports the files lack or cannot place or time,
// legs that depart before their aircraft has arrived or that do not fit the period, fixed arrivals
// the aircraft cannot make or the simulator will not fly, and short turnarounds. Core, no Qt.

#include "planfile/LoopWalk.h"
#include "planfile/PlanFileReader.h"
#include "planfile/PlanLine.h"

#include <functional>
#include <string>
#include <vector>

// A fixed ("@") arrival this much later than the arrival at cruise speed is not flown: the simulator
// is known to put the aircraft at its gate at the fixed time instead of landing it.
inline constexpr int LateFixedArrivalMinutes = 37;

inline constexpr int DefaultTurnaroundMinutes = 30;

enum class FindingLevel { Error, Warning };

struct Finding {
    FindingLevel level = FindingLevel::Error;
    std::string text;
};

// Takes each finding as it is found, so that a plan of millions of legs need not hold them all.
using FindingSink = std::function<void(FindingLevel level, std::string&& text)>;

// Hands the findings of `plan`, walked into `loop`, to `found` in the order of its legs.
void CheckPlan(const PlanLine& plan, const WalkedLoop& loop, int turnaroundMinutes, const FindingSink& found);
// Appends them to `findings`.
void CheckPlan(const PlanLine& plan, const WalkedLoop& loop, int turnaroundMinutes, std::vector<Finding>& findings);

// "45 min", "1 h 05 min", "2 h 00 min 30 s": the length of a stretch of time, without its sign.
std::string DurationText(long long seconds);
// "1 leg", "2 legs": a count and its word, which takes an "s" for any count but 1.
std::string CountText(long long count, const char* word);
// A clock time as a plan writes it, with its day for a WEEK plan.
std::string ClockText(int clock, bool week);
