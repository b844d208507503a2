// zentrovel-tool: the command-line companion. Checks, converts and inspects levels,
// models and pictures without a window, writes the demo, and renders a level to PNG.
//
// Every command prints one JSON document on standard output and exits 0 on success,
// 1 when the input is bad and 2 on wrong usage. Relative media roots are taken from
// the level file's own directory, as the editor takes them from its own.
//
// Dependencies: tools/demo, tools/render, import (models and pictures), editor (level arrays and file), gfx2d, gfx3d,
// files, frame; nlohmann-json.
#include <algorithm>   // Required for: std::clamp, std::max
#include <array>       // Required for: std::array
#include <cctype>      // Required for: std::tolower
#include <cmath>       // Required for: std::trunc, std::isfinite
#include <cstdio>      // Required for: std::fflush
#include <cstdlib>     // Required for: std::strtod (finding non-finite numbers)
#include <cstring>     // Required for: std::memcpy
#include <filesystem>  // Required for: paths, current directory
#include <fstream>     // Required for: std::ifstream (form sniffing, error log)
#include <iostream>    // Required for: std::cout
#include <set>         // Required for: std::set (distinct path points)
#include <string>
#include <string_view>
#include <utility>     // Required for: std::pair
#include <vector>

#include <nlohmann/json.hpp>

#include "import/import.h"
#include "level/level.h"
#include "level/levelfile.h"
#include "runtime/files/files.h"
#include "runtime/files/ini.h"     // Required for: IniDocumentText
#include "runtime/frame/program.h"
#include "runtime/gfx2d/bmp.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/gfx3d/lumenor3d.h"   // Required for: kModelSlots
#include "runtime/gfx3d/model.h"
#include "tools/demo.h"
#include "tools/render.h"

