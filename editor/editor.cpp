// The editor: start-up, the main panel and loop, the test cycle and the recovery copy.
//
// Dependencies: level/level, level/levelfile, editor/view, editor/objectdialog,
// editor/dialogs, game/playlevel, gui, runtime (frame, input, files, gfx2d, gfx3d).
#include "editor/editor.h"

#include <array>
#include <cmath>        // Required for: std::trunc, std::floor
#include <cstdint>      // Required for: uint64_t
#include <cstdio>       // Required for: snprintf (the name of a level's copy in the data folder)
#include <cstdlib>      // Required for: getenv
#include <filesystem>   // Required for: last_write_time
#include <string>
#include <string_view>
#include <system_error>

#include "editor/dialogs.h"
#include "editor/importmedia.h"
#include "editor/inuse.h"
#include "level/level.h"
#include "level/levelfile.h"
#include "editor/objectdialog.h"
#include "editor/undo.h"
#include "editor/view.h"
#include "editor/viewinput.h"
#include "game/path.h"         // Required for: PathPointCount
#include "game/playlevel.h"    // Required for: PlayLevel, LoadGameMediaFiles
#include "gui/dialog.h"
#include "gui/messagebox.h"
#include "gui/proptable.h"
#include "gui/widgets.h"
#include "runtime/files/filerequest.h"
#include "runtime/files/files.h"
#include "runtime/frame/frame.h"
#include "runtime/frame/input.h"
#include "runtime/frame/numbers.h"
#include "runtime/frame/program.h"
#include "runtime/gfx2d/draw2d.h"
#include "runtime/gfx2d/sprites.h"
#include "runtime/gfx3d/engine.h"
#include "runtime/platform/scancodes.h"

