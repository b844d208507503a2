// The editor's main panel and loop, end to end on the demo level.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "editor/view.h"
#include "runtime/files/files.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/platform/scancodes.h"
#include "tests/editor/editor_support.h"

namespace {

int CountLines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

TEST_F(EditorTest, SaveShowsTheRealLineCountAndWritesTheLevel) {
    std::string message;
    Number flips = 0;
    gui().Click("bt_save").Do([&message](HeadlessPlatform&) { message = ShownText(); }).Click("bt_yes");
    // The first frame after the box's last one shows the panel again, drawn before it is presented.
    gui().Do([&flips](HeadlessPlatform&) { flips = FlipCount(); });
    gui().Do([&flips](HeadlessPlatform&) { flips = FlipCount() - flips; });
    RunEditor();
    EXPECT_EQ(flips, 1) << "no frame without the panel after the message box";
    const std::string saved = Read("level.ini");
    EXPECT_EQ(saved, DemoLevelText());
    EXPECT_EQ(message, "Saved successfully. File has " + std::to_string(CountLines(saved)) + " lines. (255 is max)");
    EXPECT_FALSE(std::filesystem::exists(Path("level.recover.ini"))) << "nothing changed";
}

TEST_F(EditorTest, FailedSaveSaysSoAndKeepsTheOldFile) {
    std::string message;
    gui().Do([](HeadlessPlatform&) { ObjPos(0, 0) = 7; });
    ClickWithWritesFailing("bt_save");
    AnswerMessage(message);
    RunEditor();
    EXPECT_EQ(message, "Could not save level.ini.");
    EXPECT_EQ(Read("level.ini"), DemoLevelText());
}

TEST_F(EditorTest, ObjectListLinesShowNumberModelAndTexture) {
    std::string first, last, added;
    gui().Do([&](HeadlessPlatform&) {
        first = GetItem("ls_obj", 0).Std();
        last = GetItem("ls_obj", 10).Std();
        // A long model name is cut so the texture stays in view.
        ModelFiles(0) = "a_model_with_a_very_long_name.kmo";
    });
    gui().Click("bt_obj_new").Click("bt_ok");
    gui().Do([&](HeadlessPlatform&) { added = GetItem("ls_obj", 11).Std(); });
    RunEditor();
    EXPECT_EQ(first, " 0ground.kmo      /grass.bmp");
    EXPECT_EQ(last, "10toxic.kmo       /toxic.bmp");
    EXPECT_EQ(added, "11a_model_with_a_v/<no tex>");
}

TEST_F(EditorTest, NewModelTakesTheChosenFileFromTheMediaFolder) {
    std::filesystem::copy_file(Path("media/wall.kmo"), Path("media/extra.kmo"));
    platform().QueueFileAnswer(Path("media/extra.kmo"));
    platform().QueueFileAnswer("NO_FILE");
    std::string items;
    gui().Click("bt_kmo_new").Idle(1).Click("bt_kmo_new");
    gui().Do([&](HeadlessPlatform&) { items = GetProp("ls_kmoTEXT").Std(); });
    RunEditor();
    ASSERT_EQ(ModelCount(), 12);
    EXPECT_EQ(ModelFiles(11).Std(), "extra.kmo");
    EXPECT_NE(items.find("|extra.kmo"), std::string::npos) << "the panel lists the new model";
    ASSERT_EQ(platform().FileDialogCalls().size(), 2u);
    EXPECT_EQ(platform().FileDialogCalls()[0].filter, "KMO Objects (*.kmo)|*.kmo");
    EXPECT_TRUE(platform().FileDialogCalls()[0].open);
    EXPECT_EQ(GetCurrentDir().Std(), Path(""));
}

TEST_F(EditorTest, DeleteModelRemovesItsObjectsAndRenumbersTheLastModelsObjects) {
    // Model 1 (wall) has objects 1 to 4; model 10 (spiker, the last) has none, but
    // every object of model 7 (pool) must survive the move.
    SelectLine("ls_kmo", 1);
    gui().Click("bt_kmo_del");
    RunEditor();
    ASSERT_EQ(ModelCount(), 10);
    EXPECT_EQ(ModelFiles(1).Std(), "spiker.kmo");
    EXPECT_EQ(ObjectCount(), 7);
    for (int o = 0; o < ObjectCount(); ++o) {
        EXPECT_NE(ModelFiles(ObjProps(o, 0)).Std(), "wall.kmo") << o;
    }
}

TEST_F(EditorTest, NewTextureAppendsTheChosenPicture) {
    std::filesystem::copy_file(Path("media/wood.bmp"), Path("media/planks.bmp"));
    platform().QueueFileAnswer(Path("media/planks.bmp"));
    gui().Click("bt_tex_new");
    RunEditor();
    ASSERT_EQ(TextureCount(), 10);
    EXPECT_EQ(TextureFiles(9).Std(), "planks.bmp");
    EXPECT_EQ(platform().FileDialogCalls().at(0).filter, "Textures (*.bmp)|*.bmp");
}

TEST_F(EditorTest, NewObjectOpensTheObjectDialogForIt) {
    std::string title;
    gui().Click("bt_obj_new");
    gui().Do([&](HeadlessPlatform&) { title = GetProp("TEXT").Std(); });
    gui().Click("bt_ok");
    RunEditor();
    EXPECT_EQ(title, "Model");
    ASSERT_EQ(ObjectCount(), 12);
    const Number expected[5] = {0, -1, 0, 0, -1};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(ObjProps(11, k), expected[k]) << k;
}

TEST_F(EditorTest, EditWithOkStoresEveryFieldAndTheLineWaitsForTheNextRebuild) {
    std::string lineAfterEdit;
    SelectLine("ls_obj", 1);
    gui().Click("bt_obj_edit");
    SelectLine("ls_kmo", 2);
    SelectLine("ls_tex", 3);
    gui().TypeInto("tx_alpha", "-0.5");
    gui().ClickOffset("ra_behave", 10, 1 * fy_ + fy_ / 2);
    SelectLine("ls_path", 1);
    gui().Click("bt_ok");
    gui().Do([&](HeadlessPlatform&) { lineAfterEdit = GetItem("ls_obj", 1).Std(); });
    RunEditor();
    const Number expected[5] = {2, 3, -0.5, 1, 1};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(ObjProps(1, k), expected[k]) << k;
    EXPECT_EQ(lineAfterEdit, " 1wall.kmo        /brick.bmp");
}

TEST_F(EditorTest, EditWithCancelChangesNothing) {
    SelectLine("ls_obj", 1);
    gui().Click("bt_obj_edit");
    SelectLine("ls_kmo", 2);
    gui().Click("bt_notex").Click("bt_nopath");
    gui().TypeInto("tx_alpha", "3");
    gui().ClickOffset("ra_behave", 10, 2 * fy_ + fy_ / 2);
    gui().Click("bt_cancel");
    RunEditor();
    const Number expected[5] = {1, 1, 0, 0, -1};
    for (int k = 0; k < 5; ++k) EXPECT_EQ(ObjProps(1, k), expected[k]) << k;
}

TEST_F(EditorTest, NoneButtonsStoreNoTextureAndNoPath) {
    SelectLine("ls_obj", 7);   // texture 3, path 0
    gui().Click("bt_obj_edit").Click("bt_notex").Click("bt_nopath").Click("bt_ok");
    RunEditor();
    EXPECT_EQ(ObjProps(7, 1), -1);
    EXPECT_EQ(ObjProps(7, 4), -1);
    EXPECT_EQ(ObjProps(7, 0), 4) << "the model stays";
}

TEST_F(EditorTest, EmptyModelSelectionKeepsTheObjectsModel) {
    SelectLine("ls_obj", 5);
    gui().Click("bt_obj_edit");
    gui().Do([](HeadlessPlatform&) { SetProp("ls_kmoSELECT", "-1"); });
    gui().Click("bt_ok");
    RunEditor();
    EXPECT_EQ(ObjProps(5, 0), 2);
}

TEST_F(EditorTest, PosConfirmedMovesTheObjectAndTheViewInTheSameFrame) {
    // Read at the first frame poll after the position dialog has closed, which is the
    // end of the editor's frame that handled its OK.
    struct Seen {
        Number target[3] = {-99, -99, -99};
        Number object[3] = {-99, -99, -99};
    };
    auto seen = std::make_shared<Seen>();
    auto watch = std::make_shared<std::function<void(HeadlessPlatform&)>>();
    *watch = [seen, watch](HeadlessPlatform& p) {
        if (DialogStackDepth() > 1) {
            p.Then(*watch);
            return;
        }
        for (int k = 0; k < 3; ++k) {
            seen->target[k] = ViewTarget(k);
            seen->object[k] = ObjPos(4, k);
        }
    };
    SelectLine("ls_obj", 4);
    gui().Click("bt_obj_pos");
    // A click into the front view sets x and y; OK confirms.
    gui().MoveToPoint(150, 120).Press().Idle(1).Release().Idle(1);
    gui().MoveTo("bt_ok").Press().Do([watch](HeadlessPlatform& p) {
        p.ReleaseButton(kMouseLeft);
        p.Then(*watch);
    });
    gui().Idle(3);
    RunEditor();
    EXPECT_NE(ObjPos(4, 0), -29.5) << "the click moved the object";
    EXPECT_EQ(ObjPos(4, 2), 0) << "the front view keeps z";
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(seen->object[k], ObjPos(4, k)) << k;
        EXPECT_EQ(seen->target[k], ObjPos(4, k)) << k;
    }
    *watch = nullptr;
}

