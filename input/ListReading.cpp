#include "input/ListReading.h"

#include "input/Text.h"
#include "input/TextFile.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {
constexpr size_t ChunkSize = 64 * 1024;

// Codes lie within the first few bytes of their line: a plain look at those is quicker than a call,
// and a long line still gets the fast search.
size_t FindByte(std::string_view text, char byte)
{
    const size_t quick = std::min<size_t>(text.size(), 16);
    for (size_t i = 0; i < quick; ++i) {
        if (text[i] == byte)
            return i;
    }
    const void* hit = quick < text.size() ? std::memchr(text.data() + quick, byte, text.size() - quick) : nullptr;
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text.data()) : std::string_view::npos;
}

// The aircraft entry as a part of its line: up to and including the second double quote, or empty
// when the line has fewer than two (an empty entry still becomes a row of the list). Blanks at the
// right end never matter: they lie after the second double quote, or the entry is empty anyway.
std::optional<std::string_view> AircraftEntryView(std::string_view line)
{
    const std::string_view text = TrimLeftView(line);
    if (text.empty())
        return std::nullopt;
    const size_t first = text.find('"');
    const size_t second = first == std::string_view::npos ? first : text.find('"', first + 1);
    return text.substr(0, second == std::string_view::npos ? 0 : second + 1);
}

// The airport code as a part of its line. The cut at the comma comes before the right trim, so
// blanks at the end of the line never reach the code.
std::optional<std::string_view> AirportCodeView(std::string_view line)
{
    const std::string_view text = TrimLeftView(line);
    const size_t comma = FindByte(text, ',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const std::string_view code = TrimRightView(text.substr(0, comma));
    if (code.empty())
        return std::nullopt;
    return code;
}

// A line that runs on past the end of a buffer is kept until its line feed comes, but only up to its
// deciding byte: the first comma of an airport line, the second double quote of an aircraft line.
// Nothing after that byte can change the line's result, so a long line costs no memory beyond it.
// A NUL ends the line's text.
class LongLine {
public:
    LongLine(char decidingByte, int decidingCount)
        : m_byte(decidingByte),
          m_count(decidingCount)
    {}

    bool Begun() const { return m_begun; }
    std::string_view Text() const { return m_kept; }

    // Takes the next stretch of the line, [begin, end), keeping what can still decide its result.
    void Add(const char* begin, const char* end)
    {
        m_begun = true;
        if (m_done)
            return;
        for (const char* p = begin;;) {
            const void* hit = std::memchr(p, m_byte, static_cast<size_t>(end - p));
            if (!hit)
                break;
            p = static_cast<const char*>(hit) + 1;
            if (++m_seen == m_count) {
                end = p;
                m_done = true;
                break;
            }
        }
        if (const void* nul = std::memchr(begin, '\0', static_cast<size_t>(end - begin))) {
            end = static_cast<const char*>(nul);
            m_done = true;
        }
        m_kept.append(begin, end);
    }

    void Clear()
    {
        m_kept.clear();
        m_seen = 0;
        m_begun = false;
        m_done = false;
    }

private:
    const char m_byte;
    const int m_count;
    std::string m_kept;
    int m_seen = 0;
    bool m_begun = false;
    bool m_done = false;
};

// A list grown one entry at a time copies its bytes again and again and touches fresh memory at
// every step; what the first buffer gave tells how many entries and bytes the whole file will give.
void ReserveForTheWholeFile(EntryList& entries, const std::filesystem::path& path, size_t firstBytes)
{
    std::error_code ec;
    const auto fileSize = std::filesystem::file_size(path, ec);
    if (ec || entries.empty() || fileSize <= firstBytes)
        return;
    const double share = static_cast<double>(fileSize) / static_cast<double>(firstBytes) * 1.05;
    entries.reserve(static_cast<size_t>(static_cast<double>(entries.size()) * share) + 16,
                    static_cast<size_t>(static_cast<double>(entries.ByteCount()) * share) + 256);
}

using LineRule = std::optional<std::string_view> (*)(std::string_view line);

// Reads `path` in text mode, one physical line at a time, and appends what `Rule` makes of each line.
template <LineRule Rule>
ListReadResult ReadList(const std::filesystem::path& path, char decidingByte, int decidingCount, bool marking)
{
    ListReadResult result;
    TextFileReader reader(path);
    if (!reader.IsOpen()) {
        result.ok = false;
        result.error = reader.OpenError();
        return result;
    }
    if (marking)
        reader.MarkLineStarts();
    // The line start the reader noted next, in the translated text; lines are met in order, so each
    // note is met once.
    constexpr std::uint64_t NoMark = UINT64_MAX;
    size_t nextMark = 0;
    std::uint64_t nextMarkAt = NoMark;
    std::uint64_t bufferOffset = 0;
    auto takeMark = [&] {
        result.marks.push_back({reader.LineStarts()[nextMark].fileOffset, result.entries.size()});
        ++nextMark;
        nextMarkAt = nextMark < reader.LineStarts().size() ? reader.LineStarts()[nextMark].textOffset : NoMark;
    };
    auto add = [&](std::string_view line) {
        if (const std::optional<std::string_view> entry = Rule(line))
            result.entries.push_back(*entry);
    };
    LongLine longLine(decidingByte, decidingCount);
    const auto buffer = std::make_unique<char[]>(ChunkSize);
    bool firstBuffer = true;
    while (const size_t got = reader.Read(buffer.get(), ChunkSize)) {
        const char* p = buffer.get();
        const char* const end = p + got;
        if (nextMarkAt == NoMark && nextMark < reader.LineStarts().size())
            nextMarkAt = reader.LineStarts()[nextMark].textOffset;
        // Most buffers hold no NUL, and a line that lies wholly inside one goes to its rule as it is.
        const bool hasNul = std::memchr(p, '\0', got) != nullptr;
        while (p < end) {
            if (!longLine.Begun() && bufferOffset + static_cast<std::uint64_t>(p - buffer.get()) == nextMarkAt)
                takeMark();
            const char* const lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            if (lf && !longLine.Begun()) {
                std::string_view line(p, static_cast<size_t>(lf - p));
                if (hasNul)
                    line = line.substr(0, line.find('\0'));
                add(line);
                p = lf + 1;
                continue;
            }
            longLine.Add(p, lf ? lf : end);
            if (!lf)
                break;
            add(longLine.Text());
            longLine.Clear();
            p = lf + 1;
        }
        bufferOffset += got;
        if (firstBuffer) {
            firstBuffer = false;
            ReserveForTheWholeFile(result.entries, path, got);
        }
    }
    // A last line without a line feed still counts.
    if (longLine.Begun())
        add(longLine.Text());
    result.entries.ShrinkIfMuchTooLarge();
    if (reader.HadReadError()) {
        result.ok = false;
        result.error = "the file could not be read to its end";
    }
    return result;
}
} // namespace

