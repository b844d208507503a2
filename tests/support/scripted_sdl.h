// The real SDL platform with the user's input and clock replaced by a script: window and
// OpenGL go to the inner platform, while keys, pointer, buttons and time are the test's.
// Picture tests use it to drive a dialog's own loop on real OpenGL.
#pragma once

#include <functional>
#include <string>

#include "runtime/platform/platform.h"

class ScriptedSdlBase : public Platform {
public:
    explicit ScriptedSdlBase(Platform& inner) : in_(inner) {}

    bool OpenWindow(const WindowRequest& r) override { return in_.OpenWindow(r); }
    void CloseWindow() override { in_.CloseWindow(); }
    bool HasGLContext() const override { return in_.HasGLContext(); }
    void SetWindowTitle(const std::string& t) override { in_.SetWindowTitle(t); }
    std::string WindowTitle() const override { return in_.WindowTitle(); }
    void ShowWindow(bool v) override { in_.ShowWindow(v); }
    bool EnterFullscreen(int w, int h) override { return in_.EnterFullscreen(w, h); }
    void EnterWindowed(int w, int h) override { in_.EnterWindowed(w, h); }
    void GetDesktopSize(int& w, int& h) const override { in_.GetDesktopSize(w, h); }
    void GetClientSize(int& w, int& h) const override { in_.GetClientSize(w, h); }
    void SwapBuffers() override { in_.SwapBuffers(); }
    void* GetGLProcAddress(const char* name) override { return in_.GetGLProcAddress(name); }
    bool IsSoftwareRenderer() override { return in_.IsSoftwareRenderer(); }
    void ShowMessageBox(const std::string& t, const std::string& x) override { in_.ShowMessageBox(t, x); }
    void PumpEvents() override { in_.PumpEvents(); }
    void PollInput() override { in_.PollInput(); }
    void SetWindowEventHandler(std::function<void(WindowEvent)> h) override { in_.SetWindowEventHandler(h); }
    bool KeyDown(int) const override { return false; }
    bool KeyWasDown(int) const override { return false; }
    bool NextKeyPress(KeyPress&) override { return false; }
    void GetPointer(int& x, int& y) const override {
        x = pointerX_;
        y = pointerY_;
    }
    // The real pointer's motion is taken and thrown away, so it cannot leak into the script.
    void TakeMotion(int& dx, int& dy, int& wheel) override {
        int ignored[3];
        in_.TakeMotion(ignored[0], ignored[1], ignored[2]);
        dx = dy = wheel = 0;
    }
    int MouseButtons() const override { return buttons_; }
    void WarpPointer(int, int) override {}
    bool SetRelativeMouse(bool) override { return false; }
    void ShowCursor(bool v) override { in_.ShowCursor(v); }
    bool InitDevices() override { return in_.InitDevices(); }
    void CloseDevices() override { in_.CloseDevices(); }
    int JoystickCount() const override { return 0; }
    std::string JoystickName(int) const override { return ""; }
    bool ReadJoystick(int, JoystickReading&) override { return false; }
    bool HasRumble(int) const override { return false; }
    bool Rumble(int, double, double, double) override { return false; }
    // A clock of its own that only waiting advances, so blinks and previews show the same
    // phase in every run, however fast the machine draws.
    double NowMs() override { return clockMs_; }
    void SleepMs(double ms) override { clockMs_ += ms > 0 ? ms : 0; }
    void SpinPause() override { clockMs_ += 0.25; }
    std::string ProgramDirectory() const override { return in_.ProgramDirectory(); }

protected:
    Platform& in_;
    int pointerX_ = 0;
    int pointerY_ = 0;
    int buttons_ = 0;
    double clockMs_ = 0;
};
