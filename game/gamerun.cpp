// Game run state, time step and controls.
//
// Dependencies: level/level, runtime/frame.
#include "game/gamerun.h"

#include <cmath>   // Required for: std::floor

#include "level/level.h"                // Required for: ActorPos, WeaponTable
#include "game/contact.h"                // Required for: ForgetModelBounds
#include "runtime/frame/frame.h"         // Required for: GetElapsedTime
#include "runtime/frame/input.h"         // Required for: KeyState
#include "runtime/platform/scancodes.h"  // Required for: the key codes

GameRun StartGameRun() {
    // Models may have been loaded again since the last run.
    ForgetModelBounds();
    GameRun run;
    run.invulnerableUntil = GetElapsedTime() + kProtectionMs;
    run.keysShownUntil = GetElapsedTime() + kKeyHintMs;
    if (LevelHasPlayer()) run.checkpoint = {ActorPos(0, 0), ActorPos(0, 1), ActorPos(0, 2)};
    run.ammo.assign(static_cast<size_t>(WeaponCount()), 0);
    return run;
}

bool IsProtected(const GameRun& run) { return !(run.invulnerableUntil < GetElapsedTime()); }

Number FrameFactorFor(Number frameTimeMs) {
    const Number ms = frameTimeMs < 120 ? frameTimeMs : 120;
    return std::floor(ms) / 700;
}

Number GameInput(Number code) {
    switch (ToInt(code)) {
        case 0:
            if (KeyState(kKeyLeft) != 0) return -1;
            return KeyState(kKeyRight) != 0 ? 1 : 0;
        case 1:
            if (KeyState(kKeyUp) != 0) return -1;
            return KeyState(kKeyDown) != 0 ? 1 : 0;
        case 2: return KeyState(kKeyLControl);
        case 3: return KeyState(kKeyLShift);
        case 4: return KeyState(kKeyPeriod) - KeyState(kKeyComma);
        case 5: return KeyState(kKeyRAlt);
        case 6: return KeyState(kKeySpace);
        default: return 0;
    }
}

bool LevelHasPlayer() {
    return ActorPos.Extent(0) >= 1 && ActorProps.Extent(0) >= 1 && ActorState.Extent(0) >= 1 &&
           ActorPos.Extent(1) >= kActorPosColumns && ActorProps.Extent(1) >= kActorPropsColumns &&
           ActorState.Extent(1) >= kActorStateColumns;
}
