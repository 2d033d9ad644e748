// Our glTF output as assimp reads it: the node hierarchy with its names,
// the meshes named like the 3DS objects with the same triangles, and every
// triangle at the world position the 3DS conversion gives it (mapped to
// glTF axes), except under a switch, where the transforms above the switch
// apply as well.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "lod/lod_model.h"
#include "out3ds/convert.h"
#include "outgltf/gltf_encoder.h"
#include "outgltf/gltf_export.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

const Matrix kTurnZ = {0, -1, 0, 1, 0, 0, 0, 0, 1};
const Matrix kTurnX = {1, 0, 0, 0, 0, -1, 0, 1, 0};
const Matrix kShear = {1, 0.5f, 0, 0, 2, 0, 0, 0, -1};  // shear, scale and a reflection

std::vector<Vec3> square(float size, float z) { return {{0, 0, z}, {size, 0, z}, {size, size, z}, {0, size, z}}; }
Node quad() { return cp(prim(2, {0, 1, 2, 3})); }

// DOFs (one of them no rotation), an XDOF, a switch under a DOF, a split,
// textured primitives and, unless left out for the 3DS reference, point
// and line primitives (3DS fans them; glTF writes them as points and lines).
Node model(bool withPointsAndLines) {
    Prim textured = prim(9, {0, 1, 2, 3});
    textured.textureId = 4;
    textured.uv = {{0, 0}, {1, 0}, {1, 0.25f}, {0, 0.75f}};
    Node xdofPart = xdof(kTurnX, {3, 0, 0}, square(0.5f, 0), {quad(), subTree(square(0.25f, 1), {quad()})});
    xdofPart.dofId = 3;
    Node lights = switchNode({{subTree(square(1, 2), {quad()})}, {cp(prim(2, {2, 1, 0}))}}, 7);
    Node arm = dof(kTurnZ, {0, 0, 1}, {{0, 0, 0}, {3, 0, 0}, {3, 0.5f, 0}, {0, 0.5f, 0}}, {quad(), xdofPart, lights});
    arm.dofId = 1;
    Node sheared = dof(kShear, {1, 2, 3}, square(1, 0), {quad(), subTree(square(0.5f, 1), {quad()})});
    sheared.dofId = 2;
    Chain top = {cp(textured), arm, sheared, split({quad()}, {lp(prim(2, {0, 1, 2}), prim(2, {2, 1, 0}))})};
    if (withPointsAndLines) {
        top.push_back(pt(prim(0, {0, 1, 2})));
        top.push_back(pt(prim(1, {0, 1, 2, 3})));
    }
    return root({{-4, -4, 0}, {4, -4, 0}, {4, 4, 0}, {-4, 4, 0}}, top);
}

struct Imported {
    Assimp::Importer importer;
    const aiScene* scene = nullptr;
};

void readGlb(const Node& top, Imported& imported) {
    const Loaded loaded = load(buildLod(top));
    GltfDocument document;
    GltfExportReport report;
    ASSERT_TRUE(buildGltf(loaded.root(), GltfExportOptions{}, document, report));
    const std::vector<uint8_t> head = encodeGlbHead(encodeGltfJson(document, ""), document.joinedBin().size());
    std::vector<uint8_t> glb = head;
    const std::vector<uint8_t> bin = document.joinedBin();
    glb.insert(glb.end(), bin.begin(), bin.end());
    imported.scene = imported.importer.ReadFileFromMemory(glb.data(), glb.size(), 0, "glb");
    ASSERT_NE(imported.scene, nullptr) << imported.importer.GetErrorString();
}

void collect(const aiNode* node, const aiMatrix4x4& above, std::multimap<std::string, std::string>& parents,
             std::map<const aiNode*, aiMatrix4x4>& world) {
    const aiMatrix4x4 here = above * node->mTransformation;
    world[node] = here;
    for (unsigned i = 0; i < node->mNumChildren; ++i) {
        parents.emplace(node->mChildren[i]->mName.C_Str(), node->mName.C_Str());
        collect(node->mChildren[i], here, parents, world);
    }
}

// 3DS axes (x, y, z) hold LOD (y, x, -z); glTF is LOD (y, -z, -x).
aiVector3D gltfFrom3ds(const Vec3& v) { return aiVector3D(v.x, v.z, -v.y); }

bool near(const aiVector3D& a, const aiVector3D& b) {
    const auto close = [](float x, float y) { return std::fabs(x - y) <= 1e-5f * std::max(1.0f, std::fabs(y)); };
    return close(a.x, b.x) && close(a.y, b.y) && close(a.z, b.z);
}

// The switch node above a node, or null.
const aiNode* switchAbove(const aiNode* node) {
    for (const aiNode* n = node; n; n = n->mParent)
        if (std::string(n->mName.C_Str()).rfind("Switch 7", 0) == 0 && n->mName.length == 8) return n;
    return nullptr;
}

