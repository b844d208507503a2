// Sprite and font slots without an OpenGL context: sizes, kept texels and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx2d/draw2d.h"
#include "runtime/gfx2d/sprites.h"
#include "tests/runtime/gfx2d/bmp_builder.h"
#include "tests/support/headless.h"

using bmptest::Rgb;

namespace {

class HeadlessSprites : public HeadlessTest {
protected:
    void SetUp() override {
        InstallStartupScreen();
        HeadlessTest::SetUp();
        dir_ = std::filesystem::path(::testing::TempDir()) / "gfx2d_sprites";
        std::filesystem::create_directories(dir_);
    }

    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = (dir_ / name).string();
        bmptest::WriteFile(path, bytes);
        return path;
    }

    static std::array<Number, 4> Sizes(Number slot) {
        std::array<Number, 4> s{};
        GetSpriteSize(slot, s[0], s[1]);
        GetSpriteTextureSize(slot, s[2], s[3]);
        return s;
    }

    std::filesystem::path dir_;
};

using Sizes4 = std::array<Number, 4>;

}  // namespace

TEST_F(HeadlessSprites, LoadRecordsSizesAndKeepsTexelsWithoutGraphics) {
    ASSERT_FALSE(GraphicsAvailable());
    EXPECT_EQ(Sizes(7), (Sizes4{0, 0, 0, 0})) << "never loaded";
    const auto file = Write("a.bmp", bmptest::MakeBmp({100, 50, 24, 0, {}}, [](int x, int row) {
        return row == 49 && x == 0 ? Rgb(1, 2, 3) : uint32_t(kSpriteColourKey);
    }));
    LoadSprite(file, 7);
    EXPECT_EQ(Sizes(7), (Sizes4{100, 50, 128, 64}));
    EXPECT_EQ(GetSpriteTextureName(7, 0), 0);
    const std::vector<uint8_t>* texels = GetSpriteTexels(7);
    ASSERT_NE(texels, nullptr);
    ASSERT_EQ(texels->size(), 128u * 64u * 4u);
    // The file's last row is the picture's top row, texture row 49.
    const size_t topLeft = size_t(49) * 128 * 4;
    EXPECT_EQ((*texels)[topLeft + 2], 3);
    EXPECT_EQ((*texels)[topLeft + 3], 255);
    EXPECT_EQ((*texels)[3], 0) << "the colour key is transparent";
}

TEST_F(HeadlessSprites, MissingFileKeepsThePictureAndNonBmpEmptiesTheSlot) {
    const auto good = Write("good.bmp", bmptest::SolidBmp(3, 5, Rgb(9, 9, 9)));
    LoadSprite(good, 12);
    ASSERT_EQ(Sizes(12), (Sizes4{3, 5, 4, 8}));

    LoadSprite((dir_ / "no_such.bmp").string(), 12);
    EXPECT_EQ(Sizes(12), (Sizes4{3, 5, 4, 8}));
    EXPECT_NE(GetSpriteTexels(12), nullptr);

    const auto text = Write("text.bmp", {'h', 'e', 'l', 'l', 'o'});
    LoadSprite(text, 12);
    EXPECT_EQ(Sizes(12), (Sizes4{3, 5, -1, -1})) << "freed; the picture size stays";
    EXPECT_EQ(GetSpriteTexels(12), nullptr);

    auto truncated = bmptest::SolidBmp(3, 5, Rgb(9, 9, 9));
    truncated.resize(truncated.size() - 13);
    LoadSprite(good, 12);
    LoadSprite(Write("truncated.bmp", truncated), 12);
    EXPECT_EQ(Sizes(12), (Sizes4{3, 5, -1, -1}));

    // A directory opens for reading on some systems but is no picture.
    LoadSprite(good, 12);
    EXPECT_EQ(LoadBmpToSlot(12, dir_.string(), kSpriteColourKey), 0);
    EXPECT_EQ(Sizes(12), (Sizes4{3, 5, -1, -1}));
}

