#pragma once
// What the plan dialog's three buttons do, on plain values: Accept Header, Accept Leg and OK take
// what the controls hold, check it in a fixed order and either refuse with a message for the user
// or change the plan text and the planner state. The dialog only reads its controls, calls these
// and shows the outcome.

#include "app/PlannerState.h"

#include <optional>
#include <string>
#include <vector>

// A leg as it was accepted, for the plan check.
struct AcceptedLeg {
    int localMinutes = 0;   // the local departure, minutes after midnight
    int timeDifference = 0; // hours
    int dayIndex = -1;      // 0 (Sunday) to 6 in a weekly plan, else -1
    int destinationIndex = -1;
    std::string destination;
};

// What the dialog remembers of its own presses, from its opening to its end.
struct PlanDraft {
    std::string periodText;       // the trimmed period of the last accepted header; "WEEK" writes days
    std::string registrationText; // the registration of the last accepted header, with its comma
    bool headerAccepted = false;
    std::string aircraftEntry;     // the aircraft entry of the last accepted header
    std::vector<AcceptedLeg> legs; // accepted since the last accepted header
};

// The selected entry of a list: its index (-1 for none) and its bytes (empty for none).
struct ListChoice {
    int index = -1;
    std::string text;
};

// A one-line edit's text as plan bytes; nothing when a typed character has no Windows-1252 byte,
// and then that character, in UTF-8, for the message.
struct TypedText {
    std::optional<std::string> bytes;
    std::string refusedCharacter;
};

struct HeaderChoices {
    ListChoice aircraft;
    ListChoice period;
    ListChoice flightRule;
    ListChoice trafficLimit;
    TypedText registration;
};

struct LegChoices {
    ListChoice departure;
    ListChoice timeDifference;
    ListChoice dayOfWeek;
    ListChoice destination; // the entry of the destination list, never the typed text
    TypedText flightNumber;
    TypedText flightLevel;
};

// A press refused shows `refusal` (UTF-8 text for a message box) and changes only what the rule
// stores before its checks; an accepted press leaves it empty.
struct Outcome {
    std::string refusal;
    bool Accepted() const { return refusal.empty(); }
};

// Stores the period index, then checks; an accepted header replaces or extends the plan text
// (a comment starts it anew) and starts the leg count at 0.
[[nodiscard]] Outcome AcceptHeader(PlanDraft& draft, PlannerState& state, const HeaderChoices& choices);

// Stores the destination index, then checks; an accepted leg is converted to universal time,
// appended to the plan text, counted and recorded in the draft.
[[nodiscard]] Outcome AcceptLeg(PlanDraft& draft, PlannerState& state, const LegChoices& choices);

// The leg the choices make, as the plan check sees it; nothing while a departure, a time difference,
// a destination or, in a weekly plan, a day is missing. Changes nothing.
std::optional<AcceptedLeg> LegAsChosen(const PlanDraft& draft, const LegChoices& choices);

// Whether the plan may be written: it needs two legs. Changes nothing.
[[nodiscard]] Outcome Finish(const PlannerState& state);

// Whether the accepted header makes a weekly plan, whose legs carry a day of the week.
bool IsWeeklyPlan(const PlanDraft& draft);
