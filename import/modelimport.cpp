// Model import: Assimp reads the scene; the frames are posed and sampled here, since
// Assimp leaves skinning and morph blending to its caller.
#include "import/import.h"

#include <algorithm>      // Required for: std::min, std::max, std::sort, std::upper_bound
#include <cctype>         // Required for: std::tolower, std::isalpha
#include <cmath>          // Required for: std::floor, std::isfinite, std::round
#include <cstring>        // Required for: std::memcpy
#include <cstdio>         // Required for: std::snprintf
#include <filesystem>     // Required for: file sizes
#include <fstream>        // Required for: std::ifstream (a PLY header)
#include <string_view>
#include <map>            // Required for: std::map (colour reduction)
#include <sstream>        // Required for: std::istringstream (Collada arrays)
#include <unordered_map>  // Required for: node lookup by name

#include <nlohmann/json.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "runtime/files/files.h"   // Required for: WriteFileAtomically, kMaxModelFileBytes
#include "runtime/gfx3d/model.h"   // Required for: MeshObject, ModelBinaryBytes, limits

namespace {

// Beyond these a file is refused before its frames are built: the limits of what the
// model reader takes back.
constexpr size_t kMaxFrames = kMaxModelFrames;
constexpr size_t kMaxVertices = kMaxModelVertices;
constexpr size_t kMaxPaletteColours = 256;

struct Instance {
    const aiMesh* mesh;
    size_t node;        // index into the flattened node list
    uint32_t colour;    // palette word of its faces
    bool textured;
};

struct Scene {
    const aiScene* scene = nullptr;
    std::vector<const aiNode*> nodes;     // parents before children
    std::vector<int> parent;
    std::unordered_map<std::string, size_t> byName;
    std::vector<Instance> instances;
    size_t trianglesPerFrame = 0;
};

// One pose: every node's transform relative to the scene root.
using Pose = std::vector<aiMatrix4x4>;

void Flatten(Scene& s, const aiNode* node, int parent, int depth) {
    // Files can nest nodes without end; no real scene is this deep.
    if (!node || depth > 256) return;
    const size_t index = s.nodes.size();
    s.nodes.push_back(node);
    s.parent.push_back(parent);
    s.byName.emplace(node->mName.C_Str(), index);
    for (unsigned c = 0; c < node->mNumChildren; ++c) Flatten(s, node->mChildren[c], int(index), depth + 1);
}

template <class Key>
size_t KeyAfter(const Key* keys, unsigned n, double t) {
    const Key* end = keys + n;
    return size_t(std::upper_bound(keys, end, t, [](double v, const Key& k) { return v < k.mTime; }) - keys);
}

// The interpolation between the keys around t; outside them the nearest key holds.
template <class Key, class Mix>
auto Sample(const Key* keys, unsigned n, double t, Mix mix) -> decltype(keys[0].mValue) {
    const size_t i = KeyAfter(keys, n, t);
    if (i == 0) return keys[0].mValue;
    if (i >= n) return keys[n - 1].mValue;
    const Key& a = keys[i - 1];
    const Key& b = keys[i];
    const double span = b.mTime - a.mTime;
    const float f = span > 0 ? float((t - a.mTime) / span) : 0.0f;
    return mix(a.mValue, b.mValue, f);
}

aiMatrix4x4 ChannelTransform(const aiNodeAnim& ch, const aiMatrix4x4& rest, double t) {
    aiVector3D scaling, position;
    aiQuaternion rotation;
    rest.Decompose(scaling, rotation, position);
    auto lerp = [](const aiVector3D& a, const aiVector3D& b, float f) { return a + (b - a) * f; };
    if (ch.mNumPositionKeys && ch.mPositionKeys) position = Sample(ch.mPositionKeys, ch.mNumPositionKeys, t, lerp);
    if (ch.mNumScalingKeys && ch.mScalingKeys) scaling = Sample(ch.mScalingKeys, ch.mNumScalingKeys, t, lerp);
    if (ch.mNumRotationKeys && ch.mRotationKeys) {
        rotation = Sample(ch.mRotationKeys, ch.mNumRotationKeys, t,
                          [](const aiQuaternion& a, const aiQuaternion& b, float f) {
                              aiQuaternion q;
                              aiQuaternion::Interpolate(q, a, b, f);
                              return q;
                          });
        rotation.Normalize();
    }
    return aiMatrix4x4(scaling, rotation, position);
}

Pose PoseAt(const Scene& s, const aiAnimation* anim, double ticks) {
    std::vector<const aiNodeAnim*> channel(s.nodes.size(), nullptr);
    if (anim) {
        for (unsigned c = 0; c < anim->mNumChannels; ++c) {
            const aiNodeAnim* ch = anim->mChannels[c];
            if (!ch) continue;
            const auto it = s.byName.find(ch->mNodeName.C_Str());
            if (it != s.byName.end()) channel[it->second] = ch;
        }
    }
    Pose pose(s.nodes.size());
    for (size_t i = 0; i < s.nodes.size(); ++i) {
        const aiMatrix4x4& rest = s.nodes[i]->mTransformation;
        const aiMatrix4x4 local = channel[i] ? ChannelTransform(*channel[i], rest, ticks) : rest;
        pose[i] = s.parent[i] < 0 ? local : pose[size_t(s.parent[i])] * local;
    }
    return pose;
}

// The morph weights of every anim mesh of a mesh at time t, or empty for none.
std::vector<double> MorphWeights(const Scene& s, const aiAnimation* anim, const Instance& in, double ticks) {
    const aiMesh* mesh = in.mesh;
    std::vector<double> w;
    if (!anim || mesh->mNumAnimMeshes == 0) return w;
    const std::string node = s.nodes[in.node]->mName.C_Str();
    for (unsigned c = 0; c < anim->mNumMorphMeshChannels; ++c) {
        const aiMeshMorphAnim* ch = anim->mMorphMeshChannels[c];
        if (!ch || ch->mNumKeys == 0 || !ch->mKeys) continue;
        std::string name = ch->mName.C_Str();
        name = name.substr(0, name.find('*'));
        if (name != node) continue;
        w.assign(mesh->mNumAnimMeshes, 0.0);
        const size_t i = KeyAfter(ch->mKeys, ch->mNumKeys, ticks);
        auto add = [&](const aiMeshMorphKey& k, double f) {
            if (!k.mValues || !k.mWeights) return;
            for (unsigned v = 0; v < k.mNumValuesAndWeights; ++v) {
                if (k.mValues[v] < w.size() && std::isfinite(k.mWeights[v])) w[k.mValues[v]] += f * k.mWeights[v];
            }
        };
        if (i == 0) add(ch->mKeys[0], 1);
        else if (i >= ch->mNumKeys) add(ch->mKeys[ch->mNumKeys - 1], 1);
        else {
            const aiMeshMorphKey& a = ch->mKeys[i - 1];
            const aiMeshMorphKey& b = ch->mKeys[i];
            const double span = b.mTime - a.mTime;
            const double f = span > 0 ? (ticks - a.mTime) / span : 0;
            add(a, 1 - f);
            add(b, f);
        }
        break;
    }
    return w;
}

struct Vertex {
    aiVector3D p, n;
};

// The mesh's vertices in root space at one pose: morphed, then skinned or carried by
// their node.
std::vector<Vertex> PoseMesh(const Scene& s, const Pose& pose, const Instance& in, const std::vector<double>& morph) {
    const aiMesh* mesh = in.mesh;
    const unsigned nv = mesh->mNumVertices;
    std::vector<Vertex> base(nv);
    for (unsigned v = 0; v < nv; ++v) {
        base[v].p = mesh->mVertices[v];
        base[v].n = mesh->mNormals ? mesh->mNormals[v] : aiVector3D(0, 1, 0);
    }
    for (size_t k = 0; k < morph.size(); ++k) {
        const aiAnimMesh* am = mesh->mAnimMeshes[k];
        if (morph[k] == 0 || !am || am->mNumVertices != nv) continue;
        const float w = float(morph[k]);
        for (unsigned v = 0; v < nv; ++v) {
            if (am->mVertices) base[v].p += (am->mVertices[v] - mesh->mVertices[v]) * w;
            if (am->mNormals && mesh->mNormals) base[v].n += (am->mNormals[v] - mesh->mNormals[v]) * w;
        }
    }
    const aiMatrix4x4& own = pose[in.node];
    std::vector<Vertex> out(nv);
    if (mesh->mNumBones == 0) {
        const aiMatrix3x3 turn(own);
        for (unsigned v = 0; v < nv; ++v) out[v] = {own * base[v].p, turn * base[v].n};
        return out;
    }
    std::vector<float> weight(nv, 0.0f);
    std::vector<aiVector3D> p(nv), n(nv);
    for (unsigned b = 0; b < mesh->mNumBones; ++b) {
        const aiBone* bone = mesh->mBones[b];
        if (!bone || !bone->mWeights) continue;
        const auto it = s.byName.find(bone->mName.C_Str());
        if (it == s.byName.end()) continue;
        const aiMatrix4x4 m = pose[it->second] * bone->mOffsetMatrix;
        const aiMatrix3x3 turn(m);
        for (unsigned k = 0; k < bone->mNumWeights; ++k) {
            const aiVertexWeight& vw = bone->mWeights[k];
            if (vw.mVertexId >= nv || !(vw.mWeight > 0)) continue;
            p[vw.mVertexId] += (m * base[vw.mVertexId].p) * vw.mWeight;
            n[vw.mVertexId] += (turn * base[vw.mVertexId].n) * vw.mWeight;
            weight[vw.mVertexId] += vw.mWeight;
        }
    }
    const aiMatrix3x3 turn(own);
    for (unsigned v = 0; v < nv; ++v) {
        // A vertex no bone holds stays with its mesh's node.
        if (weight[v] > 1e-6f) out[v] = {p[v] / weight[v], n[v]};
        else out[v] = {own * base[v].p, turn * base[v].n};
    }
    return out;
}

uint32_t PackColour(const aiColor4D& c) {
    auto byte = [](float f) { return uint32_t(std::clamp(std::isfinite(f) ? f : 1.0f, 0.0f, 1.0f) * 255.0f + 0.5f); };
    return byte(c.r) | byte(c.g) << 8 | byte(c.b) << 16;
}

// Words of at most 256 colours: the colours' bits are cut, coarser and coarser, until
// few enough groups are left; each group becomes its mean colour.
std::map<uint32_t, uint32_t> ReduceColours(const std::vector<uint32_t>& colours) {
    std::map<uint32_t, uint32_t> to;
    for (int drop = 1; drop <= 8; ++drop) {
        const uint32_t mask = (0xFFu << drop) & 0xFFu;
        const uint32_t full = mask | mask << 8 | mask << 16;
        std::map<uint32_t, std::vector<uint32_t>> groups;
        for (uint32_t c : colours) groups[c & full].push_back(c);
        if (groups.size() > kMaxPaletteColours && drop < 8) continue;
        for (const auto& [key, members] : groups) {
            uint64_t sum[3] = {0, 0, 0};
            for (uint32_t c : members) {
                for (int k = 0; k < 3; ++k) sum[k] += (c >> (8 * k)) & 0xFF;
            }
            uint32_t mean = 0;
            for (int k = 0; k < 3; ++k) mean |= uint32_t((sum[k] + members.size() / 2) / members.size()) << (8 * k);
            for (uint32_t c : members) to[c] = mean;
        }
        break;
    }
    return to;
}

std::string Lower(std::string s) {
    for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The slot a clip's name asks for: the first of its words that starts like a slot's
// name ("Idle", "walk_cycle", "Armature|Running", "Dying").
int SlotForName(const std::string& name) {
    static const std::pair<const char*, int> kWords[] = {{"idle", 0}, {"stand", 0}, {"walk", 1}, {"run", 1},
                                                         {"jump", 2}, {"swim", 3},  {"fall", 4}, {"die", 5},
                                                         {"dying", 5}, {"dead", 5}, {"death", 5}};
    std::string word;
    const std::string lower = Lower(name) + " ";
    for (size_t i = 0; i < lower.size(); ++i) {
        // Words end at anything but a letter, and where a capital follows a small letter.
        const bool letter = std::isalpha(static_cast<unsigned char>(lower[i]));
        const bool camel = letter && i > 0 && std::isupper(static_cast<unsigned char>(name[i])) &&
                           std::islower(static_cast<unsigned char>(name[i - 1]));
        if ((!letter || camel) && !word.empty()) {
            for (const auto& [key, slot] : kWords) {
                if (word.rfind(key, 0) == 0) return slot;
            }
            word.clear();
        }
        if (letter) word += lower[i];
    }
    return -1;
}

std::string AnimationFileText(const std::vector<ImportedAnimation>& anims) {
    int first[6] = {0, 0, 0, 0, 0, 0}, last[6] = {0, 0, 0, 0, 0, 0};
    for (const auto& a : anims) {
        if (a.slot < 0) continue;
        first[a.slot] = a.first;
        last[a.slot] = a.last;
    }
    std::string text = "6\r\n";
    for (int k = 0; k < 6; ++k) {
        char line[32];
        std::snprintf(line, sizeof line, "%7d  %7d\r\n", first[k], last[k]);
        text += line;
    }
    return text;
}

// The text form: one face per triangle, every corner its own vertex and texture pair.
std::string TextForm(const MeshObject& model) {
    std::string out = "KMOA 1\n";
    char buf[128];
    const auto& verts = model.frames[0].vertices;
    out += std::to_string(verts.size()) + "\n";
    for (const auto& v : verts) {
        std::snprintf(buf, sizeof buf, "%.9g %.9g\n", v.u, v.v);
        out += buf;
    }
    out += std::to_string(verts.size() / 3) + "\n";
    for (size_t i = 0; i + 2 < verts.size(); i += 3) {
        const uint32_t c = verts[i].colour;
        std::snprintf(buf, sizeof buf, "%u %u %u 3 %zu %zu %zu %zu %zu %zu\n", c & 0xFF, (c >> 8) & 0xFF,
                      (c >> 16) & 0xFF, i, i, i + 1, i + 1, i + 2, i + 2);
        out += buf;
    }
    out += std::to_string(model.frames.size()) + "\n";
    for (const auto& f : model.frames) {
        out += std::to_string(f.vertices.size()) + "\n";
        for (const auto& v : f.vertices) {
            std::snprintf(buf, sizeof buf, "%.9g %.9g %.9g\n", v.position[0], v.position[1], v.position[2]);
            out += buf;
        }
    }
    return out;
}

// Rounds every packed position to the nearest step (the packer truncates, which can
// miss by a whole step) and returns the largest distance to the full-precision vertex.
double RoundAndMeasure(MeshObject& model, bool round) {
    double worst = 0;
    for (auto& f : model.frames) {
        for (size_t i = 0; i < f.packed.size() && i < f.vertices.size(); ++i) {
            PackedVertex& p = f.packed[i];
            uint8_t* q[3] = {&p.qx, &p.qy, &p.qz};
            double d2 = 0;
            for (int a = 0; a < 3; ++a) {
                if (round) {
                    const double t = double(f.vertices[i].position[a]) / f.scale[a] + f.offset[a];
                    *q[a] = uint8_t(std::clamp(std::round(t), 0.0, 255.0));
                }
                const double back = (double(*q[a]) - f.offset[a]) * f.scale[a];
                const double d = back - f.vertices[i].position[a];
                d2 += d * d;
            }
            worst = std::max(worst, std::sqrt(d2));
        }
    }
    return worst;
}

ModelImport Fail(const std::string& name, const std::string& why) {
    ModelImport r;
    r.error = name + ": " + why;
    return r;
}

// Flattens the scene and checks that it can be made into a model at all.
std::string Prepare(Scene& s, const aiScene* scene, ModelImport& r) {
    s.scene = scene;
    if (!scene || !scene->mRootNode) return "no scene in the file";
    Flatten(s, scene->mRootNode, -1, 0);
    std::vector<uint32_t> colours;
    std::vector<std::string>& textures = r.textures;
    for (size_t i = 0; i < s.nodes.size(); ++i) {
        const aiNode* node = s.nodes[i];
        for (unsigned k = 0; k < node->mNumMeshes; ++k) {
            if (!node->mMeshes || node->mMeshes[k] >= scene->mNumMeshes) continue;
            const aiMesh* mesh = scene->mMeshes[node->mMeshes[k]];
            if (!mesh || !mesh->mVertices || !(mesh->mPrimitiveTypes & aiPrimitiveType_TRIANGLE)) continue;
            Instance in{mesh, i, kPaletteWhite, false};
            const aiMaterial* mat = mesh->mMaterialIndex < scene->mNumMaterials ? scene->mMaterials[mesh->mMaterialIndex]
                                                                                 : nullptr;
            aiString tex;
            if (mat && (mat->GetTexture(aiTextureType_DIFFUSE, 0, &tex) == AI_SUCCESS ||
                        mat->GetTexture(aiTextureType_BASE_COLOR, 0, &tex) == AI_SUCCESS) &&
                tex.length > 0 && mesh->HasTextureCoords(0)) {
                in.textured = true;
                const std::string name = tex.C_Str();
                if (std::find(textures.begin(), textures.end(), name) == textures.end()) textures.push_back(name);
            } else if (mat) {
                aiColor4D c(1, 1, 1, 1);
                if (mat->Get(AI_MATKEY_COLOR_DIFFUSE, c) != AI_SUCCESS) mat->Get(AI_MATKEY_BASE_COLOR, c);
                in.colour = PackColour(c);
            }
            colours.push_back(in.colour);
            size_t triangles = 0;
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) triangles += mesh->mFaces[f].mNumIndices == 3;
            s.trianglesPerFrame += triangles;
            s.instances.push_back(in);
        }
    }
    if (s.trianglesPerFrame == 0) return "no triangles in the file";
    std::sort(colours.begin(), colours.end());
    colours.erase(std::unique(colours.begin(), colours.end()), colours.end());
    if (colours.size() > kMaxPaletteColours) {
        const auto to = ReduceColours(colours);
        for (auto& in : s.instances) in.colour = to.at(in.colour);
        r.warnings.push_back(std::to_string(colours.size()) + " material colours reduced to at most 256");
    }
    if (textures.size() > 1)
        r.warnings.push_back("the model uses " + std::to_string(textures.size()) +
                             " textures; an object shows one of them");
    for (const std::string& t : textures) {
        if (const aiTexture* e = scene->GetEmbeddedTexture(t.c_str()); e && e->pcData) {
            if (e->mHeight == 0) r.embedded.emplace_back(t, std::string(reinterpret_cast<const char*>(e->pcData), e->mWidth));
            else r.warnings.push_back("embedded texture " + t + " is not a picture file; it is left out");
        }
    }
    return "";
}

// The file's vertices at one pose into one frame's full-precision triangle list.
void AddFrame(const Scene& s, const aiAnimation* anim, double ticks, const ModelImportOptions& o, MeshObject& model) {
    const Pose pose = PoseAt(s, anim, ticks);
    MeshFrame& frame = model.frames.emplace_back();
    frame.vertices.reserve(s.trianglesPerFrame * 3 + 1);
    const float scale = float(o.scale);
    auto place = [&](const aiVector3D& v) {
        return o.zUp ? aiVector3D(v.x, v.z, -v.y) : v;
    };
    for (const Instance& in : s.instances) {
        const std::vector<Vertex> posed = PoseMesh(s, pose, in, MorphWeights(s, anim, in, ticks));
        const aiMesh* mesh = in.mesh;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3 || !face.mIndices) continue;
            // Front faces run counter-clockwise in the file and clockwise in the engine.
            for (unsigned corner : {0u, 2u, 1u}) {
                const unsigned idx = face.mIndices[corner];
                MeshVertex m;
                if (idx < posed.size()) {
                    const aiVector3D p = place(posed[idx].p) * scale;
                    aiVector3D n = place(posed[idx].n);
                    n.Normalize();
                    for (int a = 0; a < 3; ++a) {
                        m.position[a] = std::isfinite(p[a]) ? p[a] : 0.0f;
                        m.normal[a] = std::isfinite(n[a]) ? n[a] : 0.0f;
                    }
                    if (mesh->mTextureCoords[0]) {
                        // The engine counts v from the picture's top.
                        m.u = mesh->mTextureCoords[0][idx].x;
                        m.v = 1.0f - mesh->mTextureCoords[0][idx].y;
                        if (!std::isfinite(m.u) || !std::isfinite(m.v)) m.u = m.v = 0;
                    }
                }
                m.colour = in.colour;
                frame.vertices.push_back(m);
            }
        }
    }
}

