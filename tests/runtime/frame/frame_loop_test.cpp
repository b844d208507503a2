// The frame on the headless platform: pacing, quit keys, pause, start-up and modes.
#include <array>
#include <cmath>
#include <fstream>

#include <gtest/gtest.h>

#include "runtime/frame/frame.h"
#include "tests/support/headless.h"

namespace {

class FrameLoop : public HeadlessTest {};

bool LogHas(const std::vector<std::string>& lines, const std::string& text) {
    for (const auto& l : lines) {
        if (l == text) return true;
    }
    return false;
}

TEST_F(FrameLoop, FrameLimitOfZeroOrLessGivesTwoMilliseconds) {
    for (Number limit : {0.0, -5.0, Number(NAN)}) {
        SetFrameLimit(limit);
        EXPECT_EQ(GetFrameInterval(), 2.0) << limit;
    }
    SetFrameLimit(15.9);   // truncated to 15
    EXPECT_NEAR(GetFrameInterval(), 1000.0 / 15, 1e-9);
}

TEST_F(FrameLoop, FlipsArePacedAtTheFrameLimit) {
    SetFrameLimit(20);
    FlipScreen();
    const double t0 = platform().NowMs();
    for (int i = 0; i < 10; ++i) FlipScreen();
    // Ten intervals of 50 ms, each met within the spin step.
    EXPECT_NEAR(platform().NowMs() - t0, 500.0, 1.0);
}

TEST_F(FrameLoop, DeadlineSkipsWholeIntervalsAfterAStall) {
    SetFrameLimit(20);
    FlipScreen();
    const double deadlineBefore = GetNextFrameDeadline();
    platform().AdvanceClock(1234.0);   // a blocking dialog
    const double stallEnd = platform().NowMs();
    FlipScreen();
    const double deadline = GetNextFrameDeadline();
    EXPECT_GE(deadline, stallEnd);
    EXPECT_LE(deadline - stallEnd, 50.0);
    const double steps = (deadline - deadlineBefore) / 50.0;
    EXPECT_NEAR(steps, std::round(steps), 1e-6) << "the deadline moves in whole intervals";
    // The frames after the stall are not rushed to make up for it.
    const double t = platform().NowMs();
    FlipScreen();
    FlipScreen();
    EXPECT_GE(platform().NowMs() - t, 50.0);
}

TEST_F(FrameLoop, FrameTimeIsNeverZeroOrNegative) {
    // Start-up set the previous flip to now: no time has passed.
    EXPECT_EQ(GetFrameTime(), 1.0);
    SetFrameLimit(10);
    const double previousStart = platform().NowMs();
    FlipScreen();
    FlipScreen();
    // Measured from the start of the flip before the last one.
    EXPECT_DOUBLE_EQ(GetFrameTime(), platform().NowMs() - previousStart);
}

TEST_F(FrameLoop, ElapsedTimeCountsFromStartUp) {
    platform().AdvanceClock(250);
    EXPECT_NEAR(GetElapsedTime(), 250.0, 1e-9);
}

TEST_F(FrameLoop, EscapeEndsTheProgramOnlyWhileAllowed) {
    AllowEscape(0);
    platform().Then([](HeadlessPlatform& p) { p.PressKey(kKeyEscape); });
    int code = -1;
    EXPECT_FALSE(RunUntilEnd([] { FlipScreen(); FlipScreen(); }, &code));

    AllowEscape(NAN);   // NaN counts as allowed
    RaiseRuntimeError(9);
    EXPECT_TRUE(RunUntilEnd([] { FlipScreen(); }, &code));
    EXPECT_EQ(code, 0) << "the quit keys clear the end code";
}

TEST_F(FrameLoop, AltF4EndsTheProgramEvenWhenEscapeIsNotAllowed) {
    AllowEscape(0);
    platform().Then([](HeadlessPlatform& p) {
        p.PressKey(kKeyLAlt);
        p.TapKey(kKeyF4);
    });
    EXPECT_TRUE(RunUntilEnd([] { FlipScreen(); }));
}

TEST_F(FrameLoop, ClosingTheWindowEndsTheProgramAndReleasesTheWindow) {
    SetSystemPointer(0);
    platform().Then([](HeadlessPlatform& p) { p.RequestClose(); });
    EXPECT_TRUE(RunUntilEnd([] {
        for (;;) FlipScreen();
    }));
    EXPECT_FALSE(platform().WindowOpen());
    EXPECT_FALSE(platform().RelativeMouse()) << "the end returns the mouse to the system";
    EXPECT_FALSE(RuntimeStarted());
}

TEST_F(FrameLoop, LosingFocusPausesInsideFlipScreenAndRestoresTheExactTitle) {
    std::string titleWhilePaused;
    platform().Then([](HeadlessPlatform& p) { p.SetFocus(false); });
    platform().Idle(3);
    platform().Then([&](HeadlessPlatform& p) {
        titleWhilePaused = p.WindowTitle();
        p.SetFocus(true);
    });
    FlipScreen();   // sees the focus loss
    EXPECT_TRUE(IsPaused());
    EXPECT_EQ(platform().WindowTitle(), "Zentrovel <pause>");
    const int polls = platform().PollCount();
    const double t = platform().NowMs();
    FlipScreen();   // waits until focus returns
    EXPECT_FALSE(IsPaused());
    EXPECT_EQ(titleWhilePaused, "Zentrovel <pause>");
    EXPECT_EQ(platform().WindowTitle(), "Zentrovel");
    EXPECT_GE(platform().PollCount() - polls, 4);
    EXPECT_GE(platform().NowMs() - t, 300.0) << "the pause loop sleeps between passes";
}

class DebugFrameLoop : public HeadlessTest {
protected:
    RuntimeSettings Settings() const override {
        RuntimeSettings s;
        s.debugMode = true;
        return s;
    }
};

TEST_F(DebugFrameLoop, NothingPausesInDebugMode) {
    platform().Then([](HeadlessPlatform& p) { p.SetFocus(false); });
    FlipScreen();
    FlipScreen();
    EXPECT_FALSE(IsPaused());
    EXPECT_EQ(platform().WindowTitle(), "Zentrovel");
}

TEST_F(DebugFrameLoop, EndProgramWritesTheEndReport) {
    RaiseRuntimeError(8);
    EXPECT_TRUE(RunUntilEnd([] { EndProgram(); }));
    const auto lines = ErrorLogLines();
    auto it = std::find(lines.begin(), lines.end(), "-End On Line");
    ASSERT_NE(it, lines.end());
    ASSERT_GE(lines.end() - it, 5);
    EXPECT_EQ(std::vector<std::string>(it + 1, it + 5), (std::vector<std::string>{"8", "-1", "0", "0"}));
}

TEST(FrameStartUp, DeletesTheOldLogAndRecordsTheProgramDirectory) {
    {
        std::ofstream old(ErrorLogPath(), std::ios::binary);
        old << "left over\r\n";
    }
    HeadlessRuntime runtime;
    ASSERT_TRUE(runtime.started());
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(log.find("left over"), std::string::npos);
    EXPECT_EQ(log, "Current Dir\r\n" + runtime.platform().ProgramDirectory() + "\r\n");
    EXPECT_EQ(runtime.platform().WindowTitle(), "Zentrovel");
}

TEST(FrameStartUp, StartupScreenHookDrawsBeforeTheFirstFlip) {
    int swapsAtHook = -1;
    HeadlessPlatform* seen = nullptr;
    SetStartupScreenHook([&] {
        seen = static_cast<HeadlessPlatform*>(&GetPlatform());
        swapsAtHook = seen->SwapCount();
    });
    HeadlessRuntime runtime;
    SetStartupScreenHook({});
    ASSERT_EQ(seen, &runtime.platform());
    EXPECT_EQ(swapsAtHook, 1) << "after the cleared first frame";
    EXPECT_EQ(runtime.platform().SwapCount(), 2) << "the hook's screen is flipped once";
}

TEST_F(FrameLoop, ViewportWithoutSizeKeepsItsCornerAndUsesTheDisplay) {
    SetViewport(10, 20, 0, 50);
    auto rect = [] {
        const ViewportRect v = GetViewportRect();
        return std::array{v.x, v.y, v.width, v.height};
    };
    EXPECT_EQ(rect(), (std::array{10, 20, 800, 600}));
    SetViewport(1, 2, 30, 40);
    FlipScreen();
    EXPECT_EQ(rect(), (std::array{0, 0, 800, 600})) << "every flip resets the viewport";
}

TEST_F(FrameLoop, FlipHooksRunAtEveryFlipAndReplaceByName) {
    int a = 0, b = 0;
    AddFlipHook("test.hook", [&] { ++a; });
    FlipScreen();
    AddFlipHook("test.hook", [&] { ++b; });
    FlipScreen();
    AddFlipHook("test.hook", {});
    EXPECT_EQ(std::pair(a, b), std::pair(1, 1)) << "one run each";
}

TEST_F(FrameLoop, FullscreenFallsBackToWindowedAndSaysSo) {
    EXPECT_EQ(SetFullscreenMode(), 1);
    EXPECT_FALSE(IsFullscreen());
    EXPECT_TRUE(LogHas(ErrorLogLines(), "No Fullscreen Mode available"));

    platform().SetFullscreenAvailable(true);
    EXPECT_EQ(SetFullscreenMode(), 1);
    EXPECT_TRUE(IsFullscreen());
    EXPECT_EQ(SetWindowedMode(), 1);
    EXPECT_FALSE(IsFullscreen());
}

TEST_F(FrameLoop, PlatformInfoAnswersTheEmptyKeyOnly) {
    EXPECT_EQ(PlatformInfo("").Std(), "LINUX");
    EXPECT_EQ(PlatformInfo("os").Std(), "NO_DATA");
}

TEST_F(FrameLoop, GraphicsAreUnavailableWithoutAContext) {
    EXPECT_FALSE(GraphicsAvailable());
    EXPECT_EQ(GetGLProcAddress("glBegin"), nullptr);
    EXPECT_FALSE(HasGLExtension("GL_ARB_multitexture"));
    Number w = 0, h = 0;
    GetScreenSize(w, h);
    EXPECT_EQ(std::pair(w, h), (std::pair<Number, Number>(800, 600)));
}

TEST_F(FrameLoop, ARunawayScriptedLoopFailsInsteadOfHanging) {
    platform().SetPollLimit(platform().PollCount() + 50);
    EXPECT_THROW(
        {
            for (;;) FlipScreen();
        },
        HeadlessPollLimit);
}

}  // namespace
