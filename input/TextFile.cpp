#include "input/TextFile.h"

#include <atomic>
#include <bit>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <csignal>
#include <pthread.h>
#include <unistd.h>
#endif

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {
constexpr size_t ChunkSize = 64 * 1024;
constexpr char CtrlZ = 0x1A;

// Copies [p, end) to `out` without every CR that a LF follows inside the range; returns the new end
// of `out`, which has room for the whole range. In files with CR LF line ends every line has such a
// CR, so runs of 16 bytes are copied at once and only the CRs are looked at one by one.
char* CopyWithoutCrBeforeLf(const char* p, const char* end, char* out)
{
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i cr = _mm_set1_epi8('\r');
    while (end - p > 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
        const auto crs = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, cr)));
        if (crs == 0) {
            p += 16;
            out += 16;
            continue;
        }
        // The bytes before the CR are in place; the CR stays unless a LF follows (p + 1 < end here).
        const int before = std::countr_zero(crs);
        p += before + 1;
        out += before;
        if (*p != '\n')
            *out++ = '\r';
    }
#endif
    while (p < end) {
        const char* found = static_cast<const char*>(std::memchr(p, '\r', static_cast<size_t>(end - p)));
        const char* runEnd = found ? found : end;
        std::memcpy(out, p, static_cast<size_t>(runEnd - p));
        out += runEnd - p;
        if (!found)
            break;
        p = found + 1;
        if (p == end || *p != '\n')
            *out++ = '\r';
    }
    return out;
}
} // namespace

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode)
{
#ifdef _WIN32
    std::wstring wideMode(mode, mode + std::strlen(mode));
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

namespace {
const char* const FolderReason = "Is a folder, not a file";
const char* const SpecialFileReason = "Is a pipe or device, not a file";

void CloseDescriptor(int fd)
{
#ifdef _WIN32
    _close(fd);
#else
    close(fd);
#endif
}

bool IsPlainFile(int fd, const char*& reason)
{
#ifdef _WIN32
    struct _stat64 status {};
    const bool known = _fstat64(fd, &status) == 0;
#else
    struct stat status {};
    const bool known = fstat(fd, &status) == 0;
#endif
    if (known && (status.st_mode & S_IFMT) == S_IFREG)
        return true;
    reason = known && (status.st_mode & S_IFMT) == S_IFDIR ? FolderReason : SpecialFileReason;
    return false;
}
} // namespace

OpenedFile OpenPlainFile(const std::filesystem::path& path, FileAccess access)
{
    OpenedFile result;
    // Asked before opening as well: Windows refuses to open a folder with "Permission denied".
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        result.reason = FolderReason;
        return result;
    }
    const char* mode = access == FileAccess::Read ? "rb" : access == FileAccess::Append ? "ab" : "wb";
#ifdef _WIN32
    int flags = _O_BINARY | _O_NOINHERIT;
    if (access == FileAccess::Read)
        flags |= _O_RDONLY;
    else
        flags |= _O_WRONLY | _O_CREAT | (access == FileAccess::Append ? _O_APPEND : _O_EXCL);
    const int fd = _wopen(path.c_str(), flags, _S_IREAD | _S_IWRITE);
#else
    // Without O_NONBLOCK, opening a named pipe waits until a program opens its other end.
    int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    if (access == FileAccess::Read)
        flags |= O_RDONLY;
    else
        flags |= O_WRONLY | O_CREAT | (access == FileAccess::Append ? O_APPEND : O_EXCL);
    const int fd = open(path.c_str(), flags, 0666);
#endif
    if (fd < 0) {
        result.errorNumber = errno;
        result.reason = std::generic_category().message(errno);
        // A pipe that no program reads refuses a writer with "No such device or address".
        using Type = std::filesystem::file_type;
        const Type type = std::filesystem::status(path, ec).type();
        if (type == Type::directory)
            result.reason = FolderReason;
        else if (type != Type::regular && type != Type::not_found && type != Type::none)
            result.reason = SpecialFileReason;
        return result;
    }
    const char* refusal = nullptr;
    if (!IsPlainFile(fd, refusal)) {
        result.reason = refusal;
        CloseDescriptor(fd);
        return result;
    }
#ifdef _WIN32
    result.file = _fdopen(fd, mode);
#else
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    result.file = fdopen(fd, mode);
#endif
    if (!result.file) {
        result.errorNumber = errno;
        result.reason = std::generic_category().message(errno);
        CloseDescriptor(fd);
    }
    return result;
}

