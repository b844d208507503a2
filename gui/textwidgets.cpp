// Text fields, lists and file widgets, the word-wrapping TextBlock, the scroll bar they
// share with the dialog, and the item edits AddItem / DeleteItem.
//
// Text field keys: an editing key (arrows 203/205, Delete 211, Backspace 14) acts once
// when it goes down, then again every time more than 100 ms have passed since it last
// acted while it stays held; Shift (42/54) with an arrow moves only the selection end.
//
// Dependencies: gui/proptable, gui/dialog (AddItem refreshes), runtime/frame (input,
// clock), runtime/gfx2d (drawing), runtime/files (FileRequest).
#include "gui/widgets.h"

#include <algorithm>   // Required for: std::clamp, std::max, std::min, std::replace, std::swap
#include <cmath>       // Required for: std::trunc, std::fmod
#include <string>
#include <string_view>
#include <utility>     // Required for: std::move

#include "gui/dialog.h"
#include "gui/proptable.h"
#include "gui/widget_kinds.h"
#include "runtime/files/filerequest.h"   // Required for: FileRequest
#include "runtime/frame/frame.h"         // Required for: GetElapsedTime
#include "runtime/frame/input.h"         // Required for: KeyState, MouseAxis, ReadKeyChar
#include "runtime/gfx2d/draw2d.h"        // Required for: drawing

namespace {

constexpr Number kKeyRepeatMs = 100;
// Clock readings are sums of fractional milliseconds: a key read exactly 100 ms ago must
// not count as released by rounding noise.
constexpr Number kClockSlackMs = 1e-6;
constexpr int kKeyBackspace = 14;
constexpr int kKeyLeft = 203;
constexpr int kKeyRight = 205;
constexpr int kKeyDelete = 211;
constexpr int kKeyLeftShift = 42;
constexpr int kKeyRightShift = 54;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t CountItems(std::string_view text) {
    size_t pos = 0, n = 0;
    std::string_view item;
    while (NextItem(text, pos, item)) ++n;
    return n;
}

// Stores a list's new "TEXT" and "COUNT" after an edit, refreshes the sizes and keeps
// the selection the caller had.
void StoreItems(const StrValue& id, StrValue text, size_t n) {
    SetProp(id + "TEXT", std::move(text));
    SetPropNum(id + "COUNT", Number(n));
    const StrValue select = GetProp(id + "SELECT");
    DialogRefresh(0, 0, 0, 0);
    SetProp(id + "SELECT", select);
}

// Width of the text area of a field, narrowed while it shows its scroll bar.
Number TextWidth(const StrValue& id, const FontCell& f) {
    Number tw = GetPropNum(id + "WIDTH") - f.fx;
    if (GetPropNum(id + "SCROLLMAX") != 0) tw -= 1.5 * f.fx;
    return tw;
}

// A list or text that got shorter must not stay scrolled past its end, where nothing
// would show and the bar (drawn only while there is something to scroll) is gone.
void KeepScrollInRange(const StrValue& id, Number scrollMax) {
    const Number limit = std::max<Number>(0, scrollMax);
    if (GetPropNum(id + "SCROLL") > limit) SetPropNum(id + "SCROLL", limit);
}

// --- Text field ---------------------------------------------------------------------

// The editing keys of this frame, with the repeat rule applied.
struct EditKeys {
    int d = 0;
    bool del = false;
    bool backspace = false;
    bool shift = false;
    StrValue typed;
};

EditKeys ReadEditKeys(const StrValue& id) {
    EditKeys keys;
    const Number now = GetElapsedTime();
    const Number lastKey = GetPropNum(id + "LASTKEY");
    const bool held = lastKey != 0 && now - GetPropNum(id + "LASTTIME") <= kKeyRepeatMs + kClockSlackMs &&
                      KeyState(lastKey) != 0;
    if (!held) {
        keys.d = static_cast<int>(KeyState(kKeyRight) - KeyState(kKeyLeft));
        keys.del = KeyState(kKeyDelete) != 0;
        keys.backspace = KeyState(kKeyBackspace) != 0;
        int code = keys.d < 0 ? kKeyLeft : keys.d > 0 ? kKeyRight : 0;
        if (keys.del) code = kKeyDelete;
        if (keys.backspace) code = kKeyBackspace;
        SetPropNum(id + "LASTKEY", code);
        SetPropNum(id + "LASTTIME", now);
    }
    keys.shift = KeyState(kKeyLeftShift) + KeyState(kKeyRightShift) != 0;
    keys.typed = ReadKeyChar();
    if (keys.typed == "\b") keys.typed = StrValue();
    return keys;
}

void EditText(const StrValue& id, EditKeys keys) {
    StrValue text = GetProp(id + "TEXT");
    const Number length = text.Length();
    // Positions written by callers may lie outside a text they replaced.
    Number s = std::clamp<Number>(std::trunc(GetPropNum(id + "SELSTART")), 0, length);
    Number e = std::clamp<Number>(std::trunc(GetPropNum(id + "SELEND")), 0, length);
    if (keys.shift && keys.d != 0) {
        SetPropNum(id + "SELEND", std::clamp<Number>(e + keys.d, 0, length));
        return;
    }
    if (s != e && (!keys.typed.Empty() || keys.del || keys.backspace)) {
        if (s > e) std::swap(s, e);
        text = MidText(text, 0, s) + MidText(text, e, length - e);
        keys.del = false;
        keys.backspace = false;
    }
    StrValue left = MidText(text, 0, s);
    StrValue right = MidText(text, s, text.Length() - s);
    Number caret = s + keys.d;
    if (keys.del) right = MidText(right, 1, right.Length());
    if (keys.backspace) {
        left = MidText(left, 0, left.Length() - 1);
        caret -= 1;
    }
    if (!keys.typed.Empty()) {
        left += keys.typed;
        caret += 1;
    }
    text = left + right;
    caret = std::clamp<Number>(caret, 0, text.Length());
    SetPropNum(id + "SELSTART", caret);
    SetPropNum(id + "SELEND", caret);
    SetProp(id + "TEXT", text);
}

// --- Scroll bar geometry ----------------------------------------------------------------

struct BarKeys {
    StrValue scroll;
    StrValue scrollMax;
    StrValue width;
};

BarKeys BarKeysOf(const StrValue& id) { return {id + "SCROLL", id + "SCROLLMAX", id + "WIDTH"}; }

}  // namespace

