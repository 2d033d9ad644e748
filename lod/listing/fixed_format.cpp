#include "lod/listing/fixed_format.h"

#include <cstdio>

namespace mevlo {
namespace fixed_format_detail {

// Infinities and NaNs are spelled here, with their sign, rather than by the
// C runtime (some print a negative NaN as "nan"). Values of 2^43 and more
// go through printf, which every C runtime prints exactly.
int formatRareFixed6(float value, char* out) {
    const uint32_t bits = bitsOfFloat(value);
    if (((bits >> 23) & 0xFF) == 0xFF) {
        const bool negative = (bits >> 31) != 0;
        const char* text = (bits & 0x7FFFFF) ? (negative ? "-nan" : "nan") : (negative ? "-inf" : "inf");
        const size_t length = std::strlen(text);
        std::memcpy(out, text, length + 1);
        return static_cast<int>(length);
    }
    return std::snprintf(out, kFixedFormatBufferSize, "%f", static_cast<double>(value));
}

}  // namespace fixed_format_detail
}  // namespace mevlo
