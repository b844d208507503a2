// Collision primitives: separating axes for box–triangle, Möller–Trumbore for rays.
#include "runtime/gfx3d/collision.h"

#include <algorithm>   // Required for: std::min, std::max, std::nth_element
#include <cmath>       // Required for: std::fabs, std::sqrt, std::isfinite
#include <limits>      // Required for: std::numeric_limits

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

namespace {

constexpr uint32_t kLeafSize = 4;
// Deeper trees than this only come from piles of identical triangles: keep them as leaves.
constexpr int kMaxDepth = 48;

}  // namespace

void CollisionTree::Build(std::vector<CollisionTriangle> triangles) {
    triangles_ = std::move(triangles);
    nodes_.clear();
    if (triangles_.empty()) return;
    float lo[3], hi[3];
    for (int k = 0; k < 3; ++k) {
        lo[k] = triangles_[0].lo[k];
        hi[k] = triangles_[0].hi[k];
    }
    for (const auto& t : triangles_) {
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], t.lo[k]);
            hi[k] = std::max(hi[k], t.hi[k]);
        }
    }
    float extent = 0;
    for (int k = 0; k < 3; ++k) extent = std::max({extent, std::fabs(lo[k]), std::fabs(hi[k])});
    float pad = std::isfinite(extent) ? extent * 1e-5f + 1e-6f : 0.0f;
    nodes_.reserve(triangles_.size() / 2 + 1);
    BuildNode(0, uint32_t(triangles_.size()), pad, 0);
}

void CollisionTree::BuildNode(uint32_t first, uint32_t count, float pad, int depth) {
    const uint32_t index = uint32_t(nodes_.size());
    nodes_.emplace_back();
    float lo[3], hi[3], clo[3], chi[3];
    for (int k = 0; k < 3; ++k) {
        lo[k] = clo[k] = std::numeric_limits<float>::infinity();
        hi[k] = chi[k] = -std::numeric_limits<float>::infinity();
    }
    for (uint32_t i = first; i < first + count; ++i) {
        const CollisionTriangle& t = triangles_[i];
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], t.lo[k]);
            hi[k] = std::max(hi[k], t.hi[k]);
            const float c = t.lo[k] + t.hi[k];
            clo[k] = std::min(clo[k], c);
            chi[k] = std::max(chi[k], c);
        }
    }
    for (int k = 0; k < 3; ++k) {
        // NaN corners must not hide a node: such bounds cover everything.
        nodes_[index].lo[k] = std::isnan(lo[k]) ? -std::numeric_limits<float>::infinity() : lo[k] - pad;
        nodes_[index].hi[k] = std::isnan(hi[k]) ? std::numeric_limits<float>::infinity() : hi[k] + pad;
    }
    int axis = 0;
    for (int k = 1; k < 3; ++k) {
        if (chi[k] - clo[k] > chi[axis] - clo[axis]) axis = k;
    }
    if (count <= kLeafSize || depth >= kMaxDepth || !(chi[axis] - clo[axis] > 0)) {
        nodes_[index].first = first;
        nodes_[index].count = count;
        return;
    }
    const uint32_t half = count / 2;
    // A strict order even for NaN centres, which sort first.
    auto key = [axis](const CollisionTriangle& t) {
        const float c = t.lo[axis] + t.hi[axis];
        return std::isnan(c) ? -std::numeric_limits<float>::infinity() : c;
    };
    std::nth_element(triangles_.begin() + first, triangles_.begin() + first + half, triangles_.begin() + first + count,
                     [&key](const CollisionTriangle& a, const CollisionTriangle& b) { return key(a) < key(b); });
    BuildNode(first, half, pad, depth + 1);
    nodes_[index].right = uint32_t(nodes_.size());
    BuildNode(first + half, count - half, pad, depth + 1);
}

bool CollisionTree::LineRange(const Node& n, const float s[3], const float r[3], float& t0, float& t1) {
    t0 = -std::numeric_limits<float>::infinity();
    t1 = std::numeric_limits<float>::infinity();
    for (int k = 0; k < 3; ++k) {
        if (r[k] == 0) {
            if (s[k] < n.lo[k] || s[k] > n.hi[k]) return false;
            continue;
        }
        float a = (n.lo[k] - s[k]) / r[k], b = (n.hi[k] - s[k]) / r[k];
        if (a > b) std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        if (t0 > t1) return false;
    }
    return true;
}
