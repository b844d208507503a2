// Level file: LoadLevel, SaveLevel and the model animation files.
//
// Dependencies: level, files (INI document, line file, atomic write), gfx2d, gfx3d.
#include "level/levelfile.h"

#include <algorithm>       // Required for: std::clamp, std::max, std::min, std::count
#include <cmath>           // Required for: std::floor, std::nearbyint
#include <string>
#include <string_view>
#include <unordered_map>   // Required for: the section index
#include <utility>         // Required for: std::pair
#include <vector>

#include "level/level.h"            // Required for: the level arrays
#include "runtime/files/files.h"     // Required for: ReadFileLine, WriteFileLine, WriteFileAtomically
#include "runtime/files/ini.h"       // Required for: IniOpen, IniDocumentText
#include "runtime/frame/dimarray.h"  // Required for: DimArray
#include "runtime/gfx2d/sprites.h"   // Required for: LoadSprite, kSpriteSlotCount
#include "runtime/gfx3d/engine.h"    // Required for: LoadObject
#include "runtime/gfx3d/lumenor3d.h"  // Required for: kModelSlots

namespace {

// Together the paths of a level hold at most this many points; a file that asks for
// more (many paths times a large capacity) gets a smaller capacity instead.
constexpr int64_t kMaxTotalPathPoints = int64_t(1) << 21;

using AnimTable = std::vector<std::pair<Number, Number>>;

// A count, capacity or slot number from a file as a whole number of at least 0.
int64_t WholeCount(Number n) {
    if (!(n >= 1)) return 0;
    if (n >= 9.0e15) return int64_t(9e15);
    return static_cast<int64_t>(n);
}

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return out;
}

// The open INI document, indexed once. The document keeps entries in lists, so looking
// up thousands of entries one by one would take time quadratic in the level's size.
// Lookups follow the document's rules: names and keys without regard to case, the
// first section of a name, the first key of a name in it.
class LevelReader {
public:
    LevelReader() : text_(IniDocumentText()) {
        Section* current = nullptr;
        size_t start = 0;
        while (start < text_.size()) {
            size_t end = text_.find('\n', start);
            if (end == std::string::npos) end = text_.size();
            std::string_view line(text_.data() + start, end - start);
            start = end + 1;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (!line.empty() && line.front() == '[') {
                line.remove_prefix(1);
                if (!line.empty() && line.back() == ']') line.remove_suffix(1);
                auto [it, fresh] = sections_.try_emplace(Lower(line));
                current = fresh ? &it->second : nullptr;
                continue;
            }
            if (!current) continue;
            const size_t eq = line.find('=');
            if (eq == std::string_view::npos) continue;
            current->values.try_emplace(Lower(line.substr(0, eq)), line.substr(eq + 1));
            ++current->entries;
        }
    }

    StrValue Get(const char* section, std::string_view key) const {
        const auto s = sections_.find(section);
        if (s == sections_.end()) return "NO_DATA";
        const auto v = s->second.values.find(Lower(key));
        if (v == s->second.values.end()) return "NO_DATA";
        return StrValue(v->second);
    }
    StrValue Entry(const char* section, int64_t i) const {
        return Get(section, std::to_string(i));
    }

    // The number of entries of a list section, its "count" bounded: a count above the
    // trusted limit is cut to the entries the section really holds.
    int64_t Count(const char* section) const {
        const int64_t count = WholeCount(TextToNumber(Get(section, "count")));
        if (count <= kMaxTrustedCount) return count;
        const auto s = sections_.find(section);
        // The "count" key is one of the section's keys but no entry.
        const int64_t held = s == sections_.end() ? 0 : s->second.entries - 1;
        return std::min(count, held);
    }

private:
    struct Section {
        std::unordered_map<std::string, std::string_view> values;
        int64_t entries = 0;
    };
    std::string text_;
    std::unordered_map<std::string, Section> sections_;
};

// An entry split at spaces and tabs into numbers, as SplitText and TextToNumber would
// give them: runs of separators count as one and every token is read on its own.
void SplitNumbers(const StrValue& value, std::vector<Number>& out) {
    out.clear();
    const std::string_view text = value.View();
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const size_t begin = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        if (i == begin) break;
        out.push_back(LeadingNumber(text.substr(begin, i - begin)));
    }
}

