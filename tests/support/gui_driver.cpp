#include "tests/support/gui_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/gfx2d/draw2d.h"

namespace {

void FontCellSize(double& fx, double& fy) {
    Number w = 0;
    Number h = 0;
    GetFontSize(w, h);
    fx = std::max<Number>(1, w);
    fy = std::max<Number>(1, h);
}

}  // namespace

GuiDriver::GuiDriver(HeadlessPlatform& platform) : platform_(platform) {
    lastFrame_ = DialogFrameCount();
    platform_.OnPoll([this](HeadlessPlatform&, int) { OnPoll(); });
}

GuiDriver::~GuiDriver() { platform_.OnPoll({}); }

GuiDriver& GuiDriver::Queue(Action action) {
    actions_.push_back(std::move(action));
    return *this;
}

void GuiDriver::OnPoll() {
    if (actions_.empty() || DialogFrameCount() <= lastFrame_) return;
    lastFrame_ = DialogFrameCount();
    Action action = std::move(actions_.front());
    actions_.pop_front();
    if (action) action(platform_);
}

bool GuiDriver::CellCentre(const StrValue& id, double fx, double fy, int& x, int& y) {
    Number cx = 0, cy = 0, cw = 0, ch = 0;
    if (!GetWidgetCell(id, cx, cy, cw, ch)) {
        ADD_FAILURE() << "widget \"" << id << "\" is not in the last frame's layout";
        return false;
    }
    x = static_cast<int>(std::clamp<double>(cx + fx * cw, cx, cx + cw - 1));
    y = static_cast<int>(std::clamp<double>(cy + fy * ch, cy, cy + ch - 1));
    return true;
}

GuiDriver& GuiDriver::MoveTo(const StrValue& id, double fx, double fy) {
    return Queue([this, id, fx, fy](HeadlessPlatform& p) {
        int x = 0, y = 0;
        if (CellCentre(id, fx, fy, x, y)) p.MovePointer(x, y);
    });
}

GuiDriver& GuiDriver::MoveToOffset(const StrValue& id, double dx, double dy) {
    return Queue([this, id, dx, dy](HeadlessPlatform& p) {
        int x = 0, y = 0;
        if (CellCentre(id, 0, 0, x, y)) p.MovePointer(x + static_cast<int>(dx), y + static_cast<int>(dy));
    });
}

GuiDriver& GuiDriver::MoveToPoint(int x, int y) {
    return Queue([x, y](HeadlessPlatform& p) { p.MovePointer(x, y); });
}

GuiDriver& GuiDriver::Press() {
    return Queue([this](HeadlessPlatform& p) {
        p.PressButton(kMouseLeft);
        leftDown_ = true;
    });
}

GuiDriver& GuiDriver::Release() {
    return Queue([this](HeadlessPlatform& p) {
        p.ReleaseButton(kMouseLeft);
        leftDown_ = false;
    });
}

GuiDriver& GuiDriver::Click(const StrValue& id) { return MoveTo(id).Press().Release(); }

GuiDriver& GuiDriver::ClickOffset(const StrValue& id, double dx, double dy) {
    return MoveToOffset(id, dx, dy).Press().Release();
}

GuiDriver& GuiDriver::DragFromTo(int x0, int y0, int x1, int y1) {
    return MoveToPoint(x0, y0).Press().MoveToPoint(x1, y1).Release();
}

GuiDriver& GuiDriver::DragTitle(int dx, int dy) {
    auto start = std::make_shared<std::pair<int, int>>(0, 0);
    Queue([start](HeadlessPlatform& p) {
        *start = {static_cast<int>(GetPropNum("XPOS")) + 10, static_cast<int>(GetPropNum("YPOS")) + 2};
        p.MovePointer(start->first, start->second);
    });
    Press();
    Queue([start, dx, dy](HeadlessPlatform& p) { p.MovePointer(start->first + dx, start->second + dy); });
    return Release();
}

// Moves the pointer onto the lower arrow of a scroll bar (the dialog's own for "").
GuiDriver::Action GuiDriver::ScrollStep(const StrValue& id) {
    return [this, id](HeadlessPlatform& p) {
        double fx = 0, fy = 0;
        FontCellSize(fx, fy);
        const double bw = std::max(fx, fy);
        if (id.Empty()) {
            // The dialog's own bar, placed as DialogShow places it.
            const double top = GetPropNum("YPOS") + (GetPropNum("MOVABLE") != 0 ? fy + 4 : 0);
            const double cx = GetPropNum("XPOS") + 5;
            const double h = GetPropNum("HEIGHT") - 5 - 2 * fy;
            const double x = cx - fx + GetPropNum("WIDTH") - 0.75 * fx;
            const double y = top + 5 + (h <= 3 * bw ? 0.75 * h : h - bw / 2);
            p.MovePointer(static_cast<int>(x), static_cast<int>(y));
            return;
        }
        int x = 0, y = 0;
        if (!CellCentre(id, 0, 0, x, y)) return;
        const double w = GetPropNum(id + "WIDTH");
        const double h = GetPropNum(id + "HEIGHT");
        const double dy = h <= 3 * bw ? 0.75 * h : h - bw / 2;
        p.MovePointer(x + static_cast<int>(w - 0.75 * fx), y + static_cast<int>(dy));
    };
}

