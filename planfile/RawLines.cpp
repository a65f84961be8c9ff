#include "planfile/RawLines.h"

#include "input/TextFile.h"
#include "planfile/PlanFileReader.h"

namespace {
constexpr size_t ChunkSize = 1 << 16;
} // namespace

RawLineReader::RawLineReader(const std::filesystem::path& path)
{
    NoteFileBeingRead(path);
    m_openError = UnreadableReason(path);
    if (!m_openError.empty())
        return;
    OpenedFile opened = OpenPlainFile(path, FileAccess::Read);
    if (!opened.file) {
        m_openError = opened.reason;
        return;
    }
    m_file = opened.file;
    const std::string start = PeekStart(m_file, 64);
    if (IsUtf16Start(start)) {
        m_openError = Utf16Reason;
        std::fclose(m_file);
        m_file = nullptr;
        return;
    }
    if (start.starts_with(Utf8Mark)) {
        m_prefix = Utf8Mark;
        Seek(Utf8Mark.size(), 1);
    }
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    m_size = ec ? 0 : size;
}

RawLineReader::~RawLineReader()
{
    if (m_file)
        std::fclose(m_file);
}

bool RawLineReader::Fill()
{
    if (!m_file || m_atEnd)
        return false;
    m_bufferOffset += m_pos;
    m_buffer.erase(0, m_pos);
    m_pos = 0;
    const size_t kept = m_buffer.size();
    m_buffer.resize(kept + ChunkSize);
    const size_t got = std::fread(m_buffer.data() + kept, 1, ChunkSize, m_file);
    m_buffer.resize(kept + got);
    if (got == 0) {
        m_readError = std::ferror(m_file) != 0;
        m_atEnd = true;
        return false;
    }
    return true;
}

bool RawLineReader::Next()
{
    if (!m_file || !m_tail.empty())
        return false;
    // Finds the line end in the buffer, reading on while the line goes on.
    size_t searched = m_pos;
    size_t end = std::string::npos;
    size_t stop = std::string::npos; // a 0x1A
    for (;;) {
        for (size_t i = searched; i < m_buffer.size() && end == std::string::npos; ++i) {
            if (m_buffer[i] == '\x1a') {
                stop = i;
                break;
            }
            if (m_buffer[i] == '\n')
                end = i;
        }
        if (end != std::string::npos || stop != std::string::npos)
            break;
        const size_t scanned = m_buffer.size() - m_pos;
        if (!Fill())
            break;
        searched = m_pos + scanned;
    }
    const size_t lineEnd = end != std::string::npos ? end + 1 : stop != std::string::npos ? stop : m_buffer.size();
    if (lineEnd == m_pos && stop == std::string::npos)
        return false; // the end of the file
    m_offset = m_bufferOffset + m_pos;
    m_current.assign(m_buffer, m_pos, lineEnd - m_pos);
    m_pos = lineEnd;
    std::string_view whole = m_current;
    if (stop != std::string::npos) {
        // The text ends here; the rest of the file is kept as it is.
        m_tail.assign(m_buffer, stop);
        m_pos = m_buffer.size();
        while (Fill()) {
            m_tail += m_buffer;
            m_pos = m_buffer.size();
        }
        m_stopLine = m_lineNumber + 1;
        if (whole.empty())
            return false;
    }
    size_t endingSize = 0;
    if (!whole.empty() && whole.back() == '\n')
        endingSize = whole.size() >= 2 && whole[whole.size() - 2] == '\r' ? 2 : 1;
    m_line = whole.substr(0, whole.size() - endingSize);
    m_ending = whole.substr(whole.size() - endingSize);
    ++m_lineNumber;
    return true;
}

TextStop RawLineReader::Stop() const
{
    if (m_tail.size() < 2)
        return {};
    return {static_cast<std::uint64_t>(m_stopLine), m_tail.size() - 1};
}

bool RawLineReader::Seek(std::uint64_t offset, std::int64_t lineNumber)
{
    if (!m_file)
        return false;
#ifdef _WIN32
    const bool moved = _fseeki64(m_file, static_cast<long long>(offset), SEEK_SET) == 0;
#else
    const bool moved = fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
    if (!moved)
        return false;
    m_buffer.clear();
    m_pos = 0;
    m_bufferOffset = offset;
    m_atEnd = false;
    m_tail.clear();
    m_stopLine = 0;
    m_lineNumber = lineNumber - 1;
    return true;
}
