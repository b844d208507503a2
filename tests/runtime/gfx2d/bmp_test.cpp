// BMP decoding, colour keys, edge bleeding, texture sizes, mipmaps and the built-in font.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <set>

#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx2d/builtin_font.h"
#include "tests/runtime/gfx2d/bmp_builder.h"

using bmptest::MakeBmp;
using bmptest::Rgb;

namespace {

using Texel = std::array<int, 4>;
constexpr uint32_t kMagenta = Rgb(255, 0, 128);   // the sprites' transparent colour

Texel TexelAt(const BmpTexture& t, int x, int y) {
    const uint8_t* p = t.texels.data() + (size_t(y) * t.textureWidth + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

Texel Opaque(uint32_t c) { return {int(c & 255), int((c >> 8) & 255), int(c >> 16), 255}; }

BmpStatus Decode(const std::vector<uint8_t>& file, BmpTexture& out, uint32_t key = kMagenta, int limit = 16384) {
    return DecodeBmp(file.data(), file.size(), key, limit, out);
}

std::array<int, 4> Sizes(const BmpTexture& t) { return {t.imageWidth, t.imageHeight, t.textureWidth, t.textureHeight}; }

// A colour per position, distinct for every pixel of small pictures.
uint32_t Pattern(int x, int row) { return Rgb(10 + x * 20, 30 + row * 40, 7 * x + row + 1); }

TEST(BmpDecode, EveryDepthAndRowOrderGivesThePictureBottomRowFirst) {
    BmpTexture t, topDown;
    for (int bits : {24, 32}) {
        ASSERT_EQ(Decode(MakeBmp({3, 2, bits, 0, {}}, Pattern), t), BmpStatus::Ok);
        EXPECT_EQ(Sizes(t), (std::array{3, 2, 4, 2}));
        for (int i = 0; i < 6; ++i) EXPECT_EQ(TexelAt(t, i % 3, i / 3), Opaque(Pattern(i % 3, i / 3))) << bits;
        EXPECT_EQ(TexelAt(t, 3, 1), (Texel{0, 0, 0, 0})) << "outside the picture";
    }
    ASSERT_EQ(Decode(MakeBmp({3, -2, 24, 0, {}}, Pattern), topDown), BmpStatus::Ok);
    EXPECT_EQ(topDown.texels, t.texels) << "a top-down file is loaded upside down";

    const std::vector<uint32_t> palette = {Rgb(1, 2, 3), Rgb(200, 100, 50), Rgb(9, 8, 7)};
    ASSERT_EQ(Decode(MakeBmp({5, 3, 8, 0, palette}, [](int x, int row) { return uint32_t((x + row) % 3); }), t),
              BmpStatus::Ok);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(TexelAt(t, i % 5, i / 5), Opaque(palette[(i % 5 + i / 5) % 3]));
    EXPECT_EQ(Decode(MakeBmp({5, 3, 8, 0, palette}, [](int x, int) { return uint32_t(x); }), t), BmpStatus::NotBmp)
        << "an index beyond the palette";
    // Depths and compressions without a decoder keep their sizes but give no texels.
    for (auto layout : {bmptest::BmpLayout{5, 3, 16, 0, {}}, {5, 3, 4, 0, {}}, {5, 3, 8, 1, {0, 1}}}) {
        EXPECT_EQ(Decode(MakeBmp(layout, [](int, int) { return 0u; }), t), BmpStatus::UnsupportedFormat);
        EXPECT_EQ(Sizes(t), (std::array{5, 3, 8, 4}));
        EXPECT_TRUE(t.texels.empty());
    }
}

TEST(BmpDecode, MagentaIsTransparentInSpritesAndBlackInFontsWithEdgesBledInSpritesOnly) {
    // 6 x 5 picture, all magenta except two inner opaque pixels and one on the border.
    const auto file = MakeBmp({6, 5, 24, 0, {}}, [](int x, int row) -> uint32_t {
        if (x == 2 && row == 2) return Rgb(255, 0, 0);
        if (x == 3 && row == 2) return Rgb(0, 101, 0);
        if (x == 0 && row == 4) return Rgb(0, 0, 0);
        return kMagenta;
    });
    BmpTexture t, font;
    ASSERT_EQ(Decode(file, t), BmpStatus::Ok);
    EXPECT_EQ(TexelAt(t, 1, 2), (Texel{255, 0, 0, 0})) << "one neighbour: its colour, still transparent";
    EXPECT_EQ(TexelAt(t, 2, 1), (Texel{128, 51, 0, 0})) << "two neighbours, rounded to nearest";
    EXPECT_EQ(TexelAt(t, 5, 0), (Texel{0, 0, 0, 0})) << "no opaque neighbour";
    EXPECT_EQ(TexelAt(t, 1, 4), (Texel{0, 0, 0, 0})) << "border pixels are not bled from";

    ASSERT_EQ(Decode(file, font, 0), BmpStatus::Ok);
    EXPECT_EQ(TexelAt(font, 5, 0), Opaque(kMagenta));
    EXPECT_EQ(TexelAt(font, 0, 4), (Texel{0, 0, 0, 0})) << "black, and no bleeding";
}

TEST(BmpDecode, TextureSidesArePowersOfTwoAndMipLevelsHalveWithWeightedSmoothing) {
    BmpTexture t;
    for (const auto& [w, h, tw, th] : {std::array{100, 50, 128, 64}, {1, 1, 2, 2}, {3, 5, 4, 8}, {64, 65, 64, 128}}) {
        ASSERT_EQ(Decode(bmptest::SolidBmp(w, h, Rgb(1, 2, 3)), t), BmpStatus::Ok);
        EXPECT_EQ(Sizes(t), (std::array{w, h, tw, th}));
    }
    EXPECT_EQ(TexelAt(t, 63, 64), Opaque(Rgb(1, 2, 3)));
    EXPECT_EQ(TexelAt(t, 0, 65), (Texel{0, 0, 0, 0}));
    // Beyond the limit only the lower-left part is kept.
    ASSERT_EQ(Decode(MakeBmp({6, 5, 24, 0, {}}, Pattern), t, kMagenta, 4), BmpStatus::Ok);
    EXPECT_EQ(Sizes(t), (std::array{4, 4, 4, 4}));
    EXPECT_EQ(TexelAt(t, 3, 3), Opaque(Pattern(3, 3)));

    // 2 x 2 -> 1 x 1: weights 4, 2, 2, 1 over (0,0), (1,0), (0,1), (1,1).
    std::vector<uint8_t> px = {90, 0, 0, 255, 0, 90, 0, 255, 0, 0, 90, 0, 9, 9, 9, 9};
    int w = 2, h = 2;
    ASSERT_TRUE(ShrinkToNextMipLevel(px.data(), w, h));
    EXPECT_EQ((std::array{w, h}), (std::array{1, 1}));
    EXPECT_EQ((Texel{px[0], px[1], px[2], px[3]}), (Texel{41, 21, 21, 171}));
    EXPECT_FALSE(ShrinkToNextMipLevel(px.data(), w, h));
}

TEST(BmpDecode, TruncatedOrInconsistentFilesAreNotBmps) {
    const auto good = MakeBmp({3, 4, 24, 0, {}}, Pattern);
    auto changed = [&](std::initializer_list<std::pair<size_t, uint8_t>> bytes, size_t cut = 0) {
        auto f = good;
        for (auto [at, v] : bytes) f.at(at) = v;
        f.resize(f.size() - cut);
        return f;
    };
    auto withSize = [&](int32_t w, int32_t h) {
        auto f = good;
        std::memcpy(&f.at(18), &w, 4), std::memcpy(&f.at(22), &h, 4);   // little-endian, as the file
        return f;
    };
    BmpTexture t;
    EXPECT_EQ(Decode(changed({}, 3), t), BmpStatus::Ok) << "the last row without its padding";
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> bad = {
        {"cut into the last row", changed({}, 4)},    {"signature", changed({{1, 'X'}})},
        {"offset beyond the end", changed({{10, 0xff}, {11, 0xff}})},
        {"offset inside the header", changed({{10, 20}})}, {"huge info header", changed({{17, 0xff}})},
        {"zero width", withSize(0, 4)},               {"zero height", withSize(3, 0)},
        {"most negative sizes", withSize(INT32_MIN, INT32_MIN)}, {"largest sizes", withSize(0x7fffffff, 0x7fffffff)}};
    for (const auto& [what, file] : bad) {
        EXPECT_EQ(Decode(file, t), BmpStatus::NotBmp) << what;
        EXPECT_TRUE(t.texels.empty()) << what;
    }
    EXPECT_EQ(DecodeBmp(good.data(), 20, kMagenta, 16384, t), BmpStatus::NotBmp) << "header only";
}

TEST(BuiltinFont, DistinctGlyphsForPrintableCodesInSevenByEightCells) {
    std::set<uint32_t> seen;
    for (int code : {-1, 0, 31, 32, 128}) EXPECT_EQ(BuiltinGlyphMask(code), 0u) << code;
    for (int code = 33; code < 128; ++code) {
        const uint32_t m = BuiltinGlyphMask(code);
        EXPECT_TRUE(m != 0 && m < (1u << 30) && seen.insert(m).second) << "glyph of " << code;
    }
    EXPECT_EQ(BuildBuiltinFontTexels().size(), 128u * 64u * 4u);
}

}  // namespace
