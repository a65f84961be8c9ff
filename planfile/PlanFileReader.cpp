#include "planfile/PlanFileReader.h"

#include "input/Text.h"
#include "planfile/LineBatches.h"

#include <span>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <mutex>
#include <system_error>

namespace {
std::mutex g_beingReadMutex;
std::filesystem::path g_beingRead;
} // namespace

std::filesystem::path FileBeingRead()
{
    const std::lock_guard<std::mutex> lock(g_beingReadMutex);
    return g_beingRead;
}

void NoteFileBeingRead(const std::filesystem::path& path)
{
    const std::lock_guard<std::mutex> lock(g_beingReadMutex);
    g_beingRead = path;
}

std::string UnreadableReason(const std::filesystem::path& path)
{
    // Opening for reading would create a missing file; a check only reads.
    std::error_code ec;
    if (path.empty() || !std::filesystem::exists(path, ec))
        return ec ? ec.message() : std::generic_category().message(ENOENT); // a link loop, a folder not searched
    return {};
}

std::optional<TextNote> LoneCrNote(std::string_view line, std::int64_t lineNumber)
{
    if (line.find('\r') == std::string_view::npos)
        return std::nullopt;
    return TextNote{lineNumber, "a lone CR (carriage return) ends no line here; the line goes on after it"};
}

std::optional<TextNote> TextStopNote(const TextStop& stop)
{
    if (stop.line == 0)
        return std::nullopt;
    return TextNote{static_cast<std::int64_t>(stop.line), "a Ctrl-Z byte: the text ends here; "
                                                              + std::to_string(stop.bytesAfter) + " byte"
                                                              + (stop.bytesAfter == 1 ? "" : "s") + " after it "
                                                              + (stop.bytesAfter == 1 ? "is" : "are") + " not read"};
}

