// libFuzzer harness: load arbitrary bytes as a LOD model, write it as LOD,
// read that back. Aborts when the repacked model converts differently or a
// second repack does not reproduce the first byte for byte.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/pipeline_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string problem = mevlofuzz::checkRepack(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "property failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
