// Lumenor3D: engine state, transforms, projection, animation choice and collisions.
#include "runtime/gfx3d/lumenor3d.h"

#include <algorithm>   // Required for: std::min, std::max, std::clamp
#include <cmath>       // Required for: std::sqrt, std::tan, std::floor, std::trunc
#include <cstring>     // Required for: std::memcpy
#include <limits>      // Required for: std::numeric_limits

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kRadiansPerDegree = kPi / 180.0;
// Used for the view cone once field of view + 5 exceeds 89 degrees.
constexpr double kWidestConeAngle = 1.553343;
// An orthographic half angle of 90 degrees or more would have no finite extent.
constexpr double kWidestOrthoHalfAngle = 89.9;

double Length3(const double v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }

int ClampFrame(double f, int count) {
    if (!(f >= 0)) return 0;   // NaN and negatives
    if (f >= count - 1) return count - 1;
    return int(f);
}

}  // namespace

// ---- Matrix4

Matrix4 Matrix4::Identity() {
    Matrix4 r{};
    r.m[0] = r.m[5] = r.m[10] = r.m[15] = 1;
    return r;
}

Matrix4 Matrix4::Translation(double x, double y, double z) {
    Matrix4 r = Identity();
    r.m[12] = x;
    r.m[13] = y;
    r.m[14] = z;
    return r;
}

Matrix4 Matrix4::Scaling(double x, double y, double z) {
    Matrix4 r = Identity();
    r.m[0] = x;
    r.m[5] = y;
    r.m[10] = z;
    return r;
}

Matrix4 Matrix4::Rotation(double angle, double x, double y, double z) {
    const double len = std::sqrt(x * x + y * y + z * z);
    if (!(len > 0)) return Identity();
    x /= len;
    y /= len;
    z /= len;
    const double c = std::cos(angle * kRadiansPerDegree), s = std::sin(angle * kRadiansPerDegree), k = 1 - c;
    Matrix4 r = Identity();
    r.m[0] = x * x * k + c;
    r.m[1] = y * x * k + z * s;
    r.m[2] = x * z * k - y * s;
    r.m[4] = x * y * k - z * s;
    r.m[5] = y * y * k + c;
    r.m[6] = y * z * k + x * s;
    r.m[8] = x * z * k + y * s;
    r.m[9] = y * z * k - x * s;
    r.m[10] = z * z * k + c;
    return r;
}

Matrix4 Matrix4::operator*(const Matrix4& b) const {
    Matrix4 r{};
    for (int col = 0; col < 4; ++col) {
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += m[k * 4 + row] * b.m[col * 4 + k];
            r.m[col * 4 + row] = sum;
        }
    }
    return r;
}

void Matrix4::TransformPoint(const double in[3], double out[3]) const {
    double r[3];
    for (int row = 0; row < 3; ++row) r[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2] + m[12 + row];
    std::memcpy(out, r, sizeof r);
}

void Matrix4::TransformVector(const double in[3], double out[3]) const {
    double r[3];
    for (int row = 0; row < 3; ++row) r[row] = m[row] * in[0] + m[4 + row] * in[1] + m[8 + row] * in[2];
    std::memcpy(out, r, sizeof r);
}

bool Matrix4::InverseAffine(Matrix4& out) const {
    // 3×3 part by cofactors; then the translation.
    const double a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    const double A = e * i - f * h, B = -(d * i - f * g), C = d * h - e * g;
    const double det = a * A + b * B + c * C;
    if (!(std::fabs(det) > 1e-300) || !std::isfinite(det)) return false;
    const double inv = 1.0 / det;
    Matrix4 r = Identity();
    r.m[0] = A * inv;
    r.m[1] = B * inv;
    r.m[2] = C * inv;
    r.m[4] = -(b * i - c * h) * inv;
    r.m[5] = (a * i - c * g) * inv;
    r.m[6] = -(a * h - b * g) * inv;
    r.m[8] = (b * f - c * e) * inv;
    r.m[9] = -(a * f - c * d) * inv;
    r.m[10] = (a * e - b * d) * inv;
    const double t[3] = {m[12], m[13], m[14]};
    double rt[3];
    r.TransformVector(t, rt);
    r.m[12] = -rt[0];
    r.m[13] = -rt[1];
    r.m[14] = -rt[2];
    out = r;
    return true;
}

