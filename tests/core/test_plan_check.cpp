#include "check/DraftCheck.h"
#include "check/ExistingPlans.h"
#include "check/Placement.h"
#include "check/PlanCheck.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace {
struct PositionCase {
    const char* line;
    std::optional<GeoPosition> position;
};

// Degrees and minutes with two and four decimals, decimal degrees, lettered decimals; and lines
// whose position is broken in one way each.
const PositionCase PositionCases[] = {
    {"EDDF,N50* 2.00',E8* 34.00',364", GeoPosition{50.033333, 8.566667}},
    {"NZAA,S37* 0.4800',E174* 47.5012',23", GeoPosition{-37.008, 174.791687}},
    {" KJFK ,N40*38.39',W73* 46.70',13,extra", GeoPosition{40.639833, -73.778333}},
    {"EDDF,50.0333,8.5706,364", GeoPosition{50.0333, 8.5706}},
    {"YSSY,-33.9461, +151.1772 ,21", GeoPosition{-33.9461, 151.1772}},
    {"EDDF,n50.5,w8.25", GeoPosition{50.5, -8.25}},
    {"EDDF", std::nullopt},
    {"EDDF,,", std::nullopt},
    {"EDDF,N91* 0.00',E8* 0.00',1", std::nullopt},
    {"EDDF,N50* 2.00',E181* 0.00',1", std::nullopt},
    {"EDDF,N50* 60.00',E8* 34.00',1", std::nullopt},
    {"EDDF,N50* 2.00',X8* 34.00',1", std::nullopt},
    {"EDDF,N50*,E8*,1", std::nullopt},
    {"EDDF,N50* 2.00'x,E8* 34.00',1", std::nullopt},
    {"EDDF,N50.5* 2.00',E8* 34.00',1", std::nullopt},
    {"EDDF,N-50.5,E8", std::nullopt},
    {"EDDF,abc,def", std::nullopt},
    {"EDDF,50.0", std::nullopt},                  // a latitude without a longitude
    {"EDDF,50* 2.00',8* 34.00',1", std::nullopt}, // degrees and minutes without their hemisphere
};

TEST(PlanCheckReading, PositionsFromAirportLinesAndSpeedsFromAircraftEntries)
{
    for (const PositionCase& c : PositionCases) {
        const std::optional<GeoPosition> position = PositionFromAirportLine(c.line);
        ASSERT_EQ(position.has_value(), c.position.has_value()) << c.line;
        if (position) {
            EXPECT_NEAR(position->latitude, c.position->latitude, 1e-6) << c.line;
            EXPECT_NEAR(position->longitude, c.position->longitude, 1e-6) << c.line;
        }
    }
    const std::pair<const char*, std::optional<int>> speeds[] = {
        {"JET7,450,\"Example Air\"", 450},
        {" JET7 , 80 ,\"T\"", 80},
        {"JET7,0,\"T\"", std::nullopt},
        {"JET7,,\"T\"", std::nullopt},
        {"JET7,fast,\"T\"", std::nullopt},
        {"JET7,450x,\"T\"", std::nullopt},
        {"JET7", std::nullopt},
        {"JET7,-450,\"T\"", std::nullopt},
        {"JET7,450.5,\"T\"", 451}, // rounded to whole knots
        {"JET7,0.4,\"T\"", std::nullopt},
        {"JET7,450 kn,\"T\"", std::nullopt},
    };
    for (const auto& [entry, knots] : speeds)
        EXPECT_EQ(CruiseSpeedFromAircraftEntry(entry), knots) << entry;
}

const GeoPosition Eddf{50.033333, 8.566667}, Egll{51.4775, -0.461333}, Kjfk{40.639833, -73.778333},
    Nzaa{-37.008, 174.791667}, Yssy{-33.946167, 151.177167}, Vidp{28.5665, 77.1031}, Kphx{33.4343, -112.0116};

