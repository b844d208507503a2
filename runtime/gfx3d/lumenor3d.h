// Lumenor3D: the 3D engine's state, model slots, transforms, animation and collisions.
//
// Everything here works without a graphics context: levels load headless in tests
// and in the command-line tool, and the game's collision tests need no drawing.
// OpenGLLumenor (opengl_lumenor.h) derives from it and adds the drawing through the
// protected hooks at the end of the class. The commands of engine.h drive one
// process-wide instance.
//
// Dependencies: model, collision.
#pragma once

#include <array>     // Required for: std::array
#include <cstdint>   // Required for: uint32_t
#include <functional>   // Required for: std::function
#include <memory>    // Required for: std::unique_ptr
#include <string>    // Required for: std::string
#include <vector>    // Required for: std::vector

#include "runtime/gfx3d/collision.h"   // Required for: CollisionTree
#include "runtime/gfx3d/model.h"       // Required for: MeshObject

constexpr int kModelSlots = 4096;
constexpr int kTransformLevels = 16;
constexpr int kMaxRotations = 16;

// A 4×4 matrix in OpenGL's column-major order.
struct Matrix4 {
    double m[16];
    static Matrix4 Identity();
    static Matrix4 Translation(double x, double y, double z);
    static Matrix4 Scaling(double x, double y, double z);
    // Rotation by angle degrees about the axis (a zero axis gives the identity).
    static Matrix4 Rotation(double angle, double x, double y, double z);
    Matrix4 operator*(const Matrix4& b) const;
    void TransformPoint(const double in[3], double out[3]) const;
    void TransformVector(const double in[3], double out[3]) const;
    // Inverse of an affine matrix; false when it is singular.
    bool InverseAffine(Matrix4& out) const;
    // Inverse of any matrix; false when it is singular.
    bool Inverse(Matrix4& out) const;
};

// One level of the transform stack.
struct TransformLevel {
    float translation[3] = {0, 0, 0};
    float scale[3] = {1, 1, 1};
    float rotations[kMaxRotations][4] = {};   // angle in degrees, axis x, y, z
    int rotationCount = 0;
};

// The two frames an animation draws and the weight of the first. A weight of 0
// draws the first frame unchanged.
struct AnimationPick {
    int first = 0;
    int second = 0;
    float weight = 0;
};

// Frame choice of DrawAnimation for a model of frameCount frames (at least 1).
AnimationPick ChooseAnimationFrames(double from, double to, double factor, bool loop, int frameCount);

// out = a × w + b × (1 - w) for every float field; integer fields come from a.
void BlendFrames(const std::vector<MeshVertex>& a, const std::vector<MeshVertex>& b, float w,
                 std::vector<MeshVertex>& out);

// The effect light of SetLight with a negative light number.
struct EffectLight {
    bool enabled = false;
    int mode = 2;
    float position[3] = {0, 0, 0};
    float colour[3] = {1, 1, 1};
};

// What the last DrawAnimation or DrawObject did (for tests and statistics).
struct DrawRecord {
    bool drawn = false;
    int slot = -1;
    AnimationPick pick;
};

class Lumenor3D {
public:
    Lumenor3D();
    virtual ~Lumenor3D();
    Lumenor3D(const Lumenor3D&) = delete;
    Lumenor3D& operator=(const Lumenor3D&) = delete;

    // ---- Model slots

    // The slot load: 1 on success, 0 on failure (the slot is then empty). Slot numbers
    // outside 0 .. 4095 are ignored (result 0).
    int LoadSlot(int slot, const std::string& path);
    // The model of a slot, or null outside 0 .. 4095.
    MeshObject* Model(int slot);
    int FrameCount(int slot);
    // Drops what the engine derived from a slot's triangles (the collision cache); call
    // after changing a slot's model in place.
    void ModelChanged(int slot);

    // ---- Transform stack

    // Level 0 with translation 0, scale 1 and no rotations.
    void ResetTransform();
    void SetMovement(double x, double y, double z);
    void SetScaling(double x, double y, double z);
    // A 17th rotation on one level is ignored.
    void AddRotation(double angle, double x, double y, double z);
    // False (and nothing changes) when all 16 levels are in use.
    bool PushTransform();
    void PopTransform();
    int CurrentLevel() const { return level_; }
    const TransformLevel& Level(int k) const { return levels_[size_t(k)]; }
    // Levels 0 .. current: translate, rotations last-added first, scale.
    Matrix4 ModelMatrix() const;

    // ---- Projection, camera, culling, lights

