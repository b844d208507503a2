// Editor 3D view: the four cameras, the position dialog and the position marker.
//
// Dependencies: level/level, game/path, game/drawlevel, gui, runtime/gfx3d,
// runtime/gfx2d, runtime/frame.
#include "editor/view.h"

#include <algorithm>   // Required for: std::clamp
#include <cmath>       // Required for: std::trunc

#include "level/level.h"              // Required for: ViewTarget, ViewDistance, PreviewTime, ScreenW, ScreenH
#include "game/drawlevel.h"            // Required for: DrawLevel
#include "game/path.h"                 // Required for: MoveObjectsOnPaths
#include "gui/dialog.h"                // Required for: DialogInit, DialogShow, DialogClose
#include "gui/proptable.h"             // Required for: GetPropNum, SetProp
#include "gui/widgets.h"               // Required for: AddButton, AddSlider, NewWidget
#include "runtime/frame/frame.h"       // Required for: FlipScreen, SetViewport, GetFrameTime, GetElapsedTime
#include "runtime/frame/input.h"       // Required for: MouseState, MouseAxis, KeyState
#include "runtime/frame/numbers.h"     // Required for: SinDeg, CosDeg, IntMod
#include "runtime/gfx2d/draw2d.h"      // Required for: SetFont, DrawLine, SetAlphaMode
#include "runtime/gfx2d/sprites.h"     // Required for: DrawSprite
#include "runtime/gfx3d/engine.h"      // Required for: the scene commands, ScreenToWorld

namespace {

constexpr Number kNearPlane = 1;
constexpr Number kFarPlane = 1000;
constexpr Number kPerspectiveFov = 35;
// Eyes of the orthographic views stand this far from the target.
constexpr Number kOrthoEyeDistance = 10;
constexpr Number kTurnStep = 15;
constexpr Number kPreviewSeconds = 50;
constexpr Number kTopBarHeight = 23;
constexpr Number kViewsTopY = 32;   // the views start below the top bar
constexpr int kMarkerRed = 255;
constexpr Number kMarkerDotSize = 32;

struct Rect {
    Number x, y, w, h;
};

// The screen rectangle of view mode m in the position dialog.
Rect ViewRect(int m) {
    const Number w = ScreenW / 2, h = ScreenH / 2 - 16;
    const Number lower = ScreenH / 2 + 32;
    switch (m) {
        case kViewFront: return {0, kViewsTopY, w, h};
        case kViewSide: return {ScreenW / 2, kViewsTopY, w, h};
        case kViewTop: return {0, lower, w, h};
        default: return {ScreenW / 2, lower, w, h};
    }
}

// Whether a press at (x, y) places the position in view mode m. The upper views take
// clicks down to the separator line, 16 pixels below where they are drawn.
bool InClickArea(int m, Number x, Number y) {
    const Number midX = ScreenW / 2, split = ScreenH / 2 + 32;
    switch (m) {
        case kViewFront: return x < midX && y > kViewsTopY && y < split;
        case kViewSide: return x > midX && y > kViewsTopY && y < split;
        case kViewTop: return x < midX && y > split;
        default: return false;
    }
}

Number Value(const DimArray<Number>& a, int k) { return k < a.Extent(0) ? a(k) : 0; }

// Camera drag with the right button: each quadrant moves the target in its view's plane,
// the perspective quadrant turns and zooms.
void DragCamera(Number mx, Number my, Number s) {
    const Number dx = MouseAxis(0), dy = MouseAxis(1);
    const bool left = mx < ScreenW / 2, upper = my < ScreenH / 2;
    if (upper && left) {
        ViewTarget(0) -= dx * s;
        ViewTarget(1) += dy * s;
    } else if (upper) {
        ViewTarget(2) -= dx * s;
        ViewTarget(1) += dy * s;
    } else if (left) {
        ViewTarget(0) -= dx * s;
        ViewTarget(2) -= dy * s;
    } else {
        ViewTarget(3) += dx * s;
        ViewDistance += dy * s;
    }
}

// One press of an arrow key turns by one step, however long it is held. Both arrows
// held cancel out, and nothing turns until both are up.
void TurnMarker(DimArray<Number>& p) {
    p(3) += kTurnStep * (KeyState(kKeyRight) - KeyState(kKeyLeft));
    while (KeyState(kKeyRight) != 0 || KeyState(kKeyLeft) != 0) PollInputFrame();
}

// Replaces the two coordinates a view shows with the world point under the pointer.
void PlaceFromView(int m, Number mx, Number my, DimArray<Number>& p) {
    Number x = 0, y = 0, z = 0;
    if (!ScreenToWorld(mx, my, 0, x, y, z)) return;
    if (m == kViewFront) {
        p(0) = x;
        p(1) = y;
    } else if (m == kViewSide) {
        p(1) = y;
        p(2) = z;
    } else {
        p(0) = x;
        p(2) = z;
    }
}

StrValue PositionText(const DimArray<Number>& p) {
    return "X:"_s + NumberToText(p(0)) + " Y:" + NumberToText(p(1)) + " Z:" + NumberToText(p(2));
}

void BuildTopBar() {
    SetFont(1);
    DialogInit(0, 0, ScreenW, kTopBarHeight);
    AddButton("bt_ok", "OK", 0, 0);
    AddButton("bt_cancel", "Cancel", 0, 0);
    AddSlider("sl_time", 200, 0);
    // The slider starts at the preview time in use, so opening the dialog keeps it.
    SetProp("sl_timeTEXT", NumberToText(std::clamp<Number>(PreviewTime / kPreviewSeconds, 0, 1)));
    // Wide enough for three coordinates of several digits on one line.
    NewWidget("tx_text", "positions of the mouse", 300, 0);
    DialogRefresh(0, 0, 0, 0);
}

}  // namespace

