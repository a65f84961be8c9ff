#include "fuzz/FuzzChecks.h"

#include "check/Geo.h"
#include "input/ListReading.h"
#include "input/PersonalCopy.h"
#include "input/Text.h"
#include "input/TextFile.h"
#include "planfile/LoopWalk.h"
#include "planfile/PlanFileReader.h"
#include "planfile/PlanFindings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#ifdef _WIN32
#include <process.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
// The raw chunk of TextFileReader. Every input is also read pushed across the end of the first chunk;
// were the chunk to change, those layouts would only lose their aim, not their worth.
constexpr size_t ReaderChunk = 64 * 1024;
constexpr char CtrlZ = 0x1A;
constexpr size_t npos = std::string_view::npos;
// The blanks of the line rules, written out here so the checks do not lean on the code they check.
constexpr std::string_view Blanks = "\t\n\v\f\r ";

// One folder per process for the files of the checks, removed when the process ends normally.
class ScratchFolder {
public:
    ScratchFolder()
    {
#ifdef _WIN32
        const int id = _getpid();
#else
        const int id = static_cast<int>(getpid());
#endif
        m_path = fs::temp_directory_path() / ("legwise-fuzz-" + std::to_string(id));
        fs::create_directories(m_path);
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        fs::remove_all(m_path, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

const fs::path& Scratch()
{
    static const ScratchFolder folder;
    return folder.Path();
}

void WriteFileBytes(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadFileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A text for a report: printable ASCII as it is, every other byte as \xNN, long texts cut short.
std::string Shown(std::string_view text, size_t limit = 60)
{
    std::string shown = "\"";
    for (size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            shown += '\\';
            shown += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            shown += static_cast<char>(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            shown += hex;
        }
    }
    shown += '"';
    if (text.size() > limit)
        shown += "... (" + std::to_string(text.size()) + " bytes)";
    return shown;
}

std::string TextDifference(std::string_view what, std::string_view got, std::string_view expected)
{
    if (got == expected)
        return {};
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    const size_t from = at > 16 ? at - 16 : 0;
    return std::string(what) + ": " + std::to_string(got.size()) + " bytes, expected " + std::to_string(expected.size())
           + "; from byte " + std::to_string(from) + " got " + Shown(got.substr(from)) + ", expected "
           + Shown(expected.substr(from));
}

// `got` is a list of lines or the entries a reader gave.
template <typename List>
std::string ListDifference(std::string_view what, const List& got, const std::vector<std::string>& expected)
{
    size_t at = 0;
    while (at < got.size() && at < expected.size() && got[at] == expected[at])
        ++at;
    if (at == got.size() && at == expected.size())
        return {};
    std::string message = std::string(what) + ": " + std::to_string(got.size()) + " entries, expected "
                          + std::to_string(expected.size()) + "; entry " + std::to_string(at);
    if (at < got.size())
        message += " is " + Shown(got[at]);
    else
        message += " is missing";
    if (at < expected.size())
        message += ", expected " + Shown(expected[at]);
    else
        message += ", expected none";
    return message;
}

// The text a text-mode read gives, worked out apart from FromTextMode: the bytes before the first
// 0x1A, with every CR LF pair turned into LF.
std::string ReferenceText(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find(CtrlZ));
    std::string text;
    for (size_t from = 0;;) {
        const size_t pair = bytes.find("\r\n", from);
        text.append(bytes.substr(from, pair == npos ? npos : pair - from));
        if (pair == npos)
            return text;
        text += '\n';
        from = pair + 2;
    }
}

// What the personal copy holds: the bytes before the first 0x1A, with a CR put in before every LF
// that does not already follow one.
std::string ReferenceCopy(std::string_view bytes)
{
    bytes = bytes.substr(0, bytes.find(CtrlZ));
    std::string copy;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r'))
            copy += '\r';
        copy += bytes[i];
    }
    return copy;
}

// The physical lines of a text as ReadLine gives them: split at every LF; after a final LF, and in an
// empty text, there is no further line.
std::vector<std::string_view> PhysicalLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    for (size_t from = 0; from < text.size();) {
        const size_t lf = text.find('\n', from);
        lines.push_back(text.substr(from, lf == npos ? npos : lf - from));
        if (lf == npos)
            break;
        from = lf + 1;
    }
    return lines;
}

// A line's text for the line rules: it ends at its first NUL.
std::string_view UpToNul(std::string_view line) { return line.substr(0, line.find('\0')); }

// The layouts each input is read in: as it is, and pushed so that the reader's first chunk ends inside
// it, right after its first CR when it has one (a CR LF pair split between two chunks), otherwise in
// its middle. The push is a line that runs on across the chunk's end, or for inputs of odd length one
// that ends just before it. Each layout comes with the text a text-mode read gives: the push holds no
// CR and no 0x1A, so it reads as it is, followed by what the input reads as.
struct Layout {
    std::string bytes;
    std::string text;
};

std::vector<Layout> Layouts(std::string_view bytes)
{
    std::vector<Layout> layouts{{std::string(bytes), FromTextMode(bytes)}};
    const size_t cr = bytes.find('\r');
    const size_t split = cr != npos ? cr + 1 : bytes.size() / 2;
    if (split >= ReaderChunk)
        return layouts;
    std::string push(ReaderChunk - split, 'x');
    if (bytes.size() % 2 == 1)
        push.back() = '\n';
    layouts.push_back({push + std::string(bytes), push + layouts.front().text});
    return layouts;
}

// The comparisons, on the text FromTextMode makes of the file's bytes.
std::string LinesDifference(std::string_view text, const std::vector<std::string>& lines)
{
    const std::vector<std::string_view> views = PhysicalLines(text);
    return ListDifference("ReadLine", lines, std::vector<std::string>(views.begin(), views.end()));
}

// The list in the form the readers give it.
EntryList ToEntryList(const std::vector<std::string>& strings)
{
    EntryList list;
    for (const std::string& entry : strings)
        list.push_back(entry);
    return list;
}

// No entry of a list read from a file holds a line feed or a NUL: they end a line and its text.
std::string EntryBytesDifference(std::string_view what, const EntryList& entries)
{
    for (const std::string_view entry : entries) {
        if (entry.find('\n') != npos || entry.find('\0') != npos)
            return std::string(what) + " gave the entry " + Shown(entry) + ", which holds a line feed or a NUL";
    }
    return {};
}

std::string AircraftDifference(std::string_view text, const EntryList& entries)
{
    if (std::string message = EntryBytesDifference("ReadAircraftEntries", entries); !message.empty())
        return message;
    for (const std::string_view entry : entries) {
        if (!entry.empty() && entry.back() != '"')
            return "ReadAircraftEntries gave " + Shown(entry) + ", which does not end with a double quote";
    }
    std::vector<std::string> expected;
    for (std::string_view line : PhysicalLines(text)) {
        if (std::optional<std::string> entry = AircraftEntryFromLine(UpToNul(line)))
            expected.push_back(std::move(*entry));
    }
    return ListDifference("ReadAircraftEntries", entries, expected);
}

std::string AirportDifference(std::string_view text, const EntryList& codes)
{
    if (std::string message = EntryBytesDifference("ReadAirportCodes", codes); !message.empty())
        return message;
    for (const std::string_view code : codes) {
        if (code.empty() || Blanks.find(code.front()) != npos || Blanks.find(code.back()) != npos)
            return "ReadAirportCodes gave " + Shown(code) + ", which is empty or not trimmed";
    }
    std::vector<std::string> expected;
    for (std::string_view line : PhysicalLines(text)) {
        if (std::optional<std::string> code = AirportCodeFromLine(UpToNul(line)))
            expected.push_back(std::move(*code));
    }
    return ListDifference("ReadAirportCodes", codes, expected);
}

std::string CheckReaderOn(const fs::path& file, const Layout& layout)
{
    const std::string& expected = layout.text;
    {
        TextFileReader reader(file);
        if (!reader.IsOpen())
            return "TextFileReader could not open the file: " + reader.OpenError();
        std::vector<std::string> lines;
        std::string line;
        while (reader.ReadLine(line))
            lines.push_back(line);
        if (reader.ReadLine(line) || !line.empty())
            return "ReadLine gave " + Shown(line) + " after the end";
        if (reader.HadReadError())
            return "ReadLine met a read error";
        if (std::string message = LinesDifference(expected, lines); !message.empty())
            return message;
    }
    {
        // Buffers of many sizes, beginning at a size the bytes choose.
        constexpr size_t sizes[] = {1, 2, 3, 7, 64, 4095, ReaderChunk, ReaderChunk + 1};
        constexpr size_t count = std::size(sizes);
        TextFileReader reader(file);
        std::vector<char> buffer(ReaderChunk + 1);
        std::string text;
        for (size_t i = layout.bytes.size() % count;; ++i) {
            const size_t size = sizes[i % count];
            const size_t got = reader.Read(buffer.data(), size);
            if (got > size)
                return "Read gave " + std::to_string(got) + " bytes for a buffer of " + std::to_string(size);
            if (got == 0)
                break;
            text.append(buffer.data(), got);
        }
        if (reader.Read(buffer.data(), buffer.size()) != 0)
            return "Read gave bytes after the end";
        if (std::string message = TextDifference("the text read", text, expected); !message.empty())
            return message;
    }
    {
        // One line, then the rest by Read.
        TextFileReader reader(file);
        std::string line;
        reader.ReadLine(line);
        std::string rest;
        char buffer[100];
        while (const size_t got = reader.Read(buffer, sizeof buffer))
            rest.append(buffer, got);
        const size_t lf = expected.find('\n');
        const std::string_view expectedLine = std::string_view(expected).substr(0, lf);
        const std::string_view expectedRest =
            lf == npos ? std::string_view() : std::string_view(expected).substr(lf + 1);
        if (std::string message = TextDifference("ReadLine, then Read: the line", line, expectedLine); !message.empty())
            return message;
        if (std::string message = TextDifference("ReadLine, then Read: the rest", rest, expectedRest); !message.empty())
            return message;
        if (reader.ReadLine(line))
            return "ReadLine gave a line after Read had ended";
    }
    const TextFileContent content = ReadTextFile(file);
    if (!content.ok)
        return "ReadTextFile failed: " + content.error;
    if (std::string message = TextDifference("ReadTextFile", content.text, expected); !message.empty())
        return message;

    const fs::path copy = Scratch() / "copy.txt";
    const CopyOutcome outcome = CopyToPersonalFile(file, copy);
    if (outcome != CopyOutcome::Copied)
        return "CopyToPersonalFile did not copy (outcome " + std::to_string(static_cast<int>(outcome)) + ")";
    return TextDifference("CopyToPersonalFile", ReadFileBytes(copy), ReferenceCopy(layout.bytes));
}

// An aircraft entry is nothing for a line that is blank throughout; otherwise the line from its first
// non-blank byte up to and including its second double quote, or empty when it has fewer than two.
std::string CheckAircraftRule(std::string_view line)
{
    const std::optional<std::string> entry = AircraftEntryFromLine(line);
    const size_t first = line.find_first_not_of(Blanks);
    if (first == npos)
        return entry ? "the blank line " + Shown(line) + " gave the aircraft entry " + Shown(*entry) : "";
    if (!entry)
        return "the line " + Shown(line) + " gave no aircraft entry";
    const std::string_view text = line.substr(first);
    const auto quotes = std::count(text.begin(), text.end(), '"');
    if (entry->empty())
        return quotes < 2 ? "" : "the line " + Shown(line) + " has two double quotes but gave an empty entry";
    if (text.substr(0, entry->size()) != *entry || entry->back() != '"'
        || std::count(entry->begin(), entry->end(), '"') != 2)
        return "the line " + Shown(line) + " gave " + Shown(*entry)
               + ", which is not its text up to its second double quote";
    return {};
}

// An airport code is the text before the line's first comma without the blanks at its ends; nothing
// when that is empty or there is no comma.
std::string CheckAirportRule(std::string_view line)
{
    const std::optional<std::string> code = AirportCodeFromLine(line);
    const size_t comma = line.find(',');
    const std::string_view before = line.substr(0, comma);
    if (comma == npos || before.find_first_not_of(Blanks) == npos)
        return code ? "the line " + Shown(line) + " gave the airport code " + Shown(*code)
                          + " though nothing but blanks stands before a first comma"
                    : "";
    if (!code)
        return "the line " + Shown(line) + " gave no airport code";
    const std::string_view text = before.substr(before.find_first_not_of(Blanks));
    if (code->empty() || Blanks.find(code->front()) != npos || Blanks.find(code->back()) != npos
        || code->find(',') != npos || text.substr(0, code->size()) != *code
        || text.substr(code->size()).find_first_not_of(Blanks) != npos)
        return "the line " + Shown(line) + " gave " + Shown(*code)
               + ", which is not the trimmed text before its first comma";
    return {};
}

template <typename Rule, typename Read, typename Difference>
std::string CheckListReading(std::string_view bytes, Rule checkRule, Read read, Difference difference)
{
    // The rule on the input as one line, then on each line of each layout, then the reading.
    if (std::string message = checkRule(bytes); !message.empty())
        return message;
    const fs::path file = Scratch() / "list.txt";
    for (const Layout& layout : Layouts(bytes)) {
        for (std::string_view line : PhysicalLines(layout.text)) {
            if (std::string message = checkRule(UpToNul(line)); !message.empty())
                return message;
        }
        WriteFileBytes(file, layout.bytes);
        const ListReadResult result = read(file);
        if (!result.ok)
            return "the list could not be read: " + result.error;
        if (std::string message = difference(layout.text, result.entries); !message.empty())
            return message;
    }
    return {};
}
} // namespace

