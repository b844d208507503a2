// Test play: the game loop, camera and HUD.
//
// Dependencies: game/gamerun, game/movement, game/rules, game/contact, game/path,
// game/drawlevel, level/level, runtime/gfx3d, runtime/gfx2d, runtime/frame.
#include "game/playlevel.h"

#include <algorithm>   // Required for: std::min, std::max
#include <cmath>       // Required for: std::floor, std::fabs, std::sqrt, std::trunc

#include "level/level.h"               // Required for: the level arrays, MediaRoot
#include "game/contact.h"               // Required for: ContactScene, RayAgainstObject
#include "game/drawlevel.h"             // Required for: DrawLevel, kShadowModel
#include "game/movement.h"              // Required for: UpdateGround, MovePlayer
#include "game/path.h"                  // Required for: MoveActorsOnPaths, animPhase
#include "game/rules.h"                 // Required for: the damage, item and shot rules
#include "runtime/frame/frame.h"        // Required for: FlipScreen, GetElapsedTime, GetFrameTime
#include "runtime/frame/input.h"        // Required for: KeyState
#include "runtime/frame/numbers.h"      // Required for: SinDeg, CosDeg, IntMod
#include "runtime/gfx2d/draw2d.h"       // Required for: PrintText, SetFont
#include "runtime/gfx2d/sprites.h"      // Required for: LoadSprite, DrawSprite
#include "runtime/gfx3d/engine.h"       // Required for: the scene commands
#include "runtime/platform/scancodes.h" // Required for: kKeyE, kKeyEscape

namespace {

constexpr Number kHeadHeight = 2.5;
constexpr Number kProbeLift = 0.5;
constexpr Number kMaxProbeAlpha = 0.4;
constexpr Number kShotSpriteSize = 0.05;
constexpr Number kWhite = 0xFFFFFF;

struct PlayState {
    const GameRun* current = nullptr;
};
PlayState play;

// Publishes the run while it is played, whichever way PlayLevel is left.
class CurrentRun {
public:
    explicit CurrentRun(const GameRun& run) : previous_(play.current) { play.current = &run; }
    ~CurrentRun() { play.current = previous_; }
    CurrentRun(const CurrentRun&) = delete;
    CurrentRun& operator=(const CurrentRun&) = delete;

private:
    const GameRun* previous_;
};

void Direction(Number yaw, Number pitch, Number& dx, Number& dy, Number& dz) {
    dx = SinDeg(yaw) * CosDeg(pitch);
    dy = SinDeg(pitch);
    dz = CosDeg(yaw) * CosDeg(pitch);
}

void HeadPoint(Number& x, Number& y, Number& z) {
    x = ActorPos(0, 0);
    y = ActorPos(0, 1) + kHeadHeight;
    z = ActorPos(0, 2);
}

void PlaceCamera(const GameRun& run) {
    Number hx, hy, hz, ex, ey, ez;
    HeadPoint(hx, hy, hz);
    CameraEye(run, ex, ey, ez);
    SetCamera(ex, ey, ez, hx, hy, hz);
}

// Sky: a big box around the eye, drawn first and then left behind the depth buffer.
void DrawSky(const GameRun& run) {
    Make3D(2, 100, 45);
    PlaceCamera(run);
    Number ex, ey, ez;
    CameraEye(run, ex, ey, ez);
    SetMovement(ex, ey, ez);
    SetScaling(10, 10, 10);
    SetTexture(kSkySprite, -1);
    DrawObject(kSkyModel, 0);
    SetTexture(-1, -1);
    SetScaling(1, 1, 1);
    ClearDepth();
}

// The effect light shines from behind the camera onto the player.
void SetEffectLight(const GameRun& run) {
    Number hx, hy, hz, dx, dy, dz;
    HeadPoint(hx, hy, hz);
    Direction(run.camera[0], run.camera[1], dx, dy, dz);
    SetLight(-2, kWhite, hx + 10 * dx, hy + 10 * dy, hz + 10 * dz, -dx, -dy, -dz, 100);
}

void DrawScene(const GameRun& run) {
    Make3D(1, 1000, 35);
    PlaceCamera(run);
    DrawLevel(0);
    for (const Shot& s : run.shots) DrawSprite3D(kWeaponSpriteBase + s.kind, s.x, s.y, s.z, kShotSpriteSize);
}

void DrawHud(const GameRun& run, Number fromEditor) {
    Make2D();
    SetFont(0);
    const std::vector<StrValue> lines = HudLines(run);
    const Number rows[4] = {0, 20, 60, 80};
    for (size_t i = 0; i < lines.size() && i < 4; ++i) PrintText(lines[i], 0, rows[i]);
    Number width, height;
    GetScreenSize(width, height);
    const StrValue hint = KeyHintLine(run, fromEditor);
    if (!hint.Empty()) {
        Number fx = 0, fy = 0;
        GetFontSize(fx, fy);
        PrintText(hint, std::max<Number>(0, std::trunc((width - hint.Length() * fx) / 2)), height - fy - 8);
    }
    for (size_t k = 0; k < run.ammo.size(); ++k) {
        const Number x = 64 * static_cast<Number>(k);
        DrawSprite(kWeaponSpriteBase + static_cast<Number>(k), x, height - 64);
        PrintText("x"_s + run.ammo[k], x + 32, height - 64);
    }
}

// Right Alt steps through the distance presets (near, middle, far and back); Period
// and Comma turn the camera.
void CameraKeys(GameRun& run) {
    auto& goal = run.cameraGoal;
    if (GameInput(5) != 0) {
        if (goal[2] < 30) {
            goal[2] = 30;
            goal[1] = 25;
        } else if (goal[2] <= 49) {
            goal[2] = 50;
            goal[1] = 12;
        } else {
            goal[2] = 1;
            goal[1] = 45;
        }
    }
    goal[2] = std::min<Number>(50, std::max<Number>(10, goal[2]));
    goal[0] += GameInput(4) * run.frameFactor * 50;
}

}  // namespace

