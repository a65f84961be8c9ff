#pragma once
// A table from short texts (airport codes, aircraft keys) to small values or larger records, made for
// tens of millions of entries in little memory: an entry holds the text's first eight bytes, its size
// or where the rest lies, and a value of at most four bytes (16 bytes in all) or a record; entries lie
// in blocks that never move, and an array of 4-byte slots, at most half full and probed in place,
// leads to them. A slot keeps its entry's kind and index and, in the bits these do not need, some of
// its hash, so that most slots of other codes are passed without reading their entries. A lookup
// reads a slot and an entry, record included. Texts longer than eight bytes keep the
// rest in one block. No entry costs an allocation of its own, and nothing is copied as the table grows
// but the slots. Core, no Qt.

#include "planfile/Prefetch.h"

#include <bit>
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

// The record of a table whose codes hold values only.
struct NoRecord {};

template <typename Value, typename Record = NoRecord>
class CodeTable {
    static_assert(sizeof(Value) <= 4 && std::is_trivially_copyable_v<Value>, "a value of at most four bytes");
    static_assert(std::is_trivially_copyable_v<Record>);

public:
    // What the table holds for a code: a value, a record, or neither when it lacks the code.
    struct Held {
        const Value* value = nullptr;
        const Record* record = nullptr;
        bool Found() const { return value != nullptr || record != nullptr; }
    };

    // Never 0; a caller that looks up many codes computes it once and hands it to the calls below.
    static std::uint64_t Hash(std::string_view code)
    {
        return HashParts(Head(code), code.size() > HeadBytes ? code.substr(HeadBytes) : std::string_view(),
                         code.size());
    }

    Held FindHeld(std::string_view code, std::uint64_t hash) const
    {
        std::size_t at = 0;
        return HeldBy(Locate(code, hash, at));
    }
    // The value for `code`, or null (also when it holds a record).
    const Value* Find(std::string_view code) const { return Find(code, Hash(code)); }
    const Value* Find(std::string_view code, std::uint64_t hash) const { return FindHeld(code, hash).value; }

    // The value for `code`, added (value-initialised) when the table lacks it; `added` says which.
    // What it refers to stays where it is while the table grows. Not for a code that holds a record.
    Value& Insert(std::string_view code, bool& added) { return Insert(code, Hash(code), added); }
    Value& Insert(std::string_view code, std::uint64_t hash, bool& added)
    {
        static_assert(std::is_same_v<Record, NoRecord>, "a table of records adds values with Add");
        MakeRoom();
        std::size_t at = 0;
        std::uint32_t slot = Locate(code, hash, at);
        added = slot == 0;
        if (added) {
            slot = SlotFor(hash, false, m_entries.size());
            m_entries.push_back(Entry{Head(code), TextOf(code), Value{}});
            m_slots[at] = slot;
        }
        return m_entries[(slot & m_indexMask) - 1].value;
    }

    // Adds `code` with `value` unless the table holds it, with a value or a record; false when it does.
    bool Add(std::string_view code, std::uint64_t hash, const Value& value)
    {
        MakeRoom();
        std::size_t at = 0;
        if (Locate(code, hash, at) != 0)
            return false;
        m_slots[at] = SlotFor(hash, false, m_entries.size());
        m_entries.push_back(Entry{Head(code), TextOf(code), value});
        return true;
    }

    // Gives `code` the record unless it holds one: a code that held a value holds the record instead.
    // False when the code held a record already.
    bool KeepRecord(std::string_view code, std::uint64_t hash, const Record& record)
    {
        MakeRoom();
        std::size_t at = 0;
        const std::uint32_t slot = Locate(code, hash, at);
        if (slot != 0 && (slot & m_kindBit) != 0)
            return false;
        // A value given up stays in its block, unread: codes rarely gain a record after a value.
        const std::uint32_t text = slot == 0 ? TextOf(code) : m_entries[(slot & m_indexMask) - 1].text;
        m_givenUp += slot == 0 ? 0 : 1;
        m_slots[at] = SlotFor(hash, true, m_records.size());
        m_records.push_back(RecordEntry{Head(code), text, record});
        return true;
    }

    // Room for `count` entries without growing.
    void Reserve(std::size_t count)
    {
        if (count > MostEntries)
            count = MostEntries;
        if (count * 2 > m_slots.size())
            Grow((count * 2 + 15) / 16 * 16);
    }

