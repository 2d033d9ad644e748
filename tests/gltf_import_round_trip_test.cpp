// import(export(M)) is M: the same node tree, kinds, order, record numbers
// and primitives, shown by `lodtool list` of both, for the samples and for
// generated trees of every node kind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>

#include "command_runner.h"
#include "ingltf/gltf_scene.h"
#include "common/message_sink.h"
#include "lod/lod_model.h"
#include "lod/node_type.h"
#include "lod/subtree_node.h"
#include "lod/transform_nodes.h"
#include "lod_builder.h"
#include "random_lod_tree.h"
#include "scratch_dir.h"

namespace {

using namespace lodtest;

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The listing of `lod` and of the import of its export (as `format`).
std::pair<std::string, std::string> listings(const std::filesystem::path& dir, const std::string& lod,
                                             const char* format) {
    const std::string exported = std::string("trip.") + format;
    EXPECT_EQ(runBuiltCommand(dir, "lodtool", {"export", "-q", lod, exported}).status, 0);
    const CommandRun imported = runBuiltCommand(dir, "lodtool", {"import", "-q", exported, "back.lod"});
    EXPECT_EQ(imported.status, 0) << imported.err;
    return {runBuiltCommand(dir, "lodtool", {"list", lod}).out, runBuiltCommand(dir, "lodtool", {"list", "back.lod"}).out};
}

TEST(GltfImportRoundTrip, SamplesListTheSameAfterExportAndImport) {
    ScratchDir scratch;
    for (const char* name : {"hinge", "primitives", "switches", "transforms"}) {
        const std::string lod = std::string(MEVLO_SOURCE_DIR) + "/samples/" + name + ".lod";
        for (const char* format : {"glb", "gltf"}) {
            const auto [before, after] = listings(scratch.path(), lod, format);
            EXPECT_FALSE(before.empty());
            EXPECT_EQ(before, after) << name << " as " << format;
        }
    }
}

TEST(GltfImportRoundTrip, GeneratedTreesComeBackAsTheSameModel) {
    ScratchDir scratch;
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        writeFile(scratch.path() / "model.lod", buildLod(RandomLodTree(seed, true).model()).bytes);
        const auto [before, after] = listings(scratch.path(), "model.lod", "glb");
        EXPECT_EQ(before, after) << "seed " << seed;
    }
}

// DOF, XDOF and Slot matrices of a loaded model in the order the tree holds them.
struct Transform {
    int32_t code = 0;
    float m[9] = {};
    float t[3] = {};
};

void collectTransforms(const mevlo::LodNode* node, std::vector<Transform>& out) {
    for (; node; node = node->next.get()) {
        Transform t;
        t.code = node->type;
        const mevlo::Mat3* m = nullptr;
        const mevlo::Vec3* v = nullptr;
        if (node->type == mevlo::NODE_DOF) {
            m = &static_cast<const mevlo::DofNode*>(node)->rotation;
            v = &static_cast<const mevlo::DofNode*>(node)->translation;
        } else if (node->type == mevlo::NODE_XDOF) {
            m = &static_cast<const mevlo::XDofNode*>(node)->rotation;
            v = &static_cast<const mevlo::XDofNode*>(node)->translation;
        } else if (node->type == mevlo::NODE_SLOT) {
            m = &static_cast<const mevlo::SlotNode*>(node)->rotation;
            v = &static_cast<const mevlo::SlotNode*>(node)->position;
        }
        if (m) {
            for (int i = 0; i < 9; ++i) t.m[i] = m->fileValue(i);
            t.t[0] = v->x;
            t.t[1] = v->y;
            t.t[2] = v->z;
            out.push_back(t);
        }
        std::vector<const mevlo::LodNode*> heads;
        node->appendChildChains(heads);
        for (const mevlo::LodNode* head : heads) collectTransforms(head, out);
    }
}

std::vector<Transform> transformsOf(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    mevlo::LodModel model;
    mevlo::MessageCount messages;
    model.loadBytes(std::move(bytes), messages);
    std::vector<Transform> out;
    collectTransforms(model.root.get(), out);
    return out;
}

