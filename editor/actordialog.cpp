// Actor dialogs: the actor list, the actor's edit dialog and the animation slots of a
// model; also the view helpers that every list dialog of editor/dialogs.h shares.
//
// Dependencies: level/level, level/levelfile, editor/view, game/rules, gui,
// runtime (frame, numbers, 2D and 3D drawing).
#include "editor/actordialog.h"

#include <algorithm>   // Required for: std::max
#include <cmath>       // Required for: std::floor, std::trunc

#include "editor/dialogs.h"
#include "editor/editor.h"             // Required for: kGuiFont
#include "level/level.h"
#include "level/levelfile.h"          // Required for: LoadModelAnims, SaveModelAnims
#include "editor/view.h"               // Required for: DrawLevelView, PositionDialog
#include "game/rules.h"                // Required for: DeleteActor
#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"       // Required for: FlipScreen, SetViewport, GetElapsedTime
#include "runtime/frame/input.h"       // Required for: WaitForInput
#include "runtime/frame/numbers.h"     // Required for: SinDeg, CosDeg, IntMod
#include "runtime/gfx2d/draw2d.h"      // Required for: SetFont, SetAlphaMode, DrawRectCorners, PrintNumber
#include "runtime/gfx3d/engine.h"      // Required for: the scene commands

namespace {

constexpr Number kDimAlpha = -0.7;
constexpr Number kPerspectiveFov = 35;
constexpr int kListWidth = 200;
constexpr int kSmallListHeight = 60;
constexpr Number kZoomStep = 5;
constexpr int kFrameFieldWidth = 30;

// ---- Actor list

void BuildActorList() {
    const Number sel = GetPropNum("ls_plySELECT");
    const std::vector<ListView> views = RememberListViews();
    DialogReset();
    SetFont(kGuiFont);
    AddButton("bt_view", "Camera", 0, 0);
    EndGroup();
    NewWidget("", "Actors", 0, 0);
    AddList("ls_ply", "", kListWidth, 0);
    const int actors = static_cast<int>(ActorCount());
    std::string items;
    for (int a = 0; a < actors; ++a) AppendItem(items, ("Actor:"_s + a).View());
    AddItems("ls_ply", StrValue(items));
    SetPropNum("ls_plySELECT", std::min(sel, static_cast<Number>(actors - 1)));
    EndGroup();
    AddButton("bt_add", "Add", 0, 0);
    AddButton("bt_del", "Del", 0, 0);
    AddButton("bt_pos", "Pos", 0, 0);
    AddButton("bt_edit", "Edit", 0, 0);
    EndGroup();
    AddButton("bt_ok", "OK", 0, 0);
    EndGroup();
    RestoreListViews(views);
}

// The selected actor in its stand animation. The animation runs through once in the
// half second the actor shows, so a still actor is told apart from the level's own.
void DrawBlinkingActor(int a) {
    const Number model = ActorProps(a, 0);
    if (!(model >= 0 && model < ModelAnims.Extent(0)) || AnimSlotCount() < 1) return;
    const Number phase = IntMod(std::floor(GetElapsedTime()), 500) / 500;
    SetTexture(ActorProps(a, 1), -1);
    SetMovement(ActorPos(a, 0), ActorPos(a, 1), ActorPos(a, 2));
    AddRotation(ActorPos(a, 4), 0, 0, 1);
    AddRotation(ActorPos(a, 3), 0, 1, 0);
    DrawAnimation(model, ModelAnims(model, 0, 0), ModelAnims(model, 0, 1), phase, 1);
}

// Handles the list's events in their fixed order; true when the list must be rebuilt.
bool HandleActorListEvent(DimArray<Number>& buffer) {
    if (Clicked("bt_view")) PositionDialog(-1, buffer);
    if (Clicked("bt_add")) {
        AddActor();
        SetPropNum("ls_plySELECT", ActorCount() - 1);
        return true;
    }
    const Number found = SelectedRecord("ls_ply", ActorCount());
    if (found < 0) return false;
    const int a = static_cast<int>(found);
    if (Clicked("ls_ply")) {
        for (int k = 0; k < 3; ++k) ViewTarget(k) = ActorPos(a, k);
        return true;
    }
    if (Clicked("bt_del")) {
        DeleteActor(a);
        return true;
    }
    if (Clicked("bt_pos")) {
        buffer.Redim(4);
        for (int k = 0; k < 4; ++k) buffer(k) = ActorPos(a, k);
        if (PositionDialog(ActorProps(a, 0), buffer) != 0) {
            for (int k = 0; k < 4; ++k) ActorPos(a, k) = buffer(k);
            for (int k = 0; k < 3; ++k) ViewTarget(k) = buffer(k);
        }
        return true;
    }
    if (Clicked("bt_edit")) {
        ActorDialog(a);
        return true;
    }
    return false;
}

// ---- Actor edit dialog

void AddNamedList(const char* id, const DimArray<StrValue>& names) {
    AddList(id, "", kListWidth, kSmallListHeight);
    std::string items;
    const int n = static_cast<int>(names.Extent(0));
    for (int i = 0; i < n; ++i) AppendItem(items, names(i).View());
    AddItems(id, StrValue(items));
    EndGroup();
}

void BuildActorDialog(int a) {
    NewWidget("", "Model", 0, 0);
    EndRow();
    AddNamedList("ls_kmo", ModelFiles);
    SetPropNum("ls_kmoSELECT", std::max<Number>(0, std::trunc(ActorProps(a, 0))));

    NewWidget("", "Texture", 0, 0);
    AddButton("bt_notex", "None", 0, 0);
    EndRow();
    AddNamedList("ls_tex", TextureFiles);
    SetPropNum("ls_texSELECT", ActorProps(a, 1));

    NewWidget("", "Behaviour", 0, 0);
    EndRow();
    AddRadio("ra_behave", "Player|Enemy", kListWidth);
    SetPropNum("ra_behaveSELECT", ActorProps(a, 4));
    EndGroup();

    NewWidget("", "Path", 0, 0);
    AddButton("bt_nopath", "None", 0, 0);
    EndRow();
    AddList("ls_path", "", kListWidth, kSmallListHeight);
    const int paths = static_cast<int>(PathCount());
    std::string items;
    for (int p = 0; p < paths; ++p) AppendItem(items, ("Path #"_s + p).View());
    AddItems("ls_path", StrValue(items));
    SetPropNum("ls_pathSELECT", ActorProps(a, 5));
    EndGroup();

    AddButton("bt_ok", "OK", 0, 0);
    AddButton("bt_cancel", "Cancel", 0, 0);
    EndGroup();
}

void StoreActor(int a) {
    // A click below a list's last line selects nothing; an actor without a model could
    // be neither drawn nor animated, so it keeps the one it has.
    const Number model = GetPropNum("ls_kmoSELECT");
    if (model >= 0 && model < ModelCount()) ActorProps(a, 0) = std::trunc(model);
    ActorProps(a, 1) = GetPropNum("ls_texSELECT");
    ActorProps(a, 4) = GetPropNum("ra_behaveSELECT");
    ActorProps(a, 5) = GetPropNum("ls_pathSELECT");
}

// ---- Animation dialog

void BuildAnimationDialog(int m, int slot) {
    DialogReset();
    SetFont(kGuiFont);
    AddButton("bt_zin", "ZoomIn", 0, 0);
    AddButton("bt_zout", "ZoomOut", 0, 0);
    EndGroup();
    AddRadio("ra_typ", kAnimSlotNames, 0);
    SetPropNum("ra_typSELECT", slot);
    EndGroup();
    NewWidget("", "from", 0, 0);
    // Both fields as wide as the second: one sized to its first number would hide
    // longer ones.
    AddText("tx_lo", NumberToText(ModelAnims(m, slot, 0)), kFrameFieldWidth, 0);
    NewWidget("", "to:", 30, 0);
    AddText("tx_hi", NumberToText(ModelAnims(m, slot, 1)), kFrameFieldWidth, 0);
    EndGroup();
    AddButton("bt_ok", "OK", 0, 0);
    AddButton("bt_cancel", "Cancel", 0, 0);
    EndGroup();
}

// The texture the model's first actor wears, so the preview looks as in the level.
Number PreviewTexture(Number m) {
    const int actors = static_cast<int>(ActorCount());
    for (int a = 0; a < actors; ++a) {
        if (ActorProps(a, 0) == m) return ActorProps(a, 1);
    }
    return -1;
}

void DrawAnimationPreview(int m, int slot, Number zoom, Number texture) {
    const Number clock = GetElapsedTime();
    SetViewport(ScreenW / 3, 0, 2 * ScreenW / 3 - 1, ScreenH);
    Make3D(1, 1000, 45);
    SetCamera(0, 40, 500, 0, 0, 0);
    SetMovement(0, 0, 0);
    SetScaling(zoom, zoom, zoom);
    AddRotation(clock / 30, 0, 1, 0);
    SetTexture(texture, -1);
    Number phase = IntMod(std::floor(clock), 1000) / 1000;
    // The fall runs forward and back.
    if (slot == kFallSlot && phase > 0.5) phase = 1 - phase;
    DrawAnimation(m, TextToNumber(GetProp("tx_loTEXT")), TextToNumber(GetProp("tx_hiTEXT")), phase, 1);
    Make2D();
    PrintNumber(texture, 100, 100);
}

}  // namespace