bool Matrix4::Inverse(Matrix4& out) const {
    // Gauss-Jordan with partial pivoting on [M | I].
    double a[4][8];
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) {
            a[row][col] = m[col * 4 + row];
            a[row][col + 4] = row == col ? 1 : 0;
        }
    }
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int row = col + 1; row < 4; ++row) {
            if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
        }
        if (!(std::fabs(a[pivot][col]) > 1e-300)) return false;
        if (pivot != col) {
            for (int k = 0; k < 8; ++k) std::swap(a[col][k], a[pivot][k]);
        }
        const double p = a[col][col];
        for (int k = 0; k < 8; ++k) a[col][k] /= p;
        for (int row = 0; row < 4; ++row) {
            if (row == col) continue;
            const double f = a[row][col];
            if (f == 0) continue;
            for (int k = 0; k < 8; ++k) a[row][k] -= f * a[col][k];
        }
    }
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 4; ++col) out.m[col * 4 + row] = a[row][col + 4];
    }
    return true;
}

// ---- Animation

AnimationPick ChooseAnimationFrames(double from, double to, double factor, bool loop, int frameCount) {
    AnimationPick pick;
    double w;
    double first, second;
    if (!std::isfinite(factor)) factor = 0;
    if (loop) {
        // Remainder modulo 1 into 0 .. 1, also for negative factors.
        if (factor != 1.0) factor -= std::floor(factor);
        const double p = (to - from) * factor + from;
        const double i = std::trunc(p);
        if (from < to) {
            first = i;
            second = i + 1;
            w = 1 - (p - i);
        } else if (to < from) {
            first = i + 1;
            second = i;
            w = p - i;
            // On a whole frame the weight 0 would show frame i + 1: show frame i.
            if (w == 0) {
                first = i;
                second = i + 1;
            }
        } else {
            first = i;
            second = i + 1;
            w = 0;
        }
    } else {
        first = std::trunc(from);
        second = std::trunc(to);
        w = factor;
    }
    pick.first = ClampFrame(first, frameCount);
    pick.second = ClampFrame(second, frameCount);
    pick.weight = float(std::clamp(std::isfinite(w) ? w : 0.0, 0.0, 1.0));
    return pick;
}

void BlendFrames(const std::vector<MeshVertex>& a, const std::vector<MeshVertex>& b, float w,
                 std::vector<MeshVertex>& out) {
    const size_t n = std::min(a.size(), b.size());
    out.resize(a.size());
    const float k = 1.0f - w;
    const MeshVertex* pa = a.data();
    const MeshVertex* pb = b.data();
    MeshVertex* po = out.data();
    for (size_t j = 0; j < n; ++j) {
        const MeshVertex& x = pa[j];
        const MeshVertex& y = pb[j];
        MeshVertex& o = po[j];
        for (int c = 0; c < 3; ++c) {
            o.position[c] = x.position[c] * w + y.position[c] * k;
            o.normal[c] = x.normal[c] * w + y.normal[c] * k;
            o.spare[c] = x.spare[c] * w + y.spare[c] * k;
            o.tangent[c] = x.tangent[c] * w + y.tangent[c] * k;
            o.binormal[c] = x.binormal[c] * w + y.binormal[c] * k;
        }
        o.u = x.u * w + y.u * k;
        o.v = x.v * w + y.v * k;
        o.red = x.red * w + y.red * k;
        o.green = x.green * w + y.green * k;
        o.blue = x.blue * w + y.blue * k;
        o.colour = x.colour;
        o.colourIndex = x.colourIndex;
    }
    for (size_t j = n; j < a.size(); ++j) po[j] = pa[j];
}