// --- Text field ------------------------------------------------------------------------

void HandleTextField(const StrValue& id, Number mx, Number my, Number k, Number b2) {
    const FontCell f = CurrentFontCell();
    const Number tw = TextWidth(id, f);
    const Number over = TextBlock(id, 0, 0, tw, 0, 0) - GetPropNum(id + "HEIGHT");
    const Number scrollMax = std::max<Number>(0, std::trunc(over / f.fy));
    SetPropNum(id + "SCROLLMAX", scrollMax);
    KeepScrollInRange(id, scrollMax);
    const Number bar = ScrollBarHandle(id, mx, my, k, b2, GetPropNum(id + "HEIGHT"));
    if (InSizingPass()) return;

    const bool inside = mx >= 0 && mx < GetPropNum(id + "WIDTH") - 1.5 * f.fx * bar && my >= 0 &&
                        my < GetPropNum(id + "HEIGHT");
    if (inside) {
        if (k != 0) SetProp("FOCUS", id);
        if (k == 0 && MouseAxis(3) != 0) k = 1;
        if (k != 0) {
            const Number length = GetProp(id + "TEXT").Length();
            const Number at = std::min(
                TextBlock(id, mx, my + GetPropNum(id + "SCROLL") * f.fy, tw, 0, 1), length);
            if (k == -1) {
                SetPropNum(id + "SELSTART", at);
                k = 1;
            }
            SetPropNum(id + "SELEND", at);
        }
    }
    // Only the field with the focus takes the keyboard; a field merely under the pointer
    // would otherwise edit its text along with the focused one.
    if (GetProp("FOCUS") != id) return;
    const EditKeys keys = ReadEditKeys(id);
    if (keys.typed.Empty() && !keys.del && !keys.backspace && keys.d == 0) return;
    EditText(id, keys);
}

void DrawTextField(const StrValue& id) {
    const FontCell f = CurrentFontCell();
    const Number w = GetPropNum(id + "WIDTH");
    const Number h = GetPropNum(id + "HEIGHT");
    DrawRectCorners(0, 0, w, h, GetPropNum("COL_NORM"));
    DrawRectCorners(1, 1, w - 2, h - 2, GetPropNum("COL_BRIGHT"));
    TextBlock(id, f.fx / 2, -GetPropNum(id + "SCROLL") * f.fy, TextWidth(id, f), 1, 0);
    ScrollBarDraw(id, w, h);
}

