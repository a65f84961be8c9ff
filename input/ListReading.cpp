#include "input/ListReading.h"

#include "app/Text.h"
#include "input/TextFile.h"

#include <cstring>
#include <memory>

namespace {
constexpr size_t ChunkSize = 64 * 1024;

std::string_view TrimLeftView(std::string_view text)
{
    size_t first = 0;
    while (first < text.size() && IsBlank(static_cast<unsigned char>(text[first])))
        ++first;
    return text.substr(first);
}

std::string_view TrimRightView(std::string_view text)
{
    size_t end = text.size();
    while (end > 0 && IsBlank(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(0, end);
}

// The part of a line its rule still looks at grows only until the deciding byte: the first comma
// of an airport line, the second double quote of an aircraft line. Nothing after that byte can change
// the result, so a long line costs no memory beyond it. A NUL ends the line's text.
class LineCutter {
public:
    LineCutter(char decidingByte, int decidingCount) : m_byte(decidingByte), m_count(decidingCount) {}

    void Take(const char* begin, const char* end)
    {
        if (m_done)
            return;
        if (const void* nul = std::memchr(begin, '\0', static_cast<size_t>(end - begin))) {
            end = static_cast<const char*>(nul);
            m_done = true;
        }
        for (const char* p = begin; p < end;) {
            const void* hit = std::memchr(p, m_byte, static_cast<size_t>(end - p));
            if (!hit)
                break;
            p = static_cast<const char*>(hit) + 1;
            if (++m_seen == m_count) {
                end = p;
                m_done = true;
            }
        }
        m_kept.append(begin, end);
    }

    std::string_view Kept() const { return m_kept; }

    void NextLine()
    {
        m_kept.clear();
        m_seen = 0;
        m_done = false;
    }

private:
    const char m_byte;
    const int m_count;
    std::string m_kept;
    int m_seen = 0;
    bool m_done = false;
};

// Reads `path` in text mode, one physical line at a time, and appends what `rule` makes of each line.
template <typename Rule>
ListReadResult ReadList(const std::filesystem::path& path, char decidingByte, int decidingCount, Rule rule)
{
    ListReadResult result;
    TextFileReader reader(path);
    if (!reader.IsOpen()) {
        result.ok = false;
        result.error = reader.OpenError();
        return result;
    }
    LineCutter line(decidingByte, decidingCount);
    auto finishLine = [&] {
        if (std::optional<std::string> entry = rule(line.Kept()))
            result.entries.push_back(std::move(*entry));
        line.NextLine();
    };
    const auto buffer = std::make_unique<char[]>(ChunkSize);
    while (const size_t got = reader.Read(buffer.get(), ChunkSize)) {
        const char* p = buffer.get();
        const char* const end = p + got;
        while (p < end) {
            const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
            const char* const lineEnd = lf ? static_cast<const char*>(lf) : end;
            line.Take(p, lineEnd);
            if (!lf)
                break;
            finishLine();
            p = lineEnd + 1;
        }
    }
    // A last line without a line feed still counts; after a final line feed this is an empty line,
    // which gives nothing.
    finishLine();
    if (reader.HadReadError()) {
        result.ok = false;
        result.error = "the file could not be read to its end";
    }
    return result;
}
} // namespace

std::optional<std::string> AircraftEntryFromLine(std::string_view line)
{
    const std::string_view trimmed = TrimRightView(TrimLeftView(line));
    if (trimmed.empty())
        return std::nullopt;
    // Up to and including the second double quote; a line with fewer than two gives an empty entry,
    // which still becomes a row of the list.
    const size_t first = trimmed.find('"');
    if (first == std::string_view::npos)
        return std::string();
    const size_t second = trimmed.find('"', first + 1);
    if (second == std::string_view::npos)
        return std::string();
    return std::string(trimmed.substr(0, second + 1));
}

std::optional<std::string> AirportCodeFromLine(std::string_view line)
{
    // Cut at the comma before trimming the right end, so blanks at the end of the line never matter.
    const std::string_view left = TrimLeftView(line);
    const size_t comma = left.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const std::string_view code = TrimRightView(left.substr(0, comma));
    if (code.empty())
        return std::nullopt;
    return std::string(code);
}

ListReadResult ReadAircraftEntries(const std::filesystem::path& path)
{
    return ReadList(path, '"', 2, AircraftEntryFromLine);
}

ListReadResult ReadAirportCodes(const std::filesystem::path& path)
{
    return ReadList(path, ',', 1, AirportCodeFromLine);
}
