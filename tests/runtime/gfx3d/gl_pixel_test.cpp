// Drawing with real OpenGL under Xvfb: where models land, the effect light's shading
// bands and outline.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <string>

#include "model_fixtures.h"
#include "runtime/frame/frame.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx3d/engine.h"
#include "tests/runtime/gfx2d/bmp_builder.h"
#include "tests/support/gl_test.h"

namespace {

// Text-form model of one white rectangle x0..x1, y0..y1 at z = 0, wound clockwise seen
// from +z (so it faces +z).
std::string Rectangle(float x0, float y0, float x1, float y1) {
    return "KMOA 1 4 0 0 0 1 1 1 1 0 1 255 255 255 4 0 0 1 1 2 2 3 3 1 4 " + std::to_string(x0) + " " +
           std::to_string(y0) + " 0 " + std::to_string(x0) + " " + std::to_string(y1) + " 0 " + std::to_string(x1) +
           " " + std::to_string(y1) + " 0 " + std::to_string(x1) + " " + std::to_string(y0) + " 0";
}

// A cube of half size 1 with outward faces wound clockwise seen from outside.
std::string Cube(const char* rgb) {
    std::string t = "KMOA 1 8";
    for (int k = 0; k < 8; ++k) t += " 0 0";
    t += " 6";
    const int faces[6][4] = {{6, 7, 5, 4}, {1, 3, 2, 0}, {5, 7, 3, 1}, {2, 6, 4, 0}, {3, 7, 6, 2}, {4, 5, 1, 0}};
    for (const auto& f : faces) {
        t += std::string(" ") + rgb + " 4";
        for (int c : f) t += " " + std::to_string(c) + " " + std::to_string(c);
    }
    t += " 1 8";
    for (int k = 0; k < 8; ++k) t += std::string(k & 1 ? " 1" : " -1") + (k & 2 ? " 1" : " -1") + (k & 4 ? " 1" : " -1");
    return t;
}

void Load(const std::string& text, int slot) {
    const std::string path = ScratchPath("pixel" + std::to_string(slot) + ".kmoa");
    WriteBytes(path, text);
    LoadObject(path, slot);
    ASSERT_GT(GetObjectFrames(slot), 0);
}

class GlPixelTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped()) return;
        SetViewport(0, 0, 0, 0);
        glClearColor(0, 0, 0.5f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        SetLight(-2, 0, 0, 0, 0, 0, 0, 0, 0);
    }
    static bool IsBackground(Rgba c) { return c.r == 0 && c.g == 0 && c.b >= 120 && c.b <= 135; }
};

// fov 45 at distance 10: 300 / (10 tan 22.5°) pixels per unit at z = 0.
constexpr double kPixelsPerUnit = 300 / 4.142135623730951;
int ScreenX(double x) { return int(400 + x * kPixelsPerUnit); }
int ScreenY(double y) { return int(300 - y * kPixelsPerUnit); }

}  // namespace

TEST_F(GlPixelTest, TexturedModelLandsWhereMovementAndRotationPutIt) {
    const std::string bmp = ScratchPath("green.bmp");
    bmptest::WriteFile(bmp, bmptest::SolidBmp(4, 4, bmptest::Rgb(0, 255, 0)));
    LoadSprite(bmp, 20);
    Load(Rectangle(0, -0.25f, 2, 0.25f), 30);   // long along +x
    Make3D(1, 1000, 45);
    SetCamera(0, 0, 10, 0, 0, 0);
    SetTexture(20, -1);
    SetMovement(-1, 0, 0);
    AddRotation(90, 0, 0, 1);                    // now long along +y, at x = -1
    DrawObject(30, 0);
    EXPECT_EQ(ReadPixel(ScreenX(-1), ScreenY(1.5)), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(ReadPixel(ScreenX(-1), ScreenY(0.1)), (Rgba{0, 255, 0, 255}));
    EXPECT_TRUE(IsBackground(ReadPixel(ScreenX(-1), ScreenY(2.2))));
    EXPECT_TRUE(IsBackground(ReadPixel(ScreenX(-0.6), ScreenY(1))));
    EXPECT_TRUE(IsBackground(ReadPixel(ScreenX(0.5), ScreenY(0))));   // where it was before turning
}

TEST_F(GlPixelTest, EffectLightShadesPaletteColoursInBandsAndOutlinesWhileCulling) {
    Load(Cube("200 0 0"), 33);
    Make3D(1, 1000, 45);
    SetCamera(0, 0, 10, 0, 0, 0);
    SetTexture(-1, -1);
    SetLight(-2, 0xFFFFFF, 0, 0, 100, 0, 0, 0, 100);   // in front: full band
    SetMovement(-2, 0, 0);
    DrawObject(33, 0);
    SetLight(-2, 0xFFFFFF, 0, 0, -100, 0, 0, 0, 100);  // behind: dark band
    SetMovement(2, 0, 0);
    DrawObject(33, 0);
    const Rgba lit = ReadPixel(ScreenX(-2 * 10 / 11.0), 300);
    const Rgba dark = ReadPixel(ScreenX(2 * 10 / 11.0), 300);
    EXPECT_NEAR(lit.r, 200, 3);
    // The darkest shade, 0.05 across the ramp, filters between its first two texels.
    EXPECT_NEAR(dark.r, (0.7 * 100 + 0.3 * 160) * 200 / 255, 3);
    EXPECT_EQ(lit.g, 0);

    // With culling on, a black outline runs around the silhouette.
    glClearColor(0, 0, 0.5f, 1);   // Make3D made it black
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SetCamera(0, 0, 10, 0, 0, 0);
    SetCullMode(1);
    DrawObject(33, 0);
    const int edge = ScreenX(1 * 10 / 9.0);   // the cube's front face reaches x = 1 at z = 1
    bool outline = false;
    for (int x = edge - 1; x <= edge + 3; ++x) outline = outline || ReadPixel(x, 300) == Rgba{0, 0, 0, 255};
    EXPECT_TRUE(outline);
    EXPECT_TRUE(IsBackground(ReadPixel(edge + 8, 300)));
}
