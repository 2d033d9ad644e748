#include "outgltf/mesh_builder.h"

#include <cmath>
#include <cstring>

#include "lod/primitive.h"
#include "lod/subtree_node.h"

namespace mevlo {

namespace {

// A vertex of a group with attributes: the LOD vertex and the bits of its
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

// The colour one LOD primitive has throughout, if it has one.
bool singleColorOf(const Primitive& primitive, int32_t& color) {
    const int32_t flags = primitive.flags();
    if (flags & PRIM_COLOR) {
        color = primitive.colorIndex;
        return true;
    }
    if (!(flags & PRIM_COLORS) || !primitive.colorIndices.present() || primitive.colorIndices.count() == 0)
        return false;
    color = primitive.colorIndices[0];
    for (int32_t i = 1; i < primitive.colorIndices.count(); ++i)
        if (primitive.colorIndices[i] != color) return false;
    return true;
}

// Whether the glTF primitive's LOD primitives all had one and the same colour.
struct ColorCover {
    bool any = false;
    bool uniform = true;
    int32_t color = 0;

    void add(const Primitive& primitive) {
        int32_t c = 0;
        const bool single = singleColorOf(primitive, c);
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

}  // namespace

struct GltfMeshBuilder::Group {
    int32_t material = -1;
    bool withNormals = false;
    bool withTexCoords = false;

    std::vector<float> positions;
    std::vector<float> normals;
    std::vector<float> texCoords;
    // Group vertex of each LOD vertex (plain groups), or of each attribute
    // combination (other groups).
    std::vector<int32_t> plainIndex;
    std::unordered_map<VertexKey, uint32_t, VertexKeyHash> keyedIndex;

    std::vector<uint32_t> triangles;
    ColorCover triangleColor;
    std::vector<uint32_t> points;
    ColorCover pointColor;
    struct Strip {
        std::vector<uint32_t> indices;
        ColorCover color;
    };
    std::vector<Strip> strips;

