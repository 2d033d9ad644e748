#include "out3ds/scene.h"

#include "lod/subtree_node.h"
#include "out3ds/output_positions.h"

namespace mevlo {

bool MeshBuffer::produceVerticesFrom(const SubTreeNode& node) {
    if (node_ || !stored_.empty() || node.vertexCount > kMaxMeshVertices) return false;
    node_ = &node;
    producedCount_ = node.vertexCount > 0 ? node.vertexCount : 0;
    return true;
}

bool MeshBuffer::addVertex(const Vec3& position) {
    if (node_ || verticesFull()) return false;
    stored_.push_back(position);
    return true;
}

int32_t MeshBuffer::addFace(const MeshFace& face) {
    if (facesFull()) return 0;
    if (!countFacesOnly_) faces_.push_back(face);
    return ++faceCount_;
}

const Vec3* MeshBuffer::vertices(Vec3* scratch) const {
    if (!node_) return stored_.data();
    produceOutputPositions(*node_, 0, producedCount_, scratch);
    return scratch;
}

Vec3 MeshBuffer::vertex(int32_t i) const {
    if (!node_) return stored_[static_cast<size_t>(i)];
    Vec3 position;
    produceOutputPositions(*node_, i, 1, &position);
    return position;
}

MeshBuffer* Scene3ds::addMesh(int32_t sourceOffset) {
    if (full()) return nullptr;
    meshes_.push_back(std::make_unique<MeshBuffer>(sourceOffset, countFacesOnly_));
    return meshes_.back().get();
}

}  // namespace mevlo
