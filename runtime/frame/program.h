// Program end, runtime errors and the error log.
//
// Leaving the program always goes through EndProgram, which runs the registered
// shutdown steps (write-back of the INI document and the line file, release of the
// window and devices) and then ends the process. Tests replace the final exit with
// a hook that throws, so they can assert that an action ends the program.
//
// Dependencies: strvalue.
#pragma once

#include <functional>   // Required for: std::function
#include <string>

#include "runtime/frame/strvalue.h"   // Required for: Number, StrValue

// End codes recorded by RaiseRuntimeError.
enum EndCode : int {
    kEndFileNotLoadable = 3,
    kEndStorageMissing = 7,
    kEndArrayEmpty = 8,
    kEndIndexOutOfRange = 9,
};

// Records the code in the end record and returns it.
Number RaiseRuntimeError(Number code);
// The end record: the last code recorded (0 after the entry and after a quit key).
Number GetEndCode();
void SetEndCode(Number code);

// Runs the shutdown steps (latest first) and leaves the process; never returns.
[[noreturn]] void EndProgram();

// Registers a step for EndProgram and normal exit; steps with the same name replace
// each other, so a module can register itself more than once safely.
void AddShutdownStep(const std::string& name, std::function<void()> step);
// Runs every registered step once (latest first). EndProgram calls it; so does a
// normal return from the entry.
void RunShutdownSteps();

// Termination signals (SIGTERM, SIGINT, SIGHUP) only leave a mark while caught: the
// frame loop then ends the program through EndProgram, so its shutdown steps run in
// order. A second signal of the same kind, before the loop got to it, ends the process
// at once. A signal the program was started with ignored stays ignored (nohup).
void CatchEndSignals();
// Gives the signals their earlier handling back and forgets a pending one.
void ReleaseEndSignals();
// The signal that asked the program to end, or 0.
int PendingEndSignal();

// Replaces the final process exit. The hook must not return (tests throw from it);
// an empty function restores the real exit.
void SetEndHook(std::function<void()> hook);

// The error log: "ErrorLog.txt" in the temporary directory ($TMPDIR or /tmp).
std::string ErrorLogPath();
// Appends the text and CR LF; a log that cannot be opened drops the line.
void AppendErrorLog(const StrValue& text);
void DeleteErrorLog();
