// File dialogs through zenity, with scripted answers and a built-in fallback.
#include "runtime/files/filerequest.h"

#include <fcntl.h>      // Required for: open
#include <spawn.h>      // Required for: posix_spawnp
#include <sys/stat.h>   // Required for: stat
#include <sys/wait.h>   // Required for: waitpid
#include <unistd.h>     // Required for: getcwd, chdir, pipe, read

#include <algorithm>    // Required for: std::find
#include <cctype>       // Required for: isalpha, islower, tolower, toupper
#include <cerrno>
#include <cstdlib>      // Required for: getenv
#include <utility>

#include "runtime/frame/frame.h"
#include "runtime/frame/program.h"
#include "runtime/platform/platform.h"

extern char** environ;

namespace {

struct FileRequestState {
    std::function<StrValue(const StrValue&, Number)> fallback;
};

FileRequestState& State() {
    static FileRequestState state;
    return state;
}

bool EnvSet(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

bool ZenityInstalled() {
    const char* path = std::getenv("PATH");
    std::string dirs = path && *path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start);
        if (candidate.empty()) candidate = ".";
        candidate += "/zenity";
        if (access(candidate.c_str(), X_OK) == 0) return true;
        start = end + 1;
    }
    return false;
}

StrValue Finish(std::string path) {
    while (!path.empty() && (path.back() == '\n' || path.back() == '\r')) path.pop_back();
    if (path.empty() || path == "NO_FILE") return "NO_FILE";
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return StrValue(path);
}

std::string CurrentDirectory() {
    std::string buf(4096, '\0');
    if (!getcwd(buf.data(), buf.size())) return {};
    buf.resize(std::char_traits<char>::length(buf.c_str()));
    return buf;
}

// Runs zenity and collects its output; false when it could not run or was cancelled.
bool RunZenity(const std::vector<std::string>& args, std::string& output) {
    int fds[2];
    if (pipe(fds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addclose(&actions, fds[1]);
    // GTK's warnings are not ours to show.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, "zenity", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (rc != 0) {
        close(fds[0]);
        return false;
    }
    char buf[1024];
    for (;;) {
        const ssize_t n = read(fds[0], buf, sizeof buf);
        if (n > 0) output.append(buf, static_cast<size_t>(n));
        else if (n < 0 && errno == EINTR) continue;
        else break;
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// GTK's chooser matches patterns by case; the level's files match names in any case.
// Every letter becomes a bracket of both cases ("*.kmo" -> "*.[kK][mM][oO]"); letters
// already in a bracket get their other case added to it.
std::string AnyCasePattern(const std::string& pattern) {
    std::string out;
    bool inBracket = false;
    for (char c : pattern) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '[' && !inBracket) inBracket = true;
        else if (c == ']' && inBracket) inBracket = false;
        if (!std::isalpha(u) || u >= 128) {
            out += c;
            continue;
        }
        const char lower = static_cast<char>(std::tolower(u));
        const char upper = static_cast<char>(std::toupper(u));
        if (inBracket) out += {c, c == lower ? upper : lower};
        else out += {'[', lower, upper, ']'};
    }
    return out;
}

// The space-separated patterns, each matching any case, without repeats.
std::string AnyCasePatterns(const std::string& patterns) {
    std::vector<std::string> seen;
    std::string out;
    size_t start = 0;
    while (start < patterns.size()) {
        size_t end = patterns.find(' ', start);
        if (end == std::string::npos) end = patterns.size();
        if (end > start) {
            const std::string p = AnyCasePattern(patterns.substr(start, end - start));
            if (std::find(seen.begin(), seen.end(), p) == seen.end()) {
                seen.push_back(p);
                out += (out.empty() ? "" : " ") + p;
            }
        }
        start = end + 1;
    }
    return out;
}

StrValue NoSystemDialog(const StrValue& filter, Number open, const char* why) {
    AppendErrorLog(why);
    if (State().fallback) return Finish(State().fallback(filter, open).Std());
    return "NO_FILE";
}

}  // namespace

std::vector<std::string> ZenityArguments(const StrValue& filter, bool open,
                                         const std::string& directory) {
    std::vector<std::string> args = {"zenity", "--file-selection"};
    if (!open) {
        args.push_back("--save");
        args.push_back("--confirm-overwrite");
    }
    if (!directory.empty()) {
        args.push_back("--filename=" + directory + (directory.back() == '/' ? "" : "/"));
    }
    // Pairs of display name and patterns; a name without its pattern is dropped.
    std::vector<std::string> parts;
    const std::string text = filter.Std();
    size_t start = 0;
    for (;;) {
        const size_t bar = text.find('|', start);
        parts.push_back(text.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    for (size_t i = 0; i + 1 < parts.size(); i += 2) {
        std::string patterns;
        for (char c : parts[i + 1]) patterns += (c == ';') ? ' ' : c;
        if (patterns.find_first_not_of(' ') == std::string::npos) continue;
        if (patterns == "*.*") patterns = "*";
        std::string name = parts[i].empty() ? parts[i + 1] : parts[i];
        args.push_back("--file-filter=" + name + " | " + AnyCasePatterns(patterns));
    }
    return args;
}

void SetFileRequestFallback(std::function<StrValue(const StrValue&, Number)> fn) {
    State().fallback = std::move(fn);
}

StrValue FileRequest(const StrValue& filter, Number open) {
    Platform& p = GetPlatform();
    const bool openDialog = (open != 0);
    std::string answer;
    if (p.AnswerFileDialog(filter.Std(), openDialog, answer)) return Finish(answer);
    if (p.IsHeadless()) {
        if (State().fallback) return Finish(State().fallback(filter, open).Std());
        return "NO_FILE";
    }
    if (EnvSet("ZENTROVEL_AUTOMATED")) {
        // Nobody answers a dialog in an automated run: never wait for one.
        AppendErrorLog("No file dialog in automated runs");
        return "NO_FILE";
    }
    if (!EnvSet("DISPLAY") && !EnvSet("WAYLAND_DISPLAY")) {
        return NoSystemDialog(filter, open, "No file dialog: no display");
    }
    if (!ZenityInstalled()) {
        return NoSystemDialog(filter, open, "No file dialog: zenity missing");
    }

    const std::string dir = CurrentDirectory();
    const bool wasFullscreen = IsFullscreen();
    if (wasFullscreen) p.EnterWindowed(GetRuntimeSettings().screenWidth, GetRuntimeSettings().screenHeight);
    p.ShowWindow(false);
    std::string output;
    const bool chosen = RunZenity(ZenityArguments(filter, openDialog, dir), output);
    if (!dir.empty() && chdir(dir.c_str()) != 0) {
        AppendErrorLog("Cannot return to the current directory");
    }
    if (RuntimeStarted()) {
        if (wasFullscreen) SetFullscreenMode();
        else SetWindowedMode();
    }
    return chosen ? Finish(output) : StrValue("NO_FILE");
}