TEST(PlanCheckReading, DistancesFollowTheSphere)
{
    // Worked out apart, from the angle between the two positions as vectors.
    EXPECT_NEAR(GreatCircleNm(Eddf, Egll), 353.453, 1);
    EXPECT_NEAR(GreatCircleNm(Kjfk, Egll), 2991.041, 1);
    EXPECT_NEAR(GreatCircleNm(Nzaa, Yssy), 1166.055, 1);
    EXPECT_EQ(FlightMinutes(2991.041, 450), 399);
}

// Three points on the equator, five degrees (300.2 nm) apart: one hour from each to the next at 300 kn.
const CheckedAirport A{"AAAA", GeoPosition{0, 0}}, B{"BBBB", GeoPosition{0, 5}}, C{"CCCC", GeoPosition{0, 10}};

PlanChoices Plan(const char* period, std::vector<LegChoice> legs, std::optional<int> knots = 300)
{
    PlanChoices plan;
    plan.aircraftKey = "JET7";
    plan.cruiseKnots = knots;
    plan.periodMinutes = *PeriodMinutes(period);
    plan.weekly = std::string(period) == "WEEK";
    plan.legs = std::move(legs);
    plan.startDay = DaysFromCivil({2026, 12, 7});
    return plan;
}

LegChoice Leg(int hour, int minute, int difference, const CheckedAirport& to, int day = -1)
{
    return {hour * 60 + minute, difference, day, to};
}

// The plan with leg 1 departing from `first`, as typed into the window.
PlanChoices From(const CheckedAirport& first, PlanChoices plan, bool composing = false)
{
    plan.firstDeparture = first;
    plan.composing = composing;
    return plan;
}

std::vector<std::string> FindingsOf(const PlanReport& report, CheckLevel level)
{
    std::vector<std::string> texts;
    for (const CheckFinding& finding : report.findings) {
        if (finding.level == level)
            texts.push_back(finding.text);
    }
    return texts;
}

struct LoopRow {
    const char* from;
    int universal;
    std::optional<int> arrival;
    std::optional<int> ground;
};

struct LoopCase {
    const char* name;
    PlanChoices plan;
    std::vector<LoopRow> legs;
    std::vector<std::string> errors; // those of the loop; time-difference errors are left out
};

