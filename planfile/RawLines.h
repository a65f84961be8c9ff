#pragma once
// A plan file's lines with their own bytes: each line as the check reads it (without its line end) and
// the line end as found (LF, CR LF or none), with the offset of the line in the file. Lines end where
// a text-mode read ends them, so line numbers agree with the report; the bytes from the first 0x1A
// on are no line and come back whole as the file's tail. A UTF-8 byte-order mark at the start is no
// part of the first line and comes back as the file's prefix; UTF-16 text is not read. Core, no Qt.

#include "input/TextFile.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

class RawLineReader {
public:
    // Opens only a plain file that exists: a missing name is not created, a folder or a pipe is
    // refused at once, and so is UTF-16 text.
    explicit RawLineReader(const std::filesystem::path& path);
    ~RawLineReader();
    RawLineReader(const RawLineReader&) = delete;
    RawLineReader& operator=(const RawLineReader&) = delete;

    // Empty when the file is open; otherwise why it is not.
    const std::string& OpenError() const { return m_openError; }
    bool HadReadError() const { return m_readError; }
    // The file's size when it was opened, for progress.
    std::uint64_t Size() const { return m_size; }

    // The next line; false at the end. The views hold until the next call.
    bool Next();
    std::string_view Line() const { return m_line; }
    std::string_view Ending() const { return m_ending; }
    std::uint64_t Offset() const { return m_offset; }        // of the line's first byte
    std::int64_t LineNumber() const { return m_lineNumber; } // 1 for the first line
    // The byte-order mark before the first line, or nothing.
    std::string_view Prefix() const { return m_prefix; }
    // The bytes from the first 0x1A to the end of the file, once Next() has returned false.
    std::string_view Tail() const { return m_tail; }
    // Once Next() has returned false: where a 0x1A ended the text before the file's end.
    TextStop Stop() const;

    // Goes on at `offset`, a line start met before (or the Prefix's size), as line number `lineNumber`.
    bool Seek(std::uint64_t offset, std::int64_t lineNumber);

private:
    bool Fill();

    std::FILE* m_file = nullptr;
    std::string m_openError;
    bool m_readError = false;
    bool m_atEnd = false;
    std::uint64_t m_size = 0;
    std::string m_buffer; // bytes read and not yet handed out, from m_bufferOffset
    size_t m_pos = 0;
    std::uint64_t m_bufferOffset = 0;
    std::string m_current; // the line and its end, when it straddled two reads
    std::string_view m_line;
    std::string_view m_ending;
    std::string m_tail;
    std::string_view m_prefix;
    std::uint64_t m_offset = 0;
    std::int64_t m_lineNumber = 0;
    std::int64_t m_stopLine = 0; // the line of the 0x1A
};
