// Builds 3DS chunks in memory. Every chunk starts with a 16-bit id and a
// 32-bit length that counts the whole chunk, header included; the length
// is reserved when the chunk opens and filled in when it closes, so it
// always matches what was written inside.
//
// A measuring writer takes the same calls but keeps only the byte count:
// running an encoder on one gives the exact size of what it writes, for
// headers that must be sent before their content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mevlo {

constexpr size_t kChunkHeaderBytes = 6;

class ChunkWriter {
public:
    enum class Mode { Write, Measure };
    explicit ChunkWriter(Mode mode = Mode::Write) : measuring_(mode == Mode::Measure) {}

    // Starts a chunk; pass the result to closeChunk once its content is written.
    size_t openChunk(uint16_t id);
    void closeChunk(size_t start);
    // A chunk header whose length is already known.
    void putChunkHeader(uint16_t id, uint32_t length);

    void putU16(uint16_t value);
    void putU32(uint32_t value);
    void putBytes(const void* data, size_t size);
    // Appends n bytes that fill(uint8_t* first) writes, all n of them.
    template <typename Fill>
    void putBlock(size_t n, Fill fill) {
        if (measuring_) {
            measured_ += n;
            return;
        }
        const size_t at = bytes_.size();
        bytes_.resize(at + n);
        fill(bytes_.data() + at);
    }

    // Bytes written (or counted) since the last clear.
    size_t size() const { return measuring_ ? measured_ : bytes_.size(); }
    void reserve(size_t size) {
        if (!measuring_) bytes_.reserve(size);
    }
    void clear() {
        bytes_.clear();
        measured_ = 0;
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    bool measuring_;
    size_t measured_ = 0;
    std::vector<uint8_t> bytes_;
};

}  // namespace mevlo
