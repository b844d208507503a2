// The demo content: its pictures and its level as the editor's own loaders see them.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "level/level.h"
#include "level/levelfile.h"
#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/gfx3d/model.h"
#include "tools/demo.h"

namespace fs = std::filesystem;

namespace {

TEST(DemoTest, SpritesCutTheirBackgroundAndTheLevelHoldsEveryKindOfThingTheGameKnows) {
    const fs::path dir = fs::temp_directory_path() / ("zv_demo_test_" + std::to_string(getpid()));
    fs::remove_all(dir);
    const DemoResult r = WriteDemo(dir.string());
    ASSERT_TRUE(r.ok) << r.error;
    for (const char* f : {"media/extralife.bmp", "media/energy.bmp", "media/shield.bmp", "media/checkpoint.bmp",
                          "media/shot1.bmp", "media/shadow.bmp", "mousepointer.bmp", "hand.bmp"}) {
        std::ifstream in(dir / f, std::ios::binary);
        const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        BmpTexture t;
        ASSERT_EQ(DecodeBmp(bytes.data(), bytes.size(), kSpriteColourKey, kDefaultTextureLimit, t), BmpStatus::Ok);
        // Texture rows run bottom-up: the first row is the picture's bottom one; its right corner is cut.
        EXPECT_EQ(t.texels[4 * static_cast<size_t>(t.imageWidth - 1) + 3], 0) << f;
        int opaque = 0;
        for (size_t i = 3; i < t.texels.size(); i += 4) opaque += t.texels[i] == 255;
        EXPECT_GT(opaque, t.imageWidth * t.imageHeight / 10) << f;
    }
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    LoadLevel("level.ini");
    ASSERT_GE(ActorCount(), 3);
    EXPECT_EQ(ActorProps(0, 4), 0);  // the player
    int enemies = 0, walking = 0;
    for (int a = 1; a < ActorCount(); ++a) enemies += ActorProps(a, 4) == 1, walking += ActorProps(a, 5) >= 0;
    EXPECT_EQ((std::vector<int>{enemies >= 2, walking}), (std::vector<int>{1, 1}));
    std::set<int> behaviours, riding;
    for (int o = 0; o < ObjectCount(); ++o) {
        behaviours.insert(static_cast<int>(ObjProps(o, 3)) + 10 * (ObjProps(o, 2) < 0));   // +10: translucent
        if (ObjProps(o, 4) >= 0) riding.insert(o);
    }
    EXPECT_TRUE(behaviours.count(0) && behaviours.count(11) && behaviours.count(2)) << "land, see-through water, toxic";
    EXPECT_FALSE(riding.empty());
    std::set<int> kinds;
    for (int s = 0; s < SpecialCount(); ++s) kinds.insert(static_cast<int>(SpecialItems(s, 3)));
    EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 3, 1000}));
    EXPECT_EQ(WeaponCount(), 1);
    for (int m = 0; m < ModelCount(); ++m) EXPECT_GT(GetObjectFrames(m), 0) << ModelFiles(m).Std();

    // The player's six animation slots are ranges of the hero's key frames that move.
    ASSERT_EQ(ModelFiles(ActorProps(0, 0)).Std(), "hero.kmo");
    const auto& frames = GetObjectModel(ActorProps(0, 0))->frames;
    for (int slot = 0; slot < 6; ++slot) {
        const auto first = size_t(ModelAnims(ActorProps(0, 0), slot, 0));
        const auto last = size_t(ModelAnims(ActorProps(0, 0), slot, 1));
        ASSERT_TRUE(first < last && last < frames.size()) << slot;
        const auto& a = frames[first].triangles;
        float moved = 0;
        for (size_t f = first + 1; f <= last; ++f)
            for (size_t i = 0; i < frames[f].triangles.size(); ++i)
                for (int k = 0; k < 3; ++k)
                    moved = std::max(moved, std::abs(a[i].position[k] - frames[f].triangles[i].position[k]));
        EXPECT_GT(moved, 0.05f) << "slot " << slot;
    }
    fs::current_path(old);
    fs::remove_all(dir);
}

}  // namespace
