// Level drawing: actors, objects, items, shadows and the editing markers.
//
// Dependencies: level/level, game/path, runtime/gfx3d (engine), runtime/gfx2d
// (draw2d), runtime/frame (frame, numbers).
#include "game/drawlevel.h"

#include <algorithm>   // Required for: std::min
#include <cmath>       // Required for: std::floor, std::hypot
#include <vector>      // Required for: std::vector

#include "level/level.h"              // Required for: the level arrays
#include "game/path.h"                 // Required for: PathPointCount
#include "runtime/frame/frame.h"       // Required for: GetElapsedTime
#include "runtime/frame/numbers.h"     // Required for: SinDeg, IntMod
#include "runtime/gfx2d/draw2d.h"      // Required for: SetAlphaMode
#include "runtime/gfx3d/engine.h"      // Required for: the scene commands, CollisionRay
#include "runtime/gfx3d/lumenor3d.h"   // Required for: the transform state (ray culling)
#include "runtime/gfx3d/model.h"       // Required for: frame bounds

namespace {

constexpr Number kBehaviourWater = 1;
constexpr Number kItemSpriteSize = 0.1;
constexpr Number kShadowAlpha = -0.7;
constexpr Number kPathLineWidth = 5;
// Shadows start this far above a thing, so the ground it stands on is found.
constexpr Number kShadowRayLift = 0.5;
constexpr Number kNoSurfaceLift = 100;
// A path of one point has no run from start to end; it shows the start colour.
constexpr Number kSinglePointColour = 255 * 256;   // green
// The effect light of the game: far up and to the side.
constexpr Number kWhite = 0xFFFFFF;

// An object that can receive shadows, with what the ray test needs to pass it by: the
// circle its frame-0 bounding sphere sweeps under any turn about y, and the sphere's
// lowest point. Skipping an object this way saves a walk over all its triangles.
struct ShadowCaster {
    int index;
    Number model, x, y, z, angle;
    Number reach2;   // squared radius of the swept circle; negative: never cull
    Number bottom;
};

struct DrawLevelState {
    LevelPainter engine;
    LevelPainter* painter = &engine;
    // The objects shadows fall on, gathered once per drawing and kept for its storage.
    std::vector<ShadowCaster> casters;
};
DrawLevelState state;

int Rows(const DimArray<Number>& a) { return static_cast<int>(a.Extent(0)); }

// Rows of two parallel arrays that both exist, so a broken invariant reads nothing past one.
int CommonRows(const DimArray<Number>& a, const DimArray<Number>& b) { return std::min(Rows(a), Rows(b)); }

bool IsModelSlot(Number m) { return m >= 0 && m < 4096; }

// A texture that names no sprite slot draws untextured rather than keeping the last one.
Number TextureOrNone(Number t) { return (t >= 0 && t < 4096) ? t : -1; }

// First and last frame of animation slot s of model m; 0, 0 for a pair ModelAnims lacks.
void AnimationRange(Number m, Number s, Number& first, Number& last) {
    first = 0;
    last = 0;
    if (!(m >= 0 && m < ModelAnims.Extent(0))) return;
    if (!(s >= 0 && s < ModelAnims.Extent(1))) return;
    first = ModelAnims(m, s, 0);
    last = ModelAnims(m, s, 1);
}

void DrawActor(LevelPainter& p, int a) {
    const Number model = ActorProps(a, 0);
    p.SetTexture(TextureOrNone(ActorProps(a, 1)), -1);
    p.SetMovement(ActorPos(a, 0), ActorPos(a, 1), ActorPos(a, 2));
    p.AddRotation(ActorPos(a, 4), 0, 0, 1);
    p.AddRotation(ActorPos(a, 3), 0, 1, 0);
    Number first, last;
    AnimationRange(model, ActorProps(a, 2), first, last);
    p.DrawAnimation(model, first, last, ActorProps(a, 3), 1);
}

void DrawActors(LevelPainter& p) {
    const int rows = CommonRows(ActorProps, ActorPos);
    for (int a = 0; a < rows; ++a) {
        if (ActorProps(a, 6) == 1 || !IsModelSlot(ActorProps(a, 0))) continue;
        DrawActor(p, a);
        p.SetAlphaMode(0);
    }
    // Blinking (protected) actors come last so that what lies behind them shows through.
    for (int a = 0; a < rows; ++a) {
        if (ActorProps(a, 6) != 1 || !IsModelSlot(ActorProps(a, 0))) continue;
        p.SetAlphaMode(BlinkAlpha(GetElapsedTime()));
        DrawActor(p, a);
        p.SetAlphaMode(0);
    }
}

void DrawObjects(LevelPainter& p, bool editMode) {
    const int rows = CommonRows(ObjPos, ObjProps);
    // Transparent objects after every opaque one, whatever their numbers.
    for (int pass = 0; pass < 2; ++pass) {
        for (int o = 0; o < rows; ++o) {
            const Number alpha = ObjProps(o, 2);
            const bool opaque = alpha == 0;
            if (opaque != (pass == 0)) continue;
            const Number model = ObjProps(o, 0);
            if (!IsModelSlot(model)) continue;
            if (!opaque) p.SetAlphaMode(alpha);
            p.SetTexture(TextureOrNone(ObjProps(o, 1)), -1);
            p.SetMovement(ObjPos(o, 0), ObjPos(o, 1), ObjPos(o, 2));
            p.AddRotation(ObjPos(o, 3), 0, 1, 0);
            p.DrawObject(model, 0);
            if (editMode) p.Print3D(StrValue(Number(o)), ObjPos(o, 0), ObjPos(o, 1), ObjPos(o, 2));
        }
    }
    // The items after them are not meant to take the last object's transparency.
    p.SetAlphaMode(0);
}

Number ItemSprite(Number kind) { return kind < 100 ? kItemSpriteBase + std::floor(kind) : kind; }

void DrawItems(LevelPainter& p) {
    for (int s = 0; s < Rows(SpecialItems); ++s) {
        const Number kind = SpecialItems(s, 3);
        // Used items are kind -1; no sprite has a negative number either.
        if (!(kind >= 0)) continue;
        p.DrawSprite3D(ItemSprite(kind), SpecialItems(s, 0), SpecialItems(s, 1), SpecialItems(s, 2), kItemSpriteSize);
    }
}

// The bounds hold for the plain placement of the level (one transform level, no
// scaling); debug drawing wants to see every ray.
bool CanCullRays() {
    const Lumenor3D& engine = Engine3D();
    const TransformLevel& level = engine.Level(0);
    return engine.CurrentLevel() == 0 && !engine.DebugDrawing() && level.scale[0] == 1 && level.scale[1] == 1 &&
           level.scale[2] == 1;
}

void CollectShadowCasters(std::vector<ShadowCaster>& out) {
    out.clear();
    const bool cull = CanCullRays();
    const int rows = CommonRows(ObjPos, ObjProps);
    for (int o = 0; o < rows; ++o) {
        // Water lets shadows fall through onto what lies below it.
        if (ObjProps(o, 3) == kBehaviourWater) continue;
        const Number model = ObjProps(o, 0);
        if (!IsModelSlot(model)) continue;
        const MeshObject* mesh = GetObjectModel(model);
        if (!mesh || mesh->frames.empty() || mesh->frames[0].triangles.size() < 3) continue;
        ShadowCaster c{o, model, ObjPos(o, 0), ObjPos(o, 1), ObjPos(o, 2), ObjPos(o, 3), -1, 0};
        if (cull) {
            const MeshFrame& f = mesh->frames[0];
            // A little slack for the float bounds.
            const Number reach = std::hypot(Number(f.centre[0]), Number(f.centre[2])) + f.radius + 1e-3;
            c.reach2 = reach * reach;
            c.bottom = c.y + f.centre[1] - f.radius - 1e-3;
        }
        out.push_back(c);
    }
}

Number CastShadowRay(const std::vector<ShadowCaster>& casters, Number x, Number y, Number z, Number skip,
                     Number& height) {
    const Number startY = y + kShadowRayLift;
    Number nearest = 0;
    for (const ShadowCaster& c : casters) {
        if (c.index == skip) continue;
        if (c.reach2 >= 0) {
            const Number dx = x - c.x, dz = z - c.z;
            if (dx * dx + dz * dz > c.reach2 || c.bottom > startY) continue;
        }
        ::SetMovement(c.x, c.y, c.z);
        ::AddRotation(c.angle, 0, 1, 0);
        const Number t = ::CollisionRay(c.model, 0, x, startY, z, 0, -1, 0);
        if (t > 0 && (nearest == 0 || t < nearest)) nearest = t;
    }
    if (nearest > 0) {
        height = startY - nearest;
        return 1;
    }
    height = startY + kNoSurfaceLift;
    return 0;
}

void DrawShadow(LevelPainter& p, Number x, Number y, Number z, Number skip) {
    Number height = 0;
    // Nothing below: no shadow hanging in the air.
    if (!CastShadowRay(state.casters, x, y, z, skip, height)) return;
    p.SetMovement(x, height, z);
    p.DrawObject(kShadowModel, 0);
}

void DrawShadows(LevelPainter& p) {
    CollectShadowCasters(state.casters);
    p.SetLight(-2, 0, 0, 0, 0, 0, 0, 0, 0);
    p.SetTexture(kShadowSprite, -1);
    p.SetAlphaMode(kShadowAlpha);
    for (int a = 0; a < Rows(ActorPos); ++a) DrawShadow(p, ActorPos(a, 0), ActorPos(a, 1), ActorPos(a, 2), -1);
    const int objects = CommonRows(ObjPos, ObjProps);
    for (int o = 0; o < objects; ++o) {
        if (ObjProps(o, 4) >= 0) DrawShadow(p, ObjPos(o, 0), ObjPos(o, 1), ObjPos(o, 2), o);
    }
    for (int s = 0; s < Rows(SpecialItems); ++s) {
        if (SpecialItems(s, 3) >= 0) DrawShadow(p, SpecialItems(s, 0), SpecialItems(s, 1), SpecialItems(s, 2), -1);
    }
    p.SetAlphaMode(0);
}

// From green at the first point through yellow to red at the last; each channel is
// whole so that a fraction never spills into the next colour byte.
Number PathPointColour(int i, int n) {
    if (n < 2) return kSinglePointColour;
    const Number f = 511.0 * i / (n - 1);
    const Number red = std::floor(std::min<Number>(255, f));
    const Number green = std::floor(std::min<Number>(255, 511 - f));
    return red + 256 * green;
}

void DrawPaths(LevelPainter& p) {
    for (int path = 0; path < Rows(PathLen); ++path) {
        const int n = static_cast<int>(PathPointCount(path));
        for (int i = 0; i < n; ++i) {
            const int j = (i + 1) % n;
            const Number x1 = PathPoints(path, i, 0), y1 = PathPoints(path, i, 1), z1 = PathPoints(path, i, 2);
            const Number x2 = PathPoints(path, j, 0), y2 = PathPoints(path, j, 1), z2 = PathPoints(path, j, 2);
            p.DrawLine3D(x1, y1, z1, x2, y2, z2, PathPointColour(i, n), kPathLineWidth);
            p.Print3D(CharFromCode(65 + i), x1, y1, z1);
            p.Print3D("PTH:"_s + path, (x1 + x2) / 2, (y1 + y2) / 2, (z1 + z2) / 2);
        }
    }
}

void DrawEditMarkers(LevelPainter& p) {
    p.SetLight(-1, 0, 0, 0, 0, 0, 0, 0, 0);
    p.SetLight(-2, 0, 0, 0, 0, 0, 0, 0, 0);
    for (int a = 0; a < Rows(ActorPos); ++a) p.Print3D("PLY:"_s + a, ActorPos(a, 0), ActorPos(a, 1), ActorPos(a, 2));
    p.SetCullMode(1);
    DrawPaths(p);
}

}  // namespace

