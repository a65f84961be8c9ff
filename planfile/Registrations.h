#pragma once
// Registrations seen across the plan files, for the warning on every line of a registration that
// more than one plan uses. Kept compact: each registration's bytes once, and the lines of the ones
// that come again. Core, no Qt.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class Registrations {
public:
    // A plan at `line` of file number `file` uses `registration`; an empty one is no registration.
    void Add(std::string_view registration, int file, int line);

    struct SharedUse {
        int file = 0;
        int line = 0;
        std::string_view registration;
        int plans = 0;     // how many plans use it
        int otherFile = 0; // the first other plan that uses it
        int otherLine = 0;
    };
    // Every line whose registration another plan uses as well, in the order of files and lines.
    std::vector<SharedUse> SharedUses() const;

private:
    struct Place {
        std::uint32_t file;
        std::uint32_t line;
    };
    struct Entry {
        Place first;
        std::uint32_t plans;
        Place second;
    };
    std::string_view Store(std::string_view text);

    std::unordered_map<std::string_view, Entry> m_entries;
    std::vector<std::pair<std::string_view, Place>> m_repeats; // every use after the first
    std::vector<std::unique_ptr<char[]>> m_blocks;             // the bytes the views point into
    size_t m_blockFree = 0;
};