double TicksPerSecond(const aiAnimation* a) {
    return a->mTicksPerSecond > 0 && std::isfinite(a->mTicksPerSecond) ? a->mTicksPerSecond : 25.0;
}

ModelImport Convert(const aiScene* scene, const std::string& name, const ModelImportOptions& o) {
    ModelImport r;
    Scene s;
    if (const std::string why = Prepare(s, scene, r); !why.empty()) return Fail(name, why);

    // Every clip's frame count first, so an oversized model is refused before it is built.
    std::vector<const aiAnimation*> clips;
    std::vector<size_t> counts;
    size_t total = 0;
    for (unsigned a = 0; a < scene->mNumAnimations; ++a) {
        const aiAnimation* anim = scene->mAnimations[a];
        if (!anim) continue;
        const double seconds = anim->mDuration / TicksPerSecond(anim);
        const double frames = std::isfinite(seconds) && seconds > 0 ? std::floor(seconds * o.fps + 1e-6) + 1 : 1;
        if (frames > double(kMaxFrames)) return Fail(name, "animation \"" + std::string(anim->mName.C_Str()) +
                                                               "\" is too long for the frames a model holds");
        clips.push_back(anim);
        counts.push_back(size_t(frames));
        total += size_t(frames);
    }
    if (total == 0) total = 1;
    // The text form's reader adds a marker before every triangle.
    const size_t perTriangle = o.text ? 4 : 3;
    if (total > kMaxFrames || s.trianglesPerFrame * perTriangle > kMaxVertices / total)
        return Fail(name, std::to_string(total) + " frames of " + std::to_string(s.trianglesPerFrame) +
                              " triangles are more than a model holds (" + std::to_string(kMaxVertices) +
                              " vertices in all); use a lower --fps");

    MeshObjectX model;
    if (clips.empty()) AddFrame(s, nullptr, 0, o, model);
    for (size_t c = 0; c < clips.size(); ++c) {
        ImportedAnimation a;
        a.name = clips[c]->mName.C_Str();
        a.first = int(model.frames.size());
        for (size_t k = 0; k < counts[c]; ++k) {
            const double ticks = std::min(double(k) / o.fps * TicksPerSecond(clips[c]), clips[c]->mDuration);
            AddFrame(s, clips[c], std::max(ticks, 0.0), o, model);
        }
        a.last = int(model.frames.size()) - 1;
        a.slot = SlotForName(a.name);
        // The first clip of a slot takes it.
        for (const auto& earlier : r.animations) {
            if (earlier.slot == a.slot) a.slot = -1;
        }
        r.animations.push_back(a);
    }

    for (int a = 0; a < 3; ++a) {
        r.boundsMin[a] = model.frames[0].vertices[0].position[a];
        r.boundsMax[a] = r.boundsMin[a];
    }
    for (const auto& f : model.frames) {
        for (const auto& v : f.vertices) {
            for (int a = 0; a < 3; ++a) {
                r.boundsMin[a] = std::min<double>(r.boundsMin[a], v.position[a]);
                r.boundsMax[a] = std::max<double>(r.boundsMax[a], v.position[a]);
            }
        }
    }
    if (!PackModelVertices(model)) return Fail(name, "more than 256 colours");
    // The text form is quantised by the loader, which truncates; the binary form is ours.
    r.quantisationError = RoundAndMeasure(model, !o.text);
    r.modelBytes = o.text ? TextForm(model) : ModelBinaryBytes(model);
    if (!r.animations.empty()) r.animationBytes = AnimationFileText(r.animations);
    r.triangles = s.trianglesPerFrame;
    r.frames = model.frames.size();
    r.ok = true;
    return r;
}

