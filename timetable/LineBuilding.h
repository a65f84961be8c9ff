#pragma once
// Lines of flying: the flights one aircraft flies, in order, round one period (a day or the week),
// each departing where the one before arrived, the last arriving where the first departs. Lines
// come from the registrations a timetable gives, or are built per aircraft type with as few
// aircraft as the chaining reaches. Core, no Qt.

#include "timetable/WeekFlights.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// A flight to chain: where it departs and arrives, when it departs within the period, and when its
// aircraft is ready for the next flight (departure, flight time and turnaround: past the period's
// end when that comes first).
struct ChainLeg {
    std::uint32_t from = 0;
    std::uint32_t to = 0;
    int departs = 0;
    int ready = 0; // less than departs + period
};

struct ChainResult {
    // Each line comes round within one period; its legs in the order flown, from the earliest departure.
    std::vector<std::vector<std::uint32_t>> lines;
    std::vector<std::uint32_t> longer;    // legs whose rotation needs more than one period
    std::vector<std::uint32_t> unmatched; // legs no rotation holds: an airport is left more often than reached
};

// Chains `legs` (indices into it) round a period of `period` minutes. At each airport a departure
// takes an aircraft that is ready there, and only when none is, one that stays on the ground over
// the period's end: so the aircraft needed are the fewest that could fly the legs if rotations
// could take several periods. Rotations that do take several are then split where two of their
// aircraft stand on the ground at one airport together, by exchanging their next flights.
ChainResult ChainLegs(std::span<const ChainLeg> legs, int period);

// The fewest aircraft that could fly `legs` round and round, if rotations could take several periods:
// at the period's start, the aircraft in the air or turning, plus at each airport the largest excess,
// over the period that follows, of departures over the arrivals ready by then.
long long FewestAircraft(std::span<const ChainLeg> legs, int period);

struct FleetLine {
    std::vector<std::uint32_t> flights; // into TimetableWeek::flights, in the order flown
    bool daily = false;                 // every flight flies each day at the same universal time: one per day listed
    std::string registration;           // from the timetable; empty for a built line
};

struct LeftOutFlight {
    std::uint32_t flight = 0; // into TimetableWeek::flights
    std::string reason;
};

struct Fleet {
    std::vector<FleetLine> lines;
    std::vector<LeftOutFlight> leftOut;
    long long fewest = 0; // aircraft the built lines could need at least (FewestAircraft, per type)
    long long builtLines = 0;
};

// "6 aircraft, the fewest possible 6". Where flights the lines could not hold were left out, the bound
// still counts them and may exceed the aircraft used: the words then say which flights each counts.
std::string FleetSizeText(const Fleet& fleet);

// The lines of the week: rows with a registration give that aircraft's line, the others are built per
// aircraft type, keeping `turnaround` minutes on the ground. Flights that fly daily are found by a key
// of their time of day and a hash of `dailyHashBits` bits of the rest, then compared in full; a test
// gives fewer bits so that different flights share keys.
Fleet BuildFleet(const Timetable& table, const TimetableWeek& week, int turnaround, int dailyHashBits = 53);
