#include "outgltf/mesh_builder.h"

#include <cmath>
#include <cstring>

#include "common/axes.h"
#include "common/byte_order.h"
#include "lod/primitive.h"
#include "lod/subtree_node.h"
#include "outgltf/append_array.h"
#include "outgltf/vertex_tables.h"

namespace mevlo {

namespace {

// A vertex of a pool with attributes: the LOD vertex and the bits of its
// normal and texture coordinates.
struct VertexKey {
    uint32_t words[6];
    bool operator==(const VertexKey& other) const { return std::memcmp(words, other.words, sizeof words) == 0; }
};

struct VertexKeyHash {
    size_t operator()(const VertexKey& key) const {
        uint64_t h = 1469598103934665603ull;
        for (uint32_t w : key.words) h = (h ^ w) * 1099511628211ull;
        return static_cast<size_t>(h);
    }
};

// Whether the glTF primitive's LOD primitives all had one and the same colour.
struct ColorCover {
    bool any = false;
    bool uniform = true;
    int32_t color = 0;

    void add(const Primitive& primitive, int32_t flags) {
        int32_t c = 0;
        const bool single = singleColorOf(primitive, flags, c);
        if (!single || (any && c != color)) uniform = false;
        any = true;
        color = c;
    }
    void applyTo(GltfPrimitive& out) const {
        out.hasColor = any && uniform;
        out.color = color;
    }
};

Vec3d unitOrZero(const Vec3d& v) {
    const double n = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (!(n > 0.0) || !std::isfinite(n)) return Vec3d{};
    return {v.x / n, v.y / n, v.z / n};
}

bool isZero(const Vec3d& v) { return v.x == 0.0 && v.y == 0.0 && v.z == 0.0; }

// Attribute sets of one LOD vertex found by walking a list; real models
// give a vertex a few (one normal per face around a hard edge).
constexpr int kListedAttributeSets = 8;

// Groups of one container that are found by a scan of their keys; further
// ones (a container may have thousands) are found through a map.
constexpr size_t kGroupsScanned = 8;

}  // namespace

bool singleColorOf(const Primitive& primitive, int32_t flags, int32_t& color) {
    if (flags & PRIM_COLOR) {
        color = primitive.colorIndex();
        return true;
    }
    if (!(flags & PRIM_COLORS)) return false;
    const Int32Table colors = primitive.colorIndices();
    if (!colors.present() || colors.count() == 0) return false;
    color = colors[0];
    for (int32_t i = 1; i < colors.count(); ++i)
        if (colors[i] != color) return false;
    return true;
}

struct GltfMeshBuilder::Pool {
    bool withNormals = false;
    bool withTexCoords = false;

    AppendArray<float> positions;
    AppendArray<float> normals;
    AppendArray<float> texCoords;
    // Pool vertex of each LOD vertex with the first attributes it came
    // with; per pool vertex the next one of the same LOD vertex; and the
    // attribute sets of a vertex beyond kListedAttributeSets.
    std::vector<int32_t> firstIndex;
    AppendArray<int32_t> nextSame;
    // The LOD vertex of each pool vertex.
    std::vector<uint16_t> source;
    std::unordered_map<VertexKey, uint32_t, VertexKeyHash> keyedIndex;

    // Set by finish: the accessors, and the primitive that names the LOD
    // vertices for all that use the pool.
    bool written = false;
    GltfPrimitive shape;
    size_t mapOwner = 0;

    uint32_t vertexCount() const { return static_cast<uint32_t>(nextSame.size()); }
};

struct GltfMeshBuilder::Group {
    int32_t ordinal = 0;
    int32_t material = -1;
    Pool* pool = nullptr;

