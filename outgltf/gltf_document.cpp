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

int32_t GltfDocument::addIndexAccessors(const std::vector<GltfIndexList>& lists) {
    const auto first = static_cast<int32_t>(accessors.size());
    if (lists.empty()) return first;
    // Widths first: the view is allocated once, at its final size.
    std::vector<uint8_t> wide(lists.size());
    size_t bytes = 0;
    for (size_t i = 0; i < lists.size(); ++i) {
        const GltfIndexList& list = lists[i];
        // With fewer vertices than that every index fits.
        const uint32_t largest = list.vertexCount <= 65535 || list.count == 0
                                     ? 0
                                     : *std::max_element(list.indices, list.indices + list.count);
        wide[i] = largest >= 65535;
        bytes += ((wide[i] ? 4 : 2) * list.count + 3) / 4 * 4;
    }
    int32_t view = -1;
    uint8_t* const start = addBufferView(bytes, kGltfElementArrayBuffer, view);
    size_t offset = 0;
    for (size_t i = 0; i < lists.size(); ++i) {
        const GltfIndexList& list = lists[i];
        GltfAccessor accessor;
        accessor.bufferView = view;
        accessor.byteOffset = static_cast<int64_t>(offset);
        accessor.count = static_cast<int64_t>(list.count);
        accessor.type = "SCALAR";
        uint8_t* out = start + offset;
        size_t written = 0;
        if (wide[i]) {
            accessor.componentType = kGltfUnsignedInt;
            store32ArrayLE(out, list.indices, list.count);
            written = 4 * list.count;
        } else {
            accessor.componentType = kGltfUnsignedShort;
            for (size_t k = 0; k < list.count; ++k) storeU16LE(out + 2 * k, static_cast<uint16_t>(list.indices[k]));
            written = 2 * list.count;
        }
        const size_t padded = (written + 3) / 4 * 4;
        std::memset(out + written, 0, padded - written);
        offset += padded;
        accessors.push_back(accessor);
    }
    return first;
}

}  // namespace mevlo
