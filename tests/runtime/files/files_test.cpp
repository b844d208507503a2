// Name resolution, directories, deletion and safe writes.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "tests/runtime/files/scratch_dir.h"

namespace fs = std::filesystem;

using FilesTest = ScratchDirTest;

TEST_F(FilesTest, ResolveFileKeepsTheNameOfAReadableFile) {
    WriteBytes("Media/Wall.bmp", "x");
    StrValue resolved;
    EXPECT_TRUE(ResolveFile("Media/Wall.bmp", resolved));
    EXPECT_EQ(resolved.Std(), "Media/Wall.bmp");
}

TEST_F(FilesTest, ResolveFileFindsNamesWithBackslashesAndOtherLetterCase) {
    WriteBytes("Media/Tex/Wall.bmp", "x");
    StrValue resolved;
    EXPECT_TRUE(ResolveFile("media\\TEX\\wall.BMP", resolved));
    EXPECT_EQ(resolved.Std(), "Media/Tex/Wall.bmp");
    EXPECT_TRUE(ResolveFile("./MEDIA/tex/../Tex/WALL.bmp", resolved));
    EXPECT_EQ(resolved.Std(), "./Media/Tex/../Tex/Wall.bmp");

    const std::string absolute = dir_ + "\\MEDIA\\tex\\wall.bmp";
    EXPECT_TRUE(ResolveFile(absolute, resolved));
    EXPECT_EQ(resolved.Std(), dir_ + "/Media/Tex/Wall.bmp");
}

TEST_F(FilesTest, ResolveFileFailsWithTheUnchangedNameWhenNotExactlyOneFileMatches) {
    WriteBytes("a.bmp", "1");
    WriteBytes("A.BMP", "2");
    fs::create_directory("Dir");
    StrValue resolved;
    EXPECT_FALSE(ResolveFile("a.Bmp", resolved));
    EXPECT_EQ(resolved.Std(), "a.Bmp");
    EXPECT_FALSE(ResolveFile("missing\\x.bmp", resolved));
    EXPECT_EQ(resolved.Std(), "missing\\x.bmp");
    EXPECT_FALSE(ResolveFile("", resolved));
    EXPECT_EQ(resolved.Std(), "");
    // A directory opens for reading on this system but is no file.
    EXPECT_FALSE(ResolveFile("Dir", resolved));
    EXPECT_FALSE(ResolveFile("dir", resolved));
}

TEST_F(FilesTest, FileExistsAndDeleteFileTextUseResolvedNames) {
    WriteBytes("Models/Tree.kmo", "x");
    EXPECT_EQ(FileExists("Models/Tree.kmo"), 1);
    EXPECT_EQ(FileExists("models\\tree.kmo"), 1);
    EXPECT_EQ(FileExists("models/bush.kmo"), 0);
    EXPECT_EQ(FileExists(""), 0);
    DeleteFileText("MODELS\\TREE.KMO");
    EXPECT_FALSE(fs::exists("Models/Tree.kmo"));
    DeleteFileText("Models/Tree.kmo");   // already gone: ignored
}

TEST_F(FilesTest, CurrentDirectoryEndsWithSlashAndChangesLikeFileNames) {
    const StrValue start = GetCurrentDir();
    EXPECT_EQ(start.Std(), dir_ + "/");

    fs::create_directories("Media/Sub");
    EXPECT_EQ(SetCurrentDir("media\\sub"), 1);
    EXPECT_EQ(GetCurrentDir().Std(), dir_ + "/Media/Sub/");
    EXPECT_EQ(SetCurrentDir(start), 1);
    EXPECT_EQ(SetCurrentDir("nowhere"), 0);
    EXPECT_EQ(SetCurrentDir(""), 0);
    EXPECT_EQ(GetCurrentDir().Std(), dir_ + "/");

    EXPECT_EQ(SetCurrentDir("/"), 1);
    EXPECT_EQ(GetCurrentDir().Std(), "/");
    EXPECT_EQ(SetCurrentDir(start), 1);
}

TEST_F(FilesTest, PathForWritingIsAbsoluteWithItsDirectoryResolved) {
    fs::create_directories("Media");
    EXPECT_EQ(PathForWriting("media\\new.ini"), dir_ + "/Media/new.ini");
    EXPECT_EQ(PathForWriting("level.ini"), dir_ + "/level.ini");
    WriteBytes("Media/Old.ini", "x");
    EXPECT_EQ(PathForWriting("MEDIA/old.INI"), dir_ + "/Media/Old.ini");
}

TEST_F(FilesTest, WriteFileAtomicallyReplacesTheFileKeepsItsModeAndLeavesNoTemporaryFile) {
    WriteBytes("level.ini", "old");
    ::chmod("level.ini", 0640);
    EXPECT_TRUE(WriteFileAtomically("level.ini", "new"));
    EXPECT_EQ(ReadBytes("level.ini"), "new");
    struct stat st {};
    ASSERT_EQ(::stat("level.ini", &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    EXPECT_TRUE(WriteFileAtomically("fresh.ini", std::string("a\0b", 3)));
    EXPECT_EQ(ReadBytes("fresh.ini"), std::string("a\0b", 3));

    int files = 0;
    for (const auto& e : fs::directory_iterator(dir_)) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 2);
}

TEST_F(FilesTest, WriteFileAtomicallyThroughALinkReplacesTheLinkedFile) {
    WriteBytes("real.ini", "old");
    fs::create_symlink("real.ini", "link.ini");
    EXPECT_TRUE(WriteFileAtomically("link.ini", "new"));
    EXPECT_TRUE(fs::is_symlink("link.ini"));
    EXPECT_EQ(ReadBytes("real.ini"), "new");
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
    EXPECT_TRUE(fs::is_directory("adir"));

    const std::string log = ErrorLog();
    EXPECT_NE(log.find("File not written: Locked/level.ini (Permission denied)"), std::string::npos) << log;
    EXPECT_NE(log.find("File not written: nowhere/level.ini"), std::string::npos) << log;
    EXPECT_NE(log.find("\r\n"), std::string::npos);
}
