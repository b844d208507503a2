// The application frame: start-up, FlipScreen and frame pacing, display modes, viewport.
#include "runtime/frame/frame.h"

#include <GL/gl.h>     // Required for: the viewport and 2D state
#include <cctype>      // Required for: toupper
#include <cmath>       // Required for: ceil
#include <cstdio>      // Required for: fprintf, snprintf
#include <cstdlib>     // Required for: getenv, exit
#include <cstring>     // Required for: strlen, strncmp
#include <unistd.h>    // Required for: chdir
#include <utility>
#include <vector>

#include "runtime/frame/numbers.h"
#include "runtime/platform/platform.h"

namespace {

// The frame wait sleeps until this long before the deadline and spins the rest, which
// meets the deadline as exactly as a pure busy wait while leaving the core idle.
constexpr double kSpinMarginMs = 1.5;

struct FlipHook {
    std::string name;
    std::function<void()> run;
};

struct FrameState {
    RuntimeSettings settings;
    StrValue commandLine;
    StrValue windowTitle;
    bool started = false;
    bool glReady = false;
    int contextSerial = 0;
    bool paused = false;
    bool escapeAllowed = true;
    bool fullscreen = false;
    bool f11Down = false;
    bool quitRequested = false;
    bool askingToQuit = false;
    // The window system connection is gone: nothing may talk to it any more.
    bool displayLost = false;
    std::function<bool()> mayQuit;
    double lastFlip = 0;
    double prevFlip = 0;
    double startTime = 0;
    double flips = 0;
    double nextDeadline = 0;
    double frameInterval = 1000.0 / 60.0;
    int displayWidth = 800;
    int displayHeight = 600;
    ViewportRect viewport;
    std::vector<FlipHook> flipHooks;
    std::function<void()> startupHook;
};

FrameState& Frame() {
    static FrameState state;
    return state;
}

double Now() { return GetPlatform().NowMs(); }

double IntervalFor(Number fps) {
    const int32_t f = ToInt(fps);
    return f > 0 ? 1000.0 / f : 2.0;
}

bool Automated() {
    const char* v = std::getenv("ZENTROVEL_AUTOMATED");
    return v && *v;
}

void HandleWindowEvent(WindowEvent e) {
    FrameState& s = Frame();
    switch (e) {
        case WindowEvent::kCloseRequested:
            RequestQuit();
            return;
        case WindowEvent::kDisplayLost:
            s.displayLost = true;
            s.glReady = false;
            SetEndCode(0);
            EndProgram();
        case WindowEvent::kFocusLost:
            if (s.settings.debugMode) return;
            GetPlatform().SetWindowTitle((s.windowTitle + " <pause>").Std());
            s.paused = true;
            return;
        case WindowEvent::kFocusGained:
            if (s.settings.debugMode) return;
            GetPlatform().SetWindowTitle(s.windowTitle.Std());
            s.paused = false;
            return;
    }
}

// Waits for the frame deadline, then moves it on by whole intervals: frames missed
// during a stall are skipped, not made up.
void WaitForDeadline() {
    FrameState& s = Frame();
    Platform& p = GetPlatform();
    double now = Now();
    while (s.nextDeadline >= now) {
        const double left = s.nextDeadline - now;
        if (left > kSpinMarginMs) p.SleepMs(left - kSpinMarginMs);
        else p.SpinPause();
        p.PumpEvents();
        now = Now();
    }
    s.nextDeadline += s.frameInterval;
    if (s.frameInterval > 0 && now > s.nextDeadline) {
        s.nextDeadline += std::ceil((now - s.nextDeadline) / s.frameInterval) * s.frameInterval;
    }
}

void SwapStep() {
    FrameState& s = Frame();
    Platform& p = GetPlatform();
    if (s.glReady) glFlush();
    p.SwapBuffers();
    if (s.glReady) glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    p.PumpEvents();
    WaitForDeadline();
}

void ResetDrawState() {
    FrameState& s = Frame();
    if (s.glReady) {
        glDisable(GL_BLEND);
        glColor4f(1, 1, 1, 1);
    }
    SetViewport(0, 0, 0, 0);
    // Copy: a hook may add hooks.
    const auto hooks = s.flipHooks;
    for (const auto& h : hooks) {
        if (h.run) h.run();
    }
}

void EndOnSignal() {
    if (PendingEndSignal() == 0) return;
    SetEndCode(0);
    EndProgram();
}

// The quit keys and a close request, answered by the program's check.
void AnswerQuitRequest() {
    FrameState& s = Frame();
    Platform& p = GetPlatform();
    if ((s.escapeAllowed && p.KeyDown(kKeyEscape)) || (p.KeyWasDown(kKeyLAlt) && p.KeyWasDown(kKeyF4))) {
        s.quitRequested = true;
    }
    if (!s.quitRequested) return;
    s.quitRequested = false;
    if (s.askingToQuit) return;
    bool quit = true;
    if (s.mayQuit) {
        s.askingToQuit = true;
        quit = s.mayQuit();
        s.askingToQuit = false;
        s.quitRequested = false;
    }
    if (!quit) return;
    SetEndCode(0);
    EndProgram();
}

void WriteEndReport() {
    if (!Frame().settings.debugMode) return;
    AppendErrorLog("-End On Line");
    const Number endSource = 0;
    for (Number v : {GetEndCode(), endSource - 1, endSource, Number{0}}) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%g", v);
        AppendErrorLog(buf);
    }
}

}  // namespace

