// The cached line file: reading, writing, write-back and its failures.
#include <cmath>

#include "tests/runtime/files/scratch_dir.h"
#include "tests/support/ends_program.h"

namespace fs = std::filesystem;

using LineFileTest = ScratchDirTest;

TEST_F(LineFileTest, LinesReadWithoutLineEndsAndBadNumbersOrAMissingFileGiveCodes) {
    WriteBytes("a.kmoa", "3\r\n0 10\n   \n\t\t\n12\t\r\r\nname\xE9\n-2.5 7");
    const char* expected[] = {"3", "0 10", "   ", "NO_DATA", "12", "name", "-2.5 7", "NO_DATA"};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(ReadFileLine("a.kmoa", i).Std(), expected[i]) << i;
    EXPECT_EQ(ReadFileLine("a.kmoa", 1.9).Std(), "0 10");
    EXPECT_EQ(ReadFileLineNumber("a.kmoa", 6), -2.5);
    EXPECT_EQ(ReadFileLineNumber("a.kmoa", 5), 0);
    EXPECT_EQ(ReadFileLineNumber("a.kmoa", 7), 0);
    EXPECT_EQ(GetEndCode(), 0);

    for (int i = 0; i < 2; ++i) {
        SetEndCode(0);
        EXPECT_EQ(ReadFileLine("missing.kmoa", 0).Std(), "NO_FILE");
        EXPECT_EQ(GetEndCode(), 3);
    }
    WriteFileLine("missing.kmoa", 1, "5");
    EXPECT_EQ(ReadFileLine("missing.kmoa", 1).Std(), "5");
    EXPECT_EQ(ReadFileLine("missing.kmoa", 0).Std(), "NO_DATA");

    WriteBytes("f.txt", "a\n");
    for (Number bad : {256.0, -1.0, 1e10, std::nan("")}) {
        SetEndCode(0);
        EXPECT_EQ(ReadFileLine("f.txt", bad).Std(), "NO_DATA");
        EXPECT_EQ(GetEndCode(), 7);
        SetEndCode(0);
        WriteFileLine("f.txt", bad, "x");
        EXPECT_EQ(GetEndCode(), 7);
    }
    EXPECT_TRUE(CloseLineFile());
    EXPECT_EQ(ReadBytes("f.txt"), "a\n");
}

TEST_F(LineFileTest, ChangesAreWrittenBackOnChangeOfFileOnlyWhenMade) {
    WriteFileLine("new.kmoa", 10, "last");
    EXPECT_FALSE(fs::exists("new.kmoa"));
    WriteBytes("Media/Tree.kmoa", "2\n0 5\n6 9\n");
    EXPECT_EQ(ReadFileLine("media\\tree.kmoa", 0).Std(), "2");
    EXPECT_EQ(ReadBytes("new.kmoa"), "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nlast\r\n");
    EXPECT_TRUE(CloseLineFile());
    EXPECT_EQ(ReadBytes("Media/Tree.kmoa"), "2\n0 5\n6 9\n");

    WriteFileLine("media\\tree.kmoa", 1, "1 4");
    fs::create_directory("elsewhere");
    ASSERT_EQ(SetCurrentDir("elsewhere"), 1);   // the write-back still goes to the file read
    EXPECT_TRUE(FlushLineFile());
    ASSERT_EQ(SetCurrentDir(StrValue(dir_)), 1);
    EXPECT_EQ(ReadBytes("Media/Tree.kmoa"), "2\r\n1 4\r\n6 9\r\n");
}

TEST_F(LineFileTest, OverlongNulAndExcessLinesAreCutWithoutHarm) {
    std::string bytes = std::string(5000, 'x') + "\n" + std::string("nul\0after\n", 10);
    for (int i = 0; i < 300; ++i) bytes += "l" + std::to_string(i) + "\n";
    WriteBytes("h.txt", bytes);
    EXPECT_EQ(ReadFileLine("h.txt", 0).Std() + ReadFileLine("h.txt", 1).Std() + ReadFileLine("h.txt", 255).Std(),
              std::string(1023, 'x') + "nul" + "l253");
    WriteFileLine("t.txt", 0, StrValue(std::string(3000, 'y')));
    WriteFileLine("t.txt", 1, "one\ntwo");
    EXPECT_TRUE(CloseLineFile());
    EXPECT_EQ(ReadBytes("t.txt"), std::string(1023, 'y') + "\r\none\r\n");
}

TEST_F(LineFileTest, FailedWriteBackKeepsTheOldFileAndIsReported) {
    WriteBytes("Locked/a.kmoa", "old\n");
    WriteFileLine("Locked/a.kmoa", 0, "new");
    {
        ReadOnlyDirectory locked(dir_ + "/Locked");
        EXPECT_FALSE(FlushLineFile());
    }
    EXPECT_EQ(ReadBytes("Locked/a.kmoa"), "old\n");
    EXPECT_NE(ErrorLog().find("File not written:"), std::string::npos);
    EXPECT_TRUE(FlushLineFile());   // still changed, so a later flush succeeds
    EXPECT_EQ(ReadBytes("Locked/a.kmoa"), "new\r\n");
}

TEST_F(LineFileTest, ProgramEndWritesTheLineFileAndTheIniDocumentBack) {
    WriteFileLine("end.kmoa", 0, "9");
    IniOpen("end.ini");
    IniPut("s", "k", "v");
    EXPECT_ENDS_PROGRAM(EndProgram(), 0);
    EXPECT_EQ(ReadBytes("end.kmoa"), "9\r\n");
    EXPECT_EQ(ReadBytes("end.ini"), "[s]\r\nk=v\r\n");
}
