#include "input/PersonalCopy.h"

#include "input/Text.h"
#include "input/TextFile.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

#ifndef _WIN32
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

// The copy's bytes from the source's raw bytes, one chunk after another: what a text-mode read and
// a text-mode write together make of them. A CR goes in before every LF that has none, and the copy
// ends before the first 0x1A; every other byte stays. Done on the raw bytes, with no translation
// there and back, the copy runs near the speed of a plain one.
class TextModeCopy {
public:
    // Translates `size` raw bytes into `out`, which has room for twice as many; returns how many
    // bytes it wrote there.
    size_t Translate(const char* in, size_t size, char* out)
    {
        if (m_ended)
            return 0;
        if (const void* ctrlZ = std::memchr(in, 0x1A, size)) {
            size = static_cast<size_t>(static_cast<const char*>(ctrlZ) - in);
            m_ended = true;
        }
        char* o = out;
        const char* p = in;
        const char* const end = in + size;
        while (p < end) {
            const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
            const char* runEnd = lf ? lf : end;
            std::memcpy(o, p, static_cast<size_t>(runEnd - p));
            o += runEnd - p;
            if (!lf)
                break;
            if (!(lf > in ? lf[-1] == '\r' : m_lastWasCr))
                *o++ = '\r';
            *o++ = '\n';
            p = lf + 1;
        }
        if (size > 0)
            m_lastWasCr = in[size - 1] == '\r';
        return static_cast<size_t>(o - out);
    }
    bool Ended() const { return m_ended; }

private:
    bool m_lastWasCr = false; // the last byte of the chunk before
    bool m_ended = false;     // 0x1A met
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
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
    const std::unique_ptr<std::FILE, FileCloser> in(OpenForReading(source).file);
    if (!in)
        return CopyOutcome::SourceUnreadable;

    // Through a link, also one that names no file yet, the copy lands in the file the link names.
    const fs::path destination = FollowLinks(target);
    std::error_code ec;
    if (fs::equivalent(source, destination, ec))
        return CopyOutcome::SameFile;
    const fs::file_status existing = fs::status(destination, ec);
    const bool replacing = fs::exists(existing);
    if (replacing && (!fs::is_regular_file(existing) || IsReadOnly(destination)))
        return CopyOutcome::TargetNotWritable;

    WholeFileWriter out(destination);
    if (!out.File())
        return CopyOutcome::TargetNotWritable;
    // A replaced copy keeps the permissions the user gave it.
    if (replacing)
        fs::permissions(out.TemporaryPath(), existing.permissions(), ec);

    bool written = true;
    TextModeCopy copy;
    const auto raw = std::make_unique<char[]>(ChunkSize);
    const auto bytes = std::make_unique<char[]>(2 * ChunkSize);
    while (written && !copy.Ended()) {
        const size_t got = std::fread(raw.get(), 1, ChunkSize, in.get());
        if (got == 0)
            break;
        const size_t n = copy.Translate(raw.get(), got, bytes.get());
        written = out.Write(std::string_view(bytes.get(), n));
    }
    if (std::ferror(in.get()))
        return CopyOutcome::SourceUnreadable;
    if (!written || !out.Commit(WholeFileWriter::Naming::Replace, ec)) {
        const bool refused = written && ec == std::errc::permission_denied;
        return refused ? CopyOutcome::TargetNotWritable : CopyOutcome::WriteFailed;
    }
    return CopyOutcome::Copied;
}
