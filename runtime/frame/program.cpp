// Program end, runtime errors and the error log.
#include "runtime/frame/program.h"

#include <csignal>   // Required for: sigaction, raise, sig_atomic_t
#include <cstdio>    // Required for: FILE, fopen, fwrite
#include <cstdlib>   // Required for: std::exit, getenv
#include <unistd.h>  // Required for: getcwd

#include <utility>
#include <vector>

namespace {

struct ShutdownStep {
    std::string name;
    std::function<void()> run;
};

struct ProgramState {
    Number endCode = 0;
    std::vector<ShutdownStep> steps;
    std::function<void()> endHook;
};

ProgramState& State() {
    static ProgramState state;
    return state;
}

constexpr int kEndSignals[] = {SIGTERM, SIGINT, SIGHUP};
constexpr int kEndSignalCount = sizeof kEndSignals / sizeof kEndSignals[0];

// Only what a signal handler may touch: the mark and the handling found before.
volatile std::sig_atomic_t endSignal = 0;
struct sigaction earlierHandling[kEndSignalCount];
bool signalsCaught = false;

void MarkEndSignal(int sig) {
    if (endSignal != 0) {
        // Asked twice: the loop is not getting there (a long load, a blocking dialog).
        std::signal(sig, SIG_DFL);
        std::raise(sig);
        return;
    }
    endSignal = sig;
}

}  // namespace

Number RaiseRuntimeError(Number code) {
    State().endCode = code;
    return code;
}

Number GetEndCode() { return State().endCode; }
void SetEndCode(Number code) { State().endCode = code; }

void AddShutdownStep(const std::string& name, std::function<void()> step) {
    for (auto& s : State().steps) {
        if (s.name == name) {
            s.run = std::move(step);
            return;
        }
    }
    State().steps.push_back({name, std::move(step)});
}

void RunShutdownSteps() {
    // Copy first: a step may register or replace steps while it runs.
    const auto steps = State().steps;
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        if (it->run) it->run();
    }
}

void CatchEndSignals() {
    if (signalsCaught) return;
    endSignal = 0;
    for (int i = 0; i < kEndSignalCount; ++i) {
        struct sigaction mark {};
        mark.sa_handler = MarkEndSignal;
        sigemptyset(&mark.sa_mask);
        mark.sa_flags = SA_RESTART;
        sigaction(kEndSignals[i], nullptr, &earlierHandling[i]);
        if (earlierHandling[i].sa_handler == SIG_IGN) continue;
        sigaction(kEndSignals[i], &mark, nullptr);
    }
    signalsCaught = true;
}

void ReleaseEndSignals() {
    if (!signalsCaught) return;
    for (int i = 0; i < kEndSignalCount; ++i) sigaction(kEndSignals[i], &earlierHandling[i], nullptr);
    signalsCaught = false;
    endSignal = 0;
}

int PendingEndSignal() { return endSignal; }

void SetEndHook(std::function<void()> hook) { State().endHook = std::move(hook); }

void EndProgram() {
    RunShutdownSteps();
    if (State().endHook) {
        State().endHook();
    }
    std::fflush(nullptr);
    std::_Exit(0);
}

std::string ErrorLogPath() {
    // A relative TMPDIR means the directory the program started in: the start-up change
    // to the program directory must not send later lines elsewhere.
    static std::string relative, absolute;
    std::string dir;
    if (const char* t = std::getenv("TMPDIR"); t && *t) dir = t;
    else dir = "/tmp";
    if (dir[0] != '/') {
        if (dir != relative) {
            char cwd[4096];
            relative = dir;
            absolute = getcwd(cwd, sizeof cwd) ? std::string(cwd) + "/" + dir : dir;
        }
        dir = absolute;
    }
    if (dir.back() != '/') dir += '/';
    return dir + "ErrorLog.txt";
}

void AppendErrorLog(const StrValue& text) {
    FILE* f = std::fopen(ErrorLogPath().c_str(), "ab");
    if (!f) return;
    std::fwrite(text.CText(), 1, text.Length(), f);
    std::fwrite("\r\n", 1, 2, f);
    std::fclose(f);
}

void DeleteErrorLog() { std::remove(ErrorLogPath().c_str()); }
