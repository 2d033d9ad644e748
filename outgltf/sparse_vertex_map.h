// A number per 16-bit LOD vertex index, for the vertices a group meets when
// a table over all the container's vertices would cost too much: open
// addressing in one array that doubles when half full, so that a vertex
// met for the first time costs no allocation of its own (a container may
// have hundreds of such groups, each meeting thousands of vertices).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace mevlo {

class SparseVertexMap {
public:
    // The number of `index`, inserted as `initial` when first asked for.
    // The reference holds until the next call.
    int32_t& at(uint16_t index, int32_t initial) {
        if (2 * (used_ + 1) > capacity_) grow();
        for (size_t i = slotOf(index);; i = (i + 1) & (capacity_ - 1)) {
            Entry& entry = entries_[i];
            if (entry.key == index) return entry.value;
            if (entry.key == kEmpty) {
                entry.key = index;
                entry.value = initial;
                ++used_;
                return entry.value;
            }
        }
    }

private:
    struct Entry {
        uint32_t key;
        int32_t value;
    };
    static constexpr uint32_t kEmpty = 0xFFFFFFFFu;

    // Fibonacci hashing: the top bits of the product spread neighbouring
    // indices, which a group tends to meet together.
    size_t slotOf(uint16_t index) const {
        return static_cast<size_t>((uint32_t{index} * 2654435769u) >> (32 - bits_));
    }

    void grow() {
        const size_t oldCapacity = capacity_;
        std::unique_ptr<Entry[]> old = std::move(entries_);
        bits_ = capacity_ == 0 ? 4 : bits_ + 1;
        capacity_ = size_t{1} << bits_;
        entries_.reset(new Entry[capacity_]);
        for (size_t i = 0; i < capacity_; ++i) entries_[i] = Entry{kEmpty, 0};
        for (size_t i = 0; i < oldCapacity; ++i) {
            if (old[i].key == kEmpty) continue;
            size_t at = slotOf(static_cast<uint16_t>(old[i].key));
            while (entries_[at].key != kEmpty) at = (at + 1) & (capacity_ - 1);
            entries_[at] = old[i];
        }
    }

    std::unique_ptr<Entry[]> entries_;
    size_t capacity_ = 0;
    size_t used_ = 0;
    uint32_t bits_ = 0;
};

}  // namespace mevlo
