// Moving plan files to another season: each line as the shift writes it, the whole file's bytes there
// and back, and the refusals that leave no file behind.
#include "planfile/CheckCommand.h"
#include "planfile/SeasonShift.h"

#include "check/Calendar.h"
#include "input/TextFile.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <functional>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {
ReferenceData Airports()
{
    ReferenceData data;
    int line = 0;
    for (const char* airport : {"EDDF,N50* 2.00',E8* 34.00',364", "EGLL,51.4700,-0.4543,83", "NZAA,-37.0081,174.7917,7",
                                "KPHX,33.4343,-112.0116,1135", "KJFK,40.6398,-73.7789,13", "XXXX,somewhere,else"})
        AddAirportLine(data, airport, ++line);
    return data;
}

const std::int64_t Winter = *ShiftDayFromText("2025-01-15");
const std::int64_t Summer = *ShiftDayFromText("2025-07-15");

// The line shifted from winter to summer, or "unplaced: why" / "no plan: why".
std::string Shifted(std::string_view line)
{
    const ReferenceData data = Airports();
    SeasonShift shift(data, Winter, Summer);
    std::string out;
    std::string problem;
    switch (shift.ShiftLine(line, out, problem)) {
    case SeasonShift::Outcome::Unplaced: return "unplaced: " + problem;
    case SeasonShift::Outcome::NoPlan: return "no plan: " + problem;
    default: return out;
    }
}
} // namespace