const GameRun* CurrentGameRun() { return play.current; }

void LoadGameMediaFiles() {
    LoadObject(MediaRoot + "shadow.kmo", kShadowModel);
    LoadSprite(MediaRoot + "shadow.bmp", kShadowSprite);
    LoadObject(MediaRoot + "skybox.kmo", kSkyModel);
    LoadSprite(MediaRoot + "skybox.bmp", kSkySprite);
    const char* items[4] = {"extralife.bmp", "energy.bmp", "shield.bmp", "checkpoint.bmp"};
    for (int k = 0; k < 4; ++k) LoadSprite(MediaRoot + items[k], kItemSpriteBase + k);
    LoadSprite(MediaRoot + "shot1.bmp", kWeaponSpriteBase);
}

void CameraEye(const GameRun& run, Number& x, Number& y, Number& z) {
    Number hx, hy, hz, dx, dy, dz;
    HeadPoint(hx, hy, hz);
    Direction(run.camera[0], run.camera[1], dx, dy, dz);
    const Number d = run.camera[2];
    x = hx + d * dx;
    y = hy + d * dy;
    z = hz + d * dz;
}

void ProbeCamera(const GameRun& run, Number yaw, Number pitch, CameraCandidate& candidate) {
    ProbeCamera(run, ContactScene(), yaw, pitch, candidate);
}

void ProbeCamera(const GameRun& run, const ContactScene& scene, Number yaw, Number pitch,
                 CameraCandidate& candidate) {
    const Number sx = ActorPos(0, 0), sy = ActorPos(0, 1) + kProbeLift, sz = ActorPos(0, 2);
    Number rx, ry, rz;
    Direction(yaw, pitch, rx, ry, rz);
    const Number goalDistance = run.cameraGoal[2];
    Number reach = goalDistance;
    for (const ContactObject& o : scene.Objects()) {
        if (std::fabs(o.alpha) > kMaxProbeAlpha) continue;
        const Number d = RayAgainstObject(o, sx, sy, sz, rx, ry, rz, reach);
        if (d > 0 && d < reach) reach = d;
    }
    Number gx, gy, gz;
    Direction(run.cameraGoal[0], run.cameraGoal[1], gx, gy, gz);
    const Number ex = goalDistance * gx - reach * rx, ey = goalDistance * gy - reach * ry,
                 ez = goalDistance * gz - reach * rz;
    const Number error = std::sqrt(ex * ex + ey * ey + ez * ez);
    if (error < candidate.error) candidate = {yaw, pitch, 0.9 * reach, error};
}

