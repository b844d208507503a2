// 3D engine benchmarks: collision queries against a 10,000-triangle model (ours and a
// plain textbook version compiled alongside), loading a 100,000-triangle binary model,
// and blending one frame of a 5,000-vertex animated model.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "runtime/gfx3d/collision.h"
#include "runtime/gfx3d/lumenor3d.h"
#include "runtime/gfx3d/model.h"

namespace {

constexpr int kGridX = 50, kGridZ = 100;   // 2 triangles per cell: 10,000 triangles

float Ground(float x, float z) { return 2.0f * std::sin(x * 0.3f) * std::cos(z * 0.2f); }

// A bumpy terrain of 10,000 triangles, 1 unit per cell, in slot 1 of the engine.
Lumenor3D& TerrainEngine() {
    static Lumenor3D* engine = [] {
        auto* e = new Lumenor3D;
        MeshObject& m = *e->Model(1);
        MeshFrame frame;
        auto vertex = [](float x, float z) {
            MeshVertex v;
            v.position[0] = x;
            v.position[1] = Ground(x, z);
            v.position[2] = z;
            return v;
        };
        for (int i = 0; i < kGridX; ++i) {
            for (int j = 0; j < kGridZ; ++j) {
                const float x = float(i) - kGridX / 2, z = float(j) - kGridZ / 2;
                for (const auto& [dx, dz] : {std::pair{0, 0}, {1, 0}, {1, 1}, {0, 0}, {1, 1}, {0, 1}}) {
                    frame.triangles.push_back(vertex(x + float(dx), z + float(dz)));
                }
            }
        }
        frame.packed.resize(frame.triangles.size());
        m.frames.push_back(frame);
        m.palette = {kPaletteWhite};
        ComputeModelBounds(m);
        e->SetMovement(3, 0, -2);
        e->AddRotation(30, 0, 1, 0);
        return e;
    }();
    return *engine;
}

struct Query {
    double x, y, z;
};

// Points near the surface, in world space (the terrain is moved and turned).
std::vector<Query> NearSurfaceQueries(int n) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<float> ux(-kGridX / 2.0f + 1, kGridX / 2.0f - 1), uz(-kGridZ / 2.0f + 1, kGridZ / 2.0f - 1),
        uy(-1.0f, 2.5f);
    const Matrix4 m = TerrainEngine().ModelMatrix();
    std::vector<Query> q;
    for (int k = 0; k < n; ++k) {
        const float x = ux(rng), z = uz(rng);
        const double p[3] = {x, Ground(x, z) + uy(rng), z};
        double w[3];
        m.TransformPoint(p, w);
        q.push_back({w[0], w[1], w[2]});
    }
    return q;
}

// ---- Textbook versions: Akenine-Möller's tribox test on every triangle moved into
// world space, and the plane-then-barycentric ray test on every triangle.

bool TextbookTriBox(const double centre[3], const double half[3], const double tv[3][3]) {
    double v[3][3], e[3][3];
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) v[i][k] = tv[i][k] - centre[k];
    }
    for (int i = 0; i < 3; ++i) {
        for (int k = 0; k < 3; ++k) e[i][k] = v[(i + 1) % 3][k] - v[i][k];
    }
    // The nine edge axes.
    for (int i = 0; i < 3; ++i) {
        for (int axis = 0; axis < 3; ++axis) {
            double l[3] = {0, 0, 0};
            // axis unit vector × edge
            const int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
            l[a1] = -e[i][a2];
            l[a2] = e[i][a1];
            double lo = 1e300, hi = -1e300;
            for (int j = 0; j < 3; ++j) {
                const double p = l[0] * v[j][0] + l[1] * v[j][1] + l[2] * v[j][2];
                lo = std::min(lo, p);
                hi = std::max(hi, p);
            }
            const double r = half[0] * std::fabs(l[0]) + half[1] * std::fabs(l[1]) + half[2] * std::fabs(l[2]);
            if (lo > r || hi < -r) return false;
        }
    }
    for (int k = 0; k < 3; ++k) {
        const double lo = std::min({v[0][k], v[1][k], v[2][k]}), hi = std::max({v[0][k], v[1][k], v[2][k]});
        if (lo > half[k] || hi < -half[k]) return false;
    }
    const double n[3] = {e[0][1] * e[1][2] - e[0][2] * e[1][1], e[0][2] * e[1][0] - e[0][0] * e[1][2],
                         e[0][0] * e[1][1] - e[0][1] * e[1][0]};
    const double d = -(n[0] * v[0][0] + n[1] * v[0][1] + n[2] * v[0][2]);
    double vmin[3], vmax[3];
    for (int k = 0; k < 3; ++k) {
        vmin[k] = n[k] > 0 ? -half[k] : half[k];
        vmax[k] = -vmin[k];
    }
    if (n[0] * vmin[0] + n[1] * vmin[1] + n[2] * vmin[2] + d > 0) return false;
    return n[0] * vmax[0] + n[1] * vmax[1] + n[2] * vmax[2] + d >= 0;
}

