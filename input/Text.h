#pragma once
// Byte text helpers. Every text of the program is 8-bit; lengths and positions are in bytes.

#include <string>
#include <string_view>

// The blank bytes: 0x09 to 0x0D and 0x20. A byte of 0x80 or above is never blank.
constexpr bool IsBlank(unsigned char byte) { return byte == 0x20 || (byte >= 0x09 && byte <= 0x0D); }

// The same text without its blanks at the left / right end, as a view into it.
std::string_view TrimLeftView(std::string_view text);
std::string_view TrimRightView(std::string_view text);

std::string TrimLeftBlanks(std::string_view text);
std::string TrimRightBlanks(std::string_view text);
std::string TrimBlanks(std::string_view text);
bool IsBlankThroughout(std::string_view text);

// The integer value of a text as atoi reads it: leading blanks, an optional sign, digits up to the
// first other byte; no digits gives 0. Values beyond 32 bits saturate instead of overflowing.
int IntegerValue(std::string_view text);

// The first / last `count` bytes; a negative count gives the empty text, an oversized one the whole.
std::string Left(std::string_view text, long long count);
std::string Right(std::string_view text, long long count);

// Letter case by the Windows-1252 code page (the ASCII letters and the accented Latin letters).
std::string MakeUpper(std::string_view text);
std::string MakeLower(std::string_view text);
// Lower-cases only A to Z: for paths, whose encoding may be UTF-8 and must not be split.
std::string MakeLowerAscii(std::string_view text);
unsigned char UpperByte(unsigned char byte);
unsigned char LowerByte(unsigned char byte);

// Byte-wise comparison of two texts as if both were lower-cased by the code page.
int CompareNoCase(std::string_view a, std::string_view b);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
