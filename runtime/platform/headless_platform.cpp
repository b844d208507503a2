// Headless platform: virtual clock, scripted input, recorded window and dialog calls.
#include "runtime/platform/headless_platform.h"

#include <filesystem>   // Required for: current_path
#include <utility>

HeadlessPlatform::HeadlessPlatform() = default;

HeadlessPlatform& HeadlessPlatform::Then(Step step) {
    script_.push_back(std::move(step));
    return *this;
}

HeadlessPlatform& HeadlessPlatform::Idle(int frames) {
    for (int i = 0; i < frames; ++i) script_.push_back({});
    return *this;
}

void HeadlessPlatform::OnPoll(PollCallback callback) { onPoll_ = std::move(callback); }

void HeadlessPlatform::Reset() {
    script_.clear();
    onPoll_ = {};
    keys_.Clear();
    buttons_.Clear();
    presses_.clear();
    motionX_ = motionY_ = wheel_ = 0;
    pending_.clear();
    fileAnswers_.clear();
    fileCalls_.clear();
    joysticks_.clear();
    rumbles_.clear();
    messageBoxes_.clear();
    polls_ = 0;
}

void HeadlessPlatform::PressKey(int scan) {
    if (scan < 0 || scan > 255) return;
    const bool shift = keys_.IsDown(kKeyLShift) || keys_.IsDown(kKeyRShift);
    presses_.push_back({scan, UsLayoutChar(scan, shift), shift, now_});
    if (presses_.size() > 256) presses_.pop_front();
    keys_.Press(scan);
}

void HeadlessPlatform::ReleaseKey(int scan) {
    if (scan < 0 || scan > 255) return;
    keys_.Release(scan);
}

void HeadlessPlatform::TapKey(int scan) {
    PressKey(scan);
    ReleaseKey(scan);
}

void HeadlessPlatform::TypeChar(char c) {
    int scan = 0;
    bool shift = false;
    if (!UsLayoutKeyFor(static_cast<unsigned char>(c), scan, shift)) return;
    if (shift) keys_.Press(kKeyLShift);
    TapKey(scan);
    presses_.back().shift = shift;
    presses_.back().ch = static_cast<unsigned char>(c);
    if (shift) keys_.Release(kKeyLShift);
}

void HeadlessPlatform::MovePointer(int x, int y) {
    motionX_ += x - pointerX_;
    motionY_ += y - pointerY_;
    pointerX_ = x;
    pointerY_ = y;
}

void HeadlessPlatform::MovePointerBy(int dx, int dy) {
    motionX_ += dx;
    motionY_ += dy;
    if (!relativeMouse_) {
        pointerX_ += dx;
        pointerY_ += dy;
    }
}

void HeadlessPlatform::PressButton(int bit) { buttons_.Push(bit, true, pointerX_, pointerY_); }
void HeadlessPlatform::ReleaseButton(int bit) { buttons_.Push(bit, false, pointerX_, pointerY_); }

void HeadlessPlatform::Click(int bit) {
    PressButton(bit);
    ReleaseButton(bit);
}

void HeadlessPlatform::TurnWheel(int steps) { wheel_ += steps; }

void HeadlessPlatform::SetFocus(bool focused) {
    pending_.push_back(focused ? WindowEvent::kFocusGained : WindowEvent::kFocusLost);
}

void HeadlessPlatform::RequestClose() { pending_.push_back(WindowEvent::kCloseRequested); }

void HeadlessPlatform::AddJoystick(const std::string& name, bool rumble) {
    joysticks_.push_back({name, rumble, JoystickReading{}});
}

void HeadlessPlatform::SetJoystickState(int index, const JoystickReading& reading) {
    if (index >= 0 && index < JoystickCount()) joysticks_[index].state = reading;
}

bool HeadlessPlatform::OpenWindow(const WindowRequest& request) {
    title_ = request.title;
    width_ = request.width;
    height_ = request.height;
    windowOpen_ = true;
    windowVisible_ = true;
    return true;
}

void HeadlessPlatform::CloseWindow() {
    windowOpen_ = false;
    windowVisible_ = false;
}

bool HeadlessPlatform::EnterFullscreen(int, int) {
    if (!fullscreenAvailable_) return false;
    fullscreen_ = true;
    windowVisible_ = true;
    return true;
}

