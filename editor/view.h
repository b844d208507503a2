// Editor 3D view: the level seen through one of four cameras around ViewTarget, the
// four-view position dialog in which things are placed by clicking, and the marker of
// the thing being placed.
//
// The view state (ViewTarget, ViewDistance, PreviewTime, ScreenW, ScreenH) lives with
// the level arrays in level/level.h. Path-driven objects are shown at PreviewTime.
//
// Dependencies: level/level, game/path, game/drawlevel, gui (dialog, widgets),
// runtime/gfx3d (engine), runtime/gfx2d (drawing, sprites), runtime/frame (frame, input).
#pragma once

#include "runtime/frame/dimarray.h"   // Required for: DimArray
#include "runtime/frame/strvalue.h"   // Required for: Number

// View modes of DrawLevelView.
constexpr int kViewFront = 0;
constexpr int kViewSide = 1;
constexpr int kViewTop = 2;
constexpr int kViewPerspective = 3;

// Sprite of the mouse help picture drawn over the front view.
constexpr int kMouseHelpSprite = 102;

// Sets the projection and the camera of the view mode (as DrawLevelView below) for the
// current viewport, drawing nothing. Returns 0.
Number SetLevelViewCamera(Number mode);

// Sets the camera for the view mode (0 front, 1 side, 2 top, 3 perspective; any other
// value is the perspective), places path-driven objects at PreviewTime and draws the
// level with its editing markers into the current viewport. Returns 0.
Number DrawLevelView(Number mode);

// The modal four-view dialog. model is the model drawn as the marker, -1 for none
// (camera only). position holds x, y, z and the angle in degrees; it is resized to four
// values and changed in place while the dialog runs, snapped to multiples of 0.5,
// whichever button closes it. Returns 1 for OK and 0 for Cancel; the camera and the
// preview time keep their changes either way.
Number PositionDialog(Number model, DimArray<Number>& position);

// Draws the thing being placed: the model blinking with a red dot four times a second,
// or only the red dot when model is -1. Returns 0.
Number DrawPositionMarker(Number model, const DimArray<Number>& position);
