// Engine: the 3D commands over the one process-wide OpenGLLumenor.
#include "runtime/gfx3d/engine.h"

#include <cmath>   // Required for: std::isfinite

#include "runtime/files/files.h"             // Required for: ResolveFile
#include "runtime/frame/frame.h"             // Required for: GetViewportRect, GetDisplaySize
#include "runtime/gfx3d/opengl_lumenor.h"    // Required for: OpenGLLumenor

namespace {

OpenGLLumenor& Engine() {
    static OpenGLLumenor engine;
    return engine;
}

// Colours are 0xBBGGRR numbers; only the low 24 bits count.
uint32_t ColourOf(Number colour) {
    const int32_t c = ToInt(colour);
    return c == INT32_MIN ? 0u : uint32_t(c) & 0xFFFFFFu;
}

// Slot and frame numbers: truncated; anything unrepresentable becomes -1.
int IndexOf(Number n) {
    const int32_t i = ToInt(n);
    return i == INT32_MIN ? -1 : i;
}

}  // namespace

Lumenor3D& Engine3D() { return Engine(); }

void LoadObject(const StrValue& file, Number slot) {
    const int s = IndexOf(slot);
    if (s < 0 || s >= kModelSlots) return;
    StrValue resolved;
    if (!ResolveFile(file, resolved)) return;
    Engine().LoadSlot(s, resolved.Std());
}

MeshObject* GetObjectModel(Number slot) { return Engine().Model(IndexOf(slot)); }

Number GetObjectFrames(Number slot) { return Engine().FrameCount(IndexOf(slot)); }

void Make3D(Number nearPlane, Number farPlane, Number fov) {
    const ViewportRect r = GetViewportRect();
    int dw = 0, dh = 0;
    GetDisplaySize(dw, dh);
    const int w = r.width > 0 && r.height > 0 ? r.width : dw;
    const int h = r.width > 0 && r.height > 0 ? r.height : dh;
    Engine().SetViewportRect(r.x, r.y, w, h, dh);
    Engine().Make3D(nearPlane, farPlane, fov);
}

void SetCamera(Number eyeX, Number eyeY, Number eyeZ, Number targetX, Number targetY, Number targetZ) {
    Engine().SetCamera(eyeX, eyeY, eyeZ, targetX, targetY, targetZ);
}

void Make2D() { Engine().Make2D(); }

void ClearDepth() { Engine().ClearDepth(); }

Number ScreenToWorld(Number x, Number y, Number depth, Number& worldX, Number& worldY, Number& worldZ) {
    double wx, wy, wz;
    if (!Engine().ScreenToWorld(x, y, depth, wx, wy, wz)) return 0;
    worldX = wx;
    worldY = wy;
    worldZ = wz;
    return 1;
}

void SetMovement(Number x, Number y, Number z) { Engine().SetMovement(x, y, z); }
void SetScaling(Number x, Number y, Number z) { Engine().SetScaling(x, y, z); }
void AddRotation(Number angle, Number x, Number y, Number z) { Engine().AddRotation(angle, x, y, z); }
Number PushTransform() { return Engine().PushTransform() ? 1 : 0; }
void PopTransform() { Engine().PopTransform(); }

void SetTexture(Number sprite, Number secondSprite) { Engine().SetTexture(IndexOf(sprite), IndexOf(secondSprite)); }

void DrawObject(Number slot, Number frame) { Engine().DrawObject(IndexOf(slot), frame); }

void DrawAnimation(Number slot, Number from, Number to, Number factor, Number loop) {
    Engine().DrawAnimation(IndexOf(slot), from, to, factor, loop != 0);
}

void SetCullMode(Number mode) { Engine().SetCullMode(mode > 0 ? 1 : mode < 0 ? -1 : 0); }

void SetLight(Number n, Number colour, Number x, Number y, Number z, Number dx, Number dy, Number dz,
              Number cutoff) {
    const int32_t light = ToInt(n);
    if (light == INT32_MIN) return;
    Engine().SetLight(light, ColourOf(colour), x, y, z, dx, dy, dz, std::isfinite(cutoff) ? cutoff : 0);
}

void DrawSprite3D(Number sprite, Number x, Number y, Number z, Number size) {
    Engine().DrawSprite3D(IndexOf(sprite), x, y, z, size);
}

void Print3D(const StrValue& text, Number x, Number y, Number z) { Engine().Print3D(text, x, y, z); }

void DrawLine3D(Number x1, Number y1, Number z1, Number x2, Number y2, Number z2, Number colour, Number width) {
    const double a[3] = {x1, y1, z1}, b[3] = {x2, y2, z2};
    Engine().DrawLine3D(a, b, ColourOf(colour), width);
}

void DrawDot3D(Number x, Number y, Number z, Number size, Number colour) {
    const double p[3] = {x, y, z};
    Engine().DrawDot3D(p, size, ColourOf(colour));
}

void DrawAxes(Number x, Number y, Number z) { Engine().DrawAxes(x, y, z); }

Number CollisionBox(Number slot, Number frame, Number x, Number y, Number z, Number width, Number height) {
    return Engine().CollisionBox(IndexOf(slot), IndexOf(frame), x, y, z, width, height);
}

Number CollisionRay(Number slot, Number frame, Number x, Number y, Number z, Number dx, Number dy, Number dz) {
    return Engine().CollisionRay(IndexOf(slot), IndexOf(frame), x, y, z, dx, dy, dz);
}

void SetDebugDrawing(Number on) { Engine().SetDebugDrawing(on != 0); }
Number GetDebugDrawing() { return Engine().DebugDrawing() ? 1 : 0; }
