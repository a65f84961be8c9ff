#include "planfile/Registrations.h"

#include <algorithm>
#include <tuple>

namespace {
std::uint64_t HashOf(std::string_view text)
{
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    hash = (hash ^ (hash >> 33)) * 0xff51afd7ed558ccdull;
    return hash ^ (hash >> 33);
}
} // namespace

void Registrations::Add(std::string_view registration, int file, int line)
{
    if (registration.empty())
        return;
    m_uses.push_back(Use{HashOf(registration), static_cast<std::uint32_t>(file), static_cast<std::uint32_t>(line),
                         static_cast<std::uint32_t>(m_bytes.size()), static_cast<std::uint32_t>(registration.size())});
    m_bytes.append(registration);
}

std::vector<Registrations::SharedUse> Registrations::SharedUses() const
{
    // The uses by hash, then text; within one registration in the order they were added. The sort
    // moves the hashes with the uses' numbers, so that it compares without looking elsewhere.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> byHash(m_uses.size());
    for (std::uint32_t i = 0; i < byHash.size(); ++i)
        byHash[i] = {m_uses[i].hash, i};
    std::sort(byHash.begin(), byHash.end());
    std::vector<std::uint32_t> order(byHash.size());
    for (size_t begin = 0, end = 0; begin < byHash.size(); begin = end) {
        for (end = begin + 1; end < byHash.size() && byHash[end].first == byHash[begin].first; ++end) {
        }
        for (size_t i = begin; i < end; ++i)
            order[i] = byHash[i].second;
        // Different registrations with the same hash: apart by their text.
        if (end - begin > 1)
            std::stable_sort(order.begin() + static_cast<std::ptrdiff_t>(begin),
                             order.begin() + static_cast<std::ptrdiff_t>(end),
                             [&](std::uint32_t a, std::uint32_t b) { return Text(m_uses[a]) < Text(m_uses[b]); });
    }
    std::vector<SharedUse> uses;
    for (size_t begin = 0, end = 0; begin < order.size(); begin = end) {
        const Use& first = m_uses[order[begin]];
        for (end = begin + 1;
             end < order.size() && m_uses[order[end]].hash == first.hash && Text(m_uses[order[end]]) == Text(first);
             ++end) {
        }
        if (end - begin < 2)
            continue;
        // The first use names the second; every later one names the first.
        const Use& second = m_uses[order[begin + 1]];
        for (size_t i = begin; i < end; ++i) {
            const Use& use = m_uses[order[i]];
            const Use& other = i == begin ? second : first;
            uses.push_back(SharedUse{static_cast<int>(use.file), static_cast<int>(use.line), std::string(Text(use)),
                                     static_cast<int>(end - begin), static_cast<int>(other.file),
                                     static_cast<int>(other.line)});
        }
    }
    std::sort(uses.begin(), uses.end(), [](const SharedUse& a, const SharedUse& b) {
        return std::tie(a.file, a.line) < std::tie(b.file, b.line);
    });
    return uses;
}
