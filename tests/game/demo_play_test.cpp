// Playing the demo level: the level the demo generator writes, loaded as the editor
// loads it, played with scripted keys.
#include <unistd.h>

#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "editor/levelfile.h"
#include "game/movement.h"
#include "game/playlevel.h"
#include "tests/game/demo_driver.h"
#include "tests/game/game_support.h"
#include "tools/demo.h"

using namespace game_test;

namespace {

class DemoPlayTest : public GameTest {
protected:
    void SetUp() override {
        GameTest::SetUp();
        dir_ = std::filesystem::temp_directory_path() / ("zv_game_demo_" + std::to_string(::getpid()));
        ASSERT_TRUE(WriteDemo(dir_.string()).ok);
        oldDir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir_);
        LoadLevel("level.ini");
    }
    void TearDown() override {
        std::filesystem::current_path(oldDir_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
        GameTest::TearDown();
    }
    std::filesystem::path dir_, oldDir_;
};

TEST_F(DemoPlayTest, AScriptedRunWalksJumpsTakesTheAmmunitionAndShootsAnEnemy) {
    ASSERT_EQ(ActorCount(), 4);
    ASSERT_EQ(SpecialItems(4, 3), 1000) << "the demo's ammunition item";
    EXPECT_EQ(CollideActor(0, 0, 0, 0), 0) << "the player starts free";
    EXPECT_EQ(CollideActor(0, 0, -0.2, 0), 1) << "and on the ground";

    DemoPilot pilot;
    double peakY = 0;
    PlanDemoRoute(pilot, &peakY);
    pilot.Fly(platform(), 400);
    platform().SetPollLimit(platform().PollCount() + 450);
    PlayLevel(1);

    const std::vector<std::string> done = pilot.Done();
    ASSERT_EQ(done.size(), 6u) << "stopped after: " << (done.empty() ? "nothing" : done.back());
    EXPECT_EQ(SpecialItems(4, 3), -1) << "ammunition taken";
    EXPECT_GT(peakY, 2) << "jumped";
    EXPECT_EQ(ActorCount(), 3) << "the enemy was shot";
}

}  // namespace
