#pragma once
// A plan walked once around its loop: the aircraft flies the legs in order, leg 1 departing from the
// last leg's destination, and starts again with leg 1 one period later. Each departure is the first
// moment at or after the one before it at which its time comes round (times count modulo the period:
// n hours, or the week with its days). Core, no Qt.

#include "planfile/LoopDepartures.h"
#include "planfile/PlanFileReader.h"
#include "planfile/PlanLine.h"

#include <optional>
#include <span>
#include <string_view>
#include <vector>

struct WalkedLeg {
    std::string_view from;
    std::string_view to;
    AirportEntry airport;                   // of `to`: not listed when the airport file lacks it
    int departureClock = 0;                 // the departure as written, PlanTime::Clock
    long long departure = 0;                // seconds after leg 1's departure
    std::optional<double> distanceNm;       // when both airports can be placed
    std::optional<long long> cruiseSeconds; // at cruise speed, when the aircraft can be timed as well
    std::optional<long long> givenSeconds;  // up to the arrival time written in the leg
    bool fixedArrival = false;              // that time carries "@"
    std::optional<long long> flightSeconds; // the given arrival, else the cruise estimate
    std::optional<long long> groundSeconds; // from the arrival to the next departure; negative: too early

    // The arrival as a clock time, PlanTime::Clock, when the flight time is known.
    std::optional<int> ArrivalClock(bool week) const;
};

struct WalkedLoop {
    int periodSeconds = 0;
    bool week = false;
    AircraftEntry aircraft;    // not listed when the aircraft file lacks it
    long long loopSeconds = 0; // from leg 1's departure to its next one: the period, or a multiple of it
    std::vector<WalkedLeg> legs;
};

// Walks `plan` with the positions and speeds of `data`; `loop` is filled anew (its storage is reused).
void WalkLoop(const PlanLine& plan, const ReferenceData& data, WalkedLoop& loop);
// The same with the aircraft and each leg's destination looked up already.
void WalkLoop(const PlanLine& plan, const AircraftEntry& aircraft, std::span<const AirportEntry> places,
              WalkedLoop& loop);

// One leg walked from `from` (as the airport file has it, `fromPlace`) to its destination (`place`), at `knots` (0: the
// aircraft cannot be timed); its departure moment and ground time are left to the walk of the loop.
void WalkLeg(const PlanLeg& leg, int periodSeconds, int knots, std::string_view from, const AirportEntry& fromPlace,
             const AirportEntry& place, WalkedLeg& walked);
// The aircraft's cruise speed, 0 when it cannot be timed.
int CruiseKnots(const AircraftEntry& aircraft);

// True only when walking and checking `plan` would find nothing: the aircraft and every destination
// are known and placed, no arrival is fixed, the legs fit the period, and each ground time is at least
// the turnaround even with the flight before it taken a minute longer than it can be. The flight is
// bounded without trigonometry, so that most plans of a large file need no walk at all. False says
// nothing: such a plan is walked and checked in full.
bool SurelyWithoutFindings(const PlanLine& plan, const AircraftEntry& aircraft, std::span<const AirportEntry> places,
                           int turnaroundMinutes);
