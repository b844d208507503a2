// The editor's command line: which level to open, or the text to print and the exit
// status to end with.
//
//   zentrovel [LEVEL]    LEVEL: a level file, or a folder holding (or to hold) "level.ini"
//   zentrovel --help
//
// Dependencies: none (the standard library's file system).
#pragma once

#include <string>
#include <vector>

struct LevelChoice {
    // -1: start the editor on `level`; otherwise print `out` and `err` and end with it
    // (0 for the help, 2 for wrong usage or a level that is not there).
    int exitCode = -1;
    // The level file, absolute; empty: the level beside the program.
    std::string level;
    std::string out, err;
};

// Reads the arguments after the program name. Relative names count from startDir, the
// directory the program was started in. Without LEVEL: startDir's "level.ini" when it
// holds one, else the level beside the program (in programDir) when that folder holds a
// level or the editor's media; an installed program's folder does not, so then startDir's.
LevelChoice ChooseLevel(const std::vector<std::string>& args, const std::string& startDir,
                        const std::string& programDir = "");
