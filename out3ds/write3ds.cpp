#include "out3ds/write3ds.h"

#include <cstdio>

#include "common/byte_order.h"
#include "common/mesh_name.h"
#include "out3ds/chunk_writer.h"

namespace mevlo {

namespace {

bool isWritten(const MeshBuffer& mesh) { return mesh.vertexCount() > 0; }

// scratch has room for a mesh's vertices, made only when they are written.
void encodeObject(ChunkWriter& writer, const MeshBuffer& mesh, int32_t number, Vec3* scratch) {
    const size_t object = writer.openChunk(kChunkNamedObject);
    // The name and its terminating NUL: 5 bytes, as the scene capacity
    // keeps the number below 10000.
    const std::string name = meshName(number);
    writer.putBytes(name.c_str(), name.size() + 1);

    const size_t triangles = writer.openChunk(kChunkTriangleMesh);
    const size_t vertexList = writer.openChunk(kChunkVertexList);
    writer.putU16(static_cast<uint16_t>(mesh.vertexCount()));
    writer.putBlock(12 * static_cast<size_t>(mesh.vertexCount()), [&mesh, scratch](uint8_t* at) {
        const Vec3* vertices = mesh.vertices(scratch);
        for (int32_t i = 0; i < mesh.vertexCount(); ++i, at += 12) {
            storeU32LE(at, bitsOfFloat(vertices[i].x));
            storeU32LE(at + 4, bitsOfFloat(vertices[i].y));
            storeU32LE(at + 8, bitsOfFloat(vertices[i].z));
        }
    });
    writer.closeChunk(vertexList);

    const size_t faceList = writer.openChunk(kChunkFaceList);
    writer.putU16(static_cast<uint16_t>(mesh.faceCount()));
    writer.putBlock(8 * static_cast<size_t>(mesh.faceCount()), [&mesh](uint8_t* at) {
        for (int32_t i = 0; i < mesh.faceCount(); ++i, at += 8) {
            const MeshFace& f = mesh.face(i);
            storeU16LE(at, f.a);
            storeU16LE(at + 2, f.b);
            storeU16LE(at + 4, f.c);
            storeU16LE(at + 6, f.flags);
        }
    });
    writer.closeChunk(faceList);
    writer.closeChunk(triangles);
    writer.closeChunk(object);
}

// The bytes of every written object, measured by encoding them (a
// measuring writer makes no vertices).
size_t objectsLength(const Scene3ds& scene, Vec3* scratch) {
    ChunkWriter measure(ChunkWriter::Mode::Measure);
    int32_t number = 0;
    for (int32_t i = 0; i < scene.meshCount(); ++i) {
        const MeshBuffer& mesh = scene.mesh(i);
        if (isWritten(mesh)) encodeObject(measure, mesh, number++, scratch);
    }
    return measure.size();
}

}  // namespace

int32_t countWrittenMeshes(const Scene3ds& scene) {
    int32_t count = 0;
    for (int32_t i = 0; i < scene.meshCount(); ++i) {
        if (isWritten(scene.mesh(i))) ++count;
    }
    return count;
}

// The outer chunks enclose every object, so their lengths go out before
// the objects: they are measured first, and the objects are then encoded a
// block at a time (inner lengths are patched within the block). Vertices
// made from nodes go from one mesh-sized scratch straight into the block.
bool stream3ds(const Scene3ds& scene, const std::function<bool(const uint8_t*, size_t)>& emit) {
    constexpr size_t kBlock = size_t{1} << 20;
    std::vector<Vec3> scratch(kMaxMeshVertices);
    const size_t editorLength = kChunkHeaderBytes + objectsLength(scene, scratch.data());
    ChunkWriter block;
    block.reserve(kBlock + 200000);  // one block and the largest object
    block.putChunkHeader(kChunkMain, static_cast<uint32_t>(kChunkHeaderBytes + editorLength));
    block.putChunkHeader(kChunkEditor, static_cast<uint32_t>(editorLength));
    int32_t number = 0;
    for (int32_t i = 0; i < scene.meshCount(); ++i) {
        const MeshBuffer& mesh = scene.mesh(i);
        if (!isWritten(mesh)) continue;
        encodeObject(block, mesh, number++, scratch.data());
        if (block.size() >= kBlock) {
            if (!emit(block.bytes().data(), block.size())) return false;
            block.clear();
        }
    }
    return block.size() == 0 || emit(block.bytes().data(), block.size());
}

std::vector<uint8_t> encode3ds(const Scene3ds& scene) {
    std::vector<uint8_t> file;
    stream3ds(scene, [&file](const uint8_t* data, size_t size) {
        file.insert(file.end(), data, data + size);
        return true;
    });
    return file;
}

bool write3ds(const Scene3ds& scene, AtomicOutput& output) {
    std::printf("Objects built: %i\n", static_cast<int>(countWrittenMeshes(scene)));
    return stream3ds(scene, [&output](const uint8_t* data, size_t size) { return output.write(data, size); });
}

}  // namespace mevlo