Number SelectedRecord(const StrValue& list, Number count) {
    const Number s = std::trunc(GetPropNum(list + "SELECT"));
    return s >= 0 && s < count ? s : -1;
}

Number BlinkShown() { return IntMod(std::floor(GetElapsedTime()), 1000) < 500 ? 1 : 0; }

Number DrawDimmedLevelView() {
    SetViewport(ScreenW / 3, 0, 2 * ScreenW / 3 - 1, ScreenH);
    DrawLevelView(kViewPerspective);
    Make2D();
    SetAlphaMode(kDimAlpha);
    DrawRectCorners(0, 0, 2000, 2000, 0);
    SetAlphaMode(0);
    // The camera of the perspective view again, for what is drawn over the dimming.
    const Number tx = ViewTarget(0), ty = ViewTarget(1), tz = ViewTarget(2), angle = ViewTarget(3);
    Make3D(1, 1000, kPerspectiveFov);
    SetCamera(tx - SinDeg(angle) * ViewDistance, ty + 10, tz + CosDeg(angle) * ViewDistance, tx, ty, tz);
    return 0;
}

void AddActor() {
    const int n = static_cast<int>(ActorCount());
    ActorProps.Redim(n + 1, kActorPropsColumns);
    ActorPos.Redim(n + 1, kActorPosColumns);
    ActorState.Redim(n + 1, kActorStateColumns);
}

