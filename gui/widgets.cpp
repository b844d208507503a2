// Widgets: constructors, the dispatchers HandleWidget / DrawWidget, ShadedBox, and the
// simple kinds (static text, spacer, button, check box, radio group, slider). Text
// fields, lists, file widgets and scroll bars are in textwidgets.cpp.
//
// When a click counts (k is DialogShow's click value for the frame):
//   button down, dialog saw it up    -> k = -1 (press)
//   button up, dialog saw it down    -> k =  1 (release; buttons, check boxes, radio
//                                              items and lists act on this one)
//   otherwise                        -> k =  0
// A widget only sees k while the pointer is inside its cell in that frame, so a press
// inside and a release outside is no click, and a press and release between two polls
// is never seen at all.
//
// Dependencies: gui/proptable, runtime/frame (input), runtime/gfx2d (drawing, sprites).
#include "gui/widgets.h"

#include <algorithm>   // Required for: std::clamp, std::max, std::min
#include <cmath>       // Required for: std::trunc

#include "gui/proptable.h"
#include "gui/widget_kinds.h"
#include "runtime/frame/input.h"      // Required for: MouseAxis
#include "runtime/gfx2d/draw2d.h"     // Required for: drawing, GetFontSize
#include "runtime/gfx2d/sprites.h"    // Required for: DrawSprite, GetSpriteSize

namespace {

struct WidgetState {
    bool sizingPass = false;
};

WidgetState& State() {
    static WidgetState state;
    return state;
}

bool StartsWith(const StrValue& text, const char* prefix) {
    return text.View().starts_with(prefix);
}

// Length of the longest "|"-separated item.
Number LongestItem(const StrValue& items) {
    DimArray<StrValue> parts;
    const int n = ToInt(SplitText(items, parts, "|"));
    Number longest = 0;
    for (int i = 0; i < n; ++i) longest = std::max<Number>(longest, parts(i).Length());
    return longest;
}

// --- Handlers of the simple kinds -------------------------------------------------

void HandleStatic(const StrValue& id, Number w) {
    SetPropNum(id + "HEIGHT", TextBlock(id, 0, 0, w, 0, 0));
}

void HandleButton(const StrValue& id, Number k) { SetProp(id + "CLICKED", k == 1 ? "1" : "0"); }

void HandleCheckbox(const StrValue& id, Number k) {
    if (k == 1) SetPropNum(id + "CHECKED", 1 - std::trunc(GetPropNum(id + "CHECKED")));
}

void HandleRadio(const StrValue& id, Number mx, Number my, Number k) {
    const FontCell f = CurrentFontCell();
    const Number n = ItemCount(id);
    const Number height = n * f.fy;
    SetPropNum(id + "HEIGHT", height);
    if (GetPropNum(id + "CLICKED") != 0) SetProp(id + "CLICKED", "0");
    if (my > 0 && my <= height && mx > 0 && mx < GetPropNum(id + "WIDTH")) {
        const Number i = std::trunc(my / f.fy);
        if (k == 1 && i != GetPropNum(id + "SELECT")) {
            SetPropNum(id + "SELECT", std::min(i, n - 1));
            SetProp(id + "CLICKED", "1");
        }
        SetPropNum(id + "HOVER", i);
    } else {
        SetProp(id + "HOVER", "-1");
    }
}

void HandleSlider(const StrValue& id, Number mx, Number my, Number k) {
    SetPropNum(id + "CLICKED", k);
    const Number w = GetPropNum(id + "WIDTH");
    const Number h = GetPropNum(id + "HEIGHT");
    if (mx >= 0 && mx < w && my >= 0 && my < h && MouseAxis(3) != 0) {
        // A slider narrower than its knob has no track; it reads 0 instead of dividing by 0.
        const Number track = w - 9;
        const Number v = track > 0 ? std::clamp<Number>((mx - 5) / track, 0, 1) : 0;
        SetProp(id + "TEXT", FormatNumber(0, 2, v));
    }
}

// --- Drawers of the simple kinds --------------------------------------------------

void DrawStatic(const StrValue& id, Number w) {
    SetAlphaMode(-0.7);
    TextBlock(id, 0, 0, w, 1, 0);
    SetAlphaMode(0);
}

void DrawButton(const StrValue& id, Number w, Number h) {
    const bool hover = GetPropNum(id + "HOVER") != 0;
    const ColourPair c = WidgetColours(hover);
    ShadedBox(c.bright, c.norm, 0, 0, w, h);
    const StrValue text = GetProp(id + "TEXT");
    if (StartsWith(text, "SPR_B")) {
        const Number slot = TextToNumber(MidText(text, 5, text.Length()));
        Number sw = 0;
        Number sh = 0;
        GetSpriteSize(slot, sw, sh);
        if (!hover) SetAlphaMode(-0.8);
        DrawSprite(slot, (w - sw) / 2, (h - sh) / 2);
        SetAlphaMode(0);
    } else {
        PrintText(text, 2, 2);
    }
}

void DrawCheckbox(const StrValue& id, Number w) {
    const FontCell f = CurrentFontCell();
    const ColourPair face = WidgetColours(GetPropNum(id + "HOVER") != 0);
    ShadedBox(face.norm, face.bright, 1, 1, w - 1, f.fy - 1);
    const StrValue text = GetProp(id + "TEXT");
    const bool checked = GetPropNum(id + "CHECKED") != 0;
    PrintText(text, 1.7 * f.fx + 1, 1);
    if (checked) PrintText(text, 1.7 * f.fx + 2, 1);
    const ColourPair box = WidgetColours(checked);
    ShadedBox(box.bright, box.norm, 3, 3, f.fy - 4, f.fy - 4);
}

void DrawRadio(const StrValue& id, Number w, Number h) {
    const FontCell f = CurrentFontCell();
    DrawRectCorners(0, 0, w, h, GetPropNum("COL_NORM"));
    DimArray<StrValue> items;
    const int n = ToInt(SplitText(GetProp(id + "TEXT"), items, "|"));
    const Number hover = GetPropNum(id + "HOVER");
    const Number select = GetPropNum(id + "SELECT");
    for (int i = 0; i < n; ++i) {
        const Number y = i * f.fy;
        const ColourPair row = WidgetColours(i == hover);
        ShadedBox(row.norm, row.bright, 1, y + 1, w - 1, f.fy - 1);
        PrintText(items(i), 1.7 * f.fx + 1, y);
        if (i == select) PrintText(items(i), 1.7 * f.fx + 2, y);
        const ColourPair mark = WidgetColours(i == select);
        ShadedBox(mark.bright, mark.norm, 3, y + 3, f.fy - 4, f.fy - 4);
    }
}

void DrawSlider(const StrValue& id, Number w, Number h) {
    const ColourPair c = WidgetColours(GetPropNum(id + "HOVER") != 0);
    const Number v = GetPropNum(id + "TEXT");
    DrawRectCorners(0, h / 2, w - 1, h / 2 + 2, c.norm);
    const Number kx = (w - 10) * v + 5;
    StartPolygon(-1);
    PolygonVertex(kx, 0, 0, 0, c.bright);
    PolygonVertex(kx - 5, h / 3, 0, 0, c.bright);
    PolygonVertex(kx - 5, h - 1, 0, 0, c.norm);
    PolygonVertex(kx + 5, h - 1, 0, 0, c.norm);
    PolygonVertex(kx + 5, h / 3, 0, 0, c.bright);
    EndPolygon();
}

}  // namespace

