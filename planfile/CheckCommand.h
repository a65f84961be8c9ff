#pragma once
// The plan-file check as a command: reads its arguments, the airport and aircraft files and every
// plan file, and reports each finding as "file:line: error|warning: text", then a summary line.
// Exit status 0 without errors, 1 with errors, 2 when a file cannot be read or the arguments are
// wrong. Core, no Qt: legwise-check's main() only turns its arguments into these.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

struct CommandArgument {
    std::string text;           // as shown in messages
    std::filesystem::path path; // the same argument as a file name, exact on every platform
};

// The part of `argument` after its first `textAt` (the "=" of --option=value), or before its last one:
// the text from its text, the path from its native path.
CommandArgument Split(const CommandArgument& argument, size_t textAt, bool after);

int RunPlanCheck(const std::vector<CommandArgument>& arguments, std::FILE* out, std::FILE* err);

// What --help prints.
extern const char* const PlanCheckUsage;
