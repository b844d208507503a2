// The main view under the mouse: a left click selects the object under the pointer in
// the "Objects in Level" list, the right button turns the view round ViewTarget, the
// wheel moves it nearer or farther, the middle button carries ViewTarget across the
// view. The same ViewTarget and ViewDistance the position dialog's camera changes.
//
// Dependencies: level/level, editor/view, gui (property table), runtime/gfx3d,
// runtime/gfx2d (font size), runtime/frame (input, viewport).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number

// Takes the frame's mouse for the main view (right of the panel). Called once per
// pass of the main loop, after the panel has had the mouse; a second call in the same
// frame does nothing.
void HandleViewInput();

// The object whose model the line of sight through the main view's pixel (x, y) meets
// first, or -1 when it meets none.
Number PickObjectAt(Number x, Number y);

// Selects object o in the "Objects in Level" list and scrolls the list to show it.
void SelectListedObject(Number o);

// Turns the view by a pointer motion with the right button down: half a degree per
// pixel across; down moves the camera away by 1 % per pixel, up nearer. Never nearer
// than 1.
void OrbitView(Number dx, Number dy);
// One wheel step away from the user brings the camera a fifth nearer (never nearer
// than 1); one step toward the user takes it a quarter farther.
void ZoomView(Number wheel);
// Carries ViewTarget across the view's plane so that the scene at the target's depth
// follows the pointer.
void PanView(Number dx, Number dy);
