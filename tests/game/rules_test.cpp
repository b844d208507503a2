// Damage, lives, protection, items and shots on small levels built in the test.
#include <gtest/gtest.h>

#include "game/rules.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "tests/game/game_support.h"

using namespace game_test;

namespace {

class RulesTest : public GameTest {};

TEST_F(RulesTest, EnemiesHurtAfterFourSecondsOfProtectionButToxicGroundCostsALifeAtOnce) {
    AddActor(0, 0, 0);
    AddActor(0.5, 0, 0.5, 1);
    GameRun run = Run();
    EXPECT_EQ(ContactDamage(0), 10);
    // Waits and the energy after each: the hit at 4001 ms protects again for 4 s.
    for (const auto& [wait, energy] : {std::pair{0, 100}, {3999, 100}, {2, 90}, {3999, 90}, {2, 80}}) {
        platform().AdvanceClock(wait);
        ApplyContactDamage(run);
        EXPECT_EQ(run.energy, energy) << wait;
    }
    // Within 2 units of the player's centre (1.75 above its feet) an enemy touches.
    for (const auto& [y, damage] : {std::pair{3.75, 10}, {3.76, 0}, {-0.25, 10}, {-0.26, 0}}) {
        ActorPos(1, 0) = 0, ActorPos(1, 1) = y, ActorPos(1, 2) = 0;
        EXPECT_EQ(ContactDamage(0), damage) << y;
    }

    // Toxic ground, while protected and with an enemy touching.
    SetBoxModel(kToxicSlot, -1, 0, -1, 1, 0.2, 1);
    AddObject(kToxicSlot, -1, 0, 2, -1, 0, 0, 0, 0);
    run.checkpoint = {5, 1, 5}, ActorPos(1, 1) = 0;
    ActorState(0, 0) = 2;
    ASSERT_TRUE(IsProtected(run));
    EXPECT_EQ(ContactDamage(0), 1000);
    ApplyContactDamage(run);
    EXPECT_EQ((P3{run.lives, ActorState(0, 0), 0}), (P3{2, 2, 0})) << "the velocity is kept";
    EXPECT_EQ(Pos(), (P3{5, 1, 5})) << "back at the checkpoint";
    EXPECT_TRUE(IsProtected(run)) << "the new life starts protected";
    // Losing a life with none left ends the run.
    X() = 0, Y() = 0, Z() = 0;
    run.lives = 0;
    ApplyContactDamage(run);
    EXPECT_TRUE(run.lives == -1 && run.ended);
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
    // Energy cannot pass 100, extra lives are not limited; 1.5 units away still touches.
    run.energy = 95;
    EXPECT_EQ(take(1, 50), -1);
    EXPECT_EQ(run.energy, 100);
    EXPECT_EQ(take(0, 7, 1.5), -1);
    EXPECT_EQ(run.lives, 10);
    EXPECT_EQ(take(0, 7, 1.51), 0) << "too far to touch";
    EXPECT_EQ(run.lives, 10);
    // A shield of 2000 protects for 2 s from now, replacing a longer protection.
    platform().AdvanceClock(500);
    run.invulnerableUntil = GetElapsedTime() + 9000;
    take(2, 2000);
    EXPECT_EQ(run.invulnerableUntil, GetElapsedTime() + 2000);
    // Ammunition adds up for kind 0; for a kind the level lacks it is used up for nothing.
    take(1000, 20);
    take(1000, 5);
    EXPECT_EQ(take(1005, 20), -1);
    EXPECT_EQ(take(77, 20), -1) << "an unknown kind is used up too";
    EXPECT_EQ(run.ammo, (std::vector<Number>{25}));
    // A reusable checkpoint stays and moves the respawn point every frame it is touched; a
    // one-off one goes. The first touched item wins, used or not.
    const int keep = AddItem(0.5, 0.5, 0.5, 3, 1);
    for (int frame = 0; frame < 2; ++frame) {
        run.checkpoint = {0, 0, 0};
        TakeTouchedItem(run);
        EXPECT_EQ(run.checkpoint, (std::array<Number, 3>{0.5, 0.5, 0.5}));
        EXPECT_EQ(SpecialItems(keep, 3), 3);
    }
    SpecialItems(keep, 4) = 0;
    TakeTouchedItem(run);
    EXPECT_EQ(SpecialItems(keep, 3), -1);
    AddItem(0, 0, 0, 0, 1);
    EXPECT_EQ(TouchedSpecial(0), keep);
}

// Weapons (gravity, speed, angle factors) and a shot fired facing +x from (2, 10, 3) one second
// later: speed 30 × factor + 1 per second, elevation 89 × factor, drop g·t².
TEST_F(RulesTest, ShotsFlyByTheirWeaponsFactorsForFourSeconds) {
    AddActor(2, 10, 3);
    ActorPos(0, 3) = 90;
    const P3 weapons[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {0.5, 0.5, 0.5}};
    const P3 after[] = {{3, 10 - 9.81, 3},
                        {33, 10, 3},
                        {2 + std::cos(89 * M_PI / 180), 10 + std::sin(89 * M_PI / 180), 3},
                        {2 + 16 * std::cos(44.5 * M_PI / 180), 10 + 16 * std::sin(44.5 * M_PI / 180) - 4.905, 3}};
    std::vector<Shot> shots;
    for (int k = 0; k < 4; ++k) {
        AddWeapon(weapons[k][0], weapons[k][1], weapons[k][2]);
        FireShot(0, k, shots);
    }
    platform().AdvanceClock(1000);
    UpdateShots(shots);
    ASSERT_EQ(shots.size(), 4u);
    for (int k = 0; k < 4; ++k) {
        const P3 at = {shots[k].x, shots[k].y, shots[k].z};
        for (int a = 0; a < 3; ++a) EXPECT_NEAR(at[a], after[k][a], 1e-6) << k;
    }
    platform().AdvanceClock(3000);
    UpdateShots(shots);
    EXPECT_EQ(shots.size(), 4u) << "alive at 4 s";
    platform().AdvanceClock(1);
    UpdateShots(shots);
    EXPECT_EQ(shots.size(), 2u) << "gone after 4 s; a row moved into a removed one waits for the next pass";
}

TEST_F(RulesTest, ShotsDeleteTheEnemiesTheyReachWhileTheListShrinks) {
    AddActor(0, 0, 0);   // facing +z
    AddWeapon(0, 0, 0);  // no drop, 1 unit per second
    const int near = AddActor(0, 0, 1, 1);
    AddActor(0, 0, 30, 1);
    AddActor(5, 0, 1, 1);
    std::vector<Shot> shots;
    FireShot(0, 0, shots);
    ActorPos(0, 0) = 5;   // a second shot from beside the last enemy
    FireShot(0, 0, shots);
    platform().AdvanceClock(1000);
    UpdateShots(shots);
    // The first shot deleted enemy 1 (the last one moved into its row); the second shot
    // was moved into row 0 and waits for the next pass.
    EXPECT_EQ((P3{ActorCount(), ActorPos(near, 0), Number(shots.size())}), (P3{3, 5, 1}));
    UpdateShots(shots);
    EXPECT_EQ((P3{ActorCount(), ActorState.Extent(0), ActorPos(1, 2)}), (P3{2, 2, 30}));
    EXPECT_TRUE(shots.empty());
    // The player is no target even when the level marks it an enemy.
    ActorProps(0, 4) = 1;
    FireShot(0, 0, shots);
    UpdateShots(shots);
    EXPECT_EQ(ActorCount(), 2);
}

TEST_F(RulesTest, FiringNeedsSpaceAndAmmunitionForKindZero) {
    AddActor(0, 0, 0);
    platform().PressKey(kKeySpace);
    AddWeapon(1, 0.5, 0.5);
    GameRun run = Run();
    run.ammo[0] = 2;
    std::vector<size_t> shots;   // one shot per frame while there is ammunition
    for (int frame = 0; frame < 3; ++frame) FireWeapon(run), shots.push_back(run.shots.size());
    EXPECT_EQ(shots, (std::vector<size_t>{1, 2, 2}));
    EXPECT_EQ(run.ammo[0], 0);
}

}  // namespace
