// Plan files as legwise-check reads and checks them: each form a line may take, each refusal with its
// line, each finding, the plans Legwise itself writes, and the program's report and exit status.
#include "input/Text.h"
#include "plan/Composition.h"
#include "planfile/CheckCommand.h"
#include "planfile/CodeTable.h"
#include "planfile/LongPlanCheck.h"
#include "planfile/LoopWalk.h"
#include "planfile/PlanFindings.h"
#include "planfile/PlanTable.h"
#include "planfile/Registrations.h"

#include "CheckInProcess.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#endif

namespace {
std::string TimeText(const std::optional<PlanTime>& time) { return time ? PlanTimeText(*time) : "-"; }

// A line as the reader takes it: "plan KEY|REG|limit|period|rule" then each leg, or the refusal.
std::string Read(std::string_view line)
{
    PlanLine plan;
    std::string reason;
    switch (ReadPlanLine(line, plan, reason)) {
    case PlanLineKind::Blank: return "blank";
    case PlanLineKind::Comment: return "comment";
    case PlanLineKind::Refused: return "refused: " + reason;
    case PlanLineKind::Plan: break;
    }
    std::string text = "plan " + std::string(plan.aircraftKey) + "|" + std::string(plan.registration) + "|"
                       + std::to_string(plan.trafficLimit) + "|" + std::string(plan.period) + "="
                       + std::to_string(plan.periodSeconds / 3600) + "h|" + std::string(plan.flightRule);
    for (const PlanLeg& leg : plan.legs)
        text += " " + PlanTimeText(leg.departure) + (leg.fixedArrival ? ">@" : ">") + TimeText(leg.arrival) + ","
                + std::string(leg.flightLevel) + "," + leg.flightRules + "," + std::string(leg.flightNumber) + ","
                + std::string(leg.destination);
    return text;
}

ReferenceData Reference()
{
    ReferenceData data;
    int line = 0;
    for (const char* airport :
         {"EDDF,N50* 2.00',E8* 34.00',364", "EDDM,N48* 21.00',E11* 47.00',1487", " EGLL ,51.4700,-0.4543,83",
          "XXXX,somewhere,else", "EDDF,N1* 0.00',E1* 0.00',0", "EDDX,nowhere", "EDDX,N51* 17.00',E6* 46.00',147",
          "no code here", "NZAA,-37.008,174.7917", "NSFA,-13.83,-171.9978", "AAAA,0.5,179.0", "BBBB,0.5,-179.5",
          " ZZZZ ", "ZZZY,"})
        AddAirportLine(data, airport, ++line);
    line = 0;
    for (const char* aircraft : {"JET7,450,\"Jet\"", "OLD1,,\"Museum piece\"", "OLD1,300,\"Later\"", "JET9"})
        AddAircraftLine(data, aircraft, ++line);
    return data;
}

// The findings of one plan line against Reference(), "E: text" or "W: text" each, joined by " | ".
std::string Findings(std::string_view line, int turnaround = DefaultTurnaroundMinutes)
{
    PlanLine plan;
    std::string reason;
    if (ReadPlanLine(line, plan, reason) != PlanLineKind::Plan)
        return "not read: " + reason;
    const ReferenceData data = Reference();
    WalkedLoop loop;
    WalkLoop(plan, data, loop);
    std::vector<Finding> findings;
    CheckPlan(plan, loop, turnaround, findings);
    std::vector<AirportEntry> places;
    for (const PlanLeg& leg : plan.legs)
        places.push_back(data.airports.Find(leg.destination));
    if (!findings.empty() && SurelyWithoutFindings(plan, data.aircraft.Find(plan.aircraftKey), places, turnaround))
        return "the quick test passed a plan with findings";
    // A line too long to hold its legs is checked a stretch at a time, and must find the same.
    std::vector<Finding> stretched;
    const PlanLineKind kind =
        CheckLongPlanLine(line, data, turnaround, plan, reason, [&](FindingLevel level, std::string&& text) {
            stretched.push_back(Finding{level, std::move(text)});
        });
    std::string text;
    for (size_t i = 0; i < findings.size() || i < stretched.size(); ++i) {
        const Finding& finding = i < findings.size() ? findings[i] : stretched[i];
        if (kind != PlanLineKind::Plan || i >= stretched.size() || i >= findings.size()
            || stretched[i].text != finding.text || stretched[i].level != finding.level)
            return "checked a stretch at a time, finding " + std::to_string(i + 1) + " differs: " + finding.text;
        text += std::string(text.empty() ? "" : " | ") + (finding.level == FindingLevel::Error ? "E: " : "W: ")
                + finding.text;
    }
    return text;
}
} // namespace

TEST(PlanFile, ReadsEachFormOfTheField)
{
    const std::pair<const char*, const char*> rows[] = {
        {"", "blank"},
        {"  ; a comment, with commas", "comment"},
        {"// another", "comment"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06:00,,350,F,101,EDDF,07:05,,280,F,102,EDDM",
         "plan JET7|D-AIRA|50|24Hr=24h|IFR 06:00>-,350,F,101,EDDF 07:05>-,280,F,102,EDDM"},
        {" JET7 , D-AIRA ,100%, week ,vfr, 6/23:59:59 , @ 0/01:00 , , r , , EGLL ,",
         "plan JET7|D-AIRA|100|week=168h|vfr 6/23:59:59>@0/01:00,,r,,EGLL"},
        {",,0%,1hR,IFR,6:05,06:50:01,F350,R,LH1,EDDF", "plan ||0|1hR=1h|IFR 06:05>06:50:01,F350,R,LH1,EDDF"},
        {"A,B,5%,2HR,IFR,0:00,,1,F,1,X", "plan A|B|5|2HR=2h|IFR 00:00>-,1,F,1,X"},
        {"A,B,5%,4hr,IFR,0:00,,1,F,1,X", "plan A|B|5|4hr=4h|IFR 00:00>-,1,F,1,X"},
        {"A,B,5%,6Hr,IFR,0:00,,1,F,1,X", "plan A|B|5|6Hr=6h|IFR 00:00>-,1,F,1,X"},
        {"A,B,5%,8Hr,IFR,0:00,,1,F,1,X", "plan A|B|5|8Hr=8h|IFR 00:00>-,1,F,1,X"},
        {"A,B,5%,12hr,IFR,0:00,,1,F,1,X", "plan A|B|5|12hr=12h|IFR 00:00>-,1,F,1,X"},
        {"A,B,5%,WeeK,IFR,3/0:00,,1,F,1,X", "plan A|B|5|WeeK=168h|IFR 3/00:00>-,1,F,1,X"},
    };
    for (const auto& [line, expected] : rows)
        EXPECT_EQ(Read(line), expected) << line;
}

