// File dialogs: the steps around the system dialog, scripted answers, the fallback
// requester, automated runs, and the dialog's arguments.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/files/filerequest.h"
#include "tests/support/headless.h"

namespace {

// Sets an environment variable for the guard's lifetime.
struct EnvGuard {
    EnvGuard(const char* n, const char* v) : name(n), old(std::getenv(n) ? std::getenv(n) : "<unset>") {
        v ? setenv(n, v, 1) : unsetenv(n);
    }
    ~EnvGuard() { old == "<unset>" ? unsetenv(name) : setenv(name, old.c_str(), 1); }
    const char* name;
    std::string old;
};

// A platform that leaves the dialog to the system and notes what happens to the window.
// Something during the dialog moves the current directory away, as a dialog may.
class WindowedPlatform : public HeadlessPlatform {
public:
    std::vector<std::string> steps;
    std::string wanderTo;
    bool AnswerFileDialog(const std::string&, bool, std::string&) override { return false; }
    bool IsHeadless() const override { return false; }
    void ShowWindow(bool v) override {
        steps.push_back(v ? "show" : "hide");
        if (!v && !wanderTo.empty() && chdir(wanderTo.c_str()) != 0) ADD_FAILURE() << wanderTo;
        HeadlessPlatform::ShowWindow(v);
    }
    bool EnterFullscreen(int w, int h) override {
        steps.push_back("fullscreen");
        return HeadlessPlatform::EnterFullscreen(w, h);
    }
    void EnterWindowed(int w, int h) override {
        steps.push_back("windowed");
        HeadlessPlatform::EnterWindowed(w, h);
    }
};

TEST(FileDialogSteps, HideTheWindowAskRestoreTheDirectoryAndShowItAgain) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::path(::testing::TempDir()) / "dialog";
    fs::create_directories(dir / "bin");
    fs::create_directories(dir / "elsewhere");
    // The stand-in dialog answers with a Windows-style path.
    std::ofstream(dir / "bin" / "zenity") << "#!/bin/sh\nprintf 'C:\\\\levels\\\\one.ini\\n'\n";
    fs::permissions(dir / "bin" / "zenity", fs::perms::owner_all);
    EnvGuard path("PATH", ((dir / "bin").string() + ":/usr/bin:/bin").c_str());
    EnvGuard display("DISPLAY", ":99");
    EnvGuard automated("ZENTROVEL_AUTOMATED", nullptr);
    const fs::path before = fs::current_path();

    WindowedPlatform platform;
    platform.SetFullscreenAvailable(true);
    StopRuntime();
    UsePlatform(&platform);
    ConfigureRuntime(RuntimeSettings{});
    ASSERT_EQ(StartRuntime("Zentrovel"), 1);
    SetFullscreenMode();
    platform.steps.clear();
    platform.wanderTo = (dir / "elsewhere").string();

    EXPECT_EQ(FileRequest("Levels|*.ini", 1).Std(), "C:/levels/one.ini");
    EXPECT_EQ(platform.steps, (std::vector<std::string>{"windowed", "hide", "fullscreen"}));
    EXPECT_TRUE(platform.WindowVisible());
    EXPECT_TRUE(platform.Fullscreen());
    EXPECT_EQ(fs::current_path(), before) << "the directory from before the dialog";
    StopRuntime();
    UsePlatform(nullptr);
}

using FileDialog = HeadlessTest;

TEST_F(FileDialog, ScriptedAnswersThenNoFile) {
    platform().QueueFileAnswer("C:\\levels\\one.ini");
    platform().QueueFileAnswer("");
    EXPECT_EQ(FileRequest("INI (*.ini)|*.ini", 1).Std(), "C:/levels/one.ini");
    EXPECT_EQ(FileRequest("All|*.*", 0).Std(), "NO_FILE") << "cancelled";
    ASSERT_EQ(platform().FileDialogCalls().size(), 2u);
    EXPECT_EQ(platform().FileDialogCalls()[0].filter, "INI (*.ini)|*.ini");
    EXPECT_TRUE(platform().FileDialogCalls()[0].open);
    EXPECT_FALSE(platform().FileDialogCalls()[1].open);
    EXPECT_EQ(FileRequest("All|*.*", 1).Std(), "NO_FILE") << "nothing queued never blocks";
}

TEST(FileDialogAutomated, NeverOpensADialogInAutomatedRuns) {
    EnvGuard automated("ZENTROVEL_AUTOMATED", "1");
    UsePlatform(nullptr);
    DeleteErrorLog();
    EXPECT_EQ(FileRequest("All|*.*", 1).Std(), "NO_FILE");
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(log.find("No file dialog"), std::string::npos);
}

TEST(ZenityArguments, FilterPairsBecomeFileFiltersThatMatchAnyCaseAndSavingConfirmsOverwriting) {
    EXPECT_EQ(ZenityArguments("KMO Objects (*.kmo)|*.kmo;*.KMO|All files|*.*", true, "/tmp/lv"),
              (std::vector<std::string>{"zenity", "--file-selection", "--filename=/tmp/lv/",
                                        "--file-filter=KMO Objects (*.kmo) | *.[kK][mM][oO]",
                                        "--file-filter=All files | *"}));
    EXPECT_EQ(ZenityArguments("Levels|*.ini|Dangling", false, "/w/"),
              (std::vector<std::string>{"zenity", "--file-selection", "--save", "--confirm-overwrite", "--filename=/w/",
                                        "--file-filter=Levels | *.[iI][nN][iI]"}));
    for (const auto& [filter, patterns] : std::vector<std::pair<std::string, std::string>>{
             {"Textures (*.bmp)|*.bmp", "*.[bB][mM][pP]"},
             {"Mixed|Tree?.Kmo", "[tT][rR][eE][eE]?.[kK][mM][oO]"},
             {"Two|*.ini;level_2.*", "*.[iI][nN][iI] [lL][eE][vV][eE][lL]_2.*"},
             {"Class|*.[ab]mp", "*.[aAbB][mM][pP]"},
         }) {
        const auto args = ZenityArguments(filter, true, "");
        ASSERT_EQ(args.size(), 3u) << filter;
        EXPECT_EQ(args[2].substr(args[2].find(" | ") + 3), patterns) << filter;
    }
}

}  // namespace
