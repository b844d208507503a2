// Mesh building and the text ".kmo" writer (see mesh.h).
#include "tools/mesh.h"

#include <cmath>    // Required for: std::sin, std::cos, std::sqrt
#include <cstdio>   // Required for: std::snprintf
#include <numbers>  // Required for: std::numbers::pi

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
Vec3 Cross(Vec3 a, Vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 Pose::Apply(Vec3 p) const {
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + t.x,
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + t.y,
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + t.z};
}

Pose Pose::Then(const Pose& next) const {
    Pose r;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            r.m[i][j] = next.m[i][0] * m[0][j] + next.m[i][1] * m[1][j] + next.m[i][2] * m[2][j];
    r.t = next.Apply(t);
    return r;
}

Pose Pose::Move(Vec3 d) {
    Pose p;
    p.t = d;
    return p;
}

Pose Pose::Turn(double degrees, Vec3 axis, Vec3 pivot) {
    const double len = std::sqrt(axis.x * axis.x + axis.y * axis.y + axis.z * axis.z);
    const Vec3 a = axis * (1.0 / len);
    const double r = degrees * std::numbers::pi / 180.0, c = std::cos(r), s = std::sin(r), k = 1 - c;
    Pose p;
    p.m[0][0] = c + a.x * a.x * k;       p.m[0][1] = a.x * a.y * k - a.z * s; p.m[0][2] = a.x * a.z * k + a.y * s;
    p.m[1][0] = a.y * a.x * k + a.z * s; p.m[1][1] = c + a.y * a.y * k;       p.m[1][2] = a.y * a.z * k - a.x * s;
    p.m[2][0] = a.z * a.x * k - a.y * s; p.m[2][1] = a.z * a.y * k + a.x * s; p.m[2][2] = c + a.z * a.z * k;
    // Rotate about the pivot: move it to the origin, turn, move back.
    return Move(pivot * -1).Then(p).Then(Move(pivot));
}

int MeshBuilder::NewPart() { return parts_++; }

void MeshBuilder::AddPolygon(int part, const std::vector<Vec3>& corners, const std::vector<double>& us,
                             const std::vector<double>& vs, uint32_t colour) {
    TextModel::Face face;
    face.colour = colour;
    for (size_t i = 0; i < corners.size(); ++i) {
        face.corners.push_back(static_cast<int>(points_.size()));
        points_.push_back(corners[i]);
        partOf_.push_back(part);
        u_.push_back(us[i]);
        v_.push_back(vs[i]);
    }
    faces_.push_back(std::move(face));
}

void MeshBuilder::AddRect(int part, Vec3 c, Vec3 hu, Vec3 hv, UvRect uv, uint32_t colour) {
    AddPolygon(part, {c - hu - hv, c + hu - hv, c + hu + hv, c - hu + hv},
               {uv.u0, uv.u1, uv.u1, uv.u0}, {uv.v1, uv.v1, uv.v0, uv.v0}, colour);
}

void MeshBuilder::AddBoxFaces(int part, Vec3 lo, Vec3 hi, const UvRect (&faces)[6], uint32_t colour,
                              bool inside) {
    AddBoxWith(part, lo, hi, faces, colour, 0, inside);
}

void MeshBuilder::AddBox(int part, Vec3 lo, Vec3 hi, UvRect uv, uint32_t colour, double tile,
                         bool inside) {
    const UvRect faces[6] = {uv, uv, uv, uv, uv, uv};
    AddBoxWith(part, lo, hi, faces, colour, tile, inside);
}

void MeshBuilder::AddBoxWith(int part, Vec3 lo, Vec3 hi, const UvRect (&faces)[6], uint32_t colour,
                             double tile, bool inside) {
    const Vec3 c = (lo + hi) * 0.5, h = (hi - lo) * 0.5;
    struct Side {
        Vec3 normal, u, v;
    };
    // Right and up directions as seen from outside each face; u x v is the outward normal.
    const Side sides[6] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
    };
    auto mul = [](Vec3 a, Vec3 b) { return Vec3{a.x * b.x, a.y * b.y, a.z * b.z}; };
    auto extent = [](Vec3 a) { return std::abs(a.x) + std::abs(a.y) + std::abs(a.z); };
    for (int f = 0; f < 6; ++f) {
        const Side& s = sides[f];
        const Vec3 centre = c + mul(s.normal, h);
        Vec3 hu = mul(s.u, h), hv = mul(s.v, h);
        if (inside) hu = hu * -1;  // seen from inside, right and left swap
        UvRect r = faces[f];
        if (tile > 0) {
            r = {0, 0, 2 * extent(hu) / tile, 2 * extent(hv) / tile};
        }
        AddRect(part, centre, hu, hv, r, colour);
    }
}

