// Sprite and font slots without an OpenGL context: sizes, kept texels and failures.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>

#include "runtime/gfx2d/draw2d.h"
#include "runtime/gfx2d/sprites.h"
#include "tests/runtime/gfx2d/bmp_builder.h"
#include "tests/support/headless.h"

using bmptest::Rgb;

namespace {

using Sizes4 = std::array<Number, 4>;

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
    // Picture width and height, then texture width and height.
    static Sizes4 Sizes(Number slot) {
        Sizes4 s{};
        GetSpriteSize(slot, s[0], s[1]);
        GetSpriteTextureSize(slot, s[2], s[3]);
        return s;
    }
    std::filesystem::path dir_;
};

TEST_F(HeadlessSprites, SlotsKeepTheirPictureUnlessTheNewFileExists) {
    EXPECT_EQ(Sizes(7), (Sizes4{0, 0, 0, 0})) << "never loaded";
    LoadSprite(Write("a.bmp", bmptest::SolidBmp(100, 50, Rgb(1, 2, 3))), 7.9);
    EXPECT_EQ(Sizes(7), (Sizes4{100, 50, 128, 64}));
    ASSERT_NE(GetSpriteTexels(7), nullptr);

    LoadSprite((dir_ / "no_such.bmp").string(), 7);
    EXPECT_EQ(Sizes(7), (Sizes4{100, 50, 128, 64})) << "a missing file changes nothing";
    auto truncated = bmptest::SolidBmp(3, 5, Rgb(9, 9, 9));
    truncated.resize(truncated.size() - 13);
    for (const auto& bad : {Write("text.bmp", {'h', 'i'}), Write("cut.bmp", truncated)}) {
        LoadSprite(Write("good.bmp", bmptest::SolidBmp(3, 5, Rgb(9, 9, 9))), 12);
        LoadSprite(bad, 12);
        EXPECT_EQ(Sizes(12), (Sizes4{3, 5, -1, -1})) << bad << ": freed, the picture size stays";
        EXPECT_EQ(GetSpriteTexels(12), nullptr);
    }
    LoadSprite(Write("deep.bmp", bmptest::SolidBmp(5, 3, 0, 16)), 20);
    EXPECT_EQ(Sizes(20), (Sizes4{5, 3, 8, 4})) << "an unsupported depth: sizes without textures";
    EXPECT_EQ(GetSpriteTexels(20), nullptr);

    LoadSprite(Write("b.bmp", bmptest::SolidBmp(6, 2, Rgb(1, 1, 1))), 4079);
    FreeSprite(4079);
    EXPECT_EQ(Sizes(4079), (Sizes4{6, 2, -1, -1}));
    for (Number slot : {4096.0, -1.0}) {
        LoadSprite(Write("b.bmp", bmptest::SolidBmp(6, 2, Rgb(1, 1, 1))), slot);
        EXPECT_EQ(Sizes(slot), (Sizes4{0, 0, 0, 0})) << slot;
    }
}

TEST_F(HeadlessSprites, FontsComeFromPicturesOrTheBuiltInFontAndFlipResetsTheAlpha) {
    auto font = [] {
        Number w = 0, h = 0;
        GetFontSize(w, h);
        return std::array{GetCurrentFont(), w, h};
    };
    SetFont(0);
    EXPECT_EQ(font(), (std::array<Number, 3>{0, 7, 8})) << "start-up installs the built-in font";
    EXPECT_EQ(Sizes(4080), (Sizes4{112, 64, 128, 64}));
    LoadFont(Write("font.bmp", bmptest::SolidBmp(256, 128, 0)), 3);
    EXPECT_EQ(font(), (std::array<Number, 3>{3, 16, 16}));
    EXPECT_EQ(Sizes(4083), (Sizes4{256, 128, 256, 128}));
    LoadFont("", 20);
    EXPECT_EQ(font(), (std::array<Number, 3>{15, 7, 8}));
    for (const auto& [asked, used] : {std::pair{-1.0, 0.0}, {20.0, 15.0}, {3.7, 3.0}}) {
        SetFont(asked);
        EXPECT_EQ(GetCurrentFont(), used) << asked;
    }
    // A damaged font file falls back to the built-in font with a log line; the program goes on.
    const auto good = Write("font.bmp", bmptest::SolidBmp(256, 128, 0));
    for (const auto& damaged :
         {Write("guifont.bmp", {'n', 'o', 'p', 'e'}), Write("deep_font.bmp", bmptest::SolidBmp(32, 16, 0, 16))}) {
        LoadFont(good, 1);
        LoadFont(damaged, 1);
        Number w = 0, h = 0;
        GetFontSize(w, h);
        EXPECT_EQ((std::array{GetCurrentFont(), w, h}), (std::array<Number, 3>{1, 7, 8})) << damaged;
        const auto log = ErrorLogLines();
        EXPECT_NE(std::find(log.begin(), log.end(), "Font not loadable: " + damaged), log.end()) << damaged;
    }

    for (const auto& [mode, alpha] : {std::pair{-7.0, 1.0}, {0.0, 1.0}}) {
        SetAlphaMode(0.4);
        SetAlphaMode(mode);
        EXPECT_DOUBLE_EQ(GetDrawAlpha(), alpha) << mode;
    }
    SetAlphaMode(-0.3);
    FlipScreen();
    EXPECT_DOUBLE_EQ(GetDrawAlpha(), 1.0);
}

}  // namespace
