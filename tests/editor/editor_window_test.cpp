// The real program under X: zentrovel started in a copy of the demo, "Save" clicked with
// pointer events sent to the X server, the level file rewritten and the message shown.
// Skipped without a display, xdotool or ImageMagick's import.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
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

struct Cell {
    Number x = 0, y = 0, w = 0, h = 0;
    std::string At() const { return std::to_string(int(x + w / 2)) + " " + std::to_string(int(y + h / 2)); }
};

class EditorWindowTest : public EditorTest {
protected:
    void TearDown() override {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        EditorTest::TearDown();
    }

    // Where the widgets are: the same panel and dialogs laid out headless on the same demo.
    void LayOut() {
        auto keep = [this](std::vector<const char*> ids) {
            gui().Do([this, ids](HeadlessPlatform&) {
                for (const char* id : ids) GetWidgetCell(id, cells_[id].x, cells_[id].y, cells_[id].w, cells_[id].h);
            });
        };
        keep({"bt_save", "bt_test", "bt_paths", "bt_obj_del"});
        gui().Click("bt_save");
        keep({"bt_yes"});
        gui().Click("bt_yes").Idle(1).Click("bt_paths");
        keep({"bt_add_pth", "bt_add_pt", "bt_ok"});
        // A path added, Escape asks: the question's buttons.
        gui().Click("bt_add_pth").Idle(1).Click("bt_ok").Idle(1).Key(kKeyEscape).Do([this](HeadlessPlatform&) {
            GetWidgetCell("bt_yes", cells_["quit_yes"].x, cells_["quit_yes"].y, cells_["quit_yes"].w, cells_["quit_yes"].h);
            GetWidgetCell("bt_no", cells_["quit_no"].x, cells_["quit_no"].y, cells_["quit_no"].w, cells_["quit_no"].h);
        });
        gui().Click("bt_no");
        RunEditor();
        fs::remove(Path("level.recover.ini"));
        for (const char* id :
             {"bt_save", "bt_test", "bt_paths", "bt_yes", "bt_add_pth", "bt_add_pt", "bt_ok", "quit_yes", "quit_no"}) {
            ASSERT_GT(cells_[id].w, 0) << id;
        }
    }