Number BlinkAlpha(Number elapsedMs) { return (SinDeg(IntMod(elapsedMs, 1000) / 1000 * 360) + 2) * -0.25; }

Number FindShadowHeight(Number x, Number y, Number z, Number skip, Number& height) {
    std::vector<ShadowCaster> casters;
    CollectShadowCasters(casters);
    return CastShadowRay(casters, x, y, z, skip, height);
}

Number ShadowHeight(Number x, Number y, Number z, Number skip) {
    Number height = 0;
    FindShadowHeight(x, y, z, skip, height);
    return height;
}

Number DrawLevel(Number editMode) {
    LevelPainter& p = *state.painter;
    const bool editing = editMode == 1;
    if (editMode == 0) p.SetLight(-2, kWhite, -1000, 1000, -1000, 0, 0, 0, 180);
    p.SetCullMode(1);
    DrawActors(p);
    DrawObjects(p, editing);
    DrawItems(p);
    DrawShadows(p);
    if (editing) DrawEditMarkers(p);
    return 0;
}

void SetLevelPainter(LevelPainter* painter) { state.painter = painter ? painter : &state.engine; }

// ---- The engine painter

void LevelPainter::SetLight(Number n, Number colour, Number x, Number y, Number z, Number dx, Number dy, Number dz,
                            Number cutoff) {
    ::SetLight(n, colour, x, y, z, dx, dy, dz, cutoff);
}
void LevelPainter::SetCullMode(Number mode) { ::SetCullMode(mode); }
void LevelPainter::SetAlphaMode(Number alpha) { ::SetAlphaMode(alpha); }
void LevelPainter::SetTexture(Number sprite, Number secondSprite) { ::SetTexture(sprite, secondSprite); }
void LevelPainter::SetMovement(Number x, Number y, Number z) { ::SetMovement(x, y, z); }
void LevelPainter::AddRotation(Number angle, Number x, Number y, Number z) { ::AddRotation(angle, x, y, z); }
void LevelPainter::DrawAnimation(Number slot, Number from, Number to, Number factor, Number loop) {
    ::DrawAnimation(slot, from, to, factor, loop);
}
void LevelPainter::DrawObject(Number slot, Number frame) { ::DrawObject(slot, frame); }
void LevelPainter::DrawSprite3D(Number sprite, Number x, Number y, Number z, Number size) {
    ::DrawSprite3D(sprite, x, y, z, size);
}
void LevelPainter::Print3D(const StrValue& text, Number x, Number y, Number z) { ::Print3D(text, x, y, z); }
void LevelPainter::DrawLine3D(Number x1, Number y1, Number z1, Number x2, Number y2, Number z2, Number colour,
                              Number width) {
    ::DrawLine3D(x1, y1, z1, x2, y2, z2, colour, width);
}
