// The contact tests' bounds never change an answer: against turned, off-centre models
// they agree with the engine's own box and ray tests everywhere.
#include <gtest/gtest.h>

#include "game/contact.h"
#include "runtime/frame/numbers.h"
#include "tests/game/game_support.h"

using namespace game_test;

namespace {

class ContactTest : public GameTest {};

Number EngineBox(int o, Number x, Number y, Number z) {
    SetMovement(ObjPos(o, 0), ObjPos(o, 1), ObjPos(o, 2));
    AddRotation(ObjPos(o, 3), 0, 1, 0);
    return CollisionBox(ObjProps(o, 0), 0, x, y, z, kActorBoxWidth, kActorBoxHeight);
}

Number EngineRay(int o, Number x, Number y, Number z, Number dx, Number dy, Number dz) {
    SetMovement(ObjPos(o, 0), ObjPos(o, 1), ObjPos(o, 2));
    AddRotation(ObjPos(o, 3), 0, 1, 0);
    return CollisionRay(ObjProps(o, 0), 0, x, y, z, dx, dy, dz);
}

TEST_F(ContactTest, BoundsAgreeWithTheEngineForTurnedOffCentreModels) {
    // A thin slab far from its model origin, turned three ways.
    SetBoxModel(kWallSlot, 3, 1, -1, 6, 1.5, 4);
    for (Number angle : {0.0, 37.0, 200.0}) AddObject(kWallSlot, -1, 0, 0, -1, 1, 0.5, -2, angle);
    const ContactScene scene;
    ASSERT_EQ(scene.Objects().size(), 3u);
    int boxHits = 0, rayHits = 0;
    for (const ContactObject& o : scene.Objects()) {
        for (Number x = -8; x <= 9; x += 0.7) {
            for (Number z = -9; z <= 8; z += 0.7) {
                for (Number y : {-2.0, 0.0, 1.9, 4.5}) {
                    const Number box = BoxTouchesObject(o, x, y, z);
                    EXPECT_EQ(box, EngineBox(o.index, x, y, z)) << x << " " << y << " " << z;
                    boxHits += box != 0;
                }
                for (Number yaw : {0.0, 100.0, 250.0}) {
                    for (Number pitch : {-40.0, 0.0, 30.0}) {
                        const Number dx = SinDeg(yaw) * CosDeg(pitch), dy = SinDeg(pitch),
                                     dz = CosDeg(yaw) * CosDeg(pitch);
                        const Number reach = 6;
                        const Number ours = RayAgainstObject(o, x, 1.5, z, dx, dy, dz, reach);
                        const Number engine = EngineRay(o.index, x, 1.5, z, dx, dy, dz);
                        // Only hits ahead within the reach count; the rest may be left out.
                        const bool engineHit = engine > 0 && engine < reach;
                        EXPECT_EQ(ours > 0 && ours < reach, engineHit) << x << " " << z << " " << yaw;
                        rayHits += engineHit;
                    }
                }
            }
        }
    }
    EXPECT_GT(boxHits, 50);
    EXPECT_GT(rayHits, 50);
}

TEST_F(ContactTest, ObjectsWithoutATestableModelAreLeftOut) {
    AddObject(kWallSlot + 40, -1, 0, 0, -1, 0, 0, 0, 0);   // an empty slot
    AddObject(-3, -1, 0, 0, -1, 0, 0, 0, 0);              // no slot at all
    AddGround();
    const ContactScene scene;
    ASSERT_EQ(scene.Objects().size(), 1u);
    EXPECT_EQ(scene.Objects()[0].index, 2);
}

}  // namespace
