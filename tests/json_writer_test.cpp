// The JSON text writer: strings escaped as JSON requires and nothing more,
// numbers that read back as what was written, and null for what JSON
// cannot hold.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "common/byte_order.h"
#include "common/json_writer.h"

using namespace mevlo;

namespace {

// The numbers of a flat JSON array.
std::vector<std::string> elements(const std::string& array) {
    std::vector<std::string> out;
    std::string current;
    for (char c : array.substr(1, array.size() - 2)) {
        if (c == ',') {
            out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    out.push_back(current);
    return out;
}

TEST(JsonWriter, EscapesQuotesBackslashesAndControlCharactersAndPassesUtf8Through) {
    JsonWriter json;
    json.beginObject();
    json.field("say \"hi\"", "back\\slash\x01\t\n\x1f\x7f caf\xc3\xa9 \xe6\x97\xa5");
    json.endObject();
    EXPECT_EQ(json.text(),
              "{\"say \\\"hi\\\"\":\"back\\\\slash\\u0001\\u0009\\u000a\\u001f\x7f caf\xc3\xa9 \xe6\x97\xa5\"}");
}

TEST(JsonWriter, EveryFloatReadsBackAsTheSameFloat) {
    std::vector<float> floats = {0.0f, -0.0f, 0.1f, 1.0f / 3.0f, FLT_MIN, FLT_MAX, -FLT_MAX,
                                 std::numeric_limits<float>::denorm_min(), 16777217.0f, 3.4e-39f};
    std::mt19937 random(20261208);
    while (floats.size() < 100000) {
        const float f = floatFromBits(static_cast<uint32_t>(random()));
        if (std::isfinite(f)) floats.push_back(f);
    }
    JsonWriter json;
    json.beginArray();
    for (float f : floats) json.value(f);
    json.endArray();
    const std::vector<std::string> written = elements(json.text());
    ASSERT_EQ(written.size(), floats.size());
    for (size_t i = 0; i < floats.size(); ++i)
        ASSERT_EQ(bitsOfFloat(std::strtof(written[i].c_str(), nullptr)), bitsOfFloat(floats[i])) << written[i];
}

// Doubles are written to float precision (nine significant digits), which
// the glTF node transforms are read at.
TEST(JsonWriter, DoublesReadBackToNineDigitsAndWhatJsonCannotHoldIsNull) {
    const double values[] = {0.70710678118654757, -1e-300, 4.2426406871192853e+38, 123456789012.0, 5e-324};
    JsonWriter json;
    json.beginArray();
    for (double v : values) json.value(v);
    json.value(std::numeric_limits<double>::quiet_NaN());
    json.value(std::numeric_limits<double>::infinity());
    json.value(-std::numeric_limits<float>::infinity());
    json.endArray();
    const std::vector<std::string> written = elements(json.text());
    ASSERT_EQ(written.size(), 8u);
    for (size_t i = 0; i < 5; ++i)
        EXPECT_LE(std::fabs(std::strtod(written[i].c_str(), nullptr) - values[i]), std::fabs(values[i]) * 5e-9)
            << written[i];
    EXPECT_EQ(written[5], "null");
    EXPECT_EQ(written[6], "null");
    EXPECT_EQ(written[7], "null");
}

// The exact text matters, not only the value read back: exports are
// compared byte for byte. Whole and half numbers take a shorter path than
// the rest, so both sides of its edges are here.
TEST(JsonWriter, NumbersAreWrittenAsNineSignificantDigitsInPrintfsGeneralForm) {
    const double values[] = {0.0, -0.0, 39.5, -0.5, 99999999.5, 1e8, 123456789.0, 1234567891.0, -49.0,
                             -0.98999995f, 0.00999999978f, 1e-5f, 0.70710678118654757, 12345678.25, FLT_MAX};
    JsonWriter json;
    json.beginArray();
    for (double v : values) json.value(v);
    json.value(int64_t{-9223372036854775807 - 1});
    json.endArray();
    EXPECT_EQ(json.text(),
              "[0,-0,39.5,-0.5,99999999.5,100000000,123456789,1.23456789e+09,-49,-0.98999995,0.00999999978,"
              "9.99999975e-06,0.707106781,12345678.2,3.40282347e+38,-9223372036854775808]");
}

}  // namespace
