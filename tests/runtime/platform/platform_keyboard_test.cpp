// The queue that hands each mouse button change to a frame of its own.
#include <array>

#include <gtest/gtest.h>

#include "runtime/platform/platform.h"

namespace {

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

// Ctrl held over a poll and let go before the letter's press is read, as a quick chord
// goes: the frame that sees the letter must still see Ctrl.
TEST(KeyLatch, AModifierLetGoBetweenPollsStillCountsForTheFrame) {
    KeyLatch keys;
    keys.Press(kKeyLControl);
    keys.FramePoll();
    keys.Press(kKeyZ);
    keys.FramePoll();
    keys.Release(kKeyLControl);   // pumped while the frame reads its keys
    EXPECT_TRUE(keys.IsDown(kKeyZ));
    EXPECT_FALSE(keys.IsDown(kKeyLControl));
    EXPECT_TRUE(keys.WasDownInFrame(kKeyLControl));
    keys.FramePoll();
    keys.FramePoll();
    EXPECT_FALSE(keys.WasDownInFrame(kKeyLControl)) << "gone two polls later";
}

}  // namespace
