// Box against triangle where the answer is decided on a face, a segment or a flat box.
#include <gtest/gtest.h>

#include "runtime/gfx3d/collision.h"

TEST(BoxTriangle, TouchingAndDegenerateCases) {
    struct Case { float half[3], a[3], b[3], c[3]; bool hit; };
    const Case cases[] = {
        {{1, 1, 1}, {1, -5, -5}, {1, 5, -5}, {1, 0, 5}, true},                  // on the face x = 1
        {{1, 1, 1}, {1.01f, -5, -5}, {1.01f, 5, -5}, {1.01f, 0, 5}, false},
        {{1, 1, 1}, {-3, 0, 0}, {3, 0, 0}, {3, 0, 0}, true},                    // a segment through the box
        {{1, 1, 1}, {0, 2, 0}, {0, 2, 0}, {0, 2, 0}, false},                    // a point outside
        {{1, 0, 1}, {0, -1, 0}, {0.5f, 1, 0}, {-0.5f, 1, 0.2f}, true},          // a flat box
        {{1, 1, 1}, {2, 2, -3}, {-3, 2, 2}, {2, -3, 2}, true},                   // plane cuts a corner
        {{1, 1, 1}, {2.5f, 0, -5}, {0, 2.5f, 5}, {5, 5, 0}, false},               // only an edge axis separates
    };
    for (const auto& c : cases) EXPECT_EQ(TriangleOverlapsBox(c.a, c.b, c.c, c.half), c.hit) << c.a[0] << " " << c.a[1];
}
