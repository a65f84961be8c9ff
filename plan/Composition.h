#pragma once
// Composition of plan text: comment block, header line, universal time and leg text. Pure
// operations on bytes and integers; the plan dialog only gathers their inputs from its controls.

#include <array>
#include <string>
#include <string_view>
#include <vector>

inline constexpr std::array<std::string_view, 8> PeriodEntries = {"1Hr", "2Hr",  "4Hr",  "6Hr",
                                                                  "8Hr", "12Hr", "24Hr", "WEEK"};
inline constexpr std::array<std::string_view, 2> FlightRuleEntries = {"IFR", "VFR"};
inline constexpr std::array<std::string_view, 10> TrafficLimitEntries = {"10", "20", "30", "40", "50",
                                                                         "60", "70", "80", "90", "100"};
inline constexpr std::array<std::string_view, 7> DayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                             "Thursday", "Friday", "Saturday"};

// ";" LB ";" comment LB ";". Every line of a multi-line comment gets its own ";", and a CR LF
// typed in the comment counts as one line break (so does a lone CR or LF).
std::string ComposeCommentBlock(std::string_view comment);

// aircraft key "," registration "," traffic limit "%," period "," flight rule, from the texts as
// the controls hold them; all trimming and punctuation is done here.
std::string ComposeHeader(std::string_view aircraftEntry, std::string_view registration, std::string_view trafficLimit,
                          std::string_view period, std::string_view flightRule);

// The aircraft entry, left-trimmed, cut before its first comma; empty for an entry without a comma
// (the header's aircraft field is then "," alone).
std::string AircraftKey(std::string_view aircraftEntry);

// The plan text after an accepted header: with a comment it starts anew from the comment block,
// without one the header follows what the text held; both begin with one more line break.
std::string PlanTextWithHeader(std::string_view planText, std::string_view comment, std::string_view headerLine);

struct UniversalTime {
    int hour = 0;     // 0 to 23
    int dayIndex = 0; // 0 (Sunday) to 6 (Saturday)
};
UniversalTime ToUniversalTime(int localHour, int timeDifference, int dayIndex);

// The position of a day name among the seven, compared byte for byte; -1 for any other text.
int DayIndexFromName(std::string_view dayText);

// Two-digit universal hour followed by the departure text's last three bytes (":" and minutes).
std::string UniversalTimeText(int universalHour, std::string_view departureText);

// "," [day "/" when isWeek] time "," "," level ",F" "," number "," destination.
std::string ComposeLeg(bool isWeek, int dayIndex, std::string_view time, std::string_view flightLevel,
                       std::string_view flightNumber, std::string_view destination);
// The same leg appended to `plan`, for callers that compose many.
void AppendLeg(std::string& plan, bool isWeek, int dayIndex, std::string_view time, std::string_view flightLevel,
               std::string_view flightNumber, std::string_view destination);

// True for a comma, CR or LF: bytes that would split a field or a line of the plan.
bool BreaksPlanField(std::string_view text);

// The options as the options dialog stores them: first destination upper-cased then trimmed;
// a one-byte "and" hour gets a "0" in front; the rest unchanged.
struct OptionValues {
    std::string comment;
    std::string firstDestination;
    std::string quietFrom;
    std::string quietUntil;
};
OptionValues NormaliseOptions(std::string_view comment, std::string_view firstDestination, std::string_view quietFrom,
                              std::string_view quietUntil);

// The hours without departures end at firstHour, the "and" hour (0 when empty), and begin at
// endHour, the "between" hour (24 when empty); both clamped to 0..24.
struct DepartureHours {
    int firstHour = 0;
    int endHour = 24;
};
DepartureHours DepartureHoursFrom(std::string_view quietFrom, std::string_view quietUntil);

// Whether the departure list offers the hour (0 to 23). Every hour from firstHour up to, not
// including, endHour: round midnight when endHour is the earlier one, so the quiet hours lie within
// one day. Equal hours (24 is 0) leave no quiet hours. Both hours are clamped to 0..24 first.
bool DepartureHourOffered(int firstHour, int endHour, int hour);

// "HH:MM" every five minutes of every offered hour, in time order from 00:00.
std::vector<std::string> DepartureTimes(int firstHour, int endHour);

// The time-difference entries "-12" to "12".
std::vector<std::string> TimeDifferenceEntries();
