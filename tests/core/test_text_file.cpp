// Opening files for reading, and a new file made only where none is yet. The refusal of what is no
// plain file: the plan output's tests; the byte rules of reading: the fuzz regressions.
#include "check/ExistingPlans.h"
#include "input/TextFile.h"
#include "planfile/PlanFileReader.h"
#include "planfile/RawLines.h"
#include "planfile/Registrations.h"

#include "ScratchFolder.h"

#include <atomic>
#include <cstdlib>

TEST(TextFile, ReadsOnlyWhatWasChosenAndCreatesANewFileOnlyWhereNoneIsYet)
{
    ScratchFolder folder;
    EXPECT_EQ(ReadTextFile({}).error, "no file was chosen");
    EXPECT_TRUE(ReadTextFile(folder / "new.txt").ok && fs::file_size(folder / "new.txt") == 0); // made empty
    EXPECT_EQ(OpenPlainFile(folder / "new.txt", FileAccess::CreateNew).errorNumber, EEXIST);    // exists: refused
#ifdef __linux__
    EXPECT_EQ(ReadTextFile("/proc/self/mem").error, "read error"); // opens, but a read fails
#endif
}

// The readers of the checks, the plan lines', the shift's and the plan check's, by the same table: a
// UTF-8 byte-order mark is skipped, UTF-16 text refused, a lone CR stays in its line, and a 0x1A with
// bytes after it is found on its line; the plan check says so under the plan file's plans. Line numbers go on past 2^31
// from a reader started near there.
TEST(TextFile, TheCheckReadersAgreeOnMarksCrsAndTheEndOfTheText)
{
    using namespace std::string_literals;
    ScratchFolder folder;
    const struct {
        std::string bytes;
        const char* lines; // each line and its number; or the refusal
        std::uint64_t stopLine;
        std::uint64_t bytesAfter;
        const char* notes; // what the plan check shows of them
    } cases[] = {
        {"\xEF\xBB\xBFJET7,R\r\nB\n", "1:JET7,R|2:B|", 0, 0, ""},
        {"A\rB\r\nC", "1:A\rB|2:C|", 0, 0,
         "Warning: line 1 of the plan file: a lone CR (carriage return) ends no line here; the line goes on after it."},
        {"A\nB\x1A tail\n", "1:A|2:B|", 2, 6,
         "Warning: line 2 of the plan file: a Ctrl-Z byte: the text ends here; 6 bytes after it are not read."},
        {"A\n\x1A\x1A", "1:A|", 2, 1,
         "Warning: line 2 of the plan file: a Ctrl-Z byte: the text ends here; 1 byte after it is not read."},
        {"A\n\x1A", "1:A|", 0, 0, ""},
        {"\xFF\xFE"
         "A\0\n\0"s,
         "is UTF-16 text; save it as ANSI (Windows-1252)", 0, 0, ""},
        {"\0A\0\n"s, "is UTF-16 text; save it as ANSI (Windows-1252)", 0, 0, ""},
        {"\rB\n\rB\n\rB\n\rB\n\x1Axy", "1:\rB|2:\rB|3:\rB|4:\rB|", 5, 2,
         "Warning: line 1 of the plan file: a lone CR (carriage return) ends no line here; the line goes on after it.\n"
         "Warning: line 2 of the plan file: a lone CR (carriage return) ends no line here; the line goes on after it.\n"
         "Warning: line 5 of the plan file: a Ctrl-Z byte: the text ends here; 2 bytes after it are not read.\n"
         "Warning: 2 more lines with a lone CR."},
        {"A\0\n"s, "is UTF-16 text; save it as ANSI (Windows-1252)", 0, 0, ""}, // an odd byte count: the last one alone
    };
    const std::atomic<bool> stop = false;
    int index = 0;
    for (const auto& c : cases) {
        const fs::path file = folder / ("case" + std::to_string(++index) + ".txt");
        WriteBytes(file, c.bytes);
        PlanFileReader lines(file);
        RawLineReader raw(file);
        std::string read = lines.OpenError();
        std::string readRaw = raw.OpenError();
        std::string line;
        while (lines.NextLine(line))
            read += std::to_string(lines.LineNumber()) + ":" + line + "|";
        while (raw.Next())
            readRaw += std::to_string(raw.LineNumber()) + ":" + std::string(raw.Line()) + "|";
        EXPECT_EQ(read, c.lines) << index;
        EXPECT_EQ(readRaw, c.lines) << index;
        for (const TextStop textStop : {lines.Stop(), raw.Stop()}) {
            EXPECT_EQ(textStop.line, c.stopLine) << index;
            EXPECT_EQ(textStop.bytesAfter, c.bytesAfter) << index;
        }
        const ExistingPlans plans = ReadExistingPlans(file, stop);
        EXPECT_EQ(plans.ok ? plans.NotesText() : plans.error, plans.ok ? c.notes : c.lines) << index;
    }
    const std::int64_t near = (std::int64_t{1} << 31) - 1;
    PlanFileReader lines(folder / "case2.txt", near);
    RawLineReader raw(folder / "case2.txt");
    ASSERT_TRUE(raw.Seek(0, near));
    std::string line;
    for (const std::int64_t expected : {near, near + 1}) {
        EXPECT_TRUE(lines.NextLine(line) && raw.Next());
        EXPECT_EQ(lines.LineNumber(), expected);
        EXPECT_EQ(raw.LineNumber(), expected);
    }
    Registrations registrations;
    registrations.Add("D-A", 1, near + 2);
    registrations.Add("D-A", 0, 5);
    EXPECT_EQ(registrations.SharedUses().back().line, near + 2);
    EXPECT_EQ(registrations.SharedUses().front().otherLine, near + 2);
}