TEST(PlanCheck, WalksTheLoopOfEachPeriodKind)
{
    const LoopCase cases[] = {
        {"24Hr: leg 1 departs from the last leg's destination",
         Plan("24Hr", {Leg(6, 0, 0, B), Leg(8, 0, 0, C)}),
         {{"CCCC", 360, 420, 60}, {"BBBB", 480, 540, 1260}},
         {}},
        {"6Hr: 12:30 is 00:30 of its period, and leg 2 departs ten minutes before it arrives",
         Plan("6Hr", {Leg(12, 30, 0, B), Leg(1, 20, 0, C), Leg(3, 0, 0, A)}),
         {{"AAAA", 750, 810, -10}, {"BBBB", 80, 140, 40}, {"CCCC", 180, 300, 90}},
         {"Leg 2 departs from BBBB at 01:20 UT, 10 minutes before its aircraft arrives there (leg 1 arrives at "
          "01:30 UT)."}},
        {"WEEK: Sunday 01:15 at +3 is Saturday 22:15 UT, and the week wraps once",
         Plan("WEEK", {Leg(1, 15, 3, B, 0), Leg(10, 0, 0, A, 1)}),
         {{"AAAA", 9975, 10035, 2085}, {"BBBB", 2040, 2100, 7875}},
         {}},
        {"24Hr: two passes of midnight need two days",
         Plan("24Hr", {Leg(10, 0, 0, B), Leg(8, 0, 0, C), Leg(12, 0, 0, B), Leg(9, 0, 0, A)}),
         {{"AAAA", 600, 660, 1260}, {"BBBB", 480, 540, 180}, {"CCCC", 720, 780, 1200}, {"BBBB", 540, 600, 0}},
         {"The legs need 2 periods, not one: the plan passes the start of its period after legs 1 and 3. The "
          "aircraft cannot fly them in one period."}},
        {"24Hr: leg 1 departs again at the moment the last leg departs, before the aircraft is back",
         Plan("24Hr", {Leg(10, 0, 0, B), Leg(9, 0, 0, C), Leg(10, 0, 0, A)}),
         {{"AAAA", 600, 660, 1320}, {"BBBB", 540, 600, 0}, {"CCCC", 600, 720, -120}},
         {"Leg 1 departs from AAAA at 10:00 UT, 120 minutes before its aircraft arrives there (leg 3 arrives at "
          "12:00 UT)."}},
        {"1Hr: one leg from where the user said departs again an hour later",
         From(B, Plan("1Hr", {Leg(6, 45, 0, B)}, 600)),
         {{"BBBB", 405, 405, 60}},
         {}},
        {"the only leg departs from nowhere known yet", Plan("24Hr", {Leg(6, 0, 0, B)}), {{"", 360, {}, {}}}, {}},
    };
    for (const LoopCase& c : cases) {
        const PlanReport report = CheckComposedPlan(c.plan);
        ASSERT_EQ(report.legs.size(), c.legs.size()) << c.name;
        for (size_t i = 0; i < c.legs.size(); ++i) {
            EXPECT_EQ(report.legs[i].from, c.legs[i].from) << c.name << ", leg " << i + 1;
            EXPECT_EQ(report.legs[i].universalMinutes, c.legs[i].universal) << c.name << ", leg " << i + 1;
            EXPECT_EQ(report.legs[i].arrivalMinutes, c.legs[i].arrival) << c.name << ", leg " << i + 1;
            EXPECT_EQ(report.legs[i].groundMinutes, c.legs[i].ground) << c.name << ", leg " << i + 1;
        }
        std::vector<std::string> errors;
        for (const std::string& error : FindingsOf(report, CheckLevel::Error)) {
            if (error.find("time difference") == std::string::npos)
                errors.push_back(error);
        }
        EXPECT_EQ(errors, c.errors) << c.name;
    }
}

struct FindingCase {
    const char* name;
    PlanChoices plan;
    CheckLevel level;
    std::string text; // one finding of that level, word for word
};

