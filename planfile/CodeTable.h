#pragma once
// A table from short texts (airport codes, aircraft keys, registrations) to values, made for
// millions of entries: one flat array probed in place, the first eight bytes of each text kept in
// its slot and all the texts' bytes in one block, so a lookup costs about one cache miss and an
// entry no allocation of its own. Core, no Qt.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

template <typename Value>
class CodeTable {
public:
    // The value for `code`, or null.
    const Value* Find(std::string_view code) const
    {
        if (m_slots.empty())
            return nullptr;
        const std::size_t slot = Locate(code, Hash(code));
        return m_slots[slot].hash == 0 ? nullptr : &m_slots[slot].value;
    }

    // The value for `code`, added (value-initialised) when the table lacks it; `added` says which.
    Value& Insert(std::string_view code, bool& added)
    {
        if ((m_count + 1) * 2 > m_slots.size())
            Grow();
        const std::uint64_t hash = Hash(code);
        Slot& slot = m_slots[Locate(code, hash)];
        added = slot.hash == 0;
        if (added) {
            slot.hash = hash;
            slot.head = Head(code);
            slot.size = static_cast<std::uint32_t>(code.size());
            slot.offset = static_cast<std::uint32_t>(m_bytes.size());
            m_bytes.append(code);
            ++m_count;
        }
        return slot.value;
    }

    std::size_t size() const { return m_count; }

    // Asks for the memory where `code` would be found, so that lookups of several codes wait for
    // memory side by side instead of one after the other.
    void Prefetch(std::string_view code) const
    {
#if defined(__GNUC__) || defined(__clang__)
        // GCC 12 leaves out a request, and the hash that only it needs, when that hash comes from a
        // loop or the request stands behind a test; so the hash is kept in a volatile, and there is
        // no test: the table is never empty.
        const volatile std::uint64_t hash = Hash(code);
        __builtin_prefetch(m_slots.data() + (hash & (m_slots.size() - 1)));
#else
        (void)code;
#endif
    }

private:
    // A slot of a small value fills one cache line, never two.
    struct alignas(64) Slot {
        std::uint64_t hash = 0;   // 0: an empty slot
        std::uint64_t head = 0;   // the text's first eight bytes
        std::uint32_t offset = 0; // of its bytes in m_bytes
        std::uint32_t size = 0;
        Value value{};
    };

    static std::uint64_t Hash(std::string_view code)
    {
        // FNV-1a, then mixed so that the low bits, which pick the slot, depend on every byte; never 0.
        std::uint64_t hash = 14695981039346656037ull;
        for (const char c : code)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        hash = (hash ^ (hash >> 33)) * 0xff51afd7ed558ccdull;
        hash = (hash ^ (hash >> 33)) * 0xc4ceb9fe1a85ec53ull;
        return (hash ^ (hash >> 33)) | 1;
    }

    static std::uint64_t Head(std::string_view code)
    {
        std::uint64_t head = 0;
        std::memcpy(&head, code.data(), code.size() < 8 ? code.size() : 8);
        return head;
    }

    // The slot that holds `code`, or the empty one where it would go.
    std::size_t Locate(std::string_view code, std::uint64_t hash) const
    {
        const std::size_t mask = m_slots.size() - 1;
        const std::uint64_t head = Head(code);
        for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
            const Slot& slot = m_slots[i];
            if (slot.hash == 0)
                return i;
            if (slot.hash == hash && slot.head == head && slot.size == code.size()
                && (code.size() <= 8 || std::string_view(m_bytes).substr(slot.offset, slot.size) == code))
                return i;
        }
    }

    void Grow()
    {
        std::vector<Slot> old(m_slots.size() * 2);
        old.swap(m_slots);
        const std::size_t mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.hash == 0)
                continue;
            std::size_t i = slot.hash & mask;
            while (m_slots[i].hash != 0)
                i = (i + 1) & mask;
            m_slots[i] = slot;
        }
    }

    std::vector<Slot> m_slots = std::vector<Slot>(16); // a power of two, at most half full
    std::string m_bytes;
    std::size_t m_count = 0;
};
