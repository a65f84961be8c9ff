#pragma once
// Civil dates of the proleptic Gregorian calendar as days since 1970-01-01, and moments as seconds
// since 1970-01-01 00:00 UT. Core, no Qt.

#include <cstdint>
#include <cstdio>
#include <string>

using UnixSeconds = std::int64_t;

struct CivilDate {
    int year = 1970;
    int month = 1; // 1 to 12
    int day = 1;   // 1 to 31
};

constexpr std::int64_t DaysFromCivil(CivilDate date)
{
    const int y = date.year - (date.month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

constexpr CivilDate CivilFromDays(std::int64_t days)
{
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int doe = static_cast<int>(days - era * 146097);
    const int yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int mp = (5 * doy + 2) / 153;
    const int day = doy - (153 * mp + 2) / 5 + 1;
    const int month = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0)), month, day};
}

// "2027-03-28".
inline std::string DayText(std::int64_t days)
{
    const CivilDate date = CivilFromDays(days);
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

// 0 for Sunday to 6 for Saturday (1970-01-01 was a Thursday).
constexpr int WeekdayOfDays(std::int64_t days) { return static_cast<int>(((days + 4) % 7 + 7) % 7); }

static_assert(DaysFromCivil({2000, 3, 1}) == 11017);
static_assert(CivilFromDays(11017).year == 2000 && CivilFromDays(11017).month == 3);
static_assert(WeekdayOfDays(0) == 4);
