// Level snapshots: copying the level arrays into shared blocks and back.
//
// Dependencies: level, levelfile (SaveModelAnims), gfx2d (LoadSprite), gfx3d (LoadObject).
#include "level/snapshot.h"

#include <algorithm>       // Required for: std::min, std::copy
#include <cstring>         // Required for: std::memcmp
#include <initializer_list>
#include <utility>         // Required for: std::move

#include "level/level.h"
#include "level/levelfile.h"           // Required for: SaveModelAnims
#include "runtime/gfx2d/sprites.h"     // Required for: LoadSprite, kSpriteSlotCount
#include "runtime/gfx3d/engine.h"      // Required for: LoadObject
#include "runtime/gfx3d/lumenor3d.h"   // Required for: kModelSlots

namespace {

// Blocks of 4 KB. Each column (each run of the first index) has blocks of its own, so
// that a row added at the end or a row moved within leaves the other blocks shared.
constexpr size_t kBlockNumbers = 512;

enum ArrayIndex { kAnims, kObjPos, kObjProps, kObjState, kPathLen, kPathPoints, kActorProps, kActorPos,
                  kActorState, kSpecials, kWeapons, kArrayCount };

DimArray<Number>* const kLevelArrays[kArrayCount] = {&ModelAnims, &ObjPos,     &ObjProps,   &ObjState,
                                                     &PathLen,    &PathPoints, &ActorProps, &ActorPos,
                                                     &ActorState, &SpecialItems, &WeaponTable};

size_t Rows(const std::array<int32_t, 8>& dims) { return static_cast<size_t>(std::max(0, dims[0])); }

// The columns of an array: the product of its extents after the first.
size_t Columns(const std::array<int32_t, 8>& dims) {
    size_t n = 1;
    for (int k = 1; k < 8; ++k) n *= static_cast<size_t>(std::max(1, dims[k]));
    return n;
}

size_t BlocksPerColumn(size_t rows) { return (rows + kBlockNumbers - 1) / kBlockNumbers; }

bool SameBlock(const std::vector<Number>& a, const std::vector<Number>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(Number)) == 0;
}

ArrayCopy CopyArray(const DimArray<Number>& a, const ArrayCopy* base) {
    ArrayCopy copy;
    for (int k = 0; k < 8; ++k) copy.dims[k] = static_cast<int32_t>(a.Extent(k));
    const size_t rows = Rows(copy.dims);
    if (rows == 0) return copy;
    const size_t perColumn = BlocksPerColumn(rows);
    const bool sameColumns = base && std::equal(copy.dims.begin() + 1, copy.dims.end(), base->dims.begin() + 1);
    const size_t basePerColumn = base ? BlocksPerColumn(Rows(base->dims)) : 0;
    for (size_t c = 0; c < Columns(copy.dims); ++c) {
        for (size_t j = 0; j < perColumn; ++j) {
            const Number* from = a.Data() + c * rows + j * kBlockNumbers;
            const size_t n = std::min(kBlockNumbers, rows - j * kBlockNumbers);
            if (sameColumns && j < basePerColumn) {
                const auto& shared = base->blocks[c * basePerColumn + j];
                if (shared->size() == n && std::memcmp(shared->data(), from, n * sizeof(Number)) == 0) {
                    copy.blocks.push_back(shared);
                    continue;
                }
            }
            copy.blocks.push_back(std::make_shared<const std::vector<Number>>(from, from + n));
        }
    }
    return copy;
}

void PasteArray(const ArrayCopy& copy, DimArray<Number>& a) {
    const auto& d = copy.dims;
    if (d[0] <= 0) {
        a.Dim(0);
        return;
    }
    a.Dim(d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7]);
    Number* out = a.Data();
    for (const auto& block : copy.blocks) out = std::copy(block->begin(), block->end(), out);
}

bool SameArray(const ArrayCopy& a, const ArrayCopy& b) {
    if (a.dims != b.dims || a.blocks.size() != b.blocks.size()) return false;
    for (size_t i = 0; i < a.blocks.size(); ++i) {
        if (a.blocks[i] != b.blocks[i] && !SameBlock(*a.blocks[i], *b.blocks[i])) return false;
    }
    return true;
}

