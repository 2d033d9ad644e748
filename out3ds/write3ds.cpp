#include "out3ds/write3ds.h"

#include "driver/commands/file_io.h"
#include "out3ds/chunk_writer.h"
#include "lod/byte_order.h"

namespace mevlo {

namespace {

constexpr size_t kObjectOverheadBytes = 33;

bool isWritten(const MeshBuffer& mesh) { return mesh.vertexCount() > 0; }

void encodeObject(ChunkWriter& writer, const MeshBuffer& mesh, int32_t number) {
    const size_t object = writer.openChunk(kChunkNamedObject);
    // Four digits and the terminating NUL; the scene capacity keeps the
    // number below 10000.
    char name[16];
    std::snprintf(name, sizeof name, "%04d", static_cast<int>(number));
    writer.putBytes(name, 5);

    const size_t triangles = writer.openChunk(kChunkTriangleMesh);
    const size_t vertexList = writer.openChunk(kChunkVertexList);
    writer.putU16(static_cast<uint16_t>(mesh.vertexCount()));
    uint8_t* at = writer.extend(12 * static_cast<size_t>(mesh.vertexCount()));
    for (int32_t i = 0; i < mesh.vertexCount(); ++i, at += 12) {
        const Vec3& v = mesh.vertex(i);
        storeU32LE(at, bitsOfFloat(v.x));
        storeU32LE(at + 4, bitsOfFloat(v.y));
        storeU32LE(at + 8, bitsOfFloat(v.z));
    }
    writer.closeChunk(vertexList);

    const size_t faceList = writer.openChunk(kChunkFaceList);
    writer.putU16(static_cast<uint16_t>(mesh.faceCount()));
    at = writer.extend(8 * static_cast<size_t>(mesh.faceCount()));
    for (int32_t i = 0; i < mesh.faceCount(); ++i, at += 8) {
        const MeshFace& f = mesh.face(i);
        storeU16LE(at, f.a);
        storeU16LE(at + 2, f.b);
        storeU16LE(at + 4, f.c);
        storeU16LE(at + 6, f.flags);
    }
    writer.closeChunk(faceList);
    writer.closeChunk(triangles);
    writer.closeChunk(object);
}

// The editor chunk's length, planned from the counts: its header and every
// written object.
size_t editorChunkLength(const Scene3ds& scene) {
    size_t length = 6;
    for (int32_t i = 0; i < scene.meshCount(); ++i) {
        const MeshBuffer& mesh = scene.mesh(i);
        if (!isWritten(mesh)) continue;
        length += 12 * static_cast<size_t>(mesh.vertexCount()) + 8 * static_cast<size_t>(mesh.faceCount()) +
                  kObjectOverheadBytes;
    }
    return length;
}

void putOuterHeaders(ChunkWriter& writer, size_t editorLength) {
    writer.putU16(kChunkMain);
    writer.putU32(static_cast<uint32_t>(editorLength + 6));
    writer.putU16(kChunkEditor);
    writer.putU32(static_cast<uint32_t>(editorLength));
}

}  // namespace

int32_t countWrittenMeshes(const Scene3ds& scene) {
    int32_t count = 0;
    for (int32_t i = 0; i < scene.meshCount(); ++i) {
        if (isWritten(scene.mesh(i))) ++count;
    }
    return count;
}

std::vector<uint8_t> encode3ds(const Scene3ds& scene) {
    const size_t editorLength = editorChunkLength(scene);
    ChunkWriter writer;
    writer.reserve(editorLength + 6);
    putOuterHeaders(writer, editorLength);
    int32_t number = 0;
    for (int32_t i = 0; i < scene.meshCount(); ++i) {
        const MeshBuffer& mesh = scene.mesh(i);
        if (isWritten(mesh)) encodeObject(writer, mesh, number++);
    }
    return writer.takeBytes();
}

// The same bytes as encode3ds, streamed object by object through one small
// buffer instead of being built whole.
bool write3ds(const Scene3ds& scene, std::FILE* out, const std::string& path, std::string& error) {
    std::printf("Objects built: %i\n", static_cast<int>(countWrittenMeshes(scene)));
    constexpr size_t kBlock = 1 << 20;
    ChunkWriter block;
    block.reserve(kBlock + 200000);  // one block and the largest object
    putOuterHeaders(block, editorChunkLength(scene));
    bool ok = true;
    int32_t number = 0;
    for (int32_t i = 0; i < scene.meshCount() && ok; ++i) {
        const MeshBuffer& mesh = scene.mesh(i);
        if (!isWritten(mesh)) continue;
        encodeObject(block, mesh, number++);
        if (block.bytes().size() >= kBlock) {
            ok = std::fwrite(block.bytes().data(), 1, block.bytes().size(), out) == block.bytes().size();
            block.clear();
        }
    }
    // After a failed write the stream's error flag makes finishOutputFile
    // report the failure (and remove the partial file).
    if (!ok) block.clear();
    return finishOutputFile(out, path, block.bytes(), error);
}

}  // namespace mevlo
