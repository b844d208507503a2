// Name resolution, directories, deletion and safe writes.
#include "runtime/platform/headless_platform.h"
#include "tests/runtime/files/scratch_dir.h"

namespace fs = std::filesystem;

using FilesTest = ScratchDirTest;

TEST_F(FilesTest, NamesResolveToTheOneMatchingFileWhateverTheSlashesAndLetterCase) {
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

    WriteBytes("a.bmp", "1");
    WriteBytes("A.BMP", "2");
    fs::create_directory("Dir");
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

TEST_F(FilesTest, OwnMediaComesFromBesideTheProgramElseFromItsInstallFolder) {
    HeadlessPlatform program;   // its program folder is the current one
    UsePlatform(&program);
    WriteBytes("bin/font.bmp", "beside");
    WriteBytes("share/zentrovel/font.bmp", "installed");
    WriteBytes("share/zentrovel/sky.bmp", "installed");
    fs::current_path("bin");
    EXPECT_EQ(OwnMediaFile("font.bmp").Std(), dir_ + "/bin/font.bmp");
    EXPECT_EQ(OwnMediaFile("sky.bmp").Std(), dir_ + "/share/zentrovel/sky.bmp");
    EXPECT_EQ(OwnMediaFile("hand.bmp").Std(), "hand.bmp");
    UsePlatform(nullptr);
    EXPECT_NE(ErrorLog().find("Media file \"hand.bmp\" missing: looked in " + dir_ + "/bin/ and " + dir_ +
                              "/share/zentrovel/\r\n"),
              std::string::npos)
        << ErrorLog();
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
    ASSERT_EQ(::mkfifo("pipe.ini", 0644), 0);
    EXPECT_FALSE(WriteFileAtomically("pipe.ini", "new"));
    EXPECT_TRUE(fs::is_fifo("pipe.ini"));
    fs::create_symlink("loop.ini", "loop.ini");
    EXPECT_FALSE(WriteFileAtomically("loop.ini", "new"));
    EXPECT_EQ(LastWriteFailure(), "Too many levels of symbolic links");

    const std::string log = ErrorLog();
    EXPECT_NE(log.find("File not written: Locked/level.ini (Permission denied)\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("File not written: nowhere/level.ini"), std::string::npos) << log;
}

TEST_F(FilesTest, AtomicWriteKeepsLinksNamesAndOwnerAndClearsDeadWritersLeftovers) {
    fs::create_symlink("made.ini", "dangling.ini");
    WriteBytes("a.ini", "old");
    ::chmod("a.ini", 0640);
    fs::create_hard_link("a.ini", "b.ini");
    WriteBytes("theirs.ini", "old");
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::chown("theirs.ini", 65534, 65534), 0);
    }
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const std::string deadLeftover = ".x.ini.tmp" + std::to_string(dead) + "_7";
    const std::string liveLeftover = ".x.ini.tmp" + std::to_string(::getppid()) + "_7";
    for (const std::string& name : {deadLeftover, liveLeftover, std::string(".x.ini.tmp_7")}) WriteBytes(name, "part");

    for (const char* name : {"dangling.ini", "a.ini", "theirs.ini"}) EXPECT_TRUE(WriteFileAtomically(name, "new")) << name;
    EXPECT_TRUE(fs::is_symlink("dangling.ini"));
    EXPECT_EQ(ReadBytes("made.ini"), "new");
    EXPECT_EQ(ReadBytes("b.ini"), "new");
    EXPECT_TRUE(fs::equivalent("a.ini", "b.ini"));
    EXPECT_EQ(fs::status("a.ini").permissions(), fs::perms(0640));
    struct stat st {};
    ASSERT_EQ(::stat("theirs.ini", &st), 0);
    if (root) {
        EXPECT_EQ(st.st_uid, 65534u) << "root keeps the owner";
        EXPECT_EQ(st.st_gid, 65534u);
    }
    EXPECT_FALSE(fs::exists(deadLeftover));
    EXPECT_TRUE(fs::exists(liveLeftover));
    EXPECT_TRUE(fs::exists(".x.ini.tmp_7"));
}

TEST_F(FilesTest, AFileThisUserMayNotWriteIsNotReplaced) {
    WriteBytes("locked.ini", "old");
    ::chmod("locked.ini", 0444);
    ::chmod(dir_.c_str(), 0777);
    const int code = RunInChild(
        [] { return !WriteFileAtomically("locked.ini", "new") && LastWriteFailure() == "Permission denied" ? 0 : 1; },
        20, true);
    if (code == 99) GTEST_SKIP() << "no user nobody to become";
    EXPECT_EQ(code, 0);
    EXPECT_EQ(ReadBytes("locked.ini"), "old");
    struct stat st {};
    ASSERT_EQ(::stat("locked.ini", &st), 0);
    EXPECT_EQ(st.st_uid, ::geteuid());
    EXPECT_NE(ErrorLog().find("File not written: locked.ini (Permission denied)\r\n"), std::string::npos) << ErrorLog();
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2) << "no temporary file left";
}

TEST_F(FilesTest, ReadersTakeOnlyRegularFilesOfBoundedSizeAndNeverWait) {
    WriteBytes("plain.ini", "[memory]\r\nroot=x\r\n");
    WriteBytes("huge.ini", "[memory]\r\nroot=x\r\n");
    fs::resize_file("huge.ini", uintmax_t(1) << 30);   // sparse: costs no disk
    ASSERT_EQ(::mkfifo("fifo.ini", 0644), 0);
    fs::create_symlink("/dev/zero", "zero.ini");
    for (const std::string name : {"plain.ini", "huge.ini", "fifo.ini", "zero.ini"}) {
        const bool plain = name == "plain.ini";
        const int code = RunInChild([&] {
            IniOpen(StrValue(name));
            const bool ini = IniGet("memory", "root") == (plain ? "x" : "NO_DATA");
            return ini && ReadFileLine(StrValue(name), 0) == (plain ? "[memory]" : "NO_FILE") ? 0 : 1;
        });
        EXPECT_EQ(code, 0) << name << (code == -1 ? ": still reading" : "");
    }
}
