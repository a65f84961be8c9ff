#include "input/TextFile.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace std::string_literals;

namespace {
constexpr size_t Chunk = 64 * 1024;

std::vector<std::string> ReadAllLines(const std::filesystem::path& path)
{
    TextFileReader reader(path);
    std::vector<std::string> lines;
    std::string line;
    while (reader.ReadLine(line))
        lines.push_back(line);
    return lines;
}

std::string AllBytesAbove0x7F()
{
    std::string bytes;
    for (int b = 0x80; b < 0x100; ++b)
        bytes.push_back(static_cast<char>(b));
    return bytes;
}
} // namespace

TEST(TextFileReader, TranslatesBytesAsATextModeRead)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::string text;
    };
    const std::vector<Case> cases = {
        {"CR LF becomes LF", "a\r\nb\r\n", "a\nb\n"},
        {"bare LF stays", "a\nb", "a\nb"},
        {"lone CR stays", "a\rb\r\r\n", "a\rb\r\n"},
        {"CR at the very end stays", "a\r", "a\r"},
        {"0x1A ends the text",
         "ab\x1A"
         "cd\r\n",
         "ab"},
        {"0x1A right after a CR keeps the CR", "a\r\x1A\n", "a\r"},
        {"0x1A first gives nothing",
         "\x1A"
         "abc",
         ""},
        {"NUL is kept", "a\0b\r\n"s, "a\0b\n"s},
        {"bytes above 0x7F are kept", AllBytesAbove0x7F() + "\r\n", AllBytesAbove0x7F() + "\n"},
        {"empty file", "", ""},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        WriteBytes(folder / "in.txt", c.bytes);
        const TextFileContent content = ReadTextFile(folder / "in.txt");
        EXPECT_TRUE(content.ok) << c.name;
        EXPECT_EQ(content.text, c.text) << c.name;
        EXPECT_EQ(FromTextMode(c.bytes), c.text) << c.name;
    }
}

TEST(TextFileReader, HandlesACarriageReturnAtAChunkBoundary)
{
    struct Case {
        const char* name;
        std::string tail; // the bytes from the last byte of the first 64 KiB chunk on
        std::string text;
    };
    const std::vector<Case> cases = {
        {"CR LF split across chunks", "\r\nz", "\nz"},
        {"lone CR before the next chunk", "\rz", "\rz"},
        {"CR as the last byte of the file", "\r", "\r"},
        {"CR then 0x1A in the next chunk",
         "\r\x1A"
         "z",
         "\r"},
        {"0x1A as the first byte of the next chunk",
         "y\x1A"
         "z",
         "y"},
    };
    const std::string head(Chunk - 1, 'x');
    for (const Case& c : cases) {
        ScratchFolder folder;
        WriteBytes(folder / "in.txt", head + c.tail);
        const TextFileContent content = ReadTextFile(folder / "in.txt");
        ASSERT_EQ(content.text.size(), head.size() + c.text.size()) << c.name;
        EXPECT_EQ(content.text.substr(head.size()), c.text) << c.name;
    }
}

TEST(TextFileReader, AgreesWithTheInMemoryTranslationOnLongMixedInput)
{
    // Many chunks of bytes dense in CR, LF and NUL, read whole, in small pieces and by lines.
    std::mt19937 random(7);
    const std::string alphabet = "a\r\n\r\0\xFF"s;
    std::string bytes(5 * Chunk + 123, ' ');
    for (char& c : bytes)
        c = alphabet[random() % alphabet.size()];
    ScratchFolder folder;
    WriteBytes(folder / "in.txt", bytes);
    const std::string expected = FromTextMode(bytes);

    EXPECT_EQ(ReadTextFile(folder / "in.txt").text, expected);

    TextFileReader reader(folder / "in.txt");
    std::string pieces;
    char buffer[7];
    while (const size_t n = reader.Read(buffer, sizeof buffer))
        pieces.append(buffer, n);
    EXPECT_EQ(pieces, expected);

    std::string joined;
    for (const std::string& line : ReadAllLines(folder / "in.txt"))
        joined += line + "\n";
    if (!expected.empty() && expected.back() != '\n')
        joined.pop_back();
    EXPECT_EQ(joined, expected);
}

