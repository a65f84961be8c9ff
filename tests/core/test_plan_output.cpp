// Appending the plan to the plan file: the bytes on disk; a plan file that cannot take the plan is
// refused at once with the reason and kept as it was, with no partial plan left behind.
#include "plan/PlanOutput.h"

#include "ScratchFolder.h"

#include <vector>

#ifndef _WIN32
#include <sys/stat.h>
#endif

const std::string Plan = "\n;\n;Note\n;\nJET7,N1,50%,24Hr,IFR,04:30,,350,F,101,EDDF,22:15,,280,F,102,EGLL";
const std::string Bytes = "\r\n;\r\n;Note\r\n;\r\nJET7,N1,50%,24Hr,IFR,04:30,,350,F,101,EDDF,22:15,,280,F,102,EGLL\r\n";

TEST(AppendPlan, AddsThePlanAfterTheLastByteOfThePlanFileInAnyLetterCase)
{
    ScratchFolder folder;
    EXPECT_EQ(ResolvePlanFile(folder.path, "flightplanspersonal.txt"), folder / "flightplanspersonal.txt");
    WriteBytes(folder / "FLIGHTPLANSPERSONAL.TXT", "OLD,NO BREAK");
    for (const std::string& plan : {Plan, std::string(",\r")})
        ASSERT_TRUE(AppendPlan(ResolvePlanFile(folder.path, "flightplanspersonal.txt"), plan).ok);
    EXPECT_EQ(ReadBytes(folder / "FLIGHTPLANSPERSONAL.TXT"), "OLD,NO BREAK" + Bytes + ",\r\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 1); // no second plan file
    WriteBytes(folder / "A-Z.TXT", ""); // every letter from A to Z matches its small one
    ASSERT_TRUE(AppendPlan(ResolvePlanFile(folder.path, "a-z.txt"), "Z").ok);
    EXPECT_EQ(ReadBytes(folder / "A-Z.TXT"), "Z\r\n");
}

TEST(AppendPlan, RefusesAPlanFileThatCannotTakeThePlanAndKeepsIt)
{
    ScratchFolder folder;
    fs::create_directories(folder / "sub");
    std::vector<std::pair<fs::path, std::string>> cases = {
        {folder / "sub", "Is a folder, not a file"}, {fs::path("legwise-none") / "a.txt", "No such file or directory"}};
#ifndef _WIN32
    ASSERT_EQ(mkfifo((folder / "pipe").c_str(), 0600), 0); // nobody reads it: opening it would wait
    cases.push_back({folder / "pipe", "Is a pipe or device, not a file"});
    cases.push_back({"/dev/full", "Is a pipe or device, not a file"});
#endif
    for (const auto& [file, reason] : cases)
        EXPECT_EQ(AppendPlan(file, Plan).error, reason) << file;
    EXPECT_TRUE(fs::is_empty(folder / "sub") && !fs::exists("legwise-none"));

    if (const std::string why = WhyReadOnlyIsNotTested(); !why.empty())
        GTEST_SKIP() << "the read-only cases: " << why;
    WriteBytes(folder / "read-only.txt", Bytes);
    fs::permissions(folder / "read-only.txt", fs::perms::owner_read);
    EXPECT_EQ(AppendPlan(folder / "read-only.txt", Plan).error, "Permission denied");
#ifndef _WIN32 // a Windows folder has no write permission to take away
    fs::permissions(folder / "sub", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(AppendPlan(folder / "sub" / "a.txt", Plan).error, "Permission denied");
    fs::permissions(folder / "sub", fs::perms::owner_all);
#endif
    fs::permissions(folder / "read-only.txt", fs::perms::owner_all);
    EXPECT_TRUE(ReadBytes(folder / "read-only.txt") == Bytes && fs::is_empty(folder / "sub"));
}

#ifndef _WIN32
TEST(AppendPlan, AFailedWriteLeavesNoPartialPlanAndKeepsALink)
{
    ScratchFolder folder;
    WriteBytes(folder / "earlier.txt", Bytes);
    WriteBytes(folder / "empty.txt", "");
    fs::create_symlink("target.txt", folder / "link.txt");
    WithFileSizeLimit(Bytes.size() + 1000, [&] {
        for (const char* name : {"earlier.txt", "empty.txt", "new.txt", "link.txt"})
            EXPECT_EQ(AppendPlan(folder / name, std::string(100000, 'x')).error, "File too large") << name;
    });
    EXPECT_TRUE(ReadBytes(folder / "earlier.txt") == Bytes && fs::is_empty(folder / "empty.txt"));
    EXPECT_FALSE(fs::exists(folder / "new.txt") || fs::exists(folder / "target.txt"));
    ASSERT_TRUE(AppendPlan(folder / "link.txt", Plan).ok); // the cause gone, through the link, which stays
    EXPECT_TRUE(fs::is_symlink(folder / "link.txt") && ReadBytes(folder / "target.txt") == Bytes);

    fs::create_directory(folder / "work"); // a removed current folder is named in the reason
    const fs::path work = fs::canonical(folder / "work"), before = fs::current_path();
    fs::current_path(work);
    fs::remove(work);
    const AppendResult result = AppendPlan("flightplanspersonal.txt", Plan);
    fs::current_path(before);
    EXPECT_EQ(result.error, "The current folder " + work.string() + " no longer exists");
}
#endif
