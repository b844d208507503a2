// The main view under the mouse: picking, turning, zooming and panning.
//
// Dependencies: level/level, editor/view, gui, runtime/gfx3d, runtime/gfx2d, runtime/frame.
#include "editor/viewinput.h"

#include <algorithm>   // Required for: std::max
#include <cmath>       // Required for: std::sqrt, std::pow, std::tan

#include "editor/view.h"               // Required for: SetLevelViewCamera, kViewPerspective
#include "gui/proptable.h"             // Required for: SetPropNum
#include "gui/widgets.h"               // Required for: ScrollToSelection
#include "level/level.h"               // Required for: ViewTarget, ViewDistance, ObjPos, ObjProps
#include "runtime/frame/frame.h"       // Required for: SetViewport, FlipCount
#include "runtime/frame/input.h"       // Required for: MouseState, MouseAxis
#include "runtime/frame/numbers.h"     // Required for: SinDeg, CosDeg
#include "runtime/gfx3d/engine.h"      // Required for: ScreenToWorld, CollisionRay

namespace {

constexpr Number kOrbitDegreesPerPixel = 0.5;
constexpr Number kDistancePerPixel = 1.01;
constexpr Number kWheelNearer = 0.8;
constexpr Number kWheelFarther = 1.25;
constexpr Number kNearest = 1;
// The perspective view's vertical field of view and its eye height over the target.
constexpr Number kFovDegrees = 35;
constexpr Number kEyeHeight = 10;
constexpr double kPi = 3.14159265358979323846;

struct ViewMouse {
    Number lastFlip = -1;
    int buttons = 0;   // as last seen
    int drags = 0;     // buttons pressed inside the view and held since
    Number x = 0, y = 0;
};

ViewMouse viewMouse;

bool InMainView(Number x, Number y) { return x >= ScreenW / 3 && x < ScreenW && y >= 0 && y < ScreenH; }

void SetMainViewport() { SetViewport(ScreenW / 3, 0, 2 * ScreenW / 3 - 1, ScreenH); }

}  // namespace

Number PickObjectAt(Number x, Number y) {
    SetMainViewport();
    SetLevelViewCamera(kViewPerspective);
    Number nx = 0, ny = 0, nz = 0, fx = 0, fy = 0, fz = 0;
    const bool ok = ScreenToWorld(x, y, 0, nx, ny, nz) != 0 && ScreenToWorld(x, y, 1, fx, fy, fz) != 0;
    SetViewport(0, 0, 0, 0);
    if (!ok) return -1;
    Number dx = fx - nx, dy = fy - ny, dz = fz - nz;
    const Number length = std::sqrt(dx * dx + dy * dy + dz * dz);
    if (!(length > 0)) return -1;
    dx /= length;
    dy /= length;
    dz /= length;
    Number best = -1, nearest = 0;
    const int objects = static_cast<int>(ObjectCount());
    for (int o = 0; o < objects; ++o) {
        SetMovement(ObjPos(o, 0), ObjPos(o, 1), ObjPos(o, 2));
        AddRotation(ObjPos(o, 3), 0, 1, 0);
        const Number t = CollisionRay(ObjProps(o, 0), 0, nx, ny, nz, dx, dy, dz);
        if (t > 0 && (best < 0 || t < nearest)) {
            best = o;
            nearest = t;
        }
    }
    return best;
}

void SelectListedObject(Number o) {
    SetPropNum("ls_objSELECT", o);
    ScrollToSelection("ls_obj");
}

void OrbitView(Number dx, Number dy) {
    ViewTarget(3) += dx * kOrbitDegreesPerPixel;
    ViewDistance = std::max(kNearest, ViewDistance * std::pow(kDistancePerPixel, dy));
}

void ZoomView(Number wheel) {
    if (wheel > 0) ViewDistance *= kWheelNearer;
    if (wheel < 0) ViewDistance *= kWheelFarther;
    if (!(ViewDistance >= kNearest)) ViewDistance = kNearest;
}

void PanView(Number dx, Number dy) {
    const Number angle = ViewTarget(3), d = ViewDistance;
    // The line of sight from the eye to the target, and the view's right and up.
    const Number f[3] = {SinDeg(angle) * d, -kEyeHeight, -CosDeg(angle) * d};
    const Number reach = std::sqrt(d * d + kEyeHeight * kEyeHeight);
    Number right[3] = {-f[2], 0, f[0]};
    const Number rl = std::sqrt(right[0] * right[0] + right[2] * right[2]);
    if (!(rl > 0)) return;
    for (Number& c : right) c /= rl;
    const Number up[3] = {(right[1] * f[2] - right[2] * f[1]) / reach, (right[2] * f[0] - right[0] * f[2]) / reach,
                          (right[0] * f[1] - right[1] * f[0]) / reach};
    // The world size of one pixel at the target's depth.
    const Number perPixel = 2 * reach * std::tan(kFovDegrees / 2 * kPi / 180) / ScreenH;
    for (int k = 0; k < 3; ++k) ViewTarget(k) += (-right[k] * dx + up[k] * dy) * perPixel;
}

void HandleViewInput() {
    ViewMouse& m = viewMouse;
    if (FlipCount() == m.lastFlip) return;
    m.lastFlip = FlipCount();
    Number x = 0, y = 0, left = 0, right = 0;
    MouseState(x, y, left, right);
    const int buttons = (left != 0 ? 1 : 0) | (right != 0 ? 2 : 0) | (MouseAxis(5) != 0 ? 4 : 0);
    const int pressed = buttons & ~m.buttons;
    m.buttons = buttons;
    // A drag begun in the view goes on wherever the pointer goes; one begun on the
    // panel is the panel's. The way to where a button went down is no part of its drag.
    const int held = m.drags & buttons;
    const bool inView = InMainView(x, y);
    m.drags = held | (inView ? pressed : 0);
    if (inView && (pressed & 1)) {
        const Number o = PickObjectAt(x, y);
        if (o >= 0) SelectListedObject(o);
    }
    // From the pointer itself: the frame's motion may have been taken by the idle wait.
    const Number dx = x - m.x, dy = y - m.y;
    m.x = x;
    m.y = y;
    if (held & 2) OrbitView(dx, dy);
    if (held & 4) PanView(dx, dy);
    if (inView) ZoomView(MouseAxis(2));
}