TEST_F(EditorTest, DeleteObjectMovesTheLastObjectIntoItsPlace) {
    std::string firstLine;
    SelectLine("ls_obj", 0);
    gui().Click("bt_obj_del");
    gui().Do([&](HeadlessPlatform&) { firstLine = GetItem("ls_obj", 0).Std(); });
    RunEditor();
    ASSERT_EQ(ObjectCount(), 10);
    EXPECT_EQ(ObjProps(0, 0), 6);
    EXPECT_EQ(ObjPos(0, 0), 6);
    EXPECT_EQ(firstLine, " 0toxic.kmo       /toxic.bmp");
}

TEST_F(EditorTest, OptsSaysItIsNotThereYet) {
    std::string opts;
    gui().Click("bt_general");
    AnswerMessage(opts);
    RunEditor();
    EXPECT_EQ(opts, "Needs to be implemented, yet!");
}

TEST_F(EditorTest, ButtonsOnNothingSelectedChangeNothing) {
    // Delete rebuilds the panel; the new layout shows a frame later.
    gui().Click("bt_kmo_del").Idle(1).Click("bt_tex_del").Idle(1);
    gui().Click("bt_obj_del").Click("bt_obj_edit").Click("bt_obj_pos");
    RunEditor();
    EXPECT_EQ(ModelCount(), 11);
    EXPECT_EQ(TextureCount(), 9);
    EXPECT_EQ(ObjectCount(), 11);
}

