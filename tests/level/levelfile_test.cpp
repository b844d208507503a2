// Level file: layout, number formats, round trips, imperfect and hostile files, safe saves.
#include <string>
#include <vector>

#include "level/level.h"
#include "level/levelfile.h"
#include "runtime/files/files.h"
#include "runtime/files/ini.h"
#include "tests/editor/editor_support.h"
#include "tests/support/ends_program.h"

using level_media::AnimBytes;
using level_media::ReadBytes;
using level_media::WriteBytes;

namespace {

class LevelFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetLevelArrays();
        SetEndCode(0);
    }
    void TearDown() override {
        IniOpen("");
        CloseLineFile();
    }

    void LoadLines(const std::string& lines) {
        WriteBytes(dir / "in.ini", Crlf(lines));
        LoadLevel(StrValue(dir / "in.ini"));
    }
    std::string Save() {
        EXPECT_GT(SaveLevel(StrValue(dir / "out.ini")), 0);
        return ReadBytes(dir / "out.ini");
    }
    bool Saves(const std::string& lines) { return Save().find(Crlf(lines)) != std::string::npos; }

    level_media::ScratchDir dir{"levelfile"};
    // A program end becomes a test failure instead of ending the test run.
    CatchProgramEnd catchEnd;
};

const char* const kFullLevel =
    "[memory]\nroot=media\nmaxpathpoints=8\n"
    "[types]\ncount=1\n0=tree.kmo\n"
    "[textures]\ncount=1\n0=bark.bmp\n"
    "[objects]\ncount=1\n0=2 0 -4.5 90 1 0 0 0 -1 \n"
    "[paths]\ncount=1\n0=2 0.0 1.0 0.0 5.0 1.0 0.0 \n"
    "[players]\ncount=1\n0=0 -1 1.5 2.0 -3.0 0 -1 \n"
    "[specials]\ncount=1\n0=1.0 2.0 3.0 1001 2.5 \n"
    "[weapons]\ncount=1\n0=1.00 0.50 0.5 ";

TEST_F(LevelFileTest, SaveWritesBackTheSameBytesItLoaded) {
    LoadLines(kFullLevel);
    EXPECT_EQ(MediaRoot, "media/");
    ASSERT_EQ(SaveLevel(StrValue(dir / "out.ini")), 24);
    EXPECT_EQ(ReadBytes(dir / "out.ini"), Crlf(kFullLevel));
    // The document the save used is gone: a later open writes nothing over the file.
    IniOpen(StrValue(dir / "other.ini"));
    IniOpen("");
    EXPECT_EQ(ReadBytes(dir / "out.ini"), Crlf(kFullLevel));
    EXPECT_FALSE(std::filesystem::exists(dir / "other.ini"));
}

TEST_F(LevelFileTest, RoundTripCutsEachFormatToItsDigits) {
    LoadLines(
        "[objects]\ncount=1\n0=1.23456789012345 -0.04 1.26 359.5 3 -1 -0.7 2 1\n"
        "[paths]\ncount=1\n0=1 1.26 -0.04 10\n"
        "[players]\ncount=1\n0=0 0 1.26 0 -7.75 1 2\n"
        "[specials]\ncount=1\n0=0 1.26 0 1000 1.23456789012345\n"
        "[weapons]\ncount=1\n0=2.346 0.5 12.34");
    EXPECT_TRUE(Saves("[objects]\ncount=1\n0=1.23456789 -0.04 1.26 359.5 3 -1 -0.7 2 1 \n"
                      "[paths]\ncount=1\n0=1 1.3 -0.0 10.0 \n"
                      "[players]\ncount=1\n0=0 0 1.3 0.0 -7.8 1 2 \n"
                      "[specials]\ncount=1\n0=0.0 1.3 0.0 1000 1.23456789 \n"
                      "[weapons]\ncount=1\n0=2.35 0.50 12.3 \n"));
}

TEST_F(LevelFileTest, MissingOrEmptyFileGivesAnEmptyLevelUnderNoData) {
    AddObject(0, 0, 0, 0, 0, 1, 2, 3, 4);
    for (const bool missing : {true, false}) {
        if (missing) LoadLevel(StrValue(dir / "none.ini"));
        else LoadLines("[memory]\nmaxpathpoints=0");
        EXPECT_EQ(MediaRoot, "NO_DATA/");
        EXPECT_EQ(ModelCount() + TextureCount() + ObjectCount() + ObjState.Extent(0) + PathCount() +
                      ActorCount() + SpecialCount() + WeaponCount(),
                  0);
        EXPECT_EQ(PathCapacity() * 100 + ModelAnims.Extent(0) * 10 + ModelAnims.Extent(1), 815);
    }
}

