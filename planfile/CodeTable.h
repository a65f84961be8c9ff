#pragma once
// A table from short texts (airport codes, aircraft keys) to small values, made for tens of millions
// of entries in little memory: an entry is 16 bytes (the text's first eight bytes, its size or where
// the rest lies, a value of at most four bytes) in blocks that never move, and an array of 4-byte
// slots, at most half full and probed in place, leads to them. Texts longer than eight bytes keep the
// rest in one block. No entry costs an allocation of its own, and nothing is copied as the table grows
// but the slots. Core, no Qt.

#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <string_view>
#include <type_traits>
#include <vector>

// An array that grows a block at a time: what it holds never moves, and growing never copies it.
template <typename Item>
class BlockArray {
public:
    BlockArray() = default;
    BlockArray(BlockArray&&) noexcept = default;
    BlockArray& operator=(BlockArray&&) noexcept = default;
    ~BlockArray() = default;
    BlockArray(const BlockArray& other) { *this = other; }
    BlockArray& operator=(const BlockArray& other)
    {
        if (this == &other)
            return *this;
        m_blocks.clear();
        m_size = 0;
        for (std::size_t i = 0; i < other.size(); ++i)
            push_back(other[i]);
        return *this;
    }

    Item& operator[](std::size_t index) { return m_blocks[index >> BlockBits][index & BlockMask]; }
    const Item& operator[](std::size_t index) const { return m_blocks[index >> BlockBits][index & BlockMask]; }
    std::size_t size() const { return m_size; }

    Item& push_back(const Item& item)
    {
        if ((m_size & BlockMask) == 0)
            m_blocks.push_back(std::make_unique_for_overwrite<Item[]>(std::size_t{1} << BlockBits));
        Item& added = (*this)[m_size++];
        added = item;
        return added;
    }

private:
    static constexpr unsigned BlockBits = 12;
    static constexpr std::size_t BlockMask = (std::size_t{1} << BlockBits) - 1;
    std::vector<std::unique_ptr<Item[]>> m_blocks;
    std::size_t m_size = 0;
};

template <typename Value>
class CodeTable {
    static_assert(sizeof(Value) <= 4 && std::is_trivially_copyable_v<Value>, "a value of at most four bytes");

public:
    // Never 0; a caller that looks up many codes computes it once and hands it to the calls below.
    static std::uint64_t Hash(std::string_view code)
    {
        return HashParts(Head(code), code.size() > HeadBytes ? code.substr(HeadBytes) : std::string_view(),
                         code.size());
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
    // What it refers to stays where it is while the table grows.
    Value& Insert(std::string_view code, bool& added) { return Insert(code, Hash(code), added); }
    Value& Insert(std::string_view code, std::uint64_t hash, bool& added)
    {
        if ((m_entries.size() + 1) * 2 > m_slots.size())
            Grow(m_slots.size() * 2);
        std::size_t empty = 0;
        std::uint32_t index = Locate(code, hash, empty);
        added = index == NoEntry;
        if (added) {
            if (m_entries.size() >= MostEntries)
                throw std::bad_alloc();
            index = static_cast<std::uint32_t>(m_entries.size());
            m_entries.push_back(Entry{Head(code), TextOf(code), Value{}});
            m_slots[empty] = index + 1;
        }
        return m_entries[index].value;
    }

    // Room for `count` entries without growing.
    void Reserve(std::size_t count)
    {
        if (count > MostEntries)
            count = MostEntries;
        if (count * 2 > m_slots.size())
            Grow((count * 2 + 15) / 16 * 16);
    }

    std::size_t size() const { return m_entries.size(); }

    // Looks up many codes, each a few ahead of the next in asking for memory, so that their waits
    // overlap: `found` gets `answer(value)` of each code, the value null where the table lacks it.
    // `hashes` is room for the work.
    template <typename Found, typename Answer>
    void FindMany(std::span<const std::string_view> codes, std::vector<std::uint64_t>& hashes,
                  std::vector<Found>& found, Answer answer) const
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
            found[i] = answer(Find(codes[i], hashes[i]));
        }
    }
    void FindMany(std::span<const std::string_view> codes, std::vector<std::uint64_t>& hashes,
                  std::vector<const Value*>& found) const
    {
        FindMany(codes, hashes, found, [](const Value* value) { return value; });
    }
    // How far ahead lookups ask for their slots and entries: far enough for memory to answer, near
    // enough that the processor can wait for all of them at once.
    static constexpr std::size_t SlotsAhead = 16;
    static constexpr std::size_t EntriesAhead = 8;

    // Asks for the slot where `hash` would be found. Lookups of several codes then wait for memory
    // side by side instead of one after the other.
    void PrefetchSlot(std::uint64_t hash) const { Prefetch(&m_slots[SlotOf(hash)]); }
    // Asks for the entry the slot of `hash` leads to; best once that slot has been asked for.
    void PrefetchEntry(std::uint64_t hash) const
    {
        const std::uint32_t slot = m_slots[SlotOf(hash)];
        if (slot != 0)
            Prefetch(&m_entries[slot - 1]);
    }

