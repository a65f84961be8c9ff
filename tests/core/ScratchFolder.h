#pragma once
// A test's own temporary folder, removed at its end (the test gives back permissions it took).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>

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

// The source tree, or where CI copied the files the tests read for a user who may not read the tree.
inline std::string SourceDir()
{
    const char* const copied = std::getenv("LEGWISE_SOURCE_DIR");
    return copied ? copied : LEGWISE_SOURCE_DIR;
}

constexpr auto Binary = std::ios::binary;
inline void WriteBytes(const fs::path& to, const std::string& bytes) { std::ofstream(to, Binary) << bytes; }
inline std::string ReadBytes(const fs::path& f)
{
    return (std::ostringstream() << std::ifstream(f, Binary).rdbuf()).str();
}

// Empty where a read-only file refuses to be written, else why the read-only cases cannot be tried
// here: the superuser writes it, and so does Wine run by the superuser.
inline std::string WhyReadOnlyIsNotTested()
{
    const ScratchFolder folder;
    WriteBytes(folder / "probe.txt", "x");
    fs::permissions(folder / "probe.txt", fs::perms::owner_read);
    const bool written = std::ofstream(folder / "probe.txt", std::ios::app | Binary).good();
    fs::permissions(folder / "probe.txt", fs::perms::owner_all);
    return written ? "this user writes read-only files (the superuser, or Wine run by the superuser)" : "";
}
#ifndef _WIN32

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
