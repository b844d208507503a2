// Zentrovel: the level editor with test play built in. It edits the level named on the
// command line, else the "level.ini" of the directory it was started in, else the one
// beside the program.
#include <cstdio>    // Required for: std::printf
#include <cstring>   // Required for: std::strcmp
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "editor/commandline.h"
#include "editor/editor.h"
#include "gui/filerequester.h"
#include "runtime/frame/frame.h"
#include "runtime/gfx2d/draw2d.h"

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("zentrovel %s\n", ZV_VERSION);
        return 0;
    }
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    // Before the runtime moves to the program's directory.
    std::error_code ec;
    const LevelChoice choice =
        ChooseLevel(std::vector<std::string>(argv + 1, argv + argc), std::filesystem::current_path(ec).string(),
                    std::filesystem::read_symlink("/proc/self/exe", ec).parent_path().string());
    if (choice.exitCode >= 0) {
        std::fputs(choice.out.c_str(), stdout);
        std::fputs(choice.err.c_str(), stderr);
        return choice.exitCode;
    }
    if (!choice.level.empty()) SetLevelFile(choice.level);
    InstallStartupScreen();
    InstallFileRequester();
    RunProgram(commandLine, EditorStart);
}
