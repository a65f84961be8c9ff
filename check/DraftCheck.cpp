#include "check/DraftCheck.h"

#include "plan/Composition.h"

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
    auto add = [&](const AcceptedLeg& leg) {
        plan.legs.push_back({leg.localMinutes, leg.timeDifference, leg.dayIndex, {leg.destination, place(leg)}});
    };
    for (const AcceptedLeg& leg : draft.legs)
        add(leg);
    if (composing)
        add(*composing);
    return plan;
}
