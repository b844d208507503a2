// The frame on the headless platform: pacing, quit keys, pause, start-up and modes.
#include <array>
#include <cmath>
#include <fstream>
#include <filesystem>

#include <gtest/gtest.h>

#include "runtime/frame/frame.h"
#include "tests/support/headless.h"

namespace {

class FrameLoop : public HeadlessTest {};

TEST_F(FrameLoop, FlipsArePacedAndSkipWholeIntervalsAfterAStall) {
    for (Number limit : {0.0, -5.0, Number(NAN)}) {
        SetFrameLimit(limit);
        EXPECT_EQ(GetFrameInterval(), 2.0) << limit;
    }
    SetFrameLimit(15.9);
    EXPECT_NEAR(GetFrameInterval(), 66.6667, 1e-4) << "15 frames a second";
    EXPECT_EQ(GetFrameTime(), 1.0) << "no time since start-up's flip";

    SetFrameLimit(20);
    FlipScreen();
    double t0 = platform().NowMs();
    for (int i = 0; i < 10; ++i) FlipScreen();
    EXPECT_NEAR(platform().NowMs() - t0, 500.0, 1.0);
    EXPECT_NEAR(GetFrameTime(), 100.0, 1.0) << "from the start of the flip before the last";

    const double deadlineBefore = GetNextFrameDeadline();
    platform().AdvanceClock(1234.0);   // a blocking dialog
    const double stallEnd = platform().NowMs();
    FlipScreen();
    const double deadline = GetNextFrameDeadline();
    EXPECT_GE(deadline, stallEnd);
    EXPECT_LE(deadline - stallEnd, 50.0);
    const double steps = (deadline - deadlineBefore) / 50.0;
    EXPECT_NEAR(steps, std::round(steps), 1e-6) << "whole intervals";
    t0 = platform().NowMs();
    FlipScreen();
    FlipScreen();
    EXPECT_GE(platform().NowMs() - t0, 50.0) << "the frames after the stall are not rushed";
}

TEST_F(FrameLoop, EscapeEndsOnlyWhileAllowedAndAltF4Always) {
    AllowEscape(0);
    platform().Then([](HeadlessPlatform& p) { p.PressKey(kKeyEscape); });
    EXPECT_FALSE(RunUntilEnd([] { FlipScreen(); FlipScreen(); }));
    AllowEscape(NAN);
    RaiseRuntimeError(9);
    int code = -1;
    EXPECT_TRUE(RunUntilEnd([] { FlipScreen(); }, &code));
    EXPECT_EQ(code, 0) << "the quit keys clear the end code";

    HeadlessRuntime again;
    AllowEscape(0);
    again.platform().Then([](HeadlessPlatform& p) {
        p.PressKey(kKeyLAlt);
        p.TapKey(kKeyF4);
    });
    EXPECT_TRUE(RunUntilEnd([] { FlipScreen(); }));
}

TEST_F(FrameLoop, LosingFocusPausesInsideFlipScreenAndRestoresTheExactTitle) {
    std::string titleWhilePaused;
    platform().Then([](HeadlessPlatform& p) { p.SetFocus(false); });
    platform().Idle(3);
    platform().Then([&](HeadlessPlatform& p) {
        titleWhilePaused = p.WindowTitle();
        p.SetFocus(true);
    });
    FlipScreen();
    EXPECT_TRUE(IsPaused());
    const double t = platform().NowMs();
    FlipScreen();   // waits until focus returns
    EXPECT_FALSE(IsPaused());
    EXPECT_EQ(titleWhilePaused, "Zentrovel <pause>");
    EXPECT_EQ(platform().WindowTitle(), "Zentrovel");
    EXPECT_GE(platform().NowMs() - t, 300.0) << "100 ms sleeps between passes";
}

TEST(DebugFrameLoop, TheEndIsReported) {
    RuntimeSettings s;
    s.debugMode = true;
    HeadlessRuntime runtime(s);
    RaiseRuntimeError(8);
    EXPECT_TRUE(RunUntilEnd([] { EndProgram(); }));
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("-End On Line\r\n8\r\n-1\r\n0\r\n0\r\n"), std::string::npos) << log;
}

TEST(FrameStartUp, DeletesTheOldLogRecordsTheDirectoryAndFlipsTheLoadingScreen) {
    std::ofstream(ErrorLogPath(), std::ios::binary) << "left over\r\n";
    int swapsAtHook = -1;
    SetStartupScreenHook([&] { swapsAtHook = static_cast<HeadlessPlatform&>(GetPlatform()).SwapCount(); });
    HeadlessRuntime runtime;
    SetStartupScreenHook({});
    ASSERT_TRUE(runtime.started());
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(log, "Current Dir\r\n" + runtime.platform().ProgramDirectory() + "\r\n");
    // Drawn after the cleared first frame, and flipped once.
    EXPECT_EQ((std::array{swapsAtHook, runtime.platform().SwapCount()}), (std::array{1, 2}));
}

TEST_F(FrameLoop, ViewportAndWindowModes) {
    auto rect = [] {
        const ViewportRect v = GetViewportRect();
        return std::array{v.x, v.y, v.width, v.height};
    };
    SetViewport(10, 20, 0, 50);
    EXPECT_EQ(rect(), (std::array{10, 20, 800, 600}));
    SetViewport(1, 2, 30, 40);
    FlipScreen();
    EXPECT_EQ(rect(), (std::array{0, 0, 800, 600})) << "every flip resets the viewport";

    EXPECT_EQ(SetFullscreenMode(), 1);
    EXPECT_FALSE(IsFullscreen());
    const auto log = ErrorLogLines();
    EXPECT_NE(std::find(log.begin(), log.end(), "No Fullscreen Mode available"), log.end());
    platform().SetFullscreenAvailable(true);
    EXPECT_EQ(SetFullscreenMode(), 1);
    EXPECT_TRUE(IsFullscreen());
    EXPECT_EQ(SetWindowedMode(), 1);
    EXPECT_FALSE(IsFullscreen());
}

}  // namespace

TEST(ErrorLog, ARelativeTmpdirStaysTheStartDirectorysAfterAChangeOfDirectory) {
    const std::string start = std::filesystem::current_path();
    const std::string old = std::getenv("TMPDIR");
    const std::filesystem::path base = std::filesystem::path(old) / "relative-log";
    std::filesystem::create_directories(base / "logs");
    std::filesystem::current_path(base);
    setenv("TMPDIR", "logs", 1);
    AppendErrorLog("one");
    std::filesystem::current_path("/");
    AppendErrorLog("two");
    setenv("TMPDIR", old.c_str(), 1);
    std::filesystem::current_path(start);
    std::ifstream in(base / "logs/ErrorLog.txt", std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "one\r\ntwo\r\n");
}