// --- List ------------------------------------------------------------------------------

namespace {

// Lines a list moves for one step of the mouse wheel.
constexpr Number kWheelLines = 3;

Number VisibleLines(const StrValue& id) { return std::trunc(GetPropNum(id + "HEIGHT") / CurrentFontCell().fy); }

// The wheel scrolls the list under the pointer (a step up shows earlier lines).
void WheelScroll(const StrValue& id, Number mx, Number my, Number scrollMax) {
    if (my <= 0 || my > GetPropNum(id + "HEIGHT") || mx <= 0 || mx >= GetPropNum(id + "WIDTH")) return;
    const Number wheel = MouseAxis(2);
    if (wheel == 0 || scrollMax <= 0) return;
    SetPropNum(id + "SCROLL", std::clamp<Number>(GetPropNum(id + "SCROLL") - wheel * kWheelLines, 0, scrollMax));
}

}  // namespace

void HandleList(const StrValue& id, Number mx, Number my, Number k, Number b2) {
    const FontCell f = CurrentFontCell();
    const Number h = GetPropNum(id + "HEIGHT");
    const Number visible = std::trunc(h / f.fy);
    const Number scrollMax = GetPropNum(id + "COUNT") - visible;
    SetPropNum(id + "SCROLLMAX", scrollMax);
    KeepScrollInRange(id, scrollMax);
    WheelScroll(id, mx, my, scrollMax);
    const Number bar = ScrollBarHandle(id, mx, my, k, b2, h);
    if (GetPropNum(id + "CLICKED") != 0) SetProp(id + "CLICKED", "0");
    if (my > 0 && my <= h && mx > 0 && mx < GetPropNum(id + "WIDTH") - 1.5 * f.fx * bar) {
        Number line = std::trunc(my / f.fy) + GetPropNum(id + "SCROLL");
        SetPropNum(id + "HOVER", line);
        if (k == 1 && line != GetPropNum(id + "SELECT")) {
            // A click below the last item clears the selection.
            if (line >= GetPropNum(id + "COUNT")) line = -1;
            SetPropNum(id + "SELECT", line);
            SetProp(id + "CLICKED", "1");
        }
    } else {
        SetProp(id + "HOVER", "-1");
    }
}

void DrawList(const StrValue& id) {
    const FontCell f = CurrentFontCell();
    const Number w = GetPropNum(id + "WIDTH");
    const Number h = GetPropNum(id + "HEIGHT");
    const StrValue text = GetProp(id + "TEXT");
    const Number scroll = GetPropNum(id + "SCROLL");
    const Number hover = GetPropNum(id + "HOVER");
    const Number select = GetPropNum(id + "SELECT");
    const ColourPair normal = WidgetColours(false);
    const ColourPair lit = WidgetColours(true);
    const int first = std::max(0, ToInt(scroll));
    size_t pos = 0;
    std::string_view item;
    int n = 0;
    for (; NextItem(text.View(), pos, item); ++n) {
        const Number y = (n - scroll) * f.fy;
        // Lines below the cell are clipped away: only the count is wanted from them.
        if (n < first || y >= h) continue;
        if (n == hover) {
            ShadedBox(lit.norm, lit.bright, 0, y, w - 1, f.fy - 1);
        } else if (n == select) {
            ShadedBox(lit.bright, lit.norm, 0, y, w - 1, f.fy - 1);
        } else {
            ShadedBox(normal.norm, normal.bright, 0, y, w - 1, f.fy - 1);
        }
        const StrValue shown(item);
        PrintText(shown, 4, y);
        if (n == select) PrintText(shown, 5, y);
    }
    SetPropNum(id + "COUNT", n);
    const Number frame = GetPropNum("COL_NORM");
    DrawRectCorners(0, 0, w - 1, 1, frame);
    DrawRectCorners(0, 0, 1, h - 1, frame);
    DrawRectCorners(w - 2, 0, w - 1, h - 1, frame);
    DrawRectCorners(0, h - 2, w - 1, h - 1, frame);
    ScrollBarDraw(id, w, h);
}

namespace {
// A list's selected line; -1 also for a list that has not been given one.
Number SelectionOf(const StrValue& id) {
    const StrValue select = GetProp(id + "SELECT");
    return select.View().empty() ? -1 : TextToNumber(select);
}
}  // namespace