std::optional<std::string> AircraftEntryFromLine(std::string_view line)
{
    const std::optional<std::string_view> entry = AircraftEntryView(line);
    return entry ? std::optional<std::string>(*entry) : std::nullopt;
}

std::optional<std::string> AirportCodeFromLine(std::string_view line)
{
    const std::optional<std::string_view> code = AirportCodeView(line);
    return code ? std::optional<std::string>(*code) : std::nullopt;
}

ListReadResult ReadAircraftEntries(const std::filesystem::path& path)
{
    return ReadList<AircraftEntryView>(path, '"', 2, false);
}

ListReadResult ReadAirportCodes(const std::filesystem::path& path)
{
    return ReadList<AirportCodeView>(path, ',', 1, true);
}

std::optional<std::string> AirportLineOfEntry(const std::filesystem::path& path, const std::vector<EntryMark>& marks,
                                              size_t entryIndex, std::string_view code)
{
    const auto after = std::upper_bound(marks.begin(), marks.end(), entryIndex,
                                        [](size_t index, const EntryMark& mark) { return index < mark.entriesBefore; });
    const EntryMark start = after == marks.begin() ? EntryMark{} : *std::prev(after);
    TextFileReader reader(path);
    if (!reader.IsOpen() || !reader.ResumeAt(start.fileOffset))
        return std::nullopt;
    size_t index = start.entriesBefore;
    std::string line;
    while (reader.ReadLine(line)) {
        const std::string_view text = std::string_view(line).substr(0, line.find('\0'));
        const std::optional<std::string_view> found = AirportCodeView(text);
        if (!found)
            continue;
        if (index == entryIndex)
            return found == code ? std::optional<std::string>(text) : std::nullopt;
        ++index;
    }
    return std::nullopt;
}
