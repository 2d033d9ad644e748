#include "ingltf/glb_container.h"

#include "common/byte_order.h"

namespace mevlo {

namespace {

constexpr uint32_t kGlbMagic = 0x46546C67;      // "glTF"
constexpr uint32_t kJsonChunkType = 0x4E4F534A;  // "JSON"
constexpr uint32_t kBinChunkType = 0x004E4942;   // "BIN\0"
constexpr size_t kHeaderSize = 12;
constexpr size_t kChunkHeaderSize = 8;

}  // namespace

bool looksLikeGlb(const uint8_t* data, size_t size) { return size >= 4 && loadU32LE(data) == kGlbMagic; }

bool splitGlb(const uint8_t* data, size_t size, GlbChunks& chunks, std::string& error) {
    if (size < kHeaderSize) {
        error = "truncated GLB: no room for its 12-byte header";
        return false;
    }
    const uint32_t version = loadU32LE(data + 4);
    if (version != 2) {
        error = "GLB version " + std::to_string(version) + " (only version 2 is read)";
        return false;
    }
    const uint32_t length = loadU32LE(data + 8);
    if (length < kHeaderSize || length > size) {
        error = "truncated GLB: the header says " + std::to_string(length) + " bytes, the file has " +
                std::to_string(size);
        return false;
    }
    size_t offset = kHeaderSize;
    bool first = true;
    while (length - offset >= kChunkHeaderSize) {
        const uint32_t chunkLength = loadU32LE(data + offset);
        const uint32_t chunkType = loadU32LE(data + offset + 4);
        offset += kChunkHeaderSize;
        if (chunkLength > length - offset) {
            error = "truncated GLB: a chunk of " + std::to_string(chunkLength) + " bytes at offset " +
                    std::to_string(offset - kChunkHeaderSize) + " runs past the end";
            return false;
        }
        if (first && chunkType != kJsonChunkType) {
            error = "malformed GLB: the first chunk is not JSON";
            return false;
        }
        if (first) {
            chunks.json = data + offset;
            chunks.jsonSize = chunkLength;
        } else if (chunkType == kBinChunkType && chunks.bin == nullptr) {
            chunks.bin = data + offset;
            chunks.binSize = chunkLength;
        }
        first = false;
        offset += chunkLength;
    }
    if (first) {
        error = "malformed GLB: no JSON chunk";
        return false;
    }
    return true;
}

}  // namespace mevlo
