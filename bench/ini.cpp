// Parsing and writing back a 5,000-entry INI file, and reading every entry.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "runtime/files/ini.h"

namespace {

constexpr int kSections = 10;
constexpr int kEntriesPerSection = 500;

// A level-like file: ten sections of 500 numbered keys with short numeric values.
const std::string& LevelFile() {
    static const std::string path = [] {
        const auto dir = std::filesystem::temp_directory_path() / "zv-bench-ini";
        std::filesystem::create_directories(dir);
        const auto file = dir / "level.ini";
        std::ofstream out(file, std::ios::binary);
        for (int s = 0; s < kSections; ++s) {
            out << "[Section" << s << "]\r\n";
            for (int e = 0; e < kEntriesPerSection; ++e) {
                out << "Obj" << e << "Pos=" << e * 1.5 << " " << -e << " " << s * 100 + e << "\r\n";
            }
        }
        return file.string();
    }();
    return path;
}

void BM_IniParse5000Entries(benchmark::State& state) {
    const StrValue file(LevelFile());
    for (auto _ : state) {
        IniOpen(file);
        benchmark::DoNotOptimize(IniGet("Section9", "Obj499Pos"));
    }
    IniOpen("");
    state.SetItemsProcessed(state.iterations() * kSections * kEntriesPerSection);
}
BENCHMARK(BM_IniParse5000Entries)->Unit(benchmark::kMillisecond);

void BM_IniWriteBack5000Entries(benchmark::State& state) {
    IniOpen(StrValue(LevelFile()));
    int n = 0;
    for (auto _ : state) {
        IniPut("Section0", "Obj0Pos", StrValue(++n));
        if (!IniWrite()) state.SkipWithError("write-back failed");
    }
    IniOpen("");
    state.SetItemsProcessed(state.iterations() * kSections * kEntriesPerSection);
}
BENCHMARK(BM_IniWriteBack5000Entries)->Unit(benchmark::kMillisecond);

void BM_IniGetEvery5000Entries(benchmark::State& state) {
    IniOpen(StrValue(LevelFile()));
    std::vector<std::pair<StrValue, StrValue>> keys;
    for (int s = 0; s < kSections; ++s) {
        for (int e = 0; e < kEntriesPerSection; ++e) {
            keys.emplace_back("section"_s + s, "obj"_s + e + "pos");
        }
    }
    for (auto _ : state) {
        for (const auto& [section, key] : keys) benchmark::DoNotOptimize(IniGet(section, key));
    }
    IniOpen("");
    state.SetItemsProcessed(state.iterations() * keys.size());
}
BENCHMARK(BM_IniGetEvery5000Entries)->Unit(benchmark::kMillisecond);

}  // namespace
