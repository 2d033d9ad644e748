// Other people's glTF files (the sample models of assimp-testmodels):
// valid triangle models import, and exporting the import puts every
// triangle where assimp's own reading of the source puts it; broken ones
// and ones that need an extension we do not read are refused in one line.
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ingltf/gltf_scene.h"
#include "ingltf/gltf_to_lod.h"
#include "common/message_sink.h"
#include "lod/lod_model.h"
#include "outgltf/gltf_encoder.h"
#include "outgltf/gltf_export.h"
#include "scratch_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace mevlo;

using Corner = std::array<double, 3>;
using Triangle = std::array<Corner, 3>;

fs::path samplesDir() { return fs::path(MEVLO_GLTF_SAMPLES_DIR); }

// Every triangle of the scene in world coordinates, as assimp reads it.
bool trianglesOf(const aiScene* scene, std::vector<Triangle>& triangles) {
    if (scene == nullptr) return false;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) {
        const aiMesh* mesh = scene->mMeshes[m];
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices != 3) continue;
            Triangle t;
            for (int k = 0; k < 3; ++k) {
                const aiVector3D& v = mesh->mVertices[face.mIndices[k]];
                t[static_cast<size_t>(k)] = {v.x, v.y, v.z};
            }
            triangles.push_back(t);
        }
    }
    return true;
}

constexpr unsigned kFlatten = aiProcess_PreTransformVertices;

// The source's triangles as assimp reads the file.
std::vector<Triangle> assimpTriangles(const fs::path& file) {
    Assimp::Importer importer;
    std::vector<Triangle> triangles;
    EXPECT_TRUE(trianglesOf(importer.ReadFile(file.string(), kFlatten), triangles)) << importer.GetErrorString();
    return triangles;
}

// Import, then export as the command does; the triangles assimp reads in
// the exported GLB.
std::vector<Triangle> roundTripTriangles(const fs::path& file) {
    std::vector<Triangle> triangles;
    GltfScene scene;
    std::string error;
    if (!readGltfFile(file.string(), scene, error)) {
        ADD_FAILURE() << "read: " << error;
        return triangles;
    }
    std::vector<uint8_t> lod;
    GltfImportReport report;
    if (!importGltf(scene, GltfImportOptions{}, lod, report)) {
        ADD_FAILURE() << "import: " << report.failure;
        return triangles;
    }
    LodModel model;
    mevlo::MessageCount messages;
    model.loadBytes(std::move(lod), messages);
    GltfExportOptions options;
    options.elementLimit = gltfElementLimit(static_cast<int64_t>(model.file.size()));
    GltfDocument document;
    GltfExportReport exported;
    if (!buildGltf(model.root.get(), options, document, exported)) {
        ADD_FAILURE() << "export: " << exported.failure;
        return triangles;
    }
    std::vector<uint8_t> glb = encodeGlbHead(encodeGltfJson(document, ""), document.joinedBin().size());
    const std::vector<uint8_t> bin = document.joinedBin();
    glb.insert(glb.end(), bin.begin(), bin.end());
    Assimp::Importer importer;
    EXPECT_TRUE(trianglesOf(importer.ReadFileFromMemory(glb.data(), glb.size(), kFlatten, "glb"), triangles))
        << importer.GetErrorString();
    return triangles;
}

double extentOf(const std::vector<Triangle>& triangles) {
    double extent = 0;
    for (const Triangle& t : triangles)
        for (const Corner& c : t)
            for (double v : c) extent = std::max(extent, std::fabs(v));
    return extent;
}

bool sameCorner(const Corner& a, const Corner& b, double tolerance) {
    for (size_t i = 0; i < 3; ++i)
        if (std::fabs(a[i] - b[i]) > tolerance) return false;
    return true;
}

// The same corners in the same turning order, whichever corner is first.
bool sameTriangle(const Triangle& a, const Triangle& b, double tolerance) {
    for (size_t r = 0; r < 3; ++r) {
        if (sameCorner(a[0], b[r], tolerance) && sameCorner(a[1], b[(r + 1) % 3], tolerance) &&
            sameCorner(a[2], b[(r + 2) % 3], tolerance))
            return true;
    }
    return false;
}

double lowestX(const Triangle& t) { return std::min({t[0][0], t[1][0], t[2][0]}); }

