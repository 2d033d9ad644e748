// Flattening LOD trees into meshes: which nodes open meshes, where faces go,
// the transform order, the axis change and the capacity limits.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "out3ds/convert.h"
#include "out3ds/write3ds.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

const Matrix kQuarterTurn = {0, -1, 0, 1, 0, 0, 0, 0, 1};

struct Converted {
    Loaded loaded;
    Scene3ds scene;
    int64_t dropped = 0;
    std::string overflow;
    bool ok = false;

    const MeshBuffer& mesh(int32_t i) const { return scene.mesh(i); }
};

std::unique_ptr<Converted> convert(const BuiltLod& built) {
    auto result = std::make_unique<Converted>();
    result->loaded = load(built);
    ConversionState state(result->scene);
    result->ok = convertTree(result->loaded.root(), state);
    result->dropped = state.droppedFaces;
    result->overflow = state.failure;
    return result;
}

std::unique_ptr<Converted> convert(const Node& rootNode) { return convert(buildLod(rootNode)); }

Node labelled(Node node, const std::string& label) {
    node.label = label;
    return node;
}

// Exact float bits, so that -0.0 and +0.0 differ.
void expectVertex(const MeshBuffer& mesh, int32_t i, float x, float y, float z) {
    ASSERT_LT(i, mesh.vertexCount());
    const Vec3& v = mesh.vertex(i);
    EXPECT_EQ(bits(v.x), bits(x)) << "x of vertex " << i << ": " << v.x;
    EXPECT_EQ(bits(v.y), bits(y)) << "y of vertex " << i << ": " << v.y;
    EXPECT_EQ(bits(v.z), bits(z)) << "z of vertex " << i << ": " << v.z;
}

void expectFace(const MeshBuffer& mesh, int32_t i, uint16_t a, uint16_t b, uint16_t c) {
    ASSERT_LT(i, mesh.faceCount());
    const MeshFace& f = mesh.face(i);
    EXPECT_EQ(f.a, a);
    EXPECT_EQ(f.b, b);
    EXPECT_EQ(f.c, c);
    EXPECT_EQ(f.flags, kFanFaceFlags);
}

std::vector<Vec3> threeVertices() { return {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}}; }

Node triangle() { return cp(prim(2, {0, 1, 2})); }

}  // namespace

TEST(Conversion, PolygonBecomesFanSharingItsFirstVertexWhateverItsType) {
    const auto c = convert(root({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}},
                                {cp(prim(2, {0, 1, 2, 3})), pt(prim(0, {3, 2, 1})), pt(prim(0, {0, 1})),
                                 pt(prim(1, {2, 3}))}));
    ASSERT_TRUE(c->ok);
    ASSERT_EQ(c->scene.meshCount(), 1);
    const MeshBuffer& m = c->mesh(0);
    EXPECT_EQ(m.vertexCount(), 4);
    ASSERT_EQ(m.faceCount(), 3);  // two from the quad, one from the 3-vertex point set
    expectFace(m, 0, 0, 1, 2);
    expectFace(m, 1, 0, 2, 3);
    expectFace(m, 2, 3, 2, 1);
}

TEST(Conversion, AxisChangeSwapsXAndYAndFlipsTheSignBitOfZ) {
    const auto c = convert(root({{1, 2, 3}, {5, 6, 0.0f}, {7, 8, -0.0f}}));
    ASSERT_EQ(c->scene.meshCount(), 1);
    expectVertex(c->mesh(0), 0, 2, 1, -3);
    expectVertex(c->mesh(0), 1, 6, 5, -0.0f);
    expectVertex(c->mesh(0), 2, 8, 7, 0.0f);
}

TEST(Conversion, DofMovesItsOwnVerticesBeforeTheAxisChange) {
    const auto c = convert(root({}, {dof(kQuarterTurn, {10, 0, 0}, {{1, 2, 3}})}));
    ASSERT_EQ(c->scene.meshCount(), 2);
    expectVertex(c->mesh(1), 0, 1, 8, -3);
}

TEST(Conversion, AncestorTransformsApplyNearestFirst) {
    const Node inner = dof(kQuarterTurn, {0, 0, 0}, {}, {subTree({{1, 0, 2}})});
    const auto c = convert(root({}, {dof(kIdentity, {10, 0, 0}, {}, {inner})}));
    ASSERT_EQ(c->scene.meshCount(), 4);
    expectVertex(c->mesh(3), 0, 1, 10, -2);  // nearest-last would give (11, 0, -2)
}

