// The editor's command line.
#include "editor/commandline.h"

#include <filesystem>
#include <system_error>

namespace {

namespace fs = std::filesystem;

const char* const kUsage =
    "Usage: zentrovel [LEVEL]\n"
    "Opens the level editor on LEVEL: a level file, or a folder holding \"level.ini\"\n"
    "(a folder without one starts an empty level there). Without LEVEL it opens the\n"
    "\"level.ini\" of the current folder if there is one, else the level beside the program.\n"
    "\"test.ini\" and the recovery copy are kept beside the level file.\n"
    "\n"
    "Keys in the main panel: Ctrl+S saves; Escape quits (asking first when there are\n"
    "unsaved changes). Escape cancels a dialog and ends a test run, as E does.\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help and exit\n"
    "  --version    show the version and exit\n";

LevelChoice Wrong(const std::string& why) {
    LevelChoice c;
    c.exitCode = 2;
    c.err = "zentrovel: " + why + "\nTry 'zentrovel --help'.\n";
    return c;
}

}  // namespace

LevelChoice ChooseLevel(const std::vector<std::string>& args, const std::string& startDir,
                        const std::string& programDir) {
    std::vector<std::string> names;
    bool options = true;
    for (const std::string& a : args) {
        if (options && a == "--") {
            options = false;
        } else if (options && (a == "--help" || a == "-h")) {
            LevelChoice c;
            c.exitCode = 0;
            c.out = kUsage;
            return c;
        } else if (options && a.size() > 1 && a[0] == '-') {
            return Wrong("unknown option '" + a + "'");
        } else {
            names.push_back(a);
        }
    }
    if (names.size() > 1) return Wrong("one level at a time, not " + std::to_string(names.size()));

    std::error_code ec;
    LevelChoice c;
    if (names.empty()) {
        const fs::path here = fs::path(startDir) / "level.ini";
        // A run folder holds the editor's media beside the program; an installed program's
        // folder holds no level and should not get one.
        const bool besideProgram = programDir.empty() || fs::exists(fs::path(programDir) / "level.ini", ec) ||
                                   fs::exists(fs::path(programDir) / "guifont.bmp", ec);
        if (fs::is_regular_file(here, ec) || !besideProgram) c.level = here.lexically_normal().string();
        return c;
    }
    const std::string& name = names[0];
    const fs::path path = (fs::path(startDir) / name).lexically_normal();
    const fs::file_status st = fs::status(path, ec);
    if (fs::is_directory(st)) {
        c.level = (path / "level.ini").lexically_normal().string();
    } else if (fs::is_regular_file(st)) {
        c.level = path.string();
    } else if (!fs::exists(st)) {
        return Wrong("no level file or folder '" + name + "'");
    } else {
        return Wrong("'" + name + "' is not a level file");
    }
    return c;
}
