#include "app/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
std::string Byte(int value) { return std::string(1, static_cast<char>(value)); }
} // namespace

TEST(Blank, ExactlyTabToCarriageReturnAndSpace)
{
    for (int byte = 0; byte < 256; ++byte) {
        const bool expected = byte == 0x20 || (byte >= 0x09 && byte <= 0x0D);
        EXPECT_EQ(IsBlank(static_cast<unsigned char>(byte)), expected) << "byte 0x" << std::hex << byte;
    }
}

TEST(Trim, RemovesOnlyBlankBytesFromTheNamedEnd)
{
    struct Case {
        const char* name;
        std::string text;
        std::string left;
        std::string right;
        std::string both;
    };
    const std::vector<Case> cases = {
        {"every blank byte goes", "\t\n\v\f\r x \r\f\v\n\t", "x \r\f\v\n\t", "\t\n\v\f\r x", "x"},
        {"inner blanks stay", "  a b  ", "a b  ", "  a b", "a b"},
        {"no-break space 0xA0 is not blank", Byte(0xA0) + "a" + Byte(0xA0), Byte(0xA0) + "a" + Byte(0xA0),
         Byte(0xA0) + "a" + Byte(0xA0), Byte(0xA0) + "a" + Byte(0xA0)},
        {"NUL and 0x1F are not blank", Byte(0x1F) + "a" + std::string(1, '\0'), Byte(0x1F) + "a" + std::string(1, '\0'),
         Byte(0x1F) + "a" + std::string(1, '\0'), Byte(0x1F) + "a" + std::string(1, '\0')},
        {"blanks only become empty", " \t ", "", "", ""},
        {"empty stays empty", "", "", "", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimLeftBlanks(c.text), c.left) << c.name;
        EXPECT_EQ(TrimRightBlanks(c.text), c.right) << c.name;
        EXPECT_EQ(TrimBlanks(c.text), c.both) << c.name;
        EXPECT_EQ(IsBlankThroughout(c.text), c.both.empty()) << c.name;
    }
}

