// Running the runtime on the headless platform in tests.
//
// HeadlessTest starts the runtime (800 x 600, 60 fps, headless: no GL) before each test
// and stops it after, with a fresh platform every time. Script input with
// platform().Then(...) and end a loop with EndProgram inside the script, caught by
// RunUntilEnd or EXPECT_ENDS_PROGRAM.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "runtime/frame/frame.h"
#include "runtime/platform/headless_platform.h"
#include "tests/support/ends_program.h"

// Installs a fresh headless platform and starts the runtime on it; undone on destruction.
class HeadlessRuntime {
public:
    explicit HeadlessRuntime(const RuntimeSettings& settings = RuntimeSettings{});
    ~HeadlessRuntime();
    HeadlessRuntime(const HeadlessRuntime&) = delete;
    HeadlessRuntime& operator=(const HeadlessRuntime&) = delete;

    HeadlessPlatform& platform() { return *platform_; }
    bool started() const { return started_; }

private:
    std::unique_ptr<HeadlessPlatform> platform_;
    bool started_ = false;
};

// Runs fn until it ends the program; true when it did (the end code is then in *code).
bool RunUntilEnd(const std::function<void()>& fn, int* code = nullptr);

class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Settings used by SetUp; override to change them.
    virtual RuntimeSettings Settings() const { return RuntimeSettings{}; }

    HeadlessPlatform& platform() { return runtime_->platform(); }
    // The error log's lines (CR LF removed).
    std::vector<std::string> ErrorLogLines() const;

private:
    std::unique_ptr<HeadlessRuntime> runtime_;
};
