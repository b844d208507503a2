// The application frame: program entry, window start-up, the per-frame FlipScreen,
// frame timing, display modes, the 2D viewport and the end of the program.
//
// Every loop of the editor, its dialogs and the game calls FlipScreen once per pass;
// leaving the program always goes through EndProgram (program.h). The frame runs on
// the platform chosen with UsePlatform (SDL2 by default, headless in tests).
//
// Dependencies: platform, program, strvalue, numbers, input.
#pragma once

#include <functional>   // Required for: std::function
#include <string>

#include "runtime/frame/input.h"
#include "runtime/frame/program.h"
#include "runtime/frame/strvalue.h"

// Settings the entry fixes before start-up.
struct RuntimeSettings {
    int screenWidth = 800;
    int screenHeight = 600;
    bool fullscreen = false;
    int frameLimit = 60;
    // No pause on deactivation; EndProgram writes its end report to the error log.
    bool debugMode = false;
    // Capture the mouse for relative motion at start-up.
    bool useMouse = true;
};

void ConfigureRuntime(const RuntimeSettings& settings);
RuntimeSettings GetRuntimeSettings();

// The entry: keeps the command line, starts the runtime titled "Zentrovel", runs the
// user's main routine, then ends the program. A failed start-up ends with code 1.
[[noreturn]] void RunProgram(const StrValue& commandLine, const std::function<void()>& userMain);
// The command line as the entry received it (not interpreted).
StrValue GetCommandLine();

// Opens the window and devices and shows the start-up screen: 1 done, 0 failed.
Number StartRuntime(const StrValue& title);
// Starts the runtime for a program nobody sits at (tests, benchmarks): the offscreen
// video driver when there is no display, no pause on focus loss, the mouse left free.
// True when an OpenGL context exists.
bool StartUnattendedRuntime(const StrValue& title);
// Releases input devices and the window without leaving the process (EndProgram's
// steps use it; tests use it between runs). Safe to call when not started.
void StopRuntime();
bool RuntimeStarted();

// The per-frame call: present, pump, poll input, quit keys, wait for the deadline,
// reset the 2D state.
void FlipScreen();
// F11 switches between the window and full screen, once per press; FlipScreen and
// WaitForInput call it after their polls.
void TakeFullscreenKey();
// fps truncated; > 0 gives 1000 / fps ms per frame, otherwise 2 ms.
void SetFrameLimit(Number fps);
// Time since the previous flip began; never 0 or negative (1.0 instead).
Number GetFrameTime();
// FlipScreen calls so far: a loop tells from it whether a loop it called presented
// frames of its own (and so cleared what it had drawn).
Number FlipCount();
// Time since start-up.
Number GetElapsedTime();
void GetScreenSize(Number& width, Number& height);
// While allowed (NaN counts as allowed), Escape asks the program to end, as below.
void AllowEscape(Number flag);
// Closing the window, Alt+F4 and an allowed Escape ask the program to end. With a check
// set, FlipScreen calls it at its next poll and ends the program only when it answers
// true; the check may ask the user and run frames of its own meanwhile (a caller can
// tell from FlipCount). Requests made while it runs are dropped. An empty check ends at
// once. Termination signals and a lost display end the program without asking.
void SetQuitCheck(std::function<bool()> mayQuit);
// True while an end request waits for FlipScreen (WaitForInput returns at once then).
bool QuitRequested();
void RequestQuit();
// The window's title (the text while not paused); set only when it differs.
void SetWindowTitle(const StrValue& title);
bool EscapeAllowed();
// True while the window is inactive (FlipScreen then waits).
bool IsPaused();

// The 2D viewport: y counts from the top; width or height <= 0 selects the display.
void SetViewport(Number x, Number y, Number width, Number height);
Number SetWindowedMode();
Number SetFullscreenMode();
bool IsFullscreen();

// The empty key answers "LINUX"; every other key "NO_DATA".
StrValue PlatformInfo(const StrValue& key);

// The frame clock in milliseconds.
Number GetTimeMs();
// Frame pacing state (for tests and benchmarks).
Number GetFrameInterval();
Number GetNextFrameDeadline();

// --- Hooks for the graphics modules -------------------------------------------------
// True once an OpenGL context exists; graphics skip GL calls otherwise.
bool GraphicsAvailable();
// Counts the OpenGL contexts made so far; object names of an older context mean nothing.
int GraphicsContextSerial();
// Runs at the end of FlipScreen's 2D-state reset; a hook with the same name replaces it.
void AddFlipHook(const std::string& name, std::function<void()> fn);
// Draws the start-up screen (font and "Loading...") before the first FlipScreen.
void SetStartupScreenHook(std::function<void()> fn);
void* GetGLProcAddress(const char* name);
bool HasGLExtension(const char* name);

struct ViewportRect {
    int x = 0, y = 0, width = 0, height = 0;
};
ViewportRect GetViewportRect();
// The display (drawing surface) size the viewport falls back to.
void GetDisplaySize(int& width, int& height);