    AppendArray<uint32_t> triangles;
    ColorCover triangleColor;
    AppendArray<uint32_t> points;
    ColorCover pointColor;
    // Line segments, two vertices each.
    AppendArray<uint32_t> lines;
    ColorCover lineColor;
};

GltfMeshBuilder::GltfMeshBuilder(const SubTreeNode& container, const GltfExportOptions& options,
                                 GltfExportReport& report, GltfVertexTables& vertexTables)
    : container_(container), options_(options), report_(report), vertexTables_(vertexTables) {}

void GltfMeshBuilder::prepareVertices() {
    // The stored vertices: a DOF's transform is its node's, not the mesh's.
    vertices_ = vertexTables_.tableOf(container_);
    positions_ = vertices_->positions.get();
    finite_ = vertices_->finite.get();
}

GltfMeshBuilder::~GltfMeshBuilder() = default;

void GltfMeshBuilder::prepareNormals() {
    // The container's normals in glTF axes, of unit length; zero where the
    // stored one is zero or not finite.
    unitNormals_.assign(3 * static_cast<size_t>(container_.normalCount) + 3, 0.0f);
    for (int32_t i = 0; i < container_.normalCount; ++i) {
        const Vec3d n = unitOrZero(toGltfAxes(container_.normals[i]));
        float* out = &unitNormals_[3 * static_cast<size_t>(i)];
        out[0] = static_cast<float>(n.x);
        out[1] = static_cast<float>(n.y);
        out[2] = static_cast<float>(n.z);
    }
}

void GltfMeshBuilder::faceNormalOf(const FanFace& face, float out[3]) const {
    const float* a = &positions_[3 * static_cast<size_t>(face.a)];
    const float* b = &positions_[3 * static_cast<size_t>(face.b)];
    const float* c = &positions_[3 * static_cast<size_t>(face.c)];
    const Vec3d ab{double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
    const Vec3d ac{double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
    Vec3d n = unitOrZero(Vec3d{ab.y * ac.z - ab.z * ac.y, ab.z * ac.x - ab.x * ac.z, ab.x * ac.y - ab.y * ac.x});
    // A face without area has no direction; up will do.
    if (isZero(n)) n = Vec3d{0.0, 1.0, 0.0};
    out[0] = static_cast<float>(n.x);
    out[1] = static_cast<float>(n.y);
    out[2] = static_cast<float>(n.z);
}

bool GltfMeshBuilder::usable(uint16_t index) const {
    return index < container_.vertexCount && finite_[index];
}

inline GltfMeshBuilder::Group& GltfMeshBuilder::groupFor(int32_t material, bool withNormals, bool withTexCoords,
                                                         int32_t& ordinal) {
    // Every polygon asks: the groups' keys lie side by side for the search.
    const uint64_t key = (static_cast<uint64_t>(static_cast<uint32_t>(material)) << 2) | (withNormals ? 2u : 0u) |
                         (withTexCoords ? 1u : 0u);
    for (size_t i = 0; i < groupKeys_.size(); ++i) {
        if (groupKeys_[i] == key) {
            ordinal = static_cast<int32_t>(i);
            return *groups_[i];
        }
    }
    const auto found = laterGroups_.find(key);
    if (found != laterGroups_.end()) {
        ordinal = found->second->ordinal;
        return *found->second;
    }
    Group& group = newGroup(key, material, withNormals, withTexCoords);
    ordinal = group.ordinal;
    return group;
}

GltfMeshBuilder::Group& GltfMeshBuilder::newGroup(uint64_t key, int32_t material, bool withNormals,
                                                  bool withTexCoords) {
    groups_.push_back(std::make_unique<Group>());
    Group& group = *groups_.back();
    if (groupKeys_.size() < kGroupsScanned) {
        groupKeys_.push_back(key);
    } else {
        laterGroups_.emplace(key, &group);
    }
    group.ordinal = static_cast<int32_t>(groups_.size() - 1);
    group.material = material;
    std::unique_ptr<Pool>& pool = pools_[(withNormals ? 2 : 0) + (withTexCoords ? 1 : 0)];
    if (!pool) {
        pool = std::make_unique<Pool>();
        pool->withNormals = withNormals;
        pool->withTexCoords = withTexCoords;
        pool->firstIndex.assign(static_cast<size_t>(container_.vertexCount), -1);
        // Room for as many vertices as the other arrays start with, instead
        // of growing from one.
        pool->source.reserve(64);
    }
    group.pool = pool.get();
    return group;
}

inline int32_t GltfMeshBuilder::appendVertex(Pool& pool, uint16_t index, const float* normal, const float* texCoord) {
    std::memcpy(pool.positions.extend(3), &positions_[3 * static_cast<size_t>(index)], 3 * sizeof(float));
    if (normal) std::memcpy(pool.normals.extend(3), normal, 3 * sizeof(float));
    if (texCoord) std::memcpy(pool.texCoords.extend(2), texCoord, 2 * sizeof(float));
    pool.nextSame.push(-1);
    pool.source.push_back(index);
    return static_cast<int32_t>(pool.nextSame.size() - 1);
}

inline uint32_t GltfMeshBuilder::vertexOf(Pool& pool, uint16_t index, const float* normal, const float* texCoord) {
    // The pool vertices of one LOD vertex form a short list from its
    // first one; most LOD vertices have one, met first here.
    int32_t& first = pool.firstIndex[index];
    if (first < 0) {
        first = appendVertex(pool, index, normal, texCoord);
        return static_cast<uint32_t>(first);
    }
    return listedVertexOf(pool, first, index, normal, texCoord);
}

uint32_t GltfMeshBuilder::listedVertexOf(Pool& pool, int32_t first, uint16_t index, const float* normal,
                                         const float* texCoord) {
    const auto sameAttributes = [&](int32_t candidate) {
        const size_t at = static_cast<size_t>(candidate);
        return (!normal || std::memcmp(&pool.normals[3 * at], normal, 3 * sizeof(float)) == 0) &&
               (!texCoord || std::memcmp(&pool.texCoords[2 * at], texCoord, 2 * sizeof(float)) == 0);
    };
    // A vertex with more attribute sets than the list holds (only crafted
    // files have them) continues in a hash map.
    int32_t candidate = first;
    for (int listed = 1;; ++listed) {
        if (sameAttributes(candidate)) return static_cast<uint32_t>(candidate);
        const int32_t next = pool.nextSame[static_cast<size_t>(candidate)];
        if (next >= 0) {
            candidate = next;
            continue;
        }
        if (listed < kListedAttributeSets) {
            const int32_t added = appendVertex(pool, index, normal, texCoord);
            pool.nextSame[static_cast<size_t>(candidate)] = added;
            return static_cast<uint32_t>(added);
        }
        break;
    }
    VertexKey key{};
    key.words[0] = index;
    if (normal) std::memcpy(&key.words[1], normal, 3 * sizeof(float));
    if (texCoord) std::memcpy(&key.words[4], texCoord, 2 * sizeof(float));
    const auto found = pool.keyedIndex.find(key);
    if (found != pool.keyedIndex.end()) return found->second;
    const auto added = static_cast<uint32_t>(appendVertex(pool, index, normal, texCoord));
    pool.keyedIndex.emplace(key, added);
    return added;
}

FanPlacement GltfMeshBuilder::addFan(const Primitive& primitive, int32_t flags, const FanOutcome& fan,
                                     int32_t material, const TexCoordTable& texCoords) {
    FanPlacement placement;
    const bool singleNormal = (flags & PRIM_NORMAL) != 0;
    const int32_t singleNormalIndex = singleNormal ? primitive.normalIndex() : 0;
    const Int32Table normalIndices = (flags & PRIM_NORMALS) ? primitive.normalIndices() : Int32Table{};
    const bool withTexCoords = texCoords.present();
    const bool withNormals = singleNormal || ((flags & PRIM_NORMALS) && normalIndices.present());
    if (!positions_) prepareVertices();
    if (withNormals && unitNormals_.empty()) prepareNormals();
    Group* group = nullptr;
    // Whether the import can take the corners from the triangles, and their
    // texture coordinates from TEXCOORD_0: every face of the fan kept, in
    // order, and every v given back exactly by the flip.
    const Int32Table stored = primitive.vertexIndices();
    const int32_t n = stored.count();
    bool whole = n >= 3 && static_cast<int64_t>(fan.kept.size()) == n - 2;
    bool texCoordsExact = withTexCoords && n <= texCoords.count();
    int32_t faceNumber = 0;
    for (const FanFace& face : fan.kept) {
        const uint16_t vertex[3] = {face.a, face.b, face.c};
        if (!usable(face.a) || !usable(face.b) || !usable(face.c)) {
            ++report_.facesNotFinite;
            whole = false;
            continue;
        }
        if (whole) {
            whole = face.corner == faceNumber + 1 && stored.rawWord(0, 0) == face.a &&
                    stored.rawWord(face.corner, 0) == face.b && stored.rawWord(face.corner + 1, 0) == face.c;
        }
        ++faceNumber;
        if (!group) group = &groupFor(material, withNormals, withTexCoords, placement.group);
        const int32_t corner[3] = {0, face.corner, face.corner + 1};
        float normals[3][3];
        if (withNormals) {
            const float* faceNormal = nullptr;
            float faceNormalValues[3];
            for (int k = 0; k < 3; ++k) {
                const int32_t normalIndex =
                    singleNormal ? singleNormalIndex : normalIndices[corner[k]];
                const float* n = normalIndex >= 0 && normalIndex < container_.normalCount
                                     ? &unitNormals_[3 * static_cast<size_t>(normalIndex)]
                                     : nullptr;
                if (!n || (n[0] == 0.0f && n[1] == 0.0f && n[2] == 0.0f)) {
                    // Missing, zero or not finite: the face's own normal.
                    if (!faceNormal) {
                        faceNormalOf(face, faceNormalValues);
                        faceNormal = faceNormalValues;
                    }
                    n = faceNormal;
                }
                std::memcpy(normals[k], n, sizeof normals[k]);
            }
        }
        float uvs[3][2] = {};
        if (withTexCoords) {
            for (int k = 0; k < 3; ++k) {
                const TexCoord st = texCoords[corner[k]];
                const float v = options_.flipV ? 1.0f - st.v : st.v;
                if (std::isfinite(st.u) && std::isfinite(v)) {
                    uvs[k][0] = st.u;
                    uvs[k][1] = v;
                    const float back = options_.flipV ? 1.0f - v : v;
                    texCoordsExact = texCoordsExact && bitsOfFloat(back) == bitsOfFloat(st.v);
                } else {
                    ++report_.texCoordsReplaced;
                    texCoordsExact = false;
                }
            }
        }
        uint32_t* triangle = group->triangles.extend(3);
        for (int k = 0; k < 3; ++k)
            triangle[k] = vertexOf(*group->pool, vertex[k], withNormals ? normals[k] : nullptr, withTexCoords ? uvs[k] : nullptr);
        ++report_.triangles;
        ++placement.triangles;
    }
    if (group) group->triangleColor.add(primitive, flags);
    placement.whole = whole && faceNumber == n - 2;
    placement.texCoordsExact = placement.whole && texCoordsExact;
    return placement;
}

void GltfMeshBuilder::addPointsOrLine(const Primitive& primitive) {
    if (!positions_) prepareVertices();
    const Int32Table indices = primitive.vertexIndices();
    const auto low16 = [&indices](int32_t i) { return static_cast<uint16_t>(indices.rawWord(i, 0)); };
    const int32_t n = indices.count();
    int32_t ordinal = -1;
    if (primitive.type() == 0) {
        Group* group = nullptr;
        for (int32_t i = 0; i < n; ++i) {
            const uint16_t index = low16(i);
            if (index >= container_.vertexCount) {
                ++report_.pointsOutOfRange;
            } else if (!finite_[index]) {
                ++report_.pointsNotFinite;
            } else {
                if (!group) group = &groupFor(-1, false, false, ordinal);
                group->points.push(vertexOf(*group->pool, index, nullptr, nullptr));
                ++report_.points;
            }
        }
        if (group) group->pointColor.add(primitive, primitive.flags());
        return;
    }
    // A line: the segments between its vertices in order. A vertex that
    // cannot be used drops the segments that touch it.
    Group* group = nullptr;
    for (int32_t i = 0; i + 1 < n; ++i) {
        const uint16_t a = low16(i), b = low16(i + 1);
        if (!usable(a) || !usable(b)) continue;
        if (!group) group = &groupFor(-1, false, false, ordinal);
        group->lines.push(vertexOf(*group->pool, a, nullptr, nullptr));
        group->lines.push(vertexOf(*group->pool, b, nullptr, nullptr));
        ++report_.lineSegments;
    }
    if (group) group->lineColor.add(primitive, primitive.flags());
    for (int32_t i = 0; i + 1 < n; ++i) {
        const uint16_t a = low16(i), b = low16(i + 1);
        if (usable(a) && usable(b)) continue;
        if (a >= container_.vertexCount || b >= container_.vertexCount) {
            ++report_.segmentsOutOfRange;
        } else {
            ++report_.segmentsNotFinite;
        }
    }
}

std::vector<GltfPrimitive> GltfMeshBuilder::finish(GltfDocument& document, std::vector<GltfPrimitiveSource>& sources,
                                                   std::vector<int32_t>& groupTriangles) {
    std::vector<GltfPrimitive> primitives;
    std::vector<GltfIndexList> indexLists;
    groupTriangles.assign(groups_.size(), -1);
    for (auto& groupPtr : groups_) {
        Group& group = *groupPtr;
        Pool& pool = *group.pool;
        // A pool's accessors go out before the first primitive that uses it.
        if (!pool.written) {
            pool.written = true;
            pool.shape.position = document.addFloatAccessor(pool.positions.data(), pool.positions.size(), 3, true);
            if (pool.withNormals)
                pool.shape.normal = document.addFloatAccessor(pool.normals.data(), pool.normals.size(), 3, false);
            if (pool.withTexCoords)
                pool.shape.texcoord = document.addFloatAccessor(pool.texCoords.data(), pool.texCoords.size(), 2, false);
            pool.mapOwner = sources.size();
        }
        // One glTF primitive per kind of element the group holds; they
        // share the pool's vertices, whose LOD vertices the first
        // primitive of the pool names.
        const auto addPrimitive = [&](const AppendArray<uint32_t>& indices, int32_t mode, const ColorCover& color) {
            if (indices.empty()) return;
            GltfPrimitive primitive = pool.shape;
            primitive.material = group.material;
            primitive.mode = mode;
            color.applyTo(primitive);
            if (mode == kGltfTriangles) groupTriangles[static_cast<size_t>(group.ordinal)] = static_cast<int32_t>(primitives.size());
            primitives.push_back(primitive);
            indexLists.push_back(GltfIndexList{indices.data(), indices.size(), pool.vertexCount()});
            GltfPrimitiveSource source;
            source.indexCount = static_cast<int64_t>(indices.size());
            source.vertexCount = pool.vertexCount();
            source.mapOwner = pool.mapOwner;
            if (sources.size() == pool.mapOwner) source.lodVertex = std::move(pool.source);
            sources.push_back(std::move(source));
        };
        addPrimitive(group.triangles, kGltfTriangles, group.triangleColor);
        addPrimitive(group.points, kGltfPoints, group.pointColor);
        addPrimitive(group.lines, kGltfLines, group.lineColor);
    }
    // The index lists of the whole mesh in one view.
    const int32_t firstIndices = document.addIndexAccessors(indexLists);
    for (size_t i = 0; i < primitives.size(); ++i) primitives[i].indices = firstIndices + static_cast<int32_t>(i);
    groups_.clear();
    groupKeys_.clear();
    laterGroups_.clear();
    for (auto& pool : pools_) pool.reset();
    return primitives;
}

}  // namespace mevlo
