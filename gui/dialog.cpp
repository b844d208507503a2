// Dialog window: opening, closing and stacking dialogs, and the per-frame DialogShow
// (title bar dragging, size grip, frame, the dialog's own scroll bar, the row layout of
// the widgets, dimming of the dialogs below the current one).
//
// Dependencies: gui/proptable, gui/widgets, runtime/frame, runtime/gfx2d.
#include "gui/dialog.h"

#include <algorithm>   // Required for: std::max, std::min
#include <cmath>       // Required for: std::trunc, std::ceil
#include <utility>     // Required for: std::move
#include <vector>

#include "gui/proptable.h"
#include "gui/widget_kinds.h"
#include "gui/widgets.h"
#include "runtime/frame/frame.h"     // Required for: SetViewport
#include "runtime/frame/input.h"     // Required for: MouseState, SetSystemPointer, KeyHit
#include "runtime/gfx2d/draw2d.h"    // Required for: DrawRectCorners, DrawLine, PrintText, SetAlphaMode

namespace {

// One widget cell of the current dialog as the last frame laid it out (visible part).
struct CellRecord {
    StrValue id;
    Number x, y, w, h;
};

struct DialogState {
    std::vector<CellRecord> cells;
    Number frames = 0;
};

DialogState& State() {
    static DialogState state;
    return state;
}

struct Pointer {
    Number x, y, b1;
};

bool PointIn(Number px, Number py, Number x, Number y, Number w, Number h) {
    return px >= x && px < x + w && py >= y && py < y + h;
}

void Viewport(Number x, Number y, Number w, Number h) {
    SetViewport(ToInt(x), ToInt(y), ToInt(w), ToInt(h));
}

// Where the rows of widgets ended, for "REALHEIGHT".
struct LayoutEnd {
    Number cury = 0;
    Number rowHeight = 0;
    Number top = 0;
};

// The click value from the dialog's own record of the left button: -1 on the frame
// it is seen going down, 1 on the frame it is seen coming up, else 0.
Number ClickValue(const Pointer& p) {
    const Number down = GetPropNum("MOUSE_DN");
    if (p.b1 != 0 && down == 0) {
        SetProp("MOUSE_DN", "1");
        return -1;
    }
    if (p.b1 == 0 && down > 0) {
        SetProp("MOUSE_DN", "0");
        return 1;
    }
    return 0;
}

// Dragging by the title bar; returns the top of the body.
Number MoveDialog(const Pointer& p, const FontCell& f, bool active, Number& x, Number y, Number w) {
    if (GetPropNum("MOVABLE") == 0) return y;
    // Dialogs below the current one are inert: they do not follow the pointer.
    if (active) {
        if (p.b1 == 0) SetProp("MOVING", "0");
        if (p.b1 != 0 && (PointIn(p.x, p.y, x, y, w, f.fy) || GetPropNum("MOVING") != 0)) {
            SetProp("MOVING", "1");
            x = std::trunc(std::max<Number>(0, x + p.x - GetPropNum("MOUSEX")));
            y = std::trunc(std::max<Number>(0, y + p.y - GetPropNum("MOUSEY")));
            SetPropNum("XPOS", x);
            SetPropNum("YPOS", y);
        }
    }
    return y + f.fy + 4;
}

// Dragging the size grip; a drag that started goes on wherever the pointer goes.
void ScaleDialog(const Pointer& p, const FontCell& f, bool active, Number x, Number y, Number& w,
                 Number& h) {
    if (GetPropNum("SCALABLE") == 0 || !active) return;
    const Number side = f.fy + 4;
    if (p.b1 == 0) SetProp("SCALING", "0");
    if (p.b1 != 0 && (PointIn(p.x, p.y, x + w - side, y + h - side, side, side) ||
                      GetPropNum("SCALING") != 0)) {
        SetProp("SCALING", "1");
        w = std::trunc(std::max<Number>(0, w + p.x - GetPropNum("MOUSEX")));
        h = std::trunc(std::max<Number>(0, h + p.y - GetPropNum("MOUSEY")));
        SetPropNum("WIDTH", w);
        SetPropNum("HEIGHT", h);
    }
}

// Title bar (the title printed twice, one pixel apart, for bold) and body.
void DrawFrame(const FontCell& f, Number x, Number y, Number w, Number h) {
    const Number bright = GetPropNum("COL_BRIGHT");
    const Number norm = GetPropNum("COL_NORM");
    if (GetPropNum("MOVABLE") != 0) {
        DrawRectCorners(x, y - f.fy - 4, x + w - 1, y, bright);
        DrawRectCorners(x + 2, y - f.fy - 2, x + w - 3, y - 3, norm);
        const StrValue title = GetProp("TEXT");
        PrintText(title, x + 3, y - f.fy - 2);
        PrintText(title, x + 4, y - f.fy - 2);
    }
    DrawRectCorners(x, y, x + w - 1, y + h - 1, norm);
    DrawRectCorners(x + 2, y + 2, x + w - 3, y + h - 3, bright);
}

// The three double lines of the size grip.
void DrawGrip(const Pointer& p, const FontCell& f, Number x, Number y, Number w, Number h) {
    if (GetPropNum("SCALABLE") == 0) return;
    const Number side = f.fy + 4;
    const bool over = PointIn(p.x, p.y, x + w - side, y + h - side, side, side);
    const Number c = GetPropNum(over ? "COL_HOVER_NORM" : "COL_NORM");
    const Number b = y + h - f.fy - 3;
    const Number r = x + w - 5;
    const Number starts[3] = {x + w - f.fy / 3 - 5, x + w - 2 * f.fy / 3 - 5, x + w - f.fy - 5};
    for (int i = 0; i < 3; ++i) {
        const Number ly = b + i * f.fy / 3;
        DrawLine(starts[i], ly, r, ly, c);
        DrawLine(starts[i], ly + 1, r, ly + 1, c);
    }
}

// One dialog's frame: input (when active), frame, scroll bar, widgets, dimming.
LayoutEnd ShowOne(const Pointer& p, const FontCell& f, bool active, std::vector<CellRecord>* cells) {
    const Number k = ClickValue(p);
    Viewport(0, 0, 0, 0);
    Number x = GetPropNum("XPOS");
    Number w = GetPropNum("WIDTH");
    Number h = GetPropNum("HEIGHT");
    const Number y = MoveDialog(p, f, active, x, GetPropNum("YPOS"), w);
    ScaleDialog(p, f, active, x, y, w, h);
    DrawFrame(f, x, y, w, h);
    DrawGrip(p, f, x, y, w, h);
    SetPropNum("MOUSEX", p.x);
    SetPropNum("MOUSEY", p.y);

    // Content area and the dialog's own scroll bar, which scrolls by two text lines.
    const Number cx = x + 5;
    const Number cy0 = y + 5;
    Number cw = w - 5;
    const Number ch = h - 5;
    // Whole two-line steps, rounded up: truncating would leave the end of the content
    // (often the dialog's buttons) out of reach.
    const Number over = std::trunc(GetPropNum("REALHEIGHT") - ch);
    const Number scrollMax = std::max<Number>(0, std::ceil(over / (2 * f.fy)));
    SetPropNum("SCROLLMAX", scrollMax);
    // Content that shrank (or a body that grew) must not stay scrolled out of reach.
    if (GetPropNum("SCROLL") > scrollMax) SetPropNum("SCROLL", scrollMax);
    const Number barHeight = ch - 2 * f.fy;
    if (active) {
        ScrollBarHandle("", p.x - cx + f.fx, p.y - cy0, k, 0, barHeight);
    }
    // The strip stays reserved whether or not the pointer is on it, so rows never
    // reflow as the pointer passes.
    cw -= 1.5 * f.fx;
    const Number shift = 2 * f.fy * GetPropNum("SCROLL");
    Viewport(cx + f.fx, cy0, cw, ch);
    ScrollBarDraw("", cw, barHeight);
    Viewport(0, 0, 0, 0);

    // The widgets, flowing in rows left to right.
    LayoutEnd end;
    Number curx = cx;
    Number cury = cy0 - shift;
    Number rowHeight = 0;
    end.top = y - shift;
    const int count = ToInt(GetPropNum("COUNT"));
    for (int n = 1; n <= count; ++n) {
        const StrValue id = GetProp("ID"_s + n);
        const Number ww = GetPropNum(id + "WIDTH");
        const Number wh = GetPropNum(id + "HEIGHT");
        if (curx + ww > cx + cw) {
            curx = cx;
            cury = cury + rowHeight + 2;
            rowHeight = wh;
        }
        const Number dw = std::min(ww, cx + cw - curx);
        const Number dh = std::min(wh, cy0 + ch - cury);
        const bool visible = dw > 0 && dh > 0 && cury >= cy0;
        if (active) {
            // Only the visible part of a cell takes the pointer: widgets scrolled away
            // or clipped off must not be clicked through the title bar or the screen
            // around the dialog.
            if (visible && PointIn(p.x, p.y, curx, cury, dw, dh)) {
                HandleWidget(id, p.x - curx, p.y - cury, k, 0);
            } else {
                HandleWidget(id, -1, -1, k, 0);
            }
            if (visible && cells) cells->push_back({id, curx, cury, dw, dh});
        }
        if (visible) {
            Viewport(curx, cury, dw, dh);
            DrawWidget(id);
        }
        curx = curx + dw + 2;
        rowHeight = std::max(rowHeight, wh);
    }
    Viewport(0, 0, 0, 0);

    // The dialogs below the current one are dimmed, title bar included.
    if (!active) {
        const Number title = GetPropNum("MOVABLE") != 0 ? f.fy + 4 : 0;
        SetAlphaMode(-0.5);
        DrawRectCorners(GetPropNum("XPOS"), GetPropNum("YPOS"),
                        GetPropNum("XPOS") + GetPropNum("WIDTH") - 1,
                        GetPropNum("YPOS") + GetPropNum("HEIGHT") + title - 1, 0);
        SetAlphaMode(0);
    }
    end.cury = cury;
    end.rowHeight = rowHeight;
    return end;
}

}  // namespace

