// The engine without a graphics context: slots, transforms, animation choice,
// visibility, projection and the collision tests.
#include <gtest/gtest.h>

#include <cmath>

#include "model_fixtures.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/gfx3d/lumenor3d.h"

namespace {

void ExpectPoint(const Matrix4& m, Point3 in, Point3 expected) {
    const double p[3] = {in[0], in[1], in[2]};
    double out[3];
    m.TransformPoint(p, out);
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(out[a], expected[size_t(a)], 1e-9) << "axis " << a;
}

class EngineTest : public testing::Test {
protected:
    void SetUp() override {
        engine.SetViewportRect(0, 0, 800, 600, 600);
        engine.Make3D(1, 1000, 45);
        engine.SetCamera(0, 0, 50, 0, 0, 0);
    }
    // Frame k: a square of half size 10 at height k.
    void PutStack(int slot, int frames) {
        std::vector<std::vector<Point3>> f;
        for (int k = 0; k < frames; ++k) f.push_back(Square(10, float(k)));
        PutTriangles(*engine.Model(slot), f);
        engine.ModelChanged(slot);
    }
    float DrawnHeight() { return engine.Model(engine.LastDraw().slot)->drawList[0].position[1]; }

    Lumenor3D engine;
};

}  // namespace

TEST_F(EngineTest, RotationsAndLevelsComposeUpToSixteenEach) {
    engine.SetMovement(10, 0, 0);
    engine.AddRotation(90, 0, 0, 1);   // acts first: (1,0,0) -> (0,1,0)
    engine.AddRotation(90, 0, 1, 0);   // then leaves (0,1,0) alone
    ExpectPoint(engine.ModelMatrix(), {1, 0, 0}, {10, 1, 0});
    engine.SetScaling(2, 3, 4);        // clears the rotations
    ExpectPoint(engine.ModelMatrix(), {1, 1, 1}, {12, 3, 4});
    ASSERT_TRUE(engine.PushTransform());
    engine.SetMovement(0, 5, 0);
    ExpectPoint(engine.ModelMatrix(), {0, 0, 0}, {10, 15, 0});
    engine.PopTransform();
    engine.PopTransform();
    EXPECT_EQ(engine.CurrentLevel(), 0);
    engine.SetMovement(1, 2, 3);       // clears the rotations too
    ExpectPoint(engine.ModelMatrix(), {0, 0, 0}, {1, 2, 3});

    for (int k = 0; k < 17; ++k) engine.AddRotation(90, 0, 1, 0);   // 16 quarter turns: a full circle
    EXPECT_EQ(engine.Level(0).rotationCount, 16);
    ExpectPoint(engine.ModelMatrix(), {1, 0, 0}, {3, 2, 3});   // a full circle, then scale and movement
    for (int k = 1; k < 16; ++k) EXPECT_TRUE(engine.PushTransform());
    EXPECT_FALSE(engine.PushTransform());
    EXPECT_EQ(engine.CurrentLevel(), 15);
    engine.SetCamera(0, 0, 50, 0, 0, 0);
    EXPECT_EQ(engine.CurrentLevel(), 0);
    EXPECT_EQ(engine.Level(0).rotationCount, 0);
}

TEST(AnimationChoice, LoopingPhaseChoosesFramesAndWeights) {
    auto pick = [](double from, double to, double factor, bool loop, int count = 20) {
        const AnimationPick p = ChooseAnimationFrames(from, to, factor, loop, count);
        return std::tuple(p.first, p.second, p.weight);
    };
    EXPECT_EQ(pick(0, 10, 1.0, true), std::tuple(10, 11, 1.0f));     // factor exactly 1 is kept
    EXPECT_EQ(pick(0, 10, 1.25, true), std::tuple(2, 3, 0.5f));      // otherwise its remainder
    EXPECT_EQ(pick(0, 10, -0.75, true), std::tuple(2, 3, 0.5f));     // remainder of a negative phase
    EXPECT_EQ(pick(10, 0, 0.25, true), std::tuple(8, 7, 0.5f));      // backwards
    EXPECT_EQ(pick(10, 0, 0.5, true), std::tuple(5, 6, 0.0f));       // backwards onto a whole frame shows it
    EXPECT_EQ(pick(3, 5, 0.25, false), std::tuple(3, 5, 0.25f));     // loop off: used as given
    EXPECT_EQ(pick(0, 100, 0.5, true, 12), std::tuple(11, 11, 1.0f)); // limited to the frames
    EXPECT_EQ(pick(0, 10, NAN, true), std::tuple(0, 1, 1.0f));
}

TEST_F(EngineTest, DrawAnimationBlendsEveryVertexOfTheChosenFrames) {
    PutStack(3, 12);
    engine.DrawAnimation(3, 0, 10, 1.25, true);
    ASSERT_TRUE(engine.LastDraw().drawn);
    EXPECT_EQ(DrawnHeight(), 2.5f);
    engine.DrawAnimation(3, 3, 5, 0.25, false);
    EXPECT_EQ(DrawnHeight(), 3 * 0.25f + 5 * 0.75f);
    engine.DrawObject(3, 11);
    EXPECT_EQ(DrawnHeight(), 11.0f);
    engine.DrawObject(3, 12);   // not below the frame count
    EXPECT_FALSE(engine.LastDraw().drawn);
}

