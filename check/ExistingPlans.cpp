#include "check/ExistingPlans.h"

#include "check/PlanCheck.h"
#include "input/Text.h"
#include "input/TextFile.h"
#include "planfile/PlanFindings.h"

#include <algorithm>

namespace {
// The fields of a line up to the fourth; fewer when the line has fewer.
std::vector<std::string_view> FirstFields(std::string_view line, size_t count)
{
    std::vector<std::string_view> fields;
    while (fields.size() < count) {
        const size_t comma = line.find(',');
        fields.push_back(line.substr(0, comma));
        if (comma == std::string_view::npos)
            break;
        line.remove_prefix(comma + 1);
    }
    return fields;
}
} // namespace

std::vector<std::int64_t> ExistingPlans::LinesOf(std::string_view registration) const
{
    std::vector<std::int64_t> lines;
    auto it = std::lower_bound(registrations.begin(), registrations.end(), registration,
                               [](const auto& entry, std::string_view wanted) { return entry.first < wanted; });
    for (; it != registrations.end() && it->first == registration; ++it)
        lines.push_back(it->second);
    return lines;
}

std::string ExistingPlans::NotesText() const
{
    std::string text;
    for (const TextNote& note : notes)
        text += (text.empty() ? "" : "\n") + std::string("Warning: line ") + std::to_string(note.line)
                + " of the plan file: " + note.text + ".";
    if (moreNotes > 0)
        text += "\nWarning: " + CountText(moreNotes, "more line") + " with a lone CR.";
    return text;
}

ExistingPlans ReadExistingPlans(const std::filesystem::path& path, const std::atomic<bool>& stop)
{
    // A file with a CR in every line is not kept note by note.
    constexpr size_t MostNotesKept = 3;
    ExistingPlans plans;
    bool stopped = false;
    const bool read = ReadNotedLines(
        path, plans.error,
        [&](std::string_view line, std::int64_t number) {
            if (stop.load(std::memory_order_relaxed)) {
                stopped = true;
                return false;
            }
            const std::string_view text = TrimLeftView(line);
            if (text.starts_with(';') || text.starts_with("//"))
                return true;
            const std::vector<std::string_view> fields = FirstFields(text, 4);
            if (fields.size() == 4 && PeriodMinutes(TrimBlanks(fields[3])))
                plans.registrations.emplace_back(TrimBlanks(fields[1]), number);
            return true;
        },
        [&](TextNote&& note) {
            // The first ones and the last, which is the Ctrl-Z's when there is one.
            if (plans.notes.size() < MostNotesKept) {
                plans.notes.push_back(std::move(note));
            } else {
                ++plans.moreNotes;
                plans.notes.back() = std::move(note);
            }
        });
    if (stopped) {
        plans.error = "reading was stopped";
        return plans;
    }
    if (!read)
        return plans;
    std::sort(plans.registrations.begin(), plans.registrations.end());
    plans.ok = true;
    return plans;
}
