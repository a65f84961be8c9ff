#include "check/TimeZones.h"

#include "check/TimeZoneData.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
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

// The map (check/data/zone-map.bin; tools/convert-geo-tz.js, which makes it, tells the format): a
// head of text naming the zones, then a quadtree of nodes whose entries name a zone, lead to another
// node or lead to a cell's rings. It is read where the program holds it, never copied.
struct ZoneMap {
    std::vector<std::string_view> zones; // into the embedded bytes, which live as long as the program
    std::string_view nodes;              // four entries of four bytes each
    std::string_view cells;
};

constexpr size_t NodeSize = 16;
constexpr std::uint32_t KindZone = 0;
constexpr std::uint32_t KindNode = 1;
constexpr std::uint32_t KindCell = 2;
constexpr std::uint32_t OpenSea = 0xffff;
constexpr double StepsPerDegree = 16384; // of a cell's points

static_assert(std::endian::native == std::endian::little, "the map is read as little-endian");

// Reads little-endian numbers from a span of bytes; a read past the end gives 0 and marks it damaged.
class ByteReader {
public:
    ByteReader(std::string_view bytes, size_t at)
        : m_bytes(bytes),
          m_at(at)
    {}

    std::uint32_t U32() { return Read<std::uint32_t>(); }
    bool Damaged() const { return m_damaged; }
    size_t At() const { return m_at; }

    // The span of `size` bytes from here, which the reader then skips; empty when they are not all there.
    std::string_view Take(size_t size)
    {
        if (m_damaged || size > m_bytes.size() - std::min(m_at, m_bytes.size())) {
            m_damaged = true;
            return {};
        }
        m_at += size;
        return m_bytes.substr(m_at - size, size);
    }

private:
    template <typename T>
    T Read()
    {
        T value = 0;
        const std::string_view bytes = Take(sizeof value);
        if (!bytes.empty())
            std::memcpy(&value, bytes.data(), sizeof value);
        return value;
    }

    std::string_view m_bytes;
    size_t m_at;
    bool m_damaged = false;
};

// The map read from its bytes; an empty map (every position unknown) if they are damaged.
ZoneMap ReadZoneMap(std::string_view bytes)
{
    constexpr std::string_view DataLine = "\ndata\n";
    const size_t head = bytes.find(DataLine);
    if (head == std::string_view::npos)
        return {};
    ZoneMap map;
    TableLines lines(bytes.substr(0, head + 1));
    while (const auto line = lines.Next()) {
        const std::vector<std::string_view> words = Words(*line);
        if (words.size() == 2 && words[0] == "zones") {
            const auto count = ParseNumber(words[1], 10).value_or(0);
            for (std::int64_t i = 0; i < count; ++i)
                map.zones.push_back(lines.Next().value_or(""));
        }
    }
    ByteReader reader(bytes, head + DataLine.size());
    const size_t nodeCount = reader.U32();
    map.nodes = reader.Take(nodeCount * NodeSize);
    map.cells = bytes.substr(reader.At());
    if (map.zones.empty() || map.zones.size() >= OpenSea || nodeCount == 0 || reader.Damaged())
        return {};
    return map;
}

const ZoneMap& TheZoneMap()
{
    static const ZoneMap map = ReadZoneMap(ZoneMapBytes());
    return map;
}

// The zone of the open sea at a longitude: hour-wide bands from Etc/GMT+12 in the west to Etc/GMT-12
// in the east, whose signs are POSIX's. On the edge between two bands the eastern one holds; on the
// 180th meridian, either way, Etc/GMT+12.
std::string_view SeaZoneAt(double longitude)
{
    static constexpr std::string_view Bands[] = {"Etc/GMT+12", "Etc/GMT+11", "Etc/GMT+10", "Etc/GMT+9",  "Etc/GMT+8",
                                                 "Etc/GMT+7",  "Etc/GMT+6",  "Etc/GMT+5",  "Etc/GMT+4",  "Etc/GMT+3",
                                                 "Etc/GMT+2",  "Etc/GMT+1",  "Etc/GMT",    "Etc/GMT-1",  "Etc/GMT-2",
                                                 "Etc/GMT-3",  "Etc/GMT-4",  "Etc/GMT-5",  "Etc/GMT-6",  "Etc/GMT-7",
                                                 "Etc/GMT-8",  "Etc/GMT-9",  "Etc/GMT-10", "Etc/GMT-11", "Etc/GMT-12"};
    if (longitude <= -180 || longitude >= 180)
        return Bands[0];
    // Bands are 15 degrees wide around each whole hour; Etc/GMT+12 and Etc/GMT-12 are half as wide.
    const double band = std::floor((longitude + 7.5) / 15) + 12;
    return Bands[static_cast<size_t>(std::clamp(band, 0.0, 24.0))];
}

// The numbers of a cell: LEB128 (seven bits a byte, the lowest first, the high bit on all but the
// last), differences zigzag-coded. A read past the end or past 32 bits gives 0 and marks it damaged.
class CellReader {
public:
    CellReader(std::string_view bytes, size_t at)
        : m_bytes(bytes),
          m_at(at)
    {}