bool TextbookRay(const double s[3], const double r[3], const double tv[3][3], double& t) {
    double e1[3], e2[3], n[3];
    for (int k = 0; k < 3; ++k) {
        e1[k] = tv[1][k] - tv[0][k];
        e2[k] = tv[2][k] - tv[0][k];
    }
    n[0] = e1[1] * e2[2] - e1[2] * e2[1];
    n[1] = e1[2] * e2[0] - e1[0] * e2[2];
    n[2] = e1[0] * e2[1] - e1[1] * e2[0];
    const double denom = n[0] * r[0] + n[1] * r[1] + n[2] * r[2];
    if (denom == 0) return false;
    t = (n[0] * (tv[0][0] - s[0]) + n[1] * (tv[0][1] - s[1]) + n[2] * (tv[0][2] - s[2])) / denom;
    const double p[3] = {s[0] + t * r[0], s[1] + t * r[1], s[2] + t * r[2]};
    // Barycentric coordinates from the dot products of the edge vectors.
    double w[3];
    for (int k = 0; k < 3; ++k) w[k] = p[k] - tv[0][k];
    const double d00 = e1[0] * e1[0] + e1[1] * e1[1] + e1[2] * e1[2];
    const double d01 = e1[0] * e2[0] + e1[1] * e2[1] + e1[2] * e2[2];
    const double d11 = e2[0] * e2[0] + e2[1] * e2[1] + e2[2] * e2[2];
    const double d20 = w[0] * e1[0] + w[1] * e1[1] + w[2] * e1[2];
    const double d21 = w[0] * e2[0] + w[1] * e2[1] + w[2] * e2[2];
    const double den = d00 * d11 - d01 * d01;
    if (den == 0) return false;
    const double v = (d11 * d20 - d01 * d21) / den, u = (d00 * d21 - d01 * d20) / den;
    return v >= 0 && u >= 0 && u + v <= 1;
}

// The whole frame in world space, as a textbook caller would do per query.
void WorldTriangle(const Matrix4& m, const std::vector<MeshVertex>& tris, size_t k, double out[3][3]) {
    for (int j = 0; j < 3; ++j) {
        const float* p = tris[k * 3 + size_t(j)].position;
        const double in[3] = {p[0], p[1], p[2]};
        m.TransformPoint(in, out[j]);
    }
}

void BM_CollisionBox(benchmark::State& state) {
    Lumenor3D& e = TerrainEngine();
    const auto queries = NearSurfaceQueries(1024);
    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Query& q = queries[i++ & 1023];
        hits += size_t(e.CollisionBox(1, 0, q.x, q.y, q.z, 1.5, 3.5));
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 10000);
    state.counters["queries/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["hit%"] = 100.0 * double(hits) / double(state.iterations());
}
BENCHMARK(BM_CollisionBox);

bool TextbookBoxQuery(const Query& q) {
    Lumenor3D& e = TerrainEngine();
    const auto& tris = e.Model(1)->frames[0].triangles;
    const Matrix4 m = e.ModelMatrix();
    const double c[3] = {q.x, q.y, q.z}, half[3] = {0.75, 1.75, 0.75};
    for (size_t k = 0; k < tris.size() / 3; ++k) {
        double tv[3][3];
        WorldTriangle(m, tris, k, tv);
        if (TextbookTriBox(c, half, tv)) return true;
    }
    return false;
}

