// Input on the headless platform: per-frame mouse motion, keys, characters, joysticks.
#include <array>
#include <cmath>
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

TEST_F(Input, MouseMotionButtonsAndWheelAreMeasuredOncePerFrame) {
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
}

TEST_F(Input, AQuickClickOrTapBetweenFramesIsSeenForOneFrame) {
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
    EXPECT_TRUE(platform().CursorVisible());
    int cx, cy;
    platform().GetPointer(cx, cy);
    EXPECT_EQ((XY{Number(cx), Number(cy)}), (XY{300, 200})) << "the cursor appears where the runtime's pointer was";
    platform().Then([](HeadlessPlatform& p) { p.MovePointer(310, 190); });
    FlipScreen();
    EXPECT_EQ(Pointer(), (XY{310, 190}));
    EXPECT_EQ((XY{MouseAxis(0), MouseAxis(1)}), (XY{10, -10}));
    SetSystemPointer(0);
    EXPECT_TRUE(platform().RelativeMouse());
}

TEST_F(Input, KeyStateUsesTheLowEightBitsOfTheCode) {
    AllowEscape(0);
    platform().Then([](HeadlessPlatform& p) { p.PressKey(kKeyEscape); });
    FlipScreen();
    for (const auto& [code, down] : {std::pair{1.0, 1}, {1.9, 1}, {257.0, 1}, {2.0, 0}}) EXPECT_EQ(KeyState(code), down) << code;
    platform().Then([](HeadlessPlatform& p) { p.ReleaseKey(kKeyEscape); });
    FlipScreen();
    EXPECT_EQ(KeyState(1), 0);
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
        p.TapKey(kKeyLControl);
        p.TapKey(kKeyReturn);
        p.TapKey(kKeyBack);
        p.TapKey(kKeyNumpadEnter);
        p.TapKey(kKeyTab);
        p.TapKey(kKeyUp);
        p.TapKey(kKeyEscape);
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

TEST_F(Input, ABurstOfTypingIsReadToTheEndAtOneCharacterPerFrame) {
    platform().Then([](HeadlessPlatform& p) {
        for (char c : std::string("the quick brown fox")) p.TypeChar(c);
    });
    SetFrameLimit(15);
    std::string typed;
    for (int frame = 0; frame < 30; ++frame) {
        FlipScreen();
        typed += ReadKeyChar().Std();
        WaitForInput();
    }
    EXPECT_EQ(typed, "the quick brown fox");
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
    platform().Then([](HeadlessPlatform& p) { p.TapKey(kKeyEscape); });
    EXPECT_TRUE(RunUntilEnd([] { WaitForInput(); }));
}

TEST_F(Input, AQuickAltF4CaughtByTheIdleWaitEndsTheProgram) {
    AllowEscape(0);
    platform().Then([](HeadlessPlatform& p) {
        p.PressKey(kKeyLAlt);
        p.TapKey(kKeyF4);
        p.ReleaseKey(kKeyLAlt);
    });
    EXPECT_TRUE(RunUntilEnd([] {
        for (;;) {
            FlipScreen();
            WaitForInput();
        }
    }));
}

TEST_F(Input, JoysticksReportNamesStateRumbleAndWakeTheIdleWait) {
    platform().AddJoystick("Pad One", true);
    EXPECT_EQ(JoystickCount(), 1);
    for (const auto& [n, name] : {std::pair{0, "Pad One"}, {1, ""}, {-1, ""}}) EXPECT_EQ(JoystickName(n).Std(), name);
    JoystickReading r;
    EXPECT_EQ(ReadJoystick(3, r), 0);
    EXPECT_EQ(r.hats[0], 0xFFFFFFFFu) << "no joystick reads as centred";
    JoystickReading pushed;
    pushed.hats[0] = 27000;   // hat left
    platform().SetJoystickState(0, pushed);
    EXPECT_EQ(PassesOfWait(), 1);
    EXPECT_EQ(ReadJoystick(0, r), 1);
    EXPECT_EQ(r.hats[0], 27000u);

    JoystickRumble(0, 0.5, 3, 0);
    JoystickRumble(0, 1, NAN, 0);
    JoystickRumble(1, 1, 1, 1);   // no such joystick
    ASSERT_EQ(platform().RumbleCalls().size(), 2u);
    EXPECT_DOUBLE_EQ(platform().RumbleCalls()[0].low, 0.5);
    EXPECT_DOUBLE_EQ(platform().RumbleCalls()[0].ms, 500);
    EXPECT_DOUBLE_EQ(platform().RumbleCalls()[1].low, 0);
}

}  // namespace
