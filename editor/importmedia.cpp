// Bringing media into the level's media folder from anywhere on disk.
#include "editor/importmedia.h"

#include <filesystem>   // Required for: paths, equivalent
#include <string>
#include <vector>

#include "import/import.h"
#include "level/level.h"               // Required for: MediaRoot, ModelFiles, TextureFiles, AddTexture
#include "level/levelfile.h"           // Required for: LoadModelAnims
#include "gui/messagebox.h"
#include "runtime/files/filerequest.h"
#include "runtime/files/files.h"
#include "runtime/gfx2d/sprites.h"     // Required for: LoadSprite
#include "runtime/gfx3d/engine.h"      // Required for: LoadObject

namespace {

namespace fs = std::filesystem;

bool HasExtension(const fs::path& p, std::string_view ext) { return SameIgnoringCase(p.extension().string(), ext); }

fs::path MediaFolder() {
    std::string root = MediaRoot.Std();
    if (root.empty()) root = ".";
    return fs::path(root);
}

// The chosen file's full path, asked for in the media folder; "" when cancelled.
std::string Request(const std::string& filter) {
    const StrValue dir = GetCurrentDir();
    SetCurrentDir(MediaRoot);
    const StrValue answer = FileRequest(StrValue(filter), 1);
    SetCurrentDir(dir);
    return answer == "NO_FILE" ? std::string() : answer.Std();
}

bool InMediaFolder(const fs::path& file) {
    std::error_code ec;
    return fs::equivalent(file.parent_path().empty() ? fs::path(".") : file.parent_path(), MediaFolder(), ec);
}

// The reason part of an importer's "file: reason" message.
std::string Reason(const std::string& error, const std::string& path) {
    return error.rfind(path + ": ", 0) == 0 ? error.substr(path.size() + 2) : error;
}

bool Refuse(const std::string& name, const std::string& why) {
    MessageBox(StrValue("Could not import " + name + ": " + why), 0);
    return false;
}

// True when `name` may be written into the media folder: it is not there yet, or the
// designer agrees to replace it.
bool MayWrite(const std::string& name) {
    std::error_code ec;
    if (!fs::exists(MediaFolder() / name, ec)) return true;
    return MessageBox(StrValue(name + " is already in the media folder. Replace it?"), 1) != 0;
}

bool WriteMedia(const std::string& name, const std::string& bytes) {
    if (WriteFileAtomically((MediaFolder() / name).string(), bytes)) return true;
    return Refuse(name, LastWriteFailure());
}

// Slots already holding a file of that name load it again, so they show what it now is.
void ReloadListed(const std::string& name, bool model) {
    const DimArray<StrValue>& files = model ? ModelFiles : TextureFiles;
    const int count = static_cast<int>(model ? ModelCount() : TextureCount());
    for (int i = 0; i < count; ++i) {
        if (files(i).Std() != name) continue;
        const StrValue path = MediaRoot + files(i);
        if (model) {
            LoadObject(path, i);
            LoadModelAnims(i, path);
        } else {
            LoadSprite(path, i);
        }
    }
}

// Copies a ".kmo" (with its animation file) or ".bmp" from elsewhere into the media folder.
bool CopyIn(const fs::path& from, bool model) {
    const std::string name = from.filename().string();
    std::string bytes, anim;
    if (!ReadRegularFile(from.string(), model ? kMaxModelFileBytes : kMaxPictureFileBytes, bytes))
        return Refuse(name, "the file cannot be read");
    const bool hasAnim = model && ReadRegularFile(from.string() + "a", kMaxLineFileBytes, anim);
    if (!MayWrite(name) || !WriteMedia(name, bytes)) return false;
    if (hasAnim) WriteMedia(name + "a", anim);
    return true;
}

// The picture of a texture as a ".bmp" in the media folder; its name, or "" when it was
// not brought in.
std::string BringPicture(const fs::path& from, const std::string& bmpName, const ImageImport* decoded = nullptr) {
    if (!decoded && HasExtension(from, ".bmp")) {
        if (InMediaFolder(from)) return from.filename().string();
        return CopyIn(from, false) ? from.filename().string() : std::string();
    }
    const ImageImport image = decoded ? *decoded : ImportImage(from.string(), false);
    if (!image.ok) return Refuse(from.filename().string(), Reason(image.error, from.string())), std::string();
    if (!MayWrite(bmpName) || !WriteMedia(bmpName, image.bmpBytes)) return "";
    return bmpName;
}

// Where a texture the model names is: as written, or beside the model.
fs::path FindTexture(const fs::path& model, std::string named) {
    for (char& c : named) {
        if (c == '\\') c = '/';
    }
    const fs::path p(named);
    std::error_code ec;
    for (const fs::path& candidate : {p.is_absolute() ? p : model.parent_path() / p, model.parent_path() / p.filename()}) {
        if (fs::is_regular_file(candidate, ec)) return candidate;
    }
    return model.parent_path() / p.filename();
}

void BringTextures(const fs::path& model, const ModelImport& imported) {
    int embedded = 0;
    for (const std::string& texture : imported.textures) {
        std::string name;
        bool found = false;
        for (const auto& [id, bytes] : imported.embedded) {
            if (id != texture) continue;
            found = true;
            const std::string bmp = model.stem().string() + "_" + std::to_string(embedded++) + ".bmp";
            const ImageImport image =
                ImportImageBytes(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), bmp, false);
            name = BringPicture(bmp, bmp, &image);
        }
        if (!found) {
            const fs::path file = FindTexture(model, texture);
            name = BringPicture(file, file.stem().string() + ".bmp");
        }
        if (name.empty()) continue;
        ReloadListed(name, false);
        bool listed = false;
        for (int i = 0; i < TextureCount(); ++i) listed = listed || TextureFiles(i).Std() == name;
        if (!listed) AddTexture(StrValue(name));
    }
}