constexpr unsigned kSteps = aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenSmoothNormals;

void Configure(Assimp::Importer& imp) {
    // Points and lines are no part of a model.
    imp.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, aiPrimitiveType_POINT | aiPrimitiveType_LINE);
}

std::string Reason(const Assimp::Importer& imp) {
    std::string why = imp.GetErrorString();
    if (why.empty()) why = "not a model file that can be read";
    while (!why.empty() && (why.back() == '\n' || why.back() == '\r' || why.back() == ' ')) why.pop_back();
    return why;
}

// The PLY reader runs on without end through a header it does not understand, and
// through billions of elements that a header of a few bytes can promise. So the header
// must be plain: known keywords only, whole counts, and no more elements than the file
// has bytes (each element takes at least one). `ply` says the file is named as one.
std::string PlyProblem(std::string_view text, uint64_t fileSize, bool ply) {
    if (text.rfind("ply", 0) != 0) return ply ? "not a PLY file" : "";
    size_t end = text.find("\nend_header");
    while (end != std::string_view::npos && text.substr(end + 11, 1).find_first_of("\r\n") != 0)
        end = text.find("\nend_header", end + 1);
    if (end == std::string_view::npos) return "the PLY header has no end_header line";
    uint64_t promised = 0;
    for (size_t at = 0; at < end;) {
        const size_t eol = text.find('\n', at);
        std::string_view line = text.substr(at, eol - at);
        at = eol + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (at == 4 ? line.compare("ply") == 0 : line.rfind("format ", 0) == 0 || line.rfind("property ", 0) == 0 ||
                                          line.rfind("comment", 0) == 0 || line.rfind("obj_info", 0) == 0)
            continue;
        const size_t name = line.find(' ', 8);
        if (line.rfind("element ", 0) != 0 || name == std::string_view::npos || name + 1 >= line.size() ||
            line.find_first_not_of("0123456789", name + 1) != std::string_view::npos || line.size() - name > 19)
            return "the PLY header line \"" + std::string(line.substr(0, 40)) + "\" is not understood";
        promised += std::stoull(std::string(line.substr(name + 1)));
        if (promised > fileSize) return "the PLY header promises more elements than the file holds";
    }
    return "";
}

