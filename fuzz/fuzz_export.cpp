// libFuzzer harness: load arbitrary bytes as a LOD model and export it to a
// glTF document. Aborts when the document breaks a validator rule that can
// be checked in process.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/export_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string problem = mevlofuzz::checkExport(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "property failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
