// Collision primitives: exact box–triangle overlap and ray–triangle intersection.
//
// The engine's CollisionBox and CollisionRay (engine.h) run these over a frame's
// triangle list, kept per frame in a bounding-volume tree of compact triangles (edges
// and bounds precomputed), so a query only looks at the triangles near it.
//
// Dependencies: none.
#pragma once

#include <cstddef>   // Required for: size_t
#include <cstdint>   // Required for: uint32_t
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

// A bounding-volume tree over a frame's triangles (median splits, small leaves). Node
// bounds are padded a little, so no triangle is lost to rounding at a node's edge.
class CollisionTree {
public:
    // Takes the triangles (their order changes).
    void Build(std::vector<CollisionTriangle> triangles);
    const std::vector<CollisionTriangle>& Triangles() const { return triangles_; }

    // Calls visit(triangle) for each triangle whose bounds meet the box lo..hi, until a
    // call returns true; returns whether one did.
    template <class Visit>
    bool AnyInBox(const float lo[3], const float hi[3], Visit&& visit) const;

    // Calls visit(triangle) for each triangle in a node the line S + t·R crosses, skipping
    // nodes that only hold t beyond `ahead` or below 0 once `ahead` is finite (the caller
    // lowers `ahead` to its nearest hit ahead).
    template <class Visit>
    void OnLine(const float s[3], const float r[3], const float& ahead, Visit&& visit) const;

private:
    struct Node {
        float lo[3], hi[3];
        uint32_t first = 0, count = 0;   // a leaf's triangles; count 0 for an inner node
        uint32_t right = 0;              // an inner node's second child (the first follows it)
    };
    void BuildNode(uint32_t first, uint32_t count, float pad, int depth);
    static bool LineRange(const Node& n, const float s[3], const float r[3], float& t0, float& t1);

    std::vector<Node> nodes_;
    std::vector<CollisionTriangle> triangles_;
};

template <class Visit>
bool CollisionTree::AnyInBox(const float lo[3], const float hi[3], Visit&& visit) const {
    if (nodes_.empty()) return false;
    uint32_t stack[64];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const uint32_t index = stack[--top];
        const Node& n = nodes_[index];
        if (n.lo[0] > hi[0] || n.hi[0] < lo[0] || n.lo[1] > hi[1] || n.hi[1] < lo[1] || n.lo[2] > hi[2] ||
            n.hi[2] < lo[2]) {
            continue;
        }
        if (n.count == 0) {
            stack[top++] = n.right;
            stack[top++] = index + 1;
            continue;
        }
        for (uint32_t k = n.first; k < n.first + n.count; ++k) {
            const CollisionTriangle& t = triangles_[k];
            if (t.lo[0] > hi[0] || t.hi[0] < lo[0] || t.lo[1] > hi[1] || t.hi[1] < lo[1] || t.lo[2] > hi[2] ||
                t.hi[2] < lo[2]) {
                continue;
            }
            if (visit(t)) return true;
        }
    }
    return false;
}

template <class Visit>
void CollisionTree::OnLine(const float s[3], const float r[3], const float& ahead, Visit&& visit) const {
    if (nodes_.empty()) return;
    uint32_t stack[64];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const uint32_t index = stack[--top];
        const Node& n = nodes_[index];
        float t0, t1;
        if (!LineRange(n, s, r, t0, t1)) continue;
        if (ahead < 3.0e38f && (t0 > ahead || t1 < 0)) continue;
        if (n.count == 0) {
            stack[top++] = n.right;
            stack[top++] = index + 1;
            continue;
        }
        for (uint32_t k = n.first; k < n.first + n.count; ++k) visit(triangles_[k]);
    }
}