// ---- Lumenor3D

Lumenor3D::Lumenor3D() : slots_(kModelSlots), caches_(kModelSlots), poses_(kModelSlots) {
    projection_ = Matrix4::Identity();
    view_ = Matrix4::Identity();
}

Lumenor3D::~Lumenor3D() = default;

MeshObject* Lumenor3D::Model(int slot) {
    if (slot < 0 || slot >= kModelSlots) return nullptr;
    auto& p = slots_[size_t(slot)];
    if (!p) p = std::make_unique<MeshObjectX>();
    return p.get();
}

int Lumenor3D::FrameCount(int slot) {
    MeshObject* model = Model(slot);
    return model ? int(model->frames.size()) : 0;
}

void Lumenor3D::ForEachModel(const std::function<void(MeshObject&)>& fn) {
    for (auto& model : slots_) {
        if (model) fn(*model);
    }
}

void Lumenor3D::ModelChanged(int slot) {
    if (slot < 0 || slot >= kModelSlots) return;
    caches_[size_t(slot)].clear();
    poses_[size_t(slot)] = PoseKey{};
}

int Lumenor3D::LoadSlot(int slot, const std::string& path) {
    MeshObject* model = Model(slot);
    if (!model) return 0;
    ReleaseModel(*model);
    model->Clear();
    ModelChanged(slot);
    return LoadModelFile(*model, path) ? 1 : 0;
}

void Lumenor3D::ReleaseModel(MeshObject& model) {
    model.buffers[0] = model.buffers[1] = 0;
    model.texture = 0;
}

void Lumenor3D::RenderModel(MeshObject&, const MeshFrame&, const AnimationPick&) {}

void Lumenor3D::DebugLine(const double[3], const double[3], uint32_t, double) {}

void Lumenor3D::ResetTransform() {
    level_ = 0;
    levels_[0] = TransformLevel{};
}

void Lumenor3D::SetMovement(double x, double y, double z) {
    TransformLevel& l = levels_[size_t(level_)];
    l.translation[0] = float(x);
    l.translation[1] = float(y);
    l.translation[2] = float(z);
    l.rotationCount = 0;
}

void Lumenor3D::SetScaling(double x, double y, double z) {
    TransformLevel& l = levels_[size_t(level_)];
    l.scale[0] = float(x);
    l.scale[1] = float(y);
    l.scale[2] = float(z);
    l.rotationCount = 0;
}

void Lumenor3D::AddRotation(double angle, double x, double y, double z) {
    TransformLevel& l = levels_[size_t(level_)];
    if (l.rotationCount >= kMaxRotations) return;
    float* r = l.rotations[l.rotationCount++];
    r[0] = float(angle);
    r[1] = float(x);
    r[2] = float(y);
    r[3] = float(z);
}

bool Lumenor3D::PushTransform() {
    if (level_ + 1 >= kTransformLevels) return false;
    ++level_;
    levels_[size_t(level_)] = TransformLevel{};
    return true;
}

void Lumenor3D::PopTransform() {
    if (level_ > 0) --level_;
}

Matrix4 Lumenor3D::ModelMatrix() const {
    Matrix4 m = Matrix4::Identity();
    for (int k = 0; k <= level_; ++k) {
        const TransformLevel& l = levels_[size_t(k)];
        m = m * Matrix4::Translation(l.translation[0], l.translation[1], l.translation[2]);
        for (int r = l.rotationCount - 1; r >= 0; --r) {
            const float* q = l.rotations[r];
            m = m * Matrix4::Rotation(q[0], q[1], q[2], q[3]);
        }
        m = m * Matrix4::Scaling(l.scale[0], l.scale[1], l.scale[2]);
    }
    return m;
}

void Lumenor3D::SetViewportRect(int x, int y, int w, int h, int displayHeight) {
    viewport_ = Viewport{x, y, w, h, displayHeight};
}

