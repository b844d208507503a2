// Fuzzes the level reader and writer: any level text must load without harm and save;
// the saved level must load and save again to the very same bytes, and the count of
// lines the save reports must be the file's.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "level/level.h"
#include "level/levelfile.h"
#include "runtime/gfx3d/model.h"

namespace {

// Files of this process, in its temporary directory.
std::string Scratch(const char* name) {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp && *tmp ? tmp : "/tmp") + "/zv_fuzz_level_" + std::to_string(::getpid()) + "_" + name;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string SaveAndRead(const std::string& path) {
    const Number lines = SaveLevel(StrValue(path));
    if (lines < 0) std::abort();
    std::string bytes = ReadAll(path);
    if (lines != Number(std::count(bytes.begin(), bytes.end(), '\n'))) std::abort();
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string input = Scratch("input.ini");
    static const std::string first = Scratch("first.ini");
    static const std::string second = Scratch("second.ini");
    SetModelLoadTrace(false);
    {
        std::ofstream out(input, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    LoadLevel(StrValue(input));
    const std::string once = SaveAndRead(first);
    LoadLevel(StrValue(first));
    if (SaveAndRead(second) != once) std::abort();
    return 0;
}
