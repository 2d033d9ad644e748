#include "out3ds/write3ds.h"

#include "driver/commands/file_io.h"
#include "out3ds/chunk_writer.h"

namespace mevlo {

namespace {

constexpr size_t kHeaderBytes = 12;
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
    for (int32_t i = 0; i < mesh.vertexCount(); ++i) {
        const Vec3& v = mesh.vertex(i);
        writer.putF32(v.x);
        writer.putF32(v.y);
        writer.putF32(v.z);
    }
    writer.closeChunk(vertexList);

    const size_t faceList = writer.openChunk(kChunkFaceList);
    writer.putU16(static_cast<uint16_t>(mesh.faceCount()));
    for (int32_t i = 0; i < mesh.faceCount(); ++i) {
        const MeshFace& f = mesh.face(i);
        writer.putU16(f.a);
        writer.putU16(f.b);
        writer.putU16(f.c);
        writer.putU16(f.flags);
    }
    writer.closeChunk(faceList);
    writer.closeChunk(triangles);
    writer.closeChunk(object);
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
    size_t total = kHeaderBytes;
    for (int32_t i = 0; i < scene.meshCount(); ++i) {
        const MeshBuffer& mesh = scene.mesh(i);
        if (!isWritten(mesh)) continue;
        total += 12 * static_cast<size_t>(mesh.vertexCount()) + 8 * static_cast<size_t>(mesh.faceCount()) +
                 kObjectOverheadBytes;
    }

    ChunkWriter writer;
    writer.reserve(total);
    const size_t mainChunk = writer.openChunk(kChunkMain);
    const size_t editor = writer.openChunk(kChunkEditor);
    int32_t number = 0;
    for (int32_t i = 0; i < scene.meshCount(); ++i) {
        const MeshBuffer& mesh = scene.mesh(i);
        if (isWritten(mesh)) encodeObject(writer, mesh, number++);
    }
    writer.closeChunk(editor);
    writer.closeChunk(mainChunk);
    return writer.takeBytes();
}

bool write3ds(const Scene3ds& scene, std::FILE* out, const std::string& path, std::string& error) {
    std::printf("Objects built: %i\n", static_cast<int>(countWrittenMeshes(scene)));
    return finishOutputFile(out, path, encode3ds(scene), error);
}

}  // namespace mevlo
