// Portable versions of the platform calls that a system may do better, for
// systems whose platform file does without them: inputs are read into memory
// instead of mapped (io/input_file.cpp does the reading), so nothing can
// vanish under the program while it runs, and blocks come from malloc.
#include <cstdlib>

#include "io/platform.h"

namespace mevlo {
namespace platform {

MappedInput mapInputFile(const std::string&) { return MappedInput{}; }

void unmapInputFile(MappedInput& input) { input = MappedInput{}; }

bool mappedInputLost(const MappedInput&) { return false; }

void releaseMappedRange(const MappedInput&, const uint8_t*, size_t) {}

void* allocateBlock(size_t size) { return std::malloc(size); }

void releaseBlock(void* block, size_t) { std::free(block); }

}  // namespace platform
}  // namespace mevlo
