// The contact tests' quick bounds against the engine's own box test.
#include <gtest/gtest.h>

#include "game/contact.h"
#include "runtime/frame/numbers.h"
#include "tests/game/game_support.h"

using namespace game_test;

namespace {

class ContactTest : public GameTest {};

TEST_F(ContactTest, BoundsAgreeWithTheEngineForTurnedOffCentreModels) {
    // A thin slab far from its model origin, turned three ways; and models that cannot be tested.
    SetBoxModel(kWallSlot, 3, 1, -1, 6, 1.5, 4);
    for (Number angle : {0.0, 37.0, 200.0}) AddObject(kWallSlot, -1, 0, 0, -1, 1, 0.5, -2, angle);
    AddObject(kWallSlot + 40, -1, 0, 0, -1, 0, 0, 0, 0);   // an empty slot
    AddObject(-3, -1, 0, 0, -1, 0, 0, 0, 0);              // no slot at all
    const ContactScene scene;
    ASSERT_EQ(scene.Objects().size(), 3u);
    // Only the box's corner reaches the unturned slab's far corner at (7, 2).
    EXPECT_EQ(BoxTouchesObject(scene.Objects()[0], 7.7, 1.75, 2.7), 1);
    // Against turned, off-centre models the bounds never change the engine's own box test.
    for (const ContactObject& o : scene.Objects()) {
        for (Number x = -8; x <= 9; x += 0.7) {
            for (Number z = -9; z <= 8; z += 0.7) {
                for (Number y : {-2.0, 0.0, 1.9, 4.5}) {
                    const Number box = BoxTouchesObject(o, x, y, z);
                    SetMovement(o.x, o.y, o.z);
                    AddRotation(o.angle, 0, 1, 0);
                    EXPECT_EQ(box, CollisionBox(o.model, 0, x, y, z, 1.5, 3.5)) << x << " " << y << " " << z;
                }
            }
        }
    }
}

}  // namespace
