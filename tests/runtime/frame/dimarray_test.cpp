#include <gtest/gtest.h>

#include <cmath>

#include "runtime/frame/dimarray.h"
#include "tests/support/ends_program.h"

namespace {

TEST(DimArray, CapacityRuleClearsEverySlotAndSurvivesShrinking) {
    DimArray<Number> a;
    for (const auto& [n, capacity] : {std::pair{1, 8}, {7, 8}, {8, 16}, {100, 104}}) {
        a.Dim(n);
        EXPECT_EQ(a.Capacity(), capacity) << n;
    }
    a(99) = 4;
    a.Dim(5);
    EXPECT_EQ(a.Capacity(), 104) << "shrinking keeps the storage";
    EXPECT_EQ(a.DimCount(), 1);
    EXPECT_EQ(a.Data()[99], 0.0) << "and clears all of it";
}

TEST(DimArray, RedimKeepsTheOverlapInEveryDimension) {
    DimArray<Number> a;
    a.Dim(10);
    for (int i = 0; i < 10; ++i) a(i) = i + 1;
    a.Redim(4);
    a.Redim(10);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(a(i), i < 4 ? i + 1 : 0) << i;

    DimArray<Number> m;
    m.Dim(3, 4);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) m(i, j) = 10 * i + j;
    m.Redim(5, 2);
    m.Redim(2, 6);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 6; ++j) EXPECT_EQ(m(i, j), j < 2 ? 10 * i + j : 0) << i << "," << j;

    DimArray<StrValue> r;   // elements that own memory keep it and new ones start empty
    r.Dim(2, 2);
    r(1, 1) = "keep";
    r.Redim(40, 3);
    EXPECT_EQ(r(1, 1).Std() + r(39, 2).Std(), "keep");
}

TEST(DimArray, ChecksEndTheProgramWithTheirCodes) {
    DimArray<Number> a;
    EXPECT_ENDS_PROGRAM(a(0), 8);
    a.Dim(3);
    EXPECT_EQ(&a(2.9), &a(2)) << "fractional indices are accepted below the extent";
    for (Number i : {3.0, -0.5, double(NAN)}) EXPECT_ENDS_PROGRAM(a(i), 9);
    EXPECT_ENDS_PROGRAM(a(0, 1), 9);
    a.Dim(0, 5);
    EXPECT_EQ(a.Extent(0) + a.Extent(1), 0) << "d0 of 0 empties the array whatever else is given";
    EXPECT_ENDS_PROGRAM(a(0), 8);
    a.Dim(3, 4);
    EXPECT_ENDS_PROGRAM(a(0, 4), 9);
    EXPECT_ENDS_PROGRAM(a.Dim(1e6, 1e6, 1e6), 7);
}

}  // namespace
