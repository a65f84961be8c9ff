#pragma once
// The registrations that already have a plan in a plan file, so a new plan does not use one twice.
// Core, no Qt.

#include "planfile/PlanFileReader.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct ExistingPlans {
    bool ok = false;
    std::string error; // why the file could not be read, for the user
    // Each plan line's registration and line number (from 1), ordered by registration.
    std::vector<std::pair<std::string, std::int64_t>> registrations;

    // The notes on the file's bytes, as the file check gives them (a lone CR, a Ctrl-Z that ends the
    // text early): the first two and the last; `moreNotes` counts the lone CRs left out between.
    std::vector<TextNote> notes;
    std::int64_t moreNotes = 0;

    // The lines of the plans with `registration`, compared byte for byte.
    std::vector<std::int64_t> LinesOf(std::string_view registration) const;
    // The notes, one line each: "Warning: line 4 of the plan file: ..."; empty when there are none.
    std::string NotesText() const;
};

// Reads the plan lines of `path`: a line that is no comment (";" or "//") and whose fourth field is
// a period. Only a plain file is read, as the file check reads one; a missing one is not created.
// Stops early, with an error, once `stop` is set.
ExistingPlans ReadExistingPlans(const std::filesystem::path& path, const std::atomic<bool>& stop);
