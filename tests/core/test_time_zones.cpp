#include "check/TimeZones.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

// A moment given in UT.
UnixSeconds Ut(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return DaysFromCivil({year, month, day}) * 86400 + hour * 3600 + minute * 60 + second;
}

struct TestPoint {
    std::string line; // as the file has it, for the message
    GeoPosition position;
    std::string zone; // "-" for a position out of range
};

// The positions the map's own project tests (tools/convert-tz-lookup.py wrote them).
std::vector<TestPoint> PackageTestPoints()
{
    std::ifstream file(LEGWISE_SOURCE_DIR "/tests/core/data/zone-map-points.txt", std::ios::binary);
    std::vector<TestPoint> points;
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        TestPoint point{line, {}, {}};
        std::istringstream(line) >> point.position.latitude >> point.position.longitude >> point.zone;
        points.push_back(point);
    }
    return points;
}

} // namespace

TEST(ZoneMap, GivesEveryPositionTheZoneItsProjectTestsFor)
{
    const std::vector<TestPoint> points = PackageTestPoints();
    ASSERT_GT(points.size(), 1000u) << "tests/core/data/zone-map-points.txt is missing or short";
    for (const TestPoint& point : points) {
        const std::string expected = point.zone == "-" ? "" : point.zone;
        EXPECT_EQ(MapZoneAt(point.position), expected) << "at " << point.line;
        if (!expected.empty()) {
            EXPECT_TRUE(UtcOffset(expected, Ut(2024, 6, 1))) << "no offsets for " << expected;
        }
    }
}

