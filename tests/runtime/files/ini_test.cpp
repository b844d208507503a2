// The INI document: parsing rules, changes, write-back and its failures.
#include "tests/runtime/files/scratch_dir.h"

namespace fs = std::filesystem;

using IniTest = ScratchDirTest;

TEST_F(IniTest, ParsingKeepsOneWordSectionsWithEntriesAndNonEmptyValuesAndSurvivesHostileFiles) {
    IniOpenText("top=0\n"
                "; comment\n"
                "  [ a ]\n"
                "x=1\n"
                "[b]\n"
                "[c two]\n"
                "y=2\n"
                "[]\n"
                "z=3\n"
                "[x]trail\n"
                "empty=\n"
                "blank=   \t\n"
                "tabs=5\t\t\r\r\n"
                "lead= \t 7 8 \n"
                "high=name\xC3\xA9\n"
                "spaced = 1\n"
                "nokey\n");
    // b vanishes; an empty name continues the previous one as a section of its own.
    EXPECT_EQ(IniDocumentText(), "[]\r\ntop=0\r\n[a]\r\nx=1\r\n[c]\r\ny=2\r\n[c]\r\nz=3\r\n"
                                 "[x]trail]\r\ntabs=5\r\nlead=7 8 \r\nhigh=name\r\nspaced== 1\r\n");
    EXPECT_EQ(IniGet("A", "X").Std(), "1");
    EXPECT_EQ(IniGet("c", "z").Std(), "NO_DATA");
    EXPECT_EQ(IniGet("x]trail", "empty").Std(), "NO_DATA");
    EXPECT_EQ(IniGet("b", "x").Std(), "NO_DATA");

    std::string bytes = "[s]\nlong=" + std::string(5000, 'v') + "\n" + std::string("nul=ab\0cd\n\0\0\n", 13) +
                        "[t]\r\ncr=1\r\r\nlast=end";
    WriteBytes("h.ini", bytes);
    IniOpen("h.ini");
    EXPECT_EQ(IniGet("s", "long").Std(), std::string(1023 - 5, 'v'));
    EXPECT_EQ(IniGet("s", "nul").Std(), "ab");
    EXPECT_EQ(IniGet("t", "cr").Std(), "1");
    EXPECT_EQ(IniGet("t", "last").Std(), "end");
}

TEST_F(IniTest, PutReplacesInTheFirstSectionAppendsAndRemoves) {
    IniOpenText("[s]\nk=1\n[S]\nk=2\n");
    IniPut("S", "K", "Nine");
    IniPut("s", "new", "4");
    IniPut("t", "a", "5");
    IniPut("u", "b", "6");
    EXPECT_EQ(IniGet("s", "k").Std(), "Nine");
    EXPECT_EQ(IniDocumentText(), "[s]\r\nk=Nine\r\nnew=4\r\n[S]\r\nk=2\r\n[t]\r\na=5\r\n[u]\r\nb=6\r\n");
    IniPut("S", "", "");   // the last section takes the removed one's place
    IniPut("missing", "", "");
    EXPECT_EQ(IniDocumentText(), "[u]\r\nb=6\r\n[S]\r\nk=2\r\n[t]\r\na=5\r\n");
    IniPut("t", "a", "two\r\n[evil]\r\nk=v");   // a line end would split the entry in the file
    EXPECT_EQ(IniGet("t", "a").Std(), "two\r");
}

TEST_F(IniTest, OpeningWritesBackAChangedDocumentFirstAndNeverAnUnchangedOne) {
    WriteBytes("Levels/Level.INI", "; by hand\n[Level]\nname=old\n\n[Media]\nroot=m\n");
    IniOpen("levels\\level.ini");
    EXPECT_EQ(IniGet("level", "name").Std(), "old");
    EXPECT_TRUE(IniWrite());
    IniOpen("levels\\level.ini");
    EXPECT_EQ(ReadBytes("Levels/Level.INI"), "; by hand\n[Level]\nname=old\n\n[Media]\nroot=m\n");

    IniPut("Level", "name", "new");
    IniOpen("levels\\level.ini");
    EXPECT_TRUE(IniLastWriteOk());
    EXPECT_EQ(IniGet("Level", "name").Std(), "new");
    EXPECT_EQ(ReadBytes("Levels/Level.INI"), "[Level]\r\nname=new\r\n[Media]\r\nroot=m\r\n");
}

TEST_F(IniTest, SavingLikeTheLevelWriterCreatesTheFileAndNothingElse) {
    WriteBytes("Levels/level.ini", "[old]\nx=1\n");
    IniOpen("");
    DeleteFileText("levels/level.ini");
    IniOpen("LEVELS\\level.ini");   // missing: written into the resolved directory
    EXPECT_EQ(IniGet("old", "x").Std(), "NO_DATA");
    IniPut("Level", "count", "2");
    IniOpen("");
    EXPECT_TRUE(IniLastWriteOk());
    EXPECT_EQ(ReadBytes("Levels/level.ini"), "[Level]\r\ncount=2\r\n");
    IniPut("stray", "k", "v");   // the nameless document is never written
    EXPECT_TRUE(IniWrite());
    IniOpen("");
    EXPECT_EQ(std::distance(fs::recursive_directory_iterator(dir_), fs::recursive_directory_iterator()), 2);
}

TEST_F(IniTest, AFailedWriteBackKeepsTheOldFileAndIsReported) {
    WriteBytes("Locked/level.ini", "[a]\nx=1\n");
    IniOpen("Locked/level.ini");
    IniPut("a", "x", "2");
    {
        ReadOnlyDirectory locked(dir_ + "/Locked");
        EXPECT_FALSE(IniWrite());
        IniOpen("");   // the level writer's final open
        EXPECT_FALSE(IniLastWriteOk());
    }
    EXPECT_EQ(ReadBytes("Locked/level.ini"), "[a]\nx=1\n");
    EXPECT_NE(ErrorLog().find("File not written: "), std::string::npos);
    IniOpen("");
    EXPECT_TRUE(IniLastWriteOk());   // nothing needed writing this time
}
