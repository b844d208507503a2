// A fresh directory per test, made current, with the error log inside it, and the
// process-wide INI document and line file emptied afterwards.
#pragma once

#include <gtest/gtest.h>
#include <linux/capability.h>   // Required for: dropping the override of file permissions
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "runtime/files/files.h"
#include "runtime/files/ini.h"
#include "runtime/frame/program.h"

// Makes a directory read-only for the guard's lifetime. Root ignores permissions,
// so for root the permission override capabilities are dropped meanwhile.
class ReadOnlyDirectory {
public:
    explicit ReadOnlyDirectory(std::string dir) : dir_(std::move(dir)) {
        ::chmod(dir_.c_str(), 0555);
        if (::geteuid() == 0) SetOverride(false);
    }
    ~ReadOnlyDirectory() {
        if (::geteuid() == 0) SetOverride(true);
        ::chmod(dir_.c_str(), 0755);
    }
    ReadOnlyDirectory(const ReadOnlyDirectory&) = delete;
    ReadOnlyDirectory& operator=(const ReadOnlyDirectory&) = delete;

private:
    static void SetOverride(bool on) {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct data[2]{};
        if (::syscall(SYS_capget, &header, data) != 0) return;
        const unsigned bits = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);
        if (on) data[0].effective |= bits & data[0].permitted;
        else data[0].effective &= ~bits;
        ::syscall(SYS_capset, &header, data);
    }

    std::string dir_;
};

class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        oldCwd_ = fs::current_path();
        if (const char* t = std::getenv("TMPDIR")) oldTmp_ = t, hadTmp_ = true;
        std::string pattern = (fs::temp_directory_path() / "zv-files-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        fs::current_path(dir_);
        setenv("TMPDIR", dir_.c_str(), 1);
        SetEndCode(0);
    }

    void TearDown() override {
        namespace fs = std::filesystem;
        CloseLineFile();
        IniOpen("");
        fs::current_path(oldCwd_);
        if (hadTmp_) setenv("TMPDIR", oldTmp_.c_str(), 1);
        else unsetenv("TMPDIR");
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    static void WriteBytes(const std::string& path, const std::string& bytes) {
        std::filesystem::create_directories(std::filesystem::path(path).parent_path().empty()
                                                 ? "."
                                                 : std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }

    static std::string ReadBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string ErrorLog() const { return ReadBytes(dir_ + "/ErrorLog.txt"); }

    std::string dir_;

private:
    std::filesystem::path oldCwd_;
    std::string oldTmp_;
    bool hadTmp_ = false;
};