Number SetLevelViewCamera(Number mode) {
    const Number tx = ViewTarget(0), ty = ViewTarget(1), tz = ViewTarget(2), angle = ViewTarget(3);
    const Number d = ViewDistance;
    Number ex = tx, ey = ty, ez = tz;
    Number fov = -(d + 0.01);
    if (mode == kViewFront) {
        ez = tz + kOrthoEyeDistance;
    } else if (mode == kViewSide) {
        ex = tx - kOrthoEyeDistance;
    } else if (mode == kViewTop) {
        ey = ty + kOrthoEyeDistance;
        // Straight down would leave the up direction undefined.
        ez = tz + 0.0001;
    } else {
        ex = tx - SinDeg(angle) * d;
        ey = ty + 10;
        ez = tz + CosDeg(angle) * d;
        fov = kPerspectiveFov;
    }
    Make3D(kNearPlane, kFarPlane, fov);
    SetCamera(ex, ey, ez, tx, ty, tz);
    return 0;
}

Number DrawLevelView(Number mode) {
    SetLevelViewCamera(mode);
    const Number tx = ViewTarget(0), ty = ViewTarget(1), tz = ViewTarget(2);
    DrawAxes(tx, ty, tz);
    DrawAxes(0, 0, 0);
    MoveObjectsOnPaths(PreviewTime);
    DrawLevel(1);
    return 0;
}

Number DrawPositionMarker(Number model, const DimArray<Number>& position) {
    const Number x = Value(position, 0), y = Value(position, 1), z = Value(position, 2);
    if (model >= 0 && IntMod(GetElapsedTime(), 500) < 250) {
        SetCullMode(1);
        SetTexture(-1, -1);
        SetScaling(1, 1, 1);
        SetMovement(x, y, z);
        AddRotation(Value(position, 3), 0, 1, 0);
        SetAlphaMode(0);
        DrawObject(model, 0);
    } else {
        DrawDot3D(x, y, z, kMarkerDotSize, kMarkerRed);
    }
    return 0;
}

Number PositionDialog(Number model, DimArray<Number>& p) {
    p.Redim(4);
    BuildTopBar();
    Number frameTime = 0;
    for (;;) {
        SetFont(1);
        DialogShow(1);

        Number mx = 0, my = 0, leftButton = 0, rightButton = 0;
        MouseState(mx, my, leftButton, rightButton);
        const Number s = frameTime / 4000 * ViewDistance;
        if (rightButton != 0) DragCamera(mx, my, s);

        TurnMarker(p);

        ViewDistance += (KeyState(kKeyUp) - KeyState(kKeyDown) - MouseAxis(2)) * frameTime / 10;
        if (!(ViewDistance >= 1)) ViewDistance = 1;

        SetFont(0);
        for (int m = kViewFront; m <= kViewPerspective; ++m) {
            const Rect r = ViewRect(m);
            SetViewport(r.x, r.y, r.w, r.h);
            DrawLevelView(m);
            DrawPositionMarker(model, p);
            if (leftButton != 0 && InClickArea(m, mx, my)) PlaceFromView(m, mx, my, p);
        }
        Make2D();
        // Closing measures the caller's dialog again, in the font current then.
        SetFont(1);

        for (int k = 0; k < 4; ++k) p(k) = std::trunc(2 * p(k)) / 2;
        SetProp("tx_textTEXT", PositionText(p));

        if (GetPropNum("bt_okCLICKED") != 0) {
            DialogClose();
            return 1;
        }
        if (GetPropNum("bt_cancelCLICKED") != 0) {
            DialogClose();
            return 0;
        }
        PreviewTime = kPreviewSeconds * GetPropNum("sl_timeTEXT");

        SetViewport(0, 0, 0, 0);
        DrawLine(0, ScreenH / 2 + 32, ScreenW, ScreenH / 2 + 32, 0);
        DrawLine(ScreenW / 2, kViewsTopY, ScreenW / 2, ScreenH, 0);
        DrawSprite(kMouseHelpSprite, 0, kViewsTopY);

        frameTime = GetFrameTime();
        FlipScreen();
    }
}