bool ImportModelFile(const fs::path& from, std::string& name) {
    const ModelImport imported = ImportModel(from.string(), ModelImportOptions{});
    if (!imported.ok) return Refuse(from.filename().string(), Reason(imported.error, from.string()));
    name = from.stem().string() + ".kmo";
    if (!MayWrite(name) || !WriteMedia(name, imported.modelBytes)) return false;
    // The line file cache may hold the old animation file of this name.
    CloseLineFile();
    std::error_code ec;
    if (imported.animationBytes.empty()) fs::remove(MediaFolder() / (name + "a"), ec);
    else WriteMedia(name + "a", imported.animationBytes);
    ReloadListed(name, true);
    BringTextures(from, imported);
    return true;
}

}  // namespace

StrValue PickModelToAdd() {
    const std::string picked =
        Request("Models (*.kmo, OBJ, glTF, FBX, Collada, PLY, STL, ...)|*.kmo;" + ModelImportPatterns() +
                "|KMO Objects (*.kmo)|*.kmo");
    if (picked.empty()) return "NO_FILE";
    const fs::path from(picked);
    std::string name = from.filename().string();
    if (HasExtension(from, ".kmo")) {
        if (!InMediaFolder(from)) {
            if (!CopyIn(from, true)) return "NO_FILE";
            CloseLineFile();
            ReloadListed(name, true);
        }
        return StrValue(name);
    }
    return ImportModelFile(from, name) ? StrValue(name) : StrValue("NO_FILE");
}

StrValue PickTextureToAdd() {
    const std::string picked =
        Request("Textures (*.bmp, PNG, JPEG, TGA, GIF, PSD)|*.bmp;" + ImageImportPatterns() + "|Textures (*.bmp)|*.bmp");
    if (picked.empty()) return "NO_FILE";
    const fs::path from(picked);
    const std::string name = BringPicture(from, from.stem().string() + ".bmp");
    if (name.empty()) return "NO_FILE";
    ReloadListed(name, false);
    return StrValue(name);
}
