#include "plan/PlanOutput.h"

#include "ScratchFolder.h"
#include "app/Text.h"
#include "plan/Composition.h"

#include <gtest/gtest.h>

#include <csignal>
#include <initializer_list>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#endif

namespace fs = std::filesystem;

namespace {
// Every test works in a folder of its own, removed afterwards.
class TempFolderTest : public ::testing::Test {
protected:
    ScratchFolder m_scratch;
    const fs::path m_folder = m_scratch.Path();
};

class AppendPlanTest : public TempFolderTest {};
class ResolvePlanFileTest : public TempFolderTest {};

struct LegInput {
    const char* departure;
    int timeDifference;
    const char* day;
    const char* level;
    const char* number;
    const char* destination;
};

// The plan as the plan dialog composes it: one header for the aircraft JET7, then the legs.
std::string ComposePlan(std::string_view comment, std::string_view period, std::initializer_list<LegInput> legs)
{
    std::string plan =
        PlanTextWithHeader("", comment, ComposeHeader("JET7,450,\"Jet Seven\"", "  N123EX", "50", period, "IFR"));
    for (const LegInput& leg : legs) {
        const UniversalTime time =
            ToUniversalTime(IntegerValue(Left(leg.departure, 2)), leg.timeDifference, DayIndexFromName(leg.day));
        plan += ComposeLeg(period == "WEEK", time.dayIndex, UniversalTimeText(time.hour, leg.departure), leg.level,
                           leg.number, leg.destination);
    }
    return plan;
}

std::string WorkedExample(std::string_view period)
{
    return ComposePlan("Example comment", period,
                       {{"06:30", 2, "Sunday", "350", "101", "EDDF"}, {"01:15", 3, "Sunday", "280", "102", "EGLL"}});
}

const std::string WorkedExample24HrBytes =
    "\r\n;\r\n;Example comment\r\n;\r\n"
    "JET7,N123EX,50%,24Hr,IFR,04:30,,350,F,101,EDDF,22:15,,280,F,102,EGLL\r\n";
const std::string WorkedExampleWeekBytes =
    "\r\n;\r\n;Example comment\r\n;\r\n"
    "JET7,N123EX,50%,WEEK,IFR,0/04:30,,350,F,101,EDDF,6/22:15,,280,F,102,EGLL\r\n";
} // namespace

TEST_F(AppendPlanTest, MissingFileIsCreatedReadableAndWritable)
{
    // The worked example with period 24Hr: five lines, each ending in CR LF.
    const fs::path file = m_folder / "flightplanspersonal.txt";
    ASSERT_TRUE(AppendPlan(file, WorkedExample("24Hr")).ok);
    EXPECT_EQ(ReadBytes(file), WorkedExample24HrBytes);
    const fs::perms perms = fs::status(file).permissions();
    EXPECT_NE(perms & fs::perms::owner_read, fs::perms::none);
    EXPECT_NE(perms & fs::perms::owner_write, fs::perms::none);
}

TEST_F(AppendPlanTest, SecondPlanFollowsTheFirstExactly)
{
    // The worked example with period WEEK follows: its second leg lands on the Saturday before.
    const fs::path file = m_folder / "flightplanspersonal.txt";
    ASSERT_TRUE(AppendPlan(file, WorkedExample("24Hr")).ok);
    ASSERT_TRUE(AppendPlan(file, WorkedExample("WEEK")).ok);
    EXPECT_EQ(ReadBytes(file), WorkedExample24HrBytes + WorkedExampleWeekBytes);
}

TEST_F(AppendPlanTest, AdditionStartsRightAfterTheLastByte)
{
    // Two legs and no header: the legs continue the file's last line, which had no line break.
    const fs::path file = m_folder / "flightplanspersonal.txt";
    const std::string earlier = "\r\n\r\nJET1,D-ABCD,50%,24Hr,IFR,08:00,,350,F,1,EDDM";
    WriteBytes(file, earlier);
    const std::string legs =
        ComposeLeg(false, 0, "04:30", "350", "101", "EDDF") + ComposeLeg(false, 0, "22:15", "280", "102", "EGLL");
    ASSERT_TRUE(AppendPlan(file, legs).ok);
    EXPECT_EQ(ReadBytes(file), earlier + ",04:30,,350,F,101,EDDF,22:15,,280,F,102,EGLL\r\n");
}

TEST_F(AppendPlanTest, CommentLinesReachTheFileWithTheirSemicolonsAndOneCrLf)
{
    const fs::path file = m_folder / "flightplanspersonal.txt";
    const std::string plan = ComposePlan("first\r\nsecond", "24Hr", {{"06:30", 0, "Sunday", "350", "101", "EDDF"}});
    ASSERT_TRUE(AppendPlan(file, plan).ok);
    EXPECT_EQ(ReadBytes(file), "\r\n;\r\n;first\r\n;second\r\n;\r\nJET7,N123EX,50%,24Hr,IFR,06:30,,350,F,101,EDDF\r\n");
}

TEST_F(AppendPlanTest, PathThatCannotHoldAFileIsReported)
{
    const AppendResult folder = AppendPlan(m_folder, "plan");
    EXPECT_FALSE(folder.ok);
    EXPECT_EQ(folder.error, "Is a directory");

    const fs::path inMissingFolder = m_folder / "missing" / "flightplanspersonal.txt";
    const AppendResult missing = AppendPlan(inMissingFolder, "plan");
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "No such file or directory");
    EXPECT_FALSE(fs::exists(m_folder / "missing"));
}

