#include "planfile/PlanTable.h"

#include "input/Text.h"
#include "planfile/BatchLookup.h"
#include "planfile/LineBatches.h"
#include "planfile/RawLines.h"
#include "planfile/Registrations.h"

#include <algorithm>
#include <span>

namespace {
// The lone CRs a table names; a file with more says how many more.
constexpr size_t KeptNotes = 20;

// Field `index` of a line that is no plan, as far as it has one, for its row.
std::string_view Field(std::string_view line, int index)
{
    for (int i = 0; i < index; ++i) {
        const size_t comma = line.find(',');
        if (comma == std::string_view::npos)
            return {};
        line.remove_prefix(comma + 1);
    }
    return TrimLeftView(TrimRightView(line.substr(0, line.find(','))));
}

std::uint8_t Append(std::string& text, std::string_view field)
{
    field = field.substr(0, 255);
    text += field;
    return static_cast<std::uint8_t>(field.size());
}

std::string SharedText(const Registrations::SharedUse& use)
{
    return "registration " + use.registration + " is used by " + std::to_string(use.plans) + " plans (also line "
           + std::to_string(use.otherLine) + ")";
}
} // namespace

namespace {
// The lines of a plan file as the batches read them, each with its offset in the file.
class OffsetLineReader {
public:
    explicit OffsetLineReader(const std::filesystem::path& path)
        : m_reader(path)
    {}
    const std::string& OpenError() const { return m_reader.OpenError(); }
    bool HadReadError() const { return m_reader.HadReadError(); }
    bool NextLine(std::string& line)
    {
        if (!m_reader.Next())
            return false;
        line.assign(m_reader.Line());
        return true;
    }
    std::int64_t LineNumber() const { return m_reader.LineNumber(); }
    std::uint64_t Offset() const { return m_reader.Offset(); }
    TextStop Stop() const { return m_reader.Stop(); }

private:
    RawLineReader m_reader;
};

// A line of the file, taken apart and counted in its batch.
struct TableLine {
    std::string text;
    std::int64_t number = 0;
    std::uint64_t offset = 0;
    PlanLineKind kind = PlanLineKind::Blank;
    PlanLine plan; // views into `text`
    std::string reason;
    std::uint32_t errors = 0;
    std::uint32_t warnings = 0;
    bool unplaced = false; // an airport of the plan is not in the airport file or has no position
};

// Storage each thread keeps for its batches.
struct TableRoom : LookupRoom {
    std::vector<Finding> findings;
};

// Takes apart and checks the lines of `batch`. A plan that surely has no findings is not walked, as
// the check does.
void CountBatch(LineBatch<TableLine>& batch, const ReferenceData& data, int turnaround, TableRoom& room)
{
    const auto lines = std::span(batch.lines).first(batch.count);
    for (TableLine& line : lines) {
        line.errors = 0;
        line.warnings = 0;
        line.unplaced = false;
    }
    LookUpPlans(lines, data, room, [&](TableLine& line, const AircraftEntry& aircraft, auto places) {
        line.unplaced =
            std::any_of(places.begin(), places.end(), [](const AirportEntry& airport) { return !airport.known; });
        if (SurelyWithoutFindings(line.plan, aircraft, places, turnaround))
            return;
        WalkLoop(line.plan, aircraft, places, room.loop);
        room.findings.clear();
        CheckPlan(line.plan, room.loop, turnaround, room.findings);
        for (const Finding& finding : room.findings)
            ++(finding.level == FindingLevel::Error ? line.errors : line.warnings);
    });
}
} // namespace