    std::uint32_t Next()
    {
        std::uint32_t number = 0;
        for (int shift = 0; shift < 32 && m_at < m_bytes.size(); shift += 7) {
            const auto byte = static_cast<unsigned char>(m_bytes[m_at++]);
            number |= static_cast<std::uint32_t>(byte & 0x7f) << shift;
            if (byte < 0x80)
                return number;
        }
        m_damaged = true;
        return 0;
    }
    std::int64_t NextDifference()
    {
        const std::uint32_t coded = Next();
        return (coded & 1) != 0 ? -static_cast<std::int64_t>(coded / 2) - 1 : static_cast<std::int64_t>(coded / 2);
    }
    bool Damaged() const { return m_damaged; }

private:
    std::string_view m_bytes;
    size_t m_at;
    bool m_damaged = false;
};

// The first zone of a cell's rings around (x, y), in steps east and north of the cell's west and
// south edges; OpenSea where none is.
std::uint32_t CellZoneAt(std::string_view cells, size_t at, double x, double y)
{
    CellReader reader(cells, at);
    const std::uint32_t zoneCount = reader.Next();
    for (std::uint32_t zone = 0; zone < zoneCount && !reader.Damaged(); ++zone) {
        const std::uint32_t name = reader.Next();
        const std::uint32_t ringCount = reader.Next();
        bool inside = false;
        for (std::uint32_t ring = 0; ring < ringCount && !reader.Damaged(); ++ring) {
            const std::uint32_t pointCount = reader.Next();
            if (pointCount == 0)
                continue;
            const std::int64_t firstX = reader.Next();
            const std::int64_t firstY = reader.Next();
            // An odd number of edges crossed on the way east from (x, y): inside.
            std::int64_t fromX = firstX;
            std::int64_t fromY = firstY;
            for (std::uint32_t i = 1; i <= pointCount && !reader.Damaged(); ++i) {
                const std::int64_t toX = i < pointCount ? fromX + reader.NextDifference() : firstX;
                const std::int64_t toY = i < pointCount ? fromY + reader.NextDifference() : firstY;
                const auto xi = static_cast<double>(toX);
                const auto yi = static_cast<double>(toY);
                const auto xj = static_cast<double>(fromX);
                const auto yj = static_cast<double>(fromY);
                if ((yi > y) != (yj > y) && x < xi + (y - yi) * (xj - xi) / (yj - yi))
                    inside = !inside;
                fromX = toX;
                fromY = toY;
            }
        }
        if (reader.Damaged())
            return OpenSea;
        if (inside)
            return name;
    }
    return OpenSea;
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
    double latitude = position.latitude;
    double longitude = position.longitude;
    // Written so that NaN fails too.
    if (map.zones.empty() || !(latitude >= -90 && latitude <= 90 && longitude >= -180 && longitude <= 180))
        return {};
    if (latitude == 90)
        return "Etc/GMT-12"; // every longitude meets at the pole: the first band the map's source names
    const double seaLongitude = longitude;
    // The tree spans 89.9999 degrees south to north and 179.9999 west to east, and splits each cell
    // at the means of its edges, with the source's arithmetic step by step, so that a position on
    // the edge between two cells falls into the same one.
    constexpr double Edge = 89.9999;
    constexpr double EdgeEast = 179.9999;
    latitude = std::clamp(latitude, -Edge, Edge);
    longitude = std::clamp(longitude, -EdgeEast, EdgeEast);
    double top = Edge;
    double bottom = -Edge;
    double west = -EdgeEast;
    double east = EdgeEast;
    double middleLatitude = 0;
    double middleLongitude = 0;
    size_t node = 0;
    for (;;) {
        size_t quadrant = 0; // north-east, north-west, south-west, south-east
        if (latitude >= middleLatitude) {
            bottom = middleLatitude;
            quadrant = longitude >= middleLongitude ? 0 : 1;
        } else {
            top = middleLatitude;
            quadrant = longitude < middleLongitude ? 2 : 3;
        }
        (quadrant == 0 || quadrant == 3 ? west : east) = middleLongitude;
        const size_t at = node * NodeSize + 4 * quadrant;
        if (at + 4 > map.nodes.size())
            return {};
        std::uint32_t entry = 0;
        std::memcpy(&entry, map.nodes.data() + at, sizeof entry);
        const std::uint32_t kind = entry >> 30;
        const std::uint32_t value = entry & 0x3fffffff;
        std::uint32_t zone = value;
        if (kind == KindNode) {
            node = value;
            middleLatitude = (top + bottom) / 2;
            middleLongitude = (west + east) / 2;
            continue;
        }
        if (kind == KindCell) {
            const double x = (longitude - west) * StepsPerDegree;
            const double y = (latitude - bottom) * StepsPerDegree;
            zone = CellZoneAt(map.cells, value, x, y);
        } else if (kind != KindZone) {
            return {};
        }
        if (zone == OpenSea)
            return SeaZoneAt(seaLongitude);
        return zone < map.zones.size() ? map.zones[zone] : std::string_view();
    }
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
