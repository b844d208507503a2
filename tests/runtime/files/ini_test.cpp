// The INI document: parsing rules, changes, write-back and its failures.
#include <filesystem>

#include "tests/runtime/files/scratch_dir.h"
#include "tests/support/ends_program.h"

namespace fs = std::filesystem;

using IniTest = ScratchDirTest;

TEST_F(IniTest, SectionsWithoutEntriesVanish) {
    IniOpenText("[a]\nx=1\n[b]\n[c]\ny=2\n");
    EXPECT_EQ(IniDocumentText(), "[a]\r\nx=1\r\n[c]\r\ny=2\r\n");
    EXPECT_EQ(IniGet("b", "x").Std(), "NO_DATA");
}

TEST_F(IniTest, NamesAndKeysIgnoreLetterCaseButValuesDoNot) {
    IniOpenText("[Level]\nmediaroot=Media\\Sub\n");
    EXPECT_EQ(IniGet("LEVEL", "MediaRoot").Std(), "Media\\Sub");
    EXPECT_EQ(IniGet("level", "mediaroot").Std(), "Media\\Sub");
    IniPut("LEVEL", "MEDIAROOT", "x");
    EXPECT_EQ(IniDocumentText(), "[Level]\r\nmediaroot=x\r\n");
}

TEST_F(IniTest, ValuesLoseLeadingBlanksAndTrailingControlOrHighBytes) {
    IniOpenText("[s]\n"
                "empty=\n"
                "blank=   \t\n"
                "tabs=5\t\t\r\r\n"
                "lead= \t 7 8 \n"
                "high=name\xC3\xA9\n"
                "spaced = 1\n"
                "nokey\n");
    EXPECT_EQ(IniGet("s", "empty").Std(), "NO_DATA");
    EXPECT_EQ(IniGet("s", "blank").Std(), "NO_DATA");
    EXPECT_EQ(IniGet("s", "tabs").Std(), "5");
    EXPECT_EQ(IniGet("s", "lead").Std(), "7 8 ");
    EXPECT_EQ(IniGet("s", "high").Std(), "name");
    // The key stops at the blank, so the equals sign starts the value.
    EXPECT_EQ(IniGet("s", "spaced").Std(), "= 1");
    EXPECT_EQ(IniGet("s", "nokey").Std(), "NO_DATA");
}

TEST_F(IniTest, HeadersNameSectionsByOneWord) {
    IniOpenText("top=0\n"
                "; a comment\n"
                "   \n"
                "  [ first ]\n"
                "a=1\n"
                "[two words]\n"
                "b=2\n"
                "[]\n"
                "c=3\n"
                "[x]trail\n"
                "d=4\n"
                "  ;indented comment\n");
    EXPECT_EQ(IniGet("", "top").Std(), "0");
    EXPECT_EQ(IniGet("first", "a").Std(), "1");
    EXPECT_EQ(IniGet("two", "b").Std(), "2");
    // An empty name continues the previous section's name, as a second section.
    EXPECT_EQ(IniGet("two", "c").Std(), "NO_DATA");
    EXPECT_EQ(IniGet("x]trail", "d").Std(), "4");
    EXPECT_EQ(IniDocumentText(),
              "[]\r\ntop=0\r\n[first]\r\na=1\r\n[two]\r\nb=2\r\n[two]\r\nc=3\r\n[x]trail]\r\nd=4\r\n");
}

TEST_F(IniTest, DuplicateSectionsReadFromTheFirstAndAreBothWrittenBack) {
    IniOpenText("[s]\nk=1\n[S]\nk=2\nj=3\n");
    EXPECT_EQ(IniGet("s", "k").Std(), "1");
    EXPECT_EQ(IniGet("s", "j").Std(), "NO_DATA");
    IniPut("s", "k", "9");
    EXPECT_EQ(IniDocumentText(), "[s]\r\nk=9\r\n[S]\r\nk=2\r\nj=3\r\n");
}

TEST_F(IniTest, PutAppendsReplacesAndRemovesSections) {
    IniOpenText("");
    IniPut("a", "x", "1");
    IniPut("b", "y", "2");
    IniPut("c", "z", "3");
    IniPut("a", "x2", "4");
    IniPut("A", "X", "5");
    EXPECT_EQ(IniDocumentText(), "[a]\r\nx=5\r\nx2=4\r\n[b]\r\ny=2\r\n[c]\r\nz=3\r\n");
    // The last section takes the removed one's place.
    IniPut("A", "", "");
    EXPECT_EQ(IniDocumentText(), "[c]\r\nz=3\r\n[b]\r\ny=2\r\n");
    IniPut("missing", "", "");
    EXPECT_EQ(IniDocumentText(), "[c]\r\nz=3\r\n[b]\r\ny=2\r\n");
    // A line end would split the entry in the file.
    IniPut("b", "y", "two\r\n[evil]\r\nk=v");
    EXPECT_EQ(IniGet("b", "y").Std(), "two\r");
    EXPECT_EQ(IniGet("evil", "k").Std(), "NO_DATA");
}

