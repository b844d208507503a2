#include <gtest/gtest.h>

#include <utility>

#include "runtime/frame/dimarray.h"
#include "runtime/frame/strvalue.h"

namespace {

std::string Text(const StrValue& s) { return s.Std(); }

TEST(StrValue, CapacityFollowsTheGrowthRule) {
    EXPECT_EQ(StrValue().Capacity(), 1024u);
    EXPECT_EQ(StrValue(5.0).Capacity(), 512u);
    EXPECT_EQ(StrValue(std::string(511, 'x')).Capacity(), 512u);
    EXPECT_EQ(StrValue(std::string(512, 'x')).Capacity(), 1024u);
    StrValue s("abc");
    const uint32_t before = s.Capacity();
    s = "a";
    EXPECT_EQ(s.Capacity(), before) << "capacity never shrinks";
    for (int i = 0; i < 2000; ++i) s += "y";
    EXPECT_EQ(s.Length(), 2001u);
    EXPECT_GT(s.Capacity(), s.Length());
    EXPECT_EQ(s.Capacity() % 512, 0u);
}

TEST(StrValue, ConcatenatesEveryOperandKindOnEitherSide) {
    const Number i = 3;
    EXPECT_EQ(Text("Path #"_s + i), "Path #3");
    EXPECT_EQ(Text(StrValue("a") + "b"), "ab");
    EXPECT_EQ(Text("a" + StrValue("b")), "ab");
    EXPECT_EQ(Text(StrValue("n") + 42), "n42");
    EXPECT_EQ(Text(-7 + StrValue("x")), "-7x");
    EXPECT_EQ(Text(StrValue("f") + 0.5f), "f0.5");
    EXPECT_EQ(Text(2.25 + StrValue("")), "2.25");
    EXPECT_EQ(Text("Saved successfully. File has "_s + 32.0 + " lines. (255 is max)"),
              "Saved successfully. File has 32 lines. (255 is max)");
    StrValue s("x");
    s += s;  // appending itself must not read freed memory
    s += s;
    EXPECT_EQ(Text(s), "xxxx");
}

TEST(StrValue, ComparesAsUnsignedBytes) {
    EXPECT_EQ(StrValue("B") < StrValue("a"), 1.0);
    EXPECT_EQ(StrValue("") < "a", 1.0);
    EXPECT_EQ(StrValue("\xC8") > "z", 1.0) << "byte 200 sorts after ASCII";
    EXPECT_EQ("abc" == StrValue("abc"), 1.0);
    EXPECT_EQ(StrValue("abc") != "abd", 1.0);
    EXPECT_EQ(StrValue("10") < StrValue("9"), 1.0) << "texts compare as texts";
    EXPECT_EQ(StrValue("10") > 9, 1.0) << "text against number compares numerically";
    EXPECT_EQ(9.5 < StrValue("10"), 1.0);
    StrValue t("HELLO");
    StrValue u("HELLO");
    t.TruncateAt(2);
    EXPECT_EQ(t == u, 0.0);
    u.TruncateAt(2);
    EXPECT_EQ(t == u, 1.0);
}

TEST(StrValue, NumberToTextUsesTenDigitsAndThreeDigitExponents) {
    EXPECT_EQ(Text(NumberToText(0.5)), "0.5");
    EXPECT_EQ(Text(NumberToText(100)), "100");
    EXPECT_EQ(Text(NumberToText(-3)), "-3");
    EXPECT_EQ(Text(NumberToText(0)), "0");
    EXPECT_EQ(Text(NumberToText(1.0 / 3)), "0.3333333333");
    EXPECT_EQ(Text(NumberToText(1e11)), "1e+011");
    EXPECT_EQ(Text(NumberToText(9999999999.0)), "9999999999");
    EXPECT_EQ(Text(NumberToText(1e10)), "1e+010");
    EXPECT_EQ(Text(NumberToText(0.0001)), "0.0001");
    EXPECT_EQ(Text(NumberToText(0.00001)), "1e-005");
    EXPECT_EQ(Text(NumberToText(1.5e-300)), "1.5e-300");
    EXPECT_EQ(Text(NumberToText(-2.5e123)), "-2.5e+123");
    EXPECT_EQ(Text(NumberToText(123456789012.0)), "1.23456789e+011");
}

TEST(StrValue, MidTextKeepsToTheText) {
    const StrValue hello("HELLO");
    EXPECT_EQ(Text(MidText(hello, 1, 3)), "ELL");
    EXPECT_EQ(Text(MidText(hello, 3, 10)), "LO");
    EXPECT_EQ(Text(MidText(hello, 5, 1)), "");
    EXPECT_EQ(Text(MidText(hello, -1, 2)), "");
    EXPECT_EQ(Text(MidText(hello, 0, 0)), "");
    EXPECT_EQ(Text(MidText(hello, 1.9, 2.9)), "EL") << "start and count are truncated";
    EXPECT_EQ(Text(MidText(hello, 6, 2)), "");
    EXPECT_EQ(Text(MidText(hello, 0, 1e300)), "HELLO") << "a huge count is cut to the text";
}

TEST(StrValue, CharactersAndFormatting) {
    EXPECT_EQ(CharCode(StrValue("\xC8xyz")), -56);
    EXPECT_EQ(CharCode(StrValue("")), 0);
    EXPECT_EQ(Text(CharFromCode(200)), "\xC8");
    EXPECT_EQ(Text(CharFromCode(0)), "");
    EXPECT_EQ(Text(CharFromCode(65 + 256)), "A") << "low 8 bits";
    EXPECT_EQ(Text(FormatNumber(6, 2, 3.14159)), "  3.14");
    EXPECT_EQ(Text(FormatNumber(2, 0, 7)), " 7");
    EXPECT_EQ(Text(FormatNumber(0, 1, -0.25)), "-0.2");
    EXPECT_EQ(FormatNumber(1e9, 1e9, 1).Length(), 1000u) << "silly widths stay bounded";
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

TEST(StrValue, SplitTextSkipsRunsOfDelimiters) {
    DimArray<StrValue> parts;
    EXPECT_EQ(SplitText(StrValue("a,,b,"), parts, StrValue(",")), 2);
    EXPECT_EQ(parts.Extent(0), 2);
    EXPECT_EQ(Text(parts(0)), "a");
    EXPECT_EQ(Text(parts(1)), "b");
    EXPECT_EQ(SplitText(StrValue(" \t1.5  2 \t -3 "), parts, StrValue(" \t")), 3);
    EXPECT_EQ(Text(parts(2)), "-3");
    EXPECT_EQ(SplitText(StrValue(""), parts, StrValue(",")), 0);
    EXPECT_EQ(parts.Extent(0), 0) << "no tokens empties the array";
    EXPECT_EQ(SplitText(StrValue(",,,"), parts, StrValue(",")), 0);
    EXPECT_EQ(SplitText(StrValue("abc"), parts, StrValue("")), 1);
}

TEST(StrValue, TextsNeverHoldEmbeddedNul) {
    const std::string raw("ab\0cd", 5);
    EXPECT_EQ(StrValue(raw).Length(), 2u);
}

}  // namespace
