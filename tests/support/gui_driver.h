// Driving the widget toolkit like a user: by widget id, never by raw coordinates.
//
// Actions are queued and applied one per frame at the headless platform's frame poll,
// each only after a DialogShow has run since the previous one, so the idle wait's extra
// polls do not skip frames and every action finds the widget in the layout of the last
// frame. The same script serves a loop the test runs itself (Step / Run) and a loop
// inside the code under test (a dialog's own loop, MessageBox): queue, then call it.
//
//   GuiDriver gui(platform());
//   gui.Click("bt_ok");            // hover, press, release over three frames
//   gui.TypeInto("tx_alpha", "0.5");
//   gui.Run();                     // test-owned loop: DialogShow + FlipScreen
//
// Dependencies: gui, the headless platform.
#pragma once

#include <deque>
#include <functional>
#include <set>
#include <string>

#include "runtime/frame/strvalue.h"
#include "runtime/platform/headless_platform.h"

class GuiDriver {
public:
    explicit GuiDriver(HeadlessPlatform& platform);
    ~GuiDriver();
    GuiDriver(const GuiDriver&) = delete;
    GuiDriver& operator=(const GuiDriver&) = delete;

    // --- Pointer -----------------------------------------------------------------------
    // Moves the pointer to a point of the widget's visible cell, given as fractions of
    // its width and height (the centre by default).
    GuiDriver& MoveTo(const StrValue& id, double fx = 0.5, double fy = 0.5);
    // Moves to a point given in pixels from the cell's top-left corner.
    GuiDriver& MoveToOffset(const StrValue& id, double dx, double dy);
    GuiDriver& MoveToPoint(int x, int y);
    GuiDriver& Press();
    GuiDriver& Release();
    // Hover, press and release over the centre of the widget, one frame each.
    GuiDriver& Click(const StrValue& id);
    GuiDriver& ClickOffset(const StrValue& id, double dx, double dy);
    // Press at one point and release at another, moving in between.
    GuiDriver& DragFromTo(int x0, int y0, int x1, int y1);
    // Drags the current dialog by its title bar by (dx, dy).
    GuiDriver& DragTitle(int dx, int dy);
    // Clicks the lower arrow of a widget's scroll bar (the dialog's own for "") n times.
    GuiDriver& ScrollDown(const StrValue& id, int steps);
    // Scrolls the current dialog down until the widget's whole cell is visible.
    GuiDriver& ScrollIntoView(const StrValue& id);

    // --- Keyboard ----------------------------------------------------------------------
    // Types each character (a key tap with its character), with a quiet frame after each.
    GuiDriver& Type(const std::string& text);
    // Selects the whole first line of a text field with the mouse, then types: the
    // text replaces what the field held.
    GuiDriver& TypeInto(const StrValue& id, const std::string& text);
    // A key tap (down for one frame) followed by a quiet frame.
    GuiDriver& Key(int scan);
    GuiDriver& PressKey(int scan);
    GuiDriver& ReleaseKey(int scan);

    // --- Frames ------------------------------------------------------------------------
    // Frames with no new input.
    GuiDriver& Idle(int frames);
    // Any other input, run at its frame.
    GuiDriver& Do(std::function<void(HeadlessPlatform&)> action);
    bool Done() const { return actions_.empty(); }

    // One frame of a test-owned loop: DialogShow(0), then FlipScreen (input poll).
    void Step();
    // Steps until every queued action has been seen by a DialogShow, and the button and
    // keys read as the script left them.
    void Run();

    // Closes every dialog and empties the property table (between tests).
    static void ResetToolkit();

private:
    using Action = std::function<void(HeadlessPlatform&)>;
    GuiDriver& Queue(Action action);
    void OnPoll();
    bool CellCentre(const StrValue& id, double fx, double fy, int& x, int& y);
    Action ScrollStep(const StrValue& id);
    Action ScrollIntoViewStep(const StrValue& id, int tries);
    bool InputSettled() const;

    HeadlessPlatform& platform_;
    std::deque<Action> actions_;
    double lastFrame_ = -1;
    // What the script has left pressed, to know when the platform reads it so.
    bool leftDown_ = false;
    std::set<int> keysDown_;
    std::set<int> keysTouched_;
};