namespace {

constexpr int kEditorFrameLimit = 15;
constexpr int kListWidth = 250;

struct EditorState {
    DimArray<Number> editPos;   // the scratch position handed to the position dialog
    std::string levelFile;      // the level's file, absolute
    std::string levelDir;       // where the level's file lives, ending with "/"
    std::string interfaceDir;   // where the editor's own media were read, ending with "/"
    std::string savedLevel;     // the level as last loaded or saved (LevelFingerprint)
    std::string testLevel;      // the level as saved to "test.ini" for the running test
    std::string copiedLevel;    // the level as the recovery copy last took it
    Number nextRefresh = 0;     // when the recovery copy may be brought up to date again
    bool started = false;       // an editor session is open (its level can be recovered)
    bool testRunning = false;
};

EditorState editor;
std::string requestedLevel;     // SetLevelFile's choice; empty: "level.ini" in the working directory

// ---- Change tracking

// Numbers as the level file writes them: general, or with a fixed count of decimals.
// A level compared in this form is unchanged when all that differs is what the file
// does not keep, as after the reload that ends every test run.
constexpr int kGeneral = -1;

void AddNumber(std::string& out, Number v, int decimals = kGeneral) {
    out += (decimals == kGeneral ? NumberToText(v) : FormatNumber(0, decimals, v)).Std();
    out += ' ';
}

void AddTable(std::string& out, const char* name, const DimArray<Number>& a, int rows, const int* columns,
              const int* decimals, int count) {
    out += name;
    out += '\n';
    for (int i = 0; i < rows; ++i) {
        for (int k = 0; k < count; ++k) AddNumber(out, a(i, columns[k]), decimals[k]);
        out += '\n';
    }
}

// Everything the level file keeps, as precisely as it keeps it. Objects that follow a
// path leave out their position: the editor's preview moves them without any edit.
std::string LevelFingerprint() {
    std::string out = "root ";
    out += MediaRoot.Std();
    out += "\ncapacity ";
    AddNumber(out, PathCapacity());
    out += "\nmodels\n";
    for (int i = 0; i < ModelCount(); ++i) out += ModelFiles(i).Std() + "\n";
    out += "textures\n";
    for (int i = 0; i < TextureCount(); ++i) out += TextureFiles(i).Std() + "\n";
    out += "objects\n";
    for (int i = 0; i < ObjectCount(); ++i) {
        const bool onPath = PathPointCount(ObjProps(i, 4)) > 0;
        for (int k = onPath ? 3 : 0; k < kObjPosColumns; ++k) AddNumber(out, ObjPos(i, k));
        for (int k = 0; k < kObjPropsColumns; ++k) AddNumber(out, ObjProps(i, k));
        out += '\n';
    }
    out += "paths\n";
    for (int p = 0; p < PathCount(); ++p) {
        AddNumber(out, PathLen(p));
        const int points = static_cast<int>(PathPointCount(p));
        for (int k = 0; k < points; ++k) {
            for (int c = 0; c < 3; ++c) AddNumber(out, PathPoints(p, k, c), 1);
        }
        out += '\n';
    }
    const int actorProps[] = {0, 1, 4, 5};
    const int general[] = {kGeneral, kGeneral, kGeneral, kGeneral};
    AddTable(out, "actors", ActorProps, static_cast<int>(ActorCount()), actorProps, general, 4);
    const int actorPos[] = {0, 1, 2};
    const int oneDecimal[] = {1, 1, 1};
    AddTable(out, "starts", ActorPos, static_cast<int>(ActorCount()), actorPos, oneDecimal, 3);
    const int all[] = {0, 1, 2, 3, 4};
    const int specialDecimals[] = {1, 1, 1, kGeneral, kGeneral};
    AddTable(out, "specials", SpecialItems, static_cast<int>(SpecialCount()), all, specialDecimals, kSpecialColumns);
    const int weaponDecimals[] = {2, 2, 1};
    AddTable(out, "weapons", WeaponTable, static_cast<int>(WeaponCount()), all, weaponDecimals, kWeaponColumns);
    return out;
}

void RememberLevelAsSaved() { editor.savedLevel = LevelFingerprint(); }

// ---- Files beside the level

std::string LevelPath(const char* name) { return editor.levelDir + name; }
std::string LevelName() { return editor.levelFile.substr(editor.levelDir.size()); }

// "level.ini" keeps its copy in "level.recover.ini", "castle.ini" in "castle.recover.ini".
std::string RecoveryName() {
    std::string stem = LevelName();
    if (stem.size() > 4 && stem.ends_with(".ini")) stem.resize(stem.size() - 4);
    return stem + ".recover.ini";
}

// Where the copy goes when the level's folder takes no file (a full disk, a read-only
// mount): the user's data folder, under a name that tells levels of one name apart.
std::string DataFolderCopy() {
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') data = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home) data = std::string(home) + "/.local/share";
    else return {};
    uint64_t hash = 14695981039346656037ull;   // FNV-1a of the level's path
    for (unsigned char c : editor.levelFile) hash = (hash ^ c) * 1099511628211ull;
    char tag[24];
    std::snprintf(tag, sizeof tag, "-%016llx", static_cast<unsigned long long>(hash));
    const std::string name = RecoveryName();
    return data + "/zentrovel/" + name.substr(0, name.size() - 12) + tag + ".recover.ini";
}

std::array<std::string, 2> RecoveryCopies() { return {editor.levelDir + RecoveryName(), DataFolderCopy()}; }

// The newest recovery copy that is newer than the level's file, or "".
std::string NewerRecoveryCopy() {
    namespace fs = std::filesystem;
    std::error_code ec;
    auto newest = fs::file_time_type::min();
    if (fs::exists(editor.levelFile, ec)) {
        newest = fs::last_write_time(editor.levelFile, ec);
        if (ec) newest = fs::file_time_type::min();
    }
    std::string found;
    for (const std::string& copy : RecoveryCopies()) {
        if (copy.empty() || !fs::is_regular_file(copy, ec)) continue;
        const auto time = fs::last_write_time(copy, ec);
        if (!ec && time > newest) {
            newest = time;
            found = copy;
        }
    }
    return found;
}

void DeleteRecoveryCopies() {
    for (const std::string& copy : RecoveryCopies()) {
        if (!copy.empty()) DeleteFileText(copy.c_str());
    }
    editor.copiedLevel.clear();
}

bool CopyFileBytes(const std::string& from, const std::string& to) {
    std::string bytes;
    if (!ReadRegularFile(from, kMaxIniFileBytes, bytes)) return false;
    return WriteFileAtomically(to, bytes);
}

// Loads "level.ini", or the recovery copy when it is newer and the designer wants it.
void LoadStartLevel() {
    const std::string copy = NewerRecoveryCopy();
    if (!copy.empty()) {
        SetSystemPointer(1);
        LoadFont(OwnMediaFile("guifont.bmp"), kGuiFont);
        SetFont(kGuiFont);
        const Number yes = MessageBox(
            "The level was not saved when the editor last ended. Load the recovered copy?", 1);
        if (yes != 0) {
            LoadLevel(copy.c_str());
            // Not yet in the level's file: ending again without saving keeps the copy.
            editor.savedLevel.clear();
            return;
        }
        DeleteRecoveryCopies();
    }
    LoadLevel(editor.levelFile.c_str());
    RememberLevelAsSaved();
}

// The level's folder becomes the working directory, so that a relative media root and
// the file dialogs start there, as when the editor was started in it.
void EnterLevelFolder() {
    namespace fs = std::filesystem;
    editor.interfaceDir = GetCurrentDir().Std();
    std::error_code ec;
    const fs::path level = fs::absolute(requestedLevel.empty() ? editor.interfaceDir + kLevelFile : requestedLevel, ec);
    editor.levelFile = level.lexically_normal().string();
    editor.levelDir = level.lexically_normal().parent_path().string();
    if (!editor.levelDir.ends_with('/')) editor.levelDir += '/';
    SetCurrentDir(editor.levelDir.c_str());
}

// ---- The main panel

// A list selection as a record number of a kind with `count` records, or -1.
int Selected(const char* list, Number count) {
    const Number s = GetPropNum(StrValue(list) + "SELECT");
    return s >= 0 && s < count ? static_cast<int>(s) : -1;
}

std::string_view NameOr(const DimArray<StrValue>& names, Number n, std::string_view none) {
    return n >= 0 && n < names.Extent(0) ? names(n).View() : none;
}

// The panel's line of object o: its number in two places, the model cut so that the
// texture stays in view, "/", the texture.
void AppendObjectLine(std::string& items, std::string& line, int o) {
    char number[16];
    std::snprintf(number, sizeof number, "%2d", o);
    line = number;
    line += NameOr(ModelFiles, ObjProps(o, 0), "<no model>");
    line.resize(18, ' ');
    line += '/';
    const Number texture = ObjProps(o, 1);
    line += texture < 0 ? std::string_view("<no tex>") : NameOr(TextureFiles, texture, "<no tex>");
    if (line.size() > 28) line.resize(28);
    AppendItem(items, line);
}

void AddCaption(const char* text) {
    AddSpacer(10000, 10);
    NewWidget("", text, 0, 0);
    AddSpacer(10000, 0);
}

// Lists are filled in one piece: a level may hold a hundred thousand objects.
void AddNameList(const char* id, const DimArray<StrValue>& names) {
    AddList(id, "", kListWidth, 0);
    std::string items;
    const int n = static_cast<int>(names.Extent(0));
    for (int i = 0; i < n; ++i) AppendItem(items, names(i).View());
    AddItems(id, StrValue(items));
}

}  // namespace

