#include "input/CodeOrder.h"

#include "input/Text.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>
#include <utility>

namespace {
// Two numbers that order a code without comparing it to another.
// The head: its first eight bytes lower-cased and padded with zeros, whose order is that of
// CompareNoCase over those bytes.
// The tie, for codes whose heads agree: their length (9 standing for any longer one), then for each
// of the first eight bytes whether it is not a capital. A capital's byte lies below that of its small
// letter, and each small letter has one capital, so codes of one length whose lower-cased bytes
// agree are in byte order when the one with the earlier capital comes first.
// For codes of at most eight bytes head and tie decide the order; codes equal in both are equal.
struct SortKeys {
    std::uint64_t head;
    std::uint16_t tie;
};

SortKeys KeysOf(std::string_view code)
{
    static const std::array<unsigned char, 256> lower = [] {
        std::array<unsigned char, 256> table{};
        for (int byte = 0; byte < 256; ++byte)
            table[static_cast<size_t>(byte)] = LowerByte(static_cast<unsigned char>(byte));
        return table;
    }();
    const size_t length = std::min<size_t>(code.size(), 8);
    std::uint64_t head = 0;
    unsigned notCapital = 0;
    for (size_t i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(code[i]);
        head = (head << 8) | lower[byte];
        notCapital = (notCapital << 1) | (lower[byte] == byte ? 1u : 0u);
    }
    // The missing bytes count as zeros at the end; shifting by 64 is undefined, so twice by half.
    const auto missing = static_cast<unsigned>(8 - length);
    head = (head << (4 * missing)) << (4 * missing);
    notCapital <<= missing;
    const auto shownLength = static_cast<unsigned>(std::min<size_t>(code.size(), 9));
    return {head, static_cast<std::uint16_t>((shownLength << 8) | notCapital)};
}

// Orders `keys` by those bytes of their values in which `varying` has a bit set, least significant
// byte first; keys equal in those bytes keep their order.
template <typename Key, typename ValueOf>
void RadixSortBytes(std::vector<Key>& keys, std::uint64_t varying, ValueOf valueOf)
{
    if (varying == 0)
        return;
    std::vector<Key> scratch(keys.size());
    for (unsigned shift = 0; shift < 64; shift += 8) {
        if (((varying >> shift) & 0xFF) == 0)
            continue;
        std::array<std::uint32_t, 256> count{};
        for (const Key& key : keys)
            ++count[(valueOf(key) >> shift) & 0xFF];
        std::uint32_t position = 0;
        for (std::uint32_t& c : count)
            position += std::exchange(c, position);
        for (const Key& key : keys)
            scratch[count[(valueOf(key) >> shift) & 0xFF]++] = key;
        keys.swap(scratch);
    }
}

bool LessNoCase(std::string_view a, std::string_view b)
{
    const int order = CompareNoCase(a, b);
    return order != 0 ? order < 0 : a < b;
}
} // namespace

// A radix sort by tie and then by head: a byte that is the same in every key, such as the padding of
// four-letter codes or the tie of codes all in capitals, costs no pass, and codes that repeat cost no
// comparison. Only codes longer than eight bytes whose heads agree are compared in full.
std::vector<std::uint32_t> SortedCodeOrder(const EntryList& codes)
{
    const size_t n = codes.size();
    std::vector<std::uint32_t> order(n);
    if (n == 0)
        return order;
    std::vector<std::uint64_t> heads(n);
    std::vector<std::uint16_t> ties(n);
    std::uint64_t headsVary = 0; // the bits in which some head differs from the first
    std::uint64_t tiesVary = 0;
    size_t longest = 0;
    for (size_t i = 0; i < n; ++i) {
        const SortKeys keys = KeysOf(codes[i]);
        heads[i] = keys.head;
        ties[i] = keys.tie;
        headsVary |= heads[i] ^ heads[0];
        tiesVary |= static_cast<std::uint64_t>(ties[i] ^ ties[0]);
        longest = std::max(longest, codes[i].size());
    }

    constexpr unsigned IndexBits = 24;
    constexpr std::uint64_t IndexMask = (std::uint64_t{1} << IndexBits) - 1;
    if (longest <= 5 && n <= IndexMask) {
        // Codes of up to five bytes leave the low three bytes of their heads empty: the index goes
        // there, and the numbers themselves are sorted, with no lookup per step but for the tie.
        for (size_t i = 0; i < n; ++i)
            heads[i] |= i;
        RadixSortBytes(heads, tiesVary, [&ties](std::uint64_t key) { return ties[key & IndexMask]; });
        RadixSortBytes(heads, headsVary, [](std::uint64_t key) { return key; });
        for (size_t i = 0; i < n; ++i)
            order[i] = static_cast<std::uint32_t>(heads[i] & IndexMask);
        return order;
    }

    std::iota(order.begin(), order.end(), std::uint32_t{0});
    RadixSortBytes(order, tiesVary, [&ties](std::uint32_t index) { return ties[index]; });
    RadixSortBytes(order, headsVary, [&heads](std::uint32_t index) { return heads[index]; });
    if (longest <= 8)
        return order;
    std::vector<std::uint64_t> sortedHeads(n);
    for (size_t i = 0; i < n; ++i)
        sortedHeads[i] = heads[order[i]];
    for (auto first = sortedHeads.begin(); first != sortedHeads.end();) {
        const auto last =
            std::find_if(first, sortedHeads.end(), [first](std::uint64_t head) { return head != *first; });
        const auto begin = order.begin() + (first - sortedHeads.begin());
        const auto end = order.begin() + (last - sortedHeads.begin());
        if (std::any_of(begin, end, [&codes](std::uint32_t index) { return codes[index].size() > 8; }))
            std::sort(begin, end,
                      [&codes](std::uint32_t a, std::uint32_t b) { return LessNoCase(codes[a], codes[b]); });
        first = last;
    }
    return order;
}