TEST(PlanFile, RefusesWhatItDoesNotKnowAndSaysWhy)
{
    const std::string leg = ",06:00,,350,F,101,EDDF";
    const std::pair<std::string, const char*> rows[] = {
        {"JET7,D-AIRA,50%",
         "not a plan: a plan line begins with five fields (aircraft, registration, traffic limit, "
         "period, IFR or VFR), this line has 3"},
        {"JET7,D-AIRA,50,24Hr,IFR" + leg, "the traffic limit \"50\" is not a percentage from 0% to 100%"},
        {"JET7,D-AIRA,101%,24Hr,IFR" + leg, "the traffic limit \"101%\" is not a percentage from 0% to 100%"},
        {"JET7,D-AIRA,50%,3Hr,IFR" + leg, "unknown period \"3Hr\" (1Hr, 2Hr, 4Hr, 6Hr, 8Hr, 12Hr, 24Hr or WEEK)"},
        {"JET7,D-AIRA,50%,24Hr,XFR" + leg, "the flight rule \"XFR\" is neither IFR nor VFR"},
        {"JET7,D-AIRA,50%,24Hr,IFR,", "the plan has no legs"},
        {"JET7,D-AIRA,50%,24Hr,IFR" + leg + ",07:00,,350,F,102",
         "leg 2 has 5 of its 6 fields (departure, arrival, "
         "flight level, F or R, flight number, destination)"},
        {"JET7,D-AIRA,50%,24Hr,IFR" + leg + ",,",
         "leg 2 has 2 of its 6 fields (departure, arrival, flight level, F "
         "or R, flight number, destination)"},
        {"JET7,D-AIRA,50%,24Hr,IFR,24:00,,350,F,101,EDDF", "leg 1: the departure time \"24:00\" is out of range"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06:60,,350,F,101,EDDF", "leg 1: the departure time \"06:60\" is out of range"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06:00:60,,350,F,101,EDDF", "leg 1: the departure time \"06:00:60\" is out of range"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06,,350,F,101,EDDF",
         "leg 1: the departure time \"06\" is not a time of the form HH:MM or HH:MM:SS"},
        {"JET7,D-AIRA,50%,24Hr,IFR,0630,,350,F,101,EDDF",
         "leg 1: the departure time \"0630\" is not a time of the form HH:MM or HH:MM:SS"},
        {"JET7,D-AIRA,50%,24Hr,IFR,x12,,350,F,101,EDDF",
         "leg 1: the departure time \"x12\" is not a time of the form HH:MM or HH:MM:SS"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06:0,,350,F,101,EDDF",
         "leg 1: the departure time \"06:0\" is not a time of the form HH:MM or HH:MM:SS"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06:00:1,,350,F,101,EDDF",
         "leg 1: the departure time \"06:00:1\" is not a time of the form HH:MM or HH:MM:SS"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06:00x,,350,F,101,EDDF",
         "leg 1: the departure time \"06:00x\" is not a time of the form HH:MM or HH:MM:SS"},
        {"JET7,D-AIRA,50%,24Hr,IFR,x/06:00,,350,F,101,EDDF",
         "leg 1: the departure time \"x/06:00\" is not a time of the form HH:MM or HH:MM:SS"},
        {"JET7,D-AIRA,50%,24Hr,IFR,1/06:00,,350,F,101,EDDF",
         "leg 1: the departure time \"1/06:00\" has a day, which only WEEK plans give"},
        {"JET7,D-AIRA,50%,WEEK,IFR,7/06:00,,350,F,101,EDDF",
         "leg 1: the departure time \"7/06:00\" has a day other than 0 (Sunday) to 6 (Saturday)"},
        {"JET7,D-AIRA,50%,WEEK,IFR,1/06:00,@07:00,350,F,101,EDDF",
         "leg 1: the arrival time \"@07:00\" needs its day in a WEEK plan (D/HH:MM, 0 is Sunday)"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06:00,@,350,F,101,EDDF",
         "leg 1: the arrival time \"@\" is not a time of the form HH:MM or HH:MM:SS"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06:00,,350,FR,101,EDDF", "leg 1: the fourth field \"FR\" is neither F nor R"},
        {"JET7,D-AIRA,50%,24Hr,IFR,06:00,,350,F,101, ", "leg 1 has no destination"},
        {std::string("JET7,D-AIRA,50%,24Hr,IFR,06:00,,350,F,101,ED\0DF", 47), "the line holds a NUL byte"},
    };
    for (const auto& [line, reason] : rows)
        EXPECT_EQ(Read(line), std::string("refused: ") + reason) << line;

    // In a file each refusal comes with its physical line, and the lines after it are still read.
    ScratchFolder folder;
    WriteBytes(folder / "plans.txt", ";\r\n\r\nA,B,5%,24Hr,IFR" + leg + "\rA,B,5%,9Hr,IFR" + leg
                                         + "\r\n\r\nA,B,5%,24Hr,IFR" + leg + "\x1A" + "A,B,5%,9Hr,IFR");
    PlanFileReader reader(folder / "plans.txt");
    std::string seen;
    while (reader.Next())
        seen += std::to_string(reader.LineNumber()) + ":" + Read(reader.Text()).substr(0, 7) + " ";
    EXPECT_EQ(seen, "1:comment 2:blank 3:refused 4:blank 5:plan A| ");
}

TEST(PlanFile, PlansLegwiseWritesReadBackToTheirFields)
{
    std::mt19937 random(21);
    auto pick = [&](auto& list) { return std::string(list[random() % list.size()]); };
    const std::vector<std::string> times = DepartureTimes(0, 24);
    const std::vector<std::string> words = {"", "JET7", "AC#12", "D-AIRA", "  N123 ", "350", "a b", "@x", "F"};
    std::string file, expected;
    for (int plan = 0; plan < 200; ++plan) {
        const std::string key = pick(words), registration = pick(words), limit = pick(TrafficLimitEntries);
        const std::string period = pick(PeriodEntries), rule = pick(FlightRuleEntries);
        std::string text =
            PlanTextWithHeader("", plan % 3 ? "" : "comment",
                               ComposeHeader(" " + key + ",450,\"Title\"", registration, limit, period, rule));
        expected += "plan " + TrimBlanks(key) + "|" + TrimBlanks(registration) + "|" + limit + "|" + period + "="
                    + std::to_string(period == "WEEK" ? 168 : IntegerValue(period)) + "h|" + rule;
        for (unsigned leg = 0; leg < 2 + random() % 8; ++leg) {
            const int day = static_cast<int>(random() % 7);
            const std::string time = pick(times), level = pick(words), number = pick(words),
                              to = TrimBlanks(pick(words))
                                   + "X"; // an airport code, trimmed by the reader of the airport file
            text += ComposeLeg(period == "WEEK", day, time, level, number, to);
            expected += " " + (period == "WEEK" ? std::to_string(day) + "/" : "") + time + ">-," + TrimBlanks(level)
                        + ",F," + TrimBlanks(number) + "," + to;
        }
        file += text + "\n";
        expected += "\n";
    }
    ScratchFolder folder;
    WriteBytes(folder / "plans.txt", ToTextMode(file));
    PlanFileReader reader(folder / "plans.txt");
    std::string read;
    while (reader.Next()) {
        if (reader.Kind() != PlanLineKind::Blank && reader.Kind() != PlanLineKind::Comment)
            read += Read(reader.Text()) + "\n";
    }
    EXPECT_EQ(read, expected);
}

