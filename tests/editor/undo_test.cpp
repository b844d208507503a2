// Undo and redo in the main panel, and the questions before deleting what is in use,
// end to end on the demo level.
#include <string>

#include "editor/inuse.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/numbers.h"
#include "tests/editor/editor_support.h"

namespace {

TEST(DeleteQuestionTest, NamesTheFileAndCountsItsUsers) {
    // The panel's own questions (one kind of user at a time) are seen in the editor's tests.
    EXPECT_EQ(DeleteQuestion("wall.kmo", {4, 1}, true).Std(), "Delete wall.kmo, the 4 objects and the 1 actor that use it?");
    EXPECT_EQ(DeleteQuestion("Path #2", {1, 3}, false).Std(),
              "Delete Path #2 and take it from the 1 object and the 3 actors that use it?");
    EXPECT_EQ(DeleteQuestion("brick.bmp", {0, 0}, false).Std(), "") << "nothing to ask";
}

TEST_F(EditorTest, UndoingEveryStepBringsTheLoadedLevelBackByteForByte) {
    const auto chord = [this](int key, int modifier = kKeyLControl) {
        gui().PressKey(kKeyLControl).PressKey(modifier).Key(key).ReleaseKey(modifier).ReleaseKey(kKeyLControl).Idle(1);
    };
    std::string refused, asked, newObject, afterUndo, atStart, redone, noRedo;
    // The counts, and the selected line of the object list with the first line shown.
    const auto look = [this](std::string& out) {
        gui().Do([&out](HeadlessPlatform&) {
            out = NumberToText(ModelCount()).Std() + " models, " + NumberToText(ObjectCount()).Std() + " objects, " +
                  NumberToText(ActorCount()).Std() + " actors, line " + GetProp("ls_objSELECT").Std() + " from " +
                  GetProp("ls_objSCROLL").Std();
        });
    };
    // No step: the player's model is not deleted.
    SelectLine("ls_kmo", 8);
    gui().Click("bt_kmo_del");
    AnswerMessage(refused).Idle(1);
    // Step 1: crawler.kmo and both crawlers; spiker.kmo takes its number.
    SelectLine("ls_kmo", 9);
    gui().Click("bt_kmo_del");
    AnswerMessage(asked).Idle(1);
    // Step 2: a new object, selected and scrolled into view.
    gui().Click("bt_obj_new").Click("bt_ok").Idle(1);
    look(newObject);
    // Step 3: hero's walk ends at frame 12, which the dialog writes to hero.kmoa.
    const std::string heroAnims = Read("media/hero.kmoa");
    SelectLine("ls_kmo", 8);
    gui().Click("bt_kmo_ani");
    ClickRadio("ra_typ", 1);
    gui().Idle(1).TypeInto("tx_hi", "12").Click("bt_ok").Idle(1);
    // No steps: a test run, an edit closed with OK that changed nothing, a save.
    gui().Do([](HeadlessPlatform& p) {   // E ends the run once the game plays at 20 frames a second
        WhenReady(p, [] { return GetFrameInterval() == 50; }, [](HeadlessPlatform& q) { q.TapKey(kKeyE); });
    });
    gui().Click("bt_test").Idle(2);
    SelectLine("ls_obj", 3);
    gui().Click("bt_obj_edit").Click("bt_ok").Idle(1);
    SaveFromPanel();
    // Steps 4 and 5: Pos of object 10, and texture 0 with the ground's texture.
    SelectLine("ls_obj", 10);
    PlaceWith("bt_obj_pos", kFront);
    SelectLine("ls_tex", 0);
    gui().Click("bt_tex_del").Click("bt_yes").Idle(2);
    chord(kKeyZ);
    chord(kKeyZ);
    look(afterUndo);
    for (int k = 0; k < 4; ++k) chord(kKeyZ);   // the last one finds nothing to undo
    look(atStart);
    chord(kKeyY);
    chord(kKeyZ, kKeyLShift);
    look(redone);
    // A new change drops what could still be redone.
    SelectLine("ls_obj", 0);
    gui().Click("bt_obj_del").Idle(1);
    chord(kKeyY);
    look(noRedo);
    for (int k = 0; k < 3; ++k) chord(kKeyZ);
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(refused, "hero.kmo is the player's model. Give the player another model first.");
    EXPECT_EQ(asked, "Delete crawler.kmo and the 2 actors that use it?");
    EXPECT_EQ(newObject, "10 models, 12 objects, 2 actors, line 11 from 8") << "the last of 12 lines, 4 of which show";
    EXPECT_EQ(afterUndo, "10 models, 12 objects, 2 actors, line 10 from 8") << "the rebuilt panel shows the selection";
    EXPECT_EQ(atStart, "11 models, 11 objects, 4 actors, line 10 from 7");
    EXPECT_EQ(redone, "10 models, 12 objects, 2 actors, line 10 from 7");
    EXPECT_EQ(noRedo, "10 models, 11 objects, 2 actors, line 0 from 0");
    EXPECT_EQ(Saved(), DemoLevelText());
    EXPECT_EQ(Read("media/hero.kmoa"), heroAnims);
}

}  // namespace