    // Stores the viewport that Make3D uses (x, y from the top left, and the display
    // height for flipping screen y).
    void SetViewportRect(int x, int y, int w, int h, int displayHeight);
    virtual void Make3D(double nearPlane, double farPlane, double fov);
    virtual void SetCamera(double ex, double ey, double ez, double tx, double ty, double tz);
    virtual void SetCullMode(int mode);
    int CullMode() const { return cullMode_; }
    // n < 0 sets the effect light; n >= 0 an OpenGL light (the drawing's business).
    virtual void SetLight(int n, uint32_t colour, double x, double y, double z, double dx, double dy, double dz,
                          double cutoff);
    const EffectLight& Effect() const { return effect_; }
    void SetDebugDrawing(bool on) { debugDrawing_ = on; }
    bool DebugDrawing() const { return debugDrawing_; }

    const Matrix4& ProjectionMatrix() const { return projection_; }
    const Matrix4& ViewMatrix() const { return view_; }
    bool Orthographic() const { return orthographic_; }
    double ViewTangent() const { return tangent_; }
    // Window coordinates (y from the top) of a world point; false behind the eye.
    bool WorldToScreen(double x, double y, double z, double& sx, double& sy) const;
    // Un-projects a window point (y from the top) at a depth 0..1; false when the
    // projection cannot be inverted.
    bool ScreenToWorld(double sx, double sy, double depth, double& x, double& y, double& z) const;
    // The view cone test of DrawAnimation for a world-space sphere.
    bool SphereVisible(const double centre[3], double radius) const;

    // ---- Drawing (the hooks below do the GL work)

    void DrawAnimation(int slot, double from, double to, double factor, bool loop);
    // Nothing when the frame is not below the slot's frame count.
    void DrawObject(int slot, double frame);
    const DrawRecord& LastDraw() const { return lastDraw_; }

    // ---- Collisions on the current transform

    // 1 when the upright box (width × height × width, centred at x, y, z) touches a
    // triangle of the frame, else 0.
    int CollisionBox(int slot, int frame, double x, double y, double z, double width, double height);
    // The ray parameter of the nearest hit ahead, else of the nearest behind, else 0.
    double CollisionRay(int slot, int frame, double x, double y, double z, double dx, double dy, double dz);
    // Number of triangles the last CollisionBox examined exactly (0 after an early out).
    size_t LastBoxTrianglesTested() const { return lastBoxTested_; }

protected:
    // Releases what the drawing made for a model (buffers, ramp texture).
    virtual void ReleaseModel(MeshObject& model);
    // Draws model.drawList, the pose just blended, under the current transform.
    virtual void RenderModel(MeshObject& model, const MeshFrame& first, const AnimationPick& pick);
    // A world-space line of the debug drawing.
    virtual void DebugLine(const double a[3], const double b[3], uint32_t colour, double width);

    // Runs fn on every model a slot holds (slots never used are skipped).
    void ForEachModel(const std::function<void(MeshObject&)>& fn);

    struct Viewport {
        int x = 0, y = 0, w = 800, h = 600, displayHeight = 600;
    };
    const Viewport& CurrentViewport() const { return viewport_; }
    const double* Eye() const { return eye_; }
    const double* Target() const { return target_; }
    double NearPlane() const { return near_; }

private:
    struct FrameCache {
        const MeshVertex* source = nullptr;
        size_t count = 0;
        CollisionTree tree;
    };
    const CollisionTree* CollisionTriangles(int slot, int frame);

    // The pose a slot's drawList holds, so an unchanged pose is not copied again.
    struct PoseKey {
        const MeshVertex* first = nullptr;
        const MeshVertex* second = nullptr;
        size_t count = 0;
        float weight = -1;
        bool operator==(const PoseKey&) const = default;
    };

    std::vector<std::unique_ptr<MeshObject>> slots_;
    std::vector<std::vector<FrameCache>> caches_;
    std::vector<PoseKey> poses_;
    std::array<TransformLevel, kTransformLevels> levels_;
    int level_ = 0;
    Viewport viewport_;
    Matrix4 projection_;
    Matrix4 view_;
    double near_ = 1, far_ = 1000, fov_ = 45;
    double tangent_ = 1;
    bool orthographic_ = false;
    double eye_[3] = {0, 0, 0};
    double target_[3] = {0, 0, -1};
    int cullMode_ = 0;
    EffectLight effect_;
    bool debugDrawing_ = false;
    DrawRecord lastDraw_;
    size_t lastBoxTested_ = 0;
};
