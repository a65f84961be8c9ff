#include "check/TimeZones.h"
#include "planfile/CheckCommand.h"

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

// Positions tested by the map's source, and the places below, with the zones the source gives there
// (tools/convert-geo-tz.js writes them): the map may name another zone only where it keeps the same
// offsets.
TEST(ZoneMap, GivesEveryTestedPositionTheOffsetsOfTheSourcesZone)
{
    std::ifstream file(SourceDir() + "/tests/core/data/zone-map-points.txt", std::ios::binary);
    ASSERT_TRUE(file) << "tests/core/data/zone-map-points.txt is missing";
    int points = 0;
    for (std::string line; std::getline(file, line); ++points) {
        if (line.empty() || line[0] == '#')
            continue;
        GeoPosition position;
        std::string zone;
        std::istringstream(line) >> position.latitude >> position.longitude >> zone;
        zone = zone == "-" ? "" : zone; // out of range
        const std::string_view mapZone = MapZoneAt(position);
        EXPECT_EQ(mapZone.empty(), zone.empty()) << "at " << line;
        EXPECT_EQ(Text(OffsetPeriods(mapZone, Ut(2000, 1, 1), Ut(2051, 1, 1))),
                  Text(OffsetPeriods(zone, Ut(2000, 1, 1), Ut(2051, 1, 1))))
            << "at " << line << ", the map gives " << mapZone;
    }
    EXPECT_GT(points, 1000);
}