TEST(PlanCheck, FindsWhatIsWrongAndSaysWhatToChoose)
{
    const CheckedAirport eddf{"EDDF", Eddf}, egll{"EGLL", Egll}, kjfk{"KJFK", Kjfk}, kphx{"KPHX", Kphx},
        nzaa{"NZAA", Nzaa}, vidp{"VIDP", Vidp}, lost{"EDXX", std::nullopt};
    PlanChoices shortTurn = Plan("24Hr", {Leg(7, 0, 0, B), Leg(8, 20, 0, C)});
    shortTurn.minimumTurnaround = 45;
    // Departures offered from 07:00 to 07:55 only, then from 08:00 on.
    PlanChoices india = Plan("24Hr", {Leg(8, 0, 6, eddf), Leg(12, 0, 1, vidp)}), indiaLater = india;
    std::tie(india.firstHour, india.endHour, indiaLater.firstHour) = std::tuple(7, 8, 8);
    const FindingCase cases[] = {
        {"winter times hold until the clocks change", Plan("24Hr", {Leg(6, 30, 0, eddf), Leg(12, 0, 1, egll)}),
         CheckLevel::Note,
         "The time differences hold from 2026-12-07 to 2027-03-27 and from 2027-10-31 to 2027-12-06 only."},
        {"a whole year", Plan("24Hr", {Leg(8, 0, -7, vidp), Leg(8, 0, 5, kphx)}), CheckLevel::Note,
         "The time differences hold on every day of the twelve months from 2026-12-07."},
        {"a difference the airport never keeps", Plan("24Hr", {Leg(6, 30, 0, eddf), Leg(12, 0, 0, egll)}),
         CheckLevel::Error,
         "Leg 2: the time difference 0 is no offset of EDDF (Europe/Berlin keeps +1, and +2 with daylight saving "
         "time)."},
        {"Phoenix keeps no summer time", Plan("24Hr", {Leg(9, 0, -6, eddf), Leg(9, 0, 1, kphx)}), CheckLevel::Error,
         "Leg 1: the time difference -6 is no offset of KPHX (America/Phoenix keeps -7)."},
        {"summer in Frankfurt and winter in New York never meet",
         Plan("24Hr", {Leg(9, 0, -5, eddf), Leg(11, 0, 2, kjfk)}), CheckLevel::Error,
         "No day of the twelve months from 2026-12-07 suits every time difference; leg 1 (KJFK at -5) holds from "
         "2026-12-07 to 2027-03-13 and from 2027-11-07 to 2027-12-06; leg 2 (EDDF at +2) holds from 2027-03-28 to "
         "2027-10-30."},
        {"India's half hour, its time offered", india, CheckLevel::Warning,
         "Leg 1: VIDP keeps +5:30 (Asia/Kolkata), which the list cannot express. 08:00 at +6 departs at 07:30 local "
         "time. To depart at 08:00 local time, choose 07:30 at +5."},
        {"India's half hour, its time quiet", indiaLater, CheckLevel::Warning,
         "Leg 1: VIDP keeps +5:30 (Asia/Kolkata), which the list cannot express. 08:00 at +6 departs at 07:30 local "
         "time. To depart at 08:00 local time, choose 07:30 at +5. The departure list does not offer that time: "
         "change the hours without departures."},
        {"New Zealand's summer, a day earlier in a weekly plan",
         Plan("WEEK", {Leg(0, 30, 11, eddf, 0), Leg(12, 0, 1, nzaa, 3)}), CheckLevel::Warning,
         "Leg 1: NZAA keeps +13 (Pacific/Auckland), which the list cannot express. To depart at Sunday 00:30 local "
         "time, choose Saturday 23:30 at +12."},
        {"leg 1 from Frankfurt, the plan ending at Heathrow",
         From(eddf, Plan("24Hr", {Leg(10, 0, 1, vidp), Leg(14, 0, 6, egll), Leg(14, 0, 1, eddf)}), true),
         CheckLevel::Note,
         "The plan ends at EGLL, but leg 1 departs from EDDF: add a leg to EDDF, or the simulator flies leg 1 from "
         "EGLL to VIDP instead."},
        {"a short turnaround", shortTurn, CheckLevel::Warning,
         "Leg 2: 20 minutes on the ground at BBBB before it departs, less than the minimum turnaround of 45 minutes."},
        {"an airport without a position", Plan("24Hr", {Leg(9, 0, 1, lost), Leg(11, 0, 1, eddf)}), CheckLevel::Warning,
         "Leg 2 departs from EDXX, which cannot be placed: its airport line gives no position."},
        {"leg 1 from a code the airport file lacks",
         From(CheckedAirport{"EDZZ", std::nullopt, false}, Plan("24Hr", {Leg(9, 0, 1, egll), Leg(11, 0, 0, eddf)}),
              true),
         CheckLevel::Warning, "Leg 1 departs from EDZZ, which is not in the airport file, so it cannot be placed."},
        {"an aircraft without a speed", Plan("24Hr", {Leg(9, 0, 1, egll), Leg(11, 0, 0, eddf)}, std::nullopt),
         CheckLevel::Warning, "The aircraft JET7 cannot be timed: its entry gives no cruise speed."},
    };
    for (const FindingCase& c : cases) {
        const std::vector<std::string> found = FindingsOf(CheckComposedPlan(c.plan), c.level);
        EXPECT_NE(std::find(found.begin(), found.end(), c.text), found.end()) << c.name << ": not among\n"
                                                                              << ::testing::PrintToString(found);
    }
}

