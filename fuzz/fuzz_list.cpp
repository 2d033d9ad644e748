// libFuzzer harness: load arbitrary bytes as a LOD model and list its tree.
// The listing goes nowhere; what is checked is that it ends, within the
// time and memory limits, without a sanitizer report.
#include <cstddef>
#include <cstdint>

#include "fuzz/pipeline_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    mevlofuzz::listModel(data, size, [](const char*, size_t) {});
    return 0;
}