TEST(PlanFile, FindsEachFaultOfAPlan)
{
    const std::pair<std::string, std::string> rows[] = {
        {"JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,08:00,,350,F,2,EDDF", ""},
        {"JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,06:52,,350,F,2,EDDF", ""}, // exactly the turnaround
        {"JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,06:51:59,,350,F,2,EDDF",
         "W: leg 2 departs from EDDM at 06:51:59, 29 min 59 s after its aircraft arrives at 06:22 (leg 1): less than "
         "the turnaround of 30 min"},
        {"JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,06:21,,350,F,2,EDDF",
         "E: leg 2 departs from EDDM at 06:21, 1 min before its aircraft arrives there at 06:22 (leg 1)"},
        {"JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,06:22,,350,F,2,EDDF",
         "W: leg 2 departs from EDDM at 06:22, 0 min after its aircraft arrives at 06:22 (leg 1): less than the "
         "turnaround of 30 min"},
        {"JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,05:20,,350,F,2,EDDF",
         "W: leg 1 departs from EDDF at 06:00, 18 min after its aircraft arrives at 05:42 (leg 2): less than the "
         "turnaround of 30 min"},
        {"JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,05:40,,350,F,2,EDDF",
         "E: leg 1 departs from EDDF at 06:00, 2 min before its aircraft arrives there at 06:02 (leg 2)"},
        {"JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,05:50,,350,F,2,EDDF",
         "E: leg 1 departs from EDDF at 06:00, 12 min before its aircraft arrives there at 06:12 (leg 2)"},
        {"JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,06:00,,350,F,2,EDDF",
         "E: leg 2 departs from EDDM at 06:00, 22 min before its aircraft arrives there at 06:22 (leg 1)"},
        {"JET7,R,50%,1Hr,IFR,06:00,,1,F,1,EDDF", ""}, // one leg, from its own destination
        {"JET7,R,50%,2Hr,IFR,06:00,,1,F,1,EDDM,07:00,,1,F,1,EDDF,06:40,,1,F,1,EDDM,07:50,,1,F,1,EDDF",
         "E: the legs need more than the period of 2Hr: in the order of their departures they come round to leg 1 "
         "only after 4 h 00 min | E: leg 1 departs from EDDF at 06:00, 12 min before its aircraft arrives there at "
         "08:12 "
         "(leg 4)"},
        {"JET7,R,50%,WEEK,IFR,6/23:50,,1,F,1,EDDM,0/00:30,,1,F,1,EDDF", // Saturday on to Sunday
         "W: leg 2 departs from EDDM at 0/00:30, 18 min after its aircraft arrives at 0/00:12 (leg 1): less than the "
         "turnaround of 30 min"},
        {"JET7,R,50%,24Hr,IFR,06:00,@06:21,1,F,1,EDDM,08:00,@08:22,1,F,2,EDDF",
         "E: leg 1: the fixed arrival @06:21 comes 1 min earlier than cruise speed allows (06:22, 162 nm from EDDF)"},
        {"JET7,R,50%,24Hr,IFR,06:00,@06:59,1,F,1,EDDM,08:00,@08:59:01,1,F,2,EDDF,",
         "W: leg 2: the fixed arrival @08:59:01 comes 37 min 1 s after the arrival at cruise speed (08:22); more than "
         "37 min late, the simulator puts the aircraft at the gate instead of landing it"},
        {"JET7,R,50%,24Hr,IFR,06:00,06:10,1,F,1,EDDM,06:20,07:00,1,F,2,EDDF", // given arrivals are not compared
         "W: leg 2 departs from EDDM at 06:20, 10 min after its aircraft arrives at 06:10 (leg 1): less than the "
         "turnaround of 30 min"},
        {"JET7,R,50%,24Hr,IFR,23:50,00:20,1,F,1,EDDM,01:00,,1,F,2,EDDF", ""},
        {"JET8,R,50%,24Hr,IFR,06:00,,1,F,1,EDDM,12:00,,1,F,2,EDDQ,18:00,,1,F,3,XXXX,20:00,,1,F,4,XXXX",
         "E: aircraft JET8 is not in the aircraft file | E: leg 2: the destination EDDQ is not in the airport file | "
         "W: airport XXXX cannot be placed: line 4 of the airport file gives no position"},
        {"JET9,R,50%,24Hr,IFR,06:00,,1,F,1,ZZZZ,09:00,,1,F,2,XXXX,12:00,,1,F,2,ZZZY,15:00,,1,F,2,XXXX", // alone
         "W: aircraft JET9 cannot be timed: line 4 of the aircraft file gives no cruise speed | W: airport ZZZZ cannot "
         "be placed: line 13 of the airport file gives no position | W: airport XXXX cannot be placed: line 4 of the "
         "airport file gives no position | W: airport ZZZY cannot be placed: line 14 of the airport file gives no "
         "position"},
        {"OLD1,R,50%,24Hr,IFR,06:00,,1,F,1,EGLL,12:00,,1,F,2,EDDX", ""}, // later lines give what the first lacks
        {"JET7,R,50%,24Hr,IFR,06:00,,1,F,1,BBBB,06:40,,1,F,2,AAAA",      // 90 nm across the date line
         "W: leg 2 departs from BBBB at 06:40, 28 min after its aircraft arrives at 06:12 (leg 1): less than the "
         "turnaround of 30 min"},
        {"JET7,R,50%,24Hr,IFR,06:00,,1,F,1,NSFA,09:58,,1,F,2,NZAA", ""}, // across the date line, 1561 nm
        {"JET7,R,50%,24Hr,IFR,06:00,,1,F,1,NSFA,09:57,,1,F,2,NZAA",
         "W: leg 2 departs from NSFA at 09:57, 29 min after its aircraft arrives at 09:28 (leg 1): less than the "
         "turnaround of 30 min"},
        // Written arrivals count modulo the period, as the departures do: 08:10 is 10 min after 06:00 in 2Hr.
        {"JET7,R1,100%,2Hr,IFR,06:00,08:10,350,F,1,EDDM", ""},
        {"JET7,R,50%,2Hr,IFR,06:00,@08:22,1,F,1,EDDM,07:00,,1,F,2,EDDF", ""},
        {"JET7,R,50%,4Hr,IFR,06:00,@10:00,1,F,1,EDDM,08:00,,1,F,2,EDDF", // at the period: no time at all
         "E: leg 1: the fixed arrival @10:00 comes 22 min earlier than cruise speed allows (06:22, 162 nm from EDDF)"},
        {"JET7,R,50%,24Hr,IFR,06:00,,1,F,1,EGLL,06:20,,1,F,2,EDDF",
         "E: leg 2 departs from EGLL at 06:20, 27 min before its aircraft arrives there at 06:47 (leg 1)"},
    };
    for (const auto& [line, findings] : rows)
        EXPECT_EQ(Findings(line), findings) << line;
    EXPECT_EQ(Findings("JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDM,06:40,,350,F,2,EDDF", 18), "");
    // Thousands of legs, walked a stretch at a time across the stretches' ends: each leg's findings at
    // its number, with the legs before and after it.
    std::string longLine = "JET7,R,50%,WEEK,IFR";
    for (int leg = 0; leg < 10000; ++leg)
        longLine += leg % 3 == 0   ? ",1/06:00,@1/06:21,1,F,1,EDDM"
                    : leg % 3 == 1 ? ",1/06:00,,1,R,2,XXXX"
                                   : ",2/06:00,,1,F,3,EDDQ";
    const std::string found = Findings(longLine);
    EXPECT_EQ(found.find("checked a stretch"), std::string::npos) << found.substr(0, 300);
    EXPECT_NE(found.find("leg 9999: the destination EDDQ"), std::string::npos) << found.substr(0, 300);
    EXPECT_EQ(DurationText(-3 * 3600 - 5), "3 h 00 min 5 s");
    EXPECT_EQ(DurationText(3599), "59 min 59 s");
}

