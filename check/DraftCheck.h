#pragma once
// The plan check of what the plan dialog holds: the header and the legs accepted since, then the
// leg being composed, as the controls stand. Core, no Qt.

#include "check/PlanCheck.h"
#include "plan/PlanDraft.h"

#include <functional>
#include <optional>

struct DraftCheckSettings {
    int minimumTurnaround = 30;
    std::int64_t startDay = 0; // today, in days since 1970-01-01
    int firstHour = 0;         // the hours the departure list offers
    int endHour = 24;
    std::optional<CheckedAirport> firstDeparture; // leg 1's departure airport, when the user named it
};

// Where the destination of a leg lies, when its airport line tells.
using PlaceOfLeg = std::function<std::optional<GeoPosition>(const AcceptedLeg& leg)>;

// What the check is given; nothing before a header was accepted.
std::optional<PlanChoices> ChoicesFromDraft(const PlanDraft& draft, const std::optional<AcceptedLeg>& composing,
                                            const PlaceOfLeg& place, const DraftCheckSettings& settings);

// "on line 4", "on lines 4 and 9", at most five of them: "on lines 4, 9, 17, 30 and 52, and 270,597 more".
std::string LinesText(const std::vector<std::int64_t>& lines);
