// Zentrovel: the level editor with test play built in.
#include <string>

#include "gui/filerequester.h"
#include "runtime/frame/frame.h"
#include "runtime/gfx2d/draw2d.h"

namespace {

// Until the editor lands: show frames until Escape, Alt+F4 or the window closes.
void ShowFrames() {
    SetSystemPointer(1);
    for (;;) {
        FlipScreen();
        WaitForInput();
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    InstallStartupScreen();
    InstallFileRequester();
    RunProgram(commandLine, ShowFrames);
}
