// Path motion: closed-loop paths walked at a fixed speed on one clock.
//
// Dependencies: level/level (PathLen, PathPoints, the object and actor arrays),
// runtime/frame (numbers).
#include "game/path.h"

#include <algorithm>   // Required for: std::min, std::max
#include <cmath>       // Required for: std::fmod, std::isfinite, std::sqrt

#include "level/level.h"             // Required for: the level arrays
#include "runtime/frame/numbers.h"    // Required for: ATan2Deg

Number animPhase = 0;

namespace {

// Rows that all the given arrays have, so a broken invariant never indexes past one.
int CommonRows(const DimArray<Number>& a, const DimArray<Number>& b, const DimArray<Number>& c) {
    return static_cast<int>(std::min({a.Extent(0), b.Extent(0), c.Extent(0)}));
}

// The path's row, or -1 when p names no path.
int PathRow(Number p) {
    const Number count = std::min(PathLen.Extent(0), PathPoints.Extent(0));
    if (!(p >= 0) || p >= count) return -1;
    return static_cast<int>(p);
}

// Points of path row `row`, limited to the capacity the points array really has.
int PointCount(int row) {
    const Number n = PathLen(row);
    if (!(n >= 1)) return 0;
    return static_cast<int>(std::min(n, PathPoints.Extent(1)));
}

struct Point {
    Number x, y, z;
};

Point PointAt(int row, int i) { return {PathPoints(row, i, 0), PathPoints(row, i, 1), PathPoints(row, i, 2)}; }

Number Distance(const Point& a, const Point& b) {
    const Number dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

Number LoopLength(int row, int n) {
    Number sum = 0;
    for (int i = 0; i < n; ++i) sum += Distance(PointAt(row, i), PointAt(row, (i + 1) % n));
    return sum;
}

}  // namespace

Number PathPointCount(Number p) {
    const int row = PathRow(p);
    return row < 0 ? 0 : PointCount(row);
}

Number PathLength(Number p) {
    const int row = PathRow(p);
    if (row < 0) return 0;
    return LoopLength(row, PointCount(row));
}

Number PathPosition(Number p, Number t, Number& x, Number& y, Number& z) {
    const int row = PathRow(p);
    if (row < 0) return 0;
    const int n = PointCount(row);
    if (n == 0) return 0;

    Point result = PointAt(row, 0);
    const Number length = LoopLength(row, n);
    // Without two distinct points there is no way along: the follower holds the first point.
    if (length > 0) {
        Number s = kPathSpeed * t;
        if (!std::isfinite(s)) s = 0;
        s = std::fmod(s, length);
        s = std::max<Number>(0, std::min(s, length - 0.0001));
        Number start = 0;
        for (int i = 0; i < n; ++i) {
            const Point a = PointAt(row, i);
            const Point b = PointAt(row, (i + 1) % n);
            const Number end = start + Distance(a, b);
            if (s <= end) {
                // A repeated point is a segment of length 0; its start is the answer.
                const Number f = end > start ? (s - start) / (end - start) : 0;
                result = {a.x + (b.x - a.x) * f, a.y + (b.y - a.y) * f, a.z + (b.z - a.z) * f};
                break;
            }
            start = end;
        }
    }
    x = result.x;
    y = result.y;
    z = result.z;
    return 1;
}

void MoveActorsOnPaths(Number t) {
    const int rows = CommonRows(ActorProps, ActorPos, ActorState);
    // The player (actor 0) steers itself and never follows a path.
    for (int a = 1; a < rows; ++a) {
        const Number path = ActorProps(a, 5);
        Number x = 0, y = 0, z = 0;
        if (!(path >= 0) || !PathPosition(path, t, x, y, z)) continue;
        const Number dx = x - ActorPos(a, 0), dy = y - ActorPos(a, 1), dz = z - ActorPos(a, 2);
        ActorState(a, 0) = dx;
        ActorState(a, 1) = dy;
        ActorState(a, 2) = dz;
        // Standing still (a one-point path, or the same time twice) keeps the facing.
        if (dx != 0 || dz != 0) ActorPos(a, 3) = 90 - ATan2Deg(dz, dx);
        ActorPos(a, 0) = x;
        ActorPos(a, 1) = y;
        ActorPos(a, 2) = z;
        ActorProps(a, 2) = 1;
        ActorProps(a, 3) = animPhase;
    }
}

void MoveObjectsOnPaths(Number t) {
    const int rows = CommonRows(ObjPos, ObjProps, ObjState);
    for (int o = 0; o < rows; ++o) {
        const Number path = ObjProps(o, 4);
        Number x = 0, y = 0, z = 0;
        if (!(path >= 0) || !PathPosition(path, t, x, y, z)) continue;
        ObjState(o, 0) = x - ObjPos(o, 0);
        ObjState(o, 1) = y - ObjPos(o, 1);
        ObjState(o, 2) = z - ObjPos(o, 2);
        ObjPos(o, 0) = x;
        ObjPos(o, 1) = y;
        ObjPos(o, 2) = z;
    }
}
