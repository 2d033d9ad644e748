// The 3DS chunk layout: lengths, names, counts and exact bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command_runner.h"
#include "common/byte_order.h"
#include "io/atomic_output.h"
#include "out3ds/convert.h"
#include "out3ds/write3ds.h"

using namespace mevlo;

namespace {

using Bytes = std::vector<uint8_t>;

MeshBuffer& meshWith(Scene3ds& scene, int32_t vertices, int32_t faces) {
    MeshBuffer& mesh = *scene.addMesh(0);
    for (int32_t i = 0; i < vertices; ++i) mesh.addVertex({static_cast<float>(i), 0.5f, -2});
    for (int32_t i = 0; i < faces; ++i) mesh.addFace({0, 1, 2, kFanFaceFlags});
    return mesh;
}

uint32_t lengthAt(const Bytes& file, size_t offset) { return loadU32LE(file.data() + offset + 2); }
uint16_t idAt(const Bytes& file, size_t offset) { return loadU16LE(file.data() + offset); }

}  // namespace

TEST(MeshBuffer, AddsInOrderAndRefusesPastItsCapacities) {
    MeshBuffer mesh;
    EXPECT_EQ(mesh.vertexCount(), 0);
    EXPECT_EQ(mesh.addFace({0, 1, 2, 6}), 1);
    for (int32_t i = 1; i < kMaxMeshFaces; ++i) mesh.addFace({0, 1, 2, 6});
    EXPECT_EQ(mesh.addFace({0, 1, 2, 6}), 0);
    EXPECT_EQ(mesh.faceCount(), kMaxMeshFaces);
    for (int32_t i = 0; i < kMaxMeshVertices; ++i) ASSERT_TRUE(mesh.addVertex({}));
    EXPECT_FALSE(mesh.addVertex({}));
    EXPECT_EQ(mesh.vertexCount(), kMaxMeshVertices);

    Scene3ds scene;
    for (int32_t i = 0; i < kMaxSceneMeshes; ++i) ASSERT_NE(scene.addMesh(i), nullptr);
    EXPECT_EQ(scene.addMesh(0), nullptr);
    EXPECT_EQ(scene.meshCount(), kMaxSceneMeshes);
}

TEST(Write3ds, SceneWithoutVerticesIsTheTwelveByteFile) {
    const Bytes expected = {0x4D, 0x4D, 0x0C, 0, 0, 0, 0x3D, 0x3D, 0x06, 0, 0, 0};
    Scene3ds empty;
    EXPECT_EQ(encode3ds(empty), expected);
    Scene3ds vertexless;
    meshWith(vertexless, 0, 4);
    meshWith(vertexless, 0, 0);
    EXPECT_EQ(countWrittenMeshes(vertexless), 0);
    EXPECT_EQ(encode3ds(vertexless), expected);
}

TEST(Write3ds, OneTriangleIsThe89ByteFileWithEveryLengthAndValue) {
    Scene3ds scene;
    MeshBuffer& mesh = *scene.addMesh(0);
    mesh.addVertex({1.0f, -0.0f, 2.5f});
    mesh.addVertex({0, 0, 0});
    mesh.addVertex({0, 0, 0});
    mesh.addFace({0, 1, 2, kFanFaceFlags});
    const Bytes file = encode3ds(scene);
    ASSERT_EQ(file.size(), 89u);

    const struct {
        size_t offset;
        uint16_t id;
        uint32_t length;
    } chunks[] = {{0, 0x4D4D, 89},  {6, 0x3D3D, 83},  {12, 0x4000, 77},
                  {23, 0x4100, 66}, {29, 0x4110, 44}, {73, 0x4120, 16}};
    for (const auto& chunk : chunks) {
        EXPECT_EQ(idAt(file, chunk.offset), chunk.id) << "at " << chunk.offset;
        EXPECT_EQ(lengthAt(file, chunk.offset), chunk.length) << "at " << chunk.offset;
    }
    EXPECT_EQ(Bytes(file.begin() + 18, file.begin() + 23), (Bytes{0x30, 0x30, 0x30, 0x30, 0x00}));
    EXPECT_EQ(loadU16LE(file.data() + 35), 3);
    EXPECT_EQ(Bytes(file.begin() + 37, file.begin() + 49),
              (Bytes{0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x20, 0x40}));
    EXPECT_EQ(Bytes(file.begin() + 79, file.end()), (Bytes{1, 0, 0, 0, 1, 0, 2, 0, 6, 0}));
}

TEST(Write3ds, MeshWithoutFacesHasAnEightByteFaceList) {
    Scene3ds scene;
    meshWith(scene, 5, 0);
    const Bytes file = encode3ds(scene);
    ASSERT_EQ(file.size(), 12u + 12 * 5 + 33);
    EXPECT_EQ(Bytes(file.end() - 8, file.end()), (Bytes{0x20, 0x41, 0x08, 0, 0, 0, 0, 0}));
}

