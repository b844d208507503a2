// Zentrovel: the level editor with test play built in. Started in a level's directory,
// it edits the "level.ini" there.
#include <string>

#include "editor/editor.h"
#include "gui/filerequester.h"
#include "runtime/frame/frame.h"
#include "runtime/gfx2d/draw2d.h"

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    InstallStartupScreen();
    InstallFileRequester();
    RunProgram(commandLine, EditorStart);
}