// Every check walks the loop with these two: the departures and the loop's length, and the flight a
// written arrival gives, in each period kind, at and beyond the period.
TEST(PlanFile, TheLoopIsWalkedModuloThePeriod)
{
    // Period, departures; each leg's moment, then the loop's length.
    const std::tuple<long long, std::vector<long long>, const char*> rows[] = {
        {1440, {600, 540, 600}, "0 1380 1440 | 1440"}, // leg 1 again at the moment the last leg departs
        {720, {0, 600, 120}, "0 600 840 | 1440"},      {120, {360, 490}, "0 10 | 120"}, {120, {360, 360}, "0 0 | 120"},
        {10080, {10070, 30, 60}, "0 40 70 | 10080"},
    };
    for (const auto& [period, clocks, expected] : rows) {
        std::string text;
        const long long loop = WalkDepartures(
            clocks.size(), period, [&](size_t i) { return clocks[i]; },
            [&](size_t, long long moment) { text += std::to_string(moment) + " "; });
        EXPECT_EQ(text + "| " + std::to_string(loop), expected);
    }
    // Departure, arrival, period: the flight.
    const std::tuple<long long, long long, long long, long long> flights[] = {
        {360, 480, 120, 0}, {360, 350, 120, 110}, {1430, 20, 1440, 30}, {10, 10070, 10080, 10060}};
    for (const auto& [departure, arrival, period, minutes] : flights)
        EXPECT_EQ(GivenFlight(departure, arrival, period), minutes) << departure << " to " << arrival;
}

// The quick test lets most plans of a large file go unwalked; it must never let one with a finding go.
TEST(PlanFile, TheQuickTestPassesOnlyPlansWithoutFindings)
{
    std::mt19937 random(5);
    ReferenceData data;
    for (int i = 0; i < 40; ++i) {
        const double latitude = static_cast<double>(random() % 17000) / 100 - 85;
        const double longitude = static_cast<double>(random() % 36000) / 100 - 180;
        AddAirportLine(data, "A" + std::to_string(i) + "," + std::to_string(latitude) + "," + std::to_string(longitude),
                       i + 1);
    }
    AddAircraftLine(data, "SLOW,120,\"Prop\"", 1);
    AddAircraftLine(data, "FAST,520,\"Jet\"", 2);
    const char* const periods[] = {"24Hr", "24Hr", "12Hr", "WEEK"};
    int clean = 0, passed = 0;
    WalkedLoop loop;
    std::vector<Finding> findings;
    for (int round = 0; round < 4000; ++round) {
        const std::string period = periods[random() % 4];
        const bool week = period == "WEEK";
        std::string line = std::string(random() % 2 ? "SLOW" : "FAST") + ",R,50%," + period + ",IFR";
        int minutes = static_cast<int>(random() % 600);
        const int legs = 1 + static_cast<int>(random() % 5);
        const int spacing = 30 + static_cast<int>(random() % 900);
        for (int leg = 0; leg < legs; ++leg, minutes += spacing) {
            const std::string day = week ? std::to_string(minutes / 1440 % 7) + "/" : "";
            char time[16];
            std::snprintf(time, sizeof time, "%02d:%02d", minutes / 60 % 24, minutes % 60);
            // Now and then a destination near the one before, or an arrival written out.
            const int airport = static_cast<int>(random() % (random() % 3 ? 40 : 3));
            line +=
                "," + day + time + "," + (random() % 8 ? "" : day + time) + ",350,F,LH1,A" + std::to_string(airport);
        }
        PlanLine plan;
        std::string reason;
        ASSERT_EQ(ReadPlanLine(line, plan, reason), PlanLineKind::Plan) << line << ": " << reason;
        const int turnaround = static_cast<int>(random() % 60);
        std::vector<AirportEntry> places;
        for (const PlanLeg& leg : plan.legs)
            places.push_back(data.airports.Find(leg.destination));
        WalkLoop(plan, data, loop);
        findings.clear();
        CheckPlan(plan, loop, turnaround, findings);
        const bool quick = SurelyWithoutFindings(plan, data.aircraft.Find(plan.aircraftKey), places, turnaround);
        ASSERT_FALSE(quick && !findings.empty()) << line << " (turnaround " << turnaround << "): " << findings[0].text;
        clean += findings.empty() ? 1 : 0;
        passed += quick ? 1 : 0;
    }
    // It is no use unless it spares the walk for most plans that need none.
    EXPECT_GT(clean, 500);
    EXPECT_GT(passed, clean * 9 / 10) << passed << " of " << clean << " plans without findings passed";
}

namespace {} // namespace

// Codes longer than eight bytes keep the rest of their text apart; codes that begin alike, codes of
// every length, and a table grown many times over must all still find their own values.
TEST(PlanFile, TheCodeTableFindsEveryCodeItHolds)
{
    CodeTable<int> table;
    std::vector<std::string> codes = {
        "", "A", "ABCDEFGH", "ABCDEFGHI", "ABCDEFGHJ", "ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOPR"};
    for (int i = 0; i < 5000; ++i)
        codes.push_back((i % 2 ? "LONG-CODE-" : "C") + std::to_string(i));
    table.Reserve(100);
    for (size_t i = 0; i < codes.size(); ++i) {
        bool added = false;
        table.Insert(codes[i], added) = static_cast<int>(i) + 1;
        EXPECT_TRUE(added) << codes[i];
    }
    bool added = true;
    EXPECT_EQ(table.Insert("ABCDEFGHI", added), 4);
    EXPECT_FALSE(added);
    EXPECT_EQ(table.size(), codes.size());
    const std::vector<std::string_view> asked = {"ABCDEFGHI",      "ABCDEFGH", "ABCDEFGHIJKLMNOPR",
                                                 "ABCDEFGHIJ",     "ABCDEFG",  "LONG-CODE-4999",
                                                 "LONG-CODE-4998", "C4998",    ""};
    std::vector<std::uint64_t> hashes;
    std::vector<const int*> found;
    table.FindMany(asked, hashes, found);
    std::string values;
    for (const int* value : found)
        values += (value ? std::to_string(*value) : std::string("-")) + " ";
    EXPECT_EQ(values, "4 3 7 - - 5007 - 5006 1 ");
    for (size_t i = 0; i < codes.size(); ++i)
        ASSERT_EQ(table.Find(codes[i]) ? *table.Find(codes[i]) : 0, static_cast<int>(i) + 1) << codes[i];
}

