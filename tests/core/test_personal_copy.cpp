#include "input/PersonalCopy.h"

#include "ScratchFolder.h"
#include "app/Text.h"
#include "input/TextFile.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;
using namespace std::string_literals;

namespace {
std::set<std::string> Names(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

const char* const OldCopy = "OLD1,a,\"Old\"\r\nOLD2,b,\"Old\"\r\n";
} // namespace

TEST(SkipsPersonalCopy, ComparesTheLastTwentyBytesOfTheStoredPath)
{
    struct Case {
        const char* chosen; // as the user chose it; the stored path is its lower-cased form
        InputFileKind kind;
        bool skipped;
    };
    const std::vector<Case> cases = {
        {"C:\\Sim\\AirportsPersonal.txt", InputFileKind::AirportFile, true},
        {"/home/pilot/AIRPORTSPERSONAL.TXT", InputFileKind::AirportFile, true},
        {"/Data/aIrPoRtSpErSoNaL.TxT", InputFileKind::AirportFile, true},
        {"/data/MyAirportsPersonal.txt", InputFileKind::AirportFile, true},
        {"AirportsPersonal.txt", InputFileKind::AirportFile, true},
        {"/data/Airports Personal.txt", InputFileKind::AirportFile, false},
        {"/data/AirportPersonal.txt", InputFileKind::AirportFile, false},
        {"/data/AirportsPersonal.txt.bak", InputFileKind::AirportFile, false},
        {"/data/AircraftPersonal.txt", InputFileKind::AirportFile, false},
        {"irportsPersonal.txt", InputFileKind::AirportFile, false},
        {"a.txt", InputFileKind::AirportFile, false},
        {"", InputFileKind::AirportFile, false},
        {"D:\\Traffic\\AircraftPersonal.TXT", InputFileKind::AircraftFile, true},
        {"/data/OldAircraftPersonal.txt", InputFileKind::AircraftFile, true},
        {"/data/Aircraft Personal.txt", InputFileKind::AircraftFile, false},
        {"/data/AirportsPersonal.txt", InputFileKind::AircraftFile, false},
        {"ircraftPersonal.txt", InputFileKind::AircraftFile, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SkipsPersonalCopy(MakeLower(c.chosen), c.kind), c.skipped) << c.chosen;
        EXPECT_EQ(SkipsPersonalCopy(MakeLowerAscii(c.chosen), c.kind), c.skipped) << c.chosen;
    }
}

TEST(CopyToPersonalFile, WritesTheSourceInTextMode)
{
    struct Case {
        const char* name;
        std::string source;
        std::string copy;
    };
    const std::vector<Case> cases = {
        {"bare LF gets its CR", "a\nb\n", "a\r\nb\r\n"},
        {"CR LF stays byte for byte", "EDDF,x\r\nEDDM,y\r\n", "EDDF,x\r\nEDDM,y\r\n"},
        {"no line end at the end stays so", "a\nb", "a\r\nb"},
        {"bare CR stays bare", "a\rb\r", "a\rb\r"},
        {"CR before CR LF", "a\r\r\nb", "a\r\r\nb"},
        {"the copy ends before 0x1A",
         "a\r\nb\x1A"
         "c\r\n",
         "a\r\nb"},
        {"NUL and bytes above 0x7F are kept", "\0\x80\xFF\n"s, "\0\x80\xFF\r\n"s},
        {"an empty source gives an empty copy", "", ""},
    };
    for (const Case& c : cases) {
        ScratchFolder folder;
        WriteBytes(folder / "in.txt", c.source);
        EXPECT_EQ(CopyToPersonalFile(folder / "in.txt", folder / "AirportsPersonal.txt"), CopyOutcome::Copied)
            << c.name;
        EXPECT_EQ(ReadBytes(folder / "AirportsPersonal.txt"), c.copy) << c.name;
        EXPECT_EQ(Names(folder.Path()), (std::set<std::string>{"in.txt", "AirportsPersonal.txt"})) << c.name;
    }
}

TEST(CopyToPersonalFile, LandsInTheCurrentDirectoryUnderItsPlainName)
{
    ScratchFolder folder;
    fs::create_directory(folder / "work");
    WriteBytes(folder / "airports.txt", "EDDF,x\n");
    WriteBytes(folder / "aircraft.txt", "AC#1,450,\"A\"\n");
    const fs::path before = fs::current_path();
    fs::current_path(folder / "work");
    const CopyOutcome airports =
        CopyToPersonalFile(folder / "airports.txt", PersonalCopyName(InputFileKind::AirportFile));
    const CopyOutcome aircraft =
        CopyToPersonalFile(folder / "aircraft.txt", PersonalCopyName(InputFileKind::AircraftFile));
    fs::current_path(before);
    EXPECT_EQ(airports, CopyOutcome::Copied);
    EXPECT_EQ(aircraft, CopyOutcome::Copied);
    EXPECT_EQ(Names(folder / "work"), (std::set<std::string>{"AirportsPersonal.txt", "AircraftPersonal.txt"}));
    EXPECT_EQ(ReadBytes(folder / "work" / "AirportsPersonal.txt"), "EDDF,x\r\n");
    EXPECT_EQ(ReadBytes(folder / "work" / "AircraftPersonal.txt"), "AC#1,450,\"A\"\r\n");
}

TEST(CopyToPersonalFile, CopiesALargeMixedSourceAcrossChunks)
{
    std::mt19937 random(11);
    const std::string alphabet = "EDDF,\r\n\r\n\0\xE9"s;
    std::string source(300 * 1024, ' ');
    for (char& c : source)
        c = alphabet[random() % alphabet.size()];
    ScratchFolder folder;
    WriteBytes(folder / "in.txt", source);
    ASSERT_EQ(CopyToPersonalFile(folder / "in.txt", folder / "AircraftPersonal.txt"), CopyOutcome::Copied);
    EXPECT_EQ(ReadBytes(folder / "AircraftPersonal.txt"), ToTextMode(FromTextMode(source)));
}

TEST(CopyToPersonalFile, ASecondCopyReplacesTheFirstCompletely)
{
    ScratchFolder folder;
    const auto target = folder / "AirportsPersonal.txt";
    WriteBytes(folder / "in.txt", std::string(100000, 'x') + "\n");
    ASSERT_EQ(CopyToPersonalFile(folder / "in.txt", target), CopyOutcome::Copied);
    WriteBytes(folder / "in.txt", "EDDF,x\n");
    ASSERT_EQ(CopyToPersonalFile(folder / "in.txt", target), CopyOutcome::Copied);
    EXPECT_EQ(ReadBytes(target), "EDDF,x\r\n");
}

TEST(CopyToPersonalFile, AMissingSourceIsCreatedAndGivesAnEmptyCopy)
{
    ScratchFolder folder;
    WriteBytes(folder / "AirportsPersonal.txt", OldCopy);
    EXPECT_EQ(CopyToPersonalFile(folder / "new.txt", folder / "AirportsPersonal.txt"), CopyOutcome::Copied);
    EXPECT_TRUE(fs::is_regular_file(folder / "new.txt"));
    EXPECT_EQ(ReadBytes(folder / "AirportsPersonal.txt"), "");
}

TEST(CopyToPersonalFile, AnUnreadableSourceLeavesTheOldCopy)
{
    ScratchFolder folder;
    fs::create_directory(folder / "sub");
    struct Case {
        const char* name;
        fs::path source;
    };
    std::vector<Case> cases = {
        {"no file chosen", {}},
        {"missing folder", folder / "nowhere" / "in.txt"},
        {"a folder", folder / "sub"},
    };
#ifdef __linux__
    cases.push_back({"a read that fails at once", "/proc/self/mem"});
#endif
    const auto target = folder / "AirportsPersonal.txt";
    WriteBytes(target, OldCopy);
    for (const Case& c : cases) {
        EXPECT_EQ(CopyToPersonalFile(c.source, target), CopyOutcome::SourceUnreadable) << c.name;
        EXPECT_EQ(ReadBytes(target), OldCopy) << c.name;
        EXPECT_EQ(Names(folder.Path()), (std::set<std::string>{"sub", "AirportsPersonal.txt"})) << c.name;
    }
}

TEST(CopyToPersonalFile, NeverCopiesAFileOntoItself)
{
    ScratchFolder folder;
    fs::create_directory(folder / "sub");
    const auto target = folder / "AirportsPersonal.txt";
    // Bare LF line ends: any copy would change them, so the bytes show that nothing was written.
    const std::string content = "EDDF,x\nEDDM,y\n";
    WriteBytes(target, content);
    fs::create_hard_link(target, folder / "hard.txt");
    for (const fs::path& source : {folder / "hard.txt", folder / "sub" / ".." / "AirportsPersonal.txt", target}) {
        EXPECT_EQ(CopyToPersonalFile(source, target), CopyOutcome::SameFile) << source;
        EXPECT_EQ(ReadBytes(target), content) << source;
    }
}

TEST(CopyToPersonalFile, NeverCopiesAFileOntoItselfThroughASymbolicLink)
{
    ScratchFolder folder;
    const auto target = folder / "AirportsPersonal.txt";
    const std::string content = "EDDF,x\nEDDM,y\n";
    WriteBytes(target, content);
    std::error_code ec;
    fs::create_symlink(target, folder / "link.txt", ec);
    if (ec)
        GTEST_SKIP() << "this system does not let the tests make symbolic links: " << ec.message();
    EXPECT_EQ(CopyToPersonalFile(folder / "link.txt", target), CopyOutcome::SameFile);
    EXPECT_EQ(ReadBytes(target), content);

    // The other way round: the personal copy is a link to the chosen file.
    fs::rename(target, folder / "chosen.txt");
    fs::create_symlink(folder / "chosen.txt", target);
    EXPECT_EQ(CopyToPersonalFile(folder / "chosen.txt", target), CopyOutcome::SameFile);
    EXPECT_EQ(ReadBytes(folder / "chosen.txt"), content);
}

TEST(CopyToPersonalFile, WritesThroughAPersonalCopyThatIsALink)
{
    ScratchFolder folder;
    fs::create_directory(folder / "sim");
    WriteBytes(folder / "sim" / "kept.txt", OldCopy);
    std::error_code ec;
    fs::create_symlink(folder / "sim" / "kept.txt", folder / "AircraftPersonal.txt", ec);
    if (ec)
        GTEST_SKIP() << "this system does not let the tests make symbolic links: " << ec.message();
    WriteBytes(folder / "in.txt", "AC#1,450,\"A\"\n");
    EXPECT_EQ(CopyToPersonalFile(folder / "in.txt", folder / "AircraftPersonal.txt"), CopyOutcome::Copied);
    EXPECT_TRUE(fs::is_symlink(folder / "AircraftPersonal.txt"));
    EXPECT_EQ(ReadBytes(folder / "sim" / "kept.txt"), "AC#1,450,\"A\"\r\n");
}

#ifndef _WIN32
TEST(CopyToPersonalFile, LeavesAReadOnlyCopyAsItIs)
{
    if (!PermissionsApply())
        GTEST_SKIP() << "running as the superuser, for whom no file is read-only";
    ScratchFolder folder;
    const auto target = folder / "AirportsPersonal.txt";
    WriteBytes(target, OldCopy);
    fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    WriteBytes(folder / "in.txt", "EDDF,x\n");
    EXPECT_EQ(CopyToPersonalFile(folder / "in.txt", target), CopyOutcome::TargetNotWritable);
    EXPECT_EQ(ReadBytes(target), OldCopy);
    EXPECT_EQ(Names(folder.Path()), (std::set<std::string>{"in.txt", "AirportsPersonal.txt"}));
}

TEST(CopyToPersonalFile, LeavesTheOldCopyInAFolderWithoutWritePermission)
{
    if (!PermissionsApply())
        GTEST_SKIP() << "running as the superuser, who may write in any folder";
    ScratchFolder folder;
    fs::create_directory(folder / "locked");
    const auto target = folder / "locked" / "AirportsPersonal.txt";
    WriteBytes(target, OldCopy);
    WriteBytes(folder / "in.txt", "EDDF,x\n");
    fs::permissions(folder / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(CopyToPersonalFile(folder / "in.txt", target), CopyOutcome::TargetNotWritable);
    EXPECT_EQ(ReadBytes(target), OldCopy);
    EXPECT_EQ(CopyToPersonalFile(folder / "in.txt", folder / "locked" / "AircraftPersonal.txt"),
              CopyOutcome::TargetNotWritable);
    EXPECT_FALSE(fs::exists(folder / "locked" / "AircraftPersonal.txt"));
}

TEST(CopyToPersonalFile, LeavesTheOldCopyWhenASourceWithoutReadPermissionIsChosen)
{
    if (!PermissionsApply())
        GTEST_SKIP() << "running as the superuser, who may read any file";
    ScratchFolder folder;
    const auto target = folder / "AirportsPersonal.txt";
    WriteBytes(target, OldCopy);
    WriteBytes(folder / "in.txt", "EDDF,x\n");
    fs::permissions(folder / "in.txt", fs::perms::none);
    EXPECT_EQ(CopyToPersonalFile(folder / "in.txt", target), CopyOutcome::SourceUnreadable);
    EXPECT_EQ(ReadBytes(target), OldCopy);
}

TEST(CopyToPersonalFile, LeavesTheOldCopyWholeWhenAWriteFailsMidway)
{
    ScratchFolder folder;
    const auto target = folder / "AirportsPersonal.txt";
    WriteBytes(target, OldCopy);
    WriteBytes(folder / "in.txt", std::string(300 * 1024, 'x'));
    // A file size limit makes the disk look full after the first 8 KiB; it holds for the superuser too.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 8 * 1024;
    const auto savedSignal = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const CopyOutcome outcome = CopyToPersonalFile(folder / "in.txt", target);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, savedSignal);

    EXPECT_EQ(outcome, CopyOutcome::WriteFailed);
    EXPECT_EQ(ReadBytes(target), OldCopy);
    EXPECT_EQ(Names(folder.Path()), (std::set<std::string>{"in.txt", "AirportsPersonal.txt"}));
}

TEST(CopyToPersonalFile, GivesANewCopyTheUsualPermissionsAndKeepsThoseOfAReplacedOne)
{
    ScratchFolder folder;
    WriteBytes(folder / "in.txt", "EDDF,x\n");
    const mode_t savedMask = umask(022);
    const CopyOutcome outcome = CopyToPersonalFile(folder / "in.txt", folder / "AirportsPersonal.txt");
    umask(savedMask);
    ASSERT_EQ(outcome, CopyOutcome::Copied);
    const auto readWrite = fs::perms::owner_read | fs::perms::owner_write;
    EXPECT_EQ(fs::status(folder / "AirportsPersonal.txt").permissions(),
              readWrite | fs::perms::group_read | fs::perms::others_read);

    fs::permissions(folder / "AirportsPersonal.txt", readWrite);
    ASSERT_EQ(CopyToPersonalFile(folder / "in.txt", folder / "AirportsPersonal.txt"), CopyOutcome::Copied);
    EXPECT_EQ(fs::status(folder / "AirportsPersonal.txt").permissions(), readWrite);
}
#endif
