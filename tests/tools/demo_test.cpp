// The demo content generator: pictures, glyphs, model winding and posing, and the demo
// level as the editor's own loaders see it.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/level.h"
#include "editor/levelfile.h"
#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/gfx3d/model.h"
#include "tools/demo.h"
#include "tools/mesh.h"
#include "tools/picture.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

BmpTexture Decode(const fs::path& path, uint32_t key) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    BmpTexture t;
    EXPECT_EQ(DecodeBmp(bytes.data(), bytes.size(), key, kDefaultTextureLimit, t), BmpStatus::Ok) << path;
    return t;
}

// RGBA of picture pixel (x, y) counted from the top left.
std::vector<int> Texel(const BmpTexture& t, int x, int y) {
    const size_t at = 4 * (static_cast<size_t>(t.imageHeight - 1 - y) * t.textureWidth + x);
    return {t.texels[at], t.texels[at + 1], t.texels[at + 2], t.texels[at + 3]};
}

MeshObjectX LoadText(const TextModel& model) {
    const std::string text = TextModelSource(model);
    MeshObjectX mesh;
    EXPECT_EQ(ReadModelBytes(mesh, reinterpret_cast<const uint8_t*>(text.data()), text.size()), ModelReadResult::kOk);
    mesh.build();
    return mesh;
}

class DemoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("zv_demo_test_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        const DemoResult r = WriteDemo(dir_.string());
        ASSERT_TRUE(r.ok) << r.error;
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }
    static inline fs::path dir_;
};

TEST(PictureTest, BmpWriterRoundTripsThroughTheDecoderInBothDepths) {
    Picture p(5, 3, Rgb(10, 20, 30));
    p.Set(0, 0, Rgb(255, 0, 0));
    p.Set(4, 2, Rgb(0, 0, 255));
    p.Set(2, 1, kTransparent);
    for (bool paletted : {false, true}) {
        const fs::path path = fs::temp_directory_path() / ("zv_pic_" + std::to_string(getpid()) + ".bmp");
        ASSERT_TRUE(WriteBmp(path.string(), p, paletted));
        const BmpTexture t = Decode(path, kSpriteColourKey);
        fs::remove(path);
        EXPECT_EQ(t.imageWidth, 5);
        EXPECT_EQ(t.imageHeight, 3);
        EXPECT_EQ(Texel(t, 0, 0), (std::vector<int>{255, 0, 0, 255})) << paletted;
        EXPECT_EQ(Texel(t, 4, 2), (std::vector<int>{0, 0, 255, 255})) << paletted;
        EXPECT_EQ(Texel(t, 2, 1)[3], 0) << paletted;
        EXPECT_EQ(Texel(t, 1, 1), (std::vector<int>{10, 20, 30, 255})) << paletted;
    }
}

TEST(PictureTest, EveryPrintableGlyphIsVisibleAndUnlikeEveryOther) {
    std::set<std::string> shapes;
    for (int c = 32; c < 127; ++c) {
        std::string bits;
        for (int y = 0; y < kGlyphHeight; ++y)
            for (int x = 0; x < kGlyphWidth; ++x) bits += GlyphPixel(c, x, y) ? '#' : '.';
        if (c > 32) {
            EXPECT_NE(bits.find('#'), std::string::npos) << "blank glyph " << c;
        }
        EXPECT_TRUE(shapes.insert(bits).second) << "glyph " << c << " repeats another";
    }
    EXPECT_FALSE(GlyphPixel(31, 2, 2));
    EXPECT_FALSE(GlyphPixel(127, 2, 2));
}

TEST(MeshTest, BoxFacesPointOutwardsAndInwardsWhenAskedFrom) {
    for (bool inside : {false, true}) {
        MeshBuilder b;
        b.AddBox(0, {-1, 0, -2}, {3, 1, 2}, {}, 0xffffff, 0, inside);
        const MeshObjectX mesh = LoadText(b.BuildStatic());
        const auto& tris = mesh.frames[0].triangles;
        ASSERT_EQ(tris.size(), 36u);
        for (size_t i = 0; i < tris.size(); i += 3) {
            double dot = 0;
            const double centre[3] = {1, 0.5, 0};
            for (int a = 0; a < 3; ++a) {
                const double mid = (tris[i].position[a] + tris[i + 1].position[a] + tris[i + 2].position[a]) / 3;
                dot += (mid - centre[a]) * tris[i].normal[a];
            }
            EXPECT_EQ(dot > 0, !inside) << "triangle " << i / 3;
        }
    }
}

