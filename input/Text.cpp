#include "input/Text.h"

#include <algorithm>
#include <climits>

std::string_view TrimLeftView(std::string_view text)
{
    size_t first = 0;
    while (first < text.size() && IsBlank(static_cast<unsigned char>(text[first])))
        ++first;
    return text.substr(first);
}

std::string_view TrimRightView(std::string_view text)
{
    size_t end = text.size();
    while (end > 0 && IsBlank(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(0, end);
}

std::string TrimLeftBlanks(std::string_view text) { return std::string(TrimLeftView(text)); }
std::string TrimRightBlanks(std::string_view text) { return std::string(TrimRightView(text)); }
std::string TrimBlanks(std::string_view text) { return std::string(TrimRightView(TrimLeftView(text))); }

bool IsBlankThroughout(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return IsBlank(static_cast<unsigned char>(c)); });
}

int IntegerValue(std::string_view text)
{
    size_t pos = 0;
    while (pos < text.size() && IsBlank(static_cast<unsigned char>(text[pos])))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    // Accumulate as a magnitude and stop growing once it passes the 32-bit range.
    long long magnitude = 0;
    constexpr long long limit = static_cast<long long>(INT_MAX) + 1;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        magnitude = magnitude * 10 + (text[pos] - '0');
        if (magnitude > limit)
            magnitude = limit;
    }
    if (negative)
        return static_cast<int>(-magnitude);
    return static_cast<int>(std::min<long long>(magnitude, INT_MAX));
}

std::string Left(std::string_view text, long long count)
{
    if (count <= 0)
        return {};
    return std::string(
        text.substr(0, static_cast<size_t>(std::min<long long>(count, static_cast<long long>(text.size())))));
}

std::string Right(std::string_view text, long long count)
{
    if (count <= 0)
        return {};
    const size_t n = static_cast<size_t>(std::min<long long>(count, static_cast<long long>(text.size())));
    return std::string(text.substr(text.size() - n));
}

// Windows-1252 letter pairs above 0x7F: 0x8A/0x9A (S caron), 0x8C/0x9C (OE), 0x8E/0x9E (Z caron),
// 0x9F/0xFF (Y diaeresis), and 0xC0-0xDE / 0xE0-0xFE except the multiplication and division signs.
unsigned char UpperByte(unsigned char byte)
{
    if (byte >= 'a' && byte <= 'z')
        return static_cast<unsigned char>(byte - 0x20);
    switch (byte) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: break;
    }
    if (byte >= 0xE0 && byte <= 0xFE && byte != 0xF7)
        return static_cast<unsigned char>(byte - 0x20);
    return byte;
}

unsigned char LowerByte(unsigned char byte)
{
    if (byte >= 'A' && byte <= 'Z')
        return static_cast<unsigned char>(byte + 0x20);
    switch (byte) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: break;
    }
    if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7)
        return static_cast<unsigned char>(byte + 0x20);
    return byte;
}

namespace {
template <typename Map>
std::string MapBytes(std::string_view text, Map map)
{
    std::string result(text);
    for (char& c : result)
        c = static_cast<char>(map(static_cast<unsigned char>(c)));
    return result;
}
} // namespace

std::string MakeUpper(std::string_view text) { return MapBytes(text, UpperByte); }
std::string MakeLower(std::string_view text) { return MapBytes(text, LowerByte); }

std::string MakeLowerAscii(std::string_view text)
{
    return MapBytes(text,
                    [](unsigned char b) { return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 0x20) : b; });
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int x = LowerByte(static_cast<unsigned char>(a[i]));
        const int y = LowerByte(static_cast<unsigned char>(b[i]));
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}