void DialogReset() {
    const StrValue x = GetProp("XPOS");
    const StrValue y = GetProp("YPOS");
    const StrValue w = GetProp("WIDTH");
    const StrValue h = GetProp("HEIGHT");
    ClearPropertyTable();
    SetPropNum("COL_BRIGHT", kColBright);
    SetPropNum("COL_NORM", kColNorm);
    SetPropNum("COL_HOVER_BRIGHT", kColHoverBright);
    SetPropNum("COL_HOVER_NORM", kColHoverNorm);
    SetProp("XPOS", x);
    SetProp("YPOS", y);
    SetProp("WIDTH", w);
    SetProp("HEIGHT", h);
    State().cells.clear();
}

void DialogInit(Number x, Number y, Number width, Number height) {
    PushPropertyTable();
    DialogReset();
    SetPropNum("XPOS", x);
    SetPropNum("YPOS", y);
    SetPropNum("WIDTH", width);
    SetPropNum("HEIGHT", height);
}

void DialogClose() {
    if (!PopPropertyTable()) return;
    State().cells.clear();
    DialogRefresh(0, 0, 0, 0);
}

void DialogRefresh(Number x, Number y, Number width, Number height) {
    if (width > 0 && height > 0) {
        SetPropNum("XPOS", x);
        SetPropNum("YPOS", y);
        SetPropNum("WIDTH", width);
        SetPropNum("HEIGHT", height);
    }
    SetSizingPass(true);
    const int count = ToInt(GetPropNum("COUNT"));
    for (int n = 1; n <= count; ++n) HandleWidget(GetProp("ID"_s + n), -1, -1, 0, 0);
    SetSizingPass(false);
}

