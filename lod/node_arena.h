// Storage for the nodes and primitives of one loaded model.
//
// A model holds millions of small objects that live exactly as long as the
// model. They are carved out of large blocks and the blocks are released
// together, instead of one heap allocation and one free per object. The
// ownership tree stays as it is: an ArenaPtr still destroys the object it
// owns (and through it the subtree), it only leaves the memory to the arena.
#pragma once

#include <cstddef>
#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace mevlo {

class NodeArena {
public:
    NodeArena() = default;
    ~NodeArena() { clear(); }
    NodeArena(const NodeArena&) = delete;
    NodeArena& operator=(const NodeArena&) = delete;

    // Constructs a T in the arena. The caller owns the object (ArenaPtr),
    // the arena its memory.
    template <typename T, typename... Args>
    T* create(Args&&... args) {
        return ::new (allocate(sizeof(T), alignof(T))) T(std::forward<Args>(args)...);
    }

    // Releases every block. Every object must have been destroyed before.
    void clear();

private:
    // Carves from the current block; a new block only when it is full.
    // Inline: a large model allocates millions of nodes.
    void* allocate(size_t size, size_t alignment) {
        const size_t start = (used_ + alignment - 1) & ~(alignment - 1);
        if (current_ == nullptr || start > capacity_ || size > capacity_ - start)
            return allocateInNewBlock(size);
        used_ = start + size;
        return current_ + start;
    }
    void* allocateInNewBlock(size_t size);

    struct Block {
        std::byte* bytes;
        size_t size;
    };

    // Blocks start small (a small model stays small) and double up to the
    // largest size: few blocks for a large model.
    static constexpr size_t kFirstBlockSize = size_t{1} << 20;
    static constexpr size_t kLargestBlockSize = size_t{32} << 20;
    std::vector<Block> blocks_;
    std::byte* current_ = nullptr;  // the last block's bytes
    size_t nextBlockSize_ = kFirstBlockSize;
    size_t used_ = 0;
    size_t capacity_ = 0;
};

// Runs the destructor only: the memory belongs to the arena.
struct ArenaDestroy {
    template <typename T>
    void operator()(T* object) const {
        object->~T();
    }
};

template <typename T>
using ArenaPtr = std::unique_ptr<T, ArenaDestroy>;

}  // namespace mevlo
