// The toolkit's own file requester, a dialog like every other: it browses with its own
// folder variable and never changes the process's current directory.
//
// Dependencies: gui/dialog, gui/messagebox, gui/proptable, gui/widgets, runtime/files,
// runtime/frame.
#include "gui/filerequester.h"

#include <fnmatch.h>   // Required for: fnmatch (glob patterns)

#include <algorithm>     // Required for: std::sort
#include <filesystem>    // Required for: folder listing
#include <string>
#include <system_error>
#include <vector>

#include "gui/dialog.h"
#include "gui/messagebox.h"
#include "gui/proptable.h"
#include "gui/widget_kinds.h"
#include "gui/widgets.h"
#include "runtime/files/files.h"         // Required for: GetCurrentDir
#include "runtime/files/filerequest.h"   // Required for: SetFileRequestFallback
#include "runtime/frame/frame.h"         // Required for: FlipScreen, GetScreenSize

namespace fs = std::filesystem;

namespace {

constexpr Number kWidth = 420;
constexpr Number kHeight = 300;

struct FilterChoice {
    std::string name;
    std::vector<std::string> patterns;
};

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) return parts;
        start = at + 1;
    }
}

// "Name|*.a;*.b|Other|*.c" -> two choices; a lone pattern names itself.
std::vector<FilterChoice> ParseFilter(const std::string& filter) {
    std::vector<FilterChoice> choices;
    const std::vector<std::string> parts = Split(filter, '|');
    for (size_t i = 0; i < parts.size(); i += 2) {
        const std::string& pattern = i + 1 < parts.size() ? parts[i + 1] : parts[i];
        FilterChoice c;
        c.name = parts[i].empty() ? pattern : parts[i];
        for (const std::string& p : Split(pattern, ';')) {
            if (!p.empty()) c.patterns.push_back(p);
        }
        if (c.patterns.empty()) c.patterns.push_back("*");
        choices.push_back(c);
    }
    if (choices.empty()) choices.push_back({"*", {"*"}});
    return choices;
}

bool Matches(const std::string& name, const std::vector<std::string>& patterns) {
    for (const std::string& p : patterns) {
        // As on the system the files come from, "*.*" means every file.
        if (p == "*.*" || p == "*") return true;
        if (fnmatch(p.c_str(), name.c_str(), FNM_CASEFOLD) == 0) return true;
    }
    return false;
}

std::string WithSlash(std::string dir) {
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

// The list's items: "[..]", the folders as "[name]", then the matching files.
std::vector<std::string> ListFolder(const std::string& dir, const std::vector<std::string>& patterns) {
    std::vector<std::string> folders;
    std::vector<std::string> files;
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        // Names the "|" list cannot hold, and hidden entries, are left out.
        if (name.empty() || name[0] == '.' || name.find('|') != std::string::npos) continue;
        std::error_code typeError;
        if (it->is_directory(typeError)) {
            folders.push_back("[" + name + "]");
        } else if (Matches(name, patterns)) {
            files.push_back(name);
        }
    }
    std::sort(folders.begin(), folders.end());
    std::sort(files.begin(), files.end());
    std::vector<std::string> items;
    if (dir != "/") items.push_back("[..]");
    items.insert(items.end(), folders.begin(), folders.end());
    items.insert(items.end(), files.begin(), files.end());
    return items;
}

std::string ParentOf(const std::string& dir) {
    std::string d = dir;
    while (d.size() > 1 && d.back() == '/') d.pop_back();
    const size_t slash = d.rfind('/');
    if (slash == std::string::npos || slash == 0) return "/";
    return d.substr(0, slash + 1);
}

struct Requester {
    bool open = true;
    std::string dir;
    std::vector<FilterChoice> filters;
    int filter = 0;
    std::vector<std::string> items;
    std::string status;
};