TEST(Write3ds, ObjectsAreNumberedWithoutGapsOverMeshesWithVertices) {
    Scene3ds scene;
    meshWith(scene, 3, 1);
    meshWith(scene, 0, 2);
    meshWith(scene, 4, 0);
    meshWith(scene, 7, 5);
    const Bytes file = encode3ds(scene);
    EXPECT_EQ(countWrittenMeshes(scene), 3);
    EXPECT_EQ(lengthAt(file, 0), file.size());
    EXPECT_EQ(lengthAt(file, 6), file.size() - 6);

    size_t offset = 12;
    const int32_t vertexCounts[] = {3, 4, 7};
    const int32_t faceCounts[] = {1, 0, 5};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(idAt(file, offset), 0x4000);
        EXPECT_EQ(lengthAt(file, offset), 12u * vertexCounts[i] + 8u * faceCounts[i] + 33);
        char name[5];
        std::snprintf(name, sizeof name, "%04d", i);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data() + offset + 6)), name);
        offset += lengthAt(file, offset);
    }
    EXPECT_EQ(offset, file.size());
}

// The product's path (blocks streamed into an atomic output) over a file
// of several blocks, decoded chunk by chunk independently of the encoder:
// every length nests exactly and every object holds its mesh's values.
TEST(Write3ds, ProductWriterOfAMultiMebibyteSceneDecodesToEveryMesh) {
    Scene3ds scene;
    for (int32_t m = 0; m < kMaxSceneMeshes; ++m) {
        MeshBuffer& mesh = *scene.addMesh(m);
        const int32_t vertices = m % 7 == 3 ? 0 : 1000 + (m * 37) % 900;
        for (int32_t i = 0; i < vertices; ++i)
            mesh.addVertex({static_cast<float>(m), static_cast<float>(i), -0.25f * static_cast<float>(i ^ m)});
        for (int32_t i = 0; i < vertices / 3; ++i)
            mesh.addFace({static_cast<uint16_t>(i), static_cast<uint16_t>(i + 1), static_cast<uint16_t>(m), 6});
    }
    const lodtest::ScratchDir dir;
    const std::string path = (dir / "scene.3ds").string();
    std::string error;
    AtomicOutput output;
    ASSERT_TRUE(output.open(path, error)) << error;
    mevlo::MessageLog messages;
    const bool ok = write3ds(scene, output, messages);
    EXPECT_EQ(messages.text, "Objects built: " + std::to_string(countWrittenMeshes(scene)) + "\n");
    ASSERT_TRUE(ok);
    ASSERT_TRUE(output.commit(error)) << error;

    const Bytes file = lodtest::readBytes(path);
    ASSERT_GT(file.size(), size_t{4} << 20);
    ASSERT_EQ(idAt(file, 0), 0x4D4D);
    ASSERT_EQ(lengthAt(file, 0), file.size());
    ASSERT_EQ(idAt(file, 6), 0x3D3D);
    ASSERT_EQ(lengthAt(file, 6), file.size() - 6);
    size_t at = 12;
    int32_t number = 0;
    for (int32_t m = 0; m < scene.meshCount(); ++m) {
        const MeshBuffer& mesh = scene.mesh(m);
        if (mesh.vertexCount() == 0) continue;
        const size_t objectEnd = at + lengthAt(file, at);
        ASSERT_EQ(idAt(file, at), 0x4000) << "object " << number;
        ASSERT_LE(objectEnd, file.size()) << "object " << number;
        char name[16];
        std::snprintf(name, sizeof name, "%04d", static_cast<int>(number));
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data() + at + 6)), name);
        const size_t triangles = at + 11;
        ASSERT_EQ(idAt(file, triangles), 0x4100);
        ASSERT_EQ(triangles + lengthAt(file, triangles), objectEnd);
        const size_t vertexList = triangles + 6;
        ASSERT_EQ(idAt(file, vertexList), 0x4110);
        ASSERT_EQ(loadU16LE(file.data() + vertexList + 6), mesh.vertexCount());
        for (int32_t i = 0; i < mesh.vertexCount(); ++i) {
            const uint8_t* v = file.data() + vertexList + 8 + 12 * static_cast<size_t>(i);
            ASSERT_EQ(loadU32LE(v), bitsOfFloat(mesh.vertex(i).x)) << "object " << number << " vertex " << i;
            ASSERT_EQ(loadU32LE(v + 4), bitsOfFloat(mesh.vertex(i).y)) << "object " << number << " vertex " << i;
            ASSERT_EQ(loadU32LE(v + 8), bitsOfFloat(mesh.vertex(i).z)) << "object " << number << " vertex " << i;
        }
        const size_t faceList = vertexList + lengthAt(file, vertexList);
        ASSERT_EQ(idAt(file, faceList), 0x4120);
        ASSERT_EQ(faceList + lengthAt(file, faceList), objectEnd);
        ASSERT_EQ(loadU16LE(file.data() + faceList + 6), mesh.faceCount());
        for (int32_t i = 0; i < mesh.faceCount(); ++i) {
            const uint8_t* f = file.data() + faceList + 8 + 8 * static_cast<size_t>(i);
            const MeshFace& face = mesh.face(i);
            ASSERT_EQ(Bytes(f, f + 8), (Bytes{static_cast<uint8_t>(face.a), static_cast<uint8_t>(face.a >> 8),
                                              static_cast<uint8_t>(face.b), static_cast<uint8_t>(face.b >> 8),
                                              static_cast<uint8_t>(face.c), static_cast<uint8_t>(face.c >> 8),
                                              6, 0}))
                << "object " << number << " face " << i;
        }
        at = objectEnd;
        ++number;
    }
    EXPECT_EQ(at, file.size());
    EXPECT_EQ(file, encode3ds(scene));
}
