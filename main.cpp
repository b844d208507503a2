// Zentrovel: the level editor with test play built in. Started in a level's directory,
// it edits the "level.ini" there.
#include <cstdio>    // Required for: std::printf
#include <cstring>   // Required for: std::strcmp
#include <string>

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
    InstallStartupScreen();
    InstallFileRequester();
    RunProgram(commandLine, EditorStart);
}
