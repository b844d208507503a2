// SDL2 platform: the real window, OpenGL context, keyboard, mouse, joysticks and clock.
// The only file of the program that includes SDL.
#include "runtime/platform/platform.h"

#include <SDL.h>
#include <SDL_opengl.h>   // Required for: glGetString

#include <chrono>    // Required for: sleep_for
#include <cstdlib>   // Required for: setenv
#include <cstring>   // Required for: strstr, strcmp
#include <dlfcn.h>   // Required for: dlopen, dlsym (the X library SDL has loaded)
#include <deque>
#include <thread>
#include <unistd.h>  // Required for: readlink
#include <vector>

namespace {

// SDL scan code (USB usage) -> DirectInput scan code; 0 where there is none.
int DirectInputCode(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) {
        static constexpr int kLetters[26] = {
            kKeyA, kKeyB, kKeyC, kKeyD, kKeyE, kKeyF, kKeyG, kKeyH, kKeyI,
            kKeyJ, kKeyK, kKeyL, kKeyM, kKeyN, kKeyO, kKeyP, kKeyQ, kKeyR,
            kKeyS, kKeyT, kKeyU, kKeyV, kKeyW, kKeyX, kKeyY, kKeyZ};
        return kLetters[sc - SDL_SCANCODE_A];
    }
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_0) return kKey1 + (sc - SDL_SCANCODE_1);
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F10) return kKeyF1 + (sc - SDL_SCANCODE_F1);
    switch (sc) {
        case SDL_SCANCODE_RETURN: return kKeyReturn;
        case SDL_SCANCODE_ESCAPE: return kKeyEscape;
        case SDL_SCANCODE_BACKSPACE: return kKeyBack;
        case SDL_SCANCODE_TAB: return kKeyTab;
        case SDL_SCANCODE_SPACE: return kKeySpace;
        case SDL_SCANCODE_MINUS: return kKeyMinus;
        case SDL_SCANCODE_EQUALS: return kKeyEquals;
        case SDL_SCANCODE_LEFTBRACKET: return kKeyLBracket;
        case SDL_SCANCODE_RIGHTBRACKET: return kKeyRBracket;
        case SDL_SCANCODE_BACKSLASH: return kKeyBackslash;
        case SDL_SCANCODE_NONUSHASH: return kKeyBackslash;
        case SDL_SCANCODE_SEMICOLON: return kKeySemicolon;
        case SDL_SCANCODE_APOSTROPHE: return kKeyApostrophe;
        case SDL_SCANCODE_GRAVE: return kKeyGrave;
        case SDL_SCANCODE_COMMA: return kKeyComma;
        case SDL_SCANCODE_PERIOD: return kKeyPeriod;
        case SDL_SCANCODE_SLASH: return kKeySlash;
        case SDL_SCANCODE_CAPSLOCK: return kKeyCapital;
        case SDL_SCANCODE_F11: return kKeyF11;
        case SDL_SCANCODE_F12: return kKeyF12;
        case SDL_SCANCODE_F13: return kKeyF13;
        case SDL_SCANCODE_F14: return kKeyF14;
        case SDL_SCANCODE_F15: return kKeyF15;
        case SDL_SCANCODE_PRINTSCREEN: return kKeySysRq;
        case SDL_SCANCODE_SCROLLLOCK: return kKeyScroll;
        case SDL_SCANCODE_PAUSE: return kKeyPause;
        case SDL_SCANCODE_INSERT: return kKeyInsert;
        case SDL_SCANCODE_HOME: return kKeyHome;
        case SDL_SCANCODE_PAGEUP: return kKeyPrior;
        case SDL_SCANCODE_DELETE: return kKeyDelete;
        case SDL_SCANCODE_END: return kKeyEnd;
        case SDL_SCANCODE_PAGEDOWN: return kKeyNext;
        case SDL_SCANCODE_RIGHT: return kKeyRight;
        case SDL_SCANCODE_LEFT: return kKeyLeft;
        case SDL_SCANCODE_DOWN: return kKeyDown;
        case SDL_SCANCODE_UP: return kKeyUp;
        case SDL_SCANCODE_NUMLOCKCLEAR: return kKeyNumLock;
        case SDL_SCANCODE_KP_DIVIDE: return kKeyDivide;
        case SDL_SCANCODE_KP_MULTIPLY: return kKeyMultiply;
        case SDL_SCANCODE_KP_MINUS: return kKeySubtract;
        case SDL_SCANCODE_KP_PLUS: return kKeyAdd;
        case SDL_SCANCODE_KP_ENTER: return kKeyNumpadEnter;
        case SDL_SCANCODE_KP_1: return kKeyNumpad1;
        case SDL_SCANCODE_KP_2: return kKeyNumpad2;
        case SDL_SCANCODE_KP_3: return kKeyNumpad3;
        case SDL_SCANCODE_KP_4: return kKeyNumpad4;
        case SDL_SCANCODE_KP_5: return kKeyNumpad5;
        case SDL_SCANCODE_KP_6: return kKeyNumpad6;
        case SDL_SCANCODE_KP_7: return kKeyNumpad7;
        case SDL_SCANCODE_KP_8: return kKeyNumpad8;
        case SDL_SCANCODE_KP_9: return kKeyNumpad9;
        case SDL_SCANCODE_KP_0: return kKeyNumpad0;
        case SDL_SCANCODE_KP_PERIOD: return kKeyDecimal;
        case SDL_SCANCODE_KP_EQUALS: return kKeyNumpadEquals;
        case SDL_SCANCODE_KP_COMMA: return kKeyNumpadComma;
        case SDL_SCANCODE_NONUSBACKSLASH: return kKeyOem102;
        case SDL_SCANCODE_APPLICATION: return kKeyApps;
        case SDL_SCANCODE_MUTE: return kKeyMute;
        case SDL_SCANCODE_VOLUMEUP: return kKeyVolumeUp;
        case SDL_SCANCODE_VOLUMEDOWN: return kKeyVolumeDown;
        case SDL_SCANCODE_LCTRL: return kKeyLControl;
        case SDL_SCANCODE_LSHIFT: return kKeyLShift;
        case SDL_SCANCODE_LALT: return kKeyLAlt;
        case SDL_SCANCODE_LGUI: return kKeyLWin;
        case SDL_SCANCODE_RCTRL: return kKeyRControl;
        case SDL_SCANCODE_RSHIFT: return kKeyRShift;
        case SDL_SCANCODE_RALT: return kKeyRAlt;
        case SDL_SCANCODE_RGUI: return kKeyRWin;
        default: return 0;
    }
}

