#pragma once
// Text-mode file access done by our own code, so every platform gives the same bytes:
// reading turns CR LF into LF, keeps a lone CR and ends at the first byte 0x1A;
// writing turns every LF into CR LF.

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// fopen on a path in the platform's file-name encoding (wide on Windows).
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);

// How OpenPlainFile opens a file; always in binary mode, never denying other programs access.
enum class FileAccess {
    Read,      // an existing file, from its start
    Append,    // created when missing, every write at its end
    CreateNew, // created by this call; fails with EEXIST when the name is taken, also by a link
};

struct OpenedFile {
    std::FILE* file = nullptr;
    int errorNumber = 0; // errno of a failed open; 0 when the file was refused for its kind
    std::string reason;  // why it was not opened, for the user
};

// Opens `path` only when it is a plain file. A folder, a named pipe or a device in its place is
// refused at once, never waited on, with the same reason on every platform: "Is a folder, not a
// file" or "Is a pipe or device, not a file".
OpenedFile OpenPlainFile(const std::filesystem::path& path, FileAccess access);

// Opens `path` for reading in binary mode, as the readers here do: only a plain file, and a missing
// file whose folder exists is created empty first.
OpenedFile OpenForReading(const std::filesystem::path& path);

// `path` with the symbolic links at its end followed, also when the last one names a file that
// does not exist yet: the file that opening `path` for writing would create or change.
std::filesystem::path FollowLinks(const std::filesystem::path& path);

// Flushes `file` and hands its bytes to the storage device. False, with errno set, on failure.
bool SyncToDisk(std::FILE* file);

// Makes the names in `folder` (a file created or renamed there) survive a power cut. Where the
// system offers no such call for folders, there is nothing to do.
bool SyncFolder(const std::filesystem::path& folder);

// Text as it lands on disk: every LF becomes CR LF, every other byte stays.
std::string ToTextMode(std::string_view text);

// Text as a text-mode read sees the bytes: CR LF becomes LF, the first 0x1A ends the text.
std::string FromTextMode(std::string_view bytes);

// Where a line begins, in the translated text and in the file's own bytes.
struct LineStartMark {
    std::uint64_t textOffset = 0;
    std::uint64_t fileOffset = 0;
};

// The bytes a UTF-8 byte-order mark puts at the start of a file.
constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";
// True when `start`, the first bytes of a file, is UTF-16 text: it has a UTF-16 byte-order mark, or
// every other byte of it is zero (a text of ours never holds a zero byte).
bool IsUtf16Start(std::string_view start);
// Why a UTF-16 file is not read.
extern const char* const Utf16Reason;
// Reads the first bytes of `file` (up to `size`) and goes back to its start; what a reader judges
// the text's encoding by.
std::string PeekStart(std::FILE* file, size_t size);

// What a reader does with a missing file and the first bytes of a file.
enum class ReadMode {
    CreateMissing, // a missing file whose folder exists is created empty first
    CheckedText,   // a missing file is not opened, a UTF-8 byte-order mark skipped, UTF-16 text refused
};

// Where a 0x1A ended the text with bytes still after it; line 0 when none did.
struct TextStop {
    std::uint64_t line = 0; // the line it stands in, from 1
    std::uint64_t bytesAfter = 0;
};

// A forward-only reader of one file in text mode, through a fixed buffer.
class TextFileReader {
public:
    explicit TextFileReader(const std::filesystem::path& path, ReadMode mode = ReadMode::CreateMissing);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    bool IsOpen() const { return m_file != nullptr; }
    // Why the file could not be opened (empty when it is open).
    const std::string& OpenError() const { return m_openError; }
    // True when a read failed midway; the input then ended early.
    bool HadReadError() const { return m_readError; }

    // Reads up to `size` translated bytes; returns 0 at the end of the input.
    size_t Read(char* buffer, size_t size);

    // The next physical line without its line feed. A last line without a line feed still counts;
    // false once nothing is left.
    bool ReadLine(std::string& line);

    // From now on, notes one line start in every raw chunk that holds a line feed: enough to find a
    // line again without reading the file from its start.
    void MarkLineStarts() { m_marking = true; }
    const std::vector<LineStartMark>& LineStarts() const { return m_lineStarts; }

    // Goes on reading at `fileOffset`, a line start noted before; false when the file cannot seek.
    bool ResumeAt(std::uint64_t fileOffset);

    // Once ReadLine has returned false: where a 0x1A ended the text before the file's end.
    TextStop Stop() const;

private:
    bool Fill();
    void MarkFirstLineStart(const char* raw, const char* rawEnd, size_t textFrom, std::uint64_t chunkOffset);

    std::FILE* m_file = nullptr;
    std::string m_openError;
    bool m_readError = false;
    bool m_ended = false;     // 0x1A met, or the file's end
    bool m_pendingCr = false; // a CR at the end of the last raw chunk, its follower unknown
    std::vector<char> m_raw;  // raw bytes of one chunk
    std::vector<char> m_text; // translated bytes not yet handed out
    size_t m_textPos = 0;
    std::uint64_t m_fileOffset = 0; // of the next raw chunk
    std::uint64_t m_textBase = 0;   // the translated offset of m_text[0]
    std::uint64_t m_stopOffset = 0; // of the 0x1A that ended the text, when one did
    bool m_stopped = false;
    std::uint64_t m_lines = 0; // lines ReadLine handed out
    bool m_lineOpen = false;   // the last of them ended without a line feed
    bool m_marking = false;
    std::vector<LineStartMark> m_lineStarts;
};

// The whole file, read in text mode. `ok` is false when it could not be opened or read.
struct TextFileContent {
    std::string text;
    bool ok = false;
    std::string error;
};
TextFileContent ReadTextFile(const std::filesystem::path& path);

// A new file written whole or not at all: its bytes go to a temporary file beside `destination`, which
// takes the final name only once every byte is on the disk. Until then the temporary file is removed
// by the destructor, and by RemoveUnfinishedFiles when a signal or a closed console ends the program.
class WholeFileWriter {
public:
    explicit WholeFileWriter(const std::filesystem::path& destination);
    ~WholeFileWriter();
    WholeFileWriter(const WholeFileWriter&) = delete;
    WholeFileWriter& operator=(const WholeFileWriter&) = delete;

    // Null when the temporary file could not be created; Error() says why.
    std::FILE* File() const { return m_file; }
    const std::filesystem::path& TemporaryPath() const { return m_temporary; }
    const std::string& Error() const { return m_error; }

    // False once a write failed or the program is being ended.
    bool Write(std::string_view bytes);
    enum class Naming { Replace, NoReplace };
    // Syncs the file and gives it the final name: with NoReplace, a file that has that name by then
    // is kept and the commit fails with EEXIST. False with Error() and `ec` set when it did not happen.
    bool Commit(Naming naming, std::error_code& ec);

private:
    std::filesystem::path m_destination;
    std::filesystem::path m_temporary;
    std::FILE* m_file = nullptr;
    bool m_written = true;
    bool m_committed = false;
    int m_slot = -1;
    std::string m_error;
};

// Gives `from` the name `to` only when no file has that name, in one step of the file system.
std::error_code RenameWithoutReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Removes the temporary files of every WholeFileWriter not yet committed, and makes the writers stop.
// Safe in a signal handler on POSIX systems. On Windows, from a console control handler, it deletes
// the open files, which go once the program ends, and waits a little for any it cannot delete yet.
void RemoveUnfinishedFiles();
#ifndef _WIN32
// The signals whose handler calls RemoveUnfinishedFiles: Ctrl+C, kill and a closed terminal.
inline constexpr int EndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
#endif
