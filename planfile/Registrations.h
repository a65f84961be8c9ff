#pragma once
// Registrations seen across the plan files, for the warning on every line of a registration that
// more than one plan uses. Kept compact: each registration's bytes once with its first two places,
// and the places of the uses after the first. Core, no Qt.

#include "planfile/CodeTable.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class Registrations {
public:
    // A plan at `line` of file number `file` uses `registration`; an empty one is no registration.
    void Add(std::string_view registration, int file, int line);

    struct SharedUse {
        int file = 0;
        int line = 0;
        std::string registration;
        int plans = 0;     // how many plans use it
        int otherFile = 0; // the first other plan that uses it
        int otherLine = 0;
    };
    // Every line whose registration another plan uses as well, in the order of files and lines.
    std::vector<SharedUse> SharedUses() const;

    // Asks for the memory that Add(registration) will touch (see CodeTable::Prefetch).
    void Prefetch(std::string_view registration) const { m_entries.Prefetch(registration); }

private:
    struct Place {
        std::uint32_t file = 0;
        std::uint32_t line = 0;
    };
    struct Entry {
        Place first;
        Place second;
        std::uint32_t plans = 0;
    };
    CodeTable<Entry> m_entries;
    std::vector<std::pair<std::string, Place>> m_repeats; // every use after the first
};
