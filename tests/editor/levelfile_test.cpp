// Level file: layout, number formats, round trips, imperfect and hostile files, safe saves.
#include <signal.h>
#include <sys/resource.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "editor/level.h"
#include "editor/levelfile.h"
#include "runtime/files/files.h"
#include "runtime/files/ini.h"
#include "runtime/frame/program.h"
#include "tests/editor/level_media.h"
#include "tests/support/ends_program.h"

using level_media::AnimBytes;
using level_media::ModelBytes;
using level_media::PictureBytes;
using level_media::ReadBytes;
using level_media::WriteBytes;

namespace {

class LevelFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetLevelArrays();
        MediaRoot = StrValue(dir.Path() + "/");
        SetEndCode(0);
    }
    void TearDown() override {
        IniOpen("");
        CloseLineFile();
    }

    // Writes a level file from lines (joined with CR LF) and loads it.
    void LoadLines(const std::string& lines) {
        std::string text;
        size_t start = 0;
        while (start <= lines.size()) {
            size_t end = lines.find('\n', start);
            if (end == std::string::npos) end = lines.size();
            text += lines.substr(start, end - start) + "\r\n";
            start = end + 1;
        }
        WriteBytes(dir / "in.ini", text);
        LoadLevel(StrValue(dir / "in.ini"));
    }
    std::string SaveAndRead(Number expectLines = -2) {
        const Number lines = SaveLevel(StrValue(dir / "out.ini"));
        if (expectLines != -2) {
            EXPECT_EQ(lines, expectLines);
        }
        EXPECT_GT(lines, 0);
        return ReadBytes(dir / "out.ini");
    }
    std::string Root() const { return "root=" + dir.Path(); }

    level_media::ScratchDir dir{"levelfile"};
    // A program end becomes a test failure instead of ending the test run.
    CatchProgramEnd catchEnd;
};

TEST_F(LevelFileTest, SaveWritesSectionsKeysAndEveryFormatExactly) {
    ModelFiles.Dim(1);
    ModelFiles(0) = "tree.kmo";
    TextureFiles.Dim(1);
    TextureFiles(0) = "bark.bmp";
    AddObject(1, 0, 0, 0, -1, 2, 0, -4.5, 90);
    PathLen.Dim(1);
    PathPoints.Dim(1, 8, 3);
    PathLen(0) = 2;
    PathPoints(0, 0, 1) = 1;
    PathPoints(0, 1, 0) = 5;
    PathPoints(0, 1, 1) = 1;
    ActorProps.Dim(1, 7);
    ActorPos.Dim(1, 5);
    ActorState.Dim(1, 3);
    ActorProps(0, 1) = -1;
    ActorProps(0, 5) = -1;
    ActorProps(0, 2) = 7;   // working values are not stored
    ActorPos(0, 0) = 1.5;
    ActorPos(0, 1) = 2;
    ActorPos(0, 2) = -3;
    SpecialItems.Dim(1, 5);
    SpecialItems(0, 0) = 1;
    SpecialItems(0, 1) = 2;
    SpecialItems(0, 2) = 3;
    SpecialItems(0, 3) = 1001;
    SpecialItems(0, 4) = 2.5;
    WeaponTable.Dim(1, 3);
    WeaponTable(0, 0) = 1;
    WeaponTable(0, 1) = 0.5;
    WeaponTable(0, 2) = 0.5;

    const std::string expected =
        "[memory]\r\n" + Root() + "\r\nmaxpathpoints=8\r\n"
        "[types]\r\ncount=1\r\n0=tree.kmo\r\n"
        "[textures]\r\ncount=1\r\n0=bark.bmp\r\n"
        "[objects]\r\ncount=1\r\n0=2 0 -4.5 90 1 0 0 0 -1 \r\n"
        "[paths]\r\ncount=1\r\n0=2 0.0 1.0 0.0 5.0 1.0 0.0 \r\n"
        "[players]\r\ncount=1\r\n0=0 -1 1.5 2.0 -3.0 0 -1 \r\n"
        "[specials]\r\ncount=1\r\n0=1.0 2.0 3.0 1001 2.5 \r\n"
        "[weapons]\r\ncount=1\r\n0=1.00 0.50 0.5 \r\n";
    EXPECT_EQ(SaveAndRead(24), expected);
}

