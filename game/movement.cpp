// Player movement and collision response.
//
// Dependencies: game/gamerun, game/contact, game/path, level/level, runtime/frame.
#include "game/movement.h"

#include <algorithm>   // Required for: std::min, std::max
#include <cmath>       // Required for: std::fabs, std::sqrt

#include "level/level.h"            // Required for: the level arrays
#include "game/contact.h"            // Required for: BoxTouchesObject, RayAgainstObject
#include "game/path.h"               // Required for: MoveObjectsOnPaths, animPhase
#include "runtime/frame/input.h"     // Required for: JoystickRumble
#include "runtime/frame/numbers.h"   // Required for: SinDeg, CosDeg, ATan2Deg

namespace {

constexpr Number kNoLimit = 1e30;
// Platforms: the corner rays start this far above the feet and count hits this close.
constexpr Number kPlatformRayLift = 0.2;
constexpr Number kPlatformReach = 0.45;
constexpr Number kGroundProbe = 0.2;
constexpr Number kHeadHeight = 2.5;
constexpr Number kWalkSpeed = 40;
constexpr Number kSwimGravity = 4.5;
constexpr Number kWaterDrag = 5;
constexpr Number kMaxDamping = 0.9999;
constexpr Number kVelocityFloor = 0.01;
constexpr Number kLedgeProbe = 5;

// Animation states of the actor's animation slots.
enum AnimState { kStand = 0, kWalk = 1, kJump = 2, kSwim = 3, kFall = 4 };

bool IsActor(Number actor) { return actor >= 0 && actor < ActorPos.Extent(0); }

Number& PX() { return ActorPos(0, 0); }
Number& PY() { return ActorPos(0, 1); }
Number& PZ() { return ActorPos(0, 2); }
Number& VX() { return ActorState(0, 0); }
Number& VY() { return ActorState(0, 1); }
Number& VZ() { return ActorState(0, 2); }

Number CollideIn(const ContactScene& scene, Number actor, Number dx, Number dy, Number dz) {
    if (!IsActor(actor)) return 0;
    const Number x = ActorPos(actor, 0) + dx;
    const Number y = ActorPos(actor, 1) + kActorBoxHeight / 2 + dy;
    const Number z = ActorPos(actor, 2) + dz;
    for (const ContactObject& o : scene.Objects()) {
        if (o.behaviour == kBehaviourLand && BoxTouchesObject(o, x, y, z) != 0) return 1;
    }
    return 0;
}

Number PlayerCollides(const ContactScene& scene, Number dx, Number dy, Number dz) {
    return CollideIn(scene, 0, dx, dy, dz);
}

// Climbs in whole steps until the box is free and answers the step before that one, so
// the player ends touching (or less than a step inside) what it landed or stepped on;
// that contact is what keeps it on the ground and lets the next step-up find a lift.
Number FindLiftIn(const ContactScene& scene, Number limit, Number& lift) {
    Number step = std::min(limit, kLiftStep);
    if (!(step >= kLiftStep)) return 0;
    Number a = 0;
    while (step >= kLiftStep) {
        a += step;
        if (PlayerCollides(scene, 0, a, 0) == 0) {
            a -= step;
            step /= 2;
            if (step < kLiftStep) {
                lift = a;
                return 1;
            }
        } else if (a >= limit) {
            return 0;
        }
    }
    return 0;
}

Number InWater(const ContactScene& scene, Number x, Number y, Number z) {
    for (const ContactObject& o : scene.Objects()) {
        if (o.behaviour == kBehaviourWater && RayAgainstObject(o, x, y, z, 0, 1, 0, kNoLimit) > 0) return 1;
    }
    return 0;
}

Number PlatformUnderIn(const ContactScene& scene, Number actor) {
    if (!IsActor(actor)) return -1;
    const Number x = ActorPos(actor, 0), y = ActorPos(actor, 1) + kPlatformRayLift, z = ActorPos(actor, 2);
    const Number half = kActorBoxWidth / 2;
    const Number corners[4][2] = {{half, half}, {half, -half}, {-half, half}, {-half, -half}};
    for (const ContactObject& o : scene.Objects()) {
        if (!(o.path >= 0)) continue;
        for (const auto& c : corners) {
            const Number d = RayAgainstObject(o, x + c[0], y, z + c[1], 0, -1, 0, kPlatformReach);
            if (d > 0 && d < kPlatformReach) return o.index;
        }
    }
    return -1;
}

void SetAnimation(Number state, Number phase) {
    ActorProps(0, 2) = state;
    ActorProps(0, 3) = phase;
}

// Ledge slide: standing within one probe of a drop slides the player over it and starts
// the fall. True when it happened (the rest of the ground movement is skipped).
bool SlideOffLedge(const GameRun& run, const ContactScene& scene) {
    const Number s = kLedgeProbe * run.frameFactor;
    for (int a = -1; a <= 1; ++a) {
        for (int b = -1; b <= 1; ++b) {
            if (a == 0 && b == 0) continue;
            if (PlayerCollides(scene, a * s, -0.7 * s, b * s) != 0) continue;
            PX() += a * s;
            PY() += s;
            PZ() += b * s;
            VX() = 0;
            VY() = -0.5;
            VZ() = 0;
            Number lift = 0;
            if (FindLiftIn(scene, s, lift) != 0) {
                PY() += lift;
                VY() = -kMaxFallSpeed;
            }
            SetAnimation(kFall, 0.5);
            return true;
        }
    }
    return false;
}

void ChooseAnimation(const GameRun& run, Number speed) {
    SetAnimation(kStand, 0);
    const Number vy = VY();
    if (run.inWater != 0) {
        SetAnimation(kSwim, animPhase);
    } else if (vy <= 0.1 && (vy >= -4 || run.onGround != 0)) {
        if (speed > 0) SetAnimation(kWalk, animPhase);
    } else if (vy <= 0.1) {
        Number phase = 2 * animPhase;
        if (phase > 1) phase = 2 - phase;
        SetAnimation(kFall, phase);
    } else {
        SetAnimation(kJump, std::min<Number>(1, 2 - 2 * vy / kJumpSpeed));
    }
}

// One pass of the horizontal move along one axis (0 x, 2 z).
void MoveAlong(GameRun& run, const ContactScene& scene, int axis) {
    ActorPos(0, axis) += run.frameFactor * ActorState(0, axis);
    if (PlayerCollides(scene, 0, 0, 0) == 0) return;
    if (VY() == 0 && run.lastFall != 0) {
        const Number limit = 1.3 * run.frameFactor * std::sqrt(VX() * VX() + VZ() * VZ());
        Number lift = 0;
        if (FindLiftIn(scene, limit, lift) != 0) {
            PY() += lift;
            VY() = 0;
            return;
        }
    }
    // Blocked on either axis stops the whole horizontal move.
    VX() = 0;
    VZ() = 0;
    PX() = run.oldPosition[0];
    PZ() = run.oldPosition[2];
}

void Fall(GameRun& run, const ContactScene& scene) {
    if (!(VY() < 0)) return;
    VY() = std::max(VY(), -kMaxFallSpeed);
    run.lastFall = run.frameFactor * VY();
    PY() += run.lastFall;
    if (PlayerCollides(scene, 0, 0, 0) == 0) return;
    VY() = 0;
    Number lift = 0;
    if (FindLiftIn(scene, std::fabs(run.lastFall), lift) != 0) {
        PY() += lift;
    } else {
        PY() = run.oldPosition[1];
    }
}

void Rise(GameRun& run, const ContactScene& scene, bool wasInWater) {
    if (!(VY() > 0)) return;
    PY() += run.frameFactor * VY();
    if (PlayerCollides(scene, 0, 0.2, 0) == 0) {
        if (wasInWater && InWater(scene, PX(), PY() + kHeadHeight, PZ()) == 0) VY() = kWaterHopSpeed;
    } else {
        PY() = run.oldPosition[1];
        VY() = 0;
    }
}

}  // namespace

