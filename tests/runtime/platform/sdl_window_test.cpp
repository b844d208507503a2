// The SDL2 platform with a real window: size, class, drawing and read-back, and real
// key and mouse events sent to the X server (needs Xvfb and xdotool).
#include <GL/gl.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/platform/platform.h"
#include "tests/support/gl_test.h"

namespace {

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* f = popen((command + " 2>/dev/null").c_str(), "r");
    if (!f) return out;
    char buf[512];
    while (size_t n = fread(buf, 1, sizeof buf, f)) out.append(buf, n);
    pclose(f);
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

bool OnX11() {
    const char* d = std::getenv("DISPLAY");
    const char* v = std::getenv("SDL_VIDEODRIVER");
    return d && *d && !(v && std::string(v) == "offscreen");
}

// This process's window (other test programs may show windows titled alike).
std::string WindowId() {
    return RunCommand("timeout 5 xdotool search --sync --all --pid " + std::to_string(getpid()) +
                      " --name '^Zentrovel' | head -n 1");
}

class SdlWindow : public GlTest {};

TEST_F(SdlWindow, OpensAtEightHundredBySixHundred) {
    int w = 0, h = 0;
    GetPlatform().GetClientSize(w, h);
    EXPECT_EQ(w, 800);
    EXPECT_EQ(h, 600);
    EXPECT_EQ(GetPlatform().WindowTitle(), "Zentrovel");
    EXPECT_TRUE(GraphicsAvailable());
    EXPECT_NE(GetGLProcAddress("glGenBuffersARB"), nullptr);
    EXPECT_TRUE(HasGLExtension("GL_ARB_multitexture"));
    EXPECT_FALSE(HasGLExtension("GL_ARB_multi"));
}

TEST_F(SdlWindow, SoftwareRenderingIsLoggedWithoutABoxInAutomatedRuns) {
    // Start-up wrote one of the two lines; under Xvfb and offscreen Mesa runs llvmpipe.
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (GetPlatform().IsSoftwareRenderer()) {
        EXPECT_NE(log.find("OpenGL Software Emulation\r\n"), std::string::npos);
    } else {
        EXPECT_NE(log.find("OpenGL Hardware Support\r\n"), std::string::npos);
    }
}

TEST_F(SdlWindow, DrawsInTopLeftCoordinatesAndReadsTheFrameBack) {
    FlipScreen();   // cleared to black, 2D state set
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 1, 0, 1);
    // The 2D projection has y negated downwards; quads are wound counter-clockwise.
    glBegin(GL_QUADS);
    glVertex2f(10, -10);
    glVertex2f(10, -20);
    glVertex2f(30, -20);
    glVertex2f(30, -10);
    glEnd();
    EXPECT_EQ(ReadPixel(15, 15), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(ReadPixel(15, 25), (Rgba{0, 0, 0, 255}));
    EXPECT_EQ(ReadPixel(35, 15), (Rgba{0, 0, 0, 255}));

    SetViewport(400, 300, 100, 100);   // a corner-anchored viewport
    glDisable(GL_TEXTURE_2D);
    glColor4f(0, 1, 0, 1);
    glBegin(GL_QUADS);
    glVertex2f(0, 0);
    glVertex2f(0, -10);
    glVertex2f(10, -10);
    glVertex2f(10, 0);
    glEnd();
    EXPECT_EQ(ReadPixel(405, 305), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(ReadPixel(395, 295), (Rgba{0, 0, 0, 255}));
    FlipScreen();
    EXPECT_EQ(ReadPixel(15, 15), (Rgba{0, 0, 0, 255})) << "every flip clears the next frame";
}

TEST_F(SdlWindow, CarriesTheWindowClass) {
    if (!OnX11() || RunCommand("command -v xprop").empty()) GTEST_SKIP() << "needs X11 and xprop";
    const std::string id = WindowId();
    ASSERT_FALSE(id.empty());
    EXPECT_NE(RunCommand("xprop -id " + id + " WM_CLASS").find("\"Vantiro\""), std::string::npos);
}

TEST_F(SdlWindow, KeyAndClickFromTheXServerArriveAsScanCodeAndButton) {
    if (!OnX11() || RunCommand("command -v xdotool").empty()) GTEST_SKIP() << "needs X11 and xdotool";
    const std::string id = WindowId();
    ASSERT_FALSE(id.empty());
    SetSystemPointer(1);
    AllowEscape(0);
    RunCommand("timeout 5 xdotool windowfocus --sync " + id);
    for (int i = 0; i < 5; ++i) FlipScreen();
    while (!ReadKeyChar().Empty()) {
    }

    RunCommand("timeout 5 xdotool key --delay 0 a Right");
    bool sawA = false, sawRight = false;
    std::string typed;
    for (int i = 0; i < 120 && !(sawA && sawRight && !typed.empty()); ++i) {
        FlipScreen();
        sawA = sawA || KeyState(kKeyA) != 0;
        sawRight = sawRight || KeyState(kKeyRight) != 0;
        typed += ReadKeyChar().Std();
    }
    EXPECT_TRUE(sawA);
    EXPECT_TRUE(sawRight) << "an extended key keeps its scan code (205)";
    EXPECT_EQ(typed, "a");

    // Ctrl and Alt chords give control codes, which type nothing; Shift still types.
    RunCommand("timeout 5 xdotool key --delay 0 ctrl+c ctrl+v ctrl+a alt+x shift+b c");
    typed.clear();
    for (int i = 0; i < 120 && typed.size() < 2; ++i) {
        FlipScreen();
        typed += ReadKeyChar().Std();
    }
    EXPECT_EQ(typed, "Bc");

    RunCommand("timeout 5 xdotool mousemove --window " + id + " 120 70 click 3");
    bool sawRightButton = false;
    Number x = 0, y = 0, l = 0, r = 0;
    for (int i = 0; i < 120 && !sawRightButton; ++i) {
        FlipScreen();
        MouseState(x, y, l, r);
        sawRightButton = r != 0;
    }
    EXPECT_TRUE(sawRightButton);
    EXPECT_EQ(x, 120);
    EXPECT_EQ(y, 70);
    AllowEscape(1);
}

TEST_F(SdlWindow, LosingFocusPausesWithTheTitleMarkedUntilFocusReturns) {
    if (!OnX11() || RunCommand("command -v xdotool").empty()) GTEST_SKIP() << "needs X11 and xdotool";
    const std::string id = WindowId();
    ASSERT_FALSE(id.empty());
    RuntimeSettings settings = GetRuntimeSettings();
    settings.debugMode = false;
    ConfigureRuntime(settings);
    RunCommand("timeout 5 xdotool windowfocus --sync " + id);
    FlipScreen();
    FlipScreen();
    RunCommand("timeout 5 xdotool windowfocus --sync $(xwininfo -root | awk '/Window id/{print $4}')");
    for (int i = 0; i < 60 && !IsPaused(); ++i) FlipScreen();
    EXPECT_TRUE(IsPaused());
    EXPECT_EQ(RunCommand("xdotool getwindowname " + id), "Zentrovel <pause>");
    // FlipScreen now waits for the focus; hand it back from outside, retrying.
    RunCommand("(for t in 0.3 1 2 4; do sleep $t; xdotool windowfocus " + id + "; done) >/dev/null 2>&1 &");
    FlipScreen();
    EXPECT_FALSE(IsPaused());
    EXPECT_EQ(RunCommand("xdotool getwindowname " + id), "Zentrovel");
    settings.debugMode = true;
    ConfigureRuntime(settings);
}

}  // namespace
