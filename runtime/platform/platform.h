// Platform: the one door to the window system, OpenGL context, input devices and clock.
//
// Two implementations sit behind this interface: the SDL2 one (sdl_platform.cpp, the
// only file that includes SDL) and a headless one (headless_platform.h) whose clock and
// input are scripted by tests. The frame (runtime/frame) drives either the same way.
//
// Keys are DirectInput scan codes (scancodes.h). Input reaches the platform's state
// while events are pumped; PollInput is the once-per-frame poll, which also decides
// which short key taps count as held for the coming frame (see KeyLatch).
//
// Dependencies: none (SDL2 and OpenGL in the SDL implementation only).
#pragma once

#include <array>        // Required for: std::array
#include <cstdint>      // Required for: int32_t, uint8_t, uint32_t
#include <deque>        // Required for: std::deque
#include <functional>   // Required for: std::function
#include <string>

#include "runtime/platform/scancodes.h"

// One joystick's state in the layout user code knows: axes X, Y, Z, rotations X, Y, Z,
// two sliders (-32768..32767, centre 0); four point-of-view hats in hundredths of a
// degree clockwise from up (0xFFFFFFFF when centred); 32 buttons (0x80 when down).
struct JoystickReading {
    std::array<int32_t, 8> axes{};
    std::array<uint32_t, 4> hats{0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    std::array<uint8_t, 32> buttons{};
};

// Mouse button bits as reported by Platform::MouseButtons.
enum MouseButtonBit : int { kMouseLeft = 1, kMouseRight = 2, kMouseMiddle = 4 };

struct KeyPress {
    int scan = 0;
    int ch = 0;
    bool shift = false;  // a Shift key was down at the press
    double timeMs = 0;   // the platform clock at the press
};

// Window events the frame reacts to, delivered while events are pumped. kDisplayLost
// comes from inside the window system's error path: the handler must not return and
// must not talk to the window system again.
enum class WindowEvent { kCloseRequested, kFocusLost, kFocusGained, kDisplayLost };

struct WindowRequest {
    std::string title;        // initial window text
    std::string windowClass;  // X11 class name
    int width = 800;          // client size
    int height = 600;
};

// Key states as seen per frame. A key pressed since the previous frame poll reads as
// down during the following frame even if already released, so quick taps are not lost
// at low frame rates; a release is seen at the next poll as usual. WasDownInFrame also
// counts keys released since the poll, so that chords whose keys overlap only briefly
// (Alt+F4 sent by a tool) are still recognised.
class KeyLatch {
public:
    static constexpr int kCount = 256;
    void Press(int code);
    void Release(int code);
    // The once-per-frame poll: taps since the last poll become visible for a frame.
    void FramePoll();
    bool IsDown(int code) const;
    bool WasDownInFrame(int code) const;
    void Clear();

private:
    std::array<bool, kCount> down_{};
    std::array<bool, kCount> pressedSincePoll_{};
    std::array<bool, kCount> releasedSincePoll_{};
    std::array<bool, kCount> tapped_{};
    std::array<bool, kCount> released_{};
};

// Mouse button changes in the order they came, each with the pointer position it came
// at. A poll shows the next change only once the frame's code has had the one shown
// before (EndFrame), so every press and every release reaches a frame of its own at its
// own position, however quickly they follow each other and however often the idle wait
// polls in between.
class ButtonQueue {
public:
    void Push(int bit, bool down, int x, int y);
    void Poll();
    // The frame's code has read its input.
    void EndFrame() { frameDone_ = true; }
    int Buttons() const { return buttons_; }
    // Where the change shown for the coming frame happened; false when none is shown.
    bool ChangeAt(int& x, int& y) const;
    void Clear();

private:
    struct Change {
        int bit;
        bool down;
        int x, y;
    };
    // Far more than hands make between two frames; the oldest go first beyond it.
    static constexpr size_t kMaxPending = 512;
    std::deque<Change> pending_;
    int buttons_ = 0;
    bool shown_ = false;
    bool frameDone_ = true;
    int x_ = 0, y_ = 0;
};

// Where a picture of the program's fixed size goes in a window of another size: as large
// as fits with its aspect ratio, centred, with bars beside or above it. A whole-number
// factor keeps the pixels crisp, so it is taken whenever it gives up no more than a
// twentieth of the size smooth scaling would reach.
struct PictureFit {
    int x = 0, y = 0;            // from the window's top left
    int width = 0, height = 0;
    bool whole = true;           // a whole-number factor (pixels copied, not blended)
};
PictureFit FitPicture(int pictureW, int pictureH, int windowW, int windowH);
// The largest whole-number factor (at least 1) at which the picture fits the area.
int WholeFactorWithin(int pictureW, int pictureH, int areaW, int areaH);

class Platform {
public:
    virtual ~Platform() = default;

