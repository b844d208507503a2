// Bringing media into the level: the "New" buttons' file requests offer models and
// pictures from anywhere on disk. A ".kmo" or ".bmp" in the media folder is taken as it
// is; one elsewhere is copied in; any other model or picture format is imported into the
// media folder under its own base name, a model together with the textures it names.
// A file already in the media folder is replaced only when the designer says Yes, and a
// failed import shows why and changes nothing.
//
// Dependencies: import (model and picture import), level (MediaRoot, AddTexture),
// gui (message box), runtime/files (file request, safe writes, line file).
#pragma once

#include "runtime/frame/strvalue.h"   // Required for: StrValue

// Asks for a model; returns its name in the media folder, or "NO_FILE" when nothing is
// to be added. The textures an imported model names are imported and added to the level.
StrValue PickModelToAdd();
// Asks for a texture; returns its name in the media folder, or "NO_FILE".
StrValue PickTextureToAdd();
