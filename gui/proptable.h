// Property table: the whole state of the open dialog as one flat table of texts.
//
// A widget is only a string id; each of its properties is a row whose key is the id
// followed by the property name ("bt_ok" + "CLICKED"). Dialog-level properties use
// the bare name ("XPOS", "COUNT"). Dialogs opened on top of each other park the
// tables below them on the dialog stack (see dialog.h).
//
// Lookups are linear scans with exact, case-sensitive comparisons; a missing key
// reads as "" (and as 0 through GetPropNum), which the whole toolkit relies on.
//
// Dependencies: runtime/frame (StrValue, DimArray).
#pragma once

#include "runtime/frame/dimarray.h"   // Required for: DimArray
#include "runtime/frame/strvalue.h"   // Required for: StrValue, Number

// Default colours that DialogReset stores (red + 256 * green + 65536 * blue).
constexpr Number kColBright = 16773360;       // 240, 240, 255
constexpr Number kColNorm = 9470080;          // 128, 128, 144
constexpr Number kColHoverBright = 16769168;  // 144, 224, 255
constexpr Number kColHoverNorm = 16744496;    // 48, 128, 255

// The current dialog's table: row i holds the key in column 0 and the value in column 1.
DimArray<StrValue>& PropertyTable();
// The tables of the dialogs below the current one: [level][row][column], level 0 the oldest.
DimArray<StrValue>& DialogStack();
// Number of rows in the current table (0 when it is empty).
Number PropertyRowCount();

// The value stored under the key, or "" when there is none.
StrValue GetProp(const StrValue& key);
// GetProp read as a number (0 for "" or a non-numeric text).
Number GetPropNum(const StrValue& key);
// Replaces the value of the key's row, or appends a row for a new key.
void SetProp(const StrValue& key, const StrValue& value);
// The same, taking over the value's text: a list of many thousand items is not copied.
void SetProp(const StrValue& key, StrValue&& value);
// Numbers cross the table as the runtime's decimal text.
void SetPropNum(const StrValue& key, Number value);
// Item number index (from 0) of the "|"-separated list in id + "TEXT"; "" when there is
// no such item.
StrValue GetItem(const StrValue& id, Number index);
// Number of items of the "|"-separated list in id + "TEXT".
Number ItemCount(const StrValue& id);
// Steps through the items of a "|"-separated text as the runtime's split gives them (a
// run of "|" separates once, no item is empty) without copying the list: from `pos`,
// stores the next item and moves `pos` past it; false when there is none.
bool NextItem(std::string_view items, size_t& pos, std::string_view& item);

// Empties the table (the dialog layer's DialogReset refills it).
void ClearPropertyTable();

// Stack moves used by the dialog layer.
// Pushes the current table as the new top level of the dialog stack.
void PushPropertyTable();
// Makes the top level the current table again and drops it from the stack; false when
// the stack is empty (nothing changes then).
bool PopPropertyTable();
// Number of levels on the dialog stack.
Number DialogStackDepth();
// Replaces the current table with a copy of stack level L (0 = the oldest).
void LoadStackLevel(Number level);