TEST(ZoneMap, PlacesAirportsAtBordersCoastsAndIslandsAndKeepsBeijingTimeInChina)
{
    struct Row {
        const char* airport;
        GeoPosition position;
        std::string_view mapZone, airlineZone;
    };
    const Row rows[] = {
        {"OBBI Bahrain, not Iran", {26.2708, 50.6336}, "Asia/Bahrain", "Asia/Bahrain"},
        {"WPDL Dili", {-8.5465, 125.5247}, "Asia/Dili", "Asia/Dili"},
        {"NSTU Pago Pago, not Apia", {-14.3310, -170.7105}, "Pacific/Pago_Pago", "Pacific/Pago_Pago"},
        {"PAGM Gambell, Alaska", {63.7668, -171.7328}, "America/Nome", "America/Nome"},
        {"MBGT Grand Turk", {21.4445, -71.1423}, "America/Grand_Turk", "America/Grand_Turk"},
        {"LFVP Saint-Pierre", {46.7629, -56.1731}, "America/Miquelon", "America/Miquelon"},
        {"ZUNZ Nyingchi, Tibet", {29.3033, 94.3353}, "Asia/Shanghai", "Asia/Shanghai"},
        {"SVSA San Antonio del Tachira", {7.8408, -72.4397}, "America/Caracas", "America/Caracas"},
        {"SKCC Cucuta, across the river", {7.9276, -72.5115}, "America/Bogota", "America/Bogota"},
        {"KEPM Eastport, Maine", {44.9101, -67.0127}, "America/New_York", "America/New_York"},
        {"Campobello Island, 7 km east", {44.88, -66.93}, "America/Moncton", "America/Moncton"},
        {"KHUL Houlton, Maine", {46.1239, -67.7920}, "America/New_York", "America/New_York"},
        {"Woodstock, New Brunswick", {46.1522, -67.5453}, "America/Moncton", "America/Moncton"},
        {"DXXX Lome", {6.1656, 1.2545}, "Africa/Lome", "Africa/Lome"},
        {"DBBB Cotonou", {6.3573, 2.3844}, "Africa/Porto-Novo", "Africa/Porto-Novo"},
        {"SMNI Nieuw Nickerie", {5.9556, -57.0394}, "America/Paramaribo", "America/Paramaribo"},
        {"Corriverton, across the Corentyne", {5.8833, -57.15}, "America/Guyana", "America/Guyana"},
        {"WAJJ Jayapura", {-2.5769, 140.5164}, "Asia/Jayapura", "Asia/Jayapura"},
        {"AYVN Vanimo", {-2.6926, 141.3028}, "Pacific/Port_Moresby", "Pacific/Port_Moresby"},
        {"LICD Lampedusa", {35.4979, 12.6181}, "Europe/Rome", "Europe/Rome"},
        {"LGKJ Kastelorizo", {36.1417, 29.5764}, "Europe/Athens", "Europe/Athens"},
        {"Kas, Turkey, across the strait", {36.2, 29.65}, "Europe/Istanbul", "Europe/Istanbul"},
        {"EDAH Heringsdorf", {53.8787, 14.1524}, "Europe/Berlin", "Europe/Berlin"},
        {"EPSC Szczecin", {53.5847, 14.9022}, "Europe/Warsaw", "Europe/Warsaw"},
        {"KCHA Chattanooga", {35.0353, -85.2038}, "America/New_York", "America/New_York"},
        {"KHSV Huntsville", {34.6372, -86.7751}, "America/Chicago", "America/Chicago"},
        {"LPPR Porto", {41.2481, -8.6814}, "Europe/Lisbon", "Europe/Lisbon"},
        {"LEVX Vigo", {42.2318, -8.6268}, "Europe/Madrid", "Europe/Madrid"},
        {"ZWWW Urumqi, Xinjiang", {43.9071, 87.4742}, "Asia/Urumqi", "Asia/Shanghai"},
        {"the open Atlantic, 30 W", {40, -30}, "Etc/GMT+2", "Etc/GMT+2"},
        {"the open sea on 7.5 E: the eastern band", {-60, 7.5}, "Etc/GMT-1", "Etc/GMT-1"},
        {"the open sea on the 180th meridian", {-50, 180}, "Etc/GMT+12", "Etc/GMT+12"},
        {"the open sea east of 172.5 E", {-50, 175}, "Etc/GMT-12", "Etc/GMT-12"},
        {"the north pole, any longitude", {90, 123.4}, "Etc/GMT-12", "Etc/GMT-12"},
        {"no number", {std::nan(""), 0}, "", ""},
        {"past the south pole", {-90.5, 0}, "", ""},
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

// legwise-check --zones, run in this process on files of a scratch folder.
TEST(ZoneListing, ListsEveryEntryInFileOrderWithTheOffsetsOfTheDatesYear)
{
    const ScratchFolder folder;
    WriteBytes(folder / "airports.txt",
               "EDDF,N50* 2.00',E8* 34.00',364\r\nNSTU,-14.3310,-170.7105,32\n\n"
               "YSSY,-33.9461,151.1772,21\nVIDP,28.5665,77.1031,777\nXXXX,somewhere\n"
               "ZWWW,43.9071,87.4742,2127\nEDDF,50.0333,8.5706,364\nKNYC,40.7789,-73.9692,130\n");
    WriteBytes(folder / "placed.txt", "LGKJ,36.1417,29.5764,489\nWPDL,-8.5465,125.5247,154\nEGLL,51.4775,-0.4614,83\n");
    const std::string listing =
        "EDDF  Europe/Berlin  +1, +2 summer\nNSTU  Pacific/Pago_Pago  -11\n"
        "YSSY  Australia/Sydney  +10, +11 summer\nVIDP  Asia/Kolkata  +5:30\n"
        "XXXX  -  line 6: no position that reads after the code (latitude, longitude)\n"
        "ZWWW  Asia/Shanghai  +8\nEDDF  Europe/Berlin  +1, +2 summer\n"
        "KNYC  America/New_York  -5, -4 summer\n";
    const struct {
        std::vector<std::string> words;
        int status;
        std::string printed; // its start
    } rows[] = {
        {{"--airports", "airports.txt", "--zones", "--date", "2024-06-01"}, 1, listing},
        {{"--zones", "--date=2024-01-31", "--airports=" + (folder / "airports.txt").string()}, 1, listing},
        {{"--airports", "placed.txt", "--zones", "--date", "2030-12-31"},
         0,
         "LGKJ  Europe/Athens  +2, +3 summer\nWPDL  Asia/Dili  +9\nEGLL  Europe/London  0, +1 summer\n"},
        {{"--airports", "none.txt", "--zones"}, 2, "none.txt: error: cannot be read: "},
        {{"--zones", "--date", "2024-06-01"}, 2, "legwise-check: --airports FILE is missing"},
        {{"--airports", "airports.txt", "--zones", "--date", "2051-01-01"}, 2, "legwise-check: --date needs a date"},
        {{"--airports", "airports.txt", "--zones", "--aircraft", "x.txt"}, 2, "legwise-check: --zones takes only"},
    };
    for (const auto& row : rows) {
        std::vector<CommandArgument> arguments;
        for (const std::string& word : row.words)
            arguments.push_back({word, folder / word});
        std::FILE* out = std::tmpfile();
        ASSERT_TRUE(out);
        EXPECT_EQ(RunPlanCheck(arguments, out, out), row.status) << row.words[1];
        std::string printed(std::size_t(std::ftell(out)), '\0');
        std::rewind(out);
        printed.resize(std::fread(printed.data(), 1, printed.size(), out));
        std::fclose(out);
        EXPECT_EQ(printed.substr(0, row.printed.size()), row.printed);
    }
    EXPECT_FALSE(fs::exists(folder / "none.txt")) << "reading never creates a file";
}
