// Rules of enemies, damage, items and shots.
//
// Dependencies: game/gamerun, game/contact, level/level, runtime/frame.
#include "game/rules.h"

#include <algorithm>   // Required for: std::min
#include <cmath>       // Required for: std::floor

#include "level/level.h"            // Required for: the level arrays
#include "game/contact.h"            // Required for: BoxTouchesObject
#include "runtime/frame/frame.h"     // Required for: GetElapsedTime
#include "runtime/frame/numbers.h"   // Required for: SinDeg, CosDeg

namespace {

constexpr Number kEnemyReach2 = 4;      // squared distance of an enemy touch or a shot hit
constexpr Number kItemReach2 = 2.25;    // squared distance at which an item is taken
constexpr Number kShotGravity = 9.81;
constexpr Number kShotSpeed = 30;
constexpr Number kShotElevation = 89;   // degrees at angle factor 1

bool IsActorIndex(Number a, const DimArray<Number>& rows) { return a >= 0 && a < rows.Extent(0); }

Number Squared(Number dx, Number dy, Number dz) { return dx * dx + dy * dy + dz * dz; }

// The first enemy within reach of the point, or -1. The player is never its own target,
// so a shot cannot delete it.
int EnemyNear(Number x, Number y, Number z, bool skipPlayer) {
    const int rows = static_cast<int>(std::min(ActorProps.Extent(0), ActorPos.Extent(0)));
    for (int j = skipPlayer ? 1 : 0; j < rows; ++j) {
        if (ActorProps(j, 4) != kBehaviourEnemy) continue;
        if (Squared(x - ActorPos(j, 0), y - ActorPos(j, 1), z - ActorPos(j, 2)) <= kEnemyReach2) return j;
    }
    return -1;
}

void LoseLife(GameRun& run) {
    run.lives -= 1;
    run.energy = 100;
    // The velocity is kept.
    ActorPos(0, 0) = run.checkpoint[0];
    ActorPos(0, 1) = run.checkpoint[1];
    ActorPos(0, 2) = run.checkpoint[2];
    if (run.lives < 0) run.ended = true;
}

void RemoveRow(DimArray<Number>& rows, int a) {
    const int n = static_cast<int>(rows.Extent(0));
    if (a >= n) return;
    const Number columns = rows.Extent(1);
    for (int k = 0; k < columns; ++k) rows(a, k) = rows(n - 1, k);
    rows.Redim(n - 1, columns);
}

}  // namespace

Number ContactDamage(Number actor) {
    if (!IsActorIndex(actor, ActorPos)) return 0;
    const Number x = ActorPos(actor, 0), y = ActorPos(actor, 1) + kActorBoxHeight / 2, z = ActorPos(actor, 2);
    const ContactScene scene;
    for (const ContactObject& o : scene.Objects()) {
        if (o.behaviour == kBehaviourToxic && BoxTouchesObject(o, x, y, z) != 0) return kToxicDamage;
    }
    return EnemyNear(x, y, z, false) >= 0 ? kEnemyDamage : 0;
}

void ApplyContactDamage(GameRun& run) {
    const Number d = ContactDamage(0);
    if (d == 0) return;
    // Toxic ground ignores protection.
    if (d >= 100) run.invulnerableUntil = 0;
    const Number now = GetElapsedTime();
    if (!(run.invulnerableUntil < now)) return;
    run.energy -= d;
    run.invulnerableUntil = now + kProtectionMs;
    if (run.energy < 0) LoseLife(run);
}

Number TouchedSpecial(Number actor) {
    if (!IsActorIndex(actor, ActorPos)) return -1;
    const Number x = ActorPos(actor, 0), y = ActorPos(actor, 1), z = ActorPos(actor, 2);
    for (int s = 0; s < SpecialItems.Extent(0); ++s) {
        if (Squared(x - SpecialItems(s, 0), y - SpecialItems(s, 1), z - SpecialItems(s, 2)) <= kItemReach2) return s;
    }
    return -1;
}