Number CollideActor(Number actor, Number dx, Number dy, Number dz) {
    return CollideIn(ContactScene(), actor, dx, dy, dz);
}

Number PointInWater(Number x, Number y, Number z) { return InWater(ContactScene(), x, y, z); }

Number PlatformUnder(Number actor) { return PlatformUnderIn(ContactScene(), actor); }

Number FindLift(Number limit, Number& lift) { return FindLiftIn(ContactScene(), limit, lift); }

void UpdateGround(GameRun& run, Number t) {
    const Number platform = PlatformUnder(0);
    MoveObjectsOnPaths(t);
    if (platform < 0) {
        run.onGround = CollideActor(0, 0, -kGroundProbe, 0);
        return;
    }
    run.onGround = 1;
    const int o = static_cast<int>(platform);
    PX() += ObjState(o, 0);
    PY() += ObjState(o, 1);
    PZ() += ObjState(o, 2);
}

void MovePlayer(GameRun& run) {
    const Number ff = run.frameFactor;
    ActorPos(0, 4) = 0;
    // Nothing moves objects while the player moves.
    const ContactScene scene;
    run.inWater = InWater(scene, PX(), PY() + kHeadHeight, PZ());
    const bool wasInWater = run.inWater != 0;

    Number ix = 0.5 * GameInput(0), iz = 0.5 * GameInput(1);
    // "Up" walks away from the camera.
    const Number heading = ATan2Deg(ix, iz) + run.camera[0];
    const Number speed = kWalkSpeed * std::sqrt(ix * ix + iz * iz);

    run.drag = 0;
    if (wasInWater) {
        run.drag = kWaterDrag;
        run.gravity = kSwimGravity;
        JoystickRumble(0, 20, SinDeg(200 * ff), CosDeg(200 * ff));
        ix /= 2;
        iz /= 2;
    }

    run.damping = std::min(kMaxDamping, (run.drag + 4) * ff);
    VX() += SinDeg(heading) * speed * ff - run.damping * VX();
    VZ() += CosDeg(heading) * speed * ff - run.damping * VZ();
    if (std::fabs(VX()) < kVelocityFloor) VX() = 0;
    if (std::fabs(VZ()) < kVelocityFloor) VZ() = 0;

    if (ix != 0 || iz != 0) ActorPos(0, 3) = heading;

    const bool slid = run.onGround != 0 && SlideOffLedge(run, scene);
    if (!slid) {
        ActorProps(0, 6) = IsProtected(run) ? 1 : 0;
        ChooseAnimation(run, speed);

        const bool jumpHeld = GameInput(2) != 0;
        if (jumpHeld && (run.onGround != 0 || wasInWater)) {
            VY() = kJumpSpeed;
            run.onGround = 0;
            JoystickRumble(0, 100, 0, 1);
        }
        // Letting go of jump early cuts the rise short.
        if (VY() > 0 && run.onGround == 0 && !jumpHeld) run.gravity *= 3;

        if (run.onGround == 0) {
            VY() = VY() - run.gravity * ff - std::min(kMaxDamping, run.drag * ff) * VY();
        } else if (VY() < 0) {
            VY() = 0;
        }

        if (VX() != 0 || VZ() != 0) {
            MoveAlong(run, scene, 2);
            MoveAlong(run, scene, 0);
        }
    }
    Fall(run, scene);
    Rise(run, scene, wasInWater);
}
