// OpenGLLumenor: the drawing half of the 3D engine, on legacy OpenGL.
//
// Adds to Lumenor3D the GL state of Make3D, the camera and culling, the OpenGL lights,
// model drawing (vertex arrays, or buffer objects where the driver offers them), the
// effect light's shading ramp and outline pass, and the 3D helpers (sprites, text,
// lines, dots, axes). Every GL call is skipped while GraphicsAvailable() is false, so
// the same engine runs headless.
//
// Dependencies: lumenor3d, runtime/frame (GL context, viewport), runtime/gfx2d
// (sprite textures, fonts), OpenGL.
#pragma once

#include <cstdint>         // Required for: uint32_t
#include <unordered_map>   // Required for: std::unordered_map
#include <vector>          // Required for: std::vector

#include "runtime/frame/strvalue.h"     // Required for: StrValue
#include "runtime/gfx3d/lumenor3d.h"    // Required for: Lumenor3D

class OpenGLLumenor : public Lumenor3D {
public:
    OpenGLLumenor();
    ~OpenGLLumenor() override;

    void Make3D(double nearPlane, double farPlane, double fov) override;
    void SetCamera(double ex, double ey, double ez, double tx, double ty, double tz) override;
    void SetCullMode(int mode) override;
    void SetLight(int n, uint32_t colour, double x, double y, double z, double dx, double dy, double dz,
                  double cutoff) override;

    // The sprite textures for following draws (-1 = none); 3D uses the mipmapped ones.
    void SetTexture(int sprite, int secondSprite);
    void DrawSprite3D(int sprite, double x, double y, double z, double size);
    void Print3D(const StrValue& text, double x, double y, double z);
    void DrawLine3D(const double a[3], const double b[3], uint32_t colour, double width);
    void DrawDot3D(const double p[3], double size, uint32_t colour);
    void DrawAxes(double x, double y, double z);
    void ClearDepth();
    void Make2D();
    // Forgets GL names without deleting them (the context that owned them is gone).
    void ForgetGLObjects();
    // Whether model drawing uses buffer objects (after the first draw with a context).
    bool UsesBufferObjects() const { return vboChecked_ && vboAvailable_; }

protected:
    void ReleaseModel(MeshObject& model) override;
    void RenderModel(MeshObject& model, const MeshFrame& first, const AnimationPick& pick) override;
    void DebugLine(const double a[3], const double b[3], uint32_t colour, double width) override;

private:
    struct UploadKey {
        const void* data = nullptr;
        size_t count = 0;
        int first = -1, second = -1;
        float weight = -1;
        bool shaded = false;
        bool operator==(const UploadKey&) const = default;
    };
    // Notices a new GL context (the program's is restarted, as in tests) and then drops
    // the names made in the old one. Only this module makes display lists, so a probe
    // list that is gone means a new context.
    void EnsureContext();
    void CheckExtensions();
    void BuildRampTexture(MeshObject& model);
    void ApplyEffectRamp(MeshObject& model);
    void DrawArrays(MeshObject& model, const UploadKey& key, bool shaded);
    void DrawOutline(MeshObject& model, const MeshFrame& first);
    void ApplyCullMode(int mode);
    void RestoreTextures();

    uint32_t probeList_ = 0;
    bool extensionsChecked_ = false;
    bool vboChecked_ = false;
    bool vboAvailable_ = false;
    bool multitexture_ = false;
    bool lightingOn_ = false;
    bool lightOn_[8] = {};
    int texture_[2] = {-1, -1};
    std::unordered_map<const MeshObject*, UploadKey> uploaded_;
    std::vector<float> faded_;   // vertex colours with the draw alpha applied
};
