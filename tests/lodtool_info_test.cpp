// lodtool info as a user runs it: the summary of a sample against a reviewed
// text, the JSON facts of a model whose contents are known, a damaged file
// and several files at once.
#include <gtest/gtest.h>

#if __has_include(<nlohmann/json.hpp>)
#include <nlohmann/json.hpp>
#define MEVLO_HAVE_JSON_READER 1
#endif

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "command_runner.h"
#include "lod/node_type.h"
#include "lod_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace lodtest;

class LodtoolInfo : public testing::Test {
protected:
    CommandRun run(const std::string& program, const std::vector<std::string>& arguments) const {
        return runBuiltCommand(dir_.path(), program, arguments);
    }

    std::string writeModel(const std::string& name, const std::vector<uint8_t>& bytes) const {
        writeBytes(dir_ / name, bytes);
        return (dir_ / name).string();
    }

    ScratchDir dir_;
};

TEST_F(LodtoolInfo, SummaryOfTheTransformsSampleMatchesTheReviewedText) {
    const fs::path sample = fs::path(MEVLO_SOURCE_DIR) / "samples" / "transforms.lod";
    const CommandRun text = run("lodtool", {"info", "--all", sample.string()});
    EXPECT_EQ(text.status, 0);
    const std::string expected = readText(fs::path(MEVLO_SOURCE_DIR) / "tests" / "data" / "info_transforms.txt");
    // The first line names the file as given.
    EXPECT_EQ(text.out, sample.string() + "\n" + expected);
}

#ifdef MEVLO_HAVE_JSON_READER

using json = nlohmann::json;

// Root (4 vertices, textures 1 and 2, script 7) holding: a quad, a polygon
// with one index outside the table, a DOF 3 with a triangle, an XDOF 3 with
// limits, a Switch 9 of two branches (one empty) with a SubTree of 3
// vertices, a Slot 5, points, a line of three vertices and a quad textured
// with number 4, which the Root does not list.
Chain knownModelChildren() {
    const std::vector<Vec3> tri = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    Node xdofNode = xdof(kIdentity, {1, 2, 3}, tri, {pt(prim(2, {0, 1, 2}))});
    xdofNode.dofId = 3;
    xdofNode.minimum = -0.5f;
    xdofNode.maximum = 1.5f;
    Node dofNode = dof(kIdentity, {10, 0, 0}, tri, {pt(prim(2, {0, 1, 2}))});
    dofNode.dofId = 3;
    Prim textured = prim(6, {0, 1, 2, 3});
    textured.textureId = 4;
    return {
        pt(prim(2, {0, 1, 2, 3})),
        pt(prim(2, {0, 1, 9, 2})),  // faces (0,1,9) and (0,9,2) name a missing vertex
        dofNode,
        xdofNode,
        switchNode({{subTree(tri, {pt(prim(2, {0, 1, 2}))})}, {}}, 9),
        slot(5),
        pt(prim(0, {0, 1, 2, 7})),  // vertex 7 is not there
        pt(prim(1, {0, 1, 2})),
        pt(textured),
    };
}

BuiltLod knownModel() {
    Node top = root({{-1, -2, -3}, {4, 0, 0}, {0, 5, 0}, {0, 0, 6}}, knownModelChildren());
    top.textures = {1, 2};
    top.script = 7;
    return buildLod(top);
}

TEST_F(LodtoolInfo, JsonFactsOfAKnownModelAgreeWithTheConversion) {
    const std::string model = writeModel("known.lod", knownModel().bytes);
    const CommandRun info = run("lodtool", {"info", "--json", model});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_EQ(info.err, "");
    const json facts = json::parse(info.out);

    EXPECT_EQ(facts["file"], model);
    EXPECT_EQ(facts["bytes"], fs::file_size(model));
    EXPECT_EQ(facts["nodeCount"], 14);
    EXPECT_EQ(facts["nodesBuilt"], 14);
    EXPECT_EQ(facts["nodesByType"].size(), static_cast<size_t>(mevlo::kNodeTypeCount));
    EXPECT_EQ(facts["nodesByType"]["PT"], 8);
    EXPECT_EQ(facts["nodesByType"]["Unused"], 0);
    EXPECT_EQ(facts["primitivesByType"], json::parse(R"({"0": 1, "1": 1, "2": 5, "6": 1})"));
    EXPECT_EQ(facts["containers"], 4);
    EXPECT_EQ(facts["meshes"], 4);
    EXPECT_EQ(facts["vertices"], 13);
    // Point and line primitives of three or more vertices are fanned as
    // well, as mevlo does: Root quad 2 + bad polygon 0 (2 dropped) + points
    // 1 (1 dropped) + line 1 + textured 2; DOF, XDOF and branch 1 each.
    EXPECT_EQ(facts["triangles"], 9);
    EXPECT_EQ(facts["droppedFaces"], 3);
    EXPECT_EQ(facts["points"], 3);
    EXPECT_EQ(facts["lineSegments"], 2);
    EXPECT_EQ(facts["largestMesh"], json::parse(R"({"name": "0000", "vertices": 4, "triangles": 6})"));
    EXPECT_EQ(facts["convertsTo3ds"], true);
    EXPECT_TRUE(facts["tooLarge"].is_null());
    EXPECT_EQ(facts["dofs"], json::parse("[3]"));
    EXPECT_EQ(facts["switches"], json::parse(R"([{"id": 9, "branches": 2, "type": "Switch"}])"));
    EXPECT_EQ(facts["slots"], json::parse("[5]"));
    EXPECT_EQ(facts["textures"]["root"], json::parse("[1, 2]"));
    EXPECT_EQ(facts["textures"]["used"], json::parse(R"({"4": 1})"));
    EXPECT_EQ(facts["script"], 7);
    // The Root's vertices span (-1..4, -2..5, -3..6); the DOF moves its
    // triangle to x = 10..11. 3DS axes are (y, x, -z).
    EXPECT_EQ(facts["bounds3ds"]["min"], json::parse("[-2, -1, -6]"));
    EXPECT_EQ(facts["bounds3ds"]["max"], json::parse("[5, 11, 3]"));
    EXPECT_EQ(facts["boundsGltf"]["min"], json::parse("[-2, -6, -11]"));
    EXPECT_EQ(facts["boundsGltf"]["max"], json::parse("[5, 3, 1]"));
    EXPECT_EQ(facts["problems"], json::parse(
        R"({"nodeTypeOutOfRange": 0, "nestingTooDeep": 0, "unknownPrimitiveType": 0, "unreadableTable": 0})"));

    // mevlo reports the same meshes and dropped faces.
    const CommandRun mevlo = run("mevlo", {model, (dir_ / "known.3ds").string()});
    ASSERT_EQ(mevlo.status, 0) << mevlo.err;
    EXPECT_NE(mevlo.out.find("Faces dropped: 3 (vertex index out of range)\nBegin Write\nObjects built: 4\n"),
              std::string::npos)
        << mevlo.out;
}

