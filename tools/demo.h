// Demo content: the editor's own media, a small playable level ("level.ini") and its media
// folder, all drawn and modelled by code so that a fresh checkout can start at once.
//
// One model ("ground.kmo") is written in the text form and every other model in the binary
// form, so both model loaders run on every start. Each model gets its animation file.
//
// Dependencies: tools/picture, tools/mesh, runtime/gfx3d (model quantising and the binary writer).
#pragma once

#include <string>  // Required for: std::string
#include <vector>  // Required for: std::vector

// Name of the media folder inside the demo directory, as the level file names it.
inline constexpr const char* kDemoMediaFolder = "media";

struct DemoResult {
    bool ok = false;
    std::vector<std::string> files;  // written files, relative to the demo directory
    std::vector<std::string> kept;   // existing level and animation files left as they were
    std::string error;               // the first file that could not be written
};

// Writes the demo into `dir` (created when missing): the editor's media, "level.ini" and the
// media folder. An existing "level.ini" or model animation file is kept, since the editor
// saves those; other files of the same names are replaced.
DemoResult WriteDemo(const std::string& dir);

// Writes only the editor's own media into `dir` (created when missing): the fonts, the
// pointers and the sky that the editor loads from beside itself or from its install folder.
DemoResult WriteEditorMedia(const std::string& dir);

// Writes a new, minimal, playable level into `dir`, which must be empty or missing: a
// "level.ini" with a ground and the player, and the media folder with what they and the
// game need. Never writes over a file; fails on a folder that holds anything.
DemoResult WriteNewLevel(const std::string& dir);

// The text of the demo's "level.ini" (CR LF lines, as the level writer makes them).
std::string DemoLevelText();
