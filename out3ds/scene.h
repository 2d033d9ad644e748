// The in-memory form of a 3DS scene: one triangle mesh per geometry node,
// known completely before the file is laid out, because every 3DS chunk
// header carries the byte length of everything inside it. Faces are
// collected (those of a mesh can arrive after later meshes opened); the
// vertices of a mesh made from a geometry node are not held at all but made
// from the node's table as they are written, so only their count must be
// known beforehand.
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

class SubTreeNode;

// A mesh stores its vertices (added one by one) or makes them from a
// geometry node whenever they are read; never both.
class MeshBuffer {
public:
    // Record offset of the node the mesh was made from, for messages. A
    // mesh that only counts its faces checks the capacity without keeping
    // them (for a summary of what a conversion would make).
    explicit MeshBuffer(int32_t sourceOffset = 0, bool countFacesOnly = false)
        : sourceOffset_(sourceOffset), countFacesOnly_(countFacesOnly) {}

    // Makes the mesh's vertices the output positions of the node's vertex
    // table (output_positions.h), produced on every read instead of stored;
    // the node must outlive the mesh's last read. False, and nothing
    // changed, when the mesh has or makes vertices already, or when the
    // table is longer than a mesh holds.
    bool produceVerticesFrom(const SubTreeNode& node);
    // Appends a vertex. False, and nothing stored, when the mesh is full or
    // makes its vertices from a node.
    bool addVertex(const Vec3& position);
    // Appends a face and returns the new face count; 0, and nothing stored,
    // when the mesh is full.
    int32_t addFace(const MeshFace& face);

    int32_t vertexCount() const { return node_ ? producedCount_ : static_cast<int32_t>(stored_.size()); }
    int32_t faceCount() const { return faceCount_; }
    bool verticesFull() const { return vertexCount() >= kMaxMeshVertices; }
    bool facesFull() const { return faceCount() >= kMaxMeshFaces; }

    // The vertexCount() vertices: the stored ones, or ones made into
    // scratch, which has room for vertexCount() of them.
    const Vec3* vertices(Vec3* scratch) const;
    // One vertex, 0 <= i < vertexCount() (a made one is made for this call).
    Vec3 vertex(int32_t i) const;
    // Caller guarantees 0 <= i < faceCount(), on a mesh that keeps faces.
    const MeshFace& face(int32_t i) const { return faces_[static_cast<size_t>(i)]; }

    int32_t sourceOffset() const { return sourceOffset_; }

private:
    std::vector<Vec3> stored_;
    const SubTreeNode* node_ = nullptr;
    int32_t producedCount_ = 0;
    std::vector<MeshFace> faces_;
    int32_t faceCount_ = 0;
    int32_t sourceOffset_ = 0;
    bool countFacesOnly_ = false;
};

// The meshes in the order their conversions started.
class Scene3ds {
public:
    Scene3ds() = default;
    // A scene whose meshes count their faces instead of keeping them.
    static Scene3ds countingFacesOnly() {
        Scene3ds scene;
        scene.countFacesOnly_ = true;
        return scene;
    }

    // Registers a new empty mesh; null, and nothing registered, when the
    // scene is full.
    MeshBuffer* addMesh(int32_t sourceOffset);

    int32_t meshCount() const { return static_cast<int32_t>(meshes_.size()); }
    bool full() const { return meshCount() >= kMaxSceneMeshes; }
    // Caller guarantees 0 <= i < meshCount().
    const MeshBuffer& mesh(int32_t i) const { return *meshes_[static_cast<size_t>(i)]; }

private:
    std::vector<std::unique_ptr<MeshBuffer>> meshes_;
    bool countFacesOnly_ = false;
};

}  // namespace mevlo
