// Mesh building for the demo content: models made of boxes, prisms and discs, in parts
// that can be posed separately in every key frame, written in the text ".kmo" form.
//
// A part is a rigid group of faces; a frame gives each part a Pose. Every vertex has its
// own texture coordinate (so the text form's rule "no frame has more vertices than there
// are texture coordinates" always holds). Texture v is counted downwards from the top of
// the picture, which is how the model loader's negated v lands on the texture.
//
// Dependencies: the standard library only.
#pragma once

#include <cstdint>  // Required for: uint32_t
#include <string>   // Required for: std::string (the text form)
#include <vector>   // Required for: std::vector

struct Vec3 {
    double x = 0, y = 0, z = 0;
};
Vec3 operator+(Vec3 a, Vec3 b);
Vec3 operator-(Vec3 a, Vec3 b);
Vec3 operator*(Vec3 a, double s);
Vec3 Cross(Vec3 a, Vec3 b);

// A rigid motion: rotation matrix, then translation.
struct Pose {
    double m[3][3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    Vec3 t;

    Vec3 Apply(Vec3 p) const;
    // This motion followed by `next`.
    Pose Then(const Pose& next) const;
    static Pose Move(Vec3 d);
    // Rotation by degrees about an axis through `pivot` (right-handed).
    static Pose Turn(double degrees, Vec3 axis, Vec3 pivot = {});
};

// A rectangle of the texture in picture fractions: (u0, v0) top left, (u1, v1) bottom right.
struct UvRect {
    double u0 = 0, v0 = 0, u1 = 1, v1 = 1;
};

// The text form's content: texture pairs, coloured polygon faces over vertex indices, and
// one vertex list per frame.
struct TextModel {
    struct Face {
        uint32_t colour = 0xffffff;
        std::vector<int> corners;  // vertex index = texture-pair index
    };
    std::vector<double> u, v;
    std::vector<Face> faces;
    std::vector<std::vector<Vec3>> frames;
};

class MeshBuilder {
public:
    // A new part; part 0 exists from the start.
    int NewPart();
    // A polygon whose corners run counter-clockwise seen from its front.
    void AddPolygon(int part, const std::vector<Vec3>& corners, const std::vector<double>& us,
                    const std::vector<double>& vs, uint32_t colour);
    // A rectangle around `centre` spanned by halfU (to the right) and halfV (upwards) as seen
    // from its front, which is the side halfU x halfV points to.
    void AddRect(int part, Vec3 centre, Vec3 halfU, Vec3 halfV, UvRect uv, uint32_t colour);
    // An axis-aligned box facing outwards (inwards when `inside`). With tile > 0 the texture
    // repeats every `tile` world units, else each face shows the whole rectangle.
    void AddBox(int part, Vec3 lo, Vec3 hi, UvRect uv, uint32_t colour, double tile = 0,
                bool inside = false);
    // The same with a texture rectangle per face, in the order +x, -x, +z, -z, +y, -y.
    void AddBoxFaces(int part, Vec3 lo, Vec3 hi, const UvRect (&faces)[6], uint32_t colour,
                     bool inside = false);
    // An upright prism of `sides` sides standing on `base`; the top is a cap, the bottom too
    // when `bottom` is set.
    void AddPrism(int part, Vec3 base, double radius, double height, int sides, UvRect side,
                  UvRect cap, uint32_t colour, bool bottom = true);
    // A flat disc facing up, the texture's circle mapped onto it.
    void AddDisc(int part, Vec3 centre, double radius, int sides, uint32_t colour);

    int PartCount() const { return parts_; }
    // One frame per entry; each entry holds a Pose per part (missing ones are identity).
    TextModel Build(const std::vector<std::vector<Pose>>& frames) const;
    TextModel BuildStatic() const { return Build({{}}); }

private:
    void AddBoxWith(int part, Vec3 lo, Vec3 hi, const UvRect (&faces)[6], uint32_t colour, double tile,
                    bool inside);

    int parts_ = 1;
    std::vector<Vec3> points_;
    std::vector<int> partOf_;
    std::vector<double> u_, v_;
    std::vector<TextModel::Face> faces_;
};

// The text ".kmo" form. Faces are written with their corners in the order the engine treats
// as front-facing under its culling (clockwise on screen).
std::string TextModelSource(const TextModel& model);
