// Model: reading both ".kmo" forms, quantising, building triangle lists, bounds, writing.
#include "runtime/gfx3d/model.h"

#include <algorithm>   // Required for: std::min, std::max, std::find
#include <cmath>       // Required for: std::sqrt, std::fabs, std::isfinite
#include <cstdio>      // Required for: printf
#include <cstring>     // Required for: std::memcpy
#include <new>         // Required for: std::bad_alloc
#include <string_view>

#include "runtime/files/files.h"     // Required for: ReadRegularFile, WriteFileAtomically
#include "runtime/frame/program.h"   // Required for: AppendErrorLog

namespace {

struct ModelModuleState {
    bool trace = false;
};

ModelModuleState& State() {
    static ModelModuleState state;
    return state;
}

// ---- Little-endian byte reader over a file image; every read is bounds-checked.

class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t Remaining() const { return size_ - pos_; }
    bool ReadU32(uint32_t& out) {
        if (Remaining() < 4) return false;
        out = uint32_t(data_[pos_]) | uint32_t(data_[pos_ + 1]) << 8 | uint32_t(data_[pos_ + 2]) << 16 |
              uint32_t(data_[pos_ + 3]) << 24;
        pos_ += 4;
        return true;
    }
    bool ReadI32(int32_t& out) {
        uint32_t u;
        if (!ReadU32(u)) return false;
        out = static_cast<int32_t>(u);
        return true;
    }
    bool ReadF32(float& out) {
        uint32_t u;
        if (!ReadU32(u)) return false;
        std::memcpy(&out, &u, 4);
        return true;
    }
    bool ReadF64(double& out) {
        uint32_t lo, hi;
        if (!ReadU32(lo) || !ReadU32(hi)) return false;
        const uint64_t bits = uint64_t(hi) << 32 | lo;
        std::memcpy(&out, &bits, 8);
        return true;
    }
    const uint8_t* Take(size_t n) {
        if (Remaining() < n) return nullptr;
        const uint8_t* p = data_ + pos_;
        pos_ += n;
        return p;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// ---- Binary form.

ModelReadResult ReadBinary(MeshObject& model, const uint8_t* data, size_t size) {
    ByteReader in(data, size);
    uint32_t magic;
    double version;
    int32_t frameCount, paletteCount, texCount;
    if (!in.ReadU32(magic) || !in.ReadF64(version)) return ModelReadResult::kReadError;
    if (version != kModelVersion) return ModelReadResult::kReadError;
    if (!in.ReadI32(frameCount) || !in.ReadI32(paletteCount) || !in.ReadI32(texCount)) {
        return ModelReadResult::kReadError;
    }
    if (frameCount < 0 || paletteCount < 0 || texCount < 0) return ModelReadResult::kReadError;
    // Counts are checked against the bytes left before anything is reserved.
    if (size_t(paletteCount) > in.Remaining() / 4) return ModelReadResult::kReadError;
    model.palette.resize(size_t(paletteCount));
    for (auto& word : model.palette) in.ReadU32(word);
    if (size_t(texCount) > in.Remaining() / 8) return ModelReadResult::kReadError;
    model.texU.resize(size_t(texCount));
    model.texV.resize(size_t(texCount));
    for (int32_t k = 0; k < texCount; ++k) {
        in.ReadF32(model.texU[size_t(k)]);
        in.ReadF32(model.texV[size_t(k)]);
    }
    constexpr size_t kFrameHeader = 28;
    if (size_t(frameCount) > in.Remaining() / kFrameHeader || size_t(frameCount) > kMaxModelFrames) {
        return ModelReadResult::kReadError;
    }
    model.frames.resize(size_t(frameCount));
    size_t total = 0;
    for (auto& frame : model.frames) {
        int32_t n;
        if (!in.ReadI32(n) || n < 0) return ModelReadResult::kReadError;
        for (float& f : frame.offset) {
            if (!in.ReadF32(f)) return ModelReadResult::kReadError;
        }
        for (float& f : frame.scale) {
            if (!in.ReadF32(f)) return ModelReadResult::kReadError;
        }
        // Texture coordinates are indexed by position in every frame's packed list.
        if (size_t(n) > model.texU.size()) return ModelReadResult::kReadError;
        total += size_t(n);
        if (total > kMaxModelVertices) return ModelReadResult::kReadError;
        const uint8_t* rec = in.Take(size_t(n) * 5);
        if (!rec) return ModelReadResult::kReadError;
        frame.packed.resize(size_t(n));
        for (auto& p : frame.packed) {
            p.qx = rec[0];
            p.qy = rec[1];
            p.qz = rec[2];
            p.normalIndex = rec[3];
            p.colourIndex = rec[4];
            if (p.normalIndex >= kNormalCount || p.colourIndex >= model.palette.size()) {
                return ModelReadResult::kReadError;
            }
            rec += 5;
        }
    }
    model.packedLoaded = 1;
    return ModelReadResult::kOk;
}

// ---- Text form.

class TokenReader {
public:
    TokenReader(const uint8_t* data, size_t size)
        : text_(reinterpret_cast<const char*>(data), size) {}

    // False at the end of the text or for a token longer than the format allows.
    bool Next(std::string_view& token) {
        SkipSeparators();
        if (pos_ >= text_.size()) return false;
        const size_t start = pos_;
        while (pos_ < text_.size() && !IsSeparator(text_[pos_]) && text_[pos_] != '#') ++pos_;
        token = text_.substr(start, pos_ - start);
        return token.size() <= kMaxToken;
    }
    bool NextNumber(double& value) {
        std::string_view token;
        if (!Next(token)) return false;
        value = LeadingNumber(token);
        return true;
    }
    // A count or index: whole part of a number, in 0 .. limit.
    bool NextIndex(size_t limit, size_t& out) {
        double v;
        if (!NextNumber(v)) return false;
        if (!(v > -1.0) || !(v < double(limit) + 1.0)) return false;
        out = v <= 0 ? 0 : size_t(v);
        return out <= limit;
    }
    // An upper bound on the tokens still to come: each needs a byte and a separator.
    size_t TokensLeft() const { return (text_.size() - std::min(pos_, text_.size())) / 2 + 1; }

    static constexpr size_t kMaxToken = 1023;

private:
    static bool IsSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
    void SkipSeparators() {
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (IsSeparator(c)) {
                ++pos_;
            } else if (c == '#') {
                while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
            } else {
                break;
            }
        }
    }

    std::string_view text_;
    size_t pos_ = 0;
};

struct TextFace {
    uint32_t colour = 0;
    float red = 0, green = 0, blue = 0;
    std::vector<std::pair<size_t, size_t>> corners;   // (vertex index, texture index)
};

// The low 8 bits of a colour number, without overflow for wild values.
uint32_t LowByte(double v) {
    if (!std::isfinite(v)) return 0;
    const double t = std::trunc(std::fmod(v, 256.0));
    return uint32_t(int(t) & 0xFF);
}

// Newell's normal of a polygon, turned so that it faces a viewer who sees the corners
// clockwise: faces are wound clockwise seen from the front, as culling expects.
void FaceNormal(const std::vector<float>& xyz, const TextFace& face, float out[3]) {
    double n[3] = {0, 0, 0};
    const size_t k = face.corners.size();
    for (size_t c = 0; c < k; ++c) {
        const float* a = &xyz[face.corners[c].first * 3];
        const float* b = &xyz[face.corners[(c + 1) % k].first * 3];
        n[0] += (double(a[1]) - b[1]) * (double(a[2]) + b[2]);
        n[1] += (double(a[2]) - b[2]) * (double(a[0]) + b[0]);
        n[2] += (double(a[0]) - b[0]) * (double(a[1]) + b[1]);
    }
    for (int i = 0; i < 3; ++i) out[i] = float(-n[i]);
}

ModelReadResult ReadText(MeshObject& model, const uint8_t* data, size_t size) {
    TokenReader in(data, size);
    std::string_view token;
    if (!in.Next(token) || token.compare("KMOA") != 0) return ModelReadResult::kReadError;
    double version;
    if (!in.NextNumber(version) || !(version <= 1.0)) return ModelReadResult::kReadError;

    size_t texCount;
    if (!in.NextIndex(in.TokensLeft() / 2, texCount)) return ModelReadResult::kReadError;
    std::vector<float> texPairs(texCount * 2);
    for (float& f : texPairs) {
        double v;
        if (!in.NextNumber(v)) return ModelReadResult::kReadError;
        f = float(v);
    }

    size_t faceCount;
    if (!in.NextIndex(in.TokensLeft() / 4, faceCount)) return ModelReadResult::kReadError;
    std::vector<TextFace> faces(faceCount);
    size_t perFrame = 0;   // packed vertices per frame: a marker and the corners of each face
    size_t maxVertexIndex = 0;
    bool anyCorner = false;
    for (auto& face : faces) {
        double r, g, b;
        if (!in.NextNumber(r) || !in.NextNumber(g) || !in.NextNumber(b)) return ModelReadResult::kReadError;
        const uint32_t rb = LowByte(r), gb = LowByte(g), bb = LowByte(b);
        face.colour = rb | gb << 8 | bb << 16;
        face.red = float(rb) / 255.0f;
        face.green = float(gb) / 255.0f;
        face.blue = float(bb) / 255.0f;
        size_t k;
        if (!in.NextIndex(in.TokensLeft() / 2, k)) return ModelReadResult::kReadError;
        face.corners.resize(k);
        for (auto& corner : face.corners) {
            if (!in.NextIndex(SIZE_MAX / 4, corner.first)) return ModelReadResult::kReadError;
            if (!in.NextIndex(SIZE_MAX / 4, corner.second)) return ModelReadResult::kReadError;
            if (texCount != 0 && corner.second >= texCount) return ModelReadResult::kReadError;
            maxVertexIndex = std::max(maxVertexIndex, corner.first);
            anyCorner = true;
        }
        perFrame += 1 + k;
    }

    size_t frameCount;
    if (!in.NextIndex(std::min(in.TokensLeft(), kMaxModelFrames), frameCount)) return ModelReadResult::kReadError;
    if (frameCount != 0 && perFrame > kMaxModelVertices / frameCount) return ModelReadResult::kReadError;
    model.frames.reserve(frameCount + 1);
    model.frames.resize(frameCount);
    std::vector<float> xyz;
    for (size_t f = 0; f < frameCount; ++f) {
        size_t v;
        if (!in.NextIndex(in.TokensLeft() / 3, v)) return ModelReadResult::kReadError;
        if (v > texCount) return ModelReadResult::kReadError;
        if (anyCorner && maxVertexIndex >= v) return ModelReadResult::kReadError;
        xyz.assign(v * 3, 0.0f);
        for (float& c : xyz) {
            double d;
            if (!in.NextNumber(d)) return ModelReadResult::kReadError;
            c = float(d);
        }
        auto& out = model.frames[f].vertices;
        out.reserve(perFrame + 1);
        for (const auto& face : faces) {
            MeshVertex marker;
            marker.colour = kMarkerFan;
            marker.red = marker.green = marker.blue = 1.0f;
            out.push_back(marker);
            float normal[3] = {0, 0, 0};
            if (face.corners.size() >= 3) FaceNormal(xyz, face, normal);
            for (const auto& [vi, ti] : face.corners) {
                MeshVertex m;
                std::memcpy(m.position, &xyz[vi * 3], sizeof m.position);
                std::memcpy(m.normal, normal, sizeof m.normal);
                if (texCount != 0) {
                    m.u = texPairs[ti * 2];
                    m.v = texPairs[ti * 2 + 1];
                    if (State().trace) {
                        std::printf("%d %d %.1f %.1f %.1f - %.1f %.1f\n", int(vi), int(ti), m.position[0],
                                    m.position[1], m.position[2], m.u, m.v);
                    }
                }
                m.colour = face.colour;
                m.red = face.red;
                m.green = face.green;
                m.blue = face.blue;
                out.push_back(m);
            }
        }
    }
    if (!PackModelVertices(model)) return ModelReadResult::kReadError;
    return ModelReadResult::kOk;
}

// Expands one packed vertex at position i of its frame.
void ExpandVertex(const MeshObject& model, const MeshFrame& frame, const PackedVertex& p, size_t i,
                  MeshVertex& out) {
    const uint8_t q[3] = {p.qx, p.qy, p.qz};
    for (int a = 0; a < 3; ++a) out.position[a] = (float(q[a]) - frame.offset[a]) * frame.scale[a];
    const float* n = kNormalTable[p.normalIndex < kNormalCount ? p.normalIndex : 0];
    const float* t = kNormalTable[p.tangentIndex < kNormalCount ? p.tangentIndex : 0];
    const float* b = kNormalTable[p.binormalIndex < kNormalCount ? p.binormalIndex : 0];
    for (int a = 0; a < 3; ++a) {
        out.normal[a] = n[a];
        out.tangent[a] = t[a];
        out.binormal[a] = b[a];
    }
    const uint32_t word = p.colourIndex < model.palette.size() ? model.palette[p.colourIndex] : kPaletteWhite;
    out.colour = word;
    out.colourIndex = p.colourIndex;
    out.red = float(word & 0xFF) / 255.0f;
    out.green = float((word >> 8) & 0xFF) / 255.0f;
    out.blue = float((word >> 16) & 0xFF) / 255.0f;
    out.u = i < model.texU.size() ? model.texU[i] : 0.0f;
    out.v = i < model.texV.size() ? -model.texV[i] : 0.0f;
}

void PutU32(std::string& out, uint32_t v) {
    for (int k = 0; k < 4; ++k) out.push_back(char((v >> (8 * k)) & 0xFF));
}
void PutF32(std::string& out, float f) {
    uint32_t u;
    std::memcpy(&u, &f, 4);
    PutU32(out, u);
}

}  // namespace

