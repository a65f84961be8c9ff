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

AppendResult AppendPlan(const fs::path& file, std::string_view planText)
{
    AppendResult result;
    std::string text(planText);
    text += '\n';
    const std::string bytes = ToTextMode(text);

    std::error_code ec;
    const bool existed = fs::exists(file, ec);

    // Append mode: created when missing (readable and writable as the umask allows), the earlier
    // bytes untouched, every write at the file's end.
    errno = 0;
    std::FILE* stream = OpenFile(file, "ab");
    if (!stream) {
        result.error = Reason(errno, "the file could not be opened");
        return result;
    }
    const std::int64_t earlierLength = EndPosition(stream);

    // A full disk may only show when the buffer is flushed or the file closed, so every step counts.
    bool failed = false;
    int error = 0;
    const char* fallback = "the plan could not be written";
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size()) {
        failed = true;
        error = errno;
    } else {
        errno = 0;
        if (std::fflush(stream) != 0) {
            failed = true;
            error = errno;
        }
    }
    errno = 0;
    if (std::fclose(stream) != 0 && !failed) {
        failed = true;
        error = errno;
        fallback = "the file could not be closed";
    }
    if (!failed) {
        result.ok = true;
        return result;
    }

    // No partial plan stays behind: the file goes back to what it held before. A device such as
    // /dev/full cannot be cut; that failure changes nothing for the user.
    if (!existed && earlierLength == 0) {
        fs::remove(file, ec);
    } else if (earlierLength >= 0) {
        fs::resize_file(file, static_cast<std::uintmax_t>(earlierLength), ec);
    }
    result.error = Reason(error, fallback);
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