Number ActorListDialog() {
    DimArray<Number> buffer;
    buffer.Dim(4);
    DialogInit(0, 0, ScreenW / 3, ScreenH);
    BuildActorList();
    for (;;) {
        SetFont(kGuiFont);
        DialogShow(0);
        DrawDimmedLevelView();
        const Number a = SelectedRecord("ls_ply", ActorCount());
        if (a >= 0 && BlinkShown() != 0) DrawBlinkingActor(static_cast<int>(a));
        if (Clicked("bt_ok")) {
            DialogClose();
            return 0;
        }
        if (HandleActorListEvent(buffer)) BuildActorList();
        FlipScreen();
        WaitForInput();
    }
}

Number ActorDialog(Number a) {
    if (!(a >= 0 && a < ActorCount())) return 0;
    const int row = static_cast<int>(a);
    DialogInit(200, 20, 300, 450);
    SetProp("MOVABLE", "1");
    SetProp("TEXT", "Edit Player #"_s + row);
    SetFont(kGuiFont);
    BuildActorDialog(row);
    for (;;) {
        DialogShow(0);
        // A player never keeps a path.
        if (GetPropNum("ra_behaveSELECT") == 0) SetProp("bt_nopathCLICKED", "1");
        if (Clicked("bt_notex")) SetProp("ls_texSELECT", "-1");
        if (Clicked("bt_nopath")) SetProp("ls_pathSELECT", "-1");
        if (Clicked("bt_ok")) break;
        if (Clicked("bt_cancel")) {
            DialogClose();
            return 0;
        }
        FlipScreen();
        WaitForInput();
    }
    StoreActor(row);
    DialogClose();
    return 0;
}

Number AnimationDialog(Number m) {
    if (!(m >= 0 && m < ModelCount())) return 0;
    const int model = static_cast<int>(m);
    const Number texture = PreviewTexture(model);
    DialogInit(0, 0, ScreenW / 3, ScreenH);
    const StrValue file = MediaRoot + ModelFiles(model);
    LoadModelAnims(model, file);
    const Number rows = std::max<Number>(ModelAnims.Extent(0), model + 1);
    if (AnimSlotCount() < kAnimDialogSlots || ModelAnims.Extent(0) < rows) {
        ModelAnims.Redim(rows, std::max<Number>(AnimSlotCount(), kAnimDialogSlots), 2);
    }
    Number zoom = 40;
    int slot = 0;
    BuildAnimationDialog(model, slot);
    for (;;) {
        SetFont(kGuiFont);
        DialogShow(0);
        DrawAnimationPreview(model, slot, zoom, texture);
        if (Clicked("bt_zin")) zoom += kZoomStep;
        if (Clicked("bt_zout")) zoom -= kZoomStep;
        if (Clicked("bt_cancel")) {
            DialogClose();
            return 0;
        }
        const bool ok = Clicked("bt_ok");
        if (ok || Clicked("ra_typ")) {
            // The typed range belongs to the slot the fields were built for.
            // Kept as the file will hold them, so the slot shows what a reload gives.
            ModelAnims(model, slot, 0) = AnimFrameNumber(TextToNumber(GetProp("tx_loTEXT")));
            ModelAnims(model, slot, 1) = AnimFrameNumber(TextToNumber(GetProp("tx_hiTEXT")));
            if (ok) {
                SaveModelAnims(model, file);
                DialogClose();
                return 0;
            }
            const Number chosen = std::trunc(GetPropNum("ra_typSELECT"));
            if (chosen >= 0 && chosen < kAnimDialogSlots) slot = static_cast<int>(chosen);
            BuildAnimationDialog(model, slot);
        }
        FlipScreen();
        WaitForInput();
    }
}
