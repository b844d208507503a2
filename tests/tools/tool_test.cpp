// zentrovel-tool, run as the built program: every command on the demo and on broken
// inputs, checking exit codes and the shape of the JSON answer.
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <png.h>

namespace fs = std::filesystem;
using json = nlohmann::json;

namespace {

struct Answer {
    int code = -1;
    json doc;
};

// Runs the tool with the arguments (each quoted), under a time limit and optionally as
// another user, and parses its standard output.
Answer RunTool(const std::vector<std::string>& args, const std::string& prefix = "") {
    // The OpenGL driver keeps a few allocations to the end of the process; in sanitizer
    // builds they would turn a good render into a failed exit.
    const bool render = !args.empty() && args[0] == "render";
    std::string cmd = std::string(render ? "ASAN_OPTIONS=detect_leaks=0 " : "") + "timeout 120 " + prefix + "'" +
                      ZV_BINARY_DIR + "/tools/zentrovel-tool'";
    for (const auto& a : args) cmd += " '" + a + "'";
    cmd += " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
    const int status = pclose(p);
    Answer a;
    a.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    a.doc = json::parse(out, nullptr, false);
    return a;
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class ToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = fs::temp_directory_path() / ("zv_tool_test_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        const Answer a = RunTool({"demo", (dir_ / "demo").string()});
        ASSERT_EQ(a.code, 0);
    }
    static void TearDownTestSuite() { fs::remove_all(dir_); }
    static fs::path Demo(const std::string& rel = "") { return dir_ / "demo" / rel; }
    static fs::path Scratch(const std::string& rel) { return dir_ / rel; }
    static inline fs::path dir_;
};

TEST_F(ToolTest, DemoWritesTheEditorMediaTheLevelAndTheGameMedia) {
    for (const char* f : {"pointer.kmo", "hand.bmp", "skybox.kmo", "skybox.bmp", "mousehelp.bmp",
                          "mousepointer.bmp", "guifont.bmp", "smalfont.bmp", "level.ini"})
        EXPECT_TRUE(fs::exists(Demo(f))) << f;
    for (const char* f : {"shadow.kmo", "shadow.bmp", "skybox.kmo", "skybox.bmp", "extralife.bmp", "energy.bmp",
                          "shield.bmp", "checkpoint.bmp", "shot1.bmp"})
        EXPECT_TRUE(fs::exists(Demo(std::string("media/") + f))) << f;
}

TEST_F(ToolTest, DemoAgainKeepsAChangedLevelFile) {
    const fs::path dir = Scratch("again");
    ASSERT_EQ(RunTool({"demo", dir.string()}).code, 0);
    WriteText(dir / "level.ini", "[memory]\r\nroot=media\r\n");
    const Answer a = RunTool({"demo", dir.string()});
    EXPECT_EQ(a.code, 0);
    std::ifstream in(dir / "level.ini");
    std::string first;
    std::getline(in, first, '\0');
    EXPECT_EQ(first, "[memory]\r\nroot=media\r\n");
    EXPECT_NE(std::find(a.doc["kept"].begin(), a.doc["kept"].end(), "level.ini"), a.doc["kept"].end());
}

TEST_F(ToolTest, CheckFindsNoProblemInTheDemo) {
    const Answer a = RunTool({"check", Demo("level.ini").string()});
    EXPECT_EQ(a.code, 0);
    EXPECT_EQ(a.doc["problems"], json::array());
}

TEST_F(ToolTest, CheckListsEveryKindOfProblemWithItsEntry) {
    WriteText(Demo("media/garbage.kmo"), "not a model at all");
    WriteText(Demo("media/garbage.bmp"), "not a picture");
    // A valid 2 x 2 header of 16 bits per pixel, a depth the loader does not take.
    std::string deep = "BM";
    auto le = [&deep](uint32_t v, int n) {
        for (int i = 0; i < n; ++i) deep += static_cast<char>((v >> (8 * i)) & 255);
    };
    le(62, 4), le(0, 4), le(54, 4), le(40, 4), le(2, 4), le(2, 4), le(1, 2), le(16, 2), le(0, 4), le(8, 4);
    le(0, 4), le(0, 4), le(0, 4), le(0, 4), le(0, 4), le(0, 4);
    WriteText(Demo("media/deep16.bmp"), deep);
    WriteText(Demo("broken.ini"),
              "[memory]\r\nroot=media\r\nmaxpathpoints=8\r\n"
              "[types]\r\ncount=3\r\n0=hero.kmo\r\n1=missing.kmo\r\n2=garbage.kmo\r\n"
              "[textures]\r\ncount=4\r\n0=grass.bmp\r\n1=missing.bmp\r\n2=garbage.bmp\r\n3=deep16.bmp\r\n"
              "[objects]\r\ncount=2\r\n0=0 0 0 0 5 7 0 0 4 \r\n1=0 0 nan 0 0 -1 0 0 0 \r\n"
              "[paths]\r\ncount=2\r\n0=2 1.0 0.0 1.0 1.0 0.0 1.0 \r\n1=1 3.0 0.0 3.0 \r\n"
              "[players]\r\ncount=1\r\n0=0 0 0.0 0.0 0.0 1 -1 \r\n"
              "[specials]\r\ncount=2\r\n0=1.0 1.0 1.0 1001 5 \r\n1=1.0 1.0 1.0 1000 5 \r\n"
              "[weapons]\r\ncount=1\r\n0=1.00 -INF 1e400 \r\n");
    WriteText(Demo("media/missing.kmoa"), "1\r\n      0      nan\r\n");
    const Answer a = RunTool({"check", Demo("broken.ini").string()});
    EXPECT_EQ(a.code, 1);
    std::multiset<std::string> found;
    for (const auto& p : a.doc["problems"]) {
        ASSERT_TRUE(p["message"].is_string());
        found.insert(p["section"].get<std::string>() + "/" + p["entry"].get<std::string>());
    }
    const std::multiset<std::string> expected = {
        "types/1",    "types/2",                        // missing, does not load
        "textures/1", "textures/2", "textures/3",       // missing, not a picture, 16 bits
        "objects/0",  "objects/0", "objects/0",         // model, texture and path name nothing
        "paths/0",                                      // followed but one distinct point
        "players/0",                                    // actor 0 is an enemy
        "specials/0",                                   // ammunition for weapon kind 1
        "objects/1", "weapons/0", "weapons/0", "types/1", // not finite: nan, -INF, 1e400, nan
    };
    EXPECT_EQ(found, expected);
}

TEST_F(ToolTest, CheckReportsALevelWithoutPlayer) {
    WriteText(Demo("empty.ini"), "[memory]\r\nroot=media\r\n");
    const Answer a = RunTool({"check", Demo("empty.ini").string()});
    EXPECT_EQ(a.code, 1);
    ASSERT_EQ(a.doc["problems"].size(), 1u);
    EXPECT_EQ(a.doc["problems"][0]["section"], "players");
}

TEST_F(ToolTest, CheckWarnsAboutMoreThanTenThousandObjects) {
    std::string level = "[memory]\r\nroot=media\r\n[types]\r\ncount=1\r\n0=hero.kmo\r\n"
                        "[players]\r\ncount=1\r\n0=0 -1 0.0 0.0 0.0 0 -1 \r\n[objects]\r\ncount=10001\r\n";
    for (int o = 0; o < 10001; ++o) level += std::to_string(o) + "=0 0 0 0 0 -1 0 0 -1 \r\n";
    WriteText(Demo("many.ini"), level);
    const Answer a = RunTool({"check", Demo("many.ini").string()});
    EXPECT_EQ(a.code, 1);
    ASSERT_EQ(a.doc["problems"].size(), 1u) << a.doc;
    EXPECT_EQ(a.doc["problems"][0]["section"], "objects");
    EXPECT_EQ(a.doc["problems"][0]["entry"], "count");
}

TEST_F(ToolTest, CheckListsTheGameMediaMissingFromTheMediaFolder) {
    fs::create_directories(Demo("nowhere"));
    WriteText(Demo("nomedia.ini"), "[memory]\r\nroot=nowhere\r\n[players]\r\ncount=1\r\n0=0 -1 0.0 0.0 0.0 0 -1 \r\n"
                                   "[types]\r\ncount=1\r\n0=hero.kmo\r\n");
    const Answer a = RunTool({"check", Demo("nomedia.ini").string()});
    EXPECT_EQ(a.code, 1);
    int fixed = 0;
    for (const auto& p : a.doc["problems"]) fixed += p["section"] == "memory" && p["entry"] == "root";
    EXPECT_EQ(fixed, 9);  // two models and seven pictures
    EXPECT_EQ(a.doc["problems"].size(), 10u);  // and the level's one model
}

TEST_F(ToolTest, ResaveReportsTheLinesWrittenOrMinusOne) {
    const Answer a = RunTool({"resave", Demo("level.ini").string(), Scratch("resaved.ini").string()});
    EXPECT_EQ(a.code, 0);
    std::ifstream in(Scratch("resaved.ini"));
    int lines = 0;
    for (std::string l; std::getline(in, l);) ++lines;
    EXPECT_EQ(a.doc["lines"], lines);

    const Answer bad = RunTool({"resave", Demo("level.ini").string(), Scratch("no/such/dir/x.ini").string()});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.doc["lines"], -1);
    EXPECT_EQ(RunTool({"resave", Scratch("missing.ini").string(), Scratch("x.ini").string()}).code, 1);
}

