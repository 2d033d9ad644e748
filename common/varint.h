// Variable-length integers (LEB128): seven bits a byte, low bits first, the
// top bit set on every byte but the last. Signed values are zigzag-mapped
// first (0, -1, 1, -2, ... -> 0, 1, 2, 3, ...) so that small negative
// numbers stay short. A 32-bit value takes one to five bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mevlo {

constexpr size_t kMaxVarintBytes = 5;

inline uint8_t* putVarint(uint8_t* out, uint32_t value) {
    while (value >= 0x80) {
        *out++ = static_cast<uint8_t>(value | 0x80);
        value >>= 7;
    }
    *out++ = static_cast<uint8_t>(value);
    return out;
}

// Bytes putVarint writes for the value.
inline size_t varintSize(uint32_t value) {
    size_t bytes = 1;
    for (; value >= 0x80; value >>= 7) ++bytes;
    return bytes;
}

inline uint32_t zigzag(int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    return (u << 1) ^ (value < 0 ? 0xFFFFFFFFu : 0u);
}

inline int32_t unzigzag(uint32_t value) {
    return static_cast<int32_t>((value >> 1) ^ (0u - (value & 1u)));
}

inline uint8_t* putSignedVarint(uint8_t* out, int32_t value) { return putVarint(out, zigzag(value)); }

// Reads bytes [at, end); false (nothing read) when the number runs past
// the end or past 32 bits.
inline bool getVarint(const uint8_t*& at, const uint8_t* end, uint32_t& value) {
    // Most numbers are below 128: one byte, one test.
    if (at != end && *at < 0x80) {
        value = *at++;
        return true;
    }
    uint32_t result = 0;
    const uint8_t* p = at;
    for (int shift = 0; shift < 35; shift += 7) {
        if (p == end) return false;
        const uint8_t byte = *p++;
        if (shift == 28 && (byte & 0xF0) != 0) return false;
        result |= static_cast<uint32_t>(byte & 0x7F) << shift;
        if (!(byte & 0x80)) {
            at = p;
            value = result;
            return true;
        }
    }
    return false;
}

}  // namespace mevlo
