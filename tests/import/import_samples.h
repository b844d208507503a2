// Small files to import, made in memory: PNG pictures and a skinned glTF tube.
#pragma once

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

inline std::string Base64(const std::string& bytes) {
    static const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = uint8_t(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= uint8_t(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) v |= uint8_t(bytes[i + 2]);
        for (size_t k = 0; k < 4; ++k) out += i + k <= bytes.size() ? digits[(v >> (18 - 6 * k)) & 63] : '=';
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
    std::string buf;
    auto f32 = [&buf](float v) { buf.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&buf](uint16_t v) { buf.append(reinterpret_cast<const char*>(&v), 2); };
    const int n = 3 * sides;
    const double pi = std::acos(-1.0);
    for (int r = 0; r < 3; ++r)
        for (int s = 0; s < sides; ++s) f32(0.5f * float(std::cos(2 * pi * s / sides))), f32(float(r)), f32(0.5f * float(std::sin(2 * pi * s / sides)));
    const size_t joints = buf.size();
    for (int v = 0; v < n; ++v) u16(v >= 2 * sides), u16(0), u16(0), u16(0);
    const size_t weights = buf.size();
    for (int v = 0; v < n; ++v) f32(1), f32(0), f32(0), f32(0);
    const size_t indices = buf.size();
    for (int r = 0; r < 2; ++r)
        for (int s = 0; s < sides; ++s) {
            const uint16_t a = uint16_t(r * sides + s), b = uint16_t(r * sides + (s + 1) % sides);
            for (uint16_t i : {a, uint16_t(a + sides), b, b, uint16_t(a + sides), uint16_t(b + sides)}) u16(i);
        }
    const size_t ibm = buf.size();
    for (int j = 0; j < 2; ++j)
        for (int k = 0; k < 16; ++k) f32(k % 5 == 0 ? 1.0f : (j == 1 && k == 13) ? -1.0f : 0.0f);
    std::string accessors = R"({"bufferView":0,"componentType":5126,"count":)" + std::to_string(n) +
                            R"(,"type":"VEC3","min":[-0.5,0,-0.5],"max":[0.5,2,0.5]},)" +
                            R"({"bufferView":1,"componentType":5123,"count":)" + std::to_string(n) + R"(,"type":"VEC4"},)" +
                            R"({"bufferView":2,"componentType":5126,"count":)" + std::to_string(n) + R"(,"type":"VEC4"},)" +
                            R"({"bufferView":3,"componentType":5123,"count":)" + std::to_string(12 * sides) +
                            R"(,"type":"SCALAR"},{"bufferView":4,"componentType":5126,"count":2,"type":"MAT4"})";
    std::string views = "", animations = "";
    const size_t starts[] = {0, joints, weights, indices, ibm, 0};
    auto view = [&](size_t at, size_t len) {
        views += (views.empty() ? "" : ",") + std::string(R"({"buffer":0,"byteOffset":)") + std::to_string(at) +
                 R"(,"byteLength":)" + std::to_string(len) + "}";
    };
    for (int k = 0; k < 5; ++k) view(starts[k], (k < 4 ? starts[k + 1] : ibm + 128) - starts[k]);
    for (size_t c = 0; c < clips.size(); ++c) {
        const size_t at = buf.size();
        f32(0), f32(float(clips[c].seconds));
        const double half = clips[c].degrees * pi / 360;
        f32(0), f32(0), f32(0), f32(1), f32(0), f32(0), f32(float(std::sin(half))), f32(float(std::cos(half)));
        view(at, 8);
        view(at + 8, 32);
        const std::string in = std::to_string(5 + 2 * c), out = std::to_string(6 + 2 * c);
        accessors += R"(,{"bufferView":)" + in + R"(,"componentType":5126,"count":2,"type":"SCALAR","min":[0],"max":[)" +
                     std::to_string(clips[c].seconds) + "]}" + R"(,{"bufferView":)" + out +
                     R"(,"componentType":5126,"count":2,"type":"VEC4"})";
        animations += std::string(c ? "," : "") + R"({"name":")" + clips[c].name +
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
