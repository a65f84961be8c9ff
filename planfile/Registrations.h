#pragma once
// Registrations seen across the plan files, for the warning on every line of a registration that
// more than one plan uses. Each use is appended as it comes (its registration's bytes, a hash of
// them and its place), so reading a plan touches no table; the uses are sorted by hash once, at the
// end, to find the registrations used twice. Core, no Qt.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class Registrations {
public:
    // A plan at `line` of file number `file` uses `registration`; an empty one is no registration.
    void Add(std::string_view registration, int file, std::int64_t line);

    struct SharedUse {
        int file = 0;
        std::int64_t line = 0;
        std::string registration;
        int plans = 0;     // how many plans use it
        int otherFile = 0; // the first other plan that uses it
        std::int64_t otherLine = 0;
    };
    // Every line whose registration another plan uses as well, in the order of files and lines.
    std::vector<SharedUse> SharedUses() const;
    // The same handed to `visit` one at a time, so that millions of them are never held at once.
    void ForEachSharedUse(const std::function<void(const SharedUse&)>& visit) const;

private:
    struct Use {
        std::uint64_t hash = 0;
        std::uint64_t place = 0;  // the file number in the top 20 bits, the line in the rest
        std::uint32_t offset = 0; // of its bytes in m_bytes
        std::uint32_t size = 0;
    };
    static constexpr int LineBits = 44;
    static int FileOf(const Use& use) { return static_cast<int>(use.place >> LineBits); }
    static std::int64_t LineOf(const Use& use)
    {
        return static_cast<std::int64_t>(use.place & ((1ull << LineBits) - 1));
    }
    std::string_view Text(const Use& use) const { return std::string_view(m_bytes).substr(use.offset, use.size); }

    std::vector<Use> m_uses; // in the order of Add
    std::string m_bytes;
};
