// Opening files for reading, and a new file made only where none is yet. The refusal of what is no
// plain file: the plan output's tests; the byte rules of reading: the fuzz regressions.
#include "input/TextFile.h"

#include "ScratchFolder.h"

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
