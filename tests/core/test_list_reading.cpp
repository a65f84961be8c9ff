#include "input/ListReading.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <ranges>
#include <string>
#include <vector>

using namespace std::string_literals;
using Entries = std::vector<std::string>;

static_assert(std::ranges::random_access_range<EntryList>);

namespace {
EntryList ListOf(const Entries& strings)
{
    EntryList list;
    for (const std::string& entry : strings)
        list.push_back(entry);
    return list;
}
} // namespace

TEST(EntryList, GivesBackEachEntryWithItsOwnBytes)
{
    // Empty entries, a NUL and a long entry between others, all kept in one block.
    const Entries strings = {"AC#1,\"a\"", "", "AC\0#2,\"b\""s, "", std::string(300, 'x'), "EDDF"};
    const EntryList list = ListOf(strings);
    ASSERT_EQ(list.size(), strings.size());
    EXPECT_EQ(list, strings);
    EXPECT_EQ(list.ToStrings(), strings);
    for (size_t i = 0; i < strings.size(); ++i)
        EXPECT_EQ(list[i], strings[i]) << "entry " << i;
    EXPECT_EQ(Entries(list.begin(), list.end()), strings);
    EXPECT_EQ(Entries(std::make_reverse_iterator(list.end()), std::make_reverse_iterator(list.begin())),
              Entries(strings.rbegin(), strings.rend()));
    EXPECT_EQ(std::find(list.begin(), list.end(), "EDDF") - list.begin(), 5);
    EXPECT_EQ(list.begin()[2], strings[2]);
}

TEST(EntryList, TellsApartListsWhoseBytesRunTogetherAlike)
{
    struct Case {
        const char* name;
        Entries a;
        Entries b;
    };
    const Case cases[] = {
        {"the same bytes split in another place", {"ab", "c"}, {"a", "bc"}},
        {"an empty entry more", {"a"}, {"a", ""}},
        {"one entry fewer", {"a", "b"}, {"a"}},
        {"one byte other", {"EDDF", "EDDM"}, {"EDDF", "EDDN"}},
        {"no entry and one empty entry", {}, {""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ListOf(c.a), c.a) << c.name;
        EXPECT_NE(ListOf(c.a), c.b) << c.name;
        EXPECT_NE(ListOf(c.b), c.a) << c.name;
        EXPECT_NE(ListOf(c.a), ListOf(c.b)) << c.name;
    }
}

TEST(EntryList, IsShownInATestFailureWithEachEntryQuoted)
{
    EXPECT_EQ(testing::PrintToString(EntryList{"EDDF", "", "a\"b\x01"}), R"({ "EDDF", "", "a\"b\x1" })");
    EXPECT_EQ(testing::PrintToString(EntryList{}), "{}");
}

