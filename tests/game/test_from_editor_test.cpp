// "Test" in the editor on the demo level, end to end: the editor saves "test.ini" and
// plays it; a scripted player walks, jumps, takes the ammunition and shoots an enemy,
// then E returns to the editor, which has the level back as it was saved before the run.
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "editor/editor.h"
#include "editor/level.h"
#include "game/playlevel.h"
#include "runtime/frame/input.h"
#include "tests/editor/level_media.h"
#include "tests/game/demo_driver.h"
#include "tests/support/gui_driver.h"
#include "tests/support/headless.h"
#include "tools/demo.h"

using namespace game_test;

namespace {

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
    DemoPilot pilot;
    double peakY = 0;
    PlanDemoRoute(pilot, &peakY);
    auto seen = std::make_shared<std::array<Number, 3>>();
    pilot.Add("look at the level during play", [seen](DemoPilot&, HeadlessPlatform&) {
        *seen = {ActorCount(), SpecialItems(4, 3), SystemPointer() ? 1.0 : 0.0};
        return true;
    });
    pilot.Fly(platform(), 400, [](HeadlessPlatform& p) { p.RequestClose(); });
    gui.Click("bt_test");
    EXPECT_TRUE(RunUntilEnd([] { EditorStart(); })) << "the editor ended on the close request";

    const std::vector<std::string> done = pilot.Done();
    ASSERT_EQ(done.size(), 7u) << "stopped after: " << (done.empty() ? "nothing" : done.back());
    EXPECT_GT(peakY, 2) << "jumped";
    // During play the game had changed the level in place ...
    EXPECT_EQ((*seen)[0], 3) << "an enemy shot";
    EXPECT_EQ((*seen)[1], -1) << "the ammunition used up";
    EXPECT_EQ((*seen)[2], 0) << "the mouse captured";
    // ... and back in the editor it is the level saved before the run.
    EXPECT_EQ(ActorCount(), 4);
    EXPECT_EQ(SpecialItems(4, 3), 1000);
    EXPECT_EQ(ActorPos(0, 0), 0);
    EXPECT_EQ(ActorPos(0, 2), 3);
    EXPECT_EQ(ActorPos(2, 0), 15);
    EXPECT_TRUE(SystemPointer());
    EXPECT_EQ(level_media::ReadBytes(dir_ + "/level.ini"), DemoLevelText()) << "a test run saves nothing";
}

}  // namespace
