// Texts, number formatting and the number helpers.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <utility>

#include "runtime/frame/dimarray.h"
#include "runtime/frame/numbers.h"
#include "runtime/frame/strvalue.h"

namespace {

TEST(StrValue, ConcatenatesAndComparesBytesUnsignedAndNumbersNumerically) {
    EXPECT_EQ(("Path #"_s + Number(3)).Std(), "Path #3");
    EXPECT_EQ(("a" + StrValue("b") + "c" + 42).Std(), "abc42");
    EXPECT_EQ((-7 + StrValue("x") + 0.5f).Std(), "-7x0.5");
    StrValue s("x");
    s += s;   // appending itself must not read freed memory
    s += s;
    EXPECT_EQ(s.Std(), "xxxx");

    EXPECT_EQ((std::array{StrValue("B") < StrValue("a"), StrValue("") < "a", StrValue("\xC8") > "z", "abc" == StrValue("abc"),
                          StrValue("10") < StrValue("9"), StrValue("10") > 9, 9.5 < StrValue("10")}),
              (std::array<Number, 7>{1, 1, 1, 1, 1, 1, 1}));
}

TEST(StrValue, NumberToTextUsesTenDigitsAndThreeDigitExponents) {
    const std::pair<Number, const char*> cases[] = {
        {0.5, "0.5"}, {100, "100"}, {-3, "-3"}, {0, "0"}, {1.0 / 3, "0.3333333333"},
        {9999999999.0, "9999999999"}, {1e10, "1e+010"}, {1e11, "1e+011"}, {0.0001, "0.0001"},
        {0.00001, "1e-005"}, {1.5e-300, "1.5e-300"}, {-2.5e123, "-2.5e+123"}, {123456789012.0, "1.23456789e+011"}};
    for (const auto& [value, text] : cases) EXPECT_EQ(NumberToText(value).Std(), text);
}

TEST(StrValue, TextFunctionsAndSplittingThatSkipsRunsOfDelimiters) {
    const StrValue hello("HELLO");
    const std::tuple<Number, Number, const char*> mids[] = {
        {1, 3, "ELL"}, {3, 10, "LO"}, {5, 1, ""}, {-1, 2, ""}, {0, 0, ""}, {1.9, 2.9, "EL"}, {6, 2, ""}, {0, 1e300, "HELLO"}};
    for (const auto& [start, count, text] : mids) EXPECT_EQ(MidText(hello, start, count).Std(), text) << start << "," << count;
    EXPECT_EQ((std::array{CharCode(StrValue("\xC8xyz")), CharCode(StrValue(""))}), (std::array<Number, 2>{-56, 0}));
    EXPECT_EQ(CharFromCode(200).Std() + CharFromCode(0).Std() + CharFromCode(65 + 256).Std(), "\xC8" "A");
    EXPECT_EQ(FormatNumber(6, 2, 3.14159).Std(), "  3.14");
    EXPECT_EQ(FormatNumber(0, 1, -0.25).Std(), "-0.2");
    EXPECT_EQ(FormatNumber(1e9, 1e9, 1).Length(), 1000u) << "silly widths stay bounded";

    DimArray<StrValue> parts;
    EXPECT_EQ(SplitText(StrValue("a,,b,"), parts, StrValue(",")), 2);
    EXPECT_EQ(parts(0).Std() + parts(1).Std(), "ab");
    EXPECT_EQ(SplitText(StrValue(" \t1.5  2 \t -3 "), parts, StrValue(" \t")), 3);
    EXPECT_EQ(parts(2).Std(), "-3");
    EXPECT_EQ(SplitText(StrValue(",,,"), parts, StrValue(",")), 0);
    EXPECT_EQ(parts.Extent(0), 0) << "no tokens empties the array";
}

TEST(StrValue, TextToNumberReadsOnlyDecimalNumbers) {
    const double largest = 1.7976931348623157e308;
    const std::pair<const char*, double> cases[] = {
        {"  -12.5e1xyz", -125}, {"\t\n+.5", 0.5}, {"5.", 5}, {"2E3", 2000}, {"1.5e-3x", 0.0015},
        {"7e", 7}, {"7e+", 7}, {"3 4", 3},
        // No number at the start, or names and forms outside decimal digits.
        {"", 0}, {"abc", 0}, {".", 0}, {"-", 0}, {"e5", 0}, {"0x10", 0}, {"inf", 0}, {"-infinity", 0},
        {"nan", 0}, {"NAN(1)", 0},
        // Too large for a double: the largest one of its sign; too small: 0.
        {"1e400", largest}, {"-1e400", -largest}, {"123456789e99999999999", largest}, {"1e-400", 0},
        {"0.000001e-999", 0}, {"0e9999", 0},
    };
    for (const auto& [text, expected] : cases) EXPECT_EQ(TextToNumber(StrValue(text)), expected) << text;
}

TEST(Numbers, DegreesRemaindersAndRandomRange) {
    EXPECT_EQ(ACosDeg(1.5), 0);
    EXPECT_EQ(ACosDeg(-2), 180);
    for (const auto& [a, b, r] : {std::tuple{-7.0, 3.0, -1.0}, {7.9, 3.2, 1.0}, {5, 0, 0}, {5, 0.5, 0}, {-2147483648.0, -1, 0}})
        EXPECT_EQ(IntMod(a, b), r) << a << " mod " << b;

    SeedRandom(1234);
    std::set<Number> seen;
    for (int i = 0; i < 2000; ++i) seen.insert(RandomUpTo(5));
    EXPECT_EQ(seen, (std::set<Number>{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(RandomUpTo(0) + RandomUpTo(-1), 0);
}

}  // namespace