OpenedFile OpenForReading(const std::filesystem::path& path)
{
    if (path.empty())
        return {nullptr, ENOENT, "no file was chosen"};
    // Only a plain file is read: a named pipe would block until some writer came, and a device
    // could go on giving bytes for ever.
    OpenedFile opened = OpenPlainFile(path, FileAccess::Read);
    if (opened.errorNumber == ENOENT) {
        // A missing file is created empty when its folder exists, and then reads as empty.
        OpenedFile created = OpenPlainFile(path, FileAccess::Append);
        if (!created.file)
            return created;
        std::fclose(created.file);
        opened = OpenPlainFile(path, FileAccess::Read);
    }
    return opened;
}

std::filesystem::path FollowLinks(const std::filesystem::path& path)
{
    std::filesystem::path followed = path;
    std::error_code ec;
    // As many links as the system itself follows before it gives up on a loop.
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(std::filesystem::symlink_status(followed, ec)); ++hop) {
        const std::filesystem::path next = std::filesystem::read_symlink(followed, ec);
        if (ec)
            break;
        followed = next.is_absolute() ? next : followed.parent_path() / next;
    }
    return followed;
}

bool SyncToDisk(std::FILE* file)
{
    if (std::fflush(file) != 0)
        return false;
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#elif defined(__APPLE__)
    // fsync leaves the bytes in the drive's cache on macOS; F_FULLFSYNC asks the drive itself.
    return fcntl(fileno(file), F_FULLFSYNC) == 0 || fsync(fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

bool SyncFolder(const std::filesystem::path& folder)
{
#ifdef _WIN32
    // NTFS keeps names in its journal; a folder cannot be flushed through the C runtime.
    (void)folder;
    return true;
#else
    const int fd = open((folder / ".").c_str(), O_RDONLY | O_CLOEXEC | O_DIRECTORY); // "" is the current one
    if (fd < 0)
        return false;
    // A file system that cannot sync a folder says EINVAL; it has nothing more to write.
    const bool synced = fsync(fd) == 0 || errno == EINVAL;
    const int error = errno;
    close(fd);
    errno = error;
    return synced;
#endif
}

std::string ToTextMode(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 32);
    for (char c : text) {
        if (c == '\n')
            bytes.push_back('\r');
        bytes.push_back(c);
    }
    return bytes;
}

std::string FromTextMode(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == CtrlZ)
            break;
        if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            continue;
        text.push_back(c);
    }
    return text;
}

const char* const Utf16Reason = "is UTF-16 text; save it as ANSI (Windows-1252)";

bool IsUtf16Start(std::string_view start)
{
    if (start.starts_with("\xFF\xFE") || start.starts_with("\xFE\xFF"))
        return true;
    if (start.size() < 2)
        return false;
    bool evenZero = true;
    bool oddZero = true;
    for (size_t i = 0; i + 1 < start.size(); i += 2) {
        evenZero = evenZero && start[i] == 0;
        oddZero = oddZero && start[i + 1] == 0;
    }
    return evenZero != oddZero;
}

std::string PeekStart(std::FILE* file, size_t size)
{
    std::string start(size, '\0');
    start.resize(std::fread(start.data(), 1, size, file));
    std::clearerr(file);
    std::rewind(file);
    return start;
}

TextFileReader::TextFileReader(const std::filesystem::path& path, ReadMode mode)
{
    const OpenedFile opened =
        mode == ReadMode::CreateMissing ? OpenForReading(path) : OpenPlainFile(path, FileAccess::Read);
    m_file = opened.file;
    if (!m_file) {
        m_openError = opened.reason;
        return;
    }
    if (mode == ReadMode::CheckedText) {
        const std::string start = PeekStart(m_file, 64);
        if (IsUtf16Start(start)) {
            m_openError = Utf16Reason;
            std::fclose(m_file);
            m_file = nullptr;
            return;
        }
        if (start.starts_with(Utf8Mark))
            ResumeAt(Utf8Mark.size());
    }
    m_raw.resize(ChunkSize);
    m_text.reserve(ChunkSize);
}