TEST_F(EditorTest, IdleEditorRedrawsOnlyForTheBlink) {
    // Frames drawn in ten quiet seconds: with nothing selected, then with object 0
    // selected (which blinks every half second).
    struct Watch {
        Number t0 = -1, f0 = 0;
        Number frames[2] = {-1, -1};
        int phase = 0;
    };
    auto w = std::make_shared<Watch>();
    auto step = std::make_shared<std::function<void(HeadlessPlatform&)>>();
    *step = [w, step](HeadlessPlatform& p) {
        if (w->t0 < 0 || GetTimeMs() - w->t0 < 10000) {
            if (w->t0 < 0) {
                w->t0 = GetTimeMs();
                w->f0 = DialogFrameCount();
            }
            p.Then(*step);
            return;
        }
        w->frames[w->phase++] = DialogFrameCount() - w->f0;
        w->t0 = -1;
        if (w->phase == 1) {
            SetProp("ls_objSELECT", "0");
            p.Then(*step);
        } else {
            p.RequestClose();
        }
    };
    gui().Idle(2).Do([step](HeadlessPlatform& p) { p.Then(*step); });
    EXPECT_TRUE(RunUntilEnd([] { EditorStart(); }));
    EXPECT_LE(w->frames[0], 6) << "one picture every two seconds at most";
    EXPECT_GE(w->frames[1], 19) << "two pictures a second for the blink";
    EXPECT_LE(w->frames[1], 26);
    step->operator=(nullptr);
}

}  // namespace
