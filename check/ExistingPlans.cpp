#include "check/ExistingPlans.h"

#include "check/PlanCheck.h"
#include "input/Text.h"
#include "input/TextFile.h"

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

std::vector<int> ExistingPlans::LinesOf(std::string_view registration) const
{
    std::vector<int> lines;
    auto it = std::lower_bound(registrations.begin(), registrations.end(), registration,
                               [](const auto& entry, std::string_view wanted) { return entry.first < wanted; });
    for (; it != registrations.end() && it->first == registration; ++it)
        lines.push_back(it->second);
    return lines;
}

ExistingPlans ReadExistingPlans(const std::filesystem::path& path, const std::atomic<bool>& stop)
{
    ExistingPlans plans;
    TextFileReader reader(path, ReadMode::CheckedText);
    if (!reader.IsOpen()) {
        plans.error = reader.OpenError();
        return plans;
    }
    std::string line;
    for (int number = 1; reader.ReadLine(line); ++number) {
        if (stop.load(std::memory_order_relaxed)) {
            plans.error = "reading was stopped";
            return plans;
        }
        const std::string_view text = TrimLeftView(line);
        if (text.starts_with(';') || text.starts_with("//"))
            continue;
        const std::vector<std::string_view> fields = FirstFields(text, 4);
        if (fields.size() == 4 && PeriodMinutes(TrimBlanks(fields[3])))
            plans.registrations.emplace_back(TrimBlanks(fields[1]), number);
    }
    if (reader.HadReadError()) {
        plans.error = "the file could not be read to its end";
        return plans;
    }
    std::sort(plans.registrations.begin(), plans.registrations.end());
    plans.ok = true;
    return plans;
}
