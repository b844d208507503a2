// The cached line file: reading, writing, write-back and its failures.
#include <cmath>
#include <filesystem>

#include "tests/runtime/files/scratch_dir.h"
#include "tests/support/ends_program.h"

namespace fs = std::filesystem;

using LineFileTest = ScratchDirTest;

TEST_F(LineFileTest, ReadsLinesWithoutTheirLineEndsAndNoDataBeyondTheLast) {
    WriteBytes("anim.kmoa", "3\r\n0 10\n11 20");
    EXPECT_EQ(ReadFileLine("anim.kmoa", 0).Std(), "3");
    EXPECT_EQ(ReadFileLine("anim.kmoa", 1).Std(), "0 10");
    EXPECT_EQ(ReadFileLine("anim.kmoa", 2).Std(), "11 20");
    EXPECT_EQ(ReadFileLine("anim.kmoa", 3).Std(), "NO_DATA");
    EXPECT_EQ(ReadFileLine("anim.kmoa", 2.9).Std(), "11 20");

    WriteBytes("two.txt", "a\r\nb\r\n");
    EXPECT_EQ(ReadFileLine("two.txt", 1).Std(), "b");
    EXPECT_EQ(ReadFileLine("two.txt", 2).Std(), "NO_DATA");
    EXPECT_EQ(GetEndCode(), 0);
}

TEST_F(LineFileTest, TrailingControlAndHighBytesAreStrippedButBlanksKept) {
    WriteBytes("f.txt", "   \n\t\t\n12\t\r\r\nname\xE9\n");
    EXPECT_EQ(ReadFileLine("f.txt", 0).Std(), "   ");
    EXPECT_EQ(ReadFileLine("f.txt", 1).Std(), "NO_DATA");
    EXPECT_EQ(ReadFileLine("f.txt", 2).Std(), "12");
    EXPECT_EQ(ReadFileLine("f.txt", 3).Std(), "name");
}

TEST_F(LineFileTest, LineNumbersOutsideTheFileRecordCode7AndChangeNothing) {
    WriteBytes("f.txt", "a\n");
    for (Number bad : {256.0, -1.0, 1e10, std::nan("")}) {
        SetEndCode(0);
        EXPECT_EQ(ReadFileLine("f.txt", bad).Std(), "NO_DATA");
        EXPECT_EQ(GetEndCode(), 7);
        SetEndCode(0);
        WriteFileLine("f.txt", bad, "x");
        EXPECT_EQ(GetEndCode(), 7);
    }
    EXPECT_TRUE(FlushLineFile());
    EXPECT_EQ(ReadBytes("f.txt"), "a\n");
    SetEndCode(0);
    EXPECT_EQ(ReadFileLine("f.txt", 255).Std(), "NO_DATA");
    EXPECT_EQ(GetEndCode(), 0);
}

TEST_F(LineFileTest, AnUnreadableFileGivesNoFileAndCode3EveryTime) {
    for (int i = 0; i < 2; ++i) {
        SetEndCode(0);
        EXPECT_EQ(ReadFileLine("missing.kmoa", 0).Std(), "NO_FILE");
        EXPECT_EQ(GetEndCode(), 3);
        EXPECT_EQ(ReadFileLineNumber("missing.kmoa", 0), 0);
    }
    // Writing makes it a file of its own.
    WriteFileLine("missing.kmoa", 1, "5");
    EXPECT_EQ(ReadFileLine("missing.kmoa", 1).Std(), "5");
    EXPECT_EQ(ReadFileLine("missing.kmoa", 0).Std(), "NO_DATA");
}

TEST_F(LineFileTest, ReadFileLineNumberReadsNumbersAndGivesZeroForText) {
    WriteBytes("n.txt", "42.5\n-3 7\nabc\n");
    EXPECT_EQ(ReadFileLineNumber("n.txt", 0), 42.5);
    EXPECT_EQ(ReadFileLineNumber("n.txt", 1), -3);
    EXPECT_EQ(ReadFileLineNumber("n.txt", 2), 0);
    EXPECT_EQ(ReadFileLineNumber("n.txt", 3), 0);
}