    // Window and OpenGL context (compatibility profile, double buffered, depth >= 16).
    // Returns false with nothing created when the window or the context cannot be made.
    virtual bool OpenWindow(const WindowRequest& request) = 0;
    virtual void CloseWindow() = 0;
    virtual bool HasGLContext() const = 0;
    virtual void SetWindowTitle(const std::string& title) = 0;
    virtual std::string WindowTitle() const = 0;
    virtual void ShowWindow(bool visible) = 0;
    // Full screen at the client size; false when no such display mode exists.
    virtual bool EnterFullscreen(int width, int height) = 0;
    // Windowed at the client size (leaves full screen when active).
    virtual void EnterWindowed(int width, int height) = 0;
    virtual void GetDesktopSize(int& width, int& height) const = 0;
    // The drawable client area in pixels (0 x 0 without a window).
    virtual void GetClientSize(int& width, int& height) const = 0;
    virtual void SwapBuffers() = 0;
    virtual void* GetGLProcAddress(const char* name) = 0;
    // True when OpenGL renders in software (llvmpipe, softpipe or a driver that says so).
    virtual bool IsSoftwareRenderer() = 0;
    virtual void ShowMessageBox(const std::string& title, const std::string& text) = 0;

    // Dispatches pending events: window events go to the handler, input to the state.
    virtual void PumpEvents() = 0;
    // The once-per-frame input poll (pumps events first).
    virtual void PollInput() = 0;
    // Called once per frame after the frame's code has read its input (see ButtonQueue).
    virtual void EndInputFrame() {}
    // True once after the window changed its size: a waiting program draws again, since
    // only a picture drawn at the new size can be scaled to it.
    virtual bool TakeResized() { return false; }
    virtual void SetWindowEventHandler(std::function<void(WindowEvent)> handler) = 0;

    // Keyboard: scan code 0..255 down (including taps since the last frame poll).
    virtual bool KeyDown(int scan) const = 0;
    // Down now or at any moment between the last two frame polls (for key chords).
    virtual bool KeyWasDown(int scan) const = 0;
    // The next key press not yet taken, in order (auto-repeat excluded), with the
    // character it typed through the keyboard layout (32..126, else 0).
    virtual bool NextKeyPress(KeyPress& press) = 0;

    // Mouse: the system cursor in client pixels (where the button change shown for this
    // frame happened, while one is), motion accumulated since the last take (relative
    // motion, also while captured), wheel steps since the last take.
    virtual void GetPointer(int& x, int& y) const = 0;
    virtual void TakeMotion(int& dx, int& dy, int& wheel) = 0;
    virtual int MouseButtons() const = 0;   // MouseButtonBit flags, as shown for this frame
    virtual void WarpPointer(int x, int y) = 0;
    // Captured relative motion with a hidden cursor; false when unavailable.
    virtual bool SetRelativeMouse(bool on) = 0;
    virtual void ShowCursor(bool visible) = 0;

    // Joysticks: opened at InitDevices; false from InitDevices when the joystick
    // subsystem is missing.
    virtual bool InitDevices() = 0;
    virtual void CloseDevices() = 0;
    virtual int JoystickCount() const = 0;
    virtual std::string JoystickName(int index) const = 0;
    virtual bool ReadJoystick(int index, JoystickReading& out) = 0;
    virtual bool HasRumble(int index) const = 0;
    // Strengths 0..1 for the low and high frequency motors.
    virtual bool Rumble(int index, double low, double high, double milliseconds) = 0;

    // Clock in milliseconds (fractional), sleeping, and a short pause inside spin waits.
    virtual double NowMs() = 0;
    virtual void SleepMs(double ms) = 0;
    virtual void SpinPause() = 0;

    // The directory the program file lies in, with a trailing "/"; empty if unknown.
    virtual std::string ProgramDirectory() const = 0;

    // A platform that answers file dialogs itself (the headless one: scripted answers)
    // returns true with the answer; the system dialog is used otherwise.
    virtual bool AnswerFileDialog(const std::string& filter, bool open, std::string& answer) {
        (void)filter; (void)open; (void)answer;
        return false;
    }
    // True on platforms without a real screen (no system dialogs, no message boxes).
    virtual bool IsHeadless() const { return false; }
};

// Selects the platform the runtime uses; nullptr selects the SDL2 one (the default).
void UsePlatform(Platform* platform);
Platform& GetPlatform();
// The SDL2 implementation (one per process).
Platform& SdlPlatform();
// Where no display exists, lets the SDL2 window open on the offscreen video driver (EGL),
// so programs nobody sits at still get an OpenGL context.
void UseOffscreenVideoWithoutDisplay();
