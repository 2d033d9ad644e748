#include "lod/byte_stream.h"

#include <cstring>

#include "lod/byte_order.h"

namespace mevlo {

bool ByteStream::readExact(uint8_t* out, int64_t n) {
    if (n > remaining()) {
        position_ = position_ < size_ ? size_ : position_;
        return false;
    }
    std::memcpy(out, data_ + position_, static_cast<size_t>(n));
    position_ += n;
    return true;
}

int32_t readInt32(ByteStream& stream) {
    uint8_t b[4];
    return stream.readExact(b, 4) ? loadI32LE(b) : 0;
}

uint8_t readByte(ByteStream& stream) {
    uint8_t b = 0;
    return stream.readExact(&b, 1) ? b : 0;
}

float readFloat(ByteStream& stream) {
    uint8_t b[4];
    return stream.readExact(b, 4) ? loadF32LE(b) : 0.0f;
}

}  // namespace mevlo
