// The glTF document of an export, read back in process: what happens to
// bad numbers, normals, texture coordinates, and the bound on shared index
// blocks. Hierarchy, positions and file validity are proved by the assimp
// read-back and validator tests.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "outgltf/gltf_export.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

const float kNaN = std::numeric_limits<float>::quiet_NaN();

struct Exported {
    Loaded loaded;
    GltfDocument document;
    GltfExportReport report;
    bool ok = false;

    // The floats of an accessor.
    std::vector<float> floats(int32_t accessor) const {
        const GltfAccessor& a = document.accessors[static_cast<size_t>(accessor)];
        const GltfBufferView& view = document.bufferViews[static_cast<size_t>(a.bufferView)];
        const std::vector<uint8_t> bin = document.joinedBin();
        std::vector<float> out(static_cast<size_t>(view.length / 4));
        for (size_t i = 0; i < out.size(); ++i) out[i] = loadF32LE(&bin[static_cast<size_t>(view.offset) + 4 * i]);
        return out;
    }
};

std::unique_ptr<Exported> exportModel(const Node& top, GltfExportOptions options = {}) {
    auto result = std::make_unique<Exported>();
    result->loaded = load(buildLod(top));
    result->ok = buildGltf(result->loaded.root(), options, result->document, result->report);
    return result;
}

TEST(GltfExport, NonFiniteNumbersAreDroppedOrReplacedAndCounted) {
    const std::vector<Vec3> vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {kNaN, 0, 0}, {0, 0, 1}};
    const Matrix broken = {kNaN, 0, 0, 0, 1, 0, 0, 0, 1};
    const auto e = exportModel(root(vertices, {cp(prim(2, {0, 1, 2, 3, 4})),  // faces 012 kept, 023 and 034 not
                                               pt(prim(0, {0, 3, 9})),         // one point kept
                                               pt(prim(1, {0, 1, 3, 2, 4})),   // segments 01 and 24 kept
                                               dof(broken, {0, 0, 0}, vertices, {cp(prim(2, {0, 1, 2}))})}));
    ASSERT_TRUE(e->ok);
    EXPECT_EQ(e->report.triangles, 2);
    EXPECT_EQ(e->report.facesNotFinite, 2);
    EXPECT_EQ(e->report.points, 1);
    EXPECT_EQ(e->report.pointsNotFinite, 1);
    EXPECT_EQ(e->report.pointsOutOfRange, 1);
    EXPECT_EQ(e->report.lineSegments, 2);
    EXPECT_EQ(e->report.segmentsNotFinite, 2);
    EXPECT_EQ(e->report.transformsReplaced, 1);
    const GltfNode& dofNode = e->document.nodes[1];
    EXPECT_EQ(dofNode.name, "DOF 0");
    EXPECT_EQ(dofNode.rotation.w, 1.0);
    for (const GltfMesh& mesh : e->document.meshes)
        for (const GltfPrimitive& p : mesh.primitives)
            for (float v : e->floats(p.position)) EXPECT_TRUE(std::isfinite(v));
}

TEST(GltfExport, NormalsAreUnitInGltfAxesAndSplitVerticesAZeroNormalTakesTheFaces) {
    // Vertex 0 carries normal 0 in one polygon and the zero normal (so the
    // face's own) in another: two glTF vertices at one position.
    Node top = root({{0, 0, 0}, {0, 2, 0}, {0, 0, 2}},
                    {cp(prim(3, {0, 1, 2})), cp(prim(3, {0, 2, 1}))});
    top.normals = {{0, 0, -3}, {0, 0, 0}};
    top.children[0].prim.normal = 0;
    top.children[1].prim.normal = 1;
    const auto e = exportModel(top);
    ASSERT_TRUE(e->ok);
    ASSERT_EQ(e->document.meshes.size(), 1u);
    const GltfPrimitive& p = e->document.meshes[0].primitives[0];
    ASSERT_GE(p.normal, 0);
    const std::vector<float> normals = e->floats(p.normal);
    ASSERT_EQ(normals.size(), 6u * 3);  // three vertices twice
    // LOD (0, 0, -3) is glTF (0, 3, 0), normalised. The second face
    // (0, 2, 1) over glTF (0,0,0), (0,-2,0), (2,0,0) faces +z.
    for (int v = 0; v < 3; ++v) {
        EXPECT_EQ(normals[3 * v + 1], 1.0f);
        EXPECT_EQ(normals[9 + 3 * v + 2], 1.0f);
    }
}

