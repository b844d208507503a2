// "Test" in the editor on the demo level, end to end: the game plays "test.ini" and changes
// the level in place; E returns to the editor, which has the level back as it was saved.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "editor/editor.h"
#include "editor/level.h"
#include "game/playlevel.h"
#include "game/rules.h"
#include "runtime/frame/input.h"
#include "tests/editor/level_media.h"
#include "tests/support/gui_driver.h"
#include "tests/support/headless.h"
#include "tools/demo.h"

namespace {

class TestFromEditor : public HeadlessTest {};

TEST_F(TestFromEditor, EAfterARunGivesBackTheLevelAsSaved) {
    const std::string dir = std::filesystem::temp_directory_path().string() + "/zv_game_editor_" + std::to_string(::getpid());
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(WriteDemo(dir).ok);
    const auto oldDir = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    platform().SetPollLimit(20000);
    GuiDriver::ResetToolkit();
    GuiDriver gui(platform());
    int frames = 0;
    std::vector<Number> seen;
    std::function<void(HeadlessPlatform&)> poll = [&](HeadlessPlatform& p) {
        if (CurrentGameRun() && ++frames == 10) {
            // What a run does: the ammunition taken, an enemy shot, the player moved.
            SpecialItems(4, 3) = -1, DeleteActor(1), ActorPos(0, 0) = 7;
            seen = {ActorCount(), SystemPointer() ? 1.0 : 0.0};
            p.PressKey(kKeyE);
        } else if (frames >= 10 && !CurrentGameRun()) {
            p.ReleaseKey(kKeyE);
            return p.RequestClose();
        }
        p.Then(poll);
    };
    platform().Then(poll);
    gui.Click("bt_test");
    EXPECT_TRUE(RunUntilEnd([] { EditorStart(); }));
    EXPECT_EQ(seen, (std::vector<Number>{3, 0})) << "played with the mouse captured";
    EXPECT_EQ((std::vector<Number>{ActorCount(), SpecialItems(4, 3), ActorPos(0, 0), ActorPos(0, 2)}),
              (std::vector<Number>{4, 1000, 0, 3}));
    EXPECT_TRUE(SystemPointer());
    EXPECT_EQ(level_media::ReadBytes(dir + "/level.ini"), DemoLevelText()) << "a test run saves nothing";
    GuiDriver::ResetToolkit();
    std::filesystem::current_path(oldDir);
    std::filesystem::remove_all(dir);
}

}  // namespace
