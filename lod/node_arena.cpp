#include "lod/node_arena.h"

namespace mevlo {

void NodeArena::clear() {
    blocks_.clear();
    used_ = 0;
    capacity_ = 0;
}

void* NodeArena::allocate(size_t size, size_t alignment) {
    size_t start = (used_ + alignment - 1) & ~(alignment - 1);
    if (blocks_.empty() || size > capacity_ - start || start > capacity_) {
        const size_t blockSize = size > kBlockSize ? size : kBlockSize;
        // Uninitialised on purpose: every object is constructed in place.
        blocks_.emplace_back(new std::byte[blockSize]);
        capacity_ = blockSize;
        start = 0;
    }
    used_ = start + size;
    return blocks_.back().get() + start;
}

}  // namespace mevlo