void MeshObject::Clear() {
    frames.clear();
    drawList.clear();
    texU.clear();
    texV.clear();
    palette.clear();
    packedLoaded = 0;
    buffers[0] = buffers[1] = 0;
    hasColours = 0;
    texture = 0;
    rampStep = 0;
}

void MeshObjectX::build() {
    for (auto& frame : frames) {
        frame.triangles.clear();
        frame.triangles.reserve(frame.packed.size() + 1);
        MeshVertex window[3];
        int count = 0;
        uint32_t mode = kMarkerList;
        int parity = 0;
        for (size_t i = 0; i < frame.packed.size(); ++i) {
            const PackedVertex& p = frame.packed[i];
            const uint32_t word = p.colourIndex < palette.size() ? palette[p.colourIndex] : kPaletteWhite;
            if (word == kMarkerList || word == kMarkerStrip || word == kMarkerFan) {
                mode = word;
                count = 0;
                if (word == kMarkerStrip) parity = 0;
                continue;
            }
            ExpandVertex(*this, frame, p, i, window[count++]);
            if (count < 3) continue;
            frame.triangles.insert(frame.triangles.end(), window, window + 3);
            if (mode == kMarkerList) {
                count = 0;
            } else if (mode == kMarkerFan) {
                window[1] = window[2];
                count = 2;
            } else {
                parity ^= 1;
                if (parity == 1) window[0] = window[2];
                else window[1] = window[2];
                count = 2;
            }
        }
    }
    drawList = frames.empty() ? std::vector<MeshVertex>{} : frames[0].triangles;
    hasColours = 0;
    for (uint32_t word : palette) {
        if (word != kPaletteWhite && !IsNonColour(word)) hasColours = 1;
    }
}

