// The collision primitives against independent reference methods on random cases.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <random>
#include <vector>

#include "runtime/gfx3d/collision.h"

namespace {

using V3 = std::array<double, 3>;

V3 Sub(V3 a, V3 b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
V3 Cross(V3 a, V3 b) { return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]}; }
double Dot(V3 a, V3 b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// Reference: clip the triangle by the box's six planes; it overlaps when anything is left.
bool ClippedTriangleRemains(const std::vector<V3>& tri, const double half[3]) {
    std::vector<V3> poly = tri;
    for (int axis = 0; axis < 3 && !poly.empty(); ++axis) {
        for (double side : {1.0, -1.0}) {
            std::vector<V3> out;
            for (size_t k = 0; k < poly.size(); ++k) {
                const V3 p = poly[k], q = poly[(k + 1) % poly.size()];
                const double dp = half[axis] - side * p[size_t(axis)], dq = half[axis] - side * q[size_t(axis)];
                if (dp >= 0) out.push_back(p);
                if ((dp >= 0) != (dq >= 0)) {
                    const double t = dp / (dp - dq);
                    out.push_back({p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1]), p[2] + t * (q[2] - p[2])});
                }
            }
            poly = out;
        }
    }
    return !poly.empty();
}

}  // namespace

TEST(BoxTriangle, AgreesWithClippingOnRandomTrianglesIncludingEdgeAxisCases) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<double> coord(-2.5, 2.5), size(0.1, 1.5);
    int hits = 0, misses = 0, edgeOnly = 0;
    for (int n = 0; n < 30000; ++n) {
        const double half[3] = {size(rng), size(rng), size(rng)};
        const std::vector<V3> tri = {{coord(rng), coord(rng), coord(rng)},
                                     {coord(rng), coord(rng), coord(rng)},
                                     {coord(rng), coord(rng), coord(rng)}};
        const double in[3] = {half[0] * 0.9999, half[1] * 0.9999, half[2] * 0.9999};
        const double out[3] = {half[0] * 1.0001, half[1] * 1.0001, half[2] * 1.0001};
        const bool expected = ClippedTriangleRemains(tri, in);
        if (expected != ClippedTriangleRemains(tri, out)) continue;   // too close to call
        float a[3], b[3], c[3];
        const float h[3] = {float(half[0]), float(half[1]), float(half[2])};
        for (int k = 0; k < 3; ++k) {
            a[k] = float(tri[0][size_t(k)]);
            b[k] = float(tri[1][size_t(k)]);
            c[k] = float(tri[2][size_t(k)]);
        }
        ASSERT_EQ(TriangleOverlapsBox(a, b, c, h), expected) << "case " << n;
        expected ? ++hits : ++misses;
        // Misses that neither the box's faces nor the triangle's plane separate.
        if (!expected) {
            bool boundsOverlap = true;
            for (int k = 0; k < 3; ++k) {
                const double lo = std::min({tri[0][size_t(k)], tri[1][size_t(k)], tri[2][size_t(k)]});
                const double hi = std::max({tri[0][size_t(k)], tri[1][size_t(k)], tri[2][size_t(k)]});
                boundsOverlap = boundsOverlap && lo <= half[k] && hi >= -half[k];
            }
            const V3 nrm = Cross(Sub(tri[1], tri[0]), Sub(tri[2], tri[0]));
            const double r = half[0] * std::fabs(nrm[0]) + half[1] * std::fabs(nrm[1]) + half[2] * std::fabs(nrm[2]);
            if (boundsOverlap && std::fabs(Dot(nrm, tri[0])) <= r) ++edgeOnly;
        }
    }
    EXPECT_GT(hits, 1000);
    EXPECT_GT(misses, 1000);
    EXPECT_GT(edgeOnly, 50);
}

TEST(BoxTriangle, TouchingAndDegenerateCases) {
    const float half[3] = {1, 1, 1};
    const float a[3] = {1, -5, -5}, b[3] = {1, 5, -5}, c[3] = {1, 0, 5};   // lies on the face x = 1
    EXPECT_TRUE(TriangleOverlapsBox(a, b, c, half));
    const float d[3] = {1.01f, -5, -5}, e[3] = {1.01f, 5, -5}, f[3] = {1.01f, 0, 5};
    EXPECT_FALSE(TriangleOverlapsBox(d, e, f, half));
    // A triangle that is a segment through the box, and one that is a point outside.
    const float p[3] = {-3, 0, 0}, q[3] = {3, 0, 0};
    EXPECT_TRUE(TriangleOverlapsBox(p, q, q, half));
    const float r[3] = {0, 2, 0};
    EXPECT_FALSE(TriangleOverlapsBox(r, r, r, half));
    // A flat box (zero height) still meets a triangle crossing its plane.
    const float flat[3] = {1, 0, 1};
    const float s[3] = {0, -1, 0}, t[3] = {0.5f, 1, 0}, u[3] = {-0.5f, 1, 0.2f};
    EXPECT_TRUE(TriangleOverlapsBox(s, t, u, flat));
}
