#include <gtest/gtest.h>

#include "runtime/frame/dimarray.h"
#include "tests/support/ends_program.h"

namespace {

TEST(DimArray, CapacityRuleAndInlineStoreSwitch) {
    DimArray<Number> a;
    a.Dim(5);
    EXPECT_EQ(a.Capacity(), 8);
    EXPECT_EQ(a.DimCount(), 1);
    EXPECT_TRUE(a.UsesInlineStore());
    for (int i = 0; i < 8; ++i) EXPECT_EQ(a.Data()[i], 0.0) << "all capacity slots are cleared";
    a.Dim(8);
    EXPECT_EQ(a.Capacity(), 16);
    EXPECT_TRUE(a.UsesInlineStore());
    a.Dim(100);
    EXPECT_EQ(a.Capacity(), 104);
    EXPECT_FALSE(a.UsesInlineStore());
    a(99) = 4;
    a.Dim(3);
    EXPECT_EQ(a.Capacity(), 104) << "shrinking keeps the storage";
    EXPECT_EQ(a.Data()[99], 0.0) << "and clears all of it";
    DimArray<StrValue> s;
    s.Dim(3);
    EXPECT_EQ(s.Capacity(), 8);
}

TEST(DimArray, FirstIndexVariesFastest) {
    DimArray<Number> a;
    a.Dim(3, 4);
    EXPECT_EQ(a.DimCount(), 2);
    a(2, 3) = 7;
    EXPECT_EQ(a.Data()[11], 7);
    DimArray<Number> b;
    b.Dim(2, 3, 4);
    b(1, 2, 3) = 1;
    EXPECT_EQ(b.Data()[1 + 2 * 2 + 3 * 6], 1);
    EXPECT_EQ(b.Extent(2), 4);
    EXPECT_EQ(b.Extent(8), 0);
    EXPECT_EQ(b.Extent(-1), 0);
}

TEST(DimArray, RedimKeepsTheOverlapInEveryDimension) {
    DimArray<Number> a;
    a.Dim(10);
    for (int i = 0; i < 10; ++i) a(i) = i + 1;
    a.Redim(4);
    EXPECT_EQ(a.Extent(0), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a(i), i + 1);
    a.Redim(10);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(a(i), i + 1);
    for (int i = 4; i < 10; ++i) EXPECT_EQ(a(i), 0);

    DimArray<Number> m;
    m.Dim(3, 4);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 4; ++j) m(i, j) = 10 * i + j;
    m.Redim(5, 2);
    for (int i = 0; i < 5; ++i)
        for (int j = 0; j < 2; ++j) EXPECT_EQ(m(i, j), i < 3 ? 10 * i + j : 0) << i << "," << j;
    m.Redim(2, 6);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 6; ++j) EXPECT_EQ(m(i, j), j < 2 ? 10 * i + j : 0) << i << "," << j;

    DimArray<StrValue> s;
    s.Dim(2, 2);
    s(1, 1) = "keep";
    s.Redim(40, 3);
    EXPECT_EQ(s(1, 1).Std(), "keep");
    EXPECT_EQ(s(39, 2).Std(), "");
}

TEST(DimArray, DimAfterShrinkingRedimAllocatesAgain) {
    DimArray<Number> a;
    a.Dim(100);
    a.Redim(4);
    EXPECT_EQ(a.Capacity(), 8);
    EXPECT_TRUE(a.UsesInlineStore());
    a.Dim(100);
    EXPECT_EQ(a.Capacity(), 104);
    a(99) = 1;
    EXPECT_EQ(a(99), 1);
}

TEST(DimArray, RecordsAreCopiedMemberWise) {
    struct Rec {
        Number n = 1;
        StrValue name = "x";
    };
    DimArray<Rec> r;
    r.Dim(2);
    r(1).name = "second";
    r(1).n = 5;
    r.Redim(20);
    EXPECT_EQ(r(1).name.Std(), "second");
    EXPECT_EQ(r(1).n, 5);
    EXPECT_EQ(r(19).name.Std(), "x");
}

TEST(DimArray, ChecksEndTheProgramWithTheirCodes) {
    DimArray<Number> a;
    EXPECT_ENDS_PROGRAM(a(0), 8);
    a.Dim(3);
    EXPECT_EQ(&a(2.9), &a(2)) << "fractional indices are accepted below the extent";
    EXPECT_ENDS_PROGRAM(a(3), 9);
    EXPECT_ENDS_PROGRAM(a(-0.5), 9);
    EXPECT_ENDS_PROGRAM(a(0.0 / 0.0), 9);
    // An unused dimension only holds index 0.
    EXPECT_ENDS_PROGRAM(a(0, 1), 9);
    a.Dim(0, 5);
    EXPECT_EQ(a.Extent(0), 0);
    EXPECT_EQ(a.Extent(1), 0) << "d0 of 0 empties the array whatever else is given";
    EXPECT_ENDS_PROGRAM(a(0), 8);
    DimArray<Number> m;
    m.Dim(3, 4);
    EXPECT_ENDS_PROGRAM(m(0, 4), 9);
    EXPECT_ENDS_PROGRAM(m(3, 0), 9);
}

TEST(DimArray, ImpossibleSizesEndWithStorageMissing) {
    DimArray<Number> a;
    EXPECT_ENDS_PROGRAM(a.Dim(1e6, 1e6, 1e6), 7);
}

TEST(DimArray, CopiesAreIndependent) {
    DimArray<Number> a;
    a.Dim(4);
    a(1) = 2;
    DimArray<Number> b = a;
    b(1) = 3;
    EXPECT_EQ(a(1), 2);
    DimArray<Number> big;
    big.Dim(50);
    big(49) = 1;
    DimArray<Number> c = big;
    c(49) = 2;
    EXPECT_EQ(big(49), 1);
    DimArray<Number> moved = std::move(c);
    EXPECT_EQ(moved(49), 2);
}

}  // namespace
