// Key latching and the US layout table shared by both platforms.
#include <gtest/gtest.h>

#include "runtime/platform/platform.h"

namespace {

TEST(KeyLatch, ATapBetweenPollsReadsAsDownForExactlyOneFrame) {
    KeyLatch keys;
    keys.Press(kKeyA);
    keys.Release(kKeyA);
    EXPECT_FALSE(keys.IsDown(kKeyA)) << "not before the frame poll";
    keys.FramePoll();
    EXPECT_TRUE(keys.IsDown(kKeyA));
    keys.FramePoll();
    EXPECT_FALSE(keys.IsDown(kKeyA));
}

TEST(KeyLatch, AHeldKeyStaysDownUntilReleasedAndBadCodesAreIgnored) {
    KeyLatch keys;
    keys.Press(kKeyUp);
    keys.FramePoll();
    keys.FramePoll();
    EXPECT_TRUE(keys.IsDown(kKeyUp));
    keys.Release(kKeyUp);
    EXPECT_FALSE(keys.IsDown(kKeyUp)) << "a release is not delayed";
    keys.FramePoll();
    EXPECT_FALSE(keys.IsDown(kKeyUp));
    EXPECT_TRUE(keys.WasDownInFrame(kKeyUp)) << "but it was down during the last interval";
    keys.FramePoll();
    EXPECT_FALSE(keys.WasDownInFrame(kKeyUp));
    keys.Press(-1);
    keys.Press(KeyLatch::kCount);
    EXPECT_FALSE(keys.IsDown(-1));
    EXPECT_FALSE(keys.IsDown(KeyLatch::kCount));
}

TEST(KeyLatch, KeysThatOverlapOnlyBetweenPollsStillFormAChord) {
    KeyLatch keys;
    keys.Press(kKeyLAlt);
    keys.FramePoll();   // Alt alone
    keys.Press(kKeyF4);
    keys.Release(kKeyF4);
    keys.Release(kKeyLAlt);
    keys.FramePoll();
    EXPECT_TRUE(keys.WasDownInFrame(kKeyLAlt) && keys.WasDownInFrame(kKeyF4));
    EXPECT_FALSE(keys.IsDown(kKeyLAlt));
}

TEST(UsLayout, CharactersAndKeysMapBothWays) {
    EXPECT_EQ(UsLayoutChar(kKeyZ, false), 'z');
    EXPECT_EQ(UsLayoutChar(kKey1, true), '!');
    EXPECT_EQ(UsLayoutChar(kKeyEscape, false), 0);
    int scan = 0;
    bool shift = true;
    ASSERT_TRUE(UsLayoutKeyFor('7', scan, shift));
    EXPECT_EQ(scan, kKey7) << "digits come from the top row, not the keypad";
    EXPECT_FALSE(shift);
    ASSERT_TRUE(UsLayoutKeyFor('?', scan, shift));
    EXPECT_EQ(scan, kKeySlash);
    EXPECT_TRUE(shift);
    EXPECT_FALSE(UsLayoutKeyFor('\t', scan, shift));
}

}  // namespace