// A code keeps the first line that gives a record, else the first naming it, however far down the
// file it lies; codes without a record cost no record.
TEST(PlanFile, ListedCodesKeepTheFirstLineThatGivesARecord)
{
    ListedCodes<AircraftSpeed> codes;
    const std::int64_t farDown = 5'000'000'123;
    const struct {
        std::string_view code;
        std::int64_t line;
        int knots; // 0: the line gives none
    } lines[] = {{"NONE", 7, 0},      {"NONE", 8, 0}, {"LATE", 9, 0},        {"LATE", 10, 450},    {"LATE", 11, 300},
                 {"FAR", farDown, 0}, {"FAR", 12, 0}, {"FIRST", 1 << 30, 0}, {"ALONG-KEY-1", 3, 0}};
    for (const auto& line : lines) {
        std::optional<AircraftSpeed> speed;
        if (line.knots)
            speed = AircraftSpeed{line.knots};
        codes.Add(line.code, codes.Hash(line.code), line.line, speed);
    }
    // Codes enough to grow the table many times over, after LATE gave up its line for a speed.
    for (int i = 0; i < 3000; ++i) {
        const std::string code = "K" + std::to_string(i);
        codes.Add(code, codes.Hash(code), 100 + i, std::nullopt);
    }
    EXPECT_EQ(codes.size(), 3005u);
    std::string kept;
    for (std::string_view code : {"NONE", "LATE", "FAR", "FIRST", "ALONG-KEY-1", "ALONG-KEY-2", "K2999"}) {
        const ListedCode<AircraftSpeed> found = codes.Find(code);
        kept += std::string(code) + "=" + (found.known ? std::to_string(found.known->knots) + "kn" : "")
                + (found.Listed() ? "" : "-") + (found.line ? "@" + std::to_string(found.line) : "") + " ";
    }
    EXPECT_EQ(kept, "NONE=@7 LATE=450kn FAR=@5000000123 FIRST=@1073741824 ALONG-KEY-1=@3 ALONG-KEY-2=- K2999=@3099 ");
}

// Two files of many more lines than the check keeps in flight at once: the report names each fault
// at its own file and line, in order, whichever thread checked it, and every use of a registration
// that several plans share among the tens of thousands that one plan each uses.
TEST(PlanFile, ALargeCheckReportsEveryFaultInTheOrderOfFilesAndLines)
{
    ScratchFolder folder;
    WriteBytes(folder / "airports.txt", "EDDF,N50* 2.00',E8* 34.00',364\r\nEDDM,N48* 21.00',E11* 47.00',1487\r\n");
    WriteBytes(folder / "aircraft.txt", "JET7,450,\"Jet\"\r\n");
    std::string expected;
    int errors = 0;
    int plans = 0;
    std::map<std::string, std::vector<std::string>> shared; // registration: the places of its plans
    for (const auto& [name, lines] : {std::pair<std::string, int>{"a.txt", 20011}, {"b.txt", 9001}}) {
        std::string file;
        for (int line = 1; line <= lines; ++line) {
            const std::string where = name + ":" + std::to_string(line) + ": ";
            const std::string registration = "R" + name.substr(0, 1) + std::to_string(line);
            if (line % 7919 == 0) { // a plan of 4,000 legs, checked on its own, refused the second time
                file += "JET7," + registration + ",50%,24Hr,IFR";
                for (int leg = 1; leg <= 4000; ++leg) {
                    file += leg < 4000 || line == 7919 ? ",06:00,,350,F,1,EDDQ" : ",06:00,,350,X\r,1,EDDQ";
                    if (line == 7919)
                        expected += where + "error: leg " + std::to_string(leg)
                                    + ": the destination EDDQ is not in the airport file\n";
                }
                file += "\r\n";
                if (line != 7919)
                    expected += where + "warning: a lone CR (carriage return) ends no line here; the line goes on "
                                + "after it\n" + where + "error: leg 4000: the fourth field \"X\" is neither F nor R\n";
                errors += line == 7919 ? 4000 : 1;
                plans += line == 7919 ? 1 : 0;
            } else if (line % 1499 == 0) {
                file += "; a comment\r\n";
            } else if (line % 997 == 0) {
                file += "JET7," + registration + ",50%,24Hr,IFR,06:00,,350,F,1,EDDQ,08:00,,350,F,2,EDDF\r\n";
                expected += where + "error: leg 1: the destination EDDQ is not in the airport file\n";
                ++errors;
                ++plans;
            } else if (line % 2003 == 0) {
                file += "JET7," + registration + ",50%,3Hr,IFR,06:00,,350,F,1,EDDM\r\n";
                expected += where + "error: unknown period \"3Hr\" (1Hr, 2Hr, 4Hr, 6Hr, 8Hr, 12Hr, 24Hr or WEEK)\n";
                ++errors;
            } else {
                const std::string used = line % 501 == 0 ? "DUP" + std::to_string(line % 7) : registration;
                if (line % 501 == 0)
                    shared[used].push_back(name + ":" + std::to_string(line));
                file += "JET7," + used + ",50%,24Hr,IFR,06:00,,350,F,1,EDDM,08:00,,350,F,2,EDDF\r\n";
                ++plans;
            }
        }
        WriteBytes(folder / name, file);
    }
    // The first use names the second, every later one the first; in the order of files and lines.
    std::vector<std::pair<std::string, std::string>> warnings;
    for (const auto& [registration, places] : shared) {
        for (size_t i = 0; i < places.size(); ++i)
            warnings.emplace_back(places[i], "warning: registration " + registration + " is used by "
                                                 + std::to_string(places.size()) + " plans (also "
                                                 + places[i == 0 ? 1 : 0] + ")");
    }
    auto place = [](const std::string& where) {
        const size_t colon = where.rfind(':');
        return std::make_pair(where.substr(0, colon), std::stoi(where.substr(colon + 1)));
    };
    std::sort(warnings.begin(), warnings.end(),
              [&](const auto& a, const auto& b) { return place(a.first) < place(b.first); });
    for (const auto& [where, text] : warnings)
        expected += where + ": " + text + "\n";
    EXPECT_GT(warnings.size(), 40u);
    // On one processor, on as many as this machine has, and on more threads than batches wait.
    for (const char* threads : {"1", "2", "3", "8"}) {
#ifdef _WIN32
        _putenv_s("LEGWISE_THREADS", threads);
#else
        setenv("LEGWISE_THREADS", threads, 1);
#endif
        int status = 0;
        const std::string report = CheckInProcess(
            {"--airports", "airports.txt", "--aircraft", "aircraft.txt", "a.txt", "b.txt"}, folder.path, status);
#ifdef _WIN32
        _putenv_s("LEGWISE_THREADS", "");
#else
        unsetenv("LEGWISE_THREADS");
#endif
        EXPECT_EQ(status, 1) << threads << " threads";
        const size_t summary = report.rfind("legwise-check: ");
        ASSERT_NE(summary, std::string::npos) << report;
        EXPECT_EQ(report.substr(0, summary), expected) << threads << " threads";
        EXPECT_EQ(report.substr(summary), "legwise-check: " + std::to_string(plans)
                                              + " plans in 2 files: " + std::to_string(errors) + " errors, "
                                              + std::to_string(warnings.size() + 1) + " warnings\n");
    }
}

