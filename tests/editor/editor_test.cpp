// The editor's main panel and loop, end to end on the demo level: what the designer sees
// and what the saved "level.ini" then says.
#include <filesystem>
#include <string>

#include "editor/view.h"
#include "runtime/files/files.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/platform/scancodes.h"
#include "tests/editor/editor_support.h"
#include "tests/level/level_slots.h"

namespace {

using level_media::ModelBytes;
using level_media::PictureBytes;
using level_media::WriteBytes;

// The panel's widgets in layout order: buttons as id and caption, lists by id, texts.
Strings PanelWidgets() {
    Strings out;
    for (int n = 1; n <= GetPropNum("COUNT"); ++n) {
        const std::string id = GetProp("ID"_s + n).Std();
        if (id.rfind("ID_SPACER", 0) == 0) continue;
        if (id.rfind("ID_STATIC", 0) == 0) out.push_back(GetProp(StrValue(id) + "TEXT").Std());
        else if (id.rfind("ls_", 0) == 0) out.push_back(id);
        else out.push_back(id + " " + GetProp(StrValue(id) + "TEXT").Std());
    }
    return out;
}

TEST_F(EditorTest, PanelCaptionsFixedMediaSlotsAndTheSaveMessages) {
    // Start-up media told apart by size: models by triangles, pictures by width.
    const struct {
        const char* file;
        int size;
    } files[] = {{"pointer.kmo", 1},       {"skybox.kmo", 2},          {"media/shadow.kmo", 3},
                 {"media/skybox.kmo", 4},  {"hand.bmp", 11},           {"skybox.bmp", 12},
                 {"media/shadow.bmp", 21}, {"media/skybox.bmp", 22},   {"mousehelp.bmp", 23},
                 {"mousepointer.bmp", 24}, {"media/extralife.bmp", 25}, {"media/energy.bmp", 26},
                 {"media/shield.bmp", 27}, {"media/checkpoint.bmp", 28}, {"media/shot1.bmp", 29}};
    for (const auto& f : files) {
        const std::string name = f.file;
        WriteBytes(Path(name), name.ends_with(".kmo") ? ModelBytes(f.size) : PictureBytes(f.size, 2));
    }
    Strings widgets;
    std::string objFirst, objLast, opts, saved, failed;
    gui().Do([&](HeadlessPlatform&) {
        widgets = PanelWidgets();
        objFirst = GetItem("ls_obj", 0).Std();
        objLast = GetItem("ls_obj", 10).Std();
        // Game media replace the editor's own in 100 and 101.
        const int models[][2] = {{100, 3}, {101, 4}};
        for (const auto& [slot, triangles] : models) EXPECT_EQ(SlotTriangles(slot), triangles) << slot;
        const int sprites[][2] = {{100, 21}, {101, 22}, {102, 23}, {103, 24}, {500, 25},
                                  {501, 26}, {502, 27}, {503, 28}, {1000, 29}};
        for (const auto& [slot, width] : sprites) EXPECT_EQ(SpriteWidth(slot), width) << slot;
        EXPECT_DOUBLE_EQ(GetFrameInterval(), 1000.0 / 15);
    });
    gui().Click("bt_general");
    AnswerMessage(opts);
    Number flips = 0;
    gui().Click("bt_save").Do([&saved](HeadlessPlatform&) { saved = ShownText(); }).Click("bt_yes");
    // The first frame after the box's last one shows the panel again, drawn before it is presented.
    gui().Do([&flips](HeadlessPlatform&) { flips = FlipCount(); });
    gui().Do([&flips](HeadlessPlatform&) { flips = FlipCount() - flips; });
    gui().Do([](HeadlessPlatform&) { ObjPos(0, 0) = 7; });
    ClickWithWritesFailing("bt_save");
    AnswerMessage(failed);
    RunEditor();
    EXPECT_EQ(widgets, (Strings{"bt_general Opts", "bt_players Actors", "bt_paths Paths", "bt_specials Specials",
                                "bt_weapons Weapons", "bt_view Camera", "Models", "ls_kmo", "bt_kmo_new New",
                                "bt_kmo_del Delete", "bt_kmo_ani Ani", "Textures", "ls_tex", "bt_tex_new New",
                                "bt_tex_del Delete", "Objects in Level", "ls_obj", "bt_obj_new New",
                                "bt_obj_edit Edit", "bt_obj_pos Pos", "bt_obj_del Delete", "bt_save Save",
                                "bt_test Test"}));
    EXPECT_EQ(objFirst, " 0ground.kmo      /grass.bmp");
    EXPECT_EQ(objLast, "10toxic.kmo       /toxic.bmp");
    EXPECT_EQ(opts, "Needs to be implemented, yet!");
    EXPECT_EQ(saved, "Saved successfully. File has 60 lines. (255 is max)");
    EXPECT_EQ(flips, 1) << "no frame without the panel after the message box";
    EXPECT_EQ(failed, "Could not save level.ini: File too large");
    EXPECT_EQ(Read("level.ini"), DemoLevelText());
}

TEST_F(EditorTest, ObjectDialogPosCameraNewAndDeleteWriteTheLevel) {
    std::string water[6], lineAfterEdit, newTitle, firstAfterDelete;
    const char* const fields[6] = {"TEXT", "tx_alphaTEXT", "ra_behaveSELECT", "ls_kmoSELECT", "ls_texSELECT",
                                   "ls_pathSELECT"};
    // The water object opens with its own values, and OK keeps them.
    SelectLine("ls_obj", 9);
    gui().Click("bt_obj_edit");
    for (int k = 0; k < 6; ++k) Record(fields[k], water[k]);
    gui().Click("bt_ok").Idle(1);
    // Cancel after changing every field keeps the wall; OK stores every field.
    SelectLine("ls_obj", 1);
    for (const char* close : {"bt_cancel", "bt_ok"}) {
        gui().Click("bt_obj_edit");
        SelectLine("ls_kmo", 2);
        SelectLine("ls_tex", 3);
        gui().TypeInto("tx_alpha", "-0.5");
        ClickRadio("ra_behave", 2);
        SelectLine("ls_path", 1);
        gui().Click(close).Idle(1);
    }
    Record("ls_objTEXT", lineAfterEdit);
    // None and None; an empty model selection keeps the model.
    SelectLine("ls_obj", 7);
    gui().Click("bt_obj_edit").Click("bt_notex").Click("bt_nopath");
    gui().Do([](HeadlessPlatform&) { SetProp("ls_kmoSELECT", "-1"); });
    gui().Click("bt_ok").Idle(1);
    // Pos moves the object, and the view follows it at once.
    SelectLine("ls_obj", 4);
    PlaceWith("bt_obj_pos", kFront);
    gui().Do([](HeadlessPlatform&) {
        for (int k = 0; k < 3; ++k) EXPECT_EQ(ViewTarget(k), ObjPos(4, k)) << k;
    });
    CameraMovesBack("bt_view", 1);
    gui().Click("bt_obj_new");
    Record("TEXT", newTitle);
    gui().Click("bt_ok").Idle(1);
    SelectLine("ls_obj", 0);
    gui().Click("bt_obj_del").Idle(1);
    gui().Do([&](HeadlessPlatform&) { firstAfterDelete = GetItem("ls_obj", 0).Std(); });
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(Strings(water, water + 6), (Strings{"Model", "-0.55", "1", "5", "4", "-1"}));
    EXPECT_NE(lineAfterEdit.find("| 1wall.kmo        /brick.bmp|"), std::string::npos) << "no rebuild after Edit";
    EXPECT_EQ(newTitle, "Model");
    EXPECT_EQ(firstAfterDelete, " 0ground.kmo      /<no tex>");
    // Object 1 now rides path 1, which puts it on the path's first point.
    EXPECT_EQ(Section(Saved(), "objects"),
              Crlf("[objects]\ncount=11\n0=0 0 0 0 0 -1 0 0 -1 \n1=-2 0 -3 0 2 3 -0.5 2 1 \n"
                   "2=0 0 -29.5 0 1 1 0 0 -1 \n3=29.5 0 0 90 1 1 0 0 -1 \n4=7 4.5 0 90 1 1 0 0 -1 \n"
                   "5=5 0 -5 180 2 2 0 0 -1 \n6=-8 0 -17 0 3 2 0 0 -1 \n7=-8 0.3 -12 0 4 -1 0 0 -1 \n"
                   "8=-7 0 -5 0 7 2 0 0 -1 \n9=-7 0 -5 0 5 4 -0.55 1 -1 \n10=6 0 1 0 6 5 0 2 -1 \n"));
}

TEST_F(EditorTest, ModelAndTextureButtonsRenumberTheObjects) {
    std::filesystem::copy_file(Path("media/wall.kmo"), Path("media/extra.kmo"));
    std::filesystem::copy_file(Path("media/wood.bmp"), Path("media/planks.bmp"));
    platform().QueueFileAnswer(Path("media/extra.kmo"));
    platform().QueueFileAnswer("NO_FILE");
    platform().QueueFileAnswer(Path("media/planks.bmp"));
    // Nothing selected: these change nothing and open nothing.
    gui().Click("bt_kmo_del").Idle(1).Click("bt_kmo_ani").Idle(1).Click("bt_tex_del").Idle(1);
    gui().Click("bt_obj_del").Click("bt_obj_edit").Click("bt_obj_pos");
    gui().Do([](HeadlessPlatform&) { EXPECT_EQ(DialogStackDepth(), 1); });
    gui().Click("bt_kmo_new").Idle(1).Click("bt_kmo_new").Idle(1);
    std::string questions[2];
    SelectLine("ls_kmo", 1);
    gui().Click("bt_kmo_del");
    AnswerMessage(questions[0]).Idle(1).Click("bt_tex_new").Idle(1);
    SelectLine("ls_tex", 0);
    gui().Click("bt_tex_del");
    AnswerMessage(questions[1]);
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(Strings(questions, questions + 2),
              (Strings{"Delete wall.kmo and the 4 objects that use it?",
                       "Delete grass.bmp and take it from the 1 object that uses it?"}));
    const auto& calls = platform().FileDialogCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_TRUE(calls[0].open && calls[2].open);
    EXPECT_EQ(GetCurrentDir().Std(), Path(""));
    const std::string saved = Saved();
    // The last model and texture take the deleted one's number; actors keep theirs.
    EXPECT_EQ(Section(saved, "types"),
              Crlf("[types]\ncount=11\n0=ground.kmo\n1=extra.kmo\n2=steps.kmo\n3=tower.kmo\n4=platform.kmo\n"
                   "5=water.kmo\n6=toxic.kmo\n7=pool.kmo\n8=hero.kmo\n9=crawler.kmo\n10=spiker.kmo\n"));
    EXPECT_EQ(Section(saved, "textures"),
              Crlf("[textures]\ncount=9\n0=planks.bmp\n1=brick.bmp\n2=stone.bmp\n3=wood.bmp\n4=water.bmp\n"
                   "5=toxic.bmp\n6=hero.bmp\n7=crawler.bmp\n8=spiker.bmp\n"));
    EXPECT_EQ(Section(saved, "objects"),
              Crlf("[objects]\ncount=7\n0=0 0 0 0 0 -1 0 0 -1 \n1=6 0 1 0 6 5 0 2 -1 \n"
                   "2=-7 0 -5 0 5 4 -0.55 1 -1 \n3=-7 0 -5 0 7 2 0 0 -1 \n4=-8 0.3 -12 0 4 3 0 0 0 \n"
                   "5=5 0 -5 180 2 2 0 0 -1 \n6=-8 0 -17 0 3 2 0 0 -1 \n"));
    EXPECT_EQ(Section(saved, "players"), Section(DemoLevelText(), "players"));
}

TEST_F(EditorTest, NameWithABarIsOneLineAndIsRefusedFromNew) {
    // The level names "gro|und.kmo"; "a|b.kmo" is picked through New.
    std::filesystem::rename(Path("media/ground.kmo"), Path("media/gro|und.kmo"));
    std::filesystem::copy_file(Path("media/wall.kmo"), Path("media/a|b.kmo"));
    std::string level = Read("level.ini");
    level.replace(level.find("0=ground.kmo"), 12, "0=gro|und.kmo");
    level_media::WriteBytes(Path("level.ini"), level);
    platform().QueueFileAnswer(Path("media/a|b.kmo"));
    std::string models, firstObject, refused, saved;
    Number objectLines = 0;
    gui().Do([&](HeadlessPlatform&) {
        for (int i = 0; i < 3; ++i) models += GetItem("ls_kmo", i).Std() + ";";
        firstObject = GetItem("ls_obj", 0).Std();
        objectLines = ItemCount("ls_obj");
    });
    gui().Click("bt_kmo_new");
    AnswerMessage(refused);
    SelectLine("ls_kmo", 1);
    gui().Click("bt_kmo_del").Click("bt_yes").Idle(2).Click("bt_save");
    AnswerMessage(saved);
    RunEditor();
    EXPECT_EQ(models, "gro!und.kmo;wall.kmo;steps.kmo;");
    EXPECT_EQ(firstObject, " 0gro!und.kmo     /grass.bmp");
    EXPECT_EQ(objectLines, 11);
    EXPECT_EQ(refused, "File names with | cannot be used: a|b.kmo");
    // The line reading wall.kmo took wall.kmo and its four objects; the real name is kept.
    const std::string file = Read("level.ini");
    EXPECT_NE(file.find("[types]\r\ncount=10\r\n0=gro|und.kmo\r\n1=spiker.kmo\r\n2=steps.kmo\r\n"),
              std::string::npos) << file;
    EXPECT_NE(file.find("[objects]\r\ncount=7\r\n"), std::string::npos);
    EXPECT_EQ(file.find("wall.kmo"), std::string::npos);
    EXPECT_EQ(file.find("a|b"), std::string::npos);
    EXPECT_NE(file.find("\r\n3=1 8 0.0 0.0 -16.0 1 -1 \r\n"), std::string::npos) << "the spiker follows its model";
}

// The title tells whether the level is saved; Ctrl+S saves as "Save" does; Escape, the
// close button and Alt+F4 ask before unsaved changes are lost, and "No" goes back.
TEST_F(EditorTest, TitleShowsUnsavedChangesAndEndingAsksBeforeLosingThem) {
    Strings titles, questions(4);
    std::string saved;
    const auto title = [&titles](HeadlessPlatform& p) { titles.push_back(p.WindowTitle()); };
    const auto deleteObject = [this] {
        SelectLine("ls_obj", 3);
        gui().Click("bt_obj_del").Idle(1);
    };
    gui().Do(title);
    deleteObject();
    gui().Do(title).PressKey(kKeyLControl).Key(kKeyS).ReleaseKey(kKeyLControl);
    AnswerMessage(saved).Idle(1).Do(title);
    deleteObject();
    gui().Do(title).Key(kKeyEscape);
    AnswerMessage(questions[0], "bt_no").Idle(1).Do(title).Do([](HeadlessPlatform& p) { p.RequestClose(); });
    AnswerMessage(questions[1], "bt_no").PressKey(kKeyLAlt).Key(kKeyF4).ReleaseKey(kKeyLAlt);
    AnswerMessage(questions[2], "bt_no").Idle(1).Key(kKeyEscape);
    AnswerMessage(questions[3], "bt_yes");
    EXPECT_TRUE(RunUntilEnd([] { EditorStart(); }));
    EXPECT_EQ(titles, Strings({"Zentrovel - level.ini", "Zentrovel - level.ini *", "Zentrovel - level.ini",
                               "Zentrovel - level.ini *", "Zentrovel - level.ini *"}));
    EXPECT_EQ(saved.rfind("Saved successfully. File has ", 0), 0u) << saved;
    EXPECT_EQ(questions, Strings(4, "Quit without saving?"));
    EXPECT_NE(Read("level.ini").find("[objects]\r\ncount=10\r\n"), std::string::npos) << "Ctrl+S saved";
    EXPECT_NE(Read("level.recover.ini").find("[objects]\r\ncount=9\r\n"), std::string::npos) << "Yes kept a copy";
}

// Escape cancels a dialog and ends test play like E, and neither Escape reaches the
// panel; there, without changes, Escape ends the editor without a question.
TEST_F(EditorTest, EscapeCancelsDialogsEndsTestPlayAndQuitsASavedLevel) {
    Number depth = -1, alpha = -1;
    SelectLine("ls_obj", 0);
    gui().Click("bt_obj_edit").Idle(1).Do([](HeadlessPlatform&) { SetProp("tx_alphaTEXT", "0.5"); });
    gui().Key(kKeyEscape).Idle(2).Do([&](HeadlessPlatform&) {
        depth = DialogStackDepth();
        alpha = ObjProps(0, 2);
    });
    gui().Click("bt_test").Do([](HeadlessPlatform& p) {
        WhenReady(p, [] { return GetFrameInterval() == 50; }, [](HeadlessPlatform& q) { q.TapKey(kKeyEscape); });
    });
    gui().Idle(3).Key(kKeyEscape);
    int code = -1;
    EXPECT_TRUE(RunUntilEnd([] { EditorStart(); }, &code));
    EXPECT_EQ(depth, 1) << "the object dialog closed, the panel is open";
    EXPECT_EQ(alpha, 0) << "Cancel kept the object";
    EXPECT_EQ(code, 0);
    EXPECT_FALSE(std::filesystem::exists(Path("level.recover.ini")));
}

}  // namespace
