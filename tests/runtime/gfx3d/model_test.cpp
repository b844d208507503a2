// The model file: both forms, the build into triangle lists and the writer.
#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "model_fixtures.h"
#include "runtime/frame/program.h"
#include "runtime/gfx3d/model.h"

namespace {

// Image of a binary model, written field by field (this host is little-endian, as the file).
struct BinaryImage {
    std::string bytes;
    template <class T> void Put(T v) { bytes.append(reinterpret_cast<const char*>(&v), sizeof v); }
    void U32(uint32_t v) { Put(v); }
    void F32(float v) { Put(v); }
    void Rec(uint8_t x, uint8_t y, uint8_t z, uint8_t n, uint8_t c) {
        for (uint8_t v : {x, y, z, n, c}) bytes.push_back(char(v));
    }
};

// Header with palette {white, list marker} and n texture pairs (u = k, v = k / 4).
BinaryImage Header(double version, int32_t frames, int32_t texPairs) {
    BinaryImage b;
    b.U32(0x00C6B317);
    b.Put(version);
    for (uint32_t v : {uint32_t(frames), 2u, uint32_t(texPairs), 0x00FFFFFFu, 0xFFFFFFFFu}) b.U32(v);
    for (int k = 0; k < texPairs; ++k) b.F32(float(k)), b.F32(float(k) / 4);
    return b;
}

// One frame of one triangle, offset 0 and scale 1, colour index 0.
void OneTriangleFrame(BinaryImage& b, uint8_t shift = 0) {
    b.U32(3);
    for (float f : {0, 0, 0, 1, 1, 1}) b.F32(f);
    b.Rec(shift, 0, 0, 5, 0);
    b.Rec(shift + 10, 0, 0, 5, 0);
    b.Rec(shift, 10, 0, 5, 0);
}

ModelReadResult Read(MeshObject& m, const std::string& bytes) {
    return ReadModelBytes(m, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
}

bool LoadBytes(MeshObjectX& m, const std::string& name, const std::string& bytes) {
    const std::string path = ScratchPath(name);
    WriteBytes(path, bytes);
    return LoadModelFile(m, path);
}

std::vector<std::array<float, 3>> Positions(const MeshFrame& f) {
    std::vector<std::array<float, 3>> out;
    for (const auto& m : f.triangles) out.push_back({m.position[0], m.position[1], m.position[2]});
    return out;
}

class ModelFileTest : public testing::Test {
protected:
    void SetUp() override { DeleteErrorLog(); }
};

}  // namespace

TEST_F(ModelFileTest, BinaryFormLoadsOnlyVersion102WithNegatedVAndLogsOtherVersions) {
    BinaryImage b = Header(1.02, 2, 3);
    OneTriangleFrame(b);
    OneTriangleFrame(b, 20);
    MeshObjectX m;
    ASSERT_TRUE(LoadBytes(m, "binary.kmo", b.bytes));
    ASSERT_EQ(m.frames.size(), 2u);
    ASSERT_EQ(m.frames[1].triangles.size(), 3u);
    EXPECT_EQ(m.frames[1].triangles[1].position[0], 30.0f);
    EXPECT_EQ(m.frames[0].triangles[2].position[1], 10.0f);
    EXPECT_EQ(m.frames[0].triangles[1].u, 1.0f);
    EXPECT_EQ(m.frames[0].triangles[1].v, -0.25f) << "V is stored as 0.25 and drawn negated";
    EXPECT_EQ(m.frames[0].triangles[0].colour, 0x00FFFFFFu);
    EXPECT_EQ(m.hasColours, 0u) << "white and markers only";
    EXPECT_TRUE(ErrorLogText().empty());
    EXPECT_EQ(Read(m, b.bytes + "trailing bytes are not read"), ModelReadResult::kOk);

    for (double version : {1.0, 1.03, 1.020001}) {
        BinaryImage b = Header(version, 1, 3);
        OneTriangleFrame(b);
        MeshObjectX m;
        DeleteErrorLog();
        EXPECT_FALSE(LoadBytes(m, "version.kmo", b.bytes)) << version;
        EXPECT_TRUE(m.Empty());
        EXPECT_EQ(ErrorLogText(), "# read error\r\n" + ScratchPath("version.kmo") + "\r\n");
    }
    DeleteErrorLog();
    EXPECT_FALSE(LoadModelFile(m, ScratchPath("does-not-exist.kmo")));
    EXPECT_TRUE(ErrorLogText().empty());
}

TEST_F(ModelFileTest, TruncatedBinaryFilesAndIndicesOutsideTheirArraysAreRefused) {
    auto refused = [](const std::string& bytes) {
        MeshObjectX m;
        return Read(m, bytes) == ModelReadResult::kReadError && m.Empty();
    };
    BinaryImage whole = Header(1.02, 2, 3);
    OneTriangleFrame(whole);
    OneTriangleFrame(whole);
    for (size_t n = 4; n < whole.bytes.size(); ++n) EXPECT_TRUE(refused(whole.bytes.substr(0, n))) << n;
    auto frameOf = [](int texPairs, uint8_t normal, uint8_t colour) {
        BinaryImage b = Header(1.02, 1, texPairs);
        b.U32(3);
        for (int k = 0; k < 6; ++k) b.F32(1);
        for (int k = 0; k < 3; ++k) b.Rec(0, 0, 0, normal, colour);
        return b.bytes;
    };
    EXPECT_TRUE(refused(frameOf(3, 0, 2))) << "colour past the palette";
    EXPECT_TRUE(refused(frameOf(3, 162, 0))) << "normal past the table";
    EXPECT_TRUE(refused(frameOf(2, 0, 0))) << "more vertices than texture pairs";
    for (auto [f, t] : {std::pair{0x7FFFFFFF, 0}, {1, 0x7FFFFFFF}, {-1, 0}, {1, -3}}) {
        BinaryImage b = Header(1.02, f, 0);
        b.bytes.replace(20, 4, std::string{char(t & 0xFF), char((t >> 8) & 0xFF), char((t >> 16) & 0xFF), char((t >> 24) & 0xFF)});
        EXPECT_TRUE(refused(b.bytes)) << f << " " << t;
    }
}

TEST_F(ModelFileTest, TextFormTurnsFacesIntoFansWithColoursAndMarkers) {
    const std::string text =
        "KMOA 1 # comment runs to the end of the line\n"
        "4  0 0  1 0  1 1  0 1.5\n"
        "2\n"
        "255 0 128 4  0 0 1 1 2 2 3 3   # a quad\n"
        "511 1 2 3  1 0 2 1 3 2\n"
        "1 4  0 0 0  10 0 0  10 10 0  0 10 0#comment after a token\n";
    MeshObjectX m;
    ASSERT_TRUE(LoadBytes(m, "quad.kmoa", text)) << ErrorLogText();
    ASSERT_EQ(m.frames.size(), 1u);
    const MeshFrame& f = m.frames[0];
    // A marker and four corners, then a marker and three corners.
    ASSERT_EQ(f.packed.size(), 9u);
    EXPECT_EQ(m.palette[f.packed[0].colourIndex], 0xFFFFFFFDu);
    EXPECT_EQ(m.palette[f.packed[1].colourIndex], 0x8000FFu);
    EXPECT_EQ(m.palette[f.packed[6].colourIndex], 0x0201FFu);   // 511 keeps its low byte
    EXPECT_EQ(m.hasColours, 1u);
    // The quad as a fan (a, b, c), (a, c, d), then the triangle.
    const auto p = Positions(f);
    ASSERT_EQ(p.size(), 9u);
    const std::vector<std::array<float, 3>> expected = {{0, 0, 0},  {10, 0, 0},  {10, 10, 0}, {0, 0, 0},  {10, 10, 0},
                                                        {0, 10, 0}, {10, 0, 0},  {10, 10, 0}, {0, 10, 0}};
    for (size_t k = 0; k < p.size() * 3; ++k) EXPECT_NEAR(p[k / 3][k % 3], expected[k / 3][k % 3], 0.04f) << k / 3;
    // Texture coordinates are indexed by packed position, markers included; V negated.
    EXPECT_EQ(f.triangles[5].v, -1.5f);
    EXPECT_NEAR(f.triangles[0].blue, 128 / 255.0f, 1e-6);
    // Front faces wind clockwise: this quad, counter-clockwise seen from +z, faces -z.
    EXPECT_EQ(f.packed[1].normalIndex, NearestNormalIndex(0, 0, -1));
}

TEST_F(ModelFileTest, TextFilesWithHigherVersionsOrReferencesPastTheirArraysAreRefused) {
    const std::string body = " 3 0 0 1 0 0 1 1 255 255 255 3 0 0 1 1 2 2 1 3 0 0 0 1 0 0 0 1 0";
    for (const char* v : {"1", "0.9", "-4", "nan"}) EXPECT_EQ(Read(*std::make_unique<MeshObjectX>(), "KMOA " + std::string(v) + body), ModelReadResult::kOk) << v;
    for (const char* v : {"1.5", "1.0001", "1e400"}) {
        MeshObjectX m;
        DeleteErrorLog();
        EXPECT_FALSE(LoadBytes(m, "v.kmoa", "KMOA " + std::string(v) + body)) << v;
        EXPECT_EQ(ErrorLogText().substr(0, 14), "# read error\r\n");
    }
    // Empty frames cost two bytes each in the file but a record each in memory.
    auto manyFrames = [](int n) {
        std::string t = "KMOA 1 0 0 " + std::to_string(n);
        for (int k = 0; k < n; ++k) t += " 0";
        return t;
    };
    auto colours = [](int n) {
        std::string t = "KMOA 1 3 0 0 1 0 0 1 " + std::to_string(n) + "\n";
        for (int k = 0; k < n; ++k) t += std::to_string(k % 256) + " " + std::to_string(k / 256) + " 0 3 0 0 1 1 2 2\n";
        return t + "1 3 0 0 0 1 0 0 0 1 0\n";
    };
    MeshObjectX most;
    EXPECT_EQ(Read(most, manyFrames(65536)), ModelReadResult::kOk);
    EXPECT_EQ(Read(most, colours(255)), ModelReadResult::kOk) << "255 colours and the fan marker fill the palette";
    EXPECT_EQ(most.palette.size(), 256u);
    const std::vector<std::string> bad = {
        "KMOB 1 0 0 0",
        "KMOA 1 3 0 0 1 0 0 1 1 255 255 255 3 0 0 1 1 5 2 1 3 0 0 0 1 0 0 0 1 0",   // vertex 5 of 3
        "KMOA 1 3 0 0 1 0 0 1 1 255 255 255 3 0 0 1 1 2 7 1 3 0 0 0 1 0 0 0 1 0",   // texture 7 of 3
        "KMOA 1 2 0 0 1 0 1 255 255 255 3 0 0 1 1 1 1 1 3 0 0 0 1 0 0 0 1 0",       // V 3 > T 2
        "KMOA 1 3 0 0 1 0 0 1 1 255 255 255 -3 0 0",                                 // negative count
        "KMOA 1 1e300 0 0",                                                          // count beyond the file
        manyFrames(65537),
        "KMOA 1 3 0 0 1 0 0 1 1 255 255 255 3 0 0 1 1 2 2 1 3 0 0 0 1 0 0",          // short frame
        "KMOA 1 " + std::string(1024, '1'),                                          // token too long
        colours(256)};
    for (const auto& text : bad) {
        MeshObjectX m;
        EXPECT_EQ(Read(m, text), ModelReadResult::kReadError) << text.substr(0, 80);
        EXPECT_TRUE(m.Empty());
    }
}

TEST(ModelBuild, StripAlternatesItsWindingAndMarkersSwitchModes) {
    MeshObjectX m;
    m.palette = {0x00FFFFFF, 0xFFFFFFFE, 0xFFFFFFFD, 0xFFFFFFFF};   // white, strip, fan, list
    MeshFrame f;
    auto vertex = [](uint8_t x) { PackedVertex p; p.qx = x; return p; };
    auto marker = [](uint8_t c) { PackedVertex p; p.colourIndex = c; return p; };
    // No marker: list mode. Then a strip a b c d e, a fan, and a list again.
    f.packed = {vertex(1), vertex(2), vertex(3),
                marker(1), vertex(10), vertex(11), vertex(12), vertex(13), vertex(14),
                marker(2), vertex(20), vertex(21), vertex(22), vertex(23),
                marker(3), vertex(30), vertex(31), vertex(32), vertex(33)};
    m.frames = {f};
    m.texU.assign(f.packed.size(), 0);
    m.texV.assign(f.packed.size(), 0);
    m.build();
    std::vector<float> xs;
    for (const auto& t : m.frames[0].triangles) xs.push_back(t.position[0]);
    const std::vector<float> expected = {1, 2, 3,                                   // list
                                         10, 11, 12, 12, 11, 13, 12, 13, 14,        // strip
                                         20, 21, 22, 20, 22, 23,                    // fan
                                         30, 31, 32};                               // list; 33 left over
    EXPECT_EQ(xs, expected);
}

TEST_F(ModelFileTest, WriterRoundTripsLoadedModelsOfBothForms) {
    const std::string text =
        "KMOA 1 4 0 0 1 0 1 1 0 1\n2\n"
        "200 100 50 4 0 0 1 1 2 2 3 3\n"
        "10 20 30 3 0 0 2 2 3 3\n"
        "2 4 -5 -5 0 5 -5 0 5 5 0 -5 5 0\n"
        "  4 -6 -5 1 6 -5 2 6 5 3 -6 5 4\n";
    MeshObjectX fromText;
    ASSERT_TRUE(LoadBytes(fromText, "round.kmoa", text));
    const std::string path = ScratchPath("round.kmo");
    ASSERT_TRUE(SaveModelBinary(fromText, path));
    MeshObjectX fromBinary;
    ASSERT_TRUE(LoadModelFile(fromBinary, path));
    // The same bytes again, so palette, texture pairs and every packed vertex survived.
    EXPECT_EQ(ModelBinaryBytes(fromBinary), ModelBinaryBytes(fromText));
    EXPECT_EQ(ModelBinaryBytes(fromBinary), ReadBytes(path));
}

