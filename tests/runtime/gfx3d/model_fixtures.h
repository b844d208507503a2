// Shared helpers of the 3D engine tests: models made in memory and scratch files.
#pragma once

#include <array>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/frame/program.h"
#include "runtime/gfx3d/lumenor3d.h"
#include "runtime/gfx3d/model.h"

using Point3 = std::array<float, 3>;

// A path in the scratch directory ($TMPDIR), unique per name.
inline std::string ScratchPath(const std::string& name) {
    const char* t = std::getenv("TMPDIR");
    std::string dir = t && *t ? t : "/tmp";
    if (dir.back() != '/') dir += '/';
    return dir + "gfx3d_test_" + name;
}

inline void WriteBytes(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

inline std::string ReadBytes(const std::string& path) {
    std::stringstream s;
    s << std::ifstream(path, std::ios::binary).rdbuf();
    return s.str();
}

// A model whose frames hold exactly the given triangles (3 points each), bypassing
// quantisation, with bounds computed. Frame 0 gets one packed vertex per corner so the
// engine treats it as loaded.
inline void PutTriangles(MeshObject& model, const std::vector<std::vector<Point3>>& frames) {
    model.Clear();
    model.palette = {kPaletteWhite};
    for (const auto& points : frames) {
        MeshFrame frame;
        frame.packed.resize(points.size());
        for (const auto& p : points) {
            MeshVertex m;
            for (int a = 0; a < 3; ++a) m.position[a] = p[size_t(a)];
            m.normal[1] = m.red = m.green = m.blue = 1;
            m.colour = kPaletteWhite;
            frame.triangles.push_back(m);
        }
        model.frames.push_back(frame);
    }
    model.texU.assign(model.frames.empty() ? 0 : model.frames[0].packed.size(), 0.0f);
    model.texV = model.texU;
    model.drawList = model.frames.empty() ? std::vector<MeshVertex>{} : model.frames[0].triangles;
    ComputeModelBounds(model);
}

// A square of side 2·half in the plane y = height, as two triangles.
inline std::vector<Point3> Square(float half, float height = 0) {
    return {{-half, height, -half}, {half, height, -half}, {half, height, half},
            {-half, height, -half}, {half, height, half}, {-half, height, half}};
}

// The error log's content.
inline std::string ErrorLogText() { return ReadBytes(ErrorLogPath()); }