TextStop TextFileReader::Stop() const
{
    if (!m_stopped || !m_file)
        return {};
#ifdef _WIN32
    struct _stat64 status {};
    const bool known = _fstat64(_fileno(m_file), &status) == 0;
#else
    struct stat status {};
    const bool known = fstat(fileno(m_file), &status) == 0;
#endif
    const auto size = known ? static_cast<std::uint64_t>(status.st_size) : 0;
    if (size <= m_stopOffset + 1)
        return {};
    return {m_lineOpen ? m_lines : m_lines + 1, size - m_stopOffset - 1};
}

TextFileReader::~TextFileReader()
{
    if (m_file)
        std::fclose(m_file);
}

// Reads one raw chunk and appends its translation to m_text. False when nothing more will come.
bool TextFileReader::Fill()
{
    if (!m_file || m_ended)
        return false;
    if (m_textPos == m_text.size()) {
        m_textBase += m_text.size();
        m_text.clear();
        m_textPos = 0;
    }
    const size_t got = std::fread(m_raw.data(), 1, m_raw.size(), m_file);
    const std::uint64_t chunkOffset = m_fileOffset;
    m_fileOffset += got;
    if (got < m_raw.size() && std::ferror(m_file))
        m_readError = true;
    if (got == 0) {
        if (m_pendingCr)
            m_text.push_back('\r');
        m_pendingCr = false;
        m_ended = true;
        return false;
    }
    const char* p = m_raw.data();
    const char* end = p + got;
    // The first 0x1A ends the input: neither it nor anything after it is read.
    if (const void* ctrlZ = std::memchr(p, CtrlZ, got)) {
        end = static_cast<const char*>(ctrlZ);
        m_ended = true;
        m_stopped = true;
        m_stopOffset = chunkOffset + static_cast<std::uint64_t>(end - p);
    }
    const size_t kept = m_text.size();
    m_text.resize(kept + 1 + static_cast<size_t>(end - p));
    char* out = m_text.data() + kept;
    // A CR that ended the last chunk is dropped only when this chunk begins with its LF.
    if (m_pendingCr) {
        m_pendingCr = false;
        if (p == end || *p != '\n')
            *out++ = '\r';
    }
    // A CR that ends the chunk waits for the next one to tell whether a LF follows it, unless the
    // input ends here.
    const bool crLast = p < end && end[-1] == '\r';
    out = CopyWithoutCrBeforeLf(p, crLast ? end - 1 : end, out);
    if (crLast) {
        if (m_ended)
            *out++ = '\r';
        else
            m_pendingCr = true;
    }
    m_text.resize(static_cast<size_t>(out - m_text.data()));
    if (m_marking)
        MarkFirstLineStart(p, end, kept, chunkOffset);
    return true;
}

// The first line feed of a chunk is the same byte in the raw and in the translated text, whatever
// CRs the translation dropped before it: the line after it begins at a known place in both.
void TextFileReader::MarkFirstLineStart(const char* raw, const char* rawEnd, size_t textFrom, std::uint64_t chunkOffset)
{
    const void* rawLf = std::memchr(raw, '\n', static_cast<size_t>(rawEnd - raw));
    const void* textLf = std::memchr(m_text.data() + textFrom, '\n', m_text.size() - textFrom);
    if (!rawLf || !textLf)
        return;
    m_lineStarts.push_back(
        {m_textBase + static_cast<std::uint64_t>(static_cast<const char*>(textLf) - m_text.data()) + 1,
         chunkOffset + static_cast<std::uint64_t>(static_cast<const char*>(rawLf) - raw) + 1});
}

bool TextFileReader::ResumeAt(std::uint64_t fileOffset)
{
    if (!m_file)
        return false;
#ifdef _WIN32
    const int failed = _fseeki64(m_file, static_cast<long long>(fileOffset), SEEK_SET);
#else
    const int failed = fseeko(m_file, static_cast<off_t>(fileOffset), SEEK_SET);
#endif
    if (failed)
        return false;
    m_fileOffset = fileOffset;
    m_textBase = 0;
    m_text.clear();
    m_textPos = 0;
    m_pendingCr = false;
    m_ended = false;
    m_stopped = false;
    return true;
}

size_t TextFileReader::Read(char* buffer, size_t size)
{
    while (m_textPos == m_text.size()) {
        if (!Fill() && m_textPos == m_text.size())
            return 0;
    }
    const size_t n = std::min(size, m_text.size() - m_textPos);
    std::memcpy(buffer, m_text.data() + m_textPos, n);
    m_textPos += n;
    return n;
}

