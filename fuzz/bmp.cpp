// Fuzzes the BMP decoder and the mipmap reduction with arbitrary file bytes.
// Run bounded: bash scripts/fuzz.sh 120 bmp
#include <cstddef>
#include <cstdint>

#include "runtime/gfx2d/bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A small limit keeps each run's memory bounded while still exercising the cut.
    constexpr int kLimit = 1024;
    for (uint32_t key : {kSpriteColourKey, 0u}) {
        BmpTexture t;
        const BmpStatus status = DecodeBmp(data, size, key, kLimit, t);
        if (status != BmpStatus::Ok) {
            if (!t.texels.empty()) __builtin_trap();
            continue;
        }
        if (t.imageWidth > kLimit || t.imageHeight > kLimit || t.imageWidth > t.textureWidth ||
            t.imageHeight > t.textureHeight ||
            t.texels.size() != size_t(t.textureWidth) * size_t(t.textureHeight) * 4) {
            __builtin_trap();
        }
        int w = t.textureWidth, h = t.textureHeight;
        while (ShrinkToNextMipLevel(t.texels.data(), w, h)) {
        }
    }
    return 0;
}
