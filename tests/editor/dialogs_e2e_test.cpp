// The actor, animation, weapon, path and special item dialogs, end to end on the demo
// level: each test opens a dialog from the main panel, works in it like a designer,
// closes it, saves, and reads what "level.ini" (or the animation file) now says.
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editor/actordialog.h"
#include "editor/dialogs.h"
#include "editor/pathdialog.h"
#include "editor/itemsdialog.h"
#include "editor/levelfile.h"
#include "tests/editor/editor_support.h"

namespace {

// The lines of one section of a level file, "[name]" included, each ended by CR LF.
std::string Section(const std::string& text, const std::string& name) {
    const size_t start = text.find("[" + name + "]");
    if (start == std::string::npos) return "<no section " + name + ">";
    const size_t end = text.find("\r\n[", start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end + 2 - start);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class DialogsTest : public EditorTest {
protected:
    // Saves from the main panel (a frame after the dialog has closed) and answers the
    // message; run the editor afterwards and read Saved().
    void SaveFromPanel() {
        gui().Idle(1).Click("bt_save");
        AnswerMessage(saveMessage_);
    }
    std::string Saved() const {
        EXPECT_EQ(saveMessage_.rfind("Saved successfully.", 0), 0u) << saveMessage_;
        return Read("level.ini");
    }
    // Records the items of a list of the open dialog.
    GuiDriver& Items(const StrValue& list, std::vector<std::string>& out) {
        return gui().Do([list, &out](HeadlessPlatform&) {
            out.clear();
            const int n = static_cast<int>(ItemCount(list));
            for (int i = 0; i < n; ++i) out.push_back(GetItem(list, i).Std());
        });
    }
    GuiDriver& Record(const StrValue& key, std::string& out) {
        return gui().Do([key, &out](HeadlessPlatform&) { out = GetProp(key).Std(); });
    }
    GuiDriver& ClickRadio(const StrValue& id, int item) { return gui().ClickOffset(id, 10, item * fy_ + fy_ / 2); }

    using Strings = std::vector<std::string>;

private:
    std::string saveMessage_;
};

// ---- Actors

TEST_F(DialogsTest, ChoosingPlayerClearsThePathInTheSameFrameAndOkStoresTheActor) {
    std::string pathBefore, pathAfter, title;
    gui().Click("bt_players");
    SelectLine("ls_ply", 1).Idle(1);   // an enemy on path 1
    gui().Click("bt_edit");
    Record("TEXT", title);
    Record("ls_pathSELECT", pathBefore);
    ClickRadio("ra_behave", 0);
    Record("ls_pathSELECT", pathAfter);
    SelectLine("ls_path", 0);   // a player takes no path, whatever is chosen
    SelectLine("ls_tex", 2);
    gui().Click("bt_ok").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(title, "Edit Player #1");
    EXPECT_EQ(pathBefore, "1");
    EXPECT_EQ(pathAfter, "-1");
    EXPECT_EQ(Section(Saved(), "players"),
              "[players]\r\ncount=4\r\n0=8 6 0.0 0.0 3.0 0 -1 \r\n1=9 2 -2.0 0.0 -3.0 0 -1 \r\n"
              "2=9 7 15.0 0.0 12.0 1 -1 \r\n3=10 8 0.0 0.0 -16.0 1 -1 \r\n");
}

TEST_F(DialogsTest, CancelledActorEditAndAnEmptyModelSelectionKeepTheActor) {
    gui().Click("bt_players");
    SelectLine("ls_ply", 2).Idle(1);
    gui().Click("bt_edit").Click("bt_notex");
    ClickRadio("ra_behave", 0);
    gui().Click("bt_cancel").Idle(1);
    gui().Click("bt_edit");
    gui().Do([](HeadlessPlatform&) { SetProp("ls_kmoSELECT", "-1"); });
    gui().Click("bt_ok").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(Saved(), DemoLevelText());
}

TEST_F(DialogsTest, DeletingActorZeroOfThreeMovesTheLastActorIntoItsPlace) {
    Strings lines;
    gui().Click("bt_players");
    SelectLine("ls_ply", 3).Idle(1);
    gui().Click("bt_del").Idle(1);
    SelectLine("ls_ply", 0).Idle(1);
    gui().Click("bt_del").Idle(1);
    Items("ls_ply", lines);
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(lines, (Strings{"Actor:0", "Actor:1"}));
    EXPECT_EQ(Section(Saved(), "players"),
              "[players]\r\ncount=2\r\n0=9 7 15.0 0.0 12.0 1 -1 \r\n1=9 7 -2.0 0.0 -3.0 1 1 \r\n");
}

TEST_F(DialogsTest, EmptyActorListIgnoresDelPosAndEditAndAddGivesAnActorOfZeros) {
    Strings lines;
    std::string selection;
    int depth = -1, listDepth = -2;
    gui().Click("bt_players");
    SelectLine("ls_ply", 0).Idle(1);
    for (int k = 0; k < 4; ++k) gui().Click("bt_del").Idle(1);
    Items("ls_ply", lines);
    Record("ls_plySELECT", selection);
    gui().Do([&listDepth](HeadlessPlatform&) { listDepth = static_cast<int>(DialogStackDepth()); });
    gui().Click("bt_del").Click("bt_pos").Click("bt_edit").Idle(1);
    gui().Do([&depth](HeadlessPlatform&) { depth = static_cast<int>(DialogStackDepth()); });
    gui().Click("bt_add").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_TRUE(lines.empty());
    EXPECT_EQ(selection, "-1");
    EXPECT_EQ(depth, listDepth) << "no dialog opened above the actor list";
    EXPECT_EQ(Section(Saved(), "players"), "[players]\r\ncount=1\r\n0=0 0 0.0 0.0 0.0 0 0 \r\n");
}

TEST_F(DialogsTest, ClickingAnActorPointsTheViewAtIt) {
    Number target[3] = {-99, -99, -99};
    gui().Click("bt_players");
    SelectLine("ls_ply", 2).Idle(1);
    gui().Do([&target](HeadlessPlatform&) {
        for (int k = 0; k < 3; ++k) target[k] = ViewTarget(k);
    });
    gui().Click("bt_ok");
    RunEditor();
    EXPECT_EQ(target[0], 15);
    EXPECT_EQ(target[1], 0);
    EXPECT_EQ(target[2], 12);
}

// ---- Animations

TEST_F(DialogsTest, SwitchingTheSlotKeepsTheTypedRangeAndOkWritesTheAnimationFile) {
    std::string lo, hi;
    SelectLine("ls_kmo", 8);   // hero.kmo: walk 3 to 7, jump 8 to 9
    gui().Click("bt_kmo_ani");
    ClickRadio("ra_typ", 1);
    gui().Idle(1).TypeInto("tx_lo", "4").TypeInto("tx_hi", "6");
    ClickRadio("ra_typ", 2);
    gui().Idle(1);
    Record("tx_loTEXT", lo);
    Record("tx_hiTEXT", hi);
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(lo, "8");
    EXPECT_EQ(hi, "9");
    EXPECT_EQ(ModelAnims(8, 1, 0), 4);
    EXPECT_EQ(ModelAnims(8, 1, 1), 6);
    const std::string file = Read("media/hero.kmoa");
    EXPECT_NE(file.find("      4        6"), std::string::npos) << file;
    EXPECT_EQ(Saved(), DemoLevelText()) << "animations live beside the models, not in the level";
}

TEST_F(DialogsTest, FrameNumbersBeyondTheFileLayoutAreKeptAtItsEnds) {
    SelectLine("ls_kmo", 8);   // hero.kmo
    gui().Click("bt_kmo_ani");
    ClickRadio("ra_typ", 1);
    gui().Idle(1).TypeInto("tx_lo", "123456789").TypeInto("tx_hi", "1e20");
    ClickRadio("ra_typ", 2);
    gui().Idle(1).TypeInto("tx_lo", "-1e20").TypeInto("tx_hi", "nan");
    gui().Click("bt_ok");
    RunEditor();
    const std::string file = Read("media/hero.kmoa");
    EXPECT_NE(file.find("\r\n99999999  99999999\r\n-9999999        0\r\n"), std::string::npos) << file;
    // Read back, the file gives what the dialog kept.
    const Number kept[2][2] = {{99999999, 99999999}, {-9999999, 0}};
    ModelAnims.Dim(9, 6, 2);
    LoadModelAnims(8, MediaRoot + "hero.kmo");
    for (int s = 0; s < 2; ++s) {
        for (int k = 0; k < 2; ++k) EXPECT_EQ(ModelAnims(8, s + 1, k), kept[s][k]) << s << k;
    }
}

TEST_F(DialogsTest, CancelledAnimationDialogWritesNoFileButKeepsSwitchedRanges) {
    const std::string before = Read("media/hero.kmoa");
    SelectLine("ls_kmo", 8);
    gui().Click("bt_kmo_ani");
    ClickRadio("ra_typ", 1);
    gui().Idle(1).TypeInto("tx_hi", "12");
    ClickRadio("ra_typ", 3);
    gui().Idle(1).Click("bt_cancel");
    RunEditor();
    EXPECT_EQ(Read("media/hero.kmoa"), before);
    EXPECT_EQ(ModelAnims(8, 1, 1), 12);
}

TEST_F(DialogsTest, ModelWithFewerThanSixSlotsGetsTheRestFromZeroToZero) {
    // Every model with two slots: the level holds only the five slots every level has.
    for (const auto& entry : std::filesystem::directory_iterator(Path("media"))) {
        if (entry.path().extension() != ".kmoa") continue;
        std::ofstream(entry.path(), std::ios::binary) << "2\r\n      1        2\r\n      3        4\r\n";
    }
    std::string lo, hi;
    SelectLine("ls_kmo", 9);
    gui().Click("bt_kmo_ani");
    ClickRadio("ra_typ", 5);
    gui().Idle(1);
    Record("tx_loTEXT", lo);
    Record("tx_hiTEXT", hi);
    gui().Click("bt_ok");
    RunEditor();
    EXPECT_EQ(lo, "0");
    EXPECT_EQ(hi, "0");
    EXPECT_EQ(Read("media/crawler.kmoa"),
              "6\r\n      1        2\r\n      3        4\r\n      0        0\r\n      0        0\r\n"
              "      0        0\r\n      0        0\r\n");
}

// ---- Weapons

TEST_F(DialogsTest, TwoKindsAddedToAnEmptyTableListAsOneAndTwoWithTheirDefaults) {
    Strings lines;
    gui().Click("bt_weapons").Click("bt_del").Idle(1).Click("bt_del").Idle(1);
    gui().Click("bt_add").Idle(1).Click("bt_add").Idle(1);
    Items("ls_weapon", lines);
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(lines, (Strings{"1", "2"}));
    EXPECT_EQ(Section(Saved(), "weapons"), "[weapons]\r\ncount=2\r\n0=1.00 0.50 0.5 \r\n1=1.00 0.50 0.5 \r\n");
}

TEST_F(DialogsTest, SlidersDraggedToTheirEndsStoreZeroAndOne) {
    std::string title;
    gui().Click("bt_weapons");
    SelectLine("ls_weapon", 0);
    gui().Click("bt_edit");
    Record("TEXT", title);
    gui().MoveTo("sl_grav", 0.5, 0.5).Press().MoveTo("sl_grav", 0.01, 0.5).Release();
    gui().Click("bt_ok").Idle(1);
    gui().Do([](HeadlessPlatform&) { EXPECT_EQ(WeaponTable(0, 0), 0); });
    gui().Click("bt_edit");
    gui().MoveTo("sl_grav", 0.5, 0.5).Press().MoveTo("sl_grav", 0.99, 0.5).Release();
    gui().MoveTo("sl_speed", 0.5, 0.5).Press().MoveTo("sl_speed", 0.99, 0.5).Release();
    gui().Click("bt_ok").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(title, "Weapon properties");
    EXPECT_EQ(WeaponTable(0, 0), 1);
    EXPECT_EQ(WeaponTable(0, 1), 1);
    EXPECT_EQ(Section(Saved(), "weapons"), "[weapons]\r\ncount=1\r\n0=1.00 1.00 0.5 \r\n");
}

TEST_F(DialogsTest, CancelInWeaponPropertiesLeavesTheKindAsItWas) {
    gui().Click("bt_weapons");
    SelectLine("ls_weapon", 0);
    gui().Click("bt_edit");
    for (const char* id : {"sl_grav", "sl_speed", "sl_angle"}) {
        gui().MoveTo(id, 0.5, 0.5).Press().MoveTo(id, 0.2, 0.5).Release();
    }
    gui().Click("bt_cancel").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(Saved(), DemoLevelText());
}

TEST_F(DialogsTest, DelLastRemovesTheLastKindEvenWithAnotherSelected) {
    gui().Do([](HeadlessPlatform&) { WeaponTable(0, 0) = 0.25; });
    gui().Click("bt_weapons").Click("bt_add").Idle(1);
    SelectLine("ls_weapon", 0);
    gui().Click("bt_del").Idle(1);
    // Edit needs a selection, and Del Last cleared it.
    gui().Click("bt_edit").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(Section(Saved(), "weapons"), "[weapons]\r\ncount=1\r\n0=0.25 0.50 0.5 \r\n");
}

// ---- Paths

TEST_F(DialogsTest, FirstPointOfANewPathIsOneZeroOneAndLaterPointsStartAtPointZero) {
    Strings points;
    gui().Click("bt_paths").Click("bt_add_pth").Idle(1);
    SelectLine("ls_pth", 2).Idle(1);
    for (int k = 0; k < 3; ++k) gui().Click("bt_add_pt").Idle(1);
    Items("ls_pts", points);
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(points, (Strings{"A  1.0,  0.0,  1.0", "B  2.0,  0.0,  2.0", "C  2.0,  0.0,  2.0"}));
    EXPECT_NE(Section(Saved(), "paths").find("\r\n2=3 1.0 0.0 1.0 2.0 0.0 2.0 2.0 0.0 2.0 \r\n"), std::string::npos)
        << Section(Saved(), "paths");
}

TEST_F(DialogsTest, PointsBeyondTheCapacityRaiseItForEveryPathAndTheSaveSaysSo) {
    std::string selected;
    gui().Click("bt_paths");
    SelectLine("ls_pth", 1).Idle(1);   // four points, capacity 8
    for (int k = 0; k < 4; ++k) gui().Click("bt_add_pt").Idle(1);
    Record("ls_ptsSELECT", selected);
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(selected, "7") << "the new point is selected";
    const std::string saved = Saved();
    EXPECT_NE(saved.find("maxpathpoints=9\r\n"), std::string::npos);
    EXPECT_EQ(Section(saved, "paths"),
              "[paths]\r\ncount=2\r\n0=2 -8.0 0.3 -12.0 -8.0 8.3 -12.0 \r\n"
              "1=8 -2.0 0.0 -3.0 2.0 0.0 -3.0 2.0 0.0 -11.0 -2.0 0.0 -11.0 -1.0 0.0 -2.0 -1.0 0.0 -2.0 "
              "-1.0 0.0 -2.0 -1.0 0.0 -2.0 \r\n");
}

TEST_F(DialogsTest, DeletingPointsStopsAtAnEmptyPath) {
    Strings points;
    std::string selected;
    auto depth = std::make_shared<Number>(-1);
    gui().Click("bt_paths");
    SelectLine("ls_pts", 1);
    for (int k = 0; k < 3; ++k) gui().Click("bt_del_pt").Idle(1);
    Items("ls_pts", points);
    Record("ls_ptsSELECT", selected);
    gui().Do([depth](HeadlessPlatform&) { *depth = DialogStackDepth(); });
    gui().Click("bt_pos_pt").Idle(1);
    gui().Do([depth](HeadlessPlatform&) {
        EXPECT_EQ(DialogStackDepth(), *depth) << "Pos needs a point";
        DeletePathPoint(0, 0);
        EXPECT_EQ(PathLen(0), 0);
    });
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_TRUE(points.empty());
    EXPECT_EQ(selected, "-1");
    EXPECT_EQ(Section(Saved(), "paths").substr(0, 26), "[paths]\r\ncount=2\r\n0=0 \r\n1=");
}

TEST_F(DialogsTest, DeletingPathZeroOfThreeMovesTheLastPathAndKeepsReferences) {
    gui().Click("bt_paths").Click("bt_add_pth").Idle(1);
    SelectLine("ls_pth", 2).Idle(1);
    gui().Click("bt_add_pt").Idle(1);
    SelectLine("ls_pth", 0).Idle(1);
    gui().Click("bt_del_pth").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    const std::string saved = Saved();
    EXPECT_EQ(Section(saved, "paths"),
              "[paths]\r\ncount=2\r\n0=1 1.0 0.0 1.0 \r\n"
              "1=4 -2.0 0.0 -3.0 2.0 0.0 -3.0 2.0 0.0 -11.0 -2.0 0.0 -11.0 \r\n");
    // The lift rides the new path 0 in the view's preview, which moves it there.
    EXPECT_NE(Section(saved, "objects").find("\r\n7=1 0 1 0 4 3 0 0 0 \r\n"), std::string::npos)
        << "the lift still names path 0";
    EXPECT_EQ(Section(saved, "players"), Section(DemoLevelText(), "players"));
}

TEST_F(DialogsTest, ClickingAPathCentresTheViewOnItsPoints) {
    Number target[3] = {-99, -99, -99};
    gui().Click("bt_paths");
    SelectLine("ls_pth", 1).Idle(1);
    gui().Do([&target](HeadlessPlatform&) {
        for (int k = 0; k < 3; ++k) target[k] = ViewTarget(k);
    });
    gui().Click("bt_ok");
    RunEditor();
    EXPECT_EQ(target[0], 0);
    EXPECT_EQ(target[1], 0);
    EXPECT_EQ(target[2], -7);
}

TEST(PathPointLine, LettersGiveWayToNumbersWhereTheyWouldBreakTheList) {
    EXPECT_EQ(PathPointLine(0, 1, -2.26, 10).Std(), "A  1.0, -2.3, 10.0");
    EXPECT_EQ(PathPointLine(58, 0, 0, 0).Std(), "{  0.0,  0.0,  0.0");
    EXPECT_EQ(PathPointLine(59, 0, 0, 0).Std(), "#59  0.0,  0.0,  0.0") << "| separates list items";
    EXPECT_EQ(PathPointLine(61, 0, 0, 0).Std(), "~  0.0,  0.0,  0.0");
    EXPECT_EQ(PathPointLine(62, 0, 0, 0).Std(), "#62  0.0,  0.0,  0.0") << "code 127 prints nothing";
    EXPECT_EQ(PathPointLine(300, 0, 0, 0).Std(), "#300  0.0,  0.0,  0.0");
}

// ---- Special items

TEST_F(DialogsTest, KindListShowsEveryWeaponAndTheSixthSetsKind1001) {
    Strings kinds;
    gui().Click("bt_weapons").Click("bt_add").Idle(1).Click("bt_ok").Idle(1);
    gui().Click("bt_specials");
    SelectLine("ls_spec", 0);
    gui().Click("bt_edit");
    Items("ls_typ", kinds);
    SelectLine("ls_typ", 5);
    gui().Click("bt_ok").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(kinds, (Strings{"live +?", "energy +?", "shield (ms)?", "checkpt multi(1/0)=?", "weapon 0 amo=?",
                              "weapon 1 amo=?"}));
    EXPECT_NE(Section(Saved(), "specials").find("\r\n0=-14.0 1.0 8.0 1001 1 \r\n"), std::string::npos)
        << Section(Saved(), "specials");
}

TEST_F(DialogsTest, OkWithoutChangesKeepsTheKindAndTypedValuesAreTaken) {
    std::string selected;
    gui().Click("bt_specials");
    SelectLine("ls_spec", 4);   // weapon 0 ammunition, 20
    gui().Click("bt_edit");
    Record("ls_typSELECT", selected);
    gui().Click("bt_ok").Idle(1);
    SelectLine("ls_spec", 1);
    gui().Click("bt_edit").TypeInto("tx_val", "75").Click("bt_ok").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(selected, "4");
    EXPECT_EQ(Saved(), Replace(DemoLevelText(), "1=-8.0 9.0 -17.0 1 50 ", "1=-8.0 9.0 -17.0 1 75 "));
}

TEST_F(DialogsTest, NewItemIsALifeWorthOneAtTheOrigin) {
    Strings lines;
    gui().Click("bt_specials").Click("bt_add").Idle(1);
    Items("ls_spec", lines);
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], " 0live +1");
    EXPECT_EQ(lines[5], " 5live +1");
    EXPECT_NE(Section(Saved(), "specials").find("count=6\r\n"), std::string::npos);
    EXPECT_NE(Section(Saved(), "specials").find("\r\n5=0.0 0.0 0.0 0 1 \r\n"), std::string::npos);
}