// The slot rows of one animation file: at most the 255 slot lines a line file holds.
void ReadAnimFile(const StrValue& animFile, AnimTable& rows) {
    rows.clear();
    const int64_t slots = std::min<int64_t>(WholeCount(ReadFileLineNumber(animFile, 0)), kMaxAnimSlots);
    for (int64_t k = 1; k <= slots; ++k) {
        const StrValue line = ReadFileLine(animFile, Number(k));
        rows.emplace_back(TextToNumber(MidText(line, 0, 8)), TextToNumber(MidText(line, 8, 100)));
    }
}

void CopyAnimRows(int m, const AnimTable& rows) {
    for (size_t k = 0; k < rows.size(); ++k) {
        ModelAnims(m, Number(k), 0) = rows[k].first;
        ModelAnims(m, Number(k), 1) = rows[k].second;
    }
}

void LoadModels(const LevelReader& reader) {
    const int64_t n = reader.Count("types");
    ModelFiles.Dim(Number(n));
    std::vector<AnimTable> anims(static_cast<size_t>(n));
    size_t slots = kMinAnimSlots;
    for (int64_t i = 0; i < n; ++i) {
        ModelFiles(Number(i)) = reader.Entry("types", i);
        // Numbers past the slot table name no slot: nothing to load, and not spending a
        // failed file lookup on each keeps a damaged count from stalling the load.
        if (i >= kModelSlots) continue;
        const StrValue path = MediaRoot + ModelFiles(Number(i));
        LoadObject(path, Number(i));
        ReadAnimFile(path + "a", anims[size_t(i)]);
        slots = std::max(slots, anims[size_t(i)].size());
    }
    // Sized once: growing model by model would copy the whole table for every model.
    ModelAnims.Dim(Number(std::max<int64_t>(1, n)), Number(slots), 2);
    for (int64_t i = 0; i < n; ++i) CopyAnimRows(int(i), anims[size_t(i)]);
}

void LoadTextures(const LevelReader& reader) {
    const int64_t n = reader.Count("textures");
    TextureFiles.Dim(Number(n));
    for (int64_t i = 0; i < n; ++i) {
        TextureFiles(Number(i)) = reader.Entry("textures", i);
        if (i < kSpriteSlotCount) LoadSprite(MediaRoot + TextureFiles(Number(i)), Number(i));
    }
}

void LoadObjects(const LevelReader& reader, std::vector<Number>& v) {
    const int64_t n = reader.Count("objects");
    ObjProps.Dim(Number(n), kObjPropsColumns);
    ObjPos.Dim(Number(n), kObjPosColumns);
    ObjState.Dim(Number(n), kObjStateColumns);
    for (int64_t i = 0; i < n; ++i) {
        SplitNumbers(reader.Entry("objects", i), v);
        // Values past the nine of a record are ignored.
        const size_t used = std::min<size_t>(v.size(), kObjPosColumns + kObjPropsColumns);
        for (size_t k = 0; k < used; ++k) {
            if (k < kObjPosColumns) ObjPos(Number(i), Number(k)) = v[k];
            else ObjProps(Number(i), Number(k - kObjPosColumns)) = v[k];
        }
    }
}

void LoadPaths(const LevelReader& reader, Number storedCapacity) {
    const int64_t n = reader.Count("paths");
    std::vector<std::vector<Number>> entries(static_cast<size_t>(n));
    int64_t needed = 0;
    for (int64_t i = 0; i < n; ++i) {
        SplitNumbers(reader.Entry("paths", i), entries[size_t(i)]);
        const auto& e = entries[size_t(i)];
        if (e.empty()) continue;
        const int64_t present = (int64_t(e.size()) - 1 + 2) / 3;
        const int64_t stated = WholeCount(e[0]);
        needed = std::max(needed, present);
        if (stated <= kMaxTrustedCount) needed = std::max(needed, stated);
    }

    int64_t capacity = std::max<int64_t>(kMinPathCapacity, WholeCount(storedCapacity));
    if (capacity > kMaxTrustedCount) capacity = std::max<int64_t>(kMinPathCapacity, needed);
    capacity = std::max(capacity, needed);
    if (n > 0 && n * capacity > kMaxTotalPathPoints)
        capacity = std::max<int64_t>(kMinPathCapacity, kMaxTotalPathPoints / n);

    PathLen.Dim(Number(n));
    PathPoints.Dim(Number(n), Number(capacity), 3);
    SetPathCapacity(Number(capacity));
    for (int64_t i = 0; i < n; ++i) {
        const auto& e = entries[size_t(i)];
        if (e.empty()) continue;
        // A point count past the capacity names points no path can hold.
        PathLen(Number(i)) = e[0] > Number(capacity) ? Number(capacity) : e[0];
        const size_t coords = std::min<size_t>(e.size() - 1, size_t(capacity) * 3);
        for (size_t k = 0; k < coords; ++k) PathPoints(Number(i), Number(k / 3), Number(k % 3)) = e[k + 1];
    }
}

