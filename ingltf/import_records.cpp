#include "ingltf/import_records.h"

#include "common/byte_order.h"
#include "lod/node_type.h"
#include "lod/primitive.h"
#include "outgltf/lod_records.h"

namespace mevlo {

bool LodRecordReader::word(uint32_t& out) {
    if (size_ - at_ < 4) return false;
    out = loadU32LE(data_ + at_);
    at_ += 4;
    return true;
}

bool LodRecordReader::open(const GltfScene::ByteView& view, const GltfSceneMesh* mesh) {
    data_ = view.data;
    size_ = data_ ? view.size : 0;
    at_ = 0;
    uint32_t magic = 0, version = 0, vertices = 0, normalCount = 0, primitives = 0, holders = 0;
    if (!word(magic) || magic != kLodRecordsMagic || !word(version) || version != kLodRecordsVersion) return false;
    if (!word(vertices) || !word(normalCount) || !word(primitives) || !word(holders)) return false;
    if (vertices > 0x7FFFFFFF || holders > 0x7FFFFFFF) return false;
    const size_t meshPrimitives = mesh ? mesh->primitives.size() : 0;
    if (primitives != meshPrimitives) return false;
    // Every count is checked against the bytes that remain before use.
    if ((size_ - at_) / 8 < primitives) return false;
    vertexCounts_.clear();
    mapStarts_.clear();
    for (uint32_t p = 0; p < primitives; ++p) {
        uint32_t count = 0, indexCount = 0;
        word(count);
        word(indexCount);
        const GltfScenePrimitive& prim = mesh->primitives[p];
        if (count != prim.positions.size() / 3 || indexCount != prim.indices.size()) return false;
        vertexCounts_.push_back(count);
    }
    for (uint32_t p = 0; p < primitives; ++p) {
        const size_t bytes = (static_cast<size_t>(vertexCounts_[p]) + 1) / 2 * 4;
        if (size_ - at_ < bytes) return false;
        mapStarts_.push_back(at_);
        at_ += bytes;
    }
    uint32_t missingCount = 0;
    if (!word(missingCount) || (size_ - at_) / 16 < missingCount) return false;
    missing.clear();
    for (uint32_t i = 0; i < missingCount; ++i) {
        uint32_t index = 0, x = 0, y = 0, z = 0;
        word(index);
        word(x);
        word(y);
        word(z);
        if (index >= vertices) return false;
        missing.emplace_back(static_cast<int32_t>(index), Vec3{floatFromBits(x), floatFromBits(y), floatFromBits(z)});
    }
    if ((size_ - at_) / 12 < normalCount) return false;
    normals.clear();
    normals.reserve(normalCount);
    for (uint32_t i = 0; i < normalCount; ++i) {
        uint32_t x = 0, y = 0, z = 0;
        word(x);
        word(y);
        word(z);
        normals.push_back(Vec3{floatFromBits(x), floatFromBits(y), floatFromBits(z)});
    }
    for (uint32_t p = 0; p < primitives; ++p)
        for (uint32_t j = 0; j < vertexCounts_[p]; ++j)
            if (lodVertex(p, j) >= vertices) return false;
    vertexCount_ = static_cast<int32_t>(vertices);
    holdersLeft_ = static_cast<int32_t>(holders);
    return true;
}

uint16_t LodRecordReader::lodVertex(size_t p, size_t j) const {
    return loadU16LE(data_ + mapStarts_[p] + 2 * j);
}

bool LodRecordReader::primitive(LodTree& tree, int32_t holder) {
    uint32_t type = 0, count = 0;
    if (!word(type) || !word(count)) return false;
    const int32_t bits = primitiveFlagsOf(static_cast<int32_t>(type));
    // Words the record must still hold, before anything is sized by count.
    size_t perVertex = 1 + ((bits & PRIM_COLORS) ? 1 : 0) + ((bits & PRIM_NORMALS) ? 1 : 0) + ((bits & PRIM_TEXTURE) ? 2 : 0);
    if (count > 0x7FFFFFFF || (size_ - at_) / 4 / perVertex < count) return false;
    const auto n = static_cast<int32_t>(count);
    const int32_t index = tree.addPrimitive(holder, static_cast<int32_t>(type), n);
    LodTreePrimitive& p = tree.primitive(index);
    uint32_t w = 0;
    const auto block = [&](int32_t* to) {
        for (int32_t i = 0; i < n; ++i) {
            word(w);
            to[i] = static_cast<int32_t>(w);
        }
    };
    block(tree.ints(p.vertices));
    if (bits & PRIM_POLYDATA) {
        for (int i = 0; i < 4; ++i) {
            if (!word(w)) return false;
            p.polyData[static_cast<size_t>(i)] = floatFromBits(w);
        }
    }
    if (bits & PRIM_COLORS) {
        if ((size_ - at_) / 4 < count) return false;
        block(tree.ints(p.colors));
    } else if (bits & PRIM_COLOR) {
        if (!word(w)) return false;
        p.color = static_cast<int32_t>(w);
    }
    if (bits & PRIM_NORMALS) {
        if ((size_ - at_) / 4 < count) return false;
        block(tree.ints(p.normals));
    } else if (bits & PRIM_NORMAL) {
        if (!word(w)) return false;
        p.normal = static_cast<int32_t>(w);
    }
    if (bits & PRIM_TEXTURE) {
        if (!word(w) || (size_ - at_) / 8 < count) return false;
        p.textureId = static_cast<int32_t>(w);
        float* uv = tree.floats(p.texCoords);
        for (int32_t i = 0; i < 2 * n; ++i) {
            word(w);
            uv[i] = floatFromBits(w);
        }
    }
    return true;
}

int32_t LodRecordReader::nextHolder(LodTree& tree) {
    if (holdersLeft_ <= 0) return -1;
    uint32_t code = 0;
    if (!word(code) || (code != NODE_PT && code != NODE_CP && code != NODE_LP)) {
        holdersLeft_ = 0;
        return -1;
    }
    --holdersLeft_;
    const int32_t holder = tree.addNode(static_cast<int32_t>(code));
    const size_t sides = code == NODE_LP ? 2 : 1;
    const size_t before = tree.primitiveTotal();
    for (size_t s = 0; s < sides; ++s) {
        if (!primitive(tree, holder)) {
            holdersLeft_ = 0;
            break;
        }
    }
    // A damaged record leaves the holder with empty primitives, never fewer
    // than its kind has.
    while (tree.primitiveTotal() - before < sides) tree.addPrimitive(holder, 0, 0);
    return holder;
}

}  // namespace mevlo
