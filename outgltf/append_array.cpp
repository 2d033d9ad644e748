#include "outgltf/append_array.h"

#include <cstring>
#include <utility>

namespace mevlo {

template <typename T>
void AppendArray<T>::grow(size_t n) {
    size_t capacity = capacity_ < 64 ? 64 : 2 * capacity_;
    if (capacity - size_ < n) capacity = size_ + n;
    std::unique_ptr<T[]> larger(new T[capacity]);
    if (size_ > 0) std::memcpy(larger.get(), items_.get(), size_ * sizeof(T));
    items_ = std::move(larger);
    capacity_ = capacity;
}

template class AppendArray<uint8_t>;
template class AppendArray<float>;
template class AppendArray<int32_t>;
template class AppendArray<uint32_t>;

}  // namespace mevlo
