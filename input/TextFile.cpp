#include "input/TextFile.h"

#include <bit>
#include <cerrno>
#include <cstring>
#include <system_error>

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

TextFileReader::TextFileReader(const std::filesystem::path& path)
{
    if (path.empty()) {
        m_openError = "no file was chosen";
        return;
    }
    // Only a plain file is read: a named pipe would block the open until some writer came, and a
    // device could go on giving bytes for ever.
    std::error_code ec;
    const std::filesystem::file_status status = std::filesystem::status(path, ec);
    if (std::filesystem::is_directory(status)) {
        m_openError = std::generic_category().message(EISDIR);
        return;
    }
    if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status)) {
        m_openError = "not a regular file";
        return;
    }
    m_file = OpenFile(path, "rb");
    if (!m_file && errno == ENOENT) {
        // A missing file is created empty when its folder exists, and then reads as empty.
        if (std::FILE* created = OpenFile(path, "ab")) {
            std::fclose(created);
            m_file = OpenFile(path, "rb");
        }
    }
    if (!m_file) {
        m_openError = std::generic_category().message(errno);
        return;
    }
    m_raw.resize(ChunkSize);
    m_text.reserve(ChunkSize);
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
        m_text.clear();
        m_textPos = 0;
    }
    const size_t got = std::fread(m_raw.data(), 1, m_raw.size(), m_file);
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
        if (m_textPos == m_text.size() && !Fill() && m_textPos == m_text.size())
            return any;
        const char* start = m_text.data() + m_textPos;
        const size_t available = m_text.size() - m_textPos;
        any = any || available > 0;
        const void* lf = std::memchr(start, '\n', available);
        if (lf) {
            const size_t n = static_cast<size_t>(static_cast<const char*>(lf) - start);
            line.append(start, n);
            m_textPos += n + 1;
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