void Lumenor3D::Make3D(double nearPlane, double farPlane, double fov) {
    near_ = nearPlane;
    far_ = farPlane;
    fov_ = fov;
    const double aspect = viewport_.h > 0 ? double(viewport_.w) / viewport_.h : 1.0;
    Matrix4 p{};
    orthographic_ = !(fov > 0);
    const double depth = nearPlane - farPlane;
    if (!orthographic_) {
        const double f = 1.0 / std::tan(fov * 0.5 * kRadiansPerDegree);
        p.m[0] = f / aspect;
        p.m[5] = f;
        p.m[10] = depth != 0 ? (farPlane + nearPlane) / depth : -1;
        p.m[11] = -1;
        p.m[14] = depth != 0 ? 2 * farPlane * nearPlane / depth : 0;
    } else {
        const double half = std::min(-fov / 2, kWidestOrthoHalfAngle);
        double hh = std::tan(half * kRadiansPerDegree) * nearPlane * 100;
        if (!(std::fabs(hh) > 0)) hh = 1;
        const double hw = hh * aspect;
        p.m[0] = 1 / hw;
        p.m[5] = 1 / hh;
        p.m[10] = depth != 0 ? 2 / depth : -1;
        p.m[14] = depth != 0 ? (farPlane + nearPlane) / depth : 0;
        p.m[15] = 1;
    }
    projection_ = p;
    const double coneAngle = fov + 5 > 89 ? kWidestConeAngle : (fov + 5) * kRadiansPerDegree;
    tangent_ = std::tan(coneAngle);
    level_ = 0;
    cullMode_ = 0;
}

void Lumenor3D::SetCamera(double ex, double ey, double ez, double tx, double ty, double tz) {
    eye_[0] = ex;
    eye_[1] = ey;
    eye_[2] = ez;
    target_[0] = tx;
    target_[1] = ty;
    target_[2] = tz;
    // Look-at with y up.
    double f[3] = {tx - ex, ty - ey, tz - ez};
    const double fl = Length3(f);
    if (fl > 0) {
        for (double& c : f) c /= fl;
    }
    double s[3] = {f[1] * 0 - f[2] * 1, f[2] * 0 - f[0] * 0, f[0] * 1 - f[1] * 0};
    const double sl = Length3(s);
    if (sl > 0) {
        for (double& c : s) c /= sl;
    }
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    Matrix4 v = Matrix4::Identity();
    v.m[0] = s[0];
    v.m[4] = s[1];
    v.m[8] = s[2];
    v.m[1] = u[0];
    v.m[5] = u[1];
    v.m[9] = u[2];
    v.m[2] = -f[0];
    v.m[6] = -f[1];
    v.m[10] = -f[2];
    view_ = v * Matrix4::Translation(-ex, -ey, -ez);
    cullMode_ = 0;
    ResetTransform();
}

void Lumenor3D::SetCullMode(int mode) { cullMode_ = mode > 0 ? 1 : mode < 0 ? -1 : 0; }

void Lumenor3D::SetLight(int n, uint32_t colour, double x, double y, double z, double, double, double,
                         double cutoff) {
    if (n >= 0) return;
    effect_.enabled = cutoff != 0;
    effect_.mode = n == -1 ? 1 : 2;
    effect_.position[0] = float(x);
    effect_.position[1] = float(y);
    effect_.position[2] = float(z);
    effect_.colour[0] = float(colour & 0xFF) / 255.0f;
    effect_.colour[1] = float((colour >> 8) & 0xFF) / 255.0f;
    effect_.colour[2] = float((colour >> 16) & 0xFF) / 255.0f;
}

bool Lumenor3D::WorldToScreen(double x, double y, double z, double& sx, double& sy) const {
    const Matrix4 pv = projection_ * view_;
    const double p[4] = {x, y, z, 1};
    double clip[4];
    for (int row = 0; row < 4; ++row) {
        clip[row] = pv.m[row] * p[0] + pv.m[4 + row] * p[1] + pv.m[8 + row] * p[2] + pv.m[12 + row] * p[3];
    }
    if (!(clip[3] > 0)) return false;
    const double nx = clip[0] / clip[3], ny = clip[1] / clip[3];
    const double glY = viewport_.displayHeight - viewport_.y - viewport_.h;
    sx = viewport_.x + (nx + 1) * 0.5 * viewport_.w;
    sy = viewport_.displayHeight - (glY + (ny + 1) * 0.5 * viewport_.h);
    return true;
}

