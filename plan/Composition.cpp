#include "plan/Composition.h"

#include "input/Text.h"

#include <algorithm>
#include <string>

namespace {
constexpr char LineBreak = '\n';

// Two digits for 0 to 9, the plain decimal form otherwise.
std::string TwoDigits(int value)
{
    std::string text = std::to_string(value);
    if (value >= 0 && value < 10)
        text.insert(text.begin(), '0');
    return text;
}

// Division rounding towards minus infinity, so -1 hour is the day before, not the same day.
long long FloorDivide(long long value, long long divisor)
{
    long long quotient = value / divisor;
    if (value % divisor != 0 && value < 0)
        --quotient;
    return quotient;
}

long long FloorModulo(long long value, long long divisor) { return value - FloorDivide(value, divisor) * divisor; }
} // namespace

std::string ComposeCommentBlock(std::string_view comment)
{
    // The comment field may hold CR LF pairs (Ctrl+Enter), lone LFs or lone CRs. Each becomes one
    // line break and each line starts with its own ";", so no comment line reaches the file without
    // its ";" and no CR is doubled into CR CR LF on the way to the file.
    std::string block = ";";
    block += LineBreak;
    block += ';';
    for (size_t i = 0; i < comment.size(); ++i) {
        const char c = comment[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < comment.size() && comment[i + 1] == '\n')
                ++i;
            block += LineBreak;
            block += ';';
        } else {
            block += c;
        }
    }
    block += LineBreak;
    block += ';';
    return block;
}

std::string AircraftKey(std::string_view aircraftEntry)
{
    const std::string entry = TrimLeftBlanks(aircraftEntry);
    const size_t comma = entry.find(',');
    if (comma == std::string::npos)
        return {};
    return entry.substr(0, comma);
}

std::string ComposeHeader(std::string_view aircraftEntry, std::string_view registration, std::string_view trafficLimit,
                          std::string_view period, std::string_view flightRule)
{
    std::string header = AircraftKey(aircraftEntry);
    header += ',';
    header += TrimBlanks(registration);
    header += ',';
    header += TrimLeftBlanks(trafficLimit);
    header += "%,";
    header += TrimBlanks(period);
    header += ',';
    header += TrimBlanks(flightRule);
    return header;
}

std::string PlanTextWithHeader(std::string_view planText, std::string_view comment, std::string_view headerLine)
{
    // A comment starts the plan anew; without one, whatever the text held stays in front.
    const std::string body = comment.empty() ? std::string(planText) : ComposeCommentBlock(comment);
    std::string text;
    text.reserve(body.size() + headerLine.size() + 2);
    text += LineBreak;
    text += body;
    text += LineBreak;
    text += headerLine;
    return text;
}

UniversalTime ToUniversalTime(int localHour, int timeDifference, int dayIndex)
{
    // Worked in 64 bits so no input overflows; the hour wraps into 0..23 and each whole day it
    // crosses moves the day, which wraps into 0..6 (Sunday back to Saturday and on again).
    const long long hour = static_cast<long long>(localHour) - timeDifference;
    const long long daysCrossed = FloorDivide(hour, 24);
    UniversalTime result;
    result.hour = static_cast<int>(hour - daysCrossed * 24);
    result.dayIndex = static_cast<int>(FloorModulo(static_cast<long long>(dayIndex) + daysCrossed, 7));
    return result;
}

int DayIndexFromName(std::string_view dayText)
{
    const auto found = std::find(DayNames.begin(), DayNames.end(), dayText);
    if (found == DayNames.end())
        return -1;
    return static_cast<int>(found - DayNames.begin());
}

std::string UniversalTimeText(int universalHour, std::string_view departureText)
{
    // The minutes are not touched by the conversion: ":" and the two minute digits carry over.
    return TwoDigits(universalHour) + Right(departureText, 3);
}

std::string ComposeLeg(bool isWeek, int dayIndex, std::string_view time, std::string_view flightLevel,
                       std::string_view flightNumber, std::string_view destination)
{
    std::string leg;
    AppendLeg(leg, isWeek, dayIndex, time, flightLevel, flightNumber, destination);
    return leg;
}

void AppendLeg(std::string& plan, bool isWeek, int dayIndex, std::string_view time, std::string_view flightLevel,
               std::string_view flightNumber, std::string_view destination)
{
    plan += ',';
    if (isWeek) {
        plan += std::to_string(dayIndex);
        plan += '/';
    }
    plan += time;
    // The field between the time and the flight level is always empty.
    plan += ",,";
    plan += TrimRightView(TrimLeftView(flightLevel));
    plan += ",F,";
    plan += TrimRightView(TrimLeftView(flightNumber));
    plan += ',';
    plan += destination;
}

bool BreaksPlanField(std::string_view text)
{
    // A byte at a time: find_first_of would search the three bytes for each byte of the text.
    return std::any_of(text.begin(), text.end(), [](char c) { return c == ',' || c == '\r' || c == '\n'; });
}

OptionValues NormaliseOptions(std::string_view comment, std::string_view firstDestination, std::string_view quietFrom,
                              std::string_view quietUntil)
{
    OptionValues values;
    values.comment = std::string(comment);
    values.firstDestination = TrimBlanks(MakeUpper(firstDestination));
    values.quietFrom = std::string(quietFrom);
    // A one-digit hour such as 6 must find the departure entry "06:00" by its beginning.
    values.quietUntil = std::string(quietUntil);
    if (values.quietUntil.size() == 1)
        values.quietUntil.insert(values.quietUntil.begin(), '0');
    return values;
}

namespace {
int ClampHour(int hour) { return std::clamp(hour, 0, 24); }
} // namespace

DepartureHours DepartureHoursFrom(std::string_view quietFrom, std::string_view quietUntil)
{
    // A text of blanks counts as set and reads as 0, like any text without digits.
    DepartureHours hours;
    hours.firstHour = ClampHour(quietUntil.empty() ? 0 : IntegerValue(quietUntil));
    hours.endHour = ClampHour(quietFrom.empty() ? 24 : IntegerValue(quietFrom));
    return hours;
}

bool DepartureHourOffered(int firstHour, int endHour, int hour)
{
    // Hours outside the day are clamped, so no caller can list "25:55"; 24 is midnight, hour 0.
    const int first = ClampHour(firstHour) % 24;
    const int end = ClampHour(endHour) % 24;
    if (first == end)
        return true;
    if (first < end)
        return hour >= first && hour < end; // quiet from endHour round midnight to firstHour
    return hour >= first || hour < end;     // quiet from endHour to firstHour within the day
}

std::vector<std::string> DepartureTimes(int firstHour, int endHour)
{
    std::vector<std::string> times;
    times.reserve(24 * 12);
    for (int hour = 0; hour < 24; ++hour) {
        if (!DepartureHourOffered(firstHour, endHour, hour))
            continue;
        for (int minute = 0; minute < 60; minute += 5)
            times.push_back(TwoDigits(hour) + ":" + TwoDigits(minute));
    }
    return times;
}

std::vector<std::string> TimeDifferenceEntries()
{
    std::vector<std::string> entries;
    entries.reserve(25);
    for (int difference = -12; difference <= 12; ++difference)
        entries.push_back(std::to_string(difference));
    return entries;
}
