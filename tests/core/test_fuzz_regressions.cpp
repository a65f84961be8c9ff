#include "fuzz/FuzzChecks.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifndef LEGWISE_SOURCE_DIR
#error "the fuzz regression test needs LEGWISE_SOURCE_DIR, the folder of the repository"
#endif

using namespace std::string_literals;
using Entries = std::vector<std::string>;

// The seed corpus and every input that once failed a fuzz target go through that target's checks again.
TEST(FuzzRegressions, EveryKeptInputPassesTheChecksOfItsTarget)
{
    for (const FuzzTarget& target : FuzzTargets()) {
        const std::vector<std::filesystem::path> inputs = KeptInputs(LEGWISE_SOURCE_DIR, target.name);
        EXPECT_GE(inputs.size(), 3u) << "the seed corpus of " << target.name << " is missing";
        for (const std::filesystem::path& input : inputs)
            EXPECT_EQ(target.check(ReadBytes(input)), "") << input;
    }
}

// The checks are only worth their runs if a wrong reading fails them: each row is a reader's mistake.
TEST(FuzzChecks, CatchEveryReadingThatBreaksTheByteRules)
{
    const std::string aircraft =
        "AC#1,\"a\" x\r\n  \r\nAC#2,b\r\nAC\0#4,\"d\"\r\n\x1A"
        "AC#3,\"c\"\r\n"s;
    const std::string airports = " EDDF ,x\r\nED\0DM,y\nEDDH\r,z\r\n,EDDK\n"s;
    const std::string text =
        "a\r\nb\rc\r\n\0d\x1A"
        "e\n"s;
    struct Case {
        const char* name;
        std::string message;
    };
    const Case cases[] = {
        {"CR LF kept", CompareTextModeText(text, "a\r\nb\rc\n\0d"s)},
        {"a lone CR dropped", CompareTextModeText(text, "a\nbc\n\0d"s)},
        {"a NUL dropped", CompareTextModeText(text, "a\nb\rc\nd"s)},
        {"read on past 0x1A", CompareTextModeText(text, "a\nb\rc\n\0de\n"s)},
        {"two lines made one", CompareTextModeLines(text, {"ab\rc", "\0d"s})},
        {"an empty line after the last line feed", CompareTextModeLines("a\n", {"a", ""})},
        {"the last line without its line feed lost", CompareTextModeLines("a\nb", {"a"})},
        {"an empty aircraft entry dropped", CompareAircraftEntries(aircraft, {"AC#1,\"a\"", ""})},
        {"a blank line given an entry", CompareAircraftEntries(aircraft, {"AC#1,\"a\"", "", "", ""})},
        {"an aircraft line read past its NUL", CompareAircraftEntries(aircraft, {"AC#1,\"a\"", "", "AC\0#4,\"d\""s})},
        {"the rest of an aircraft line kept", CompareAircraftEntries(aircraft, {"AC#1,\"a\" x", "", ""})},
        {"aircraft read on past 0x1A", CompareAircraftEntries(aircraft, {"AC#1,\"a\"", "", "", "AC#3,\"c\""})},
        {"an airport code with its blanks", CompareAirportCodes(airports, {" EDDF ", "EDDH\r"})},
        {"an airport line read past its NUL", CompareAirportCodes(airports, {"EDDF", "ED\0DM"s, "EDDH"})},
        {"a code from a line whose comma lies after its NUL", CompareAirportCodes(airports, {"EDDF", "ED", "EDDH"})},
        {"a line without a code given an empty one", CompareAirportCodes(airports, {"EDDF", "EDDH", ""})},
        {"a code holding a line feed", CompareAirportCodes("A\nB,x\n", {"A\nB"})},
    };
    for (const Case& c : cases)
        EXPECT_NE(c.message, "") << c.name;

    // And the right readings pass.
    EXPECT_EQ(CompareTextModeText(text, "a\nb\rc\n\0d"s), "");
    EXPECT_EQ(CompareTextModeLines(text, {"a", "b\rc", "\0d"s}), "");
    EXPECT_EQ(CompareAircraftEntries(aircraft, {"AC#1,\"a\"", "", ""}), "");
    EXPECT_EQ(CompareAirportCodes(airports, {"EDDF", "EDDH"}), "");
}
