#pragma once
// A test's own temporary folder, removed at its end (the test gives back permissions it took).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

struct ScratchFolder {
    const fs::path path = fs::temp_directory_path() / ("legwise-test-" + std::to_string(std::random_device()()));
    ScratchFolder() { fs::create_directories(path); }
    ~ScratchFolder() { fs::remove_all(path, ignored); }
    fs::path operator/(const fs::path& name) const { return path / name; }
    std::error_code ignored;
};

constexpr auto Binary = std::ios::binary;
inline void WriteBytes(const fs::path& to, const std::string& bytes) { std::ofstream(to, Binary) << bytes; }
inline std::string ReadBytes(const fs::path& f)
{
    return (std::ostringstream() << std::ifstream(f, Binary).rdbuf()).str();
}

#ifdef _WIN32
inline bool PermissionsApply() { return true; }
#else
inline bool PermissionsApply() { return geteuid() != 0; } // the superuser passes every check

// Runs `action` as on a nearly full disk: a write beyond `limit` bytes fails with "File too large".
inline void WithFileSizeLimit(rlim_t limit, const std::function<void()>& action)
{
    std::signal(SIGXFSZ, SIG_IGN); // the write fails instead of ending the process
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const rlimit lowered{limit, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &lowered);
    action();
    setrlimit(RLIMIT_FSIZE, &saved);
}
#endif