void ScrollToSelection(const StrValue& id) {
    const Number select = SelectionOf(id);
    if (!(select >= 0)) return;
    const Number visible = std::max<Number>(1, VisibleLines(id));
    const Number scrollMax = std::max<Number>(0, ItemCount(id) - VisibleLines(id));
    Number scroll = GetPropNum(id + "SCROLL");
    if (select < scroll) scroll = select;
    if (select >= scroll + visible) scroll = select - visible + 1;
    SetPropNum(id + "SCROLL", std::clamp<Number>(scroll, 0, scrollMax));
}

std::vector<ListView> RememberListViews() {
    std::vector<ListView> views;
    for (int n = 1; n <= GetPropNum("COUNT"); ++n) {
        const StrValue id = GetProp("ID"_s + n);
        if (GetProp(id + "TYPE") == "LIST") views.push_back({id, GetProp(id + "SCROLL"), GetProp(id + "SELECT")});
    }
    return views;
}

void RestoreListViews(const std::vector<ListView>& views) {
    for (const ListView& v : views) {
        if (GetProp(v.id + "TYPE") != "LIST") continue;
        if (!(SelectionOf(v.id) >= 0) && !v.select.View().empty()) {
            SetPropNum(v.id + "SELECT", std::min(TextToNumber(v.select), ItemCount(v.id) - 1));
        }
        SetProp(v.id + "SCROLL", v.scroll);
        KeepScrollInRange(v.id, ItemCount(v.id) - VisibleLines(v.id));
        ScrollToSelection(v.id);
    }
}

// --- File widget -------------------------------------------------------------------------

void HandleFileWidget(const StrValue& id, Number, Number, Number k, Number) {
    if (k != 1 || InSizingPass()) return;
    const StrValue answer = FileRequest("*.*", 1);
    // Cancelling the requester keeps the file the widget already named.
    if (answer == "NO_FILE") return;
    SetProp(id + "TEXT", answer);
}

void DrawFileWidget(const StrValue& id) {
    const FontCell f = CurrentFontCell();
    const Number w = GetPropNum(id + "WIDTH");
    const Number h = GetPropNum(id + "HEIGHT");
    const ColourPair c = WidgetColours(GetPropNum(id + "HOVER") != 0);
    ShadedBox(c.bright, c.norm, 0, 0, w, h);
    const Number s = 1.2 * f.fy;
    ShadedBox(16732240, 16711680, 1, 1, s, s);
    const Number grey = 12632256;
    DrawRectCorners(1 + 0.45 * s, 1 + 0.6 * s, 1 + 0.75 * s, s, grey);
    DrawRectCorners(1 + 0.25 * s, 1 + 0.6 * s, 1 + 0.3 * s, s, grey);
    DrawRectCorners(1 + 0.25 * s, 1 + 0.6 * s, 1 + 0.75 * s, 1 + 0.65 * s, grey);
    DrawRectCorners(1 + 0.25 * s, 1 + 0.95 * s, 1 + 0.75 * s, s, grey);
    const StrValue text = GetProp(id + "TEXT");
    const size_t slash = text.View().rfind('/');
    const StrValue name = slash == std::string_view::npos ? text : StrValue(text.View().substr(slash + 1));
    PrintText(name, s + 3, 3);
}

// --- Constructors ----------------------------------------------------------------------------

void AddText(const StrValue& id, const StrValue& text, Number width, Number height) {
    const StrValue key = CreateWidget(id, text, width, height);
    SetProp(key + "TYPE", "TEXT");
}

void AddList(const StrValue& id, const StrValue& items, Number width, Number height) {
    const FontCell f = CurrentFontCell();
    size_t n = 0;
    Number longest = 0;
    size_t pos = 0;
    std::string_view item;
    for (; NextItem(items.View(), pos, item); ++n) longest = std::max<Number>(longest, Number(item.size()));
    if (height != 0) {
        height = height - std::fmod(height, f.fy) + 4;
    } else {
        height = 4 * f.fy + 4;
    }
    if (width == 0) width = (longest + 3) * f.fx;
    const StrValue key = CreateWidget(id, items, width, height);
    if (n == 0) SetProp(key + "SELECT", "-1");
    SetProp(key + "TYPE", "LIST");
    SetPropNum(key + "COUNT", Number(n));
    SetProp(key + "SCROLL", "0");
    SetPropNum(key + "SCROLLMAX", Number(n));
}

void AddFile(const StrValue& id, const StrValue& text, Number width, Number height) {
    if (width == 0) width = 12 * CurrentFontCell().fx;
    const StrValue key = CreateWidget(id, text, width, height);
    SetProp(key + "TYPE", "FILE");
}

