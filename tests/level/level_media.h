// Level media for tests and benchmarks: scratch directories, small models, pictures,
// animation files and level files written byte by byte.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace level_media {

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

template <class T>
void Put(std::string& out, T value) {
    out.append(reinterpret_cast<const char*>(&value), sizeof(T));
}

// A binary model of one frame holding `triangles` triangles (a plain triangle list),
// so models can be told apart by their triangle count.
inline std::string ModelBytes(int triangles) {
    const int n = triangles * 3;
    std::string out;
    Put<uint32_t>(out, 0x00C6B317u), Put<double>(out, 1.02);
    Put<int32_t>(out, 1), Put<int32_t>(out, 1), Put<int32_t>(out, n);   // frames, palette words, texture pairs
    Put<uint32_t>(out, 0x00FFFFFFu);
    for (int i = 0; i < n; ++i) {
        Put<float>(out, float(i % 2));
        Put<float>(out, float(i % 3 == 0));
    }
    Put<int32_t>(out, n);
    for (int k = 0; k < 3; ++k) Put<float>(out, 0.0f);
    for (int k = 0; k < 3; ++k) Put<float>(out, 1.0f);
    for (int i = 0; i < n; ++i) {
        const uint8_t rec[5] = {uint8_t(i), uint8_t(i * 7), uint8_t(i % 3 * 50), 0, 0};
        out.append(reinterpret_cast<const char*>(rec), 5);
    }
    return out;
}

// A 24-bit picture of the given size, so pictures can be told apart by their size.
inline std::string PictureBytes(int width, int height) {
    const int stride = (width * 3 + 3) / 4 * 4;
    std::string out;
    out += "BM";
    Put<uint32_t>(out, 54u + uint32_t(stride * height)), Put<uint32_t>(out, 0);
    Put<uint32_t>(out, 54), Put<uint32_t>(out, 40);
    Put<int32_t>(out, width), Put<int32_t>(out, height);
    Put<uint16_t>(out, 1), Put<uint16_t>(out, 24);
    for (int k = 0; k < 6; ++k) Put<uint32_t>(out, 0);
    for (int y = 0; y < height; ++y) {
        std::string row(size_t(stride), '\0');
        for (int x = 0; x < width; ++x) row[size_t(x * 3)] = char(40 + x), row[size_t(x * 3 + 1)] = char(y);
        out += row;
    }
    return out;
}

// An animation file: line 0 the slot count, then one (first, last) line per slot.
inline std::string AnimBytes(const std::vector<std::pair<int, int>>& slots) {
    std::string out = std::to_string(slots.size()) + "\r\n";
    char line[64];
    for (const auto& [first, last] : slots) {
        std::snprintf(line, sizeof line, "%7d  %7d\r\n", first, last);
        out += line;
    }
    return out;
}

// A fresh, empty directory under $TMPDIR (or /tmp), removed when the object goes.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag) {
        const char* base = std::getenv("TMPDIR");
        static int counter = 0;
        path_ = std::string(base && *base ? base : "/tmp") + "/zv_" + tag + "_" + std::to_string(::getpid()) +
                "_" + std::to_string(counter++);
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace level_media