TEST(SeasonShift, EachLineKeepsItsLocalDeparturesAndItsForms)
{
    const struct {
        const char* name;
        const char* line;
        const char* expected;
    } cases[] = {
        {"a 24Hr shuttle: Frankfurt and London both one hour earlier in universal time",
         "JET7,D-AILA,100%,24Hr,IFR,06:00,,350,F,101,EGLL,08:00,,350,F,102,EDDF",
         "JET7,D-AILA,100%,24Hr,IFR,05:00,,350,F,101,EGLL,07:00,,350,F,102,EDDF"},
        {"midnight wraps within the day, seconds, one-digit hours, blanks and letter case kept",
         "JET7 , D-AILA,50%,24hr,ifr, 00:30:15 ,, 350 ,f,101,EGLL,9:05,,350,r,102,EDDF,",
         "JET7 , D-AILA,50%,24hr,ifr, 23:30:15 ,, 350 ,f,101,EGLL,8:05,,350,r,102,EDDF,"},
        {"an nHr plan wraps within the day as well",
         "JET7,D-AILA,50%,12Hr,IFR,0:20,,350,F,101,EGLL,01:10,,350,F,102,EDDF",
         "JET7,D-AILA,50%,12Hr,IFR,23:20,,350,F,101,EGLL,00:10,,350,F,102,EDDF"},
        {"fixed and given arrivals move by their destination's change",
         "JET7,D-AILA,50%,24Hr,IFR,06:00,@ 07:30,350,F,101,NZAA,20:00,10:00,350,F,102,EDDF",
         "JET7,D-AILA,50%,24Hr,IFR,05:00,@ 08:30,350,F,101,NZAA,21:00,09:00,350,F,102,EDDF"},
        {"a one-digit hour moved to two digits keeps them (shifted back, 10:30 becomes 09:30)",
         "JET7,D-AILA,50%,24Hr,IFR,9:30,,350,F,101,EGLL,20:00,,350,F,102,NZAA",
         "JET7,D-AILA,50%,24Hr,IFR,10:30,,350,F,101,EGLL,19:00,,350,F,102,NZAA"},
        {"a WEEK plan goes round the week's end both ways (Auckland's winter is the northern summer)",
         "BUS3,ZK-OKA,50%,WEEK,IFR,0/00:30,@6/23:30,350,F,1,NZAA,6/23:30,@0/00:10:05,350,F,2,EDDF",
         "BUS3,ZK-OKA,50%,WEEK,IFR,6/23:30,@0/00:30,350,F,1,NZAA,0/00:30,@6/23:10:05,350,F,2,EDDF"},
        {"Phoenix keeps no daylight saving time: only the departure from New York moves",
         "JET7,N123,50%,24Hr,IFR,06:00,,350,F,1,KJFK,14:00,@19:00,350,F,2,KPHX",
         "JET7,N123,50%,24Hr,IFR,06:00,,350,F,1,KJFK,13:00,@19:00,350,F,2,KPHX"},
        {"comments, blank lines and lines that are no plan stay as they are", "; JET7,D-AILA,06:00",
         "; JET7,D-AILA,06:00"},
        {"a line that is no plan is named", "JET7,D-AILA,50%,3Hr,IFR,06:00,,350,F,1,EGLL",
         "no plan: unknown period \"3Hr\" (1Hr, 2Hr, 4Hr, 6Hr, 8Hr, 12Hr, 24Hr or WEEK)"},
        {"every airport that cannot be placed is named once",
         "JET7,D-AILA,50%,24Hr,IFR,06:00,,350,F,1,EDDX,08:00,,350,F,2,XXXX,09:00,,350,F,3,EDDX",
         "unplaced: airport EDDX is not in the airport file; airport XXXX cannot be placed: line 6 of the airport "
         "file gives no position"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Shifted(c.line), c.expected) << c.name;
    EXPECT_EQ(DayText(*ShiftDayFromText("2049-09-29")), "2049-09-29");
    EXPECT_FALSE(ShiftDayFromText("2025-02-29")) << "no such day";
    EXPECT_FALSE(ShiftDayFromText("2051-01-01")) << "beyond the offset table";
}

TEST(SeasonShift, AFileThereAndBackKeepsEveryByteAndNothingIsWrittenOverOrForAnUnplacedAirport)
{
    ScratchFolder folder;
    const ReferenceData data = Airports();
    const std::string original =
        "\xEF\xBB\xBF; summer plans\r\n\r\r\n"
        "JET7,D-AILA,100%,24Hr,IFR,06:00,,350,F,101,EGLL,08:00,,350,F,102,EDDF\r\n"
        "JET7,D-AILB,50%,WEEK,IFR,0/00:30,,350,F,101,EGLL,1/08:00,,350,F,102,EDDF\n"
        "JET7,D-AILC,50%,7Hr,IFR\n"
        "JET7,D-AILD,50%,24Hr,IFR,06:00,,350,F,101,EGLL,08:00,,350,F,102,EDDF\x1a"
        "06:00 after the end\n";
    WriteBytes(folder / "winter.txt", original);
    ShiftReport report = ShiftPlanFile(folder / "winter.txt", folder / "summer.txt", data, Winter, Summer);
    EXPECT_TRUE(report.Written()) << report.error;
    EXPECT_EQ(ReadBytes(folder / "summer.txt"),
              "\xEF\xBB\xBF; summer plans\r\n\r\r\n"
              "JET7,D-AILA,100%,24Hr,IFR,05:00,,350,F,101,EGLL,07:00,,350,F,102,EDDF\r\n"
              "JET7,D-AILB,50%,WEEK,IFR,6/23:30,,350,F,101,EGLL,1/07:00,,350,F,102,EDDF\n"
              "JET7,D-AILC,50%,7Hr,IFR\n"
              "JET7,D-AILD,50%,24Hr,IFR,05:00,,350,F,101,EGLL,07:00,,350,F,102,EDDF\x1a"
              "06:00 after the end\n");
    EXPECT_EQ(report.plans, 3);
    EXPECT_EQ(report.timesMoved, 6);
    ASSERT_EQ(report.noPlans.size(), 1U);
    EXPECT_EQ(report.noPlans[0].line, 5);
    ASSERT_EQ(report.notes.size(), 2U);
    EXPECT_EQ(report.notes[0].line, 2) << "a lone CR";
    EXPECT_EQ(report.notes[1].line, 6);
    EXPECT_EQ(report.notes[1].text, "a Ctrl-Z byte: the text ends here; 20 bytes after it are not read");
    ASSERT_EQ(report.changes.size(), 2U);
    EXPECT_EQ(report.changes[0].code + " " + report.changes[0].zone, "EDDF Europe/Berlin");
    report = ShiftPlanFile(folder / "summer.txt", folder / "back.txt", data, Summer, Winter);
    EXPECT_EQ(ReadBytes(folder / "back.txt"), original);

    // Neither an existing file nor the plan file itself is written over.
    for (const char* taken : {"back.txt", "winter.txt"}) {
        report = ShiftPlanFile(folder / "winter.txt", folder / taken, data, Winter, Summer);
        EXPECT_FALSE(report.error.empty()) << taken;
        EXPECT_EQ(ReadBytes(folder / taken), original) << taken;
    }
    WriteBytes(folder / "unplaced.txt", "JET7,D-AILE,50%,24Hr,IFR,06:00,,350,F,1,EDDX\n" + original);
    report = ShiftPlanFile(folder / "unplaced.txt", folder / "never.txt", data, Winter, Summer);
    EXPECT_FALSE(report.Written());
    EXPECT_FALSE(fs::exists(folder / "never.txt"));
}

TEST(SeasonShift, TheCommandSaysWhatItWroteAndWhyItWroteNothing)
{
    ScratchFolder folder;
    WriteBytes(folder / "airports.txt", "EDDF,N50* 2.00',E8* 34.00',364\nEGLL,51.4700,-0.4543,83\n");
    WriteBytes(folder / "aircraft.txt", "JET7,450,\"Jet\"\n");
    WriteBytes(folder / "plans.txt",
               "JET7,D-AILA,100%,24Hr,IFR,06:00,,350,F,101,EGLL,08:00,,350,F,102,EDDF\n"
               "JET7,D-AILB,100%,24Hr,IFR,06:00,,350,F,101,EDDX\n");
    auto run = [&](std::vector<std::string> words, std::string& printed) {
        std::vector<CommandArgument> arguments;
        for (const std::string& word : words)
            arguments.push_back({word, folder / word});
        std::FILE* out = std::tmpfile();
        const int status = RunPlanCheck(arguments, out, out);
        std::rewind(out);
        char buffer[4096] = {};
        printed.assign(buffer, std::fread(buffer, 1, sizeof buffer - 1, out));
        std::fclose(out);
        return status;
    };
    std::string printed;
    const std::vector<std::string> files = {"--airports", "airports.txt", "--aircraft", "aircraft.txt"};
    auto with = [&](std::vector<std::string> more) {
        more.insert(more.begin(), files.begin(), files.end());
        return more;
    };
    EXPECT_EQ(run(with({"--shift", "2025-01-15", "2025-07-15", "--out", "new.txt", "plans.txt"}), printed), 2);
    EXPECT_EQ(printed,
              "plans.txt:2: error: airport EDDX is not in the airport file\n"
              "legwise-check: nothing written: 1 plan with an airport that cannot be placed\n");
    EXPECT_FALSE(fs::exists(folder / "new.txt"));
    WriteBytes(folder / "plans.txt", "JET7,D-AILA,100%,24Hr,IFR,06:00,,350,F,101,EGLL,08:00,,350,F,102,EDDF\n");
    EXPECT_EQ(run(with({"--shift", "2025-01-15", "2025-07-15", "--out", "new.txt", "plans.txt"}), printed), 0);
    EXPECT_EQ(printed,
              "legwise-check: plans.txt from 2025-01-15 to 2025-07-15: 1 plan, 2 times moved, written to "
              "new.txt\n"
              "  EDDF   Europe/Berlin          +1 -> +2: universal times 1 h 00 min earlier\n"
              "  EGLL   Europe/London          0 -> +1: universal times 1 h 00 min earlier\n");
    EXPECT_EQ(run(with({"--shift", "2025-07-15", "2025-01-15", "--out", "new.txt", "plans.txt"}), printed), 2);
    EXPECT_NE(printed.find("nothing written: the new file cannot be created"), std::string::npos) << printed;
    const std::pair<std::vector<std::string>, std::string> wrong[] = {
        {with({"--shift", "2025-01-15", "2025-13-01", "--out", "x.txt", "plans.txt"}),
         "--shift needs dates YYYY-MM-DD from 2000 to 2050, not \"2025-13-01\""},
        {with({"--shift", "2025-01-15", "2025-07-15", "plans.txt"}), "--shift needs --out NEWFILE, the file to write"},
        {with({"--out", "x.txt", "plans.txt"}), "--out is for --shift FROM TO"},
        {with({"--shift", "2025-01-15"}), "--shift needs two dates, FROM and TO"},
    };
    for (const auto& [arguments, message] : wrong) {
        EXPECT_EQ(run(arguments, printed), 2) << message;
        EXPECT_EQ(printed, "legwise-check: " + message + " (see legwise-check --help)\n");
    }
}

// Nothing appears under the new name before the shift is done: not while it writes, not when it is
// cancelled there, not when the plan file changed between its two readings.
TEST(SeasonShift, AnUnfinishedShiftLeavesNoFileBehind)
{
    ScratchFolder folder;
    const ReferenceData data = Airports();
    std::string plans;
    for (int i = 0; i < 9000; ++i)
        plans += "JET7,D-AIL" + std::to_string(i) + ",100%,24Hr,IFR,06:00,,350,F,101,EGLL,08:00,,350,F,102,EDDF\r\n";
    const fs::path taken = folder / "new.txt";
    const char* const Changed = "the plan file changed while it was shifted (a plan added or removed?); shift it again";
    const struct {
        const char* name;
        std::function<void(const fs::path&)> change; // of the plan file, between the two readings
        const char* error;
    } cases[] = {
        {"cancelled while writing", {}, ""},
        {"a plan appended",
         [](const fs::path& file) {
             std::ofstream(file, std::ios::app | std::ios::binary) << "JET7,D-AILX,50%,24Hr,IFR,06:00,,350,F,1,EDDX\n";
         },
         Changed},
        {"bytes after a Ctrl-Z appended",
         [](const fs::path& file) {
             std::ofstream(file, std::ios::app | std::ios::binary) << "\x1A"
                                                                      "after";
         },
         Changed},
        {"cut short", [&](const fs::path& file) { fs::resize_file(file, plans.size() / 2); }, Changed},
        {"a byte changed", [&](const fs::path& file) { WriteBytes(file, "K" + plans.substr(1)); }, Changed},
        {"another program took the new name", [&](const fs::path&) { WriteBytes(taken, "theirs"); },
         "the new file cannot be created: File exists"},
    };
    for (const auto& c : cases) {
        WriteBytes(folder / "plans.txt", plans);
        bool writing = false;
        bool tookName = false;
        const ShiftReport report = ShiftPlanFile(folder / "plans.txt", taken, data, Winter, Summer,
                                                 [&](std::uint64_t done, std::uint64_t total) {
                                                     EXPECT_EQ(fs::exists(taken), tookName) << c.name;
                                                     if (done == total / 2 && c.change) {
                                                         c.change(folder / "plans.txt");
                                                         tookName = fs::exists(taken);
                                                     }
                                                     writing = done > total / 2;
                                                     return !writing || c.change;
                                                 });
        EXPECT_TRUE(writing) << c.name;
        EXPECT_FALSE(report.Written()) << c.name;
        EXPECT_EQ(report.cancelled, !c.change) << c.name;
        EXPECT_EQ(report.error, c.error) << c.name;
        EXPECT_EQ(tookName ? ReadBytes(taken) : "", tookName ? "theirs" : "") << c.name;
        fs::remove(taken);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1) << c.name;
    }
}

