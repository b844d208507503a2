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

TEST_F(SdlWindow, OpensAtEightHundredBySixHundredAndLogsTheRenderer) {
    int w = 0, h = 0;
    GetPlatform().GetClientSize(w, h);
    EXPECT_EQ((std::array{w, h}), (std::array{800, 600}));
    EXPECT_EQ(GetPlatform().WindowTitle(), "Zentrovel");
    EXPECT_TRUE(HasGLExtension("GL_ARB_multitexture"));
    EXPECT_FALSE(HasGLExtension("GL_ARB_multi"));
    // Start-up wrote one of the two lines, and no box in automated runs.
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const char* line = GetPlatform().IsSoftwareRenderer() ? "OpenGL Software Emulation\r\n" : "OpenGL Hardware Support\r\n";
    EXPECT_NE(log.find(line), std::string::npos);
}

TEST_F(SdlWindow, ReadsTheFrameBackAndEveryFlipClearsTheNext) {
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
    EXPECT_EQ(ReadPixel(15, 15), (Rgba{0, 255, 0, 255}));
    FlipScreen();
    EXPECT_EQ(ReadPixel(15, 15), (Rgba{0, 0, 0, 255}));
}

// xdotool's names of the keys and the scan codes user code must see for them.
const std::pair<const char*, int> kKeyTable[] = {
    {"Escape", 1}, {"1", 2}, {"minus", 12}, {"BackSpace", 14}, {"Tab", 15}, {"q", 16}, {"bracketleft", 26},
    {"Return", 28}, {"Control_L", 29}, {"a", 30}, {"semicolon", 39}, {"grave", 41}, {"Shift_L", 42}, {"backslash", 43},
    {"slash", 53}, {"KP_Multiply", 55}, {"space", 57}, {"F1", 59}, {"F10", 68}, {"KP_Begin", 76}, {"KP_Delete", 83},
    {"F12", 88}, {"KP_Enter", 156}, {"Control_R", 157}, {"KP_Divide", 181}, {"Up", 200}, {"Prior", 201},
    {"Insert", 210}, {"Delete", 211}, {"Super_L", 219}, {"Menu", 221}};

TEST_F(SdlWindow, CarriesTheClassAndTakesKeysAndClicksFromTheXServer) {
    if (!OnX11() || RunCommand("command -v xdotool").empty()) GTEST_SKIP() << "needs X11 and xdotool";
    const std::string id = WindowId();
    ASSERT_FALSE(id.empty());
    const bool xprop = !RunCommand("command -v xprop").empty();
    EXPECT_TRUE(!xprop || RunCommand("xprop -id " + id + " WM_CLASS").find("\"Vantiro\"") != std::string::npos);
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
    while (!ReadKeyChar().Empty()) continue;
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

}  // namespace
