// The test cycle, its refusals and the recovery copy, end to end on the demo level.
#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "level/levelfile.h"
#include "runtime/files/files.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/platform/scancodes.h"
#include "tests/editor/editor_support.h"

namespace {

constexpr Number kGameFrameInterval = 50;   // the game runs at 20 frames per second

bool GameRunning() { return GetFrameInterval() == kGameFrameInterval; }

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    return text.replace(text.find(from), from.size(), to);
}

// The demo level with only its first three objects.
std::string ThreeObjectLevel() { return Replace(DemoLevelText(), "[objects]\r\ncount=11", "[objects]\r\ncount=3"); }

TEST_F(EditorTest, TestPlayReturnsWithTheLevelAsSaved) {
    // The mouse pointer shown, the path walker's x and z, seen after a second of play.
    auto seen = std::make_shared<std::array<Number, 3>>(std::array<Number, 3>{-1, 0, 0});
    // Values that other dialogs could leave; the file keeps one decimal of some.
    gui().Do([seen](HeadlessPlatform& p) {
        ActorPos(0, 0) = 1.26;
        PathPoints(0, 0, 0) = -8.04;
        SpecialItems(0, 0) = -14.04;
        ObjPos(5, 0) = 5.123456;
        auto frames = std::make_shared<int>(0);
        WhenReady(p, [frames] { return GameRunning() && ++*frames > 20; }, [seen](HeadlessPlatform& q) {
            *seen = {SystemPointer() ? 1.0 : 0.0, ActorPos(1, 0), ActorPos(1, 2)};
            q.PressKey(kKeyE);   // E leaves the game
            q.Then([](HeadlessPlatform& r) { r.ReleaseKey(kKeyE); });
        });
    });
    gui().Click("bt_test").Idle(2);
    RunEditor();
    EXPECT_EQ((*seen)[0], 0) << "the game captures the mouse";
    EXPECT_TRUE((*seen)[1] != -2 || (*seen)[2] != -3) << "the path walker moved during play";
    EXPECT_TRUE(SystemPointer());
    EXPECT_DOUBLE_EQ(GetFrameInterval(), 1000.0 / 15) << "the editor's frame limit is back";
    EXPECT_EQ(ActorCount(), 4);
    EXPECT_EQ(ActorPos(1, 0), -2);
    EXPECT_EQ(ActorPos(1, 2), -3);
    EXPECT_EQ(ActorPos(0, 0), 1.3);
    EXPECT_EQ(PathPoints(0, 0, 0), -8.0);
    EXPECT_EQ(SpecialItems(0, 0), -14.0);
    EXPECT_EQ(ObjPos(5, 0), 5.123456) << "objects keep ten digits";
    EXPECT_EQ(Read("level.ini"), DemoLevelText()) << "a test run does not save the level";
}

TEST_F(EditorTest, SavedLevelNeedsNoRecoveryAfterATestRun) {
    // The file keeps one decimal of a weapon's angle, and the run reloads the file.
    std::string message;
    gui().Do([](HeadlessPlatform&) { WeaponTable(0, 2) = 0.25; });
    gui().Click("bt_save");
    AnswerMessage(message);
    gui().Do([](HeadlessPlatform& p) {
        WhenReady(p, GameRunning, [](HeadlessPlatform& q) {
            q.PressKey(kKeyE);
            q.Then([](HeadlessPlatform& r) { r.ReleaseKey(kKeyE); });
        });
    });
    gui().Click("bt_test").Idle(2);
    RunEditor();
    EXPECT_NE(Read("level.ini").find("\r\n0=1.00 0.50 0.2 \r\n"), std::string::npos) << Read("level.ini");
    EXPECT_FALSE(std::filesystem::exists(Path("level.recover.ini"))) << "so the next start asks nothing";
}

TEST_F(EditorTest, LevelWithoutAPlayerIsNotTested) {
    level_media::WriteBytes(Path("level.ini"),
                            Replace(DemoLevelText(), "[players]\r\ncount=4", "[players]\r\ncount=0"));
    std::string message;
    gui().Do([](HeadlessPlatform&) { ObjPos(0, 0) = 7; });
    gui().Click("bt_test");
    AnswerMessage(message);
    RunEditor();
    EXPECT_EQ(message, "The level needs a player (actor 0) before it can be tested.");
    EXPECT_FALSE(std::filesystem::exists(Path("test.ini")));
    EXPECT_EQ(ObjPos(0, 0), 7);
}

