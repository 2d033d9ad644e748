#include "out3ds/chunk_writer.h"

#include "common/byte_order.h"

namespace mevlo {

size_t ChunkWriter::openChunk(uint16_t id) {
    const size_t start = size();
    putChunkHeader(id, 0);
    return start;
}

void ChunkWriter::closeChunk(size_t start) {
    if (measuring_) return;
    storeU32LE(bytes_.data() + start + 2, static_cast<uint32_t>(bytes_.size() - start));
}

void ChunkWriter::putChunkHeader(uint16_t id, uint32_t length) {
    putU16(id);
    putU32(length);
}

void ChunkWriter::putU16(uint16_t value) {
    uint8_t word[2];
    storeU16LE(word, value);
    putBytes(word, sizeof word);
}

void ChunkWriter::putU32(uint32_t value) {
    uint8_t word[4];
    storeU32LE(word, value);
    putBytes(word, sizeof word);
}

void ChunkWriter::putBytes(const void* data, size_t size) {
    if (measuring_) {
        measured_ += size;
        return;
    }
    const auto* first = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), first, first + size);
}

}  // namespace mevlo
