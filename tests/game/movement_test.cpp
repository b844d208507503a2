// Player movement on small levels built in the test: ground, walls, ledges, steps,
// jumps, water, falling and moving platforms.
#include <cmath>

#include <gtest/gtest.h>

#include "game/movement.h"
#include "game/path.h"
#include "runtime/frame/input.h"
#include "tests/game/game_support.h"

using namespace game_test;

namespace {

class MovementTest : public GameTest {
protected:
    // One frame of the player's own motion: ground first, then movement.
    void Step(GameRun& run, Number t = 0) {
        run.gravity = kGravity;
        run.oldPosition = {X(), Y(), Z()};
        UpdateGround(run, t);
        MovePlayer(run);
    }
};

TEST_F(MovementTest, ControlsAndTimeStep) {
    for (int key : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyPeriod, kKeyComma}) platform().PressKey(key);
    // Opposite keys together: Left and Up win, the two turns cancel.
    EXPECT_EQ((P3{GameInput(0), GameInput(1), GameInput(4)}), (P3{-1, -1, 0}));
    platform().ReleaseKey(kKeyComma);
    // A released key still counts for the frame after it went up.
    PollInputFrame();
    PollInputFrame();
    EXPECT_EQ(GameInput(4), 1);

    // Whole milliseconds, at most 120.
    EXPECT_DOUBLE_EQ(FrameFactorFor(35.9), 0.05);
    EXPECT_DOUBLE_EQ(FrameFactorFor(200), 120.0 / 700);
}

TEST_F(MovementTest, StandingStillSettlesToExactlyZeroOnTheGround) {
    AddGround();
    AddActor(0, 0.1, 0);
    VX() = 3;
    VZ() = -2;
    GameRun run = Run();
    for (int i = 0; i < 40; ++i) Step(run);
    EXPECT_EQ(Vel(), (P3{0, 0, 0}));
    EXPECT_EQ(run.onGround, 1);
    EXPECT_EQ(ActorProps(0, 2), 0) << "standing";
}

TEST_F(MovementTest, WalkingIntoAWallStopsBothAxesAtTheOldPosition) {
    AddGround();
    // A wall along z at x = 0.9 .. 2.
    SetBoxModel(kWallSlot, 0.9, 0, -10, 2, 4, 10);
    AddObject(kWallSlot, -1, 0, 0, -1, 0, 0, 0, 0);
    AddActor(0, 0.1, 0);
    VX() = 8;
    VZ() = 8;   // z alone is free
    GameRun run = Run();
    Step(run);
    EXPECT_EQ(Vel(), (P3{0, 0, 0}));
    EXPECT_EQ(Pos(), (P3{0, 0.1, 0}));
}

TEST_F(MovementTest, StandingNearADropSlidesOverTheLedgeAndFalls) {
    // Ground ends at x = -0.6: the box (half width 0.75) still rests on it.
    SetBoxModel(kStepSlot, -20, -1, -20, -0.6, 0, 20);
    AddObject(kStepSlot, -1, 0, 0, -1, 0, 0, 0, 0);
    AddActor(0, 0.1, 0);
    GameRun run = Run(0.05);
    const Number s = 5 * 0.05;
    Step(run);
    // The first free probe is +x, -z; the player moves up by s and starts the fall at once.
    EXPECT_EQ(Round3(Pos()), Round3(P3{s, 0.1 + s - kMaxFallSpeed * 0.05, -s}));
    EXPECT_EQ(VY(), -kMaxFallSpeed);
    EXPECT_EQ(ActorProps(0, 2), 4);
    EXPECT_EQ(ActorProps(0, 3), 0.5);
}

TEST_F(MovementTest, StepsUpOnlyAfterTheFirstFall) {
    AddGround();
    // A step 0.25 high beginning 0.8 to the right of the player.
    SetBoxModel(kStepSlot, 0.8, 0, -10, 10, 0.25, 10);
    AddObject(kStepSlot, -1, 0, 0, -1, 0, 0, 0, 0);
    AddActor(0, 0.1, 0);
    GameRun run = Run(0.05);
    VX() = 5;
    Step(run);
    EXPECT_EQ(X(), 0) << "never fallen: the step blocks";
    EXPECT_EQ(VX(), 0);

    // Drop from a little height until landed.
    Y() = 1;
    for (int i = 0; i < 20 && run.lastFall == 0; ++i) Step(run);
    for (int i = 0; i < 10; ++i) Step(run);
    ASSERT_NE(run.lastFall, 0);
    ASSERT_EQ(run.onGround, 1);
    const Number landed = Y();
    EXPECT_LT(landed, 0.2) << "held up by the ground probe";

    VX() = 5;
    Step(run);
    EXPECT_GT(X(), 0);
    EXPECT_NEAR(VX(), 4, 1e-12) << "no speed lost climbing";
    EXPECT_GE(Y(), 0.2);
    EXPECT_LE(Y(), 0.25);
}

