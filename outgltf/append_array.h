// A growing array of plain numbers that hands out room for the next few
// elements instead of taking them one at a time: the mesh builder appends
// millions of three-float vertices and index triples, and a vector would
// check its capacity per element (or zero what is about to be written).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>

namespace mevlo {

template <typename T>
class AppendArray {
    static_assert(std::is_trivially_copyable<T>::value, "elements are moved with memcpy");

public:
    // Room for the next n elements, which the caller fills.
    T* extend(size_t n) {
        if (capacity_ - size_ < n) grow(n);
        T* at = items_.get() + size_;
        size_ += n;
        return at;
    }
    void push(T value) { *extend(1) = value; }
    // Gives back the end of room taken with extend but not filled.
    void shrinkTo(size_t size) {
        if (size < size_) size_ = size;
    }

    T& operator[](size_t i) { return items_[i]; }
    const T& operator[](size_t i) const { return items_[i]; }
    const T* data() const { return items_.get(); }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

private:
    // Out of line (append_array.cpp instantiates the element types used),
    // so that extend stays a compare and an add where it is inlined.
    void grow(size_t n);

    std::unique_ptr<T[]> items_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

extern template class AppendArray<uint8_t>;
extern template class AppendArray<float>;
extern template class AppendArray<int32_t>;
extern template class AppendArray<uint32_t>;

}  // namespace mevlo
