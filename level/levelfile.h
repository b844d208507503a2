// Level file: "level.ini" / "test.ini" to and from the level arrays, and the model
// animation files (a model's file name with "a" appended) to and from ModelAnims.
//
// The level file is an INI file of eight sections ("memory", "types", "textures",
// "objects", "paths", "players", "specials", "weapons"). Every list value is numbers
// each followed by one space. A level file is untrusted: loading never ends the
// program, long entries keep their first fields, and sizes from the file are bounded
// so that a damaged file can neither exhaust memory nor hang the load. Saving never
// destroys the previous file.
//
// Dependencies: level (the arrays), files (INI document, line files, atomic write),
// gfx2d (sprite slots), gfx3d (model slots).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// Counts and "maxpathpoints" above this are not believed as they stand.
constexpr int kMaxTrustedCount = 100000;
// A line file holds lines 0 to 255, so an animation file holds at most 255 slots.
constexpr int kMaxAnimSlots = 255;

// A frame number as an animation file can hold it: whole (rounded as the file writes
// it) and from -9999999 to 99999999, since the reader takes the first frame from the
// line's first eight characters. Beyond that it is the nearest end; NaN is 0.
Number AnimFrameNumber(Number frame);

// Replaces every level array and MediaRoot with the level in the file, loads every
// model and texture into the slot of its number and reads each model's animation file.
// A missing file gives an empty level with MediaRoot "NO_DATA/". The file stays the
// current INI document.
void LoadLevel(const StrValue& file);

// Writes the level arrays to the file and returns its number of lines, or -1 when the
// file could not be written (the previous file is then unchanged).
Number SaveLevel(const StrValue& file);

// Reads the animation file path + "a" into ModelAnims[m], growing ModelAnims to hold
// model m and the file's slots; slots beyond the file's keep their values.
void LoadModelAnims(Number m, const StrValue& path);

// Writes ModelAnims[m] to the animation file path + "a"; returns 1 when the file was
// written, 0 when it could not be.
Number SaveModelAnims(Number m, const StrValue& path);
