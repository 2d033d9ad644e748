// Fast "%f" formatting of floats for the listing, which prints millions of
// coordinates. The result is exactly what printf("%f", (double)value)
// prints: six decimals, the value's exact binary expansion rounded to
// nearest with ties to even.
#pragma once

namespace mevlo {

// Room for any result, including the printf fallback for large values.
constexpr int kFixedFormatBufferSize = 64;

// Writes the text and a terminating NUL into out; returns its length.
int formatFixed6(float value, char* out);

}  // namespace mevlo
