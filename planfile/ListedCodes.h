#pragma once
// The codes of an airport or aircraft file, for millions of lines: a code keeps its record (a place, a
// cruise speed) beside its text when one of its lines gives one, and else the first line naming it in
// four bytes. Core, no Qt.

#include "planfile/CodeTable.h"

#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

// What a file says of one code: nothing, lines naming it without a record, or a record.
template <typename Record>
struct ListedCode {
    const Record* known = nullptr; // null when no line of the code gives a record
    std::int64_t line = 0;         // without a record, the first line naming the code; 0: no line does
    bool Listed() const { return known != nullptr || line != 0; }
};

template <typename Record>
class ListedCodes {
public:
    static std::uint64_t Hash(std::string_view code) { return Table::Hash(code); }

    ListedCode<Record> Find(std::string_view code) const { return Find(code, Hash(code)); }
    ListedCode<Record> Find(std::string_view code, std::uint64_t hash) const
    {
        return Answer(m_codes.FindHeld(code, hash));
    }
    // As CodeTable::FindMany; each record found is asked for as well, since it is read soon after.
    void FindMany(std::span<const std::string_view> codes, std::vector<std::uint64_t>& hashes,
                  std::vector<ListedCode<Record>>& found) const
    {
        m_codes.FindMany(codes, hashes, found, [this](const typename Table::Held& held) { return Answer(held); });
    }

    // Line `line` names `code`, with the record it gives or none: the first line that gives one holds;
    // until a line does, the first naming the code.
    void Add(std::string_view code, std::uint64_t hash, std::int64_t line, const std::optional<Record>& record)
    {
        if (record) {
            m_codes.KeepRecord(code, hash, *record);
            return;
        }
        if (line > 0 && line < FarLine) {
            m_codes.Add(code, hash, static_cast<std::uint32_t>(line));
            return;
        }
        if (m_farLines.size() >= FarLine)
            throw std::bad_alloc();
        if (m_codes.Add(code, hash, FarLine | static_cast<std::uint32_t>(m_farLines.size())))
            m_farLines.push_back(line);
    }

    void Reserve(std::size_t count) { m_codes.Reserve(count); }
    std::size_t size() const { return m_codes.size(); }
    void PrefetchSlot(std::uint64_t hash) const { m_codes.PrefetchSlot(hash); }
    void PrefetchEntry(std::uint64_t hash) const { m_codes.PrefetchEntry(hash); }
    static constexpr std::size_t SlotsAhead = CodeTable<std::uint32_t>::SlotsAhead;
    static constexpr std::size_t EntriesAhead = CodeTable<std::uint32_t>::EntriesAhead;

private:
    // A code without a record keeps its line, or this bit and the index of its line in m_farLines.
    static constexpr std::uint32_t FarLine = 0x80000000u;
    using Table = CodeTable<std::uint32_t, Record>;

    ListedCode<Record> Answer(const typename Table::Held& held) const
    {
        if (held.record)
            return {held.record, 0};
        if (!held.value)
            return {};
        if ((*held.value & FarLine) != 0)
            return {nullptr, m_farLines[*held.value & ~FarLine]};
        return {nullptr, *held.value};
    }

    Table m_codes;
    std::vector<std::int64_t> m_farLines; // lines past FarLine, which four bytes cannot hold beside the bit
};