namespace {

namespace fs = std::filesystem;
using json = nlohmann::json;

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 2;

const char* const kUsage =
    "zentrovel-tool demo DIR | new DIR | resave IN OUT | check LEVEL | model-info FILE | "
    "model-convert IN OUT | image-info FILE [X Y]... | "
    "import-model IN OUT.kmo [--scale S] [--up y|z] [--fps N] [--text] | import-image IN OUT.bmp [--key] | "
    "render LEVEL OUT.png [--view 0|1|2|3] [--size WxH] [--distance D]";

int Print(const json& doc, int code) {
    // File names and logged lines are bytes, not always UTF-8: replace what is not.
    std::cout << doc.dump(2, ' ', false, json::error_handler_t::replace) << std::endl;
    return code;
}

// Whole numbers print without a fraction, as the level file writes them.
json NumberJson(Number v) {
    if (std::isfinite(v) && v == std::trunc(v) && std::abs(v) < 9e15) return static_cast<int64_t>(v);
    return v;
}

int Usage(const std::string& why) { return Print({{"error", why}, {"usage", kUsage}}, kExitUsage); }

// Whole-number argument, or false.
bool ParseInt(const std::string& text, long& out) {
    try {
        size_t used = 0;
        out = std::stol(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

// The filesystem calls here never throw: a name that cannot be examined (a loop of
// links, say) is simply no readable file.
bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

fs::path Absolute(const fs::path& path) {
    std::error_code ec;
    fs::path abs = fs::absolute(path, ec);
    return ec ? path : abs;
}

// Collects what loads append to the error log while the object lives.
class LogCapture {
public:
    LogCapture() : path_(ErrorLogPath()) {
        std::error_code ec;
        start_ = fs::exists(path_, ec) ? fs::file_size(path_, ec) : 0;
        if (ec) start_ = 0;
    }
    json Lines() const {
        json lines = json::array();
        std::ifstream in(path_, std::ios::binary);
        if (!in) return lines;
        in.seekg(static_cast<std::streamoff>(start_));
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

private:
    std::string path_;
    uintmax_t start_ = 0;
};

// Loads a level the way the editor does from its own directory: the level's directory
// becomes the current one, so a relative media root is found beside the file.
void LoadLevelFrom(const fs::path& level) {
    const fs::path abs = Absolute(level);
    std::error_code ec;
    fs::current_path(abs.parent_path(), ec);
    LoadLevel(StrValue(abs.filename().string()));
}

// ---------------------------------------------------------------------------------------

int CmdDemo(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("demo needs a directory");
    const DemoResult r = WriteDemo(args[0]);
    if (!r.ok) return Print({{"ok", false}, {"error", "could not write " + r.error}}, kExitBadInput);
    return Print({{"ok", true}, {"dir", args[0]}, {"files", r.files}, {"kept", r.kept}}, kExitOk);
}

int CmdNew(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("new needs a directory");
    const DemoResult r = WriteNewLevel(args[0]);
    if (!r.ok) return Print({{"ok", false}, {"error", r.error}}, kExitBadInput);
    return Print({{"ok", true}, {"dir", args[0]}, {"level", (fs::path(args[0]) / "level.ini").string()}, {"files", r.files}},
                 kExitOk);
}

int CmdResave(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage("resave needs IN and OUT");
    const fs::path out = Absolute(args[1]);
    if (!IsRegularFile(args[0])) return Print({{"lines", -1}, {"error", "cannot read " + args[0]}}, kExitBadInput);
    LoadLevelFrom(args[0]);
    const Number lines = SaveLevel(StrValue(out.string()));
    return Print({{"lines", NumberJson(lines)}}, lines < 0 ? kExitBadInput : kExitOk);
}

struct Problems {
    json list = json::array();
    void Add(const std::string& section, const std::string& entry, const std::string& message) {
        list.push_back({{"section", section}, {"entry", entry}, {"message", message}});
    }
};

std::string Num(Number v) { return StrValue(v).Std(); }

// A media file that must exist and load; `loaded` tells whether its slot holds it.
void CheckMedium(Problems& p, const std::string& section, const std::string& entry, const std::string& name,
                 bool loaded) {
    const std::string path = MediaRoot.Std() + name;
    if (!FileExists(StrValue(path)))
        p.Add(section, entry, "media file \"" + path + "\" does not exist");
    else if (!loaded)
        p.Add(section, entry, "media file \"" + path + "\" does not load");
}

// A slot holds a loaded model when it has frames and frame 0 has vertices.
bool ModelSlotLoaded(int slot) {
    const MeshObject* model = GetObjectModel(slot);
    return model && !model->Empty() && !model->frames[0].packed.empty();
}

// Without a graphics context a made texture is kept as texels; a picture of a depth the
// decoder does not take records its sizes but keeps none.
bool SpriteLoads(int slot) {
    Number tw = 0, th = 0;
    GetSpriteTextureSize(slot, tw, th);
    return tw > 0 && th > 0 && GetSpriteTexels(slot) != nullptr;
}

// Numbers the C library reads as infinite or NaN ("nan", "inf", "1e400", hexadecimal):
// the level reader takes none of them as such, so the file says something else than
// what the editor will show.
bool NonFinite(std::string_view token) {
    const std::string t(token);
    return !std::isfinite(std::strtod(t.c_str(), nullptr));
}

void CheckFields(Problems& p, const std::string& section, const std::string& entry, std::string_view text,
                 const std::string& where) {
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
        const size_t begin = i;
        while (i < text.size() && text[i] != ' ' && text[i] != '\t') ++i;
        const std::string_view token = text.substr(begin, i - begin);
        if (token.empty() || !NonFinite(token)) continue;
        p.Add(section, entry, where + "\"" + std::string(token) + "\" is not a finite number; it reads as " +
                                  Num(LeadingNumber(token)));
    }
}

// Every number of the level file as written, before the reader made finite numbers of it.
void CheckLevelNumbers(Problems& p) {
    const std::string text = IniDocumentText();
    std::string section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line(text.data() + start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && line.front() == '[') {
            section = std::string(line.substr(1, line.find(']') - 1));
            for (char& c : section) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            continue;
        }
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string key(line.substr(0, eq));
        for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const bool names = section == "types" || section == "textures" || (section == "memory" && key == "root");
        if (names && key != "count") continue;
        CheckFields(p, section, key, line.substr(eq + 1), "");
    }
}

// The two frame numbers of every slot of every model's animation file.
void CheckAnimationNumbers(Problems& p, int models) {
    for (int m = 0; m < models; ++m) {
        const StrValue file = MediaRoot + ModelFiles(m) + "a";
        const std::string where = "animation file \"" + file.Std() + "\" line ";
        const StrValue first = ReadFileLine(file, 0);
        if (first == "NO_FILE") continue;
        CheckFields(p, "types", std::to_string(m), first.View(), where + "0: ");
        const int slots = std::clamp(static_cast<int>(LeadingNumber(first.View())), 0, kMaxAnimSlots);
        for (int k = 1; k <= slots; ++k) {
            const StrValue line = ReadFileLine(file, k);
            const std::string at = where + std::to_string(k) + ": ";
            CheckFields(p, "types", std::to_string(m), MidText(line, 0, 8).View(), at);
            CheckFields(p, "types", std::to_string(m), MidText(line, 8, 100).View(), at);
        }
    }
}

// More records than this in one list: the editor and test play draw every object and
// test every record in every frame, and the panel lists each on a line of its own, so
// such a level is slow to work with even where it loads.
constexpr int kManyRecords = 10000;

void CheckCounts(Problems& p) {
    const std::pair<const char*, Number> counts[] = {{"objects", ObjectCount()}, {"paths", PathCount()},
                                                     {"players", ActorCount()}, {"specials", SpecialCount()},
                                                     {"weapons", WeaponCount()}};
    for (const auto& [section, n] : counts) {
        if (n > kManyRecords)
            p.Add(section, "count",
                  Num(n) + " entries; above " + std::to_string(kManyRecords) + " the editor and the game get slow");
    }
}

int CmdCheck(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("check needs a level file");
    if (!IsRegularFile(args[0]))
        return Print({{"problems", json::array({{{"section", ""}, {"entry", ""},
                                                  {"message", "cannot read " + args[0]}}})}},
                     kExitBadInput);
    LoadLevelFrom(args[0]);
    Problems p;
    const int models = static_cast<int>(ModelCount()), textures = static_cast<int>(TextureCount());
    const int paths = static_cast<int>(PathCount()), actors = static_cast<int>(ActorCount());
    for (int m = 0; m < models; ++m)
        CheckMedium(p, "types", std::to_string(m), ModelFiles(m).Std(), ModelSlotLoaded(m));
    for (int t = 0; t < textures; ++t)
        CheckMedium(p, "textures", std::to_string(t), TextureFiles(t).Std(), SpriteLoads(t));
    // The game's fixed media come from the same folder; spare slots hold them here.
    int slot = 4000;
    for (const char* name : {"shadow.kmo", "skybox.kmo"}) {
        LoadObject(StrValue(MediaRoot.Std() + name), slot);
        CheckMedium(p, "memory", "root", name, ModelSlotLoaded(slot));
        ++slot;
    }
    for (const char* name : {"shadow.bmp", "skybox.bmp", "extralife.bmp", "energy.bmp", "shield.bmp",
                             "checkpoint.bmp", "shot1.bmp"}) {
        LoadSprite(StrValue(MediaRoot.Std() + name), slot);
        CheckMedium(p, "memory", "root", name, SpriteLoads(slot));
        ++slot;
    }

    std::vector<bool> followed(static_cast<size_t>(std::max(paths, 0)), false);
    auto numbers = [&](const std::string& section, int row, Number model, Number texture, Number path) {
        const std::string entry = std::to_string(row);
        if (model < 0 || model >= models || model != std::trunc(model))
            p.Add(section, entry, "model " + Num(model) + " names no model");
        if (texture != -1 && (texture < 0 || texture >= textures || texture != std::trunc(texture)))
            p.Add(section, entry, "texture " + Num(texture) + " names no texture");
        if (path != -1) {
            if (path < 0 || path >= paths || path != std::trunc(path))
                p.Add(section, entry, "path " + Num(path) + " names no path");
            else
                followed[static_cast<size_t>(path)] = true;
        }
    };
    for (int o = 0; o < static_cast<int>(ObjectCount()); ++o)
        numbers("objects", o, ObjProps(o, 0), ObjProps(o, 1), ObjProps(o, 4));
    for (int a = 0; a < actors; ++a) numbers("players", a, ActorProps(a, 0), ActorProps(a, 1), ActorProps(a, 5));

    const int capacity = static_cast<int>(PathCapacity());
    for (int q = 0; q < paths; ++q) {
        if (!followed[static_cast<size_t>(q)]) continue;
        const int n = std::clamp(static_cast<int>(PathLen(q)), 0, capacity);
        std::set<std::array<Number, 3>> distinct;
        for (int i = 0; i < n; ++i) distinct.insert({PathPoints(q, i, 0), PathPoints(q, i, 1), PathPoints(q, i, 2)});
        if (distinct.size() < 2)
            p.Add("paths", std::to_string(q),
                  "path has " + std::to_string(distinct.size()) + " distinct points but is followed; it needs two");
    }

    if (actors == 0)
        p.Add("players", "count", "the level has no actor 0, the player");
    else if (ActorProps(0, 4) != 0)
        p.Add("players", "0", "actor 0 is the player but its behaviour is " + Num(ActorProps(0, 4)) + ", not 0 (Player)");

    const int weapons = static_cast<int>(WeaponCount());
    for (int s = 0; s < static_cast<int>(SpecialCount()); ++s) {
        const Number kind = SpecialItems(s, 3);
        if (kind >= 1000 && kind <= 1100 && kind - 1000 >= weapons)
            p.Add("specials", std::to_string(s),
                  "ammunition for weapon kind " + Num(kind - 1000) + ", which does not exist");
    }
    CheckLevelNumbers(p);
    CheckAnimationNumbers(p, std::min(models, kModelSlots));
    CheckCounts(p);
    const bool clean = p.list.empty();
    return Print({{"problems", p.list}}, clean ? kExitOk : kExitBadInput);
}

// "binary" or "text" by the first four bytes, as the loader decides.
std::string ModelForm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    unsigned char b[4] = {0, 0, 0, 0};
    in.read(reinterpret_cast<char*>(b), 4);
    const uint32_t magic = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
    return in.gcount() == 4 && magic == kModelMagic ? "binary" : "text";
}

json ModelSummary(const MeshObject& model, const std::string& form) {
    json frames = json::array();
    for (const MeshFrame& f : model.frames)
        frames.push_back({{"packed", f.packed.size()},
                          {"triangles", f.triangles.size() / 3},
                          {"centre", {f.centre[0], f.centre[1], f.centre[2]}},
                          {"radius", f.radius}});
    return {{"ok", true},
            {"form", form},
            {"frames", model.frames.size()},
            {"palette", model.palette.size()},
            {"texcoords", model.texU.size()},
            {"hasColours", model.hasColours},
            {"frame", frames}};
}

// Why the model reader refused the file, in a designer's words.
std::string ModelProblem(const std::string& path) {
    if (!IsRegularFile(path)) return path + ": no such file";
    std::string bytes;
    if (!ReadRegularFile(path, kMaxModelFileBytes, bytes)) return path + ": cannot be read or is too large";
    if (IsImportableModel(path))
        return path + ": not a .kmo model but a file to import (zentrovel-tool import-model)";
    if (bytes.size() >= 4 && ModelForm(path) == "binary") {
        if (bytes.size() < 12) return path + ": binary model cut short in its header";
        double version = 0;
        std::memcpy(&version, bytes.data() + 4, 8);
        if (version != kModelVersion) return path + ": binary model of version " + Num(version) + ", only 1.02 is read";
        return path + ": binary model cut short or with an index outside its arrays";
    }
    if (bytes.rfind("KMOA", 0) != 0) return path + ": neither a binary model nor a text model starting with KMOA";
    return path + ": text model with a bad version, count or index";
}

int CmdModelInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) return Usage("model-info needs a model file");
    LogCapture log;
    MeshObjectX model;
    const bool ok = LoadModelFile(model, args[0]);
    if (!ok) return Print({{"ok", false}, {"error", ModelProblem(args[0])}, {"log", log.Lines()}}, kExitBadInput);
    json doc = ModelSummary(model, ModelForm(args[0]));
    doc["log"] = log.Lines();
    return Print(doc, kExitOk);
}