bool Lumenor3D::ScreenToWorld(double sx, double sy, double depth, double& x, double& y, double& z) const {
    Matrix4 inv;
    if (!(projection_ * view_).Inverse(inv)) return false;
    if (viewport_.w <= 0 || viewport_.h <= 0) return false;
    const double glY = viewport_.displayHeight - viewport_.y - viewport_.h;
    const double winY = viewport_.displayHeight - sy;
    const double ndc[4] = {(sx - viewport_.x) / viewport_.w * 2 - 1, (winY - glY) / viewport_.h * 2 - 1,
                           depth * 2 - 1, 1};
    double r[4];
    for (int row = 0; row < 4; ++row) {
        r[row] = inv.m[row] * ndc[0] + inv.m[4 + row] * ndc[1] + inv.m[8 + row] * ndc[2] + inv.m[12 + row] * ndc[3];
    }
    if (r[3] == 0 || !std::isfinite(r[3])) return false;
    x = r[0] / r[3];
    y = r[1] / r[3];
    z = r[2] / r[3];
    return true;
}

bool Lumenor3D::SphereVisible(const double centre[3], double radius) const {
    // An orthographic view shows everything between its planes; its cone would be
    // meaningless.
    if (orthographic_) return true;
    double d[3] = {target_[0] - eye_[0], target_[1] - eye_[1], target_[2] - eye_[2]};
    const double dl = Length3(d);
    if (!(dl > 0)) return true;
    for (double& c : d) c /= dl;
    const double v[3] = {centre[0] - eye_[0], centre[1] - eye_[1], centre[2] - eye_[2]};
    const double along = v[0] * d[0] + v[1] * d[1] + v[2] * d[2];
    if (along < -radius) return false;
    const double p[3] = {v[0] - along * d[0], v[1] - along * d[1], v[2] - along * d[2]};
    const double perp = Length3(p);
    const double tanCone = tangent_ * 1.05;
    const double cosCone = 1.0 / std::sqrt(1.0 + tanCone * tanCone);
    const double sinCone = tanCone * cosCone;
    // Distance from the centre to the cone's surface, outward positive.
    return !(perp * cosCone - along * sinCone > radius);
}

void Lumenor3D::DrawObject(int slot, double frame) {
    lastDraw_ = DrawRecord{};
    const int count = FrameCount(slot);
    if (!(frame < count)) return;
    DrawAnimation(slot, frame, 0, 0, false);
}

void Lumenor3D::DrawAnimation(int slot, double from, double to, double factor, bool loop) {
    lastDraw_ = DrawRecord{};
    MeshObject* model = Model(slot);
    if (!model || model->frames.empty() || model->frames[0].packed.empty()) return;
    const int count = int(model->frames.size());
    const AnimationPick pick = ChooseAnimationFrames(from, to, factor, loop, count);
    if (model->frames[0].triangles.empty()) {
        model->build();
        ComputeModelBounds(*model);
        ModelChanged(slot);
    }
    const MeshFrame& first = model->frames[size_t(pick.first)];
    const MeshFrame& second = model->frames[size_t(pick.second)];
    // Visibility of the first frame's sphere, placed by the whole transform.
    const Matrix4 m = ModelMatrix();
    const double c[3] = {first.centre[0], first.centre[1], first.centre[2]};
    double wc[3];
    m.TransformPoint(c, wc);
    double maxScale = 0;
    for (int col = 0; col < 3; ++col) {
        const double axis[3] = {m.m[col * 4], m.m[col * 4 + 1], m.m[col * 4 + 2]};
        maxScale = std::max(maxScale, Length3(axis));
    }
    if (!SphereVisible(wc, first.radius * maxScale)) return;

    const bool unchanged = pick.weight == 0 || pick.weight == 1 || pick.first == pick.second;
    const PoseKey pose{first.triangles.data(), unchanged ? nullptr : second.triangles.data(), first.triangles.size(),
                       unchanged ? 0.0f : pick.weight};
    if (!(poses_[size_t(slot)] == pose) || model->drawList.size() != first.triangles.size()) {
        if (unchanged) model->drawList = first.triangles;
        else BlendFrames(first.triangles, second.triangles, pick.weight, model->drawList);
        poses_[size_t(slot)] = pose;
    }
    lastDraw_.drawn = true;
    lastDraw_.slot = slot;
    lastDraw_.pick = pick;
    RenderModel(*model, first, pick);
}

