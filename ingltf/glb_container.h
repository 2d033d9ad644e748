// The binary glTF container: a 12-byte header ("glTF", version 2, total
// length) and chunks of (length, type, bytes): first the JSON, then an
// optional binary chunk that buffer 0 refers to when it has no URI.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace mevlo {

struct GlbChunks {
    const uint8_t* json = nullptr;
    size_t jsonSize = 0;
    const uint8_t* bin = nullptr;  // null without a binary chunk
    size_t binSize = 0;
};

// True when the bytes start with the container's magic.
bool looksLikeGlb(const uint8_t* data, size_t size);

// Finds the chunks. False with a one-line reason when a length runs past
// the data or the JSON chunk is missing. Chunks of other types are skipped.
bool splitGlb(const uint8_t* data, size_t size, GlbChunks& chunks, std::string& error);

}  // namespace mevlo