// A check never creates the file it was to read; a new name is given only where none is yet.
TEST(TextFile, ReadingCreatesNothingAndANewNameReplacesNothing)
{
    ScratchFolder folder;
    EXPECT_FALSE(PlanFileReader(folder / "none.txt").OpenError().empty());
    EXPECT_FALSE(RawLineReader(folder / "none.txt").OpenError().empty());
    EXPECT_EQ(FileBeingRead(), folder / "none.txt") << "named when memory runs out";
    std::atomic<bool> stop = false;
    EXPECT_FALSE(ReadExistingPlans(folder / "none.txt", stop).ok);
    EXPECT_FALSE(fs::exists(folder / "none.txt"));

    WriteBytes(folder / "old.txt", "old");
    {
        WholeFileWriter writer(folder / "old.txt");
        ASSERT_TRUE(writer.Write("new"));
        std::error_code ec;
        EXPECT_FALSE(writer.Commit(WholeFileWriter::Naming::NoReplace, ec));
        EXPECT_EQ(ec, std::errc::file_exists);
    }
    EXPECT_EQ(ReadBytes(folder / "old.txt"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), fs::directory_iterator()), 1) << "no file left over";
}

// What the handler of a signal or of a closed console does before the system ends the program without
// unwinding it: the file being written goes, on Windows while it is still open.
TEST(TextFile, AFileBeingWrittenGoesWhenTheProgramIsEnded)
{
    // The statement runs in a process of its own, on Windows this test run again: the first names the folder.
    const char* const named = std::getenv("LEGWISE_ENDED");
    const fs::path folder =
        named ? fs::path(named) : fs::temp_directory_path() / ("legwise-" + std::to_string(std::random_device()()));
#ifdef _WIN32
    _putenv_s("LEGWISE_ENDED", folder.string().c_str());
#else
    setenv("LEGWISE_ENDED", folder.c_str(), 1);
#endif
    fs::create_directories(folder);
    EXPECT_EXIT(
        {
            WholeFileWriter writer(folder / "new.txt");
            RemoveUnfinishedFiles();
            std::_Exit(writer.Write("bytes") ? 1 : 0);
        },
        testing::ExitedWithCode(0), "");
    EXPECT_TRUE(fs::is_empty(folder));
    fs::remove_all(folder);
}