// Matrices of every kind the export must decompose: general, sheared,
// singular (rank 0 to 2), mirrored, with entries of very different sizes.
Matrix generalMatrix(std::mt19937& random) {
    std::uniform_real_distribution<float> entry(-4.0f, 4.0f);
    Matrix m;
    for (float& e : m) e = entry(random);
    switch (std::uniform_int_distribution<int>(0, 5)(random)) {
        case 0: for (int c = 0; c < 3; ++c) m[static_cast<size_t>(3 + c)] = 2.0f * m[static_cast<size_t>(c)]; break;  // rank 2
        case 1: for (int r = 1; r < 3; ++r) for (int c = 0; c < 3; ++c) m[static_cast<size_t>(3 * r + c)] = 0.0f; break;  // rank 1
        case 2: m = {0, 0, 0, 0, 0, 0, 0, 0, 0}; break;
        case 3: m = {1, 0.75f, 0, 0, 1, 0, 0, 0, -1}; break;  // shear and mirror
        case 4: for (float& e : m) e *= 1e-3f; m[4] = 5e3f; break;
        default: break;
    }
    return m;
}

TEST(GltfImportRoundTrip, GeneralMatricesComeBackWithinAMillionthOfTheirLargestEntry) {
    ScratchDir scratch;
    std::mt19937 random(19);
    std::uniform_real_distribution<float> offset(-50.0f, 50.0f);
    const std::vector<Vec3> square = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}};
    for (int round = 0; round < 8; ++round) {
        const auto t = [&] { return Vec3{offset(random), offset(random), offset(random)}; };
        Chain nested = {cp(prim(2, {0, 1, 2}))};
        for (int level = 0; level < 4; ++level) {
            Chain children = {cp(prim(2, {0, 1, 2, 3})), slot(level, generalMatrix(random), t())};
            for (Node& n : nested) children.push_back(std::move(n));
            nested.clear();
            nested.push_back(level % 2 ? xdof(generalMatrix(random), t(), square, std::move(children))
                                       : dof(generalMatrix(random), t(), square, std::move(children)));
        }
        writeFile(scratch.path() / "model.lod", buildLod(root(square, std::move(nested))).bytes);
        EXPECT_EQ(runBuiltCommand(scratch.path(), "lodtool", {"export", "-q", "model.lod", "trip.glb"}).status, 0);
        EXPECT_EQ(runBuiltCommand(scratch.path(), "lodtool", {"import", "-q", "trip.glb", "back.lod"}).status, 0);
        const std::vector<Transform> before = transformsOf(scratch.path() / "model.lod");
        const std::vector<Transform> after = transformsOf(scratch.path() / "back.lod");
        ASSERT_EQ(before.size(), 8u);
        ASSERT_EQ(after.size(), before.size());
        for (size_t i = 0; i < before.size(); ++i) {
            EXPECT_EQ(after[i].code, before[i].code);
            float largest = 0.0f;
            for (float e : before[i].m) largest = std::max(largest, std::fabs(e));
            for (int k = 0; k < 9; ++k)
                EXPECT_LE(std::fabs(after[i].m[k] - before[i].m[k]), 1e-6f * largest)
                    << "round " << round << " transform " << i << " entry " << k;
            for (int k = 0; k < 3; ++k)
                EXPECT_LE(std::fabs(after[i].t[k] - before[i].t[k]), 1e-5f * (1.0f + std::fabs(before[i].t[k])))
                    << "round " << round << " transform " << i << " translation " << k;
        }
    }
}