TEST_F(IniTest, OpeningAgainWritesTheChangeFirstThenRereads) {
    WriteBytes("level.ini", "; made by hand\n[Level]\nname=old\n\n[Media]\nroot=m\n");
    IniOpen("level.ini");
    EXPECT_EQ(IniGet("level", "name").Std(), "old");
    IniPut("Level", "name", "new");
    EXPECT_EQ(ReadBytes("level.ini").find("new"), std::string::npos);   // not before the next open
    IniOpen("level.ini");
    EXPECT_TRUE(IniLastWriteOk());
    EXPECT_EQ(IniGet("Level", "name").Std(), "new");
    EXPECT_EQ(ReadBytes("level.ini"), "[Level]\r\nname=new\r\n[Media]\r\nroot=m\r\n");
}

TEST_F(IniTest, AnUnchangedDocumentIsNeverWritten) {
    WriteBytes("level.ini", "[a]\nx=1\n; keep me\n");
    IniOpen("level.ini");
    EXPECT_EQ(IniGet("a", "x").Std(), "1");
    EXPECT_TRUE(IniWrite());
    IniOpen("");
    EXPECT_TRUE(IniLastWriteOk());
    EXPECT_EQ(ReadBytes("level.ini"), "[a]\nx=1\n; keep me\n");
}

TEST_F(IniTest, SavingTheWayTheLevelWriterDoesCreatesTheFile) {
    WriteBytes("level.ini", "[old]\nx=1\n");
    IniOpen("");
    DeleteFileText("level.ini");
    IniOpen("level.ini");
    EXPECT_EQ(IniGet("old", "x").Std(), "NO_DATA");
    IniPut("Level", "count", "2");
    IniOpen("");
    EXPECT_TRUE(IniLastWriteOk());
    EXPECT_EQ(ReadBytes("level.ini"), "[Level]\r\ncount=2\r\n");
    // The nameless document left behind is never written anywhere.
    IniPut("stray", "k", "v");
    EXPECT_TRUE(IniWrite());
    IniOpen("");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}

TEST_F(IniTest, MissingFilesResolveLikeMediaNames) {
    WriteBytes("Levels/Test.INI", "[a]\nx=1\n");
    IniOpen("levels\\test.ini");
    EXPECT_EQ(IniGet("a", "x").Std(), "1");
    IniPut("a", "x", "2");
    IniOpen("levels\\new.ini");   // missing: created in the resolved directory once changed
    EXPECT_EQ(ReadBytes("Levels/Test.INI"), "[a]\r\nx=2\r\n");
    IniPut("b", "y", "3");
    EXPECT_TRUE(IniWrite());
    EXPECT_EQ(ReadBytes("Levels/new.ini"), "[b]\r\ny=3\r\n");
}

TEST_F(IniTest, AFailedWriteBackKeepsTheOldFileAndIsReported) {
    WriteBytes("Locked/level.ini", "[a]\nx=1\n");
    IniOpen("Locked/level.ini");
    IniPut("a", "x", "2");
    {
        ReadOnlyDirectory locked(dir_ + "/Locked");
        EXPECT_FALSE(IniWrite());
        EXPECT_FALSE(IniLastWriteOk());
        IniOpen("");   // the level writer's final open
        EXPECT_FALSE(IniLastWriteOk());
    }
    EXPECT_EQ(ReadBytes("Locked/level.ini"), "[a]\nx=1\n");
    EXPECT_NE(ErrorLog().find("File not written: "), std::string::npos);
    IniOpen("");
    EXPECT_TRUE(IniLastWriteOk());   // nothing needed writing this time
}

TEST_F(IniTest, HostileFilesParseWithoutHarm) {
    std::string bytes = "[s]\n";
    bytes += "long=" + std::string(5000, 'v') + "\n";
    bytes += std::string("nul=ab\0cd\n", 10);
    bytes += std::string("\0\0\0\n", 4);
    bytes += "[t]\r\ncr=1\r\r\n";
    bytes += "last=end";   // no final line end
    WriteBytes("h.ini", bytes);
    IniOpen("h.ini");
    EXPECT_EQ(IniGet("s", "long").Length(), 1023u - 5u);
    EXPECT_EQ(IniGet("s", "nul").Std(), "ab");
    EXPECT_EQ(IniGet("t", "cr").Std(), "1");
    EXPECT_EQ(IniGet("t", "last").Std(), "end");
}

TEST_F(IniTest, WrittenDocumentsReadBackUnchanged) {
    const char* samples[] = {
        "x=1\n[a]\ny = 2\n[]\nz=3\n[a]\nw=\xC3\xA9x\n",
        "=novalue\n[ s ]\n==\n[x]y]\nk=v\n",
        "[q]\r\nk=v w\t\r\n;c\r\n[r]\r\n[q]\r\nk=2",
    };
    for (const char* text : samples) {
        IniOpenText(text);
        const std::string once = IniDocumentText();
        IniOpenText(once);
        EXPECT_EQ(IniDocumentText(), once) << text;
    }
}

TEST_F(IniTest, ProgramEndWritesTheChangedDocumentBack) {
    IniOpen("end.ini");
    IniPut("s", "k", "v");
    EXPECT_ENDS_PROGRAM(EndProgram(), 0);
    EXPECT_EQ(ReadBytes("end.ini"), "[s]\r\nk=v\r\n");
}