TEST_F(LevelFileTest, SaveReturnsLineCountOfTheExampleLevel) {
    ModelFiles.Dim(3);
    TextureFiles.Dim(2);
    for (int i = 0; i < 3; ++i) ModelFiles(i) = "m"_s + i + ".kmo";
    for (int i = 0; i < 2; ++i) TextureFiles(i) = "t"_s + i + ".bmp";
    for (int i = 0; i < 10; ++i) AddObject(i % 3, i % 2, 0, 0, -1, i, 0, 0, 0);
    const std::string text = SaveAndRead(32);
    EXPECT_NE(text.find("[paths]\r\ncount=0\r\n[players]"), std::string::npos);
}

TEST_F(LevelFileTest, RoundTripKeepsTheDigitsOfEachFormat) {
    AddObject(3, -1, -0.7, 2, 1, 1.23456789012345, -0.04, 1.26, 359.5);
    PathLen.Dim(1);
    PathPoints.Dim(1, 8, 3);
    PathLen(0) = 1;
    PathPoints(0, 0, 0) = 1.26;
    PathPoints(0, 0, 1) = -0.04;
    PathPoints(0, 0, 2) = 10;
    ActorProps.Dim(1, 7);
    ActorPos.Dim(1, 5);
    ActorState.Dim(1, 3);
    ActorPos(0, 0) = 1.26;
    ActorPos(0, 2) = -7.75;
    SpecialItems.Dim(1, 5);
    SpecialItems(0, 1) = 1.26;
    SpecialItems(0, 4) = 1.23456789012345;
    WeaponTable.Dim(1, 3);
    WeaponTable(0, 0) = 2.346;
    WeaponTable(0, 1) = 0.5;
    WeaponTable(0, 2) = 12.34;

    const std::string text = SaveAndRead();
    EXPECT_NE(text.find("0=1 1.3 -0.0 10.0 \r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("0=2.35 0.50 12.3 \r\n"), std::string::npos) << text;
    LoadLevel(StrValue(dir / "out.ini"));

    EXPECT_DOUBLE_EQ(ObjPos(0, 0), 1.23456789);
    EXPECT_DOUBLE_EQ(ObjPos(0, 1), -0.04);
    EXPECT_DOUBLE_EQ(ObjPos(0, 2), 1.26);
    EXPECT_DOUBLE_EQ(ObjPos(0, 3), 359.5);
    EXPECT_DOUBLE_EQ(ObjProps(0, 2), -0.7);
    EXPECT_EQ(ObjProps(0, 1), -1);
    EXPECT_EQ(ObjProps(0, 4), 1);
    EXPECT_DOUBLE_EQ(PathPoints(0, 0, 0), 1.3);
    EXPECT_DOUBLE_EQ(PathPoints(0, 0, 1), 0.0);
    EXPECT_DOUBLE_EQ(ActorPos(0, 0), 1.3);
    EXPECT_DOUBLE_EQ(ActorPos(0, 2), -7.8);
    EXPECT_DOUBLE_EQ(SpecialItems(0, 1), 1.3);
    EXPECT_DOUBLE_EQ(SpecialItems(0, 4), 1.23456789);
    EXPECT_DOUBLE_EQ(WeaponTable(0, 0), 2.35);
    EXPECT_DOUBLE_EQ(WeaponTable(0, 1), 0.5);
    EXPECT_DOUBLE_EQ(WeaponTable(0, 2), 12.3);
}

TEST_F(LevelFileTest, MissingFileGivesAnEmptyLevelUnderNoData) {
    AddObject(0, 0, 0, 0, 0, 1, 2, 3, 4);
    LoadLevel(StrValue(dir / "none.ini"));
    EXPECT_EQ(MediaRoot, "NO_DATA/");
    EXPECT_EQ(ModelCount(), 0);
    EXPECT_EQ(TextureCount(), 0);
    EXPECT_EQ(ObjectCount(), 0);
    EXPECT_EQ(ObjState.Extent(0), 0);
    EXPECT_EQ(PathCount(), 0);
    EXPECT_EQ(ActorCount(), 0);
    EXPECT_EQ(SpecialCount(), 0);
    EXPECT_EQ(WeaponCount(), 0);
    EXPECT_EQ(PathCapacity(), 8);
    EXPECT_EQ(ModelAnims.Extent(0), 1);
    EXPECT_EQ(ModelAnims.Extent(1), 5);
    EXPECT_EQ(ModelAnims.Extent(2), 2);
}

TEST_F(LevelFileTest, EmptyFileAndMemoryOnlyFileLoadEmpty) {
    LoadLines("");
    EXPECT_EQ(ObjectCount(), 0);
    EXPECT_EQ(MediaRoot, "NO_DATA/");
    LoadLines("[memory]\n" + Root() + "\nmaxpathpoints=12");
    EXPECT_EQ(MediaRoot, StrValue(dir.Path() + "/"));
    EXPECT_EQ(ModelCount() + TextureCount() + ObjectCount() + PathCount() + ActorCount() + SpecialCount() +
                  WeaponCount(),
              0);
    EXPECT_EQ(PathCapacity(), 12);
}

TEST_F(LevelFileTest, SmallMaxPathPointsLoadsAsEightAndSavesEight) {
    LoadLines("[memory]\n" + Root() + "\nmaxpathpoints=3\n[paths]\ncount=1\n0=1 4 5 6");
    EXPECT_EQ(PathPoints.Extent(1), 8);
    EXPECT_EQ(PathPoints(0, 0, 2), 6);
    EXPECT_NE(SaveAndRead().find("maxpathpoints=8\r\n"), std::string::npos);
}

TEST_F(LevelFileTest, LevelWithoutPathsKeepsItsCapacity) {
    LoadLines("[memory]\n" + Root() + "\nmaxpathpoints=20\n[paths]\ncount=0");
    EXPECT_EQ(PathCapacity(), 20);
    EXPECT_NE(SaveAndRead().find("maxpathpoints=20\r\n"), std::string::npos);
}

TEST_F(LevelFileTest, ShortEntriesLeaveTheRestZero) {
    LoadLines("[objects]\ncount=2\n0=1 2 3 4\n[players]\ncount=1\n0=5\n[weapons]\ncount=1");
    EXPECT_EQ(ObjPos(0, 3), 4);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(ObjProps(0, k), 0) << k;   // path 0, not -1
    EXPECT_EQ(ObjPos(1, 0), 0);                                       // missing entry
    EXPECT_EQ(ActorProps(0, 0), 5);
    EXPECT_EQ(ActorProps(0, 5), 0);
    EXPECT_EQ(WeaponTable(0, 0), 0);
}

TEST_F(LevelFileTest, PathLoadsEveryTripleButKeepsItsCount) {
    LoadLines("[paths]\ncount=1\n0=2 0 0 0 1 1 1 2 2 2");
    EXPECT_EQ(PathLen(0), 2);
    EXPECT_EQ(PathPoints(0, 2, 0), 2);
    EXPECT_EQ(PathPoints(0, 2, 2), 2);
    EXPECT_NE(SaveAndRead().find("0=2 0.0 0.0 0.0 1.0 1.0 1.0 \r\n"), std::string::npos);
}

TEST_F(LevelFileTest, TabsAndRunsOfSpacesReadLikeSingleSpaces) {
    LoadLines("[objects]\ncount=2\n0=1 2 3 4 5 6 7 8 9 \n1=\t1  2\t\t3 \t 4   5 6\t7 8 9\t\t");
    for (int k = 0; k < 4; ++k) EXPECT_EQ(ObjPos(1, k), ObjPos(0, k)) << k;
    for (int k = 0; k < 5; ++k) EXPECT_EQ(ObjProps(1, k), ObjProps(0, k)) << k;
    EXPECT_EQ(ObjProps(1, 4), 9);
}

TEST_F(LevelFileTest, SectionAndKeyNamesMatchWithoutCase) {
    LoadLines("[OBJECTS]\nCount=1\n0=1 2 3 4 5 6 7 8 9\n[Memory]\nROOT=/m");
    EXPECT_EQ(ObjectCount(), 1);
    EXPECT_EQ(ObjProps(0, 4), 9);
    EXPECT_EQ(MediaRoot, "/m/");
}

TEST_F(LevelFileTest, LongEntriesKeepTheirFirstFields) {
    LoadLines(
        "[objects]\ncount=1\n0=1 2 3 4 5 6 7 8 9 10 11 12\n"
        "[players]\ncount=1\n0=1 2 3 4 5 6 7 8 9 10\n"
        "[specials]\ncount=1\n0=1 2 3 4 5 6 7\n"
        "[weapons]\ncount=1\n0=1 2 3 4 5");
    EXPECT_EQ(ObjProps(0, 4), 9);
    EXPECT_EQ(ActorProps(0, 5), 7);
    EXPECT_EQ(ActorPos(0, 2), 5);
    EXPECT_EQ(ActorPos(0, 3), 0);
    EXPECT_EQ(SpecialItems(0, 4), 5);
    EXPECT_EQ(WeaponTable(0, 2), 3);
    EXPECT_EQ(GetEndCode(), 0);
}

TEST_F(LevelFileTest, PathLongerThanTheCapacityRaisesItForAllPaths) {
    std::string points;
    for (int k = 0; k < 11; ++k) points += " " + std::to_string(k) + " 0 " + std::to_string(-k);
    LoadLines("[memory]\nmaxpathpoints=8\n[paths]\ncount=2\n0=11" + points + "\n1=1 5 5 5");
    EXPECT_EQ(PathCapacity(), 11);
    EXPECT_EQ(PathPoints.Extent(1), 11);
    EXPECT_EQ(PathPoints(0, 10, 2), -10);
    EXPECT_EQ(PathPoints(1, 0, 0), 5);
    const std::string text = SaveAndRead();
    EXPECT_NE(text.find("maxpathpoints=11\r\n"), std::string::npos);
    EXPECT_NE(text.find(" 10.0 0.0 -10.0 \r\n"), std::string::npos);
}

TEST_F(LevelFileTest, PointCountAboveTheCapacityRaisesItToo) {
    LoadLines("[paths]\ncount=1\n0=12 1 1 1");
    EXPECT_EQ(PathCapacity(), 12);
    // Saving writes every counted point without running past the path.
    const std::string text = SaveAndRead();
    EXPECT_NE(text.find("0=12 1.0 1.0 1.0 0.0 0.0 0.0"), std::string::npos);
}

TEST_F(LevelFileTest, HostileSizesAreBounded) {
    LoadLines(
        "[memory]\nmaxpathpoints=1e9\n"
        "[objects]\ncount=1e12\n0=1\n1=2\n"
        "[paths]\ncount=4000000000\n0=1e15 1 2 3\n"
        "[players]\ncount=nan\n"
        "[specials]\ncount=-5\n"
        "[weapons]\ncount=100000\n0=1 1 1");
    EXPECT_EQ(ObjectCount(), 2);
    EXPECT_EQ(ObjPos(1, 0), 2);
    EXPECT_EQ(PathCount(), 1);
    EXPECT_EQ(PathCapacity(), 8);
    EXPECT_EQ(PathLen(0), 8);
    EXPECT_EQ(PathPoints(0, 0, 2), 3);
    EXPECT_EQ(ActorCount(), 0);
    EXPECT_EQ(SpecialCount(), 0);
    EXPECT_EQ(WeaponCount(), 100000);   // believed: not above the limit
    EXPECT_EQ(WeaponTable(0, 0), 1);
}

TEST_F(LevelFileTest, ManyPathsTimesLargeCapacityStaysWithinBudget) {
    std::string lines = "[memory]\nmaxpathpoints=90000\n[paths]\ncount=1000\n";
    lines += "0=3 1 2 3 4 5 6 7 8 9\n";
    for (int i = 1; i < 1000; ++i) lines += std::to_string(i) + "=0\n";
    LoadLines(lines);
    EXPECT_EQ(PathCount(), 1000);
    EXPECT_LE(PathCount() * PathCapacity(), 1 << 21);
    EXPECT_GE(PathCapacity(), 8);
    EXPECT_EQ(PathPoints(0, 2, 2), 9);
}

TEST_F(LevelFileTest, LoadReplacesTheLevelAndZeroesWorkingValues) {
    for (int i = 0; i < 5; ++i) AddObject(0, 0, 0, 0, 0, i, 0, 0, 0);
    ObjState(0, 0) = 3;
    LoadLines("[objects]\ncount=1\n0=1 1 1 1 0 0 0 0 -1\n[players]\ncount=1\n0=0 -1 1 2 3 0 -1");
    EXPECT_EQ(ObjectCount(), 1);
    EXPECT_EQ(ObjState.Extent(0), 1);
    EXPECT_EQ(ObjState(0, 0), 0);
    EXPECT_EQ(ActorProps(0, 2) + ActorProps(0, 3) + ActorProps(0, 6), 0);
    EXPECT_EQ(ActorPos(0, 3) + ActorPos(0, 4), 0);
    EXPECT_EQ(ActorState.Extent(0), 1);
    EXPECT_EQ(ActorState.Extent(1), 3);
}

TEST_F(LevelFileTest, ModelAnimsGrowToTheWidestAnimationFile) {
    WriteBytes(dir / "a.kmo", ModelBytes(1));
    WriteBytes(dir / "b.kmo", ModelBytes(2));
    WriteBytes(dir / "c.kmo", ModelBytes(3));
    WriteBytes(dir / "a.kmoa", AnimBytes({{0, 1}, {2, 3}, {4, 5}}));
    WriteBytes(dir / "b.kmoa", AnimBytes({{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}, {11, 12}, {13, 1400}}));
    LoadLines("[memory]\n" + Root() + "\n[types]\ncount=3\n0=a.kmo\n1=b.kmo\n2=c.kmo");
    ASSERT_EQ(ModelAnims.Extent(0), 3);
    EXPECT_EQ(ModelAnims.Extent(1), 7);
    EXPECT_EQ(ModelAnims(0, 2, 1), 5);
    EXPECT_EQ(ModelAnims(0, 6, 0) + ModelAnims(0, 6, 1), 0);
    EXPECT_EQ(ModelAnims(1, 6, 1), 1400);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(ModelAnims(2, k, 0) + ModelAnims(2, k, 1), 0) << k;
}

TEST_F(LevelFileTest, AnimationFileSlotCountIsBoundedByTheLineFile) {
    WriteBytes(dir / "a.kmoa", "1000000\r\n      3        4\r\n");
    ModelAnims.Dim(1, 5, 2);
    LoadModelAnims(0, StrValue(dir / "a.kmo"));
    EXPECT_EQ(ModelAnims.Extent(1), 255);
    EXPECT_EQ(ModelAnims(0, 0, 0), 3);
    EXPECT_EQ(ModelAnims(0, 0, 1), 4);
    EXPECT_EQ(ModelAnims(0, 254, 1), 0);
}

TEST_F(LevelFileTest, LoadModelAnimsKeepsSlotsBeyondTheFile) {
    ModelAnims.Dim(2, 6, 2);
    ModelAnims(1, 5, 0) = 42;
    WriteBytes(dir / "a.kmoa", AnimBytes({{7, 9}}));
    LoadModelAnims(1, StrValue(dir / "a.kmo"));
    EXPECT_EQ(ModelAnims(1, 0, 0), 7);
    EXPECT_EQ(ModelAnims(1, 0, 1), 9);
    EXPECT_EQ(ModelAnims(1, 5, 0), 42);
    LoadModelAnims(3, StrValue(dir / "a.kmo"));
    EXPECT_EQ(ModelAnims.Extent(0), 4);
    EXPECT_EQ(ModelAnims(3, 0, 1), 9);
}

TEST_F(LevelFileTest, SaveModelAnimsWritesRightAlignedColumns) {
    ModelAnims.Dim(1, 5, 2);
    ModelAnims(0, 0, 1) = 12;
    ModelAnims(0, 1, 0) = 13;
    ModelAnims(0, 1, 1) = 1234567;
    EXPECT_EQ(SaveModelAnims(0, StrValue(dir / "m.kmo")), 1);
    EXPECT_EQ(ReadBytes(dir / "m.kmoa"),
              "5\r\n      0       12\r\n     13  1234567\r\n      0        0\r\n      0        0\r\n"
              "      0        0\r\n");
    ModelAnims.Dim(1, 5, 2);
    LoadModelAnims(0, StrValue(dir / "m.kmo"));
    EXPECT_EQ(ModelAnims(0, 0, 1), 12);
    EXPECT_EQ(ModelAnims(0, 1, 1), 1234567);
}

TEST_F(LevelFileTest, FailedSaveReportsMinusOneAndKeepsTheOldFile) {
    ModelFiles.Dim(1);
    ModelFiles(0) = "tree.kmo";
    for (int i = 0; i < 50; ++i) AddObject(0, -1, 0, 0, -1, i, i, i, i);
    const std::string old = "[memory]\r\nroot=old\r\n";
    WriteBytes(dir / "out.ini", old);

    // A file size limit makes every write past 64 bytes fail, even for root.
    struct rlimit saved {};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    const Number result = SaveLevel(StrValue(dir / "out.ini"));
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, -1);
    EXPECT_EQ(ReadBytes(dir / "out.ini"), old);
    EXPECT_EQ(SaveLevel(StrValue(dir / "no/such/dir/out.ini")), -1);
    // The level in memory is untouched and saves once the file can be written.
    EXPECT_EQ(SaveLevel(StrValue(dir / "out.ini")), 2 + 8 + 7 + 1 + 50);
}

TEST_F(LevelFileTest, SaveKeepsARootWithoutTrailingSlashWhole) {
    MediaRoot = "media";
    EXPECT_NE(SaveAndRead().find("root=media\r\n"), std::string::npos);
}

TEST_F(LevelFileTest, SaveLeavesNoOpenDocumentThatCouldOverwriteIt) {
    AddObject(0, -1, 0, 0, -1, 1, 2, 3, 4);
    const std::string text = SaveAndRead();
    // A later open writes nothing back over the saved file.
    IniOpen(StrValue(dir / "other.ini"));
    IniOpen("");
    EXPECT_EQ(ReadBytes(dir / "out.ini"), text);
    EXPECT_FALSE(std::filesystem::exists(dir / "other.ini"));
}

}  // namespace
