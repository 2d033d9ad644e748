#include "lod/node_arena.h"

#include "io/platform.h"

namespace mevlo {

void NodeArena::clear() {
    for (const Block& block : blocks_) platform::releaseBlock(block.bytes, block.size);
    blocks_.clear();
    used_ = 0;
    capacity_ = 0;
    nextBlockSize_ = kFirstBlockSize;
}

void* NodeArena::allocate(size_t size, size_t alignment) {
    size_t start = (used_ + alignment - 1) & ~(alignment - 1);
    if (blocks_.empty() || size > capacity_ - start || start > capacity_) {
        const size_t blockSize = size > nextBlockSize_ ? size : nextBlockSize_;
        if (nextBlockSize_ < kLargestBlockSize) nextBlockSize_ *= 2;
        blocks_.reserve(blocks_.size() + 1);  // a failure here leaks no block
        // Uninitialised on purpose: every object is constructed in place.
        auto* bytes = static_cast<std::byte*>(platform::allocateBlock(blockSize));
        if (bytes == nullptr) throw std::bad_alloc();
        blocks_.push_back(Block{bytes, blockSize});
        capacity_ = blockSize;
        start = 0;
    }
    used_ = start + size;
    return blocks_.back().bytes + start;
}

}  // namespace mevlo