    uint32_t vertexCount() const { return static_cast<uint32_t>(positions.size() / 3); }
};

GltfMeshBuilder::GltfMeshBuilder(const SubTreeNode& container, const GltfExportOptions& options,
                                 GltfExportReport& report)
    : container_(container), options_(options), report_(report) {
    // The stored vertices: a DOF's transform is its node's, not the mesh's.
    const int32_t n = container.vertexCount;
    positions_.resize(3 * static_cast<size_t>(n));
    finite_.resize(static_cast<size_t>(n));
    for (int32_t i = 0; i < n; ++i) {
        const Vec3d p = toGltfAxes(container.vertices[i]);
        const float x = static_cast<float>(p.x * options.scale);
        const float y = static_cast<float>(p.y * options.scale);
        const float z = static_cast<float>(p.z * options.scale);
        float* out = &positions_[3 * static_cast<size_t>(i)];
        out[0] = x;
        out[1] = y;
        out[2] = z;
        finite_[static_cast<size_t>(i)] = std::isfinite(x) && std::isfinite(y) && std::isfinite(z);
    }
}

GltfMeshBuilder::~GltfMeshBuilder() = default;

bool GltfMeshBuilder::usable(uint16_t index) const {
    return index < container_.vertexCount && finite_[index];
}

GltfMeshBuilder::Group& GltfMeshBuilder::groupFor(int32_t material, bool withNormals, bool withTexCoords) {
    for (auto& group : groups_) {
        if (group->material == material && group->withNormals == withNormals && group->withTexCoords == withTexCoords)
            return *group;
    }
    groups_.push_back(std::make_unique<Group>());
    Group& group = *groups_.back();
    group.material = material;
    group.withNormals = withNormals;
    group.withTexCoords = withTexCoords;
    if (!withNormals && !withTexCoords) group.plainIndex.assign(static_cast<size_t>(container_.vertexCount), -1);
    return group;
}

uint32_t GltfMeshBuilder::vertexOf(Group& group, uint16_t index, const Vec3d* normal, const float* texCoord) {
    const float* p = &positions_[3 * static_cast<size_t>(index)];
    const auto append = [&]() {
        group.positions.insert(group.positions.end(), p, p + 3);
        if (normal) {
            group.normals.push_back(static_cast<float>(normal->x));
            group.normals.push_back(static_cast<float>(normal->y));
            group.normals.push_back(static_cast<float>(normal->z));
        }
        if (texCoord) group.texCoords.insert(group.texCoords.end(), texCoord, texCoord + 2);
        return group.vertexCount() - 1;
    };
    if (!normal && !texCoord) {
        int32_t& slot = group.plainIndex[index];
        if (slot < 0) slot = static_cast<int32_t>(append());
        return static_cast<uint32_t>(slot);
    }
    VertexKey key{};
    key.words[0] = index;
    if (normal) {
        key.words[1] = bitsOfFloat(static_cast<float>(normal->x));
        key.words[2] = bitsOfFloat(static_cast<float>(normal->y));
        key.words[3] = bitsOfFloat(static_cast<float>(normal->z));
    }
    if (texCoord) {
        key.words[4] = bitsOfFloat(texCoord[0]);
        key.words[5] = bitsOfFloat(texCoord[1]);
    }
    const auto found = group.keyedIndex.find(key);
    if (found != group.keyedIndex.end()) return found->second;
    const uint32_t added = append();
    group.keyedIndex.emplace(key, added);
    return added;
}

void GltfMeshBuilder::addFan(const Primitive& primitive, const FanOutcome& fan, int32_t material,
                             bool withTexCoords) {
    const int32_t flags = primitive.flags();
    const bool singleNormal = (flags & PRIM_NORMAL) != 0;
    const bool withNormals = singleNormal || ((flags & PRIM_NORMALS) && primitive.normalIndices.present());
    Group* group = nullptr;
    for (const FanFace& face : fan.kept) {
        const uint16_t vertex[3] = {face.a, face.b, face.c};
        if (!usable(face.a) || !usable(face.b) || !usable(face.c)) {
            ++report_.facesNotFinite;
            continue;
        }
        if (!group) group = &groupFor(material, withNormals, withTexCoords);
        const int32_t corner[3] = {0, face.corner, face.corner + 1};
        Vec3d normals[3];
        if (withNormals) {
            Vec3d faceNormal;
            bool haveFaceNormal = false;
            for (int k = 0; k < 3; ++k) {
                const int32_t normalIndex =
                    singleNormal ? primitive.normalIndex : primitive.normalIndices[corner[k]];
                Vec3d n;
                if (normalIndex >= 0 && normalIndex < container_.normalCount)
                    n = unitOrZero(toGltfAxes(container_.normals[normalIndex]));
                if (isZero(n)) {
                    // Missing, zero or not finite: the face's own normal.
                    if (!haveFaceNormal) {
                        const float* a = &positions_[3 * static_cast<size_t>(face.a)];
                        const float* b = &positions_[3 * static_cast<size_t>(face.b)];
                        const float* c = &positions_[3 * static_cast<size_t>(face.c)];
                        const Vec3d ab{double(b[0]) - a[0], double(b[1]) - a[1], double(b[2]) - a[2]};
                        const Vec3d ac{double(c[0]) - a[0], double(c[1]) - a[1], double(c[2]) - a[2]};
                        faceNormal = unitOrZero(Vec3d{ab.y * ac.z - ab.z * ac.y, ab.z * ac.x - ab.x * ac.z,
                                                      ab.x * ac.y - ab.y * ac.x});
                        // A face without area has no direction; up will do.
                        if (isZero(faceNormal)) faceNormal = Vec3d{0.0, 1.0, 0.0};
                        haveFaceNormal = true;
                    }
                    n = faceNormal;
                }
                normals[k] = n;
            }
        }
        for (int k = 0; k < 3; ++k) {
            float uv[2] = {0.0f, 0.0f};
            if (withTexCoords) {
                const TexCoord stored = primitive.texCoords[corner[k]];
                const float v = options_.flipV ? 1.0f - stored.v : stored.v;
                if (std::isfinite(stored.u) && std::isfinite(v)) {
                    uv[0] = stored.u;
                    uv[1] = v;
                } else {
                    ++report_.texCoordsReplaced;
                }
            }
            group->triangles.push_back(
                vertexOf(*group, vertex[k], withNormals ? &normals[k] : nullptr, withTexCoords ? uv : nullptr));
        }
        ++report_.triangles;
    }
    if (group) group->triangleColor.add(primitive);
}

void GltfMeshBuilder::addPointsOrLine(const Primitive& primitive) {
    const Int32Table& indices = primitive.vertexIndices;
    const auto low16 = [&indices](int32_t i) { return static_cast<uint16_t>(indices.rawWord(i, 0)); };
    const int32_t n = indices.count();
    if (primitive.type == 0) {
        Group* group = nullptr;
        for (int32_t i = 0; i < n; ++i) {
            const uint16_t index = low16(i);
            if (index >= container_.vertexCount) {
                ++report_.pointsOutOfRange;
            } else if (!finite_[index]) {
                ++report_.pointsNotFinite;
            } else {
                if (!group) group = &groupFor(-1, false, false);
                group->points.push_back(vertexOf(*group, index, nullptr, nullptr));
                ++report_.points;
            }
        }
        if (group) group->pointColor.add(primitive);
        return;
    }
    // A line: one strip through its vertices in order. A vertex that cannot
    // be used breaks it, and the segments that touch it are dropped.
    std::vector<uint16_t> run;
    const auto flush = [&]() {
        if (run.size() >= 2) {
            Group& group = groupFor(-1, false, false);
            Group::Strip strip;
            for (uint16_t index : run) strip.indices.push_back(vertexOf(group, index, nullptr, nullptr));
            strip.color.add(primitive);
            report_.lineSegments += static_cast<int64_t>(run.size()) - 1;
            group.strips.push_back(std::move(strip));
        }
        run.clear();
    };
    for (int32_t i = 0; i < n; ++i) {
        const uint16_t index = low16(i);
        if (usable(index)) {
            run.push_back(index);
        } else {
            flush();
        }
    }
    flush();
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

std::vector<GltfPrimitive> GltfMeshBuilder::finish(GltfDocument& document) {
    std::vector<GltfPrimitive> primitives;
    for (auto& groupPtr : groups_) {
        Group& group = *groupPtr;
        if (group.vertexCount() == 0) continue;
        GltfPrimitive shape;
        shape.material = group.material;
        shape.position = document.addFloatAccessor(group.positions, 3, true);
        if (group.withNormals) shape.normal = document.addFloatAccessor(group.normals, 3, false);
        if (group.withTexCoords) shape.texcoord = document.addFloatAccessor(group.texCoords, 2, false);
        if (!group.triangles.empty()) {
            GltfPrimitive triangles = shape;
            triangles.mode = kGltfTriangles;
            triangles.indices = document.addIndexAccessor(group.triangles);
            group.triangleColor.applyTo(triangles);
            primitives.push_back(triangles);
        }
        if (!group.points.empty()) {
            GltfPrimitive points = shape;
            points.mode = kGltfPoints;
            points.indices = document.addIndexAccessor(group.points);
            group.pointColor.applyTo(points);
            primitives.push_back(points);
        }
        for (const Group::Strip& strip : group.strips) {
            GltfPrimitive line = shape;
            line.mode = kGltfLineStrip;
            line.indices = document.addIndexAccessor(strip.indices);
            strip.color.applyTo(line);
            primitives.push_back(line);
        }
        // Free the group's memory as soon as it is in the buffer.
        groupPtr.reset();
    }
    groups_.clear();
    return primitives;
}

}  // namespace mevlo