TEST_F(LevelFileTest, ShortTabbedAndOverlongEntriesReadTheirFieldsAndTheRestIsZero) {
    LoadLines("[OBJECTS]\nCount=3\n0=1 2 3 4\n1=\t1  2\t\t3 \t 4   5 6\t7 8 9\t\t\n"
              "[players]\ncount=1\n0=5\n[weapons]\ncount=1\n[paths]\ncount=1\n0=2 0 0 0 1 1 1 2 2 2");
    for (int k = 0; k < 5; ++k) EXPECT_EQ(ObjProps(0, k), 0) << k << ": path 0, not -1";
    for (int k = 0; k < 4; ++k) EXPECT_EQ(ObjPos(1, k), k + 1) << k;
    for (int k = 0; k < 5; ++k) EXPECT_EQ(ObjProps(1, k), k + 5) << k;
    EXPECT_EQ(ObjPos(2, 0) + ObjProps(2, 4), 0) << "a missing entry";
    EXPECT_EQ(ActorProps(0, 0) * 10 + ActorProps(0, 5), 50);
    EXPECT_EQ(WeaponTable(0, 0), 0);
    // Every triple is read; the count is kept, and only its points are saved.
    EXPECT_EQ(PathLen(0) * 10 + PathPoints(0, 2, 2), 22);
    EXPECT_TRUE(Saves("0=2 0.0 0.0 0.0 1.0 1.0 1.0 \n"));
}

TEST_F(LevelFileTest, LongEntriesKeepTheirFirstFields) {
    std::string points;
    for (int k = 0; k < 11; ++k) points += " " + std::to_string(k) + " 0 " + std::to_string(-k);
    LoadLines(
        "[objects]\ncount=1\n0=1 2 3 4 5 6 7 8 9 10 11 12\n"
        "[paths]\ncount=3\n0=11" + points + "\n1=1 5 5 5\n2=12 1 1 1\n"
        "[players]\ncount=1\n0=1 2 3 4 5 6 7 8 9 10\n"
        "[specials]\ncount=1\n0=1 2 3 4 5 6 7\n"
        "[weapons]\ncount=1\n0=1 2 3 4 5");
    const Number firstFields[] = {ObjProps(0, 4), ActorProps(0, 5), ActorPos(0, 2), ActorPos(0, 3),
                                  SpecialItems(0, 4), WeaponTable(0, 2)};
    EXPECT_EQ(std::vector<Number>(firstFields, firstFields + 6), (std::vector<Number>{9, 7, 5, 0, 5, 3}));
    // Eleven points, and a count of twelve, raise the capacity of every path.
    EXPECT_EQ(PathCapacity(), 12);
    EXPECT_EQ(PathPoints(0, 10, 2), -10);
    EXPECT_EQ(PathPoints(1, 0, 0), 5);
    const std::string text = Save();
    EXPECT_NE(text.find("maxpathpoints=12\r\n"), std::string::npos);
    EXPECT_NE(text.find(" 10.0 0.0 -10.0 \r\n"), std::string::npos);
    EXPECT_NE(text.find("2=12 1.0 1.0 1.0 0.0 "), std::string::npos);
    // Capacity stays at least eight, and is kept without paths.
    LoadLines("[memory]\nmaxpathpoints=3\n[paths]\ncount=1\n0=1 4 5 6");
    EXPECT_TRUE(Saves("maxpathpoints=8\n"));
    LoadLines("[memory]\nmaxpathpoints=20\n[paths]\ncount=0");
    EXPECT_TRUE(Saves("maxpathpoints=20\n"));
}