void BuildPanel() {
    SetFont(kGuiFont);
    const std::vector<ListView> views = RememberListViews();
    DialogReset();
    AddButton("bt_general", "Opts", 0, 0);
    AddButton("bt_players", "Actors", 0, 0);
    AddButton("bt_paths", "Paths", 0, 0);
    AddButton("bt_specials", "Specials", 0, 0);
    AddButton("bt_weapons", "Weapons", 0, 0);
    AddButton("bt_view", "Camera", 0, 0);

    AddCaption("Models");
    AddNameList("ls_kmo", ModelFiles);
    AddSpacer(10000, 10);
    AddButton("bt_kmo_new", "New", 0, 0);
    AddButton("bt_kmo_del", "Delete", 0, 0);
    AddButton("bt_kmo_ani", "Ani", 0, 0);

    AddCaption("Textures");
    AddNameList("ls_tex", TextureFiles);
    AddSpacer(10000, 0);
    AddButton("bt_tex_new", "New", 0, 0);
    AddButton("bt_tex_del", "Delete", 0, 0);

    AddCaption("Objects in Level");
    AddList("ls_obj", "", kListWidth, 0);
    std::string lines, line;
    const int objects = static_cast<int>(ObjectCount());
    lines.reserve(static_cast<size_t>(objects) * 29);
    for (int o = 0; o < objects; ++o) AppendObjectLine(lines, line, o);
    AddItems("ls_obj", StrValue(lines));
    AddSpacer(10000, 0);
    AddButton("bt_obj_new", "New", 0, 0);
    AddButton("bt_obj_edit", "Edit", 0, 0);
    AddButton("bt_obj_pos", "Pos", 0, 0);
    AddButton("bt_obj_del", "Delete", 0, 0);

    AddSpacer(10000, 10);
    AddButton("bt_save", "Save", 0, 0);
    AddButton("bt_test", "Test", 0, 0);
    RestoreListViews(views);
}