private:
    static constexpr std::uint32_t NoEntry = 0xffffffffu;
    // So that the slots, twice as many, can be scaled to in 64 bits.
    static constexpr std::size_t MostEntries = 0x7fffffff;
    static constexpr std::size_t HeadBytes = 8;
    // Beside a text's head: its size when it has at most eight bytes, else this bit and the offset in
    // m_bytes of its size (four bytes) and the bytes after the head.
    static constexpr std::uint32_t LongText = 0x80000000u;

    struct Entry {
        std::uint64_t head; // the text's first eight bytes, zeros after a shorter one
        std::uint32_t text;
        Value value;
    };

    static void Prefetch(const void* address)
    {
#if defined(__GNUC__) || defined(__clang__)
        __builtin_prefetch(address);
#else
        (void)address;
#endif
    }

    static std::uint64_t Head(std::string_view code)
    {
        std::uint64_t head = 0;
        std::memcpy(&head, code.data(), code.size() < HeadBytes ? code.size() : HeadBytes);
        return head;
    }

    // The text eight bytes at a time, then mixed so that every bit, and so the slot picked from the
    // high half, depends on every byte. Most codes take one step.
    static std::uint64_t HashParts(std::uint64_t head, std::string_view tail, std::size_t size)
    {
        std::uint64_t hash = (size * 0x9e3779b97f4a7c15ull ^ head) * 0xff51afd7ed558ccdull;
        for (std::size_t at = 0; at < tail.size(); at += HeadBytes)
            hash = (hash ^ Head(tail.substr(at))) * 0xff51afd7ed558ccdull;
        hash = (hash ^ (hash >> 33)) * 0xc4ceb9fe1a85ec53ull;
        return (hash ^ (hash >> 33)) | 1;
    }

    // The slot a hash starts at: its high half scaled to the slots, which need not be a power of two.
    std::size_t SlotOf(std::uint64_t hash) const
    {
        return static_cast<std::size_t>(((hash >> 32) * m_slots.size()) >> 32);
    }

    std::uint32_t TextOf(std::string_view code)
    {
        if (code.size() <= HeadBytes)
            return static_cast<std::uint32_t>(code.size());
        const std::size_t offset = m_bytes.size();
        if (offset >= LongText || code.size() > 0xffffffffu)
            throw std::bad_alloc();
        const auto size = static_cast<std::uint32_t>(code.size());
        m_bytes.resize(offset + sizeof size);
        std::memcpy(m_bytes.data() + offset, &size, sizeof size);
        m_bytes.insert(m_bytes.end(), code.begin() + HeadBytes, code.end());
        return LongText | static_cast<std::uint32_t>(offset);
    }

    // The bytes after the head of a long text, and its size.
    std::string_view TailOf(const Entry& entry, std::size_t& size) const
    {
        const char* at = m_bytes.data() + (entry.text & ~LongText);
        std::uint32_t stored = 0;
        std::memcpy(&stored, at, sizeof stored);
        size = stored;
        return {at + sizeof stored, size - HeadBytes};
    }

    bool Holds(const Entry& entry, std::uint64_t head, std::string_view code) const
    {
        if (entry.head != head)
            return false;
        if (code.size() <= HeadBytes)
            return entry.text == code.size();
        if ((entry.text & LongText) == 0)
            return false;
        std::size_t size = 0;
        const std::string_view tail = TailOf(entry, size);
        return size == code.size() && tail == code.substr(HeadBytes);
    }

    // The index of the entry for `code`, or NoEntry with `empty` the slot where it would go.
    std::uint32_t Locate(std::string_view code, std::uint64_t hash, std::size_t& empty) const
    {
        const std::uint64_t head = Head(code);
        for (std::size_t i = SlotOf(hash);; i = i + 1 == m_slots.size() ? 0 : i + 1) {
            const std::uint32_t slot = m_slots[i];
            if (slot == 0) {
                empty = i;
                return NoEntry;
            }
            if (Holds(m_entries[slot - 1], head, code))
                return slot - 1;
        }
    }

    void Grow(std::size_t size)
    {
        // The slots alone are built again: each entry's hash from its text.
        m_slots.clear();
        m_slots.shrink_to_fit();
        m_slots.assign(size, 0);
        for (std::size_t index = 0; index < m_entries.size(); ++index) {
            const Entry& entry = m_entries[index];
            std::uint64_t hash = 0;
            if ((entry.text & LongText) == 0) {
                hash = HashParts(entry.head, {}, entry.text);
            } else {
                std::size_t textSize = 0;
                const std::string_view tail = TailOf(entry, textSize);
                hash = HashParts(entry.head, tail, textSize);
            }
            std::size_t i = SlotOf(hash);
            while (m_slots[i] != 0)
                i = i + 1 == size ? 0 : i + 1;
            m_slots[i] = static_cast<std::uint32_t>(index + 1);
        }
    }

    std::vector<std::uint32_t> m_slots = std::vector<std::uint32_t>(16); // at most half full
    BlockArray<Entry> m_entries;
    std::vector<char> m_bytes;
};
