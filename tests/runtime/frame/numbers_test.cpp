#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "runtime/frame/numbers.h"
#include "tests/support/ends_program.h"

namespace {

TEST(Numbers, DegreeFunctionsAndClamps) {
    EXPECT_NEAR(SinDeg(90), 1, 1e-9);
    EXPECT_NEAR(CosDeg(180), -1, 1e-9);
    EXPECT_NEAR(ATan2Deg(1, 1), 45, 1e-6);
    EXPECT_EQ(ACosDeg(1.5), 0);
    EXPECT_EQ(ACosDeg(-2), 180);
    EXPECT_NEAR(ACosDeg(0), 90, 1e-6);
    EXPECT_EQ(AbsValue(-2.5), 2.5);
    EXPECT_TRUE(std::isnan(AbsValue(0.0 / 0.0)));
}

TEST(Numbers, IntModTakesTheDividendsSign) {
    EXPECT_EQ(IntMod(-7, 3), -1);
    EXPECT_EQ(IntMod(7.9, 3.2), 1);
    EXPECT_EQ(IntMod(5, 0), 0);
    EXPECT_EQ(IntMod(5, 0.5), 0) << "b truncates to 0";
    EXPECT_EQ(IntMod(-2147483648.0, -1), 0) << "no overflow trap";
}

TEST(Numbers, RandomUpToStaysInRange) {
    SeedRandom(1234);
    std::set<Number> seen;
    for (int i = 0; i < 2000; ++i) {
        const Number r = RandomUpTo(5);
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 5);
        seen.insert(r);
    }
    EXPECT_EQ(seen.size(), 6u) << "every value from 0 to n appears";
    for (int i = 0; i < 50; ++i) EXPECT_EQ(RandomUpTo(0), 0);
    EXPECT_EQ(RandomUpTo(-1), 0) << "trunc(n) = -1 must not divide by zero";
}

TEST(Numbers, SeedingIsDeterministic) {
    SeedRandom(77);
    const uint32_t a = RandomWord(), b = RandomWord();
    SeedRandom(77);
    EXPECT_EQ(RandomWord(), a);
    EXPECT_EQ(RandomWord(), b);
    EXPECT_NE(a, b);
    SeedRandom(78);
    EXPECT_NE(RandomWord(), a);
}

TEST(Program, ShutdownStepsRunLatestFirstAndReplaceByName) {
    std::string order;
    AddShutdownStep("test.a", [&] { order += "a"; });
    AddShutdownStep("test.b", [&] { order += "b"; });
    AddShutdownStep("test.a", [&] { order += "A"; });
    RunShutdownSteps();
    EXPECT_EQ(order, "bA");
    order.clear();
    EXPECT_ENDS_PROGRAM(EndProgram(), 0);
    EXPECT_EQ(order, "bA") << "EndProgram runs the steps before it ends";
    AddShutdownStep("test.a", nullptr);
    AddShutdownStep("test.b", nullptr);
}

}  // namespace
