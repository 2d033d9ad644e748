#include "ingltf/import_records.h"

#include "common/byte_order.h"
#include "common/varint.h"
#include "lod/node_type.h"
#include "lod/primitive.h"
#include "outgltf/lod_records.h"

namespace mevlo {

bool LodRecordReader::word(uint32_t& out) {
    if (end_ - at_ < 4) return false;
    out = loadU32LE(at_);
    at_ += 4;
    return true;
}

bool LodRecordReader::number(uint32_t& out) { return getVarint(at_, end_, out); }

bool LodRecordReader::floatBits(float& out) {
    uint32_t w = 0;
    if (!word(w)) return false;
    out = floatFromBits(w);
    return true;
}

LodRecordClaims lodRecordClaims(const GltfScene::ByteView& view) {
    LodRecordClaims claims;
    if (!view.data || view.size < 40 || loadU32LE(view.data) != kLodRecordsMagic ||
        loadU32LE(view.data + 4) != kLodRecordsVersion)
        return claims;
    claims.holders = loadU32LE(view.data + 20);
    claims.primitives = loadU32LE(view.data + 28);
    claims.ints = loadU32LE(view.data + 32);
    claims.floats = loadU32LE(view.data + 36);
    return claims;
}

bool LodRecordReader::open(const GltfScene::ByteView& view, const GltfSceneMesh* mesh) {
    at_ = view.data;
    end_ = view.data ? view.data + view.size : nullptr;
    mesh_ = mesh;
    triangles_ = 0;
    uint32_t magic = 0, version = 0, vertices = 0, normalCount = 0, primitives = 0, holders = 0, flags = 0;
    if (!word(magic) || magic != kLodRecordsMagic || !word(version) || version != kLodRecordsVersion) return false;
    uint32_t claims[3];
    if (!word(vertices) || !word(normalCount) || !word(primitives) || !word(holders) || !word(flags) ||
        !word(claims[0]) || !word(claims[1]) || !word(claims[2]))
        return false;
    if (vertices > 0x7FFFFFFF || holders > 0x7FFFFFFF) return false;
    const size_t meshPrimitives = mesh ? mesh->primitives.size() : 0;
    if (primitives != meshPrimitives) return false;
    // Every count is checked against the bytes that remain before use.
    if (static_cast<size_t>(end_ - at_) / 8 < primitives) return false;
    std::vector<uint32_t> vertexCounts(primitives);
    for (uint32_t p = 0; p < primitives; ++p) {
        uint32_t count = 0, indexCount = 0;
        word(count);
        word(indexCount);
        const GltfScenePrimitive& prim = mesh->primitives[p];
        if (count != prim.positions.size() / 3 || indexCount != prim.indices.size()) return false;
        vertexCounts[p] = count;
    }
    maps_.assign(primitives, Map{});
    for (size_t p = 0; p < primitives; ++p) {
        uint32_t back = 0;
        if (!number(back) || back > p) return false;
        if (back > 0) {
            const size_t owner = maps_[p - back].owner;
            if (vertexCounts[owner] != vertexCounts[p]) return false;
            maps_[p] = maps_[owner];
            continue;
        }
        const size_t bytes = 2 * static_cast<size_t>(vertexCounts[p]);
        if (static_cast<size_t>(end_ - at_) < bytes) return false;
        maps_[p].owner = p;
        maps_[p].start = at_;
        at_ += bytes;
        for (size_t j = 0; j < vertexCounts[p]; ++j)
            if (lodVertex(p, j) >= vertices) return false;
    }
    uint32_t groupCount = 0;
    if (!number(groupCount) || static_cast<size_t>(end_ - at_) < groupCount) return false;
    groups_.assign(groupCount, Group{});
    for (Group& g : groups_) {
        uint32_t t = 0;
        if (!number(t) || t > primitives) return false;
        if (t == 0) continue;
        const GltfScenePrimitive& prim = mesh->primitives[t - 1];
        if (prim.mode != GltfMode::Triangles) return false;
        g.primitive = &prim;
        g.map = t - 1;
    }
    uint32_t missingCount = 0;
    if (!number(missingCount) || static_cast<size_t>(end_ - at_) / 13 < missingCount) return false;
    missing.clear();
    missing.reserve(missingCount);
    // The table is as long as the file says where indices reach it: past
    // what 16-bit indices address, only as far as the vertices kept here.
    uint32_t tableSize = vertices < 0x10000 ? vertices : 0x10000;
    for (uint32_t i = 0; i < missingCount; ++i) {
        uint32_t index = 0;
        Vec3 v;
        if (!number(index) || index >= vertices || !floatBits(v.x) || !floatBits(v.y) || !floatBits(v.z)) return false;
        missing.emplace_back(static_cast<int32_t>(index), v);
        if (index >= tableSize) tableSize = index + 1;
    }
    if (static_cast<size_t>(end_ - at_) / 12 < normalCount) return false;
    normals.resize(normalCount);
    for (Vec3& n : normals) {
        floatBits(n.x);
        floatBits(n.y);
        floatBits(n.z);
    }
    planes_.clear();
    vertexCount_ = static_cast<int32_t>(tableSize);
    holdersLeft_ = static_cast<int32_t>(holders);
    flipV_ = (flags & kLodRecordsFlipV) != 0;
    return true;
}

bool LodRecordReader::primitive(LodTree& tree, int32_t holder, ImportBudget& budget) {
    uint32_t type = 0, count = 0, form = 0;
    if (!number(type) || !number(count) || !number(form)) return false;
    if (type > 0x7FFFFFFF || count > 0x7FFFFFFF) return false;
    const int32_t bits = primitiveFlagsOf(static_cast<int32_t>(type));
    const auto n = static_cast<int32_t>(count);
    const bool fanned = type >= 2 && n >= 3;
    const bool fromTriangles = (form & kFormCornersFromTriangles) != 0;
    if (fromTriangles && !fanned) return false;
    Group* group = nullptr;
    uint32_t triangles = 0;
    if (fanned) {
        uint32_t g = 0;
        if (!number(g) || g > groups_.size()) return false;
        if (g > 0) {
            group = &groups_[g - 1];
            if (!group->primitive) return false;
            if (fromTriangles) {
                triangles = count - 2;
            } else if (!number(triangles)) {
                return false;
            }
            // The triangles are there before anything is sized by the count.
            if ((group->primitive->indices.size() - group->nextIndex) / 3 < triangles) return false;
        } else if (fromTriangles) {
            return false;
        }
    }
    // Corners that are not the triangles' take a byte at least each.
    if (!fromTriangles && static_cast<size_t>(end_ - at_) < count) return false;
    if ((form & kFormTexCoordsFromMesh) && (!fromTriangles || group->primitive->texCoords.empty())) return false;

    // The primitive and its blocks: at most three words and two floats a corner.
    if (!budget.charge(sizeof(LodTreePrimitive) + 20 * uint64_t{count})) return false;
    const int32_t index = tree.addPrimitive(holder, static_cast<int32_t>(type), n);
    LodTreePrimitive& p = tree.primitive(index);
    int32_t* vertices = tree.ints(p.vertices);
    // glTF vertices of the first triangle, then each third one
    const auto corner = [&group, first = fromTriangles ? group->nextIndex : 0](size_t k) {
        return group->primitive->indices[first + k];
    };
    if (fromTriangles) {
        vertices[0] = lodVertex(group->map, corner(0));
        vertices[1] = lodVertex(group->map, corner(1));
        for (int32_t i = 2; i < n; ++i) vertices[i] = lodVertex(group->map, corner(3 * (i - 2) + 2));
    } else {
        uint32_t delta = 0;
        int32_t last = 0;
        for (int32_t i = 0; i < n; ++i) {
            if (!number(delta)) return false;
            last = static_cast<int32_t>(static_cast<uint32_t>(last) + static_cast<uint32_t>(unzigzag(delta)));
            vertices[i] = last;
        }
    }
    if (group) {
        group->nextIndex += 3 * static_cast<size_t>(triangles);
        triangles_ += triangles;
    }
    uint32_t w = 0;
    if (bits & PRIM_POLYDATA) {
        if (!number(w) || w > planes_.size()) return false;
        if (w == 0) {
            std::array<float, 4> plane{};
            for (float& f : plane)
                if (!floatBits(f)) return false;
            planes_.push_back(plane);
            p.polyData = plane;
        } else {
            p.polyData = planes_[w - 1];
        }
    }
    const auto block = [&](int32_t* to, bool one) {
        const int32_t read = one ? (n > 0 ? 1 : 0) : n;
        for (int32_t i = 0; i < read; ++i) {
            if (!number(w)) return false;
            to[i] = unzigzag(w);
        }
        for (int32_t i = read; i < n; ++i) to[i] = to[0];
        return true;
    };
    if (bits & PRIM_COLORS) {
        if (!block(tree.ints(p.colors()), (form & kFormOneColor) != 0)) return false;
    } else if (bits & PRIM_COLOR) {
        if (!number(w)) return false;
        p.color = unzigzag(w);
    }
    if (bits & PRIM_NORMALS) {
        int32_t* to = tree.ints(p.normals());
        if (form & kFormNormalsAreVertices) {
            for (int32_t i = 0; i < n; ++i) to[i] = vertices[i];
        } else if (!block(to, (form & kFormOneNormal) != 0)) {
            return false;
        }
    } else if (bits & PRIM_NORMAL) {
        if (!number(w)) return false;
        p.normal = unzigzag(w);
    }
    if (bits & PRIM_TEXTURE) {
        if (!number(w)) return false;
        p.textureId = unzigzag(w);
        float* uv = tree.floats(p.texCoords);
        if (form & kFormTexCoordsFromMesh) {
            const float* st = group->primitive->texCoords.data();
            const size_t stCount = group->primitive->texCoords.size();
            for (int32_t i = 0; i < n; ++i) {
                const size_t v = i < 2 ? corner(i) : corner(3 * (i - 2) + 2);
                if (stCount / 2 <= v) return false;
                uv[2 * i] = st[2 * v];
                uv[2 * i + 1] = flipV_ ? 1.0f - st[2 * v + 1] : st[2 * v + 1];
            }
        } else {
            if (static_cast<size_t>(end_ - at_) / 8 < count) return false;
            for (int32_t i = 0; i < 2 * n; ++i) floatBits(uv[i]);
        }
    }
    return true;
}

int32_t LodRecordReader::nextHolder(LodTree& tree, ImportBudget& budget) {
    if (holdersLeft_ <= 0) return -1;
    if (!budget.charge(sizeof(LodTreeNode) + 2 * sizeof(LodTreePrimitive))) {
        holdersLeft_ = 0;
        return -1;
    }
    uint32_t code = 0;
    if (!number(code) || (code != NODE_PT && code != NODE_CP && code != NODE_LP)) {
        holdersLeft_ = 0;
        return -1;
    }
    --holdersLeft_;
    const int32_t holder = tree.addNode(static_cast<int32_t>(code));
    const size_t sides = code == NODE_LP ? 2 : 1;
    const size_t before = tree.primitiveTotal();
    for (size_t s = 0; s < sides; ++s) {
        if (!primitive(tree, holder, budget)) {
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
