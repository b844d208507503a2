#include "tests/support/gl_test.h"

#include <GL/gl.h>

#include <cstdlib>
#include <ostream>

#include "runtime/platform/platform.h"

void PrintTo(const Rgba& c, std::ostream* os) {
    *os << "rgba(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a) << ")";
}

bool StartGlRuntime() {
    if (RuntimeStarted() && &GetPlatform() == &SdlPlatform() && GraphicsAvailable()) return true;
    static bool failed = false;
    if (failed) return false;
    StopRuntime();
    UsePlatform(nullptr);
    // Test windows may lose focus to other test windows: they never pause.
    if (!StartUnattendedRuntime("Zentrovel")) {
        StopRuntime();
        failed = true;
        return false;
    }
    return true;
}

Rgba ReadPixel(int x, int y) {
    int w = 0, h = 0;
    GetDisplaySize(w, h);
    unsigned char px[4] = {0, 0, 0, 0};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, h - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    return Rgba{px[0], px[1], px[2], px[3]};
}

void GlTest::SetUp() {
    if (!StartGlRuntime()) GTEST_SKIP() << "no OpenGL window available";
}