namespace {

// ---- One frame

void DrawBackdrop() {
    DrawDimmedLevelView();
    const int o = Selected("ls_obj", ObjectCount());
    if (o < 0 || BlinkShown() == 0) return;
    SetScaling(1.01, 1.01, 1.01);
    SetMovement(ObjPos(o, 0), ObjPos(o, 1), ObjPos(o, 2));
    AddRotation(ObjPos(o, 3), 0, 1, 0);
    SetTexture(ObjProps(o, 1), -1);
    DrawObject(ObjProps(o, 0), 0);
}

void PositionSelectedObject() {
    const int o = Selected("ls_obj", ObjectCount());
    if (o < 0) return;
    for (int k = 0; k < 4; ++k) editor.editPos(k) = ObjPos(o, k);
    if (PositionDialog(ObjProps(o, 0), editor.editPos) == 0) return;
    for (int k = 0; k < 4; ++k) ObjPos(o, k) = editor.editPos(k);
    // The view follows the object in this very frame.
    SetProp("ls_objCLICKED", "1");
}

// The panel shows a "|" in a name as another character; two files told apart only by
// that would look alike, so such names are not taken in.
bool UsableMediaName(const StrValue& name) {
    if (name.View().find('|') == std::string_view::npos) return true;
    MessageBox("File names with | cannot be used: "_s + name, 0);
    return false;
}

void NewObject() {
    // An object needs a model to be drawn and listed.
    if (ModelCount() < 1) {
        MessageBox("Add a model before placing objects.", 0);
        return;
    }
    AddObject(0, -1, 0, 0, -1, 0, 0, 0, 0);
    ObjectDialog(ObjectCount() - 1);
    // The rebuild shows the new object selected.
    SetPropNum("ls_objSELECT", ObjectCount() - 1);
}

// The player must keep a model; whatever else uses the model goes only when confirmed.
bool ConfirmModelDeletion(int m) {
    if (ActorCount() > 0 && ActorProps(0, 0) == m) {
        MessageBox(ModelFiles(m) + " is the player's model. Give the player another model first.", 0);
        return false;
    }
    return ConfirmDeletion(ModelFiles(m), ModelUses(m), true);
}

// ---- Knowing what is saved, and quitting

bool UnsavedChanges() { return (editor.testRunning ? editor.testLevel : LevelFingerprint()) != editor.savedLevel; }

// "Zentrovel - level.ini", with " *" while there are unsaved changes.
void ShowSavedState() {
    SetWindowTitle(StrValue("Zentrovel - " + LevelName() + (UnsavedChanges() ? " *" : "")));
}

// Asked before the close button, Alt+F4 or Escape end the editor; test play may be
// running under the question, so its pointer and font come back after "No".
bool ConfirmQuit() {
    if (!editor.started || !UnsavedChanges()) return true;
    const bool captured = !SystemPointer();
    const Number font = GetCurrentFont();
    SetFont(kGuiFont);
    const bool quit = MessageBox("Quit without saving?", 1) != 0;
    SetFont(font);
    if (captured) SetSystemPointer(0);
    return quit;
}

// Ctrl+S. Chords type no character, so the keys are read as they are.
bool SaveKeysPressed() {
    return (ModifierHeld(kKeyLControl) || ModifierHeld(kKeyRControl)) && KeyHit(kKeyS) != 0;
}

// Handles the panel's events in their fixed order; true when the panel must be rebuilt
// (the remaining events then wait for the next frame).
bool HandleEvents() {
    if (Clicked("bt_specials")) SpecialItemsDialog();
    if (Clicked("bt_weapons")) WeaponsDialog();
    if (Clicked("bt_save") || SaveKeysPressed()) SaveLevelWithMessage();
    if (Clicked("bt_test")) {
        TestLevel();
        return true;
    }
    if (Clicked("bt_kmo_new")) {
        const StrValue name = PickModelToAdd();
        if (name != "NO_FILE" && UsableMediaName(name)) {
            const Number before = ModelCount();
            AddModel(name);
            if (ModelCount() > before) SetPropNum("ls_kmoSELECT", before);
            return true;
        }
    }
    if (Clicked("bt_kmo_del")) {
        const int m = Selected("ls_kmo", ModelCount());
        if (m >= 0 && ConfirmModelDeletion(m)) DeleteModel(m);
        return true;
    }
    if (Clicked("bt_kmo_ani")) {
        const int m = Selected("ls_kmo", ModelCount());
        if (m >= 0) AnimationDialog(m);
        return true;
    }
    if (Clicked("bt_tex_new")) {
        const StrValue name = PickTextureToAdd();
        const Number before = TextureCount();
        if (UsableMediaName(name)) AddTexture(name);
        if (TextureCount() > before) SetPropNum("ls_texSELECT", before);
        return true;
    }
    if (Clicked("bt_tex_del")) {
        const int t = Selected("ls_tex", TextureCount());
        if (t >= 0 && ConfirmDeletion(TextureFiles(t), TextureUses(t), false)) DeleteTexture(t);
        return true;
    }
    if (Clicked("bt_obj_new")) {
        NewObject();
        return true;
    }
    if (Clicked("bt_obj_edit")) {
        const int o = Selected("ls_obj", ObjectCount());
        if (o >= 0) ObjectDialog(o);
    }
    if (Clicked("bt_obj_del")) {
        const int o = Selected("ls_obj", ObjectCount());
        if (o >= 0) {
            DeleteObject(o);
            return true;
        }
    }
    if (Clicked("bt_obj_pos")) PositionSelectedObject();
    if (Clicked("ls_obj")) {
        const int o = Selected("ls_obj", ObjectCount());
        if (o >= 0) {
            for (int k = 0; k < 3; ++k) ViewTarget(k) = ObjPos(o, k);
        }
    }
    if (Clicked("bt_view")) PositionDialog(-1, editor.editPos);
    if (Clicked("bt_paths")) PathDialog();
    if (Clicked("bt_general")) MessageBox("Needs to be implemented, yet!", 0);
    if (Clicked("bt_players")) ActorListDialog();
    if (KeyHit(kKeyEscape) != 0 && ConfirmQuit()) {
        SetEndCode(0);
        EndProgram();
    }
    return false;
}

// The longest the idle editor keeps its last picture before drawing a fresh one.
constexpr Number kLongestIdle = 2000;
// WaitForInput gives up after 8 naps of 30 ms; a return well before that means input.
constexpr Number kInputCameEarly = 200;

// Which half of the clock's second the selected object's blink is in (-1: no blink).
int BlinkPhase() {
    if (Selected("ls_obj", ObjectCount()) < 0) return -1;
    return IntMod(std::floor(GetElapsedTime()), 1000) < 500 ? 1 : 0;
}

struct PointerState {
    Number x = 0, y = 0, left = 0, right = 0;
    bool operator==(const PointerState&) const = default;
};

PointerState ReadPointerState() {
    PointerState s;
    MouseState(s.x, s.y, s.left, s.right);
    return s;
}

// Waits for input, and while there is none keeps the last picture until the blink
// needs the other half or kLongestIdle has passed: every picture costs a full redraw
// of the level, which an idle editor should not pay a few times a second. Input that
// comes late in one wait is told by the pointer having changed since the start.
void WaitForInputOrBlink() {
    const int phase = BlinkPhase();
    const PointerState pointer = ReadPointerState();
    // A wheel step is read once; the next poll would forget it.
    auto wheelOrMiddle = [] { return MouseAxis(2) != 0 || MouseAxis(5) != 0; };
    if (wheelOrMiddle()) return;
    const Number start = GetTimeMs();
    for (;;) {
        const Number before = GetTimeMs();
        WaitForInput();
        const Number now = GetTimeMs();
        if (now - before < kInputCameEarly || !(ReadPointerState() == pointer) || wheelOrMiddle()) return;
        if (BlinkPhase() != phase || now - start >= kLongestIdle) return;
    }
}

void RecoverOnEnd() {
    // A fault while writing the copy ends the program again; that end must not retry.
    static bool writing = false;
    if (writing) return;
    struct Writing {
        Writing() { writing = true; }
        ~Writing() { writing = false; }
    } guard;
    WriteRecoveryCopy();
    editor.started = false;
}

// Writes the copy where it can go; `level` is what it holds (as LevelFingerprint).
Number WriteRecoveryCopyOf(const std::string& level) {
    const auto write = [](const std::string& to) {
        return editor.testRunning ? CopyFileBytes(LevelPath(kTestFile), to) : SaveLevel(to.c_str()) >= 0;
    };
    const auto [beside, data] = RecoveryCopies();
    bool written = write(beside);
    if (!written && !data.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(data).parent_path(), ec);
        written = write(data);
    }
    if (!written) return 0;
    editor.copiedLevel = level;
    return 1;
}