    // Starts the built program in a fresh copy of the demo and waits for its panel.
    void Start() {
        const std::string program = std::string(ZV_BINARY_DIR) + "/zentrovel";
        ASSERT_TRUE(fs::exists(program)) << program;
        fs::copy_file(program, Path("zentrovel"));
        fs::last_write_time(Path("level.ini"), aged_);
        pid_ = ::fork();
        ASSERT_GE(pid_, 0);
        if (pid_ == 0) {
            const std::string self = Path("zentrovel");
            ::execl(self.c_str(), self.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        window_ = Shell("timeout 30 xdotool search --sync --onlyvisible --pid " + std::to_string(pid_) +
                        " --name '^Zentrovel - level.ini$' | head -1");
        ASSERT_FALSE(window_.empty()) << "the window appeared";
        for (int i = 0; i < 100 && !PanelShown(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ASSERT_TRUE(PanelShown()) << "the panel is drawn; see " << Shot();
    }

    std::string Shot() const {
        const char* tmp = std::getenv("TMPDIR");
        return std::string(tmp && *tmp ? tmp : "/tmp") + "/editor_window_shot.ppm";
    }
    // The panel comes back well before the idle editor's longest wait (2 s) would end.
    // Sanitizer builds reload the level too slowly to tell that apart: there it only has to come back.
#ifdef __SANITIZE_ADDRESS__
    static constexpr int kBackWithinMs = 15000;
#else
    static constexpr int kBackWithinMs = 1000;
#endif
    bool PanelShownWithin(int ms) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!PanelShown()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    // The panel (bright) is on the screen, beside the dimmed view.
    bool PanelShown() {
        const Cell& save = cells_["bt_save"];
        return Shoot(window_, Shot(), picture_) && picture_.Brightness(int(save.x + save.w / 2), int(save.y - 4)) > 200;
    }
    // The share of the pixels of `a` (at most w x h of them) that `b`, scaled down by
    // `factor`, shows alike (shades may round a step apart).
    static double Alike(const Picture& a, const Picture& b, int factor, int w, int h) {
        long same = 0, all = 0;
        for (int y = 0; y < std::min(h, a.height); ++y) {
            for (int x = 0; x < std::min(w, a.width); ++x, ++all) {
                const size_t i = (size_t(y) * a.width + x) * 3, j = (size_t(y / factor) * b.width + x / factor) * 3;
                same += j + 2 < b.rgb.size() && std::equal(&a.rgb[i], &a.rgb[i] + 3, &b.rgb[j], [](int p, int q) {
                            return std::abs(p - q) <= 2;
                        });
            }
        }
        return all > 0 ? double(same) / all : 0;
    }
    // A drag with a mouse button across the window, held at its end long enough to be seen.
    void Drag(int button, int x0, int x1, int y) {
        const std::string b = std::to_string(button), w = " --window " + window_ + " ";
        Shell("xdotool mousemove" + w + std::to_string(x0) + " " + std::to_string(y) + " mousedown " + b +
              " sleep 0.3 mousemove" + w + std::to_string((x0 + x1) / 2) + " " + std::to_string(y) +
              " sleep 0.3 mousemove" + w + std::to_string(x1) + " " + std::to_string(y) + " sleep 0.3 mouseup " + b);
    }
    // A click as a hand makes it: the button goes down and comes up again after `holdMs`.
    void Click(const char* id, int holdMs) {
        Shell("xdotool mousemove --window " + window_ + " " + cells_[id].At() + " mousedown 1 sleep " +
              std::to_string(holdMs / 1000.0) + " mouseup 1");
    }
    std::string Title() const { return Shell("xdotool getwindowname " + window_); }
    bool Within(int ms, const std::function<bool()>& done) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }
    bool BoxShown() { return Shoot(window_, Shot(), picture_) && picture_.Brightness(kBoxX, kBoxY) > 200; }
    // Adds a path through the path editor: a change of the level.
    void AddPath() {
        Click("bt_paths", 100);
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        Click("bt_add_pth", 100);
        Click("bt_ok", 100);
    }
    // The program's exit status once it has ended, or -1.
    int EndedWithin(int ms) {
        int status = -1;
        if (!Within(ms, [&] { return ::waitpid(pid_, &status, WNOHANG) == pid_; })) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    bool LevelRewritten() {
        for (int i = 0; i < 600; ++i) {
            if (fs::last_write_time(Path("level.ini")) > aged_) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return false;
    }
    // The number after "key=" in the level file's section.
    Number LevelValue(const std::string& section, const std::string& key, const char* file = "level.ini") {
        const std::string text = Read(file);
        const size_t at = text.find("\n" + key + "=", text.find("[" + section + "]"));
        return at == std::string::npos ? -1 : std::atof(text.c_str() + at + key.size() + 2);
    }

    pid_t pid_ = -1;
    std::string window_;
    std::map<std::string, Cell> cells_;
    Picture picture_;
    const fs::file_time_type aged_ = fs::file_time_type::clock::now() - std::chrono::hours(1);
};

bool HaveTools() {
    const char* display = std::getenv("DISPLAY");
    return display && *display && HaveCommand("xdotool") && HaveCommand("import");
}

TEST_F(EditorWindowTest, SaveTestAndTheirReturnsWithTheRealPointerAndKeys) {
    if (!HaveTools()) GTEST_SKIP() << "needs an X display, xdotool and import";
    LayOut();
    Start();
    EXPECT_LT(picture_.Brightness(kBoxX, kBoxY), 120) << "no message yet over the dimmed view";

    Click("bt_save", 300);
    EXPECT_TRUE(LevelRewritten()) << "level.ini was written again";
    EXPECT_EQ(Read("level.ini"), DemoLevelText());
    bool shown = false;
    for (int i = 0; i < 50 && !shown; ++i) {
        shown = Shoot(window_, Shot(), picture_) && picture_.Brightness(kBoxX, kBoxY) > 200;
        if (!shown) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(shown) << "the message box is on the screen; see " << Shot();

    // Each return that painted over the window is followed at once by the panel and view,
    // without waiting for input: the pointer stays still after OK and after E.
    Click("bt_yes", 100);
    EXPECT_TRUE(PanelShownWithin(kBackWithinMs)) << "the panel is back after OK; see " << Shot();
    EXPECT_LT(picture_.Brightness(kBoxX, kBoxY), 120) << "the message box is gone";

    Click("bt_test", 100);
    for (int i = 0; i < 100 && PanelShown(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_FALSE(PanelShown()) << "the test run shows the game";
    Shell("xdotool key --window " + window_ + " e");
    EXPECT_TRUE(PanelShownWithin(kBackWithinMs)) << "the panel is back after the test run; see " << Shot();

    // Escape ends the program in order, without a question: nothing is unsaved.
    Shell("xdotool key --window " + window_ + " Escape");
    EXPECT_EQ(EndedWithin(10000), 0);
}

TEST_F(EditorWindowTest, QuickClicksAreNeverLost) {
    if (!HaveTools()) GTEST_SKIP() << "needs an X display, xdotool and import";
    LayOut();
    Start();
    Click("bt_paths", 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    // Each click moves onto its target and goes down and up within a millisecond; the
    // targets take turns, so every lost click is missing from the counts.
    constexpr int kClicks = 100;
    for (int i = 0; i < kClicks; ++i) {
        Shell("xdotool mousemove --window " + window_ + " " + cells_[i % 2 ? "bt_add_pt" : "bt_add_pth"].At() +
              " click 1 sleep " + std::to_string(0.02 * (i % 5)));
    }
    Click("bt_ok", 100);
    Click("bt_save", 100);
    EXPECT_TRUE(LevelRewritten()) << "level.ini was written again";
    EXPECT_EQ(LevelValue("paths", "count"), 2 + kClicks / 2) << "paths added";
    // Each Add selects its new path, which the next click gives a point.
    Number points = 0;
    for (int p = 2; p < 2 + kClicks / 2; ++p) points += LevelValue("paths", std::to_string(p));
    EXPECT_EQ(points, kClicks / 2) << "points added to the new paths";
}

// The view turned with the right button and back; the window at twice the size shows the
// same picture twice as large, and the mouse works in it: the wheel, a click on the
// tower, "Delete" and "Save" at their doubled places.
TEST_F(EditorWindowTest, TheViewTurnsAndPicksInAWindowOfTwiceTheSize) {
    if (!HaveTools()) GTEST_SKIP() << "needs an X display, xdotool and import";
    LayOut();
    Start();
    const Picture start = picture_;
    Drag(3, 500, 560, 300);
    for (int i = 0; i < 30 && Alike(start, picture_, 1, 800, 600) > 0.9; ++i) Shoot(window_, Shot(), picture_);
    EXPECT_LT(Alike(start, picture_, 1, 800, 600), 0.9) << "the view turned; see " << Shot();
    Drag(3, 560, 500, 300);
    for (int i = 0; i < 30 && Alike(start, picture_, 1, 800, 600) < 0.999; ++i) Shoot(window_, Shot(), picture_);
    EXPECT_GT(Alike(start, picture_, 1, 800, 600), 0.999) << "turned back round the same target; see " << Shot();

    const Picture small = picture_;
    Shell("xdotool windowmove " + window_ + " 0 0 windowsize " + window_ + " 1600 1200 mousemove --window " + window_ + " 1000 600");
    for (int i = 0; i < 50 && Alike(picture_, small, 2, 1024, 768) < 0.999; ++i) Shoot("root", Shot(), picture_);
    EXPECT_GT(Alike(picture_, small, 2, 1024, 768), 0.999) << "twice as large; see " << Shot();

    Shell("xdotool mousemove --window " + window_ + " 1000 600 click --repeat 4 --delay 400 5");
    Shell("xdotool sleep 0.3 mousemove --window " + window_ + " 714 110 click 1 sleep 0.3");
    const Cell del = cells_["bt_obj_del"], save = cells_["bt_save"];
    const auto doubled = [](const Cell& c) { return std::to_string(int(2 * c.x + c.w)) + " " + std::to_string(int(2 * c.y + c.h)); };
    Shell("xdotool mousemove --window " + window_ + " " + doubled(del) + " click 1 sleep 0.5");
    // The lower part of the window onto the screen, where "Save" is.
    Shell("xdotool windowmove " + window_ + " 0 -432 sleep 0.3 mousemove --window " + window_ + " " + doubled(save) + " click 1");
    ASSERT_TRUE(LevelRewritten());
    EXPECT_EQ(LevelValue("objects", "count"), 10);
    EXPECT_EQ(Section(Read("level.ini"), "objects").find(" -17 "), std::string::npos) << "the tower went";
}

TEST_F(EditorWindowTest, TitleCtrlSAndEscapeKeepUnsavedChangesFromBeingLost) {
    if (!HaveTools()) GTEST_SKIP() << "needs an X display, xdotool and import";
    LayOut();
    Start();
    EXPECT_EQ(Title(), "Zentrovel - level.ini");
    AddPath();
    EXPECT_TRUE(Within(5000, [&] { return Title() == "Zentrovel - level.ini *"; })) << Title();
    Shell("xdotool key --window " + window_ + " ctrl+z");
    EXPECT_TRUE(Within(5000, [&] { return Title() == "Zentrovel - level.ini"; })) << "Ctrl+Z took the path back: " << Title();
    Shell("xdotool key --window " + window_ + " ctrl+y");
    EXPECT_TRUE(Within(5000, [&] { return Title() == "Zentrovel - level.ini *"; })) << "Ctrl+Y brought it again: " << Title();
    Shell("xdotool key --window " + window_ + " ctrl+s");
    EXPECT_TRUE(Within(5000, [&] { return BoxShown(); })) << "the save message; see " << Shot();
    Click("bt_yes", 100);
    EXPECT_TRUE(Within(5000, [&] { return Title() == "Zentrovel - level.ini"; })) << Title();
    EXPECT_EQ(LevelValue("paths", "count"), 3) << "Ctrl+S saved the added path";

    AddPath();
    EXPECT_TRUE(Within(5000, [&] { return Title() == "Zentrovel - level.ini *"; })) << Title();
    Shell("xdotool key --window " + window_ + " Escape");
    EXPECT_TRUE(Within(5000, [&] { return BoxShown(); })) << "Escape asks; see " << Shot();
    Click("quit_no", 100);
    EXPECT_TRUE(PanelShownWithin(kBackWithinMs)) << "No goes back; see " << Shot();
    EXPECT_EQ(EndedWithin(500), -1) << "still running";
    Shell("xdotool key --window " + window_ + " Escape");
    EXPECT_TRUE(Within(5000, [&] { return BoxShown(); })) << "Escape asks again; see " << Shot();
    Click("quit_yes", 100);
    EXPECT_EQ(EndedWithin(10000), 0) << "Yes ended the program";
    EXPECT_EQ(LevelValue("paths", "count", "level.recover.ini"), 4) << "the unsaved path is in the recovery copy";
}

// These run beside other tests: each starts its own X server, so neither its window nor
// its pointer meets theirs, and they mostly wait.
class EditorAloneTest : public EditorWindowTest {
protected:
    void SetUp() override {
        EditorWindowTest::SetUp();
        if (!HaveCommand("Xvfb") || !HaveCommand("xdotool") || !HaveCommand("import")) return;
        // Xvfb names the free display it took once it is ready.
        const std::string started = Shell("sh -c 'Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>&1 "
                                          ">/dev/null 2>&1 & echo $!'");
        const size_t newline = started.find('\n');
        if (newline == std::string::npos) return;
        server_ = std::atoi(started.c_str());
        ::setenv("DISPLAY", (":" + started.substr(newline + 1)).c_str(), 1);
    }
    void TearDown() override {
        EditorWindowTest::TearDown();
        if (server_ > 0) ::kill(server_, SIGTERM);
    }

    pid_t server_ = -1;
};

TEST_F(EditorAloneTest, LostXConnectionEndsTheEditorWithTheChangeKept) {
    if (server_ <= 0) GTEST_SKIP() << "needs Xvfb, xdotool and import";
    LayOut();
    Start();
    AddPath();
    ASSERT_TRUE(Within(5000, [&] { return Title() == "Zentrovel - level.ini *"; })) << Title();
    Shell("xdotool windowkill " + window_);
    EXPECT_EQ(EndedWithin(10000), 0);
    EXPECT_EQ(LevelValue("paths", "count", "level.recover.ini"), 3);
}

// SIGKILL leaves no chance to write anything: the copy made within the minute after the
// change is what the next start offers.
TEST_F(EditorAloneTest, KilledAMinuteAfterAChangeTheEditorLeavesItForTheNextStart) {
    if (server_ <= 0) GTEST_SKIP() << "needs Xvfb, xdotool and import";
    LayOut();
    Start();
    AddPath();
    const auto changed = std::chrono::steady_clock::now();
    ASSERT_TRUE(Within(5000, [&] { return Title() == "Zentrovel - level.ini *"; })) << Title();
    std::this_thread::sleep_until(changed + std::chrono::seconds(61));
    ::kill(pid_, SIGKILL);
    EXPECT_EQ(EndedWithin(5000), 128 + SIGKILL);

    ASSERT_EQ(StartRuntime("Zentrovel"), 1);
    std::string question;
    Number paths = -1;
    AnswerMessage(question).Do([&paths](HeadlessPlatform&) { paths = PathCount(); });
    RunEditor();
    EXPECT_EQ(question, "The level was not saved when the editor last ended. Load the recovered copy?");
    EXPECT_EQ(paths, 3);
}

}  // namespace
