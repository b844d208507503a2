// Importing models and pictures, checked through the engine's model reader and the BMP
// decoder the game uses.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "import/import.h"
#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx3d/model.h"
#include "tests/import/import_samples.h"

namespace fs = std::filesystem;

namespace {

// Writes the file into the program's own temporary folder; returns its path.
std::string Write(const std::string& name, const std::string& bytes) {
    static const fs::path dir = fs::temp_directory_path() / ("zv_import_" + std::to_string(getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
    return (dir / name).string();
}

// The model as the game loads it.
MeshObjectX Load(const std::string& bytes) {
    MeshObjectX model;
    EXPECT_EQ(ReadModelBytes(model, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), ModelReadResult::kOk);
    model.build();
    return model;
}

// Smallest and largest coordinate of frame f in the engine, per axis.
std::vector<float> Extent(const MeshObject& m, size_t f) {
    std::vector<float> e = {1e9f, 1e9f, 1e9f, -1e9f, -1e9f, -1e9f};
    for (const auto& v : m.frames[f].triangles)
        for (int a = 0; a < 3; ++a) e[a] = std::min(e[a], v.position[a]), e[3 + a] = std::max(e[3 + a], v.position[a]);
    return e;
}

void ExpectExtent(const MeshObject& m, size_t f, std::vector<float> want, double error) {
    for (int k = 0; k < 6; ++k) EXPECT_NEAR(Extent(m, f)[k], want[k], error + 1e-6) << "frame " << f << " value " << k;
}

TEST(Import, ObjWithMaterialsTexturedAndColouredInEveryForm) {
    // A unit quad with the texture and a red triangle beside it; the texture is not needed to import.
    Write("quad.mtl", "newmtl tex\nKd 1 1 1\nmap_Kd pic.png\nnewmtl red\nKd 1 0 0\n");
    const std::string obj = Write("quad.obj",
                                  "mtllib quad.mtl\nv 0 0 0\nv 2 0 0\nv 2 1 0\nv 0 1 0\nv 3 0 -1\n"
                                  "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl tex\nf 1/1 2/2 3/3 4/4\nusemtl red\nf 2 5 3\n");
    const struct { ModelImportOptions options; std::vector<float> extent; } cases[] = {
        {{}, {0, 0, -1, 3, 1, 0}},
        {{.scale = 2}, {0, 0, -2, 6, 2, 0}},
        {{.zUp = true}, {0, -1, -1, 3, 0, 0}},   // z up: z becomes y, y becomes -z
        {{.text = true}, {0, 0, -1, 3, 1, 0}},
    };
    for (const auto& c : cases) {
        const ModelImport r = ImportModel(obj, c.options);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.triangles, 3u);
        EXPECT_EQ(r.textures, std::vector<std::string>{"pic.png"});
        EXPECT_TRUE(r.animationBytes.empty());
        EXPECT_LT(r.quantisationError, 3.0 / 255 * (c.options.text ? 2 : 1));
        const MeshObjectX m = Load(r.modelBytes);
        ASSERT_EQ(m.frames.size(), 1u);
        EXPECT_EQ(m.frames[0].triangles.size(), 9u);
        ExpectExtent(m, 0, c.extent, r.quantisationError);
        for (int a = 0; a < 3; ++a) EXPECT_NEAR(r.boundsMax[a], Extent(m, 0)[3 + a], r.quantisationError + 1e-6);
        // Textured faces are white, the others keep their material's colour.
        std::set<uint32_t> colours;
        for (const auto& v : m.frames[0].triangles) colours.insert(v.colour);
        EXPECT_EQ(colours, (std::set<uint32_t>{0xFFFFFF, 0x0000FF}));
    }
    // The texture's top-left corner (v 1 in the file) is the engine's v 0 after its negation.
    const MeshObjectX m = Load(ImportModel(obj, {}).modelBytes);
    bool corner = false;
    for (const auto& v : m.frames[0].triangles) corner |= v.position[0] == 0 && v.position[1] == 1 && v.u == 0 && v.v == 0;
    EXPECT_TRUE(corner);
}

TEST(Import, SkinnedGltfClipsBecomeFramesAndSlots) {
    const std::string gltf =
        Write("tube.gltf", import_samples::SkinnedTube(4, {{"Idle", 0, 1.0}, {"Walk", 90, 1.0}, {"Wave", 0, 0.5}}));
    const ModelImport r = ImportModel(gltf, {});
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.triangles, 16u);
    std::vector<std::tuple<std::string, int, int, int>> clips;
    for (const auto& a : r.animations) clips.emplace_back(a.name, a.first, a.last, a.slot);
    EXPECT_EQ(clips, (decltype(clips){{"Idle", 0, 10, 0}, {"Walk", 11, 21, 1}, {"Wave", 22, 27, -1}}));
    EXPECT_EQ(r.animationBytes, "6\r\n      0       10\r\n     11       21\r\n      0        0\r\n"
                                "      0        0\r\n      0        0\r\n      0        0\r\n");
    // One second at 10 frames a second is 11 frames, both ends included.
    const MeshObjectX m = Load(r.modelBytes);
    ASSERT_EQ(m.frames.size(), 28u);
    EXPECT_EQ(m.frames[27].triangles.size(), 48u);
    const double e = r.quantisationError;
    EXPECT_LT(e, 2.0 / 255);
    ExpectExtent(m, 0, {-0.5, 0, -0.5, 0.5, 2, 0.5}, e);
    // Walk ends with the top row turned a quarter about the joint at height 1: it now
    // sticks out to x -1, between heights 0.5 and 1.5.
    ExpectExtent(m, 21, {-1, 0, -0.5, 0.5, 1.5, 0.5}, e);
    // Half way the top row has turned 45 degrees: its corner (-0.5, 1) above the joint is
    // at x -1.5 cos 45. Over the turn it reaches x -sqrt(1.25), at 63 degrees.
    EXPECT_NEAR(Extent(m, 16)[0], -1.5 * std::sqrt(0.5), e + 1e-6);
    EXPECT_NEAR(r.boundsMin[0], -std::sqrt(1.25), 1e-3);
    // A lower rate gives fewer frames.
    EXPECT_EQ(ImportModel(gltf, {.fps = 2}).frames, 3u + 3u + 2u);
}

TEST(Import, PicturesKeepTransparencyAsAlphaOrAsTheTransparentColour) {
    // Top row: clear, half clear, opaque green; bottom row: opaque red, blue, white.
    const std::vector<uint8_t> rgba = {0,   0, 0, 0,   10, 20, 30, 128, 0,   255, 0,   255,
                                       255, 0, 0, 255, 0,  0,  255, 255, 255, 255, 255, 255};
    const std::vector<uint8_t> opaque = {1, 2, 3, 255, 4, 5, 6, 255};
    const struct { std::string file; bool key; int bits; bool transparency; } cases[] = {
        {Write("a.png", import_samples::Picture("png", 3, 2, rgba)), false, 32, true},
        {Write("b.tga", import_samples::Picture("tga", 3, 2, rgba)), true, 24, true},
        {Write("c.png", import_samples::Picture("png", 2, 1, opaque)), false, 24, false},
    };
    for (const auto& c : cases) {
        const ImageImport r = ImportImage(c.file, c.key);
        ASSERT_TRUE(r.ok) << r.error;
        EXPECT_EQ(r.bits, c.bits) << c.file;
        EXPECT_EQ(r.transparency, c.transparency) << c.file;
        EXPECT_EQ(r.warnings.size(), c.transparency ? 1u : 0u) << "the half clear pixel is drawn opaque";
        BmpTexture t;
        const auto* bmp = reinterpret_cast<const uint8_t*>(r.bmpBytes.data());
        ASSERT_EQ(DecodeBmp(bmp, r.bmpBytes.size(), kSpriteColourKey, 64, t), BmpStatus::Ok);
        EXPECT_EQ(t.imageWidth, r.width);
        auto texel = [&t](int x, int y) {   // y from the picture's top; texture rows run upwards
            const uint8_t* p = &t.texels[4 * size_t((t.imageHeight - 1 - y) * t.textureWidth + x)];
            return std::vector<int>{p[0], p[1], p[2], p[3]};
        };
        if (!c.transparency) {
            EXPECT_EQ(texel(1, 0), (std::vector<int>{4, 5, 6, 255}));
            continue;
        }
        EXPECT_EQ(texel(0, 0)[3], 0) << c.file;
        EXPECT_EQ(texel(1, 0), (std::vector<int>{10, 20, 30, 255}));
        EXPECT_EQ(texel(2, 1), (std::vector<int>{255, 255, 255, 255}));
        EXPECT_EQ(texel(1, 1), (std::vector<int>{0, 0, 255, 255}));
    }
}

TEST(Import, BrokenFilesAreRefusedWithTheFileAndTheReason) {
    const std::string gltf = import_samples::SkinnedTube(4, {{"Idle", 0, 1}});
    for (const auto& [name, bytes] : std::vector<std::pair<std::string, std::string>>{
             {"garbage.obj", "v 1 2\nf 9 9 9 9\nxyz"},
             {"lines.obj", "v 0 0 0\nv 1 0 0\nl 1 2\n"},
             {"cut.gltf", gltf.substr(0, gltf.size() / 2)},
             {"noise.glb", "glTF\x02\0\0\0garbage"},
             {"empty.stl", ""},
             {"huge.ply", "ply\nformat ascii 1.0\nelement vertex 99999999999\nend_header\n"},
             {"endless.ply", "ply\nformat ascii 1.0\nelement vertex 1\nproperty float x\n0\n"},
             {"cut.png", import_samples::Picture("png", 2, 2, std::vector<uint8_t>(16, 9)).substr(0, 40)}, {"text.png", "hello"}, {"empty.jpg", ""}}) {
        const std::string path = Write(name, bytes);
        const std::string error = IsImportableImage(path) ? ImportImage(path, false).error : ImportModel(path, {}).error;
        EXPECT_EQ(error.rfind(path + ": ", 0), 0u) << name << ": " << error;
    }
}

}  // namespace
