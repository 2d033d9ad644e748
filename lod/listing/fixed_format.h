// Fast "%f" formatting of floats for the listing, which prints millions of
// coordinates. The result is exactly what printf("%f", (double)value)
// prints with the GNU C library: six decimals, the value's exact binary
// expansion rounded to nearest with ties to even; "inf", "-inf", "nan" and
// "-nan" (the sign of a NaN kept) for the rest. Every float of a listing
// goes through here, so that a listing is the same text on every system,
// whatever its C runtime makes of NaN signs.
//
// The common case is inline: a listing line formats its coordinates three
// at a time, and the call costs as much as a short number's digits.
#pragma once

#include <cstdint>
#include <cstring>

#include "common/byte_order.h"

namespace mevlo {

// Room for any result, including the printf fallback for large values.
constexpr int kFixedFormatBufferSize = 64;

namespace fixed_format_detail {

// Two decimal digits per entry.
inline constexpr char kPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

inline constexpr uint64_t kPowersOfTen[] = {1ull,
                                            10ull,
                                            100ull,
                                            1000ull,
                                            10000ull,
                                            100000ull,
                                            1000000ull,
                                            10000000ull,
                                            100000000ull,
                                            1000000000ull,
                                            10000000000ull,
                                            100000000000ull,
                                            1000000000000ull,
                                            10000000000000ull,
                                            100000000000000ull};

inline void putPair(char* out, uint32_t pair) { std::memcpy(out, kPairs + 2 * pair, 2); }

// Decimal digits of n: from its bit length, corrected by one comparison.
inline int digitCount(uint64_t n) {
    const int bitLength = 64 - __builtin_clzll(n | 1);
    const int guess = (bitLength * 1233) >> 12;  // floor(bitLength * log10(2))
    return guess + ((n | 1) >= kPowersOfTen[guess] ? 1 : 0);
}

// Infinities, NaNs and values of 2^43 and more.
int formatRareFixed6(float value, char* out);

}  // namespace fixed_format_detail

// Writes the text and a terminating NUL into out; returns its length.
//
// A float is m * 2^e with a 24-bit m. Below 2^43 (e < 19) the products
// m * 2^e * 10^6 and m * 10^6 fit 64 bits, so value * 10^6 is rounded
// exactly in integers.
inline int formatFixed6(float value, char* out) {
    using namespace fixed_format_detail;
    const uint32_t bits = bitsOfFloat(value);
    const uint32_t biasedExponent = (bits >> 23) & 0xFF;
    if (biasedExponent >= 150 + 19) return formatRareFixed6(value, out);

    const uint32_t fraction = bits & 0x7FFFFF;
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
    p += bits >> 31;
    // The integer part, written back to front from its last digit.
    uint64_t integerPart = scaled / 1000000u;
    const auto decimals = static_cast<uint32_t>(scaled - integerPart * 1000000u);
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

// The text of one float, for a "%s" of printf.
class Fixed6Text {
public:
    explicit Fixed6Text(float value) { formatFixed6(value, text_); }
    const char* c_str() const { return text_; }

private:
    char text_[kFixedFormatBufferSize];
};

}  // namespace mevlo
