// Collision primitives: separating axes for box–triangle, Möller–Trumbore for rays.
#include "runtime/gfx3d/collision.h"

#include <algorithm>   // Required for: std::min, std::max
#include <cmath>       // Required for: std::fabs, std::sqrt

namespace {

inline float Min3(float a, float b, float c) { return std::min(a, std::min(b, c)); }
inline float Max3(float a, float b, float c) { return std::max(a, std::max(b, c)); }

// Projection of the triangle on the axis (unit axis k) × edge, against the box's
// projection radius; p and q are the two distinct projections.
inline bool Separated(float p, float q, float radius) {
    return std::min(p, q) > radius || std::max(p, q) < -radius;
}

}  // namespace

bool TriangleOverlapsBox(const float a[3], const float b[3], const float c[3], const float half[3]) {
    // The box's own axes: the triangle's bounds.
    for (int k = 0; k < 3; ++k) {
        if (Min3(a[k], b[k], c[k]) > half[k] || Max3(a[k], b[k], c[k]) < -half[k]) return false;
    }
    const float hx = half[0], hy = half[1], hz = half[2];
    const float* v[3] = {a, b, c};
    // Edge × box axis: nine axes. For edge e of corners (i, j) the third corner k and
    // either end give the two projections.
    for (int i = 0; i < 3; ++i) {
        const float* p0 = v[i];
        const float* p1 = v[(i + 1) % 3];
        const float* p2 = v[(i + 2) % 3];
        const float ex = p1[0] - p0[0], ey = p1[1] - p0[1], ez = p1[2] - p0[2];
        const float fx = std::fabs(ex), fy = std::fabs(ey), fz = std::fabs(ez);
        // X × e = (0, -ez, ey)
        {
            const float s0 = -ez * p0[1] + ey * p0[2];
            const float s2 = -ez * p2[1] + ey * p2[2];
            if (Separated(s0, s2, fz * hy + fy * hz)) return false;
        }
        // Y × e = (ez, 0, -ex)
        {
            const float s0 = ez * p0[0] - ex * p0[2];
            const float s2 = ez * p2[0] - ex * p2[2];
            if (Separated(s0, s2, fz * hx + fx * hz)) return false;
        }
        // Z × e = (-ey, ex, 0)
        {
            const float s0 = -ey * p0[0] + ex * p0[1];
            const float s2 = -ey * p2[0] + ex * p2[1];
            if (Separated(s0, s2, fy * hx + fx * hy)) return false;
        }
    }
    // The triangle's plane.
    const float e1[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const float e2[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    const float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
    const float r = hx * std::fabs(n[0]) + hy * std::fabs(n[1]) + hz * std::fabs(n[2]);
    const float s = n[0] * a[0] + n[1] * a[1] + n[2] * a[2];
    return std::fabs(s) <= r;
}

void MakeCollisionTriangle(const float a[3], const float b[3], const float c[3], CollisionTriangle& out) {
    for (int k = 0; k < 3; ++k) {
        out.v0[k] = a[k];
        out.e1[k] = b[k] - a[k];
        out.e2[k] = c[k] - a[k];
        out.lo[k] = Min3(a[k], b[k], c[k]);
        out.hi[k] = Max3(a[k], b[k], c[k]);
    }
    const float* e1 = out.e1;
    const float* e2 = out.e2;
    const float nx = e1[1] * e2[2] - e1[2] * e2[1];
    const float ny = e1[2] * e2[0] - e1[0] * e2[2];
    const float nz = e1[0] * e2[1] - e1[1] * e2[0];
    out.normalLength = std::sqrt(nx * nx + ny * ny + nz * nz);
}

bool RayHitsTriangle(const CollisionTriangle& tri, const float s[3], const float r[3], float rayLength, float& t) {
    const float* e1 = tri.e1;
    const float* e2 = tri.e2;
    const float px = r[1] * e2[2] - r[2] * e2[1];
    const float py = r[2] * e2[0] - r[0] * e2[2];
    const float pz = r[0] * e2[1] - r[1] * e2[0];
    const float det = e1[0] * px + e1[1] * py + e1[2] * pz;
    // det = -R·n: parallel within a millionth of a radian, or no area at all.
    if (!(std::fabs(det) > 1e-6f * rayLength * tri.normalLength)) return false;
    const float inv = 1.0f / det;
    const float tx = s[0] - tri.v0[0], ty = s[1] - tri.v0[1], tz = s[2] - tri.v0[2];
    const float u = (tx * px + ty * py + tz * pz) * inv;
    if (u < 0.0f || u > 1.0f) return false;
    const float qx = ty * e1[2] - tz * e1[1];
    const float qy = tz * e1[0] - tx * e1[2];
    const float qz = tx * e1[1] - ty * e1[0];
    const float v = (r[0] * qx + r[1] * qy + r[2] * qz) * inv;
    if (v < 0.0f || u + v > 1.0f) return false;
    t = (e2[0] * qx + e2[1] * qy + e2[2] * qz) * inv;
    return true;
}
