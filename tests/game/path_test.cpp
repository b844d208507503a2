// Path motion: the walk along a closed loop, followers in step, and followers whose
// path is missing, empty or degenerate.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "editor/level.h"
#include "game/path.h"
#include "tests/support/ends_program.h"

namespace {

struct P3 {
    double x, y, z;
};

// One path per entry; the capacity fits the longest.
void MakePaths(const std::vector<std::vector<P3>>& paths) {
    size_t capacity = kMinPathCapacity;
    for (const auto& p : paths) capacity = std::max(capacity, p.size());
    PathLen.Dim(Number(paths.size()));
    PathPoints.Dim(Number(paths.size()), Number(capacity), 3);
    for (size_t p = 0; p < paths.size(); ++p) {
        PathLen(Number(p)) = Number(paths[p].size());
        for (size_t i = 0; i < paths[p].size(); ++i) {
            PathPoints(Number(p), Number(i), 0) = paths[p][i].x;
            PathPoints(Number(p), Number(i), 1) = paths[p][i].y;
            PathPoints(Number(p), Number(i), 2) = paths[p][i].z;
        }
    }
}

// Actors with the given paths, all standing at (1, 2, 3).
void MakeActors(const std::vector<Number>& paths) {
    const Number n = Number(paths.size());
    ActorProps.Dim(n, kActorPropsColumns);
    ActorPos.Dim(n, kActorPosColumns);
    ActorState.Dim(n, kActorStateColumns);
    for (size_t a = 0; a < paths.size(); ++a) {
        ActorProps(Number(a), 5) = paths[a];
        ActorPos(Number(a), 0) = 1;
        ActorPos(Number(a), 1) = 2;
        ActorPos(Number(a), 2) = 3;
    }
}

// 6-8-10: the perimeter is 24, three seconds at 8 units per second.
const std::vector<P3> kTriangle = {{0, 0, 0}, {6, 0, 0}, {6, 0, 8}};

class PathTest : public ::testing::Test {
protected:
    void SetUp() override { ResetLevelArrays(); }

    // Any array error becomes a test failure instead of ending the test program.
    CatchProgramEnd guard;

