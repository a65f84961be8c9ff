// When a personal copy is made, and that a copy that cannot be made leaves the earlier one whole.
// The copy's bytes are checked against the text-mode rules by the fuzz regressions.
#include "input/PersonalCopy.h"

#include "ScratchFolder.h"
#include "input/Text.h"

TEST(SkipsPersonalCopy, ComparesTheLastTwentyBytesOfTheStoredPath)
{
    EXPECT_TRUE(SkipsPersonalCopy(MakeLower("C:\\Sim\\MyAirportsPersonal.TXT"), InputFileKind::AirportFile));
    EXPECT_TRUE(SkipsPersonalCopy(MakeLower("/data/AircraftPersonal.txt"), InputFileKind::AircraftFile));
    EXPECT_FALSE(SkipsPersonalCopy("/ircraftpersonal.txt", InputFileKind::AirportFile));
}

TEST(CopyToPersonalFile, ACopyThatCannotBeMadeLeavesTheEarlierOneWhole)
{
    ScratchFolder folder;
    const fs::path target = folder / "AirportsPersonal.txt", source = folder / "in.txt";
    WriteBytes(target, "OLD\n"); // a bare LF: any copy would change it
    WriteBytes(source, std::string(300 * 1024, 'x'));
    for (const fs::path& unreadable : {fs::path(), folder.path, fs::path("/proc/self/mem")}) // Linux: a read fails
        EXPECT_EQ(CopyToPersonalFile(unreadable, target), CopyOutcome::SourceUnreadable) << unreadable;
    EXPECT_EQ(CopyToPersonalFile(folder / "." / "AirportsPersonal.txt", target), CopyOutcome::SameFile);
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    const fs::perms kept = fs::status(target).permissions(); // not those of a new file (0644 on Linux)
#ifndef _WIN32
    // A write that fails at once, and one whose bytes wait in a buffer and fail only as they are flushed.
    WriteBytes(folder / "small.txt", std::string(3000, 's'));
    WithFileSizeLimit(8 * 1024, [&] { EXPECT_EQ(CopyToPersonalFile(source, target), CopyOutcome::WriteFailed); });
    WithFileSizeLimit(1024,
                      [&] { EXPECT_EQ(CopyToPersonalFile(folder / "small.txt", target), CopyOutcome::WriteFailed); });
    fs::remove(folder / "small.txt");
#endif
    EXPECT_EQ(ReadBytes(target), "OLD\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 2); // no temporary file left
    EXPECT_EQ(CopyToPersonalFile(source, target), CopyOutcome::Copied);
    EXPECT_EQ(fs::status(target).permissions(), kept);

    if (const std::string why = WhyReadOnlyIsNotTested(); !why.empty())
        GTEST_SKIP() << "a read-only copy: " << why;
    WriteBytes(target, "OLD\n");
    fs::permissions(target, fs::perms::owner_read);
    EXPECT_EQ(CopyToPersonalFile(source, target), CopyOutcome::TargetNotWritable);
    fs::permissions(target, fs::perms::owner_all);
    EXPECT_EQ(ReadBytes(target), "OLD\n");
#ifndef _WIN32 // a Windows folder has no write permission to take away
    fs::permissions(folder.path, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(CopyToPersonalFile(source, folder / "AircraftPersonal.txt"), CopyOutcome::TargetNotWritable);
    fs::permissions(folder.path, fs::perms::owner_all);
#endif
}

TEST(CopyToPersonalFile, GoesThroughALinkInItsPlaceAlsoOneThatNamesNoFileYet)
{
    ScratchFolder folder;
    fs::create_symlink("kept.txt", folder / "AircraftPersonal.txt", folder.ignored);
    if (folder.ignored)
        GTEST_SKIP() << "this system lets the tests make no symbolic link: " << folder.ignored.message();
    WriteBytes(folder / "in.txt", "AC#1\n");
    EXPECT_EQ(CopyToPersonalFile(folder / "in.txt", folder / "AircraftPersonal.txt"), CopyOutcome::Copied);
    EXPECT_EQ(CopyToPersonalFile(folder / "in.txt", folder / "AircraftPersonal.txt"), CopyOutcome::Copied);
    EXPECT_EQ(CopyToPersonalFile(folder / "kept.txt", folder / "AircraftPersonal.txt"), CopyOutcome::SameFile);
    EXPECT_TRUE(fs::is_symlink(folder / "AircraftPersonal.txt") && ReadBytes(folder / "kept.txt") == "AC#1\r\n");
    for (int i = 1; i <= 40; ++i) // a chain of 40 links, as many as the system follows
        fs::create_symlink(i == 1 ? "kept.txt" : "l" + std::to_string(i - 1), folder / ("l" + std::to_string(i)));
    WriteBytes(folder / "in.txt", "AC#2\n");
    EXPECT_EQ(CopyToPersonalFile(folder / "in.txt", folder / "l40"), CopyOutcome::Copied);
    EXPECT_TRUE(fs::is_symlink(folder / "l1") && ReadBytes(folder / "kept.txt") == "AC#2\r\n");
}