// Every triangle of a glTF file at its world position (the product of its
// node's transforms), corners rounded and rotated to start at the least.
std::multiset<std::string> worldTriangles(const std::filesystem::path& file) {
    mevlo::GltfScene scene;
    std::string error;
    EXPECT_TRUE(mevlo::readGltfFile(file.string(), scene, error)) << error;
    std::multiset<std::string> out;
    const std::function<void(int32_t, const std::array<double, 16>&)> visit = [&](int32_t index, const std::array<double, 16>& parent) {
        const mevlo::GltfSceneNode& node = scene.nodes[static_cast<size_t>(index)];
        std::array<double, 16> world{};
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                for (int k = 0; k < 4; ++k) world[static_cast<size_t>(4 * c + r)] += parent[static_cast<size_t>(4 * k + r)] * node.matrix[static_cast<size_t>(4 * c + k)];
        if (node.mesh >= 0) {
            for (const mevlo::GltfScenePrimitive& p : scene.meshes[static_cast<size_t>(node.mesh)].primitives) {
                if (p.mode != mevlo::GltfMode::Triangles) continue;
                for (size_t t = 0; t + 2 < p.indices.size(); t += 3) {
                    std::string corners[3];
                    for (size_t k = 0; k < 3; ++k) {
                        const float* v = &p.positions[3 * static_cast<size_t>(p.indices[t + k])];
                        char text[96];
                        double w[3];
                        for (int r = 0; r < 3; ++r) w[r] = world[static_cast<size_t>(r)] * v[0] + world[static_cast<size_t>(4 + r)] * v[1] + world[static_cast<size_t>(8 + r)] * v[2] + world[static_cast<size_t>(12 + r)];
                        std::snprintf(text, sizeof text, "(%.4f %.4f %.4f)", w[0] + 0.0, w[1] + 0.0, w[2] + 0.0);
                        corners[k] = text;
                    }
                    const size_t first = static_cast<size_t>(std::min_element(corners, corners + 3) - corners);
                    out.insert(corners[first] + corners[(first + 1) % 3] + corners[(first + 2) % 3]);
                }
            }
        }
        for (int32_t child : node.children) visit(child, world);
    };
    for (int32_t root : scene.roots) visit(root, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    return out;
}

TEST(GltfImportRoundTrip, MeshesPastMaxVerticesSplitWhereTheirContainersTransformStillHolds) {
    ScratchDir scratch;
    // Ten vertices a container, polygons over all of them; a DOF moves its
    // own vertices, an XDOF only what lies below it.
    std::vector<Vec3> ten;
    for (int i = 0; i < 10; ++i) ten.push_back({static_cast<float>(i), static_cast<float>(i % 3), 0.5f * static_cast<float>(i % 2)});
    const auto polygons = [] {
        Chain c;
        for (int i = 0; i < 8; ++i) c.push_back(cp(prim(2, {i, i + 1, i + 2})));
        return c;
    };
    const Matrix turn = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    Chain inner = polygons();
    inner.push_back(subTree(ten, polygons()));
    Chain xdofChildren = polygons();
    xdofChildren.push_back(dof(turn, {1, 2, 3}, ten, std::move(inner)));
    Chain top = polygons();
    top.push_back(xdof(turn, {4, 0, 0}, ten, std::move(xdofChildren)));
    top.push_back(subTree(ten, polygons()));
    writeFile(scratch.path() / "model.lod", buildLod(root(ten, std::move(top))).bytes);
    ASSERT_EQ(runBuiltCommand(scratch.path(), "lodtool", {"export", "-q", "model.lod", "trip.glb"}).status, 0);
    // The summary counts triangles whether the records or the meshes bring them back.
    const CommandRun exact = runBuiltCommand(scratch.path(), "lodtool", {"import", "trip.glb", "exact.lod"});
    EXPECT_NE(exact.out.find(", 40 triangles"), std::string::npos) << exact.out;
    // Without the export's records the import maps the meshes themselves.
    std::ifstream in(scratch.path() / "trip.glb", std::ios::binary);
    std::string glb((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    for (size_t at = glb.find("LODR"); at != std::string::npos; at = glb.find("LODR", at + 4)) glb[at] = 'X';
    std::ofstream(scratch.path() / "plain.glb", std::ios::binary) << glb;
    const CommandRun imported =
        runBuiltCommand(scratch.path(), "lodtool", {"import", "--max-vertices", "4", "plain.glb", "back.lod"});
    ASSERT_EQ(imported.status, 0) << imported.err;
    EXPECT_NE(imported.out.find(", 40 triangles"), std::string::npos) << imported.out;
    // The triangles stay where they were, counted once each.
    ASSERT_EQ(runBuiltCommand(scratch.path(), "lodtool", {"export", "-q", "back.lod", "back.glb"}).status, 0);
    const auto before = worldTriangles(scratch.path() / "trip.glb");
    EXPECT_EQ(before.size(), 40u);
    EXPECT_EQ(worldTriangles(scratch.path() / "back.glb"), before);
    // Every container holds at most four vertices.
    std::ifstream back(scratch.path() / "back.lod", std::ios::binary);
    mevlo::LodModel model;
    mevlo::MessageCount messages;
    model.loadBytes(std::vector<uint8_t>((std::istreambuf_iterator<char>(back)), std::istreambuf_iterator<char>()), messages);
    int containers = 0;
    const std::function<void(const mevlo::LodNode*)> count = [&](const mevlo::LodNode* node) {
        for (; node; node = node->next.get()) {
            if (mevlo::isGeometryNodeType(node->type)) {
                EXPECT_LE(static_cast<const mevlo::SubTreeNode*>(node)->vertexCount, 4);
                ++containers;
            }
            std::vector<const mevlo::LodNode*> heads;
            node->appendChildChains(heads);
            for (const mevlo::LodNode* head : heads) count(head);
        }
    };
    count(model.root.get());
    EXPECT_GE(containers, 15);
}

}  // namespace
