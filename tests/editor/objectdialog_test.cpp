// The object dialog's starting values and what OK stores, on the headless platform.
#include <gtest/gtest.h>

#include <cmath>

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
    }
};

TEST_F(ObjectDialogTest, StartsAtTheWholeModelNumberKeepsAPathWithoutPathsAndStoresBadAlphaAsZero) {
    // model, path: the selections the dialog opens with (no paths in the level).
    const Number cases[][4] = {{2.7, -1, 2, -1}, {-3, 4, 0, 4}};
    for (const auto& c : cases) {
        AddObject(c[0], -1, 0.5, 0, c[1], 0, 0, 0, 0);
        Number model = -9, path = -9;
        std::string paths = "x";
        gui().Do([&](HeadlessPlatform&) {
            model = GetPropNum("ls_kmoSELECT");
            path = GetPropNum("ls_pathSELECT");
            paths = GetProp("ls_pathTEXT").Std();
        });
        gui().TypeInto("tx_alpha", "abc").Click("bt_ok");
        EXPECT_EQ(ObjectDialog(ObjectCount() - 1), 0);
        EXPECT_EQ(model, c[2]);
        EXPECT_EQ(path, c[3]);
        EXPECT_EQ(paths, "");
        EXPECT_EQ(ObjProps(ObjectCount() - 1, 2), 0) << "alpha abc";
    }
    EXPECT_EQ(ObjectDialog(5), 0) << "no such object";
    EXPECT_EQ(DialogStackDepth(), 0);
}

}  // namespace