void ConfigureRuntime(const RuntimeSettings& settings) { Frame().settings = settings; }
RuntimeSettings GetRuntimeSettings() { return Frame().settings; }

StrValue GetCommandLine() { return Frame().commandLine; }

void RunProgram(const StrValue& commandLine, const std::function<void()>& userMain) {
    Frame().commandLine = commandLine;
    if (!StartRuntime("Zentrovel")) {
        std::fprintf(stderr, "Zentrovel: cannot open the window with OpenGL\n");
        AppendErrorLog("No Window");
        RunShutdownSteps();
        std::exit(1);
    }
    SetEndCode(0);
    if (userMain) userMain();
    EndProgram();
}

bool StartUnattendedRuntime(const StrValue& title) {
    UseOffscreenVideoWithoutDisplay();
    RuntimeSettings settings;
    settings.debugMode = true;
    settings.useMouse = false;
    ConfigureRuntime(settings);
    const bool started = StartRuntime(title) != 0 && GraphicsAvailable();
    // Nobody's frame loop would answer a signal: Ctrl+C ends such a program at once.
    ReleaseEndSignals();
    return started;
}

Number StartRuntime(const StrValue& title) {
    FrameState& s = Frame();
    Platform& p = GetPlatform();
    if (s.started) return 1;
    s.displayLost = false;
    s.quitRequested = false;
    s.askingToQuit = false;

    WindowRequest request;
    request.title = title.Std();
    request.windowClass = "Vantiro";
    request.width = s.settings.screenWidth;
    request.height = s.settings.screenHeight;
    if (!p.OpenWindow(request)) return 0;
    s.windowTitle = title;
    p.SetWindowTitle(title.Std());
    p.SetWindowEventHandler(HandleWindowEvent);
    s.started = true;
    s.paused = false;
    s.escapeAllowed = true;
    s.fullscreen = false;
    AddShutdownStep("frame.window", [] { StopRuntime(); });
    CatchEndSignals();

    DeleteErrorLog();

    // The graphics core.
    s.glReady = p.HasGLContext();
    if (s.glReady) ++s.contextSerial;
    s.frameInterval = IntervalFor(s.settings.frameLimit);
    s.displayWidth = s.settings.screenWidth;
    s.displayHeight = s.settings.screenHeight;
    if (s.glReady) {
        if (p.IsSoftwareRenderer()) {
            if (!Automated()) {
                p.ShowMessageBox("!!OpenGL Software Emulation!!",
                                 "Please update your GFX adapter's driver\nso it can render OpenGL by "
                                 "HARDWARE\n\n\nBitte aktualisieren Sie Ihren\nGrafkkartentreiber, "
                                 "damit er OpenGL\nper HARDWARE unterst\xC3\xBCtzt!");
            }
            AppendErrorLog("OpenGL Software Emulation");
        } else {
            AppendErrorLog("OpenGL Hardware Support");
        }
    }
    s.nextDeadline = Now();
    SetViewport(0, 0, 0, 0);

    SeedRandom(static_cast<uint32_t>(static_cast<int64_t>(Now())));
    if (s.settings.fullscreen) SetFullscreenMode();
    else SetWindowedMode();

    InitInput(s.settings.useMouse);
    AddShutdownStep("frame.input", [] {
        if (!Frame().displayLost) ShutdownInput();
    });
    AddShutdownStep("frame.endreport", [] { WriteEndReport(); });

    const std::string dir = p.ProgramDirectory();
    if (!dir.empty() && chdir(dir.c_str()) != 0) {
        AppendErrorLog("Cannot enter the program directory");
    }
    AppendErrorLog("Current Dir");
    AppendErrorLog(dir.empty() ? "null" : dir);

    if (s.glReady) {
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    SwapStep();
    SetViewport(0, 0, 0, 0);

    s.lastFlip = s.prevFlip = s.startTime = Now();
    if (s.startupHook) s.startupHook();
    FlipScreen();

    if (s.paused) p.SetWindowTitle(s.windowTitle.Std());
    s.paused = false;
    s.lastFlip = s.prevFlip = s.startTime = Now();
    return 1;
}

void StopRuntime() {
    FrameState& s = Frame();
    if (!s.started) return;
    ReleaseEndSignals();
    Platform& p = GetPlatform();
    if (!s.displayLost) {
        ShutdownInput();
        p.SetWindowEventHandler({});
        p.CloseWindow();
    }
    s.started = false;
    s.glReady = false;
    s.paused = false;
    s.mayQuit = nullptr;
    s.fullscreen = false;
}

bool RuntimeStarted() { return Frame().started; }

void FlipScreen() {
    FrameState& s = Frame();
    Platform& p = GetPlatform();
    s.prevFlip = s.lastFlip;
    s.lastFlip = Now();
    s.flips += 1;
    // The loop's code has read this frame's input: polls from here on may show the next
    // button change.
    p.EndInputFrame();
    // A request to end is answered even while paused; the question needs frames.
    while (s.paused && !s.quitRequested && !s.askingToQuit && PendingEndSignal() == 0) {
        p.PollInput();
        if (s.paused) p.SleepMs(100);
    }
    PollInputFrame();
    EndOnSignal();
    AnswerQuitRequest();
    TakeFullscreenKey();
    SwapStep();
    ResetDrawState();
}

void TakeFullscreenKey() {
    FrameState& s = Frame();
    const bool f11 = GetPlatform().KeyDown(kKeyF11);
    if (f11 && !s.f11Down) {
        if (s.fullscreen) SetWindowedMode();
        else SetFullscreenMode();
    }
    s.f11Down = f11;
}

void SetFrameLimit(Number fps) { Frame().frameInterval = IntervalFor(fps); }

Number GetFrameTime() {
    const double t = Now() - Frame().prevFlip;
    return t <= 0 ? 1.0 : t;
}

Number GetElapsedTime() { return Now() - Frame().startTime; }

Number FlipCount() { return Frame().flips; }

void GetScreenSize(Number& width, Number& height) {
    width = Frame().settings.screenWidth;
    height = Frame().settings.screenHeight;
}

void AllowEscape(Number flag) { Frame().escapeAllowed = (flag != 0); }
void SetQuitCheck(std::function<bool()> mayQuit) { Frame().mayQuit = std::move(mayQuit); }
bool QuitRequested() { return Frame().quitRequested || PendingEndSignal() != 0; }
void RequestQuit() { Frame().quitRequested = true; }

void SetWindowTitle(const StrValue& title) {
    FrameState& s = Frame();
    if (title == s.windowTitle) return;
    s.windowTitle = title;
    if (!s.started) return;
    GetPlatform().SetWindowTitle((s.paused ? title + " <pause>" : title).Std());
}
bool EscapeAllowed() { return Frame().escapeAllowed; }
bool IsPaused() { return Frame().paused; }

void SetViewport(Number xn, Number yn, Number wn, Number hn) {
    FrameState& s = Frame();
    int x = ToInt(xn), y = ToInt(yn), w = ToInt(wn), h = ToInt(hn);
    if (w <= 0 || h <= 0) {
        w = s.displayWidth;
        h = s.displayHeight;
    }
    s.viewport = {x, y, w, h};
    if (!s.glReady) return;
    glViewport(x, s.displayHeight - h - y, w, h);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, w, -h, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glFrontFace(GL_CCW);
    glEnable(GL_ALPHA_TEST);
    glAlphaFunc(GL_GREATER, 0.0f);
    for (GLenum cap : {GL_DEPTH_TEST, GL_DITHER, GL_FOG, GL_LINE_SMOOTH, GL_POINT_SMOOTH,
                       GL_POLYGON_SMOOTH, GL_STENCIL_TEST, GL_POLYGON_OFFSET_POINT,
                       GL_COLOR_MATERIAL, GL_AUTO_NORMAL, GL_NORMALIZE, GL_LIGHTING}) {
        glDisable(cap);
    }
    glColor4f(1, 1, 1, 1);
    glClearColor(0, 0, 0, 1);
    glShadeModel(GL_FLAT);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_FASTEST);
    glHint(GL_FOG_HINT, GL_FASTEST);
}

