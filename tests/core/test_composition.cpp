// Composition the plan rules do not reach: far-off time conversion, stored options, offered lists.
#include "plan/Composition.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace {
// How many departures the quiet hours leave, and the first of them.
std::string Offered(const char* quietFrom, const char* quietUntil)
{
    const DepartureHours hours = DepartureHoursFrom(quietFrom, quietUntil);
    const std::vector<std::string> times = DepartureTimes(hours.firstHour, hours.endHour);
    return std::to_string(times.size()) + (times.empty() ? "" : " from " + times.front() + " to " + times.back());
}
} // namespace

TEST(Composition, WhatThePlanRulesDoNotReach)
{
    const UniversalTime threeDaysBack = ToUniversalTime(0, 50, 1);
    EXPECT_EQ(std::tuple(threeDaysBack.hour, threeDaysBack.dayIndex), std::tuple(22, 5));
    EXPECT_EQ(ToUniversalTime(5, 0, 9).dayIndex, 2);
    EXPECT_EQ(ToUniversalTime(INT_MAX, INT_MIN, INT_MIN).hour, 15);
    EXPECT_EQ(ToUniversalTime(INT_MIN, INT_MAX, INT_MAX).dayIndex, 4);
    EXPECT_EQ(DayIndexFromName("sunday"), -1); // compared byte for byte

    const OptionValues options = NormaliseOptions("  two\r\nlines ", " \teddf\xe9 ", "7", "6");
    EXPECT_EQ(std::tie(options.comment, options.firstDestination, options.quietFrom, options.quietUntil),
              std::tuple("  two\r\nlines ", "EDDF\xc9", "7", "06"));
    EXPECT_EQ(NormaliseOptions("", "", "", "12").quietUntil, "12");

    EXPECT_EQ(Offered("", ""), "288 from 00:00 to 23:55");
    EXPECT_EQ(Offered("23", "06"), "204 from 06:00 to 22:55");
    EXPECT_EQ(Offered("5", "23"), "0");
    EXPECT_EQ(Offered("   ", ""), "0"); // blanks count as typed, and read as hour 0
    EXPECT_EQ(Offered("26", "-2"), "288 from 00:00 to 23:55");
    EXPECT_EQ(Offered("99999999999", "20"), "48 from 20:00 to 23:55");
    EXPECT_EQ(DepartureTimes(-3, INT_MAX).size(), 288u);
    const std::vector<std::string> differences = TimeDifferenceEntries();
    EXPECT_EQ(std::tuple(differences.size(), differences.front(), differences[11], differences[13], differences.back()),
              std::tuple(25u, "-12", "-1", "1", "12"));
}
