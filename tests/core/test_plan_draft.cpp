// Accept Header, Accept Leg and OK on plain values: which press is refused with which message, and
// what an accepted one makes of the plan text. A row fills the dialog from a form of fields split
// by '|', "-" for a list without a selection; a typed text ending in an airplane has no code-page byte.
#include "plan/PlanDraft.h"

#include "app/PlannerState.h"

#include <gtest/gtest.h>

#include <sstream>
#include <tuple>
#include <vector>

namespace {
const char* const Repeat = "Error: Repeat Selection!";
const char* const OneLeg = "Only 1 Leg in Flightplan !";
const char* const Comment = "Error: This aircraft line is a comment!";
const std::string Plane = "\u2708";
const std::string NoByte = "Error: The character \"" + Plane + "\" cannot be written to the flightplan!";

std::vector<std::string> Fields(const std::string& form)
{
    std::vector<std::string> fields;
    std::istringstream in(form);
    for (std::string field; std::getline(in, field, '|');)
        fields.push_back(field);
    return fields;
}
ListChoice Choice(const std::string& text) { return text == "-" ? ListChoice{} : ListChoice{1, text}; }
TypedText Typed(const std::string& text) { return text.ends_with(Plane) ? TypedText{{}, Plane} : TypedText{text, {}}; }
} // namespace

