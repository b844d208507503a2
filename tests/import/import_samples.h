// Small files to import, made in memory: PNG pictures and a skinned glTF tube.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>

namespace import_samples {

// A picture file ("png" or "tga") of RGBA pixels, rows from the top.
inline std::string Picture(const char* kind, int w, int h, const std::vector<uint8_t>& rgba) {
    std::string out;
    auto put = [](void* c, void* d, int n) { static_cast<std::string*>(c)->append(static_cast<char*>(d), size_t(n)); };
    if (std::string(kind) == "png") stbi_write_png_to_func(put, &out, w, h, 4, rgba.data(), w * 4);
    else stbi_write_tga_to_func(put, &out, w, h, 4, rgba.data());
    return out;
}

inline std::string Base64(std::string bytes) {
    const size_t n = bytes.size();
    bytes.append(2, '\0');
    std::string out;
    for (size_t i = 0; i < n; i += 3) {
        const uint32_t v = uint8_t(bytes[i]) << 16 | uint8_t(bytes[i + 1]) << 8 | uint8_t(bytes[i + 2]);
        for (size_t k = 0; k < 4; ++k)
            out += i + k <= n ? "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"[(v >> (18 - 6 * k)) & 63] : '=';
    }
    return out;
}

struct Clip {
    std::string name;
    double degrees;   // the upper bone's turn about z at the clip's end
    double seconds;
};

// A square tube of `sides` sides and radius 0.5 standing from y 0 to y 2 in rows at
// y 0, 1 and 2. The lower bone sits at the origin and holds the two lower rows; the
// upper bone sits at (0, 1, 0) and holds the top row. Each clip turns the upper bone
// from 0 to its angle about z, linearly over its time. Triangles: 4 x sides.
inline std::string SkinnedTube(int sides, const std::vector<Clip>& clips) {
    std::string buf, views, accessors, animations;
    auto f32 = [&buf](double v) { const float f = float(v); buf.append(reinterpret_cast<const char*>(&f), 4); };
    auto u16 = [&buf](int v) { const uint16_t u = uint16_t(v); buf.append(reinterpret_cast<const char*>(&u), 2); };
    // Everything written since `at` becomes a buffer view and an accessor of it.
    auto accessor = [&](size_t at, int component, int count, const char* type, const std::string& extra = "") {
        const std::string n = std::to_string(views.empty() ? 0 : std::count(views.begin(), views.end(), '{'));
        views += (views.empty() ? "{" : ",{") + std::string(R"("buffer":0,"byteOffset":)") + std::to_string(at) +
                 R"(,"byteLength":)" + std::to_string(buf.size() - at) + "}";
        accessors += (accessors.empty() ? "{" : ",{") + std::string(R"("bufferView":)") + n + R"(,"componentType":)" +
                     std::to_string(component) + R"(,"count":)" + std::to_string(count) + R"(,"type":")" + type +
                     "\"" + extra + "}";
        return n;
    };
    const int n = 3 * sides;
    const double pi = std::acos(-1.0);
    for (int v = 0; v < n; ++v) f32(0.5 * std::cos(2 * pi * v / sides)), f32(v / sides), f32(0.5 * std::sin(2 * pi * v / sides));
    accessor(0, 5126, n, "VEC3", R"(,"min":[-0.5,0,-0.5],"max":[0.5,2,0.5])");
    size_t at = buf.size();
    for (int v = 0; v < n; ++v) u16(v >= 2 * sides), u16(0), u16(0), u16(0);
    accessor(at, 5123, n, "VEC4");
    at = buf.size();
    for (int v = 0; v < n; ++v) f32(1), f32(0), f32(0), f32(0);
    accessor(at, 5126, n, "VEC4");
    at = buf.size();
    for (int r = 0; r < 2; ++r)
        for (int s = 0; s < sides; ++s) {
            const int a = r * sides + s, b = r * sides + (s + 1) % sides;
            for (int i : {a, a + sides, b, b, a + sides, b + sides}) u16(i);
        }
    accessor(at, 5123, 12 * sides, "SCALAR");
    at = buf.size();
    for (int k = 0; k < 32; ++k) f32(k % 16 % 5 == 0 ? 1 : k == 29 ? -1 : 0);   // the upper bone's inverse is 1 down
    accessor(at, 5126, 2, "MAT4");
    for (const Clip& c : clips) {
        at = buf.size();
        f32(0), f32(c.seconds);
        const std::string in = accessor(at, 5126, 2, "SCALAR", R"(,"min":[0],"max":[)" + std::to_string(c.seconds) + "]");
        at = buf.size();
        f32(0), f32(0), f32(0), f32(1), f32(0), f32(0), f32(std::sin(c.degrees * pi / 360)), f32(std::cos(c.degrees * pi / 360));
        const std::string out = accessor(at, 5126, 2, "VEC4");
        animations += std::string(animations.empty() ? "" : ",") + R"({"name":")" + c.name +
                      R"(","channels":[{"sampler":0,"target":{"node":2,"path":"rotation"}}],"samplers":[{"input":)" +
                      in + R"(,"output":)" + out + "}]}";
    }
    return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0,1]}],)"
           R"("nodes":[{"mesh":0,"skin":0},{"children":[2]},{"translation":[0,1,0]}],)"
           R"("meshes":[{"primitives":[{"attributes":{"POSITION":0,"JOINTS_0":1,"WEIGHTS_0":2},"indices":3}]}],)"
           R"("skins":[{"joints":[1,2],"inverseBindMatrices":4}],"accessors":[)" +
           accessors + R"(],"bufferViews":[)" + views + R"(],"animations":[)" + animations +
           R"(],"buffers":[{"byteLength":)" + std::to_string(buf.size()) +
           R"(,"uri":"data:application/octet-stream;base64,)" + Base64(buf) + R"("}]})";
}

}  // namespace import_samples