int ButtonBit(Uint8 sdlButton) {
    switch (sdlButton) {
        case SDL_BUTTON_LEFT: return kMouseLeft;
        case SDL_BUTTON_RIGHT: return kMouseRight;
        case SDL_BUTTON_MIDDLE: return kMouseMiddle;
        default: return 0;
    }
}

uint32_t HatAngle(Uint8 hat) {
    switch (hat) {
        case SDL_HAT_UP: return 0;
        case SDL_HAT_RIGHTUP: return 4500;
        case SDL_HAT_RIGHT: return 9000;
        case SDL_HAT_RIGHTDOWN: return 13500;
        case SDL_HAT_DOWN: return 18000;
        case SDL_HAT_LEFTDOWN: return 22500;
        case SDL_HAT_LEFT: return 27000;
        case SDL_HAT_LEFTUP: return 31500;
        default: return 0xFFFFFFFFu;
    }
}

// The picture of the program's fixed size, kept offscreen while the window has another
// size, and shown scaled at each swap. Two pictures take turns: the one last shown stays
// whole while the next is drawn, so a window that is resized or uncovered while the
// program waits for input can be shown again at once.
class PictureScaler {
public:
    // Makes the two offscreen pictures; false (for good) when the driver lacks framebuffer
    // objects or blits.
    bool Ready(int width, int height) {
        if (failed_) return false;
        if (fbo_[0] != 0 && width == width_ && height == height_) return true;
        if (!Load()) {
            failed_ = true;
            return false;
        }
        Release();
        width_ = width;
        height_ = height;
        genFramebuffers_(2, fbo_);
        genRenderbuffers_(2, colour_);
        genRenderbuffers_(2, depth_);
        for (int i = 0; i < 2; ++i) {
            bindFramebuffer_(GL_FRAMEBUFFER, fbo_[i]);
            bindRenderbuffer_(GL_RENDERBUFFER, colour_[i]);
            renderbufferStorage_(GL_RENDERBUFFER, GL_RGBA8, width, height);
            framebufferRenderbuffer_(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_[i]);
            bindRenderbuffer_(GL_RENDERBUFFER, depth_[i]);
            renderbufferStorage_(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
            framebufferRenderbuffer_(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_[i]);
            if (checkFramebufferStatus_(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) failed_ = true;
        }
        bindRenderbuffer_(GL_RENDERBUFFER, 0);
        bindFramebuffer_(GL_FRAMEBUFFER, 0);
        if (failed_) Release();
        return !failed_;
    }

    // Forgets the pictures (their context is gone or about to go).
    void Forget() {
        fbo_[0] = fbo_[1] = 0;
        active_ = false;
        shown_ = false;
    }

    bool Active() const { return active_; }

    // Presents the frame just drawn, scaled to the window's drawable, and lets the next
    // frame draw into the other picture; with `keep` false the next frame draws straight
    // into the window again.
    void Present(SDL_Window* window, int drawableW, int drawableH, bool keep) {
        if (!active_) {
            // The frame went straight to the window: take it into the picture first.
            bindFramebuffer_(GL_READ_FRAMEBUFFER, 0);
            bindFramebuffer_(GL_DRAW_FRAMEBUFFER, fbo_[current_]);
            blitFramebuffer_(0, 0, width_, height_, 0, 0, width_, height_, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        }
        Show(window, current_, drawableW, drawableH);
        shown_ = true;
        if (keep) {
            current_ ^= 1;
            bindFramebuffer_(GL_FRAMEBUFFER, fbo_[current_]);
        } else {
            bindFramebuffer_(GL_FRAMEBUFFER, 0);
        }
        active_ = keep;
    }

    // Shows the last presented picture again, leaving what the frame draws alone.
    void ShowAgain(SDL_Window* window, int drawableW, int drawableH) {
        if (!active_ || !shown_) return;
        Show(window, current_ ^ 1, drawableW, drawableH);
        bindFramebuffer_(GL_FRAMEBUFFER, fbo_[current_]);
    }

private:
    template <typename F>
    bool Get(F& fn, const char* name, const char* extName) {
        fn = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
        if (!fn && extName) fn = reinterpret_cast<F>(SDL_GL_GetProcAddress(extName));
        return fn != nullptr;
    }

    bool Load() {
        if (!SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object") &&
            !(SDL_GL_ExtensionSupported("GL_EXT_framebuffer_object") &&
              SDL_GL_ExtensionSupported("GL_EXT_framebuffer_blit"))) {
            return false;
        }
        return Get(genFramebuffers_, "glGenFramebuffers", "glGenFramebuffersEXT") &&
               Get(deleteFramebuffers_, "glDeleteFramebuffers", "glDeleteFramebuffersEXT") &&
               Get(bindFramebuffer_, "glBindFramebuffer", "glBindFramebufferEXT") &&
               Get(genRenderbuffers_, "glGenRenderbuffers", "glGenRenderbuffersEXT") &&
               Get(deleteRenderbuffers_, "glDeleteRenderbuffers", "glDeleteRenderbuffersEXT") &&
               Get(bindRenderbuffer_, "glBindRenderbuffer", "glBindRenderbufferEXT") &&
               Get(renderbufferStorage_, "glRenderbufferStorage", "glRenderbufferStorageEXT") &&
               Get(framebufferRenderbuffer_, "glFramebufferRenderbuffer", "glFramebufferRenderbufferEXT") &&
               Get(checkFramebufferStatus_, "glCheckFramebufferStatus", "glCheckFramebufferStatusEXT") &&
               Get(blitFramebuffer_, "glBlitFramebuffer", "glBlitFramebufferEXT");
    }

    void Release() {
        if (fbo_[0] == 0) return;
        deleteFramebuffers_(2, fbo_);
        deleteRenderbuffers_(2, colour_);
        deleteRenderbuffers_(2, depth_);
        Forget();
    }

    // Copies picture i into the window's back buffer with bars around it, and swaps.
    void Show(SDL_Window* window, int i, int drawableW, int drawableH) {
        const PictureFit fit = FitPicture(width_, height_, drawableW, drawableH);
        const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
        GLfloat clear[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        glDisable(GL_SCISSOR_TEST);
        bindFramebuffer_(GL_READ_FRAMEBUFFER, fbo_[i]);
        bindFramebuffer_(GL_DRAW_FRAMEBUFFER, 0);
        // Software drivers without resize events learn the window's new size here.
        glViewport(0, 0, drawableW, drawableH);
        if (fit.width < drawableW || fit.height < drawableH) {
            glClearColor(0, 0, 0, 1);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        // Window y counts from the top, OpenGL's from the bottom.
        const int y0 = drawableH - fit.y - fit.height;
        blitFramebuffer_(0, 0, width_, height_, fit.x, y0, fit.x + fit.width, y0 + fit.height,
                         GL_COLOR_BUFFER_BIT, fit.whole ? GL_NEAREST : GL_LINEAR);
        SDL_GL_SwapWindow(window);
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glClearColor(clear[0], clear[1], clear[2], clear[3]);
        if (scissor) glEnable(GL_SCISSOR_TEST);
    }

    PFNGLGENFRAMEBUFFERSPROC genFramebuffers_ = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers_ = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer_ = nullptr;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers_ = nullptr;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers_ = nullptr;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer_ = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage_ = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer_ = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus_ = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer_ = nullptr;
    GLuint fbo_[2] = {0, 0}, colour_[2] = {0, 0}, depth_[2] = {0, 0};
    int width_ = 0, height_ = 0;
    int current_ = 0;
    bool active_ = false;   // the frame draws into picture current_
    bool shown_ = false;    // picture current_ ^ 1 holds the last presented frame
    bool failed_ = false;
};

// Room the window manager's frame takes around a window before it is known.
constexpr int kAssumedFrameW = 16;
constexpr int kAssumedFrameH = 48;

// Xlib's handler type; Xlib's header is not included, its names clash with ours.
using XIOErrorHandlerFn = int (*)(void* display);

class SdlPlatformImpl : public Platform {
public:
    bool OpenWindow(const WindowRequest& request) override {
        if (window_) return true;
        // The X11 class name is read from the environment when video starts.
        setenv("SDL_VIDEO_X11_WMCLASS", request.windowClass.c_str(), 1);
        SDL_SetHint("SDL_VIDEO_X11_WMCLASS", request.windowClass.c_str());
        SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
        // The frame catches the termination signals itself: through SDL they would
        // look like a click on the close button, which asks before it ends.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
        SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
        SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
        SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
        SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
        // As large as a whole-number factor lets it be on the desktop, frame included.
        SDL_Rect usable{0, 0, request.width, request.height};
        SDL_GetDisplayUsableBounds(0, &usable);
        const int factor = WholeFactorWithin(request.width, request.height, usable.w - kAssumedFrameW,
                                             usable.h - kAssumedFrameH);
        window_ = SDL_CreateWindow(request.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                   SDL_WINDOWPOS_CENTERED, factor * request.width, factor * request.height,
                                   SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
        if (!window_) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
        context_ = SDL_GL_CreateContext(window_);
        if (!context_) {
            SDL_DestroyWindow(window_);
            window_ = nullptr;
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            return false;
        }
        SDL_GL_MakeCurrent(window_, context_);
        // The frame limit paces frames; a swap interval would add its own waits.
        SDL_GL_SetSwapInterval(0);
        title_ = request.title;
        width_ = request.width;
        height_ = request.height;
        keys_.Clear();
        buttons_.Clear();
        presses_.clear();
        SDL_PumpEvents();
        int wx = 0, wy = 0;
        SDL_GetMouseState(&wx, &wy);
        ToPicture(wx, wy, pointerX_, pointerY_);
        SDL_StartTextInput();
        CatchLostDisplay();
        return true;
    }

    void CloseWindow() override {
        scaler_.Forget();
        if (context_) SDL_GL_DeleteContext(context_);
        if (window_) SDL_DestroyWindow(window_);
        if (window_ || context_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
        context_ = nullptr;
        window_ = nullptr;
    }

    bool HasGLContext() const override { return context_ != nullptr; }

    void SetWindowTitle(const std::string& title) override {
        title_ = title;
        if (window_) SDL_SetWindowTitle(window_, title.c_str());
    }
    std::string WindowTitle() const override { return title_; }

    void ShowWindow(bool visible) override {
        if (!window_) return;
        if (visible) {
            SDL_ShowWindow(window_);
            SDL_RaiseWindow(window_);
            // Without a window manager nobody hands the focus back after a dialog,
            // and the frame would stay paused.
            SDL_SetWindowInputFocus(window_);
        } else {
            SDL_HideWindow(window_);
        }
    }

    bool EnterFullscreen(int width, int height) override {
        if (!window_) return false;
        SDL_DisplayMode want{};
        want.w = width;
        want.h = height;
        SDL_DisplayMode got{};
        const int display = SDL_GetWindowDisplayIndex(window_);
        // The picture is scaled to the desktop's mode; only without scaling must the
        // display itself switch to the picture's size.
        if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
            if (!SDL_GetClosestDisplayMode(display < 0 ? 0 : display, &want, &got)) return false;
            if (got.w != width || got.h != height) return false;
            if (SDL_SetWindowDisplayMode(window_, &got) != 0) return false;
            if (SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN) != 0) return false;
        }
        SDL_ShowWindow(window_);
        SDL_RaiseWindow(window_);
        return true;
    }

    void EnterWindowed(int width, int height) override {
        if (!window_) return;
        // Leaving full screen brings back the window's own size; the picture is scaled to
        // whatever size the user gives the window, so any size is right.
        (void)width;
        (void)height;
        if (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) {
            SDL_SetWindowFullscreen(window_, 0);
        }
        if (SDL_GetWindowFlags(window_) & SDL_WINDOW_HIDDEN) ShowWindow(true);
    }

    void GetDesktopSize(int& width, int& height) const override {
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
            width = mode.w;
            height = mode.h;
        } else {
            width = width_;
            height = height_;
        }
    }

    void GetClientSize(int& width, int& height) const override {
        width = height = 0;
        if (window_) SDL_GL_GetDrawableSize(window_, &width, &height);
    }

    // At the program's own size the frame goes straight to the window; at any other the
    // frame is drawn offscreen at that size (so pixel reads still see it) and shown scaled.
    void SwapBuffers() override {
        if (!window_) return;
        int dw = 0, dh = 0;
        SDL_GL_GetDrawableSize(window_, &dw, &dh);
        const bool scaled = (dw != width_ || dh != height_) && context_ && scaler_.Ready(width_, height_);
        if (!scaled && !scaler_.Active()) {
            SDL_GL_SwapWindow(window_);
            return;
        }
        scaler_.Present(window_, dw, dh, scaled);
    }

    void* GetGLProcAddress(const char* name) override {
        if (!context_) return nullptr;
        return SDL_GL_GetProcAddress(name);
    }

    bool IsSoftwareRenderer() override {
        if (!context_) return false;
        int accelerated = 1;
        if (SDL_GL_GetAttribute(SDL_GL_ACCELERATED_VISUAL, &accelerated) == 0 && accelerated == 0) {
            return true;
        }
        const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
        if (!renderer) return false;
        for (const char* soft : {"llvmpipe", "softpipe", "Software Rasterizer", "swrast",
                                 "GDI Generic"}) {
            if (std::strstr(renderer, soft)) return true;
        }
        return false;
    }

    void ShowMessageBox(const std::string& title, const std::string& text) override {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_WARNING, title.c_str(), text.c_str(), window_);
    }

    void PumpEvents() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) {
            Handle(e);
        }
        // A waiting program draws nothing new; the window still shows its last picture.
        if (showAgain_ && window_) {
            int dw = 0, dh = 0;
            SDL_GL_GetDrawableSize(window_, &dw, &dh);
            scaler_.ShowAgain(window_, dw, dh);
        }
        showAgain_ = false;
    }

    void PollInput() override {
        PumpEvents();
        keys_.FramePoll();
        buttons_.Poll();
    }

    void EndInputFrame() override { buttons_.EndFrame(); }

    bool TakeResized() override {
        const bool resized = resized_;
        resized_ = false;
        return resized;
    }

    void SetWindowEventHandler(std::function<void(WindowEvent)> handler) override {
        handler_ = std::move(handler);
    }

    bool KeyDown(int scan) const override {
        if (scan < 0 || scan > 255) return false;
        return keys_.IsDown(scan);
    }

    bool NextKeyPress(KeyPress& press) override {
        if (presses_.empty()) return false;
        press = presses_.front();
        presses_.pop_front();
        return true;
    }

    void GetPointer(int& x, int& y) const override {
        if (buttons_.ChangeAt(x, y)) return;
        x = pointerX_;
        y = pointerY_;
    }

    void TakeMotion(int& dx, int& dy, int& wheel) override {
        dx = motionX_;
        dy = motionY_;
        wheel = wheel_;
        motionX_ = motionY_ = wheel_ = 0;
    }

    bool KeyWasDown(int scan) const override {
        if (scan < 0 || scan > 255) return false;
        return keys_.WasDownInFrame(scan);
    }

    int MouseButtons() const override { return buttons_.Buttons(); }

    void WarpPointer(int x, int y) override {
        if (!window_) return;
        const PictureFit fit = WindowFit();
        SDL_WarpMouseInWindow(window_, fit.x + (x * fit.width + fit.width / 2) / width_,
                              fit.y + (y * fit.height + fit.height / 2) / height_);
        pointerX_ = x;
        pointerY_ = y;
        // The warp's own motion event must not count as user motion.
        SDL_PumpEvents();
        SDL_FlushEvent(SDL_MOUSEMOTION);
    }

    bool SetRelativeMouse(bool on) override {
        if (!window_) return false;
        return SDL_SetRelativeMouseMode(on ? SDL_TRUE : SDL_FALSE) == 0;
    }

    void ShowCursor(bool visible) override {
        if (visible) {
            if (!arrow_) arrow_ = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW);
            if (arrow_) SDL_SetCursor(arrow_);
        }
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }

