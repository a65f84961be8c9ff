#pragma once
// legwise-check run in the test's own process: what it printed, both streams together, and its status.
#include "planfile/CheckCommand.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

inline std::string CheckInProcess(const std::vector<CommandArgument>& arguments, int& status)
{
    std::FILE* out = std::tmpfile();
    if (!out)
        return "no temporary file";
    status = RunPlanCheck(arguments, out, out);
    std::rewind(out);
    std::string printed;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, out))
        printed.append(buffer, n);
    std::fclose(out);
    return printed;
}

// The same with the files of `folder`, named by `words` as typed there.
inline std::string CheckInProcess(const std::vector<std::string>& words, const std::filesystem::path& folder,
                                  int& status)
{
    std::vector<CommandArgument> arguments;
    for (const std::string& word : words)
        arguments.push_back({word, folder / word});
    return CheckInProcess(arguments, status);
}
