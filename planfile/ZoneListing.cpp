#include "planfile/ZoneListing.h"

#include "check/Geo.h"
#include "check/PlanCheck.h"
#include "check/TimeZones.h"
#include "input/ListReading.h"
#include "planfile/PlanFileReader.h"
#include "planfile/SeasonShift.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <optional>

namespace {

struct ListingOptions {
    std::optional<CommandArgument> airports;
    std::optional<std::string> date;
};

// The listing's arguments; the reason when they are wrong.
std::string ReadListingArguments(const std::vector<CommandArgument>& arguments, ListingOptions& options)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& text = arguments[i].text;
        if (text == "--zones")
            continue;
        const size_t equals = text.find('=');
        const std::string name = text.substr(0, equals);
        if (name != "--airports" && name != "--date")
            return "--zones takes only --airports FILE and --date YYYY-MM-DD, not \"" + text + "\"";
        CommandArgument value;
        if (equals != std::string::npos) {
            value = Split(arguments[i], equals, true);
        } else if (i + 1 < arguments.size()) {
            value = arguments[++i];
        } else {
            return name + " needs a value";
        }
        if (name == "--airports")
            options.airports = value;
        else
            options.date = value.text;
    }
    if (!options.airports)
        return "--airports FILE is missing";
    return {};
}

} // namespace

bool AsksForZoneListing(const std::vector<CommandArgument>& arguments)
{
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const CommandArgument& a) { return a.text == "--zones"; });
}

std::string YearOffsetsText(std::string_view zone, int year)
{
    std::vector<ZoneOffset> offsets;
    for (const OffsetPeriod& period :
         OffsetPeriods(zone, DaysFromCivil({year, 1, 1}) * 86400, DaysFromCivil({year + 1, 1, 1}) * 86400)) {
        if (std::find(offsets.begin(), offsets.end(), period.offset) == offsets.end())
            offsets.push_back(period.offset);
    }
    std::stable_partition(offsets.begin(), offsets.end(), [](const ZoneOffset& o) { return !o.daylight; });
    std::string text;
    for (const ZoneOffset& offset : offsets)
        text += (text.empty() ? "" : ", ") + OffsetText(offset.minutes) + (offset.daylight ? " summer" : "");
    return text;
}

int RunZoneListing(const std::vector<CommandArgument>& arguments, std::FILE* out, std::FILE* err)
{
    const std::int64_t today =
        std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()).time_since_epoch().count();
    ListingOptions options;
    std::string problem = ReadListingArguments(arguments, options);
    const std::optional<std::int64_t> day = options.date ? ShiftDayFromText(*options.date) : today;
    if (problem.empty() && !day)
        problem = "--date needs a date YYYY-MM-DD from 2000 to 2050, not \"" + options.date.value_or("") + "\"";
    if (!problem.empty()) {
        std::fprintf(err, "legwise-check: %s (see legwise-check --help)\n", problem.c_str());
        return 2;
    }
    const int year = CivilFromDays(*day).year;
    PlanFileReader reader(options.airports->path);
    if (!reader.OpenError().empty()) {
        std::fprintf(out, "%s: error: cannot be read: %s\n", options.airports->text.c_str(),
                     reader.OpenError().c_str());
        return 2;
    }
    bool allPlaced = true;
    std::string line;
    while (reader.NextLine(line)) {
        const std::optional<std::string> code = AirportCodeFromLine(line);
        if (!code)
            continue;
        const std::optional<GeoPosition> position = PositionFromAirportLine(line);
        const std::string_view zone = position ? AirlineZoneAt(*position) : std::string_view();
        const std::string offsets = YearOffsetsText(zone, year);
        if (offsets.empty()) {
            allPlaced = false;
            std::fprintf(out, "%s  -  line %lld: %s\n", code->c_str(), static_cast<long long>(reader.LineNumber()),
                         position ? "the position lies outside the map"
                                  : "no position that reads after the code (latitude, longitude)");
            continue;
        }
        std::fprintf(out, "%s  %.*s  %s\n", code->c_str(), static_cast<int>(zone.size()), zone.data(), offsets.c_str());
    }
    if (reader.HadReadError()) {
        std::fprintf(out, "%s: error: the file could not be read to its end\n", options.airports->text.c_str());
        return 2;
    }
    return allPlaced ? 0 : 1;
}