TEST(GltfReadback, HierarchyMeshesAndWorldPositionsMatchThe3dsConversion) {
    Imported imported;
    readGlb(model(true), imported);
    const aiScene* scene = imported.scene;

    std::multimap<std::string, std::string> parents;
    std::map<const aiNode*, aiMatrix4x4> world;
    collect(scene->mRootNode, aiMatrix4x4(), parents, world);
    const std::multimap<std::string, std::string> expectedParents = {
        {"DOF 1", "Root"},
        {"XDOF 3", "DOF 1"},
        {"XDOF 3 frame", "XDOF 3"},
        {"SubTree", "XDOF 3 frame"},
        {"Switch 7", "DOF 1"},
        {"Switch 7 branch 0", "Switch 7"},
        {"Switch 7 branch 1", "Switch 7"},
        {"DOF 2", "Root"},
        {"DOF 2 shear", "DOF 2"},
        {"SubTree", "Switch 7 branch 0"},
        {"SubTree", "DOF 2 shear"},
    };
    EXPECT_EQ(parents.size(), expectedParents.size());
    for (const auto& [child, parent] : expectedParents) {
        bool found = false;
        for (auto [at, end] = parents.equal_range(child); at != end; ++at) found = found || at->second == parent;
        EXPECT_TRUE(found) << child << " under " << parent;
    }

    // The 3DS reference: the same tree without the point and line primitives.
    const Loaded reference = load(buildLod(model(false)));
    Scene3ds scene3ds;
    ConversionState state(scene3ds);
    ASSERT_TRUE(convertTree(reference.root(), state));

    int64_t points = 0, segments = 0;
    std::map<std::string, int32_t> triangles;
    std::vector<bool> used;
    for (const auto& [node, transform] : world) {
        const aiNode* switchNode = switchAbove(node);
        for (unsigned m = 0; m < node->mNumMeshes; ++m) {
            const aiMesh* mesh = scene->mMeshes[node->mMeshes[m]];
            const std::string name = std::string(mesh->mName.C_Str()).substr(0, 4);
            const int object = std::stoi(name);
            ASSERT_LT(object, scene3ds.meshCount());
            const MeshBuffer& expected = scene3ds.mesh(object);
            if (mesh->mPrimitiveTypes & aiPrimitiveType_POINT) points += mesh->mNumFaces;
            if (mesh->mPrimitiveTypes & aiPrimitiveType_LINE) segments += mesh->mNumFaces;
            if (!(mesh->mPrimitiveTypes & aiPrimitiveType_TRIANGLE)) continue;
            triangles[name] += static_cast<int32_t>(mesh->mNumFaces);
            // Each triangle equals one 3DS face of the same object, corner for corner.
            used.assign(static_cast<size_t>(expected.faceCount()), false);
            for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
                const aiFace& face = mesh->mFaces[f];
                ASSERT_EQ(face.mNumIndices, 3u);
                bool found = false;
                for (int32_t e = 0; e < expected.faceCount() && !found; ++e) {
                    if (used[static_cast<size_t>(e)]) continue;
                    const MeshFace& ef = expected.face(e);
                    const uint16_t corners[3] = {ef.a, ef.b, ef.c};
                    bool same = true;
                    for (int k = 0; k < 3 && same; ++k) {
                        aiVector3D want = gltfFrom3ds(expected.vertex(corners[k]));
                        if (switchNode) want = world[switchNode->mParent] * want;
                        same = near(transform * mesh->mVertices[face.mIndices[k]], want);
                    }
                    if (same) found = used[static_cast<size_t>(e)] = true;
                }
                EXPECT_TRUE(found) << "mesh " << name << " triangle " << f;
            }
        }
    }
    for (int32_t i = 0; i < scene3ds.meshCount(); ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "%04d", static_cast<int>(i));
        EXPECT_EQ(triangles[name], scene3ds.mesh(i).faceCount()) << name;
    }
    EXPECT_EQ(points, 3);
    EXPECT_EQ(segments, 3);
}

TEST(GltfReadback, TextureCoordinatesReadBackAsStoredWithTheirTextureMaterial) {
    // assimp turns glTF's top-left origin back into a bottom-left one, so
    // with the V flip it must see the LOD values as stored.
    Imported imported;
    readGlb(model(false), imported);
    const aiScene* scene = imported.scene;
    int texturedMeshes = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        if (!mesh->HasTextureCoords(0)) continue;
        ++texturedMeshes;
        EXPECT_STREQ(scene->mMaterials[mesh->mMaterialIndex]->GetName().C_Str(), "texture 4");
        const std::vector<std::pair<float, float>> stored = {{0, 0}, {1, 0}, {1, 0.25f}, {0, 0.75f}};
        for (unsigned v = 0; v < mesh->mNumVertices; ++v) {
            const aiVector3D uv = mesh->mTextureCoords[0][v];
            bool known = false;
            for (const auto& [u, w] : stored) known = known || (uv.x == u && std::fabs(uv.y - w) < 1e-6f);
            EXPECT_TRUE(known) << uv.x << ", " << uv.y;
        }
    }
    EXPECT_EQ(texturedMeshes, 1);
}

}  // namespace
