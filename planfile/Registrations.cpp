#include "planfile/Registrations.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace {
constexpr size_t BlockSize = 64 * 1024;
}

std::string_view Registrations::Store(std::string_view text)
{
    if (text.size() > BlockSize / 4) {
        m_blocks.insert(m_blocks.begin(), std::make_unique<char[]>(text.size()));
        std::memcpy(m_blocks.front().get(), text.data(), text.size());
        return {m_blocks.front().get(), text.size()};
    }
    if (m_blocks.empty() || m_blockFree < text.size()) {
        m_blocks.push_back(std::make_unique<char[]>(BlockSize));
        m_blockFree = BlockSize;
    }
    char* const at = m_blocks.back().get() + (BlockSize - m_blockFree);
    std::memcpy(at, text.data(), text.size());
    m_blockFree -= text.size();
    return {at, text.size()};
}

void Registrations::Add(std::string_view registration, int file, int line)
{
    if (registration.empty())
        return;
    const Place place{static_cast<std::uint32_t>(file), static_cast<std::uint32_t>(line)};
    const auto found = m_entries.find(registration);
    if (found == m_entries.end()) {
        m_entries.emplace(Store(registration), Entry{place, 1, place});
        return;
    }
    Entry& entry = found->second;
    if (++entry.plans == 2)
        entry.second = place;
    m_repeats.emplace_back(found->first, place);
}

std::vector<Registrations::SharedUse> Registrations::SharedUses() const
{
    std::vector<SharedUse> uses;
    auto use = [&](std::string_view registration, Place place, const Entry& entry, Place other) {
        uses.push_back(SharedUse{static_cast<int>(place.file), static_cast<int>(place.line), registration,
                                 static_cast<int>(entry.plans), static_cast<int>(other.file),
                                 static_cast<int>(other.line)});
    };
    for (const auto& [registration, place] : m_repeats) {
        const Entry& entry = m_entries.find(registration)->second;
        use(registration, place, entry, entry.first);
        if (place.file == entry.second.file && place.line == entry.second.line)
            use(registration, entry.first, entry, place);
    }
    std::sort(uses.begin(), uses.end(), [](const SharedUse& a, const SharedUse& b) {
        return std::tie(a.file, a.line) < std::tie(b.file, b.line);
    });
    return uses;
}