std::string CompareTextModeText(std::string_view fileBytes, std::string_view text)
{
    return TextDifference("the text read", text, FromTextMode(fileBytes));
}

std::string CompareTextModeLines(std::string_view fileBytes, const std::vector<std::string>& lines)
{
    return LinesDifference(FromTextMode(fileBytes), lines);
}

std::string CompareAircraftEntries(std::string_view fileBytes, const std::vector<std::string>& entries)
{
    return AircraftDifference(FromTextMode(fileBytes), ToEntryList(entries));
}

std::string CompareAirportCodes(std::string_view fileBytes, const std::vector<std::string>& codes)
{
    return AirportDifference(FromTextMode(fileBytes), ToEntryList(codes));
}

std::string CheckTextModeReading(std::string_view bytes)
{
    const std::string text = FromTextMode(bytes);
    if (std::string message = TextDifference("FromTextMode", text, ReferenceText(bytes)); !message.empty())
        return message;
    if (std::string message = TextDifference("FromTextMode(ToTextMode(text))", FromTextMode(ToTextMode(text)), text);
        !message.empty())
        return message;
    const fs::path file = Scratch() / "text.txt";
    for (const Layout& layout : Layouts(bytes)) {
        WriteFileBytes(file, layout.bytes);
        if (std::string message = CheckReaderOn(file, layout); !message.empty())
            return message;
    }
    return {};
}

