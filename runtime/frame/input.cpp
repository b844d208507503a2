// Input devices: keyboard, once-per-frame mouse motion, typed characters, joysticks.
#include "runtime/frame/input.h"

#include <algorithm>   // Required for: clamp
#include <array>

#include "runtime/frame/frame.h"
#include "runtime/frame/program.h"

namespace {

// Key presses typed while nothing read characters (no text field was active for this
// long) are stale and must not appear in the next text field. While a reader calls
// regularly, nothing typed is dropped, however fast it came.
constexpr double kReaderGoneMs = 500.0;

struct InputState {
    bool created = false;
    int pointerX = 100, pointerY = 100;
    bool systemPointer = false;
    bool newFrame = true;
    double lastCharRead = -1e300;
    int frameDeltaX = 0, frameDeltaY = 0, frameWheel = 0;
    // Per key: the flip count + 1 of the poll that saw it go down, until KeyHit takes
    // it (0: none); whether it was down at the last poll.
    std::array<double, KeyLatch::kCount> hitFlip{};
    std::array<bool, KeyLatch::kCount> downAtPoll{};
    // What WaitForInput saw last, to notice a change.
    int waitX = 0, waitY = 0;
    bool waitLeft = false, waitRight = false, waitMiddle = false;
    // Frame polls so far, and their count when the last wait ended.
    long long polls = 0, pollsAtWaitEnd = -1;
};

InputState& Input() {
    static InputState state;
    return state;
}

void ClampPointer() {
    int w = 0, h = 0;
    GetDisplaySize(w, h);
    InputState& in = Input();
    in.pointerX = std::clamp(in.pointerX, 0, std::max(0, w - 1));
    in.pointerY = std::clamp(in.pointerY, 0, std::max(0, h - 1));
}

bool IsModifier(int scan) {
    switch (scan) {
        case kKeyLControl: case kKeyLShift: case kKeyRShift: case kKeyLAlt:
        case kKeyCapital: case kKeyNumLock: case kKeyApps:
        case kKeyRControl: case kKeyRAlt: case kKeyLWin: case kKeyRWin:
            return true;
        default:
            return false;
    }
}

// The character a key press gives, or -1.
int PressChar(const KeyPress& press) {
    if (press.scan == kKeyReturn || press.scan == kKeyNumpadEnter) return 10;
    if (press.scan == kKeyBack) return 8;
    if (IsModifier(press.scan)) return -1;
    if (press.ch < 32 || press.ch >= 127) return -1;
    return press.ch;
}

}  // namespace

void InitInput(bool wantMouse) {
    InputState& in = Input();
    Platform& p = GetPlatform();
    in = InputState{};
    if (!p.InitDevices()) AppendErrorLog("No DX_Input");
    p.GetPointer(in.pointerX, in.pointerY);
    in.systemPointer = false;
    if (wantMouse) {
        if (!p.SetRelativeMouse(true)) AppendErrorLog("No DX_Mouse");
    }
    int dx, dy, wheel;
    p.TakeMotion(dx, dy, wheel);
    in.waitX = in.pointerX;
    in.waitY = in.pointerY;
    in.created = true;
}

void ShutdownInput() {
    InputState& in = Input();
    if (!in.created) return;
    SetSystemPointer(1);
    GetPlatform().CloseDevices();
    in.created = false;
}

void PollInputFrame() {
    Platform& p = GetPlatform();
    p.PollInput();
    InputState& in = Input();
    in.newFrame = true;
    for (int scan = 0; scan < KeyLatch::kCount; ++scan) {
        const bool down = p.KeyDown(scan);
        if (down && !in.downAtPoll[scan]) in.hitFlip[scan] = FlipCount() + 1;
        in.downAtPoll[scan] = down;
    }
    ++in.polls;
}

Number KeyState(Number code) {
    Platform& p = GetPlatform();
    p.PumpEvents();
    return p.KeyDown(ToInt(code) & 0xFF) ? 1.0 : 0.0;
}

bool ModifierHeld(Number code) { return GetPlatform().KeyWasDown(ToInt(code) & 0xFF); }

Number KeyHit(Number code) {
    double& flip = Input().hitFlip[ToInt(code) & 0xFF];
    if (flip != FlipCount() + 1) return 0;
    flip = 0;
    return 1;
}

MouseReading ReadMouse() {
    InputState& in = Input();
    Platform& p = GetPlatform();
    if (in.newFrame) {
        in.newFrame = false;
        int dx = 0, dy = 0, wheel = 0;
        p.TakeMotion(dx, dy, wheel);
        in.frameWheel = (wheel > 0) - (wheel < 0);
        if (!in.systemPointer) {
            in.frameDeltaX = dx;
            in.frameDeltaY = dy;
            in.pointerX += dx;
            in.pointerY += dy;
        } else {
            int x = 0, y = 0;
            p.GetPointer(x, y);
            in.frameDeltaX = x - in.pointerX;
            in.frameDeltaY = y - in.pointerY;
            in.pointerX = x;
            in.pointerY = y;
        }
    }
    MouseReading r;
    r.deltaX = in.frameDeltaX;
    r.deltaY = in.frameDeltaY;
    r.wheel = in.frameWheel;
    const int buttons = p.MouseButtons();
    r.left = buttons & kMouseLeft;
    r.right = buttons & kMouseRight;
    r.middle = buttons & kMouseMiddle;
    return r;
}

