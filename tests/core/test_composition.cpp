// Composition the plan rules do not reach: far-off time conversion, stored options, offered lists.
#include "plan/Composition.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>

namespace {
// How many departures the quiet hours leave, and the runs of times they form.
std::string Offered(const char* quietFrom, const char* quietUntil)
{
    const DepartureHours hours = DepartureHoursFrom(quietFrom, quietUntil);
    const std::vector<std::string> times = DepartureTimes(hours.firstHour, hours.endHour);
    std::string runs = std::to_string(times.size());
    for (size_t i = 0; i < times.size(); ++i) {
        if (i == 0 || std::stoi(times[i]) > std::stoi(times[i - 1]) + 1) // an hour left out
            runs += (i == 0 ? " " : "-" + times[i - 1] + " ") + times[i];
    }
    return times.empty() ? runs : runs + "-" + times.back();
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

    // Quiet "between" and "and": across midnight, within a day, equal (no quiet hours), blank, beyond the day.
    // clang-format off
    const std::tuple<const char*, const char*, const char*> quiet[] = {
        {"", "", "288 00:00-23:55"}, {"23", "06", "204 06:00-22:55"}, {"1", "04", "252 00:00-00:55 04:00-23:55"},
        {"5", "23", "72 00:00-04:55 23:00-23:55"}, {"7", "07", "288 00:00-23:55"}, {"   ", "", "288 00:00-23:55"},
        {"   ", "06", "216 06:00-23:55"}, {"1", "", "12 00:00-00:55"}, {"26", "-2", "288 00:00-23:55"},
        {"99999999999", "20", "48 20:00-23:55"}, {"0", "24", "288 00:00-23:55"}};
    // clang-format on
    for (const auto& [from, until, offered] : quiet)
        EXPECT_EQ(Offered(from, until), offered) << from << " " << until;
    const std::vector<std::string> differences = TimeDifferenceEntries();
    EXPECT_EQ(std::tuple(differences.size(), differences.front(), differences[11], differences[13], differences.back()),
              std::tuple(25u, "-12", "-1", "1", "12"));
}
