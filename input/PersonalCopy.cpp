#include "input/PersonalCopy.h"

#include "app/Text.h"
#include "input/TextFile.h"

#include <cerrno>
#include <chrono>
#include <memory>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {
constexpr size_t ChunkSize = 64 * 1024;

// A personal copy the user made read-only stays as it is. The rename that puts a new copy in place
// would not ask the file itself, so its write permission is checked here first.
bool IsReadOnly(const fs::path& file)
{
#ifdef _WIN32
    std::error_code ec;
    const fs::perms perms = fs::status(file, ec).permissions();
    return !ec && (perms & fs::perms::owner_write) == fs::perms::none;
#else
    return access(file.c_str(), W_OK) != 0;
#endif
}

// Where the copy lands: through a link to the file it names, as opening the link for writing would.
fs::path Destination(const fs::path& target)
{
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        fs::path resolved = fs::canonical(target, ec);
        if (!ec)
            return resolved;
    }
    return target;
}

// A new file beside `destination`, created with the usual permissions of a new file. Hidden on
// systems that hide dot files; it lives only until the rename or the clean-up.
std::FILE* CreateTemporaryBeside(const fs::path& destination, fs::path& temporary)
{
    const auto stamp = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        fs::path name = ".";
        name += destination.filename();
        name += ".";
        name += std::to_string((stamp + static_cast<unsigned>(attempt)) % 1000000000ULL);
        name += ".tmp";
        temporary = destination;
        temporary.replace_filename(name);
        if (std::FILE* file = OpenFile(temporary, "wbx"))
            return file;
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

// Flushes the copy to the disk so that the rename never puts a file in place whose bytes are lost.
bool Finish(std::FILE* file)
{
    bool ok = std::fflush(file) == 0 && !std::ferror(file);
#ifdef _WIN32
    ok = ok && _commit(_fileno(file)) == 0;
#else
    ok = ok && fsync(fileno(file)) == 0;
#endif
    return std::fclose(file) == 0 && ok;
}
} // namespace

std::string PersonalCopyName(InputFileKind kind)
{
    return kind == InputFileKind::AirportFile ? "AirportsPersonal.txt" : "AircraftPersonal.txt";
}

std::string ComparedName(InputFileKind kind) { return MakeLower(PersonalCopyName(kind)); }

bool SkipsPersonalCopy(std::string_view storedPath, InputFileKind kind)
{
    // Both compared names are 20 bytes: the comparison covers the whole file name and nothing before
    // it, so "myairportspersonal.txt" is skipped too. A shorter path is taken whole and never matches.
    const std::string compared = ComparedName(kind);
    return Right(storedPath, static_cast<long long>(compared.size())) == compared;
}

CopyOutcome CopyToPersonalFile(const fs::path& source, const fs::path& target)
{
    // The target is not touched before the source is open: a source that cannot be read leaves the
    // earlier personal copy as it was.
    TextFileReader reader(source);
    if (!reader.IsOpen())
        return CopyOutcome::SourceUnreadable;

    const fs::path destination = Destination(target);
    std::error_code ec;
    if (fs::equivalent(source, destination, ec))
        return CopyOutcome::SameFile;
    const fs::file_status existing = fs::status(destination, ec);
    const bool replacing = fs::exists(existing);
    if (replacing && (!fs::is_regular_file(existing) || IsReadOnly(destination)))
        return CopyOutcome::TargetNotWritable;

    fs::path temporary;
    std::FILE* out = CreateTemporaryBeside(destination, temporary);
    if (!out)
        return CopyOutcome::TargetNotWritable;
    // A replaced copy keeps the permissions the user gave it.
    if (replacing)
        fs::permissions(temporary, existing.permissions(), ec);

    bool written = true;
    const auto buffer = std::make_unique<char[]>(ChunkSize);
    while (const size_t got = reader.Read(buffer.get(), ChunkSize)) {
        const std::string bytes = ToTextMode(std::string_view(buffer.get(), got));
        if (std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) {
            written = false;
            break;
        }
    }
    written = Finish(out) && written;

    CopyOutcome outcome = CopyOutcome::Copied;
    if (reader.HadReadError())
        outcome = CopyOutcome::SourceUnreadable;
    else if (!written)
        outcome = CopyOutcome::WriteFailed;
    else {
        fs::rename(temporary, destination, ec);
        if (ec)
            outcome = ec == std::errc::permission_denied ? CopyOutcome::TargetNotWritable : CopyOutcome::WriteFailed;
    }
    if (outcome != CopyOutcome::Copied)
        fs::remove(temporary, ec);
    return outcome;
}
