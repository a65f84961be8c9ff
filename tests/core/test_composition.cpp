#include "plan/Composition.h"

#include "app/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {
constexpr const char* JetEntry = "JET7,450,\"Jet Seven\"";
}

TEST(ComposeHeader, EveryPieceOfTheHeaderLine)
{
    struct Row {
        const char* name;
        const char* aircraftEntry;
        const char* registration;
        const char* trafficLimit;
        const char* period;
        const char* flightRule;
        const char* header;
    };
    const Row rows[] = {
        {"the worked example: key before the first comma, registration without its blanks", JetEntry, "  N123EX", "50",
         "24Hr", "IFR", "JET7,N123EX,50%,24Hr,IFR"},
        {"the aircraft key is left-trimmed and keeps blanks before its comma", "  JET7 ,450,\"Jet Seven\"", "N123EX",
         "50", "24Hr", "IFR", "JET7 ,N123EX,50%,24Hr,IFR"},
        {"an aircraft entry without a comma gives the field ',' alone", "\"Jet Seven\"", "N123EX", "50", "24Hr", "IFR",
         ",N123EX,50%,24Hr,IFR"},
        {"blanks around the registration are dropped", JetEntry, "  N123EX ", "50", "24Hr", "IFR",
         "JET7,N123EX,50%,24Hr,IFR"},
        {"an empty registration gives an empty field", JetEntry, "", "50", "24Hr", "IFR", "JET7,,50%,24Hr,IFR"},
        {"punctuation in the registration is written unchanged", JetEntry, "N-1/2;X", "50", "24Hr", "IFR",
         "JET7,N-1/2;X,50%,24Hr,IFR"},
        {"the traffic limit loses leading blanks and gets '%,'", JetEntry, "N123EX", " 100", "24Hr", "IFR",
         "JET7,N123EX,100%,24Hr,IFR"},
        {"the period is trimmed at both ends", JetEntry, "N123EX", "50", " WEEK\t", "IFR", "JET7,N123EX,50%,WEEK,IFR"},
        {"the flight rule is trimmed at both ends", JetEntry, "N123EX", "10", "1Hr", " VFR ",
         "JET7,N123EX,10%,1Hr,VFR"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ComposeHeader(row.aircraftEntry, row.registration, row.trafficLimit, row.period, row.flightRule),
                  row.header);
    }
}

