#include "plan/PlanOutput.h"

#include "input/TextFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string Reason(int error, const char* fallback)
{
    if (error == 0)
        return fallback;
    return std::generic_category().message(error);
}

// The stream's position at its end, where the addition will start; -1 when it cannot be told.
std::int64_t EndPosition(std::FILE* file)
{
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0)
        return -1;
    return _ftelli64(file);
#else
    if (fseeko(file, 0, SEEK_END) != 0)
        return -1;
    return static_cast<std::int64_t>(ftello(file));
#endif
}

bool CurrentFolderIsGone()
{
    std::error_code ec;
    return fs::current_path(ec).empty() && ec;
}

template <typename Char>
Char LowerAscii(Char c)
{
    return (c >= Char('A') && c <= Char('Z')) ? static_cast<Char>(c - Char('A') + Char('a')) : c;
}

template <typename String>
bool EqualsIgnoringAsciiCase(const String& a, const String& b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](auto x, auto y) { return LowerAscii(x) == LowerAscii(y); });
}
} // namespace

fs::path CurrentFolder()
{
    static fs::path lastSeen;
    std::error_code ec;
    fs::path now = fs::current_path(ec);
    if (!ec)
        return lastSeen = now;
#ifdef __linux__
    // Linux still names a removed folder, with " (deleted)" after its name.
    const std::string named = fs::read_symlink("/proc/self/cwd", ec).string();
    const std::string_view deleted = " (deleted)";
    if (!ec && named.ends_with(deleted))
        return named.substr(0, named.size() - deleted.size());
#endif
    return lastSeen;
}

AppendResult AppendPlan(const fs::path& file, std::string_view planText)
{
    AppendResult result;
    std::string text(planText);
    text += '\n';
    const std::string bytes = ToTextMode(text);

    // Through a symbolic link the plan goes into the file the link names, so a cut-back below
    // touches that file alone and the link stays.
    const fs::path target = FollowLinks(file);
    OpenedFile opened = OpenPlainFile(target, FileAccess::CreateNew);
    const bool created = opened.file != nullptr;
    if (opened.errorNumber == EEXIST)
        opened = OpenPlainFile(target, FileAccess::Append);
    if (!opened.file) {
        result.error = opened.reason;
        if (opened.errorNumber == ENOENT && file.is_relative() && CurrentFolderIsGone())
            result.error = "The current folder " + CurrentFolder().string() + " no longer exists";
        return result;
    }
    std::FILE* stream = opened.file;
    const std::int64_t earlierLength = created ? 0 : EndPosition(stream);

    // A full disk may only show when the buffer is flushed, the bytes are synced or the file is
    // closed, so every step counts. The plan is reported written once it is on the disk.
    errno = 0;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size() && SyncToDisk(stream);
    int error = written ? 0 : errno;
    errno = 0;
    if (std::fclose(stream) != 0 && written) {
        written = false;
        error = errno;
    }
    // A new file's name is on the disk only once its folder is.
    if (written && created && !SyncFolder(target.parent_path())) {
        written = false;
        error = errno;
    }
    if (written) {
        result.ok = true;
        return result;
    }

    // No partial plan stays behind: the file goes back to what it held before, and a file this call
    // created is removed again.
    std::error_code ec;
    if (created)
        fs::remove(target, ec);
    else if (earlierLength >= 0)
        fs::resize_file(target, static_cast<std::uintmax_t>(earlierLength), ec);
    result.error = Reason(error, "the plan could not be written");
    return result;
}

fs::path ResolvePlanFile(const fs::path& directory, std::string_view planFileName)
{
    fs::path exact = directory / fs::path(std::string(planFileName));
    std::error_code ec;
    if (fs::exists(exact, ec))
        return exact;

    // On a file system that tells letter case apart, the plan file may already be there under
    // another spelling (FlightplansPersonal.txt); append to it rather than start a second one.
    const fs::path wanted = fs::path(std::string(planFileName)).filename();
    std::vector<fs::path> matches;
    const fs::path folder = directory.empty() ? fs::path(".") : directory;
    fs::directory_iterator it(folder, ec);
    for (const fs::directory_iterator end; !ec && it != end; it.increment(ec)) {
        const fs::path name = it->path().filename();
        std::error_code typeError;
        if (EqualsIgnoringAsciiCase(name.native(), wanted.native()) && it->is_regular_file(typeError))
            matches.push_back(name);
    }
    if (matches.empty())
        return exact;
    std::sort(matches.begin(), matches.end(),
              [](const fs::path& a, const fs::path& b) { return a.native() < b.native(); });
    return directory / matches.front();
}
