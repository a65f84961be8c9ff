// Plans from an airline timetable: rows read or refused, local times turned into universal ones for a
// week, lines taken from registrations or built with the fewest aircraft, and the plans written.
#include "plan/Composition.h"
#include "planfile/CheckCommand.h"
#include "planfile/PlanFindings.h"
#include "planfile/SeasonShift.h"
#include "timetable/TimetablePlans.h"

#include "check/TimeZones.h"

#include "CheckInProcess.h"
#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {
const ReferenceData& Data()
{
    static const ReferenceData data = [] {
        ReferenceData read;
        std::string error;
        // Without them every test below fails; none may crash.
        if (!ReadAirportFile(SourceDir() + "/examples/airports.txt", read, error)
            || !ReadAircraftFile(SourceDir() + "/examples/aircraft.txt", read, error))
            std::fprintf(stderr, "the example airport and aircraft files cannot be read: %s\n", error.c_str());
        return read;
    }();
    return data;
}

struct Built {
    Timetable table;
    TimetableWeek week;
    Fleet fleet;
};

Built Build(const std::string& rows, const char* day = "2025-06-18", int turnaround = 30, int dailyHashBits = 53)
{
    Built built;
    built.table = ReadTimetableText(
        "flight,from,to,departs,days,aircraft,arrives,registration,valid_from,valid_to\n" + rows, Data());
    built.week = FlightsOfWeek(built.table, *ShiftDayFromText(day));
    built.fleet = BuildFleet(built.table, built.week, turnaround, dailyHashBits);
    return built;
}

// Each flight of the week as "D/HH:MM UT +minutes", in the order of the rows.
std::string Flights(const Built& built)
{
    std::string text;
    for (const WeekFlight& f : built.week.flights)
        text += (text.empty() ? "" : " ") + ClockText(f.departs * 60, true) + "+" + std::to_string(f.minutes);
    return text;
}

// The plans as written (built lines registered "LW"), then each flight left out with its reason.
std::string Plans(const Built& built)
{
    std::string text;
    for (const FleetLine& line : built.fleet.lines)
        text +=
            ComposeLinePlan(built.table, built.week, line, line.registration.empty() ? "LW" : line.registration, 100)
            + "\n";
    for (const LeftOutFlight& left : built.fleet.leftOut)
        text += "left out "
                + std::string(built.table.Text(built.table.rows[built.week.flights[left.flight].row].flight)) + ": "
                + left.reason + "\n";
    return text;
}

} // namespace