// --- Shared helpers -------------------------------------------------------------------

FontCell CurrentFontCell() {
    Number fx = 0;
    Number fy = 0;
    GetFontSize(fx, fy);
    // Layout divides by the cell; a font that is not there must not make that a fault.
    return {std::max<Number>(1, fx), std::max<Number>(1, fy)};
}

ColourPair WidgetColours(bool hover) {
    if (hover) return {GetPropNum("COL_HOVER_BRIGHT"), GetPropNum("COL_HOVER_NORM")};
    return {GetPropNum("COL_BRIGHT"), GetPropNum("COL_NORM")};
}

void SetSizingPass(bool on) { State().sizingPass = on; }
bool InSizingPass() { return State().sizingPass; }

StrValue CreateWidget(const StrValue& id, const StrValue& text, Number width, Number height) {
    const FontCell f = CurrentFontCell();
    const Number count = GetPropNum("COUNT") + 1;
    const StrValue key = id.Empty() ? "ID_STATIC_"_s + count : id;
    if (width == 0) width = (text.Length() + 1) * f.fx;
    if (height == 0) height = f.fy + 6;
    SetPropNum(key + "HEIGHT", height);
    SetPropNum(key + "WIDTH", width);
    SetPropNum("COUNT", count);
    SetProp("ID"_s + count, key);
    SetProp(key + "TYPE", "WIDGET");
    SetProp(key + "TEXT", text);
    return key;
}

// --- Constructors ---------------------------------------------------------------------

void NewWidget(const StrValue& id, const StrValue& text, Number width, Number height) {
    CreateWidget(id, text, width, height);
}

void AddSpacer(Number width, Number height) {
    const StrValue id = "ID_SPACER_"_s + GetPropNum("COUNT");
    CreateWidget(id, "", width, height);
    if (height == 0) SetProp(id + "HEIGHT", "0");
    SetProp(id + "TYPE", "SPACER");
}

void EndRow() { AddSpacer(10000, 0); }
void EndGroup() { AddSpacer(10000, 10); }
bool Clicked(const StrValue& id) { return GetPropNum(id + "CLICKED") != 0; }

