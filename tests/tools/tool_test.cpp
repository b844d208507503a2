// zentrovel-tool, run as the built program: every command on the demo and on broken
// inputs, checking exit codes and the JSON answers.
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

fs::path dir;   // the demo is in dir/demo

// Runs the tool with the arguments, "@" standing for the test's folder, under a time limit
// and optionally as another user, and parses its answer.
Answer RunTool(std::vector<std::string> args, const std::string& prefix = "") {
    // The OpenGL driver keeps a few allocations to the end of the process; in sanitizer
    // builds they would turn a good render into a failed exit.
    std::string cmd =
        std::string("ASAN_OPTIONS=detect_leaks=0 timeout 120 ") + prefix + "'" + ZV_BINARY_DIR + "/tools/zentrovel-tool'";
    for (auto& a : args) {
        if (!a.empty() && a[0] == '@') a = (dir / a.substr(1)).string();
        cmd += " '" + a + "'";
    }
    FILE* p = popen((cmd + " 2>/dev/null").c_str(), "r");
    std::string out;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    const int status = pclose(p);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, json::parse(out, nullptr, false)};
}

void WriteText(const std::string& rel, const std::string& text) { std::ofstream(dir / rel, std::ios::binary) << text; }
std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class ToolTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = fs::temp_directory_path() / ("zv_tool_test_" + std::to_string(getpid()));
        fs::remove_all(dir);
        ASSERT_EQ(RunTool({"demo", "@demo"}).code, 0);
        WriteText("v15.kmo", "KMOA 1.5\n0\n0\n0\n");
        WriteText("junk.bmp", "hello");
        WriteText("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
        WriteText("demo/empty.ini", "[memory]\r\nroot=media\r\n");
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }
};

// Each command's exit code and the fields of its answer that a caller reads.
TEST_F(ToolTest, CommandsAnswerWithTheirExitCodeAndJson) {
    const json pixels = {{0, 0, 0, 0}, {230, 30, 50, 255}, {0, 0, 0, 0}, nullptr, nullptr};
    const struct { std::vector<std::string> args; int code; json expected; } cases[] = {
        {{"check", "@demo/level.ini"}, 0, {{"problems", json::array()}}},
        {{"check", "@demo/empty.ini"}, 1,
         {{"problems",
           {{{"section", "players"}, {"entry", "count"}, {"message", "the level has no actor 0, the player"}}}}}},
        {{"resave", "@demo/level.ini", "@resaved.ini"}, 0, json::object()},
        {{"resave", "@demo/level.ini", "@no/such/dir/x.ini"}, 1, {{"lines", -1}}},
        {{"resave", "@missing.ini", "@x.ini"}, 1, {{"lines", -1}}},
        {{"model-info", "@demo/media/ground.kmo"}, 0,
         {{"ok", true}, {"form", "text"}, {"frames", 1}, {"hasColours", 0}, {"log", json::array()}}},
        {{"model-info", "@demo/media/hero.kmo"}, 0, {{"form", "binary"}, {"frames", 20}, {"hasColours", 0}}},
        {{"model-info", "@demo/pointer.kmo"}, 0, {{"hasColours", 1}}},
        {{"model-info", "@none.kmo"}, 1, {{"ok", false}, {"log", json::array()}}},   // nothing to load, nothing logged
        {{"model-info", "@bad\xff\xfe.kmo"}, 1, {{"ok", false}}},   // a name that is not UTF-8 still gives JSON
        {{"model-convert", "@demo/media/ground.kmo", "@ground.kmo"}, 0,
         {{"ok", true}, {"form", "binary"}, {"from", "text"}}},
        {{"model-convert", "@none.kmo", "@o.kmo"}, 1, {{"ok", false}}},
        // The heart sprite from the top left: transparent corner, red body, and off the 32 x 32 picture.
        {{"image-info", "@demo/media/extralife.bmp", "0", "0", "10", "12", "31", "0", "32", "0", "0", "32"}, 0,
         {{"ok", true}, {"textures", true}, {"image", {32, 32}}, {"texture", {32, 32}}, {"pixels", pixels}}},
        // The help picture is 256 x 128: the texture fits exactly; its top row is the frame.
        {{"image-info", "@demo/mousehelp.bmp", "5", "127"}, 0,
         {{"texture", {256, 128}}, {"pixels", {{150, 170, 220, 255}}}}},
        {{"image-info", "@junk.bmp"}, 1,
         {{"ok", false}, {"textures", false}, {"image", {0, 0}}, {"error", (dir / "junk.bmp").string() + ": not a BMP file"}}},
        {{"render", "@missing.ini", "@out.png"}, 1, {{"ok", false}}},
        {{"new", "@fresh"}, 0, {{"ok", true}}},
        {{"check", "@fresh/level.ini"}, 0, {{"problems", json::array()}}},
        {{"new", "@fresh"}, 1, {{"ok", false}}},   // never into a folder that holds anything
        {{"new", "@demo/level.ini"}, 1, {{"ok", false}}},
        // The importers answer with what they made; the readers say why they refuse a file.
        {{"import-model", "@tri.obj", "@tri.kmo", "--up", "z", "--scale", "2"}, 0,
         {{"ok", true}, {"triangles", 1}, {"frames", 1}, {"animations", json::array()}, {"animationFile", nullptr},
          {"bounds", {{"min", {0.0, 0.0, -2.0}}, {"max", {2.0, 0.0, 0.0}}}}, {"textures", json::array()}}},
        {{"model-info", "@tri.kmo"}, 0, {{"frames", 1}}},
        {{"import-model", "@junk.bmp", "@x.kmo"}, 1, {{"ok", false}}},
        {{"model-info", "@tri.obj"}, 1,
         {{"error", (dir / "tri.obj").string() + ": not a .kmo model but a file to import (zentrovel-tool import-model)"}}},
        {{"model-info", "@v15.kmo"}, 1,
         {{"error", (dir / "v15.kmo").string() + ": text model with a bad version, count or index"},
          {"log", json({"# read error", (dir / "v15.kmo").string()})}}},
        {{"import-image", "@demo/media/grass.bmp", "@grass.bmp", "--key"}, 0,
         {{"ok", true}, {"width", 64}, {"bits", 24}, {"transparency", false}}},
    };
    for (const auto& c : cases) {
        const Answer a = RunTool(c.args);
        EXPECT_EQ(a.code, c.code) << c.args[1];
        for (const auto& [key, value] : c.expected.items()) EXPECT_EQ(a.doc[key], value) << c.args[1] << " " << key;
    }
    EXPECT_EQ(RunTool({"model-info", "@ground.kmo"}).doc["frame"][0]["triangles"], 12) << "a box, converted";
    // resave answers the number of lines it wrote.
    const std::string resaved = ReadText(dir / "resaved.ini");
    const auto lines = std::count(resaved.begin(), resaved.end(), '\n');
    EXPECT_GT(lines, 20);
    EXPECT_EQ(RunTool({"resave", "@demo/level.ini", "@resaved.ini"}).doc["lines"], lines);
}