    // The codes held.
    std::size_t size() const { return m_entries.size() - m_givenUp + m_records.size(); }

    // Looks up many codes in three passes, so that their waits for memory overlap instead of following
    // one another: the first asks for every code's slot, the second for the entry each slot leads to,
    // the third compares. `found` gets `answer(held)` of each code. `hashes` is room for the work.
    // Callers keep the codes of one call to a few thousand, whose slots and entries stay in the
    // processor's cache between the passes.
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
            found[i] = answer(FindHeld(codes[i], hashes[i]));
        }
    }
    void FindMany(std::span<const std::string_view> codes, std::vector<std::uint64_t>& hashes,
                  std::vector<const Value*>& found) const
    {
        FindMany(codes, hashes, found, [](const Held& held) { return held.value; });
    }
    // How far ahead a caller that adds or looks up codes one at a time asks for their slots and
    // entries: far enough for memory to answer, near enough that the processor can wait for all of
    // them at once.
    static constexpr std::size_t SlotsAhead = 24;
    static constexpr std::size_t EntriesAhead = 12;

    // Asks for the slot where `hash` would be found. Lookups of several codes then wait for memory
    // side by side instead of one after the other.
    void PrefetchSlot(std::uint64_t hash) const { ::Prefetch(&m_slots[SlotOf(hash)]); }
    // Asks for the entry `hash` most likely leads to; best once its slot has been asked for.
    void PrefetchEntry(std::uint64_t hash) const
    {
        const std::uint32_t tag = TagOf(hash);
        for (std::size_t i = SlotOf(hash);; i = i + 1 == m_slots.size() ? 0 : i + 1) {
            const std::uint32_t slot = m_slots[i];
            if (slot == 0)
                return;
            if ((slot & m_tagMask) == tag) {
                const std::size_t index = (slot & m_indexMask) - 1;
                if ((slot & m_kindBit) != 0) {
                    // A record may span two cache lines.
                    ::Prefetch(&m_records[index]);
                    ::Prefetch(reinterpret_cast<const char*>(&m_records[index] + 1) - 1);
                } else {
                    ::Prefetch(&m_entries[index]);
                }
                return;
            }
        }
    }

