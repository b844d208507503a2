// Path editor dialog and the path operations.
//
// Dependencies: level/level, editor/dialogs, editor/view, gui, runtime (frame,
// numbers, 3D drawing).
#include "editor/pathdialog.h"

#include <algorithm>   // Required for: std::min, std::max
#include <cmath>       // Required for: std::trunc

#include "editor/dialogs.h"
#include "editor/editor.h"           // Required for: kGuiFont
#include "editor/inuse.h"            // Required for: ConfirmDeletion
#include "level/level.h"
#include "editor/view.h"             // Required for: PositionDialog
#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"     // Required for: FlipScreen
#include "runtime/frame/input.h"     // Required for: WaitForInput
#include "runtime/gfx2d/draw2d.h"    // Required for: SetFont
#include "runtime/gfx3d/engine.h"    // Required for: DrawDot3D

namespace {

constexpr int kListWidth = 200;
constexpr int kListHeight = 200;
// Names no loaded model, so the position dialog shows a point as its red dot alone.
constexpr Number kPointMarkerModel = 1001;
constexpr Number kBlinkDotSize = 15;
constexpr Number kBlinkDotColour = 8445183;

// The points of path p that exist: its length, limited to the slots of a path.
int PointCount(int p) {
    if (p >= PathLen.Extent(0)) return 0;
    const Number n = std::trunc(PathLen(p));
    if (!(n > 0)) return 0;
    return static_cast<int>(std::min<Number>(n, PathPoints.Extent(1)));
}

void BuildPathDialog() {
    SetFont(kGuiFont);
    const Number pathSel = GetPropNum("ls_pthSELECT");
    const Number pointSel = GetPropNum("ls_ptsSELECT");
    const std::vector<ListView> views = RememberListViews();
    DialogReset();
    AddButton("bt_view", "Camera", 0, 0);
    AddSpacer(10000, 10);
    NewWidget("", "Path", 0, 0);
    AddList("ls_pth", "", kListWidth, kListHeight);
    const int paths = static_cast<int>(PathCount());
    std::string items;
    for (int p = 0; p < paths; ++p) AppendItem(items, ("Path #"_s + p).View());
    AddItems("ls_pth", StrValue(items));
    const Number p = std::min(pathSel, static_cast<Number>(paths - 1));
    SetPropNum("ls_pthSELECT", p);

    AddSpacer(10000, 0);
    AddButton("bt_add_pth", "Add", 0, 0);
    AddButton("bt_del_pth", "Del", 0, 0);
    AddSpacer(10000, 0);
    NewWidget("", "Points", 0, 0);
    AddSpacer(10000, 0);
    AddList("ls_pts", "", kListWidth, kListHeight);
    Number pointShown = -1;
    if (p >= 0) {
        const int path = static_cast<int>(p);
        const int points = PointCount(path);
        std::string lines;
        for (int k = 0; k < points; ++k) {
            const StrValue line =
                PathPointLine(k, PathPoints(path, k, 0), PathPoints(path, k, 1), PathPoints(path, k, 2));
            AppendItem(lines, line.View());
        }
        AddItems("ls_pts", StrValue(lines));
        pointShown = std::min(pointSel, static_cast<Number>(points - 1));
    }
    SetPropNum("ls_ptsSELECT", pointShown);

    AddSpacer(10000, 0);
    AddButton("bt_add_pt", "Add", 0, 0);
    AddButton("bt_del_pt", "Del", 0, 0);
    AddButton("bt_pos_pt", "Pos", 0, 0);
    AddSpacer(10000, 10);
    AddButton("bt_ok", "OK", 0, 0);
    RestoreListViews(views);
}

// Handles the events after OK in their fixed order; true when the lists must be rebuilt.
bool HandlePathEvent(DimArray<Number>& scratch) {
    if (Clicked("bt_view")) PositionDialog(-1, scratch);
    // Read after this frame's clicks, so a click on a path works on that path.
    const Number found = SelectedRecord("ls_pth", PathCount());
    // A click that cleared the path selection must empty the point list too.
    if (found < 0) return Clicked("ls_pth");
    const int p = static_cast<int>(found);
    const int points = PointCount(p);
    const Number pointFound = SelectedRecord("ls_pts", points);
    if (Clicked("ls_pth")) {
        if (points > 0) {
            for (int c = 0; c < 3; ++c) {
                Number sum = 0;
                for (int k = 0; k < points; ++k) sum += PathPoints(p, k, c);
                ViewTarget(c) = sum / points;
            }
        }
        return true;
    }
    if (Clicked("ls_pts") && pointFound >= 0) {
        for (int c = 0; c < 3; ++c) ViewTarget(c) = PathPoints(p, pointFound, c);
    }
    if (Clicked("bt_del_pth")) {
        if (ConfirmDeletion("Path #"_s + p, PathUses(p), false)) DeletePath(p);
        return true;
    }
    if (Clicked("bt_add_pt")) {
        AddPathPoint(p);
        SetPropNum("ls_ptsSELECT", PointCount(p) - 1);
        return true;
    }
    if (pointFound < 0) return false;
    const int k = static_cast<int>(pointFound);
    if (Clicked("bt_del_pt")) {
        DeletePathPoint(p, k);
        return true;
    }
    if (Clicked("bt_pos_pt")) {
        scratch.Redim(4);
        for (int c = 0; c < 3; ++c) scratch(c) = PathPoints(p, k, c);
        if (PositionDialog(kPointMarkerModel, scratch) != 0) {
            for (int c = 0; c < 3; ++c) PathPoints(p, k, c) = scratch(c);
        }
        return true;
    }
    return false;
}

// One length per path, so that no path operation reads a length that is not there.
void MatchPathLengths() {
    if (PathLen.Extent(0) != PathCount()) PathLen.Redim(PathCount());
}

void DrawBlinkingPoint() {
    const Number p = SelectedRecord("ls_pth", PathCount());
    if (p < 0 || BlinkShown() == 0) return;
    const Number k = SelectedRecord("ls_pts", PointCount(static_cast<int>(p)));
    if (k < 0) return;
    DrawDot3D(PathPoints(p, k, 0), PathPoints(p, k, 1), PathPoints(p, k, 2), kBlinkDotSize, kBlinkDotColour);
}

}  // namespace

