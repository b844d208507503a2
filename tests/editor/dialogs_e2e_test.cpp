// The actor, animation, weapon, path and special item dialogs worked like a designer on the
// demo level, then what "level.ini" (or the animation file) says after saving.
#include <filesystem>
#include <string>

#include "editor/actordialog.h"
#include "editor/dialogs.h"
#include "editor/pathdialog.h"
#include "editor/itemsdialog.h"
#include "level/levelfile.h"
#include "tests/editor/editor_support.h"

namespace {

using DialogsTest = EditorTest;

TEST_F(DialogsTest, ActorListCameraEditPosDeleteAndAdd) {
    Strings lines;
    std::string title, pathBefore, pathAfter, added;
    gui().Click("bt_players");
    CameraMovesBack("bt_view", 2);
    SelectLine("ls_ply", 1).Idle(1);   // an enemy on path 1; the view looks at it
    gui().Do([](HeadlessPlatform&) { EXPECT_EQ(ViewTarget(0) * 100 + ViewTarget(2), -203); });
    gui().Click("bt_edit");
    Record("TEXT", title);
    Record("ls_pathSELECT", pathBefore);
    ClickRadio("ra_behave", 0);
    Record("ls_pathSELECT", pathAfter);
    SelectLine("ls_path", 0);   // a player takes no path, whatever is chosen
    SelectLine("ls_tex", 2);
    gui().Click("bt_ok").Idle(1);
    // Cancel keeps actor 2; so does OK with no model chosen.
    SelectLine("ls_ply", 2).Idle(1);
    gui().Click("bt_edit").Click("bt_notex");
    ClickRadio("ra_behave", 0);
    gui().Click("bt_cancel").Idle(1).Click("bt_edit");
    gui().Do([](HeadlessPlatform&) { SetProp("ls_kmoSELECT", "-1"); });
    gui().Click("bt_ok").Idle(1);
    SelectLine("ls_ply", 3).Idle(1);
    PlaceWith("bt_pos", kTop);
    gui().Do([](HeadlessPlatform&) { EXPECT_EQ(ViewTarget(0) * 100 + ViewTarget(2), 695) << "view on (7, 0, -5)"; });
    SelectLine("ls_ply", 0).Idle(1);
    gui().Click("bt_del").Idle(1).Click("bt_add").Idle(1);
    Items("ls_ply", lines);
    Record("ls_plySELECT", added);
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(title, "Edit Player #1");
    EXPECT_EQ(pathBefore, "1");
    EXPECT_EQ(pathAfter, "-1");
    EXPECT_EQ(lines, (Strings{"Actor:0", "Actor:1", "Actor:2", "Actor:3"}));
    EXPECT_EQ(added, "3") << "the new actor is selected";
    EXPECT_EQ(Section(Saved(), "players"),
              Crlf("[players]\ncount=4\n0=10 8 7.0 0.0 -5.0 1 -1 \n1=9 2 -2.0 0.0 -3.0 0 -1 \n"
                   "2=9 7 15.0 0.0 12.0 1 -1 \n3=0 0 0.0 0.0 0.0 0 0 \n"));
}

TEST_F(DialogsTest, EmptyActorListIgnoresDelPosAndEdit) {
    gui().Click("bt_players");
    SelectLine("ls_ply", 0).Idle(1);
    for (int k = 0; k < 5; ++k) gui().Click("bt_del").Idle(1);
    gui().Click("bt_pos").Click("bt_edit").Idle(1);
    gui().Do([](HeadlessPlatform&) { EXPECT_EQ(DialogStackDepth(), 2) << "nothing opened above the list"; });
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(Section(Saved(), "players"), "[players]\r\ncount=0\r\n");
}

TEST_F(DialogsTest, AnimationSlotsKeepTypedRangesAndOnlyOkWritesTheFile) {
    const std::string before = Read("media/hero.kmoa");   // walk 3 to 7, jump 8 to 9
    std::string lo, hi, width;
    SelectLine("ls_kmo", 8);
    gui().Click("bt_kmo_ani");
    Record("ra_typWIDTH", width);
    ClickRadio("ra_typ", 1);
    gui().Idle(1).TypeInto("tx_lo", "4").TypeInto("tx_hi", "6");
    ClickRadio("ra_typ", 2);
    gui().Idle(1);
    Record("tx_loTEXT", lo);
    Record("tx_hiTEXT", hi);
    gui().Click("bt_cancel").Idle(1);
    gui().Do([&](HeadlessPlatform&) {
        EXPECT_EQ(Read("media/hero.kmoa"), before);
        EXPECT_EQ(ModelAnims(8, 1, 0) * 100 + ModelAnims(8, 1, 1), 406) << "the switch kept walk 4 to 6";
    });
    SelectLine("ls_kmo", 8);   // the panel was built again
    gui().Click("bt_kmo_ani");
    ClickRadio("ra_typ", 1);   // the file's walk range again
    gui().Idle(1).TypeInto("tx_hi", "12").Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(lo + " " + hi, "8 9");
    EXPECT_EQ(std::stod(width), 8 * fx_) << "the slot names take the default width: \"stand\" and three";
    std::string expected = before;
    const size_t walk = expected.find("\r\n      3        7\r\n");
    ASSERT_NE(walk, std::string::npos);
    EXPECT_EQ(Read("media/hero.kmoa"), expected.replace(walk, 18, "\r\n      3       12"));
    EXPECT_EQ(Saved(), DemoLevelText()) << "animations live beside the models, not in the level";
}

TEST_F(DialogsTest, FrameNumbersBeyondTheFileLayoutAreKeptAtItsEnds) {
    // Every model with two slots: the level holds only the five slots every level has, and
    // a model gets the rest from zero to zero.
    for (const auto& entry : std::filesystem::directory_iterator(Path("media"))) {
        if (entry.path().extension() == ".kmoa")
            level_media::WriteBytes(entry.path(), "2\r\n      1        2\r\n      3        4\r\n");
    }
    std::string lo, hi;
    SelectLine("ls_kmo", 8);   // hero.kmo
    gui().Click("bt_kmo_ani");
    ClickRadio("ra_typ", 1);
    gui().Idle(1).TypeInto("tx_lo", "123456789").TypeInto("tx_hi", "1e20");
    ClickRadio("ra_typ", 2);
    gui().Idle(1).TypeInto("tx_lo", "-1e20").TypeInto("tx_hi", "nan");
    gui().Click("bt_ok").Idle(1);
    SelectLine("ls_kmo", 9);
    gui().Click("bt_kmo_ani");
    ClickRadio("ra_typ", 5);
    gui().Idle(1);
    Record("tx_loTEXT", lo);
    Record("tx_hiTEXT", hi);
    gui().Click("bt_ok");
    RunEditor();
    const std::string file = Read("media/hero.kmoa");
    EXPECT_NE(file.find("\r\n99999999  99999999\r\n-9999999        0\r\n"), std::string::npos) << file;
    EXPECT_EQ(lo + " " + hi, "0 0");
    EXPECT_EQ(Read("media/crawler.kmoa"),
              Crlf("6\n      1        2\n      3        4\n      0        0\n      0        0\n      0        0\n"
                   "      0        0\n"));
    // Read back, the file gives what the dialog kept.
    const Number kept[2][2] = {{99999999, 99999999}, {-9999999, 0}};
    ModelAnims.Dim(9, 6, 2);
    LoadModelAnims(8, MediaRoot + "hero.kmo");
    for (int s = 0; s < 2; ++s) {
        for (int k = 0; k < 2; ++k) EXPECT_EQ(ModelAnims(8, s + 1, k), kept[s][k]) << s << k;
    }
}

TEST_F(DialogsTest, WeaponKindsAddDeleteAndSliders) {
    Strings lines;
    std::string title;
    gui().Click("bt_weapons");
    for (int k = 0; k < 3; ++k) gui().Click("bt_del").Idle(1);
    gui().Click("bt_add").Idle(1).Click("bt_add").Idle(1);
    Items("ls_weapon", lines);
    SelectLine("ls_weapon", 0);
    gui().Click("bt_edit");
    Record("TEXT", title);
    gui().MoveTo("sl_grav").Press().MoveTo("sl_grav", 0.01).Release();
    gui().MoveTo("sl_angle").Press().MoveTo("sl_angle", 0.99).Release();
    gui().Click("bt_ok").Idle(1);
    SelectLine("ls_weapon", 1);
    gui().Click("bt_edit");
    for (const char* id : {"sl_grav", "sl_speed", "sl_angle"}) gui().MoveTo(id).Press().MoveTo(id, 0.2).Release();
    gui().Click("bt_cancel").Idle(1);
    // Del Last removes kind 2 with kind 1 selected, and clears the selection for Edit.
    SelectLine("ls_weapon", 0);
    gui().Click("bt_del").Idle(1).Click("bt_edit").Idle(1);
    gui().Do([](HeadlessPlatform&) { EXPECT_EQ(DialogStackDepth(), 2); });
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(lines, (Strings{"1", "2"}));
    EXPECT_EQ(title, "Weapon properties");
    EXPECT_EQ(Section(Saved(), "weapons"), "[weapons]\r\ncount=1\r\n0=0.00 0.50 1.0 \r\n");
}

TEST_F(DialogsTest, PathEditorCameraPointsPosAndDeletes) {
    Strings points;
    std::string selected, question, newPath;
    gui().Click("bt_paths");
    CameraMovesBack("bt_view", 2);
    // Path 1: four points; clicking it centres the view on them.
    SelectLine("ls_pth", 1).Idle(1);
    gui().Do([](HeadlessPlatform&) { EXPECT_EQ(ViewTarget(0) * 100 + ViewTarget(2), -7); });
    for (int k = 0; k < 4; ++k) gui().Click("bt_add_pt").Idle(1);
    Record("ls_ptsSELECT", selected);
    gui().Click("bt_add_pth").Idle(1);
    Record("ls_pthSELECT", newPath);
    SelectLine("ls_pth", 2).Idle(1);
    for (int k = 0; k < 3; ++k) gui().Click("bt_add_pt").Idle(1);
    Items("ls_pts", points);
    SelectLine("ls_pts", 1).Idle(1);
    PlaceWith("bt_pos_pt", kFront);
    SelectLine("ls_pts", 0).Idle(1);
    gui().Click("bt_del_pt").Idle(1);
    SelectLine("ls_pth", 0).Idle(1);
    gui().Click("bt_del_pth");
    AnswerMessage(question).Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(selected + " " + newPath, "7 2") << "the new point and the new path are selected";
    EXPECT_EQ(question, "Delete Path #0 and take it from the 1 object that uses it?");
    EXPECT_EQ(points, (Strings{"A  1.0,  0.0,  1.0", "B  2.0,  0.0,  2.0", "C  2.0,  0.0,  2.0"}));
    const std::string saved = Saved();
    EXPECT_NE(saved.find("maxpathpoints=9\r\n"), std::string::npos);
    // Path 2 took the place of path 0; the lift, on the deleted path, stays where it stood.
    EXPECT_EQ(Section(saved, "paths"),
              Crlf("[paths]\ncount=2\n0=2 7.0 4.5 2.0 2.0 0.0 2.0 \n"
                   "1=8 -2.0 0.0 -3.0 2.0 0.0 -3.0 2.0 0.0 -11.0 -2.0 0.0 -11.0 -1.0 0.0 -2.0 -1.0 0.0 -2.0 "
                   "-1.0 0.0 -2.0 -1.0 0.0 -2.0 \n"));
    EXPECT_NE(saved.find("\r\n7=-8 0.3 -12 0 4 3 0 0 -1 \r\n"), std::string::npos) << Section(saved, "objects");
}

TEST_F(DialogsTest, ClickBelowTheLastPathEmptiesThePointList) {
    Strings points;
    gui().Click("bt_paths");
    SelectLine("ls_pth", 1).Idle(1);
    gui().ClickOffset("ls_pth", 10, 5 * fy_ + 4).Idle(1);
    Items("ls_pts", points);
    // The list shows no point to pick, so no point of another path gets picked here.
    gui().ClickOffset("ls_pts", 10, fy_ + 4).Idle(1);
    gui().Click("bt_del_pt").Idle(1).Click("bt_pos_pt").Idle(1);
    SelectLine("ls_pth", 1).Idle(1);
    gui().Click("bt_del_pt").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(Section(Saved(), "paths"), Section(DemoLevelText(), "paths"));
}

TEST(PathPointLine, LettersGiveWayToNumbersWhereTheyWouldBreakTheList) {
    for (const auto& [k, line] : {std::pair{58, "{  0.0,  0.0,  0.0"}, {59, "#59  0.0,  0.0,  0.0"},
                                  {61, "~  0.0,  0.0,  0.0"}, {62, "#62  0.0,  0.0,  0.0"}})
        EXPECT_EQ(PathPointLine(k, 0, 0, 0).Std(), line) << "| separates list items; code 127 prints nothing";
    EXPECT_EQ(PathPointLine(0, 1, -2.26, 10).Std(), "A  1.0, -2.3, 10.0");
}

TEST_F(DialogsTest, SpecialItemsCameraKindsValuesPosAddAndDelete) {
    Strings lines, kinds;
    std::string unknownKind, energyKind, camera;
    gui().Do([](HeadlessPlatform&) { SpecialItems(3, 3) = 1002; });   // its weapon kind is gone
    gui().Click("bt_weapons").Click("bt_add").Idle(1).Click("bt_ok").Idle(1);
    gui().Click("bt_specials");
    Items("ls_spec", lines);
    CameraMovesBack("bt_cam", 2);
    SelectLine("ls_spec", 0);
    gui().Click("bt_edit");
    Items("ls_typ", kinds);
    SelectLine("ls_typ", 5);
    gui().Click("bt_ok").Idle(1);
    SelectLine("ls_spec", 3);
    gui().Click("bt_edit");
    Record("ls_typSELECT", unknownKind);
    gui().Click("bt_cancel").Idle(1);
    SelectLine("ls_spec", 1);
    gui().Click("bt_edit");
    Record("ls_typSELECT", energyKind);
    gui().TypeInto("tx_val", "75").Click("bt_ok").Idle(1);
    SelectLine("ls_spec", 1).Idle(4);   // more than a second: the item has blinked
    gui().Click("bt_cam").Idle(1);
    Record("tx_textTEXT", camera);
    gui().Click("bt_ok").Idle(1);
    SelectLine("ls_spec", 2);
    PlaceWith("bt_pos", kTop);
    gui().Click("bt_add").Idle(1);
    SelectLine("ls_spec", 4);
    gui().Click("bt_del").Idle(1);
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(lines, (Strings{" 0live +1", " 1energy +50", " 2shield (ms)5000", " 31",
                              " 4weapon 0 amo=20"}));
    EXPECT_EQ(kinds, (Strings{"live +?", "energy +?", "shield (ms)?", "checkpt multi(1/0)=?", "weapon 0 amo=?",
                              "weapon 1 amo=?"}));
    EXPECT_EQ(unknownKind + " " + energyKind, "0 1");
    EXPECT_EQ(camera, "X:-8 Y:9 Z:-17") << "the camera dialog marks the selected item";
    EXPECT_EQ(Section(Saved(), "specials"),
              Crlf("[specials]\ncount=5\n0=-14.0 1.0 8.0 1001 1 \n1=-8.0 9.0 -17.0 1 75 \n2=7.0 1.0 -5.0 2 5000 \n"
                   "3=5.0 5.0 -17.0 1002 1 \n4=0.0 0.0 0.0 0 1 \n"));
}

}  // namespace