TEST_F(EditorTest, TestIsNotRunWhenTestIniCannotBeWritten) {
    // An older test.ini must not come back in place of the level.
    level_media::WriteBytes(Path("test.ini"), ThreeObjectLevel());
    std::string message;
    auto played = std::make_shared<bool>(false);
    gui().Do([played](HeadlessPlatform& p) {
        ObjPos(0, 0) = 7;
        WhenReady(p, [played] { return (*played = *played || GameRunning()), false; }, {});
    });
    ClickWithWritesFailing("bt_test");
    AnswerMessage(message);
    RunEditor();
    EXPECT_EQ(message, "Could not save test.ini, so the test did not run.");
    EXPECT_FALSE(*played);
    EXPECT_EQ(ObjectCount(), 11);
    EXPECT_EQ(ObjPos(0, 0), 7);
}

TEST_F(EditorTest, EndingDuringTestPlayRecoversTheLevelSavedForTheRun) {
    gui().Do([](HeadlessPlatform& p) {
        ObjPos(0, 0) = 7;
        WhenReady(p, GameRunning, [](HeadlessPlatform& q) {
            ActorPos(0, 0) = 99;   // the game moves things; none of it may be kept
            SetQuitCheck({});
            q.RequestClose();
        });
    });
    gui().Click("bt_test");
    EXPECT_TRUE(RunUntilEnd([] { EditorStart(); }));
    const std::string copy = Read("level.recover.ini");
    EXPECT_EQ(copy, Read("test.ini"));
    EXPECT_NE(copy.find("0=7 0 0 0 0 0 0 0 -1 "), std::string::npos);
    EXPECT_NE(copy.find("0=8 6 0.0 0.0 3.0 0 -1 "), std::string::npos);
}

// SIGTERM, SIGINT and SIGHUP end the editor without a question, the change kept.
class EndSignalTest : public EditorTest, public ::testing::WithParamInterface<int> {};

TEST_P(EndSignalTest, EndsTheEditorWithTheChangeInTheRecoveryCopy) {
    const int sig = GetParam();
    gui().Do([](HeadlessPlatform&) { ObjPos(0, 0) = 7; }).Do([sig](HeadlessPlatform&) { std::raise(sig); });
    int code = -1;
    EXPECT_TRUE(RunUntilEnd([] { EditorStart(); }, &code));
    EXPECT_EQ(code, 0);
    EXPECT_NE(Read("level.recover.ini").find("0=7 0 0 0 0 0 0 0 -1 "), std::string::npos) << strsignal(sig);
}

INSTANTIATE_TEST_SUITE_P(Signals, EndSignalTest, ::testing::Values(SIGTERM, SIGINT, SIGHUP));

// While a change is unsaved the copy follows it once a minute; where the level's folder
// takes no copy, it goes to the data folder. The next start offers it from there, and
// the next save makes it needless.
TEST_F(EditorTest, RecoveryCopyFollowsChangesOnceAMinuteIntoTheDataFolder) {
    std::filesystem::create_directory(Path("level.recover.ini"));   // no file can go there
    std::filesystem::create_directories(Path("data/zentrovel"));
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string oldData = data ? data : "";
    setenv("XDG_DATA_HOME", Path("data").c_str(), 1);
    Strings seen;
    const auto see = [this, &seen](HeadlessPlatform&) {
        std::string text;
        for (const auto& e : std::filesystem::directory_iterator(Path("data/zentrovel"))) text = level_media::ReadBytes(e.path());
        seen.push_back(text.empty() ? "none" : text.substr(text.find("0=", text.find("[objects]")), 4));
    };
    gui().Do([](HeadlessPlatform& p) {
        ObjPos(0, 0) = 7;
        p.AdvanceClock(50000);
    });
    gui().Idle(3).Do(see).Do([](HeadlessPlatform& p) { p.AdvanceClock(11000); }).Idle(3).Do(see);
    gui().Do([](HeadlessPlatform& p) {
        ObjPos(0, 0) = 8;
        p.AdvanceClock(61000);
    });
    gui().Idle(3).Do(see);
    RunEditor();
    EXPECT_EQ(seen, Strings({"none", "0=7 ", "0=8 "}));

    ASSERT_EQ(StartRuntime("Zentrovel"), 1);
    std::string question, saved;
    Number x = -1;
    AnswerMessage(question).Do([&x](HeadlessPlatform&) { x = ObjPos(0, 0); }).Click("bt_save");
    AnswerMessage(saved);
    RunEditor();
    if (oldData.empty()) unsetenv("XDG_DATA_HOME");
    else setenv("XDG_DATA_HOME", oldData.c_str(), 1);
    EXPECT_EQ(question, "The level was not saved when the editor last ended. Load the recovered copy?");
    EXPECT_EQ(x, 8);
    EXPECT_NE(Read("level.ini").find("0=8 0 0 0 0 0 0 0 -1 "), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(Path("data/zentrovel")));
}

}  // namespace
