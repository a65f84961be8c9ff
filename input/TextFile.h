#pragma once
// Text-mode file access done by our own code, so every platform gives the same bytes:
// reading turns CR LF into LF, keeps a lone CR and ends at the first byte 0x1A;
// writing turns every LF into CR LF.

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

// A forward-only reader of one file in text mode, through a fixed buffer.
class TextFileReader {
public:
    // Opens `path` for reading. A missing file whose folder exists is created empty first, unless
    // `createMissing` is false: then it is not opened.
    explicit TextFileReader(const std::filesystem::path& path, bool createMissing = true);
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