    bool InitDevices() override {
        if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return false;
        joysticksUp_ = true;
        const int n = SDL_NumJoysticks();
        for (int i = 0; i < n && joysticks_.size() < 10; ++i) {
            if (SDL_Joystick* j = SDL_JoystickOpen(i)) joysticks_.push_back(j);
        }
        return true;
    }

    void CloseDevices() override {
        for (SDL_Joystick* j : joysticks_) SDL_JoystickClose(j);
        joysticks_.clear();
        if (joysticksUp_) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        joysticksUp_ = false;
    }

    int JoystickCount() const override { return static_cast<int>(joysticks_.size()); }

    std::string JoystickName(int index) const override {
        if (index < 0 || index >= JoystickCount()) return {};
        const char* name = SDL_JoystickName(joysticks_[index]);
        return name ? name : "";
    }

    bool ReadJoystick(int index, JoystickReading& out) override {
        if (index < 0 || index >= JoystickCount()) return false;
        SDL_Joystick* j = joysticks_[index];
        SDL_JoystickUpdate();
        out = JoystickReading{};
        const int axes = SDL_JoystickNumAxes(j);
        for (int a = 0; a < axes && a < 8; ++a) out.axes[a] = SDL_JoystickGetAxis(j, a);
        const int hats = SDL_JoystickNumHats(j);
        for (int h = 0; h < hats && h < 4; ++h) out.hats[h] = HatAngle(SDL_JoystickGetHat(j, h));
        const int buttons = SDL_JoystickNumButtons(j);
        for (int b = 0; b < buttons && b < 32; ++b) {
            out.buttons[b] = SDL_JoystickGetButton(j, b) ? 0x80 : 0;
        }
        return true;
    }