int CmdModelConvert(const std::vector<std::string>& args) {
    if (args.size() != 2) return Usage("model-convert needs IN and OUT");
    LogCapture log;
    MeshObjectX model;
    if (!LoadModelFile(model, args[0])) return Print({{"ok", false}, {"log", log.Lines()}}, kExitBadInput);
    if (!SaveModelBinary(model, args[1]))
        return Print({{"ok", false}, {"error", "cannot write " + args[1]}, {"log", log.Lines()}}, kExitBadInput);
    json doc = ModelSummary(model, "binary");
    doc["from"] = ModelForm(args[0]);
    doc["log"] = log.Lines();
    return Print(doc, kExitOk);
}

// Why the picture reader refused the file.
std::string PictureProblem(const std::string& path) {
    if (!IsRegularFile(path)) return path + ": no such file";
    std::vector<uint8_t> bytes;
    if (!ReadRegularFile(path, kMaxPictureFileBytes, bytes)) return path + ": cannot be read or is too large";
    BmpTexture texture;
    switch (DecodeBmp(bytes.data(), bytes.size(), kSpriteColourKey, kDefaultTextureLimit, texture)) {
    case BmpStatus::UnsupportedFormat: {
        const unsigned bits = bytes[28] | bytes[29] << 8;
        return path + ": BMP of " + std::to_string(bits) + " bits per pixel or compressed; 8, 24 and 32 bits are read";
    }
    case BmpStatus::NotBmp:
        if (IsImportableImage(path)) return path + ": not a BMP but a picture to import (zentrovel-tool import-image)";
        return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M' ? path + ": BMP cut short or with a bad header"
                                                                       : path + ": not a BMP file";
    case BmpStatus::Ok:
        break;
    }
    return path + ": cannot be loaded";
}

