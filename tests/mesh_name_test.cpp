// Mesh names: four digits while they last, then as many as the number has,
// the same in the summary, the glTF export and the 3DS objects.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "common/mesh_name.h"
#include "info/conversion_facts.h"
#include "outgltf/gltf_export.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

TEST(MeshName, FourDigitsUpTo9999ThenEveryDigitWithinTheTenCharactersOfA3dsName) {
    EXPECT_EQ(meshName(0), "0000");
    EXPECT_EQ(meshName(42), "0042");
    EXPECT_EQ(meshName(9999), "9999");
    EXPECT_EQ(meshName(10000), "10000");
    EXPECT_EQ(meshName(INT32_MAX).size(), 10u);
}

TEST(MeshName, SummaryAndGltfExportNameTheMeshAfter9999Alike) {
    // 10 001 meshes; the last has the most vertices, so the summary names it.
    const std::vector<Vec3> triangle = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    Chain meshes;
    for (int i = 0; i < 10000; ++i) meshes.push_back(subTree(triangle, {cp(prim(2, {0, 1, 2}))}));
    meshes.push_back(subTree({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {cp(prim(2, {0, 1, 3, 2}))}));
    const Loaded loaded = load(buildLod(root({}, std::move(meshes))));

    ModelFacts facts;
    collectConversionFacts(loaded.root(), facts);
    EXPECT_EQ(facts.meshes, 10001);
    EXPECT_EQ(facts.largestByVertices.name, "10000");

    GltfDocument document;
    GltfExportReport report;
    ASSERT_TRUE(buildGltf(loaded.root(), GltfExportOptions{}, document, report));
    ASSERT_EQ(document.meshes.size(), 10001u);
    EXPECT_EQ(document.meshes[0].name, "0000");
    EXPECT_EQ(document.meshes.back().name, "10000");
}

}  // namespace
