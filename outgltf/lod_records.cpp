#include "outgltf/lod_records.h"

#include <cstring>

#include "common/byte_order.h"
#include "lod/primitive.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"

namespace mevlo {

namespace {

int64_t primitiveWords(const Primitive* p) {
    if (!p) return 2;
    const int32_t bits = p->flags();
    const int64_t n = p->vertexIndices().count();
    int64_t words = 2 + n;
    if (bits & PRIM_POLYDATA) words += 4;
    if (bits & PRIM_COLORS) {
        words += n;
    } else if (bits & PRIM_COLOR) {
        ++words;
    }
    if (bits & PRIM_NORMALS) {
        words += n;
    } else if (bits & PRIM_NORMAL) {
        ++words;
    }
    if (bits & PRIM_TEXTURE) words += 1 + 2 * n;
    return words;
}

}  // namespace

int64_t LodRecordStream::holderWords(const LodNode& holder) {
    if (holder.type == NODE_LP) {
        const auto& pair = static_cast<const DblPolyNode&>(holder);
        return 1 + primitiveWords(pair.sideA()) + primitiveWords(pair.sideB());
    }
    return 1 + primitiveWords(static_cast<const SinglePrimitiveNode&>(holder).primitive());
}

void LodRecordStream::addHolder(const LodNode& holder) {
    ++holders_;
    words_.push(holder.type);
    if (holder.type == NODE_LP) {
        const auto& pair = static_cast<const DblPolyNode&>(holder);
        addPrimitive(pair.sideA());
        addPrimitive(pair.sideB());
    } else {
        addPrimitive(static_cast<const SinglePrimitiveNode&>(holder).primitive());
    }
}

void LodRecordStream::addPrimitive(const Primitive* p) {
    if (!p) {
        words_.push(0);
        words_.push(0);
        return;
    }
    const int32_t bits = p->flags();
    // Only what the file holds: a block that is not there counts no entries.
    const Int32Table vertices = p->vertexIndices();
    const int32_t n = vertices.count();
    words_.push(p->type());
    words_.push(n);
    int32_t* out = words_.extend(static_cast<size_t>(n));
    if (named_.empty() && n > 0) named_.assign(static_cast<size_t>(container_.vertexCount > 0 ? container_.vertexCount : 0), 0);
    for (int32_t i = 0; i < n; ++i) {
        out[i] = static_cast<int32_t>(vertices.rawWord(i, 0));
        if (out[i] >= 0 && out[i] < container_.vertexCount) named_[static_cast<size_t>(out[i])] = 1;
    }
    if (bits & PRIM_POLYDATA)
        for (int i = 0; i < 4; ++i) words_.push(static_cast<int32_t>(bitsOfFloat(p->polyData(i))));
    const auto block = [&](const Int32Table& table) {
        int32_t* to = words_.extend(static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i) to[i] = i < table.count() ? static_cast<int32_t>(table.rawWord(i, 0)) : 0;
    };
    if (bits & PRIM_COLORS) {
        block(p->colorIndices());
    } else if (bits & PRIM_COLOR) {
        words_.push(p->colorIndex());
    }
    if (bits & PRIM_NORMALS) {
        block(p->normalIndices());
    } else if (bits & PRIM_NORMAL) {
        words_.push(p->normalIndex());
    }
    if (bits & PRIM_TEXTURE) {
        words_.push(p->textureId());
        const TexCoordTable uv = p->texCoords();
        int32_t* to = words_.extend(2 * static_cast<size_t>(n));
        for (int32_t i = 0; i < n; ++i) {
            to[2 * i] = i < uv.count() ? static_cast<int32_t>(uv.rawWord(i, 0)) : 0;
            to[2 * i + 1] = i < uv.count() ? static_cast<int32_t>(uv.rawWord(i, 1)) : 0;
        }
    }
}

bool LodRecordStream::worthWriting() const { return holders_ > 0 || container_.normals.count() > 0; }

int32_t LodRecordStream::write(GltfDocument& document, const std::vector<GltfPrimitiveSource>& sources) const {
    const int32_t vertexCount = container_.vertexCount > 0 ? container_.vertexCount : 0;
    const int32_t normalCount = container_.normals.count();
    // Vertices the records name that no glTF vertex carries.
    std::vector<uint8_t> carried(static_cast<size_t>(vertexCount), 0);
    size_t mapWords = 0;
    for (const auto& source : sources) {
        for (uint16_t v : source.lodVertex)
            if (v < vertexCount) carried[v] = 1;
        mapWords += (source.lodVertex.size() + 1) / 2;
    }
    std::vector<int32_t> missing;
    for (size_t i = 0; i < named_.size(); ++i)
        if (named_[i] && !carried[i] && static_cast<int32_t>(i) < container_.vertices.count()) missing.push_back(static_cast<int32_t>(i));

    const size_t words = 6 + 2 * sources.size() + mapWords + 1 + 4 * missing.size() +
                         3 * static_cast<size_t>(normalCount) + words_.size();
    int32_t view = -1;
    uint8_t* out = document.addBufferView(4 * words, 0, view);
    const auto put = [&out](uint32_t w) {
        storeU32LE(out, w);
        out += 4;
    };
    put(kLodRecordsMagic);
    put(kLodRecordsVersion);
    put(static_cast<uint32_t>(vertexCount));
    put(static_cast<uint32_t>(normalCount));
    put(static_cast<uint32_t>(sources.size()));
    put(static_cast<uint32_t>(holders_));
    for (const auto& source : sources) {
        put(static_cast<uint32_t>(source.lodVertex.size()));
        put(static_cast<uint32_t>(source.indexCount));
    }
    for (const auto& source : sources) {
        const size_t count = source.lodVertex.size();
        for (size_t i = 0; i < count; i += 2) {
            const uint32_t low = source.lodVertex[i];
            const uint32_t high = i + 1 < count ? source.lodVertex[i + 1] : 0u;
            put(low | (high << 16));
        }
    }
    put(static_cast<uint32_t>(missing.size()));
    for (int32_t index : missing) {
        const Vec3 v = container_.vertices[index];
        put(static_cast<uint32_t>(index));
        put(bitsOfFloat(v.x));
        put(bitsOfFloat(v.y));
        put(bitsOfFloat(v.z));
    }
    for (int32_t i = 0; i < normalCount; ++i) {
        for (int w = 0; w < 3; ++w) put(container_.normals.rawWord(i, w));
    }
    if (words_.size() > 0) std::memcpy(out, words_.data(), 4 * words_.size());
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    for (size_t i = 0; i < words_.size(); ++i) storeU32LE(out + 4 * i, static_cast<uint32_t>(words_[i]));
#endif
    return view;
}

}  // namespace mevlo