// A file the user may not read ends the check with status 2 and says which file, before any plan.
TEST(PlanFile, AnAircraftFileThatCannotBeOpenedEndsTheCheck)
{
    ScratchFolder folder;
    WriteBytes(folder / "airports.txt", "EDDF,N50* 2.00',E8* 34.00',364\n");
    WriteBytes(folder / "aircraft.txt", "JET7,450,\"Jet\"\n");
    WriteBytes(folder / "plans.txt", "JET7,R,50%,24Hr,IFR,06:00,,350,F,1,EDDF\n");
    fs::permissions(folder / "aircraft.txt", fs::perms::none);
    if (std::ifstream(folder / "aircraft.txt").good()) {
        fs::permissions(folder / "aircraft.txt", fs::perms::owner_all);
        GTEST_SKIP() << "this user reads files without read permission (the superuser)";
    }
    int status = 0;
    const std::string printed =
        CheckInProcess({"--airports", "airports.txt", "--aircraft", "aircraft.txt", "plans.txt"}, folder.path, status);
    fs::permissions(folder / "aircraft.txt", fs::perms::owner_all);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(printed.rfind("legwise-check: the aircraft file aircraft.txt cannot be read: ", 0), 0u) << printed;
    EXPECT_NE(printed.find("\nlegwise-check: no plan checked, 1 file could not be read\n"), std::string::npos)
        << printed;
}

// A file named twice is read once; --explain gives every finding of its line, registrations counted
// over the files after it, and the notes on the line's bytes; counts take their words; each file that cannot be read is
// named and counted.
TEST(PlanFile, TheReportCountsEachFileOnceAndNamesWhatCannotBeRead)
{
    ScratchFolder folder;
    WriteBytes(folder / "ap.txt", "EDDF,N50* 2.00',E8* 34.00',364\nEDDM,N48* 21.00',E11* 47.00',1487\n");
    WriteBytes(folder / "ac.txt", "JET7,450,\"Jet\"\n");
    WriteBytes(folder / "ok.txt",
               "JET7,R1,100%,2Hr,IFR,06:00,08:10,350,F,1,EDDM\n"
               "JET7,R2,50%,24Hr,IFR,06:00,,350,F,1,EDDM,08:00,,350,F,2,EDDF\n");
    WriteBytes(folder / "b.txt", "JET7,R1,50%,24Hr,IFR,06:00,,350,F,1,EDDM,08:00,,350,F,2,EDDF\n");
    WriteBytes(folder / "cr.txt", ";\rA\n\x1A\n");
    fs::copy_file(folder / "b.txt", folder / "2024");
    const std::string missing = UnreadableReason(folder / "none.txt");
    std::vector<std::tuple<std::vector<std::string>, std::string, int>> rows = {
        {{"ok.txt", "./ok.txt", "b.txt"},
         "./ok.txt: warning: the same file as ok.txt; it is read once\n"
         "ok.txt:1: warning: registration R1 is used by 2 plans (also b.txt:1)\n"
         "b.txt:1: warning: registration R1 is used by 2 plans (also ok.txt:1)\n"
         "legwise-check: 3 plans in 2 files: 0 errors, 3 warnings\n",
         0},
        {{"--explain", "ok.txt:1", "b.txt"},
         "ok.txt:1: JET7,R1,100%,2Hr,IFR (450 kn; 1 leg, around in 2 h 00 min)\n"
         "leg  from   to     departs    arrives      distance  flight       ground\n"
         "1    EDDM   EDDM   06:00      08:10            0 nm  10 min       1 h 50 min\n"
         "(~ at cruise speed; @ a fixed arrival; ground: until the next leg departs)\n"
         "ok.txt:1: warning: registration R1 is used by 2 plans (also b.txt:1)\n",
         0},
        {{"--explain", "2024:2"}, "legwise-check: 2024 has 1 line, no line 2\n", 2}, // a name of digits alone
        {{"--explain", "cr.txt:1"},
         "cr.txt:1: warning: a lone CR (carriage return) ends no line here; the line goes on after it\n"
         "legwise-check: line 1 of cr.txt holds no plan (a comment)\n",
         2},
        {{"--explain", "cr.txt:2"},
         "cr.txt:2: warning: a Ctrl-Z byte: the text ends here; 1 byte after it is not read\n"
         "legwise-check: line 2 of cr.txt holds no plan (the text ends there)\n",
         2},
        {{"--airports", "none.txt", "--aircraft", "none.txt", "ok.txt"},
         "legwise-check: the airport file none.txt cannot be read: " + missing
             + "\nlegwise-check: the aircraft file none.txt cannot be read: " + missing
             + "\nlegwise-check: no plan checked, 2 files could not be read\n",
         2},
    };
#ifndef _WIN32
    fs::create_symlink("loop2", folder / "loop1");
    fs::create_symlink("loop1", folder / "loop2");
    rows.push_back({{"loop1"},
                    "loop1: error: cannot be read: " + std::generic_category().message(ELOOP)
                        + "\nlegwise-check: 0 plans in 1 file: 0 errors, 0 warnings, 1 file could not be read\n",
                    2});
    // Opened, then refused at its first byte.
    rows.push_back({{"--explain", "/proc/self/mem:1"},
                    "/proc/self/mem: error: cannot be read: the file could not be read to its end\n",
                    2});
#endif
    for (auto& [words, expected, status] : rows) {
        if (words.front() != "--airports")
            words.insert(words.begin(), {"--airports", "ap.txt", "--aircraft", "ac.txt"});
        int printed = 0;
        EXPECT_EQ(CheckInProcess(words, folder.path, printed), expected) << words.back();
        EXPECT_EQ(printed, status) << words.back();
    }
}