// Assimp's glTF reader follows a skin's inverse bind matrices without looking whether
// the file has them (they may be left out), and a bad index takes it out of its arrays.
std::string GltfProblem(const std::string& path, uint64_t size, bool gltf, bool glb) {
    if ((!gltf && !glb) || size > kMaxModelFileBytes) return "";
    std::string bytes;
    if (!ReadRegularFile(path, kMaxModelFileBytes, bytes)) return "";
    if (glb) {
        // The JSON chunk follows the 12-byte header and its own 8-byte header.
        uint32_t length = 0;
        if (bytes.size() < 20) return "";
        std::memcpy(&length, bytes.data() + 12, 4);
        bytes = bytes.substr(20, length);
    }
    // Assimp reads broken text (bytes that are no UTF-8) as far as it goes, and then trips.
    const nlohmann::json doc = nlohmann::json::parse(bytes, nullptr, false);
    if (!doc.is_object()) return "its JSON cannot be read";
    const auto accessors = doc.value("accessors", nlohmann::json::array());
    for (const auto& skin : doc.value("skins", nlohmann::json::array())) {
        const auto ibm = skin.is_object() ? skin.find("inverseBindMatrices") : skin.end();
        if (!skin.is_object() || ibm == skin.end() || !ibm->is_number_unsigned() || *ibm >= accessors.size())
            return "a skin whose inverse bind matrices are missing or not one of the accessors";
    }
    return "";
}

