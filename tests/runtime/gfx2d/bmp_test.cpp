// BMP decoding, colour keys, edge bleeding, texture sizes, mipmaps and the built-in font.
#include <gtest/gtest.h>

#include <array>
#include <set>

#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx2d/builtin_font.h"
#include "tests/runtime/gfx2d/bmp_builder.h"

using bmptest::MakeBmp;
using bmptest::Rgb;

namespace {

using Texel = std::array<int, 4>;

Texel TexelAt(const BmpTexture& t, int x, int y) {
    const uint8_t* p = t.texels.data() + (size_t(y) * t.textureWidth + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

Texel Opaque(uint32_t c) { return {int(c & 255), int((c >> 8) & 255), int(c >> 16), 255}; }

BmpStatus Decode(const std::vector<uint8_t>& file, BmpTexture& out, uint32_t key = kSpriteColourKey,
                 int limit = kDefaultTextureLimit) {
    return DecodeBmp(file.data(), file.size(), key, limit, out);
}

// A colour per position, distinct for every pixel of small pictures.
uint32_t Pattern(int x, int row) { return Rgb(10 + x * 20, 30 + row * 40, 7 * x + row + 1); }

}  // namespace

TEST(BmpDecode, OddWidthsSkipRowPaddingForTwentyFourAndThirtyTwoBits) {
    for (int bits : {24, 32}) {
        BmpTexture t;
        ASSERT_EQ(Decode(MakeBmp({3, 2, bits, 0, {}}, Pattern), t), BmpStatus::Ok);
        EXPECT_EQ((std::array{t.imageWidth, t.imageHeight, t.textureWidth, t.textureHeight}),
                  (std::array{3, 2, 4, 2}));
        for (int row = 0; row < 2; ++row) {
            for (int x = 0; x < 3; ++x) EXPECT_EQ(TexelAt(t, x, row), Opaque(Pattern(x, row))) << bits;
            EXPECT_EQ(TexelAt(t, 3, row), (Texel{0, 0, 0, 0})) << "outside the picture";
        }
    }
}

TEST(BmpDecode, EightBitTakesPaletteColoursAndAnIndexBeyondThePaletteFails) {
    const std::vector<uint32_t> palette = {Rgb(1, 2, 3), Rgb(200, 100, 50), Rgb(9, 8, 7)};
    auto indexed = [&](auto index) { return MakeBmp({5, 3, 8, 0, palette}, index); };
    BmpTexture t;
    ASSERT_EQ(Decode(indexed([](int x, int row) { return uint32_t((x + row) % 3); }), t), BmpStatus::Ok);
    for (int i = 0; i < 15; ++i) EXPECT_EQ(TexelAt(t, i % 5, i / 5), Opaque(palette[(i % 5 + i / 5) % 3]));

    auto inRange = indexed([](int x, int) { return uint32_t(x % 3); });
    // A palette count that the header promises but the file does not hold counts as absent.
    inRange[46] = 200;
    EXPECT_EQ(Decode(inRange, t), BmpStatus::Ok);
    EXPECT_EQ(Decode(indexed([](int x, int) { return uint32_t(x); }), t), BmpStatus::NotBmp);
    EXPECT_TRUE(t.texels.empty());
}

TEST(BmpDecode, TopDownFileIsLoadedUpsideDown) {
    BmpTexture a, b;
    ASSERT_EQ(Decode(MakeBmp({4, 3, 24, 0, {}}, Pattern), a), BmpStatus::Ok);
    ASSERT_EQ(Decode(MakeBmp({4, -3, 24, 0, {}}, Pattern), b), BmpStatus::Ok);
    // The file's first row becomes texture row 0 either way.
    EXPECT_EQ(a.texels, b.texels);
    EXPECT_EQ(b.imageHeight, 3);
}

TEST(BmpDecode, SpriteKeyIsTransparentButOpaqueInFontsWhereBlackIsTransparent) {
    const auto file = MakeBmp({2, 1, 24, 0, {}}, [](int x, int) { return x == 0 ? kSpriteColourKey : 0u; });
    BmpTexture sprite, font;
    ASSERT_EQ(Decode(file, sprite, kSpriteColourKey), BmpStatus::Ok);
    ASSERT_EQ(Decode(file, font, 0), BmpStatus::Ok);
    EXPECT_EQ((std::array{TexelAt(sprite, 0, 0), TexelAt(sprite, 1, 0)}), (std::array{Texel{}, Opaque(0)}));
    EXPECT_EQ((std::array{TexelAt(font, 0, 0), TexelAt(font, 1, 0)}), (std::array{Opaque(kSpriteColourKey), Texel{}}));
}

TEST(BmpDecode, EdgeBleedingGivesTransparentTexelsTheRoundedAverageOfInnerOpaqueNeighbours) {
    // 6 x 5 picture, all key except two inner opaque pixels and one on the border.
    const auto file = MakeBmp({6, 5, 24, 0, {}}, [](int x, int row) -> uint32_t {
        if (x == 2 && row == 2) return Rgb(255, 0, 0);
        if (x == 3 && row == 2) return Rgb(0, 101, 0);
        if (x == 0 && row == 4) return Rgb(0, 0, 250);   // on the outer border
        return kSpriteColourKey;
    });
    BmpTexture t;
    ASSERT_EQ(Decode(file, t), BmpStatus::Ok);
    EXPECT_EQ(TexelAt(t, 1, 2), (Texel{255, 0, 0, 0})) << "one neighbour: its colour, still transparent";
    EXPECT_EQ(TexelAt(t, 2, 1), (Texel{128, 51, 0, 0})) << "two neighbours, rounded to nearest";
    EXPECT_EQ(TexelAt(t, 2, 2), (Texel{255, 0, 0, 255})) << "opaque texels keep their colour";
    EXPECT_EQ(TexelAt(t, 5, 0), (Texel{0, 0, 0, 0})) << "no opaque neighbour";
    EXPECT_EQ(TexelAt(t, 1, 4), (Texel{0, 0, 0, 0})) << "border pixels are not bled from";

    BmpTexture font;
    ASSERT_EQ(Decode(file, font, 0), BmpStatus::Ok);
    for (int i = 0; i < 8 * 8; ++i) {
        const Texel tx = TexelAt(font, i % 8, i / 8);
        if (tx[3] == 0) {
            EXPECT_EQ(tx, (Texel{0, 0, 0, 0})) << "no bleeding with a black key";
        }
    }
}

TEST(BmpDecode, TextureSidesArePowersOfTwoOfAtLeastTwoAndLargePicturesAreCut) {
    BmpTexture t;
    ASSERT_EQ(Decode(bmptest::SolidBmp(100, 50, Rgb(1, 2, 3)), t), BmpStatus::Ok);
    EXPECT_EQ((std::array{t.textureWidth, t.textureHeight}), (std::array{128, 64}));
    ASSERT_EQ(Decode(bmptest::SolidBmp(1, 1, Rgb(1, 2, 3)), t), BmpStatus::Ok);
    EXPECT_EQ((std::array{t.textureWidth, t.textureHeight}), (std::array{2, 2}));
    EXPECT_EQ(TexelAt(t, 0, 0), Opaque(Rgb(1, 2, 3)));
    EXPECT_EQ(TexelAt(t, 1, 1), (Texel{0, 0, 0, 0}));

    // Beyond the limit only the lower-left part is kept.
    ASSERT_EQ(Decode(MakeBmp({6, 5, 24, 0, {}}, Pattern), t, kSpriteColourKey, 4), BmpStatus::Ok);
    EXPECT_EQ((std::array{t.imageWidth, t.imageHeight, t.textureWidth, t.textureHeight}), (std::array{4, 4, 4, 4}));
    EXPECT_EQ(t.texels.size(), 4u * 4u * 4u);
    EXPECT_EQ(TexelAt(t, 3, 3), Opaque(Pattern(3, 3)));
}

// 4- and 16-bit files keep their sizes in the slot: see the headless sprite tests.
TEST(BmpDecode, CompressedFilesAreUnsupportedAndKeepSizesWithoutTexels) {
    BmpTexture rle;
    EXPECT_EQ(Decode(MakeBmp({5, 3, 8, 1, {0, 1}}, [](int, int) { return 0u; }), rle), BmpStatus::UnsupportedFormat);
    EXPECT_EQ((std::array{rle.imageWidth, rle.imageHeight, rle.textureWidth, rle.textureHeight}),
              (std::array{5, 3, 8, 4}));
    EXPECT_TRUE(rle.texels.empty());
}

TEST(BmpDecode, TruncatedOrInconsistentFilesAreNotBmps) {
    const auto good = MakeBmp({3, 4, 24, 0, {}}, Pattern);
    auto changed = [&](std::initializer_list<std::pair<size_t, uint8_t>> bytes, size_t cut = 0) {
        auto f = good;
        for (auto [at, v] : bytes) f[at] = v;
        f.resize(f.size() - cut);
        return f;
    };
    auto withSize = [&](int32_t w, int32_t h) {
        auto f = good;
        for (int i = 0; i < 4; ++i) {
            f[18 + i] = uint8_t(uint32_t(w) >> (8 * i));
            f[22 + i] = uint8_t(uint32_t(h) >> (8 * i));
        }
        return f;
    };
    BmpTexture t;
    // The last row without its padding still decodes.
    EXPECT_EQ(Decode(changed({}, 3), t), BmpStatus::Ok);
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> bad = {
        {"cut into the last row", changed({}, 4)},
        {"signature", changed({{1, 'X'}})},
        {"offset beyond the end", changed({{10, 0xff}, {11, 0xff}})},
        {"offset inside the header", changed({{10, 20}})},
        {"huge info header", changed({{17, 0xff}})},
        {"zero width", withSize(0, 4)},
        {"zero height", withSize(3, 0)},
        // Sizes far beyond the data fail before anything is allocated for them.
        {"most negative sizes", withSize(INT32_MIN, INT32_MIN)},
        {"largest sizes", withSize(0x7fffffff, 0x7fffffff)},
    };
    for (const auto& [what, file] : bad) {
        EXPECT_EQ(Decode(file, t), BmpStatus::NotBmp) << what;
        EXPECT_TRUE(t.texels.empty()) << what;
    }
    EXPECT_EQ(DecodeBmp(good.data(), 20, kSpriteColourKey, kDefaultTextureLimit, t), BmpStatus::NotBmp);
    EXPECT_EQ(DecodeBmp(nullptr, 0, kSpriteColourKey, kDefaultTextureLimit, t), BmpStatus::NotBmp);
}

TEST(MipLevels, HalveDownToOneByOneWithWeightedSmoothing) {
    // 2 x 2 -> 1 x 1: weights 4, 2, 2, 1 over (0,0), (1,0), (0,1), (1,1).
    std::vector<uint8_t> px = {90, 0, 0, 255, 0, 90, 0, 255, 0, 0, 90, 0, 9, 9, 9, 9};
    int w = 2, h = 2;
    ASSERT_TRUE(ShrinkToNextMipLevel(px.data(), w, h));
    EXPECT_EQ(w * 10 + h, 11);
    EXPECT_EQ((Texel{px[0], px[1], px[2], px[3]}), (Texel{41, 21, 21, 171}));
    EXPECT_FALSE(ShrinkToNextMipLevel(px.data(), w, h));

    // One texel wide or high: 2 and 1 out of 3 with the next texel along the long side.
    for (const auto& [sw, sh] : {std::pair{1, 2}, std::pair{2, 1}}) {
        std::vector<uint8_t> line = {30, 0, 0, 0, 60, 0, 0, 0};
        w = sw, h = sh;
        ASSERT_TRUE(ShrinkToNextMipLevel(line.data(), w, h));
        EXPECT_EQ(w * h, 1);
        EXPECT_EQ(line[0], 40);
    }

    // A uniform 64 x 4 texture stays uniform down to 1 x 1, in 7 levels.
    std::vector<uint8_t> flat(64 * 4 * 4);
    for (size_t i = 0; i < flat.size(); i += 4) flat[i] = 200, flat[i + 1] = 100, flat[i + 2] = 50, flat[i + 3] = 255;
    int levels = 1;
    for (w = 64, h = 4; ShrinkToNextMipLevel(flat.data(), w, h); ++levels) {
        for (const uint8_t* p = flat.data(); p < flat.data() + w * h * 4; p += 4)
            ASSERT_EQ((Texel{p[0], p[1], p[2], p[3]}), Opaque(Rgb(200, 100, 50))) << "level " << levels;
    }
    EXPECT_EQ(levels, 7);   // 64x4, 32x2, 16x1, 8x1, 4x1, 2x1, 1x1
}

TEST(BuiltinFont, GlyphsExistOnlyForPrintableCodesAndAreDistinct) {
    std::set<uint32_t> seen;
    for (int code : {-1, 0, 31, 32, 128}) EXPECT_EQ(BuiltinGlyphMask(code), 0u) << code;
    for (int code = 33; code < 128; ++code) {
        const uint32_t m = BuiltinGlyphMask(code);
        EXPECT_NE(m, 0u) << code;
        EXPECT_LT(m, 1u << 30) << code;
        EXPECT_TRUE(seen.insert(m).second) << "glyph of " << code << " repeats another";
    }
}

TEST(BuiltinFont, PictureHasWhiteGlyphsWithDarkOutlineInSevenByEightCells) {
    const auto texels = BuildBuiltinFontTexels();
    ASSERT_EQ(texels.size(), size_t(kBuiltinFontTextureWidth) * kBuiltinFontTextureHeight * 4);
    // Picture pixel (px, py) from the top-left lives in texture row 63 - py.
    auto at = [&](int px, int py) {
        const uint8_t* p = texels.data() + (size_t(63 - py) * kBuiltinFontTextureWidth + px) * 4;
        return Texel{p[0], p[1], p[2], p[3]};
    };
    const int cellX = ('T' % 16) * 7, cellY = ('T' / 16) * 8;
    const Texel white{255, 255, 255, 255}, outline{8, 8, 8, 255};
    // 'T': the top bar is glyph row 0, drawn one pixel in from the cell corner.
    for (int gx = 0; gx < 5; ++gx) EXPECT_EQ(at(cellX + 1 + gx, cellY + 1), white);
    EXPECT_EQ(at(cellX, cellY), outline) << "outline around the bar";
    EXPECT_EQ(at(cellX + 1, cellY + 3), (Texel{0, 0, 0, 0})) << "away from the glyph";
    EXPECT_EQ(at(cellX + 3, cellY + 5), white) << "stem";
    EXPECT_EQ(at(cellX + 3, cellY + 6), outline) << "outline below the stem";
    // Nothing outside the 112-pixel picture, nothing for codes below 33.
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 128; ++x) {
            if (x >= 112 || y < 16 || (y < 24 && x < 7)) {
                ASSERT_EQ(at(x, y)[3], 0) << x << "," << y;
            }
        }
    }
}