    static void ExpectPoint(Number p, Number t, double x, double y, double z) {
        Number px = -99, py = -99, pz = -99;
        ASSERT_EQ(PathPosition(p, t, px, py, pz), 1) << "t = " << t;
        EXPECT_NEAR(px, x, 1e-6) << "t = " << t;
        EXPECT_NEAR(py, y, 1e-6) << "t = " << t;
        EXPECT_NEAR(pz, z, 1e-6) << "t = " << t;
    }
};

TEST_F(PathTest, TriangleOfPerimeter24IsRunOnceEveryThreeSeconds) {
    MakePaths({kTriangle});
    EXPECT_DOUBLE_EQ(PathLength(0), 24);
    ExpectPoint(0, 0, 0, 0, 0);
    ExpectPoint(0, 0.375, 3, 0, 0);    // half of the first side
    ExpectPoint(0, 0.75, 6, 0, 0);     // the second corner
    ExpectPoint(0, 1.375, 6, 0, 5);    // on the second side
    ExpectPoint(0, 2.5, 2.4, 0, 3.2);  // on the closing side, back towards the start
    ExpectPoint(0, 3, 0, 0, 0);        // one lap
    ExpectPoint(0, 3.375, 3, 0, 0);
    ExpectPoint(0, 30.75, 6, 0, 0);    // ten laps later
}

TEST_F(PathTest, PositionJustBeforeTheLapStaysOnTheClosingSide) {
    MakePaths({kTriangle});
    Number x, y, z;
    ASSERT_EQ(PathPosition(0, 3 - 1e-9, x, y, z), 1);
    EXPECT_NEAR(x, 0, 1e-3);
    EXPECT_NEAR(z, 0, 1e-3);
    EXPECT_FALSE(std::isnan(x) || std::isnan(z));
}

TEST_F(PathTest, TwoObjectsOnOnePathStandTogetherAndRecordTheirStep) {
    MakePaths({kTriangle});
    AddObject(0, -1, 0, 0, 0, 10, 10, 10, 45);
    AddObject(0, -1, 0, 0, 0, -4, 0, 7, 90);
    MoveObjectsOnPaths(1.375);
    for (Number o : {0.0, 1.0}) {
        EXPECT_DOUBLE_EQ(ObjPos(o, 0), 6);
        EXPECT_DOUBLE_EQ(ObjPos(o, 1), 0);
        EXPECT_DOUBLE_EQ(ObjPos(o, 2), 5);
    }
    // The step is the move from where each one stood; the angle is the object's own.
    EXPECT_DOUBLE_EQ(ObjState(0, 0), -4);
    EXPECT_DOUBLE_EQ(ObjState(0, 1), -10);
    EXPECT_DOUBLE_EQ(ObjState(0, 2), -5);
    EXPECT_DOUBLE_EQ(ObjState(1, 0), 10);
    EXPECT_DOUBLE_EQ(ObjPos(0, 3), 45);
    EXPECT_DOUBLE_EQ(ObjPos(1, 3), 90);
    // The same time again is no step at all.
    MoveObjectsOnPaths(1.375);
    EXPECT_DOUBLE_EQ(ObjState(0, 0), 0);
    EXPECT_DOUBLE_EQ(ObjState(1, 2), 0);
}

TEST_F(PathTest, ObjectWithoutPathNeitherMovesNorChangesItsState) {
    MakePaths({kTriangle});
    AddObject(0, -1, 0, 0, -1, 1, 2, 3, 0);
    ObjState(0, 0) = 7;
    ObjState(0, 2) = -7;
    MoveObjectsOnPaths(1);
    EXPECT_DOUBLE_EQ(ObjPos(0, 0), 1);
    EXPECT_DOUBLE_EQ(ObjPos(0, 1), 2);
    EXPECT_DOUBLE_EQ(ObjPos(0, 2), 3);
    EXPECT_DOUBLE_EQ(ObjState(0, 0), 7);
    EXPECT_DOUBLE_EQ(ObjState(0, 2), -7);
}

TEST_F(PathTest, FollowersOfAPathThatIsGoneStayAndKeepTheirPathNumber) {
    MakePaths({kTriangle});
    AddObject(0, -1, 0, 0, 1, 1, 2, 3, 0);    // only path 0 exists
    AddObject(0, -1, 0, 0, 0.5, 4, 4, 4, 0);  // a fraction names path 0
    MakeActors({-1, 3, 99});
    MoveObjectsOnPaths(1);
    MoveActorsOnPaths(1);
    EXPECT_DOUBLE_EQ(ObjPos(0, 0), 1);
    EXPECT_DOUBLE_EQ(ObjProps(0, 4), 1);
    EXPECT_DOUBLE_EQ(ObjState(0, 0), 0);
    EXPECT_DOUBLE_EQ(ObjPos(1, 0), 6);
    for (Number a : {1.0, 2.0}) {
        EXPECT_DOUBLE_EQ(ActorPos(a, 0), 1);
        EXPECT_DOUBLE_EQ(ActorProps(a, 2), 0) << "no walk animation without a path";
    }
    EXPECT_DOUBLE_EQ(ActorProps(2, 5), 99);

    // And with no paths at all.
    ResetLevelArrays();
    AddObject(0, -1, 0, 0, 0, 1, 2, 3, 0);
    MoveObjectsOnPaths(1);
    EXPECT_DOUBLE_EQ(PathLength(0), 0);
    EXPECT_DOUBLE_EQ(ObjPos(0, 0), 1);
}

TEST_F(PathTest, PathWithoutTwoDistinctPointsHoldsItsFollowersAtTheFirstPoint) {
    MakePaths({{{5, 1, -2}}, {{3, 3, 3}, {3, 3, 3}, {3, 3, 3}}});
    EXPECT_DOUBLE_EQ(PathLength(0), 0);
    EXPECT_DOUBLE_EQ(PathLength(1), 0);
    for (Number t : {0.0, 1.0, 17.3}) {
        ExpectPoint(0, t, 5, 1, -2);
        ExpectPoint(1, t, 3, 3, 3);
    }
    AddObject(0, -1, 0, 0, 0, 0, 0, 0, 0);
    MoveObjectsOnPaths(2);
    EXPECT_DOUBLE_EQ(ObjPos(0, 0), 5);
    EXPECT_DOUBLE_EQ(ObjState(0, 2), -2);
}

TEST_F(PathTest, PathOfNoPointsLeavesItsFollowersWhereTheyAre) {
    MakePaths({{}});
    Number x = 11, y = 12, z = 13;
    EXPECT_EQ(PathPosition(0, 1, x, y, z), 0);
    EXPECT_DOUBLE_EQ(x, 11);
    AddObject(0, -1, 0, 0, 0, 1, 2, 3, 0);
    MakeActors({-1, 0});
    MoveObjectsOnPaths(1);
    MoveActorsOnPaths(1);
    EXPECT_DOUBLE_EQ(ObjPos(0, 0), 1);
    EXPECT_DOUBLE_EQ(ActorPos(1, 2), 3);
}

TEST_F(PathTest, RepeatedPointsAndOddInputsNeverGiveNaN) {
    MakePaths({{{0, 0, 0}, {0, 0, 0}, {4, 0, 0}, {4, 0, 0}}});
    EXPECT_DOUBLE_EQ(PathLength(0), 8);
    ExpectPoint(0, 0, 0, 0, 0);
    ExpectPoint(0, 0.25, 2, 0, 0);
    ExpectPoint(0, 0.5, 4, 0, 0);
    // Negative, infinite and undefined times land on the path, not beside it.
    ExpectPoint(0, -0.25, 0, 0, 0);
    ExpectPoint(0, INFINITY, 0, 0, 0);
    ExpectPoint(0, NAN, 0, 0, 0);
}

TEST_F(PathTest, PointCountBeyondTheCapacityIsLimitedToIt) {
    MakePaths({kTriangle});
    PathLen(0) = 1000;   // a broken count must not read past the points
    Number x, y, z;
    EXPECT_EQ(PathPosition(0, 1, x, y, z), 1);
    EXPECT_GT(PathLength(0), 0);
    PathLen(0) = NAN;
    EXPECT_EQ(PathPosition(0, 1, x, y, z), 0);
}

TEST_F(PathTest, ActorsWalkAlongTheirPathFacingTheStep) {
    MakePaths({kTriangle});
    MakeActors({-1, 0});
    ActorPos(1, 0) = 6;
    ActorPos(1, 1) = 0;
    ActorPos(1, 2) = 0;
    animPhase = 0.4;
    MoveActorsOnPaths(1);   // from the corner (6, 0, 0) to (6, 0, 2): along +z
    EXPECT_DOUBLE_EQ(ActorPos(1, 2), 2);
    EXPECT_DOUBLE_EQ(ActorState(1, 2), 2);
    EXPECT_NEAR(ActorPos(1, 3), 0, 1e-6);
    EXPECT_DOUBLE_EQ(ActorProps(1, 2), 1);
    EXPECT_DOUBLE_EQ(ActorProps(1, 3), 0.4);
    MoveActorsOnPaths(2.5);   // on the closing side, heading for the origin
    EXPECT_NEAR(ActorPos(1, 3), 90 - std::atan2(1.2, -3.6) * 57.2957795, 1e-6);
    // Standing still keeps the facing instead of snapping to one direction.
    const Number facing = ActorPos(1, 3);
    MoveActorsOnPaths(2.5);
    EXPECT_DOUBLE_EQ(ActorPos(1, 3), facing);
    animPhase = 0;
}

TEST_F(PathTest, PlayerNeverFollowsAPath) {
    MakePaths({kTriangle});
    MakeActors({0});
    MoveActorsOnPaths(1);
    EXPECT_DOUBLE_EQ(ActorPos(0, 0), 1);
    EXPECT_DOUBLE_EQ(ActorState(0, 0), 0);
}

}  // namespace
