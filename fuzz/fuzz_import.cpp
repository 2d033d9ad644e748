// libFuzzer harness: read arbitrary bytes as a glTF file (binary or JSON,
// buffers only from the GLB chunk or data: URIs) and map it to a LOD file.
// Aborts when a property of fuzz/import_checks.h fails.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/import_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Loading the LOD file made may print; keep it off the terminal.
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string problem = mevlofuzz::checkImport(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "property failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
