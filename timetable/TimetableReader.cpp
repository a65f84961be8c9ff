#include "timetable/TimetableReader.h"

#include "input/Text.h"
#include "input/TextFile.h"
#include "plan/Composition.h"
#include "planfile/SeasonShift.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {
enum Column { Flight, From, To, Departs, Days, Aircraft, Arrives, Registration, Level, ValidFrom, ValidTo, Columns };
constexpr std::array<std::string_view, Columns> ColumnNames = {"flight", "from",       "to",      "departs",
                                                               "days",   "aircraft",   "arrives", "registration",
                                                               "level",  "valid_from", "valid_to"};
constexpr int RequiredColumns = Aircraft + 1;

// A code of up to eight bytes as one number; four-byte codes, the most common, in one load.
std::uint64_t CodeHead(std::string_view code)
{
    std::uint32_t four = 0;
    if (code.size() == sizeof four) {
        std::memcpy(&four, code.data(), sizeof four);
        return four;
    }
    std::uint64_t head = 0;
    for (size_t i = 0; i < code.size() && i < sizeof head; ++i)
        head |= std::uint64_t{static_cast<unsigned char>(code[i])} << (8 * i);
    return head;
}

size_t CodeSlot(std::uint64_t head, size_t size, int bits)
{
    return static_cast<size_t>(((head ^ size) * 0x9e3779b97f4a7c15ull) >> (64 - bits));
}

// The indices of codes of up to eight bytes met lately, in a table small enough to stay near the
// processor: rows that name an airport again, as the rows of one aircraft or one airport do, find
// it here without asking memory far away.
class RecentCodes {
public:
    // The index kept for `code`, or None.
    std::uint32_t Find(std::string_view code)
    {
        if (code.size() > sizeof(std::uint64_t))
            return None;
        const std::uint64_t head = CodeHead(code);
        // The two codes met last first: the next row of a line of flying departs where the row before
        // arrived and often flies back to where it departed, and keeps the aircraft.
        for (const Slot& latest : m_latest) {
            if (latest.head == head && latest.size == code.size())
                return latest.index;
        }
        const Slot& slot = m_slots[CodeSlot(head, code.size(), Bits)];
        if (slot.size != code.size() || slot.head != head)
            return None;
        Met(slot);
        return slot.index;
    }
    void Keep(std::string_view code, std::uint32_t index)
    {
        if (code.size() > sizeof(std::uint64_t))
            return;
        const Slot kept{CodeHead(code), static_cast<std::uint32_t>(code.size()), index};
        m_slots[CodeSlot(kept.head, kept.size, Bits)] = kept;
        Met(kept);
    }
    static constexpr std::uint32_t None = UINT32_MAX;

private:
    struct Slot {
        std::uint64_t head = 0;
        std::uint32_t size = None; // no code has this size
        std::uint32_t index = None;
    };
    void Met(const Slot& slot)
    {
        m_latest[1] = m_latest[0];
        m_latest[0] = slot;
    }
    static constexpr int Bits = 12;
    std::vector<Slot> m_slots = std::vector<Slot>(size_t{1} << Bits);
    std::array<Slot, 2> m_latest{};
};

// Every code met and a number for it: a code of up to eight bytes lies in its slot with its number,
// found or added in one visit to memory; longer ones go to a table of their own.
class CodeNumbers {
public:
    // The number for `code`, 0 when it is added.
    std::uint32_t& Insert(std::string_view code)
    {
        if (code.size() > sizeof(std::uint64_t)) {
            bool added = false;
            return m_long.Insert(code, added);
        }
        if ((m_count + 1) * 2 > m_slots.size())
            Grow();
        const std::uint64_t head = CodeHead(code);
        const auto size = static_cast<std::uint32_t>(code.size() + 1);
        for (size_t i = CodeSlot(head, size, m_bits);; i = (i + 1) & (m_slots.size() - 1)) {
            Slot& slot = m_slots[i];
            if (slot.size == 0) {
                slot = {head, size, 0};
                ++m_count;
                return slot.number;
            }
            if (slot.head == head && slot.size == size)
                return slot.number;
        }
    }

private:
    struct Slot {
        std::uint64_t head = 0;
        std::uint32_t size = 0; // of the code plus one; 0 while empty
        std::uint32_t number = 0;
    };
    void Grow()
    {
        std::vector<Slot> old(size_t{1} << ++m_bits);
        old.swap(m_slots);
        for (const Slot& slot : old) {
            size_t i = CodeSlot(slot.head, slot.size, m_bits);
            while (slot.size != 0 && m_slots[i].size != 0)
                i = (i + 1) & (m_slots.size() - 1);
            if (slot.size != 0)
                m_slots[i] = slot;
        }
    }
    int m_bits = 6;
    size_t m_count = 0;
    std::vector<Slot> m_slots = std::vector<Slot>(size_t{1} << m_bits);
    CodeTable<std::uint32_t> m_long;
};

