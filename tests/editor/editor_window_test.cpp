// The real program under X: zentrovel started in a copy of the demo, "Save" clicked with
// pointer events sent to the X server, the level file rewritten and the message shown.
// Skipped without a display, xdotool or ImageMagick's import.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/editor/editor_support.h"

namespace {

namespace fs = std::filesystem;

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        ::pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

bool HaveCommand(const char* name) { return Shell(std::string("command -v ") + name + " 2>/dev/null") != ""; }

// An RGB picture read from a binary PPM.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    int Brightness(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height || rgb.size() != size_t(width) * height * 3) return -1;
        const unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
        return (p[0] + p[1] + p[2]) / 3;
    }
};

bool ReadPpm(const std::string& path, Picture& out) {
    out = Picture{};
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    if (!(in >> magic >> out.width >> out.height >> maxValue) || magic != "P6" || maxValue != 255) return false;
    in.get();
    out.rgb.resize(size_t(out.width) * out.height * 3);
    in.read(reinterpret_cast<char*>(out.rgb.data()), static_cast<std::streamsize>(out.rgb.size()));
    if (!in) out = Picture{};
    return out.width > 0;
}

bool Shoot(const std::string& window, const std::string& path, Picture& out) {
    Shell("import -window " + window + " -depth 8 " + path + " 2>/dev/null");
    return ReadPpm(path, out);
}

// A point of the message box, in window pixels: it is centred, 148 wide, a quarter down.
constexpr int kBoxX = (800 - 148) / 2 + 74;
constexpr int kBoxY = 600 / 4 + 140;   // below its text and button

class EditorWindowTest : public EditorTest {
protected:
    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        EditorTest::TearDown();
    }
    pid_t pid_ = -1;
};

TEST_F(EditorWindowTest, SaveClickedWithTheRealPointerRewritesTheLevelAndShowsTheMessage) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || !HaveCommand("xdotool") || !HaveCommand("import")) {
        GTEST_SKIP() << "needs an X display, xdotool and import";
    }
    const std::string program = std::string(ZV_BINARY_DIR) + "/zentrovel";
    ASSERT_TRUE(fs::exists(program)) << program;

    // Where "Save" is: the same panel laid out headless on the same demo.
    Number sx = 0, sy = 0, sw = 0, sh = 0;
    gui().Do([&](HeadlessPlatform&) { GetWidgetCell("bt_save", sx, sy, sw, sh); });
    RunEditor();
    ASSERT_GT(sw, 0);

    fs::copy_file(program, Path("zentrovel"));
    const auto aged = fs::file_time_type::clock::now() - std::chrono::hours(1);
    fs::last_write_time(Path("level.ini"), aged);

    pid_ = ::fork();
    ASSERT_GE(pid_, 0);
    if (pid_ == 0) {
        const std::string self = Path("zentrovel");
        ::execl(self.c_str(), self.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const std::string window =
        Shell("timeout 30 xdotool search --sync --onlyvisible --pid " + std::to_string(pid_) + " --name '^Zentrovel$' | head -1");
    ASSERT_FALSE(window.empty()) << "the window appeared";

    // Wait for the panel (bright) beside the dimmed view.
    Picture before;
    const char* tmp = std::getenv("TMPDIR");
    const std::string shot = std::string(tmp && *tmp ? tmp : "/tmp") + "/editor_window_shot.ppm";
    for (int i = 0; i < 100; ++i) {
        if (Shoot(window, shot, before) && before.Brightness(int(sx + sw / 2), int(sy - 4)) > 200) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_GT(before.Brightness(int(sx + sw / 2), int(sy - 4)), 200) << "the panel is drawn";
    EXPECT_LT(before.Brightness(kBoxX, kBoxY), 120) << "no message yet over the dimmed view";

    const std::string at = std::to_string(int(sx + sw / 2)) + " " + std::to_string(int(sy + sh / 2));
    Shell("xdotool mousemove --window " + window + " " + at);
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    Shell("xdotool mousedown 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Shell("xdotool mouseup 1");

    bool rewritten = false;
    for (int i = 0; i < 100 && !rewritten; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        rewritten = fs::last_write_time(Path("level.ini")) > aged;
    }
    EXPECT_TRUE(rewritten) << "level.ini was written again";
    EXPECT_EQ(Read("level.ini"), DemoLevelText());

    Picture after;
    bool shown = false;
    for (int i = 0; i < 50 && !shown; ++i) {
        shown = Shoot(window, shot, after) && after.Brightness(kBoxX, kBoxY) > 200;
        if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(shown) << "the message box is on the screen; see " << shot;

    // Escape ends the program in order.
    Shell("xdotool key --window " + window + " Escape");
    int status = -1;
    for (int i = 0; i < 100; ++i) {
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_EQ(pid_, -1) << "Escape ended the program";
    if (pid_ == -1) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
}

}  // namespace
