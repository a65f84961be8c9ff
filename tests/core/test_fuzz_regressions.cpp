#include "fuzz/FuzzChecks.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace std::string_literals;

// The seed corpus and every input that once failed a fuzz target go through that target's checks again.
TEST(FuzzRegressions, EveryKeptInputPassesTheChecksOfItsTarget)
{
    for (const FuzzTarget& target : FuzzTargets()) {
        const std::vector<std::filesystem::path> inputs = KeptInputs(SourceDir(), target.name);
        EXPECT_GE(inputs.size(), 3u) << "the seed corpus of " << target.name << " is missing";
        for (const std::filesystem::path& input : inputs)
            EXPECT_EQ(target.check(ReadBytes(input)), "") << input;
    }
}

// The replay above is only worth its runs if the checks fail a wrong reading.
TEST(FuzzChecks, CatchReadingsThatBreakTheByteRules)
{
    const std::string text = "a\r\nb\rc\r\n\0d\x1A"s + "e\n", airports = " EDDF ,x\r\nED\0DM,y\nEDDH\r,z\r\n,EDDK\n"s;
    const std::string aircraft = "AC#1,\"a\" x\r\n  \r\nAC#2,b\r\nAC\0#4,\"d\"\r\n\x1A"s + "AC#3,\"c\"\r\n";
    EXPECT_NE(CompareTextModeText(text, "a\r\nb\rc\n\0d"s), "") << "CR LF kept";
    EXPECT_NE(CompareTextModeText(text, "a\nb\rc\n\0d\x1A"s + "e\n"), "") << "read on past 0x1A";
    EXPECT_NE(CompareAircraftEntries(aircraft, {"AC#1,\"a\"", ""}), "") << "an empty entry lost";
    EXPECT_NE(CompareAircraftEntries(aircraft, {"AC#1,\"a\"", "", "", ""}), "") << "a blank line given an entry";
    EXPECT_NE(CompareAirportCodes(airports, {"EDDF", "ED\0DM"s, "EDDH"}), "") << "read past a NUL";
    EXPECT_NE(CompareAirportCodes(airports, {" EDDF ", "EDDH\r"}), "") << "codes not trimmed";
}