// Reads the table line by line; a row whose quoted field holds a line break takes the next lines too.
class TableParser {
public:
    explicit TableParser(const ReferenceData& data)
        : m_data(data)
    {
        m_columns.fill(-1);
    }

    void Feed(std::string_view line)
    {
        ++m_lineNumber;
        if (m_pending.empty()) {
            if (IsBlankThroughout(line))
                return;
            m_rowLine = m_lineNumber;
            // Most rows lie on one line and are read where they are.
            if (m_separator && Split(line))
                return ReadRow();
        } else {
            m_pending += '\n';
        }
        m_pending += line;
        if (!m_separator) {
            ReadHeader();
            return;
        }
        if (!Split(m_pending))
            return; // a quoted field goes on in the next line
        ReadRow();
        m_pending.clear();
    }

    // Room for the rows of a file of `bytes`: no row is shorter than 20 bytes, and room never used is
    // never given memory by the system, so the rows are never copied to a larger place.
    void Reserve(std::uint64_t bytes)
    {
        m_table.rows.reserve(static_cast<size_t>(bytes / 20));
        m_table.pool.reserve(static_cast<size_t>(bytes / 2));
    }

    Timetable Finish()
    {
        if (!m_pending.empty() && m_separator) {
            Split(m_pending);
            ++m_table.rowsRead;
            Refuse("a quoted field is not closed before the end of the file");
        }
        if (!m_separator && m_table.error.empty())
            m_table.error = "the timetable is empty: it needs a header row naming its columns";
        return std::move(m_table);
    }

private:
    // The fields of `line` into m_views: where they lie in it when no field is quoted (most rows), else
    // copies in m_fields. False as SplitTableLine.
    bool Split(std::string_view line)
    {
        m_views.clear();
        if (line.find('"') == std::string_view::npos) {
            // One pass over the bytes; each field without the blanks around it.
            auto blank = [&](size_t at) { return IsBlank(static_cast<unsigned char>(line[at])); };
            const char separator = m_separator; // held in a register, as the fields are stored
            for (size_t start = 0, at = 0;; ++at) {
                if (at < line.size() && line[at] != separator)
                    continue;
                size_t first = start;
                while (first < at && blank(first))
                    ++first;
                size_t end = at;
                while (end > first && blank(end - 1))
                    --end;
                m_views.push_back(line.substr(first, end - first));
                if (at == line.size())
                    return true;
                start = at + 1;
            }
        }
        if (!SplitTableLine(line, m_separator, m_fields))
            return false;
        m_views.assign(m_fields.begin(), m_fields.end());
        return true;
    }

    void ReadHeader()
    {
        const std::string header = m_pending;
        m_pending.clear();
        // The separator the header holds most of; a tab or semicolon wins a tie over a comma.
        size_t most = 0;
        for (const char separator : {'\t', ';', ','}) {
            const auto count = static_cast<size_t>(std::count(header.begin(), header.end(), separator));
            if (count > most) {
                most = count;
                m_separator = separator;
            }
        }
        if (!m_separator)
            m_separator = ',';
        SplitTableLine(header, m_separator, m_fields);
        for (size_t i = 0; i < m_fields.size(); ++i) {
            const std::string name = MakeLowerAscii(m_fields[i]);
            const auto found = std::find(ColumnNames.begin(), ColumnNames.end(), name);
            if (found != ColumnNames.end() && m_columns[static_cast<size_t>(found - ColumnNames.begin())] < 0)
                m_columns[static_cast<size_t>(found - ColumnNames.begin())] = static_cast<int>(i);
        }
        std::string missing;
        for (int column = 0; column < RequiredColumns; ++column) {
            if (m_columns[static_cast<size_t>(column)] < 0)
                missing += (missing.empty() ? "" : ", ") + std::string(ColumnNames[static_cast<size_t>(column)]);
        }
        if (!missing.empty())
            m_table.error = "line " + std::to_string(m_rowLine) + ": the header row lacks the column"
                            + (missing.find(',') != std::string::npos ? "s " : " ") + missing
                            + " (flight, from, to, departs, days and aircraft are needed)";
    }

