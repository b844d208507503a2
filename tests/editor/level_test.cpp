// Level data: adding and deleting models, textures and objects, with renumbering and
// slot reloads.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "editor/level.h"
#include "editor/levelfile.h"
#include "runtime/files/files.h"
#include "runtime/files/ini.h"
#include "tests/editor/level_media.h"
#include "tests/editor/level_slots.h"
#include "tests/support/ends_program.h"

using level_media::AnimBytes;
using level_media::ModelBytes;
using level_media::PictureBytes;
using level_media::WriteBytes;

namespace {

class LevelTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetLevelArrays();
        MediaRoot = StrValue(dir.Path() + "/");
        // Models told apart by triangle count, textures by width.
        for (int i = 0; i < 3; ++i) {
            WriteBytes(dir / ("m" + std::to_string(i) + ".kmo"), ModelBytes(i + 1));
            WriteBytes(dir / ("m" + std::to_string(i) + ".kmoa"), AnimBytes({{i, 10 * i}, {i + 1, 10 * i + 1}}));
            WriteBytes(dir / ("t" + std::to_string(i) + ".bmp"), PictureBytes(i + 2, 3));
        }
    }
    void TearDown() override {
        IniOpen("");
        CloseLineFile();
    }

    void AddThreeModels() {
        for (int i = 0; i < 3; ++i) AddModel("m"_s + i + ".kmo");
        ASSERT_EQ(ModelCount(), 3);
    }
    void AddTwoTextures() {
        for (int i = 0; i < 2; ++i) AddTexture("t"_s + i + ".bmp");
        ASSERT_EQ(TextureCount(), 2);
    }
    // Object i gets x = i, so objects can be recognised after they move.
    void AddObjects(std::initializer_list<std::pair<int, int>> modelAndTexture) {
        int i = 0;
        for (const auto& [model, texture] : modelAndTexture) AddObject(model, texture, 0, 0, -1, i++, 0, 0, 0);
    }

    level_media::ScratchDir dir{"level"};
    CatchProgramEnd catchEnd;
};

TEST_F(LevelTest, AddModelAndTextureLoadSlotsOnlyForExistingFiles) {
    AddModel("missing.kmo");
    AddTexture("NO_FILE");
    EXPECT_EQ(ModelCount() + TextureCount(), 0);
    AddModel("m2.kmo");
    AddTexture("t1.bmp");
    ASSERT_EQ(ModelCount(), 1);
    ASSERT_EQ(TextureCount(), 1);
    EXPECT_EQ(ModelFiles(0), "m2.kmo");
    EXPECT_EQ(SlotTriangles(0), 3);
    EXPECT_EQ(ModelAnims(0, 1, 1), 21);
    EXPECT_EQ(SpriteWidth(0), 3);
}

TEST_F(LevelTest, DeleteObjectMovesTheLastObjectIntoTheHole) {
    AddObjects({{0, 0}, {1, 1}, {2, -1}});
    ObjState(2, 0) = 7;
    DeleteObject(0);
    ASSERT_EQ(ObjectCount(), 2);
    EXPECT_EQ(ObjState.Extent(0), 2);
    EXPECT_EQ(ObjPos(0, 0), 2);
    EXPECT_EQ(ObjProps(0, 0), 2);
    EXPECT_EQ(ObjProps(0, 1), -1);
    EXPECT_EQ(ObjState(0, 0), 7);
    EXPECT_EQ(ObjPos(1, 0), 1);
    DeleteObject(1);
    DeleteObject(0);
    EXPECT_EQ(ObjectCount() + ObjProps.Extent(0) + ObjState.Extent(0), 0);
    AddObject(4, -1, -0.5, 2, 3, 1, 2, 3, 4);
    EXPECT_EQ(ObjProps(0, 2), -0.5);
    EXPECT_EQ(ObjPos(0, 3), 4);
    EXPECT_EQ(ObjState(0, 2), 0);
}

