#include "check/TimeZones.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

// A moment given in UT.
UnixSeconds Ut(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    return DaysFromCivil({year, month, day}) * 86400 + hour * 3600 + minute * 60 + second;
}

// "120*" for two hours east in daylight time, "" for no offset.
std::string Text(std::optional<ZoneOffset> offset)
{
    return offset ? std::to_string(offset->minutes) + (offset->daylight ? "*" : "") : "";
}

// "60 from 2024-01-01 00:00, 120* from 2024-03-31 01:00, ..." (UT).
std::string Text(const std::vector<OffsetPeriod>& periods)
{
    std::string text;
    for (const OffsetPeriod& period : periods) {
        const CivilDate day = CivilFromDays(period.from / 86400);
        const int minute = static_cast<int>(period.from % 86400 / 60);
        char line[64];
        std::snprintf(line, sizeof line, "%s%s from %d-%02d-%02d %02d:%02d", text.empty() ? "" : ", ",
                      Text(period.offset).c_str(), day.year, day.month, day.day, minute / 60, minute % 60);
        text += line;
    }
    return text;
}

} // namespace

// The positions the map's own project tests, converted by tools/convert-tz-lookup.py.
TEST(ZoneMap, GivesEveryPositionTheZoneItsProjectTestsFor)
{
    std::ifstream file(SourceDir() + "/tests/core/data/zone-map-points.txt", std::ios::binary);
    ASSERT_TRUE(file) << "tests/core/data/zone-map-points.txt is missing";
    for (std::string line; std::getline(file, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        GeoPosition position;
        std::string zone;
        std::istringstream(line) >> position.latitude >> position.longitude >> zone;
        zone = zone == "-" ? "" : zone; // out of range
        EXPECT_EQ(MapZoneAt(position), zone) << "at " << line;
        EXPECT_EQ(Text(UtcOffset(zone, Ut(2024, 6, 1))).empty(), zone.empty()) << "offsets of " << zone;
    }
}

TEST(ZoneMap, TellsNeighboursAcrossABorderApartAndKeepsBeijingTimeInXinjiang)
{
    struct Row {
        const char* airport;
        GeoPosition position;
        std::string_view mapZone, airlineZone;
    };
    const Row rows[] = {
        {"EDAH Heringsdorf", {53.8787, 14.1524}, "Europe/Berlin", "Europe/Berlin"},
        {"EPSC Szczecin", {53.5847, 14.9022}, "Europe/Warsaw", "Europe/Warsaw"},
        {"KCHA Chattanooga", {35.0353, -85.2038}, "America/New_York", "America/New_York"},
        {"KHSV Huntsville", {34.6372, -86.7751}, "America/Chicago", "America/Chicago"},
        {"LPPR Porto", {41.2481, -8.6814}, "Europe/Lisbon", "Europe/Lisbon"},
        {"LEVX Vigo", {42.2318, -8.6268}, "Europe/Madrid", "Europe/Madrid"},
        {"ZWWW Urumqi, Xinjiang", {43.9071, 87.4742}, "Asia/Urumqi", "Asia/Shanghai"},
        {"the north pole, any longitude", {90, 123.4}, "Etc/GMT", "Etc/GMT"},
        {"no number", {std::nan(""), 0}, "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(MapZoneAt(row.position), row.mapZone) << row.airport;
        EXPECT_EQ(AirlineZoneAt(row.position), row.airlineZone) << row.airport;
    }
}

TEST(ZoneOffsets, HoldFromTheStartOf2000ToTheEndOf2050)
{
    struct Row {
        const char *what, *zone;
        UnixSeconds moment;
        const char* offset; // minutes east, "*" in daylight time; "" for none
    };
    const Row rows[] = {
        {"EDDF in summer", "Europe/Berlin", Ut(2024, 7, 15), "120*"},
        {"Apia, the last second of 2011-12-29", "Pacific/Apia", Ut(2011, 12, 30, 9, 59, 59), "-600*"},
        {"Apia, 2011-12-31 at midnight: the 30th skipped", "Pacific/Apia", Ut(2011, 12, 30, 10), "840*"},
        {"the first moment held", "Asia/Kolkata", Ut(2000, 1, 1), "330"},
        {"the last moment held", "Pacific/Auckland", Ut(2050, 12, 31, 23, 59, 59), "780*"},
        {"before 2000", "Europe/Berlin", Ut(1999, 12, 31, 23, 59, 59), ""},
        {"after 2050", "Europe/Berlin", Ut(2051, 1, 1), ""},
        {"an unknown zone", "Mars/Olympus_Mons", Ut(2024, 1, 1), ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Text(UtcOffset(row.zone, row.moment)), row.offset) << row.what;
    EXPECT_EQ(TzdataVersion().size(), 5u) << "a tzdata release such as 2025b: " << TzdataVersion();
}

TEST(ZoneOffsets, FollowEachZoneThroughWinterSummerAndItsRuleChanges)
{
    struct Row {
        const char *what, *zone;
        UnixSeconds from, to;
        const char* periods;
    };
    const Row rows[] = {
        {"Frankfurt in 2024", "Europe/Berlin", Ut(2024, 1, 1), Ut(2025, 1, 1),
         "60 from 2024-01-01 00:00, 120* from 2024-03-31 01:00, 60 from 2024-10-27 01:00"},
        {"Moscow from 2011 to 2015", "Europe/Moscow", Ut(2011, 1, 1), Ut(2015, 1, 1),
         "180 from 2011-01-01 00:00, 240 from 2011-03-26 23:00, 180 from 2014-10-25 22:00"},
        {"KJFK in 2024", "America/New_York", Ut(2024, 1, 1), Ut(2025, 1, 1),
         "-300 from 2024-01-01 00:00, -240* from 2024-03-10 07:00, -300 from 2024-11-03 06:00"},
        {"KPHX in 2024: no daylight saving", "America/Phoenix", Ut(2024, 1, 1), Ut(2025, 1, 1),
         "-420 from 2024-01-01 00:00"},
        {"NZAA in 2024", "Pacific/Auckland", Ut(2024, 1, 1), Ut(2025, 1, 1),
         "780* from 2024-01-01 00:00, 720 from 2024-04-06 14:00, 780* from 2024-09-28 14:00"},
        {"VIDP in 2024", "Asia/Kolkata", Ut(2024, 1, 1), Ut(2025, 1, 1), "330 from 2024-01-01 00:00"},
        {"Dublin in 2024: winter is standard time", "Europe/Dublin", Ut(2024, 1, 1), Ut(2025, 1, 1),
         "0 from 2024-01-01 00:00, 60* from 2024-03-31 01:00, 0 from 2024-10-27 01:00"},
        {"New York: summer time from April in 2006, from March in 2007", "America/New_York", Ut(2006, 3, 1),
         Ut(2007, 4, 1),
         "-300 from 2006-03-01 00:00, -240* from 2006-04-02 07:00, -300 from 2006-10-29 06:00, "
         "-240* from 2007-03-11 07:00"},
        {"Apia around its skipped day", "Pacific/Apia", Ut(2011, 12, 1), Ut(2012, 1, 1),
         "-600* from 2011-12-01 00:00, 840* from 2011-12-30 10:00"},
        {"a span from before 2000", "Asia/Kolkata", Ut(1990, 1, 1), Ut(2001, 1, 1), "330 from 2000-01-01 00:00"},
        {"a change at the span's end", "Europe/Berlin", Ut(2024, 3, 1), Ut(2024, 3, 31, 1), "60 from 2024-03-01 00:00"},
        {"a span past 2050", "Europe/Berlin", Ut(2050, 12, 1), Ut(2060, 1, 1), "60 from 2050-12-01 00:00"},
        {"a span wholly before 2000", "Europe/Berlin", Ut(1990, 1, 1), Ut(2000, 1, 1), ""},
        {"an empty span", "Europe/Berlin", Ut(2024, 7, 1), Ut(2024, 7, 1), ""},
        {"an unknown zone", "Mars/Olympus_Mons", Ut(2024, 1, 1), Ut(2025, 1, 1), ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(Text(OffsetPeriods(row.zone, row.from, row.to)), row.periods) << row.what;
}
