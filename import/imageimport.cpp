// Picture import: stb_image decodes, stb_image_write makes the BMP.
#include "import/import.h"

#include <cctype>       // Required for: std::tolower
#include <filesystem>   // Required for: extensions

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include "runtime/files/files.h"   // Required for: ReadRegularFile, kMaxPictureFileBytes
#include "runtime/gfx2d/bmp.h"     // Required for: kSpriteColourKey, kDefaultTextureLimit

namespace {

ImageImport Fail(const std::string& name, const std::string& why) {
    ImageImport r;
    r.error = name + ": " + why;
    return r;
}

void Append(void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
}

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

}  // namespace

ImageImport ImportImageBytes(const uint8_t* data, size_t size, const std::string& name, bool key) {
    if (!data || size == 0) return Fail(name, "empty file");
    if (size > size_t(INT32_MAX)) return Fail(name, "too large");
    int w = 0, h = 0, channels = 0;
    // The size is asked first, so a header that claims a huge picture costs nothing.
    if (!stbi_info_from_memory(data, int(size), &w, &h, &channels)) {
        const char* why = stbi_failure_reason();
        return Fail(name, std::string("not a picture that can be read (") + (why ? why : "unknown") + ")");
    }
    if (w <= 0 || h <= 0 || w > kDefaultTextureLimit || h > kDefaultTextureLimit)
        return Fail(name, std::to_string(w) + " x " + std::to_string(h) + " pixels; a texture is at most " +
                              std::to_string(kDefaultTextureLimit) + " on a side");
    uint8_t* pixels = stbi_load_from_memory(data, int(size), &w, &h, &channels, 4);
    if (!pixels) {
        const char* why = stbi_failure_reason();
        return Fail(name, std::string("cannot be decoded (") + (why ? why : "unknown") + ")");
    }
    ImageImport r;
    r.width = w;
    r.height = h;
    const size_t n = size_t(w) * size_t(h);
    size_t clear = 0, partial = 0, keyColoured = 0;
    for (size_t i = 0; i < n; ++i) {
        uint8_t* p = pixels + 4 * i;
        if (p[3] == 0) {
            ++clear;
            // The engine looks only at the colour: this one is its transparent colour.
            p[0] = kSpriteColourKey & 0xFF;
            p[1] = (kSpriteColourKey >> 8) & 0xFF;
            p[2] = (kSpriteColourKey >> 16) & 0xFF;
            continue;
        }
        if (p[3] < 255) ++partial;
        if (uint32_t(p[0] | p[1] << 8 | p[2] << 16) == kSpriteColourKey) ++keyColoured;
    }
    r.keyed = key && clear > 0;
    const int comp = key || (clear == 0 && partial == 0) ? 3 : 4;
    r.transparency = comp == 4 || r.keyed;
    if (comp == 3) {
        // Packed to three bytes a pixel in place: each write lands at or before its read.
        for (size_t i = 0; i < n; ++i) {
            for (int c = 0; c < 3; ++c) pixels[3 * i + c] = pixels[4 * i + c];
        }
    }
    r.bits = comp * 8;
    if (partial > 0)
        r.warnings.push_back(std::to_string(partial) + " partly transparent pixels are drawn opaque");
    if (keyColoured > 0)
        r.warnings.push_back(std::to_string(keyColoured) +
                             " opaque pixels have the transparent colour (red 255, green 0, blue 128) and are not drawn");
    const int ok = stbi_write_bmp_to_func(Append, &r.bmpBytes, w, h, comp, pixels);
    stbi_image_free(pixels);
    if (!ok) return Fail(name, "cannot be written as a BMP");
    r.ok = true;
    return r;
}

ImageImport ImportImage(const std::string& path, bool key) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return Fail(path, "no such file");
    std::vector<uint8_t> bytes;
    if (!ReadRegularFile(path, kMaxPictureFileBytes, bytes)) return Fail(path, "cannot be read or is too large");
    return ImportImageBytes(bytes.data(), bytes.size(), path, key);
}

std::string ImageImportPatterns() { return "*.png;*.jpg;*.jpeg;*.tga;*.gif;*.psd"; }

bool IsImportableImage(const std::string& path) {
    const std::string ext = Lower(std::filesystem::path(path).extension().string());
    return !ext.empty() && (ImageImportPatterns() + ";").find("*" + ext + ";") != std::string::npos;
}