    std::string_view Field(Column column) const
    {
        const int at = m_columns[column];
        return at >= 0 && static_cast<size_t>(at) < m_views.size() ? m_views[static_cast<size_t>(at)]
                                                                   : std::string_view();
    }

    void Refuse(std::string reason) { m_table.refused.push_back({m_rowLine, std::move(reason)}); }

    PoolText Keep(std::string_view text)
    {
        const PoolText kept{static_cast<std::uint32_t>(m_table.pool.size()), static_cast<std::uint32_t>(text.size())};
        if (!text.empty()) // most rows give no registration and no level
            m_table.pool += text;
        return kept;
    }

    // The index of an airport or aircraft met lately, found here without a call; else as AirportIndex
    // and AircraftIndex.
    std::optional<std::uint32_t> KnownAirport(std::string_view code, std::string& reason)
    {
        const std::uint32_t recent = m_recentAirports.Find(code);
        return recent != RecentCodes::None ? recent : AirportIndex(code, reason);
    }
    std::optional<std::uint32_t> KnownAircraft(std::string_view key, std::string& reason)
    {
        const std::uint32_t recent = m_recentAircraft.Find(key);
        return recent != RecentCodes::None ? recent : AircraftIndex(key, reason);
    }

    // The airport's index, or the reason it cannot be used.
    std::optional<std::uint32_t> AirportIndex(std::string_view code, std::string& reason)
    {
        if (code.empty()) {
            reason = "no airport code";
            return std::nullopt;
        }
        if (const std::uint32_t recent = m_recentAirports.Find(code); recent != RecentCodes::None)
            return recent;
        std::uint32_t& known = m_airportIndex.Insert(code); // the index plus one; 0 while unknown
        if (known != 0) {
            m_recentAirports.Keep(code, known - 1);
            return known - 1;
        }
        const AirportEntry found = m_data.airports.Find(code);
        if (!found.Listed()) {
            reason = "airport " + std::string(code) + " is not in the airport file";
            if (code.size() == 3)
                reason += " (a three-letter code: the airport file holds four-letter codes)";
            return std::nullopt;
        }
        if (!found.known) {
            reason = "airport " + std::string(code) + " cannot be placed: line " + std::to_string(found.line)
                     + " of the airport file gives no position";
            return std::nullopt;
        }
        const auto index = static_cast<std::uint32_t>(m_table.airports.size());
        m_table.airports.push_back({std::string(code), found.known});
        known = index + 1;
        m_recentAirports.Keep(code, index);
        return index;
    }

    std::optional<std::uint32_t> AircraftIndex(std::string_view key, std::string& reason)
    {
        if (const std::uint32_t recent = m_recentAircraft.Find(key); recent != RecentCodes::None)
            return recent;
        std::uint32_t& known = m_aircraftIndex.Insert(key); // the index plus one; 0 while unknown
        if (known != 0) {
            m_recentAircraft.Keep(key, known - 1);
            return known - 1;
        }
        const AircraftEntry speed = m_data.aircraft.Find(key);
        if (key.empty() || !speed.Listed()) {
            reason = key.empty() ? "no aircraft" : "aircraft " + std::string(key) + " is not in the aircraft file";
            return std::nullopt;
        }
        const auto index = static_cast<std::uint32_t>(m_table.aircraft.size());
        m_table.aircraft.push_back({std::string(key), speed});
        known = index + 1;
        m_recentAircraft.Keep(key, index);
        return index;
    }

    std::optional<std::int64_t> Date(Column column, std::string& reason)
    {
        const std::string_view text = Field(column);
        const std::optional<std::int64_t> day = ShiftDayFromText(text);
        if (!day)
            reason = std::string(ColumnNames[column]) + " \"" + std::string(text)
                     + "\" is no date YYYY-MM-DD from 2000 to 2050";
        return day;
    }