TEST_F(ToolTest, WrongUsageExitsWithTwoAndTheUsageLine) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"frobnicate"}, {"check"}, {"demo"}, {"new"}, {"resave", "a"}, {"model-info"}, {"model-convert", "a"},
             {"image-info", "x.bmp", "1"}, {"image-info", "x.bmp", "a", "b"}, {"render", "level.ini"},
             {"render", "level.ini", "out.png", "--view", "4"}, {"render", "level.ini", "out.png", "--size", "big"},
             {"render", "level.ini", "out.png", "--size", "15x20"},
             {"render", "level.ini", "out.png", "--distance", "501"}, {"import-model", "a.obj"},
             {"import-model", "a.obj", "a.kmo", "--fps", "0"}, {"import-model", "a.obj", "a.kmo", "--up", "x"},
             {"import-image", "a.png", "a.bmp", "--alpha"}}) {
        const Answer a = RunTool(args);
        EXPECT_EQ(a.code, 2) << (args.empty() ? "" : args[0]);
        EXPECT_TRUE(a.doc["error"].is_string());
        EXPECT_EQ(a.doc["usage"].get<std::string>().substr(0, 24), "zentrovel-tool demo DIR ");
    }
}

TEST_F(ToolTest, CheckListsEveryKindOfProblemWithItsEntry) {
    WriteText("demo/media/garbage.kmo", "not a model at all");
    WriteText("demo/media/garbage.bmp", "not a picture");
    WriteText("demo/broken.ini",
              "[memory]\r\nroot=media\r\nmaxpathpoints=8\r\n"
              "[types]\r\ncount=3\r\n0=hero.kmo\r\n1=missing.kmo\r\n2=garbage.kmo\r\n"
              "[textures]\r\ncount=3\r\n0=grass.bmp\r\n1=missing.bmp\r\n2=garbage.bmp\r\n"
              "[objects]\r\ncount=2\r\n0=0 0 0 0 5 7 0 0 4 \r\n1=0 0 nan 0 0 -1 0 0 0 \r\n"
              "[paths]\r\ncount=2\r\n0=2 1.0 0.0 1.0 1.0 0.0 1.0 \r\n1=1 3.0 0.0 3.0 \r\n"
              "[players]\r\ncount=1\r\n0=0 0 0.0 0.0 0.0 1 -1 \r\n"
              "[specials]\r\ncount=2\r\n0=1.0 1.0 1.0 1001 5 \r\n1=1.0 1.0 1.0 1000 5 \r\n"
              "[weapons]\r\ncount=1\r\n0=1.00 -INF 1e400 \r\n");
    WriteText("demo/media/missing.kmoa", "1\r\n      0      nan\r\n");
    // A level whose media folder is empty: the game's two models and seven pictures are missing.
    fs::create_directories(dir / "demo/nowhere");
    WriteText("demo/nomedia.ini", "[memory]\r\nroot=nowhere\r\n[players]\r\ncount=1\r\n0=0 -1 0.0 0.0 0.0 0 -1 \r\n"
                                  "[types]\r\ncount=1\r\n0=hero.kmo\r\n");
    std::string many = "[memory]\r\nroot=media\r\n[types]\r\ncount=1\r\n0=hero.kmo\r\n"
                       "[players]\r\ncount=1\r\n0=0 -1 0.0 0.0 0.0 0 -1 \r\n[objects]\r\ncount=10001\r\n";
    for (int o = 0; o < 10001; ++o) many += std::to_string(o) + "=0 0 0 0 0 -1 0 0 -1 \r\n";
    WriteText("demo/many.ini", many);
    const std::multiset<std::string> expected[] = {
        {"types/1", "types/2",                     // missing, does not load
         "textures/1", "textures/2",                // missing, not a picture
         "objects/0", "objects/0", "objects/0",     // model, texture and path name nothing
         "paths/0",                                 // followed but one distinct point
         "players/0",                               // actor 0 is an enemy
         "specials/0",                              // ammunition for weapon kind 1
         "objects/1", "weapons/0", "weapons/0", "types/1"},   // not finite: nan, -INF, 1e400, nan
        {"types/0", "memory/root", "memory/root", "memory/root", "memory/root", "memory/root", "memory/root",
         "memory/root", "memory/root", "memory/root"},
        {"objects/count"},   // more than 10,000 objects
    };
    int i = 0;
    for (const char* level : {"@demo/broken.ini", "@demo/nomedia.ini", "@demo/many.ini"}) {
        const Answer a = RunTool({"check", level});
        EXPECT_EQ(a.code, 1);
        std::multiset<std::string> found;
        for (const auto& p : a.doc["problems"]) {
            EXPECT_TRUE(p["message"].is_string());
            found.insert(p["section"].get<std::string>() + "/" + p["entry"].get<std::string>());
        }
        EXPECT_EQ(found, expected[i++]) << level;
    }
}

