// The in-memory form of a 3DS scene: one triangle mesh per geometry node,
// collected completely before the file is laid out, because every 3DS chunk
// header carries the byte length of everything inside it.
//
// The capacities are hard limits of the output format as this system writes
// it: vertex and face counts are stored as 16-bit values, and object names
// are four decimal digits. Storage grows on demand up to them and never past.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "common/vec.h"

namespace mevlo {

constexpr int32_t kMaxMeshVertices = 8000;
constexpr int32_t kMaxMeshFaces = 3000;
constexpr int32_t kMaxSceneMeshes = 600;

// One triangle; written to the file exactly as stored.
struct MeshFace {
    uint16_t a = 0;
    uint16_t b = 0;
    uint16_t c = 0;
    uint16_t flags = 0;
};

class MeshBuffer {
public:
    // Record offset of the node the mesh was made from, for messages.
    explicit MeshBuffer(int32_t sourceOffset = 0) : sourceOffset_(sourceOffset) {}

    // Appends a vertex. False, and nothing stored, when the mesh is full.
    bool addVertex(const Vec3& position);
    // Appends a face and returns the new face count; 0, and nothing stored,
    // when the mesh is full.
    int32_t addFace(const MeshFace& face);

    void reserveVertices(int32_t n) { vertices_.reserve(static_cast<size_t>(n)); }
    int32_t vertexCount() const { return static_cast<int32_t>(vertices_.size()); }
    int32_t faceCount() const { return static_cast<int32_t>(faces_.size()); }
    bool verticesFull() const { return vertexCount() >= kMaxMeshVertices; }
    bool facesFull() const { return faceCount() >= kMaxMeshFaces; }

    // Caller guarantees 0 <= i < vertexCount() (faceCount() for faces).
    const Vec3& vertex(int32_t i) const { return vertices_[static_cast<size_t>(i)]; }
    Vec3& vertex(int32_t i) { return vertices_[static_cast<size_t>(i)]; }
    const MeshFace& face(int32_t i) const { return faces_[static_cast<size_t>(i)]; }

    int32_t sourceOffset() const { return sourceOffset_; }

private:
    std::vector<Vec3> vertices_;
    std::vector<MeshFace> faces_;
    int32_t sourceOffset_ = 0;
};

// The meshes in the order their conversions started.
class Scene3ds {
public:
    // Registers a new empty mesh; null, and nothing registered, when the
    // scene is full.
    MeshBuffer* addMesh(int32_t sourceOffset);

    int32_t meshCount() const { return static_cast<int32_t>(meshes_.size()); }
    bool full() const { return meshCount() >= kMaxSceneMeshes; }
    // Caller guarantees 0 <= i < meshCount().
    const MeshBuffer& mesh(int32_t i) const { return *meshes_[static_cast<size_t>(i)]; }

private:
    std::vector<std::unique_ptr<MeshBuffer>> meshes_;
};

}  // namespace mevlo