ModelReadResult ReadModelBytes(MeshObject& model, const uint8_t* data, size_t size) {
    model.Clear();
    ModelReadResult result;
    try {
        uint32_t magic = 0;
        if (size >= 4) magic = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 | uint32_t(data[3]) << 24;
        result = magic == kModelMagic ? ReadBinary(model, data, size) : ReadText(model, data, size);
    } catch (const std::bad_alloc&) {
        result = ModelReadResult::kMallocError;
    }
    if (result != ModelReadResult::kOk) model.Clear();
    for (auto& frame : model.frames) {
        frame.vertices.clear();
        frame.vertices.shrink_to_fit();
    }
    return result;
}

ModelReadResult ReadModelFile(MeshObject& model, const std::string& path) {
    model.Clear();
    std::vector<uint8_t> bytes;
    if (!ReadRegularFile(path, kMaxModelFileBytes, bytes)) return ModelReadResult::kNotOpened;
    return ReadModelBytes(model, bytes.data(), bytes.size());
}

bool LoadModelFile(MeshObject& model, const std::string& path) {
    const ModelReadResult result = ReadModelFile(model, path);
    if (result == ModelReadResult::kReadError || result == ModelReadResult::kMallocError) {
        AppendErrorLog(result == ModelReadResult::kReadError ? "# read error" : "# malloc error");
        AppendErrorLog(path.empty() ? std::string("null") : path);
    }
    if (result != ModelReadResult::kOk) return false;
    // A model whose first frame is empty cannot be drawn: treat it as not loaded.
    if (model.frames.empty() || model.frames[0].packed.empty()) {
        model.Clear();
        return false;
    }
    try {
        model.build();
        ComputeModelBounds(model);
    } catch (const std::bad_alloc&) {
        model.Clear();
        AppendErrorLog("# malloc error");
        AppendErrorLog(path.empty() ? std::string("null") : path);
        return false;
    }
    return true;
}

