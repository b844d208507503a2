// Model: the ".kmo" model file in its binary and text forms, and the model in memory.
//
// A model holds one or more key frames that share one vertex order, one palette and
// one set of texture coordinates. Each frame is stored quantised (PackedVertex, one
// byte per axis against a per-frame offset and scale) and expanded by build() into a
// drawable triangle list (MeshVertex, three records per triangle). Reading and
// building need no graphics context; the engine (engine.h) owns the model slots and
// adds the GL resources.
//
// Files are untrusted: every count is checked against what the file can still hold,
// and every vertex, texture and palette index against its array, before anything is
// allocated or read. A refused file is reported as a read error.
//
// Dependencies: runtime/frame (error log), runtime/files (atomic writes).
#pragma once

#include <cstddef>   // Required for: size_t
#include <cstdint>   // Required for: uint8_t, uint32_t
#include <string>    // Required for: std::string (paths, byte images)
#include <vector>    // Required for: the growable arrays of the model

// Palette words that are primitive markers rather than colours.
constexpr uint32_t kMarkerList = 0xFFFFFFFFu;
constexpr uint32_t kMarkerStrip = 0xFFFFFFFEu;
constexpr uint32_t kMarkerFan = 0xFFFFFFFDu;
constexpr uint32_t kPaletteWhite = 0x00FFFFFFu;
// Words from here up never count as colours.
constexpr uint32_t kFirstNonColour = 0xFFFFFFFCu;
inline bool IsNonColour(uint32_t word) { return word >= kFirstNonColour; }

// The binary form's magic (bytes 17 B3 C6 00) and its only accepted version.
constexpr uint32_t kModelMagic = 0x00C6B317u;
constexpr double kModelVersion = 1.02;

// Number of entries of the normal table.
constexpr int kNormalCount = 162;
// The published 162-entry unit normal table of the MD2 model format, in its order.
extern const float kNormalTable[kNormalCount][3];

// Largest number of packed vertices over all frames of one model. Far above any real
// model; it keeps a small hostile file from asking for gigabytes of triangles.
constexpr size_t kMaxModelVertices = size_t{1} << 22;
// Largest number of frames of one model, for the same reason (a text frame can be two
// bytes long but costs a frame record).
constexpr size_t kMaxModelFrames = size_t{1} << 16;

// One quantised vertex as stored in a file.
struct PackedVertex {
    uint8_t qx = 0, qy = 0, qz = 0;
    uint8_t normalIndex = 0;
    uint8_t tangentIndex = 0;    // the loader sets 0
    uint8_t binormalIndex = 0;   // the loader sets 0
    uint8_t colourIndex = 0;
};

// One drawable vertex.
struct MeshVertex {
    float position[3] = {0, 0, 0};
    float normal[3] = {0, 0, 0};
    float u = 0, v = 0;
    // Not set by the loader; effect mode 1 keeps its per-vertex light vector here.
    float spare[3] = {0, 0, 0};
    float tangent[3] = {0, 0, 0};
    float binormal[3] = {0, 0, 0};
    uint32_t colour = 0;   // palette word
    uint8_t colourIndex = 0;
    float red = 0, green = 0, blue = 0;
};

// One key frame.
struct MeshFrame {
    // Full-precision list, only used while a model is being quantised (text form).
    std::vector<MeshVertex> vertices;
    // The expanded triangle list, three records per triangle.
    std::vector<MeshVertex> triangles;
    // The quantised list as stored in the file, primitive markers included.
    std::vector<PackedVertex> packed;
    float offset[3] = {0, 0, 0};
    float scale[3] = {1, 1, 1};
    float radius = 0;
    float centre[3] = {0, 0, 0};
};

// The model in memory. build() is empty here; MeshObjectX expands the packed frames.
class MeshObject {
public:
    virtual ~MeshObject() = default;
    virtual void build() {}
    // Empties every array and resets the flags (GL names are the engine's to release).
    void Clear();
    bool Empty() const { return frames.empty(); }

    std::vector<MeshFrame> frames;
    // The triangle list drawing fills for the current pose; frame 0's after a build.
    std::vector<MeshVertex> drawList;
    // Texture coordinates, one per packed-vertex position (markers included).
    std::vector<float> texU;
    // As stored in the file; negated on expansion.
    std::vector<float> texV;
    std::vector<uint32_t> palette;
    uint32_t packedLoaded = 0;
    uint32_t buffers[2] = {0, 0};
    uint32_t hasColours = 0;
    uint32_t texture = 0;   // the ramp texture of effect mode 2
    float rampStep = 0;
};

class MeshObjectX : public MeshObject {
public:
    // Expands every frame's packed list into its triangle list (list, strip and fan
    // markers), copies frame 0 into drawList and sets hasColours.
    void build() override;
};

// The result of reading a file into a model.
enum class ModelReadResult {
    kOk,
    kNotOpened,     // missing or unreadable: no log entry
    kReadError,     // malformed or refused: "# read error"
    kMallocError,   // storage exhausted: "# malloc error"
};

// Reads either form into the (cleared) model; no build, no bounds, no log.
ModelReadResult ReadModelFile(MeshObject& model, const std::string& path);
// The same from bytes in memory (the fuzz target and tests use it).
ModelReadResult ReadModelBytes(MeshObject& model, const uint8_t* data, size_t size);

// Clears the model and reads the file; on a read or storage error appends the log
// lines ("# read error" or "# malloc error", then the file name). On success builds
// and computes the bounds when frame 0 has packed vertices. A failed load leaves the
// model empty. Returns true on success.
bool LoadModelFile(MeshObject& model, const std::string& path);

// Quantises every frame's full-precision vertex list (markers carry their palette word
// as colour) into its packed list, fills the palette and, from frame 0, texU and texV.
// The normals of the vertices choose the normal indices. Returns false when the model
// would need more than 256 palette words.
bool PackModelVertices(MeshObject& model);

// Centre and radius of every frame with a triangle list.
void ComputeModelBounds(MeshObject& model);

// Index of the table normal nearest to the direction (0 for a zero vector).
int NearestNormalIndex(float x, float y, float z);

// The binary form of the model (the reverse of the reader); texV is written as held.
std::string ModelBinaryBytes(const MeshObject& model);
// Writes the binary form atomically (a failed write leaves the old file and a log
// line). Returns false when the file cannot be written.
bool SaveModelBinary(const MeshObject& model, const std::string& path);

// Debugging trace of the text form: one line per face corner on standard output.
void SetModelLoadTrace(bool on);