const CollisionTree* Lumenor3D::CollisionTriangles(int slot, int frame) {
    MeshObject* model = Model(slot);
    if (!model || frame < 0 || frame >= int(model->frames.size())) return nullptr;
    const MeshFrame& f = model->frames[size_t(frame)];
    if (f.triangles.size() < 3) return nullptr;
    auto& caches = caches_[size_t(slot)];
    if (caches.size() < model->frames.size()) caches.resize(model->frames.size());
    FrameCache& cache = caches[size_t(frame)];
    if (cache.source != f.triangles.data() || cache.count != f.triangles.size()) {
        const size_t n = f.triangles.size() / 3;
        std::vector<CollisionTriangle> triangles(n);
        for (size_t k = 0; k < n; ++k) {
            MakeCollisionTriangle(f.triangles[3 * k].position, f.triangles[3 * k + 1].position,
                                  f.triangles[3 * k + 2].position, triangles[k]);
        }
        cache.tree.Build(std::move(triangles));
        cache.source = f.triangles.data();
        cache.count = f.triangles.size();
    }
    return &cache.tree;
}

int Lumenor3D::CollisionBox(int slot, int frame, double x, double y, double z, double width, double height) {
    lastBoxTested_ = 0;
    const auto* tris = CollisionTriangles(slot, frame);
    if (!tris) return 0;
    const MeshFrame& f = Model(slot)->frames[size_t(frame)];
    const Matrix4 m = ModelMatrix();
    Matrix4 inv;
    if (!m.InverseAffine(inv)) return 0;

    const double hw = std::fabs(width) / 2, hh = std::fabs(height) / 2;
    const double cw[3] = {x, y, z};
    const double axes[3][3] = {{hw, 0, 0}, {0, 0, hw}, {0, hh, 0}};
    double cm[3], am[3][3];
    inv.TransformPoint(cw, cm);
    for (int k = 0; k < 3; ++k) inv.TransformVector(axes[k], am[k]);

    // Early out on spheres: the box's farthest corner against the frame's sphere.
    double boxRadius2 = 0;
    for (int sb = -1; sb <= 1; sb += 2) {
        for (int sc = -1; sc <= 1; sc += 2) {
            double d2 = 0;
            for (int k = 0; k < 3; ++k) {
                const double v = am[0][k] + sb * am[1][k] + sc * am[2][k];
                d2 += v * v;
            }
            boxRadius2 = std::max(boxRadius2, d2);
        }
    }
    const double reach = std::sqrt(boxRadius2) + f.radius;
    double dist2 = 0;
    for (int k = 0; k < 3; ++k) {
        const double d = cm[k] - f.centre[k];
        dist2 += d * d;
    }
    bool hit = false;
    if (!(dist2 > reach * reach * (1 + 1e-6) + 1e-9)) {
        // The box's bounds in model space pick the few triangles for the exact test.
        float lo[3], hi[3];
        for (int k = 0; k < 3; ++k) {
            const double ext = std::fabs(am[0][k]) + std::fabs(am[1][k]) + std::fabs(am[2][k]);
            const double slack = 1e-5 * (ext + std::fabs(cm[k])) + 1e-6;
            lo[k] = float(cm[k] - ext - slack);
            hi[k] = float(cm[k] + ext + slack);
        }
        // Model space to world space around the box centre, where the box is axis-aligned.
        const Matrix4 g = Matrix4::Translation(-x, -y, -z) * m;
        // The three columns of the rotation part, then the translation.
        float gm[12];
        for (int col = 0; col < 4; ++col) {
            for (int row = 0; row < 3; ++row) gm[col * 3 + row] = float(g.m[col * 4 + row]);
        }
        const float half[3] = {float(hw), float(hh), float(hw)};
        auto place = [&gm](const float p[3], float out[3]) {
            for (int r = 0; r < 3; ++r) out[r] = gm[r] * p[0] + gm[3 + r] * p[1] + gm[6 + r] * p[2] + gm[9 + r];
        };
        hit = tris->AnyInBox(lo, hi, [&](const CollisionTriangle& t) {
            ++lastBoxTested_;
            const float b[3] = {t.v0[0] + t.e1[0], t.v0[1] + t.e1[1], t.v0[2] + t.e1[2]};
            const float c[3] = {t.v0[0] + t.e2[0], t.v0[1] + t.e2[1], t.v0[2] + t.e2[2]};
            float pa[3], pb[3], pc[3];
            place(t.v0, pa);
            place(b, pb);
            place(c, pc);
            return TriangleOverlapsBox(pa, pb, pc, half);
        });
    }
    if (debugDrawing_) {
        double corners[8][3];
        for (int k = 0; k < 8; ++k) {
            const double sx = (k & 1) ? 1 : -1, sy = (k & 2) ? 1 : -1, sz = (k & 4) ? 1 : -1;
            corners[k][0] = x + sx * hw;
            corners[k][1] = y + sy * hh;
            corners[k][2] = z + sz * hw;
        }
        for (int a = 0; a < 8; ++a) {
            for (int bit = 1; bit < 8; bit <<= 1) {
                if (!(a & bit)) DebugLine(corners[a], corners[a | bit], hit ? 0x00FF00 : 0x0000FF, hit ? 5 : 1);
            }
        }
    }
    return hit ? 1 : 0;
}

