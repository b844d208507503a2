// Level data: adding and deleting models, textures and objects, with renumbering and
// slot reloads.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "level/level.h"
#include "runtime/files/files.h"
#include "runtime/files/ini.h"
#include "tests/level/level_media.h"
#include "tests/level/level_slots.h"
#include "tests/support/ends_program.h"

using level_media::AnimBytes;
using level_media::ModelBytes;
using level_media::PictureBytes;
using level_media::WriteBytes;

namespace {

using Rows = std::vector<std::array<Number, 3>>;

// Per object: x, model, texture.
Rows Objects() {
    Rows out;
    for (int o = 0; o < ObjectCount(); ++o) out.push_back({ObjPos(o, 0), ObjProps(o, 0), ObjProps(o, 1)});
    return out;
}

TEST(LevelTest, DeletingModelsTexturesAndObjectsMovesTheLastIntoTheHole) {
    level_media::ScratchDir dir{"level"};
    CatchProgramEnd catchEnd;
    ResetLevelArrays();
    MediaRoot = StrValue(dir.Path() + "/");
    // Models told apart by triangle count, textures by width.
    for (int i = 0; i < 3; ++i) {
        WriteBytes(dir / ("m" + std::to_string(i) + ".kmo"), ModelBytes(i + 1));
        WriteBytes(dir / ("m" + std::to_string(i) + ".kmoa"), AnimBytes({{i, 10 * i}, {i + 1, 10 * i + 1}}));
        WriteBytes(dir / ("t" + std::to_string(i) + ".bmp"), PictureBytes(i + 2, 3));
    }
    AddModel("missing.kmo");
    AddTexture("NO_FILE");
    for (int i = 0; i < 3; ++i) AddModel("m"_s + i + ".kmo");
    for (int i = 0; i < 2; ++i) AddTexture("t"_s + i + ".bmp");
    ASSERT_EQ(ModelCount() * 10 + TextureCount(), 32) << "missing files add nothing";
    // Object i gets x = i, so objects can be recognised after they move.
    const int modelAndTexture[][2] = {{1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, -1}};
    for (int i = 0; i < 5; ++i) AddObject(modelAndTexture[i][0], modelAndTexture[i][1], 0, 0, -1, i, 0, 0, 0);
    ActorProps.Dim(1, 7);
    ActorPos.Dim(1, 5);
    ActorState.Dim(1, 3);
    ActorProps(0, 0) = 2;
    // Nothing happens for numbers that name nothing.
    for (const Number bad : {3.0, -1.0, std::nan("")}) DeleteModel(bad), DeleteTexture(bad), DeleteObject(bad * 7);
    ASSERT_EQ(ObjectCount(), 5);

    DeleteModel(1);   // objects of model 1 go; those of model 2 become model 1
    EXPECT_EQ(ModelFiles(1), "m2.kmo");
    EXPECT_EQ(Objects(), (Rows{{4, 1, -1}, {1, 1, 0}, {2, 0, 1}}));
    EXPECT_EQ(SlotTriangles(1), 3) << "slot 1 holds the former model 2";
    EXPECT_EQ(ModelAnims.Extent(0), 2);
    EXPECT_EQ(ModelAnims(1, 1, 1), 21);
    EXPECT_EQ(ActorProps(0, 0), 1) << "the actor follows its model";

    DeleteTexture(0);   // its objects get none; those of the last texture take its number
    EXPECT_EQ(TextureFiles(0), "t1.bmp");
    EXPECT_EQ(SpriteWidth(0), 3);
    EXPECT_EQ(Objects(), (Rows{{4, 1, -1}, {1, 1, -1}, {2, 0, 0}}));
    DeleteTexture(0);   // the last texture: its objects are left without one
    EXPECT_EQ(Objects(), (Rows{{4, 1, -1}, {1, 1, -1}, {2, 0, -1}}));

    DeleteObject(0);
    EXPECT_EQ(Objects(), (Rows{{2, 0, -1}, {1, 1, -1}}));
    EXPECT_EQ(ObjState.Extent(0), 2);
    DeleteModel(0);
    DeleteModel(0);   // the only model: every object goes, one zero animation row stays
    EXPECT_EQ(ObjectCount() + ObjState.Extent(0) + ModelCount(), 0);
    EXPECT_EQ(ModelAnims.Extent(0) * 10 + ModelAnims.Extent(1), 15);
    IniOpen("");
    CloseLineFile();
}

}  // namespace
