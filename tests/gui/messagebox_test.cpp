// The message box, and the built-in file requester that FileRequest falls back on.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gui/filerequester.h"
#include "gui/messagebox.h"
#include "gui_fixture.h"
#include "runtime/files/files.h"

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

TEST_F(MessageBoxTest, BuiltInFileRequesterListsMatchesAndAnswersOnlyAnExistingFile) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("zv_requester_" + std::to_string(::getpid()));
    fs::create_directories(dir / "sub");
    for (const char* name : {"a.kmo", "b.bmp", "c.KMO"}) std::ofstream(dir / name) << "x";
    const StrValue before = GetCurrentDir();
    SetCurrentDir(StrValue(dir.string()));
    std::string items;
    gui().Do([&](HeadlessPlatform&) { items = GetProp("ls_filesTEXT").Std(); });
    gui().TypeInto("tx_name", "missing.kmo").Click("bt_ok");   // refused: Open takes only what exists
    gui().ClickOffset("ls_files", 10, 2 * kFy + 4).Click("bt_ok");
    const std::string answer = BuiltInFileRequest("KMO Objects (*.kmo)|*.kmo", 1).Std();
    EXPECT_EQ(items, "[..]|[sub]|a.kmo|c.KMO");
    EXPECT_EQ(answer, (fs::canonical(dir) / "a.kmo").string());
    SetCurrentDir(before);
    fs::remove_all(dir);
}
