// Fuzz target for importing: the first byte picks the format the rest is read as (a model
// format through Assimp, or a picture through stb_image). Whatever is accepted must come
// out as a model or BMP that our own readers take back. Models go through a file, as the
// tool and the editor read them: Assimp's reading from memory has faults of its own.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

#include "import/import.h"
#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx3d/model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const char* const kHints[] = {"obj", "gltf", "glb", "fbx", "dae", "ply", "stl", "3ds",
                                         "x",   "md2",  "md3", "ms3d", "lwo", "ac",  "off", "b3d"};
    constexpr size_t kModels = sizeof kHints / sizeof kHints[0];
    if (size < 1) return 0;
    const uint8_t pick = data[0];
    ++data;
    --size;
    if (pick % (kModels + 1) == kModels) {
        const ImageImport r = ImportImageBytes(data, size, "fuzz", pick & 0x80);
        if (!r.ok) return 0;
        BmpTexture t;
        if (DecodeBmp(reinterpret_cast<const uint8_t*>(r.bmpBytes.data()), r.bmpBytes.size(), kSpriteColourKey,
                      kDefaultTextureLimit, t) != BmpStatus::Ok ||
            t.imageWidth != r.width || t.imageHeight != r.height)
            std::abort();
        return 0;
    }
    ModelImportOptions o;
    o.fps = 1 + pick / (kModels + 1) % 4;   // few frames: long clips only cost time
    static const std::string base = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/fuzz_import_" +
                                    std::to_string(getpid()) + ".";
    const std::string path = base + kHints[pick % (kModels + 1)];
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), std::streamsize(size));
    const ModelImport r = ImportModel(path, o);
    if (!r.ok) return 0;
    MeshObjectX model;
    if (ReadModelBytes(model, reinterpret_cast<const uint8_t*>(r.modelBytes.data()), r.modelBytes.size()) !=
            ModelReadResult::kOk ||
        model.frames.size() != r.frames || model.frames[0].packed.size() != 3 * r.triangles)
        std::abort();
    return 0;
}