void HeadlessPlatform::EnterWindowed(int, int) {
    fullscreen_ = false;
    windowVisible_ = true;
}

void HeadlessPlatform::GetDesktopSize(int& width, int& height) const {
    width = 1024;
    height = 768;
}

void HeadlessPlatform::GetClientSize(int& width, int& height) const {
    width = windowOpen_ ? width_ : 0;
    height = windowOpen_ ? height_ : 0;
}

void HeadlessPlatform::ShowMessageBox(const std::string& title, const std::string& text) {
    messageBoxes_.push_back(title + "\n" + text);
}

void HeadlessPlatform::PumpEvents() {
    // Handlers may end the program (close): take the events out first.
    std::vector<WindowEvent> events;
    events.swap(pending_);
    for (WindowEvent e : events) {
        if (handler_) handler_(e);
    }
}

void HeadlessPlatform::PollInput() {
    if (polls_ >= pollLimit_) {
        throw HeadlessPollLimit("headless run exceeded its poll limit of " +
                                std::to_string(pollLimit_));
    }
    const int poll = polls_++;
    if (!script_.empty()) {
        Step step = std::move(script_.front());
        script_.pop_front();
        if (step) step(*this);
    }
    if (onPoll_) onPoll_(*this, poll);
    keys_.FramePoll();
    buttons_.Poll();
    PumpEvents();
}

void HeadlessPlatform::SetWindowEventHandler(std::function<void(WindowEvent)> handler) {
    handler_ = std::move(handler);
}

bool HeadlessPlatform::KeyDown(int scan) const {
    if (scan < 0 || scan > 255) return false;
    return keys_.IsDown(scan);
}

bool HeadlessPlatform::NextKeyPress(KeyPress& press) {
    if (presses_.empty()) return false;
    press = presses_.front();
    presses_.pop_front();
    return true;
}

void HeadlessPlatform::GetPointer(int& x, int& y) const {
    if (buttons_.ChangeAt(x, y)) return;
    x = pointerX_;
    y = pointerY_;
}

void HeadlessPlatform::TakeMotion(int& dx, int& dy, int& wheel) {
    dx = motionX_;
    dy = motionY_;
    wheel = wheel_;
    motionX_ = motionY_ = wheel_ = 0;
}

bool HeadlessPlatform::KeyWasDown(int scan) const {
    if (scan < 0 || scan > 255) return false;
    return keys_.WasDownInFrame(scan);
}

int HeadlessPlatform::MouseButtons() const { return buttons_.Buttons(); }

void HeadlessPlatform::WarpPointer(int x, int y) {
    // A warp moves the cursor without producing motion.
    pointerX_ = x;
    pointerY_ = y;
}

bool HeadlessPlatform::SetRelativeMouse(bool on) {
    if (on && !relativeAvailable_) return false;
    relativeMouse_ = on;
    cursorVisible_ = !on;
    return true;
}

std::string HeadlessPlatform::JoystickName(int index) const {
    if (index < 0 || index >= JoystickCount()) return {};
    return joysticks_[index].name;
}

bool HeadlessPlatform::ReadJoystick(int index, JoystickReading& out) {
    if (index < 0 || index >= JoystickCount()) return false;
    out = joysticks_[index].state;
    return true;
}

bool HeadlessPlatform::HasRumble(int index) const {
    return index >= 0 && index < JoystickCount() && joysticks_[index].rumble;
}

bool HeadlessPlatform::Rumble(int index, double low, double high, double milliseconds) {
    if (!HasRumble(index)) return false;
    rumbles_.push_back({index, low, high, milliseconds});
    return true;
}

void HeadlessPlatform::SleepMs(double ms) {
    if (ms > 0) now_ += ms;
}

std::string HeadlessPlatform::ProgramDirectory() const {
    std::error_code ec;
    std::string dir = std::filesystem::current_path(ec).string();
    if (ec || dir.empty()) return {};
    if (dir.back() != '/') dir += '/';
    return dir;
}

bool HeadlessPlatform::AnswerFileDialog(const std::string& filter, bool open, std::string& answer) {
    fileCalls_.push_back({filter, open});
    if (fileAnswers_.empty()) return false;
    answer = fileAnswers_.front();
    fileAnswers_.pop_front();
    return true;
}
