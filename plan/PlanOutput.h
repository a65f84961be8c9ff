#pragma once
// Appending a finished plan to the plan file.

#include <filesystem>
#include <string>
#include <string_view>

struct AppendResult {
    bool ok = false;
    std::string error; // the reason, for the user, when !ok
};

// Appends `planText` and one line break to `file`, every line break as CR LF; the file keeps its
// earlier bytes. A missing file is created; through a symbolic link, the file it names. Success
// is reported once the bytes are on the disk. When opening, writing, syncing or closing fails,
// the file is cut back to its earlier length so it holds no partial plan (a file this call created
// is removed again, a link to it kept), and the reason is returned, e.g. "No space left on
// device", "Permission denied" or "Is a folder, not a file".
AppendResult AppendPlan(const std::filesystem::path& file, std::string_view planText);

// The current directory; once it was removed, the folder it was (as far as the system still
// tells, else as last seen here).
std::filesystem::path CurrentFolder();

// The plan file in `directory`: an existing file whose name equals `planFileName` in another
// letter case when there is one (on file systems that tell case apart), else directory/planFileName.
std::filesystem::path ResolvePlanFile(const std::filesystem::path& directory, std::string_view planFileName);
