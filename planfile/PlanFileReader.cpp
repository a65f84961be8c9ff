#include "planfile/PlanFileReader.h"

#include "input/Text.h"

#include <cerrno>
#include <functional>
#include <system_error>

std::string UnreadableReason(const std::filesystem::path& path)
{
    // Opening for reading would create a missing file; a check only reads.
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec))
        return std::generic_category().message(ENOENT);
    return {};
}

PlanFileReader::PlanFileReader(const std::filesystem::path& path)
{
    m_openError = UnreadableReason(path);
    if (!m_openError.empty())
        return;
    m_reader.emplace(path);
    if (!m_reader->IsOpen()) {
        m_openError = m_reader->OpenError();
        m_reader.reset();
    }
}

bool PlanFileReader::Next()
{
    if (!m_reader || !m_reader->ReadLine(m_line))
        return false;
    ++m_lineNumber;
    m_reason.clear();
    m_kind = ReadPlanLine(m_line, m_plan, m_reason);
    return true;
}

bool PlanFileReader::NextLine(std::string& line)
{
    if (!m_reader || !m_reader->ReadLine(line))
        return false;
    ++m_lineNumber;
    return true;
}

namespace {
// The text before the first comma, trimmed; nothing for a line without a comma or with an empty code.
std::optional<std::string_view> CodeOf(std::string_view line)
{
    const size_t comma = line.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const std::string_view code = TrimLeftView(TrimRightView(line.substr(0, comma)));
    if (code.empty())
        return std::nullopt;
    return code;
}

// Keeps the first entry for a code, unless it has no value and this one has.
template <typename Entry>
void Keep(CodeTable<Entry>& table, std::string_view code, const Entry& entry)
{
    bool added = false;
    Entry& kept = table.Insert(code, added);
    if (added || (!kept.Known() && entry.Known()))
        kept = entry;
}

bool ReadLines(const std::filesystem::path& path, std::string& error,
               const std::function<void(std::string_view, int)>& add)
{
    error = UnreadableReason(path);
    if (!error.empty())
        return false;
    TextFileReader reader(path);
    if (!reader.IsOpen()) {
        error = reader.OpenError();
        return false;
    }
    std::string line;
    for (int number = 1; reader.ReadLine(line); ++number)
        add(line, number);
    if (reader.HadReadError()) {
        error = "the file could not be read to its end";
        return false;
    }
    return true;
}
} // namespace

void AddAirportLine(ReferenceData& data, std::string_view line, int lineNumber)
{
    if (const std::optional<std::string_view> code = CodeOf(line))
        Keep(data.airports, *code, AirportPlace{PositionFromAirportLine(line), lineNumber});
}

void AddAircraftLine(ReferenceData& data, std::string_view line, int lineNumber)
{
    if (const std::optional<std::string_view> key = CodeOf(line))
        Keep(data.aircraft, *key, AircraftSpeed{CruiseSpeedFromAircraftEntry(line), lineNumber});
}

bool ReadAirportFile(const std::filesystem::path& path, ReferenceData& data, std::string& error)
{
    // Lines go into the table in batches whose slots are asked for first: a large file's table is far
    // larger than the processor's caches, and one lookup after the other would wait for each in turn.
    constexpr size_t Batch = 32;
    std::vector<std::pair<std::string, AirportPlace>> batch;
    auto flush = [&] {
        for (const auto& [code, place] : batch)
            data.airports.Prefetch(code);
        for (const auto& [code, place] : batch)
            Keep(data.airports, code, place);
        batch.clear();
    };
    const bool read = ReadLines(path, error, [&](std::string_view line, int number) {
        if (const std::optional<std::string_view> code = CodeOf(line))
            batch.emplace_back(*code, AirportPlace{PositionFromAirportLine(line), number});
        if (batch.size() == Batch)
            flush();
    });
    flush();
    return read;
}

bool ReadAircraftFile(const std::filesystem::path& path, ReferenceData& data, std::string& error)
{
    return ReadLines(path, error, [&](std::string_view line, int number) { AddAircraftLine(data, line, number); });
}