TEST(Conversion, XDofLeavesItsOwnVerticesButMovesTheGeometryBelowIt) {
    const auto c = convert(root({}, {xdof(kQuarterTurn, {10, 0, 0}, {{1, 2, 3}}, {subTree({{1, 2, 3}})})}));
    ASSERT_EQ(c->scene.meshCount(), 3);
    expectVertex(c->mesh(1), 0, 2, 1, -3);
    expectVertex(c->mesh(2), 0, 1, 8, -3);
}

TEST(Conversion, TranslatorAndScaleValuesAreNeverApplied) {
    const Node below = subTree({{1, 2, 3}});
    const auto c = convert(root({}, {translator({5, 5, 5}, {{1, 2, 3}}, {below}),
                                     scale({2, 2, 2}, {{1, 2, 3}}, {below}),
                                     dof(kIdentity, {10, 0, 0}, {}, {translator({5, 5, 5}, {}, {below})})}));
    ASSERT_EQ(c->scene.meshCount(), 8);
    for (int32_t i : {1, 2, 3, 4}) expectVertex(c->mesh(i), 0, 2, 1, -3);
    // A DOF above a Translator still reaches through it.
    expectVertex(c->mesh(7), 0, 2, 11, -3);
}

TEST(Conversion, DoubleSidedPolygonAddsSideAThenSideB) {
    const auto c = convert(root({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}},
                                {lp(prim(2, {0, 1, 2}), prim(2, {3, 2, 1, 0}))}));
    const MeshBuffer& m = c->mesh(0);
    ASSERT_EQ(m.faceCount(), 3);
    expectFace(m, 0, 0, 1, 2);
    expectFace(m, 1, 3, 2, 1);
    expectFace(m, 2, 3, 1, 0);
}

TEST(Conversion, EveryPresentSwitchBranchOpensItsOwnUntransformedMesh) {
    const Node branch = subTree({{1, 2, 3}}, {});
    const Node xBranch = subTree({{4, 5, 6}}, {});
    const auto c = convert(root({}, {dof(kIdentity, {10, 0, 0}, {},
                                         {switchNode({{branch}, {}, {branch}}), xswitch({{}, {xBranch}})})}));
    ASSERT_TRUE(c->ok);
    ASSERT_EQ(c->scene.meshCount(), 5);  // root, dof, two switch branches, one xswitch branch
    expectVertex(c->mesh(2), 0, 2, 1, -3);
    expectVertex(c->mesh(3), 0, 2, 1, -3);
    expectVertex(c->mesh(4), 0, 5, 4, -6);
}

TEST(Conversion, BranchHeadTakesItsSiblingsWhileOtherHeadsFeedTheCurrentMesh) {
    const Node geometryHead = subTree(threeVertices());
    const auto c = convert(root(threeVertices(), {switchNode({{geometryHead, triangle(), subTree(threeVertices())},
                                                              {triangle(), subTree(threeVertices())}})}));
    ASSERT_EQ(c->scene.meshCount(), 4);
    EXPECT_EQ(c->mesh(0).faceCount(), 1);  // from the branch headed by a primitive
    EXPECT_EQ(c->mesh(1).faceCount(), 1);  // the branch head's sibling
    EXPECT_EQ(c->mesh(2).faceCount(), 0);
    EXPECT_EQ(c->mesh(3).faceCount(), 0);
}

TEST(Conversion, GeometryNodeInsideAChainLeavesItsSiblingsToTheEnclosingMesh) {
    const auto c = convert(root(threeVertices(), {subTree(threeVertices(), {triangle()}), triangle(),
                                                  subTree(threeVertices(), {triangle()}), triangle(),
                                                  subTree(threeVertices())}));
    ASSERT_EQ(c->scene.meshCount(), 4);  // each node converted exactly once
    EXPECT_EQ(c->mesh(0).faceCount(), 2);
    EXPECT_EQ(c->mesh(1).faceCount(), 1);
    EXPECT_EQ(c->mesh(2).faceCount(), 1);
    EXPECT_EQ(c->mesh(3).faceCount(), 0);
}