TEST_F(AppendPlanTest, ReadOnlyFileIsReportedAndKeptAsItWas)
{
    if (!PermissionsApply())
        GTEST_SKIP() << "root writes to read-only files, so the refusal cannot be seen";
    const fs::path file = m_folder / "flightplanspersonal.txt";
    WriteBytes(file, WorkedExample24HrBytes);
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);

    const AppendResult result = AppendPlan(file, WorkedExample("WEEK"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "Permission denied");
    EXPECT_EQ(ReadBytes(file), WorkedExample24HrBytes);
}

TEST_F(AppendPlanTest, FolderWithoutWritePermissionIsReported)
{
    if (!PermissionsApply())
        GTEST_SKIP() << "root creates files in any folder, so the refusal cannot be seen";
    fs::permissions(m_folder, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);

    const fs::path file = m_folder / "flightplanspersonal.txt";
    const AppendResult result = AppendPlan(file, WorkedExample("24Hr"));
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "Permission denied");
    EXPECT_FALSE(fs::exists(file));
}

TEST_F(AppendPlanTest, FullDiskIsReported)
{
    const fs::path device = "/dev/full";
    if (!fs::is_character_file(device))
        GTEST_SKIP() << "this system has no /dev/full";
    struct Row {
        const char* name;
        std::string plan;
    };
    const Row rows[] = {
        // A short plan stays in the stream's buffer until it is flushed: the failure shows only then.
        {"a plan shorter than the write buffer", WorkedExample("24Hr")},
        {"a plan longer than the write buffer", WorkedExample("24Hr") + std::string(200000, 'x')},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const AppendResult result = AppendPlan(device, row.plan);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.error, "No space left on device");
        EXPECT_TRUE(fs::is_character_file(device));
    }
}

#ifndef _WIN32
namespace {
// Lets files of this process grow to `limit` bytes at most while it lives, as a nearly full disk
// would; a write beyond it fails with "File too large" instead of raising a signal.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lowered = m_saved;
        lowered.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &lowered);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_previousHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_saved{};
    void (*m_previousHandler)(int) = SIG_DFL;
};
} // namespace

TEST_F(AppendPlanTest, FailedWriteLeavesNoPartialPlan)
{
    // The write fails midway once the file reaches the limit; the part written must go again.
    const fs::path file = m_folder / "flightplanspersonal.txt";
    WriteBytes(file, WorkedExample24HrBytes);
    const std::string longPlan = WorkedExample("WEEK") + std::string(100000, 'x');
    AppendResult result;
    {
        const FileSizeLimit limit(WorkedExample24HrBytes.size() + 1000);
        result = AppendPlan(file, longPlan);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "File too large");
    EXPECT_EQ(ReadBytes(file), WorkedExample24HrBytes);

    // A plan file that did not exist before is not left behind, neither empty nor partly written.
    const fs::path newFile = m_folder / "new.txt";
    {
        const FileSizeLimit limit(1000);
        result = AppendPlan(newFile, longPlan);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_FALSE(fs::exists(newFile));
}
#endif

TEST_F(ResolvePlanFileTest, FindsThePlanFileInAnyLetterCase)
{
    struct Row {
        const char* name;
        std::initializer_list<const char*> files;
        std::initializer_list<const char*> folders;
        const char* resolved;
    };
    const Row rows[] = {
        {"no plan file yet: the usual name", {}, {}, "flightplanspersonal.txt"},
        {"the usual name exists", {"flightplanspersonal.txt"}, {}, "flightplanspersonal.txt"},
        {"the file as the screens spell it", {"FlightplansPersonal.txt"}, {}, "FlightplansPersonal.txt"},
        {"the exact name wins over another case",
         {"FlightplansPersonal.txt", "flightplanspersonal.txt"},
         {},
         "flightplanspersonal.txt"},
        {"of several spellings the first in sorted order",
         {"flightPlansPersonal.txt", "FLIGHTPLANSPERSONAL.TXT"},
         {},
         "FLIGHTPLANSPERSONAL.TXT"},
        {"a folder of that name is no plan file", {}, {"FlightplansPersonal.txt"}, "flightplanspersonal.txt"},
        {"a longer name is another file", {"FlightplansPersonal.txt.bak"}, {}, "flightplanspersonal.txt"},
    };
    int index = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const fs::path folder = m_folder / std::to_string(index++);
        fs::create_directories(folder);
        for (const char* name : row.files)
            WriteBytes(folder / name, "earlier plan\r\n");
        for (const char* name : row.folders)
            fs::create_directories(folder / name);
        EXPECT_EQ(ResolvePlanFile(folder, "flightplanspersonal.txt"), folder / row.resolved);
    }
}

TEST_F(ResolvePlanFileTest, PlanGoesIntoTheExistingFileOfAnotherCase)
{
    WriteBytes(m_folder / "FlightplansPersonal.txt", WorkedExample24HrBytes);
    ASSERT_TRUE(AppendPlan(ResolvePlanFile(m_folder, "flightplanspersonal.txt"), WorkedExample("WEEK")).ok);
    EXPECT_EQ(ReadBytes(m_folder / "FlightplansPersonal.txt"), WorkedExample24HrBytes + WorkedExampleWeekBytes);
    EXPECT_FALSE(fs::exists(m_folder / "flightplanspersonal.txt"));
}

TEST_F(ResolvePlanFileTest, MissingFolderGivesTheUsualNameWithoutThrowing)
{
    const fs::path folder = m_folder / "missing";
    EXPECT_EQ(ResolvePlanFile(folder, "flightplanspersonal.txt"), folder / "flightplanspersonal.txt");
}