TEST_F(ToolTest, ResaveAsAnotherUserLeavesAFileItMayNotWrite) {
    if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "needs root and setpriv to run the tool as the user nobody";
    // A folder anyone may write, outside the test's private temporary folder.
    char folder[] = "/tmp/zv_tool_perm_XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    ::chmod(folder, 0777);
    const fs::path out = fs::path(folder) / "level.ini";
    WriteText(out, "old");
    ::chmod(out.c_str(), 0444);
    fs::copy_file(Demo("level.ini"), fs::path(folder) / "in.ini");
    const Answer a = RunTool({"resave", (fs::path(folder) / "in.ini").string(), out.string()},
                             "env TMPDIR=" + std::string(folder) + " setpriv --reuid=nobody --regid=nogroup --clear-groups ");
    EXPECT_EQ(a.code, 1);
    EXPECT_EQ(a.doc, json({{"lines", -1}}));
    std::ifstream in(out);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "old");
    struct stat st {};
    EXPECT_EQ(::stat(out.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 0u);
    fs::remove_all(folder);
}

TEST_F(ToolTest, FifosDevicesAndLinkLoopsNeverStallOrAbortTheTool) {
    const fs::path dir = Scratch("hostile");
    fs::copy(Demo(), dir, fs::copy_options::recursive);
    for (const char* f : {"media/wall.kmo", "media/steps.kmoa", "media/tower.kmoa", "media/grass.bmp"})
        fs::remove(dir / f);
    ASSERT_EQ(::mkfifo((dir / "media/wall.kmo").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((dir / "media/steps.kmoa").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", dir / "media/tower.kmoa");
    fs::create_symlink("/dev/zero", dir / "media/grass.bmp");
    fs::create_symlink("/dev/zero", dir / "zero.ini");
    fs::create_symlink("loop.ini", dir / "loop.ini");
    WriteText(dir / "dev.ini", "[memory]\r\nroot=/dev\r\n[types]\r\ncount=2\r\n0=zero\r\n1=stdin\r\n");
    const std::string d = dir.string() + "/";
    const std::vector<std::vector<std::string>> runs = {
        {"check", d + "dev.ini"},         {"check", d + "fifo.ini"},
        {"check", d + "zero.ini"},        {"check", d + "loop.ini"},
        {"resave", d + "loop.ini", d + "out.ini"}, {"resave", d + "level.ini", d + "loop.ini"},
        {"render", d + "loop.ini", d + "out.png"}, {"model-info", d + "media/wall.kmo"},
        {"image-info", d + "media/grass.bmp"},
    };
    for (const auto& args : runs) {
        const Answer a = RunTool(args);
        EXPECT_EQ(a.code, 1) << args[0] << " " << args[1] << " (124: still running)";
        EXPECT_TRUE(a.doc.is_object()) << args[0] << " " << args[1];
    }
    // The level itself loads; only the two media that are no files are reported.
    const Answer level = RunTool({"check", d + "level.ini"});
    EXPECT_EQ(level.code, 1);
    ASSERT_EQ(level.doc["problems"].size(), 2u) << level.doc.dump();
    EXPECT_EQ(level.doc["problems"][0]["message"], "media file \"media/wall.kmo\" does not load");
    EXPECT_EQ(level.doc["problems"][1]["message"], "media file \"media/grass.bmp\" does not load");
}

TEST_F(ToolTest, ResavedDemoLevelStillLoadsRelativeToItsOwnDirectory) {
    // The copy beside the demo names the same relative media folder.
    const fs::path copy = Demo("copy.ini");
    ASSERT_EQ(RunTool({"resave", Demo("level.ini").string(), copy.string()}).code, 0);
    EXPECT_EQ(RunTool({"check", copy.string()}).doc["problems"], json::array());
}

TEST_F(ToolTest, ModelInfoTellsTheFormAndTheFrames) {
    const Answer text = RunTool({"model-info", Demo("media/ground.kmo").string()});
    EXPECT_EQ(text.code, 0);
    EXPECT_EQ(text.doc["ok"], true);
    EXPECT_EQ(text.doc["form"], "text");
    EXPECT_EQ(text.doc["frame"][0]["triangles"], 12);  // a box
    EXPECT_EQ(text.doc["log"], json::array());

    const Answer hero = RunTool({"model-info", Demo("media/hero.kmo").string()});
    EXPECT_EQ(hero.doc["form"], "binary");
    EXPECT_EQ(hero.doc["frames"], 20);
    EXPECT_EQ(hero.doc["frame"].size(), 20u);
    EXPECT_EQ(hero.doc["frame"][0]["centre"].size(), 3u);
    EXPECT_GT(hero.doc["frame"][0]["radius"].get<double>(), 1.0);
    EXPECT_EQ(hero.doc["hasColours"], 0);
    EXPECT_EQ(RunTool({"model-info", Demo("pointer.kmo").string()}).doc["hasColours"], 1);
}

TEST_F(ToolTest, ModelInfoOfABadFileShowsTheLoggedLines) {
    WriteText(Scratch("v15.kmo"), "KMOA 1.5\n0\n0\n0\n");
    const Answer a = RunTool({"model-info", Scratch("v15.kmo").string()});
    EXPECT_EQ(a.code, 1);
    EXPECT_EQ(a.doc["ok"], false);
    ASSERT_EQ(a.doc["log"].size(), 2u);
    EXPECT_EQ(a.doc["log"][0], "# read error");
    // A missing file loads nothing and logs nothing.
    const Answer missing = RunTool({"model-info", Scratch("none.kmo").string()});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.doc["log"], json::array());
}

TEST_F(ToolTest, FileNamesThatAreNotUtf8StillGiveJson) {
    const std::string name = Scratch("bad\xff\xfe.kmo").string();
    WriteText(name, "KMOA 2\n");
    const Answer a = RunTool({"model-info", name});
    EXPECT_EQ(a.code, 1);
    ASSERT_FALSE(a.doc.is_discarded());
    EXPECT_EQ(a.doc["log"].size(), 2u);
}

TEST_F(ToolTest, ModelConvertWritesTheBinaryFormWithTheSameGeometry) {
    const fs::path out = Scratch("ground_bin.kmo");
    const Answer conv = RunTool({"model-convert", Demo("media/ground.kmo").string(), out.string()});
    EXPECT_EQ(conv.code, 0);
    const Answer before = RunTool({"model-info", Demo("media/ground.kmo").string()});
    const Answer after = RunTool({"model-info", out.string()});
    EXPECT_EQ(after.doc["form"], "binary");
    EXPECT_EQ(after.doc["frame"][0]["packed"], before.doc["frame"][0]["packed"]);
    EXPECT_EQ(after.doc["frame"][0]["triangles"], before.doc["frame"][0]["triangles"]);
    EXPECT_EQ(after.doc["texcoords"], before.doc["texcoords"]);

    EXPECT_EQ(RunTool({"model-convert", Scratch("none.kmo").string(), Scratch("o.kmo").string()}).code, 1);
    EXPECT_EQ(RunTool({"model-convert", Demo("media/ground.kmo").string(), Scratch("no/dir/o.kmo").string()}).code,
              1);
}

TEST_F(ToolTest, ImageInfoGivesTexelsAsLoadedFromTheTopLeft) {
    // The heart sprite: transparent corner, red body at (10, 12) counted from the top.
    const Answer a = RunTool({"image-info", Demo("media/extralife.bmp").string(), "0", "0", "10", "12", "40", "0"});
    EXPECT_EQ(a.code, 0);
    EXPECT_EQ(a.doc["textures"], true);
    EXPECT_EQ(a.doc["image"], json({32, 32}));
    EXPECT_EQ(a.doc["texture"], json({32, 32}));
    EXPECT_EQ(a.doc["pixels"][0][3], 0);
    EXPECT_EQ(a.doc["pixels"][1], json({230, 30, 50, 255}));
    EXPECT_TRUE(a.doc["pixels"][2].is_null());  // outside the picture

    // The help picture is 256 x 128: the texture fits exactly; its top row is the frame.
    const Answer help = RunTool({"image-info", Demo("mousehelp.bmp").string(), "0", "0", "5", "127"});
    EXPECT_EQ(help.doc["texture"], json({256, 128}));
    EXPECT_EQ(help.doc["pixels"][0], json({150, 170, 220, 255}));
}

TEST_F(ToolTest, ImageInfoOfANonPictureFails) {
    WriteText(Scratch("junk.bmp"), "hello");
    const Answer a = RunTool({"image-info", Scratch("junk.bmp").string()});
    EXPECT_EQ(a.code, 1);
    EXPECT_EQ(a.doc["ok"], false);
    EXPECT_EQ(a.doc["textures"], false);
    EXPECT_EQ(a.doc["image"].size(), 2u);
}

TEST_F(ToolTest, WrongUsageExitsWithTwo) {
    EXPECT_EQ(RunTool({}).code, 2);
    EXPECT_EQ(RunTool({"frobnicate"}).code, 2);
    EXPECT_EQ(RunTool({"check"}).code, 2);
    EXPECT_EQ(RunTool({"image-info", "x.bmp", "1"}).code, 2);
    EXPECT_EQ(RunTool({"image-info", "x.bmp", "a", "b"}).code, 2);
    EXPECT_EQ(RunTool({"render", "level.ini", "out.png", "--view", "4"}).code, 2);
    const Answer a = RunTool({"render", "level.ini", "out.png", "--size", "big"});
    EXPECT_EQ(a.code, 2);
    EXPECT_TRUE(a.doc["error"].is_string());
}

TEST_F(ToolTest, RenderDrawsTheLevelIntoAPng) {
    const fs::path out = Scratch("view.png");
    const Answer a = RunTool({"render", Demo("level.ini").string(), out.string(), "--view", "2", "--size", "160x120",
                              "--distance", "30"});
    ASSERT_EQ(a.code, 0) << a.doc.dump();
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, out.string().c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ(image.width, 160u);
    EXPECT_EQ(image.height, 120u);
    // Seen from above, the middle of the picture is the grass of the ground: mostly green.
    const size_t mid = (60 * 160 + 40) * 3;
    EXPECT_GT(rgb[mid + 1], rgb[mid]);
    EXPECT_GT(rgb[mid + 1], rgb[mid + 2]);

    EXPECT_EQ(RunTool({"render", Scratch("missing.ini").string(), out.string()}).code, 1);
}

}  // namespace