TEST(PlanCheck, PutsErrorsFirstAndFindsNothingWrongInARightPlan)
{
    const CheckedAirport eddf{"EDDF", Eddf}, egll{"EGLL", Egll};
    const PlanReport right = CheckComposedPlan(Plan("24Hr", {Leg(6, 30, 0, eddf), Leg(12, 0, 1, egll)}));
    EXPECT_TRUE(FindingsOf(right, CheckLevel::Error).empty() && FindingsOf(right, CheckLevel::Warning).empty());
    // Found in the order: the aircraft's warning, then the leg's error, then the plan's.
    const PlanReport wrong = CheckComposedPlan(Plan("24Hr", {Leg(6, 30, 5, eddf), Leg(12, 0, 1, egll)}, std::nullopt));
    ASSERT_GE(wrong.findings.size(), 3u);
    EXPECT_TRUE(std::is_sorted(wrong.findings.begin(), wrong.findings.end(),
                               [](const CheckFinding& a, const CheckFinding& b) { return a.level < b.level; }));
    EXPECT_EQ(wrong.findings.front().leg, 0);
    EXPECT_TRUE(CheckComposedPlan(Plan("24Hr", {}, std::nullopt)).findings.empty()); // nothing to check yet
    // Leg 1 alone is not judged at its own destination, nor a plan that ends where it began.
    const CheckedAirport vidp{"VIDP", Vidp};
    EXPECT_TRUE(CheckComposedPlan(Plan("24Hr", {Leg(10, 0, 1, vidp)})).findings.empty());
    EXPECT_EQ(FindingsOf(CheckComposedPlan(From(eddf, Plan("24Hr", {Leg(10, 0, 1, vidp), Leg(14, 0, 5, eddf)}))),
                         CheckLevel::Note),
              std::vector<std::string>{
                  "The time differences hold from 2026-12-07 to 2027-03-27 and from 2027-10-31 to 2027-12-06 only."});
    EXPECT_EQ(wrong.findings.front().level, CheckLevel::Error);
}
// Following the advice once writes the universal time meant for 08:00 local and draws no advice
// again; the row then shows 08:00 at the offset the advice was for.
TEST(PlanCheck, AdviceFollowedOnceSettles)
{
    const std::tuple<CheckedAirport, int, const char*, int, int, int> cases[] = {
        // airport, a first difference that draws advice, the advice, and its time, difference and offset
        {{"VIDP", Vidp}, 6, "choose 07:30 at +5.", 450, 5, 330},
        {{"VNKT", GeoPosition{27.6966, 85.3591}}, 5, "choose 08:15 at +6.", 495, 6, 345},
        {{"NZCI", GeoPosition{-43.81, -176.457}}, 11, "choose 07:15 at +12.", 435, 12, 765},    // Chatham
        {{"NZAA", Nzaa}, 11, "choose 07:00 at +12.", 420, 12, 780},                             // summer
        {{"CYYT", GeoPosition{47.6186, -52.7519}}, -4, "choose 08:30 at -3.", 510, -3, -210},   // Newfoundland
        {{"NTMN", GeoPosition{-8.7956, -140.2289}}, -10, "choose 08:30 at -9.", 510, -9, -570}, // Marquesas
    };
    for (const auto& [airport, first, advice, minutes, difference, offset] : cases) {
        auto advised = [](const PlanReport& report) {
            std::string texts;
            for (const std::string& text : FindingsOf(report, CheckLevel::Warning))
                texts += text.find("choose") != std::string::npos ? text : "";
            return texts;
        };
        EXPECT_NE(advised(CheckComposedPlan(From(airport, Plan("24Hr", {Leg(8, 0, first, B)}))))
                      .find("To depart at 08:00 local time, " + std::string(advice)),
                  std::string::npos)
            << airport.code;
        const PlanReport followed = CheckComposedPlan(From(airport, Plan("24Hr", {{minutes, difference, -1, B}})));
        EXPECT_EQ(followed.legs[0].universalMinutes, (8 * 60 - offset + 1440) % 1440) << airport.code;
        EXPECT_EQ(advised(followed), "") << airport.code;
        const std::vector<LocalAtOffset>& shown = followed.legs[0].localTimes;
        EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const LocalAtOffset& at) {
            return at.minutes == 480 && at.offset == offset;
        })) << airport.code;
    }
}