TEST(TextFileReader, ReadsPhysicalLines)
{
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"final line end", "a\r\nb\r\n", {"a", "b"}},
        {"no final line end", "a\nb", {"a", "b"}},
        {"empty lines count", "\n\na\n", {"", "", "a"}},
        {"a single line end", "\r\n", {""}},
        {"empty file", "", {}},
        {"lone CR is inside a line", "a\rb\n", {"a\rb"}},
        {"a line longer than a chunk", std::string(Chunk * 2 + 5, 'q') + "\nr", {std::string(Chunk * 2 + 5, 'q'), "r"}},
        {"nothing after 0x1A", "a\nb\x1A\nc\n", {"a", "b"}},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        WriteBytes(folder / "in.txt", c.bytes);
        EXPECT_EQ(ReadAllLines(folder / "in.txt"), c.lines) << c.name;
    }
}

TEST(TextFileReader, CreatesAMissingFileWhoseFolderExists)
{
    ScratchFolder folder;
    const auto path = folder / "new.txt";
    TextFileReader reader(path);
    EXPECT_TRUE(reader.IsOpen());
    EXPECT_TRUE(std::filesystem::is_regular_file(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
    char c;
    EXPECT_EQ(reader.Read(&c, 1), 0u);
}

TEST(TextFileReader, ReportsPathsThatCannotBeOpened)
{
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "sub");
    struct Case {
        const char* name;
        std::filesystem::path path;
    };
    const std::vector<Case> cases = {
        {"empty path", {}},
        {"missing folder", folder / "nowhere" / "in.txt"},
        {"a folder", folder / "sub"},
    };
    for (const Case& c : cases) {
        TextFileReader reader(c.path);
        EXPECT_FALSE(reader.IsOpen()) << c.name;
        EXPECT_FALSE(reader.OpenError().empty()) << c.name;
        const TextFileContent content = ReadTextFile(c.path);
        EXPECT_FALSE(content.ok) << c.name;
        EXPECT_TRUE(content.text.empty()) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "nowhere"));
}

#ifndef _WIN32
TEST(TextFileReader, RefusesAFileWithoutReadPermission)
{
    if (!PermissionsApply())
        GTEST_SKIP() << "running as the superuser, who may read any file";
    ScratchFolder folder;
    WriteBytes(folder / "secret.txt", "EDDF,x\n");
    std::filesystem::permissions(folder / "secret.txt", std::filesystem::perms::none);
    TextFileReader reader(folder / "secret.txt");
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_EQ(reader.OpenError(), "Permission denied");
}

TEST(TextFileReader, RefusesANamedPipeInsteadOfWaitingForAWriter)
{
    ScratchFolder folder;
    const auto pipe = folder / "pipe.txt";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    TextFileReader reader(pipe);
    EXPECT_FALSE(reader.IsOpen());
    EXPECT_FALSE(reader.OpenError().empty());
}
#endif

#ifdef __linux__
TEST(TextFileReader, ReportsAFileThatFailsToRead)
{
    // Reading this file's first bytes fails with an input/output error.
    const TextFileContent content = ReadTextFile("/proc/self/mem");
    EXPECT_FALSE(content.ok);
    EXPECT_FALSE(content.error.empty());
}
#endif

TEST(ToTextMode, WritesEveryLineFeedAsCarriageReturnLineFeed)
{
    struct Case {
        std::string text;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"a\nb", "a\r\nb"}, {"a\n\n", "a\r\n\r\n"}, {"\r", "\r"}, {"\r\n", "\r\r\n"}, {"a\0\n"s, "a\0\r\n"s}, {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToTextMode(c.text), c.bytes);
}
