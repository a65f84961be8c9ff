#include "input/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <utility>
#include <vector>

TEST(Trim, TakesExactlyTheSixBlankBytesFromTheNamedEnd)
{
    for (int value = 0; value < 256; ++value) {
        const std::string byte(1, static_cast<char>(value)), text = byte + "x" + byte;
        const bool blank = std::string("\t\n\v\f\r ").find(byte) != std::string::npos;
        EXPECT_EQ(TrimLeftBlanks(text), blank ? "x" + byte : text) << "byte 0x" << std::hex << value;
        EXPECT_EQ(TrimRightBlanks(text), blank ? byte + "x" : text) << "byte 0x" << std::hex << value;
        EXPECT_EQ(TrimBlanks(text), blank ? "x" : text) << "byte 0x" << std::hex << value;
        EXPECT_EQ(IsBlankThroughout(byte + byte), blank) << "byte 0x" << std::hex << value;
    }
    EXPECT_EQ(TrimBlanks("\t\n\v\f\r x y \r\f\v\n\t") + "|" + TrimLeftBlanks(" \t ") + TrimRightBlanks(" \t "), "x y|");
}

TEST(IntegerValue, ReadsLikeAtoiAndSaturatesAt32Bits)
{
    // Octal 240 is the no-break space 0xA0, which is no blank.
    const std::vector<std::pair<std::string, int>> cases = {
        {"42", 42}, {"  \t\n17", 17}, {"+8", 8},  {"-8", -8}, {"12abc", 12}, {"3.9", 3},
        {"", 0},    {"   ", 0},       {"+-5", 0}, {"- 5", 0}, {"\2405", 0},  {"2147483647", INT_MAX},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(IntegerValue(text), value) << '"' << text << '"';
    for (const std::string digits : {"2147483648", "2147483649", "99999999999999999999"}) {
        EXPECT_EQ(IntegerValue(digits), INT_MAX) << digits;
        EXPECT_EQ(IntegerValue("-" + digits), INT_MIN) << '-' << digits;
    }
}

TEST(LeftAndRight, NegativeCountsGiveNothingOversizedCountsTheWholeText)
{
    EXPECT_EQ(Left("abcdef", -5) + Right("abcdef", -5) + Left("abcdef", 0) + Right("abcdef", 0), "");
    EXPECT_EQ(Left("abcdef", 2) + "|" + Right("abcdef", 2), "ab|ef");
    EXPECT_EQ(Left("abcdef", 1LL << 40) + "|" + Right("abcdef", 1LL << 40), "abcdef|abcdef");
}

TEST(LetterCase, MapsAndComparesByTheWindows1252LetterPairs)
{
    // A, Z, S caron, OE, Z caron, Y diaeresis, A grave, A umlaut, O umlaut, O stroke, Thorn.
    const std::string capitals = "AZ\x8A\x8C\x8E\x9F\xC0\xC4\xD6\xD8\xDE";
    const std::string smalls = "az\x9A\x9C\x9E\xFF\xE0\xE4\xF6\xF8\xFE";
    // Signs next to the letters, the multiplication and division signs, sharp s and other uncased bytes.
    const std::string uncased = std::string(1, '\0') + "09@[`{_\x7F\x80\x8B\x9B\xA0\xAA\xB5\xBA\xBF\xD7\xDF\xF7";
    EXPECT_EQ(MakeUpper(smalls + capitals + uncased), capitals + capitals + uncased);
    EXPECT_EQ(MakeLower(smalls + capitals + uncased), smalls + smalls + uncased);
    // A path in UTF-8 ("Ärger", "Š") keeps its multi-byte letters whole.
    EXPECT_EQ(MakeLowerAscii("C:/AZ/\xC3\x84rger/\xC5\xA0.TXT"), "c:/az/\xC3\x84rger/\xC5\xA0.txt");
    std::vector<std::string> texts = {"\xF7", "ABD", "ab", "[", "\xE4RGER", "abc", "", "\xD7"};
    std::stable_sort(texts.begin(), texts.end(), [](const auto& a, const auto& b) { return CompareNoCase(a, b) < 0; });
    EXPECT_EQ(texts, (std::vector<std::string>{"", "[", "ab", "abc", "ABD", "\xD7", "\xE4RGER", "\xF7"}));
    EXPECT_TRUE(CompareNoCase("\xC4rger", "\xE4RGER") == 0 && CompareNoCase("EDDF", "eddf") == 0);
    EXPECT_TRUE(StartsWithNoCase("Boeing 737", "BOEING") && StartsWithNoCase("abc", "ABC"));
    EXPECT_FALSE(StartsWithNoCase("ab", "abc") || StartsWithNoCase("Airbus", "Boeing"));
}
