// Collision primitives: exact box–triangle overlap and ray–triangle intersection.
//
// The engine's CollisionBox and CollisionRay (engine.h) run these over a frame's
// triangle list, kept in a compact per-frame cache (edges and bounds precomputed).
//
// Dependencies: none.
#pragma once

#include <cstddef>   // Required for: size_t
#include <vector>    // Required for: std::vector

// Separating-axis test of a triangle against an axis-aligned box centred at the
// origin with the given half extents (based on Akenine-Möller's 13-axis test).
// Touching counts as overlap.
bool TriangleOverlapsBox(const float a[3], const float b[3], const float c[3], const float half[3]);

// One cached triangle: first corner, two edges, the unnormalised normal's length
// and the triangle's bounds.
struct CollisionTriangle {
    float v0[3];
    float e1[3];
    float e2[3];
    float normalLength;
    float lo[3];
    float hi[3];
};

void MakeCollisionTriangle(const float a[3], const float b[3], const float c[3], CollisionTriangle& out);

// Both faces count. Returns false for a degenerate triangle or a ray parallel to its
// plane; otherwise true when the line S + t·R crosses the triangle (inside or on an
// edge), with t set (negative behind S). rayLength is |R|.
bool RayHitsTriangle(const CollisionTriangle& tri, const float s[3], const float r[3], float rayLength, float& t);
