#pragma once
// The registrations that already have a plan in a plan file, so a new plan does not use one twice.
// Core, no Qt.

#include <atomic>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

struct ExistingPlans {
    bool ok = false;
    std::string error; // why the file could not be read, for the user
    // Each plan line's registration and line number (from 1), ordered by registration.
    std::vector<std::pair<std::string, int>> registrations;

    // The lines of the plans with `registration`, compared byte for byte.
    std::vector<int> LinesOf(std::string_view registration) const;
};

// Reads the plan lines of `path`: a line that is no comment (";" or "//") and whose fourth field is
// a period. Only a plain file is read; a missing one is not created. Stops early, with an error,
// once `stop` is set.
ExistingPlans ReadExistingPlans(const std::filesystem::path& path, const std::atomic<bool>& stop);