TEST_F(LineFileTest, WritingLine10OfANewFileWritesElevenLinesOnChangeOfFile) {
    WriteFileLine("new.kmoa", 10, "last");
    EXPECT_FALSE(fs::exists("new.kmoa"));   // only on write-back
    WriteBytes("other.txt", "o\n");
    EXPECT_EQ(ReadFileLine("other.txt", 0).Std(), "o");
    EXPECT_EQ(ReadBytes("new.kmoa"), "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\nlast\r\n");
}

TEST_F(LineFileTest, ChangingALineKeepsTheOthersAndAnUnchangedFileIsNotRewritten) {
    WriteBytes("a.kmoa", "2\n0 5\n6 9\n");
    EXPECT_EQ(ReadFileLine("a.kmoa", 0).Std(), "2");
    EXPECT_TRUE(CloseLineFile());
    EXPECT_EQ(ReadBytes("a.kmoa"), "2\n0 5\n6 9\n");

    WriteFileLine("a.kmoa", 1, "1 4");
    EXPECT_TRUE(FlushLineFile());
    EXPECT_EQ(ReadBytes("a.kmoa"), "2\r\n1 4\r\n6 9\r\n");
    EXPECT_EQ(ReadFileLine("a.kmoa", 2).Std(), "6 9");
}

TEST_F(LineFileTest, BackslashNamesReadAndWriteTheResolvedFile) {
    WriteBytes("Media/Tree.kmoa", "1\n");
    EXPECT_EQ(ReadFileLine("media\\tree.kmoa", 0).Std(), "1");
    WriteFileLine("media\\tree.kmoa", 0, "2");
    WriteFileLine("media\\bush.kmoa", 0, "3");   // changes file: writes the tree back
    EXPECT_TRUE(CloseLineFile());
    EXPECT_EQ(ReadBytes("Media/Tree.kmoa"), "2\r\n");
    EXPECT_EQ(ReadBytes("Media/bush.kmoa"), "3\r\n");
}

TEST_F(LineFileTest, WriteBackGoesToTheFileEvenAfterTheCurrentDirectoryChanged) {
    fs::create_directory("elsewhere");
    WriteFileLine("x.kmoa", 0, "7");
    ASSERT_EQ(SetCurrentDir("elsewhere"), 1);
    EXPECT_TRUE(FlushLineFile());
    ASSERT_EQ(SetCurrentDir(StrValue(dir_)), 1);
    EXPECT_EQ(ReadBytes("x.kmoa"), "7\r\n");
    EXPECT_FALSE(fs::exists("elsewhere/x.kmoa"));
}

TEST_F(LineFileTest, HostileContentIsReadWithoutHarm) {
    std::string bytes = std::string(5000, 'x') + "\nsecond\n" + std::string("nul\0after\n", 10);
    for (int i = 0; i < 300; ++i) bytes += "l" + std::to_string(i) + "\n";
    bytes += "no line end";
    WriteBytes("h.txt", bytes);
    EXPECT_EQ(ReadFileLine("h.txt", 0).Std(), std::string(kLineFileLineBytes, 'x'));
    EXPECT_EQ(ReadFileLine("h.txt", 1).Std(), "second");
    EXPECT_EQ(ReadFileLine("h.txt", 2).Std(), "nul");
    EXPECT_EQ(ReadFileLine("h.txt", 255).Std(), "l252");
}

TEST_F(LineFileTest, WrittenTextsAreCutToOneBoundedLine) {
    WriteFileLine("t.txt", 0, StrValue(std::string(3000, 'y')));
    WriteFileLine("t.txt", 1, "one\ntwo");
    EXPECT_EQ(ReadFileLine("t.txt", 0).Length(), static_cast<uint32_t>(kLineFileLineBytes));
    EXPECT_TRUE(CloseLineFile());
    EXPECT_EQ(ReadBytes("t.txt"), std::string(kLineFileLineBytes, 'y') + "\r\none\r\n");
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
    // Still changed, so a later flush can succeed.
    EXPECT_TRUE(FlushLineFile());
    EXPECT_EQ(ReadBytes("Locked/a.kmoa"), "new\r\n");
}

TEST_F(LineFileTest, ProgramEndWritesTheChangedFileBack) {
    WriteFileLine("end.kmoa", 0, "9");
    EXPECT_ENDS_PROGRAM(EndProgram(), 0);
    EXPECT_EQ(ReadBytes("end.kmoa"), "9\r\n");
}
