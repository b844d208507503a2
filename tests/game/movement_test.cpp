// Player movement on small levels built in the test: walking, ground, walls, ledges,
// steps, jumps, water, falling, moving platforms and the contact tests behind them.
#include <cmath>

#include <gtest/gtest.h>

#include "game/contact.h"
#include "game/movement.h"
#include "game/path.h"
#include "runtime/frame/input.h"
#include "runtime/frame/numbers.h"
#include "tests/game/game_support.h"

using namespace game_test;

namespace {

class MovementTest : public GameTest {
protected:
    void Hold(std::initializer_list<int> keys) {
        for (int key : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyLControl, kKeyPeriod}) platform().ReleaseKey(key);
        PollInputFrame(), PollInputFrame();
        for (int key : keys) platform().PressKey(key);
    }
};

TEST_F(MovementTest, ControlsAndTimeStep) {
    // Opposite keys together: Left and Up win, the two turns cancel; Period alone turns by +1.
    Hold({kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyPeriod, kKeyComma});
    EXPECT_EQ((P3{GameInput(0), GameInput(1), GameInput(4)}), (P3{-1, -1, 0}));
    platform().ReleaseKey(kKeyComma);
    PollInputFrame(), PollInputFrame();   // a released key counts for the frame after it went up
    EXPECT_EQ(GameInput(4), 1);
    // Whole milliseconds, at most 120.
    EXPECT_EQ((P3{FrameFactorFor(35.9), FrameFactorFor(200), 0}), (P3{35.0 / 700, 120.0 / 700, 0}));
}

// Two frames from rest at a time step of 0.05, on land and in water: one key walks at 20 (a
// step of 1 per frame), damped by 4 on land and by 9 in water; two keys at 28.3.
TEST_F(MovementTest, WalkingSwimmingAndFallingSpeeds) {
    AddGround();
    SetBoxModel(kWaterSlot, 10, 0, -5, 20, 3.8, 5);
    AddObject(kWaterSlot, -1, -0.5, 1, -1, 0, 0, 0, 0);
    AddActor(0, 0.05, 0);
    struct Case { std::initializer_list<int> keys; Number x, y; P3 first, second; Number facing, animation; };
    const Case cases[] = {
        {{kKeyUp}, 0, 0.05, {0, 0, -1}, {0, 0, -1.8}, 180, 1},
        {{kKeyUp, kKeyRight}, 0, 0.05, {1, 0, -1}, {1.8, 0, -1.8}, 135, 1},
        {{kKeyLeft}, 15, 1, {-1, -0.225, 0}, {-1.55, -0.39375, 0}, -90, 3},   // swimming: gravity 4.5, drag 5
        {{}, 0, 30, {0, -0.4905, 0}, {0, -0.981, 0}, 0, 0},                   // falling in the air
    };
    for (const Case& c : cases) {
        Hold(c.keys);
        X() = c.x, Y() = c.y, Z() = 0, VX() = 0, VY() = 0, VZ() = 0, ActorPos(0, 3) = 0;
        GameRun run = Run(0.05);
        Step(run);
        EXPECT_EQ(Round3(Vel()), c.first) << c.x << " " << c.y;
        Step(run);
        EXPECT_EQ(Round3(Vel()), Round3(c.second)) << c.x << " " << c.y;
        EXPECT_NEAR(ActorPos(0, 3), c.facing, 1e-6);
        EXPECT_EQ(ActorProps(0, 2), c.animation);
    }
    EXPECT_EQ((P3{PointInWater(15, 3.7, 0), PointInWater(15, 3.9, 0), PointInWater(8, 1, 0)}), (P3{1, 0, 0}));
    // In the water, off the ground, the jump still works: near the surface a hop of 9.8.
    Hold({kKeyLControl});
    X() = 15, Y() = 1.2, VY() = 0;
    GameRun run = Run(0.05);
    Step(run);
    EXPECT_EQ((P3{run.inWater, ActorProps(0, 2), VY()}), (P3{1, 3, 9.8}));
}

TEST_F(MovementTest, OnTheGroundTheBodySettlesAndAWallStopsBothAxes) {
    AddGround();
    SetBoxModel(kWallSlot, 0.9, 0, -10, 2, 4, 10);   // along z at x = 0.9 .. 2
    AddObject(kWallSlot, -1, 0, 0, -1, 0, 0, 0, 0);
    AddActor(0, 0.1, 0);
    VX() = 8, VZ() = 8;   // z alone is free
    GameRun run = Run();
    Step(run);
    EXPECT_EQ((std::array{Vel(), Pos()}), (std::array{P3{0, 0, 0}, P3{0, 0.1, 0}}));
    // Standing still, the velocity decays to exactly 0 and the ground probe holds the player.
    VX() = -3, VZ() = -2;
    for (int i = 0; i < 40; ++i) Step(run);
    EXPECT_EQ(Vel(), (P3{0, 0, 0}));
    EXPECT_EQ((P3{run.onGround, run.damping, ActorProps(0, 2)}), (P3{1, 4 * 0.05, 0}));
}

TEST_F(MovementTest, StandingNearADropSlidesOverTheLedgeAndFalls) {
    // Ground ends at x = -0.6: the box (half width 0.75) still rests on it.
    SetBoxModel(kStepSlot, -20, -1, -20, -0.6, 0, 20);
    AddObject(kStepSlot, -1, 0, 0, -1, 0, 0, 0, 0);
    AddActor(0, 0.1, 0);
    GameRun run = Run(0.05);
    Step(run);
    // The first free probe is +x, -z, 0.25 away; the player moves up by 0.25 and falls at 15 at once.
    EXPECT_EQ(Round3(Pos()), (P3{0.25, -0.4, -0.25}));
    EXPECT_EQ(Vel(), (P3{0, -15, 0}));
    EXPECT_EQ((P3{ActorProps(0, 2), ActorProps(0, 3), 0}), (P3{4, 0.5, 0}));
}

