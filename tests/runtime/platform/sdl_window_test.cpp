// The SDL2 platform with a real window: size, class, drawing and read-back, and real
// key and mouse events sent to the X server (needs Xvfb and xdotool).
#include <GL/gl.h>

#include <array>
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

// xdotool's names of the keys and the scan codes user code must see for them.
const std::pair<const char*, int> kKeyTable[] = {
    {"Escape", 1}, {"1", 2}, {"5", 6}, {"0", 11}, {"minus", 12}, {"equal", 13}, {"BackSpace", 14}, {"Tab", 15},
    {"q", 16}, {"w", 17}, {"e", 18}, {"r", 19}, {"t", 20}, {"y", 21}, {"u", 22}, {"i", 23}, {"o", 24}, {"p", 25},
    {"bracketleft", 26}, {"bracketright", 27}, {"Return", 28}, {"Control_L", 29}, {"a", 30}, {"s", 31}, {"d", 32},
    {"f", 33}, {"g", 34}, {"h", 35}, {"j", 36}, {"k", 37}, {"l", 38}, {"semicolon", 39}, {"apostrophe", 40},
    {"grave", 41}, {"Shift_L", 42}, {"backslash", 43}, {"z", 44}, {"x", 45}, {"c", 46}, {"v", 47}, {"b", 48},
    {"n", 49}, {"m", 50}, {"comma", 51}, {"period", 52}, {"slash", 53}, {"Shift_R", 54}, {"KP_Multiply", 55},
    {"Alt_L", 56}, {"space", 57}, {"Caps_Lock Caps_Lock", 58}, {"F1", 59}, {"F2", 60}, {"F3", 61}, {"F5", 63},
    {"F9", 67}, {"F10", 68}, {"Num_Lock Num_Lock", 69}, {"KP_Home", 71}, {"KP_Subtract", 74}, {"KP_Begin", 76},
    {"KP_Add", 78}, {"KP_Insert", 82}, {"KP_Delete", 83}, {"F11", 87}, {"F12", 88}, {"KP_Enter", 156},
    {"Control_R", 157}, {"KP_Divide", 181}, {"Home", 199}, {"Up", 200}, {"Prior", 201}, {"Left", 203},
    {"Right", 205}, {"End", 207}, {"Down", 208}, {"Next", 209}, {"Insert", 210}, {"Delete", 211},
    {"Super_L", 219}, {"Menu", 221}};

TEST_F(SdlWindow, KeysFromTheXServerArriveAsTheirScanCodesAndClicksAsButtons) {
    if (!OnX11() || RunCommand("command -v xdotool").empty()) GTEST_SKIP() << "needs X11 and xdotool";
    const std::string id = WindowId();
    ASSERT_FALSE(id.empty());
    SetSystemPointer(1);
    AllowEscape(0);
    RunCommand("timeout 5 xdotool windowfocus --sync " + id);
    for (int i = 0; i < 5; ++i) FlipScreen();
    for (const auto& [keys, code] : kKeyTable) {
        RunCommand("timeout 5 xdotool key --delay 0 " + std::string(keys));
        bool seen = false;
        for (int i = 0; i < 60 && !seen; ++i) {
            FlipScreen();
            seen = KeyState(code) != 0;
        }
        EXPECT_TRUE(seen) << keys << " should arrive as scan code " << code;
    }
    for (int i = 0; i < 3; ++i) FlipScreen();
    while (!ReadKeyChar().Empty()) {
    }
    RunCommand("timeout 5 xdotool key --delay 0 a");
    std::string typed;
    for (int i = 0; i < 60 && typed.empty(); ++i) {
        FlipScreen();
        typed += ReadKeyChar().Std();
    }
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
    Number x = 0, y = 0, l = 0, r = 0;
    for (int i = 0; i < 120 && r == 0; ++i) {
        FlipScreen();
        MouseState(x, y, l, r);
    }
    EXPECT_EQ((std::array<Number, 3>{x, y, r}), (std::array<Number, 3>{120, 70, 1}));
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
