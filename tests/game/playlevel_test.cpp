// The game loop, camera and HUD: whole runs of PlayLevel on the headless platform with
// scripted keys, and the camera and HUD on their own.
#include <gtest/gtest.h>

#include <tuple>

#include "game/path.h"
#include "game/playlevel.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "tests/game/game_support.h"

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
    void StandOnToxicGround() {
        AddGround();
        SetBoxModel(kToxicSlot, -1, 0, -1, 1, 0.2, 1);
        AddObject(kToxicSlot, -1, 0, kBehaviourToxic, -1, 0, 0, 0, 0);
        AddActor(0, 0.1, 0);
    }
};

TEST_F(PlayLevelTest, EEndsTheRunOnlyFromTheEditorAndRunningOutOfLivesEndsItAtTheCheckpoint) {
    AddGround();
    AddActor(0, 0.1, 0);
    const int start = platform().PollCount();
    platform().Idle(2).Then([](HeadlessPlatform& p) { p.PressKey(kKeyE); });
    ASSERT_TRUE(Play(1));
    EXPECT_EQ(platform().PollCount() - start, 3);

    // Without the editor E does nothing; here only the lost lives end the run.
    platform().Reset();
    ResetLevelArrays();
    StandOnToxicGround();
    const int before = platform().PollCount();
    platform().Then([](HeadlessPlatform& p) { p.PressKey(kKeyE); });
    ASSERT_TRUE(Play(0));
    // Toxic ground costs a life every frame: lives 3, 2, 1, 0, then the run ends in the
    // fourth frame, before its flip, with the player back at the checkpoint.
    EXPECT_EQ(platform().PollCount() - before, 3);
    EXPECT_EQ(X(), 0);
    EXPECT_EQ(Z(), 0);
}

TEST_F(PlayLevelTest, ALevelWithoutAPlayerReturnsAtOnce) {
    AddGround();
    const int start = platform().PollCount();
    ASSERT_TRUE(Play(1, start + 5));
    EXPECT_EQ(platform().PollCount(), start);
}

TEST_F(PlayLevelTest, UpWalksAwayFromTheCameraAndTheCameraFollows) {
    AddGround();
    // Just above the ground: it holds the player (a box touching it would block walking
    // until the first fall).
    AddActor(0, 0.05, 0);
    platform().Then([](HeadlessPlatform& p) { p.PressKey(kKeyUp); });
    platform().Idle(20).Then([](HeadlessPlatform& p) {
        p.ReleaseKey(kKeyUp);
        p.PressKey(kKeyE);
    });
    ASSERT_TRUE(Play(1));
    // The camera looks from +z; up walks toward -z at up to 20 units per frameFactor.
    EXPECT_LT(Z(), -10);
    EXPECT_NEAR(X(), 0, 1e-9);
    EXPECT_NEAR(ActorPos(0, 3), 180, 1e-6);
    EXPECT_EQ(ActorProps(0, 2), 1) << "walking";
    EXPECT_EQ(ActorProps(0, 6), 1) << "blinking while protected";
    EXPECT_GT(animPhase, 0);
}

TEST_F(PlayLevelTest, TheCameraMovesAFifthOfTheWayAtTwentyFramesPerSecond) {
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
}

TEST_F(PlayLevelTest, LeftShiftSwingsTheCameraBehindThePlayerTheShortWayRound) {
    AddActor(0, 0, 0);
    ActorPos(0, 3) = 90;
    GameRun run = Run(50.0 / 700);
    run.cameraGoal = {0, 0, 10, 0};
    platform().PressKey(kKeyLShift);
    UpdateGameCamera(run);
    EXPECT_EQ(run.cameraGoal[3], 1);
    // Behind is 270; from 0 the camera turns down from 360 with f = 0.8 × 0.6.
    EXPECT_NEAR(run.camera[0], 0.52 * 270 + 0.48 * 360, 1e-9);
}

TEST_F(PlayLevelTest, TheCameraLineOfSightStopsAtSolidObjectsOnly) {
    AddActor(0, 0, 0);
    SetBoxModel(kWallSlot, -1, 0, 5, 1, 4, 6);
    AddObject(kWallSlot, -1, 0, 0, -1, 0, 0, 0, 0);
    GameRun run = Run();
    run.cameraGoal = {0, 0, 10, 0};
    // Distance and error of the view past the wall, then with a see-through wall.
    for (const auto& [alpha, distance, error] : {std::tuple{0.0, 0.9 * 5, 5.0}, {-0.5, 9.0, 0.0}}) {
        ObjProps(0, 2) = alpha;
        CameraCandidate c;
        ProbeCamera(run, 0, 0, c);
        EXPECT_NEAR(c.distance, distance, 1e-6) << alpha;
        EXPECT_NEAR(c.error, error, 1e-6) << alpha;
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
    platform().ReleaseKey(kKeyRAlt);
    platform().PressKey(kKeyPeriod);
    PollInputFrame();
    PollInputFrame();
    UpdateGame(run);
    EXPECT_NEAR(run.cameraGoal[0], 0.05 * 50, 1e-12) << "Period turns the camera";
}

TEST_F(PlayLevelTest, HudTextsTellTheRunState) {
    AddActor(0, 0, 0);
    GameRun run = Run();
    run.damping = 0.2;
    run.onGround = 1;
    run.cameraGoal = {12.5, 25, 30, 0};
    run.camera = {3, -4.4, 9};
    std::vector<std::string> lines;
    for (const StrValue& line : HudLines(run)) lines.push_back(line.Std());
    EXPECT_EQ(lines, (std::vector<std::string>{"Invul: 4.0 Energy: 100 Lives: 3", "c_fix:0.20 OG:1",
                                               "c0:12.5 c1: 25 c2:30", "c0:3.0 c1: -4 c2:9"}));

    // The protection counts down in whole seconds and stops at 0, however much is left.
    run.energy = 7;
    const struct {
        Number left;
        const char* shown;
    } invul[] = {{2500, "Invul: 2.0 Energy:   7 Lives: 3"},
                 {-3000, "Invul: 0.0 Energy:   7 Lives: 3"},
                 {2147483648.0 + 5999, "Invul: 2147489.0 Energy:   7 Lives: 3"},
                 {1e13 + 999, "Invul: 10000000000.0 Energy:   7 Lives: 3"}};
    for (const auto& c : invul) {
        run.invulnerableUntil = GetElapsedTime() + c.left;
        EXPECT_EQ(HudLines(run)[0].Std(), c.shown) << c.left;
    }
}

}  // namespace