TEST(Conversion, SplitChainsGoIntoTheCurrentMesh) {
    const auto c = convert(root({}, {subTree(threeVertices(), {split({triangle()}, {triangle(), triangle()})})}));
    ASSERT_EQ(c->scene.meshCount(), 2);
    EXPECT_EQ(c->mesh(1).faceCount(), 3);
}

TEST(Conversion, NodesWithoutGeometryContributeNothingBelowThem) {
    const auto c = convert(root(threeVertices(), {slot(1), special(0, threeVertices(), {triangle()}), litString(),
                                                  rcNode(1), root(threeVertices(), {triangle()}), triangle()}));
    ASSERT_EQ(c->scene.meshCount(), 1);
    EXPECT_EQ(c->mesh(0).faceCount(), 1);  // only the last triangle
}

TEST(Conversion, StartNodeThatIsNotGeometryIsWalkedWithoutAMesh) {
    const auto fromSwitch = convert(switchNode({{subTree(threeVertices(), {triangle()})}}));
    ASSERT_EQ(fromSwitch->scene.meshCount(), 1);
    EXPECT_EQ(fromSwitch->mesh(0).faceCount(), 1);

    const auto fromPrimitive = convert(triangle());
    EXPECT_TRUE(fromPrimitive->ok);
    EXPECT_EQ(fromPrimitive->scene.meshCount(), 0);
    EXPECT_EQ(fromPrimitive->dropped, 0);

    BuildOptions noRoot;
    noRoot.typeTable = std::vector<int32_t>{0};
    const auto unbuilt = convert(buildLod(root(threeVertices()), noRoot));
    EXPECT_TRUE(unbuilt->ok);
    EXPECT_EQ(unbuilt->scene.meshCount(), 0);
}

TEST(Conversion, FacesNamingMissingVerticesAreDroppedAndCounted) {
    const auto c = convert(root(threeVertices(), {cp(prim(2, {0, 1, 2, 3})), cp(prim(2, {65536 + 2, 1, 0})),
                                                  cp(prim(2, {-1, 1, 2})), subTree({}, {triangle()})}));
    ASSERT_TRUE(c->ok);
    ASSERT_EQ(c->scene.meshCount(), 2);
    const MeshBuffer& m = c->mesh(0);
    ASSERT_EQ(m.faceCount(), 2);
    expectFace(m, 0, 0, 1, 2);
    expectFace(m, 1, 2, 1, 0);  // indices keep their low 16 bits
    // The vertexless SubTree still takes its slot; its triangle is dropped.
    EXPECT_EQ(c->mesh(1).vertexCount(), 0);
    EXPECT_EQ(c->dropped, 3);
}

TEST(Conversion, LongChainUnderOneSubTreeIsWalkedWithoutRecursion) {
    constexpr int kNodes = 100000;
    Chain chain;
    chain.reserve(kNodes);
    for (int i = 0; i < kNodes; ++i) {
        if (i % 100 == 0) {
            chain.push_back(triangle());
        } else {
            chain.push_back(i % 2 ? pt(prim(0, {0})) : pt(prim(1, {0, 1})));
        }
    }
    const auto c = convert(root({}, {subTree(threeVertices(), std::move(chain))}));
    ASSERT_TRUE(c->ok) << c->overflow;
    ASSERT_EQ(c->scene.meshCount(), 2);
    EXPECT_EQ(c->mesh(1).faceCount(), kNodes / 100);
}

namespace {

// `meshes` geometry nodes (the Root, then SubTrees in its chain), each with
// `vertices` vertices and one CP fanning into `faces` triangles. The SubTrees
// and CPs are patched to share the Root's vertex table and primitive record,
// which keeps the file small.
BuiltLod capacityModel(int32_t meshes, int32_t vertices, int32_t faces) {
    std::vector<Vec3> table;
    for (int32_t i = 0; i < vertices; ++i) table.push_back({static_cast<float>(i), 0.5f, -1});
    std::vector<int32_t> fan;
    for (int32_t i = 0; i < faces + 2; ++i) fan.push_back(i);

    Chain chain{labelled(cp(prim(2, fan)), "cp0")};
    for (int32_t i = 1; i < meshes; ++i) {
        chain.push_back(labelled(subTree({{0, 0, 0}}, {labelled(triangle(), "cp" + std::to_string(i))}),
                                 "mesh" + std::to_string(i)));
    }
    BuiltLod built = buildLod(labelled(root(table, chain), "root"));
    constexpr int32_t kVertexTableField = 8;
    constexpr int32_t kVertexCountField = 12;
    constexpr int32_t kPrimitiveField = 8;
    const int32_t sharedTable = built.int32At(built.offsetOf("root") + kVertexTableField);
    const int32_t sharedPrimitive = built.int32At(built.offsetOf("cp0") + kPrimitiveField);
    for (int32_t i = 1; i < meshes; ++i) {
        built.setField("mesh" + std::to_string(i), kVertexTableField, sharedTable);
        built.setField("mesh" + std::to_string(i), kVertexCountField, vertices);
        built.setField("cp" + std::to_string(i), kPrimitiveField, sharedPrimitive);
    }
    return built;
}

}  // namespace

