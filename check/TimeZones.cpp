#include "check/TimeZones.h"

#include "check/TimeZoneData.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>

namespace {

// The lines of an embedded table, comment lines ("#") left out.
class TableLines {
public:
    explicit TableLines(std::string_view text)
        : m_text(text)
    {}

    // The next line, or nothing at the end.
    std::optional<std::string_view> Next()
    {
        while (!m_text.empty()) {
            const size_t end = std::min(m_text.find('\n'), m_text.size());
            const std::string_view line = m_text.substr(0, end);
            m_text.remove_prefix(std::min(end + 1, m_text.size()));
            if (!line.starts_with('#'))
                return line;
        }
        return std::nullopt;
    }

private:
    std::string_view m_text;
};

// The words of a line, split at spaces.
std::vector<std::string_view> Words(std::string_view line)
{
    std::vector<std::string_view> words;
    while (!line.empty()) {
        const size_t end = std::min(line.find(' '), line.size());
        if (end > 0)
            words.push_back(line.substr(0, end));
        line.remove_prefix(std::min(end + 1, line.size()));
    }
    return words;
}

// A whole number in `base` (10 or 36, lower-case letters), with an optional minus sign; nothing for
// anything else.
std::optional<std::int64_t> ParseNumber(std::string_view text, int base)
{
    const bool negative = text.starts_with('-');
    if (negative)
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        int digit = base;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'a' && c <= 'z')
            digit = c - 'a' + 10;
        if (digit >= base)
            return std::nullopt;
        value = value * base + digit;
    }
    return negative ? -value : value;
}

// The map: each cell of a grid over the globe names a zone or splits into 2 x 2 children, down a
// quadtree (check/data/zone-map.txt, whose head tells the encoding).
struct ZoneMap {
    std::vector<std::string_view> zones; // into the embedded text, which lives as long as the program
    int columns = 0;
    int rows = 0;
    std::vector<std::uint16_t> entries; // the grid row by row from the north, then the nodes
};

// Two characters of the 64 from '0' make one entry.
constexpr char EntryAlphabetStart = '0';
constexpr int EntryRadix = 64;

bool AppendEntries(std::string_view line, std::vector<std::uint16_t>& entries)
{
    if (line.size() % 2 != 0)
        return false;
    for (size_t i = 0; i < line.size(); i += 2) {
        const int high = line[i] - EntryAlphabetStart;
        const int low = line[i + 1] - EntryAlphabetStart;
        if (high < 0 || high >= EntryRadix || low < 0 || low >= EntryRadix)
            return false;
        entries.push_back(static_cast<std::uint16_t>(high * EntryRadix + low));
    }
    return true;
}

// The map read from its table; an empty map (every position unknown) if the table is damaged.
ZoneMap ReadZoneMap(std::string_view text)
{
    ZoneMap map;
    TableLines lines(text);
    std::optional<std::int64_t> expectedNodes;
    while (const auto line = lines.Next()) {
        const std::vector<std::string_view> words = Words(*line);
        if (words.size() == 2 && words[0] == "zones") {
            const auto count = ParseNumber(words[1], 10).value_or(0);
            for (std::int64_t i = 0; i < count; ++i)
                map.zones.push_back(lines.Next().value_or(""));
        } else if (words.size() == 3 && words[0] == "grid") {
            map.columns = static_cast<int>(ParseNumber(words[1], 10).value_or(0));
            map.rows = static_cast<int>(ParseNumber(words[2], 10).value_or(0));
        } else if (words.size() == 2 && words[0] == "nodes") {
            expectedNodes = ParseNumber(words[1], 10);
        } else if (words.size() == 1 && map.columns > 0 && !AppendEntries(words[0], map.entries)) {
            return {};
        }
    }
    const size_t gridSize = static_cast<size_t>(map.columns) * static_cast<size_t>(map.rows);
    if (map.zones.empty() || gridSize == 0 || !expectedNodes
        || map.entries.size() != gridSize + 4 * static_cast<size_t>(*expectedNodes))
        return {};
    return map;
}

const ZoneMap& TheZoneMap()
{
    static const ZoneMap map = ReadZoneMap(ZoneMapText());
    return map;
}

// Where airlines keep another zone than the map gives. The map's Asia/Urumqi covers Xinjiang alone,
// where many people keep Xinjiang time (UTC+6), but every airport, airline and timetable there keeps
// Beijing time, as everywhere in China.
constexpr std::pair<std::string_view, std::string_view> AirlineZones[] = {
    {"Asia/Urumqi", "Asia/Shanghai"},
};

// The offsets of one zone or of several that keep the same: the periods from the table's first
// moment on, each holding until the next begins.
using OffsetRule = std::vector<OffsetPeriod>;

struct OffsetTable {
    std::string_view version;
    UnixSeconds first = 0; // the table holds [first, end)
    UnixSeconds end = 0;
    std::vector<OffsetRule> rules;
    std::vector<std::pair<std::string_view, size_t>> zones; // sorted by name, with their rule
};

// "60" or "120*" (daylight).
std::optional<ZoneOffset> ParseOffsetType(std::string_view word)
{
    ZoneOffset offset;
    offset.daylight = word.ends_with('*');
    if (offset.daylight)
        word.remove_suffix(1);
    const auto minutes = ParseNumber(word, 10);
    if (!minutes)
        return std::nullopt;
    offset.minutes = static_cast<int>(*minutes);
    return offset;
}

// A line of changes: each a letter naming the offset type and the base-36 seconds since the
// previous change.
bool AppendChanges(std::string_view line, const std::vector<ZoneOffset>& types, OffsetRule& rule)
{
    for (const std::string_view word : Words(line)) {
        const size_t type = static_cast<size_t>(word[0] - 'A');
        const auto seconds = ParseNumber(word.substr(1), 36);
        if (type >= types.size() || !seconds || *seconds <= 0)
            return false;
        rule.push_back({rule.back().from + *seconds, types[type]});
    }
    return true;
}