TEST(PlanCheck, WritesLongTextsShort)
{
    std::vector<std::int64_t> lines{4, 9, 17, 30, 52};
    EXPECT_EQ(LinesText({3000000004}) + "; " + LinesText({4, 9}) + "; " + LinesText(lines),
              "on line 3000000004; on lines 4 and 9; on lines 4, 9, 17, 30 and 52");
    lines.resize(270602, 99);
    EXPECT_EQ(LinesText(lines), "on lines 4, 9, 17, 30 and 52, and 270,597 more");
    lines.resize(1234572);
    EXPECT_EQ(LinesText(lines).substr(30), "and 1,234,567 more");
    EXPECT_EQ(ClockDurationText(47) + " " + ClockDurationText(-10) + " " + ClockDurationText(1439) + " "
                  + ClockDurationText(1440) + " " + ClockDurationText(9908) + " " + ClockDurationText(-1501),
              "0:47 -0:10 23:59 1 d 00:00 6 d 21:08 -1 d 01:01");
    EXPECT_EQ(PeriodTimeText(6 * 1440 + 23 * 60 + 25, true, true), "Sat 23:25");
}

} // namespace

// The plan dialog's frame as the window manager puts it, and the check window's wished and least
// frame sizes: beside or below the dialog where there is room, else shrunk into the room there is.
TEST(PlanCheckWindowPlace, CoversNoPartOfTheDialogAndStaysOnTheScreen)
{
    const Box dialog{0, 20, 950, 544};
    const std::tuple<const char*, Box, Box> cases[] = {
        {"1920x1080: on the right", {0, 0, 1920, 1080}, {950, 20, 762, 465}},
        {"1366x768: below, as high as the room", {0, 0, 1366, 768}, {0, 564, 762, 204}},
        {"1280x800: below, as high as the room", {0, 0, 1280, 800}, {0, 564, 762, 236}},
        {"1024x768: below", {0, 0, 1024, 768}, {0, 564, 762, 204}},
        {"a narrow room on the right, too little below", {0, 0, 1400, 700}, {950, 20, 450, 465}},
        {"a panel on the left: left of the dialog", {-800, 0, 1750, 564}, {-762, 20, 762, 465}},
        {"no room: covers the least", {0, 0, 960, 600}, {0, 135, 762, 465}},
    };
    for (const auto& [name, screen, placed] : cases) {
        const Box got = PlaceBeside(dialog, screen, 762, 465, 420, 200);
        EXPECT_EQ(std::tuple(got.left, got.top, got.width, got.height),
                  std::tuple(placed.left, placed.top, placed.width, placed.height))
            << name;
    }
}