TEST(IntegerValue, ReadsLikeAtoi)
{
    struct Case {
        const char* text;
        int value;
    };
    const std::vector<Case> cases = {
        {"42", 42},
        {"  \t\n17", 17},
        {"+8", 8},
        {"-8", -8},
        {"-0", 0},
        {"12abc", 12},
        {"3.9", 3},
        {"0012", 12},
        {"", 0},
        {"   ", 0},
        {"abc", 0},
        {"+", 0},
        {"-", 0},
        {"+-5", 0},
        {"- 5", 0},
        {"\xA0"
         "5",
         0}, // a no-break space is not skipped
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", 2147483647},
        {"99999999999999999999", 2147483647},
        {"-99999999999999999999", -2147483647 - 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IntegerValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(LeftAndRight, NegativeCountsGiveEmptyOversizedCountsGiveTheWholeText)
{
    struct Case {
        long long count;
        std::string left;
        std::string right;
    };
    const std::vector<Case> cases = {
        {-5, "", ""},
        {0, "", ""},
        {1, "a", "f"},
        {3, "abc", "def"},
        {6, "abcdef", "abcdef"},
        {7, "abcdef", "abcdef"},
        {1LL << 40, "abcdef", "abcdef"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Left("abcdef", c.count), c.left) << "count " << c.count;
        EXPECT_EQ(Right("abcdef", c.count), c.right) << "count " << c.count;
    }
    EXPECT_EQ(Left("", 3), "");
    EXPECT_EQ(Right("", 3), "");
}

TEST(LetterCase, FollowsWindows1252)
{
    struct Case {
        const char* name;
        int upper;
        int lower;
    };
    const std::vector<Case> pairs = {
        {"A", 'A', 'a'},         {"Z", 'Z', 'z'},          {"S caron", 0x8A, 0x9A},
        {"OE", 0x8C, 0x9C},      {"Z caron", 0x8E, 0x9E},  {"Y diaeresis", 0x9F, 0xFF},
        {"A grave", 0xC0, 0xE0}, {"A umlaut", 0xC4, 0xE4}, {"O stroke", 0xD8, 0xF8},
        {"Thorn", 0xDE, 0xFE},
    };
    for (const Case& c : pairs) {
        EXPECT_EQ(MakeUpper(Byte(c.lower)), Byte(c.upper)) << c.name;
        EXPECT_EQ(MakeLower(Byte(c.upper)), Byte(c.lower)) << c.name;
        EXPECT_EQ(MakeUpper(Byte(c.upper)), Byte(c.upper)) << c.name;
        EXPECT_EQ(MakeLower(Byte(c.lower)), Byte(c.lower)) << c.name;
    }
    // Every capital from 0xC0 to 0xDE has its small letter 0x20 above, except the multiplication sign.
    for (int capital = 0xC0; capital <= 0xDE; ++capital) {
        const int small = capital + 0x20;
        const bool signs = capital == 0xD7;
        EXPECT_EQ(LowerByte(static_cast<unsigned char>(capital)), signs ? capital : small)
            << "byte 0x" << std::hex << capital;
        EXPECT_EQ(UpperByte(static_cast<unsigned char>(small)), signs ? small : capital)
            << "byte 0x" << std::hex << small;
    }
}

TEST(LetterCase, LeavesSignsDigitsAndUncasedBytesAlone)
{
    const std::vector<int> unchanged = {0x00, '0',  '9',  '@',  '[',  '`',  '{',  '_',  0x7F, 0x80,
                                        0x8B, 0x9B, 0xA0, 0xAA, 0xB5, 0xBA, 0xD7, 0xDF, 0xF7};
    for (int byte : unchanged) {
        EXPECT_EQ(MakeUpper(Byte(byte)), Byte(byte)) << "byte 0x" << std::hex << byte;
        EXPECT_EQ(MakeLower(Byte(byte)), Byte(byte)) << "byte 0x" << std::hex << byte;
    }
    EXPECT_EQ(MakeUpper("eddf, Frankfurt/Main 2"), "EDDF, FRANKFURT/MAIN 2");
    EXPECT_EQ(MakeLower("C:\\Flight\\AirportsPersonal.TXT"), "c:\\flight\\airportspersonal.txt");
}

TEST(LetterCase, AsciiLoweringLeavesUtf8BytesWhole)
{
    // "Ä" and "Š" in UTF-8: their bytes would be changed by the code page rules.
    const std::string path =
        "/Home/\xC3\x84rger/\xC5\xA0"
        "ABC.txt";
    EXPECT_EQ(MakeLowerAscii(path),
              "/home/\xC3\x84rger/\xC5\xA0"
              "abc.txt");
    EXPECT_NE(MakeLower(path), MakeLowerAscii(path));
    for (int byte = 0x80; byte < 0x100; ++byte)
        EXPECT_EQ(MakeLowerAscii(Byte(byte)), Byte(byte)) << "byte 0x" << std::hex << byte;
}

TEST(CompareNoCase, IgnoresLetterCaseByTheCodePage)
{
    struct Case {
        std::string a;
        std::string b;
        int sign;
    };
    const std::vector<Case> cases = {
        {"EDDF", "eddf", 0},  {"\xC4rger", "\xE4RGER", 0}, {"\x8A", "\x9A", 0}, {"abc", "abd", -1},
        {"ABD", "abc", 1},    {"ab", "abc", -1},           {"abc", "AB", 1},    {"", "", 0},
        {"\xD7", "\xF7", -1}, // the multiplication and division signs are no letter pair
    };
    for (const Case& c : cases) {
        const int result = CompareNoCase(c.a, c.b);
        EXPECT_EQ((result > 0) - (result < 0), c.sign) << '"' << c.a << "\" vs \"" << c.b << '"';
    }
}

TEST(StartsWithNoCase, MatchesAPrefixInAnyCase)
{
    EXPECT_TRUE(StartsWithNoCase("Boeing 737", "BOEING"));
    EXPECT_TRUE(StartsWithNoCase("abc", ""));
    EXPECT_TRUE(StartsWithNoCase("abc", "ABC"));
    EXPECT_FALSE(StartsWithNoCase("ab", "abc"));
    EXPECT_FALSE(StartsWithNoCase("Airbus", "Boeing"));
}
