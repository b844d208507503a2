// Tests that draw with real OpenGL: the runtime on the SDL platform, started once per
// test program (x11 under Xvfb; SDL's offscreen driver when there is no DISPLAY).
//
// Draw, then ReadPixel before FlipScreen (the back buffer is read; after the swap it
// is undefined). Tests are skipped when no OpenGL window can be made.
#pragma once

#include <cstdint>

#include <gtest/gtest.h>

#include "runtime/frame/frame.h"

struct Rgba {
    uint8_t r = 0, g = 0, b = 0, a = 0;
    bool operator==(const Rgba& o) const { return r == o.r && g == o.g && b == o.b && a == o.a; }
};
void PrintTo(const Rgba& c, std::ostream* os);

// Starts (or restarts, after a headless test) the runtime on SDL; false without GL.
bool StartGlRuntime();
// The back buffer's pixel at (x, y), top-left origin, in display pixels.
Rgba ReadPixel(int x, int y);

class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};
