#include "tests/support/headless.h"

#include <fstream>

HeadlessRuntime::HeadlessRuntime(const RuntimeSettings& settings)
    : platform_(std::make_unique<HeadlessPlatform>()) {
    StopRuntime();
    UsePlatform(platform_.get());
    ConfigureRuntime(settings);
    SetEndCode(0);
    started_ = StartRuntime("Zentrovel") != 0;
}

HeadlessRuntime::~HeadlessRuntime() {
    StopRuntime();
    UsePlatform(nullptr);
    ConfigureRuntime(RuntimeSettings{});
}

bool RunUntilEnd(const std::function<void()>& fn, int* code) {
    CatchProgramEnd guard;
    try {
        fn();
    } catch (const ProgramEnded& e) {
        if (code) *code = e.code;
        return true;
    }
    return false;
}

void HeadlessTest::SetUp() {
    runtime_ = std::make_unique<HeadlessRuntime>(Settings());
    ASSERT_TRUE(runtime_->started());
}

void HeadlessTest::TearDown() { runtime_.reset(); }

std::vector<std::string> HeadlessTest::ErrorLogLines() const {
    std::vector<std::string> lines;
    std::ifstream in(ErrorLogPath(), std::ios::binary);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}
