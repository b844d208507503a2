// Idle CPU of the real editor: zentrovel on a fresh copy of the demo, left alone for some
// seconds with nothing selected, then with an object selected (which blinks). Reports the
// share of one core the process used (goal: under 2 % for the idle panel). Needs an X
// display (bench/editor_idle.sh runs it under a virtual one) and xdotool; the program
// and the tool are taken from the build directory this benchmark lives in.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p)) out += buf;
        ::pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

// User plus system CPU seconds of a process.
double CpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string f;
    long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) {
        if (i == 14) utime = std::stol(f);
        if (i == 15) stime = std::stol(f);
    }
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

double CoreShare(pid_t pid, double seconds) {
    const double c0 = CpuSeconds(pid);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const double c1 = CpuSeconds(pid);
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    return (c1 - c0) / wall;
}

void BM_EditorIdleCpu(benchmark::State& state) {
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display || Shell("command -v xdotool") == "") {
        state.SkipWithError("needs an X display and xdotool");
        return;
    }
    const fs::path build = fs::read_symlink("/proc/self/exe").parent_path().parent_path();
    const fs::path dir = fs::temp_directory_path() / ("zv_editor_idle_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    Shell((build / "tools/zentrovel-tool").string() + " demo " + dir.string() + " >/dev/null");
    fs::copy_file(build / "zentrovel", dir / "zentrovel");
    for (auto _ : state) {
        const pid_t pid = ::fork();
        if (pid == 0) {
            const std::string self = (dir / "zentrovel").string();
            ::execl(self.c_str(), self.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const std::string window = Shell("timeout 30 xdotool search --sync --onlyvisible --pid " +
                                         std::to_string(pid) + " --name '^Zentrovel$' | head -1");
        std::this_thread::sleep_for(std::chrono::seconds(3));
        // The pointer rests over the view, away from the panel.
        Shell("xdotool mousemove --window " + window + " 700 590");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        state.counters["idle_core_percent"] = 100 * CoreShare(pid, 15);
        // Select object 0 (the ground, the largest blink) in the objects list.
        Shell("xdotool mousemove --window " + window + " 48 303");
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        Shell("xdotool mousedown 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        Shell("xdotool mouseup 1");
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        Shell("xdotool mousemove --window " + window + " 700 590");
        std::this_thread::sleep_for(std::chrono::seconds(1));
        state.counters["blinking_core_percent"] = 100 * CoreShare(pid, 15);
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
    }
    fs::remove_all(dir);
}

BENCHMARK(BM_EditorIdleCpu)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
