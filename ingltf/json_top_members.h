// Where the array values of a JSON document's top-level members lie in its
// text, found by one scan that follows strings and nesting without building
// anything, so that a large array can be handed to a parser of its own.
// The scan is exact for valid JSON; for any other text the spans mean
// nothing, and a caller must rely on them only once both the array and the
// rest have parsed (see parseGltfJson).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mevlo {

struct JsonTopMember {
    std::string key;
    // [begin, end) of the value's text when it is an array; begin == end
    // for any other value.
    size_t begin = 0;
    size_t end = 0;
};

// The members of the top-level object, in order. False when the text is
// not an object the scan can follow to its end, or a top-level key holds
// an escape (its text would not be the key the parser sees).
bool findJsonTopMembers(const uint8_t* data, size_t size, std::vector<JsonTopMember>& members);

}  // namespace mevlo
