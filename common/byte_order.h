// Explicit little-endian decoding and encoding. Both file formats are
// little-endian; decoding byte by byte keeps reads alignment-free and
// independent of the host's byte order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace mevlo {

inline uint32_t loadU32LE(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

inline int32_t loadI32LE(const uint8_t* p) { return static_cast<int32_t>(loadU32LE(p)); }

inline uint16_t loadU16LE(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

inline float floatFromBits(uint32_t bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

inline uint32_t bitsOfFloat(float f) {
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

inline float loadF32LE(const uint8_t* p) { return floatFromBits(loadU32LE(p)); }

inline void storeU32LE(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// The 32 bits of a value, as the file stores them.
inline uint32_t bitsOf32(uint32_t v) { return v; }
inline uint32_t bitsOf32(int32_t v) { return static_cast<uint32_t>(v); }
inline uint32_t bitsOf32(float v) { return bitsOfFloat(v); }

// Stores count 32-bit values (int32, uint32 or float) one after another. A
// little-endian host holds them in file order already: one copy, instead
// of a loop the compiler cannot widen (byte stores may alias the values).
template <typename T>
inline void store32ArrayLE(uint8_t* p, const T* values, size_t count) {
    static_assert(sizeof(T) == 4, "32-bit values only");
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (count > 0) std::memcpy(p, values, 4 * count);
#else
    for (size_t i = 0; i < count; ++i) storeU32LE(p + 4 * i, bitsOf32(values[i]));
#endif
}

inline void storeU16LE(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace mevlo
