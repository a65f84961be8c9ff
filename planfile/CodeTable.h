#pragma once
// A table from short texts (airport codes, aircraft keys) to values, made for millions of entries:
// the entries lie in one array in the order they were added, and a flat array of 8-byte slots, probed
// in place, leads to them. An entry keeps its hash and the first eight bytes of its text; longer texts
// keep the rest in one block. No entry costs an allocation of its own. Core, no Qt.

#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>
#include <vector>

template <typename Value>
class CodeTable {
public:
    // Never 0; a caller that looks up many codes computes it once and hands it to the calls below.
    static std::uint64_t Hash(std::string_view code)
    {
        // The text eight bytes at a time, then mixed so that the low bits, which pick the slot, and the
        // high ones, which a slot keeps, depend on every byte. Most codes take one step.
        std::uint64_t hash = code.size() * 0x9e3779b97f4a7c15ull;
        for (std::size_t at = 0; at < code.size(); at += 8)
            hash = (hash ^ Head(code.substr(at))) * 0xff51afd7ed558ccdull;
        hash = (hash ^ (hash >> 33)) * 0xc4ceb9fe1a85ec53ull;
        return (hash ^ (hash >> 33)) | 1;
    }

    // The value for `code`, or null.
    const Value* Find(std::string_view code) const { return Find(code, Hash(code)); }
    const Value* Find(std::string_view code, std::uint64_t hash) const
    {
        std::size_t empty = 0;
        const std::uint32_t index = Locate(code, hash, empty);
        return index == NoEntry ? nullptr : &m_entries[index].value;
    }

    // The value for `code`, added (value-initialised) when the table lacks it; `added` says which.
    Value& Insert(std::string_view code, bool& added) { return Insert(code, Hash(code), added); }
    Value& Insert(std::string_view code, std::uint64_t hash, bool& added)
    {
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            Grow(m_slots.size() * 2);
        std::size_t empty = 0;
        std::uint32_t index = Locate(code, hash, empty);
        added = index == NoEntry;
        if (added) {
            index = static_cast<std::uint32_t>(m_entries.size());
            Entry& entry = m_entries.emplace_back();
            entry.hash = hash;
            entry.head = Head(code);
            entry.size = static_cast<std::uint32_t>(code.size());
            if (code.size() > sizeof entry.head) {
                entry.offset = static_cast<std::uint32_t>(m_bytes.size());
                m_bytes.insert(m_bytes.end(), code.begin() + sizeof entry.head, code.end());
            }
            m_slots[empty] = SlotFor(hash, index);
        }
        return m_entries[index].value;
    }

    // Room for `count` entries without growing.
    void Reserve(std::size_t count)
    {
        std::size_t wanted = m_slots.size();
        while (count * 2 > wanted)
            wanted *= 2;
        if (wanted != m_slots.size())
            Grow(wanted);
        m_entries.reserve(count);
    }

    std::size_t size() const { return m_entries.size(); }

    // Looks up many codes, each a few ahead of the next in asking for memory, so that their waits
    // overlap: `found` gets the value of each code, or null. `hashes` is room for the work.
    void FindMany(std::span<const std::string_view> codes, std::vector<std::uint64_t>& hashes,
                  std::vector<const Value*>& found) const
    {
        const std::size_t count = codes.size();
        hashes.resize(count);
        found.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            hashes[i] = Hash(codes[i]);
            if (i < SlotsAhead)
                PrefetchSlot(hashes[i]);
        }
        for (std::size_t i = 0; i < count; ++i) {
            if (i + SlotsAhead < count)
                PrefetchSlot(hashes[i + SlotsAhead]);
            if (i + EntriesAhead < count)
                PrefetchEntry(hashes[i + EntriesAhead]);
            found[i] = Find(codes[i], hashes[i]);
        }
    }
    // How far ahead lookups ask for their slots and entries: far enough for memory to answer, near
    // enough that the processor can wait for all of them at once.
    static constexpr std::size_t SlotsAhead = 16;
    static constexpr std::size_t EntriesAhead = 8;

    // Asks for the slot where `hash` would be found. Lookups of several codes then wait for memory
    // side by side instead of one after the other.
    void PrefetchSlot(std::uint64_t hash) const { Prefetch(&m_slots[hash & (m_slots.size() - 1)]); }
    // Asks for the entry the slot of `hash` leads to; best once that slot has been asked for.
    void PrefetchEntry(std::uint64_t hash) const
    {
        const std::uint64_t slot = m_slots[hash & (m_slots.size() - 1)];
        if (slot != 0)
            Prefetch(&m_entries[static_cast<std::uint32_t>(slot) - 1]);
    }

private:
    static constexpr std::uint32_t NoEntry = 0xffffffffu;

    // An entry of a small value fills one cache line, never two.
    struct alignas(64) Entry {
        std::uint64_t hash = 0;
        std::uint64_t head = 0;   // the text's first eight bytes
        std::uint32_t size = 0;   // of the text
        std::uint32_t offset = 0; // of the bytes after the first eight in m_bytes
        Value value{};
    };

    static void Prefetch(const void* address)
    {
#if defined(__GNUC__) || defined(__clang__)
        __builtin_prefetch(address);
#else
        (void)address;
#endif
    }

    // The upper half of the hash beside the entry's index plus one, so that a slot is 0 only when empty.
    static std::uint64_t SlotFor(std::uint64_t hash, std::uint32_t index)
    {
        return (hash & 0xffffffff00000000ull) | (static_cast<std::uint64_t>(index) + 1);
    }

    static std::uint64_t Head(std::string_view code)
    {
        std::uint64_t head = 0;
        std::memcpy(&head, code.data(), code.size() < sizeof head ? code.size() : sizeof head);
        return head;
    }

    // The index of the entry for `code`, or NoEntry with `empty` the slot where it would go.
    std::uint32_t Locate(std::string_view code, std::uint64_t hash, std::size_t& empty) const
    {
        const std::size_t mask = m_slots.size() - 1;
        const std::uint64_t head = Head(code);
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const std::uint64_t slot = m_slots[i];
            if (slot == 0) {
                empty = i;
                return NoEntry;
            }
            if ((slot ^ hash) >> 32 != 0)
                continue;
            const auto index = static_cast<std::uint32_t>(slot - 1);
            const Entry& entry = m_entries[index];
            if (entry.head == head && entry.size == code.size()
                && (code.size() <= sizeof head
                    || std::memcmp(m_bytes.data() + entry.offset, code.data() + sizeof head, code.size() - sizeof head)
                           == 0))
                return index;
        }
    }

    void Grow(std::size_t size)
    {
        m_slots.assign(size, 0);
        const std::size_t mask = size - 1;
        for (std::uint32_t index = 0; index < m_entries.size(); ++index) {
            const std::uint64_t hash = m_entries[index].hash;
            std::size_t i = hash & mask;
            while (m_slots[i] != 0)
                i = (i + 1) & mask;
            m_slots[i] = SlotFor(hash, index);
        }
    }

    std::vector<std::uint64_t> m_slots = std::vector<std::uint64_t>(16); // a power of two, at most half full
    std::vector<Entry> m_entries;
    std::vector<char> m_bytes;
};
