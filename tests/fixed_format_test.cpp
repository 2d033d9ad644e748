// The listing's float formatter must print exactly what printf("%f") does
// for finite values, and spell infinities and NaNs with their sign on every
// system.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>

#include "common/byte_order.h"
#include "lod/listing/fixed_format.h"

namespace {

void expectSameAsPrintf(float value) {
    char ours[mevlo::kFixedFormatBufferSize];
    char reference[mevlo::kFixedFormatBufferSize];
    const int length = mevlo::formatFixed6(value, ours);
    if (std::isfinite(value)) {
        std::snprintf(reference, sizeof reference, "%f", static_cast<double>(value));
    } else {
        std::snprintf(reference, sizeof reference, "%s%s", std::signbit(value) ? "-" : "",
                      std::isnan(value) ? "nan" : "inf");
    }
    ASSERT_STREQ(ours, reference) << "bits " << std::hex << mevlo::bitsOfFloat(value);
    ASSERT_EQ(length, static_cast<int>(std::strlen(reference)));
}

}  // namespace

TEST(FixedFormat, SpecialValuesAndRoundingTiesMatchPrintf) {
    const float values[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 2.5e-7f, 5e-7f, 1.5e-6f, 0.0000005f, 0.1f,
                            123456.789f, 8388608.0f, 16777216.0f, 3e38f, -3e38f, 65504.0f,
                            std::numeric_limits<float>::denorm_min(), std::numeric_limits<float>::min(),
                            std::numeric_limits<float>::max(), std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(), std::numeric_limits<float>::quiet_NaN(),
                            -std::numeric_limits<float>::quiet_NaN(), mevlo::floatFromBits(0xFF800001u),
                            std::ldexp(1.0f, 42), std::ldexp(1.0f, 43), std::nextafter(std::ldexp(1.0f, 43), 0.0f)};
    for (float v : values) expectSameAsPrintf(v);
    // Halfway cases: k + 0.5 millionths, exactly representable near powers of two.
    for (int k = 0; k < 64; ++k) expectSameAsPrintf(std::ldexp(static_cast<float>(2 * k + 1), -21));
}

TEST(FixedFormat, RandomBitPatternsMatchPrintf) {
    std::mt19937 random(12345);
    for (int i = 0; i < 200000; ++i) {
        expectSameAsPrintf(mevlo::floatFromBits(static_cast<uint32_t>(random())));
        // Small magnitudes, where rounding to six decimals decides the digits.
        expectSameAsPrintf(mevlo::floatFromBits(static_cast<uint32_t>(random()) % 0x4A000000u));
    }
}
