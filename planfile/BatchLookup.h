#pragma once
// The plans of a batch of lines, looked up together: every line is taken apart first, then the
// aircraft and destinations of all its plans are found at once. The tables are far larger than the
// processor's caches, and one plan's lookups alone would wait for memory one after the other. Core,
// no Qt.

#include "planfile/LoopWalk.h"
#include "planfile/PlanFileReader.h"
#include "planfile/PlanLine.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Storage a thread keeps for its batches, so that they allocate once.
struct LookupRoom {
    std::vector<std::string_view> keys;
    std::vector<std::string_view> destinations;
    std::vector<std::uint64_t> hashes;
    std::vector<AircraftEntry> aircraft;
    std::vector<AirportEntry> places;
    WalkedLoop loop;
};

// Takes apart each of `lines` (its `text` into `kind`, `plan` and `reason`), looks up the aircraft
// and destinations of all its plans together, then calls `visit(line, aircraft, places)` for each plan
// line in order; `aircraft` or a place is not listed where its file lacks it.
template <typename Line, typename Visit>
void LookUpPlans(std::span<Line> lines, const ReferenceData& data, LookupRoom& room, Visit visit)
{
    room.keys.clear();
    room.destinations.clear();
    for (Line& line : lines) {
        line.reason.clear();
        line.kind = ReadPlanLine(line.text, line.plan, line.reason);
        if (line.kind != PlanLineKind::Plan)
            continue;
        room.keys.push_back(line.plan.aircraftKey);
        for (const PlanLeg& leg : line.plan.legs)
            room.destinations.push_back(leg.destination);
    }
    data.aircraft.FindMany(room.keys, room.hashes, room.aircraft);
    data.airports.FindMany(room.destinations, room.hashes, room.places);
    size_t plan = 0;
    size_t leg = 0;
    for (Line& line : lines) {
        if (line.kind != PlanLineKind::Plan)
            continue;
        const size_t legs = line.plan.legs.size();
        const AircraftEntry& aircraft = room.aircraft[plan++];
        const auto places = std::span<const AirportEntry>(room.places).subspan(leg, legs);
        leg += legs;
        visit(line, aircraft, places);
    }
}
