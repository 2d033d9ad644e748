#include "lod/listing/fixed_format.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "common/byte_order.h"

namespace mevlo {

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

    // Digits two at a time from a table: this routine formats every
    // coordinate of a listing, millions of them.
    static const char kPairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    char reversed[32];
    int length = 0;
    uint64_t integerPart = scaled / 1000000u;
    uint32_t decimals = static_cast<uint32_t>(scaled % 1000000u);
    for (int i = 0; i < 3; ++i) {
        const uint32_t pair = decimals % 100;
        decimals /= 100;
        reversed[length++] = kPairs[2 * pair + 1];
        reversed[length++] = kPairs[2 * pair];
    }
    reversed[length++] = '.';
    if (integerPart <= UINT32_MAX) {
        uint32_t small = static_cast<uint32_t>(integerPart);
        while (small >= 100) {
            const uint32_t pair = small % 100;
            small /= 100;
            reversed[length++] = kPairs[2 * pair + 1];
            reversed[length++] = kPairs[2 * pair];
        }
        reversed[length++] = kPairs[2 * small + 1];
        if (small >= 10) reversed[length++] = kPairs[2 * small];
    } else {
        do {
            reversed[length++] = static_cast<char>('0' + integerPart % 10);
            integerPart /= 10;
        } while (integerPart);
    }

    int written = 0;
    if (negative) out[written++] = '-';
    while (length) out[written++] = reversed[--length];
    out[written] = '\0';
    return written;
}

}  // namespace mevlo
