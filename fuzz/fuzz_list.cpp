// libFuzzer harness: load arbitrary bytes as a LOD model and list its tree.
// The listing goes to /dev/null; what is checked is that it ends, within
// the time and memory limits, without a sanitizer report.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz/pipeline_checks.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!std::freopen("/dev/null", "w", stdout)) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mevlofuzz::listModel(data, size);
    return 0;
}
