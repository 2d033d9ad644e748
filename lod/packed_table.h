// Read-only views of the tables a LOD record points at (vertex, normal,
// texture, index and texture-coordinate blocks).
//
// A table is never copied out of the file: the model keeps one immutable
// copy of the whole input, and a table is a pointer into it plus a count.
// Records of a crafted file may all name the same large table; viewing
// instead of copying keeps memory linear in the file size. Entries are
// decoded on access, byte by byte, so the table may start at any offset.
#pragma once

#include <cstdint>

#include "common/byte_order.h"
#include "common/vec.h"

namespace mevlo {

struct TexCoord {
    float u = 0.0f;
    float v = 0.0f;
};

template <typename T>
struct PackedDecoder;

template <>
struct PackedDecoder<int32_t> {
    static constexpr int64_t kSize = 4;
    static int32_t decode(const uint8_t* p) { return loadI32LE(p); }
};

template <>
struct PackedDecoder<Vec3> {
    static constexpr int64_t kSize = 12;
    static Vec3 decode(const uint8_t* p) { return loadVec3LE(p); }
};

template <>
struct PackedDecoder<TexCoord> {
    static constexpr int64_t kSize = 8;
    static TexCoord decode(const uint8_t* p) { return TexCoord{loadF32LE(p), loadF32LE(p + 4)}; }
};

template <typename T>
class PackedTable {
public:
    static constexpr int64_t kEntrySize = PackedDecoder<T>::kSize;

    PackedTable() = default;
    PackedTable(const uint8_t* bytes, int32_t count) : bytes_(bytes), count_(bytes ? count : 0) {}

    bool present() const { return bytes_ != nullptr; }
    explicit operator bool() const { return present(); }
    int32_t count() const { return count_; }
    // Caller guarantees 0 <= i < count().
    T operator[](int32_t i) const { return PackedDecoder<T>::decode(bytes_ + static_cast<int64_t>(i) * kEntrySize); }
    // Raw 32-bit word w of entry i, for bit-exact copying.
    uint32_t rawWord(int32_t i, int w) const {
        return loadU32LE(bytes_ + static_cast<int64_t>(i) * kEntrySize + 4 * w);
    }
    const uint8_t* bytes() const { return bytes_; }

private:
    const uint8_t* bytes_ = nullptr;
    int32_t count_ = 0;
};

using Vec3Table = PackedTable<Vec3>;
using Int32Table = PackedTable<int32_t>;
using TexCoordTable = PackedTable<TexCoord>;

}  // namespace mevlo