    bool HasRumble(int index) const override {
        if (index < 0 || index >= JoystickCount()) return false;
        return SDL_JoystickHasRumble(joysticks_[index]) == SDL_TRUE;
    }

    bool Rumble(int index, double low, double high, double milliseconds) override {
        if (!HasRumble(index)) return false;
        auto strength = [](double v) {
            v = !(v > 0) ? 0 : (v > 1 ? 1 : v);
            return static_cast<Uint16>(v * 65535.0);
        };
        const double ms = !(milliseconds > 0) ? 0 : (milliseconds > 4e9 ? 4e9 : milliseconds);
        return SDL_JoystickRumble(joysticks_[index], strength(low), strength(high),
                                  static_cast<Uint32>(ms)) == 0;
    }

    double NowMs() override {
        static const double frequency = static_cast<double>(SDL_GetPerformanceFrequency());
        return static_cast<double>(SDL_GetPerformanceCounter()) * 1000.0 / frequency;
    }

    void SleepMs(double ms) override {
        if (ms > 0) std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(ms));
    }

    void SpinPause() override {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_ia32_pause();
#endif
    }

    std::string ProgramDirectory() const override {
        std::vector<char> buf(4096);
        const ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size() - 1);
        if (n <= 0) return {};
        std::string path(buf.data(), static_cast<size_t>(n));
        const auto slash = path.find_last_of('/');
        if (slash == std::string::npos) return {};
        return path.substr(0, slash + 1);
    }