TEST_F(ToolTest, ResaveAsAnotherUserLeavesAFileItMayNotWrite) {
    if (::geteuid() != 0 || std::system("command -v setpriv >/dev/null") != 0)
        GTEST_SKIP() << "needs root and setpriv to run the tool as the user nobody";
    char folder[] = "/tmp/zv_tool_perm_XXXXXX";   // anyone may write here, unlike the test's own folder
    ASSERT_NE(::mkdtemp(folder), nullptr);
    ::chmod(folder, 0777);
    const std::string out = std::string(folder) + "/level.ini", in = std::string(folder) + "/in.ini";
    WriteText(out, "old");
    ::chmod(out.c_str(), 0444);
    fs::copy_file(dir / "demo/level.ini", in);
    const Answer a = RunTool({"resave", in, out}, "env TMPDIR=" + std::string(folder) +
                                                      " setpriv --reuid=nobody --regid=nogroup --clear-groups ");
    EXPECT_EQ(a.code, 1);
    EXPECT_EQ(a.doc, json({{"lines", -1}}));
    EXPECT_EQ(ReadText(out), "old");
    struct stat st {};
    EXPECT_TRUE(::stat(out.c_str(), &st) == 0 && st.st_uid == 0) << "still root's";
    fs::remove_all(folder);
}