PlanTable ReadPlanTable(const std::filesystem::path& path, const ReferenceData& data, int turnaround,
                        const ShiftProgress& progress)
{
    PlanTable table;
    std::error_code ec;
    const std::uint64_t size = std::filesystem::is_regular_file(path, ec) ? std::filesystem::file_size(path, ec) : 0;
    // Room for a row per 32 bytes of the file (up to a gigabyte of address space): only the rows filled
    // take memory, and the rows do not move while a large file is read (moving them would hold them
    // twice for a moment).
    const std::uint64_t room = std::min<std::uint64_t>(size, std::uint64_t{1} << 30);
    table.rows.reserve(static_cast<size_t>(room / 32));
    table.text.reserve(static_cast<size_t>(room / 4));
    Registrations registrations;
    const unsigned threads = ProcessorsToUse();
    std::vector<TableRoom> rooms(threads);
    LineBatches<TableLine, OffsetLineReader> batches(
        {path},
        [&](LineBatch<TableLine>& batch, int worker) {
            CountBatch(batch, data, turnaround, rooms[static_cast<size_t>(worker)]);
        },
        threads);
    while (LineBatch<TableLine>* batch = batches.Take()) {
        if (!batch->openError.empty()) {
            table.error = batch->openError;
            return table;
        }
        for (const TableLine& line : std::span(batch->lines).first(batch->count)) {
            std::optional<TextNote> note = LoneCrNote(line.text, line.number);
            if (note && table.notes.size() < KeptNotes)
                table.notes.push_back(std::move(*note));
            else if (note)
                ++table.notesLeftOut;
            if (line.kind == PlanLineKind::Blank || line.kind == PlanLineKind::Comment) {
                table.notesOffRows += note.has_value();
                continue;
            }
            if (line.unplaced)
                table.unplaced.push_back(static_cast<std::uint32_t>(table.rows.size()));
            PlanRow& row = table.rows.emplace_back();
            row.line = line.number;
            row.offset = line.offset;
            row.textAt = static_cast<std::uint32_t>(table.text.size());
            row.plan = line.kind == PlanLineKind::Plan;
            row.warnings = note.has_value();
            if (!row.plan) {
                row.aircraftSize = Append(table.text, Field(line.text, 0));
                row.registrationSize = Append(table.text, Field(line.text, 1));
                row.periodSize = Append(table.text, Field(line.text, 3));
                row.errors = 1;
                continue;
            }
            row.aircraftSize = Append(table.text, line.plan.aircraftKey);
            row.registrationSize = Append(table.text, line.plan.registration);
            row.periodSize = Append(table.text, line.plan.period);
            row.legs = static_cast<std::uint32_t>(line.plan.legs.size());
            row.errors = line.errors;
            row.warnings += line.warnings;
            registrations.Add(line.plan.registration, 0, row.line);
        }
        if (std::optional<TextNote> note = TextStopNote(batch->stop)) {
            table.notes.push_back(std::move(*note));
            ++table.notesOffRows;
        }
        if (batch->readError)
            table.error = "the file could not be read to its end";
        const std::uint64_t done = batch->count > 0 ? batch->lines[batch->count - 1].offset : 0;
        batches.Return(batch);
        if (progress && !progress(done, size)) {
            table.cancelled = true;
            return table;
        }
    }
    for (const Registrations::SharedUse& use : registrations.SharedUses()) {
        const auto row = std::lower_bound(table.rows.begin(), table.rows.end(), use.line,
                                          [](const PlanRow& r, std::int64_t line) { return r.line < line; });
        if (row != table.rows.end() && row->line == use.line) {
            ++row->warnings;
            table.shared.emplace_back(use.line, SharedText(use));
        }
    }
    return table;
}

bool ReadPlanDetail(const std::filesystem::path& path, const PlanTable& table, const PlanRow& row,
                    const ReferenceData& data, int turnaround, PlanDetail& detail, std::string& error)
{
    RawLineReader reader(path);
    if (!reader.OpenError().empty() || !reader.Seek(row.offset, row.line) || !reader.Next()) {
        error = reader.OpenError().empty() ? "the line cannot be read again" : reader.OpenError();
        return false;
    }
    detail.line.assign(reader.Line());
    detail.findings.clear();
    if (std::optional<TextNote> note = LoneCrNote(detail.line, row.line))
        detail.findings.push_back({FindingLevel::Warning, std::move(note->text)});
    std::string reason;
    detail.plan = ReadPlanLine(detail.line, detail.parsed, reason) == PlanLineKind::Plan;
    if (!detail.plan) {
        detail.findings.push_back({FindingLevel::Error, reason});
        return true;
    }
    WalkLoop(detail.parsed, data, detail.loop);
    CheckPlan(detail.parsed, detail.loop, turnaround, detail.findings);
    const auto shared = std::lower_bound(table.shared.begin(), table.shared.end(), row.line,
                                         [](const auto& entry, std::int64_t line) { return entry.first < line; });
    if (shared != table.shared.end() && shared->first == row.line)
        detail.findings.push_back({FindingLevel::Warning, shared->second});
    return true;
}

std::vector<LineProblem> UnplacedPlans(const std::filesystem::path& path, const PlanTable& table,
                                       const ReferenceData& data, std::int64_t fromDay, std::int64_t toDay,
                                       size_t limit)
{
    std::vector<LineProblem> plans;
    RawLineReader reader(path);
    SeasonShift shift(data, fromDay, toDay);
    std::string shifted;
    std::string problem;
    for (size_t i = 0; i < table.unplaced.size() && plans.size() < limit; ++i) {
        const PlanRow& row = table.rows[table.unplaced[i]];
        if (reader.Seek(row.offset, row.line) && reader.Next()
            && shift.ShiftLine(reader.Line(), shifted, problem) == SeasonShift::Outcome::Unplaced)
            plans.push_back({row.line, problem});
    }
    return plans;
}
