// Import: models from the formats designers use (OBJ, glTF, FBX, Collada, PLY, STL and the
// rest that Assimp reads) into ".kmo" models with their animation files, and pictures
// (PNG, JPEG, TGA, GIF, PSD through stb_image) into BMP textures.
//
// A model's meshes are joined, triangulated and sampled frame by frame: skinned meshes are
// posed from their bones at every sampled time, morph targets blended by their weights.
// Each frame is quantised to one byte per axis, rounded to the nearest step, so the
// largest error is half a step of the frame's longest side.
//
// Everything is built in memory first and written only when it is complete, so a failed
// import leaves no file behind. Files are untrusted: sizes are checked before the
// libraries are asked for memory.
//
// Dependencies: runtime/gfx3d (the model in memory and its binary and text forms),
// runtime/gfx2d (the transparent colour), runtime/files (safe writes); Assimp, stb_image,
// nlohmann-json (glTF skins are checked before Assimp reads them).
#pragma once

#include <cstddef>   // Required for: size_t
#include <cstdint>   // Required for: uint8_t
#include <string>
#include <utility>   // Required for: std::pair
#include <vector>

// The animation slots a clip's name can fill, in the animation file's order.
inline constexpr const char* kAnimSlotNames[6] = {"stand", "walk", "jump", "swim", "fall", "die"};

struct ModelImportOptions {
    double scale = 1;
    bool zUp = false;      // the file's up axis is z: turned so it becomes y
    double fps = 10;       // frames per second of animation sampling
    bool text = false;     // write the text form instead of the binary one
};

struct ImportedAnimation {
    std::string name;
    int first = 0, last = 0;   // frame range in the model
    int slot = -1;             // index into kAnimSlotNames, -1 for none
};

struct ModelImport {
    bool ok = false;
    std::string error;         // names the file and what is wrong
    size_t triangles = 0;
    size_t frames = 0;
    std::vector<ImportedAnimation> animations;
    double boundsMin[3] = {0, 0, 0}, boundsMax[3] = {0, 0, 0};   // over all frames
    double quantisationError = 0;   // largest position error, in model units
    std::vector<std::string> textures;   // as the model names them; "*N" is embedded picture N
    // The embedded pictures among them: name and the picture file's bytes.
    std::vector<std::pair<std::string, std::string>> embedded;
    std::vector<std::string> warnings;
    std::string modelBytes;         // the ".kmo" file
    std::string animationBytes;     // the animation file; empty without animations
};

// Reads the model file (and the files it refers to, such as an OBJ's MTL) into `.kmo`
// and animation file bytes. Writes nothing.
ModelImport ImportModel(const std::string& path, const ModelImportOptions& options);
// Writes out, and beside it out + "a" when the model has animations (an older animation
// file beside it goes). False with `error` set when a file could not be written.
bool WriteModelImport(ModelImport& model, const std::string& out);

struct ImageImport {
    bool ok = false;
    std::string error;
    int width = 0, height = 0;
    int bits = 24;
    bool transparency = false;   // the picture had transparent pixels and they were kept
    bool keyed = false;          // kept as the transparent colour rather than as alpha
    std::vector<std::string> warnings;
    std::string bmpBytes;
};

// Decodes the picture and makes BMP bytes: 24 bits without transparency, 32 bits with
// alpha when the picture has any (fully transparent pixels also get the transparent
// colour, which is what the engine looks at), or with `key` 24 bits where the fully
// transparent pixels are the transparent colour.
ImageImport ImportImage(const std::string& path, bool key);
ImageImport ImportImageBytes(const uint8_t* data, size_t size, const std::string& name, bool key);

// File patterns of what can be imported, for file requests ("*.obj;*.gltf;...").
std::string ModelImportPatterns();
std::string ImageImportPatterns();
// True when the file name ends in one of the patterns' extensions (any letter case).
bool IsImportableModel(const std::string& path);
bool IsImportableImage(const std::string& path);
