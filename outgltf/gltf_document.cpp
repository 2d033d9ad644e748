#include "outgltf/gltf_document.h"

#include <algorithm>
#include <cstring>

#include "common/byte_order.h"

namespace mevlo {

namespace {

// New blocks are at least this large, so small views share blocks.
constexpr size_t kBinBlockBytes = 4u << 20;

}  // namespace

uint8_t* GltfDocument::addBufferView(size_t bytes, int32_t target, int32_t& viewIndex) {
    const size_t padded = (bytes + 3) / 4 * 4;
    if (binBlocks.empty() || binBlocks.back().room() < padded) binBlocks.emplace_back(std::max(padded, kBinBlockBytes));
    uint8_t* at = binBlocks.back().take(padded);
    // Only the padding is zeroed here; the caller writes the rest.
    std::memset(at + bytes, 0, padded - bytes);
    GltfBufferView view;
    view.offset = binSize;
    view.length = static_cast<int64_t>(bytes);
    view.target = target;
    binSize += static_cast<int64_t>(padded);
    bufferViews.push_back(view);
    viewIndex = static_cast<int32_t>(bufferViews.size() - 1);
    return at;
}

std::vector<uint8_t> GltfDocument::joinedBin() const {
    std::vector<uint8_t> joined;
    joined.reserve(static_cast<size_t>(binSize));
    for (const auto& block : binBlocks) joined.insert(joined.end(), block.data(), block.data() + block.size());
    return joined;
}

int32_t GltfDocument::addFloatAccessor(const float* values, size_t count, int components, bool withBounds) {
    GltfAccessor accessor;
    accessor.count = static_cast<int64_t>(count) / components;
    accessor.type = components == 3 ? "VEC3" : "VEC2";
    if (withBounds && components == 3 && accessor.count > 0) {
        accessor.hasBounds = true;
        // The first value stays where a later one compares equal (0 and -0).
        float lo[3] = {values[0], values[1], values[2]};
        float hi[3] = {values[0], values[1], values[2]};
        for (const float* v = values; v != values + count; v += 3) {
            for (int c = 0; c < 3; ++c) {
                lo[c] = v[c] < lo[c] ? v[c] : lo[c];
                hi[c] = hi[c] < v[c] ? v[c] : hi[c];
            }
        }
        std::copy(lo, lo + 3, accessor.min);
        std::copy(hi, hi + 3, accessor.max);
    }
    uint8_t* out = addBufferView(count * 4, kGltfArrayBuffer, accessor.bufferView);
    store32ArrayLE(out, values, count);
    accessors.push_back(accessor);
    return static_cast<int32_t>(accessors.size() - 1);
}

int32_t GltfDocument::addIndexAccessor(const uint32_t* indices, size_t count, uint32_t vertexCount) {
    GltfAccessor accessor;
    accessor.count = static_cast<int64_t>(count);
    accessor.type = "SCALAR";
    // With fewer vertices than that every index fits.
    const uint32_t largest = vertexCount <= 65535 || count == 0 ? 0 : *std::max_element(indices, indices + count);
    if (largest < 65535) {
        accessor.componentType = kGltfUnsignedShort;
        uint8_t* out = addBufferView(count * 2, kGltfElementArrayBuffer, accessor.bufferView);
        for (size_t i = 0; i < count; ++i) storeU16LE(out + 2 * i, static_cast<uint16_t>(indices[i]));
    } else {
        accessor.componentType = kGltfUnsignedInt;
        uint8_t* out = addBufferView(count * 4, kGltfElementArrayBuffer, accessor.bufferView);
        store32ArrayLE(out, indices, count);
    }
    accessors.push_back(accessor);
    return static_cast<int32_t>(accessors.size() - 1);
}

}  // namespace mevlo
