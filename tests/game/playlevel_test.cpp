// The game loop, camera and HUD: whole runs of PlayLevel on the headless platform with
// scripted keys, a test run from the editor, and the camera and HUD on their own.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "editor/editor.h"
#include "game/path.h"
#include "game/playlevel.h"
#include "game/rules.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "tests/level/level_media.h"
#include "tests/game/game_support.h"
#include "tests/support/gui_driver.h"
#include "tools/demo.h"

using namespace game_test;

namespace {

class PlayLevelTest : public GameTest {
protected:
    // Plays until the run returns; false when it did not return within the poll limit.
    bool Play(Number fromEditor, int pollLimit = 400) {
        platform().SetPollLimit(pollLimit);
        try {
            PlayLevel(fromEditor);
        } catch (const HeadlessPollLimit&) {
            return false;
        }
        return true;
    }
};

TEST_F(PlayLevelTest, OutsideTheEditorEDoesNothingAndRunningOutOfLivesEndsTheRunAtTheCheckpoint) {
    AddGround();
    const int none = platform().PollCount();
    ASSERT_TRUE(Play(0, none + 5));
    EXPECT_EQ(platform().PollCount(), none) << "a level without a player returns at once";
    AddActor(0, 0.1, 0);
    SetBoxModel(kToxicSlot, -1, 0, -1, 1, 0.2, 1);
    AddObject(kToxicSlot, -1, 0, 2, -1, 0, 0, 0, 0);
    platform().Then([](HeadlessPlatform& p) { p.PressKey(kKeyE); });
    ASSERT_TRUE(Play(0));
    // Toxic ground costs a life every frame: lives 3, 2, 1, 0, then the run ends in the
    // fourth frame, before its flip, with the player back at the checkpoint.
    EXPECT_EQ(platform().PollCount() - none, 3);
    EXPECT_EQ(Pos(), (P3{0, 0.1, 0}));
}

TEST_F(PlayLevelTest, UpWalksAwayFromTheCameraAtTheGamesOwnPace) {
    AddGround();
    AddActor(0, 0.05, 0);   // held by the ground probe: a box touching the ground would not walk
    std::vector<Number> factors;
    platform().OnPoll([&](HeadlessPlatform&, int) {
        if (const GameRun* run = CurrentGameRun()) factors.push_back(run->frameFactor);
    });
    platform().Then([](HeadlessPlatform& p) { p.PressKey(kKeyUp); });
    platform().Idle(20).Then([](HeadlessPlatform& p) { p.PressKey(kKeyE); });
    ASSERT_TRUE(Play(1));
    // 20 frames per second, and the frame time counts from the flip before last: once the
    // pace is set, every frame's time step is 100 / 700.
    ASSERT_GE(factors.size(), 20u);
    for (size_t i = 5; i < factors.size(); ++i) EXPECT_DOUBLE_EQ(factors[i], 100.0 / 700) << i;
    // The camera looks from +z; up walks toward -z at 20, damped by 4: 5 per time step.
    EXPECT_NEAR(ActorState(0, 2), -5, 0.02);
    EXPECT_TRUE(Z() < -5 && animPhase > 0);
    EXPECT_NEAR(ActorPos(0, 3), 180, 1e-6);
    EXPECT_EQ((P3{ActorProps(0, 2), ActorProps(0, 6), X()}), (P3{1, 1, 0})) << "walking, blinking while protected";
}

TEST_F(PlayLevelTest, TheCameraMovesAFifthOfTheWayAtTwentyFramesPerSecondAndSwingsBehindTheShortWay) {
    AddActor(0, 0, 0);
    GameRun run = Run(50.0 / 700);
    run.cameraGoal = {30, 20, 10, 0};
    UpdateGameCamera(run);
    // The open view: the goal direction at 0.9 of the goal distance.
    EXPECT_EQ(Round3(run.camera), (P3{6, 4, 1.8}));
    // A frame shorter than 35 ms jumps to the candidate at once.
    run.frameFactor = 34.0 / 700;
    UpdateGameCamera(run);
    EXPECT_EQ(Round3(run.camera), (P3{30, 20, 9}));
    // Left Shift swings the camera behind the player the short way round.
    ActorPos(0, 3) = 90;
    run = Run(50.0 / 700);
    run.cameraGoal = {0, 0, 10, 0};
    platform().PressKey(kKeyLShift);
    UpdateGameCamera(run);
    EXPECT_EQ(run.cameraGoal[3], 1);
    // Behind is 270; from 0 the camera turns down from 360 with f = 0.8 × 0.6.
    EXPECT_NEAR(run.camera[0], 0.52 * 270 + 0.48 * 360, 1e-9);
}

// A pillar close by in the goal's direction (yaw 120): the camera looks for a clear view
// at yaw 0, 15, ... 90 and takes the nearest, yaw 90; a see-through pillar does not block.
TEST_F(PlayLevelTest, ABlockedCameraTakesTheClosestClearViewOfItsSearch) {
    AddActor(0, 0, 0);
    SetBoxModel(kWallSlot, 1.232, -5, -1.5, 2.232, 10, -0.5);
    AddObject(kWallSlot, -1, 0, 0, -1, 0, 0, 0, 0);
    for (const auto& [alpha, camera] : {std::pair{0.0, P3{90, 0, 9}}, {0.4, P3{90, 0, 9}}, {-0.41, P3{120, 0, 9}}}) {
        ObjProps(0, 2) = alpha;
        GameRun run = Run(34.0 / 700);   // a short frame: straight to the candidate
        run.cameraGoal = {120, 0, 10, 0};
        UpdateGameCamera(run);
        EXPECT_EQ(Round3(run.camera), camera) << alpha;
    }
}

TEST_F(PlayLevelTest, RightAltStepsTheDistancePresetEveryFrame) {
    AddGround();
    AddActor(0, 0.1, 0);
    GameRun run = Run();
    platform().PressKey(kKeyRAlt);
    const Number expected[4][2] = {{30, 25}, {50, 12}, {10, 45}, {30, 25}};
    for (const auto& e : expected) {
        UpdateGame(run);
        EXPECT_EQ((std::array{run.cameraGoal[2], run.cameraGoal[1]}), (std::array{e[0], e[1]}));
    }
    // Every frame starts with gravity 9.81.
    Y() = 10, VY() = 0;
    UpdateGame(run);
    EXPECT_NEAR(VY(), -0.4905, 1e-12);
}

TEST_F(PlayLevelTest, HudTextsTellTheRunState) {
    AddActor(0, 0, 0);
    GameRun run = Run();
    run.damping = 0.2, run.onGround = 1;
    run.cameraGoal = {12.5, 25, 30, 0};
    run.camera = {3, -4.4, 9};
    std::vector<std::string> lines;
    for (const StrValue& line : HudLines(run)) lines.push_back(line.Std());
    EXPECT_EQ(lines, (std::vector<std::string>{"Invul: 4.0 Energy: 100 Lives: 3", "c_fix:0.20 OG:1",
                                               "c0:12.5 c1: 25 c2:30", "c0:3.0 c1: -4 c2:9"}));
    // The protection counts down in whole seconds and stops at 0, however much is left.
    run.energy = 7;
    const std::pair<Number, const char*> invul[] = {{2500, "Invul: 2.0 Energy:   7 Lives: 3"},
                                                    {-3000, "Invul: 0.0 Energy:   7 Lives: 3"},
                                                    {2147483648.0 + 5999, "Invul: 2147489.0 Energy:   7 Lives: 3"},
                                                    {1e13 + 999, "Invul: 10000000000.0 Energy:   7 Lives: 3"}};
    for (const auto& c : invul) {
        run.invulnerableUntil = GetElapsedTime() + c.first;
        EXPECT_EQ(HudLines(run)[0].Std(), c.second) << c.first;
    }
    // A fresh run tells its keys for eight seconds; E only from the editor.
    const std::string keys = "Arrows walk  Ctrl jump  Space fire  , . turn camera  Shift camera behind  Right Alt distance";
    EXPECT_EQ(KeyHintLine(run, 1).Std(), keys + "  E ends the test");
    EXPECT_EQ(KeyHintLine(run, 0).Std(), keys);
    run.keysShownUntil = GetElapsedTime();
    EXPECT_EQ(KeyHintLine(run, 1).Std(), "");
}

// "Test" in the editor on the demo level: the game plays "test.ini" and changes the level in
// place; E returns to the editor, which has the level back as it was saved.
TEST_F(PlayLevelTest, EAfterATestRunFromTheEditorGivesBackTheLevelAsSaved) {
    const std::string dir = std::filesystem::temp_directory_path() / ("zv_game_editor_" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    ASSERT_TRUE(WriteDemo(dir).ok);
    const auto oldDir = std::filesystem::current_path();
    std::filesystem::current_path(dir);
    platform().SetPollLimit(20000);
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
