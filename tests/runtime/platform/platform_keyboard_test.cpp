// Key latching and the US layout table shared by both platforms.
#include <array>

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

TEST(ButtonQueue, EveryChangeReachesAFrameOfItsOwnAtItsOwnPosition) {
    ButtonQueue q;
    // A click and a right press before any poll, as a quick hand makes them in one frame.
    q.Push(kMouseLeft, true, 10, 20);
    q.Push(kMouseLeft, false, 11, 21);
    q.Push(kMouseRight, true, 30, 40);
    // Per step: end the frame first?, then polls, then what the frame sees (-1: no change shown).
    const struct {
        bool endFrame;
        int polls;
        std::array<int, 3> seen;
    } steps[] = {
        {false, 1, {kMouseLeft, 10, 20}},
        {false, 3, {kMouseLeft, 10, 20}},   // the idle wait's polls keep it for the frame
        {true, 1, {0, 11, 21}},
        {true, 2, {kMouseRight, 30, 40}},
        {true, 1, {kMouseRight, -1, -1}},   // held, no change left: the live pointer
    };
    for (const auto& step : steps) {
        if (step.endFrame) q.EndFrame();
        for (int i = 0; i < step.polls; ++i) q.Poll();
        int x = -1, y = -1;
        q.ChangeAt(x, y);
        EXPECT_EQ((std::array{q.Buttons(), x, y}), step.seen);
    }
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