TEST(MeshTest, PrismAndDiscFaceOutwardsAndUp) {
    MeshBuilder b;
    b.AddPrism(0, {0, 0, 0}, 1, 2, 6, {}, {}, 0xffffff);
    b.AddDisc(0, {0, 5, 0}, 1, 8, 0xffffff);
    const MeshObjectX mesh = LoadText(b.BuildStatic());
    for (const MeshVertex& v : mesh.frames[0].triangles) {
        if (v.position[1] > 4) {  // the disc
            EXPECT_GT(v.normal[1], 0.9f);
            continue;
        }
        const double out = v.position[0] * v.normal[0] + (v.position[1] - 1) * v.normal[1] + v.position[2] * v.normal[2];
        EXPECT_GT(out, 0);
    }
}

TEST(MeshTest, APoseMovesOnlyItsOwnPart) {
    MeshBuilder b;
    b.AddBox(0, {0, 0, 0}, {1, 1, 1}, {}, 0xffffff);
    const int arm = b.NewPart();
    b.AddBox(arm, {2, 0, 0}, {3, 1, 1}, {}, 0xffffff);
    const Pose lift = Pose::Move({0, 5, 0});
    const TextModel m = b.Build({{}, {Pose{}, lift}});
    ASSERT_EQ(m.frames.size(), 2u);
    for (size_t i = 0; i < m.frames[0].size(); ++i) {
        const double dy = m.frames[1][i].y - m.frames[0][i].y;
        EXPECT_DOUBLE_EQ(dy, i < 24 ? 0.0 : 5.0);
    }
    // A quarter turn about y through a pivot keeps the pivot and turns +z into +x.
    const Pose turn = Pose::Turn(90, {0, 1, 0}, {1, 0, 1});
    const Vec3 p = turn.Apply({1, 0, 2});
    EXPECT_NEAR(p.x, 2, 1e-9);
    EXPECT_NEAR(p.z, 1, 1e-9);
}

TEST_F(DemoTest, FontPicturesAreSixteenByEightCellsOnBlack) {
    const BmpTexture gui = Decode(dir_ / "guifont.bmp", 0);
    EXPECT_EQ(gui.imageWidth % 16, 0);
    EXPECT_EQ(gui.imageHeight % 8, 0);
    const BmpTexture small = Decode(dir_ / "smalfont.bmp", 0);
    for (const BmpTexture* f : {&gui, &small}) {
        const int cw = f->imageWidth / 16, ch = f->imageHeight / 8;
        auto opaque = [&](int code) {
            int n = 0;
            for (int y = 0; y < ch; ++y)
                for (int x = 0; x < cw; ++x) n += Texel(*f, (code % 16) * cw + x, (code / 16) * ch + y)[3] > 0;
            return n;
        };
        EXPECT_EQ(opaque(' '), 0);
        EXPECT_EQ(opaque(5), 0);
        EXPECT_GT(opaque('A'), 8);
        EXPECT_GT(opaque('g'), 8);
    }
    // The editor's list lines hold 28 characters within a 250-pixel list.
    EXPECT_LE(28 * gui.imageWidth / 16, 230);
}

TEST_F(DemoTest, SpritesCutTheirBackgroundWithTheTransparentColour) {
    for (const char* f : {"media/extralife.bmp", "media/energy.bmp", "media/shield.bmp", "media/checkpoint.bmp",
                          "media/shot1.bmp", "media/shadow.bmp", "mousepointer.bmp", "hand.bmp"}) {
        const BmpTexture t = Decode(dir_ / f, kSpriteColourKey);
        EXPECT_EQ(Texel(t, t.imageWidth - 1, t.imageHeight - 1)[3], 0) << f;
        int opaque = 0;
        for (int y = 0; y < t.imageHeight; ++y)
            for (int x = 0; x < t.imageWidth; ++x) opaque += Texel(t, x, y)[3] == 255;
        EXPECT_GT(opaque, t.imageWidth * t.imageHeight / 10) << f;
    }
    // The wall's battlements are cut out of the brick texture.
    const BmpTexture brick = Decode(dir_ / "media/brick.bmp", kSpriteColourKey);
    EXPECT_EQ(Texel(brick, 6, 2)[3], 0);
    EXPECT_EQ(Texel(brick, 6, 30)[3], 255);
}