TEST(ZoneMap, TellsNeighboursAcrossABorderApart)
{
    struct Row {
        const char* airport;
        GeoPosition position;
        std::string_view mapZone;
        std::string_view airlineZone;
    };
    const Row rows[] = {
        {"EDAH Heringsdorf", {53.8787, 14.1524}, "Europe/Berlin", "Europe/Berlin"},
        {"EPSC Szczecin", {53.5847, 14.9022}, "Europe/Warsaw", "Europe/Warsaw"},
        {"KCHA Chattanooga", {35.0353, -85.2038}, "America/New_York", "America/New_York"},
        {"KHSV Huntsville", {34.6372, -86.7751}, "America/Chicago", "America/Chicago"},
        {"LPPR Porto", {41.2481, -8.6814}, "Europe/Lisbon", "Europe/Lisbon"},
        {"LEVX Vigo", {42.2318, -8.6268}, "Europe/Madrid", "Europe/Madrid"},
        {"ZWWW Urumqi, Xinjiang", {43.9071, 87.4742}, "Asia/Urumqi", "Asia/Shanghai"},
        {"ZWSH Kashgar, Xinjiang", {39.5429, 76.0200}, "Asia/Urumqi", "Asia/Shanghai"},
        {"ZBAA Beijing", {40.0801, 116.5846}, "Asia/Shanghai", "Asia/Shanghai"},
        {"VHHH Hong Kong", {22.3080, 113.9185}, "Asia/Hong_Kong", "Asia/Hong_Kong"},
        {"south pole", {-90, 0}, "Antarctica/McMurdo", "Antarctica/McMurdo"},
        {"north pole, any longitude", {90, 123.4}, "Etc/GMT", "Etc/GMT"},
        {"latitude past the pole", {90.0001, 0}, "", ""},
        {"longitude past 180", {0, -180.0001}, "", ""},
        {"no number", {std::nan(""), 0}, "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MapZoneAt(row.position), row.mapZone) << row.airport;
        EXPECT_EQ(AirlineZoneAt(row.position), row.airlineZone) << row.airport;
    }
}

TEST(ZoneOffsets, FollowEachZoneThroughWinterSummerAndItsRuleChanges)
{
    struct Row {
        const char* what;
        const char* zone;
        UnixSeconds moment;
        ZoneOffset offset;
    };
    const Row rows[] = {
        {"EDDF in winter", "Europe/Berlin", Ut(2024, 1, 15), {60, false}},
        {"EDDF in summer", "Europe/Berlin", Ut(2024, 7, 15), {120, true}},
        {"KJFK in winter", "America/New_York", Ut(2024, 1, 15), {-300, false}},
        {"KJFK in summer", "America/New_York", Ut(2024, 7, 15), {-240, true}},
        {"KPHX in winter", "America/Phoenix", Ut(2024, 1, 15), {-420, false}},
        {"KPHX in summer, no daylight saving", "America/Phoenix", Ut(2024, 7, 15), {-420, false}},
        {"NZAA in its summer", "Pacific/Auckland", Ut(2024, 1, 15), {780, true}},
        {"NZAA in its winter", "Pacific/Auckland", Ut(2024, 7, 15), {720, false}},
        {"VIDP in winter", "Asia/Kolkata", Ut(2024, 1, 15), {330, false}},
        {"VIDP in summer", "Asia/Kolkata", Ut(2024, 7, 15), {330, false}},
        {"New York, March 2006: still winter", "America/New_York", Ut(2006, 3, 20, 12), {-300, false}},
        {"New York, March 2007: summer from the 11th", "America/New_York", Ut(2007, 3, 20, 12), {-240, true}},
        {"New York, 2007-03-11 a second before 2:00", "America/New_York", Ut(2007, 3, 11, 6, 59, 59), {-300, false}},
        {"New York, 2007-03-11 at 2:00", "America/New_York", Ut(2007, 3, 11, 7), {-240, true}},
        {"Moscow, winter 2011", "Europe/Moscow", Ut(2011, 1, 15), {180, false}},
        {"Moscow, winter after 2011-03-27: +4 all year", "Europe/Moscow", Ut(2011, 12, 15), {240, false}},
        {"Moscow, 2014-10-26 a second before 2:00", "Europe/Moscow", Ut(2014, 10, 25, 21, 59, 59), {240, false}},
        {"Moscow, from 2014-10-26 2:00: +3", "Europe/Moscow", Ut(2014, 10, 25, 22), {180, false}},
        {"Apia, the last second of 2011-12-29", "Pacific/Apia", Ut(2011, 12, 30, 9, 59, 59), {-600, true}},
        {"Apia, 2011-12-31 at midnight: the 30th skipped", "Pacific/Apia", Ut(2011, 12, 30, 10), {840, true}},
        {"Apia in its winter 2012", "Pacific/Apia", Ut(2012, 6, 1), {780, false}},
        {"Dublin in winter: standard time", "Europe/Dublin", Ut(2024, 1, 15), {0, false}},
        {"Dublin in summer: daylight time", "Europe/Dublin", Ut(2024, 7, 15), {60, true}},
        {"the open sea at 150 west", "Etc/GMT+10", Ut(2024, 7, 15), {-600, false}},
        {"the first moment held", "Asia/Kolkata", Ut(2000, 1, 1), {330, false}},
        {"the last moment held", "Pacific/Auckland", Ut(2050, 12, 31, 23, 59, 59), {780, true}},
    };
    for (const Row& row : rows) {
        const std::optional<ZoneOffset> offset = UtcOffset(row.zone, row.moment);
        ASSERT_TRUE(offset) << row.what;
        EXPECT_EQ(offset->minutes, row.offset.minutes) << row.what;
        EXPECT_EQ(offset->daylight, row.offset.daylight) << row.what;
    }
}

TEST(ZoneOffsets, GiveNothingForAnUnknownZoneOrAMomentOutsideTheYears)
{
    EXPECT_FALSE(UtcOffset("Mars/Olympus_Mons", Ut(2024, 1, 1)));
    EXPECT_FALSE(UtcOffset("", Ut(2024, 1, 1)));
    EXPECT_FALSE(UtcOffset("Europe/Berlin", Ut(1999, 12, 31, 23, 59, 59)));
    EXPECT_FALSE(UtcOffset("Europe/Berlin", Ut(2051, 1, 1)));
    EXPECT_TRUE(OffsetPeriods("Mars/Olympus_Mons", Ut(2024, 1, 1), Ut(2025, 1, 1)).empty());
    EXPECT_TRUE(OffsetPeriods("Europe/Berlin", Ut(1990, 1, 1), Ut(2000, 1, 1)).empty());
    EXPECT_TRUE(OffsetPeriods("Europe/Berlin", Ut(2051, 1, 1), Ut(2060, 1, 1)).empty());
    EXPECT_TRUE(OffsetPeriods("Europe/Berlin", Ut(2024, 7, 1), Ut(2024, 7, 1)).empty());
}

TEST(ZoneOffsets, ListThePeriodsOfASpanWithTheMomentsOfTheirChanges)
{
    struct Row {
        const char* what;
        const char* zone;
        UnixSeconds from;
        UnixSeconds to;
        std::vector<OffsetPeriod> periods;
    };
    const Row rows[] = {
        {"Frankfurt in 2024",
         "Europe/Berlin",
         Ut(2024, 1, 1),
         Ut(2025, 1, 1),
         {{Ut(2024, 1, 1), {60, false}}, {Ut(2024, 3, 31, 1), {120, true}}, {Ut(2024, 10, 27, 1), {60, false}}}},
        {"Moscow from 2011 to 2015",
         "Europe/Moscow",
         Ut(2011, 1, 1),
         Ut(2015, 1, 1),
         {{Ut(2011, 1, 1), {180, false}}, {Ut(2011, 3, 26, 23), {240, false}}, {Ut(2014, 10, 25, 22), {180, false}}}},
        {"Apia around its skipped day",
         "Pacific/Apia",
         Ut(2011, 12, 1),
         Ut(2012, 1, 1),
         {{Ut(2011, 12, 1), {-600, true}}, {Ut(2011, 12, 30, 10), {840, true}}}},
        {"Phoenix in summer", "America/Phoenix", Ut(2024, 3, 1), Ut(2024, 11, 30), {{Ut(2024, 3, 1), {-420, false}}}},
        {"a span from before 2000 starts with the table",
         "Asia/Kolkata",
         Ut(1990, 1, 1),
         Ut(2001, 1, 1),
         {{Ut(2000, 1, 1), {330, false}}}},
        {"a change at the span's end is left out",
         "Europe/Berlin",
         Ut(2024, 3, 1),
         Ut(2024, 3, 31, 1),
         {{Ut(2024, 3, 1), {60, false}}}},
        {"through 2050", "Europe/Berlin", Ut(2050, 11, 1), Ut(2060, 1, 1), {{Ut(2050, 11, 1), {60, false}}}},
    };
    for (const Row& row : rows) {
        const std::vector<OffsetPeriod> periods = OffsetPeriods(row.zone, row.from, row.to);
        ASSERT_EQ(periods.size(), row.periods.size()) << row.what;
        for (size_t i = 0; i < periods.size(); ++i) {
            EXPECT_EQ(periods[i].from, row.periods[i].from) << row.what << ", period " << i;
            EXPECT_EQ(periods[i].offset, row.periods[i].offset) << row.what << ", period " << i;
        }
    }
    // Two changes a year in Berlin from 2000 to 2050, each on the last Sunday of March or October.
    const std::vector<OffsetPeriod> berlin = OffsetPeriods("Europe/Berlin", Ut(2000, 1, 1), Ut(2051, 1, 1));
    ASSERT_EQ(berlin.size(), 1u + 2 * 51);
    for (size_t i = 1; i < berlin.size(); ++i) {
        const CivilDate date = CivilFromDays(berlin[i].from / 86400);
        EXPECT_EQ(WeekdayOfDays(berlin[i].from / 86400), 0) << berlin[i].from;
        EXPECT_GT(date.day, 24) << berlin[i].from;
        EXPECT_EQ(date.month, i % 2 == 1 ? 3 : 10) << berlin[i].from;
        EXPECT_EQ(berlin[i].from % 86400, 3600) << "not at 1:00 UT: " << berlin[i].from;
    }
}

TEST(ZoneOffsets, NameTheTzdataReleaseTheyCameFrom)
{
    const std::string version(TzdataVersion());
    ASSERT_EQ(version.size(), 5u) << version;
    EXPECT_GE(version.substr(0, 4), "2025") << version;
    EXPECT_TRUE(version[4] >= 'a' && version[4] <= 'z') << version;
}
