#include "outgltf/lod_records.h"

#include <cstring>

#include "common/byte_order.h"
#include "common/varint.h"
#include "lod/primitive.h"
#include "lod/primitive_nodes.h"
#include "lod/subtree_node.h"

namespace mevlo {

namespace {

// Words the uncompressed record of a primitive takes, which bounds the
// compact one.
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

uint8_t* putFloat(uint8_t* out, uint32_t bits) {
    storeU32LE(out, bits);
    return out + 4;
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
    flushPending();
    pending_ = &holder;
    if (holder.type == NODE_LP) {
        const auto& pair = static_cast<const DblPolyNode&>(holder);
        pendingSides_[0] = pair.sideA();
        pendingSides_[1] = pair.sideB();
    } else {
        pendingSides_[0] = static_cast<const SinglePrimitiveNode&>(holder).primitive();
        pendingSides_[1] = nullptr;
    }
    placements_[0] = FanPlacement{};
    placements_[1] = FanPlacement{};
}

void LodRecordStream::placeFan(const Primitive& primitive, const FanPlacement& placement) {
    // Both sides of a pair may be one primitive; the first unplaced one takes it.
    for (int s = 0; s < 2; ++s) {
        if (pendingSides_[s] == &primitive && placements_[s].group < 0) {
            placements_[s] = placement;
            return;
        }
    }
}

void LodRecordStream::flushPending() {
    if (!pending_) return;
    const LodNode& holder = *pending_;
    pending_ = nullptr;
    ++holders_;
    const size_t before = bytes_.size();
    uint8_t* start = bytes_.extend(kMaxVarintBytes);
    uint8_t* end = putVarint(start, static_cast<uint32_t>(holder.type));
    bytes_.shrinkTo(before + static_cast<size_t>(end - start));
    addPrimitive(pendingSides_[0], &placements_[0]);
    if (holder.type == NODE_LP) addPrimitive(pendingSides_[1], &placements_[1]);
}

void LodRecordStream::addPrimitive(const Primitive* p, const FanPlacement* placement) {
    const size_t base = bytes_.size();
    ++primitives_;
    if (!p) {
        uint8_t* out = bytes_.extend(3);
        out[0] = out[1] = out[2] = 0;  // type, count and form 0
        return;
    }
    // One look at the record for all its fields.
    const Primitive::Decoded d = p->decode();
    const int32_t type = d.type;
    const int32_t bits = d.bits;
    // Only what the file holds: a block that is not there counts no entries.
    const Int32Table& vertices = d.vertices;
    const int32_t n = vertices.count();
    // At most: five numbers before the corners, three numbers per corner,
    // the plane's number and bits, the texture number and the raw (u, v).
    const size_t bound = kMaxVarintBytes * (8 + 3 * static_cast<size_t>(n)) + 16 + 8 * static_cast<size_t>(n);
    uint8_t* const start = bytes_.extend(bound);
    uint8_t* out = start;
    if (named_.empty() && n > 0) named_.assign(static_cast<size_t>(container_.vertexCount > 0 ? container_.vertexCount : 0), 0);
    const int32_t vertexCount = container_.vertexCount;
    for (int32_t i = 0; i < n; ++i) {
        const auto v = static_cast<int32_t>(vertices.rawWord(i, 0));
        if (v >= 0 && v < vertexCount) named_[static_cast<size_t>(v)] = 1;
    }
    blockInts_ += static_cast<uint64_t>(n) * (1u + ((bits & PRIM_COLORS) ? 1u : 0u) + ((bits & PRIM_NORMALS) ? 1u : 0u));
    if (bits & PRIM_TEXTURE) blockFloats_ += 2 * static_cast<uint64_t>(n);
    const bool fanned = type >= 2 && n >= 3;
    const bool fromTriangles = fanned && placement->group >= 0 && placement->whole;

    uint32_t form = fromTriangles ? kFormCornersFromTriangles : 0u;
    if (fromTriangles && placement->texCoordsExact && (bits & PRIM_TEXTURE)) form |= kFormTexCoordsFromMesh;
    // A block shorter than the vertex count reads as 0 past its end (it is
    // either whole or absent, so that is all or nothing).
    const Int32Table& colors = d.colors;
    const auto colorAt = [&colors](int32_t i) { return i < colors.count() ? static_cast<int32_t>(colors.rawWord(i, 0)) : 0; };
    if ((bits & PRIM_COLORS) && n > 0) {
        bool one = true;
        const int32_t first = colorAt(0);
        for (int32_t i = 1; i < n && one; ++i) one = colorAt(i) == first;
        if (one) form |= kFormOneColor;
    }
    const Int32Table& normals = d.normals;
    const auto normalAt = [&normals](int32_t i) {
        return i < normals.count() ? static_cast<int32_t>(normals.rawWord(i, 0)) : 0;
    };
    if ((bits & PRIM_NORMALS) && n > 0) {
        bool same = true;
        for (int32_t i = 0; i < n && same; ++i) same = normalAt(i) == static_cast<int32_t>(vertices.rawWord(i, 0));
        if (same) {
            form |= kFormNormalsAreVertices;
        } else {
            bool one = true;
            const int32_t first = normalAt(0);
            for (int32_t i = 1; i < n && one; ++i) one = normalAt(i) == first;
            if (one) form |= kFormOneNormal;
        }
    }

    out = putVarint(out, static_cast<uint32_t>(type));
    out = putVarint(out, static_cast<uint32_t>(n));
    out = putVarint(out, form);
    if (fanned) {
        out = putVarint(out, static_cast<uint32_t>(placement->group + 1));
        if (placement->group >= 0 && !fromTriangles) out = putVarint(out, static_cast<uint32_t>(placement->triangles));
    }
    if (!fromTriangles) {
        int32_t last = 0;
        for (int32_t i = 0; i < n; ++i) {
            const auto v = static_cast<int32_t>(vertices.rawWord(i, 0));
            out = putVarint(out, zigzag(static_cast<int32_t>(static_cast<uint32_t>(v) - static_cast<uint32_t>(last))));
            last = v;
        }
    }
    if (bits & PRIM_POLYDATA) {
        const uint32_t* plane = d.polyDataBits;
        uint64_t hash = 1469598103934665603ull;
        for (int i = 0; i < 4; ++i) hash = (hash ^ plane[i]) * 1099511628211ull;
        if (!planeSlots_) planeSlots_.reset(new PlaneSlot[kPlaneSlots]);
        // The multiply only carries bits upward; fold the high ones down.
        hash ^= hash >> 33;
        hash *= 0xff51afd7ed558ccdull;
        hash ^= hash >> 33;
        PlaneSlot& slot = planeSlots_[hash % kPlaneSlots];
        if (slot.index > 0 && std::memcmp(slot.bits, plane, sizeof d.polyDataBits) == 0) {
            out = putVarint(out, slot.index);
        } else {
            out = putVarint(out, 0);
            for (int i = 0; i < 4; ++i) out = putFloat(out, plane[i]);
            std::memcpy(slot.bits, plane, sizeof d.polyDataBits);
            slot.index = ++planes_;
        }
    }
    if (bits & PRIM_COLORS) {
        const int32_t count = (form & kFormOneColor) ? (n > 0 ? 1 : 0) : n;
        for (int32_t i = 0; i < count; ++i) out = putSignedVarint(out, colorAt(i));
    } else if (bits & PRIM_COLOR) {
        out = putSignedVarint(out, d.colorIndex);
    }
    if (bits & PRIM_NORMALS) {
        if (!(form & kFormNormalsAreVertices)) {
            const int32_t count = (form & kFormOneNormal) ? (n > 0 ? 1 : 0) : n;
            for (int32_t i = 0; i < count; ++i) out = putSignedVarint(out, normalAt(i));
        }
    } else if (bits & PRIM_NORMAL) {
        out = putSignedVarint(out, d.normalIndex);
    }
    if (bits & PRIM_TEXTURE) {
        out = putSignedVarint(out, d.textureId);
        if (!(form & kFormTexCoordsFromMesh)) {
            const TexCoordTable& uv = d.texCoords;
            const int32_t stored = uv.count() < n ? uv.count() : n;
            // The pairs as stored, then zeros for a block that is absent.
            if (stored > 0) std::memcpy(out, uv.bytes(), 8 * static_cast<size_t>(stored));
            out += 8 * static_cast<size_t>(stored);
            if (n > stored) std::memset(out, 0, 8 * static_cast<size_t>(n - stored));
            out += 8 * static_cast<size_t>(n - stored);
        }
    }
    bytes_.shrinkTo(base + static_cast<size_t>(out - start));
}

bool LodRecordStream::worthWriting() const {
    return holders_ > 0 || pending_ != nullptr || container_.normals.count() > 0;
}

int32_t LodRecordStream::write(GltfDocument& document, const std::vector<GltfPrimitiveSource>& sources,
                               const std::vector<int32_t>& groupTriangles) {
    flushPending();
    const int32_t vertexCount = container_.vertexCount > 0 ? container_.vertexCount : 0;
    const int32_t normalCount = container_.normals.count();
    // Vertices the records name that no glTF vertex carries.
    std::vector<uint8_t> carried(static_cast<size_t>(vertexCount), 0);
    for (const auto& source : sources) {
        for (uint16_t v : source.lodVertex)
            if (v < vertexCount) carried[v] = 1;
    }
    std::vector<int32_t> missing;
    for (size_t i = 0; i < named_.size(); ++i)
        if (named_[i] && !carried[i] && static_cast<int32_t>(i) < container_.vertices.count()) missing.push_back(static_cast<int32_t>(i));

    // The exact size, so that the view is written where it stays, once.
    size_t size = 4 * (10 + 2 * sources.size());
    for (size_t p = 0; p < sources.size(); ++p) {
        const GltfPrimitiveSource& source = sources[p];
        size += source.mapOwner != p ? varintSize(static_cast<uint32_t>(p - source.mapOwner))
                                     : 1 + 2 * source.lodVertex.size();
    }
    size += varintSize(static_cast<uint32_t>(groupTriangles.size()));
    for (int32_t t : groupTriangles) size += varintSize(static_cast<uint32_t>(t + 1));
    size += varintSize(static_cast<uint32_t>(missing.size()));
    for (int32_t index : missing) size += varintSize(static_cast<uint32_t>(index)) + 12;
    size += 12 * static_cast<size_t>(normalCount) + bytes_.size();
    int32_t view = -1;
    uint8_t* out = document.addBufferView(size, 0, view);
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
    put(flipV_ ? kLodRecordsFlipV : 0u);
    const auto clamp = [](uint64_t v) { return static_cast<uint32_t>(v < 0xFFFFFFFFu ? v : 0xFFFFFFFFu); };
    put(primitives_);
    put(clamp(blockInts_));
    put(clamp(blockFloats_));
    for (const auto& source : sources) {
        put(source.vertexCount);
        put(static_cast<uint32_t>(source.indexCount));
    }
    for (size_t p = 0; p < sources.size(); ++p) {
        const GltfPrimitiveSource& source = sources[p];
        if (source.mapOwner != p) {
            out = putVarint(out, static_cast<uint32_t>(p - source.mapOwner));
            continue;
        }
        out = putVarint(out, 0);
        for (uint16_t v : source.lodVertex) {
            out[0] = static_cast<uint8_t>(v);
            out[1] = static_cast<uint8_t>(v >> 8);
            out += 2;
        }
    }
    out = putVarint(out, static_cast<uint32_t>(groupTriangles.size()));
    for (int32_t t : groupTriangles) out = putVarint(out, static_cast<uint32_t>(t + 1));
    out = putVarint(out, static_cast<uint32_t>(missing.size()));
    for (int32_t index : missing) {
        const Vec3 v = container_.vertices[index];
        out = putVarint(out, static_cast<uint32_t>(index));
        put(bitsOfFloat(v.x));
        put(bitsOfFloat(v.y));
        put(bitsOfFloat(v.z));
    }
    for (int32_t i = 0; i < normalCount; ++i) {
        for (int w = 0; w < 3; ++w) put(container_.normals.rawWord(i, w));
    }
    if (bytes_.size() > 0) std::memcpy(out, bytes_.data(), bytes_.size());
    return view;
}

}  // namespace mevlo
