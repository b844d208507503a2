// The editor's command line: what the built program answers without opening a window,
// which level each form opens, and the editor on a level of another name and folder.
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "editor/commandline.h"
#include "runtime/frame/frame.h"
#include "tests/editor/editor_support.h"

namespace {

namespace fs = std::filesystem;

struct Answer {
    int code = -1;
    std::string out, err;
};

// Runs the built program in `dir`; nothing here may open a window, so no display is given.
Answer RunProgram(const std::string& dir, const std::string& args) {
    const std::string err = dir + "/stderr.txt";
    const std::string cmd = "cd '" + dir + "' && DISPLAY= timeout 20 '" + ZV_BINARY_DIR + "/zentrovel' " + args +
                            " 2>'" + err + "'";
    Answer a;
    FILE* p = ::popen(cmd.c_str(), "r");
    char buf[512];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) a.out.append(buf, n);
    const int status = ::pclose(p);
    a.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    a.err = level_media::ReadBytes(err);
    return a;
}

TEST_F(EditorTest, CommandLineAnswersHelpAndWrongUsageBeforeAnyWindow) {
    const std::string tryHelp = "Try 'zentrovel --help'.\n";
    const struct { std::string args; int code; std::string out, err; } cases[] = {
        {"--help", 0, "Usage: zentrovel [LEVEL]\n", ""},
        {"--frobnicate", 2, "", "zentrovel: unknown option '--frobnicate'\n" + tryHelp},
        {"level.ini -x", 2, "", "zentrovel: unknown option '-x'\n" + tryHelp},
        {"missing.ini", 2, "", "zentrovel: no level file or folder 'missing.ini'\n" + tryHelp},
        {"level.ini test.ini", 2, "", "zentrovel: one level at a time, not 2\n" + tryHelp},
        {"/dev/null", 2, "", "zentrovel: '/dev/null' is not a level file\n" + tryHelp},
    };
    for (const auto& c : cases) {
        const Answer a = RunProgram(Path(""), c.args);
        EXPECT_EQ(a.code, c.code) << c.args;
        EXPECT_EQ(a.out.substr(0, c.out.size()), c.out) << c.args;
        EXPECT_EQ(a.err, c.err) << c.args;
    }
}

// A new level in a folder of its own, under a name of its own: its title, its test play,
// and its files beside it.
TEST_F(EditorTest, NewLevelOfAnotherNameIsPlayedAndKeepsItsFilesBesideIt) {
    ASSERT_TRUE(WriteNewLevel(Path("castle")).ok);
    EXPECT_FALSE(WriteNewLevel(Path("castle")).ok) << "never over a level";
    fs::rename(Path("castle/level.ini"), Path("castle/keep.ini"));
    // Without a level named: the working directory's, else (here) the one beside the program.
    EXPECT_EQ(ChooseLevel({}, Path("")).level, Path("level.ini"));
    EXPECT_EQ(ChooseLevel({}, Path("castle")).level, "");
    fs::create_directories(Path("usr/bin"));
    EXPECT_EQ(ChooseLevel({}, Path("castle"), Path("usr/bin")).level, Path("castle/level.ini")) << "installed";
    EXPECT_EQ(ChooseLevel({"castle"}, Path("")).level, Path("castle/level.ini")) << "a new level in the folder";
    SetLevelFile(ChooseLevel({"castle/keep.ini"}, Path("")).level);
    std::string title;
    Number objects = -1, actors = -1;
    bool played = false;
    gui().Do([&](HeadlessPlatform& p) {
        title = p.WindowTitle();
        objects = ObjectCount();
        actors = ActorCount();
        ObjPos(0, 0) = 7;
    });
    gui().Click("bt_test").Do([&played](HeadlessPlatform& p) {
        WhenReady(p, [] { return GetFrameInterval() == 50; }, [&played](HeadlessPlatform& q) {
            played = true;
            q.TapKey(kKeyE);
        });
    });
    gui().Idle(2);
    RunEditor();
    EXPECT_EQ(title, "Zentrovel - keep.ini");
    EXPECT_EQ(objects, 1);
    EXPECT_EQ(actors, 1);
    EXPECT_TRUE(played);
    EXPECT_TRUE(fs::exists(Path("castle/test.ini")));
    EXPECT_NE(Read("castle/keep.recover.ini").find("0=7 0 0 0 0 0 0 0 -1 "), std::string::npos);
    EXPECT_FALSE(fs::exists(Path("level.recover.ini")));
}

}  // namespace
