#pragma once
// The codes of an airport or aircraft file, for millions of lines: each code keeps four bytes beside
// its text, which lead to its record (a place, a cruise speed) when one of its lines gives one, and
// else hold the first line naming it. Records are kept for the codes that have one. Core, no Qt.

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
    static std::uint64_t Hash(std::string_view code) { return CodeTable<std::uint32_t>::Hash(code); }

    ListedCode<Record> Find(std::string_view code) const { return Answer(m_codes.Find(code)); }
    ListedCode<Record> Find(std::string_view code, std::uint64_t hash) const
    {
        return Answer(m_codes.Find(code, hash));
    }
    // As CodeTable::FindMany.
    void FindMany(std::span<const std::string_view> codes, std::vector<std::uint64_t>& hashes,
                  std::vector<ListedCode<Record>>& found) const
    {
        m_codes.FindMany(codes, hashes, found, [this](const std::uint32_t* kept) { return Answer(kept); });
    }

    // Line `line` names `code`, with the record it gives or none: the first line that gives one holds;
    // until a line does, the first naming the code.
    void Add(std::string_view code, std::uint64_t hash, std::int64_t line, const std::optional<Record>& record)
    {
        bool added = false;
        std::uint32_t& kept = m_codes.Insert(code, hash, added);
        if (!added && ((kept & Known) != 0 || !record))
            return;
        if (record) {
            if (m_records.size() >= Known)
                throw std::bad_alloc();
            kept = Known | static_cast<std::uint32_t>(m_records.size());
            m_records.push_back(*record);
        } else if (line > 0 && line < FarLine) {
            kept = static_cast<std::uint32_t>(line);
        } else {
            if (m_farLines.size() >= FarLine)
                throw std::bad_alloc();
            kept = FarLine | static_cast<std::uint32_t>(m_farLines.size());
            m_farLines.push_back(line);
        }
    }

    void Reserve(std::size_t count) { m_codes.Reserve(count); }
    std::size_t size() const { return m_codes.size(); }
    void PrefetchSlot(std::uint64_t hash) const { m_codes.PrefetchSlot(hash); }
    void PrefetchEntry(std::uint64_t hash) const { m_codes.PrefetchEntry(hash); }
    static constexpr std::size_t SlotsAhead = CodeTable<std::uint32_t>::SlotsAhead;
    static constexpr std::size_t EntriesAhead = CodeTable<std::uint32_t>::EntriesAhead;

private:
    // A code's four bytes: this bit and the index of its record; else this bit and the index of its
    // line in m_farLines; else its line.
    static constexpr std::uint32_t Known = 0x80000000u;
    static constexpr std::uint32_t FarLine = 0x40000000u;

    ListedCode<Record> Answer(const std::uint32_t* kept) const
    {
        if (!kept)
            return {};
        if ((*kept & Known) != 0)
            return {&m_records[*kept & ~Known], 0};
        if ((*kept & FarLine) != 0)
            return {nullptr, m_farLines[*kept & ~FarLine]};
        return {nullptr, *kept};
    }

    CodeTable<std::uint32_t> m_codes;
    BlockArray<Record> m_records;
    std::vector<std::int64_t> m_farLines; // lines past FarLine, which four bytes cannot hold beside the bits
};
