// A folder and a file named beyond ASCII: read, copied and written to like any other, on every platform.
#include "ScratchFolder.h"
#include "input/ListReading.h"
#include "input/PersonalCopy.h"
#include "plan/PlanOutput.h"

TEST(NonAsciiNames, AreReadCopiedAndWrittenTo)
{
    ScratchFolder scratch;
    const std::filesystem::path folder = scratch / std::filesystem::path(u8"Ärger 日本"),
                                input = folder / std::filesystem::path(u8"Flughäfen.txt");
    ASSERT_TRUE(std::filesystem::create_directory(folder));
    WriteBytes(input, "JET7,450,\"Jet\"\nEDDF,x\n");
    EXPECT_EQ(ReadAirportCodes(input).entries, (std::vector<std::string>{"JET7", "EDDF"}));
    EXPECT_EQ(ReadAircraftEntries(input).entries, (std::vector<std::string>{"JET7,450,\"Jet\"", ""}));
    EXPECT_EQ(CopyToPersonalFile(input, folder / "AirportsPersonal.txt"), CopyOutcome::Copied);
    EXPECT_EQ(ReadBytes(folder / "AirportsPersonal.txt"), "JET7,450,\"Jet\"\r\nEDDF,x\r\n");
    EXPECT_EQ(AppendPlan(folder / "flightplanspersonal.txt", "\nJET7").error, "");
    EXPECT_EQ(ReadBytes(folder / "flightplanspersonal.txt"), "\r\nJET7\r\n");
}
