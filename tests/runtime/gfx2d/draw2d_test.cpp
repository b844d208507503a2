// Pixels drawn on the real OpenGL path, read back from the back buffer.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <array>

#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx2d/draw2d.h"
#include "runtime/gfx2d/sprites.h"
#include "tests/runtime/gfx2d/bmp_builder.h"
#include "tests/support/gl_test.h"

using bmptest::Rgb;

namespace {

const Rgba kBlack{0, 0, 0, 255};

class Draw2D : public GlTest {
protected:
    void SetUp() override {
        InstallStartupScreen();
        GlTest::SetUp();
        if (IsSkipped()) return;
        AllowMultitexture(true);
        SetViewport(0, 0, 0, 0);
        SetAlphaMode(0);
        SetFont(0);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void TearDown() override { AllowMultitexture(true); }

    static std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        const std::string path = ::testing::TempDir() + "draw2d_" + name;
        bmptest::WriteFile(path, bytes);
        return path;
    }

    static Rgba Colour(uint32_t packed) {
        return Rgba{uint8_t(packed & 255), uint8_t((packed >> 8) & 255), uint8_t(packed >> 16), 255};
    }

    // The set of pixels in the box that are not black, as a text picture, to compare shapes.
    static std::string Shape(int x0, int y0, int x1, int y1) {
        std::string s;
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) s += ReadPixel(x, y) == kBlack ? '.' : '#';
            s += '\n';
        }
        return s;
    }
};

bool Near(const Rgba& a, const Rgba& b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

}  // namespace

const uint32_t kMagenta = Rgb(255, 0, 128);

TEST_F(Draw2D, RectanglesAndLinesCoverBothEndPixels) {
    DrawRectCorners(10, 10, 10, 10, Rgb(255, 255, 255));
    EXPECT_EQ(Shape(8, 8, 12, 12), ".....\n.....\n..#..\n.....\n.....\n") << "equal corners: one pixel";
    const double corners[4][4] = {{20, 5, 10, 8}, {10, 8, 20, 5}, {10, 5, 20, 8}, {20, 8, 10, 5}};
    for (const auto& c : corners) {
        glClear(GL_COLOR_BUFFER_BIT);
        DrawRectCorners(c[0], c[1], c[2], c[3], Rgb(0, 200, 0));
        EXPECT_EQ(Shape(9, 4, 21, 9), ".............\n.###########.\n.###########.\n.###########.\n.###########.\n.............\n")
            << c[0] << "," << c[1] << "," << c[2] << "," << c[3];
        EXPECT_EQ(ReadPixel(15, 6), Colour(Rgb(0, 200, 0)));
    }
    glClear(GL_COLOR_BUFFER_BIT);
    DrawLine(10, 20, 30, 20, Rgb(255, 0, 0));
    DrawLine(50, 40, 50, 30, Rgb(0, 0, 255));   // upwards
    DrawLine(60, 60, 66, 66, Rgb(0, 255, 0));
    const int cases[][3] = {{10, 20, 1}, {30, 20, 1}, {9, 20, 0}, {31, 20, 0}, {20, 19, 0}, {20, 21, 0},
                            {50, 30, 1}, {50, 35, 1}, {50, 40, 1}, {50, 29, 0}, {50, 41, 0}, {66, 66, 1}, {67, 67, 0}};
    for (const auto& c : cases) EXPECT_EQ(ReadPixel(c[0], c[1]) != kBlack, c[2] == 1) << c[0] << "," << c[1];
}

TEST_F(Draw2D, SpritesDrawUnscaledTopRowFirstAndAlphaModesBlendHalfAddedOrOpaque) {
    const uint32_t texel = Rgb(200, 100, 40);
    LoadSprite(Write("solid.bmp", bmptest::SolidBmp(8, 8, texel)), 30);
    auto drawAt = [&](Number alphaMode, int x) {
        SetAlphaMode(0);
        DrawRectCorners(x, 0, x + 9, 9, Rgb(100, 100, 100));
        SetAlphaMode(alphaMode);
        DrawSprite(30, x, 0);
        DrawRectCorners(x, 0, x + 1, 1, kMagenta);
        SetAlphaMode(0);
        return ReadPixel(x + 4, 4);
    };
    EXPECT_EQ(drawAt(0, 0), Colour(texel));
    // Half transparent: the texture is scaled by the colour (0.5) and blended with alpha 0.5.
    EXPECT_TRUE(Near(drawAt(-0.5, 20), Rgba{100 / 2 + 50, 50 / 2 + 50, 20 / 2 + 50, 255}));
    EXPECT_TRUE(Near(drawAt(0.5, 40), Rgba{200, 150, 120, 255})) << "added at half strength";
    EXPECT_TRUE(Near(drawAt(2, 60), Rgba{255, 200, 140, 255})) << "capped at 1: full addition";
    EXPECT_EQ(ReadPixel(20, 0), ReadPixel(22, 2)) << "magenta primitives leave what is below";

    // File rows are bottom-up: the last row written is the picture's top row.
    const auto file = bmptest::MakeBmp({3, 2, 24, 0, {}}, [](int x, int row) -> uint32_t {
        if (row == 1) return x == 1 ? kMagenta : Rgb(250, 0, 0);
        return Rgb(0, 0, 250);
    });
    LoadSprite(Write("keyed.bmp", file), 31);
    LoadSprite(Write("one.bmp", bmptest::SolidBmp(1, 1, Rgb(255, 255, 0))), 32);
    DrawRectCorners(0, 0, 60, 60, Rgb(0, 90, 0));
    DrawSprite(31, 10, 20);
    DrawSprite(32, 40, 40);
    const std::pair<std::array<int, 2>, uint32_t> expected[] = {
        {{10, 20}, Rgb(250, 0, 0)}, {{12, 20}, Rgb(250, 0, 0)}, {{11, 20}, Rgb(0, 90, 0)}, {{11, 21}, Rgb(0, 0, 250)},
        {{13, 20}, Rgb(0, 90, 0)},  {{11, 22}, Rgb(0, 90, 0)},  {{40, 40}, Rgb(255, 255, 0)},
        {{41, 40}, Rgb(0, 90, 0)},  {{40, 41}, Rgb(0, 90, 0)}};
    for (const auto& [at, colour] : expected) EXPECT_EQ(ReadPixel(at[0], at[1]), Colour(colour)) << at[0] << "," << at[1];
}