void TakeTouchedItem(GameRun& run) {
    const Number found = TouchedSpecial(0);
    if (found < 0) return;
    const int s = static_cast<int>(found);
    const Number kind = SpecialItems(s, 3), value = SpecialItems(s, 4);
    SpecialItems(s, 3) = kItemUsed;
    if (kind == kItemExtraLife) {
        run.lives += value;
    } else if (kind == kItemEnergy) {
        run.energy = std::min<Number>(100, run.energy + value);
    } else if (kind == kItemShield) {
        run.invulnerableUntil = GetElapsedTime() + value;
    } else if (kind == kItemCheckpoint) {
        run.checkpoint = {SpecialItems(s, 0), SpecialItems(s, 1), SpecialItems(s, 2)};
        if (value != 0) SpecialItems(s, 3) = kItemCheckpoint;
    } else if (kind >= kAmmoKinds && kind <= kLastAmmoKind) {
        // Ammunition for a weapon kind the level does not have is used up all the same.
        const Number k = std::floor(kind - kAmmoKinds);
        if (k < static_cast<Number>(run.ammo.size())) run.ammo[static_cast<size_t>(k)] += value;
    }
}

void FireShot(Number actor, Number kind, std::vector<Shot>& shots) {
    if (!IsActorIndex(actor, ActorPos)) return;
    Shot shot;
    shot.launchX = ActorPos(actor, 0);
    shot.launchY = ActorPos(actor, 1);
    shot.launchZ = ActorPos(actor, 2);
    shot.heading = ActorPos(actor, 3);
    shot.kind = kind;
    shot.launchTime = GetElapsedTime() / 1000;
    shots.push_back(shot);
}

void FireWeapon(GameRun& run) {
    if (GameInput(6) == 0 || run.ammo.empty() || !(run.ammo[0] > 0)) return;
    run.ammo[0] -= 1;
    FireShot(0, 0, run.shots);
}

void UpdateShots(std::vector<Shot>& shots) {
    const Number now = GetElapsedTime() / 1000;
    for (size_t i = 0; i < shots.size();) {
        Shot& s = shots[i];
        const Number kind = s.kind;
        if (!(kind >= 0 && kind < WeaponTable.Extent(0))) {
            RemoveShot(static_cast<Number>(i), shots);
            ++i;
            continue;
        }
        const Number t = now - s.launchTime;
        const Number g = kShotGravity * WeaponTable(kind, 0);
        const Number v = kShotSpeed * WeaponTable(kind, 1) + 1;
        const Number e = kShotElevation * WeaponTable(kind, 2);
        const Number h = CosDeg(e) * v * t;
        s.x = s.launchX + SinDeg(s.heading) * h;
        // The drop is g·t², not g·t²/2: that is how shots have always flown.
        s.y = s.launchY + SinDeg(e) * v * t - g * t * t;
        s.z = s.launchZ + CosDeg(s.heading) * h;
        bool gone = t > kShotLifetime;
        if (!gone) {
            const int enemy = EnemyNear(s.x, s.y, s.z, true);
            if (enemy >= 0) {
                DeleteActor(enemy);
                gone = true;
            }
        }
        // The shot moved into this row waits for the next pass.
        if (gone) RemoveShot(static_cast<Number>(i), shots);
        ++i;
    }
}

void RemoveShot(Number i, std::vector<Shot>& shots) {
    if (!(i >= 0 && i < static_cast<Number>(shots.size()))) return;
    const size_t k = static_cast<size_t>(i);
    shots[k] = shots.back();
    shots.pop_back();
}

void DeleteActor(Number a) {
    if (!(a >= 0 && a < ActorProps.Extent(0))) return;
    const int row = static_cast<int>(a);
    RemoveRow(ActorProps, row);
    RemoveRow(ActorPos, row);
    RemoveRow(ActorState, row);
}
