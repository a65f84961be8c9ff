#pragma once
// What the check finds in one plan: aircraft and airports the files lack or cannot place or time,
// legs that depart before their aircraft has arrived or that do not fit the period, fixed arrivals
// the aircraft cannot make or the simulator will not fly, and short turnarounds. Core, no Qt.

#include "planfile/LoopWalk.h"
#include "planfile/PlanFileReader.h"
#include "planfile/PlanLine.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>
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

// Hands the findings of `plan`, walked into `loop`, to `findings` in the order of its legs.
void CheckPlan(const PlanLine& plan, const WalkedLoop& loop, int turnaroundMinutes, const FindingSink& findings);
// Appends them to `findings`.
void CheckPlan(const PlanLine& plan, const WalkedLoop& loop, int turnaroundMinutes, std::vector<Finding>& findings);

// The pieces of CheckPlan, for a plan walked a stretch of legs at a time. The findings on the plan as
// a whole, which come first: its aircraft, and legs that need more than its period.
void CheckPlanHeader(const PlanLine& plan, const AircraftEntry& aircraft, long long loopSeconds,
                     const FindingSink& findings);
// One leg of a plan walked, with the leg after it in the loop.
struct LegInLoop {
    std::size_t index = 0; // 0 for leg 1
    const PlanLeg& leg;
    const WalkedLeg& walked;
    std::size_t nextIndex = 0;
    PlanTime nextDeparture; // as written
    bool week = false;
};
// The findings on one leg, in the order CheckPlan gives them; `named` holds the airports that cannot
// be placed named so far in the plan, each named once.
void CheckLeg(const LegInLoop& at, int turnaroundMinutes, std::unordered_set<std::string_view>& named,
              const FindingSink& findings);

// "45 min", "1 h 05 min", "2 h 00 min 30 s": the length of a stretch of time, without its sign.
std::string DurationText(long long seconds);
// "1 leg", "2 legs": a count and its word, which takes an "s" for any count but 1.
std::string CountText(long long count, const char* word);
// A clock time as a plan writes it, with its day for a WEEK plan.
std::string ClockText(int clock, bool week);
