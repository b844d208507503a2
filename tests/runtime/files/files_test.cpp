// Name resolution, directories, deletion and safe writes.
#include "tests/runtime/files/scratch_dir.h"

namespace fs = std::filesystem;

using FilesTest = ScratchDirTest;

TEST_F(FilesTest, NamesWithBackslashesAndOtherLetterCaseResolveToTheOneMatchingFile) {
    WriteBytes("Media/Tex/Wall.bmp", "x");
    StrValue resolved;
    EXPECT_TRUE(ResolveFile("Media/Tex/Wall.bmp", resolved));
    EXPECT_EQ(resolved.Std(), "Media/Tex/Wall.bmp");
    EXPECT_TRUE(ResolveFile("./MEDIA\\tex\\..\\Tex\\WALL.bmp", resolved));
    EXPECT_EQ(resolved.Std(), "./Media/Tex/../Tex/Wall.bmp");
    EXPECT_TRUE(ResolveFile(StrValue(dir_ + "\\MEDIA\\tex\\wall.bmp"), resolved));
    EXPECT_EQ(resolved.Std(), dir_ + "/Media/Tex/Wall.bmp");
    EXPECT_EQ(FileExists("media\\tex\\wall.BMP"), 1);
    DeleteFileText("MEDIA/TEX/WALL.BMP");
    EXPECT_FALSE(fs::exists("Media/Tex/Wall.bmp"));
    EXPECT_EQ(FileExists("Media/Tex/Wall.bmp"), 0);
}

TEST_F(FilesTest, ResolvingFailsWithTheUnchangedNameUnlessExactlyOneFileMatches) {
    WriteBytes("a.bmp", "1");
    WriteBytes("A.BMP", "2");
    fs::create_directory("Dir");
    StrValue resolved;
    for (const char* name : {"a.Bmp", "missing\\x.bmp", "", "Dir", "dir"}) {
        EXPECT_FALSE(ResolveFile(name, resolved)) << name;
        EXPECT_EQ(resolved.Std(), name);
        EXPECT_EQ(FileExists(name), 0) << name;
    }
}

TEST_F(FilesTest, CurrentDirectoryEndsWithSlashAndChangesLikeFileNames) {
    const StrValue start = GetCurrentDir();
    EXPECT_EQ(start.Std(), dir_ + "/");
    fs::create_directories("Media/Sub");
    EXPECT_EQ(SetCurrentDir("media\\sub"), 1);
    EXPECT_EQ(GetCurrentDir().Std(), dir_ + "/Media/Sub/");
    EXPECT_EQ(SetCurrentDir("nowhere"), 0);
    EXPECT_EQ(SetCurrentDir(""), 0);
    EXPECT_EQ(SetCurrentDir("/"), 1);
    EXPECT_EQ(GetCurrentDir().Std(), "/");
    EXPECT_EQ(SetCurrentDir(start), 1);
}

TEST_F(FilesTest, AtomicWriteReplacesTheFileOrLinkTargetKeepingItsModeAndNoTemporaryFile) {
    WriteBytes("level.ini", "old");
    ::chmod("level.ini", 0640);
    fs::create_symlink("level.ini", "link.ini");
    EXPECT_TRUE(WriteFileAtomically("level.ini", "new"));
    EXPECT_TRUE(WriteFileAtomically("link.ini", std::string("a\0b", 3)));
    EXPECT_TRUE(fs::is_symlink("link.ini"));
    EXPECT_EQ(ReadBytes("level.ini"), std::string("a\0b", 3));
    EXPECT_EQ(fs::status("level.ini").permissions(), fs::perms(0640));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(FilesTest, FailedAtomicWriteKeepsTheOldFileAndLogsALine) {
    WriteBytes("Locked/level.ini", "old");
    {
        ReadOnlyDirectory locked(dir_ + "/Locked");
        EXPECT_FALSE(WriteFileAtomically("Locked/level.ini", "new"));
    }
    EXPECT_EQ(ReadBytes("Locked/level.ini"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator("Locked"), fs::directory_iterator()), 1);
    EXPECT_FALSE(WriteFileAtomically("nowhere/level.ini", "new"));
    fs::create_directory("adir");
    EXPECT_FALSE(WriteFileAtomically("adir", "new"));

    const std::string log = ErrorLog();
    EXPECT_NE(log.find("File not written: Locked/level.ini (Permission denied)\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("File not written: nowhere/level.ini"), std::string::npos) << log;
}