TEST_F(EngineTest, BoxTestsFindPlacedAndRotatedModels) {
    PutTriangles(*engine.Model(2), {Square(10)});
    EXPECT_EQ(engine.CollisionBox(2, 0, 0, 1.7, 0, 1.5, 3.5), 1);    // feet 5 cm into the ground
    EXPECT_EQ(engine.CollisionBox(2, 0, 0, 1.8, 0, 1.5, 3.5), 0);    // 5 cm above
    EXPECT_EQ(engine.CollisionBox(2, 0, 10.7, 1.7, 0, 1.5, 3.5), 1); // over the edge
    EXPECT_EQ(engine.CollisionBox(2, 0, 10.8, 1.7, 0, 1.5, 3.5), 0);
    engine.SetMovement(0, 5, 0);
    EXPECT_EQ(engine.CollisionBox(2, 0, 0, 1.7, 0, 1.5, 3.5), 0);
    EXPECT_EQ(engine.CollisionBox(2, 0, 0, 6.7, 0, 1.5, 3.5), 1);
    // Stood up as a wall at x = 20.
    engine.SetMovement(20, 0, 0);
    engine.AddRotation(90, 0, 0, 1);
    EXPECT_EQ(engine.CollisionBox(2, 0, 20.7, 0, 0, 1.5, 3.5), 1);
    EXPECT_EQ(engine.CollisionBox(2, 0, 20.8, 0, 0, 1.5, 3.5), 0);
    EXPECT_EQ(engine.CollisionBox(2, 0, 19.3, 0, 9, 1.5, 3.5), 1);
    EXPECT_EQ(engine.CollisionBox(2, 0, 20, 11.8, 0, 1.5, 3.5), 0);  // above the wall's top edge
    EXPECT_EQ(engine.CollisionBox(2, 1, 20, 0, 0, 1.5, 3.5), 0) << "no such frame";
    EXPECT_EQ(engine.CollisionBox(5000, 0, 0, 0, 0, 1, 1), 0);
}

TEST_F(EngineTest, RaysReportTheNearestHitAheadElseTheNearestBehind) {
    auto both = Square(10, 0);
    for (const auto& p : Square(10, 10)) both.push_back(p);
    PutTriangles(*engine.Model(4), {both, Square(10, 0)});
    EXPECT_NEAR(engine.CollisionRay(4, 0, 1, 5, 1, 0, -1, 0), 5, 1e-5);    // floor ahead, roof behind
    EXPECT_NEAR(engine.CollisionRay(4, 0, 1, -5, 1, 0, 1, 0), 5, 1e-5);    // seen from below: both faces count
    EXPECT_NEAR(engine.CollisionRay(4, 1, 1, -5, 1, 0, -1, 0), -5, 1e-5);  // only behind
    EXPECT_NEAR(engine.CollisionRay(4, 1, 1, -20, 1, 0, -2, 0), -10, 1e-5); // t counts in lengths of R
    EXPECT_EQ(engine.CollisionRay(4, 1, 0, 0, -30, 0, 0, 1), 0);            // parallel, in the plane
    EXPECT_EQ(engine.CollisionRay(4, 2, 1, 5, 1, 0, -1, 0), 0);             // no such frame
    // Placed and turned: the floor becomes a wall at x = 20.
    engine.SetMovement(20, 0, 0);
    engine.AddRotation(90, 0, 0, 1);
    EXPECT_NEAR(engine.CollisionRay(4, 1, 0, 1, 1, 1, 0, 0), 20, 1e-4);
    EXPECT_NEAR(engine.CollisionRay(4, 1, 0, 1, 1, -1, 0, 0), -20, 1e-4);
}

TEST(EngineCommands, LoadObjectKeepsTheOldModelWhenTheNameDoesNotResolve) {
    const std::string path = ScratchPath("cmd.kmoa");
    WriteBytes(path, "KMOA 1 3 0 0 1 0 0 1 1 255 255 255 3 0 0 1 1 2 2 2 3 0 0 0 1 0 0 0 1 0 3 0 0 0 2 0 0 0 2 0");
    LoadObject(path, 7);
    EXPECT_EQ(GetObjectFrames(7), 2);
    LoadObject(ScratchPath("no-such-model.kmo"), 7);
    EXPECT_EQ(GetObjectFrames(7), 2);
    LoadObject(path, 4096);
    EXPECT_EQ(GetObjectModel(4096), nullptr);
    SetMovement(0, 0, 0);
    EXPECT_EQ(CollisionRay(7, 1, 0.5, 0.5, 5, 0, 0, -1), 5);
    WriteBytes(path, "not a model");
    LoadObject(path, 7);
    EXPECT_EQ(GetObjectFrames(7), 0);
}