TEST(Timetable, RowsAreReadOrRefusedWithTheirLineNumbers)
{
    for (const auto& [text, days] : std::vector<std::pair<const char*, int>>{{"1234567", 0x7f},
                                                                             {"1.3.5..", 0x15},
                                                                             {"135", 0x15},
                                                                             {"-2-4---", 0x0a},
                                                                             {" 7 ", 0x40},
                                                                             {"", -1},
                                                                             {"0", -1},
                                                                             {"8", -1},
                                                                             {"1,2", -1},
                                                                             {"...", -1}})
        EXPECT_EQ(DaysFromText(text) ? *DaysFromText(text) : -1, days) << text;
    for (const auto& [text, minutes] : std::vector<std::pair<const char*, int>>{{"7:00", 420},
                                                                                {"07:05", 425},
                                                                                {"23:59", 1439},
                                                                                {"24:00", -1},
                                                                                {":700", -1},
                                                                                {"7:0", -1},
                                                                                {"700", -1},
                                                                                {"07:60", -1},
                                                                                {"0a:00", -1},
                                                                                {"1::00", -1},
                                                                                {"::00", -1},
                                                                                {"", -1},
                                                                                {"007:00", -1}})
        EXPECT_EQ(MinutesFromText(text), minutes) << text;
    const Timetable table = ReadTimetableText(
        "Days;AIRCRAFT;Flight;From;To;Departs;Arrives;Level;Remark\n"
        "1234567;JET7;\"EX \"\"1\"\"\";EDDF;EGLL;7:00;;FL340;\"any, text\"\n"
        "\n"
        "135;JET7;\"EX,3\";EDDF;EGLL;07:00\n"
        "135;JET7;\"EX\n4\";EDDF;EGLL;07:00\n"
        "135;JET7;EX5;FRA;EGLL;07:00\n"
        "135;JET9;EX6;EDDF;EGLL;07:00\n"
        "135;JET7;EX7;EDDF;EGLL;24:00\n"
        "8;JET7;EX8;EDDF;EGLL;07:00\n"
        "135;JET7;EX9;EDDF;EGLL;07:00;09:00+3\n"
        "135;JET7;EX10;EDDF;EDDX;07:00\n"
        "135;JET7;EX11;EDDF;EGLL;07:00;;350 ft\n",
        Data());
    ASSERT_EQ(table.rows.size(), 1u);
    EXPECT_EQ(table.Text(table.rows[0].flight), "EX \"1\"");
    EXPECT_EQ(table.Level(table.rows[0]), "340");
    EXPECT_EQ(table.rowsRead, 10);
    std::string refused;
    for (const RowProblem& row : table.refused)
        refused += std::to_string(row.line) + ": " + row.text + "\n";
    EXPECT_EQ(refused,
              "4: flight \"EX,3\" holds a comma or line break, which cannot go into a plan\n"
              "5: flight \"EX\n4\" holds a comma or line break, which cannot go into a plan\n"
              "7: from: airport FRA is not in the airport file (a three-letter code: the airport file holds "
              "four-letter codes)\n"
              "8: aircraft JET9 is not in the aircraft file\n"
              "9: departs \"24:00\" is no local time HH:MM\n"
              "10: days \"8\" are no days of operation (the digits 1 to 7, Monday = 1, with . - or blanks)\n"
              "11: arrives \"09:00+3\" is no local time HH:MM (with +1, +2 or -1 for another day)\n"
              "12: to: airport EDDX is not in the airport file\n"
              "13: level \"350 ft\" is no flight level (350 or FL350)\n");
    // An aircraft without a cruise speed flies rows with an arrival, their level from the distance.
    const ScratchFolder lists;
    WriteBytes(lists / "aircraft.txt", "JET9\n");
    ReferenceData slow;
    std::string error;
    ASSERT_TRUE(ReadAirportFile(SourceDir() + "/examples/airports.txt", slow, error)
                && ReadAircraftFile(lists / "aircraft.txt", slow, error));
    const Timetable timed = ReadTimetableText(
        "flight,from,to,departs,days,aircraft,arrives\nA,EDDF,EGLL,07:00,1,JET9,07:45\nB,EDDF,EGLL,08:00,1,JET9\n",
        slow);
    ASSERT_EQ(timed.refused.size(), 1u);
    EXPECT_EQ(timed.refused[0].text,
              "aircraft JET9 cannot be timed: line 1 of the aircraft file gives no cruise "
              "speed, and the row no arrival");
    const TimetableWeek week = FlightsOfWeek(timed, *ShiftDayFromText("2025-06-18"));
    ASSERT_EQ(week.flights.size(), 1u);
    EXPECT_EQ(DistanceLevels[week.flights[0].level], "300"); // 355 nm
    EXPECT_EQ(ReadTimetableText("flight,from,to,days\n", Data()).error,
              "line 1: the header row lacks the columns departs, aircraft (flight, from, to, departs, days and "
              "aircraft are needed)");
    const ScratchFolder folder;
    EXPECT_EQ(ReadTimetableFile(folder / "missing.csv", Data()).error.rfind("cannot be read: ", 0), 0u);
    EXPECT_FALSE(fs::exists(folder / "missing.csv")) << "reading never creates a file";
}