TEST_F(Draw2D, FontsPrintCellsOneCellWidthApartWithHighBytesFolded) {
    Number w = 0, h = 0;
    GetFontSize(w, h);
    ASSERT_EQ(std::pair(w, h), (std::pair<Number, Number>(7, 8)));
    const Rgba white{255, 255, 255, 255}, outline{8, 8, 8, 255}, ground = Colour(Rgb(0, 0, 120));
    DrawRectCorners(0, 0, 200, 100, Rgb(0, 0, 120));
    PrintText("TT", 49.2, 50);   // x rounds up to 50
    for (int x : {50, 57}) {
        EXPECT_EQ(ReadPixel(x + 1, 51), white) << x << " bar";
        EXPECT_EQ(ReadPixel(x, 50), outline) << x;
        EXPECT_EQ(ReadPixel(x + 3, 56), outline) << x << " below the stem";
        EXPECT_EQ(ReadPixel(x + 1, 54), ground) << x << " clear pixels show through";
    }
    EXPECT_EQ(ReadPixel(50 + 14, 51), ground) << "only two cells";

    // 256 x 128: cells of 16 x 16. Each cell has one white pixel whose place encodes the
    // code: column (code % 16), row 1 + code / 16 % 8 within the cell.
    const auto file = bmptest::MakeBmp({256, 128, 24, 0, {}}, [](int x, int fileRow) -> uint32_t {
        const int y = 127 - fileRow;
        const int code = (y / 16) * 16 + x / 16;
        if (x % 16 == code % 16 && y % 16 == 1 + code / 16) return Rgb(255, 255, 255);
        if (x % 16 == 15 && y % 16 == 15) return kMagenta;   // opaque in fonts
        return 0;
    });
    LoadFont(Write("big.bmp", file), 2);
    DrawRectCorners(0, 0, 300, 100, Rgb(0, 60, 0));
    const unsigned char bytes[] = {'A', 'B', 200, 128, 0};
    PrintText(StrValue(reinterpret_cast<const char*>(bytes)), 10, 20);
    auto codeAt = [&](int cell, int code) { return ReadPixel(10 + 16 * cell + code % 16, 21 + code / 16) == white; };
    EXPECT_TRUE(codeAt(0, 'A') && codeAt(1, 'B'));
    EXPECT_TRUE(codeAt(2, 56)) << "byte 200 shows glyph 56";
    EXPECT_TRUE(codeAt(3, 0)) << "byte 128 shows glyph 0";
    EXPECT_EQ(ReadPixel(10 + 15, 20 + 15), Colour(kMagenta)) << "magenta is opaque in fonts";
    EXPECT_EQ(ReadPixel(10 + 3, 20 + 8), Colour(Rgb(0, 60, 0))) << "black is transparent";
    EXPECT_EQ(ReadPixel(10 + 16 * 4 + 15, 20 + 15), Colour(Rgb(0, 60, 0))) << "four cells only";
    SetFont(0);
}

TEST_F(Draw2D, PolygonFansMapPicturePixels) {
    const auto file = bmptest::MakeBmp({4, 2, 24, 0, {}}, [](int x, int row) {
        return Rgb(50 * x + 10, row == 1 ? 200 : 0, 0);   // row 1 is the top row
    });
    LoadSprite(Write("poly.bmp", file), 34);
    StartPolygon(34);
    PolygonVertex(50, 10, 0, 0, Rgb(255, 255, 255));
    PolygonVertex(50, 12, 0, 2, Rgb(255, 255, 255));
    PolygonVertex(54, 12, 4, 2, Rgb(255, 255, 255));
    PolygonVertex(54, 10, 4, 0, Rgb(255, 255, 255));
    EndPolygon();
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(ReadPixel(50 + x, 10), Colour(Rgb(50 * x + 10, 200, 0))) << x;
        EXPECT_EQ(ReadPixel(50 + x, 11), Colour(Rgb(50 * x + 10, 0, 0))) << x;
    }
}

TEST_F(Draw2D, SpriteNamesOfAnEarlierContextAreForgottenInANewOne) {
    LoadSprite(Write("red.bmp", bmptest::SolidBmp(2, 2, Rgb(250, 0, 0))), 33);
    ASSERT_NE(GetSpriteTextureName(33, 0), 0);
    StopRuntime();
    // Without the start-up screen nothing else tells the slots that their context is gone.
    SetStartupScreenHook(nullptr);
    ASSERT_TRUE(StartGlRuntime());
    LoadSprite(Write("green.bmp", bmptest::SolidBmp(2, 2, Rgb(0, 250, 0))), 34);
    // Deleting or binding the old name could hit a texture of the new context.
    EXPECT_EQ(GetSpriteTextureName(33, 0), 0);
    EXPECT_NE(GetSpriteTextureName(34, 0), 0);
}
