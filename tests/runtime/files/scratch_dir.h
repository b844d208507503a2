// A fresh current directory per test holding the error log; the process-wide INI
// document and line file are emptied afterwards.
#pragma once

#include <grp.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "runtime/files/files.h"
#include "runtime/files/ini.h"
#include "runtime/frame/program.h"

// Makes a directory read-only for the guard's lifetime. Root ignores permissions,
// so for root the override capabilities are dropped meanwhile.
class ReadOnlyDirectory {
public:
    explicit ReadOnlyDirectory(std::string dir) : dir_(std::move(dir)) {
        ::chmod(dir_.c_str(), 0555);
        SetOverride(false);
    }
    ~ReadOnlyDirectory() {
        SetOverride(true);
        ::chmod(dir_.c_str(), 0755);
    }

private:
    static void SetOverride(bool on) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (::geteuid() != 0 || ::syscall(SYS_capget, &header, data) != 0) return;
        const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        data[0].effective = on ? data[0].effective | (bits & data[0].permitted) : data[0].effective & ~bits;
        ::syscall(SYS_capset, &header, data);
    }
    std::string dir_;
};

// Runs `body` in a child process and gives its exit code, or -1 when it did not end
// within `seconds` (it is then killed). With `unprivileged` a root child first becomes
// the user nobody (exit code 99 when it cannot).
inline int RunInChild(const std::function<int()>& body, int seconds = 20, bool unprivileged = false) {
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const passwd* nobody = ::getpwnam("nobody");
        if (unprivileged && ::geteuid() == 0 &&
            (!nobody || ::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 || ::setuid(nobody->pw_uid) != 0))
            ::_exit(99);
        ::_exit(body());
    }
    for (int tick = 0; tick < seconds * 100; ++tick) {
        int status = 0;
        if (::waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
        ::usleep(10000);
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    return -1;
}

class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        oldCwd_ = std::filesystem::current_path();
        oldTmp_ = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
        std::string pattern = (std::filesystem::temp_directory_path() / "zv-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        std::filesystem::current_path(dir_);
        setenv("TMPDIR", dir_.c_str(), 1);
        SetEndCode(0);
    }
    void TearDown() override {
        CloseLineFile();
        IniOpen("");
        std::filesystem::current_path(oldCwd_);
        setenv("TMPDIR", oldTmp_.c_str(), 1);
        std::filesystem::remove_all(dir_);
    }
    static void WriteBytes(const std::string& path, const std::string& bytes) {
        const auto parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent);
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string ReadBytes(const std::string& path) {
        std::ostringstream s;
        s << std::ifstream(path, std::ios::binary).rdbuf();
        return s.str();
    }
    std::string ErrorLog() const { return ReadBytes(dir_ + "/ErrorLog.txt"); }
    std::string dir_;

private:
    std::filesystem::path oldCwd_;
    std::string oldTmp_;
};