void MouseState(Number& x, Number& y, Number& left, Number& right) {
    const MouseReading r = ReadMouse();
    ClampPointer();
    x = Input().pointerX;
    y = Input().pointerY;
    left = r.left ? 1 : 0;
    right = r.right ? 1 : 0;
}

Number MouseAxis(Number n) {
    const MouseReading r = ReadMouse();
    switch (ToInt(n)) {
        case 0: return r.deltaX;
        case 1: return r.deltaY;
        case 2: return r.wheel;
        case 3: return r.left ? 1 : 0;
        case 4: return r.right ? 1 : 0;
        case 5: return r.middle ? 1 : 0;
        default: return 0;
    }
}

void SetMousePosition(Number x, Number y) {
    Input().pointerX = ToInt(x);
    Input().pointerY = ToInt(y);
}

void SetSystemPointer(Number flag) {
    InputState& in = Input();
    const bool on = (flag != 0);
    if (on == in.systemPointer) return;
    in.systemPointer = on;
    Platform& p = GetPlatform();
    if (!in.created) return;
    p.SetRelativeMouse(!on);
    if (on) {
        p.WarpPointer(in.pointerX, in.pointerY);
        p.ShowCursor(true);
    }
    // Motion from before the switch belongs to the other mode.
    int dx, dy, wheel;
    p.TakeMotion(dx, dy, wheel);
}

bool SystemPointer() { return Input().systemPointer; }

StrValue ReadKeyChar() {
    Platform& p = GetPlatform();
    p.PumpEvents();
    const double now = p.NowMs();
    InputState& in = Input();
    const bool readerWasGone = now - in.lastCharRead > kReaderGoneMs;
    in.lastCharRead = now;
    KeyPress press;
    while (p.NextKeyPress(press)) {
        if (readerWasGone && now - press.timeMs > kReaderGoneMs) continue;
        int c = PressChar(press);
        if (c < 0) continue;
        if (press.shift && c >= 'a' && c <= 'z') {
            c -= 'a' - 'A';
        }
        const char text[2] = {static_cast<char>(c), '\0'};
        return StrValue(text);
    }
    return StrValue();
}

namespace {

bool AnyKeyDown(Platform& p) {
    for (int scan = 0; scan < 255; ++scan) {
        if (p.KeyDown(scan)) return true;
    }
    return false;
}

// The passes of WaitForInput; keepFrameKey skips the first poll.
void WaitPasses(bool keepFrameKey) {
    InputState& in = Input();
    Platform& p = GetPlatform();
    for (int pass = 0; pass < 8; ++pass) {
        if (pass > 0 || !keepFrameKey) PollInputFrame();
        // A quick Alt+F4 seen by this poll is gone by the next FlipScreen's poll, which
        // answers the request.
        if ((EscapeAllowed() && p.KeyDown(kKeyEscape)) || (p.KeyWasDown(kKeyLAlt) && p.KeyWasDown(kKeyF4))) {
            RequestQuit();
        }
        if (QuitRequested() || p.TakeResized()) return;
        TakeFullscreenKey();
        if (AnyKeyDown(p)) return;
        const MouseReading r = ReadMouse();
        ClampPointer();
        // A wheel step is kept for the next frame's reads only if the wait ends here.
        if (in.pointerX != in.waitX || in.pointerY != in.waitY || r.left != in.waitLeft ||
            r.right != in.waitRight || r.middle != in.waitMiddle || r.wheel != 0) {
            in.waitX = in.pointerX;
            in.waitY = in.pointerY;
            in.waitLeft = r.left;
            in.waitRight = r.right;
            in.waitMiddle = r.middle;
            return;
        }
        for (int j = p.JoystickCount() - 1; j >= 0; --j) {
            JoystickReading js;
            if (!p.ReadJoystick(j, js)) continue;
            for (uint8_t b : js.buttons) {
                if (b & 0x80) return;
            }
            for (int a = 0; a < 3; ++a) {
                if (std::clamp(js.axes[a] / 32767.0, -1.0, 1.0) != 0.0) return;
            }
            const uint32_t hat = js.hats[0];
            if (hat == 0 || hat == 9000 || hat == 18000 || hat == 27000) return;
        }
        p.SleepMs(30);
    }
}

}  // namespace

void WaitForInput() {
    InputState& in = Input();
    // A key tapped just before the frame's own poll shows until the next poll only: after
    // a frame that polled, a key down is left for the next frame rather than polled away.
    const bool frameKey = in.polls != in.pollsAtWaitEnd && AnyKeyDown(GetPlatform());
    WaitPasses(frameKey);
    in.pollsAtWaitEnd = in.polls;
}

Number JoystickCount() { return GetPlatform().JoystickCount(); }

StrValue JoystickName(Number index) {
    const int i = ToInt(index);
    return StrValue(GetPlatform().JoystickName(i));
}

Number ReadJoystick(Number index, JoystickReading& reading) {
    reading = JoystickReading{};
    return GetPlatform().ReadJoystick(ToInt(index), reading) ? 1 : 0;
}

void JoystickRumble(Number index, Number seconds, Number forceX, Number forceY) {
    auto force = [](Number f) { return f != f ? 0.0 : std::clamp(static_cast<double>(f), -1.0, 1.0); };
    const double fx = force(forceX);
    const double fy = force(forceY);
    // The push's magnitude: (fx² + fy²) / 2, driving both motors.
    const double strength = (fx * fx + fy * fy) * 0.5;
    GetPlatform().Rumble(ToInt(index), strength, strength, static_cast<double>(seconds) * 1000.0);
}
