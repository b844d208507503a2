// The toolkit's own file requester: what FileRequest falls back on where the system's
// file dialog is missing.
//
// A modal dialog of this toolkit lists the folders ("[name]", "[..]" for the parent)
// and the files of the current folder that match the chosen filter, with a text field
// for the name, OK and Cancel. It answers like the system dialog: the chosen path with
// "/" separators, or "NO_FILE" when cancelled.
//
// Dependencies: gui/dialog, gui/widgets, runtime/files (FileRequest, current directory),
// runtime/frame (FlipScreen, WaitForInput).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: StrValue, Number

// filter: display name and pattern pairs separated by "|" ("KMO Objects (*.kmo)|*.kmo");
// patterns may list several globs separated by ";". open non-zero asks for an existing
// file; 0 is a save requester that accepts a new name.
StrValue BuiltInFileRequest(const StrValue& filter, Number open);

// Registers BuiltInFileRequest as FileRequest's fallback.
void InstallFileRequester();
