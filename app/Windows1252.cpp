#include "app/Windows1252.h"

#include <array>

namespace {
// Characters of the bytes 0x80 to 0x9F. The five bytes without a letter of their own keep the C1
// control of the same number, as Windows maps them, so they come back unchanged.
// clang-format off
constexpr std::array<char16_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
// clang-format on

std::optional<char> ByteOf(char16_t ch)
{
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF))
        return static_cast<char>(ch);
    for (size_t i = 0; i < HighControls.size(); ++i) {
        if (HighControls[i] == ch)
            return static_cast<char>(0x80 + i);
    }
    return std::nullopt;
}
} // namespace

QString FromWindows1252(std::string_view bytes)
{
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        out[i] = (byte >= 0x80 && byte < 0xA0) ? QChar(HighControls[byte - 0x80]) : QChar(byte);
    }
    return text;
}

std::optional<std::string> ToWindows1252(const QString& text, QString* refused)
{
    std::string bytes;
    bytes.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text.at(i).unicode();
        if (const auto byte = ByteOf(ch)) {
            bytes.push_back(*byte);
            continue;
        }
        if (refused) {
            // A character beyond the basic plane is a surrogate pair: name it whole.
            const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size();
            *refused = text.mid(i, pair ? 2 : 1);
        }
        return std::nullopt;
    }
    return bytes;
}