void AddButton(const StrValue& id, const StrValue& text, Number width, Number height) {
    const StrValue key = CreateWidget(id, text, width, height);
    if (width == 0 || height == 0) {
        if (StartsWith(text, "SPR_B")) {
            Number sw = 0;
            Number sh = 0;
            GetSpriteSize(TextToNumber(MidText(text, 5, text.Length())), sw, sh);
            if (width == 0) SetPropNum(key + "WIDTH", sw + 4);
            if (height == 0) SetPropNum(key + "HEIGHT", sh + 4);
        } else if (height == 0) {
            SetPropNum(key + "HEIGHT", CurrentFontCell().fy + 4);
        }
    }
    SetProp(key + "TYPE", "BUTTON");
}

void AddCheckbox(const StrValue& id, const StrValue& text, Number width, Number height) {
    if (width == 0) width = (text.Length() + 3) * CurrentFontCell().fx;
    const StrValue key = CreateWidget(id, text, width, height);
    SetProp(key + "TYPE", "CHECKBOX");
}

void AddRadio(const StrValue& id, const StrValue& items, Number width) {
    if (width == 0) width = (LongestItem(items) + 3) * CurrentFontCell().fx;
    const StrValue key = CreateWidget(id, items, width, 0);
    DimArray<StrValue> parts;
    if (SplitText(items, parts, "|") == 0) SetProp(key + "SELECT", "-1");
    SetProp(key + "TYPE", "RADIO");
    HandleRadio(key, -10, -10, 0);
}

void AddSlider(const StrValue& id, Number width, Number height) {
    if (width == 0) width = 100;
    if (height == 0) height = 16;
    const StrValue key = CreateWidget(id, "0", width, height);
    SetProp(key + "TYPE", "SLIDER");
}

// --- Dispatchers ----------------------------------------------------------------------

void HandleWidget(const StrValue& id, Number mx, Number my, Number k, Number b2) {
    const Number w = GetPropNum(id + "WIDTH");
    const Number h = GetPropNum(id + "HEIGHT");
    const StrValue type = GetProp(id + "TYPE");
    const bool inside = mx >= 0 && mx < w && my >= 0 && my < h;
    const bool isStatic = type == "WIDGET";
    if (!isStatic) SetProp(id + "HOVER", inside ? "1" : "0");
    if (!inside) {
        k = 0;
        b2 = 0;
    }
    if (isStatic) {
        HandleStatic(id, w);
    } else if (type == "BUTTON") {
        HandleButton(id, k);
    } else if (type == "SLIDER") {
        HandleSlider(id, mx, my, k);
    } else if (type == "RADIO") {
        HandleRadio(id, mx, my, k);
    } else if (type == "CHECKBOX") {
        HandleCheckbox(id, k);
    } else if (type == "FILE") {
        HandleFileWidget(id, mx, my, k, b2);
    } else if (type == "LIST") {
        HandleList(id, mx, my, k, b2);
    } else if (type == "TEXT") {
        HandleTextField(id, mx, my, k, b2);
    }
}

void DrawWidget(const StrValue& id) {
    const Number w = GetPropNum(id + "WIDTH");
    const Number h = GetPropNum(id + "HEIGHT");
    const StrValue type = GetProp(id + "TYPE");
    if (type == "WIDGET") {
        DrawStatic(id, w);
    } else if (type == "BUTTON") {
        DrawButton(id, w, h);
    } else if (type == "SLIDER") {
        DrawSlider(id, w, h);
    } else if (type == "RADIO") {
        DrawRadio(id, w, h);
    } else if (type == "CHECKBOX") {
        DrawCheckbox(id, w);
    } else if (type == "FILE") {
        DrawFileWidget(id);
    } else if (type == "LIST") {
        DrawList(id);
    } else if (type == "TEXT") {
        DrawTextField(id);
    }
}

void ShadedBox(Number c1, Number c2, Number x, Number y, Number width, Number height) {
    StartPolygon(-1);
    if (width >= 0.9 * height) {
        const Number m = y + height / 2;
        PolygonVertex(x, m, 0, 0, c2);
        PolygonVertex(x, y + height - 1, 0, 0, c1);
        PolygonVertex(x + width - 1, y + height - 1, 0, 0, c1);
        PolygonVertex(x + width - 1, m, 0, 0, c2);
        PolygonVertex(x + width - 1, y, 0, 0, c1);
        PolygonVertex(x, y, 0, 0, c1);
    } else {
        const Number m = x + width / 2;
        PolygonVertex(m, y, 0, 0, c2);
        PolygonVertex(x, y, 0, 0, c1);
        PolygonVertex(x, y + height - 1, 0, 0, c1);
        PolygonVertex(m, y + height - 1, 0, 0, c2);
        PolygonVertex(x + width - 1, y + height - 1, 0, 0, c1);
        PolygonVertex(x + width - 1, y, 0, 0, c1);
        PolygonVertex(x, y, 0, 0, c1);
    }
    EndPolygon();
}
