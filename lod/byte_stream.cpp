#include "lod/byte_stream.h"

namespace mevlo {

uint8_t readByte(ByteStream& stream) {
    uint8_t b = 0;
    return stream.readExact(&b, 1) ? b : 0;
}

}  // namespace mevlo
