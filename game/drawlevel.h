// Level drawing: everything the level arrays describe, drawn into the current 3D view.
//
// Actors with their animations (blinking ones last, pulsing in opacity), placed
// objects (opaque first, then transparent), special items as sprites, blob shadows
// under actors, moving objects and items, and in edit mode the editing markers:
// object numbers, "PLY:" labels and the paths with their point letters. The game
// draws with edit mode 0 after setting its camera; the editor's views with 1.
// It changes no level data.
//
// Records that name a model, texture or animation that does not exist are drawn as
// far as possible (no texture, no animation) or skipped; they never index outside an
// array.
//
// Dependencies: level/level (the level arrays), game/path (path point counts),
// runtime/gfx3d (scene commands, CollisionRay), runtime/gfx2d (SetAlphaMode),
// runtime/frame (elapsed time).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// Fixed media of the level drawing.
constexpr int kShadowModel = 100;
constexpr int kShadowSprite = 100;
constexpr int kItemSpriteBase = 500;   // sprites 500 .. 503 for item kinds 0 .. 3

// Draws the level; edit mode 1 adds the editing markers. Returns 0.
Number DrawLevel(Number editMode);

// The height at which a shadow of a thing at (x, y, z) lies: a ray straight down from
// half a unit above it, against every object that is not Water and not object `skip`.
// When nothing lies below, the answer is y + 0.5 + 100.
Number ShadowHeight(Number x, Number y, Number z, Number skip);

// The same test, saying whether a surface was found (hit) and its height.
Number FindShadowHeight(Number x, Number y, Number z, Number skip, Number& height);

// The draw alpha of a blinking actor at the given elapsed milliseconds: -0.5 on the
// whole second, between -0.75 and -0.25, one pulse per second.
Number BlinkAlpha(Number elapsedMs);

// The scene commands the level drawing issues. The default forwards each to the 3D
// engine or the 2D layer; tests put a recorder in its place to see what is drawn and
// in which order without reading pixels.
class LevelPainter {
public:
    virtual ~LevelPainter() = default;
    virtual void SetLight(Number n, Number colour, Number x, Number y, Number z, Number dx, Number dy, Number dz,
                          Number cutoff);
    virtual void SetCullMode(Number mode);
    virtual void SetAlphaMode(Number alpha);
    virtual void SetTexture(Number sprite, Number secondSprite);
    virtual void SetMovement(Number x, Number y, Number z);
    virtual void AddRotation(Number angle, Number x, Number y, Number z);
    virtual void DrawAnimation(Number slot, Number from, Number to, Number factor, Number loop);
    virtual void DrawObject(Number slot, Number frame);
    virtual void DrawSprite3D(Number sprite, Number x, Number y, Number z, Number size);
    virtual void Print3D(const StrValue& text, Number x, Number y, Number z);
    virtual void DrawLine3D(Number x1, Number y1, Number z1, Number x2, Number y2, Number z2, Number colour,
                            Number width);
};

// Routes the level drawing through `painter` (not owned); null restores the engine.
void SetLevelPainter(LevelPainter* painter);