Number DialogShow(Number topOnly) {
    Pointer p{};
    Number b2 = 0;
    MouseState(p.x, p.y, p.b1, b2);
    const FontCell f = CurrentFontCell();
    const int depth = ToInt(DialogStackDepth());
    const int start = topOnly == 0 ? 0 : depth;
    DimArray<StrValue> saved;
    if (start < depth) saved = PropertyTable();

    std::vector<CellRecord> cells;
    LayoutEnd end;
    for (int level = start; level <= depth; ++level) {
        const bool active = level == depth;
        if (!active) {
            LoadStackLevel(level);
            // The empty table that was current before the first dialog opened is no
            // dialog; drawing it would leave a dark speck at the screen's corner.
            if (PropertyRowCount() == 0) continue;
        } else if (start < depth) {
            PropertyTable() = std::move(saved);
        }
        end = ShowOne(p, f, active, active ? &cells : nullptr);
    }
    State().cells = std::move(cells);
    State().frames += 1;
    // Escape cancels a dialog that can be cancelled, as its button would.
    if (GetProp("bt_cancelTYPE") != "" && KeyHit(kKeyEscape) != 0) SetProp("bt_cancelCLICKED", "1");
    SetSystemPointer(1);
    const Number realHeight = end.cury + 2 + end.rowHeight - end.top;
    SetPropNum("REALHEIGHT", realHeight);
    return std::max(realHeight, GetPropNum("HEIGHT"));
}

bool GetWidgetCell(const StrValue& id, Number& x, Number& y, Number& w, Number& h) {
    for (const CellRecord& c : State().cells) {
        if (c.id == id) {
            x = c.x;
            y = c.y;
            w = c.w;
            h = c.h;
            return true;
        }
    }
    return false;
}

Number DialogFrameCount() { return State().frames; }
