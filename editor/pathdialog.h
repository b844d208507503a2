// Path editor: the level's closed paths and their points, beside the dimmed level view
// in which the selected point blinks. PathDialog itself is declared with the other
// dialogs in editor/dialogs.h.
//
// Path numbers held by objects and actors are never changed here: deleting a path
// moves the last path into its place, and references to the last path then point past
// the end.
//
// Dependencies: level/level (PathLen, PathPoints, ViewTarget), editor/view, gui,
// runtime (frame, numbers, 3D drawing).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// Appends a path with no points, of the current point capacity.
void AddPath();
// Deletes path p: the last path takes its place. Objects and actors on p get no path;
// those on the last path follow it to its new number.
void DeletePath(Number p);
// Appends a point to path p: point 0 moved by +1 in x and z (on a fresh path, where
// point 0 is still all zeros, that is (1, 0, 1)). Raises the capacity of every path
// when the path would come within one slot of it.
void AddPathPoint(Number p);
// Deletes point k of path p; the later points move down one.
void DeletePathPoint(Number p, Number k);

// The list line of point k at (x, y, z): its letter, then each coordinate in four
// characters with one decimal. The letter is the character of code 65 + k; where that
// would be "|" (the list's item separator) or no printable character, "#" + k.
StrValue PathPointLine(Number k, Number x, Number y, Number z);