int CmdImageInfo(const std::vector<std::string>& args) {
    if (args.empty() || args.size() % 2 == 0) return Usage("image-info needs a file and X Y pairs");
    std::vector<std::pair<long, long>> points;
    for (size_t i = 1; i + 1 < args.size(); i += 2) {
        long x = 0, y = 0;
        if (!ParseInt(args[i], x) || !ParseInt(args[i + 1], y)) return Usage("X and Y must be whole numbers");
        points.emplace_back(x, y);
    }
    const int slot = 0;
    const Number made = LoadBmpToSlot(slot, StrValue(args[0]), kSpriteColourKey);
    Number iw = 0, ih = 0, tw = 0, th = 0;
    GetSpriteSize(slot, iw, ih);
    GetSpriteTextureSize(slot, tw, th);
    const std::vector<uint8_t>* texels = GetSpriteTexels(slot);
    const bool ok = made != 0 && texels != nullptr;
    json doc = {{"ok", ok}, {"textures", ok}, {"image", {NumberJson(iw), NumberJson(ih)}},
                {"texture", {NumberJson(tw), NumberJson(th)}}};
    if (!ok) {
        doc["error"] = PictureProblem(args[0]);
        return Print(doc, kExitBadInput);
    }
    json pixels = json::array();
    const long w = static_cast<long>(iw), h = static_cast<long>(ih), twi = static_cast<long>(tw);
    for (auto [x, y] : points) {
        if (x < 0 || y < 0 || x >= w || y >= h) {
            pixels.push_back(nullptr);  // outside the picture
            continue;
        }
        // Texture rows run bottom-up: the picture's top row is row h - 1.
        const size_t at = 4 * static_cast<size_t>((h - 1 - y) * twi + x);
        pixels.push_back({(*texels)[at], (*texels)[at + 1], (*texels)[at + 2], (*texels)[at + 3]});
    }
    doc["pixels"] = pixels;
    return Print(doc, kExitOk);
}