void LoadActors(const LevelReader& reader, std::vector<Number>& v) {
    const int64_t n = reader.Count("players");
    ActorProps.Dim(Number(n), kActorPropsColumns);
    ActorPos.Dim(Number(n), kActorPosColumns);
    ActorState.Dim(Number(n), kActorStateColumns);
    // File order: model, texture, x, y, z, behaviour, path.
    static const int kPropsColumn[7] = {0, 1, -1, -1, -1, 4, 5};
    for (int64_t i = 0; i < n; ++i) {
        SplitNumbers(reader.Entry("players", i), v);
        const size_t used = std::min<size_t>(v.size(), 7);
        for (size_t k = 0; k < used; ++k) {
            if (kPropsColumn[k] >= 0) ActorProps(Number(i), kPropsColumn[k]) = v[k];
            else ActorPos(Number(i), Number(k - 2)) = v[k];
        }
    }
}

void LoadTable(const LevelReader& reader, const char* section, DimArray<Number>& table, int columns,
               std::vector<Number>& v) {
    const int64_t n = reader.Count(section);
    table.Dim(Number(n), columns);
    for (int64_t i = 0; i < n; ++i) {
        SplitNumbers(reader.Entry(section, i), v);
        const size_t used = std::min<size_t>(v.size(), size_t(columns));
        for (size_t k = 0; k < used; ++k) table(Number(i), Number(k)) = v[k];
    }
}

// Writer helpers: every number is followed by one space.
void AddGeneral(StrValue& out, Number value) {
    out += NumberToText(value);
    out += " ";
}
void AddFixed(StrValue& out, Number value, int decimals) {
    out += FormatNumber(0, decimals, value);
    out += " ";
}

int Rows(const DimArray<Number>& a) { return static_cast<int>(a.Extent(0)); }

// The level file's text in the INI document's layout: "[" name "]" lines, key "=" value
// lines, CR LF ends, no blank lines. Built here rather than with IniPut, whose lookup of
// every new key walks its section: quadratic in a level of many thousand entries.
class LevelWriter {
public:
    void Section(const char* name) {
        text_ += '[';
        text_ += name;
        text_ += "]\r\n";
    }
    void Put(std::string_view key, const StrValue& value) {
        // As in the document, a line end in a value cuts it there.
        std::string_view v = value.View();
        v = v.substr(0, v.find('\n'));
        text_ += key;
        text_ += '=';
        text_ += v;
        text_ += "\r\n";
    }
    void Put(int index, const StrValue& value) { Put(std::to_string(index), value); }
    void List(const char* name, int count) {
        Section(name);
        Put("count", NumberToText(count));
    }
    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

}  // namespace

void LoadLevel(const StrValue& file) {
    ResetLevelArrays();
    IniOpen(file);
    const LevelReader reader;

    MediaRoot = reader.Get("memory", "root") + "/";
    const Number storedCapacity = TextToNumber(reader.Get("memory", "maxpathpoints"));

    std::vector<Number> values;
    LoadModels(reader);
    LoadTextures(reader);
    LoadObjects(reader, values);
    LoadPaths(reader, storedCapacity);
    LoadActors(reader, values);
    LoadTable(reader, "specials", SpecialItems, kSpecialColumns, values);
    LoadTable(reader, "weapons", WeaponTable, kWeaponColumns, values);
}