// Assimp's Collada reader takes anything in an index list and, on bytes that are no
// numbers, grows without end; and it believes an array's count over its values.
std::string ColladaProblem(const std::string& path) {
    std::string bytes;
    if (!ReadRegularFile(path, kMaxModelFileBytes, bytes)) return "";
    for (const char* tag : {"<float_array", "<int_array"}) {
        for (size_t at = bytes.find(tag); at != std::string::npos; at = bytes.find(tag, at + 1)) {
            const size_t close = bytes.find('>', at), count = bytes.find("count=\"", at);
            const size_t end = bytes.find('<', close);
            if (close == std::string::npos || count > close || end == std::string::npos) return "a damaged array";
            size_t values = 0;
            std::istringstream in(bytes.substr(close + 1, end - close - 1));
            for (std::string v; in >> v;) ++values;
            if (std::to_string(values) + "\"" != bytes.substr(count + 7, std::to_string(values).size() + 1))
                return "an array whose count is not its number of values";
        }
    }
    for (size_t at = bytes.find("<p>"); at != std::string::npos; at = bytes.find("<p>", at + 3)) {
        const size_t end = bytes.find('<', at + 3);
        if (bytes.substr(at + 3, end - at - 3).find_first_not_of("0123456789 \t\r\n") != std::string::npos)
            return "an index list (<p>) holds something other than whole numbers";
    }
    return "";
}

