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

// Stores count words one after another. A little-endian host holds them in
// file order already: one copy, instead of a loop the compiler cannot
// widen (byte stores may alias the words).
inline void storeI32ArrayLE(uint8_t* p, const int32_t* words, size_t count) {
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (count > 0) std::memcpy(p, words, 4 * count);
#else
    for (size_t i = 0; i < count; ++i) storeU32LE(p + 4 * i, static_cast<uint32_t>(words[i]));
#endif
}

inline void storeU32ArrayLE(uint8_t* p, const uint32_t* words, size_t count) {
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (count > 0) std::memcpy(p, words, 4 * count);
#else
    for (size_t i = 0; i < count; ++i) storeU32LE(p + 4 * i, words[i]);
#endif
}

inline void storeF32ArrayLE(uint8_t* p, const float* values, size_t count) {
#if defined(__BYTE_ORDER__) && defined(__ORDER_LITTLE_ENDIAN__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    if (count > 0) std::memcpy(p, values, 4 * count);
#else
    for (size_t i = 0; i < count; ++i) storeU32LE(p + 4 * i, bitsOfFloat(values[i]));
#endif
}

inline void storeU16LE(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace mevlo
