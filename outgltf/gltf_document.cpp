#include "outgltf/gltf_document.h"

#include <algorithm>
#include <cstring>

#include "lod/byte_order.h"

namespace mevlo {

int32_t GltfDocument::addBufferView(const void* data, size_t bytes, int32_t target) {
    GltfBufferView view;
    view.offset = static_cast<int64_t>(bin.size());
    view.length = static_cast<int64_t>(bytes);
    view.target = target;
    bin.insert(bin.end(), static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + bytes);
    bin.resize((bin.size() + 3) / 4 * 4, 0);
    bufferViews.push_back(view);
    return static_cast<int32_t>(bufferViews.size() - 1);
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
    std::vector<uint8_t> bytes(values.size() * 4);
    for (size_t i = 0; i < values.size(); ++i) storeU32LE(&bytes[4 * i], bitsOfFloat(values[i]));
    accessor.bufferView = addBufferView(bytes.data(), bytes.size(), kGltfArrayBuffer);
    accessors.push_back(accessor);
    return static_cast<int32_t>(accessors.size() - 1);
}

int32_t GltfDocument::addIndexAccessor(const std::vector<uint32_t>& indices) {
    GltfAccessor accessor;
    accessor.count = static_cast<int64_t>(indices.size());
    accessor.type = "SCALAR";
    const uint32_t largest = indices.empty() ? 0 : *std::max_element(indices.begin(), indices.end());
    std::vector<uint8_t> bytes;
    if (largest < 65535) {
        accessor.componentType = kGltfUnsignedShort;
        bytes.resize(indices.size() * 2);
        for (size_t i = 0; i < indices.size(); ++i) storeU16LE(&bytes[2 * i], static_cast<uint16_t>(indices[i]));
    } else {
        accessor.componentType = kGltfUnsignedInt;
        bytes.resize(indices.size() * 4);
        for (size_t i = 0; i < indices.size(); ++i) storeU32LE(&bytes[4 * i], indices[i]);
    }
    accessor.bufferView = addBufferView(bytes.data(), bytes.size(), kGltfElementArrayBuffer);
    accessors.push_back(accessor);
    return static_cast<int32_t>(accessors.size() - 1);
}

}  // namespace mevlo
