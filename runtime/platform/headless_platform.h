// Headless platform: no window and no OpenGL; a virtual clock and scripted input.
//
// Tests drive loops that run inside FlipScreen by scripting input frame by frame:
// every frame poll (PollInput) runs the next queued step and then the poll callback.
// Sleeping and spin waits advance the virtual clock, so frame loops never hang; a
// loop that runs past the poll limit throws HeadlessPollLimit (a test failure instead
// of a hang). A script usually ends its loop with EndProgram, caught by the test's
// end hook (tests/support/ends_program.h).
//
// Dependencies: platform.
#pragma once

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "runtime/platform/platform.h"

// Thrown when a scripted run polls more often than its limit allows.
struct HeadlessPollLimit : std::runtime_error {
    using std::runtime_error::runtime_error;
};

class HeadlessPlatform : public Platform {
public:
    using Step = std::function<void(HeadlessPlatform&)>;
    using PollCallback = std::function<void(HeadlessPlatform&, int poll)>;

    HeadlessPlatform();

    // --- Script --------------------------------------------------------------------
    // Appends a step run at one coming frame poll (steps run one per poll, in order).
    HeadlessPlatform& Then(Step step);
    // Appends frames without input.
    HeadlessPlatform& Idle(int frames);
    // Called at every frame poll after the step, with the number of that poll.
    void OnPoll(PollCallback callback);
    int PollCount() const { return polls_; }
    bool ScriptDone() const { return script_.empty(); }
    void SetPollLimit(int polls) { pollLimit_ = polls; }
    // Clears the script, the input state and the recorded requests (not the clock).
    void Reset();

    // --- Input (immediate; usually called from a step) -------------------------------
    void PressKey(int scan);
    void ReleaseKey(int scan);
    // Down and up before the next poll: reads as held for one frame.
    void TapKey(int scan);
    // Taps the US-layout key for c (with Shift when needed) and gives it the character.
    void TypeChar(char c);
    void MovePointer(int x, int y);      // absolute, client pixels
    void MovePointerBy(int dx, int dy);  // relative motion (moves the cursor too)
    void PressButton(int bit);           // MouseButtonBit
    void ReleaseButton(int bit);
    void Click(int bit);                 // press and release: down for one frame, then up
    void TurnWheel(int steps);
    void SetFocus(bool focused);
    void RequestClose();

    // --- Clock, dialogs, devices ---------------------------------------------------------
    void AdvanceClock(double ms) { now_ += ms; }
    void QueueFileAnswer(const std::string& answer) { fileAnswers_.push_back(answer); }
    struct FileDialogCall {
        std::string filter;
        bool open;
    };
    const std::vector<FileDialogCall>& FileDialogCalls() const { return fileCalls_; }
    void AddJoystick(const std::string& name, bool rumble = false);
    void SetJoystickState(int index, const JoystickReading& reading);
    struct RumbleCall {
        int index;
        double low, high, ms;
    };
    const std::vector<RumbleCall>& RumbleCalls() const { return rumbles_; }
    const std::vector<std::string>& MessageBoxes() const { return messageBoxes_; }
    bool WindowOpen() const { return windowOpen_; }
    bool WindowVisible() const { return windowVisible_; }
    bool Fullscreen() const { return fullscreen_; }
    void SetFullscreenAvailable(bool available) { fullscreenAvailable_ = available; }
    bool RelativeMouse() const { return relativeMouse_; }
    bool CursorVisible() const { return cursorVisible_; }
    void SetRelativeMouseAvailable(bool available) { relativeAvailable_ = available; }

    // --- Platform ----------------------------------------------------------------------
    bool OpenWindow(const WindowRequest& request) override;
    void CloseWindow() override;
    bool HasGLContext() const override { return false; }
    void SetWindowTitle(const std::string& title) override { title_ = title; }
    std::string WindowTitle() const override { return title_; }
    void ShowWindow(bool visible) override { windowVisible_ = visible; }
    bool EnterFullscreen(int width, int height) override;
    void EnterWindowed(int width, int height) override;
    void GetDesktopSize(int& width, int& height) const override;
    void GetClientSize(int& width, int& height) const override;
    void SwapBuffers() override { ++swaps_; }
    int SwapCount() const { return swaps_; }
    void* GetGLProcAddress(const char*) override { return nullptr; }
    bool IsSoftwareRenderer() override { return false; }
    void ShowMessageBox(const std::string& title, const std::string& text) override;
    void PumpEvents() override;
    void PollInput() override;
    void EndInputFrame() override { buttons_.EndFrame(); }
    void SetWindowEventHandler(std::function<void(WindowEvent)> handler) override;
    bool KeyDown(int scan) const override;
    bool KeyWasDown(int scan) const override;
    bool NextKeyPress(KeyPress& press) override;
    void GetPointer(int& x, int& y) const override;
    void TakeMotion(int& dx, int& dy, int& wheel) override;
    int MouseButtons() const override;
    void WarpPointer(int x, int y) override;
    bool SetRelativeMouse(bool on) override;
    void ShowCursor(bool visible) override { cursorVisible_ = visible; }
    bool InitDevices() override { return true; }
    void CloseDevices() override {}
    int JoystickCount() const override { return static_cast<int>(joysticks_.size()); }
    std::string JoystickName(int index) const override;
    bool ReadJoystick(int index, JoystickReading& out) override;
    bool HasRumble(int index) const override;
    bool Rumble(int index, double low, double high, double milliseconds) override;
    double NowMs() override { return now_; }
    void SleepMs(double ms) override;
    void SpinPause() override { now_ += 0.25; }
    std::string ProgramDirectory() const override;
    bool AnswerFileDialog(const std::string& filter, bool open, std::string& answer) override;
    bool IsHeadless() const override { return true; }

private:
    struct Joystick {
        std::string name;
        bool rumble;
        JoystickReading state;
    };

    std::deque<Step> script_;
    PollCallback onPoll_;
    int polls_ = 0;
    int pollLimit_ = 100000;
    double now_ = 1000.0;
    std::string title_;
    int width_ = 0, height_ = 0;
    bool windowOpen_ = false;
    bool windowVisible_ = false;
    bool fullscreen_ = false;
    bool fullscreenAvailable_ = false;
    int swaps_ = 0;
    KeyLatch keys_;
    ButtonQueue buttons_;
    std::deque<KeyPress> presses_;
    int pointerX_ = 0, pointerY_ = 0;
    int motionX_ = 0, motionY_ = 0, wheel_ = 0;
    bool relativeMouse_ = false;
    bool relativeAvailable_ = true;
    bool cursorVisible_ = true;
    std::vector<WindowEvent> pending_;
    std::function<void(WindowEvent)> handler_;
    std::deque<std::string> fileAnswers_;
    std::vector<FileDialogCall> fileCalls_;
    std::vector<Joystick> joysticks_;
    std::vector<RumbleCall> rumbles_;
    std::vector<std::string> messageBoxes_;
};