Number At(const ArrayCopy& a, int row, int column) {
    const size_t r = static_cast<size_t>(row);
    return (*a.blocks[static_cast<size_t>(column) * BlocksPerColumn(Rows(a.dims)) + r / kBlockNumbers])[r % kBlockNumbers];
}

bool SameNumber(Number a, Number b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Frame ranges compared as a grown ModelAnims holds them: slots beyond an array are 0, so
// that opening the animation dialog, which gives every model six slots, changes nothing.
bool SameAnims(const ArrayCopy& a, const ArrayCopy& b) {
    if (a.dims == b.dims) return SameArray(a, b);
    const auto frame = [](const ArrayCopy& x, int m, int k, int c) {
        return m < x.dims[0] && k < x.dims[1] ? At(x, m, k + c * x.dims[1]) : 0;
    };
    for (int m = 0; m < std::max(a.dims[0], b.dims[0]); ++m) {
        for (int k = 0; k < std::max(a.dims[1], b.dims[1]); ++k) {
            for (int c = 0; c < 2; ++c) {
                if (!SameNumber(frame(a, m, k, c), frame(b, m, k, c))) return false;
            }
        }
    }
    return true;
}

// Compares the given columns of two record arrays of equal shape; `skip` leaves out
// the rows it names.
template <class Skip>
bool SameColumns(const ArrayCopy& a, const ArrayCopy& b, std::initializer_list<int> columns, Skip skip) {
    if (a.dims != b.dims) return false;
    for (int row = 0; row < a.dims[0]; ++row) {
        for (int column : columns) {
            if (!skip(row, column) && !SameNumber(At(a, row, column), At(b, row, column))) return false;
        }
    }
    return true;
}


void PasteNames(const std::vector<std::string>& names, DimArray<StrValue>& out) {
    if (names.empty()) {
        out.Dim(0);
        return;
    }
    out.Dim(static_cast<Number>(names.size()));
    for (size_t i = 0; i < names.size(); ++i) out(static_cast<Number>(i)) = StrValue(names[i]);
}

std::vector<std::string> Names(const DimArray<StrValue>& names) {
    std::vector<std::string> out;
    for (int i = 0; i < names.Extent(0); ++i) out.push_back(names(i).Std());
    return out;
}

std::shared_ptr<const std::vector<std::string>> CopyNames(const DimArray<StrValue>& names,
                                                          const std::shared_ptr<const std::vector<std::string>>& base) {
    std::vector<std::string> out = Names(names);
    if (base && *base == out) return base;
    return std::make_shared<const std::vector<std::string>>(std::move(out));
}

// Loads the slots whose file is not the one the level named before.
template <class Load>
void ReloadChangedSlots(const std::vector<std::string>& before, const std::vector<std::string>& after, bool rootChanged,
                        int slots, Load load) {
    for (size_t j = 0; j < std::min(after.size(), static_cast<size_t>(slots)); ++j) {
        if (rootChanged || j >= before.size() || before[j] != after[j]) load(MediaRoot + StrValue(after[j]), j);
    }
}

// The frames of model m's slot k, 0 beyond the array (as a grown array gives).
Number AnimAt(const DimArray<Number>& anims, int m, int k, int c) {
    return m < anims.Extent(0) && k < anims.Extent(1) ? anims(m, k, c) : 0;
}

// The animation dialog writes a model's animation file along with ModelAnims; going back
// or forward over such a step writes the file again, or the next load would undo it.
void WriteChangedAnimations(const DimArray<Number>& before, const std::vector<std::string>& names) {
    const int slots = static_cast<int>(std::max(before.Extent(1), ModelAnims.Extent(1)));
    for (int m = 0; m < std::min(static_cast<int>(names.size()), static_cast<int>(ModelCount())); ++m) {
        if (names[m] != ModelFiles(m).Std()) continue;
        bool changed = false;
        for (int k = 0; k < slots && !changed; ++k) {
            for (int c = 0; c < 2; ++c) changed = changed || AnimAt(before, m, k, c) != AnimAt(ModelAnims, m, k, c);
        }
        if (changed) SaveModelAnims(m, MediaRoot + ModelFiles(m));
    }
}

}  // namespace