double Lumenor3D::CollisionRay(int slot, int frame, double x, double y, double z, double dx, double dy,
                               double dz) {
    const auto* tris = CollisionTriangles(slot, frame);
    double result = 0;
    if (tris) {
        Matrix4 inv;
        if (ModelMatrix().InverseAffine(inv)) {
            const double s[3] = {x, y, z}, r[3] = {dx, dy, dz};
            double sm[3], rm[3];
            inv.TransformPoint(s, sm);
            inv.TransformVector(r, rm);
            const float sf[3] = {float(sm[0]), float(sm[1]), float(sm[2])};
            const float rf[3] = {float(rm[0]), float(rm[1]), float(rm[2])};
            const float rl = std::sqrt(rf[0] * rf[0] + rf[1] * rf[1] + rf[2] * rf[2]);
            float ahead = std::numeric_limits<float>::infinity();
            float behind = -std::numeric_limits<float>::infinity();
            if (rl > 0) {
                tris->OnLine(sf, rf, ahead, [&](const CollisionTriangle& t) {
                    float hitT;
                    if (!RayHitsTriangle(t, sf, rf, rl, hitT)) return;
                    if (hitT > 0) ahead = std::min(ahead, hitT);
                    else if (hitT < 0) behind = std::max(behind, hitT);
                });
            }
            if (ahead < std::numeric_limits<float>::infinity()) result = ahead;
            else if (behind > -std::numeric_limits<float>::infinity()) result = behind;
        }
    }
    if (debugDrawing_) {
        const double length = result > 0 ? result : 100.0;
        const double a[3] = {x, y, z}, b[3] = {x + dx * length, y + dy * length, z + dz * length};
        DebugLine(a, b, result > 0 ? 0x00FF00 : 0x0000FF, 1);
    }
    return result;
}
