#include "planfile/Registrations.h"

#include <algorithm>
#include <tuple>

void Registrations::Add(std::string_view registration, int file, int line)
{
    if (registration.empty())
        return;
    const Place place{static_cast<std::uint32_t>(file), static_cast<std::uint32_t>(line)};
    bool added = false;
    Entry& entry = m_entries.Insert(registration, added);
    if (added)
        entry.first = place;
    else
        m_repeats.emplace_back(registration, place);
    if (++entry.plans == 2)
        entry.second = place;
}

std::vector<Registrations::SharedUse> Registrations::SharedUses() const
{
    std::vector<SharedUse> uses;
    auto use = [&](const std::string& registration, Place place, const Entry& entry, Place other) {
        uses.push_back(SharedUse{static_cast<int>(place.file), static_cast<int>(place.line), registration,
                                 static_cast<int>(entry.plans), static_cast<int>(other.file),
                                 static_cast<int>(other.line)});
    };
    for (const auto& [registration, place] : m_repeats) {
        const Entry& entry = *m_entries.Find(registration);
        use(registration, place, entry, entry.first);
        // The first use is named once, beside the second.
        if (place.file == entry.second.file && place.line == entry.second.line)
            use(registration, entry.first, entry, place);
    }
    std::sort(uses.begin(), uses.end(), [](const SharedUse& a, const SharedUse& b) {
        return std::tie(a.file, a.line) < std::tie(b.file, b.line);
    });
    return uses;
}