    void ReadRow()
    {
        ++m_table.rowsRead;
        if (!m_table.error.empty())
            return;
        TimetableRow row;
        row.line = m_rowLine;
        // Texts that go into the plan may hold no byte that splits a field or a line.
        for (const Column column : {Flight, Registration, Level}) {
            if (BreaksPlanField(Field(column)))
                return Refuse(std::string(ColumnNames[column]) + " \"" + std::string(Field(column))
                              + "\" holds a comma or line break, which cannot go into a plan");
        }
        if (Field(Flight).empty())
            return Refuse("no flight number");
        std::string reason;
        const std::optional<std::uint32_t> from = KnownAirport(Field(From), reason);
        if (!from)
            return Refuse("from: " + reason);
        const std::optional<std::uint32_t> to = KnownAirport(Field(To), reason);
        if (!to)
            return Refuse("to: " + reason);
        if (*from == *to)
            return Refuse("from and to are the same airport, " + std::string(Field(From)));
        row.departs = static_cast<std::int16_t>(MinutesFromText(Field(Departs)));
        if (row.departs < 0)
            return Refuse("departs \"" + std::string(Field(Departs)) + "\" is no local time HH:MM");
        const std::optional<std::uint8_t> days = DaysFromText(Field(Days));
        if (!days)
            return Refuse("days \"" + std::string(Field(Days))
                          + "\" are no days of operation (the digits 1 to 7, Monday = 1, with . - or blanks)");
        row.days = *days;
        if (!Field(Arrives).empty()) {
            const std::optional<LocalArrival> arrives = ArrivalFromText(Field(Arrives));
            if (!arrives)
                return Refuse("arrives \"" + std::string(Field(Arrives))
                              + "\" is no local time HH:MM (with +1, +2 or -1 for another day)");
            row.arrives = arrives->minutes;
            row.arrivesDayShift = arrives->dayShift;
        }
        const std::optional<std::uint32_t> aircraft = KnownAircraft(Field(Aircraft), reason);
        if (!aircraft)
            return Refuse(reason);
        if (!row.HasArrival() && !m_table.aircraft[*aircraft].speed.known)
            return Refuse("aircraft " + std::string(Field(Aircraft)) + " cannot be timed: line "
                          + std::to_string(m_table.aircraft[*aircraft].speed.line)
                          + " of the aircraft file gives no cruise speed, and the row no arrival");
        std::string_view level = Field(Level);
        if (StartsWithNoCase(level, "FL"))
            level.remove_prefix(2);
        if (!std::all_of(level.begin(), level.end(), [](char c) { return c >= '0' && c <= '9'; }) || level.size() > 3)
            return Refuse("level \"" + std::string(Field(Level)) + "\" is no flight level (350 or FL350)");
        for (const Column column : {ValidFrom, ValidTo}) {
            if (Field(column).empty())
                continue;
            const std::optional<std::int64_t> day = Date(column, reason);
            if (!day)
                return Refuse(reason);
            (column == ValidFrom ? row.validFrom : row.validTo) = static_cast<std::int16_t>(*day); // 2000 to 2050
        }
        row.from = *from;
        row.to = *to;
        row.aircraft = *aircraft;
        // The flight number, the registration and the level follow one another in the pool.
        row.flight = Keep(Field(Flight));
        row.registrationSize = Keep(Field(Registration)).size;
        row.levelSize = static_cast<std::uint8_t>(Keep(level).size); // at most three digits
        m_table.rows.push_back(row);
    }

    const ReferenceData& m_data;
    Timetable m_table;
    char m_separator = 0;
    std::array<int, Columns> m_columns{};
    std::vector<std::string> m_fields;     // of a row with quoted fields
    std::vector<std::string_view> m_views; // the fields of the row being read
    std::string m_pending;
    int m_lineNumber = 0;
    int m_rowLine = 0;
    CodeNumbers m_airportIndex; // codes met, refused ones too
    CodeNumbers m_aircraftIndex;
    RecentCodes m_recentAirports; // known ones only
    RecentCodes m_recentAircraft;
};

int TwoDigits(std::string_view text) // "07" as 7; -1 for other bytes
{
    if (text.size() != 2 || text[0] < '0' || text[0] > '9' || text[1] < '0' || text[1] > '9')
        return -1;
    return (text[0] - '0') * 10 + (text[1] - '0');
}
} // namespace

std::optional<std::uint8_t> DaysFromText(std::string_view text)
{
    // What each byte adds: its day's bit, nothing for a place holder, the high bit for any other byte.
    static constexpr std::array<std::uint8_t, 256> Adds = [] {
        std::array<std::uint8_t, 256> adds{};
        for (int c = 0; c < 256; ++c) {
            if (c >= '1' && c <= '7')
                adds[static_cast<size_t>(c)] = static_cast<std::uint8_t>(1u << (c - '1'));
            else if (c != '.' && c != '-' && !IsBlank(static_cast<unsigned char>(c)))
                adds[static_cast<size_t>(c)] = 0x80;
        }
        return adds;
    }();
    std::uint8_t days = 0;
    for (const char c : text)
        days = static_cast<std::uint8_t>(days | Adds[static_cast<unsigned char>(c)]);
    if (days == 0 || (days & 0x80) != 0)
        return std::nullopt;
    return days;
}

