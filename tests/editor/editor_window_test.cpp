// The real program under X: zentrovel started in a copy of the demo, "Save" clicked with
// pointer events sent to the X server, the level file rewritten, Escape ends it.
// Skipped without a display or xdotool.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

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
    if (!display || !*display || !HaveCommand("xdotool")) {
        GTEST_SKIP() << "needs an X display and xdotool";
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

    // Click "Save" until the level file is written again (the first clicks may come
    // before the panel is up).
    const std::string at = std::to_string(int(sx + sw / 2)) + " " + std::to_string(int(sy + sh / 2));
    bool rewritten = false;
    for (int i = 0; i < 20 && !rewritten; ++i) {
        Shell("xdotool mousemove --window " + window + " " + at + " sleep 0.3 mousedown 1 sleep 0.3 mouseup 1");
        for (int k = 0; k < 10 && !rewritten; ++k) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            rewritten = fs::last_write_time(Path("level.ini")) > aged;
        }
    }
    EXPECT_TRUE(rewritten) << "level.ini was written again";
    EXPECT_EQ(Read("level.ini"), DemoLevelText());

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