void MeshBuilder::AddPrism(int part, Vec3 base, double radius, double height, int sides, UvRect side,
                           UvRect cap, uint32_t colour, bool bottom) {
    std::vector<Vec3> ring;
    for (int i = 0; i < sides; ++i) {
        const double a = 2 * std::numbers::pi * i / sides;
        ring.push_back(base + Vec3{radius * std::sin(a), 0, radius * std::cos(a)});
    }
    const Vec3 up{0, height, 0};
    for (int i = 0; i < sides; ++i) {
        const Vec3 a = ring[i], b = ring[(i + 1) % sides];
        const double u0 = side.u0 + (side.u1 - side.u0) * i / sides;
        const double u1 = side.u0 + (side.u1 - side.u0) * (i + 1) / sides;
        // Growing angle runs counter-clockwise seen from above, so a then b faces outwards.
        AddPolygon(part, {a, b, b + up, a + up}, {u0, u1, u1, u0}, {side.v1, side.v1, side.v0, side.v0},
                   colour);
    }
    std::vector<Vec3> top, low;
    std::vector<double> tu, tv, lu, lv;
    const double cu = (cap.u0 + cap.u1) / 2, cv = (cap.v0 + cap.v1) / 2;
    const double ru = (cap.u1 - cap.u0) / 2, rv = (cap.v1 - cap.v0) / 2;
    for (int i = 0; i < sides; ++i) {
        const double a = 2 * std::numbers::pi * i / sides;
        // The bottom faces down, so it lists the ring backwards.
        const int j = sides - 1 - i;
        const double aj = 2 * std::numbers::pi * j / sides;
        top.push_back(ring[i] + up);
        tu.push_back(cu + ru * std::sin(a));
        tv.push_back(cv - rv * std::cos(a));
        low.push_back(ring[j]);
        lu.push_back(cu + ru * std::sin(aj));
        lv.push_back(cv + rv * std::cos(aj));
    }
    AddPolygon(part, top, tu, tv, colour);
    if (bottom) AddPolygon(part, low, lu, lv, colour);
}

void MeshBuilder::AddDisc(int part, Vec3 centre, double radius, int sides, uint32_t colour) {
    std::vector<Vec3> ring;
    std::vector<double> us, vs;
    for (int i = 0; i < sides; ++i) {
        const double a = 2 * std::numbers::pi * i / sides;
        ring.push_back(centre + Vec3{radius * std::sin(a), 0, radius * std::cos(a)});
        us.push_back(0.5 + 0.5 * std::sin(a));
        vs.push_back(0.5 - 0.5 * std::cos(a));
    }
    AddPolygon(part, ring, us, vs, colour);
}

TextModel MeshBuilder::Build(const std::vector<std::vector<Pose>>& frames) const {
    TextModel model;
    model.u = u_;
    model.v = v_;
    model.faces = faces_;
    for (const auto& poses : frames) {
        std::vector<Vec3> verts;
        verts.reserve(points_.size());
        for (size_t i = 0; i < points_.size(); ++i) {
            const size_t part = static_cast<size_t>(partOf_[i]);
            verts.push_back(part < poses.size() ? poses[part].Apply(points_[i]) : points_[i]);
        }
        model.frames.push_back(std::move(verts));
    }
    return model;
}

std::string TextModelSource(const TextModel& model) {
    std::string out = "KMOA 1\n# texture coordinates\n";
    char line[160];
    out += std::to_string(model.u.size()) + "\n";
    for (size_t i = 0; i < model.u.size(); ++i) {
        std::snprintf(line, sizeof line, "%.5f %.5f\n", model.u[i], model.v[i]);
        out += line;
    }
    out += "# faces: red green blue, corner count, then vertex and texture index per corner\n";
    out += std::to_string(model.faces.size()) + "\n";
    for (const auto& face : model.faces) {
        std::snprintf(line, sizeof line, "%u %u %u %zu", face.colour & 255, (face.colour >> 8) & 255,
                      (face.colour >> 16) & 255, face.corners.size());
        out += line;
        // Counter-clockwise from the front becomes clockwise: the engine's front faces.
        for (auto it = face.corners.rbegin(); it != face.corners.rend(); ++it)
            out += " " + std::to_string(*it) + " " + std::to_string(*it);
        out += "\n";
    }
    out += "# frames\n" + std::to_string(model.frames.size()) + "\n";
    for (const auto& frame : model.frames) {
        out += std::to_string(frame.size()) + "\n";
        for (const Vec3& p : frame) {
            std::snprintf(line, sizeof line, "%.4f %.4f %.4f\n", p.x, p.y, p.z);
            out += line;
        }
    }
    return out;
}
