#include "lod/listing/fixed_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/byte_order.h"

namespace mevlo {

namespace {

// Two decimal digits per entry: this routine formats every coordinate of a
// listing, millions of them.
const char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline void putPair(char* out, uint32_t pair) { std::memcpy(out, kPairs + 2 * pair, 2); }

// Decimal digits of n: from its bit length, corrected by one comparison.
inline int digitCount(uint64_t n) {
    static const uint64_t kPowers[] = {1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull,
                                       10000000ull, 100000000ull, 1000000000ull, 10000000000ull,
                                       100000000000ull, 1000000000000ull, 10000000000000ull,
                                       100000000000000ull};
    const int bitLength = 64 - __builtin_clzll(n | 1);
    const int guess = (bitLength * 1233) >> 12;  // floor(bitLength * log10(2))
    return guess + ((n | 1) >= kPowers[guess] ? 1 : 0);
}

}  // namespace

// A float is m * 2^e with a 24-bit m. Below 2^43 (e < 19) the products
// m * 2^e * 10^6 and m * 10^6 fit 64 bits, so value * 10^6 is rounded
// exactly in integers. Larger values go through printf, which every C
// runtime prints exactly.
int formatFixed6(float value, char* out) {
    const uint32_t bits = bitsOfFloat(value);
    const bool negative = (bits >> 31) != 0;
    const uint32_t biasedExponent = (bits >> 23) & 0xFF;
    const uint32_t fraction = bits & 0x7FFFFF;
    if (biasedExponent == 0xFF) {
        const char* text = fraction ? (negative ? "-nan" : "nan") : (negative ? "-inf" : "inf");
        const size_t length = std::strlen(text);
        std::memcpy(out, text, length + 1);
        return static_cast<int>(length);
    }
    if (biasedExponent >= 150 + 19)
        return std::snprintf(out, kFixedFormatBufferSize, "%f", static_cast<double>(value));

    const uint64_t mantissa = biasedExponent ? (fraction | 0x800000u) : fraction;
    const int exponent = biasedExponent ? static_cast<int>(biasedExponent) - 150 : -149;
    uint64_t scaled;  // |value| * 10^6, rounded to nearest, ties to even
    if (exponent >= 0) {
        scaled = (mantissa << exponent) * 1000000u;  // below 2^43 * 10^6
    } else {
        const uint64_t product = mantissa * 1000000u;  // below 2^44
        const int shift = -exponent;
        if (shift >= 64) {
            scaled = 0;  // far below half a millionth
        } else {
            scaled = product >> shift;
            const uint64_t rest = product & ((uint64_t{1} << shift) - 1);
            const uint64_t half = uint64_t{1} << (shift - 1);
            if (rest > half || (rest == half && (scaled & 1))) ++scaled;
        }
    }

    // The sign is written always and kept only when negative: no branch on
    // a sign that coordinates flip at random.
    char* p = out;
    *p = '-';
    p += negative ? 1 : 0;
    // The integer part, written back to front from its last digit.
    uint64_t integerPart = scaled / 1000000u;
    const uint32_t decimals = static_cast<uint32_t>(scaled - integerPart * 1000000u);
    const int integerDigits = digitCount(integerPart);
    char* digit = p + integerDigits;
    while (integerPart >= 100) {
        const uint64_t rest = integerPart / 100;
        digit -= 2;
        putPair(digit, static_cast<uint32_t>(integerPart - rest * 100));
        integerPart = rest;
    }
    if (integerPart >= 10) {
        putPair(p, static_cast<uint32_t>(integerPart));
    } else {
        *p = static_cast<char>('0' + integerPart);
    }
    p += integerDigits;
    *p++ = '.';
    const uint32_t high = decimals / 10000;
    const uint32_t low = decimals - high * 10000;
    putPair(p, high);
    putPair(p + 2, low / 100);
    putPair(p + 4, low % 100);
    p[6] = '\0';
    return static_cast<int>(p + 6 - out);
}

}  // namespace mevlo
