// Engine: the 3D commands of the runtime, over the one process-wide engine.
//
// A 3D frame is built in a fixed order: Make3D, SetCamera, then for each thing to
// draw its transform (SetMovement, SetScaling, AddRotation) and a draw command, and
// at the end Make2D for overlays. The collision tests use the same transform, so a
// model is placed exactly as for drawing and then tested.
//
// Arguments are Numbers, truncated toward zero where integers are needed; colours
// are 0xBBGGRR. Slot numbers outside 0 .. 4095 are ignored. Without a graphics
// context (GraphicsAvailable() false) models still load and collisions work; the
// drawing commands only keep their state.
//
// Dependencies: lumenor3d (engine state), opengl_lumenor (drawing), runtime/files
// (name resolution), runtime/gfx2d (sprite textures, fonts), runtime/frame.
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

class Lumenor3D;
class MeshObject;

// The engine instance behind the commands.
Lumenor3D& Engine3D();

// ---- Models

// Resolves the file name and loads the model into the slot; an unresolvable name
// leaves the slot as it was. A failed load leaves the slot empty.
void LoadObject(const StrValue& file, Number slot);
// The model of a slot (never null for 0 .. 4095; empty when nothing is loaded), or
// null for a slot outside 0 .. 4095.
MeshObject* GetObjectModel(Number slot);
// Number of frames of the slot's model (0 for an empty or invalid slot).
Number GetObjectFrames(Number slot);

// ---- Projection and camera

// Perspective projection with a vertical field of view of fov degrees, or for fov <= 0
// an orthographic one of half height tan(-fov/2) × near × 100; resets the 3D state.
void Make3D(Number nearPlane, Number farPlane, Number fov);
// Looks from the eye to the target (y up); transform level 0 reset; culling off.
void SetCamera(Number eyeX, Number eyeY, Number eyeZ, Number targetX, Number targetY, Number targetZ);
// Back to 2D drawing in the current viewport.
void Make2D();
// Clears the depth buffer only.
void ClearDepth();
// Un-projects a window point (y from the top) at a depth 0..1 into world space.
// Returns 1 on success, 0 (outputs unchanged) when it cannot.
Number ScreenToWorld(Number x, Number y, Number depth, Number& worldX, Number& worldY, Number& worldZ);

// ---- Transform (applied to the next draw or collision test)

// Translation of the current level; clears its rotations.
void SetMovement(Number x, Number y, Number z);
// Scale of the current level; clears its rotations.
void SetScaling(Number x, Number y, Number z);
// Adds a rotation of angle degrees about the axis; the first added acts first on the
// model. A 17th rotation on one level is ignored.
void AddRotation(Number angle, Number x, Number y, Number z);
// Next level (fresh); refused (result 0) beyond 16 levels.
Number PushTransform();
// Previous level, never below level 0.
void PopTransform();

// ---- Drawing

// Binds a sprite's texture (and a second layer) for following draws; -1 = none.
void SetTexture(Number sprite, Number secondSprite);
// Draws one frame; nothing when the frame is not below the model's frame count.
void DrawObject(Number slot, Number frame);
// Draws a blend of two frames; with loop on, factor is the phase from `from` to `to`.
void DrawAnimation(Number slot, Number from, Number to, Number factor, Number loop);
// m > 0: cull, clockwise faces are front; m < 0: cull, counter-clockwise front; 0: none.
void SetCullMode(Number mode);
// OpenGL light n (mod 8) for n >= 0, cutoff 0 switching it off; the effect light for
// n < 0 (mode 1 for -1, mode 2 otherwise; enabled while cutoff is not 0).
void SetLight(Number n, Number colour, Number x, Number y, Number z, Number dx, Number dy, Number dz,
              Number cutoff);
// A sprite facing the viewer, centred at a 3D point; each picture pixel spans size / 2 units.
void DrawSprite3D(Number sprite, Number x, Number y, Number z, Number size);
// Text in the current font at the screen position of a 3D point.
void Print3D(const StrValue& text, Number x, Number y, Number z);
// Line; width limited to 1..512.
void DrawLine3D(Number x1, Number y1, Number z1, Number x2, Number y2, Number z2, Number colour, Number width);
// Point; size limited to 1..512.
void DrawDot3D(Number x, Number y, Number z, Number size, Number colour);
// Coordinate axes at a point (x red, y green, z blue).
void DrawAxes(Number x, Number y, Number z);

// ---- Collisions (on the current transform)

// 1 when the upright box of square base (width × height × width, centred at x, y, z)
// touches a triangle of the frame; 0 otherwise or when the frame does not exist.
Number CollisionBox(Number slot, Number frame, Number x, Number y, Number z, Number width, Number height);
// Parameter t of the nearest hit ahead of (x, y, z) along (dx, dy, dz); else the
// negative t of the nearest hit behind; else 0 (also when the frame does not exist).
Number CollisionRay(Number slot, Number frame, Number x, Number y, Number z, Number dx, Number dy, Number dz);

// The runtime's debug drawing flag: collision tests and lights draw their shapes.
void SetDebugDrawing(Number on);
Number GetDebugDrawing();
