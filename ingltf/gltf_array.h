// A read-only array the glTF reader hands out: either a view of memory the
// scene holds (a float accessor read in place from the mapped file, or an
// accessor decoded once and shared by every primitive that names it) or an
// array of its own (scenes built by hand). Copies share the elements, so a
// POSITION accessor used by many primitives is held once, and reading costs
// memory in proportion to the file, not to how often it names its data.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <utility>
#include <vector>

namespace mevlo {

template <typename T>
class GltfArray {
public:
    GltfArray() = default;
    // An array of its own (implicit, so `primitive.positions = {...}` works).
    GltfArray(std::vector<T> elements)  // NOLINT(google-explicit-constructor)
        : owned_(std::make_shared<const std::vector<T>>(std::move(elements))),
          data_(owned_->data()),
          size_(owned_->size()) {}
    GltfArray(std::initializer_list<T> elements) : GltfArray(std::vector<T>(elements)) {}

    // A view of size elements at data, which the caller keeps alive (the
    // scene holds what its arrays view).
    static GltfArray view(const T* data, size_t size) {
        GltfArray array;
        array.data_ = size > 0 ? data : nullptr;
        array.size_ = size;
        return array;
    }

    const T* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const T& operator[](size_t i) const { return data_[i]; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }

private:
    std::shared_ptr<const std::vector<T>> owned_;
    const T* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace mevlo