TEST(PlanDraft, AcceptHeaderChecksInOrderThenComposes)
{
    const char* const Example = "JET7,450|24Hr|IFR|50|  N123EX";
    const std::string Header = "JET7,N123EX,50%,24Hr,IFR";
    struct Row {
        const char* name;
        const char* comment;
        int legsBefore;    // after an earlier header and this many legs; -1 for the first header
        const char* form;  // aircraft entry|period|flight rule|traffic limit|registration
        std::string shown; // the refusal, or the plan text
    };
    const Row rows[] = {
        {"worked example", "Example comment", -1, Example, "\n;\n;Example comment\n;\n" + Header},
        {"each comment line gets its ';'", "a\r\nb\rc\n", 1, Example, "\n;\n;a\n;b\n;c\n;\n;\n" + Header},
        {"blanks trimmed", "", -1, " \tA B ,4| WEEK\t| VFR | 100|N123EX \t", "\n\nA B ,N123EX,100%,WEEK,VFR"},
        {"without a comment, after two legs", "", 2, Example, "\n\n\nOLD\n" + Header},
        {"without a comment, after one leg", "", 1, Example, OneLeg},
        {"selection first", "", -1, "-|24Hr|IFR|50|N\u2708", Repeat},
        {"no period", "", -1, "JET7,450|-|IFR|50|N", Repeat},
        {"no flight rule", "", -1, "JET7,450|24Hr|-|50|N", Repeat},
        {"no traffic limit", "", -1, "JET7,450|24Hr|IFR|-|N", Repeat},
        {"a blank aircraft key", "", -1, " ,450|24Hr|IFR|50|N", Repeat},
        {"no aircraft key without a comma", "", -1, "\"Zulu\"|24Hr|IFR|50|N", Repeat},
        {"a commented-out aircraft line", "", -1, " ;AC#5,450|24Hr|IFR|50|N\u2708", Comment},
        {"a line commented out with //", "", -1, "//AC#5,450|24Hr|IFR|50|N", Comment},
        {"a slash alone is no comment", "", -1, "/AC#5,450|24Hr|IFR|50|N123EX", "\n\n/AC#5,N123EX,50%,24Hr,IFR"},
        {"code page before legs", "", 1, "JET7,450|24Hr|IFR|50|N\u2708", NoByte},
        {"comma before legs", "", 1, "JET7,450|24Hr|IFR|50|N1,2", "Error: No comma in the Registration!"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PlannerState state;
        state.comment = row.comment;
        PlanDraft draft;
        if (row.legsBefore >= 0)
            draft = {"WEEK", "OLD,", true, "OLD", {AcceptedLeg{}}}, state.planText = "\n\nOLD",
            state.legCount = row.legsBefore;
        auto kept = [&] {
            return std::tuple(state.planText, state.headerText, state.legCount, draft.periodText,
                              draft.registrationText, draft.headerAccepted);
        };
        const auto before = kept();
        const std::vector<std::string> f = Fields(row.form);
        const Outcome outcome =
            AcceptHeader(draft, state, {Choice(f[0]), Choice(f[1]), Choice(f[2]), Choice(f[3]), Typed(f[4])});
        EXPECT_EQ(outcome.Accepted() ? state.planText : outcome.refusal, row.shown);
        EXPECT_EQ(state.periodIndex, f[1] == "-" ? -1 : 1); // stored whatever the outcome
        if (!outcome.Accepted()) {
            EXPECT_EQ(kept(), before);
            continue;
        }
        EXPECT_EQ(state.headerText, state.planText.substr(state.planText.rfind('\n')));
        EXPECT_EQ(std::tuple(draft.headerAccepted, draft.registrationText, IsWeeklyPlan(draft), state.legCount),
                  std::tuple(true, "N123EX,", row.shown.find(",WEEK,") != std::string::npos, 0));
        EXPECT_EQ(std::tuple(draft.aircraftEntry, draft.legs.size()), std::tuple(f[0], 0u)); // the check starts anew
    }
}

TEST(PlanDraft, AcceptLegChecksInOrderThenAppends)
{
    struct Row {
        const char* name;
        const char* period; // of the accepted header; "" before any
        const char* form;   // departure|time difference|day|destination|flight number|flight level
        std::string shown;  // the refusal, or the leg text
    };
    const Row rows[] = {
        {"the worked 24Hr leg needs no day", "24Hr", "06:30|2|-|EDDF|101|350", ",04:30,,350,F,101,EDDF"},
        {"the worked weekly leg back to Saturday", "WEEK", "01:15|3|Sunday|EGLL|102|280", ",6/22:15,,280,F,102,EGLL"},
        {"the worked weekly leg on to Sunday", "WEEK", "23:00|-5|Saturday|KJFK|103|310", ",0/04:00,,310,F,103,KJFK"},
        {"blanks around number and level go", "WEEK", "06:30|2|Sunday|EDDF| \t| 3 ", ",0/04:30,,3,F,,EDDF"},
        {"airport first", "WEEK", "06:30|-|Sunday|-|101|350",
         "Error: Airport not found!\n(Use Arrow down for ICAO code...)"},
        {"no time difference, before the header", "", "06:30|-|Sunday|EDDF|101|350", Repeat},
        {"no day in a weekly plan", "WEEK", "06:30|2|-|EDDF|101|350", Repeat},
        {"header before departure", "", "-|2|Sunday|EDDF|101|350", "Error: Accept the Header first!"},
        {"departure first", "WEEK", "-|2|Sunday|EDDF|\u2708|350", "Error: No Local Departure Time selected!"},
        {"code page before comma", "WEEK", "06:30|2|Sunday|EDDF|\u2708|3,5", NoByte},
        {"no byte in the level", "WEEK", "06:30|2|Sunday|EDDF|101|\u2708", NoByte},
        {"comma in the number", "WEEK", "06:30|2|Sunday|EDDF|1,0|350", "Error: No comma in Flight # or Flight Level!"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PlanDraft draft{row.period, "N,", *row.period != '\0', "", {}};
        PlannerState state;
        state.planText = "P", state.legText = "L", state.legCount = 1;
        const std::vector<std::string> f = Fields(row.form);
        const Outcome outcome =
            AcceptLeg(draft, state, {Choice(f[0]), Choice(f[1]), Choice(f[2]), Choice(f[3]), Typed(f[4]), Typed(f[5])});
        EXPECT_EQ(outcome.Accepted() ? state.legText : outcome.refusal, row.shown);
        EXPECT_EQ(state.destinationIndex, f[3] == "-" ? -1 : 1); // stored whatever the outcome
        EXPECT_EQ(state.planText, outcome.Accepted() ? "P" + state.legText : "P");
        EXPECT_EQ(Finish(state).refusal, outcome.Accepted() ? "" : OneLeg); // OK needs two legs
        // What the plan check is given of the leg.
        ASSERT_EQ(draft.legs.size(), outcome.Accepted() ? 1u : 0u);
        if (outcome.Accepted()) {
            const AcceptedLeg& leg = draft.legs[0];
            const int day = IsWeeklyPlan(draft) ? static_cast<int>(f[2] == "Sunday" ? 0 : 6) : -1;
            EXPECT_EQ(std::tuple(leg.localMinutes, leg.timeDifference, leg.dayIndex, leg.destination),
                      std::tuple(std::stoi(f[0]) * 60 + std::stoi(f[0].substr(3)), std::stoi(f[1]), day, f[3]));
        }
    }
}

TEST(PlannerState, ANewRunKeepsOnlyTheScreenRectangle)
{
    State().screenRect.right = 1024, State().planText = "\n\nOLD", State().legCount = 2;
    ResetState();
    EXPECT_EQ(std::tuple(State().screenRect.right, State().planText, State().legCount), std::tuple(1024, "", 0));
}