void BM_CollisionBoxTextbook(benchmark::State& state) {
    const auto queries = NearSurfaceQueries(1024);
    // Both versions must give the same answers.
    int mismatches = 0;
    for (const Query& q : queries) mismatches += TextbookBoxQuery(q) != (TerrainEngine().CollisionBox(1, 0, q.x, q.y, q.z, 1.5, 3.5) == 1);
    state.counters["mismatches"] = mismatches;
    size_t i = 0, hits = 0;
    for (auto _ : state) hits += TextbookBoxQuery(queries[i++ & 1023]);
    state.SetItemsProcessed(int64_t(state.iterations()) * 10000);
    state.counters["queries/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["hit%"] = 100.0 * double(hits) / double(state.iterations());
}
BENCHMARK(BM_CollisionBoxTextbook);

void BM_CollisionRay(benchmark::State& state) {
    Lumenor3D& e = TerrainEngine();
    const auto queries = NearSurfaceQueries(1024);
    size_t i = 0;
    double sum = 0;
    for (auto _ : state) {
        const Query& q = queries[i++ & 1023];
        sum += e.CollisionRay(1, 0, q.x, q.y + 5, q.z, 0.1, -1, 0.05);
    }
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(int64_t(state.iterations()) * 10000);
    state.counters["queries/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CollisionRay);

// The nearest hit ahead, or 0.
double TextbookRayQuery(const Query& q) {
    Lumenor3D& e = TerrainEngine();
    const auto& tris = e.Model(1)->frames[0].triangles;
    const Matrix4 m = e.ModelMatrix();
    const double s[3] = {q.x, q.y + 5, q.z}, r[3] = {0.1, -1, 0.05};
    double best = 1e300;
    for (size_t k = 0; k < tris.size() / 3; ++k) {
        double tv[3][3], t;
        WorldTriangle(m, tris, k, tv);
        if (TextbookRay(s, r, tv, t) && t > 0 && t < best) best = t;
    }
    return best < 1e300 ? best : 0;
}

void BM_CollisionRayTextbook(benchmark::State& state) {
    const auto queries = NearSurfaceQueries(1024);
    int mismatches = 0;
    for (const Query& q : queries) {
        const double ours = TerrainEngine().CollisionRay(1, 0, q.x, q.y + 5, q.z, 0.1, -1, 0.05);
        const double theirs = TextbookRayQuery(q);
        mismatches += theirs > 0 ? std::fabs(ours - theirs) > 1e-3 : ours > 0;
    }
    state.counters["mismatches"] = mismatches;
    size_t i = 0;
    double sum = 0;
    for (auto _ : state) sum += TextbookRayQuery(queries[i++ & 1023]);
    benchmark::DoNotOptimize(sum);
    state.SetItemsProcessed(int64_t(state.iterations()) * 10000);
    state.counters["queries/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CollisionRayTextbook);

// The primitives alone: every triangle of the model, already in world space, against
// one box or one ray per pass; items are single triangle tests.
struct WorldSoup {
    std::vector<CollisionTriangle> ours;
    std::vector<std::array<std::array<double, 3>, 3>> plain;
};

const WorldSoup& Soup() {
    static const WorldSoup soup = [] {
        WorldSoup w;
        Lumenor3D& e = TerrainEngine();
        const auto& tris = e.Model(1)->frames[0].triangles;
        const Matrix4 m = e.ModelMatrix();
        for (size_t k = 0; k < tris.size() / 3; ++k) {
            double tv[3][3];
            WorldTriangle(m, tris, k, tv);
            float f[3][3];
            std::array<std::array<double, 3>, 3> d;
            for (int j = 0; j < 3; ++j) {
                for (int a = 0; a < 3; ++a) {
                    f[j][a] = float(tv[j][a]);
                    d[size_t(j)][size_t(a)] = tv[j][a];
                }
            }
            CollisionTriangle t;
            MakeCollisionTriangle(f[0], f[1], f[2], t);
            w.ours.push_back(t);
            w.plain.push_back(d);
        }
        return w;
    }();
    return soup;
}

void BM_BoxTriangleTest(benchmark::State& state) {
    const auto& soup = Soup().ours;
    const auto queries = NearSurfaceQueries(64);
    const float half[3] = {0.75f, 1.75f, 0.75f};
    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Query& q = queries[i++ & 63];
        for (const auto& t : soup) {
            const float a[3] = {float(t.v0[0] - q.x), float(t.v0[1] - q.y), float(t.v0[2] - q.z)};
            const float b[3] = {a[0] + t.e1[0], a[1] + t.e1[1], a[2] + t.e1[2]};
            const float c[3] = {a[0] + t.e2[0], a[1] + t.e2[1], a[2] + t.e2[2]};
            hits += TriangleOverlapsBox(a, b, c, half);
        }
    }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(int64_t(state.iterations() * soup.size()));
}
BENCHMARK(BM_BoxTriangleTest)->Unit(benchmark::kMicrosecond);

void BM_BoxTriangleTestTextbook(benchmark::State& state) {
    const auto& soup = Soup().plain;
    const auto queries = NearSurfaceQueries(64);
    const double half[3] = {0.75, 1.75, 0.75};
    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Query& q = queries[i++ & 63];
        const double c[3] = {q.x, q.y, q.z};
        for (const auto& t : soup) {
            const double tv[3][3] = {{t[0][0], t[0][1], t[0][2]}, {t[1][0], t[1][1], t[1][2]}, {t[2][0], t[2][1], t[2][2]}};
            hits += TextbookTriBox(c, half, tv);
        }
    }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(int64_t(state.iterations() * soup.size()));
}
BENCHMARK(BM_BoxTriangleTestTextbook)->Unit(benchmark::kMicrosecond);

void BM_RayTriangleTest(benchmark::State& state) {
    const auto& soup = Soup().ours;
    const auto queries = NearSurfaceQueries(64);
    const float r[3] = {0.1f, -1, 0.05f};
    const float rl = std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Query& q = queries[i++ & 63];
        const float s[3] = {float(q.x), float(q.y + 5), float(q.z)};
        for (const auto& t : soup) {
            float hit;
            hits += RayHitsTriangle(t, s, r, rl, hit);
        }
    }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(int64_t(state.iterations() * soup.size()));
}
BENCHMARK(BM_RayTriangleTest)->Unit(benchmark::kMicrosecond);

void BM_RayTriangleTestTextbook(benchmark::State& state) {
    const auto& soup = Soup().plain;
    const auto queries = NearSurfaceQueries(64);
    const double r[3] = {0.1, -1, 0.05};
    size_t i = 0, hits = 0;
    for (auto _ : state) {
        const Query& q = queries[i++ & 63];
        const double s[3] = {q.x, q.y + 5, q.z};
        for (const auto& t : soup) {
            const double tv[3][3] = {{t[0][0], t[0][1], t[0][2]}, {t[1][0], t[1][1], t[1][2]}, {t[2][0], t[2][1], t[2][2]}};
            double hit;
            hits += TextbookRay(s, r, tv, hit);
        }
    }
    benchmark::DoNotOptimize(hits);
    state.SetItemsProcessed(int64_t(state.iterations() * soup.size()));
}
BENCHMARK(BM_RayTriangleTestTextbook)->Unit(benchmark::kMicrosecond);

std::string ScratchFile(const char* name) {
    const char* t = std::getenv("TMPDIR");
    return std::string(t && *t ? t : "/tmp") + "/" + name;
}

void BM_LoadBinaryModel100kTriangles(benchmark::State& state) {
    const std::string path = ScratchFile("bench_100k.kmo");
    {
        MeshObjectX m;
        m.palette = {kPaletteWhite, 0x0000FF, kMarkerList};
        MeshFrame f;
        std::mt19937 rng(1);
        PackedVertex marker;
        marker.colourIndex = 2;
        f.packed.push_back(marker);
        for (int k = 0; k < 300000; ++k) {
            PackedVertex p;
            p.qx = uint8_t(rng());
            p.qy = uint8_t(rng());
            p.qz = uint8_t(rng());
            p.normalIndex = uint8_t(rng() % kNormalCount);
            p.colourIndex = uint8_t(rng() % 2);
            f.packed.push_back(p);
        }
        for (int a = 0; a < 3; ++a) f.scale[a] = 0.1f;
        m.frames.push_back(f);
        m.texU.assign(f.packed.size(), 0.5f);
        m.texV.assign(f.packed.size(), 0.25f);
        SaveModelBinary(m, path);
    }
    for (auto _ : state) {
        MeshObjectX m;
        if (!LoadModelFile(m, path)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(m.frames[0].triangles.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 100000);
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadBinaryModel100kTriangles)->Unit(benchmark::kMillisecond);

void BM_BlendFrame5000Vertices(benchmark::State& state) {
    std::vector<MeshVertex> a(5000), b(5000), out;
    for (size_t k = 0; k < a.size(); ++k) {
        a[k].position[0] = float(k);
        b[k].position[1] = float(k);
    }
    for (auto _ : state) {
        BlendFrames(a, b, 0.3f, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * 5000);
}
BENCHMARK(BM_BlendFrame5000Vertices)->Unit(benchmark::kMicrosecond);

}  // namespace