TEST_F(LevelFileTest, HostileSizesAreBounded) {
    std::string lines =
        "[memory]\nmaxpathpoints=1e9\n"
        "[objects]\ncount=1e12\n0=1\n1=2\n"
        "[players]\ncount=nan\n"
        "[specials]\ncount=-5\n"
        "[weapons]\ncount=100000\n0=1 1 1\n"
        "[paths]\ncount=4000000000\n0=1e15 1 2 3\n";
    LoadLines(lines);
    // Objects: two entries; weapons: not above the limit, so believed; paths: one, capacity 8.
    const Number counts[] = {ObjectCount(), ObjPos(1, 0), ActorCount() + SpecialCount(), WeaponCount(),
                             PathCount(), PathCapacity(), PathLen(0), PathPoints(0, 0, 2)};
    EXPECT_EQ(std::vector<Number>(counts, counts + 8), (std::vector<Number>{2, 2, 0, 100000, 1, 8, 8, 3}));

    // Many paths times a large capacity stays within the points budget.
    lines.replace(lines.find("maxpathpoints=1e9"), 17, "maxpathpoints=90000");
    lines.replace(lines.find("count=4000000000"), 16, "count=1000");
    for (int i = 1; i < 1000; ++i) lines += std::to_string(i) + "=0\n";
    LoadLines(lines);
    EXPECT_EQ(PathCount(), 1000);
    EXPECT_LE(PathCount() * PathCapacity(), 1 << 21);
    EXPECT_EQ(PathPoints(0, 0, 2), 3);
    // A hundred thousand entries save in time linear in their number.
    EXPECT_NE(Save().find("\r\n99999=0.00 0.00 0.0 \r\n"), std::string::npos);
}

TEST_F(LevelFileTest, LoadReplacesTheLevelWithZeroWorkingValues) {
    for (int i = 0; i < 5; ++i) AddObject(0, 0, 0, 0, 0, i, 0, 0, 0);
    ObjState(0, 0) = 3;
    LoadLines("[objects]\ncount=1\n0=1 1 1 1 0 0 0 0 -1\n[players]\ncount=1\n0=0 -1 1 2 3 0 -1");
    EXPECT_EQ(ObjectCount(), 1);
    EXPECT_EQ(ObjState(0, 0), 0);
    EXPECT_EQ(ActorProps(0, 2) + ActorProps(0, 3) + ActorProps(0, 6) + ActorPos(0, 3) + ActorPos(0, 4), 0);
    EXPECT_EQ(ActorState.Extent(0), 1);
}

TEST_F(LevelFileTest, ModelAnimsGrowToTheWidestAnimationFile) {
    WriteBytes(dir / "a.kmoa", AnimBytes({{0, 1}, {2, 3}, {4, 5}}));
    WriteBytes(dir / "b.kmoa", AnimBytes({{1, 2}, {3, 4}, {5, 6}, {7, 8}, {9, 10}, {11, 12}, {13, 1400}}));
    LoadLines("[memory]\nroot=" + dir.Path() + "\n[types]\ncount=3\n0=a.kmo\n1=b.kmo\n2=c.kmo");
    ASSERT_EQ(ModelAnims.Extent(0) * 10 + ModelAnims.Extent(1), 37);
    EXPECT_EQ(ModelAnims(0, 2, 1), 5);
    EXPECT_EQ(ModelAnims(0, 6, 0) + ModelAnims(0, 6, 1), 0);
    EXPECT_EQ(ModelAnims(1, 6, 1), 1400);
    for (int k = 0; k < 7; ++k) EXPECT_EQ(ModelAnims(2, k, 0) + ModelAnims(2, k, 1), 0) << k;
    // A slot count beyond the bound is cut to it; slots past the table grow it.
    WriteBytes(dir / "d.kmoa", "1000000\r\n      3        4\r\n");
    LoadModelAnims(4, StrValue(dir / "d.kmo"));
    EXPECT_EQ(ModelAnims.Extent(0) * 1000 + ModelAnims.Extent(1), 5255);
    EXPECT_EQ(ModelAnims(4, 0, 1), 4);
    EXPECT_EQ(ModelAnims(1, 6, 1), 1400) << "other models keep their slots";
}

TEST_F(LevelFileTest, FailedSaveReportsMinusOneAndKeepsTheOldFile) {
    for (int i = 0; i < 50; ++i) AddObject(0, -1, 0, 0, -1, i, i, i, i);
    const std::string old = "[memory]\r\nroot=old\r\n";
    WriteBytes(dir / "out.ini", old);

    Number result = 0;
    {
        FileSizeLimit limit;
        result = SaveLevel(StrValue(dir / "out.ini"));
    }
    EXPECT_EQ(result, -1);
    EXPECT_EQ(ReadBytes(dir / "out.ini"), old);
    EXPECT_EQ(SaveLevel(StrValue(dir / "no/such/dir/out.ini")), -1);
    EXPECT_EQ(SaveLevel(StrValue(dir / "out.ini")), 2 + 8 + 7 + 50);
}

}  // namespace