TEST_F(LevelTest, DeleteModelRenumbersObjectsAnimsAndSlots) {
    AddThreeModels();
    AddObjects({{1, 0}, {2, 0}, {0, 0}, {1, 0}, {2, 0}});
    ActorProps.Dim(1, 7);
    ActorPos.Dim(1, 5);
    ActorState.Dim(1, 3);
    ActorProps(0, 0) = 2;

    DeleteModel(1);
    ASSERT_EQ(ModelCount(), 2);
    EXPECT_EQ(ModelFiles(0), "m0.kmo");
    EXPECT_EQ(ModelFiles(1), "m2.kmo");
    // Objects of model 1 are gone; those of model 2 are now model 1.
    ASSERT_EQ(ObjectCount(), 3);
    for (int o = 0; o < 3; ++o) {
        const int x = static_cast<int>(ObjPos(o, 0));
        EXPECT_EQ(ObjProps(o, 0), x == 2 ? 0 : 1) << "object with x " << x;
        EXPECT_NE(x, 0);
        EXPECT_NE(x, 3);
    }
    EXPECT_EQ(SlotTriangles(1), 3);   // slot 1 holds the former model 2
    EXPECT_EQ(SlotTriangles(0), 1);
    EXPECT_EQ(ModelAnims.Extent(0), 2);
    EXPECT_EQ(ModelAnims(1, 1, 1), 21);
    EXPECT_EQ(ActorProps(0, 0), 2);   // actors are not renumbered
}

TEST_F(LevelTest, DeletingTheOnlyModelDeletesEveryObject) {
    AddModel("m1.kmo");
    AddObjects({{0, -1}, {0, -1}, {0, -1}});
    DeleteModel(0);
    EXPECT_EQ(ModelCount(), 0);
    EXPECT_EQ(ObjectCount(), 0);
    EXPECT_EQ(ObjState.Extent(0), 0);
    // One zero row stays, as after loading a level without models.
    ASSERT_EQ(ModelAnims.Extent(0), 1);
    EXPECT_EQ(ModelAnims.Extent(1), 5);
    EXPECT_EQ(ModelAnims(0, 1, 1), 0);
    AddModel("m2.kmo");
    EXPECT_EQ(ModelAnims(0, 1, 1), 21);
}

TEST_F(LevelTest, DeleteTextureRenumbersObjectsAndReloadsSlots) {
    AddTwoTextures();
    AddObjects({{0, 0}, {0, 1}, {0, -1}});
    DeleteTexture(0);
    ASSERT_EQ(TextureCount(), 1);
    EXPECT_EQ(TextureFiles(0), "t1.bmp");
    EXPECT_EQ(ObjProps(0, 1), -1);
    EXPECT_EQ(ObjProps(1, 1), 0);
    EXPECT_EQ(ObjProps(2, 1), -1);
    EXPECT_EQ(SpriteWidth(0), 3);
    // Deleting the last texture leaves its objects without one.
    DeleteTexture(0);
    EXPECT_EQ(TextureCount(), 0);
    EXPECT_EQ(ObjProps(1, 1), -1);
}

TEST_F(LevelTest, DeletingRecordsThatDoNotExistChangesNothing) {
    AddThreeModels();
    AddTwoTextures();
    AddObjects({{0, 0}, {1, 1}});
    DeleteModel(3);
    DeleteModel(-1);
    DeleteTexture(2);
    DeleteTexture(std::nan(""));
    DeleteObject(2);
    DeleteObject(-0.5);
    EXPECT_EQ(ModelCount(), 3);
    EXPECT_EQ(TextureCount(), 2);
    EXPECT_EQ(ObjectCount(), 2);
}

TEST_F(LevelTest, SetPathCapacityKeepsPointsAndNeverGoesBelowEight) {
    EXPECT_EQ(PathCapacity(), 8);
    SetPathCapacity(3);
    EXPECT_EQ(PathCapacity(), 8);
    PathLen.Dim(2);
    PathPoints.Dim(2, 8, 3);
    PathPoints(1, 7, 2) = 5;
    SetPathCapacity(12);
    EXPECT_EQ(PathPoints.Extent(1), 12);
    EXPECT_EQ(PathPoints(1, 7, 2), 5);
    PathLen.Dim(0);
    PathPoints.Dim(0);
    EXPECT_EQ(PathCapacity(), 12);
}

TEST_F(LevelTest, EditedLevelRoundTripsThroughTheFile) {
    AddThreeModels();
    AddTwoTextures();
    AddObjects({{0, 0}, {1, 1}, {2, -1}});
    DeleteModel(0);
    const StrValue file = StrValue(dir / "level.ini");
    ASSERT_EQ(SaveLevel(file), 2 + 8 + 7 + 2 + 2 + 2);
    ResetLevelArrays();
    LoadLevel(file);
    ASSERT_EQ(ModelCount(), 2);
    EXPECT_EQ(ModelFiles(0), "m2.kmo");
    EXPECT_EQ(SlotTriangles(0), 3);
    EXPECT_EQ(SpriteWidth(1), 3);
    EXPECT_EQ(ModelAnims(0, 1, 1), 21);
    ASSERT_EQ(ObjectCount(), 2);
    EXPECT_EQ(ObjProps(0, 0), 0);
    EXPECT_EQ(ObjProps(0, 1), -1);
}

}  // namespace