LevelSnapshot TakeLevelSnapshot(const LevelSnapshot* base) {
    LevelSnapshot s;
    s.mediaRoot = MediaRoot.Std();
    s.pathCapacity = static_cast<int>(PathCapacity());
    s.models = CopyNames(ModelFiles, base ? base->models : nullptr);
    s.textures = CopyNames(TextureFiles, base ? base->textures : nullptr);
    for (int i = 0; i < kArrayCount; ++i) {
        const bool hasBase = base && base->arrays.size() == kArrayCount;
        s.arrays.push_back(CopyArray(*kLevelArrays[i], hasBase ? &base->arrays[i] : nullptr));
    }
    return s;
}

void RestoreLevelSnapshot(const LevelSnapshot& s) {
    const bool rootChanged = MediaRoot.Std() != s.mediaRoot;
    const std::vector<std::string> models = Names(ModelFiles);
    const std::vector<std::string> textures = Names(TextureFiles);
    const DimArray<Number> anims = ModelAnims;
    MediaRoot = StrValue(s.mediaRoot);
    PasteNames(*s.models, ModelFiles);
    PasteNames(*s.textures, TextureFiles);
    for (int i = 0; i < kArrayCount; ++i) PasteArray(s.arrays[i], *kLevelArrays[i]);
    SetPathCapacity(s.pathCapacity);
    if (!rootChanged) WriteChangedAnimations(anims, models);
    ReloadChangedSlots(models, *s.models, rootChanged, kModelSlots,
                       [](const StrValue& path, size_t j) { LoadObject(path, static_cast<Number>(j)); });
    ReloadChangedSlots(textures, *s.textures, rootChanged, kSpriteSlotCount,
                       [](const StrValue& path, size_t j) { LoadSprite(path, static_cast<Number>(j)); });
}

bool SameStoredLevel(const LevelSnapshot& a, const LevelSnapshot& b) {
    if (a.mediaRoot != b.mediaRoot || a.pathCapacity != b.pathCapacity || *a.models != *b.models ||
        *a.textures != *b.textures) {
        return false;
    }
    if (!SameAnims(a.arrays[kAnims], b.arrays[kAnims])) return false;
    for (int i : {kObjProps, kPathLen, kPathPoints, kSpecials, kWeapons}) {
        if (!SameArray(a.arrays[i], b.arrays[i])) return false;
    }
    // An object whose path has points stands where the preview put it.
    const ArrayCopy& props = a.arrays[kObjProps];
    const ArrayCopy& pathLen = a.arrays[kPathLen];
    const auto onPath = [&](int row, int column) {
        if (column == 3) return false;
        const Number p = At(props, row, 4);
        return p >= 0 && p < pathLen.dims[0] && At(pathLen, static_cast<int>(p), 0) > 0;
    };
    const auto none = [](int, int) { return false; };
    return SameColumns(a.arrays[kObjPos], b.arrays[kObjPos], {0, 1, 2, 3}, onPath) &&
           SameColumns(a.arrays[kActorProps], b.arrays[kActorProps], {0, 1, 4, 5}, none) &&
           SameColumns(a.arrays[kActorPos], b.arrays[kActorPos], {0, 1, 2, 3}, none);
}

double SnapshotBytes(const LevelSnapshot& s) {
    // Every holder of a shared block is a snapshot, so the use count is its number of holders.
    double bytes = sizeof(LevelSnapshot) + static_cast<double>(s.mediaRoot.size());
    for (const auto* names : {&s.models, &s.textures}) {
        double n = sizeof(std::vector<std::string>);
        for (const std::string& name : **names) n += static_cast<double>(sizeof(name) + name.size());
        bytes += n / static_cast<double>(names->use_count());
    }
    for (const ArrayCopy& a : s.arrays) {
        bytes += static_cast<double>(sizeof(ArrayCopy) + a.blocks.size() * sizeof(a.blocks[0]));
        for (const auto& block : a.blocks) {
            bytes += static_cast<double>(sizeof(*block) + block->size() * sizeof(Number)) /
                     static_cast<double>(block.use_count());
        }
    }
    return bytes;
}
