// Widgets: constructors, the two per-frame dispatchers and the shared drawing helpers.
//
// Every widget is a set of rows in the property table under its id: "TYPE", "TEXT",
// "WIDTH", "HEIGHT" and its kind's own keys. Results are read by key after DialogShow:
//   id + "CLICKED"  non-zero in the frame a button was released over the widget
//   id + "SELECT"   selected item of a list or radio group (-1 none)
//   id + "TEXT"     text of a text field, value of a slider ("0.00" .. "1.00")
//   id + "CHECKED"  state of a check box
// A width or height of 0 asks for the kind's default size; sizes are in pixels and
// defaults follow the current font's cell (fx by fy).
//
// Dependencies: gui/proptable, gui/dialog (AddItem refreshes), runtime/frame (input,
// clock), runtime/gfx2d (drawing, sprites), runtime/files (FileRequest).
#pragma once

#include <string>        // Required for: std::string (AppendItem)
#include <string_view>
#include <vector>

#include "runtime/frame/strvalue.h"   // Required for: StrValue, Number

// Static text; an empty id becomes "ID_STATIC_" + the new widget count.
void NewWidget(const StrValue& id, const StrValue& text, Number width, Number height);
// Empty space; width 10000 ends a row, height 0 adds no height to it.
void AddSpacer(Number width, Number height);
// Shorthands of the dialogs: end the row, end a group with a 10-pixel gap.
void EndRow();
void EndGroup();
// True in the frame in which the widget reported id + "CLICKED".
bool Clicked(const StrValue& id);
// A push button; a text "SPR_B" + n shows sprite n instead of a caption.
void AddButton(const StrValue& id, const StrValue& text, Number width, Number height);
void AddCheckbox(const StrValue& id, const StrValue& text, Number width, Number height);
// A radio group of "|"-separated items, one text line per item.
void AddRadio(const StrValue& id, const StrValue& items, Number width);
// A horizontal slider with a value from 0 to 1 held in id + "TEXT".
void AddSlider(const StrValue& id, Number width, Number height);
// An editable text field; "\n" in its text is a line break.
void AddText(const StrValue& id, const StrValue& text, Number width, Number height);
// A scrolling list of "|"-separated items.
void AddList(const StrValue& id, const StrValue& items, Number width, Number height);
// A file name with a button face that opens the file requester.
void AddFile(const StrValue& id, const StrValue& text, Number width, Number height);
// Inserts an item into a list or radio group at index (-1 or past the end appends).
// An empty item is stored as "<null>" and a "|" in it shows as "!", so that every item
// stays one line.
void AddItem(const StrValue& id, const StrValue& item, Number index);
// Appends an item, stored as AddItem stores it, to a "|"-separated text being built.
void AppendItem(std::string& items, std::string_view item);
// Appends every item of a "|"-separated text, as AddItem with index -1 would one by
// one, but refreshing the dialog once: lists of many thousand lines are built this way.
void AddItems(const StrValue& id, StrValue items);
// Removes the item at index; a negative index removes every item.
void DeleteItem(const StrValue& id, Number index);

// Scrolls a list just far enough that its selected line shows.
void ScrollToSelection(const StrValue& id);
// The scroll position and selection of every list of the current dialog. A dialog that
// is built again (DialogReset starts every list at the top, with no selection) hands
// them back with RestoreListViews: a list that its builder left without a selection gets
// its old one back (within its items), and every list scrolls as it was, then just far
// enough that its selection shows.
struct ListView {
    StrValue id, scroll, select;
};
std::vector<ListView> RememberListViews();
void RestoreListViews(const std::vector<ListView>& views);

// Input for one widget: pointer relative to its cell, click value k (-1 press, 1
// release, 0 none), second button b2.
void HandleWidget(const StrValue& id, Number mx, Number my, Number k, Number b2);
// Draws the widget at (0, 0) of the current viewport.
void DrawWidget(const StrValue& id);

// The shaded face every widget uses: colour c2 along the middle line, c1 at the edges.
void ShadedBox(Number c1, Number c2, Number x, Number y, Number width, Number height);
// Lays out the widget's text with word wrap. hit 0: returns the height (and draws at
// (x, y) when draw is non-zero). hit non-zero: (x, y) is a point relative to the text
// and the index of the character there is returned.
Number TextBlock(const StrValue& id, Number x, Number y, Number width, Number draw, Number hit);
// The vertical scroll bar of a widget (the dialog's own for the empty id). Returns 1
// when the bar takes part in the layout.
Number ScrollBarHandle(const StrValue& id, Number mx, Number my, Number k, Number b2,
                       Number barHeight);
void ScrollBarDraw(const StrValue& id, Number right, Number barHeight);