PlanFileReader::PlanFileReader(const std::filesystem::path& path, std::int64_t firstLine)
    : m_lineNumber(firstLine - 1)
{
    NoteFileBeingRead(path);
    m_openError = UnreadableReason(path);
    if (!m_openError.empty())
        return;
    // Told apart from a missing file above; a file removed since then is still not created.
    m_reader.emplace(path, ReadMode::CheckedText);
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

bool ReadNotedLines(const std::filesystem::path& path, std::string& error,
                    const std::function<bool(std::string_view, std::int64_t)>& add,
                    const std::function<void(TextNote&&)>& note)
{
    PlanFileReader reader(path);
    error = reader.OpenError();
    if (!error.empty())
        return false;
    std::string line;
    while (reader.NextLine(line)) {
        if (std::optional<TextNote> crNote = LoneCrNote(line, reader.LineNumber()))
            note(std::move(*crNote));
        if (!add(line, reader.LineNumber()))
            return true;
    }
    if (std::optional<TextNote> stopNote = TextStopNote(reader.Stop()))
        note(std::move(*stopNote));
    if (reader.HadReadError()) {
        error = "the file could not be read to its end";
        return false;
    }
    return true;
}

namespace {
// The text before the first comma, or of a line without one, trimmed; nothing for an empty code. A
// code alone is known, as one with nothing after its comma is: it has no position or speed.
std::optional<std::string_view> CodeOf(std::string_view line)
{
    // Inline, since a large airport file has a million lines.
    size_t comma = 0;
    while (comma < line.size() && line[comma] != ',')
        ++comma;
    size_t first = 0;
    while (first < comma && IsBlank(static_cast<unsigned char>(line[first])))
        ++first;
    while (comma > first && IsBlank(static_cast<unsigned char>(line[comma - 1])))
        --comma;
    if (comma == first)
        return std::nullopt;
    return line.substr(first, comma - first);
}

std::optional<AirportPlace> PlaceOnLine(std::string_view line)
{
    const std::optional<GeoPosition> position = PositionFromAirportLine(line);
    if (!position)
        return std::nullopt;
    return AirportPlace{*position, PointAt(*position).cosLatitude};
}
} // namespace

void AddAirportLine(ReferenceData& data, std::string_view line, std::int64_t lineNumber)
{
    if (const std::optional<std::string_view> code = CodeOf(line))
        data.airports.Add(*code, data.airports.Hash(*code), lineNumber, PlaceOnLine(line));
}

void AddAircraftLine(ReferenceData& data, std::string_view line, std::int64_t lineNumber)
{
    if (const std::optional<std::string_view> key = CodeOf(line)) {
        std::optional<AircraftSpeed> speed;
        if (const std::optional<int> knots = CruiseSpeedFromAircraftEntry(line))
            speed = AircraftSpeed{*knots};
        data.aircraft.Add(*key, data.aircraft.Hash(*key), lineNumber, speed);
    }
}

bool ReadAirportFile(const std::filesystem::path& path, ReferenceData& data, std::string& error)
{
    // A thread of its own reads the lines and takes them apart; here they go into the table in their
    // order, each line asking for its slot and entry a few lines ahead: a large file's table is far
    // larger than the processor's caches, and one lookup after the other would wait for each in turn.
    struct AirportLine {
        std::string text;
        std::int64_t number = 0;
        std::string_view code; // empty: the line has none
        std::uint64_t hash = 0;
        std::optional<AirportPlace> place;
    };
    LineBatches<AirportLine> batches({path}, [](LineBatch<AirportLine>& batch, int) {
        for (size_t i = 0; i < batch.count; ++i) {
            AirportLine& line = batch.lines[i];
            line.code = CodeOf(line.text).value_or(std::string_view());
            line.hash = 0;
            if (line.code.empty())
                continue;
            line.hash = ListedCodes<AirportPlace>::Hash(line.code);
            line.place = PlaceOnLine(line.text);
        }
    });
    error.clear();
    bool reserved = false;
    while (LineBatch<AirportLine>* batch = batches.Take()) {
        const auto lines = std::span(batch->lines).first(batch->count);
        if (!reserved && !lines.empty()) {
            // Room for as many codes as the file has lines, judged by the first batch's, so that the
            // table need not grow again and again; a misjudged file only grows it as usual. Room costs
            // eight bytes a code: at most one code for every four bytes keeps it within twice the file.
            size_t bytes = 0;
            for (const AirportLine& line : lines)
                bytes += line.text.size() + 1;
            std::error_code ec;
            const auto size = static_cast<size_t>(std::filesystem::file_size(path, ec));
            data.airports.Reserve(ec ? 0 : std::min(size / bytes * lines.size(), size / 4));
            reserved = true;
        }
        using Table = ListedCodes<AirportPlace>;
        for (size_t i = 0; i < lines.size() && i < Table::SlotsAhead; ++i)
            data.airports.PrefetchSlot(lines[i].hash);
        for (size_t i = 0; i < lines.size(); ++i) {
            if (i + Table::SlotsAhead < lines.size())
                data.airports.PrefetchSlot(lines[i + Table::SlotsAhead].hash);
            if (i + Table::EntriesAhead < lines.size())
                data.airports.PrefetchEntry(lines[i + Table::EntriesAhead].hash);
            const AirportLine& line = lines[i];
            if (line.code.empty())
                continue;
            data.airports.Add(line.code, line.hash, line.number, line.place);
        }
        for (const AirportLine& line : lines) {
            if (std::optional<TextNote> note = LoneCrNote(line.text, line.number))
                data.airportNotes.push_back(std::move(*note));
        }
        if (std::optional<TextNote> note = TextStopNote(batch->stop))
            data.airportNotes.push_back(std::move(*note));
        if (!batch->openError.empty())
            error = batch->openError;
        else if (batch->readError)
            error = "the file could not be read to its end";
        batches.Return(batch);
    }
    return error.empty();
}

bool ReadAircraftFile(const std::filesystem::path& path, ReferenceData& data, std::string& error)
{
    return ReadNotedLines(
        path, error,
        [&](std::string_view line, std::int64_t number) {
            AddAircraftLine(data, line, number);
            return true;
        },
        [&](TextNote&& note) { data.aircraftNotes.push_back(std::move(note)); });
}
