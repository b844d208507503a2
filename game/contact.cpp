// Contact: box and ray tests against placed objects, behind a bounding test.
//
// Dependencies: editor/level, runtime/gfx3d.
#include "game/contact.h"

#include <algorithm>   // Required for: std::min
#include <cmath>       // Required for: std::hypot, std::sqrt

#include "editor/level.h"           // Required for: ObjPos, ObjProps, ObjState
#include "runtime/gfx3d/engine.h"   // Required for: CollisionBox, CollisionRay, SetMovement
#include "runtime/gfx3d/model.h"    // Required for: MeshObject (frame bounds)

namespace {

// The sphere that holds frame 0 of the object's model whatever its turn about y: centred
// on the object's axis at the height of the model's centre. False when the model has no
// frame 0 to test (the engine would answer 0).
struct Bound {
    Number x, y, z, radius;
};

bool ObjectBound(int o, Number model, Bound& out) {
    const MeshObject* mesh = GetObjectModel(model);
    if (!mesh || mesh->frames.empty() || mesh->frames[0].triangles.size() < 3) return false;
    const MeshFrame& f = mesh->frames[0];
    const Number ring = std::hypot(Number(f.centre[0]), Number(f.centre[2]));
    // Slack for the float bounds.
    out = {ObjPos(o, 0), ObjPos(o, 1) + f.centre[1], ObjPos(o, 2), ring + f.radius + 1e-3};
    return true;
}

bool ModelSlot(Number m) { return m >= 0 && m < 4096; }

void PlaceObject(int o) {
    SetMovement(ObjPos(o, 0), ObjPos(o, 1), ObjPos(o, 2));
    AddRotation(ObjPos(o, 3), 0, 1, 0);
}

}  // namespace

int ObjectRows() {
    return static_cast<int>(std::min({ObjPos.Extent(0), ObjProps.Extent(0), ObjState.Extent(0)}));
}

Number BoxTouchesObject(int o, Number x, Number y, Number z) {
    const Number model = ObjProps(o, 0);
    if (!ModelSlot(model)) return 0;
    Bound b;
    if (!ObjectBound(o, model, b)) return 0;
    const Number half = kActorBoxWidth / 2, halfHeight = kActorBoxHeight / 2;
    const Number boxRadius = std::sqrt(2 * half * half + halfHeight * halfHeight);
    const Number dx = x - b.x, dy = y - b.y, dz = z - b.z;
    const Number reach = b.radius + boxRadius;
    if (dx * dx + dy * dy + dz * dz > reach * reach) return 0;
    PlaceObject(o);
    return CollisionBox(model, 0, x, y, z, kActorBoxWidth, kActorBoxHeight);
}

Number RayAgainstObject(int o, Number x, Number y, Number z, Number dx, Number dy, Number dz, Number maxReach) {
    const Number model = ObjProps(o, 0);
    if (!ModelSlot(model)) return 0;
    Bound b;
    if (!ObjectBound(o, model, b)) return 0;
    // The nearest point of the segment from the start to maxReach along the unit ray.
    const Number cx = b.x - x, cy = b.y - y, cz = b.z - z;
    Number along = cx * dx + cy * dy + cz * dz;
    along = std::min(std::max<Number>(along, 0), maxReach);
    const Number px = cx - along * dx, py = cy - along * dy, pz = cz - along * dz;
    if (px * px + py * py + pz * pz > b.radius * b.radius) return 0;
    PlaceObject(o);
    return CollisionRay(model, 0, x, y, z, dx, dy, dz);
}