TEST(PlanFile, RegistrationsUsedTwiceAreNamedOnEachLine)
{
    Registrations registrations;
    for (const auto& [registration, file, line] : std::vector<std::tuple<const char*, int, int>>{{"D-A", 0, 5},
                                                                                                 {"", 0, 6},
                                                                                                 {"D-B", 0, 7},
                                                                                                 {"D-A", 1, 2},
                                                                                                 {"", 1, 3},
                                                                                                 {"D-A", 0, 9},
                                                                                                 {"D-a", 1, 4},
                                                                                                 {"D-C", 0, 3},
                                                                                                 {"D-C", 1, 8}})
        registrations.Add(registration, file, line);
    std::string uses;
    for (const Registrations::SharedUse& use : registrations.SharedUses())
        uses += std::to_string(use.file) + ":" + std::to_string(use.line) + " " + use.registration + " x"
                + std::to_string(use.plans) + " also " + std::to_string(use.otherFile) + ":"
                + std::to_string(use.otherLine) + "; ";
    EXPECT_EQ(uses,
              "0:3 D-C x2 also 1:8; 0:5 D-A x3 also 1:2; 0:9 D-A x3 also 0:5; 1:2 D-A x3 also 0:5; 1:8 D-C x2 "
              "also 0:3; ");
}

// The window's table: a row per line that is no comment, its texts as the line gives them, and
// each row's findings read again, the shared registration's warning where it is shared.
TEST(PlanFile, TheTableShowsEachLineAndReadsItsFindingsAgain)
{
    ScratchFolder folder;
    WriteBytes(folder / "plans.txt",
               "; plans\n"
               "JET7,D-A,50%,24Hr,IFR,06:00,,350,F,1,EDDM,06:40,,350,F,2,EDDF\n"
               "JET7 , D-B ,50%,3Hr,IFR,06:00,,350,F,1,EDDM\n\n"
               "JET7,D-C,50%,24Hr,IFR,06:00,,350,F,1,EDDM,07:00,,350,F,2,EDDF\n"
               "JET9,D-A,50%,24Hr,IFR,06:00,,350,F,1,EDDX\n");
    const ReferenceData data = Reference();
    const PlanTable table = ReadPlanTable(folder / "plans.txt", data, 30);
    std::string rows;
    for (const PlanRow& row : table.rows) {
        rows += std::to_string(row.line) + " " + std::string(table.Registration(row)) + " "
                + std::string(table.Aircraft(row)) + " " + std::string(table.Period(row)) + " "
                + (row.plan ? std::to_string(row.legs) : "no plan") + " " + std::to_string(row.errors) + "/"
                + std::to_string(row.warnings) + ":";
        PlanDetail detail;
        std::string error;
        ASSERT_TRUE(ReadPlanDetail(folder / "plans.txt", table, row, data, 30, detail, error)) << error;
        for (const Finding& finding : detail.findings)
            rows += (finding.level == FindingLevel::Error ? " E: " : " W: ") + finding.text;
        rows += "\n";
    }
    EXPECT_EQ(rows,
              "2 D-A JET7 24Hr 2 0/2: W: leg 2 departs from EDDM at 06:40, 18 min after its aircraft arrives at "
              "06:22 (leg 1): less than the turnaround of 30 min W: registration D-A is used by 2 plans (also "
              "line 6)\n"
              "3 D-B JET7 3Hr no plan 1/0: E: unknown period \"3Hr\" (1Hr, 2Hr, 4Hr, 6Hr, 8Hr, 12Hr, 24Hr or "
              "WEEK)\n"
              "5 D-C JET7 24Hr 2 0/0:\n"
              "6 D-A JET9 24Hr 1 0/2: W: aircraft JET9 cannot be timed: line 4 of the aircraft file gives no "
              "cruise speed W: registration D-A is used by 2 plans (also line 2)\n");
}