TEST_F(LodtoolInfo, ModelBeyondThe3dsCapacitiesIsSummarisedWithMevlosReason) {
    std::vector<Vec3> many(8001);
    for (size_t i = 0; i < many.size(); ++i) many[i] = Vec3{static_cast<float>(i), 0, 0};
    const std::string model = writeModel("big.lod", buildLod(root(many, {pt(prim(2, {0, 1, 8000}))})).bytes);

    const CommandRun mevlo = run("mevlo", {model, (dir_ / "big.3ds").string()});
    ASSERT_EQ(mevlo.status, 1);
    const CommandRun info = run("lodtool", {"info", "--json", model});
    ASSERT_EQ(info.status, 0) << info.err;
    const json facts = json::parse(info.out);
    EXPECT_EQ(facts["convertsTo3ds"], false);
    EXPECT_EQ(facts["tooLarge"].get<std::string>() + "\n", mevlo.err);
    EXPECT_EQ(facts["vertices"], 8001);
    EXPECT_EQ(facts["triangles"], 1);
}

TEST_F(LodtoolInfo, DamagedFileGetsItsSummaryWithItsProblemsCounted) {
    BuildOptions options;
    options.typeTable = std::vector<int32_t>{mevlo::NODE_ROOT, mevlo::NODE_SUBTREE, 17};
    BuiltLod built = buildLod(root({{0, 0, 0}}, {subTree(), subTree(), pt(prim(2, {0, 0, 0}))}), options);
    const std::string model = writeModel("damaged.lod", built.bytes);

    const CommandRun text = run("lodtool", {"info", model});
    EXPECT_EQ(text.status, 0);
    EXPECT_EQ(text.err, "");
    // Problems are part of the summary, not loading messages of their own.
    EXPECT_EQ(text.out.find("Node Table Error:  Type"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("\nProblems\n           1  node type out of range (Node Table Error)\nNodes"), std::string::npos)
        << text.out;

    const json facts = json::parse(run("lodtool", {"info", "--json", model}).out);
    EXPECT_EQ(facts["problems"]["nodeTypeOutOfRange"], 1);
    EXPECT_EQ(facts["nodeCount"], 3);
    EXPECT_EQ(facts["nodesBuilt"], 2);
}

TEST_F(LodtoolInfo, SeveralFilesGiveAnArrayAndAnUnreadableOneFailsTheRun) {
    const std::string a = writeModel("a.lod", buildLod(root({{0, 0, 0}})).bytes);
    const std::string b = writeModel("b.lod", knownModel().bytes);
    const std::string missing = (dir_ / "missing.lod").string();

    const CommandRun both = run("lodtool", {"info", "--json", a, missing, b});
    EXPECT_EQ(both.status, 1);
    EXPECT_TRUE(isOneLine(both.err)) << both.err;
    EXPECT_NE(both.err.find("missing.lod"), std::string::npos);
    const json facts = json::parse(both.out);
    ASSERT_TRUE(facts.is_array());
    ASSERT_EQ(facts.size(), 2u);
    EXPECT_EQ(facts[0]["file"], a);
    EXPECT_EQ(facts[1]["file"], b);

    const CommandRun text = run("lodtool", {"info", a, b});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find(a + "\n"), std::string::npos);
    EXPECT_NE(text.out.find("\n\n" + b + "\n"), std::string::npos);
}

#else

TEST(LodtoolInfoJson, SkippedWithoutAJsonReader) {
    GTEST_SKIP() << "nlohmann/json.hpp is not installed (Debian: nlohmann-json3-dev); the JSON facts are not read back";
}

#endif

}  // namespace
