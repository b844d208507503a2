// Input on the headless platform: per-frame mouse motion, keys and characters.
#include <array>
#include <string>

#include <gtest/gtest.h>

#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "tests/support/headless.h"

namespace {

class Input : public HeadlessTest {
protected:
    // Everything ReadKeyChar gives in this frame.
    static std::string Typed() {
        std::string out;
        for (std::string c = ReadKeyChar().Std(); !c.empty(); c = ReadKeyChar().Std()) out += c;
        return out;
    }
    // The frame polls one WaitForInput takes.
    int PassesOfWait() {
        const int polls = platform().PollCount();
        WaitForInput();
        return platform().PollCount() - polls;
    }
    static std::array<Number, 2> Pointer() {
        Number x, y, l, r;
        MouseState(x, y, l, r);
        return {x, y};
    }
};
using XY = std::array<Number, 2>;

TEST_F(Input, MouseMotionButtonsAndWheelAreMeasuredOncePerFrameAndQuickTapsSeenForOne) {
    platform().Then([](HeadlessPlatform& p) {
        p.MovePointerBy(5, -3);
        p.PressButton(kMouseRight);
        p.TurnWheel(-3);
    });
    FlipScreen();
    EXPECT_EQ(MouseAxis(0), 5);
    platform().MovePointerBy(100, 100);   // arrives during the frame
    // Axis 1 the y motion, 2 the wheel's sign, 3 to 5 the left, right and middle buttons.
    for (const auto& [axis, value] : {std::pair{0, 5}, {1, -3}, {2, -1}, {3, 0}, {4, 1}, {5, 0}, {6, 0}, {-1, 0}})
        EXPECT_EQ(MouseAxis(axis), value) << axis;
    FlipScreen();
    EXPECT_EQ(MouseAxis(0), 100) << "the next frame's first read takes the new motion";
    FlipScreen();
    EXPECT_EQ(MouseAxis(0), 0);

    SetMousePosition(5000, -20);
    EXPECT_EQ(Pointer(), (XY{799, 0}));
    platform().Then([](HeadlessPlatform& p) { p.MovePointerBy(-1, 1); });
    FlipScreen();
    EXPECT_EQ(Pointer(), (XY{798, 1})) << "the clamped position was written back";

    platform().Then([](HeadlessPlatform& p) {
        p.Click(kMouseLeft);
        p.TapKey(kKeyUp);
    });
    Number x, y, left, r;
    for (int down : {1, 0}) {
        FlipScreen();
        MouseState(x, y, left, r);
        EXPECT_EQ(left, down);
        EXPECT_EQ(KeyState(kKeyUp), down);
    }
}

TEST_F(Input, SystemPointerFollowsTheCursorAndRelativeModeCapturesIt) {
    EXPECT_TRUE(platform().RelativeMouse());
    SetMousePosition(300, 200);
    SetSystemPointer(1);
    EXPECT_FALSE(platform().RelativeMouse());
    int cx, cy;
    platform().GetPointer(cx, cy);
    EXPECT_EQ((XY{Number(cx), Number(cy)}), (XY{300, 200})) << "the cursor appears where the runtime's pointer was";
    platform().Then([](HeadlessPlatform& p) { p.MovePointer(310, 190); });
    FlipScreen();
    EXPECT_EQ(Pointer(), (XY{310, 190}));
    SetSystemPointer(0);
    EXPECT_TRUE(platform().RelativeMouse());
}

TEST_F(Input, ReadKeyCharTypesOncePerPressInOrder) {
    platform().Then([](HeadlessPlatform& p) { p.PressKey(kKeyA); });
    FlipScreen();
    EXPECT_EQ(Typed(), "a") << "a held key types once";
    FlipScreen();
    EXPECT_EQ(Typed(), "");
    platform().Then([](HeadlessPlatform& p) {
        p.ReleaseKey(kKeyA);
        p.PressKey(kKeyA);
        p.TypeChar('h');
        p.TypeChar('i');
        p.PressKey(kKeyLShift);
        p.TapKey(kKeyQ);
        p.TapKey(kKey5);
        p.ReleaseKey(kKeyLShift);
        for (int key : {kKeyLControl, kKeyReturn, kKeyBack, kKeyNumpadEnter, kKeyTab, kKeyUp, kKeyEscape}) p.TapKey(key);
    });
    AllowEscape(0);
    FlipScreen();
    // Shift gives the layout's shifted digit; Tab, arrows and Escape type nothing.
    EXPECT_EQ(Typed(), "ahiQ%\n\b\n");

    platform().Then([](HeadlessPlatform& p) { p.TypeChar('x'); });
    FlipScreen();
    platform().AdvanceClock(5000);
    FlipScreen();
    EXPECT_EQ(Typed(), "") << "keys typed long before are not replayed";
}

TEST_F(Input, WaitForInputWaitsEightPassesUnlessAKeyAClickOrAMoveComes) {
    double t = platform().NowMs();
    EXPECT_EQ(PassesOfWait(), 8);
    EXPECT_NEAR(platform().NowMs() - t, 240.0, 1e-6);
    platform().Idle(2).Then([](HeadlessPlatform& p) { p.TapKey(kKeySpace); });
    EXPECT_EQ(PassesOfWait(), 3);
    SetSystemPointer(1);
    platform().Then([](HeadlessPlatform& p) { p.MovePointer(40, 40); });
    EXPECT_EQ(PassesOfWait(), 1);
    EXPECT_EQ(PassesOfWait(), 8) << "a position already seen is no input";
    platform().Then([](HeadlessPlatform& p) { p.PressButton(kMouseLeft); });
    EXPECT_EQ(PassesOfWait(), 1);
    platform().Then([](HeadlessPlatform& p) { p.TurnWheel(-2); });
    EXPECT_EQ(PassesOfWait(), 1);
    EXPECT_EQ(MouseAxis(2), -1) << "the wheel step is left for the next frame";
    platform().Then([](HeadlessPlatform& p) { p.TapKey(kKeyZ); });
    FlipScreen();
    EXPECT_EQ(PassesOfWait(), 0) << "a key tapped at the frame's poll is left for the next frame";
    EXPECT_EQ(KeyState(kKeyZ), 1);
    platform().Then([](HeadlessPlatform& p) { p.TapKey(kKeyEscape); });
    EXPECT_TRUE(RunUntilEnd([] {
        WaitForInput();
        FlipScreen();
    })) << "Escape ends the program at the flip after the wait";
}

}  // namespace