namespace {
// legwise-check as built beside these tests (a copy beside the test program comes first, as the
// Windows tests are run), with `arguments` and its output in `output`; its exit status.
int RunCheckProgram(const std::string& arguments, const fs::path& output)
{
#ifdef _WIN32
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::path program = fs::path(self).parent_path() / "legwise-check.exe";
    if (!fs::exists(program))
        program = LEGWISE_CHECK_PROGRAM;
    // Started directly, its output in a file handle it inherits: no command interpreter in between.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    // Shared for writing as well: under Wine, once a death test has run, a handle an earlier child
    // inherited was seen to outlive that child for a moment.
    const HANDLE file = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return -1;
    const std::string line = "\"" + program.string() + "\" " + arguments;
    std::wstring wide(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, nullptr, 0)), L'\0');
    MultiByteToWideChar(CP_ACP, 0, line.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = file;
    startup.hStdError = file;
    PROCESS_INFORMATION process{};
    DWORD status = static_cast<DWORD>(-1);
    if (CreateProcessW(nullptr, wide.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(file);
    return static_cast<int>(status);
#else
    std::error_code ec;
    fs::path program = fs::read_symlink("/proc/self/exe", ec).parent_path() / "legwise-check";
    if (ec || !fs::exists(program))
        program = LEGWISE_CHECK_PROGRAM;
    const int status =
        std::system(("'" + program.string() + "' " + arguments + " >'" + output.string() + "' 2>&1").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
#endif
}
} // namespace

TEST(PlanFile, TheProgramReportsKnownFaultsAndTheirExitStatus)
{
    ScratchFolder folder;
    const std::string data = SourceDir() + "/tests/data/planfile/";
    const std::string files = "--airports \"" + data + "airports.txt\" --aircraft \"" + data + "aircraft.txt\" ";
    auto report = [&] {
        std::string text = FromTextMode(ReadBytes(folder / "out.txt"));
        for (size_t at; (at = text.find(data)) != std::string::npos;)
            text.replace(at, data.size(), "");
        return text;
    };
    EXPECT_EQ(RunCheckProgram(files + "\"" + data + "faults.txt\"", folder / "out.txt"), 1);
    EXPECT_EQ(report(), FromTextMode(ReadBytes(data + "faults.expected")));
    EXPECT_EQ(RunCheckProgram(files + "--explain \"" + data + "faults.txt:9\"", folder / "out.txt"), 1);
    EXPECT_EQ(report(), FromTextMode(ReadBytes(data + "explain.expected")));
    EXPECT_EQ(RunCheckProgram(files + "--explain \"" + data + "faults.txt:7\"", folder / "out.txt"), 1);
    EXPECT_NE(report().find("1    EDDF   EDDM   1/06:00    @1/06:10       162 nm  10 min       2 h 50 min\n"),
              std::string::npos)
        << report();
    EXPECT_EQ(RunCheckProgram(files + "--explain \"" + data + "faults.txt:12345678\"", folder / "out.txt"), 2);
    EXPECT_EQ(report(), "legwise-check: faults.txt has 16 lines, no line 12345678\n");
    // Each option also as --option=value, and the turnaround written into the same warning.
    EXPECT_EQ(RunCheckProgram("--airports=\"" + data + "airports.txt\" --aircraft=\"" + data
                                  + "aircraft.txt\" --turnaround=18 \"" + data + "faults.txt\"",
                              folder / "out.txt"),
              1);
    EXPECT_NE(report().find("faults.txt:9: error:"), std::string::npos) << report();
    EXPECT_EQ(report().find("less than the turnaround"), std::string::npos) << "18 min is not less than 18";
    EXPECT_EQ(RunCheckProgram(files + "--turnaround 1440 \"" + data + "faults.txt\"", folder / "out.txt"), 1);
    WriteBytes(folder / "one.txt",
               "JET7,R1,50%,24Hr,IFR,06:00,,350,F,1,EDDM,06:40,,350,F,2,EDDF\n"
               "JET7,R2,50%,3Hr,IFR,06:00,,350,F,1,EDDM\n");
    EXPECT_EQ(RunCheckProgram(files + "\"" + (folder / "one.txt").string() + "\"", folder / "out.txt"), 1);
    EXPECT_NE(report().find("legwise-check: 1 plan in 1 file: 1 error, 1 warning\n"), std::string::npos) << report();

    const std::pair<std::string, std::string> wrong[] = {
        {files + "--turnaround 1441 x.txt", "--turnaround needs a number of minutes from 0 to 1440, not \"1441\""},
        {files + "--turnaround", "--turnaround needs a value"},
        {files + "--turnaround \"\" x.txt", "--turnaround needs a number of minutes from 0 to 1440, not \"\""},
        {files, "no plan file given"},
        {"--aircraft=a.txt x.txt", "--airports FILE is missing"},
        {"--airports a.txt x.txt", "--aircraft FILE is missing"},
        {files + "--explain x.txt", "--explain needs FILE:LINE, a plan file and a line number, not \"x.txt\""},
        {files + "--explain x.txt:4:4", "--explain needs FILE:LINE, a plan file and a line number, not \"x.txt:4:4\""},
        {files + "--turnaround 5 --turnaround=6 x.txt", "--turnaround is given twice"},
        {files + "--aircraft a.txt x.txt", "--aircraft is given twice"},
        {files + "--fast x.txt", "unknown option --fast"},
    };
    for (const auto& [arguments, message] : wrong) {
        EXPECT_EQ(RunCheckProgram(arguments, folder / "out.txt"), 2) << arguments;
        EXPECT_EQ(report(), "legwise-check: " + message + " (see legwise-check --help)\n");
    }
    EXPECT_EQ(RunCheckProgram(files + "\"" + (folder / "none.txt").string() + "\"", folder / "out.txt"), 2);
    EXPECT_EQ(report(), (folder / "none.txt").string()
                            + ": error: cannot be read: " + UnreadableReason(folder / "none.txt") + "\n"
                            + "legwise-check: 0 plans in 1 file: 0 errors, 0 warnings, 1 file could not be read\n");
    EXPECT_FALSE(fs::exists(folder / "none.txt")) << "a check only reads";
    for (const char* help : {"--help", "-h", "x.txt -h"}) {
        EXPECT_EQ(RunCheckProgram(help, folder / "out.txt"), 0) << help;
        EXPECT_EQ(report(), FromTextMode(ReadBytes(data + "usage.expected"))) << help;
    }
}

// The bytes of a file draw their warnings on their lines, in the plan file and in the airport file;
// a byte-order mark is no part of the first code; UTF-16 text is refused once.
TEST(PlanFile, TheReportNotesTheBytesOfEachFile)
{
    using namespace std::string_literals;
    ScratchFolder folder;
    WriteBytes(folder / "airports.txt",
               "\xEF\xBB\xBF"
               "EDDF,N50* 2.00',E8* 34.00',364\r\nEDDM,48.35,11.78\r,\n");
    WriteBytes(folder / "aircraft.txt", "JET7,450,\"Jet\"\n\x1A\n");
    WriteBytes(folder / "plans.txt",
               "\xEF\xBB\xBFJET7,R1,50%,24Hr,IFR,06:00,,350,F,1,EDDF\n; a\rb\n; end\x1A"
               "JET7,R2,50%,24Hr,IFR,06:00,,350,F,1,EDDX\n");
    WriteBytes(folder / "wide.txt", "\xFF\xFE;\0\n\0"s);
    int status = 0;
    EXPECT_EQ(CheckInProcess({"--airports", "airports.txt", "--aircraft", "aircraft.txt", "plans.txt", "wide.txt"},
                             folder.path, status),
              "airports.txt:2: warning: a lone CR (carriage return) ends no line here; the line goes on after it\n"
              "aircraft.txt:2: warning: a Ctrl-Z byte: the text ends here; 1 byte after it is not read\n"
              "plans.txt:2: warning: a lone CR (carriage return) ends no line here; the line goes on after it\n"
              "plans.txt:3: warning: a Ctrl-Z byte: the text ends here; 41 bytes after it are not read\n"
              "wide.txt: error: cannot be read: is UTF-16 text; save it as ANSI (Windows-1252)\n"
              "legwise-check: 1 plan in 2 files: 0 errors, 4 warnings, 1 file could not be read\n");
    EXPECT_EQ(status, 2);
}

#if !defined(_WIN32) && !defined(__APPLE__)
// Without a display there is no window: the usage and why, status 2. A report that cannot be written
// is no report: status 2 and the reason.
TEST(PlanFile, TheProgramSaysWhyItCannotShowOrWriteItsReport)
{
    ScratchFolder folder;
    std::map<std::string, std::string> saved;
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (const char* value = std::getenv(name))
            saved[name] = value;
        unsetenv(name);
    }
    EXPECT_EQ(RunCheckProgram("", folder / "out.txt"), 2);
    for (const auto& [name, value] : saved)
        setenv(name.c_str(), value.c_str(), 1);
    const std::string printed = ReadBytes(folder / "out.txt");
    EXPECT_EQ(printed.rfind(PlanCheckUsage, 0), 0u) << printed;
    // Why: no display, or, built without the GUI, no window at all.
    const std::string why = printed.substr(std::string_view(PlanCheckUsage).size());
    EXPECT_TRUE(why == "legwise-check: no window: there is no display to open the window on (DISPLAY is not set)\n"
                || why == "legwise-check: no window: this legwise-check has no window; name the files to check\n")
        << why;

    // The report to a full disk, the messages to err.txt; the shell's own output then goes to out.txt.
    const fs::path err = folder / "err.txt";
    EXPECT_EQ(RunCheckProgram("--help >/dev/full 2>'" + err.string() + "'; exit $?", folder / "out.txt"), 2);
    EXPECT_EQ(ReadBytes(err), "legwise-check: the report could not be written: No space left on device\n");
}
#endif
