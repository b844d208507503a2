// "Test" in the editor on the demo level, end to end: the editor saves "test.ini" and
// plays it; a scripted player walks, jumps, takes the ammunition and shoots an enemy,
// then E returns to the editor, which has the level back as it was saved before the run.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/editor.h"
#include "editor/level.h"
#include "game/playlevel.h"
#include "runtime/frame/input.h"
#include "runtime/frame/numbers.h"
#include "tests/editor/level_media.h"
#include "tests/support/gui_driver.h"
#include "tests/support/headless.h"
#include "tools/demo.h"

namespace {

// Plays from the frame poll: one task at a time, each true once done; E after the last.
class Pilot {
public:
    using Task = std::function<bool(Pilot&, HeadlessPlatform&)>;
    std::vector<Task> tasks;
    size_t done = 0;
    int count = 0;

    // Queues itself at every poll until the game has come back, then runs `after`.
    void Fly(HeadlessPlatform& p, std::function<void(HeadlessPlatform&)> after) {
        const bool playing = CurrentGameRun() != nullptr;
        if (playing && !quit_) {
            if (done < tasks.size() && ++frames_ < 400) {
                if (tasks[done](*this, p)) {
                    Release(p);
                    ++done;
                }
            } else {
                Release(p);
                p.PressKey(kKeyE);
                quit_ = true;
            }
        } else if (quit_ && !playing) {
            p.ReleaseKey(kKeyE);
            return after(p);
        }
        p.Then([this, after](HeadlessPlatform& q) { Fly(q, after); });
    }
    // Arrow keys relative to the camera toward (x, z); true once within `near`.
    bool WalkTo(HeadlessPlatform& p, double x, double z, double near) {
        const double dx = x - ActorPos(0, 0), dz = z - ActorPos(0, 2);
        if (std::hypot(dx, dz) < near) return true;
        Steer(p, ATan2Deg(dx, dz));
        return false;
    }
    // Down walks along the camera's yaw, Right 90 degrees from it.
    void Steer(HeadlessPlatform& p, double heading) {
        const double rel = heading - CurrentGameRun()->camera[0];
        const double along[4] = {SinDeg(rel), -SinDeg(rel), CosDeg(rel), -CosDeg(rel)};
        const int keys[4] = {kKeyRight, kKeyLeft, kKeyDown, kKeyUp};
        for (int k = 0; k < 4; ++k) {
            if (along[k] > 0.38) p.PressKey(keys[k]);
            else if (p.KeyDown(keys[k])) p.ReleaseKey(keys[k]);
        }
    }
    static void Release(HeadlessPlatform& p) {
        for (int key : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyLControl, kKeySpace}) p.ReleaseKey(key);
    }

private:
    int frames_ = 0;
    bool quit_ = false;
};

class TestFromEditor : public HeadlessTest {
protected:
    void SetUp() override {
        HeadlessTest::SetUp();
        const char* tmp = std::getenv("TMPDIR");
        dir_ = std::string(tmp && *tmp ? tmp : "/tmp") + "/zv_game_editor_" + std::to_string(::getpid());
        std::filesystem::remove_all(dir_);
        ASSERT_TRUE(WriteDemo(dir_).ok);
        oldDir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        platform().SetPollLimit(20000);
        GuiDriver::ResetToolkit();
    }
    void TearDown() override {
        GuiDriver::ResetToolkit();
        std::filesystem::current_path(oldDir_);
        std::filesystem::remove_all(dir_);
        HeadlessTest::TearDown();
    }
    std::string dir_;
    std::filesystem::path oldDir_;
};

TEST_F(TestFromEditor, AScriptedRunOfTheDemoThenEGivesBackTheLevelAsSaved) {
    GuiDriver gui(platform());
    Pilot pilot;
    double peakY = 0;
    std::vector<Number> seen;
    // The ammunition lies at (-2, 6); an enemy stands at (15, 12).
    pilot.tasks = {
        [](Pilot& d, HeadlessPlatform& p) { return d.WalkTo(p, -2, 6, 0.4) || SpecialItems(4, 3) == -1; },
        [&peakY](Pilot& d, HeadlessPlatform& p) {
            peakY = std::max(peakY, ActorPos(0, 1));
            p.PressKey(kKeyLControl);
            return ++d.count > 12;
        },
        [](Pilot& d, HeadlessPlatform& p) { return d.WalkTo(p, 2, 12, 0.5); },
        // One frame toward +x turns the player to face the enemy; then fire.
        [](Pilot& d, HeadlessPlatform& p) { return d.Steer(p, 90), d.count = 0, true; },
        [](Pilot&, HeadlessPlatform& p) { return p.PressKey(kKeySpace), true; },
        [](Pilot& d, HeadlessPlatform&) { return ActorCount() < 4 || ++d.count > 60; },
        [&](Pilot&, HeadlessPlatform&) {
            seen = {ActorCount(), SpecialItems(4, 3), SystemPointer() ? 1.0 : 0.0};
            return true;
        },
    };
    pilot.Fly(platform(), [](HeadlessPlatform& p) { p.RequestClose(); });
    gui.Click("bt_test");
    EXPECT_TRUE(RunUntilEnd([] { EditorStart(); })) << "the editor ended on the close request";

    ASSERT_EQ(pilot.done, pilot.tasks.size()) << "stopped at task " << pilot.done;
    EXPECT_GT(peakY, 2) << "jumped";
    // During play the game changed the level in place: an enemy shot, the ammunition used up,
    // the mouse captured ...
    EXPECT_EQ(seen, (std::vector<Number>{3, -1, 0}));
    // ... and back in the editor it is the level saved before the run.
    EXPECT_EQ((std::vector<Number>{ActorCount(), SpecialItems(4, 3), ActorPos(0, 0), ActorPos(0, 2)}),
              (std::vector<Number>{4, 1000, 0, 3}));
    EXPECT_TRUE(SystemPointer());
    EXPECT_EQ(level_media::ReadBytes(dir_ + "/level.ini"), DemoLevelText()) << "a test run saves nothing";
}

}  // namespace