TEST_F(MovementTest, JumpReachesFourteenAndReleasingItFallsBackThreeTimesAsFast) {
    AddGround();
    AddActor(0, 0.1, 0);
    GameRun run = Run(0.05);
    platform().PressKey(kKeyLControl);
    Step(run);
    EXPECT_EQ(run.onGround, 0);
    // The jump sets 14; gravity acts in the same frame.
    EXPECT_NEAR(VY(), kJumpSpeed - kGravity * 0.05, 1e-12);

    const Number held = VY();
    GameRun kept = run;
    const Number x = X(), y = Y(), z = Z(), vy = VY();
    Step(kept);
    const Number heldNext = VY();

    X() = x, Y() = y, Z() = z, VY() = vy;
    platform().ReleaseKey(kKeyLControl);
    PollInputFrame();
    PollInputFrame();
    Step(run);
    EXPECT_EQ(ActorProps(0, 2), 2) << "jump animation";
    EXPECT_NEAR(held - heldNext, kGravity * 0.05, 1e-12);
    EXPECT_NEAR(vy - VY(), 3 * kGravity * 0.05, 1e-12);
}

TEST_F(MovementTest, SwimmingJumpsAtAnyDepthAndHopsOutOfTheSurface) {
    AddGround();
    SetBoxModel(kWaterSlot, -5, 0, -5, 5, 3.8, 5);
    AddObject(kWaterSlot, -1, -0.5, kBehaviourWater, -1, 0, 0, 0, 0);
    AddActor(0, 1.2, 0);   // head at 3.7, under the surface
    GameRun run = Run(0.05);
    EXPECT_EQ((P3{PointInWater(0, 3.7, 0), PointInWater(0, 3.9, 0), PointInWater(8, 1, 0)}), (P3{1, 0, 0}));

    // Deep down, not on the ground: the jump still works.
    Y() = 0.5;
    platform().PressKey(kKeyLControl);
    Step(run);
    EXPECT_EQ(run.inWater, 1);
    EXPECT_EQ(ActorProps(0, 2), 3) << "swimming";
    EXPECT_GT(VY(), 0);

    // Near the surface the rise takes the head out: a hop of 9.8.
    Y() = 1.2;
    VY() = 0;
    Step(run);
    EXPECT_GT(Y() + 2.5, 3.8);
    EXPECT_EQ(VY(), kWaterHopSpeed);
}

TEST_F(MovementTest, FallingIsCappedAtFifteen) {
    AddGround();
    AddActor(0, 100, 0);
    VY() = -40;
    GameRun run = Run(0.1);
    Step(run);
    EXPECT_EQ(VY(), -kMaxFallSpeed);
    EXPECT_NEAR(Y(), 100 - 1.5, 1e-12);
    EXPECT_NEAR(run.lastFall, -1.5, 1e-12);
    EXPECT_EQ(ActorProps(0, 2), 4) << "falling fast";

    // Landing stops the fall on the ground, at most one lift step inside it.
    Y() = 0.4;
    VY() = -10;
    Step(run);
    EXPECT_EQ(VY(), 0);
    EXPECT_GE(Y(), -kLiftStep);
    EXPECT_LE(Y(), 0);
}

TEST_F(MovementTest, AMovingPlatformCarriesThePlayerByItsWholeStep) {
    // A lift going up and down between y 0 and 8, with its top at y = 0.3 at the start.
    SetBoxModel(kPlatformSlot, -2, -0.3, -2, 2, 0.3, 2);
    const int path = AddPath({{3, 0, 4}, {3, 8, 4}});
    AddObject(kPlatformSlot, -1, 0, 0, path, 3, 0, 4, 0);
    AddActor(3.5, 0.3, 4.5);
    GameRun run = Run(0.05);
    EXPECT_EQ(PlatformUnder(0), 0);
    UpdateGround(run, 0.25);   // 2 units up the path
    EXPECT_EQ(run.onGround, 1);
    EXPECT_EQ(ObjPos(0, 1), 2);
    EXPECT_EQ(Pos(), (P3{3.5, 2.3, 4.5}));
    // Beside the platform nothing carries.
    X() = 10;
    EXPECT_EQ(PlatformUnder(0), -1);
}

}  // namespace