// Builds (or rebuilds in place) the requester's widgets for its folder and filter.
void Build(Requester& r, const StrValue& name) {
    DialogReset();
    SetProp("MOVABLE", "1");
    SetProp("TEXT", r.open ? "Open" : "Save");
    const FontCell f = CurrentFontCell();
    r.items = ListFolder(r.dir, r.filters[r.filter].patterns);
    StrValue list;
    for (size_t i = 0; i < r.items.size(); ++i) {
        if (i > 0) list += "|";
        list += StrValue(r.items[i]);
    }
    NewWidget("st_dir", StrValue(r.dir), 400, 0);
    AddSpacer(10000, 0);
    AddList("ls_files", list, 400, 12 * f.fy);
    AddSpacer(10000, 0);
    if (r.filters.size() > 1) {
        StrValue names;
        for (size_t i = 0; i < r.filters.size(); ++i) {
            if (i > 0) names += "|";
            names += StrValue(r.filters[i].name);
        }
        AddRadio("ra_filter", names, 0);
        SetPropNum("ra_filterSELECT", r.filter);
        AddSpacer(10000, 0);
    }
    NewWidget("st_name", "Name:", 0, 0);
    AddText("tx_name", name, 300, 0);
    SetPropNum("tx_nameSELSTART", name.Length());
    SetPropNum("tx_nameSELEND", name.Length());
    SetProp("FOCUS", "tx_name");
    AddSpacer(10000, 0);
    AddButton("bt_ok", "OK", 0, 0);
    AddButton("bt_cancel", "Cancel", 0, 0);
    NewWidget("st_status", StrValue(r.status), 250, 0);
    DialogRefresh(0, 0, 0, 0);
}

std::string Resolve(const Requester& r, const std::string& name) {
    if (!name.empty() && name[0] == '/') return name;
    return r.dir + name;
}

// OK with a name: a folder is entered; a file ends the requester with its path.
bool Accept(Requester& r, const std::string& name, std::string& result) {
    if (name.empty()) return false;
    const std::string path = Resolve(r, name);
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        r.dir = WithSlash(fs::weakly_canonical(path, ec).string());
        r.status.clear();
        Build(r, "");
        return false;
    }
    const bool exists = fs::exists(path, ec);
    if (r.open && !exists) {
        r.status = "No such file.";
        Build(r, StrValue(name));
        return false;
    }
    if (!r.open && exists && MessageBox("Replace the existing file?", 1) == 0) return false;
    result = path;
    return true;
}

}  // namespace

StrValue BuiltInFileRequest(const StrValue& filter, Number open) {
    Requester r;
    r.open = open != 0;
    r.dir = WithSlash(GetCurrentDir().Std());
    r.filters = ParseFilter(filter.Std());
    Number sw = 0;
    Number sh = 0;
    GetScreenSize(sw, sh);
    DialogInit(static_cast<int>((sw - kWidth) / 2), static_cast<int>((sh - kHeight) / 3), kWidth,
               kHeight);
    Build(r, "");
    std::string result;
    for (;;) {
        DialogShow(0);
        FlipScreen();
        WaitForInput();
        if (GetPropNum("bt_cancelCLICKED") != 0) break;
        if (GetPropNum("ra_filterCLICKED") != 0) {
            r.filter = std::clamp(ToInt(GetPropNum("ra_filterSELECT")), 0,
                                  static_cast<int>(r.filters.size()) - 1);
            Build(r, GetProp("tx_nameTEXT"));
            continue;
        }
        if (GetPropNum("ls_filesCLICKED") != 0) {
            const int sel = ToInt(GetPropNum("ls_filesSELECT"));
            if (sel < 0 || sel >= static_cast<int>(r.items.size())) continue;
            const std::string& item = r.items[sel];
            if (item == "[..]") {
                r.dir = ParentOf(r.dir);
                Build(r, "");
            } else if (item.front() == '[') {
                r.dir = r.dir + item.substr(1, item.size() - 2) + "/";
                Build(r, "");
            } else {
                SetProp("tx_nameTEXT", StrValue(item));
                SetPropNum("tx_nameSELSTART", item.size());
                SetPropNum("tx_nameSELEND", item.size());
                SetProp("FOCUS", "tx_name");
            }
            continue;
        }
        // Enter in the name field counts as OK.
        std::string name = GetProp("tx_nameTEXT").Std();
        const size_t enter = name.find('\n');
        if (enter != std::string::npos) name.erase(enter);
        const bool ok = GetPropNum("bt_okCLICKED") != 0 || enter != std::string::npos;
        if (enter != std::string::npos) SetProp("tx_nameTEXT", StrValue(name));
        if (ok && Accept(r, name, result)) {
            DialogClose();
            return StrValue(result);
        }
    }
    DialogClose();
    return "NO_FILE";
}

void InstallFileRequester() { SetFileRequestFallback(BuiltInFileRequest); }
