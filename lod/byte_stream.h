// A read position over the in-memory copy of a LOD file, with the scalar
// reads every record loader uses.
//
// The whole input is read once; every read is then served from memory.
// Positions are 64-bit: a seek to dataBase + offset never overflows. A seek
// before the start fails and leaves the position unchanged; a seek past the
// end succeeds, and reads there yield zeros, as a short read does.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/byte_order.h"

namespace mevlo {

class ByteStream {
public:
    ByteStream() = default;
    ByteStream(const uint8_t* data, int64_t size) : data_(data), size_(size) {}

    bool seek(int64_t position) {
        if (position < 0) return false;
        position_ = position;
        return true;
    }
    int64_t tell() const { return position_; }
    int64_t size() const { return size_; }
    const uint8_t* data() const { return data_; }

    // Bytes readable from the position on (0 when at or past the end).
    int64_t remaining() const { return position_ < size_ ? size_ - position_ : 0; }

    // Copies n bytes when all n are there; otherwise copies nothing. The
    // position advances by what was consumed (all of it, or up to the end).
    bool readExact(uint8_t* out, int64_t n) {
        if (n > remaining()) return readShort();
        std::memcpy(out, data_ + position_, static_cast<size_t>(n));
        position_ += n;
        return true;
    }

private:
    // A read past the end consumes up to the end and fails.
    bool readShort() {
        position_ = position_ < size_ ? size_ : position_;
        return false;
    }

    const uint8_t* data_ = nullptr;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

// Scalar reads at the current position. A read that cannot get all its
// bytes yields 0 (0.0f for floats).
inline int32_t readInt32(ByteStream& stream) {
    uint8_t b[4];
    return stream.readExact(b, 4) ? loadI32LE(b) : 0;
}
uint8_t readByte(ByteStream& stream);
inline float readFloat(ByteStream& stream) {
    uint8_t b[4];
    return stream.readExact(b, 4) ? loadF32LE(b) : 0.0f;
}

}  // namespace mevlo