// Every triangle of expected has its own match in actual, and none is left
// over. Candidates are found by their lowest x, sorted.
void expectSameTriangles(std::vector<Triangle> expected, std::vector<Triangle> actual) {
    ASSERT_EQ(actual.size(), expected.size());
    const double tolerance = 1e-5 * std::max(1.0, extentOf(expected));
    const auto byLowestX = [](const Triangle& a, const Triangle& b) { return lowestX(a) < lowestX(b); };
    std::sort(actual.begin(), actual.end(), byLowestX);
    std::vector<bool> used(actual.size(), false);
    size_t unmatched = 0;
    for (const Triangle& t : expected) {
        const double x = lowestX(t);
        auto it = std::lower_bound(actual.begin(), actual.end(), x - tolerance,
                                   [](const Triangle& a, double value) { return lowestX(a) < value; });
        bool found = false;
        for (; it != actual.end() && lowestX(*it) <= x + tolerance; ++it) {
            const auto k = static_cast<size_t>(it - actual.begin());
            if (!used[k] && sameTriangle(t, *it, tolerance)) {
                used[k] = true;
                found = true;
                break;
            }
        }
        if (!found && ++unmatched <= 3) {
            ADD_FAILURE() << "no triangle at (" << t[0][0] << ", " << t[0][1] << ", " << t[0][2] << ") ("
                          << t[1][0] << ", " << t[1][1] << ", " << t[1][2] << ") (" << t[2][0] << ", " << t[2][1]
                          << ", " << t[2][2] << ")";
        }
    }
    EXPECT_EQ(unmatched, 0u);
}

class GltfSamples : public testing::Test {
protected:
    void SetUp() override {
        if (!fs::is_directory(samplesDir()))
            GTEST_SKIP() << samplesDir().string() << " is missing (Debian: assimp-testmodels; or set "
                         << "MEVLO_GLTF_SAMPLES_DIR)";
    }
};

TEST_F(GltfSamples, ExportOfTheImportPutsEveryTriangleWhereAssimpReadsIt) {
    std::vector<fs::path> models = {
        "BoxTextured-glTF/BoxTextured.gltf",
        "BoxTextured-glTF-Binary/BoxTextured.glb",
        "BoxTextured-glTF-Embedded/BoxTextured.gltf",
        "BoxTextured-glTF-pbrSpecularGlossiness/BoxTextured.gltf",
        "2CylinderEngine-glTF-Binary/2CylinderEngine.glb",
        "BoxBadNormals-glTF-Binary/BoxBadNormals.glb",
        "BoxTexcoords-glTF/boxTexcoords.gltf",
    };
    // The primitive-mode files that make triangles (the others hold points
    // and lines, which this comparison does not look at).
    const fs::path modes = samplesDir() / "glTF-Asset-Generator" / "Mesh_PrimitiveMode";
    if (fs::is_directory(modes)) {
        for (const auto& entry : fs::directory_iterator(modes)) {
            if (entry.path().extension() == ".gltf") models.push_back(fs::relative(entry.path(), samplesDir()));
        }
    }
    std::sort(models.begin(), models.end());
    int compared = 0;
    for (const fs::path& model : models) {
        const fs::path file = samplesDir() / model;
        if (!fs::exists(file)) continue;
        SCOPED_TRACE(model.string());
        const std::vector<Triangle> expected = assimpTriangles(file);
        expectSameTriangles(expected, roundTripTriangles(file));
        compared += expected.empty() ? 0 : 1;
    }
    EXPECT_GE(compared, 5) << "fewer than five triangle models were found in " << samplesDir().string();
}

TEST_F(GltfSamples, BrokenModelsAndUnreadExtensionsAreRefusedInOneLine) {
    const lodtest::ScratchDir scratch;
    const fs::path dir = scratch.path();
    // Damaged copies of a good file: cut short, and with its binary chunk's
    // length made larger than the file.
    std::vector<char> glb;
    {
        std::ifstream in(samplesDir() / "BoxTextured-glTF-Binary/BoxTextured.glb", std::ios::binary);
        glb.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    ASSERT_GT(glb.size(), 100u);
    {
        std::ofstream(dir / "cut.glb", std::ios::binary).write(glb.data(), static_cast<std::streamsize>(glb.size() / 2));
    }
    const struct {
        fs::path file;
        const char* expected;
    } cases[] = {
        {samplesDir() / "BoxTextured-glTF-techniqueWebGL/BoxTextured.gltf", "requires the extension KHR_technique_webgl"},
        {samplesDir() / "draco/2CylinderEngine.gltf", "requires the extension KHR_draco_mesh_compression"},
        {samplesDir() / "IndexOutOfRange/IndexOutOfRange.gltf", "out of range"},
        {samplesDir() / "RecursiveNodes/RecursiveNodes.gltf", "loop"},
        {samplesDir() / "MissingBin/BoxTextured.gltf", "BoxTextured0.bin: cannot open"},
        {samplesDir() / "BoxWithInfinites-glTF-Binary/BoxWithInfinites.glb", "is not finite"},
        {samplesDir() / "IncorrectVertexArrays/Cube.gltf", "reach past buffer"},
        {dir / "cut.glb", "truncated GLB"},
    };
    int refused = 0;
    for (const auto& c : cases) {
        if (!fs::exists(c.file) && c.file.parent_path() != dir) continue;
        SCOPED_TRACE(c.file.string());
        GltfScene scene;
        std::string error;
        EXPECT_FALSE(readGltfFile(c.file.string(), scene, error));
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        ++refused;
    }
    EXPECT_GE(refused, 5);
}

}  // namespace