// The offsets read from their table (check/data/zone-offsets.txt, whose maker tells the format); an
// empty table (no zone known) if it is damaged.
OffsetTable ReadOffsetTable(std::string_view text)
{
    OffsetTable table;
    TableLines lines(text);
    std::vector<ZoneOffset> types;
    while (const auto line = lines.Next()) {
        const std::vector<std::string_view> words = Words(*line);
        if (words.empty())
            continue;
        if (words[0] == "tzdata" && words.size() == 2) {
            table.version = words[1];
        } else if (words[0] == "range" && words.size() == 3) {
            table.first = ParseNumber(words[1], 10).value_or(0);
            table.end = ParseNumber(words[2], 10).value_or(0);
        } else if (words[0] == "R" && words.size() >= 2) {
            types.clear();
            for (size_t i = 1; i < words.size(); ++i) {
                const auto type = ParseOffsetType(words[i]);
                if (!type)
                    return {};
                types.push_back(*type);
            }
            table.rules.push_back({{table.first, types[0]}});
        } else if (words[0] == "Z" && words.size() == 3) {
            const auto rule = ParseNumber(words[2], 10);
            if (!rule || *rule < 0 || static_cast<size_t>(*rule) >= table.rules.size())
                return {};
            table.zones.emplace_back(words[1], static_cast<size_t>(*rule));
        } else if (table.rules.empty() || !AppendChanges(*line, types, table.rules.back())) {
            return {};
        }
    }
    if (table.version.empty() || table.first >= table.end)
        return {};
    std::sort(table.zones.begin(), table.zones.end());
    return table;
}

const OffsetTable& TheOffsetTable()
{
    static const OffsetTable table = ReadOffsetTable(ZoneOffsetsText());
    return table;
}

const OffsetRule* RuleOf(const OffsetTable& table, std::string_view zone)
{
    const auto found = std::lower_bound(table.zones.begin(), table.zones.end(), zone,
                                        [](const auto& entry, std::string_view name) { return entry.first < name; });
    if (found == table.zones.end() || found->first != zone)
        return nullptr;
    return &table.rules[found->second];
}

// The period of `rule` in force at `moment` (not before the rule's first).
OffsetRule::const_iterator PeriodAt(const OffsetRule& rule, UnixSeconds moment)
{
    const auto next = std::upper_bound(rule.begin(), rule.end(), moment,
                                       [](UnixSeconds at, const OffsetPeriod& period) { return at < period.from; });
    return next == rule.begin() ? next : std::prev(next);
}

} // namespace

std::string_view MapZoneAt(GeoPosition position)
{
    const ZoneMap& map = TheZoneMap();
    const double latitude = position.latitude;
    const double longitude = position.longitude;
    // Written so that NaN fails too.
    if (map.zones.empty() || !(latitude >= -90 && latitude <= 90 && longitude >= -180 && longitude <= 180))
        return {};
    if (latitude >= 90)
        return "Etc/GMT"; // every longitude meets at the pole
    // The divisors are the doubles just above 360 and 180, so that 180 degrees east and 90 south
    // stay inside the last column and row. The arithmetic is that of the package the map comes
    // from, step by step, so a position on a cell's edge falls on the same side.
    double x = map.columns * (180 + longitude) / 360.00000000000006;
    double y = map.rows * (90 - latitude) / 180.00000000000003;
    int column = static_cast<int>(x);
    int row = static_cast<int>(y);
    const size_t zoneCount = map.zones.size();
    const size_t gridSize = static_cast<size_t>(map.columns) * static_cast<size_t>(map.rows);
    size_t value =
        map.entries[static_cast<size_t>(row) * static_cast<size_t>(map.columns) + static_cast<size_t>(column)];
    std::int64_t node = -1;
    while (value >= zoneCount) {
        node += static_cast<std::int64_t>(value - zoneCount) + 1;
        y = 2 * (y - row);
        row = static_cast<int>(y);
        x = 2 * (x - column);
        column = static_cast<int>(x);
        const size_t index = gridSize + static_cast<size_t>(4 * node + 2 * row + column);
        if (index >= map.entries.size())
            return {};
        value = map.entries[index];
    }
    return map.zones[value];
}

std::string_view AirlineZoneAt(GeoPosition position)
{
    const std::string_view zone = MapZoneAt(position);
    for (const auto& [mapZone, airlineZone] : AirlineZones) {
        if (zone == mapZone)
            return airlineZone;
    }
    return zone;
}

std::optional<ZoneOffset> UtcOffset(std::string_view zone, UnixSeconds moment)
{
    const OffsetTable& table = TheOffsetTable();
    const OffsetRule* rule = RuleOf(table, zone);
    if (rule == nullptr || moment < table.first || moment >= table.end)
        return std::nullopt;
    return PeriodAt(*rule, moment)->offset;
}

std::vector<OffsetPeriod> OffsetPeriods(std::string_view zone, UnixSeconds from, UnixSeconds to)
{
    const OffsetTable& table = TheOffsetTable();
    const OffsetRule* rule = RuleOf(table, zone);
    from = std::max(from, table.first);
    to = std::min(to, table.end);
    if (rule == nullptr || from >= to)
        return {};
    auto period = PeriodAt(*rule, from);
    std::vector<OffsetPeriod> periods{{from, period->offset}};
    for (++period; period != rule->end() && period->from < to; ++period)
        periods.push_back(*period);
    return periods;
}

std::string_view TzdataVersion() { return TheOffsetTable().version; }
