// File dialogs: the system's open and save dialogs (zenity's GTK file chooser).
//
// The window is hidden while the dialog is open and shown again after; the current
// directory survives the dialog. Without zenity or a display the built-in requester
// set with SetFileRequestFallback answers (the widget toolkit provides it), else
// "NO_FILE". Automated runs (ZENTROVEL_AUTOMATED set) never open a dialog and answer
// "NO_FILE"; on the headless platform the test's queued answers come first, then the
// built-in requester (driven by the test's script).
//
// Dependencies: frame (window and display mode), platform, program (error log).
#pragma once

#include <functional>   // Required for: std::function
#include <string>
#include <vector>

#include "runtime/frame/strvalue.h"

// filter: display name and pattern pairs separated by "|", e.g.
// "KMO Objects (*.kmo)|*.kmo"; several patterns of one pair separated by ";".
// open != 0: open dialog, else save dialog (which confirms overwriting).
// Returns the chosen path with "/" separators, or "NO_FILE" when cancelled.
StrValue FileRequest(const StrValue& filter, Number open);

// The built-in requester used where the system dialog is missing; empty to remove.
void SetFileRequestFallback(std::function<StrValue(const StrValue&, Number)> fn);

// The zenity command line for a request (exposed for tests); its patterns match file
// names in any letter case, as the built-in requester does.
std::vector<std::string> ZenityArguments(const StrValue& filter, bool open,
                                         const std::string& directory);
