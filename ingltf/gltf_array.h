// A read-only array the glTF reader hands out: either a view of memory the
// scene holds (a float accessor read in place from the mapped file, or an
// accessor decoded once and shared by every primitive that names it) or an
// array of its own (scenes built by hand). Copies share the elements, so a
// POSITION accessor used by many primitives is held once, and reading costs
// memory in proportion to the file, not to how often it names its data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "common/byte_order.h"

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

// Vertex indices as a primitive holds them: 8-, 16- or 32-bit little-endian
// entries read where the file stores them (an export's index lists are
// mostly 16-bit: widening them all would cost time and memory for nothing),
// or 32-bit numbers in memory the scene holds or the array owns. Each entry
// reads as a uint32_t.
class GltfIndices {
public:
    GltfIndices() = default;
    // Indices of its own (implicit, so `primitive.indices = {...}` works).
    GltfIndices(std::vector<uint32_t> elements)  // NOLINT(google-explicit-constructor)
        : owned_(std::make_shared<const std::vector<uint32_t>>(std::move(elements))),
          bytes_(reinterpret_cast<const uint8_t*>(owned_->data())),
          size_(owned_->size()),
          form_(Form::Held) {}
    GltfIndices(std::initializer_list<uint32_t> elements) : GltfIndices(std::vector<uint32_t>(elements)) {}

    // size entries of `width` bytes (1, 2 or 4), little-endian, at bytes,
    // which the caller keeps alive.
    static GltfIndices stored(const uint8_t* bytes, size_t size, int width) {
        GltfIndices indices;
        indices.bytes_ = size > 0 ? bytes : nullptr;
        indices.size_ = size;
        indices.form_ = width == 1 ? Form::Byte : width == 2 ? Form::Short : Form::Int;
        return indices;
    }
    // size numbers at data, which the caller keeps alive.
    static GltfIndices view(const uint32_t* data, size_t size) {
        GltfIndices indices;
        indices.bytes_ = size > 0 ? reinterpret_cast<const uint8_t*>(data) : nullptr;
        indices.size_ = size;
        indices.form_ = Form::Held;
        return indices;
    }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    uint32_t operator[](size_t i) const {
        switch (form_) {
            case Form::Byte:
                return bytes_[i];
            case Form::Short:
                return load16(bytes_ + 2 * i);
            case Form::Int:
                return load32(bytes_ + 4 * i);
            default: {
                uint32_t value;
                std::memcpy(&value, bytes_ + 4 * i, sizeof value);
                return value;
            }
        }
    }
    // Entries [first, first + count) as uint32_t, width by width (count
    // within the size).
    template <typename Visit>
    void forEach(size_t first, size_t count, Visit visit) const {
        const uint8_t* p = bytes_;
        switch (form_) {
            case Form::Byte:
                for (size_t i = first; i < first + count; ++i) visit(uint32_t{p[i]});
                break;
            case Form::Short:
                for (size_t i = first; i < first + count; ++i) visit(load16(p + 2 * i));
                break;
            case Form::Int:
                for (size_t i = first; i < first + count; ++i) visit(load32(p + 4 * i));
                break;
            default:
                for (size_t i = first; i < first + count; ++i) {
                    uint32_t value;
                    std::memcpy(&value, p + 4 * i, sizeof value);
                    visit(value);
                }
                break;
        }
    }

    class Iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = uint32_t;
        using difference_type = std::ptrdiff_t;
        using pointer = const uint32_t*;
        using reference = uint32_t;
        Iterator(const GltfIndices* indices, size_t at) : indices_(indices), at_(at) {}
        uint32_t operator*() const { return (*indices_)[at_]; }
        Iterator& operator++() {
            ++at_;
            return *this;
        }
        Iterator operator++(int) {
            Iterator before = *this;
            ++at_;
            return before;
        }
        bool operator==(const Iterator& other) const { return at_ == other.at_; }
        bool operator!=(const Iterator& other) const { return at_ != other.at_; }

    private:
        const GltfIndices* indices_;
        size_t at_;
    };
    Iterator begin() const { return Iterator(this, 0); }
    Iterator end() const { return Iterator(this, size_); }

private:
    // Little-endian loads; on a little-endian host a plain load, which lets
    // the compiler run loops over them wide.
    static uint32_t load16(const uint8_t* p) {
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        uint16_t value;
        std::memcpy(&value, p, sizeof value);
        return value;
#else
        return loadU16LE(p);
#endif
    }
    static uint32_t load32(const uint8_t* p) {
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        uint32_t value;
        std::memcpy(&value, p, sizeof value);
        return value;
#else
        return loadU32LE(p);
#endif
    }

    // Held: host-order uint32_t (decoded or owned); the others as stored.
    enum class Form : uint8_t { Byte, Short, Int, Held };
    std::shared_ptr<const std::vector<uint32_t>> owned_;
    const uint8_t* bytes_ = nullptr;
    size_t size_ = 0;
    Form form_ = Form::Held;
};

}  // namespace mevlo
