#include "input/ListReading.h"

#include "ScratchFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using namespace std::literals;
using Entries = std::vector<std::string>;

// Lines with the aircraft entry and the airport code each gives; octal 240 is the no-break space, no blank.
const std::tuple<std::string, std::optional<std::string>, std::optional<std::string>> LineCases[] = {
    {"  id1,a,\"Title one\" rest", "id1,a,\"Title one\"", "id1"},
    {"id2,a,\"Title, with comma\"", "id2,a,\"Title, with comma\"", "id2"},
    {"id3,a,Title", "", "id3"},
    {"id4,a,\"Title", "", "id4"},
    {" ABCD , 50.1, 8.6", "", "ABCD"},
    {"abcd,x", "", "abcd"},
    {"ABCD", "", std::nullopt},
    {" \t ,\"\"", ",\"\"", std::nullopt},
    {"\240EDDF\240,\"Caf\xE9\" \t", "\240EDDF\240,\"Caf\xE9\"", "\240EDDF\240"},
    {" \t\v\f\r ", std::nullopt, std::nullopt},
    {"", std::nullopt, std::nullopt},
};

// The table's lines with CR LF, then with LF: of 127 and 200 bytes (both quotes in the last 73), a lone CR,
// NULs that end a line's text, a duplicate, a line across four 64 KiB reads, one cut by a NUL, and 0x1A.
TEST(ReadLists, GiveTheLineRulesResultsInFileOrder)
{
    std::string bytes;
    Entries aircraft, airports;
    for (const auto& [line, entry, code] : LineCases) {
        bytes += line + "\r\n";
        if (entry)
            aircraft.push_back(*entry);
        if (code)
            airports.push_back(*code);
    }
    const std::string a(120, 'a'), b(127, 'b'), a127 = a + ",\"bcde\"", b200 = b + ",\"" + std::string(70, 'T') + "\"";
    const std::string huge = "HUGE,\"O'Hare's " + std::string(200 * 1024, 'h');
    bytes += a127 + "\n" + b200
             + "\nEDDF\r,\"a\rb\"\nED\0DF,\"a\"\nEDDM\0,\"b\"\n  \0EDDK,\"\"\nEDDF,\"x\"\nEDDF,\"x\"\n"s + huge
             + "\" x\nCUT" + std::string(100 * 1024, 'c') + "\0,\"b\"\nEDDH,\"c\"\x1A\r\nEDDK,\"d\"\r\n"s;
    aircraft.insert(aircraft.end(),
                    {a127, b200, "EDDF\r,\"a\rb\"", "", "", "EDDF,\"x\"", "EDDF,\"x\"", huge + "\"", "", "EDDH,\"c\""});
    airports.insert(airports.end(), {a, b, "EDDF", "EDDF", "EDDF", "HUGE", "EDDH"});
    ScratchFolder folder;
    WriteBytes(folder / "list.txt", bytes);
    EXPECT_EQ(ReadAircraftEntries(folder / "list.txt").entries, aircraft);
    EXPECT_EQ(ReadAirportCodes(folder / "list.txt").entries, airports);
}

TEST(ReadLists, CreateAMissingFileAndReportOneThatCannotBeRead)
{
    ScratchFolder folder;
    EXPECT_TRUE(ReadAircraftEntries(folder / "new.txt").ok && std::filesystem::is_regular_file(folder / "new.txt"));
    const std::filesystem::path unreadable[] = {{}, folder / "nowhere" / "a.txt", folder.path, "/proc/self/mem"};
    for (const std::filesystem::path& path : unreadable)
        EXPECT_FALSE(ReadAircraftEntries(path).ok || ReadAirportCodes(path).error.empty()) << path;
#ifdef __linux__
    EXPECT_EQ(ReadAirportCodes("/proc/self/mem").error, "the file could not be read to its end");
#endif
}

TEST(EntryList, KeepsEveryByteOfEachEntryApart)
{
    EXPECT_EQ((EntryList{"a\"b", "", "A\0B"sv, "\xE9"}.ToStrings()), (Entries{"a\"b", "", "A\0B"s, "\xE9"}));
    EXPECT_FALSE((EntryList{"ab", "c"} == Entries{"a", "bc"}) || (EntryList{"a"} == Entries{"a", ""}));
}

// 30,000 airport lines across many 64 KiB reads, with CR LF, LF and lone CRs, lines without a code,
// a line of 150 KiB and a CR at the end of a read: every entry's own line is found again, also where
// codes repeat; a line changed since gives nothing rather than another line.
TEST(ReadLists, FindAnAirportEntrysOwnLineAgain)
{
    std::string bytes;
    std::vector<std::string> lines;
    std::mt19937 random(7);
    for (int i = 0; i < 30000; ++i) {
        std::string line = i % 97 == 0 ? "no code here" : "K" + std::to_string(i % 5000) + ",N\r" + std::to_string(i);
        if (i == 12345)
            line += std::string(150 * 1024, 'x');
        if (line.find(',') != std::string::npos)
            lines.push_back(line);
        bytes += line + (random() % 2 ? "\r\n" : "\n");
    }
    ScratchFolder folder;
    WriteBytes(folder / "airports.txt", bytes);
    const ListReadResult read = ReadAirportCodes(folder / "airports.txt");
    ASSERT_EQ(read.entries.size(), lines.size());
    EXPECT_GT(read.marks.size(), 5u);
    auto lineOf = [&](size_t i) { return AirportLineOfEntry(folder / "airports.txt", read.marks, i, read.entries[i]); };
    for (size_t i = 0; i < lines.size(); i += 1 + random() % 40)
        ASSERT_EQ(lineOf(i), lines[i]) << "entry " << i;
    EXPECT_EQ(lineOf(lines.size() - 1), lines.back());
    EXPECT_EQ(AirportLineOfEntry(folder / "airports.txt", read.marks, lines.size(), "K1"), std::nullopt);
    WriteBytes(folder / "airports.txt", bytes.replace(bytes.find("K1,"), 2, "ZZ"));
    EXPECT_EQ(lineOf(0), std::nullopt);
}