void AppendItem(std::string& items, std::string_view item) {
    if (!items.empty()) items += '|';
    // An empty item would vanish in the "|" list, and one holding "|" would become two
    // and give every later line the record after its own.
    if (item.empty()) item = "<null>";
    const size_t at = items.size();
    items += item;
    std::replace(items.begin() + static_cast<std::ptrdiff_t>(at), items.end(), '|', '!');
}

void AddItem(const StrValue& id, const StrValue& item, Number index) {
    const StrValue text = GetProp(id + "TEXT");
    const std::string_view all = text.View();
    std::string stored;
    AppendItem(stored, item.View());
    // The byte offset where the item goes: the start of item `index`, or the end.
    size_t n = 0, pos = 0, at = all.size();
    std::string_view current;
    while (NextItem(all, pos, current)) {
        if (at == all.size() && index >= 0 && Number(n) == std::trunc(index)) {
            at = static_cast<size_t>(current.data() - all.data());
        }
        ++n;
    }
    std::string out;
    out.reserve(all.size() + stored.size() + 1);
    if (at == all.size()) {
        out.append(all);
        if (n > 0) out += '|';
        out += stored;
    } else {
        out.append(all.substr(0, at));
        out += stored;
        out += '|';
        out.append(all.substr(at));
    }
    StoreItems(id, StrValue(out), n + 1);
}

void AddItems(const StrValue& id, StrValue items) {
    StrValue text = GetProp(id + "TEXT");
    const size_t n = CountItems(text.View());
    const size_t added = CountItems(items.View());
    if (added == 0) return;
    if (n > 0) {
        text += "|";
        text += items;
        items = std::move(text);
    }
    StoreItems(id, std::move(items), n + added);
}

void DeleteItem(const StrValue& id, Number index) {
    const StrValue text = GetProp(id + "TEXT");
    std::string rest;
    size_t kept = 0;
    if (index >= 0) {
        size_t pos = 0;
        std::string_view item;
        for (Number i = 0; NextItem(text.View(), pos, item); ++i) {
            if (i == std::trunc(index)) continue;
            if (kept++ > 0) rest += '|';
            rest.append(item);
        }
    }
    StoreItems(id, StrValue(rest), kept);
    // A selection that pointed past the shortened list names no item any more.
    if (GetPropNum(id + "SELECT") >= Number(kept)) SetProp(id + "SELECT", "-1");
}

// --- TextBlock -----------------------------------------------------------------------------

Number TextBlock(const StrValue& id, Number x, Number y, Number width, Number draw, Number hit) {
    const FontCell f = CurrentFontCell();
    const StrValue text = GetProp(id + "TEXT") + " ";
    const int n = static_cast<int>(text.Length());
    const bool hitMode = hit != 0;
    const bool drawing = draw != 0 && !hitMode;
    Number selLo = 0;
    Number selHi = 0;
    Number caret = -1;
    if (!hitMode && GetProp("FOCUS") == id) {
        selLo = GetPropNum(id + "SELSTART");
        selHi = GetPropNum(id + "SELEND");
        caret = selHi;
        if (selLo > selHi) std::swap(selLo, selHi);
    }
    const Number startX = hitMode ? 0 : x;
    Number px = startX;
    Number py = hitMode ? 0 : y;
    char glyph[2] = {0, 0};
    for (int i = 0; i < n; ++i) {
        const char c = static_cast<char>(text.CharAt(i));
        if (hitMode && py >= y - f.fy && px >= x - 1.5 * f.fx) return i;
        if (c == '\n') {
            px = startX;
            py += f.fy;
            continue;
        }
        if (drawing) {
            glyph[0] = c;
            PrintText(glyph, px, py);
            if (selLo < selHi && i >= selLo && i < selHi) {
                SetAlphaMode(-0.3);
                DrawRectCorners(px, py, px + f.fx - 1, py + f.fy - 1, 0);
                SetAlphaMode(0);
            }
            if (i == caret) {
                SetAlphaMode(-0.5);
                DrawRectCorners(px - 1, py, px, py + f.fy - 1, 0);
                SetAlphaMode(0);
            }
        }
        px += f.fx;
        if (IsBlank(c)) {
            int j = i + 1;
            while (j < n && !IsBlank(static_cast<char>(text.CharAt(j)))) ++j;
            if ((j - i - 1) * f.fx + px - startX > width) {
                px = startX;
                py += f.fy;
            }
        }
    }
    if (hitMode) return n;
    return py + f.fy - y;
}