TEST_F(DemoTest, OnlyTheGroundIsInTheTextForm) {
    int text = 0, binary = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir_)) {
        if (e.path().extension() != ".kmo") continue;
        const std::vector<uint8_t> b = ReadBytes(e.path());
        ASSERT_GE(b.size(), 4u);
        const bool isBinary = b[0] == 0x17 && b[1] == 0xB3 && b[2] == 0xC6 && b[3] == 0;
        (isBinary ? binary : text)++;
        if (!isBinary) {
            EXPECT_EQ(e.path().filename(), "ground.kmo");
        }
        MeshObjectX m;
        EXPECT_TRUE(LoadModelFile(m, e.path().string())) << e.path();
        // The level's models take their colours from their textures alone.
        if (e.path().parent_path().filename() == kDemoMediaFolder) {
            EXPECT_EQ(m.hasColours, 0u) << e.path();
        }
    }
    EXPECT_EQ(text, 1);
    EXPECT_GE(binary, 10);
}

// Loads the demo level from its own directory, as the editor would.
class DemoLevelTest : public DemoTest {
protected:
    void SetUp() override {
        old_ = fs::current_path();
        fs::current_path(dir_);
        LoadLevel("level.ini");
    }
    void TearDown() override { fs::current_path(old_); }
    fs::path old_;
};

TEST_F(DemoLevelTest, HoldsEveryKindOfThingTheGameKnows) {
    ASSERT_GE(ActorCount(), 3);
    EXPECT_EQ(ActorProps(0, 4), 0);  // the player
    int enemies = 0, walking = 0;
    for (int a = 1; a < ActorCount(); ++a) {
        enemies += ActorProps(a, 4) == 1;
        walking += ActorProps(a, 4) == 1 && ActorProps(a, 5) >= 0;
    }
    EXPECT_GE(enemies, 2);
    EXPECT_EQ(walking, 1);
    bool land = false, water = false, toxic = false, riding = false;
    for (int o = 0; o < ObjectCount(); ++o) {
        land |= ObjProps(o, 3) == 0;
        water |= ObjProps(o, 3) == 1 && ObjProps(o, 2) < 0;  // translucent
        toxic |= ObjProps(o, 3) == 2;
        riding |= ObjProps(o, 4) >= 0;
    }
    EXPECT_TRUE(land && water && toxic && riding);
    std::set<int> kinds;
    for (int s = 0; s < SpecialCount(); ++s) kinds.insert(static_cast<int>(SpecialItems(s, 3)));
    EXPECT_EQ(kinds, (std::set<int>{0, 1, 2, 3, 1000}));
    EXPECT_EQ(WeaponCount(), 1);
    for (int m = 0; m < ModelCount(); ++m) EXPECT_GT(GetObjectFrames(m), 0) << ModelFiles(m).Std();
}

TEST_F(DemoLevelTest, PlayerAnimationSlotsAreRealKeyFrameRanges) {
    int hero = -1;
    for (int m = 0; m < ModelCount(); ++m)
        if (ModelFiles(m).Std() == "hero.kmo") hero = m;
    ASSERT_GE(hero, 0);
    ASSERT_EQ(ActorProps(0, 0), hero);
    ASSERT_GE(AnimSlotCount(), 6);
    const MeshObject* model = GetObjectModel(hero);
    const int frames = static_cast<int>(model->frames.size());
    for (int slot = 0; slot < 6; ++slot) {
        const int first = static_cast<int>(ModelAnims(hero, slot, 0)), last = static_cast<int>(ModelAnims(hero, slot, 1));
        EXPECT_LT(first, last) << "slot " << slot;
        EXPECT_LT(last, frames) << "slot " << slot;
        // Some frame of the range is a different pose from the first.
        bool moves = false;
        for (int f = first + 1; f <= last; ++f) {
            const auto& a = model->frames[static_cast<size_t>(first)].triangles;
            const auto& b = model->frames[static_cast<size_t>(f)].triangles;
            for (size_t i = 0; i < a.size() && !moves; ++i)
                for (int k = 0; k < 3; ++k) moves |= std::abs(a[i].position[k] - b[i].position[k]) > 0.05f;
        }
        EXPECT_TRUE(moves) << "slot " << slot;
    }
}

TEST_F(DemoLevelTest, LevelTextIsExactlyWhatTheLevelWriterWrites) {
    const fs::path out = dir_ / "written.ini";
    const Number lines = SaveLevel(StrValue(out.string()));
    const std::vector<uint8_t> written = ReadBytes(out);
    const std::string expected = DemoLevelText();
    EXPECT_EQ(std::string(written.begin(), written.end()), expected);
    EXPECT_EQ(lines, static_cast<Number>(std::count(expected.begin(), expected.end(), '\n')));
}

}  // namespace
