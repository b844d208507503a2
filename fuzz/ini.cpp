// Fuzzes the INI parser: any bytes must parse without harm, and a written document
// must read back to the same document.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "runtime/files/ini.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    IniOpenText(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::string once = IniDocumentText();
    // Written lines stay bounded: entries by the parser's 1023 bytes, headers by one
    // byte more for the closing bracket.
    size_t start = 0;
    while (start < once.size()) {
        const size_t end = once.find("\r\n", start);
        if (end == std::string::npos || end - start > 1024) std::abort();
        start = end + 2;
    }
    IniOpenText(once);
    if (IniDocumentText() != once) std::abort();
    return 0;
}
