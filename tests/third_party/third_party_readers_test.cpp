// Our 3DS output as independent readers see it. Each model is converted in
// this process, written out, and read back with lib3ds and with assimp; the
// objects, vertex positions (bit for bit) and faces must be ours.
//
// What the readers do with a file, measured on lib3ds 1.3 and assimp 5.2:
// lib3ds keeps vertices, faces and face flags as stored and finds objects by
// name. assimp drops objects without faces (and refuses a file where no
// object has one), names its meshes by object index, and gives every face
// its own three vertices in face and corner order.
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <gtest/gtest.h>
#include <lib3ds/file.h>
#include <lib3ds/mesh.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <ostream>
#include <memory>
#include <string>
#include <vector>

#include "out3ds/convert.h"
#include "out3ds/write3ds.h"
#include "scratch_dir.h"
#include "test_support.h"

using namespace mevlo;
using namespace lodtest;

namespace {

struct ReaderCase {
    std::string name;
    std::vector<uint8_t> lod;
};

// Failure messages name the case rather than dump its bytes.
void PrintTo(const ReaderCase& readerCase, std::ostream* os) { *os << readerCase.name; }

std::vector<uint8_t> readSample(const std::string& fileName) {
    std::ifstream in(std::string(MEVLO_SOURCE_DIR) + "/samples/" + fileName, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Floats a reader could disturb: signed zeros, a subnormal, the largest
// finite value, values without an exact decimal form, and a DOF whose
// rotation rounds.
Node awkwardFloatsModel() {
    const Matrix tilted = {0.6f, -0.8f, 0, 0.8f, 0.6f, 0, 0, 0, 1};
    const std::vector<Vec3> odd = {{0.1f, -0.0f, 0.0f}, {1e-40f, 3.4028235e38f, -1.5f}, {1.0f / 3, 2.0f / 3, 7.7f}};
    return root(odd, {cp(prim(2, {0, 1, 2})), subTree({}),
                      subTree(odd),  // vertices but no faces
                      dof(tilted, {0.3f, -0.7f, 1e-3f}, odd, {lp(prim(2, {0, 1, 2}), prim(2, {2, 1, 0}))})});
}

// One mesh at the full vertex and face capacity.
Node fullMeshModel() {
    std::vector<Vec3> vertices;
    for (int32_t i = 0; i < kMaxMeshVertices; ++i) vertices.push_back({static_cast<float>(i) * 0.25f, 1, -2});
    std::vector<int32_t> fan;
    for (int32_t i = 0; i < kMaxMeshFaces + 2; ++i) fan.push_back(kMaxMeshVertices - 1 - i);
    return root(vertices, {cp(prim(2, fan))});
}

// Enough objects for names beyond 0099.
Node manyMeshesModel() {
    Chain chain;
    for (int i = 0; i < 150; ++i) {
        const float f = static_cast<float>(i);
        chain.push_back(subTree({{f, 0, 0}, {f, 1, 0}, {f, 0, 1}}, {cp(prim(2, {0, 1, 2}))}));
    }
    return root({}, chain);
}

std::vector<ReaderCase> readerCases() {
    return {
        {"transforms_sample", readSample("transforms.lod")},
        {"switches_sample", readSample("switches.lod")},
        {"primitives_sample", readSample("primitives.lod")},
        {"awkward_floats", buildLod(awkwardFloatsModel()).bytes},
        {"full_mesh", buildLod(fullMeshModel()).bytes},
        {"many_meshes", buildLod(manyMeshesModel()).bytes},
    };
}

// A written object: its number (and so its name) and its mesh.
struct WrittenObject {
    int32_t number;
    const MeshBuffer* mesh;
};

class ThirdPartyReaders : public testing::TestWithParam<ReaderCase> {
protected:
    void SetUp() override {
        ASSERT_FALSE(GetParam().lod.empty()) << "no input for " << GetParam().name;
        loaded = load(GetParam().lod);
        ConversionState state(scene);
        ASSERT_TRUE(convertTree(loaded.root(), state)) << state.failure;
        for (int32_t i = 0; i < scene.meshCount(); ++i) {
            if (scene.mesh(i).vertexCount() > 0) {
                objects.push_back({static_cast<int32_t>(objects.size()), &scene.mesh(i)});
            }
        }
        path = (dir / (GetParam().name + ".3ds")).string();
        const std::vector<uint8_t> file = encode3ds(scene);
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
        ASSERT_TRUE(out.good());
    }
    ScratchDir dir;
    Loaded loaded;
    Scene3ds scene;
    std::vector<WrittenObject> objects;
    std::string path;
};

std::string objectName(int32_t number) {
    char name[16];
    std::snprintf(name, sizeof name, "%04d", static_cast<int>(number));
    return name;
}

void expectSameBits(const float* got, const Vec3& want, const std::string& where) {
    EXPECT_EQ(bits(got[0]), bits(want.x)) << where << " x: " << got[0] << " vs " << want.x;
    EXPECT_EQ(bits(got[1]), bits(want.y)) << where << " y: " << got[1] << " vs " << want.y;
    EXPECT_EQ(bits(got[2]), bits(want.z)) << where << " z: " << got[2] << " vs " << want.z;
}

struct Lib3dsFileDeleter {
    void operator()(Lib3dsFile* file) const { lib3ds_file_free(file); }
};

}  // namespace

TEST_P(ThirdPartyReaders, Lib3dsReadsEveryObjectExactly) {
    const std::unique_ptr<Lib3dsFile, Lib3dsFileDeleter> file(lib3ds_file_load(path.c_str()));
    ASSERT_NE(file, nullptr);
    std::map<std::string, const Lib3dsMesh*> byName;
    for (const Lib3dsMesh* m = file->meshes; m; m = m->next) byName[m->name] = m;
    EXPECT_EQ(byName.size(), objects.size());

    for (const WrittenObject& object : objects) {
        const std::string name = objectName(object.number);
        const auto found = byName.find(name);
        ASSERT_NE(found, byName.end()) << "object " << name;
        const Lib3dsMesh& got = *found->second;
        const MeshBuffer& want = *object.mesh;
        ASSERT_EQ(got.points, static_cast<Lib3dsDword>(want.vertexCount())) << name;
        for (int32_t v = 0; v < want.vertexCount(); ++v) {
            expectSameBits(got.pointL[v].pos, want.vertex(v), name + " vertex " + std::to_string(v));
        }
        ASSERT_EQ(got.faces, static_cast<Lib3dsDword>(want.faceCount())) << name;
        for (int32_t f = 0; f < want.faceCount(); ++f) {
            const MeshFace& face = want.face(f);
            const Lib3dsFace& read = got.faceL[f];
            EXPECT_EQ(read.points[0], face.a) << name << " face " << f;
            EXPECT_EQ(read.points[1], face.b) << name << " face " << f;
            EXPECT_EQ(read.points[2], face.c) << name << " face " << f;
            EXPECT_EQ(read.flags, face.flags) << name << " face " << f;
        }
    }
}

TEST_P(ThirdPartyReaders, AssimpReadsEveryObjectWithFaces) {
    std::vector<WrittenObject> faced;
    for (const WrittenObject& object : objects) {
        if (object.mesh->faceCount() > 0) faced.push_back(object);
    }
    if (faced.empty()) GTEST_SKIP() << "assimp refuses files in which no object has a face";

    Assimp::Importer importer;
    const aiScene* read = importer.ReadFile(path, 0);
    ASSERT_NE(read, nullptr) << importer.GetErrorString();
    ASSERT_EQ(read->mNumMeshes, faced.size());
    for (size_t j = 0; j < faced.size(); ++j) {
        const aiMesh& got = *read->mMeshes[j];
        const MeshBuffer& want = *faced[j].mesh;
        const std::string where = "object " + objectName(faced[j].number);
        EXPECT_EQ(std::string(got.mName.C_Str()), std::to_string(faced[j].number)) << where;
        ASSERT_EQ(got.mNumFaces, static_cast<unsigned>(want.faceCount())) << where;
        ASSERT_EQ(got.mNumVertices, 3u * static_cast<unsigned>(want.faceCount())) << where;
        for (int32_t f = 0; f < want.faceCount(); ++f) {
            const aiFace& face = got.mFaces[f];
            ASSERT_EQ(face.mNumIndices, 3u) << where;
            const MeshFace& ours = want.face(f);
            const uint16_t corners[3] = {ours.a, ours.b, ours.c};
            for (unsigned k = 0; k < 3; ++k) {
                const unsigned index = 3u * static_cast<unsigned>(f) + k;
                EXPECT_EQ(face.mIndices[k], index) << where << " face " << f;
                const aiVector3D& p = got.mVertices[index];
                const float position[3] = {p.x, p.y, p.z};
                expectSameBits(position, want.vertex(corners[k]),
                               where + " face " + std::to_string(f) + " corner " + std::to_string(k));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(OurOutput, ThirdPartyReaders, testing::ValuesIn(readerCases()),
                         [](const testing::TestParamInfo<ReaderCase>& info) { return info.param.name; });

TEST(ThirdPartyReadersEmptyScene, Lib3dsReadsTheTwelveByteFileAsNoObjects) {
    Scene3ds scene;
    scene.addMesh(0);  // a mesh without vertices is not written
    const std::vector<uint8_t> file = encode3ds(scene);
    ASSERT_EQ(file.size(), 12u);
    const ScratchDir dir;
    const std::string path = (dir / "empty.3ds").string();
    {
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    }
    const std::unique_ptr<Lib3dsFile, Lib3dsFileDeleter> read(lib3ds_file_load(path.c_str()));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->meshes, nullptr);
}