TEST(ConversionCapacity, ModelExactlyAtEveryCapacityConvertsAndEncodes) {
    const auto c = convert(capacityModel(kMaxSceneMeshes, kMaxMeshVertices, kMaxMeshFaces));
    ASSERT_TRUE(c->ok) << c->overflow;
    ASSERT_EQ(c->scene.meshCount(), kMaxSceneMeshes);
    for (int32_t i = 0; i < kMaxSceneMeshes; ++i) {
        ASSERT_EQ(c->mesh(i).vertexCount(), kMaxMeshVertices);
        ASSERT_EQ(c->mesh(i).faceCount(), kMaxMeshFaces);
    }
    expectVertex(c->mesh(kMaxSceneMeshes - 1), kMaxMeshVertices - 1, 0.5f, 7999, 1);

    const std::vector<uint8_t> file = encode3ds(c->scene);
    const size_t perObject = 12 * kMaxMeshVertices + 8 * kMaxMeshFaces + 33;
    ASSERT_EQ(file.size(), 12 + kMaxSceneMeshes * perObject);
    EXPECT_EQ(loadU32LE(file.data() + 2), file.size());
    // The last object is named 0599 and stores full 16-bit counts.
    const uint8_t* last = file.data() + 12 + (kMaxSceneMeshes - 1) * perObject;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(last + 6), 5), std::string("0599\0", 5));  // name and its NUL
    EXPECT_EQ(loadU16LE(last + 6 + 5 + 6 + 6), kMaxMeshVertices);
}

TEST(ConversionCapacity, OnePastEachCapacityStopsWithAMessageNamingLimitAndNode) {
    const auto meshes = convert(capacityModel(kMaxSceneMeshes + 1, 3, 1));
    EXPECT_FALSE(meshes->ok);
    EXPECT_EQ(meshes->scene.meshCount(), kMaxSceneMeshes);
    EXPECT_EQ(meshes->overflow.rfind("Model too large: more than 600 meshes (geometry node at offset ", 0), 0u)
        << meshes->overflow;

    const auto vertices = convert(capacityModel(2, kMaxMeshVertices + 1, 1));
    EXPECT_FALSE(vertices->ok);
    EXPECT_EQ(vertices->overflow, "Model too large: more than 8000 vertices in one mesh (geometry node at offset 0)");
    EXPECT_EQ(vertices->scene.meshCount(), 1);
    EXPECT_EQ(vertices->mesh(0).vertexCount(), 0);

    const auto faces = convert(capacityModel(2, kMaxMeshVertices, kMaxMeshFaces + 1));
    EXPECT_FALSE(faces->ok);
    EXPECT_EQ(faces->mesh(0).faceCount(), kMaxMeshFaces);
    EXPECT_EQ(faces->scene.meshCount(), 1);  // stopped before the next mesh
    EXPECT_EQ(faces->overflow.rfind("Model too large: more than 3000 faces in one mesh (geometry node at offset 0, "
                                    "primitive node at offset ",
                                    0),
              0u)
        << faces->overflow;
}

TEST(ConversionCapacity, DroppedFacesDoNotCountTowardTheFaceLimit) {
    const auto full = convert(root({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
                                   {cp(prim(2, std::vector<int32_t>(kMaxMeshFaces + 2, 0))), cp(prim(2, {0, 1, 9}))}));
    EXPECT_TRUE(full->ok) << full->overflow;
    EXPECT_EQ(full->mesh(0).faceCount(), kMaxMeshFaces);
    EXPECT_EQ(full->dropped, 1);
}