std::string CheckAircraftReading(std::string_view bytes)
{
    return CheckListReading(bytes, CheckAircraftRule, ReadAircraftEntries, AircraftDifference);
}

std::string CheckAirportReading(std::string_view bytes)
{
    // Each entry's own line is found again from the reading's marks, up to 200 entries spread over the list.
    auto readAndFindAgain = [](const fs::path& file) {
        ListReadResult result = ReadAirportCodes(file);
        const size_t step = result.entries.size() / 200 + 1;
        for (size_t i = 0; result.ok && i < result.entries.size(); i += step) {
            const std::optional<std::string> line = AirportLineOfEntry(file, result.marks, i, result.entries[i]);
            if (!line || AirportCodeFromLine(*line) != std::string(result.entries[i]))
                result = {{}, {}, false, "the line of entry " + std::to_string(i) + " was not found again"};
        }
        return result;
    };
    return CheckListReading(bytes, CheckAirportRule, readAndFindAgain, AirportDifference);
}

std::string CheckAirportPosition(std::string_view bytes)
{
    const std::string_view line = bytes.substr(0, bytes.find('\n'));
    const std::optional<GeoPosition> position = PositionFromAirportLine(line);
    if (!position)
        return {};
    if (!(std::abs(position->latitude) <= 90 && std::abs(position->longitude) <= 180))
        return "a position out of range from " + Shown(line);
    // The same place written again in both forms reads back to within their decimals.
    auto part = [](double value, char positive, char negative) {
        const double size = std::abs(value);
        const double degrees = std::floor(size);
        char text[64];
        std::snprintf(text, sizeof text, "%c%d* %.4f'", value < 0 ? negative : positive, static_cast<int>(degrees),
                      std::min((size - degrees) * 60, 59.9999));
        return std::string(text);
    };
    char decimal[96];
    std::snprintf(decimal, sizeof decimal, "X,%.7f,%.7f,0", position->latitude, position->longitude);
    const std::string written[] = {
        "X," + part(position->latitude, 'N', 'S') + "," + part(position->longitude, 'E', 'W') + ",0", decimal};
    for (const std::string& again : written) {
        const std::optional<GeoPosition> read = PositionFromAirportLine(again);
        if (!read || std::abs(read->latitude - position->latitude) > 2e-6
            || std::abs(read->longitude - position->longitude) > 2e-6)
            return "the position of " + Shown(line) + " does not read back from " + again;
    }
    return {};
}

