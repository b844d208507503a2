// The object dialog's starting values, driven on the headless platform.
#include <gtest/gtest.h>

#include "editor/level.h"
#include "editor/objectdialog.h"
#include "tests/gui/gui_fixture.h"

namespace {

class ObjectDialogTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        LoadFont("", 1);
        ResetLevelArrays();
        ModelFiles.Dim(3);
        for (int m = 0; m < 3; ++m) ModelFiles(m) = "m"_s + m + ".kmo";
    }

    // Opens the dialog for object o, reads its selections, then cancels.
    void ReadStart(int o, Number& model, Number& path, std::string& paths) {
        gui().Do([&](HeadlessPlatform&) {
            model = GetPropNum("ls_kmoSELECT");
            path = GetPropNum("ls_pathSELECT");
            paths = GetProp("ls_pathTEXT").Std();
        });
        gui().Click("bt_cancel");
        EXPECT_EQ(ObjectDialog(o), 0);
    }
};

TEST_F(ObjectDialogTest, ModelSelectionStartsAtTheWholeNonNegativeModelNumber) {
    AddObject(2.7, -1, 0, 0, -1, 0, 0, 0, 0);
    AddObject(-3, -1, 0, 0, -1, 0, 0, 0, 0);
    Number model = -9, path = -9;
    std::string paths;
    ReadStart(0, model, path, paths);
    EXPECT_EQ(model, 2);
    ReadStart(1, model, path, paths);
    EXPECT_EQ(model, 0);
    EXPECT_EQ(ObjProps(0, 0), 2.7) << "cancel leaves the record";
}

TEST_F(ObjectDialogTest, WithoutPathsTheListIsEmptyAndKeepsTheObjectsPath) {
    AddObject(1, -1, 0, 0, 4, 0, 0, 0, 0);
    Number model = -9, path = -9;
    std::string paths = "x";
    ReadStart(0, model, path, paths);
    EXPECT_EQ(paths, "");
    EXPECT_EQ(path, 4);
}

TEST_F(ObjectDialogTest, NonNumericAlphaIsStoredAsZero) {
    AddObject(1, -1, 0.5, 0, -1, 0, 0, 0, 0);
    gui().TypeInto("tx_alpha", "abc").Click("bt_ok");
    EXPECT_EQ(ObjectDialog(0), 0);
    EXPECT_EQ(ObjProps(0, 2), 0);
}

TEST_F(ObjectDialogTest, NumberThatNamesNoObjectOpensNothing) {
    EXPECT_EQ(ObjectDialog(0), 0);
    EXPECT_EQ(DialogStackDepth(), 0);
}

}  // namespace