TEST_F(ToolTest, FifosDevicesAndLinkLoopsNeverStallOrAbortTheTool) {
    const fs::path h = dir / "hostile";
    fs::copy(dir / "demo", h, fs::copy_options::recursive);
    for (const char* f : {"media/wall.kmo", "media/steps.kmoa", "fifo.ini"}) {
        fs::remove(h / f);
        ASSERT_EQ(::mkfifo((h / f).c_str(), 0644), 0) << f;
    }
    for (const char* f : {"media/tower.kmoa", "media/grass.bmp", "zero.ini"})
        fs::remove(h / f), fs::create_symlink("/dev/zero", h / f);
    fs::create_symlink("loop.ini", h / "loop.ini");
    WriteText("hostile/dev.ini", "[memory]\r\nroot=/dev\r\n[types]\r\ncount=2\r\n0=zero\r\n1=stdin\r\n");
    const std::vector<std::vector<std::string>> runs = {
        {"check", "@hostile/dev.ini"},   {"check", "@hostile/fifo.ini"},
        {"check", "@hostile/zero.ini"},  {"check", "@hostile/loop.ini"},
        {"resave", "@hostile/loop.ini", "@hostile/out.ini"}, {"resave", "@hostile/level.ini", "@hostile/loop.ini"},
        {"render", "@hostile/loop.ini", "@hostile/out.png"}, {"model-info", "@hostile/media/wall.kmo"},
        {"image-info", "@hostile/media/grass.bmp"},
    };
    for (const auto& args : runs) {
        const Answer a = RunTool(args);
        EXPECT_EQ(a.code, 1) << args[0] << " " << args[1] << " (124: still running)";
        EXPECT_TRUE(a.doc.is_object()) << args[0] << " " << args[1];
    }
    // The level itself loads; only the two media that are no files are reported.
    const Answer level = RunTool({"check", "@hostile/level.ini"});
    EXPECT_EQ(level.code, 1);
    ASSERT_EQ(level.doc["problems"].size(), 2u) << level.doc.dump();
    EXPECT_EQ(level.doc["problems"][0]["message"], "media file \"media/wall.kmo\" does not load");
    EXPECT_EQ(level.doc["problems"][1]["message"], "media file \"media/grass.bmp\" does not load");
}

TEST_F(ToolTest, DemoAgainKeepsAChangedLevelAndAResavedCopyStillChecksClean) {
    ASSERT_EQ(RunTool({"demo", "@again"}).code, 0);
    WriteText("again/level.ini", "[memory]\r\nroot=media\r\n");
    const Answer a = RunTool({"demo", "@again"});
    EXPECT_TRUE(a.code == 0 && a.doc["kept"].back() == "level.ini") << a.doc;
    EXPECT_EQ(ReadText(dir / "again/level.ini"), "[memory]\r\nroot=media\r\n");
    // The resaved demo beside the demo names the same relative media folder.
    fs::copy_file(dir / "resaved.ini", dir / "demo/copy.ini", fs::copy_options::overwrite_existing);
    EXPECT_EQ(RunTool({"check", "@demo/copy.ini"}).doc["problems"], json::array());
}

TEST_F(ToolTest, RenderDrawsTheLevelIntoAPngRightSideUp) {
    const Answer a = RunTool({"render", "@demo/level.ini", "@view.png", "--view", "3", "--size", "160x120",
                              "--distance", "60"});
    ASSERT_EQ(a.code, 0) << a.doc.dump();
    EXPECT_EQ(a.doc, json({{"ok", true}, {"file", (dir / "view.png").string()}, {"view", 3}, {"size", {160, 120}},
                           {"distance", 60}}));
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, (dir / "view.png").c_str()));
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr));
    EXPECT_EQ((std::vector<unsigned>{image.width, image.height}), (std::vector<unsigned>{160, 120}));
    auto at = [&](int x, int y) { return std::vector<int>(&rgb[(y * 160 + x) * 3], &rgb[(y * 160 + x) * 3 + 3]); };
    // Seen at a slant from above: black sky at the top, the grass, then the brick wall below it.
    EXPECT_EQ(at(40, 20), (std::vector<int>{0, 0, 0}));
    EXPECT_GT(at(40, 58)[1], at(40, 58)[0] + 40) << "green";
    EXPECT_GT(at(40, 84)[0], at(40, 84)[1] + 40) << "brick red";
}

}  // namespace