bool PackModelVertices(MeshObject& model) {
    model.palette.clear();
    model.texU.clear();
    model.texV.clear();
    for (size_t f = 0; f < model.frames.size(); ++f) {
        MeshFrame& frame = model.frames[f];
        float lo[3] = {0, 0, 0}, hi[3] = {0, 0, 0};
        bool any = false;
        for (const auto& m : frame.vertices) {
            if (IsNonColour(m.colour)) continue;
            for (int a = 0; a < 3; ++a) {
                lo[a] = any ? std::min(lo[a], m.position[a]) : m.position[a];
                hi[a] = any ? std::max(hi[a], m.position[a]) : m.position[a];
            }
            any = true;
        }
        for (int a = 0; a < 3; ++a) {
            float s = (hi[a] - lo[a]) / 255.0f;
            if (s == 0 || !std::isfinite(s)) s = 1.0f;
            frame.scale[a] = s;
            frame.offset[a] = -lo[a] / s;
        }
        frame.packed.clear();
        frame.packed.reserve(frame.vertices.size() + 1);
        if (f == 0) {
            model.texU.reserve(frame.vertices.size() + 1);
            model.texV.reserve(frame.vertices.size() + 1);
        }
        for (const auto& m : frame.vertices) {
            PackedVertex p;
            auto it = std::find(model.palette.begin(), model.palette.end(), m.colour);
            if (it == model.palette.end()) {
                if (model.palette.size() >= 256) return false;
                model.palette.push_back(m.colour);
                it = model.palette.end() - 1;
            }
            p.colourIndex = uint8_t(it - model.palette.begin());
            if (!IsNonColour(m.colour)) {
                p.normalIndex = uint8_t(NearestNormalIndex(m.normal[0], m.normal[1], m.normal[2]));
                uint8_t* q[3] = {&p.qx, &p.qy, &p.qz};
                for (int a = 0; a < 3; ++a) {
                    const float t = m.position[a] / frame.scale[a] + frame.offset[a];
                    *q[a] = !(t > 0) ? 0 : t >= 255.0f ? 255 : uint8_t(t);
                }
            }
            frame.packed.push_back(p);
            if (f == 0) {
                model.texU.push_back(m.u);
                model.texV.push_back(m.v);
            }
        }
    }
    return true;
}

