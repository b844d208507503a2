// A scripted player for the demo level: steers actor 0 toward waypoints by pressing
// arrow keys relative to the camera, jumps and fires, one decision per frame poll.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "editor/level.h"
#include "game/playlevel.h"
#include "runtime/frame/numbers.h"
#include "runtime/platform/headless_platform.h"

namespace game_test {

class DemoPilot {
public:
    // One task per stage: it returns true once its stage is done.
    using Task = std::function<bool(DemoPilot&, HeadlessPlatform&)>;

    void Add(std::string name, Task task) { tasks_.push_back({std::move(name), std::move(task)}); }
    // Queues the pilot as a script step that runs at every frame poll (it queues itself
    // again). It waits for a game to run, works through its tasks, presses E once every
    // task is done (or `frameLimit` game frames passed), and once the game has returned
    // runs `after` (if any) and stops.
    void Fly(HeadlessPlatform& p, int frameLimit, std::function<void(HeadlessPlatform&)> after = {}) {
        frameLimit_ = frameLimit;
        after_ = std::move(after);
        p.Then([this](HeadlessPlatform& q) { Tick(q); });
    }
    // Steers toward (x, z); true once within `near` of it (keys released).
    bool WalkTo(HeadlessPlatform& p, double x, double z, double near = 0.6) {
        const GameRun* run = CurrentGameRun();
        if (!run) return false;
        const double dx = x - ActorPos(0, 0), dz = z - ActorPos(0, 2);
        if (std::hypot(dx, dz) < near) {
            ReleaseAll(p);
            return true;
        }
        // Down walks along the camera's yaw, Right 90 degrees from it.
        const double rel = ATan2Deg(dx, dz) - run->camera[0];
        const double side = SinDeg(rel), ahead = CosDeg(rel);
        Hold(p, kKeyRight, side > 0.38);
        Hold(p, kKeyLeft, side < -0.38);
        Hold(p, kKeyDown, ahead > 0.38);
        Hold(p, kKeyUp, ahead < -0.38);
        return false;
    }
    void Hold(HeadlessPlatform& p, int key, bool down) {
        if (down) {
            p.PressKey(key);
        } else if (p.KeyDown(key)) {
            p.ReleaseKey(key);
        }
    }
    void ReleaseAll(HeadlessPlatform& p) {
        for (int key : {kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyLControl, kKeySpace}) p.ReleaseKey(key);
    }
    const std::vector<std::string> Done() const {
        std::vector<std::string> names;
        for (size_t i = 0; i < stage_ && i < tasks_.size(); ++i) names.push_back(tasks_[i].name);
        return names;
    }
    int Frames() const { return frames_; }
    // Frames spent in the current stage (for waits).
    int count = 0;

private:
    void Tick(HeadlessPlatform& p) {
        const bool playing = CurrentGameRun() != nullptr;
        if (playing && !quit_) {
            ++frames_;
            if (stage_ < tasks_.size() && frames_ < frameLimit_) {
                if (tasks_[stage_].task(*this, p)) {
                    ReleaseAll(p);
                    ++stage_;
                }
            } else {
                ReleaseAll(p);
                p.PressKey(kKeyE);
                quit_ = true;
            }
        } else if (quit_ && !playing) {
            p.ReleaseKey(kKeyE);
            if (after_) after_(p);
            return;
        }
        p.Then([this](HeadlessPlatform& q) { Tick(q); });
    }

    struct Stage {
        std::string name;
        Task task;
    };
    std::vector<Stage> tasks_;
    size_t stage_ = 0;
    int frames_ = 0;
    int frameLimit_ = 0;
    bool quit_ = false;
    std::function<void(HeadlessPlatform&)> after_;
};

// The demo route: walk to the ammunition at (-2, 6), jump, walk to (2, 12), turn to
// face the enemy at (15, 12), fire one shot and wait until that enemy is gone.
inline void PlanDemoRoute(DemoPilot& pilot, double* peakY) {
    pilot.Add("walk to the ammunition", [](DemoPilot& d, HeadlessPlatform& p) {
        return d.WalkTo(p, -2, 6, 0.4) || SpecialItems(4, 3) == -1;
    });
    pilot.Add("jump", [peakY](DemoPilot& d, HeadlessPlatform& p) {
        *peakY = std::max(*peakY, ActorPos(0, 1));
        p.PressKey(kKeyLControl);
        return ++d.count > 12;
    });
    pilot.Add("walk to the shooting spot", [](DemoPilot& d, HeadlessPlatform& p) {
        d.count = 0;
        return d.WalkTo(p, 2, 12, 0.5);
    });
    pilot.Add("face the enemy", [](DemoPilot& d, HeadlessPlatform& p) {
        const GameRun* run = CurrentGameRun();
        // One frame of a key whose heading is +x sets the facing to it.
        const double rel = 90 - run->camera[0];
        const double side = SinDeg(rel), ahead = CosDeg(rel);
        d.Hold(p, std::fabs(side) >= std::fabs(ahead) ? (side > 0 ? kKeyRight : kKeyLeft)
                                                      : (ahead > 0 ? kKeyDown : kKeyUp),
               true);
        return ++d.count > 1;
    });
    pilot.Add("fire", [](DemoPilot& d, HeadlessPlatform& p) {
        d.count = 0;
        p.PressKey(kKeySpace);
        return true;
    });
    pilot.Add("wait for the hit", [](DemoPilot& d, HeadlessPlatform&) {
        return ActorCount() < 4 || ++d.count > 60;
    });
}

}  // namespace game_test
