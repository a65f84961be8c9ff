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

void Registrations::Add(std::string_view registration, int file, std::int64_t line)
{
    if (registration.empty())
        return;
    const std::uint64_t place = static_cast<std::uint64_t>(file) << LineBits | static_cast<std::uint64_t>(line);
    m_uses.push_back(Use{HashOf(registration), place, static_cast<std::uint32_t>(m_bytes.size()),
                         static_cast<std::uint32_t>(registration.size())});
    m_bytes.append(registration);
}

void Registrations::ForEachSharedUse(const std::function<void(const SharedUse&)>& visit) const
{
    // The uses by hash, then text; within one registration in the order they were added. The sort
    // moves the hashes with the uses' numbers, so that it compares without looking elsewhere.
    // First by the top 16 bits of the hash, counting, which puts a few uses in each of 65,536 runs; then
    // each run by itself. Half a million uses take two passes and many tiny sorts.
    constexpr int TopBits = 16;
    std::vector<std::uint32_t> runStart((1u << TopBits) + 1, 0);
    for (const Use& use : m_uses)
        ++runStart[(use.hash >> (64 - TopBits)) + 1];
    for (size_t run = 1; run < runStart.size(); ++run)
        runStart[run] += runStart[run - 1];
    std::vector<std::pair<std::uint64_t, std::uint32_t>> byHash(m_uses.size());
    std::vector<std::uint32_t> next(runStart.begin(), runStart.end() - 1);
    for (std::uint32_t i = 0; i < m_uses.size(); ++i)
        byHash[next[m_uses[i].hash >> (64 - TopBits)]++] = {m_uses[i].hash, i};
    for (size_t run = 0; run + 1 < runStart.size(); ++run) {
        if (runStart[run + 1] - runStart[run] > 1)
            std::sort(byHash.begin() + runStart[run], byHash.begin() + runStart[run + 1]);
    }
    // Each shared use as its use, the other use it names and how many plans share the registration.
    struct Shared {
        std::uint32_t use = 0;
        std::uint32_t other = 0;
        std::uint32_t plans = 0;
    };
    std::vector<Shared> uses;
    // Only a hash that comes more than once is looked at further: its uses, apart by their text, since
    // different registrations may share a hash. Within one registration they stay in the order added.
    std::vector<std::uint32_t> group;
    for (size_t begin = 0, end = 0; begin < byHash.size(); begin = end) {
        for (end = begin + 1; end < byHash.size() && byHash[end].first == byHash[begin].first; ++end) {
        }
        if (end - begin < 2)
            continue;
        group.clear();
        for (size_t i = begin; i < end; ++i)
            group.push_back(byHash[i].second);
        std::stable_sort(group.begin(), group.end(),
                         [&](std::uint32_t a, std::uint32_t b) { return Text(m_uses[a]) < Text(m_uses[b]); });
        for (size_t first = 0, last = 0; first < group.size(); first = last) {
            const std::string_view text = Text(m_uses[group[first]]);
            for (last = first + 1; last < group.size() && Text(m_uses[group[last]]) == text; ++last) {
            }
            if (last - first < 2)
                continue;
            // The first use names the second; every later one names the first.
            for (size_t i = first; i < last; ++i)
                uses.push_back(
                    Shared{group[i], group[i == first ? first + 1 : first], static_cast<std::uint32_t>(last - first)});
        }
    }
    byHash = {};
    std::sort(uses.begin(), uses.end(),
              [&](const Shared& a, const Shared& b) { return m_uses[a.use].place < m_uses[b.use].place; });
    for (const Shared& shared : uses) {
        const Use& use = m_uses[shared.use];
        const Use& other = m_uses[shared.other];
        visit(SharedUse{FileOf(use), LineOf(use), std::string(Text(use)), static_cast<int>(shared.plans), FileOf(other),
                        LineOf(other)});
    }
}

std::vector<Registrations::SharedUse> Registrations::SharedUses() const
{
    std::vector<SharedUse> uses;
    ForEachSharedUse([&](const SharedUse& use) { uses.push_back(use); });
    return uses;
}
