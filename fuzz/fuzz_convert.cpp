// libFuzzer harness: load arbitrary bytes as a LOD model, convert the tree to
// meshes and encode the 3DS file in memory. Aborts when the encoded file is
// not sound (chunk lengths, counts, face indices).
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/pipeline_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string problem = mevlofuzz::checkConversion(data, size);
    if (!problem.empty()) {
        std::fprintf(stderr, "property failed: %s\n", problem.c_str());
        std::abort();
    }
    return 0;
}
