// Builds a 3DS chunk tree in memory. Every chunk starts with a 16-bit id and
// a 32-bit length that counts the whole chunk, header included; the length
// is reserved when the chunk opens and filled in when it closes, so it
// always matches what was written inside.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mevlo {

class ChunkWriter {
public:
    // Starts a chunk; pass the result to closeChunk once its content is written.
    size_t openChunk(uint16_t id);
    void closeChunk(size_t start);

    void putU16(uint16_t value);
    void putU32(uint32_t value);
    // The float's bits as they are (signed zeros and NaN payloads included).
    void putF32(float value);
    void putBytes(const void* data, size_t size);

    void reserve(size_t size) { bytes_.reserve(size); }
    // Appends n bytes for the caller to fill; valid until the next put.
    uint8_t* extend(size_t n) {
        const size_t at = bytes_.size();
        bytes_.resize(at + n);
        return bytes_.data() + at;
    }
    void clear() { bytes_.clear(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t> takeBytes() { return std::move(bytes_); }

private:
    std::vector<uint8_t> bytes_;
};

}  // namespace mevlo