#ifndef _WIN32
// Ended by Ctrl+C, kill or a closed terminal while it writes, the shift leaves no file behind.
TEST(SeasonShift, AShiftEndedBySignalLeavesNoFileBehind)
{
    ScratchFolder folder;
    WriteBytes(folder / "ap.txt", "EDDF,N50* 2.00',E8* 34.00',364\n");
    WriteBytes(folder / "ac.txt", "JET7,450,\"Jet\"\n");
    std::string plans;
    for (int i = 0; i < 150000; ++i)
        plans += "JET7,R,100%,24Hr,IFR,06:00,,350,F,1,EDDF\r\n";
    WriteBytes(folder / "plans.txt", plans);
    const auto temporary = [&] {
        return std::any_of(fs::directory_iterator(folder.path), fs::directory_iterator(),
                           [](const fs::directory_entry& entry) { return entry.path().extension() == ".tmp"; });
    };
    // On a busy machine the shift may be done before the signal comes: that round proves nothing and is
    // tried again, the file it wrote removed.
    for (const int signal : EndingSignals) {
        int status = 0;
        for (int round = 0; round < 10; ++round) {
            fs::remove(folder / "new.txt");
            const pid_t child = fork();
            // Started as from a terminal: a test run in the background of a shell ignores SIGINT, and a
            // signal ignored at the start stays ignored.
            if (child == 0)
                std::signal(signal, SIG_DFL);
            if (child == 0 && chdir(folder.path.c_str()) == 0)
                execl(LEGWISE_CHECK_PROGRAM, "legwise-check", "--airports", "ap.txt", "--aircraft", "ac.txt", "--shift",
                      "2025-01-15", "2025-07-15", "--out", "new.txt", "plans.txt", nullptr);
            if (child == 0)
                _exit(127);
            pid_t ended = 0;
            while (!temporary() && (ended = waitpid(child, &status, WNOHANG)) == 0) {
            }
            if (ended == 0 && kill(child, signal) == 0)
                waitpid(child, &status, 0);
            // Ended before or after its file was whole, never with part of it under the name.
            const bool whole = fs::exists(folder / "new.txt")
                               && fs::file_size(folder / "new.txt") == fs::file_size(folder / "plans.txt");
            EXPECT_TRUE(whole || !fs::exists(folder / "new.txt")) << signal;
            if (WIFSIGNALED(status) && !whole)
                break;
        }
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_FALSE(temporary() || fs::exists(folder / "new.txt")) << signal;
    }
}
#endif