// The value after an option, as a number, or false.
bool OptionNumber(const std::vector<std::string>& args, size_t& i, double& out) {
    if (i + 1 >= args.size()) return false;
    try {
        size_t used = 0;
        out = std::stod(args[++i], &used);
        return used == args[i].size() && std::isfinite(out);
    } catch (...) {
        return false;
    }
}

int CmdImportModel(const std::vector<std::string>& args) {
    if (args.size() < 2) return Usage("import-model needs IN and OUT.kmo");
    ModelImportOptions o;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--scale") {
            if (!OptionNumber(args, i, o.scale) || o.scale <= 0) return Usage("--scale takes a number above 0");
        } else if (args[i] == "--fps") {
            if (!OptionNumber(args, i, o.fps) || o.fps <= 0 || o.fps > 1000) return Usage("--fps takes 1 to 1000");
        } else if (args[i] == "--up" && i + 1 < args.size() && (args[i + 1] == "y" || args[i + 1] == "z")) {
            o.zUp = args[++i] == "z";
        } else if (args[i] == "--text") {
            o.text = true;
        } else {
            return Usage("unknown or incomplete import-model option " + args[i]);
        }
    }
    ModelImport r = ImportModel(args[0], o);
    if (r.ok && !WriteModelImport(r, args[1])) r.ok = false;
    if (!r.ok) return Print({{"ok", false}, {"error", r.error}}, kExitBadInput);
    json anims = json::array();
    for (const auto& a : r.animations)
        anims.push_back({{"name", a.name}, {"first", a.first}, {"last", a.last},
                         {"slot", a.slot < 0 ? json(nullptr) : json(kAnimSlotNames[a.slot])}});
    return Print({{"ok", true},
                  {"file", args[1]},
                  {"animationFile", r.animationBytes.empty() ? json(nullptr) : json(args[1] + "a")},
                  {"triangles", r.triangles},
                  {"frames", r.frames},
                  {"animations", anims},
                  {"bounds", {{"min", r.boundsMin}, {"max", r.boundsMax}}},
                  {"quantisationError", r.quantisationError},
                  {"textures", r.textures},
                  {"warnings", r.warnings}},
                 kExitOk);
}

