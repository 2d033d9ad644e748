// Comparisons of our outputs with the corpus's expected files. Each returns an
// empty string when the two agree, else one short phrase that says where they
// first differ ("differs at line 4 (byte 57): expected ..., got ...").
#pragma once

#include <string>

namespace conformance {

// Byte for byte, reported by line.
std::string compareText(const std::string& expected, const std::string& actual);

// A 3DS file byte for byte, except that two NaN vertex coordinates are equal
// whatever their payload bits. The vertex lists are found by walking the
// chunks of the expected file.
std::string compare3ds(const std::string& expected, const std::string& actual);

// A LOD file as 32-bit little-endian words; two words that are both NaN float
// patterns are equal.
std::string compareLodWords(const std::string& expected, const std::string& actual);

// A window of the line that holds `offset`, quoted and escaped for a report,
// or "end of output" when the text ends before it.
std::string quoteLineAt(const std::string& text, size_t offset);

}  // namespace conformance
