#include "check/DraftCheck.h"

#include "plan/Composition.h"

#include <algorithm>

std::optional<PlanChoices> ChoicesFromDraft(const PlanDraft& draft, const std::optional<AcceptedLeg>& composing,
                                            const PlaceOfLeg& place, const DraftCheckSettings& settings)
{
    if (!draft.headerAccepted)
        return std::nullopt;
    PlanChoices plan;
    plan.aircraftKey = AircraftKey(draft.aircraftEntry);
    plan.cruiseKnots = CruiseSpeedFromAircraftEntry(draft.aircraftEntry);
    plan.weekly = IsWeeklyPlan(draft);
    plan.periodMinutes = PeriodMinutes(draft.periodText).value_or(24 * 60);
    plan.minimumTurnaround = settings.minimumTurnaround;
    plan.startDay = settings.startDay;
    plan.firstHour = settings.firstHour;
    plan.endHour = settings.endHour;
    plan.firstDeparture = settings.firstDeparture;
    plan.composing = composing.has_value();
    auto add = [&](const AcceptedLeg& leg) {
        plan.legs.push_back({leg.localMinutes, leg.timeDifference, leg.dayIndex, {leg.destination, place(leg)}});
    };
    for (const AcceptedLeg& leg : draft.legs)
        add(leg);
    if (composing)
        add(*composing);
    return plan;
}

namespace {
// 270597 as "270,597".
std::string CountText(size_t count)
{
    std::string digits = std::to_string(count);
    for (size_t at = digits.size() > 3 ? digits.size() - 3 : 0; at > 0; at = at > 3 ? at - 3 : 0)
        digits.insert(at, ",");
    return digits;
}
} // namespace

std::string LinesText(const std::vector<std::int64_t>& lines)
{
    constexpr size_t Named = 5; // more would fill the window with numbers nobody reads
    const size_t shown = std::min(lines.size(), Named);
    std::string text = shown == 1 ? "on line " : "on lines ";
    for (size_t i = 0; i < shown; ++i)
        text += (i == 0 ? "" : i + 1 == shown ? " and " : ", ") + std::to_string(lines[i]);
    if (lines.size() > shown)
        text += ", and " + CountText(lines.size() - shown) + " more";
    return text;
}