// While changes are unsaved the copy follows them, at most once a minute, so that a
// crash or a killed editor loses at most that much.
constexpr Number kRefreshMs = 60000;

void RefreshRecoveryCopy() {
    const Number now = GetTimeMs();
    if (!editor.started || now < editor.nextRefresh) return;
    editor.nextRefresh = now + kRefreshMs;
    const std::string level = editor.testRunning ? editor.testLevel : LevelFingerprint();
    if (level != editor.savedLevel && level != editor.copiedLevel) WriteRecoveryCopyOf(level);
}

}  // namespace

void SetLevelFile(const StrValue& path) { requestedLevel = path.Std(); }

void EditorStart() {
    LoadObject(OwnMediaFile("pointer.kmo"), kPointerModel);
    LoadSprite(OwnMediaFile("hand.bmp"), kHandSprite);
    LoadObject(OwnMediaFile("skybox.kmo"), kSkyModel);
    LoadSprite(OwnMediaFile("skybox.bmp"), kSkySprite);
    LoadSprite(OwnMediaFile("mousehelp.bmp"), kMouseHelpSprite);
    LoadSprite(OwnMediaFile("mousepointer.bmp"), kMousePointerSprite);
    ResetLevelArrays();
    SetFrameLimit(kEditorFrameLimit);
    ViewDistance = 12;
    ViewTarget.Dim(4);
    PreviewTime = 0;
    GetScreenSize(ScreenW, ScreenH);

    EnterLevelFolder();
    editor.testRunning = false;
    // Escape is the main panel's and the dialogs' own key; ending asks first.
    AllowEscape(0);
    SetQuitCheck(ConfirmQuit);
    LoadStartLevel();
    editor.started = true;
    editor.copiedLevel.clear();
    editor.nextRefresh = GetTimeMs() + kRefreshMs;
    AddShutdownStep("editor recovery copy", RecoverOnEnd);
    AddFlipHook("editor recovery copy", RefreshRecoveryCopy);
    LoadGameMedia();
    EditorMain();
}

