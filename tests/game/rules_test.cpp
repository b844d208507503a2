// Damage, lives, protection, items and shots on small levels built in the test.
#include <gtest/gtest.h>

#include "game/rules.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "tests/game/game_support.h"

using namespace game_test;

namespace {

class RulesTest : public GameTest {
protected:
    void Wait(double ms) { platform().AdvanceClock(ms); }
};

TEST_F(RulesTest, ToxicGroundCostsALifeEvenWhenProtectedAndWithAnEnemyTouching) {
    AddGround();
    SetBoxModel(kToxicSlot, -1, 0, -1, 1, 0.2, 1);
    AddObject(kToxicSlot, -1, 0, kBehaviourToxic, -1, 0, 0, 0, 0);
    AddActor(0, 0.1, 0);
    AddActor(0.5, 0.1, 0.5, kBehaviourEnemy);
    GameRun run = Run();
    run.checkpoint = {5, 1, 5};
    ActorState(0, 0) = 2;
    ASSERT_TRUE(IsProtected(run));
    EXPECT_EQ(ContactDamage(0), kToxicDamage);
    ApplyContactDamage(run);
    EXPECT_EQ(run.lives, 2);
    EXPECT_EQ(run.energy, 100);
    EXPECT_EQ(Pos(), (P3{5, 1, 5})) << "back at the checkpoint";
    EXPECT_EQ(ActorState(0, 0), 2) << "the velocity is kept";
    EXPECT_TRUE(IsProtected(run)) << "the new life starts protected";
}

TEST_F(RulesTest, AFreshRunIsProtectedForFourSecondsAgainstEnemies) {
    AddActor(0, 0, 0);
    AddActor(0.5, 0, 0.5, kBehaviourEnemy);
    GameRun run = Run();
    EXPECT_EQ(ContactDamage(0), kEnemyDamage);
    // Waits and the energy after each: the hit at 4001 ms protects again for 4 s.
    for (const auto& [wait, energy] : {std::pair{0, 100}, {3999, 100}, {2, 90}, {1000, 90}}) {
        Wait(wait);
        ApplyContactDamage(run);
        EXPECT_EQ(run.energy, energy) << wait;
    }
    // An enemy farther than 2 units from the player's centre does nothing.
    ActorPos(1, 1) = 4;
    EXPECT_EQ(ContactDamage(0), 0);
}

TEST_F(RulesTest, LosingALifeWithNoneLeftEndsTheRun) {
    AddActor(0, 0, 0);
    AddActor(0, 0, 0.5, kBehaviourEnemy);
    GameRun run = Run();
    run.lives = 0;
    run.energy = 5;
    run.invulnerableUntil = 0;
    ApplyContactDamage(run);
    EXPECT_EQ(run.lives, -1);
    EXPECT_TRUE(run.ended);
}

TEST_F(RulesTest, ItemsTakeEffectAndAreUsedUp) {
    AddActor(0, 0, 0);
    AddWeapon(1, 0.5, 0.5);
    GameRun run = Run();
    // Each item is put on the player and taken, then moved out of the way.
    auto take = [&](double kind, double value, double z = 0) {
        const int item = AddItem(0, 0, z, kind, value);
        TakeTouchedItem(run);
        const Number left = SpecialItems(item, 3);
        SpecialItems(item, 0) = 100;
        return left;
    };
    // Energy cannot pass 100, extra lives are not limited.
    run.energy = 95;
    EXPECT_EQ(take(kItemEnergy, 50), kItemUsed);
    EXPECT_EQ(run.energy, 100);
    take(kItemExtraLife, 7, 1.5);   // 1.5 units away still touches
    EXPECT_EQ(run.lives, 10);

    // A shield of 2000 protects for 2 s from now, replacing a longer protection.
    Wait(500);
    run.invulnerableUntil = GetElapsedTime() + 9000;
    take(kItemShield, 2000);
    EXPECT_EQ(run.invulnerableUntil, GetElapsedTime() + 2000);

    // Ammunition for kind 0 counts; for a kind the level lacks it is used up for nothing.
    take(kAmmoKinds, 20);
    EXPECT_EQ(run.ammo[0], 20);
    EXPECT_EQ(take(kAmmoKinds + 5, 20), kItemUsed);
    ASSERT_EQ(run.ammo.size(), 1u);
    EXPECT_EQ(run.ammo[0], 20);
}

TEST_F(RulesTest, AReusableCheckpointStaysAndAOneOffOneGoes) {
    AddActor(0, 0, 0);
    GameRun run = Run();
    const int keep = AddItem(0.5, 0.5, 0.5, kItemCheckpoint, 1);
    TakeTouchedItem(run);
    EXPECT_EQ(SpecialItems(keep, 3), kItemCheckpoint);
    EXPECT_EQ(run.checkpoint, (std::array<Number, 3>{0.5, 0.5, 0.5}));
    run.checkpoint = {0, 0, 0};
    TakeTouchedItem(run);
    EXPECT_EQ(run.checkpoint[0], 0.5) << "taken again every frame it is touched";

    SpecialItems(keep, 4) = 0;
    TakeTouchedItem(run);
    EXPECT_EQ(SpecialItems(keep, 3), kItemUsed);
    // The first touched item wins, used or not; beyond 1.5 units nothing is touched.
    AddItem(0, 0, 0, kItemExtraLife, 1);
    EXPECT_EQ(TouchedSpecial(0), keep);
    SpecialItems(keep, 0) = 1.6;
    SpecialItems(keep, 1) = 0;
    SpecialItems(keep, 2) = 0;
    EXPECT_EQ(TouchedSpecial(0), 1);
    EXPECT_EQ(TouchedSpecial(9), -1);
}

TEST_F(RulesTest, AShotAtAngleZeroFliesLevelAndDropsByGTimesTSquared) {
    AddActor(2, 10, 3);
    ActorPos(0, 3) = 90;   // facing +x
    AddWeapon(1, 0, 0);
    std::vector<Shot> shots;
    FireShot(0, 0, shots);
    ASSERT_EQ(shots.size(), 1u);
    Wait(1000);
    UpdateShots(shots);
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(Round3(P3{shots[0].x, shots[0].y, shots[0].z}), Round3(P3{3, 10 - 9.81, 3})) << "1 unit per second";
    Wait(3001);
    UpdateShots(shots);
    EXPECT_TRUE(shots.empty()) << "gone after 4 s";
}

TEST_F(RulesTest, ShotsDeleteTheEnemiesTheyReachWhileTheListShrinks) {
    AddActor(0, 0, 0);
    ActorPos(0, 3) = 0;   // facing +z
    AddWeapon(0, 0, 0);   // no drop, 1 unit per second
    const int near = AddActor(0, 0, 1, kBehaviourEnemy);
    AddActor(0, 0, 30, kBehaviourEnemy);
    const int last = AddActor(5, 0, 1, kBehaviourEnemy);
    std::vector<Shot> shots;
    FireShot(0, 0, shots);
    // A second shot from beside the last enemy.
    ActorPos(0, 0) = 5;
    FireShot(0, 0, shots);
    ActorPos(0, 0) = 0;
    Wait(1000);
    UpdateShots(shots);
    // The first shot deleted enemy 1 (the last one moved into its row); the second shot
    // was moved into row 0 and waits for the next pass.
    EXPECT_EQ(ActorCount(), 3);
    EXPECT_EQ(ActorPos(near, 0), 5);
    ASSERT_EQ(shots.size(), 1u);
    UpdateShots(shots);
    EXPECT_EQ(ActorCount(), 2);
    EXPECT_EQ(ActorState.Extent(0), 2);
    EXPECT_TRUE(shots.empty());
    EXPECT_EQ(ActorPos(1, 2), 30);
    (void)last;
    DeleteActor(7);
    EXPECT_EQ(ActorCount(), 2) << "no such actor";

    // The player is no target even when the level marks it an enemy.
    ActorProps(0, 4) = kBehaviourEnemy;
    FireShot(0, 0, shots);
    UpdateShots(shots);
    EXPECT_EQ(ActorCount(), 2);
}

TEST_F(RulesTest, FiringNeedsSpaceAndAmmunitionForKindZero) {
    AddActor(0, 0, 0);
    GameRun none = Run();
    platform().PressKey(kKeySpace);
    FireWeapon(none);
    EXPECT_TRUE(none.shots.empty()) << "no weapon kinds: nothing to fire";

    AddWeapon(1, 0.5, 0.5);
    GameRun run = Run();
    run.ammo[0] = 2;
    FireWeapon(run);
    EXPECT_EQ(run.shots.size(), 1u) << "one shot per frame";
    FireWeapon(run);
    FireWeapon(run);
    EXPECT_EQ(run.shots.size(), 2u);
    EXPECT_EQ(run.ammo[0], 0);
}

}  // namespace
