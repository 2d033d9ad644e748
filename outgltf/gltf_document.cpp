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
    if (binBlocks.empty() || binBlocks.back().capacity() - binBlocks.back().size() < padded) {
        binBlocks.emplace_back();
        binBlocks.back().reserve(std::max(padded, kBinBlockBytes));
    }
    std::vector<uint8_t>& block = binBlocks.back();
    const size_t at = block.size();
    block.resize(at + padded, 0);
    GltfBufferView view;
    view.offset = binSize;
    view.length = static_cast<int64_t>(bytes);
    view.target = target;
    binSize += static_cast<int64_t>(padded);
    bufferViews.push_back(view);
    viewIndex = static_cast<int32_t>(bufferViews.size() - 1);
    return block.data() + at;
}

std::vector<uint8_t> GltfDocument::joinedBin() const {
    std::vector<uint8_t> joined;
    joined.reserve(static_cast<size_t>(binSize));
    for (const auto& block : binBlocks) joined.insert(joined.end(), block.begin(), block.end());
    return joined;
}

int32_t GltfDocument::addFloatAccessor(const std::vector<float>& values, int components, bool withBounds) {
    GltfAccessor accessor;
    accessor.count = static_cast<int64_t>(values.size()) / components;
    accessor.type = components == 3 ? "VEC3" : "VEC2";
    if (withBounds && components == 3 && accessor.count > 0) {
        accessor.hasBounds = true;
        for (int c = 0; c < 3; ++c) accessor.min[c] = accessor.max[c] = values[static_cast<size_t>(c)];
        for (size_t i = 0; i < values.size(); i += 3) {
            for (int c = 0; c < 3; ++c) {
                accessor.min[c] = std::min(accessor.min[c], values[i + static_cast<size_t>(c)]);
                accessor.max[c] = std::max(accessor.max[c], values[i + static_cast<size_t>(c)]);
            }
        }
    }
    // Floats go out little-endian whatever the host order.
    uint8_t* out = addBufferView(values.size() * 4, kGltfArrayBuffer, accessor.bufferView);
    for (size_t i = 0; i < values.size(); ++i) storeU32LE(out + 4 * i, bitsOfFloat(values[i]));
    accessors.push_back(accessor);
    return static_cast<int32_t>(accessors.size() - 1);
}

int32_t GltfDocument::addIndexAccessor(const std::vector<uint32_t>& indices) {
    GltfAccessor accessor;
    accessor.count = static_cast<int64_t>(indices.size());
    accessor.type = "SCALAR";
    const uint32_t largest = indices.empty() ? 0 : *std::max_element(indices.begin(), indices.end());
    if (largest < 65535) {
        accessor.componentType = kGltfUnsignedShort;
        uint8_t* out = addBufferView(indices.size() * 2, kGltfElementArrayBuffer, accessor.bufferView);
        for (size_t i = 0; i < indices.size(); ++i) storeU16LE(out + 2 * i, static_cast<uint16_t>(indices[i]));
    } else {
        accessor.componentType = kGltfUnsignedInt;
        uint8_t* out = addBufferView(indices.size() * 4, kGltfElementArrayBuffer, accessor.bufferView);
        for (size_t i = 0; i < indices.size(); ++i) storeU32LE(out + 4 * i, indices[i]);
    }
    accessors.push_back(accessor);
    return static_cast<int32_t>(accessors.size() - 1);
}

}  // namespace mevlo