void EditorMain() {
    editor.editPos.Dim(4);
    SetSystemPointer(1);
    SetMousePosition(100, 100);
    LoadFont(OwnMediaFile("guifont.bmp"), kGuiFont);
    DialogInit(0, 0, ScreenW / 3, ScreenH);
    BuildPanel();
    StartUndoHistory();
    ShowSavedState();
    for (;;) {
        const Number flips = FlipCount();
        SetFont(kGuiFont);
        DialogShow(1);
        HandleViewInput();
        DrawBackdrop();
        bool rebuilt = HandleEvents();
        if (rebuilt || FlipCount() != flips) RecordUndoStep();
        if (HandleUndoKeys()) rebuilt = true;
        if (rebuilt) BuildPanel();
        // What was drawn above is stale when the panel was rebuilt, and gone when a
        // dialog or a test run presented frames of its own: draw again before waiting.
        if (rebuilt || FlipCount() != flips) {
            ShowSavedState();
            continue;
        }
        FlipScreen();
        // A question asked inside the flip (quit?) has painted over this frame.
        if (FlipCount() != flips + 1) continue;
        WaitForInputOrBlink();
    }
}

void LoadGameMedia() { LoadGameMediaFiles(); }

StrValue PickMediaFile(const StrValue& filter) {
    const StrValue dir = GetCurrentDir();
    SetCurrentDir(MediaRoot);
    const StrValue answer = FileRequest(filter, 1);
    SetCurrentDir(dir);
    if (answer == "NO_FILE") return answer;
    const std::string& path = answer.Std();
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? answer : StrValue(path.substr(slash + 1));
}