bool TextFileReader::ReadLine(std::string& line)
{
    line.clear();
    bool any = false;
    for (;;) {
        if (m_textPos == m_text.size() && !Fill() && m_textPos == m_text.size()) {
            if (any) {
                ++m_lines;
                m_lineOpen = true;
            }
            return any;
        }
        const char* start = m_text.data() + m_textPos;
        const size_t available = m_text.size() - m_textPos;
        any = any || available > 0;
        const void* lf = std::memchr(start, '\n', available);
        if (lf) {
            const size_t n = static_cast<size_t>(static_cast<const char*>(lf) - start);
            line.append(start, n);
            m_textPos += n + 1;
            ++m_lines;
            m_lineOpen = false;
            return true;
        }
        line.append(start, available);
        m_textPos += available;
    }
}

TextFileContent ReadTextFile(const std::filesystem::path& path)
{
    TextFileContent content;
    TextFileReader reader(path);
    if (!reader.IsOpen()) {
        content.error = reader.OpenError();
        return content;
    }
    char buffer[ChunkSize];
    while (const size_t n = reader.Read(buffer, sizeof buffer))
        content.text.append(buffer, n);
    content.ok = !reader.HadReadError();
    if (!content.ok)
        content.error = "read error";
    return content;
}

namespace {
// The temporary files not yet committed, where a signal handler finds them: fixed storage, written
// before a slot is marked used.
#ifdef _WIN32
using NativeChar = wchar_t;
#else
using NativeChar = char;
#endif
constexpr int UnfinishedSlots = 4;
constexpr size_t LongestPath = 4096;
struct UnfinishedFile {
    std::atomic<bool> used{false};
    NativeChar path[LongestPath] = {};
};
UnfinishedFile g_unfinished[UnfinishedSlots];
std::atomic<bool> g_ending{false}; // the program is being ended: writers stop

// While a temporary file is created and remembered, the clean-up waits: a Ctrl+C at that moment would
// otherwise miss the file. Signals are held back in this thread, the only one a shift writes from;
// on Windows the console handler, a thread of its own, waits for the lock.
#ifdef _WIN32
std::mutex g_creating;
class CleanUpHeld {
public:
    CleanUpHeld() { g_creating.lock(); }
    ~CleanUpHeld() { g_creating.unlock(); }
    CleanUpHeld(const CleanUpHeld&) = delete;
    CleanUpHeld& operator=(const CleanUpHeld&) = delete;
};
#else
class CleanUpHeld {
public:
    CleanUpHeld()
    {
        sigset_t ending;
        sigemptyset(&ending);
        for (const int signal : EndingSignals)
            sigaddset(&ending, signal);
        pthread_sigmask(SIG_BLOCK, &ending, &m_before);
    }
    ~CleanUpHeld() { pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    CleanUpHeld(const CleanUpHeld&) = delete;
    CleanUpHeld& operator=(const CleanUpHeld&) = delete;

private:
    sigset_t m_before{};
};
#endif

int Remember(const std::filesystem::path& temporary)
{
    const auto& native = temporary.native();
    if (native.empty() || native.size() >= LongestPath)
        return -1;
    for (int slot = 0; slot < UnfinishedSlots; ++slot) {
        bool expected = false;
        if (g_unfinished[slot].used.load() || !g_unfinished[slot].used.compare_exchange_strong(expected, true))
            continue;
        // Its first character last: until then a handler in between sees an empty path.
        NativeChar* const path = g_unfinished[slot].path;
        path[0] = 0;
        std::copy(native.begin() + 1, native.end(), path + 1);
        path[native.size()] = 0;
        std::atomic_signal_fence(std::memory_order_seq_cst);
        path[0] = native[0];
        return slot;
    }
    return -1;
}

void Forget(int slot)
{
    if (slot >= 0)
        g_unfinished[slot].used.store(false);
}

// A new file that RemoveUnfinishedFiles can remove while it is open. On Windows it is opened with leave
// to delete it: deleted then, it goes once its last handle closes, at the latest when the system ends
// the program.
OpenedFile CreateRemovable(const std::filesystem::path& path)
{
#ifdef _WIN32
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        if (fd < 0)
            CloseHandle(handle);
        else if (std::FILE* file = _fdopen(fd, "wb"))
            return {file, 0, {}};
        else
            _close(fd);
        DeleteFileW(path.c_str());
    }
    // Not made that way: made as any new file is, or refused with the reason.
#endif
    return OpenPlainFile(path, FileAccess::CreateNew);
}

// A new file beside `destination`, created with the usual permissions of a new file. Hidden on
// systems that hide dot files; it lives only until the rename or the clean-up.
std::FILE* CreateTemporaryBeside(const std::filesystem::path& destination, std::filesystem::path& temporary,
                                 std::string& reason)
{
    const auto stamp = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path name = ".";
        name += destination.filename();
        name += ".";
        name += std::to_string((stamp + static_cast<unsigned>(attempt)) % 1000000000ULL);
        name += ".tmp";
        temporary = destination;
        temporary.replace_filename(name);
        const OpenedFile created = CreateRemovable(temporary);
        reason = created.reason;
        if (created.file || created.errorNumber != EEXIST)
            return created.file;
    }
    return nullptr;
}
} // namespace

