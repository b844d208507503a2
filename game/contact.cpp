// Contact: box and ray tests against placed objects, behind a bounding test.
//
// Dependencies: level/level, runtime/gfx3d.
#include "game/contact.h"

#include <algorithm>   // Required for: std::min, std::max
#include <cmath>       // Required for: std::hypot, std::sqrt

#include "level/level.h"           // Required for: ObjPos, ObjProps, ObjState
#include "runtime/gfx3d/engine.h"   // Required for: CollisionBox, CollisionRay, SetMovement
#include "runtime/gfx3d/model.h"    // Required for: MeshObject (frame triangles)

namespace {

// Slack for the float bounds.
constexpr Number kSlack = 1e-3;
constexpr int kSlots = 4096;

// The upright cylinder around a model's frame 0, remembered per slot for the triangle
// list it was measured on.
struct ModelBound {
    const MeshVertex* source = nullptr;
    size_t count = 0;
    float radius = 0, centre[3] = {0, 0, 0};
    Number reach = 0, low = 0, high = 0;
};

struct ContactState {
    std::vector<ModelBound> bounds = std::vector<ModelBound>(kSlots);
};
ContactState state;

// False when the slot has no frame 0 to test (the engine would answer 0).
bool BoundOf(Number model, ModelBound*& out) {
    if (!(model >= 0 && model < kSlots)) return false;
    const MeshObject* mesh = GetObjectModel(model);
    if (!mesh || mesh->frames.empty()) return false;
    const std::vector<MeshVertex>& tris = mesh->frames[0].triangles;
    if (tris.size() < 3) return false;
    ModelBound& b = state.bounds[static_cast<size_t>(model)];
    const MeshFrame& f = mesh->frames[0];
    // A slot loaded again may reuse the storage; its sphere tells most models apart.
    if (b.source != tris.data() || b.count != tris.size() || b.radius != f.radius || b.centre[0] != f.centre[0] ||
        b.centre[1] != f.centre[1] || b.centre[2] != f.centre[2]) {
        Number reach2 = 0, low = tris[0].position[1], high = low;
        for (const MeshVertex& v : tris) {
            const Number px = v.position[0], py = v.position[1], pz = v.position[2];
            reach2 = std::max(reach2, px * px + pz * pz);
            low = std::min(low, py);
            high = std::max(high, py);
        }
        b = {tris.data(), tris.size(), f.radius, {f.centre[0], f.centre[1], f.centre[2]},
             std::sqrt(reach2) + kSlack, low - kSlack, high + kSlack};
    }
    out = &b;
    return true;
}

void PlaceObject(const ContactObject& o) {
    SetMovement(o.x, o.y, o.z);
    AddRotation(o.angle, 0, 1, 0);
}

}  // namespace

void ForgetModelBounds() { state.bounds.assign(kSlots, ModelBound{}); }

int ObjectRows() {
    return static_cast<int>(std::min({ObjPos.Extent(0), ObjProps.Extent(0), ObjState.Extent(0)}));
}

ContactScene::ContactScene() {
    const int rows = ObjectRows();
    objects_.reserve(static_cast<size_t>(rows));
    for (int o = 0; o < rows; ++o) {
        ModelBound* b = nullptr;
        if (!BoundOf(ObjProps(o, 0), b)) continue;
        ContactObject c;
        c.index = o;
        c.model = ObjProps(o, 0);
        c.alpha = ObjProps(o, 2);
        c.behaviour = ObjProps(o, 3);
        c.path = ObjProps(o, 4);
        c.x = ObjPos(o, 0);
        c.y = ObjPos(o, 1);
        c.z = ObjPos(o, 2);
        c.angle = ObjPos(o, 3);
        c.reach = b->reach;
        c.low = c.y + b->low;
        c.high = c.y + b->high;
        objects_.push_back(c);
    }
}

Number BoxTouchesObject(const ContactObject& o, Number x, Number y, Number z) {
    const Number half = kActorBoxWidth / 2, halfHeight = kActorBoxHeight / 2;
    if (y + halfHeight < o.low || y - halfHeight > o.high) return 0;
    const Number reach = o.reach + half * std::sqrt(2.0);
    const Number dx = x - o.x, dz = z - o.z;
    if (dx * dx + dz * dz > reach * reach) return 0;
    PlaceObject(o);
    return CollisionBox(o.model, 0, x, y, z, kActorBoxWidth, kActorBoxHeight);
}

Number RayAgainstObject(const ContactObject& o, Number x, Number y, Number z, Number dx, Number dy, Number dz,
                        Number maxReach) {
    // The part of the ray between its start and maxReach that lies in the bound's slab.
    Number t0 = 0, t1 = maxReach;
    if (dy == 0) {
        if (y < o.low || y > o.high) return 0;
    } else {
        Number a = (o.low - y) / dy, b = (o.high - y) / dy;
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        if (t0 > t1) return 0;
    }
    // Its nearest approach to the upright axis, seen from above.
    const Number cx = o.x - x, cz = o.z - z;
    const Number flat2 = dx * dx + dz * dz;
    Number t = flat2 > 0 ? (cx * dx + cz * dz) / flat2 : t0;
    t = std::min(std::max(t, t0), t1);
    const Number px = cx - t * dx, pz = cz - t * dz;
    if (px * px + pz * pz > o.reach * o.reach) return 0;
    PlaceObject(o);
    return CollisionRay(o.model, 0, x, y, z, dx, dy, dz);
}