void ComputeModelBounds(MeshObject& model) {
    for (auto& frame : model.frames) {
        if (frame.triangles.empty()) continue;
        double sum[3] = {0, 0, 0};
        for (const auto& m : frame.triangles) {
            for (int a = 0; a < 3; ++a) sum[a] += m.position[a];
        }
        const double n = double(frame.triangles.size());
        for (int a = 0; a < 3; ++a) frame.centre[a] = float(sum[a] / n);
        double best = 0;
        for (const auto& m : frame.triangles) {
            double d2 = 0;
            for (int a = 0; a < 3; ++a) {
                const double d = double(m.position[a]) - frame.centre[a];
                d2 += d * d;
            }
            if (d2 <= 1e-7) d2 = 0;
            best = std::max(best, d2);
        }
        frame.radius = float(std::fabs(std::sqrt(best)));
    }
}

std::string ModelBinaryBytes(const MeshObject& model) {
    std::string out;
    size_t records = 0;
    for (const auto& frame : model.frames) records += frame.packed.size();
    out.reserve(24 + 4 * model.palette.size() + 8 * model.texU.size() + 28 * model.frames.size() + 5 * records);
    PutU32(out, kModelMagic);
    uint64_t bits;
    const double version = kModelVersion;
    std::memcpy(&bits, &version, 8);
    PutU32(out, uint32_t(bits));
    PutU32(out, uint32_t(bits >> 32));
    PutU32(out, uint32_t(model.frames.size()));
    PutU32(out, uint32_t(model.palette.size()));
    PutU32(out, uint32_t(model.texU.size()));
    for (uint32_t word : model.palette) PutU32(out, word);
    for (size_t k = 0; k < model.texU.size(); ++k) {
        PutF32(out, model.texU[k]);
        PutF32(out, k < model.texV.size() ? model.texV[k] : 0.0f);
    }
    for (const auto& frame : model.frames) {
        PutU32(out, uint32_t(frame.packed.size()));
        for (float f : frame.offset) PutF32(out, f);
        for (float f : frame.scale) PutF32(out, f);
        for (const auto& p : frame.packed) {
            const char rec[5] = {char(p.qx), char(p.qy), char(p.qz), char(p.normalIndex), char(p.colourIndex)};
            out.append(rec, 5);
        }
    }
    return out;
}

bool SaveModelBinary(const MeshObject& model, const std::string& path) {
    return WriteFileAtomically(path, ModelBinaryBytes(model));
}

void SetModelLoadTrace(bool on) { State().trace = on; }