GuiDriver& GuiDriver::ScrollDown(const StrValue& id, int steps) {
    for (int i = 0; i < steps; ++i) Queue(ScrollStep(id)).Press().Release();
    return *this;
}

GuiDriver::Action GuiDriver::ScrollIntoViewStep(const StrValue& id, int tries) {
    return [this, id, tries](HeadlessPlatform& p) {
        Number x = 0, y = 0, w = 0, h = 0;
        const bool shown = GetWidgetCell(id, x, y, w, h) && h >= GetPropNum(id + "HEIGHT");
        if (shown) return;
        if (tries <= 0) {
            ADD_FAILURE() << "could not scroll \"" << id << "\" into view";
            return;
        }
        ScrollStep("")(p);
        actions_.push_front(ScrollIntoViewStep(id, tries - 1));
        actions_.push_front([this](HeadlessPlatform& q) {
            q.ReleaseButton(kMouseLeft);
            leftDown_ = false;
        });
        actions_.push_front([this](HeadlessPlatform& q) {
            q.PressButton(kMouseLeft);
            leftDown_ = true;
        });
    };
}

GuiDriver& GuiDriver::ScrollIntoView(const StrValue& id) { return Queue(ScrollIntoViewStep(id, 100)); }

GuiDriver& GuiDriver::Type(const std::string& text) {
    for (char c : text) {
        Queue([c](HeadlessPlatform& p) { p.TypeChar(c); });
        Idle(1);
    }
    return *this;
}

GuiDriver& GuiDriver::TypeInto(const StrValue& id, const std::string& text) {
    auto row = std::make_shared<std::pair<int, int>>(0, 0);
    Queue([this, id, row](HeadlessPlatform& p) {
        double fx = 0, fy = 0;
        FontCellSize(fx, fy);
        int x = 0, y = 0;
        if (!CellCentre(id, 0, 0, x, y)) return;
        const double right = GetPropNum(id + "WIDTH") - 1.5 * fx - 1;
        *row = {x + static_cast<int>(right), y + static_cast<int>(fy / 2)};
        p.MovePointer(x + 1, row->second);
    });
    Press();
    Queue([row](HeadlessPlatform& p) { p.MovePointer(row->first, row->second); });
    Release();
    return Type(text);
}

GuiDriver& GuiDriver::Key(int scan) {
    Queue([scan](HeadlessPlatform& p) { p.TapKey(scan); });
    return Idle(1);
}

GuiDriver& GuiDriver::PressKey(int scan) {
    return Queue([this, scan](HeadlessPlatform& p) {
        p.PressKey(scan);
        keysDown_.insert(scan);
        keysTouched_.insert(scan);
    });
}

GuiDriver& GuiDriver::ReleaseKey(int scan) {
    return Queue([this, scan](HeadlessPlatform& p) {
        p.ReleaseKey(scan);
        keysDown_.erase(scan);
    });
}

GuiDriver& GuiDriver::Idle(int frames) {
    for (int i = 0; i < frames; ++i) Queue({});
    return *this;
}

GuiDriver& GuiDriver::Do(std::function<void(HeadlessPlatform&)> action) {
    return Queue(std::move(action));
}

void GuiDriver::Step() {
    DialogShow(0);
    FlipScreen();
}

bool GuiDriver::InputSettled() const {
    if ((MouseAxis(3) != 0) != leftDown_) return false;
    for (int key : keysTouched_) {
        if ((KeyState(key) != 0) != (keysDown_.count(key) != 0)) return false;
    }
    return true;
}

void GuiDriver::Run() {
    int frames = 0;
    while (!actions_.empty()) {
        Step();
        if (++frames > 100000) {
            ADD_FAILURE() << "the driver's script did not finish";
            return;
        }
    }
    // The last action still has to be seen by a DialogShow. A platform may keep a
    // released button or key down for one more frame; step until it reads as left.
    for (int i = 0; i < 4; ++i) {
        DialogShow(0);
        if (InputSettled()) return;
        FlipScreen();
    }
    ADD_FAILURE() << "the input never read as the script left it";
}

void GuiDriver::ResetToolkit() {
    while (DialogStackDepth() > 0) DialogClose();
    ClearPropertyTable();
}
