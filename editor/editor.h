// The editor: start-up, the main panel beside the dimmed perspective view, the main
// loop and its events, the test cycle and the recovery copy.
//
// The editor works on one level file ("level.ini" in the working directory at start
// unless SetLevelFile names another) and makes its folder the working directory.
// "test.ini" and the recovery copy ("level.recover.ini" for "level.ini") live beside
// it. When the program ends with changes since the last load or save, and once a
// minute while there are such changes, the level is written to the recovery copy; where
// the level's folder takes no file, the copy goes to $XDG_DATA_HOME/zentrovel/. The
// next start offers to load the newest copy. The window's title names the file, with
// " *" while there are unsaved changes; ending with such changes asks first.
//
// Dependencies: level/level, level/levelfile, editor/view, editor/objectdialog,
// editor/dialogs, game/playlevel, gui (dialogs, message box), runtime (frame, input,
// files, 2D and 3D drawing).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// Fixed media slots of the editor's own pictures and models.
constexpr int kPointerModel = 100;
constexpr int kHandSprite = 100;
constexpr int kMousePointerSprite = 103;
constexpr int kGuiFont = 1;

// The level file's name by default, the copy written before each test run, and the
// default level's recovery copy, all in the level's folder.
inline constexpr const char* kLevelFile = "level.ini";
inline constexpr const char* kTestFile = "test.ini";
inline constexpr const char* kRecoveryFile = "level.recover.ini";

// The level file EditorStart opens (made absolute against the working directory);
// empty: "level.ini" in the working directory at start.
void SetLevelFile(const StrValue& path);

// The user program's main routine: loads the editor's media from the working directory,
// the level (or, when the designer agrees, a newer recovery copy) and the game's media,
// then runs EditorMain.
[[noreturn]] void EditorStart();

// The main loop: builds the panel, then draws and handles one frame after another.
// Never returns; the program ends from FlipScreen or WaitForInput.
[[noreturn]] void EditorMain();

// Fills the open main panel with its buttons and the model, texture and object lists
// of the level arrays, as at start and after every change of a list.
void BuildPanel();

// Loads the game's fixed media (shadow, sky box, item and shot pictures) from MediaRoot.
void LoadGameMedia();

// Runs the open file dialog in MediaRoot with the filter and returns the chosen file's
// name without its directory, or "NO_FILE" when the dialog was cancelled. The current
// directory is the same afterwards.
StrValue PickMediaFile(const StrValue& filter);

// Saves the level's file and tells the designer how it went (also Ctrl+S). Returns the file's line count,
// or -1 when it could not be written (the old file is then unchanged).
Number SaveLevelWithMessage();

// The test cycle: saves "test.ini", plays it and reloads it, so nothing the game
// changed survives. A level without a player, or a "test.ini" that cannot be written,
// is not played; a message says why. Returns 1 when the level was played.
Number TestLevel();

// 1 when the level differs from what was last loaded or saved (path-driven object
// positions, which the preview moves, do not count).
Number LevelChanged();

// Writes the recovery copy if the level has changes: the level as it is, or during a
// test run the "test.ini" saved just before it. Returns 1 when a copy was written.
// Runs by itself when the program ends and, with changes, once a minute.
Number WriteRecoveryCopy();
