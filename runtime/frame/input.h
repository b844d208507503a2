// Input devices: keyboard by scan code, the mouse measured once per frame, typed
// characters, joysticks, and the idle wait of the editor's loop.
//
// Keys are DirectInput scan codes (scancodes.h): 1 Escape, 0x1C Enter, 0x38 left Alt,
// arrows 200, 203, 205, 208. The first mouse read after a frame poll computes the
// motion since the previous frame; later reads in the same frame return the same.
//
// Dependencies: platform, strvalue, program (error log, EndProgram).
#pragma once

#include "runtime/frame/strvalue.h"
#include "runtime/platform/platform.h"
#include "runtime/platform/scancodes.h"

struct MouseReading {
    bool left = false, right = false, middle = false;
    int deltaX = 0, deltaY = 0;
    int wheel = 0;   // -1, 0 or +1
};

// Creates the input object (start-up calls it); wantMouse captures the mouse for
// relative motion. Logs "No DX_Input" / "No DX_Mouse" for devices it cannot open.
void InitInput(bool wantMouse);
// Releases the devices after returning to the system pointer.
void ShutdownInput();
// The once-per-frame poll (FlipScreen and WaitForInput): fresh mouse motion next read.
void PollInputFrame();

// 1 while the key (low 8 bits of the truncated code) is down, else 0.
Number KeyState(Number code);
// True when the key was down at any moment since the poll before the last one: a
// modifier let go just before its letter's press was seen still counts for the chord.
bool ModifierHeld(Number code);
// 1 once per press, to the first call in the frame after the poll that saw the key go
// down (a tap between two polls included); a press nobody took is gone at the next
// FlipScreen. Whoever reads it first takes it, so one Escape that closes a dialog does
// not also reach the loop below it.
Number KeyHit(Number code);
MouseReading ReadMouse();
// The pointer clamped to the display (and kept so), with the left and right buttons.
void MouseState(Number& x, Number& y, Number& left, Number& right);
// 0 deltaX, 1 deltaY, 2 wheel, 3 left, 4 right, 5 middle; others 0.
Number MouseAxis(Number n);
void SetMousePosition(Number x, Number y);
// 0: captured relative motion; 1: the visible system cursor drives the pointer.
void SetSystemPointer(Number flag);
bool SystemPointer();
// The character of the key just pressed as a one-byte text, or "": once per press,
// Enter 10, Backspace 8, a..z upper case while Shift is down, nothing at or above 128.
StrValue ReadKeyChar();
// Returns at the first input or after 8 passes 30 ms apart, and at once while a request
// to end waits: Escape (while allowed), Alt+F4, the close button or a signal (which the
// next FlipScreen answers).
void WaitForInput();

Number JoystickCount();
// The name of joystick i, or "" outside 0 .. count - 1.
StrValue JoystickName(Number index);
// Fills the reading and returns 1; 0 (and a centred reading) without that joystick.
Number ReadJoystick(Number index, JoystickReading& reading);
// A constant push of the given seconds; forces -1 .. 1 on the X and Y axes.
void JoystickRumble(Number index, Number seconds, Number forceX, Number forceY);