TEST(GltfExport, TextureCoordinatesFlipVUnlessAskedNot) {
    Prim textured = prim(6, {0, 1, 2});
    textured.uv = {{0.25f, 0.0f}, {1.0f, 0.125f}, {0.5f, 1.0f}};
    const Node top = root({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {cp(textured)});
    for (const bool flip : {true, false}) {
        GltfExportOptions options;
        options.flipV = flip;
        const auto e = exportModel(top, options);
        ASSERT_TRUE(e->ok);
        const GltfPrimitive& p = e->document.meshes[0].primitives[0];
        const std::vector<float> uv = e->floats(p.texcoord);
        const std::vector<float> expected =
            flip ? std::vector<float>{0.25f, 1.0f, 1.0f, 0.875f, 0.5f, 0.0f} : std::vector<float>{0.25f, 0.0f, 1.0f, 0.125f, 0.5f, 1.0f};
        EXPECT_EQ(uv, expected);
        ASSERT_EQ(e->document.materials.size(), 1u);
        EXPECT_EQ(e->document.materials[0].name, "texture 0");
    }
}

TEST(GltfExport, ManyNodesNamingOneLargeIndexBlockStopAtTheElementBound) {
    // The builder writes one block per node; a crafted file would share
    // one. Either way the export stops at its bound instead of growing
    // with nodes x indices.
    std::vector<Vec3> vertices(300, Vec3{1, 2, 3});
    std::vector<int32_t> fan;
    for (int32_t i = 0; i < 300; ++i) fan.push_back(i);
    Chain chain;
    for (int i = 0; i < 10; ++i) chain.push_back(cp(prim(2, fan)));
    GltfExportOptions options;
    options.elementLimit = 2000;
    const auto e = exportModel(root(vertices, chain), options);
    EXPECT_FALSE(e->ok);
    EXPECT_EQ(e->report.failure.rfind("Model too large to export: more than 2000 ", 0), 0u) << e->report.failure;
    EXPECT_LE(e->report.triangles, 2000);
}

TEST(GltfExport, AGroupPastTheFirstFewSharesEveryVertexOfALargeGrid) {
    // Nine groups of one quad each, then a tenth over a grid of 11 x 11
    // vertices: past the first groups, a group finds its vertices in a map
    // that grows as it meets them; each grid vertex must stay one vertex.
    std::vector<Vec3> grid;
    for (int y = 0; y <= 10; ++y)
        for (int x = 0; x <= 10; ++x) grid.push_back({static_cast<float>(x), static_cast<float>(y), 0});
    Chain quads;
    for (int32_t texture = 0; texture < 10; ++texture) {
        for (int32_t cell = 0; cell < (texture == 9 ? 100 : 1); ++cell) {
            const int32_t corner = cell / 10 * 11 + cell % 10;
            Prim quad = prim(6, {corner, corner + 1, corner + 12, corner + 11});
            quad.textureId = texture;
            quad.uv = {{0, 0}, {0, 0}, {0, 0}, {0, 0}};
            quads.push_back(cp(quad));
        }
    }
    const auto e = exportModel(root(grid, quads));
    ASSERT_TRUE(e->ok);
    ASSERT_EQ(e->document.meshes.size(), 1u);
    const std::vector<GltfPrimitive>& primitives = e->document.meshes[0].primitives;
    ASSERT_EQ(primitives.size(), 10u);
    EXPECT_EQ(e->document.accessors[static_cast<size_t>(primitives[9].position)].count, 121);
    EXPECT_EQ(e->document.accessors[static_cast<size_t>(primitives[9].indices)].count, 600);
}

TEST(GltfExport, AContainerWithATexturePerQuadSharesEachQuadsVerticesInEveryGroup) {
    // Twenty textures, so twenty groups in one container: however a group
    // finds the vertices it has, the two triangles of its quad share two.
    Chain quads;
    for (int32_t texture = 0; texture < 20; ++texture) {
        Prim quad = prim(6, {0, 1, 2, 3});
        quad.textureId = texture;
        quad.uv = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        quads.push_back(cp(quad));
    }
    const auto e = exportModel(root({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, quads));
    ASSERT_TRUE(e->ok);
    ASSERT_EQ(e->document.meshes.size(), 1u);
    const std::vector<GltfPrimitive>& primitives = e->document.meshes[0].primitives;
    ASSERT_EQ(primitives.size(), 20u);
    for (const GltfPrimitive& p : primitives) {
        EXPECT_EQ(e->document.accessors[static_cast<size_t>(p.position)].count, 4);
        EXPECT_EQ(e->document.accessors[static_cast<size_t>(p.indices)].count, 6);
        EXPECT_EQ(e->floats(p.position), e->floats(primitives[0].position));
    }
}

}  // namespace
