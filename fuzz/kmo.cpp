// Fuzz target for both ".kmo" forms: read, build, bounds, a write/read round trip that
// must reproduce the same bytes, and box and ray tests on the result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "runtime/gfx3d/lumenor3d.h"
#include "runtime/gfx3d/model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Lumenor3D* engine = new Lumenor3D;
    MeshObject& model = *engine->Model(0);
    if (ReadModelBytes(model, data, size) != ModelReadResult::kOk) {
        if (!model.Empty()) std::abort();   // a refused file leaves nothing behind
        return 0;
    }
    if (model.frames.empty() || model.frames[0].packed.empty()) return 0;
    model.build();
    ComputeModelBounds(model);
    engine->ModelChanged(0);

    const std::string bytes = ModelBinaryBytes(model);
    MeshObjectX again;
    if (ReadModelBytes(again, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()) != ModelReadResult::kOk) {
        std::abort();
    }
    if (ModelBinaryBytes(again) != bytes) std::abort();

    engine->SetMovement(0.5, -1, 2);
    engine->AddRotation(33, 0, 1, 0);
    for (int frame = -1; frame <= int(model.frames.size()); ++frame) {
        const MeshFrame* f = frame >= 0 && frame < int(model.frames.size()) ? &model.frames[size_t(frame)] : nullptr;
        const double c = f ? f->centre[0] : 0;
        engine->CollisionBox(0, frame, c, 0, 0, 1.5, 3.5);
        engine->CollisionRay(0, frame, c, 10, 0, 0, -1, 0);
    }
    engine->DrawAnimation(0, 0, double(model.frames.size()), 0.37, true);
    return 0;
}