TEST_F(HeadlessSprites, UnsupportedDepthLeavesNoTexturesButAllFourSizes) {
    for (int bits : {4, 16}) {
        LoadSprite(Write("deep.bmp", bmptest::MakeBmp({5, 3, bits, 0, {}}, [](int, int) { return 0u; })), 20);
        EXPECT_EQ(Sizes(20), (Sizes4{5, 3, 8, 4})) << bits;
        EXPECT_EQ(GetSpriteTexels(20), nullptr);
        EXPECT_EQ(GetSpriteTextureName(20, 0), 0);
    }
    EXPECT_EQ(LoadBmpToSlot(20, Write("deep.bmp", bmptest::SolidBmp(2, 2, 0, 16)), kSpriteColourKey), 0);
}

TEST_F(HeadlessSprites, FreeMarksTexturesGoneAndOutOfRangeSlotsAreIgnored) {
    const auto file = Write("b.bmp", bmptest::SolidBmp(6, 2, Rgb(1, 1, 1)));
    LoadSprite(file, 4079);
    FreeSprite(4079);
    EXPECT_EQ(Sizes(4079), (Sizes4{6, 2, -1, -1}));
    EXPECT_EQ(GetSpriteTexels(4079), nullptr);

    LoadSprite(file, 4096);
    LoadSprite(file, -1);
    FreeSprite(99999);
    DrawSprite(-5, 0, 0);
    EXPECT_EQ(Sizes(4096), (Sizes4{0, 0, 0, 0}));
    EXPECT_EQ(Sizes(-1), (Sizes4{0, 0, 0, 0}));
    EXPECT_EQ(GetSpriteTexels(1e12), nullptr);
    LoadSprite(file, 4.9);   // truncated to slot 4
    EXPECT_EQ(Sizes(4), (Sizes4{6, 2, 8, 2}));
}

TEST_F(HeadlessSprites, StartupInstallsTheBuiltinFontAndFontsLoadFromPictures) {
    // The start-up screen put the built-in font in font slot 0.
    auto fontSize = [] {
        Number w = 0, h = 0;
        GetFontSize(w, h);
        return std::array{GetCurrentFont(), w, h};
    };
    SetFont(0);
    EXPECT_EQ(fontSize(), (std::array<Number, 3>{0, 7, 8}));
    EXPECT_EQ(Sizes(kFirstFontSlot), (Sizes4{112, 64, 128, 64}));
    LoadFont(Write("font.bmp", bmptest::SolidBmp(256, 128, 0)), 3);
    EXPECT_EQ(fontSize(), (std::array<Number, 3>{3, 16, 16}));
    LoadFont("", 20);   // clamped to 15; no file: the built-in font
    EXPECT_EQ(fontSize(), (std::array<Number, 3>{15, 7, 8}));

    for (const auto& [asked, used] : {std::pair{-1.0, 0.0}, {20.0, 15.0}, {3.7, 3.0}}) {
        SetFont(asked);
        EXPECT_EQ(GetCurrentFont(), used) << asked;
    }
}

TEST_F(HeadlessSprites, DamagedFontFileFallsBackToTheBuiltinFontWithALogLine) {
    const auto good = Write("font.bmp", bmptest::SolidBmp(256, 128, 0));
    const auto text = Write("guifont.bmp", {'n', 'o', 'p', 'e'});
    const auto deep = Write("deep_font.bmp", bmptest::SolidBmp(32, 16, 0, 16));
    for (const auto& damaged : {text, deep}) {
        LoadFont(good, 1);
        LoadFont(damaged, 1);   // returns: the program goes on
        Number w = 0, h = 0;
        GetFontSize(w, h);
        EXPECT_EQ((std::array{GetCurrentFont(), w, h}), (std::array<Number, 3>{1, 7, 8})) << damaged;
        const auto log = ErrorLogLines();
        EXPECT_NE(std::find(log.begin(), log.end(), "Font not loadable: " + damaged), log.end()) << damaged;
    }
}

TEST_F(HeadlessSprites, AlphaModeSetsTheCappedDrawAlphaAndFlipResetsIt) {
    for (const auto& [mode, alpha] : {std::pair{-0.5, 0.5}, {0.25, 0.25}, {2.0, 1.0}, {-7.0, 1.0}, {0.0, 1.0}}) {
        SetAlphaMode(0.4);
        SetAlphaMode(mode);
        EXPECT_DOUBLE_EQ(GetDrawAlpha(), alpha) << mode;
    }
    SetAlphaMode(-0.3);
    FlipScreen();
    EXPECT_DOUBLE_EQ(GetDrawAlpha(), 1.0);
}