TEST_F(MovementTest, StepsUpOnlyAfterTheFirstFall) {
    AddGround();
    SetBoxModel(kStepSlot, 0.8, 0, -10, 10, 0.25, 10);   // a step 0.25 high from x = 0.8
    AddObject(kStepSlot, -1, 0, 0, -1, 0, 0, 0, 0);
    AddActor(0, 0.1, 0);
    GameRun run = Run(0.05);
    VX() = 5;
    Step(run);
    EXPECT_EQ((P3{X(), VX(), 0}), (P3{0, 0, 0})) << "never fallen: the step blocks";
    Y() = 1;   // drop from a little height until landed
    for (int i = 0; i < 20 && run.lastFall == 0; ++i) Step(run);
    for (int i = 0; i < 10; ++i) Step(run);
    ASSERT_TRUE(run.lastFall != 0 && run.onGround == 1);
    EXPECT_LT(Y(), 0.2) << "held up by the ground probe";
    VX() = 5;
    Step(run);
    EXPECT_GT(X(), 0);
    EXPECT_NEAR(VX(), 4, 1e-12) << "no speed lost climbing";
    EXPECT_TRUE(Y() >= 0.2 && Y() <= 0.25) << Y();
}

TEST_F(MovementTest, JumpReachesFourteenReleasingItFallsThreeTimesAsFastAndFallingIsCappedAtFifteen) {
    AddGround();
    AddActor(0, 0.1, 0);
    GameRun run = Run(0.05);
    Hold({kKeyLControl});
    Step(run);
    EXPECT_NEAR(VY(), 14 - 0.4905, 1e-12) << "gravity acts in the jump's own frame";
    EXPECT_EQ((P3{run.onGround, ActorProps(0, 2), 0}), (P3{0, 0, 0})) << "animation chosen before the jump";
    const P3 at = Pos();
    GameRun held = run;
    Step(held);
    EXPECT_NEAR(VY(), 14 - 2 * 0.4905, 1e-12);
    EXPECT_EQ(ActorProps(0, 2), 2) << "jump animation";
    X() = at[0], Y() = at[1], Z() = at[2], VY() = 14 - 0.4905;
    Hold({});
    Step(run);
    EXPECT_NEAR(VY(), 14 - 4 * 0.4905, 1e-12);
    Y() = 100, VY() = -40;
    run.frameFactor = 0.1;
    Step(run);
    EXPECT_EQ((P3{VY(), Y(), ActorProps(0, 2)}), (P3{-15, 100 - 1.5, 4})) << "falling fast";
    EXPECT_NEAR(run.lastFall, -1.5, 1e-12);
    // Landing stops the fall on the ground, at most one lift step (0.05) inside it.
    Y() = 0.4, VY() = -10;
    Step(run);
    EXPECT_EQ(VY(), 0);
    EXPECT_TRUE(Y() >= -0.05 && Y() <= 0) << Y();
}

TEST_F(MovementTest, AMovingPlatformCarriesThePlayerByItsWholeStep) {
    // A lift going up and down between y 0 and 8, with its top at y = 0.3 at the start.
    SetBoxModel(kPlatformSlot, -2, -0.3, -2, 2, 0.3, 2);
    MakePaths({{3, 0, 4, 3, 8, 4}});
    AddObject(kPlatformSlot, -1, 0, 0, 0, 3, 0, 4, 0);
    AddActor(3.5, 0.3, 4.5);
    GameRun run = Run(0.05);
    EXPECT_EQ(PlatformUnder(0), 0);
    UpdateGround(run, 0.25);   // 2 units up the path
    EXPECT_EQ((P3{run.onGround, ObjPos(0, 1), 0}), (P3{1, 2, 0}));
    EXPECT_EQ(Pos(), (P3{3.5, 2.3, 4.5}));
}

TEST_F(MovementTest, ContactBoundsAgreeWithTheEngineForTurnedOffCentreModels) {
    // A thin slab far from its model origin, turned three ways; and models that cannot be tested.
    SetBoxModel(kWallSlot, 3, 1, -1, 6, 1.5, 4);
    for (Number angle : {0.0, 37.0, 200.0}) AddObject(kWallSlot, -1, 0, 0, -1, 1, 0.5, -2, angle);
    AddObject(kWallSlot + 40, -1, 0, 0, -1, 0, 0, 0, 0);   // an empty slot
    AddObject(-3, -1, 0, 0, -1, 0, 0, 0, 0);              // no slot at all
    const ContactScene scene;
    ASSERT_EQ(scene.Objects().size(), 3u);
    // Only the box's corner reaches the unturned slab's far corner at (7, 2).
    EXPECT_EQ(BoxTouchesObject(scene.Objects()[0], 7.7, 1.75, 2.7), 1);
    // Turned or not, the bounds never change the engine's own answer.
    for (const ContactObject& o : scene.Objects())
        for (Number x = -8; x <= 9; x += 0.7)
            for (Number z = -9; z <= 8; z += 0.7) {
                const Number box = BoxTouchesObject(o, x, 1.9, z);
                SetMovement(o.x, o.y, o.z), AddRotation(o.angle, 0, 1, 0);
                EXPECT_EQ(box, CollisionBox(o.model, 0, x, 1.9, z, 1.5, 3.5)) << x << " " << z;
            }
}

}  // namespace