WholeFileWriter::WholeFileWriter(const std::filesystem::path& destination)
    : m_destination(destination)
{
    const CleanUpHeld held;
    m_file = CreateTemporaryBeside(destination, m_temporary, m_error);
    if (m_file)
        m_slot = Remember(m_temporary);
}

WholeFileWriter::~WholeFileWriter()
{
    if (m_file)
        std::fclose(m_file);
    if (!m_committed && !m_temporary.empty()) {
        std::error_code ec;
        std::filesystem::remove(m_temporary, ec);
    }
    Forget(m_slot);
}

bool WholeFileWriter::Write(std::string_view bytes)
{
    m_written = m_written && m_file && !g_ending.load(std::memory_order_relaxed)
                && (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), m_file) == bytes.size());
    return m_written;
}

bool WholeFileWriter::Commit(Naming naming, std::error_code& ec)
{
    if (!m_file) {
        ec = std::make_error_code(std::errc::io_error);
        return false;
    }
    const bool synced = SyncToDisk(m_file);
    const bool closed = std::fclose(m_file) == 0;
    m_file = nullptr;
    if (!m_written || !synced || !closed || g_ending.load()) {
        ec = std::make_error_code(std::errc::io_error);
        m_error = "the new file could not be written whole (is the disk full?)";
        return false;
    }
    if (naming == Naming::NoReplace)
        ec = RenameWithoutReplacing(m_temporary, m_destination);
    else
        std::filesystem::rename(m_temporary, m_destination, ec);
    if (ec) {
        m_error = ec.message();
        return false;
    }
    m_committed = true;
    SyncFolder(m_destination.parent_path()); // the new name survives a power cut; the file is in place either way
    return true;
}

std::error_code RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to)
{
#ifdef _WIN32
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH))
        return {};
    const DWORD error = GetLastError();
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return std::make_error_code(std::errc::file_exists);
    return {static_cast<int>(error), std::system_category()};
#else
#ifdef __linux__
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return {};
    // A file system without the flag says so; a link is the same test and move in one step there.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        return {errno, std::generic_category()};
#elif defined(__APPLE__)
    if (renamex_np(from.c_str(), to.c_str(), RENAME_EXCL) == 0)
        return {};
    if (errno != ENOTSUP)
        return {errno, std::generic_category()};
#endif
    if (link(from.c_str(), to.c_str()) != 0)
        return {errno, std::generic_category()};
    unlink(from.c_str());
    return {};
#endif
}

void RemoveUnfinishedFiles()
{
    g_ending.store(true);
#ifdef _WIN32
    // Each file goes once the program ends (CreateRemovable). One that cannot be deleted yet, which
    // another program holds open without leave to delete it, is tried again a little while: its
    // writer sees g_ending, fails its next write and removes the file itself. The system ends the
    // program within seconds all the same.
    const std::lock_guard<std::mutex> held(g_creating);
    bool deleted[UnfinishedSlots] = {};
    for (int wait = 0; wait < 150; ++wait) {
        bool any = false;
        for (int slot = 0; slot < UnfinishedSlots; ++slot) {
            const UnfinishedFile& file = g_unfinished[slot];
            if (deleted[slot] || !file.used.load() || file.path[0] == 0)
                continue;
            deleted[slot] = DeleteFileW(file.path) || GetLastError() == ERROR_FILE_NOT_FOUND;
            any = any || !deleted[slot];
        }
        if (!any)
            return;
        Sleep(20);
    }
#else
    for (const UnfinishedFile& file : g_unfinished) {
        if (file.used.load() && file.path[0] != 0)
            unlink(file.path);
    }
#endif
}