void UpdateGameCamera(GameRun& run) {
    auto& goal = run.cameraGoal;
    auto& camera = run.camera;
    const ContactScene scene;
    CameraCandidate c;
    ProbeCamera(run, scene, goal[0], goal[1], c);
    // The goal view is blocked: look for the clearest view around it.
    if (c.distance < goal[2] - 0.01) {
        for (int yaw = 0; yaw <= 90; yaw += 15) {
            for (int dp = -45; dp <= 45; dp += 5) ProbeCamera(run, scene, yaw, goal[1] + dp, c);
        }
    }
    Number f = 0.8 * std::floor(std::min<Number>(1, 20 * run.frameFactor));
    if (GameInput(3) != 0) goal[3] = 1;
    if (goal[3] != 0) {
        const Number behind = ActorPos(0, 3) + 180;
        if (IntMod(std::fabs(behind - goal[0]), 360) >= 3) {
            c.yaw = behind;
            f *= 0.6;
        } else {
            goal[3] = 0;
        }
    }
    // Blend the short way round.
    if (std::fabs(c.yaw - camera[0]) > 180) {
        c.yaw = IntMod(c.yaw + 720, 360);
        camera[0] = IntMod(camera[0] + 720, 360);
        if (c.yaw >= 180) {
            camera[0] += 360;
        } else {
            c.yaw += 360;
        }
    }
    camera[0] = (1 - f) * c.yaw + f * camera[0];
    camera[1] = (1 - f) * c.pitch + f * camera[1];
    camera[2] = (1 - f) * c.distance + f * camera[2];
}

std::vector<StrValue> HudLines(const GameRun& run) {
    const Number left = std::max<Number>(0, run.invulnerableUntil - GetElapsedTime());
    const Number seconds = std::trunc(std::trunc(left) / 1000);
    const auto& g = run.cameraGoal;
    const auto& c = run.camera;
    return {
        "Invul: "_s + FormatNumber(2, 1, seconds) + " Energy: " + FormatNumber(3, 0, run.energy) + " Lives: " +
            run.lives,
        "c_fix:"_s + FormatNumber(0, 2, run.damping) + " OG:" + run.onGround,
        "c0:"_s + FormatNumber(2, 1, g[0]) + " c1:" + FormatNumber(3, 0, g[1]) + " c2:" + g[2],
        "c0:"_s + FormatNumber(2, 1, c[0]) + " c1:" + FormatNumber(3, 0, c[1]) + " c2:" + c[2],
    };
}

StrValue KeyHintLine(const GameRun& run, Number fromEditor) {
    if (!(GetElapsedTime() < run.keysShownUntil)) return StrValue();
    StrValue line = "Arrows walk  Ctrl jump  Space fire  , . turn camera  Shift camera behind  Right Alt distance";
    if (fromEditor != 0) line = line + "  E ends the test";
    return line;
}

void UpdateGame(GameRun& run) {
    // The shared phase advances in single precision, as the animations expect.
    float phase = static_cast<float>(animPhase) + 0.5f * static_cast<float>(run.frameFactor);
    if (phase > 1) phase -= 1;
    animPhase = phase;

    run.gravity = kGravity;
    run.oldPosition = {ActorPos(0, 0), ActorPos(0, 1), ActorPos(0, 2)};
    MoveActorsOnPaths(GetElapsedTime() / 1000);

    ApplyContactDamage(run);
    if (run.ended) return;
    FireWeapon(run);
    UpdateShots(run.shots);
    TakeTouchedItem(run);

    UpdateGround(run, GetElapsedTime() / 1000);
    MovePlayer(run);

    CameraKeys(run);
    UpdateGameCamera(run);
}

GameRun BeginPlay() {
    LoadGameMediaFiles();
    SetFont(0);
    GameRun run = StartGameRun();
    SetFrameLimit(20);
    return run;
}

Number PlayFrame(GameRun& run, Number fromEditor) {
    if (fromEditor != 0 && (KeyState(kKeyE) != 0 || KeyHit(kKeyEscape) != 0)) run.ended = true;
    if (run.ended || !LevelHasPlayer()) return 0;
    DrawSky(run);
    SetEffectLight(run);
    UpdateGame(run);
    if (run.ended) return 0;
    DrawScene(run);
    run.frameFactor = FrameFactorFor(GetFrameTime());
    DrawHud(run, fromEditor);
    FlipScreen();
    return 1;
}

Number PlayLevel(Number fromEditor) {
    // Nothing to play without a player; the level stays as it is.
    if (!LevelHasPlayer()) return 0;
    GameRun run = BeginPlay();
    const CurrentRun published(run);
    while (PlayFrame(run, fromEditor) != 0) {
    }
    return 0;
}