Number SaveLevelWithMessage() {
    const Number lines = SaveLevel(editor.levelFile.c_str());
    if (lines < 0) {
        const std::string reason = LastWriteFailure();
        const std::string what = "Could not save " + LevelName();
        MessageBox(StrValue(reason.empty() ? what + "." : what + ": " + reason), 0);
        return lines;
    }
    RememberLevelAsSaved();
    DeleteRecoveryCopies();
    MessageBox("Saved successfully. File has "_s + NumberToText(lines) + " lines. (255 is max)", 0);
    return lines;
}

Number TestLevel() {
    if (ActorCount() < 1) {
        MessageBox("The level needs a player (actor 0) before it can be tested.", 0);
        return 0;
    }
    const std::string level = LevelFingerprint();
    // Without this copy the reload after the run would bring back an older level.
    if (SaveLevel(LevelPath(kTestFile).c_str()) < 0) {
        MessageBox("Could not save test.ini, so the test did not run.", 0);
        return 0;
    }
    editor.testLevel = level;
    editor.testRunning = true;
    SetSystemPointer(0);
    PlayLevel(1);
    SetSystemPointer(1);
    LoadLevel(LevelPath(kTestFile).c_str());
    KeepLevelAfterTestRun();
    editor.testRunning = false;
    SetFrameLimit(kEditorFrameLimit);
    return 1;
}

Number LevelChanged() { return LevelFingerprint() != editor.savedLevel ? 1 : 0; }

Number WriteRecoveryCopy() {
    if (!editor.started) return 0;
    const std::string level = editor.testRunning ? editor.testLevel : LevelFingerprint();
    return level == editor.savedLevel ? 0 : WriteRecoveryCopyOf(level);
}