int CmdImportImage(const std::vector<std::string>& args) {
    if (args.size() < 2 || args.size() > 3 || (args.size() == 3 && args[2] != "--key"))
        return Usage("import-image needs IN and OUT.bmp, and takes --key");
    ImageImport r = ImportImage(args[0], args.size() == 3);
    if (r.ok && !WriteFileAtomically(args[1], r.bmpBytes)) {
        r.ok = false;
        r.error = args[1] + ": " + LastWriteFailure();
    }
    if (!r.ok) return Print({{"ok", false}, {"error", r.error}}, kExitBadInput);
    return Print({{"ok", true},
                  {"file", args[1]},
                  {"width", r.width},
                  {"height", r.height},
                  {"bits", r.bits},
                  {"transparency", r.transparency},
                  {"key", r.keyed},
                  {"warnings", r.warnings}},
                 kExitOk);
}

int CmdRender(const std::vector<std::string>& args) {
    if (args.size() < 2) return Usage("render needs LEVEL and OUT.png");
    RenderOptions opt;
    for (size_t i = 2; i < args.size(); ++i) {
        if (args[i] == "--view" && i + 1 < args.size()) {
            long v = -1;
            if (!ParseInt(args[++i], v) || v < 0 || v > 3) return Usage("--view takes 0, 1, 2 or 3");
            opt.view = static_cast<int>(v);
        } else if (args[i] == "--size" && i + 1 < args.size()) {
            const std::string s = args[++i];
            const size_t x = s.find('x');
            long w = 0, h = 0;
            if (x == std::string::npos || !ParseInt(s.substr(0, x), w) || !ParseInt(s.substr(x + 1), h) || w < 16 ||
                h < 16 || w > 8192 || h > 8192)
                return Usage("--size takes WxH, each 16 to 8192");
            opt.width = static_cast<int>(w);
            opt.height = static_cast<int>(h);
        } else if (args[i] == "--distance" && i + 1 < args.size()) {
            long d = 0;
            if (!ParseInt(args[++i], d) || d < 1 || d > 500) return Usage("--distance takes 1 to 500");
            opt.distance = static_cast<double>(d);
        } else {
            return Usage("unknown render option " + args[i]);
        }
    }
    if (!IsRegularFile(args[0])) return Print({{"ok", false}, {"error", "cannot read " + args[0]}}, kExitBadInput);
    const fs::path out = Absolute(args[1]);
    const fs::path level = Absolute(args[0]);
    std::string error;
    if (!RenderLevel(level.string(), out.string(), opt, error))
        return Print({{"ok", false}, {"error", error}}, kExitBadInput);
    return Print({{"ok", true}, {"file", out.string()}, {"view", opt.view}, {"size", {opt.width, opt.height}}, {"distance", NumberJson(opt.distance)}},
                 kExitOk);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--version") {
        std::cout << "zentrovel-tool " << ZV_VERSION << std::endl;
        return kExitOk;
    }
    // The model loader's trace goes to standard output, which belongs to the JSON answer.
    SetModelLoadTrace(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) return Usage("no command");
    const std::string cmd = args[0];
    args.erase(args.begin());
    int code;
    try {
        if (cmd == "demo") code = CmdDemo(args);
        else if (cmd == "new") code = CmdNew(args);
        else if (cmd == "resave") code = CmdResave(args);
        else if (cmd == "check") code = CmdCheck(args);
        else if (cmd == "model-info") code = CmdModelInfo(args);
        else if (cmd == "model-convert") code = CmdModelConvert(args);
        else if (cmd == "image-info") code = CmdImageInfo(args);
        else if (cmd == "render") code = CmdRender(args);
        else if (cmd == "import-model") code = CmdImportModel(args);
        else if (cmd == "import-image") code = CmdImportImage(args);
        else code = Usage("unknown command " + cmd);
    } catch (const std::exception& e) {
        // The answer is JSON whatever went wrong with the input.
        code = Print({{"ok", false}, {"error", e.what()}}, kExitBadInput);
    }
    std::fflush(stdout);
    return code;
}