TEST(Timetable, LocalTimesBecomeUniversalInTheChosenWeek)
{
    const struct {
        const char* name;
        const char* rows;
        const char* day;
        const char* flights; // Sunday = 0
    } cases[] = {
        {"a local Sunday 23:30 in New York is Monday in universal time, and Monday 00:30 in Frankfurt is Sunday",
         "A,KJFK,KBOS,23:30,7,JET7\nB,EDDF,EGLL,00:30,1,JET7\n", "2025-06-22", "1/03:30+22 0/22:30+47"},
        {"an arrival the next day, and one the day before (Tokyo to Los Angeles)",
         "A,KJFK,EDDF,17:30,1,WIDE2,07:20+1\nB,RJTT,KLAX,00:30,2,WIDE2,17:30-1\n", "2025-06-16",
         "1/21:30+470 1/15:30+540"},
        {"the week Frankfurt and London go to summer time on Sunday", "A,EDDF,EGLL,07:00,1234567,JET7,07:45\n",
         "2025-03-24", "1/06:00+105 2/06:00+105 3/06:00+105 4/06:00+105 5/06:00+105 6/06:00+105 0/05:00+105"},
        {"validity: a row from Thursday keeps Thursday to Sunday, a row over by then none",
         "A,EDDF,EGLL,07:00,1234567,JET7,07:45,,2025-06-19\nB,EDDF,EGLL,07:00,1234567,JET7,,,,2025-06-15\n",
         "2025-06-22", "4/05:00+105 5/05:00+105 6/05:00+105 0/05:00+105"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Flights(Build(c.rows, c.day)), c.flights) << c.name;
    const Built summer =
        Build("A,EDDF,EGLL,07:00,1234567,JET7,07:45\nB,EGLL,EDDF,09:00,1234567,JET7,11:30\n", "2025-03-30");
    ASSERT_EQ(summer.week.changes.size(), 2u);
    EXPECT_EQ(summer.table.airports[summer.week.changes[0].airport].code, "EDDF");
    EXPECT_EQ(DayText(summer.week.changes[1].day), "2025-03-30");
    EXPECT_EQ(Plans(summer),
              "JET7,LW,100%,WEEK,IFR,0/05:00,0/06:45,300,F,A,EGLL,0/08:00,0/09:30,300,F,B,EDDF,1/06:00,"
              "1/07:45,300,F,A,EGLL,1/09:00,1/10:30,300,F,B,EDDF,2/06:00,2/07:45,300,F,A,EGLL,2/09:00,2/"
              "10:30,300,F,B,EDDF,3/06:00,3/07:45,300,F,A,EGLL,3/09:00,3/10:30,300,F,B,EDDF,4/06:00,4/"
              "07:45,300,F,A,EGLL,4/09:00,4/10:30,300,F,B,EDDF,5/06:00,5/07:45,300,F,A,EGLL,5/09:00,5/"
              "10:30,300,F,B,EDDF,6/06:00,6/07:45,300,F,A,EGLL,6/09:00,6/10:30,300,F,B,EDDF\n")
        << "not the same universal times every day: a WEEK plan";
    EXPECT_EQ(Build("", "2025-06-22").week.rowsOutsideWeek, 0);
    EXPECT_EQ(Build("B,EDDF,EGLL,07:00,1234567,JET7,,,,2025-06-15\n", "2025-06-22").week.rowsOutsideWeek, 1);
}

TEST(Timetable, RegistrationsGiveTheLines)
{
    EXPECT_EQ(
        Plans(Build("A,EDDF,EGLL,07:00,1234567,JET7,07:45,D-AAAA\nB,EGLL,EDDF,09:00,1234567,JET7,,D-AAAA\n"
                    "C,EDDF,EDDM,07:00,1,JET7,,D-BBBB\nD,EDDH,EDDF,09:00,2,JET7,,D-BBBB\n"
                    "E,EDDF,EGLL,07:00,1.3....,JET7,,D-CCCC\nF,EGLL,EDDF,12:00,1.3....,JET7,,D-CCCC\n")),
        "JET7,D-AAAA,100%,24Hr,IFR,05:00,06:45,300,F,A,EGLL,08:00,,300,F,B,EDDF\n"
        "JET7,D-CCCC,100%,WEEK,IFR,1/05:00,,300,F,E,EGLL,1/11:00,,300,F,F,EDDF,3/05:00,,300,F,E,EGLL,3/11:00,,300,"
        "F,F,EDDF\n"
        "left out C: the line of registration D-BBBB breaks: flight C (line 4) arrives at EDDM, the next, flight "
        "D (line 5), departs from EDDH\n"
        "left out D: the line of registration D-BBBB breaks: flight C (line 4) arrives at EDDM, the next, flight "
        "D (line 5), departs from EDDH\n");
}

TEST(Timetable, BuiltLinesNeedTheFewestAircraft)
{
    const struct {
        const char* name;
        const char* rows;
        long long aircraft; // the fewest possible, and the lines built
    } cases[] = {
        {"a hub with two banks to four cities and two night stops",
         "A1,EDDF,EDDM,07:00,1234567,BUS3\nA2,EDDF,EDDH,07:00,1234567,BUS3\nA3,EDDF,EDDB,07:05,1234567,BUS3\n"
         "A4,EDDF,EDDL,07:05,1234567,BUS3\nB1,EDDM,EDDF,09:00,1234567,BUS3\nB2,EDDH,EDDF,09:00,1234567,BUS3\n"
         "B3,EDDB,EDDF,09:00,1234567,BUS3\nB4,EDDL,EDDF,09:00,1234567,BUS3\nC1,EDDF,EDDB,11:00,1234567,BUS3\n"
         "C2,EDDF,EDDL,11:00,1234567,BUS3\nC3,EDDF,EDDM,11:00,1234567,BUS3\nC4,EDDF,EDDH,11:00,1234567,BUS3\n"
         "D1,EDDB,EDDF,13:00,1234567,BUS3\nD2,EDDL,EDDF,13:00,1234567,BUS3\nD3,EDDM,EDDF,13:00,1234567,BUS3\n"
         "D4,EDDH,EDDF,13:00,1234567,BUS3\nE1,EDDF,EDDH,19:00,1234567,BUS3\nE2,EDDF,EDDM,19:30,1234567,BUS3\n"
         "F1,EDDM,EDDF,06:00,1234567,BUS3\nF2,EDDH,EDDF,06:00,1234567,BUS3\n",
         4},
        {"a triangle three days a week and one daily the other way round",
         "A,EDDF,LFPG,07:00,135,JET8\nB,LFPG,EGLL,09:00,135,JET8\nC,EGLL,EDDF,11:00,135,JET8\n"
         "D,EDDF,EGLL,07:00,1234567,JET8\nE,EGLL,LFPG,09:00,1234567,JET8\nF,LFPG,EDDF,11:00,1234567,JET8\n",
         2},
        {"an out-and-back every two hours, and one on Sundays only",
         "A,EDDF,EGLL,06:00,1234567,JET7\nB,EGLL,EDDF,06:00,1234567,JET7\nC,EDDF,EGLL,08:00,1234567,JET7\n"
         "D,EGLL,EDDF,08:00,1234567,JET7\nE,EDDF,EGLL,10:00,1234567,JET7\nF,EGLL,EDDF,10:00,1234567,JET7\n"
         "G,EDDF,EGLL,20:00,7,JET7\nH,EGLL,EDDF,21:30,7,JET7\n",
         3},
    };
    for (const auto& c : cases) {
        const Built built = Build(c.rows);
        EXPECT_EQ(built.fleet.fewest, c.aircraft) << c.name;
        EXPECT_EQ(built.fleet.builtLines, c.aircraft) << c.name << "\n" << Plans(built);
        EXPECT_TRUE(built.fleet.leftOut.empty()) << c.name << "\n" << Plans(built);
        // Without the hash every flight of a minute of the day shares its key: told apart all the same, each
        // daily flight still in a 24Hr plan.
        const Built unhashed = Build(c.rows, "2025-06-18", 30, 0);
        auto daily = [](const Built& b) {
            return std::count_if(b.fleet.lines.begin(), b.fleet.lines.end(),
                                 [](const FleetLine& l) { return l.daily; });
        };
        EXPECT_EQ(daily(unhashed), daily(built)) << c.name << "\n" << Plans(unhashed);
        EXPECT_EQ(unhashed.fleet.builtLines, c.aircraft) << c.name << "\n" << Plans(unhashed);
    }
    // The bound counts the flights no line of a week holds; the words say the lines fly fewer.
    EXPECT_EQ(FleetSizeText(Build("A,EDDF,KJFK,10:00,1,WIDE2\nB,KJFK,EDDF,09:00,1,WIDE2\n").fleet),
              "0 aircraft for the flights written; every flight of the week would need at least 2");
    EXPECT_EQ(Plans(Build("A,EDDF,KJFK,10:00,1,WIDE2\nB,KJFK,EDDF,09:00,1,WIDE2\n")),
              "left out A: no line of one week holds it: chained with its type's other flights it comes round only "
              "after more than a week\nleft out B: no line of one week holds it: chained with its type's other "
              "flights it comes round only after more than a week\n");
    EXPECT_EQ(
        Plans(Build("A,EDDF,EGLL,07:00,1234567,JET7\nB,EGLL,EDDF,09:00,123456,JET7\n")),
        "JET7,LW,100%,WEEK,IFR,1/05:00,,300,F,A,EGLL,1/08:00,,300,F,B,EDDF,2/05:00,,300,F,A,EGLL,2/08:00,,300,F,B,"
        "EDDF,3/05:00,,300,F,A,EGLL,3/08:00,,300,F,B,EDDF,4/05:00,,300,F,A,EGLL,4/08:00,,300,F,B,EDDF,5/05:00,,"
        "300,F,A,EGLL,5/08:00,,300,F,B,EDDF,6/05:00,,300,F,A,EGLL,6/08:00,,300,F,B,EDDF\n"
        "left out A: JET7 leaves EDDF more often than it reaches it in the week\n");
}

namespace {
// A timetable of `plans`: one row per leg, its departure at local time by the zone table in the week of
// 2025-06-16, every day for 24Hr plans; no registration.
std::string TimetableOf(const std::vector<std::string>& plans)
{
    std::string rows;
    const UnixSeconds wednesday = DaysFromCivil({2025, 6, 18}) * SecondsPerDay + SecondsPerDay / 2;
    for (const std::string& text : plans) {
        PlanLine plan;
        std::string reason;
        EXPECT_EQ(ReadPlanLine(text, plan, reason), PlanLineKind::Plan) << reason;
        for (size_t i = 0; i < plan.legs.size(); ++i) {
            const std::string_view from = plan.legs[(i + plan.legs.size() - 1) % plan.legs.size()].destination;
            const AirportPlace* place = Data().airports.Find(from).known;
            if (!place) {
                ADD_FAILURE() << "airport " << from << " is not in the example airport file";
                return rows;
            }
            const std::string_view zone = AirlineZoneAt(place->position);
            const int local = plan.legs[i].departure.Clock() / 60 + UtcOffset(zone, wednesday)->minutes + 7 * 24 * 60;
            const int weekday = local / (24 * 60) % 7; // Sunday = 0
            const std::string days =
                plan.week ? std::string(1, static_cast<char>('0' + (weekday ? weekday : 7))) : "1234567";
            rows += std::string(plan.legs[i].flightNumber) + "," + std::string(from) + ","
                    + std::string(plan.legs[i].destination) + "," + ClockText(local % (24 * 60) * 60, false) + ","
                    + days + "," + std::string(plan.aircraftKey) + "\n";
        }
    }
    return rows;
}
} // namespace

TEST(Timetable, PlansComeBackFromTheirTimetable)
{
    const std::vector<std::string> plans = {
        ComposeHeader("JET7,450", "D-AILA", "50", "24Hr", "IFR") + ComposeLeg(false, 0, "06:00", "350", "101", "EDDM")
            + ComposeLeg(false, 0, "08:00", "350", "102", "EDDF") + ComposeLeg(false, 0, "12:00", "350", "103", "EGLL")
            + ComposeLeg(false, 0, "15:00", "350", "104", "EDDF"),
        ComposeHeader("JET7,450", "D-AILB", "50", "24Hr", "IFR") + ComposeLeg(false, 0, "07:00", "350", "201", "EGLL")
            + ComposeLeg(false, 0, "10:00", "350", "202", "EDDF"),
        ComposeHeader("WIDE2,490", "D-ABYA", "50", "WEEK", "IFR") + ComposeLeg(true, 1, "10:00", "370", "401", "KJFK")
            + ComposeLeg(true, 1, "20:00", "360", "402", "EDDF") + ComposeLeg(true, 4, "23:00", "370", "403", "KJFK")
            + ComposeLeg(true, 5, "20:00", "360", "404", "EDDF"),
        ComposeHeader("BUS3,447", "D-AIPA", "50", "WEEK", "IFR") + ComposeLeg(true, 0, "23:30", "300", "501", "LFPG")
            + ComposeLeg(true, 2, "09:00", "300", "502", "EGLL") + ComposeLeg(true, 6, "12:00", "300", "503", "EDDF"),
    };
    const std::string rows = TimetableOf(plans);
    const Built built = Build(rows);
    EXPECT_TRUE(built.fleet.leftOut.empty()) << Plans(built);
    EXPECT_EQ(built.week.flights.size(), 6u * 7 + 4 + 3);
    EXPECT_LE(built.fleet.builtLines, 4);
    EXPECT_GE(built.fleet.builtLines, built.fleet.fewest);

    // The same through legwise-check: a new file, whole, that the check finds no error in.
    const ScratchFolder folder;
    WriteBytes(folder / "table.csv", "flight,from,to,departs,days,aircraft\n" + rows);
    const std::string examples = SourceDir() + "/examples/";
    const std::vector<std::string> words = {"--airports",
                                            examples + "airports.txt",
                                            "--aircraft",
                                            examples + "aircraft.txt",
                                            "--timetable",
                                            "table.csv",
                                            "--week=2025-06-18",
                                            "--percent=50",
                                            "--out",
                                            "plans.txt"};
    int status = 0;
    const std::string printed = CheckInProcess(words, folder.path, status);
    EXPECT_EQ(status, 0) << printed;
    EXPECT_NE(printed.find("  0 flights left out; "), std::string::npos) << printed;
    const std::string written = ReadBytes(folder / "plans.txt");
    EXPECT_EQ(
        written.rfind(
            "\r\n;\r\n;Plans from the timetable table.csv, week 2025-06-16 to 2025-06-22\r\n;\r\nJET7,LW0001,50%,", 0),
        0u)
        << written;
    EXPECT_NE(
        CheckInProcess({"--airports", examples + "airports.txt", "--aircraft", examples + "aircraft.txt", "plans.txt"},
                       folder.path, status)
            .find("0 errors"),
        std::string::npos);
    EXPECT_EQ(status, 0);
    EXPECT_NE(CheckInProcess(words, folder.path, status).find("nothing written: the new file cannot be created"),
              std::string::npos);
    EXPECT_EQ(status, 2);
    EXPECT_EQ(ReadBytes(folder / "plans.txt"), written) << "an existing file is never written over";
    // --out=NAME writes where the system's path leads, as where the text shown could not name it.
    std::vector<CommandArgument> arguments;
    for (size_t i = 0; i + 2 < words.size(); ++i)
        arguments.push_back({words[i], folder.path / words[i]});
    arguments.push_back({"--out=shown.txt", "--out=" + (folder.path / "given.txt").string()});
    EXPECT_NE(CheckInProcess(arguments, status).find("written to shown.txt"), std::string::npos);
    EXPECT_EQ(ReadBytes(folder / "given.txt"), written);
    fs::remove(folder / "given.txt");
#ifndef _WIN32
    fs::remove(folder / "plans.txt");
    WithFileSizeLimit(written.size() - 1, [&] { CheckInProcess(words, folder.path, status); });
    EXPECT_EQ(status, 2);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1)
        << "a file that cannot be written whole leaves nothing behind";
#endif
}