private:
    void Handle(const SDL_Event& e) {
        switch (e.type) {
            case SDL_QUIT:
                Deliver(WindowEvent::kCloseRequested);
                break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) Deliver(WindowEvent::kCloseRequested);
                else if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) Deliver(WindowEvent::kFocusLost);
                else if (e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED) Deliver(WindowEvent::kFocusGained);
                resized_ = resized_ || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED;
                showAgain_ = showAgain_ || e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED ||
                             e.window.event == SDL_WINDOWEVENT_EXPOSED;
                break;
            case SDL_KEYDOWN: {
                const int code = DirectInputCode(e.key.keysym.scancode);
                textForLast_ = false;
                if (code == 0 || e.key.repeat) break;
                keys_.Press(code);
                // The layout's character; the text input that follows refines it
                // (Shift, dead keys, the system layout).
                const SDL_Keycode k = e.key.keysym.sym;
                const bool shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
                // With Ctrl or (left) Alt a key gives a control code, not its character,
                // though SDL still reports the text. Right Alt stays: it is AltGr.
                const bool chord = (e.key.keysym.mod & (KMOD_CTRL | KMOD_LALT)) != 0;
                const int ch = (!chord && k >= 32 && k < 127) ? static_cast<int>(k) : 0;
                presses_.push_back({code, ch, shift, NowMs()});
                if (presses_.size() > 256) presses_.pop_front();
                textForLast_ = !chord;
                break;
            }
            case SDL_KEYUP: {
                const int code = DirectInputCode(e.key.keysym.scancode);
                if (code != 0) keys_.Release(code);
                break;
            }
            case SDL_TEXTINPUT: {
                const unsigned char c = static_cast<unsigned char>(e.text.text[0]);
                if (textForLast_ && !presses_.empty()) {
                    const bool single = c >= 32 && c < 127 && e.text.text[1] == '\0';
                    presses_.back().ch = single ? c : 0;
                }
                textForLast_ = false;
                break;
            }
            case SDL_MOUSEMOTION:
                ToPicture(e.motion.x, e.motion.y, pointerX_, pointerY_);
                motionX_ += e.motion.xrel;
                motionY_ += e.motion.yrel;
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                ToPicture(e.button.x, e.button.y, pointerX_, pointerY_);
                buttons_.Push(ButtonBit(e.button.button), e.type == SDL_MOUSEBUTTONDOWN, pointerX_, pointerY_);
                break;
            case SDL_MOUSEWHEEL:
                wheel_ += (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) ? -e.wheel.y : e.wheel.y;
                break;
            default:
                break;
        }
    }

    // Where the picture lies in the window, in window (pointer) coordinates.
    PictureFit WindowFit() const {
        int ww = width_, wh = height_;
        if (window_) SDL_GetWindowSize(window_, &ww, &wh);
        if (ww == width_ && wh == height_) return PictureFit{0, 0, width_, height_, true};
        return FitPicture(width_, height_, ww, wh);
    }

    // A window point as a point of the picture; outside the picture it lies outside
    // 0 .. size - 1, as the pointer beside a window of the picture's own size would.
    void ToPicture(int wx, int wy, int& x, int& y) const {
        const PictureFit fit = WindowFit();
        auto map = [](int v, int origin, int extent, int size) {
            const long long d = static_cast<long long>(v - origin) * size;
            return static_cast<int>(d >= 0 ? d / extent : -((-d + extent - 1) / extent));
        };
        x = map(wx, fit.x, fit.width, width_);
        y = map(wy, fit.y, fit.height, height_);
    }

    void Deliver(WindowEvent e) {
        if (handler_) handler_(e);
    }

    // Xlib ends the process when the connection to the X server breaks; before that the
    // frame gets kDisplayLost, so the shutdown steps that need no window still run.
    void CatchLostDisplay() {
        const char* driver = SDL_GetCurrentVideoDriver();
        if (!driver || std::strcmp(driver, "x11") != 0) return;
        void* xlib = dlopen("libX11.so.6", RTLD_NOW | RTLD_NOLOAD);
        if (!xlib) return;
        using SetHandlerFn = XIOErrorHandlerFn (*)(XIOErrorHandlerFn);
        if (auto set = reinterpret_cast<SetHandlerFn>(dlsym(xlib, "XSetIOErrorHandler"))) set(OnDisplayLost);
        dlclose(xlib);
    }
    static int OnDisplayLost(void*);

    SDL_Window* window_ = nullptr;
    SDL_GLContext context_ = nullptr;
    SDL_Cursor* arrow_ = nullptr;
    PictureScaler scaler_;
    bool showAgain_ = false;
    bool resized_ = false;
    std::string title_;
    int width_ = 800, height_ = 600;
    std::function<void(WindowEvent)> handler_;
    KeyLatch keys_;
    ButtonQueue buttons_;
    std::deque<KeyPress> presses_;
    bool textForLast_ = false;
    int pointerX_ = 0, pointerY_ = 0;
    int motionX_ = 0, motionY_ = 0, wheel_ = 0;
    std::vector<SDL_Joystick*> joysticks_;
    bool joysticksUp_ = false;
};

SdlPlatformImpl& TheSdlPlatform() {
    static SdlPlatformImpl platform;
    return platform;
}

int SdlPlatformImpl::OnDisplayLost(void*) {
    // Whatever the frame does must not come back here through another X call.
    static bool once = false;
    if (!once) {
        once = true;
        TheSdlPlatform().Deliver(WindowEvent::kDisplayLost);
    }
    _exit(1);
}

}  // namespace

Platform& SdlPlatform() { return TheSdlPlatform(); }

void UseOffscreenVideoWithoutDisplay() {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) setenv("SDL_VIDEODRIVER", "offscreen", 0);
}
