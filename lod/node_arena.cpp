#include "lod/node_arena.h"

#include "io/platform.h"

namespace mevlo {

void NodeArena::clear() {
    for (const Block& block : blocks_) platform::releaseBlock(block.bytes, block.size);
    blocks_.clear();
    current_ = nullptr;
    used_ = 0;
    capacity_ = 0;
    nextBlockSize_ = kFirstBlockSize;
}

void* NodeArena::allocateInNewBlock(size_t size) {
    // A block's start is aligned for every object the arena holds.
    const size_t blockSize = size > nextBlockSize_ ? size : nextBlockSize_;
    if (nextBlockSize_ < kLargestBlockSize) nextBlockSize_ *= 2;
    blocks_.reserve(blocks_.size() + 1);  // a failure here leaks no block
    // Uninitialised on purpose: every object is constructed in place.
    auto* bytes = static_cast<std::byte*>(platform::allocateBlock(blockSize));
    if (bytes == nullptr) throw std::bad_alloc();
    blocks_.push_back(Block{bytes, blockSize});
    current_ = bytes;
    capacity_ = blockSize;
    used_ = size;
    return bytes;
}

}  // namespace mevlo
