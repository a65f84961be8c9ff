#include "planfile/PlanTable.h"

#include "input/Text.h"
#include "planfile/RawLines.h"
#include "planfile/Registrations.h"

#include <algorithm>

namespace {
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

PlanTable ReadPlanTable(const std::filesystem::path& path, const ReferenceData& data, int turnaround,
                        const ShiftProgress& progress)
{
    PlanTable table;
    RawLineReader reader(path);
    if (!reader.OpenError().empty()) {
        table.error = reader.OpenError();
        return table;
    }
    Registrations registrations;
    PlanLine plan;
    WalkedLoop loop;
    std::vector<Finding> findings;
    std::string reason;
    while (reader.Next()) {
        if (progress && reader.LineNumber() % 4096 == 0 && !progress(reader.Offset(), reader.Size())) {
            table.cancelled = true;
            return table;
        }
        const PlanLineKind kind = ReadPlanLine(reader.Line(), plan, reason);
        if (kind == PlanLineKind::Blank || kind == PlanLineKind::Comment)
            continue;
        PlanRow& row = table.rows.emplace_back();
        row.line = reader.LineNumber();
        row.offset = reader.Offset();
        row.textAt = static_cast<std::uint32_t>(table.text.size());
        row.plan = kind == PlanLineKind::Plan;
        if (!row.plan) {
            row.aircraftSize = Append(table.text, Field(reader.Line(), 0));
            row.registrationSize = Append(table.text, Field(reader.Line(), 1));
            row.periodSize = Append(table.text, Field(reader.Line(), 3));
            row.errors = 1;
            continue;
        }
        row.aircraftSize = Append(table.text, plan.aircraftKey);
        row.registrationSize = Append(table.text, plan.registration);
        row.periodSize = Append(table.text, plan.period);
        row.legs = static_cast<std::uint32_t>(plan.legs.size());
        WalkLoop(plan, data, loop);
        registrations.Add(plan.registration, 0, row.line);
        findings.clear();
        CheckPlan(plan, loop, turnaround, findings);
        for (const Finding& finding : findings)
            ++(finding.level == FindingLevel::Error ? row.errors : row.warnings);
    }
    if (reader.HadReadError())
        table.error = "the file could not be read to its end";
    for (const Registrations::SharedUse& use : registrations.SharedUses()) {
        const auto row = std::lower_bound(table.rows.begin(), table.rows.end(), use.line,
                                          [](const PlanRow& r, int line) { return r.line < line; });
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
    std::string reason;
    detail.plan = ReadPlanLine(detail.line, detail.parsed, reason) == PlanLineKind::Plan;
    if (!detail.plan) {
        detail.findings.push_back({FindingLevel::Error, reason});
        return true;
    }
    WalkLoop(detail.parsed, data, detail.loop);
    CheckPlan(detail.parsed, detail.loop, turnaround, detail.findings);
    const auto shared = std::lower_bound(table.shared.begin(), table.shared.end(), row.line,
                                         [](const auto& entry, int line) { return entry.first < line; });
    if (shared != table.shared.end() && shared->first == row.line)
        detail.findings.push_back({FindingLevel::Warning, shared->second});
    return true;
}
