// Path motion: the walk along a closed loop, followers in step, and followers whose
// path is missing, empty or degenerate.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "level/level.h"
#include "game/path.h"
#include "tests/game/game_support.h"
#include "tests/support/ends_program.h"

namespace {

using V = std::vector<Number>;

V Row3(const DimArray<Number>& a, Number r) { return {a(r, 0), a(r, 1), a(r, 2)}; }

V At(Number p, Number t) {
    V out = {-99, -99, -99};
    EXPECT_EQ(PathPosition(p, t, out[0], out[1], out[2]), 1) << "t = " << t;
    for (Number& v : out) v = std::round(v * 1e6) / 1e6;
    return out;
}

// 6-8-10: the perimeter is 24, three seconds at 8 units per second.
const V kTriangle = {0, 0, 0, 6, 0, 0, 6, 0, 8};

class PathTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLevelArrays(); }
    CatchProgramEnd guard;   // an array error fails the test instead of ending the program
};

TEST_F(PathTest, TriangleOfPerimeter24IsRunOnceEveryThreeSecondsAndOddTimesStayOnIt) {
    // The second path repeats its points: 8 long, each repeat a segment of length 0.
    game_test::MakePaths({kTriangle, {0, 0, 0, 0, 0, 0, 4, 0, 0, 4, 0, 0}});
    EXPECT_EQ((V{PathLength(0), PathLength(1)}), (V{24, 8}));
    // Times and places: on the closing side at 2.5, ten laps later at 30.75, the end of a lap
    // at 3 - 1e-9, and times before the start or not finite at the first point.
    const std::vector<std::pair<Number, V>> triangle = {
        {0, {0, 0, 0}}, {0.375, {3, 0, 0}}, {1.375, {6, 0, 5}}, {2.5, {2.4, 0, 3.2}}, {3, {0, 0, 0}},
        {30.75, {6, 0, 0}}, {3 - 1e-9, {0.00006, 0, 0.00008}}};
    for (const auto& [t, at] : triangle) EXPECT_EQ(At(0, t), at) << t;
    const std::vector<std::pair<Number, V>> repeated = {
        {0.25, {2, 0, 0}}, {0.5, {4, 0, 0}}, {-0.25, {0, 0, 0}}, {INFINITY, {0, 0, 0}}, {NAN, {0, 0, 0}}};
    for (const auto& [t, at] : repeated) EXPECT_EQ(At(1, t), at) << t;
    PathLen(1) = 1000;   // more than the capacity: only the 8 points that exist are read
    EXPECT_EQ((V{PathPointCount(1), PathLength(1)}), (V{8, 8}));
    PathLen(1) = NAN;
    EXPECT_EQ(PathPointCount(1), 0);
}

TEST_F(PathTest, FollowersOfNoPathOrOfOneWithoutTwoDistinctPointsStayPut) {
    // Paths: one point, one point repeated, no points, the triangle.
    game_test::MakePaths({{5, 1, -2}, {3, 3, 3, 3, 3, 3, 3, 3, 3}, {}, kTriangle});
    EXPECT_EQ((V{PathLength(0), PathLength(1), PathLength(2)}), (V{0, 0, 0}));
    EXPECT_EQ(At(0, 17.3), (V{5, 1, -2}));
    EXPECT_EQ(At(1, 17.3), (V{3, 3, 3}));
    Number x = 11, y = 12, z = 13;
    EXPECT_EQ(PathPosition(2, 1, x, y, z), 0) << "a path of no points places nothing";
    // Followers of path -1, 4 (gone), 0 (one point) and 2 (no points).
    for (Number path : {-1, 4, 0, 2}) AddObject(0, -1, 0, 0, path, 1, 2, 3, 0);
    for (Number path : {-1, 4}) game_test::AddActor(1, 2, 3, 0, path);
    MoveObjectsOnPaths(1);
    MoveActorsOnPaths(1);
    for (int o : {0, 1, 3}) EXPECT_EQ(Row3(ObjPos, o), (V{1, 2, 3})) << o;
    EXPECT_EQ(Row3(ObjPos, 2), (V{5, 1, -2}));
    EXPECT_EQ((V{ObjProps(1, 4), ActorPos(1, 0), ActorProps(1, 2)}), (V{4, 1, 0})) << "kept; no walk without a path";
}

TEST_F(PathTest, ActorsWalkAlongTheirPathFacingTheStepButThePlayerNever) {
    game_test::MakePaths({kTriangle});
    for (int a = 0; a < 2; ++a) game_test::AddActor(1, 2, 3, 0, 0);
    ActorPos(1, 0) = 6, ActorPos(1, 1) = 0, ActorPos(1, 2) = 0;
    animPhase = 0.4;
    MoveActorsOnPaths(1);   // from the corner (6, 0, 0) to (6, 0, 2): along +z
    EXPECT_EQ(Row3(ActorPos, 1), (V{6, 0, 2}));
    EXPECT_EQ(Row3(ActorState, 1), (V{0, 0, 2}));
    EXPECT_NEAR(ActorPos(1, 3), 0, 1e-6);
    EXPECT_EQ((V{ActorProps(1, 2), ActorProps(1, 3)}), (V{1, 0.4})) << "walking with the common phase";
    MoveActorsOnPaths(2.5);   // to (2.4, 0, 3.2)
    EXPECT_NEAR(ActorPos(1, 3), 90 - std::atan2(1.2, -3.6) * 57.2957795, 1e-6);
    const Number facing = ActorPos(1, 3);
    MoveActorsOnPaths(2.5);
    EXPECT_EQ(ActorPos(1, 3), facing) << "standing still keeps the facing";
    EXPECT_EQ(Row3(ActorPos, 0), (V{1, 2, 3})) << "the player steers itself";
    animPhase = 0;
}

}  // namespace