Number SetWindowedMode() {
    FrameState& s = Frame();
    GetPlatform().EnterWindowed(s.displayWidth, s.displayHeight);
    SetViewport(0, 0, 0, 0);
    s.fullscreen = false;
    return 1;
}

Number SetFullscreenMode() {
    FrameState& s = Frame();
    if (!GetPlatform().EnterFullscreen(s.displayWidth, s.displayHeight)) {
        AppendErrorLog("No Fullscreen Mode available");
        return SetWindowedMode();
    }
    SetViewport(0, 0, 0, 0);
    s.fullscreen = true;
    return 1;
}

bool IsFullscreen() { return Frame().fullscreen; }

StrValue PlatformInfo(const StrValue& key) {
    std::string k = key.Std();
    for (char& c : k) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return k.empty() ? StrValue("LINUX") : StrValue("NO_DATA");
}

Number GetTimeMs() { return Now(); }
Number GetFrameInterval() { return Frame().frameInterval; }
Number GetNextFrameDeadline() { return Frame().nextDeadline; }

bool GraphicsAvailable() { return Frame().glReady; }
int GraphicsContextSerial() { return Frame().contextSerial; }

void AddFlipHook(const std::string& name, std::function<void()> fn) {
    for (auto& h : Frame().flipHooks) {
        if (h.name == name) {
            h.run = std::move(fn);
            return;
        }
    }
    Frame().flipHooks.push_back({name, std::move(fn)});
}

void SetStartupScreenHook(std::function<void()> fn) { Frame().startupHook = std::move(fn); }

void* GetGLProcAddress(const char* name) {
    if (!Frame().glReady || !name) return nullptr;
    return GetPlatform().GetGLProcAddress(name);
}

bool HasGLExtension(const char* name) {
    if (!Frame().glReady || !name || !*name) return false;
    const char* all = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (!all) return false;
    const size_t n = std::strlen(name);
    for (const char* p = all; *p;) {
        while (*p == ' ') ++p;
        const char* end = p;
        while (*end && *end != ' ') ++end;
        if (static_cast<size_t>(end - p) == n && std::strncmp(p, name, n) == 0) return true;
        p = end;
    }
    return false;
}

ViewportRect GetViewportRect() { return Frame().viewport; }

void GetDisplaySize(int& width, int& height) {
    width = Frame().displayWidth;
    height = Frame().displayHeight;
}