TEST(ExistingPlans, FindsTheLinesOfARegistrationStopsWhenToldAndCreatesNoFile)
{
    const std::string bytes =
        "\r\n;N1,A,50%,24Hr,IFR\r\n// X,N1,50%,24Hr,IFR\r\nJET7, N1 ,50%,24Hr,IFR,04:30,,350,F,1,EDDF\r\n"
        "JET7,N2,50%,week,IFR\nJET7,N1,50%,25Hr,IFR\nJET7,N1,50%\n  B,N1,10%, 1Hr ,VFR\n";
    ScratchFolder folder;
    WriteBytes(folder / "plans.txt", bytes);
    const std::atomic<bool> go{false}, stop{true};
    const ExistingPlans plans = ReadExistingPlans(folder / "plans.txt", go);
    ASSERT_TRUE(plans.ok) << plans.error;
    EXPECT_EQ(plans.LinesOf("N1"), (std::vector<std::int64_t>{4, 8}));
    EXPECT_EQ(plans.LinesOf("N2"), (std::vector<std::int64_t>{5}));
    EXPECT_TRUE(plans.LinesOf("N").empty() && plans.LinesOf("A").empty());
    EXPECT_FALSE(ReadExistingPlans(folder / "plans.txt", stop).ok);
    EXPECT_FALSE(ReadExistingPlans(folder / "none.txt", go).ok || fs::exists(folder / "none.txt"));
}

TEST(PlanCheck, TakesTheDraftsHeaderAndLegsThenTheLegBeingComposed)
{
    PlanDraft draft;
    const PlaceOfLeg nowhere = [](const AcceptedLeg&) { return std::optional<GeoPosition>(); };
    EXPECT_EQ(ChoicesFromDraft(draft, std::nullopt, nowhere, {}), std::nullopt); // before a header
    draft = {"WEEK", "N1,", true, " JET7,450,\"T\"", {{75, 3, 0, 4, "EGLL"}}};
    const PlaceOfLeg place = [](const AcceptedLeg& leg) {
        return std::optional(GeoPosition{1.0 * leg.destinationIndex, 0});
    };
    const std::optional<PlanChoices> plan =
        ChoicesFromDraft(draft, AcceptedLeg{600, 1, 2, 7, "EDDF"}, place, {45, 9, 6, 20, CheckedAirport{"LFPG", {}}});
    ASSERT_TRUE(plan);
    EXPECT_EQ(std::tuple(plan->aircraftKey, plan->cruiseKnots, plan->weekly, plan->periodMinutes,
                         plan->minimumTurnaround, plan->startDay, plan->firstHour, plan->endHour,
                         plan->firstDeparture->code, plan->composing),
              std::tuple("JET7", std::optional(450), true, 7 * 24 * 60, 45, 9, 6, 20, "LFPG", true));
    EXPECT_FALSE(ChoicesFromDraft(draft, std::nullopt, place, {})->composing);
    ASSERT_EQ(plan->legs.size(), 2u);
    EXPECT_EQ(std::tuple(plan->legs[1].localMinutes, plan->legs[1].timeDifference, plan->legs[1].dayIndex,
                         plan->legs[1].destination.code, plan->legs[1].destination.position->latitude),
              std::tuple(600, 1, 2, "EDDF", 7.0));
    EXPECT_EQ(plan->legs[0].destination.position->latitude, 4.0);
}

TEST(PlanCheck, ReadsEveryPeriodTheDialogOffersAndWritesWeekTimesWithTheirDay)
{
    const std::pair<const char*, std::optional<int>> periods[] = {
        {"1Hr", 60},        {"2hr", 120},   {"4HR", 240},    {"6Hr", 360},          {"8Hr", 480},
        {"12Hr", 720},      {"24Hr", 1440}, {"week", 10080}, {"3Hr", std::nullopt}, {"WEEKS", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, minutes] : periods)
        EXPECT_EQ(PeriodMinutes(text), minutes) << text;
    EXPECT_EQ(PeriodTimeText(4 * 1440 + 75, true), "Thursday 01:15");
    EXPECT_EQ(PeriodTimeText(4 * 1440 + 75, false), "01:15");
    // Where no airport can be placed, no day can be said to hold.
    const CheckedAirport lost{"EDXX", std::nullopt};
    EXPECT_TRUE(FindingsOf(CheckComposedPlan(Plan("24Hr", {Leg(9, 0, 1, lost), Leg(10, 0, 1, lost)})), CheckLevel::Note)
                    .empty());
}
