#include "plan/PlanDraft.h"

#include "input/Text.h"
#include "plan/Composition.h"

namespace {
const char* const RepeatSelection = "Error: Repeat Selection!";
const char* const AirportNotFound = "Error: Airport not found!\n(Use Arrow down for ICAO code...)";
const char* const OnlyOneLeg = "Only 1 Leg in Flightplan !";

Outcome Refused(std::string message) { return {std::move(message)}; }

Outcome CannotWrite(const TypedText& typed)
{
    return Refused("Error: The character \"" + typed.refusedCharacter + "\" cannot be written to the flightplan!");
}
} // namespace

bool IsWeeklyPlan(const PlanDraft& draft) { return draft.periodText == "WEEK"; }

Outcome AcceptHeader(PlanDraft& draft, PlannerState& state, const HeaderChoices& choices)
{
    state.periodIndex = choices.period.index;
    const std::string key = AircraftKey(choices.aircraft.text);
    if (choices.aircraft.index == -1 || choices.period.index == -1 || choices.flightRule.index == -1
        || choices.trafficLimit.index == -1 || IsBlankThroughout(key))
        return Refused(RepeatSelection);
    // A commented-out line of the aircraft file: the plan line would begin a comment, and the traffic
    // compiler would skip the whole plan without a word.
    if (key.starts_with(';') || key.starts_with("//"))
        return Refused("Error: This aircraft line is a comment!");
    if (!choices.registration.bytes)
        return CannotWrite(choices.registration);
    const std::string& registration = *choices.registration.bytes;
    if (BreaksPlanField(registration))
        return Refused("Error: No comma in the Registration!");
    // Without a comment the new header would follow the old one, which needs its two legs first.
    if (draft.headerAccepted && state.comment.empty() && state.legCount < 2)
        return Refused(OnlyOneLeg);

    const std::string header = ComposeHeader(choices.aircraft.text, registration, choices.trafficLimit.text,
                                             choices.period.text, choices.flightRule.text);
    draft.periodText = TrimBlanks(choices.period.text);
    draft.registrationText = TrimBlanks(registration) + ",";
    draft.aircraftEntry = choices.aircraft.text;
    draft.headerAccepted = true;
    draft.legs.clear();
    state.headerText = state.lineBreak + header;
    state.planText = PlanTextWithHeader(state.planText, state.comment, header);
    state.legCount = 0;
    return {};
}

Outcome AcceptLeg(PlanDraft& draft, PlannerState& state, const LegChoices& choices)
{
    state.destinationIndex = choices.destination.index;
    if (state.destinationIndex == -1)
        return Refused(AirportNotFound);
    // A leg is written only from what the user chose and saw: no time difference read as 0, no
    // missing day read as Saturday.
    const bool week = IsWeeklyPlan(draft);
    if (choices.timeDifference.index == -1 || (week && choices.dayOfWeek.index == -1))
        return Refused(RepeatSelection);
    if (!draft.headerAccepted)
        return Refused("Error: Accept the Header first!");
    if (choices.departure.index == -1)
        return Refused("Error: No Local Departure Time selected!");
    if (!choices.flightNumber.bytes)
        return CannotWrite(choices.flightNumber);
    if (!choices.flightLevel.bytes)
        return CannotWrite(choices.flightLevel);
    const std::string& flightNumber = *choices.flightNumber.bytes;
    const std::string& flightLevel = *choices.flightLevel.bytes;
    if (BreaksPlanField(flightNumber) || BreaksPlanField(flightLevel))
        return Refused("Error: No comma in Flight # or Flight Level!");

    const std::string& departure = choices.departure.text;
    const UniversalTime universal =
        ToUniversalTime(IntegerValue(Left(departure, 2)), IntegerValue(choices.timeDifference.text),
                        DayIndexFromName(choices.dayOfWeek.text));
    state.legText = ComposeLeg(week, universal.dayIndex, UniversalTimeText(universal.hour, departure), flightLevel,
                               flightNumber, choices.destination.text);
    state.planText += state.legText;
    ++state.legCount;
    draft.legs.push_back(*LegAsChosen(draft, choices));
    return {};
}

std::optional<AcceptedLeg> LegAsChosen(const PlanDraft& draft, const LegChoices& choices)
{
    const bool week = IsWeeklyPlan(draft);
    if (choices.departure.index == -1 || choices.timeDifference.index == -1 || choices.destination.index == -1
        || (week && choices.dayOfWeek.index == -1))
        return std::nullopt;
    const std::string& departure = choices.departure.text;
    return AcceptedLeg{IntegerValue(Left(departure, 2)) * 60 + IntegerValue(Right(departure, 2)),
                       IntegerValue(choices.timeDifference.text), week ? DayIndexFromName(choices.dayOfWeek.text) : -1,
                       choices.destination.index, choices.destination.text};
}

Outcome Finish(const PlannerState& state)
{
    if (state.legCount < 2)
        return Refused(OnlyOneLeg);
    return {};
}
