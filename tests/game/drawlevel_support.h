// Test helpers for the level drawing: a painter that records every scene command, and
// flat square models for the shadow rays.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "game/drawlevel.h"

namespace drawlevel_test {

// One recorded scene command: its name, its numbers and its text (Print3D).
struct Call {
    std::string name;
    std::vector<Number> args;
    std::string text;
};

class RecordingPainter : public LevelPainter {
public:
    RecordingPainter() { SetLevelPainter(this); }
    ~RecordingPainter() override { SetLevelPainter(nullptr); }

    void SetLight(Number n, Number colour, Number x, Number y, Number z, Number dx, Number dy, Number dz,
                  Number cutoff) override {
        Add("SetLight", {n, colour, x, y, z, dx, dy, dz, cutoff});
    }
    void SetCullMode(Number mode) override { Add("SetCullMode", {mode}); }
    void SetAlphaMode(Number alpha) override { Add("SetAlphaMode", {alpha}); }
    void SetTexture(Number sprite, Number second) override { Add("SetTexture", {sprite, second}); }
    void SetMovement(Number x, Number y, Number z) override { Add("SetMovement", {x, y, z}); }
    void AddRotation(Number angle, Number x, Number y, Number z) override { Add("AddRotation", {angle, x, y, z}); }
    void DrawAnimation(Number slot, Number from, Number to, Number factor, Number loop) override {
        Add("DrawAnimation", {slot, from, to, factor, loop});
    }
    void DrawObject(Number slot, Number frame) override { Add("DrawObject", {slot, frame}); }
    void DrawSprite3D(Number sprite, Number x, Number y, Number z, Number size) override {
        Add("DrawSprite3D", {sprite, x, y, z, size});
    }
    void Print3D(const StrValue& text, Number x, Number y, Number z) override {
        Add("Print3D", {x, y, z}, text.Std());
    }
    void DrawLine3D(Number x1, Number y1, Number z1, Number x2, Number y2, Number z2, Number colour,
                    Number width) override {
        Add("DrawLine3D", {x1, y1, z1, x2, y2, z2, colour, width});
    }

    std::vector<Call> calls;

    // Indices of the calls with this name.
    std::vector<size_t> Find(const std::string& name) const {
        std::vector<size_t> out;
        for (size_t i = 0; i < calls.size(); ++i) {
            if (calls[i].name == name) out.push_back(i);
        }
        return out;
    }
    // The last call of `name` before index `before`, or null.
    const Call* LastBefore(const std::string& name, size_t before) const {
        for (size_t i = before; i-- > 0;) {
            if (calls[i].name == name) return &calls[i];
        }
        return nullptr;
    }

private:
    void Add(const std::string& name, std::vector<Number> args, std::string text = {}) {
        calls.push_back({name, std::move(args), std::move(text)});
    }
};

template <class T>
void Put(std::string& out, T value) {
    char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    out.append(raw, sizeof(T));
}

// A binary model of one frame: a flat square of side 2 × half (whole units, up to 127)
// lying at height 0 around the origin, as two triangles.
inline std::string FlatSquareBytes(int half) {
    const uint8_t lo = uint8_t(128 - half), hi = uint8_t(128 + half), mid = 128;
    const uint8_t corners[6][2] = {{lo, lo}, {hi, lo}, {hi, hi}, {lo, lo}, {hi, hi}, {lo, hi}};
    std::string out;
    Put<uint32_t>(out, 0x00C6B317u);
    Put<double>(out, 1.02);
    Put<int32_t>(out, 1);   // frames
    Put<int32_t>(out, 1);   // palette words
    Put<int32_t>(out, 6);   // texture pairs
    Put<uint32_t>(out, 0x00FFFFFFu);
    for (int i = 0; i < 6; ++i) {
        Put<float>(out, 0.0f);
        Put<float>(out, 0.0f);
    }
    Put<int32_t>(out, 6);
    for (int k = 0; k < 3; ++k) Put<float>(out, 128.0f);   // offset: position = q - 128
    for (int k = 0; k < 3; ++k) Put<float>(out, 1.0f);
    for (const auto& c : corners) {
        const uint8_t rec[5] = {c[0], mid, c[1], 0, 0};
        out.append(reinterpret_cast<const char*>(rec), 5);
    }
    return out;
}

}  // namespace drawlevel_test