int MinutesFromText(std::string_view text)
{
    // The colon after one or two bytes; the bytes before it are digits, so it is the first.
    const size_t colon = text.size() > 1 && text[1] == ':' ? 1 : text.size() > 2 && text[2] == ':' ? 2 : 0;
    if (colon == 0)
        return -1;
    int hours = 0;
    for (size_t i = 0; i < colon; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        hours = hours * 10 + (text[i] - '0');
    }
    const int minutes = TwoDigits(text.substr(colon + 1));
    if (hours > 23 || minutes < 0 || minutes > 59)
        return -1;
    return hours * 60 + minutes;
}

std::optional<LocalArrival> ArrivalFromText(std::string_view text)
{
    LocalArrival arrival;
    const size_t sign = text.find_first_of("+-");
    if (sign != std::string_view::npos) {
        const std::string_view shift = TrimLeftView(text.substr(sign));
        if (shift == "+1" || shift == "+2" || shift == "-1")
            arrival.dayShift = static_cast<std::int8_t>((shift[0] == '-' ? -1 : 1) * (shift[1] - '0'));
        else
            return std::nullopt;
        text = TrimRightView(text.substr(0, sign));
    }
    arrival.minutes = static_cast<std::int16_t>(MinutesFromText(text));
    if (arrival.minutes < 0)
        return std::nullopt;
    return arrival;
}

bool SplitTableLine(std::string_view line, char separator, std::vector<std::string>& fields)
{
    // The strings of the fields before are reused, so that a row costs no allocation.
    size_t count = 0;
    auto next = [&]() -> std::string& {
        if (count == fields.size())
            fields.emplace_back();
        std::string& field = fields[count++];
        field.clear();
        return field;
    };
    size_t at = 0;
    for (;;) {
        while (at < line.size() && line[at] != separator && IsBlank(static_cast<unsigned char>(line[at])))
            ++at;
        std::string& field = next();
        if (at < line.size() && line[at] == '"') {
            bool closed = false;
            for (++at; at < line.size(); ++at) {
                if (line[at] != '"') {
                    field += line[at];
                } else if (at + 1 < line.size() && line[at + 1] == '"') {
                    field += '"';
                    ++at;
                } else {
                    closed = true;
                    ++at;
                    break;
                }
            }
            if (!closed)
                return false;
            // Bytes after the closing quote, up to the separator, belong to the field as well.
            const size_t end = std::min(line.find(separator, at), line.size());
            field += TrimRightView(TrimLeftView(line.substr(at, end - at)));
            at = end;
        } else {
            const size_t end = std::min(line.find(separator, at), line.size());
            field.assign(TrimRightView(line.substr(at, end - at)));
            at = end;
        }
        if (at >= line.size()) {
            fields.resize(count);
            return true;
        }
        ++at; // the separator
    }
}

Timetable ReadTimetableText(std::string_view bytes, const ReferenceData& data)
{
    TableParser parser(data);
    while (!bytes.empty()) {
        const size_t end = std::min(bytes.find('\n'), bytes.size());
        parser.Feed(bytes.substr(0, end));
        bytes.remove_prefix(std::min(end + 1, bytes.size()));
    }
    return parser.Finish();
}

Timetable ReadTimetableFile(const std::filesystem::path& path, const ReferenceData& data)
{
    TextFileReader reader(path, ReadMode::CheckedText);
    if (!reader.IsOpen()) {
        Timetable table;
        table.error = "cannot be read: " + reader.OpenError();
        return table;
    }
    TableParser parser(data);
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec)
        parser.Reserve(size);
    // Read in blocks, each line fed where it lies; only a line across two blocks is copied.
    std::vector<char> block(1 << 16);
    std::string carried;
    while (const size_t n = reader.Read(block.data(), block.size())) {
        std::string_view bytes(block.data(), n);
        for (size_t end = bytes.find('\n'); end != std::string_view::npos; end = bytes.find('\n')) {
            if (carried.empty()) {
                parser.Feed(bytes.substr(0, end));
            } else {
                parser.Feed(carried.append(bytes.substr(0, end)));
                carried.clear();
            }
            bytes.remove_prefix(end + 1);
        }
        carried.append(bytes);
    }
    if (!carried.empty())
        parser.Feed(carried);
    Timetable table = parser.Finish();
    if (reader.HadReadError() && table.error.empty())
        table.error = "the file could not be read to its end";
    return table;
}