TEST(AircraftEntryFromLine, KeepsTheLineUpToItsSecondDoubleQuote)
{
    struct Case {
        const char* name;
        std::string line;
        std::optional<std::string> entry;
    };
    const std::vector<Case> cases = {
        {"text after the title is dropped", "  id1,a,\"Title one\" rest", "id1,a,\"Title one\""},
        {"a comma inside the title stays", "id2,a,\"Title, with comma\"", "id2,a,\"Title, with comma\""},
        {"no double quote gives an empty entry", "id3,a,Title", ""},
        {"one double quote gives an empty entry", "id4,a,\"Title", ""},
        {"a double quote at the very end is only one", "id5,a,\"", ""},
        {"an empty title is an entry", "\"\"", "\"\""},
        {"blanks after the title are dropped", "\tAC#1,450,\"Boeing 737\" \t\r", "AC#1,450,\"Boeing 737\""},
        {"a third double quote is not taken", "id6,\"a\"b\"", "id6,\"a\""},
        {"blanks only give nothing", " \t\v\f\r ", std::nullopt},
        {"an empty line gives nothing", "", std::nullopt},
        {"bytes above 0x7F are kept", "id7,a,\"Caf\xE9 \xA0\"", "id7,a,\"Caf\xE9 \xA0\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AircraftEntryFromLine(c.line), c.entry) << c.name;
}

TEST(AirportCodeFromLine, TakesTheTrimmedTextBeforeTheFirstComma)
{
    struct Case {
        const char* name;
        std::string line;
        std::optional<std::string> code;
    };
    const std::vector<Case> cases = {
        {"blanks around the code go", " ABCD , 50.1, 8.6", "ABCD"},
        {"case is kept", "abcd,x", "abcd"},
        {"no comma gives nothing", "ABCD", std::nullopt},
        {"nothing before the comma gives nothing", ",ABCD", std::nullopt},
        {"blanks before the comma give nothing", " \t ,ABCD", std::nullopt},
        {"blanks only give nothing", "  \t ", std::nullopt},
        {"an empty line gives nothing", "", std::nullopt},
        {"a usual airport line", "EDDF,N50* 2.00',E8* 34.00',364", "EDDF"},
        {"the code is not checked", "  Frank furt ,x", "Frank furt"},
        {"a byte above 0x7F is no blank",
         "\xA0"
         "EDDF\xA0,x",
         "\xA0"
         "EDDF\xA0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AirportCodeFromLine(c.line), c.code) << c.name;
}

namespace {
const Entries AircraftLines = {
    "  id1,a,\"Title one\" rest", "id2,a,\"Title, with comma\"", "id3,a,Title", "", "   ", "id4,a,\"Title",
    "id1,a,\"Title one\"",
};
const Entries AircraftList = {"id1,a,\"Title one\"", "id2,a,\"Title, with comma\"", "", "", "id1,a,\"Title one\""};

const Entries AirportLines = {" ABCD , 50.1, 8.6", "abcd,x", "ABCD", ",ABCD", "", "\t", "EDDF,N50,E8", "abcd,y"};
const Entries AirportList = {"ABCD", "abcd", "EDDF", "abcd"};

std::string Join(const Entries& lines, const std::string& lineEnd, bool finalLineEnd)
{
    std::string bytes;
    for (size_t i = 0; i < lines.size(); ++i) {
        bytes += lines[i];
        if (finalLineEnd || i + 1 < lines.size())
            bytes += lineEnd;
    }
    return bytes;
}
} // namespace

TEST(ReadLists, GiveTheSameListForEveryKindOfLineEnd)
{
    struct Case {
        const char* name;
        std::string lineEnd;
        bool finalLineEnd;
    };
    const std::vector<Case> cases = {
        {"LF", "\n", true},
        {"CR LF", "\r\n", true},
        {"LF, none at the end", "\n", false},
        {"CR LF, none at the end", "\r\n", false},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        WriteBytes(folder / "aircraft.txt", Join(AircraftLines, c.lineEnd, c.finalLineEnd));
        WriteBytes(folder / "airports.txt", Join(AirportLines, c.lineEnd, c.finalLineEnd));
        const ListReadResult aircraft = ReadAircraftEntries(folder / "aircraft.txt");
        const ListReadResult airports = ReadAirportCodes(folder / "airports.txt");
        EXPECT_TRUE(aircraft.ok && airports.ok) << c.name;
        EXPECT_EQ(aircraft.entries, AircraftList) << c.name;
        EXPECT_EQ(airports.entries, AirportList) << c.name;
    }
}

TEST(ReadLists, FollowTheBytesOfTheFile)
{
    struct Case {
        const char* name;
        std::string bytes;
        Entries aircraft;
        Entries airports;
    };
    const std::string longTitle = std::string(180, 'x') + ",\"Long title\"";
    const std::string longCode = std::string(250, 'C');
    const Case cases[] = {
        {"0x1A ends the list",
         "EDDF,\"a\"\r\nEDDM,\"b\"\x1A\r\nEDDH,\"c\"\r\n",
         {"EDDF,\"a\"", "EDDM,\"b\""},
         {"EDDF", "EDDM"}},
        {"NUL ends the line's text", "ED\0DF,\"a\"\nEDDM\0,\"b\"\nEDDH,\"c\0\"\n"s, {"", "", ""}, {"EDDH"}},
        {"a line blank before its NUL gives nothing", "  \0EDDF,\"a\"\n"s, {}, {}},
        {"a lone CR is part of the line", "EDDF\r,\"a\rb\"\r", {"EDDF\r,\"a\rb\""}, {"EDDF"}},
        {"a long aircraft line is one entry", longTitle + "\n", {longTitle}, {std::string(180, 'x')}},
        {"a long airport line is one code", longCode + ",N50," + std::string(200, 'y') + ",z\n", {""}, {longCode}},
        {"a line of exactly 127 bytes",
         std::string(120, 'a') + ",\"bcde\"\n",
         {std::string(120, 'a') + ",\"bcde\""},
         {std::string(120, 'a')}},
        {"duplicates are kept", "EDDF,\"a\"\nEDDF,\"a\"\n", {"EDDF,\"a\"", "EDDF,\"a\""}, {"EDDF", "EDDF"}},
        {"an empty file", "", {}, {}},
        {"blank lines only", " \r\n\t\n\n \x0B\x0C\n   ", {}, {}},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        WriteBytes(folder / "list.txt", c.bytes);
        const ListReadResult aircraft = ReadAircraftEntries(folder / "list.txt");
        const ListReadResult airports = ReadAirportCodes(folder / "list.txt");
        EXPECT_TRUE(aircraft.ok && airports.ok) << c.name;
        EXPECT_EQ(aircraft.entries, c.aircraft) << c.name;
        EXPECT_EQ(airports.entries, c.airports) << c.name;
    }
}

TEST(ReadLists, TakeA200ByteAircraftLineWithBothQuotesAtItsEndAsOneEntry)
{
    // The two double quotes lie in the last 73 bytes.
    const std::string line = std::string(127, 'a') + "," + std::string(40, 'b') + ",\"" + std::string(29, 'T') + "\"";
    ASSERT_EQ(line.size(), 200u);
    ScratchFolder folder;
    WriteBytes(folder / "aircraft.txt", line + "\r\nAC#2,1,\"B\"\r\n");
    EXPECT_EQ(ReadAircraftEntries(folder / "aircraft.txt").entries, (Entries{line, "AC#2,1,\"B\""}));
}

TEST(ReadLists, KeepLinesWholeAcrossTheReadersChunks)
{
    // Lines that straddle the 64 KiB chunks of the reader, and some far longer than a chunk.
    std::string bytes;
    Entries expectedAircraft;
    Entries expectedAirports;
    for (int i = 0; bytes.size() < 3 * 64 * 1024; ++i) {
        const std::string code = "C" + std::to_string(i);
        const std::string line =
            code + "," + std::to_string(i % 500) + ",\"Title " + std::string(static_cast<size_t>(i % 37), 't') + "\"";
        bytes += "  " + line + " trailing\r\n";
        expectedAircraft.push_back(line);
        expectedAirports.push_back(code);
    }
    const std::string huge = "HUGE," + std::string(200 * 1024, 'h') + "\"a\"";
    // The NUL ends this line's text before its comma and its title.
    const std::string cut = "CUT" + std::string(100 * 1024, 'c') + "\0,\"b\""s;
    bytes += huge + "\r\n" + cut + "\r\nLAST,\"z\"";
    expectedAircraft.insert(expectedAircraft.end(), {huge, "", "LAST,\"z\""});
    expectedAirports.insert(expectedAirports.end(), {"HUGE", "LAST"});

    ScratchFolder folder;
    WriteBytes(folder / "list.txt", bytes);
    EXPECT_EQ(ReadAircraftEntries(folder / "list.txt").entries, expectedAircraft);
    EXPECT_EQ(ReadAirportCodes(folder / "list.txt").entries, expectedAirports);
}

TEST(ReadLists, CreateAMissingFileAndReadItAsEmpty)
{
    ScratchFolder folder;
    const ListReadResult airports = ReadAirportCodes(folder / "airports.txt");
    EXPECT_TRUE(airports.ok);
    EXPECT_TRUE(airports.entries.empty());
    EXPECT_TRUE(std::filesystem::is_regular_file(folder / "airports.txt"));
}

TEST(ReadLists, ReportAFileThatCannotBeRead)
{
    ScratchFolder folder;
    std::filesystem::create_directory(folder / "sub");
    struct Case {
        const char* name;
        std::filesystem::path path;
    };
    std::vector<Case> cases = {
        {"no file chosen yet", {}},
        {"missing folder", folder / "nowhere" / "airports.txt"},
        {"a folder", folder / "sub"},
    };
#ifdef __linux__
    cases.push_back({"a read that fails", "/proc/self/mem"});
#endif
    for (const Case& c : cases) {
        const ListReadResult aircraft = ReadAircraftEntries(c.path);
        const ListReadResult airports = ReadAirportCodes(c.path);
        EXPECT_FALSE(aircraft.ok) << c.name;
        EXPECT_FALSE(airports.ok) << c.name;
        EXPECT_FALSE(aircraft.error.empty()) << c.name;
        EXPECT_TRUE(aircraft.entries.empty()) << c.name;
        EXPECT_TRUE(airports.entries.empty()) << c.name;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "nowhere"));
}

#ifndef _WIN32
TEST(ReadLists, ReportAFileWithoutReadPermission)
{
    if (!PermissionsApply())
        GTEST_SKIP() << "running as the superuser, who may read any file";
    ScratchFolder folder;
    WriteBytes(folder / "airports.txt", "EDDF,x\n");
    std::filesystem::permissions(folder / "airports.txt", std::filesystem::perms::none);
    const ListReadResult airports = ReadAirportCodes(folder / "airports.txt");
    EXPECT_FALSE(airports.ok);
    EXPECT_EQ(airports.error, "Permission denied");
    EXPECT_TRUE(airports.entries.empty());
}
#endif