private:
    static constexpr std::size_t HeadBytes = 8;
    // So that a slot has a bit for its kind above the index of any entry of half the slots, and the
    // slots can be scaled to in 64 bits.
    static constexpr std::size_t MostEntries = (std::size_t{1} << 30) - 1;
    // Beside a text's head: its size when it has at most eight bytes, else this bit and the offset in
    // m_bytes of its size (four bytes) and the bytes after the head.
    static constexpr std::uint32_t LongText = 0x80000000u;

    struct Entry {
        std::uint64_t head; // the text's first eight bytes, zeros after a shorter one
        std::uint32_t text;
        Value value;
    };
    struct RecordEntry {
        std::uint64_t head;
        std::uint32_t text;
        Record record;
    };

    Held HeldBy(std::uint32_t slot) const
    {
        if (slot == 0)
            return {};
        const std::size_t index = (slot & m_indexMask) - 1;
        if ((slot & m_kindBit) != 0)
            return {nullptr, &m_records[index].record};
        return {&m_entries[index].value, nullptr};
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

    // The bits of a slot beside its entry's kind and index: from the low half of the hash, which picks
    // no slot.
    std::uint32_t TagOf(std::uint64_t hash) const { return static_cast<std::uint32_t>(hash) & m_tagMask; }
    std::uint32_t SlotFor(std::uint64_t hash, bool record, std::size_t index) const
    {
        return TagOf(hash) | (record ? m_kindBit : 0) | static_cast<std::uint32_t>(index + 1);
    }

    // The slot a hash starts at: its high half scaled to the slots, which need not be a power of two.
    std::size_t SlotOf(std::uint64_t hash) const
    {
        return static_cast<std::size_t>(((hash >> 32) * m_slots.size()) >> 32);
    }

    void MakeRoom()
    {
        // Values given up keep their indexes, so they count.
        const std::size_t entries = m_entries.size() + m_records.size();
        if ((entries + 1) * 2 > m_slots.size()) {
            if (entries >= MostEntries)
                throw std::bad_alloc();
            Grow(m_slots.size() * 2);
        }
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
    std::string_view TailOf(std::uint32_t text, std::size_t& size) const
    {
        const char* at = m_bytes.data() + (text & ~LongText);
        std::uint32_t stored = 0;
        std::memcpy(&stored, at, sizeof stored);
        size = stored;
        return {at + sizeof stored, size - HeadBytes};
    }

    bool Holds(std::uint64_t entryHead, std::uint32_t text, std::uint64_t head, std::string_view code) const
    {
        if (entryHead != head)
            return false;
        if (code.size() <= HeadBytes)
            return text == code.size();
        if ((text & LongText) == 0)
            return false;
        std::size_t size = 0;
        const std::string_view tail = TailOf(text, size);
        return size == code.size() && tail == code.substr(HeadBytes);
    }

    // The slot of `code`, or 0 with `at` where it would go; else `at` is where it is.
    std::uint32_t Locate(std::string_view code, std::uint64_t hash, std::size_t& at) const
    {
        const std::uint64_t head = Head(code);
        const std::uint32_t tag = TagOf(hash);
        for (std::size_t i = SlotOf(hash);; i = i + 1 == m_slots.size() ? 0 : i + 1) {
            const std::uint32_t slot = m_slots[i];
            at = i;
            if (slot == 0)
                return 0;
            if ((slot & m_tagMask) != tag)
                continue;
            const std::size_t index = (slot & m_indexMask) - 1;
            if ((slot & m_kindBit) != 0 ? Holds(m_records[index].head, m_records[index].text, head, code)
                                        : Holds(m_entries[index].head, m_entries[index].text, head, code))
                return slot;
        }
    }

    // The slot an entry's text leads to in slots of `size`.
    std::size_t SlotOfText(std::uint64_t head, std::uint32_t text, std::uint64_t& hash) const
    {
        if ((text & LongText) == 0) {
            hash = HashParts(head, {}, text);
        } else {
            std::size_t textSize = 0;
            const std::string_view tail = TailOf(text, textSize);
            hash = HashParts(head, tail, textSize);
        }
        std::size_t i = SlotOf(hash);
        while (m_slots[i] != 0)
            i = i + 1 == m_slots.size() ? 0 : i + 1;
        return i;
    }

    void Grow(std::size_t size)
    {
        // The slots alone are built again, each entry's hash from its text. The slots of values given
        // up for records are not; those records' slots are.
        std::vector<bool> givenUp;
        if (m_records.size() != 0) {
            givenUp.assign(m_entries.size(), false);
            for (const std::uint32_t slot : m_slots) {
                if (slot != 0 && (slot & m_kindBit) == 0)
                    givenUp[(slot & m_indexMask) - 1] = true;
            }
            givenUp.flip();
        }
        m_slots.clear();
        m_slots.shrink_to_fit();
        m_slots.assign(size, 0);
        // Room in a slot for any index the table can reach before it grows again (up to half the
        // slots), a bit for the kind above it, and the rest of the hash.
        const unsigned indexBits = static_cast<unsigned>(std::bit_width(size / 2));
        m_indexMask = static_cast<std::uint32_t>((std::uint64_t{1} << indexBits) - 1);
        m_kindBit = m_indexMask + 1;
        m_tagMask = ~(m_indexMask | m_kindBit);
        for (std::size_t index = 0; index < m_entries.size(); ++index) {
            if (!givenUp.empty() && givenUp[index])
                continue;
            std::uint64_t hash = 0;
            const std::size_t i = SlotOfText(m_entries[index].head, m_entries[index].text, hash);
            m_slots[i] = SlotFor(hash, false, index);
        }
        for (std::size_t index = 0; index < m_records.size(); ++index) {
            std::uint64_t hash = 0;
            const std::size_t i = SlotOfText(m_records[index].head, m_records[index].text, hash);
            m_slots[i] = SlotFor(hash, true, index);
        }
    }

    std::vector<std::uint32_t> m_slots = std::vector<std::uint32_t>(16); // at most half full
    // The bits of a slot that hold its entry's index plus one, the bit that says it is a record, and
    // those that hold part of its hash.
    std::uint32_t m_indexMask = 0xf;
    std::uint32_t m_kindBit = 0x10;
    std::uint32_t m_tagMask = ~0x1fu;
    BlockArray<Entry> m_entries;
    BlockArray<RecordEntry> m_records;
    std::size_t m_givenUp = 0; // values of codes that hold records now
    std::vector<char> m_bytes;
};
