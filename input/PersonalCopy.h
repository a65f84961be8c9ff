#pragma once
// The personal copies of the chosen input files, kept in the current directory.

#include <filesystem>
#include <string>
#include <string_view>

enum class InputFileKind { AirportFile, AircraftFile };

// "AirportsPersonal.txt" / "AircraftPersonal.txt".
std::string PersonalCopyName(InputFileKind kind);
// The same names in lower case, 20 bytes each: what the end of a stored path is compared with.
std::string ComparedName(InputFileKind kind);

// True when the last 20 bytes of the (lower-cased) stored path equal the kind's compared name,
// so no copy is made.
bool SkipsPersonalCopy(std::string_view storedPath, InputFileKind kind);

enum class CopyOutcome {
    Copied,            // the target now holds the source in text mode
    SourceUnreadable,  // the source could not be opened or read; the target is as it was
    SameFile,          // source and target are one file; nothing was touched
    TargetNotWritable, // the target is read-only or cannot be created; it is as it was
    WriteFailed,       // writing failed midway (disk full); the target is as it was
};

// Copies `source` to `target` in text mode: a CR goes in before every LF that has none, the copy
// ends before the first 0x1A. The copy is written beside the target and put in place only when
// complete, so a failure never leaves a partial or truncated target.
CopyOutcome CopyToPersonalFile(const std::filesystem::path& source, const std::filesystem::path& target);