TEST_F(DialogsTest, ItemOfADeletedWeaponKindListsNoKindAndStartsAtTheFirst) {
    Strings lines;
    std::string selected;
    gui().Do([](HeadlessPlatform&) { SpecialItems(4, 3) = 1002; });
    gui().Click("bt_specials");
    Items("ls_spec", lines);
    SelectLine("ls_spec", 4);
    gui().Click("bt_edit");
    Record("ls_typSELECT", selected);
    gui().Click("bt_cancel").Idle(1).Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[4], " 420");
    EXPECT_EQ(selected, "0");
    EXPECT_NE(Section(Saved(), "specials").find("\r\n4=-2.0 1.0 6.0 1002 20 \r\n"), std::string::npos);
}

TEST_F(DialogsTest, DeletingItemZeroOfThreeMovesTheLastItemIntoItsPlace) {
    Strings lines;
    gui().Click("bt_specials");
    SelectLine("ls_spec", 4);
    gui().Click("bt_del").Idle(1);
    SelectLine("ls_spec", 3);
    gui().Click("bt_del").Idle(1);
    SelectLine("ls_spec", 0);
    gui().Click("bt_del").Idle(1);
    Items("ls_spec", lines);
    gui().Click("bt_ok");
    SaveFromPanel();
    RunEditor();
    EXPECT_EQ(lines, (Strings{" 0shield (ms)5000", " 1energy +50"}));
    EXPECT_EQ(Section(Saved(), "specials"),
              "[specials]\r\ncount=2\r\n0=0.0 1.0 -7.0 2 5000 \r\n1=-8.0 9.0 -17.0 1 50 \r\n");
}

}  // namespace
