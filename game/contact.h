// Contact: box and ray tests of the game against the level's placed objects.
//
// Each object is placed as for drawing (its position, turned by its angle about the
// y axis) and frame 0 of its model is tested through the engine's CollisionBox and
// CollisionRay. A ContactScene takes the objects as they stand at one moment, with a
// bound of each model that holds under any turn about y (an upright cylinder), so a
// test far from an object never places it; the answers are those of the engine alone.
// Take a fresh scene after objects move.
//
// Dependencies: level/level (the object arrays), runtime/gfx3d (engine, models).
#pragma once

#include <vector>   // Required for: std::vector

#include "runtime/frame/strvalue.h"   // Required for: Number

// The actor's collision box: an upright box of square base around the actor's feet.
constexpr Number kActorBoxWidth = 1.5;
constexpr Number kActorBoxHeight = 3.5;

// One placed object whose model has a frame 0 to test.
struct ContactObject {
    int index = 0;
    Number model = 0, alpha = 0, behaviour = 0, path = -1;
    Number x = 0, y = 0, z = 0, angle = 0;
    // The bound: every point of the turned model lies within `reach` of the upright
    // axis through (x, z), between heights low and high.
    Number reach = 0, low = 0, high = 0;
};

class ContactScene {
public:
    // The level's objects as they stand now, in index order.
    ContactScene();
    const std::vector<ContactObject>& Objects() const { return objects_; }

private:
    std::vector<ContactObject> objects_;
};

// The bounds are measured once per model and kept; call this when models may have
// been loaded again (every run starts with it).
void ForgetModelBounds();

// Rows of the object arrays that all exist (a broken invariant never reads past one).
int ObjectRows();

// 1 when frame 0 of the object's model touches the actor box centred at (x, y, z).
Number BoxTouchesObject(const ContactObject& o, Number x, Number y, Number z);

// The engine's answer for a ray from (x, y, z) along the unit vector (dx, dy, dz)
// against the object; a ray that cannot meet it within maxReach answers 0.
Number RayAgainstObject(const ContactObject& o, Number x, Number y, Number z, Number dx, Number dy, Number dz,
                        Number maxReach);
