// A glTF mesh as LOD primitives, for meshes the export's records do not
// describe: triangles become polygons, points and lines point and line
// primitives, typed by what the material and attributes say.
#include <algorithm>
#include <cmath>
#include <vector>

#include "ingltf/gltf_json.h"
#include "ingltf/import_context.h"
#include "ingltf/primitive_topology.h"
#include "lod/node_type.h"
#include "lod/primitive.h"

namespace mevlo {

namespace {

// The polygon type whose flags are exactly `bits`, or -1.
int32_t polygonTypeOf(int32_t bits) {
    for (int32_t type = 2; type < kPrimitiveTypeCount; ++type)
        if (PrimitiveFlags[type] == bits) return type;
    return -1;
}

struct Look {
    int32_t polygonType = 2;
    int32_t texture = 0;
    int32_t color = 0;
    bool textured = false;
    bool normals = false;
};

Look lookOf(ImportContext& context, const GltfScenePrimitive& primitive) {
    Look look;
    const GltfSceneMaterial* material =
        primitive.material >= 0 && static_cast<size_t>(primitive.material) < context.scene.materials.size()
            ? &context.scene.materials[static_cast<size_t>(primitive.material)]
            : nullptr;
    const nlohmann::json* materialLod = material ? lodExtras(material->extras) : nullptr;
    nlohmann::json unpacked;
    const nlohmann::json* primitiveLod = lodExtras(unpackedElement(primitive.extras, unpacked));
    look.color = static_cast<int32_t>(extraNumber(primitiveLod, "color", extraNumber(materialLod, "color", 0)));
    look.normals = !primitive.normals.empty();
    bool alpha = false, clip = false;
    if (material) {
        alpha = material->alphaMode == "BLEND" || extraNumber(materialLod, "alpha", 0) != 0;
        clip = material->alphaMode == "MASK" || extraNumber(materialLod, "clip", 0) != 0;
        if (hasExtra(materialLod, "texture")) {
            look.textured = true;
            look.texture = static_cast<int32_t>(extraNumber(materialLod, "texture", 0));
        } else if (material->baseColorImage >= 0) {
            look.textured = true;
            auto found = context.assignedTextures.find(material->baseColorImage);
            if (found == context.assignedTextures.end()) {
                int32_t number = 0;
                while (context.usedTextures.count(number)) ++number;
                context.usedTextures[number] = true;
                found = context.assignedTextures.emplace(material->baseColorImage, number).first;
                const GltfSceneImage* image =
                    static_cast<size_t>(material->baseColorImage) < context.scene.images.size()
                        ? &context.scene.images[static_cast<size_t>(material->baseColorImage)]
                        : nullptr;
                std::string label = image && !image->uri.empty() ? image->uri
                                    : image && !image->name.empty() ? image->name
                                                                   : "image " + std::to_string(material->baseColorImage);
                context.report.notes.push_back("Texture " + std::to_string(number) + ": " + label);
            }
            look.texture = found->second;
        }
    }
    look.textured = look.textured && !primitive.texCoords.empty();
    int32_t bits = PRIM_POLYDATA | (look.normals ? (PRIM_NORMALS | PRIM_COLORS) : PRIM_COLOR);
    if (look.textured) bits |= PRIM_TEXTURE;
    if (alpha) bits |= PRIM_ALPHA;
    if (clip && look.textured) bits |= PRIM_CLIP;
    int32_t type = polygonTypeOf(bits);
    if (type < 0) type = polygonTypeOf(bits & ~PRIM_CLIP);
    if (type < 0) type = polygonTypeOf(bits & ~(PRIM_CLIP | PRIM_ALPHA));
    look.polygonType = type < 0 ? 2 : type;
    return look;
}

// The vertices of one container being filled, at most maxVertices.
struct Filling {
    int32_t container = -1;
    std::vector<Vec3> vertices;
    std::vector<Vec3> normals;
    // Per glTF vertex of the current primitive: its index here, or -1;
    // `touched` lists the entries set, so that clearing costs what the
    // primitive used, not the size of the vertex array it reads (which
    // thousands of primitives may share).
    std::vector<int32_t> remap;
    std::vector<uint32_t> touched;
    void clearRemap() {
        for (uint32_t v : touched) remap[v] = -1;
        touched.clear();
    }
};

}  // namespace

void addMeshPrimitives(ImportContext& context, int32_t container, const GltfSceneMesh& mesh, const LodAffine& bake,
                       LodTreeChain& children, LodTreeChain& overflow) {
    LodTree& tree = context.tree;
    const double scale = context.options.scale;
    const bool flipV = context.options.flipV;
    const auto maxVertices = static_cast<size_t>(context.options.maxVertices > 3 ? context.options.maxVertices : 3);
    Filling fill;
    fill.container = container;
    size_t largest = 0;
    for (const auto& p : mesh.primitives) largest = std::max(largest, p.positions.size() / 3);
    if (!context.charge(sizeof(int32_t) * uint64_t{largest})) return;
    fill.remap.assign(largest, -1);
    LodTreeChain* target = &children;
    LodTreeChain overflowChildren;
    bool anyNormals = false;
    for (const auto& p : mesh.primitives) anyNormals = anyNormals || !p.normals.empty();

    const auto closeFilling = [&] {
        LodTreeRecord& r = tree.record(fill.container);
        r.vertices = std::move(fill.vertices);
        if (anyNormals) r.normals = std::move(fill.normals);
        fill.vertices.clear();
        fill.normals.clear();
    };
    const auto startOverflow = [&] {
        // Paid as it comes (with --max-vertices 3, one a triangle); past the
        // budget the import fails once this primitive is done.
        context.charge(sizeof(LodTreeNode) + sizeof(LodTreeRecord));
        closeFilling();
        const int32_t sub = tree.addNode(NODE_SUBTREE);
        tree.append(overflow, sub);
        fill.container = sub;
        fill.clearRemap();
        overflowChildren = LodTreeChain{};
        target = &overflowChildren;
    };
    const auto finishTarget = [&] {
        if (target != &children) tree.record(fill.container).children = overflowChildren;
    };

    for (const GltfScenePrimitive& primitive : mesh.primitives) {
        // What the primitive adds at most, paid before anything is made: a
        // holder of about 128 bytes a triangle (a strip's or fan's are one
        // an index), a word or two an index for points and lines, and a
        // vertex and normal for each index at most.
        const uint64_t indexCount = primitive.indices.size();
        const uint64_t perIndex = primitive.mode == GltfMode::Triangles ? 43 : 128;
        if (!context.charge((perIndex + 2 * sizeof(Vec3)) * indexCount + sizeof(LodTreeRecord))) return;
        fill.clearRemap();
        const auto vertexOf = [&](uint32_t v) {
            int32_t& at = fill.remap[v];
            if (at < 0) {
                fill.touched.push_back(v);
                at = static_cast<int32_t>(fill.vertices.size());
                fill.vertices.push_back(bake.point(lodVectorOf(&primitive.positions[3 * size_t{v}], scale)));
                Vec3 n{};
                if (!primitive.normals.empty()) n = bake.direction(lodVectorOf(&primitive.normals[3 * size_t{v}], 1.0));
                fill.normals.push_back(n);
            }
            return at;
        };
        const auto room = [&](std::initializer_list<uint32_t> corners) {
            size_t fresh = 0;
            for (uint32_t c : corners) fresh += fill.remap[c] < 0 ? 1 : 0;
            if (fill.vertices.size() + fresh > maxVertices) {
                finishTarget();
                startOverflow();
            }
        };
        const GltfMode mode = primitive.mode;
        if (mode == GltfMode::Triangles || mode == GltfMode::TriangleStrip || mode == GltfMode::TriangleFan) {
            const Look look = lookOf(context, primitive);
            const int32_t bits = primitiveFlagsOf(look.polygonType);
            const auto triangles = gltfTriangles(primitive);
            for (const auto& t : triangles) {
                room({t[0], t[1], t[2]});
                int32_t corner[3];
                for (int k = 0; k < 3; ++k) corner[k] = vertexOf(t[static_cast<size_t>(k)]);
                const int32_t holder = tree.addNode(NODE_CP);
                const int32_t index = tree.addPrimitive(holder, look.polygonType, 3);
                LodTreePrimitive& p = tree.primitive(index);
                p.color = look.color;
                p.textureId = look.texture;
                int32_t* vertices = tree.ints(p.vertices);
                for (int k = 0; k < 3; ++k) vertices[k] = corner[k];
                if (bits & PRIM_COLORS)
                    for (int k = 0; k < 3; ++k) tree.ints(p.colors())[k] = look.color;
                if (bits & PRIM_NORMALS)
                    for (int k = 0; k < 3; ++k) tree.ints(p.normals())[k] = corner[k];
                if (bits & PRIM_TEXTURE) {
                    float* uv = tree.floats(p.texCoords);
                    for (int k = 0; k < 3; ++k) {
                        const float* st = &primitive.texCoords[2 * size_t{t[static_cast<size_t>(k)]}];
                        uv[2 * k] = st[0];
                        uv[2 * k + 1] = flipV ? 1.0f - st[1] : st[1];
                    }
                }
                // The plane of the polygon in the container's axes: unit
                // normal (a, b, c) and d with a x + b y + c z + d = 0.
                const Vec3& a = fill.vertices[static_cast<size_t>(corner[0])];
                const Vec3& b = fill.vertices[static_cast<size_t>(corner[1])];
                const Vec3& c = fill.vertices[static_cast<size_t>(corner[2])];
                const double u[3] = {double(b.x) - a.x, double(b.y) - a.y, double(b.z) - a.z};
                const double w[3] = {double(c.x) - a.x, double(c.y) - a.y, double(c.z) - a.z};
                double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
                const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
                if (length > 0.0 && std::isfinite(length)) {
                    for (double& x : n) x /= length;
                    p.polyData = {static_cast<float>(n[0]), static_cast<float>(n[1]), static_cast<float>(n[2]),
                                  static_cast<float>(-(n[0] * a.x + n[1] * a.y + n[2] * a.z))};
                }
                tree.append(*target, holder);
                ++context.report.triangles;
            }
        } else {
            const Look look = lookOf(context, primitive);
            const bool points = mode == GltfMode::Points;
            // A point set, or segments that continue one another as one line.
            std::vector<int32_t> run;
            const auto flush = [&] {
                if (run.size() >= (points ? 1u : 2u)) {
                    const int32_t holder = tree.addNode(NODE_PT);
                    const int32_t index = tree.addPrimitive(holder, points ? 0 : 1, static_cast<int32_t>(run.size()));
                    tree.primitive(index).color = look.color;
                    std::copy(run.begin(), run.end(), tree.ints(tree.primitive(index).vertices));
                    tree.append(*target, holder);
                }
                run.clear();
            };
            const auto makeRoom = [&](uint32_t a, uint32_t b) {
                const size_t fresh = (fill.remap[a] < 0 ? 1u : 0u) + (b != a && fill.remap[b] < 0 ? 1u : 0u);
                if (fill.vertices.size() + fresh <= maxVertices) return;
                flush();
                finishTarget();
                startOverflow();
            };
            if (points) {
                for (uint32_t v : primitive.indices) {
                    makeRoom(v, v);
                    run.push_back(vertexOf(v));
                    ++context.report.points;
                }
            } else {
                uint32_t last = 0;
                for (const auto& s : gltfSegments(primitive)) {
                    makeRoom(s[0], s[1]);
                    if (run.empty() || last != s[0]) {
                        flush();
                        run.push_back(vertexOf(s[0]));
                    }
                    run.push_back(vertexOf(s[1]));
                    last = s[1];
                    ++context.report.lineSegments;
                }
            }
            flush();
        }
    }
    finishTarget();
    closeFilling();
}

}  // namespace mevlo