const std::vector<FuzzTarget>& FuzzTargets()
{
    static const std::vector<FuzzTarget> targets = {
        {"text_mode", CheckTextModeReading},   {"aircraft_list", CheckAircraftReading},
        {"airport_list", CheckAirportReading}, {"airport_position", CheckAirportPosition},
        {"plan_file", CheckPlanFileReading},
    };
    return targets;
}

std::vector<fs::path> KeptInputs(const fs::path& sourceFolder, std::string_view target)
{
    std::vector<fs::path> inputs;
    for (const char* kind : {"corpus", "regressions"}) {
        std::error_code ec;
        fs::directory_iterator it(sourceFolder / "fuzz" / kind / fs::path(std::string(target)), ec);
        for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
            std::error_code typeError;
            if (it->is_regular_file(typeError) && it->path().filename().string().front() != '.')
                inputs.push_back(it->path());
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

namespace {
// What a plan line read must be, whatever its bytes: its fields lie inside the line, its times in
// their ranges, and its loop comes round in a whole number of periods, at least one.
std::string PlanDifference(std::string_view line, const PlanLine& plan, const ReferenceData& data)
{
    const auto inside = [&](std::string_view field) {
        return field.empty()
               || (field.data() >= line.data() && field.data() + field.size() <= line.data() + line.size());
    };
    const auto timeOk = [&](PlanTime time) {
        return time.seconds >= 0 && time.seconds < SecondsPerDay
               && (plan.week ? time.day >= 0 && time.day <= 6 : time.day == -1);
    };
    if (plan.legs.empty() || plan.periodSeconds <= 0 || plan.trafficLimit < 0 || plan.trafficLimit > 100)
        return "a plan without legs, period or traffic limit was read from " + Shown(line);
    for (const PlanLeg& leg : plan.legs) {
        if (!inside(leg.destination) || leg.destination.empty() || !inside(leg.flightNumber) || !timeOk(leg.departure)
            || (leg.arrival && !timeOk(*leg.arrival)) || (leg.fixedArrival && !leg.arrival))
            return "a leg out of its line or its ranges was read from " + Shown(line);
    }
    WalkedLoop loop;
    WalkLoop(plan, data, loop);
    if (loop.loopSeconds <= 0 || loop.loopSeconds % plan.periodSeconds != 0)
        return "the loop of " + Shown(line) + " takes " + std::to_string(loop.loopSeconds) + " s";
    std::vector<Finding> findings;
    CheckPlan(plan, loop, DefaultTurnaroundMinutes, findings);
    for (const Finding& finding : findings) {
        if (finding.text.empty())
            return "an empty finding for " + Shown(line);
    }
    // The quick test that spares a plan the walk never spares one with a finding.
    std::vector<AirportEntry> places;
    for (const PlanLeg& leg : plan.legs)
        places.push_back(data.airports.Find(leg.destination));
    if (!findings.empty()
        && SurelyWithoutFindings(plan, data.aircraft.Find(plan.aircraftKey), places, DefaultTurnaroundMinutes))
        return "the quick test passed " + Shown(line) + ", which has the finding: " + findings.front().text;
    return {};
}
} // namespace

std::string CheckPlanFileReading(std::string_view bytes)
{
    const fs::path file = Scratch() / "plans.txt";
    WriteFileBytes(file, bytes);
    ReferenceData data;
    for (const char* airport : {"EDDF,N50* 2.00',E8* 34.00',364", "EDDM,48.35,11.78,1487", "XXXX,x"})
        AddAirportLine(data, airport, 1);
    AddAircraftLine(data, "JET7,450,\"Jet\"", 1);
    // UTF-16 text is refused; a UTF-8 byte-order mark is no part of the first line.
    PlanFileReader reader(file);
    if (IsUtf16Start(bytes.substr(0, 64)))
        return reader.OpenError() == Utf16Reason ? "" : "UTF-16 text was read: " + Shown(bytes.substr(0, 64));
    const std::string text = FromTextMode(bytes.starts_with(Utf8Mark) ? bytes.substr(Utf8Mark.size()) : bytes);
    const std::vector<std::string_view> lines = PhysicalLines(text);
    size_t count = 0;
    while (reader.Next()) {
        if (count >= lines.size() || reader.Text() != lines[count]
            || reader.LineNumber() != static_cast<int>(count) + 1)
            return "line " + std::to_string(count + 1) + " was read as " + Shown(reader.Text());
        const std::string_view line = lines[count++];
        const std::string_view trimmed = TrimLeftView(line);
        const PlanLineKind expected = trimmed.empty()                                     ? PlanLineKind::Blank
                                      : trimmed[0] == ';' || trimmed.substr(0, 2) == "//" ? PlanLineKind::Comment
                                                                                          : reader.Kind();
        if (reader.Kind() != expected || (reader.Kind() == PlanLineKind::Refused) == reader.Reason().empty())
            return "line " + std::to_string(count) + " " + Shown(line) + " was taken for the wrong kind";
        if (reader.Kind() == PlanLineKind::Plan) {
            if (std::string message = PlanDifference(reader.Text(), reader.Plan(), data); !message.empty())
                return message;
        }
    }
    if (count != lines.size())
        return "the reader gave " + std::to_string(count) + " of " + std::to_string(lines.size()) + " lines";
    return {};
}