Number SaveLevel(const StrValue& file) {
    // A changed document is written back first, as opening any file would do; the
    // level then goes to its file atomically, so a failed save leaves the old file.
    IniOpen("");
    LevelWriter out;

    const uint32_t rootLength = MediaRoot.Length();
    const bool slash = rootLength > 0 && MediaRoot.CharAt(rootLength - 1) == '/';
    out.Section("memory");
    out.Put("root", slash ? MidText(MediaRoot, 0, rootLength - 1) : MediaRoot);
    const int capacity = static_cast<int>(PathCapacity());
    out.Put("maxpathpoints", NumberToText(capacity));

    const int models = static_cast<int>(ModelFiles.Extent(0));
    out.List("types", models);
    for (int i = 0; i < models; ++i) out.Put(i, ModelFiles(i));
    const int textures = static_cast<int>(TextureFiles.Extent(0));
    out.List("textures", textures);
    for (int i = 0; i < textures; ++i) out.Put(i, TextureFiles(i));

    const int objects = std::min(Rows(ObjPos), Rows(ObjProps));
    out.List("objects", objects);
    for (int i = 0; i < objects; ++i) {
        StrValue v;
        for (int k = 0; k < kObjPosColumns; ++k) AddGeneral(v, ObjPos(i, k));
        for (int k = 0; k < kObjPropsColumns; ++k) AddGeneral(v, ObjProps(i, k));
        out.Put(i, v);
    }

    const int paths = std::min(Rows(PathPoints), Rows(PathLen));
    out.List("paths", paths);
    for (int i = 0; i < paths; ++i) {
        StrValue v;
        const Number len = PathLen(i);
        AddGeneral(v, len);
        // Points past the capacity do not exist; writing only those that do keeps the
        // save from ending the program on a count that outgrew its path.
        const int points = len > 0 ? static_cast<int>(std::min<Number>(len, capacity)) : 0;
        for (int k = 0; k < points; ++k) {
            for (int c = 0; c < 3; ++c) AddFixed(v, PathPoints(i, k, c), 1);
        }
        out.Put(i, v);
    }

    const int actors = std::min(Rows(ActorProps), Rows(ActorPos));
    out.List("players", actors);
    for (int i = 0; i < actors; ++i) {
        StrValue v;
        AddGeneral(v, ActorProps(i, 0));
        AddGeneral(v, ActorProps(i, 1));
        for (int k = 0; k < 3; ++k) AddFixed(v, ActorPos(i, k), 1);
        AddGeneral(v, ActorProps(i, 4));
        AddGeneral(v, ActorProps(i, 5));
        out.Put(i, v);
    }

    const int specials = Rows(SpecialItems);
    out.List("specials", specials);
    for (int i = 0; i < specials; ++i) {
        StrValue v;
        for (int k = 0; k < 3; ++k) AddFixed(v, SpecialItems(i, k), 1);
        AddGeneral(v, SpecialItems(i, 3));
        AddGeneral(v, SpecialItems(i, 4));
        out.Put(i, v);
    }

    const int weapons = Rows(WeaponTable);
    out.List("weapons", weapons);
    for (int i = 0; i < weapons; ++i) {
        StrValue v;
        AddFixed(v, WeaponTable(i, 0), 2);
        AddFixed(v, WeaponTable(i, 1), 2);
        AddFixed(v, WeaponTable(i, 2), 1);
        out.Put(i, v);
    }

    const std::string& text = out.Text();
    if (!WriteFileAtomically(PathForWriting(file), text)) return -1;
    return static_cast<Number>(std::count(text.begin(), text.end(), '\n'));
}

Number AnimFrameNumber(Number frame) {
    if (!(frame == frame)) return 0;
    return std::clamp(std::nearbyint(frame), -9999999.0, 99999999.0);
}

void LoadModelAnims(Number m, const StrValue& path) {
    if (!(m >= 0) || m > kMaxTrustedCount) return;
    AnimTable rows;
    ReadAnimFile(path + "a", rows);
    const Number models = std::max<Number>(ModelAnims.Extent(0), std::floor(m) + 1);
    const Number slots = std::max<Number>({ModelAnims.Extent(1), Number(rows.size()), kMinAnimSlots});
    if (models != ModelAnims.Extent(0) || slots != ModelAnims.Extent(1)) ModelAnims.Redim(models, slots, 2);
    CopyAnimRows(static_cast<int>(m), rows);
}

Number SaveModelAnims(Number m, const StrValue& path) {
    if (!(m >= 0) || m >= ModelAnims.Extent(0)) return 0;
    const StrValue animFile = path + "a";
    const int slots = std::min(static_cast<int>(ModelAnims.Extent(1)), kMaxAnimSlots);
    WriteFileLine(animFile, 0, NumberToText(slots));
    for (int k = 0; k < slots; ++k) {
        WriteFileLine(animFile, k + 1,
                      FormatNumber(7, 0, AnimFrameNumber(ModelAnims(m, k, 0))) + "  " +
                          FormatNumber(7, 0, AnimFrameNumber(ModelAnims(m, k, 1))));
    }
    return FlushLineFile() ? 1 : 0;
}