StrValue PathPointLine(Number k, Number x, Number y, Number z) {
    const Number code = 65 + k;
    const bool printable = code >= 32 && code <= 126 && code != '|';
    const StrValue letter = printable ? CharFromCode(code) : "#"_s + k;
    return letter + " " + FormatNumber(4, 1, x) + ", " + FormatNumber(4, 1, y) + ", " + FormatNumber(4, 1, z);
}

void AddPath() {
    MatchPathLengths();
    const int n = static_cast<int>(PathCount());
    const Number capacity = PathCapacity();
    PathLen.Redim(n + 1);
    PathPoints.Redim(n + 1, capacity, 3);
}

void DeletePath(Number path) {
    MatchPathLengths();
    const int last = static_cast<int>(PathCount()) - 1;
    if (!(path >= 0 && path <= last)) return;
    const int p = static_cast<int>(path);
    const Number capacity = PathCapacity();
    PathLen(p) = PathLen(last);
    for (int k = 0; k < capacity; ++k) {
        for (int c = 0; c < 3; ++c) PathPoints(p, k, c) = PathPoints(last, k, c);
    }
    // Objects and actors on the deleted path stand still; those on the moved one follow it.
    for (int o = 0; o < ObjectCount(); ++o) {
        if (ObjProps(o, 4) == p) ObjProps(o, 4) = -1;
        if (ObjProps(o, 4) == last) ObjProps(o, 4) = p;
    }
    for (int a = 0; a < ActorCount(); ++a) {
        if (ActorProps(a, 5) == p) ActorProps(a, 5) = -1;
        if (ActorProps(a, 5) == last) ActorProps(a, 5) = p;
    }
    PathLen.Redim(last);
    if (last > 0) {
        PathPoints.Redim(last, capacity, 3);
    } else {
        PathPoints.Redim(0);
    }
}

void AddPathPoint(Number path) {
    if (!(path >= 0 && path < PathCount() && path < PathLen.Extent(0))) return;
    const int p = static_cast<int>(path);
    const Number n = std::max<Number>(0, std::trunc(PathLen(p)));
    if (n + 2 > PathCapacity()) SetPathCapacity(n + 2);
    // A length beyond any capacity the level may have names no slot to write.
    if (!(n < PathCapacity())) return;
    PathPoints(p, n, 0) = PathPoints(p, 0, 0) + 1;
    PathPoints(p, n, 1) = PathPoints(p, 0, 1);
    PathPoints(p, n, 2) = PathPoints(p, 0, 2) + 1;
    PathLen(p) = n + 1;
}

void DeletePathPoint(Number path, Number point) {
    if (!(path >= 0 && path < PathCount() && path < PathLen.Extent(0))) return;
    const int p = static_cast<int>(path);
    const int capacity = static_cast<int>(PathCapacity());
    if (point >= 0 && point < capacity) {
        for (int k = static_cast<int>(point); k < capacity - 1; ++k) {
            for (int c = 0; c < 3; ++c) PathPoints(p, k, c) = PathPoints(p, k + 1, c);
        }
    }
    PathLen(p) = std::max<Number>(0, PathLen(p) - 1);
}

Number PathDialog() {
    DimArray<Number> scratch;
    scratch.Dim(4);
    DialogInit(0, 0, ScreenW / 3, ScreenH);
    BuildPathDialog();
    for (;;) {
        SetFont(kGuiFont);
        DialogShow(0);
        DrawDimmedLevelView();
        DrawBlinkingPoint();
        if (Clicked("bt_add_pth")) {
            AddPath();
            SetPropNum("ls_pthSELECT", PathCount() - 1);
            BuildPathDialog();
        } else if (Clicked("bt_ok")) {
            DialogClose();
            return 0;
        } else if (HandlePathEvent(scratch)) {
            BuildPathDialog();
        }
        FlipScreen();
        WaitForInput();
    }
}
