// Property table and dialog stack: the toolkit's only global state besides the layout
// record of the last frame (dialog.cpp).
//
// Dependencies: runtime/frame (StrValue, DimArray).
#include "gui/proptable.h"

#include <algorithm> // Required for: std::max, std::min
#include <cmath>     // Required for: std::trunc
#include <utility>   // Required for: std::move
#include <vector>    // Required for: per-level row counts

namespace {

struct TableState {
    DimArray<StrValue> table;   // [row][0 key, 1 value]
    DimArray<StrValue> stack;   // [level][row][0 key, 1 value]
    // Real row count of each parked table: the stack's shared row count pads shorter
    // tables, and the padding must not come back as rows of the restored table.
    std::vector<int> levelRows;
};

TableState& State() {
    static TableState state;
    return state;
}

int Rows(const DimArray<StrValue>& table) { return static_cast<int>(table.Extent(0)); }

int FindRow(const StrValue& key) {
    const DimArray<StrValue>& t = State().table;
    const int n = Rows(t);
    const StrValue* keys = t.Data();
    for (int i = 0; i < n; ++i) {
        if (keys[i] == key) return i;
    }
    return -1;
}

// Adds one row, moving the existing texts instead of copying them.
void GrowTable(const StrValue& key, StrValue value) {
    DimArray<StrValue>& t = State().table;
    const int n = Rows(t);
    DimArray<StrValue> grown;
    grown.Dim(n + 1, 2);
    StrValue* to = grown.Data();
    StrValue* from = t.Data();
    for (int i = 0; i < n; ++i) {
        to[i] = std::move(from[i]);
        to[i + n + 1] = std::move(from[i + n]);
    }
    to[n] = key;
    to[n + n + 1] = std::move(value);
    t = std::move(grown);
}

}  // namespace

DimArray<StrValue>& PropertyTable() { return State().table; }
DimArray<StrValue>& DialogStack() { return State().stack; }
Number PropertyRowCount() { return Rows(State().table); }

StrValue GetProp(const StrValue& key) {
    const int row = FindRow(key);
    if (row < 0) return StrValue();
    return State().table(row, 1);
}

Number GetPropNum(const StrValue& key) {
    const int row = FindRow(key);
    if (row < 0) return 0;
    return TextToNumber(State().table(row, 1));
}

void SetProp(const StrValue& key, const StrValue& value) {
    const int row = FindRow(key);
    if (row >= 0) {
        State().table(row, 1) = value;
    } else {
        GrowTable(key, value);
    }
}

void SetProp(const StrValue& key, StrValue&& value) {
    const int row = FindRow(key);
    if (row >= 0) {
        State().table(row, 1) = std::move(value);
    } else {
        GrowTable(key, std::move(value));
    }
}

void SetPropNum(const StrValue& key, Number value) { SetProp(key, NumberToText(value)); }

bool NextItem(std::string_view items, size_t& pos, std::string_view& item) {
    while (pos < items.size() && items[pos] == '|') ++pos;
    if (pos >= items.size()) return false;
    const size_t end = std::min(items.find('|', pos), items.size());
    item = items.substr(pos, end - pos);
    pos = end;
    return true;
}

// Lists of many thousand items are walked, not split: a split copies every item.
StrValue GetItem(const StrValue& id, Number index) {
    if (!(index >= 0)) return StrValue();
    const StrValue text = GetProp(id + "TEXT");
    size_t pos = 0;
    std::string_view item;
    for (Number i = 0; NextItem(text.View(), pos, item); ++i) {
        if (i == std::trunc(index)) return StrValue(item);
    }
    return StrValue();
}

Number ItemCount(const StrValue& id) {
    const StrValue text = GetProp(id + "TEXT");
    size_t pos = 0;
    std::string_view item;
    Number n = 0;
    while (NextItem(text.View(), pos, item)) ++n;
    return n;
}

void ClearPropertyTable() { State().table.Dim(0); }

void PushPropertyTable() {
    TableState& s = State();
    const int depth = static_cast<int>(s.levelRows.size());
    const int rows = Rows(s.table);
    const int oldRows = depth > 0 ? static_cast<int>(s.stack.Extent(1)) : 0;
    // Every level shares one row count; at least one row keeps the array's shape valid.
    const int stackRows = std::max({1, rows, oldRows});
    if (depth == 0) {
        s.stack.Dim(1, stackRows, 2);
    } else {
        s.stack.Redim(depth + 1, stackRows, 2);
    }
    for (int r = 0; r < rows; ++r) {
        s.stack(depth, r, 0) = s.table(r, 0);
        s.stack(depth, r, 1) = s.table(r, 1);
    }
    s.levelRows.push_back(rows);
}

void LoadStackLevel(Number level) {
    TableState& s = State();
    const int l = ToInt(level);
    if (l < 0 || l >= static_cast<int>(s.levelRows.size())) return;
    const int rows = s.levelRows[l];
    if (rows == 0) {
        s.table.Dim(0);
        return;
    }
    s.table.Dim(rows, 2);
    for (int r = 0; r < rows; ++r) {
        s.table(r, 0) = s.stack(l, r, 0);
        s.table(r, 1) = s.stack(l, r, 1);
    }
}

bool PopPropertyTable() {
    TableState& s = State();
    const int depth = static_cast<int>(s.levelRows.size());
    if (depth == 0) return false;
    LoadStackLevel(depth - 1);
    s.levelRows.pop_back();
    if (depth == 1) {
        s.stack.Dim(0);
    } else {
        s.stack.Redim(depth - 1, s.stack.Extent(1), 2);
    }
    return true;
}

Number DialogStackDepth() { return static_cast<Number>(State().levelRows.size()); }