bool OptionsValid(const ModelImportOptions& o, const std::string& name, ModelImport& r) {
    if (!(o.fps > 0 && o.fps <= 1000) || !(o.scale > 0 && std::isfinite(o.scale))) {
        r = Fail(name, "frames per second must be above 0 and at most 1000, the scale above 0");
        return false;
    }
    return true;
}

}  // namespace

ModelImport ImportModel(const std::string& path, const ModelImportOptions& options) {
    ModelImport r;
    if (!OptionsValid(options, path, r)) return r;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return Fail(path, "no such file");
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return Fail(path, "cannot be read");
    if (size > kMaxModelFileBytes) return Fail(path, "larger than " + std::to_string(kMaxModelFileBytes >> 20) + " MB");
    {
        std::ifstream in(path, std::ios::binary);
        std::string head(65536, '\0');
        in.read(head.data(), std::streamsize(head.size()));
        head.resize(size_t(in.gcount()));
        const bool ply = SameIgnoringCase(std::filesystem::path(path).extension().string(), ".ply");
        if (const std::string why = PlyProblem(head, size, ply); !why.empty()) return Fail(path, why);
        const std::string ext = std::filesystem::path(path).extension().string();
        if (const std::string why = GltfProblem(path, size, SameIgnoringCase(ext, ".gltf"), SameIgnoringCase(ext, ".glb"));
            !why.empty())
            return Fail(path, why);
        if (SameIgnoringCase(ext, ".dae"))
            if (const std::string why = ColladaProblem(path); !why.empty()) return Fail(path, why);
    }
    try {
        Assimp::Importer imp;
        Configure(imp);
        // Checked on its own first: the later steps trust what they are given and end
        // the program on a face that points past its mesh.
        const aiScene* scene = imp.ReadFile(path, 0);
        if (scene) scene = imp.ApplyPostProcessing(aiProcess_ValidateDataStructure);
        if (scene) scene = imp.ApplyPostProcessing(kSteps);
        if (!scene) return Fail(path, Reason(imp));
        return Convert(scene, path, options);
    } catch (const std::exception& e) {
        return Fail(path, e.what());
    }
}

bool WriteModelImport(ModelImport& model, const std::string& out) {
    if (!WriteFileAtomically(out, model.modelBytes)) {
        model.error = out + ": " + LastWriteFailure();
        return false;
    }
    const std::string anim = out + "a";
    if (model.animationBytes.empty()) {
        // An animation file of an earlier model of that name would give its ranges to this one.
        std::error_code ec;
        std::filesystem::remove(anim, ec);
        return true;
    }
    if (!WriteFileAtomically(anim, model.animationBytes)) {
        model.error = anim + ": " + LastWriteFailure();
        return false;
    }
    return true;
}

std::string ModelImportPatterns() {
    return "*.obj;*.gltf;*.glb;*.fbx;*.dae;*.ply;*.stl;*.3ds;*.x;*.md2;*.md3;*.ms3d;*.lwo;*.ac;*.off;*.b3d";
}

bool IsImportableModel(const std::string& path) {
    const std::string ext = Lower(std::filesystem::path(path).extension().string());
    return !ext.empty() && (ModelImportPatterns() + ";").find("*" + ext + ";") != std::string::npos;
}
