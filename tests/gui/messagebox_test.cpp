// The message box, and the built-in file requester that FileRequest falls back on.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "gui/filerequester.h"
#include "gui/messagebox.h"
#include "gui_fixture.h"
#include "runtime/files/filerequest.h"
#include "runtime/files/files.h"

namespace fs = std::filesystem;

using MessageBoxTest = GuiTest;

TEST_F(MessageBoxTest, OkAndNoAnswerOneAndZeroAndTheDialogBelowGetsItsTableBack) {
    DialogInit(0, 0, 300, 200);
    AddButton("bt_save", "Save", 0, 0);
    DialogRefresh(0, 0, 0, 0);
    gui().Step();
    const Number rows = PropertyRowCount();
    const StrValue below = GetProp("bt_saveTEXT");

    std::vector<Number> box;
    gui().Do([&](HeadlessPlatform&) {
        for (const char* key : {"XPOS", "YPOS", "WIDTH", "HEIGHT"}) box.push_back(GetPropNum(key));
    });
    gui().Click("bt_yes");
    EXPECT_EQ(MessageBox("Saved successfully.", 0), 1);
    EXPECT_EQ(box, (std::vector<Number>{(800 - 148) / 2, 150, 148, 150})) << "centred";
    EXPECT_EQ(DialogStackDepth(), 1);
    EXPECT_EQ(PropertyRowCount(), rows);
    EXPECT_EQ(GetProp("bt_saveTEXT").Std(), below.Std());
    gui().Click("bt_no");
    EXPECT_EQ(MessageBox("Delete?", 1), 0);
}

TEST_F(MessageBoxTest, LongTextWrapsAt100PixelsAndTheButtonIsScrolledIntoView) {
    std::string text = "word";
    for (int i = 1; i < 59; ++i) text += " word";
    Number textHeight = 0, textWidth = 0, scrollMax = 0;
    gui().Idle(1).Do([&](HeadlessPlatform&) {
        textWidth = GetPropNum("ID_STATIC_1WIDTH");
        textHeight = GetPropNum("ID_STATIC_1HEIGHT");
        scrollMax = GetPropNum("SCROLLMAX");
    });
    gui().ScrollIntoView("bt_yes").Click("bt_yes");
    EXPECT_EQ(MessageBox(StrValue(text), 0), 1);
    EXPECT_EQ(textWidth, 100);
    // Three 4-letter words and their spaces per 100-pixel line: 19 lines and 2 words.
    EXPECT_EQ(textHeight, 20 * kFy);
    EXPECT_GT(scrollMax, 0);
}

class FileRequesterTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        previous_ = GetCurrentDir().Std();
        dir_ = fs::temp_directory_path() / ("zv_requester_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "sub");
        for (const char* name : {"a.kmo", "b.bmp", "c.KMO", "sub/x.kmo"}) std::ofstream(dir_ / name) << "x";
        SetCurrentDir(StrValue(dir_.string()));
        dir_ = fs::canonical(dir_);
        InstallFileRequester();
    }
    void TearDown() override {
        SetFileRequestFallback({});
        SetCurrentDir(StrValue(previous_));
        fs::remove_all(dir_);
        GuiTest::TearDown();
    }
    std::string previous_;
    fs::path dir_;
};

TEST_F(FileRequesterTest, ListsFoldersAndMatchingFilesAndAnswersAnExistingPickedPath) {
    std::string items;
    gui().Do([&](HeadlessPlatform&) { items = GetProp("ls_filesTEXT").Std(); });
    gui().TypeInto("tx_name", "missing.kmo").Click("bt_ok");   // refused: Open takes only what exists
    gui().ClickOffset("ls_files", 10, 2 * kFy + 4);
    gui().Click("bt_ok");
    const StrValue answer = FileRequest("KMO Objects (*.kmo)|*.kmo", 1);
    EXPECT_EQ(items, "[..]|[sub]|a.kmo|c.KMO");
    EXPECT_EQ(answer.Std(), (dir_ / "a.kmo").string());
    EXPECT_EQ(GetCurrentDir().Std(), dir_.string() + "/") << "the current directory is kept";
    EXPECT_EQ(DialogStackDepth(), 0);
}