// --- Scroll bar ------------------------------------------------------------------------------

Number ScrollBarHandle(const StrValue& id, Number mx, Number my, Number k, Number, Number barHeight) {
    const FontCell f = CurrentFontCell();
    const BarKeys keys = BarKeysOf(id);
    const Number w = GetPropNum(keys.width);
    const Number h = barHeight;
    if (my <= 0 || my > h || mx < w - 1.5 * f.fx || mx >= w) return 1;
    const Number scrollMax = GetPropNum(keys.scrollMax);
    Number scroll = GetPropNum(keys.scroll);
    if (scrollMax <= 0) {
        if (scroll != 0) SetProp(keys.scroll, "0");
        if (scrollMax < 0) SetProp(keys.scrollMax, "0");
        return 0;
    }
    if (scroll > scrollMax) scroll = scrollMax;
    if (scroll < 0) {
        scroll = 0;
        SetProp(keys.scroll, "0");
    }
    if (k == 0 && MouseAxis(3) == 0) return 1;
    const Number bw = std::max(f.fx, f.fy);
    if (h <= 3 * bw) {
        scroll += my < h / 2 ? -1 : 1;
    } else if (my < bw) {
        if (k == 1) scroll -= 1;
    } else if (my >= h - bw) {
        if (k == 1) scroll += 1;
    } else {
        scroll = std::trunc((scrollMax + 1) * (my - bw) / (h - 2 * bw));
    }
    // Kept within the range at once, so the frame that moved it never draws past the end.
    scroll = std::clamp<Number>(scroll, 0, scrollMax);
    SetPropNum(keys.scroll, scroll);
    return 1;
}

void ScrollBarDraw(const StrValue& id, Number right, Number barHeight) {
    const BarKeys keys = BarKeysOf(id);
    const Number scrollMax = GetPropNum(keys.scrollMax);
    if (scrollMax <= 0) return;
    const FontCell f = CurrentFontCell();
    const Number w = right;
    const Number h = barHeight;
    const Number left = w - 1.5 * f.fx;
    DrawRectCorners(left, 0, w, h, GetPropNum("COL_NORM"));
    const Number scroll = GetPropNum(keys.scroll);
    if (!(scroll > 0 || scroll < scrollMax)) return;
    const Number bw = std::max(f.fx, f.fy);
    const ColourPair normal = WidgetColours(false);
    if (h <= 3 * bw) {
        ShadedBox(normal.bright, normal.norm, left, 0, 1.5 * f.fx, h / 2);
        ShadedBox(normal.bright, normal.norm, left, h / 2, 1.5 * f.fx, h / 2);
    } else {
        ShadedBox(normal.bright, normal.norm, left, 0, 1.5 * f.fx, bw + 1);
        ShadedBox(normal.bright, normal.norm, left, h - bw - 1, 1.5 * f.fx, bw + 1);
        const Number th = (h - 2 * bw) / (scrollMax + 1);
        const Number t = (scroll / scrollMax) * (h - 2 * bw - th);
        const ColourPair lit = WidgetColours(true);
        ShadedBox(lit.bright, lit.norm, left, bw + t, 1.5 * f.fx, th);
    }
    const Number mid = w - 0.75 * f.fx;
    const Number tipColour = GetPropNum("COL_BRIGHT");
    const Number baseColour = GetPropNum("COL_HOVER_NORM");
    // Triangles wound counter-clockwise on screen, as the 2D projection keeps front faces.
    if (scroll > 0) {
        StartPolygon(-1);
        PolygonVertex(mid, 0.2 * bw, 0, 0, tipColour);
        PolygonVertex(mid - f.fx / 2, 0.8 * bw, 0, 0, baseColour);
        PolygonVertex(mid + f.fx / 2, 0.8 * bw, 0, 0, baseColour);
        EndPolygon();
    }
    if (scroll < scrollMax) {
        StartPolygon(-1);
        PolygonVertex(mid, h - 0.2 * bw - 1, 0, 0, tipColour);
        PolygonVertex(mid + f.fx / 2, h - 0.8 * bw - 1, 0, 0, baseColour);
        PolygonVertex(mid - f.fx / 2, h - 0.8 * bw - 1, 0, 0, baseColour);
        EndPolygon();
    }
}