TEST(AircraftKey, TextBeforeTheFirstCommaAfterLeadingBlanks)
{
    struct Row {
        const char* name;
        const char* entry;
        const char* key;
    };
    const Row rows[] = {
        {"a usual entry", JetEntry, "JET7"},
        {"leading blanks go", " \tJET7,450", "JET7"},
        {"no comma gives no key", "\"Jet Seven\"", ""},
        {"an empty row gives no key", "", ""},
        {"blanks before the comma give no key", "   ,450,\"Jet\"", ""},
        {"inner and trailing blanks stay", " A B ,450", "A B "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(AircraftKey(row.entry), row.key);
    }
}

TEST(ComposeCommentBlock, EveryCommentLineHasItsSemicolon)
{
    struct Row {
        const char* name;
        const char* comment;
        const char* block;
    };
    const Row rows[] = {
        {"a one-line comment", "Example comment", ";\n;Example comment\n;"},
        {"a comment of one space counts as a comment", " ", ";\n; \n;"},
        {"two lines split by LF", "first\nsecond", ";\n;first\n;second\n;"},
        {"two lines split by CR LF (Ctrl+Enter)", "first\r\nsecond", ";\n;first\n;second\n;"},
        {"a lone CR breaks the line as well", "first\rsecond", ";\n;first\n;second\n;"},
        {"an empty line inside the comment keeps its ';'", "first\r\n\r\nthird", ";\n;first\n;\n;third\n;"},
        {"a line break at the comment's end gives an empty comment line", "first\r\n", ";\n;first\n;\n;"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ComposeCommentBlock(row.comment), row.block);
    }
}

TEST(PlanTextWithHeader, HeaderPressesWithAndWithoutComment)
{
    const std::string header = ComposeHeader(JetEntry, "  N123EX", "50", "24Hr", "IFR");

    // The worked example of a header with a comment, on an empty plan text.
    EXPECT_EQ(PlanTextWithHeader("", "Example comment", header), "\n;\n;Example comment\n;\nJET7,N123EX,50%,24Hr,IFR");
    // Without a comment, the first press gives two line breaks and the header line.
    EXPECT_EQ(PlanTextWithHeader("", "", header), "\n\nJET7,N123EX,50%,24Hr,IFR");
    // A comment of one space is a comment.
    EXPECT_EQ(PlanTextWithHeader("", " ", header), "\n;\n; \n;\nJET7,N123EX,50%,24Hr,IFR");

    const std::string legs = ",04:30,,350,F,101,EDDF,22:15,,280,F,102,EGLL";
    const std::string firstPlan = PlanTextWithHeader("", "", header) + legs;
    // A second press with a comment keeps only the comment block and the new header.
    EXPECT_EQ(PlanTextWithHeader(firstPlan, "New", "JET8,,10%,1Hr,VFR"), "\n;\n;New\n;\nJET8,,10%,1Hr,VFR");
    // A second press without one puts a line break in front of everything and the header behind it.
    EXPECT_EQ(PlanTextWithHeader(firstPlan, "", "JET8,,10%,1Hr,VFR"),
              "\n\n\nJET7,N123EX,50%,24Hr,IFR" + legs + "\nJET8,,10%,1Hr,VFR");
}

TEST(ToUniversalTime, HourAndDayWrapBothWays)
{
    struct Row {
        const char* name;
        int localHour;
        int timeDifference;
        int dayIndex;
        int hour;
        int day;
    };
    const Row rows[] = {
        {"a positive difference within the day", 6, 2, 0, 4, 0},
        {"a difference of 0 changes nothing", 11, 0, 3, 11, 3},
        {"Sunday goes back to Saturday", 1, 3, 0, 22, 6},
        {"Saturday goes on to Sunday", 23, -5, 6, 4, 0},
        {"12 hours back from 11 is 23 of the previous day", 11, 12, 3, 23, 2},
        {"reaching 24 exactly is 0 of the next day", 12, -12, 2, 0, 3},
        {"midnight back by one hour", 0, 1, 3, 23, 2},
        {"the latest hour with the largest negative difference", 23, -12, 6, 11, 0},
        {"the earliest hour with the largest positive difference", 0, 12, 0, 12, 6},
        {"a day below the week wraps", 5, 0, -1, 5, 6},
        {"a day beyond the week wraps", 5, 0, 9, 5, 2},
        {"three days back", 0, 50, 1, 22, 5},
        {"the largest inputs stay defined", INT_MAX, INT_MIN, INT_MIN, 15, 1},
        {"the smallest inputs stay defined", INT_MIN, INT_MAX, INT_MAX, 9, 4},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const UniversalTime time = ToUniversalTime(row.localHour, row.timeDifference, row.dayIndex);
        EXPECT_EQ(time.hour, row.hour);
        EXPECT_EQ(time.dayIndex, row.day);
    }
}

TEST(DayIndexFromName, SevenNamesComparedByteForByte)
{
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ(DayIndexFromName(DayNames[static_cast<size_t>(day)]), day) << DayNames[static_cast<size_t>(day)];
    EXPECT_EQ(DayIndexFromName("Saturday"), 6);
    EXPECT_EQ(DayIndexFromName("sunday"), -1);
    EXPECT_EQ(DayIndexFromName("Sunday "), -1);
    EXPECT_EQ(DayIndexFromName(""), -1);
}

TEST(UniversalTimeText, TwoDigitHourAndTheDepartureMinutes)
{
    struct Row {
        const char* name;
        int hour;
        const char* departure;
        const char* text;
    };
    const Row rows[] = {
        {"an hour below 10 gets its 0", 4, "06:30", "04:30"},
        {"midnight crossed forwards keeps two digits", 4, "23:00", "04:00"},
        {"hour 0", 0, "01:05", "00:05"},
        {"two-digit hours stay", 22, "01:15", "22:15"},
        {"the minutes are never changed", 23, "11:55", "23:55"},
        {"an empty departure gives the hour alone", 12, "", "12"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(UniversalTimeText(row.hour, row.departure), row.text);
    }
}

TEST(ComposeLeg, EveryPieceOfTheLegText)
{
    struct Row {
        const char* name;
        bool isWeek;
        int dayIndex;
        const char* time;
        const char* level;
        const char* number;
        const char* destination;
        const char* leg;
    };
    const Row rows[] = {
        {"24Hr: no day, an empty field between time and level", false, 0, "04:30", "350", "101", "EDDF",
         ",04:30,,350,F,101,EDDF"},
        {"WEEK: the day and '/' before the time", true, 6, "22:15", "280", "102", "EGLL", ",6/22:15,,280,F,102,EGLL"},
        {"WEEK on Sunday writes day 0", true, 0, "04:00", "310", "103", "KJFK", ",0/04:00,,310,F,103,KJFK"},
        {"outside WEEK the day is never written", false, -1, "23:55", "350", "101", "EDDF", ",23:55,,350,F,101,EDDF"},
        {"blanks around level and number are dropped", false, 0, "04:30", "  350 ", "\t101 ", "EDDF",
         ",04:30,,350,F,101,EDDF"},
        {"empty level and number leave empty fields", false, 0, "04:30", "", "", "EDDF", ",04:30,,,F,,EDDF"},
        {"level and number are not validated", false, 0, "04:30", "FL35", "A1", "EDDF", ",04:30,,FL35,F,A1,EDDF"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ComposeLeg(row.isWeek, row.dayIndex, row.time, row.level, row.number, row.destination), row.leg);
    }
}

TEST(ComposeLeg, FromLocalTimeAcrossTheWeek)
{
    // The worked example's own two legs go through this same chain in test_plan_output.cpp, into a file.
    struct Row {
        const char* name;
        bool isWeek;
        const char* departure;
        const char* difference;
        const char* day;
        const char* level;
        const char* number;
        const char* destination;
        const char* leg;
    };
    const Row rows[] = {
        {"WEEK, Saturday 23:00 five hours behind falls on Sunday", true, "23:00", "-5", "Saturday", "310", "103",
         "KJFK", ",0/04:00,,310,F,103,KJFK"},
        {"WEEK, difference 0 keeps time and day", true, "11:55", "0", "Wednesday", "350", "7", "EDDF",
         ",3/11:55,,350,F,7,EDDF"},
        {"WEEK, difference 12 from 11:55 gives 23:55 the day before", true, "11:55", "12", "Wednesday", "350", "7",
         "EDDF", ",2/23:55,,350,F,7,EDDF"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const UniversalTime time = ToUniversalTime(IntegerValue(Left(row.departure, 2)), IntegerValue(row.difference),
                                                   DayIndexFromName(row.day));
        EXPECT_EQ(ComposeLeg(row.isWeek, time.dayIndex, UniversalTimeText(time.hour, row.departure), row.level,
                             row.number, row.destination),
                  row.leg);
    }
}

TEST(BreaksPlanField, CommasAndLineBreaksSplitAField)
{
    EXPECT_FALSE(BreaksPlanField("N123EX"));
    EXPECT_FALSE(BreaksPlanField(""));
    EXPECT_FALSE(BreaksPlanField(" 350\t"));
    EXPECT_TRUE(BreaksPlanField("N1,23"));
    EXPECT_TRUE(BreaksPlanField("101\n"));
    EXPECT_TRUE(BreaksPlanField("\r101"));
}

TEST(NormaliseOptions, StoredAsTheOptionsDialogKeepsThem)
{
    struct Row {
        const char* name;
        const char* firstDestination;
        const char* quietFrom;
        const char* quietUntil;
        const char* storedDestination;
        const char* storedFrom;
        const char* storedUntil;
    };
    const Row rows[] = {
        {"a lower-case destination with blanks is upper-cased without them", " \teddf  ", "", "", "EDDF", "", ""},
        {"an 'and' hour of one digit gets a 0", "", "", "6", "", "", "06"},
        {"a two-digit 'and' hour stays", "", "", "06", "", "", "06"},
        {"a 6 followed by a blank stays", "", "", "6 ", "", "", "6 "},
        {"a one-byte blank 'and' gets a 0 as well", "", "", " ", "", "", "0 "},
        {"a 'between' hour of one digit stays", "", "7", "", "", "7", ""},
        {"nothing typed stores four empty texts", "", "", "", "", "", ""},
        {"accented letters are upper-cased by the code page", "\xe9gll", "", "", "\xc9GLL", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const OptionValues values = NormaliseOptions("", row.firstDestination, row.quietFrom, row.quietUntil);
        EXPECT_EQ(values.comment, "");
        EXPECT_EQ(values.firstDestination, row.storedDestination);
        EXPECT_EQ(values.quietFrom, row.storedFrom);
        EXPECT_EQ(values.quietUntil, row.storedUntil);
    }
    // The comment is kept exactly as typed: blanks and line breaks included.
    EXPECT_EQ(NormaliseOptions("  two\r\nlines ", "", "", "").comment, "  two\r\nlines ");
}

TEST(DepartureTimes, OfferedOutsideTheQuietHours)
{
    struct Row {
        const char* name;
        const char* quietFrom;  // "between"
        const char* quietUntil; // "and"
        int firstHour;
        int endHour;
        size_t count;
        const char* first;
        const char* last;
    };
    const Row rows[] = {
        {"all empty: the whole day", "", "", 0, 24, 288, "00:00", "23:55"},
        {"between 23 and 06: a quiet night", "23", "06", 6, 23, 204, "06:00", "22:55"},
        {"between 5 and 23: nothing left", "5", "23", 23, 5, 0, "", ""},
        {"between blanks and empty: end hour 0, nothing", "   ", "", 0, 0, 0, "", ""},
        {"'and' of letters reads as 0", "", "abc", 0, 24, 288, "00:00", "23:55"},
        {"'and' of 06:30 starts at hour 6", "", "06:30", 6, 24, 216, "06:00", "23:55"},
        {"between 26 is clamped to the day's end", "26", "", 0, 24, 288, "00:00", "23:55"},
        {"'and' -2 is clamped to midnight", "", "-2", 0, 24, 288, "00:00", "23:55"},
        {"between -2 is clamped to midnight, nothing left", "-2", "", 0, 0, 0, "", ""},
        {"a huge 'between' is clamped to 24", "99999999999", "20", 20, 24, 48, "20:00", "23:55"},
        {"a huge 'and' leaves nothing", "", "99999999999", 24, 24, 0, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const DepartureHours hours = DepartureHoursFrom(row.quietFrom, row.quietUntil);
        EXPECT_EQ(hours.firstHour, row.firstHour);
        EXPECT_EQ(hours.endHour, row.endHour);
        const std::vector<std::string> times = DepartureTimes(hours.firstHour, hours.endHour);
        ASSERT_EQ(times.size(), row.count);
        if (!times.empty()) {
            EXPECT_EQ(times.front(), row.first);
            EXPECT_EQ(times.back(), row.last);
        }
    }
}

TEST(DepartureTimes, EveryFiveMinutesWithTwoDigits)
{
    const std::vector<std::string> times = DepartureTimes(0, 24);
    ASSERT_EQ(times.size(), 288u);
    EXPECT_EQ(times[1], "00:05");
    EXPECT_EQ(times[11], "00:55");
    EXPECT_EQ(times[12], "01:00");
    EXPECT_EQ(times[119], "09:55");
    EXPECT_EQ(times[120], "10:00");
    // The "and" text 06:30 is found at index 6 of a list that starts at hour 6.
    EXPECT_EQ(DepartureTimes(6, 24)[6], "06:30");

    EXPECT_TRUE(DepartureTimes(5, 5).empty());
    EXPECT_TRUE(DepartureTimes(23, 6).empty());
    // Hours outside the day never build entries beyond it.
    const std::vector<std::string> clamped = DepartureTimes(-3, INT_MAX);
    ASSERT_EQ(clamped.size(), 288u);
    EXPECT_EQ(clamped.front(), "00:00");
    EXPECT_EQ(clamped.back(), "23:55");
}

TEST(TimeDifferenceEntries, MinusTwelveToTwelveWithoutPlusSign)
{
    const std::vector<std::string> entries = TimeDifferenceEntries();
    ASSERT_EQ(entries.size(), 25u);
    EXPECT_EQ(entries[0], "-12");
    EXPECT_EQ(entries[11], "-1");
    EXPECT_EQ(entries[12], "0");
    EXPECT_EQ(entries[13], "1");
    EXPECT_EQ(entries[24], "12");
}
