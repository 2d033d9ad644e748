// Fast "%f" formatting of floats for the listing, which prints millions of
// coordinates. The result is exactly what printf("%f", (double)value)
// prints with the GNU C library: six decimals, the value's exact binary
// expansion rounded to nearest with ties to even; "inf", "-inf", "nan" and
// "-nan" (the sign of a NaN kept) for the rest. Every float of a listing
// goes through here, so that a listing is the same text on every system,
// whatever its C runtime makes of NaN signs.
#pragma once

namespace mevlo {

// Room for any result, including the printf fallback for large values.
constexpr int kFixedFormatBufferSize = 64;

// Writes the text and a terminating NUL into out; returns its length.
int formatFixed6(float value, char* out);

// The text of one float, for a "%s" of printf.
class Fixed6Text {
public:
    explicit Fixed6Text(float value) { formatFixed6(value, text_); }
    const char* c_str() const { return text_; }

private:
    char text_[kFixedFormatBufferSize];
};

}  // namespace mevlo
